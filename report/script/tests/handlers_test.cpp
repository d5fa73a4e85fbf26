// Event handlers in reports: headings and default sources made from the event's parameters,
// handlers that follow their object (rename, free), the adapters' members and event ids,
// and a report over a real table whose code module hides labels from a band's BeforePrint,
// keeps a running total in a variable's OnCalc, changes texts in OnGetText, counts pages in
// the report's OnStartPage and changes a group's break value; the totals are checked
// against SQL over the same table.

#include "report/script/code_module.h"

#include "report/model/auto_search_field.h"
#include "report/model/band_classes.h"
#include "report/model/graphic_components.h"
#include "report/model/image_components.h"
#include "report/model/memo.h"
#include "report/model/region.h"
#include "report/model/db_pipeline.h"
#include "report/model/custom_engine.h"
#include "report/model/engine.h"
#include "report/model/group.h"
#include "report/model/report.h"
#include "report/model/report_adapters.h"
#include "report/model/report_template.h"
#include "report/model/template_adapters.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"
#include "report/script/members.h"
#include "report/script/object_adapters.h"

#include "platform/db/data_source.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include "test_paths.h"

using namespace reporttest;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

struct HandlerFixture : ReportTest {
    TComponent form;
    TppReport* report = nullptr;
    TppDetailBand* detail = nullptr;
    TppVariable* variable = nullptr;
    TppGroup* group = nullptr;
    TraCodeModule* module = nullptr;

    void SetUp() override {
        ReportTest::SetUp();
        script::RegisterObjectAdapters();
        report = new TppReport(&form);
        report->SetName(QStringLiteral("ppReport1"));
        detail = addBand<TppDetailBand>(report, QStringLiteral("ppDetailBand1"), 6000);
        variable = place<TppVariable>(detail, QStringLiteral("ppVariable1"), 0, 0, 5000, 30000);
        group = new TppGroup(&form);
        group->SetName(QStringLiteral("ppGroup1"));
        group->SetReport(report);
        module = TppReportModule::CreateForReport<TraCodeModule>(report);
    }
};

}  // namespace

