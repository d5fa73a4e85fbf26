#pragma once

#include "platform/settings/ini_document.h"

#include <QString>
#include <QList>
#include <QStringList>

#include <utility>

namespace settings {

/// The per-user registry the programs keep their settings in (keys such as
/// "\SOFTWARE\Dossara\Paths" under the current user). Keys are paths of names separated by
/// "\"; they compare case-insensitively. Values are typed: text, integer, and Boolean
/// stored as the integer 0 or 1. Every read answers the caller's default when the key or
/// value is missing, has another type or the store cannot be read; writes answer false
/// when they could not be done. Each write is saved at once, so other programs of the user
/// see it. Stored in the file "registry.ini" of ConfigRoot().
class Registry {
public:
    Registry();

    /// Opens `key` (absolute, or relative to the open key when it does not start with "\").
    /// With canCreate false a missing key is not created and the call answers false.
    bool OpenKey(const QString& key, bool canCreate);
    bool OpenKeyReadOnly(const QString& key) { return OpenKey(key, false); }
    void CloseKey();
    QString CurrentPath() const { return m_current; }

    bool KeyExists(const QString& key) const;
    bool CreateKey(const QString& key);
    /// Deletes the key with all its values and subkeys.
    bool DeleteKey(const QString& key);
    QStringList GetKeyNames() const;  ///< direct subkeys of the open key
    QStringList GetValueNames() const;
    bool ValueExists(const QString& name) const;
    bool DeleteValue(const QString& name);

    QString ReadString(const QString& name, const QString& defaultValue = {}) const;
    int ReadInteger(const QString& name, int defaultValue = 0) const;
    bool ReadBool(const QString& name, bool defaultValue = false) const;
    bool WriteString(const QString& name, const QString& value);
    bool WriteInteger(const QString& name, int value);
    bool WriteBool(const QString& name, bool value);

    /// Replaces `key` (with its values and subkeys) by a key holding exactly these text
    /// values, in one save: a failure leaves the key as it was. Opens the new key.
    bool ReplaceKeyStrings(const QString& key, const QList<std::pair<QString, QString>>& values);

    /// The file behind the registry.
    static QString StorePath();

private:
    QString absolute(const QString& key) const;
    bool write(const QString& name, const QString& encoded);

    QString m_current;  ///< normalised path of the open key; empty when none is open
};

/// Normalises a key path: "\SOFTWARE\Dossara\Paths\" and "SOFTWARE\\Dossara\Paths" both
/// become "SOFTWARE\Dossara\Paths".
QString NormaliseKey(const QString& key);

}  // namespace settings
