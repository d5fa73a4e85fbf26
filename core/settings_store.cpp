#include "core/settings_store.h"

#include "core/globals.h"
#include "core/log.h"
#include "core/text_helpers.h"

#include "platform/base/scope_exit.h"
#include "platform/base/text_cut.h"
#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/guards.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"

#include <QPointer>

#include <optional>

namespace core {

namespace {

QPointer<db::Table>& current() {
    static QPointer<db::Table> table;
    return table;
}

db::Table& settingsTable() {
    db::Table* table = current().data();
    if (!table) db::Raise(db::ErrorCode::kTableClosed, kSettingsTableName);
    return *table;
}

/// Keys as the row stores them: an alpha field keeps its first 50 characters (whole ones: a
/// surrogate pair is never split), so a lookup with a longer key must use the same cut or it
/// would never find the row it wrote.
QString key(const QString& text) { return base::CutToLength(text, kSettingsKeySize); }

QVariantList fullKey(const QString& section, const QString& key1, const QString& key2, const QString& variable) {
    return {key(section), key(key1), key(key2), key(variable)};
}

/// Looks the row up; answers its Value when it exists and its CRC is right.
std::optional<QString> readChecked(const QString& section, const QString& key1, const QString& key2,
                                   const QString& variable) {
    db::Table& table = settingsTable();
    if (!table.FindKey(fullKey(section, key1, key2, variable))) return std::nullopt;
    const QString value = table.FieldByName(QStringLiteral("Value"))->AsString();
    const std::int32_t crc = table.FieldByName(QStringLiteral("CRC"))->AsInteger();
    if (!CheckRegCRC(value, crc)) return std::nullopt;
    return value;
}

int integerOrMinusOne(const QString& value) {
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty()) return -1;
    bool ok = false;
    const int result = trimmed.toInt(&ok, 10);
    return ok ? result : -1;
}

}  // namespace

void CreateSettingsTable(const QString& folder) {
    db::TableDef def;
    for (const char* name : {"Section", "Key1", "Key2", "Variable"})
        def.Fields.push_back({QString::fromLatin1(name), db::FieldType::ftString, kSettingsKeySize, false});
    def.Fields.push_back({QStringLiteral("Value"), db::FieldType::ftString, kSettingsValueSize, false});
    def.Fields.push_back({QStringLiteral("CRC"), db::FieldType::ftInteger, 0, false});
    def.Indexes.push_back({QString(), QStringLiteral("Section;Key1;Key2;Variable"),
                           db::IndexOption::ixPrimary | db::IndexOption::ixUnique});
    db::CreateTableFile(folder, kSettingsTableName, def, false);
}

void WriteSettingsRow(db::Table& table, const QString& section, const QString& key1, const QString& key2,
                      const QString& variable, const QString& value) {
    if (!table.FindKey(fullKey(section, key1, key2, variable))) {
        table.Insert();
        // On failure the table goes back to browsing, so that the next lookup does not try
        // to post the refused row again.
        base::ScopeFail cancel([&] {
            if (table.State() == db::DataSetState::dsInsert) table.Cancel();
        });
        table.FieldByName(QStringLiteral("Section"))->SetAsString(section);
        table.FieldByName(QStringLiteral("Key1"))->SetAsString(key1);
        table.FieldByName(QStringLiteral("Key2"))->SetAsString(key2);
        table.FieldByName(QStringLiteral("Variable"))->SetAsString(variable);
        table.FieldByName(QStringLiteral("Value"))->SetAsString(QString());
        table.Post();
    }
    table.Edit();
    base::ScopeFail cancel([&] {
        if (table.State() == db::DataSetState::dsEdit) table.Cancel();
    });
    db::Field* valueField = table.FieldByName(QStringLiteral("Value"));
    valueField->SetAsString(value);
    // The CRC guards the value as it reads back: cut to the field's 200 characters.
    table.FieldByName(QStringLiteral("CRC"))->SetAsInteger(RegCRC32(valueField->AsString()));
    table.Post();
}

void SetSettingsTable(db::Table* table) { current() = table; }

db::Table* SettingsTable() { return current().data(); }

