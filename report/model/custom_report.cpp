#include "report/model/custom_report.h"

#include "report/model/band_classes.h"
#include "report/model/component.h"
#include "report/model/custom_engine.h"
#include "report/model/data_pipeline.h"
#include "report/model/group.h"
#include "report/model/report.h"
#include "report/model/report_template.h"
#include "report/model/report_utils.h"
#include "report/model/subreport.h"
#include "report/model/text_layout.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/stream/property_table.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/window_message.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

quint16 bandBit(TppBandType t) { return quint16(1u << int(t)); }

/// Creates a report object of aClass owned as the report's objects are, with a unique Name
/// and user name.
TppBand* createBand(TppCustomReport* aReport, TClass aClass) {
    TComponent* owner = aReport->Owner() ? aReport->Owner() : aReport;
    QObject* made = aClass->newInstance(Q_ARG(TComponent*, owner));
    auto* band = qobject_cast<TppBand*>(made);
    if (!band) {
        delete made;
        return nullptr;
    }
    QString name;
    aReport->GetDefaultName(band, name);
    band->TComponent::SetName(name);
    return band;
}

}  // namespace

TppCustomReport::TppCustomReport(TComponent* AOwner)
    : TppRelative(AOwner), m_printerSetup(std::make_unique<TppPrinterSetup>(this)) {
    m_defaultBands = bandBit(TppBandType::btHeader) | bandBit(TppBandType::btDetail) | bandBit(TppBandType::btFooter);
    TppCommunicator::SetUserName(QStringLiteral("Report"));
    // A Letter page with quarter-inch margins until the printer setup says otherwise.
    TppPageDef* page = m_printerSetup->PageDef();
    page->SetmmWidth(215900);
    page->SetmmHeight(279400);
    page->SetmmMarginLeft(6350);
    page->SetmmMarginRight(6350);
    page->SetmmMarginTop(6350);
    page->SetmmMarginBottom(6350);
    ReplaceEngine(std::make_unique<TppCustomEngine>(this));
}

TppCustomReport::~TppCustomReport() {
    m_destroying = true;
    SetComponentState(csDestroying, true);
    SetDataPipeline(nullptr);
    SendDesignerMessage(report::PPM_REPORT_DESTROYING, this);
    FreePopupMenus();
    if (m_engine && m_engine->Busy()) m_engine->SetCancelled(true);
    FreeBandsAndGroups();
    SetParentReport(nullptr);
    m_template.reset();
    m_engine.reset();
}

void TppCustomReport::ReplaceEngine(std::unique_ptr<TppCustomEngine> aEngine) {
    m_engine = std::move(aEngine);
    WireEngine();
}

void TppCustomReport::WireEngine() {
    if (!m_engine) return;
    m_engine->OnEndPage = [this] { DoEndPage(); };
    m_engine->OnPageReady = [this] { PageReady(); };
}

void TppCustomReport::FreeBandsAndGroups() {
    while (!m_groups.empty()) delete m_groups.back();  // each group frees its bands and leaves the list
    while (!m_bands.empty()) delete m_bands.back();
}

// Designer ------------------------------------------------------------------------------------

void TppCustomReport::SendDesignerMessage(int aMsg, QObject* aObject) {
    const TppCustomReport* main = GetMainReport();
    if (!m_reportDesigner || Printing() || (main && main->Printing())) return;
    ui::SendMessage(m_reportDesigner, aMsg, report::kDesignerMarker, qintptr(aObject));
}

void TppCustomReport::SendDesignerValue(int aMsg, qintptr aValue) {
    const TppCustomReport* main = GetMainReport();
    if (!m_reportDesigner || Printing() || (main && main->Printing())) return;
    ui::SendMessage(m_reportDesigner, aMsg, report::kDesignerMarker, aValue);
}

void TppCustomReport::PostDesignerMessage(int aMsg, QObject* aObject) {
    const TppCustomReport* main = GetMainReport();
    if (!m_reportDesigner || Printing() || (main && main->Printing())) return;
    ui::PostObjectMessage(m_reportDesigner, aMsg, report::kDesignerMarker, aObject);
}

void TppCustomReport::SetReportDesigner(QObject* aDesigner) {
    if (aDesigner == m_reportDesigner) return;
    SendDesignerMessage(report::PPM_DESIGNER_DETACHED, this);
    m_reportDesigner = aDesigner;
    SetParentForm(aDesigner);
    SendDesignerMessage(report::PPM_DESIGNER_ATTACHED, this);
}

void TppCustomReport::BeginDesignerUpdate() {
    AddState(ppsUpdating);
    SendDesignerMessage(report::PPM_BEGIN_UPDATE, this);
}

void TppCustomReport::EndDesignerUpdate() {
    RemoveState(ppsUpdating);
    SendDesignerMessage(report::PPM_END_UPDATE, this);
}

void TppCustomReport::CreateDesignControls() {
    AddState(ppsDesignControl | ppsCreatingDesignControls);
    RemoveState(ppsCreatingDesignControls);
}

void TppCustomReport::FreeDesignControls() {
    RemoveState(ppsDesignControl | ppsShowData);
    FreePopupMenus();
}

