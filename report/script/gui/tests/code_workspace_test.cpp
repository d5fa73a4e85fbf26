// The Calc page of the designer on a report over the sample database: report tabs, menus,
// the explorer's three views, programs created from the pop-up menu and by a click, code
// dropped from the toolbox's Data and Objects tabs, compile messages and their double-click,
// a handler that follows its variable's new name, export and import of a .ctm file, the
// options that hide views and the tab, and a preview that runs the code.

#include "script_gui_fixture.h"

#include "report/output/gui/viewer.h"

#include "platform/settings/ini_file.h"

#include "testsupport/dialog_answerer.h"

#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSplitter>
#include <QTabBar>

using namespace scriptguitest;

namespace {

QStringList programNames(const std::vector<TraProgram*>& aPrograms) {
    QStringList names;
    for (TraProgram* p : aPrograms) names << p->ProgramName;
    return names;
}

QStringList visibleMenus(QMenuBar* aBar) {
    QStringList titles;
    for (QAction* a : aBar->actions())
        if (a->isVisible()) titles << a->text().remove(QLatin1Char('&'));
    return titles;
}

}  // namespace

TEST_F(ScriptGuiTest, the_calc_page_shows_its_menus_report_tabs_and_three_explorer_views) {
    SampleReport r;
    CalcPage page(r);
    // The page's menus take the place of the designer's while it is active.
    EXPECT_EQ(visibleMenus(page.window.menuBar()), (QStringList{"File", "Edit", "View", "Help"}));
    TraCodeManagerMenu* menu = page.manager->MainMenu();
    EXPECT_EQ(menu->Item(QStringLiteral("mniCodeFileImport"))->text(), QStringLiteral("Import..."));
    EXPECT_EQ(menu->Item(QStringLiteral("mniCodeFileExport"))->text(), QStringLiteral("Export..."));
    QTabBar* tabs = page.manager->ReportTabs();
    ASSERT_TRUE(tabs->isVisible());
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Main"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("SubReport1"));

    // Variables view: the bands, the detail band's variable.
    TraCodeExplorer* ex = page.explorer();
    EXPECT_EQ(ex->View(), 0);
    EXPECT_EQ(ex->TreeCaption(), QStringLiteral("Report Bands"));
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Detail")));
    EXPECT_EQ(ex->ListCaption(), QStringLiteral("Variables for Detail"));
    ASSERT_EQ(ex->List()->topLevelItemCount(), 1);
    EXPECT_EQ(ex->List()->topLevelItem(0)->text(0), QStringLiteral("Variable1"));
    ex->List()->setCurrentItem(ex->List()->topLevelItem(0));
    testsupport::GrabToPng(&page.window, QStringLiteral("calc_variables_view"));

    // Events view: the label's events.
    ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeViewEvents")));
    EXPECT_EQ(ex->View(), 1);
    EXPECT_EQ(ex->TreeCaption(), QStringLiteral("Report Objects"));
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Label1")));
    EXPECT_EQ(ex->ListCaption(), QStringLiteral("Events for Label1"));
    EXPECT_TRUE(listItem(ex->List(), QStringLiteral("OnPrint")));
    testsupport::GrabToPng(&page.window, QStringLiteral("calc_events_view"));

    // Module view: the sections.
    ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeViewModule")));
    EXPECT_EQ(ex->TreeCaption(), QStringLiteral("Module View"));
    for (const char* node : {"Global", "Declarations", "Events", "Programs", "Event Handlers"})
        EXPECT_TRUE(listItem(ex->Tree(), QString::fromLatin1(node))) << node;
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Declarations")));
    EXPECT_TRUE(listItem(ex->List(), QStringLiteral("Constants")));
    EXPECT_TRUE(listItem(ex->List(), QStringLiteral("Variables")));
    ex->List()->setCurrentItem(listItem(ex->List(), QStringLiteral("Variables")));
    // A click into the empty editor creates the var program with its protected first line.
    QTest::mouseClick(page.editor()->Edit()->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    TraCodeModule* module = GetCodeModule(r.report);
    ASSERT_TRUE(module && module->VarProgram());
    EXPECT_EQ(page.editor()->Edit()->document()->firstBlock().text(), QStringLiteral("var"));
    EXPECT_GT(page.editor()->Edit()->HeaderLength(), 0);
    testsupport::GrabToPng(&page.window, QStringLiteral("calc_module_view"));

    // Leaving the page gives the designer its menus back.
    ASSERT_TRUE(page.window.SelectPage(QStringLiteral("Design")));
    EXPECT_FALSE(visibleMenus(page.window.menuBar()).contains(QStringLiteral("Toolbox")));
    ASSERT_TRUE(page.window.Menu(QStringLiteral("mniFile")));
    EXPECT_TRUE(page.window.Menu(QStringLiteral("mniFile"))->menuAction()->isVisible());
}

TEST_F(ScriptGuiTest, new_procedures_are_numbered_and_toolbox_drops_become_code) {
    SampleReport r;
    CalcPage page(r);
    ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeViewModule")));
    TraCodeExplorer* ex = page.explorer();
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Programs")));
    EXPECT_EQ(ex->SelectedKind(), 1);
    ASSERT_TRUE(triggerPopup(page.manager->ProgramPopup(), "mniNewProcedure"));
    ASSERT_TRUE(triggerPopup(page.manager->ProgramPopup(), "mniNewProcedure"));
    TraCodeModule* module = GetCodeModule(r.report);
    ASSERT_TRUE(module);
    EXPECT_EQ(programNames(module->GlobalPrograms()), (QStringList{"GlobalProcedure1", "GlobalProcedure2"}));
    EXPECT_TRUE(listItem(ex->List(), QStringLiteral("procedure GlobalProcedure1;")));
    EXPECT_TRUE(listItem(ex->List(), QStringLiteral("procedure GlobalProcedure2;")));
    EXPECT_EQ(page.editor()->Program(), module->GlobalPrograms()[1]);
    EXPECT_EQ(page.editor()->CaretPosition(), QPoint(1, 3));  // the empty line after "begin"
    EXPECT_EQ(page.manager->StatusPanel()->text(), QStringLiteral("3: 1  "));

    // The Data tab: the pipeline's fields; a field dropped on line 3 becomes Packages['Package'].
    TraToolBox* box = page.manager->Toolbox();
    box->Tabs()->setCurrentIndex(0);
    TraToolExplorer* tools = box->Explorer();
    ASSERT_TRUE(selectNode(tools->Tree(), QStringLiteral("Packages")));
    QTreeWidgetItem* field = listItem(tools->List(), QStringLiteral("Package"));
    ASSERT_TRUE(field);
    EXPECT_EQ(tools->DragText(field), QStringLiteral("Packages['Package']"));
    testsupport::GrabToPng(box, QStringLiteral("calc_toolbox_data"));
    TraEdit* edit = page.editor()->Edit();
    ASSERT_TRUE(dropOnEditor(page.editor(), pointOf(edit, 2, 2), QStringLiteral("X := ") + tools->DragText(field) + ";"));
    EXPECT_EQ(edit->document()->findBlockByNumber(2).text(), QStringLiteral("  X := Packages['Package'];"));

    // The Objects tab: the label's properties with their values; Caption becomes Label1.Caption.
    box->Tabs()->setCurrentIndex(1);
    ASSERT_TRUE(selectNode(tools->Tree(), QStringLiteral("Label1")));
    EXPECT_EQ(tools->ListCaption(), QStringLiteral("Properties for Label1"));
    QTreeWidgetItem* caption = listItem(tools->List(), QStringLiteral("Caption"));
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->text(1), QStringLiteral("String"));
    EXPECT_EQ(caption->text(2), QStringLiteral("Packages of the sample database"));
    EXPECT_EQ(tools->DragText(caption), QStringLiteral("Label1.Caption"));
    testsupport::GrabToPng(box, QStringLiteral("calc_toolbox_objects"));
    QTextCursor end(edit->document()->findBlockByNumber(2));
    end.movePosition(QTextCursor::EndOfBlock);
    end.insertText(QStringLiteral("\n"));
    ASSERT_TRUE(dropOnEditor(page.editor(), pointOf(edit, 3, 2), tools->DragText(caption) + QStringLiteral(" := 'x';")));
    EXPECT_EQ(edit->document()->findBlockByNumber(3).text(), QStringLiteral("  Label1.Caption := 'x';"));

    // The Language tab: a statement template dropped keeps its indentation.
    box->Tabs()->setCurrentIndex(2);
    ASSERT_TRUE(selectNode(tools->Tree(), QStringLiteral("Statement")));
    QTreeWidgetItem* ifItem = tools->List()->topLevelItem(0);
    ASSERT_TRUE(ifItem);
    EXPECT_FALSE(tools->DragText(ifItem).isEmpty());
    testsupport::GrabToPng(box, QStringLiteral("calc_toolbox_language"));

    // The protected heading refuses drops; a drop beyond the text is padded to its column.
    page.editor()->Compile();
    EXPECT_TRUE(module->GlobalPrograms()[1]->Source().contains(QStringLiteral("Packages['Package']")));
    EXPECT_TRUE(module->GlobalPrograms()[1]->Source().contains(QStringLiteral("Label1.Caption := 'x';")));
}

