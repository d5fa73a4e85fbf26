// Quick searches of the records manager over the 100,000-branch database, each kind timed
// beside SQLite FTS5 answering the same question over the same texts in the same run, and
// the full search-index rebuild beside FTS5's rebuild of the same indexes.
//
// Ours: the search data module on the database as the program opens it (master searcher
// over the branch titles, one searcher per View, every View ticked); a query is the quick
// search's own path: the options copied to the master searcher, ExecuteSearch (every
// searcher run through the controller) and CollectResults (one element per branch with its
// View, score and title). `ours_search` is ExecuteSearch alone; `ours` adds the collection.
//
// FTS5: one SQLite database beside the table files holding content tables copied from the
// branch titles (NodeID, NodeName, NodeType) and from each View's text fields, and FTS5
// tables with external content over them (content=..., content_rowid=NodeID), created and
// filled before timing. Tokenizer unicode61 with diacritics kept and our word characters
// added, so both split the texts alike. Rollback journal and full sync as the table
// layer, mmap_size 256 MB as the table layer. A query is the union of the matching NodeIDs
// of the title index and every View index, joined with the titles for NodeName and
// NodeType (the same answer the quick search collects). Ranked searches: ours ranks by
// count with "Rank only the first 100"; FTS5 takes the 100 best by bm25 per index and keeps
// 100 of them: the two rank formulas differ, so only the number of results is compared.
// Every unranked query's branches are compared: `differing` counts queries whose two
// answers are not the same branches.
//
// Queries: kQueries per kind, drawn with a fixed seed from the texts' own words (2 to 15
// ASCII letters; phrases are neighbouring words of a note, near pairs two words of a note a
// few words apart). Each runs kRuns times per engine; a query's time is its median; the
// counters give the median and 95th percentile over the queries and their ratios.
// Reading floor: what any search over these table files must at least do to answer with the
// quick search's score, which is the number of query words in the record's text (the word
// tables tell which records hold a word, not how often): for each branch answered, its title
// read from Hierarchy.DB and its record's text fields from its View's table, through
// SQLite's C API with one prepared statement per file inside one read transaction per file
// (mmap 256 MB as the table layer), no splitting or counting. `floor_*` and `floor_ratio_*` set it beside FTS5.
// Rebuild: RunIndexBuild (silent) over the branch titles and every View, beside FTS5's
// 'rebuild' of all four indexes; kRuns runs each, medians.

#include "bench/common/fts5_tokenizer.h"
#include "bench/common/query_timing.h"
#include "bench/core/bench_database.h"

#include "core/globals.h"
#include "core/gui/qs_make.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/search_data.h"
#include "core/tessick_lib.h"
#include "core/view_control.h"
#include "core/view_tables.h"

#include "fulltext/match/ts_controller.h"
#include "fulltext/search/ts_search.h"
#include "fulltext/testsupport/corpus.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/ts_text.h"

#include "platform/db/database.h"
#include "platform/db/table.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace {

constexpr int kQueries = 40;
constexpr int kRuns = 3;
constexpr int kNearWord = 8;
constexpr int kFtsNear = kNearWord - 2;
constexpr int kRankTop = 100;

void exec(sqlite3* db, const QByteArray& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("SQLite: %s (%s)", error ? error : "?", sql.constData());
}

QString scratchFolder() { return QDir::current().absoluteFilePath(QStringLiteral("quick_search_bench_data")); }

bool queryable(const QString& w) {
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]{2,15}$"));
    static const QStringList operators = {QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"),
                                          QStringLiteral("near"), QStringLiteral("like")};
    return letters.match(w).hasMatch() && !operators.contains(w.toLower());
}

/// The database opened as the program opens it, with the search data module, and the FTS5
/// database beside it.
struct Engines {
    TViewControl views;
    std::unique_ptr<TMainDataMod> module;
    std::unique_ptr<TSearchData> search;
    std::unique_ptr<core::ViewTables> tables;
    sqlite3* fts = nullptr;
    /// The reading floor's connections and statements: [0] the titles, [1 + v] View v's texts.
    std::vector<sqlite3*> floorDbs;
    std::vector<sqlite3_stmt*> floorReads;
    QString folder;
    QStringList ftsTables;       ///< "fh", "fv0", ...
    QStringList noteTexts;       ///< texts the queries are drawn from
    TResultsArray results;

