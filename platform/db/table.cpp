#include "platform/db/table.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/db_log.h"
#include "platform/db/internal/table_file.h"
#include "platform/db/internal/values.h"
#include "platform/db/table_utils.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMetaMethod>

#include <algorithm>
#include <utility>

namespace db {

using internal::Bind;
using internal::ColumnValue;
using internal::Quote;
using internal::TableFile;

namespace {

/// Rows read in one query, packed: one cell per field, text and bytes in one buffer, so a
/// batch costs a few allocations however many rows it holds. Values come out in their
/// storage form (null, qlonglong, double, QString, QByteArray).
class RowSet {
public:
    explicit RowSet(int columns = 0) : m_columns(columns) {}

    int size() const { return int(m_ids.size()); }
    bool empty() const { return m_ids.empty(); }
    qint64 id(int row) const { return m_ids[size_t(row)]; }

    void reserve(int rows) {
        m_ids.reserve(size_t(rows));
        m_cells.reserve(size_t(rows) * size_t(m_columns));
    }

    /// Reads the current row of a statement: rowid in column 0, then the fields; columns
    /// marked text are read as text whatever their stored kind.
    void append(sqlite3_stmt* s, const std::vector<bool>& textColumns) {
        m_ids.push_back(sqlite3_column_int64(s, 0));
        for (int i = 0; i < m_columns; ++i) {
            Cell c;
            const int col = i + 1;
            if (textColumns[size_t(i)]) {
                const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
                if (t) store(c, Kind::Text, t, sqlite3_column_bytes(s, col));
            } else {
                switch (sqlite3_column_type(s, col)) {
                case SQLITE_INTEGER:
                    c.kind = Kind::Int;
                    c.i = sqlite3_column_int64(s, col);
                    break;
                case SQLITE_FLOAT:
                    c.kind = Kind::Real;
                    c.d = sqlite3_column_double(s, col);
                    break;
                case SQLITE_TEXT: {
                    const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
                    store(c, Kind::Text, t, sqlite3_column_bytes(s, col));
                    break;
                }
                case SQLITE_BLOB: {
                    const char* b = static_cast<const char*>(sqlite3_column_blob(s, col));
                    store(c, Kind::Bytes, b, sqlite3_column_bytes(s, col));
                    break;
                }
                default:
                    break;
                }
            }
            m_cells.push_back(c);
        }
    }

    /// Appends a row from storage values.
    void append(qint64 id, const std::vector<QVariant>& values) {
        m_ids.push_back(id);
        for (int i = 0; i < m_columns; ++i) {
            const QVariant& v = values[size_t(i)];
            Cell c;
            if (v.isNull()) {
            } else if (v.typeId() == QMetaType::QString) {
                const QByteArray u = v.toString().toUtf8();
                store(c, Kind::Text, u.constData(), int(u.size()));
            } else if (v.typeId() == QMetaType::QByteArray) {
                const QByteArray b = v.toByteArray();
                store(c, Kind::Bytes, b.constData(), int(b.size()));
            } else if (v.typeId() == QMetaType::Double) {
                c.kind = Kind::Real;
                c.d = v.toDouble();
            } else {
                c.kind = Kind::Int;
                c.i = v.toLongLong();
            }
            m_cells.push_back(c);
        }
    }

    QVariant value(int row, int column) const {
        const Cell& c = m_cells[size_t(row) * size_t(m_columns) + size_t(column)];
        switch (c.kind) {
        case Kind::Int:
            return QVariant(qlonglong(c.i));
        case Kind::Real:
            return QVariant(c.d);
        case Kind::Text:
            return QVariant(QString::fromUtf8(m_arena.constData() + c.offset, c.length));
        case Kind::Bytes:
            return QVariant(QByteArray(m_arena.constData() + c.offset, c.length));
        case Kind::Null:
            break;
        }
        return QVariant();
    }

    void reverse() {
        std::reverse(m_ids.begin(), m_ids.end());
        const size_t n = m_ids.size();
        for (size_t a = 0, b = n ? n - 1 : 0; a < b; ++a, --b) {
            std::swap_ranges(m_cells.begin() + ptrdiff_t(a * size_t(m_columns)),
                             m_cells.begin() + ptrdiff_t((a + 1) * size_t(m_columns)),
                             m_cells.begin() + ptrdiff_t(b * size_t(m_columns)));
        }
    }

private:
    enum class Kind : quint8 { Null, Int, Real, Text, Bytes };
    struct Cell {
        Kind kind = Kind::Null;
        qint32 length = 0;
        union {
            qint64 i;
            double d;
            qint64 offset;
        };
        Cell() : i(0) {}
    };

    void store(Cell& c, Kind kind, const char* data, int length) {
        c.kind = kind;
        c.offset = m_arena.size();
        c.length = length;
        m_arena.append(data, length);
    }

    int m_columns;
    std::vector<qint64> m_ids;
    std::vector<Cell> m_cells;
    QByteArray m_arena;
};

bool isLazyBlob(FieldType t) { return t == FieldType::ftGraphic || t == FieldType::ftBlob; }

constexpr int kFirstBatch = 32;
constexpr int kMaxBatch = 1024;

}  // namespace

struct Table::Impl {
    std::shared_ptr<TableFile> file;
    TableFile::Mode mode = TableFile::Mode::Shared;

    // order: index fields, then rowid
    std::vector<int> orderFields;
    bool desc = false;
    bool nocase = false;
    QStringList orderExprs;  // SQL expressions of the order fields, rowid last
    QString orderForward;
    QString orderBackward;
    QString select;     // "SELECT rowid, ... FROM t"
    QString insertSql;  // made on the first insert
    int columnCount = 0;

    // range
    QString rangeWhere;
    QVariantList rangeBinds;
    QVariantList rangeStart, rangeEnd;  // as given to SetRange

    // position: the current row is batch row `pos`
    bool hasCurrent = false;
    RowSet batch;
    int pos = -1;
    /// Field values of the current row, made on first use after each move.
    mutable std::vector<QVariant> values;
    mutable std::vector<quint64> valueStamp;
    quint64 moveStamp = 1;
    bool batchValid = false;
    bool batchEndKnown = false;    // no rows after the batch
    bool batchStartKnown = false;  // no rows before the batch
    int nextBatch = kFirstBatch;
    qint64 seenLocal = -1;
    quint32 seenExternal = 0;

    bool batchStarted = false;  ///< this cursor's StartBatch began the file's transaction

    // edit buffer
    std::vector<QVariant> buffer;
    std::vector<bool> changed;
    qint64 lockedRow = 0;

    // BLOB cache of the current record
    qint64 blobRow = 0;
    QHash<int, QByteArray> blobs;

    QString ctx() const { return QStringLiteral("Table: %1").arg(file ? file->path() : QString()); }

    /// Makes batch row newPos the current row.
    void take(int newPos) {
        pos = newPos;
        ++moveStamp;
    }

    /// Replaces the batch and makes its row newPos current (none when it is empty).
    void setBatch(RowSet&& rows, int newPos) {
        batch = std::move(rows);
        hasCurrent = !batch.empty();
        pos = -1;
        if (hasCurrent) take(newPos < 0 ? batch.size() - 1 : newPos);
    }

    qint64 currentId() const { return batch.id(pos); }

    /// A field of the current row in storage form.
    const QVariant& value(int field) const {
        if (valueStamp[size_t(field)] != moveStamp) {
            values[size_t(field)] = batch.value(pos, field);
            valueStamp[size_t(field)] = moveStamp;
        }
        return values[size_t(field)];
    }

    std::vector<QVariant> currentValues() const {
        std::vector<QVariant> all;
        for (int i = 0; i < columnCount; ++i) all.push_back(value(i));
        return all;
    }

    /// Cached rows no longer count as current; the current row itself stays.
    void invalidate() { batchValid = false; }

    void sync() {
        const qint64 local = file->localVersion();
        const quint32 external = file->externalVersion();
        if (local != seenLocal || external != seenExternal) {
            invalidate();
            seenLocal = local;
            seenExternal = external;
            blobRow = 0;
            blobs.clear();
        }
    }

    std::vector<bool> textColumns;  ///< columns read as text directly (alpha, memo)

    /// The current row's position in the order: its order fields, then its rowid.
    QVariantList currentKey() const {
        QVariantList key;
        key.reserve(qsizetype(orderFields.size() + 1));
        for (int f : orderFields) key << value(f);
        key << QVariant(qlonglong(currentId()));
        return key;
    }

