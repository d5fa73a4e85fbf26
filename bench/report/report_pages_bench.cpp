// Pages per second of a long report in three shapes, each measured cold and warm, beside the
// same reports made by KReport (bench/report/kreport, run by scripts/run-benchmarks.sh):
//
// - list: 100,000 records of five text fields taken from the Debian package catalogue on
//   this machine, a page header and a page footer, about 35 records a page (2,858 pages).
//   Every page is wanted (its draw commands are made) and handed to a receiver that counts
//   commands, as a publisher would;
// - grouped: the same records in groups of 30 (a group on the "Section" field), a group
//   header with the group's name, a group footer with the group's record count and the
//   total of its "Size" field (both DBCalc components);
// - pdf: the list printed into a PDF file through the printer device (a printer whose
//   documents go into a PDF file, as a CUPS PDF queue writes them).
//
// Cold: BM_Cold_* runs once in a process where nothing else has run yet (run each in a
// process of its own, as scripts/run-benchmarks.sh does). Warm: the same job once untimed
// first. The grouped report's totals are checked once against the records. The peak resident
// memory of the process is reported as a counter.
//
// The list report is also previewed to its last page (the producer publishing to the
// preview's screen device, which draws only the page it shows) and exported to a CSV file
// through the delimited text device; each counts pages per second of the whole job.

#include "platform/print/printer_catalog.h"

#include "report/model/band_classes.h"
#include "report/model/barcode.h"
#include "report/model/data_pipeline.h"
#include "report/model/group.h"
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
#include <QDir>
#include <QFileInfo>
#include <QApplication>
#include <QTemporaryDir>
#include <QProcess>
#include <QStringList>

#include <sys/resource.h>

#include <string>
#include <vector>

namespace {

constexpr int kGroupSize = 30;

class ListPipeline : public TppDataPipeline, public report::RecordTraversal {
public:
    bool GetActive() const override { return true; }
    TppDataType GetFieldDataType(const QString& f) const override {
        return f == QLatin1String("Size") ? TppDataType::dtInteger : TppDataType::dtString;
    }
    QVariant GetFieldValue(const QString& f) const override {
        if (m_index >= rowCount) return {};
        if (f == QLatin1String("Section")) return section(m_index);
        if (f == QLatin1String("Size")) return size(m_index);
        const int field = f.back().digitValue();
        return words.at((m_index * 5 + field * 7919) % words.size());
    }
    /// The group of record i and its size value, as the KReport side's source answers them.
    QString section(int i) const {
        return QStringLiteral("%1 %2").arg(words.at((i / kGroupSize * 13) % words.size()).section(u' ', 0, 0)).arg(i / kGroupSize);
    }
    static int size(int i) { return (i * 7919) % 1000; }
    void OpenTraversal() override { m_index = 0; }
    void CloseTraversal() override {}
    bool AtEnd() const override { return m_index >= rowCount; }
    void First() override { m_index = 0; }
    void Next() override { m_index = std::min(m_index + 1, rowCount); }
    void Prior() override { m_index = std::max(m_index - 1, 0); }
    int Bookmark() const override { return m_index; }
    void GotoBookmark(int b) override { m_index = b; }

    QStringList words;
    int rowCount = recordCount();

