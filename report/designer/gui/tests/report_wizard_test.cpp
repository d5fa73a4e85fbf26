// The report wizard driven through its pages over a Customer table: the report it builds (its
// stream text, its first page on the screen, its printed values against SQL over the same
// table), every layout with every style, and the page rules.

#include "report/designer/gui/report_wizard.h"
#include "testsupport/qt_printers.h"

#include "report/designer/gui/report_wizard_dialog.h"
#include "report/designer/gui/report_wizard_styles.h"
#include "report/designer/gui/wizard_pictures.h"
#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/graphic_components.h"
#include "report/model/group.h"
#include "report/model/pipeline_field.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/report_template.h"
#include "report/model/report_utils.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"
#include "report/output/producer.h"
#include "report/output/report_page_source.h"
#include "report/output/screen_device.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"
#include "report/page/printer_list.h"
#include "report/page/printer_setup.h"
#include "report/page/units.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"
#include "testsupport/widget_helpers.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/print/testing/fake_catalog.h"
#include "platform/stream/text_form.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QToolButton>

#include <algorithm>
#include <map>
#include <set>
#include "test_paths.h"

namespace {

using testsupport::Click;
using testsupport::GrabToPng;

std::vector<QStringList> sqlRows(const QString& file, const QString& query) {
    std::vector<QStringList> rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
        rows.push_back(row);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

/// Selects the items of a list with these texts (and only those).
void selectItems(QListWidget* aList, const QStringList& aTexts) {
    aList->clearSelection();
    for (int i = 0; i < aList->count(); ++i)
        if (aTexts.contains(aList->item(i)->text())) aList->item(i)->setSelected(true);
}

QStringList itemsOf(const QListWidget* aList) {
    QStringList texts;
    for (int i = 0; i < aList->count(); ++i) texts << aList->item(i)->text();
    return texts;
}

/// Share of pixels whose colour differs by more than a small amount in any channel.
double differingShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 1;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40 || std::abs(qBlue(p) - qBlue(q)) > 40)
                ++differing;
        }
    return double(differing) / (double(a.width()) * a.height());
}

class ReportWizardTest : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        report::InitializeOutputUnit();
        report::RegisterReportClasses();
        report::RegisterPipelineClasses();
        report::SetScreenPixelsPerInch(96);
        report::RegisterReportWizard();
        QFile f(QStringLiteral(TEST_DATA_DIR "/customers.tsv"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        for (const QByteArray& line : f.readAll().split('\n'))
            if (!line.isEmpty()) rows.push_back(QString::fromUtf8(line).split(QLatin1Char('\t')));
        createTable("Customer.db", {{"CustNo", db::FieldType::ftInteger, 0, true},
                                    {"Company", db::FieldType::ftString, 30, false},
                                    {"City", db::FieldType::ftString, 15, false},
                                    {"State", db::FieldType::ftString, 2, false},
                                    {"Phone", db::FieldType::ftString, 15, false}},
                    "CustNo", {{"ixState", "State;Company", {}}});
        table.SetDatabaseName(Path());
        table.SetTableName("Customer.db");
        table.SetIndexName("ixState");  // the report groups by state
        table.Open();
        table.StartBatch();
        int custNo = 1001;
        for (const QStringList& row : rows) {
            table.Append();
            table.Fields(0)->SetValue(custNo++);
            for (int i = 0; i < 4; ++i) table.Fields(i + 1)->SetValue(row.at(i));
            table.Post();
        }
        table.EndBatch(true);
        source.setObjectName("dsCustomer");
        source.SetDataSet(&table);
        pipeline = new TppDBPipeline(&form);
        pipeline->SetName("plCustomer");
        pipeline->SetUserName("Customer");
        pipeline->SetDataSource(&source);
        wizard = new TppReportWizard(&form);
        wizard->OnGetDataNames = [](QObject*, QStringList& names) { names << "Customer"; };
        wizard->OnGetFields = [this](QObject*, const QString& name, TppFieldList& fields) {
            if (name != "Customer") return;
            for (int i = 0; i < pipeline->FieldCount(); ++i) {
                TppField* field = pipeline->GetField(i);
                fields.append({field->FieldAlias(), field});
            }
        };
        wizard->OnCreateReport = [this](QObject*, const QString&, QObject*& created) {
            created = newReport();
        };
    }

    void TearDown() override {
        for (TppReport* r : reports) delete r;
        report::UnRegisterReportWizard();
        report::SetScreenPixelsPerInch(0);
    }

    void createTable(const QString& aName, std::vector<db::FieldDef> aFields, const QString& aKey,
                     std::vector<db::IndexDef> aMore = {}) {
        db::TableDef def;
        def.Fields = std::move(aFields);
        def.Indexes = {{"", aKey, db::IndexOption::ixPrimary}};
        for (const db::IndexDef& index : aMore) def.Indexes.push_back(index);
        db::CreateTableFile(Path(), aName, def, true);
    }

    TppReport* newReport() {
        auto* r = new TppReport(&form);
        r->SetName(QStringLiteral("rptCustomer%1").arg(reports.size() + 1));
        r->SetDataPipeline(pipeline);
        reports.push_back(r);
        return r;
    }

    /// Runs the wizard, the dialog driven by aDrive; answers Execute's result.
    bool run(const std::function<void(TppReportWizardDialog&)>& aDrive) {
        answerer.ExpectModal<TppReportWizardDialog>([aDrive](TppReportWizardDialog& d) { aDrive(d); });
        return wizard->Execute();
    }

    TppField* field(const QString& aName) const {
        for (int i = 0; i < pipeline->FieldCount(); ++i)
            if (pipeline->GetField(i)->FieldName() == aName) return pipeline->GetField(i);
        return nullptr;
    }

    /// The components of a class in a band.
    template <class T>
    static std::vector<T*> componentsIn(const TppBand* aBand) {
        std::vector<T*> found;
        for (int i = 0; aBand && i < aBand->ObjectCount(); ++i)
            if (auto* c = qobject_cast<T*>(aBand->Objects(i))) found.push_back(c);
        return found;
    }

    /// The first page of the report, its print date set to a fixed text.
    QImage renderPage1(TppReport* aReport) {
        TppScreenDevice device;
        bool done = false;
        aReport->OnPageReceived = [&](TppPage& page) {
            if (done) return;
            for (int i = 0; i < page.GetDrawCommandCount(); ++i)
                if (auto* v = qobject_cast<TppDrawVar*>(page.GetDrawCommand(i)); v && v->VarType() == TppVarType::vtPrintDateTime)
                    v->SetText(QStringLiteral("11/12/2026 10:00:00"));
            device.ReceivePage(page);
            done = true;
        };
        TppPageRequest request;
        request.SetPageSetting(TppPageSettingType::psSinglePage);
        request.SetPageRequested(1);
        aReport->RequestPages(&request);
        aReport->OnPageReceived = nullptr;
        return device.Bitmap().convertToFormat(QImage::Format_RGB32);
    }

    /// Builds a report without the dialog from these choices.
    TppReport* build(const QStringList& aFields, const QStringList& aGroups, TppReportLayoutType aLayout,
                     TppReportStyleType aStyle) {
        wizard->SetDataName("Customer");
        wizard->SelectedFields.clear();
        wizard->GroupFields.clear();
        for (const QString& name : aFields) wizard->SelectedFields.append({name, field(name)});
        for (const QString& name : aGroups) wizard->GroupFields.append({name, field(name)});
        wizard->Layout = aLayout;
        wizard->Style = aStyle;
        TppReport* r = newReport();
        r->CreateDefaultBands();
        wizard->Report = r;
        wizard->BuildReport();
        return r;
    }

    std::vector<QStringList> rows;  ///< company, city, state, phone
    db::Table table;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = nullptr;
    TppReportWizard* wizard = nullptr;
    std::vector<TppReport*> reports;
    testsupport::DialogAnswerer answerer;
};

