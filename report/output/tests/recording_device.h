#pragma once

// Test helpers of the output side: a device that records the pages it outputs, and a
// report that makes pages on request as the engine does.

#include "report/output/device.h"
#include "report/page/page.h"
#include "report/page/page_source.h"

#include <QCoreApplication>
#include <QStringList>

#include <functional>
#include <vector>

namespace outputtest {

/// Records the number of every page it would output (requested and not skipped) and the
/// texts of the text commands it drew.
class RecordingDevice : public TppDevice {
    Q_OBJECT
public:
    Q_INVOKABLE explicit RecordingDevice(TComponent* AOwner = nullptr) : TppDevice(AOwner) {}
    bool requiresFinal = true;
    std::vector<int> pages;
    QStringList texts;
    QStringList documentNames;
    int jobs = 0;

    bool RequiresFinalPages() const override { return requiresFinal; }
    void StartJob() override {
        TppDevice::StartJob();
        ++jobs;
    }
    void ReceivePage(TppPage& aPage) override {
        TppDevice::ReceivePage(aPage);
        if (!PageIsRequested() || SkipPage()) return;
        pages.push_back(aPage.AbsolutePageNo());
        documentNames << aPage.DocumentName();
        DrawPage(aPage);
    }
    bool DrawCommand(TppDrawCommand& c) override {
        if (auto* t = qobject_cast<TppDrawText*>(&c)) texts << t->Text();
        return true;
    }
};

/// A report of `pageCount` pages, each with the line "Line <n> of the run" and a page-count
/// variable (vtPageSetDesc). It generates from page 1 until the request is met, marking
/// pages that were not requested as passed over, and tells the page count only on the last
/// page. `afterPage` runs after each page is handed on.
class FakeReport : public report::PageSource {
public:
    explicit FakeReport(int pageCount) : m_pageCount(pageCount) {}

    int generations = 0;
    std::vector<int> generated;
    std::function<void(int pageNo)> afterPage;
    bool finalPages = true;
    /// The report's printer setup, given to every page as the engine does; none: defaults.
    TppPrinterSetup* setup = nullptr;

    void GeneratePages(TppPageRequest& aRequest, report::PageReceiver& aReceiver) override {
        if (m_generating) return;
        m_generating = true;
        m_cancelled = false;
        ++generations;
        TppPageRequest request;
        request.Assign(&aRequest);
        for (int no = 1; no <= m_pageCount && !m_cancelled; ++no) {
            TppPage page;
            page.SetAbsolutePageNo(no);
            page.SetAbsolutePageCount(no == m_pageCount ? m_pageCount : 0);
            page.SetPageNo(no);
            page.SetPageCount(no == m_pageCount ? m_pageCount : 0);
            page.SetFirstPage(no == 1);
            page.SetLastPage(no == m_pageCount);
            page.SetDocumentName(QStringLiteral("Package list"));
            page.SetFinal(finalPages);
            page.SetPrinterSetup(setup);
            page.SetPassedOver(!request.IsRequested(page));
            auto* line = new TppDrawText;
            line->SetText(QStringLiteral("Line %1 of the run").arg(no));
            line->SetLeft(20000);
            line->SetTop(30000);
            line->SetWidth(120000);
            line->SetHeight(6000);
            line->SetPage(&page);
            auto* var = new TppDrawVar;
            var->SetVarType(TppVarType::vtPageSetDesc);
            var->SetLeft(20000);
            var->SetTop(250000);
            var->SetWidth(80000);
            var->SetHeight(6000);
            var->SetPage(&page);
            var->UpdatePageCountText();
            generated.push_back(no);
            aReceiver.ReceivePage(page);
            if (afterPage) afterPage(no);
            QCoreApplication::processEvents();
            if (!page.PassedOver() && request.IsLastRequested(page)) break;
        }
        m_generating = false;
    }
    void CancelGeneration() override { m_cancelled = true; }
    void ResetGeneration() override {}

private:
    int m_pageCount;
    bool m_generating = false;
    bool m_cancelled = false;
};

}  // namespace outputtest
