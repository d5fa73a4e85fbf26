#include "report/model/engine.h"

#include "report/model/band_classes.h"
#include "report/model/component.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/errors.h"
#include "report/model/group.h"
#include "report/model/record_traversal.h"
#include "report/page/page.h"
#include "report/page/resource_manager.h"

#include <QDataStream>
#include <QDateTime>
#include <QIODevice>

#include <algorithm>

namespace {

/// Day number (days since 1899-12-30) of a date and time.
double dayNumber(const QDateTime& t) {
    static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
    return double(epoch.msecsTo(t)) / 86400000.0;
}

}  // namespace

namespace report {

/// The records a report walks when its detail band has a pipeline of its own: every record
/// of the detail pipeline for each record of the report's pipeline, the detail pipeline
/// going to its first record whenever the report's moves (its master field links keep it
/// to the master's records). A master without detail records is passed over when the detail
/// pipeline has SkipWhenNoRecords; otherwise it stands once, with the detail at its end.
/// The bookmark is the number of the record in this walk; the positions of both pipelines
/// are kept for every number the engine asked for, so going back costs two seeks.
class MasterDetailTraversal : public RecordTraversal {
public:
    MasterDetailTraversal(RecordTraversal& aMaster, RecordTraversal& aDetail, const TppDataPipeline& aDetailPipeline)
        : m_master(aMaster), m_detail(aDetail), m_detailPipeline(aDetailPipeline) {}

    void OpenTraversal() override {
        m_master.OpenTraversal();
        m_detail.OpenTraversal();
        First();
    }
    void CloseTraversal() override {
        m_detail.CloseTraversal();
        m_master.CloseTraversal();
    }
    bool AtEnd() const override { return m_master.AtEnd(); }
    void First() override {
        m_master.First();
        m_recordNo = 0;
        firstDetail();
    }
    void Next() override {
        if (m_master.AtEnd()) return;
        ++m_recordNo;
        if (!m_detail.AtEnd()) {
            m_detail.Next();
            if (!m_detail.AtEnd()) return;
        }
        m_master.Next();
        if (!m_master.AtEnd()) firstDetail();
    }
    void Prior() override {
        if (m_recordNo == 0) return;
        --m_recordNo;
        if (!m_master.AtEnd() && !m_detail.AtEnd() && m_detail.Bookmark() > 0) {
            m_detail.Prior();
            return;
        }
        // Back onto the last detail record of the master before (skipping masters without
        // details as going forward does).
        m_master.Prior();
        lastDetail();
        while (m_detail.AtEnd() && skipsEmpty() && m_master.Bookmark() > 0) {
            m_master.Prior();
            lastDetail();
        }
    }
    int Bookmark() const override {
        if (!m_master.AtEnd()) {
            if (m_positions.size() <= size_t(m_recordNo)) m_positions.resize(size_t(m_recordNo) + 1, {-1, -1});
            m_positions[size_t(m_recordNo)] = {m_master.Bookmark(), m_detail.AtEnd() ? -1 : m_detail.Bookmark()};
        }
        return m_recordNo;
    }
    void GotoBookmark(int aBookmark) override {
        if (aBookmark >= 0 && size_t(aBookmark) < m_positions.size() && m_positions[size_t(aBookmark)].first >= 0) {
            const auto [master, detail] = m_positions[size_t(aBookmark)];
            m_master.GotoBookmark(master);
            m_detail.First();
            if (detail > 0) m_detail.GotoBookmark(detail);
            if (detail < 0)
                while (!m_detail.AtEnd()) m_detail.Next();
            m_recordNo = aBookmark;
            return;
        }
        First();
        while (m_recordNo < aBookmark && !AtEnd()) Next();
    }

private:
    bool skipsEmpty() const { return m_detailPipeline.SkipWhenNoRecords(); }
    void firstDetail() {
        m_detail.First();
        while (m_detail.AtEnd() && skipsEmpty() && !m_master.AtEnd()) {
            m_master.Next();
            if (!m_master.AtEnd()) m_detail.First();
        }
    }
    void lastDetail() {
        m_detail.First();
        if (m_detail.AtEnd()) return;
        while (!m_detail.AtEnd()) m_detail.Next();
        m_detail.Prior();
    }

    RecordTraversal& m_master;
    RecordTraversal& m_detail;
    const TppDataPipeline& m_detailPipeline;
    int m_recordNo = 0;
    mutable std::vector<std::pair<int, int>> m_positions;  ///< walk number → (master, detail) bookmarks
};

}  // namespace report

