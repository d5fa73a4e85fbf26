#include "platform/db/internal/table_file.h"

#include "platform/base/scope_exit.h"
#include "platform/db/db_error.h"
#include "platform/db/db_log.h"
#include "platform/db/internal/fault_injection.h"
#include "platform/db/internal/multi_file_commit.h"
#include "platform/db/internal/values.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

namespace db::internal {

namespace {

constexpr off_t kTableLockOffset = 0x60000000;   // SQLite locks 0x40000000 .. +512 only
constexpr off_t kCommitGateOffset = 0x60000001;
constexpr off_t kRecordLockOffset = 0x70000000;

struct FileId {
    dev_t dev;
    ino_t ino;
    bool operator<(const FileId& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
};

// Never destroyed: tables living in static objects close after the other statics are gone.
std::map<FileId, int>& lockDescriptorMap() {
    static auto* map = new std::map<FileId, int>;
    return *map;
}

QHash<QString, std::weak_ptr<TableFile>>& openFileMap() {
    static auto* files = new QHash<QString, std::weak_ptr<TableFile>>;
    return *files;
}

/// A child made by fork() shares the parent's lock descriptors (and so their locks) and
/// must not use the parent's connections: it starts with empty tables of its own.
void forgetParentsFiles() {
    static pid_t owner = getpid();
    if (owner == getpid()) return;
    owner = getpid();
    lockDescriptorMap().clear();
    openFileMap().clear();
}

std::map<FileId, int>& lockDescriptors() {
    forgetParentsFiles();
    return lockDescriptorMap();
}

QHash<QString, std::weak_ptr<TableFile>>& openFiles() {
    forgetParentsFiles();
    return openFileMap();
}

bool ofdLock(int fd, short type, off_t offset) {
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = 1;
    fl.l_pid = 0;
    return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

QString context(const QString& path) { return QStringLiteral("Table: %1").arg(path); }

/// One key per file however its path is spelt (relative, "..", links).
QString fileKey(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

}  // namespace

int LockDescriptor(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st = {};
    if (::stat(native.constData(), &st) != 0) return -1;
    const FileId id{st.st_dev, st.st_ino};
    auto& map = lockDescriptors();
    auto it = map.find(id);
    if (it != map.end()) return it->second;
    int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    map[id] = fd;
    return fd;
}

void ForgetLockDescriptor(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st = {};
    if (::stat(native.constData(), &st) != 0) return;
    auto& map = lockDescriptors();
    auto it = map.find(FileId{st.st_dev, st.st_ino});
    if (it == map.end()) return;
    ::close(it->second);
    map.erase(it);
}

std::optional<QByteArray> ReadFileHead(const QString& path, int bytes) {
    const int fd = LockDescriptor(path);
    if (fd < 0) return std::nullopt;
    QByteArray head(bytes, '\0');
    const ssize_t n = ::pread(fd, head.data(), size_t(bytes), 0);
    head.resize(n > 0 ? int(n) : 0);
    if (!head.startsWith(QByteArray("SQLite format 3\0", 16))) ForgetLockDescriptorFd(fd);  // nobody locks it
    return head;
}

qint64 KeptFileSize(const QString& path) {
    const int fd = LockDescriptor(path);
    struct stat st = {};
    if (fd < 0 || fstat(fd, &st) != 0) return -1;
    return qint64(st.st_size);
}

void ForgetLockDescriptorFd(int fd) {
    auto& map = lockDescriptors();
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (it->second == fd) {
            ::close(fd);
            map.erase(it);
            return;
        }
    }
}

bool LockCommitGate(int fd, CommitGate state) {
    const short type = state == CommitGate::Open ? F_UNLCK : state == CommitGate::Closed ? F_WRLCK : F_RDLCK;
    return ofdLock(fd, type, kCommitGateOffset);
}

bool LockTableWrite(int fd, bool lock) { return ofdLock(fd, lock ? F_WRLCK : F_UNLCK, kTableLockOffset); }

QString ColumnType(FieldType type) {
    switch (type) {
    case FieldType::ftString:
    case FieldType::ftMemo:
    case FieldType::ftFmtMemo:
        return QStringLiteral("TEXT");
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
    case FieldType::ftBoolean:
    case FieldType::ftDate:
        return QStringLiteral("INTEGER");
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
    case FieldType::ftTime:
    case FieldType::ftDateTime:
        return QStringLiteral("REAL");
    default:
        return QStringLiteral("BLOB");
    }
}

QString SqliteIndexName(const QString& rowTable, const IndexDef& index) {
    return rowTable + QLatin1Char(':') + (index.Options.testFlag(IndexOption::ixPrimary) ? QString() : index.Name);
}

QString CreateRowTableSql(const QString& rowTable, const TableDef& def) {
    QStringList cols;
    for (const auto& f : def.Fields) cols << Quote(f.Name) + QLatin1Char(' ') + ColumnType(f.DataType);
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(Quote(rowTable), cols.join(QStringLiteral(", ")));
}

QString CreateIndexSql(const QString& rowTable, const TableDef& def, const IndexDef& index) {
    QStringList cols;
    const bool nocase = index.Options.testFlag(IndexOption::ixCaseInsensitive);
    const bool desc = index.Options.testFlag(IndexOption::ixDescending);
    for (const QString& name : index.FieldList()) {
        const FieldDef& f = def.Fields[size_t(def.FieldIndex(name))];
        QString col = Quote(f.Name);
        if (nocase && IsTextType(f.DataType)) col += QStringLiteral(" COLLATE DOSSARA_NOCASE");
        col += desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
        cols << col;
    }
    const bool unique = index.Options.testFlag(IndexOption::ixPrimary) || index.Options.testFlag(IndexOption::ixUnique);
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(unique ? QStringLiteral("UNIQUE ") : QString(), Quote(SqliteIndexName(rowTable, index)), Quote(rowTable),
             cols.join(QStringLiteral(", ")));
}

void WriteDefinition(sqlite3* db, const QString& rowTable, const TableDef& def, const QString& ctx) {
    Exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS dossara_table (key TEXT PRIMARY KEY, value TEXT)"), ctx);
    Exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS dossara_fields (pos INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                            "type TEXT NOT NULL, size INTEGER NOT NULL, required INTEGER NOT NULL)"),
         ctx);
    Exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS dossara_indexes (pos INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                            "fields TEXT NOT NULL, options INTEGER NOT NULL)"),
         ctx);
    Exec(db, QStringLiteral("DELETE FROM dossara_table; DELETE FROM dossara_fields; DELETE FROM dossara_indexes"), ctx);
    Exec(db, QStringLiteral("INSERT INTO dossara_table VALUES ('format', '1'), ('rowtable', %1)")
                 .arg(QLatin1Char('\'') + QString(rowTable).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'')),
         ctx);
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO dossara_fields VALUES (?, ?, ?, ?, ?)", -1, &raw, nullptr) != SQLITE_OK)
        RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    StatementPtr fieldStmt(raw);
    int pos = 0;
    for (const auto& f : def.Fields) {
        Bind(raw, 1, qlonglong(pos++));
        Bind(raw, 2, f.Name);
        Bind(raw, 3, FieldTypeName(f.DataType));
        Bind(raw, 4, qlonglong(f.Size));
        Bind(raw, 5, qlonglong(f.Required ? 1 : 0));
        const int rc = sqlite3_step(raw);
        sqlite3_reset(raw);
        if (rc != SQLITE_DONE) RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    }
    raw = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO dossara_indexes VALUES (?, ?, ?, ?)", -1, &raw, nullptr) != SQLITE_OK)
        RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    StatementPtr indexStmt(raw);
    pos = 0;
    for (const auto& ix : def.Indexes) {
        Bind(raw, 1, qlonglong(pos++));
        Bind(raw, 2, ix.Options.testFlag(IndexOption::ixPrimary) ? QString() : ix.Name);
        Bind(raw, 3, ix.FieldList().join(QLatin1Char(';')));
        Bind(raw, 4, qlonglong(ix.Options.toInt()));
        const int rc = sqlite3_step(raw);
        sqlite3_reset(raw);
        if (rc != SQLITE_DONE) RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    }
}

