// Sub-reports over a table of our own: a child report poured across parent pages, sections
// with their own page setup and numbers, and a fixed block. The rows and totals printed are
// checked against SQL over the same table file, and every page generated on its own equals
// the straight run.

#include "report/model/subreport.h"

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/tests/pipeline_fixture.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"
#include "report/page/page_def.h"

#include "platform/db/data_source.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <algorithm>

using namespace reporttest;

namespace {

/// The pages of a request: their dumps, texts, page setup and numbers.
struct Pages {
    std::vector<QString> dumps;
    std::vector<QStringList> texts;
    std::vector<QSize> sizes;
    std::vector<int> pageNos;
};

Pages request(TppReport* report, TppPageSettingType setting, int page = 0) {
    Pages pages;
    report->OnPageReceived = [&](TppPage& p) {
        pages.dumps.push_back(dumpPage(report, p));
        QStringList texts;
        for (int i = 0; i < p.GetDrawCommandCount(); ++i)
            if (auto* t = qobject_cast<TppDrawText*>(p.GetDrawCommand(i))) texts << t->Text();
        pages.texts.push_back(texts);
        pages.sizes.push_back(QSize(p.PageDef()->mmWidth(), p.PageDef()->mmHeight()));
        pages.pageNos.push_back(p.PageNo());
    };
    requestPages(report, setting, page);
    return pages;
}

/// Every page generated on its own (in a scrambled order) equals the straight run.
void expectPagesAlone(TppReport* report, const Pages& all) {
    const int count = int(all.dumps.size());
    for (int page : {2, count, 1, count - 1, 3}) {
        if (page < 1 || page > count) continue;
        SCOPED_TRACE(page);
        const Pages one = request(report, TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(one.dumps.size(), 1u);
        EXPECT_EQ(body(one.dumps.front()), body(all.dumps[size_t(page - 1)]));
    }
}

/// A parent report (header, detail, footer; no data: the detail prints once) whose detail
/// holds a sub-report over Orders listing the packages, with their count and the sum of the
/// order numbers in the child's summary.
struct Fixture {
    pipeline_test::CatalogueDatabase database;
    std::unique_ptr<db::Table> orders;
    db::DataSource source;
    TComponent form;
    TppReport* report = nullptr;
    TppSubReport* sub = nullptr;
    TppDetailBand* detail = nullptr;

    Fixture(TppPrintBehaviorType behavior, int subTop) {
        orders = database.OpenTable("Orders.DB");
        orders->Close();
        source.SetDataSet(orders.get());
        auto* pipeline = new TppDBPipeline(&form);
        pipeline->SetName("plOrders");
        pipeline->SetDataSource(&source);

        report = new TppReport(&form);
        report->SetName("rptCatalogue");
        auto* header = new TppHeaderBand(&form);
        header->SetReport(report);
        header->SetmmHeight(8000);
        place<TppLabel>(header, "ppHeading", 0, 0, 5000, 80000)->SetCaption("Package catalogue");
        detail = new TppDetailBand(&form);
        detail->SetReport(report);
        detail->SetmmHeight(subTop + 10000);
        place<TppLabel>(detail, "ppIntro", 0, 0, 5000, 80000)->SetCaption("Orders of this machine:");
        sub = place<TppSubReport>(detail, "ppOrders", 0, subTop, 10000, 150000);
        sub->CreateReport(report);
        sub->SetPrintBehavior(behavior);
        auto* footer = new TppFooterBand(&form);
        footer->SetReport(report);
        footer->SetmmHeight(8000);
        auto* pageNo = place<TppSystemVariable>(footer, "ppPageNo", 0, 1000, 5000, 60000);
        pageNo->SetVarType(TppVarType::vtPageNo);

        TppChildReport* child = sub->Report();
        child->SetName("rptOrders");
        child->SetDataPipeline(pipeline);
        child->CreateDefaultBands();
        TppBand* rows = child->GetDetailBand();
        rows->SetmmHeight(5000);
        auto* package = place<TppDBText>(rows, "ppPackage", 0, 0, 4500, 70000);
        package->SetDataPipeline(pipeline);
        package->SetDataField("Package");
        auto* orderNo = place<TppDBText>(rows, "ppOrderNo", 80000, 0, 4500, 20000);
        orderNo->SetDataPipeline(pipeline);
        orderNo->SetDataField("OrderNo");
        if (TppBand* summary = child->GetSummaryBand()) {
            summary->SetmmHeight(6000);
            auto* count = place<TppDBCalc>(summary, "ppCount", 0, 500, 4500, 30000);
            count->SetDataPipeline(pipeline);
            count->SetDataField("OrderNo");
            count->SetDBCalcType(TppDBCalcType::dcCount);
            auto* sum = place<TppDBCalc>(summary, "ppSum", 80000, 500, 4500, 30000);
            sum->SetDataPipeline(pipeline);
            sum->SetDataField("OrderNo");
        }
        if (TppBand* childHeader = child->GetHeaderBand()) {
            childHeader->SetmmHeight(7000);
            place<TppLabel>(childHeader, "ppSectionHeading", 0, 0, 5000, 80000)->SetCaption("Orders section");
            auto* childFooter = child->GetFooterBand();
            childFooter->SetmmHeight(7000);
            auto* no = place<TppSystemVariable>(childFooter, "ppSectionPageNo", 0, 1000, 5000, 60000);
            no->SetVarType(TppVarType::vtPageNo);
        }
    }
    ~Fixture() { delete report; }
    QString table() const { return database.Folder() + "/Orders.DB"; }
};

}  // namespace

TEST_F(ReportTest, a_child_sub_report_continues_across_parent_pages_with_every_row_once) {
    Fixture f(TppPrintBehaviorType::pbChild, 7000);
    const Pages all = request(f.report, TppPageSettingType::psAll);
    ASSERT_GE(all.dumps.size(), 3u);
    QString text;
    for (const QString& d : all.dumps) text += d;
    expectGolden(text, QStringLiteral("subreport_child.pages"));

    // Every package once, in table order, then the child's totals: all against SQL.
    const QStringList packages = sqlColumn(f.table(), "SELECT Package FROM \"Orders.DB\" ORDER BY OrderNo");
    ASSERT_FALSE(packages.isEmpty());
    QStringList printed;
    for (const QStringList& page : all.texts)
        for (const QString& t : page)
            if (packages.contains(t)) printed << t;
    EXPECT_EQ(printed, packages);
    const QStringList last = all.texts.back();
    EXPECT_TRUE(last.contains(sqlColumn(f.table(), "SELECT COUNT(*) FROM \"Orders.DB\"").value(0))) << last.join('|').toStdString();
    EXPECT_TRUE(last.contains(sqlColumn(f.table(), "SELECT SUM(OrderNo) FROM \"Orders.DB\"").value(0))) << last.join('|').toStdString();
    // The parent's own band prints once; its header and footer on every page; the child
    // continues at the top of the sub-report's area (below the parent header) on later pages.
    for (size_t p = 0; p < all.texts.size(); ++p) {
        EXPECT_EQ(all.texts[p].count(QStringLiteral("Orders of this machine:")), p == 0 ? 1 : 0) << p;
        EXPECT_EQ(all.texts[p].count(QStringLiteral("Package catalogue")), 1) << p;
        EXPECT_EQ(all.pageNos[p], int(p) + 1);
    }
    EXPECT_NE(all.dumps[1].indexOf(QStringLiteral("Text 6350 14350 ")), -1) << all.dumps[1].toStdString();
    expectPagesAlone(f.report, all);
}

TEST_F(ReportTest, section_sub_report_pages_carry_the_child_page_setup_and_numbers) {
    for (bool resetPageNo : {true, false}) {
        SCOPED_TRACE(resetPageNo);
        Fixture f(TppPrintBehaviorType::pbSection, 7000);
        f.sub->SetResetPageNo(resetPageNo);
        // The section is landscape, the parent portrait.
        TppPageDef* def = f.sub->Report()->PageDef();
        const int width = def->mmWidth(), height = def->mmHeight();
        def->SetmmWidth(height);
        def->SetmmHeight(width);
        const Pages all = request(f.report, TppPageSettingType::psAll);
        ASSERT_GE(all.dumps.size(), 3u);
        QString text;
        for (const QString& d : all.dumps) text += d;
        expectGolden(text, resetPageNo ? QStringLiteral("subreport_section.pages")
                                       : QStringLiteral("subreport_section_continued_numbers.pages"));

        // Page 1: the parent band (the section starts below content: on the next page).
        EXPECT_TRUE(all.texts[0].contains(QStringLiteral("Orders of this machine:")));
        EXPECT_EQ(all.sizes[0], QSize(width, height));
        const QStringList packages = sqlColumn(f.table(), "SELECT Package FROM \"Orders.DB\" ORDER BY OrderNo");
        QStringList printed;
        for (size_t p = 1; p < all.texts.size(); ++p) {
            SCOPED_TRACE(p);
            // A section page: the child's setup, header and footer, none of the parent's.
            EXPECT_EQ(all.sizes[p], QSize(height, width));
            EXPECT_TRUE(all.texts[p].contains(QStringLiteral("Orders section")));
            EXPECT_FALSE(all.texts[p].contains(QStringLiteral("Package catalogue")));
            EXPECT_EQ(all.pageNos[p], resetPageNo ? int(p) : int(p) + 1);
            EXPECT_TRUE(all.texts[p].contains(QString::number(all.pageNos[p])));
            for (const QString& t : all.texts[p])
                if (packages.contains(t)) printed << t;
        }
        EXPECT_EQ(printed, packages);
        expectPagesAlone(f.report, all);
    }
}

TEST_F(ReportTest, a_fixed_sub_report_prints_the_first_child_page_in_its_box_on_the_page_it_fits) {
    // The box is in the summary, below a detail that leaves too little room on page 1.
    Fixture f(TppPrintBehaviorType::pbFixed, 7000);
    const TppPageDef* def = f.report->PageDef();
    const int room = def->mmHeight() - def->mmMarginTop() - def->mmMarginBottom() - 16000;
    f.detail->SetmmHeight(room - 20000);
    auto* summary = new TppSummaryBand(&f.form);
    summary->SetReport(f.report);
    summary->SetmmHeight(35000);
    place<TppLabel>(summary, "ppTotals", 0, 0, 5000, 80000)->SetCaption("First orders:");
    f.sub->SetBand(summary);
    f.sub->SetmmBounds(0, 5000, 30000, 150000);
    f.detail->SetPrintHeight(TppPrintHeightType::phStatic);
    const Pages all = request(f.report, TppPageSettingType::psAll);
    ASSERT_EQ(all.dumps.size(), 2u) << (all.dumps.empty() ? std::string() : all.dumps.front().toStdString());
    QString text;
    for (const QString& d : all.dumps) text += d;
    expectGolden(text, QStringLiteral("subreport_fixed.pages"));

    // Only the rows of the child's first page: as many as fit the 30 mm box below the
    // child's 7 mm header and above its 7 mm footer.
    const QStringList first = sqlColumn(f.table(), "SELECT Package FROM \"Orders.DB\" ORDER BY OrderNo LIMIT 3");
    const QStringList packages = sqlColumn(f.table(), "SELECT Package FROM \"Orders.DB\"");
    QStringList printed;
    for (const QStringList& page : all.texts)
        for (const QString& t : page)
            if (packages.contains(t)) printed << t;
    EXPECT_EQ(printed, first);
    EXPECT_TRUE(all.texts[0].contains(QStringLiteral("Orders of this machine:")));
    EXPECT_FALSE(all.texts[0].contains(QStringLiteral("First orders:")));
    EXPECT_TRUE(all.texts[1].contains(QStringLiteral("First orders:")));
    EXPECT_TRUE(all.texts[1].contains(QStringLiteral("Orders section")));
    expectPagesAlone(f.report, all);
}

TEST_F(ReportTest, a_child_sub_report_prints_once_per_parent_record_and_restarts_its_data) {
    // Parent rows: three shelves; the child lists the same 25 packages under each of them.
    QTemporaryDir folder;
    const std::vector<pipeline_test::Package> catalogue = pipeline_test::ReadCatalogue(25);
    ASSERT_EQ(catalogue.size(), 25u);
    db::TableDef shelves;
    shelves.Fields = {{"ShelfNo", db::FieldType::ftInteger, 0, true}, {"Maintainer", db::FieldType::ftString, 80, false}};
    shelves.Indexes = {{"", "ShelfNo", db::IndexOption::ixPrimary}};
    pipeline_test::MakeTable(folder.path(), "Shelves.DB", shelves,
                             {{1, catalogue[0].maintainer}, {2, catalogue[10].maintainer}, {3, catalogue[20].maintainer}});
    db::TableDef few;
    few.Fields = {{"ItemNo", db::FieldType::ftInteger, 0, true}, {"Package", db::FieldType::ftString, 60, false}};
    few.Indexes = {{"", "ItemNo", db::IndexOption::ixPrimary}};
    std::vector<QVariantList> rows;
    for (int i = 0; i < 25; ++i) rows.push_back({i + 1, catalogue[size_t(i)].name});
    pipeline_test::MakeTable(folder.path(), "Few.DB", few, rows);

    auto open = [&](const char* name) {
        auto t = std::make_unique<db::Table>();
        t->SetDatabaseName(folder.path());
        t->SetTableName(QString::fromLatin1(name));
        return t;
    };
    std::unique_ptr<db::Table> shelfTable = open("Shelves.DB"), fewTable = open("Few.DB");
    db::DataSource shelfSource, fewSource;
    shelfSource.SetDataSet(shelfTable.get());
    fewSource.SetDataSet(fewTable.get());
    TComponent form;
    auto* plShelves = new TppDBPipeline(&form);
    plShelves->SetName("plShelves");
    plShelves->SetDataSource(&shelfSource);
    auto* plFew = new TppDBPipeline(&form);
    plFew->SetName("plFew");
    plFew->SetDataSource(&fewSource);

    auto* report = new TppReport(&form);
    report->SetDataPipeline(plShelves);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(20000);
    auto* maintainer = place<TppDBText>(detail, "ppMaintainer", 0, 0, 5000, 100000);
    maintainer->SetDataPipeline(plShelves);
    maintainer->SetDataField("Maintainer");
    auto* sub = place<TppSubReport>(detail, "ppShelf", 10000, 6000, 10000, 150000);
    sub->CreateReport(report);
    TppChildReport* child = sub->Report();
    child->SetDataPipeline(plFew);
    child->CreateDefaultBands();
    child->GetDetailBand()->SetmmHeight(5000);
    auto* package = place<TppDBText>(child->GetDetailBand(), "ppFewPackage", 0, 0, 4500, 70000);
    package->SetDataPipeline(plFew);
    package->SetDataField("Package");
    child->GetSummaryBand()->SetmmHeight(6000);
    auto* sum = place<TppDBCalc>(child->GetSummaryBand(), "ppItemSum", 80000, 500, 4500, 30000);
    sum->SetDataPipeline(plFew);
    sum->SetDataField("ItemNo");

    const Pages all = request(report, TppPageSettingType::psAll);
    ASSERT_GE(all.dumps.size(), 2u);
    QString text;
    for (const QString& d : all.dumps) text += d;
    expectGolden(text, QStringLiteral("subreport_per_record.pages"));
    EXPECT_EQ(sub->Count(), 3);

    const QStringList packages = sqlColumn(folder.path() + "/Few.DB", "SELECT Package FROM \"Few.DB\" ORDER BY ItemNo");
    const QString total = sqlColumn(folder.path() + "/Few.DB", "SELECT SUM(ItemNo) FROM \"Few.DB\"").value(0);
    const QStringList maintainers = sqlColumn(folder.path() + "/Shelves.DB", "SELECT Maintainer FROM \"Shelves.DB\" ORDER BY ShelfNo");
    QStringList printed, expected, heads;
    int totals = 0;
    for (const QStringList& page : all.texts)
        for (const QString& t : page) {
            if (packages.contains(t)) printed << t;
            if (maintainers.contains(t)) heads << t;
            if (t == total) ++totals;
        }
    for (int i = 0; i < 3; ++i) expected << packages;
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(heads, maintainers);
    EXPECT_EQ(totals, 3);
    expectPagesAlone(report, all);
    delete report;
}

TEST_F(ReportTest, a_sub_report_streams_out_and_in_with_its_child_report) {
    TComponent form;
    auto* report = new TppReport(&form);
    auto* band = new TppDetailBand(&form);
    band->SetName("ppDetailBand1");
    band->SetReport(report);
    auto* sub = place<TppSubReport>(band, "ppSection", 0, 0, 10000, 100000);
    sub->CreateReport(report);
    sub->SetPrintBehavior(TppPrintBehaviorType::pbSection);
    sub->SetResetPageNo(false);
    sub->Report()->SetName("rptSection");
    sub->Report()->CreateDefaultBands();
    place<TppLabel>(sub->Report()->GetHeaderBand(), "ppSectionTitle", 0, 0, 5000, 60000)->SetCaption("Section");
    const QByteArray binary = stream::WriteComponent(*band);
    for (const QByteArray& bytes : {binary, stream::ObjectBinaryToText(binary)}) {
        auto read = stream::ReadComponent(bytes);
        auto* copy = dynamic_cast<TppBand*>(read.get());
        ASSERT_TRUE(copy && copy->ObjectCount() == 1);
        auto* copied = qobject_cast<TppSubReport*>(copy->Objects(0));
        ASSERT_TRUE(copied && copied->Report());
        EXPECT_EQ(copied->PrintBehavior(), TppPrintBehaviorType::pbSection);
        EXPECT_FALSE(copied->ResetPageNo());
        EXPECT_EQ(copied->Report()->BandCount(), 3);
        EXPECT_TRUE(copied->Report()->FindComponentByName("ppSectionTitle"));
        EXPECT_EQ(stream::WriteComponent(*copy), binary) << stream::ObjectBinaryToText(binary).toStdString();
    }
    delete report;
}

TEST_F(ReportTest, a_fixed_sub_report_traversing_all_data_continues_its_child_box_by_box) {
    Fixture f(TppPrintBehaviorType::pbFixed, 7000);
    f.sub->SetTraverseAllData(true);
    f.sub->SetmmHeight(30000);
    TppPageDef own;
    own.Assign(f.sub->Report()->PageDef());
    const Pages all = request(f.report, TppPageSettingType::psAll);
    ASSERT_GE(all.dumps.size(), 2u);
    const QStringList packages = sqlColumn(f.table(), "SELECT Package FROM \"Orders.DB\" ORDER BY OrderNo");
    QStringList printed;
    for (size_t p = 0; p < all.texts.size(); ++p) {
        int rows = 0;
        for (const QString& t : all.texts[p])
            if (packages.contains(t)) {
                printed << t;
                ++rows;
            }
        // The box holds the child's header, three rows and its footer.
        EXPECT_LE(rows, 3) << p;
        EXPECT_EQ(all.texts[p].count(QStringLiteral("Orders section")), 1) << p;
    }
    EXPECT_EQ(printed, packages);
    // The child's own page setup is left as it was.
    EXPECT_EQ(f.sub->Report()->PageDef()->mmHeight(), own.mmHeight());
    EXPECT_EQ(f.sub->Report()->PageDef()->mmMarginTop(), own.mmMarginTop());
    expectPagesAlone(f.report, all);
}

TEST_F(ReportTest, the_saved_texts_of_a_child_sub_report_make_records_of_their_own_in_order) {
    // Parent rows: the sections; under each, the child lists its packages (kept to the
    // section by a master field link). Parent and child bands are saved for text export.
    PackagesTable table;
    std::vector<QVariantList> sectionRows;
    for (const QStringList& s : table.sql(R"(SELECT Section FROM "Packages.DB" GROUP BY Section ORDER BY MIN(No))"))
        sectionRows.push_back({int(sectionRows.size()) + 1, s[0]});
    db::TableDef def;
    def.Fields = {{"No", db::FieldType::ftInteger, 0, true}, {"Section", db::FieldType::ftString, 20, false}};
    def.Indexes = {{"", "No", db::IndexOption::ixPrimary}};
    pipeline_test::MakeTable(table.dir.path(), "Sections.DB", def, sectionRows);
    db::Table sections, packages;
    sections.SetDatabaseName(table.dir.path());
    sections.SetTableName(QStringLiteral("Sections.DB"));
    packages.SetDatabaseName(table.dir.path());
    packages.SetTableName(QStringLiteral("Packages.DB"));
    packages.SetIndexName(QStringLiteral("BySection"));
    db::DataSource sectionSource, packageSource;
    sectionSource.SetDataSet(&sections);
    packageSource.SetDataSet(&packages);
    TComponent form;
    auto* plSections = new TppDBPipeline(&form);
    plSections->SetName("plSections");
    plSections->SetDataSource(&sectionSource);
    auto* plPackages = new TppDBPipeline(&form);
    plPackages->SetName("plPackages");
    plPackages->SetDataSource(&packageSource);
    plPackages->SetMasterDataPipeline(plSections);
    plPackages->AddMasterFieldLink(QStringLiteral("Section"), QStringLiteral("Section"));

    auto* report = new TppReport(&form);
    report->SetDataPipeline(plSections);
    auto* detail = addBand<TppDetailBand>(report, "ppDetailBand1", 16000);
    detail->SetSave(true);
    auto* section = place<TppDBText>(detail, "ppSection", 0, 0, 5000, 60000);
    section->SetDataPipeline(plSections);
    section->SetDataField("Section");
    section->SetSave(true);
    auto* sub = place<TppSubReport>(detail, "ppPackages", 10000, 6000, 10000, 150000);
    sub->CreateReport(report);
    auto* note = place<TppLabel>(detail, "ppNote", 100000, 0, 5000, 60000);  // after the sub-report in z-order
    note->SetCaption("section end");
    note->SetSave(true);
    TppChildReport* child = sub->Report();
    child->SetDataPipeline(plPackages);
    child->CreateDefaultBands();
    TppBand* rows = child->GetDetailBand();
    rows->SetmmHeight(5000);
    rows->SetSave(true);
    auto* package = place<TppDBText>(rows, "ppPackage", 0, 0, 4500, 70000);
    package->SetDataPipeline(plPackages);
    package->SetDataField("Package");
    package->SetSave(true);
    auto* size = place<TppDBText>(rows, "ppSize", 80000, 0, 4500, 20000);
    size->SetDataPipeline(plPackages);
    size->SetDataField("Size");
    size->SetSave(true);

    // The records a delimited export makes of each page: saved texts by band output, then
    // save order; a run of one band output is one record.
    std::vector<QStringList> records;
    report->OnPageReceived = [&](TppPage& p) {
        std::vector<TppDrawText*> saved;
        for (int i = 0; i < p.GetDrawCommandCount(); ++i)
            if (auto* t = qobject_cast<TppDrawText*>(p.GetDrawCommand(i)); t && t->BandSave() && t->ComponentSave()) saved.push_back(t);
        std::stable_sort(saved.begin(), saved.end(), [](const TppDrawText* a, const TppDrawText* b) {
            return std::pair(a->BandSaveNo(), a->ComponentSaveNo()) < std::pair(b->BandSaveNo(), b->ComponentSaveNo());
        });
        for (size_t i = 0; i < saved.size(); ++i) {
            if (i == 0 || saved[i]->BandSaveNo() != saved[i - 1]->BandSaveNo()) records.emplace_back();
            records.back() << saved[i]->Text();
        }
    };
    requestPages(report, TppPageSettingType::psAll);

    std::vector<QStringList> expected;
    for (const QVariantList& s : sectionRows) {
        const QString name = s[1].toString();
        std::vector<QStringList> own;
        const QByteArray sql = QStringLiteral(R"(SELECT Package, Size FROM "Packages.DB" WHERE Section = '%1' ORDER BY No)").arg(name).toUtf8();
        for (const QStringList& p : table.sql(sql.constData())) own.push_back(p);
        // A section whose packages run over a page continues its records there; the parent
        // band's record (its name and the note after the sub-report) is on its first page.
        expected.push_back({name, QStringLiteral("section end")});
        for (const QStringList& p : own) expected.push_back(p);
    }
    // Records split by page ends only repeat nothing: compare the packages' records and the
    // parent records in order.
    EXPECT_EQ(records, expected);
    delete report;
}