TppEngine::TppEngine(TppCustomReport* aReport, TComponent* AOwner) : TppCustomEngine(aReport, AOwner) {}

TppEngine::~TppEngine() { closeTraversal(); }

void TppEngine::closeTraversal() {
    // Each pipeline is closed unless it was freed already.
    if (m_masterDetail && m_detailPipeline)
        if (auto* detail = dynamic_cast<report::RecordTraversal*>(m_detailPipeline.data())) detail->CloseTraversal();
    if (m_traversalPipeline)
        if (auto* walk = dynamic_cast<report::RecordTraversal*>(m_traversalPipeline.data())) walk->CloseTraversal();
    m_masterDetail.reset();
    m_traversal = nullptr;
    m_traversalPipeline = nullptr;
    m_detailPipeline = nullptr;
}

std::vector<TppBand*> TppEngine::bandsOf(int aBandType) const {
    std::vector<TppBand*> bands;
    for (int i = 0; i < Report()->BandCount(); ++i)
        if (int(Report()->Bands(i)->BandType()) == aBandType) bands.push_back(Report()->Bands(i));
    return bands;
}

// Run ----------------------------------------------------------------------------------------

void TppEngine::Init() {
    if (m_initialized) return;
    TppCustomReport* r = Report();
    ClearWarnings();
    if (r->BandCount() == 0) r->CreateDefaultBands();
    for (int i = 0; i < r->BandCount(); ++i)
        if (r->Bands(i)->mmHeight() > r->PrintableHeight()) throw EPrintError(report::MessageText(44));
    r->SortBands();
    closeTraversal();
    m_traversal = dynamic_cast<report::RecordTraversal*>(r->DataPipeline());
    if (m_traversal) m_traversalPipeline = r->DataPipeline();
    // A detail band over a pipeline of its own walks every record of it for each record
    // of the report's pipeline.
    auto* detailBand = qobject_cast<TppDetailBand*>(r->GetBand(TppBandType::btDetail));
    TppDataPipeline* detailPipeline = detailBand ? detailBand->DataPipeline() : nullptr;
    auto* detailWalk = dynamic_cast<report::RecordTraversal*>(detailPipeline);
    if (m_traversal && detailWalk && detailPipeline != r->DataPipeline()) {
        m_detailPipeline = detailPipeline;
        m_masterDetail = std::make_unique<report::MasterDetailTraversal>(*m_traversal, *detailWalk, *detailPipeline);
        m_traversal = m_masterDetail.get();
    }
    if (m_traversal) {
        try {
            m_traversal->OpenTraversal();
        } catch (const EDataError&) {
            throw EPrintError(report::MessageText(40) + QStringLiteral("."));
        }
    }
    r->StartGeneration();
    if (r->DataPipeline() && r->DataPipeline()->SkipWhenNoRecords() && (!m_traversal || m_traversal->AtEnd())) {
        // No records to report: the request yields no page.
        m_stage = stComplete;
        m_pageCountKnown = true;
        m_cachedPages = -1;
        m_lastGenerated = 0;
        SetAbsolutePageNo(0);
        SetAbsolutePageCount(0);
        SetDonePrinting(true);
        m_initialized = true;
        return;
    }
    for (int i = 0; i < r->BandCount(); ++i) {
        r->Bands(i)->InitComponents();
        if (auto* band = qobject_cast<TppCustomBand*>(r->Bands(i))) band->ResetOverFlow();
    }
    r->InitPass();
    for (int i = 0; i < r->GroupCount(); ++i) r->Groups(i)->ResetForReport();
    m_stage = stTitle;
    m_dataFinished = m_traversal && m_traversal->AtEnd();
    m_steppedBack = false;
    const quint32 allGroups = r->GroupCount() >= 32 ? 0xFFFFFFFFu : ((1u << r->GroupCount()) - 1u);
    m_headersPending = m_dataFinished ? 0 : allGroups;
    m_footersPending = 0;
    m_detailPrints = 0;
    m_titleNewPageDone = false;
    m_summaryNewPageDone = false;
    m_pageCountKnown = false;
    m_pageLimitHit = false;
    m_keepCutPage = 0;
    m_keepCutBreakNos.clear();
    m_lastGenerated = 0;
    for (int i = 0; i < r->GroupCount(); ++i) r->Groups(i)->StartGroup();
    if (!m_dataFinished) computeRecord();
    SetAbsolutePageNo(0);
    SetAbsolutePageCount(0);
    SetDonePrinting(false);
    SetPrintDateTime(dayNumber(QDateTime::currentDateTime()));
    AddPassState(esFirstPass);
    m_initialized = true;
    CallHook(OnInitialize);
    CallHook(OnSaveCache);  // the state before page 1
    m_cachedPages = 0;
}

