// Master/detail traversal of report pipelines against the same traversal written directly on
// SQLite, on the same table files: Customers (masters) and Items (ten details per master),
// the detail table with an index on its link field CustNo. Texts are lines of the Debian
// package catalogue and the packages' copyright files of this machine.
//
// Each case reads every master and, for each, every detail's text (both sides check the
// same rows: the count of detail rows and the total length of their texts must agree, or
// the program stops). Cases:
// - "_Layer": dataset pipelines over db::Table cursors, master in link order (CustNo);
// - "_LayerByName": the same with the master walked in name order, so each master's
//   details lie anywhere in the detail table;
// - "_LayerScan": by name order with the detail's index seek switched off, the detail
//   moves scanning from the current record (what a pipeline without the seek does; the
//   time grows with masters times rows, so it runs only at the small sizes);
// - "_Table": the same on two db::Table cursors without pipelines (FindNearest per master),
//   to tell the table layer's share from the pipelines';
// - "_Sqlite": one prepared statement "SELECT ... FROM Items WHERE CustNo = ? ORDER BY
//   CustNo, ItemID" per master over the same index, masters read by a second statement.
//
// Both sides use the layer's settings: rollback journal, default synchronous, 256 MB of
// memory-mapped reads (PRAGMA mmap_size, as the layer sets), and each whole traversal in one
// read transaction (db::ReadSnapshot on both files; BEGIN ... COMMIT on the raw connection).
// The argument is the number of masters; rows are masters x 11.

#include "report/model/db_pipeline.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/read_snapshot.h"
#include "platform/db/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kDetailsPerMaster = 10;

/// Distinct non-empty lines of real text on the machine, in a fixed order.
const QStringList& corpusLines() {
    static const QStringList lines = [] {
        QStringList out;
        QSet<QString> seen;
        auto take = [&](const QString& path) {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly)) return;
            while (!f.atEnd()) {
                const QString line = QString::fromUtf8(f.readLine()).trimmed().left(70);
                if (line.size() < 8 || seen.contains(line)) continue;
                seen.insert(line);
                out << line;
            }
        };
        take(QStringLiteral("/var/lib/dpkg/status"));
        QStringList copyrights;
        QDirIterator it(QStringLiteral("/usr/share/doc"), {QStringLiteral("copyright")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) copyrights << it.next();
        copyrights.sort();
        for (const QString& p : copyrights) take(p);
        return out;
    }();
    return lines;
}

