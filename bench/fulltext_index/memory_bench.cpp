// Memory of an index build and of a search session over about 290,000 records of real text,
// beside SQLite FTS5 doing the same work.
//
// Records: the whole corpus (each fortune file and manual page once) cut into records of
// about 350 characters, in the table layer's record table and in a plain SQLite table
// `notes` with an FTS5 external-content index; built once into "fulltext_memory_bench_data"
// under the working folder.
//
// How memory is measured: each case runs in a fresh process of this program (nothing of the
// corpus in it), where a thread reads /proc/self/statm every millisecond; the figure is the
// peak of resident minus shared pages, i.e. the process's anonymous resident memory (heap,
// stacks). Pages of memory-mapped table files are file pages the system can reclaim at
// any time and are not counted there. `peak_mb` is that peak; `start_mb` the same figure once
// the tables are open, before the work starts. `hwm_mb` is the process's peak resident
// memory (VmHWM) at the end: every page it held resident at once, mapped file pages and the
// program's own code included, from its start.
//
// - Build: TtsMake with the index build window's settings (4000 KB cache, minimum word
//   length 2), unsegmented and with segments of 4096 records; FTS5: the external-content
//   index filled from `notes` in one transaction.
// - Search session: the searcher with a search cache of the records core's default size
//   (1000 KB) runs 500 queries (word, all of three, phrase, near, prefix; 100 each, drawn from
//   the records' own words); FTS5 runs the same queries through one statement prepared
//   before the measured part. FTS5's tokenizer splits where ours does (unicode61 with
//   diacritics kept and our word characters added), so both find the same records; each
//   side prints its total number of matches.

#include "bench/common/fts5_tokenizer.h"
#include "bench/common/process_memory.h"

#include "fulltext/testsupport/corpus.h"
#include "fulltext/testsupport/index_builder.h"

#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <random>

