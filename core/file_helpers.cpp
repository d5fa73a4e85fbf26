#include "core/file_helpers.h"

#include "core/log.h"

#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace core {

namespace {

bool hasWildcards(const QString& name) { return name.contains(u'*') || name.contains(u'?'); }

/// The entries of `folder` whose names match the wildcard `pattern` ignoring case.
QFileInfoList matching(const QString& folder, const QString& pattern) {
    QFileInfoList out;
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (!dir.exists()) return out;
    // "*.*" means every name, with or without a dot.
    const QString effective = pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
    const QRegularExpression re = QRegularExpression::fromWildcard(effective, Qt::CaseInsensitive);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                          QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& info : entries)
        if (re.match(info.fileName()).hasMatch()) out << info;
    return out;
}

void splitMask(const QString& mask, QString& folder, QString& pattern) {
    const QFileInfo info(mask);
    folder = info.path();
    pattern = info.fileName();
    if (pattern.isEmpty()) pattern = QStringLiteral("*");
}

bool attributesMatch(const QFileInfo& info, FileAttributes attributes) {
    if (info.isDir()) return attributes.testFlag(FileAttribute::Directory);
    if (info.fileName().startsWith(u'.') && !attributes.testFlag(FileAttribute::Hidden)) return false;
    return true;
}

bool copyEntry(const QFileInfo& source, const QString& targetPath) {
    if (source.isDir()) {
        if (!QDir().mkpath(targetPath)) return false;
        QDir dir(source.absoluteFilePath());
        const QFileInfoList entries =
            dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries)
            if (!copyEntry(entry, QDir(targetPath).filePath(entry.fileName()))) return false;
        return true;
    }
    if (QFileInfo::exists(targetPath)) {
        QFile::setPermissions(targetPath, QFile::permissions(targetPath) | QFileDevice::WriteOwner);
        if (!QFile::remove(targetPath)) return false;
    }
    return QFile::copy(source.absoluteFilePath(), targetPath);
}

bool deleteEntry(const QFileInfo& entry) {
    const QString path = entry.absoluteFilePath();
    if (QFile::moveToTrash(path)) return true;
    qCInfo(lcCore) << "the trash did not take" << path << "- deleting it";
    if (entry.isDir()) return QDir(path).removeRecursively();
    return QFile::remove(path);
}

}  // namespace

QString AddTrailingBackslash(const QString& path) {
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty() || trimmed.endsWith(u'/')) return trimmed;
    return trimmed + u'/';
}

QString RemoveTrailingBackslash(const QString& path) {
    if (path.endsWith(u'/')) return path.left(path.size() - 1);
    return path;
}

QString GetLongPathText(const QString& path) {
    if (path.isEmpty()) return path;
    const QString absolute = QDir::cleanPath(QDir(path).isAbsolute() ? path : QDir::current().absoluteFilePath(path));
    const QStringList parts = absolute.split(u'/', Qt::SkipEmptyParts);
    QString built = QStringLiteral("/");
    bool searching = true;
    for (const QString& part : parts) {
        QString name = part;
        if (searching) {
            const QDir dir(built);
            if (!QFileInfo::exists(dir.filePath(part))) {
                const QStringList entries =
                    dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
                const auto it = std::find_if(entries.begin(), entries.end(),
                                             [&](const QString& e) { return e.compare(part, Qt::CaseInsensitive) == 0; });
                if (it != entries.end()) name = *it;
                else searching = false;  // below a missing component nothing can be listed
            }
        }
        built = QDir(built).filePath(name);
    }
    return built;
}

QString NormalizePath(const QString& path, const QString& mode) {
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty()) return trimmed;
    QString result = GetLongPathText(QFileInfo(trimmed).absoluteFilePath());
    if (mode.compare(QStringLiteral("L"), Qt::CaseInsensitive) == 0) result = result.toLower();
    else if (mode.compare(QStringLiteral("U"), Qt::CaseInsensitive) == 0) result = result.toUpper();
    return result;
}

int ListFiles(const QString& mask, FileAttributes attributes, QStringList& list) {
    QString folder;
    QString pattern;
    splitMask(mask, folder, pattern);
    int count = 0;
    for (const QFileInfo& info : matching(folder, pattern)) {
        if (!attributesMatch(info, attributes)) continue;
        list << info.fileName();
        ++count;
    }
    return count;
}

qint64 GetFilesSize(const QString& mask) {
    QString folder;
    QString pattern;
    splitMask(mask, folder, pattern);
    qint64 total = 0;
    for (const QFileInfo& info : matching(folder, pattern))
        if (info.isFile()) total += info.size();
    return total;
}

bool FileSpecExists(const QString& mask) {
    QString folder;
    QString pattern;
    splitMask(mask, folder, pattern);
    return !matching(folder, pattern).isEmpty();
}

bool FolderHasFiles(const QString& folder) {
    for (const QFileInfo& info : matching(folder, QStringLiteral("*")))
        if (!info.isDir()) return true;
    return false;
}

bool IsReadOnlyFolder(const QString& folder) {
    // The permission bits count as well as what the process may do: the superuser may write
    // anywhere, but a folder marked read-only is meant to stay as it is.
    const auto readOnly = [](const QFileInfo& info) {
        // (WriteUser is what the process may do, which the first test already asks.)
        const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        return !info.isWritable() || !(info.permissions() & writable);
    };
    if (readOnly(QFileInfo(folder))) return true;
    const QDir dir(folder);
    for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("*.db"), QStringLiteral("*.DB")}, QDir::Files))
        if (readOnly(file)) return true;
    return false;
}