TEST_F(ScriptGuiTest, compile_errors_are_listed_and_a_double_click_goes_to_them) {
    SampleReport r;
    CalcPage page(r);
    ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeViewModule")));
    TraCodeExplorer* ex = page.explorer();
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Programs")));
    ASSERT_TRUE(triggerPopup(page.manager->ProgramPopup(), "mniNewProcedure"));
    TraEdit* edit = page.editor()->Edit();
    edit->setPlainText(QStringLiteral("procedure GlobalProcedure1;\nbegin\n  Missing := 1;\nend;"));
    ASSERT_TRUE(triggerPopup(page.manager->ProgramPopup(), "mniCompile"));
    ASSERT_TRUE(triggerPopup(page.manager->ProgramPopup(), "mniNewProcedure"));
    edit->setPlainText(QStringLiteral("procedure GlobalProcedure2;\nbegin\n  Other := 2;\nend;"));
    ASSERT_TRUE(triggerPopup(page.manager->ProgramPopup(), "mniCompile"));

    QListWidget* messages = page.editor()->MessageList();
    ASSERT_TRUE(messages->isVisible());
    ASSERT_EQ(messages->count(), 2);
    EXPECT_TRUE(messages->item(0)->text().startsWith(QStringLiteral("Error: GlobalProcedure2, Line 3")))
        << messages->item(0)->text().toStdString();
    EXPECT_EQ(messages->item(1)->text(), QStringLiteral("GlobalProcedure1 could not be compiled"));
    // The explorer marks the Programs node red.
    TraTreeNodeProgramStates::NodeState state = ex->Tree()->States()->StateOf(listItem(ex->Tree(), QStringLiteral("Programs")));
    EXPECT_EQ(state.state, 1);
    EXPECT_TRUE(state.own);
    testsupport::GrabToPng(&page.window, QStringLiteral("calc_editor_errors"));

    // A double-click on the error puts the caret on it; on the other program shows that one.
    Q_EMIT messages->itemDoubleClicked(messages->item(0));
    EXPECT_EQ(page.editor()->CaretPosition().y(), 3);
    EXPECT_TRUE(page.manager->StatusPanel()->text().startsWith(QStringLiteral("3: ")));
    Q_EMIT messages->itemDoubleClicked(messages->item(1));
    TraCodeModule* module = GetCodeModule(r.report);
    EXPECT_EQ(page.editor()->Program(), module->GlobalPrograms()[0]);
    EXPECT_EQ(ex->SelectedProgram(), module->GlobalPrograms()[0]);

    // Mended and compiled, the program shows only the completion line.
    edit->setPlainText(QStringLiteral("procedure GlobalProcedure1;\nbegin\nend;"));
    page.editor()->Compile();
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->item(0)->text(), QStringLiteral("Compile Completed: 0 Errors"));
    // Delete from the pop-up removes the program and its item.
    ASSERT_TRUE(triggerPopup(page.manager->ProgramPopup(), "mniDelete"));
    EXPECT_EQ(programNames(module->GlobalPrograms()), (QStringList{"GlobalProcedure2"}));
    EXPECT_FALSE(listItem(ex->List(), QStringLiteral("procedure GlobalProcedure1;")));
}

