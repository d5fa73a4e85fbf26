#include "core/gui/action_icons.h"

#include "platform/ui/gui/make.h"

#include <QAction>
#include <QDirIterator>
#include <QFileInfo>
#include <QToolBar>
#include <QWidget>

#ifndef DOSSARA_ICON_THEME
#define DOSSARA_ICON_THEME "/usr/share/icons/Adwaita"
#endif

namespace core {

namespace {
/// The picture file of `name` at exactly `size`, searched in the theme's context folders.
QString themeFile(const QString& name, int size) {
    const QString sizeFolder = QStringLiteral("%1/%2x%2/").arg(IconThemeFolder()).arg(size);
    for (const char* context : {"legacy", "apps", "places", "mimetypes", "devices", "status", "actions"}) {
        const QString path = sizeFolder + QLatin1String(context) + QLatin1Char('/') + name + QStringLiteral(".png");
        if (QFileInfo::exists(path)) return path;
    }
    return {};
}
}  // namespace

QString IconThemeFolder() { return QStringLiteral(DOSSARA_ICON_THEME); }

QIcon ThemeIcon(const QString& name) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        const QString path = themeFile(name, size);
        if (!path.isEmpty()) icon.addFile(path, QSize(size, size));
    }
    return icon;
}

QImage ThemeImage(const QString& name, int sizePx) {
    for (int size : {sizePx, 512, 256, 96, 64, 48, 32, 24, 16}) {
        const QString path = themeFile(name, size);
        if (!path.isEmpty()) return QImage(path);
    }
    return {};
}

QAction* MakeToolAction(QWidget* owner, QToolBar* toolbar, const char* name, const QString& caption,
                        const QString& hint, const QKeySequence& key, const char* icon) {
    auto* a = ui::Make<QAction>(owner, name, caption);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    a->setShortcut(key);
    a->setIcon(ThemeIcon(QLatin1String(icon)));
    owner->addAction(a);
    toolbar->addAction(a);
    return a;
}

}  // namespace core
