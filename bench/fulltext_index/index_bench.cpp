// Building the word index of a 100,000-record table of real text, and updating the index as
// single records change, each beside SQLite FTS5 doing the same work in the same run.
//
// Records: the corpus (each fortune file and manual page once) cut into records of about
// 500 characters; ours in the table layer's record table, FTS5's in a plain SQLite table
// `notes` (id INTEGER PRIMARY KEY, body TEXT) of the same records.
//
// Both sides: rollback journal (journal_mode=DELETE), SQLite's default synchronous setting,
// memory-mapped reads up to 256 MB (the table layer's setting, given to the FTS5
// connection too).
//
// - Build: TtsMake over the record table into a fresh word table (the previous word table
//   file is deleted before the timed part), unsegmented and with segments of 4096 records.
//   FTS5: an external-content table over `notes` (it stores only the index, as ours does),
//   dropped and created empty before the timed part; timed is filling it from `notes` in
//   one transaction. detail=full is FTS5's default (it also stores positions, ours does not);
//   detail=none (record lists only, like ours) is shown beside it.
// - Word pairs: the build of the word-pair index, beside a plain build of a second record
//   table whose records hold the same words followed by each pair of neighbouring words
//   written as one word: the same keys and record sets fed to the plain path.
// - Update: one post per iteration, each to a different record (a stride through the table);
//   a record's first visit changes two of its words, its next visit changes them back
//   (argument 1), or its whole text is replaced by another record's (argument 0). Ours:
//   TtsTable with its updater (the record and its words' sets written, each post one
//   transaction per file). FTS5: UPDATE of `notes`, whose triggers keep the external-content
//   index current (one transaction), the documented way to keep such an index.
// The ratio counters compare ours to FTS5 measured in the same process.

#include "fulltext/testsupport/corpus.h"
#include "fulltext/testsupport/index_builder.h"

#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>

namespace {

constexpr int kRecords = 100000;
constexpr int kRecordChars = 500;
/// Records the update benchmarks visit in turn before coming back to the first.
constexpr int kUpdateRecords = 4000;

const QStringList& records() { return fulltext::testing::CorpusRecords(kRecords, kRecordChars); }

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
    std::map<int, double> lastBuildMs;  ///< per benchmark variant, for the ratios

