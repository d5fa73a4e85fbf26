#pragma once

#include "core/settings_crc.h"

#include <QPair>
#include <QRect>
#include <QString>
#include <QVector>

#include <cstdint>

namespace db {
class Table;
}

namespace core {

// The settings table Registry.DB of a database folder: everything the records manager
// keeps about one database apart from its records (View definitions, preferences, window
// layouts, toolbar states, silenced messages). The settings-table editor writes the same
// rows with the same steps and the same CRC rule.
//
// Row layout (table "Registry.DB", primary index Section;Key1;Key2;Variable, unique):
//
//   field     type              meaning
//   Section   alpha 50          first key level ("Forms", "Preferences", "Views", "Wizards")
//   Key1      alpha 50          second key level
//   Key2      alpha 50          third key level
//   Variable  alpha 50          name of the setting
//   Value     alpha 200         the setting as text; a longer text is cut to 200 on assignment
//   CRC       long integer      RegCRC32 of Value as it reads back; a never-set CRC reads 0
//
// Value encodings: text as is; Boolean "TRUE"/"FALSE" (read by TextToBool); integer in
// decimal (an empty or non-integer value reads -1); rectangle "Top,Left,Bottom,Right";
// form position "Top,Left,Height,Width"; colour as its integer.

inline const QString kSettingsTableName = QStringLiteral("Registry.DB");
inline constexpr int kSettingsKeySize = 50;     ///< characters of Section, Key1, Key2, Variable
inline constexpr int kSettingsValueSize = 200;  ///< characters of Value

/// Creates an empty settings table in `folder` with the row layout and primary index above.
/// Raises the table layer's error when the file exists or cannot be made.
void CreateSettingsTable(const QString& folder);

/// The write steps both programs use, on any open table of the settings layout:
///  1. look the four keys up with an exact match on the primary index;
///  2. when there is no such row, insert and post one with the four keys and an empty
///     Value (CRC left empty); the table is then positioned on it;
///  3. edit the current row and assign `value` to Value (cut to 200 characters);
///  4. read Value back from the record and store RegCRC32 of it in CRC;
///  5. post.
/// A new setting therefore reaches the table in two posts. Engine errors (a key violation,
/// a locked or closed table) reach the caller; a failed post leaves the row in the state
/// that post left it.
void WriteSettingsRow(db::Table& table, const QString& section, const QString& key1, const QString& key2,
                      const QString& variable, const QString& value);

/// The settings table the Reg routines below work on: the main data module's Registry
/// table of the open database. Not owned; the owner clears it before freeing the table.
void SetSettingsTable(db::Table* table);
db::Table* SettingsTable();

/// True when RegCRC32(value) equals `storedCRC`. Otherwise shows "The Registry has been
/// damaged or tampered with. ..." (error, help context 10140) and answers false; the row is
/// not repaired.
bool CheckRegCRC(const QString& value, std::int32_t storedCRC);

/// A run of settings reads that belong together (loading the View definitions, applying
/// the preferences): while a session lives, CheckRegCRC shows its damage message for the
/// first damaged row only; every damaged row still reads its default. Sessions nest; the
/// message may show again once the outermost one has ended.
class SettingsReadSession {
public:
    SettingsReadSession();
    ~SettingsReadSession();
    SettingsReadSession(const SettingsReadSession&) = delete;
    SettingsReadSession& operator=(const SettingsReadSession&) = delete;
};

// Typed readers and writers of the settings table (SettingsTable(), which must be open; a
// closed or missing table raises the table layer's error). Readers answer the default when
// the row is missing, or after the damage message when its CRC is wrong.
void WriteRegString(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                    const QString& value);
void WriteRegBool(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                  bool value);
void WriteRegInt(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                 int value);
/// Writes "Top,Left,Bottom,Right" of `value` (QRect coordinates: top(), left(), bottom(), right()).
void WriteRegRect(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                  const QRect& value);
QString ReadRegString(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                      const QString& defaultValue);
/// TextToBool of the stored value: an empty value reads false, not the default.
bool ReadRegBool(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                 bool defaultValue);
/// The trimmed value as a decimal integer; -1 for an empty or non-integer value.
int ReadRegInt(const QString& section, const QString& key1, const QString& key2, const QString& variable,
               int defaultValue);
/// The stored "Top,Left,Bottom,Right" when the row exists, its CRC is right and it is not
/// empty, else `defaultText` ("50,50,100,100"); each missing or non-integer item falls back
/// on its own: Top 50, Left 50, Bottom Top + 50, Right Left + 50.
QRect ReadRegRect(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                  const QString& defaultText);
/// Deletes every row of the group, whatever its Variable.
void DeleteRegGroup(const QString& section, const QString& key1, const QString& key2);

/// The rows of one group in index order as (Variable, Value), without CRC check. The walk
/// runs over a range on the three leading key fields, so every Variable of the group is
/// inside it whatever its characters (an empty one, or one beyond "~", included). The range
/// is cancelled afterwards, also when the walk fails.
QVector<QPair<QString, QString>> ReadRegGroup(const QString& section, const QString& key1, const QString& key2);

}  // namespace core