TEST_F(HandlerFixture, headings_and_default_sources_come_from_the_event_parameters) {
    struct Case {
        TppCommunicator* object;
        const char* event;
        QString source;
    };
    const Case cases[] = {
        {variable, "OnCalc",
         QStringLiteral("procedure Variable1OnCalc(var Value: Variant);\r\nbegin\r\n\r\n  Value := \r\n\r\nend;\r\n")},
        {group, "OnGetBreakValue",
         QStringLiteral("procedure %1OnGetBreakValue(var BreakValue: String);\r\nbegin\r\n\r\n  BreakValue := "
                        "\r\n\r\nend;\r\n").arg(group->UserName())},
        {detail, "BeforePrint",
         QStringLiteral("procedure %1BeforePrint;\r\nbegin\r\n\r\nend;\r\n").arg(detail->UserName())},
        {report, "OnSaveText",
         QStringLiteral("procedure %1OnSaveText(var Text: String);\r\nbegin\r\n\r\n  Text := \r\n\r\nend;\r\n")
             .arg(report->UserName())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        TraEventHandler* h = module->CreateEventHandler(c.object, QString::fromLatin1(c.event));
        ASSERT_TRUE(h);
        EXPECT_EQ(h->Source(), c.source);
        EXPECT_EQ(h->GetHeading(), c.source.section(kCrLf, 0, 0) + kCrLf);
        EXPECT_EQ(module->CreateEventHandler(c.object, QString::fromLatin1(c.event)), nullptr);  // one per event
    }
    EXPECT_EQ(module->EventHandlers().size(), 4u);
}

TEST_F(HandlerFixture, handlers_follow_their_object_through_rename_and_free) {
    TraEventHandler* h = module->CreateEventHandler(variable, QStringLiteral("OnCalc"));
    ASSERT_TRUE(h);
    h->SetSource(QStringLiteral("procedure Variable1OnCalc(var Value: Variant);\r\nbegin\r\n  Value := 5;\r\nend;"));
    module->CompileAll(true);
    variable->SetUserName(QStringLiteral("Total"));
    EXPECT_EQ(h->ComponentName(), QStringLiteral("Total"));
    EXPECT_EQ(h->ProgramName, QStringLiteral("TotalOnCalc"));
    EXPECT_EQ(h->Source(), QStringLiteral("procedure TotalOnCalc(var Value: Variant);\r\nbegin\r\n  Value := 5;\r\nend;\r\n"));

    // The handler's var parameter comes back to the sender.
    module->CompileAll(true);
    TraParamList params;
    params.AddParam(QStringLiteral("Value"), TraDataType::daVariant, nullptr, QString(), false, true);
    QVariant value = 1;
    params.SetParamValuePtr(0, &value);
    ppSendEventNotify(variable, variable, report::ciVariableCalc, &params);
    EXPECT_EQ(value.toInt(), 5);

    // A heading with more parameters than the event passes gets only those the event has.
    h->SetSource(QStringLiteral("procedure TotalOnCalc(var Value: Variant; Extra: Integer);\r\nbegin\r\n"
                                "  Value := Extra + 7;\r\nend;"));
    module->CompileAll(true);
    ppSendEventNotify(variable, variable, report::ciVariableCalc, &params);
    EXPECT_EQ(value.toInt(), 7);

    delete variable;
    variable = nullptr;
    EXPECT_TRUE(module->EventHandlers().empty());
}

TEST_F(HandlerFixture, adapters_describe_members_with_kind_type_access_listing_and_event_id) {
    struct Row {
        TClass cls;
        const char* name;
        TraDataType type;
        bool readOnly;
        bool listed;
        int eventId;
    };
    using D = TraDataType;
    const Row rows[] = {
        {&TppReport::staticMetaObject, "OnStartPage", D::daMethod, true, true, report::ciReportStartPage},
        {&TppReport::staticMetaObject, "OnSaveText", D::daMethod, true, true, report::ciProducerSaveText},
        {&TppReport::staticMetaObject, "PageNo", D::daInteger, true, true, -1},
        {&TppReport::staticMetaObject, "Page", D::daInteger, true, false, -1},
        {&TppReport::staticMetaObject, "AutoStop", D::daBoolean, false, true, -1},
        {&TppDetailBand::staticMetaObject, "BeforePrint", D::daMethod, true, true, report::ciBandBeforePrint},
        {&TppDetailBand::staticMetaObject, "Visible", D::daBoolean, false, true, -1},
        {&TppDetailBand::staticMetaObject, "BandsPerRecord", D::daInteger, false, true, -1},
        {&TppGroupFooterBand::staticMetaObject, "Group", D::daClass, true, true, -1},
        {&TppGroupFooterBand::staticMetaObject, "BeforePrint", D::daMethod, true, true, report::ciBandBeforePrint},
        {&TppSummaryBand::staticMetaObject, "NewPage", D::daBoolean, false, false, -1},
        {&TppGroup::staticMetaObject, "OnGetBreakValue", D::daMethod, true, true, report::ciGroupGetBreakValue},
        {&TppGroup::staticMetaObject, "BeforeHeader", D::daMethod, true, false, report::ciGroupBeforeHeader},
        {&TppGroup::staticMetaObject, "BreakNo", D::daInteger, true, true, -1},
        {&TppVariable::staticMetaObject, "OnCalc", D::daMethod, true, true, report::ciVariableCalc},
        {&TppVariable::staticMetaObject, "OnGetText", D::daMethod, true, true, report::ciTextGetText},
        {&TppVariable::staticMetaObject, "AsInteger", D::daInteger, false, true, -1},
        {&TppLabel::staticMetaObject, "Band", D::daClass, false, true, -1},
        {&TppLabel::staticMetaObject, "Caption", D::daString, false, true, -1},
        // The report: the producer's events, pages, passes and settings.
        {&TppReport::staticMetaObject, "AfterPrint", D::daMethod, true, true, report::ciProducerAfterPrint},
        {&TppReport::staticMetaObject, "OnPrintDialogClose", D::daMethod, true, true, report::ciProducerPrintDialogClose},
        {&TppReport::staticMetaObject, "OnEndSecondPass", D::daMethod, true, true, report::ciReportEndSecondPass},
        {&TppReport::staticMetaObject, "AbsolutePage", D::daInteger, true, false, -1},
        {&TppReport::staticMetaObject, "GetBand", D::daMethod, true, false, -1},
        {&TppReport::staticMetaObject, "Stop", D::daMethod, true, true, -1},
        {&TppReport::staticMetaObject, "DonePrinting", D::daBoolean, true, false, -1},
        {&TppReport::staticMetaObject, "Modified", D::daBoolean, true, false, -1},
        {&TppReport::staticMetaObject, "ColumnWidth", D::daSingle, false, true, -1},
        {&TppReport::staticMetaObject, "PrintingAsSubReport", D::daBoolean, true, false, -1},
        {&TppReport::staticMetaObject, "Version", D::daString, true, false, -1},
        {&TppReport::staticMetaObject, "Language", D::daEnum, true, true, -1},
        // Bands.
        {&TppDetailBand::staticMetaObject, "AfterGenerate", D::daMethod, true, true, report::ciBandAfterGenerate},
        {&TppDetailBand::staticMetaObject, "Height", D::daSingle, false, true, -1},
        {&TppDetailBand::staticMetaObject, "Save", D::daBoolean, false, true, -1},
        {&TppDetailBand::staticMetaObject, "Caption", D::daString, false, false, -1},
        {&TppDetailBand::staticMetaObject, "mmHeight", D::daInteger, true, false, -1},
        {&TppDetailBand::staticMetaObject, "Units", D::daEnum, true, false, -1},
        {&TppDetailBand::staticMetaObject, "VariableCount", D::daInteger, true, true, -1},
        {&TppDetailBand::staticMetaObject, "PrintCount", D::daInteger, false, true, -1},
        {&TppDetailBand::staticMetaObject, "DataPipeline", D::daClass, false, true, -1},
        {&TppDetailBand::staticMetaObject, "OverFlow", D::daBoolean, true, true, -1},
        {&TppDetailBand::staticMetaObject, "MaxStretchable", D::daClass, true, false, -1},
        // Groups.
        {&TppGroup::staticMetaObject, "AfterGroupBreak", D::daMethod, true, true, report::ciGroupAfterGroupBreak},
        {&TppGroup::staticMetaObject, "BeforeFooter", D::daMethod, true, false, report::ciGroupBeforeFooter},
        {&TppGroup::staticMetaObject, "BreakType", D::daEnum, false, true, -1},
        {&TppGroup::staticMetaObject, "NewColumn", D::daBoolean, false, true, -1},
        {&TppGroup::staticMetaObject, "NewPageThreshold", D::daSingle, false, true, -1},
        {&TppGroup::staticMetaObject, "ResetPageNo", D::daBoolean, false, true, -1},
        {&TppGroup::staticMetaObject, "PriorValue", D::daString, true, false, -1},
        {&TppGroup::staticMetaObject, "Units", D::daEnum, true, false, -1},
        // Components, stretching components, variables.
        {&TppLabel::staticMetaObject, "BandType", D::daEnum, true, false, -1},
        {&TppLabel::staticMetaObject, "ParentDataPipeline", D::daBoolean, false, true, -1},
        {&TppLabel::staticMetaObject, "ResetGroup", D::daClass, true, true, -1},
        {&TppLabel::staticMetaObject, "Region", D::daClass, false, false, -1},
        {&TppMemo::staticMetaObject, "Stretch", D::daBoolean, false, false, -1},
        {&TppMemo::staticMetaObject, "CurrentPosition", D::daInteger, true, false, -1},
        {&TppRegion::staticMetaObject, "ShiftRelativeTo", D::daClass, false, false, -1},
        {&TppVariable::staticMetaObject, "OnReset", D::daMethod, true, true, report::ciVariableReset},
        {&TppVariable::staticMetaObject, "AsDate", D::daDate, false, true, -1},
        {&TppVariable::staticMetaObject, "AsCurrency", D::daCurrency, false, true, -1},
        {&TppVariable::staticMetaObject, "CalcType", D::daEnum, false, true, -1},
        {&TppVariable::staticMetaObject, "ResetComponent", D::daClass, false, true, -1},
        {&TppSystemVariable::staticMetaObject, "VarType", D::daEnum, true, true, -1},
        // Texts, data texts, calculations, shapes, lines and images.
        {&TppLabel::staticMetaObject, "Color", D::daInteger, false, true, -1},
        {&TppLabel::staticMetaObject, "AutoSize", D::daBoolean, true, true, -1},
        {&TppLabel::staticMetaObject, "Description", D::daString, true, true, -1},
        {&TppDBText::staticMetaObject, "FieldValue", D::daVariant, true, true, -1},
        {&TppDBText::staticMetaObject, "SuppressRepeatedValues", D::daBoolean, false, true, -1},
        {&TppDBText::staticMetaObject, "OnGetText", D::daMethod, true, true, report::ciTextGetText},
        {&TppDBCalc::staticMetaObject, "Clear", D::daMethod, true, true, -1},
        {&TppDBCalc::staticMetaObject, "Value", D::daVariant, true, true, -1},
        {&TppDBCalc::staticMetaObject, "DBCalcType", D::daEnum, false, true, -1},
        {&TppShape::staticMetaObject, "Shape", D::daEnum, false, true, -1},
        {&TppLine::staticMetaObject, "Style", D::daEnum, false, true, -1},
        {&TppImage::staticMetaObject, "MaintainAspectRatio", D::daBoolean, false, true, -1},
        {&TppDBImage::staticMetaObject, "OnGetPicture", D::daMethod, true, true, report::ciImageGetPicture},
        // Auto-search fields and templates.
        {&TppAutoSearchField::staticMetaObject, "Value", D::daVariant, true, true, -1},
        {&TppAutoSearchField::staticMetaObject, "ValueCount", D::daInteger, true, true, -1},
        {&TppReportTemplate::staticMetaObject, "New", D::daMethod, true, true, -1},
        {&TppReportTemplate::staticMetaObject, "FileExtension", D::daString, false, false, -1},
        {&TppReportTemplate::staticMetaObject, "Report", D::daClass, true, false, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.cls->className()) + "." + r.name);
        TraPropRec rec;
        ASSERT_TRUE(raGetClassManager().GetPropRec(r.cls, QString::fromLatin1(r.name), rec));
        EXPECT_EQ(rec.DataType, r.type);
        EXPECT_EQ(rec.ReadOnly, r.readOnly);
        EXPECT_EQ(rec.EventID, r.eventId);
        TraPropList props, events;
        raGetClassManager().GetPropList(r.cls, props);
        raGetClassManager().GetEventList(r.cls, events);
        const bool listed = props.Names().contains(QString::fromLatin1(r.name), Qt::CaseInsensitive) ||
                            events.Names().contains(QString::fromLatin1(r.name), Qt::CaseInsensitive);
        EXPECT_EQ(listed, r.listed);
    }
}

