#include "report/model/engine.h"

#include "report/model/band_classes.h"
#include "report/model/errors.h"
#include "report/model/graphic_components.h"
#include "report/model/image_components.h"
#include "report/model/group.h"
#include "report/model/record_traversal.h"
#include "report/model/report.h"
#include "report/model/tests/report_fixtures.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"
#include "report/model/text_components.h"
#include "report/page/page.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <map>
#include "test_paths.h"

using namespace reporttest;

namespace {

/// A pipeline over rows held in memory (section, package, installed size), walked by the
/// engine through the record-traversal interface.
class TppListPipeline : public TppDataPipeline, public report::RecordTraversal {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppListPipeline(TComponent* AOwner = nullptr) : TppDataPipeline(AOwner) { alive().insert(this); }
    ~TppListPipeline() override { alive().remove(this); }
    /// The pipelines not yet freed, and how often a freed one was closed.
    static QSet<const void*>& alive() {
        static QSet<const void*> set;
        return set;
    }
    inline static int closedAfterFree = 0;
    bool GetActive() const override { return true; }
    TppDataType GetFieldDataType(const QString& f) const override {
        if (f == QLatin1String("Icon")) return TppDataType::dtGraphic;
        return kFields.contains(f) ? TppDataType::dtString : TppDataType::dtNotKnown;
    }
    QVariant GetFieldValue(const QString& f) const override {
        if (m_index < 0 || m_index >= int(rows.size())) return {};
        if (f == QLatin1String("Icon")) return icons.value(m_index);
        return rows.at(size_t(m_index)).value(kFields.indexOf(f));
    }
    void OpenTraversal() override { m_index = 0; }
    void CloseTraversal() override {
        if (!alive().contains(this)) ++closedAfterFree;
    }
    bool AtEnd() const override { return m_index >= int(rows.size()); }
    void First() override { m_index = 0; }
    void Next() override { m_index = std::min(m_index + 1, int(rows.size())); }
    void Prior() override { m_index = std::max(m_index - 1, 0); }
    int Bookmark() const override { return m_index; }
    void GotoBookmark(int b) override { m_index = b; }

    std::vector<QStringList> rows;
    QHash<int, QByteArray> icons;  ///< the picture field of some records
    inline static const QStringList kFields = {QStringLiteral("Section"), QStringLiteral("Package"), QStringLiteral("Size")};

private:
    int m_index = 0;
};

/// A package list grouped by section: a title on its own page, a header that is left off
/// the last page, a page style on page 2, a group with a new-page threshold, a detail of
/// data texts, a shape and a line, a footer and a summary.
struct PackageReport {
    TComponent form;
    TppListPipeline* packages = new TppListPipeline(&form);
    TppReport* report = new TppReport(&form);
    TppGroup* section = nullptr;
    std::vector<QString> dumps;

    PackageReport() {
        packages->SetName("plPackages");
        packages->rows = packageRows();
        report->SetName("rptPackages");
        report->SetDataPipeline(packages);
        auto* title = addBand<TppTitleBand>(report, "ppTitleBand1", 20000);
        title->SetNewPage(true);
        place<TppLabel>(title, "ppTitle", 0, 5000, 8000, 120000)->SetCaption("Installed packages by section");
        auto* header = addBand<TppHeaderBand>(report, "ppHeaderBand1", 10000);
        header->SetPrintOnLastPage(false);
        place<TppLabel>(header, "ppHeading", 0, 0, 5000, 60000)->SetCaption("Package");
        place<TppLine>(header, "ppHeadLine", 0, 6000, 1000, 203200)->SetPosition(TppLinePositionType::lpBottom);
        auto* style = addBand<TppPageStyle>(report, "ppPageStyle1", 30000);
        style->SetValidPages("2");
        place<TppShape>(style, "ppWatermark", 50000, 0, 30000, 100000)->SetShape(TShapeType::stRoundRect);
        auto* detail = addBand<TppDetailBand>(report, "ppDetailBand1", 6000);
        auto* name = place<TppDBText>(detail, "ppName", 10000, 500, 5000, 80000);
        name->SetDataPipeline(packages);
        name->SetDataField("Package");
        auto* size = place<TppDBText>(detail, "ppSize", 100000, 500, 5000, 30000);
        size->SetDataPipeline(packages);
        size->SetDataField("Size");
        size->SetAlignment(TAlignment::taRightJustify);
        auto* footer = addBand<TppFooterBand>(report, "ppFooterBand1", 8000);
        place<TppLabel>(footer, "ppFooterText", 0, 1000, 5000, 60000)->SetCaption("Dossara package list");
        auto* summary = addBand<TppSummaryBand>(report, "ppSummaryBand1", 12000);
        place<TppLabel>(summary, "ppEnd", 0, 2000, 5000, 60000)->SetCaption("End of list");
        section = new TppGroup(&form);
        section->SetName("ppSectionGroup");
        section->SetReport(report);
        section->SetDataPipeline(packages);
        section->SetBreakName("Section");
        section->SetmmNewPageThreshold(60000);
        section->HeaderBand()->SetmmHeight(9000);
        auto* sectionName = place<TppDBText>(section->HeaderBand(), "ppSectionName", 0, 1000, 6000, 80000);
        sectionName->SetDataPipeline(packages);
        sectionName->SetDataField("Section");
        sectionName->Font()->SetStyle({paint::TFontStyle::fsBold});
        section->FooterBand()->SetmmHeight(7000);
        auto* last = place<TppDBText>(section->FooterBand(), "ppLastInSection", 10000, 1000, 5000, 80000);
        last->SetDataPipeline(packages);
        last->SetDataField("Package");
        report->OnPageReceived = [this](TppPage& page) { dumps.push_back(dump(page)); };
    }

