#include "platform/db/table_utils.h"

#include "platform/base/scope_exit.h"
#include "platform/db/guards.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/db_log.h"
#include "platform/db/internal/table_file.h"
#include "platform/db/internal/values.h"
#include "platform/db/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUuid>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdio>

namespace db {

using internal::Exec;
using internal::ExclusiveFile;
using internal::Quote;
using internal::TableFile;

namespace {

QString existingPath(const QString& folder, const QString& tableName) {
    const QString found = FindTableFile(folder, tableName);
    if (tableName.isEmpty() || found.isEmpty())
        Raise(ErrorCode::kTableNotFound, QStringLiteral("Table: %1").arg(QDir(folder).filePath(tableName)));
    return QDir(folder).filePath(found);
}

QString ctxOf(const QString& path) { return QStringLiteral("Table: %1").arg(path); }

/// The whole-table write lock without opening the file (for damaged files too).
class FileLock {
public:
    explicit FileLock(const QString& path) : m_path(path) {
        if (TableFile::IsOpenInProcess(path)) Raise(ErrorCode::kTableBusy, ctxOf(path));
        m_fd = internal::LockDescriptor(path);
        if (m_fd < 0) Raise(ErrorCode::kIoError, ctxOf(path));
        if (!internal::LockTableWrite(m_fd, true)) {
            m_fd = -1;
            Raise(ErrorCode::kTableBusy, ctxOf(path));
        }
    }
    ~FileLock() {
        if (m_fd >= 0) internal::LockTableWrite(m_fd, false);
    }
    /// After the file is removed or replaced its descriptor is closed.
    void forget() {
        if (m_fd >= 0) internal::ForgetLockDescriptorFd(m_fd);
        m_fd = -1;
    }

private:
    QString m_path;
    int m_fd = -1;
};

/// A write transaction on an exclusively held file that rolls back unless committed.
class WriteGuard {
public:
    explicit WriteGuard(TableFile& file) : m_file(file) { m_file.BeginWrite(); }
    ~WriteGuard() {
        if (!m_done) m_file.RollbackWrite();
        m_file.BumpLocalVersion();
    }
    void Commit() {
        m_file.CommitWrite();
        m_done = true;
    }

private:
    TableFile& m_file;
    bool m_done = false;
};

void writeIndexes(sqlite3* db, const QString& rowTable, const TableDef& def, const QString& ctx) {
    for (const auto& ix : def.Indexes) Exec(db, internal::CreateIndexSql(rowTable, def, ix), ctx);
}

void dropAllIndexes(sqlite3* db, const QString& rowTable, const QString& ctx) {
    sqlite3_stmt* raw = nullptr;
    const QByteArray sql = QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL").toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &raw, nullptr) != SQLITE_OK)
        internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    internal::StatementPtr st(raw);
    internal::Bind(raw, 1, rowTable);
    QStringList names;
    while (sqlite3_step(raw) == SQLITE_ROW) names << internal::ColumnValue(raw, 0).toString();
    st.reset();
    for (const QString& n : names) Exec(db, QStringLiteral("DROP INDEX %1").arg(Quote(n)), ctx);
}

void raiseKeyViolationOrRethrow(const EDBEngineError& e, const QString& what) {
    if (e.Code() == ErrorCode::kKeyViolation) {
        throw EDBEngineError({{ErrorCode::kDataLoss, EngineMessage(ErrorCode::kDataLoss)},
                              {0, QStringLiteral("Rows would collide in a unique index (%1).").arg(what)}});
    }
    throw e;
}

}  // namespace

void EmptyTableFile(const QString& folder, const QString& tableName) {
    const QString path = existingPath(folder, tableName);
    ExclusiveFile file(path);
    WriteGuard tx(*file);
    Exec(file->Db(), QStringLiteral("DELETE FROM %1").arg(file->RowTable()), ctxOf(path));
    tx.Commit();
}

void DeleteTableFile(const QString& folder, const QString& tableName) {
    const QString path = existingPath(folder, tableName);
    FileLock lock(path);
    QFile::remove(path + QStringLiteral("-journal"));
    if (!QFile::remove(path)) Raise(ErrorCode::kIoError, ctxOf(path));
    lock.forget();
}

void RenameTableFile(const QString& folder, const QString& tableName, const QString& newTableName) {
    const QString path = existingPath(folder, tableName);
    if (newTableName.isEmpty() || newTableName.contains(QLatin1Char('/')))
        Raise(ErrorCode::kInvalidParameter, QStringLiteral("Table name: %1").arg(newTableName));
    const QString other = FindTableFile(folder, newTableName);
    const QString newPath = QDir(folder).filePath(newTableName);
    if (!other.isEmpty() && QDir(folder).filePath(other) != path) Raise(ErrorCode::kTableExists, ctxOf(newPath));
    {
        ExclusiveFile file(path);
        const QString ctx = ctxOf(path);
        WriteGuard tx(*file);
        sqlite3* db = file->Db();
        const TableDef def = file->Def();
        dropAllIndexes(db, file->RowTableName(), ctx);
        if (file->RowTableName() != newTableName) {
            Exec(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(file->RowTable(), Quote(newTableName)), ctx);
        }
        internal::WriteDefinition(db, newTableName, def, ctx);
        writeIndexes(db, newTableName, def, ctx);
        // the file itself moves after the commit; a failed move leaves the old name inside
        // a file of the old name, which opens as before (the row table is read from the file)
        tx.Commit();
        file->ClearStatements();
    }
    if (path != newPath && ::rename(QFile::encodeName(path).constData(), QFile::encodeName(newPath).constData()) != 0)
        Raise(ErrorCode::kIoError, ctxOf(newPath));
}

void CopyTableFile(const QString& folder, const QString& tableName, const QString& destFolder,
                   const QString& destTableName, bool replace) {
    const QString path = existingPath(folder, tableName);
    auto source = TableFile::Open(path, TableFile::Mode::Shared, true);
    struct Release {
        std::shared_ptr<TableFile>& f;
        ~Release() { f->Release(TableFile::Mode::Shared); }
    } release{source};
    const TableDef def = source->Def();
    CreateTableFile(destFolder, destTableName, def, replace);
    const QString destPath = TableFilePath(destFolder, destTableName);
    ExclusiveFile dest(destPath);
    const QString ctx = ctxOf(destPath);
    // rows copied through an attached read of the source, in one transaction
    WriteGuard tx(*dest);
    sqlite3* db = dest->Db();
    const QString attach = QStringLiteral("ATTACH DATABASE %1 AS src")
                               .arg(QLatin1Char('\'') + QString(path).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\''));
    Exec(db, attach, ctx);
    {
        base::ScopeFail detach([&] {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_exec(db, "DETACH DATABASE src", nullptr, nullptr, nullptr);
        });
        QStringList cols;
        for (const auto& f : def.Fields) cols << Quote(f.Name);
        Exec(db, QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM src.%3")
                     .arg(dest->RowTable(), cols.join(QLatin1Char(',')), source->RowTable()),
             ctx);
    }
    tx.Commit();
    Exec(db, QStringLiteral("DETACH DATABASE src"), ctx);
}

