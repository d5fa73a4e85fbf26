#pragma once

// Timing helpers shared by the benchmarks that run sets of queries beside another engine:
// a query's time is the median of a few runs, a set's figures are percentiles of those.

#include <QElapsedTimer>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace benchtiming {

/// The median of `runs` runs of `run`, in milliseconds.
inline double MedianMs(int runs, const std::function<void()>& run) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer c;
        c.start();
        run();
        t.push_back(double(c.nsecsElapsed()) / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

/// The value below which `share` of the values lie (nearest rank).
inline double Percentile(std::vector<double> v, double share) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t rank = std::size_t(std::ceil(share * double(v.size())));
    return v[std::min(v.size() - 1, rank > 0 ? rank - 1 : 0)];
}

/// Counters `<name>_med_ms` and `<name>_p95_ms` of `times`, and `<ratio>_med` and
/// `<ratio>_p95` of them over `baseline`'s (none when there is no baseline).
inline void SetTimeCounters(benchmark::State& state, const QString& name, const std::vector<double>& times,
                            const QString& ratio = {}, const std::vector<double>& baseline = {}) {
    const double t50 = Percentile(times, 0.5), t95 = Percentile(times, 0.95);
    state.counters[(name + QStringLiteral("_med_ms")).toStdString()] = t50;
    state.counters[(name + QStringLiteral("_p95_ms")).toStdString()] = t95;
    if (ratio.isEmpty() || baseline.empty()) return;
    const double b50 = Percentile(baseline, 0.5), b95 = Percentile(baseline, 0.95);
    state.counters[(ratio + QStringLiteral("_med")).toStdString()] = b50 > 0 ? t50 / b50 : 0;
    state.counters[(ratio + QStringLiteral("_p95")).toStdString()] = b95 > 0 ? t95 / b95 : 0;
}

}  // namespace benchtiming
