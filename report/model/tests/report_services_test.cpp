// What the data workspace, the scripting language and the cross-tab call on reports: child
// report lists, modules, data view and field members, auto-search criteria and the events
// the report sends its subscribers.

#include "report/model/auto_search_field.h"
#include "report/model/band_classes.h"
#include "report/model/component_services.h"
#include "report/model/graphic_components.h"
#include "report/model/text_components.h"
#include "report/model/data_view.h"
#include "report/model/module.h"
#include "report/model/pipeline_field.h"
#include "report/model/script_adapter.h"
#include "report/model/subreport.h"
#include "report/model/tests/report_fixtures.h"

using namespace reporttest;

namespace {

/// Listens to a communicator's events and writes down their ids (and a first object
/// parameter's name).
class EventLog : public TppCommunicator {
public:
    explicit EventLog(TComponent* aOwner = nullptr) : TppCommunicator(aOwner) { EventNotifies().set(); }
    void EventNotify(TppCommunicator* aSender, int aEventID, TraParamList* aParams) override {
        QString entry = QString::number(aEventID);
        if (aParams && aParams->Count() > 0) {
            QVariant v;
            aParams->GetParamValue(0, v);
            if (auto* o = v.value<QObject*>()) entry += u':' + o->objectName();
        }
        ids << entry;
        senders << aSender;
    }
    QStringList ids;
    QList<TppCommunicator*> senders;
};

class TraCodeModule : public TppReportModule {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TraCodeModule(TComponent* aOwner = nullptr) : TppReportModule(aOwner) {}
};

class TdaDataModule : public TppReportModule {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaDataModule(TComponent* aOwner = nullptr) : TppReportModule(aOwner) {}
};

TppSubReport* addSubReport(TppCustomReport* aParent, const QString& aName) {
    TppBand* detail = aParent->GetBand(TppBandType::btDetail);
    if (!detail) {
        aParent->CreateDefaultBands();
        detail = aParent->GetBand(TppBandType::btDetail);
    }
    auto* sub = place<TppSubReport>(detail, aName, 0, 0, 5000, 50000);
    sub->SetUserName(aName);
    sub->CreateReport(aParent);
    sub->Report()->CreateDefaultBands();
    return sub;
}

}  // namespace

TEST_F(ReportTest, child_reports_are_listed_directly_or_depth_first_and_each_knows_its_main_report) {
    TComponent form;
    auto* report = new TppReport(&form);
    report->CreateDefaultBands();
    // Binaries -> (Depends -> Recommends), Sources
    TppSubReport* binaries = addSubReport(report, "Binaries");
    TppSubReport* depends = addSubReport(binaries->Report(), "Depends");
    TppSubReport* recommends = addSubReport(depends->Report(), "Recommends");
    TppSubReport* sources = addSubReport(report, "Sources");

    const auto names = [](const TppChildReportList& list) {
        QStringList out;
        for (const auto& e : list) out << e.first;
        return out;
    };
    TppChildReportList direct, all, inner;
    report->GetChildReports(direct);
    report->GetAllChildReports(all);
    binaries->Report()->GetAllChildReports(inner);
    EXPECT_EQ(names(direct), QStringList({"Binaries", "Sources"}));
    EXPECT_EQ(names(all), QStringList({"Binaries", "Depends", "Recommends", "Sources"}));
    EXPECT_EQ(names(inner), QStringList({"Depends", "Recommends"}));
    EXPECT_EQ(all[2].second, recommends->Report());
    EXPECT_EQ(all[3].second, sources->Report());
    EXPECT_EQ(recommends->Report()->MainReport(), report);
    EXPECT_EQ(recommends->Report()->ParentReport(), depends->Report());
    TppChildReport loose;
    EXPECT_EQ(loose.MainReport(), nullptr);
}

