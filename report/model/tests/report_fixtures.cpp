#include "report/model/tests/report_fixtures.h"

#include "report/model/engine.h"
#include "report/model/page_dump.h"
#include "report/model/tests/pipeline_fixture.h"

#include "platform/db/field.h"

#include <QFile>
#include "test_paths.h"

namespace reporttest {

QString dumpPage(TppReport* report, const TppPage& page) {
    return report::DumpPage(page, static_cast<TppEngine*>(report->Engine())->PageCountKnown());
}

void requestPages(TppReport* report, TppPageSettingType setting, int page, const QStringList& list) {
    TppPageRequest request;
    request.SetPageSetting(setting);
    request.SetPageRequested(page);
    request.SetPageList(list);
    report->RequestPages(&request);
}

QString body(const QString& dump) { return dump.mid(dump.indexOf(QLatin1Char('\n'))); }

QStringList textsOf(const QString& dump) {
    QStringList texts;
    for (const QString& line : dump.split(QLatin1Char('\n'))) {
        const int q = int(line.indexOf(QLatin1Char('"')));
        if (line.startsWith(QLatin1String("  Text")) && q >= 0)
            texts << line.mid(q + 1, line.indexOf(QLatin1Char('"'), q + 1) - q - 1);
    }
    return texts;
}

void expectGolden(const QString& text, const QString& name) {
    const QString path = QStringLiteral(TEST_DATA_DIR "/") + name;
    if (qEnvironmentVariableIsSet("DOSSARA_UPDATE_GOLDEN")) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.toUtf8());
        return;
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(text, QString::fromUtf8(in.readAll()));
}

QStringList sqlColumn(const QString& file, const QString& query) {
    QStringList column;
    for (const QStringList& row : pipeline_test::SqlRows(file, query)) column << row.value(0);
    return column;
}

std::vector<QStringList> packageRows() {
    QFile f(QStringLiteral(TEST_DATA_DIR "/packages.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    std::vector<QStringList> rows;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty()) rows.push_back(QString::fromUtf8(line).split(QLatin1Char('\t')));
    return rows;
}

PackagesTable::PackagesTable(bool withRows) {
    std::vector<QVariantList> rows;
    if (withRows)
        for (const QStringList& cols : packageRows()) {
            rows.push_back({int(rows.size()) + 1, cols[0], cols[1], cols[2].toInt()});
            sizeOf[cols[1]] = cols[2].toInt();
        }
    db::TableDef def;
    def.Fields = {{"No", db::FieldType::ftInteger, 0, true},
                  {"Section", db::FieldType::ftString, 20, false},
                  {"Package", db::FieldType::ftString, 60, false},
                  {"Size", db::FieldType::ftInteger, 0, false}};
    def.Indexes = {{"", "No", db::IndexOption::ixPrimary}, {"BySection", "Section;No", {}}};
    pipeline_test::MakeTable(dir.path(), "Packages.DB", def, rows);
}

std::vector<QStringList> PackagesTable::sql(const QString& query) const { return pipeline_test::SqlRows(file(), query); }

}  // namespace reporttest
