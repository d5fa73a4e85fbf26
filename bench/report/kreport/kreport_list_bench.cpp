// The list report of bench/report/report_pages_bench.cpp made by KReport: the same 100,000
// records of five text fields from the Debian package catalogue on this machine, the same
// Letter page with quarter-inch margins, a 10 mm page header, a 7.1 mm detail of five 39 mm
// fields 40 mm apart and an 8 mm page footer (35 records a page, 2,858 pages).
//
// The records come through KReport's data source interface over an in-memory list, as the
// report engine's side reads an in-memory pipeline. The timed part is the pre-renderer
// making every page into its page objects (ORODocument / OROPage primitives); nothing is
// drawn to a device or written to a file, as the other side makes draw commands only.
// Parsing the report definition and freeing the pages are outside the timed part. The peak
// resident memory of the process is reported the same way (getrusage ru_maxrss).

#include <KReportDataSource>
#include <KReportPreRenderer>
#include <KReportRenderObjects>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDomDocument>
#include <QFile>
#include <QStringList>

#include <sys/resource.h>

#include <algorithm>
#include <vector>

namespace {

class ListSource : public KReportDataSource {
public:
    explicit ListSource(const QStringList& words) : m_words(words) {}
    bool open() override { m_index = 0; return true; }
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
    bool moveFirst() override { m_index = 0; return true; }
    bool moveLast() override { m_index = kRows - 1; return true; }
    qint64 at() const override { return m_index; }
    qint64 recordCount() const override { return kRows; }
    int fieldNumber(const QString& field) const override {
        return field.startsWith(QLatin1String("Field")) ? field.back().digitValue() : -1;
    }
    QStringList fieldNames() const override {
        return {QStringLiteral("Field0"), QStringLiteral("Field1"), QStringLiteral("Field2"), QStringLiteral("Field3"),
                QStringLiteral("Field4")};
    }
    QVariant value(int pos) const override {
        if (pos < 0 || pos > 4) return {};
        return m_words.at((m_index * 5 + pos * 7919) % m_words.size());
    }
    QVariant value(const QString& field) const override { return value(fieldNumber(field)); }
    QStringList dataSourceNames() const override { return {QStringLiteral("packages")}; }

    static constexpr int kRows = 100000;

private:
    QStringList m_words;
    int m_index = 0;
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

/// Whether the document holds every record's five texts in record order (the page labels
/// aside), as the other side's pages do.
bool holdsEveryRecord(const ORODocument& document, const QStringList& words) {
    const auto isLabel = [](const QString& t) { return t == QLatin1String("Packages") || t == QLatin1String("Dossara"); };
    ListSource expected(words);
    expected.open();
    int field = 0;
    bool more = true;
    const auto nextExpected = [&]() -> QString {
        while (more) {
            const QString t = expected.value(field).toString();
            if (++field == 5) {
                field = 0;
                more = expected.moveNext();
            }
            if (!isLabel(t)) return t;
        }
        return {};
    };
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
            if (!more) return false;
            if (box->text() != nextExpected()) return false;
        }
    }
    return !more;
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

/// The report definition in KReport's own XML form, as its designer saves it.
QString listReportDefinition() {
    QString fields;
    for (int i = 0; i < 5; ++i)
        fields += textItem("field", QStringLiteral("field%1").arg(i), QStringLiteral("report:item-data-source=\"Field%1\"").arg(i),
                           i * 40.0, 0.5, 39.0, 5.0);
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
               "<report:detail><report:section svg:height=\"7.1mm\" fo:background-color=\"#ffffff\" report:section-type=\"detail\">%3"
               "</report:section></report:detail>"
               "</report:body></report:content></kexireport>")
        .arg(textItem("label", QStringLiteral("heading"), QStringLiteral("report:caption=\"Packages\""), 0, 0.5, 39, 5),
             textItem("label", QStringLiteral("foot"), QStringLiteral("report:caption=\"Dossara\""), 0, 0.5, 39, 5), fields);
}

void BM_KReportListReportPages(benchmark::State& state) {
    const QStringList words = catalogueWords();
    QDomDocument definition;
    if (!definition.setContent(listReportDefinition())) {
        state.SkipWithError("the report definition does not parse");
        return;
    }
    const QDomElement content = definition.documentElement().firstChildElement(QStringLiteral("report:content"));
    int pages = 0;
    long primitives = 0;
    bool checked = false;
    for (auto _ : state) {
        state.PauseTiming();
        auto* renderer = new KReportPreRenderer(content);
        if (!renderer->isValid()) {
            delete renderer;
            state.SkipWithError("KReport does not accept the report definition");
            return;
        }
        renderer->setDataSource(new ListSource(words));
        state.ResumeTiming();
        if (!renderer->generateDocument()) {
            state.SkipWithError("KReport did not generate the document");
            delete renderer;
            return;
        }
        state.PauseTiming();
        ORODocument* document = renderer->document();
        pages = document ? document->pageCount() : 0;
        primitives = 0;
        for (int i = 0; i < pages; ++i) primitives += document->page(i)->primitiveCount();
        if (!checked) {
            if (!document || !holdsEveryRecord(*document, words)) {
                state.SkipWithError("the pages do not hold every record in order");
                delete renderer;
                return;
            }
            checked = true;
        }
        delete renderer;
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["primitives"] = double(primitives);
    state.counters["pages_per_second"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = double(peakKilobytes()) / 1024.0;
}
BENCHMARK(BM_KReportListReportPages)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
