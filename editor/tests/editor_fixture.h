#pragma once

#include "core/settings_store.h"
#include "editor/settings_row.h"
#include "platform/db/table.h"
#include "platform/settings/ini_document.h"
#include "testsupport/qt_printers.h"
#include "testsupport/temp_folder.h"

#include <QDir>
#include <QStringList>

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

namespace editortest {

/// The rows of the fixture table, in index order: Key2 equal to Key1, an empty Variable,
/// an empty Value, a Value holding the export delimiter, non-ASCII keys and empty keys.
inline const std::vector<editor::SettingsRow>& FixtureRows() {
    static const std::vector<editor::SettingsRow> rows = {
        {"Forms", "Main", "Layout", "Maximized", "FALSE"},
        {"Forms", "Main", "Layout", "Position", "10,10,480,640"},
        {"Forms", "Main", "Main", "", "whole form"},
        {"Forms", "Main", "Main", "Caption", "Records"},
        {"Preferences", "General", "Options", "ConfirmDelete", "TRUE"},
        {"Preferences", "General", "Options", "Delimited", "a~b~c"},
        {"Preferences", "General", "Options", "Empty", ""},
        {"Preferences", QString::fromUtf8("Général"), QString::fromUtf8("Écran"), QString::fromUtf8("Größe"), "12"},
        {"Views", "", "", "Orphan", "1"},
        {"Views", "00", "Layout", "Name", "Contacts"},
        {"Wizards", "Shortcut", "Control", "Folder", "Desktop"},
    };
    return rows;
}

/// The CRC of a value as an independent implementation computes it: zlib's CRC-32 over the
/// UTF-8 bytes, as a signed 32-bit number.
inline std::int32_t ZlibCrc(const QString& value) {
    const QByteArray bytes = value.toUtf8();
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(bytes.constData()), static_cast<uInt>(bytes.size()));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(crc));
}

/// A temporary database folder holding a settings table, the per-user settings pointed at
/// the same folder.
class EditorFixture : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        QDir(Path()).mkpath(QStringLiteral("config"));
        settings::SetConfigRoot(FilePath(QStringLiteral("config")));
        QDir(Path()).mkpath(QStringLiteral("db"));
        Folder = FilePath(QStringLiteral("db"));
        TablePath = QDir(Folder).filePath(core::kSettingsTableName);
        MakeTable(Folder, FixtureRows());
    }
    void TearDown() override { settings::SetConfigRoot(QString()); }

    /// Creates a settings table in `folder` holding `rows`.
    static void MakeTable(const QString& folder, const std::vector<editor::SettingsRow>& rows) {
        core::CreateSettingsTable(folder);
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(core::kSettingsTableName);
        t.Open();
        for (const auto& r : rows) core::WriteSettingsRow(t, r.Section, r.Key1, r.Key2, r.Variable, r.Value);
        t.Close();
    }

    /// Every row of the table in `folder`, read through a cursor of its own, as
    /// "Section|Key1|Key2|Variable=Value"; a row whose CRC is not the independent CRC of its
    /// value is marked " (bad CRC)".
    static QStringList TableText(const QString& folder) {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(core::kSettingsTableName);
        t.Open();
        QStringList out;
        for (t.First(); !t.Eof(); t.Next()) {
            const QString value = t.FieldByName("Value")->AsString();
            QString line = QStringList{t.FieldByName("Section")->AsString(), t.FieldByName("Key1")->AsString(),
                                       t.FieldByName("Key2")->AsString(), t.FieldByName("Variable")->AsString()}
                               .join(u'|') +
                           u'=' + value;
            if (t.FieldByName("CRC")->AsInteger() != ZlibCrc(value)) line += QStringLiteral(" (bad CRC)");
            out << line;
        }
        t.Close();
        return out;
    }
    static QStringList RowsText(const std::vector<editor::SettingsRow>& rows) {
        QStringList out;
        for (const auto& r : rows) out << QStringList{r.Section, r.Key1, r.Key2, r.Variable}.join(u'|') + u'=' + r.Value;
        return out;
    }

    QString Folder;
    QString TablePath;
};

}  // namespace editortest
