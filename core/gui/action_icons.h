#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QImage>
#include <QString>

class QAction;
class QToolBar;
class QWidget;

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

/// A command of a small tool window: an action of `owner` named `name`, with its caption,
/// hint (tool tip and status tip), shortcut and theme picture, added to `owner` (so its
/// shortcut works) and to `toolbar`.
QAction* MakeToolAction(QWidget* owner, QToolBar* toolbar, const char* name, const QString& caption,
                        const QString& hint, const QKeySequence& key, const char* icon);

}  // namespace core
