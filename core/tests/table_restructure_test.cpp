#include "core/table_restructure.h"

#include "core/tests/sample_database.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/database.h"
#include "platform/db/fault_injection.h"
#include "testsupport/dialog_answerer.h"

#include <QProcess>
#include "test_paths.h"

namespace {

class TableRestructure : public coretest::SampleDatabase {
protected:
    void TearDown() override {
        db::testing::FailNthWrite(0);
        coretest::SampleDatabase::TearDown();
    }
    int View(const QString& table) {
        for (int i = 0; i < views.GetViewCount(); ++i)
            if (views.ViewDefs[size_t(i)].DataTableName == table) return i;
        ADD_FAILURE() << table.toStdString();
        return -1;
    }
    int Field(int view, const QString& name) {
        for (int i = 0; i < views.GetViewFieldCount(view); ++i)
            if (views.GetFieldName(view, i) == name) return i;
        return -1;
    }
    /// "Name:type:size" of every column of the table file.
    QStringList Columns(const QString& table) {
        QStringList columns;
        for (const db::FieldDef& f : db::ReadTableDef(folder, core::ViewTableFile(table)).Fields)
            columns << QStringLiteral("%1:%2:%3").arg(f.Name).arg(int(f.DataType)).arg(f.Size);
        return columns;
    }
    /// The stored field names of a View, read back as the next open reads them.
    QStringList StoredFieldNames(int view) {
        QStringList names;
        const int count = core::ReadRegInt("Views", core::ViewKeyNumber(view), "Fields", "Count", 0);
        for (int i = 0; i < count; ++i)
            names << core::ReadRegString("Views", core::ViewKeyNumber(view), core::FieldKey(i), "FieldName", "?");
        return names;
    }
    void ExpectOpenShared(int view) {
        const TtsTable* table = views.ViewDefs[size_t(view)].DataTable;
        EXPECT_TRUE(table->Active());
        EXPECT_FALSE(table->Exclusive());
    }
};

TEST_F(TableRestructure, added_changed_and_dropped_fields_change_their_columns_and_settings_rows) {
    const int view = View("Sources");
    const QVariant versionBefore = [&] {
        db::Table& t = *views.ViewDefs[size_t(view)].DataTable;
        t.First();
        return t.FieldByName("Version")->Value();
    }();
    const int firstNode = [&] {
        db::Table& t = *views.ViewDefs[size_t(view)].DataTable;
        t.First();
        return t.FieldByName("NodeID")->AsInteger();
    }();
    // A new field, a renamed and longer one, a dropped one, and one changed in its label only.
    const int added = views.AddNewField(view);
    ASSERT_GE(added, 0);
    views.SetFieldName(view, added, "Reviewer");
    views.SetFieldType(view, added, u'S');
    views.SetFieldLength(view, added, 30);
    const int version = Field(view, "Version");
    views.RememberOriginalField(view, version);
    views.SetFieldName(view, version, "Release");
    views.SetFieldLength(view, version, 60);
    views.SetFieldMarkedForDelete(view, Field(view, "Maintainer"), true);
    views.SetFieldLabelCaption(view, Field(view, "Source"), "Source package name");

    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("is about to be deleted", ui::Button::Yes, ui::MessageKind::Confirmation);
    views.SaveViewDefinition(view);

    const QStringList columns = Columns("Sources");
    EXPECT_TRUE(columns.contains("Reviewer:" + QString::number(int(db::FieldType::ftString)) + ":30")) << columns.join(' ').toStdString();
    EXPECT_TRUE(columns.contains("Release:" + QString::number(int(db::FieldType::ftString)) + ":60"));
    EXPECT_FALSE(columns.join(' ').contains("Maintainer"));
    EXPECT_FALSE(columns.join(' ').contains("Version"));
    EXPECT_EQ(StoredFieldNames(view),
              (QStringList{"Source", "Release", "BinaryCount", "SizeMiB", "AllInstalled", "Reviewer"}));
    ExpectOpenShared(view);
    // The data of a renamed column stays.
    db::Table& t = *views.ViewDefs[size_t(view)].DataTable;
    ASSERT_TRUE(t.FindKey({firstNode}));
    EXPECT_EQ(t.FieldByName("Release")->Value(), versionBefore);

    // The next open reads the same fields back from the settings.
    Close();
    Open();
    QStringList loaded;
    for (int i = 0; i < views.GetViewFieldCount(view); ++i) loaded << views.GetFieldName(view, i);
    EXPECT_EQ(loaded, StoredFieldNames(view));
}

TEST_F(TableRestructure, a_table_another_program_holds_is_left_open_and_unchanged) {
    const int view = View("Sources");
    QProcess holder;
    holder.start(QStringLiteral(DOSSARA_TABLE_HOLDER), {folder, core::ViewTableFile("Sources")});
    ASSERT_TRUE(holder.waitForStarted());
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    ASSERT_EQ(holder.readLine().trimmed(), "open");

    const QStringList columnsBefore = Columns("Sources");
    const QStringList settingsBefore = RowsOf(folder, core::kSettingsTableName);
    const int version = Field(view, "Version");
    views.RememberOriginalField(view, version);
    views.SetFieldName(view, version, "Release");
    const int added = views.AddNewField(view);
    views.SetFieldName(view, added, "Reviewer");
    views.SetFieldType(view, added, u'N');
    {
        testsupport::DialogAnswerer answers;
        const QString exclusive = QStringLiteral(
            "^Unable to get exclusive access to the database\\. Make sure it is not open in another program, then "
            "try again\\.$");
        answers.ExpectMessage(exclusive, ui::Button::Ok, ui::MessageKind::Error)
            .ExpectMessage("^Unable to change field \"Release\"\\.$", ui::Button::Ok, ui::MessageKind::Error)
            .ExpectMessage(exclusive, ui::Button::Ok, ui::MessageKind::Error)
            .ExpectMessage("^Unable to create field \"Reviewer\"\\.$", ui::Button::Ok, ui::MessageKind::Error);
        views.SaveViewDefinition(view);
        ASSERT_EQ(answers.Messages().size(), 4u);
        EXPECT_EQ(answers.Messages()[0].helpContext, 10086);
        EXPECT_EQ(answers.Messages()[1].helpContext, 10105);
    }
    EXPECT_EQ(Columns("Sources"), columnsBefore);
    EXPECT_EQ(RowsOf(folder, core::kSettingsTableName), settingsBefore);
    EXPECT_EQ(views.GetFieldName(view, version), "Version") << "the field still describes its column";
    ExpectOpenShared(view);
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(30000));