namespace {

QVariant readMember(QObject* aObject, const char* aName) {
    QVariant v;
    EXPECT_TRUE(raGetRTTI(aObject->metaObject())->GetPropValue(aObject, QString::fromLatin1(aName), v)) << aName;
    return v;
}

void writeMember(QObject* aObject, const char* aName, QVariant aValue) {
    raGetRTTI(aObject->metaObject())->SetPropValue(aObject, QString::fromLatin1(aName), aValue);
}

/// Calls an array or method member with the arguments; answers the last parameter's value.
QVariant callMember(QObject* aObject, const char* aName, const QVariantList& aArgs, bool aGet = true) {
    const TraRTTI* rtti = raGetRTTI(aObject->metaObject());
    std::unique_ptr<TraParamList> params = rtti->GetParams(QString::fromLatin1(aName));
    EXPECT_TRUE(params) << aName;
    if (!params) return {};
    std::vector<QVariant> buffers(std::size_t(params->Count()));
    for (int i = 0; i < params->Count(); ++i) {
        if (i < aArgs.size()) buffers[std::size_t(i)] = aArgs[i];
        params->BindParamValue(i, &buffers[std::size_t(i)]);
    }
    EXPECT_TRUE(rtti->CallMethod(aObject, QString::fromLatin1(aName), aGet, *params)) << aName;
    QVariant result;
    params->GetParamValue(params->Count() - 1, result);
    return result;
}

}  // namespace

