// Memos wrapping their text and continuing on the following pages: every line printed once,
// in order, the rest of the band not printed again, and pages generated again from the page
// cache equal to the straight run.

#include "report/model/memo.h"

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/engine.h"
#include "report/model/report.h"
#include "report/model/tests/pipeline_fixture.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"
#include "report/model/text_layout.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"

#include "platform/db/data_source.h"

#include <QFile>

#include <sqlite3.h>
#include "test_paths.h"

using namespace reporttest;

namespace {

QString readText(const QString& name) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll());
}

/// The lines of a whole text wrapped at once, without a height limit.
QStringList wrapWhole(const QString& text, const TppCustomMemo& memo) {
    QStringList lines;
    int pos = 0;
    ppWordWrap(text, QRect(0, 0, memo.mmWidth(), 100000000), *memo.Font(), memo.mmLeading(), false, lines,
               nullptr, nullptr, pos, memo.CharWrap());
    return lines;
}

/// A report's pages as dumps and as the draw commands of its memos (per page).
struct Pages {
    std::vector<QString> dumps;
    std::vector<std::vector<QStringList>> memoLines;  ///< per page, per memo command
    std::vector<QStringList> texts;                   ///< per page, the plain texts

    void take(TppReport* report, TppPage& page) {
        dumps.push_back(dumpPage(report, page));
        std::vector<QStringList> memos;
        QStringList plain;
        for (int i = 0; i < page.GetDrawCommandCount(); ++i) {
            auto* t = qobject_cast<TppDrawText*>(page.GetDrawCommand(i));
            if (!t) continue;
            if (t->IsMemo())
                memos.push_back(t->WrappedText());
            else
                plain << t->Text();
        }
        memoLines.push_back(memos);
        texts.push_back(plain);
    }
};

std::vector<QString> request(TppReport* report, Pages& pages, TppPageSettingType setting, int page = 0) {
    pages = {};
    report->OnPageReceived = [&](TppPage& p) { pages.take(report, p); };
    requestPages(report, setting, page);
    return pages.dumps;
}

TEST_F(ReportTest, a_stretching_memo_continues_on_the_next_pages_with_nothing_lost_or_doubled) {
    TComponent form;
    auto* report = new TppReport(&form);
    report->SetName("rptLicence");
    auto* header = new TppHeaderBand(&form);
    header->SetReport(report);
    header->SetmmHeight(8000);
    place<TppLabel>(header, "ppHeading", 0, 0, 5000, 80000)->SetCaption("Licence text");
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(30000);
    place<TppLabel>(detail, "ppIntro", 0, 0, 5000, 80000)->SetCaption("The licence as installed:");
    auto* memo = place<TppMemo>(detail, "ppLicence", 0, 8000, 20000, 120000);
    memo->SetStretch(true);
    memo->SetmmLeading(1000);
    memo->SetmmOverFlowOffset(2000);
    const QString text = readText("gpl3_opening.txt");
    memo->SetText(text);
    EXPECT_EQ(detail->PrintHeight(), TppPrintHeightType::phDynamic);
    auto* footer = new TppFooterBand(&form);
    footer->SetReport(report);
    footer->SetmmHeight(8000);
    place<TppLabel>(footer, "ppFooterText", 0, 1000, 5000, 60000)->SetCaption("End of page");

    Pages pages;
    const std::vector<QString> dumps = request(report, pages, TppPageSettingType::psAll);
    ASSERT_GE(dumps.size(), 2u) << (dumps.empty() ? std::string() : dumps.front().toStdString());
    QString all;
    for (const QString& d : dumps) all += d;
    expectGolden(all, QStringLiteral("memo_across_pages.pages"));

    // Every line once, in order; the rest of the band printed only on the first page.
    QStringList printed;
    for (const auto& page : pages.memoLines)
        for (const QStringList& lines : page) printed << lines;
    QString joined = text;
    joined.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (joined.endsWith(QLatin1Char('\n'))) joined.chop(1);
    EXPECT_EQ(printed, wrapWhole(joined, *memo));
    for (size_t p = 0; p < pages.texts.size(); ++p)
        EXPECT_EQ(pages.texts[p].count(QStringLiteral("The licence as installed:")), p == 0 ? 1 : 0) << p;
    // A continued part starts at the band's top plus the overflow offset.
    EXPECT_NE(dumps[1].indexOf(QStringLiteral("Text 6350 16350 120000")), -1) << dumps[1].toStdString();

    // Pages generated again from the cache continue the memo where it stood.
    const int count = int(dumps.size());
    for (int page : {2, count, 1}) {
        SCOPED_TRACE(page);
        Pages one;
        const std::vector<QString> again = request(report, one, TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(body(again.front()), body(dumps[size_t(page - 1)]));
    }
    delete report;
}

TEST_F(ReportTest, data_memos_over_a_table_print_each_record_text_once) {
    pipeline_test::CatalogueDatabase database;
    std::unique_ptr<db::Table> orders = database.OpenTable("Orders.DB");
    orders->Close();
    db::DataSource source;
    source.SetDataSet(orders.get());
    TComponent form;
    auto* pipeline = new TppDBPipeline(&form);
    pipeline->SetName("plOrders");
    pipeline->SetDataSource(&source);
    auto* report = new TppReport(&form);
    report->SetDataPipeline(pipeline);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(14000);
    auto* name = place<TppDBText>(detail, "ppPackage", 0, 0, 5000, 60000);
    name->SetDataPipeline(pipeline);
    name->SetDataField("Package");
    auto* notes = place<TppDBMemo>(detail, "ppNotes", 10000, 6000, 5000, 100000);
    notes->SetDataPipeline(pipeline);
    notes->SetDataField("Notes");
    notes->SetStretch(true);

    Pages pages;
    const std::vector<QString> dumps = request(report, pages, TppPageSettingType::psAll);
    ASSERT_GE(dumps.size(), 3u);

    // The expected texts straight from the table file.
    QStringList expectedNames, expectedLines;
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2((database.Folder() + "/Orders.DB").toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT Package, Notes FROM \"Orders.DB\" ORDER BY OrderNo", -1, &st, nullptr), SQLITE_OK);
    while (sqlite3_step(st) == SQLITE_ROW) {
        expectedNames << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        expectedLines << wrapWhole(text, *notes);
    }
    sqlite3_finalize(st);
    sqlite3_close(raw);

    QStringList names, lines;
    int continued = 0;
    for (size_t p = 0; p < pages.texts.size(); ++p) {
        names << pages.texts[p];
        for (const QStringList& l : pages.memoLines[p]) lines << l;
        // A page that starts inside a record's text begins with its memo, not with a name.
        if (p > 0 && !pages.memoLines[p].empty() && dumps[p].indexOf(QStringLiteral("Text 6350 6350 ")) < 0) ++continued;
    }
    EXPECT_EQ(names, expectedNames);
    EXPECT_EQ(lines, expectedLines);
    EXPECT_GT(continued, 0);  // some record's text did run across a page break
    delete report;
}