TEST_F(ReportTest, modules_are_found_by_class_and_code_modules_up_the_parent_chain) {
    TComponent form;
    auto* report = new TppReport(&form);
    report->CreateDefaultBands();
    TppSubReport* outer = addSubReport(report, "Outer");
    TppSubReport* inner = addSubReport(outer->Report(), "Inner");

    EXPECT_EQ(report->GetModuleOfClass(TppReportModule::staticMetaObject), nullptr);
    auto* data = TppReportModule::CreateForReport<TdaDataModule>(report);
    EXPECT_EQ(report->GetModuleOfClass(TdaDataModule::staticMetaObject), data);
    EXPECT_EQ(report->GetModuleOfClass(TppReportModule::staticMetaObject), data);  // derived classes count
    EXPECT_EQ(report->GetModuleOfClass(TraCodeModule::staticMetaObject), nullptr);
    EXPECT_FALSE(report->HasCodeModule());

    auto* code = TppReportModule::CreateForReport<TraCodeModule>(outer->Report());
    EXPECT_TRUE(outer->Report()->HasCodeModule());
    EXPECT_FALSE(report->HasCodeModule());
    EXPECT_TRUE(inner->Report()->ParentHasCodeModule());
    EXPECT_FALSE(outer->Report()->ParentHasCodeModule());  // its own does not count
    EXPECT_FALSE(report->ParentHasCodeModule());

    delete code;
    EXPECT_FALSE(outer->Report()->HasCodeModule());
    EXPECT_FALSE(inner->Report()->ParentHasCodeModule());
    data->SetReport(nullptr);
    EXPECT_EQ(report->ModuleCount(), 0);
    delete data;
}

TEST_F(ReportTest, a_data_view_starts_incomplete_with_all_actions_and_adopts_pipelines) {
    TComponent form;
    auto* view = new TdaDataView(&form);
    EXPECT_FALSE(view->Complete());
    EXPECT_EQ(view->AvailableActions(), 510);
    EXPECT_EQ(view->EnabledActions(), 510);
    EXPECT_EQ(view->DesignAction(), 0);
    EXPECT_TRUE(view->Description().isEmpty());
    EXPECT_EQ(view->GetTypeName(), QStringLiteral("TdaDataView"));
    auto* first = new TppTestPipeline(&form);
    auto* second = new TppTestPipeline(&form);
    EXPECT_EQ(view->AddDataPipeline(first), 0);
    EXPECT_EQ(view->AddDataPipeline(second), 1);
    EXPECT_EQ(first->DataView(), view);
    view->RemoveDataPipeline(first);
    EXPECT_EQ(first->DataView(), nullptr);
    EXPECT_EQ(view->ChildCount(), 1);
    TppField field;
    EXPECT_FALSE(field.AutoSearch());
    field.SetAutoSearch(true);
    EXPECT_TRUE(field.AutoSearch());
}

TEST_F(ReportTest, an_auto_search_criterion_made_by_the_report_is_announced_to_its_subscribers) {
    TComponent form;
    auto* report = new TppReport(&form);
    EventLog log(&form);
    report->AddEventNotify(&log);
    TppAutoSearchField* name = report->CreateAutoSearchCriteria(
        "plPackages", "Package", TppSearchOperatorType::soLike, "lib%", false);
    name->setObjectName("asPackage");
    TppAutoSearchField* size = report->CreateAutoSearchCriteria(
        "plPackages", "Size", TppSearchOperatorType::soGreaterThan, "1000", true);
    ASSERT_EQ(log.ids.size(), 2);
    EXPECT_TRUE(log.ids[0].startsWith("66"));
    EXPECT_EQ(log.senders[0], report);
    EXPECT_EQ(report->AutoSearchFieldCount(), 2);
    EXPECT_EQ(report->AutoSearchFields(0), name);
    EXPECT_EQ(report->AutoSearchFields(1), size);
    EXPECT_EQ(report->AutoSearchFields(2), nullptr);
    EXPECT_EQ(size->SearchOperator(), TppSearchOperatorType::soGreaterThan);
    EXPECT_TRUE(size->Mandatory());
    delete size;
    EXPECT_EQ(report->AutoSearchFieldCount(), 1);
}

TEST_F(ReportTest, print_start_and_end_reach_the_report_and_its_child_reports_once_each) {
    TComponent form;
    auto* report = new TppReport(&form);
    report->CreateDefaultBands();
    TppSubReport* sub = addSubReport(report, "Depends");
    EventLog main(&form), child(&form);
    report->AddEventNotify(&main);
    sub->Report()->AddEventNotify(&child);
    report->SignalPrintStart();
    report->SignalPrintStart();
    report->SignalPrintEnd();
    report->SignalPrintEnd();
    EXPECT_EQ(main.ids, QStringList({"1", "0"}));
    EXPECT_EQ(child.ids, QStringList({"1", "0"}));
    EXPECT_EQ(child.senders.first(), sub->Report());
}

