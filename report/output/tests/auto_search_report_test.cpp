#include "report/output/report_page_source.h"
#include "testsupport/qt_printers.h"

#include "report/model/auto_search_field.h"
#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/tests/pipeline_fixture.h"
#include "report/model/text_components.h"
#include "report/output/gui/auto_search_dialog.h"
#include "report/output/gui/output_forms.h"
#include "report/output/gui/print_preview.h"
#include "report/output/gui/viewer.h"
#include "report/output/producer.h"
#include "report/output/screen_device.h"
#include "report/output/tests/output_fixtures.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"
#include "report/page/units.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"
#include "testsupport/widget_helpers.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/table.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

using outputtest::textRecords;
using testsupport::Click;

/// Rows of an SQL query over a table file, each row's columns joined by one blank.
QStringList sqlLines(const QString& file, const QString& sql) {
    QStringList lines;
    for (const QStringList& row : pipeline_test::SqlRows(file, sql)) lines << row.join(QLatin1Char(' '));
    return lines;
}

/// The list report over the Debian packages table (package, section, installed size) whose
/// pipeline carries one search criterion owned by the report.
class AutoSearchReport : public outputtest::PackageListReport {
protected:
    void SetUp() override {
        PackageListReport::SetUp();
        if (HasFatalFailure()) return;
        report::RegisterOutputForms();
        criterion = new TppAutoSearchField(report);
        criterion->SetDataPipelineName("plPackages");

        pages = std::make_unique<report::ReportPageSource>(report);
        producer.SetPageSource(pages.get());
        producer.SetShowPrintDialog(false);
        producer.SetShowCancelDialog(false);
        producer.SetShowAutoSearchDialog(true);
        producer.SetDeviceType("ReportTextFile");
    }

    void setCriterion(const QString& field, TppDataType type, TppSearchOperatorType op, const QString& expression) {
        criterion->SetFieldName(field);
        criterion->SetFieldAlias(field);
        criterion->SetDataType(type);
        criterion->SetSearchOperator(op);
        criterion->SetSearchExpression(expression);
    }

    /// The records SQL selects from the same table file, as the report prints them.
    QStringList selected(const QString& where) {
        return sqlLines(QDir(Path()).filePath("Packages.db"),
                        QStringLiteral("SELECT Package, Section, Size FROM \"Packages.db\" WHERE %1 ORDER BY Package").arg(where));
    }

    TppAutoSearchField* criterion = nullptr;
    std::unique_ptr<report::ReportPageSource> pages;
    TppProducer producer;
};

TEST_F(AutoSearchReport, the_values_entered_in_the_dialog_select_the_records_the_report_prints) {
    struct Case {
        const char* field;
        TppDataType type;
        TppSearchOperatorType op;
        QStringList typed;  ///< one value, two for a range, the items of a list
        const char* where;
    };
    using S = TppSearchOperatorType;
    const Case cases[] = {
        {"Section", TppDataType::dtString, S::soEqual, {"interpreters"}, "Section = 'interpreters'"},
        {"Package", TppDataType::dtString, S::soLike, {"lib%"}, "Package LIKE 'lib%'"},
        {"Size", TppDataType::dtInteger, S::soBetween, {"100", "500"}, "Size BETWEEN 100 AND 500"},
        {"Size", TppDataType::dtInteger, S::soGreaterThan, {"5000"}, "Size > 5000"},
        {"Section", TppDataType::dtString, S::soInList, {"admin", "introspection", "perl"}, "Section IN ('admin', 'introspection', 'perl')"},
        {"Section", TppDataType::dtString, S::soNotEqual, {"devel"}, "Section <> 'devel'"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        setCriterion(c.field, c.type, c.op, QString());
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<TppAutoSearchDialog>([&](TppAutoSearchDialog& d) {
            ASSERT_EQ(d.Panels().size(), 1u);
            TppAutoSearchPanel* panel = d.Panels().front();
            if (c.op == S::soInList) {
                for (const QString& item : c.typed) {
                    panel->edtValue->setText(item);
                    Click(panel, "btnAdd");
                }
            } else {
                panel->edtValue->setText(c.typed.value(0));
                if (panel->edtValue2) panel->edtValue2->setText(c.typed.value(1));
            }
            panel->chkShowAll->setChecked(false);
            if (&c == &cases[0]) testsupport::GrabToPng(&d, "auto_search_report_dialog");
            Click(&d, "btnOK");
        });
        const QString file = FilePath(QStringLiteral("search%1.txt").arg(n++));
        producer.SetTextFileName(file);
        producer.Print();
        const QStringList expected = selected(c.where);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(textRecords(file), expected);
    }
}

TEST_F(AutoSearchReport, cancel_prints_nothing_and_show_all_values_prints_every_record) {
    setCriterion("Section", TppDataType::dtString, TppSearchOperatorType::soEqual, "admin");
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<TppAutoSearchDialog>([](TppAutoSearchDialog& d) { Click(&d, "btnCancel"); });
        producer.SetTextFileName(FilePath("cancelled.txt"));
        producer.Print();
    }
    EXPECT_FALSE(QFile::exists(FilePath("cancelled.txt")));
    EXPECT_FALSE(producer.Producing());

    {
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<TppAutoSearchDialog>([](TppAutoSearchDialog& d) {
            d.Panels().front()->chkShowAll->setChecked(true);
            Click(&d, "btnOK");
        });
        producer.SetTextFileName(FilePath("all.txt"));
        producer.Print();
    }
    EXPECT_EQ(textRecords(FilePath("all.txt")), selected("1"));

    // Without the dialog the criterion's stored value still decides.
    criterion->SetShowAllValues(false);
    producer.SetShowAutoSearchDialog(false);
    producer.SetTextFileName(FilePath("stored.txt"));
    producer.Print();
    EXPECT_EQ(textRecords(FilePath("stored.txt")), selected("Section = 'admin'"));

    // A program without the search form prints with the stored values instead of refusing.
    report::UnRegisterOutputForms();
    producer.SetShowAutoSearchDialog(true);
    producer.SetTextFileName(FilePath("formless.txt"));
    producer.Print();
    report::RegisterOutputForms();
    EXPECT_EQ(textRecords(FilePath("formless.txt")), selected("Section = 'admin'"));
}