void TppEngine::Invalidate() {
    if (Busy()) return;
    TppCustomEngine::Invalidate();
    if (Page()) Page()->ClearDrawCommands();
    m_initialized = false;
    m_pageCountKnown = false;
    m_cachedPages = -1;
    m_lastGenerated = 0;
}

void TppEngine::Stop() {
    m_dataFinished = true;
}

void TppEngine::PageLimitReached() {
    Stop();
    m_pageLimitHit = true;
}

void TppEngine::RequestPages(QObject* aPageRequest) {
    if (Busy()) return;
    SetBusy(true);
    SetCancelled(false);
    struct NotBusy {
        TppEngine* e;
        ~NotBusy() { e->SetBusy(false); }
    } notBusy{this};
    auto* request = qobject_cast<TppPageRequest*>(aPageRequest);
    const TppPageSettingType setting = request ? request->PageSetting() : TppPageSettingType::psAll;
    Init();
    const bool twoPass = Report()->GetMainReport()->PassSetting() == TppPassSettingType::psTwoPass;
    if (twoPass && !m_pageCountKnown) {
        for (int p = 1; !m_pageCountKnown && !Cancelled(); ++p) requestPage(p, false);
        RemovePassState(esFirstPass);
        AddPassState(esSecondPass);
    }
    auto all = [&] {
        for (int p = 1; !Cancelled(); ++p) {
            requestPage(p, true);
            if (m_pageCountKnown && p >= AbsolutePageCount()) break;
        }
    };
    switch (setting) {
    case TppPageSettingType::psAll:
    case TppPageSettingType::psPageRange: all(); break;
    case TppPageSettingType::psFirstPage: requestPage(1, true); break;
    case TppPageSettingType::psSinglePage: requestPage(std::max(request->PageRequested(), 1), true); break;
    case TppPageSettingType::psLastPage:
        for (int p = m_lastGenerated + 1; !m_pageCountKnown && !Cancelled(); ++p) requestPage(p, false);
        requestPage(AbsolutePageCount(), true);
        break;
    case TppPageSettingType::psPageList:
        for (const QString& entry : request->PageList()) {
            bool ok = false;
            const int p = entry.trimmed().toInt(&ok);
            if (ok && p > 0 && !Cancelled()) requestPage(p, true);
        }
        break;
    }
    SetDonePrinting(true);
}

void TppEngine::requestPage(int aPageNo, bool aWanted) {
    if (m_pageCountKnown && aPageNo > AbsolutePageCount()) return;
    if (aPageNo != m_lastGenerated + 1) {
        // Go back to the state saved at the end of the page before (or the latest one saved).
        const int base = std::min(aPageNo - 1, m_cachedPages);
        if (base < 0) return;
        SetAbsolutePageNo(base + 1);
        CallHook(OnPageStart);  // the report restores every object's state of page base
        m_lastGenerated = base;
    }
    while (m_lastGenerated < aPageNo && !Cancelled()) {
        if (m_stage == stComplete && m_lastGenerated > 0 && m_pageCountKnown && m_lastGenerated >= AbsolutePageCount()) return;
        generateNextPage(m_lastGenerated + 1 == aPageNo && aWanted);
    }
}

// Pages --------------------------------------------------------------------------------------

int TppEngine::GetPageNo() const {
    const TppGroup* g = Report()->ResetPageNoGroup();
    // Pages before the group's first instance (a title page) keep their absolute numbers.
    if (!g || !Busy() || AbsolutePageNo() < g->FirstPageNo()) return AbsolutePageNo() + m_pageNoOffset;
    return AbsolutePageNo() - g->FirstPageNo() + 1;
}

int TppEngine::GetPageCount() const {
    const TppGroup* g = Report()->ResetPageNoGroup();
    if (!g || !Busy() || AbsolutePageNo() < g->FirstPageNo()) return AbsolutePageCount();
    if (m_pageCountKnown) {
        const int cached = g->CachedPageCount(AbsolutePageNo());
        if (cached > 0) return std::max(cached, GetPageNo());
    }
    return std::max(g->PageCount(), GetPageNo());
}