/// The standard run: Company, City, State and Phone; group State; Stepped; portrait; Corporate.
void driveStandard(TppReportWizardDialog& d) {
    EXPECT_EQ(d.nbkWizard->currentIndex(), 0);
    EXPECT_EQ(d.cbxDataName->currentText(), "Customer");
    GrabToPng(&d, "report_wizard_page0_fields");
    for (const char* name : {"Company", "City", "State", "Phone"}) {
        selectItems(d.lbxFieldsAvailable, {name});
        Click(&d, "spbSelectField");
    }
    EXPECT_EQ(itemsOf(d.lbxFieldsSelected), (QStringList{"Company", "City", "State", "Phone"}));
    GrabToPng(&d, "report_wizard_page0_selected");
    Click(&d, "btnNext");
    EXPECT_EQ(d.nbkWizard->currentIndex(), 1);
    EXPECT_EQ(itemsOf(d.lbxGroupFieldsAvailable), (QStringList{"Company", "City", "State", "Phone"}));
    selectItems(d.lbxGroupFieldsAvailable, {"State"});
    Click(&d, "spbSelectGroupField");
    EXPECT_EQ(itemsOf(d.lbxGroupFieldsSelected), (QStringList{"State"}));
    GrabToPng(&d, "report_wizard_page1_groups");
    Click(&d, "btnNext");
    EXPECT_EQ(d.nbkWizard->currentIndex(), 3);
    EXPECT_TRUE(d.rdbLayoutStepped->isChecked());
    GrabToPng(&d, "report_wizard_page3_group_layouts");
    Click(&d, "btnNext");
    EXPECT_EQ(d.nbkWizard->currentIndex(), 4);
    EXPECT_EQ(d.lbxStyles->currentItem()->text(), "Corporate");
    GrabToPng(&d, "report_wizard_page4_styles");
    Click(&d, "btnNext");
    EXPECT_EQ(d.nbkWizard->currentIndex(), 5);
    EXPECT_EQ(d.edtDescription->text(), "Customer-1 Report");
    GrabToPng(&d, "report_wizard_page5_finish");
    Click(&d, "btnFinish");
}