TEST_F(HandlerFixture, report_band_group_and_variable_members_read_and_write_the_objects) {
    auto* second = new TppGroup(&form);
    second->SetName(QStringLiteral("ppGroup2"));
    second->SetReport(report);
    ASSERT_EQ(report->GroupCount(), 2);

    // GetBand: the header band of the second group, or the report's first band of a type.
    EXPECT_EQ(callMember(report, "GetBand", {int(TppBandType::btGroupHeader), 1}).value<QObject*>(),
              static_cast<QObject*>(second->HeaderBand()));
    EXPECT_EQ(callMember(report, "GetBand", {int(TppBandType::btGroupFooter), 0}).value<QObject*>(),
              static_cast<QObject*>(group->FooterBand()));
    EXPECT_EQ(callMember(report, "GetBand", {int(TppBandType::btGroupHeader), 2}).value<QObject*>(), nullptr);
    EXPECT_EQ(callMember(report, "GetBand", {int(TppBandType::btDetail), 0}).value<QObject*>(),
              static_cast<QObject*>(detail));
    EXPECT_EQ(readMember(report, "Page"), readMember(report, "PageNo"));
    EXPECT_EQ(readMember(report, "AbsolutePage"), readMember(report, "AbsolutePageNo"));

    // An assignment to an element of Bands, Groups, Objects or Variables reads it and changes
    // nothing.
    QObject* firstBand = report->Bands(0);
    EXPECT_EQ(callMember(report, "Bands", {0, QVariant::fromValue<QObject*>(group)}, false).value<QObject*>(),
              firstBand);
    EXPECT_EQ(report->Bands(0), firstBand);
    EXPECT_EQ(callMember(report, "Groups", {1, QVariant()}, false).value<QObject*>(), static_cast<QObject*>(second));
    EXPECT_EQ(callMember(detail, "Objects", {0, QVariant()}, false).value<QObject*>(), static_cast<QObject*>(variable));
    EXPECT_EQ(callMember(detail, "Variables", {0, QVariant()}).value<QObject*>(), static_cast<QObject*>(variable));
    EXPECT_EQ(readMember(detail, "VariableCount").toInt(), 1);

    // Writes go through the setters; members nothing writes stay as they are.
    writeMember(detail, "Height", 1.0f);
    EXPECT_EQ(detail->mmHeight(), 25400);
    const int mm = detail->mmHeight();
    writeMember(detail, "mmHeight", 1000);
    EXPECT_EQ(detail->mmHeight(), mm);
    writeMember(group, "NewColumn", true);
    EXPECT_TRUE(group->NewColumn());
    writeMember(group, "BreakType", int(TppBreakType::btCustomField));
    EXPECT_EQ(group->BreakType(), TppBreakType::btCustomField);

    // A label's AutoSize is described read-only, but writing it is handled.
    auto* label = place<TppLabel>(detail, QStringLiteral("ppLabel1"), 0, 6000, 5000, 30000);
    writeMember(label, "AutoSize", true);
    EXPECT_TRUE(label->AutoSize());
    writeMember(label, "Color", 0x00FF00);
    EXPECT_EQ(int(label->Color()), 0x00FF00);

    // AsDate stores one date-time value that AsDateTime and AsTime read back unchanged.
    variable->SetDataType(TppDataType::dtDateTime);
    writeMember(variable, "AsDate", 46000.25);
    EXPECT_DOUBLE_EQ(readMember(variable, "AsDateTime").toDouble(), 46000.25);
    EXPECT_DOUBLE_EQ(readMember(variable, "AsTime").toDouble(), 46000.25);
    variable->SetDataType(TppDataType::dtCurrency);
    writeMember(variable, "AsCurrency", QVariant::fromValue(TCurrency{123450}));
    EXPECT_DOUBLE_EQ(variable->AsCurrency(), 12.345);
    EXPECT_EQ(readMember(variable, "AsCurrency").value<TCurrency>().TenThousandths, 123450);
}