TEST_F(ReportTest, components_made_for_a_report_take_the_first_free_names_of_their_class) {
    TComponent form;
    auto* report = new TppReport(&form);
    report->CreateDefaultBands();
    auto* first = qobject_cast<TppLabel*>(ppCreateComponent(report, &TppLabel::staticMetaObject));
    ASSERT_TRUE(first);
    first->SetBand(report->GetBand(TppBandType::btDetail));
    // Asked through a band, the component is still the report's.
    auto* second = qobject_cast<TppLabel*>(ppCreateComponent(report->GetBand(TppBandType::btDetail), &TppLabel::staticMetaObject));
    ASSERT_TRUE(second);
    second->SetBand(report->GetBand(TppBandType::btDetail));
    auto* shape = ppCreateComponent(report, &TppShape::staticMetaObject);
    EXPECT_EQ(first->Owner(), &form);
    EXPECT_EQ(QStringList({first->Name(), second->Name(), shape->Name()}), QStringList({"ppLabel1", "ppLabel2", "ppShape1"}));
    EXPECT_EQ(QStringList({first->UserName(), second->UserName()}), QStringList({"Label1", "Label2"}));
    delete first;
    auto* third = qobject_cast<TppLabel*>(ppCreateComponent(report, &TppLabel::staticMetaObject));
    ASSERT_TRUE(third);
    EXPECT_EQ(third->Name(), QStringLiteral("ppLabel1"));
    EXPECT_EQ(third->UserName(), QStringLiteral("Label1"));

    // With a designer attached, the designer's creation is used.
    DesignerRecorder designer;
    report->SetReportDesigner(&designer);
    QList<TClass> asked;
    const auto previous = report::SetDesignerComponentCreator([&](TppCustomReport* r, TClass c) -> TComponent* {
        asked << c;
        auto* made = new TppLabel(r->Owner());
        made->SetName("ppPlacedByDesigner");
        return made;
    });
    EXPECT_EQ(ppCreateComponent(report, &TppLabel::staticMetaObject)->Name(), QStringLiteral("ppPlacedByDesigner"));
    EXPECT_EQ(asked, QList<TClass>({&TppLabel::staticMetaObject}));
    report::SetDesignerComponentCreator(previous);
    report->SetReportDesigner(nullptr);
    EXPECT_EQ(ppCreateComponent(nullptr, &TppLabel::staticMetaObject), nullptr);
}

TEST_F(ReportTest, a_pick_list_offers_the_pipelines_a_report_can_use_by_user_name) {
    TComponent form;
    auto* report = new TppReport(&form);
    auto* packages = new TppTestPipeline(&form);
    packages->SetUserName("Packages");
    auto* authors = new TppTestPipeline(&form);
    authors->SetUserName("authors");
    auto* sections = new TppDataPipeline(&form);
    sections->SetUserName("Sections");
    new TppLabel(&form);  // not a pipeline
    TppCommunicatorPickList pipelines(report, &TppDataPipeline::staticMetaObject);
    EXPECT_EQ(pipelines.Names(), QStringList({"authors", "Packages", "Sections"}));
    EXPECT_EQ(pipelines.Objects(pipelines.IndexOf("PACKAGES")), packages);
    EXPECT_EQ(pipelines.IndexOf("Orders"), -1);
    TppCommunicatorPickList tests(report, &TppTestPipeline::staticMetaObject);
    EXPECT_EQ(tests.Names(), QStringList({"authors", "Packages"}));
    EXPECT_EQ(TppCommunicatorPickList(nullptr, &TppDataPipeline::staticMetaObject).Count(), 0);
}

TEST_F(ReportTest, components_pass_status_texts_to_their_report_and_take_screen_pixels) {
    TComponent form;
    auto* report = new TppReport(&form);
    auto* detail = addBand<TppDetailBand>(report, "ppDetailBand1", 10000);
    auto* label = place<TppLabel>(detail, "ppLabel1", 0, 0, 5000, 20000);
    QStringList shown;
    report->OnStatusMessage = [&](const QString& t) { shown << t; };
    label->SetStatusMessage("Calculating totals");
    EXPECT_EQ(label->GetStatusMessage(), QStringLiteral("Calculating totals"));
    EXPECT_EQ(shown, QStringList({"Calculating totals"}));
    TppLabel loose;
    loose.SetStatusMessage("nowhere");  // without a band nothing happens
    EXPECT_TRUE(loose.GetStatusMessage().isEmpty());

    label->SetSpHeight(96);  // one inch at 96 pixels per inch
    label->SetSpWidth(48);
    EXPECT_EQ(label->mmHeight(), 25400);
    EXPECT_EQ(label->mmWidth(), 12700);
    EXPECT_EQ(label->GetSpHeight(), 96);
    detail->SetSpHeight(48);
    EXPECT_EQ(detail->mmHeight(), 12700);
    // Letter with quarter-inch margins: 8 inches of printable width.
    EXPECT_EQ(detail->GetSpWidth(), 768);
}

#include "report_services_test.moc"