TEST_F(ReportWizardTest, the_wizard_builds_a_grouped_customer_report_as_the_golden_files_show) {
    ASSERT_TRUE(run(driveStandard));
    TppReport* r = qobject_cast<TppReport*>(wizard->GetReport());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(wizard->GetReportName(), "Customer-1 Report");
    EXPECT_EQ(wizard->FinishAction, 1);
    EXPECT_EQ(wizard->Layout, TppReportLayoutType::rlStepped);
    ASSERT_EQ(r->GroupCount(), 1);
    EXPECT_EQ(r->Groups(0)->BreakName(), "State");
    // The state is shown in its group header, the other fields side by side in the detail
    // band under their labels in the page header; the footer has the date and page number.
    EXPECT_EQ(componentsIn<TppDBText>(r->Groups(0)->HeaderBand()).size(), 1u);
    EXPECT_EQ(componentsIn<TppDBText>(r->GetBand(TppBandType::btDetail)).size(), 3u);
    EXPECT_EQ(componentsIn<TppLabel>(r->GetBand(TppBandType::btHeader)).size(), 3u);
    EXPECT_EQ(componentsIn<TppSystemVariable>(r->GetBand(TppBandType::btFooter)).size(), 2u);
    EXPECT_EQ(componentsIn<TppLine>(r->GetBand(TppBandType::btHeader)).size(), 2u);

    // The stream text of the report.
    const QString file = FilePath("customers.rtm");
    r->Template()->SetFileName(file);
    r->Template()->SaveToFile();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(stream::ObjectBinaryToText(saved.readAll()));
    text.replace(Path(), QStringLiteral("<folder>"));
    const QString golden = QStringLiteral(TEST_DATA_DIR "/report_wizard_customers.txt");
    if (qEnvironmentVariableIsSet("DOSSARA_UPDATE_GOLDEN")) {
        QFile out(golden);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.toUtf8());
    }
    QFile in(golden);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << "golden text missing";
    EXPECT_EQ(text, QString::fromUtf8(in.readAll()));

    // Page 1 through the screen device.
    const QImage page = renderPage1(r);
    QDir().mkpath(QStringLiteral("screenshots"));
    page.save(QStringLiteral("screenshots/report_wizard_customers_page1.png"));
    const QString goldenPicture = QStringLiteral(TEST_DATA_DIR "/report_wizard_customers_page1.png");
    if (qEnvironmentVariableIsSet("DOSSARA_UPDATE_GOLDEN")) page.save(goldenPicture);
    const QImage expected(goldenPicture);
    ASSERT_FALSE(expected.isNull()) << "golden picture missing";
    EXPECT_LT(differingShare(page, expected.convertToFormat(QImage::Format_RGB32)), 0.01);
}

TEST_F(ReportWizardTest, the_printed_values_equal_sql_over_the_table_in_order_and_per_group) {
    ASSERT_TRUE(run(driveStandard));
    auto* r = qobject_cast<TppReport*>(wizard->GetReport());
    ASSERT_NE(r, nullptr);
    const QString pdf = FilePath("customers.pdf");
    print::testing::ScopedCatalog scoped(
        [&] {
            auto catalog = std::make_unique<print::testing::FakeCatalog>();
            catalog->printers = {{QStringLiteral("Office Laser"), false}};
            catalog->defaultPrinter = QStringLiteral("Office Laser");
            print::DriverCapabilities caps;
            caps.paperNames = {QStringLiteral("A4"), QStringLiteral("Letter")};
            caps.paperCodes = {9, 1};
            caps.paperSizesTenthsMm = {QSize(2100, 2970), QSize(2159, 2794)};
            catalog->capabilities[QStringLiteral("Office Laser")] = caps;
            catalog->pdfFiles[QStringLiteral("Office Laser")] = pdf;
            return catalog;
        }(),
        report::ResetPrinterList);
    TppProducer producer;
    report::ReportPageSource pages(r);
    producer.SetPageSource(&pages);
    producer.SetShowPrintDialog(false);
    producer.SetShowCancelDialog(false);
    producer.SetDeviceType("Printer");
    producer.Print();
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString printed = QString::fromUtf8(p.readAllStandardOutput());
    ASSERT_FALSE(printed.isEmpty());

    // What SQL says: the states in order, each followed by its companies with city and phone.
    QStringList expected;
    QString state;
    for (const QStringList& row : sqlRows(FilePath("Customer.db"),
                                          "SELECT State, Company, City, Phone FROM \"Customer.db\" ORDER BY State, Company")) {
        if (row.at(0) != state) expected << row.at(0);
        state = row.at(0);
        expected << QStringList{row.at(1), row.at(2), row.at(3)}.join(QLatin1Char('|'));
    }
    ASSERT_EQ(expected.size(), 5 + int(rows.size()));
    // What was printed: a line with the state alone, or a line of company, city and phone.
    QStringList got;
    const QRegularExpression gap(QStringLiteral("\\s{2,}"));
    for (const QString& line : printed.split(QLatin1Char('\n'))) {
        const QStringList cells = line.trimmed().split(gap, Qt::SkipEmptyParts);
        if (cells.size() == 1 && QRegularExpression(QStringLiteral("^[A-Z]{2}$")).match(cells.at(0)).hasMatch())
            got << cells.at(0);
        else if (cells.size() == 3 && QRegularExpression(QStringLiteral("^\\(\\d{3}\\) \\d{3}-\\d{4}$")).match(cells.at(2)).hasMatch())
            got << cells.join(QLatin1Char('|'));
    }
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(printed.contains(QLatin1String("Page 1")));
}