int TppEngine::PageBottom() const {
    const TppPageDef* def = Report()->PageDef();
    int bottom = def->mmHeight() - def->mmMarginBottom();
    const bool lastKnownPage = m_pageCountKnown && AbsolutePageNo() == AbsolutePageCount();
    for (TppBand* b : bandsOf(int(TppBandType::btFooter))) {
        auto* footer = qobject_cast<TppPageBand*>(b);
        if (!b->Visible()) continue;
        if (footer && !footer->PrintOnLastPage() && lastKnownPage) continue;
        bottom -= b->mmHeight();
    }
    for (TppBand* b : bandsOf(int(TppBandType::btColumnFooter)))
        if (b->Visible()) bottom -= b->mmHeight();
    return bottom;
}

bool TppEngine::printBand(TppBand* aBand) {
    auto* band = qobject_cast<TppCustomBand*>(aBand);
    if (!band) return true;
    // The detail keeps its PrintPosition for its first print on a page only.
    const bool usePosition = band->BandType() != TppBandType::btDetail || !m_detailOnPage;
    int used = band->GenerateBand(m_left, m_y, m_right, m_pageBottom, m_target, usePosition);
    if (used < 0 && !bodyHasContent()) {
        // Nothing above it in this column: a new page would not help, so it prints here
        // (a PrintPosition behind it is given up, a band taller than the room runs on
        // over the page bottom rather than being lost).
        const int bottom = std::max(m_pageBottom, m_y + band->mmHeight() + band->mmBottomOffset());
        used = band->GenerateBand(m_left, m_y, m_right, bottom, m_target, usePosition);
        if (used < 0) noteUnplaced(band);
    }
    if (used < 0) return false;
    if (band->BandType() == TppBandType::btDetail) m_detailOnPage = true;
    if (band->BandOverFlow() && used == 0 && !bodyHasContent()) {
        // Not a line of it fits even on an empty page: more pages would not help.
        noteUnplaced(band);
        band->ResetOverFlow();
        return true;
    }
    m_y += used;
    m_highestPosition = std::max(m_highestPosition, m_y);
    // A band that overflowed printed what fits; it is printed again (continued) after the break.
    return !band->BandOverFlow();
}

void TppEngine::noteUnplaced(TppCustomBand* aBand) {
    QStringList names;
    for (int i = 0; i < aBand->ObjectCount(); ++i) {
        TppComponent* c = aBand->Objects(i);
        if (c->Visible() && (c->OutOfSpace() || !c->GenerationComplete())) names << c->Name();
    }
    if (names.isEmpty()) names << aBand->Name();
    TppCustomEngine* main = Report()->GetMainReport() ? Report()->GetMainReport()->Engine() : this;
    main->AddWarning(QStringLiteral("Page %1: %2 does not fit even on an empty page and is not printed.")
                         .arg(main->AbsolutePageNo())
                         .arg(names.join(QStringLiteral(", "))));
}

bool TppEngine::pageStyleSelected(const TppPageStyle* aStyle) const {
    const int page = AbsolutePageNo();
    switch (aStyle->PageSetting()) {
    case TppPageSettingType::psAll: return true;
    case TppPageSettingType::psPageList: return aStyle->PageList().contains(QString::asprintf("%8d", page));
    case TppPageSettingType::psSinglePage: return page == aStyle->SinglePage();
    case TppPageSettingType::psFirstPage: return page == 1;
    case TppPageSettingType::psLastPage: return m_pageCountKnown && page == AbsolutePageCount();
    case TppPageSettingType::psPageRange: return page >= aStyle->StartPage() && (aStyle->EndPage() <= 0 || page <= aStyle->EndPage());
    }
    return false;
}

void TppEngine::printPageStyles() {
    const TppPageDef* def = Report()->PageDef();
    for (TppBand* b : bandsOf(int(TppBandType::btPageStyle))) {
        auto* style = qobject_cast<TppPageStyle*>(b);
        if (!style || !style->Visible() || !pageStyleSelected(style)) continue;
        style->GenerateBand(m_left, def->mmMarginTop(), m_right, def->mmHeight() - def->mmMarginBottom(), m_target);
        style->ResetOverFlow();
    }
}

void TppEngine::printHeaders() {
    for (TppBand* b : bandsOf(int(TppBandType::btHeader))) {
        auto* header = qobject_cast<TppPageBand*>(b);
        if (header && !header->PrintOnFirstPage() && AbsolutePageNo() == 1) continue;
        printBand(b);
        if (header) header->ResetOverFlow();  // page bands print on their page only
    }
}

