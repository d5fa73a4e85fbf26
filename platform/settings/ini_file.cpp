#include "platform/settings/ini_file.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace settings {

namespace {
template <typename F>
bool modify(const QString& path, F&& change) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) return false;
    IniDocument doc = IniDocument::Load(path);
    if (!change(doc)) return false;
    return doc.Save(path);
}
}  // namespace

IniFile::IniFile(const QString& fileName)
    : m_path(fileName.contains(u'/') ? fileName : QDir(ConfigRoot()).filePath(fileName)) {}

QString IniFile::ReadString(const QString& section, const QString& ident, const QString& defaultValue) const {
    return IniDocument::Load(m_path).Value(section, ident).value_or(defaultValue);
}

int IniFile::ReadInteger(const QString& section, const QString& ident, int defaultValue) const {
    const auto v = IniDocument::Load(m_path).Value(section, ident);
    if (!v) return defaultValue;
    bool ok = false;
    const QString t = v->trimmed();
    const int n = t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive) ? t.mid(2).toInt(&ok, 16) : t.toInt(&ok);
    return ok ? n : defaultValue;
}

bool IniFile::ReadBool(const QString& section, const QString& ident, bool defaultValue) const {
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

bool IniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
    return modify(m_path, [&](IniDocument& d) { d.SetValue(section, ident, value); return true; });
}

bool IniFile::WriteInteger(const QString& section, const QString& ident, int value) {
    return WriteString(section, ident, QString::number(value));
}

bool IniFile::WriteBool(const QString& section, const QString& ident, bool value) {
    return WriteInteger(section, ident, value ? 1 : 0);
}

QStringList IniFile::ReadSections() const { return IniDocument::Load(m_path).Sections(); }
QStringList IniFile::ReadSection(const QString& section) const { return IniDocument::Load(m_path).Names(section); }
bool IniFile::SectionExists(const QString& section) const { return IniDocument::Load(m_path).HasSection(section); }
bool IniFile::ValueExists(const QString& section, const QString& ident) const {
    return IniDocument::Load(m_path).Value(section, ident).has_value();
}
bool IniFile::EraseSection(const QString& section) {
    return modify(m_path, [&](IniDocument& d) { return d.RemoveSection(section); });
}
bool IniFile::DeleteKey(const QString& section, const QString& ident) {
    return modify(m_path, [&](IniDocument& d) { return d.RemoveValue(section, ident); });
}

}  // namespace settings
