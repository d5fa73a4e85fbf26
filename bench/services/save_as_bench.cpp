// "Save database as" of the 100,000-branch benchmark database, beside a plain copy of the
// closed folder and SQLite's online backup of each file, in the same run:
//
//   ours:     services::CopyDatabaseFolder: each table file one snapshot through the table
//             layer (SQLite's online backup in one step, written beside the target and
//             renamed into place), journals left out;
//   plain:    std::filesystem::copy_file of every file of the closed folder, each copy then
//             flushed to the disk with fsync (the same durability as ours: SQLite syncs the
//             copy it commits);
//   backup:   for each file, sqlite3_open_v2 of source (read-only) and target, one
//             sqlite3_backup_step(-1), sqlite3_backup_finish, close (SQLite's defaults, which
//             sync the target on commit).
//
// Every side starts from an empty target folder (emptied outside the timing); the copies are
// checked once to hold the same rows as the source. Wall time, single-threaded.

#include "bench/core/bench_database.h"

#include "services/database_copy.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace {

QString target(const char* side) { return QStringLiteral(DOSSARA_BENCH_DATA_DIR "/save-as/") + QLatin1String(side); }

QStringList sourceFiles() {
    return QDir(benchdata::databaseFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void emptyFolder(const QString& folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

void plainCopy(const QString& to) {
    for (const QString& name : sourceFiles()) {
        const std::string from = QDir(benchdata::databaseFolder()).filePath(name).toStdString();
        const std::string dest = QDir(to).filePath(name).toStdString();
        std::filesystem::copy_file(from, dest, std::filesystem::copy_options::overwrite_existing);
        const int fd = ::open(dest.c_str(), O_RDONLY);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
}

void backupCopy(const QString& to) {
    for (const QString& name : sourceFiles()) {
        const QByteArray from = QDir(benchdata::databaseFolder()).filePath(name).toUtf8();
        const QByteArray dest = QDir(to).filePath(name).toUtf8();
        sqlite3* src = nullptr;
        sqlite3* dst = nullptr;
        sqlite3_open_v2(from.constData(), &src, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_open_v2(dest.constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main")) {
            sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
        }
        sqlite3_close(dst);
        sqlite3_close(src);
    }
}

QString rowCounts(const QString& folder) {
    QStringList out;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name)) {
        QProcess p;
        p.start(QStringLiteral("sqlite3"), {QDir(folder).filePath(name),
                                            QStringLiteral("SELECT count(*) FROM \"%1\"").arg(name)});
        p.waitForFinished(-1);
        out << name + QLatin1Char('=') + QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    return out.join(QLatin1Char(' '));
}

bool prepare() {
    static const bool ok = [] {
        if (!benchdata::ensureDatabase(benchdata::benchBranches())) return false;
        for (const char* side : {"ours", "plain", "backup"}) emptyFolder(target(side));
        if (!services::CopyDatabaseFolder(benchdata::databaseFolder(), target("ours")).Success) return false;
        plainCopy(target("plain"));
        backupCopy(target("backup"));
        const QString source = rowCounts(benchdata::databaseFolder());
        const bool same = rowCounts(target("ours")) == source && rowCounts(target("plain")) == source &&
                          rowCounts(target("backup")) == source && !source.isEmpty();
        qint64 bytes = 0;
        for (const QString& name : sourceFiles()) bytes += QFileInfo(QDir(benchdata::databaseFolder()).filePath(name)).size();
        std::fprintf(stderr, "%s: %lld files, %lld bytes; the three copies hold the source's rows: %s\n",
                     qPrintable(benchdata::databaseFolder()), static_cast<long long>(sourceFiles().size()),
                     static_cast<long long>(bytes), same ? "yes" : "no");
        return same;
    }();
    return ok;
}

template <typename F>
void run(benchmark::State& state, const char* side, F copy) {
    if (!prepare()) return state.SkipWithError("the benchmark database could not be prepared, or the copies differ");
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(target(side));
        state.ResumeTiming();
        copy(target(side));
    }
}

void BM_SaveAs_Ours(benchmark::State& state) {
    run(state, "ours", [](const QString& to) { services::CopyDatabaseFolder(benchdata::databaseFolder(), to); });
}
BENCHMARK(BM_SaveAs_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_SaveAs_PlainCopy(benchmark::State& state) { run(state, "plain", plainCopy); }
BENCHMARK(BM_SaveAs_PlainCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_SaveAs_SqliteBackup(benchmark::State& state) { run(state, "backup", backupCopy); }
BENCHMARK(BM_SaveAs_SqliteBackup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
