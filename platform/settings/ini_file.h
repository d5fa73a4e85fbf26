#pragma once

#include "platform/settings/ini_document.h"

#include <QString>
#include <QStringList>

namespace settings {

/// A named settings file of sections and typed values ("Marlisk.ini"). A bare file name is
/// placed in ConfigRoot(); a path is used as it stands. Reads answer the default on any
/// error; each write is saved at once.
class IniFile {
public:
    explicit IniFile(const QString& fileName);

    QString FileName() const { return m_path; }

    QString ReadString(const QString& section, const QString& ident, const QString& defaultValue = {}) const;
    int ReadInteger(const QString& section, const QString& ident, int defaultValue = 0) const;
    bool ReadBool(const QString& section, const QString& ident, bool defaultValue = false) const;
    bool WriteString(const QString& section, const QString& ident, const QString& value);
    bool WriteInteger(const QString& section, const QString& ident, int value);
    bool WriteBool(const QString& section, const QString& ident, bool value);

    QStringList ReadSections() const;
    QStringList ReadSection(const QString& section) const;  ///< the value names
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& ident) const;
    bool EraseSection(const QString& section);
    bool DeleteKey(const QString& section, const QString& ident);

private:
    QString m_path;
};

}  // namespace settings
