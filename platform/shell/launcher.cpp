#include "platform/shell/launcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace shell {

namespace {

/// The string escapes of a value: "\\" for '\', "\n", "\t", "\r", and "\s" for a leading blank.
QString escapeValue(const QString& value) {
    QString out;
    out.reserve(value.size() + 8);
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u' ' && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

}  // namespace

QString QuoteExecArgument(const QString& argument) {
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        if (c == u'%') out += u'%';
        out += c;
    }
    return out + u'"';
}

QString LauncherText(const Launcher& launcher) {
    QStringList exec{QuoteExecArgument(launcher.Program)};
    for (const QString& a : launcher.Arguments) exec << QuoteExecArgument(a);
    QString text = QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Version=1.4\n");
    text += QStringLiteral("Name=") + escapeValue(launcher.Name) + u'\n';
    text += QStringLiteral("Exec=") + escapeValue(exec.join(u' ')) + u'\n';
    if (!launcher.WorkingFolder.isEmpty()) text += QStringLiteral("Path=") + escapeValue(launcher.WorkingFolder) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    return text;
}

bool IsSingleFileName(const QString& name) {
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..")) return false;
    for (const QChar c : name)
        if (c == u'/' || c == QChar(0) || c == u'\n' || c == u'\r') return false;
    return true;
}

bool WriteLauncher(const QString& folder, const Launcher& launcher, QString& error) {
    if (!IsSingleFileName(launcher.Name)) {
        error = QStringLiteral("\"%1\" cannot be the name of a file.").arg(launcher.Name);
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        error = QStringLiteral("The folder \"%1\" does not exist.").arg(folder);
        return false;
    }
    const QString path = QDir(folder).filePath(launcher.Name + QStringLiteral(".desktop"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    file.write(LauncherText(launcher).toUtf8());
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                        QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    if (!file.commit()) {
        error = QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    if (!(QFileInfo(path).permissions() & QFileDevice::ExeOwner) &&
        !QFile::setPermissions(path, QFileInfo(path).permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser)) {
        error = QStringLiteral("The file \"%1\" cannot be made executable.").arg(path);
        return false;
    }
    return true;
}

}  // namespace shell
