#pragma once

#include <QString>
#include <QStringList>

namespace services {

/// The stored form of a recent-file list in the per-user registry: below the key
/// `iniFileName` (a path under the current user, such as "\SOFTWARE\Dossara\Tarnwell") the
/// sub-key "RecentFiles" holds
///
/// | value          | meaning                                                      |
/// |----------------|--------------------------------------------------------------|
/// | "Num"          | the number of entries, as decimal text                       |
/// | "File<n>"      | the path at position n (1 .. Num), in list order             |
///
/// A path written as "-" is not stored; its number stays unused.
inline constexpr const char* kRecentFilesSection = "RecentFiles";

/// Reads the stored list. Entries that are empty or name neither an existing file nor an
/// existing folder are skipped; no cap is applied. Unreadable or missing values count as
/// absent ("Num" missing: an empty list).
QStringList LoadRecentFiles(const QString& iniFileName);

/// Replaces the stored list by `paths`: the "RecentFiles" sub-key is deleted and written
/// again. Answers false when the store could not be written.
bool StoreRecentFiles(const QString& iniFileName, const QStringList& paths);

/// Moves `path` to the top of `paths` (inserting it when the list has no entry equal to it,
/// compared without regard to case), then drops the last entry when more than `maxEntries`
/// are held (one at most).
void MoveToTop(QStringList& paths, const QString& path, int maxEntries);

}  // namespace services
