#include "report/model/band_classes.h"

#include "report/model/component.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/errors.h"
#include "report/model/group.h"
#include "report/model/report_utils.h"
#include "report/model/stretchable.h"
#include "report/model/text_layout.h"
#include "report/page/page.h"
#include "report/page/resource_manager.h"

#include "platform/stream/property_table.h"

#include <algorithm>

namespace {

const QStringList& printHeightNames() {
    static const QStringList names = EnumTypeOf(TppPrintHeightType{}).values;
    return names;
}

/// Adds the PrintHeight property to a band table.
template <class T>
stream::PropertyTable<T>& withPrintHeight(stream::PropertyTable<T>& table) {
    return table.Enum("PrintHeight", &T::PrintHeight, [](T& b, TppPrintHeightType v) { b.SetPrintHeight(v); },
                      printHeightNames(), TppPrintHeightType::phStatic);
}

/// The table of a band that adds only PrintHeight to the properties of its base.
template <class T>
stream::PropertyTable<T> printHeightTable(const stream::PropertyList& base) {
    stream::PropertyTable<T> t(base);
    withPrintHeight(t);
    return t;
}

}  // namespace

namespace {

/// The generation run of a component: fixed, stretching, stretching with the band, shifting.
int generationRun(const TppComponent* c) {
    auto* s = qobject_cast<const TppStretchable*>(c);
    if (s && s->Stretch()) return 2;
    if (c->StretchWithParent()) return 3;
    if (c->ShiftWithParent()) return 4;
    return 1;
}

}  // namespace

void TppCustomBand::NotePlaced(TppComponent* aComponent) {
    if (std::find(m_placed.begin(), m_placed.end(), aComponent) == m_placed.end()) m_placed.push_back(aComponent);
}

void TppCustomBand::noteTallest(TppStretchable* aStretchable) {
    // An anchored stretchable counts through its anchor, whose space covers it.
    if (aStretchable->SpaceUsed() <= 0 || aStretchable->ShiftRelativeTo()) return;
    const int bottom = aStretchable->PrintRect().top() + aStretchable->SpaceUsed();
    if (!m_tallest || bottom > m_tallest->PrintRect().top() + m_tallest->SpaceUsed()) m_tallest = aStretchable;
}

