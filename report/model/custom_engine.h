#pragma once

#include "report/model/cacheable.h"

#include <QRect>
#include <QStringList>

#include <functional>
#include <memory>

class TppCustomReport;
class TppPage;

/// The generation state a report's objects and scripts read while pages are generated:
/// page numbers and counts, pass and page flags, the page being built, the print date and
/// time, and the hooks through which the page engine reports its progress. The page engine
/// derives from it and fills in the generation; this base answers its state and generates
/// nothing.
///
/// Flags: Busy while a page request runs; Cancelled once a job is stopped (set by the
/// report, the page cache or a failure); DonePrinting when the last page is made.
class TppCustomEngine : public TppCacheable {
    Q_OBJECT
public:
    /// Pass-state bits.
    static constexpr quint16 esFirstPass = 2;
    static constexpr quint16 esSecondPass = 4;

    /// A hook of the engine: called at fixed moments of generation.
    using Hook = std::function<void()>;

    explicit TppCustomEngine(TppCustomReport* aReport, TComponent* AOwner = nullptr);
    ~TppCustomEngine() override;

    // Virtual operations in slot order.
    virtual QObject* CurrentBand() const { return nullptr; }
    virtual int CurrentBandIndex() const { return -1; }
    virtual int PageBottom() const { return 0; }
    /// The column being filled (from 1); 1 here.
    virtual int CurrentColumn() const { return 1; }
    virtual int GetPageCount() const { return m_absolutePageCount; }
    virtual int GetPageNo() const { return m_absolutePageNo; }
    virtual int GetState() const { return m_stateValue; }
    /// Resets the generation state of a run; here only the page numbers.
    virtual void ResetEngine();
    virtual void Stop() {}
    virtual void PageLimitReached() {}
    virtual void Init() {}
    /// Drops every generated page so the next request starts from page 1.
    virtual void Invalidate();
    virtual void SetPageCount(int aCount) { m_absolutePageCount = aCount; }
    /// Generates the pages of a request (the page engine); nothing here.
    virtual void RequestPages(QObject* aPageRequest) { Q_UNUSED(aPageRequest); }
    virtual void SetState(int aValue) { m_stateValue = quint8(aValue); }
    virtual void EndOfTraversal() {}
    virtual void NextRecord() {}

    TppCustomReport* Report() const { return m_report; }
    int AbsolutePageNo() const { return m_absolutePageNo; }
    void SetAbsolutePageNo(int v) { m_absolutePageNo = v; }
    int AbsolutePageCount() const { return m_absolutePageCount; }
    void SetAbsolutePageCount(int v) { m_absolutePageCount = v; }
    quint16 PassState() const { return m_passState; }
    void AddPassState(quint16 aBits) { m_passState |= aBits; }
    void RemovePassState(quint16 aBits) { m_passState &= quint16(~aBits); }
    bool FirstPass() const { return (m_passState & esFirstPass) != 0; }
    bool SecondPass() const { return (m_passState & esSecondPass) != 0; }
    quint16 PageFlags() const { return m_pageFlags; }
    void AddPageFlags(quint16 aBits) { m_pageFlags |= aBits; }
    void RemovePageFlags(quint16 aBits) { m_pageFlags &= quint16(~aBits); }
    bool DonePrinting() const { return m_donePrinting; }
    void SetDonePrinting(bool v) { m_donePrinting = v; }
    TppPage* Page() const { return m_page.get(); }
    /// Day number (days since 1899-12-30) of the job's start.
    double PrintDateTime() const { return m_printDateTime; }
    void SetPrintDateTime(double v) { m_printDateTime = v; }
    bool Busy() const { return m_busy; }
    void SetBusy(bool v) { m_busy = v; }
    bool Cancelled() const { return m_cancelled; }
    void SetCancelled(bool v) { m_cancelled = v; }
    bool PrintingSubReport() const { return m_printingSubReport; }
    void SetPrintingSubReport(bool v) { m_printingSubReport = v; }
    int ReportBandCount() const { return m_reportBandCount; }
    void SetReportBandCount(int v) { m_reportBandCount = v; }
    int PageBandCount() const { return m_pageBandCount; }
    void SetPageBandCount(int v) { m_pageBandCount = v; }
    /// The four positions of the band being placed, mm-thousandths.
    void SetPrintPosition(int aLeft, int aTop, int aRight, int aBottom);
    QRect PrintPositionRect() const { return m_printPosition; }

    /// What the run could not place on any page (a memo line taller than the page, a
    /// character wider than its memo), each once, in the order met. Kept until the next
    /// run starts (Init); a program that prints the report names them.
    const QStringList& Warnings() const { return m_warnings; }
    void AddWarning(const QString& aText) {
        if (!m_warnings.contains(aText)) m_warnings << aText;
    }
    void ClearWarnings() { m_warnings.clear(); }

    /// Hooks, empty at creation. The report sets OnEndPage and OnPageReady.
    Hook OnEndPage;
    Hook OnPageReady;
    Hook OnPageStart;
    Hook OnInitialize;
    Hook OnSaveCache;
    Hook OnCachedPages;
    Hook OnTraversal;
    Hook OnReportEnd;
    /// Calls a hook when it is assigned.
    static void CallHook(const Hook& aHook) {
        if (aHook) aHook();
    }

private:
    TppCustomReport* m_report;
    int m_absolutePageNo = 0;
    int m_absolutePageCount = 0;
    quint16 m_passState = 0;
    quint16 m_pageFlags = 0;
    bool m_donePrinting = false;
    std::unique_ptr<TppPage> m_page;
    double m_printDateTime = 0;
    quint8 m_stateValue = 0;
    bool m_busy = false;
    bool m_cancelled = false;
    bool m_printingSubReport = false;
    int m_reportBandCount = 0;
    int m_pageBandCount = 0;
    QRect m_printPosition;
    QStringList m_warnings;
};
