#include "platform/db/gui/data_controls.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/gui/picture.h"
#include "platform/db/sql/query.h"
#include "platform/db/table.h"
#include "platform/ui/gui/make.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"
#include "testsupport/widget_helpers.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QFormLayout>
#include <QTest>
#include <QPainter>
#include <QWidget>

namespace db::gui {
namespace {

QImage Square(QColor colour, int size = 16) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

/// A form with one control of each kind over Items.DB (ID, Name, Price, Active, Notes, Picture).
class DataControls : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        TableDef def;
        def.Fields = {{"ID", FieldType::ftInteger, 0, true},   {"Name", FieldType::ftString, 10, false},
                      {"Price", FieldType::ftFloat, 0, false}, {"Active", FieldType::ftBoolean, 0, false},
                      {"Notes", FieldType::ftMemo, 0, false},  {"Picture", FieldType::ftGraphic, 0, false}};
        def.Indexes = {{"", "ID", IndexOption::ixPrimary | IndexOption::ixUnique}};
        CreateTableFile(Path(), "Items.DB", def);
        table.SetDatabaseName(Path());
        table.SetTableName("Items.DB");
        table.Open();
        Add(1, "Apple", 1.5, true, "red\r\ngreen", Square(Qt::red));
        Add(2, "Pear", 2.25, false, QString(), QImage());
        table.First();

        source.SetDataSet(&table);
        form.resize(300, 300);
        name = ui::Make<DBEdit>(&form, "NameEdit");
        price = ui::Make<DBEdit>(&form, "PriceEdit");
        active = ui::Make<DBCheckBox>(&form, "ActiveBox", QStringLiteral("Active"));
        notes = ui::Make<DBMemo>(&form, "NotesMemo");
        picture = ui::Make<DBImage>(&form, "PictureImage");
        auto* layout = new QFormLayout(&form);
        layout->addRow("Name", name);
        layout->addRow("Price", price);
        layout->addRow("", active);
        layout->addRow("Notes", notes);
        layout->addRow("Picture", picture);
        Bind(&source);
        form.show();
    }

    void Add(int id, const QString& n, double p, bool a, const QString& memo, const QImage& image) {
        table.Append();
        table.FieldByName("ID")->SetAsInteger(id);
        table.FieldByName("Name")->SetAsString(n);
        table.FieldByName("Price")->SetAsFloat(p);
        table.FieldByName("Active")->SetAsBoolean(a);
        table.FieldByName("Notes")->SetAsString(memo);
        table.FieldByName("Picture")->SetAsBytes(PictureToBytes(image));
        table.Post();
    }

    void Bind(DataSource* s) {
        name->SetDataSource(s);
        name->SetDataField("Name");
        price->SetDataSource(s);
        price->SetDataField("Price");
        active->SetDataSource(s);
        active->SetDataField("Active");
        notes->SetDataSource(s);
        notes->SetDataField("Notes");
        picture->SetDataSource(s);
        picture->SetDataField("Picture");
    }

    /// The stored row of an ID, read through a cursor of its own.
    QString Stored(int id, const char* field) {
        Table check;
        check.SetDatabaseName(Path());
        check.SetTableName("Items.DB");
        check.Open();
        EXPECT_TRUE(check.FindKey({id}));
        return check.FieldByName(field)->AsString();
    }

    Table table;
    DataSource source;
    QWidget form;
    DBEdit* name = nullptr;
    DBEdit* price = nullptr;
    DBCheckBox* active = nullptr;
    DBMemo* notes = nullptr;
    DBImage* picture = nullptr;
};

TEST_F(DataControls, show_the_current_record_and_follow_every_move) {
    EXPECT_EQ(name->text(), QStringLiteral("Apple"));
    EXPECT_EQ(price->text(), QStringLiteral("1.5"));
    EXPECT_TRUE(active->isChecked());
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("red\ngreen"));
    EXPECT_EQ(picture->Picture().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(name->maxLength(), 10);
    testsupport::GrabToPng(&form, "db_data_controls");

    table.Next();
    EXPECT_EQ(name->text(), QStringLiteral("Pear"));
    EXPECT_EQ(price->text(), QStringLiteral("2.25"));
    EXPECT_FALSE(active->isChecked());
    EXPECT_EQ(notes->toPlainText(), QString());
    EXPECT_TRUE(picture->Picture().isNull());

    table.Close();
    EXPECT_EQ(name->text(), QString());
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_TRUE(notes->isReadOnly());
}

