#include "core/gui/field_properties.h"

#include "core/tests/sample_database.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

using testsupport::DialogAnswerer;
using testsupport::FindControl;

class FieldPropertiesTest : public coretest::SampleDatabase {
protected:
    void TearDown() override {
        dialog.reset();
        coretest::SampleDatabase::TearDown();
    }
    TFieldProperties* Open(int view, int field, bool isNew = false, QChar tool = u'S') {
        dialog = std::make_unique<TFieldProperties>(views, *tables, view, field, 40, 30, tool, isNew);
        dialog->show();
        return dialog.get();
    }
    int FieldIndex(int view, const QString& name) {
        const auto& defs = views.ViewDefs[size_t(view)].FieldDefs;
        for (size_t i = 0; i < defs.size(); ++i)
            if (defs[i].FieldName == name) return int(i);
        return -1;
    }
    void SetText(const char* name, const QString& text) { FindControl<QLineEdit>(dialog.get(), name)->setText(text); }
    void SetType(const QString& type) {
        auto* box = FindControl<QComboBox>(dialog.get(), "FP_Type");
        box->setCurrentIndex(box->findText(type));
    }
    QString Type() { return FindControl<QComboBox>(dialog.get(), "FP_Type")->currentText(); }
    std::unique_ptr<TFieldProperties> dialog;
};

TEST_F(FieldPropertiesTest, a_new_field_is_proposed_by_the_tool_and_added_to_the_definition) {
    const int count = views.GetViewFieldCount(0);
    Open(0, -1, true, u'S');
    testsupport::GrabToPng(dialog.get(), "field_properties_basics");
    EXPECT_EQ(dialog->windowTitle(), "Field & Label Properties");
    EXPECT_EQ(FindControl<QLineEdit>(dialog.get(), "FP_FieldName")->text(), QString("Field_%1").arg(count, 2, 10, QChar('0')));
    EXPECT_EQ(FindControl<QLineEdit>(dialog.get(), "FP_Length")->text(), "20");
    EXPECT_EQ(FindControl<QLineEdit>(dialog.get(), "FP_Top")->text(), "40");
    // The basic position puts the label just above the field.
    EXPECT_EQ(FindControl<QLineEdit>(dialog.get(), "FP_LabelTop")->text().toInt() +
                  FindControl<QLineEdit>(dialog.get(), "FP_LabelHeight")->text().toInt() + 2,
              40);
    FindControl<QTabWidget>(dialog.get(), "PageControl")->setCurrentIndex(1);
    testsupport::GrabToPng(dialog.get(), "field_properties_options");
    FindControl<QTabWidget>(dialog.get(), "PageControl")->setCurrentIndex(2);
    testsupport::GrabToPng(dialog.get(), "field_properties_label");
    ASSERT_TRUE(testsupport::Click(dialog.get(), "OKBtn"));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(views.GetViewFieldCount(0), count + 1);
    const TViewFieldDef& f = views.ViewDefs[0].FieldDefs.back();
    EXPECT_TRUE(f.IsNew);
    EXPECT_EQ(f.FieldType, u'S');
    EXPECT_EQ(f.FieldLength, 20);
    EXPECT_EQ(f.FieldTabOrder, count);
    EXPECT_EQ(dialog->ResultField(), count);

    Open(0, -1, true, u'B');
    EXPECT_EQ(Type(), "True/False");
    EXPECT_TRUE(FindControl<QLineEdit>(dialog.get(), "FP_Length")->text().isEmpty());
    EXPECT_FALSE(FindControl<QLineEdit>(dialog.get(), "FP_Length")->isEnabled());
}

TEST_F(FieldPropertiesTest, type_changes_of_stored_columns_follow_the_conversion_rules) {
    const int number = FieldIndex(0, "PackageCount");
    Open(0, number);
    {
        DialogAnswerer answers;
        answers.ExpectMessage("Only String fields can be converted to Date fields", ui::Button::Ok, ui::MessageKind::Error);
        SetType("Date");
    }
    EXPECT_EQ(Type(), "Number");

    const int text = FieldIndex(0, "SectionName");
    const short length = views.ViewDefs[0].FieldDefs[size_t(text)].FieldLength;
    Open(0, text);
    SetType("Number");
    EXPECT_TRUE(FindControl<QLineEdit>(dialog.get(), "FP_Length")->text().isEmpty());
    SetType("String");
    EXPECT_EQ(FindControl<QLineEdit>(dialog.get(), "FP_Length")->text(), QString::number(length));
    SetType("Date");
    EXPECT_EQ(Type(), "Date");  // a stored String may become a Date
}

