// Page layout cases of the engine over a real table: groups kept together, a table without
// records, checked against the same table file read with SQL, independently of our code.

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/engine.h"
#include "report/model/errors.h"
#include "report/model/group.h"
#include "report/model/report.h"
#include "report/model/stretchable.h"
#include "report/model/tests/pipeline_fixture.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"
#include "report/page/page.h"
#include "report/page/draw_command.h"
#include "report/page/page_def.h"

#include "platform/db/data_source.h"

#include <functional>

#include <map>
#include <set>
#include <vector>

using namespace reporttest;

namespace {

/// A stretchable list of lines, 5 mm each, that prints as many as fit and continues with
/// the rest on the next page; its position is part of its page-cache record.
class TppLineList : public TppStretchable {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppLineList(TComponent* AOwner = nullptr) : TppStretchable(AOwner) {}
    static constexpr int kLine = 5000;
    QStringList lines;

    void CalcSpaceUsed() override {
        const int room = std::max(0, PageBottom() - PrintRect().top()) / kLine;
        m_from = m_next;
        m_next = std::min(int(lines.size()), m_next + room);
        SetSpaceUsed((m_next - m_from) * kLine);
        SetOverFlow(m_next < lines.size());
    }
    void ResetGeneration() override {
        TppStretchable::ResetGeneration();
        m_from = m_next = 0;
    }
    void GeneratePage(TppPage* aPage) override {
        if (!DrawComponent() || !Visible()) return;
        for (int i = m_from; i < m_next; ++i) {
            auto* t = new TppDrawText;
            t->SetLeft(PrintRect().left());
            t->SetTop(PrintRect().top() + (i - m_from) * kLine);
            t->SetWidth(mmWidth());
            t->SetHeight(kLine);
            t->SetFont(Font());
            t->SetText(lines.at(i));
            t->SetPage(aPage);
        }
    }
    int CacheRecordSize() const override { return kStretchableRecordSize + 8; }
    void SaveToCache(int aPageNo) override {
        QByteArray r = StretchableCacheRecord();
        QDataStream out(&r, QIODevice::Append);
        out << qint32(m_from) << qint32(m_next);
        WriteCacheRecord(aPageNo, r);
    }
    void RestoreFromCache(int aPageNo) override {
        QByteArray r(CacheRecordSize(), 0);
        if (!ReadCacheRecord(aPageNo, r)) return;
        TakeStretchableCacheRecord(r);
        QDataStream in(r.mid(kStretchableRecordSize));
        qint32 from, next;
        in >> from >> next;
        m_from = from;
        m_next = next;
    }

private:
    int m_from = 0, m_next = 0;
};

/// The packages by section on short pages, so that sections meet page ends: the section
/// in the group header, its count and total size in the footer, one package per detail
/// band, the grand total in the summary.
struct SectionReport {
    PackagesTable table;
    db::Table packages;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* plPackages = new TppDBPipeline(&form);
    TppReport* report = new TppReport(&form);
    TppGroup* section = new TppGroup(&form);
    std::vector<QString> dumps;

