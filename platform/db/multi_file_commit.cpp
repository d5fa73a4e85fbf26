#include "platform/db/internal/multi_file_commit.h"

#include "platform/db/db_error.h"

#include "platform/base/scope_exit.h"
#include "platform/db/db_log.h"
#include "platform/db/internal/sqlite_util.h"
#include "platform/db/internal/table_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

#include <sqlite3.h>

namespace db::internal {

namespace {

const QString kRecordPrefix = QStringLiteral(".dossara-commit-");
const QString kHeldSuffix = QStringLiteral(".held");

QByteArray native(const QString& path) { return QFile::encodeName(path); }

bool exists(const QString& path) { return ::access(native(path).constData(), F_OK) == 0; }

void syncFolder(const QString& folder) {
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool lockRecord(int fd, bool wait) {
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0;
}

/// For file systems without hard links: a synced copy of the journal (it is complete once
/// the file was prepared; what the commit adds to it later is the change counter's page,
/// which a rollback does not need).
bool copyJournal(const QString& journal, const QString& held) {
    QFile::remove(held);
    if (!QFile::copy(journal, held)) return false;
    const int fd = ::open(native(held).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

struct Kept {
    TableFile* file;
    QString journal;
    QString held;
};

/// Puts a kept journal back as the file's hot journal and lets SQLite roll the file back.
void restore(const Kept& k) noexcept {
    if (!exists(k.journal)) ::rename(native(k.held).constData(), native(k.journal).constData());
    else ::unlink(native(k.held).constData());
    if (k.file) {
        sqlite3_exec(k.file->Db(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        k.file->BumpLocalVersion();
    }
}

}  // namespace

void CommitTogether(const std::vector<std::shared_ptr<TableFile>>& files) {
    std::vector<TableFile*> writing;
    for (const auto& f : files)
        if (f->IsInTransaction()) writing.push_back(f.get());
    auto rollbackFrom = [&](size_t from) noexcept {
        for (size_t i = from; i < writing.size(); ++i) {
            writing[i]->RollbackWrite();
            writing[i]->BumpLocalVersion();
        }
    };
    if (writing.size() <= 1) {
        base::ScopeFail undo([&] { rollbackFrom(0); });
        for (TableFile* f : writing) f->CommitWrite();
        return;
    }

    // Prepare: every changed page into its file, each journal synced; nothing committed yet.
    for (TableFile* f : writing) {
        const int rc = sqlite3_db_cacheflush(f->Db());
        if (rc != SQLITE_OK) {
            base::ScopeFail undo([&] { rollbackFrom(0); });
            RaiseSqlite(f->Db(), sqlite3_extended_errcode(f->Db()), QStringLiteral("Table: %1").arg(f->Path()));
        }
    }

    // Keep each journal past its file's commit, and write the record naming the kept ones.
    const QString id = QUuid::createUuid().toString(QUuid::Id128);
    const QString record = QDir(QFileInfo(writing.front()->Path()).absolutePath()).filePath(kRecordPrefix + id);
    std::vector<Kept> kept;
    int recordFd = -1;
    auto dropRecord = [&]() noexcept {
        if (recordFd >= 0) {
            ::unlink(native(record).constData());
            ::close(recordFd);
            recordFd = -1;
        }
    };
    {
        base::ScopeFail undo([&] {
            dropRecord();
            for (const Kept& k : kept) ::unlink(native(k.held).constData());
            rollbackFrom(0);
        });
        QByteArray lines;
        for (TableFile* f : writing) {
            const QString journal = f->Path() + QStringLiteral("-journal");
            if (!exists(journal)) continue;
            const QString held = journal + u'.' + id + kHeldSuffix;
            if (::link(native(journal).constData(), native(held).constData()) != 0 && !copyJournal(journal, held))
                Raise(ErrorCode::kIoError, QStringLiteral("%1 cannot be kept").arg(journal));
            kept.push_back({f, journal, held});
            lines += native(QFileInfo(held).absoluteFilePath()) + '\n';
        }
        recordFd = ::open(native(record).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (recordFd < 0 || !lockRecord(recordFd, false) ||
            ::write(recordFd, lines.constData(), size_t(lines.size())) != lines.size() || ::fsync(recordFd) != 0)
            Raise(ErrorCode::kIoError, QStringLiteral("%1 cannot be written").arg(record));
        syncFolder(QFileInfo(record).absolutePath());
    }

    for (size_t i = 0; i < writing.size(); ++i) {
        base::ScopeFail undo([&]() noexcept {
            qCInfo(lcDb) << "commit of" << writing[i]->Path() << "failed: undoing the files committed before it";
            rollbackFrom(i);
            for (const Kept& k : kept) {
                const bool committed = std::find(writing.begin(), writing.begin() + qsizetype(i), k.file) !=
                                       writing.begin() + qsizetype(i);
                if (committed) restore(k);
                else ::unlink(native(k.held).constData());
            }
            dropRecord();
        });
        writing[i]->CommitWrite();
    }
    dropRecord();  // from here on the transaction counts as committed
    syncFolder(QFileInfo(record).absolutePath());
    for (const Kept& k : kept) ::unlink(native(k.held).constData());
}

void RecoverInterruptedCommits(const QString& folder) noexcept {
    try {
        const QDir dir(folder);
        for (const QString& name : dir.entryList({kRecordPrefix + u'*'}, QDir::Files | QDir::Hidden)) {
            const QString record = dir.filePath(name);
            const int fd = ::open(native(record).constData(), O_RDWR | O_CLOEXEC);
            if (fd < 0) continue;
            if (!lockRecord(fd, false)) {  // a commit is running in another process
                ::close(fd);
                continue;
            }
            QFile in;
            QByteArray content;
            if (in.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) content = in.readAll();
            for (const QByteArray& line : content.split('\n')) {
                if (line.isEmpty()) continue;
                const QString held = QFile::decodeName(line);
                if (!held.endsWith(kHeldSuffix)) continue;
                const QString journal = held.left(held.size() - kHeldSuffix.size() - 1 - name.size() + kRecordPrefix.size());
                restore({nullptr, journal, held});
            }
            ::unlink(native(record).constData());
            ::close(fd);
            syncFolder(folder);
        }
        // Links left after a commit counted as committed.
        for (const QString& name : dir.entryList({QStringLiteral("*-journal.*") + kHeldSuffix}, QDir::Files | QDir::Hidden)) {
            const QString id = name.section(u'.', -2, -2);
            if (!exists(dir.filePath(kRecordPrefix + id))) QFile::remove(dir.filePath(name));
        }
    } catch (...) {
    }
}

}  // namespace db::internal
