#include "services/long_names.h"

#include <QDir>
#include <QFileInfo>

namespace services {

QString LongNameOf(const QString& path) {
    const QString clean = LongPathName(path);
    return clean == QStringLiteral("/") ? clean : QFileInfo(clean).fileName();
}

QString LongPathName(const QString& path) {
    if (path.isEmpty()) return path;
    return QDir::cleanPath(QDir(QDir::currentPath()).absoluteFilePath(path));
}

QString ShortPathName(const QString& path) { return LongPathName(path); }

}  // namespace services
