#pragma once

#include "report/model/custom_engine.h"

#include <QPointer>

#include <memory>

#include <vector>

class TppBand;
class TppDataPipeline;
class TppCustomBand;
class TppGroup;
class TppPageRequest;
class TppPageStyle;

namespace report {
class RecordTraversal;
}

/// The page engine: turns its report into pages, one request at a time. It walks the
/// report's pipeline (through report::RecordTraversal), prints the title, page styles,
/// headers, group headers, details, group footers, summary and footers band by band, breaks
/// pages where a band does not fit, and hands every page to the report (PageReady).
///
/// Generation state per run: stage (title, body, summary, complete), the record position,
/// the group headers and footers still to print, the detail prints of the current record.
/// It is saved at the end of every page (and as page 0 at the start) through the report's
/// page cache, so any page can be generated again from the end of the page before it, in
/// any order, and comes out the same as in a straight run.
///
/// Columns: bands that print in a column (group bands, details, column headers and footers)
/// fill the report's columns left to right, each from the top of the body; the others span
/// the page.
///
/// Keep-together: when an instance of the report's keep-together group starts on a page
/// (or column) that already has data, and a band of it or of an inner level does not fit
/// there, the page is generated again from the state saved at the end of the page before,
/// this time ending the column or page just before that instance's header. A group that
/// starts at the top of a page or column is not moved again.
///
/// A band that overflows (a stretchable with more content than room) counts as not fitting
/// after printing what fits: the engine breaks the column or page and prints it again,
/// which continues it. A pipeline with SkipWhenNoRecords and no records yields no page.
class TppEngine : public TppCustomEngine {
    Q_OBJECT
public:
    static constexpr int kCacheRecordSize = 48;

    explicit TppEngine(TppCustomReport* aReport, TComponent* AOwner = nullptr);
    ~TppEngine() override;

    int CacheRecordSize() const override { return kCacheRecordSize; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;

    void Init() override;
    void Invalidate() override;
    void Stop() override;
    void PageLimitReached() override;
    /// Generates the pages a request asks for (and the pages before them that are not yet
    /// known), handing each wanted page to the report. A request while busy is ignored.
    void RequestPages(QObject* aPageRequest) override;
    int GetPageNo() const override;
    int GetPageCount() const override;
    int PageBottom() const override;
    int CurrentColumn() const override { return m_column; }

    bool PageCountKnown() const { return m_pageCountKnown; }
    bool ReportComplete() const { return m_stage == stComplete; }
    /// The highest page whose state is in the page cache (-1: none).
    int CachedPageCount() const { return m_cachedPages; }

    // Driven by a sub-report, page by page: the sub-report keeps this engine's run state in
    // its own page-cache records and answers the engine's cached pages itself.
    void SetCachedPageCount(int aCount) { m_cachedPages = aCount; }
    void SetPageCountKnown(bool aKnown) { m_pageCountKnown = aKnown; }
    bool Initialized() const { return m_initialized; }
    bool DataFinished() const { return m_dataFinished; }
    bool BodyHasContent() const { return bodyHasContent(); }
    /// Added to the page numbers (a section continuing its parent's numbering).
    void SetPageNoOffset(int aOffset) { m_pageNoOffset = aOffset; }
    /// The lowest position the bands of the last page reached (mm-thousandths).
    int HighestPosition() const { return m_highestPosition; }
    /// Called once at the end of the current page, after its numbers are written and before
    /// it is handed on (a section sub-report puts its own page in its place); then cleared.
    Hook OnSectionPageEnd;

private:
    enum Stage { stTitle = 0, stBody = 1, stSummary = 2, stComplete = 3 };

    void requestPage(int aPageNo, bool aWanted);
    void generateNextPage(bool aWanted);
    /// Generates a band at the current position; answers false when it did not fit or
    /// overflowed (then it continues after the break).
    bool printBand(TppBand* aBand);
    /// Names, as a warning of the run, what of a band could not be placed on an empty page.
    void noteUnplaced(TppCustomBand* aBand);
    void printPageStyles();
    void printHeaders();
    void printFooters();
    void endPage();
    void removeLastPageBands();
    /// After a band of level aGroupLevel (the detail: the group count) did not fit: when the
    /// keep-together instance started on this page after data, generates the page again so
    /// that it moves as a whole, and answers true.
    bool keepTogetherMoved(int aGroupLevel, bool aWanted);
    void advanceRecord();
    /// The current record is taken into every running calculation.
    void computeRecord();
    bool pipelineAtEnd() const;
    void writePageProperties();
    bool bodyHasContent() const { return m_y > m_bodyTop; }
    /// Left edge of column n (from 1); raises text 43 when ColumnPositions has no entry.
    int columnLeft(int aColumn) const;
    bool columnFits(int aColumn) const;
    /// Puts the body area in column n and prints the column headers there.
    void enterColumn(int aColumn);
    /// Ends the current column; answers false when no further column fits on this page.
    bool nextColumn();
    void printColumnFooters();
    /// Prints again the headers of the groups in progress that repeat at the top of a page
    /// (aPageStart) or of a later column.
    void reprintGroupHeaders(bool aPageStart);
    bool hasVisibleSummary() const;
    /// Moves on after a band that did not fit: the next column, else a new page. Answers
    /// true when the band may be tried again on this page.
    bool breakColumnOrPage();
    std::vector<TppBand*> bandsOf(int aBandType) const;
    bool pageStyleSelected(const TppPageStyle* aStyle) const;

    /// Closes the records the engine walks, unless their pipeline is already freed.
    void closeTraversal();

    report::RecordTraversal* m_traversal = nullptr;
    /// The pipeline behind m_traversal: a pipeline freed before the engine clears it.
    QPointer<TppDataPipeline> m_traversalPipeline;
    /// The detail band's own pipeline (when it differs from the report's) and the walk
    /// over both that m_traversal then points to.
    QPointer<TppDataPipeline> m_detailPipeline;
    std::unique_ptr<report::RecordTraversal> m_masterDetail;
    bool m_initialized = false;
    bool m_pageCountKnown = false;
    int m_cachedPages = -1;
    int m_lastGenerated = 0;
    // Run state (cached per page).
    Stage m_stage = stTitle;
    bool m_dataFinished = false;
    bool m_steppedBack = false;
    quint32 m_headersPending = 0;  ///< bit g: the header of group g is still to print
    quint32 m_footersPending = 0;  ///< bit g: the footer of group g is still to print
    int m_detailPrints = 0;
    bool m_titleNewPageDone = false;
    bool m_summaryNewPageDone = false;
    bool m_groupsStarted = false;
    // Page state.
    TppPage* m_target = nullptr;  ///< the page when wanted, else null (layout only)
    int m_left = 0, m_right = 0, m_y = 0, m_bodyTop = 0, m_pageBottom = 0;
    bool m_pageEnded = false;
    bool m_detailOnPage = false;  ///< a detail printed on this page (its PrintPosition is used)
    int m_column = 1;
    int m_columnTop = 0;
    int m_highestPosition = 0;
    int m_pageNoOffset = 0;
    bool m_pageLimitHit = false;
    // Keep-together (page state): the break number of the kept instance that started after
    // data on this page and has not ended yet (-1: none), and the instances that start in
    // the next column or on the next page when this page is generated again. Every instance
    // found not to fit is added, so a page is generated again at most once per instance.
    int m_keepOpenBreakNo = -1;
    int m_keepCutPage = 0;
    std::vector<int> m_keepCutBreakNos;
    bool m_keepRegenerating = false;
};
