#pragma once

#include "report/model/stretchable.h"

#include <memory>

class TppCacheManager;
class TppChildReport;
class TppEngine;
class TppPage;

/// A component that owns a whole report (a TppChildReport) and prints it inside its parent
/// report, driving the child's engine one page at a time with single-page requests:
/// - pbChild: the child's pages are poured into the sub-report's area, continuing at the top
///   of its area on the following parent pages until the child report is complete;
/// - pbSection: every child page becomes a whole page of the output, with the child's own
///   page setup and (with ResetPageNo) its own page numbers; it starts on a new page when the
///   parent page already holds content;
/// - pbFixed: only the child's first page prints, into the design box; a box that does not
///   fit moves to the next page.
///
/// The child's run state lives in the sub-report's page-cache record and in a cache of the
/// child report's objects kept by the sub-report, under the parent's page numbers, so a parent
/// page generated on its own comes out the same as in a straight run.
///
/// Page-cache record: the stretchable's (4 bytes), then the section and child flags, the next
/// child page, the child page count, the cached child page and the print counter.
class TppSubReport : public TppStretchable {
    Q_OBJECT
public:
    static constexpr int kCacheRecordSize = kStretchableRecordSize + 24;

    Q_INVOKABLE explicit TppSubReport(TComponent* AOwner = nullptr);
    ~TppSubReport() override;

    /// The child report (created with CreateReport or read from a template).
    TppChildReport* Report() const { return m_report; }
    /// Creates the child report unless there is one: its parent is this sub-report's report,
    /// it takes the main report's page geometry and designer, this component's units and the
    /// default bands of the print behaviour.
    void CreateReport(TppCustomReport* aMasterReport);

    TppPrintBehaviorType PrintBehavior() const { return m_printBehavior; }
    void SetPrintBehavior(TppPrintBehaviorType aBehavior);
    bool ParentPrinterSetup() const { return m_parentPrinterSetup; }
    void SetParentPrinterSetup(bool v);
    bool ResetPageNo() const { return m_resetPageNo; }
    /// Changed only for pbSection.
    void SetResetPageNo(bool v);
    bool NewPrintJob() const { return m_newPrintJob; }
    /// On makes the sub-report a section.
    void SetNewPrintJob(bool v);
    bool TraverseAllData() const { return m_traverseAllData; }
    void SetTraverseAllData(bool v) { m_traverseAllData = v; }
    bool ParentWidth() const { return m_parentWidth; }
    /// Cannot be turned off for pbSection (outside reading).
    void SetParentWidth(bool v);
    /// Completed prints of the sub-report in this run.
    int Count() const { return m_printCount; }

    void SetBand(TppBand* aBand) override;
    void Generate() override;
    void PrepareRun() override;
    void ResetGeneration() override;
    void CalcSpaceUsed() override;
    void GeneratePage(TppPage* aPage) override;
    int CacheRecordSize() const override { return kCacheRecordSize; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;

    const stream::PropertyList& StreamProperties() const override;
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override;
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override;
    /// A stream read states Stretch only when it is on.
    void BeginLoading() override;

private:
    TppEngine* childEngine() const;
    void applyDefaultBands();
    /// Serves a single-page request for the next child page; data, script and print errors
    /// of the child leave the page short.
    void generateChildPage();
    void startChild();
    void childFlow();
    void fixedFlow();
    void sectionFlow();
    void cacheBookkeeping();
    /// Puts the child page in place of the parent page (a section page).
    void takeSectionPage();

    TppChildReport* m_report = nullptr;  ///< owned
    std::unique_ptr<TppCacheManager> m_childCache;
    TppPrintBehaviorType m_printBehavior = TppPrintBehaviorType::pbChild;
    bool m_parentPrinterSetup = true;
    bool m_resetPageNo = true;
    bool m_newPrintJob = false;
    bool m_traverseAllData = false;
    bool m_parentWidth = true;
    // Generation state (cached per page).
    bool m_sectionStarted = false;
    bool m_childInProgress = false;
    bool m_childDone = false;
    bool m_childComplete = false;
    bool m_childPageCountKnown = false;
    int m_nextChildPage = 1;
    int m_childPageCount = 0;
    int m_cachedChildPage = 0;
    int m_printCount = 0;
    // Generation state of the current print only.
    bool m_childProducedPage = false;
    bool m_generated = false;
};
