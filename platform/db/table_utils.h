#pragma once

#include "platform/db/field_def.h"

#include <QString>
#include <QStringList>

namespace db {

class Table;

/// Whole-table operations on table files by folder and name (names resolve
/// case-insensitively). Each holds the table exclusively while it runs, so it fails with
/// kTableBusy while any connection (this process or another) has the table open, and each
/// is one transaction: on failure the table is as it was.

/// Removes every row.
void EmptyTableFile(const QString& folder, const QString& tableName);
/// Deletes the table's file and its journal (also of a damaged table).
void DeleteTableFile(const QString& folder, const QString& tableName);
/// Renames the file (and its row table, so SQL over the file finds it by the new name).
/// kTableExists when the new name is taken.
void RenameTableFile(const QString& folder, const QString& tableName, const QString& newTableName);
/// Copies a table (shared access to the source is enough) to a new or replaced file.
void CopyTableFile(const QString& folder, const QString& tableName, const QString& destFolder,
                   const QString& destTableName, bool replace = false);

/// Copies a table file as one consistent snapshot: its bytes are read inside one read
/// transaction, so rows another program commits meanwhile are either wholly in the copy or
/// not at all. The copy is written beside `destFolder`/`destFileName`, flushed to the disk
/// and renamed into place, so the destination is never half written; the source's journal
/// is never copied. Raises kTableNotFound, kTableLocked (a writer held the file throughout),
/// kIoError.
void SnapshotTableFile(const QString& folder, const QString& tableName, const QString& destFolder,
                       const QString& destFileName);

/// Adds a secondary or primary index (kKeyViolation when rows break a unique one).
void AddIndexToFile(const QString& folder, const QString& tableName, const IndexDef& index);
/// Deletes an index by name; "" deletes the primary index.
void DeleteIndexFromFile(const QString& folder, const QString& tableName, const QString& indexName);

/// What a column change asks for; an empty name, ftUnknown or a size of 0 keep that part.
struct FieldChange {
    QString Name;
    FieldType DataType = FieldType::ftUnknown;
    int Size = 0;
};

/// How values convert in a restructure.
struct RestructureOptions {
    /// Pattern of dates written as text (QDate::fromString/toString), "" for ISO "yyyy-MM-dd".
    QString ShortDateFormat;
};

/// Restructure of one column, data kept (table held exclusively, packed afterwards).
/// Conversions: text to number parses or gives null; text cut to a shorter size; number
/// to integer rounds; logical to text "TRUE"/"FALSE" and back (other texts give null);
/// text to date parses with the short date format or gives null; dates to text use it.
/// A change that would lose data the request did not ask to lose (a number out of the
/// new type's range, rows that would collide in a unique index, a required field left
/// null) raises kDataLoss and leaves the table as it was.
void AddTableField(const QString& folder, const QString& tableName, const FieldDef& field);
void ChangeTableField(const QString& folder, const QString& tableName, const QString& oldName,
                      const FieldChange& change, const RestructureOptions& options = {});
void DropTableField(const QString& folder, const QString& tableName, const QString& name);

/// Converts one stored value for a restructure; answers false (value unchanged) when the
/// conversion would lose data that the change did not ask to lose.
bool ConvertForRestructure(const FieldDef& from, const FieldDef& to, const QVariant& value,
                           const RestructureOptions& options, QVariant& result);

/// Rewrites the file without free space (rows deleted before give their space back).
void PackTableFile(const QString& folder, const QString& tableName);

/// Checks that every index of the definition exists in the file and agrees with the rows;
/// raises kCorruptFile naming the first index that does not, kIndexNotFound for a missing one.
void CheckTableIndexes(const QString& folder, const QString& tableName);

/// Result of verifying a table file: Level 0 sound, 1 an index is damaged, 2 rows or the
/// definition's agreement with them are damaged, 3 the header (file format or stored
/// definition) is damaged. Problems lists what was found, one text each.
struct VerifyResult {
    int Level = 0;
    QStringList Problems;
};
/// Never raises for damage; raises kTableNotFound for a missing file and kTableBusy when
/// another connection holds the table exclusively.
VerifyResult VerifyTableFile(const QString& folder, const QString& tableName);

/// Appends every row of the source (in its current order and range) to the destination,
/// field by field by position (extra fields of either side are left out), converting
/// values; one transaction: a failing row (key violation, bad value) rolls all back.
/// Both tables open; answers the number of rows appended.
int BatchAppend(Table& source, Table& destination);

}  // namespace db
