#include "core/gui/global_update.h"

#include "core/confirmation.h"
#include "core/global_update.h"
#include "core/internal/format_bridge.h"
#include "core/gui/confirm_dialogs.h"
#include "core/tests/sample_database.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "platform/base/day_time.h"
#include "platform/format/gui/masked_line_edit.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using core::UpdateCondition;
using testsupport::DialogAnswerer;
using testsupport::FindControl;

TEST(GlobalUpdateConditions, values_compare_by_their_type_never_as_padded_texts) {
    struct Case {
        QChar type;
        QVariant record;
        UpdateCondition condition;
        QString comparison;
        bool met;
    };
    const double day2000 = base::DateToDays(QDate(2000, 1, 2));
    const Case cases[] = {
        {u'N', qint64(-5), UpdateCondition::Less, "-3", true},
        {u'N', qint64(-3), UpdateCondition::Less, "-5", false},
        {u'N', qint64(100), UpdateCondition::Greater, "99", true},
        {u'N', qint64(7), UpdateCondition::Equal, "abc", false},
        {u'F', 1000000000.0, UpdateCondition::Greater, "999999999", true},
        {u'F', -2.5, UpdateCondition::LessOrEqual, "-2.5", true},
        {u'F', -2.5, UpdateCondition::Less, "-3", false},
        {u'D', day2000, UpdateCondition::Less, core::FormatShortDate(QDate(2000, 3, 1)), true},
        {u'D', day2000, UpdateCondition::GreaterOrEqual, core::FormatShortDate(QDate(2000, 1, 2)), true},
        {u'D', day2000, UpdateCondition::Greater, core::FormatShortDate(QDate(2000, 1, 2)), false},
        {u'D', day2000, UpdateCondition::Greater, core::FormatShortDate(QDate(1999, 12, 31)), true},
        {u'D', 0.0, UpdateCondition::Less, core::FormatShortDate(QDate(1900, 1, 1)), true},  // an empty date is the zero date
        {u'S', QString("DEBIAN"), UpdateCondition::Contains, "bia", true},
        {u'S', QString("DEBIAN"), UpdateCondition::Contains, "", false},
        {u'S', QString("ABC"), UpdateCondition::Less, "abd", true},
        {u'S', QString("X"), UpdateCondition::Always, "", true},
        {u'B', true, UpdateCondition::Equal, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString(c.type) + " " + c.record.toString() + " vs " + c.comparison);
        QVariant record = c.record;
        if (c.type == u'S') record = record.toString().toUpper();
        const auto comparison = core::ComparisonUpdateValue(c.comparison, false, c.type, {});
        EXPECT_EQ(core::MeetsUpdateCondition(record, c.condition, comparison, c.type), c.met);
    }
}