namespace {
int g_readSessions = 0;          ///< depth of nested SettingsReadSession guards
bool g_damageShownInSession = false;
}  // namespace

SettingsReadSession::SettingsReadSession() { ++g_readSessions; }

SettingsReadSession::~SettingsReadSession() {
    if (--g_readSessions == 0) g_damageShownInSession = false;
}

bool CheckRegCRC(const QString& value, std::int32_t storedCRC) {
    if (RegCRC32(value) == storedCRC) return true;
    qCInfo(lcCore) << "settings row with a wrong CRC:" << value;
    if (g_readSessions > 0) {
        if (g_damageShownInSession) return false;
        g_damageShownInSession = true;
    }
    ui::Message(QStringLiteral("The Registry has been damaged or tampered with. A default value will be used. "
                               "This may cause unexpected behavior."),
                ui::MessageKind::Error, ui::Button::Ok, 10140);
    return false;
}

void WriteRegString(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                    const QString& value) {
    if (Globals().DatabaseReadOnly) return;  // layouts and choices of a read-only database are not kept
    WriteSettingsRow(settingsTable(), section, key1, key2, variable, value);
}

void WriteRegBool(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                  bool value) {
    WriteRegString(section, key1, key2, variable, BoolToText(value));
}

void WriteRegInt(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                 int value) {
    WriteRegString(section, key1, key2, variable, QString::number(value));
}

void WriteRegRect(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                  const QRect& value) {
    WriteRegString(section, key1, key2, variable,
                   QStringLiteral("%1,%2,%3,%4").arg(value.top()).arg(value.left()).arg(value.bottom()).arg(value.right()));
}

QString ReadRegString(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                      const QString& defaultValue) {
    return readChecked(section, key1, key2, variable).value_or(defaultValue);
}

bool ReadRegBool(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                 bool defaultValue) {
    const auto value = readChecked(section, key1, key2, variable);
    return value ? TextToBool(*value) : defaultValue;
}

int ReadRegInt(const QString& section, const QString& key1, const QString& key2, const QString& variable,
               int defaultValue) {
    const auto value = readChecked(section, key1, key2, variable);
    return value ? integerOrMinusOne(*value) : defaultValue;
}

QRect ReadRegRect(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                  const QString& defaultText) {
    const auto stored = readChecked(section, key1, key2, variable);
    const QString text = stored && !stored->isEmpty() ? *stored : defaultText;
    QStringList items;
    SplitText(text, QChar(u','), items);
    auto item = [&](int index) -> std::optional<int> {
        if (index >= items.size()) return std::nullopt;
        bool ok = false;
        const int value = items.at(index).trimmed().toInt(&ok, 10);
        if (!ok) return std::nullopt;
        return value;
    };
    const int top = item(0).value_or(50);
    const int left = item(1).value_or(50);
    const int bottom = item(2).value_or(top + 50);
    const int right = item(3).value_or(left + 50);
    QRect rect;
    rect.setCoords(left, top, right, bottom);
    return rect;
}

void DeleteRegGroup(const QString& section, const QString& key1, const QString& key2) {
    if (Globals().DatabaseReadOnly) return;
    db::Table& table = settingsTable();
    const QVariantList group{key(section), key(key1), key(key2)};
    while (table.FindKey(group)) table.Delete();
}

QVector<QPair<QString, QString>> ReadRegGroup(const QString& section, const QString& key1, const QString& key2) {
    db::Table& table = settingsTable();
    // A range over the three leading key fields holds every Variable of the group, whatever
    // characters it is made of (a range bounded by "~" would leave out Variables with
    // characters beyond it, and one starting at blanks would leave out an empty Variable).
    const QVariantList group{key(section), key(key1), key(key2)};
    QVector<QPair<QString, QString>> rows;
    {
        const db::ScopedRange range(table, group, group);
        for (table.First(); !table.Eof(); table.Next())
            rows.append({table.FieldByName(QStringLiteral("Variable"))->AsString(),
                         table.FieldByName(QStringLiteral("Value"))->AsString()});
    }
    return rows;
}

}  // namespace core
