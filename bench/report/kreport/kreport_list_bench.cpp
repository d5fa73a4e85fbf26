// The reports of bench/report/report_pages_bench.cpp made by KReport, in three shapes:
//
// - list: the same 100,000 records of five text fields from the Debian package catalogue on
//   this machine, the same Letter page with quarter-inch margins, a 10 mm page header, a
//   7.1 mm detail of five 39 mm fields 40 mm apart and an 8 mm page footer (35 records a
//   page, 2,858 pages), made into KReport's page objects (ORODocument / OROPage);
// - grouped: the same records in groups of 30 (a group column "Section"), a 7 mm group
//   header with the group's name and a 7 mm group footer with the group's record count and
//   the total of its "Size" field;
// - pdf: the list made into pages and printed by KReport's print renderer on a QPrinter
//   writing a PDF file (its high-resolution mode, as a printer is driven).
//
// KReport has no aggregate of its own (its hosts compute totals in the data source, as
// Kexi does with SQL), so the records' source answers the count and total of each group,
// computed when KReport opens it (inside the timed part). The records come through KReport's
// data source interface over an in-memory list, as the other side reads an in-memory
// pipeline. Parsing the report definition and freeing the pages are outside the timed part.
//
// Cold and warm: BM_Cold_* runs once in the process before anything else has run (run each
// in a process of its own: scripts/run-benchmarks.sh does); the warm benchmarks run the same
// job once untimed first. The pages are checked once against the records (every record's
// texts in order, every group's name, count and total).

#include <KReportDataSource>
#include <KReportPreRenderer>
#include <KReportRenderObjects>
#include <KReportRendererBase>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <string>
#include <vector>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kGroupSize = 30;

/// The group of record i and its size value, as the other side's pipeline answers them.
QString sectionOf(int i, const QStringList& words) {
    return QStringLiteral("%1 %2").arg(words.at((i / kGroupSize * 13) % words.size()).section(u' ', 0, 0)).arg(i / kGroupSize);
}
int sizeOf(int i) { return (i * 7919) % 1000; }

class ListSource : public KReportDataSource {
public:
    explicit ListSource(const QStringList& words) : m_words(words) {}
    bool open() override {
        m_index = 0;
        // The group totals, as a host computes them for the report.
        const int groups = (kRows + kGroupSize - 1) / kGroupSize;
        m_groupTotal.assign(size_t(groups), 0);
        for (int i = 0; i < kRows; ++i) m_groupTotal[size_t(i / kGroupSize)] += sizeOf(i);
        return true;
    }
    bool close() override { return true; }
    bool moveNext() override {
        if (m_index + 1 >= kRows) return false;
        ++m_index;
        return true;
    }
    bool movePrevious() override {
        if (m_index == 0) return false;
        --m_index;
        return true;
    }
    bool moveFirst() override {
        m_index = 0;
        return true;
    }
    bool moveLast() override {
        m_index = kRows - 1;
        return true;
    }
    qint64 at() const override { return m_index; }
    qint64 recordCount() const override { return kRows; }
    int fieldNumber(const QString& field) const override { return int(fieldNames().indexOf(field)); }
    QStringList fieldNames() const override {
        return {QStringLiteral("Field0"),  QStringLiteral("Field1"), QStringLiteral("Field2"),     QStringLiteral("Field3"),
                QStringLiteral("Field4"),  QStringLiteral("Section"), QStringLiteral("Size"), QStringLiteral("GroupCount"),
                QStringLiteral("GroupTotal")};
    }
    QVariant value(int pos) const override {
        if (pos >= 0 && pos <= 4) return m_words.at((m_index * 5 + pos * 7919) % m_words.size());
        switch (pos) {
        case 5: return sectionOf(m_index, m_words);
        case 6: return sizeOf(m_index);
        case 7: return std::min(kGroupSize, kRows - m_index / kGroupSize * kGroupSize);
        case 8: return m_groupTotal.empty() ? 0 : m_groupTotal[size_t(m_index / kGroupSize)];
        default: return {};
        }
    }
    QVariant value(const QString& field) const override { return value(fieldNumber(field)); }
    QStringList dataSourceNames() const override { return {QStringLiteral("packages")}; }

private:
    QStringList m_words;
    int m_index = 0;
    std::vector<qint64> m_groupTotal;
};

