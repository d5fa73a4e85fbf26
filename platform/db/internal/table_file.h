#pragma once

#include "platform/db/field_def.h"
#include "platform/db/internal/sqlite_util.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace db::internal {

/// One open table file, shared by every Table of this process that has the file open: the
/// SQLite connection, the stored definition, cached statements and the open/lock counts.
///
/// Stored format inside the file (SQLite, rollback journal):
/// | SQLite table        | columns                                      | meaning |
/// |---------------------|----------------------------------------------|---------|
/// | "dossara_table"     | key TEXT PRIMARY KEY, value TEXT             | "format" = "1"; "rowtable" = name of the row table |
/// | "dossara_fields"    | pos INTEGER PRIMARY KEY, name, type, size, required | one row per field, in field order; type = FieldTypeName |
/// | "dossara_indexes"   | pos INTEGER PRIMARY KEY, name, fields, options | one row per index; options = IndexOptions bits; the primary index has name "" |
/// | <rowtable>          | one column per field, named as the field     | the rows; alpha/memo TEXT, integers INTEGER, numbers and dates REAL/INTEGER day numbers, BLOBs BLOB |
/// Each index is a SQLite index named "<rowtable>:<index name>" ("<rowtable>:" for the
/// primary one; UNIQUE), case-insensitive fields with COLLATE DOSSARA_NOCASE, descending
/// ones DESC.
///
/// Locks: open-file-description locks on a descriptor of the file kept open by the
/// process (never closed while the file exists, so SQLite's own locks are not dropped),
/// at an offset SQLite never uses: shared opens hold a read lock, exclusive ones a write
/// lock; inside the process the open counts decide.
class TableFile {
public:
    enum class Mode { Shared, Exclusive };

    /// Opens (or joins the process's open instance of) the file at `path`; `readOnly` is
    /// the caller's intent (writes are refused by the Table), the connection is read-write
    /// whenever the file is writable. Raises
    /// kTableNotFound, kTableBusy (exclusive refused), kTableLocked (held exclusively
    /// elsewhere), kCorruptHeader (not a table), kCorruptFile (definition does not match).
    static std::shared_ptr<TableFile> Open(const QString& path, Mode mode, bool readOnly);
    /// A private table in memory with the definition and rows given (values converted as
    /// fields convert them); no file, no locks, gone when the last cursor closes.
    static std::shared_ptr<TableFile> OpenMemory(const TableDef& def, const std::vector<std::vector<QVariant>>& rows);
    ~TableFile();

    /// A second cursor of this process joins an open file (also one held exclusively).
    void Join() { ++m_sharedCount; }
    /// Called by each Table that closes; the last one releases the locks and connection.
    void Release(Mode mode);

    sqlite3* Db() const { return m_db.get(); }
    const QString& Path() const { return m_path; }
    const TableDef& Def() const { return m_def; }
    /// Quoted name of the row table.
    const QString& RowTable() const { return m_rowTableQuoted; }
    const QString& RowTableName() const { return m_rowTable; }
    bool ReadOnly() const { return m_readOnly; }
    /// The process's kept descriptor of the file (its locks), -1 for a table in memory.
    int LockFd() const { return m_lockFd; }
    bool Exclusive() const { return m_exclusiveCount > 0; }

    /// A cached prepared statement (reset on StatementReset scope end).
    sqlite3_stmt* Statement(const QString& sql);
    /// Drops the cached statements (after a schema change).
    void ClearStatements();

    /// Grows on every write this process makes to the file.
    qint64 LocalVersion() const { return m_localVersion; }
    void BumpLocalVersion() { ++m_localVersion; }
    /// The file's change counter (changes whenever any connection commits a write), read
    /// from a shared read-only mapping of the first page so that checking it on every move
    /// costs no system call. Files under one page are read with pread instead.
    quint32 ExternalVersion() const;

    /// Write transactions: Begin starts one unless one runs (answers whether it started);
    /// it ends a read snapshot first, and commit or rollback resume it.
    bool BeginWrite();
    void CommitWrite();
    void RollbackWrite() noexcept;
    /// True while a write transaction runs (a read snapshot alone does not count).
    bool IsInTransaction() const;