void TppEngine::printFooters() {
    const TppPageDef* def = Report()->PageDef();
    int bottom = def->mmHeight() - def->mmMarginBottom();
    const std::vector<TppBand*> footers = bandsOf(int(TppBandType::btFooter));
    for (auto it = footers.rbegin(); it != footers.rend(); ++it) {
        auto* footer = qobject_cast<TppFooterBand*>(*it);
        if (!footer || !footer->Visible()) continue;
        if (!footer->PrintOnFirstPage() && AbsolutePageNo() == 1) continue;
        const int top = bottom - footer->mmHeight();
        footer->GenerateBand(m_left, top, m_right, bottom, m_target);
        footer->ResetOverFlow();
        bottom = top;
    }
}

void TppEngine::generateNextPage(bool aWanted) {
    TppCustomReport* r = Report();
    const TppPageDef* def = r->PageDef();
    SetAbsolutePageNo(m_lastGenerated + 1);
    if (!m_pageCountKnown) SetAbsolutePageCount(std::max(AbsolutePageCount(), AbsolutePageNo()));
    Page()->ClearDrawCommands();
    Page()->SetPrinterSetup(r->PrinterSetup());  // each page carries its paper, orientation and margins
    m_target = aWanted ? Page() : nullptr;
    m_left = def->mmMarginLeft();
    m_right = def->mmWidth() - def->mmMarginRight();
    m_y = def->mmMarginTop();
    m_bodyTop = m_y;
    m_highestPosition = m_y;
    m_pageBottom = PageBottom();
    m_pageEnded = false;
    m_detailOnPage = false;
    m_keepOpenBreakNo = -1;
    if (m_keepRegenerating) {
        m_keepRegenerating = false;
    } else {
        m_keepCutPage = 0;  // cuts found on another generation of a page do not apply
        m_keepCutBreakNos.clear();
    }
    writePageProperties();
    r->DoStartPage();
    printPageStyles();

    if (m_stage == stTitle) {
        for (TppBand* b : bandsOf(int(TppBandType::btTitle))) printBand(b);
        m_stage = stBody;
        for (TppBand* b : bandsOf(int(TppBandType::btTitle))) {
            auto* title = qobject_cast<TppTitleBand*>(b);
            if (title && title->NewPage() && title->Visible() && !m_titleNewPageDone) {
                m_titleNewPageDone = true;
                endPage();
                return;
            }
        }
    }
    printHeaders();
    m_columnTop = m_y;
    enterColumn(1);
    reprintGroupHeaders(true);

    TppGroup* const kept = r->KeepTogetherGroup();
    while (m_stage == stBody && !m_pageEnded && !Cancelled()) {
        if (m_footersPending) {
            int g = 31;
            while (!(m_footersPending & (1u << g))) --g;
            TppGroup* group = r->Groups(g);
            group->DoBeforeFooter();
            if (!printBand(group->FooterBand()) && bodyHasContent()) {
                if (keepTogetherMoved(g, aWanted)) return;
                if (breakColumnOrPage()) continue;
                return;
            }
            if (group == kept) m_keepOpenBreakNo = -1;
            group->UpdateLastPage();
            group->DoAfterGroupBreak();
            m_footersPending &= ~(1u << g);
            if (!m_footersPending) {
                if (m_dataFinished) {
                    m_stage = stSummary;
                } else if (m_steppedBack) {
                    m_traversal->Next();
                    m_steppedBack = false;
                    computeRecord();
                }
            }
            continue;
        }
        if (m_headersPending) {
            int g = 0;
            while (!(m_headersPending & (1u << g))) ++g;
            TppGroup* group = r->Groups(g);
            if (group == kept && bodyHasContent() && m_keepCutPage == AbsolutePageNo() &&
                std::find(m_keepCutBreakNos.begin(), m_keepCutBreakNos.end(), group->BreakNo()) != m_keepCutBreakNos.end()) {
                // The kept instance starts in the next column or on the next page.
                if (breakColumnOrPage()) continue;
                return;
            }
            if (bodyHasContent() && (group->NewPage() || m_pageBottom - m_y < group->mmNewPageThreshold())) {
                endPage();
                return;
            }
            if (bodyHasContent() && r->Columns() > 1 &&
                (group->NewColumn() || m_pageBottom - m_y < group->mmNewColumnThreshold())) {
                if (breakColumnOrPage()) continue;
                return;
            }
            group->DoBeforeGroupBreak();
            group->DoBeforeHeader();
            group->SetFirstPageNo(AbsolutePageNo());
            group->SetFirstColumn(m_column);
            const bool afterData = bodyHasContent();
            if (!printBand(group->HeaderBand()) && bodyHasContent()) {
                if (keepTogetherMoved(g, aWanted)) return;
                if (breakColumnOrPage()) continue;
                return;
            }
            if (group == kept && afterData) m_keepOpenBreakNo = group->BreakNo();
            m_headersPending &= ~(1u << g);
            continue;
        }
        if (m_dataFinished) {
            m_stage = stSummary;
            break;
        }
        auto* detail = qobject_cast<TppDetailBand*>(r->GetBand(TppBandType::btDetail));
        if (detail && !printBand(detail) && bodyHasContent()) {
            if (keepTogetherMoved(r->GroupCount(), aWanted)) return;
            if (breakColumnOrPage()) continue;
            return;
        }
        ++m_detailPrints;
        if (detail && m_detailPrints < detail->BandsPerRecord()) continue;
        m_detailPrints = 0;
        advanceRecord();
    }
    if (m_stage == stSummary && !m_pageEnded && r->Columns() > 1 && m_column > 1 && hasVisibleSummary()) {
        endPage();  // the summary starts at the left margin of a new page
        return;
    }
    if (m_stage == stSummary && !m_pageEnded) {
        m_left = def->mmMarginLeft();
        m_right = def->mmWidth() - def->mmMarginRight();
        for (TppBand* b : bandsOf(int(TppBandType::btSummary))) {
            auto* summary = qobject_cast<TppSummaryBand*>(b);
            if (summary && summary->NewPage() && summary->Visible() && !m_summaryNewPageDone && bodyHasContent()) {
                m_summaryNewPageDone = true;
                endPage();
                return;
            }
            if (!printBand(b) && bodyHasContent()) {
                endPage();
                return;
            }
        }
        m_stage = stComplete;
    }
    if (!m_pageEnded) endPage();
}

