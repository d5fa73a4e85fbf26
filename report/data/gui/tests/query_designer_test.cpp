// The query designer window and its dialogs, driven by object name on a database folder with
// the records manager's dictionary: a query built through all seven pages, what the pages
// refuse, typed SQL, closing, and the join, criteria and function dialogs.

#include "report/data/gui/data_gui_texts.h"
#include "report/data/gui/join_dialogs.h"
#include "report/data/gui/query_designer.h"
#include "report/data/gui/query_pages.h"

#include "report/data/engine_plugin.h"
#include "report/data/gui/tests/query_view_fixture.h"
#include "report/data/tests/dictionary_fixture.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/output/gui/list_view.h"

#include "platform/db/database.h"
#include "platform/db/table.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include "test_paths.h"

using testsupport::Click;
using testsupport::DialogAnswerer;
using testsupport::FindControl;
using data_test::FieldType;

namespace {

/// The texts of a list view's rows, one column.
QStringList column(TppListView* aList, int aColumn = 0) {
    QStringList out;
    for (QTreeWidgetItem* item : aList->Items()) out << item->text(aColumn);
    return out;
}

QTreeWidgetItem* row(TppListView* aList, const QString& aText, int aColumn = 0) {
    for (QTreeWidgetItem* item : aList->Items())
        if (item->text(aColumn) == aText) return item;
    ADD_FAILURE() << "no row " << aText.toStdString() << " in " << aList->objectName().toStdString();
    return nullptr;
}

/// A double click on the row, as the mouse gives it. The row is not selected before: a click on
/// a selected row of an editable list starts the view's delayed editing, whose timer would fire
/// after the double click has moved the row away when the machine is slow.
void doubleClick(TppListView* aList, QTreeWidgetItem* aItem) {
    ASSERT_NE(aItem, nullptr);
    aList->clearSelection();
    aList->setCurrentItem(nullptr);
    aList->scrollToItem(aItem);
    const QPoint at = aList->visualItemRect(aItem).center();
    QTest::mouseClick(aList->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(aList->viewport(), Qt::LeftButton, {}, at);
}

void selectOnly(TppListView* aList, std::initializer_list<QTreeWidgetItem*> aItems) {
    aList->clearSelection();
    for (QTreeWidgetItem* item : aItems) {
        ASSERT_NE(item, nullptr);
        item->setSelected(true);
        aList->setCurrentItem(item, 0, QItemSelectionModel::Select);
    }
}

/// Chooses an entry of a combo box as the user does (the activated signal).
void choose(QComboBox* aBox, const QString& aText) {
    ASSERT_NE(aBox, nullptr);
    const int index = aBox->findText(aText);
    ASSERT_GE(index, 0) << aText.toStdString();
    aBox->setCurrentIndex(index);
    Q_EMIT aBox->activated(index);
}

QString golden(const QString& aName, const QString& aActual) {
    const QString path = QStringLiteral(TEST_DATA_DIR "/") + aName;
    QFile f(path);
    if (qEnvironmentVariableIsSet("DOSSARA_UPDATE_GOLDEN")) {
        f.open(QIODevice::WriteOnly);
        f.write(aActual.toUtf8());
        return aActual;
    }
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("(missing golden file %1)").arg(path);
    return QString::fromUtf8(f.readAll());
}

class QueryDesignerWindow : public data_test::QueryViewFolder {
protected:
    void SetUp() override {
        QueryViewFolder::SetUp();
        report::data::InitializeDataGuiUnit();
        report::RegisterReportClasses();
        report::RegisterPipelineClasses();
        {
            // A View table as the records manager makes it: the branch's NodeID and TimeStamp
            // beside its own fields; no join row names it.
            db::Table tables, fields;
            open(tables, "tsTable.db");
            open(fields, "tsField.db");
            postTable(tables, fields, "Notes.db", "Release Notes",
                      {{"NodeID", "Branch ID", "dtLongInt"},
                       {"Version", "Version", "dtString"},
                       {"Summary", "Summary", "dtString"},
                       {"Downloads", "Downloads", "dtLongInt"},
                       {"TimeStamp", "Last Change Date/Time", "dtDateTime"}});
        }
        db::CreateTableFile(Folder(), "Notes.db",
                            {{{"NodeID", FieldType::ftInteger, 0, false},
                              {"Version", FieldType::ftString, 20, false},
                              {"Summary", FieldType::ftString, 60, false},
                              {"Downloads", FieldType::ftInteger, 0, false},
                              {"TimeStamp", FieldType::ftDateTime, 0, false}},
                             {}});
        setUpQueryView();
        Designer = std::make_unique<TdaQueryDesigner>();
        TppDataSettings* s = Designer->DataSettings();
        useReportDatabase(s);
        s->SetAllowEditSQL(true);
        Designer->OnGetDataView = [this](QObject*, TdaDataView*& aView) { aView = View; };
    }
    void TearDown() override { Designer.reset(); }

    /// Runs the designer; `drive` works the window while it is shown.
    bool run(std::function<void(TdaQueryDesignerForm&)> drive) {
        Answerer.ExpectModal<TdaQueryDesignerForm>(std::move(drive));
        return Designer->Execute();
    }

    static QWidget* sheet(TdaQueryDesignerForm& f, const char* aName) {
        return FindControl<QWidget>(f.PageControl(), QString::fromLatin1(aName));
    }
    /// Shows the page and answers its available and selected lists.
    static std::pair<TppListView*, TppListView*> page(TdaQueryDesignerForm& f, const char* aName) {
        QWidget* s = sheet(f, aName);
        f.PageControl()->setCurrentWidget(s);
        return {FindControl<TppListView>(s, "FTopList"), FindControl<TppListView>(s, "FBottomList")};
    }
    template <class P>
    static P* pageObject(TdaQueryDesignerForm& f, const char* aName) {
        return qobject_cast<P*>(f.PageOfSheet(sheet(f, aName)));
    }

    std::unique_ptr<TdaQueryDesigner> Designer;
    DialogAnswerer Answerer;
};

// ---- a query through all seven pages -------------------------------------------------------

TEST_F(QueryDesignerWindow, a_query_built_through_every_page_reaches_the_view_on_ok) {
    Dictionary->SetAutoJoin(false);  // joined on common field names, through the join dialog
    QString shown;
    const bool ok = run([&](TdaQueryDesignerForm& f) {
        EXPECT_EQ(f.windowTitle(), "Query Designer");
        QStringList tabs;
        for (int i = 0; i < f.PageControl()->count(); ++i) tabs << f.PageControl()->tabText(i);
        EXPECT_EQ(tabs, QStringList({"Tables", "Fields", "Calcs", "Group", "Search", "Sort", "SQL"}));
        EXPECT_EQ(f.PageControl()->currentWidget()->objectName(), "tshTables");

        // Tables: the tree, then a View; the TimeStamp join is removed in the join dialog.
        auto [tables, selectedTables] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Tree"));
        EXPECT_EQ(column(selectedTables), QStringList({"Tree"}));
        Answerer.ExpectModal<TdaJoinTableDialog>([](TdaJoinTableDialog& d) {
            TppListView* joins = d.JoinsList();
            EXPECT_EQ(column(joins), QStringList({"Release Notes.Branch ID", "Release Notes.Last Change Date/Time"}));
            EXPECT_EQ(column(joins, 2), QStringList({"Tree.Branch ID", "Tree.Last Change Date/Time"}));
            selectOnly(joins, {joins->Item(1)});
            EXPECT_TRUE(FindControl<QComboBox>(&d, "cbxOperators")->isVisible());
            Click(&d, "btnRemove");
            EXPECT_EQ(column(joins), QStringList({"Release Notes.Branch ID"}));
            testsupport::GrabToPng(&d, "query_join_dialog");
            Click(&d, "btnOK");
        });
        doubleClick(tables, row(tables, "Release Notes"));
        EXPECT_EQ(column(selectedTables), QStringList({"Tree", "Release Notes"}));
        EXPECT_EQ(column(selectedTables, 3), QStringList({"", "Inner"}));
        ASSERT_EQ(f.SQL()->SelectedTables(1)->JoinCount(), 1);
        // Tables stay offered in the designer (self joins).
        EXPECT_TRUE(column(tables).contains("Tree"));
        selectOnly(selectedTables, {selectedTables->Item(1)});
        EXPECT_TRUE(FindControl<QToolButton>(sheet(f, "tshTables"), "btnJoin")->isVisible());
        testsupport::GrabToPng(&f, "query_designer_tables");

        // Fields.
        auto [fields, selectedFields] = page(f, "tshFields");
        doubleClick(fields, row(fields, "Branch Title"));
        doubleClick(fields, row(fields, "Version"));
        doubleClick(fields, row(fields, "Summary"));
        EXPECT_EQ(column(selectedFields), QStringList({"Branch Title", "Version", "Summary"}));
        EXPECT_FALSE(column(fields).contains("Version"));
        // Summary goes back.
        doubleClick(selectedFields, row(selectedFields, "Summary"));
        EXPECT_EQ(column(selectedFields), QStringList({"Branch Title", "Version"}));
        EXPECT_TRUE(column(fields).contains("Summary"));
        testsupport::GrabToPng(&f, "query_designer_fields");

        // Calcs: a SUM of the installed size.
        auto [calcFields, calcs] = page(f, "tshCalcs");
        doubleClick(calcFields, row(calcFields, "Downloads"));
        ASSERT_EQ(calcs->ItemCount(), 1);
        selectOnly(calcs, {calcs->Item(0)});
        QComboBox* function = FindControl<QComboBox>(sheet(f, "tshCalcs"), "cbxFunction");
        EXPECT_TRUE(function->isVisible());
        choose(function, "Sum");
        EXPECT_EQ(column(calcs), QStringList({"Sum(Downloads)"}));
        EXPECT_EQ(column(calcs, 3), QStringList({"Sum"}));
        testsupport::GrabToPng(&f, "query_designer_calcs");

        // Group: the aggregate keeps the select fields grouped.
        auto [groupFields, groups] = page(f, "tshGroup");
        EXPECT_EQ(column(groups), QStringList({"Branch Title", "Version"}));
        testsupport::GrabToPng(&f, "query_designer_group");

        // Search: Summary LIKE "%fix%" (any case) OR Version = 2.1, in parentheses.
        auto [criteriaFields, criteria] = page(f, "tshSearch");
        QWidget* search = sheet(f, "tshSearch");
        doubleClick(criteriaFields, row(criteriaFields, "Summary"));
        doubleClick(criteriaFields, row(criteriaFields, "Version"));
        ASSERT_EQ(criteria->ItemCount(), 2);
        selectOnly(criteria, {criteria->Item(0)});
        choose(FindControl<QComboBox>(search, "cbxOperator"), "Like");
        testsupport::Type(search, "edtValue", "%fix%");
        f.SQL()->Criteria(0)->SetCaseSensitive(false);
        selectOnly(criteria, {criteria->Item(1)});
        testsupport::Type(search, "edtValue", "2.1");
        auto* searchPage = pageObject<TdaSearchPage>(f, "tshSearch");
        searchPage->UpdateMenu(criteria);
        EXPECT_TRUE(FindControl<QAction>(search, "mniInsertOR")->isEnabled());
        FindControl<QAction>(search, "mniInsertOR")->trigger();
        EXPECT_EQ(column(criteria), QStringList({"Release Notes.Summary", "OR", "Release Notes.Version"}));
        // Editors only for a single condition row.
        selectOnly(criteria, {criteria->Item(1)});
        EXPECT_FALSE(FindControl<QComboBox>(search, "cbxOperator")->isVisible());
        selectOnly(criteria, {criteria->Item(0), criteria->Item(1), criteria->Item(2)});
        EXPECT_FALSE(FindControl<QLineEdit>(search, "edtValue")->isVisible());
        FindControl<QAction>(search, "mniAddParentheses")->trigger();
        EXPECT_EQ(column(criteria), QStringList({"begin", "Release Notes.Summary", "OR", "Release Notes.Version", "end"}));
        EXPECT_EQ(column(criteria, 2), QStringList({"", "%fix%", "", "2.1", ""}));
        testsupport::GrabToPng(&f, "query_designer_search");

        // Sort: the version, descending.
        auto [sortFields, sorts] = page(f, "tshSort");
        QCheckBox* natural = FindControl<QCheckBox>(sheet(f, "tshSort"), "chkNaturalOrder");
        EXPECT_TRUE(natural->isChecked());
        EXPECT_FALSE(natural->isEnabled());
        doubleClick(sortFields, row(sortFields, "Version"));
        EXPECT_FALSE(natural->isChecked());
        EXPECT_TRUE(natural->isEnabled());
        selectOnly(sorts, {sorts->Item(0)});
        Click(sheet(f, "tshSort"), "chkDescending");
        EXPECT_EQ(column(sorts, 3), QStringList({"Descending"}));
        testsupport::GrabToPng(&f, "query_designer_sort");

        // SQL.
        QWidget* sql = sheet(f, "tshSQL");
        f.PageControl()->setCurrentWidget(sql);
        EXPECT_EQ(FindControl<QLineEdit>(sql, "edtDescription")->text(), "Tree");
        FindControl<QLineEdit>(sql, "edtDescription")->clear();
        testsupport::Type(sql, "edtDescription", "Release notes by branch");
        Q_EMIT FindControl<QLineEdit>(sql, "edtDescription")->editingFinished();
        EXPECT_EQ(FindControl<QLineEdit>(sql, "edtDataPipelineName")->text(), "plRelease_notes_by_branch");
        shown = FindControl<QPlainTextEdit>(sql, "memSQL")->toPlainText();
        EXPECT_TRUE(FindControl<QPlainTextEdit>(sql, "memSQL")->isReadOnly());
        testsupport::GrabToPng(&f, "query_designer_sql");
        Click(&f, "btnOK");
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(shown, golden("designed_query.sql", shown));
    EXPECT_EQ(View->SQL()->SQLText().join(u'\n'), shown);
    EXPECT_EQ(View->SQL()->Description(), "Release notes by branch");
    EXPECT_FALSE(View->SQL()->Modified());
    EXPECT_TRUE(View->Complete());
    ASSERT_GE(View->DataPipelineCount(), 1);
    QStringList names;
    View->DataPipelines(0)->GetFieldNames(names);
    EXPECT_EQ(names.size(), 3);
}

TEST_F(QueryDesignerWindow, cancel_leaves_the_views_query_as_it_was) {
    Dictionary->SetAutoJoin(false);
    const bool ok = run([&](TdaQueryDesignerForm& f) {
        auto [tables, selected] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Tree"));
        EXPECT_EQ(selected->ItemCount(), 1);
        Click(&f, "btnCancel");
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(View->SQL()->SelectedTableCount(), 0);
    EXPECT_TRUE(View->SQL()->Description().isEmpty());
}

TEST_F(QueryDesignerWindow, the_start_action_chooses_the_page) {
    Designer->StartAction = 5;
    run([&](TdaQueryDesignerForm& f) {
        EXPECT_EQ(f.PageControl()->currentWidget()->objectName(), "tshSearch");
        Click(&f, "btnCancel");
    });
}

// ---- refusals leave both lists unchanged ---------------------------------------------------

TEST_F(QueryDesignerWindow, an_unjoinable_table_is_grey_and_refused_in_auto_join_only_mode) {
    ASSERT_TRUE(Dictionary->AutoJoin());
    Dictionary->SetAllowManualJoins(false);
    run([&](TdaQueryDesignerForm& f) {
        auto [tables, selected] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Packages"));
        ASSERT_EQ(column(selected), QStringList({"Packages"}));
        QTreeWidgetItem* notes = row(tables, "Release Notes");
        EXPECT_FALSE(tables->ItemEnabled(notes));
        EXPECT_TRUE(tables->ItemEnabled(row(tables, "Maintainers")));
        const QStringList before = column(tables);
        doubleClick(tables, notes);
        EXPECT_EQ(column(tables), before);
        EXPECT_EQ(column(selected), QStringList({"Packages"}));
        // No join button without manual joins.
        doubleClick(tables, row(tables, "Maintainers"));
        selectOnly(selected, {selected->Item(1)});
        EXPECT_FALSE(FindControl<QToolButton>(sheet(f, "tshTables"), "btnJoin")->isVisible());
        Click(&f, "btnCancel");
    });
}

TEST_F(QueryDesignerWindow, a_group_field_that_must_stay_and_a_parenthesis_row_stay) {
    run([&](TdaQueryDesignerForm& f) {
        auto [tables, selected] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Packages"));
        auto [fields, selectedFields] = page(f, "tshFields");
        doubleClick(fields, row(fields, "Package"));
        auto [calcFields, calcs] = page(f, "tshCalcs");
        doubleClick(calcFields, row(calcFields, "Installed-Size"));
        auto [groupFields, groups] = page(f, "tshGroup");
        ASSERT_EQ(column(groups), QStringList({"Package"}));
        const QStringList available = column(groupFields);
        doubleClick(groups, row(groups, "Package"));
        EXPECT_EQ(column(groups), QStringList({"Package"}));
        EXPECT_EQ(column(groupFields), available);

        auto [criteriaFields, criteria] = page(f, "tshSearch");
        doubleClick(criteriaFields, row(criteriaFields, "Priority"));
        selectOnly(criteria, {criteria->Item(0)});
        FindControl<QAction>(sheet(f, "tshSearch"), "mniAddParentheses")->trigger();
        ASSERT_EQ(column(criteria), QStringList({"begin", "Packages.Priority", "end"}));
        selectOnly(criteria, {criteria->Item(0)});
        FindControl<QAction>(sheet(f, "tshSearch"), "mniRemove")->trigger();
        EXPECT_EQ(column(criteria), QStringList({"begin", "Packages.Priority", "end"}));
        // A double click (the move back) refuses it as well.
        doubleClick(criteria, criteria->Item(2));
        EXPECT_EQ(column(criteria), QStringList({"begin", "Packages.Priority", "end"}));
        selectOnly(criteria, {criteria->Item(1)});
        FindControl<QAction>(sheet(f, "tshSearch"), "mniRemoveParentheses")->trigger();
        EXPECT_EQ(column(criteria), QStringList({"Packages.Priority"}));
        Click(&f, "btnCancel");
    });
}

// ---- the field pages' own behaviour --------------------------------------------------------

TEST_F(QueryDesignerWindow, all_fields_order_rename_and_move_buttons) {
    run([&](TdaQueryDesignerForm& f) {
        auto [tables, selected] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Packages"));
        auto [fields, selectedFields] = page(f, "tshFields");
        QWidget* s = sheet(f, "tshFields");
        QCheckBox* all = FindControl<QCheckBox>(s, "chkAllFields");
        EXPECT_FALSE(all->isChecked());
        Click(s, "chkAllFields");
        EXPECT_EQ(fields->ItemCount(), 0);
        EXPECT_EQ(column(selectedFields),
                  QStringList({"Branch ID", "Notes", "Package", "Installed-Size", "Priority"}));
        Click(s, "chkAllFields");
        EXPECT_EQ(selectedFields->ItemCount(), 0);
        EXPECT_EQ(fields->ItemCount(), 5);

        // The first column's header switches to alphabetical order.
        fields->header()->sectionClicked(0);
        EXPECT_EQ(fields->headerItem()->text(0), "Field Alias (a > z)");
        EXPECT_EQ(column(fields).first(), "Branch ID");
        EXPECT_EQ(column(fields).last(), "Priority");
        fields->header()->sectionClicked(0);
        EXPECT_EQ(fields->headerItem()->text(0), "Field Alias");
        EXPECT_EQ(column(fields).at(1), "Notes");

        // Selecting the last field checks the box.
        for (const char* name : {"Branch ID", "Notes", "Package", "Installed-Size"})
            doubleClick(fields, row(fields, name));
        EXPECT_FALSE(all->isChecked());
        doubleClick(fields, row(fields, "Priority"));
        EXPECT_TRUE(all->isChecked());

        // Renaming in place; a taken name springs back.
        QTreeWidgetItem* package = row(selectedFields, "Package");
        package->setText(0, "Name");
        EXPECT_EQ(f.SQL()->SelectFields(2)->Alias(), "Name");
        package->setText(0, "notes");
        EXPECT_EQ(package->text(0), "Name");
        EXPECT_EQ(f.SQL()->SelectFields(2)->Alias(), "Name");

        // Move buttons: the first row does not go up; three rows go down and stay selected.
        EXPECT_TRUE(testsupport::IsUsable(s, "btnMoveUp"));
        selectedFields->setSelectionMode(QAbstractItemView::ExtendedSelection);
        selectOnly(selectedFields, {selectedFields->Item(0)});
        Click(s, "btnMoveUp");
        EXPECT_EQ(column(selectedFields).first(), "Branch ID");
        selectOnly(selectedFields, {selectedFields->Item(0), selectedFields->Item(1), selectedFields->Item(2)});
        Click(s, "btnMoveDown");
        EXPECT_EQ(column(selectedFields),
                  QStringList({"Installed-Size", "Branch ID", "Notes", "Name", "Priority"}));
        QStringList stillSelected;
        for (QTreeWidgetItem* item : selectedFields->selectedItems()) stillSelected << item->text(0);
        stillSelected.sort();
        EXPECT_EQ(stillSelected, QStringList({"Branch ID", "Name", "Notes"}));
        EXPECT_EQ(f.SQL()->SelectFields(0)->FieldName(), "InstalledSize");
        Click(&f, "btnCancel");
    });
}

TEST_F(QueryDesignerWindow, count_and_expressions_name_their_calculation) {
    run([&](TdaQueryDesignerForm& f) {
        auto [tables, selected] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Packages"));
        auto [calcFields, calcs] = page(f, "tshCalcs");
        QWidget* s = sheet(f, "tshCalcs");
        doubleClick(calcFields, row(calcFields, "Installed-Size"));
        selectOnly(calcs, {calcs->Item(0)});
        choose(FindControl<QComboBox>(s, "cbxFunction"), "Count");
        EXPECT_EQ(column(calcs), QStringList({"Count(*)"}));
        QLineEdit* expression = FindControl<QLineEdit>(s, "edtExpression");
        EXPECT_FALSE(expression->isVisible());
        choose(FindControl<QComboBox>(s, "cbxFunction"), "Expression");
        EXPECT_TRUE(expression->isVisible());
        testsupport::Type(s, "edtExpression", "InstalledSize * 2");
        EXPECT_EQ(column(calcs), QStringList({"InstalledSize * 2"}));
        EXPECT_EQ(column(calcs, 4), QStringList({"InstalledSize * 2"}));
        // A name of its own no longer follows the expression.
        calcs->Item(0)->setText(0, "Double size");
        testsupport::Type(s, "edtExpression", "0");
        EXPECT_EQ(column(calcs), QStringList({"Double size"}));
        EXPECT_EQ(f.SQL()->CalcFields(0)->Expression(), "InstalledSize * 20");
        Click(&f, "btnCancel");
    });
}

// ---- typed SQL -----------------------------------------------------------------------------

TEST_F(QueryDesignerWindow, edit_sql_asks_and_then_keeps_only_the_sql_page) {
    run([&](TdaQueryDesignerForm& f) {
        auto [tables, selected] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Packages"));
        QWidget* sql = sheet(f, "tshSQL");
        f.PageControl()->setCurrentWidget(sql);
        const QString generated = FindControl<QPlainTextEdit>(sql, "memSQL")->toPlainText();
        Answerer.ExpectMessage("^Are you sure you want to edit the SQL\\?\n\nOnce you manually edit", ui::Button::No);
        FindControl<QAction>(sql, "mniEditSQL")->trigger();
        EXPECT_EQ(f.PageControl()->count(), 7);
        EXPECT_FALSE(f.SQL()->EditSQLAsText());
        EXPECT_TRUE(FindControl<QPlainTextEdit>(sql, "memSQL")->isReadOnly());

        Answerer.ExpectMessage("^Are you sure you want to edit the SQL", ui::Button::Yes);
        FindControl<QAction>(sql, "mniEditSQL")->trigger();
        EXPECT_EQ(f.PageControl()->count(), 1);
        EXPECT_EQ(f.PageControl()->currentWidget(), sql);
        EXPECT_TRUE(f.SQL()->EditSQLAsText());
        QPlainTextEdit* memo = FindControl<QPlainTextEdit>(sql, "memSQL");
        EXPECT_FALSE(memo->isReadOnly());
        EXPECT_EQ(memo->toPlainText(), generated);
        EXPECT_EQ(memo->actions().size(), 0);
        memo->setPlainText("SELECT Package FROM \"Packages.db\" Packages");
        testsupport::GrabToPng(&f, "query_designer_typed_sql");
        Click(&f, "btnOK");
    });
    EXPECT_TRUE(View->SQL()->EditSQLAsText());
    EXPECT_EQ(View->SQL()->SQLText(), QStringList({"SELECT Package FROM \"Packages.db\" Packages"}));
}

TEST_F(QueryDesignerWindow, typed_sql_with_a_second_statement_is_refused_and_no_table_changes) {
    {
        db::Table packages;
        open(packages, "Packages.db");
        data_test::AppendRow(packages, {{"NodeID", "1"}, {"Package", "libc6"}});
    }
    View->SQL()->SetSQLText({"SELECT Package FROM \"Packages.db\" Packages"});
    View->SQL()->SetDescription("Typed");
    View->SQL()->SetDataPipelineName("plTyped");
    bool ok = run([&](TdaQueryDesignerForm& f) {
        EXPECT_EQ(f.PageControl()->count(), 1);
        QPlainTextEdit* memo = FindControl<QPlainTextEdit>(&f, "memSQL");
        EXPECT_FALSE(memo->isReadOnly());
        memo->setPlainText("SELECT Package FROM \"Packages.db\" Packages; DELETE FROM \"Packages.db\"");
        Answerer.ExpectMessage("Invalid SQL statement\\.", ui::Button::Ok);
        Click(&f, "btnOK");
        EXPECT_TRUE(f.isVisible());
        Click(&f, "btnCancel");
    });
    EXPECT_FALSE(ok);
    db::Table packages;
    open(packages, "Packages.db");
    EXPECT_EQ(packages.RecordCount(), 1);
    EXPECT_EQ(View->SQL()->SQLText(), QStringList({"SELECT Package FROM \"Packages.db\" Packages"}));
}

// ---- closing -------------------------------------------------------------------------------

TEST_F(QueryDesignerWindow, the_close_box_after_a_change_asks_to_save) {
    // Cancel stays, No discards.
    bool ok = run([&](TdaQueryDesignerForm& f) {
        auto [tables, selected] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Packages"));
        Answerer.ExpectMessage("^Save changes to Packages \\?$", ui::Button::Cancel, ui::MessageKind::Confirmation);
        f.close();
        EXPECT_TRUE(f.isVisible());
        Answerer.ExpectMessage("^Save changes to Packages \\?$", ui::Button::No);
        f.close();
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(View->SQL()->SelectedTableCount(), 0);
    // Yes validates and takes the query.
    ok = run([&](TdaQueryDesignerForm& f) {
        auto [tables, selected] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Packages"));
        auto [fields, selectedFields] = page(f, "tshFields");
        doubleClick(fields, row(fields, "Package"));
        Answerer.ExpectMessage("^Save changes to Packages \\?$", ui::Button::Yes);
        f.close();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(View->SQL()->SelectFieldCount(), 1);
}

TEST_F(QueryDesignerWindow, ok_without_a_description_shows_the_sql_page_and_the_name_check_may_refuse) {
    int asked = 0;
    Designer->OnValidateName = [&](QObject*, const QString& aName, bool& aValid) {
        ++asked;
        aValid = aName != "plPackages";
    };
    const bool ok = run([&](TdaQueryDesignerForm& f) {
        auto [tables, selected] = page(f, "tshTables");
        doubleClick(tables, row(tables, "Packages"));
        auto [fields, selectedFields] = page(f, "tshFields");
        doubleClick(fields, row(fields, "Package"));
        f.SQL()->SetDescription("");
        Answerer.ExpectMessage("^Please enter a description of your query\\.$", ui::Button::Ok);
        Click(&f, "btnOK");
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.PageControl()->currentWidget()->objectName(), "tshSQL");
        QWidget* sql = sheet(f, "tshSQL");
        FindControl<QLineEdit>(sql, "edtDescription")->clear();
        testsupport::Type(sql, "edtDescription", "Packages");
        Q_EMIT FindControl<QLineEdit>(sql, "edtDescription")->editingFinished();
        Click(&f, "btnOK");
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(f.isVisible());
        QLineEdit* pipeline = FindControl<QLineEdit>(sql, "edtDataPipelineName");
        pipeline->setFocus();  // leaving the description names the pipeline after it
        EXPECT_EQ(pipeline->text(), "plPackages");
        pipeline->clear();
        QTest::keyClicks(pipeline, "plPackageList");
        Click(&f, "btnOK");
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(View->SQL()->DataPipelineName(), "plPackageList");
}

// ---- the join dialog -----------------------------------------------------------------------

class JoinDialog : public QueryDesignerWindow {
protected:
    void SetUp() override {
        QueryDesignerWindow::SetUp();
        makeSql();
    }
    /// A fresh query: Tree, Packages joined to it on NodeID, Maintainers.
    void makeSql() {
        Sql.reset();
        Sql = std::make_unique<TdaSQL>();
        Sql->SetDatabaseName("ReportDB");
        Sql->SetDataDictionary(Dictionary);
        Sql->SetSession(View->Session());
        Sql->SetAllowSelfJoins(true);
        auto select = [&](const QString& aAlias) {
            const QList<TdaTable*>& list = Sql->UnselectedTables();
            for (int i = 0; i < list.size(); ++i)
                if (list[i]->TableAlias() == aAlias) return Sql->SelectTable(i, Sql->GetJoinTargetIndex(list[i]));
            return static_cast<TdaTable*>(nullptr);
        };
        select("Tree");
        select("Packages");
        select("Maintainers");
        ASSERT_EQ(Sql->SelectedTableCount(), 3);
        Packages = Sql->SelectedTables(1);
        ASSERT_EQ(Packages->JoinCount(), 1);
    }
    void TearDown() override {
        Sql.reset();
        QueryDesignerWindow::TearDown();
    }
    static QStringList joins(TdaTable* aTable) {
        QStringList out;
        for (int i = 0; i < aTable->JoinCount(); ++i) {
            TdaTableJoin* j = aTable->Joins(i);
            out << j->LocalField()->FieldName() + daJoinOperatorName(j->Operator()) + j->ForeignField()->TableSQLAlias() +
                       u'.' + j->ForeignField()->FieldName();
        }
        return out;
    }
    std::unique_ptr<TdaSQL> Sql;
    TdaTable* Packages = nullptr;
};

TEST_F(JoinDialog, edits_the_joins_of_a_table) {
    struct Case {
        const char* name;
        std::function<void(TdaJoinTableDialog&)> drive;
        bool ok;
        QStringList joins;
        TdaJoinType type;
        QStringList messages;
    };
    auto pick = [](TdaJoinTableDialog& d, const char* aList, const QString& aText) {
        auto* list = FindControl<QListWidget>(&d, aList);
        const QList<QListWidgetItem*> found = list->findItems(aText, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << aText.toStdString();
        list->setCurrentItem(found.first());
    };
    const std::vector<Case> cases = {
        {"cancel after changes leaves joins and type",
         [](TdaJoinTableDialog& d) {
             selectOnly(d.JoinsList(), {d.JoinsList()->Item(0)});
             Click(&d, "btnRemove");
             choose(FindControl<QComboBox>(&d, "cbxJoinTypes"), "Left Outer");
             Click(&d, "btnCancel");
         },
         false, {"NodeID=Hierarchy.NodeID"}, TdaJoinType::dajtInner, {}},
        {"add a join with another operator and a join type",
         [&](TdaJoinTableDialog& d) {
             EXPECT_FALSE(FindControl<QPushButton>(&d, "btnAdd")->isEnabled());
             pick(d, "lbxFields", "Package");
             EXPECT_FALSE(FindControl<QPushButton>(&d, "btnAdd")->isEnabled());
             pick(d, "lbxJoinFields", "Branch Title");
             Click(&d, "btnAdd");
             EXPECT_EQ(d.JoinsList()->ItemCount(), 2);
             EXPECT_FALSE(FindControl<QPushButton>(&d, "btnAdd")->isEnabled());
             selectOnly(d.JoinsList(), {d.JoinsList()->Item(1)});
             choose(FindControl<QComboBox>(&d, "cbxOperators"), ">=");
             EXPECT_EQ(d.JoinsList()->Item(1)->text(1), ">=");
             choose(FindControl<QComboBox>(&d, "cbxJoinTypes"), "Left Outer");
             Click(&d, "btnOK");
         },
         true, {"NodeID=Hierarchy.NodeID", "Package>=Hierarchy.NodeName"}, TdaJoinType::dajtLeftOuter, {}},
        {"ok without rows is refused, a double click removes a row",
         [](TdaJoinTableDialog& d) {
             selectOnly(d.JoinsList(), {d.JoinsList()->Item(0)});
             doubleClick(d.JoinsList(), d.JoinsList()->Item(0));
             EXPECT_EQ(d.JoinsList()->ItemCount(), 0);
             Click(&d, "btnOK");
             EXPECT_TRUE(d.isVisible());
             Click(&d, "btnCancel");
         },
         false, {"NodeID=Hierarchy.NodeID"}, TdaJoinType::dajtInner, {"Information: Join fields have not been selected."}},
        {"another table discards the rows",
         [&](TdaJoinTableDialog& d) {
             EXPECT_EQ(FindControl<QComboBox>(&d, "cbxTables")->currentText(), "Tree");
             choose(FindControl<QComboBox>(&d, "cbxTables"), "Maintainers");
             EXPECT_EQ(d.JoinsList()->ItemCount(), 0);
             EXPECT_EQ(FindControl<QLabel>(&d, "lblForeignTable")->text(), "Maintainers Fields");
             pick(d, "lbxFields", "Branch ID");
             pick(d, "lbxJoinFields", "Branch ID");
             Click(&d, "btnAdd");
             Click(&d, "btnOK");
         },
         true, {"NodeID=Maintainers.NodeID"}, TdaJoinType::dajtInner, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeSql();
        DialogAnswerer answerer;
        answerer.ExpectModal<TdaJoinTableDialog>([&](TdaJoinTableDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Join Table");
            EXPECT_EQ(FindControl<QLabel>(&d, "lblJoinTable")->text(), "Join Packages Table with");
            EXPECT_EQ(d.JoinsList()->headerItem()->text(0), "Packages Field");
            EXPECT_EQ(d.JoinsList()->headerItem()->text(2), "Tree Field");
            c.drive(d);
        });
        if (!c.messages.isEmpty()) answerer.ExpectMessage("Join fields have not been selected\\.", ui::Button::Ok);
        EXPECT_EQ(Sql->EditTableJoin("Hierarchy", Packages->SQLAlias()), c.ok);
        EXPECT_EQ(joins(Packages), c.joins);
        EXPECT_EQ(Packages->JoinType(), c.type);
        QStringList messages;
        for (const QString& p : answerer.Prompts())
            if (!p.startsWith("Modal")) messages << p;
        EXPECT_EQ(messages, c.messages);
    }
}

TEST_F(JoinDialog, a_picture_of_the_dialog) {
    DialogAnswerer answerer;
    answerer.ExpectModal<TdaJoinTableDialog>([](TdaJoinTableDialog& d) {
        selectOnly(d.JoinsList(), {d.JoinsList()->Item(0)});
        testsupport::GrabToPng(&d, "join_table_dialog");
        Click(&d, "btnCancel");
    });
    Sql->EditTableJoin("Hierarchy", Packages->SQLAlias());
}

// ---- the criteria and function dialogs -----------------------------------------------------

TEST(CriteriaAndFunctionDialogs, refuse_ok_until_chosen_and_count_needs_no_field) {
    report::data::InitializeDataGuiUnit();
    TdaField field;
    field.SetTableAlias("Packages");
    field.SetFieldAlias("Installed-Size");
    {
        TdaCriteriaDialog d;
        EXPECT_EQ(d.windowTitle(), "Search Criteria");
        d.cbxAvailableFields->addItem(field.GetDescription(), QVariant::fromValue<QObject*>(&field));
        d.cbxAvailableFields->setCurrentIndex(0);
        DialogAnswerer answerer;
        answerer.ExpectModal<TdaCriteriaDialog>([&](TdaCriteriaDialog& dlg) {
            answerer.ExpectMessage("^Please select a field and operator\\.$", ui::Button::Ok, ui::MessageKind::Warning);
            Click(&dlg, "btnOK");
            EXPECT_TRUE(dlg.isVisible());
            EXPECT_EQ(answerer.Pending(), 0);
            dlg.cbxOperators->setCurrentIndex(int(TdaCriteriaOperatorType::dacoLike));
            testsupport::Type(&dlg, "edtValue", "lib%");
            testsupport::GrabToPng(&dlg, "criteria_dialog");
            Click(&dlg, "btnOK");
        });
        EXPECT_EQ(d.ShowModal(), report::ModalResult::mrOk);
        EXPECT_EQ(d.SelectedField(), &field);
        EXPECT_EQ(d.cbxOperators->currentText(), "Like");
        EXPECT_EQ(d.edtValue->text(), "lib%");
    }
    {
        TdaFunctionDialog d;
        EXPECT_EQ(d.windowTitle(), "Calculated Fields");
        report::data::FillCalcTypes(d.cbxFunctions);
        d.cbxAvailableFields->addItem(field.GetDescription(), QVariant::fromValue<QObject*>(&field));
        d.cbxFunctions->setCurrentIndex(-1);
        d.cbxAvailableFields->setCurrentIndex(-1);
        DialogAnswerer answerer;
        answerer.ExpectModal<TdaFunctionDialog>([&](TdaFunctionDialog& dlg) {
            EXPECT_TRUE(dlg.cbxAvailableFields->isEnabled());
            answerer.ExpectMessage("function", ui::Button::Ok, ui::MessageKind::Error);
            Click(&dlg, "btnOK");
            EXPECT_EQ(answerer.Pending(), 0);
            EXPECT_TRUE(dlg.isVisible());
            dlg.cbxFunctions->setCurrentIndex(int(TdaCalcType::dacaCount));
            EXPECT_FALSE(dlg.cbxAvailableFields->isEnabled());
            EXPECT_FALSE(FindControl<QLabel>(&dlg, "lblField")->isEnabled());
            testsupport::GrabToPng(&dlg, "function_dialog");
            Click(&dlg, "btnOK");
        });
        EXPECT_EQ(d.ShowModal(), report::ModalResult::mrOk);
        EXPECT_EQ(d.cbxFunctions->currentIndex(), int(TdaCalcType::dacaCount));
        EXPECT_EQ(d.SelectedField(), nullptr);
    }
}

}  // namespace