    /// Lexicographic comparison of the first key.size() order expressions with the key,
    /// with null below every value. `greater`: the tuple lies after the key in natural
    /// (ascending) order; `inclusive` adds equality.
    static QString lex(const QStringList& exprs, const QVariantList& key, bool greater, bool inclusive,
                       QVariantList& binds) {
        const int n = int(key.size());
        bool anyNull = false;
        for (const auto& v : key) anyNull = anyNull || v.isNull();
        if (!anyNull && (greater || n == 1)) {
            QStringList l;
            for (int i = 0; i < n; ++i) {
                l << exprs[i];
                binds << key[i];
            }
            const QString op = greater ? (inclusive ? QStringLiteral(">=") : QStringLiteral(">"))
                                       : (inclusive ? QStringLiteral("<=") : QStringLiteral("<"));
            if (n == 1) {
                if (greater) return QStringLiteral("%1 %2 ?").arg(exprs[0], op);
                return QStringLiteral("(%1 %2 ? OR %1 IS NULL)").arg(exprs[0], op);
            }
            QStringList qs(n, QStringLiteral("?"));
            return QStringLiteral("(%1) %2 (%3)").arg(l.join(QLatin1Char(',')), op, qs.join(QLatin1Char(',')));
        }
        // General form: e1 op k1 OR (e1 = k1 AND (e2 op k2 OR (... AND (1 or 0)))), with the
        // placeholders in text order strict_0, equal_0, strict_1, equal_1, ...
        QString result = inclusive ? QStringLiteral("1") : QStringLiteral("0");
        for (int i = n - 1; i >= 0; --i) {
            QString strict;
            QString equal;
            if (key[i].isNull()) {
                strict = greater ? QStringLiteral("%1 IS NOT NULL").arg(exprs[i]) : QStringLiteral("0");
                equal = QStringLiteral("%1 IS NULL").arg(exprs[i]);
            } else {
                strict = greater ? QStringLiteral("%1 > ?").arg(exprs[i]) : QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(exprs[i]);
                equal = QStringLiteral("%1 = ?").arg(exprs[i]);
            }
            result = QStringLiteral("(%1 OR (%2 AND %3))").arg(strict, equal, result);
        }
        for (int i = 0; i < n; ++i) {
            if (!key[i].isNull()) binds << key[i] << key[i];
        }
        return result;
    }

    QString where(const QString& extra) const {
        QStringList parts;
        if (!rangeWhere.isEmpty()) parts << rangeWhere;
        if (!extra.isEmpty()) parts << extra;
        return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
    }

    RowSet query(const QString& sql, const QVariantList& binds, int expected = 1) {
        sqlite3_stmt* s = file->statement(sql);
        internal::StatementReset reset(s);
        int at = 1;
        for (const auto& v : binds) Bind(s, at++, v);
        RowSet rows(columnCount);
        rows.reserve(expected);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) rows.append(s, textColumns);
        if (rc != SQLITE_DONE) internal::RaiseSqlite(file->db(), sqlite3_extended_errcode(file->db()), ctx());
        return rows;
    }

    /// Rows after (forward) or before (backward) the key in the current order, nearest
    /// first; without a key from the start or the end.
    RowSet fetch(bool forward, const QVariantList* key, bool inclusive, int limit) {
        QVariantList binds = rangeBinds;
        QString keyWhere;
        if (key) {
            // forward in an ascending order means "greater"; a descending order flips it
            const bool greater = forward != desc;
            bool anyNull = false;
            for (const auto& v : *key) anyNull = anyNull || v.isNull();
            if (!greater || anyNull) return fetchSegments(forward, greater, *key, inclusive, limit);
            keyWhere = lex(orderExprs, *key, greater, inclusive, binds);
        }
        const QString sql = select + where(keyWhere) + (forward ? orderForward : orderBackward) +
                            QStringLiteral(" LIMIT %1").arg(limit);
        return query(sql, binds, limit);
    }

    /// Rows above or below the key in natural order (null lowest), nearest first, as a
    /// series of index ranges, each with the leading fields fixed to the key: for position
    /// i from the last to the first, the rows equal to the key before i with field i above
    /// the key's value (not null when that is null), or below it and then those with field
    /// i null. (One expression would need OR terms that keep SQLite from walking the index;
    /// a key without nulls goes above with one row-value comparison instead.)
    RowSet fetchSegments(bool forward, bool greater, const QVariantList& key, bool inclusive, int limit) {
        RowSet rows(columnCount);
        const int n = int(key.size());
        const QString order = forward ? orderForward : orderBackward;
        for (int i = n - 1; i >= 0 && rows.size() < limit; --i) {
            QStringList prefix;
            QVariantList prefixBinds;
            for (int j = 0; j < i; ++j) {
                if (key[j].isNull()) {
                    prefix << QStringLiteral("%1 IS NULL").arg(orderExprs[j]);
                } else {
                    prefix << QStringLiteral("%1 = ?").arg(orderExprs[j]);
                    prefixBinds << key[j];
                }
            }
            const bool last = i == n - 1;
            const bool isRowId = i == int(orderExprs.size()) - 1;
            QStringList segments;
            if (last && inclusive && key[i].isNull()) {
                // the key itself (all fields equal, the last one null) comes first
                segments << QStringLiteral("%1 IS NULL").arg(orderExprs[i]);
            }
            if (greater) {
                if (key[i].isNull()) {
                    segments << QStringLiteral("%1 IS NOT NULL").arg(orderExprs[i]);
                } else {
                    segments << QStringLiteral("%1 %2 ?").arg(orderExprs[i], last && inclusive ? QStringLiteral(">=") : QStringLiteral(">"));
                }
            } else if (!key[i].isNull()) {  // nothing lies below null at this position
                segments << QStringLiteral("%1 %2 ?").arg(orderExprs[i], last && inclusive ? QStringLiteral("<=") : QStringLiteral("<"));
                if (!isRowId) segments << QStringLiteral("%1 IS NULL").arg(orderExprs[i]);
            }
            for (int k = 0; k < segments.size() && rows.size() < limit; ++k) {
                QStringList conds = prefix;
                conds << segments[k];
                QVariantList binds = rangeBinds;
                binds += prefixBinds;
                if (segments[k].endsWith(QLatin1Char('?'))) binds << key[i];
                const QString sql = select + where(conds.join(QStringLiteral(" AND "))) + order + QStringLiteral(" LIMIT ?");
                binds << qlonglong(limit - rows.size());
                sqlite3_stmt* s = file->statement(sql);
                internal::StatementReset reset(s);
                int at = 1;
                for (const auto& v : binds) Bind(s, at++, v);
                int rc;
                while ((rc = sqlite3_step(s)) == SQLITE_ROW) rows.append(s, textColumns);
                if (rc != SQLITE_DONE) internal::RaiseSqlite(file->db(), sqlite3_extended_errcode(file->db()), ctx());
            }
        }
        return rows;
    }

    int growBatch() {
        const int n = nextBatch;
        nextBatch = std::min(nextBatch * 2, kMaxBatch);
        return n;
    }

    /// Runs a query for one row and makes it the current row (the batch starts there);
    /// answers false, leaving the position alone, when it finds none.
    bool positionOnFirst(const QString& sql, const QVariantList& binds) {
        sync();
        auto rows = query(sql, binds);
        if (rows.empty()) return false;
        setBatch(std::move(rows), 0);
        batchValid = true;
        batchStartKnown = false;
        batchEndKnown = false;
        nextBatch = kFirstBatch;
        return true;
    }

    /// The statement of a seek by key (FindKey: equal leading fields; FindNearest: the first
    /// row at or after the key), made once per shape of key (kind, length, null positions)
    /// for the current order and range. Its placeholders take the range's values, then
    /// key[keyOf[0]], key[keyOf[1]], ... Cleared (seeks) whenever the order or range changes.
    struct Seek {
        QString sql;
        std::vector<int> keyOf;
    };
    QHash<quint64, Seek> seeks;
    Seek oneOffSeek;  ///< a key too long for the shape bits (not kept)

    const Seek& seek(bool nearest, const QVariantList& key) {
        constexpr qsizetype kShapeFields = 48;
        const bool keep = key.size() < kShapeFields;
        quint64 shape = quint64(nearest) | (quint64(key.size()) << 1);
        for (qsizetype i = 0; keep && i < key.size(); ++i)
            if (key[i].isNull()) shape |= quint64(1) << (8 + i);
        if (keep) {
            auto it = seeks.constFind(shape);
            if (it != seeks.constEnd()) return *it;
        }
        // the SQL depends on which values are null only: built over the values' positions
        QVariantList positions;
        for (qsizetype i = 0; i < key.size(); ++i) positions << (key[i].isNull() ? QVariant() : QVariant(qlonglong(i)));
        QVariantList binds;
        QString cond;
        if (nearest) {
            if (!key.isEmpty()) cond = lex(orderExprs, positions, !desc, true, binds);
        } else {
            QStringList conds;
            for (qsizetype i = 0; i < key.size(); ++i) {
                if (key[i].isNull()) {
                    conds << QStringLiteral("%1 IS NULL").arg(orderExprs[i]);
                } else {
                    conds << QStringLiteral("%1 = ?").arg(orderExprs[i]);
                    binds << positions[i];
                }
            }
            cond = conds.join(QStringLiteral(" AND "));
        }
        Seek made;
        made.sql = select + where(cond) + orderForward + QStringLiteral(" LIMIT 1");
        for (const auto& b : std::as_const(binds)) made.keyOf.push_back(int(b.toLongLong()));
        if (!keep) {
            oneOffSeek = std::move(made);
            return oneOffSeek;
        }
        return *seeks.insert(shape, std::move(made));
    }