bool TableFile::IsOpenInProcess(const QString& path) {
    auto it = openFiles().find(fileKey(path));
    return it != openFiles().end() && !it->expired();
}

std::shared_ptr<TableFile> TableFile::Open(const QString& path, Mode mode, bool readOnly) {
    const QString ctx = context(path);
    auto& files = openFiles();
    const QString key = fileKey(path);
    if (auto it = files.find(key); it != files.end()) {
        if (auto existing = it->lock()) {
            if (mode == Mode::Exclusive) Raise(ErrorCode::kTableBusy, ctx);
            if (existing->m_exclusiveCount > 0) Raise(ErrorCode::kTableLocked, ctx);
            ++existing->m_sharedCount;
            return existing;
        }
    }
    QFileInfo info(path);
    if (!info.exists() || !info.isFile()) Raise(ErrorCode::kTableNotFound, ctx);
    {
        const auto head = ReadFileHead(path, 100);
        if (!head) Raise(ErrorCode::kIoError, ctx);
        if (head->size() < 100 || !head->startsWith(QByteArray("SQLite format 3\0", 16)))
            Raise(ErrorCode::kCorruptHeader, QStringLiteral("%1 is not a table.").arg(path));
    }
    std::shared_ptr<TableFile> file(new TableFile);
    file->m_path = path;
    // The connection is read-write whenever the file is: a read-only Table shares it with
    // writing ones of this process, and opening recovers a journal left by a crash.
    Q_UNUSED(readOnly);
    file->m_readOnly = !info.isWritable();
    file->m_lockFd = LockDescriptor(path);
    if (file->m_lockFd < 0) Raise(ErrorCode::kIoError, ctx);
    if (!ofdLock(file->m_lockFd, mode == Mode::Exclusive ? F_WRLCK : F_RDLCK, kTableLockOffset)) {
        const int err = errno;
        file->m_lockFd = -1;  // nothing held
        if (err == EBADF) Raise(ErrorCode::kReadOnly, ctx);
        Raise(mode == Mode::Exclusive ? ErrorCode::kTableBusy : ErrorCode::kTableLocked, ctx);
    }
    (mode == Mode::Exclusive ? file->m_exclusiveCount : file->m_sharedCount) = 1;
    struct stat st = {};
    if (fstat(file->m_lockFd, &st) == 0 && st.st_size >= 4096) {
        void* map = mmap(nullptr, 4096, PROT_READ, MAP_SHARED, file->m_lockFd, 0);
        if (map != MAP_FAILED) file->m_header = static_cast<const unsigned char*>(map);
    }

    sqlite3* raw = nullptr;
    const int flags = (file->m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, LayerVfsName());
    file->m_db.reset(raw);
    if (rc != SQLITE_OK) RaiseSqlite(raw, rc, ctx);
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, 5000);
    // Reads map the file instead of copying each page: a loop of record reads (a phrase
    // check) touches pages all over a large table. Writes still go through the journal.
    sqlite3_exec(raw, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    RegisterExtensions(raw);
    file->readDefinition();
    file->checkRowsMatchDefinition();
    file->m_key = key;
    files[key] = file;
    return file;
}