void SnapshotTableFile(const QString& folder, const QString& tableName, const QString& destFolder,
                       const QString& destFileName) {
    const QString path = existingPath(folder, tableName);
    auto source = TableFile::Open(path, TableFile::Mode::Shared, true);
    struct Release {
        std::shared_ptr<TableFile>& f;
        ~Release() { f->Release(TableFile::Mode::Shared); }
    } release{source};
    const QString destPath = QDir(destFolder).filePath(destFileName);
    const QString partPath = destPath + QStringLiteral(".part-") + QUuid::createUuid().toString(QUuid::Id128);
    const QString ctx = ctxOf(destPath);
    // Read through the process's kept descriptor of the file: closing any other descriptor
    // of it would drop the process's locks on it.
    const int in = source->LockFd();
    if (in < 0) Raise(ErrorCode::kIoError, ctxOf(path));
    sqlite3* db = source->Db();
    // One read transaction: while it holds the file's shared lock no program can write the
    // file (a rollback journal writes pages only under the exclusive lock), so the bytes
    // read are one committed state. A writer in the middle of its commit makes the read
    // answer busy; it is tried again.
    const bool ownTransaction = sqlite3_get_autocommit(db) != 0;
    if (ownTransaction) {
        int rc = SQLITE_BUSY;
        for (int attempt = 0; attempt < 600; ++attempt) {
            sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
            rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) break;
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) break;
            sqlite3_sleep(50);
        }
        if (rc != SQLITE_OK)
            Raise(rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? ErrorCode::kTableLocked : ErrorCode::kIoError,
                  QStringLiteral("%1: %2").arg(ctxOf(path), QString::fromUtf8(sqlite3_errstr(rc))));
    }
    base::ScopeExit endRead([&] {
        if (ownTransaction) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
    base::ScopeFail removePart([&] { QFile::remove(partPath); });
    struct stat st = {};
    if (::fstat(in, &st) != 0) Raise(ErrorCode::kIoError, ctxOf(path));
    const QByteArray part = QFile::encodeName(partPath);
    const int out = ::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) Raise(ErrorCode::kIoError, QStringLiteral("%1: %2").arg(ctx, QString::fromLocal8Bit(std::strerror(errno))));
    bool written = true;
    off_t offset = 0;
    while (written && offset < st.st_size) {
        const ssize_t n = ::copy_file_range(in, &offset, out, nullptr, size_t(st.st_size - offset), 0);
        if (n > 0) continue;
        // No kernel copy between these file systems: read and write.
        char buffer[1 << 16];
        const ssize_t r = ::pread(in, buffer, sizeof buffer, offset);
        written = r > 0 && ::write(out, buffer, size_t(r)) == r;
        offset += r > 0 ? r : 0;
    }
    written = written && ::fsync(out) == 0;
    written = ::close(out) == 0 && written;
    if (!written) Raise(ErrorCode::kIoError, ctx);
    QFile::remove(destPath);
    if (!QFile::rename(partPath, destPath)) Raise(ErrorCode::kIoError, ctx);
}

