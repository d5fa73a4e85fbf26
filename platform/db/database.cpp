#include "platform/db/database.h"

#include "platform/base/scope_exit.h"
#include "platform/db/db_error.h"
#include "platform/db/db_log.h"
#include "platform/db/internal/fault_injection.h"
#include "platform/db/internal/multi_file_commit.h"
#include "platform/db/internal/table_file.h"
#include "platform/db/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

Q_LOGGING_CATEGORY(lcDb, "dossara.db")

namespace db {

using internal::TableFile;

namespace {

std::vector<Database*>& connectedDatabases() {
    static std::vector<Database*> list;
    return list;
}

}  // namespace

Database::Database(QObject* parent) : QObject(parent) {}

Database::~Database() {
    try {
        SetConnected(false);
    } catch (...) {
    }
}

void Database::SetDatabaseName(const QString& name) {
    if (m_connected) Raise(ErrorCode::kTableOpen, QStringLiteral("Database: %1").arg(m_databaseName));
    m_databaseName = name;
}

void Database::SetDirectory(const QString& folder) {
    if (m_connected) Raise(ErrorCode::kTableOpen, QStringLiteral("Database: %1").arg(m_databaseName));
    m_directory = folder;
}

void Database::SetParams(const QStringList& params) {
    if (m_connected) Raise(ErrorCode::kTableOpen, QStringLiteral("Database: %1").arg(m_databaseName));
    m_params = params;
    for (const QString& p : params) {
        if (p.startsWith(QLatin1String("PATH="), Qt::CaseInsensitive)) m_directory = p.mid(5);
    }
}

void Database::SetDriverName(const QString& name) {
    if (m_connected) Raise(ErrorCode::kTableOpen, QStringLiteral("Database: %1").arg(m_databaseName));
    m_driverName = name;
}

void Database::SetAliasName(const QString& name) {
    if (m_connected) Raise(ErrorCode::kTableOpen, QStringLiteral("Database: %1").arg(m_databaseName));
    m_aliasName = name;
}

void Database::SetSessionName(const QString& name) {
    if (m_connected) Raise(ErrorCode::kTableOpen, QStringLiteral("Database: %1").arg(m_databaseName));
    m_sessionName = name;
}

QList<Database*> Database::ConnectedDatabases() {
    QList<Database*> list;
    for (Database* d : connectedDatabases()) list << d;
    return list;
}

void Database::SetConnected(bool connected) {
    if (connected == m_connected) return;
    auto& list = connectedDatabases();
    if (connected) {
        QString folder = m_directory;
        if (folder.isEmpty() && !m_aliasName.isEmpty()) {
            Session* session = Sessions::FindSession(m_sessionName);
            if (!session || !session->IsAlias(m_aliasName))
                Raise(ErrorCode::kUnknownAlias, QStringLiteral("Alias: %1").arg(m_aliasName));
            folder = session->GetAliasPath(m_aliasName);
        }
        if (folder.isEmpty()) folder = m_databaseName;
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            Raise(ErrorCode::kDatabaseNotFound, QStringLiteral("Database: %1").arg(folder));
        m_directory = folder;
        internal::RecoverInterruptedCommits(folder);
        m_connected = true;
        list.push_back(this);
    } else {
        if (m_inTransaction) Rollback();
        m_connected = false;
        std::erase(list, this);
    }
}

Database* Database::FindDatabase(const QString& databaseName) {
    for (Database* d : connectedDatabases()) {
        if (d->m_databaseName.compare(databaseName, Qt::CaseInsensitive) == 0) return d;
    }
    return nullptr;
}

QString Database::ResolveFolder(const QString& databaseName) {
    if (Database* d = FindDatabase(databaseName)) return d->m_directory;
    return databaseName;
}

void Database::StartTransaction() {
    if (!m_connected) Raise(ErrorCode::kTableClosed, QStringLiteral("Database: %1").arg(m_databaseName));
    if (m_inTransaction) Raise(ErrorCode::kTransactionActive);
    m_inTransaction = true;
}

void Database::JoinTransaction(const std::shared_ptr<internal::TableFile>& file) {
    for (const auto& f : m_transactionFiles) {
        if (f == file) return;
    }
    file->heldByDatabase = true;
    m_transactionFiles.push_back(file);
}

void Database::Commit() {
    if (!m_inTransaction) Raise(ErrorCode::kNoTransaction);
    auto files = std::move(m_transactionFiles);
    m_transactionFiles.clear();
    m_inTransaction = false;
    for (const auto& f : files) f->heldByDatabase = false;
    internal::CommitTogether(files);
    for (const auto& f : files) f->BumpLocalVersion();
}

void Database::Rollback() {
    if (!m_inTransaction) Raise(ErrorCode::kNoTransaction);
    auto files = std::move(m_transactionFiles);
    m_transactionFiles.clear();
    m_inTransaction = false;
    for (const auto& f : files) {
        f->heldByDatabase = false;
        f->RollbackWrite();
        f->BumpLocalVersion();
    }
}

QStringList Database::GetTableNames() const { return TableNamesInFolder(m_directory); }

QString FindTableFile(const QString& folder, const QString& tableName) {
    QDir dir(folder);
    if (dir.exists(tableName) && QFileInfo(dir.filePath(tableName)).isFile()) return tableName;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& e : entries) {
        if (e.compare(tableName, Qt::CaseInsensitive) == 0) return e;
    }
    return {};
}

QString TableFilePath(const QString& folder, const QString& tableName) {
    const QString found = FindTableFile(folder, tableName);
    return QDir(folder).filePath(found.isEmpty() ? tableName : found);
}

