// The steps of bench/report/designer_bench.cpp with KReport's designer: 2,000 labels (the
// same captions from Debian's package list) in 10 sections, 200 a section in 20 rows of 10.
//
// - BM_KReportDesignerOpen: KReportDesigner made from the definition, shown, and painted (the
//   window grabbed into a picture).
// - BM_KReportDesignerRubberBandAndMove: KReport keeps one graphics scene per section, so the
//   rubber band is drawn in each section's view with the mouse (press in an empty corner,
//   move, release); when the view does not rubber-band with the mouse, the scene's selection
//   area is set to the same rectangle (what a rubber band does). Then one selected label of
//   each section is dragged 8 pixels to the right (the scene moves every selected item) and
//   the window is painted again.
//
// Parsing the definition and putting the labels back are outside the timed part.

#include <KReportDesigner>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDomDocument>
#include <QFile>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QStringList>

namespace {

QStringList packageNames() {
    QFile f(QStringLiteral(MODEL_TEST_DATA_DIR "/packages.tsv"));
    QStringList names;
    if (!f.open(QIODevice::ReadOnly)) return names;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty()) names << QString::fromUtf8(line).section(QLatin1Char('\t'), 1, 1);
    return names;
}

QString label(int n, const QString& caption, double x, double y) {
    QString escaped = caption.toHtmlEscaped();
    return QStringLiteral(
               "<report:label report:name=\"label%1\" report:caption=\"%2\" svg:x=\"%3mm\" svg:y=\"%4mm\""
               " svg:width=\"18mm\" svg:height=\"4mm\" report:z-index=\"0\" report:horizontal-align=\"left\""
               " report:vertical-align=\"top\">"
               "<report:text-style fo:font-family=\"Arial\" fo:font-size=\"10\" fo:font-weight=\"normal\""
               " fo:foreground-color=\"#000000\" fo:background-color=\"#ffffff\" fo:background-opacity=\"0%\"/>"
               "<report:line-style report:line-color=\"#000000\" report:line-weight=\"0\" report:line-style=\"nopen\"/>"
               "</report:label>")
        .arg(n)
        .arg(escaped)
        .arg(x)
        .arg(y);
}

QDomElement definition(QDomDocument& doc) {
    const QStringList names = packageNames();
    const char* types[] = {"header-report", "header-page-first", "header-page-odd", "header-page-even",
                           "header-page-any", "footer-page-first", "footer-page-odd", "footer-page-even",
                           "footer-page-any"};
    int n = 0;
    auto items = [&] {
        QString s;
        for (int i = 0; i < 200; ++i, ++n)
            s += label(n + 1, names.isEmpty() ? QString::number(n) : names.at(n % names.size()), (i % 10) * 19.0,
                       (i / 10) * 5.0);
        return s;
    };
    QString sections;
    for (const char* type : types)
        sections += QStringLiteral("<report:section svg:height=\"101.6mm\" fo:background-color=\"#ffffff\""
                                   " report:section-type=\"%1\">%2</report:section>")
                        .arg(QLatin1String(type), items());
    const QString detail = QStringLiteral("<report:detail><report:section svg:height=\"101.6mm\" fo:background-color="
                                          "\"#ffffff\" report:section-type=\"detail\">%1</report:section></report:detail>")
                               .arg(items());
    const QString xml = QStringLiteral(
                            "<!DOCTYPE kexireport><kexireport>"
                            "<report:content xmlns:report=\"http://kexi-project.org/report/2.0\""
                            " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
                            " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\">"
                            "<report:title>Big</report:title>"
                            "<report:grid report:grid-divisions=\"4\" report:grid-snap=\"0\" report:page-unit=\"mm\""
                            " report:grid-visible=\"1\"/>"
                            "<report:page-style report:print-orientation=\"portrait\" fo:margin-top=\"6.35mm\""
                            " fo:margin-bottom=\"6.35mm\" fo:margin-left=\"6.35mm\" fo:margin-right=\"6.35mm\""
                            " report:page-size=\"Letter\">predefined</report:page-style>"
                            "<report:body>%1%2</report:body></report:content></kexireport>")
                            .arg(sections, detail);
    doc.setContent(xml);
    return doc.documentElement().firstChildElement(QStringLiteral("report:content"));
}

void send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

int labelCount(KReportDesigner& d) {
    int n = 0;
    for (QGraphicsView* v : d.findChildren<QGraphicsView*>())
        for (QGraphicsItem* item : v->scene()->items())
            if (item->flags() & QGraphicsItem::ItemIsSelectable) ++n;
    return n;
}

void BM_KReportDesignerOpen(benchmark::State& state) {
    QDomDocument doc;
    const QDomElement content = definition(doc);
    int labels = 0;
    for (auto _ : state) {
        KReportDesigner d(nullptr, content);
        d.resize(1000, 760);
        d.show();
        QImage picture = d.grab().toImage();
        benchmark::DoNotOptimize(picture);
        state.PauseTiming();
        labels = labelCount(d);
        state.ResumeTiming();
    }
    state.counters["components"] = labels;
}

void BM_KReportDesignerRubberBandAndMove(benchmark::State& state) {
    QDomDocument doc;
    const QDomElement content = definition(doc);
    KReportDesigner d(nullptr, content);
    d.resize(1000, 760);
    d.show();
    QApplication::processEvents();
    const QList<QGraphicsView*> views = d.findChildren<QGraphicsView*>();
    int selected = 0, byMouse = 0;
    for (auto _ : state) {
        selected = 0;
        byMouse = 0;
        for (QGraphicsView* v : views) {
            QWidget* port = v->viewport();
            const QRectF sceneRect = v->scene()->itemsBoundingRect().adjusted(-2, -2, 2, 2);
            const QPoint from = v->mapFromScene(sceneRect.topRight()), to = v->mapFromScene(sceneRect.bottomLeft());
            send(port, QEvent::MouseButtonPress, from, Qt::LeftButton);
            send(port, QEvent::MouseMove, to, Qt::LeftButton);
            send(port, QEvent::MouseButtonRelease, to, Qt::NoButton);
            if (v->scene()->selectedItems().isEmpty()) {
                QPainterPath area;
                area.addRect(sceneRect);
                v->scene()->setSelectionArea(area);
            } else {
                ++byMouse;
            }
            const QList<QGraphicsItem*> items = v->scene()->selectedItems();
            selected += items.size();
            if (items.isEmpty()) continue;
            const QPoint grip = v->mapFromScene(items.first()->sceneBoundingRect().center());
            send(port, QEvent::MouseButtonPress, grip, Qt::LeftButton);
            send(port, QEvent::MouseMove, grip + QPoint(8, 0), Qt::LeftButton);
            send(port, QEvent::MouseButtonRelease, grip + QPoint(8, 0), Qt::NoButton);
        }
        QImage picture = d.grab().toImage();
        benchmark::DoNotOptimize(picture);
        state.PauseTiming();
        for (QGraphicsView* v : views) {
            for (QGraphicsItem* item : v->scene()->selectedItems()) item->moveBy(-8, 0);
            v->scene()->clearSelection();
        }
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["selected"] = selected;
    state.counters["sections_banded_by_mouse"] = byMouse;
}

BENCHMARK(BM_KReportDesignerOpen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_KReportDesignerRubberBandAndMove)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
