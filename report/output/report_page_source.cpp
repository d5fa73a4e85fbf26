#include "report/output/report_page_source.h"

#include "report/model/script_adapter.h"

#include <QCoreApplication>

#include "report/model/auto_search_field.h"
#include "report/model/communicator.h"
#include "report/model/custom_engine.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/page/page.h"

#include "platform/base/scope_exit.h"

namespace report {

void ReportPageSource::GeneratePages(TppPageRequest& aRequest, PageReceiver& aReceiver) {
    if (!m_report || m_generating) return;
    m_generating = true;
    raScriptCancelFlag() = false;  // an earlier request's Cancel is done with
    auto previous = std::move(m_report->OnPageReceived);
    TppReport* report = m_report;
    m_report->OnPageReceived = [&aReceiver, report](TppPage& aPage) {
        // A page is final when no later pass will make it again: every page of a one-pass
        // report, and the pages of a two-pass report's second pass.
        if (!aPage.Final()) {
            const TppCustomEngine* engine = report->Engine();
            aPage.SetFinal(report->PassSetting() == TppPassSettingType::psOnePass || (engine && engine->SecondPass()));
        }
        aReceiver.ReceivePage(aPage);
    };
    // A long-running script lets pending messages through at most every 50 ms, so the
    // cancel dialog's or the preview's Cancel reaches CancelGeneration.
    auto previousPending = std::move(raPendingMessagesHandler());
    if (QCoreApplication::instance())
        raPendingMessagesHandler() = [] { QCoreApplication::processEvents(); };
    const auto restore = base::ScopeExit([&] {
        m_report->OnPageReceived = std::move(previous);
        raPendingMessagesHandler() = std::move(previousPending);
        m_generating = false;
    });
    m_report->SignalPrintStart();
    m_report->RequestPages(&aRequest);
}

void ReportPageSource::SetDocumentName(const QString& aName) {
    if (m_report) m_report->SetDocumentName(aName);
}

void ReportPageSource::JobEvent(int aEventId, TraParamList* aParams) {
    if (!m_report) return;
    if (aEventId == ciProducerBeforePrint || aEventId == ciProducerAfterPrint) return;
    if (aEventId == ciProducerReportEnd) m_report->SignalPrintEnd();
    ppSendEventNotify(m_report, m_report, aEventId, aParams);
}

void ReportPageSource::CancelGeneration() {
    if (!m_report) return;
    raScriptCancelFlag() = true;  // a running script stops at its next loop pass
    // The engine checks the flag between pages; a request that is not running clears it.
    TppCustomEngine* engine = m_report->Engine();
    if (engine && engine->Busy()) engine->SetCancelled(true);
}

void ReportPageSource::ResetGeneration() {
    if (!m_report || m_generating) return;
    m_report->ResetEngines();
}

QList<TppAutoSearchField*> ReportPageSource::AutoSearchFields() const {
    QList<TppAutoSearchField*> out;
    if (!m_report) return out;
    for (int i = 0; i < m_report->AutoSearchFieldCount(); ++i) out << m_report->AutoSearchFields(i);
    return out;
}

void ReportPageSource::ApplyAutoSearchValues() {
    if (!m_report) return;
    const QList<TppAutoSearchField*> fields = AutoSearchFields();
    QList<TppDBPipeline*> pipelines;
    auto collect = [&pipelines](TComponent* aOwner) {
        if (!aOwner) return;
        for (TComponent* c : aOwner->Components())
            if (auto* p = qobject_cast<TppDBPipeline*>(c); p && !pipelines.contains(p)) pipelines << p;
    };
    collect(m_report->Owner());
    collect(m_report);
    if (auto* p = qobject_cast<TppDBPipeline*>(m_report->DataPipeline()); p && !pipelines.contains(p)) pipelines << p;
    for (TppDBPipeline* pipeline : pipelines) {
        QList<TppAutoSearchField*> criteria;
        // A criterion that a data view carries into its query's SQL is not applied again here:
        // the pipeline's own comparison would drop the rows a case-insensitive one found.
        for (TppAutoSearchField* f : fields)
            if (!f->DataView() && f->DataPipelineName().compare(pipeline->Name(), Qt::CaseInsensitive) == 0)
                criteria << f;
        pipeline->SetSearchCriteria(criteria);
    }
}

}  // namespace report