int TppCustomBand::GenerateBand(int aLeft, int aTop, int aRight, int aAvailableBottom, TppPage* aPage, bool aUsePrintPosition) {
    Q_UNUSED(aRight);
    DoBeforePrint();
    if (!Visible()) {
        m_overFlow = false;
        DoAfterPrint();
        return 0;
    }
    const bool continuing = m_overFlow;
    const bool dynamic = PrintHeight() == TppPrintHeightType::phDynamic;
    m_availableBottom = aAvailableBottom - mmBottomOffset();
    int top = aTop;
    if (mmPrintPosition() != 0 && aUsePrintPosition && !continuing) {
        const int position = mmPrintPosition();
        if (position >= m_availableBottom) throw EPrintError(report::MessageText(415) + QStringLiteral("."));
        if (position >= aTop && (dynamic || m_availableBottom >= position + mmHeight())) {
            top = position;
            m_retried = false;
        } else if (m_retried) {
            m_retried = false;  // not reachable on this page either: prints where it is
        } else {
            m_retried = true;
            return -1;
        }
    }
    m_bandLeft = aLeft;
    m_bandTop = top;
    m_runningBottom = top;
    m_tallest = nullptr;
    m_placed.clear();
    if (!dynamic && m_availableBottom < top + mmHeight()) return -1;
    DoBeforeGenerate();
    std::vector<TppComponent*> order;
    for (int run = 1; run <= 4; ++run)
        for (int i = 0; i < ObjectCount(); ++i) {
            TppComponent* c = Objects(i);
            auto* s = qobject_cast<TppStretchable*>(c);
            if (s && s->ShiftRelativeTo()) continue;  // its anchor generates it
            if (generationRun(c) == run) order.push_back(c);
        }
    bool unfinished = false;
    for (TppComponent* c : order) {
        if (continuing) {
            // A region that continues prints again with everything in it.
            const bool inContinuingRegion =
                (c->IsRegion() && c->OverFlow()) || (c->Region() && c->Region()->OverFlow());
            if (c->GenerationComplete() && !c->ReprintOnOverFlow() && !inContinuingRegion) continue;
            if (c->GenerationComplete()) {
                // A continuing region keeps its overflow: its frame continues at its offset.
                const bool regionContinues = c->IsRegion() && c->OverFlow();
                c->ResetGeneration();
                c->BeforeGenerate();
                if (regionContinues) c->SetOverFlow(true);
            }
            c->SetOutOfSpace(false);
            c->SetSpaceUsed(0);
        } else {
            c->ResetGeneration();
            c->BeforeGenerate();
        }
        c->Generate();
        if (c->OutOfSpace()) {
            // Without anything continuing the band does not fit here and moves as a whole.
            if (!continuing && !unfinished) {
                m_placed.clear();
                return -1;
            }
            unfinished = true;
            continue;
        }
        if (!c->GenerationComplete()) unfinished = true;
        if (c->SpaceUsed() > 0) m_runningBottom = std::max(m_runningBottom, c->PrintRect().top() + c->SpaceUsed());
        if (auto* s = qobject_cast<TppStretchable*>(c)) noteTallest(s);
        else NotePlaced(c);
    }
    m_overFlow = unfinished;
    const int used = (dynamic ? m_runningBottom - aTop : top - aTop + mmHeight()) + mmBottomOffset();
    DoAfterGenerate();
    if (aPage) {
        SetOutputNo(aPage->TakeBandOutputNo());
        std::vector<TppComponent*> placed = m_placed;
        std::stable_sort(placed.begin(), placed.end(), [](TppComponent* a, TppComponent* b) { return a->Index() < b->Index(); });
        for (TppComponent* c : placed) c->GeneratePage(aPage);
    }
    for (TppComponent* c : m_placed) c->EndGenerate();
    DoAfterPrint();
    return used;
}

void TppCustomBand::SaveToCache(int aPageNo) {
    QByteArray record(2, 0);
    record[0] = char(m_overFlow);
    record[1] = char(m_retried);
    WriteCacheRecord(aPageNo, record);
}

void TppCustomBand::RestoreFromCache(int aPageNo) {
    QByteArray record(2, 0);
    if (!ReadCacheRecord(aPageNo, record)) return;
    m_overFlow = record.at(0) != 0;
    m_retried = record.at(1) != 0;
}

QString TppBasicBand::GetCaptionText() const { return report::MessageText(DescriptionTextNo()); }

// Page bands ----------------------------------------------------------------------------------

void TppPageBand::setPrintOnFlag(bool& flag, bool v) {
    if (Reading()) {
        flag = v;
        return;
    }
    if (!Report() || v == flag) return;
    flag = v;
    PropertyChange();
    Report()->LayoutChanged();
}

void TppPageBand::SetPrintOnFirstPage(bool v) { setPrintOnFlag(m_printOnFirstPage, v); }

void TppPageBand::SetPrintOnLastPage(bool v) { setPrintOnFlag(m_printOnLastPage, v); }

TppHeaderBand::TppHeaderBand(TComponent* AOwner) : TppPageBand(AOwner) { TppCommunicator::SetUserName(QStringLiteral("Header")); }

const stream::PropertyList& TppHeaderBand::StreamProperties() const {
    using T = TppHeaderBand;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        withPrintHeight(t)
            .Boolean("PrintOnFirstPage", &T::PrintOnFirstPage, &T::SetPrintOnFirstPage, true)
            .Boolean("PrintOnLastPage", &T::PrintOnLastPage, &T::SetPrintOnLastPage, true);
        return t;
    }(TppPageBand::StreamProperties());
    return table;
}

TppFooterBand::TppFooterBand(TComponent* AOwner) : TppPageBand(AOwner) { TppCommunicator::SetUserName(QStringLiteral("Footer")); }