TEST_F(HandlerFixture, auto_search_fields_and_templates_through_their_adapters) {
    TppAutoSearchField field;
    field.SetDataType(TppDataType::dtString);
    field.SetSearchExpression(QStringLiteral("gawk,sed"));
    EXPECT_EQ(readMember(&field, "ValueCount").toInt(), 2);
    EXPECT_EQ(readMember(&field, "Value").toString(), QStringLiteral("gawk"));
    EXPECT_EQ(callMember(&field, "Values", {1, QVariant()}).toString(), QStringLiteral("sed"));
    EXPECT_TRUE(callMember(&field, "Values", {5, QVariant()}).toString().isEmpty());

    TppReportTemplate* t = report->Template();
    ASSERT_TRUE(t);
    EXPECT_EQ(raGetRTTI(t->metaObject()), &RTTIInstance<TraTppReportTemplateRTTI>());
    EXPECT_EQ(readMember(t, "Report").value<QObject*>(), static_cast<QObject*>(report));
    writeMember(t, "FileExtension", QStringLiteral("rtx"));
    EXPECT_EQ(t->FileExtension(), QStringLiteral("rtx"));

    // LoadFromFile follows the scripts' folder rule: a file elsewhere is a run failure and
    // the report keeps its bands.
    QTemporaryDir allowed, elsewhere;
    script::SetScriptFolders({allowed.path()});
    t->SetFileName(elsewhere.filePath(QStringLiteral("other.rtm")));
    const int bands = report->BandCount();
    TraParamList none;
    EXPECT_ANY_THROW(raGetRTTI(t->metaObject())->CallMethod(t, QStringLiteral("LoadFromFile"), true, none));
    EXPECT_EQ(report->BandCount(), bands);

    // New empties the report.
    EXPECT_TRUE(raGetRTTI(t->metaObject())->CallMethod(t, QStringLiteral("New"), true, none));
    EXPECT_EQ(report->GroupCount(), 0);
}

