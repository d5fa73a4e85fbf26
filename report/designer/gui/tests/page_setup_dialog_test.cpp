// The page setup dialog driven by name on a report over a described printer catalogue: edits
// apply on leaving and on OK, arrows step by the report's unit, a bad number keeps the dialog
// open, a new printer reloads papers and trays, and Cancel or the close button put everything
// back.

#include "report/designer/gui/page_setup_dialog.h"

#include "report/model/band_classes.h"
#include "report/model/report.h"
#include "report/output/gui/up_down.h"
#include "report/page/page_def.h"
#include "report/page/printer_list.h"
#include "report/page/printer_setup.h"
#include "report/page/units.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include "platform/print/testing/fake_catalog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

namespace {

std::unique_ptr<print::testing::FakeCatalog> twoPrinters() {
    auto catalog = std::make_unique<print::testing::FakeCatalog>();
    catalog->printers = {{QStringLiteral("Office Laser"), false}, {QStringLiteral("Label Writer"), false}};
    catalog->defaultPrinter = QStringLiteral("Office Laser");
    print::DriverCapabilities office;
    office.paperNames = {QStringLiteral("Letter"), QStringLiteral("A4"), QStringLiteral("Legal")};
    office.paperCodes = {1, 9, 5};
    office.paperSizesTenthsMm = {QSize(2159, 2794), QSize(2100, 2970), QSize(2159, 3556)};
    office.binNames = {QStringLiteral("Automatic"), QStringLiteral("Manual Feed"), QStringLiteral("Lower Tray")};
    office.binCodes = {7, 4, 2};
    office.resolutionsDpi = {600};
    catalog->capabilities[QStringLiteral("Office Laser")] = office;
    print::DriverCapabilities labels;
    labels.paperNames = {QStringLiteral("Label 4 x 6")};
    labels.paperCodes = {300};
    labels.paperSizesTenthsMm = {QSize(1016, 1524)};
    labels.binNames = {QStringLiteral("Roll")};
    labels.binCodes = {1};
    labels.resolutionsDpi = {203};
    catalog->capabilities[QStringLiteral("Label Writer")] = labels;
    return catalog;
}

class PageSetupDialog : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::InstallPageSetupDialog();
        report = new TppReport(&owner);
        report->SetUnits(TppUnitType::utInches);
        detail = new TppDetailBand(&owner);
        detail->SetReport(report);
        report->PrinterSetup()->SetPrinterName(QStringLiteral("Office Laser"));
        report->PrinterSetup()->SetPaperName(QStringLiteral("Letter"));
        report->PrinterSetup()->SetDocumentName(QStringLiteral("Package list"));
    }
    void TearDown() override {
        delete report;
        report::UnInstallPageSetupDialog();
        report::SetScreenPixelsPerInch(0);
    }

    /// Runs the dialog on the report, handing it to `fill`.
    /// Runs the dialog on the report, handing it to `fill`; `warnings` "Invalid Value" boxes
    /// are expected while it runs.
    void run(std::function<void(TppPageSetupDialog&)> fill, int warnings = 0) {
        answerer.ExpectModal<TppPageSetupDialog>([fill](TppPageSetupDialog& d) {
            QCoreApplication::processEvents();
            fill(d);
        });
        for (int i = 0; i < warnings; ++i)
            answerer.ExpectMessage(QStringLiteral("^Invalid Value$"), ui::Button::Ok, ui::MessageKind::Warning);
        report::ShowPageSetupDialog(report);
        EXPECT_EQ(answerer.Pending(), 0);
    }

    print::testing::ScopedCatalog catalog{twoPrinters(), report::ResetPrinterList};
    testsupport::DialogAnswerer answerer;
    TComponent owner;
    TppReport* report = nullptr;
    TppDetailBand* detail = nullptr;
};

void leave(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    Q_EMIT edit->editingFinished();
}

void arrow(TppUpDown* upDown, bool up) {
    QTest::mouseClick(upDown, Qt::LeftButton, {}, QPoint(upDown->width() / 2, up ? 2 : upDown->height() - 2));
}

