#pragma once

#include "core/settings_store.h"

#include "platform/db/table.h"
#include "platform/settings/ini_document.h"
#include "testsupport/temp_folder.h"

#include <QDir>

#include <memory>

namespace coretest {

/// A temporary database folder with a real, empty settings table installed as the table
/// the settings routines work on, and the per-user registry pointed at the same folder.
class SettingsFixture : public testsupport::TempFolder {
protected:
    void SetUp() override {
        testsupport::TempFolder::SetUp();
        settings::SetConfigRoot(FilePath(QStringLiteral("config")));
        core::CreateSettingsTable(Path());
        table = std::make_unique<db::Table>();
        table->SetDatabaseName(Path());
        table->SetTableName(core::kSettingsTableName);
        table->Open();
        core::SetSettingsTable(table.get());
    }
    void TearDown() override {
        core::SetSettingsTable(nullptr);
        table.reset();
    }

    /// Every row as "Section|Key1|Key2|Variable=Value#CRC", in index order.
    QStringList Rows() {
        QStringList rows;
        db::Table t;
        t.SetDatabaseName(Path());
        t.SetTableName(core::kSettingsTableName);
        t.Open();
        for (t.First(); !t.Eof(); t.Next()) {
            rows << QStringLiteral("%1|%2|%3|%4=%5#%6")
                        .arg(t.FieldByName("Section")->AsString(), t.FieldByName("Key1")->AsString(),
                             t.FieldByName("Key2")->AsString(), t.FieldByName("Variable")->AsString(),
                             t.FieldByName("Value")->AsString())
                        .arg(t.FieldByName("CRC")->IsNull() ? QStringLiteral("null")
                                                            : QString::number(t.FieldByName("CRC")->AsInteger()));
        }
        return rows;
    }

    /// Writes a row's Value and CRC directly, as another program (or damage) would.
    void PutRaw(const QString& variable, const QString& value, int crc) {
        core::WriteSettingsRow(*table, "Test", "Group", "Raw", variable, value);
        ASSERT_TRUE(table->FindKey({"Test", "Group", "Raw", variable}));
        table->Edit();
        table->FieldByName("CRC")->SetAsInteger(crc);
        table->Post();
    }

    std::unique_ptr<db::Table> table;
};

}  // namespace coretest
