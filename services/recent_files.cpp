#include "services/recent_files.h"

#include "platform/settings/registry.h"

#include <QFileInfo>

namespace services {

namespace {
QString sectionKey(const QString& iniFileName) {
    return QStringLiteral("\\") + settings::NormaliseKey(iniFileName) + u'\\' + QLatin1String(kRecentFilesSection);
}
}  // namespace

QStringList LoadRecentFiles(const QString& iniFileName) {
    QStringList out;
    settings::Registry reg;
    if (!reg.OpenKey(sectionKey(iniFileName), false)) return out;
    // "Num" is decimal text; a count stored as an integer value is read as well.
    bool ok = false;
    int num = reg.ReadString(QStringLiteral("Num")).trimmed().toInt(&ok);
    if (!ok) num = reg.ReadInteger(QStringLiteral("Num"), 0);
    for (int k = 1; k <= num; ++k) {
        const QString path = reg.ReadString(QStringLiteral("File%1").arg(k));
        if (path.isEmpty()) continue;
        if (!QFileInfo::exists(path)) continue;
        out << path;
    }
    return out;
}

bool StoreRecentFiles(const QString& iniFileName, const QStringList& paths) {
    // The whole list is written in one save, so a failure never leaves half a list.
    QList<std::pair<QString, QString>> values{{QStringLiteral("Num"), QString::number(paths.size())}};
    for (int i = 0; i < paths.size(); ++i) {
        if (paths[i] == QLatin1String("-")) continue;
        values.append({QStringLiteral("File%1").arg(i + 1), paths[i]});
    }
    settings::Registry reg;
    return reg.ReplaceKeyStrings(sectionKey(iniFileName), values);
}

void MoveToTop(QStringList& paths, const QString& path, int maxEntries) {
    qsizetype at = -1;
    for (qsizetype i = 0; i < paths.size() && at < 0; ++i)
        if (paths[i].compare(path, Qt::CaseInsensitive) == 0) at = i;
    if (at >= 0) {
        paths.move(at, 0);
    } else {
        paths.prepend(path);
    }
    if (paths.size() > maxEntries && !paths.isEmpty()) paths.removeLast();
}

}  // namespace services