TEST_F(ReportTest, a_memo_that_does_not_stretch_prints_what_fits_its_height_once) {
    TComponent form;
    auto* report = new TppReport(&form);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(60000);
    auto* memo = place<TppMemo>(detail, "ppOpening", 0, 0, 20000, 150000);
    QStringList ten = readText("gpl3_opening.txt").split(QLatin1Char('\n')).mid(0, 10);
    memo->SetLines(ten);
    memo->SetmmHeight(memo->LineHeight() * 4 + memo->LineHeight() / 2);
    Pages pages;
    request(report, pages, TppPageSettingType::psAll);
    ASSERT_EQ(pages.memoLines.size(), 1u);
    ASSERT_EQ(pages.memoLines[0].size(), 1u);
    EXPECT_EQ(pages.memoLines[0][0], ten.mid(0, 4));
    EXPECT_FALSE(memo->OverFlow());

    // Leading adds to every line; a data memo with AutoDisplay off keeps its lines.
    const int plain = memo->LineHeight();
    memo->SetmmLeading(1000);
    EXPECT_NEAR(memo->LineHeight(), plain + 1000, 300);
    auto* data = place<TppDBMemo>(detail, "ppKept", 0, 30000, 10000, 150000);
    data->SetAutoDisplay(false);
    data->SetLines({QStringLiteral("kept as it is")});
    EXPECT_EQ(data->GetLines(), QStringList{QStringLiteral("kept as it is")});
    delete report;
}

TEST_F(ReportTest, a_memo_whose_line_is_taller_than_the_page_ends_the_run) {
    TComponent form;
    auto* report = new TppReport(&form);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(20000);
    auto* memo = place<TppMemo>(detail, "ppHuge", 0, 0, 10000, 150000);
    memo->SetStretch(true);
    memo->Font()->SetSize(900);
    memo->SetLines({QStringLiteral("GNU"), QStringLiteral("GPL")});
    Pages pages;
    request(report, pages, TppPageSettingType::psAll);
    EXPECT_LE(pages.dumps.size(), 2u);
    // The run says what it could not place.
    ASSERT_EQ(report->Engine()->Warnings().size(), 1) << report->Engine()->Warnings().join(u'\n').toStdString();
    EXPECT_TRUE(report->Engine()->Warnings().front().contains(QStringLiteral("ppHuge")))
        << report->Engine()->Warnings().front().toStdString();
    delete report;
}

TEST_F(ReportTest, a_memo_narrower_than_one_character_says_what_it_could_not_place) {
    for (bool charWrap : {false, true}) {
        SCOPED_TRACE(charWrap);
        TComponent form;
        auto* report = new TppReport(&form);
        auto* detail = new TppDetailBand(&form);
        detail->SetReport(report);
        detail->SetmmHeight(20000);
        auto* memo = place<TppMemo>(detail, "ppNarrow", 0, 0, 10000, 500);  // half a millimetre
        memo->SetStretch(true);
        memo->SetCharWrap(charWrap);
        memo->SetLines({QStringLiteral("GNU"), QStringLiteral("GPL")});
        Pages pages;
        request(report, pages, TppPageSettingType::psAll);
        QStringList printed;
        for (const auto& page : pages.memoLines)
            for (const QStringList& lines : page) printed << lines;
        // Either the lines are printed (cut at the memo's edge) or the run names the memo.
        if (printed.join(QString()).remove(u' ') != QStringLiteral("GNUGPL")) {
            ASSERT_FALSE(report->Engine()->Warnings().isEmpty()) << printed.join(u'|').toStdString();
            EXPECT_TRUE(report->Engine()->Warnings().front().contains(QStringLiteral("ppNarrow")));
        }
        delete report;
    }
}

}  // namespace
