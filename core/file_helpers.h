#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

class QObject;

namespace core {

// File and folder routines of the helper library. Paths use "/" as the separator; names
// that the system gives in capitals (REGISTRY.DB) are matched ignoring case, because
// database folders made elsewhere may spell them in any case.

/// Trims and appends "/" unless the result is empty or already ends with one.
QString AddTrailingBackslash(const QString& path);
/// Drops one trailing "/".
QString RemoveTrailingBackslash(const QString& path);
/// Rebuilds a full path component by component with each component's name as the file
/// system lists it (a component written in another case takes the listed name); components
/// that cannot be found are kept as given.
QString GetLongPathText(const QString& path);
/// Trims, expands to a full path and takes the long form; mode "L" lower-cases the result,
/// "U" upper-cases it, any other mode keeps the case.
QString NormalizePath(const QString& path, const QString& mode = {});

/// Attributes of a directory entry, as a file listing asks for them. Plain files always
/// match; the flags add the other kinds.
enum class FileAttribute {
    ReadOnly = 0x01,
    Hidden = 0x02,   ///< names starting with "."
    SysFile = 0x04,  ///< no such files here; kept for the callers' masks
    Directory = 0x10,
    Archive = 0x20,
    AnyFile = 0x3F,
};
Q_DECLARE_FLAGS(FileAttributes, FileAttribute)
Q_DECLARE_OPERATORS_FOR_FLAGS(FileAttributes)

/// Fills `list` with the names (without folder) that match `mask` ("<folder>/*.db"; the
/// wildcards * and ? match ignoring case) and `attributes`, sorted; answers their count.
/// The entries "." and ".." never match.
int ListFiles(const QString& mask, FileAttributes attributes, QStringList& list);
/// Total size in bytes of all matching entries (any attributes).
qint64 GetFilesSize(const QString& mask);
/// At least one entry of any attribute matches.
bool FileSpecExists(const QString& mask);
/// The folder holds at least one file (subfolders do not count).
bool FolderHasFiles(const QString& folder);
/// The folder exists and holds REGISTRY.DB and HIERARCHY.DB (names in any case).
bool IsDatabaseFolder(const QString& folder);
/// True when the folder, or a table file in it, has no write permission or cannot be written
/// by this program (a folder copied from a disc, a share mounted read-only).
bool IsReadOnlyFolder(const QString& folder);
/// The path when no such folder exists, else path + "_1", "_2", ... the first that does not.
QString MakeUniqueFolderName(const QString& path);

/// The shell folders the system asks for, by their numbers.
namespace SpecialFolderId {
inline constexpr int kPrograms = 2;           ///< the user's program menu
inline constexpr int kPersonal = 5;           ///< the user's documents
inline constexpr int kStartup = 7;            ///< programs started at log-in
inline constexpr int kStartMenu = 11;         ///< the user's start menu
inline constexpr int kDesktopDirectory = 16;  ///< the desktop folder
inline constexpr int kFonts = 20;
inline constexpr int kAppData = 26;
}  // namespace SpecialFolderId
/// Path of a special folder (one of SpecialFolderId), empty when the desktop has none.
/// `owner` is the window the shell would have been asked for; not used here.
QString GetSpecialFolder(QObject* owner, int folderId);

enum class ShellOperation { Copy, Delete };
/// Result codes of the shell operations.
namespace ShellResult {
inline constexpr int kOk = 0;
inline constexpr int kFileNotFound = 2;  ///< a source name does not exist
inline constexpr int kAccessDenied = 5;  ///< a file could not be written, copied or removed
inline constexpr int kNoNames = 0x7C;    ///< nothing was named
}  // namespace ShellResult

struct ShellOutcome {
    bool success = false;
    int result = ShellResult::kOk;  ///< the shell's code; kOk on success
};
/// One shell operation over all names at once (names relative to `sourceFolder`, or
/// absolute; "*" and "?" in a name match files of that folder). Silent and without
/// confirmation: copies overwrite and create the destination folder. Deletions go to the
/// desktop's trash (allow undo); where the trash cannot take an entry it is deleted. With
/// a mask only files are affected; a name without wildcards may be a folder, which is
/// copied or deleted whole.
ShellOutcome ShellFileOperation(ShellOperation operation, const QString& sourceFolder, const QStringList& names,
                                const QString& destination = {});
/// Under the hourglass: copies the files of sourceFolder matching `mask` (hidden files and
/// subfolders excluded) to `destination` in one shell operation.
ShellOutcome CopyFiles(const QString& sourceFolder, const QString& destination, const QString& mask);
/// Under the hourglass: deletes a path or mask in one shell operation, to the trash.
bool DeleteFiles(const QString& pathOrMask);

/// Appends `text` as one line (an empty line when the trimmed text is empty) to the text
/// file, ending it with CR LF; with `rewrite` the file is emptied first. Any error is
/// swallowed.
void WriteLogLine(const QString& file, const QString& text, bool rewrite);

/// Checks a folder the user typed or chose for a new database, template or copy: asks
/// before using a folder that holds entries, offers to create a missing one. On success
/// `path` receives the expanded path; answers false after an error or a No.
bool ValidateFolder(QString& path);

}  // namespace core
