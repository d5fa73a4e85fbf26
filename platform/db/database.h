#pragma once

#include "platform/db/field_def.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct sqlite3;

namespace db {

namespace internal {
class TableFile;
}

/// A database: a folder of table files, reached by its folder path or by a registered
/// name ("Library") that maps to a folder. A table's DatabaseName is looked up among the
/// connected Database objects first (by DatabaseName, case-insensitive); a name no
/// connected Database carries is taken as a folder path.
///
/// States: disconnected (Connected() false: no folder, no transaction) and connected
/// (Open/SetConnected(true): the folder exists; StartTransaction/Commit/Rollback group the
/// posts of every table of this database until Commit or Rollback).
///
/// A transaction spans the table files written while it runs and commits them together:
/// all of them are kept or none, also when a file's commit fails or the process dies
/// during the commit (internal/multi_file_commit.h; connecting the database finishes what a
/// dead process left).
class Database : public QObject {
    Q_OBJECT
public:
    explicit Database(QObject* parent = nullptr);
    ~Database() override;

    QString DatabaseName() const { return m_databaseName; }
    void SetDatabaseName(const QString& name);
    /// The folder; also settable as the parameter "PATH=<folder>" (SetParams).
    QString Directory() const { return m_directory; }
    void SetDirectory(const QString& folder);
    /// Parameters of the connection; "PATH=<folder>" names the folder.
    QStringList Params() const { return m_params; }
    void SetParams(const QStringList& params);

    /// The driver of the database ("STANDARD": a folder of table files); empty unless set.
    /// An alias's driver is the alias's (Session::GetAliasDriverName).
    QString DriverName() const { return m_driverName; }
    void SetDriverName(const QString& name);
    /// The alias (of its session) the database stands on; its folder is the alias's path
    /// unless a folder is given.
    QString AliasName() const { return m_aliasName; }
    void SetAliasName(const QString& name);
    /// The session the database belongs to (Session registry); empty: the default session.
    QString SessionName() const { return m_sessionName; }
    void SetSessionName(const QString& name);

    bool Connected() const { return m_connected; }
    /// Connecting checks that the folder exists (kDatabaseNotFound otherwise).
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    /// Transactions: posts and deletes of this database's tables join it until Commit or
    /// Rollback. A Commit that fails rolls every file back and raises the engine's error. Starting a second one raises kTransactionActive; Commit or Rollback
    /// without one raises kNoTransaction. Disconnecting rolls an open one back.
    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const { return m_inTransaction; }

    /// Table file names of the folder (files that hold a table of this layer), sorted.
    QStringList GetTableNames() const;

    /// The connected database of that name, or nullptr.
    static Database* FindDatabase(const QString& databaseName);
    /// The connected databases, in the order they connected.
    static QList<Database*> ConnectedDatabases();
    /// Folder of a database name: a connected Database's folder, else the name itself.
    static QString ResolveFolder(const QString& databaseName);

    /// Used by tables: a file written while the transaction runs joins it.
    void JoinTransaction(const std::shared_ptr<internal::TableFile>& file);

private:
    QString m_databaseName;
    QString m_directory;
    QStringList m_params;
    QString m_driverName;
    QString m_aliasName;
    QString m_sessionName;
    bool m_connected = false;
    bool m_inTransaction = false;
    std::vector<std::shared_ptr<internal::TableFile>> m_transactionFiles;
};

/// Table files of a folder: the files whose name matches case-insensitively, the first in
/// sorted order when several do; an empty string when none does.
QString FindTableFile(const QString& folder, const QString& tableName);
/// The path a table name refers to: an existing file matched case-insensitively, else the
/// name as given inside the folder.
QString TableFilePath(const QString& folder, const QString& tableName);
/// True when the file is a table of this layer (a SQLite file holding a definition).
bool IsTableFile(const QString& path);

/// Table files of a folder, sorted (same as Database::GetTableNames).
QStringList TableNamesInFolder(const QString& folder);

/// Creates a table file from a definition. Raises kTableExists when the file exists and
/// `replace` is false, kTableBusy when it exists and is open elsewhere, kInvalidDefinition
/// for a bad definition; on failure nothing is left behind.
void CreateTableFile(const QString& folder, const QString& tableName, const TableDef& def,
                     bool replace = false);
/// Keeps a table file open for shared use, as an open Table does, for code that reads the
/// file through a SQLite connection of its own (SQL over attached table files): exclusive
/// opens elsewhere fail while it lives. Construction raises kTableNotFound, kTableLocked
/// (held exclusively elsewhere) or kCorruptHeader/kCorruptFile like Table::Open.
class TableFileUse {
public:
    TableFileUse(const QString& folder, const QString& tableName);
    ~TableFileUse();
    TableFileUse(const TableFileUse&) = delete;
    TableFileUse& operator=(const TableFileUse&) = delete;

    QString FilePath() const;
    /// Name of the SQLite table that holds the rows (the file's name when it was created).
    QString RowTableName() const;
    const TableDef& Definition() const;

private:
    std::shared_ptr<internal::TableFile> m_file;
};

/// Makes a SQLite connection of another part of the system able to read and write table
/// files: registers the collation "DOSSARA_NOCASE" (Unicode case-insensitive order, used by
/// case-insensitive indexes; a connection without it cannot write such tables) and the SQL
/// function dossara_fold(text) (case folding).
void RegisterSqlExtensions(sqlite3* connection);

/// Reads the definition stored in a table file (kTableNotFound, kCorruptHeader).
TableDef ReadTableDef(const QString& folder, const QString& tableName);

}  // namespace db