TEST_F(PageSetupDialog, opens_on_the_printer_tab_with_the_reports_setup) {
    run([](TppPageSetupDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Page Setup");
        EXPECT_EQ(d.pgcPageSetup->currentIndex(), 0);
        EXPECT_EQ(d.pgcPageSetup->tabText(1), "Paper Size");
        EXPECT_EQ(d.cbxPrinterName->currentText(), "Office Laser");
        EXPECT_EQ(d.edtDocumentName->text(), "Package list");
        EXPECT_EQ(d.edtCopies->text(), "1");
        EXPECT_EQ(d.cbxDuplex->count(), 3);
        EXPECT_EQ(d.cbxPaperName->currentText(), "Letter");
        EXPECT_EQ(d.edtPaperWidth->text(), "8.5");
        EXPECT_EQ(d.edtPaperHeight->text(), "11");
        EXPECT_TRUE(d.rdbPortrait->isChecked());
        QStringList trays;
        for (int i = 0; i < d.lbxPaperSource->count(); ++i) trays << d.lbxPaperSource->item(i)->text();
        EXPECT_EQ(trays, (QStringList{"Default", "Automatic", "Manual Feed", "Lower Tray"}));
        // One column: the positions grid is 5 empty, greyed columns, and the width is off.
        EXPECT_EQ(d.grdColumnPositions->columnCount(), 5);
        EXPECT_FALSE(d.grdColumnPositions->isEnabled());
        EXPECT_FALSE(d.edtColumnWidth->isEnabled());
        testsupport::GrabToPng(&d, QStringLiteral("page_setup_printer"));
        d.btnOK->click();
    });
}

