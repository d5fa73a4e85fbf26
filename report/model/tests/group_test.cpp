#include "report/model/group.h"

#include "report/model/band_classes.h"
#include "report/model/cache_manager.h"
#include "report/model/custom_engine.h"
#include "report/model/graphic_components.h"
#include "report/model/report.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"

using namespace reporttest;

namespace {

struct GroupFixture {
    TComponent form;
    TppReport* report = new TppReport(&form);
    TppTestPipeline* pipeline = new TppTestPipeline(&form);
    TppDetailBand* detail = new TppDetailBand(&form);
    TppGroup* group = new TppGroup(&form);
    GroupFixture() {
        report->SetDataPipeline(pipeline);
        detail->SetReport(report);
        group->SetReport(report);
        group->SetBreakName("City");
        group->SetDataPipeline(pipeline);
    }
};

}  // namespace

TEST_F(ReportTest, keep_together_excludes_new_page_and_new_column) {
    TppGroup g;
    g.SetNewPage(true);
    g.SetKeepTogether(true);
    EXPECT_FALSE(g.NewPage());
    g.SetNewColumn(true);
    EXPECT_FALSE(g.KeepTogether());
    EXPECT_TRUE(g.NewColumn());
}

TEST_F(ReportTest, a_group_breaks_when_the_value_changes_in_case_too) {
    GroupFixture f;
    QStringList breaks;
    f.group->BeforeGroupBreak = [&](QObject*) { breaks << f.group->BreakValue(); };
    f.pipeline->values["City"] = "abc";
    f.group->StartGroup();
    EXPECT_FALSE(f.group->Breaking());
    static const struct {
        const char* value;
        bool breaks;
    } records[] = {{"abc", false}, {"ABC", true}, {"ABC", false}, {"Leeds", true}};
    for (const auto& r : records) {
        SCOPED_TRACE(r.value);
        f.group->SetBreaking(false);
        f.pipeline->values["City"] = r.value;
        f.group->CheckBreak();
        EXPECT_EQ(f.group->Breaking(), r.breaks);
    }
    f.group->OnGetBreakValue = [](QObject*, QString& v) { v = v.left(1); };
    f.pipeline->values["City"] = "London";
    f.group->CheckBreak();
    f.group->SetBreaking(false);
    f.pipeline->values["City"] = "Lisbon";
    f.group->CheckBreak();
    EXPECT_FALSE(f.group->Breaking());  // "L" as before
    f.group->DoAfterGroupBreak();
    EXPECT_EQ(f.group->BreakNo(), 1);
}

TEST_F(ReportTest, a_custom_field_group_breaks_only_on_a_text_and_follows_its_renaming) {
    GroupFixture f;
    auto* shape = new TppShape(&f.form);
    shape->SetName("ppShape1");
    shape->SetBand(f.detail);
    auto* city = new TppLabel(&f.form);
    city->SetName("ppCityLabel");
    city->SetBand(f.detail);
    f.group->SetBreakType(TppBreakType::btCustomField);
    f.group->SetBreakName("ppShape1");
    EXPECT_EQ(f.group->BreakName(), "");
    f.group->SetBreakName("ppCityLabel");
    EXPECT_EQ(f.group->BreakComponent(), city);
    city->SetName("ppTown");
    EXPECT_EQ(f.group->BreakName(), "ppTown");
    EXPECT_EQ(f.group->HeaderBand()->Caption(), "Group Header[0]: ppTown");
    delete city;
    EXPECT_EQ(f.group->BreakName(), "");
}

TEST_F(ReportTest, the_group_description_names_its_break_field) {
    GroupFixture f;
    EXPECT_EQ(f.group->Description(), "Group [0]: City (alias)");
    EXPECT_EQ(f.group->FooterBand()->Caption(), "Group Footer[0]: City (alias)");
    TppGroup loose;
    EXPECT_EQ(loose.Description(), "");
}

TEST_F(ReportTest, a_group_spanning_pages_knows_its_page_count_when_pages_come_from_the_cache) {
    GroupFixture f;
    TppCacheManager* cache = f.report->CacheManager();
    cache->Reset();
    f.group->StartGroup();
    auto atPage = [&](int absolutePage) { f.report->Engine()->SetAbsolutePageNo(absolutePage); };
    atPage(1);
    cache->SaveToCache(1);
    atPage(2);
    cache->SaveToCache(2);
    f.group->DoAfterGroupBreak();  // the first group ends on page 2; the second starts on page 3
    f.group->SetFirstPageNo(3);
    for (int page = 3; page <= 5; ++page) {
        atPage(page);
        cache->SaveToCache(page);
    }
    f.group->UpdateLastPage();  // the group ends on page 5
    for (int page = 3; page <= 5; ++page) {
        SCOPED_TRACE(page);
        f.group->SetFirstPageNo(99);
        cache->RestoreFromCache(page);
        EXPECT_EQ(f.group->FirstPageNo(), 3);
        EXPECT_EQ(f.group->PageCount(), 3);
    }
    cache->RestoreFromCache(2);
    EXPECT_EQ(f.group->PageCount(), 1);  // page 2 belongs to the earlier group instance
}

TEST_F(ReportTest, the_engine_keeps_together_the_innermost_group_without_new_page) {
    TComponent form;
    auto* r = new TppReport(&form);
    auto* outer = new TppGroup(&form);
    auto* inner = new TppGroup(&form);
    outer->SetReport(r);
    inner->SetReport(r);
    outer->SetKeepTogether(true);
    EXPECT_EQ(r->KeepTogetherGroup(), outer);
    inner->SetNewPage(true);
    EXPECT_EQ(r->KeepTogetherGroup(), nullptr);
    inner->SetResetPageNo(true);
    EXPECT_EQ(r->ResetPageNoGroup(), inner);
}
