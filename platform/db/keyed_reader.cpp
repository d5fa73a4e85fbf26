#include "platform/db/keyed_reader.h"

#include "platform/db/db_error.h"
#include "platform/db/internal/sqlite_util.h"
#include "platform/db/internal/table_file.h"
#include "platform/db/read_snapshot.h"
#include "platform/db/table.h"

#include <sqlite3.h>

namespace db {

namespace {

/// The position of integer field `name` in the definition; raises kInvalidValue when it is
/// missing or of another type.
int integerField(const TableDef& def, const QString& name, const QString& ctx) {
    const int field = def.FieldIndex(name);
    if (field < 0 || !IsIntegerType(def.Fields[std::size_t(field)].DataType))
        Raise(ErrorCode::kInvalidValue, QStringLiteral("%1. %2 is not an integer field.").arg(ctx, name));
    return field;
}

}  // namespace

KeyedReader::KeyedReader(const Table& table, const QString& keyField, const QStringList& fields) {
    m_file = ReadSnapshot::FileOf(table);
    const QString ctx = QStringLiteral("Table: %1").arg(table.TableName());
    if (!m_file) Raise(ErrorCode::kTableClosed, ctx);
    const TableDef& def = table.Definition();
    const int key = integerField(def, keyField, ctx);
    QStringList columns;
    for (const QString& name : fields) {
        const int f = def.FieldIndex(name);
        const bool integer = f >= 0 && IsIntegerType(def.Fields[std::size_t(f)].DataType);
        if (f < 0 || !(integer || IsTextType(def.Fields[std::size_t(f)].DataType)))
            Raise(ErrorCode::kInvalidValue, QStringLiteral("%1. %2 is not a text or integer field.").arg(ctx, name));
        columns << internal::Quote(def.Fields[std::size_t(f)].Name);
        m_integer.push_back(integer);
    }
    const QString keyColumn = internal::Quote(def.Fields[std::size_t(key)].Name);
    columns << keyColumn;
    m_sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY %3, rowid LIMIT 1")
                .arg(columns.join(QStringLiteral(", ")), m_file->RowTable(), keyColumn);
    // Rows are often stored in the order of their key with row numbers equal to it (records
    // appended as their numbers are given out): then the row numbered like the key is the
    // row, when the key is unique. A probe by row number costs one look-up instead of two.
    bool probe = false;
    for (const IndexDef& index : def.Indexes) {
        const QStringList indexFields = index.FieldList();
        const bool unique =
            index.Options.testFlag(IndexOption::ixPrimary) || index.Options.testFlag(IndexOption::ixUnique);
        if (unique && indexFields.size() == 1 && indexFields[0].compare(keyField, Qt::CaseInsensitive) == 0) probe = true;
    }
    m_texts.resize(std::size_t(fields.size()));
    m_sizes.assign(std::size_t(fields.size()), -1);
    m_integers.assign(std::size_t(fields.size()), 0);
    m_file->Statement(m_sql);  // prepared now: a malformed table fails here, not at the first read
    if (probe) {
        // The walk is the reader's own statement: it stays open between reads, which a
        // statement shared through the file's cache must not.
        const QByteArray walk = QStringLiteral("SELECT %1, rowid FROM %2 WHERE rowid >= ?")
                                    .arg(columns.join(QStringLiteral(", ")), m_file->RowTable())
                                    .toUtf8();
        sqlite3* db = m_file->Db();
        if (sqlite3_prepare_v3(db, walk.constData(), int(walk.size()), SQLITE_PREPARE_PERSISTENT, &m_walk, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_walk);
            m_walk = nullptr;
            internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
        }
        m_file->AddOpenScan(m_walk);
    }
}

KeyedReader::~KeyedReader() {
    if (!m_walk) return;
    m_file->RemoveOpenScan(m_walk);
    sqlite3_finalize(m_walk);
}

bool KeyedReader::stepWalk() {
    const int rc = sqlite3_step(m_walk);
    if (rc == SQLITE_ROW) {
        m_walkRow = sqlite3_column_int64(m_walk, int(m_texts.size()) + 1);
        return true;
    }
    sqlite3_reset(m_walk);
    if (rc != SQLITE_DONE) {
        sqlite3* db = m_file->Db();
        internal::RaiseSqlite(db, sqlite3_extended_errcode(db), QStringLiteral("Table: %1").arg(m_file->Path()));
    }
    return false;
}

bool KeyedReader::walkTo(qint64 key) {
    if (sqlite3_stmt_busy(m_walk) && m_walkRow < key && quint64(key) - quint64(m_walkRow) <= quint64(kStepRows)) {
        ++m_probeSteps;
    } else if (!(sqlite3_stmt_busy(m_walk) && m_walkRow == key)) {
        sqlite3_reset(m_walk);
        sqlite3_bind_int64(m_walk, 1, key);
        if (!stepWalk()) return false;
    }
    while (m_walkRow < key)
        if (!stepWalk()) return false;
    return m_walkRow == key;
}

bool KeyedReader::Read(qint64 key) {
    const int keyColumn = int(m_texts.size());
    if (m_walk) {
        bool hit = false;
        {
            // Outside a snapshot's read transaction the walk ends with the read, so that no
            // read stays open on the file between calls.
            struct End {
                KeyedReader* r;
                ~End() {
                    if (!r->m_file->SnapshotReadOpen()) sqlite3_reset(r->m_walk);
                }
            } end{this};
            hit = walkTo(key) && sqlite3_column_type(m_walk, keyColumn) == SQLITE_INTEGER &&
                  sqlite3_column_int64(m_walk, keyColumn) == key;
            if (hit) decode(m_walk);
        }
        if (hit) {
            ++m_probeHits;
            m_row = true;
            return true;
        }
        // rows not laid out that way: stop probing once misses clearly outnumber hits
        if (++m_probeMisses > m_probeHits + kProbeMissesAllowed) {
            m_file->RemoveOpenScan(m_walk);
            sqlite3_finalize(m_walk);
            m_walk = nullptr;
        }
    }
    // The row is decoded at once and the statement reset, so that no read stays open on the
    // file between calls.
    sqlite3_stmt* s = m_file->Statement(m_sql);
    internal::StatementReset reset(s);
    sqlite3_bind_int64(s, 1, key);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        sqlite3* db = m_file->Db();
        internal::RaiseSqlite(db, sqlite3_extended_errcode(db), QStringLiteral("Table: %1").arg(m_file->Path()));
    }
    m_row = rc == SQLITE_ROW;
    if (m_row) decode(s);
    else {
        std::fill(m_sizes.begin(), m_sizes.end(), -1);
        std::fill(m_integers.begin(), m_integers.end(), 0);
    }
    return m_row;
}

