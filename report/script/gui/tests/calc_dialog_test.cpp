// The calculations dialog opened for the selected variable: a click creates the OnCalc
// handler, Cancel frees a handler made here, drops text not yet applied and puts back a
// deleted handler; OK compiles and keeps the text; without roEditVariables the editor is
// read-only and drops are refused; the dialog keeps its place in "CalcDialog".

#include "script_gui_fixture.h"

#include "platform/settings/ini_file.h"

#include "testsupport/dialog_answerer.h"

#include <QLabel>
#include <QPushButton>

using namespace scriptguitest;

namespace {

/// A designer window on the report with Variable1 selected.
struct Selected {
    explicit Selected(SampleReport& r) {
        window.resize(1000, 700);
        window.SetReport(r.report);
        window.show();
        window.AddToSelection(r.variable);
    }
    ~Selected() { window.SetReport(nullptr); }
    TppDesignerWindow window;
};

std::unique_ptr<TraCalcDialog> openDialog(TppReport* aReport) {
    std::unique_ptr<TppCustomCalcDialog> form(report::CreateForm<TppCustomCalcDialog>(nullptr));
    auto* dialog = dynamic_cast<TraCalcDialog*>(form.get());
    EXPECT_TRUE(dialog);
    if (!dialog) return nullptr;
    form.release();
    report::ppSetFormReport(dialog, aReport);
    return std::unique_ptr<TraCalcDialog>(dialog);
}

const QString kSource =
    QStringLiteral("procedure Variable1OnCalc(var Value: Variant);\r\nbegin\r\n\r\n  Value := 1;\r\n\r\nend;\r\n");

}  // namespace

TEST_F(ScriptGuiTest, calc_dialog_creates_the_handler_and_cancel_frees_it) {
    SampleReport r;
    Selected s(r);
    std::unique_ptr<TraCalcDialog> dialog = openDialog(r.report);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Calculations"));
    EXPECT_EQ(dialog->Variable(), r.variable);
    EXPECT_EQ(dialog->Editor()->Program(), nullptr);
    dialog->show();
    QTest::mouseClick(dialog->Editor()->Edit()->viewport(), Qt::LeftButton, {}, QPoint(30, 10));
    ASSERT_TRUE(dialog->Handler());
    EXPECT_EQ(dialog->Handler()->ProgramName, QStringLiteral("Variable1OnCalc"));
    EXPECT_EQ(dialog->Editor()->CaretPosition(), QPoint(12, 2));
    EXPECT_EQ(dialog->StatusPanel()->text(), QStringLiteral("2: 12  "));
    // A field from the Data tab at the caret's line end.
    TraToolExplorer* tools = dialog->Toolbox()->Explorer();
    ASSERT_TRUE(selectNode(tools->Tree(), QStringLiteral("Packages")));
    QTreeWidgetItem* field = listItem(tools->List(), QStringLiteral("Package"));
    ASSERT_TRUE(field);
    QTest::keyClicks(dialog->Editor()->Edit(), tools->DragText(field) + QStringLiteral(";"));
    testsupport::GrabToPng(dialog.get(), QStringLiteral("calc_dialog"));
    TraCodeModule* module = dialog->CodeModule();
    EXPECT_EQ(module->EventHandlers().size(), 1u);
    QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
    EXPECT_TRUE(module->EventHandlers().empty());
}