    explicit SectionReport(bool withRows = true) : table(withRows) {
        packages.SetDatabaseName(table.dir.path());
        packages.SetTableName(QStringLiteral("Packages.DB"));
        source.SetDataSet(&packages);  // the engine opens it through the pipeline
        plPackages->SetName("plPackages");
        plPackages->SetDataSource(&source);
        report->SetName("rptSections");
        report->SetDataPipeline(plPackages);
        report->PageDef()->SetmmHeight(90000);
        report->PageDef()->SetmmMarginTop(10000);
        report->PageDef()->SetmmMarginBottom(10000);
        auto* detail = new TppDetailBand(&form);
        detail->SetName("ppDetailBand1");
        detail->SetReport(report);
        detail->SetmmHeight(6000);
        auto* name = place<TppDBText>(detail, "ppPackage", 10000, 500, 5000, 80000);
        name->SetDataPipeline(plPackages);
        name->SetDataField("Package");
        auto* summary = new TppSummaryBand(&form);
        summary->SetName("ppSummaryBand1");
        summary->SetReport(report);
        summary->SetmmHeight(7000);
        place<TppLabel>(summary, "ppEnd", 0, 1000, 5000, 60000)->SetCaption("All sections");
        auto* grand = place<TppDBCalc>(summary, "ppGrandTotal", 100000, 1000, 5000, 30000);
        grand->SetDataPipeline(plPackages);
        grand->SetDataField("Size");
        section->SetName("ppSectionGroup");
        section->SetReport(report);
        section->SetDataPipeline(plPackages);
        section->SetBreakName("Section");
        section->SetReprintOnSubsequentPage(false);  // every text once
        section->SetReprintOnSubsequentColumn(false);
        section->HeaderBand()->SetmmHeight(7000);
        auto* sectionName = place<TppDBText>(section->HeaderBand(), "ppSection", 0, 1000, 5000, 60000);
        sectionName->SetDataPipeline(plPackages);
        sectionName->SetDataField("Section");
        section->FooterBand()->SetmmHeight(7000);
        auto* count = place<TppDBCalc>(section->FooterBand(), "ppCount", 70000, 1000, 5000, 20000);
        count->SetDataPipeline(plPackages);
        count->SetDataField("Package");
        count->SetDBCalcType(TppDBCalcType::dcCount);
        count->SetResetGroup(section);
        auto* total = place<TppDBCalc>(section->FooterBand(), "ppTotal", 100000, 1000, 5000, 30000);
        total->SetDataPipeline(plPackages);
        total->SetDataField("Size");
        total->SetResetGroup(section);
        report->OnPageReceived = [this](TppPage& page) {
            dumps.push_back(dumpPage(report, page));
        };
    }

    ~SectionReport() { delete report; }

    std::vector<QString> request(TppPageSettingType setting, int page = 0) {
        dumps.clear();
        requestPages(report, setting, page);
        return dumps;
    }

    /// Every text the report must print, in order, from SQL over the table file: per section
    /// its name, its packages, their count and total size; then the summary.
    QStringList expectedTexts() const {
        QStringList texts;
        for (const QStringList& s : table.sql(R"(SELECT Section, COUNT(*), SUM(Size) FROM "Packages.DB"
                                                           GROUP BY Section ORDER BY MIN(No))")) {
            texts << s[0];
            const QByteArray sql = QStringLiteral(R"(SELECT Package FROM "Packages.DB" WHERE Section = '%1' ORDER BY No)").arg(s[0]).toUtf8();
            for (const QStringList& p : table.sql(sql.constData())) texts << p[0];
            texts << s[1] << s[2];
        }
        texts << "All sections" << table.sql(R"(SELECT SUM(Size) FROM "Packages.DB")").at(0).at(0);
        return texts;
    }

    /// Section → the pages (from 0) its packages are on.
    std::map<QString, std::set<int>> pagesOfSections(const std::vector<QString>& pages) const {
        std::map<QString, QString> sectionOf;
        for (const QStringList& p : table.sql(R"(SELECT Package, Section FROM "Packages.DB")")) sectionOf[p[0]] = p[1];
        std::map<QString, std::set<int>> on;
        for (size_t i = 0; i < pages.size(); ++i)
            for (const QString& t : textsOf(pages[i]))
                if (sectionOf.count(t)) on[sectionOf[t]].insert(int(i));
        return on;
    }
};

}  // namespace

