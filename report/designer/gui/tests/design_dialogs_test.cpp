// The designer's small dialogs and the position dialogs, each reached through the dialog
// registry (directly or by the command that runs it for an object), with the report and its
// language, driven by object name; file choices and messages answered through the dialog
// service; the report checked after OK, Apply and Cancel.

#include "report/designer/gui/calc_order_dialog.h"
#include "report/designer/gui/design_dialog_commands.h"
#include "designer_fixture.h"
#include "report/designer/gui/popup_menu.h"
#include "report/designer/gui/position_dialogs.h"
#include "report/designer/gui/small_design_dialogs.h"
#include "report/model/memo.h"
#include "report/model/variable.h"
#include "report/output/gui/up_down.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

namespace {

using designertest::PackagesReport;
using designertest::place;

class DesignDialogs : public designertest::DesignerTest {
protected:
    void SetUp() override {
        DesignerTest::SetUp();
        report::RegisterPositionDialogs();
        report::RegisterSmallDesignDialogs();
        report::RegisterCalcOrderDialog();
    }
    void TearDown() override {
        report::UnRegisterPositionDialogs();
        report::UnRegisterSmallDesignDialogs();
        report::UnRegisterCalcOrderDialog();
        DesignerTest::TearDown();
    }

    /// The registered form of Abstract with the report and its language, shown modally with
    /// `fill` driving it as T; answers how it ended.
    template <class Abstract, class T>
    report::ModalResult run(TppCustomReport* aReport, std::function<void(Abstract&)> setUp, std::function<void(T&)> fill) {
        std::unique_ptr<Abstract> form(report::CreateForm<Abstract>(nullptr));
        EXPECT_NE(form, nullptr);
        if (!form) return report::ModalResult::mrNone;
        report::ppSetFormLanguageIndex(form.get(), aReport ? aReport->LanguageIndex() : 0);
        report::ppSetFormReport(form.get(), aReport);
        if (setUp) setUp(*form);
        answers.ExpectModal<T>([fill](T& d) {
            d.activateWindow();
            QApplication::setActiveWindow(&d);
            QApplication::processEvents();
            fill(d);
        });
        const report::ModalResult result = form->ShowModal();
        EXPECT_EQ(answers.Pending(), 0);
        return result;
    }

    /// Types into an edit and leaves it (Enter).
    static void typeInto(QLineEdit* aEdit, const QString& aText) {
        aEdit->setFocus();
        aEdit->selectAll();
        aEdit->setText(aText);
        QTest::keyClick(aEdit, Qt::Key_Return);
    }