    /// 100,000, or DOSSARA_REPORT_BENCH_RECORDS (a smaller run for a profiler).
    static int recordCount() {
        const int n = qEnvironmentVariableIntValue("DOSSARA_REPORT_BENCH_RECORDS");
        return n > 0 ? n : 100000;
    }

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

/// The list report in groups of 30 records: the group's name in a 7 mm header, its record
/// count and the total of its Size field in a 7 mm footer.
TppReport* buildGroupedReport(TComponent& form, ListPipeline* pipeline) {
    TppReport* r = buildListReport(form, pipeline, false);
    auto* group = new TppGroup(&form);
    group->SetReport(r);
    group->SetDataPipeline(pipeline);
    group->SetBreakName(QStringLiteral("Section"));
    group->SetReprintOnSubsequentPage(false);
    group->HeaderBand()->SetmmHeight(7000);
    auto* name = new TppDBText(&form);
    name->SetBand(group->HeaderBand());
    name->SetDataPipeline(pipeline);
    name->SetDataField(QStringLiteral("Section"));
    name->SetmmBounds(0, 500, 5000, 60000);
    group->FooterBand()->SetmmHeight(7000);
    auto* count = new TppDBCalc(&form);
    count->SetBand(group->FooterBand());
    count->SetDataPipeline(pipeline);
    count->SetDataField(QStringLiteral("Field0"));
    count->SetDBCalcType(TppDBCalcType::dcCount);
    count->SetResetGroup(group);
    count->SetmmBounds(70000, 500, 5000, 20000);
    auto* total = new TppDBCalc(&form);
    total->SetName(QStringLiteral("ppTotal"));
    total->SetBand(group->FooterBand());
    total->SetDataPipeline(pipeline);
    total->SetDataField(QStringLiteral("Size"));
    total->SetResetGroup(group);
    total->SetmmBounds(100000, 500, 5000, 30000);
    return r;
}

/// Every page of the list (or grouped) report made once; with aCheck the grouped totals
/// printed are compared with the records.
bool makePages(const QStringList& words, bool grouped, benchmark::State* timed, bool aCheck, int& pages, long& commands) {
    if (timed) timed->PauseTiming();
    TComponent form;
    auto* pipeline = new ListPipeline;
    pipeline->setParent(&form);
    pipeline->words = words;
    TppReport* r = grouped ? buildGroupedReport(form, pipeline) : buildListReport(form, pipeline, false);
    QStringList totals;
    r->OnPageReceived = [&](TppPage& page) {
        commands += page.GetDrawCommandCount();
        ++pages;
        if (aCheck)
            for (int i = 0; i < page.GetDrawCommandCount(); ++i)
                if (auto* t = qobject_cast<TppDrawText*>(page.GetDrawCommand(i)); t && t->Component() && t->Component()->objectName() == QLatin1String("ppTotal"))
                    totals << t->Text();
    };
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    pages = 0;
    if (timed) timed->ResumeTiming();
    r->RequestPages(&request);
    if (timed) timed->PauseTiming();
    bool right = true;
    if (aCheck && grouped) {
        QStringList expected;
        qint64 total = 0;
        for (int i = 0; i < pipeline->rowCount; ++i) {
            total += ListPipeline::size(i);
            if (i % kGroupSize == kGroupSize - 1 || i + 1 == pipeline->rowCount) {
                expected << QString::number(total);
                total = 0;
            }
        }
        right = totals == expected;
    }
    delete r;
    if (timed) timed->ResumeTiming();
    return right;
}

void pagesJob(benchmark::State& state, bool grouped, bool cold) {
    report::RegisterReportClasses();
    const QStringList words = catalogueWords();
    long commands = 0;
    int pages = 0;
    if (!cold && !makePages(words, grouped, nullptr, true, pages, commands)) {  // warm-up, untimed
        state.SkipWithError("the group totals differ from the records");
        return;
    }
    bool checked = !cold;
    for (auto _ : state) {
        if (!makePages(words, grouped, &state, !checked, pages, commands)) {
            state.SkipWithError("the group totals differ from the records");
            return;
        }
        checked = true;
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_second"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = double(peakKilobytes()) / 1024.0;
    benchmark::DoNotOptimize(commands);
}

void BM_ListReportPages(benchmark::State& state) { pagesJob(state, false, false); }
void BM_GroupedReportPages(benchmark::State& state) { pagesJob(state, true, false); }
void BM_Cold_ListReportPages(benchmark::State& state) { pagesJob(state, false, true); }
void BM_Cold_GroupedReportPages(benchmark::State& state) { pagesJob(state, true, true); }
BENCHMARK(BM_ListReportPages)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GroupedReportPages)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Cold_ListReportPages)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Cold_GroupedReportPages)->Unit(benchmark::kMillisecond)->Iterations(1);

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

/// One output job over the list report; the setup and the freeing are outside the timed
/// part when `timed` is given. Answers the pages made.
int oneOutputJob(OutputJob job, const QStringList& words, const QString& csv, benchmark::State* timed) {
    const bool preview = job == OutputJob::Preview;
    if (timed) timed->PauseTiming();
    auto form = std::make_unique<TComponent>();
    auto* pipeline = new ListPipeline;
    pipeline->setParent(form.get());
    pipeline->words = words;
    TppReport* r = buildListReport(*form, pipeline, !preview);
    int pages = 0;
    {
        report::ReportPageSource source(r);
        TppProducer producer;
        producer.SetPageSource(&source);
        producer.SetShowPrintDialog(false);
        producer.SetShowCancelDialog(false);
        producer.SetEnableProcessMessages(false);
        producer.SetTextFileName(csv);
        std::unique_ptr<TppViewer> viewer;
        if (preview) {
            viewer = std::make_unique<TppViewer>();
            viewer->resize(800, 1000);
            viewer->SetReport(&producer);
        }
        if (timed) timed->ResumeTiming();
        if (preview) {
            producer.PublishReport();
            viewer->LastPage();
            pages = viewer->GetAbsolutePageNo();
        } else {
            producer.SetDeviceType(job == OutputJob::Csv ? QStringLiteral("TextFile") : QStringLiteral("Printer"));
            producer.Print();
            pages = r->AbsolutePageCount();
        }
        if (timed) timed->PauseTiming();
    }
    delete r;
    form.reset();
    if (timed) timed->ResumeTiming();
    return pages;
}

