#pragma once

// The report the Groups and Print to File Setup tests work on: Pkgs.DB, the package list kept
// with the report model's test data with each package's initial letter beside its section,
// read through a pipeline in either nesting order, and the SQL that answers the same
// questions over the same file.

#include "designer_fixture.h"
#include "report/model/page_dump.h"
#include "report/page/page.h"

#include <sqlite3.h>

#include <vector>

namespace designertest {

/// Pkgs.DB: No, Section, Initial (the package's first letter), Package, Size; indexes by
/// section then initial, and by initial then section.
inline void makeGroupedTable(const QString& folder) {
    db::TableDef def;
    def.Fields = {{"No", db::FieldType::ftInteger, 0, true},
                  {"Section", db::FieldType::ftString, 20, false},
                  {"Initial", db::FieldType::ftString, 1, false},
                  {"Package", db::FieldType::ftString, 60, false},
                  {"Size", db::FieldType::ftInteger, 0, false}};
    def.Indexes = {{"", "No", db::IndexOption::ixPrimary},
                   {"BySection", "Section;Initial;No", {}},
                   {"ByInitial", "Initial;Section;No", {}}};
    db::CreateTableFile(folder, QStringLiteral("Pkgs.DB"), def, true);
    QFile f(QStringLiteral(MODEL_TEST_DATA_DIR "/packages.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(QStringLiteral("Pkgs.DB"));
    t.Open();
    t.StartBatch();
    int no = 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.isEmpty()) continue;
        const QStringList cols = QString::fromUtf8(line).split(QLatin1Char('\t'));
        t.Append();
        t.Fields(0)->SetValue(++no);
        t.Fields(1)->SetValue(cols.at(0));
        t.Fields(2)->SetValue(cols.at(1).left(1));
        t.Fields(3)->SetValue(cols.at(1));
        t.Fields(4)->SetValue(cols.at(2).toInt());
        t.Post();
    }
    t.EndBatch(true);
}

/// Rows of a query over a table file (each column as text).
inline std::vector<QStringList> SqlRows(const QString& file, const QString& query) {
    std::vector<QStringList> rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
        rows.push_back(row);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

/// A report over Pkgs.DB: Package, Size and Section texts in the detail band; groups by
/// Section (outer) and by Initial (inner), each header holding the section text (width
/// kSectionWidth) and the initial text (width kInitialWidth). Headers do not reprint.
struct GroupedReport {
    static constexpr int kSectionWidth = 30001;
    static constexpr int kInitialWidth = 30002;

    GroupedReport() {
        makeGroupedTable(dir.path());
        table.SetDatabaseName(dir.path());
        table.SetTableName(QStringLiteral("Pkgs.DB"));
        table.SetIndexName(QStringLiteral("BySection"));
        table.Open();  // live data, as the designer shows it: the pipeline lists its fields
        source.setObjectName(QStringLiteral("dsPkgs"));
        source.SetDataSet(&table);
        pipeline->SetName(QStringLiteral("plPkgs"));
        pipeline->SetUserName(QStringLiteral("Pkgs"));
        pipeline->SetDataSource(&source);
        report->SetName(QStringLiteral("rptPkgs"));
        report->SetDataPipeline(pipeline);
        detail = new TppDetailBand(&form);
        detail->SetName(QStringLiteral("ppDetailBand1"));
        detail->SetReport(report);
        detail->SetmmHeight(5080);
        package = field(detail, QStringLiteral("ppPackage"), QStringLiteral("Package"), 0, 50800);
        size = field(detail, QStringLiteral("ppSize"), QStringLiteral("Size"), 55000, 20000);
        sectionText = field(detail, QStringLiteral("ppSectionText"), QStringLiteral("Section"), 80000, 30000);
        section = group(QStringLiteral("ppSectionGroup"), QStringLiteral("Section"));
        initial = group(QStringLiteral("ppInitialGroup"), QStringLiteral("Initial"));
    }
    ~GroupedReport() { delete report; }

    TppDBText* field(TppBand* band, const QString& name, const QString& fieldName, int left, int width) {
        auto* t = place<TppDBText>(band, name, left, 0, width, 4233);
        t->SetDataPipeline(pipeline);
        t->SetDataField(fieldName);
        return t;
    }

    TppGroup* group(const QString& name, const QString& breakName) {
        auto* g = new TppGroup(&form);
        g->SetName(name);
        g->SetReport(report);
        g->SetDataPipeline(pipeline);
        g->SetBreakName(breakName);
        g->SetReprintOnSubsequentPage(false);
        g->HeaderBand()->SetName(name + QStringLiteral("Header"));
        g->HeaderBand()->SetmmHeight(5080);
        field(g->HeaderBand(), name + QStringLiteral("Section"), QStringLiteral("Section"), 0, kSectionWidth);
        field(g->HeaderBand(), name + QStringLiteral("Initial"), QStringLiteral("Initial"), 40000, kInitialWidth);
        g->FooterBand()->SetName(name + QStringLiteral("Footer"));
        return g;
    }

    /// Every page of the report as its canonical text.
    std::vector<QString> pages() {
        std::vector<QString> dumps;
        report->OnPageReceived = [&](TppPage& page) { dumps.push_back(report::DumpPage(page)); };
        TppPageRequest request;
        request.SetPageSetting(TppPageSettingType::psAll);
        report->RequestPages(&request);
        report->OnPageReceived = {};
        return dumps;
    }

    QString file() const { return dir.filePath(QStringLiteral("Pkgs.DB")); }

    QTemporaryDir dir;
    db::Table table;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = new TppDBPipeline(&form);
    TppReport* report = new TppReport(&form);
    TppDetailBand* detail = nullptr;
    TppDBText* package = nullptr;
    TppDBText* size = nullptr;
    TppDBText* sectionText = nullptr;
    TppGroup* section = nullptr;
    TppGroup* initial = nullptr;
};

/// The texts of a page dump whose width is aWidth, in drawing order.
inline QStringList textsOfWidth(const QString& aDump, int aWidth) {
    QStringList texts;
    for (const QString& line : aDump.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.startsWith(QLatin1String("Text "))) continue;
        const QStringList parts = trimmed.split(QLatin1Char(' '));
        if (parts.size() < 6 || parts.at(3).toInt() != aWidth) continue;
        const int q = int(trimmed.indexOf(QLatin1Char('"')));
        texts << trimmed.mid(q + 1, trimmed.indexOf(QLatin1Char('"'), q + 1) - q - 1);
    }
    return texts;
}

}  // namespace designertest
