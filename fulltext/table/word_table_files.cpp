#include "fulltext/table/word_table_files.h"

#include "fulltext/errors.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace fulltext {

namespace {

const QString kReady = QStringLiteral("ready");

/// Makes the folder's entries (a rename, a new file) durable.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void writeReadyMarker(const QString& buildFolder) {
    QFile marker(QDir(buildFolder).filePath(kReady));
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw ETessick(msgTableCreationError);
    marker.write("1");
    marker.flush();
    ::fsync(marker.handle());
    marker.close();
    syncFolder(buildFolder);
}

/// Moves the built table into `folder` (the old one deleted first) and removes the build folder.
void install(const QString& folder, const QString& tableName, const QString& buildFolder) {
    const QString built = db::FindTableFile(buildFolder, tableName);
    if (built.isEmpty()) {  // installed meanwhile by another process
        QDir(buildFolder).removeRecursively();
        return;
    }
    const QString old = db::FindTableFile(folder, tableName);
    if (!old.isEmpty()) db::DeleteTableFile(folder, old);
    const QString target = QDir(folder).filePath(old.isEmpty() ? tableName : old);
    if (::rename(QFile::encodeName(QDir(buildFolder).filePath(built)).constData(), QFile::encodeName(target).constData()) != 0)
        throw ETessick(msgTableCreationError);
    syncFolder(folder);
    QDir(buildFolder).removeRecursively();
}

/// True while another build (in this process or another) holds the new table open.
bool buildRunning(const QString& buildFolder, const QString& tableName) {
    const QString built = db::FindTableFile(buildFolder, tableName);
    if (built.isEmpty()) return false;
    db::Table probe;
    probe.SetDatabaseName(buildFolder);
    probe.SetTableName(built);
    probe.SetExclusive(true);
    try {
        probe.Open();
    } catch (const db::EDBEngineError& e) {
        return e.Code() == db::ErrorCode::kTableBusy || e.Code() == db::ErrorCode::kTableLocked;
    }
    probe.Close();
    return false;
}

}  // namespace

QString BuildFolder(const QString& folder, const QString& tableName) {
    return QDir(folder).filePath(QStringLiteral(".%1.build").arg(tableName));
}

void RecoverWordTable(const QString& folder, const QString& tableName) {
    const QString buildFolder = BuildFolder(folder, tableName);
    if (!QFileInfo(buildFolder).isDir()) return;
    if (QFileInfo::exists(QDir(buildFolder).filePath(kReady))) {
        qCInfo(lcFulltext) << "Completing the interrupted installation of word table" << tableName;
        install(folder, tableName, buildFolder);
    } else if (!buildRunning(buildFolder, tableName)) {
        qCInfo(lcFulltext) << "Discarding the interrupted build of word table" << tableName;
        QDir(buildFolder).removeRecursively();
    }
}

void InstallBuiltWordTable(const QString& folder, const QString& tableName) {
    const QString buildFolder = BuildFolder(folder, tableName);
    writeReadyMarker(buildFolder);
    install(folder, tableName, buildFolder);
}

}  // namespace fulltext
