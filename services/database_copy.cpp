#include "services/database_copy.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/table_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace services {

namespace {

bool isJournal(const QString& name) {
    const QString lower = name.toLower();
    return lower.endsWith(QStringLiteral("-journal")) || lower.endsWith(QStringLiteral("-wal")) ||
           lower.endsWith(QStringLiteral("-shm"));
}

TCopyOutcome failure(int code, const QString& text) { return {false, code, text}; }

}  // namespace

bool IsSameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a.trimmed()).canonicalFilePath();
    const QString cb = QFileInfo(b.trimmed()).canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

TCopyOutcome CopyDatabaseFolder(const QString& source, const QString& destination) {
    if (!QFileInfo(source).isDir())
        return failure(CopyResult::kFileNotFound, QStringLiteral("The folder \"%1\" does not exist.").arg(source));
    if (IsSameFolder(source, destination))
        return failure(CopyResult::kSameFolder,
                       QStringLiteral("The folder \"%1\" is the database's own folder.").arg(destination));
    if (!QDir().mkpath(destination))
        return failure(CopyResult::kAccessDenied, QStringLiteral("The folder \"%1\" cannot be made.").arg(destination));
    const QStringList files = QDir(source).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : files) {
        if (isJournal(name)) continue;
        const QString from = QDir(source).filePath(name);
        const QString to = QDir(destination).filePath(name);
        if (db::IsTableFile(from)) {
            try {
                db::SnapshotTableFile(source, name, destination, name);
            } catch (const db::EDBEngineError& e) {
                return failure(e.Code() == db::ErrorCode::kTableNotFound ? CopyResult::kFileNotFound
                                                                           : CopyResult::kAccessDenied,
                               e.Message());
            }
            continue;
        }
        const QString part = to + QStringLiteral(".part");
        QFile::remove(part);
        if (!QFile::copy(from, part)) {
            QFile::remove(part);
            return failure(CopyResult::kAccessDenied, QStringLiteral("The file \"%1\" cannot be copied to \"%2\".").arg(from, to));
        }
        QFile::remove(to);
        if (!QFile::rename(part, to))
            return failure(CopyResult::kAccessDenied, QStringLiteral("The file \"%1\" cannot be written.").arg(to));
    }
    return {};
}

}  // namespace services
