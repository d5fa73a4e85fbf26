// report-run: loads a report template file, binds its dataset pipelines to the tables of a
// database folder, and previews the report, prints it on a named queue, renders its pages
// to PNG files, or exports it through a registered file device.
//
//   report-run TEMPLATE --data FOLDER [--bind SOURCE=TABLE]... [--pipeline NAME=TABLE]...
//              [--ignore-warnings] ACTION
//   ACTION: --preview | --print QUEUE [--copies N] [--collate] [--dialog]
//         | --png FOLDER | --export DEVICE FILE [--file-type comma|tab|fixed|custom]
//                                             [--delimiter TEXT]
//
// --help needs no display and lists the devices --export takes. A fixed-length export pads
// each saved text to its SaveLength, so a template none of whose saved texts has one would
// write nothing: that is refused with a message. A custom export writes the saved texts of a
// band output as one line with --delimiter between them (required with custom).
//
// What the template holds that cannot be read (an unknown class or property, a value of the
// wrong kind, a pipeline that is not there), and what the run could not place on any page,
// is named on the standard error output; the report runs without it, and report-run ends
// with status 2 unless --ignore-warnings is given. Status 1: the report could not be run.
//
// A pipeline's data source SOURCE is bound to the table given by --bind, else to the
// table named like the source without a leading "ds" ("dsPackages" -> "Packages.db").
// --pipeline makes a dataset pipeline the template refers to but does not hold (pipelines
// live beside the report, not in its template).

#include "report/model/band.h"
#include "report/model/custom_engine.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/template.h"
#include "report/model/text_components.h"
#include "report/output/device.h"
#include "report/output/file_device.h"
#include "report/model/report_template.h"
#include "report/output/gui/output_forms.h"
#include "report/output/gui/viewer.h"
#include "report/output/producer.h"
#include "report/output/report_page_source.h"
#include "report/page/page.h"
#include "report/page/printer_setup.h"

#include "platform/base/exception.h"
#include "platform/base/scope_exit.h"
#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/ui/gui/widget_dialog_service.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QMap>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

/// The exit status after a run that had template warnings.
constexpr int kWarningsStatus = 2;

int fail(const QString& aText) {
    std::fprintf(stderr, "report-run: %s\n", qPrintable(aText));
    return 1;
}

/// The table file of the folder that the data source is bound to; empty when none.
QString tableFor(const QString& aSource, const QMap<QString, QString>& aBindings, const QDir& aFolder) {
    QString table = aBindings.value(aSource);
    if (table.isEmpty()) {
        table = aSource;
        if (table.startsWith(QLatin1String("ds"), Qt::CaseInsensitive)) table = table.mid(2);
    }
    const QString base = QFileInfo(table).completeBaseName();
    for (const QString& file : aFolder.entryList(QDir::Files))
        if (file.compare(table, Qt::CaseInsensitive) == 0 ||
            (QFileInfo(file).completeBaseName().compare(base, Qt::CaseInsensitive) == 0 &&
             QFileInfo(file).suffix().compare(QLatin1String("db"), Qt::CaseInsensitive) == 0))
            return file;
    return {};
}

/// The command line's options.
struct Options {
    QCommandLineOption data{QStringLiteral("data"), QStringLiteral("The database folder."), QStringLiteral("folder")};
    QCommandLineOption bind{QStringLiteral("bind"), QStringLiteral("Binds a data source to a table."),
                            QStringLiteral("source=table")};
    QCommandLineOption pipeline{QStringLiteral("pipeline"),
                                QStringLiteral("Makes a dataset pipeline over a table of the folder."),
                                QStringLiteral("name=table")};
    QCommandLineOption preview{QStringLiteral("preview"), QStringLiteral("Shows the preview (the default action).")};
    QCommandLineOption print{QStringLiteral("print"), QStringLiteral("Prints on the queue."), QStringLiteral("queue")};
    QCommandLineOption copies{QStringLiteral("copies"), QStringLiteral("Copies to print."), QStringLiteral("n"),
                              QStringLiteral("1")};
    QCommandLineOption collate{QStringLiteral("collate"), QStringLiteral("Prints the copies collated.")};
    QCommandLineOption dialog{QStringLiteral("dialog"), QStringLiteral("Shows the print dialog first.")};
    QCommandLineOption png{QStringLiteral("png"), QStringLiteral("Renders each page to page-N.png."),
                           QStringLiteral("folder")};
    QCommandLineOption exportTo{QStringLiteral("export"),
                                QStringLiteral("Exports through the file device (see the list below) into the "
                                               "file given after the template."),
                                QStringLiteral("device")};
    QCommandLineOption fileType{QStringLiteral("file-type"),
                                QStringLiteral("Record layout of a text export: comma, tab, fixed (each saved text "
                                               "padded to its SaveLength) or custom (see --delimiter)."),
                                QStringLiteral("type"), QStringLiteral("comma")};
    QCommandLineOption ignoreWarnings{QStringLiteral("ignore-warnings"),
                                      QStringLiteral("Ends with status 0 although the template had parts it could "
                                                     "not read.")};
    QCommandLineOption delimiter{QStringLiteral("delimiter"),
                                 QStringLiteral("With --file-type custom: the text written between the saved texts "
                                                "of a record."),
                                 QStringLiteral("text")};

