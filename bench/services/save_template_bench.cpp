// "Save database as Template" of the 100,000-branch benchmark database with its largest View
// ("Package") unticked, without the index rebuild, beside the same work done by one SQL
// script through the SQLite C API, in the same run:
//
//   ours:     services::CopyDatabaseFolder, then services::CleanupTemplateCopy: the unticked
//             View's table and word table emptied (the word table's settings row kept) and
//             packed, the branches of the unticked View dropped with their children moved up
//             (one batch through the table layer), Hierarchy.DB packed, HierarchyDict.db
//             emptied but for its settings row and packed;
//   script:   the same copy, then one connection with the four files attached and one
//             sqlite3_exec of a script: the View table and its word table emptied (settings
//             row kept), every kept branch given its nearest kept ancestor by a recursive
//             query, the dropped branches deleted, HierarchyDict emptied but for its settings
//             row, each of the four files vacuumed (SQLite's defaults: rollback journal,
//             synchronous FULL, as the table layer writes).
//
// Every side starts from an empty target folder (emptied outside the timing); both results
// are checked once to hold the same branches (NodeID and ParentNodeID) and row counts. Wall
// time, single-threaded.

#include "bench/core/bench_database.h"

#include "services/database_copy.h"
#include "services/gui/template_save.h"

#include "fulltext/table/ts_words_table_link.h"

#include <QApplication>
#include <QDir>
#include <QProcess>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

namespace {

const QStringList kTables = {QStringLiteral("Sections"), QStringLiteral("Sources"), QStringLiteral("Packages")};
const std::vector<bool> kKeep = {true, true, false};  // "Package", the largest View, unticked

QString target(const char* side) { return QStringLiteral(DOSSARA_BENCH_DATA_DIR "/save-template/") + QLatin1String(side); }

void emptyFolder(const QString& folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

/// The file of `name` in `folder` whatever its case.
QString fileOf(const QString& folder, const QString& name) {
    for (const QString& f : QDir(folder).entryList(QDir::Files))
        if (f.compare(name, Qt::CaseInsensitive) == 0) return QDir(folder).filePath(f);
    return QDir(folder).filePath(name);
}

void ours(const QString& to) {
    services::CopyDatabaseFolder(benchdata::databaseFolder(), to);
    services::CleanupTemplateCopy(to, kTables, kKeep);
}

void script(const QString& to) {
    services::CopyDatabaseFolder(benchdata::databaseFolder(), to);
    sqlite3* db = nullptr;
    sqlite3_open_v2(fileOf(to, QStringLiteral("Hierarchy.DB")).toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QString properties = TtsWordsTableLink::PropertiesWord().replace(u'\'', QStringLiteral("''"));
    const QString sql =
        QStringLiteral(
            "ATTACH '%1' AS hd; ATTACH '%2' AS vt; ATTACH '%3' AS vd;"
            "BEGIN;"
            "DELETE FROM vt.\"Packages.DB\";"
            "DELETE FROM vd.\"PackagesDict.DB\" WHERE tsWord <> '%4';"
            "CREATE TEMP TABLE moved AS WITH RECURSIVE up(id, p) AS ("
            " SELECT NodeID, ParentNodeID FROM main.\"Hierarchy.DB\" WHERE NodeType IN (0, 1)"
            " UNION ALL SELECT up.id, h.ParentNodeID FROM up JOIN main.\"Hierarchy.DB\" h ON h.NodeID = up.p"
            " WHERE h.NodeType NOT IN (0, 1))"
            " SELECT id, p FROM up WHERE p = 0 OR p IN (SELECT NodeID FROM main.\"Hierarchy.DB\" WHERE NodeType IN (0, 1));"
            "UPDATE main.\"Hierarchy.DB\" SET ParentNodeID = (SELECT p FROM moved WHERE id = NodeID)"
            " WHERE NodeID IN (SELECT id FROM moved) AND ParentNodeID <> (SELECT p FROM moved WHERE id = NodeID);"
            "DELETE FROM main.\"Hierarchy.DB\" WHERE NodeType NOT IN (0, 1);"
            "DELETE FROM hd.\"HierarchyDict.db\" WHERE tsWord <> '%4';"
            "COMMIT;"
            "VACUUM main; VACUUM hd; VACUUM vt; VACUUM vd;")
            .arg(fileOf(to, QStringLiteral("HierarchyDict.db")), fileOf(to, QStringLiteral("Packages.DB")),
                 fileOf(to, QStringLiteral("PackagesDict.DB")), properties);
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "script failed: %s\n", error ? error : "?");
        sqlite3_free(error);
    }
    sqlite3_close(db);
}

QString query(const QString& file, const QString& sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file, sql});
    p.waitForFinished(-1);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

/// The branches and the row count of every table of a result.
QString facts(const QString& folder) {
    QString out = query(fileOf(folder, QStringLiteral("Hierarchy.DB")),
                        QStringLiteral("SELECT group_concat(NodeID || ':' || ParentNodeID, ' ') FROM "
                                       "(SELECT * FROM \"Hierarchy.DB\" ORDER BY NodeID)"));
    for (const QString& f : QDir(folder).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name))
        out += QLatin1Char(' ') + f + QLatin1Char('=') +
               query(QDir(folder).filePath(f), QStringLiteral("SELECT count(*) FROM \"%1\"").arg(f));
    return out;
}

bool prepare() {
    static const bool ok = [] {
        if (!benchdata::ensureDatabase(benchdata::benchBranches())) return false;
        for (const char* side : {"ours", "script"}) emptyFolder(target(side));
        ours(target("ours"));
        script(target("script"));
        const QString a = facts(target("ours"));
        const bool same = a == facts(target("script")) && a.size() > 100;
        std::fprintf(stderr, "%s: both results hold the same branches and row counts: %s\n",
                     qPrintable(benchdata::databaseFolder()), same ? "yes" : "no");
        return same;
    }();
    return ok;
}

template <typename F>
void run(benchmark::State& state, const char* side, F work) {
    if (!prepare()) return state.SkipWithError("the benchmark database could not be prepared, or the results differ");
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(target(side));
        state.ResumeTiming();
        work(target(side));
    }
}

void BM_SaveTemplate_Ours(benchmark::State& state) { run(state, "ours", ours); }
BENCHMARK(BM_SaveTemplate_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_SaveTemplate_SqlScript(benchmark::State& state) { run(state, "script", script); }
BENCHMARK(BM_SaveTemplate_SqlScript)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