QObject* TppCustomReport::GetPopupMenu(const QObject* aObject, const std::function<QObject*()>& aBuilder) {
    if (!aObject) return nullptr;
    const QString className = QString::fromLatin1(aObject->metaObject()->className());
    for (auto& [name, menu] : m_popupMenus)
        if (name == className && menu) return menu;
    if (!aBuilder) return nullptr;
    QObject* menu = aBuilder();
    if (!menu) return nullptr;
    m_popupMenus.emplace_back(className, menu);
    return menu;
}

void TppCustomReport::FreePopupMenus() {
    auto menus = std::move(m_popupMenus);
    m_popupMenus.clear();
    for (auto& entry : menus) delete entry.second.data();
}

int TppCustomReport::PopupMenuCount() const {
    int n = 0;
    for (const auto& entry : m_popupMenus)
        if (entry.second) ++n;
    return n;
}

void TppCustomReport::SetLanguage(TppLanguageType aLanguage) {
    if (Printing()) return;
    m_language = aLanguage;
    m_languageIndex = 0;
    for (TppBand* b : m_bands) b->LanguageChanged();
    // The cached menus take their numbered captions again (items keep the number in "Tag").
    for (auto& entry : m_popupMenus) {
        if (!entry.second) continue;
        for (QObject* item : entry.second->findChildren<QObject*>()) {
            const int tag = item->property("Tag").toInt();
            if (tag > 0 && item->metaObject()->indexOfProperty("text") >= 0)
                item->setProperty("text", ppGetMessageText(tag));
        }
    }
    SendDesignerMessage(report::PPM_LANGUAGE_CHANGED, nullptr);
    SendNotify(this, ppopLanguageChange);
}

void TppCustomReport::SetParentReport(TppCustomReport* aReport) {
    if (aReport == m_parentReport) return;
    if (m_parentReport) RemoveNotify(m_parentReport);
    m_parentReport = aReport;
    if (m_parentReport) {
        AddNotify(m_parentReport);
        SetReportDesigner(m_parentReport->ReportDesigner());
    }
}

// Generation hooks ----------------------------------------------------------------------------

void TppCustomReport::LayoutChanged() {
    for (TppBand* b : m_bands) b->RefreshLayout();
    PostDesignerMessage(report::PPM_REPORT_LAYOUT_CHANGED, nullptr);
    Reset();
}

void TppCustomReport::fireEvent(const std::function<void(QObject*)>& aHandler, int aEventID) {
    if (aHandler) aHandler(this);
    ppSendEventNotify(this, this, aEventID, nullptr);
}

void TppCustomReport::DoEndPage() {
    fireEvent(OnEndPage, report::ciReportEndPage);
    if (m_pageLimit > 0 && AbsolutePageNo() >= m_pageLimit) PageLimitReached();
}

void TppCustomReport::DoEndColumn() { fireEvent(OnEndColumn, report::ciReportEndColumn); }
void TppCustomReport::DoEndFirstPass() { fireEvent(OnEndFirstPass, report::ciReportEndFirstPass); }
void TppCustomReport::DoEndSecondPass() { fireEvent(OnEndSecondPass, report::ciReportEndSecondPass); }
void TppCustomReport::DoStartColumn() { fireEvent(OnStartColumn, report::ciReportStartColumn); }
void TppCustomReport::DoStartFirstPass() { fireEvent(OnStartFirstPass, report::ciReportStartFirstPass); }
void TppCustomReport::DoStartPage() { fireEvent(OnStartPage, report::ciReportStartPage); }
void TppCustomReport::DoStartSecondPass() { fireEvent(OnStartSecondPass, report::ciReportStartSecondPass); }

void TppCustomReport::EndGeneration() {
    for (TppBand* b : m_bands) b->EndReport();
}

void TppCustomReport::StartGeneration() {
    for (TppBand* b : m_bands) b->StartReport();
}

void TppCustomReport::InitPass() {
    for (TppBand* b : m_bands) b->InitPass();
    for (TppGroup* g : m_groups) g->InitPass();
}

void TppCustomReport::Reset() {
    if (Reading() || m_producing || m_destroying) return;
    if (m_engine) m_engine->Invalidate();
}

int TppCustomReport::AbsolutePageNo() const { return m_engine ? m_engine->AbsolutePageNo() : 0; }
int TppCustomReport::CurrentColumn() const { return m_engine ? m_engine->CurrentColumn() : 1; }
int TppCustomReport::AbsolutePageCount() const { return m_engine ? m_engine->AbsolutePageCount() : 0; }
int TppCustomReport::PageNo() const { return m_engine ? m_engine->GetPageNo() : 0; }
int TppCustomReport::PageCount() const { return m_engine ? m_engine->GetPageCount() : 0; }
bool TppCustomReport::FirstPass() const { return m_engine && m_engine->FirstPass(); }
bool TppCustomReport::SecondPass() const { return m_engine && m_engine->SecondPass(); }
bool TppCustomReport::DonePrinting() const { return m_engine && m_engine->DonePrinting(); }
void TppCustomReport::Stop() {
    if (m_engine) m_engine->Stop();
}
void TppCustomReport::PageLimitReached() {
    if (m_engine) m_engine->PageLimitReached();
}