TEST_F(ScriptGuiTest, calc_dialog_ok_compiles_and_cancel_keeps_only_what_was_applied) {
    SampleReport r;
    Selected s(r);
    TraCodeModule* module = TppReportModule::CreateForReport<TraCodeModule>(r.report);
    TraEventHandler* h = module->CreateEventHandler(r.variable, QStringLiteral("OnCalc"));
    h->SetSource(kSource);

    // Cancel drops text not yet applied.
    {
        std::unique_ptr<TraCalcDialog> dialog = openDialog(r.report);
        EXPECT_EQ(dialog->Editor()->Edit()->toPlainText(), QStringLiteral("\n  Value := 1;\n"));
        dialog->Editor()->Edit()->setPlainText(QStringLiteral("  Value := 2;"));
        QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
        EXPECT_EQ(h->Source(), kSource);
    }
    // An apply (a compile) is kept by a later Cancel.
    {
        std::unique_ptr<TraCalcDialog> dialog = openDialog(r.report);
        dialog->Editor()->Edit()->setPlainText(QStringLiteral("  Value := 3;"));
        dialog->Editor()->Compile();
        dialog->Editor()->Edit()->setPlainText(QStringLiteral("  Value := 4;"));
        QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
        EXPECT_TRUE(h->Source().contains(QStringLiteral("Value := 3;")));
    }
    // OK compiles what was typed; the modal run ends with OK.
    {
        std::unique_ptr<TraCalcDialog> dialog = openDialog(r.report);
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<TraCalcDialog>([](TraCalcDialog& d) {
            d.Editor()->Edit()->setPlainText(QStringLiteral("  Value := 5;"));
            QTest::mouseClick(d.btnOK, Qt::LeftButton);
        });
        EXPECT_EQ(dialog->ShowModal(), report::ModalResult::mrOk);
        EXPECT_TRUE(h->Source().contains(QStringLiteral("Value := 5;")));
        EXPECT_TRUE(h->Compiled());
        EXPECT_TRUE(module->Modified());
    }
    // A deleted handler comes back on Cancel.
    {
        std::unique_ptr<TraCalcDialog> dialog = openDialog(r.report);
        dialog->Editor()->DeleteProgram();
        EXPECT_TRUE(module->EventHandlers().empty());
        EXPECT_EQ(dialog->Editor()->Program(), nullptr);
        QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
        ASSERT_EQ(module->EventHandlers().size(), 1u);
        EXPECT_EQ(module->EventHandlers()[0], h);
    }
    // Deleted and confirmed with OK, it is gone.
    {
        std::unique_ptr<TraCalcDialog> dialog = openDialog(r.report);
        dialog->Editor()->DeleteProgram();
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    }
    EXPECT_TRUE(module->EventHandlers().empty());
}

TEST_F(ScriptGuiTest, calc_dialog_is_read_only_without_edit_variables_and_keeps_its_place) {
    SampleReport r;
    Selected s(r);
    s.window.SetOrvelSettings({TppOrvelInterfaceOption::riDialog}, {TppOrvelOption::roViewVariables});
    {
        std::unique_ptr<TraCalcDialog> dialog = openDialog(r.report);
        EXPECT_TRUE(dialog->Editor()->ReadOnly());
        EXPECT_FALSE(dropOnEditor(dialog->Editor(), QPoint(20, 10), QStringLiteral("Label1.Caption")));
        EXPECT_EQ(dialog->Handler(), nullptr);
        dialog->setGeometry(40, 50, 700, 500);
    }
    settings::IniFile ini(QStringLiteral("Marlisk.ini"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CalcDialog"), QStringLiteral("Width"), 0), 700);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CalcDialog"), QStringLiteral("Left"), 0), 40);
    s.window.SetOrvelSettings({TppOrvelInterfaceOption::riDialog},
                              {TppOrvelOption::roViewVariables, TppOrvelOption::roEditVariables});
    std::unique_ptr<TraCalcDialog> dialog = openDialog(r.report);
    EXPECT_EQ(dialog->width(), 700);
    EXPECT_FALSE(dialog->Editor()->ReadOnly());
    // A drop onto the empty editor creates the handler and puts the text at the caret.
    ASSERT_TRUE(dropOnEditor(dialog->Editor(), QPoint(20, 10), QStringLiteral("Label1.Caption")));
    ASSERT_TRUE(dialog->Handler());
    EXPECT_EQ(dialog->Editor()->Edit()->document()->findBlockByNumber(1).text(), QStringLiteral("  Value := Label1.Caption"));
}