    Engines() {
        if (!benchdata::ensureDatabase()) qFatal("the benchmark database could not be made");
        folder = scratchFolder() + QStringLiteral("/db");
        QDir(scratchFolder()).removeRecursively();
        QDir().mkpath(folder);
        const QDir source(benchdata::databaseFolder());
        for (const QString& f : source.entryList(QDir::Files)) QFile::copy(source.filePath(f), folder + u'/' + f);

        module = std::make_unique<TMainDataMod>(nullptr, &views);
        search = std::make_unique<TSearchData>(*module);
        tables = std::make_unique<core::ViewTables>(views, *module, *search);
        tables->Install();
        search->Tables = tables.get();
        search->Views = &views;
        module->ConnectDatabase(folder);
        Globals().CurrentFolder = folder;
        Globals().DatabaseOpen = true;
        Globals().FirstSearchPending = false;
        if (!views.LoadViewDefinitions()) qFatal("View definitions did not load");
        for (int v = 0; v < views.GetViewCount(); ++v) {
            tables->OpenViewTable(v);
            tables->OpenViewDictTable(v);
        }
        search->SearchViewFlags.assign(size_t(views.GetViewCount()), true);
        buildFts();
    }
    ~Engines() {
        for (sqlite3_stmt* st : floorReads) sqlite3_finalize(st);
        for (sqlite3* db : floorDbs) sqlite3_close(db);
        sqlite3_close(fts);
        tables->FreeAllViews();
        module->DisconnectDatabase();
    }

    void buildFts() {
        const QString path = folder + QStringLiteral("/fts5.sqlite");
        sqlite3_open(QFile::encodeName(path).constData(), &fts);
        exec(fts, "PRAGMA mmap_size=268435456");
        const QByteArray tokenizer = benchfts::FtsTokenizer(search->tsSearchMaster->CharClasses());
        exec(fts, "ATTACH '" + QFile::encodeName(folder + u'/' + core::kHierarchyTable) + "' AS hf");
        exec(fts, "CREATE TABLE h(NodeID INTEGER PRIMARY KEY, NodeName TEXT, NodeType INTEGER)");
        exec(fts, "INSERT INTO h SELECT NodeID, NodeName, NodeType FROM hf.\"Hierarchy.DB\"");
        exec(fts, "DETACH hf");
        exec(fts, "CREATE VIRTUAL TABLE fh USING fts5(NodeName, content='h', content_rowid='NodeID', tokenize='" + tokenizer + "')");
        ftsTables << QStringLiteral("fh");
        for (int v = 0; v < views.GetViewCount(); ++v) {
            const QString file = core::ViewTableFile(views.GetViewTableName(v));
            const QStringList fields = core::TextFieldNames(db::ReadTableDef(folder, file));
            const QByteArray cols = fields.join(u',').toUtf8();
            const QByteArray n = QByteArray::number(v);
            exec(fts, "ATTACH '" + QFile::encodeName(folder + u'/' + file) + "' AS vf");
            exec(fts, "CREATE TABLE v" + n + "(NodeID INTEGER PRIMARY KEY," + cols + ")");
            exec(fts, "INSERT INTO v" + n + " SELECT NodeID," + cols + " FROM vf.\"" + file.toUtf8() + "\"");
            exec(fts, "DETACH vf");
            exec(fts, "CREATE VIRTUAL TABLE fv" + n + " USING fts5(" + cols + ", content='v" + n +
                          "', content_rowid='NodeID', tokenize='" + tokenizer + "')");
            ftsTables << QStringLiteral("fv") + QString::number(v);
            if (fields.contains(QStringLiteral("Note"))) {
                sqlite3_stmt* st = nullptr;
                sqlite3_prepare_v2(fts, "SELECT Note FROM v" + n + " WHERE Note IS NOT NULL", -1, &st, nullptr);
                while (sqlite3_step(st) == SQLITE_ROW && noteTexts.size() < 200000)
                    noteTexts << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
                sqlite3_finalize(st);
            }
        }
        ftsRebuild();
        prepareFloor();
    }