const stream::PropertyList& TppFooterBand::StreamProperties() const {
    using T = TppFooterBand;
    static const auto table = stream::PropertyTable<T>(TppPageBand::StreamProperties())
        .Boolean("PrintOnFirstPage", &T::PrintOnFirstPage, &T::SetPrintOnFirstPage, true)
        .Boolean("PrintOnLastPage", &T::PrintOnLastPage, &T::SetPrintOnLastPage, true);
    return table;
}

// Title and summary ---------------------------------------------------------------------------

void TppReportBand::SetNewPage(bool v) {
    m_newPage = v;
    if (Reading()) return;
    PropertyChange();
    if (Report()) Report()->LayoutChanged();
}

const stream::PropertyList& TppReportBand::StreamProperties() const {
    using T = TppReportBand;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        t.Boolean("NewPage", &T::NewPage, &T::SetNewPage, false);
        withPrintHeight(t);
        return t;
    }(TppBasicBand::StreamProperties());
    return table;
}

TppTitleBand::TppTitleBand(TComponent* AOwner) : TppReportBand(AOwner) { TppCommunicator::SetUserName(QStringLiteral("Title")); }

TppSummaryBand::TppSummaryBand(TComponent* AOwner) : TppReportBand(AOwner) {
    TppCommunicator::SetUserName(QStringLiteral("Summary"));
}

// Column bands --------------------------------------------------------------------------------

TppColumnHeaderBand::TppColumnHeaderBand(TComponent* AOwner) : TppBasicBand(AOwner) {
    TppCommunicator::SetUserName(QStringLiteral("ColumnHeader"));
    InitHeight(0);
}

const stream::PropertyList& TppColumnHeaderBand::StreamProperties() const {
    static const auto table = printHeightTable<TppColumnHeaderBand>(TppBasicBand::StreamProperties());
    return table;
}

TppColumnFooterBand::TppColumnFooterBand(TComponent* AOwner) : TppBasicBand(AOwner) {
    TppCommunicator::SetUserName(QStringLiteral("ColumnFooter"));
    InitHeight(0);
}

const stream::PropertyList& TppColumnFooterBand::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppColumnFooterBand>(TppBasicBand::StreamProperties());
    return table;
}

// Detail --------------------------------------------------------------------------------------

TppDetailBand::TppDetailBand(TComponent* AOwner) : TppBasicBand(AOwner) {
    TppCommunicator::SetUserName(QStringLiteral("Detail"));
    SetEngineMode(2);
}

TppDetailBand::~TppDetailBand() {
    if (m_dataPipeline) RemoveNotify(m_dataPipeline);
    m_dataPipeline = nullptr;
}

TppDataPipeline* TppDetailBand::GetDataPipeline() const {
    return m_dataPipeline ? m_dataPipeline : TppBasicBand::GetDataPipeline();
}

void TppDetailBand::SetDataPipeline(TppDataPipeline* aPipeline) {
    if (aPipeline == m_dataPipeline) return;
    TppDataPipeline* old = m_dataPipeline;
    if (old) RemoveNotify(old);
    m_dataPipeline = aPipeline;
    if (m_dataPipeline) AddNotify(m_dataPipeline);
    if (Reading()) return;
    PropertyChange();
    for (int i = 0; i < ObjectCount(); ++i) {
        TppComponent* c = Objects(i);
        if (!c->IsDataAware()) continue;
        if (c->DataPipeline() == old && old)
            c->SetDataPipeline(aPipeline);
        else if (!c->DataPipeline() && aPipeline &&
                 (c->DataField().isEmpty() || aPipeline->GetFieldDataType(c->DataField()) != TppDataType::dtNotKnown))
            c->SetDataPipeline(aPipeline);
    }
}

void TppDetailBand::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppBasicBand::Notify(aCommunicator, aOperation);
    if (aOperation == ppopRemove && aCommunicator == m_dataPipeline) m_dataPipeline = nullptr;
}

void TppDetailBand::Convert(int aVersion) {
    TppBasicBand::Convert(aVersion);
}