bool TppEngine::keepTogetherMoved(int aGroupLevel, bool aWanted) {
    TppCustomReport* r = Report();
    TppGroup* kept = r->KeepTogetherGroup();
    if (!kept || m_keepOpenBreakNo < 0 || aGroupLevel < r->IndexOfGroup(kept)) return false;
    if (m_keepCutPage != AbsolutePageNo()) m_keepCutBreakNos.clear();
    m_keepCutPage = AbsolutePageNo();
    m_keepCutBreakNos.push_back(m_keepOpenBreakNo);
    m_keepOpenBreakNo = -1;
    CallHook(OnPageStart);  // every object back to its state at the end of the page before
    m_keepRegenerating = true;
    generateNextPage(aWanted);
    return true;
}

void TppEngine::advanceRecord() {
    TppCustomReport* r = Report();
    const quint32 allGroups = r->GroupCount() >= 32 ? 0xFFFFFFFFu : ((1u << r->GroupCount()) - 1u);
    if (!m_traversal || r->AutoStop()) {
        m_dataFinished = true;
        m_footersPending = allGroups;
        if (!m_footersPending) m_stage = stSummary;
        return;
    }
    m_traversal->Next();
    if (m_traversal->AtEnd()) {
        m_traversal->Prior();  // footers show the last record
        m_dataFinished = true;
        m_footersPending = allGroups;
        if (!m_footersPending) m_stage = stSummary;
        return;
    }
    int outermost = -1;
    for (int g = 0; g < r->GroupCount(); ++g) {
        TppGroup* group = r->Groups(g);
        group->SetBreaking(false);
        group->CheckBreak();
        if (group->Breaking() && outermost < 0) outermost = g;
    }
    if (outermost < 0) {
        computeRecord();
        return;
    }
    const quint32 broken = allGroups & ~((1u << outermost) - 1u);
    m_footersPending = broken;
    m_headersPending = broken;
    m_traversal->Prior();  // footers show the last record of the group
    m_steppedBack = true;
}

void TppEngine::computeRecord() {
    TppCustomReport* r = Report();
    for (int i = 0; i < r->BandCount(); ++i) {
        TppBand* b = r->Bands(i);
        for (int k = 0; k < b->ObjectCount(); ++k)
            if (b->Objects(k)->HasComputeState()) b->Objects(k)->Compute();
    }
    ppSendEventNotify(this, this, report::ciEnginePipelinesTraversed, nullptr);
}

int TppEngine::columnLeft(int aColumn) const {
    const TppCustomReport* r = Report();
    const TppPageDef* def = r->PageDef();
    const QStringList positions = r->mmColumnPositions();
    if (positions.isEmpty()) return def->mmMarginLeft() + (aColumn - 1) * r->mmColumnWidth();
    if (aColumn > positions.size()) throw EDataError(report::MessageText(43, {QString::number(aColumn)}));
    bool ok = false;
    const int left = positions.at(aColumn - 1).trimmed().toInt(&ok);
    if (!ok) throw EDataError(report::MessageText(42, {QString::number(aColumn)}));
    return left;
}