bool IsDatabaseFolder(const QString& folder) {
    if (folder.trimmed().isEmpty()) return false;
    const QString normal = NormalizePath(folder);
    if (!QFileInfo(normal).isDir()) return false;
    return !matching(normal, QStringLiteral("REGISTRY.DB")).isEmpty() &&
           !matching(normal, QStringLiteral("HIERARCHY.DB")).isEmpty();
}

QString MakeUniqueFolderName(const QString& path) {
    if (!QFileInfo::exists(path)) return path;
    for (int n = 1;; ++n) {
        const QString candidate = path + QStringLiteral("_%1").arg(n);
        if (!QFileInfo::exists(candidate)) return candidate;
    }
}

QString GetSpecialFolder(QObject* owner, int folderId) {
    (void)owner;
    auto location = [](QStandardPaths::StandardLocation l) { return QStandardPaths::writableLocation(l); };
    switch (folderId) {
    case SpecialFolderId::kPersonal: return location(QStandardPaths::DocumentsLocation);
    case SpecialFolderId::kDesktopDirectory: return location(QStandardPaths::DesktopLocation);
    case SpecialFolderId::kPrograms:
    case SpecialFolderId::kStartMenu: return location(QStandardPaths::ApplicationsLocation);
    case SpecialFolderId::kStartup: return QDir(location(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("autostart"));
    case SpecialFolderId::kFonts: return location(QStandardPaths::FontsLocation);
    case SpecialFolderId::kAppData: return location(QStandardPaths::GenericConfigLocation);
    default: return {};
    }
}

ShellOutcome ShellFileOperation(ShellOperation operation, const QString& sourceFolder, const QStringList& names,
                                const QString& destination) {
    if (names.isEmpty()) return {false, ShellResult::kNoNames};
    // Resolve every name first, so that a missing source changes nothing.
    QFileInfoList entries;
    for (const QString& name : names) {
        const QString full = QDir(sourceFolder).filePath(name);
        const QFileInfo info(full);
        if (hasWildcards(info.fileName())) {
            for (const QFileInfo& e : matching(info.path(), info.fileName()))
                if (!e.isDir()) entries << e;  // a mask affects files only
        } else if (info.exists() || info.isSymLink()) {
            entries << info;
        } else {
            return {false, ShellResult::kFileNotFound};
        }
    }
    if (operation == ShellOperation::Copy) {
        if (!QDir().mkpath(destination)) return {false, ShellResult::kAccessDenied};
        for (const QFileInfo& e : entries)
            if (!copyEntry(e, QDir(destination).filePath(e.fileName()))) return {false, ShellResult::kAccessDenied};
        return {true, ShellResult::kOk};
    }
    // The desktop's trash lives in the user's data folder, which must exist for the trash
    // to be made in it.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    for (const QFileInfo& e : entries)
        if (!deleteEntry(e)) return {false, ShellResult::kAccessDenied};
    return {true, ShellResult::kOk};
}

ShellOutcome CopyFiles(const QString& sourceFolder, const QString& destination, const QString& mask) {
    ui::HourglassCursor hourglass;
    QStringList names;
    ListFiles(QDir(sourceFolder).filePath(mask), FileAttribute::ReadOnly | FileAttribute::Archive, names);
    if (names.isEmpty()) return {true, ShellResult::kOk};  // nothing to copy
    return ShellFileOperation(ShellOperation::Copy, sourceFolder, names, destination);
}

bool DeleteFiles(const QString& pathOrMask) {
    ui::HourglassCursor hourglass;
    const QFileInfo info(pathOrMask);
    return ShellFileOperation(ShellOperation::Delete, info.path(), {info.fileName()}).success;
}

void WriteLogLine(const QString& file, const QString& text, bool rewrite) {
    QFile out(file);
    const QIODevice::OpenMode mode =
        rewrite || !out.exists() ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::WriteOnly | QIODevice::Append;
    if (!out.open(mode)) {
        qCInfo(lcCore) << "cannot write the log file" << file;
        return;
    }
    const QByteArray line = (text.trimmed().isEmpty() ? QByteArray() : text.toUtf8()) + "\r\n";
    if (out.write(line) != line.size()) qCInfo(lcCore) << "cannot write the log file" << file;
    out.flush();
    out.close();
}

bool ValidateFolder(QString& path) {
    if (path.trimmed().isEmpty()) {
        ui::ShowError(QStringLiteral("The path cannot be blank."), 10032);
        return false;
    }
    const QString full = NormalizePath(path);
    const QFileInfo info(full);
    if (info.isDir()) {
        const bool hasEntries =
            !QDir(full).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
        if (hasEntries) {
            const bool database = IsDatabaseFolder(full);
            const QString reason =
                database ? QStringLiteral("a Dossara database. Using this folder will destroy the existing database.")
                         : QStringLiteral("files. Using this folder may affect or overwrite one or more of those files, "
                                          "or may affect how Dossara works.");
            const QString text = QStringLiteral("Folder \"%1\" already exists, and contains %2\n\nAre you sure you want "
                                                "to use this folder?").arg(full, reason);
            const ui::Button answer = ui::Message(text, ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No,
                                                  database ? 10035 : 10036);
            if (answer != ui::Button::Yes) return false;
        }
    } else if (info.exists()) {
        // A file of that name: the folder can neither be used nor made.
        ui::ShowError(QStringLiteral("Unable to create the folder. Press F1 for help."), 10034);
        return false;
    } else {
        const ui::Button answer =
            ui::Message(QStringLiteral("Folder \"%1\" does not exist - do you want to create it?").arg(full),
                        ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10033);
        if (answer != ui::Button::Yes) return false;
        QDir().mkpath(full);
        if (!QFileInfo(full).isDir()) {
            ui::ShowError(QStringLiteral("Unable to create the folder. Press F1 for help."), 10034);
            return false;
        }
    }
    path = full;
    return true;
}

}  // namespace core