void outputJob(benchmark::State& state, OutputJob job, bool cold = false) {
    report::RegisterReportClasses();
    report::InitializeOutputUnit();
    const QStringList words = catalogueWords();
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("packages.csv"));
    int pages = 0;
    if (!cold) oneOutputJob(job, words, csv, nullptr);  // warm-up, untimed
    for (auto _ : state) pages = oneOutputJob(job, words, csv, &state);
    state.counters["pages"] = pages;
    state.counters["pages_per_second"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = double(peakKilobytes()) / 1024.0;
    if (job == OutputJob::Csv) state.counters["csv_MB"] = double(QFileInfo(csv).size()) / 1e6;
}

void pdfJob(benchmark::State& state, bool cold) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("packages.pdf"));
    print::InstallCatalog(std::make_unique<PdfCatalog>(file));
    report::ResetPrinterList();
    outputJob(state, OutputJob::Pdf, cold);
    state.counters["pdf_MB"] = double(QFileInfo(file).size()) / 1e6;
    print::InstallCatalog(nullptr);
    report::ResetPrinterList();
}

void BM_ListReportPreviewToLastPage(benchmark::State& state) { outputJob(state, OutputJob::Preview); }
void BM_ListReportExportCsv(benchmark::State& state) { outputJob(state, OutputJob::Csv); }
void BM_ListReportExportPdf(benchmark::State& state) { pdfJob(state, false); }
void BM_Cold_ListReportExportPdf(benchmark::State& state) { pdfJob(state, true); }
BENCHMARK(BM_ListReportPreviewToLastPage)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ListReportExportCsv)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ListReportExportPdf)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Cold_ListReportExportPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

// Labels: 10,000 records, one Code 128 each (the package name of the catalogue and the
// record's number, "apt/42"), a 25.4 mm detail band with a data barcode (automatic code
// sets, 0.01 inch bars, human-readable text), ten labels a Letter page, made and printed
// into a PDF file. Run in a process of its own (cold) so that the peak memory is the job's.
// The first page is read back once, untimed, by pdftoppm and zbarimg when they are there.

constexpr int kLabels = 10000;

QString labelOf(const QStringList& names, int i) { return names.at(i % names.size()).left(14) + u'/' + QString::number(i); }