std::shared_ptr<TableFile> TableFile::OpenMemory(const TableDef& def, const std::vector<std::vector<QVariant>>& rows) {
    def.Validate();
    std::shared_ptr<TableFile> file(new TableFile);
    file->m_path = QStringLiteral(":memory:");
    file->m_sharedCount = 1;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    file->m_db.reset(raw);
    const QString ctx = QStringLiteral("Table: (memory)");
    if (rc != SQLITE_OK) RaiseSqlite(raw, rc, ctx);
    sqlite3_extended_result_codes(raw, 1);
    RegisterExtensions(raw);
    const QString rowTable = QStringLiteral("Memory");
    Exec(raw, QStringLiteral("BEGIN"), ctx);
    WriteDefinition(raw, rowTable, def, ctx);
    Exec(raw, CreateRowTableSql(rowTable, def), ctx);
    QStringList marks;
    for (size_t i = 0; i < def.Fields.size(); ++i) marks << QStringLiteral("?");
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(Quote(rowTable), marks.join(QLatin1Char(','))).toUtf8();
    if (sqlite3_prepare_v2(raw, sql.constData(), -1, &st, nullptr) != SQLITE_OK) RaiseSqlite(raw, sqlite3_extended_errcode(raw), ctx);
    StatementPtr insert(st);
    for (const auto& row : rows) {
        for (size_t i = 0; i < def.Fields.size(); ++i)
            Bind(st, int(i) + 1, i < row.size() ? ToStorage(def.Fields[i], row[i]) : QVariant());
        const int step = sqlite3_step(st);
        sqlite3_reset(st);
        if (step != SQLITE_DONE) RaiseSqlite(raw, sqlite3_extended_errcode(raw), ctx);
    }
    insert.reset();
    for (const auto& ix : def.Indexes) Exec(raw, CreateIndexSql(rowTable, def, ix), ctx);
    Exec(raw, QStringLiteral("COMMIT"), ctx);
    file->readDefinition();
    return file;
}

