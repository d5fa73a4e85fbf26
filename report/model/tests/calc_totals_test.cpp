// Calculations over a table of dates and numbers, per group, per column and per page,
// checked against SQL over the same table file.

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/group.h"
#include "report/model/tests/pipeline_fixture.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"

#include "platform/base/day_time.h"
#include "platform/db/data_source.h"

#include <QRegularExpression>
#include "test_paths.h"

using namespace reporttest;

namespace {

/// Debian's releases: code name, version, release date and decade, from the test data.
std::vector<QVariantList> releaseRows() {
    QFile f(QStringLiteral(TEST_DATA_DIR "/releases.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    std::vector<QVariantList> rows;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> c = line.split('\t');
        if (c.size() != 4) continue;
        rows.push_back({QDate::fromString(QString::fromUtf8(c[2]), Qt::ISODate), QString::fromUtf8(c[0]), c[1].toDouble(),
                        QString::fromUtf8(c[3])});
    }
    return rows;
}

/// One text of a page dump: where it stands and how wide its component is.
struct Placed {
    int left = 0;
    int width = 0;
    QString text;
};

std::vector<Placed> placedTexts(const QString& dump) {
    static const QRegularExpression line(QStringLiteral("^  Text (\\d+) \\d+ (\\d+) \\d+ \"([^\"]*)\""));
    std::vector<Placed> out;
    for (const QString& l : dump.split(u'\n')) {
        const auto m = line.match(l);
        if (m.hasMatch()) out.push_back({m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3)});
    }
    return out;
}

// Components are told apart in the dump by their widths.
constexpr int kCodename = 40000, kColumnHead = 30001, kColumnFoot = 30002, kPageFoot = 30003;
constexpr int kMinDate = 24001, kMaxDate = 24002, kSumDate = 24003, kSumVersion = 24004;

}  // namespace

