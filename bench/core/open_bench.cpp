// Opening a database of 100,000 branches over three Views: the main data module connects
// (settings table, Hierarchy.DB with its word table and NextNodeID) and the View
// definitions load (with a table opened per View), beside the same reads done through the
// SQLite C API on the same files. The program ends with the ratio layer / sqlite of each
// case and the peak resident memory of the benchmark process.
//
// The database is generated once into <build>/bench-data/core-100k by a child process (so
// its memory does not count): the sample database's three Views filled with the machine's
// Debian documentation, every paragraph once (bench_database.h). Word indexes are built for
// the hierarchy and every View.

#include "bench/core/bench_database.h"

#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/view_control.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/base/day_time.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

using benchdata::databaseFolder;
using benchdata::ensureDatabase;

double peakRssMiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

/// The module opened on the database and the View definitions loaded, with one open table per View.
struct OpenDatabase {
    TViewControl views;
    TMainDataMod module{nullptr, &views};
    std::vector<std::unique_ptr<TtsTable>> tables;

    void Open(const QString& folder) {
        module.ConnectDatabase(folder);
        views.CreateViewComponents = [this, folder](int v) {
            auto t = std::make_unique<TtsTable>();
            t->SetDatabaseName(folder);
            t->SetTableName(core::ViewTableFile(views.ViewDefs[size_t(v)].DataTableName));
            t->SetIndexFieldNames(QStringLiteral("NodeID"));
            t->Open();
            views.ViewDefs[size_t(v)].DataTable = t.get();
            tables.push_back(std::move(t));
        };
        if (!views.LoadViewDefinitions()) throw std::runtime_error("View definitions did not load");
    }
};

void BM_OpenAndLoadViews_Layer(benchmark::State& state) {
    const QString folder = databaseFolder();
    int views = 0;
    for (auto _ : state) {
        auto db = std::make_unique<OpenDatabase>();
        const auto start = std::chrono::steady_clock::now();
        db->Open(folder);
        const auto end = std::chrono::steady_clock::now();
        views = db->views.GetViewCount();
        benchmark::DoNotOptimize(db->views.NextNodeID);
        db.reset();  // closing is not timed
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["views"] = views;
}

struct SqliteFile {
    sqlite3* db = nullptr;
    explicit SqliteFile(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~SqliteFile() { sqlite3_close(db); }
};

/// The same reads with the SQLite C API: open the settings, hierarchy and word tables, the
/// highest NodeID, every "Views" row of the settings table, and each View table's first row.
void BM_OpenAndLoadViews_Sqlite(benchmark::State& state) {
    const QDir folder(databaseFolder());
    const QStringList viewTables{QStringLiteral("Sections.DB"), QStringLiteral("Sources.DB"), QStringLiteral("Packages.DB")};
    for (auto _ : state) {
        std::vector<std::unique_ptr<SqliteFile>> files;
        const auto start = std::chrono::steady_clock::now();
        auto open = [&](const QString& name) {
            files.push_back(std::make_unique<SqliteFile>(folder.filePath(name)));
            return files.back()->db;
        };
        sqlite3* registry = open(core::kSettingsTableName);
        open(core::kHierarchyDictTable);
        sqlite3* hierarchy = open(core::kHierarchyTable);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(hierarchy, "SELECT max(NodeID) FROM \"Hierarchy.DB\"", -1, &s, nullptr);
        sqlite3_step(s);
        benchmark::DoNotOptimize(sqlite3_column_int(s, 0));
        sqlite3_finalize(s);
        std::vector<std::string> rows;
        sqlite3_prepare_v2(registry,
                           "SELECT Key1, Key2, Variable, Value, CRC FROM \"Registry.DB\" WHERE Section = 'Views' "
                           "ORDER BY Section, Key1, Key2, Variable",
                           -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < 4; ++c) {
                const unsigned char* t = sqlite3_column_text(s, c);
                row += t ? reinterpret_cast<const char*>(t) : "";
                row += '|';
            }
            row += std::to_string(sqlite3_column_int(s, 4));
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(s);
        for (const QString& name : viewTables) {
            sqlite3* v = open(name);
            const QByteArray sql = QStringLiteral("SELECT * FROM \"%1\" ORDER BY NodeID LIMIT 1").arg(name).toUtf8();
            sqlite3_prepare_v2(v, sql.constData(), -1, &s, nullptr);
            sqlite3_step(s);
            sqlite3_finalize(s);
        }
        const auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(rows.data());
        files.clear();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

/// Loading the View definitions alone, the settings table already open.
void BM_LoadViewDefinitions_Layer(benchmark::State& state) {
    OpenDatabase db;
    db.module.ConnectDatabase(databaseFolder());
    int fields = 0;
    for (auto _ : state) {
        TViewControl views;
        if (!views.LoadViewDefinitions()) state.SkipWithError("load failed");
        fields = 0;
        for (const TViewDef& v : views.ViewDefs) fields += int(v.FieldDefs.size());
    }
    state.counters["fields"] = fields;
}

void BM_LoadViewDefinitions_Sqlite(benchmark::State& state) {
    SqliteFile registry(QDir(databaseFolder()).filePath(core::kSettingsTableName));
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        std::vector<std::string> rows;
        sqlite3_prepare_v2(registry.db,
                           "SELECT Key1, Key2, Variable, Value, CRC FROM \"Registry.DB\" WHERE Section = 'Views' "
                           "ORDER BY Section, Key1, Key2, Variable",
                           -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(s, 3);
            rows.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
        }
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(rows.data());
    }
}

BENCHMARK(BM_OpenAndLoadViews_Layer)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndLoadViews_Sqlite)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadViewDefinitions_Layer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadViewDefinitions_Sqlite)->Unit(benchmark::kMillisecond);

/// Prints the runs as usual, then layer / sqlite of each case and the peak memory.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) m_times[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nlayer / sqlite (real time):\n");
        for (const auto& [name, time] : m_times) {
            const auto at = name.find("_Layer");
            if (at == std::string::npos) continue;
            std::string base = name;
            base.replace(at, 6, "_Sqlite");
            const auto it = m_times.find(base);
            if (it == m_times.end() || it->second <= 0) continue;
            std::printf("  %-28s %7.2f\n", name.substr(3, at - 3).c_str(), time / it->second);
        }
        std::printf("peak resident memory of the benchmark process: %.1f MiB\n", peakRssMiB());
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    if (!ensureDatabase()) {
        std::fprintf(stderr, "the benchmark database could not be generated\n");
        return 1;
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
