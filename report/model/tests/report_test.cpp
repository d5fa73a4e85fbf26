#include "report/model/report.h"

#include "report/model/band_classes.h"
#include "report/model/custom_engine.h"
#include "report/model/data_view.h"
#include "report/model/graphic_components.h"
#include "report/model/group.h"
#include "report/model/image_components.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"

#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include "testsupport/dialog_answerer.h"

#include <QPointer>

#include <memory>

using namespace reporttest;

namespace {

/// Class names of the report's bands in band-list order, group bands with their group number.
QStringList bandOrder(const TppCustomReport& r) {
    QStringList names;
    for (int i = 0; i < r.BandCount(); ++i) {
        const TppBand* b = r.Bands(i);
        QString name = QString::fromLatin1(b->metaObject()->className()).mid(3);
        if (auto* g = qobject_cast<const TppGroupBand*>(b)) name += QString::number(g->GroupIndex());
        names << name;
    }
    return names;
}

template <class T>
T* addTo(TppBand* band, const QString& name) {
    auto* c = new T(band->Owner());
    c->SetName(name);
    c->SetBand(band);
    return c;
}

template <class T>
T* addBand(TppCustomReport* r, const QString& name) {
    auto* b = new T(r->Owner());
    b->SetName(name);
    b->SetReport(r);
    return b;
}

TppGroup* addGroup(TppCustomReport* r, const QString& name, const QString& field) {
    auto* g = new TppGroup(r->Owner());
    g->SetName(name);
    g->SetReport(r);
    g->SetBreakName(field);
    return g;
}

/// A report of every band kind, two groups and a component of each kind, built in code.
struct SampleReport {
    TComponent form;
    TppTestPipeline* customers = nullptr;
    TppReport* report = nullptr;

    SampleReport() {
        customers = new TppTestPipeline(&form);
        customers->SetName("plCustomers");
        report = new TppReport(&form);
        report->SetName("ppReport1");
        report->SetDataPipeline(customers);
        report->SetUnits(TppUnitType::utMillimeters);
        report->SetPassSetting(TppPassSettingType::psTwoPass);
        report->SetPageLimit(12);
        auto* title = addBand<TppTitleBand>(report, "ppTitleBand1");
        title->SetNewPage(true);
        addTo<TppLabel>(title, "ppReportTitle")->SetCaption("Customers by city");
        addBand<TppHeaderBand>(report, "ppHeaderBand1")->SetPrintOnFirstPage(false);
        auto* detail = addBand<TppDetailBand>(report, "ppDetailBand1");
        detail->SetBandsPerRecord(2);
        auto* company = addTo<TppDBText>(detail, "ppCompany");
        company->SetDataField("Company");
        company->SetDataPipeline(customers);
        company->SetSave(true);
        company->SetmmBounds(1000, 500, 4000, 60000);
        auto* amount = addTo<TppDBText>(detail, "ppAmount");
        amount->SetDataField("Amount");
        amount->SetSave(true);
        amount->SetSaveOrder(0);
        amount->SetBlankWhenZero(true);
        auto* shape = addTo<TppShape>(detail, "ppShape1");
        shape->SetShape(TShapeType::stRoundRect);
        auto* line = addTo<TppLine>(detail, "ppLine1");
        line->SetPosition(TppLinePositionType::lpBottom);
        line->SetStyle(TppLineStyleType::lsDouble);
        addTo<TppImage>(detail, "ppImage1")->SetStretch(true);
        addBand<TppFooterBand>(report, "ppFooterBand1");
        addBand<TppSummaryBand>(report, "ppSummaryBand1");
        auto* style = addBand<TppPageStyle>(report, "ppPageStyle1");
        style->SetValidPages("2,4-5");
        auto* city = addGroup(report, "ppGroup1", "City");
        city->SetNewPage(true);
        city->SetResetPageNo(true);
        city->SetmmNewPageThreshold(30000);
        addTo<TppDBText>(city->HeaderBand(), "ppCityName")->SetDataField("City");
        auto* firm = addGroup(report, "ppGroup2", "Company");
        firm->SetKeepTogether(true);
        firm->SetReprintOnSubsequentPage(false);
        firm->HeaderBand()->SetmmHeight(6000);
        report->SetColumns(2);
    }