namespace {

/// The packages listed with a code module: the detail band's BeforePrint shows LARGE beside
/// packages over 5000 kB, the variable's OnCalc keeps the running total of Size and its
/// OnGetText writes "sum " before it, and the report's OnStartPage counts the pages into a
/// label of the summary.
struct ScriptedReport {
    PackagesTable table;
    db::Table data;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = new TppDBPipeline(&form);
    TppReport* report = new TppReport(&form);

    ScriptedReport() {
        script::RegisterObjectAdapters();
        data.SetDatabaseName(table.dir.path());
        data.SetTableName(QStringLiteral("Packages.DB"));
        data.SetIndexName(QStringLiteral("BySection"));
        source.SetDataSet(&data);
        pipeline->SetName(QStringLiteral("plPackages"));
        pipeline->SetDataSource(&source);
        report->SetName(QStringLiteral("ppReport1"));
        report->SetDataPipeline(pipeline);
        auto* detail = addBand<TppDetailBand>(report, QStringLiteral("ppDetailBand1"), 6000);
        detail->SetSave(true);
        auto* name = place<TppDBText>(detail, QStringLiteral("ppName"), 0, 500, 5000, 80000);
        name->SetDataPipeline(pipeline);
        name->SetDataField(QStringLiteral("Package"));
        name->SetSave(true);
        auto* big = place<TppLabel>(detail, QStringLiteral("ppBig"), 90000, 500, 5000, 20000);
        big->SetCaption(QStringLiteral("LARGE"));
        big->SetSave(true);
        auto* total = place<TppVariable>(detail, QStringLiteral("ppVariable1"), 120000, 500, 5000, 40000);
        total->SetDataType(TppDataType::dtInteger);
        total->SetSave(true);
        auto* summary = addBand<TppSummaryBand>(report, QStringLiteral("ppSummaryBand1"), 8000);
        summary->SetSave(true);
        auto* pages = place<TppLabel>(summary, QStringLiteral("ppPageLabel"), 0, 500, 5000, 40000);
        pages->SetCaption(QStringLiteral("pages"));
        pages->SetSave(true);
        auto* records = place<TppLabel>(summary, QStringLiteral("ppRecordLabel"), 50000, 500, 5000, 40000);
        records->SetCaption(QStringLiteral("records"));
        records->SetSave(true);

        auto* module = TppReportModule::CreateForReport<TraCodeModule>(report);
        script::ReadCodeModuleText(*module, QStringLiteral(
            "//@ var\nprocedure Variables;\nvar\n  Pages: Integer;\n  Records: Integer;\nbegin\nend;\n"
            "//@ handler %1 BeforePrint\nprocedure %1BeforePrint;\nbegin\n"
            "  %3.Visible := plPackages.FieldValues['Size'] > 5000;\nend;\n"
            "//@ handler %2 OnCalc\nprocedure %2OnCalc(var Value: Variant);\nbegin\n"
            "  Value := Value + plPackages.FieldValues['Size'];\nend;\n"
            "//@ handler %2 OnGetText\nprocedure %2OnGetText(var Text: String);\nbegin\n"
            "  Text := 'sum ' + Text;\nend;\n"
            "//@ handler %4 OnStartPage\nprocedure %4OnStartPage;\nbegin\n  Pages := Pages + 1;\n"
            "  %5.Caption := 'pages ' + IntToStr(Pages);\nend;\n"
            "//@ handler plPackages OnNext\nprocedure plPackagesOnNext;\nbegin\n"
            "  Records := Records + 1;\nend;\n"
            "//@ handler %6 BeforePrint\nprocedure %6BeforePrint;\nbegin\n"
            "  %7.Caption := 'records ' + IntToStr(Records);\nend;\n"
            "//@ handler %4 OnSaveText\nprocedure %4OnSaveText(var Text: String);\nbegin\n"
            "  if Text = 'LARGE' then Text := 'large';\nend;\n")
            .arg(detail->UserName(), total->UserName(), big->UserName(), report->UserName(), pages->UserName(),
                 summary->UserName(), records->UserName()));
        module->BindEventHandlers();
        module->CompileAll(true);
        for (TraProgram* p : module->Programs())
            EXPECT_TRUE(p->Compiled()) << p->ProgramName.toStdString();
    }
    QString sql(const char* aQuery) const { return table.sql(QString::fromLatin1(aQuery)).at(0).at(0); }
    QString largeCount() const { return sql("SELECT COUNT(*) FROM \"Packages.DB\" WHERE Size > 5000"); }
    QString sum() const { return sql("SELECT SUM(Size) FROM \"Packages.DB\""); }
    QString count() const { return sql("SELECT COUNT(*) FROM \"Packages.DB\""); }
};

}  // namespace