TEST_F(ReportWizardTest, every_layout_with_every_style_builds_and_renders_on_one_contact_sheet) {
    const TppReportLayoutType layouts[] = {
        TppReportLayoutType::rlVertical, TppReportLayoutType::rlTabular,  TppReportLayoutType::rlStepped,
        TppReportLayoutType::rlBlock,    TppReportLayoutType::rlOutline1, TppReportLayoutType::rlOutline2,
        TppReportLayoutType::rlAlignLeft1, TppReportLayoutType::rlAlignLeft2};
    const TppReportStyleType styles[] = {TppReportStyleType::rsBold,      TppReportStyleType::rsCasual,
                                         TppReportStyleType::rsCompact,   TppReportStyleType::rsCorporate,
                                         TppReportStyleType::rsFormal,    TppReportStyleType::rsSoftGray};
    const QSize cell(300, 200);
    QImage sheet(cell.width() * 6, cell.height() * 8, QImage::Format_RGB32);
    sheet.fill(Qt::darkGray);
    QPainter painter(&sheet);
    for (int l = 0; l < 8; ++l)
        for (int s = 0; s < 6; ++s) {
            SCOPED_TRACE(ppReportLayoutClassName(layouts[l]).toStdString() + " " + ppReportStyleClassName(styles[s]).toStdString());
            const bool grouped = l >= 2;
            TppReport* r = build({"Company", "City", "State", "Phone"}, grouped ? QStringList{"State"} : QStringList{},
                                 layouts[l], styles[s]);
            // Every layout gives its labels a band and every data component lies inside its band.
            EXPECT_EQ(componentsIn<TppLabel>(r->GetBand(TppBandType::btTitle)).size(), 1u);
            for (int b = 0; b < r->BandCount(); ++b) {
                const TppBand* band = r->Bands(b);
                for (const TppComponent* c : componentsIn<TppComponent>(band))
                    EXPECT_LE(c->mmTop() + c->mmHeight(), band->mmHeight() + 1) << c->objectName().toStdString();
            }
            const QImage page = renderPage1(r);
            ASSERT_FALSE(page.isNull());
            // The top part of the page: title, labels and the first rows.
            const QImage top = page.copy(0, 0, page.width(), page.width() * 2 / 3).scaled(cell - QSize(6, 6), Qt::KeepAspectRatio,
                                                                                       Qt::SmoothTransformation);
            painter.drawImage(s * cell.width() + 3, l * cell.height() + 3, top);
            // Each one also at a readable size, to look at closely.
            QDir().mkpath(QStringLiteral("screenshots/report_wizard_sheet"));
            page.copy(0, 0, page.width(), page.width() / 2)
                .save(QStringLiteral("screenshots/report_wizard_sheet/%1_%2.png").arg(l).arg(s));
        }
    painter.end();
    QDir().mkpath(QStringLiteral("screenshots"));
    ASSERT_TRUE(sheet.save(QStringLiteral("screenshots/report_wizard_contact_sheet.png")));
}