// Bands and groups ----------------------------------------------------------------------------

TppBand* TppCustomReport::Bands(int aIndex) const {
    return aIndex >= 0 && aIndex < BandCount() ? m_bands.at(size_t(aIndex)) : nullptr;
}

int TppCustomReport::IndexOfBand(const TppBand* aBand) const {
    auto it = std::find(m_bands.begin(), m_bands.end(), aBand);
    return it == m_bands.end() ? -1 : int(it - m_bands.begin());
}

TppGroup* TppCustomReport::Groups(int aIndex) const {
    return aIndex >= 0 && aIndex < GroupCount() ? m_groups.at(size_t(aIndex)) : nullptr;
}

int TppCustomReport::IndexOfGroup(const TppGroup* aGroup) const {
    auto it = std::find(m_groups.begin(), m_groups.end(), aGroup);
    return it == m_groups.end() ? -1 : int(it - m_groups.begin());
}

TppBand* TppCustomReport::GetBand(TppBandType aBandType, int aGroupIndex) const {
    if (aBandType == TppBandType::btGroupHeader || aBandType == TppBandType::btGroupFooter) {
        TppGroup* g = Groups(aGroupIndex);
        if (!g) return nullptr;
        return aBandType == TppBandType::btGroupHeader ? static_cast<TppBand*>(g->HeaderBand())
                                                       : static_cast<TppBand*>(g->FooterBand());
    }
    TClass cls = report::BandClassOfType(aBandType);
    for (TppBand* b : m_bands)
        if (b->metaObject() == cls) return b;
    return nullptr;
}

void TppCustomReport::SortBands() {
    std::stable_sort(m_bands.begin(), m_bands.end(),
                     [](const TppBand* a, const TppBand* b) { return a->GetOrderKey() < b->GetOrderKey(); });
}

void TppCustomReport::AddBand(TppBand* aBand) {
    if (!aBand || IndexOfBand(aBand) >= 0) return;
    m_bands.push_back(aBand);
    if (Owner() && aBand->Owner() != Owner()) aBand->ChangeOwner(Owner());
    SortBands();
    if ((State() & ppsDesignControl) && !Reading()) PostDesignerMessage(report::PPM_BAND_ADDED, aBand);
    Reset();
}

void TppCustomReport::RemoveBand(TppBand* aBand) {
    const int index = IndexOfBand(aBand);
    if (index < 0) return;
    m_bands.erase(m_bands.begin() + index);
    SortBands();
    if ((State() & ppsDesignControl) && !Reading() && !m_destroying) SendDesignerMessage(report::PPM_BAND_REMOVED, aBand);
    Reset();
}

void TppCustomReport::AddGroup(TppGroup* aGroup) {
    if (!aGroup || IndexOfGroup(aGroup) >= 0) return;
    m_groups.push_back(aGroup);
    if (Owner() && aGroup->Owner() != Owner()) aGroup->ChangeOwner(Owner());
    Reset();
}

void TppCustomReport::RemoveGroup(TppGroup* aGroup) {
    const int index = IndexOfGroup(aGroup);
    if (index < 0) return;
    m_groups.erase(m_groups.begin() + index);
    if (m_destroying) return;
    for (TppGroup* g : m_groups) g->RefreshBandCaptions();
    SortBands();
    for (TppGroup* g : m_groups) {
        SendDesignerMessage(report::PPM_COMPONENT_ORDER_CHANGED, g->HeaderBand());
        SendDesignerMessage(report::PPM_COMPONENT_ORDER_CHANGED, g->FooterBand());
    }
    Reset();
}

void TppCustomReport::MoveGroup(TppGroup* aGroup, int aNewIndex) {
    const int index = IndexOfGroup(aGroup);
    if (index < 0 || index == aNewIndex) return;
    aNewIndex = std::clamp(aNewIndex, 0, GroupCount() - 1);
    m_groups.erase(m_groups.begin() + index);
    m_groups.insert(m_groups.begin() + aNewIndex, aGroup);
    for (TppGroup* g : m_groups) g->RefreshBandCaptions();
    SortBands();
    for (TppGroup* g : m_groups) {
        SendDesignerMessage(report::PPM_COMPONENT_ORDER_CHANGED, g->HeaderBand());
        SendDesignerMessage(report::PPM_COMPONENT_ORDER_CHANGED, g->FooterBand());
    }
    Reset();
}

TppComponent* TppCustomReport::FindComponentByName(const QString& aName) const {
    for (TppBand* b : m_bands) {
        const int i = b->FindComponentByName(aName);
        if (i >= 0) return b->Objects(i);
    }
    return nullptr;
}

TppGroup* TppCustomReport::KeepTogetherGroup() const {
    TppGroup* chosen = nullptr;
    for (TppGroup* g : m_groups) {
        if (g->KeepTogether() && !g->NewPage()) chosen = g;
        else if (g->NewPage()) chosen = nullptr;
    }
    return chosen;
}

TppGroup* TppCustomReport::ResetPageNoGroup() const {
    for (TppGroup* g : m_groups)
        if (g->NewPage() && g->ResetPageNo()) return g;
    return nullptr;
}

