#include "report/designer/explorer/report_explorer.h"

#include "report/designer/explorer/explorer_texts.h"
#include "report/designer/explorer/open_save_dialog.h"
#include "report/designer/gui/designer.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_template.h"
#include "report/output/producer.h"
#include "report/output/report_page_source.h"
#include "report/page/resource_manager.h"

#include "platform/base/day_time.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/widget_dialog_service.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>

#include <exception>

namespace {

QString text(int aNumber) { return ppGetMessageText(aNumber); }
QString text(int aNumber, const QStringList& aArgs) { return report::MessageText(aNumber, aArgs); }

report::ReportExplorerFormClass& formClass() {
    static report::ReportExplorerFormClass c;
    return c;
}

void printThroughProducer(TppReport* aReport, const QString& aDeviceType) {
    TppProducer producer;
    report::ReportPageSource pages(aReport);
    producer.SetPageSource(&pages);
    if (aReport->PrinterSetup()) producer.SetPrinterSetup(aReport->PrinterSetup());
    producer.SetShowCancelDialog(false);
    producer.SetDeviceType(aDeviceType);
    producer.SetModalPreview(true);
    producer.Print();
}

report::ReportPrinter& reportPrinter() {
    static report::ReportPrinter p = printThroughProducer;
    return p;
}

report::ExplorerDesignerRunner& designerRunner() {
    static report::ExplorerDesignerRunner r = [](TppDesigner* aDesigner) { aDesigner->ShowModal(); };
    return r;
}

bool sameText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

namespace report {

ReportExplorerFormClass ppRegisterReportExplorerForm(ReportExplorerFormClass aClass) {
    ReportExplorerFormClass old = std::move(formClass());
    formClass() = std::move(aClass);
    return old;
}

const ReportExplorerFormClass& ppReportExplorerForm() { return formClass(); }

ReportPrinter SetExplorerReportPrinter(ReportPrinter aPrinter) {
    ReportPrinter old = std::move(reportPrinter());
    reportPrinter() = aPrinter ? std::move(aPrinter) : ReportPrinter(printThroughProducer);
    return old;
}

ExplorerDesignerRunner SetExplorerDesignerRunner(ExplorerDesignerRunner aRunner) {
    ExplorerDesignerRunner old = std::move(designerRunner());
    if (aRunner) designerRunner() = std::move(aRunner);
    else designerRunner() = [](TppDesigner* aDesigner) { aDesigner->ShowModal(); };
    return old;
}

}  // namespace report

// ---- field names ----

void TppFolderFieldNames::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppFolderFieldNames*>(Source);
    if (!s) return TPersistent::Assign(Source);
    FolderId = s->FolderId;
    Name = s->Name;
    ParentId = s->ParentId;
}

void TppItemFieldNames::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppItemFieldNames*>(Source);
    if (!s) return TPersistent::Assign(Source);
    Deleted = s->Deleted;
    FolderId = s->FolderId;
    ItemId = s->ItemId;
    Modified = s->Modified;
    Name = s->Name;
    Size = s->Size;
    Template = s->Template;
    ItemType = s->ItemType;
}

// ---- form wrapper ----

TppFormWrapper::TppFormWrapper(TComponent* AOwner) : TppCommunicator(AOwner) {
    report::DeclareExplorerTexts();
    m_formCaption = text(580);
}

void TppFormWrapper::SetFormCaption(const QString& v) {
    m_formCaption = v;
    if (QWidget* f = GetForm()) f->setWindowTitle(v);
}

int TppFormWrapper::FormHeight() const { return GetForm() ? GetForm()->height() : m_formHeight; }
int TppFormWrapper::FormLeft() const { return GetForm() ? GetForm()->x() : m_formLeft; }
int TppFormWrapper::FormTop() const { return GetForm() ? GetForm()->y() : m_formTop; }
int TppFormWrapper::FormWidth() const { return GetForm() ? GetForm()->width() : m_formWidth; }

void TppFormWrapper::SetFormHeight(int v) {
    m_formHeight = v;
    if (QWidget* f = GetForm()) f->resize(f->width(), v);
}
void TppFormWrapper::SetFormLeft(int v) {
    m_formLeft = v;
    if (QWidget* f = GetForm()) f->move(v, f->y());
}
void TppFormWrapper::SetFormTop(int v) {
    m_formTop = v;
    if (QWidget* f = GetForm()) f->move(f->x(), v);
}
void TppFormWrapper::SetFormWidth(int v) {
    m_formWidth = v;
    if (QWidget* f = GetForm()) f->resize(v, f->height());
}

void TppFormWrapper::SetFormIcon(const QIcon& v) {
    m_formIcon = v;
    if (QWidget* f = GetForm()) f->setWindowIcon(v);
}