QStringList catalogueWords() {
    QStringList words;
    QFile f(QStringLiteral("/var/lib/dpkg/status"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("Package: ") || line.startsWith("Description: "))
                words << QString::fromUtf8(line.mid(line.indexOf(' ') + 1)).left(40);
    if (words.isEmpty()) words << QStringLiteral("dpkg");
    return words;
}

/// Whether the document holds every record's five texts in record order and, grouped,
/// each group's name before its records and its count and total after them (the page
/// labels aside), as the other side's pages do.
bool holdsEveryRecord(const ORODocument& document, const QStringList& words, bool grouped) {
    const auto isLabel = [](const QString& t) { return t == QLatin1String("Packages") || t == QLatin1String("Dossara"); };
    QStringList expected;
    for (int i = 0; i < kRows; ++i) {
        if (grouped && i % kGroupSize == 0) expected << sectionOf(i, words);
        for (int f = 0; f < 5; ++f) expected << words.at((i * 5 + f * 7919) % words.size());
        if (grouped && (i % kGroupSize == kGroupSize - 1 || i == kRows - 1)) {
            qint64 total = 0;
            const int first = i / kGroupSize * kGroupSize;
            for (int k = first; k <= i; ++k) total += sizeOf(k);
            expected << QString::number(i - first + 1) << QString::number(total);
        }
    }
    int at = 0;
    for (int p = 0; p < document.pageCount(); ++p) {
        // Each page's texts in reading order (KReport keeps a section's items in its own order).
        const OROPage* page = document.page(p);
        std::vector<const OROTextBox*> boxes;
        for (int i = 0; i < page->primitiveCount(); ++i)
            if (const auto* box = dynamic_cast<const OROTextBox*>(page->primitive(i)); box && !isLabel(box->text()))
                boxes.push_back(box);
        std::stable_sort(boxes.begin(), boxes.end(), [](const OROTextBox* a, const OROTextBox* b) {
            const QPointF pa = a->position(), pb = b->position();
            return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
        });
        for (const OROTextBox* box : boxes) {
            while (at < expected.size() && isLabel(expected.at(at))) ++at;
            if (at >= expected.size() || box->text() != expected.at(at)) return false;
            ++at;
        }
    }
    while (at < expected.size() && isLabel(expected.at(at))) ++at;
    return at == expected.size();
}

long peakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

QString textItem(const char* kind, const QString& name, const QString& attribute, double x, double y, double w, double h) {
    return QStringLiteral(
               "<report:%1 report:name=\"%2\" %3 svg:x=\"%4mm\" svg:y=\"%5mm\" svg:width=\"%6mm\" svg:height=\"%7mm\""
               " report:z-index=\"0\" report:horizontal-align=\"left\" report:vertical-align=\"top\">"
               "<report:text-style fo:font-family=\"Arial\" fo:font-size=\"10\" fo:font-weight=\"normal\""
               " fo:foreground-color=\"#000000\" fo:background-color=\"#ffffff\" fo:background-opacity=\"0%\"/>"
               "<report:line-style report:line-color=\"#000000\" report:line-weight=\"0\" report:line-style=\"nopen\"/>"
               "</report:%1>")
        .arg(QLatin1String(kind), name, attribute)
        .arg(x)
        .arg(y)
        .arg(w)
        .arg(h);
}

QString field(const QString& name, const QString& source, double x, double w) {
    return textItem("field", name, QStringLiteral("report:item-data-source=\"%1\"").arg(source), x, 0.5, w, 5.0);
}

/// The report definition in KReport's own XML form, as its designer saves it.
QString reportDefinition(bool grouped) {
    QString fields;
    for (int i = 0; i < 5; ++i) fields += field(QStringLiteral("field%1").arg(i), QStringLiteral("Field%1").arg(i), i * 40.0, 39.0);
    QString detail = QStringLiteral("<report:section svg:height=\"7.1mm\" fo:background-color=\"#ffffff\" report:section-type=\"detail\">%1"
                                    "</report:section>")
                         .arg(fields);
    if (grouped)
        detail = QStringLiteral("<report:group report:group-column=\"Section\" report:group-page-break=\"none\" report:group-sort=\"ascending\">"
                                "<report:section svg:height=\"7mm\" fo:background-color=\"#ffffff\" report:section-type=\"group-header\">%1</report:section>"
                                "<report:section svg:height=\"7mm\" fo:background-color=\"#ffffff\" report:section-type=\"group-footer\">%2</report:section>"
                                "</report:group>")
                     .arg(field(QStringLiteral("section"), QStringLiteral("Section"), 0, 60),
                          field(QStringLiteral("count"), QStringLiteral("GroupCount"), 70, 20) +
                              field(QStringLiteral("total"), QStringLiteral("GroupTotal"), 100, 30)) +
                 detail;
    return QStringLiteral(
               "<!DOCTYPE kexireport><kexireport>"
               "<report:content xmlns:report=\"http://kexi-project.org/report/2.0\""
               " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
               " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\">"
               "<report:title>Packages</report:title>"
               "<report:grid report:grid-divisions=\"4\" report:grid-snap=\"1\" report:page-unit=\"mm\" report:grid-visible=\"1\"/>"
               "<report:page-style report:print-orientation=\"portrait\" fo:margin-top=\"6.35mm\" fo:margin-bottom=\"6.35mm\""
               " fo:margin-left=\"6.35mm\" fo:margin-right=\"6.35mm\" report:page-size=\"Letter\">predefined</report:page-style>"
               "<report:body>"
               "<report:section svg:height=\"10mm\" fo:background-color=\"#ffffff\" report:section-type=\"header-page-any\">%1</report:section>"
               "<report:section svg:height=\"8mm\" fo:background-color=\"#ffffff\" report:section-type=\"footer-page-any\">%2</report:section>"
               "<report:detail>%3</report:detail>"
               "</report:body></report:content></kexireport>")
        .arg(textItem("label", QStringLiteral("heading"), QStringLiteral("report:caption=\"Packages\""), 0, 0.5, 39, 5),
             textItem("label", QStringLiteral("foot"), QStringLiteral("report:caption=\"Dossara\""), 0, 0.5, 39, 5), detail);
}

enum class Shape { List, Grouped, Pdf };

/// One job: the pre-renderer and, for the PDF, the printer, made outside the timed part.
struct Job {
    std::unique_ptr<KReportPreRenderer> renderer;
    std::unique_ptr<QPrinter> printer;
};

Job prepare(Shape shape, const QDomElement& content, const QStringList& words, const QString& pdf) {
    Job job;
    job.renderer = std::make_unique<KReportPreRenderer>(content);
    if (!job.renderer->isValid()) return {};
    job.renderer->setDataSource(new ListSource(words));
    if (shape == Shape::Pdf) {
        QFile::remove(pdf);
        job.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        job.printer->setOutputFormat(QPrinter::PdfFormat);
        job.printer->setOutputFileName(pdf);
        job.printer->setPageSize(QPageSize(QPageSize::Letter));
        job.printer->setFullPage(true);
    }
    return job;
}

/// The timed part: every page made and, for the PDF, printed.
bool generate(Job& job) {
    if (!job.renderer->generateDocument()) return false;
    if (!job.printer) return true;
    KReportRendererFactory factory;
    std::unique_ptr<KReportRendererBase> print(factory.createInstance(QStringLiteral("print")));
    QPainter painter;
    KReportRendererContext context;
    context.setPrinter(job.printer.get());
    context.setPainter(&painter);
    return print && print->render(context, job.renderer->document());
}

void run(benchmark::State& state, Shape shape, bool cold) {
    const QStringList words = catalogueWords();
    QDomDocument definition;
    if (!definition.setContent(reportDefinition(shape == Shape::Grouped))) {
        state.SkipWithError("the report definition does not parse");
        return;
    }
    const QDomElement content = definition.documentElement().firstChildElement(QStringLiteral("report:content"));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("packages.pdf"));
    bool checked = false;
    const auto check = [&](Job& job) {
        if (checked) return true;
        checked = true;
        return job.renderer->document() && holdsEveryRecord(*job.renderer->document(), words, shape == Shape::Grouped);
    };
    if (!cold) {
        // Warm: the same job once before the timed runs (and its pages checked).
        Job job = prepare(shape, content, words, pdf);
        if (!job.renderer || !generate(job) || !check(job)) {
            state.SkipWithError("KReport did not make the pages of every record in order");
            return;
        }
    }
    int pages = 0;
    long primitives = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Job job = prepare(shape, content, words, pdf);
        if (!job.renderer) {
            state.SkipWithError("KReport does not accept the report definition");
            return;
        }
        state.ResumeTiming();
        const bool made = generate(job);
        state.PauseTiming();
        ORODocument* document = job.renderer->document();
        pages = document ? document->pageCount() : 0;
        primitives = 0;
        for (int i = 0; i < pages; ++i) primitives += document->page(i)->primitiveCount();
        if (!made || !check(job)) {
            state.SkipWithError("KReport did not make the pages of every record in order");
            return;
        }
        job = {};
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["primitives"] = double(primitives);
    state.counters["pages_per_second"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = double(peakKilobytes()) / 1024.0;
    if (shape == Shape::Pdf) state.counters["pdf_MB"] = double(QFileInfo(pdf).size()) / 1e6;
}

void BM_KReportListReportPages(benchmark::State& state) { run(state, Shape::List, false); }
void BM_KReportGroupedReportPages(benchmark::State& state) { run(state, Shape::Grouped, false); }
void BM_KReportListReportPdf(benchmark::State& state) { run(state, Shape::Pdf, false); }
void BM_Cold_KReportListReportPages(benchmark::State& state) { run(state, Shape::List, true); }
void BM_Cold_KReportGroupedReportPages(benchmark::State& state) { run(state, Shape::Grouped, true); }
void BM_Cold_KReportListReportPdf(benchmark::State& state) { run(state, Shape::Pdf, true); }
BENCHMARK(BM_KReportListReportPages)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_KReportGroupedReportPages)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_KReportListReportPdf)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Cold_KReportListReportPages)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Cold_KReportGroupedReportPages)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Cold_KReportListReportPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

