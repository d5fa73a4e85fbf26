#pragma once

#include <QString>

namespace core {

/// The root of the per-user registry keys; the current user's is the only one in use.
enum class RegistryRoot { CurrentUser };

// Per-user settings under "\SOFTWARE\Dossara\<section>" (sections "Paths", "Preferences",
// "Favorites", "URL", "RecentFiles"), kept through the shared registry object of
// Globals().WinRegistry. Every access swallows errors: a reader answers its default when
// the key or value is missing or unreadable, a writer answers false.

/// Closes the shared object's current key and opens "\SOFTWARE\Dossara\" + key, creating it
/// when `canCreate` is true. Answers whether the key is open.
bool OpenWinRegKey(const QString& key, RegistryRoot root = RegistryRoot::CurrentUser, bool canCreate = false);
/// Closes the shared object's current key.
void CloseWinRegKey();

QString ReadWinRegString(const QString& key, const QString& name, const QString& defaultValue);
bool ReadWinRegBool(const QString& key, const QString& name, bool defaultValue);
int ReadWinRegInt(const QString& key, const QString& name, int defaultValue);
bool WriteWinRegString(const QString& key, const QString& name, const QString& value);
bool WriteWinRegBool(const QString& key, const QString& name, bool value);
bool WriteWinRegInt(const QString& key, const QString& name, int value);

}  // namespace core
