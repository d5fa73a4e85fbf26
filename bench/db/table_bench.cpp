// Table layer against the SQLite C API on the same file, 100,000 rows shaped like a View
// table (integer key, four alpha fields, a memo). Each case runs as "<case>_Layer" and
// "<case>_Sqlite"; the program ends with the ratio layer / sqlite of every case.
//
// The raw connection has the layer's settings: memory-mapped reads of up to 256 MB
// (PRAGMA mmap_size, as the layer sets on every table file), rollback journal, default
// synchronous. Raw read loops run inside one read transaction, as a skilled user writes
// them; the layer's seeks are measured both as a plain loop of FindKey calls and inside a
// db::ReadSnapshot (the layer's read transaction).

#include "platform/db/database.h"
#include "platform/db/read_snapshot.h"
#include "platform/db/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <set>
#include <memory>
#include <string>

namespace {

constexpr int kRows = 100000;

db::TableDef viewDef() {
    db::TableDef def;
    def.Fields = {{"NodeID", db::FieldType::ftInteger, 0, true},
                  {"Name", db::FieldType::ftString, 40, false},
                  {"City", db::FieldType::ftString, 30, false},
                  {"Code", db::FieldType::ftString, 10, false},
                  {"Remark", db::FieldType::ftString, 80, false},
                  {"Note", db::FieldType::ftMemo, 0, false}};
    def.Indexes = {{"", "NodeID", db::IndexOption::ixPrimary}, {"ByName", "Name", {}}};
    return def;
}

QString nameOf(int i) { return QStringLiteral("Name %1").arg((i * 7919) % kRows, 6, 10, QLatin1Char('0')); }
QString cityOf(int i) { return QStringLiteral("City %1").arg(i % 977); }
QString codeOf(int i) { return QStringLiteral("C%1").arg(i % 10007); }
QString remarkOf(int i) { return QStringLiteral("Remark for row %1, some words of text").arg(i); }
QString noteOf(int i) { return QStringLiteral("A note of a few lines\r\nfor record %1\r\nend\r\n").arg(i); }

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

void createEmpty(const QString& name) {
    QFile::remove(QDir(folder().path()).filePath(name));
    db::CreateTableFile(folder().path(), name, viewDef());
}

void appendLayer(const QString& name) {
    db::Database database;
    database.SetDatabaseName(folder().path());
    database.Open();
    db::Table t;
    t.SetDatabaseName(folder().path());
    t.SetTableName(name);
    t.Open();
    db::Field* f[6];
    for (int i = 0; i < 6; ++i) f[i] = t.Fields(i);
    database.StartTransaction();
    for (int i = 0; i < kRows; ++i) {
        t.Append();
        f[0]->SetAsInteger(i + 1000);
        f[1]->SetAsString(nameOf(i));
        f[2]->SetAsString(cityOf(i));
        f[3]->SetAsString(codeOf(i));
        f[4]->SetAsString(remarkOf(i));
        f[5]->SetAsString(noteOf(i));
        t.Post();
    }
    database.Commit();
}

sqlite3* openRaw(const QString& name) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QDir(folder().path()).filePath(name).toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);  // as the table layer
    return db;
}

