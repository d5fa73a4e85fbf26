#include "core/startup.h"

#include "core/globals.h"
#include "core/log.h"
#include "core/system_helpers.h"
#include "core/view_control.h"
#include "core/win_registry.h"

#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <sys/file.h>
#include <sys/stat.h>

namespace core {

namespace {

constexpr int kMaxPrivateFolders = 100;

QString withSlash(QString path) {
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}

/// True when files can be made in `folder` (a probe file is made and removed).
bool isWritableFolder(const QString& folder) {
    if (!QFileInfo(folder).isDir()) return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".dossara-probe-XXXXXX")));
    return probe.open();
}

QString userFolder(QStandardPaths::StandardLocation location) {
    return QDir(QStandardPaths::writableLocation(location)).filePath(QStringLiteral("dossara"));
}

/// "<program>/<name>" when it exists, else the same name under the user's data folder when
/// that exists, else the program's.
QString shippedFolder(const QString& programFolder, const QString& name) {
    const QString beside = programFolder + name;
    if (QFileInfo(beside).isDir()) return beside;
    const QString user = QDir(userFolder(QStandardPaths::GenericDataLocation)).filePath(name);
    return QFileInfo(user).isDir() ? user : beside;
}

/// Shows the warning with the arrow cursor and restores the cursor before it afterwards.
void warnWithArrow(const QString& text, int helpContext) {
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (gui) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    ui::Message(text, ui::MessageKind::Warning, ui::Button::Ok, helpContext);
    if (gui) QGuiApplication::restoreOverrideCursor();
}

/// Locks the open lock file for this program (an advisory lock the system drops when the
/// program ends, also when it is killed). False when a running program holds it, or when the
/// file was removed from its folder meanwhile (a program releasing the folder).
bool holdsLock(QFile& lock, const QString& path) {
    if (::flock(lock.handle(), LOCK_EX | LOCK_NB) != 0) return false;
    struct stat held {}, named {};
    return ::fstat(lock.handle(), &held) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           held.st_ino == named.st_ino && held.st_dev == named.st_dev;
}

}  // namespace

StartupCommandLine ParseCommandLine(const QStringList& parameters) {
    StartupCommandLine result;
    for (const QString& p : parameters) {
        if (p.trimmed().compare(QLatin1String("/REPAIR"), Qt::CaseInsensitive) == 0)
            result.Repair = true;
        else if (p.left(4).compare(QLatin1String("/DB:"), Qt::CaseInsensitive) == 0)
            result.DatabaseFolder = p.mid(4);
    }
    return result;
}

void RegisterProgramCursors() {
    // The pictures are the desktop's own cursor shapes of the same meaning.
    const std::pair<int, Qt::CursorShape> cursors[] = {
        {1, Qt::OpenHandCursor},     // HANDGRAB1
        {2, Qt::ClosedHandCursor},   // HANDGRAB2
        {5, Qt::IBeamCursor},        // EDITFIELD
        {6, Qt::PointingHandCursor}, // CHECKBOX
        {3, Qt::DragCopyCursor},     // DRAGCOPYONE
        {4, Qt::DragCopyCursor},     // DRAGCOPYMULTI
    };
    for (const auto& [number, shape] : cursors) ui::RegisterCursor(number, QCursor(shape));
}

bool StartupInit(const QString& programFolder) {
    TGlobals& g = Globals();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) RegisterProgramCursors();
    g.CurrentFolder.clear();
    g.ProgramFolder = withSlash(QDir::cleanPath(QDir(programFolder).absolutePath()));
    g.LibraryFolder = ReadWinRegString(QStringLiteral("Paths"), QStringLiteral("LibraryPath"),
                                       shippedFolder(g.ProgramFolder, QStringLiteral("Library")));
    g.TemplateFolder = ReadWinRegString(QStringLiteral("Paths"), QStringLiteral("TemplatePath"),
                                        shippedFolder(g.ProgramFolder, QStringLiteral("Template")));
    const QString writableRoot = isWritableFolder(g.ProgramFolder)
                                     ? g.ProgramFolder
                                     : withSlash(userFolder(QStandardPaths::GenericCacheLocation));
    g.NetworkFolder = writableRoot + QStringLiteral("Network");
    g.PrivateFolder = writableRoot + QStringLiteral("Private");
    g.LastFolder = g.ProgramFolder;
    g.ProgramDocking = false;
    g.FirstSearchPending = true;
    ViewControl().Clear();
    SetNetworkDirectory(g.NetworkFolder);
    SetPrivateDirectory(g.PrivateFolder);
    CheckComCtlVersion(4, 72);
    qCInfo(lcCore) << "program folder" << g.ProgramFolder << "private folder" << g.PrivateFolder;
    return true;
}

bool SetNetworkDirectory(const QString& folder) {
    if (QDir().mkpath(folder) && QFileInfo(folder).isDir()) return true;
    warnWithArrow(QStringLiteral("Unable to initialize the BDE Network directory.\r\rThe directory may be invalid or "
                                 "inaccessable. You may have problems with data access."),
                  10029);
    return false;
}

bool SetPrivateDirectory(QString& folder) {
    TGlobals& g = Globals();
    g.LockFile.reset();
    QDir().mkpath(folder);
    for (int n = 1; n <= kMaxPrivateFolders; ++n) {
        const QString candidate = QDir(folder).filePath(QString::number(n));
        const bool made = !QFileInfo(candidate).isDir() && QDir().mkdir(candidate);
        if (!made && !QFileInfo(candidate).isDir()) continue;  // a file in the way
        const QString lockPath = QDir(candidate).filePath(QStringLiteral("Temp.") + QString::number(n));
        auto lock = std::make_unique<QFile>(lockPath);
        if (!lock->open(QIODevice::ReadWrite)) {
            if (made) QDir().rmdir(candidate);
            if (QFileInfo::exists(lockPath)) continue;  // another user's folder
            break;                                      // no file can be made here
        }
        if (!holdsLock(*lock, lockPath)) continue;  // a running program's folder
        // No running program holds this folder: what a killed program left in it goes.
        QDir dir(candidate);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (dir.filePath(name) != lockPath) dir.remove(name);
        folder = candidate;
        g.LockFile = std::move(lock);
        return true;
    }
    warnWithArrow(QStringLiteral("Unable to initialize the BDE Private directory.\r\rThe directory may be invalid or "
                                 "inaccessible. You may have problems with data access."),
                  10028);
    return false;
}

void ReleasePrivateDirectory() {
    TGlobals& g = Globals();
    if (!g.LockFile) return;
    // The files go while the lock is held (the lock file last), so a program starting now
    // never takes a folder that is being emptied.
    QDir dir(g.PrivateFolder);
    const QString lockPath = g.LockFile->fileName();
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (dir.filePath(name) != lockPath) dir.remove(name);
    QFile::remove(lockPath);
    g.LockFile.reset();
    QDir().rmdir(g.PrivateFolder);
}

}  // namespace core