// Labels: the labels of BM_Cold_BarCodeLabelsPdf on the other side: 10,000 records, one
// Code 128 each of the package name and the record's number ("apt/42"), through KReport's
// barcode element (libkreport3-plugin-barcode, format "128") in a 25.4 mm detail section, ten
// labels a Letter page with quarter-inch margins, made into pages and printed by the print
// renderer into a PDF file; run in a process of its own so that the peak memory is the job's.
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

class LabelSource : public KReportDataSource {
public:
    explicit LabelSource(const QStringList& names) : m_names(names) {}
    bool open() override {
        m_index = 0;
        return true;
    }
    bool close() override { return true; }
    bool moveNext() override {
        if (m_index + 1 >= kLabels) return false;
        ++m_index;
        return true;
    }
    bool movePrevious() override {
        if (m_index == 0) return false;
        --m_index;
        return true;
    }
    bool moveFirst() override {
        m_index = 0;
        return true;
    }
    bool moveLast() override {
        m_index = kLabels - 1;
        return true;
    }
    qint64 at() const override { return m_index; }
    qint64 recordCount() const override { return kLabels; }
    int fieldNumber(const QString& field) const override { return field == QLatin1String("Label") ? 0 : -1; }
    QStringList fieldNames() const override { return {QStringLiteral("Label")}; }
    QVariant value(int pos) const override { return pos == 0 ? QVariant(labelOf(m_names, m_index)) : QVariant(); }
    QVariant value(const QString& field) const override { return value(fieldNumber(field)); }
    QStringList dataSourceNames() const override { return {QStringLiteral("labels")}; }

private:
    QStringList m_names;
    int m_index = 0;
};