TEST_F(ReportTest, a_group_kept_together_moves_to_the_next_page_as_a_whole) {
    SectionReport loose;
    const std::vector<QString> loosePages = loose.request(TppPageSettingType::psAll);
    const auto looseSplit = loose.pagesOfSections(loosePages);
    // Without it both short sections break over a page.
    ASSERT_EQ(looseSplit.at("interpreters").size(), 2u);
    ASSERT_EQ(looseSplit.at("introspection").size(), 2u);

    SectionReport r;
    r.section->SetKeepTogether(true);
    ASSERT_EQ(r.report->KeepTogetherGroup(), r.section);
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    QString all;
    QStringList texts;
    for (const QString& p : pages) {
        all += p;
        texts << textsOf(p);
    }
    expectGolden(all, QStringLiteral("sections_kept_together.pages"));
    EXPECT_EQ(texts, r.expectedTexts());  // nothing lost, nothing doubled, totals as SQL has them

    // A section shorter than a page is on one page; a longer one starts at a page top.
    const int perPage = (90000 - 20000 - 14000) / 6000;
    const auto counts = r.table.sql(R"(SELECT Section, COUNT(*) FROM "Packages.DB" GROUP BY Section)");
    const auto sections = r.pagesOfSections(pages);
    for (const QStringList& c : counts) {
        SCOPED_TRACE(c[0].toStdString());
        const std::set<int>& on = sections.at(c[0]);
        if (c[1].toInt() <= perPage) EXPECT_EQ(on.size(), 1u);
        else EXPECT_EQ(textsOf(pages[size_t(*on.begin())]).value(0), c[0]);
    }

    // Pages asked for again, in any order, are those of the straight run.
    const int count = int(pages.size());
    for (int page : {count, 2, count - 1, 1}) {
        SCOPED_TRACE(page);
        const std::vector<QString> one = r.request(TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(body(one.front()), body(pages[size_t(page - 1)]));
    }
}

TEST_F(ReportTest, a_table_without_records_gives_no_page_unless_the_pipeline_prints_it_empty) {
    SectionReport skipped(false);
    ASSERT_TRUE(skipped.plPackages->SkipWhenNoRecords());
    EXPECT_TRUE(skipped.request(TppPageSettingType::psAll).empty());
    EXPECT_TRUE(skipped.report->Engine()->DonePrinting());
    EXPECT_EQ(skipped.report->Engine()->AbsolutePageCount(), 0);

    SectionReport printed(false);
    printed.plPackages->SetSkipWhenNoRecords(false);
    const std::vector<QString> pages = printed.request(TppPageSettingType::psAll);
    ASSERT_EQ(pages.size(), 1u);
    expectGolden(pages.front(), QStringLiteral("no_packages.pages"));
    EXPECT_EQ(textsOf(pages.front()).value(0), "All sections");
    EXPECT_EQ(printed.table.sql(R"(SELECT COUNT(*) FROM "Packages.DB")").at(0).at(0), "0");
}

/// The summary lists every package, then (anchored below them) the sections, then a label
/// that shifts with the lists.
struct StretchingSummary {
    TppLineList* all = nullptr;
    TppLineList* sections = nullptr;
    explicit StretchingSummary(SectionReport& r);
};

StretchingSummary::StretchingSummary(SectionReport& r) {
    auto* summary = r.report->GetSummaryBand();
    all = place<TppLineList>(summary, "ppAllPackages", 10000, 8000, TppLineList::kLine, 80000);
    all->SetStretch(true);
    EXPECT_EQ(summary->PrintHeight(), TppPrintHeightType::phDynamic);
    for (const QStringList& row : r.table.sql(R"(SELECT Package FROM "Packages.DB" ORDER BY No)")) all->lines << row[0];
    sections = place<TppLineList>(summary, "ppSectionList", 10000, 14000, TppLineList::kLine, 80000);
    sections->SetShiftRelativeTo(all);  // 1 mm below the packages, wherever they end
    for (const QStringList& row : r.table.sql(R"(SELECT DISTINCT Section FROM "Packages.DB" ORDER BY Section)"))
        sections->lines << row[0];
    auto* end = place<TppLabel>(summary, "ppEndOfReport", 0, 15000, 5000, 60000);
    end->SetCaption("End of report");
    end->SetShiftWithParent(true);  // 2 mm below the lowest list
}

TEST_F(ReportTest, a_stretching_list_continues_on_the_next_pages_and_pushes_the_components_below_it) {
    SectionReport r;
    StretchingSummary lists(r);
    TppLineList* all = lists.all;
    TppLineList* sections = lists.sections;
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    QString dump;
    QStringList texts;
    for (const QString& p : pages) {
        dump += p;
        texts << textsOf(p);
    }
    expectGolden(dump, QStringLiteral("stretching_summary.pages"));
    // Every line once and in order, over as many pages as it takes.
    QStringList expected = r.expectedTexts();
    expected << all->lines << sections->lines << "End of report";
    EXPECT_EQ(texts, expected);
    const int summaryPages = int(std::count_if(pages.begin(), pages.end(), [&](const QString& p) {
        return textsOf(p).contains(all->lines.at(10)) || textsOf(p).contains("End of report");
    }));
    EXPECT_GE(summaryPages, 3);

    // On the last page the label keeps its design distance below the section list's end.
    auto topOf = [](const QString& page, const QString& text) {
        for (const QString& line : page.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("  Text")) && line.contains(QStringLiteral("\"%1\"").arg(text))) return line.section(u' ', 4, 4).toInt();
        return -1;
    };
    const QString& last = pages.back();
    ASSERT_GE(topOf(last, sections->lines.back()), 0);
    EXPECT_EQ(topOf(last, "End of report"), topOf(last, sections->lines.back()) + TppLineList::kLine + 2000);

    // The continuation state comes back from the page cache: pages in any order are the same.
    const int count = int(pages.size());
    for (int page : {count - 1, count, count - 2, 2}) {
        SCOPED_TRACE(page);
        const std::vector<QString> one = r.request(TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(body(one.front()), body(pages[size_t(page - 1)]));
    }
}

TEST_F(ReportTest, bands_with_a_print_position_start_there_or_on_the_next_page) {
    SectionReport r;
    auto* detail = r.report->GetDetailBand();
    detail->SetmmPrintPosition(20000);  // the first detail of each page starts 20 mm down
    auto* summary = r.report->GetSummaryBand();
    summary->SetmmPrintPosition(30000);  // behind the last detail: on a page of its own
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    QString all;
    QStringList texts;
    for (const QString& p : pages) {
        all += p;
        texts << textsOf(p);
    }
    expectGolden(all, QStringLiteral("print_positions.pages"));
    EXPECT_EQ(texts, r.expectedTexts());
    EXPECT_TRUE(pages.back().startsWith(QStringLiteral("Page %1 of %1\n  Text 6350 31000 ").arg(pages.size())))
        << pages.back().toStdString();
    // On every page the first detail starts at 20 mm, or lower when a section header or
    // footer above it is already past that.
    int pagesAt20 = 0;
    for (const QString& page : pages) {
        const int at = int(page.indexOf(QLatin1String("\n  Text 16350 ")));
        if (at < 0) continue;
        const int top = page.mid(at + 1).section(u' ', 4, 4).toInt();
        EXPECT_GE(top, 20500) << page.toStdString();  // the text lies 0.5 mm into the band
        pagesAt20 += top == 20500;
    }
    EXPECT_GE(pagesAt20, 3);

    // A position at or below the available bottom stops the report.
    SectionReport wrong;
    wrong.report->GetSummaryBand()->SetmmPrintPosition(80000);
    try {
        wrong.request(TppPageSettingType::psAll);
        ADD_FAILURE() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), "PrintPosition exceeds available page space.");
    }
    EXPECT_FALSE(wrong.report->Engine()->Busy());
}

