#include "platform/db/internal/sqlite_util.h"

#include "platform/db/db_error.h"

#include <cstring>

namespace db::internal {

int EngineCodeOf(int result) {
    switch (result & 0xff) {
    case SQLITE_CONSTRAINT:
        if (result == SQLITE_CONSTRAINT_UNIQUE || result == SQLITE_CONSTRAINT_PRIMARYKEY)
            return ErrorCode::kKeyViolation;
        if (result == SQLITE_CONSTRAINT_NOTNULL) return ErrorCode::kRequiredField;
        return ErrorCode::kInvalidValue;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ErrorCode::kTableLocked;
    case SQLITE_CORRUPT:
        return ErrorCode::kCorruptFile;
    case SQLITE_NOTADB:
        return ErrorCode::kCorruptHeader;
    case SQLITE_FULL:
        return ErrorCode::kDiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return ErrorCode::kReadOnly;
    case SQLITE_CANTOPEN:
        return ErrorCode::kTableNotFound;
    default:
        return ErrorCode::kIoError;
    }
}

void RaiseSqlite(sqlite3* db, int result, const QString& context) {
    std::vector<DBError> errors;
    const int code = EngineCodeOf(result);
    errors.push_back({code, EngineMessage(code)});
    if (db) errors.push_back({0, QString::fromUtf8(sqlite3_errmsg(db))});
    if (!context.isEmpty()) errors.push_back({0, context});
    throw EDBEngineError(std::move(errors));
}

QString Quote(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

void Bind(sqlite3_stmt* s, int position, const QVariant& value) {
    if (value.isNull()) {
        sqlite3_bind_null(s, position);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Bool:
    case QMetaType::UInt:
    case QMetaType::Short:
        sqlite3_bind_int64(s, position, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(s, position, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        sqlite3_bind_blob64(s, position, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray u = value.toString().toUtf8();
        sqlite3_bind_text64(s, position, u.constData(), sqlite3_uint64(u.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    }
}

int BindAll(sqlite3_stmt* s, const QVariantList& values, int first) {
    int at = first;
    for (const auto& v : values) Bind(s, at++, v);
    return at;
}

void Exec(sqlite3* db, const QString& sql, const QString& context) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK) RaiseSqlite(db, sqlite3_extended_errcode(db), context);
}

namespace {

bool isAscii(const unsigned char* p, int n) {
    for (int i = 0; i < n; ++i) {
        if (p[i] >= 0x80) return false;
    }
    return true;
}

int nocaseCompare(void*, int n1, const void* p1, int n2, const void* p2) {
    const auto* a = static_cast<const unsigned char*>(p1);
    const auto* b = static_cast<const unsigned char*>(p2);
    if (isAscii(a, n1) && isAscii(b, n2)) {
        const int n = qMin(n1, n2);
        for (int i = 0; i < n; ++i) {
            int ca = a[i], cb = b[i];
            if (ca >= 'A' && ca <= 'Z') ca += 32;
            if (cb >= 'A' && cb <= 'Z') cb += 32;
            if (ca != cb) return ca - cb;
        }
        return n1 - n2;
    }
    const QString sa = QString::fromUtf8(reinterpret_cast<const char*>(a), n1).toCaseFolded();
    const QString sb = QString::fromUtf8(reinterpret_cast<const char*>(b), n2).toCaseFolded();
    const int c = sa.compare(sb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void foldFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const char* t = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray folded = QString::fromUtf8(t, sqlite3_value_bytes(argv[0])).toCaseFolded().toUtf8();
    sqlite3_result_text64(ctx, folded.constData(), sqlite3_uint64(folded.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
}

}  // namespace

void RegisterExtensions(sqlite3* db) {
    sqlite3_create_collation_v2(db, "DOSSARA_NOCASE", SQLITE_UTF8, nullptr, nocaseCompare, nullptr);
    sqlite3_create_function_v2(db, "dossara_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, foldFunction,
                               nullptr, nullptr, nullptr);
}

}  // namespace db::internal
