// report-design: opens a report template file in the report designer.
//
//   report-design TEMPLATE [--data FOLDER [--pipeline NAME=TABLE]...] [--grab FILE [--page Design|Preview]]
//
// Report templates do not keep their data pipelines: --pipeline makes a dataset pipeline of
// that name over a table of the --data folder before the template is read, so the template's
// references find it. Other dataset pipelines are bound to the table named like their data
// source without a leading "ds" ("dsPackages" -> "Packages.db"). The designer then shows data
// and the Preview page runs the report. With --grab the window is shown,
// the page is chosen, a picture of the window is written to FILE and the program ends;
// otherwise the designer stays open until it is closed. Status 1: the template could not be
// opened.

#include "report/crosstab/crosstab_classes.h"
#include "report/crosstab/gui/crosstab_designer.h"
#include "report/data/gui/data_gui_texts.h"
#include "report/designer/data/data_tab_unit.h"
#include "report/designer/gui/designer.h"
#include "report/designer/gui/designer_forms.h"
#include "report/designer/gui/designer_window.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/page/class_library.h"
#include "report/model/report_classes.h"
#include "report/model/report_template.h"
#include "report/output/gui/output_forms.h"
#include "report/script/gui/script_gui_texts.h"
#include "report/output/dialog_registry.h"
#include "report/output/producer.h"
#include "report/model/palette_registry.h"

#include "platform/base/exception.h"
#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/ui/gui/widget_dialog_service.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

int fail(const QString& aText) {
    std::fprintf(stderr, "report-design: %s\n", qPrintable(aText));
    return 1;
}

QString tableFor(const QString& aSource, const QDir& aFolder) {
    QString base = aSource;
    if (base.startsWith(QLatin1String("ds"), Qt::CaseInsensitive)) base = base.mid(2);
    for (const QString& file : aFolder.entryList(QDir::Files))
        if (QFileInfo(file).completeBaseName().compare(base, Qt::CaseInsensitive) == 0 &&
            QFileInfo(file).suffix().compare(QLatin1String("db"), Qt::CaseInsensitive) == 0)
            return file;
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("report-design"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Opens a report template file in the report designer."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("template"), QStringLiteral("The report template file."));
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("The database folder."), QStringLiteral("folder"));
    const QCommandLineOption grab(QStringLiteral("grab"), QStringLiteral("Writes a picture of the window and ends."),
                                  QStringLiteral("file"));
    const QCommandLineOption page(QStringLiteral("page"), QStringLiteral("With --grab: the page shown (Design, Preview)."),
                                  QStringLiteral("page"), QStringLiteral("Design"));
    const QCommandLineOption pipelineOption(QStringLiteral("pipeline"),
                                            QStringLiteral("Makes a dataset pipeline over a table of the folder."),
                                            QStringLiteral("name=table"));
    parser.addOptions({data, pipelineOption, grab, page});
    parser.process(app);
    if (parser.positionalArguments().size() != 1) return fail(QStringLiteral("give one template file"));
    const QString file = parser.positionalArguments().first();
    if (!QFileInfo::exists(file)) return fail(QStringLiteral("no template file %1").arg(file));

    ui::InstallGuiServices();
    report::InitializeOutputUnit();
    report::RegisterOutputForms();
    report::RegisterReportClasses();
    report::RegisterPipelineClasses();
    report::InstallRegisteredTemplateDialogs();
    report::InstallPaletteRegistry();
    report::RegisterDesignerForms();
    report::data::InitializeDataGuiUnit();
    report::data::RegisterDataTab();
    report::RegisterCrossTabClasses();
    report::RegisterCrossTabWindows();
    script::gui::InitializeScriptGuiUnit();

    TComponent form;
    std::vector<std::unique_ptr<db::Table>> tables;
    std::vector<std::unique_ptr<db::DataSource>> sources;
    QMap<QString, QString> given;  // pipeline name -> table
    for (const QString& p : parser.values(pipelineOption)) {
        const qsizetype eq = p.indexOf(QLatin1Char('='));
        if (eq <= 0) return fail(QStringLiteral("--pipeline wants name=table, not %1").arg(p));
        auto* pipeline = new TppDBPipeline(&form);
        pipeline->SetName(p.left(eq));
        given.insert(p.left(eq), p.mid(eq + 1));
    }
    auto* report = new TppReport(&form);
    report->SetName(QStringLiteral("Report"));
    try {
        report->Template()->SetFileName(file);
        report->Template()->LoadFromFile();
    } catch (const base::Exception& e) {
        return fail(e.Message());
    }
    report->SetSaveAsTemplate(true);
    if (parser.isSet(data)) {
        const QDir folder(parser.value(data));
        for (TppDBPipeline* pipeline : form.findChildren<TppDBPipeline*>()) {
            const bool made = given.contains(pipeline->Name());
            const QString source = made ? pipeline->Name() : pipeline->DataSourceName();
            const QString table = made ? given.value(pipeline->Name()) : tableFor(source, folder);
            if (table.isEmpty()) continue;
            auto t = std::make_unique<db::Table>();
            t->SetDatabaseName(folder.absolutePath());
            t->SetTableName(table);
            auto dataSource = std::make_unique<db::DataSource>();
            dataSource->setObjectName(source);
            dataSource->SetDataSet(t.get());
            pipeline->SetDataSource(dataSource.get());
            tables.push_back(std::move(t));
            sources.push_back(std::move(dataSource));
        }
    }

    int status = 0;
    {
        TppDesigner designer(&form);
        designer.SetReport(report);
        TppDesignerWindow* window = designer.Form();
        if (parser.isSet(grab)) {
            window->resize(1000, 760);
            window->show();
            window->SelectPage(parser.value(page));
            QApplication::processEvents();
            if (!window->grab().save(parser.value(grab))) status = fail(QStringLiteral("cannot write %1").arg(parser.value(grab)));
            window->SelectPage(QStringLiteral("Design"));
        } else {
            designer.ShowModal();
        }
        designer.SetReport(nullptr);
    }
    delete report;
    return status;
}