void TppCustomReport::CreateDefaultBands() {
    if (!m_bands.empty()) return;
    if (m_columns < 2)
        m_defaultBands &= quint16(~(bandBit(TppBandType::btColumnHeader) | bandBit(TppBandType::btColumnFooter)));
    else
        m_defaultBands |= bandBit(TppBandType::btColumnHeader) | bandBit(TppBandType::btColumnFooter);
    for (int t = 0; t <= 9; ++t) {
        const auto type = TppBandType(t);
        if (type == TppBandType::btGroupHeader || type == TppBandType::btGroupFooter) continue;
        if (!(m_defaultBands & bandBit(type)) || GetBand(type)) continue;
        if (TppBand* band = createBand(this, report::BandClassOfType(type))) band->SetReport(this);
    }
}

// Columns -------------------------------------------------------------------------------------

int TppCustomReport::PrintableWidth() const { return PageDef()->mmWidth() - PageDef()->mmMarginLeft() - PageDef()->mmMarginRight(); }

int TppCustomReport::PrintableHeight() const {
    return PageDef()->mmHeight() - PageDef()->mmMarginTop() - PageDef()->mmMarginBottom();
}

bool TppCustomReport::CheckComponentWidths(int aWidth, int aMessage) {
    if (!m_reportDesigner) return true;
    std::vector<TppComponent*> beyond;
    for (TppBand* b : m_bands) {
        const int limit = b->PrintsInColumn() ? aWidth : PrintableWidth();
        for (int i = 0; i < b->ObjectCount(); ++i)
            if (b->Objects(i)->mmLeft() > limit) beyond.push_back(b->Objects(i));
    }
    if (beyond.empty()) return true;
    if (ui::Message(report::MessageText(aMessage), ui::MessageKind::Warning, ui::Button::Ok | ui::Button::Cancel) != ui::Button::Ok)
        return false;
    for (TppComponent* c : beyond) delete c;
    return true;
}

bool TppCustomReport::askToDeleteColumnBands() {
    TppBand* header = GetBand(TppBandType::btColumnHeader);
    TppBand* footer = GetBand(TppBandType::btColumnFooter);
    const bool headerFull = header && header->ObjectCount() > 0;
    const bool footerFull = footer && footer->ObjectCount() > 0;
    if (!headerFull && !footerFull) return true;
    const int message = headerFull && footerFull ? 293 : headerFull ? 294 : 295;
    return ui::Message(report::MessageText(message), ui::MessageKind::Warning, ui::Button::Ok | ui::Button::Cancel) ==
           ui::Button::Ok;
}

void TppCustomReport::SetColumns(int aValue) {
    const int oldColumns = m_columns;
    const int oldWidth = m_mmColumnWidth;
    m_columns = aValue <= 0 ? 1 : aValue;
    if (Reading()) return;
    bool confirmed = true;
    if (m_columns >= 2) {
        m_mmColumnWidth = PrintableWidth() / m_columns;
        confirmed = CheckComponentWidths(m_mmColumnWidth, 292);
        if (confirmed && !(State() & ppsDesignControl) && oldColumns == 1 && !m_bands.empty()) {
            if (!GetBand(TppBandType::btColumnHeader))
                if (TppBand* b = createBand(this, &TppColumnHeaderBand::staticMetaObject)) b->SetReport(this);
            if (!GetBand(TppBandType::btColumnFooter))
                if (TppBand* b = createBand(this, &TppColumnFooterBand::staticMetaObject)) b->SetReport(this);
        }
    } else if (m_reportDesigner) {
        m_mmColumnWidth = PrintableWidth();
        if (oldColumns >= 2) confirmed = askToDeleteColumnBands();
        if (confirmed && !(State() & ppsDesignControl)) {
            delete GetBand(TppBandType::btColumnHeader);
            delete GetBand(TppBandType::btColumnFooter);
        }
    }
    if (confirmed) {
        LayoutChanged();
    } else {
        m_columns = oldColumns;
        m_mmColumnWidth = oldWidth;
    }
}

float TppCustomReport::ColumnWidth() const {
    return ppFromMMThousandths(m_mmColumnWidth, m_units, report::kHorizontal, nullptr);
}

int TppCustomReport::spColumnWidth() const {
    return int(std::nearbyint(ppFromMMThousandths(m_mmColumnWidth, TppUnitType::utScreenPixels, report::kHorizontal, nullptr)));
}

void TppCustomReport::SetColumnWidth(float aValue) {
    if (Reading()) {
        m_rawColumnWidth = aValue;
        m_hasRawColumnWidth = true;
        return;
    }
    const int oldColumns = m_columns;
    const int oldWidth = m_mmColumnWidth;
    int width = ppToMMThousandths(m_units, report::kHorizontal, nullptr, aValue);
    bool confirmed = true;
    width = std::min(width, PrintableWidth());
    if (width <= 0 && m_columns >= 2) {
        m_mmColumnWidth = 0;
        SetColumns(1);
        if (m_columns != 1) confirmed = false;
        if (!confirmed) {
            m_columns = oldColumns;
            m_mmColumnWidth = oldWidth;
        }
        return;
    }
    m_mmColumnWidth = width;
    if (m_columns > 1) {
        confirmed = CheckComponentWidths(width, 292);
        if (confirmed && width > 0) {
            const int fit = int(std::nearbyint(double(PrintableWidth()) / width));
            if (fit < m_columns) m_columns = std::max(fit, 1);
        }
    }
    if (confirmed)
        LayoutChanged();
    else {
        m_mmColumnWidth = oldWidth;
        m_columns = oldColumns;
    }
}

