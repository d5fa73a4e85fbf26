#include "platform/db/sqlite_handles.h"

#include <QByteArray>
#include <QString>

namespace db {

QVariant SqliteColumnValue(sqlite3_stmt* s, int column) {
    switch (sqlite3_column_type(s, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(s, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(s, column));
    case SQLITE_TEXT: {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
        return QVariant(QString::fromUtf8(t, sqlite3_column_bytes(s, column)));
    }
    case SQLITE_BLOB: {
        const void* b = sqlite3_column_blob(s, column);
        return QVariant(QByteArray(static_cast<const char*>(b), sqlite3_column_bytes(s, column)));
    }
    default:
        return QVariant();
    }
}

}  // namespace db
