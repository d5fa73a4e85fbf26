#pragma once

#include "platform/db/field_def.h"

#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace db::internal {

class TableFile;

/// A write of a cursor or of direct row access to one table file for the guard's lifetime:
/// inside the running batch or database transaction when there is one (the file then joins
/// the database's), else in a transaction of its own that Commit() keeps and the destructor
/// rolls back. Either way the file's local version grows, so every cursor reads again.
class RowWrite {
public:
    RowWrite(const std::shared_ptr<TableFile>& file, const QString& databaseName);
    ~RowWrite();
    RowWrite(const RowWrite&) = delete;
    RowWrite& operator=(const RowWrite&) = delete;

    void Commit();

private:
    TableFile& m_file;
    bool m_ownsTransaction = false;  ///< began the file's transaction, outside a database's
    bool m_done = false;
};

/// Runs `work` as one RowWrite.
template <typename F>
void RunWrite(const std::shared_ptr<TableFile>& file, const QString& databaseName, F&& work) {
    RowWrite write(file, databaseName);
    work();
    write.Commit();
}

/// Holds a record lock of the process for the guard's lifetime (kRecordLocked when another
/// cursor holds it).
class RecordLock {
public:
    RecordLock(TableFile& file, qint64 rowId, const QString& context);
    ~RecordLock();
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;
    /// The lock stays after the guard: its new holder unlocks it.
    qint64 Keep() noexcept;

private:
    TableFile& m_file;
    qint64 m_rowId;
};

/// Steps a statement that answers no rows or one; raises the engine error on failure.
void Step(TableFile& file, sqlite3_stmt* s, const QString& context);

[[noreturn]] void RaiseRequired(const FieldDef& field, const QString& context);

/// Raises kRequiredField for the first required field left null (autoincrement fields get
/// their value when the row is written).
void CheckRequired(const TableDef& def, const std::vector<QVariant>& row, const QString& context);

/// Gives each null autoincrement field of a row to be inserted the highest value so far + 1.
void FillAutoIncrements(TableFile& file, const TableDef& def, std::vector<QVariant>& row, const QString& context);

/// Raises kKeyViolation when another row (any but `rowId`; 0 for a row being inserted) has
/// the same primary key as `row` and a part of that key is blank: SQLite's unique index
/// takes two nulls for different values, the table does not.
void CheckBlankKeyDuplicate(TableFile& file, const TableDef& def, const std::vector<QVariant>& row, qint64 rowId,
                            const QString& context);

/// Inserts a whole row (one value per field) with the statement kept in `insertSql` (made
/// on first use); answers its row id.
qint64 InsertRow(TableFile& file, const TableDef& def, QString& insertSql, const std::vector<QVariant>& row,
                 const QString& context);

}  // namespace db::internal
