#include "report/output/gui/print_preview.h"
#include "testsupport/qt_printers.h"

#include "report/output/gui/output_forms.h"
#include "report/output/gui/print_dialog.h"
#include "report/output/gui/up_down.h"
#include "report/output/gui/viewer.h"
#include "report/output/printer.h"
#include "report/output/producer.h"
#include "report/output/tests/output_fixtures.h"
#include "report/output/tests/recording_device.h"
#include "report/page/page.h"
#include "report/page/printer_list.h"
#include "report/page/printer_setup.h"
#include "report/page/units.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"
#include "testsupport/widget_helpers.h"

#include "platform/print/testing/fake_catalog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

namespace {

using outputtest::FakeReport;
using outputtest::pdfPrinter;
using print::testing::FakeCatalog;
using print::testing::ScopedCatalog;
using testsupport::Click;
using testsupport::FindControl;
using testsupport::WaitFor;

class Preview : public outputtest::OutputFormsTest {
protected:
    /// Opens the preview of `report` without waiting and answers its form.
    TppPrintPreview* open(TppProducer& producer, FakeReport& report) {
        producer.SetPageSource(&report);
        producer.SetModalPreview(false);
        producer.Print();
        auto* form = dynamic_cast<TppPrintPreview*>(producer.PreviewForm());
        if (form) form->resize(620, 520);
        return form;
    }
    static QString pageBox(TppPrintPreview* form) { return form->mskPreviewPage->text(); }
    testsupport::DialogAnswerer answers;
};

TEST_F(Preview, buttons_and_keys_move_between_pages_and_stop_at_both_ends) {
    ScopedCatalog scoped(std::make_unique<FakeCatalog>(), report::ResetPrinterList);
    FakeReport report(5);
    TppProducer producer;
    TppPrintPreview* form = open(producer, report);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(WaitFor([&] { return pageBox(form) == "1"; }));
    EXPECT_TRUE(form->StatusBar->currentMessage().contains("Page 1")) << form->StatusBar->currentMessage().toStdString();

    Click(form, "spbPreviewPrior");
    EXPECT_EQ(pageBox(form), "1");
    Click(form, "spbPreviewNext");
    EXPECT_EQ(pageBox(form), "2");
    QTest::keyClick(form, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(pageBox(form), "5");
    Click(form, "spbPreviewNext");
    EXPECT_EQ(pageBox(form), "5");
    QTest::keyClick(form, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(pageBox(form), "4");
    QTest::keyClick(form, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(pageBox(form), "1");
    QTest::keyClick(form, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(pageBox(form), "2");
    Click(form, "spbPreviewLast");
    EXPECT_EQ(pageBox(form), "5");
    Click(form, "spbPreviewFirst");
    EXPECT_EQ(pageBox(form), "1");

    form->mskPreviewPage->setText("3");
    QTest::keyClick(form->mskPreviewPage, Qt::Key_Return);
    EXPECT_EQ(pageBox(form), "3");
    EXPECT_EQ(form->Viewer()->ScreenDevice()->DisplayedPage()->AbsolutePageNo(), 3);
    form->Close();
    EXPECT_TRUE(WaitFor([&] { return producer.PreviewForm() == nullptr; }));
}

TEST_F(Preview, zoom_buttons_and_percentages_size_the_page) {
    ScopedCatalog scoped(std::make_unique<FakeCatalog>(), report::ResetPrinterList);
    FakeReport report(3);
    TppProducer producer;
    TppPrintPreview* form = open(producer, report);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(WaitFor([&] { return pageBox(form) == "1"; }));
    TppViewer* viewer = form->Viewer();
    const QSize box = viewer->ScrollBoxSize();

    // Whole page: the page fits the box without scrolling.
    EXPECT_EQ(viewer->ZoomSetting(), TppZoomSettingType::zsWholePage);
    EXPECT_TRUE(form->spbPreviewWhole->isChecked());
    EXPECT_LE(viewer->ScreenDevice()->Bitmap().height(), box.height());
    EXPECT_LT(viewer->GetCalculatedZoom(), 100);
    testsupport::GrabToPng(form, QStringLiteral("report_preview_whole_page"));

    Click(form, "spbPreview100Percent");
    EXPECT_EQ(viewer->GetCalculatedZoom(), 100);
    EXPECT_EQ(form->mskPreviewPercentage->text(), "100");
    EXPECT_TRUE(form->spbPreview100Percent->isChecked());
    EXPECT_FALSE(form->spbPreviewWhole->isChecked());
    // Letter at 96 pixels per inch is 816 pixels wide.
    EXPECT_NEAR(viewer->ScreenDevice()->PageRect().width(), 816, 1);
    testsupport::GrabToPng(form, QStringLiteral("report_preview_100_percent"));

    // Page Down scrolls the page by the height of the box.
    QTest::keyClick(form, Qt::Key_PageDown);
    EXPECT_GT(viewer->ScrollBox()->verticalScrollBar()->value(), 0);

    Click(form, "spbPreviewWidth");
    EXPECT_EQ(viewer->ZoomSetting(), TppZoomSettingType::zsPageWidth);
    EXPECT_LE(viewer->ScreenDevice()->Bitmap().width(), box.width());
    EXPECT_GT(viewer->ScreenDevice()->PageRect().width(), box.width() * 3 / 4);

    struct Case {
        QString entry;
        int zoom;
    } cases[] = {{"400", 250}, {"50", 50}, {"abc", 100}};
    for (const Case& c : cases) {
        form->mskPreviewPercentage->setText(c.entry);
        QTest::keyClick(form->mskPreviewPercentage, Qt::Key_Return);
        EXPECT_EQ(viewer->ZoomSetting(), TppZoomSettingType::zsPercentage) << c.entry.toStdString();
        EXPECT_EQ(viewer->GetCalculatedZoom(), c.zoom) << c.entry.toStdString();
        EXPECT_EQ(form->mskPreviewPercentage->text(), QString::number(c.zoom));
        EXPECT_FALSE(form->spbPreviewWidth->isChecked());
    }
    form->Close();
    EXPECT_TRUE(WaitFor([&] { return producer.PreviewForm() == nullptr; }));
}

TEST_F(Preview, close_during_a_long_generation_cancels_and_a_second_click_closes) {
    ScopedCatalog scoped(std::make_unique<FakeCatalog>(), report::ResetPrinterList);
    FakeReport report(40);
    TppProducer producer;
    producer.SetPageSource(&report);
    producer.SetModalPreview(false);
    TppPrintPreview* form = nullptr;
    QString captionWhileBusy;
    bool closedWhileBusy = false;
    report.afterPage = [&](int pageNo) {
        if (pageNo != 3 || !form) return;
        captionWhileBusy = form->spbPreviewClose->text();
        form->spbPreviewClose->click();
        closedWhileBusy = !form->isVisible();
    };
    // Ask for the last page: the report generates every page up to it.
    QObject::connect(&producer, &QObject::destroyed, [] {});
    producer.Print();
    form = dynamic_cast<TppPrintPreview*>(producer.PreviewForm());
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(WaitFor([&] { return pageBox(form) == "1"; }));
    Click(form, "spbPreviewLast");
    EXPECT_EQ(captionWhileBusy, "Cancel");
    EXPECT_FALSE(closedWhileBusy);
    EXPECT_TRUE(form->isVisible());
    EXPECT_LT(report.generated.size(), 40u);
    EXPECT_NE(pageBox(form), "40");
    EXPECT_EQ(form->spbPreviewClose->text(), "Close");
    EXPECT_TRUE(form->mskPreviewPage->isEnabled());

    Click(form, "spbPreviewClose");
    EXPECT_TRUE(WaitFor([&] { return producer.PreviewForm() == nullptr; }));
}

TEST_F(Preview, printing_from_the_preview_prints_without_the_search_dialog_and_keeps_the_settings) {
    const QString pdf = FilePath("preview.pdf");
    ScopedCatalog scoped(pdfPrinter(pdf), report::ResetPrinterList);
    FakeReport report(3);
    TppProducer producer;
    producer.SetShowPrintDialog(false);
    producer.SetShowCancelDialog(false);
    producer.SetShowAutoSearchDialog(true);
    TppPrintPreview* form = open(producer, report);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(WaitFor([&] { return pageBox(form) == "1"; }));
    EXPECT_TRUE(form->spbAutoSearch->isVisible());
    Click(form, "spbPreviewNext");
    Click(form, "spbPreviewPrint");
    EXPECT_TRUE(QFileInfo(pdf).size() > 0);
    EXPECT_EQ(producer.DeviceType(), "Screen");
    EXPECT_TRUE(producer.ShowAutoSearchDialog());
    EXPECT_EQ(producer.CurrentPage(), 2);
    // The preview keeps its page and still navigates.
    EXPECT_EQ(pageBox(form), "2");
    Click(form, "spbPreviewNext");
    EXPECT_EQ(pageBox(form), "3");
    form->Close();
    EXPECT_TRUE(WaitFor([&] { return producer.PreviewForm() == nullptr; }));
}

// The print dialog -------------------------------------------------------------------------

class PrintDialog : public Preview {
protected:
    void SetUp() override {
        Preview::SetUp();
        scoped = std::make_unique<ScopedCatalog>(pdfPrinter(FilePath("out.pdf")), report::ResetPrinterList);
        printer = std::make_unique<TppPrinter>();
        setup.SetPrinterName(QStringLiteral("Office Laser"));
        setup.SetCopies(2);
        setup.SetCollation(true);
        printer->SetPrinterSetup(&setup);
        dialog = std::make_unique<TppPrintDialog>();
        dialog->Printer = printer.get();
        dialog->SetPageRequest(&request);
        dialog->AllowPrintToFile = true;
        dialog->AllowPrintToArchive = true;
        dialog->TextFileName = FilePath("export.txt");
        dialog->ArchiveFileName = FilePath("pages.raf");
    }
    void TearDown() override {
        dialog.reset();
        printer.reset();
        scoped.reset();
        Preview::TearDown();
    }
    std::unique_ptr<ScopedCatalog> scoped;
    std::unique_ptr<TppPrinter> printer;
    TppPrinterSetup setup;
    TppPageRequest request;
    std::unique_ptr<TppPrintDialog> dialog;
};

TEST_F(PrintDialog, page_ranges_copies_and_collation_reach_the_request_and_the_setup) {
    dialog->Init();
    dialog->show();
    EXPECT_EQ(dialog->cbxPrinters->currentText(), "Office Laser");
    EXPECT_EQ(dialog->edtCopies->text(), "2");
    EXPECT_TRUE(dialog->cbxCollate->isChecked());
    testsupport::GrabToPng(dialog.get(), QStringLiteral("report_print_dialog"));

    // Unchecking Collate changes the setup at once.
    dialog->cbxCollate->click();
    EXPECT_FALSE(printer->PrinterSetup()->Collation());

    // A text that is not a number becomes 1 when the box is left.
    dialog->edtCopies->setFocus();
    dialog->edtCopies->setText("abc");
    dialog->rdbAll->setFocus();
    EXPECT_EQ(dialog->edtCopies->text(), "1");
    // The arrows stop at 1 and 999.
    QTest::mouseClick(dialog->udCopies, Qt::LeftButton, {}, QPoint(7, dialog->udCopies->height() - 3));
    EXPECT_EQ(dialog->edtCopies->text(), "1");
    dialog->edtCopies->setText("999");
    QTest::mouseClick(dialog->udCopies, Qt::LeftButton, {}, QPoint(7, 3));
    EXPECT_EQ(dialog->edtCopies->text(), "999");
    dialog->edtCopies->setText("3");

    // A click into the range box chooses Pages; an empty range keeps the dialog open.
    QTest::mouseClick(dialog->edtPageRange, Qt::LeftButton);
    EXPECT_TRUE(dialog->rdbPages->isChecked());
    answers.ExpectMessage(QStringLiteral("^No pages entered\\.$"), ui::Button::Ok, ui::MessageKind::Warning);
    Click(dialog.get(), "btnOK");
    EXPECT_EQ(dialog->result(), 0);

    QTest::keyClicks(dialog->edtPageRange, "2-4,1");
    dialog->cbxPrintWhat->setCurrentIndex(1);
    Click(dialog.get(), "btnOK");
    EXPECT_EQ(dialog->result(), int(QDialog::Accepted));
    EXPECT_EQ(request.PageSetting(), TppPageSettingType::psPageList);
    EXPECT_EQ(request.PageList(), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(request.PageRange(), 1);
    EXPECT_EQ(printer->PrinterSetup()->Copies(), 3);
    EXPECT_FALSE(dialog->PrintToFile);
    EXPECT_FALSE(dialog->PrintToArchive);
}

TEST_F(PrintDialog, printing_to_a_file_offers_every_file_device_and_checks_the_name) {
    dialog->Init();
    dialog->show();
    QStringList types;
    for (int i = 0; i < dialog->cbxPrintToFileTypes->count(); ++i) types << dialog->cbxPrintToFileTypes->itemText(i);
    EXPECT_EQ(types, (QStringList{"Archive File", "Text File", "Report Emulation Text File"}))
        << types.join(", ").toStdString();
    EXPECT_FALSE(dialog->edtPrintToFileName->isEnabled());
    dialog->cbxPrintToFile->click();
    EXPECT_TRUE(dialog->edtPrintToFileName->isEnabled());
    EXPECT_EQ(dialog->edtPrintToFileName->text(), FilePath("pages.raf"));
    dialog->cbxPrintToFileTypes->setCurrentIndex(1);
    EXPECT_EQ(dialog->edtPrintToFileName->text(), FilePath("export.txt"));

    dialog->edtPrintToFileName->selectAll();
    QTest::keyClick(dialog->edtPrintToFileName, Qt::Key_Delete);
    answers.ExpectMessage(QStringLiteral("^Please specify file name before continuing\\.$"), ui::Button::Ok,
                          ui::MessageKind::Warning);
    Click(dialog.get(), "btnOK");
    EXPECT_EQ(dialog->result(), 0);

    QTest::keyClicks(dialog->edtPrintToFileName, FilePath("list.csv"));
    EXPECT_EQ(dialog->TextFileName, FilePath("list.csv"));
    dialog->rdbCurrentPage->click();
    Click(dialog.get(), "btnOK");
    EXPECT_EQ(dialog->result(), int(QDialog::Accepted));
    EXPECT_TRUE(dialog->PrintToFile);
    EXPECT_FALSE(dialog->PrintToArchive);
    EXPECT_EQ(dialog->DeviceType, "TextFile");
    EXPECT_EQ(request.PageSetting(), TppPageSettingType::psSinglePage);
}

TEST_F(PrintDialog, without_file_output_the_panel_is_hidden_and_the_form_lower) {
    dialog->Init();
    const int withPanel = dialog->height();
    TppPrintDialog plain;
    plain.Printer = printer.get();
    plain.SetPageRequest(&request);
    plain.Init();
    plain.show();
    EXPECT_FALSE(plain.pnlPrintToFile->isVisible());
    EXPECT_LT(plain.height(), withPanel);
    EXPECT_GT(plain.btnOK->geometry().bottom(), plain.cbxPrintWhat->geometry().bottom());
    EXPECT_LE(plain.btnOK->geometry().bottom(), plain.height());
}

}  // namespace