TEST_F(PageSetupDialog, edits_and_arrows_change_the_report_at_once) {
    struct Case {
        const char* what;
        std::function<void(TppPageSetupDialog&)> act;
        std::function<void(TppCustomReport&, TppPageSetupDialog&)> check;
    };
    const Case cases[] = {
        {"three columns of 2.5 inches from a left margin of 0.25",
         [](TppPageSetupDialog& d) {
             leave(d.edtLeftMargin, "0.25");
             leave(d.edtColumns, "3");
             leave(d.edtColumnWidth, "2.5");
         },
         [](TppCustomReport& r, TppPageSetupDialog& d) {
             EXPECT_EQ(r.Columns(), 3);
             EXPECT_EQ(r.ColumnPositions(), (QStringList{"0.25", "2.75", "5.25"}));
             EXPECT_EQ(d.grdColumnPositions->columnCount(), 4);
             EXPECT_EQ(d.grdColumnPositions->item(0, 2)->text(), "Column 2");
             EXPECT_EQ(d.grdColumnPositions->item(1, 3)->text(), "5.25");
             EXPECT_TRUE(d.edtColumnWidth->isEnabled());
         }},
        {"a position typed into the grid",
         [](TppPageSetupDialog& d) {
             leave(d.edtColumns, "2");
             d.grdColumnPositions->item(1, 2)->setText("4.5");
         },
         [](TppCustomReport& r, TppPageSetupDialog&) { EXPECT_EQ(r.ColumnPositions().value(1), "4.5"); }},
        {"the width arrow steps by half an inch",
         [](TppPageSetupDialog& d) { arrow(d.udPaperWidth, true); },
         [](TppCustomReport& r, TppPageSetupDialog& d) {
             EXPECT_FLOAT_EQ(r.PrinterSetup()->PaperWidth(), 9.0f);
             EXPECT_EQ(d.edtPaperWidth->text(), "9");
             EXPECT_EQ(d.cbxPaperName->currentText(), "Custom");
         }},
        {"the margin arrows step down",
         [](TppPageSetupDialog& d) {
             leave(d.edtTopMargin, "1");
             arrow(d.udTopMargin, false);
         },
         [](TppCustomReport& r, TppPageSetupDialog&) { EXPECT_FLOAT_EQ(r.PrinterSetup()->MarginTop(), 0.5f); }},
        {"row spacing goes to the detail band",
         [](TppPageSetupDialog& d) {
             leave(d.edtRowSpacing, "0.125");
             arrow(d.udRowSpacing, true);
         },
         [](TppCustomReport& r, TppPageSetupDialog&) {
             EXPECT_FLOAT_EQ(r.GetBand(TppBandType::btDetail)->BottomOffset(), 0.625f);
         }},
        {"copies, collation, duplex, tray and document name",
         [](TppPageSetupDialog& d) {
             leave(d.edtCopies, "3");
             arrow(d.udCopies, true);
             QTest::mouseClick(d.lblCollation, Qt::LeftButton);
             d.cbxDuplex->setCurrentIndex(2);
             Q_EMIT d.cbxDuplex->activated(2);
             QListWidgetItem* manual = d.lbxPaperSource->item(2);
             d.lbxPaperSource->setCurrentItem(manual);
             Q_EMIT d.lbxPaperSource->itemClicked(manual);
             leave(d.edtDocumentName, "Labels");
             leave(d.edtCopies, "0");  // ignored
         },
         [](TppCustomReport& r, TppPageSetupDialog&) {
             TppPrinterSetup* s = r.PrinterSetup();
             EXPECT_EQ(s->Copies(), 4);
             EXPECT_FALSE(s->Collation());
             EXPECT_EQ(s->Duplex(), TppDuplexType::dpVertical);
             EXPECT_EQ(s->BinName(), "Manual Feed");
             EXPECT_EQ(s->DocumentName(), "Labels");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        run([&](TppPageSetupDialog& d) {
            c.act(d);
            c.check(*report, d);
            d.btnOK->click();
        });
    }
}

TEST_F(PageSetupDialog, arrows_step_by_the_reports_unit) {
    struct Case {
        TppUnitType units;
        float step;
    };
    const Case cases[] = {{TppUnitType::utInches, 0.5f},
                          {TppUnitType::utMillimeters, 5},
                          {TppUnitType::utScreenPixels, 50},
                          {TppUnitType::utPrinterPixels, 300},
                          {TppUnitType::utMMThousandths, 5000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.units));
        report->SetUnits(c.units);
        const float before = report->PrinterSetup()->PaperHeight();
        run([&](TppPageSetupDialog& d) {
            EXPECT_FLOAT_EQ(d.SpinStep(), c.step);
            arrow(d.udPaperHeight, true);
            d.btnOK->click();
        });
        EXPECT_NEAR(report->PrinterSetup()->PaperHeight(), before + c.step, c.step / 100);
        report->PrinterSetup()->SetPaperName(QStringLiteral("Letter"));
    }
}

TEST_F(PageSetupDialog, a_value_that_is_not_a_number_keeps_the_dialog_open) {
    run([](TppPageSetupDialog& d) {
        d.pgcPageSetup->setCurrentIndex(1);
        d.edtPaperWidth->setFocus();
        d.edtPaperWidth->setText("abc");
        d.btnOK->click();  // OK takes the text still being typed, and refuses it
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.edtPaperWidth->text(), "8.5");  // the width shown again
        d.pgcPageSetup->setCurrentIndex(4);
        d.edtLeftMargin->setFocus();
        d.edtLeftMargin->setText("1,x");
        d.btnOK->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.edtLeftMargin->text(), "1,x");  // a margin keeps what was typed
        d.edtLeftMargin->setText("0.75");
        d.btnOK->click();  // now taken, and the dialog closes
    }, 2);
    EXPECT_FLOAT_EQ(report->PrinterSetup()->PaperWidth(), 8.5f);
    EXPECT_FLOAT_EQ(report->PrinterSetup()->MarginLeft(), 0.75f);
}