    testsupport::DialogAnswerer answers;
};

// Position dialogs ---------------------------------------------------------------------------------

TEST_F(DesignDialogs, the_position_dialog_steps_by_the_unit_and_applies_through_the_popup_command) {
    PackagesReport r;
    r.report->SetUnits(TppUnitType::utInches);
    r.package->SetmmBounds(1270, 0, 5080, 50800);  // left 0.05 inch
    TppPopupMenu* menu = report::DesignPopupMenu(r.package);
    ASSERT_NE(menu, nullptr);
    QAction* item = menu->ItemByName(QStringLiteral("Position"));
    ASSERT_TRUE(item && item->isEnabled());
    answers.ExpectModal<TppPositionDialog>([](TppPositionDialog& d) {
        QApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Position");
        EXPECT_DOUBLE_EQ(d.Step(), 0.1);
        EXPECT_EQ(d.edtLeft->text(), "0.05");
        // A data text has no stretchable rows: the form is shorter.
        EXPECT_TRUE(d.edtStopPosition->isHidden());
        EXPECT_TRUE(d.edtBottomOffset->isHidden());
        d.StepEdit(d.edtLeft, -1);  // 0.05 - 0.1 stops at 0
        EXPECT_EQ(d.edtLeft->text(), "0");
        d.StepEdit(d.edtTop, +1);
        EXPECT_EQ(d.edtTop->text(), "0.1");
        testsupport::GrabToPng(&d, QStringLiteral("position_dialog"));
        // OK reads the value being typed.
        d.edtWidth->setFocus();
        d.edtWidth->setText("1.5");
        d.btnOK->click();
    });
    item->trigger();
    EXPECT_EQ(answers.Pending(), 0);
    EXPECT_EQ(r.package->mmLeft(), 0);
    EXPECT_EQ(r.package->mmTop(), 2540);
    EXPECT_EQ(r.package->mmWidth(), 38100);
}

TEST_F(DesignDialogs, position_rows_follow_the_class_and_the_parent_locks) {
    PackagesReport r;
    auto* memo = place<TppMemo>(r.detail, QStringLiteral("ppNotes"), 0, 0, 25400, 5080);
    memo->SetParentHeight(true);
    r.report->SetUnits(TppUnitType::utMMThousandths);
    answers.ExpectModal<TppPositionDialog>([this](TppPositionDialog& d) {
        answers.ExpectMessage(QStringLiteral("^Invalid Value$"), ui::Button::Ok, ui::MessageKind::Warning);
        QApplication::processEvents();
        EXPECT_DOUBLE_EQ(d.Step(), 1000);
        EXPECT_FALSE(d.edtStopPosition->isHidden());
        EXPECT_FALSE(d.edtTop->isEnabled());
        EXPECT_FALSE(d.edtHeight->isEnabled());
        const QString top = d.edtTop->text();
        d.StepEdit(d.edtTop, +1);  // locked: nothing moves
        EXPECT_EQ(d.edtTop->text(), top);
        d.StepEdit(d.edtWidth, -1);
        EXPECT_EQ(d.edtWidth->text(), "24400");
        d.StepEdit(d.edtBottomOffset, -1);  // offsets have no lower limit
        EXPECT_EQ(d.edtBottomOffset->text(), "-1000");
        // Apply writes at once; a bad value keeps the dialog open.
        d.btnApply->click();
        d.activateWindow();
        QApplication::setActiveWindow(&d);
        typeInto(d.edtOverFlowOffset, "abc");
        EXPECT_TRUE(d.isVisible());
        d.edtOverFlowOffset->setText("2000");
        d.btnCancel->click();
    });
    EXPECT_TRUE(report::RunPositionDialog(memo));  // Apply changed it; Cancel keeps that
    EXPECT_EQ(memo->mmWidth(), 24400);
    EXPECT_EQ(memo->mmBottomOffset(), -1000);
    EXPECT_EQ(memo->mmOverFlowOffset(), 0);
}

TEST_F(DesignDialogs, the_band_position_dialog_edits_height_print_position_and_count) {
    PackagesReport r;
    r.report->SetUnits(TppUnitType::utMillimeters);
    answers.ExpectModal<TppBandPositionDialog>([](TppBandPositionDialog& d) {
        QApplication::processEvents();
        EXPECT_FALSE(d.edtPrintCount->isHidden());     // the detail band counts
        EXPECT_FALSE(d.edtBandsPerRecord->isHidden());  // the detail band prints records in rows
        EXPECT_EQ(d.edtBandsPerRecord->text(), "1");
        EXPECT_EQ(d.edtPrintPosition->text(), "0");
        d.StepEdit(d.edtPrintPosition, -1);  // the down arrow stops at 0
        EXPECT_EQ(d.edtPrintPosition->text(), "0");
        d.StepEdit(d.edtPrintCount, -1);
        EXPECT_EQ(d.edtPrintCount->text(), "0");
        d.StepEdit(d.edtPrintCount, +1);
        d.StepEdit(d.edtPrintCount, +1);
        d.StepEdit(d.edtHeight, +1);
        testsupport::GrabToPng(&d, QStringLiteral("band_position_dialog"));
        d.btnOK->click();
    });
    TppPopupMenu* menu = report::DesignPopupMenu(r.detail);
    ASSERT_NE(menu, nullptr);
    menu->ItemByName(QStringLiteral("Position"))->trigger();
    EXPECT_EQ(r.detail->PrintCount(), 2);
    EXPECT_EQ(r.detail->mmHeight(), 7350);
}

TEST_F(DesignDialogs, bands_per_record_of_zero_becomes_one) {
    TppBandPositionDialog d;
    d.BandsPerRecord = 3;
    int applied = 0;
    d.OnApply = [&](TppCustomBandPositionDialog* dialog) { applied = dialog->BandsPerRecord; };
    d.show();
    QApplication::processEvents();
    d.edtBandsPerRecord->setText("0");
    Q_EMIT d.edtBandsPerRecord->editingFinished();
    EXPECT_EQ(d.edtBandsPerRecord->text(), "1");
    d.btnApply->click();
    EXPECT_EQ(applied, 1);
}

// Format and grid ------------------------------------------------------------------------------

TEST_F(DesignDialogs, the_format_dialog_takes_a_format_from_its_list_and_is_compact_without_one) {
    PackagesReport r;
    QString chosen;
    const auto result = run<TppCustomFormatDialog, TppFormatDialog>(
        r.report,
        [](TppCustomFormatDialog& f) {
            f.SetDisplayFormat(QStringLiteral("#,0"));
            f.SetFormatList({QStringLiteral("1,234") + QChar(1) + "#,0", QStringLiteral("1234.00") + QChar(1) + "0.00"});
        },
        [&](TppFormatDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Format");
            EXPECT_EQ(d.edtDisplayFormat->text(), "#,0");
            EXPECT_EQ(d.GetFormatList().size(), 2);
            testsupport::GrabToPng(&d, QStringLiteral("format_dialog"));
            QListWidgetItem* second = d.lbxDisplayFormats->item(1);
            QTest::mouseClick(d.lbxDisplayFormats->viewport(), Qt::LeftButton, {},
                              d.lbxDisplayFormats->visualItemRect(second).center());
            EXPECT_EQ(d.edtDisplayFormat->text(), "0.00");
            d.btnOK->click();
            d.GetDisplayFormat(chosen);
        });
    EXPECT_EQ(result, report::ModalResult::mrOk);
    EXPECT_EQ(chosen, "0.00");

    int fullHeight = 0;
    {
        TppFormatDialog full;
        full.SetFormatList({QStringLiteral("x") + QChar(1) + "y"});
        fullHeight = full.height();
    }
    run<TppCustomFormatDialog, TppFormatDialog>(r.report, {}, [&](TppFormatDialog& d) {
        EXPECT_TRUE(d.lbxDisplayFormats->isHidden());
        EXPECT_EQ(d.height(), fullHeight - 123);
        testsupport::GrabToPng(&d, QStringLiteral("format_dialog_compact"));
        d.btnCancel->click();
    });
}

TEST_F(DesignDialogs, grid_sizes_are_checked_on_leaving_and_invalid_ones_given_show_as_eight) {
    PackagesReport r;
    TppCustomGridDialog* seen = nullptr;
    const auto result = run<TppCustomGridDialog, TppGridDialog>(
        r.report,
        [&](TppCustomGridDialog& g) {
            g.XGridSpace = 0;
            g.YGridSpace = 300;
            g.SnapToGrid = true;
            seen = &g;
        },
        [this](TppGridDialog& d) {
            answers.ExpectMessage(QStringLiteral("^Grid size X must be an integer between 2 and 128\\.$"), ui::Button::Ok,
                                  ui::MessageKind::Error);
            answers.ExpectMessage(QStringLiteral("^Grid size Y must be an integer between 2 and 128\\.$"), ui::Button::Ok,
                                  ui::MessageKind::Error);
            EXPECT_EQ(d.windowTitle(), "Grid Options");
            EXPECT_EQ(d.edtXGridSize->text(), "8");
            EXPECT_EQ(d.edtYGridSize->text(), "8");
            EXPECT_TRUE(d.cbxSnapToGrid->isChecked());
            testsupport::GrabToPng(&d, QStringLiteral("grid_dialog"));
            // 1 then 6 gives 16 without a message.
            d.edtXGridSize->setFocus();
            d.edtXGridSize->clear();
            QTest::keyClicks(d.edtXGridSize, "16");
            EXPECT_EQ(d.edtXGridSize->text(), "16");
            typeInto(d.edtXGridSize, "200");  // message 349, the focus stays
            EXPECT_EQ(QApplication::focusWidget(), d.edtXGridSize);
            typeInto(d.edtXGridSize, "16");
            // OK validates the edit being typed: a bad Y keeps the dialog open.
            d.edtYGridSize->setFocus();
            d.edtYGridSize->setText("x");
            d.btnOK->click();
            EXPECT_TRUE(d.isVisible());
            d.edtYGridSize->setText("12");
            d.cbxDisplayGrid->click();
            d.btnOK->click();
        });
    EXPECT_EQ(result, report::ModalResult::mrOk);
    EXPECT_EQ(answers.Prompts().filter("Error").size(), 2);
    Q_UNUSED(seen);
}

TEST_F(DesignDialogs, the_designer_takes_the_grid_values_through_the_form_properties) {
    std::unique_ptr<TppCustomGridDialog> form(report::CreateForm<TppCustomGridDialog>(nullptr));
    auto* object = dynamic_cast<QObject*>(form.get());
    ASSERT_NE(object, nullptr);
    object->setProperty("XGridSpace", 12);
    object->setProperty("DisplayGrid", true);
    EXPECT_EQ(form->XGridSpace, 12);
    EXPECT_TRUE(form->DisplayGrid);
    EXPECT_EQ(object->property("YGridSpace").toInt(), 8);
}

// Memo editor ------------------------------------------------------------------------------------

TEST_F(DesignDialogs, the_memo_editor_loads_and_saves_text_files) {
    PackagesReport r;
    auto* memo = place<TppMemo>(r.summary, QStringLiteral("ppAbout"), 0, 0, 50800, 12700);
    memo->SetLines({QStringLiteral("first line")});
    QTemporaryDir files;
    const QString in = files.filePath(QStringLiteral("Notes.TXT"));
    {
        QFile f(in);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("apt: command-line package manager\ndpkg: the package database\n");
    }
    const QString out = files.filePath(QStringLiteral("copy.txt"));
    answers.ExpectModal<TppMemoDialog>([&](TppMemoDialog& d) {
        answers.ExpectFileToOpen(in).ExpectFileToSave(out);
        QApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Memo Editor");
        EXPECT_EQ(d.memMemo->toPlainText(), "first line");
        d.btnLoad->click();
        EXPECT_EQ(d.GetLines(), (QStringList{"apt: command-line package manager", "dpkg: the package database"}));
        EXPECT_EQ(d.FileName, in);
        d.btnSave->click();
        testsupport::GrabToPng(&d, QStringLiteral("memo_dialog"));
        d.btnOK->click();
    });
    EXPECT_TRUE(report::RunMemoDialog(memo));
    EXPECT_EQ(memo->Lines(), (QStringList{"apt: command-line package manager", "dpkg: the package database"}));
    QFile saved(out);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("apt: command-line package manager\ndpkg: the package database\n"));
}