TEST_F(ReportTest, minimum_maximum_and_sum_over_dates_and_numbers_per_group_column_and_page_equal_sql) {
    QTemporaryDir dir;
    db::TableDef def;
    def.Fields = {{"Released", db::FieldType::ftDate, 0, true},
                  {"Codename", db::FieldType::ftString, 20, false},
                  {"Version", db::FieldType::ftFloat, 0, false},
                  {"Era", db::FieldType::ftString, 10, false}};
    def.Indexes = {{"", "Released", db::IndexOption::ixPrimary}};
    pipeline_test::MakeTable(dir.path(), "Releases.DB", def, releaseRows());
    const QString file = QDir(dir.path()).filePath("Releases.DB");
    db::Table table;
    table.SetDatabaseName(dir.path());
    table.SetTableName("Releases.DB");
    table.Open();
    db::DataSource source;
    source.SetDataSet(&table);

    TComponent form;
    auto* releases = new TppDBPipeline(&form);
    releases->SetName("plReleases");
    releases->SetDataSource(&source);
    auto* report = new TppReport(&form);
    report->SetDataPipeline(releases);
    report->SetColumns(2);
    const auto calc = [&](TppBand* band, const char* name, int left, int width, const char* field, TppDBCalcType type,
                          const char* format) {
        auto* c = place<TppDBCalc>(band, name, left, 500, 5000, width);
        c->SetDataPipeline(releases);
        c->SetDataField(field);
        c->SetDBCalcType(type);
        c->SetDisplayFormat(format);
        return c;
    };
    auto* columnHead = addBand<TppColumnHeaderBand>(report, "ppColumnHeaderBand1", 8000);
    calc(columnHead, "ppColumnVersions", 0, kColumnHead, "Version", TppDBCalcType::dcSum, "0.0")->SetLookAhead(true);
    auto* detail = addBand<TppDetailBand>(report, "ppDetailBand1", 30000);
    auto* name = place<TppDBText>(detail, "ppCodename", 0, 500, 5000, kCodename);
    name->SetDataPipeline(releases);
    name->SetDataField("Codename");
    auto* columnFoot = addBand<TppColumnFooterBand>(report, "ppColumnFooterBand1", 8000);
    calc(columnFoot, "ppColumnTotal", 0, kColumnFoot, "Version", TppDBCalcType::dcSum, "0.0");
    auto* footer = addBand<TppFooterBand>(report, "ppFooterBand1", 8000);
    calc(footer, "ppLatest", 0, kPageFoot, "Released", TppDBCalcType::dcMaximum, "yyyy-mm-dd");
    auto* era = new TppGroup(&form);
    era->SetName("ppEra");
    era->SetReport(report);
    era->SetDataPipeline(releases);
    era->SetBreakName("Era");
    era->FooterBand()->SetmmHeight(10000);
    calc(era->FooterBand(), "ppFirst", 0, kMinDate, "Released", TppDBCalcType::dcMinimum, "yyyy-mm-dd")->SetResetGroup(era);
    calc(era->FooterBand(), "ppLast", 25000, kMaxDate, "Released", TppDBCalcType::dcMaximum, "yyyy-mm-dd")->SetResetGroup(era);
    calc(era->FooterBand(), "ppDays", 50000, kSumDate, "Released", TppDBCalcType::dcSum, "yyyy-mm-dd")->SetResetGroup(era);
    calc(era->FooterBand(), "ppVersions", 75000, kSumVersion, "Version", TppDBCalcType::dcSum, "0.0")->SetResetGroup(era);
    report->SetPassSetting(TppPassSettingType::psTwoPass);

    std::vector<QString> pages;
    report->OnPageReceived = [&](TppPage& page) { pages.push_back(dumpPage(report, page)); };
    requestPages(report, TppPageSettingType::psAll);
    ASSERT_GE(pages.size(), 2u);

    const auto day = [](const QString& days) { return base::DaysToDate(days.toDouble()).toString("yyyy-MM-dd"); };
    const auto version = [](const QString& v) { return QString::number(v.toDouble(), 'f', 1); };
    const auto upTo = [&](const QString& codename, const char* what) {
        return pipeline_test::SqlRows(file, QStringLiteral("SELECT %1 FROM \"Releases.DB\" WHERE Released <= (SELECT Released "
                                                           "FROM \"Releases.DB\" WHERE Codename = '%2')")
                                                .arg(QLatin1String(what), codename))
            .at(0)
            .at(0);
    };

    // Per group: the first, last and summed dates and the summed versions of each decade.
    std::vector<QStringList> groups;
    for (const QString& page : pages)
        for (const Placed& p : placedTexts(page))
            if (p.width == kMinDate) groups.push_back({p.text});
            else if (p.width >= kMaxDate && p.width <= kSumVersion && !groups.empty()) groups.back() << p.text;
    const auto sql = pipeline_test::SqlRows(
        file, "SELECT MIN(Released), MAX(Released), SUM(Released), SUM(Version) FROM \"Releases.DB\" GROUP BY Era ORDER BY Era");
    ASSERT_EQ(groups.size(), sql.size());
    for (size_t i = 0; i < sql.size(); ++i)
        EXPECT_EQ(groups[i], QStringList({day(sql[i][0]), day(sql[i][1]), day(sql[i][2]), version(sql[i][3])})) << i;

    // Per column: the look-ahead total at the head of each column is the total its foot shows
    // (not the last column's of the page). Per page: the latest date so far, at the foot.
    // (A calculation at a column's or page's foot also counts the record read before the
    // break; the check allows for that one record.)
    const int secondColumn = 6350 + report->mmColumnWidth();
    int columnsSeen = 0;
    for (const QString& page : pages) {
        QString lastOnPage;
        for (int column = 0; column < 2; ++column) {
            QString head, foot, last;
            for (const Placed& p : placedTexts(page)) {
                if ((p.left >= secondColumn) != (column == 1)) continue;
                if (p.width == kColumnHead) head = p.text;
                if (p.width == kColumnFoot) foot = p.text;
                if (p.width == kCodename) last = p.text;
            }
            if (last.isEmpty()) continue;
            ++columnsSeen;
            SCOPED_TRACE(last.toStdString());
            EXPECT_EQ(head, foot);
            EXPECT_GE(foot.toDouble(), version(upTo(last, "SUM(Version)")).toDouble());
            lastOnPage = last;
        }
        QString latest;
        for (const Placed& p : placedTexts(page))
            if (p.width == kPageFoot) latest = p.text;
        EXPECT_GE(latest, day(upTo(lastOnPage, "MAX(Released)")));
    }
    EXPECT_GE(columnsSeen, 3);
}

TEST_F(ReportTest, blank_when_zero_blanks_zero_numbers_and_the_zero_date_time_only) {
    struct Case {
        QVariant value;
        bool blank;
    };
    const QDate zeroDay(1899, 12, 30);
    const Case cases[] = {
        {0, true},
        {0.0, true},
        {zeroDay, true},
        {QDateTime(zeroDay, QTime(0, 0)), true},
        {QTime(0, 0), true},
        {zeroDay.addDays(1), false},
        {QDateTime(zeroDay, QTime(6, 0)), false},
        {QTime(0, 0, 1), false},
        {0.5, false},
        {QStringLiteral("0"), false},  // a text is never blanked
    };
    TComponent form;
    auto* report = new TppReport(&form);
    auto* pipeline = new TppTestPipeline(&form);
    auto* text = place<TppDBText>(addBand<TppDetailBand>(report, "ppDetailBand1", 6000), "ppValue", 0, 0, 5000, 30000);
    text->SetDataPipeline(pipeline);
    text->SetDataField("Amount");
    text->SetBlankWhenZero(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toString().toStdString());
        pipeline->values["Amount"] = c.value;
        EXPECT_EQ(text->GetText().isEmpty(), c.blank) << text->GetText().toStdString();
    }
}
