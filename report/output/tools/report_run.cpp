// report-run: loads a report template file, binds its dataset pipelines to the tables of a
// database folder, and previews the report, prints it on a named queue, renders its pages
// to PNG files, or exports it through a registered file device.
//
//   report-run TEMPLATE --data FOLDER [--bind SOURCE=TABLE]... [--pipeline NAME=TABLE]... ACTION
//   ACTION: --preview | --print QUEUE [--copies N] [--collate] [--dialog]
//         | --png FOLDER | --export DEVICE FILE [--file-type comma|tab|fixed|custom]
//
// A pipeline's data source SOURCE is bound to the table given by --bind, else to the
// table named like the source without a leading "ds" ("dsPackages" -> "Packages.db").
// --pipeline makes a dataset pipeline the template refers to but does not hold (pipelines
// live beside the report, not in its template).

#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
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

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMap>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("report-run"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Previews, prints, renders or exports a report template."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("template"), QStringLiteral("The report template file."));
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("The database folder."), QStringLiteral("folder"));
    const QCommandLineOption bind(QStringLiteral("bind"), QStringLiteral("Binds a data source to a table."),
                                  QStringLiteral("source=table"));
    const QCommandLineOption pipelineOption(QStringLiteral("pipeline"),
                                            QStringLiteral("Makes a dataset pipeline over a table of the folder."),
                                            QStringLiteral("name=table"));
    const QCommandLineOption preview(QStringLiteral("preview"), QStringLiteral("Shows the preview."));
    const QCommandLineOption print(QStringLiteral("print"), QStringLiteral("Prints on the queue."), QStringLiteral("queue"));
    const QCommandLineOption copies(QStringLiteral("copies"), QStringLiteral("Copies to print."), QStringLiteral("n"), "1");
    const QCommandLineOption collate(QStringLiteral("collate"), QStringLiteral("Prints the copies collated."));
    const QCommandLineOption dialog(QStringLiteral("dialog"), QStringLiteral("Shows the print dialog first."));
    const QCommandLineOption png(QStringLiteral("png"), QStringLiteral("Renders each page to page-N.png."),
                                 QStringLiteral("folder"));
    const QCommandLineOption exportTo(QStringLiteral("export"), QStringLiteral("Exports through the file device."),
                                      QStringLiteral("device"));
    const QCommandLineOption fileType(QStringLiteral("file-type"), QStringLiteral("comma, tab, fixed or custom."),
                                      QStringLiteral("type"), QStringLiteral("comma"));
    parser.addOptions({data, bind, pipelineOption, preview, print, copies, collate, dialog, png, exportTo, fileType});
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty()) return fail(QStringLiteral("no template file given"));
    if (parser.isSet(exportTo) && args.size() < 2) return fail(QStringLiteral("--export needs an output file"));

    report::InitializeOutputUnit();
    report::RegisterOutputForms();
    report::RegisterReportClasses();
    report::RegisterPipelineClasses();

    try {
        // Declared first so they go last: the pipelines use them until the form is freed.
        std::vector<std::unique_ptr<db::Table>> tables;
        std::vector<std::unique_ptr<db::DataSource>> sources;
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
            for (TppDBPipeline* pipeline : form.findChildren<TppDBPipeline*>()) {
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

        TppProducer producer;
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
            return 0;
        }
        if (parser.isSet(exportTo)) {
            const QString device = parser.value(exportTo);
            const QMap<QString, TppFileType> types{{"comma", TppFileType::ftComma},
                                                   {"tab", TppFileType::ftTab},
                                                   {"fixed", TppFileType::ftFixedLength},
                                                   {"custom", TppFileType::ftCustom}};
            if (!types.contains(parser.value(fileType))) return fail(QStringLiteral("unknown file type"));
            producer.SetTextFileType(types.value(parser.value(fileType)));
            producer.SetTextFileName(args.at(1));
            producer.SetArchiveFileName(args.at(1));
            producer.SetDeviceType(device);
            if (producer.DeviceType() != device) return fail(QStringLiteral("no file device %1").arg(device));
            producer.Print();
            return 0;
        }
        if (parser.isSet(print)) {
            producer.PrinterSetup()->SetPrinterName(parser.value(print));
            producer.PrinterSetup()->SetCopies(std::max(1, parser.value(copies).toInt()));
            producer.PrinterSetup()->SetCollation(parser.isSet(collate));
            producer.SetDeviceType(QStringLiteral("Printer"));
            producer.Print();
            return 0;
        }
        producer.SetDeviceType(QStringLiteral("Screen"));
        producer.SetModalPreview(true);
        producer.Print();
        return 0;
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
}