// Calculations, reset group, shift, drill-down -------------------------------------------------------

TEST_F(DesignDialogs, calculations_and_reset_group_are_taken_on_ok_only) {
    PackagesReport r;
    auto* total = place<TppDBCalc>(r.section->FooterBand(), QStringLiteral("ppSectionSize"), 63500, 0, 25400, 5080);
    total->SetDataPipeline(r.pipeline);
    total->SetDataField(QStringLiteral("Size"));
    total->SetDBCalcType(TppDBCalcType::dcSum);
    answers.ExpectModal<TppDBCalcDialog>([](TppDBCalcDialog& d) {
        QApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Calculations");
        EXPECT_EQ(d.cbxCalcType->currentText(), "Sum");
        EXPECT_EQ(d.cbxResetGroup->currentIndex(), -1);
        EXPECT_EQ(d.cbxResetGroup->count(), 1);
        EXPECT_EQ(QApplication::focusWidget(), d.cbxCalcType);
        d.cbxCalcType->setCurrentIndex(4);
        d.cbxResetGroup->setCurrentIndex(0);
        testsupport::GrabToPng(&d, QStringLiteral("calculations_dialog"));
        d.btnOK->click();
    });
    EXPECT_TRUE(report::RunDBCalcDialog(total));
    EXPECT_EQ(total->DBCalcType(), TppDBCalcType::dcAverage);
    EXPECT_EQ(total->ResetGroup(), r.section);

    // The reset group of a data text, through its popup item; Cancel keeps it.
    r.size->SetResetGroup(r.section);
    answers.ExpectModal<TppDBTextDialog>([](TppDBTextDialog& d) {
        QApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Reset Group");
        EXPECT_EQ(d.cbxResetGroup->currentIndex(), 0);
        testsupport::GrabToPng(&d, QStringLiteral("reset_group_dialog"));
        d.cbxResetGroup->setCurrentIndex(-1);
        d.btnCancel->click();
    });
    TppPopupMenu* menu = report::DesignPopupMenu(r.size);
    ASSERT_TRUE(menu->ItemByName(QStringLiteral("ResetGroup"))->isEnabled());
    menu->ItemByName(QStringLiteral("ResetGroup"))->trigger();
    EXPECT_EQ(r.size->ResetGroup(), r.section);
    answers.ExpectModal<TppDBTextDialog>([](TppDBTextDialog& d) {
        QApplication::processEvents();
        d.cbxResetGroup->setCurrentIndex(-1);
        d.btnOK->click();
    });
    EXPECT_TRUE(report::RunResetGroupDialog(r.size));
    EXPECT_EQ(r.size->ResetGroup(), nullptr);
}

