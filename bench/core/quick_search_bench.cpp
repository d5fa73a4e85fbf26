// Quick searches of the records manager over the benchmark database (bench_database.h: the
// machine's Debian documentation, every paragraph once; 100,000 branches, or
// DOSSARA_BENCH_BRANCHES), each kind timed beside SQLite FTS5 answering the same question over
// the same texts in the same run; the full search-index rebuild beside FTS5's rebuild of the
// same indexes; and the memory of a search session of each, each in a process of its own.
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
// layer, mmap_size 256 MB as the table layer. Every statement is prepared once, before
// timing; a query binds its text, steps and resets. An unranked query is the union of the
// matching NodeIDs of the title index and every View index, joined with the titles for
// NodeName and NodeType (the same answer the quick search collects); every unranked query's
// branches are compared: `differing` counts queries whose two answers are not the same
// branches.
//
// Ranked searches (one word; ours ranks by count with "Rank only the first 100") are asked
// of FTS5 two ways:
// - `same`: our question. Per index in the order our controller runs its searchers (the
//   titles, then each View), the first 100 matches by NodeID with their number of hits (an
//   auxiliary function returning FTS5's instance count: how often the word stands in the
//   record's texts, which is our count), sorted by hits (more first, then NodeID); the lists
//   are walked in that order and each branch not listed yet whose title (and, for a title
//   match, its View's record) exists is kept, up to 100. Every answer must be the same
//   branches with the same scores (`differing_same`).
// - `bm25`: FTS5's own ranking: every match of each index ranked by bm25, the 100 best per
//   index merged by their best rank, 100 kept. The formulas differ, so the check is that both
//   give as many branches and that all of FTS5's branches match the word (`differing_bm25`).
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
// (mmap 256 MB as the table layer), no splitting or counting. `floor_*` and `floor_ratio_*`
// set it beside FTS5, and `ratio_to_floor_*` ours beside it.
// Rebuild: RunIndexBuild (silent) over the branch titles and every View, beside FTS5's
// 'rebuild' of all four indexes; kRuns runs each, medians.
// Session memory: a fresh process of this program opens one side only (ours: the module as
// above; FTS5: its database read-only, mmap 256 MB, statements prepared) and runs every query
// of every kind once; it reports its peak resident memory (VmHWM: mapped table pages and the
// program's own code included, from its start) and the peak of its anonymous memory while
// the queries run.

#include "bench/common/fts5_tokenizer.h"
#include "bench/common/process_memory.h"
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
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

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

sqlite3_stmt* prepare(sqlite3* db, const QByteArray& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v3(db, sql.constData(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK)
        qFatal("SQLite: %s (%s)", sqlite3_errmsg(db), sql.constData());
    return st;
}

QString scratchFolder() {
    return QDir::current().absoluteFilePath(QStringLiteral("quick_search_bench_data-%1").arg(benchdata::benchBranches()));
}
QString databaseCopy() { return scratchFolder() + QStringLiteral("/db"); }
QString ftsPath() { return databaseCopy() + QStringLiteral("/fts5.sqlite"); }
QString queriesPath() { return scratchFolder() + QStringLiteral("/queries.txt"); }

bool queryable(const QString& w) {
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]{2,15}$"));
    static const QStringList operators = {QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"),
                                          QStringLiteral("near"), QStringLiteral("like")};
    return letters.match(w).hasMatch() && !operators.contains(w.toLower());
}

struct Query {
    TSearchLogic logic;
    QString text;
    QByteArray fts;  ///< empty: no FTS5 counterpart
    bool ranked = false;
};

/// A branch of a ranked answer.
struct Scored {
    qint64 node;
    int score;
    bool operator<(const Scored& o) const { return node != o.node ? node < o.node : score < o.score; }
    bool operator==(const Scored& o) const { return node == o.node && score == o.score; }
};

// ---------------------------------------------------------------------------------------
// Our side

/// The database opened as the program opens it, with the search data module.
struct Ours {
    TViewControl views;
    std::unique_ptr<TMainDataMod> module;
    std::unique_ptr<TSearchData> search;
    std::unique_ptr<core::ViewTables> tables;
    TResultsArray results;

    explicit Ours(const QString& folder) {
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
    }
    ~Ours() {
        tables->FreeAllViews();
        module->DisconnectDatabase();
    }