    QString dump(const TppPage& page) const {
        return dumpPage(report, page);
    }

    /// Requests pages and answers their dumps in the order received.
    std::vector<QString> request(TppPageSettingType setting, int page = 0, QStringList list = {}) {
        dumps.clear();
        requestPages(report, setting, page, list);
        return dumps;
    }
};

}  // namespace

TEST_F(ReportTest, a_grouped_package_list_makes_its_pages_band_by_band) {
    PackageReport r;
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    ASSERT_GE(pages.size(), 3u);
    QString all;
    for (const QString& p : pages) all += p;
    expectGolden(all, QStringLiteral("package_list.pages"));

    // Checked against the data directly: every package once, every section header once,
    // each section footer showing the section's last package.
    std::map<QString, QString> lastOfSection;
    QStringList packagesInOrder;
    for (const QStringList& row : r.packages->rows) {
        lastOfSection[row[0]] = row[1];
        packagesInOrder << row[1];
    }
    QStringList texts;
    for (const QString& p : pages) texts << textsOf(p);
    for (const QString& package : packagesInOrder) EXPECT_GE(texts.count(package), 1) << package.toStdString();
    for (const auto& [sectionName, last] : lastOfSection) {
        EXPECT_EQ(texts.count(sectionName), 1) << sectionName.toStdString();
        EXPECT_EQ(texts.count(last), 2) << last.toStdString();  // in the detail and in the footer
    }
    EXPECT_EQ(textsOf(pages.front()), QStringList({"Installed packages by section", "Dossara package list"}));
    EXPECT_FALSE(pages.back().contains("\"Package\""));  // the header is left off the last page
    EXPECT_TRUE(pages.back().contains("End of list"));
    EXPECT_TRUE(pages[1].contains("Shape"));
    EXPECT_FALSE(pages[2].contains("Shape"));
    EXPECT_EQ(r.report->Engine()->AbsolutePageCount(), int(pages.size()));
}