TEST_F(DesignDialogs, shift_and_drill_down_choose_by_the_name_before_the_colon) {
    PackagesReport r;
    auto* notes = place<TppMemo>(r.summary, QStringLiteral("ppNotes"), 0, 0, 50800, 5080);
    auto* more = place<TppMemo>(r.summary, QStringLiteral("ppMore"), 0, 6000, 50800, 5080);
    answers.ExpectModal<TppShiftDialog>([](TppShiftDialog& d) {
        QApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Shift Relative To");
        EXPECT_EQ(d.lblDescription->text(), "Set object position based on");
        EXPECT_EQ(d.cbxSelectionList->currentText(), "<None>");
        const int at = d.cbxSelectionList->findText(QStringLiteral("Notes"));
        ASSERT_GE(at, 0);
        d.cbxSelectionList->setCurrentIndex(at);
        testsupport::GrabToPng(&d, QStringLiteral("shift_dialog"));
        d.btnOK->click();
    });
    EXPECT_TRUE(report::RunShiftDialog(more));
    EXPECT_EQ(more->ShiftRelativeTo(), notes);

    // A name that matches no entry selects nothing; the part before ":" is the name.
    QString name;
    run<TppCustomDrillDownDialog, TppDrillDownDialog>(
        r.report,
        [](TppCustomDrillDownDialog& f) {
            f.SetSelectionList({QStringLiteral("<None>"), QStringLiteral("Package:ppPackage"), QStringLiteral("Size:ppSize")});
            f.SelectedName = QStringLiteral("Missing");
        },
        [&](TppDrillDownDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Drill Down Component");
            EXPECT_EQ(d.cbxSelectionList->currentIndex(), -1);
            EXPECT_EQ(QApplication::focusWidget(), d.cbxSelectionList);
            d.cbxSelectionList->setCurrentIndex(2);
            testsupport::GrabToPng(&d, QStringLiteral("drill_down_dialog"));
            d.btnOK->click();
            name = d.SelectedName;
        });
    EXPECT_EQ(name, "Size");
}

