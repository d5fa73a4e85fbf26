#pragma once

#include <QVariant>

#include <sqlite3.h>

#include <memory>

namespace db {

// Handles for parts of the system that open SQLite connections of their own over table
// files (the SQL layer attaches them; see RegisterSqlExtensions).

struct SqliteConnectionCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteStatementFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using SqliteConnectionPtr = std::unique_ptr<sqlite3, SqliteConnectionCloser>;
using SqliteStatementPtr = std::unique_ptr<sqlite3_stmt, SqliteStatementFinalizer>;

/// A column of the statement's current row as a storage value: null, qlonglong, double,
/// QString (from UTF-8) or QByteArray.
QVariant SqliteColumnValue(sqlite3_stmt* s, int column);

}  // namespace db