    stream::ReadOptions options() const {
        stream::ReadOptions o;
        TppTestPipeline* p = customers;
        o.findComponent = [p](const QString& name) -> stream::Component* { return name == "plCustomers" ? p : nullptr; };
        return o;
    }
};

}  // namespace

TEST_F(ReportTest, a_report_of_every_band_kind_streams_to_binary_and_text_and_back_unchanged) {
    SampleReport sample;
    TppReport& r = *sample.report;
    EXPECT_EQ(bandOrder(r), QStringList({"TitleBand", "HeaderBand", "ColumnHeaderBand", "GroupHeaderBand0",
                                         "GroupHeaderBand1", "DetailBand", "GroupFooterBand1", "GroupFooterBand0",
                                         "ColumnFooterBand", "FooterBand", "SummaryBand", "PageStyle"}));
    const QByteArray binary = stream::WriteComponent(r);
    const QByteArray text = stream::ObjectBinaryToText(binary);
    EXPECT_TRUE(text.contains("object ppGroup1: TppGroup"));
    EXPECT_TRUE(text.contains("mmNewPageThreshold = 30000"));
    for (const QByteArray& bytes : {binary, text}) {
        SCOPED_TRACE(bytes.left(6).constData());
        TComponent form;
        std::unique_ptr<stream::Component> read = stream::ReadComponent(bytes, sample.options());
        auto* copy = dynamic_cast<TppReport*>(read.get());
        ASSERT_TRUE(copy);
        EXPECT_EQ(stream::WriteComponent(*copy), binary);
        EXPECT_EQ(bandOrder(*copy), bandOrder(r));
        EXPECT_EQ(copy->Columns(), 2);
        EXPECT_EQ(copy->mmColumnWidth(), r.mmColumnWidth());
        EXPECT_EQ(copy->Units(), TppUnitType::utMillimeters);
        EXPECT_EQ(copy->PageLimit(), 12);
        EXPECT_EQ(copy->DataPipeline(), sample.customers);
        ASSERT_EQ(copy->GroupCount(), 2);
        EXPECT_TRUE(copy->Groups(0)->NewPage());
        EXPECT_TRUE(copy->Groups(0)->ResetPageNo());
        EXPECT_TRUE(copy->Groups(1)->KeepTogether());
        EXPECT_FALSE(copy->Groups(1)->ReprintOnSubsequentPage());
        EXPECT_EQ(copy->Groups(1)->BreakName(), "Company");
        EXPECT_EQ(copy->Groups(0)->HeaderBand()->ObjectCount(), 1);
        auto* detail = qobject_cast<TppDetailBand*>(copy->GetDetailBand());
        ASSERT_TRUE(detail);
        EXPECT_EQ(detail->BandsPerRecord(), 2);
        ASSERT_EQ(detail->SaveCount(), 2);
        EXPECT_EQ(detail->Saves(0)->Name(), "ppAmount");  // the export order survives the stream
        EXPECT_EQ(qobject_cast<TppDBText*>(detail->Objects(0))->DataPipeline(), sample.customers);
        auto* style = qobject_cast<TppPageStyle*>(copy->GetPageStyle());
        ASSERT_TRUE(style);
        EXPECT_EQ(style->PageSetting(), TppPageSettingType::psPageList);
        EXPECT_EQ(style->PageList(), QStringList({"       2", "       4", "       5"}));
    }
}

