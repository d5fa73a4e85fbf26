#include "platform/settings/ini_document.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace settings {

namespace {

QString escape(const QString& v) {
    QString out;
    out.reserve(v.size());
    for (QChar c : v) {
        if (c == u'\\') out += QStringLiteral("\\\\");
        else if (c == u'\n') out += QStringLiteral("\\n");
        else if (c == u'\r') out += QStringLiteral("\\r");
        else out += c;
    }
    return out;
}

QString unescape(const QString& v) {
    QString out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'\\' && i + 1 < v.size()) {
            const QChar n = v[++i];
            if (n == u'n') out += u'\n';
            else if (n == u'r') out += u'\r';
            else out += n;
        } else {
            out += v[i];
        }
    }
    return out;
}

QString& configRoot() {
    static QString root;
    return root;
}

}  // namespace

IniDocument IniDocument::Load(const QString& path) {
    IniDocument doc;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return doc;
    const QString text = QString::fromUtf8(file.readAll());
    Section* current = nullptr;
    for (const QString& raw : text.split(u'\n')) {
        QString line = raw;
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.mid(1, line.size() - 2);
            current = doc.find(name);
            if (!current) {
                doc.m_sections.push_back(Section{name, {}});
                current = &doc.m_sections.back();
            }
            continue;
        }
        qsizetype eq = -1;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == u'\\') ++i;
            else if (line[i] == u'=') {
                eq = i;
                break;
            }
        }
        if (!current || eq < 0) continue;
        const QString name = unescape(line.left(eq));
        const QString value = unescape(line.mid(eq + 1));
        doc.SetValue(current->name, name, value);
        current = doc.find(current->name);
    }
    return doc;
}

bool IniDocument::Save(const QString& path) const {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QString text;
    for (const auto& s : m_sections) {
        text += u'[' + s.name + QStringLiteral("]\n");
        for (const auto& [name, value] : s.values) {
            QString escapedName = escape(name);
            escapedName.replace(u'=', QStringLiteral("\\="));
            // A line that starts with "[" and ends with "]" would read back as a section.
            if (escapedName.startsWith(u'[')) escapedName.prepend(u'\\');
            text += escapedName + u'=' + escape(value) + u'\n';
        }
        text += u'\n';
    }
    file.write(text.toUtf8());
    return file.commit();
}

IniDocument::Section* IniDocument::find(const QString& section) {
    for (auto& s : m_sections)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

const IniDocument::Section* IniDocument::find(const QString& section) const {
    for (const auto& s : m_sections)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

QStringList IniDocument::Sections() const {
    QStringList out;
    for (const auto& s : m_sections) out << s.name;
    return out;
}

bool IniDocument::HasSection(const QString& section) const { return find(section) != nullptr; }

QStringList IniDocument::Names(const QString& section) const {
    QStringList out;
    if (const Section* s = find(section))
        for (const auto& v : s->values) out << v.first;
    return out;
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& name) const {
    if (const Section* s = find(section))
        for (const auto& v : s->values)
            if (v.first.compare(name, Qt::CaseInsensitive) == 0) return v.second;
    return std::nullopt;
}

void IniDocument::SetValue(const QString& section, const QString& name, const QString& value) {
    Section* s = find(section);
    if (!s) {
        m_sections.push_back(Section{section, {}});
        s = &m_sections.back();
    }
    for (auto& v : s->values) {
        if (v.first.compare(name, Qt::CaseInsensitive) == 0) {
            v.second = value;
            return;
        }
    }
    s->values.emplace_back(name, value);
}

bool IniDocument::RemoveValue(const QString& section, const QString& name) {
    Section* s = find(section);
    if (!s) return false;
    return std::erase_if(s->values, [&](const auto& v) { return v.first.compare(name, Qt::CaseInsensitive) == 0; }) > 0;
}

void IniDocument::AddSection(const QString& section) {
    if (!find(section)) m_sections.push_back(Section{section, {}});
}

bool IniDocument::RemoveSection(const QString& section) {
    return std::erase_if(m_sections, [&](const Section& s) { return s.name.compare(section, Qt::CaseInsensitive) == 0; }) > 0;
}

void SetConfigRoot(const QString& folder) { configRoot() = folder; }

QString ConfigRoot() {
    if (!configRoot().isEmpty()) return configRoot();
    // One folder for every program of the family, so the records manager and the
    // settings-table editor share the per-user settings.
    QString root = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (root.isEmpty()) root = QDir::homePath() + QStringLiteral("/.config");
    return root + QStringLiteral("/dossara");
}

}  // namespace settings