QString textAt(int i) {
    const QStringList& lines = corpusLines();
    return lines.at(i % lines.size());
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString customersName(int masters) { return QStringLiteral("Customers%1.DB").arg(masters); }
QString itemsName(int masters) { return QStringLiteral("Items%1.DB").arg(masters); }

/// Makes the two tables for `masters` masters once. Details are appended master by master
/// in a shuffled master order, so the table's own order is not the link order.
void ensureTables(int masters) {
    static QSet<int> made;
    if (made.contains(masters)) return;
    made.insert(masters);
    db::TableDef c;
    c.Fields = {{"CustNo", db::FieldType::ftInteger, 0, true}, {"Company", db::FieldType::ftString, 70, false}};
    c.Indexes = {{"", "CustNo", db::IndexOption::ixPrimary},
                 {"ByCompany", "Company;CustNo", db::IndexOption::ixCaseInsensitive}};
    db::TableDef i;
    i.Fields = {{"ItemID", db::FieldType::ftInteger, 0, true},
                {"CustNo", db::FieldType::ftInteger, 0, false},
                {"Text", db::FieldType::ftString, 70, false}};
    i.Indexes = {{"", "ItemID", db::IndexOption::ixPrimary}, {"ByCust", "CustNo;ItemID", {}}};
    db::CreateTableFile(folder().path(), customersName(masters), c, true);
    db::CreateTableFile(folder().path(), itemsName(masters), i, true);
    db::Table ct, it;
    ct.SetDatabaseName(folder().path());
    ct.SetTableName(customersName(masters));
    it.SetDatabaseName(folder().path());
    it.SetTableName(itemsName(masters));
    ct.Open();
    it.Open();
    ct.StartBatch();
    for (int m = 1; m <= masters; ++m) {
        ct.Append();
        ct.Fields(0)->SetAsInteger(m);
        ct.Fields(1)->SetAsString(textAt(m * 7));
        ct.Post();
    }
    ct.EndBatch(true);
    it.StartBatch();
    int id = 0;
    for (int k = 0; k < masters; ++k) {
        const int m = int((qint64(k) * 7919) % masters) + 1;  // a fixed shuffle of the masters
        for (int d = 0; d < kDetailsPerMaster; ++d) {
            ++id;
            it.Append();
            it.Fields(0)->SetAsInteger(id);
            it.Fields(1)->SetAsInteger(m);
            it.Fields(2)->SetAsString(textAt(masters + id));
            it.Post();
        }
    }
    it.EndBatch(true);
}

struct Result {
    qint64 rows = 0;
    qint64 textLength = 0;
    bool operator==(const Result&) const = default;
};

std::map<std::string, Result>& results() {
    static std::map<std::string, Result> r;
    return r;
}

/// Every case of one size must read the same rows.
void check(const std::string& label, int masters, const Result& r) {
    const std::string key = std::to_string(masters);
    auto [it, added] = results().emplace(key, r);
    if (!added && !(it->second == r)) {
        std::fprintf(stderr, "%s read %lld rows / %lld characters, another case %lld / %lld\n", label.c_str(),
                     static_cast<long long>(r.rows), static_cast<long long>(r.textLength),
                     static_cast<long long>(it->second.rows), static_cast<long long>(it->second.textLength));
        std::exit(1);
    }
    if (r.rows != qint64(masters) * kDetailsPerMaster) {
        std::fprintf(stderr, "%s read %lld detail rows, expected %d\n", label.c_str(), static_cast<long long>(r.rows),
                     masters * kDetailsPerMaster);
        std::exit(1);
    }
}

/// The dataset pipeline with its index seek switched off.
class ScanningPipeline : public TppDBPipeline {
public:
    bool SeekDetailRecords(const QVariantList&) override { return false; }
};

void runLayer(benchmark::State& state, const QString& masterIndex, bool seek, const char* label) {
    const int masters = int(state.range(0));
    ensureTables(masters);
    db::Table ct, it;
    ct.SetDatabaseName(folder().path());
    ct.SetTableName(customersName(masters));
    ct.SetIndexName(masterIndex);
    it.SetDatabaseName(folder().path());
    it.SetTableName(itemsName(masters));
    it.SetIndexName(QStringLiteral("ByCust"));
    db::DataSource cs, is;
    cs.SetDataSet(&ct);
    is.SetDataSet(&it);
    TppDBPipeline master;
    std::unique_ptr<TppDBPipeline> detail(seek ? new TppDBPipeline : new ScanningPipeline);
    master.SetDataSource(&cs);
    detail->SetDataSource(&is);
    detail->SetMasterDataPipeline(&master);
    detail->AddMasterFieldLink(QStringLiteral("CustNo"), QStringLiteral("CustNo"));
    master.Open();
    detail->Open();
    const QString text = QStringLiteral("Text");
    Result r;
    for (auto _ : state) {
        db::ReadSnapshot s1(ct), s2(it);
        r = {};
        for (master.First(); !master.GetEOF(); master.Next())
            for (detail->First(); !detail->GetEOF(); detail->Next()) {
                ++r.rows;
                r.textLength += detail->GetFieldAsString(text).size();
            }
    }
    check(label, masters, r);
    state.SetItemsProcessed(state.iterations() * qint64(masters) * (kDetailsPerMaster + 1));
}

void BM_MasterDetail_Layer(benchmark::State& state) { runLayer(state, {}, true, "Layer"); }
void BM_MasterDetail_LayerByName(benchmark::State& state) {
    runLayer(state, QStringLiteral("ByCompany"), true, "LayerByName");
}
void BM_MasterDetail_LayerScan(benchmark::State& state) {
    runLayer(state, QStringLiteral("ByCompany"), false, "LayerScan");
}

/// The same traversal on two db::Table cursors without pipelines (a seek per master on the
/// detail's link index): what the table layer itself costs.
void BM_MasterDetail_Table(benchmark::State& state) {
    const int masters = int(state.range(0));
    ensureTables(masters);
    db::Table ct, it;
    ct.SetDatabaseName(folder().path());
    ct.SetTableName(customersName(masters));
    it.SetDatabaseName(folder().path());
    it.SetTableName(itemsName(masters));
    it.SetIndexName(QStringLiteral("ByCust"));
    ct.Open();
    it.Open();
    db::Field* custNo = ct.FieldByName(QStringLiteral("CustNo"));
    db::Field* detailCust = it.FieldByName(QStringLiteral("CustNo"));
    db::Field* text = it.FieldByName(QStringLiteral("Text"));
    Result r;
    for (auto _ : state) {
        db::ReadSnapshot s1(ct), s2(it);
        r = {};
        for (ct.First(); !ct.Eof(); ct.Next()) {
            const int c = custNo->AsInteger();
            for (it.FindNearest({c}); !it.Eof() && detailCust->AsInteger() == c; it.Next()) {
                ++r.rows;
                r.textLength += text->AsString().size();
            }
        }
    }
    check("Table", masters, r);
    state.SetItemsProcessed(state.iterations() * qint64(masters) * (kDetailsPerMaster + 1));
}

void BM_MasterDetail_Sqlite(benchmark::State& state) {
    const int masters = int(state.range(0));
    ensureTables(masters);
    sqlite3* db = nullptr;
    const QByteArray path = QDir(folder().path()).filePath(customersName(masters)).toUtf8();
    sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    const QByteArray attach =
        QStringLiteral("ATTACH '%1' AS d").arg(QDir(folder().path()).filePath(itemsName(masters))).toUtf8();
    sqlite3_exec(db, attach.constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA d.mmap_size=268435456", nullptr, nullptr, nullptr);
    sqlite3_stmt* ms = nullptr;
    sqlite3_stmt* ds = nullptr;
    const QByteArray msql = QStringLiteral("SELECT CustNo, Company FROM \"%1\" ORDER BY CustNo").arg(customersName(masters)).toUtf8();
    const QByteArray dsql = QStringLiteral("SELECT ItemID, Text FROM d.\"%1\" WHERE CustNo = ? ORDER BY CustNo, ItemID")
                                .arg(itemsName(masters))
                                .toUtf8();
    if (sqlite3_prepare_v2(db, msql.constData(), -1, &ms, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, dsql.constData(), -1, &ds, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(db));
        return;
    }
    Result r;
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        r = {};
        while (sqlite3_step(ms) == SQLITE_ROW) {
            sqlite3_bind_int(ds, 1, sqlite3_column_int(ms, 0));
            while (sqlite3_step(ds) == SQLITE_ROW) {
                ++r.rows;
                const QString t = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(ds, 1)),
                                                    sqlite3_column_bytes(ds, 1));
                r.textLength += t.size();
            }
            sqlite3_reset(ds);
        }
        sqlite3_reset(ms);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(ms);
    sqlite3_finalize(ds);
    sqlite3_close(db);
    check("Sqlite", masters, r);
    state.SetItemsProcessed(state.iterations() * qint64(masters) * (kDetailsPerMaster + 1));
}

BENCHMARK(BM_MasterDetail_Sqlite)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MasterDetail_Table)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MasterDetail_Layer)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MasterDetail_LayerByName)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MasterDetail_LayerScan)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
