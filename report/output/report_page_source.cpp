#include "report/output/report_page_source.h"

#include "report/model/custom_engine.h"
#include "report/model/report.h"
#include "report/page/page.h"

#include "platform/base/scope_exit.h"

namespace report {

void ReportPageSource::GeneratePages(TppPageRequest& aRequest, PageReceiver& aReceiver) {
    if (!m_report || m_generating) return;
    m_generating = true;
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
    const auto restore = base::ScopeExit([&] {
        m_report->OnPageReceived = std::move(previous);
        m_generating = false;
    });
    m_report->RequestPages(&aRequest);
}

void ReportPageSource::CancelGeneration() {
    if (!m_report) return;
    // The engine checks the flag between pages; a request that is not running clears it.
    TppCustomEngine* engine = m_report->Engine();
    if (engine && engine->Busy()) engine->SetCancelled(true);
}

void ReportPageSource::ResetGeneration() {
    if (!m_report || m_generating) return;
    m_report->ResetEngines();
}

}  // namespace report