    /// Runs a seek: answers whether it found a row (then the current one).
    bool positionOnSeek(bool nearest, const QVariantList& key) {
        const Seek& s = seek(nearest, key);
        QVariantList binds = rangeBinds;
        for (int k : s.keyOf) binds << key[k];
        return positionOnFirst(s.sql, binds);
    }
};

Table::Table(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}

Table::~Table() {
    if (Active()) {
        // Closing quietly: no events from a destructor.
        if (d->lockedRow) d->file->unlockRecord(d->lockedRow);
        d->file->Release(d->mode);
        d->file.reset();
    }
}

// ---- setup ----

void Table::checkActive() const {
    if (!Active()) Raise(ErrorCode::kTableClosed, QStringLiteral("Table: %1").arg(m_tableName));
}

void Table::checkInactive() const {
    if (Active()) Raise(ErrorCode::kTableOpen, QStringLiteral("Table: %1").arg(m_tableName));
}

void Table::SetDatabaseName(const QString& name) {
    checkInactive();
    m_databaseName = name;
}

void Table::SetTableName(const QString& name) {
    checkInactive();
    m_tableName = name;
}

void Table::SetExclusive(bool exclusive) {
    checkInactive();
    m_exclusive = exclusive;
}

void Table::SetReadOnly(bool readOnly) {
    checkInactive();
    m_readOnly = readOnly;
}

std::shared_ptr<TableFile> Table::openFile() const { return Active() ? d->file : nullptr; }

QString Table::Folder() const { return Database::ResolveFolder(m_databaseName); }

QString Table::FilePath() const { return TableFilePath(Folder(), m_tableName); }

bool Table::Exists() const { return !FindTableFile(Folder(), m_tableName).isEmpty(); }

void Table::UpdateDefs() {
    if (Active()) {
        m_def = d->file->def();
        return;
    }
    m_def = ReadTableDef(Folder(), m_tableName);
}

void Table::CreateTable() {
    checkInactive();
    CreateTableFile(Folder(), m_tableName, m_def, true);
}

namespace {

/// Runs a whole-table operation on a closed table, or on one this cursor holds
/// exclusively by closing it around the operation and opening it again.
template <typename F>
void aroundExclusive(Table& t, F&& work) {
    if (!t.Active()) {
        work();
        return;
    }
    if (!t.Exclusive()) Raise(ErrorCode::kNeedExclusive, QStringLiteral("Table: %1").arg(t.TableName()));
    t.Close();
    try {
        work();
    } catch (...) {
        t.Open();
        throw;
    }
    t.Open();
}

}  // namespace

void Table::DeleteTable() {
    checkInactive();
    DeleteTableFile(Folder(), m_tableName);
}

void Table::EmptyTable() {
    aroundExclusive(*this, [&] { EmptyTableFile(Folder(), m_tableName); });
}

void Table::RenameTable(const QString& newTableName) {
    checkInactive();
    RenameTableFile(Folder(), m_tableName, newTableName);
    m_tableName = newTableName;
}

void Table::AddIndex(const QString& name, const QString& fields, IndexOptions options) {
    aroundExclusive(*this, [&] { AddIndexToFile(Folder(), m_tableName, IndexDef{name, fields, options}); });
    if (!Active()) UpdateDefs();
}

void Table::DeleteIndex(const QString& name) {
    aroundExclusive(*this, [&] { DeleteIndexFromFile(Folder(), m_tableName, name); });
    if (!Active()) UpdateDefs();
}

// ---- opening ----

void Table::fire(const NotifyEvent& event) {
    if (event) event(*this);
}

void Table::DoBeforeOpen() { fire(BeforeOpen); }
void Table::DoAfterOpen() { fire(AfterOpen); }
void Table::DoBeforeClose() { fire(BeforeClose); }
void Table::DoAfterClose() { fire(AfterClose); }
void Table::DoBeforeEdit() { fire(BeforeEdit); }
void Table::DoAfterEdit() { fire(AfterEdit); }
void Table::DoBeforeInsert() { fire(BeforeInsert); }
void Table::DoAfterInsert() { fire(AfterInsert); }
void Table::DoBeforePost() { fire(BeforePost); }
void Table::DoAfterPost() { fire(AfterPost); }
void Table::DoBeforeCancel() { fire(BeforeCancel); }
void Table::DoAfterCancel() { fire(AfterCancel); }
void Table::DoBeforeDelete() { fire(BeforeDelete); }
void Table::DoAfterDelete() { fire(AfterDelete); }
void Table::DoBeforeScroll() { fire(BeforeScroll); }
void Table::DoAfterScroll() { fire(AfterScroll); }
void Table::DoOnNewRecord() { fire(OnNewRecord); }

void Table::notifyScrolled() {
    static const QMetaMethod signal = QMetaMethod::fromSignal(&Table::Scrolled);
    if (m_disableCount == 0 && isSignalConnected(signal)) emit Scrolled();
}

void Table::notifyData() {
    static const QMetaMethod signal = QMetaMethod::fromSignal(&Table::DataChanged);
    if (m_disableCount == 0 && isSignalConnected(signal)) emit DataChanged();
}

void Table::EnableControls() {
    if (m_disableCount > 0 && --m_disableCount == 0) {
        emit DataChanged();
        emit Scrolled();
    }
}

void Table::Open() {
    if (Active()) return;
    DoBeforeOpen();
    const QString folder = Folder();
    const QString found = FindTableFile(folder, m_tableName);
    if (m_tableName.isEmpty() || found.isEmpty())
        Raise(ErrorCode::kTableNotFound, QStringLiteral("Table: %1").arg(QDir(folder).filePath(m_tableName)));
    const QString path = QDir(folder).filePath(found);
    d->mode = m_exclusive ? TableFile::Mode::Exclusive : TableFile::Mode::Shared;
    d->file = TableFile::Open(path, d->mode, m_readOnly);
    openOnFile(nullptr);
}

void Table::CloneCursor(Table& source) {
    checkInactive();
    source.checkActive();
    DoBeforeOpen();
    m_databaseName = source.m_databaseName;
    m_tableName = source.m_tableName;
    m_indexName = source.m_indexName;
    m_indexFieldNames = source.m_indexFieldNames;
    m_readOnly = source.m_readOnly;
    m_exclusive = false;
    d->mode = TableFile::Mode::Shared;
    d->file = source.d->file;
    d->file->Join();
    openOnFile(&source);
}

void Table::OpenInMemory(const TableDef& definition, const std::vector<std::vector<QVariant>>& rows) {
    checkInactive();
    DoBeforeOpen();
    m_exclusive = false;
    d->mode = TableFile::Mode::Shared;
    d->file = TableFile::OpenMemory(definition, rows);
    openOnFile(nullptr);
}

void Table::openOnFile(const Table* rangeOf) {
    try {
        m_def = d->file->def();
        bool same = m_fields.size() == m_def.Fields.size();
        for (size_t i = 0; same && i < m_fields.size(); ++i) same = m_fields[i]->Def() == m_def.Fields[i];
        if (!same) {
            m_fields.clear();
            for (size_t i = 0; i < m_def.Fields.size(); ++i)
                m_fields.push_back(std::make_unique<Field>(this, int(i), m_def.Fields[i]));
        }
        resolveOrder();
        if (rangeOf) {
            d->rangeWhere = rangeOf->d->rangeWhere;
            d->seeks.clear();
            d->rangeBinds = rangeOf->d->rangeBinds;
            d->rangeStart = rangeOf->d->rangeStart;
            d->rangeEnd = rangeOf->d->rangeEnd;
        } else {
            clearRange();
        }
        m_state = DataSetState::dsBrowse;
        d->hasCurrent = false;
        d->invalidate();
        d->seenLocal = -1;
        d->nextBatch = kFirstBatch;
        d->sync();
        d->setBatch(d->fetch(true, nullptr, false, d->growBatch()), 0);
        d->batchValid = true;
        d->batchStartKnown = true;
        d->batchEndKnown = d->batch.size() < kFirstBatch;
        m_bof = true;
        m_eof = !d->hasCurrent;
    } catch (...) {
        m_state = DataSetState::dsInactive;
        d->file->Release(d->mode);
        d->file.reset();
        throw;
    }
    emit StateChanged();
    DoAfterOpen();
    DoAfterScroll();
    notifyScrolled();
}

