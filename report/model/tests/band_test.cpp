#include "report/model/band_classes.h"
#include "report/model/errors.h"

#include "report/model/graphic_components.h"
#include "report/model/palette_registry.h"
#include "report/model/report.h"
#include "report/model/stretchable.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"

#include "platform/stream/object_stream.h"

#include "testsupport/dialog_answerer.h"

using namespace reporttest;

namespace {

struct DetailFixture {
    TComponent form;
    TppReport* report = new TppReport(&form);
    TppDetailBand* detail = new TppDetailBand(&form);
    DetailFixture() {
        detail->SetReport(report);
        detail->SetmmHeight(20000);
    }
    template <class T>
    T* add(const QString& name, int left, int top, int height, int width) {
        auto* c = new T(&form);
        c->SetName(name);
        c->SetBand(detail);
        c->SetmmBounds(left, top, height, width);
        return c;
    }
};

}  // namespace

TEST_F(ReportTest, band_heights_refuse_what_would_hide_components_or_overflow_the_page) {
    DetailFixture f;
    EXPECT_EQ(TppDetailBand().mmHeight(), 13229);
    auto* low = f.add<TppLabel>("ppLow", 0, 15000, 4000, 10000);
    auto* high = f.add<TppLabel>("ppHigh", 0, 2000, 4000, 10000);
    f.detail->SetmmHeight(0);
    EXPECT_EQ(f.detail->mmHeight(), 20000);  // components inside: refused
    f.detail->SetmmHeight(f.report->PrintableHeight() + 1);
    EXPECT_EQ(f.detail->mmHeight(), 20000);  // a static band must fit the page
    f.detail->SetPrintHeight(TppPrintHeightType::phDynamic);
    f.detail->SetmmHeight(f.report->PrintableHeight() + 1);
    EXPECT_EQ(f.detail->mmHeight(), f.report->PrintableHeight() + 1);
    f.detail->SetPrintHeight(TppPrintHeightType::phStatic);
    f.detail->SetmmHeight(20000);
    f.detail->SetmmHeight(12000);  // shrinks by 8000: the low label moves up by that
    EXPECT_EQ(low->mmTop(), 7000);
    EXPECT_EQ(high->mmTop(), 2000);
    f.detail->SetmmHeight(3000);  // moved by -9000 would be negative: stops at 0
    EXPECT_EQ(low->mmTop(), 0);
}

TEST_F(ReportTest, a_zero_height_in_the_designer_shows_the_warning) {
    DetailFixture f;
    DesignerRecorder designer;
    f.report->SetReportDesigner(&designer);
    f.report->AddState(ppsDesignControl);
    f.add<TppLabel>("ppLabel1", 0, 0, 4000, 10000);
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("Zero height band cannot contain components", ui::Button::Ok);
    f.detail->SetmmHeight(0);
    EXPECT_EQ(f.detail->mmHeight(), 20000);
}

TEST_F(ReportTest, z_order_moves_are_cut_to_the_last_position) {
    DetailFixture f;
    auto* a = f.add<TppLabel>("ppA", 0, 0, 1, 1);
    auto* b = f.add<TppLabel>("ppB", 0, 0, 1, 1);
    auto* c = f.add<TppLabel>("ppC", 0, 0, 1, 1);
    f.detail->MoveObject(0, 99);
    EXPECT_EQ(f.detail->Objects(2), a);
    c->SendToBack();
    EXPECT_EQ(f.detail->Objects(0), c);
    c->BringToFront();
    EXPECT_EQ(f.detail->Objects(2), c);
    EXPECT_EQ(b->Index(), 0);
}

