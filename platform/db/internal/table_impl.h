#pragma once

#include "platform/db/internal/order_sql.h"
#include "platform/db/internal/row_set.h"
#include "platform/db/internal/table_file.h"
#include "platform/db/table.h"

#include <QHash>

#include <memory>
#include <vector>

namespace db {

/// The cursor's state behind a Table: the open file, the SQL of its order and range, the
/// batch of rows read around the current one, the edit buffer and the BLOB cache.
///
/// Position: with `hasCurrent`, the current row is batch row `pos`; the batch holds rows
/// next to each other in the current order. `batchValid` false means only the current row
/// counts (the others may be stale); `batchStartKnown` / `batchEndKnown` say that no row
/// lies before / after the batch within the range.
struct Table::Impl {
    static constexpr int kFirstBatch = 32;
    static constexpr int kMaxBatch = 1024;

    std::shared_ptr<internal::TableFile> file;
    internal::TableFile::Mode mode = internal::TableFile::Mode::Shared;

    // order: index fields, then rowid
    std::vector<int> orderFields;
    bool desc = false;
    bool nocase = false;
    internal::OrderSql sql;
    QString select;     ///< "SELECT rowid, ... FROM t"
    QString insertSql;  ///< made on the first insert
    int columnCount = 0;
    std::vector<bool> textColumns;  ///< columns read as text directly (alpha, memo)

    QVariantList rangeStart, rangeEnd;  ///< as given to SetRange

    bool hasCurrent = false;
    internal::RowSet batch;
    int pos = -1;
    /// Field values of the current row, made on first use after each move.
    mutable std::vector<QVariant> values;
    mutable std::vector<quint64> valueStamp;
    quint64 moveStamp = 1;
    bool batchValid = false;
    bool batchEndKnown = false;
    bool batchStartKnown = false;
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

    QString ctx() const { return QStringLiteral("Table: %1").arg(file ? file->Path() : QString()); }

    /// Makes batch row newPos the current row.
    void makeCurrent(int newPos) {
        pos = newPos;
        ++moveStamp;
    }

    /// Replaces the batch and makes its row newPos current (the last one for -1; none when
    /// the batch is empty).
    void setBatch(internal::RowSet&& rows, int newPos) {
        batch = std::move(rows);
        hasCurrent = !batch.Empty();
        pos = -1;
        if (hasCurrent) makeCurrent(newPos < 0 ? batch.Size() - 1 : newPos);
    }

    /// Replaces the batch with one read from the start (forward) or the end of the order and
    /// stands on its first or last row.
    void loadEnd(bool forward) {
        sync();
        nextBatch = kFirstBatch;
        auto rows = fetchFromEnd(forward, growBatch());
        if (!forward) rows.Reverse();
        setBatch(std::move(rows), forward ? 0 : -1);
        batchValid = true;
        (forward ? batchStartKnown : batchEndKnown) = true;
        (forward ? batchEndKnown : batchStartKnown) = batch.Size() < kFirstBatch;
    }

    /// Moves one row on (forward) or back; answers false at the end, leaving the position.
    bool step(bool forward) {
        const int next = forward ? pos + 1 : pos - 1;
        if (batchValid && pos >= 0 && next >= 0 && next < batch.Size()) {
            makeCurrent(next);
            return true;
        }
        const bool knownEnd = forward ? (batchEndKnown && pos == batch.Size() - 1) : (batchStartKnown && pos == 0);
        if (batchValid && knownEnd) return false;
        const QVariantList key = currentKey();
        const int limit = growBatch();
        auto rows = fetchBeyond(forward, key, false, limit);
        if (rows.Empty()) {
            invalidate();
            return false;
        }
        if (!forward) rows.Reverse();
        setBatch(std::move(rows), forward ? 0 : -1);
        batchValid = true;
        (forward ? batchStartKnown : batchEndKnown) = false;
        (forward ? batchEndKnown : batchStartKnown) = batch.Size() < limit;
        return true;
    }

    qint64 currentId() const { return batch.Id(pos); }

    /// A field of the current row in storage form.
    const QVariant& value(int field) const {
        if (valueStamp[size_t(field)] != moveStamp) {
            values[size_t(field)] = batch.Value(pos, field);
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

    /// Drops what was read when this process or another wrote to the file since.
    void sync() {
        const qint64 local = file->LocalVersion();
        const quint32 external = file->ExternalVersion();
        if (local != seenLocal || external != seenExternal) {
            invalidate();
            seenLocal = local;
            seenExternal = external;
            blobRow = 0;
            blobs.clear();
        }
    }

    /// The current row's position in the order: its order fields, then its rowid.
    QVariantList currentKey() const {
        QVariantList key;
        key.reserve(qsizetype(orderFields.size() + 1));
        for (int f : orderFields) key << value(f);
        key << QVariant(qlonglong(currentId()));
        return key;
    }

    /// Runs a query that reads rows (into `rows`, at most `limit` more when given: its last
    /// placeholder is the limit).
    void readInto(internal::RowSet& rows, const internal::SqlQuery& q, int limit = -1) {
        sqlite3_stmt* s = file->Statement(q.sql);
        internal::StatementReset reset(s);
        const int next = internal::BindAll(s, q.binds);
        if (limit >= 0) sqlite3_bind_int64(s, next, limit);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) rows.Append(s, textColumns);
        if (rc != SQLITE_DONE) internal::RaiseSqlite(file->Db(), sqlite3_extended_errcode(file->Db()), ctx());
    }

    internal::RowSet read(const internal::SqlQuery& q, int limit = -1) {
        internal::RowSet rows(columnCount);
        rows.Reserve(limit > 0 ? limit : 1);
        readInto(rows, q, limit);
        return rows;
    }

    /// One integer answered by a query (count(*)).
    qint64 readCount(const internal::SqlQuery& q) const {
        sqlite3_stmt* s = file->Statement(q.sql);
        internal::StatementReset reset(s);
        internal::BindAll(s, q.binds);
        if (sqlite3_step(s) != SQLITE_ROW) internal::RaiseSqlite(file->Db(), sqlite3_extended_errcode(file->Db()), ctx());
        return sqlite3_column_int64(s, 0);
    }

    internal::RowSet fetchFromEnd(bool forward, int limit) { return read(sql.FromEnd(forward), limit); }

    /// Rows after (forward) or before (backward) the key in the current order, nearest first.
    internal::RowSet fetchBeyond(bool forward, const QVariantList& key, bool inclusive, int limit) {
        internal::RowSet rows(columnCount);
        rows.Reserve(limit);
        for (const auto& q : sql.Beyond(forward, key, inclusive)) {
            if (rows.Size() >= limit) break;
            readInto(rows, q, limit - rows.Size());
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
    bool positionOnFirst(const internal::SqlQuery& q) {
        sync();
        auto rows = read(q);
        if (rows.Empty()) return false;
        setBatch(std::move(rows), 0);
        batchValid = true;
        batchStartKnown = false;
        batchEndKnown = false;
        nextBatch = kFirstBatch;
        return true;
    }

    /// Reads the row again after a write beside the cursor and shows it as the current one.
    bool reloadRow(qint64 rowId) {
        auto rows = read(sql.Row(rowId));
        if (rows.Empty()) return false;
        setBatch(std::move(rows), 0);
        batchValid = false;
        batchStartKnown = batchEndKnown = false;
        return true;
    }
};

}  // namespace db