void AddIndexToFile(const QString& folder, const QString& tableName, const IndexDef& index) {
    const QString path = existingPath(folder, tableName);
    ExclusiveFile file(path);
    TableDef def = file->Def();
    IndexDef ix = index;
    if (ix.Options.testFlag(IndexOption::ixPrimary)) {
        ix.Name.clear();
        std::erase_if(def.Indexes, [](const IndexDef& i) { return i.Options.testFlag(IndexOption::ixPrimary); });
    } else {
        std::erase_if(def.Indexes, [&](const IndexDef& i) {
            return !i.Options.testFlag(IndexOption::ixPrimary) && i.Name.compare(ix.Name, Qt::CaseInsensitive) == 0;
        });
    }
    def.Indexes.push_back(ix);
    def.Validate();
    const QString ctx = ctxOf(path);
    {
        WriteGuard tx(*file);
        sqlite3* db = file->Db();
        Exec(db, QStringLiteral("DROP INDEX IF EXISTS %1").arg(Quote(internal::SqliteIndexName(file->RowTableName(), ix))), ctx);
        Exec(db, internal::CreateIndexSql(file->RowTableName(), def, ix), ctx);
        internal::WriteDefinition(db, file->RowTableName(), def, ctx);
        tx.Commit();
    }
    file->ReloadDefinition();
}

void DeleteIndexFromFile(const QString& folder, const QString& tableName, const QString& indexName) {
    const QString path = existingPath(folder, tableName);
    ExclusiveFile file(path);
    TableDef def = file->Def();
    const auto before = def.Indexes.size();
    IndexDef removed;
    std::erase_if(def.Indexes, [&](const IndexDef& i) {
        const bool match = indexName.isEmpty() ? i.Options.testFlag(IndexOption::ixPrimary)
                                               : (!i.Options.testFlag(IndexOption::ixPrimary) &&
                                                  i.Name.compare(indexName, Qt::CaseInsensitive) == 0);
        if (match) removed = i;
        return match;
    });
    if (def.Indexes.size() == before) Raise(ErrorCode::kIndexNotFound, QStringLiteral("Index: %1").arg(indexName));
    const QString ctx = ctxOf(path);
    {
        WriteGuard tx(*file);
        sqlite3* db = file->Db();
        Exec(db, QStringLiteral("DROP INDEX IF EXISTS %1").arg(Quote(internal::SqliteIndexName(file->RowTableName(), removed))), ctx);
        internal::WriteDefinition(db, file->RowTableName(), def, ctx);
        tx.Commit();
    }
    file->ReloadDefinition();
}