void Table::Close() {
    if (!Active()) return;
    DoBeforeClose();
    if (d->lockedRow) {
        d->file->unlockRecord(d->lockedRow);
        d->lockedRow = 0;
    }
    d->batchStarted = false;
    m_state = DataSetState::dsInactive;
    m_modified = false;
    d->file->Release(d->mode);
    d->file.reset();
    d->invalidate();
    d->hasCurrent = false;
    d->buffer.clear();
    d->blobs.clear();
    d->blobRow = 0;
    m_bof = m_eof = true;
    emit StateChanged();
    DoAfterClose();
}

// ---- order ----

void Table::resolveOrder() {
    std::vector<int> fields;
    IndexOptions options;
    if (!m_indexFieldNames.isEmpty()) {
        const QStringList names = IndexDef{QString(), m_indexFieldNames, {}}.FieldList();
        for (const QString& n : names) {
            const int at = m_def.FieldIndex(n);
            if (at < 0) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1").arg(n));
            if (IsBlobType(m_def.Fields[size_t(at)].DataType))
                Raise(ErrorCode::kIndexNotFound, QStringLiteral("Field: %1").arg(n));
            fields.push_back(at);
        }
        for (const auto& ix : m_def.Indexes) {
            const QStringList ixFields = ix.FieldList();
            if (ixFields.size() != names.size()) continue;
            bool match = true;
            for (int i = 0; match && i < names.size(); ++i) match = ixFields[i].compare(names[i], Qt::CaseInsensitive) == 0;
            if (match) {
                options = ix.Options;
                break;
            }
        }
    } else if (!m_indexName.isEmpty()) {
        const IndexDef* ix = m_def.FindIndex(m_indexName);
        if (!ix) Raise(ErrorCode::kIndexNotFound, QStringLiteral("Index: %1").arg(m_indexName));
        for (const QString& n : ix->FieldList()) fields.push_back(m_def.FieldIndex(n));
        options = ix->Options;
    } else if (const IndexDef* pk = m_def.PrimaryIndex()) {
        for (const QString& n : pk->FieldList()) fields.push_back(m_def.FieldIndex(n));
        options = pk->Options;
    }
    d->orderFields = fields;
    d->desc = options.testFlag(IndexOption::ixDescending);
    d->nocase = options.testFlag(IndexOption::ixCaseInsensitive);
    d->orderExprs.clear();
    for (int f : fields) {
        QString e = Quote(m_def.Fields[size_t(f)].Name);
        if (d->nocase && IsTextType(m_def.Fields[size_t(f)].DataType)) e += QStringLiteral(" COLLATE DOSSARA_NOCASE");
        d->orderExprs << e;
    }
    d->orderExprs << QStringLiteral("rowid");
    QStringList fwd, back;
    for (const QString& e : std::as_const(d->orderExprs)) {
        fwd << e + (d->desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
        back << e + (d->desc ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }
    d->orderForward = QStringLiteral(" ORDER BY ") + fwd.join(QStringLiteral(", "));
    d->orderBackward = QStringLiteral(" ORDER BY ") + back.join(QStringLiteral(", "));
    QStringList cols{QStringLiteral("rowid")};
    for (const auto& f : m_def.Fields) {
        cols << (isLazyBlob(f.DataType) ? QStringLiteral("length(%1)").arg(Quote(f.Name)) : Quote(f.Name));
    }
    d->columnCount = int(m_def.Fields.size());
    d->insertSql.clear();
    d->textColumns.clear();
    for (const auto& f : m_def.Fields) d->textColumns.push_back(IsTextType(f.DataType));
    d->values.assign(m_def.Fields.size(), QVariant());
    d->valueStamp.assign(m_def.Fields.size(), 0);
    ++d->moveStamp;
    d->select = QStringLiteral("SELECT %1 FROM %2").arg(cols.join(QStringLiteral(", ")), d->file->rowTable());
    d->seeks.clear();
}

void Table::SetIndexName(const QString& name) { switchOrder(name, {}); }

void Table::SetIndexFieldNames(const QString& fields) { switchOrder({}, fields); }

void Table::switchOrder(const QString& indexName, const QString& fieldNames) {
    if (Active()) checkBrowseMode();
    const QString oldName = m_indexName, oldFields = m_indexFieldNames;
    m_indexName = indexName;
    m_indexFieldNames = fieldNames;
    if (!Active()) return;
    try {
        resolveOrder();
    } catch (...) {
        m_indexName = oldName;
        m_indexFieldNames = oldFields;
        resolveOrder();
        throw;
    }
    clearRange();
    Refresh();
}

void Table::clearRange() {
    d->rangeWhere.clear();
    d->seeks.clear();
    d->rangeStart.clear();
    d->rangeEnd.clear();
    d->rangeBinds.clear();
}

QStringList Table::IndexFields() const {
    QStringList names;
    if (Active()) {
        for (int f : d->orderFields) names << m_def.Fields[size_t(f)].Name;
        return names;
    }
    if (!m_indexFieldNames.isEmpty()) return IndexDef{QString(), m_indexFieldNames, {}}.FieldList();
    if (!m_indexName.isEmpty()) {
        if (const IndexDef* ix = m_def.FindIndex(m_indexName)) return ix->FieldList();
        return {};
    }
    if (const IndexDef* pk = m_def.PrimaryIndex()) return pk->FieldList();
    return {};
}

int Table::IndexFieldCount() const { return int(IndexFields().size()); }

// ---- navigation ----

void Table::checkBrowseMode() {
    checkActive();
    if (m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) {
        if (m_modified) {
            Post();
        } else {
            Cancel();
        }
    }
}

void Table::First() {
    checkBrowseMode();
    DoBeforeScroll();
    d->sync();
    d->nextBatch = kFirstBatch;
    d->setBatch(d->fetch(true, nullptr, false, d->growBatch()), 0);
    d->batchValid = true;
    d->batchStartKnown = true;
    d->batchEndKnown = d->batch.size() < kFirstBatch;
    m_bof = true;
    m_eof = !d->hasCurrent;
    DoAfterScroll();
    notifyScrolled();
}

void Table::Last() {
    checkBrowseMode();
    DoBeforeScroll();
    d->sync();
    d->nextBatch = kFirstBatch;
    auto rows = d->fetch(false, nullptr, false, d->growBatch());
    rows.reverse();
    d->setBatch(std::move(rows), -1);
    d->batchValid = true;
    d->batchEndKnown = true;
    d->batchStartKnown = d->batch.size() < kFirstBatch;
    m_eof = true;
    m_bof = !d->hasCurrent;
    DoAfterScroll();
    notifyScrolled();
}

void Table::Next() {
    checkBrowseMode();
    if (!d->hasCurrent) {
        m_eof = true;
        return;
    }
    DoBeforeScroll();
    d->sync();
    bool moved = false;
    if (d->batchValid && d->pos >= 0 && d->pos + 1 < int(d->batch.size())) {
        d->take(d->pos + 1);
        moved = true;
    } else if (!(d->batchValid && d->batchEndKnown && d->pos == int(d->batch.size()) - 1)) {
        const QVariantList key = d->currentKey();
        const int limit = d->growBatch();
        auto rows = d->fetch(true, &key, false, limit);
        if (!rows.empty()) {
            d->setBatch(std::move(rows), 0);
            d->batchValid = true;
            d->batchStartKnown = false;
            d->batchEndKnown = d->batch.size() < limit;
            moved = true;
        } else {
            d->invalidate();
        }
    }
    if (moved) {
        m_bof = false;
        m_eof = false;
        DoAfterScroll();
        notifyScrolled();
    } else {
        m_eof = true;
    }
}

void Table::Prior() {
    checkBrowseMode();
    if (!d->hasCurrent) {
        m_bof = true;
        return;
    }
    DoBeforeScroll();
    d->sync();
    bool moved = false;
    if (d->batchValid && d->pos > 0) {
        d->take(d->pos - 1);
        moved = true;
    } else if (!(d->batchValid && d->batchStartKnown && d->pos == 0)) {
        const QVariantList key = d->currentKey();
        const int limit = d->growBatch();
        auto rows = d->fetch(false, &key, false, limit);
        if (!rows.empty()) {
            rows.reverse();
            d->setBatch(std::move(rows), -1);
            d->batchValid = true;
            d->batchEndKnown = false;
            d->batchStartKnown = d->batch.size() < limit;
            moved = true;
        } else {
            d->invalidate();
        }
    }
    if (moved) {
        m_bof = false;
        m_eof = false;
        DoAfterScroll();
        notifyScrolled();
    } else {
        m_bof = true;
    }
}

int Table::MoveBy(int distance) {
    int moved = 0;
    while (distance > 0 && !m_eof) {
        Next();
        if (!m_eof) ++moved;
        --distance;
    }
    while (distance < 0 && !m_bof) {
        Prior();
        if (!m_bof) --moved;
        ++distance;
    }
    return moved;
}

bool Table::IsEmpty() const {
    checkActive();
    const QString sql = QStringLiteral("SELECT 1 FROM %1").arg(d->file->rowTable()) + d->where(QString()) + QStringLiteral(" LIMIT 1");
    sqlite3_stmt* s = d->file->statement(sql);
    internal::StatementReset reset(s);
    int at = 1;
    for (const auto& v : d->rangeBinds) Bind(s, at++, v);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        internal::RaiseSqlite(d->file->db(), sqlite3_extended_errcode(d->file->db()), d->ctx());
    return rc == SQLITE_DONE;
}

int Table::RecordCount() const {
    checkActive();
    const QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(d->file->rowTable()) + d->where(QString());
    sqlite3_stmt* s = d->file->statement(sql);
    internal::StatementReset reset(s);
    int at = 1;
    for (const auto& v : d->rangeBinds) Bind(s, at++, v);
    if (sqlite3_step(s) != SQLITE_ROW) internal::RaiseSqlite(d->file->db(), sqlite3_extended_errcode(d->file->db()), d->ctx());
    return int(sqlite3_column_int64(s, 0));
}

int Table::RecNo() const {
    checkActive();
    if (m_state == DataSetState::dsInsert || !d->hasCurrent) return -1;
    QVariantList binds = d->rangeBinds;
    const QVariantList key = d->currentKey();
    const QString before = Impl::lex(d->orderExprs, key, d->desc, false, binds);
    const QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(d->file->rowTable()) + d->where(before);
    sqlite3_stmt* s = d->file->statement(sql);
    internal::StatementReset reset(s);
    int at = 1;
    for (const auto& v : binds) Bind(s, at++, v);
    if (sqlite3_step(s) != SQLITE_ROW) internal::RaiseSqlite(d->file->db(), sqlite3_extended_errcode(d->file->db()), d->ctx());
    return int(sqlite3_column_int64(s, 0)) + 1;
}

// ---- fields ----

Field* Table::Fields(int index) const {
    if (index < 0 || index >= int(m_fields.size()))
        Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field number %1 of table %2").arg(index).arg(m_tableName));
    return m_fields[size_t(index)].get();
}

Field* Table::FindField(const QString& name) const {
    for (const auto& f : m_fields) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f.get();
    }
    return nullptr;
}

Field* Table::FieldByName(const QString& name) const {
    Field* f = FindField(name);
    if (!f) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1 (table %2)").arg(name, m_tableName));
    return f;
}

QStringList Table::GetFieldNames() const {
    QStringList names;
    if (!m_fields.empty()) {
        for (const auto& f : m_fields) names << f->FieldName();
    } else {
        for (const auto& f : m_def.Fields) names << f.Name;
    }
    return names;
}

const QVariant& Table::currentValue(int field) const {
    static const QVariant null;
    if (m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) return d->buffer[size_t(field)];
    if (!Active() || !d->hasCurrent) return null;
    return d->value(field);
}

void Table::setBufferValue(int field, const QVariant& value) {
    if (m_state != DataSetState::dsEdit && m_state != DataSetState::dsInsert)
        Raise(ErrorCode::kNotEditing, QStringLiteral("Table: %1").arg(m_tableName));
    const Field* f = m_fields[size_t(field)].get();
    if (f->ReadOnly()) Raise(ErrorCode::kReadOnly, QStringLiteral("Field: %1").arg(f->FieldName()));
    d->buffer[size_t(field)] = value;
    d->changed[size_t(field)] = true;
    m_modified = true;
    notifyData();
}

QByteArray Table::blobValue(int field) const {
    if (!Active()) return {};
    if ((m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) && d->changed[size_t(field)])
        return d->buffer[size_t(field)].toByteArray();
    if (m_state == DataSetState::dsInsert || !d->hasCurrent) return {};
    if (d->value(field).isNull()) return {};
    if (d->blobRow != d->currentId()) {
        d->blobs.clear();
        d->blobRow = d->currentId();
    }
    auto it = d->blobs.constFind(field);
    if (it != d->blobs.constEnd()) return *it;
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                            .arg(Quote(m_def.Fields[size_t(field)].Name), d->file->rowTable());
    sqlite3_stmt* s = d->file->statement(sql);
    internal::StatementReset reset(s);
    sqlite3_bind_int64(s, 1, d->currentId());
    QByteArray bytes;
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        bytes = QByteArray(static_cast<const char*>(sqlite3_column_blob(s, 0)), sqlite3_column_bytes(s, 0));
    } else if (rc != SQLITE_DONE) {
        internal::RaiseSqlite(d->file->db(), sqlite3_extended_errcode(d->file->db()), d->ctx());
    }
    d->blobs.insert(field, bytes);
    return bytes;
}