void TppFormWrapper::applyToForm(QWidget* aForm, bool aKeepGeometry) {
    aForm->setWindowTitle(m_formCaption);
    if (!m_formIcon.isNull()) aForm->setWindowIcon(m_formIcon);
    aForm->setProperty("Tag", m_formTag);
    if (aKeepGeometry) return;
    aForm->resize(m_formWidth, m_formHeight);
    if (m_screenCenter) {
        if (QScreen* s = QGuiApplication::primaryScreen()) {
            const QRect r = s->availableGeometry();
            aForm->move(r.center().x() - m_formWidth / 2, r.center().y() - m_formHeight / 2);
        }
    } else {
        aForm->move(m_formLeft, m_formTop);
    }
    if (m_formState & Qt::WindowMaximized) aForm->setWindowState(Qt::WindowMaximized);
}

// ---- explorer ----

TppReportExplorer::TppReportExplorer(TComponent* AOwner)
    : TppFormWrapper(AOwner), m_folderFieldNames(new TppFolderFieldNames(this)), m_itemFieldNames(new TppItemFieldNames(this)) {}

TppReportExplorer::~TppReportExplorer() { DestroyForm(); }

void TppReportExplorer::SetDesigner(TppDesigner* aDesigner) {
    m_designer = aDesigner;
    m_initialized.reset();
}

void TppReportExplorer::SetFolderOptions(TppFolderOptions v) {
    m_folderOptions = v;
    if (v & TppFolderOption::foAllowDelete) m_itemOptions |= TppItemOption::ioAllowDelete;
}

void TppReportExplorer::SetItemOptions(TppItemOptions v) {
    m_itemOptions = v;
    if (!(v & TppItemOption::ioAllowDesign) && m_itemAction == TppItemActionType::iaOpenToDesign)
        m_itemAction = TppItemActionType::iaOpenToPreview;
    if (v & TppItemOption::ioAllowDelete) m_folderOptions |= TppFolderOption::foAllowDelete;
}

QWidget* TppReportExplorer::GetForm() const { return m_form ? m_form->Widget() : nullptr; }

void TppReportExplorer::SetReport(TppReport* aReport) { m_report = aReport; }

int TppReportExplorer::ItemTypeOfExtension(const QString& aExtension) {
    if (sameText(aExtension, QStringLiteral("ctm"))) return kppCodeModuleItem;
    if (sameText(aExtension, QStringLiteral("dtm"))) return kppDataModuleItem;
    return kppReportItem;
}

db::Table* TppReportExplorer::folderTable() const {
    auto* p = qobject_cast<TppDBPipeline*>(m_folderPipeline.data());
    return p ? p->DataSet() : nullptr;
}

db::Table* TppReportExplorer::itemTable() const {
    auto* p = qobject_cast<TppDBPipeline*>(m_itemPipeline.data());
    return p ? p->DataSet() : nullptr;
}

bool TppReportExplorer::CheckSettings() {
    m_errorMessage.clear();
    if (!m_validateSettings) return true;
    if (!m_designer) {
        m_errorMessage = text(548);
        return false;
    }
    if (!m_designer->Report()) {
        m_errorMessage = text(581);
        return false;
    }
    if (TppDataSettings* ds = m_designer->DataSettings(); ds && ds->DataDictionary() && ds->UseDataDictionary()) {
        if (!ds->DataDictionary()->Validate()) {
            m_errorMessage = ds->DataDictionary()->ErrorMessage();
            return false;
        }
    }
    if (!m_itemPipeline) {
        m_errorMessage = text(563);
        return false;
    }
    if (!m_folderPipeline) {
        m_errorMessage = text(555);
        return false;
    }
    auto open = [](TppDataPipeline* p) {
        try {
            if (!p->GetActive()) p->Open();
        } catch (const std::exception&) {
            return false;
        }
        return p->GetActive();
    };
    if (!open(m_folderPipeline)) {
        m_errorMessage = text(556, {m_folderPipeline->Name()});
        return false;
    }
    if (!open(m_itemPipeline)) {
        m_errorMessage = text(564, {m_itemPipeline->Name()});
        return false;
    }
    auto hasField = [](TppDataPipeline* p, const QString& aField) {
        QStringList names;
        p->GetFieldNames(names);
        return names.contains(aField, Qt::CaseInsensitive);
    };
    const TppFolderFieldNames& ff = *m_folderFieldNames;
    for (const auto& [property, field] : {std::pair{QStringLiteral("FolderId"), ff.FolderId},
                                         {QStringLiteral("Name"), ff.Name}, {QStringLiteral("ParentId"), ff.ParentId}})
        if (!hasField(m_folderPipeline, field)) {
            m_errorMessage = text(591, {property, field});
            return false;
        }
    const TppItemFieldNames& fi = *m_itemFieldNames;
    for (const auto& [property, field] :
         {std::pair{QStringLiteral("Name"), fi.Name}, {QStringLiteral("FolderId"), fi.FolderId},
          {QStringLiteral("Modified"), fi.Modified}, {QStringLiteral("Size"), fi.Size},
          {QStringLiteral("Template"), fi.Template}, {QStringLiteral("ItemId"), fi.ItemId},
          {QStringLiteral("Deleted"), fi.Deleted}})
        if (!hasField(m_itemPipeline, field)) {
            m_errorMessage = text(561, {property, field});
            return false;
        }
    switch (m_itemPipeline->GetFieldDataType(fi.Template)) {
    case TppDataType::dtMemo: m_memo = true; break;
    case TppDataType::dtBLOB: m_memo = false; break;
    default: m_errorMessage = text(562, {fi.Template}); return false;
    }
    return true;
}

