#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace editor {

/// The picture of the splash window and the about box: a drawn settings tree on a blue
/// ground, `size` in pixels.
QPixmap ProgramPicture(QSize size);

/// The 20 x 20 toolbar pictures, by the name of their button without "Btn" ("Open",
/// "Expand", "Collapse", ...). An unknown name gives an empty icon.
QIcon ToolbarIcon(const char* name);

}  // namespace editor