TEST_F(ReportTest, a_report_read_without_bands_gets_the_default_bands) {
    static const struct {
        const char* text;
        QStringList bands;
    } cases[] = {
        {"object ppReport1: TppReport\nend\n", {"HeaderBand", "DetailBand", "FooterBand"}},
        {"object ppReport1: TppReport\n  Columns = 2\nend\n",
         {"HeaderBand", "ColumnHeaderBand", "DetailBand", "ColumnFooterBand", "FooterBand"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto read = stream::ReadComponent(QByteArray(c.text));
        auto* r = dynamic_cast<TppReport*>(read.get());
        ASSERT_TRUE(r);
        EXPECT_EQ(bandOrder(*r), c.bands);
        EXPECT_EQ(r->GetHeaderBand()->UserName(), "Header");
        EXPECT_EQ(r->GetDetailBand()->Name(), "ppDetailBand1");
    }
}

TEST_F(ReportTest, the_band_list_stays_sorted_as_groups_are_added_moved_and_removed) {
    TComponent form;
    auto* r = new TppReport(&form);
    addBand<TppDetailBand>(r, "ppDetailBand1");
    addBand<TppSummaryBand>(r, "ppSummaryBand1");
    addBand<TppTitleBand>(r, "ppTitleBand1");
    TppGroup* a = addGroup(r, "ppGroupA", "City");
    TppGroup* b = addGroup(r, "ppGroupB", "Company");
    EXPECT_EQ(bandOrder(*r), QStringList({"TitleBand", "GroupHeaderBand0", "GroupHeaderBand1", "DetailBand",
                                          "GroupFooterBand1", "GroupFooterBand0", "SummaryBand"}));
    r->MoveGroup(b, 0);
    EXPECT_EQ(r->Groups(0), b);
    EXPECT_EQ(r->GetBand(TppBandType::btGroupHeader, 0), b->HeaderBand());
    EXPECT_EQ(r->Bands(1), b->HeaderBand());
    EXPECT_EQ(r->Bands(5), b->FooterBand());
    delete b;
    EXPECT_EQ(r->GroupCount(), 1);
    EXPECT_EQ(a->GroupNo(), 0);
    EXPECT_EQ(bandOrder(*r), QStringList({"TitleBand", "GroupHeaderBand0", "DetailBand", "GroupFooterBand0", "SummaryBand"}));
    EXPECT_EQ(r->GetBand(TppBandType::btGroupHeader, 3), nullptr);
    TppDetailBand foreign;
    EXPECT_EQ(r->IndexOfBand(&foreign), -1);
}

TEST_F(ReportTest, columns_and_column_width_keep_at_least_one_column) {
    TComponent form;
    auto* r = new TppReport(&form);
    r->SetColumns(0);
    EXPECT_EQ(r->Columns(), 1);
    r->SetColumns(3);
    EXPECT_EQ(r->mmColumnWidth(), r->PrintableWidth() / 3);
    r->SetColumnWidth(0);
    EXPECT_EQ(r->Columns(), 1);
}

TEST_F(ReportTest, a_new_label_takes_the_smallest_free_user_name_number) {
    TComponent form;
    auto* r = new TppReport(&form);
    auto* detail = addBand<TppDetailBand>(r, "ppDetailBand1");
    addTo<TppLabel>(detail, "ppA")->SetUserName("Label1");
    addTo<TppLabel>(detail, "ppB")->SetUserName("Label3");
    addTo<TppShape>(detail, "ppS")->SetUserName("Label2x");
    auto* label = new TppLabel(&form);
    label->SetBand(detail);
    EXPECT_EQ(label->UserName(), "Label2");
}

TEST_F(ReportTest, renaming_the_report_in_the_designer_renames_the_objects_named_after_it) {
    TComponent form;
    auto* r = new TppReport(&form);
    r->SetName("ppReport1");
    auto* detail = addBand<TppDetailBand>(r, "ppReport1DetailBand1");
    auto* label = addTo<TppLabel>(detail, "ppReport1Label1");
    auto* other = addTo<TppLabel>(detail, "ppLabel7");
    TppGroup* g = addGroup(r, "ppReport1Group1", "City");
    r->AddState(ppsDesignControl);
    r->SetName("rptOrders");
    EXPECT_EQ(detail->Name(), "rptOrdersDetailBand1");
    EXPECT_EQ(label->Name(), "rptOrdersLabel1");
    EXPECT_EQ(g->Name(), "rptOrdersGroup1");
    EXPECT_EQ(other->Name(), "ppLabel7");
}

TEST_F(ReportTest, the_main_pipeline_decides_auto_stop_and_moves_the_components_that_follow_it) {
    TComponent form;
    auto* r = new TppReport(&form);
    auto* detail = addBand<TppDetailBand>(r, "ppDetailBand1");
    auto* text = addTo<TppDBText>(detail, "ppCity");
    text->SetDataField("City");
    auto* first = new TppTestPipeline(&form);
    auto* second = new TppTestPipeline(&form);
    r->SetDataPipeline(first);
    EXPECT_FALSE(r->AutoStop());
    EXPECT_EQ(text->DataPipeline(), first);
    TppGroup* g = addGroup(r, "ppGroup1", "City");
    EXPECT_EQ(g->DataPipeline(), nullptr);
    r->SetDataPipeline(second);
    EXPECT_EQ(text->DataPipeline(), second);
    EXPECT_EQ(g->DataPipeline(), second);
    delete second;
    EXPECT_EQ(r->DataPipeline(), nullptr);
    EXPECT_TRUE(r->AutoStop());
    EXPECT_EQ(text->DataPipeline(), nullptr);
}

TEST_F(ReportTest, designer_messages_reach_the_designer_only_while_no_pages_are_generated) {
    TComponent form;
    DesignerRecorder designer;
    auto* r = new TppReport(&form);
    r->SetReportDesigner(&designer);
    r->AddState(ppsDesignControl);
    auto* detail = addBand<TppDetailBand>(r, "ppDetailBand1");
    r->SetUnits(TppUnitType::utMillimeters);
    auto* label = addTo<TppLabel>(detail, "ppLabel1");
    designer.Flush();
    auto n = [](int msg) { return QString::number(msg - report::kWmUser); };
    EXPECT_EQ(designer.received, QStringList({n(report::PPM_DESIGNER_ATTACHED), n(report::PPM_UNITS_CHANGED),
                                              n(report::PPM_COMPONENT_ADDED), n(report::PPM_COMPONENT_CHANGED),
                                              n(report::PPM_BAND_ADDED)}))
        << designer.received.join(",").toStdString();

    designer.received.clear();
    r->SetPrinting(true);
    r->SetUnits(TppUnitType::utInches);
    label->SetmmLeft(2000);
    detail->SetmmHeight(20000);
    addBand<TppSummaryBand>(r, "ppSummaryBand1");
    delete label;
    designer.Flush();
    EXPECT_TRUE(designer.received.isEmpty()) << designer.received.join(",").toStdString();
    r->SetPrinting(false);
    detail->SetmmHeight(25000);
    EXPECT_EQ(designer.received, QStringList({n(report::PPM_BAND_RESIZED)}));
}

TEST_F(ReportTest, an_old_template_is_upgraded_by_version) {
    const QByteArray text =
        "object ppReport1: TppReport\n"
        "  Version = '1.0'\n"
        "  RulerUnits = utMillimeters\n"
        "  Columns = 2\n"
        "  ColumnWidth = 80.5\n"
        "  NoDataPages = 3\n"
        "  RowSpacing = 2.0\n"
        "  object ppDetailBand1: TppDetailBand\n"
        "    mmHeight = 40\n"
        "    OnPrint = DetailPrint\n"
        "    Left = 0\n"
        "  end\n"
        "  object ppGroup1: TppGroup\n"
        "    FieldName = 'City'\n"
        "    NewPage = True\n"
        "    ReprintOnSubsequent = False\n"
        "    NewPageThreshold = 25.0\n"
        "  end\n"
        "end\n";
    auto read = stream::ReadComponent(text);
    auto* r = dynamic_cast<TppReport*>(read.get());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Units(), TppUnitType::utMillimeters);
    EXPECT_EQ(r->mmColumnWidth(), 80500);
    EXPECT_EQ(r->PageLimit(), 3);
    EXPECT_FALSE(r->AutoStop());
    EXPECT_EQ(r->PassSetting(), TppPassSettingType::psTwoPass);
    EXPECT_TRUE(r->Modified());
    EXPECT_EQ(r->Version(), "5.0");
    EXPECT_EQ(r->GetDetailBand()->mmHeight(), 10583);  // 40 screen pixels at 96 dpi
    EXPECT_EQ(r->GetDetailBand()->mmBottomOffset(), 2000);
    EXPECT_EQ(r->GetDetailBand()->LegacyOnPrint(), "DetailPrint");
    TppGroup* g = r->Groups(0);
    EXPECT_EQ(g->BreakName(), "City");
    EXPECT_TRUE(g->NewColumn());
    EXPECT_FALSE(g->ReprintOnSubsequentPage());
    EXPECT_FALSE(g->ReprintOnSubsequentColumn());
    EXPECT_EQ(g->mmNewPageThreshold(), 25000);
    EXPECT_EQ(g->mmNewColumnThreshold(), 25000);
    EXPECT_FALSE(stream::WriteComponent(*r).contains("FieldName"));
}

namespace {
class CountingEngine : public TppCustomEngine {
public:
    CountingEngine(TppCustomReport* r, int& n) : TppCustomEngine(r), m_n(n) {}
    void PageLimitReached() override { ++m_n; }
    int& m_n;
};
struct ProbeReport : TppReport {
    using TppReport::ReplaceEngine;
};
}  // namespace

TEST_F(ReportTest, an_engine_never_asked_for_pages_is_on_page_zero) {
    ProbeReport r;
    EXPECT_EQ(r.AbsolutePageNo(), 0);
    EXPECT_FALSE(r.DonePrinting());
    r.SetPageLimit(3);
    int stops = 0;
    r.ReplaceEngine(std::make_unique<CountingEngine>(&r, stops));
    for (int page = 1; page <= 4; ++page) {
        r.Engine()->SetAbsolutePageNo(page);
        r.Engine()->OnEndPage();
    }
    EXPECT_EQ(stops, 2);  // pages 3 and 4 reach the limit
}

TEST_F(ReportTest, a_data_view_gives_a_report_without_pipeline_its_first_pipeline) {
    class TwoPipelineView : public TdaDataView {
    public:
        explicit TwoPipelineView(TComponent* owner) : TdaDataView(owner) {
            a = new TppTestPipeline(owner);
            b = new TppTestPipeline(owner);
        }
        int DataPipelineCount() const override { return 2; }
        TppDataPipeline* DataPipelines(int i) const override { return i == 0 ? a : b; }
        TppTestPipeline *a, *b;
    };
    TComponent form;
    auto* empty = new TppReport(&form);
    auto* bound = new TppReport(&form);
    auto* own = new TppTestPipeline(&form);
    bound->SetDataPipeline(own);
    auto* view = new TwoPipelineView(&form);
    view->SetReport(empty);
    EXPECT_EQ(empty->DataPipeline(), view->a);
    view->SetReport(bound);
    EXPECT_EQ(bound->DataPipeline(), own);
    int changes = 0;
    view->OnChange = [&](TdaDataView*) { ++changes; };
    view->SetEnabledActions(0x0006);
    EXPECT_EQ(changes, 0);
    view->SetAvailableActions(0x0006);
    EXPECT_EQ(changes, 1);
    delete bound;
    EXPECT_EQ(view->Report(), nullptr);
}

TEST_F(ReportTest, components_beyond_a_narrower_column_are_deleted_only_when_the_user_agrees) {
    TComponent form;
    DesignerRecorder designer;
    auto* r = new TppReport(&form);
    auto* detail = addBand<TppDetailBand>(r, "ppDetailBand1");
    auto* header = addBand<TppHeaderBand>(r, "ppHeaderBand1");
    r->SetReportDesigner(&designer);
    QPointer<TppLabel> far = addTo<TppLabel>(detail, "ppFar");
    far->SetmmLeft(150000);
    QPointer<TppLabel> wide = addTo<TppLabel>(header, "ppWide");  // a page band keeps the page width
    wide->SetmmLeft(150000);
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("Controls beyond the new column width will be deleted.", ui::Button::Cancel);
        r->SetColumns(2);
    }
    EXPECT_EQ(r->Columns(), 1);
    EXPECT_TRUE(far);
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("Controls beyond the new column width will be deleted.", ui::Button::Ok);
        r->SetColumns(2);
    }
    EXPECT_EQ(r->Columns(), 2);
    EXPECT_FALSE(far);
    EXPECT_TRUE(wide);
    auto* inColumnHeader = addTo<TppLabel>(qobject_cast<TppColumnHeaderBand*>(r->GetColumnHeaderBand())
                                               ? r->GetColumnHeaderBand()
                                               : addBand<TppColumnHeaderBand>(r, "ppColumnHeaderBand1"),
                                           "ppHeading");
    Q_UNUSED(inColumnHeader);
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("Controls within the column header will be deleted.", ui::Button::Cancel);
        r->SetColumns(1);
    }
    EXPECT_EQ(r->Columns(), 2);
    EXPECT_EQ(r->mmColumnWidth(), r->PrintableWidth() / 2);
}