qint64 Table::blobSize(int field) const {
    if (!Active()) return 0;
    if ((m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) && d->changed[size_t(field)])
        return d->buffer[size_t(field)].toByteArray().size();
    if (m_state == DataSetState::dsInsert || !d->hasCurrent) return 0;
    return d->value(field).toLongLong();
}

// ---- seeks ----

static QVariantList convertKey(const TableDef& def, const std::vector<int>& fields, const QVariantList& values,
                               const QString& table) {
    if (values.size() > qsizetype(fields.size()))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("More key values than index fields (table %1).").arg(table));
    QVariantList key;
    for (qsizetype i = 0; i < values.size(); ++i) key << internal::ToStorage(def.Fields[size_t(fields[size_t(i)])], values[i]);
    return key;
}

bool Table::positionOnFirstMatch(const QString& whereSql, const QVariantList& binds, bool forward) {
    QVariantList all = d->rangeBinds;
    all += binds;
    const QString sql = d->select + d->where(whereSql) + (forward ? d->orderForward : d->orderBackward) +
                        QStringLiteral(" LIMIT 1");
    if (!d->positionOnFirst(sql, all)) return false;
    m_bof = m_eof = false;
    return true;
}

bool Table::FindKey(const QVariantList& keyValues) {
    checkBrowseMode();
    const QVariantList key = convertKey(m_def, d->orderFields, keyValues, m_tableName);
    DoBeforeScroll();
    if (!d->positionOnSeek(false, key)) return false;
    m_bof = m_eof = false;
    DoAfterScroll();
    notifyScrolled();
    return true;
}

void Table::FindNearest(const QVariantList& keyValues) {
    checkBrowseMode();
    const QVariantList key = convertKey(m_def, d->orderFields, keyValues, m_tableName);
    DoBeforeScroll();
    if (d->positionOnSeek(true, key)) {
        m_bof = m_eof = false;
    } else {
        // nothing at or after the key: the end of the table
        d->sync();
        d->setBatch(d->fetch(false, nullptr, false, 1), 0);
        d->batchValid = d->hasCurrent;
        d->batchEndKnown = true;
        d->batchStartKnown = false;
        m_eof = true;
        m_bof = !d->hasCurrent;
    }
    DoAfterScroll();
    notifyScrolled();
}

void Table::SetRange(const QVariantList& startValues, const QVariantList& endValues) {
    checkBrowseMode();
    const QVariantList start = convertKey(m_def, d->orderFields, startValues, m_tableName);
    const QVariantList end = convertKey(m_def, d->orderFields, endValues, m_tableName);
    QStringList parts;
    QVariantList binds;
    bool equal = start.size() == end.size();
    for (qsizetype i = 0; equal && i < start.size(); ++i) equal = !start[i].isNull() && start[i] == end[i];
    if (equal) {
        for (qsizetype i = 0; i < start.size(); ++i) {
            parts << QStringLiteral("%1 = ?").arg(d->orderExprs[i]);
            binds << start[i];
        }
    } else {
        if (!start.isEmpty()) parts << Impl::lex(d->orderExprs, start, !d->desc, true, binds);
        if (!end.isEmpty()) parts << Impl::lex(d->orderExprs, end, d->desc, true, binds);
    }
    d->rangeWhere = parts.join(QStringLiteral(" AND "));
    d->seeks.clear();
    d->rangeBinds = binds;
    d->rangeStart = startValues;
    d->rangeEnd = endValues;
    d->invalidate();
    First();
}

void Table::CancelRange() {
    checkBrowseMode();
    clearRange();
    d->invalidate();
    First();
}

bool Table::HasRange() const { return Active() && !d->rangeWhere.isEmpty(); }

QVariantList Table::RangeStart() const { return HasRange() ? d->rangeStart : QVariantList(); }

QVariantList Table::RangeEnd() const { return HasRange() ? d->rangeEnd : QVariantList(); }

