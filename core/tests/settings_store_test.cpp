#include "core/settings_store.h"

#include "core/tests/settings_fixture.h"
#include "core/win_registry.h"

#include "platform/db/db_error.h"
#include "platform/db/fault_injection.h"
#include "testsupport/dialog_answerer.h"

#include <zlib.h>

#include <gtest/gtest.h>

namespace {

using coretest::SettingsFixture;

const QString kDamage = QStringLiteral("The Registry has been damaged or tampered with");

std::int32_t zlibCrc(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(bytes.constData()), static_cast<uInt>(bytes.size()));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(crc));
}

TEST(SettingsCrc, matches_the_standard_crc32_and_is_signed) {
    struct Case {
        const char* text;
    };
    static const Case cases[] = {
        {""}, {"a"}, {"TRUE"}, {"FALSE"}, {"123456789"}, {"50,50,100,100"}, {"Ünïcödé – ✓"},
        {"The quick brown fox jumps over the lazy dog"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core::RegCRC32(QString::fromUtf8(c.text)), zlibCrc(QString::fromUtf8(c.text)));
    }
    EXPECT_EQ(core::RegCRC32(QString()), 0);
    // 0xCBF43926, the check value of CRC-32, has the top bit set: stored negative.
    EXPECT_EQ(core::RegCRC32(QStringLiteral("123456789")), static_cast<std::int32_t>(0xCBF43926u));
    EXPECT_LT(core::RegCRC32(QStringLiteral("123456789")), 0);
}

TEST_F(SettingsFixture, a_new_setting_takes_two_posts_and_a_second_write_updates_the_same_row) {
    int posts = 0;
    table->AfterPost = [&](db::Table&) { ++posts; };
    core::WriteRegString("Forms", "Main", "Layout", "Note", "first");
    EXPECT_EQ(posts, 2);
    core::WriteRegString("Forms", "Main", "Layout", "Note", "123456789");
    EXPECT_EQ(posts, 3);
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("Forms|Main|Layout|Note=123456789#%1")
                                      .arg(static_cast<std::int32_t>(0xCBF43926u))});
}

TEST_F(SettingsFixture, a_long_value_is_stored_cut_to_200_characters_with_the_crc_of_what_was_kept) {
    const QString longValue = QString(150, QChar(u'x')) + QString(100, QChar(u'é'));
    core::WriteRegString("Views", "01", "Layout", "Long", longValue);
    const QString kept = longValue.left(200);
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("Views|01|Layout|Long=%1#%2").arg(kept).arg(zlibCrc(kept))});
    EXPECT_EQ(core::ReadRegString("Views", "01", "Layout", "Long", "default"), kept);
}

TEST_F(SettingsFixture, keys_longer_than_the_field_find_the_row_they_wrote) {
    const QString longName = QString(60, QChar(u'v'));
    core::WriteRegString("Views", "01", "Fields", longName, "one");
    core::WriteRegString("Views", "01", "Fields", longName, "two");
    EXPECT_EQ(Rows().size(), 1);
    EXPECT_EQ(core::ReadRegString("Views", "01", "Fields", longName, "default"), "two");
}

TEST_F(SettingsFixture, a_damaged_crc_answers_the_default_and_tells_the_user_at_every_read) {
    PutRaw("Width", "640", core::RegCRC32("640") + 1);
    const QStringList before = Rows();
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage(kDamage, ui::Button::Ok, ui::MessageKind::Error)
        .ExpectMessage(kDamage, ui::Button::Ok, ui::MessageKind::Error)
        .ExpectMessage(kDamage, ui::Button::Ok, ui::MessageKind::Error);
    EXPECT_EQ(core::ReadRegInt("Test", "Group", "Raw", "Width", 77), 77);
    EXPECT_EQ(core::ReadRegString("Test", "Group", "Raw", "Width", "dflt"), "dflt");
    EXPECT_EQ(core::ReadRegRect("Test", "Group", "Raw", "Width", "1,2,3,4"), QRect(QPoint(2, 1), QPoint(4, 3)));
    ASSERT_EQ(answers.Messages().size(), 3u);
    EXPECT_EQ(answers.Messages()[0].helpContext, 10140);
    EXPECT_EQ(Rows(), before);
}