TEST_F(ReportTest, pages_requested_in_any_order_are_the_pages_of_a_straight_run) {
    PackageReport r;
    const std::vector<QString> straight = r.request(TppPageSettingType::psAll);
    const int count = int(straight.size());
    for (int page : {count, 2, count - 1, 1, 3}) {
        SCOPED_TRACE(page);
        const std::vector<QString> one = r.request(TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(body(one.front()), body(straight[size_t(page - 1)]));
        EXPECT_TRUE(one.front().startsWith(QStringLiteral("Page %1 of %2\n").arg(page).arg(count)));
    }
    PackageReport fresh;  // nothing cached yet: page 3 first, then a list
    const std::vector<QString> third = fresh.request(TppPageSettingType::psSinglePage, 3);
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(body(third.front()), body(straight[2]));
    const std::vector<QString> listed = fresh.request(TppPageSettingType::psPageList, 0, {"2", "1", "99"});
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(body(listed[0]), body(straight[1]));
    EXPECT_EQ(body(listed[1]), body(straight[0]));
}

TEST_F(ReportTest, a_two_pass_report_knows_its_page_count_on_every_page) {
    PackageReport r;
    r.report->SetPassSetting(TppPassSettingType::psTwoPass);
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_TRUE(pages[i].startsWith(QStringLiteral("Page %1 of %2\n").arg(i + 1).arg(pages.size()))) << pages[i].toStdString();
}

TEST_F(ReportTest, an_empty_pipeline_prints_the_frame_of_the_report_on_one_page) {
    PackageReport r;
    r.packages->rows.clear();
    r.packages->SetSkipWhenNoRecords(false);
    r.report->PageDef()->SetmmHeight(279400);
    auto* title = qobject_cast<TppTitleBand*>(r.report->GetTitleBand());
    title->SetNewPage(false);
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    ASSERT_EQ(pages.size(), 1u);
    expectGolden(pages.front(), QStringLiteral("empty_list.pages"));
    EXPECT_EQ(textsOf(pages.front()), QStringList({"Installed packages by section", "End of list", "Dossara package list"}));
}

TEST_F(ReportTest, a_band_taller_than_the_page_stops_before_any_page) {
    PackageReport r;
    r.report->GetDetailBand()->SetPrintHeight(TppPrintHeightType::phDynamic);
    r.report->GetDetailBand()->SetmmHeight(r.report->PrintableHeight() + 1000);
    try {
        r.request(TppPageSettingType::psAll);
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), "Band height cannot exceed page height.");
    }
    EXPECT_TRUE(r.dumps.empty());
    EXPECT_FALSE(r.report->Engine()->Busy());
    EXPECT_FALSE(r.report->Printing());
}

TEST_F(ReportTest, a_cancelled_run_leaves_the_engine_ready_to_run_again) {
    PackageReport r;
    const std::vector<QString> straight = r.request(TppPageSettingType::psAll);
    PackageReport cancelled;
    int pagesBeforeCancel = 0;
    cancelled.report->OnPageReceived = [&](TppPage& page) {
        cancelled.dumps.push_back(cancelled.dump(page));
        if (++pagesBeforeCancel == 2) cancelled.report->Engine()->SetCancelled(true);
    };
    cancelled.request(TppPageSettingType::psAll);
    EXPECT_EQ(pagesBeforeCancel, 2);
    EXPECT_FALSE(cancelled.report->Engine()->Busy());
    cancelled.report->OnPageReceived = [&](TppPage& page) { cancelled.dumps.push_back(cancelled.dump(page)); };
    const std::vector<QString> again = cancelled.request(TppPageSettingType::psAll);
    ASSERT_EQ(again.size(), straight.size());
    for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(body(again[i]), body(straight[i]));
}

TEST_F(ReportTest, section_totals_and_look_ahead_counts_match_the_data) {
    PackageReport r;
    auto* total = place<TppDBCalc>(r.section->FooterBand(), "ppSectionTotal", 100000, 1000, 5000, 30000);
    total->SetDataPipeline(r.packages);
    total->SetDataField("Size");
    total->SetResetGroup(r.section);
    auto* count = place<TppDBCalc>(r.section->HeaderBand(), "ppSectionCount", 100000, 1000, 5000, 30000);
    count->SetDataPipeline(r.packages);
    count->SetDataField("Package");
    count->SetDBCalcType(TppDBCalcType::dcCount);
    count->SetResetGroup(r.section);
    count->SetLookAhead(true);
    EXPECT_EQ(r.report->PassSetting(), TppPassSettingType::psTwoPass);
    auto* grand = place<TppDBCalc>(r.report->GetSummaryBand(), "ppGrandTotal", 100000, 2000, 5000, 30000);
    grand->SetDataPipeline(r.packages);
    grand->SetDataField("Size");

    std::map<QString, std::pair<int, qint64>> expected;  // section → (packages, total size)
    qint64 grandTotal = 0;
    for (const QStringList& row : r.packages->rows) {
        expected[row[0]].first += 1;
        expected[row[0]].second += row[2].toLongLong();
        grandTotal += row[2].toLongLong();
    }
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    QString all;
    for (const QString& p : pages) all += p;
    expectGolden(all, QStringLiteral("package_totals.pages"));
    const QStringList texts = textsOf(all);
    for (const auto& [section, numbers] : expected) {
        SCOPED_TRACE(section.toStdString());
        const int at = texts.indexOf(section);
        ASSERT_GE(at, 0);
        EXPECT_EQ(texts.value(at + 1), QString::number(numbers.first));  // the count before its records
        const int footer = texts.indexOf(QString::number(numbers.second), at);
        EXPECT_GT(footer, at);
    }
    EXPECT_TRUE(texts.contains(QString::number(grandTotal)));

    // The same pages again, in another order, from the page cache.
    const std::vector<QString> again = r.request(TppPageSettingType::psPageList, 0, {"4", "2", "3"});
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again[0], pages[3]);
    EXPECT_EQ(again[1], pages[1]);
    EXPECT_EQ(again[2], pages[2]);
}

