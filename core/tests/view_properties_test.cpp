#include "core/gui/hidden_fields.h"
#include "core/gui/tab_order_dialog.h"
#include "core/gui/view_properties.h"

#include "core/tests/sample_database.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

using testsupport::DialogAnswerer;
using testsupport::FindControl;

TEST(ViewPropertiesDockHeight, percentages_are_kept_in_thousandths) {
    struct Case {
        const char* text;
        std::optional<int> stored;
    };
    static const Case cases[] = {
        {"25", 25000}, {"12.5", 12500}, {"100", 100000}, {"0", 0}, {" 7 ", 7000},
        {"100.5", std::nullopt}, {"-1", std::nullopt}, {"", std::nullopt}, {"1.2.3", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TViewProperties::DockHeightOfText(c.text), c.stored);
    }
    EXPECT_EQ(TViewProperties::DockHeightText(25000), "25");
    EXPECT_EQ(TViewProperties::DockHeightText(12500), "12.5");
}

class ViewPropertiesTest : public coretest::SampleDatabase {
protected:
    void SetText(QWidget* root, const char* name, const QString& text) { FindControl<QLineEdit>(root, name)->setText(text); }
};

TEST_F(ViewPropertiesTest, ok_writes_the_view_settings_into_the_definition) {
    TViewProperties d(views, 1);
    d.show();
    testsupport::GrabToPng(&d, "view_properties");
    auto* pages = FindControl<QTabWidget>(&d, "PageControl");
    pages->setCurrentIndex(1);
    testsupport::GrabToPng(&d, "view_properties_view_options");
    pages->setCurrentIndex(2);
    testsupport::GrabToPng(&d, "view_properties_note_options");
    pages->setCurrentIndex(0);
    EXPECT_EQ(FindControl<QLineEdit>(&d, "VP_Name")->text(), views.ViewDefs[1].ViewName);
    SetText(&d, "VP_Name", "  Sources ");
    SetText(&d, "VP_ViewHeight", "420");
    SetText(&d, "VP_NoteDockHeight", "12.5");
    FindControl<QCheckBox>(&d, "VP_Searchable")->setChecked(false);
    ASSERT_TRUE(testsupport::Click(&d, "OKBtn"));
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const TViewDef& v = views.ViewDefs[1];
    EXPECT_EQ(v.ViewName, "  Sources ");  // blanks kept
    EXPECT_EQ(v.ViewPosition.Height, 420);
    EXPECT_EQ(v.NoteDockHeight, 12500);
    EXPECT_FALSE(v.ViewIsSearchable);
    EXPECT_TRUE(FindControl<QLineEdit>(&d, "DataTableEdit")->text().endsWith(v.DataTableName + ".db"));
}

TEST_F(ViewPropertiesTest, a_view_without_a_stored_note_height_docks_its_note_at_a_usable_quarter) {
    core::DeleteRegGroup("Views", core::ViewKeyNumber(0), "Layout");
    views.LoadViewLayout(0);
    EXPECT_EQ(views.GetNoteDockHeight(0), 25000);
    TViewProperties d(views, 0);
    EXPECT_EQ(FindControl<QLineEdit>(&d, "VP_NoteDockHeight")->text(), "25");
}

TEST_F(ViewPropertiesTest, closing_after_a_change_asks_to_save_and_follows_the_answer) {
    struct Case {
        ui::Button answer;
        bool staysOpen;
        QDialog::DialogCode result;
        bool saved;
    };
    static const Case cases[] = {
        {ui::Button::Yes, false, QDialog::Accepted, true},
        {ui::Button::No, false, QDialog::Rejected, false},
        {ui::Button::Cancel, true, QDialog::Rejected, false},
    };
    const QString before = views.ViewDefs[1].ViewName;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.answer));
        views.ViewDefs[1].ViewName = before;
        TViewProperties d(views, 1);
        d.show();
        QTest::keyClicks(FindControl<QLineEdit>(&d, "VP_Name"), "X");
        ASSERT_TRUE(d.Modified());
        {
            DialogAnswerer answers;
            answers.ExpectMessage("Do you want to save your changes\\?", c.answer, ui::MessageKind::Confirmation);
            d.close();
            ASSERT_EQ(answers.Messages().size(), 1u);
            EXPECT_EQ(answers.Messages()[0].helpContext, 10024);
        }
        EXPECT_EQ(d.isVisible(), c.staysOpen);
        EXPECT_EQ(d.result(), c.result);
        EXPECT_EQ(d.Modified(), c.staysOpen);
        EXPECT_EQ(views.ViewDefs[1].ViewName, c.saved ? before + "X" : before);
    }
    // A change that cannot be saved keeps the dialog open after Yes, with the check's message.
    TViewProperties d(views, 1);
    d.show();
    SetText(&d, "VP_ViewWidth", "0");
    QTest::keyClicks(FindControl<QLineEdit>(&d, "VP_Name"), "Y");
    DialogAnswerer answers;
    answers.ExpectMessage("Do you want to save your changes\\?", ui::Button::Yes, ui::MessageKind::Confirmation);
    answers.ExpectMessage("View height and width values cannot be zero\\.", ui::Button::Ok, ui::MessageKind::Error);
    d.close();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(views.ViewDefs[1].ViewName, before);
}

