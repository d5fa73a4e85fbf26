#pragma once

#include <QString>

namespace services {

/// Result codes of a database copy, in the shell's numbering where it has one.
namespace CopyResult {
inline constexpr int kOk = 0;
inline constexpr int kFileNotFound = 2;   ///< the source folder or a file of it is missing
inline constexpr int kAccessDenied = 5;   ///< a file could not be read, written or made
inline constexpr int kSameFolder = 0x71;  ///< the destination is the source folder itself
}  // namespace CopyResult

/// How a copy ended: the code of the first failure and its text; files copied before it stay.
struct TCopyOutcome {
    bool Success = true;
    int Code = CopyResult::kOk;
    QString Text;
};

/// True when the two paths name one existing folder, also through a link or with another
/// spelling ("a/./b", a trailing "/").
bool IsSameFolder(const QString& a, const QString& b);

/// Copies every file of the database folder `source` into `destination` (made when missing,
/// with its parents). A table file of the table layer is
/// copied as one consistent snapshot through the table layer, so a program writing to the
/// database meanwhile never leaves a torn copy; any other file is copied byte for byte.
/// Journal files ("-journal", "-wal", "-shm") and sub-folders are left out. A destination
/// that is the source folder itself is refused before anything is touched (kSameFolder).
TCopyOutcome CopyDatabaseFolder(const QString& source, const QString& destination);

}  // namespace services