TEST_F(AutoSearchReport, the_preview_search_button_asks_again_and_regenerates_the_pages) {
    setCriterion("Section", TppDataType::dtString, TppSearchOperatorType::soEqual, "admin");
    producer.SetDeviceType("Screen");
    producer.SetModalPreview(false);
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<TppAutoSearchDialog>([](TppAutoSearchDialog& d) { Click(&d, "btnOK"); });
        producer.Print();
    }
    auto* preview = dynamic_cast<TppPrintPreview*>(producer.PreviewForm());
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(preview->spbAutoSearch->isVisibleTo(preview));
    // The packages shown on the displayed page, in print order.
    const QStringList allPackages = sqlLines(QDir(Path()).filePath("Packages.db"), "SELECT Package FROM \"Packages.db\"");
    auto packagesShown = [&] {
        QStringList out;
        TppPage* page = preview->Viewer()->ScreenDevice()->DisplayedPage();
        if (!page) return out;
        for (int i = 0; i < page->GetDrawCommandCount(); ++i)
            if (auto* t = dynamic_cast<TppDrawText*>(page->GetDrawCommand(i)); t && allPackages.contains(t->Text()))
                out << t->Text();
        return out;
    };
    auto packagesOf = [&](const QString& where) {
        QStringList out;
        for (const QString& line : selected(where)) out << line.section(QLatin1Char(' '), 0, 0);
        return out;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !packagesShown().isEmpty(); }, 10000));
    QStringList shown = packagesShown();
    EXPECT_EQ(shown, packagesOf("Section = 'admin'").mid(0, shown.size()));

    {
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<TppAutoSearchDialog>([](TppAutoSearchDialog& d) {
            d.Panels().front()->edtValue->setText("devel");
            Click(&d, "btnOK");
        });
        Click(preview, "spbAutoSearch");
    }
    EXPECT_EQ(criterion->SearchExpression(), "devel");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !packagesShown().isEmpty() && packagesShown() != shown; }, 10000));
    shown = packagesShown();
    EXPECT_EQ(shown, packagesOf("Section = 'devel'").mid(0, shown.size()));
    testsupport::GrabToPng(preview, "auto_search_report_preview");

    // Cancelled, the search leaves the pages as they are.
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<TppAutoSearchDialog>([](TppAutoSearchDialog& d) { Click(&d, "btnCancel"); });
        Click(preview, "spbAutoSearch");
    }
    EXPECT_EQ(criterion->SearchExpression(), "devel");
    EXPECT_EQ(packagesShown(), shown);
    delete preview;
}

TEST(AutoSearchCriterion, record_values_are_compared_as_the_database_compares_them) {
    using S = TppSearchOperatorType;
    struct Case {
        TppDataType type;
        S op;
        const char* expression;
        QVariant value;
        bool accepted;
    };
    const QDate newYear(2000, 1, 1);
    const Case cases[] = {
        {TppDataType::dtString, S::soEqual, "Admin", QString("admin"), false},  // texts are case-sensitive
        {TppDataType::dtString, S::soLike, "AD%", QString("admin"), true},     // like ignores case
        {TppDataType::dtString, S::soLike, "a_min", QString("admin"), true},
        {TppDataType::dtString, S::soNotLike, "a%", QString("devel"), true},
        {TppDataType::dtString, S::soLessThan, "b", QVariant(), false},  // a null meets no comparison
        {TppDataType::dtString, S::soNotEqual, "x", QVariant(), false},
        {TppDataType::dtString, S::soBlank, "", QString(""), true},
        {TppDataType::dtString, S::soBlank, "", QVariant(), true},
        {TppDataType::dtString, S::soNotBlank, "", QString("x"), true},
        {TppDataType::dtInteger, S::soLessThan, "10", 9, true},
        {TppDataType::dtInteger, S::soLessThan, "10", 100, false},  // by value, not as text
        {TppDataType::dtInteger, S::soNotBetween, "5,10", 11, true},
        {TppDataType::dtInteger, S::soNotBetween, "5,10", 5, false},
        {TppDataType::dtInteger, S::soNotInList, "1,2,3", 4, true},
        {TppDataType::dtDate, S::soLessThanOrEqualTo, "1/1/2000", newYear, true},
        {TppDataType::dtDate, S::soGreaterThan, "1/1/2000", newYear.addDays(1), true},
        {TppDataType::dtDate, S::soGreaterThan, "1/1/2000", newYear, false},
    };
    TComponent owner;
    auto* field = new TppAutoSearchField(&owner);
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(int(c.op)).arg(c.expression, c.value.toString()).toStdString());
        field->SetDataType(c.type);
        field->SetSearchOperator(c.op);
        field->SetSearchExpression(c.expression);
        field->SetShowAllValues(false);
        EXPECT_EQ(field->Accepts(c.value), c.accepted);
        field->SetShowAllValues(true);
        EXPECT_TRUE(field->Accepts(c.value));
    }
}

}  // namespace