bool TppReportExplorer::Initialize() {
    if (m_initialized) return *m_initialized;
    if (m_designer) {
        SetReport(m_designer->Report());
        m_designer->OnClose = [this](QObject*) {
            if (m_form) m_form->Refresh();
        };
        if (TppDesignerWindow* w = m_designer->Form()) {
            const bool allowNew = bool(m_itemOptions & TppItemOption::ioAllowNew);
            for (const char* name : {"mniFileNew", "mniFileNewReport"})
                if (QAction* a = w->MenuItem(QString::fromLatin1(name))) a->setVisible(allowNew);
        }
    }
    if (!CheckSettings() || !folderTable() || !itemTable()) {
        if (m_errorMessage.isEmpty()) m_errorMessage = text(556, {m_folderPipeline ? m_folderPipeline->Name() : QString()});
        m_initialized = false;
        return false;
    }
    m_currentFolderId = kppNoFolder;
    m_currentItemName.clear();
    m_currentItemType = -1;
    m_initialized = true;
    tieReportTemplate();
    return true;
}

void TppReportExplorer::tieReportTemplate() {
    if (!m_report || !m_initialized || !*m_initialized) return;
    TppReportTemplate* t = m_report->Template();
    t->ExplorerEvents.OnNew = [this](TppTemplate* aTemplate) {
        m_currentItemName = GetNewReportName(m_currentFolderId);
        aTemplate->DatabaseSettings()->SetName(m_currentItemName);
    };
    t->ExplorerEvents.OnLoadEnd = [this, t](QObject*) {
        if (m_beforeOpen) {
            const Current before = *m_beforeOpen;
            m_beforeOpen.reset();
            // The template ends a failed load from inside its exception handler.
            if (std::current_exception() || !sameText(t->DatabaseSettings()->Name(), m_openedName)) {
                // The open failed: the folder and name chosen in the dialog go back too.
                m_currentFolderId = before.folder;
                m_currentItemName = before.name;
                m_currentItemType = before.type;
                return;
            }
        }
        db::Table* items = itemTable();
        if (!items || items->Eof()) return;
        const TppItemInfo row = readItem();
        m_currentFolderId = row.FolderId;
        m_currentItemName = row.Name;
        m_currentItemType = row.ItemType;
    };
    t->ExplorerEvents.OnLocateRecord = [this](TppTemplate* aTemplate, const QString& aName) {
        m_currentItemType = ItemTypeOfExtension(aTemplate->FileExtension());
        const bool found = locateItem(aName, m_currentItemType, m_currentFolderId);
        if (!found && m_beforeOpen) {
            m_currentFolderId = m_beforeOpen->folder;
            m_currentItemName = m_beforeOpen->name;
            m_currentItemType = m_beforeOpen->type;
            m_beforeOpen.reset();
        }
        return found;
    };
    t->ExplorerEvents.OnSaveStream = [this](TppTemplate* aTemplate, QByteArray& aStream) {
        if (aTemplate->SaveTo() == TppSaveToType::stFile) return;
        db::Table* items = itemTable();
        if (!items) return;
        const TppItemFieldNames& f = *m_itemFieldNames;
        items->FieldByName(f.ItemType)->SetAsInteger(m_currentItemType > 0 ? m_currentItemType : kppReportItem);
        items->FieldByName(f.FolderId)->SetAsInteger(m_currentFolderId);
        items->FieldByName(f.Size)->SetAsInteger(int(aStream.size()));
        items->FieldByName(f.Modified)->SetAsDateTime(base::DateTimeToDays(QDateTime::currentDateTime()));
    };
    m_report->SetSaveAsTemplate(true);
    t->SetSaveTo(TppSaveToType::stDatabase);
    t->SetFormat(m_memo ? TppFormatType::ftASCII : TppFormatType::ftBinary);
    t->DatabaseSettings()->SetName(m_currentItemName);
    t->DatabaseSettings()->SetDataPipeline(m_itemPipeline);
    t->DatabaseSettings()->SetNameField(m_itemFieldNames->Name);
    t->DatabaseSettings()->SetTemplateField(m_itemFieldNames->Template);
    m_report->SetModified(false);
}

bool TppReportExplorer::Execute() {
    if (!CheckSettings()) return false;
    if (!CreateForm()) return false;
    QWidget* w = GetForm();
    applyToForm(w, m_form->PositionRestored());
    if (OnCreate) OnCreate(w);
    if (m_modalForm) {
        QPointer<QWidget> guard = w;
        ui::ExecModal(*w);
        DestroyForm();
    } else {
        w->show();
    }
    return true;
}

