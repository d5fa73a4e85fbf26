#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace core {

/// Pictures of the program's commands, read from the installed icon theme (the folder the
/// build names, /usr/share/icons/Adwaita by default) by file path: the theme's PNGs of the
/// sizes 16, 24 and 32 under "legacy", the folder that holds the coloured pictures.
/// A missing picture gives a null icon, never a failure.
QIcon ThemeIcon(const QString& name);
/// One picture of the theme at the given size (the nearest size the theme has).
QImage ThemeImage(const QString& name, int sizePx);
/// The theme folder in use.
QString IconThemeFolder();

}  // namespace core