    /// The indexes in the order the controller runs their searchers: -1 the titles, else
    /// the View.
    std::vector<int> searcherOrder() {
        std::vector<int> order;
        TtsController* c = search->QS_Controller;
        for (TtsRankSearch* s = c->FirstSearcher(); s; s = c->NextSearcher()) {
            const int tag = TSearchData::SearcherTag(s);
            order.push_back(tag == core::kHierarchyTag ? -1 : tag);
        }
        return order;
    }

    /// Our quick search; answers the number of branches.
    int run(TSearchLogic logic, const QString& text, bool ranked, bool collect) {
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
};

// ---------------------------------------------------------------------------------------
// FTS5's side

/// FTS5's auxiliary function hits(t): how many times the query's phrases stand in the row.
void hitsFunction(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* context, int, sqlite3_value**) {
    int count = 0;
    if (api->xInstCount(fts, &count) != SQLITE_OK) {
        sqlite3_result_error(context, "hits: no instance count", -1);
        return;
    }
    sqlite3_result_int(context, count);
}

void registerHits(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* st = prepare(db, "SELECT fts5(?1)");
    sqlite3_bind_pointer(st, 1, reinterpret_cast<void*>(&api), "fts5_api_ptr", nullptr);
    sqlite3_step(st);
    sqlite3_finalize(st);
    if (!api || api->xCreateFunction(api, "hits", nullptr, hitsFunction, nullptr) != SQLITE_OK)
        qFatal("FTS5's API is not there");
}

/// The FTS5 database opened for searching, every statement prepared.
struct Fts {
    sqlite3* db = nullptr;
    int viewCount = 0;
    std::vector<int> order;  ///< -1 the titles, else the View, in our controller's order
    sqlite3_stmt* unranked = nullptr;
    sqlite3_stmt* bm25 = nullptr;
    std::vector<sqlite3_stmt*> firstByRowid;  ///< per entry of `order`
    sqlite3_stmt* branch = nullptr;           ///< NodeName, NodeType of a NodeID
    std::vector<sqlite3_stmt*> viewHolds;     ///< per View: whether its table holds a NodeID

    static QByteArray table(int index) { return index < 0 ? QByteArray("fh") : "fv" + QByteArray::number(index); }

    Fts(const QString& path, int views, std::vector<int> searcherOrder, bool readOnly)
        : viewCount(views), order(std::move(searcherOrder)) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
        exec(db, "PRAGMA mmap_size=268435456");
        registerHits(db);
        QByteArrayList unrankedParts, bm25Parts;
        for (int i = -1; i < viewCount; ++i) {
            const QByteArray t = table(i);
            unrankedParts << "SELECT rowid FROM " + t + " WHERE " + t + " MATCH ?1";
            bm25Parts << "SELECT * FROM (SELECT rowid AS id, rank AS r FROM " + t + " WHERE " + t +
                             " MATCH ?1 ORDER BY rank LIMIT " + QByteArray::number(kRankTop) + ")";
        }
        unranked = prepare(db, "SELECT h.NodeID, h.NodeName, h.NodeType FROM h WHERE h.NodeID IN (" +
                                   unrankedParts.join(" UNION ") + ")");
        bm25 = prepare(db, "SELECT h.NodeID, h.NodeName, h.NodeType FROM (SELECT id, min(r) AS r FROM (" +
                               bm25Parts.join(" UNION ALL ") + ") GROUP BY id ORDER BY r LIMIT " +
                               QByteArray::number(kRankTop) + ") AS top JOIN h ON h.NodeID = top.id");
        for (int index : order) {
            const QByteArray t = table(index);
            firstByRowid.push_back(prepare(db, "SELECT rowid, hits(" + t + ") FROM " + t + " WHERE " + t +
                                                   " MATCH ?1 ORDER BY rowid LIMIT " + QByteArray::number(kRankTop)));
        }
        branch = prepare(db, "SELECT NodeName, NodeType FROM h WHERE NodeID = ?1");
        for (int v = 0; v < viewCount; ++v)
            viewHolds.push_back(prepare(db, "SELECT 1 FROM v" + QByteArray::number(v) + " WHERE NodeID = ?1"));
    }
    ~Fts() {
        for (sqlite3_stmt* st : firstByRowid) sqlite3_finalize(st);
        for (sqlite3_stmt* st : viewHolds) sqlite3_finalize(st);
        sqlite3_finalize(unranked);
        sqlite3_finalize(bm25);
        sqlite3_finalize(branch);
        sqlite3_close(db);
    }