TEST_F(ReportTest, a_stretchable_builds_the_component_popup_items_and_binds_them_before_they_show) {
    DetailFixture f;
    auto* label = f.add<TppLabel>("ppA", 0, 0, 1, 1);
    auto* region = new TppStretchable(&f.form);
    region->SetBand(f.detail);
    TppPopupMenuItems menu;
    menu.AddItem(25, "Own", 0, "Own item");  // a subclass's item sorts among the component's
    region->CreatePopupMenu(menu);
    EXPECT_EQ(menu.Names(), (QStringList{"BringToFront", "SendToBack", "mniLine1", "Own", "Position", "Visible"}));
    EXPECT_EQ(menu.ItemByName("BringToFront")->Caption, "Bring to Front");
    EXPECT_TRUE(menu.ItemByName("mniLine1")->IsSeparator());
    EXPECT_EQ(menu.ItemByName("Visible")->LanguageId, 247);
    region->PopupMenuPopup(menu);
    EXPECT_TRUE(menu.ItemByName("Visible")->Checked);
    menu.ItemByName("SendToBack")->OnClick();
    EXPECT_EQ(f.detail->Objects(0), region);
    menu.ItemByName("BringToFront")->OnClick();
    EXPECT_EQ(f.detail->Objects(1), region);
    EXPECT_EQ(label->Index(), 0);
    menu.ItemByName("Visible")->OnClick();
    EXPECT_FALSE(region->Visible());
    region->PopupMenuPopup(menu);
    EXPECT_FALSE(menu.ItemByName("Visible")->Checked);
    // The stretchable may grow on a page only while it stretches.
    EXPECT_FALSE(region->CanStretch());
    region->SetStretch(true);
    EXPECT_TRUE(region->CanStretch());
}

TEST_F(ReportTest, a_stretching_component_makes_a_static_band_dynamic) {
    DetailFixture f;
    auto* memo = new TppStretchable(&f.form);
    memo->SetStretch(true);
    memo->SetBand(f.detail);
    EXPECT_EQ(f.detail->PrintHeight(), TppPrintHeightType::phDynamic);
    auto* anchor = new TppStretchable(&f.form);
    anchor->SetBand(f.detail);
    memo->SetShiftRelativeTo(anchor);
    EXPECT_TRUE(anchor->Stretch());
    EXPECT_THROW(anchor->SetShiftRelativeTo(memo), EInvalidPropertyError);
    anchor->SetStretch(false);
    EXPECT_TRUE(anchor->Stretch());  // refused while the memo shifts below it
}

TEST_F(ReportTest, components_stay_inside_their_band_and_follow_its_kind) {
    DetailFixture f;
    auto* label = f.add<TppLabel>("ppLabel1", 0, 0, 4000, 10000);
    label->SetmmLeft(f.detail->mmWidth() + 5000);
    EXPECT_EQ(label->mmLeft(), f.detail->mmWidth());
    label->SetmmTop(-10);
    EXPECT_EQ(label->mmTop(), 0);
    EXPECT_EQ(label->BandType(), TppBandType::btDetail);
    EXPECT_EQ(label->GroupNo(), -1);

    const QByteArray text =
        "object ppDetailBand1: TppDetailBand\n"
        "  object ppLabel9: TppLabel\n"
        "    BandType = 7\n"
        "    Caption = 'Total'\n"
        "  end\n"
        "end\n";
    auto read = stream::ReadComponent(text);
    auto* band = dynamic_cast<TppDetailBand*>(read.get());
    ASSERT_TRUE(band && band->ObjectCount() == 1);
    EXPECT_EQ(qobject_cast<TppComponent*>(band->Objects(0))->BandType(), TppBandType::btDetail);
}

TEST_F(ReportTest, a_component_given_another_pipeline_stops_following_its_band) {
    DetailFixture f;
    auto* own = new TppTestPipeline(&f.form);
    auto* other = new TppTestPipeline(&f.form);
    f.detail->SetDataPipeline(own);
    auto* text = f.add<TppDBText>("ppCity", 0, 0, 1, 1);
    text->SetParentDataPipeline(true);
    EXPECT_EQ(text->DataPipeline(), own);
    text->SetDataPipeline(other);
    EXPECT_FALSE(text->ParentDataPipeline());
}