TEST_F(ReportWizardTest, the_page_rules_and_the_lists_behave_as_the_cases_say) {
    struct Case {
        const char* name;
        std::function<void(TppReportWizardDialog&)> drive;
        std::function<void(TppReport*)> check;
    };
    const Case cases[] = {
        {"Finish on the first page builds a Tabular, Corporate, portrait report of the selected fields",
         [](TppReportWizardDialog& d) {
             selectItems(d.lbxFieldsAvailable, {"Company", "City"});
             Click(&d, "spbSelectField");
             Click(&d, "btnFinish");
         },
         [this](TppReport* r) {
             EXPECT_EQ(wizard->Layout, TppReportLayoutType::rlTabular);
             EXPECT_EQ(wizard->Style, TppReportStyleType::rsCorporate);
             EXPECT_EQ(r->PrinterSetup()->Orientation(), TPrinterOrientation::poPortrait);
             EXPECT_EQ(componentsIn<TppDBText>(r->GetBand(TppBandType::btDetail)).size(), 2u);
             const auto labels = componentsIn<TppLabel>(r->GetBand(TppBandType::btHeader));
             ASSERT_EQ(labels.size(), 2u);
             EXPECT_EQ(labels[0]->Caption(), "Company");
             EXPECT_EQ(labels[0]->Font()->Name(), "TIMES NEW ROMAN");
             EXPECT_TRUE(labels[0]->Font()->Style().Contains(paint::TFontStyle::fsBold));
         }},
        {"Finish with no field selected gives the title and the footer only",
         [](TppReportWizardDialog& d) { Click(&d, "btnFinish"); },
         [this](TppReport* r) {
             EXPECT_TRUE(componentsIn<TppDBText>(r->GetBand(TppBandType::btDetail)).empty());
             EXPECT_EQ(componentsIn<TppLabel>(r->GetBand(TppBandType::btTitle)).size(), 1u);
             EXPECT_EQ(componentsIn<TppSystemVariable>(r->GetBand(TppBandType::btFooter)).size(), 2u);
             EXPECT_EQ(r->GetBand(TppBandType::btHeader)->mmHeight(), 0);
         }},
        {"Next without fields says so and stays on the first page",
         [this](TppReportWizardDialog& d) {
             answerer.ExpectMessage("Fields must be selected before continuing\\.", ui::Button::Ok,
                                    ui::MessageKind::Information);
             Click(&d, "btnNext");
             EXPECT_EQ(d.nbkWizard->currentIndex(), 0);
             Click(&d, "btnCancel");
         },
         nullptr},
        {"going back to the first page discards the groups",
         [](TppReportWizardDialog& d) {
             selectItems(d.lbxFieldsAvailable, {"Company", "State"});
             Click(&d, "spbSelectField");
             Click(&d, "btnNext");
             selectItems(d.lbxGroupFieldsAvailable, {"State"});
             Click(&d, "spbSelectGroupField");
             Click(&d, "btnNext");
             EXPECT_EQ(d.nbkWizard->currentIndex(), 3);
             Click(&d, "btnBack");
             EXPECT_EQ(d.nbkWizard->currentIndex(), 1);
             Click(&d, "btnBack");
             EXPECT_EQ(d.nbkWizard->currentIndex(), 0);
             Click(&d, "btnNext");
             EXPECT_TRUE(itemsOf(d.lbxGroupFieldsSelected).isEmpty());
             Click(&d, "btnNext");
             EXPECT_EQ(d.nbkWizard->currentIndex(), 2);
             EXPECT_TRUE(d.rdbLayoutTabular->isChecked());
             GrabToPng(&d, "report_wizard_page2_simple_layouts");
             Click(&d, "btnFinish");
         },
         [this](TppReport* r) {
             EXPECT_EQ(r->GroupCount(), 0);
             EXPECT_TRUE(wizard->GroupFields.isEmpty());
         }},
        {"a third group disables Add group",
         [](TppReportWizardDialog& d) {
             Click(&d, "spbSelectAllFields");
             Click(&d, "btnNext");
             for (const char* name : {"State", "City", "Company"}) {
                 selectItems(d.lbxGroupFieldsAvailable, {name});
                 Click(&d, "spbSelectGroupField");
             }
             EXPECT_FALSE(d.spbSelectGroupField->isEnabled());
             EXPECT_EQ(itemsOf(d.lbxGroupFieldsSelected), (QStringList{"State", "City", "Company"}));
             // The priority moves the selected group.
             selectItems(d.lbxGroupFieldsSelected, {"Company"});
             d.lbxGroupFieldsSelected->setCurrentRow(2);
             Click(&d, "spbMoveGroupUp");
             EXPECT_EQ(itemsOf(d.lbxGroupFieldsSelected), (QStringList{"State", "Company", "City"}));
             GrabToPng(&d, "report_wizard_page1_three_groups");
             Click(&d, "btnFinish");
         },
         [](TppReport* r) {
             ASSERT_EQ(r->GroupCount(), 3);
             EXPECT_EQ(r->Groups(0)->BreakName(), "State");
             EXPECT_EQ(r->Groups(1)->BreakName(), "Company");
             EXPECT_EQ(r->Groups(2)->BreakName(), "City");
         }},
        {"<None> empties the field lists",
         [](TppReportWizardDialog& d) {
             EXPECT_EQ(d.cbxDataName->itemText(0), "<None>");
             EXPECT_FALSE(itemsOf(d.lbxFieldsAvailable).isEmpty());
             d.cbxDataName->setCurrentIndex(0);
             Q_EMIT d.cbxDataName->activated(0);
             EXPECT_TRUE(itemsOf(d.lbxFieldsAvailable).isEmpty());
             EXPECT_TRUE(itemsOf(d.lbxFieldsSelected).isEmpty());
             EXPECT_FALSE(d.spbSelectAllFields->isEnabled());
             Click(&d, "btnCancel");
         },
         nullptr},
        {"moving a field up swaps the two columns",
         [](TppReportWizardDialog& d) {
             selectItems(d.lbxFieldsAvailable, {"Company", "City"});
             Click(&d, "spbSelectField");
             d.lbxFieldsSelected->setCurrentRow(1);
             Click(&d, "spbMoveFieldUp");
             EXPECT_EQ(itemsOf(d.lbxFieldsSelected), (QStringList{"City", "Company"}));
             Click(&d, "btnFinish");
         },
         [](TppReport* r) {
             auto texts = componentsIn<TppDBText>(r->GetBand(TppBandType::btDetail));
             ASSERT_EQ(texts.size(), 2u);
             std::sort(texts.begin(), texts.end(), [](auto* a, auto* b) { return a->mmLeft() < b->mmLeft(); });
             EXPECT_EQ(texts[0]->DataField(), "City");
             EXPECT_EQ(texts[1]->DataField(), "Company");
         }},
        {"a refused name keeps the dialog open; Preview asks for a preview",
         [this](TppReportWizardDialog& d) {
             selectItems(d.lbxFieldsAvailable, {"Company"});
             Click(&d, "spbSelectField");
             int asked = 0;
             wizard->OnValidateName = [&asked](QObject*, const QString& aName, bool& aValid) {
                 ++asked;
                 aValid = aName == "Customers by state";
             };
             Click(&d, "btnFinish");
             EXPECT_TRUE(d.isVisible());
             EXPECT_EQ(asked, 1);
             for (int i = 0; i < 4; ++i) Click(&d, "btnNext");  // the group-layout page is skipped
             EXPECT_EQ(d.nbkWizard->currentIndex(), 5);
             EXPECT_FALSE(d.btnNext->isEnabled());
             d.edtDescription->setText("Customers by state");
             Click(&d, "rdbPreview");
             Click(&d, "btnFinish");
             EXPECT_EQ(asked, 2);
             wizard->OnValidateName = nullptr;
         },
         [this](TppReport*) {
             EXPECT_EQ(wizard->GetReportName(), "Customers by state");
             EXPECT_EQ(wizard->FinishAction, 2);
         }},
        {"an outline layout left without groups becomes Tabular and its labels keep a band",
         [](TppReportWizardDialog& d) {
             selectItems(d.lbxFieldsAvailable, {"Company", "State"});
             Click(&d, "spbSelectField");
             Click(&d, "btnNext");
             selectItems(d.lbxGroupFieldsAvailable, {"State"});
             Click(&d, "spbSelectGroupField");
             Click(&d, "btnNext");
             Click(&d, "rdbLayoutOutline1");
             Click(&d, "btnBack");
             selectItems(d.lbxGroupFieldsSelected, {"State"});
             Click(&d, "spbDeselectGroupField");
             Click(&d, "btnFinish");
         },
         [this](TppReport* r) {
             EXPECT_EQ(wizard->Layout, TppReportLayoutType::rlTabular);
             EXPECT_EQ(componentsIn<TppLabel>(r->GetBand(TppBandType::btHeader)).size(), 2u);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wizard->SetLayout(TppReportLayoutType::rlTabular);
        wizard->SetDataName("Customer");  // "<None>", once chosen, would be chosen again
        const bool finished = run(c.drive);
        EXPECT_EQ(finished, c.check != nullptr);
        if (c.check) {
            auto* r = qobject_cast<TppReport*>(wizard->GetReport());
            ASSERT_NE(r, nullptr);
            c.check(r);
        }
    }
}

TEST_F(ReportWizardTest, columns_fit_the_page_and_right_aligned_values_end_flush_with_their_labels) {
    // Eight fields of display width 40 do not fit a portrait page side by side.
    std::vector<db::FieldDef> wide;
    QStringList names;
    for (int i = 1; i <= 8; ++i) {
        names << QStringLiteral("Text%1").arg(i);
        wide.push_back({names.last(), db::FieldType::ftString, 40, i == 1});
    }
    createTable("Wide.db", wide, "Text1");
    db::Table wideTable;
    wideTable.SetDatabaseName(Path());
    wideTable.SetTableName("Wide.db");
    wideTable.Open();
    db::DataSource wideSource;
    wideSource.SetDataSet(&wideTable);
    pipeline->SetDataSource(&wideSource);
    struct Row {
        bool adjust;
        bool oneRow;
    } rows8[] = {{false, false}, {true, true}};
    for (const Row& row : rows8) {
        SCOPED_TRACE(row.adjust ? "adjusted" : "not adjusted");
        wizard->AdjustFieldWidths = row.adjust;
        TppReport* r = build(names, {}, TppReportLayoutType::rlTabular, TppReportStyleType::rsCorporate);
        const auto texts = componentsIn<TppDBText>(r->GetBand(TppBandType::btDetail));
        ASSERT_EQ(texts.size(), 8u);
        std::set<int> tops;
        for (const TppDBText* t : texts) {
            tops.insert(t->mmTop());
            EXPECT_LE(t->mmLeft() + t->mmWidth(), r->GetBand(TppBandType::btDetail)->mmWidth() + 1400);
        }
        EXPECT_EQ(tops.size() == 1, row.oneRow);
    }
    pipeline->SetDataSource(&source);

    // A right-aligned number under a wider label ends where the label ends.
    field("CustNo")->SetFieldAlias(QStringLiteral("Customer Number"));
    field("CustNo")->SetAlignment(TAlignment::taRightJustify);
    wizard->AdjustFieldWidths = true;
    TppReport* r = build({"CustNo", "Company"}, {}, TppReportLayoutType::rlTabular, TppReportStyleType::rsBold);
    const auto texts = componentsIn<TppDBText>(r->GetBand(TppBandType::btDetail));
    const auto labels = componentsIn<TppLabel>(r->GetBand(TppBandType::btHeader));
    ASSERT_EQ(texts.size(), 2u);
    ASSERT_EQ(labels.size(), 2u);
    const TppDBText* number = texts[0]->DataField() == "CustNo" ? texts[0] : texts[1];
    const TppLabel* label = labels[0]->Caption() == "Customer Number" ? labels[0] : labels[1];
    EXPECT_EQ(number->Alignment(), TAlignment::taRightJustify);
    EXPECT_EQ(label->Alignment(), TAlignment::taRightJustify);
    ASSERT_LT(number->mmWidth(), label->mmWidth());
    // Within one screen pixel (265 mm-thousandths).
    EXPECT_NEAR(number->mmLeft() + number->mmWidth(), label->mmLeft() + label->mmWidth(), 265);
}

TEST_F(ReportWizardTest, the_styles_and_layouts_set_their_bands_as_their_tables_say) {
    TppReport* r = build({"Company", "State"}, {"State"}, TppReportLayoutType::rlOutline2, TppReportStyleType::rsSoftGray);
    // Soft Gray: the title and the footer get a silver shape of their size behind everything.
    for (TppBandType type : {TppBandType::btTitle, TppBandType::btFooter}) {
        const TppBand* band = r->GetBand(type);
        ASSERT_GT(band->ObjectCount(), 0);
        const auto* shape = qobject_cast<const TppShape*>(band->Objects(0));
        ASSERT_NE(shape, nullptr);
        EXPECT_EQ(shape->Brush().Color, paint::clSilver);
        EXPECT_TRUE(shape->objectName().isEmpty());
        for (const TppCustomText* t : componentsIn<TppCustomText>(band)) EXPECT_TRUE(t->Transparent());
    }
    // Outline 2 with one group: its header is the innermost one (a line above), with the group
    // field and, below it, the column labels.
    const TppBand* header = r->Groups(0)->HeaderBand();
    EXPECT_EQ(componentsIn<TppDBText>(header).size(), 1u);
    EXPECT_EQ(componentsIn<TppLabel>(header).size(), 1u);
    const TppLabel* label = componentsIn<TppLabel>(header).front();
    const TppDBText* state = componentsIn<TppDBText>(header).front();
    EXPECT_GT(label->mmTop(), state->mmTop() + state->mmHeight());
    EXPECT_EQ(componentsIn<TppLine>(header).size(), 1u);
    // Group footers stay empty and end with height 0.
    EXPECT_EQ(r->Groups(0)->FooterBand()->mmHeight(), 0);

    // Block: boxes tile each row of the detail band from left 2.
    TppReport* block = build({"Company", "City", "State"}, {"State"}, TppReportLayoutType::rlBlock, TppReportStyleType::rsFormal);
    const auto boxes = componentsIn<TppShape>(block->GetBand(TppBandType::btDetail));
    ASSERT_EQ(boxes.size(), 3u);  // Block keeps the group field in the detail band
    int left = 2;
    std::vector<const TppShape*> sorted(boxes.begin(), boxes.end());
    std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->spLeft() < b->spLeft(); });
    for (const TppShape* box : sorted) {
        EXPECT_NEAR(box->spLeft(), left, 1);
        left = box->spLeft() + box->spWidth() - 1;
    }
}