    /// The unranked answer, or bm25's 100 best: the NodeIDs (NodeName and NodeType read too).
    std::vector<qint64> answer(const QByteArray& match, bool byBm25) {
        sqlite3_stmt* st = byBm25 ? bm25 : unranked;
        sqlite3_bind_text(st, 1, match.constData(), int(match.size()), SQLITE_STATIC);
        std::vector<qint64> ids;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ids.push_back(sqlite3_column_int64(st, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
        }
        sqlite3_reset(st);
        return ids;
    }

    /// Our question: the first 100 matches of each index by NodeID, scored by hits, each
    /// list sorted by score, walked in our controller's order, 100 branches kept.
    std::vector<Scored> firstHundredByHits(const QByteArray& match) {
        std::vector<Scored> kept;
        QSet<qint64> listed;
        std::vector<Scored> list;
        for (std::size_t i = 0; i < order.size() && int(kept.size()) < kRankTop; ++i) {
            sqlite3_stmt* st = firstByRowid[i];
            sqlite3_bind_text(st, 1, match.constData(), int(match.size()), SQLITE_STATIC);
            list.clear();
            while (sqlite3_step(st) == SQLITE_ROW)
                list.push_back({sqlite3_column_int64(st, 0), std::min(sqlite3_column_int(st, 1), 0xFFFF)});
            sqlite3_reset(st);
            std::stable_sort(list.begin(), list.end(), [](const Scored& a, const Scored& b) { return a.score > b.score; });
            for (const Scored& s : list) {
                if (int(kept.size()) >= kRankTop) break;
                if (listed.contains(s.node)) continue;
                sqlite3_bind_int64(branch, 1, s.node);
                bool keep = false;
                if (sqlite3_step(branch) == SQLITE_ROW) {
                    benchmark::DoNotOptimize(sqlite3_column_text(branch, 0));
                    const int type = sqlite3_column_int(branch, 1);
                    if (order[i] >= 0) keep = type == order[i];
                    else if (type >= 0 && type < viewCount) {
                        sqlite3_stmt* holds = viewHolds[std::size_t(type)];
                        sqlite3_bind_int64(holds, 1, s.node);
                        keep = sqlite3_step(holds) == SQLITE_ROW;
                        sqlite3_reset(holds);
                    }
                }
                sqlite3_reset(branch);
                if (keep) {
                    listed.insert(s.node);
                    kept.push_back(s);
                }
            }
        }
        return kept;
    }
};

// ---------------------------------------------------------------------------------------
// Both, with the FTS5 database built and the reading floor

struct Engines {
    std::unique_ptr<Ours> ours;
    std::unique_ptr<Fts> fts;
    /// The reading floor's connections and statements: [0] the titles, [1 + v] View v's texts.
    std::vector<sqlite3*> floorDbs;
    std::vector<sqlite3_stmt*> floorReads;
    QStringList noteTexts;  ///< texts the queries are drawn from

    Engines() {
        const int branches = benchdata::benchBranches();
        if (!benchdata::ensureDatabase(branches)) qFatal("the benchmark database could not be made");
        const QString folder = databaseCopy();
        QDir(scratchFolder()).removeRecursively();
        QDir().mkpath(folder);
        const QDir source(benchdata::databaseFolder(branches));
        for (const QString& f : source.entryList(QDir::Files)) QFile::copy(source.filePath(f), folder + u'/' + f);
        ours = std::make_unique<Ours>(folder);
        buildFts();
        fts = std::make_unique<Fts>(ftsPath(), ours->views.GetViewCount(), ours->searcherOrder(), false);
        ftsRebuild();
        prepareFloor();
    }
    ~Engines() {
        for (sqlite3_stmt* st : floorReads) sqlite3_finalize(st);
        for (sqlite3* db : floorDbs) sqlite3_close(db);
        fts.reset();
        ours.reset();
    }

