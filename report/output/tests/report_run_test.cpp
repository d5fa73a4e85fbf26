#include "report/output/report_page_source.h"
#include "testsupport/qt_printers.h"

#include "report/model/auto_search_field.h"
#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/report_template.h"
#include "report/model/text_components.h"
#include "report/output/producer.h"
#include "report/output/tests/output_fixtures.h"
#include "report/output/tests/recording_device.h"
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

using outputtest::textRecords;

/// The list report of the packages table, saved as a template file, with the table in a
/// database folder of its own.
class ReportRun : public outputtest::PackageListReport {
protected:
    QString saveTemplate() {
        const QString file = FilePath("packages.rtm");
        report->Template()->SetFileName(file);
        report->Template()->SaveToFile();
        return file;
    }
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

/// Writes down the numbered events a communicator hears.
class EventLog : public TppCommunicator {
public:
    /// The job's events, not the page events between them.
    EventLog() {
        for (int id : {0, 1, 12, 66, 70, 71}) EventNotifies().set(size_t(id));
    }
    void EventNotify(TppCommunicator* aSender, int aEventID, TraParamList*) override {
        ids << aEventID;
        senders << aSender;
    }
    QList<int> ids;
    QList<TppCommunicator*> senders;
};

TEST_F(ReportRun, a_subscriber_of_the_report_hears_the_job_and_printing_start_and_end_in_order) {
    // Set up as report-run sets up a job: the report's own producer, the page source between.
    TppProducer producer;
    report::ReportPageSource pages(report);
    producer.SetPageSource(&pages);
    producer.SetShowPrintDialog(false);
    producer.SetShowCancelDialog(false);
    EventLog log;
    report->AddEventNotify(&log);
    producer.SetTextFileName(FilePath("events.txt"));
    producer.SetDeviceType("ReportTextFile");
    producer.Print();
    EXPECT_EQ(log.ids, QList<int>({70, 1, 0, 71}));
    for (TppCommunicator* sender : log.senders) EXPECT_EQ(sender, report);

    // With a search criterion the values entered come first (12), and a criterion made by
    // the report is announced (66).
    log.ids.clear();
    TppAutoSearchField* criterion = report->CreateAutoSearchCriteria("plPackages", "Section", TppSearchOperatorType::soEqual,
                                                                     "devel", false);
    producer.SetTextFileName(FilePath("devel.txt"));
    producer.Print();
    EXPECT_EQ(log.ids, QList<int>({66, 12, 70, 1, 0, 71}));
    // The job before printed every section; this one only the criterion's, also though the
    // pipeline walked the table before under no criterion.
    const QStringList devel = textRecords(FilePath("devel.txt"));
    EXPECT_EQ(devel.size(), 30);
    for (const QString& line : devel) EXPECT_TRUE(line.contains(" devel ")) << line.toStdString();
    delete criterion;
    report->RemoveEventNotify(&log);
}

TEST_F(ReportRun, pages_carry_the_document_name_of_the_printer_setup) {
    TppProducer producer;
    report::ReportPageSource pages(report);
    producer.SetPageSource(&pages);
    producer.PrinterSetup()->SetDocumentName("Installed packages");
    outputtest::RecordingDevice device;
    device.requiresFinal = false;
    device.SetPublisher(producer.Publisher());
    producer.PublishReport();
    ASSERT_FALSE(device.documentNames.isEmpty());
    for (const QString& name : device.documentNames) EXPECT_EQ(name, QStringLiteral("Installed packages"));
    device.SetPublisher(nullptr);
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