    void AddTo(QCommandLineParser& parser) const {
        parser.setApplicationDescription(QStringLiteral("Previews, prints, renders or exports a report template."));
        parser.addHelpOption();
        parser.addPositionalArgument(QStringLiteral("template"), QStringLiteral("The report template file."));
        parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("With --export: the file written."),
                                     QStringLiteral("[file]"));
        parser.addOptions({data, bind, pipeline, preview, print, copies, collate, dialog, png, exportTo, fileType,
                           delimiter, ignoreWarnings});
    }
};

/// The help text with the device names the output unit registered.
QString helpText(const QCommandLineParser& parser) {
    QList<QPair<QString, TppDeviceClass>> devices;
    ppGetDeviceClasses(devices);
    QStringList names;
    for (const auto& device : devices) names << device.first;
    return parser.helpText() + QStringLiteral("\nDevices: %1 (Screen is --preview, Printer is --print).\n"
                                              "File types: comma, tab, fixed, custom.\n")
                                   .arg(names.join(QStringLiteral(", ")));
}

/// The producer of an export; for a custom text export (Delimiter set) the save-text hook of
/// the device puts the delimiter before every saved text but the first of its band and a line
/// break after the last, after the report's own OnSaveText has seen the text.
class DelimitingProducer : public TppProducer {
public:
    std::map<const TppBand*, std::vector<const TppCustomText*>> Saved;
    QString Delimiter;

    void DeviceCreated(TppDevice* aDevice) override {
        if (Delimiter.isEmpty()) return;
        if (auto* text = dynamic_cast<report::TextExportSettings*>(aDevice))
            text->SetSaveTextHook([this](TppDevice* device, QObject* component, QString& value) {
                DoSaveText(device, component, value);
                delimit(qobject_cast<const TppCustomText*>(component), value);
            });
    }

private:
    void delimit(const TppCustomText* component, QString& value) const {
        if (!component) return;
        const auto it = Saved.find(component->Band());
        if (it == Saved.end() || it->second.empty()) return;
        if (it->second.front() != component) value.prepend(Delimiter);
        if (it->second.back() == component) value.append(QStringLiteral("\r\n"));
    }
};

bool asksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* help : {"--help", "-h", "-?", "--help-all"})
            if (std::strcmp(argv[i], help) == 0) return true;
    return false;
}

/// The saved text components of each band, in save order.
std::map<const TppBand*, std::vector<const TppCustomText*>> savedTexts(const TComponent& form) {
    std::map<const TppBand*, std::vector<const TppCustomText*>> out;
    for (const TppCustomText* text : form.findChildren<TppCustomText*>())
        if (text->Save() && text->Band()) out[text->Band()].push_back(text);
    for (auto& [band, texts] : out)
        std::stable_sort(texts.begin(), texts.end(),
                         [](const TppCustomText* a, const TppCustomText* b) { return a->SaveOrder() < b->SaveOrder(); });
    return out;
}

}  // namespace

// The data workspace's part of the program (report/data/tools/report_run_data.cpp): it
// registers data modules and query data views, and connects the databases the query views
// name to the --data folder. Declared here: the output library's sources do not include the
// workspace above them.
namespace report_run {
void InitializeDataUnits();
bool IsDataViewPipeline(const QObject* aPipeline);
void ConnectQueryDatabases(QObject* aForm, const QString& aFolder, std::vector<std::unique_ptr<QObject>>& aKeep);
}  // namespace report_run

