#include "report/output/tests/output_fixtures.h"

#include "report/model/band_classes.h"
#include "report/model/report_classes.h"
#include "report/model/text_components.h"
#include "report/output/gui/output_forms.h"
#include "report/output/producer.h"
#include "report/page/units.h"

#include "platform/db/database.h"
#include "platform/db/field.h"

#include <QFile>
#include "test_paths.h"

namespace outputtest {

void OutputFormsTest::SetUp() {
    TempFolder::SetUp();
    report::InitializeOutputUnit();
    report::RegisterOutputForms();
    report::SetScreenPixelsPerInch(96);
}

void OutputFormsTest::TearDown() { report::SetScreenPixelsPerInch(0); }

std::unique_ptr<print::testing::FakeCatalog> pdfPrinter(const QString& pdfFile) {
    auto catalog = std::make_unique<print::testing::FakeCatalog>();
    catalog->printers = {{QStringLiteral("Office Laser"), false}};
    catalog->defaultPrinter = QStringLiteral("Office Laser");
    print::DriverCapabilities caps;
    caps.paperNames = {QStringLiteral("A4"), QStringLiteral("Letter")};
    caps.paperCodes = {9, 1};
    caps.paperSizesTenthsMm = {QSize(2100, 2970), QSize(2159, 2794)};
    catalog->capabilities[QStringLiteral("Office Laser")] = caps;
    catalog->pdfFiles[QStringLiteral("Office Laser")] = pdfFile;
    return catalog;
}

QStringList textRecords(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    QStringList lines;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n")))
        if (!line.trimmed().isEmpty()) lines << line.simplified();
    return lines;
}

void PackageListReport::SetUp() {
    TempFolder::SetUp();
    report::InitializeOutputUnit();
    report::RegisterReportClasses();
    report::RegisterPipelineClasses();
    report::SetScreenPixelsPerInch(96);
    QFile f(QStringLiteral(MODEL_TEST_DATA_DIR "/packages.tsv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty()) rows.push_back(QString::fromUtf8(line).split(QLatin1Char('\t')));
    db::TableDef def;
    def.Fields = {{"Package", db::FieldType::ftString, 60, true},
                  {"Section", db::FieldType::ftString, 40, false},
                  {"Size", db::FieldType::ftInteger, 0, false}};
    def.Indexes = {{"", "Package", db::IndexOption::ixPrimary}};
    db::CreateTableFile(Path(), "Packages.db", def, true);
    table.SetDatabaseName(Path());
    table.SetTableName("Packages.db");
    table.Open();
    table.StartBatch();
    for (const QStringList& row : rows) {
        table.Append();
        table.Fields(0)->SetValue(row.at(1));
        table.Fields(1)->SetValue(row.at(0));
        table.Fields(2)->SetValue(row.at(2).toInt());
        table.Post();
    }
    table.EndBatch(true);
    source.setObjectName("dsPackages");
    source.SetDataSet(&table);

    pipeline = new TppDBPipeline(&form);
    pipeline->SetName("plPackages");
    pipeline->SetDataSource(&source);
    report = new TppReport(&form);
    report->SetName("Report");
    report->SetDataPipeline(pipeline);
    auto* detail = new TppDetailBand(&form);
    detail->SetName("ppDetailBand1");
    detail->SetReport(report);
    detail->SetmmHeight(6000);
    detail->SetSave(true);
    int order = 0;
    for (const char* field : {"Package", "Section", "Size"}) {
        auto* text = new TppDBText(&form);
        text->SetName(QStringLiteral("pp%1").arg(field));
        text->SetBand(detail);
        text->SetmmBounds(10000 + 60000 * order, 500, 5000, 55000);
        text->SetDataPipeline(pipeline);
        text->SetDataField(field);
        text->SetSave(true);
        text->SetSaveOrder(order++);
    }
}

void PackageListReport::TearDown() {
    // The engine closes its walk over the pipeline when the report goes, so the report goes
    // first.
    delete report;
    report::SetScreenPixelsPerInch(0);
}

}  // namespace outputtest