QStringList TppCustomReport::ColumnPositions() const {
    QStringList list = m_mmColumnPositions;
    ppConvertListFromMM(list, m_units, report::kHorizontal, nullptr);
    return list;
}

void TppCustomReport::SetColumnPositions(const QStringList& aPositions) {
    QStringList list = aPositions;
    ppConvertListToMM(list, m_units, report::kHorizontal, nullptr);
    m_mmColumnPositions = list;
    Reset();
}

bool TppCustomReport::SetPageDef(const TppPageDef& aPageDef) {
    const int newWidth = aPageDef.mmWidth() - aPageDef.mmMarginLeft() - aPageDef.mmMarginRight();
    if (newWidth != PrintableWidth() && !CheckComponentWidths(newWidth, 328)) return false;
    PageDef()->Assign(const_cast<TppPageDef*>(&aPageDef));
    LayoutChanged();
    return true;
}

// Properties ----------------------------------------------------------------------------------

void TppCustomReport::SetDataPipeline(TppDataPipeline* aPipeline) {
    if (aPipeline == m_dataPipeline) return;
    TppDataPipeline* old = m_dataPipeline;
    if (old) RemoveNotify(old);
    m_dataPipeline = aPipeline;
    if (m_dataPipeline) AddNotify(m_dataPipeline);
    if (Reading() || (State() & ppsTemplateLoading) || m_destroying) return;
    auto follows = [&](TppDataPipeline* current, const QString& field) {
        if (current == old && old) return true;
        return !current && aPipeline && (field.isEmpty() || aPipeline->GetFieldDataType(field) != TppDataType::dtNotKnown);
    };
    for (TppBand* b : m_bands) {
        if (b->IsDetail() && b->PrintCount() > 0) continue;
        for (int i = 0; i < b->ObjectCount(); ++i) {
            TppComponent* c = b->Objects(i);
            if (c->IsDataAware() && c->ParentDataPipeline() && follows(c->DataPipeline(), c->DataField()))
                c->SetDataPipeline(aPipeline);
        }
    }
    for (TppGroup* g : m_groups)
        if (g->BreakType() == TppBreakType::btDataField && follows(g->DataPipeline(), g->BreakName()))
            g->SetDataPipeline(aPipeline);
    m_autoStop = m_dataPipeline == nullptr;
    Reset();
}

void TppCustomReport::SetPageLimit(int v) {
    m_pageLimit = v;
    Reset();
}

void TppCustomReport::SetPassSetting(TppPassSettingType v) {
    m_passSetting = v;
    if (Reading()) return;
    SetModified(true);
    Reset();
}

void TppCustomReport::SetUnits(TppUnitType aUnits) {
    m_units = aUnits;
    m_printerSetup->SetUnits(aUnits);
    for (TppGroup* g : m_groups) g->SetUnits(aUnits);
    for (TppBand* b : m_bands) b->SetUnits(aUnits);
    if (!Reading()) SendDesignerValue(report::PPM_UNITS_CHANGED, qintptr(aUnits));
}

void TppCustomReport::SetVersion(const QString& aVersion) {
    m_version = aVersion;
    m_versionNo = ppVersionToInt(aVersion);
}

// Names ---------------------------------------------------------------------------------------

void TppCustomReport::SetName(const QString& aName) {
    const QString oldName = Name();
    TppRelative::SetName(aName);
    if ((State() & ppsDesignControl) && !oldName.isEmpty() && oldName != aName) {
        auto rename = [&](TComponent* c) {
            if (c->Name().startsWith(oldName)) c->SetName(aName + c->Name().mid(oldName.size()));
        };
        for (TppGroup* g : m_groups) rename(g);
        for (TppBand* b : m_bands) {
            rename(b);
            for (int i = 0; i < b->ObjectCount(); ++i) rename(b->Objects(i));
        }
    }
    SendDesignerMessage(report::PPM_NAME_CHANGED, this);
}

void TppCustomReport::SetUserName(const QString& aName) { Q_UNUSED(aName); }

void TppCustomReport::GetUserName(QString& aName) const { aName = QStringLiteral("Report"); }

TppCommunicator* TppCustomReport::FindUserName(const QString& aName) const {
    auto same = [&](const TppCommunicator* c) { return c->UserName().compare(aName, Qt::CaseInsensitive) == 0; };
    if (same(this)) return const_cast<TppCustomReport*>(this);
    for (TppBand* b : m_bands) {
        if (same(b)) return b;
        for (int i = 0; i < b->ObjectCount(); ++i)
            if (same(b->Objects(i))) return b->Objects(i);
    }
    for (TppGroup* g : m_groups)
        if (same(g)) return g;
    return nullptr;
}