TEST_F(ReportTest, a_code_module_drives_a_report_over_a_table_and_its_totals_equal_sql) {
    ScriptedReport r;
    TraCodeModule* module = GetCodeModule(r.report);
    module->RunStartPrograms();
    std::vector<QString> dumps;
    r.report->OnPageReceived = [&](TppPage& page) { dumps.push_back(dumpPage(r.report, page)); };
    requestPages(r.report, TppPageSettingType::psAll);
    module->RunEndPrograms();
    ASSERT_FALSE(dumps.empty());

    QStringList texts;
    for (const QString& d : dumps) texts << textsOf(d);
    EXPECT_EQ(QString::number(texts.count(QStringLiteral("LARGE"))), r.largeCount());
    // The running total of the last record is the table's sum.
    QString lastSum;
    for (const QString& t : texts)
        if (t.startsWith(QStringLiteral("sum "))) lastSum = t;
    EXPECT_EQ(lastSum, QStringLiteral("sum ") + r.sum());
    EXPECT_TRUE(texts.contains(QStringLiteral("pages %1").arg(dumps.size())));
    // The pipeline's OnTraversal counted every record.
    EXPECT_TRUE(texts.contains(QStringLiteral("records ") + r.count())) << texts.join(u'|').toStdString();
    // Without a producer nothing is saved as text: the labels keep their caption.
    EXPECT_FALSE(texts.contains(QStringLiteral("large")));
}