TEST_F(SettingsFixture, a_crc_that_was_never_set_reads_as_zero) {
    // A row inserted without a CRC is right only for the empty value.
    core::WriteSettingsRow(*table, "Test", "Group", "Raw", "Blank", "");
    ASSERT_TRUE(table->FindKey({"Test", "Group", "Raw", "Blank"}));
    table->Edit();
    table->FieldByName("CRC")->Clear();
    table->Post();
    EXPECT_EQ(core::ReadRegString("Test", "Group", "Raw", "Blank", "dflt"), "");
}

TEST_F(SettingsFixture, integer_and_boolean_rows_read_by_their_rules) {
    struct Case {
        const char* stored;  ///< nullptr: no row
        int asInt;
        bool asBool;
    };
    static const Case cases[] = {
        {nullptr, 99, true},  // the defaults
        {"", -1, false},      // empty: -1 and false, not the defaults
        {" 42 ", 42, false},
        {"-7", -7, false},
        {"4x", -1, false},
        {"1", 1, true},
        {"yes", -1, true},
        {"True", -1, true},
        {"y", -1, true},
        {" yes", -1, false},  // the first character counts, untrimmed
        {"0", 0, false},
        {"FALSE", -1, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(no row)");
        const QString variable = QStringLiteral("V%1").arg(n++);
        if (c.stored) core::WriteRegString("Preferences", "General", "Test", variable, QString::fromUtf8(c.stored));
        EXPECT_EQ(core::ReadRegInt("Preferences", "General", "Test", variable, 99), c.asInt);
        EXPECT_EQ(core::ReadRegBool("Preferences", "General", "Test", variable, true), c.asBool);
    }
}

TEST_F(SettingsFixture, typed_writers_store_the_shared_text_forms) {
    core::WriteRegBool("P", "K", "B", "On", true);
    core::WriteRegBool("P", "K", "B", "Off", false);
    core::WriteRegInt("P", "K", "I", "Neg", -12);
    QRect rect;
    rect.setCoords(20, 10, 40, 30);  // left 20, top 10, right 40, bottom 30
    core::WriteRegRect("P", "K", "R", "Rect", rect);
    const QStringList rows = Rows();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows[0].startsWith("P|K|B|Off=FALSE#"));
    EXPECT_TRUE(rows[1].startsWith("P|K|B|On=TRUE#"));
    EXPECT_TRUE(rows[2].startsWith("P|K|I|Neg=-12#"));
    EXPECT_TRUE(rows[3].startsWith("P|K|R|Rect=10,20,30,40#"));
    EXPECT_EQ(core::ReadRegRect("P", "K", "R", "Rect", "0,0,0,0"), rect);
}

TEST_F(SettingsFixture, rectangles_fill_missing_items_one_by_one) {
    struct Case {
        const char* stored;  ///< nullptr: no row
        const char* defaultText;
        int top, left, bottom, right;
    };
    static const Case cases[] = {
        {"10,20", "0,0,0,0", 10, 20, 60, 70},
        {nullptr, "50,50,100,100", 50, 50, 100, 100},
        {"", "5,6,7,8", 5, 6, 7, 8},  // an empty value takes the default text
        {"x,5", "0,0,0,0", 50, 5, 100, 55},
        {"1,2,3,4,5", "0,0,0,0", 1, 2, 3, 4},
        {nullptr, "", 50, 50, 100, 100},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(no row)");
        const QString variable = QStringLiteral("R%1").arg(n++);
        if (c.stored) core::WriteRegString("Forms", "F", "Layout", variable, QString::fromUtf8(c.stored));
        const QRect r = core::ReadRegRect("Forms", "F", "Layout", variable, QString::fromUtf8(c.defaultText));
        EXPECT_EQ(r.top(), c.top);
        EXPECT_EQ(r.left(), c.left);
        EXPECT_EQ(r.bottom(), c.bottom);
        EXPECT_EQ(r.right(), c.right);
    }
}

TEST_F(SettingsFixture, deleting_a_group_leaves_groups_that_differ_only_in_key2) {
    for (const char* v : {"A", "B", "C"}) core::WriteRegString("Views", "01", "Fields", v, "x");
    core::WriteRegString("Views", "01", "Field_00", "A", "kept");
    core::WriteRegString("Views", "02", "Fields", "A", "kept");
    core::DeleteRegGroup("Views", "01", "Fields");
    const QStringList rows = Rows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith("Views|01|Field_00|A=kept"));
    EXPECT_TRUE(rows[1].startsWith("Views|02|Fields|A=kept"));
    core::DeleteRegGroup("Views", "01", "Fields");  // an empty group is no error
    EXPECT_EQ(Rows().size(), 2);
}

