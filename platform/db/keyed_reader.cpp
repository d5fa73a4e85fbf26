#include "platform/db/keyed_reader.h"

#include "platform/db/db_error.h"
#include "platform/db/internal/sqlite_util.h"
#include "platform/db/internal/table_file.h"
#include "platform/db/read_snapshot.h"
#include "platform/db/table.h"

#include <sqlite3.h>

namespace db {

KeyedReader::KeyedReader(const Table& table, const QString& keyField, const QStringList& fields) {
    m_file = ReadSnapshot::FileOf(table);
    const QString ctx = QStringLiteral("Table: %1").arg(table.TableName());
    if (!m_file) Raise(ErrorCode::kTableClosed, ctx);
    const TableDef& def = table.Definition();
    const int key = def.FieldIndex(keyField);
    if (key < 0 || !IsIntegerType(def.Fields[std::size_t(key)].DataType))
        Raise(ErrorCode::kInvalidValue, QStringLiteral("%1. %2 is not an integer field.").arg(ctx, keyField));
    QStringList columns;
    for (const QString& name : fields) {
        const int f = def.FieldIndex(name);
        if (f < 0 || !IsTextType(def.Fields[std::size_t(f)].DataType))
            Raise(ErrorCode::kInvalidValue, QStringLiteral("%1. %2 is not a text field.").arg(ctx, name));
        columns << internal::Quote(def.Fields[std::size_t(f)].Name);
    }
    if (columns.isEmpty()) columns << QStringLiteral("NULL");
    const QString keyColumn = internal::Quote(def.Fields[std::size_t(key)].Name);
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY %3, rowid LIMIT 1")
                               .arg(columns.join(QStringLiteral(", ")), m_file->rowTable(), keyColumn)
                               .toUtf8();
    sqlite3* db = m_file->db();
    if (sqlite3_prepare_v3(db, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr) !=
        SQLITE_OK)
        internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    m_texts.resize(std::size_t(fields.size()));
    m_sizes.assign(std::size_t(fields.size()), -1);
}

KeyedReader::~KeyedReader() { sqlite3_finalize(m_statement); }

bool KeyedReader::Read(qint64 key) {
    // The row is decoded at once and the statement reset, so that no read stays open on the
    // file between calls.
    struct Reset {
        sqlite3_stmt* s;
        ~Reset() { sqlite3_reset(s); }
    } reset{m_statement};
    sqlite3_bind_int64(m_statement, 1, key);
    const int rc = sqlite3_step(m_statement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        sqlite3* db = m_file->db();
        internal::RaiseSqlite(db, sqlite3_extended_errcode(db), QStringLiteral("Table: %1").arg(m_file->path()));
    }
    m_row = rc == SQLITE_ROW;
    for (std::size_t f = 0; f < m_texts.size(); ++f) {
        const int column = int(f);
        if (!m_row || sqlite3_column_type(m_statement, column) == SQLITE_NULL) {
            m_sizes[f] = -1;
            continue;
        }
        const char* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        const int n = sqlite3_column_bytes(m_statement, column);
        QString& buffer = m_texts[f];
        const qsizetype needed = m_decoder.requiredSpace(n);
        if (buffer.size() < needed) buffer.resize(needed);
        m_decoder.resetState();
        const QChar* end = m_decoder.appendToBuffer(buffer.data(), QByteArrayView(bytes, n));
        m_sizes[f] = end - buffer.constData();
    }
    return m_row;
}

bool KeyedReader::IsNull(int i) const { return m_sizes[std::size_t(i)] < 0; }

QStringView KeyedReader::Text(int i) const {
    const qsizetype size = m_sizes[std::size_t(i)];
    return size < 0 ? QStringView() : QStringView(m_texts[std::size_t(i)].constData(), size);
}

}  // namespace db