    /// The FTS5 database: content tables copied from the table files, indexes built.
    void buildFts() {
        const QString folder = databaseCopy();
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(ftsPath()).constData(), &db);
        exec(db, "PRAGMA mmap_size=268435456");
        const QByteArray tokenizer = benchfts::FtsTokenizer(ours->search->tsSearchMaster->CharClasses());
        exec(db, "ATTACH '" + QFile::encodeName(folder + u'/' + core::kHierarchyTable) + "' AS hf");
        exec(db, "CREATE TABLE h(NodeID INTEGER PRIMARY KEY, NodeName TEXT, NodeType INTEGER)");
        exec(db, "INSERT INTO h SELECT NodeID, NodeName, NodeType FROM hf.\"Hierarchy.DB\"");
        exec(db, "DETACH hf");
        exec(db, "CREATE VIRTUAL TABLE fh USING fts5(NodeName, content='h', content_rowid='NodeID', tokenize='" + tokenizer + "')");
        for (int v = 0; v < ours->views.GetViewCount(); ++v) {
            const QString file = core::ViewTableFile(ours->views.GetViewTableName(v));
            const QStringList fields = core::TextFieldNames(db::ReadTableDef(folder, file));
            const QByteArray cols = fields.join(u',').toUtf8();
            const QByteArray n = QByteArray::number(v);
            exec(db, "ATTACH '" + QFile::encodeName(folder + u'/' + file) + "' AS vf");
            exec(db, "CREATE TABLE v" + n + "(NodeID INTEGER PRIMARY KEY," + cols + ")");
            exec(db, "INSERT INTO v" + n + " SELECT NodeID," + cols + " FROM vf.\"" + file.toUtf8() + "\"");
            exec(db, "DETACH vf");
            exec(db, "CREATE VIRTUAL TABLE fv" + n + " USING fts5(" + cols + ", content='v" + n +
                         "', content_rowid='NodeID', tokenize='" + tokenizer + "')");
            if (fields.contains(QStringLiteral("Note"))) {
                sqlite3_stmt* st = prepare(db, "SELECT Note FROM v" + n + " WHERE Note IS NOT NULL");
                while (sqlite3_step(st) == SQLITE_ROW && noteTexts.size() < 200000)
                    noteTexts << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
                sqlite3_finalize(st);
            }
        }
        sqlite3_close(db);
    }

    void ftsRebuild() {
        for (int i = -1; i < fts->viewCount; ++i) {
            const QByteArray t = Fts::table(i);
            exec(fts->db, "INSERT INTO " + t + "(" + t + ") VALUES('rebuild')");
        }
    }