void TppCustomReport::GetDefaultUserName(const QObject* aComponent, QString& aName) const {
    if (auto* band = qobject_cast<const TppBand*>(aComponent)) {
        aName = band->UserName();
        return;
    }
    const QString base = QString::fromLatin1(aComponent->metaObject()->className()).mid(3);
    std::vector<int> used;
    for (TppBand* b : m_bands)
        for (int i = 0; i < b->ObjectCount(); ++i) {
            TppComponent* c = b->Objects(i);
            if (c == aComponent || c->metaObject() != aComponent->metaObject()) continue;
            const QString u = c->UserName();
            if (!u.startsWith(base)) continue;
            bool ok = false;
            const int n = u.mid(base.size()).toInt(&ok);
            if (ok && n > 0) used.push_back(n);
        }
    int n = 1;
    while (std::find(used.begin(), used.end(), n) != used.end()) ++n;
    aName = base + QString::number(n);
}

void TppCustomReport::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppRelative::Notify(aCommunicator, aOperation);
    if (aCommunicator == m_dataPipeline && aCommunicator) {
        if (aOperation == ppopRemove) {
            m_dataPipeline = nullptr;
            m_autoStop = true;
            Reset();
        } else if (aOperation == ppopDataChange) {
            Reset();
        }
    }
    if (aOperation == ppopRemove && aCommunicator == m_parentReport) m_parentReport = nullptr;
}

void TppCustomReport::AddState(TppCommunicatorStates aStates) {
    TppRelative::AddState(aStates);
    for (TppBand* b : m_bands) b->AddState(aStates);
    for (TppGroup* g : m_groups) g->AddState(aStates);
    if (m_engine) m_engine->AddState(aStates);
    // The modules share the report's states (a code module waits while a template loads),
    // except their own emptiness bit.
    for (const auto& m : std::vector<QPointer<TppReportModule>>(m_modules))
        if (m) m->AddState(aStates & TppCommunicatorStates(~ppsModule));
}

void TppCustomReport::RemoveState(TppCommunicatorStates aStates) {
    TppRelative::RemoveState(aStates);
    for (TppBand* b : m_bands) b->RemoveState(aStates);
    for (TppGroup* g : m_groups) g->RemoveState(aStates);
    if (m_engine) m_engine->RemoveState(aStates);
    for (const auto& m : std::vector<QPointer<TppReportModule>>(m_modules))
        if (m) m->RemoveState(aStates & TppCommunicatorStates(~ppsModule));
}

void TppCustomReport::ChangeOwner(TComponent* aNewOwner) {
    TComponent* old = Owner();
    TppRelative::ChangeOwner(aNewOwner);
    for (TppGroup* g : m_groups)
        if (g->Owner() == old) g->ChangeOwner(aNewOwner);
    for (TppBand* b : m_bands)
        if (b->Owner() == old) b->ChangeOwner(aNewOwner);
}

void TppCustomReport::Transfer(TPersistent* aSource) {
    auto* source = qobject_cast<TppCustomReport*>(aSource);
    if (!source || source == this) return;
    QPointer<QObject> designer = m_reportDesigner;
    m_reportDesigner = nullptr;
    m_columns = source->m_columns;
    m_mmColumnPositions = source->m_mmColumnPositions;
    m_mmColumnWidth = source->m_mmColumnWidth;
    SetDataPipeline(source->m_dataPipeline);
    m_autoStop = source->m_autoStop;
    m_modified = source->m_modified;
    m_pageLimit = source->m_pageLimit;
    m_passSetting = source->m_passSetting;
    m_saveAsTemplate = source->m_saveAsTemplate;
    m_units = source->m_units;
    m_printerSetup->Assign(source->m_printerSetup.get());
    OnEndColumn = source->OnEndColumn;
    OnEndFirstPass = source->OnEndFirstPass;
    OnEndPage = source->OnEndPage;
    OnEndSecondPass = source->OnEndSecondPass;
    OnStartColumn = source->OnStartColumn;
    OnStartFirstPass = source->OnStartFirstPass;
    OnStartPage = source->OnStartPage;
    OnStartSecondPass = source->OnStartSecondPass;
    FreeBandsAndGroups();
    for (int i = source->BandCount() - 1; i >= 0; --i) {
        TppBand* b = source->Bands(i);
        if (qobject_cast<TppGroupBand*>(b)) continue;
        b->SetReport(this);
        if (Owner() && b->Owner() != Owner()) b->ChangeOwner(Owner());
    }
    while (source->GroupCount() > 0) source->Groups(0)->SetReport(this);
    // The loaded modules: a module of a class this report already has hands over its
    // contents (the report's module stays, with its links); others move over.
    for (const QPointer<TppReportModule>& m : std::vector<QPointer<TppReportModule>>(source->m_modules)) {
        if (!m) continue;
        if (TppReportModule* own = GetModuleOfClass(*m->metaObject()); own && own != m) {
            own->Transfer(m);
            own->SetReport(this);
        } else {
            m->SetReport(this);
            if (Owner() && m->Owner() != Owner()) m->ChangeOwner(Owner());
        }
    }
    m_reportDesigner = designer;
    Reset();
}

// Stream --------------------------------------------------------------------------------------