    // With the other program gone the same change goes through.
    views.RememberOriginalField(view, version);
    views.SetFieldName(view, version, "Release");
    views.SaveViewDefinition(view);
    EXPECT_TRUE(Columns("Sources").join(' ').contains("Release:"));
    EXPECT_TRUE(StoredFieldNames(view).contains("Release"));
    ExpectOpenShared(view);
}

TEST_F(TableRestructure, a_change_that_would_lose_data_keeps_the_column_and_the_field) {
    // A number column with values beyond the integer range cannot become an integer column.
    const int view = View("Sources");
    db::Table& t = *views.ViewDefs[size_t(view)].DataTable;
    t.First();
    t.Edit();
    t.FieldByName("SizeMiB")->SetAsFloat(1e12);
    t.Post();
    const QStringList columnsBefore = Columns("Sources");
    const QStringList settingsBefore = RowsOf(folder, core::kSettingsTableName);
    const int size = Field(view, "SizeMiB");
    views.RememberOriginalField(view, size);
    views.SetFieldType(view, size, u'N');
    views.SetFieldName(view, size, "SizeWhole");
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("^BDE error during table restructure, code is 10504: ", ui::Button::Ok)
        .ExpectMessage("^Unable to change field \"SizeWhole\"\\.$", ui::Button::Ok);
    views.SaveViewDefinition(view);
    EXPECT_EQ(Columns("Sources"), columnsBefore);
    EXPECT_EQ(RowsOf(folder, core::kSettingsTableName), settingsBefore);
    EXPECT_EQ(views.GetFieldName(view, size), "SizeMiB");
    EXPECT_EQ(views.GetFieldType(view, size), u'F');
    ExpectOpenShared(view);
}

TEST_F(TableRestructure, a_write_failure_during_the_change_leaves_table_and_settings_as_before) {
    const int view = View("Sources");
    const int version = Field(view, "Version");
    bool changed = false;
    for (int n = 1; n < 2000 && !changed; ++n) {
        SCOPED_TRACE(n);
        const QStringList columnsBefore = Columns("Sources");
        const QStringList settingsBefore = RowsOf(folder, core::kSettingsTableName);
        views.RememberOriginalField(view, version);
        views.SetFieldName(view, version, "Release");
        views.SetFieldLength(view, version, 50);
        coretest::RecordMessages messages;
        db::testing::FailNthWrite(n);
        const bool keep = core::ApplyFieldRestructure(views, view, version);
        const bool fired = db::testing::WritesUntilFailure() == 0;
        db::testing::FailNthWrite(0);
        ExpectOpenShared(view);
        EXPECT_TRUE(keep);
        if (messages.Prompts().isEmpty()) {
            // done (a failure of the pack that follows a committed change only costs space)
            changed = true;
            break;
        }
        EXPECT_TRUE(fired);
        // The failure hit the column change: nothing of it is kept, and the field still
        // describes the column as it is.
        ASSERT_EQ(messages.Prompts().size(), 2);
        EXPECT_TRUE(messages.Prompts()[0].startsWith("BDE error during table restructure, code is "));
        EXPECT_EQ(messages.Prompts()[1], "Unable to change field \"Release\".");
        ASSERT_EQ(Columns("Sources"), columnsBefore);
        EXPECT_EQ(RowsOf(folder, core::kSettingsTableName), settingsBefore);
        EXPECT_EQ(views.GetFieldName(view, version), "Version");
        EXPECT_EQ(views.GetFieldLength(view, version), 40);
    }
    views.SaveViewDefinition(view);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(Columns("Sources").contains("Release:" + QString::number(int(db::FieldType::ftString)) + ":50"));
    EXPECT_TRUE(StoredFieldNames(view).contains("Release"));
}

}  // namespace
