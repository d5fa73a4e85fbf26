#include "report/output/report_page_source.h"
#include "testsupport/qt_printers.h"

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/template.h"
#include "report/model/text_components.h"
#include "report/output/producer.h"
#include "report/output/tests/output_fixtures.h"
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
        report::RelativeTemplate writer(report);
        const QString file = FilePath("packages.rtm");
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(writer.SaveToBytes());
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


/// Runs report-run with the arguments; answers the exit code (-1 when it did not end within
/// the time) and keeps what it wrote to its output and error channels.
class ReportRunProgram : public ReportRun {
protected:
    int runProgram(const QStringList& arguments, bool withDisplay = true, int waitMs = 60000) {
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        auto env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        if (withDisplay) env.insert("QT_QPA_PLATFORM", "offscreen");
        else env.remove("QT_QPA_PLATFORM");
        run.setProcessEnvironment(env);
        run.start(REPORT_RUN, arguments);
        const bool ended = run.waitForFinished(waitMs);
        if (!ended) {
            run.kill();
            run.waitForFinished(10000);
        }
        output = QString::fromUtf8(run.readAll());
        return ended && run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
    }
    QString output;
};

// --help needs no display and names every device and option a user can give.
TEST_F(ReportRunProgram, help_works_without_a_display_and_lists_devices_and_options) {
    ASSERT_EQ(runProgram({"--help"}, false), 0) << output.toStdString();
    for (const char* word : {"TextFile", "ReportTextFile", "ArchiveFile", "Screen", "Printer", "--preview", "--print",
                             "--png", "--export", "--file-type", "--delimiter", "--data", "--pipeline", "--bind",
                             "comma", "tab", "fixed", "custom"})
        EXPECT_TRUE(output.contains(QLatin1String(word))) << word << "\n" << output.toStdString();
}

// The fixed and custom layouts need something from the template or the command line; without
// it the program says so instead of writing an empty file.
TEST_F(ReportRunProgram, fixed_and_custom_exports_need_save_lengths_or_a_delimiter) {
    const QString templateFile = saveTemplate();
    table.Close();
    const QStringList base{templateFile, FilePath("out.txt"), "--data", Path(), "--pipeline", "plPackages=Packages.db",
                           "--export", "TextFile"};
    struct Case {
        QStringList extra;
        int exitCode;
        const char* message;  ///< in the output; null: none looked for
    };
    const Case cases[] = {
        {{"--file-type", "fixed"}, 1, "no saved text of the template has a save length"},
        {{"--file-type", "custom"}, 1, "--file-type custom needs --delimiter"},
        {{"--file-type", "comma", "--delimiter", ";"}, 1, "--delimiter goes with --file-type custom"},
        {{"--file-type", "custom", "--delimiter", ";"}, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra.join(' ').toStdString());
        QFile::remove(FilePath("out.txt"));
        EXPECT_EQ(runProgram(base + c.extra), c.exitCode) << output.toStdString();
        if (c.message) {
            EXPECT_TRUE(output.contains(QLatin1String(c.message))) << output.toStdString();
        }
        if (c.exitCode != 0) {
            EXPECT_FALSE(QFile::exists(FilePath("out.txt")));
        }
    }
    // The custom delimiter goes between the fields of each record, one record a line.
    QFile out(FilePath("out.txt"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(out.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QStringList expected = expectedRecords(rows);
    for (QString& line : expected) line.replace(QLatin1Char(' '), QLatin1Char(';'));
    EXPECT_EQ(lines, expected);
}

// --preview shows the preview window and stays until it is closed.
TEST_F(ReportRunProgram, preview_shows_the_window_until_it_is_closed) {
    const QString templateFile = saveTemplate();
    table.Close();
    EXPECT_EQ(runProgram({templateFile, "--data", Path(), "--pipeline", "plPackages=Packages.db", "--preview"}, true,
                         3000),
              -1)
        << "ended at once: " << output.toStdString();
}

}  // namespace
