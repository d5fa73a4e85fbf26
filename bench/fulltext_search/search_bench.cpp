// Searches over a 100,000-record index of real text, each kind of query timed beside SQLite
// FTS5 answering the same question over the same records in the same run.
//
// Records: the corpus (each fortune file and manual page once) cut into records of about
// 500 characters. The record table, its word table (and a second word table of the same
// records built with word pairs) and the FTS5 database are built once into
// "fulltext_search_bench_data" under the working folder and reused by later runs.
//
// FTS5: a table holding the records, optimized after the build, opened read-only with the
// table layer's memory-mapped reads (mmap_size 256 MB). Its tokenizer is unicode61 with
// diacritics kept and the characters our default delimiters treat as word characters added
// as token characters, so that both split the text into the same words. Its query statement
// is prepared once, before any timing.
//
// Queries: for every kind, kQueries queries drawn with a fixed seed from the records' own
// words (words of 2 to 15 ASCII letters; phrases are neighbouring words of a record, near
// pairs two words of a record a few words apart, all-of-three three words of one record).
// Each query runs kRuns times on both engines; a query's time is the median of its runs;
// the counters give the median and the 95th percentile over the queries for both engines
// and their ratios. Every query's matching records are compared: `differing` counts the
// queries where the two answers are not the same records. Suffix and sounds-like queries
// have no FTS5 counterpart: they report our time and result count only.
// The searcher runs without a word cache, so that repeated runs do not answer from memory.
//
// Environment knobs: FTS_BENCH_DETAIL=1 prints each query's times and match counts;
// FTS_BENCH_QUERY=<text> runs only the query with that text; FTS_BENCH_QUERIES=<n> runs
// the first n queries of each kind; FTS_BENCH_OURS_ONLY=<n> runs our searches n times and
// FTS5 not at all (for profilers).
#include "bench/common/fts5_tokenizer.h"
#include "bench/common/query_timing.h"

#include "fulltext/testsupport/corpus.h"
#include "fulltext/testsupport/index_builder.h"

#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"
#include "fulltext/ts_text.h"

#include "platform/db/table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kRecords = 100000;
constexpr int kRecordChars = 500;
constexpr int kQueries = 100;
constexpr int kRuns = 5;
/// Our nearness distance: two words match when their positions differ by less than it.
constexpr int kNearWord = 8;
/// The same question in FTS5: NEAR allows this many words between the two.
constexpr int kFtsNear = kNearWord - 2;

/// Changes when the records or the way they are indexed change, so that older data is rebuilt.
const char* const kDataVersion = "corpus-once-2";

QString dataFolder() {
    return QDir::current().absoluteFilePath(QStringLiteral("fulltext_search_bench_data"));
}

const QStringList& records() { return fulltext::testing::CorpusRecords(kRecords, kRecordChars); }

/// A word a query may use: 2 to 15 ASCII letters, not a word of the Boolean language.
bool queryable(const QString& w) {
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]{2,15}$"));
    static const QStringList operators = {QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"),
                                          QStringLiteral("near"), QStringLiteral("phrase"), QStringLiteral("like"),
                                          QStringLiteral("group")};
    return letters.match(w).hasMatch() && !operators.contains(w.toLower());
}

void exec(sqlite3* db, const QByteArray& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("SQLite: %s (%s)", error ? error : "?", sql.constData());
}

void buildTables(const QString& folder) {
    QDir().mkpath(folder);
    fulltext::testing::CreateNotesTable(folder, QStringLiteral("Notes.DB"), records());
    for (bool pairs : {false, true}) {
        QElapsedTimer clock;
        clock.start();
        const QString dict = pairs ? QStringLiteral("NotesPairsDict.DB") : QStringLiteral("NotesDict.DB");
        fulltext::testing::BuildIndex(folder, QStringLiteral("Notes.DB"), dict, {QStringLiteral("Body")},
                                      [&](TtsMake& maker, TtsMakeWordsTableLink&) {
                                          dynamic_cast<TtsCustomCache*>(maker.Cache())->SetMemoryLimit(200000);
                                          maker.SetWordPairs(pairs);
                                      });
        std::fprintf(stderr, "%s built in %lld ms\n", qPrintable(dict), static_cast<long long>(clock.elapsed()));
    }
}