// ---- restructure ----

namespace {

enum class Kind { Text, Integer, Real, Logical, Date, Time, Stamp, Binary };

Kind kindOf(FieldType t) {
    switch (t) {
    case FieldType::ftString:
    case FieldType::ftMemo:
    case FieldType::ftFmtMemo:
        return Kind::Text;
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
        return Kind::Integer;
    case FieldType::ftBoolean:
        return Kind::Logical;
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
        return Kind::Real;
    case FieldType::ftDate:
        return Kind::Date;
    case FieldType::ftTime:
        return Kind::Time;
    case FieldType::ftDateTime:
        return Kind::Stamp;
    default:
        return Kind::Binary;
    }
}

bool convertible(FieldType from, FieldType to) {
    const Kind a = kindOf(from), b = kindOf(to);
    if (a == Kind::Binary || b == Kind::Binary) return a == b || (a == Kind::Binary && to == FieldType::ftMemo);
    return true;
}

QString dateText(const QDate& date, const RestructureOptions& options) {
    return options.ShortDateFormat.isEmpty() ? date.toString(Qt::ISODate) : date.toString(options.ShortDateFormat);
}

}  // namespace

bool ConvertForRestructure(const FieldDef& from, const FieldDef& to, const QVariant& value,
                           const RestructureOptions& options, QVariant& result) {
    result = QVariant();
    if (value.isNull()) return true;
    const Kind a = kindOf(from.DataType), b = kindOf(to.DataType);
    try {
        if (a == Kind::Text) {
            const QString text = value.toString();
            switch (b) {
            case Kind::Text:
                result = internal::ToStorage(to, text);  // cut to the new size
                return true;
            case Kind::Integer: {
                bool ok = false;
                const qlonglong i = text.trimmed().toLongLong(&ok);
                if (!ok) {
                    const double d = QLocale::c().toDouble(text.trimmed(), &ok);
                    if (!ok) return true;  // not a number: null
                    result = internal::ToStorage(to, d);
                    return true;
                }
                result = internal::ToStorage(to, i);
                return true;
            }
            case Kind::Real: {
                bool ok = false;
                const double d = QLocale::c().toDouble(text.trimmed(), &ok);
                if (ok && std::isfinite(d)) result = internal::ToStorage(to, d);
                return true;
            }
            case Kind::Logical: {
                const QString t = text.trimmed().toUpper();
                if (t == QLatin1String("TRUE")) result = qlonglong(1);
                if (t == QLatin1String("FALSE")) result = qlonglong(0);
                return true;
            }
            case Kind::Date:
            case Kind::Stamp: {
                const QDate d = options.ShortDateFormat.isEmpty() ? QDate::fromString(text.trimmed(), Qt::ISODate)
                                                                   : QDate::fromString(text.trimmed(), options.ShortDateFormat);
                if (d.isValid()) result = internal::ToStorage(to, d);
                return true;
            }
            case Kind::Time: {
                const QTime t = QTime::fromString(text.trimmed(), QStringLiteral("hh:mm:ss"));
                if (t.isValid()) result = internal::ToStorage(to, t);
                return true;
            }
            case Kind::Binary:
                result = internal::ToStorage(to, text.toUtf8());
                return true;
            }
        }
        if (b == Kind::Text) {
            QString text;
            switch (a) {
            case Kind::Logical:
                text = value.toLongLong() != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
                break;
            case Kind::Date:
                text = dateText(base::DaysToDate(value.toDouble()), options);
                break;
            case Kind::Stamp: {
                const QDateTime dt = base::DaysToDateTime(value.toDouble());
                text = dateText(dt.date(), options) + QLatin1Char(' ') + dt.time().toString(QStringLiteral("hh:mm:ss"));
                break;
            }
            case Kind::Binary:
                text = QString::fromUtf8(value.toByteArray());
                break;
            default:
                text = internal::StorageToString(from, value);
                break;
            }
            result = internal::ToStorage(to, text);
            return true;
        }
        if (a == Kind::Binary && b == Kind::Binary) {
            result = internal::ToStorage(to, value.toByteArray());
            return true;
        }
        // numbers, logical values and dates among themselves
        double d = value.toDouble();
        if (b == Kind::Integer || b == Kind::Logical) {
            if (b == Kind::Logical) {
                result = qlonglong(d != 0.0 ? 1 : 0);
                return true;
            }
            result = internal::ToStorage(to, d);  // raises when out of range
            return true;
        }
        if (b == Kind::Date && (a == Kind::Stamp || a == Kind::Date)) d = std::floor(d);
        if (b == Kind::Time && a != Kind::Time) d = d - std::floor(d);
        result = internal::ToStorage(to, d);
        return true;
    } catch (const EDBEngineError&) {
        return false;
    }
}

