// Pages per second of a long list report: 100,000 records of five text fields taken from
// the Debian package catalogue on this machine, a page header and a page footer, about 35
// records a page (2,858 pages). Every page is wanted (its draw commands are made) and
// handed to a receiver that counts commands, as a publisher would. The peak resident
// memory of the process is reported as a counter.
//
// The same report is also previewed to its last page (the producer publishing to the
// preview's screen device, which draws only the page it shows) and exported to a CSV file
// through the delimited text device, and printed into a PDF file through the printer device
// (a printer whose documents go into a PDF file, as a CUPS PDF queue writes them); each
// counts pages per second of the whole job.

#include "platform/print/printer_catalog.h"

#include "report/model/band_classes.h"
#include "report/model/data_pipeline.h"
#include "report/model/record_traversal.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/text_components.h"
#include "report/output/gui/viewer.h"
#include "report/output/producer.h"
#include "report/output/report_page_source.h"
#include "report/page/page.h"
#include "report/page/printer_list.h"
#include "report/page/units.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QApplication>
#include <QTemporaryDir>
#include <QStringList>

#include <sys/resource.h>

namespace {

class ListPipeline : public TppDataPipeline, public report::RecordTraversal {
public:
    bool GetActive() const override { return true; }
    TppDataType GetFieldDataType(const QString&) const override { return TppDataType::dtString; }
    QVariant GetFieldValue(const QString& f) const override {
        if (m_index >= rowCount) return {};
        const int field = f.back().digitValue();
        return words.at((m_index * 5 + field * 7919) % words.size());
    }
    void OpenTraversal() override { m_index = 0; }
    void CloseTraversal() override {}
    bool AtEnd() const override { return m_index >= rowCount; }
    void First() override { m_index = 0; }
    void Next() override { m_index = std::min(m_index + 1, rowCount); }
    void Prior() override { m_index = std::max(m_index - 1, 0); }
    int Bookmark() const override { return m_index; }
    void GotoBookmark(int b) override { m_index = b; }

