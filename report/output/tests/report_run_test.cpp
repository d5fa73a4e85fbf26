#include "report/output/report_page_source.h"
#include "testsupport/qt_printers.h"

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/template.h"
#include "report/model/text_components.h"
#include "report/output/producer.h"
#include "report/page/units.h"
#include "testsupport/temp_folder.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"

#include <gtest/gtest.h>

#include <QFile>
#include "report/page/page.h"
#include <QImage>
#include <QProcess>

namespace {

/// The Debian package list of the model's test data: section, package, installed size.
std::vector<QStringList> packageRows() {
    QFile f(QStringLiteral(MODEL_TEST_DATA_DIR "/packages.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    std::vector<QStringList> rows;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty()) rows.push_back(QString::fromUtf8(line).split(QLatin1Char('\t')));
    return rows;
}

template <class T>
T* place(TppBand* band, const QString& name, int left, int top, int height, int width) {
    auto* c = new T(band->Owner());
    c->SetName(name);
    c->SetBand(band);
    c->SetmmBounds(left, top, height, width);
    return c;
}

/// A list report of the packages table, saved as a template file, with the table in a
/// database folder of its own.
class ReportRun : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        report::InitializeOutputUnit();
        report::RegisterReportClasses();
        report::RegisterPipelineClasses();
        report::SetScreenPixelsPerInch(96);
        rows = packageRows();
        db::TableDef def;
        def.Fields = {{"Package", db::FieldType::ftString, 60, true},
                      {"Section", db::FieldType::ftString, 40, false},
                      {"Size", db::FieldType::ftInteger, 0, false}};
        def.Indexes = {{"", "Package", db::IndexOption::ixPrimary}};
        db::CreateTableFile(Path(), "Packages.db", def, true);
        table.SetDatabaseName(Path());
        table.SetTableName("Packages.db");
        table.Open();
        for (const QStringList& row : rows) {
            table.Append();
            table.Fields(0)->SetValue(row.at(1));
            table.Fields(1)->SetValue(row.at(0));
            table.Fields(2)->SetValue(row.at(2).toInt());
            table.Post();
        }
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
            auto* text = place<TppDBText>(detail, QStringLiteral("pp%1").arg(field), 10000 + 60000 * order, 500, 5000, 55000);
            text->SetDataPipeline(pipeline);
            text->SetDataField(field);
            text->SetSave(true);
            text->SetSaveOrder(order++);
        }
    }
    void TearDown() override {
        // The engine closes its walk over the pipeline when the report goes, so the report
        // goes first.
        delete report;
        report::SetScreenPixelsPerInch(0);
    }

    QString saveTemplate() {
        report::RelativeTemplate writer(report);
        const QString file = FilePath("packages.rtm");
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(writer.SaveToBytes());
        return file;
    }

    std::vector<QStringList> rows;
    db::Table table;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = nullptr;
    TppReport* report = nullptr;
};

/// The records a text export should show, one line each: package, section and size in
/// package order (the table's primary index).
QStringList expectedRecords(const std::vector<QStringList>& rows) {
    std::vector<QStringList> sorted = rows;
    std::sort(sorted.begin(), sorted.end(), [](const QStringList& a, const QStringList& b) { return a.at(1) < b.at(1); });
    QStringList lines;
    for (const QStringList& r : sorted) lines << QStringList{r.at(1), r.at(0), r.at(2)}.join(QLatin1Char(' '));
    return lines;
}

/// The non-empty lines of a report-emulation text file, blanks between words squeezed.
QStringList textRecords(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    QStringList lines;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n")))
        if (!line.trimmed().isEmpty()) lines << line.simplified();
    return lines;
}

TEST_F(ReportRun, the_page_source_lets_the_producer_export_a_model_report) {
    TppProducer producer;
    report::ReportPageSource pages(report);
    producer.SetPageSource(&pages);
    producer.SetShowPrintDialog(false);
    producer.SetShowCancelDialog(false);
    producer.SetTextFileName(FilePath("direct.txt"));
    producer.SetDeviceType("ReportTextFile");
    producer.Print();
    EXPECT_EQ(textRecords(FilePath("direct.txt")), expectedRecords(rows));

    // A second job starts from the first record again.
    producer.SetTextFileName(FilePath("again.txt"));
    producer.Print();
    EXPECT_EQ(textRecords(FilePath("again.txt")), expectedRecords(rows));
}

TEST_F(ReportRun, the_program_exports_and_renders_a_template_bound_to_a_database_folder) {
    const QString templateFile = saveTemplate();
    table.Close();
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    run.setProcessEnvironment(env);
    run.start(REPORT_RUN, {templateFile, FilePath("out.txt"), "--data", Path(), "--pipeline", "plPackages=Packages.db", "--export",
                            "ReportTextFile"});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAll().toStdString();
    EXPECT_EQ(textRecords(FilePath("out.txt")), expectedRecords(rows));

    run.start(REPORT_RUN, {templateFile, "--data", Path(), "--pipeline", "plPackages=Packages.db", "--png", FilePath("pages")});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString output = QString::fromUtf8(run.readAll());
    EXPECT_EQ(run.exitCode(), 0) << output.toStdString();
    const QImage first(FilePath("pages/page-1.png"));
    EXPECT_EQ(first.width(), 816);
    EXPECT_TRUE(QFile::exists(FilePath("pages/page-2.png"))) << output.toStdString();

    run.start(REPORT_RUN, {templateFile, "--data", FilePath("missing"), "--png", FilePath("pages")});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 1);
    EXPECT_TRUE(run.readAll().contains("no database folder"));
}

}  // namespace
