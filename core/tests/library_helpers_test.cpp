#include "core/library_helpers.h"

#include "core/file_helpers.h"

#include "core/settings_store.h"
#include "core/system_helpers.h"
#include "core/tests/settings_fixture.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/table.h"
#include "testsupport/dialog_answerer.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using coretest::SettingsFixture;

TEST_F(SettingsFixture, logic_words_are_completed_with_the_defaults) {
    QStringList words;
    core::GetLogicTokens(words);
    EXPECT_EQ(words, (QStringList{"and", "or", "not", "like", "near"}));
    core::WriteRegString("Preferences", "QuickSearch", "SearchOption", "DefaultLogicTokens", "und;oder");
    words.clear();
    core::GetLogicTokens(words);
    EXPECT_EQ(words, (QStringList{"und", "oder", "not", "like", "near"}));
}

class LibraryTables : public testsupport::TempFolder {
protected:
    void SetUp() override {
        testsupport::TempFolder::SetUp();
        db::TableDef def;
        def.Fields = {{"ID", db::FieldType::ftInteger, 0, false},
                      {"Name", db::FieldType::ftString, 30, false},
                      {"Description", db::FieldType::ftMemo, 0, false},
                      {"Path", db::FieldType::ftString, 255, false}};
        def.Indexes = {{"", "ID", db::IndexOption::ixPrimary | db::IndexOption::ixUnique}};
        db::CreateTableFile(Path(), "TemplateLib.db", def);
        templates.SetDatabaseName(Path());
        templates.SetTableName("TemplateLib.db");
        templates.Open();
        add(1, "Blank", FilePath("Template/Blank"));
        add(2, "Recipes", FilePath("Template/Recipes"));
        add(3, "Books", FilePath("Template/Books"));
    }
    void add(int id, const QString& name, const QString& path) {
        templates.Append();
        templates.FieldByName("ID")->SetAsInteger(id);
        templates.FieldByName("Name")->SetAsString(name);
        templates.FieldByName("Path")->SetAsString(path);
        templates.Post();
    }
    db::Table templates;
};

TEST_F(LibraryTables, template_names_and_folders_must_be_unique_and_the_position_is_kept) {
    ASSERT_TRUE(templates.FindKey({2}));
    struct Case {
        const char* name;
        QString folder;
        bool skipCurrent;
        char answer;
        const char* message;  ///< nullptr: none
    };
    const Case cases[] = {
        {" recipes ", FilePath("elsewhere"), false, 'N',
         "^There is already a template named \"RECIPES\"\\. Template names must be unique\\.$"},
        {"Recipes", FilePath("elsewhere"), true, '*', nullptr},
        {"New", FilePath("TEMPLATE/books"), false, 'P', "^A template named \"Books\" is already in folder \""},
        {"New", FilePath("Template/Recipes"), true, '*', nullptr},
        {"New", FilePath("Template/New"), false, '*', nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::DialogAnswerer answers;
        if (c.message) answers.ExpectMessage(c.message, ui::Button::Ok, ui::MessageKind::Error);
        EXPECT_EQ(core::CheckTemplateUnique(templates, c.name, c.folder, c.skipCurrent), QChar(c.answer));
        EXPECT_EQ(templates.FieldByName("ID")->AsInteger(), 2);
        if (c.message) {
            EXPECT_EQ(answers.Messages().at(0).helpContext, c.answer == 'N' ? 10093 : 10094);
        }
    }
}

TEST_F(LibraryTables, record_fields_copy_by_position_and_text_fields_are_listed) {
    QStringList names{"stale"};
    core::GetTextFieldNames(templates, names);
    EXPECT_EQ(names, (QStringList{"Name", "Description", "Path"}));

    db::Table copy;
    copy.SetDatabaseName(Path());
    copy.SetTableName("Copy.db");
    copy.FieldDefs() = templates.Definition().Fields;
    copy.CreateTable();
    copy.Open();
    ASSERT_TRUE(templates.FindKey({3}));
    templates.Edit();
    templates.FieldByName("Description")->SetAsString("About books");
    templates.Post();
    copy.Append();
    copy.FieldByName("Path")->SetAsString("will be cleared");
    core::CopyRecordFields(templates, copy);
    copy.Post();
    EXPECT_EQ(copy.FieldByName("ID")->AsInteger(), 3);
    EXPECT_EQ(copy.FieldByName("Name")->AsString(), "Books");
    EXPECT_EQ(copy.FieldByName("Description")->AsString(), "About books");
    ASSERT_TRUE(templates.FindKey({1}));
    copy.Append();
    core::CopyRecordFields(templates, copy);
    copy.Post();
    EXPECT_TRUE(copy.FieldByName("Description")->IsNull());
}

TEST(SystemHelpers, engine_texts_and_version) {
    EXPECT_EQ(core::GetEngineErrorText(db::ErrorCode::kKeyViolation), "9729: Key violation.");
    EXPECT_EQ(core::GetEngineErrorText(4242), "Unknown error, code is 4242.");
    EXPECT_FALSE(core::GetVersionString("ProductVersion").isEmpty());
    EXPECT_TRUE(core::GetVersionString("ProductVersion").contains('.')) << core::GetVersionString("ProductVersion");
    EXPECT_EQ(core::GetVersionString("NoSuchValue"), "<Unknown>");
    EXPECT_EQ(core::GetComCtlVersionText(), QStringLiteral("%1.%2").arg(QT_VERSION_MAJOR).arg(QT_VERSION_MINOR));
    testsupport::DialogAnswerer answers;
    core::CheckComCtlVersion(4, 72);  // older than what runs: silent
    answers.ExpectMessage("^This program requires version 99\\.1 \\(or higher\\)", ui::Button::Ok,
                          ui::MessageKind::Warning);
    core::CheckComCtlVersion(99, 1);
}

TEST(SystemHelpers, macro_dates_special_folders_and_waiting) {
    EXPECT_EQ(core::GetMacroDateText(0), "");
    EXPECT_EQ(core::GetMacroDateText(7), "");
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(core::GetMacroDateText(5)).hasMatch())
        << core::GetMacroDateText(5);
    EXPECT_FALSE(core::GetMacroDateText(3).isEmpty());

    EXPECT_EQ(core::GetSpecialFolder(nullptr, core::SpecialFolderId::kPersonal),
              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    EXPECT_EQ(core::GetSpecialFolder(nullptr, 9999), "");

    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    QElapsedTimer timer;
    timer.start();
    core::DelayWithMessages(30);
    EXPECT_GE(timer.elapsed(), 30);
    EXPECT_TRUE(handled);
}

TEST(SystemHelpers, table_update_errors_quote_the_engine_code_or_the_message) {
    testsupport::DialogAnswerer answers;
    answers
        .ExpectMessage("^An error occurred while updating the Hierarchy table: \"\\[9729\\] 9729: Key violation\\.\"\\. "
                       "Try again\\.\n\nPress F1 for more information\\.$",
                       ui::Button::Ok, ui::MessageKind::Error)
        .ExpectMessage("the Views table: \"disk gone\"\\. ", ui::Button::Ok, ui::MessageKind::Error);
    core::ShowTableUpdateError(db::EDBEngineError(db::ErrorCode::kKeyViolation), "Hierarchy", "Try again.");
    core::ShowTableUpdateError(base::Exception("disk gone"), "Views", "");
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10004);
}

}  // namespace
