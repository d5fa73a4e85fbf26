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
#include "report/page/printer_list.h"
#include "report/page/printer_setup.h"
#include "report/output/tests/recording_device.h"
#include "report/page/units.h"
#include "testsupport/temp_folder.h"

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/format/format_settings.h"
#include "platform/stream/text_form.h"
#include "platform/print/testing/fake_catalog.h"

#include <gtest/gtest.h>

#include <QFile>
#include "report/page/page.h"
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include "test_paths.h"

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


/// The size in points of every page of a PDF file, as pdfinfo reads it.
std::vector<QSize> pdfPageSizes(const QString& file) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("9999"), file});
    EXPECT_TRUE(info.waitForFinished(30000));
    std::vector<QSize> sizes;
    const QRegularExpression size(QStringLiteral(R"(^Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)"), QRegularExpression::MultilineOption);
    auto it = size.globalMatch(QString::fromUtf8(info.readAllStandardOutput()));
    while (it.hasNext()) {
        const auto m = it.next();
        sizes.push_back(QSize(qRound(m.captured(1).toDouble()), qRound(m.captured(2).toDouble())));
    }
    return sizes;
}

TEST_F(ReportRun, a_template_keeps_its_printer_setup_and_every_page_prints_on_its_own_paper) {
    struct Case {
        const char* what;
        QStringList papers;  ///< what the queue offers
        QString paper;
        TPrinterOrientation orientation;
        QSize points;  ///< of every printed page
    };
    const Case cases[] = {
        {"Letter on a queue of Letter only", {"Letter"}, "Letter", TPrinterOrientation::poPortrait, {612, 792}},
        {"Letter on a queue of A4 first", {"A4", "Letter"}, "Letter", TPrinterOrientation::poPortrait, {612, 792}},
        {"A4 landscape", {"A4", "Letter"}, "A4", TPrinterOrientation::poLandscape, {842, 595}},
    };
    for (const Case& c : cases)
    for (const QChar separator : {QLatin1Char('.'), QLatin1Char(',')}) {  // new setups are Letter, or A4
        SCOPED_TRACE(c.what);
        SCOPED_TRACE(QString(separator).toStdString());
        format::FormatSettings settings = format::Settings();
        settings.decimalSeparator = separator;
        settings.thousandSeparator = separator == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
        const format::ScopedSettings scopedSettings(settings);
        const QString pdf = FilePath("setup.pdf");
        QFile::remove(pdf);
        auto catalog = std::make_unique<print::testing::FakeCatalog>();
        catalog->printers = {{QStringLiteral("Office Laser"), false}};
        catalog->defaultPrinter = QStringLiteral("Office Laser");
        print::DriverCapabilities caps;
        for (const QString& paper : c.papers) {
            caps.paperNames.push_back(paper);
            caps.paperCodes.push_back(paper == "A4" ? 9 : 1);
            caps.paperSizesTenthsMm.push_back(paper == "A4" ? QSize(2100, 2970) : QSize(2159, 2794));
        }
        catalog->capabilities[QStringLiteral("Office Laser")] = caps;
        catalog->pdfFiles[QStringLiteral("Office Laser")] = pdf;
        print::testing::ScopedCatalog scoped(std::move(catalog), report::ResetPrinterList);

        // The layout's paper, orientation and margins, kept through a template.
        TppPrinterSetup* setup = report->PrinterSetup();
        setup->SetUnits(TppUnitType::utMMThousandths);
        // The sizes below are the portrait paper's: the case before may have left the setup
        // in landscape, where setting them would describe a portrait sheet turned sideways.
        setup->SetOrientation(TPrinterOrientation::poPortrait);
        setup->SetPaperName(c.paper);
        if (c.paper == "A4") {
            setup->PageDef()->SetmmWidth(210000);
            setup->PageDef()->SetmmHeight(297000);
        } else {
            setup->PageDef()->SetmmWidth(215900);
            setup->PageDef()->SetmmHeight(279400);
        }
        setup->SetOrientation(c.orientation);
        setup->PageDef()->SetmmMarginLeft(12000);
        setup->PageDef()->SetmmMarginTop(15000);
        const int expectedWidth = setup->PageDef()->mmWidth(), expectedHeight = setup->PageDef()->mmHeight();
        const QString templateFile = saveTemplate();
        TComponent otherForm;
        (new TppDBPipeline(&otherForm))->SetName("plPackages");  // what the template refers to
        auto* loaded = new TppReport(&otherForm);
        QStringList warnings;
        // The prompt in force before (the registered dialog's, when another test installed it)
        // comes back afterwards, so tests sharing this program see the prompt they set up.
        const report::TemplateErrorPrompt previousPrompt = report::SetTemplateErrorPrompt([&](const QString& aText) {
            warnings << aText;
            return report::TemplateErrorAnswer::Ignore;
        });
        report::RelativeTemplate reader(loaded);
        reader.SetFileName(templateFile);
        reader.LoadFromFile();
        report::SetTemplateErrorPrompt(previousPrompt);
        EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
        EXPECT_EQ(loaded->PrinterSetup()->Orientation(), c.orientation);
        EXPECT_EQ(loaded->PageDef()->mmWidth(), expectedWidth);
        EXPECT_EQ(loaded->PageDef()->mmHeight(), expectedHeight);
        EXPECT_EQ(loaded->PageDef()->mmMarginLeft(), 12000);
        EXPECT_EQ(loaded->PageDef()->mmMarginTop(), 15000);
        delete loaded;

        // Printed, every page comes out on the layout's paper.
        TppProducer producer;
        report::ReportPageSource pages(report);
        producer.SetPageSource(&pages);
        producer.SetShowPrintDialog(false);
        producer.SetShowCancelDialog(false);
        producer.SetDeviceType("Printer");
        producer.Print();
        const std::vector<QSize> sizes = pdfPageSizes(pdf);
        ASSERT_GE(sizes.size(), 2u);
        for (size_t i = 0; i < sizes.size(); ++i) EXPECT_EQ(sizes[i], c.points) << "page " << i + 1;
    }
}

