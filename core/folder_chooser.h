#pragma once

#include <QString>

#include <functional>

namespace core {

/// Asks the user for a folder. `title` heads the window; `folder` is where it starts (and,
/// on OK, the folder chosen, without a trailing "/"); `lastFolder` is where it starts when
/// `folder` is empty (and, on OK, the folder last shown); `allowEdit` lets the user type a
/// path. Answers true on OK; on Cancel false, with both left as they were.
using FolderChooser = std::function<bool(const QString& title, QString& folder, QString& lastFolder, bool allowEdit)>;

/// Installs the program's folder chooser (the program installs "Browse for Folder" at start).
void SetFolderChooser(FolderChooser chooser);

/// Every window that asks for a folder calls this: the installed chooser, or, while none is
/// installed, the dialog service's folder choice.
bool BrowseForFolder(const QString& title, QString& folder, QString& lastFolder, bool allowEdit);

}  // namespace core