    Fixture() {
        const QStringList& texts = records();
        if (texts.size() < kRecords) qFatal("The corpus gives only %d records", int(texts.size()));
        fulltext::testing::CreateNotesTable(dir.path(), QStringLiteral("Notes.DB"), texts);
        const QByteArray path = QFile::encodeName(QDir(dir.path()).filePath(QStringLiteral("fts.db")));
        if (sqlite3_open(path.constData(), &fts) != SQLITE_OK) qFatal("cannot open the FTS5 file");
        exec(fts, "PRAGMA journal_mode=DELETE");
        exec(fts, "PRAGMA mmap_size=268435456");
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

    /// The second record table for the word-pair comparison, made on first use.
    void makePairsTable() {
        if (QFile::exists(QDir(folder()).filePath(QStringLiteral("Pairs.DB")))) return;
        QStringList texts;
        texts.reserve(kRecords);
        for (int i = 0; i < kRecords; ++i) {
            const QStringList w = fulltext::testing::SplitWords(records()[i]);
            QString text = w.join(u' ');
            for (int k = 0; k + 1 < w.size(); ++k) text += u' ' + w[k] + QChar(0x00B7) + w[k + 1];
            texts << text;
        }
        fulltext::testing::CreateNotesTable(folder(), QStringLiteral("Pairs.DB"), texts);
    }
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

/// Index layouts of the update benchmarks.
enum Layout { kUnsegmented = 0, kSegmented = 1, kWordPairs = 2 };
/// Layout of the word table on disk (-1: none built yet).
int g_builtLayout = -1;

/// Builds the index as the index build window does (4000 KB cache, minimum word length 2,
/// no reverse field), unsegmented (0) or with the given segment size.
void buildTtsIndex(const QString& folder, const QString& table, int segmentSize, bool wordPairs) {
    QFile::remove(QDir(folder).filePath(QStringLiteral("NotesDict.DB")));
    fulltext::testing::BuildIndex(folder, table, QStringLiteral("NotesDict.DB"), {QStringLiteral("Body")},
                                  [&](TtsMake& maker, TtsMakeWordsTableLink& words) {
                                      words.SetReverseField(false);
                                      dynamic_cast<TtsCustomCache*>(maker.Cache())->SetMemoryLimit(4000);
                                      maker.SetMinWordLen(2);
                                      maker.SetSegmentSize(segmentSize);
                                      maker.SetWordPairs(wordPairs);
                                  });
}

void buildLayout(Layout layout) {
    buildTtsIndex(fixture().folder(), QStringLiteral("Notes.DB"), layout == kSegmented ? 4096 : 0, layout == kWordPairs);
    g_builtLayout = layout;
}

/// Arguments: the segment size (0: unsegmented, as the records core builds its indexes).
void BM_IndexBuild_TtsMake(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(QDir(f.folder()).filePath(QStringLiteral("NotesDict.DB")));
        state.ResumeTiming();
        fulltext::testing::BuildIndex(f.folder(), QStringLiteral("Notes.DB"), QStringLiteral("NotesDict.DB"),
                                      {QStringLiteral("Body")}, [&](TtsMake& maker, TtsMakeWordsTableLink& words) {
                                          words.SetReverseField(false);
                                          dynamic_cast<TtsCustomCache*>(maker.Cache())->SetMemoryLimit(4000);
                                          maker.SetMinWordLen(2);
                                          maker.SetSegmentSize(int(state.range(0)));
                                      });
    }
    g_builtLayout = state.range(0) == 0 ? kUnsegmented : state.range(0) == 4096 ? kSegmented : -1;
    state.counters["records"] = kRecords;
}

/// Argument: 0 FTS5's default detail=full, 1 detail=none.
void BM_IndexBuild_Fts5(benchmark::State& state) {
    Fixture& f = fixture();
    if (!fts5Available(f.fts)) {
        state.SkipWithError("SQLite is built without FTS5");
        return;
    }
    const char* create = state.range(0) == 0
                             ? "CREATE VIRTUAL TABLE ft USING fts5(body, content='notes', content_rowid='id')"
                             : "CREATE VIRTUAL TABLE ft USING fts5(body, content='notes', content_rowid='id', detail=none)";
    for (auto _ : state) {
        state.PauseTiming();
        exec(f.fts, "DROP TABLE IF EXISTS ft");
        exec(f.fts, "VACUUM");
        exec(f.fts, create);
        state.ResumeTiming();
        exec(f.fts, "BEGIN");
        exec(f.fts, "INSERT INTO ft (rowid, body) SELECT id, body FROM notes");
        exec(f.fts, "COMMIT");
    }
    state.counters["records"] = kRecords;
}

/// The word-pair index (argument 1), or a plain index of the same words with each pair of
/// neighbouring words added as a word (argument 0).
void BM_IndexBuild_WordPairs(benchmark::State& state) {
    Fixture& f = fixture();
    const bool pairs = state.range(0) == 1;
    if (!pairs) f.makePairsTable();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(QDir(f.folder()).filePath(QStringLiteral("NotesDict.DB")));
        state.ResumeTiming();
        fulltext::testing::BuildIndex(f.folder(), pairs ? QStringLiteral("Notes.DB") : QStringLiteral("Pairs.DB"),
                                      QStringLiteral("NotesDict.DB"), {QStringLiteral("Body")},
                                      [&](TtsMake& maker, TtsMakeWordsTableLink& words) {
                                          words.SetReverseField(false);
                                          dynamic_cast<TtsCustomCache*>(maker.Cache())->SetMemoryLimit(4000);
                                          maker.SetMinWordLen(2);
                                          maker.SetWordPairs(pairs);
                                      });
    }
    g_builtLayout = pairs ? kWordPairs : -1;
    state.counters["records"] = kRecords;
}

/// The record ids the update benchmarks edit in turn: a stride through the whole table.
int updateId(int n) { return 1 + int((qint64(n % kUpdateRecords) * 7919) % kRecords); }

/// A record's original text, or the text it has after an edit: two of its words (the last
/// two of three or more letters) changed, or the whole text replaced by another record's.
QString editedText(int id, bool smallEdit) {
    const QString& original = records()[id - 1];
    if (!smallEdit) return records()[(id + kRecords / 2) % kRecords];
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
    QString text = original;
    const char* replacements[] = {"zeppelin", "quagmire"};
    int changed = 0;
    qsizetype from = text.size();
    while (changed < 2) {
        QRegularExpressionMatch last;
        for (auto it = word.globalMatch(text.left(from)); it.hasNext();) last = it.next();
        if (!last.hasMatch()) {
            text += u' ' + QString::fromLatin1(replacements[changed++]);
            continue;
        }
        text.replace(last.capturedStart(), last.capturedLength(), QString::fromLatin1(replacements[changed++]));
        from = last.capturedStart();
    }
    return text;
}

