// The cross-tab calculation against SQLite computing the same figures on the same table file.
//
// The Sales table (tests/sales_table.h) has 100,000 rows over the years 1999 to 2002, three
// regions (West, east/East, empty) and N products named after packages of the Debian
// catalogue on this machine (/var/lib/dpkg/status; numbered names fill up when it has fewer).
// Columns are Year and Quarter, rows Region and Product, values Sum of Amount and Average Qty:
// every cell, the year subtotals, the region subtotals, the cells where they meet and the
// grand totals.
//
// - "_CrossTab": TppCrossTabEngine::Calculate over a dataset pipeline on a db::Table cursor
//   (the whole calculation: traversal, groups, layout, captions).
// - "_Sqlite": the best plain SQL for the same figures: one prepared statement per total
//   level (3 row levels x 3 column levels = 9 GROUP BY queries, regions folded with UPPER as
//   the cross-tab folds a to z), every row of every result read, inside one read
//   transaction, with the layer's 256 MB memory-mapped reads.
//
// Both answer the same: before timing, every figure of the matrix is compared with the SQL
// results (the program stops on a difference). The argument is the number of products (10 or
// 1,000); "per_record" is the time per table row.

#include "report/crosstab/crosstab.h"
#include "report/crosstab/crosstab_classes.h"
#include "report/crosstab/crosstab_engine.h"
#include "report/crosstab/tests/sales_table.h"

#include "report/model/db_pipeline.h"
#include "report/model/report_classes.h"
#include "report/page/units.h"

#include "platform/db/data_source.h"
#include "platform/db/table.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

constexpr int kRows = 100000;

/// Package names of the Debian catalogue, distinct, in catalogue order.
QStringList productNames(int count) {
    QStringList out;
    QSet<QString> seen;
    QFile f(QStringLiteral("/var/lib/dpkg/status"));
    if (f.open(QIODevice::ReadOnly)) {
        while (!f.atEnd() && out.size() < count) {
            const QByteArray line = f.readLine();
            if (!line.startsWith("Package: ")) continue;
            const QString name = QString::fromUtf8(line.mid(9)).trimmed();
            if (!seen.contains(name)) {
                seen.insert(name);
                out << name;
            }
        }
    }
    for (int i = 0; out.size() < count; ++i) out << QStringLiteral("package-%1").arg(i);
    return out;
}

/// The table and a cross-tab over it, made once per product count.
struct Fixture {
    explicit Fixture(int products) : sales(kRows, productNames(products)) {
        table.SetDatabaseName(sales.folder());
        table.SetTableName(QStringLiteral("Sales.DB"));
        table.Open();
        source.SetDataSet(&table);
        pipeline = new TppDBPipeline(&form);
        pipeline->SetName(QStringLiteral("plSales"));
        pipeline->SetDataSource(&source);
        crossTab = new TppCrossTab(&form);
        const auto add = [this](TppDimension* d, const char* field) {
            d->SetFieldName(QString::fromLatin1(field));
            d->SetFieldAlias(QString::fromLatin1(field));
            d->SetParent(crossTab);
            return d;
        };
        crossTab->SetDataPipeline(pipeline);
        add(new TppColumnDef(crossTab), "Year");
        add(new TppColumnDef(crossTab), "Quarter");
        add(new TppRowDef(crossTab), "Region");
        add(new TppRowDef(crossTab), "Product");
        static_cast<TppValueDef*>(add(new TppValueDef(crossTab), "Amount"))->SetCalcType(TppDBCalcType::dcSum);
        static_cast<TppValueDef*>(add(new TppValueDef(crossTab), "Qty"))->SetCalcType(TppDBCalcType::dcAverage);
    }
    ~Fixture() { delete crossTab; delete pipeline; }

    crosstabtest::SalesTable sales;
    db::Table table;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = nullptr;
    TppCrossTab* crossTab = nullptr;
};

Fixture& fixture(int products) {
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& f = fixtures[products];
    if (!f) f = std::make_unique<Fixture>(products);
    return *f;
}

const char* const kLevels[] = {
    "UPPER(Region), Product, Year, Quarter", "UPPER(Region), Product, Year", "UPPER(Region), Product",
    "UPPER(Region), Year, Quarter",          "UPPER(Region), Year",          "UPPER(Region)",
    "Year, Quarter",                         "Year",                         nullptr};