QStringList catalogueNames() {
    QStringList names;
    QFile f(QStringLiteral("/var/lib/dpkg/status"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("Package: ")) names << QString::fromUtf8(line.mid(9));
    if (names.isEmpty()) names << QStringLiteral("dpkg");
    return names;
}

class LabelPipeline : public TppDataPipeline, public report::RecordTraversal {
public:
    bool GetActive() const override { return true; }
    TppDataType GetFieldDataType(const QString&) const override { return TppDataType::dtString; }
    QVariant GetFieldValue(const QString&) const override { return m_index < kLabels ? labelOf(names, m_index) : QVariant(); }
    void OpenTraversal() override { m_index = 0; }
    void CloseTraversal() override {}
    bool AtEnd() const override { return m_index >= kLabels; }
    void First() override { m_index = 0; }
    void Next() override { m_index = std::min(m_index + 1, kLabels); }
    void Prior() override { m_index = std::max(m_index - 1, 0); }
    int Bookmark() const override { return m_index; }
    void GotoBookmark(int b) override { m_index = b; }
    QStringList names;

private:
    int m_index = 0;
};

/// The symbols zbarimg reads on the first page of a PDF file; empty when either tool is missing.
QStringList firstPageSymbols(const QString& pdf) {
    QTemporaryDir dir;
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {"-r", "200", "-gray", "-png", "-f", "1", "-l", "1", pdf, dir.filePath("page")});
    if (!render.waitForFinished(60000)) return {};
    const QStringList pngs = QDir(dir.path()).entryList({QStringLiteral("page*.png")}, QDir::Files);
    if (pngs.isEmpty()) return {};
    QProcess scan;
    scan.start(QStringLiteral("zbarimg"), {"-q", "--raw", dir.filePath(pngs.first())});
    if (!scan.waitForFinished(60000)) return {};
    QStringList symbols = QString::fromUtf8(scan.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    symbols.sort();
    return symbols;
}

void labelsJob(benchmark::State& state) {
    report::RegisterReportClasses();
    report::InitializeOutputUnit();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("labels.pdf"));
    print::InstallCatalog(std::make_unique<PdfCatalog>(file));
    report::ResetPrinterList();
    const QStringList names = catalogueNames();
    int pages = 0;
    long symbols = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<TComponent>();
        auto* pipeline = new LabelPipeline;
        pipeline->setParent(form.get());
        pipeline->names = names;
        auto* r = new TppReport(form.get());
        r->SetDataPipeline(pipeline);
        auto* detail = new TppDetailBand(form.get());
        detail->SetReport(r);
        detail->SetmmHeight(25400);
        auto* code = new TppDBBarCode(form.get());
        code->SetBand(detail);
        code->SetDataPipeline(pipeline);
        code->SetDataField(QStringLiteral("Label"));
        code->SetBarCodeType(TppBarCodeType::bcCode128);
        code->SetAutoEncode(true);
        code->SetmmLeft(10000);
        code->SetmmTop(4000);
        {
            report::ReportPageSource source(r);
            TppProducer producer;
            producer.SetPageSource(&source);
            producer.SetShowPrintDialog(false);
            producer.SetShowCancelDialog(false);
            producer.SetEnableProcessMessages(false);
            producer.SetDeviceType(QStringLiteral("Printer"));
            state.ResumeTiming();
            producer.Print();
            state.PauseTiming();
            pages = r->AbsolutePageCount();
        }
        delete r;
        form.reset();
        state.ResumeTiming();
    }
    state.counters["labels"] = kLabels;
    state.counters["pages"] = pages;
    state.counters["pages_per_second"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = double(peakKilobytes()) / 1024.0;
    state.counters["pdf_MB"] = double(QFileInfo(file).size()) / 1e6;
    // The same question as the other side: the first page's symbols are the first labels.
    const QStringList read = firstPageSymbols(file);
    QStringList expected;
    for (int i = 0; i < read.size(); ++i) expected << labelOf(names, i);
    expected.sort();
    if (!read.isEmpty() && read != expected) state.SkipWithError("the first page's barcodes are not the first labels");
    symbols = read.size();
    state.counters["first_page_symbols_read"] = double(symbols);
    print::InstallCatalog(nullptr);
    report::ResetPrinterList();
}

void BM_Cold_BarCodeLabelsPdf(benchmark::State& state) { labelsJob(state); }
BENCHMARK(BM_Cold_BarCodeLabelsPdf)->Unit(benchmark::kMillisecond)->Iterations(1);


/// Runs the cold benchmarks each in a process of its own (this program again, with a filter
/// naming one of them), so that each one's run is the first of its process; then the warm
/// ones here. Given a filter, runs what it names here and nothing else.
std::vector<std::string> coldFirst(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    for (const std::string& a : args)
        if (a.rfind("--benchmark_filter", 0) == 0) return args;
    QString out;
    for (const std::string& a : args)
        if (a.rfind("--benchmark_out=", 0) == 0) out = QString::fromStdString(a.substr(16));
    for (const char* cold : {"BM_Cold_ListReportPages", "BM_Cold_GroupedReportPages", "BM_Cold_ListReportExportPdf",
                             "BM_Cold_BarCodeLabelsPdf"}) {
        QStringList childArgs{QStringLiteral("--benchmark_filter=^%1(/|$)").arg(QLatin1String(cold))};
        for (size_t i = 1; i < args.size(); ++i)
            if (args[i].rfind("--benchmark_out=", 0) != 0) childArgs << QString::fromStdString(args[i]);
        if (!out.isEmpty()) childArgs << QStringLiteral("--benchmark_out=%1.%2.json").arg(out, QLatin1String(cold));
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), childArgs);
        child.waitForFinished(-1);
    }
    args.push_back("--benchmark_filter=-Cold");
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    report::SetScreenPixelsPerInch(96);
    std::vector<std::string> args = coldFirst(argc, argv);
    std::vector<char*> argp;
    for (std::string& a : args) argp.push_back(a.data());
    int count = int(argp.size());
    benchmark::Initialize(&count, argp.data());
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