    /// Read snapshots (db::ReadSnapshot): the outermost begin opens a read transaction and
    /// takes the shared lock, unless a write transaction runs; the matching end closes it.
    void BeginRead();
    void EndRead() noexcept;
    /// Ends the read transaction when it has been open longer than `afterMs`; the next
    /// read of the snapshot starts a new one.
    void RenewRead(int afterMs);
    /// A database transaction holds this file's transaction open until it commits.
    bool heldByDatabase = false;
    /// True while the read transaction of the snapshots is open.
    bool SnapshotReadOpen() const { return m_readOpen; }
    /// Statements a reader of this layer keeps stepping between its calls while a snapshot's
    /// read transaction is open (db::KeyedReader): each is reset before that transaction
    /// ends (renewal, the last guard going, a write of this process), so that no statement
    /// keeps the file's shared lock past it.
    void AddOpenScan(sqlite3_stmt* s);
    void RemoveOpenScan(sqlite3_stmt* s);

    /// Re-reads the stored definition (after a change of it).
    void ReloadDefinition();

    /// Path of every file the process has open, for whole-table operations.
    static bool IsOpenInProcess(const QString& path);

    /// Record locks of this process: true when the row could be locked.
    bool LockRecord(qint64 rowId);
    void UnlockRecord(qint64 rowId);

private:
    TableFile() = default;
    void readDefinition();
    void checkRowsMatchDefinition();

    QString m_path;
    QString m_key;  ///< canonical path, the key of the process's open files
    ConnectionPtr m_db;
    TableDef m_def;
    QString m_rowTable;
    QString m_rowTableQuoted;
    bool m_readOnly = false;
    int m_sharedCount = 0;
    int m_exclusiveCount = 0;
    int m_lockFd = -1;
    const unsigned char* m_header = nullptr;  ///< first page mapped read-only (change counter), or null
    qint64 m_localVersion = 0;
    QHash<QString, sqlite3_stmt*> m_statements;
    QHash<qint64, int> m_recordLocks;
    int m_readDepth = 0;      ///< live read snapshots of this file
    bool m_readOpen = false;  ///< the open transaction is the snapshots' read transaction
    QElapsedTimer m_readSince;
    std::vector<sqlite3_stmt*> m_openScans;

    void suspendRead() noexcept;
    void resumeRead() noexcept;
    /// BEGIN IMMEDIATE once no commit over several files holds the file and none left by a
    /// dead program waits to be undone (see CommitTogether).
    void beginImmediate();
    /// Runs a statement without results through the statement cache (raises on failure).
    void runCached(const char* sql);
};

/// Creates a table file's contents on an empty connection (within the caller's transaction).
void WriteDefinition(sqlite3* db, const QString& rowTable, const TableDef& def, const QString& context);
/// SQL creating the row table and its indexes.
QString CreateRowTableSql(const QString& rowTable, const TableDef& def);
QString CreateIndexSql(const QString& rowTable, const TableDef& def, const IndexDef& index);
QString SqliteIndexName(const QString& rowTable, const IndexDef& index);
QString ColumnType(FieldType type);

/// Whole-table operations open the file exclusively for their duration.
class ExclusiveFile {
public:
    explicit ExclusiveFile(const QString& path);
    ~ExclusiveFile();
    TableFile& operator*() const { return *m_file; }
    TableFile* operator->() const { return m_file.get(); }
    std::shared_ptr<TableFile> shared() const { return m_file; }

private:
    std::shared_ptr<TableFile> m_file;
};

/// The first bytes of a file (fewer when it is shorter), read through the process's kept
/// descriptor of the file: closing a descriptor of its own would drop every lock SQLite
/// holds on the file in this process. Null when the file cannot be opened. A file that is
/// not a SQLite file keeps no descriptor.
std::optional<QByteArray> ReadFileHead(const QString& path, int bytes);
/// Size of the file through the kept descriptor (-1 when unknown).
qint64 KeptFileSize(const QString& path);

/// Locks of whole-table operations keyed by file identity; kept open for the process.
int LockDescriptor(const QString& path);
void ForgetLockDescriptor(const QString& path);
/// Closes a lock descriptor of a file that was replaced or removed.
void ForgetLockDescriptorFd(int fd);
/// Takes or releases the whole-table write lock on a lock descriptor.
bool LockTableWrite(int fd, bool lock);

/// The commit gate of a table file, a lock byte beside the others: a commit over several
/// files closes it (a write lock) on each of its files until all are committed or undone;
/// a writer passes it (a read lock, held only while its transaction starts). Never waits.
enum class CommitGate { Open, Closed, Passing };
bool LockCommitGate(int fd, CommitGate state);

}  // namespace db::internal
