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
    const QString keyColumn = internal::Quote(def.Fields[std::size_t(key)].Name);
    columns << keyColumn;
    m_sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY %3, rowid LIMIT 1")
                .arg(columns.join(QStringLiteral(", ")), m_file->RowTable(), keyColumn);
    // Rows are often stored in the order of their key with row numbers equal to it (records
    // appended as their numbers are given out): then the row numbered like the key is the
    // row, when the key is unique. A probe by row number costs one look-up instead of two.
    for (const IndexDef& index : def.Indexes) {
        const QStringList indexFields = index.FieldList();
        const bool unique =
            index.Options.testFlag(IndexOption::ixPrimary) || index.Options.testFlag(IndexOption::ixUnique);
        if (unique && indexFields.size() == 1 && indexFields[0].compare(keyField, Qt::CaseInsensitive) == 0)
            m_probeSql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                             .arg(columns.join(QStringLiteral(", ")), m_file->RowTable());
    }
    m_texts.resize(std::size_t(fields.size()));
    m_sizes.assign(std::size_t(fields.size()), -1);
    m_file->Statement(m_sql);  // prepared now: a malformed table fails here, not at the first read
}

KeyedReader::~KeyedReader() = default;

bool KeyedReader::Read(qint64 key) {
    const int keyColumn = int(m_texts.size());
    // The row is decoded at once and the statement reset, so that no read stays open on the
    // file between calls.
    auto run = [&](const QString& sql, qint64 value, bool probe) {
        sqlite3_stmt* s = m_file->Statement(sql);
        struct Reset {
            sqlite3_stmt* s;
            ~Reset() { sqlite3_reset(s); }
        } reset{s};
        sqlite3_bind_int64(s, 1, value);
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            sqlite3* db = m_file->Db();
            internal::RaiseSqlite(db, sqlite3_extended_errcode(db), QStringLiteral("Table: %1").arg(m_file->Path()));
        }
        if (rc != SQLITE_ROW) return false;
        if (probe && (sqlite3_column_type(s, keyColumn) != SQLITE_INTEGER || sqlite3_column_int64(s, keyColumn) != key))
            return false;
        decode(s);
        return true;
    };
    if (!m_probeSql.isEmpty()) {
        if (run(m_probeSql, key, true)) {
            ++m_probeHits;
            m_row = true;
            return true;
        }
        // rows not laid out that way: stop probing once misses clearly outnumber hits
        if (++m_probeMisses > m_probeHits + kProbeMissesAllowed) m_probeSql.clear();
    }
    m_row = run(m_sql, key, false);
    if (!m_row) std::fill(m_sizes.begin(), m_sizes.end(), -1);
    return m_row;
}

void KeyedReader::decode(sqlite3_stmt* s) {
    for (std::size_t f = 0; f < m_texts.size(); ++f) {
        const int column = int(f);
        if (sqlite3_column_type(s, column) == SQLITE_NULL) {
            m_sizes[f] = -1;
            continue;
        }
        const char* bytes = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
        const int n = sqlite3_column_bytes(s, column);
        QString& buffer = m_texts[f];
        const qsizetype needed = m_decoder.requiredSpace(n);
        if (buffer.size() < needed) buffer.resize(needed);
        m_decoder.resetState();
        const QChar* end = m_decoder.appendToBuffer(buffer.data(), QByteArrayView(bytes, n));
        m_sizes[f] = end - buffer.constData();
    }
}

bool KeyedReader::IsNull(int i) const {
    return m_sizes[std::size_t(i)] < 0;
}

QStringView KeyedReader::Text(int i) const {
    const qsizetype size = m_sizes[std::size_t(i)];
    return size < 0 ? QStringView() : QStringView(m_texts[std::size_t(i)].constData(), size);
}

}  // namespace db