namespace {

/// Rebuilds the row table of an exclusively held file with a new definition. `sources`
/// gives for each new field the old field position (-1: new, null).
void rebuild(TableFile& file, const TableDef& newDef, const std::vector<int>& sources, const RestructureOptions& options) {
    const QString ctx = ctxOf(file.Path());
    const TableDef oldDef = file.Def();
    newDef.Validate();
    sqlite3* db = file.Db();
    const QString rowTable = file.RowTableName();
    const QString temp = rowTable + QStringLiteral(".restructure");
    {
        WriteGuard tx(file);
        Exec(db, QStringLiteral("DROP TABLE IF EXISTS %1").arg(Quote(temp)), ctx);
        Exec(db, internal::CreateRowTableSql(temp, newDef), ctx);
        QStringList oldCols;
        for (const auto& f : oldDef.Fields) oldCols << Quote(f.Name);
        QStringList newCols, marks;
        for (const auto& f : newDef.Fields) {
            newCols << Quote(f.Name);
            marks << QStringLiteral("?");
        }
        sqlite3_stmt* raw = nullptr;
        QByteArray sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(oldCols.join(QLatin1Char(',')), Quote(rowTable)).toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &raw, nullptr) != SQLITE_OK)
            internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
        internal::StatementPtr read(raw);
        sql = QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (?, %3)")
                  .arg(Quote(temp), newCols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                  .toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &raw, nullptr) != SQLITE_OK)
            internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
        internal::StatementPtr write(raw);
        int rc;
        while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
            sqlite3_bind_int64(write.get(), 1, sqlite3_column_int64(read.get(), 0));
            for (size_t i = 0; i < newDef.Fields.size(); ++i) {
                QVariant v;
                if (sources[i] >= 0) {
                    const FieldDef& from = oldDef.Fields[size_t(sources[i])];
                    const QVariant old = internal::ColumnValue(read.get(), sources[i] + 1);
                    if (!ConvertForRestructure(from, newDef.Fields[i], old, options, v)) {
                        throw EDBEngineError({{ErrorCode::kDataLoss, EngineMessage(ErrorCode::kDataLoss)},
                                              {0, QStringLiteral("Field %1: the value %2 does not fit the new type.")
                                                      .arg(newDef.Fields[i].Name, old.toString())},
                                              {0, ctx}});
                    }
                    if (v.isNull() && newDef.Fields[i].Required && !old.isNull()) {
                        throw EDBEngineError({{ErrorCode::kDataLoss, EngineMessage(ErrorCode::kDataLoss)},
                                              {0, QStringLiteral("Field %1 is required; the value %2 would be lost.")
                                                      .arg(newDef.Fields[i].Name, old.toString())},
                                              {0, ctx}});
                    }
                }
                internal::Bind(write.get(), int(i) + 2, v);
            }
            const int wrc = sqlite3_step(write.get());
            sqlite3_reset(write.get());
            if (wrc != SQLITE_DONE) internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
        }
        if (rc != SQLITE_DONE) internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
        read.reset();
        write.reset();
        file.ClearStatements();
        Exec(db, QStringLiteral("DROP TABLE %1").arg(Quote(rowTable)), ctx);
        Exec(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(Quote(temp), Quote(rowTable)), ctx);
        try {
            writeIndexes(db, rowTable, newDef, ctx);
        } catch (const EDBEngineError& e) {
            raiseKeyViolationOrRethrow(e, file.Path());
        }
        internal::WriteDefinition(db, rowTable, newDef, ctx);
        tx.Commit();
    }
    file.ReloadDefinition();
    // Packing afterwards only gives space back; the change itself is committed already.
    try {
        file.ClearStatements();
        Exec(db, QStringLiteral("VACUUM"), ctx);
    } catch (const EDBEngineError& e) {
        qCWarning(lcDb) << "packing after a restructure failed:" << e.Message();
    }
}

}  // namespace

