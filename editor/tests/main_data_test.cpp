#include "editor/main_data.h"

#include "editor/tests/editor_fixture.h"
#include "platform/db/db_error.h"
#include "platform/db/fault_injection.h"

#include <QFile>

namespace {

using editor::SettingsRow;
using editortest::EditorFixture;
using editortest::FixtureRows;

class MainData : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        data.OpenTable(TablePath);
    }
    void TearDown() override {
        db::testing::FailNthWrite(0);
        data.CloseTable();
        EditorFixture::TearDown();
    }
    TMainData data;
};

TEST_F(MainData, reads_every_row_in_index_order_with_empty_and_non_ascii_keys) {
    EXPECT_EQ(RowsText(data.AllRows()), RowsText(FixtureRows()));
    EXPECT_EQ(RowsText(data.RowsOfKey("Forms", "Main", "Main")),
              QStringList({"Forms|Main|Main|=whole form", "Forms|Main|Main|Caption=Records"}));
    EXPECT_EQ(RowsText(data.RowsOfKey("Views", "", "")), QStringList({"Views|||Orphan=1"}));
    EXPECT_EQ(RowsText(data.RowsOfKey("Preferences", QString::fromUtf8("Général"), QString::fromUtf8("Écran"))),
              QStringList({QString::fromUtf8("Preferences|Général|Écran|Größe=12")}));
}

TEST_F(MainData, every_written_value_carries_the_crc_of_the_value_as_stored) {
    const QString long300 = QString(300, u'x');
    data.WriteRegistryValue("Forms", "Main", "Layout", "Position", "1,2,3,4");      // existing row
    data.WriteRegistryValue("Forms", "New", "Key", "Var", QString::fromUtf8("Größe €"));  // new row
    data.WriteRegistryValue("Forms", "New", "Key", "Long", long300);                // cut to 200
    data.WriteRegistryValue("Forms", "New", "Key", "Top", "zz3");                   // CRC with top bit set
    const QStringList table = TableText(Folder);
    EXPECT_TRUE(table.contains("Forms|Main|Layout|Position=1,2,3,4"));
    EXPECT_TRUE(table.contains(QString::fromUtf8("Forms|New|Key|Var=Größe €")));
    EXPECT_TRUE(table.contains("Forms|New|Key|Long=" + QString(200, u'x')));
    EXPECT_TRUE(table.contains("Forms|New|Key|Top=zz3"));
    EXPECT_EQ(table.filter("bad CRC"), QStringList());
    EXPECT_EQ(table.size(), int(FixtureRows().size()) + 3);
    EXPECT_EQ(data.LastWritten().Variable, QStringLiteral("Top"));
}