const stream::PropertyList& TppDetailBand::StreamProperties() const {
    using T = TppDetailBand;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        t.Integer("BandsPerRecord", &T::BandsPerRecord, &T::SetBandsPerRecord, 1)
            .Reference("DataPipeline", &T::DataPipeline, [](T& b, TppDataPipeline* p) { b.SetDataPipeline(p); })
            .Integer("PrintCount", &T::PrintCount, &T::SetPrintCount, 0);
        withPrintHeight(t);
        return t;
    }(TppBasicBand::StreamProperties());
    return table;
}

void TppDetailBand::DefineProperties(stream::Filer& filer) {
    TppBasicBand::DefineProperties(filer);
    if (filer.IsWriting()) return;
    filer.DefineProperty(QStringLiteral("DataSource"), [this](const stream::Value& v) { m_legacyDataSource = v.AsText(); }, {}, false);
    for (const char* dropped : {"NoRecordsAction", "SkipWhenNoRecords"})
        filer.DefineProperty(QString::fromLatin1(dropped), [](const stream::Value&) {}, {}, false);
}

// Page style ----------------------------------------------------------------------------------

TppPageStyle::TppPageStyle(TComponent* AOwner) : TppBasicBand(AOwner) {
    TppCommunicator::SetUserName(QStringLiteral("PageStyle"));
}

QString TppPageStyle::GetOrderKey() const { return QString::asprintf("%8d", Generating() ? 0 : 9); }

template <typename V>
void TppPageStyle::setSetting(V& member, const V& v) {
    if (!settable() || v == member) return;
    member = v;
    if (!Reading()) PropertyChange();
}

void TppPageStyle::SetPageSetting(TppPageSettingType v) { setSetting(m_pageSetting, v); }

void TppPageStyle::SetPageList(const QStringList& v) {
    if (!settable()) return;
    m_pageList = v;
    if (!Reading()) PropertyChange();
}

void TppPageStyle::SetValidPages(const QString& v) {
    if (!settable() || v == m_validPages) return;
    m_validPages = v;
    QStringList pages;
    ppTextToPageList(v, pages, false);
    m_pageList = pages;
    m_pageSetting = TppPageSettingType::psPageList;
    if (!Reading()) PropertyChange();
}

namespace report {
namespace {
PageSettingPrompt& pageSettingPrompt() {
    static PageSettingPrompt prompt;
    return prompt;
}
}  // namespace

PageSettingPrompt SetPageSettingPrompt(PageSettingPrompt aPrompt) {
    PageSettingPrompt previous = std::move(pageSettingPrompt());
    pageSettingPrompt() = std::move(aPrompt);
    return previous;
}
}  // namespace report

void TppPageStyle::PageSettingMenuClick() {
    const report::PageSettingPrompt& prompt = report::pageSettingPrompt();
    if (!prompt) return;
    TppPageSettingType setting = m_pageSetting;
    QString validPages = m_validPages;
    TppCustomReport* owner = Report();
    if (!prompt(setting, validPages, owner, owner ? owner->LanguageIndex() : 0)) return;
    if (setting == TppPageSettingType::psPageList) {
        SetValidPages(validPages);
        SetPageSetting(TppPageSettingType::psPageList);
        return;
    }
    if (!settable()) return;
    const bool hadPages = !m_pageList.isEmpty() || !m_validPages.isEmpty();
    const bool changed = setting != m_pageSetting;
    m_pageList.clear();
    m_validPages.clear();
    SetPageSetting(setting);
    if (hadPages && !changed && !Reading()) PropertyChange();
}

void TppPageStyle::SetSinglePage(int v) { setSetting(m_singlePage, v); }

void TppPageStyle::SetStartPage(int v) { setSetting(m_startPage, v); }

void TppPageStyle::SetEndPage(int v) { setSetting(m_endPage, v); }