TEST_F(ReportWizardTest, a_child_report_puts_its_labels_in_the_title_band_and_its_footer_in_the_summary) {
    auto* child = new TppChildReport(&form);
    child->SetName("rptChild");
    child->SetDataPipeline(pipeline);
    child->CreateDefaultBands();
    // A page header and footer, which a child report does not print: the wizard frees them.
    for (TppBand* band : std::initializer_list<TppBand*>{new TppHeaderBand(&form), new TppFooterBand(&form)}) band->SetReport(child);
    ASSERT_NE(child->GetBand(TppBandType::btHeader), nullptr);
    wizard->SetDataName("Customer");
    wizard->SelectedFields = {{"Company", field("Company")}, {"City", field("City")}};
    wizard->GroupFields.clear();
    wizard->Layout = TppReportLayoutType::rlTabular;
    wizard->Style = TppReportStyleType::rsCasual;
    wizard->Report = child;
    wizard->BuildReport();
    EXPECT_EQ(child->GetBand(TppBandType::btHeader), nullptr);
    EXPECT_EQ(child->GetBand(TppBandType::btFooter), nullptr);
    const TppBand* title = child->GetBand(TppBandType::btTitle);
    const TppBand* summary = child->GetBand(TppBandType::btSummary);
    ASSERT_NE(title, nullptr);
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(componentsIn<TppSystemVariable>(summary).size(), 2u);
    // The title label at top 5, the column labels below it at top 41.
    const auto labels = componentsIn<TppLabel>(title);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0]->Caption(), "Customer");
    EXPECT_NEAR(labels[1]->spTop(), 41, 1);
    EXPECT_NEAR(labels[2]->spTop(), 41, 1);
    // The child's title band is its page head: a line below the labels.
    EXPECT_EQ(componentsIn<TppLine>(title).size(), 1u);
    delete child;
}