TEST_F(ScriptGuiTest, a_handler_follows_its_variable_and_a_preview_runs_it) {
    SampleReport r;
    CalcPage page(r);
    TraCodeExplorer* ex = page.explorer();
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Detail")));
    ex->List()->setCurrentItem(listItem(ex->List(), QStringLiteral("Variable1")));
    EXPECT_EQ(page.editor()->Program(), nullptr);
    // A click into the empty editor creates the OnCalc handler; the caret ends its Value line.
    QTest::mouseClick(page.editor()->Edit()->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    TraCodeModule* module = GetCodeModule(r.report);
    ASSERT_TRUE(module);
    ASSERT_EQ(module->EventHandlers().size(), 1u);
    EXPECT_EQ(module->EventHandlers()[0]->ProgramName, QStringLiteral("Variable1OnCalc"));
    EXPECT_EQ(page.editor()->CaretPosition(), QPoint(12, 2));
    QTest::keyClicks(page.editor()->Edit(), QStringLiteral("4242;"));

    // Renamed on the design page, the handler is found as TotalOnCalc.
    ASSERT_TRUE(page.window.SelectPage(QStringLiteral("Design")));
    r.variable->SetUserName(QStringLiteral("Total"));
    ASSERT_TRUE(page.window.SelectPage(QStringLiteral("Calc")));
    ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeViewModule")));
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Event Handlers")));
    QTreeWidgetItem* item = listItem(ex->List(), QStringLiteral("procedure TotalOnCalc(var Value: Variant);"));
    ASSERT_TRUE(item);
    TraProgram* handler = TraReportListView::ProgramOf(item);
    ASSERT_TRUE(handler);
    EXPECT_TRUE(handler->Source().contains(QStringLiteral("Value := 4242;")));

    // The preview runs the handler: the variable's value is what the script gave.
    ASSERT_TRUE(page.window.SelectPage(QStringLiteral("Preview")));
    EXPECT_TRUE(testsupport::WaitFor([&] { return page.window.Viewer()->GetAbsolutePageNo() >= 1; }));
    EXPECT_EQ(r.variable->Value().toInt(), 4242);
    ASSERT_TRUE(page.window.SelectPage(QStringLiteral("Design")));
}

TEST_F(ScriptGuiTest, export_and_import_of_a_code_file_ask_about_missing_objects) {
    SampleReport r;
    CalcPage page(r);
    TraCodeExplorer* ex = page.explorer();
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Detail")));
    ex->List()->setCurrentItem(listItem(ex->List(), QStringLiteral("Variable1")));
    QTest::mouseClick(page.editor()->Edit()->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeViewModule")));
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Programs")));
    ASSERT_TRUE(triggerPopup(page.manager->ProgramPopup(), "mniNewProcedure"));
    TraCodeModule* module = GetCodeModule(r.report);
    ASSERT_EQ(module->ProgramCount(), 2);

    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("Packages.ctm"));
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectFileToSave(file);
        ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeFileExport")));
    }
    ASSERT_TRUE(QFile::exists(file));

    // The variable gets another name and the procedure goes; the import brings the procedure
    // back and asks about the handler of the name no object has.
    r.variable->SetUserName(QStringLiteral("Total"));
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Programs")));
    ex->List()->setCurrentItem(ex->List()->topLevelItem(0));
    ASSERT_TRUE(triggerPopup(page.manager->ProgramPopup(), "mniDelete"));
    EXPECT_TRUE(module->GlobalPrograms().empty());
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectFileToOpen(file);
        answers.ExpectMessage(QStringLiteral("Unable to import OnCalc code for Variable1"), ui::Button::Ignore);
        ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeFileImport")));
    }
    EXPECT_EQ(programNames(module->GlobalPrograms()), (QStringList{"GlobalProcedure1"}));
    EXPECT_TRUE(module->EventHandlers().empty());
    EXPECT_TRUE(module->Modified());
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Programs")));
    EXPECT_TRUE(listItem(ex->List(), QStringLiteral("procedure GlobalProcedure1;")));

    // Cancel on the question keeps the module as it was.
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectFileToOpen(file);
        answers.ExpectMessage(QStringLiteral("Unable to import OnCalc code for Variable1"), ui::Button::Cancel);
        answers.ExpectMessage(QStringLiteral("Unable to import code module"), ui::Button::Ok);
        testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeFileImport"));
    }
    EXPECT_EQ(programNames(module->GlobalPrograms()), (QStringList{"GlobalProcedure1"}));
}

