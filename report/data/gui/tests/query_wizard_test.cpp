// The query wizard walked offscreen on a database folder with the records manager's
// dictionary: a query through all seven steps whose SQL equals the query model's golden text,
// every refusal of the steps, the criteria menu, the sort buttons and the follow-up.

#include "report/data/gui/data_gui_texts.h"
#include "report/data/gui/join_dialogs.h"
#include "report/data/gui/query_wizard.h"

#include "report/data/engine_plugin.h"
#include "report/data/gui/tests/query_view_fixture.h"
#include "report/data/tests/dictionary_fixture.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/output/wizard.h"

#include "platform/db/database.h"
#include "platform/db/table.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include "test_paths.h"

using data_test::FieldType;
using testsupport::Click;
using testsupport::DialogAnswerer;
using testsupport::FindControl;

namespace {

QStringList lines(QListWidget* aList) {
    QStringList out;
    for (int i = 0; i < aList->count(); ++i) out << aList->item(i)->text();
    return out;
}

QListWidgetItem* line(QListWidget* aList, const QString& aText) {
    const QList<QListWidgetItem*> found = aList->findItems(aText, Qt::MatchExactly);
    if (found.size() != 1) ADD_FAILURE() << "no single line " << aText.toStdString() << " in " << aList->objectName().toStdString();
    return found.value(0);
}

/// A double click on the line, as the mouse gives it.
void doubleClick(QListWidget* aList, QListWidgetItem* aLine) {
    ASSERT_NE(aLine, nullptr);
    aList->scrollToItem(aLine);
    const QPoint at = aList->visualItemRect(aLine).center();
    QTest::mouseClick(aList->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(aList->viewport(), Qt::LeftButton, {}, at);
}

/// A click on the line (selecting only it).
void click(QListWidget* aList, QListWidgetItem* aLine, Qt::KeyboardModifiers aModifiers = {}) {
    ASSERT_NE(aLine, nullptr);
    QTest::mouseClick(aList->viewport(), Qt::LeftButton, aModifiers, aList->visualItemRect(aLine).center());
}

/// The text of the SQL type's section of a golden file of the query model ("-- sqBDELocal").
QString goldenSection(const QString& aName, const QString& aType) {
    QFile f(QStringLiteral(SQL_GOLDEN_DIR "/") + aName + QStringLiteral(".sql"));
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("(missing golden file %1)").arg(f.fileName());
    const QString all = QString::fromUtf8(f.readAll());
    const QString head = QStringLiteral("-- ") + aType + u'\n';
    const qsizetype start = all.indexOf(head);
    if (start < 0) return QStringLiteral("(no section %1)").arg(aType);
    const qsizetype end = all.indexOf(QStringLiteral("\n\n"), start);
    return all.mid(start + head.size(), end - start - head.size());
}

class QueryWizardWindow : public data_test::QueryViewFolder {
protected:
    void SetUp() override {
        QueryViewFolder::SetUp();
        report::data::InitializeDataGuiUnit();
        report::RegisterReportClasses();
        report::RegisterPipelineClasses();
        {
            // A View without a number field.
            db::Table tables, fields;
            open(tables, "tsTable.db");
            open(fields, "tsField.db");
            postTable(tables, fields, "Sections.db", "Sections",
                      {{"Section", "Section", "dtString"}, {"Description", "Description", "dtString"}});
        }
        db::CreateTableFile(Folder(), "Sections.db",
                            {{{"Section", FieldType::ftString, 40, false},
                              {"Description", FieldType::ftString, 60, false}},
                             {}});
        setUpQueryView();
        Wizard = std::make_unique<TdaQueryWizard>();
        TppDataSettings* s = Wizard->DataSettings();
        useReportDatabase(s);
        Wizard->OnGetDataView = [this](QObject*, TdaDataView*& aView) { aView = View; };
    }
    void TearDown() override { Wizard.reset(); }

    bool run(std::function<void(TdaQueryWizardDialog&)> drive) {
        Answerer.ExpectModal<TdaQueryWizardDialog>(std::move(drive));
        return Wizard->Execute();
    }

    static QWidget* step(TdaQueryWizardDialog& f) { return f.PageControl()->currentWidget(); }
    static QString stepName(TdaQueryWizardDialog& f) { return step(f)->objectName(); }
    static QListWidget* left(TdaQueryWizardDialog& f) { return FindControl<QListWidget>(step(f), "lbxAvailable"); }
    static QListWidget* right(TdaQueryWizardDialog& f) { return FindControl<QListWidget>(step(f), "lbxSelected"); }
    static void next(TdaQueryWizardDialog& f) { Click(&f, "btnNext"); }
    template <class P>
    static P* page(TdaQueryWizardDialog& f) {
        return qobject_cast<P*>(f.CurrentPage());
    }
    /// Which of the four buttons show.
    static QString buttons(TdaQueryWizardDialog& f) {
        QString out;
        for (const char* name : {"btnCancel", "btnPrevious", "btnNext", "btnFinish"})
            if (FindControl<QPushButton>(&f, name)->isVisible()) out += QString::fromLatin1(name).mid(3, 1);
        return out;
    }

    /// Step 1 with Packages chosen, then Next.
    void packagesThenNext(TdaQueryWizardDialog& f) {
        doubleClick(left(f), line(left(f), "Packages"));
        ASSERT_EQ(lines(right(f)), QStringList({"Packages"}));
        next(f);
        ASSERT_EQ(stepName(f), "tshFields");
    }

    std::unique_ptr<TdaQueryWizard> Wizard;
    DialogAnswerer Answerer;
};

// ---- a query through every step ------------------------------------------------------------

TEST_F(QueryWizardWindow, a_query_through_every_step_gives_the_view_the_models_golden_sql_and_the_preview) {
    const bool ok = run([&](TdaQueryWizardDialog& f) {
        EXPECT_EQ(f.windowTitle(), "Query Wizard");
        EXPECT_EQ(f.size(), QSize(490, 362));
        EXPECT_EQ(FindControl<QPushButton>(&f, "btnPrevious")->text(), "< Back");
        EXPECT_EQ(FindControl<QPushButton>(&f, "btnNext")->text(), "Next >");
        EXPECT_EQ(FindControl<QPushButton>(&f, "btnFinish")->text(), "Finish");
        EXPECT_EQ(buttons(f), "CN");

        // 1. Tables: greyed tables cannot be joined; a chosen table leaves the left list.
        EXPECT_EQ(stepName(f), "tshTables");
        EXPECT_EQ(FindControl<QLabel>(step(f), "lblInstruction")->text(), "Select the tables that you want to query.");
        EXPECT_EQ(lines(left(f)), QStringList({"Maintainers", "Packages", "Sections", "Tree"}));
        testsupport::GrabToPng(&f, "query_wizard_1_tables_empty");
        doubleClick(left(f), line(left(f), "Packages"));
        EXPECT_EQ(lines(right(f)), QStringList({"Packages"}));
        EXPECT_FALSE(lines(left(f)).contains("Packages"));
        testsupport::GrabToPng(&f, "query_wizard_1_tables");
        next(f);

        // 2. Fields: the first visit takes every field; "Choose Fields" gives them back.
        EXPECT_EQ(stepName(f), "tshFields");
        EXPECT_EQ(buttons(f), "CPN");
        EXPECT_TRUE(FindControl<QRadioButton>(step(f), "rbnOption1")->isChecked());
        EXPECT_EQ(lines(right(f)), QStringList({"Branch ID", "Notes", "Package", "Installed-Size", "Priority"}));
        EXPECT_FALSE(FindControl<QWidget>(step(f), "pnlLists")->isVisible());
        Click(step(f), "rbnOption2");
        EXPECT_TRUE(FindControl<QWidget>(step(f), "pnlLists")->isVisible());
        EXPECT_EQ(right(f)->count(), 0);
        EXPECT_EQ(left(f)->count(), 5);
        // Select all, deselect all, then three fields in the order wanted.
        Click(step(f), "btnSelectAll");
        EXPECT_EQ(right(f)->count(), 5);
        Click(step(f), "btnDeselectAll");
        EXPECT_EQ(right(f)->count(), 0);
        for (const char* name : {"Packages.Priority", "Packages.Package"}) doubleClick(left(f), line(left(f), name));
        // The select button takes the selected left lines; drag and drop does the same.
        click(left(f), line(left(f), "Packages.Notes"));
        Click(step(f), "btnSelect");
        EXPECT_EQ(lines(right(f)), QStringList({"Priority", "Package", "Notes"}));
        click(right(f), line(right(f), "Notes"));
        page<TdaWizardDualListPage>(f)->AvailableDragDrop(right(f));
        EXPECT_EQ(lines(right(f)), QStringList({"Priority", "Package"}));
        click(left(f), line(left(f), "Packages.Branch ID"));
        page<TdaWizardDualListPage>(f)->SelectedDragDrop(left(f));
        EXPECT_EQ(lines(right(f)), QStringList({"Priority", "Package", "Branch ID"}));
        // A drop from elsewhere is not taken.
        EXPECT_FALSE(page<TdaWizardDualListPage>(f)->SelectedDragOver(right(f)));
        // Move buttons: the first line does not go up; the last goes up and stays selected.
        EXPECT_TRUE(FindControl<QPushButton>(step(f), "btnMoveUp")->isEnabled());
        click(right(f), line(right(f), "Priority"));
        Click(step(f), "btnMoveUp");
        EXPECT_EQ(lines(right(f)), QStringList({"Priority", "Package", "Branch ID"}));
        click(right(f), line(right(f), "Package"));
        Click(step(f), "btnMoveDown");
        EXPECT_EQ(lines(right(f)), QStringList({"Priority", "Branch ID", "Package"}));
        EXPECT_TRUE(line(right(f), "Package")->isSelected());
        Click(step(f), "btnMoveUp");
        EXPECT_EQ(lines(right(f)), QStringList({"Priority", "Package", "Branch ID"}));
        testsupport::GrabToPng(&f, "query_wizard_2_fields");
        next(f);

        // 3. Calculations: through the Calculated Fields dialog, Sum preset.
        EXPECT_EQ(stepName(f), "tshCalcs");
        EXPECT_TRUE(FindControl<QRadioButton>(step(f), "rbnOption1")->isChecked());
        Click(step(f), "rbnOption2");
        Answerer.ExpectModal<TdaFunctionDialog>([](TdaFunctionDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Calculated Fields");
            QStringList functions;
            for (int i = 0; i < d.cbxFunctions->count(); ++i) functions << d.cbxFunctions->itemText(i);
            EXPECT_EQ(functions, QStringList({"Avg", "Count", "Max", "Min", "Sum"}));
            EXPECT_EQ(d.cbxFunctions->currentText(), "Sum");
            EXPECT_EQ(d.cbxAvailableFields->currentText(), "Packages.Installed-Size");
            testsupport::GrabToPng(&d, "query_wizard_3_function_dialog");
            Click(&d, "btnOK");
        });
        doubleClick(left(f), line(left(f), "Packages.Installed-Size"));
        EXPECT_EQ(lines(right(f)), QStringList({"Sum(Installed-Size)"}));
        // Entries stay on the left.
        EXPECT_TRUE(lines(left(f)).contains("Packages.Installed-Size"));
        testsupport::GrabToPng(&f, "query_wizard_3_calcs");
        next(f);

        // 4. Grouping: forced by the calculation; a group field that must stay is refused.
        EXPECT_EQ(stepName(f), "tshGroup");
        EXPECT_TRUE(FindControl<QRadioButton>(step(f), "rbnOption2")->isChecked());
        EXPECT_EQ(lines(right(f)), QStringList({"Packages.Priority", "Packages.Package", "Packages.Branch ID"}));
        Answerer.ExpectMessage("^Group field\\(s\\) cannot be removed\\.\n\nAny query which contains groups must be "
                               "grouped by all selected fields\\.$",
                               ui::Button::Ok, ui::MessageKind::Error);
        doubleClick(right(f), line(right(f), "Packages.Priority"));
        EXPECT_EQ(right(f)->count(), 3);
        Answerer.ExpectMessage("^Group field\\(s\\) cannot be removed\\.\n\nAny query which contains calculations must "
                               "be grouped by all selected fields\\.$",
                               ui::Button::Ok, ui::MessageKind::Error);
        Click(step(f), "rbnOption1");
        EXPECT_TRUE(FindControl<QRadioButton>(step(f), "rbnOption2")->isChecked());
        EXPECT_TRUE(FindControl<QWidget>(step(f), "pnlLists")->isVisible());
        EXPECT_EQ(right(f)->count(), 3);
        testsupport::GrabToPng(&f, "query_wizard_4_group");
        next(f);

        // 5. Search: all rows.
        EXPECT_EQ(stepName(f), "tshSearch");
        EXPECT_TRUE(FindControl<QRadioButton>(step(f), "rbnOption1")->isChecked());
        EXPECT_FALSE(FindControl<QListWidget>(step(f), "lbxAvailable")->isVisibleTo(step(f)));
        testsupport::GrabToPng(&f, "query_wizard_5_search_all_rows");
        next(f);

        // 6. Sort: on the calculation (the last entry), ascending.
        EXPECT_EQ(stepName(f), "tshSort");
        EXPECT_TRUE(FindControl<QRadioButton>(step(f), "rbnOption1")->isChecked());
        Click(step(f), "rbnOption2");
        doubleClick(left(f), left(f)->item(left(f)->count() - 1));
        EXPECT_EQ(lines(right(f)), QStringList({"Sum(Packages.Installed-Size)"}));
        EXPECT_TRUE(FindControl<QToolButton>(step(f), "spbAscending")->isChecked());
        testsupport::GrabToPng(&f, "query_wizard_6_sort");
        next(f);

        // 7. Finish: the description names the pipeline when it is left.
        EXPECT_EQ(stepName(f), "tshFinish");
        EXPECT_EQ(buttons(f), "CPF");
        EXPECT_TRUE(FindControl<QRadioButton>(step(f), "rbnPreview")->isChecked());
        QLineEdit* description = FindControl<QLineEdit>(step(f), "edtDescription");
        description->clear();
        testsupport::Type(step(f), "edtDescription", "Package sizes by priority");
        Q_EMIT description->editingFinished();
        EXPECT_EQ(FindControl<QLineEdit>(step(f), "edtDataPipelineName")->text(), "plPackage_sizes_by_priority");
        testsupport::GrabToPng(&f, "query_wizard_7_finish");
        Click(&f, "btnFinish");
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(Wizard->FollowUp, 2);
    EXPECT_TRUE(View->Complete());
    EXPECT_FALSE(View->SQL()->Modified());
    EXPECT_EQ(View->SQL()->Description(), "Package sizes by priority");
    EXPECT_EQ(View->SQL()->DataPipelineName(), "plPackage_sizes_by_priority");
    // The same model as the editing operations' grouping case, in both SQL types.
    EXPECT_EQ(View->SQL()->SQLText().join(u'\n'), goldenSection("edited_grouping", "sqBDELocal"));
    View->SQL()->SetSQLType(TppSQLType::sqSQL2);
    EXPECT_EQ(View->SQL()->SQLText().join(u'\n'), goldenSection("edited_grouping", "sqSQL2"));
}

// ---- refusals ------------------------------------------------------------------------------

TEST_F(QueryWizardWindow, next_without_a_table_stays_and_a_table_is_never_chosen_twice) {
    const bool ok = run([&](TdaQueryWizardDialog& f) {
        next(f);
        EXPECT_EQ(stepName(f), "tshTables");
        EXPECT_EQ(f.CurrentIndex(), 0);
        // Choosing, giving back, choosing again: one line on the right.
        doubleClick(left(f), line(left(f), "Packages"));
        doubleClick(right(f), line(right(f), "Packages"));
        EXPECT_EQ(right(f)->count(), 0);
        EXPECT_TRUE(lines(left(f)).contains("Packages"));
        doubleClick(left(f), line(left(f), "Packages"));
        EXPECT_EQ(lines(right(f)), QStringList({"Packages"}));
        EXPECT_FALSE(lines(left(f)).contains("Packages"));
        next(f);
        EXPECT_EQ(stepName(f), "tshFields");
        // Back shows the previous step without a check; the choice is still there.
        Click(&f, "btnPrevious");
        EXPECT_EQ(stepName(f), "tshTables");
        EXPECT_EQ(lines(right(f)), QStringList({"Packages"}));
        Click(&f, "btnCancel");
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(View->SQL()->SelectedTableCount(), 0);
    EXPECT_EQ(Wizard->FollowUp, 0);
}

TEST_F(QueryWizardWindow, an_unjoinable_table_is_grey_and_refused_and_the_join_button_opens_the_join_dialog) {
    Dictionary->SetAllowManualJoins(false);
    run([&](TdaQueryWizardDialog& f) {
        EXPECT_EQ(step(f)->findChild<QPushButton*>("btnJoin"), nullptr);
        doubleClick(left(f), line(left(f), "Packages"));
        QListWidgetItem* sections = line(left(f), "Sections");
        auto* table = qobject_cast<TdaTable*>(sections->data(Qt::UserRole).value<QObject*>());
        ASSERT_NE(table, nullptr);
        EXPECT_FALSE(table->Joinable());
        const QStringList before = lines(left(f));
        doubleClick(left(f), sections);
        EXPECT_EQ(lines(left(f)), before);
        EXPECT_EQ(lines(right(f)), QStringList({"Packages"}));
        testsupport::GrabToPng(&f, "query_wizard_1_tables_unjoinable");
        Click(&f, "btnCancel");
    });
    // With manual joins the right list is shorter and the Join button edits a table's joins.
    Dictionary->SetAllowManualJoins(true);
    run([&](TdaQueryWizardDialog& f) {
        QPushButton* join = FindControl<QPushButton>(step(f), "btnJoin");
        EXPECT_EQ(right(f)->height(), 172);
        EXPECT_FALSE(join->isEnabled());
        doubleClick(left(f), line(left(f), "Packages"));
        doubleClick(left(f), line(left(f), "Tree"));
        click(right(f), line(right(f), "Packages"));
        EXPECT_FALSE(join->isEnabled());
        click(right(f), line(right(f), "Tree"));
        EXPECT_TRUE(join->isEnabled());
        Answerer.ExpectModal<TdaJoinTableDialog>([](TdaJoinTableDialog& d) {
            EXPECT_EQ(d.JoinToTable()->TableAlias(), "Packages");
            Click(&d, "btnCancel");
        });
        Click(step(f), "btnJoin");
        EXPECT_EQ(Answerer.Pending(), 0);  // the join dialog came
        Click(&f, "btnCancel");
    });
}

TEST_F(QueryWizardWindow, without_a_number_field_no_calculation_is_made) {
    run([&](TdaQueryWizardDialog& f) {
        doubleClick(left(f), line(left(f), "Sections"));
        next(f);
        next(f);
        ASSERT_EQ(stepName(f), "tshCalcs");
        Click(step(f), "rbnOption2");
        Answerer.ExpectMessage("^Unable to create calculated field\\.\n\nThere are no numeric fields on which to base "
                               "calculations\\.$",
                               ui::Button::Ok, ui::MessageKind::Error);
        doubleClick(left(f), line(left(f), "Sections.Section"));
        EXPECT_EQ(right(f)->count(), 0);
        EXPECT_EQ(f.SQL()->CalcFieldCount(), 0);
        Click(&f, "btnCancel");
    });
    EXPECT_EQ(Answerer.Messages().size(), 1u);
    EXPECT_EQ(Answerer.Messages().front().caption, "Query Wizard");
}

TEST_F(QueryWizardWindow, with_a_calculation_grouping_is_forced_and_next_needs_a_group_field) {
    run([&](TdaQueryWizardDialog& f) {
        packagesThenNext(f);
        Click(step(f), "rbnOption2");  // no field selected
        next(f);
        Click(step(f), "rbnOption2");
        Answerer.ExpectModal<TdaFunctionDialog>([](TdaFunctionDialog& d) {
            d.cbxFunctions->setCurrentIndex(int(TdaCalcType::dacaMax));
            Click(&d, "btnOK");
        });
        doubleClick(left(f), line(left(f), "Packages.Installed-Size"));
        EXPECT_EQ(lines(right(f)), QStringList({"Max(Installed-Size)"}));
        // "Function" changes the calculation through the dialog.
        click(right(f), right(f)->item(0));
        Answerer.ExpectModal<TdaFunctionDialog>([](TdaFunctionDialog& d) {
            EXPECT_EQ(d.cbxFunctions->currentText(), "Max");
            d.cbxFunctions->setCurrentIndex(int(TdaCalcType::dacaAvg));
            Click(&d, "btnOK");
        });
        Click(step(f), "btnFunction");
        EXPECT_EQ(lines(right(f)), QStringList({"Avg(Installed-Size)"}));
        next(f);

        ASSERT_EQ(stepName(f), "tshGroup");
        EXPECT_EQ(right(f)->count(), 0);
        Answerer.ExpectMessage("^Group field\\(s\\) cannot be removed\\.\n\nAny query which contains calculations",
                               ui::Button::Ok);
        Click(step(f), "rbnOption1");
        EXPECT_TRUE(FindControl<QRadioButton>(step(f), "rbnOption2")->isChecked());
        Answerer.ExpectMessage("^At least one group field must be selected\\.\n\nAny query which contains "
                               "calculations must be grouped by at least one field\\.$",
                               ui::Button::Ok, ui::MessageKind::Error);
        next(f);
        EXPECT_EQ(stepName(f), "tshGroup");
        doubleClick(left(f), line(left(f), "Packages.Priority"));
        next(f);
        EXPECT_EQ(stepName(f), "tshSearch");
        // Without calculations "No Grouping" frees the group fields.
        Click(&f, "btnPrevious");
        Click(&f, "btnPrevious");
        Click(step(f), "rbnOption1");
        EXPECT_EQ(f.SQL()->CalcFieldCount(), 0);
        next(f);
        // The group fields went with the last calculation.
        EXPECT_TRUE(FindControl<QRadioButton>(step(f), "rbnOption1")->isChecked());
        Click(step(f), "rbnOption2");
        doubleClick(left(f), line(left(f), "Packages.Package"));
        EXPECT_EQ(f.SQL()->GroupByFieldCount(), 1);
        Click(step(f), "rbnOption1");
        EXPECT_EQ(f.SQL()->GroupByFieldCount(), 0);
        EXPECT_FALSE(FindControl<QWidget>(step(f), "pnlLists")->isVisible());
        Click(&f, "btnCancel");
    });
}

// ---- the criteria step ---------------------------------------------------------------------

TEST_F(QueryWizardWindow, criteria_are_inserted_edited_indented_and_moved_through_the_menu) {
    run([&](TdaQueryWizardDialog& f) {
        packagesThenNext(f);
        for (int i = 0; i < 3; ++i) next(f);
        ASSERT_EQ(stepName(f), "tshSearch");
        EXPECT_EQ(FindControl<QLabel>(step(f), "lblInstruction")->text(),
                  "Limit the rows returned.\n\n\nRight-click over the list box to see the edit options.");
        Click(step(f), "rbnOption2");
        QWidget* s = step(f);
        auto insert = [&](const QString& aField, TdaCriteriaOperatorType aOperator, const QString& aValue) {
            Answerer.ExpectModal<TdaCriteriaDialog>([=](TdaCriteriaDialog& d) {
                EXPECT_EQ(d.cbxAvailableFields->currentIndex(), 0);
                EXPECT_EQ(d.cbxOperators->currentIndex(), 0);
                d.cbxAvailableFields->setCurrentIndex(d.cbxAvailableFields->findText(aField));
                d.cbxOperators->setCurrentIndex(int(aOperator));
                d.edtValue->setText(aValue);
                Click(&d, "btnOK");
            });
            FindControl<QAction>(s, "mniInsertCriteria")->trigger();
        };
        insert("Packages.Priority", TdaCriteriaOperatorType::dacoEqual, "required");
        // Inserted at the first selected line: above Priority.
        click(right(f), right(f)->item(0));
        insert("Packages.Package", TdaCriteriaOperatorType::dacoLike, "lib%");
        EXPECT_EQ(lines(right(f)), QStringList({"Packages.Package Like lib%", "Packages.Priority = required"}));
        click(right(f), right(f)->item(1));
        FindControl<QAction>(s, "mniInsertOR")->trigger();
        EXPECT_EQ(lines(right(f)), QStringList({"Packages.Package Like lib%", "OR", "Packages.Priority = required"}));
        // Parentheses around all three; the inner lines are indented one level.
        right(f)->selectAll();
        FindControl<QAction>(s, "mniAddParentheses")->trigger();
        EXPECT_EQ(right(f)->count(), 5);
        auto level = [&](int i) {
            return qobject_cast<TdaCriteria*>(right(f)->item(i)->data(Qt::UserRole).value<QObject*>())->Level();
        };
        EXPECT_EQ(QList<int>({level(0), level(1), level(2), level(3), level(4)}), QList<int>({0, 1, 1, 1, 0}));
        testsupport::GrabToPng(&f, "query_wizard_5_search");
        // Edit: exactly one field line.
        click(right(f), right(f)->item(3));
        Answerer.ExpectModal<TdaCriteriaDialog>([](TdaCriteriaDialog& d) {
            EXPECT_EQ(d.cbxAvailableFields->currentText(), "Packages.Priority");
            EXPECT_EQ(d.cbxOperators->currentIndex(), int(TdaCriteriaOperatorType::dacoEqual));
            d.cbxOperators->setCurrentIndex(int(TdaCriteriaOperatorType::dacoNotEqual));
            d.edtValue->setText("extra");
            Click(&d, "btnOK");
        });
        FindControl<QAction>(s, "mniEditCriteria")->trigger();
        EXPECT_EQ(right(f)->item(3)->text(), "Packages.Priority <> extra");
        // Parenthesis lines never move: moving "(" and the first condition down moves only the
        // condition.
        click(right(f), right(f)->item(0));
        click(right(f), right(f)->item(1), Qt::ControlModifier);
        Click(s, "btnMoveDown");
        EXPECT_EQ(lines(right(f)),
                  QStringList({"begin", "OR", "Packages.Package Like lib%", "Packages.Priority <> extra", "end"}));
        // Remove refuses parentheses; "Remove Parentheses" takes them out.
        click(right(f), right(f)->item(0));
        FindControl<QAction>(s, "mniRemove")->trigger();
        EXPECT_EQ(right(f)->count(), 5);
        click(right(f), right(f)->item(2));
        FindControl<QAction>(s, "mniRemoveParentheses")->trigger();  // no "(" just above: nothing
        EXPECT_EQ(right(f)->count(), 5);
        click(right(f), right(f)->item(0));
        FindControl<QAction>(s, "mniRemoveParentheses")->trigger();
        EXPECT_EQ(lines(right(f)), QStringList({"OR", "Packages.Package Like lib%", "Packages.Priority <> extra"}));
        click(right(f), right(f)->item(0));
        FindControl<QAction>(s, "mniRemove")->trigger();
        click(right(f), right(f)->item(0));
        FindControl<QAction>(s, "mniInsertNOT")->trigger();
        EXPECT_EQ(lines(right(f)), QStringList({"NOT", "Packages.Package Like lib%", "Packages.Priority <> extra"}));
        // A double click gives nothing back on this step.
        doubleClick(right(f), right(f)->item(1));
        EXPECT_EQ(right(f)->count(), 3);
        // "All Rows" hides the list and keeps the criteria while the step is shown ...
        Click(s, "rbnOption1");
        EXPECT_FALSE(FindControl<QWidget>(s, "pnlLists")->isVisible());
        EXPECT_EQ(f.SQL()->CriteriaCount(), 3);
        // ... and leaving the step with it keeps all rows.
        next(f);
        EXPECT_EQ(f.SQL()->CriteriaCount(), 0);
        EXPECT_FALSE(f.SQL()->SQLText().join(u' ').contains("WHERE"));
        Click(&f, "btnCancel");
    });
}

// ---- sort and finish -----------------------------------------------------------------------

TEST_F(QueryWizardWindow, sort_buttons_set_the_direction_and_finish_checks_and_follows_up) {
    int asked = 0;
    Wizard->OnValidateName = [&](QObject*, const QString& aName, bool& aValid) {
        ++asked;
        aValid = aName != "plTaken";
    };
    const bool ok = run([&](TdaQueryWizardDialog& f) {
        packagesThenNext(f);
        for (int i = 0; i < 4; ++i) next(f);
        ASSERT_EQ(stepName(f), "tshSort");
        Click(step(f), "rbnOption2");
        doubleClick(left(f), line(left(f), "Packages.Package"));
        doubleClick(left(f), line(left(f), "Packages.Priority"));
        click(right(f), line(right(f), "Packages.Package"));
        Click(step(f), "spbDescending");
        EXPECT_EQ(lines(right(f)), QStringList({"Packages.Package (Descending)", "Packages.Priority"}));
        click(right(f), right(f)->item(1));
        EXPECT_TRUE(FindControl<QToolButton>(step(f), "spbAscending")->isChecked());
        click(right(f), right(f)->item(0));
        EXPECT_TRUE(FindControl<QToolButton>(step(f), "spbDescending")->isChecked());
        Click(step(f), "spbAscending");
        EXPECT_EQ(right(f)->item(0)->text(), "Packages.Package");
        Click(step(f), "spbDescending");
        // "Natural Order" gives the sort fields back.
        Click(step(f), "rbnOption1");
        EXPECT_EQ(f.SQL()->OrderByFieldCount(), 0);
        Click(step(f), "rbnOption2");
        doubleClick(left(f), line(left(f), "Packages.Package"));
        click(right(f), right(f)->item(0));
        Click(step(f), "spbDescending");
        next(f);

        // An empty description is refused on the last step.
        ASSERT_EQ(stepName(f), "tshFinish");
        QLineEdit* description = FindControl<QLineEdit>(step(f), "edtDescription");
        description->clear();
        Q_EMIT description->textEdited(QString());
        Answerer.ExpectMessage("^Please enter a description of your query\\.$", ui::Button::Ok);
        Click(&f, "btnFinish");
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(stepName(f), "tshFinish");
        testsupport::Type(step(f), "edtDescription", "Taken");
        Q_EMIT description->editingFinished();
        // The owner refuses the pipeline name: the window stays.
        Click(&f, "btnFinish");
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(f.isVisible());
        QLineEdit* pipeline = FindControl<QLineEdit>(step(f), "edtDataPipelineName");
        pipeline->setFocus();  // leaving the description names the pipeline after it
        EXPECT_EQ(pipeline->text(), "plTaken");
        pipeline->clear();
        QTest::keyClicks(pipeline, "plPackagesDown");
        Click(step(f), "rbnModify");
        Click(&f, "btnFinish");
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Wizard->FollowUp, 1);
    EXPECT_EQ(View->SQL()->DataPipelineName(), "plPackagesDown");
    EXPECT_TRUE(View->SQL()->SQLText().join(u'\n').endsWith("ORDER BY Packages.Package DESC"))
        << View->SQL()->SQLText().join(u'\n').toStdString();
}

// ---- registration --------------------------------------------------------------------------

TEST_F(QueryWizardWindow, the_wizard_is_a_data_wizard_listed_before_the_designer) {
    TppWizardClassList list;
    daGetDataWizards(&TdaBDESession::staticMetaObject, list);
    QStringList captions;
    for (const auto& [caption, cls] : list) captions << caption;
    EXPECT_EQ(captions, QStringList({"Query Wizard", "Query Designer"}));
    ASSERT_FALSE(list.isEmpty());
    EXPECT_EQ(list.first().second, ppWizardClass<TdaQueryWizard>());
    EXPECT_EQ(list.first().second->Bitmap().size(), QSize(32, 32));
    std::unique_ptr<TppWizard> made(list.first().second->Create(nullptr));
    auto* wizard = qobject_cast<TdaQueryWizard*>(made.get());
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(wizard->Caption, "Query Wizard");
    EXPECT_EQ(wizard->DataViewClass(), &TdaQueryDataView::staticMetaObject);
    // Without a view nothing is shown.
    EXPECT_FALSE(wizard->Execute());
}

}  // namespace
