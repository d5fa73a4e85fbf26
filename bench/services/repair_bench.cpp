// The table check of the "Check and Repair" wizard's Step 3 on the 100,000-branch benchmark
// database, beside SQLite's own integrity check of the same files in the same run:
//
//   ours:     services::CheckDatabaseTables on the folder: every "*.db" file verified
//             (stored definition, rows, indexes) and opened under each of its indexes, with
//             the repair log written for damaged tables (none here);
//   baseline: for each table file, sqlite3_open_v2 read-only, "PRAGMA integrity_check" run
//             to its last row, close: the check a skilled SQLite user makes of a file.
//
// Both read the same files from the page cache (an untimed pass reads them first) and must
// agree that every table is sound before anything is timed. Wall time, single-threaded.
//
// The database is the core benchmarks' (bench/core/bench_database.h), generated once into
// <build>/bench-data/core-<n>.

#include "bench/core/bench_database.h"

#include "services/repair_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

namespace {

QStringList tableFiles() {
    return QDir(benchdata::databaseFolder())
        .entryList({QStringLiteral("*.db")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

/// The baseline: PRAGMA integrity_check on each file; answers how many files it found sound.
int integrityCheckAll() {
    int sound = 0;
    for (const QString& name : tableFiles()) {
        const QByteArray path = QDir(benchdata::databaseFolder()).filePath(name).toUtf8();
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK) {
                bool ok = true;
                int rows = 0;
                while (sqlite3_step(stmt) == SQLITE_ROW) {
                    ++rows;
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
                    ok = ok && text && QByteArray(text) == "ok";
                }
                if (ok && rows == 1) ++sound;
            }
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
    }
    return sound;
}

/// Ours: Step 3's check; answers how many tables it found sound.
int checkAll(const QString& logFolder) {
    services::TRepairLog log(logFolder);
    int counter = 0;
    int sound = 0;
    for (const services::TTableCheck& c : services::CheckDatabaseTables(benchdata::databaseFolder(), log, counter))
        sound += c.Sound ? 1 : 0;
    return sound;
}

QTemporaryDir& logFolder() {
    static QTemporaryDir dir;
    return dir;
}

bool prepare() {
    static const bool ok = [] {
        if (!benchdata::ensureDatabase(benchdata::benchBranches())) return false;
        const int files = int(tableFiles().size());
        const int theirs = integrityCheckAll();
        const int ours = checkAll(logFolder().path());
        std::fprintf(stderr, "%s: %d table files; sound by PRAGMA integrity_check %d, by Step 3 %d\n",
                     qPrintable(benchdata::databaseFolder()), files, theirs, ours);
        return files > 0 && theirs == files && ours == files;
    }();
    return ok;
}

void BM_Step3_CheckDatabaseTables(benchmark::State& state) {
    if (!prepare()) return state.SkipWithError("the benchmark database could not be prepared, or the checks disagree");
    for (auto _ : state) benchmark::DoNotOptimize(checkAll(logFolder().path()));
}
BENCHMARK(BM_Step3_CheckDatabaseTables)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_Step3_SqliteIntegrityCheck(benchmark::State& state) {
    if (!prepare()) return state.SkipWithError("the benchmark database could not be prepared, or the checks disagree");
    for (auto _ : state) benchmark::DoNotOptimize(integrityCheckAll());
}
BENCHMARK(BM_Step3_SqliteIntegrityCheck)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