TEST_F(ScriptGuiTest, options_hide_views_and_the_tab_and_leaving_frees_an_empty_module) {
    SampleReport r;
    CalcPage page(r);
    TraCodeExplorer* ex = page.explorer();
    EXPECT_TRUE(GetCodeModule(r.report));
    // Leaving with no program frees the module; entering makes a fresh one.
    ASSERT_TRUE(page.window.SelectPage(QStringLiteral("Design")));
    EXPECT_FALSE(GetCodeModule(r.report));
    ASSERT_TRUE(page.window.SelectPage(QStringLiteral("Calc")));
    EXPECT_TRUE(GetCodeModule(r.report));

    using O = TppOrvelOption;
    using I = TppOrvelInterfaceOption;
    ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeViewModule")));
    page.window.SetOrvelSettings({I::riDialog, I::riNotebookTab}, {O::roViewVariables});
    EXPECT_EQ(ex->View(), 0);  // the Module view is no longer offered
    QMenu* view = page.manager->MainMenu()->Menus()[2];
    Q_EMIT view->aboutToShow();
    QStringList shown;
    for (QAction* a : view->actions())
        if (a->isVisible() && !a->isSeparator()) shown << a->objectName();
    EXPECT_EQ(shown, (QStringList{"mniCodeViewToolbox", "mniCodeViewMessages"}));
    ASSERT_TRUE(selectNode(ex->Tree(), QStringLiteral("Detail")));
    ex->List()->setCurrentItem(listItem(ex->List(), QStringLiteral("Variable1")));
    EXPECT_TRUE(ex->IsReadOnly());
    EXPECT_TRUE(page.editor()->ReadOnly());
    EXPECT_FALSE(dropOnEditor(page.editor(), QPoint(20, 10), QStringLiteral("Label1.Caption")));

    // Without riDialog the calculations dialog is not registered; without the tab it is hidden.
    page.window.SetOrvelSettings({I::riNotebookTab}, {O::roViewVariables});
    EXPECT_FALSE(report::ppGetFormClass(QStringLiteral("TppCustomCalcDialog")));
    page.window.SetOrvelSettings({I::riDialog}, {O::roViewVariables});
    EXPECT_TRUE(report::ppGetFormClass(QStringLiteral("TppCustomCalcDialog")));
    const int tab = page.window.Pages()->indexOf(page.manager->Page());
    EXPECT_FALSE(page.window.Pages()->isTabVisible(tab));
    page.window.SetOrvelSettings({I::riDialog, I::riNotebookTab}, TppOrvelOptions::FromBits(0x3F));
    EXPECT_TRUE(page.window.Pages()->isTabVisible(tab));
}

TEST_F(ScriptGuiTest, the_workspace_keeps_its_settings_in_the_code_manager_section) {
    SampleReport r;
    {
        CalcPage page(r);
        ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeViewEvents")));
        ASSERT_TRUE(testsupport::TriggerAction(&page.window, QStringLiteral("mniCodeViewToolbox")));
        EXPECT_FALSE(page.manager->ToolboxPanel()->isVisible());
        page.window.SaveSettings();
    }
    settings::IniFile ini(QStringLiteral("Marlisk.ini"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CodeManager"), QStringLiteral("ExploreView"), -1), 1);
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("CodeManager"), QStringLiteral("ToolBoxWindow"), true));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("CodeManager"), QStringLiteral("CompileOnLoad"), false));
    CalcPage again(r);
    EXPECT_EQ(again.explorer()->View(), 1);
    EXPECT_FALSE(again.manager->ToolboxPanel()->isVisible());
}