const stream::PropertyList& TppCustomReport::StreamProperties() const {
    using T = TppCustomReport;
    static const QStringList passes = EnumTypeOf(TppPassSettingType{}).values;
    static const QStringList units = EnumTypeOf(TppUnitType{}).values;
    static const QStringList languages = EnumTypeOf(TppLanguageType{}).values;
    auto event = [](QString T::*name) {
        return std::make_pair([name](const T& r) { return r.*name; }, [name](T& r, const QString& v) { r.*name = v; });
    };
    static const auto table = [&] {
        stream::PropertyTable<T> t(TppRelative::StreamProperties());
        t.Boolean("AutoStop", &T::AutoStop, &T::SetAutoStop, true)
            .Integer("Columns", &T::Columns, &T::SetColumns, 1)
            .Strings("ColumnPositions", [](const T& r) { return r.m_mmColumnPositions; },
                     [](T& r, const QStringList& v) { r.m_mmColumnPositions = v; })
            .Reference("DataPipeline", &T::DataPipeline, [](T& r, TppDataPipeline* p) { r.SetDataPipeline(p); })
            .Enum("Language", &T::Language, [](T& r, TppLanguageType v) { r.m_language = v; }, languages,
                  TppLanguageType::lgDefault);
        const struct {
            const char* name;
            QString T::*field;
        } events[] = {{"OnEndColumn", &T::OnEndColumnName},         {"OnEndFirstPass", &T::OnEndFirstPassName},
                      {"OnEndPage", &T::OnEndPageName},             {"OnEndSecondPass", &T::OnEndSecondPassName},
                      {"OnStartColumn", &T::OnStartColumnName},     {"OnStartFirstPass", &T::OnStartFirstPassName},
                      {"OnStartPage", &T::OnStartPageName},         {"OnStartSecondPass", &T::OnStartSecondPassName}};
        for (const auto& e : events) {
            auto [get, set] = event(e.field);
            t.Event(QString::fromLatin1(e.name), get, set);
        }
        t.Integer("PageLimit", &T::PageLimit, &T::SetPageLimit, 0)
            .Enum("PassSetting", &T::PassSetting, &T::SetPassSetting, passes, TppPassSettingType::psOnePass)
            .Object("PrinterSetup", [](const T& r) -> const TppPrinterSetup& { return *r.m_printerSetup; })
            .Boolean("SaveAsTemplate", &T::SaveAsTemplate, &T::SetSaveAsTemplate, false)
            .Enum("Units", &T::Units, &T::SetUnits, units, TppUnitType::utInches)
            .String("Version", [](const T&) { return QStringLiteral("5.0"); }, &T::SetVersion, stream::kNoDefault);
        return t;
    }();
    return table;
}

void TppCustomReport::DefineProperties(stream::Filer& filer) {
    TppRelative::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("mmColumnWidth"), [this](const stream::Value& v) { m_mmColumnWidth = ppReadMMValue(v); },
        [this] { return stream::Value::Integer(m_mmColumnWidth); }, true);
    if (filer.IsWriting()) return;
    filer.DefineProperty(QStringLiteral("ColumnWidth"),
                         [this](const stream::Value& v) {
                             m_rawColumnWidth = float(v.AsExtended());
                             m_hasRawColumnWidth = true;
                         },
                         {}, false);
    filer.DefineProperty(QStringLiteral("RulerUnits"),
                         [this](const stream::Value& v) {
                             const QString u = v.AsText();
                             if (u == QLatin1String("utPixels")) m_units = TppUnitType::utScreenPixels;
                             else if (u == QLatin1String("utInches")) m_units = TppUnitType::utInches;
                             else if (u == QLatin1String("utMillimeters")) m_units = TppUnitType::utMillimeters;
                         },
                         {}, false);
}

void TppCustomReport::GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const {
    for (const TppBand* b : m_bands)
        if (!qobject_cast<const TppGroupBand*>(b)) proc(*b);
    for (const TppGroup* g : m_groups) proc(*g);
    // An empty module is not streamed with its report.
    for (const auto& m : m_modules)
        if (m && !m->IsEmpty()) proc(*m);
}

bool TppCustomReport::AdoptStreamChild(std::unique_ptr<stream::Component>& child) {
    QObject* owner = Owner() ? static_cast<QObject*>(Owner()) : this;
    if (auto* band = dynamic_cast<TppBand*>(child.get()); band && !qobject_cast<TppGroupBand*>(band)) {
        child.release();
        band->setParent(owner);
        band->SetReport(this);
        return true;
    }
    if (auto* group = dynamic_cast<TppGroup*>(child.get())) {
        child.release();
        group->setParent(owner);
        group->SetReport(this);
        return true;
    }
    if (auto* module = dynamic_cast<TppReportModule*>(child.get())) {
        child.release();
        module->setParent(owner);
        module->SetParentComponent(this);
        return true;
    }
    return false;
}

void TppCustomReport::BeginLoading() {
    TppRelative::BeginLoading();
    m_version = QStringLiteral("1.0");
    m_versionNo = 1000;
}