void buildFts(const QString& path, const QByteArray& tokenizer) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    exec(db, "CREATE VIRTUAL TABLE docs USING fts5(body, tokenize='" + tokenizer + "')");
    exec(db, "BEGIN");
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO docs(rowid, body) VALUES(?, ?)", -1, &ins, nullptr);
    for (int i = 0; i < int(records().size()); ++i) {
        const QByteArray utf8 = records()[i].toUtf8();
        sqlite3_bind_int(ins, 1, i + 1);
        sqlite3_bind_text(ins, 2, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    exec(db, "COMMIT");
    exec(db, "INSERT INTO docs(docs) VALUES('optimize')");
    sqlite3_close(db);
}

/// Both engines over the same records, opened once.
struct Engines {
    Engines() {
        const QString folder = dataFolder();
        const QString ftsPath = folder + QStringLiteral("/fts5.db");
        const QString stamp = folder + QStringLiteral("/version");
        QFile stampFile(stamp);
        const bool current = stampFile.open(QIODevice::ReadOnly) && stampFile.readAll() == kDataVersion;
        stampFile.close();
        if (!current) {
            QDir(folder).removeRecursively();
            buildTables(folder);
            buildFts(ftsPath, benchfts::FtsTokenizer(searcher.CharClasses()));
            QFile out(stamp);
            if (out.open(QIODevice::WriteOnly)) out.write(kDataVersion);
        }
        records.SetDatabaseName(folder);
        records.SetTableName(QStringLiteral("Notes.DB"));
        words.SetDatabaseName(folder);
        words.SetTableName(QStringLiteral("NotesDict.DB"));
        textLink.SetTable(&records);
        wordsLink.SetTable(&words);
        searcher.SetTextLink(&textLink);
        searcher.SetWordsLink(&wordsLink);
        searcher.SetNearWord(kNearWord);
        pairWords.SetDatabaseName(folder);
        pairWords.SetTableName(QStringLiteral("NotesPairsDict.DB"));
        pairWordsLink.SetTable(&pairWords);
        pairSearcher.SetTextLink(&textLink);
        pairSearcher.SetWordsLink(&pairWordsLink);
        sqlite3_open_v2(QFile::encodeName(ftsPath).constData(), &fts, SQLITE_OPEN_READONLY, nullptr);
        exec(fts, "PRAGMA mmap_size=268435456");
        // Prepared once, before any timing: a query binds, steps and resets.
        if (sqlite3_prepare_v3(fts, "SELECT rowid FROM docs WHERE docs MATCH ?", -1, SQLITE_PREPARE_PERSISTENT, &match,
                               nullptr) != SQLITE_OK)
            qFatal("SQLite: %s", sqlite3_errmsg(fts));
    }
    ~Engines() {
        sqlite3_finalize(match);
        sqlite3_close(fts);
    }

    /// Runs our search; answers the number of matches.
    int ours(TSearchLogic logic, const QString& query) {
        TtsSearch& s = usePairs ? pairSearcher : searcher;
        s.SetSearchLogic(logic);
        s.SetSearchFor(query);
        s.Execute();
        return s.MatchCount();
    }

    /// The records our last search matched.
    std::vector<qint64> ourIds() {
        TtsSearch& s = usePairs ? pairSearcher : searcher;
        std::vector<qint64> ids;
        const int min = textLink.MinIndex();
        const TwbBits& bits = s.MatchBits();
        for (int b = bits.FirstSetBit(); b >= 0; b = bits.NextSetBit(b)) ids.push_back(min + b);
        return ids;
    }

    /// Runs an FTS5 match and collects every matching rowid.
    std::vector<qint64> fts5(const QByteArray& query) {
        sqlite3_bind_text(match, 1, query.constData(), int(query.size()), SQLITE_STATIC);
        std::vector<qint64> ids;
        while (sqlite3_step(match) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(match, 0));
        sqlite3_reset(match);
        return ids;
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
    sqlite3_stmt* match = nullptr;  ///< the MATCH query, prepared once
};

Engines& engines() {
    static Engines e;
    return e;
}

/// One query: ours as logic and text, FTS5's MATCH text (empty: no FTS5 counterpart).
struct Query {
    TSearchLogic logic;
    QString text;
    QByteArray fts;
};

QByteArray q(const QString& w) { return '"' + w.toUtf8() + '"'; }

/// The queries of every kind, drawn with a fixed seed from the records' own words.
struct QuerySets {
    std::vector<Query> word, allOfThree, anyOfThree, phrase, nearby, prefix, suffix, soundsLike, boolean;

    QuerySets() {
        std::mt19937 rng(19);
        auto recordWords = [&](int minimum) {
            for (;;) {
                const QStringList w = fulltext::testing::SplitWords(records()[int(rng() % records().size())]);
                if (w.size() >= minimum) return w;
            }
        };
        auto anyWord = [&](int minLength = 2) {
            for (;;) {
                const QStringList w = recordWords(1);
                const QString& pick = w[int(rng() % w.size())];
                if (queryable(pick) && pick.size() >= minLength) return pick.toLower();
            }
        };
        while (int(word.size()) < kQueries) {
            const QString w = anyWord();
            word.push_back({slAnd, w, q(w)});
        }
        while (int(allOfThree.size()) < kQueries) {
            const QStringList w = recordWords(3);
            QStringList picked;
            for (int tries = 0; tries < 50 && picked.size() < 3; ++tries) {
                const QString p = w[int(rng() % w.size())].toLower();
                if (queryable(p) && !picked.contains(p)) picked << p;
            }
            if (picked.size() < 3) continue;
            allOfThree.push_back({slAnd, picked.join(u' '), q(picked[0]) + " AND " + q(picked[1]) + " AND " + q(picked[2])});
        }
        while (int(anyOfThree.size()) < kQueries) {
            const QString a = anyWord(), b = anyWord(), c = anyWord();
            anyOfThree.push_back({slOr, a + u' ' + b + u' ' + c, q(a) + " OR " + q(b) + " OR " + q(c)});
        }
        while (int(phrase.size()) < kQueries) {
            const int n = 2 + int(phrase.size() % 2);  // two and three words in turn
            const QStringList w = recordWords(n);
            const int at = int(rng() % (w.size() - n + 1));
            QStringList picked;
            for (int k = 0; k < n; ++k) picked << w[at + k].toLower();
            if (!std::all_of(picked.begin(), picked.end(), queryable)) continue;
            QByteArray match = "\"" + picked.join(u' ').toUtf8() + "\"";
            phrase.push_back({slPhrase, picked.join(u' '), match});
        }
        while (int(nearby.size()) < kQueries) {
            const QStringList w = recordWords(3);
            const int gap = 2 + int(rng() % (kNearWord - 2));  // 1 to kNearWord - 2 words between
            if (w.size() <= gap) continue;
            const int at = int(rng() % (w.size() - gap));
            const QString a = w[at].toLower(), b = w[at + gap].toLower();
            if (!queryable(a) || !queryable(b) || a == b) continue;
            nearby.push_back({slNear, a + u' ' + b, "NEAR(" + q(a) + " " + q(b) + ", " + QByteArray::number(kFtsNear) + ")"});
        }
        while (int(prefix.size()) < kQueries) {
            const QString w = anyWord(5);
            const QString head = w.left(3 + int(rng() % 2));
            prefix.push_back({slAnd, head + u'*', q(head) + "*"});
        }
        while (int(suffix.size()) < kQueries) {
            const QString w = anyWord(6);
            suffix.push_back({slAnd, u'*' + w.right(3 + int(rng() % 2)), {}});
        }
        while (int(soundsLike.size()) < kQueries) soundsLike.push_back({slLike, anyWord(3), {}});
        while (int(boolean.size()) < kQueries) {
            const QString a = anyWord(), b = anyWord(), c = anyWord();
            switch (boolean.size() % 3) {
            case 0:
                boolean.push_back({slExpression, QStringLiteral("(%1 or %2) and not %3").arg(a, b, c),
                                   "(" + q(a) + " OR " + q(b) + ") NOT " + q(c)});
                break;
            case 1:
                boolean.push_back({slExpression, QStringLiteral("%1 and (%2 or %3)").arg(a, b, c),
                                   q(a) + " AND (" + q(b) + " OR " + q(c) + ")"});
                break;
            default:
                boolean.push_back({slExpression, QStringLiteral("%1 and not %2").arg(a, b), q(a) + " NOT " + q(b)});
                break;
            }
        }
    }
};

const QuerySets& queries() {
    static const QuerySets sets;
    return sets;
}

double medianMs(const std::function<void()>& run) { return benchtiming::MedianMs(kRuns, run); }

using benchtiming::Percentile;
using benchtiming::SetTimeCounters;

void runKind(benchmark::State& state, const std::vector<Query>& all) {
    Engines& e = engines();
    std::vector<Query> kind = all;
    if (qEnvironmentVariableIsSet("FTS_BENCH_QUERIES"))
        kind.resize(std::min(kind.size(), std::size_t(qEnvironmentVariableIntValue("FTS_BENCH_QUERIES"))));
    const bool detail = qEnvironmentVariableIsSet("FTS_BENCH_DETAIL");
    for (auto _ : state) {
        std::vector<double> ours, theirs;
        double oursMatches = 0, ftsMatches = 0;
        int differing = 0;
        for (const Query& query : kind) {
            if (qEnvironmentVariableIsSet("FTS_BENCH_QUERY") && query.text != qEnvironmentVariable("FTS_BENCH_QUERY"))
                continue;
            if (qEnvironmentVariableIsSet("FTS_BENCH_OURS_ONLY")) {
                for (int r = 0; r < qEnvironmentVariableIntValue("FTS_BENCH_OURS_ONLY"); ++r) e.ours(query.logic, query.text);
                continue;
            }
            int n = 0;
            ours.push_back(medianMs([&] { n = e.ours(query.logic, query.text); }));
            oursMatches += n;
            if (query.fts.isEmpty()) {
                if (detail) std::fprintf(stderr, "  %-45s ours %8.3f ms (%d)\n", qPrintable(query.text), ours.back(), n);
                continue;
            }
            const std::vector<qint64> mine = e.ourIds();
            std::vector<qint64> ids;
            theirs.push_back(medianMs([&] { ids = e.fts5(query.fts); }));
            ftsMatches += double(ids.size());
            std::sort(ids.begin(), ids.end());
            const bool same = ids == mine;
            if (!same) ++differing;
            if (detail || !same) {
                // the records a phrase or nearness check reads: those holding all its words
                const int candidates = query.logic == slPhrase || query.logic == slNear ? e.ours(slAnd, query.text) : n;
                std::fprintf(stderr, "  %-45s ours %8.3f ms (%d of %d)  fts5 %8.3f ms (%d) %s  ratio %.2f%s\n",
                             qPrintable(query.text), ours.back(), n, candidates, theirs.back(), int(ids.size()),
                             query.fts.constData(), theirs.back() > 0 ? ours.back() / theirs.back() : 0.0,
                             same ? "" : "  DIFFERENT RECORDS");
            }
        }
        if (ours.empty()) continue;
        state.SetIterationTime(Percentile(ours, 0.5) / 1000.0);
        state.counters["queries"] = double(ours.size());
        SetTimeCounters(state, QStringLiteral("ours"), ours, QStringLiteral("ratio"), theirs);
        state.counters["ours_matches"] = oursMatches / double(ours.size());
        if (theirs.empty()) continue;
        SetTimeCounters(state, QStringLiteral("fts5"), theirs);
        state.counters["fts5_matches"] = ftsMatches / double(theirs.size());
        state.counters["differing"] = differing;
    }
}

/// The least any check that reads the candidate records can cost: the candidates (the records
/// holding all the query's words, found by our all-words search, untimed) read with the best
/// raw SQLite loop (one prepared statement by row number, one read transaction, the layer's
/// mmap, the text taken as stored without decoding), beside FTS5 answering the query.
void runReadFloor(benchmark::State& state, const std::vector<Query>& all) {
    Engines& e = engines();
    std::vector<Query> kind = all;
    if (qEnvironmentVariableIsSet("FTS_BENCH_QUERIES"))
        kind.resize(std::min(kind.size(), std::size_t(qEnvironmentVariableIntValue("FTS_BENCH_QUERIES"))));
    sqlite3* raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(dataFolder() + QStringLiteral("/Notes.DB")).constData(), &raw,
                    SQLITE_OPEN_READONLY, nullptr);
    exec(raw, "PRAGMA mmap_size=268435456");
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(raw, "SELECT Body FROM \"Notes.DB\" WHERE rowid = ?", -1, &read, nullptr);
    for (auto _ : state) {
        std::vector<double> floor, theirs;
        double candidates = 0;
        for (const Query& query : kind) {
            e.ours(slAnd, query.text);
            const std::vector<qint64> ids = e.ourIds();
            candidates += double(ids.size());
            qint64 bytes = 0;
            floor.push_back(medianMs([&] {
                exec(raw, "BEGIN");
                for (qint64 id : ids) {
                    sqlite3_bind_int64(read, 1, id);
                    if (sqlite3_step(read) == SQLITE_ROW) {
                        benchmark::DoNotOptimize(sqlite3_column_text(read, 0));
                        bytes += sqlite3_column_bytes(read, 0);
                    }
                    sqlite3_reset(read);
                }
                exec(raw, "COMMIT");
            }));
            benchmark::DoNotOptimize(bytes);
            theirs.push_back(medianMs([&] { e.fts5(query.fts); }));
        }
        state.SetIterationTime(Percentile(floor, 0.5) / 1000.0);
        state.counters["queries"] = double(floor.size());
        state.counters["candidates"] = candidates / double(floor.size());
        SetTimeCounters(state, QStringLiteral("read"), floor, QStringLiteral("ratio"), theirs);
        SetTimeCounters(state, QStringLiteral("fts5"), theirs);
    }
    sqlite3_finalize(read);
    sqlite3_close(raw);
}

void BM_Word(benchmark::State& s) { runKind(s, queries().word); }
void BM_AllOfThree(benchmark::State& s) { runKind(s, queries().allOfThree); }
void BM_AnyOfThree(benchmark::State& s) { runKind(s, queries().anyOfThree); }
void BM_Phrase(benchmark::State& s) { runKind(s, queries().phrase); }
void BM_PhraseWithWordPairs(benchmark::State& s) {
    engines().usePairs = true;
    runKind(s, queries().phrase);
    engines().usePairs = false;
}
void BM_Near(benchmark::State& s) { runKind(s, queries().nearby); }
void BM_PhraseReadFloor(benchmark::State& s) { runReadFloor(s, queries().phrase); }
void BM_NearReadFloor(benchmark::State& s) { runReadFloor(s, queries().nearby); }
void BM_PrefixWildcard(benchmark::State& s) { runKind(s, queries().prefix); }
void BM_SuffixWildcard(benchmark::State& s) { runKind(s, queries().suffix); }
void BM_SoundsLike(benchmark::State& s) { runKind(s, queries().soundsLike); }
void BM_Boolean(benchmark::State& s) { runKind(s, queries().boolean); }

}  // namespace

BENCHMARK(BM_Word)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllOfThree)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnyOfThree)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Phrase)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhraseWithWordPairs)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Near)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhraseReadFloor)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearReadFloor)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrefixWildcard)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SuffixWildcard)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundsLike)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Boolean)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
