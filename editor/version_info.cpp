#include "editor/version_info.h"

#include <QCoreApplication>

namespace editor {

QString GetVersionValue(const QString& name) {
    const QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty()) return {};
    if (name == QLatin1String("ProductVersion")) return version;
    return QStringLiteral("<Unknown>");
}

}  // namespace editor