TEST_F(ReportTest, export_order_is_restored_from_the_stored_save_orders) {
    DetailFixture f;
    auto* a = f.add<TppLabel>("ppA", 0, 0, 1, 1);
    auto* b = f.add<TppLabel>("ppB", 0, 0, 1, 1);
    auto* c = f.add<TppLabel>("ppC", 0, 0, 1, 1);
    for (TppLabel* l : {a, b, c}) l->SetSave(true);
    c->SetSaveOrder(0);
    a->SetSaveOrder(99);
    EXPECT_EQ(f.detail->Saves(0), c);
    EXPECT_EQ(f.detail->Saves(2), a);
    auto read = stream::ReadComponent(stream::WriteComponent(*f.detail));
    auto* band = dynamic_cast<TppBand*>(read.get());
    ASSERT_TRUE(band && band->SaveCount() == 3);
    EXPECT_EQ(band->Saves(0)->Name(), "ppC");
    EXPECT_EQ(band->Saves(1)->Name(), "ppB");
    EXPECT_EQ(band->Saves(2)->Name(), "ppA");
}

TEST_F(ReportTest, page_style_keeps_its_page_list_and_lists_first_while_generating) {
    TComponent form;
    auto* r = new TppReport(&form);
    auto* style = new TppPageStyle(&form);
    style->SetReport(r);
    style->SetValidPages("5-6,2");
    EXPECT_EQ(style->PageSetting(), TppPageSettingType::psPageList);
    EXPECT_EQ(style->PageList(), QStringList({"       2", "       5", "       6"}));
    EXPECT_EQ(style->GetOrderKey(), QString::asprintf("%8d", 9));
    r->SetPrinting(true);
    EXPECT_EQ(style->GetOrderKey(), QString::asprintf("%8d", 0));
    style->SetSinglePage(4);
    EXPECT_EQ(style->SinglePage(), 0);  // not while pages are generated
}

TEST_F(ReportTest, registering_on_the_palette_needs_the_registry_hooks) {
    report::RemovePaletteRegistry();
    EXPECT_THROW(
        {
            try {
                ppRegisterPaletteComponent(&TppLabel::staticMetaObject, "Standard Components", 0, 0, QString(), 172);
            } catch (const EComponentError& e) {
                EXPECT_EQ(e.Message(), "Unable to register component classes.");
                throw;
            }
        },
        EComponentError);
    EXPECT_THROW(ppUnregisterPaletteComponent(&TppLabel::staticMetaObject), EComponentError);
    report::InstallPaletteRegistry();
    int changes = 0;
    TppRegListSubscriber subscriber;
    subscriber.OnChange = [&](QObject*) { ++changes; };
    ppGetComponentRegList().AddSubscriber(&subscriber);
    ppRegisterPaletteComponent(&TppLabel::staticMetaObject, "Standard Components", 0, 0, QString(), 172);
    ppRegisterPaletteComponent(&TppShape::staticMetaObject, "Standard Components", 6, 0, QString(), 178);
    ppRegisterPaletteComponent(&TppLabel::staticMetaObject, "Advanced Components", 3, 0, QString(), 172);
    TppRegList& list = ppGetComponentRegList();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(1).Name, "TppLabel");  // registered again: moved to the end
    EXPECT_EQ(ppFindRegComponent("TppLabel")->Palette, "Advanced Components");
    EXPECT_EQ(ppFindRegComponent("TppLabel")->Position, 3);
    ppUnregisterPaletteComponent(&TppDBText::staticMetaObject);  // never registered: nothing changes
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(changes, 4);  // two additions, one deletion and one addition
    ppGetComponentRegList().RemoveSubscriber(&subscriber);
    report::UnRegisterReportClasses();
    report::RemovePaletteRegistry();
    report::RegisterReportClasses();
}