    void prepareFloor() {
        auto open = [&](const QString& file, const QByteArray& sql) {
            sqlite3* db = nullptr;
            sqlite3_open_v2(QFile::encodeName(folder + u'/' + file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
            exec(db, "PRAGMA mmap_size=268435456");
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v3(db, sql.constData(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK)
                qFatal("%s", sqlite3_errmsg(db));
            floorDbs.push_back(db);
            floorReads.push_back(st);
        };
        open(core::kHierarchyTable, "SELECT NodeName FROM \"" + core::kHierarchyTable.toUtf8() + "\" WHERE NodeID = ?1");
        for (int v = 0; v < views.GetViewCount(); ++v) {
            const QString file = core::ViewTableFile(views.GetViewTableName(v));
            QStringList cols;
            for (const QString& f : core::TextFieldNames(db::ReadTableDef(folder, file))) cols << u'"' + f + u'"';
            open(file, "SELECT " + cols.join(u',').toUtf8() + " FROM \"" + file.toUtf8() + "\" WHERE NodeID = ?1");
        }
    }

    /// The reading floor of the branches `results` answers: their titles and their records'
    /// texts read, nothing more. Answers the bytes read.
    qint64 readFloor(const TResultsArray& answer) {
        qint64 bytes = 0;
        auto read = [&](sqlite3_stmt* st, int node) {
            sqlite3_bind_int(st, 1, node);
            if (sqlite3_step(st) == SQLITE_ROW)
                for (int c = 0; c < sqlite3_column_count(st); ++c) {
                    benchmark::DoNotOptimize(sqlite3_column_text(st, c));
                    bytes += sqlite3_column_bytes(st, c);
                }
            sqlite3_reset(st);
        };
        // One read transaction per file for the whole loop, as the quick search holds.
        for (sqlite3* db : floorDbs) exec(db, "BEGIN");
        for (const TResultRec& r : answer) {
            read(floorReads[0], r.NodeID);
            read(floorReads[std::size_t(1 + r.ViewIndex)], r.NodeID);
        }
        for (sqlite3* db : floorDbs) exec(db, "COMMIT");
        return bytes;
    }

    void ftsRebuild() {
        for (const QString& t : ftsTables) exec(fts, "INSERT INTO " + t.toUtf8() + "(" + t.toUtf8() + ") VALUES('rebuild')");
    }

    /// Our quick search; answers the number of branches.
    int ours(TSearchLogic logic, const QString& text, bool ranked, bool collect) {
        TtsSearch* m = search->tsSearchMaster;
        m->SetSearchFor(text);
        m->SetSearchLogic(logic);
        m->SetSearchMode(smSearch);
        m->SetNearWord(kNearWord);
        m->SetRankMode(ranked ? rmCount : rmNone);
        m->SetRankLimit(ranked ? kRankTop : 0);
        if (!core::ExecuteSearch(*search, {})) qFatal("search failed: %s", qPrintable(text));
        if (!collect) return search->QS_Controller->GetMatchCount();
        core::CollectResults(*search, views, results, ranked ? kRankTop : 999999999);
        return int(results.size());
    }

    /// FTS5's answer: NodeID, NodeName and NodeType of the branches.
    std::vector<qint64> fts5(const QByteArray& match, bool ranked) {
        QByteArray sql;
        if (!ranked) {
            QByteArrayList parts;
            for (const QString& t : ftsTables) parts << "SELECT rowid FROM " + t.toUtf8() + " WHERE " + t.toUtf8() + " MATCH ?1";
            sql = "SELECT h.NodeID, h.NodeName, h.NodeType FROM h WHERE h.NodeID IN (" + parts.join(" UNION ") + ")";
        } else {
            QByteArrayList parts;
            for (const QString& t : ftsTables)
                parts << "SELECT * FROM (SELECT rowid AS id, rank AS r FROM " + t.toUtf8() + " WHERE " + t.toUtf8() +
                             " MATCH ?1 ORDER BY rank LIMIT " + QByteArray::number(kRankTop) + ")";
            sql = "SELECT h.NodeID, h.NodeName, h.NodeType FROM (SELECT id, min(r) AS r FROM (" + parts.join(" UNION ALL ") +
                  ") GROUP BY id ORDER BY r LIMIT " + QByteArray::number(kRankTop) + ") AS top JOIN h ON h.NodeID = top.id";
        }
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(fts, sql.constData(), -1, &st, nullptr) != SQLITE_OK) qFatal("%s", sqlite3_errmsg(fts));
        sqlite3_bind_text(st, 1, match.constData(), int(match.size()), SQLITE_STATIC);
        std::vector<qint64> ids;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ids.push_back(sqlite3_column_int64(st, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
        }
        sqlite3_finalize(st);
        return ids;
    }
};

Engines& engines() {
    static Engines e;
    return e;
}

struct Query {
    TSearchLogic logic;
    QString text;
    QByteArray fts;  ///< empty: no FTS5 counterpart
    bool ranked = false;
};

QByteArray q(const QString& w) { return '"' + w.toUtf8() + '"'; }

struct QuerySets {
    std::vector<Query> word, all, any, phrase, nearby, prefix, boolean, soundsLike, ranked;
    QuerySets() {
        const QStringList& texts = engines().noteTexts;
        std::mt19937 rng(25);
        auto textWords = [&](int minimum) {
            for (;;) {
                const QStringList w = fulltext::testing::SplitWords(texts[int(rng() % texts.size())]);
                if (w.size() >= minimum) return w;
            }
        };
        auto anyWord = [&](int minLength = 2) {
            for (;;) {
                const QStringList w = textWords(1);
                const QString& p = w[int(rng() % w.size())];
                if (queryable(p) && p.size() >= minLength) return p.toLower();
            }
        };
        while (int(word.size()) < kQueries) {
            const QString w = anyWord(3);
            word.push_back({slAnd, w, q(w)});
            ranked.push_back({slAnd, w, q(w), true});
        }
        while (int(all.size()) < kQueries) {
            const QStringList w = textWords(2);
            const QString a = w[int(rng() % w.size())].toLower(), b = w[int(rng() % w.size())].toLower();
            if (!queryable(a) || !queryable(b) || a == b) continue;
            all.push_back({slAnd, a + u' ' + b, q(a) + " AND " + q(b)});
        }
        while (int(any.size()) < kQueries) {
            const QString a = anyWord(3), b = anyWord(3), c = anyWord(3);
            any.push_back({slOr, a + u' ' + b + u' ' + c, q(a) + " OR " + q(b) + " OR " + q(c)});
        }
        while (int(phrase.size()) < kQueries) {
            const QStringList w = textWords(2);
            const int at = int(rng() % (w.size() - 1));
            const QString a = w[at].toLower(), b = w[at + 1].toLower();
            if (!queryable(a) || !queryable(b)) continue;
            phrase.push_back({slPhrase, a + u' ' + b, "\"" + (a + u' ' + b).toUtf8() + "\""});
        }
        while (int(nearby.size()) < kQueries) {
            const QStringList w = textWords(3);
            const int gap = 2 + int(rng() % (kNearWord - 2));
            if (w.size() <= gap) continue;
            const int at = int(rng() % (w.size() - gap));
            const QString a = w[at].toLower(), b = w[at + gap].toLower();
            if (!queryable(a) || !queryable(b) || a == b) continue;
            nearby.push_back({slNear, a + u' ' + b, "NEAR(" + q(a) + " " + q(b) + ", " + QByteArray::number(kFtsNear) + ")"});
        }
        while (int(prefix.size()) < kQueries) {
            const QString head = anyWord(5).left(3 + int(rng() % 2));
            prefix.push_back({slAnd, head + u'*', q(head) + "*"});
        }
        while (int(boolean.size()) < kQueries) {
            const QString a = anyWord(3), b = anyWord(3), c = anyWord(3);
            if (boolean.size() % 2 == 0)
                boolean.push_back({slExpression, QStringLiteral("(%1 or %2) and not %3").arg(a, b, c),
                                   "(" + q(a) + " OR " + q(b) + ") NOT " + q(c)});
            else
                boolean.push_back({slExpression, QStringLiteral("%1 and (%2 or %3)").arg(a, b, c),
                                   q(a) + " AND (" + q(b) + " OR " + q(c) + ")"});
        }
        while (int(soundsLike.size()) < kQueries) soundsLike.push_back({slLike, anyWord(4), {}});
    }
};

const QuerySets& queries() {
    static const QuerySets sets;
    return sets;
}

double medianMs(const std::function<void()>& run) { return benchtiming::MedianMs(kRuns, run); }

using benchtiming::Percentile;
using benchtiming::SetTimeCounters;

void runKind(benchmark::State& state, const std::vector<Query>& kind) {
    Engines& e = engines();
    const bool detail = qEnvironmentVariableIsSet("QS_BENCH_DETAIL");
    for (auto _ : state) {
        std::vector<double> ours, oursSearch, theirs, floor;
        double oursResults = 0, ftsResults = 0;
        int differing = 0;
        for (const Query& query : kind) {
            int n = 0;
            oursSearch.push_back(medianMs([&] { e.ours(query.logic, query.text, query.ranked, false); }));
            ours.push_back(medianMs([&] { n = e.ours(query.logic, query.text, query.ranked, true); }));
            oursResults += n;
            if (query.fts.isEmpty()) continue;
            if (!query.ranked) {
                const TResultsArray answer = e.results;
                floor.push_back(medianMs([&] { benchmark::DoNotOptimize(e.readFloor(answer)); }));
            }
            std::set<qint64> mine;
            for (const TResultRec& r : e.results) mine.insert(r.NodeID);
            std::vector<qint64> ids;
            theirs.push_back(medianMs([&] { ids = e.fts5(query.fts, query.ranked); }));
            ftsResults += double(ids.size());
            const std::set<qint64> theirsSet(ids.begin(), ids.end());
            const bool same = query.ranked ? theirsSet.size() == mine.size() : theirsSet == mine;
            if (!same) ++differing;
            if (detail || !same)
                std::fprintf(stderr, "  %-40s ours %8.3f ms (%d)  fts5 %8.3f ms (%d)%s\n", qPrintable(query.text),
                             ours.back(), n, theirs.back(), int(ids.size()), same ? "" : "  DIFFERENT BRANCHES");
        }
        state.SetIterationTime(Percentile(ours, 0.5) / 1000.0);
        state.counters["queries"] = double(ours.size());
        SetTimeCounters(state, QStringLiteral("ours"), ours, QStringLiteral("ratio"), theirs);
        state.counters["ours_search_med_ms"] = Percentile(oursSearch, 0.5);
        state.counters["ours_results"] = oursResults / double(ours.size());
        if (theirs.empty()) continue;
        SetTimeCounters(state, QStringLiteral("fts5"), theirs);
        state.counters["fts5_results"] = ftsResults / double(theirs.size());
        state.counters["differing"] = differing;
        if (!floor.empty()) SetTimeCounters(state, QStringLiteral("floor"), floor, QStringLiteral("floor_ratio"), theirs);
    }
}

void BM_QuickSearch_Word(benchmark::State& s) { runKind(s, queries().word); }
void BM_QuickSearch_All(benchmark::State& s) { runKind(s, queries().all); }
void BM_QuickSearch_Any(benchmark::State& s) { runKind(s, queries().any); }
void BM_QuickSearch_Phrase(benchmark::State& s) { runKind(s, queries().phrase); }
void BM_QuickSearch_Near(benchmark::State& s) { runKind(s, queries().nearby); }
void BM_QuickSearch_Prefix(benchmark::State& s) { runKind(s, queries().prefix); }
void BM_QuickSearch_Boolean(benchmark::State& s) { runKind(s, queries().boolean); }
void BM_QuickSearch_SoundsLike(benchmark::State& s) { runKind(s, queries().soundsLike); }
void BM_QuickSearch_RankedTop100(benchmark::State& s) { runKind(s, queries().ranked); }

void BM_FullIndexRebuild(benchmark::State& state) {
    Engines& e = engines();
    for (auto _ : state) {
        bool ok = true;
        const double ours = medianMs([&] { ok = core::RunIndexBuild(*e.search, nullptr, true) && ok; });
        if (!ok) qFatal("the index build failed");
        const double theirs = medianMs([&] { e.ftsRebuild(); });
        state.SetIterationTime(ours / 1000.0);
        state.counters["ours_ms"] = ours;
        state.counters["fts5_ms"] = theirs;
        state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
    }
}

}  // namespace

BENCHMARK(BM_QuickSearch_Word)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearch_All)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearch_Any)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearch_Phrase)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearch_Near)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearch_Prefix)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearch_Boolean)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearch_SoundsLike)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearch_RankedTop100)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullIndexRebuild)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
