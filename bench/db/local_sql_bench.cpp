// The local-SQL translator on texts of growing size: nested keyword functions (TRIM inside
// TRIM's arguments, the shape that made the rewrite quadratic) and a flat select list of as
// many calls. The translation time per byte must stay flat as the text grows (Google
// Benchmark's complexity fit reports the order: it should say O(N)).

#include "platform/db/sql/local_sql.h"

#include <benchmark/benchmark.h>

namespace {

/// TRIM('x' FROM TRIM('x' FROM ... Name ...)) nested `depth` deep.
QString nestedTrim(int depth) {
    QString text = QStringLiteral("SELECT ");
    for (int i = 0; i < depth; ++i) text += QStringLiteral("TRIM('x' FROM ");
    text += QStringLiteral("Name");
    for (int i = 0; i < depth; ++i) text += u')';
    return text + QStringLiteral(" FROM Orders");
}

QString flatTrims(int count) {
    QStringList calls;
    for (int i = 0; i < count; ++i) calls << QStringLiteral("TRIM(LEADING 'x' FROM Name%1)").arg(i);
    return QStringLiteral("SELECT ") + calls.join(QStringLiteral(", ")) + QStringLiteral(" FROM Orders");
}

void run(benchmark::State& state, const QString& text) {
    for (auto _ : state) {
        auto r = db::sql::TranslateLocalSql(text);
        if (!r.ok()) state.SkipWithError("translation failed");
        benchmark::DoNotOptimize(r);
    }
    state.SetComplexityN(text.size());
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}

void BM_NestedTrim(benchmark::State& state) { run(state, nestedTrim(int(state.range(0)))); }
void BM_FlatTrims(benchmark::State& state) { run(state, flatTrims(int(state.range(0)))); }

}  // namespace

// 6,600 levels are about 100 KB of text.
BENCHMARK(BM_NestedTrim)->RangeMultiplier(4)->Range(100, 6600)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlatTrims)->RangeMultiplier(4)->Range(100, 3200)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
