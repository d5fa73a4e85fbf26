#include "report/designer/gui/barcode_dialog.h"

#include "report/page/units.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

class BarCodeDialog : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::InstallBarCodeDialog();
    }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }
};

void choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
}

void leave(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    Q_EMIT edit->editingFinished();
}

TEST_F(BarCodeDialog, ChoosingCode128SetsItsCompanionsAndOkApplies) {
    testsupport::DialogAnswerer answerer;
    TppBarCode code;
    code.SetBarCodeType(TppBarCodeType::bcInt2of5);
    code.SetBearerBars(true);
    answerer.ExpectModal<TppBarCodeDialog>([](TppBarCodeDialog& d) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(d.ckbBearerBars->isChecked());
        EXPECT_TRUE(d.ckbBearerBars->isEnabled());
        choose(d.cbxBarCodeType, int(TppBarCodeType::bcCode128));
        EXPECT_TRUE(d.ckbAutoEncode->isChecked());
        EXPECT_TRUE(d.ckbAutoEncode->isEnabled());
        EXPECT_FALSE(d.ckbBearerBars->isChecked());
        EXPECT_FALSE(d.ckbBearerBars->isEnabled());
        EXPECT_FALSE(d.ckbCalcCheckDigit->isChecked());
        EXPECT_FALSE(d.ckbCalcCheckDigit->isEnabled());
        EXPECT_FALSE(d.edtAddOnCode->isEnabled());
        EXPECT_EQ(d.edtBarWidth->text(), "0.01");
        choose(d.cbxOrientation, 2);
        testsupport::GrabToPng(&d, QStringLiteral("barcode_dialog"));
        d.btnOK->click();
    });
    code.Configure();
    EXPECT_EQ(answerer.Pending(), 0);
    EXPECT_EQ(code.BarCodeType(), TppBarCodeType::bcCode128);
    EXPECT_TRUE(code.AutoEncode());
    EXPECT_FALSE(code.BearerBars());
    EXPECT_FALSE(code.CalcCheckDigit());
    EXPECT_EQ(code.mmBarWidth(), 254);
    EXPECT_EQ(code.Orientation(), TppBarCodeOrientation::orTopToBottom);
}

TEST_F(BarCodeDialog, ArrowsStepByTheReportsUnit) {
    struct Case { TppUnitType units; float width; QString afterUp; QString afterDown; };
    const Case cases[] = {
        {TppUnitType::utMMThousandths, 254, "1254", "254"},
        {TppUnitType::utInches, 0.01f, "0.11", "0.01"},
        {TppUnitType::utMillimeters, 0.254f, "1.254", "0.254"},
        {TppUnitType::utPrinterPixels, 6, "56", "6"},
    };
    for (const Case& c : cases) {
        TppBarCodeDialog d;
        d.Units = c.units;
        d.Values.BarWidth = c.width;
        d.Values.WideBarRatio = 0.5f;
        d.Activate();
        d.udBarWidthUp->click();
        EXPECT_EQ(d.edtBarWidth->text(), c.afterUp) << int(c.units);
        d.udBarWidthDown->click();
        EXPECT_EQ(d.edtBarWidth->text(), c.afterDown) << int(c.units);
        // The ratio never steps to zero or below.
        d.udWideBarRatioDown->click();
        if (d.Step() >= 0.5) {
            EXPECT_DOUBLE_EQ(d.Values.WideBarRatio, 0.5);
        }
    }
}

TEST_F(BarCodeDialog, BadEntriesWarnAndKeepTheDialogOpen) {
    testsupport::DialogAnswerer answerer;
    TppBarCode code;
    code.SetBarCodeType(TppBarCodeType::bcUPC_A);
    answerer.ExpectModal<TppBarCodeDialog>([&answerer](TppBarCodeDialog& d) {
        QCoreApplication::processEvents();
        answerer.ExpectMessage("^Invalid Value$", ui::Button::Ok);
        leave(d.edtWideBarRatio, "x");
        EXPECT_EQ(d.edtWideBarRatio->text(), "3");
        EXPECT_DOUBLE_EQ(d.Values.WideBarRatio, 3.0);
        answerer.ExpectMessage("Add-on codes must be either 2 or 5 digits", ui::Button::Ok);
        leave(d.edtAddOnCode, "123");
        EXPECT_EQ(d.Values.AddOnCode, "");
        // OK with a bad entry still in the focused box: the warning keeps the dialog open.
        d.edtAddOnCode->setFocus();
        answerer.ExpectMessage("Add-on codes must be either 2 or 5 digits", ui::Button::Ok);
        d.btnOK->click();
        EXPECT_EQ(d.result(), 0);
        leave(d.edtAddOnCode, "12");
        d.btnOK->click();
    });
    code.Configure();
    EXPECT_EQ(answerer.Pending(), 0);
    EXPECT_EQ(code.AddOnCode(), "12");
    EXPECT_FLOAT_EQ(code.WideBarRatio(), 3.0f);
}

}  // namespace
