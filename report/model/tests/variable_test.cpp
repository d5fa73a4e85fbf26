// Variables and system variables printed over a real table: page totals, group totals,
// look-ahead totals in the title and the group header, "Page n of m", and values kept
// across pages generated again from the page cache. Every total is checked against SQL
// run directly on the same table file.

#include "report/model/variable.h"

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/engine.h"
#include "report/model/group.h"
#include "report/model/report.h"
#include "report/model/tests/report_fixtures.h"
#include "report/page/page.h"

#include "platform/db/data_source.h"

#include <map>

using namespace reporttest;

namespace {

/// A component one text line (5 mm) high.
template <class T>
T* place(TppBand* band, const QString& name, int left, int top, int width) {
    return reporttest::place<T>(band, name, left, top, 5000, width);
}

/// The packages by section with a variable for every timing.
struct VariableReport {
    PackagesTable table;
    std::unique_ptr<db::Table> data = std::make_unique<db::Table>();
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = new TppDBPipeline(&form);
    TppReport* report = new TppReport(&form);
    TppGroup* section = new TppGroup(&form);
    std::vector<QString> dumps;

    /// A dtInteger variable that adds the record's Size on every calculation; its text
    /// carries a caption so the dumps show what it is.
    TppVariable* sizeSum(TppBand* band, const QString& name, const QString& caption, int top) {
        auto* v = place<TppVariable>(band, name, 100000, top, 80000);
        v->SetDataType(TppDataType::dtInteger);
        v->OnCalc = [this](QObject*, QVariant& value) { value = value.toInt() + pipeline->GetFieldValue("Size").toInt(); };
        v->OnGetText = [caption](QObject*, QString& text) { text = caption + text; };
        return v;
    }

    VariableReport() {
        data->SetDatabaseName(table.dir.path());
        data->SetTableName("Packages.DB");
        data->SetIndexName("BySection");
        source.SetDataSet(data.get());
        pipeline->SetName("plPackages");
        pipeline->SetDataSource(&source);
        report->SetName("rptPackages");
        report->SetDataPipeline(pipeline);

        auto* title = addBand<TppTitleBand>(report, "ppTitleBand1", 8000);
        auto* grand = sizeSum(title, "ppGrandAhead", "Grand total ", 1000);
        grand->SetLookAhead(true);
        auto* header = addBand<TppHeaderBand>(report, "ppHeaderBand1", 14000);
        place<TppSystemVariable>(header, "ppPageSet", 0, 0, 60000)->SetVarType(TppVarType::vtPageSetDesc);
        auto* pagesEnded = place<TppVariable>(header, "ppPagesEnded", 100000, 0, 60000);
        pagesEnded->SetDataType(TppDataType::dtInteger);
        pagesEnded->SetCalcType(TppVarEventType::vePageEnd);
        pagesEnded->OnCalc = [](QObject*, QVariant& value) { value = value.toInt() + 1; };
        pagesEnded->OnGetText = [](QObject*, QString& text) { text = "Pages before " + text; };
        auto* carried = sizeSum(header, "ppCarried", "Carried ", 7000);
        Q_UNUSED(carried);

        auto* detail = addBand<TppDetailBand>(report, "ppDetailBand1", 6000);
        auto* name = place<TppDBText>(detail, "ppName", 10000, 500, 80000);
        name->SetDataPipeline(pipeline);
        name->SetDataField("Package");
        auto* size = place<TppDBText>(detail, "ppSize", 100000, 500, 30000);
        size->SetDataPipeline(pipeline);
        size->SetDataField("Size");

        section->SetName("ppSectionGroup");
        section->SetReport(report);
        section->SetDataPipeline(pipeline);
        section->SetBreakName("Section");
        section->SetReprintOnSubsequentPage(false);
        section->HeaderBand()->SetmmHeight(7000);
        auto* sectionName = place<TppDBText>(section->HeaderBand(), "ppSectionName", 0, 1000, 60000);
        sectionName->SetDataPipeline(pipeline);
        sectionName->SetDataField("Section");
        auto* count = place<TppVariable>(section->HeaderBand(), "ppSectionCount", 100000, 1000, 80000);
        count->SetDataType(TppDataType::dtInteger);
        count->OnCalc = [](QObject*, QVariant& value) { value = value.toInt() + 1; };
        count->OnGetText = [](QObject*, QString& text) { text = "Packages " + text; };
        count->SetResetType(TppVarEventType::veGroupStart);
        count->SetResetComponent(section);
        count->SetLookAhead(true);
        section->FooterBand()->SetmmHeight(7000);
        auto* sectionTotal = sizeSum(section->FooterBand(), "ppSectionTotal", "Section total ", 1000);
        sectionTotal->SetResetType(TppVarEventType::veGroupStart);
        sectionTotal->SetResetComponent(section);

        auto* footer = addBand<TppFooterBand>(report, "ppFooterBand1", 8000);
        auto* pageTotal = sizeSum(footer, "ppPageTotal", "Page total ", 1000);
        pageTotal->SetResetType(TppVarEventType::vePageStart);
        place<TppSystemVariable>(footer, "ppPageNo", 0, 1000, 30000)->SetVarType(TppVarType::vtPageNo);

        auto* summary = addBand<TppSummaryBand>(report, "ppSummaryBand1", 8000);
        sizeSum(summary, "ppGrandTotal", "Total ", 1000);

        report->OnPageReceived = [this](TppPage& page) {
            dumps.push_back(dumpPage(report, page));
        };
    }

