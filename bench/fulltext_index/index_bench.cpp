// Building the word index of a 100,000-record table of real text, and updating the index of
// one record, each beside SQLite FTS5 doing the same work in the same run:
// - build: TtsMake over the table layer's record table into its word table, against an FTS5
//   table filled from a plain SQLite table holding the same records (one transaction);
// - update: editing one record's text through TtsTable (the record written, then its words
//   moved between sets), against an UPDATE of the same row of the FTS5 table.
// Both sides use rollback journals with SQLite's default synchronous setting.

#include "bench/fulltext_index/records_corpus.h"

#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>

namespace {

constexpr int kRecords = 100000;
constexpr int kRecordChars = 500;

const QStringList& records() { return fulltext::bench::Records(kRecords, kRecordChars); }

void exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        qFatal("SQLite: %s (%s)", error ? error : "?", sql);
    }
}

/// The record table (table layer) and the same records in a plain SQLite file.
struct Fixture {
    QTemporaryDir dir;
    sqlite3* fts = nullptr;

    Fixture() {
        const QStringList& texts = records();
        {
            db::Table t;
            t.SetDatabaseName(dir.path());
            t.SetTableName(QStringLiteral("Notes.DB"));
            t.FieldDefs() = {{QStringLiteral("NodeID"), db::FieldType::ftInteger, 0, true},
                             {QStringLiteral("Body"), db::FieldType::ftMemo, 0, false}};
            t.IndexDefs() = {{QString(), QStringLiteral("NodeID"), db::IndexOption::ixPrimary}};
            t.CreateTable();
            t.Open();
            t.StartBatch();
            for (int i = 0; i < kRecords; ++i) {
                t.Append();
                t.FieldByName(QStringLiteral("NodeID"))->SetAsInteger(i + 1);
                t.FieldByName(QStringLiteral("Body"))->SetAsString(texts[i]);
                t.Post();
            }
            t.EndBatch(true);
        }
        const QByteArray path = QFile::encodeName(QDir(dir.path()).filePath(QStringLiteral("fts.db")));
        if (sqlite3_open(path.constData(), &fts) != SQLITE_OK) qFatal("cannot open the FTS5 file");
        exec(fts, "PRAGMA journal_mode=DELETE");
        exec(fts, "CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)");
        exec(fts, "BEGIN");
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(fts, "INSERT INTO notes (id, body) VALUES (?, ?)", -1, &s, nullptr);
        for (int i = 0; i < kRecords; ++i) {
            const QByteArray body = texts[i].toUtf8();
            sqlite3_bind_int(s, 1, i + 1);
            sqlite3_bind_text(s, 2, body.constData(), int(body.size()), SQLITE_TRANSIENT);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        exec(fts, "COMMIT");
    }
    ~Fixture() { sqlite3_close(fts); }

    QString folder() const { return dir.path(); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

bool fts5Available(sqlite3* db) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT sqlite_compileoption_used('ENABLE_FTS5')", -1, &s, nullptr);
    const bool on = sqlite3_step(s) == SQLITE_ROW && sqlite3_column_int(s, 0) == 1;
    sqlite3_finalize(s);
    return on;
}

/// Segment size of the index on disk (-1: none built yet).
int g_builtSegmentSize = -1;

/// Builds the index as the index build window does (4000 KB cache, minimum word length 2,
/// no reverse field), unsegmented (0) or with the given segment size.
void buildTtsIndex(const QString& folder, int segmentSize) {
    db::Table records;
    records.SetDatabaseName(folder);
    records.SetTableName(QStringLiteral("Notes.DB"));
    db::Table words;
    words.SetDatabaseName(folder);
    words.SetTableName(QStringLiteral("NotesDict.DB"));
    TtsMakeTextTableLink text;
    text.SetTable(&records);
    text.SetFieldNames({QStringLiteral("Body")});
    text.SetIndexFieldName(QStringLiteral("NodeID"));
    TtsMakeWordsTableLink wordsLink;  // as the index build window sets it up
    wordsLink.SetTable(&words);
    wordsLink.SetReverseField(false);
    TtsCache cache;
    cache.SetMemoryLimit(4000);
    TtsMake maker;
    maker.SetMinWordLen(2);
    maker.SetSegmentSize(segmentSize);
    maker.SetTextLink(&text);
    maker.SetWordsLink(&wordsLink);
    maker.SetCache(&cache);
    maker.Execute();
    g_builtSegmentSize = segmentSize;
}

void BM_IndexBuild_TtsMake(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) buildTtsIndex(f.folder(), int(state.range(0)));
    state.counters["records"] = kRecords;
}

void BM_IndexBuild_Fts5(benchmark::State& state) {
    Fixture& f = fixture();
    if (!fts5Available(f.fts)) {
        state.SkipWithError("SQLite is built without FTS5");
        return;
    }
    for (auto _ : state) {
        exec(f.fts, "DROP TABLE IF EXISTS ft");
        exec(f.fts, "BEGIN");
        exec(f.fts, "CREATE VIRTUAL TABLE ft USING fts5(body)");
        exec(f.fts, "INSERT INTO ft (rowid, body) SELECT id, body FROM notes");
        exec(f.fts, "COMMIT");
    }
    state.counters["records"] = kRecords;
}

/// The two texts a record alternates between: another record's text (every word changes),
/// or the same text with two words added at its end.
void updateTexts(int id, bool smallEdit, QString texts[2]) {
    texts[0] = records()[id - 1];
    texts[1] = smallEdit ? texts[0] + QStringLiteral(" quagmire zeppelin") : records()[7];
}

/// Edits record `id` to alternate between two texts, so that every post changes its words.
void BM_UpdateOneRecord_TtsTable(benchmark::State& state) {
    Fixture& f = fixture();
    if (g_builtSegmentSize != state.range(1)) buildTtsIndex(f.folder(), int(state.range(1)));
    TtsTable table;
    table.SetDatabaseName(f.folder());
    table.SetTableName(QStringLiteral("Notes.DB"));
    db::Table words;
    words.SetDatabaseName(f.folder());
    words.SetTableName(QStringLiteral("NotesDict.DB"));
    TtsTextTableLink text;
    text.SetTable(&table);
    TtsWordsTableLink wordsLink;
    wordsLink.SetTable(&words);
    TtsCache cache;
    TtsUpdate updater;
    updater.SetTextLink(&text);
    updater.SetWordsLink(&wordsLink);
    updater.SetCache(&cache);
    table.SetUpdater(&updater);
    table.Open();
    const int id = kRecords / 2;
    QString texts[2];
    updateTexts(id, state.range(0) == 1, texts);
    int n = 0;
    const int rowsBefore = wordsLink.RowsWritten() + wordsLink.RowsDeleted();
    for (auto _ : state) {
        table.FindKey({id});
        table.Edit();
        table.FieldByName(QStringLiteral("Body"))->SetAsString(texts[++n % 2]);
        table.Post();
    }
    // word rows written or deleted per update
    state.counters["word_rows"] = benchmark::Counter(double(wordsLink.RowsWritten() + wordsLink.RowsDeleted() - rowsBefore),
                                                     benchmark::Counter::kAvgIterations);
    table.FindKey({id});
    table.Edit();
    table.FieldByName(QStringLiteral("Body"))->SetAsString(texts[0]);
    table.Post();
}

void BM_UpdateOneRow_Fts5(benchmark::State& state) {
    Fixture& f = fixture();
    if (!fts5Available(f.fts)) {
        state.SkipWithError("SQLite is built without FTS5");
        return;
    }
    sqlite3_stmt* exists = nullptr;
    sqlite3_prepare_v2(f.fts, "SELECT 1 FROM sqlite_master WHERE name = 'ft'", -1, &exists, nullptr);
    const bool built = sqlite3_step(exists) == SQLITE_ROW;
    sqlite3_finalize(exists);
    if (!built) {
        exec(f.fts, "BEGIN");
        exec(f.fts, "CREATE VIRTUAL TABLE ft USING fts5(body)");
        exec(f.fts, "INSERT INTO ft (rowid, body) SELECT id, body FROM notes");
        exec(f.fts, "COMMIT");
    }
    const int id = kRecords / 2;
    QString textPair[2];
    updateTexts(id, state.range(0) == 1, textPair);
    const QByteArray texts[2] = {textPair[0].toUtf8(), textPair[1].toUtf8()};
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(f.fts, "UPDATE ft SET body = ? WHERE rowid = ?", -1, &s, nullptr);
    int n = 0;
    for (auto _ : state) {
        const QByteArray& body = texts[++n % 2];
        sqlite3_bind_text(s, 1, body.constData(), int(body.size()), SQLITE_STATIC);
        sqlite3_bind_int(s, 2, id);
        if (sqlite3_step(s) != SQLITE_DONE) state.SkipWithError("UPDATE failed");
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

}  // namespace

// Argument: the segment size (0: unsegmented, as the records core builds its indexes).
BENCHMARK(BM_IndexBuild_TtsMake)->Arg(0)->Arg(4096)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_IndexBuild_Fts5)->Unit(benchmark::kMillisecond)->Iterations(3);
// Arguments: 0 the whole text replaced, 1 two words added and removed; the segment size.
BENCHMARK(BM_UpdateOneRecord_TtsTable)->Args({0, 0})->Args({1, 0})->Args({0, 4096})->Args({1, 4096})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateOneRow_Fts5)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