void KeyedReader::decode(sqlite3_stmt* s) {
    for (std::size_t f = 0; f < m_texts.size(); ++f) {
        const int column = int(f);
        if (sqlite3_column_type(s, column) == SQLITE_NULL) {
            m_sizes[f] = -1;
            m_integers[f] = 0;
            continue;
        }
        if (m_integer[f]) {
            m_integers[f] = sqlite3_column_int64(s, column);
            m_sizes[f] = 0;
            continue;
        }
        // A text value's bytes are its UTF-8 (table files are UTF-8): taken as a blob they are
        // read where they lie, while as text SQLite first copies them to end them with a zero.
        const char* bytes = sqlite3_column_type(s, column) == SQLITE_TEXT
                                ? static_cast<const char*>(sqlite3_column_blob(s, column))
                                : reinterpret_cast<const char*>(sqlite3_column_text(s, column));
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

void KeyedReader::ForEachInteger(const Table& table, const QString& keyField, const std::function<void(qint64)>& visit) {
    const std::shared_ptr<internal::TableFile> file = ReadSnapshot::FileOf(table);
    const QString ctx = QStringLiteral("Table: %1").arg(table.TableName());
    if (!file) Raise(ErrorCode::kTableClosed, ctx);
    const TableDef& def = table.Definition();
    const int key = integerField(def, keyField, ctx);
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2").arg(internal::Quote(def.Fields[std::size_t(key)].Name), file->RowTable());
    sqlite3_stmt* s = file->Statement(sql);
    internal::StatementReset reset(s);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) visit(sqlite3_column_int64(s, 0));
    if (rc != SQLITE_DONE) {
        sqlite3* db = file->Db();
        internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    }
}

}  // namespace db