TEST_F(MainData, renaming_a_key_moves_every_row_under_it_and_nothing_else) {
    struct Case {
        int level;
        SettingsRow keys;
        const char* newText;
        QStringList expectedUnderNew;
    };
    const Case cases[] = {
        {0, {"Wizards", "", "", "", ""}, "Zauber", {"Zauber|Shortcut|Control|Folder=Desktop"}},
        {1, {"Forms", "Main", "", "", ""}, "Alpha",
         {"Forms|Alpha|Layout|Maximized=FALSE", "Forms|Alpha|Layout|Position=10,10,480,640",
          "Forms|Alpha|Main|=whole form", "Forms|Alpha|Main|Caption=Records"}},
        {2, {"Views", "", "", "", ""}, "Renamed", {"Views||Renamed|Orphan=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newText);
        const QStringList before = TableText(Folder);
        EXPECT_TRUE(data.RenameKey(c.level, c.keys, QString::fromUtf8(c.newText)).empty());
        const QStringList after = TableText(Folder);
        EXPECT_EQ(after.size(), before.size());
        for (const QString& line : c.expectedUnderNew) EXPECT_TRUE(after.contains(line)) << line.toStdString();
        EXPECT_EQ(after.filter("bad CRC"), QStringList());
    }
}

TEST_F(MainData, a_rename_that_would_collide_changes_nothing_and_names_the_colliding_rows) {
    data.WriteRegistryValue("Forms", "Other", "Layout", "Position", "taken");
    const QStringList before = TableText(Folder);
    const auto collisions = data.RenameKey(1, {"Forms", "Main", "", "", ""}, "Other");
    ASSERT_EQ(collisions.size(), 1u);
    EXPECT_EQ(collisions[0], (SettingsRow{"Forms", "Main", "Layout", "Position", "10,10,480,640"}));
    EXPECT_EQ(TableText(Folder), before);
}

TEST_F(MainData, a_rename_failing_part_way_leaves_the_key_whole) {
    const QStringList before = TableText(Folder);
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        db::testing::FailNthWrite(n);
        try {
            data.RenameKey(1, {"Forms", "Main", "", "", ""}, "Split");
        } catch (const db::EDBEngineError& e) {
            EXPECT_EQ(e.Code(), db::ErrorCode::kIoError);
        }
        db::testing::FailNthWrite(0);
        const QStringList after = TableText(Folder);
        const bool renamed = after.filter("Forms|Main|").isEmpty();
        EXPECT_TRUE(renamed ? after.filter("|Split|").size() == 4 : after == before) << after.join('\n').toStdString();
        if (renamed) data.RenameKey(1, {"Forms", "Split", "", "", ""}, "Main");
    }
}

TEST_F(MainData, deleting_a_key_removes_its_rows_only) {
    EXPECT_EQ(data.DeleteKey(2, {"Forms", "Main", "Main", "", ""}), 2);
    EXPECT_EQ(data.DeleteKey(1, {"Views", "", "", "", ""}), 1);
    EXPECT_EQ(data.DeleteKey(0, {"Wizards", "", "", "", ""}), 1);
    const QStringList after = TableText(Folder);
    EXPECT_EQ(after.size(), int(FixtureRows().size()) - 4);
    EXPECT_TRUE(after.contains("Views|00|Layout|Name=Contacts"));
    EXPECT_TRUE(after.contains("Forms|Main|Layout|Position=10,10,480,640"));
}

TEST_F(MainData, single_rows_are_renamed_and_deleted_by_their_exact_keys) {
    EXPECT_EQ(data.RenameVariable("Forms", "Main", "Main", "", "Whole"), TMainData::RowChange::Done);
    EXPECT_EQ(data.RenameVariable("Forms", "Main", "Layout", "Position", "Maximized"), TMainData::RowChange::KeyTaken);
    EXPECT_EQ(data.RenameVariable("Forms", "Main", "Layout", "Nowhere", "X"), TMainData::RowChange::NotFound);
    EXPECT_EQ(data.DeleteRow("Preferences", "General", "Options", "Empty"), TMainData::RowChange::Done);
    EXPECT_EQ(data.DeleteRow("Preferences", "General", "Options", "Empty"), TMainData::RowChange::NotFound);
    const QStringList after = TableText(Folder);
    EXPECT_TRUE(after.contains("Forms|Main|Main|Whole=whole form"));
    EXPECT_TRUE(after.contains("Forms|Main|Layout|Position=10,10,480,640"));
    EXPECT_FALSE(after.contains("Preferences|General|Options|Empty="));
}

TEST_F(MainData, an_import_is_written_whole_or_not_at_all) {
    const std::vector<SettingsRow> rows = {{"Forms", "Main", "Layout", "Position", "new"},
                                           {"New", "K1", "K2", "V", "one"},
                                           {"New", "K1", "K2", "W", "two"}};
    const QStringList before = TableText(Folder);
    db::testing::FailNthWrite(3);
    EXPECT_THROW(data.ImportRows(rows), db::EDBEngineError);
    db::testing::FailNthWrite(0);
    EXPECT_EQ(TableText(Folder), before);
    data.ImportRows(rows);
    const QStringList after = TableText(Folder);
    EXPECT_TRUE(after.contains("Forms|Main|Layout|Position=new"));
    EXPECT_TRUE(after.contains("New|K1|K2|W=two"));
    EXPECT_EQ(after.size(), before.size() + 2);
}

TEST_F(MainData, a_file_that_is_not_a_settings_table_does_not_open) {
    QFile text(FilePath("Registry.db"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a table\n");
    text.close();
    EXPECT_ANY_THROW(data.OpenTable(FilePath("Registry.db")));
    EXPECT_FALSE(data.IsOpen());
    EXPECT_THROW(data.AllRows(), db::EDBEngineError);
}

}  // namespace