TEST_F(ReportTest, a_data_image_shows_the_picture_of_each_record_and_a_damaged_one_stops_the_report) {
    PackageReport r;
    QFile icon(QStringLiteral(TEST_DATA_DIR "/x-package-repository.png"));
    ASSERT_TRUE(icon.open(QIODevice::ReadOnly));
    const QByteArray png = icon.readAll();
    for (int i = 0; i < 5; ++i) r.packages->icons.insert(i * 7, png);
    auto* image = place<TppDBImage>(r.report->GetDetailBand(), "ppIcon", 140000, 0, 5000, 5000);
    image->SetDataPipeline(r.packages);
    image->SetDataField("Icon");
    image->SetStretch(true);
    QString all;
    for (const QString& p : r.request(TppPageSettingType::psAll)) all += p;
    EXPECT_EQ(all.count(QStringLiteral("Image 146350")), int(r.packages->rows.size()));
    EXPECT_EQ(all.count(QStringLiteral(" 48x48")), 5);

    r.packages->icons.insert(3, QByteArray("not a picture at all"));
    r.report->Reset();
    try {
        r.request(TppPageSettingType::psAll);
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), "Cannot generate report.\r\n\r\nInvalid Image.");
    }
}

TEST_F(ReportTest, each_section_starts_a_page_and_numbers_its_pages_from_one) {
    PackageReport r;
    r.section->SetNewPage(true);
    r.section->SetResetPageNo(true);
    r.report->SetPassSetting(TppPassSettingType::psTwoPass);
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    QStringList firstLines;
    for (const QString& p : pages) firstLines << p.left(p.indexOf(QLatin1Char('\n')));
    // Title page, then admin and devel (one page each), interpreters, introspection.
    EXPECT_EQ(firstLines, QStringList({"Page 1 of 5", "Page 2 of 5, numbered 1 of 1", "Page 3 of 5, numbered 1 of 1",
                                       "Page 4 of 5, numbered 1 of 1", "Page 5 of 5, numbered 1 of 1"}))
        << firstLines.join(" | ").toStdString();
    for (size_t i = 1; i < pages.size(); ++i) {
        const QStringList texts = textsOf(pages[i]);
        int sections = 0;
        for (const char* s : {"admin", "devel", "interpreters", "introspection"}) sections += texts.count(QString::fromLatin1(s));
        EXPECT_EQ(sections, 1) << pages[i].toStdString();
    }

    PackageReport shortPages;  // sections of 30 packages now take two pages each
    shortPages.report->PageDef()->SetmmHeight(150000);
    shortPages.section->SetNewPage(true);
    shortPages.section->SetResetPageNo(true);
    shortPages.report->SetPassSetting(TppPassSettingType::psTwoPass);
    QStringList numbers;
    for (const QString& p : shortPages.request(TppPageSettingType::psAll)) {
        const int at = p.indexOf(QLatin1String("numbered "));
        numbers << (at < 0 ? QString() : p.mid(at + 9, p.indexOf(QLatin1Char('\n')) - at - 9));
    }
    EXPECT_EQ(numbers.mid(1, 4), QStringList({"1 of 2", "2 of 2", "1 of 2", "2 of 2"})) << numbers.join(" | ").toStdString();
}