    QStringList words;
    int rowCount = 100000;

private:
    int m_index = 0;
};

QStringList catalogueWords() {
    QStringList words;
    QFile f(QStringLiteral("/var/lib/dpkg/status"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("Package: ") || line.startsWith("Description: ")) words << QString::fromUtf8(line.mid(line.indexOf(' ') + 1)).left(40);
    if (words.isEmpty()) words << QStringLiteral("dpkg");
    return words;
}

long peakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

/// The list report over `pipeline`, built on `form`; with `save`, its detail texts are
/// marked for the text export.
TppReport* buildListReport(TComponent& form, ListPipeline* pipeline, bool save) {
    auto* r = new TppReport(&form);
    r->SetDataPipeline(pipeline);
    auto* header = new TppHeaderBand(&form);
    header->SetReport(r);
    header->SetmmHeight(10000);
    auto* heading = new TppLabel(&form);
    heading->SetBand(header);
    heading->SetCaption(QStringLiteral("Packages"));
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(r);
    detail->SetmmHeight(7100);
    detail->SetSave(save);
    for (int i = 0; i < 5; ++i) {
        auto* text = new TppDBText(&form);
        text->SetBand(detail);
        text->SetDataPipeline(pipeline);
        text->SetDataField(QStringLiteral("Field%1").arg(i));
        text->SetmmBounds(i * 40000, 500, 5000, 39000);
        text->SetSave(save);
        text->SetSaveOrder(i);
    }
    auto* footer = new TppFooterBand(&form);
    footer->SetReport(r);
    footer->SetmmHeight(8000);
    auto* foot = new TppLabel(&form);
    foot->SetBand(footer);
    foot->SetCaption(QStringLiteral("Dossara"));
    return r;
}

void BM_ListReportPages(benchmark::State& state) {
    report::RegisterReportClasses();
    const QStringList words = catalogueWords();
    long commands = 0;
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TComponent form;
        auto* pipeline = new ListPipeline;
        pipeline->setParent(&form);
        pipeline->words = words;
        TppReport* r = buildListReport(form, pipeline, false);
        r->OnPageReceived = [&](TppPage& page) {
            commands += page.GetDrawCommandCount();
            ++pages;
        };
        TppPageRequest request;
        request.SetPageSetting(TppPageSettingType::psAll);
        pages = 0;
        state.ResumeTiming();
        r->RequestPages(&request);
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_second"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = double(peakKilobytes()) / 1024.0;
    benchmark::DoNotOptimize(commands);
}
BENCHMARK(BM_ListReportPages)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Output jobs over the list report: "preview" goes to the last page in a preview, "csv"
/// exports every page to a comma-separated file.
/// The PDF printer of the PDF export: a catalogue of one printer whose documents go into a
/// PDF file, as a PDF queue of CUPS would write them, without a scheduler in the timed part.
class PdfCatalog final : public print::PrinterCatalog {
public:
    explicit PdfCatalog(QString file) : m_file(std::move(file)) {}
    std::vector<print::PrinterEntry> Printers() const override { return {{QStringLiteral("PDF"), false}}; }
    QString DefaultPrinterName() const override { return QStringLiteral("PDF"); }
    print::DriverCapabilities Capabilities(const QString&) const override {
        print::DriverCapabilities caps;
        caps.paperNames = {QStringLiteral("Letter"), QStringLiteral("A4")};
        caps.paperCodes = {1, 9};
        caps.paperSizesTenthsMm = {QSize(2159, 2794), QSize(2100, 2970)};
        return caps;
    }
    QString PdfOutputFor(const QString&) const override { return m_file; }

private:
    QString m_file;
};

enum class OutputJob { Preview, Csv, Pdf };

void outputJob(benchmark::State& state, OutputJob job) {
    const bool preview = job == OutputJob::Preview;
    report::RegisterReportClasses();
    report::InitializeOutputUnit();
    const QStringList words = catalogueWords();
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<TComponent>();
        auto* pipeline = new ListPipeline;
        pipeline->setParent(form.get());
        pipeline->words = words;
        TppReport* r = buildListReport(*form, pipeline, !preview);
        report::ReportPageSource source(r);
        TppProducer producer;
        producer.SetPageSource(&source);
        producer.SetShowPrintDialog(false);
        producer.SetShowCancelDialog(false);
        producer.SetEnableProcessMessages(false);
        producer.SetTextFileName(dir.filePath(QStringLiteral("packages.csv")));
        std::unique_ptr<TppViewer> viewer;
        if (preview) {
            viewer = std::make_unique<TppViewer>();
            viewer->resize(800, 1000);
            viewer->SetReport(&producer);
        }
        state.ResumeTiming();
        if (preview) {
            producer.PublishReport();
            viewer->LastPage();
            pages = viewer->GetAbsolutePageNo();
        } else if (job == OutputJob::Csv) {
            producer.SetDeviceType(QStringLiteral("TextFile"));
            producer.Print();
            pages = r->AbsolutePageCount();
        } else {
            producer.SetDeviceType(QStringLiteral("Printer"));
            producer.Print();
            pages = r->AbsolutePageCount();
        }
        state.PauseTiming();
        viewer.reset();
        delete r;
        form.reset();
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_second"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = double(peakKilobytes()) / 1024.0;
    if (job == OutputJob::Csv)
        state.counters["csv_MB"] = double(QFileInfo(dir.filePath(QStringLiteral("packages.csv"))).size()) / 1e6;
}

void BM_ListReportPreviewToLastPage(benchmark::State& state) { outputJob(state, OutputJob::Preview); }
void BM_ListReportExportCsv(benchmark::State& state) { outputJob(state, OutputJob::Csv); }
void BM_ListReportExportPdf(benchmark::State& state) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("packages.pdf"));
    print::InstallCatalog(std::make_unique<PdfCatalog>(file));
    report::ResetPrinterList();
    outputJob(state, OutputJob::Pdf);
    state.counters["pdf_MB"] = double(QFileInfo(file).size()) / 1e6;
    print::InstallCatalog(nullptr);
    report::ResetPrinterList();
}
BENCHMARK(BM_ListReportPreviewToLastPage)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ListReportExportCsv)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ListReportExportPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    report::SetScreenPixelsPerInch(96);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
