#include "report/designer/gui/popup_menu.h"

#include "report/designer/gui/design_dialog_commands.h"
#include "report/designer/gui/designer_texts.h"
#include "report/model/band.h"
#include "report/model/band_classes.h"
#include "report/model/barcode.h"
#include "report/model/component.h"
#include "report/model/custom_report.h"
#include "report/model/rich_text.h"
#include "report/model/text_components.h"
#include "report/model/text_layout.h"
#include "report/output/dialog_registry.h"
#include "report/page/resource_manager.h"

#include "platform/stream/persistent.h"
#include "platform/stream/property_table.h"
#include "platform/ui/window_message.h"

#include <QApplication>

#include <algorithm>

// TppPopupMenu --------------------------------------------------------------------------------

TppPopupMenu::TppPopupMenu(QWidget* owner) : QMenu(owner) { report::DeclareDesignerTexts(); }

QAction* TppPopupMenu::AddItem(int aOrder, const QString& aName, int aLanguageId, const QString& aCaption) {
    if (ItemByName(aName)) return nullptr;
    const QString key = QString::asprintf("%8d", aOrder) + aName;
    const auto at = std::lower_bound(m_keys.begin(), m_keys.end(), key, [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    const int position = int(at - m_keys.begin());
    m_keys.insert(position, key);
    QString caption = aCaption;
    if (caption.isEmpty() && aLanguageId != 0) caption = ppGetMessageText(aLanguageId);
    auto* item = new QAction(caption, this);
    item->setObjectName(aName);
    item->setProperty("Tag", aLanguageId);
    if (aLanguageId == 0 && caption == QLatin1String("-")) item->setSeparator(true);
    const QList<QAction*> items = actions();
    insertAction(position < items.size() ? items.at(position) : nullptr, item);
    return item;
}

QAction* TppPopupMenu::ItemByName(const QString& aName) const {
    for (QAction* a : actions())
        if (a->objectName() == aName) return a;
    return nullptr;
}

QStringList TppPopupMenu::ItemNames() const {
    QStringList names;
    for (QAction* a : actions()) names << a->objectName();
    return names;
}

namespace {

/// The published Boolean property of that name, or none.
const stream::PropertyInfo* booleanProperty(QObject* aObject, const QString& aName) {
    auto* persistent = dynamic_cast<stream::Persistent*>(aObject);
    if (!persistent || aName.isEmpty()) return nullptr;
    const stream::PropertyInfo* info = persistent->StreamProperties().Find(aName);
    if (!info || info->kind != stream::PropertyKind::Boolean || info->name != aName || !info->get || !info->set)
        return nullptr;
    return info;
}

}  // namespace

void TppPopupMenu::SetComponent(QObject* aObject) {
    m_component = aObject;
    for (QAction* item : actions()) {
        const stream::PropertyInfo* info = booleanProperty(aObject, item->objectName());
        if (!info) continue;
        auto* persistent = dynamic_cast<stream::Persistent*>(aObject);
        item->setCheckable(true);
        item->setChecked(info->get(*persistent).AsBoolean());
        QObject::disconnect(item, &QAction::triggered, nullptr, nullptr);
        const QString name = item->objectName();
        connect(item, &QAction::triggered, this, [this, name] {
            QObject* object = m_component;
            const stream::PropertyInfo* prop = booleanProperty(object, name);
            if (!prop) return;
            auto* target = dynamic_cast<stream::Persistent*>(object);
            prop->set(*target, stream::Value::Boolean(!prop->get(*target).AsBoolean()));
        });
    }
}

// Design menus --------------------------------------------------------------------------------

namespace report {
namespace {

TppCustomReport* reportOf(QObject* aObject) {
    if (auto* band = qobject_cast<TppBand*>(aObject)) return band->Report();
    if (auto* c = qobject_cast<TppComponent*>(aObject)) return c->GetOwnerReport();
    return nullptr;
}

/// The dialog classes of items whose dialogs the registry provides.
QString dialogClassOf(const QString& aItem) {
    if (aItem == QLatin1String("Position")) return QStringLiteral("TppCustomPositionDialog");
    if (aItem == QLatin1String("CalcOrder")) return QStringLiteral("TppCustomCalcOrderDialog");
    if (aItem == QLatin1String("DisplayFormat")) return QStringLiteral("TppCustomFormatDialog");
    if (aItem == QLatin1String("ResetGroup")) return QStringLiteral("TppCustomDBTextDialog");
    if (aItem == QLatin1String("Edit")) return QStringLiteral("TppCustomRTFEditor");
    return {};
}

void bind(QAction* aItem, QObject* aMenu, std::function<void()> aHandler) {
    if (!aItem) return;
    QObject::disconnect(aItem, &QAction::triggered, nullptr, nullptr);
    QObject::connect(aItem, &QAction::triggered, aMenu, std::move(aHandler));
}

/// Shows the form registered for a dialog class modally with the report's language and the
/// report, for items whose own settings the dialog reads from the report.
void runRegisteredDialog(const QString& aClass, TppCustomReport* aReport) {
    const FormClass* formClass = ppGetFormClass(aClass);
    if (!formClass) return;
    std::unique_ptr<ReportForm> form(formClass->create(nullptr));
    if (!form) return;
    ppSetFormLanguageIndex(form.get(), aReport ? aReport->LanguageIndex() : 0);
    ppSetFormReport(form.get(), aReport);
    form->ShowModal();
}

void runFormatDialog(TppCustomText* aText) {
    TppCustomReport* report = aText->GetOwnerReport();
    std::unique_ptr<TppCustomFormatDialog> form(CreateForm<TppCustomFormatDialog>(nullptr));
    if (!form) return;
    ppSetFormLanguageIndex(form.get(), report ? report->LanguageIndex() : 0);
    ppSetFormReport(form.get(), report);
    form->SetDisplayFormat(aText->DisplayFormat());
    QStringList formats;
    if (report) report->SendDesignerValue(PPM_GET_DISPLAY_FORMATS, qintptr(&formats));
    if (formats.isEmpty()) {
        const TppDataType type = aText->DataPipeline() ? aText->DataPipeline()->GetFieldDataType(aText->DataField())
                                                       : TppDataType::dtNotKnown;
        ppGetDisplayFormats(type, formats);
    }
    form->SetDisplayFormats(formats);
    if (form->ShowModal() == ModalResult::mrOk) {
        QString format;
        form->GetDisplayFormat(format);
        aText->SetDisplayFormat(format);
    }
}

}  // namespace

TppPopupMenu* CreateDesignPopupMenu(QObject* aObject) {
    if (auto* band = qobject_cast<TppBand*>(aObject)) {
        auto* menu = new TppBandPopupMenu(nullptr);
        menu->setObjectName(QStringLiteral("ppBandPopupMenu"));
        if (band->Report()) menu->SetLanguageIndex(band->Report()->LanguageIndex());
        menu->AddItem(10, QStringLiteral("DynamicHeight"), 232);
        menu->AddItem(10, QStringLiteral("StaticHeight"), 242);
        menu->AddItem(20, QStringLiteral("mniLine1"), 0, QStringLiteral("-"));
        menu->AddItem(30, QStringLiteral("CalcOrder"), 693);
        menu->AddItem(30, QStringLiteral("Position"), 386);
        menu->AddItem(30, QStringLiteral("Visible"), 247);
        if (qobject_cast<TppPageStyle*>(aObject)) menu->AddItem(30, QStringLiteral("PageSetting"), 1118);
        return menu;
    }
    auto* component = qobject_cast<TppComponent*>(aObject);
    if (!component) return nullptr;
    auto* menu = new TppPopupMenu(nullptr);
    menu->setObjectName(QStringLiteral("ppPopupMenu"));
    if (TppCustomReport* r = component->GetOwnerReport()) menu->SetLanguageIndex(r->LanguageIndex());
    menu->AddItem(10, QStringLiteral("BringToFront"), 161);
    menu->AddItem(10, QStringLiteral("SendToBack"), 177);
    menu->AddItem(20, QStringLiteral("mniLine1"), 0, QStringLiteral("-"));
    menu->AddItem(30, QStringLiteral("Position"), 386);
    menu->AddItem(30, QStringLiteral("Visible"), 247);
    if (qobject_cast<TppCustomText*>(aObject)) {
        menu->AddItem(30, QStringLiteral("AutoSize"), 226);
        menu->AddItem(30, QStringLiteral("ReprintOnOverFlow"), 238);
        menu->AddItem(30, QStringLiteral("ShiftWithParent"), 240);
        menu->AddItem(30, QStringLiteral("Transparent"), 246);
        menu->AddItem(30, QStringLiteral("WordWrap"), 248);
    }
    if (qobject_cast<TppDBText*>(aObject)) {
        menu->AddItem(30, QStringLiteral("BlankWhenZero"), 227);
        menu->AddItem(30, QStringLiteral("DisplayFormat"), 230);
        menu->AddItem(30, QStringLiteral("ReprintOnSubsequent"), 239);
        menu->AddItem(30, QStringLiteral("ResetGroup"), 1132);
        menu->AddItem(30, QStringLiteral("SuppressRepeatedValues"), 245);
    }
    if (qobject_cast<TppCustomBarCode*>(aObject)) {
        menu->AddItem(30, QStringLiteral("AutoSize"), 226);
        menu->AddItem(30, QStringLiteral("AutoSizeFont"), 441);
        menu->AddItem(30, QStringLiteral("Configure"), 443);
        menu->AddItem(30, QStringLiteral("PrintHumanReadable"), 442);
        menu->AddItem(30, QStringLiteral("ReprintOnOverFlow"), 238);
        menu->AddItem(30, QStringLiteral("ShiftWithParent"), 240);
        menu->AddItem(30, QStringLiteral("Transparent"), 246);
    }
    if (qobject_cast<TppCustomRichText*>(aObject)) {
        menu->AddItem(30, QStringLiteral("Edit"), 120);
        menu->AddItem(30, QStringLiteral("MailMerge"), 502);
        menu->AddItem(30, QStringLiteral("Transparent"), 246);
    }
    return menu;
}

TppPopupMenu* DesignPopupMenu(QObject* aObject) {
    TppCustomReport* report = reportOf(aObject);
    if (!report) return nullptr;
    auto* menu = qobject_cast<TppPopupMenu*>(
        report->GetPopupMenu(aObject, [aObject]() -> QObject* { return CreateDesignPopupMenu(aObject); }));
    if (!menu) return nullptr;
    menu->SetComponent(aObject);
    // Items whose dialogs come from the registry: usable only with a registered form.
    for (QAction* item : menu->actions()) {
        const QString dialog = dialogClassOf(item->objectName());
        if (!dialog.isEmpty()) item->setEnabled(ppGetFormClass(dialog) != nullptr);
    }
    QPointer<QObject> target(aObject);
    if (auto* band = qobject_cast<TppBand*>(aObject)) {
        QAction* dynamic = menu->ItemByName(QStringLiteral("DynamicHeight"));
        QAction* fixed = menu->ItemByName(QStringLiteral("StaticHeight"));
        dynamic->setCheckable(true);
        fixed->setCheckable(true);
        dynamic->setChecked(band->PrintHeight() == TppPrintHeightType::phDynamic);
        fixed->setChecked(band->PrintHeight() == TppPrintHeightType::phStatic);
        bind(dynamic, menu, [target] {
            if (auto* b = qobject_cast<TppBand*>(target.data())) b->SetPrintHeight(TppPrintHeightType::phDynamic);
        });
        bind(fixed, menu, [target] {
            if (auto* b = qobject_cast<TppBand*>(target.data())) b->SetPrintHeight(TppPrintHeightType::phStatic);
        });
        bind(menu->ItemByName(QStringLiteral("CalcOrder")), menu, [target] {
            if (auto* b = qobject_cast<TppBand*>(target.data())) RunCalcOrderDialog(b);
        });
        bind(menu->ItemByName(QStringLiteral("Position")), menu, [target] {
            if (auto* b = qobject_cast<TppBand*>(target.data())) RunBandPositionDialog(b);
        });
        if (QAction* pageSetting = menu->ItemByName(QStringLiteral("PageSetting"))) {
            pageSetting->setEnabled(ppGetFormClass(QStringLiteral("TppCustomPageSettingDialog")) != nullptr);
            bind(pageSetting, menu, [target] {
                if (auto* p = qobject_cast<TppPageStyle*>(target.data())) p->PageSettingMenuClick();
            });
        }
        return menu;
    }
    bind(menu->ItemByName(QStringLiteral("BringToFront")), menu, [target] {
        if (auto* c = qobject_cast<TppComponent*>(target.data())) c->BringToFront();
    });
    bind(menu->ItemByName(QStringLiteral("SendToBack")), menu, [target] {
        if (auto* c = qobject_cast<TppComponent*>(target.data())) c->SendToBack();
    });
    bind(menu->ItemByName(QStringLiteral("Position")), menu, [target] {
        if (auto* c = qobject_cast<TppComponent*>(target.data())) RunPositionDialog(c);
    });
    bind(menu->ItemByName(QStringLiteral("ResetGroup")), menu, [target] {
        if (auto* t = qobject_cast<TppDBText*>(target.data())) RunResetGroupDialog(t);
    });
    for (const char* name : {"Edit"}) {
        const QString dialog = dialogClassOf(QString::fromLatin1(name));
        bind(menu->ItemByName(QString::fromLatin1(name)), menu, [target, dialog] {
            if (auto* c = qobject_cast<TppComponent*>(target.data())) runRegisteredDialog(dialog, c->GetOwnerReport());
        });
    }
    bind(menu->ItemByName(QStringLiteral("DisplayFormat")), menu, [target] {
        if (auto* t = qobject_cast<TppCustomText*>(target.data())) runFormatDialog(t);
    });
    bind(menu->ItemByName(QStringLiteral("Configure")), menu, [target] {
        if (auto* b = qobject_cast<TppCustomBarCode*>(target.data())) b->Configure();
    });
    return menu;
}

}  // namespace report