TEST_F(SettingsFixture, a_group_walk_keeps_every_variable_of_the_group_in_index_order) {
    core::WriteRegString("Preferences", "Messages", "Confirmation", "Zeta", "TRUE");
    core::WriteRegString("Preferences", "Messages", "Confirmation", "Alpha", "FALSE");
    core::WriteRegString("Preferences", "Messages", "Confirmation", "Ärger", "TRUE");  // beyond "~"
    core::WriteRegString("Preferences", "Messages", "Confirmation", "~tilde", "TRUE");
    core::WriteRegString("Preferences", "Messages", "Confirmatio", "Other", "TRUE");
    core::WriteRegString("Preferences", "Messages", "ConfirmationX", "Other", "TRUE");
    const auto rows = core::ReadRegGroup("Preferences", "Messages", "Confirmation");
    QStringList variables;
    for (const auto& row : rows) variables << row.first;
    EXPECT_EQ(variables, (QStringList{"Alpha", "Zeta", "~tilde", "Ärger"}));
    EXPECT_EQ(rows.front().second, "FALSE");
    EXPECT_FALSE(table->HasRange());
    EXPECT_TRUE(core::ReadRegGroup("Preferences", "Messages", "Nothing").isEmpty());
}

TEST_F(SettingsFixture, a_failed_post_reaches_the_caller_and_leaves_the_table_browsing) {
    core::WriteRegString("P", "K", "G", "Kept", "old");
    db::testing::FailNthWrite(1);
    EXPECT_THROW(core::WriteRegString("P", "K", "G", "Kept", "new"), db::EDBEngineError);
    db::testing::FailNthWrite(0);
    EXPECT_EQ(table->State(), db::DataSetState::dsBrowse);
    EXPECT_EQ(core::ReadRegString("P", "K", "G", "Kept", "dflt"), "old");
    core::WriteRegString("P", "K", "G", "Kept", "newer");
    EXPECT_EQ(core::ReadRegString("P", "K", "G", "Kept", "dflt"), "newer");
}

TEST_F(SettingsFixture, without_an_open_settings_table_the_table_error_reaches_the_caller) {
    table->Close();
    EXPECT_THROW(core::ReadRegString("P", "K", "G", "V", "d"), db::EDBEngineError);
    core::SetSettingsTable(nullptr);
    EXPECT_THROW(core::WriteRegString("P", "K", "G", "V", "d"), db::EDBEngineError);
}

TEST_F(SettingsFixture, the_row_writer_works_on_any_table_of_the_settings_layout) {
    // The settings-table editor writes through its own table object on the same file.
    db::Table other;
    other.SetDatabaseName(Path());
    other.SetTableName("registry.db");
    other.SetIndexFieldNames("Section;Key1;Key2;Variable");
    other.Open();
    core::WriteSettingsRow(other, "Wizards", "Shortcut", "Control", "Folder", "/home/user");
    table->Refresh();
    EXPECT_EQ(core::ReadRegString("Wizards", "Shortcut", "Control", "Folder", "d"), "/home/user");
}

TEST_F(SettingsFixture, per_user_settings_answer_defaults_when_missing_and_create_keys_on_write) {
    EXPECT_EQ(core::ReadWinRegString("Paths", "LibraryPath", "dflt"), "dflt");
    EXPECT_EQ(core::ReadWinRegInt("Favorites", "Count", 3), 3);
    EXPECT_TRUE(core::ReadWinRegBool("Preferences", "ShowStartupWizard", true));
    EXPECT_FALSE(core::OpenWinRegKey("NoSuchSection"));

    EXPECT_TRUE(core::WriteWinRegBool("Preferences", "ShowStartupWizard", false));
    EXPECT_TRUE(core::WriteWinRegInt("Favorites", "Count", 2));
    EXPECT_TRUE(core::WriteWinRegString("Favorites", "Name1", "Home"));
    EXPECT_FALSE(core::ReadWinRegBool("Preferences", "ShowStartupWizard", true));
    EXPECT_EQ(core::ReadWinRegInt("Favorites", "Count", 0), 2);
    EXPECT_EQ(core::ReadWinRegString("Favorites", "Name1", ""), "Home");
    // A value of another type answers the default.
    EXPECT_EQ(core::ReadWinRegInt("Favorites", "Name1", -5), -5);
    EXPECT_TRUE(core::OpenWinRegKey("Favorites"));
    core::CloseWinRegKey();
}

}  // namespace
