#pragma once

#include "platform/db/sqlite_handles.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <sqlite3.h>

#include <memory>

namespace db::internal {

using ConnectionPtr = SqliteConnectionPtr;
using StatementPtr = SqliteStatementPtr;

/// Resets a statement (and clears its bindings) when the scope ends, so no statement stays
/// open between calls: an open statement would hold the file's read lock.
class StatementReset {
public:
    explicit StatementReset(sqlite3_stmt* s) : m_s(s) {}
    ~StatementReset() {
        sqlite3_reset(m_s);
        sqlite3_clear_bindings(m_s);
    }
    StatementReset(const StatementReset&) = delete;
    StatementReset& operator=(const StatementReset&) = delete;

private:
    sqlite3_stmt* m_s;
};

/// Engine error code for a SQLite result code (extended codes understood).
int EngineCodeOf(int sqliteResult);
/// Throws EDBEngineError for a failed SQLite call: the engine code, then the SQLite text
/// and the context given (the table file).
[[noreturn]] void RaiseSqlite(sqlite3* db, int result, const QString& context);

/// A name quoted for SQL: "a""b".
QString Quote(const QString& name);

/// Binds a storage value (null, qlonglong/int/bool, double, QString, QByteArray).
void Bind(sqlite3_stmt* s, int position, const QVariant& value);
/// Binds values to the placeholders from `first` on, in order; answers the next position.
int BindAll(sqlite3_stmt* s, const QVariantList& values, int first = 1);
/// Reads a column as a storage value.
inline QVariant ColumnValue(sqlite3_stmt* s, int column) { return SqliteColumnValue(s, column); }

/// Runs statements without results; throws EDBEngineError on failure.
void Exec(sqlite3* db, const QString& sql, const QString& context);

/// Registers the layer's collation "DOSSARA_NOCASE" (Unicode case-insensitive) and the
/// function dossara_fold(text) on a connection.
void RegisterExtensions(sqlite3* db);

}  // namespace db::internal