/// The SQL side: one statement per total level, prepared once.
struct SqlSide {
    explicit SqlSide(const QString& file) {
        sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
        for (const char* keys : kLevels) {
            QByteArray q = "SELECT SUM(Amount), AVG(Qty)";
            if (keys) q += QByteArray(", ") + keys;
            q += " FROM \"Sales.DB\" WHERE Region IS NOT NULL";
            if (keys) q += QByteArray(" GROUP BY ") + keys;
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, q.constData(), -1, &st, nullptr) != SQLITE_OK) {
                std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
                std::exit(1);
            }
            statements.push_back(st);
        }
    }
    ~SqlSide() {
        for (sqlite3_stmt* st : statements) sqlite3_finalize(st);
        sqlite3_close(db);
    }
    /// Runs every level; calls `row` with the level and each result row.
    template <class F>
    void run(F&& row) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (size_t level = 0; level < statements.size(); ++level) {
            sqlite3_stmt* st = statements[level];
            while (sqlite3_step(st) == SQLITE_ROW) row(int(level), st);
            sqlite3_reset(st);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3* db = nullptr;
    std::vector<sqlite3_stmt*> statements;
};

QString text(sqlite3_stmt* st, int c) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
    return t ? QString::fromUtf8(t) : QString();
}

/// Every figure of the matrix against the SQL results; stops the program on a difference.
void checkSameAnswers(Fixture& f) {
    f.crossTab->Engine()->Calculate();
    const TppMatrix& m = *f.crossTab->Matrix();
    std::map<QString, std::pair<double, double>> expected;
    SqlSide sql(f.sales.file());
    sql.run([&](int level, sqlite3_stmt* st) {
        static const char* const tags[9][4] = {{"R", "P", "Y", "Q"}, {"R", "P", "Y"}, {"R", "P"}, {"R", "Y", "Q"},
                                               {"R", "Y"},           {"R"},           {"Y", "Q"}, {"Y"},
                                               {}};
        QStringList key;
        for (int i = 0; i < 4 && tags[level][i]; ++i)
            key << QStringLiteral("%1=%2").arg(QLatin1String(tags[level][i]), text(st, 2 + i));
        expected[key.join(u'|')] = {sqlite3_column_double(st, 0), sqlite3_column_double(st, 1)};
    });
    size_t found = 0;
    for (int c = m.HeaderColumnCount; c < m.ColumnCount(); ++c) {
        const int level = m.IsTotalColumn(c) ? m.Level(c, 2) : 2;
        for (int r = m.HeaderRowCount; r < m.RowCount(); ++r) {
            if (m.IsEmpty(c, r)) continue;
            QStringList key;
            int v = 0;
            if (m.IsTotalRow(r)) {
                v = m.ValueIndex(2, r);
                if (m.Level(0, r) == 0) key << QStringLiteral("R=") + m.Value(0, r).toString().toUpper();
            } else {
                key << QStringLiteral("R=") + m.Value(0, r).toString().toUpper() << QStringLiteral("P=") + m.Value(1, r).toString();
                v = m.Value(2, r).toString() == f.crossTab->ValueDefs(0)->GetName() ? 0 : 1;
            }
            if (level != -1) key << QStringLiteral("Y=") + m.Value(c, 1).toString();
            if (level == 2) key << QStringLiteral("Q=") + m.Value(c, 2).toString();
            auto it = expected.find(key.join(u'|'));
            const double got = double(crosstab::ToFloat(m.Value(c, r)));
            const double want = it == expected.end() ? std::nan("") : (v == 0 ? it->second.first : it->second.second);
            if (it == expected.end() || std::fabs(got - want) > 1e-6 * std::max(1.0, std::fabs(want))) {
                std::fprintf(stderr, "different answers at %s: %f against %f\n", qPrintable(key.join(u'|')), got, want);
                std::exit(1);
            }
            ++found;
        }
    }
    // Every SQL group appears in the matrix once per value definition.
    if (found != 2 * expected.size()) {
        std::fprintf(stderr, "the matrix holds %zu figures, SQL %zu groups\n", found, expected.size());
        std::exit(1);
    }
}

void BM_CrossTab(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    static QSet<int> checked;
    if (!checked.contains(int(state.range(0)))) {
        checkSameAnswers(f);
        checked.insert(int(state.range(0)));
    }
    for (auto _ : state) {
        f.crossTab->Engine()->Calculate();
        benchmark::DoNotOptimize(f.crossTab->Matrix());
    }
    state.counters["per_record"] = benchmark::Counter(double(kRows), benchmark::Counter::kIsIterationInvariantRate |
                                                                         benchmark::Counter::kInvert);
}

void BM_Sqlite(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    SqlSide sql(f.sales.file());
    for (auto _ : state) {
        double total = 0;
        sql.run([&](int, sqlite3_stmt* st) { total += sqlite3_column_double(st, 0); });
        benchmark::DoNotOptimize(total);
    }
    state.counters["per_record"] = benchmark::Counter(double(kRows), benchmark::Counter::kIsIterationInvariantRate |
                                                                         benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_CrossTab)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sqlite)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    report::SetScreenPixelsPerInch(96);
    report::RegisterReportClasses();
    report::RegisterCrossTabClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
