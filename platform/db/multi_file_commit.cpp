#include "platform/db/internal/multi_file_commit.h"

#include "platform/db/db_error.h"

#include "platform/base/scope_exit.h"
#include "platform/db/db_log.h"
#include "platform/db/internal/fault_injection.h"
#include "platform/db/internal/sqlite_util.h"
#include "platform/db/internal/table_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUuid>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

#include <sqlite3.h>

namespace db::internal {

namespace {

// Literals, not QString objects of the namespace: writers in static initializers of other
// units (test fixtures) reach these before such objects would be made.
QString recordPrefix() { return QStringLiteral(".dossara-commit-"); }
QString keptSuffix() { return QStringLiteral("-journal.held"); }
constexpr int kGateWaitMs = 5000;

QByteArray native(const QString& path) { return QFile::encodeName(path); }

bool exists(const QString& path) { return ::access(native(path).constData(), F_OK) == 0; }

void syncFolder(const QString& folder) {
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool lockRecord(int fd) {
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

/// Takes the commit gate of a table file for writing, waiting a while for writers that hold
/// it for the moment they start their transaction.
bool closeGate(int lockFd) {
    QElapsedTimer waited;
    waited.start();
    while (!LockCommitGate(lockFd, CommitGate::Closed)) {
        if (waited.elapsed() > kGateWaitMs) return false;
        QThread::usleep(500);
    }
    return true;
}

/// A kept journal's name is the table file's name and a fixed ending: one folder, no path.
bool isKeptName(const QString& name) {
    return name.endsWith(keptSuffix()) && name.size() > keptSuffix().size() && !name.contains(u'/') &&
           !name.startsWith(u'.');
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

/// Puts a kept journal back as the file's hot journal; SQLite rolls the file back on its
/// next read (at once when the file is open here). The caller holds the file's gate.
void restore(const Kept& k) noexcept {
    if (!exists(k.journal)) ::rename(native(k.held).constData(), native(k.journal).constData());
    else ::unlink(native(k.held).constData());
    if (k.file) {
        sqlite3_exec(k.file->Db(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        k.file->BumpLocalVersion();
    }
}

}  // namespace

QString KeptJournalPath(const QString& tablePath) { return tablePath + keptSuffix(); }

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

    const QString folder = QFileInfo(writing.front()->Path()).absolutePath();
    // The gates: from here until the files are all committed (or all undone) no other
    // program starts writing any of them, so a recovery never undoes a newer write.
    std::vector<int> gates;
    base::ScopeExit openGates([&]() noexcept {
        for (int fd : gates) LockCommitGate(fd, CommitGate::Open);
    });
    {
        base::ScopeFail undo([&] { rollbackFrom(0); });
        for (TableFile* f : writing) {
            if (QFileInfo(f->Path()).absolutePath() != folder)
                Raise(ErrorCode::kIoError,
                      QStringLiteral("%1 and %2 are in different folders and cannot commit together")
                          .arg(writing.front()->Path(), f->Path()));
            if (f->LockFd() < 0 || !closeGate(f->LockFd()))
                Raise(ErrorCode::kTableLocked, QStringLiteral("Table: %1").arg(f->Path()));
            gates.push_back(f->LockFd());
        }

        // Prepare: every changed page into its file, each journal synced; nothing committed yet.
        for (TableFile* f : writing) {
            const int rc = sqlite3_db_cacheflush(f->Db());
            if (rc != SQLITE_OK)
                RaiseSqlite(f->Db(), sqlite3_extended_errcode(f->Db()), QStringLiteral("Table: %1").arg(f->Path()));
        }
    }

    // Keep each journal past its file's commit, and write the record naming the kept ones
    // (by name within the folder, so that a copy of the folder recovers on its own).
    const QString id = QUuid::createUuid().toString(QUuid::Id128);
    const QString record = QDir(folder).filePath(recordPrefix() + id);
    const QString pending = QDir(folder).filePath(QStringLiteral(".dossara-writing-") + id);
    std::vector<Kept> kept;
    int recordFd = -1;
    auto dropRecord = [&]() noexcept {
        if (recordFd >= 0) {
            ::unlink(native(record).constData());
            ::unlink(native(pending).constData());
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
            const QString held = KeptJournalPath(f->Path());
            ::unlink(native(held).constData());  // left by a commit counted as committed
            if (::link(native(journal).constData(), native(held).constData()) != 0 && !copyJournal(journal, held))
                Raise(ErrorCode::kIoError, QStringLiteral("%1 cannot be kept").arg(journal));
            kept.push_back({f, journal, held});
            lines += native(QFileInfo(held).fileName()) + '\n';
        }
        // Written under another name and renamed once whole and locked: a recovery never
        // finds the record before its lock is held.
        recordFd = ::open(native(pending).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (recordFd < 0 || !lockRecord(recordFd) ||
            ::write(recordFd, lines.constData(), size_t(lines.size())) != lines.size() || ::fsync(recordFd) != 0 ||
            ::rename(native(pending).constData(), native(record).constData()) != 0)
            Raise(ErrorCode::kIoError, QStringLiteral("%1 cannot be written").arg(record));
        syncFolder(folder);
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
        if (i + 1 < writing.size()) FaultInjection::commitStep(int(i + 1));
    }
    dropRecord();  // from here on the transaction counts as committed
    syncFolder(folder);
    for (const Kept& k : kept) ::unlink(native(k.held).constData());
}

void RecoverInterruptedCommits(const QString& folder) noexcept {
    try {
        const QDir dir(folder);
        for (const QString& name : dir.entryList({recordPrefix() + u'*'}, QDir::Files | QDir::Hidden)) {
            const QString record = dir.filePath(name);
            const int fd = ::open(native(record).constData(), O_RDWR | O_CLOEXEC);
            if (fd < 0) continue;
            base::ScopeExit closeRecord([fd]() noexcept { ::close(fd); });
            if (!lockRecord(fd)) continue;  // a commit is running in another program
            QFile in;
            QByteArray content;
            if (in.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) content = in.readAll();
            std::vector<QString> keptNames;
            for (const QByteArray& line : content.split('\n')) {
                const QString held = QFile::decodeName(line);
                if (line.isEmpty()) continue;
                if (!isKeptName(held)) {
                    qCWarning(lcDb) << record << "names" << held << "outside its folder: left alone";
                    continue;
                }
                keptNames.push_back(held);
            }
            // Nobody writes the record's files while their kept journals go back.
            std::vector<int> gates;
            base::ScopeExit openGates([&]() noexcept {
                for (int g : gates) LockCommitGate(g, CommitGate::Open);
            });
            bool closed = true;
            for (const QString& held : keptNames) {
                const QString table = dir.filePath(held.left(held.size() - keptSuffix().size()));
                const int lockFd = exists(table) ? LockDescriptor(table) : -1;
                if (lockFd < 0) continue;
                if (!closeGate(lockFd)) {
                    closed = false;
                    break;
                }
                gates.push_back(lockFd);
            }
            if (!closed) continue;
            for (const QString& held : keptNames) {
                const QString journal = dir.filePath(held.left(held.size() - keptSuffix().size()) + QStringLiteral("-journal"));
                if (exists(dir.filePath(held))) restore({nullptr, journal, dir.filePath(held)});
            }
            ::unlink(native(record).constData());
            syncFolder(folder);
        }
        // Kept journals left after a commit counted as committed (no record names them):
        // removed when no commit holds their file.
        const QStringList records = dir.entryList({recordPrefix() + u'*'}, QDir::Files | QDir::Hidden);
        for (const QString& name : dir.entryList({u'*' + keptSuffix()}, QDir::Files | QDir::Hidden)) {
            const QString table = dir.filePath(name.left(name.size() - keptSuffix().size()));
            const int lockFd = exists(table) ? LockDescriptor(table) : -1;
            if (lockFd >= 0 && !LockCommitGate(lockFd, CommitGate::Closed)) continue;
            base::ScopeExit open([lockFd]() noexcept {
                if (lockFd >= 0) LockCommitGate(lockFd, CommitGate::Open);
            });
            bool listed = false;
            for (const QString& r : records) {
                QFile f(dir.filePath(r));
                if (f.open(QIODevice::ReadOnly) && f.readAll().split('\n').contains(native(name))) listed = true;
            }
            if (!listed) QFile::remove(dir.filePath(name));
        }
    } catch (...) {
    }
}

}  // namespace db::internal
