// Searches over a 100,000-record index of real text (the fortunes and manual pages the
// full-text benchmarks read), each kind of query timed beside SQLite FTS5 answering the
// equivalent query over the same records in the same run.
//
// The record table and its word table are built once into a folder under the working
// folder ("fulltext_search_bench_data") and reused by later runs; so is the FTS5 database.
// Each benchmark runs every query of its kind several times on both engines and reports the
// median over the queries of each query's median time: ours_ms, fts5_ms and their ratio.
// The searcher runs without a word cache, so that repeated runs do not answer from memory.
// Phrases are measured twice: on the plain index (verified by reading the candidate records)
// and on a second word table of the same records built with word pairs.
//
// Environment knobs: FTS_BENCH_DETAIL=1 prints each query's times and match counts (and the
// time and count of the all-words search of the same words, the candidates a phrase or
// nearness check reads); FTS_BENCH_QUERY=<text> runs only the query with that text;
// FTS_BENCH_OURS_ONLY=<n> runs our searches n times and FTS5 not at all (for profilers).
#include "bench/fulltext/corpus.h"
#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"
#include "fulltext/ts_text.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRecords = 100000;
constexpr int kRuns = 7;

QString dataFolder() {
    return QDir::current().absoluteFilePath(QStringLiteral("fulltext_search_bench_data"));
}

/// The records: the corpus cut into kRecords runs of text, each ending at a line end.
std::vector<QString> makeRecords() {
    const QStringList& corpus = fulltext::bench::Corpus();
    QString all;
    for (const QString& r : corpus) all += r;
    std::vector<QString> records;
    records.reserve(kRecords);
    const qsizetype share = all.size() / kRecords;
    qsizetype start = 0;
    for (int i = 0; i < kRecords; ++i) {
        qsizetype end = i == kRecords - 1 ? all.size() : std::min(all.size(), start + share);
        const qsizetype nl = all.indexOf(u'\n', end);
        if (i < kRecords - 1 && nl >= 0 && nl - end < share / 2) end = nl + 1;
        records.push_back(all.mid(start, end - start));
        start = end;
    }
    return records;
}

void buildIndex(const QString& folder, const QString& dictName, bool wordPairs) {
    db::Table r;
    r.SetDatabaseName(folder);
    r.SetTableName(QStringLiteral("Notes.DB"));
    db::Table w;
    w.SetDatabaseName(folder);
    w.SetTableName(dictName);
    TtsMakeTextTableLink text;
    text.SetTable(&r);
    text.SetFieldNames({QStringLiteral("Body")});
    text.SetIndexFieldName(QStringLiteral("NodeID"));
    TtsMakeWordsTableLink words;
    words.SetTable(&w);
    TtsCache cache;
    cache.SetMemoryLimit(200000);
    TtsMake maker;
    maker.SetTextLink(&text);
    maker.SetWordsLink(&words);
    maker.SetCache(&cache);
    maker.SetWordPairs(wordPairs);
    QElapsedTimer clock;
    clock.start();
    maker.Execute();
    std::fprintf(stderr, "%s built in %lld ms\n", qPrintable(dictName), static_cast<long long>(clock.elapsed()));
}

void buildTables(const QString& folder, const std::vector<QString>& texts) {
    QDir().mkpath(folder);
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(QStringLiteral("Notes.DB"));
    t.FieldDefs() = {{QStringLiteral("NodeID"), db::FieldType::ftInteger, 0, true},
                     {QStringLiteral("Body"), db::FieldType::ftMemo, 0, false}};
    t.IndexDefs() = {{QString(), QStringLiteral("NodeID"), db::IndexOption::ixPrimary}};
    t.CreateTable();
    t.Open();
    t.StartBatch();
    for (int i = 0; i < int(texts.size()); ++i) {
        t.Append();
        t.FieldByName(QStringLiteral("NodeID"))->SetAsInteger(i + 1);
        t.FieldByName(QStringLiteral("Body"))->SetAsString(texts[std::size_t(i)]);
        t.Post();
    }
    t.EndBatch(true);
    t.Close();
    buildIndex(folder, QStringLiteral("NotesDict.DB"), false);
    buildIndex(folder, QStringLiteral("NotesPairsDict.DB"), true);
}