void AddTableField(const QString& folder, const QString& tableName, const FieldDef& field) {
    const QString path = existingPath(folder, tableName);
    ExclusiveFile file(path);
    TableDef def = file->Def();
    if (def.FieldIndex(field.Name) >= 0)
        Raise(ErrorCode::kInvalidDefinition, QStringLiteral("Field %1 exists already.").arg(field.Name));
    std::vector<int> sources;
    for (size_t i = 0; i < def.Fields.size(); ++i) sources.push_back(int(i));
    def.Fields.push_back(field);
    sources.push_back(-1);
    if (field.Required)
        Raise(ErrorCode::kInvalidDefinition, QStringLiteral("A new field %1 cannot be required: rows have no value.").arg(field.Name));
    rebuild(*file, def, sources, {});
}

void ChangeTableField(const QString& folder, const QString& tableName, const QString& oldName,
                      const FieldChange& change, const RestructureOptions& options) {
    const QString path = existingPath(folder, tableName);
    ExclusiveFile file(path);
    TableDef def = file->Def();
    const int at = def.FieldIndex(oldName);
    if (at < 0) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1").arg(oldName));
    FieldDef& f = def.Fields[size_t(at)];
    const FieldDef before = f;
    if (!change.Name.isEmpty() && change.Name != f.Name) {
        const int other = def.FieldIndex(change.Name);
        if (other >= 0 && other != at)
            Raise(ErrorCode::kInvalidDefinition, QStringLiteral("Field %1 exists already.").arg(change.Name));
        for (auto& ix : def.Indexes) {
            QStringList fields = ix.FieldList();
            for (QString& n : fields) {
                if (n.compare(f.Name, Qt::CaseInsensitive) == 0) n = change.Name;
            }
            ix.Fields = fields.join(QLatin1Char(';'));
        }
        f.Name = change.Name;
    }
    if (change.DataType != FieldType::ftUnknown && change.DataType != f.DataType) {
        if (!convertible(f.DataType, change.DataType))
            Raise(ErrorCode::kInvalidDefinition, QStringLiteral("Field %1 cannot change from %2 to %3.")
                                                     .arg(f.Name, FieldTypeName(f.DataType), FieldTypeName(change.DataType)));
        f.DataType = change.DataType;
        if (f.DataType == FieldType::ftString || f.DataType == FieldType::ftBytes) {
            if (f.Size <= 0 || f.Size > 255) f.Size = 255;
        } else if (!IsBlobType(f.DataType) && f.DataType != FieldType::ftBCD) {
            f.Size = 0;
        }
    }
    if (change.Size > 0) f.Size = change.Size;
    if (f == before) return;
    std::vector<int> sources;
    for (size_t i = 0; i < def.Fields.size(); ++i) sources.push_back(int(i));
    rebuild(*file, def, sources, options);
}

void DropTableField(const QString& folder, const QString& tableName, const QString& name) {
    const QString path = existingPath(folder, tableName);
    ExclusiveFile file(path);
    TableDef def = file->Def();
    const int at = def.FieldIndex(name);
    if (at < 0) Raise(ErrorCode::kFieldNotFound, QStringLiteral("Field: %1").arg(name));
    if (def.Fields.size() == 1) Raise(ErrorCode::kInvalidDefinition, QStringLiteral("A table needs at least one field."));
    for (const auto& ix : def.Indexes) {
        if (!ix.Options.testFlag(IndexOption::ixPrimary)) continue;
        for (const QString& n : ix.FieldList()) {
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                Raise(ErrorCode::kInvalidDefinition, QStringLiteral("Field %1 is part of the primary index.").arg(name));
        }
    }
    std::erase_if(def.Indexes, [&](const IndexDef& ix) {
        for (const QString& n : ix.FieldList()) {
            if (n.compare(name, Qt::CaseInsensitive) == 0) return true;
        }
        return false;
    });
    std::vector<int> sources;
    for (size_t i = 0; i < def.Fields.size(); ++i) {
        if (int(i) != at) sources.push_back(int(i));
    }
    def.Fields.erase(def.Fields.begin() + at);
    rebuild(*file, def, sources, {});
}