    // The report goes first: its engine keeps the pipeline it walked until it is freed.
    ~VariableReport() { delete report; }

    std::vector<QString> request(TppPageSettingType setting, int page = 0) {
        dumps.clear();
        requestPages(report, setting, page);
        return dumps;
    }
};

/// The texts of a page that start with a caption, without it.
QStringList valuesAfter(const QStringList& texts, const QString& caption) {
    QStringList out;
    for (const QString& t : texts)
        if (t.startsWith(caption)) out << t.mid(caption.size());
    return out;
}

TEST_F(ReportTest, variables_of_every_timing_print_the_totals_sql_gives) {
    VariableReport r;
    EXPECT_EQ(r.report->PassSetting(), TppPassSettingType::psTwoPass);
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    ASSERT_GE(pages.size(), 3u);
    QString all;
    for (const QString& p : pages) all += p;
    expectGolden(all, QStringLiteral("variable_totals.pages"));

    const QString grand = r.table.sql("SELECT SUM(Size) FROM \"Packages.DB\"").at(0).at(0);
    const int count = int(pages.size());
    QStringList allTexts;
    for (int p = 1; p <= count; ++p) {
        SCOPED_TRACE(p);
        const QStringList texts = textsOf(pages[size_t(p - 1)]);
        allTexts << texts;
        // "Page n of m", the page number, and the pages ended before this one.
        EXPECT_TRUE(texts.contains(QStringLiteral("Page %1 of %2").arg(p).arg(count)));
        EXPECT_EQ(valuesAfter(texts, "Pages before "), QStringList{QString::number(p - 1)});
        // The page total is the sum of the packages printed on the page.
        QStringList names;
        for (const QString& t : texts)
            if (r.table.sizeOf.count(t)) names << QLatin1Char('\'') + t + QLatin1Char('\'');
        ASSERT_FALSE(names.isEmpty());
        const QString pageSum =
            r.table.sql("SELECT SUM(Size) FROM \"Packages.DB\" WHERE Package IN (" + names.join(',') + ")").at(0).at(0);
        EXPECT_EQ(valuesAfter(texts, "Page total "), QStringList{pageSum});
        // The header carries the total of the pages before.
        if (p > 1) {
            QStringList before;
            for (int q = 1; q < p; ++q)
                for (const QString& t : textsOf(pages[size_t(q - 1)]))
                    if (r.table.sizeOf.count(t)) before << QLatin1Char('\'') + t + QLatin1Char('\'');
            EXPECT_EQ(valuesAfter(texts, "Carried "),
                      QStringList{r.table.sql("SELECT SUM(Size) FROM \"Packages.DB\" WHERE Package IN (" + before.join(',') + ")")
                                      .at(0)
                                      .at(0)});
        }
    }
    // The look-ahead grand total in the title and the plain one in the summary.
    EXPECT_EQ(valuesAfter(textsOf(pages.front()), "Grand total "), QStringList{grand});
    EXPECT_EQ(valuesAfter(textsOf(pages.back()), "Total "), QStringList{grand});
    // Section counts (look-ahead, in the headers) and totals (in the footers), in order.
    QStringList counts, totals;
    for (const QStringList& row : r.table.sql(
             "SELECT Section, COUNT(*), SUM(Size) FROM \"Packages.DB\" GROUP BY Section ORDER BY Section")) {
        counts << row[1];
        totals << row[2];
    }
    EXPECT_EQ(valuesAfter(allTexts, "Packages "), counts);
    EXPECT_EQ(valuesAfter(allTexts, "Section total "), totals);

    // Pages generated again from the page cache come out as in the straight run, with the
    // values they had at the end of the page before.
    for (int page : {count, 2, 1, count - 1}) {
        SCOPED_TRACE(page);
        const std::vector<QString> one = r.request(TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(body(one.front()), body(pages[size_t(page - 1)]));
    }
}

TEST_F(ReportTest, a_variable_keeps_its_type_and_value_rules) {
    TComponent form;
    auto* r = new TppReport(&form);
    auto* band = new TppDetailBand(&form);
    band->SetReport(r);
    auto* a = new TppVariable(&form);
    a->SetBand(band);
    EXPECT_EQ(a->DataType(), TppDataType::dtString);
    EXPECT_EQ(a->CalcType(), TppVarEventType::veTraversal);
    EXPECT_EQ(a->ResetType(), TppVarEventType::veReportEnd);
    a->SetDataType(TppDataType::dtVariant);
    EXPECT_EQ(a->DataType(), TppDataType::dtString);
    a->SetAsInteger(5);
    EXPECT_EQ(a->DataType(), TppDataType::dtInteger);
    EXPECT_EQ(a->Value(), QVariant(5));
    a->SetValue(QVariant());
    EXPECT_EQ(a->Value(), QVariant(5));
    a->SetAsCurrency(12.3456);
    EXPECT_DOUBLE_EQ(a->AsCurrency(), 12.3456);

    auto* b = new TppVariable(&form);
    b->SetBand(band);
    auto* c = new TppVariable(&form);
    c->SetBand(band);
    EXPECT_EQ(a->CalcOrder(), 0);
    a->SetCalcOrder(99);
    EXPECT_EQ(a->CalcOrder(), 2);
    EXPECT_EQ(b->CalcOrder(), 0);
    b->SetCalcOrder(-4);
    EXPECT_EQ(b->CalcOrder(), 0);

    EXPECT_EQ(r->PassSetting(), TppPassSettingType::psOnePass);
    c->SetLookAhead(true);
    EXPECT_EQ(r->PassSetting(), TppPassSettingType::psTwoPass);

    auto* pageCount = new TppSystemVariable(&form);
    pageCount->SetBand(band);
    pageCount->SetVarType(TppVarType::vtPageCount);
    EXPECT_EQ(pageCount->DataType(), TppDataType::dtInteger);
    EXPECT_EQ(pageCount->Value(), QVariant(1));
    EXPECT_EQ(pageCount->GetText(), QStringLiteral("1"));
}

TEST_F(ReportTest, a_variable_is_calculated_once_per_event_of_its_timing) {
    VariableReport probe;
    const int pageCount = int(probe.request(TppPageSettingType::psAll).size());
    const QString records = probe.table.sql("SELECT COUNT(*) FROM \"Packages.DB\"").at(0).at(0);
    const QString groups = probe.table.sql("SELECT COUNT(DISTINCT Section) FROM \"Packages.DB\"").at(0).at(0);
    struct Case {
        TppVarEventType calcType;
        QString expected;  // the count the summary shows
    } cases[] = {
        {TppVarEventType::veTraversal, records},
        {TppVarEventType::vePageStart, QString::number(pageCount)},
        {TppVarEventType::vePageEnd, QString::number(pageCount - 1)},  // the summary prints before the last page ends
        {TppVarEventType::veReportStart, QStringLiteral("1")},
        {TppVarEventType::veGroupStart, groups},
        {TppVarEventType::veGroupEnd, groups},
        {TppVarEventType::veGroupBeforeHeader, groups},
        {TppVarEventType::veGroupBeforeFooter, groups},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(report::EnumName(c.calcType).toStdString());
        VariableReport r;
        auto* count = place<TppVariable>(r.report->GetSummaryBand(), "ppEvents", 0, 1000, 60000);
        count->SetDataType(TppDataType::dtInteger);
        count->SetCalcType(c.calcType);
        if (c.calcType >= TppVarEventType::veGroupStart) count->SetCalcComponent(r.section);
        count->OnCalc = [](QObject*, QVariant& value) { value = value.toInt() + 1; };
        count->OnGetText = [](QObject*, QString& text) { text = "Events " + text; };
        const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
        ASSERT_FALSE(pages.empty());
        EXPECT_EQ(valuesAfter(textsOf(pages.back()), "Events "), QStringList{c.expected});
    }
}

}  // namespace