TEST_F(DataControls, user_changes_enter_edit_state_and_post_writes_them) {
    ASSERT_TRUE(testsupport::Type(&form, "NameEdit", "s!"));
    EXPECT_EQ(table.State(), DataSetState::dsEdit);
    EXPECT_EQ(table.FieldByName("Name")->AsString(), QStringLiteral("Apples!"));
    EXPECT_EQ(name->text(), QStringLiteral("Apples!"));  // the edit keeps what was typed

    price->selectAll();
    ASSERT_TRUE(testsupport::Type(&form, "PriceEdit", "3.75"));
    source.UpdateRecord();
    EXPECT_DOUBLE_EQ(table.FieldByName("Price")->AsFloat(), 3.75);

    ASSERT_TRUE(testsupport::Click(&form, "ActiveBox"));
    EXPECT_FALSE(table.FieldByName("Active")->AsBoolean());

    notes->setFocus();
    notes->selectAll();
    QTest::keyClicks(notes, "one");
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "two");

    picture->SetPicture(Square(Qt::blue, 20));
    table.Post();

    EXPECT_EQ(Stored(1, "Name"), QStringLiteral("Apples!"));
    EXPECT_EQ(Stored(1, "Price"), QStringLiteral("3.75"));
    EXPECT_EQ(Stored(1, "Active"), QStringLiteral("False"));
    EXPECT_EQ(Stored(1, "Notes"), QStringLiteral("one\r\ntwo"));
    Table check;
    check.SetDatabaseName(Path());
    check.SetTableName("Items.DB");
    check.Open();
    const QImage stored = PictureFromBytes(check.FieldByName("Picture")->AsBytes());
    EXPECT_EQ(stored.size(), QSize(20, 20));
    EXPECT_EQ(stored.pixelColor(5, 5), QColor(Qt::blue));
}

TEST_F(DataControls, alpha_text_is_limited_to_the_field_size) {
    name->selectAll();
    ASSERT_TRUE(testsupport::Type(&form, "NameEdit", "abcdefghijklmn"));
    EXPECT_EQ(name->text(), QStringLiteral("abcdefghij"));
    table.Post();
    EXPECT_EQ(Stored(1, "Name"), QStringLiteral("abcdefghij"));
}

TEST_F(DataControls, alpha_text_cut_at_the_field_size_keeps_whole_characters) {
    // Name holds 10 UTF-16 units; the emoji would take the 10th and an 11th
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    name->selectAll();
    name->insert(QStringLiteral("abcdefghi") + emoji + QStringLiteral("z"));
    EXPECT_EQ(name->text(), QStringLiteral("abcdefghi"));
    table.Post();
    EXPECT_EQ(Stored(1, "Name"), QStringLiteral("abcdefghi"));
    // a pair that fits whole is kept
    table.Edit();
    name->selectAll();
    name->insert(QStringLiteral("abcdefgh") + emoji);
    EXPECT_EQ(name->text(), QStringLiteral("abcdefgh") + emoji);
    table.Post();
    EXPECT_EQ(Stored(1, "Name"), QStringLiteral("abcdefgh") + emoji);
}

TEST_F(DataControls, a_value_the_field_refuses_is_reported_and_the_field_shown_again) {
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage(QStringLiteral("Invalid field value"), ui::Button::Ok, ui::MessageKind::Error);
    price->selectAll();
    ASSERT_TRUE(testsupport::Type(&form, "PriceEdit", "cheap"));
    source.UpdateRecord();
    EXPECT_EQ(answers.Pending(), 0);
    EXPECT_EQ(price->text(), QStringLiteral("1.5"));
    table.Cancel();
    EXPECT_EQ(Stored(1, "Price"), QStringLiteral("1.5"));
}

TEST_F(DataControls, controls_over_a_read_only_cursor_change_nothing) {
    auto answer = sql::OpenQuery(Path(), QStringLiteral("SELECT Name, Active FROM Items ORDER BY ID"));
    DataSource querySource;
    querySource.SetDataSet(answer.get());
    Bind(&querySource);
    EXPECT_EQ(name->text(), QStringLiteral("Apple"));
    EXPECT_TRUE(name->isReadOnly());
    ASSERT_TRUE(testsupport::Click(&form, "ActiveBox"));
    EXPECT_TRUE(active->isChecked());
    EXPECT_EQ(answer->State(), DataSetState::dsBrowse);
    EXPECT_FALSE(picture->SetPicture(Square(Qt::green)));  // no such field in the answer

    answer.reset();  // the cursor goes away: the controls empty
    EXPECT_EQ(name->text(), QString());
}

TEST_F(DataControls, without_auto_edit_typing_changes_nothing) {
    source.SetAutoEdit(false);
    ASSERT_TRUE(testsupport::Type(&form, "NameEdit", "zz"));
    ASSERT_TRUE(testsupport::Click(&form, "ActiveBox"));
    EXPECT_EQ(table.State(), DataSetState::dsBrowse);
    EXPECT_EQ(name->text(), QStringLiteral("Apple"));
    EXPECT_TRUE(active->isChecked());

    table.Edit();  // the form starts editing itself
    ASSERT_TRUE(testsupport::Type(&form, "NameEdit", "s"));
    EXPECT_EQ(table.FieldByName("Name")->AsString(), QStringLiteral("Apples"));
}

TEST_F(DataControls, a_move_while_editing_posts_what_the_controls_wrote) {
    ASSERT_TRUE(testsupport::Type(&form, "NameEdit", "X"));
    table.Next();
    EXPECT_EQ(name->text(), QStringLiteral("Pear"));
    EXPECT_EQ(Stored(1, "Name"), QStringLiteral("AppleX"));
}

}  // namespace
}  // namespace db::gui
