// The label wizard as New Items offers it: printer types, sets and stocks, the label
// information and the one-page preview, the tray with "Manual" in its name chosen, and the
// report it leaves behind.

#include "report/designer/gui/label_wizard.h"

#include "report/model/band_classes.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/output/gui/viewer.h"
#include "report/output/producer.h"
#include "report/page/printer_list.h"
#include "report/page/printer_setup.h"
#include "report/page/units.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include "platform/print/testing/fake_catalog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

std::unique_ptr<print::testing::FakeCatalog> officePrinter() {
    auto catalog = std::make_unique<print::testing::FakeCatalog>();
    catalog->printers = {{QStringLiteral("Office Laser"), false}};
    catalog->defaultPrinter = QStringLiteral("Office Laser");
    print::DriverCapabilities office;
    office.paperNames = {QStringLiteral("Letter"), QStringLiteral("A4"), QStringLiteral("Legal")};
    office.paperCodes = {1, 9, 5};
    office.paperSizesTenthsMm = {QSize(2159, 2794), QSize(2100, 2970), QSize(2159, 3556)};
    office.binNames = {QStringLiteral("Automatic"), QStringLiteral("Manual Feed"), QStringLiteral("Lower Tray"),
                       QStringLiteral("Manual Envelope")};
    office.binCodes = {7, 4, 2, 5};
    office.resolutionsDpi = {600};
    catalog->capabilities[QStringLiteral("Office Laser")] = office;
    return catalog;
}

QStringList items(const QComboBox* aBox) {
    QStringList out;
    for (int i = 0; i < aBox->count(); ++i) out << aBox->itemText(i);
    return out;
}

class LabelWizard : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::RegisterReportClasses();
        report::RegisterLabelTemplateWizard();
    }
    void TearDown() override {
        report::UnRegisterLabelTemplateWizard();
        report::SetScreenPixelsPerInch(0);
    }

    /// The wizard as New Items makes it, answering OnCreateReport with `aReport`.
    std::unique_ptr<TppCustomReportWizard> makeWizard(TppReport* aReport) {
        TppWizardClassList wizards;
        ppGetReportWizardClasses(wizards);
        const TppWizardClass* label = nullptr;
        for (const auto& [caption, cls] : wizards)
            if (caption == QLatin1String("Label Templates")) label = cls;
        EXPECT_NE(label, nullptr);
        if (!label) return nullptr;
        std::unique_ptr<TppCustomReportWizard> wizard(qobject_cast<TppCustomReportWizard*>(label->Create(nullptr)));
        wizard->OnCreateReport = [aReport](QObject*, const QString& aDataName, QObject*& aCreated) {
            EXPECT_EQ(aDataName, "");
            aCreated = aReport;
        };
        return wizard;
    }

    print::testing::ScopedCatalog catalog{officePrinter(), report::ResetPrinterList};
    testsupport::DialogAnswerer answerer;
    TComponent owner;
};

TEST_F(LabelWizard, ok_leaves_a_detail_band_with_the_stock_and_the_manual_tray) {
    auto* report = new TppReport(&owner);
    report->SetUnits(TppUnitType::utMillimeters);
    auto wizard = makeWizard(report);
    ASSERT_TRUE(wizard);
    EXPECT_TRUE(wizard->HasDialog());
    answerer.ExpectModal<TppLabelTemplateWizardDialog>([](TppLabelTemplateWizardDialog& d) {
        QCoreApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Label Templates");
        EXPECT_TRUE(d.rbLaserJet->isChecked());
        EXPECT_EQ(items(d.cbxLabelProducts), (QStringList{"Avery Standard", "Avery A4 and A5 sizes"}));
        // The later of the two trays with "Manual" in their names.
        EXPECT_EQ(d.cbxPaperTrays->currentText(), "Manual Envelope");

        d.rbDotMatrix->click();
        EXPECT_EQ(d.PrinterType(), 1);
        EXPECT_EQ(items(d.cbxLabelProducts), (QStringList{"Avery Standard"}));
        ASSERT_GE(d.lbxLabels->count(), 1);
        EXPECT_EQ(d.lbxLabels->currentItem()->text(), "4010 - Address");
        EXPECT_EQ(d.lblType->text(), "Address");
        EXPECT_EQ(d.lblWidth->text(), "3.5\"");
        EXPECT_EQ(d.lblHeight->text(), "0.94\"");
        // A continuous form has no paper name: its size is shown.
        EXPECT_EQ(d.lblPageSize->text(), "(4.25 x 1)");

        d.rbLaserJet->click();
        const QList<QListWidgetItem*> found = d.lbxLabels->findItems("5160 - Address", Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        d.lbxLabels->setCurrentItem(found.first());
        EXPECT_EQ(d.Definition().Product, "5160");
        EXPECT_EQ(d.lblWidth->text(), "2.63\"");
        EXPECT_EQ(d.lblPageSize->text(), "Letter");
        EXPECT_EQ(d.PreviewReport()->Columns(), 3);
        QCoreApplication::processEvents();
        testsupport::GrabToPng(&d, QStringLiteral("label_wizard"));
        d.btnOK->click();
    });
    EXPECT_TRUE(wizard->Execute());
    EXPECT_EQ(answerer.Pending(), 0);
    EXPECT_EQ(wizard->GetReport(), report);
    EXPECT_EQ(wizard->FinishAction, 1);

    ASSERT_EQ(report->BandCount(), 1);
    EXPECT_EQ(report->Bands(0)->BandType(), TppBandType::btDetail);
    EXPECT_EQ(report->Columns(), 3);
    EXPECT_EQ(report->Units(), TppUnitType::utMillimeters);
    EXPECT_NEAR(report->Bands(0)->mmHeight(), 25400, 2);
    EXPECT_NEAR(report->PrinterSetup()->PageDef()->mmWidth(), 215900, 2);
    EXPECT_EQ(report->PrinterSetup()->BinName(), "Manual Envelope");
}

TEST_F(LabelWizard, cancel_answers_false_and_leaves_the_report_alone) {
    auto* report = new TppReport(&owner);
    report->CreateDefaultBands();
    const int bands = report->BandCount();
    auto wizard = makeWizard(report);
    ASSERT_TRUE(wizard);
    answerer.ExpectModal<TppLabelTemplateWizardDialog>([](TppLabelTemplateWizardDialog& d) { d.btnCancel->click(); });
    EXPECT_FALSE(wizard->Execute());
    EXPECT_EQ(wizard->GetReport(), nullptr);
    EXPECT_EQ(report->BandCount(), bands);
}

TEST_F(LabelWizard, ok_without_a_report_from_the_owner_still_answers_true) {
    auto wizard = makeWizard(nullptr);
    ASSERT_TRUE(wizard);
    answerer.ExpectModal<TppLabelTemplateWizardDialog>([](TppLabelTemplateWizardDialog& d) { d.btnOK->click(); });
    EXPECT_TRUE(wizard->Execute());
    EXPECT_EQ(wizard->GetReport(), nullptr);
    EXPECT_EQ(wizard->GetReportName(), "");
}

}  // namespace
