#include "services/gui/mask_manager.h"

#include "core/command_registry.h"
#include "core/gui/action_icons.h"
#include "core/gui/list_helpers.h"
#include "core/gui/main_form.h"
#include "core/gui/mask_wizard.h"
#include "core/gui/save_mask_dialog.h"
#include "core/main_data_mod.h"

#include "platform/base/scope_exit.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QToolButton* toolButton(QWidget* parent, const char* name, const QString& hint, int tag, const QString& icon) {
    auto* b = ui::Make<QToolButton>(parent, name);
    b->setToolTip(hint);
    b->setProperty("Tag", tag);
    b->setAutoRaise(true);
    b->setIcon(core::ThemeIcon(icon));
    b->setIconSize(QSize(24, 24));
    return b;
}

}  // namespace

TMaskManager::TMaskManager(db::Table& maskLib, QWidget* parent) : QDialog(parent), m_maskLib(maskLib) {
    setObjectName(QStringLiteral("MaskManager"));
    setWindowTitle(QStringLiteral("Mask Library Manager"));
    AddBtn = toolButton(this, "AddBtn", QStringLiteral("Add mask"), 170001, QStringLiteral("list-add"));
    DeleteBtn = toolButton(this, "DeleteBtn", QStringLiteral("Delete mask"), 170002, QStringLiteral("list-remove"));
    EditBtn = toolButton(this, "EditBtn", QStringLiteral("Change mask"), 170003, QStringLiteral("document-properties"));
    CloneBtn = toolButton(this, "CloneBtn", QStringLiteral("Clone mask"), 170004, QStringLiteral("edit-copy"));
    WizardBtn = toolButton(this, "WizardBtn", QStringLiteral("Mask Builder"), 170006, QStringLiteral("applications-engineering"));
    HelpBtn = toolButton(this, "HelpBtn", QStringLiteral("Help"), 170000, QStringLiteral("help-browser"));
    CloseBtn = toolButton(this, "CloseBtn", QStringLiteral("Close the Mask Library Manager"), 170005,
                          QStringLiteral("window-close"));
    MaskList = ui::Make<QTreeWidget>(this, "MaskList");
    MaskList->setProperty("HelpContext", 170007);
    MaskList->setHeaderLabels({QStringLiteral("Mask Name"), QStringLiteral("Mask"), QStringLiteral("Sample")});
    MaskList->setColumnWidth(0, 170);
    MaskList->setColumnWidth(1, 160);
    MaskList->setColumnWidth(2, 160);
    MaskList->setRootIsDecorated(false);
    MaskList->setSelectionBehavior(QAbstractItemView::SelectRows);
    MaskList->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* tools = new QHBoxLayout;
    for (QToolButton* b : {AddBtn, DeleteBtn, EditBtn, CloneBtn, WizardBtn, HelpBtn, CloseBtn}) tools->addWidget(b);
    tools->addStretch();
    auto* l = new QVBoxLayout(this);
    l->addLayout(tools);
    l->addWidget(MaskList);
    resize(530, 320);

    auto guarded = [this](void (TMaskManager::*f)()) {
        return [this, f] { ui::RunGuarded(this, [&] { (this->*f)(); }); };
    };
    connect(AddBtn, &QToolButton::clicked, this, guarded(&TMaskManager::AddBtnClick));
    connect(DeleteBtn, &QToolButton::clicked, this, guarded(&TMaskManager::DeleteBtnClick));
    connect(EditBtn, &QToolButton::clicked, this, guarded(&TMaskManager::EditBtnClick));
    connect(CloneBtn, &QToolButton::clicked, this, guarded(&TMaskManager::CloneBtnClick));
    connect(WizardBtn, &QToolButton::clicked, this, guarded(&TMaskManager::WizardBtnClick));
    connect(HelpBtn, &QToolButton::clicked, this, [] { ui::HelpService::ShowContext(170000); });
    connect(CloseBtn, &QToolButton::clicked, this, [this] { reject(); });
    connect(MaskList, &QTreeWidget::itemDoubleClicked, this, guarded(&TMaskManager::EditBtnClick));
}

void TMaskManager::FillList() {
    MaskList->setSortingEnabled(false);
    core::FillMaskListView(MaskList, m_maskLib);
    MaskList->setSortingEnabled(true);
    MaskList->sortByColumn(0, Qt::AscendingOrder);
    if (MaskList->topLevelItemCount() > 0) MaskList->setCurrentItem(MaskList->topLevelItem(0));
}

void TMaskManager::AddBtnClick() {
    core::ShowSaveMaskDialog(m_maskLib, {}, {}, {}, 0, u'A', this);
    FillList();
}

void TMaskManager::EditBtnClick() {
    QTreeWidgetItem* item = MaskList->currentItem();
    if (!item) return;
    core::ShowSaveMaskDialog(m_maskLib, item->text(0), item->text(1), item->text(2), item->data(0, Qt::UserRole).toInt(),
                             u'E', this);
    FillList();
}

void TMaskManager::CloneBtnClick() {
    QTreeWidgetItem* item = MaskList->currentItem();
    if (!item) return;
    core::ShowSaveMaskDialog(m_maskLib, QStringLiteral("Copy of ") + item->text(0), item->text(1), item->text(2), 0, u'C',
                             this);
    FillList();
}

void TMaskManager::WizardBtnClick() {
    QTreeWidgetItem* item = MaskList->currentItem();
    core::RunMaskWizard(m_maskLib, u'S', item ? item->text(1) : QString(), true, this);
    FillList();
}

void TMaskManager::DeleteBtnClick() {
    QTreeWidgetItem* item = MaskList->currentItem();
    if (!item) return;
    if (ui::Message(QStringLiteral("Are you sure you want to delete this mask?"), ui::MessageKind::Confirmation,
                    ui::Button::Yes | ui::Button::No, 10061) != ui::Button::Yes)
        return;
    if (m_maskLib.Locate(QStringLiteral("ID"), {item->data(0, Qt::UserRole).toInt()}))
        m_maskLib.Delete();
    else
        ui::Message(QStringLiteral("Unable to find the mask in the library."), ui::MessageKind::Error, ui::Button::Ok,
                    10062);
    FillList();
}

void ShowMaskManager(TMainDataMod& data, QWidget* parent) {
    db::Table& table = *data.MaskLibrary;
    const bool wasOpen = table.Active();
    if (!wasOpen) table.Open();
    base::ScopeExit close([&] {
        if (!wasOpen && table.Active()) table.Close();
    });
    TMaskManager manager(table, parent);
    manager.FillList();
    ui::ExecModal(manager);
}

void InstallMaskManager(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_MaskManager"), [form] {
        if (form && form->DataModule()) ShowMaskManager(*form->DataModule(), form);
    });
}