TEST_F(ReportTest, report_run_runs_the_handlers_of_a_template_with_a_code_module) {
    ScriptedReport r;
    const QString templateFile = r.table.dir.filePath(QStringLiteral("scripted.rtm"));
    r.report->Template()->SetFileName(templateFile);
    r.report->Template()->SaveToFile();
    r.data.Close();
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    run.setProcessEnvironment(env);
    const QString out = r.table.dir.filePath(QStringLiteral("out.txt"));
    run.start(QStringLiteral(REPORT_RUN), {templateFile, out, QStringLiteral("--data"), r.table.dir.path(),
                                           QStringLiteral("--pipeline"), QStringLiteral("plPackages=Packages.DB"),
                                           QStringLiteral("--export"), QStringLiteral("TextFile"),
                                           QStringLiteral("--file-type"), QStringLiteral("tab")});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString runOutput = QString::fromUtf8(run.readAll());
    EXPECT_EQ(run.exitCode(), 0) << runOutput.toStdString();
    // The pipeline is made by report-run, not read with the template: its handler is not bound.
    EXPECT_TRUE(runOutput.contains(QStringLiteral("Unable to load OnNext code for plPackages"))) << runOutput.toStdString();
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_EQ(QString::number(text.count(QStringLiteral("LARGE"))), r.largeCount()) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("sum ") + r.sum())) << text.toStdString();
    expectGolden(text, QStringLiteral("scripted_report.txt"));
}

TEST_F(ReportTest, a_cancelled_script_ends_the_job_as_cancelled_without_an_error) {
    ScriptedReport r;
    TraCodeModule* module = GetCodeModule(r.report);
    TraEventHandler* h = module->EventHandlers().empty() ? nullptr : dynamic_cast<TraEventHandler*>(module->EventHandlers()[0]);
    ASSERT_TRUE(h);
    // The band's BeforePrint never ends by itself.
    h->SetSource(h->GetHeading() + QStringLiteral("var\r\n  N: Integer;\r\nbegin\r\n  while True do\r\n    N := N + 1;\r\nend;"));
    module->CompileAll(true);
    ASSERT_TRUE(h->Compiled());
    int pendingCalls = 0;
    raPendingMessagesHandler() = [&] {
        // What the cancel dialog's button does, seen while pending messages are processed.
        if (++pendingCalls == 3) script::CancelFlag() = true;
    };
    module->RunStartPrograms();
    std::vector<QString> dumps;
    r.report->OnPageReceived = [&](TppPage& page) { dumps.push_back(dumpPage(r.report, page)); };
    EXPECT_NO_THROW(requestPages(r.report, TppPageSettingType::psAll));
    module->RunEndPrograms();
    raPendingMessagesHandler() = nullptr;
    EXPECT_EQ(pendingCalls, 3);
    // The job stopped at the first record: at most the band being printed then came out.
    int details = 0;
    for (const QString& d : dumps)
        for (const QString& t : textsOf(d))
            if (t.startsWith(QStringLiteral("sum "))) ++details;
    EXPECT_LE(details, 1);
    EXPECT_FALSE(r.report->Engine()->Busy());
    script::CancelFlag() = false;
}
