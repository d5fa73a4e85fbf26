// The Print to File Setup dialog, reached through the registry as the designer's command
// reaches it: texts chosen band by band, in an order, with lengths; OK writes the texts,
// bands and the report's file settings, and the text file a print job then writes holds the
// chosen columns with the values SQL reads from the same table.

#include "report/designer/gui/print_to_file_setup_dialog.h"

#include "report/designer/gui/design_dialog_commands.h"
#include "dialog_fixture.h"
#include "report/model/text_layout.h"
#include "report/output/producer.h"
#include "report/output/report_page_source.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {

using designertest::GroupedReport;

class PrintToFileSetup : public designertest::DesignerTest {
protected:
    void SetUp() override {
        DesignerTest::SetUp();
        report::InitializeOutputUnit();
        report::RegisterPrintToFileSetupDialog();
    }
    void TearDown() override {
        report::UnRegisterPrintToFileSetupDialog();
        DesignerTest::TearDown();
    }

    /// Runs the designer's command on the report with `fill` driving the dialog.
    bool run(TppCustomReport* aReport, std::function<void(TppPrintToFileSetupDialog&)> fill) {
        answers.ExpectModal<TppPrintToFileSetupDialog>([fill](TppPrintToFileSetupDialog& d) {
            d.activateWindow();
            QApplication::setActiveWindow(&d);
            QApplication::processEvents();
            fill(d);
        });
        const bool ok = report::RunPrintToFileSetupDialog(aReport, qobject_cast<TppReport*>(aReport), nullptr);
        EXPECT_EQ(answers.Pending(), 0);
        return ok;
    }