QString labelDefinition() {
    return QStringLiteral(
        "<!DOCTYPE kexireport><kexireport>"
        "<report:content xmlns:report=\"http://kexi-project.org/report/2.0\""
        " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
        " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\">"
        "<report:title>Labels</report:title>"
        "<report:grid report:grid-divisions=\"4\" report:grid-snap=\"1\" report:page-unit=\"mm\" report:grid-visible=\"1\"/>"
        "<report:page-style report:print-orientation=\"portrait\" fo:margin-top=\"6.35mm\" fo:margin-bottom=\"6.35mm\""
        " fo:margin-left=\"6.35mm\" fo:margin-right=\"6.35mm\" report:page-size=\"Letter\">predefined</report:page-style>"
        "<report:body><report:detail>"
        "<report:section svg:height=\"25.4mm\" fo:background-color=\"#ffffff\" report:section-type=\"detail\">"
        "<report:barcode report:name=\"code\" report:item-data-source=\"Label\" report:barcode-format=\"128\""
        " report:horizontal-align=\"left\" report:barcode-max-length=\"21\" svg:x=\"10mm\" svg:y=\"4mm\""
        " svg:width=\"100mm\" svg:height=\"13mm\" report:z-index=\"0\"/>"
        "</report:section></report:detail></report:body></report:content></kexireport>");
}

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