void PackTableFile(const QString& folder, const QString& tableName) {
    const QString path = existingPath(folder, tableName);
    ExclusiveFile file(path);
    file->ClearStatements();
    Exec(file->Db(), QStringLiteral("VACUUM"), ctxOf(path));
    file->BumpLocalVersion();
}

void CheckTableIndexes(const QString& folder, const QString& tableName) {
    const QString path = existingPath(folder, tableName);
    auto file = TableFile::Open(path, TableFile::Mode::Shared, true);
    struct Release {
        std::shared_ptr<TableFile>& f;
        ~Release() { f->Release(TableFile::Mode::Shared); }
    } release{file};
    sqlite3* db = file->Db();
    const QString ctx = ctxOf(path);
    for (const auto& ix : file->Def().Indexes) {
        const QString name = internal::SqliteIndexName(file->RowTableName(), ix);
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?", -1, &raw, nullptr) != SQLITE_OK)
            internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
        internal::StatementPtr st(raw);
        internal::Bind(raw, 1, name);
        const bool exists = sqlite3_step(raw) == SQLITE_ROW;
        const QString stored = exists ? internal::ColumnValue(raw, 0).toString() : QString();
        st.reset();
        const QString label = ix.Options.testFlag(IndexOption::ixPrimary) ? QStringLiteral("primary index") : ix.Name;
        if (!exists) Raise(ErrorCode::kIndexNotFound, QStringLiteral("Index: %1").arg(label));
        if (stored != internal::CreateIndexSql(file->RowTableName(), file->Def(), ix))
            Raise(ErrorCode::kCorruptFile, QStringLiteral("Index %1 does not match its definition.").arg(label));
    }
    // SQLite's own check compares every index with the rows
    sqlite3_stmt* raw = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA quick_check").toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &raw, nullptr) != SQLITE_OK)
        internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    internal::StatementPtr st(raw);
    int rc = sqlite3_step(raw);
    if (rc != SQLITE_ROW) internal::RaiseSqlite(db, sqlite3_extended_errcode(db), ctx);
    const QString first = internal::ColumnValue(raw, 0).toString();
    if (first != QLatin1String("ok")) Raise(ErrorCode::kCorruptFile, first);
}