void TppCustomReport::Loaded() {
    CreateDefaultBands();
    const QChar separator = QLocale().decimalPoint().at(0);
    if (separator != u'.')
        for (QString& line : m_mmColumnPositions) {
            const int dot = line.indexOf(u'.');
            if (dot >= 0) line[dot] = separator;
        }
    m_convertedFromPre50 = m_versionNo < kCurrentVersion;
    if (m_convertedFromPre50) Convert(m_versionNo);
    m_version = QStringLiteral("5.0");
    m_versionNo = kCurrentVersion;
    TppRelative::Loaded();
    m_printerSetup->SetUnits(m_units);
    for (TppBand* b : m_bands) b->SetUnits(m_units);
    for (TppGroup* g : m_groups) g->SetUnits(m_units);
}

void TppCustomReport::Convert(int aVersion) {
    if (aVersion < 4100) m_autoStop = false;
    if (aVersion < 3000) {
        m_printerSetup->SetUnits(m_units);
        m_printerSetup->ConvertLoadedPaperSize();
        QStringList positions;
        for (const QString& line : m_mmColumnPositions) {
            if (line.isEmpty()) {
                positions << line;
                continue;
            }
            bool ok = false;
            const double v = line.toDouble(&ok);
            positions << (ok ? QString::number(ppToMMThousandths(m_units, report::kHorizontal, nullptr, float(v))) : QString());
        }
        m_mmColumnPositions = positions;
        if (m_hasRawColumnWidth) m_mmColumnWidth = ppToMMThousandths(m_units, report::kHorizontal, nullptr, m_rawColumnWidth);
        if (m_mmColumnPositions.isEmpty() && m_columns > 1 && qint64(m_columns) * m_mmColumnWidth > PrintableWidth())
            m_mmColumnWidth = PrintableWidth() / m_columns;
        m_passSetting = TppPassSettingType::psTwoPass;
    }
    // Bands in groups upgrade through their groups' bands, which are in the band list too.
    for (TppBand* b : m_bands) b->Convert(aVersion);
    for (TppGroup* g : m_groups) g->Convert(aVersion);
    m_modified = true;
}

// Template, child reports and modules ----------------------------------------------------------

TppReportTemplate* TppCustomReport::Template() {
    if (!m_template) m_template = std::make_unique<TppReportTemplate>(this);
    return m_template.get();
}

void TppCustomReport::SetTemplate(TppReportTemplate* aTemplate) {
    if (aTemplate) Template()->Assign(aTemplate);
}

void TppCustomReport::GetChildReports(TppChildReportList& aList) const {
    for (TppBand* band : m_bands)
        for (int i = 0; i < band->ObjectCount(); ++i)
            if (auto* sub = qobject_cast<TppSubReport*>(band->Objects(i)); sub && sub->Report())
                aList.append({sub->UserName(), sub->Report()});
}

void TppCustomReport::GetAllChildReports(TppChildReportList& aList) const {
    TppChildReportList direct;
    GetChildReports(direct);
    for (const auto& entry : direct) {
        aList.append(entry);
        entry.second->GetAllChildReports(aList);
    }
}

TppReportModule* TppCustomReport::Modules(int aIndex) const {
    return aIndex >= 0 && aIndex < ModuleCount() ? m_modules[size_t(aIndex)].data() : nullptr;
}

TppReportModule* TppCustomReport::GetModuleOfClass(const QMetaObject& aClass) const {
    for (const auto& m : m_modules)
        if (m && m->metaObject()->inherits(&aClass)) return m;
    return nullptr;
}

bool TppCustomReport::HasCodeModule() const {
    for (const auto& m : m_modules)
        if (m && QLatin1String(m->metaObject()->className()) == QLatin1String("TraCodeModule")) return true;
    return false;
}

bool TppCustomReport::ParentHasCodeModule() const {
    for (const TppCustomReport* r = m_parentReport; r; r = r->ParentReport())
        if (r->HasCodeModule()) return true;
    return false;
}

void TppCustomReport::AttachModule(TppReportModule* aModule) {
    if (!aModule) return;
    for (const auto& m : m_modules)
        if (m == aModule) return;
    m_modules.emplace_back(aModule);
}

void TppCustomReport::DetachModule(TppReportModule* aModule) {
    std::erase_if(m_modules, [aModule](const QPointer<TppReportModule>& m) { return !m || m == aModule; });
}

void TppCustomReport::ModuleModified(TppReportModule* aModule) {
    Q_UNUSED(aModule);
    SetModified(true);
    Reset();
}

void TppCustomReport::SignalPrintStart() {
    if (!m_printStartSignalled) {
        m_printStartSignalled = true;
        ppSendEventNotify(this, this, report::ciProducerBeforePrint, nullptr);
    }
    TppChildReportList children;
    GetChildReports(children);
    for (const auto& entry : children) entry.second->SignalPrintStart();
}

void TppCustomReport::SignalPrintEnd() {
    if (m_printStartSignalled) {
        m_printStartSignalled = false;
        ppSendEventNotify(this, this, report::ciProducerAfterPrint, nullptr);
    }
    TppChildReportList children;
    GetChildReports(children);
    for (const auto& entry : children) entry.second->SignalPrintEnd();
}

void TppCustomReport::SetStatusMessage(const QString& aText) {
    m_statusMessage = aText;
    if (OnStatusMessage) OnStatusMessage(aText);
}