    static QStringList texts(const QListWidget* aList) {
        QStringList t;
        for (int i = 0; i < aList->count(); ++i) t << aList->item(i)->text();
        return t;
    }
    static void choose(QListWidget* aList, const QString& aText) {
        const auto found = aList->findItems(aText, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << aText.toStdString();
        aList->setCurrentItem(found.first());
    }
    static void clickItem(QListWidget* aList, int aRow) {
        QTest::mouseClick(aList->viewport(), Qt::LeftButton, {}, aList->visualItemRect(aList->item(aRow)).center());
    }
    static void chooseType(QComboBox* aBox, TppFileType aType) {
        aBox->setCurrentIndex(int(aType));
        Q_EMIT aBox->activated(int(aType));
    }

    testsupport::DialogAnswerer answers;
};

TEST_F(PrintToFileSetup, three_texts_in_order_with_lengths_export_the_values_sql_reads) {
    GroupedReport r;
    r.report->SetUnits(TppUnitType::utMMThousandths);
    const QString target = r.dir.filePath(QStringLiteral("packages"));
    const bool ok = run(r.report, [&](TppPrintToFileSetupDialog& d) {
        answers.ExpectFileToSave(target);
        EXPECT_EQ(d.windowTitle(), "Print to File Setup");
        EXPECT_FALSE(d.edtTextFileName->isEnabled());
        EXPECT_TRUE(d.edtSaveLength->isHidden());
        const int detailRow = texts(d.lbxBands).indexOf(r.detail->GetCaptionText());
        ASSERT_GE(detailRow, 0);
        d.lbxBands->setCurrentRow(detailRow);
        EXPECT_EQ(texts(d.lbxItemsAvailable), (QStringList{"Package", "SectionText", "Size"}));
        EXPECT_FALSE(d.spbDeselectItem->isEnabled());
        for (const char* name : {"SectionText", "Package", "Size"}) {
            choose(d.lbxItemsAvailable, QString::fromLatin1(name));
            d.spbSelectItem->click();
        }
        EXPECT_EQ(texts(d.lbxItemsSelected), (QStringList{"SectionText", "Package", "Size"}));
        EXPECT_FALSE(d.spbSelectItem->isEnabled());
        EXPECT_TRUE(d.spbDeselectAllItems->isEnabled());
        chooseType(d.cbxTextFileType, TppFileType::ftFixedLength);
        EXPECT_FALSE(d.edtSaveLength->isHidden());
        const int lengths[] = {10, 20, 5};
        for (int i = 0; i < 3; ++i) {
            clickItem(d.lbxItemsSelected, i);
            d.edtSaveLength->selectAll();
            QTest::keyClicks(d.edtSaveLength, QString::number(lengths[i]));
        }
        d.btnFile->click();
        EXPECT_EQ(d.edtTextFileName->text(), target + ".txt");
        testsupport::GrabToPng(&d, QStringLiteral("print_to_file_setup_dialog"));
        d.btnOK->click();
    });
    ASSERT_TRUE(ok);
    EXPECT_TRUE(r.sectionText->Save());
    EXPECT_EQ(r.sectionText->SaveOrder(), 0);
    EXPECT_EQ(r.package->SaveOrder(), 1);
    EXPECT_EQ(r.size->SaveOrder(), 2);
    EXPECT_EQ(r.package->SaveLength(), 20);
    EXPECT_EQ(r.size->SaveLength(), 5);
    EXPECT_TRUE(r.detail->Save());
    EXPECT_FALSE(r.section->HeaderBand()->Save());  // its texts are not written
    EXPECT_TRUE(r.report->AllowPrintToFile());
    EXPECT_EQ(r.report->TextFileName(), target + ".txt");
    EXPECT_EQ(r.report->TextFileType(), TppFileType::ftFixedLength);

    // A print job with the report's settings writes the file.
    r.table.SetIndexName(QString());
    TppProducer producer;
    report::ReportPageSource pages(r.report);
    producer.SetPageSource(&pages);
    producer.SetShowPrintDialog(false);
    producer.SetShowCancelDialog(false);
    producer.SetTextFileName(r.report->TextFileName());
    producer.SetTextFileType(r.report->TextFileType());
    producer.SetDeviceType(QStringLiteral("TextFile"));
    producer.Print();
    QFile file(r.report->TextFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    const auto sql = designertest::SqlRows(r.file(), "SELECT Section, Package, Size FROM \"Pkgs.DB\" ORDER BY No");
    ASSERT_EQ(lines.size(), int(sql.size()));
    for (int i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines.at(i).toStdString());
        ASSERT_EQ(lines.at(i).size(), 35);
        EXPECT_EQ(lines.at(i).mid(0, 10).trimmed(), sql[size_t(i)].at(0).left(10));
        EXPECT_EQ(lines.at(i).mid(10, 20).trimmed(), sql[size_t(i)].at(1).left(20));
        EXPECT_EQ(lines.at(i).mid(30, 5).trimmed(), sql[size_t(i)].at(2).left(5));
    }
}

TEST_F(PrintToFileSetup, saved_texts_show_in_their_order_and_cancel_writes_nothing) {
    GroupedReport r;
    r.size->SetSave(true);
    r.package->SetSave(true);  // Size at 0, Package at 1; the section text is not written
    r.report->SetTextFileName(QStringLiteral("out.csv"));
    r.report->SetTextFileType(TppFileType::ftTab);
    run(r.report, [&](TppPrintToFileSetupDialog& d) {
        d.lbxBands->setCurrentRow(texts(d.lbxBands).indexOf(r.detail->GetCaptionText()));
        EXPECT_EQ(texts(d.lbxItemsSelected), (QStringList{"Size", "Package"}));
        EXPECT_EQ(texts(d.lbxItemsAvailable), (QStringList{"SectionText"}));
        EXPECT_EQ(d.cbxTextFileType->currentIndex(), int(TppFileType::ftTab));
        EXPECT_EQ(d.edtTextFileName->text(), "out.csv");
        // Moving the available list's last entry; then the select buttons are off.
        d.spbSelectAllItems->click();
        EXPECT_FALSE(d.spbSelectItem->isEnabled());
        // Reorder: down, up and by dragging.
        d.lbxItemsSelected->setCurrentRow(0);
        d.lbxItemsSelected->setFocus();
        d.spbMoveFieldDown->click();
        EXPECT_EQ(texts(d.lbxItemsSelected), (QStringList{"Package", "Size", "SectionText"}));
        d.lbxItemsSelected->setCurrentRow(2);
        d.lbxItemsSelectedEndDrag(0);
        EXPECT_EQ(texts(d.lbxItemsSelected), (QStringList{"SectionText", "Package", "Size"}));
        d.btnCancel->click();
    });
    EXPECT_EQ(r.size->SaveOrder(), 0);
    EXPECT_EQ(r.package->SaveOrder(), 1);
    EXPECT_FALSE(r.sectionText->Save());
    EXPECT_FALSE(r.report->AllowPrintToFile());
    EXPECT_EQ(r.report->TextFileType(), TppFileType::ftTab);
}

TEST_F(PrintToFileSetup, ok_without_texts_turns_printing_to_file_off_and_a_custom_type_stays) {
    GroupedReport r;
    r.size->SetSave(true);
    r.detail->SetSave(true);
    r.report->SetAllowPrintToFile(true);
    r.report->SetTextFileType(TppFileType::ftCustom);
    run(r.report, [&](TppPrintToFileSetupDialog& d) {
        EXPECT_EQ(d.cbxTextFileType->currentIndex(), -1);
        d.lbxBands->setCurrentRow(texts(d.lbxBands).indexOf(r.detail->GetCaptionText()));
        d.spbDeselectAllItems->click();
        // A length typed with no entry chosen goes nowhere.
        d.edtSaveLength->setText("12");
        Q_EMIT d.edtSaveLength->textEdited("12");
        d.btnOK->click();
    });
    EXPECT_FALSE(r.size->Save());
    EXPECT_FALSE(r.detail->Save());
    EXPECT_FALSE(r.report->AllowPrintToFile());
    EXPECT_EQ(r.report->TextFileType(), TppFileType::ftCustom);
    EXPECT_EQ(r.size->SaveLength(), 0);
}

TEST_F(PrintToFileSetup, save_length_text_that_is_no_number_stores_zero_and_fixed_length_grows_the_form) {
    GroupedReport r;
    r.package->SetSave(true);
    r.package->SetSaveLength(7);
    run(r.report, [&](TppPrintToFileSetupDialog& d) {
        d.lbxBands->setCurrentRow(texts(d.lbxBands).indexOf(r.detail->GetCaptionText()));
        const int shortHeight = d.height();
        chooseType(d.cbxTextFileType, TppFileType::ftFixedLength);
        EXPECT_GT(d.height(), shortHeight);
        clickItem(d.lbxItemsSelected, 0);
        EXPECT_EQ(d.edtSaveLength->text(), "7");
        d.edtSaveLength->selectAll();
        QTest::keyClicks(d.edtSaveLength, "abc");
        chooseType(d.cbxTextFileType, TppFileType::ftComma);
        EXPECT_TRUE(d.edtSaveLength->isHidden());
        EXPECT_EQ(d.height(), shortHeight);
        d.btnOK->click();
    });
    EXPECT_EQ(r.package->SaveLength(), 0);
    EXPECT_EQ(r.report->TextFileType(), TppFileType::ftComma);
}

TEST_F(PrintToFileSetup, a_report_without_bands_changes_nothing) {
    TComponent form;
    auto* bare = new TppReport(&form);
    bare->SetAllowPrintToFile(true);
    bare->SetTextFileName(QStringLiteral("keep.txt"));
    EXPECT_TRUE(run(bare, [](TppPrintToFileSetupDialog& d) {
        EXPECT_EQ(d.lbxBands->count(), 0);
        d.btnOK->click();
    }));
    EXPECT_TRUE(bare->AllowPrintToFile());
    EXPECT_EQ(bare->TextFileName(), "keep.txt");
    delete bare;
}

TEST(PrintToFileName, the_extension_rule) {
    static const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"export", "export.txt"},
        {"export.", "export.txt"},
        {"export.csv", "export.csv"},
        {"/tmp/out.d/export", "/tmp/out.d/export"},  // a point in a folder name counts
        {"/tmp/outd/export", "/tmp/outd/export.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(report::ppTextFileNameWithExtension(QString::fromLatin1(c.name)), QString::fromLatin1(c.expected));
    }
}

}  // namespace

namespace {

TEST_F(PrintToFileSetup, the_report_writes_its_text_file_settings_into_its_template) {
    TComponent form;
    auto* source = new TppReport(&form);
    source->SetName(QStringLiteral("rptExport"));
    source->SetAllowPrintToFile(true);
    source->SetTextFileName(QStringLiteral("/tmp/export/packages.txt"));
    source->SetTextFileType(TppFileType::ftFixedLength);
    source->Template()->SetFormat(TppFormatType::ftASCII);
    const QByteArray text = source->Template()->SaveToBytes();
    EXPECT_TRUE(text.contains("AllowPrintToFile = True")) << text.toStdString();
    EXPECT_TRUE(text.contains("TextFileName = '/tmp/export/packages.txt'")) << text.toStdString();
    EXPECT_TRUE(text.contains("TextFileType = ftFixedLength")) << text.toStdString();
    delete source;
}

}  // namespace
