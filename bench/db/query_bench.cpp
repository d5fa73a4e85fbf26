// A query data view's query read to the end, beside the same translated text stepped through
// the SQLite C API on the same files. Tables: a tree (NodeID, NodeName) and a View table
// (NodeID, Package, Description), N rows each; texts are distinct lines of the Debian package
// catalogue and the copyright files of this machine. The query: the tree joined to the View on
// NodeID, fields of both, a LIKE criterion, ORDER BY, as the query model writes it for the
// local SQL type.
//
// Cases (every case reads every field of every row as text; the row counts and the total text
// length must agree, or the program stops):
// - "_Component": the query component (db::sql::Query, what the view's data source follows):
//   runs the statement and opens a cursor over the answer held in memory, then walks it;
// - "_TempTable": the earlier road, db::sql::OpenQuery, which copies the answer into a
//   temporary table file first;
// - "_Sqlite": baseline: the text the layer ran (the same translation), prepared on a
//   connection with the same files attached read-only and the same LIKE function (case
//   sensitive, as the layer's), stepped with sqlite3_step and read with sqlite3_column_text.

#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/sql/query.h"
#include "platform/db/sql/query_component.h"
#include "platform/db/sql/sql_functions.h"
#include "platform/db/table.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace {

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

QString textAt(int i) { return corpusLines().at(i % corpusLines().size()); }

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString path(int n) { return folder().filePath(QString::number(n)); }

void ensureTables(int n) {
    static QSet<int> made;
    if (made.contains(n)) return;
    made.insert(n);
    QDir().mkpath(path(n));
    db::CreateTableFile(path(n), "Hierarchy.db",
                        {{{"NodeID", db::FieldType::ftInteger, 0, true}, {"NodeName", db::FieldType::ftString, 70, false}},
                         {{"", "NodeID", db::IndexOption::ixPrimary}}});
    db::CreateTableFile(path(n), "View.db",
                        {{{"NodeID", db::FieldType::ftInteger, 0, true},
                          {"Package", db::FieldType::ftString, 70, false},
                          {"Description", db::FieldType::ftString, 70, false}},
                         {{"", "NodeID", db::IndexOption::ixPrimary}}});
    db::Table tree, view;
    for (db::Table* t : {&tree, &view}) t->SetDatabaseName(path(n));
    tree.SetTableName("Hierarchy.db");
    view.SetTableName("View.db");
    tree.Open();
    view.Open();
    tree.StartBatch();
    view.StartBatch();
    for (int i = 0; i < n; ++i) {
        tree.Append();
        tree.Fields(0)->SetAsInteger(i + 1);
        tree.Fields(1)->SetAsString(textAt(3 * i));
        tree.Post();
        view.Append();
        view.Fields(0)->SetAsInteger(i + 1);
        view.Fields(1)->SetAsString(textAt(3 * i + 1));
        view.Fields(2)->SetAsString(textAt(3 * i + 2));
        view.Post();
    }
    tree.EndBatch(true);
    view.EndBatch(true);
}

const QString kSql = QStringLiteral(
    "SELECT Hierarchy.NodeName, View_.Package, View_.Description\n"
    "FROM \"Hierarchy.db\" Hierarchy\n"
    "      INNER JOIN \"View.db\" View_ ON \n"
    "     (View_.NodeID = Hierarchy.NodeID)\n"
    "WHERE ( View_.Description LIKE \"%an%\" )\n"
    "ORDER BY View_.Package");

struct Answer {
    qint64 rows = 0;
    qint64 length = 0;
};

Answer readTable(db::Table& t) {
    Answer a;
    for (t.First(); !t.Eof(); t.Next()) {
        ++a.rows;
        for (int c = 0; c < t.FieldCount(); ++c) a.length += t.Fields(c)->AsString().size();
    }
    return a;
}

void check(const Answer& a, int n) {
    static QHash<int, QPair<qint64, qint64>> seen;
    const auto key = qMakePair(a.rows, a.length);
    if (!seen.contains(n)) seen.insert(n, key);
    if (seen.value(n) != key || a.rows == 0) {
        std::fprintf(stderr, "answers differ: %lld rows %lld chars\n", a.rows, a.length);
        std::exit(1);
    }
}

void BM_Query_Component(benchmark::State& state) {
    const int n = int(state.range(0));
    ensureTables(n);
    for (auto _ : state) {
        db::sql::Query q;
        q.SetDatabaseName(path(n));
        q.SetSQLText(kSql);
        q.Open();
        check(readTable(q), n);
    }
}

void BM_Query_TempTable(benchmark::State& state) {
    const int n = int(state.range(0));
    ensureTables(n);
    for (auto _ : state) {
        auto cursor = db::sql::OpenQuery(path(n), kSql);
        check(readTable(*cursor), n);
    }
}

void BM_Query_Sqlite(benchmark::State& state) {
    const int n = int(state.range(0));
    ensureTables(n);
    // The text the layer runs, and the connection set up as it sets one up (outside the timing).
    db::sql::Query probe;
    probe.SetDatabaseName(path(n));
    probe.SetSQLText(kSql);
    probe.Open();
    const QByteArray text = probe.SqliteText().toUtf8();
    probe.Close();
    sqlite3* conn = nullptr;
    sqlite3_open_v2(":memory:", &conn, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
    db::RegisterSqlExtensions(conn);
    db::sql::RegisterLocalSqlFunctions(conn);
    int i = 0;
    for (const char* file : {"Hierarchy.db", "View.db"}) {
        QUrl uri = QUrl::fromLocalFile(QDir(path(n)).absoluteFilePath(QString::fromLatin1(file)));
        uri.setQuery(QStringLiteral("mode=ro"));
        const QByteArray attach = QStringLiteral("ATTACH DATABASE '%1' AS \"t%2\"")
                                      .arg(uri.toString(QUrl::FullyEncoded))
                                      .arg(++i)
                                      .toUtf8();
        sqlite3_exec(conn, attach.constData(), nullptr, nullptr, nullptr);
    }
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(conn, text.constData(), int(text.size()), &s, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(conn));
            break;
        }
        Answer a;
        const int columns = sqlite3_column_count(s);
        while (sqlite3_step(s) == SQLITE_ROW) {
            ++a.rows;
            for (int c = 0; c < columns; ++c)
                a.length += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                                              sqlite3_column_bytes(s, c)).size();
        }
        sqlite3_finalize(s);
        check(a, n);
    }
    sqlite3_close(conn);
}

}  // namespace

BENCHMARK(BM_Query_Sqlite)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Query_Component)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Query_TempTable)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