TEST_F(ReportTest, a_band_taller_than_the_room_between_header_and_footer_prints_on_a_page_of_its_own) {
    SectionReport r;
    auto* header = new TppHeaderBand(&r.form);
    header->SetName("ppHeaderBand1");
    header->SetReport(r.report);
    header->SetmmHeight(30000);
    place<TppLabel>(header, "ppHeading", 0, 1000, 5000, 60000)->SetCaption("Packages by section");
    auto* summary = r.report->GetSummaryBand();
    summary->SetmmHeight(60000);  // within the printable height, taller than the body
    place<TppLabel>(summary, "ppSummaryFoot", 0, 54000, 5000, 60000)->SetCaption("Summary foot");
    const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
    QStringList texts;
    for (const QString& p : pages) texts << textsOf(p).mid(1);  // without the page heading
    QStringList expected = r.expectedTexts();
    expected.insert(expected.size() - 1, "Summary foot");  // the grand total comes after it in z-order
    expected.move(expected.size() - 2, expected.size() - 1);
    EXPECT_EQ(texts, expected);
    // The summary starts right under the heading of its own page and runs past the body.
    EXPECT_TRUE(pages.back().contains(QStringLiteral("Text 6350 41000 60000 5000 \"All sections\"")));
    EXPECT_TRUE(pages.back().contains(QStringLiteral("Text 6350 94000 60000 5000 \"Summary foot\"")));
}

TEST_F(ReportTest, a_run_cancelled_in_a_moved_group_or_an_overflow_runs_again_like_a_straight_run) {
    const std::vector<std::pair<const char*, std::function<void(SectionReport&)>>> cases = {
        {"kept together", [](SectionReport& r) { r.section->SetKeepTogether(true); }},
        {"stretching summary", [](SectionReport& r) { StretchingSummary lists(r); }},
    };
    for (const auto& [name, setUp] : cases) {
        SCOPED_TRACE(name);
        SectionReport straightRun;
        setUp(straightRun);
        const std::vector<QString> straight = straightRun.request(TppPageSettingType::psAll);
        ASSERT_GE(straight.size(), 8u);
        for (int cancelAt : {7, int(straight.size()) - 2}) {
            SCOPED_TRACE(cancelAt);
            SectionReport r;
            setUp(r);
            int received = 0;
            r.report->OnPageReceived = [&](TppPage&) {
                if (++received == cancelAt) r.report->Engine()->SetCancelled(true);
            };
            r.request(TppPageSettingType::psAll);
            EXPECT_EQ(received, cancelAt);
            EXPECT_FALSE(r.report->Engine()->Busy());
            r.report->OnPageReceived = [&](TppPage& page) {
                r.dumps.push_back(dumpPage(r.report, page));
            };
            const std::vector<QString> again = r.request(TppPageSettingType::psAll);
            ASSERT_EQ(again.size(), straight.size());
            for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(body(again[i]), body(straight[i])) << i;
        }
    }
}