void appendRaw(const QString& name) {
    sqlite3* db = openRaw(name);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    const QByteArray sql = QStringLiteral("INSERT INTO \"%1\" VALUES (?, ?, ?, ?, ?, ?)").arg(name).toUtf8();
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    for (int i = 0; i < kRows; ++i) {
        sqlite3_bind_int(s, 1, i + 1000);
        const QByteArray a = nameOf(i).toUtf8(), b = cityOf(i).toUtf8(), c = codeOf(i).toUtf8(), d = remarkOf(i).toUtf8(),
                         e = noteOf(i).toUtf8();
        sqlite3_bind_text(s, 2, a.constData(), int(a.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 3, b.constData(), int(b.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 4, c.constData(), int(c.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 5, d.constData(), int(d.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 6, e.constData(), int(e.size()), SQLITE_STATIC);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

/// The shared filled table of the read cases.
const QString& filled() {
    static const QString name = [] {
        createEmpty(QStringLiteral("View.db"));
        appendRaw(QStringLiteral("View.db"));
        return QStringLiteral("View.db");
    }();
    return name;
}

void BM_Append_Layer(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        createEmpty(QStringLiteral("Append.db"));
        state.ResumeTiming();
        appendLayer(QStringLiteral("Append.db"));
    }
}

void BM_Append_Sqlite(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        createEmpty(QStringLiteral("Append.db"));
        state.ResumeTiming();
        appendRaw(QStringLiteral("Append.db"));
    }
}

void walkLayer(benchmark::State& state, const QString& index, bool backward = false) {
    db::Table t;
    t.SetDatabaseName(folder().path());
    t.SetTableName(filled());
    t.SetIndexName(index);
    t.Open();
    db::Field* f[6];
    for (int i = 0; i < 6; ++i) f[i] = t.Fields(i);
    for (auto _ : state) {
        qint64 sum = 0;
        int rows = 0;
        const auto visit = [&] {
            sum += f[0]->AsInteger();
            for (int i = 1; i < 6; ++i) sum += f[i]->AsString().size();
            ++rows;
        };
        if (backward) {
            for (t.Last(); !t.Bof(); t.Prior()) visit();
        } else {
            for (t.First(); !t.Eof(); t.Next()) visit();
        }
        if (rows != kRows) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(sum);
    }
}

void walkRaw(benchmark::State& state, const char* orderBy) {
    sqlite3* db = openRaw(filled());
    sqlite3_stmt* s = nullptr;
    const QByteArray sql = QStringLiteral("SELECT NodeID, Name, City, Code, Remark, Note FROM \"%1\" ORDER BY %2")
                               .arg(filled(), QLatin1String(orderBy))
                               .toUtf8();
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    for (auto _ : state) {
        qint64 sum = 0;
        int rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            sum += sqlite3_column_int(s, 0);
            for (int i = 1; i < 6; ++i) {
                benchmark::DoNotOptimize(sqlite3_column_text(s, i));
                sum += sqlite3_column_bytes(s, i);
            }
            ++rows;
        }
        sqlite3_reset(s);
        if (rows != kRows) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

void BM_WalkPrimaryQt_Sqlite(benchmark::State& state) {
    sqlite3* db = openRaw(filled());
    sqlite3_stmt* s = nullptr;
    const QByteArray sql = QStringLiteral("SELECT NodeID, Name, City, Code, Remark, Note FROM \"%1\" ORDER BY NodeID").arg(filled()).toUtf8();
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    for (auto _ : state) {
        qint64 sum = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            sum += sqlite3_column_int(s, 0);
            for (int i = 1; i < 6; ++i) {
                const QString t = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)), sqlite3_column_bytes(s, i));
                sum += t.size();
            }
        }
        sqlite3_reset(s);
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}
BENCHMARK(BM_WalkPrimaryQt_Sqlite)->Unit(benchmark::kMillisecond);

void BM_WalkPrimary_Layer(benchmark::State& state) { walkLayer(state, QString()); }
void BM_WalkBackward_Layer(benchmark::State& state) { walkLayer(state, QString(), true); }
void BM_WalkBackward_Sqlite(benchmark::State& state) { walkRaw(state, "NodeID DESC"); }
void BM_WalkPrimary_Sqlite(benchmark::State& state) { walkRaw(state, "NodeID"); }
void BM_WalkSecondary_Layer(benchmark::State& state) { walkLayer(state, QStringLiteral("ByName")); }
void BM_WalkSecondary_Sqlite(benchmark::State& state) { walkRaw(state, "Name, rowid"); }

constexpr int kSeeks = 10000;

void seekLayer(benchmark::State& state, bool snapshot) {
    db::Table t;
    t.SetDatabaseName(folder().path());
    t.SetTableName(filled());
    t.Open();
    db::Field* name = t.FieldByName(QStringLiteral("Name"));
    for (auto _ : state) {
        const db::ReadSnapshot hold = snapshot ? db::ReadSnapshot(t) : db::ReadSnapshot();
        qint64 sum = 0;
        for (int i = 0; i < kSeeks; ++i) {
            if (!t.FindKey({1000 + (i * 7) % kRows})) state.SkipWithError("key not found");
            sum += name->AsString().size();
        }
        benchmark::DoNotOptimize(sum);
    }
}

/// A plain loop of FindKey calls: every seek is a read transaction of its own.
void BM_Seek_Layer(benchmark::State& state) { seekLayer(state, false); }
/// The same loop under one read snapshot.
void BM_SeekInSnapshot_Layer(benchmark::State& state) { seekLayer(state, true); }

/// The raw loop: one prepared statement, all seeks in one read transaction.
void BM_Seek_Sqlite(benchmark::State& state) {
    sqlite3* db = openRaw(filled());
    sqlite3_stmt* s = nullptr;
    const QByteArray sql = QStringLiteral("SELECT NodeID, Name, City, Code, Remark, Note FROM \"%1\" WHERE NodeID = ?")
                               .arg(filled())
                               .toUtf8();
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        qint64 sum = 0;
        for (int i = 0; i < kSeeks; ++i) {
            sqlite3_bind_int(s, 1, 1000 + (i * 7) % kRows);
            if (sqlite3_step(s) != SQLITE_ROW) state.SkipWithError("key not found");
            benchmark::DoNotOptimize(sqlite3_column_text(s, 1));
            sum += sqlite3_column_bytes(s, 1);
            sqlite3_reset(s);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}
/// The same raw loop, the baseline of the snapshot case.
void BM_SeekInSnapshot_Sqlite(benchmark::State& state) { BM_Seek_Sqlite(state); }

BENCHMARK(BM_Append_Layer)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Append_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WalkPrimary_Layer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkPrimary_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkBackward_Layer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkBackward_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Seek_Layer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Seek_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeekInSnapshot_Layer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeekInSnapshot_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkSecondary_Layer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkSecondary_Sqlite)->Unit(benchmark::kMillisecond);

/// Console output plus, at the end, the ratio of every "<case>_Layer" to its "<case>_Sqlite"
/// (medians with --benchmark_repetitions=N).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // the median of repetitions when there are several, else the one run
        for (const auto& r : runs) {
            if (r.error_occurred) continue;
            const std::string name = r.run_name.function_name;
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
                m_times[name] = r.GetAdjustedRealTime();
                m_fromMedian.insert(name);
            } else if (r.run_type == Run::RT_Iteration && !m_fromMedian.count(name)) {
                m_times[name] = r.GetAdjustedRealTime();
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nratio layer / sqlite (target <= 2.5):\n");
        for (const auto& [name, time] : m_times) {
            const auto at = name.find("_Layer");
            if (at == std::string::npos) continue;
            std::string base = name;
            base.replace(at, 6, "_Sqlite");
            auto it = m_times.find(base);
            if (it == m_times.end() || it->second <= 0) continue;
            std::printf("  %-28s %6.2f\n", name.substr(3, at - 3).c_str(), time / it->second);
        }
    }

private:
    std::map<std::string, double> m_times;
    std::set<std::string> m_fromMedian;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
