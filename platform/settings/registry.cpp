#include "platform/settings/registry.h"

#include <QDir>
#include <QLockFile>

namespace settings {

namespace {

// Values are stored with a type prefix: "s:" text, "i:" integer.
std::optional<QString> readRaw(const QString& key, const QString& name) {
    if (key.isEmpty()) return std::nullopt;
    return IniDocument::Load(Registry::StorePath()).Value(key, name);
}

template <typename F>
bool modify(F&& change) {
    const QString path = Registry::StorePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) return false;
    IniDocument doc = IniDocument::Load(path);
    if (!change(doc)) return false;
    return doc.Save(path);
}

bool isUnder(const QString& section, const QString& key) {
    return section.compare(key, Qt::CaseInsensitive) == 0 ||
           section.startsWith(key + u'\\', Qt::CaseInsensitive);
}

}  // namespace

QString NormaliseKey(const QString& key) {
    QStringList parts = key.split(u'\\', Qt::SkipEmptyParts);
    return parts.join(u'\\');
}

Registry::Registry() = default;

QString Registry::StorePath() { return QDir(ConfigRoot()).filePath(QStringLiteral("registry.ini")); }

QString Registry::absolute(const QString& key) const {
    if (key.startsWith(u'\\') || m_current.isEmpty()) return NormaliseKey(key);
    return NormaliseKey(m_current + u'\\' + key);
}

bool Registry::OpenKey(const QString& key, bool canCreate) {
    const QString path = absolute(key);
    if (path.isEmpty()) return false;
    if (!KeyExists(QStringLiteral("\\") + path)) {
        if (!canCreate) return false;
        if (!modify([&](IniDocument& d) { d.AddSection(path); return true; })) return false;
    }
    m_current = path;
    return true;
}

void Registry::CloseKey() { m_current.clear(); }

bool Registry::KeyExists(const QString& key) const {
    const QString path = absolute(key);
    if (path.isEmpty()) return false;
    const IniDocument doc = IniDocument::Load(StorePath());
    for (const QString& s : doc.Sections())
        if (isUnder(s, path)) return true;
    return false;
}

bool Registry::CreateKey(const QString& key) {
    const QString path = absolute(key);
    if (path.isEmpty()) return false;
    return modify([&](IniDocument& d) { d.AddSection(path); return true; });
}

bool Registry::DeleteKey(const QString& key) {
    const QString path = absolute(key);
    if (path.isEmpty()) return false;
    return modify([&](IniDocument& d) {
        bool any = false;
        for (const QString& s : d.Sections())
            if (isUnder(s, path)) any = d.RemoveSection(s) || any;
        return any;
    });
}

QStringList Registry::GetKeyNames() const {
    QStringList out;
    if (m_current.isEmpty()) return out;
    const IniDocument doc = IniDocument::Load(StorePath());
    for (const QString& s : doc.Sections()) {
        if (!s.startsWith(m_current + u'\\', Qt::CaseInsensitive)) continue;
        const QString child = s.mid(m_current.size() + 1).section(u'\\', 0, 0);
        bool seen = false;
        for (const QString& o : out) seen = seen || o.compare(child, Qt::CaseInsensitive) == 0;
        if (!seen) out << child;
    }
    return out;
}

QStringList Registry::GetValueNames() const {
    if (m_current.isEmpty()) return {};
    return IniDocument::Load(StorePath()).Names(m_current);
}

bool Registry::ValueExists(const QString& name) const { return readRaw(m_current, name).has_value(); }

bool Registry::DeleteValue(const QString& name) {
    if (m_current.isEmpty()) return false;
    return modify([&](IniDocument& d) { return d.RemoveValue(m_current, name); });
}

QString Registry::ReadString(const QString& name, const QString& defaultValue) const {
    const auto raw = readRaw(m_current, name);
    if (!raw || !raw->startsWith(QStringLiteral("s:"))) return defaultValue;
    return raw->mid(2);
}

int Registry::ReadInteger(const QString& name, int defaultValue) const {
    const auto raw = readRaw(m_current, name);
    if (!raw || !raw->startsWith(QStringLiteral("i:"))) return defaultValue;
    bool ok = false;
    const int v = raw->mid(2).toInt(&ok);
    return ok ? v : defaultValue;
}

bool Registry::ReadBool(const QString& name, bool defaultValue) const {
    return ReadInteger(name, defaultValue ? 1 : 0) != 0;
}

bool Registry::write(const QString& name, const QString& encoded) {
    if (m_current.isEmpty()) return false;
    return modify([&](IniDocument& d) { d.SetValue(m_current, name, encoded); return true; });
}

bool Registry::WriteString(const QString& name, const QString& value) { return write(name, QStringLiteral("s:") + value); }
bool Registry::WriteInteger(const QString& name, int value) { return write(name, QStringLiteral("i:") + QString::number(value)); }
bool Registry::WriteBool(const QString& name, bool value) { return WriteInteger(name, value ? 1 : 0); }

bool Registry::ReplaceKeyStrings(const QString& key, const QList<std::pair<QString, QString>>& values) {
    const QString path = absolute(key);
    if (path.isEmpty()) return false;
    const bool saved = modify([&](IniDocument& d) {
        for (const QString& s : d.Sections())
            if (isUnder(s, path)) d.RemoveSection(s);
        d.AddSection(path);
        for (const auto& [name, value] : values) d.SetValue(path, name, QStringLiteral("s:") + value);
        return true;
    });
    if (saved) m_current = path;
    return saved;
}

}  // namespace settings
