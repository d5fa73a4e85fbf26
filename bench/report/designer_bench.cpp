// The report designer on a large report: 2,000 labels (captions from Debian's package list
// kept with the report model's test data) in 10 bands, 200 a band in 20 rows of 10.
//
// - BM_DesignerOpen: the designer window shows the report until it is painted (the
//   window grabbed into a picture).
// - BM_DesignerRubberBandAndMove: a rubber band over the whole workspace selects every
//   label, then one selected label is dragged 8 pixels to the right (every label moves),
//   and the window is painted again.
//
// The same steps with KReport's designer are in bench/report/kreport/kreport_designer_bench.cpp
// (run beside this one by scripts/run-benchmarks.sh). Building the report and the reverse of
// each step (closing the window, putting the labels back) are outside the timed part.

#include "report/designer/gui/designer_window.h"
#include "report/model/band_classes.h"
#include "report/model/group.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/text_components.h"
#include "report/page/units.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QStringList>

#include <memory>

namespace {

QStringList packageNames() {
    QFile f(QStringLiteral(MODEL_TEST_DATA_DIR "/packages.tsv"));
    QStringList names;
    if (!f.open(QIODevice::ReadOnly)) return names;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty()) names << QString::fromUtf8(line).section(QLatin1Char('\t'), 1, 1);
    return names;
}

struct BigReport {
    TComponent form;
    TppReport* report = new TppReport(&form);
    QList<TppBand*> bands;
    QList<TppLabel*> labels;

    BigReport() {
        report->SetName(QStringLiteral("rptBig"));
        auto add = [&](TppBand* b) {
            b->SetReport(report);
            bands << b;
        };
        add(new TppTitleBand(&form));
        add(new TppHeaderBand(&form));
        for (int g = 0; g < 3; ++g) {
            auto* group = new TppGroup(&form);
            group->SetReport(report);
            group->SetBreakName(QStringLiteral("Section%1").arg(g));
            bands << group->HeaderBand() << group->FooterBand();
        }
        add(new TppDetailBand(&form));
        add(new TppSummaryBand(&form));
        const QStringList names = packageNames();
        int n = 0;
        for (TppBand* band : bands) {
            band->SetmmHeight(101600);  // 4 inches: 20 rows of 5 mm
            for (int i = 0; i < 200; ++i, ++n) {
                auto* l = new TppLabel(&form);
                l->SetName(QStringLiteral("ppLabel%1").arg(n + 1));
                l->SetBand(band);
                l->SetAutoSize(false);
                l->SetmmBounds((i % 10) * 19000, (i / 10) * 5000, 4000, 18000);
                l->SetCaption(names.isEmpty() ? QString::number(n) : names.at(n % names.size()));
                labels << l;
            }
        }
    }
};

void press(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

void BM_DesignerOpen(benchmark::State& state) {
    BigReport big;
    for (auto _ : state) {
        TppDesignerWindow w;
        w.resize(1000, 760);
        w.SetReport(big.report);
        w.show();
        QImage picture = w.grab().toImage();
        benchmark::DoNotOptimize(picture);
        state.PauseTiming();
        w.SetReport(nullptr);
        state.ResumeTiming();
    }
    state.counters["components"] = big.labels.size();
}

void BM_DesignerRubberBandAndMove(benchmark::State& state) {
    BigReport big;
    TppDesignerWindow w;
    w.resize(1000, 760);
    w.SetReport(big.report);
    w.show();
    QApplication::processEvents();
    QWidget* ws = w.Workspace();
    int selected = 0;
    for (auto _ : state) {
        // The rubber band from the empty top right corner to the bottom left.
        const QPoint from(ws->width() - 2, 1), to(1, ws->height() - 2);
        press(ws, QEvent::MouseButtonPress, from, Qt::LeftButton);
        press(ws, QEvent::MouseMove, to, Qt::LeftButton);
        press(ws, QEvent::MouseButtonRelease, to, Qt::NoButton);
        selected = int(w.Selection().size());
        // Drag one selected label 8 pixels to the right.
        QWidget* control = qobject_cast<QWidget*>(big.labels.first()->DesignControl());
        const QPoint grip(5, 5);
        press(control, QEvent::MouseButtonPress, grip, Qt::LeftButton);
        press(control, QEvent::MouseMove, grip + QPoint(8, 0), Qt::LeftButton);
        press(control, QEvent::MouseButtonRelease, grip + QPoint(8, 0), Qt::NoButton);
        QImage picture = w.grab().toImage();
        benchmark::DoNotOptimize(picture);
        state.PauseTiming();
        if (big.labels.first()->spLeft() != 8) state.SkipWithError("the labels did not move 8 pixels");
        w.ClearSelection(true);
        for (TppLabel* l : big.labels) l->SetspLeft(l->spLeft() - 8);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    w.SetReport(nullptr);
    state.counters["selected"] = selected;
}

BENCHMARK(BM_DesignerOpen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DesignerRubberBandAndMove)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    report::SetScreenPixelsPerInch(96);
    report::RegisterReportClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