bool TppReportExplorer::CreateForm() {
    installDialog();
    if (!Initialize()) {
        removeDialog();
        return false;
    }
    if (!formClass()) {
        m_errorMessage = text(573);
        removeDialog();
        return false;
    }
    m_form = formClass()();
    m_form->SetReportExplorer(this);
    m_form->SetLanguageIndex(m_report ? m_report->LanguageIndex() : 0);
    m_form->Init();
    if (m_mergeMenu)
        if (auto* bar = m_form->Widget()->findChild<QMenuBar*>())
            for (QAction* a : m_mergeMenu->actions()) bar->addAction(a);
    return true;
}

void TppReportExplorer::DestroyForm() {
    removeDialog();
    if (m_form) {
        TppCustomReportExplorer* form = m_form;
        m_form = nullptr;
        if (OnDestroy) OnDestroy(form->Widget());
        delete form->Widget();
    }
}

void TppReportExplorer::installDialog() {
    if (m_dialogInstalled) return;
    m_dialogInstalled = true;
    m_previousPrompt = report::SetTemplateNamePrompt(
        [this](int aMode, TppDataPipeline* aPipeline, const QString& aNameField, const QString& aName) -> std::optional<QString> {
            TppTemplate* asking = report::TemplateAskingForName();
            if (aPipeline != m_itemPipeline || !asking) {
                if (m_previousPrompt) return m_previousPrompt(aMode, aPipeline, aNameField, aName);
                return std::nullopt;
            }
            return AskForTemplateRow(aMode, asking);
        });
}

void TppReportExplorer::removeDialog() {
    if (!m_dialogInstalled) return;
    m_dialogInstalled = false;
    report::SetTemplateNamePrompt(std::move(m_previousPrompt));
    m_previousPrompt = {};
}

void TppReportExplorer::PrepareDialog(TppOpenSaveDialog& aDialog, int aMode, TppTemplate* aTemplate) {
    aDialog.Mode = aMode;
    aDialog.SetReportExplorer(this);
    aDialog.Folder = m_currentFolderId < 0 ? kppRootFolder : m_currentFolderId;
    aDialog.ItemType = aTemplate ? ItemTypeOfExtension(aTemplate->FileExtension()) : kppReportItem;
    if (aDialog.ItemType == kppReportItem) aDialog.SetItemName(m_currentItemName);
}

void TppReportExplorer::TakeFromDialog(const TppOpenSaveDialog& aDialog) {
    if (aDialog.Mode == 0) {
        m_beforeOpen = Current{m_currentFolderId, m_currentItemName, m_currentItemType};
        m_openedName = aDialog.GetItemName();
    }
    m_currentFolderId = aDialog.Folder;
    m_currentItemName = aDialog.GetItemName();
    m_currentItemType = aDialog.ItemType;
}

