#pragma once

#include "core/datagen/package_catalogue.h"

#include <QString>

#include <functional>

#include <vector>

namespace datagen {

class DatabaseWriter;

/// Writes the library folder (IconLib.DB, MaskLib.db, MacroLib.db, TemplateLib.db) from the
/// text sources under `sourceFolder` ("icons.txt", "masks.txt", "macros.txt",
/// "templates.txt"); pictures come from the icon theme folder (16x16 small, 24x24 large).
/// Throws base::Exception for a faulty source line or a missing picture.
void WriteLibrary(const QString& folder, const QString& sourceFolder, const QString& iconTheme);

/// The virtual-key code and shift bits of a shortcut text ("Ctrl+Alt+D", "Shift+F5"): key
/// code plus 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt; 0 for a text that names no key.
int ShortcutFromText(const QString& text);

/// Writes the catalogue as a tree under a new root branch of View 0: one branch per archive
/// section (View 0), one per source package with several binary packages in the section
/// (View 1), one per binary package (View 2). `extraNote` is appended to every package's
/// note (empty for none). Answers the number of branches written.
int WriteCatalogueTree(DatabaseWriter& writer, const std::vector<PackageRecord>& packages, const QString& rootTitle,
                       double timestamp, const std::function<QString(int)>& extraNote = {});

}  // namespace datagen
