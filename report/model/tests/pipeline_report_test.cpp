// A report printed over a dataset pipeline on a real table: the page engine walks the
// pipeline, and pages generated again from the page cache are those of a straight run.

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/tests/pipeline_fixture.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"
#include "report/page/page.h"

#include "platform/db/data_source.h"

#include <vector>

using namespace reporttest;

namespace {

/// The packages of the catalogue, one per detail band, over the Orders table.
struct OrdersReport {
    pipeline_test::CatalogueDatabase database;
    std::unique_ptr<db::Table> orders = database.OpenTable("Orders.DB");
    db::DataSource source;
    TComponent form;
    TppDBPipeline* plOrders = new TppDBPipeline(&form);
    TppReport* report = new TppReport(&form);
    std::vector<QString> dumps;

    explicit OrdersReport(int rangeEndCount = 0) {
        orders->Close();  // the engine opens it through the pipeline
        source.SetDataSet(orders.get());
        plOrders->SetName("plOrders");
        plOrders->SetDataSource(&source);
        if (rangeEndCount > 0) {
            plOrders->SetRangeEnd(TppRangeEndType::reCount);
            plOrders->SetRangeEndCount(rangeEndCount);
        }
        report->SetName("rptOrders");
        report->SetDataPipeline(plOrders);
        auto* detail = new TppDetailBand(&form);
        detail->SetName("ppDetailBand1");
        detail->SetReport(report);
        detail->SetmmHeight(6000);
        auto* name = new TppDBText(&form);
        name->SetName("ppPackage");
        name->SetBand(detail);
        name->SetmmBounds(10000, 500, 5000, 80000);
        name->SetDataPipeline(plOrders);
        name->SetDataField("Package");
        auto* footer = new TppSummaryBand(&form);
        footer->SetName("ppSummaryBand1");
        footer->SetReport(report);
        footer->SetmmHeight(8000);
        auto* last = new TppDBText(&form);
        last->SetName("ppLast");
        last->SetBand(footer);
        last->SetmmBounds(0, 1000, 5000, 80000);
        last->SetDataPipeline(plOrders);
        last->SetDataField("Package");
        report->OnPageReceived = [this](TppPage& page) {
            dumps.push_back(dumpPage(report, page));
        };
    }

    // The report goes first: its engine keeps the pipeline it walked until it is freed.
    ~OrdersReport() { delete report; }

    std::vector<QString> request(TppPageSettingType setting, int page = 0) {
        dumps.clear();
        requestPages(report, setting, page);
        return dumps;
    }
};

TEST_F(ReportTest, a_report_over_a_table_prints_every_record_once_in_order) {
    OrdersReport r;
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    ASSERT_GE(pages.size(), 2u);
    QStringList texts;
    for (const QString& p : pages) texts << textsOf(p);
    QStringList expected;
    for (const auto& [orderNo, package] : r.database.packageOfOrder) expected << package;
    expected << expected.back();  // the summary shows the last record
    EXPECT_EQ(texts, expected);

    // Pages asked for again come from the cached positions and equal the straight run.
    const int count = int(pages.size());
    for (int page : {count, 2, 1, count - 1}) {
        SCOPED_TRACE(page);
        const std::vector<QString> one = r.request(TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(body(one.front()), body(pages[size_t(page - 1)]));
    }
}

TEST_F(ReportTest, a_counted_range_ends_the_report_after_that_many_records) {
    OrdersReport r(5);
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    QStringList texts;
    for (const QString& p : pages) texts << textsOf(p);
    QStringList expected;
    for (int orderNo = 1; orderNo <= 5; ++orderNo) expected << r.database.packageOfOrder.at(orderNo);
    expected << expected.back();  // the summary shows the last record of the range, not the sixth
    EXPECT_EQ(texts, expected);
}

}  // namespace