std::optional<QString> TppReportExplorer::AskForTemplateRow(int aMode, TppTemplate* aTemplate) {
    TppOpenSaveDialog dialog(QApplication::activeWindow());
    PrepareDialog(dialog, aMode, aTemplate);
    if (aTemplate) {
        if (aTemplate->Events.OnCreateDialog) aTemplate->Events.OnCreateDialog(aTemplate, &dialog);
        if (aTemplate->ExplorerEvents.OnCreateDialog) aTemplate->ExplorerEvents.OnCreateDialog(aTemplate, &dialog);
    }
    if (ui::ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
    TakeFromDialog(dialog);
    return dialog.GetItemName();
}

// ---- rows ----

bool TppReportExplorer::locateFolder(const QString& aName, int aParentId) {
    db::Table* t = folderTable();
    if (!t) return false;
    const TppFolderFieldNames& f = *m_folderFieldNames;
    return t->Locate(f.Name + u';' + f.ParentId, {aName, aParentId}, db::LocateOption::loCaseInsensitive);
}

bool TppReportExplorer::locateFolderId(int aFolderId) {
    db::Table* t = folderTable();
    return t && t->Locate(m_folderFieldNames->FolderId, {aFolderId});
}

bool TppReportExplorer::locateItem(const QString& aName, int aItemType, int aFolderId) {
    db::Table* t = itemTable();
    if (!t) return false;
    const TppItemFieldNames& f = *m_itemFieldNames;
    return t->Locate(f.FolderId + u';' + f.ItemType + u';' + f.Name, {aFolderId, aItemType, aName},
                     db::LocateOption::loCaseInsensitive);
}

bool TppReportExplorer::locateItemId(int aItemId) {
    db::Table* t = itemTable();
    return t && t->Locate(m_itemFieldNames->ItemId, {aItemId});
}

TppItemInfo TppReportExplorer::readItem() const {
    db::Table* t = itemTable();
    const TppItemFieldNames& f = *m_itemFieldNames;
    TppItemInfo info;
    info.ItemId = t->FieldByName(f.ItemId)->AsInteger();
    info.FolderId = t->FieldByName(f.FolderId)->AsInteger();
    info.Name = t->FieldByName(f.Name)->AsString();
    if (db::Field* type = t->FindField(f.ItemType)) info.ItemType = type->AsInteger();
    info.Size = t->FieldByName(f.Size)->AsInteger();
    db::Field* modified = t->FieldByName(f.Modified);
    info.Modified = modified->IsNull() ? 0 : modified->AsDateTime();
    db::Field* deleted = t->FieldByName(f.Deleted);
    info.Deleted = deleted->IsNull() ? 0 : deleted->AsDateTime();
    return info;
}

QList<TppItemInfo> TppReportExplorer::GetItems(int aFolderId, int aItemType) {
    QList<TppItemInfo> list;
    if (!Initialize()) return list;
    db::Table* t = itemTable();
    const TppItemFieldNames& f = *m_itemFieldNames;
    db::Field* id = t->FieldByName(f.ItemId);
    db::Field* folder = t->FieldByName(f.FolderId);
    db::Field* name = t->FieldByName(f.Name);
    db::Field* type = t->FindField(f.ItemType);
    db::Field* size = t->FieldByName(f.Size);
    db::Field* modified = t->FieldByName(f.Modified);
    db::Field* deleted = t->FieldByName(f.Deleted);
    for (t->First(); !t->Eof(); t->Next()) {
        if (folder->AsInteger() != aFolderId) continue;
        const int itemType = type ? type->AsInteger() : kppReportItem;
        if (aItemType != 0 && itemType != aItemType) continue;
        TppItemInfo info;
        info.ItemId = id->AsInteger();
        info.FolderId = aFolderId;
        info.Name = name->AsString();
        info.ItemType = itemType;
        info.Size = size->AsInteger();
        info.Modified = modified->IsNull() ? 0 : modified->AsDateTime();
        info.Deleted = deleted->IsNull() ? 0 : deleted->AsDateTime();
        list.push_back(info);
    }
    return list;
}

bool TppReportExplorer::ReportExists(const QString& aName, int aFolderId) {
    return Initialize() && locateItem(aName, kppReportItem, aFolderId);
}

QString TppReportExplorer::GetNewReportName(int aFolderId) {
    if (!Initialize()) return {};
    const QString base = text(571);
    QString name = base;
    for (int n = 2; ReportExists(name, aFolderId); ++n) name = base + QStringLiteral(" (") + QString::number(n) + u')';
    return name;
}

bool TppReportExplorer::ItemNameAvailable(const QString& aName, int aItemType, int aFolderId) {
    if (!Initialize() || aName.isEmpty()) return false;
    return !locateItem(aName, aItemType, aFolderId);
}

void TppReportExplorer::RenameItem(const QString& aName, const QString& aNewName, int aFolderId, int aItemType) {
    if (!Initialize() || !CheckNameLength(aNewName) || !locateItem(aName, aItemType, aFolderId)) return;
    db::Table* t = itemTable();
    t->Edit();
    t->FieldByName(m_itemFieldNames->Name)->SetAsString(aNewName);
    t->Post();
}

void TppReportExplorer::DeleteItem(const QString& aName, int aItemType, int aFolderId) {
    if (!Initialize() || !locateItem(aName, aItemType, aFolderId)) return;
    itemTable()->Delete();
}

void TppReportExplorer::DeleteItemById(int aItemId) {
    if (!Initialize() || !locateItemId(aItemId)) return;
    itemTable()->Delete();
}

bool TppReportExplorer::moveItemRow(int aItemId, int aDestination) {
    if (!locateItemId(aItemId)) return false;
    db::Table* t = itemTable();
    t->Edit();
    t->FieldByName(m_itemFieldNames->FolderId)->SetAsInteger(aDestination);
    t->Post();
    return true;
}

bool TppReportExplorer::MoveItem(const QString& aName, int aItemType, int aDestination, int aSource) {
    if (!Initialize()) return false;
    // Onto the folder it already lies in: replacing it with itself would delete it.
    if (aDestination == aSource) return false;
    if (!locateItem(aName, aItemType, aSource)) return false;
    const int itemId = readItem().ItemId;
    return MoveItemById(itemId, aDestination);
}

bool TppReportExplorer::MoveItemById(int aItemId, int aDestination) {
    if (!Initialize() || !locateItemId(aItemId)) return false;
    const TppItemInfo item = readItem();
    if (item.FolderId == aDestination) return false;
    if (!m_recycling && aDestination != kppRecycleBin && locateItem(item.Name, item.ItemType, aDestination)) {
        const int existing = readItem().ItemId;
        if (m_askReplace && !ConfirmItemReplace(item.Name)) return false;
        DeleteItemById(existing);
    }
    return moveItemRow(aItemId, aDestination);
}

bool TppReportExplorer::EmptyRecycleBin() {
    if (!Initialize()) return false;
    const QList<TppItemInfo> items = GetItems(kppRecycleBin);
    QStringList names;
    for (const TppItemInfo& i : items) names << i.Name;
    if (!ConfirmItemsDelete(names)) return false;
    for (const TppItemInfo& i : items) DeleteItemById(i.ItemId);
    return true;
}

// ---- folders ----

QList<TppFolderInfo> TppReportExplorer::GetFolders() {
    QList<TppFolderInfo> list;
    if (!Initialize()) return list;
    db::Table* t = folderTable();
    const TppFolderFieldNames& f = *m_folderFieldNames;
    db::Field* id = t->FieldByName(f.FolderId);
    db::Field* name = t->FieldByName(f.Name);
    db::Field* parent = t->FieldByName(f.ParentId);
    for (t->First(); !t->Eof(); t->Next()) list.push_back({name->AsString(), id->AsInteger(), parent->AsInteger()});
    return list;
}

QList<TppFolderInfo> TppReportExplorer::GetChildFolders(int aParentId) {
    QList<TppFolderInfo> list;
    for (const TppFolderInfo& f : GetFolders())
        if (f.ParentId == aParentId && f.FolderId != aParentId) list.push_back(f);
    return list;
}

QList<int> TppReportExplorer::childFolderIds(int aParentId) {
    QList<int> ids;
    for (const TppFolderInfo& f : GetChildFolders(aParentId)) ids.push_back(f.FolderId);
    return ids;
}

int TppReportExplorer::GetParentId(int aFolderId) {
    if (!Initialize() || !locateFolderId(aFolderId)) return kppNoFolder;
    return folderTable()->FieldByName(m_folderFieldNames->ParentId)->AsInteger();
}

QString TppReportExplorer::GetFolderName(int aFolderId) {
    if (!Initialize() || !locateFolderId(aFolderId)) return {};
    return folderTable()->FieldByName(m_folderFieldNames->Name)->AsString();
}

QList<TppFolderInfo> TppReportExplorer::GetParentFolders(int aFolderId) {
    QList<TppFolderInfo> list;
    if (!Initialize()) return list;
    QList<int> seen{aFolderId};
    int parent = GetParentId(aFolderId);
    while (parent > 0 && !seen.contains(parent) && locateFolderId(parent)) {
        seen.push_back(parent);
        const TppFolderInfo info{GetFolderName(parent), parent, GetParentId(parent)};
        list.push_back(info);
        parent = info.ParentId;
    }
    return list;
}

bool TppReportExplorer::FolderNameAvailable(int aParentId, const QString& aName) {
    if (!Initialize() || aName.isEmpty()) return false;
    return !locateFolder(aName, aParentId);
}

QString TppReportExplorer::GetNewFolderName(int aParentId) {
    if (!Initialize()) return {};
    const QString base = text(570);
    QString name = base;
    for (int n = 2; !FolderNameAvailable(aParentId, name); ++n) name = base + QStringLiteral(" (") + QString::number(n) + u')';
    return name;
}

int TppReportExplorer::AddFolder(int aParentId, const QString& aName) {
    if (!Initialize() || !CheckNameLength(aName)) return kppNoFolder;
    db::Table* t = folderTable();
    const TppFolderFieldNames& f = *m_folderFieldNames;
    const auto insert = [&] {
        t->Insert();
        t->FieldByName(f.Name)->SetAsString(aName);
        t->FieldByName(f.ParentId)->SetAsInteger(aParentId);
        t->Post();
        return t->FieldByName(f.FolderId)->AsInteger();
    };
    int id = insert();
    if (id == kppRootFolder) {
        // The root's id: inserted again, with an id above every one the table holds (the
        // counter would hand out 0 again after the delete).
        t->Delete();
        int highest = 0;
        db::Field* ids = t->FieldByName(f.FolderId);
        for (t->First(); !t->Eof(); t->Next()) highest = std::max(highest, ids->AsInteger());
        t->Insert();
        t->FieldByName(f.FolderId)->SetAsInteger(highest + 1);
        t->FieldByName(f.Name)->SetAsString(aName);
        t->FieldByName(f.ParentId)->SetAsInteger(aParentId);
        t->Post();
        id = t->FieldByName(f.FolderId)->AsInteger();
    }
    return id;
}

void TppReportExplorer::RenameFolder(int aFolderId, const QString& aNewName) {
    if (!Initialize() || !CheckNameLength(aNewName) || !locateFolderId(aFolderId)) return;
    db::Table* t = folderTable();
    t->Edit();
    t->FieldByName(m_folderFieldNames->Name)->SetAsString(aNewName);
    t->Post();
}

void TppReportExplorer::deleteFolderRows(int aFolderId, QList<int>& aSeen) {
    if (aSeen.contains(aFolderId)) return;
    aSeen.push_back(aFolderId);
    for (int child : childFolderIds(aFolderId)) deleteFolderRows(child, aSeen);
    for (const TppItemInfo& i : GetItems(aFolderId)) DeleteItemById(i.ItemId);
    if (locateFolderId(aFolderId)) folderTable()->Delete();
}

bool TppReportExplorer::DeleteFolder(int aFolderId) {
    if (!Initialize() || aFolderId == kppRootFolder || aFolderId == kppRecycleBin) return false;
    QList<int> seen;
    deleteFolderRows(aFolderId, seen);
    return true;
}

bool TppReportExplorer::isFolderOrBelow(int aFolderId, int aCandidate) {
    QList<int> seen;
    for (int f = aCandidate; f > 0 && !seen.contains(f); f = GetParentId(f)) {
        if (f == aFolderId) return true;
        seen.push_back(f);
    }
    return false;
}

bool TppReportExplorer::MoveFolder(int aFolderId, int aDestination) {
    if (!Initialize()) return false;
    m_replaceAll = false;
    QList<int> seen;
    const bool moved = moveFolder(aFolderId, aDestination, seen);
    m_recycling = false;
    m_askReplace = true;
    return moved;
}

bool TppReportExplorer::moveFolder(int aFolderId, int aDestination, QList<int>& aSeen) {
    if (aSeen.contains(aFolderId)) return false;
    aSeen.push_back(aFolderId);
    // Into itself or one of its own sub-folders: a parent cycle that no walk would leave.
    if (aDestination == aFolderId || (aDestination > 0 && isFolderOrBelow(aFolderId, aDestination))) {
        ShowMoveFolderError(GetFolderName(aFolderId));
        return false;
    }
    if (!locateFolderId(aFolderId)) return false;
    const QString name = GetFolderName(aFolderId);
    const int parent = GetParentId(aFolderId);
    // Onto the folder it already lies in: nothing to do (a merge with itself would delete it).
    if (parent == aDestination) return false;
    if (aDestination == kppRecycleBin) {
        const bool wasRecycling = m_recycling;
        m_recycling = true;
        for (int child : childFolderIds(aFolderId)) moveFolder(child, kppRecycleBin, aSeen);
        for (const TppItemInfo& i : GetItems(aFolderId)) moveItemRow(i.ItemId, kppRecycleBin);
        m_recycling = wasRecycling;
        QList<int> seen;
        deleteFolderRows(aFolderId, seen);
        return true;
    }
    if (!locateFolder(name, aDestination)) {
        locateFolderId(aFolderId);
        db::Table* t = folderTable();
        t->Edit();
        t->FieldByName(m_folderFieldNames->ParentId)->SetAsInteger(aDestination);
        t->Post();
        return true;
    }
    const int existing = folderTable()->FieldByName(m_folderFieldNames->FolderId)->AsInteger();
    if (!m_replaceAll) {
        switch (ui::Button(ConfirmFolderReplace(name))) {
        case ui::Button::Yes: break;
        case ui::Button::YesToAll: m_replaceAll = true; break;
        default: return false;
        }
    }
    bool all = true;
    for (int child : childFolderIds(aFolderId)) all = moveFolder(child, existing, aSeen) && all;
    const bool wasAsking = m_askReplace;
    m_askReplace = false;
    for (const TppItemInfo& i : GetItems(aFolderId)) all = MoveItemById(i.ItemId, existing) && all;
    m_askReplace = wasAsking;
    if (all) {
        QList<int> seen;
        deleteFolderRows(aFolderId, seen);
    }
    return true;
}

// ---- loading, designing, printing ----

void TppReportExplorer::LoadReport(const QString& aName, int aFolderId) {
    if (!Initialize() || !m_report) return;
    const int language = m_report->LanguageIndex();
    m_currentFolderId = aFolderId;
    m_report->Template()->DatabaseSettings()->SetName(aName);
    m_report->Template()->LoadFromDatabase();
    tieReportTemplate();
    m_report->SetLanguageIndex(language);
}

void TppReportExplorer::DesignReport(const QString& aName, int aFolderId) {
    if (!ReportExists(aName, aFolderId)) return;
    LoadReport(aName, aFolderId);
    if (m_designer) designerRunner()(m_designer);
}

void TppReportExplorer::PrintReport(const QString& aName, int aFolderId) {
    if (!ReportExists(aName, aFolderId)) return;
    LoadReport(aName, aFolderId);
    reportPrinter()(m_report, QStringLiteral("Printer"));
}

void TppReportExplorer::PreviewReport(const QString& aName, int aFolderId) {
    if (!ReportExists(aName, aFolderId)) return;
    LoadReport(aName, aFolderId);
    reportPrinter()(m_report, QStringLiteral("Screen"));
}

void TppReportExplorer::SaveReport(const QString& aName) {
    if (!Initialize() || !m_report || !CheckNameLength(aName)) return;
    m_report->Template()->DatabaseSettings()->SetName(aName);
    m_report->Template()->SaveToDatabase();
}

void TppReportExplorer::NewReport(int aFolderId) {
    if (!Initialize() || !m_report) return;
    m_currentFolderId = aFolderId;
    m_currentItemName = GetNewReportName(aFolderId);
    m_currentItemType = kppReportItem;
    while (m_report->ModuleCount() > 0) delete m_report->Modules(0);
    m_report->Template()->New();
    tieReportTemplate();
    if (m_designer) designerRunner()(m_designer);
}

// ---- questions ----

int TppReportExplorer::question(int aCaption, const QString& aText, int aKind, int aButtons) {
    ui::MessageRequest request;
    request.caption = text(aCaption);
    request.text = aText;
    request.kind = ui::MessageKind(aKind);
    request.buttons = ui::Buttons::fromInt(aButtons);
    return int(ui::Dialogs().Message(request));
}

namespace {
constexpr int kWarning = int(ui::MessageKind::Warning);
constexpr int kConfirm = int(ui::MessageKind::Confirmation);
constexpr int kError = int(ui::MessageKind::Error);
constexpr int kYesNo = int(ui::Button::Yes) | int(ui::Button::No);
constexpr int kYes = int(ui::Button::Yes);
}  // namespace

bool TppReportExplorer::ConfirmFolderDelete(const QString& aName) {
    return question(536, text(528, {aName}), kWarning, kYesNo) == kYes;
}

bool TppReportExplorer::ConfirmFoldersDelete(const QStringList& aNames) {
    if (aNames.isEmpty()) return false;
    if (aNames.size() == 1) return ConfirmFolderDelete(aNames.first());
    return question(541, text(526, {QString::number(aNames.size())}), kWarning, kYesNo) == kYes;
}

bool TppReportExplorer::ConfirmItemDelete(const QString& aName) {
    return question(539, text(525, {aName}), kWarning, kYesNo) == kYes;
}

bool TppReportExplorer::ConfirmItemsDelete(const QStringList& aNames) {
    if (aNames.isEmpty()) return false;
    if (aNames.size() == 1) return ConfirmItemDelete(aNames.first());
    return question(543, text(527, {QString::number(aNames.size())}), kWarning, kYesNo) == kYes;
}

bool TppReportExplorer::ConfirmItemRecycle(const QString& aName) {
    return question(539, text(529, {aName}), kWarning, kYesNo) == kYes;
}

bool TppReportExplorer::ConfirmRecycle(const QStringList& aFolders, const QStringList& aItems) {
    const int count = int(aFolders.size() + aItems.size());
    if (count == 0) return false;
    if (count == 1) return aFolders.size() == 1 ? ConfirmFolderDelete(aFolders.first()) : ConfirmItemRecycle(aItems.first());
    if (aItems.isEmpty()) return ConfirmFoldersDelete(aFolders);
    return question(543, text(530, {QString::number(count)}), kWarning, kYesNo) == kYes;
}

int TppReportExplorer::MaxNameLength() {
    if (!Initialize()) return 0;
    int limit = 0;
    for (db::Field* f : {folderTable()->FindField(m_folderFieldNames->Name), itemTable()->FindField(m_itemFieldNames->Name)})
        if (f && f->DataType() == db::FieldType::ftString && f->Size() > 0) limit = limit ? std::min(limit, f->Size()) : f->Size();
    return limit;
}

bool TppReportExplorer::CheckNameLength(const QString& aName) {
    const int limit = MaxNameLength();
    if (limit <= 0 || aName.size() <= limit) return true;
    ui::MessageRequest request;
    request.caption = text(580);
    request.text = QStringLiteral("Cannot use the name '%1': a name may have at most %2 characters.").arg(aName).arg(limit);
    request.kind = ui::MessageKind::Error;
    ui::Dialogs().Message(request);
    return false;
}

bool TppReportExplorer::CheckFolderRename(const QString& aOldName, const QString& aNewName, int aParentId) {
    if (sameText(aOldName, aNewName) && aOldName != aNewName && !aNewName.isEmpty()) return CheckNameLength(aNewName);
    if (FolderNameAvailable(aParentId, aNewName)) return CheckNameLength(aNewName);
    const QString message = aNewName.isEmpty() ? text(1111) : text(533, {aOldName}) + QStringLiteral("\n\n") + text(584);
    question(552, message, kError, int(ui::Button::Ok));
    return false;
}

bool TppReportExplorer::CheckItemRename(const QString& aOldName, const QString& aNewName, int aFolderId, int aItemType) {
    if (sameText(aOldName, aNewName) && aOldName != aNewName && !aNewName.isEmpty()) return CheckNameLength(aNewName);
    if (ItemNameAvailable(aNewName, aItemType, aFolderId)) return CheckNameLength(aNewName);
    const QString message = aNewName.isEmpty() ? text(1112) : text(534, {aOldName}) + QStringLiteral("\n\n") + text(585);
    question(553, message, kError, int(ui::Button::Ok));
    return false;
}

int TppReportExplorer::ConfirmFolderReplace(const QString& aName) {
    const QString message = text(586, {aName}) + QStringLiteral("\n\n") + text(592) + u' ' + text(593);
    return question(537, message, kConfirm,
                    int(ui::Button::Yes) | int(ui::Button::No) | int(ui::Button::Cancel) | int(ui::Button::YesToAll));
}

bool TppReportExplorer::ConfirmItemReplace(const QString& aName) {
    const QString message = text(587, {aName}) + QStringLiteral("\n\n") + text(590);
    return question(540, message, kConfirm, int(ui::Button::Yes) | int(ui::Button::No) | int(ui::Button::Cancel)) == kYes;
}

void TppReportExplorer::ShowMoveFolderError(const QString& aName) {
    question(551, text(532, {aName}), kError, int(ui::Button::Ok));
}