TEST_F(ReportWizardTest, the_field_routines_make_sized_components_labels_and_borders) {
    TppReport* r = newReport();
    r->CreateDefaultBands();
    TppBand* detail = r->GetBand(TppBandType::btDetail);
    TppFont font;
    font.SetName("ARIAL");
    font.SetSize(10);
    TppComponent* company = ppCreateFieldComponent(r, detail, field("Company"), &font);
    ASSERT_NE(company, nullptr);
    EXPECT_EQ(company->metaObject(), &TppDBText::staticMetaObject);
    EXPECT_EQ(company->DataField(), "Company");
    EXPECT_TRUE(company->Transparent());
    EXPECT_EQ(company->Font()->Name(), "ARIAL");
    EXPECT_EQ(company->spWidth(), pipeline->GetFieldDisplayWidth("Company") * ppGetTextWidth(font.Font(), "O") + 4);
    EXPECT_EQ(company->spHeight(), ppGetTextHeight(font.Font(), "W"));
    EXPECT_EQ(field("Company")->property("Component").value<QObject*>(), company);
    TppLabel* label = ppCreateFieldLabel(r, detail, field("Company"), &font);
    EXPECT_EQ(label->Caption(), "Company");
    EXPECT_EQ(label->spWidth(), ppGetTextWidth(font.Font(), "Company") + 4);
    company->SetspLeft(40);
    company->SetspTop(20);
    TppShape* border = ppCreateBorderShape(r, company);
    EXPECT_EQ(border->spLeft(), company->spLeft() - 2);
    EXPECT_EQ(border->spTop(), company->spTop() - 2);
    EXPECT_EQ(detail->Objects(0), border);
    const struct {
        TppDataType type;
        TClass made;
    } classes[] = {{TppDataType::dtString, &TppDBText::staticMetaObject},
                   {TppDataType::dtInteger, &TppDBText::staticMetaObject},
                   {TppDataType::dtMemo, ppGetDataComponentClass(TppDataType::dtMemo)},
                   {TppDataType::dtGraphic, ppGetDataComponentClass(TppDataType::dtBLOB)}};
    for (const auto& c : classes) EXPECT_EQ(ppGetDataComponentClass(c.type), c.made);
    EXPECT_STREQ(ppGetDataComponentClass(TppDataType::dtMemo)->className(), "TppDBMemo");
    EXPECT_STREQ(ppGetDataComponentClass(TppDataType::dtBLOB)->className(), "TppDBImage");
}