TEST_F(PageSetupDialog, cancel_and_the_close_button_put_everything_back) {
    detail->SetBottomOffset(0.25f);
    const auto before = [this] {
        TppPrinterSetup* s = report->PrinterSetup();
        return QStringList{s->PrinterName(), s->PaperName(), QString::number(int(s->Orientation())),
                           QString::number(s->PageDef()->mmMarginLeft()), QString::number(s->PageDef()->mmWidth()),
                           QString::number(report->Columns()), report->ColumnPositions().join(u','),
                           QString::number(report->mmColumnWidth()), QString::number(detail->mmBottomOffset())};
    };
    const QStringList original = before();
    for (bool closeButton : {false, true}) {
        SCOPED_TRACE(closeButton ? "close button" : "Cancel");
        run([&](TppPageSetupDialog& d) {
            leave(d.edtColumns, "2");
            leave(d.edtColumnWidth, "3");
            leave(d.edtLeftMargin, "1");
            leave(d.edtRowSpacing, "0.5");
            d.rdbLandscape->click();
            EXPECT_EQ(report->Columns(), 2);
            EXPECT_EQ(report->PrinterSetup()->Orientation(), TPrinterOrientation::poLandscape);
            // A value half typed when Cancel takes the focus is not applied.
            d.edtTopMargin->setText("2");
            d.btnCancel->setFocus();
            Q_EMIT d.edtTopMargin->editingFinished();
            EXPECT_FLOAT_EQ(report->PrinterSetup()->MarginTop(), 0.25f);
            if (closeButton) d.close();
            else d.btnCancel->click();
        });
        EXPECT_EQ(before(), original);
    }
}

TEST_F(PageSetupDialog, a_new_printer_reloads_papers_and_trays) {
    run([](TppPageSetupDialog& d) {
        const int labelWriter = d.cbxPrinterName->findText("Label Writer");
        ASSERT_GE(labelWriter, 0);
        d.cbxPrinterName->setCurrentIndex(labelWriter);
        Q_EMIT d.cbxPrinterName->activated(labelWriter);
        EXPECT_EQ(d.lbxPaperSource->count(), 2);
        EXPECT_EQ(d.lbxPaperSource->item(1)->text(), "Roll");
        EXPECT_GE(d.cbxPaperName->findText("Label 4 x 6"), 0);
        EXPECT_EQ(d.cbxPaperName->findText("Legal"), -1);
        EXPECT_EQ(d.cbxPaperName->currentText(), "Custom");  // Letter is not among its papers
        d.btnOK->click();
    });
    EXPECT_EQ(report->PrinterSetup()->PrinterName(), "Label Writer");
}

TEST_F(PageSetupDialog, a_landscape_letter_page_is_drawn_wider_than_high_and_centred) {
    run([](TppPageSetupDialog& d) {
        d.pgcPageSetup->setCurrentIndex(1);
        d.rdbLandscape->click();
        const QRect page = d.ppPageImage->PageRect();
        EXPECT_GT(page.width(), page.height());
        EXPECT_NEAR(page.center().x(), d.ppPageImage->width() / 2, 1);
        EXPECT_NEAR(page.center().y(), d.ppPageImage->height() / 2, 1);
        leave(d.edtColumns, "2");
        testsupport::GrabToPng(&d, QStringLiteral("page_setup_landscape"));
        d.pgcPageSetup->setCurrentIndex(3);
        testsupport::GrabToPng(&d, QStringLiteral("page_setup_layout"));
        d.btnOK->click();
    });
    EXPECT_EQ(report->PrinterSetup()->Orientation(), TPrinterOrientation::poLandscape);
}

TEST_F(PageSetupDialog, without_a_detail_band_row_spacing_is_left_alone) {
    delete detail;
    detail = nullptr;
    run([](TppPageSetupDialog& d) {
        EXPECT_EQ(d.edtRowSpacing->text(), "0");
        arrow(d.udRowSpacing, true);
        EXPECT_EQ(d.edtRowSpacing->text(), "0");
        arrow(d.udLeftMargin, true);
        EXPECT_EQ(d.edtLeftMargin->text(), "0.75");
        d.btnOK->click();
    });
    EXPECT_FLOAT_EQ(report->PrinterSetup()->MarginLeft(), 0.75f);
}

}  // namespace