static QString locateWhere(const TableDef& def, const QString& fieldNames, const QVariantList& values,
                           LocateOptions options, QVariantList& binds) {
    const QStringList names = IndexDef{QString(), fieldNames, {}}.FieldList();
    if (names.size() != values.size() || names.isEmpty())
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Locate needs one value per field."));
    QStringList conds;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const int at = def.FieldIndex(names[i]);
        if (at < 0) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1").arg(names[i]));
        const FieldDef& f = def.Fields[size_t(at)];
        const QString col = Quote(f.Name);
        if (IsTextType(f.DataType)) {
            QString text = values[i].isNull() ? QString() : values[i].toString();
            if (f.DataType == FieldType::ftString && text.size() > f.Size) text.truncate(f.Size);
            if (text.isEmpty()) {
                if (options.testFlag(LocateOption::loPartialKey)) continue;  // every value starts with ""
                conds << QStringLiteral("%1 IS NULL").arg(col);
                continue;
            }
            const bool ci = options.testFlag(LocateOption::loCaseInsensitive);
            const QString expr = ci ? QStringLiteral("dossara_fold(%1)").arg(col) : col;
            const QString value = ci ? text.toCaseFolded() : text;
            if (options.testFlag(LocateOption::loPartialKey)) {
                conds << QStringLiteral("substr(%1, 1, ?) = ?").arg(expr);
                binds << qlonglong(value.toUcs4().size()) << value;
            } else {
                conds << QStringLiteral("%1 = ? COLLATE BINARY").arg(expr);
                binds << value;
            }
        } else {
            const QVariant v = internal::ToStorage(f, values[i]);
            if (v.isNull()) {
                conds << QStringLiteral("%1 IS NULL").arg(col);
            } else {
                conds << QStringLiteral("%1 = ?").arg(col);
                binds << v;
            }
        }
    }
    return conds.isEmpty() ? QStringLiteral("1") : conds.join(QStringLiteral(" AND "));
}

bool Table::Locate(const QString& fieldNames, const QVariantList& values, LocateOptions options) {
    checkBrowseMode();
    QVariantList binds;
    const QString cond = locateWhere(m_def, fieldNames, values, options, binds);
    DoBeforeScroll();
    if (!positionOnFirstMatch(cond, binds, true)) return false;
    DoAfterScroll();
    notifyScrolled();
    return true;
}

QVariant Table::Lookup(const QString& keyFields, const QVariantList& values, const QString& resultField) {
    checkActive();
    Field* result = FieldByName(resultField);
    QVariantList binds = d->rangeBinds;
    const QString cond = locateWhere(m_def, keyFields, values, {}, binds);
    const QString sql = QStringLiteral("SELECT %1 FROM %2").arg(Quote(result->FieldName()), d->file->rowTable()) +
                        d->where(cond) + d->orderForward + QStringLiteral(" LIMIT 1");
    sqlite3_stmt* s = d->file->statement(sql);
    internal::StatementReset reset(s);
    int at = 1;
    for (const auto& v : binds) Bind(s, at++, v);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) return ColumnValue(s, 0);
    if (rc != SQLITE_DONE) internal::RaiseSqlite(d->file->db(), sqlite3_extended_errcode(d->file->db()), d->ctx());
    return {};
}

// ---- bookmarks ----

Bookmark Table::GetBookmark() const {
    if (!Active() || !d->hasCurrent || m_state == DataSetState::dsInsert) return {};
    return Bookmark{d->currentId()};
}

bool Table::BookmarkValid(const Bookmark& bookmark) const {
    if (!Active() || bookmark.IsNull()) return false;
    auto rows = d->query(d->select + QStringLiteral(" WHERE rowid = ?"), {QVariant(qlonglong(bookmark.rowId))});
    return !rows.empty();
}

void Table::GotoBookmark(const Bookmark& bookmark) {
    checkBrowseMode();
    if (bookmark.IsNull()) Raise(ErrorCode::kInvalidParameter, QStringLiteral("Bookmark is empty."));
    DoBeforeScroll();
    if (!positionOnFirstMatch(QStringLiteral("rowid = ?"), {QVariant(qlonglong(bookmark.rowId))}, true))
        Raise(ErrorCode::kRecordDeleted, d->ctx());
    DoAfterScroll();
    notifyScrolled();
}

void Table::Refresh() {
    checkBrowseMode();
    d->invalidate();
    d->seenLocal = -1;
    d->sync();
    if (d->hasCurrent) {
        const QVariantList key = d->currentKey();
        QVariantList binds = d->rangeBinds;
        binds << qlonglong(d->currentId());
        auto rows = d->query(d->select + d->where(QStringLiteral("rowid = ?")), binds);
        if (rows.empty()) {
            // the row is gone (or left the range): the next one in order, else the one before
            rows = d->fetch(true, &key, false, 1);
            if (rows.empty()) rows = d->fetch(false, &key, false, 1);
            m_bof = m_eof = rows.empty();
        }
        d->setBatch(std::move(rows), 0);
    } else {
        d->setBatch(d->fetch(true, nullptr, false, 1), 0);
        m_bof = true;
        m_eof = !d->hasCurrent;
    }
    d->batchValid = false;
    notifyData();
}

// ---- editing ----

bool Table::CanModify() const { return Active() && !m_readOnly && !d->file->readOnly(); }

void Table::Edit() {
    checkActive();
    if (m_state == DataSetState::dsEdit || m_state == DataSetState::dsInsert) return;
    if (!d->hasCurrent) {
        Insert();
        return;
    }
    if (!CanModify()) Raise(ErrorCode::kReadOnly, d->ctx());
    DoBeforeEdit();
    const qint64 id = d->currentId();
    if (!d->file->lockRecord(id)) Raise(ErrorCode::kRecordLocked, d->ctx());
    try {
        // edit what the row holds now
        auto rows = d->query(d->select + QStringLiteral(" WHERE rowid = ?"), {QVariant(qlonglong(id))});
        if (rows.empty()) Raise(ErrorCode::kRecordDeleted, d->ctx());
        d->setBatch(std::move(rows), 0);
        d->batchValid = false;
    } catch (...) {
        d->file->unlockRecord(id);
        throw;
    }
    d->lockedRow = id;
    d->buffer = d->currentValues();
    d->changed.assign(d->buffer.size(), false);
    m_modified = false;
    m_state = DataSetState::dsEdit;
    emit StateChanged();
    DoAfterEdit();
}

void Table::insertOrAppend(bool append) {
    checkBrowseMode();
    if (!CanModify()) Raise(ErrorCode::kReadOnly, d->ctx());
    DoBeforeInsert();
    DoBeforeScroll();
    Q_UNUSED(append);
    d->buffer.assign(m_def.Fields.size(), QVariant());
    d->changed.assign(m_def.Fields.size(), false);
    m_state = DataSetState::dsInsert;
    m_modified = false;
    emit StateChanged();
    try {
        DoOnNewRecord();
    } catch (...) {
        m_state = DataSetState::dsBrowse;
        emit StateChanged();
        throw;
    }
    m_modified = false;
    DoAfterInsert();
    DoAfterScroll();
    notifyScrolled();
}

void Table::Insert() { insertOrAppend(false); }

void Table::Append() { insertOrAppend(true); }

void Table::Cancel() {
    checkActive();
    if (m_state != DataSetState::dsEdit && m_state != DataSetState::dsInsert) return;
    DoBeforeCancel();
    if (d->lockedRow) {
        d->file->unlockRecord(d->lockedRow);
        d->lockedRow = 0;
    }
    m_state = DataSetState::dsBrowse;
    m_modified = false;
    d->blobs.clear();
    d->blobRow = 0;
    emit StateChanged();
    notifyData();
    DoAfterCancel();
}

namespace {

/// Runs a write in one transaction of the file, or inside the database's transaction.
template <typename F>
void writeTransaction(TableFile& file, const std::shared_ptr<TableFile>& shared, const QString& databaseName, F&& work) {
    Database* database = Database::FindDatabase(databaseName);
    const bool inDatabase = database && database->InTransaction();
    const bool started = file.beginWrite();
    if (inDatabase) database->joinTransaction(shared);
    try {
        work();
        if (started && !inDatabase) file.commitWrite();
    } catch (...) {
        if (started && !inDatabase) file.rollbackWrite();
        file.bumpLocalVersion();
        throw;
    }
    file.bumpLocalVersion();
}

void step(TableFile& file, sqlite3_stmt* s, const QString& ctx) {
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) internal::RaiseSqlite(file.db(), sqlite3_extended_errcode(file.db()), ctx);
}

void raiseRequired(const FieldDef& f, const QString& ctx) {
    throw EDBEngineError({{ErrorCode::kRequiredField, EngineMessage(ErrorCode::kRequiredField)},
                          {0, QStringLiteral("Field: %1").arg(f.Name)},
                          {0, ctx}});
}

/// Raises kRequiredField for the first required field left null (autoincrement fields get
/// their value when the row is written).
void checkRequired(const TableDef& def, const std::vector<QVariant>& row, const QString& ctx) {
    for (size_t i = 0; i < def.Fields.size(); ++i) {
        const FieldDef& f = def.Fields[i];
        if (f.Required && f.DataType != FieldType::ftAutoInc && row[i].isNull()) raiseRequired(f, ctx);
    }
}