TEST(WizardPictures, the_pictures_have_their_sizes_and_the_groups_picture_nests_its_brackets) {
    QDir().mkpath(QStringLiteral("screenshots"));
    QImage sheet(225 * 8, 201 * 2 + 265, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (int l = 0; l < 8; ++l) {
        const QImage picture = ppLayoutPicture(TppReportLayoutType(l));
        EXPECT_EQ(picture.size(), QSize(225, 201));
        p.drawImage(225 * l, 0, picture);
    }
    for (int s = 0; s < 6; ++s) {
        const QImage picture = ppStylePicture(TppReportStyleType(s));
        EXPECT_EQ(picture.size(), QSize(225, 201));
        p.drawImage(225 * s, 201, picture);
    }
    const QImage none = ppGroupsPicture({}, {"Company", "City", "State", "Phone"});
    const QImage three = ppGroupsPicture({"State", "City", "Company"}, {"Phone"});
    EXPECT_EQ(three.size(), QSize(239, 265));
    // Blue brackets only where groups are.
    auto blue = [](const QImage& i) {
        int n = 0;
        for (int y = 0; y < i.height(); ++y)
            for (int x = 0; x < i.width(); ++x) n += i.pixel(x, y) == qRgb(0, 0, 255);
        return n;
    };
    EXPECT_EQ(blue(none), 0);
    EXPECT_GT(blue(three), 300);
    EXPECT_EQ(three.pixel(16, 100), qRgb(0, 0, 255));  // the first bracket's side
    EXPECT_EQ(three.pixel(23, 100), qRgb(0, 0, 255));  // the second, 7 to the right
    p.drawImage(0, 402, none);
    p.drawImage(239, 402, three);
    TppAutoLayoutBitmap tabular;
    TppAutoLayoutBitmap vertical;
    vertical.Tabular = false;
    vertical.FrameFields = true;
    QImage a, b;
    tabular.DrawToBitmap(&a);
    vertical.DrawToBitmap(&b);
    EXPECT_EQ(a.size(), QSize(210, 145));
    p.drawImage(480, 402, a);
    p.drawImage(700, 402, b);
    p.drawImage(920, 402, ppCreateMetaBitmap([] { return std::make_unique<TppWizardFieldsBitmap>(); }));
    p.drawImage(1100, 402, ppCreateMetaBitmap([] { return std::make_unique<TppPortraitBitmap>(); }));
    p.drawImage(1140, 402, ppCreateMetaBitmap([] { return std::make_unique<TppLandscapeBitmap>(); }));
    p.end();
    EXPECT_TRUE(sheet.save(QStringLiteral("screenshots/report_wizard_pictures.png")));
}

}  // namespace