TEST_F(ReportTest, a_group_kept_together_moves_to_the_next_column_as_a_whole) {
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        SectionReport r;
        r.report->SetColumns(2);
        r.section->SetKeepTogether(keep);
        qobject_cast<TppComponent*>(r.report->FindComponentByName("ppCount"))->SetmmLeft(40000);
        qobject_cast<TppComponent*>(r.report->FindComponentByName("ppTotal"))->SetmmLeft(65000);
        const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
        QString all;
        QStringList texts;
        for (const QString& p : pages) {
            all += p;
            texts << textsOf(p);
        }
        if (keep) expectGolden(all, QStringLiteral("sections_kept_in_columns.pages"));
        EXPECT_EQ(texts, r.expectedTexts());  // column by column, in order, totals as SQL has them

        // The columns (page, left or right) each short section's packages are in.
        const int middle = r.report->PageDef()->mmMarginLeft() + r.report->mmColumnWidth();
        std::map<QString, QString> sectionOf;
        for (const QStringList& p : r.table.sql(R"(SELECT Package, Section FROM "Packages.DB")")) sectionOf[p[0]] = p[1];
        std::map<QString, std::set<std::pair<int, bool>>> columnsOf;
        for (size_t i = 0; i < pages.size(); ++i)
            for (const QString& line : pages[i].split(QLatin1Char('\n'))) {
                const QString text = textsOf(line + QLatin1Char('\n')).value(0);
                if (sectionOf.count(text)) columnsOf[sectionOf[text]].insert({int(i), line.section(u' ', 3, 3).toInt() >= middle});
            }
        const size_t interpreters = columnsOf.at("interpreters").size(), introspection = columnsOf.at("introspection").size();
        if (keep) {
            EXPECT_EQ(interpreters, 1u);
            EXPECT_EQ(introspection, 1u);
        } else {
            EXPECT_GT(interpreters + introspection, 2u);  // without it one of them breaks over a column
        }
    }
}


/// The columns a page dump's package texts are in: (page, column from 1) for each text.
static std::vector<std::pair<QString, std::pair<int, int>>> placedTexts(const std::vector<QString>& pages, int firstColumnRight) {
    std::vector<std::pair<QString, std::pair<int, int>>> out;
    for (size_t i = 0; i < pages.size(); ++i)
        for (const QString& line : pages[i].split(QLatin1Char('\n'))) {
            const QString text = textsOf(line + QLatin1Char('\n')).value(0);
            if (text.isEmpty()) continue;
            out.push_back({text, {int(i), line.section(u' ', 3, 3).toInt() >= firstColumnRight ? 2 : 1}});
        }
    return out;
}