VerifyResult VerifyTableFile(const QString& folder, const QString& tableName) {
    const QString path = existingPath(folder, tableName);
    VerifyResult result;
    auto add = [&](int level, const QString& text) {
        result.Level = std::max(result.Level, level);
        result.Problems << text;
    };
    {
        const auto read = internal::ReadFileHead(path, 100);
        if (!read) {
            add(3, QStringLiteral("The file cannot be read."));
            return result;
        }
        const QByteArray& head = *read;
        if (head.size() < 100 || !head.startsWith(QByteArray("SQLite format 3\0", 16))) {
            add(3, QStringLiteral("The file header is not that of a table."));
            return result;
        }
        const int pageSize = (uchar(head[16]) << 8 | uchar(head[17])) == 1 ? 65536 : (uchar(head[16]) << 8 | uchar(head[17]));
        if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0) {
            add(3, QStringLiteral("The file header holds an invalid page size."));
            return result;
        }
        if (internal::KeptFileSize(path) % pageSize != 0)
            add(2, QStringLiteral("The file is not a whole number of pages (truncated?)."));
    }
    std::shared_ptr<TableFile> file;
    try {
        file = TableFile::Open(path, TableFile::Mode::Shared, false);
    } catch (const EDBEngineError& e) {
        if (e.Code() == ErrorCode::kTableLocked || e.Code() == ErrorCode::kTableBusy) throw;
        // rows or pages damaged: 2; the file format or the stored definition: 3
        add(e.Code() == ErrorCode::kCorruptFile ? 2 : 3, e.Message());
        return result;
    }
    struct Release {
        std::shared_ptr<TableFile>& f;
        ~Release() { f->Release(TableFile::Mode::Shared); }
    } release{file};
    sqlite3* db = file->Db();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check(100)", -1, &raw, nullptr) != SQLITE_OK) {
        add(2, QString::fromUtf8(sqlite3_errmsg(db)));
        return result;
    }
    internal::StatementPtr st(raw);
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const QString line = internal::ColumnValue(raw, 0).toString();
        if (line == QLatin1String("ok")) continue;
        const bool indexOnly = line.contains(QLatin1String("index")) && !line.contains(QLatin1String("Page")) &&
                               !line.contains(QLatin1String("page"));
        add(indexOnly ? 1 : 2, line);
    }
    if (rc != SQLITE_DONE) add(2, QString::fromUtf8(sqlite3_errmsg(db)));
    st.reset();
    // every index of the definition is present and as defined
    try {
        for (const auto& ix : file->Def().Indexes) {
            const QString name = internal::SqliteIndexName(file->RowTableName(), ix);
            if (sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?", -1, &raw, nullptr) != SQLITE_OK)
                break;
            internal::StatementPtr q(raw);
            internal::Bind(raw, 1, name);
            const QString label = ix.Options.testFlag(IndexOption::ixPrimary) ? QStringLiteral("primary index") : ix.Name;
            if (sqlite3_step(raw) != SQLITE_ROW) {
                add(1, QStringLiteral("Index %1 is missing.").arg(label));
            } else if (internal::ColumnValue(raw, 0).toString() != internal::CreateIndexSql(file->RowTableName(), file->Def(), ix)) {
                add(1, QStringLiteral("Index %1 does not match its definition.").arg(label));
            }
        }
    } catch (const EDBEngineError& e) {
        add(2, e.Message());
    }
    // stored values of the kinds the definition gives: one pass over the rows counts the
    // values of every field that are not of its kind
    const TableDef& def = file->Def();
    QStringList counts;
    for (const auto& f : def.Fields) {
        QString allowed;
        switch (kindOf(f.DataType)) {
        case Kind::Text:
            allowed = QStringLiteral("'text'");
            break;
        case Kind::Integer:
        case Kind::Logical:
        case Kind::Date:
            allowed = QStringLiteral("'integer'");
            break;
        case Kind::Real:
        case Kind::Time:
        case Kind::Stamp:
            allowed = QStringLiteral("'real','integer'");
            break;
        case Kind::Binary:
            allowed = QStringLiteral("'blob'");
            break;
        }
        counts << QStringLiteral("coalesce(sum(%1 IS NOT NULL AND typeof(%1) NOT IN (%2)), 0)").arg(Quote(f.Name), allowed);
    }
    if (counts.isEmpty()) return result;
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2").arg(counts.join(QLatin1Char(',')), file->RowTable()).toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &raw, nullptr) != SQLITE_OK) {
        add(2, QString::fromUtf8(sqlite3_errmsg(db)));
        return result;
    }
    internal::StatementPtr q(raw);
    if (sqlite3_step(raw) == SQLITE_ROW) {
        for (int i = 0; i < int(def.Fields.size()); ++i) {
            const qint64 bad = sqlite3_column_int64(raw, i);
            if (bad > 0) add(2, QStringLiteral("Field %1: %2 values are not of its type.").arg(def.Fields[size_t(i)].Name).arg(bad));
        }
    } else {
        add(2, QString::fromUtf8(sqlite3_errmsg(db)));
    }
    return result;
}

int BatchAppend(Table& source, Table& destination) {
    const int n = std::min(source.FieldCount(), destination.FieldCount());
    base::ScopeFail reread([&] { destination.Refresh(); });
    const DisabledControls sourceControls(source);
    const DisabledControls destinationControls(destination);
    Batch batch(destination);
    int count = 0;
    for (source.First(); !source.Eof(); source.Next()) {
        destination.Append();
        for (int i = 0; i < n; ++i) {
            Field* to = destination.Fields(i);
            if (to->DataType() == FieldType::ftAutoInc) continue;
            to->Assign(*source.Fields(i));
        }
        destination.Post();
        ++count;
    }
    batch.Commit();
    return count;
}

}  // namespace db