TEST_F(ViewPropertiesTest, the_checks_run_in_order_and_keep_the_dialog_open) {
    struct Case {
        const char* control;
        const char* value;
        const char* message;
    };
    static const Case cases[] = {
        {"VP_Name", " ", "You must enter a View name."},
        {"VP_ViewLeft", "", "View position and size values cannot be blank."},
        {"VP_NoteWidth", "", "Note position and size values cannot be blank."},
        {"VP_ViewWidth", "0", "View height and width values cannot be zero."},
        {"VP_NoteHeight", "0", "Note height and width values cannot be zero."},
        {"VP_NoteDockHeight", "101", "Note height when docked value must be between 0 and 100%."},
    };
    const TViewDef before = views.ViewDefs[0];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        TViewProperties d(views, 0);
        d.show();
        SetText(&d, c.control, c.value);
        DialogAnswerer answers;
        answers.ExpectMessage(QRegularExpression::escape(c.message), ui::Button::Ok, ui::MessageKind::Error);
        ASSERT_TRUE(testsupport::Click(&d, "OKBtn"));
        EXPECT_TRUE(d.isVisible());
    }
    EXPECT_EQ(views.ViewDefs[0].ViewName, before.ViewName);
    EXPECT_EQ(views.ViewDefs[0].ViewPosition, before.ViewPosition);
}

TEST_F(ViewPropertiesTest, tab_order_moves_fields_and_ok_numbers_them_in_list_order) {
    const int count = views.GetViewFieldCount(2);
    ASSERT_GE(count, 3);
    TSetTabOrderDlg d(views, 2);
    d.show();
    testsupport::GrabToPng(&d, "tab_order");
    auto* list = FindControl<QListWidget>(&d, "FieldList");
    ASSERT_EQ(list->count(), count);
    const int first = list->item(0)->data(Qt::UserRole).toInt();
    const int last = list->item(count - 1)->data(Qt::UserRole).toInt();
    list->setCurrentRow(0);
    ASSERT_TRUE(testsupport::Click(&d, "UpBtn"));  // nothing at the top
    EXPECT_EQ(list->item(0)->data(Qt::UserRole).toInt(), first);
    ASSERT_TRUE(testsupport::Click(&d, "DownBtn"));
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->item(1)->data(Qt::UserRole).toInt(), first);
    list->setCurrentRow(count - 1);
    ASSERT_TRUE(testsupport::Click(&d, "DownBtn"));  // nothing at the bottom
    EXPECT_EQ(list->item(count - 1)->data(Qt::UserRole).toInt(), last);
    d.WriteTabOrder();
    EXPECT_EQ(views.ViewDefs[2].FieldDefs[size_t(first)].FieldTabOrder, 1);
}

TEST_F(ViewPropertiesTest, hidden_fields_are_listed_and_shown_again_but_not_those_marked_for_deletion) {
    views.ViewDefs[2].FieldDefs[0].FieldIsVisible = false;
    views.ViewDefs[2].FieldDefs[1].FieldIsVisible = false;
    views.ViewDefs[2].FieldDefs[2].FieldIsVisible = false;
    views.ViewDefs[2].FieldDefs[2].MarkedForDelete = true;
    THiddenFieldList d(views, 2);
    d.show();
    testsupport::GrabToPng(&d, "hidden_fields");
    auto* list = FindControl<QListWidget>(&d, "FieldList");
    ASSERT_EQ(list->count(), 2);
    {
        DialogAnswerer answers;
        answers.ExpectMessage("You must select at least one field in the list.", ui::Button::Ok);
        ASSERT_TRUE(testsupport::Click(&d, "ShowBtn"));
    }
    list->selectAll();
    ASSERT_TRUE(testsupport::Click(&d, "ShowBtn"));
    EXPECT_TRUE(views.ViewDefs[2].FieldDefs[0].FieldIsVisible);
    EXPECT_TRUE(views.ViewDefs[2].FieldDefs[1].FieldIsVisible);
    EXPECT_FALSE(views.ViewDefs[2].FieldDefs[2].FieldIsVisible);

    DialogAnswerer answers;
    answers.ExpectMessage("There are no hidden fields in the ", ui::Button::Ok, ui::MessageKind::Information);
    core::ShowHiddenFields(views, 0);
}

}  // namespace