/// Gives each null autoincrement field of a row to be inserted the highest value so far + 1.
void fillAutoIncrements(TableFile& file, const TableDef& def, std::vector<QVariant>& row, const QString& ctx) {
    for (size_t i = 0; i < def.Fields.size(); ++i) {
        if (def.Fields[i].DataType != FieldType::ftAutoInc || !row[i].isNull()) continue;
        sqlite3_stmt* s = file.statement(
            QStringLiteral("SELECT coalesce(max(%1), 0) + 1 FROM %2").arg(Quote(def.Fields[i].Name), file.rowTable()));
        internal::StatementReset reset(s);
        if (sqlite3_step(s) != SQLITE_ROW) internal::RaiseSqlite(file.db(), sqlite3_extended_errcode(file.db()), ctx);
        row[i] = qlonglong(sqlite3_column_int64(s, 0));
    }
}

/// Raises kKeyViolation when another row (any but `rowId`; 0 for a row being inserted) has
/// the same primary key as `row` and a part of that key is blank: SQLite's unique index
/// takes two nulls for different values, the table does not.
void checkBlankKeyDuplicate(TableFile& file, const TableDef& def, const std::vector<QVariant>& row, qint64 rowId,
                            const QString& ctx) {
    const IndexDef* pk = def.PrimaryIndex();
    if (!pk) return;
    QStringList conds;
    QVariantList binds;
    bool anyNull = false;
    for (const QString& n : pk->FieldList()) {
        const int at = def.FieldIndex(n);
        anyNull = anyNull || row[size_t(at)].isNull();
        conds << QStringLiteral("%1 IS ?").arg(Quote(def.Fields[size_t(at)].Name));
        binds << row[size_t(at)];
    }
    if (!anyNull) return;
    sqlite3_stmt* s = file.statement(QStringLiteral("SELECT 1 FROM %1 WHERE %2 AND rowid IS NOT ?")
                                         .arg(file.rowTable(), conds.join(QStringLiteral(" AND "))));
    internal::StatementReset reset(s);
    int at = 1;
    for (const auto& v : binds) Bind(s, at++, v);
    sqlite3_bind_int64(s, at, rowId);
    if (sqlite3_step(s) == SQLITE_ROW) Raise(ErrorCode::kKeyViolation, ctx);
}

/// Inserts a whole row (one value per field) with the statement kept in `insertSql` (made on
/// first use); answers its row id.
qint64 insertRow(TableFile& file, const TableDef& def, QString& insertSql, const std::vector<QVariant>& row,
                 const QString& ctx) {
    if (insertSql.isEmpty()) {
        QStringList cols, marks;
        for (const auto& f : def.Fields) {
            cols << Quote(f.Name);
            marks << QStringLiteral("?");
        }
        insertSql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(file.rowTable(), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    }
    sqlite3_stmt* s = file.statement(insertSql);
    internal::StatementReset reset(s);
    for (size_t i = 0; i < row.size(); ++i) Bind(s, int(i) + 1, row[i]);
    step(file, s, ctx);
    return sqlite3_last_insert_rowid(file.db());
}

}  // namespace

void Table::StartBatch() {
    checkActive();
    if (!CanModify()) Raise(ErrorCode::kReadOnly, d->ctx());
    if (d->file->inTransaction()) Raise(ErrorCode::kTransactionActive, d->ctx());
    d->file->beginWrite();
    d->batchStarted = true;
}

void Table::EndBatch(bool commit) {
    checkActive();
    const bool started = std::exchange(d->batchStarted, false);
    if (!commit && started && !d->file->inTransaction() && !d->file->heldByDatabase) {
        // SQLite rolled the batch back itself when a write of it failed: nothing is left to undo
        d->file->rollbackWrite();
        d->file->bumpLocalVersion();
        return;
    }
    if (!d->file->inTransaction() || d->file->heldByDatabase) Raise(ErrorCode::kNoTransaction, d->ctx());
    if (commit) {
        try {
            d->file->commitWrite();
        } catch (...) {
            d->file->rollbackWrite();
            d->file->bumpLocalVersion();
            throw;
        }
    } else {
        d->file->rollbackWrite();
    }
    d->file->bumpLocalVersion();
}

void Table::Post() {
    checkActive();
    if (m_state != DataSetState::dsEdit && m_state != DataSetState::dsInsert) return;
    emit UpdatingRecord();
    DoBeforePost();
    const bool inserting = m_state == DataSetState::dsInsert;
    TableFile& file = *d->file;
    const QString ctx = d->ctx();
    checkRequired(m_def, d->buffer, ctx);
    qint64 rowId = d->hasCurrent && !inserting ? d->currentId() : 0;
    std::vector<QVariant> values = d->buffer;
    writeTransaction(file, d->file, m_databaseName, [&] {
        if (inserting) fillAutoIncrements(file, m_def, values, ctx);
        checkBlankKeyDuplicate(file, m_def, values, inserting ? 0 : rowId, ctx);
        if (inserting) {
            rowId = insertRow(file, m_def, d->insertSql, values, ctx);
        } else {
            QStringList sets;
            QVariantList binds;
            for (size_t i = 0; i < values.size(); ++i) {
                if (!d->changed[i]) continue;
                sets << QStringLiteral("%1 = ?").arg(Quote(m_def.Fields[i].Name));
                binds << values[i];
            }
            if (!sets.isEmpty()) {
                sqlite3_stmt* s = file.statement(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                                     .arg(file.rowTable(), sets.join(QLatin1Char(','))));
                internal::StatementReset reset(s);
                int at = 1;
                for (const auto& v : binds) Bind(s, at++, v);
                sqlite3_bind_int64(s, at, rowId);
                step(file, s, ctx);
                if (sqlite3_changes(file.db()) == 0) Raise(ErrorCode::kRecordDeleted, ctx);
            }
        }
    });
    if (d->lockedRow) {
        file.unlockRecord(d->lockedRow);
        d->lockedRow = 0;
    }
    m_state = DataSetState::dsBrowse;
    m_modified = false;
    d->blobs.clear();
    d->blobRow = 0;
    // stay on the posted row in its new position
    d->sync();
    if (!inserting) {
        // columns not written keep what the row held
        for (size_t i = 0; i < values.size(); ++i) {
            if (!d->changed[i]) values[i] = d->value(int(i));
        }
    }
    for (size_t i = 0; i < values.size(); ++i) {
        if (isLazyBlob(m_def.Fields[i].DataType) && (inserting || d->changed[i]))
            values[i] = values[i].isNull() ? QVariant() : QVariant(qlonglong(values[i].toByteArray().size()));
    }
    RowSet posted(d->columnCount);
    posted.append(rowId, values);
    d->setBatch(std::move(posted), 0);
    d->batchValid = false;
    d->batchStartKnown = d->batchEndKnown = false;
    m_bof = m_eof = false;
    emit StateChanged();
    notifyData();
    DoAfterPost();
}

void Table::Delete() {
    checkActive();
    if (m_state == DataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (m_state == DataSetState::dsEdit) Cancel();
    if (!d->hasCurrent) Raise(ErrorCode::kRecordNotFound, d->ctx());
    if (!CanModify()) Raise(ErrorCode::kReadOnly, d->ctx());
    DoBeforeDelete();
    DoBeforeScroll();
    TableFile& file = *d->file;
    const QString ctx = d->ctx();
    const qint64 oldId = d->currentId();
    const QVariantList key = d->currentKey();
    if (!file.lockRecord(oldId)) Raise(ErrorCode::kRecordLocked, ctx);
    try {
        writeTransaction(file, d->file, m_databaseName, [&] {
            sqlite3_stmt* s = file.statement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(file.rowTable()));
            internal::StatementReset reset(s);
            sqlite3_bind_int64(s, 1, oldId);
            step(file, s, ctx);
        });
    } catch (...) {
        file.unlockRecord(oldId);
        throw;
    }
    file.unlockRecord(oldId);
    d->sync();
    auto rows = d->fetch(true, &key, false, 1);
    m_eof = rows.empty();
    m_bof = false;
    if (rows.empty()) {
        rows = d->fetch(false, &key, false, 1);
        m_bof = rows.empty();
        m_eof = true;
    }
    d->setBatch(std::move(rows), 0);
    d->batchValid = false;
    if (d->hasCurrent && m_eof) m_eof = false;  // standing on the row before the deleted last one
    if (!d->hasCurrent) m_bof = m_eof = true;
    notifyData();
    DoAfterDelete();
    DoAfterScroll();
    notifyScrolled();
}

}  // namespace db

// ---- direct row access ----

