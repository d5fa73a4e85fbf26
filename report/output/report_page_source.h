#pragma once

#include "report/page/page_source.h"

class TppReport;

namespace report {

/// Lets a producer ask a report of the model for pages: a page request goes to the report's
/// RequestPages, and every page its engine finishes goes to the receiver of that request.
/// Cancelling stops the engine; resetting drops the generated pages so the next request
/// starts from page 1. Pages are marked final as they are handed on (the devices that print
/// only final pages wait for them). The report is not owned and must outlive the adapter's use.
class ReportPageSource : public PageSource {
public:
    explicit ReportPageSource(TppReport* aReport) : m_report(aReport) {}

    void GeneratePages(TppPageRequest& aRequest, PageReceiver& aReceiver) override;
    void CancelGeneration() override;
    void ResetGeneration() override;
    /// The auto-search fields the report owns, in creation order.
    QList<TppAutoSearchField*> AutoSearchFields() const override;
    /// Every database pipeline of the report's owner (and of the report) takes the criteria
    /// whose DataPipelineName is its name (without regard to case); a pipeline named by none
    /// walks all its records again. A criterion that a data view carries into its SQL
    /// (DataView set) is left to the view.
    void ApplyAutoSearchValues() override;
    /// Sends the event to the report's subscribers with the report as sender. Generation
    /// starting and ending (events 1 and 0) are the report's own: the first page request of
    /// a job signals the start (SignalPrintStart), and the job's end (event 71) signals the
    /// end first, so subscribers hear 70, 1, 0, 71.
    void JobEvent(int aEventId, TraParamList* aParams) override;
    /// The report's pages carry the name from now on.
    void SetDocumentName(const QString& aName) override;

    TppReport* Report() const { return m_report; }

private:
    TppReport* m_report;
    bool m_generating = false;
};

}  // namespace report