    void prepareFloor() {
        const QString folder = databaseCopy();
        auto open = [&](const QString& file, const QByteArray& sql) {
            sqlite3* db = nullptr;
            sqlite3_open_v2(QFile::encodeName(folder + u'/' + file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
            exec(db, "PRAGMA mmap_size=268435456");
            floorDbs.push_back(db);
            floorReads.push_back(prepare(db, sql));
        };
        open(core::kHierarchyTable, "SELECT NodeName FROM \"" + core::kHierarchyTable.toUtf8() + "\" WHERE NodeID = ?1");
        for (int v = 0; v < ours->views.GetViewCount(); ++v) {
            const QString file = core::ViewTableFile(ours->views.GetViewTableName(v));
            QStringList cols;
            for (const QString& f : core::TextFieldNames(db::ReadTableDef(folder, file))) cols << u'"' + f + u'"';
            open(file, "SELECT " + cols.join(u',').toUtf8() + " FROM \"" + file.toUtf8() + "\" WHERE NodeID = ?1");
        }
    }

    /// The reading floor of the branches `answer` holds: their titles and their records'
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
};

Engines& engines() {
    static Engines e;
    return e;
}

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
    std::vector<const std::vector<Query>*> kinds() const {
        return {&word, &all, &any, &phrase, &nearby, &prefix, &boolean, &soundsLike, &ranked};
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
            oursSearch.push_back(medianMs([&] { e.ours->run(query.logic, query.text, false, false); }));
            ours.push_back(medianMs([&] { n = e.ours->run(query.logic, query.text, false, true); }));
            oursResults += n;
            if (query.fts.isEmpty()) continue;
            const TResultsArray answer = e.ours->results;
            floor.push_back(medianMs([&] { benchmark::DoNotOptimize(e.readFloor(answer)); }));
            std::set<qint64> mine;
            for (const TResultRec& r : answer) mine.insert(r.NodeID);
            std::vector<qint64> ids;
            theirs.push_back(medianMs([&] { ids = e.fts->answer(query.fts, false); }));
            ftsResults += double(ids.size());
            const bool same = std::set<qint64>(ids.begin(), ids.end()) == mine;
            if (!same) ++differing;
            if (detail || !same)
                std::fprintf(stderr, "  %-40s ours %8.3f ms (%d)  fts5 %8.3f ms (%d)  floor %8.3f ms%s\n",
                             qPrintable(query.text), ours.back(), n, theirs.back(), int(ids.size()), floor.back(),
                             same ? "" : "  DIFFERENT BRANCHES");
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
        SetTimeCounters(state, QStringLiteral("floor"), floor, QStringLiteral("floor_ratio"), theirs);
        const double f50 = Percentile(floor, 0.5), f95 = Percentile(floor, 0.95);
        state.counters["ratio_to_floor_med"] = f50 > 0 ? Percentile(ours, 0.5) / f50 : 0;
        state.counters["ratio_to_floor_p95"] = f95 > 0 ? Percentile(ours, 0.95) / f95 : 0;
    }
}

void runRanked(benchmark::State& state, const std::vector<Query>& kind) {
    Engines& e = engines();
    const bool detail = qEnvironmentVariableIsSet("QS_BENCH_DETAIL");
    for (auto _ : state) {
        std::vector<double> ours, same, bm25;
        int differingSame = 0, differingBm25 = 0;
        double results = 0;
        for (const Query& query : kind) {
            int n = 0;
            ours.push_back(medianMs([&] { n = e.ours->run(query.logic, query.text, true, true); }));
            results += n;
            std::vector<Scored> mine;
            for (const TResultRec& r : e.ours->results) mine.push_back({r.NodeID, r.Score});
            std::vector<Scored> theirs;
            same.push_back(medianMs([&] { theirs = e.fts->firstHundredByHits(query.fts); }));
            std::vector<qint64> best;
            bm25.push_back(medianMs([&] { best = e.fts->answer(query.fts, true); }));
            // Checked outside the timed parts: the same branches and scores for our question;
            // as many branches, all matching the word, for bm25's.
            std::sort(mine.begin(), mine.end());
            std::sort(theirs.begin(), theirs.end());
            const bool sameAnswer = mine == theirs;
            const std::vector<qint64> all = e.fts->answer(query.fts, false);
            const std::set<qint64> matching(all.begin(), all.end());
            const bool bm25Fits = best.size() == mine.size() &&
                                  std::all_of(best.begin(), best.end(), [&](qint64 id) { return matching.count(id) > 0; });
            differingSame += sameAnswer ? 0 : 1;
            differingBm25 += bm25Fits ? 0 : 1;
            if (detail || !sameAnswer || !bm25Fits)
                std::fprintf(stderr, "  %-20s ours %8.3f ms (%d)  fts5 same %8.3f ms (%d)  fts5 bm25 %8.3f ms (%d)%s%s\n",
                             qPrintable(query.text), ours.back(), n, same.back(), int(theirs.size()), bm25.back(),
                             int(best.size()), sameAnswer ? "" : "  DIFFERENT ANSWER", bm25Fits ? "" : "  BM25 DIFFERS");
        }
        state.SetIterationTime(Percentile(ours, 0.5) / 1000.0);
        state.counters["queries"] = double(ours.size());
        state.counters["ours_results"] = results / double(ours.size());
        SetTimeCounters(state, QStringLiteral("ours"), ours, QStringLiteral("ratio_same"), same);
        SetTimeCounters(state, QStringLiteral("fts5_same"), same);
        SetTimeCounters(state, QStringLiteral("fts5_bm25"), bm25);
        const double b50 = Percentile(bm25, 0.5), b95 = Percentile(bm25, 0.95);
        state.counters["ratio_bm25_med"] = b50 > 0 ? Percentile(ours, 0.5) / b50 : 0;
        state.counters["ratio_bm25_p95"] = b95 > 0 ? Percentile(ours, 0.95) / b95 : 0;
        state.counters["differing_same"] = differingSame;
        state.counters["differing_bm25"] = differingBm25;
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
void BM_QuickSearch_RankedTop100(benchmark::State& s) { runRanked(s, queries().ranked); }

void BM_FullIndexRebuild(benchmark::State& state) {
    Engines& e = engines();
    for (auto _ : state) {
        bool ok = true;
        const double ours = medianMs([&] { ok = core::RunIndexBuild(*e.ours->search, nullptr, true) && ok; });
        if (!ok) qFatal("the index build failed");
        const double theirs = medianMs([&] { e.ftsRebuild(); });
        state.SetIterationTime(ours / 1000.0);
        state.counters["ours_ms"] = ours;
        state.counters["fts5_ms"] = theirs;
        state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
    }
}

// ---------------------------------------------------------------------------------------
// Session memory, each side in a process of its own

/// Writes every query and our controller's searcher order for the measured processes.
void writeSessionFile() {
    QFile f(queriesPath());
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(queriesPath()));
    QByteArrayList order;
    for (int i : engines().fts->order) order << QByteArray::number(i);
    f.write(order.join(' ') + '\n');
    for (const std::vector<Query>* kind : queries().kinds())
        for (const Query& query : *kind)
            f.write(QByteArray::number(int(query.logic)) + '\t' + query.text.toUtf8() + '\t' + query.fts + '\t' +
                    (query.ranked ? "1" : "0") + '\n');
}

/// The measured process: `side` "ours" or "fts5" runs every query once; prints
/// "startAnon peakAnon hwm" in bytes.
int sessionChild(const QString& side) {
    QFile f(queriesPath());
    if (!f.open(QIODevice::ReadOnly)) return 2;
    std::vector<int> order;
    for (const QByteArray& i : f.readLine().trimmed().split(' ')) order.push_back(i.toInt());
    std::vector<Query> all;
    while (!f.atEnd()) {
        const QList<QByteArray> p = f.readLine().chopped(1).split('\t');
        if (p.size() == 4) all.push_back({TSearchLogic(p[0].toInt()), QString::fromUtf8(p[1]), p[2], p[3] == "1"});
    }
    qint64 answered = 0;
    auto report = [&](qint64 start, benchmemory::PeakSampler& sampler) {
        const qint64 peak = sampler.stop();
        std::printf("%lld %lld %lld\n", static_cast<long long>(start), static_cast<long long>(peak),
                    static_cast<long long>(benchmemory::PeakResidentBytes()));
        std::fprintf(stderr, "%s: %lld branches answered\n", qPrintable(side), static_cast<long long>(answered));
        return 0;
    };
    if (side == QLatin1String("ours")) {
        Ours ours(databaseCopy());
        const qint64 start = benchmemory::AnonymousBytes();
        benchmemory::PeakSampler sampler;
        for (const Query& query : all) answered += ours.run(query.logic, query.text, query.ranked, true);
        return report(start, sampler);
    }
    Fts fts(ftsPath(), int(order.size()) - 1, order, true);
    const qint64 start = benchmemory::AnonymousBytes();
    benchmemory::PeakSampler sampler;
    for (const Query& query : all) {
        if (query.fts.isEmpty()) continue;
        answered += query.ranked ? qint64(fts.firstHundredByHits(query.fts).size())
                                 : qint64(fts.answer(query.fts, false).size());
    }
    return report(start, sampler);
}

std::map<std::string, double> g_hwm;

void runSession(benchmark::State& state, const char* side) {
    engines();
    writeSessionFile();
    for (auto _ : state) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral("/proc/self/exe"), {QStringLiteral("--measure-session"), QString::fromLatin1(side)});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            state.SkipWithError("the measured process failed");
            return;
        }
        const QList<QByteArray> v = p.readAllStandardOutput().trimmed().split(' ');
        if (v.size() != 3) {
            state.SkipWithError("no measurement");
            return;
        }
        state.SetIterationTime(0.001);
        state.counters["start_anon_mb"] = v[0].toDouble() / 1048576.0;
        state.counters["peak_anon_mb"] = v[1].toDouble() / 1048576.0;
        state.counters["hwm_mb"] = g_hwm[side] = v[2].toDouble() / 1048576.0;
    }
    if (g_hwm.count("fts5") && g_hwm["fts5"] > 0 && std::string(side) == "ours")
        state.counters["hwm_ratio"] = g_hwm["ours"] / g_hwm["fts5"];
}

void BM_SessionMemory_Fts5(benchmark::State& s) { runSession(s, "fts5"); }
void BM_SessionMemory_Ours(benchmark::State& s) { runSession(s, "ours"); }

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
BENCHMARK(BM_SessionMemory_Fts5)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SessionMemory_Ours)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--measure-session") == 0) return sessionChild(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