TableFile::~TableFile() {
    for (sqlite3_stmt* s : std::as_const(m_statements)) sqlite3_finalize(s);
    m_statements.clear();
    if (m_db && !sqlite3_get_autocommit(m_db.get())) sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    m_db.reset();
    if (m_header) munmap(const_cast<unsigned char*>(m_header), 4096);
    if (m_lockFd >= 0) {
        ofdLock(m_lockFd, F_UNLCK, kTableLockOffset);
        for (auto it = m_recordLocks.begin(); it != m_recordLocks.end(); ++it)
            ofdLock(m_lockFd, F_UNLCK, kRecordLockOffset + it.key());
    }
    auto& files = openFiles();
    if (auto it = files.find(m_key); it != files.end() && it->expired()) files.erase(it);
}

void TableFile::Release(Mode mode) {
    int& count = mode == Mode::Exclusive ? m_exclusiveCount : m_sharedCount;
    if (count > 0) --count;
}

void TableFile::readDefinition() {
    sqlite3* db = m_db.get();
    const QString ctx = context(m_path);
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && !m_readOnly) {
        if ((rc & 0xff) == SQLITE_NOTADB) Raise(ErrorCode::kCorruptHeader, QStringLiteral("%1 is not a table.").arg(m_path));
        RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    }
    rc = sqlite3_prepare_v2(db, "SELECT value FROM dossara_table WHERE key = 'rowtable'", -1, &raw, nullptr);
    if (rc != SQLITE_OK) {
        const int ext = sqlite3_extended_errcode(db);
        if ((ext & 0xff) == SQLITE_ERROR || (ext & 0xff) == SQLITE_NOTADB)
            Raise(ErrorCode::kCorruptHeader, QStringLiteral("%1 is not a table.").arg(m_path));
        RaiseSqlite(db, ext, ctx);
    }
    StatementPtr st(raw);
    rc = sqlite3_step(raw);
    if (rc == SQLITE_ROW) {
        m_rowTable = ColumnValue(raw, 0).toString();
    } else if (rc == SQLITE_DONE) {
        Raise(ErrorCode::kCorruptHeader, QStringLiteral("%1 has no table definition.").arg(m_path));
    } else {
        RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    }
    st.reset();
    m_rowTableQuoted = Quote(m_rowTable);

    TableDef def;
    // a definition that cannot be read is a damaged header; damaged pages stay "corrupt file"
    auto raiseDefinition = [&] {
        const int ext = sqlite3_extended_errcode(db);
        if ((ext & 0xff) == SQLITE_CORRUPT || (ext & 0xff) == SQLITE_BUSY || (ext & 0xff) == SQLITE_IOERR)
            RaiseSqlite(db, ext, ctx);
        Raise(ErrorCode::kCorruptHeader, QStringLiteral("The table definition of %1 cannot be read: %2")
                                             .arg(m_path, QString::fromUtf8(sqlite3_errmsg(db))));
    };
    rc = sqlite3_prepare_v2(db, "SELECT name, type, size, required FROM dossara_fields ORDER BY pos", -1, &raw, nullptr);
    if (rc != SQLITE_OK) raiseDefinition();
    st.reset(raw);
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        FieldDef f;
        f.Name = ColumnValue(raw, 0).toString();
        f.DataType = FieldTypeFromName(ColumnValue(raw, 1).toString());
        f.Size = ColumnValue(raw, 2).toInt();
        f.Required = ColumnValue(raw, 3).toInt() != 0;
        def.Fields.push_back(f);
    }
    if (rc != SQLITE_DONE) RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    rc = sqlite3_prepare_v2(db, "SELECT name, fields, options FROM dossara_indexes ORDER BY pos", -1, &raw, nullptr);
    if (rc != SQLITE_OK) raiseDefinition();
    st.reset(raw);
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        IndexDef ix;
        ix.Name = ColumnValue(raw, 0).toString();
        ix.Fields = ColumnValue(raw, 1).toString();
        ix.Options = IndexOptions::fromInt(ColumnValue(raw, 2).toInt());
        def.Indexes.push_back(ix);
    }
    if (rc != SQLITE_DONE) RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    try {
        def.Validate();
    } catch (EDBEngineError& e) {
        std::vector<DBError> errors{{ErrorCode::kCorruptHeader, EngineMessage(ErrorCode::kCorruptHeader)}};
        for (int i = 0; i < e.ErrorCount(); ++i) errors.push_back({0, e.Errors(i).Message});
        errors.push_back({0, ctx});
        throw EDBEngineError(std::move(errors));
    }
    m_def = std::move(def);
}