int main(int argc, char** argv) {
    const Options options;
    if (asksForHelp(argc, argv)) {
        // No window is needed for the help, so no display either.
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("report-run"));
        QCommandLineParser parser;
        options.AddTo(parser);
        report::InitializeOutputUnit();
        std::fputs(qPrintable(helpText(parser)), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("report-run"));
    QCommandLineParser parser;
    options.AddTo(parser);
    parser.process(app);
    // The preview and the print dialog are windows the user answers: they need the dialog
    // service of the Widgets side (without it a modal window ends at once). Runs that ask
    // nothing keep the default service, which logs what it would have asked.
    const bool previewing = !parser.isSet(options.print) && !parser.isSet(options.png) && !parser.isSet(options.exportTo);
    if (previewing || parser.isSet(options.dialog)) ui::InstallGuiServices();
    const QCommandLineOption& data = options.data;
    const QCommandLineOption& bind = options.bind;
    const QCommandLineOption& pipelineOption = options.pipeline;
    const QCommandLineOption& print = options.print;
    const QCommandLineOption& copies = options.copies;
    const QCommandLineOption& collate = options.collate;
    const QCommandLineOption& dialog = options.dialog;
    const QCommandLineOption& png = options.png;
    const QCommandLineOption& exportTo = options.exportTo;
    const QCommandLineOption& fileType = options.fileType;
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty()) return fail(QStringLiteral("no template file given"));
    if (parser.isSet(exportTo) && args.size() < 2) return fail(QStringLiteral("--export needs an output file"));
    const QString type = parser.value(fileType);
    if (parser.isSet(options.delimiter) && type != QLatin1String("custom"))
        return fail(QStringLiteral("--delimiter goes with --file-type custom"));
    if (type == QLatin1String("custom") && parser.isSet(exportTo) && !parser.isSet(options.delimiter))
        return fail(QStringLiteral("--file-type custom needs --delimiter: without it the saved texts would run "
                                   "together on one line"));

    report::InitializeOutputUnit();
    report::RegisterOutputForms();
    report::RegisterReportClasses();
    report::RegisterPipelineClasses();
    report_run::InitializeDataUnits();

    // Every reading error of the template is named and passed over; the status says so.
    int warnings = 0;
    report::SetTemplateErrorPrompt([&warnings](const QString& aText) {
        ++warnings;
        std::fprintf(stderr, "report-run: warning: %s\n", qPrintable(aText.section(QStringLiteral("\r\n"), 0, 0)));
        return report::TemplateErrorAnswer::Ignore;
    });
    const auto finished = [&](int aStatus) {
        if (aStatus != 0 || warnings == 0 || parser.isSet(options.ignoreWarnings)) return aStatus;
        std::fprintf(stderr, "report-run: %d warning(s): the report may lack what they name\n", warnings);
        return kWarningsStatus;
    };

    try {
        // Declared first so they go last: the pipelines use them until the form is freed.
        std::vector<std::unique_ptr<db::Table>> tables;
        std::vector<std::unique_ptr<db::DataSource>> sources;
        std::vector<std::unique_ptr<QObject>> databases;
        TComponent form;
        // Pipelines the template refers to but does not hold: made first, so its references
        // find them; each is bound to its table below through a data source of that name.
        for (const QString& p : parser.values(pipelineOption)) {
            const qsizetype eq = p.indexOf(QLatin1Char('='));
            if (eq <= 0) return fail(QStringLiteral("--pipeline wants name=table, not %1").arg(p));
            auto* pipeline = new TppDBPipeline(&form);
            pipeline->SetName(p.left(eq));
            pipeline->setProperty("reportRunTable", p.mid(eq + 1));
        }
        auto* report = new TppReport(&form);
        report->SetName(QStringLiteral("Report"));
        // The report goes before the pipelines its engine walks.
        const auto dropReport = base::ScopeExit([report] { delete report; });
        report->Template()->SetFileName(args.at(0));
        report->Template()->LoadFromFile();

        // Bind every dataset pipeline of the template to its table.
        if (parser.isSet(data)) {
            const QDir folder(parser.value(data));
            if (!folder.exists()) return fail(QStringLiteral("no database folder %1").arg(folder.path()));
            QMap<QString, QString> bindings;
            for (const QString& b : parser.values(bind)) {
                const qsizetype eq = b.indexOf(QLatin1Char('='));
                if (eq <= 0) return fail(QStringLiteral("--bind wants source=table, not %1").arg(b));
                bindings.insert(b.left(eq), b.mid(eq + 1));
            }
            // The query views of the template run their SQL on the folder.
            report_run::ConnectQueryDatabases(&form, folder.absolutePath(), databases);
            for (TppDBPipeline* pipeline : form.findChildren<TppDBPipeline*>()) {
                if (report_run::IsDataViewPipeline(pipeline)) continue;  // its view feeds it
                const QString given = pipeline->property("reportRunTable").toString();
                const QString source = given.isEmpty() ? pipeline->DataSourceName() : pipeline->Name();
                if (source.isEmpty()) continue;
                if (!given.isEmpty()) bindings.insert(source, given);
                const QString file = tableFor(source, bindings, folder);
                if (file.isEmpty()) return fail(QStringLiteral("no table for the data source %1").arg(source));
                auto table = std::make_unique<db::Table>();
                table->SetDatabaseName(folder.absolutePath());
                table->SetTableName(file);
                auto dataSource = std::make_unique<db::DataSource>();
                dataSource->setObjectName(source);
                dataSource->SetDataSet(table.get());
                pipeline->SetDataSource(dataSource.get());
                tables.push_back(std::move(table));
                sources.push_back(std::move(dataSource));
            }
        }

        // What the run could not place is named like the template's warnings.
        const auto done = [&] {
            for (const QString& w : report->Engine()->Warnings()) {
                ++warnings;
                std::fprintf(stderr, "report-run: warning: %s\n", qPrintable(w));
            }
            return finished(0);
        };

        DelimitingProducer producer;
        report::ReportPageSource pages(report);
        producer.SetPageSource(&pages);
        producer.PrinterSetup()->SetDocumentName(QFileInfo(args.at(0)).completeBaseName());
        producer.SetShowPrintDialog(parser.isSet(dialog));
        producer.SetShowCancelDialog(false);

        if (parser.isSet(png)) {
            const QDir out(parser.value(png));
            if (!out.exists() && !QDir().mkpath(out.path())) return fail(QStringLiteral("cannot make %1").arg(out.path()));
            TppViewer viewer;
            viewer.resize(900, 1200);
            viewer.SetZoomSetting(TppZoomSettingType::zs100Percent);
            viewer.SetReport(&producer);
            producer.PublishReport();
            int written = 0;
            for (;;) {
                TppScreenDevice* device = viewer.ScreenDevice();
                const int no = viewer.GetAbsolutePageNo();
                if (no <= 0 || no <= written) break;
                const QString file = out.filePath(QStringLiteral("page-%1.png").arg(no));
                if (!device->Bitmap().copy(device->PageRect()).save(file)) return fail(QStringLiteral("cannot write %1").arg(file));
                written = no;
                if (device->DisplayedPage()->LastPage()) break;
                viewer.NextPage();
            }
            std::printf("%d pages\n", written);
            return done();
        }
        if (parser.isSet(exportTo)) {
            const QString device = parser.value(exportTo);
            const QMap<QString, TppFileType> types{{"comma", TppFileType::ftComma},
                                                   {"tab", TppFileType::ftTab},
                                                   {"fixed", TppFileType::ftFixedLength},
                                                   {"custom", TppFileType::ftCustom}};
            if (!types.contains(type)) return fail(QStringLiteral("unknown file type %1").arg(type));
            const auto saved = savedTexts(form);
            if (type == QLatin1String("fixed")) {
                bool anyLength = false;
                for (const auto& [band, texts] : saved)
                    for (const TppCustomText* text : texts) anyLength = anyLength || text->SaveLength() > 0;
                if (!anyLength)
                    return fail(QStringLiteral("--file-type fixed pads each saved text to its SaveLength, and no "
                                               "saved text of the template has a save length: nothing would be "
                                               "written"));
            }
            if (type == QLatin1String("custom")) {
                producer.Saved = saved;
                producer.Delimiter = parser.value(options.delimiter);
            }
            producer.SetTextFileType(types.value(type));
            producer.SetTextFileName(args.at(1));
            producer.SetArchiveFileName(args.at(1));
            producer.SetDeviceType(device);
            if (producer.DeviceType() != device) return fail(QStringLiteral("no file device %1").arg(device));
            producer.Print();
            return done();
        }
        if (parser.isSet(print)) {
            producer.PrinterSetup()->SetPrinterName(parser.value(print));
            producer.PrinterSetup()->SetCopies(std::max(1, parser.value(copies).toInt()));
            producer.PrinterSetup()->SetCollation(parser.isSet(collate));
            producer.SetDeviceType(QStringLiteral("Printer"));
            producer.Print();
            return done();
        }
        producer.SetDeviceType(QStringLiteral("Screen"));
        producer.SetModalPreview(true);
        producer.Print();
        return done();
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
}