TEST_F(ReportTest, groups_kept_together_in_columns_on_pages_of_any_height_each_move_once) {
    // Long pages: a section that does not fit below another moves to the next column, and
    // the one after it may then not fit there either; each must move on its own.
    for (int height : {150000, 200000, 230000, 279400}) {
        SCOPED_TRACE(height);
        SectionReport r;
        r.report->PageDef()->SetmmHeight(height);
        r.report->SetColumns(2);
        r.section->SetKeepTogether(true);
        qobject_cast<TppComponent*>(r.report->FindComponentByName("ppCount"))->SetmmLeft(40000);
        qobject_cast<TppComponent*>(r.report->FindComponentByName("ppTotal"))->SetmmLeft(65000);
        const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
        QStringList texts;
        for (const QString& p : pages) texts << textsOf(p);
        EXPECT_EQ(texts, r.expectedTexts());

        // A section that fits a column is in one column; one that does not starts at the
        // top of a column (its name is the column's first text).
        const int middle = r.report->PageDef()->mmMarginLeft() + r.report->mmColumnWidth();
        const auto placed = placedTexts(pages, middle);
        const int perColumn = (height - 20000 - 14000) / 6000;
        std::map<QString, QString> sectionOf;
        for (const QStringList& p : r.table.sql(R"(SELECT Package, Section FROM "Packages.DB")")) sectionOf[p[0]] = p[1];
        std::map<QString, std::set<std::pair<int, int>>> columnsOf;
        for (const auto& [text, at] : placed)
            if (sectionOf.count(text)) columnsOf[sectionOf[text]].insert(at);
        for (const QStringList& c : r.table.sql(R"(SELECT Section, COUNT(*) FROM "Packages.DB" GROUP BY Section)")) {
            SCOPED_TRACE(c[0].toStdString());
            if (c[1].toInt() <= perColumn) {
                EXPECT_EQ(columnsOf.at(c[0]).size(), 1u);
                continue;
            }
            size_t at = 0;
            while (placed[at].first != c[0]) ++at;
            EXPECT_TRUE(at == 0 || placed[at - 1].second != placed[at].second) << "starts after other texts in its column";
        }
    }
}

TEST_F(ReportTest, group_headers_repeat_at_the_top_of_later_columns_when_asked) {
    for (bool reprint : {false, true}) {
        SCOPED_TRACE(reprint);
        SectionReport r;
        r.report->SetColumns(2);
        r.section->SetReprintOnSubsequentColumn(reprint);
        qobject_cast<TppComponent*>(r.report->FindComponentByName("ppCount"))->SetmmLeft(40000);
        qobject_cast<TppComponent*>(r.report->FindComponentByName("ppTotal"))->SetmmLeft(65000);
        const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
        QString all;
        for (const QString& p : pages) all += p;
        if (reprint) expectGolden(all, QStringLiteral("sections_reprinted_in_columns.pages"));
        const int middle = r.report->PageDef()->mmMarginLeft() + r.report->mmColumnWidth();
        const auto placed = placedTexts(pages, middle);
        std::map<QString, QString> sectionOf;
        for (const QStringList& p : r.table.sql(R"(SELECT Package, Section FROM "Packages.DB")")) sectionOf[p[0]] = p[1];

        // Each column that continues a section's packages starts with the section's name when
        // the header repeats, and goes on where the column before stopped otherwise; leaving out
        // the repeats, the texts are those of the report, in order.
        const QStringList expected = r.expectedTexts();
        std::vector<QString> sectionAt;  // the section an expected text is inside of (not its header)
        QString current;
        for (const QString& t : expected) {
            const bool header = !sectionOf.count(t) && std::any_of(sectionOf.begin(), sectionOf.end(), [&](const auto& s) { return s.second == t; });
            if (header || t == "All sections") {
                sectionAt.push_back(QString());
                current = header ? t : QString();
            } else {
                sectionAt.push_back(current);
            }
        }
        int continued = 0;
        size_t next = 0;
        for (size_t i = 0; i < placed.size(); ++i) {
            const auto& [text, at] = placed[i];
            const bool columnTop = i > 0 && placed[i - 1].second != at;
            // (A column that starts with a section's footer starts a new group instance's
            // turn in this engine and repeats nothing, as a page does.)
            if (columnTop && next < size_t(expected.size()) && !sectionAt[next].isEmpty() && sectionOf.count(expected[next])) {
                ++continued;
                SCOPED_TRACE(QStringLiteral("column %1 of page %2").arg(at.second).arg(at.first + 1).toStdString());
                if (reprint) {
                    EXPECT_EQ(text, sectionAt[next]);
                    continue;  // the repeat
                }
            }
            ASSERT_LT(next, size_t(expected.size()));
            EXPECT_EQ(text, expected[next]) << i;
            ++next;
        }
        EXPECT_EQ(next, size_t(expected.size()));
        EXPECT_GE(continued, 4);
    }
}

