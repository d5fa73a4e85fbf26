#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace settings {

/// An ini file in memory: named sections of name=value lines, kept in file order.
/// Section and value names compare case-insensitively and keep the spelling they were
/// first written with. Names and values are stored on one line: backslash, CR and LF are
/// escaped as "\\", "\r" and "\n", a "=" in a name as "\=", and a name that starts with
/// "[" as "\[", so that every name and value reads back as it was, whatever it holds.
/// Section names are written as they stand and may hold any character but a line break.
/// Lines that are not "[section]" or "name=value" are ignored on load.
class IniDocument {
public:
    /// Reads the file; a missing or unreadable file gives an empty document.
    static IniDocument Load(const QString& path);
    /// Writes the whole file atomically. Returns false when it cannot be written.
    bool Save(const QString& path) const;

    QStringList Sections() const;
    bool HasSection(const QString& section) const;
    QStringList Names(const QString& section) const;
    std::optional<QString> Value(const QString& section, const QString& name) const;
    void SetValue(const QString& section, const QString& name, const QString& value);
    bool RemoveValue(const QString& section, const QString& name);
    void AddSection(const QString& section);
    bool RemoveSection(const QString& section);

private:
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> values;
    };
    Section* find(const QString& section);
    const Section* find(const QString& section) const;
    std::vector<Section> m_sections;
};

/// The folder that holds the per-user settings files: by default "dossara" in the user's
/// configuration folder, shared by both programs; tests point it at a temporary folder.
void SetConfigRoot(const QString& folder);
QString ConfigRoot();

}  // namespace settings