bool TppEngine::columnFits(int aColumn) const {
    const TppCustomReport* r = Report();
    const TppPageDef* def = r->PageDef();
    const int limit = def->mmWidth() - def->mmMarginRight();
    const int left = columnLeft(aColumn);
    return r->mmColumnPositions().isEmpty() ? left + r->mmColumnWidth() <= limit : left <= limit;
}

void TppEngine::enterColumn(int aColumn) {
    TppCustomReport* r = Report();
    const TppPageDef* def = r->PageDef();
    m_column = aColumn;
    m_y = m_columnTop;
    if (r->Columns() > 1) {
        m_left = columnLeft(aColumn);
        m_right = m_left + r->mmColumnWidth();
        r->DoStartColumn();
    } else {
        m_left = def->mmMarginLeft();
        m_right = def->mmWidth() - def->mmMarginRight();
    }
    for (TppBand* b : bandsOf(int(TppBandType::btColumnHeader))) {
        printBand(b);
        if (auto* band = qobject_cast<TppCustomBand*>(b)) band->ResetOverFlow();
    }
    m_bodyTop = m_y;
}

void TppEngine::printColumnFooters() {
    for (TppBand* b : bandsOf(int(TppBandType::btColumnFooter)))
        if (auto* band = qobject_cast<TppCustomBand*>(b)) {
            band->GenerateBand(m_left, m_pageBottom, m_right, m_pageBottom + b->mmHeight(), m_target);
            band->ResetOverFlow();
        }
    if (Report()->Columns() > 1) Report()->DoEndColumn();
}

bool TppEngine::nextColumn() {
    TppCustomReport* r = Report();
    if (r->Columns() <= 1 || m_column >= r->Columns()) return false;
    if (r->mmColumnPositions().isEmpty() || m_column < r->mmColumnPositions().size()) {
        if (!columnFits(m_column + 1)) return false;
    } else {
        columnLeft(m_column + 1);  // no position for the next column: text 43
    }
    printColumnFooters();
    enterColumn(m_column + 1);
    reprintGroupHeaders(false);
    return true;
}

void TppEngine::reprintGroupHeaders(bool aPageStart) {
    TppCustomReport* r = Report();
    for (int g = 0; g < r->GroupCount() && m_stage == stBody; ++g) {
        TppGroup* group = r->Groups(g);
        const bool inProgress = !(m_headersPending & (1u << g)) && !(m_dataFinished && !m_footersPending);
        if (!inProgress) continue;
        const bool laterPage = AbsolutePageNo() > group->FirstPageNo();
        const bool onPage = aPageStart && group->ReprintOnSubsequentPage() && laterPage;
        const bool inColumn = r->Columns() > 1 && group->ReprintOnSubsequentColumn() &&
                              (laterPage || (AbsolutePageNo() == group->FirstPageNo() && m_column > group->FirstColumn()));
        if (!onPage && !inColumn) continue;
        printBand(group->HeaderBand());
        if (auto* header = qobject_cast<TppCustomBand*>(group->HeaderBand())) header->ResetOverFlow();  // a reprint is not continued
    }
    m_bodyTop = m_y;  // a reprinted header is not data: a band that does not fit below it moves on
}

bool TppEngine::hasVisibleSummary() const {
    for (TppBand* b : bandsOf(int(TppBandType::btSummary)))
        if (b->Visible()) return true;
    return false;
}

bool TppEngine::breakColumnOrPage() {
    if (nextColumn()) return true;
    endPage();
    return false;
}

void TppEngine::endPage() {
    m_pageEnded = true;
    TppCustomReport* r = Report();
    const TppPageDef* def = r->PageDef();
    printColumnFooters();
    m_left = def->mmMarginLeft();
    m_right = def->mmWidth() - def->mmMarginRight();
    printFooters();
    CallHook(OnEndPage);  // the report fires OnEndPage and checks its page limit
    if (m_pageLimitHit) m_stage = stComplete;
    if (m_stage == stComplete) {
        m_pageCountKnown = true;
        SetAbsolutePageCount(AbsolutePageNo());
        if (m_target) removeLastPageBands();
        RemovePassState(esFirstPass);
        ppSendEventNotify(this, this, report::ciEngineReportEnd, nullptr);
    }
    if (AbsolutePageNo() > m_cachedPages) {
        CallHook(OnSaveCache);
        m_cachedPages = AbsolutePageNo();
    }
    m_lastGenerated = AbsolutePageNo();
    writePageProperties();
    Page()->SetPassedOver(!m_target);
    if (OnSectionPageEnd) {
        const Hook sectionEnd = std::move(OnSectionPageEnd);
        OnSectionPageEnd = nullptr;
        sectionEnd();
    }
    if (m_target) CallHook(OnPageReady);
    Q_UNUSED(r);
}