// Data, timing, insert field ------------------------------------------------------------------------

TEST_F(DesignDialogs, the_data_dialog_sets_master_and_detail_pipelines) {
    PackagesReport r;
    auto* second = new TppDBPipeline(&r.form);
    second->SetName(QStringLiteral("plSections"));
    second->SetUserName(QStringLiteral("SectionList"));
    answers.ExpectModal<TppDataDialog>([](TppDataDialog& d) {
        QApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Data");
        ASSERT_GE(d.lbxMasterData->count(), 3);
        EXPECT_EQ(d.lbxMasterData->item(0)->text(), "<None>");
        EXPECT_NE(d.lbxMasterData->currentItem()->text(), "<None>");
        EXPECT_EQ(d.lbxDetailData->currentItem()->text(), "<None>");
        d.lbxMasterData->setCurrentRow(0);
        const auto found = d.lbxDetailData->findItems(QStringLiteral("SectionList"), Qt::MatchExactly);
        QStringList all;
        for (int i = 0; i < d.lbxDetailData->count(); ++i) all << d.lbxDetailData->item(i)->text();
        ASSERT_EQ(found.size(), 1) << all.join(",").toStdString();
        d.lbxDetailData->setCurrentItem(found.first());
        testsupport::GrabToPng(&d, QStringLiteral("data_dialog"));
        d.btnOK->click();
    });
    EXPECT_TRUE(report::RunDataDialog(r.report, nullptr));
    EXPECT_EQ(r.report->DataPipeline(), nullptr);
    EXPECT_EQ(r.detail->DataPipeline(), second);
}