bool IsTableFile(const QString& path) {
    const auto head = internal::ReadFileHead(path, 100);
    if (!head || head->size() < 100 || !head->startsWith(QByteArray("SQLite format 3\0", 16))) return false;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    internal::ConnectionPtr conn(raw);
    if (rc != SQLITE_OK) return false;
    sqlite3_busy_timeout(raw, 2000);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(raw, "SELECT 1 FROM dossara_table WHERE key = 'rowtable'", -1, &st, nullptr) != SQLITE_OK)
        return sqlite3_extended_errcode(raw) == SQLITE_READONLY_ROLLBACK;
    internal::StatementPtr guard(st);
    const int step = sqlite3_step(st);
    // a table left with a journal by a crash reads only after a writer rolled it back
    return step == SQLITE_ROW || sqlite3_extended_errcode(raw) == SQLITE_READONLY_ROLLBACK;
}

QStringList TableNamesInFolder(const QString& folder) {
    QStringList names;
    QDir dir(folder);
    for (const QString& e : dir.entryList(QDir::Files, QDir::Name)) {
        if (e.endsWith(QLatin1String("-journal"))) continue;
        if (IsTableFile(dir.filePath(e))) names << e;
    }
    return names;
}

void CreateTableFile(const QString& folder, const QString& tableName, const TableDef& def, bool replace) {
    def.Validate();
    if (tableName.isEmpty() || tableName.contains(QLatin1Char('/')))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Table name: %1").arg(tableName));
    if (!QFileInfo(folder).isDir()) Raise(ErrorCode::kDatabaseNotFound, QStringLiteral("Database: %1").arg(folder));
    const QString existing = FindTableFile(folder, tableName);
    const QString path = QDir(folder).filePath(existing.isEmpty() ? tableName : existing);
    const QString ctx = QStringLiteral("Table: %1").arg(path);
    // The row table takes the file's name as it will be on disk.
    const QString rowTable = existing.isEmpty() ? tableName : existing;
    int lockFd = -1;
    if (!existing.isEmpty()) {
        if (!replace) Raise(ErrorCode::kTableExists, ctx);
        if (TableFile::IsOpenInProcess(path)) Raise(ErrorCode::kTableBusy, ctx);
        lockFd = internal::LockDescriptor(path);
        if (lockFd < 0 || !internal::LockTableWrite(lockFd, true)) Raise(ErrorCode::kTableBusy, ctx);
    }
    const QString temp = QDir(folder).filePath(QStringLiteral(".%1.%2.new").arg(tableName, QUuid::createUuid().toString(QUuid::Id128)));
    {
        base::ScopeFail cleanup([&] {
            QFile::remove(temp);
            QFile::remove(temp + QStringLiteral("-journal"));
            if (lockFd >= 0) internal::LockTableWrite(lockFd, false);
        });
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(QFile::encodeName(temp).constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                       internal::LayerVfsName());
        internal::ConnectionPtr conn(raw);
        if (rc != SQLITE_OK) {
            Raise(QFileInfo(folder).isWritable() ? ErrorCode::kIoError : ErrorCode::kReadOnly,
                  QStringLiteral("%1 cannot be created: %2").arg(path, QString::fromUtf8(sqlite3_errstr(rc))));
        }
        sqlite3_extended_result_codes(raw, 1);
        internal::RegisterExtensions(raw);
        internal::Exec(raw, QStringLiteral("PRAGMA journal_mode=DELETE"), ctx);
        internal::Exec(raw, QStringLiteral("BEGIN IMMEDIATE"), ctx);
        internal::WriteDefinition(raw, rowTable, def, ctx);
        internal::Exec(raw, internal::CreateRowTableSql(rowTable, def), ctx);
        for (const auto& ix : def.Indexes) internal::Exec(raw, internal::CreateIndexSql(rowTable, def, ix), ctx);
        internal::Exec(raw, QStringLiteral("COMMIT"), ctx);
        conn.reset();
        if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
            Raise(ErrorCode::kIoError, ctx);
    }
    // The replaced file is gone; its descriptor only kept the lock.
    if (lockFd >= 0) internal::ForgetLockDescriptorFd(lockFd);
}

void RegisterSqlExtensions(sqlite3* connection) { internal::RegisterExtensions(connection); }

TableFileUse::TableFileUse(const QString& folder, const QString& tableName) {
    const QString found = FindTableFile(folder, tableName);
    if (tableName.isEmpty() || found.isEmpty())
        Raise(ErrorCode::kTableNotFound, QStringLiteral("Table: %1").arg(QDir(folder).filePath(tableName)));
    m_file = TableFile::Open(QDir(folder).filePath(found), TableFile::Mode::Shared, true);
}

TableFileUse::~TableFileUse() {
    if (m_file) m_file->Release(TableFile::Mode::Shared);
}

QString TableFileUse::FilePath() const { return m_file->Path(); }

QString TableFileUse::RowTableName() const { return m_file->RowTableName(); }

const TableDef& TableFileUse::Definition() const { return m_file->Def(); }

TableDef ReadTableDef(const QString& folder, const QString& tableName) {
    const QString found = FindTableFile(folder, tableName);
    if (found.isEmpty()) Raise(ErrorCode::kTableNotFound, QStringLiteral("Table: %1").arg(QDir(folder).filePath(tableName)));
    auto file = TableFile::Open(QDir(folder).filePath(found), TableFile::Mode::Shared, true);
    TableDef def = file->Def();
    file->Release(TableFile::Mode::Shared);
    return def;
}

}  // namespace db
