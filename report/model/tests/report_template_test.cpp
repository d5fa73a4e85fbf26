// The report's template: a report saved and loaded again through its own template, in the
// binary and the text form, the designer told around a load, and a new report.

#include "report/model/band_classes.h"
#include "report/model/group.h"
#include "report/model/report_template.h"
#include "report/model/subreport.h"
#include "report/model/text_components.h"
#include "report/model/tests/report_fixtures.h"

#include "platform/stream/object_stream.h"

#include <QFile>
#include <QTemporaryDir>

using namespace reporttest;

namespace {

/// A catalogue report: header, a group on the section, a detail with two labels and a
/// sub-report with its own header.
TppReport* catalogueReport(TComponent& form) {
    auto* report = new TppReport(&form);
    report->SetName(QStringLiteral("rptCatalogue"));
    report->SetColumns(2);
    report->SetPassSetting(TppPassSettingType::psTwoPass);
    place<TppLabel>(addBand<TppHeaderBand>(report, "ppHeaderBand1", 9000), "ppTitle", 0, 0, 5000, 90000)
        ->SetCaption(QStringLiteral("Debian packages by section"));
    auto* group = new TppGroup(&form);
    group->SetName(QStringLiteral("ppGroup1"));
    group->SetReport(report);
    group->SetBreakName(QStringLiteral("Section"));
    auto* detail = addBand<TppDetailBand>(report, "ppDetailBand1", 12000);
    place<TppLabel>(detail, "ppPackage", 0, 0, 5000, 40000)->SetCaption(QStringLiteral("Package"));
    place<TppLabel>(detail, "ppVersion", 45000, 0, 5000, 30000)->SetCaption(QStringLiteral("Version"));
    auto* sub = place<TppSubReport>(detail, "ppDepends", 0, 6000, 5000, 90000);
    sub->CreateReport(report);
    sub->Report()->SetName(QStringLiteral("rptDepends"));
    sub->Report()->CreateDefaultBands();
    place<TppLabel>(sub->Report()->GetTitleBand() ? sub->Report()->GetTitleBand() : sub->Report()->GetDetailBand(),
                    "ppDependsOn", 0, 0, 4000, 60000)
        ->SetCaption(QStringLiteral("Depends on"));
    return report;
}

}  // namespace

TEST_F(ReportTest, a_report_saved_through_its_template_loads_back_equal_in_both_forms) {
    QTemporaryDir dir;
    for (TppFormatType format : {TppFormatType::ftBinary, TppFormatType::ftASCII}) {
        SCOPED_TRACE(int(format));
        TComponent form;
        TppReport* original = catalogueReport(form);
        const QString file = dir.filePath(format == TppFormatType::ftBinary ? "binary.rtm" : "text.rtm");
        original->Template()->SetFileName(file);
        original->Template()->SetFormat(format);
        original->SetModified(true);
        original->Template()->Save();
        EXPECT_FALSE(original->Modified());
        EXPECT_FALSE(original->HasState(ppsTemplateSaving));
        QFile saved(file);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(saved.read(6) == "object", format == TppFormatType::ftASCII);

        // Another report object of another form takes the contents; the object itself stays.
        TComponent otherForm;
        auto* target = new TppReport(&otherForm);
        target->SetName(QStringLiteral("rptTarget"));
        addBand<TppFooterBand>(target, "ppOldFooter", 5000);
        DesignerRecorder designer;
        target->SetReportDesigner(&designer);
        designer.received.clear();
        target->Template()->SetFileName(file);
        target->Template()->LoadFromFile();
        // Load start and end around the load; the template's name changes said besides.
        designer.received.removeAll(QStringLiteral("100"));
        EXPECT_EQ(designer.received, QStringList({"122", "123"}));
        EXPECT_EQ(target->Template()->Format(), format);
        EXPECT_FALSE(target->HasState(ppsTemplateLoading));
        EXPECT_EQ(target->Owner(), &otherForm);
        EXPECT_EQ(target->GetFooterBand(), nullptr);
        EXPECT_EQ(target->Columns(), 2);
        EXPECT_EQ(target->PassSetting(), TppPassSettingType::psTwoPass);
        TppChildReportList children;
        target->GetAllChildReports(children);
        ASSERT_EQ(children.size(), 1);
        EXPECT_TRUE(children[0].second->FindComponentByName(QStringLiteral("ppDependsOn")));
        target->SetReportDesigner(nullptr);
        // Saved again, the loaded report writes the very same stream under its own name.
        target->SetName(QStringLiteral("rptCatalogue"));
        EXPECT_EQ(stream::WriteComponent(*target), stream::WriteComponent(*original));
    }
}

TEST_F(ReportTest, a_report_template_does_nothing_while_printing_and_keeps_the_report_when_a_load_fails) {
    QTemporaryDir dir;
    TComponent form;
    TppReport* source = catalogueReport(form);
    const QString file = dir.filePath("catalogue.rtm");
    source->Template()->SetFileName(file);
    source->Template()->SaveToFile();
    EXPECT_EQ(source->Template()->FileExtension(), QStringLiteral("rtm"));
    EXPECT_EQ(source->Template()->FileFilter(), QStringLiteral("Report file (*.rtm)|*.rtm"));

    TComponent other;
    auto* target = new TppReport(&other);
    addBand<TppFooterBand>(target, "ppOldFooter", 5000);
    target->SetPrinting(true);
    target->Template()->SetFileName(file);
    target->Template()->LoadFromFile();
    EXPECT_TRUE(target->GetFooterBand());
    EXPECT_FALSE(target->GetDetailBand());
    target->SetPrinting(false);

    // A damaged file: the report keeps its footer, and is not left loading.
    QByteArray bytes = source->Template()->SaveToBytes();
    bytes.truncate(bytes.size() / 2);
    const QString damaged = dir.filePath("damaged.rtm");
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    target->Template()->SetFileName(damaged);
    EXPECT_ANY_THROW(target->Template()->LoadFromFile());
    EXPECT_TRUE(target->GetFooterBand());
    EXPECT_FALSE(target->HasState(ppsTemplateLoading));
}

TEST_F(ReportTest, a_new_report_from_the_template_has_the_default_bands_and_keeps_the_detail_pipeline) {
    TComponent form;
    TppReport* report = catalogueReport(form);
    auto* pipeline = new TppTestPipeline(&form);
    qobject_cast<TppDetailBand*>(report->GetDetailBand())->SetDataPipeline(pipeline);
    report->Template()->SetFileName(QStringLiteral("catalogue.rtm"));
    DesignerRecorder designer;
    report->SetReportDesigner(&designer);
    designer.received.clear();
    int news = 0;
    report->Template()->Events.OnNew = [&](TppTemplate*) { ++news; };
    report->Template()->New();
    EXPECT_EQ(news, 1);
    EXPECT_EQ(designer.received.first(), QStringLiteral("122"));
    EXPECT_EQ(designer.received.last(), QStringLiteral("123"));
    EXPECT_EQ(report->GroupCount(), 0);
    EXPECT_EQ(report->BandCount(), 5);  // header, column header, detail, column footer, footer (two columns)
    EXPECT_FALSE(report->FindComponentByName(QStringLiteral("ppPackage")));
    EXPECT_EQ(qobject_cast<TppDetailBand*>(report->GetDetailBand())->DataPipeline(), pipeline);
    EXPECT_TRUE(report->Template()->Description().isEmpty());
    report->SetReportDesigner(nullptr);
}