const stream::PropertyList& TppPageStyle::StreamProperties() const {
    using T = TppPageStyle;
    static const QStringList settings = EnumTypeOf(TppPageSettingType{}).values;
    static const auto table = stream::PropertyTable<T>(TppBasicBand::StreamProperties())
        .Integer("EndPage", &T::EndPage, &T::SetEndPage, 0)
        .Enum("PageSetting", &T::PageSetting, &T::SetPageSetting, settings, TppPageSettingType::psAll)
        .Integer("SinglePage", &T::SinglePage, &T::SetSinglePage, 0)
        .Integer("StartPage", &T::StartPage, &T::SetStartPage, 0)
        .String("ValidPages", &T::ValidPages, &T::SetValidPages);
    return table;
}

// Group bands ---------------------------------------------------------------------------------

TppGroupBand::TppGroupBand(TComponent* AOwner) : TppCustomBand(AOwner) { InitHeight(0); }

int TppGroupBand::GroupIndex() const { return m_group ? m_group->GroupNo() : -1; }

void TppGroupBand::SetGroup(TppGroup* aGroup) {
    if (aGroup == m_group) return;
    m_group = aGroup;
    SetCaption(GetCaptionText());
}

QString TppGroupBand::GetCaptionText() const {
    QString text = report::MessageText(DescriptionTextNo()) + QStringLiteral("[") + QString::number(GroupIndex()) +
                   QStringLiteral("]: ");
    if (!m_group) return text + report::MessageText(301);
    if (m_group->BreakType() == TppBreakType::btDataField && m_group->DataPipeline() && !m_group->BreakName().isEmpty())
        return text + m_group->DataPipeline()->GetFieldAlias(m_group->BreakName());
    if (!m_group->BreakName().isEmpty()) return text + m_group->BreakName();
    return text + report::MessageText(m_group->BreakType() == TppBreakType::btCustomField ? 300 : 301);
}

TppGroupHeaderBand::TppGroupHeaderBand(TComponent* AOwner) : TppGroupBand(AOwner) {}

TppGroupHeaderBand::~TppGroupHeaderBand() {
    if (Group()) Group()->BandFreed(this);
}

QString TppGroupHeaderBand::GetOrderKey() const {
    return QString::asprintf("%8d", 3) + QString::asprintf("%8d", GroupIndex());
}

const stream::PropertyList& TppGroupHeaderBand::StreamProperties() const {
    static const auto table = printHeightTable<TppGroupHeaderBand>(TppGroupBand::StreamProperties());
    return table;
}

TppGroupFooterBand::TppGroupFooterBand(TComponent* AOwner) : TppGroupBand(AOwner) {}

TppGroupFooterBand::~TppGroupFooterBand() {
    if (Group()) Group()->BandFreed(this);
}

QString TppGroupFooterBand::GetOrderKey() const {
    return QString::asprintf("%8d", 5) + QString::asprintf("%8d", 99999998 - GroupIndex());
}

const stream::PropertyList& TppGroupFooterBand::StreamProperties() const {
    static const auto table = printHeightTable<TppGroupFooterBand>(TppGroupBand::StreamProperties());
    return table;
}

namespace report {

TClass BandClassOfType(TppBandType aType) {
    switch (aType) {
    case TppBandType::btHeader: return &TppHeaderBand::staticMetaObject;
    case TppBandType::btTitle: return &TppTitleBand::staticMetaObject;
    case TppBandType::btColumnHeader: return &TppColumnHeaderBand::staticMetaObject;
    case TppBandType::btGroupHeader: return &TppGroupHeaderBand::staticMetaObject;
    case TppBandType::btDetail: return &TppDetailBand::staticMetaObject;
    case TppBandType::btGroupFooter: return &TppGroupFooterBand::staticMetaObject;
    case TppBandType::btColumnFooter: return &TppColumnFooterBand::staticMetaObject;
    case TppBandType::btSummary: return &TppSummaryBand::staticMetaObject;
    case TppBandType::btFooter: return &TppFooterBand::staticMetaObject;
    case TppBandType::btPageStyle: return &TppPageStyle::staticMetaObject;
    }
    return nullptr;
}

}  // namespace report
