#include "platform/settings/ini_document.h"
#include "platform/settings/ini_file.h"
#include "platform/settings/registry.h"

#include "testsupport/qt_printers.h"
#include "testsupport/temp_folder.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

class SettingsFolder : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        settings::SetConfigRoot(Path());
    }
    void TearDown() override { settings::SetConfigRoot({}); }
};

TEST_F(SettingsFolder, registry_keys_hold_typed_values_in_a_real_file) {
    settings::Registry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Dossara\\Paths"), true));
    EXPECT_TRUE(reg.WriteString(QStringLiteral("Library"), QStringLiteral("/data/Lib = x\\y\nz")));
    EXPECT_TRUE(reg.WriteInteger(QStringLiteral("Count"), -42));
    EXPECT_TRUE(reg.WriteBool(QStringLiteral("Flag"), true));
    EXPECT_TRUE(QFile::exists(settings::Registry::StorePath()));

    settings::Registry again;
    ASSERT_TRUE(again.OpenKey(QStringLiteral("software\\dossara\\paths\\"), false));
    EXPECT_EQ(again.ReadString(QStringLiteral("library")), QStringLiteral("/data/Lib = x\\y\nz"));
    EXPECT_EQ(again.ReadInteger(QStringLiteral("Count"), 0), -42);
    EXPECT_TRUE(again.ReadBool(QStringLiteral("Flag"), false));
    EXPECT_EQ(again.ReadInteger(QStringLiteral("Flag"), 0), 1);
}

TEST_F(SettingsFolder, registry_reads_answer_the_default_on_missing_or_mistyped_values) {
    settings::Registry reg;
    EXPECT_EQ(reg.ReadString(QStringLiteral("X"), QStringLiteral("dflt")), "dflt");  // no key open
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Dossara\\Missing"), false));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\SOFTWARE\\Dossara\\Missing")));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Dossara\\Preferences"), true));
    reg.WriteString(QStringLiteral("Text"), QStringLiteral("abc"));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Text"), 7), 7);
    EXPECT_EQ(reg.ReadString(QStringLiteral("Nothing"), QStringLiteral("d")), "d");
    EXPECT_TRUE(reg.ReadBool(QStringLiteral("Nothing"), true));
    // A damaged file is read as far as it makes sense and never throws.
    QFile f(settings::Registry::StorePath());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("\xff\xfe garbage without equals\n[unterminated\n");
    f.close();
    EXPECT_EQ(reg.ReadString(QStringLiteral("Text")), "abc");
}

TEST_F(SettingsFolder, registry_keys_are_created_listed_and_deleted_with_their_subkeys) {
    settings::Registry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Dossara\\RecentFiles"), true));
    reg.WriteString(QStringLiteral("File1"), QStringLiteral("a"));
    reg.WriteString(QStringLiteral("File2"), QStringLiteral("b"));
    EXPECT_EQ(reg.GetValueNames(), QStringList({"File1", "File2"}));
    EXPECT_TRUE(reg.DeleteValue(QStringLiteral("File1")));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("File1")));
    EXPECT_TRUE(reg.CreateKey(QStringLiteral("\\SOFTWARE\\Dossara\\URL")));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Dossara"), false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"RecentFiles", "URL"}));
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("\\SOFTWARE\\Dossara")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\SOFTWARE\\Dossara\\RecentFiles")));
}

TEST_F(SettingsFolder, a_key_replaced_whole_keeps_only_the_new_values_and_drops_its_subkeys) {
    settings::Registry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Dossara\\RecentFiles\\Old"), true));
    reg.WriteString(QStringLiteral("Stale"), QStringLiteral("x"));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\SOFTWARE\\Dossara\\RecentFiles"), false));
    reg.WriteString(QStringLiteral("File9"), QStringLiteral("gone"));
    ASSERT_TRUE(reg.ReplaceKeyStrings(QStringLiteral("\\SOFTWARE\\Dossara\\RecentFiles"),
                                      {{QStringLiteral("Num"), QStringLiteral("1")}, {QStringLiteral("File1"), QStringLiteral("/a")}}));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("SOFTWARE\\Dossara\\RecentFiles"));
    EXPECT_EQ(reg.GetValueNames(), QStringList({"Num", "File1"}));
    EXPECT_EQ(reg.ReadString(QStringLiteral("File1")), "/a");
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\SOFTWARE\\Dossara\\RecentFiles\\Old")));
}