class GlobalUpdateTest : public coretest::SampleDatabase {
protected:
    void SetUp() override {
        coretest::SampleDatabase::SetUp();
        core::WriteRegBool("Preferences", "Messages", "Confirmation", "GlobalUpdate: Confirm Start", false);
        dialog = std::make_unique<TGlobalUpdate>(views, *tables, module.get());
        dialog->show();
    }
    void TearDown() override {
        dialog.reset();
        coretest::SampleDatabase::TearDown();
    }
    int FieldIndex(int view, const QString& name) {
        const auto& defs = views.ViewDefs[size_t(view)].FieldDefs;
        for (size_t i = 0; i < defs.size(); ++i)
            if (defs[i].FieldName == name) return int(i);
        return -1;
    }
    void Select(int view, const QString& field) {
        auto* viewList = FindControl<QListWidget>(dialog.get(), "ViewList");
        viewList->setCurrentRow(view);
        auto* fieldList = FindControl<QListWidget>(dialog.get(), "FieldList");
        const int f = FieldIndex(view, field);
        ASSERT_GE(f, 0);
        for (int row = 0; row < fieldList->count(); ++row)
            if (fieldList->item(row)->data(Qt::UserRole).toInt() == f) fieldList->setCurrentRow(row);
    }
    void SetBox(const char* name, const QString& text) {
        FindControl<format::MaskedLineEdit>(dialog.get(), name)->SetText(text);
    }
    void Condition(const QString& text) {
        auto* box = FindControl<QComboBox>(dialog.get(), "ConditionBox");
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text;
        box->setCurrentIndex(i);
    }
    /// Writes a column's value in the records at the given positions (0-based, NodeID order).
    std::vector<int> SetValues(int view, const QString& column, const std::vector<QVariant>& values) {
        TtsTable& t = *views.ViewDefs[size_t(view)].DataTable;
        std::vector<int> ids;
        t.First();
        for (const QVariant& v : values) {
            ids.push_back(t.FieldByName("NodeID")->AsInteger());
            t.Edit();
            if (v.typeId() == QMetaType::Double)
                t.FieldByName(column)->SetAsFloat(v.toDouble());
            else
                t.FieldByName(column)->SetAsInteger(v.toInt());
            t.Post();
            t.Next();
        }
        return ids;
    }
    QVariant ValueOf(int view, int nodeID, const QString& column) {
        TtsTable& t = *views.ViewDefs[size_t(view)].DataTable;
        EXPECT_TRUE(t.FindKey({nodeID}));
        return t.FieldByName(column)->Value();
    }
    std::unique_ptr<TGlobalUpdate> dialog;
};

TEST_F(GlobalUpdateTest, always_sets_a_string_field_in_every_record_and_the_word_table_follows) {
    testsupport::GrabToPng(dialog.get(), "global_update");
    Select(0, "SectionName");
    EXPECT_EQ(FindControl<QLineEdit>(dialog.get(), "TypeEdit")->text(), "String");
    EXPECT_FALSE(FindControl<QWidget>(dialog.get(), "CompareEdit")->isVisible());  // "Always"
    SetBox("NewValueEdit", "zyxwvutsr section");
    ASSERT_TRUE(testsupport::Click(dialog.get(), "StartBtn"));
    TtsTable& t = *views.ViewDefs[0].DataTable;
    int count = 0;
    for (t.First(); !t.Eof(); t.Next(), ++count) EXPECT_EQ(t.FieldByName("SectionName")->AsString(), "zyxwvutsr section");
    EXPECT_GT(count, 0);
    EXPECT_EQ(FindControl<QLabel>(dialog.get(), "PercentLabel")->text(), "100%");
    ExpectIndexCurrent(0);
    EXPECT_FALSE(RowsOf(folder, core::ViewDictTableFile(views.ViewDefs[0].DataTableName))
                     .filter(QRegularExpression("^zyxwvutsr\\|", QRegularExpression::CaseInsensitiveOption))
                     .isEmpty());
}

TEST_F(GlobalUpdateTest, number_conditions_compare_negative_and_large_values_as_numbers) {
    const std::vector<int> ids = SetValues(0, "PackageCount", {-5, -3, 1000000000, 999999999});
    Select(0, "PackageCount");
    Condition("value is less than");
    SetBox("CompareEdit", "-3");
    SetBox("NewValueEdit", "7");
    ASSERT_TRUE(testsupport::Click(dialog.get(), "StartBtn"));
    EXPECT_EQ(ValueOf(0, ids[0], "PackageCount").toInt(), 7);
    EXPECT_EQ(ValueOf(0, ids[1], "PackageCount").toInt(), -3);

    Condition("value is greater than");
    SetBox("CompareEdit", "999999999");
    SetBox("NewValueEdit", "-5");
    ASSERT_TRUE(testsupport::Click(dialog.get(), "StartBtn"));
    EXPECT_EQ(ValueOf(0, ids[2], "PackageCount").toInt(), -5);
    EXPECT_EQ(ValueOf(0, ids[3], "PackageCount").toInt(), 999999999);
}