void buildFts(const QString& path, const std::vector<QString>& texts) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "CREATE VIRTUAL TABLE docs USING fts5(body); BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO docs(rowid, body) VALUES(?, ?)", -1, &ins, nullptr);
    for (int i = 0; i < int(texts.size()); ++i) {
        const QByteArray utf8 = texts[std::size_t(i)].toUtf8();
        sqlite3_bind_int(ins, 1, i + 1);
        sqlite3_bind_text(ins, 2, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT; INSERT INTO docs(docs) VALUES('optimize')", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

/// Both engines over the same records, opened once.
struct Engines {
    Engines() {
        const QString folder = dataFolder();
        const QString ftsPath = folder + QStringLiteral("/fts5.db");
        if (!QFile::exists(folder + QStringLiteral("/NotesPairsDict.DB")) || !QFile::exists(ftsPath)) {
            QDir(folder).removeRecursively();
            const std::vector<QString> texts = makeRecords();
            buildTables(folder, texts);
            buildFts(ftsPath, texts);
        }
        records.SetDatabaseName(folder);
        records.SetTableName(QStringLiteral("Notes.DB"));
        words.SetDatabaseName(folder);
        words.SetTableName(QStringLiteral("NotesDict.DB"));
        textLink.SetTable(&records);
        wordsLink.SetTable(&words);
        searcher.SetTextLink(&textLink);
        searcher.SetWordsLink(&wordsLink);
        pairWords.SetDatabaseName(folder);
        pairWords.SetTableName(QStringLiteral("NotesPairsDict.DB"));
        pairWordsLink.SetTable(&pairWords);
        pairSearcher.SetTextLink(&textLink);
        pairSearcher.SetWordsLink(&pairWordsLink);
        sqlite3_open_v2(QFile::encodeName(ftsPath).constData(), &fts, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_exec(fts, "CREATE VIRTUAL TABLE temp.vocab USING fts5vocab(main, docs, 'row')", nullptr, nullptr,
                     nullptr);
    }
    ~Engines() { sqlite3_close(fts); }

    /// Runs our search; answers the number of matches.
    int ours(TSearchLogic logic, const QString& query) {
        TtsSearch& s = usePairs ? pairSearcher : searcher;
        s.SetSearchLogic(logic);
        s.SetSearchFor(query);
        s.Execute();
        return s.MatchCount();
    }

    /// Terms of the FTS5 vocabulary accepted by `accept`, joined by OR.
    QString vocabularyOr(const std::function<bool(const QString&)>& accept, const char* sqlFilter) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(fts, sqlFilter, -1, &st, nullptr);
        QStringList terms;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString term = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            if (accept(term)) terms << QLatin1Char('"') + term + QLatin1Char('"');
        }
        sqlite3_finalize(st);
        return terms.join(QLatin1String(" OR "));
    }

    /// Runs an FTS5 match and collects every matching rowid; answers their number.
    int fts5(const QString& match) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(fts, "SELECT rowid FROM docs WHERE docs MATCH ?", -1, &st, nullptr);
        const QByteArray utf8 = match.toUtf8();
        sqlite3_bind_text(st, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        std::vector<sqlite3_int64> ids;
        while (sqlite3_step(st) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        return int(ids.size());
    }

    db::Table records;
    db::Table words;
    TtsTextTableLink textLink;
    TtsWordsTableLink wordsLink;
    TtsSearch searcher;
    /// The same records indexed with word pairs.
    db::Table pairWords;
    TtsWordsTableLink pairWordsLink;
    TtsSearch pairSearcher;
    bool usePairs = false;
    sqlite3* fts = nullptr;
};

Engines& engines() {
    static Engines e;
    return e;
}

/// One query: ours as logic + text, FTS5 as a function building its MATCH text (so that
/// vocabulary look-ups of the equivalent query are timed as well).
struct Query {
    TSearchLogic logic;
    QString text;
    std::function<QString(Engines&)> fts;
};

double medianMs(const std::function<void()>& run) {
    std::vector<double> t;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer c;
        c.start();
        run();
        t.push_back(double(c.nsecsElapsed()) / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void runKind(benchmark::State& state, const std::vector<Query>& queries) {
    Engines& e = engines();
    for (auto _ : state) {
        std::vector<double> ours, theirs;
        double oursMatches = 0, ftsMatches = 0;
        for (const Query& q : queries) {
            if (qEnvironmentVariableIsSet("FTS_BENCH_QUERY") && q.text != qEnvironmentVariable("FTS_BENCH_QUERY")) continue;
            if (qEnvironmentVariableIsSet("FTS_BENCH_OURS_ONLY")) {
                for (int r = 0; r < qEnvironmentVariableIntValue("FTS_BENCH_OURS_ONLY"); ++r) e.ours(q.logic, q.text);
                continue;
            }
            int n = 0;
            ours.push_back(medianMs([&] { n = e.ours(q.logic, q.text); }));
            oursMatches += n;
            int m = 0;
            theirs.push_back(medianMs([&] { m = e.fts5(q.fts(e)); }));
            ftsMatches += m;
            if (qEnvironmentVariableIsSet("FTS_BENCH_DETAIL")) {
                int c = 0;
                const double andMs = medianMs([&] { c = e.ours(slAnd, q.text); });
                std::fprintf(stderr, "  %-45s ours %8.3f ms (%d)  fts5 %8.3f ms (%d)  ratio %.2f  all words %.3f ms (%d)\n",
                             qPrintable(q.text), ours.back(), n, theirs.back(), m,
                             theirs.back() > 0 ? ours.back() / theirs.back() : 0.0, andMs, c);
            }
        }
        if (ours.empty()) continue;
        const double o = median(ours), f = median(theirs);
        state.SetIterationTime(o / 1000.0);
        state.counters["ours_ms"] = o;
        state.counters["fts5_ms"] = f;
        state.counters["ratio"] = f > 0 ? o / f : 0;
        state.counters["ours_matches"] = oursMatches / double(queries.size());
        state.counters["fts5_matches"] = ftsMatches / double(queries.size());
    }
}

std::function<QString(Engines&)> same(const char* match) {
    const QString m = QString::fromUtf8(match);
    return [m](Engines&) { return m; };
}

void BM_Word(benchmark::State& s) {
    runKind(s, {{slAnd, "file", same("file")},
                {slAnd, "kernel", same("kernel")},
                {slAnd, "love", same("love")},
                {slAnd, "option", same("option")},
                {slAnd, "computer", same("computer")}});
}
void BM_AllOfThree(benchmark::State& s) {
    runKind(s, {{slAnd, "file system option", same("file AND system AND option")},
                {slAnd, "the default value", same("the AND default AND value")},
                {slAnd, "love life time", same("love AND life AND time")},
                {slAnd, "user command line", same("user AND command AND line")},
                {slAnd, "output standard error", same("output AND standard AND error")}});
}
void BM_AnyOfThree(benchmark::State& s) {
    runKind(s, {{slOr, "kernel module driver", same("kernel OR module OR driver")},
                {slOr, "love hate war", same("love OR hate OR war")},
                {slOr, "printer paper font", same("printer OR paper OR font")},
                {slOr, "socket network address", same("socket OR network OR address")},
                {slOr, "wisdom truth fool", same("wisdom OR truth OR fool")}});
}
void BM_Phrase(benchmark::State& s) {
    runKind(s, {{slPhrase, "standard output", same("\"standard output\"")},
                {slPhrase, "the default value", same("\"the default value\"")},
                {slPhrase, "command line", same("\"command line\"")},
                {slPhrase, "file system", same("\"file system\"")},
                {slPhrase, "in the end", same("\"in the end\"")}});
}
void BM_PhraseWithWordPairs(benchmark::State& s) {
    engines().usePairs = true;
    BM_Phrase(s);
    engines().usePairs = false;
}
void BM_Near(benchmark::State& s) {
    runKind(s, {{slNear, "file directory", same("NEAR(file directory, 7)")},
                {slNear, "love money", same("NEAR(love money, 7)")},
                {slNear, "error message", same("NEAR(error message, 7)")},
                {slNear, "user password", same("NEAR(user password, 7)")},
                {slNear, "time space", same("NEAR(time space, 7)")}});
}
void BM_PrefixWildcard(benchmark::State& s) {
    runKind(s, {{slAnd, "comp*", same("comp*")},
                {slAnd, "prog*", same("prog*")},
                {slAnd, "mem*", same("mem*")},
                {slAnd, "netw*", same("netw*")},
                {slAnd, "wis*", same("wis*")}});
}
std::function<QString(Engines&)> suffix(const char* tail) {
    const QString t = QString::fromUtf8(tail).toLower();
    return [t](Engines& e) {
        const QByteArray sql = QStringLiteral("SELECT term FROM temp.vocab WHERE term LIKE '%%1'").arg(t).toUtf8();
        return e.vocabularyOr([](const QString&) { return true; }, sql.constData());
    };
}
void BM_SuffixWildcard(benchmark::State& s) {
    runKind(s, {{slAnd, "*tion", suffix("tion")},
                {slAnd, "*ness", suffix("ness")},
                {slAnd, "*ship", suffix("ship")},
                {slAnd, "*ware", suffix("ware")},
                {slAnd, "*ful", suffix("ful")}});
}
std::function<QString(Engines&)> soundsLike(const char* word) {
    const QString key = fulltext::SoundsLikeKey(QString::fromUtf8(word).toUpper());
    return [key](Engines& e) {
        return e.vocabularyOr([&](const QString& term) { return fulltext::SoundsLikeKey(term.toUpper()) == key; },
                              "SELECT term FROM temp.vocab");
    };
}
void BM_SoundsLike(benchmark::State& s) {
    runKind(s, {{slLike, "smith", soundsLike("smith")},
                {slLike, "robert", soundsLike("robert")},
                {slLike, "network", soundsLike("network")},
                {slLike, "colour", soundsLike("colour")},
                {slLike, "wisdom", soundsLike("wisdom")}});
}
void BM_Boolean(benchmark::State& s) {
    runKind(s, {{slExpression, "(file or directory) and not kernel", same("(file OR directory) NOT kernel")},
                {slExpression, "love and not (money or war)", same("love NOT (money OR war)")},
                {slExpression, "(user or group) and (read or write) and not root",
                 same("(user OR group) AND (read OR write) NOT root")},
                {slExpression, "not (error or warning) and message", same("message NOT (error OR warning)")},
                {slExpression, "(wise or fool) and not (king or queen)", same("(wise OR fool) NOT (king OR queen)")}});
}

}  // namespace

BENCHMARK(BM_Word)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllOfThree)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnyOfThree)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Phrase)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhraseWithWordPairs)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Near)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrefixWildcard)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SuffixWildcard)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundsLike)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Boolean)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