void BM_Cold_KReportBarCodeLabelsPdf(benchmark::State& state) {
    const QStringList names = catalogueNames();
    QDomDocument definition;
    if (!definition.setContent(labelDefinition())) {
        state.SkipWithError("the report definition does not parse");
        return;
    }
    const QDomElement content = definition.documentElement().firstChildElement(QStringLiteral("report:content"));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
    int pages = 0;
    long primitives = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Job job;
        job.renderer = std::make_unique<KReportPreRenderer>(content);
        if (!job.renderer->isValid()) {
            state.SkipWithError("KReport does not accept the report definition");
            return;
        }
        job.renderer->setDataSource(new LabelSource(names));
        QFile::remove(pdf);
        job.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        job.printer->setOutputFormat(QPrinter::PdfFormat);
        job.printer->setOutputFileName(pdf);
        job.printer->setPageSize(QPageSize(QPageSize::Letter));
        job.printer->setFullPage(true);
        state.ResumeTiming();
        const bool made = generate(job);
        state.PauseTiming();
        ORODocument* document = job.renderer->document();
        pages = document ? document->pageCount() : 0;
        primitives = 0;
        for (int i = 0; i < pages; ++i) primitives += document->page(i)->primitiveCount();
        if (!made) {
            state.SkipWithError("KReport did not make the labels");
            return;
        }
        job = {};
        state.ResumeTiming();
    }
    state.counters["labels"] = kLabels;
    state.counters["pages"] = pages;
    state.counters["primitives"] = double(primitives);
    state.counters["pages_per_second"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = double(peakKilobytes()) / 1024.0;
    state.counters["pdf_MB"] = double(QFileInfo(pdf).size()) / 1e6;
    // The same question as the other side: the first page's symbols are the first labels.
    const QStringList read = firstPageSymbols(pdf);
    QStringList expected;
    for (int i = 0; i < read.size(); ++i) expected << labelOf(names, i);
    expected.sort();
    if (!read.isEmpty() && read != expected) state.SkipWithError("the first page's barcodes are not the first labels");
    state.counters["first_page_symbols_read"] = double(read.size());
}
BENCHMARK(BM_Cold_KReportBarCodeLabelsPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

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
    for (const char* cold : {"BM_Cold_KReportListReportPages", "BM_Cold_KReportGroupedReportPages", "BM_Cold_KReportListReportPdf",
                             "BM_Cold_KReportBarCodeLabelsPdf"}) {
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<std::string> args = coldFirst(argc, argv);
    std::vector<char*> argp;
    for (std::string& a : args) argp.push_back(a.data());
    int count = int(argp.size());
    benchmark::Initialize(&count, argp.data());
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