namespace {

constexpr int kRecords = 290000;
constexpr int kRecordChars = 350;
const char* const kDataVersion = "memory-2";

QString dataFolder() { return QDir::current().absoluteFilePath(QStringLiteral("fulltext_memory_bench_data")); }
QString ftsPath() { return dataFolder() + QStringLiteral("/fts.db"); }

void exec(sqlite3* db, const QByteArray& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("SQLite: %s (%s)", error ? error : "?", sql.constData());
}

/// FTS5's tokenizer split where ours splits (our default word characters), so both sides
/// index and find the same words.
QByteArray ftsTokenizer() {
    TtsSearch searcher;
    return benchfts::FtsTokenizer(searcher.CharClasses());
}

using benchmemory::AnonymousBytes;
using benchmemory::PeakSampler;

// ---- the work done in the measured process ------------------------------------------------

struct QueryLine {
    TSearchLogic logic;
    QString ours;
    QByteArray fts;
};

std::vector<QueryLine> readQueries() {
    std::vector<QueryLine> lines;
    QFile f(dataFolder() + QStringLiteral("/queries.txt"));
    if (!f.open(QIODevice::ReadOnly)) qFatal("no queries file");
    while (!f.atEnd()) {
        const QList<QByteArray> parts = f.readLine().trimmed().split('\t');
        if (parts.size() == 3) lines.push_back({TSearchLogic(parts[0].toInt()), QString::fromUtf8(parts[1]), parts[2]});
    }
    return lines;
}

void workBuild(int segmentSize) {
    QFile::remove(dataFolder() + QStringLiteral("/NotesDict.DB"));
    fulltext::testing::BuildIndex(dataFolder(), QStringLiteral("Notes.DB"), QStringLiteral("NotesDict.DB"),
                                  {QStringLiteral("Body")}, [&](TtsMake& maker, TtsMakeWordsTableLink& words) {
                                      words.SetReverseField(false);
                                      dynamic_cast<TtsCustomCache*>(maker.Cache())->SetMemoryLimit(4000);
                                      maker.SetMinWordLen(2);
                                      maker.SetSegmentSize(segmentSize);
                                  });
}

void workFtsBuild(sqlite3* db) {
    exec(db, "BEGIN");
    exec(db, "INSERT INTO ft (rowid, body) SELECT id, body FROM notes");
    exec(db, "COMMIT");
}

/// Runs `work` between two samples; prints "start peak hwm" in bytes: anonymous memory
/// before and at its peak, and the process's peak resident memory.
int measure(const std::function<void()>& prepare, const std::function<void()>& work) {
    prepare();
    const qint64 start = AnonymousBytes();
    PeakSampler sampler;
    work();
    const qint64 peak = sampler.stop();
    std::printf("%lld %lld %lld\n", static_cast<long long>(start), static_cast<long long>(peak),
                static_cast<long long>(benchmemory::PeakResidentBytes()));
    return 0;
}

int child(const QString& what) {
    if (what == QLatin1String("build") || what == QLatin1String("build-segmented")) {
        return measure([] {}, [&] { workBuild(what == QLatin1String("build") ? 0 : 4096); });
    }
    if (what == QLatin1String("fts-build")) {
        sqlite3* db = nullptr;
        return measure(
            [&] {
                sqlite3_open(QFile::encodeName(ftsPath()).constData(), &db);
                exec(db, "PRAGMA mmap_size=268435456");
                exec(db, "DROP TABLE IF EXISTS ft");
                exec(db, "VACUUM");
                exec(db, "CREATE VIRTUAL TABLE ft USING fts5(body, content='notes', content_rowid='id', tokenize='" +
                             ftsTokenizer() + "')");
            },
            [&] {
                workFtsBuild(db);
                sqlite3_close(db);
            });
    }
    const std::vector<QueryLine> queries = readQueries();
    if (what == QLatin1String("search")) {
        db::Table records;
        db::Table words;
        TtsTextTableLink text;
        TtsWordsTableLink wordsLink;
        TtsCache cache;
        TtsSearch searcher;
        return measure(
            [&] {
                records.SetDatabaseName(dataFolder());
                records.SetTableName(QStringLiteral("Notes.DB"));
                words.SetDatabaseName(dataFolder());
                words.SetTableName(QStringLiteral("NotesDict.DB"));
                text.SetTable(&records);
                wordsLink.SetTable(&words);
                searcher.SetTextLink(&text);
                searcher.SetWordsLink(&wordsLink);
                searcher.SetCache(&cache);
                records.Open();
                words.Open();
            },
            [&] {
                qint64 matches = 0;
                for (const QueryLine& q : queries) {
                    searcher.SetSearchLogic(q.logic);
                    searcher.SetSearchFor(q.ours);
                    searcher.Execute();
                    matches += searcher.MatchCount();
                }
                std::fprintf(stderr, "matches %lld\n", static_cast<long long>(matches));
            });
    }
    if (what == QLatin1String("fts-search")) {
        sqlite3* db = nullptr;
        sqlite3_stmt* st = nullptr;
        return measure(
            [&] {
                sqlite3_open_v2(QFile::encodeName(ftsPath()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
                exec(db, "PRAGMA mmap_size=268435456");
                sqlite3_prepare_v3(db, "SELECT rowid FROM ft WHERE ft MATCH ?", -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
            },
            [&] {
                qint64 matches = 0;
                for (const QueryLine& q : queries) {
                    sqlite3_bind_text(st, 1, q.fts.constData(), int(q.fts.size()), SQLITE_STATIC);
                    std::vector<qint64> ids;
                    while (sqlite3_step(st) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(st, 0));
                    sqlite3_reset(st);
                    matches += qint64(ids.size());
                }
                std::fprintf(stderr, "matches %lld\n", static_cast<long long>(matches));
                sqlite3_finalize(st);
                sqlite3_close(db);
            });
    }
    return 2;
}

// ---- the benchmark process --------------------------------------------------------------

void writeQueries(const QStringList& recs) {
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]{2,15}$"));
    static const QStringList operators = {QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"),
                                          QStringLiteral("near")};
    auto ok = [&](const QString& w) { return letters.match(w).hasMatch() && !operators.contains(w.toLower()); };
    std::mt19937 rng(29);
    QFile f(dataFolder() + QStringLiteral("/queries.txt"));
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the queries");
    QTextStream out(&f);
    auto qt = [](const QString& w) { return QStringLiteral("\"%1\"").arg(w); };
    int counts[5] = {};
    while (counts[0] + counts[1] + counts[2] + counts[3] + counts[4] < 500) {
        const QStringList w = fulltext::testing::SplitWords(recs[int(rng() % recs.size())]);
        if (w.size() < 8) continue;
        const int at = int(rng() % (w.size() - 7));
        const QString a = w[at].toLower(), b = w[at + 1].toLower(), c = w[at + 5].toLower();
        if (!ok(a) || !ok(b) || !ok(c) || a == b || a == c || b == c) continue;
        const int kind = int(rng() % 5);
        if (counts[kind] >= 100) continue;
        ++counts[kind];
        switch (kind) {
        case 0: out << int(slAnd) << '\t' << a << '\t' << qt(a) << '\n'; break;
        case 1: out << int(slAnd) << '\t' << a << ' ' << b << ' ' << c << '\t' << qt(a) << " AND " << qt(b) << " AND " << qt(c) << '\n'; break;
        case 2: out << int(slPhrase) << '\t' << a << ' ' << b << "\t\"" << a << ' ' << b << "\"\n"; break;
        case 3: out << int(slNear) << '\t' << a << ' ' << c << "\tNEAR(" << qt(a) << ' ' << qt(c) << ", 6)\n"; break;
        default: out << int(slAnd) << '\t' << a.left(3) << "*\t" << qt(a.left(3)) << "*\n"; break;
        }
    }
}

void prepareData() {
    static bool done = false;
    if (done) return;
    done = true;
    QFile stamp(dataFolder() + QStringLiteral("/version"));
    if (stamp.open(QIODevice::ReadOnly) && stamp.readAll() == kDataVersion) return;
    stamp.close();
    QDir(dataFolder()).removeRecursively();
    QDir().mkpath(dataFolder());
    const QStringList& recs = fulltext::testing::CorpusRecords(kRecords, kRecordChars);
    fulltext::testing::CreateNotesTable(dataFolder(), QStringLiteral("Notes.DB"), recs);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(ftsPath()).constData(), &db);
    exec(db, "PRAGMA journal_mode=DELETE");
    exec(db, "CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)");
    exec(db, "BEGIN");
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO notes (id, body) VALUES (?, ?)", -1, &s, nullptr);
    for (int i = 0; i < int(recs.size()); ++i) {
        const QByteArray body = recs[i].toUtf8();
        sqlite3_bind_int(s, 1, i + 1);
        sqlite3_bind_text(s, 2, body.constData(), int(body.size()), SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    exec(db, "COMMIT");
    exec(db, "CREATE VIRTUAL TABLE ft USING fts5(body, content='notes', content_rowid='id', tokenize='" + ftsTokenizer() +
                 "')");
    workFtsBuild(db);
    sqlite3_close(db);
    writeQueries(recs);
    if (stamp.open(QIODevice::WriteOnly)) stamp.write(kDataVersion);
    std::fprintf(stderr, "%d records\n", int(recs.size()));
}

/// Runs one case in a fresh process and reports its memory.
void runChild(benchmark::State& state, const char* what, bool needsIndex = false) {
    prepareData();
    if (needsIndex && !QFile::exists(dataFolder() + QStringLiteral("/NotesDict.DB"))) {
        QProcess p;
        p.start(QStringLiteral("/proc/self/exe"), {QStringLiteral("--memory-child"), QStringLiteral("build")});
        p.waitForFinished(-1);
    }
    for (auto _ : state) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral("/proc/self/exe"), {QStringLiteral("--memory-child"), QString::fromLatin1(what)});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            state.SkipWithError("the measured process failed");
            return;
        }
        const QList<QByteArray> v = p.readAllStandardOutput().trimmed().split(' ');
        if (v.size() != 3) {
            state.SkipWithError("no measurement");
            return;
        }
        state.counters["start_mb"] = v[0].toDouble() / 1048576.0;
        state.counters["peak_mb"] = v[1].toDouble() / 1048576.0;
        state.counters["hwm_mb"] = v[2].toDouble() / 1048576.0;
    }
    state.counters["records"] = kRecords;
}

void BM_BuildMemory_TtsMake(benchmark::State& s) { runChild(s, s.range(0) == 0 ? "build" : "build-segmented"); }
void BM_BuildMemory_Fts5(benchmark::State& s) { runChild(s, "fts-build"); }
void BM_SearchMemory_TtsSearch(benchmark::State& s) { runChild(s, "search", true); }
void BM_SearchMemory_Fts5(benchmark::State& s) { runChild(s, "fts-search"); }

}  // namespace

BENCHMARK(BM_BuildMemory_TtsMake)->Arg(4096)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_BuildMemory_Fts5)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SearchMemory_TtsSearch)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SearchMemory_Fts5)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--memory-child") == 0) {
        QCoreApplication app(argc, argv);
        return child(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