void TppEngine::removeLastPageBands() {
    int shift = 0;
    std::vector<TppDrawCommand*> removed;
    for (int i = 0; i < Page()->GetDrawCommandCount(); ++i) {
        TppDrawCommand* c = Page()->GetDrawCommand(i);
        auto* band = qobject_cast<TppPageBand*>(c->Band());
        if (!band || band->PrintOnLastPage()) continue;
        if (band->BandType() == TppBandType::btHeader) shift = std::max(shift, band->mmHeight() + band->mmBottomOffset());
        removed.push_back(c);
    }
    for (TppDrawCommand* c : removed) delete c;
    if (shift <= 0) return;
    for (int i = 0; i < Page()->GetDrawCommandCount(); ++i) {
        TppDrawCommand* c = Page()->GetDrawCommand(i);
        if (qobject_cast<TppFooterBand*>(c->Band()) || qobject_cast<TppPageStyle*>(c->Band())) continue;
        c->SetTop(c->Top() - shift);
    }
}

void TppEngine::writePageProperties() {
    TppPage* page = Page();
    TppCustomReport* r = Report();
    page->SetAbsolutePageNo(AbsolutePageNo());
    page->SetAbsolutePageCount(AbsolutePageCount());
    page->SetDocumentName(r->GetMainReport() ? r->GetMainReport()->DocumentName() : r->DocumentName());
    page->SetFirstPage(AbsolutePageNo() == 1);
    page->SetLanguageIndex(r->LanguageIndex());
    page->SetLastPage(m_stage == stComplete && AbsolutePageNo() == AbsolutePageCount());
    page->SetPassSetting(r->PassSetting());
    page->SetPageNo(GetPageNo());
    page->SetPageCount(GetPageCount());
    page->SetPrintDateTime(PrintDateTime());
    if (TppGroup* g = r->ResetPageNoGroup()) page->SetControlGroupBreakNo(g->BreakNo());
}

bool TppEngine::pipelineAtEnd() const { return !m_traversal || m_traversal->AtEnd(); }

// Cache --------------------------------------------------------------------------------------

void TppEngine::SaveToCache(int aPageNo) {
    QByteArray record;
    QDataStream out(&record, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << qint32(m_stage) << quint8(m_dataFinished) << quint8(m_steppedBack) << quint32(m_headersPending)
        << quint32(m_footersPending) << qint32(m_detailPrints) << quint8(m_titleNewPageDone)
        << quint8(m_summaryNewPageDone) << qint32(m_traversal ? m_traversal->Bookmark() : -1) << qint32(AbsolutePageCount())
        << quint8(m_pageLimitHit);
    WriteCacheRecord(aPageNo, record);
}

void TppEngine::RestoreFromCache(int aPageNo) {
    QByteArray record;
    if (!ReadCacheRecord(aPageNo, record)) return;
    QDataStream in(record);
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 stage, detailPrints, bookmark, pageCount;
    quint8 dataFinished, steppedBack, titleDone, summaryDone, limitHit;
    quint32 headers, footers;
    in >> stage >> dataFinished >> steppedBack >> headers >> footers >> detailPrints >> titleDone >> summaryDone >> bookmark >>
        pageCount >> limitHit;
    m_stage = Stage(stage);
    m_dataFinished = dataFinished != 0;
    m_steppedBack = steppedBack != 0;
    m_headersPending = headers;
    m_footersPending = footers;
    m_detailPrints = detailPrints;
    m_titleNewPageDone = titleDone != 0;
    m_summaryNewPageDone = summaryDone != 0;
    m_pageLimitHit = limitHit != 0;
    if (!m_pageCountKnown) SetAbsolutePageCount(pageCount);
    if (m_traversal && bookmark >= 0) {
        m_traversal->GotoBookmark(bookmark);
        TppCustomReport* r = Report();
        // Break values are those of the record after the one printed last.
        if (m_steppedBack) m_traversal->Next();
        for (int g = 0; g < r->GroupCount(); ++g) r->Groups(g)->InitBreakValues();
        if (m_steppedBack) m_traversal->Prior();
    }
}