void TableFile::checkRowsMatchDefinition() {
    sqlite3* db = m_db.get();
    const QString ctx = context(m_path);
    sqlite3_stmt* raw = nullptr;
    const QByteArray sql = QStringLiteral("SELECT name, type FROM pragma_table_info(%1)")
                               .arg(QLatin1Char('\'') + QString(m_rowTable).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\''))
                               .toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &raw, nullptr) != SQLITE_OK)
        RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    StatementPtr st(raw);
    size_t i = 0;
    int rc;
    bool ok = true;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        if (i >= m_def.Fields.size() || ColumnValue(raw, 0).toString() != m_def.Fields[i].Name ||
            ColumnValue(raw, 1).toString().compare(ColumnType(m_def.Fields[i].DataType), Qt::CaseInsensitive) != 0) {
            ok = false;
        }
        ++i;
    }
    if (rc != SQLITE_DONE) RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    if (!ok || i != m_def.Fields.size())
        Raise(ErrorCode::kCorruptFile, QStringLiteral("The stored definition of %1 does not match its rows.").arg(m_path));
}

void TableFile::ReloadDefinition() {
    ClearStatements();
    readDefinition();
    checkRowsMatchDefinition();
}

sqlite3_stmt* TableFile::Statement(const QString& sql) {
    auto it = m_statements.find(sql);
    if (it != m_statements.end()) return *it;
    sqlite3_stmt* raw = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(m_db.get(), utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    if (rc != SQLITE_OK) RaiseSqlite(m_db.get(), sqlite3_extended_errcode(m_db.get()), context(m_path));
    m_statements.insert(sql, raw);
    return raw;
}

void TableFile::ClearStatements() {
    for (sqlite3_stmt* s : std::as_const(m_statements)) sqlite3_finalize(s);
    m_statements.clear();
}

quint32 TableFile::ExternalVersion() const {
    unsigned char b[4] = {0, 0, 0, 0};
    if (m_header) {
        const volatile unsigned char* p = m_header + 24;
        for (int i = 0; i < 4; ++i) b[i] = p[i];
    } else if (m_lockFd < 0 || ::pread(m_lockFd, b, 4, 24) != 4) {
        return 0;
    }
    return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | quint32(b[3]);
}

bool TableFile::IsInTransaction() const { return !m_readOpen && !sqlite3_get_autocommit(m_db.get()); }

bool TableFile::BeginWrite() {
    if (m_readOnly) Raise(ErrorCode::kReadOnly, context(m_path));
    if (IsInTransaction()) return false;
    suspendRead();
    base::ScopeFail resume([&] { resumeRead(); });
    beginImmediate();
    return true;
}

void TableFile::beginImmediate() {
    if (m_lockFd < 0) {
        Exec(m_db.get(), QStringLiteral("BEGIN IMMEDIATE"), context(m_path));
        return;
    }
    constexpr int kWaitMs = 5000;  // as SQLite's own busy wait
    const QString kept = KeptJournalPath(m_path);
    const QByteArray keptNative = QFile::encodeName(kept);
    QElapsedTimer waited;
    waited.start();
    int recoveries = 0;
    for (;;) {
        if (LockCommitGate(m_lockFd, CommitGate::Passing)) {
            if (::access(keptNative.constData(), F_OK) == 0 && recoveries < 3) {
                LockCommitGate(m_lockFd, CommitGate::Open);
                ++recoveries;
                RecoverInterruptedCommits(QFileInfo(m_path).absolutePath());
                continue;
            }
            // No waiting inside SQLite while the gate is held: a commit closing it waits for us.
            sqlite3_busy_timeout(m_db.get(), 0);
            const int rc = sqlite3_exec(m_db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            sqlite3_busy_timeout(m_db.get(), kWaitMs);
            LockCommitGate(m_lockFd, CommitGate::Open);
            if (rc == SQLITE_OK) return;
            if ((rc & 0xff) != SQLITE_BUSY || waited.elapsed() > kWaitMs)
                RaiseSqlite(m_db.get(), sqlite3_extended_errcode(m_db.get()), context(m_path));
        } else if (waited.elapsed() > kWaitMs) {
            Raise(ErrorCode::kTableLocked, context(m_path));
        }
        QThread::usleep(1000);
    }
}

void TableFile::CommitWrite() {
    Exec(m_db.get(), QStringLiteral("COMMIT"), context(m_path));
    resumeRead();
}

void TableFile::RollbackWrite() noexcept {
    if (m_readOpen) return;  // no write runs: the snapshot stays
    if (m_db && !sqlite3_get_autocommit(m_db.get())) sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    resumeRead();
}

void TableFile::BeginRead() {
    if (m_readDepth++ > 0 || !sqlite3_get_autocommit(m_db.get())) return;
    base::ScopeFail undo([&] {
        suspendRead();
        --m_readDepth;
    });
    runCached("BEGIN");
    m_readOpen = true;
    m_readSince.start();
    // take the shared lock now: the snapshot is the file as it is at the guard's start
    sqlite3_stmt* s = Statement(QStringLiteral("SELECT 1 FROM sqlite_master LIMIT 1"));
    StatementReset reset(s);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) RaiseSqlite(m_db.get(), sqlite3_extended_errcode(m_db.get()), context(m_path));
}

void TableFile::EndRead() noexcept {
    if (m_readDepth == 0 || --m_readDepth > 0) return;
    suspendRead();
}

void TableFile::RenewRead(int afterMs) {
    if (!m_readOpen || !m_readSince.isValid() || m_readSince.elapsed() < afterMs) return;
    suspendRead();
    resumeRead();
}

void TableFile::AddOpenScan(sqlite3_stmt* s) {
    if (std::find(m_openScans.begin(), m_openScans.end(), s) == m_openScans.end()) m_openScans.push_back(s);
}

void TableFile::RemoveOpenScan(sqlite3_stmt* s) {
    m_openScans.erase(std::remove(m_openScans.begin(), m_openScans.end(), s), m_openScans.end());
}

void TableFile::suspendRead() noexcept {
    if (!m_readOpen) return;
    m_readOpen = false;
    // a statement still stepping would keep the shared lock after the COMMIT
    for (sqlite3_stmt* scan : m_openScans) sqlite3_reset(scan);
    // a read transaction has nothing to keep: COMMIT only drops the lock
    try {
        runCached("COMMIT");
    } catch (...) {
        sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void TableFile::resumeRead() noexcept {
    if (m_readDepth == 0 || m_readOpen || !m_db || !sqlite3_get_autocommit(m_db.get())) return;
    // deferred: the shared lock is taken by the next read
    try {
        runCached("BEGIN");
        m_readOpen = true;
        m_readSince.start();
    } catch (...) {
    }
}

void TableFile::runCached(const char* sql) {
    sqlite3_stmt* s = Statement(QLatin1String(sql));
    StatementReset reset(s);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) RaiseSqlite(m_db.get(), sqlite3_extended_errcode(m_db.get()), context(m_path));
}

bool TableFile::LockRecord(qint64 rowId) {
    auto it = m_recordLocks.find(rowId);
    if (it != m_recordLocks.end()) return false;  // another cursor of this process edits it
    if (m_lockFd >= 0 && !ofdLock(m_lockFd, F_WRLCK, kRecordLockOffset + rowId)) {
        if (errno == EBADF) {
            m_recordLocks.insert(rowId, 1);
            return true;  // read-only descriptor: record locks are not shared across processes
        }
        return false;
    }
    m_recordLocks.insert(rowId, 1);
    return true;
}

void TableFile::UnlockRecord(qint64 rowId) {
    if (m_recordLocks.remove(rowId) && m_lockFd >= 0) ofdLock(m_lockFd, F_UNLCK, kRecordLockOffset + rowId);
}

ExclusiveFile::ExclusiveFile(const QString& path) : m_file(TableFile::Open(path, TableFile::Mode::Exclusive, false)) {}

ExclusiveFile::~ExclusiveFile() {
    if (m_file) m_file->Release(TableFile::Mode::Exclusive);
}

}  // namespace db::internal