TEST_F(SettingsFolder, ini_file_by_bare_name_lives_in_the_configuration_folder) {
    settings::IniFile ini(QStringLiteral("Marlisk.ini"));
    EXPECT_EQ(ini.FileName(), FilePath(QStringLiteral("Marlisk.ini")));
    EXPECT_TRUE(ini.WriteString(QStringLiteral("Designer"), QStringLiteral("Left"), QStringLiteral("10")));
    EXPECT_TRUE(ini.WriteBool(QStringLiteral("Designer"), QStringLiteral("GridVisible"), true));
    EXPECT_TRUE(ini.WriteInteger(QStringLiteral("Explorer"), QStringLiteral("Width"), 640));

    settings::IniFile again(QStringLiteral("Marlisk.ini"));
    EXPECT_EQ(again.ReadInteger(QStringLiteral("designer"), QStringLiteral("LEFT"), 0), 10);
    EXPECT_TRUE(again.ReadBool(QStringLiteral("Designer"), QStringLiteral("GridVisible"), false));
    EXPECT_EQ(again.ReadSections(), QStringList({"Designer", "Explorer"}));
    EXPECT_EQ(again.ReadSection(QStringLiteral("Designer")), QStringList({"Left", "GridVisible"}));
    EXPECT_EQ(again.ReadInteger(QStringLiteral("Designer"), QStringLiteral("Missing"), 5), 5);
    EXPECT_TRUE(again.EraseSection(QStringLiteral("Designer")));
    EXPECT_FALSE(again.SectionExists(QStringLiteral("Designer")));
    EXPECT_TRUE(again.DeleteKey(QStringLiteral("Explorer"), QStringLiteral("Width")));
    EXPECT_FALSE(again.ValueExists(QStringLiteral("Explorer"), QStringLiteral("Width")));
}

// Names and values read back as they were written, whatever characters they hold, and no
// line of one value swallows the next value or section.
TEST_F(SettingsFolder, every_name_and_value_reads_back_as_written) {
    const struct {
        const char* name;
        const char* value;
    } cases[] = {
        {"[a", "b]"},
        {"[Section]", ""},
        {"[", "]"},
        {"a=b", "c=d"},
        {"back\\slash\\", "\\n is not a line break"},
        {"two\nlines", "one\r\ntwo\n"},
        {"  blanks  ", "  around  "},
        {";comment", "#hash"},
        {"", "empty name"},
        {"\xF0\x9F\x98\x80 emoji", "\xE2\x82\xAC and \xF0\xA0\x80\x80"},
        {"last", "[x]"},
    };
    settings::IniDocument doc;
    for (const auto& c : cases)
        doc.SetValue(QStringLiteral("First"), QString::fromUtf8(c.name), QString::fromUtf8(c.value));
    doc.SetValue(QStringLiteral("Second"), QStringLiteral("after"), QStringLiteral("kept"));
    const QString path = FilePath(QStringLiteral("round.ini"));
    ASSERT_TRUE(doc.Save(path));

    const settings::IniDocument back = settings::IniDocument::Load(path);
    EXPECT_EQ(back.Sections(), QStringList({"First", "Second"}));
    QStringList names;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        names << QString::fromUtf8(c.name);
        EXPECT_EQ(back.Value(QStringLiteral("First"), QString::fromUtf8(c.name)), QString::fromUtf8(c.value));
    }
    EXPECT_EQ(back.Names(QStringLiteral("First")), names);
    EXPECT_EQ(back.Value(QStringLiteral("Second"), QStringLiteral("after")), QStringLiteral("kept"));
}

}  // namespace