TEST_F(ReportRun, the_program_ends_with_status_2_after_warnings_unless_told_to_ignore_them) {
    // The list template, damaged by hand in its text form: a property no class has, a value
    // of the wrong kind, a class nobody registered, and the report's pipeline missing.
    const QString good = saveTemplate();
    table.Close();
    QFile in(good);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(stream::ObjectBinaryToText(in.readAll()));
    in.close();
    struct Damage {
        const char* what;
        QString from, to;
    };
    const Damage damages[] = {
        {"unknown property", "  AutoStop = ", "  AutoStopp = "},
        {"wrong value kind", "SaveOrder = 0", "SaveOrder = 'first'"},
        {"unknown class", ": TppDBText", ": TppNoSuchText"},
        {"missing pipeline", "DataPipeline = plPackages", "DataPipeline = plNowhere"},
    };
    const auto run = [&](const QString& file, const QStringList& extra) {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(REPORT_RUN, QStringList{file, FilePath("out.csv"), "--data", Path(), "--pipeline", "plPackages=Packages.db",
                                        "--export", "TextFile"} + extra);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardError()));
    };
    const auto [goodStatus, goodErrors] = run(good, {});
    EXPECT_EQ(goodStatus, 0) << goodErrors.toStdString();
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        QString damaged = text;
        ASSERT_TRUE(damaged.contains(d.from)) << damaged.toStdString();
        damaged.replace(d.from, d.to);
        const QString file = FilePath("damaged.txt");
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(damaged.toUtf8());
        out.close();
        const auto [status, errors] = run(file, {});
        EXPECT_EQ(status, 2) << errors.toStdString();
        EXPECT_TRUE(errors.contains("warning")) << errors.toStdString();
        const auto [ignored, errorsAgain] = run(file, {"--ignore-warnings"});
        EXPECT_EQ(ignored, 0) << errorsAgain.toStdString();
    }
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