/// Argument 0: the whole text replaced, 1: two words changed; argument 1: the layout.
void BM_UpdateOneRecord_TtsTable(benchmark::State& state) {
    Fixture& f = fixture();
    if (g_builtLayout != state.range(1)) buildLayout(Layout(state.range(1)));
    const bool smallEdit = state.range(0) == 1;
    std::vector<QString> originals(kUpdateRecords), edited(kUpdateRecords);
    for (int k = 0; k < kUpdateRecords; ++k) {
        originals[std::size_t(k)] = records()[updateId(k) - 1];
        edited[std::size_t(k)] = editedText(updateId(k), smallEdit);
    }
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
    db::Field* body = table.FieldByName(QStringLiteral("Body"));
    int n = 0;
    const int rowsBefore = wordsLink.RowsWritten() + wordsLink.RowsDeleted();
    for (auto _ : state) {
        const int k = n % kUpdateRecords;
        const bool back = (n / kUpdateRecords) % 2 == 1;
        ++n;
        table.FindKey({updateId(k)});
        table.Edit();
        body->SetAsString(back ? originals[std::size_t(k)] : edited[std::size_t(k)]);
        table.Post();
    }
    // word rows written or deleted per update
    state.counters["word_rows"] = benchmark::Counter(double(wordsLink.RowsWritten() + wordsLink.RowsDeleted() - rowsBefore),
                                                     benchmark::Counter::kAvgIterations);
    // the records edited an odd number of times get their text back (untimed)
    for (int k = 0; k < kUpdateRecords; ++k) {
        const int edits = n / kUpdateRecords + (k < n % kUpdateRecords ? 1 : 0);
        if (edits % 2 == 0) continue;
        table.FindKey({updateId(k)});
        table.Edit();
        body->SetAsString(originals[std::size_t(k)]);
        table.Post();
    }
}

/// The same edits through FTS5 (argument 0 as above); the index is built once, untimed.
void BM_UpdateOneRow_Fts5(benchmark::State& state) {
    Fixture& f = fixture();
    if (!fts5Available(f.fts)) {
        state.SkipWithError("SQLite is built without FTS5");
        return;
    }
    exec(f.fts, "DROP TABLE IF EXISTS ft");
    exec(f.fts, "CREATE VIRTUAL TABLE ft USING fts5(body, content='notes', content_rowid='id')");
    exec(f.fts, "BEGIN");
    exec(f.fts, "INSERT INTO ft (rowid, body) SELECT id, body FROM notes");
    exec(f.fts, "COMMIT");
    exec(f.fts, "CREATE TRIGGER IF NOT EXISTS notes_au AFTER UPDATE ON notes BEGIN "
                "INSERT INTO ft(ft, rowid, body) VALUES('delete', old.id, old.body); "
                "INSERT INTO ft(rowid, body) VALUES (new.id, new.body); END");
    const bool smallEdit = state.range(0) == 1;
    std::vector<QByteArray> originals(kUpdateRecords), edited(kUpdateRecords);
    for (int k = 0; k < kUpdateRecords; ++k) {
        originals[std::size_t(k)] = records()[updateId(k) - 1].toUtf8();
        edited[std::size_t(k)] = editedText(updateId(k), smallEdit).toUtf8();
    }
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(f.fts, "UPDATE notes SET body = ? WHERE id = ?", -1, &s, nullptr);
    auto update = [&](int k, const QByteArray& body) {
        sqlite3_bind_text(s, 1, body.constData(), int(body.size()), SQLITE_STATIC);
        sqlite3_bind_int(s, 2, updateId(k));
        const bool done = sqlite3_step(s) == SQLITE_DONE;
        sqlite3_reset(s);
        return done;
    };
    int n = 0;
    for (auto _ : state) {
        const int k = n % kUpdateRecords;
        const bool back = (n / kUpdateRecords) % 2 == 1;
        ++n;
        if (!update(k, back ? originals[std::size_t(k)] : edited[std::size_t(k)])) state.SkipWithError("UPDATE failed");
    }
    // every record gets its text back (untimed)
    exec(f.fts, "BEGIN");
    for (int k = 0; k < kUpdateRecords; ++k) update(k, originals[std::size_t(k)]);
    exec(f.fts, "COMMIT");
    sqlite3_finalize(s);
    exec(f.fts, "DROP TRIGGER notes_au");
}

}  // namespace

BENCHMARK(BM_IndexBuild_TtsMake)->Arg(0)->Arg(4096)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_IndexBuild_Fts5)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_IndexBuild_WordPairs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
// Arguments: 0 the whole text replaced, 1 two words changed; the layout (0 unsegmented,
// 1 segments of 4096 records, 2 word pairs).
BENCHMARK(BM_UpdateOneRecord_TtsTable)
    ->Args({0, kSegmented})
    ->Args({1, kSegmented})
    ->Args({0, kUnsegmented})
    ->Args({1, kUnsegmented})
    ->Args({0, kWordPairs})
    ->Args({1, kWordPairs})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateOneRow_Fts5)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