TEST_F(ReportTest, details_fill_the_columns_left_to_right_and_a_missing_column_position_stops_the_report) {
    PackageReport r;
    r.section->SetmmNewPageThreshold(0);
    r.report->SetColumns(3);
    const int width = r.report->mmColumnWidth();
    ASSERT_EQ(width, r.report->PrintableWidth() / 3);
    for (const char* name : {"ppName", "ppSize"}) {
        auto* c = qobject_cast<TppComponent*>(r.report->FindComponentByName(QString::fromLatin1(name)));
        c->SetmmWidth(20000);
    }
    qobject_cast<TppComponent*>(r.report->FindComponentByName("ppSize"))->SetmmLeft(40000);
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    QString all;
    for (const QString& p : pages) all += p;
    expectGolden(all, QStringLiteral("package_columns.pages"));
    QSet<int> nameLefts;
    for (const QString& line : all.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("  Text ")) && line.contains(QLatin1String(" 20000 5000 ")))
            nameLefts.insert(line.section(QLatin1Char(' '), 3, 3).toInt());
    const int margin = r.report->PageDef()->mmMarginLeft();
    EXPECT_TRUE(nameLefts.contains(margin + 10000));
    EXPECT_TRUE(nameLefts.contains(margin + width + 10000));
    EXPECT_TRUE(nameLefts.contains(margin + 2 * width + 10000));
    EXPECT_LT(pages.size(), 4u);  // three columns take fewer pages than one

    PackageReport positioned;
    positioned.section->SetmmNewPageThreshold(0);
    positioned.report->SetColumns(3);
    positioned.report->SetColumnPositions({"0.25", "3"});
    try {
        positioned.request(TppPageSettingType::psAll);
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), "Cannot generate report.\r\n\r\nUnable to find position for column 3.");
    }
}

TEST_F(ReportTest, page_limit_ends_the_report_at_that_page) {
    PackageReport r;
    r.report->SetPageLimit(2);
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    EXPECT_EQ(pages.size(), 2u);
}

#include "engine_test.moc"

TEST_F(ReportTest, an_empty_pipeline_that_skips_when_no_records_yields_no_page) {
    PackageReport r;
    r.packages->rows.clear();
    ASSERT_TRUE(r.packages->SkipWhenNoRecords());
    for (TppPageSettingType setting : {TppPageSettingType::psAll, TppPageSettingType::psLastPage, TppPageSettingType::psFirstPage}) {
        EXPECT_TRUE(r.request(setting).empty());
        EXPECT_TRUE(r.report->Engine()->DonePrinting());
        EXPECT_EQ(r.report->Engine()->AbsolutePageCount(), 0);
        EXPECT_FALSE(r.report->Engine()->Busy());
    }
    EXPECT_TRUE(r.request(TppPageSettingType::psSinglePage, 2).empty());

    // With records again the same report prints them.
    r.packages->rows = packageRows();
    r.report->Engine()->Invalidate();
    EXPECT_GE(r.request(TppPageSettingType::psAll).size(), 3u);
}

TEST_F(ReportTest, a_pipeline_freed_before_its_report_is_not_touched_by_the_engine) {
    auto r = std::make_unique<PackageReport>();
    ASSERT_GE(r->request(TppPageSettingType::psFirstPage).size(), 1u);
    // The pipeline goes first; the engine that walked it is freed after it.
    delete r->packages;
    r->packages = nullptr;
    const int before = TppListPipeline::closedAfterFree;
    r.reset();
    EXPECT_EQ(TppListPipeline::closedAfterFree, before);
}

TEST_F(ReportTest, the_texts_of_one_band_output_share_its_number_so_an_export_keeps_each_record) {
    PackageReport r;
    std::vector<std::map<int, QStringList>> recordsOfPages;  // BandSaveNo -> the detail's texts
    r.report->OnPageReceived = [&](TppPage& page) {
        std::map<int, QStringList> records;
        for (int i = 0; i < page.GetDrawCommandCount(); ++i) {
            auto* text = qobject_cast<TppDrawText*>(page.GetDrawCommand(i));
            if (!text || !text->Component()) continue;
            const QString name = text->Component()->objectName();
            if (name == "ppName" || name == "ppSize") records[text->BandSaveNo()] << text->Text();
        }
        recordsOfPages.push_back(records);
    };
    r.request(TppPageSettingType::psAll);
    // Every detail output on a page has a number of its own holding that record's two texts,
    // and together the pages hold every record once.
    QStringList packages;
    for (const auto& records : recordsOfPages)
        for (const auto& [number, texts] : records) {
            EXPECT_GT(number, 0);
            ASSERT_EQ(texts.size(), 2) << texts.join(", ").toStdString();
            packages << texts.front();
        }
    QStringList expected;
    for (const QStringList& row : r.packages->rows) expected << row[1];
    EXPECT_EQ(packages, expected);
}