TEST_F(FieldPropertiesTest, names_must_be_valid_and_unique_in_any_letter_case) {
    const int field = FieldIndex(0, "SectionName");
    struct Case {
        const char* name;
        const char* message;
    };
    static const Case cases[] = {
        {"  ", "The field name cannot be blank."},
        {"packagecount", "A field named \"packagecount\" already exists in this View."},
        {"SECTIONNAME", "A field named \"SECTIONNAME\" already exists in this View."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(0, field);
        SetText("FP_FieldName", c.name);
        DialogAnswerer answers;
        answers.ExpectMessage(QRegularExpression::escape(c.message), ui::Button::Ok, ui::MessageKind::Error);
        ASSERT_TRUE(testsupport::Click(dialog.get(), "OKBtn"));
        EXPECT_NE(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(views.ViewDefs[0].FieldDefs[size_t(field)].FieldName, "SectionName");
    }
}

TEST_F(FieldPropertiesTest, a_shorter_length_is_asked_once_and_a_longer_one_marks_the_field_for_restructure) {
    const int field = FieldIndex(0, "SectionName");
    const short length = views.ViewDefs[0].FieldDefs[size_t(field)].FieldLength;
    Open(0, field);
    SetText("FP_Length", QString::number(length - 1));
    {
        DialogAnswerer answers;
        answers.ExpectMessage("Changing the field length from", ui::Button::No, ui::MessageKind::Warning);
        ASSERT_TRUE(testsupport::Click(dialog.get(), "OKBtn"));
        ASSERT_TRUE(testsupport::Click(dialog.get(), "OKBtn"));  // not asked again
    }
    EXPECT_FALSE(views.ViewDefs[0].FieldDefs[size_t(field)].IsChanged);

    Open(0, field);
    SetText("FP_Length", QString::number(length + 5));
    ASSERT_TRUE(testsupport::Click(dialog.get(), "OKBtn"));
    const TViewFieldDef& f = views.ViewDefs[0].FieldDefs[size_t(field)];
    EXPECT_TRUE(f.IsChanged);
    EXPECT_EQ(f.OriginalLength, length);
    EXPECT_EQ(f.FieldLength, length + 5);
}

TEST_F(FieldPropertiesTest, masks_are_checked_against_the_field_type) {
    const int number = FieldIndex(0, "PackageCount");
    const int real = FieldIndex(0, "TotalSizeMiB");
    core::WriteRegBool("Preferences", "Messages", "Confirmation", "Field Properties: Mask Change", false);
    struct Case {
        int field;
        const char* mask;
        bool ok;
    };
    const Case cases[] = {
        {real, "-###.##", true}, {real, "##.#.#", false}, {number, "##.##", false},
        {number, "#-#", false},  {number, "$####", true},  {number, "####;", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        Open(0, c.field);
        SetText("FP_Mask", c.mask);
        DialogAnswerer answers;
        if (!c.ok)
            answers.ExpectMessage("There are characters in the Mask that are not valid for the field.", ui::Button::Ok);
        ASSERT_TRUE(testsupport::Click(dialog.get(), "OKBtn"));
        EXPECT_EQ(dialog->result() == QDialog::Accepted, c.ok);
        if (c.ok && c.field == real) {
            EXPECT_TRUE(views.ViewDefs[0].FieldDefs[size_t(real)].FieldMaskLiteral);
        }
    }
}

TEST_F(FieldPropertiesTest, closing_after_a_change_and_answering_no_leaves_the_definition_untouched) {
    const int field = FieldIndex(0, "SectionName");
    const TViewFieldDef before = views.ViewDefs[0].FieldDefs[size_t(field)];
    Open(0, field);
    QTest::keyClicks(FindControl<QLineEdit>(dialog.get(), "FP_LabelCaption"), "X");
    EXPECT_TRUE(dialog->Modified());
    {
        DialogAnswerer answers;
        answers.ExpectMessage("Do you want to save your changes\\?", ui::Button::No, ui::MessageKind::Confirmation);
        dialog->close();
    }
    EXPECT_EQ(dialog->ResultField(), -1);
    EXPECT_EQ(views.ViewDefs[0].FieldDefs[size_t(field)].LabelCaption, before.LabelCaption);
}

}  // namespace