TEST_F(DesignDialogs, timing_lists_the_groups_for_group_events_and_stores_the_report_for_page_events) {
    PackagesReport r;
    auto* count = place<TppVariable>(r.section->FooterBand(), QStringLiteral("ppCount"), 0, 0, 25400, 5080);
    answers.ExpectModal<TppCalcTimingDialog>([](TppCalcTimingDialog& d) {
        QApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Timing");
        EXPECT_EQ(d.cbxCalcType->count(), 12);
        EXPECT_EQ(d.cbxCalcType->itemText(11), "GroupBeforeFooter");
        d.cbxCalcType->setCurrentIndex(int(TppVarEventType::veGroupStart));
        Q_EMIT d.cbxCalcType->activated(d.cbxCalcType->currentIndex());
        EXPECT_EQ(d.lblCalcComponent->text(), "Group");
        EXPECT_TRUE(d.cbxCalcComponent->isEnabled());
        EXPECT_EQ(d.cbxCalcComponent->count(), 1);
        d.cbxResetType->setCurrentIndex(int(TppVarEventType::vePageEnd));
        Q_EMIT d.cbxResetType->activated(d.cbxResetType->currentIndex());
        EXPECT_EQ(d.lblResetComponent->text(), "Data Pipeline");
        EXPECT_FALSE(d.cbxResetComponent->isEnabled());
        testsupport::GrabToPng(&d, QStringLiteral("timing_dialog"));
        d.btnOK->click();
    });
    EXPECT_TRUE(report::RunCalcTimingDialog(count));
    EXPECT_EQ(count->CalcType(), TppVarEventType::veGroupStart);
    EXPECT_EQ(count->CalcComponent(), r.section);
    EXPECT_EQ(count->ResetType(), TppVarEventType::vePageEnd);
    EXPECT_EQ(count->ResetComponent(), r.report);
}