TEST_F(GlobalUpdateTest, a_float_condition_counts_ten_integer_digits_as_more_than_nine) {
    const std::vector<int> ids = SetValues(0, "TotalSizeMiB", {QVariant(1000000000.0), QVariant(999999999.0)});
    Select(0, "TotalSizeMiB");
    Condition("value is greater than or equal to");
    SetBox("CompareEdit", "1000000000");
    SetBox("NewValueEdit", "1.5");
    ASSERT_TRUE(testsupport::Click(dialog.get(), "StartBtn"));
    EXPECT_DOUBLE_EQ(ValueOf(0, ids[0], "TotalSizeMiB").toDouble(), 1.5);
    EXPECT_DOUBLE_EQ(ValueOf(0, ids[1], "TotalSizeMiB").toDouble(), 999999999.0);
}

TEST_F(GlobalUpdateTest, bad_new_values_are_refused_before_anything_is_written) {
    Select(0, "PackageCount");
    const QStringList before = RowsOf(folder, core::ViewTableFile(views.ViewDefs[0].DataTableName));
    struct Case {
        const char* value;
        const char* message;
    };
    static const Case cases[] = {
        {"3000000000", "is too large to store in a Number field"},
        {"12x", "is not a valid integer number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        DialogAnswerer answers;
        answers.ExpectMessage(c.message, ui::Button::Ok, ui::MessageKind::Error);
        SetBox("NewValueEdit", c.value);
        ASSERT_TRUE(testsupport::Click(dialog.get(), "StartBtn"));
    }
    EXPECT_EQ(RowsOf(folder, core::ViewTableFile(views.ViewDefs[0].DataTableName)), before);
}

TEST_F(GlobalUpdateTest, the_start_is_confirmed_and_a_refusal_changes_nothing) {
    core::WriteRegBool("Preferences", "Messages", "Confirmation", "GlobalUpdate: Confirm Start", true);
    core::InstallConfirmationDialogs();
    Select(0, "SectionName");
    SetBox("NewValueEdit", "never written");
    const QStringList before = RowsOf(folder, core::ViewTableFile(views.ViewDefs[0].DataTableName));
    {
        DialogAnswerer answers;
        answers.ExpectModal<TConfirmer>([](TConfirmer& d) {
            EXPECT_TRUE(FindControl<QPlainTextEdit>(&d, "MsgMemo")->toPlainText().startsWith(
                "The field \"SectionName\" will be updated in all records in View \""));
            testsupport::Click(&d, "CancelBtn");
        });
        ASSERT_TRUE(testsupport::Click(dialog.get(), "StartBtn"));
    }
    core::SetConfirmationPresenter(nullptr);
    EXPECT_EQ(RowsOf(folder, core::ViewTableFile(views.ViewDefs[0].DataTableName)), before);
}

TEST_F(GlobalUpdateTest, stop_ends_the_run_after_the_current_record) {
    Select(2, "Summary");
    SetBox("NewValueEdit", "stopped early");
    TtsTable& t = *views.ViewDefs[2].DataTable;
    ASSERT_GT(t.RecordCount(), 3);
    QTimer::singleShot(0, dialog.get(), [this] {
        EXPECT_TRUE(FindControl<QPushButton>(dialog.get(), "StopBtn")->isVisible());
        EXPECT_FALSE(FindControl<QPushButton>(dialog.get(), "CloseBtn")->isEnabled());
        dialog->reject();  // refused while running
        testsupport::Click(dialog.get(), "StopBtn");
    });
    ASSERT_TRUE(testsupport::Click(dialog.get(), "StartBtn"));
    EXPECT_TRUE(dialog->isVisible());
    int changed = 0;
    for (t.First(); !t.Eof(); t.Next()) changed += t.FieldByName("Summary")->AsString() == "stopped early";
    EXPECT_EQ(changed, 1);
    EXPECT_TRUE(FindControl<QPushButton>(dialog.get(), "StartBtn")->isVisible());
    ExpectIndexCurrent(2);
}

}  // namespace