namespace db {

namespace {

std::vector<int> fieldPositions(const TableDef& def, const QString& names) {
    std::vector<int> at;
    if (names.isEmpty()) return at;
    for (const QString& n : IndexDef{QString(), names, {}}.FieldList()) {
        const int i = def.FieldIndex(n);
        if (i < 0) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1").arg(n));
        at.push_back(i);
    }
    return at;
}

}  // namespace

DirectRows::DirectRows(Table& table, const QString& keyFields, const QString& readFields, const QString& writeFields)
    : m_table(&table) {
    table.checkActive();
    const TableDef& def = table.m_def;
    const QString rowTable = table.d->file->rowTable();
    m_key = fieldPositions(def, keyFields);
    m_read = fieldPositions(def, readFields);
    m_write = fieldPositions(def, writeFields);
    if (m_key.empty()) Raise(ErrorCode::kInvalidParameter, QStringLiteral("Direct row access needs key fields."));
    if (!m_write.empty() && !table.CanModify()) Raise(ErrorCode::kReadOnly, table.d->ctx());
    if (const IndexDef* pk = def.PrimaryIndex()) {
        for (const QString& n : pk->FieldList()) {
            if (std::find(m_write.begin(), m_write.end(), def.FieldIndex(n)) != m_write.end())
                Raise(ErrorCode::kInvalidParameter, QStringLiteral("Field %1 of the primary index cannot be written directly.").arg(n));
        }
    }
    QStringList cols{QStringLiteral("rowid")};
    for (int f : m_read) cols << Quote(def.Fields[size_t(f)].Name);
    QStringList conds;
    for (int f : m_key) {
        const FieldDef& fd = def.Fields[size_t(f)];
        conds << QStringLiteral("%1 IS ?%2").arg(Quote(fd.Name), IsTextType(fd.DataType) ? QStringLiteral(" COLLATE BINARY") : QString());
    }
    m_findSql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT 1")
                    .arg(cols.join(QLatin1Char(',')), rowTable, conds.join(QStringLiteral(" AND ")));
    QStringList sets;
    for (int f : m_write) sets << QStringLiteral("%1 = ?").arg(Quote(def.Fields[size_t(f)].Name));
    if (!sets.isEmpty())
        m_writeSql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(rowTable, sets.join(QLatin1Char(',')));
    m_deleteSql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(rowTable);
    m_values.assign(m_read.size(), QVariant());
}

DirectRows::~DirectRows() = default;

std::shared_ptr<internal::TableFile> DirectRows::file() const {
    if (!m_table) Raise(ErrorCode::kTableClosed, QStringLiteral("Table: (freed)"));
    m_table->checkActive();
    return m_table->d->file;
}

qint64 DirectRows::Find(const QVariantList& key) {
    const auto shared = file();
    TableFile& f = *shared;
    const TableDef& def = m_table->m_def;
    if (key.size() != qsizetype(m_key.size()))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Direct row access needs one value per key field."));
    sqlite3_stmt* s = f.statement(m_findSql);
    internal::StatementReset reset(s);
    for (size_t i = 0; i < m_key.size(); ++i) {
        // compared as Locate compares: text cut to the field's size, "" as null
        const FieldDef& fd = def.Fields[size_t(m_key[i])];
        const QVariant& given = key[qsizetype(i)];
        if (IsTextType(fd.DataType)) {
            QString text = given.isNull() ? QString() : given.toString();
            if (fd.DataType == FieldType::ftString && text.size() > fd.Size) text.truncate(fd.Size);
            Bind(s, int(i) + 1, text.isEmpty() ? QVariant() : QVariant(text));
        } else {
            Bind(s, int(i) + 1, internal::ToStorage(fd, given));
        }
    }
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        for (size_t i = 0; i < m_read.size(); ++i) m_values[i] = ColumnValue(s, int(i) + 1);
        return sqlite3_column_int64(s, 0);
    }
    if (rc != SQLITE_DONE) internal::RaiseSqlite(f.db(), sqlite3_extended_errcode(f.db()), m_table->d->ctx());
    for (QVariant& v : m_values) v = QVariant();
    return 0;
}

const QVariant& DirectRows::Value(int i) const {
    if (i < 0 || i >= int(m_values.size())) Raise(ErrorCode::kInvalidParameter, QStringLiteral("Read field %1 does not exist.").arg(i));
    return m_values[size_t(i)];
}

void DirectRows::afterWrite(qint64 rowId) {
    // the table's own cursor standing on the row shows what it holds now
    Table& t = *m_table;
    Table::Impl& d = *t.d;
    if (t.m_state != DataSetState::dsBrowse || !d.hasCurrent || d.currentId() != rowId) return;
    d.blobs.clear();
    d.blobRow = 0;
    d.sync();
    auto rows = d.query(d.select + QStringLiteral(" WHERE rowid = ?"), {QVariant(qlonglong(rowId))});
    if (rows.empty()) return;  // deleted: the cursor finds out on its next move
    d.setBatch(std::move(rows), 0);
    d.batchValid = false;
    d.batchStartKnown = d.batchEndKnown = false;
    t.notifyData();
}

void DirectRows::Write(qint64 rowId, const QVariantList& values) {
    const auto shared = file();
    TableFile& f = *shared;
    Table& t = *m_table;
    const TableDef& def = t.m_def;
    const QString ctx = t.d->ctx();
    if (m_writeSql.isEmpty() || values.size() != qsizetype(m_write.size()))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Direct row access needs one value per write field."));
    if (!t.CanModify()) Raise(ErrorCode::kReadOnly, ctx);
    if (!f.lockRecord(rowId)) Raise(ErrorCode::kRecordLocked, ctx);
    try {
        std::vector<QVariant> stored(m_write.size());  // outlives the statement's use of it
        sqlite3_stmt* s = f.statement(m_writeSql);
        internal::StatementReset reset(s);
        for (size_t i = 0; i < m_write.size(); ++i) {
            const FieldDef& fd = def.Fields[size_t(m_write[i])];
            stored[i] = internal::ToStorage(fd, values[qsizetype(i)]);
            const QVariant& v = stored[i];
            if (fd.Required && fd.DataType != FieldType::ftAutoInc && v.isNull()) raiseRequired(fd, ctx);
            if (v.typeId() == QMetaType::QByteArray) {
                // bound in place: large BLOBs are not copied once more
                const QByteArray& b = *static_cast<const QByteArray*>(v.constData());
                sqlite3_bind_blob64(s, int(i) + 1, b.constData(), sqlite3_uint64(b.size()), SQLITE_STATIC);
            } else {
                Bind(s, int(i) + 1, v);
            }
        }
        sqlite3_bind_int64(s, int(m_write.size()) + 1, rowId);
        writeTransaction(f, shared, t.m_databaseName, [&] {
            step(f, s, ctx);
            if (sqlite3_changes(f.db()) == 0) Raise(ErrorCode::kRecordDeleted, ctx);
        });
    } catch (...) {
        f.unlockRecord(rowId);
        throw;
    }
    f.unlockRecord(rowId);
    afterWrite(rowId);
}

qint64 DirectRows::Insert(const QVariantList& keyValues, const QVariantList& values) {
    const auto shared = file();
    TableFile& f = *shared;
    Table& t = *m_table;
    const TableDef& def = t.m_def;
    const QString ctx = t.d->ctx();
    if (keyValues.size() != qsizetype(m_key.size()) || values.size() != qsizetype(m_write.size()))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Direct row access needs one value per key and write field."));
    if (!t.CanModify()) Raise(ErrorCode::kReadOnly, ctx);
    // the whole row as Post would write it: the fields given, every other one null
    std::vector<QVariant> row(def.Fields.size());
    for (size_t i = 0; i < m_key.size(); ++i)
        row[size_t(m_key[i])] = internal::ToStorage(def.Fields[size_t(m_key[i])], keyValues[qsizetype(i)]);
    for (size_t i = 0; i < m_write.size(); ++i)
        row[size_t(m_write[i])] = internal::ToStorage(def.Fields[size_t(m_write[i])], values[qsizetype(i)]);
    checkRequired(def, row, ctx);
    qint64 rowId = 0;
    writeTransaction(f, shared, t.m_databaseName, [&] {
        fillAutoIncrements(f, def, row, ctx);
        checkBlankKeyDuplicate(f, def, row, 0, ctx);
        rowId = insertRow(f, def, t.d->insertSql, row, ctx);
    });
    return rowId;
}

void DirectRows::Delete(qint64 rowId) {
    const auto shared = file();
    TableFile& f = *shared;
    Table& t = *m_table;
    const QString ctx = t.d->ctx();
    if (!t.CanModify()) Raise(ErrorCode::kReadOnly, ctx);
    if (!f.lockRecord(rowId)) Raise(ErrorCode::kRecordLocked, ctx);
    try {
        writeTransaction(f, shared, t.m_databaseName, [&] {
            sqlite3_stmt* s = f.statement(m_deleteSql);
            internal::StatementReset reset(s);
            sqlite3_bind_int64(s, 1, rowId);
            step(f, s, ctx);
        });
    } catch (...) {
        f.unlockRecord(rowId);
        throw;
    }
    f.unlockRecord(rowId);
    afterWrite(rowId);
}

}  // namespace db