TEST_F(DesignDialogs, insert_field_answers_the_double_clicked_field) {
    PackagesReport r;
    QString field = QStringLiteral("unset");
    const auto result = run<TppCustomMailMergeDialog, TppMailMergeDialog>(
        r.report, [](TppCustomMailMergeDialog& f) { f.SetFieldList({"Package", "Section", "Size"}); },
        [&](TppMailMergeDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Insert Field");
            EXPECT_EQ(d.GetSelectedField(), "");
            testsupport::GrabToPng(&d, QStringLiteral("insert_field_dialog"));
            QListWidgetItem* item = d.lbxFields->item(1);
            d.lbxFields->setCurrentItem(item);
            QTest::mouseClick(d.lbxFields->viewport(), Qt::LeftButton, {}, d.lbxFields->visualItemRect(item).center());
            QTest::mouseDClick(d.lbxFields->viewport(), Qt::LeftButton, {}, d.lbxFields->visualItemRect(item).center());
            field = d.GetSelectedField();
        });
    EXPECT_EQ(result, report::ModalResult::mrOk);
    EXPECT_EQ(field, "Section");
}

// Calc order and about -------------------------------------------------------------------------------

TEST_F(DesignDialogs, calc_order_moves_variables_at_once_and_cancel_puts_every_order_back) {
    PackagesReport r;
    auto* first = place<TppVariable>(r.detail, QStringLiteral("ppFirst"), 0, 0, 10000, 5080);
    auto* second = place<TppVariable>(r.detail, QStringLiteral("ppSecond"), 10000, 0, 10000, 5080);
    auto* third = place<TppVariable>(r.detail, QStringLiteral("ppThird"), 20000, 0, 10000, 5080);
    ASSERT_EQ(first->CalcOrder(), 0);
    ASSERT_EQ(third->CalcOrder(), 2);
    auto names = [](QTreeWidget* list) {
        QStringList n;
        for (int i = 0; i < list->topLevelItemCount(); ++i) n << list->topLevelItem(i)->text(0);
        return n;
    };
    answers.ExpectModal<TppCalcOrderDialog>([&](TppCalcOrderDialog& d) {
        QApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Calc Order");
        EXPECT_EQ(d.GetSelection(), r.detail);
        EXPECT_EQ(names(d.lvVariables), (QStringList{"First", "Second", "Third"}));
        d.spbMoveUp->click();  // the first cannot move up
        EXPECT_EQ(first->CalcOrder(), 0);
        d.lvVariables->setCurrentItem(d.lvVariables->topLevelItem(2));
        d.spbMoveUp->click();
        d.spbMoveUp->click();
        EXPECT_EQ(third->CalcOrder(), 0);
        EXPECT_EQ(names(d.lvVariables), (QStringList{"Third", "First", "Second"}));
        d.spbMoveDown->click();
        EXPECT_EQ(names(d.lvVariables), (QStringList{"First", "Third", "Second"}));
        testsupport::GrabToPng(&d, QStringLiteral("calc_order_dialog"));
        d.btnCancel->click();
    });
    TppPopupMenu* menu = report::DesignPopupMenu(r.detail);
    menu->ItemByName(QStringLiteral("CalcOrder"))->trigger();
    EXPECT_EQ(first->CalcOrder(), 0);
    EXPECT_EQ(second->CalcOrder(), 1);
    EXPECT_EQ(third->CalcOrder(), 2);

    answers.ExpectModal<TppCalcOrderDialog>([&](TppCalcOrderDialog& d) {
        QApplication::processEvents();
        d.lvVariables->setCurrentItem(d.lvVariables->topLevelItem(0));
        d.spbMoveDown->click();
        d.btnOK->click();
    });
    EXPECT_TRUE(report::RunCalcOrderDialog(r.detail));
    EXPECT_EQ(second->CalcOrder(), 0);
    EXPECT_EQ(first->CalcOrder(), 1);
}

TEST_F(DesignDialogs, the_about_box_names_this_library) {
    run<TppCustomAboutDialog, TppAboutDialog>(nullptr, {}, [](TppAboutDialog& d) {
        EXPECT_EQ(d.windowTitle(), "About Marlisk");
        EXPECT_EQ(d.lblName->text(), "Marlisk");
        EXPECT_EQ(d.lblVersion->text(), "Version 5.0");
        EXPECT_TRUE(d.btnOK->isFlat());
        testsupport::GrabToPng(&d, QStringLiteral("about_dialog"));
        d.btnOK->click();
    });
}

}  // namespace