TEST_F(ReportTest, a_report_in_columns_without_summary_ends_on_its_last_column) {
    // Pages of several heights, so that the report ends in the first column of its last
    // page on some and in the second on others.
    std::set<int> lastColumns;
    for (int height : {80000, 90000, 100000, 110000, 120000}) {
        SCOPED_TRACE(height);
        SectionReport r;
        r.report->PageDef()->SetmmHeight(height);
        r.report->SetColumns(2);
        delete r.report->GetSummaryBand();
        const std::vector<QString> pages = r.request(TppPageSettingType::psAll);
        QStringList texts;
        for (const QString& p : pages) {
            EXPECT_FALSE(textsOf(p).isEmpty()) << "an empty page " << p.toStdString();
            texts << textsOf(p);
        }
        QStringList expected = r.expectedTexts();
        expected.removeLast();
        expected.removeLast();  // no summary
        EXPECT_EQ(texts, expected);
        const int middle = r.report->PageDef()->mmMarginLeft() + r.report->mmColumnWidth();
        lastColumns.insert(placedTexts(pages, middle).back().second.second);
        EXPECT_EQ(r.report->Engine()->AbsolutePageCount(), int(pages.size()));
    }
    EXPECT_EQ(lastColumns, (std::set<int>{1, 2}));
}

TEST_F(ReportTest, a_detail_band_over_its_own_pipeline_prints_every_detail_record_of_each_master) {
    // Masters: the sections in the order of their first package, with "kernel" (no
    // packages) after the first; details: the packages, kept to their section by a link.
    PackagesTable table;
    std::vector<QVariantList> sectionRows;
    for (const QStringList& s : table.sql(R"(SELECT Section FROM "Packages.DB" GROUP BY Section ORDER BY MIN(No))")) {
        sectionRows.push_back({int(sectionRows.size()) + 1, s[0]});
        if (sectionRows.size() == 1) sectionRows.push_back({2, QStringLiteral("kernel")});
    }
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
    report->SetName("rptMasterDetail");
    report->SetDataPipeline(plSections);
    report->PageDef()->SetmmHeight(90000);
    report->PageDef()->SetmmMarginTop(10000);
    report->PageDef()->SetmmMarginBottom(10000);
    auto* detail = addBand<TppDetailBand>(report, "ppDetailBand1", 6000);
    detail->SetDataPipeline(plPackages);
    auto* name = place<TppDBText>(detail, "ppPackage", 10000, 500, 5000, 80000);
    name->SetDataPipeline(plPackages);
    name->SetDataField("Package");
    auto* group = new TppGroup(&form);
    group->SetName("ppSectionGroup");
    group->SetReport(report);
    group->SetDataPipeline(plSections);
    group->SetBreakName("Section");
    group->SetReprintOnSubsequentPage(false);
    group->HeaderBand()->SetmmHeight(7000);
    auto* sectionName = place<TppDBText>(group->HeaderBand(), "ppSection", 0, 1000, 5000, 60000);
    sectionName->SetDataPipeline(plSections);
    sectionName->SetDataField("Section");
    group->FooterBand()->SetmmHeight(7000);
    auto* count = place<TppDBCalc>(group->FooterBand(), "ppCount", 70000, 1000, 5000, 20000);
    count->SetDataPipeline(plPackages);
    count->SetDataField("Package");
    count->SetDBCalcType(TppDBCalcType::dcCount);
    count->SetResetGroup(group);
    std::vector<QString> dumps;
    report->OnPageReceived = [&](TppPage& page) { dumps.push_back(dumpPage(report, page)); };

    requestPages(report, TppPageSettingType::psAll);
    const std::vector<QString> pages = dumps;
    QStringList texts;
    for (const QString& p : pages) texts << textsOf(p);
    // Every package of each section once, in index order, and the count of them; the
    // section without packages is passed over.
    QStringList expected;
    for (const QStringList& s : table.sql(R"(SELECT Section, COUNT(*) FROM "Packages.DB" GROUP BY Section ORDER BY MIN(No))")) {
        expected << s[0];
        const QByteArray sql = QStringLiteral(R"(SELECT Package FROM "Packages.DB" WHERE Section = '%1' ORDER BY No)").arg(s[0]).toUtf8();
        for (const QStringList& p : table.sql(sql.constData())) expected << p[0];
        expected << s[1];
    }
    EXPECT_EQ(texts, expected);

    // Pages asked for again, in any order, are those of the straight run.
    const int pageCount = int(pages.size());
    ASSERT_GE(pageCount, 4);
    for (int page : {pageCount, 2, pageCount - 1, 1, 3}) {
        SCOPED_TRACE(page);
        dumps.clear();
        requestPages(report, TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(dumps.size(), 1u);
        EXPECT_EQ(body(dumps.front()), body(pages[size_t(page - 1)]));
    }
    delete report;
}

#include "engine_layout_test.moc"
