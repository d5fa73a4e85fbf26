#pragma once

#include "editor/settings_row.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

namespace db {
class Database;
class Field;
class Table;
}  // namespace db

/// The editor's data module: one settings table, opened by full path (the folder becomes
/// the database, the file name the table name), ordered by its primary index
/// Section;Key1;Key2;Variable. The table is read as stored (the CRC is never checked); every
/// Value written goes through WriteRegistryValue, which gives it a fresh CRC.
///
/// States: closed (IsOpen() false; every operation but OpenTable raises the table layer's
/// "closed table" error) and open. Changes of several rows (rename, delete of a key, import)
/// run in one transaction of the table's database: they are written whole or not at all.
///
/// Keys of a tree node are given as a level (0 Section, 1 Key1, 2 Key2) and the keys down to
/// that level; keys below the level are ignored, so an empty key is a key like any other.
class TMainData : public QObject {
    Q_OBJECT
public:
    explicit TMainData(QObject* owner = nullptr);
    ~TMainData() override;

    /// The table component and its field objects; the fields are null while closed.
    db::Table* Registry = nullptr;
    db::Field* RegistrySection = nullptr;
    db::Field* RegistryKey1 = nullptr;
    db::Field* RegistryKey2 = nullptr;
    db::Field* RegistryVariable = nullptr;
    db::Field* RegistryValue = nullptr;
    db::Field* RegistryCRC = nullptr;

    /// Closes the open table and opens the one at `path`. Raises the table layer's error, or
    /// base::Exception when the file is a table without the fields of a settings table; the
    /// table is closed afterwards in both cases.
    void OpenTable(const QString& path);
    void CloseTable();
    bool IsOpen() const;
    /// The folder of the table whose opening was last started (also after a failed open);
    /// empty before the first.
    QString TableFolder() const;

    /// Every row in index order.
    std::vector<editor::SettingsRow> AllRows();
    /// The rows of one Key2 (all three keys equal), in index order.
    std::vector<editor::SettingsRow> RowsOfKey(const QString& section, const QString& key1, const QString& key2);
    /// The row with exactly these four keys.
    std::optional<editor::SettingsRow> FindRow(const QString& section, const QString& key1, const QString& key2,
                                               const QString& variable);
    /// True when at least one row lies under the node keys.
    bool HasRowsUnder(int level, const editor::SettingsRow& keys);

    /// Writes one Value with the shared settings writer (row looked up by its four keys,
    /// appended when missing; Value cut to the field's 200 characters; CRC computed over the
    /// value as stored). Engine errors reach the caller. Remembers the row as LastWritten().
    void WriteRegistryValue(const QString& section, const QString& key1, const QString& key2,
                            const QString& variable, const QString& value);
    /// The keys and value of the row the last WriteRegistryValue wrote.
    const editor::SettingsRow& LastWritten() const { return m_lastWritten; }

    /// Gives every row under the node keys the new text at the node's level (cut to the
    /// key size), in one transaction over the list of rows read before the first change.
    /// When the new keys of any row are already taken by another row, nothing is changed
    /// and those rows are answered (with their old keys and their value), so that a key is
    /// never left split over two names. Engine errors roll everything back and reach the
    /// caller.
    std::vector<editor::SettingsRow> RenameKey(int level, const editor::SettingsRow& keys, const QString& newText);

    /// Deletes every row under the node keys in one transaction; answers how many.
    int DeleteKey(int level, const editor::SettingsRow& keys);

    enum class RowChange { Done, NotFound, KeyTaken };
    /// Renames the Variable of the row with exactly these keys.
    RowChange RenameVariable(const QString& section, const QString& key1, const QString& key2,
                             const QString& oldVariable, const QString& newVariable);
    /// Deletes the row with exactly these keys.
    RowChange DeleteRow(const QString& section, const QString& key1, const QString& key2,
                        const QString& variable);

    /// Writes every row with WriteRegistryValue in one transaction: all rows or none.
    void ImportRows(const std::vector<editor::SettingsRow>& rows);

private:
    editor::SettingsRow currentRow() const;
    /// The rows under a key prefix (Section, then Key1 and Key2), read within a range that
    /// is cancelled again before the answer.
    std::vector<editor::SettingsRow> rowsUnder(const QVariantList& prefix);
    void bindFields();
    template <typename F>
    void runInTransaction(F&& body);

    std::unique_ptr<db::Database> m_database;
    QString m_tableFolder;
    editor::SettingsRow m_lastWritten;
};
