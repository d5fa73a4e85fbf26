// A report whose data is a query view, built in code over a folder of tables (the tree and
// a View joined on NodeID, a criterion, an auto-search criterion holding quotes, a SUM with
// GROUP BY), saved in binary and text and printed by report-run to the report text device:
// the records equal the golden file and the rows Python's sqlite3 gives for hand-written
// SQL on the same files.

#include "report/data/data_texts.h"
#include "report/data/data_view.h"
#include "report/data/engine_plugin.h"
#include "report/model/band_classes.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/report_template.h"
#include "report/model/text_components.h"
#include "report/output/producer.h"

#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include "test_paths.h"

namespace {

using db::FieldType;

struct Package {
    int nodeId;
    const char* name;
    const char* maintainer;
    int installedSize;
};
// Packages of Debian's catalogue in the branches of a tree; two maintainers differ only by
// the quotes of a nickname.
const Package kPackages[] = {
    {1, "bash", "Matthias Klose", 7164},
    {1, "dash", "Dan O'Brien \"x\"", 215},
    {1, "zsh", "Dan O'Brien \"x\"", 60},
    {2, "coreutils", "Dan O'Brien \"x\"", 18062},
    {2, "findutils", "Dan O'Brien", 1900},
    {3, "libc6", "Dan O'Brien \"x\"", 12988},
    {3, "libzip4", "Dan O'Brien \"x\"", 142},
    {3, "liblz4-1", "Dan O'Brien", 160},
    {4, "python3-apt", "APT Development Team", 792},
};
const char* const kBranches[] = {"Shells", "Core utilities", "Libraries", "Python modules"};
const char* const kSearchValue = "Dan O'Brien \"x\"";

QStringList records(const QString& aFile) {
    QFile f(aFile);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << aFile.toStdString();
    QStringList lines;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n")))
        if (!line.trimmed().isEmpty()) lines << line.simplified();
    return lines;
}

class QueryReportRun : public ::testing::Test {
protected:
    void SetUp() override {
        report::InitializeOutputUnit();
        report::data::InitializeDataUnit();
        report::RegisterReportClasses();
        report::RegisterPipelineClasses();
        ASSERT_TRUE(Dir.isValid());
        Data = Dir.filePath("data");
        QDir().mkpath(Data);
        db::CreateTableFile(Data, "Hierarchy.db",
                            {{{"NodeID", FieldType::ftInteger, 0, true}, {"NodeName", FieldType::ftString, 60, false}},
                             {}});
        db::CreateTableFile(Data, "Packages.db",
                            {{{"NodeID", FieldType::ftInteger, 0, false},
                              {"Package", FieldType::ftString, 60, false},
                              {"Maintainer", FieldType::ftString, 60, false},
                              {"InstalledSize", FieldType::ftInteger, 0, false}},
                             {}});
        db::Table tree, packages;
        for (db::Table* t : {&tree, &packages}) t->SetDatabaseName(Data);
        tree.SetTableName("Hierarchy.db");
        packages.SetTableName("Packages.db");
        tree.Open();
        packages.Open();
        for (int i = 0; i < 4; ++i) {
            tree.Append();
            tree.FieldByName("NodeID")->SetAsInteger(i + 1);
            tree.FieldByName("NodeName")->SetAsString(kBranches[i]);
            tree.Post();
        }
        for (const Package& p : kPackages) {
            packages.Append();
            packages.FieldByName("NodeID")->SetAsInteger(p.nodeId);
            packages.FieldByName("Package")->SetAsString(p.name);
            packages.FieldByName("Maintainer")->SetAsString(p.maintainer);
            packages.FieldByName("InstalledSize")->SetAsInteger(p.installedSize);
            packages.Post();
        }
    }

    /// The report: a query view of the report database, one detail band printing the branch
    /// and the sum of its sizes.
    void buildReport(TComponent& aForm, TppReport*& aReport) {
        db::Database database;
        database.SetDatabaseName("ReportDB");
        database.SetDirectory(Data);
        database.Open();
        aReport = new TppReport(&aForm);
        aReport->SetName("Report");
        auto* module = TppReportModule::CreateForReport<TdaDataModule>(aReport);
        auto* view = new TdaBDEQueryDataView(&aForm);
        view->SetParent(module);
        view->SetReport(aReport);
        TdaSQL* sql = view->SQL();
        sql->SetDatabaseName("ReportDB");
        sql->SetDatabaseType(TppDatabaseType::dtParadox);
        sql->SetSQLType(TppSQLType::sqBDELocal);
        view->CreateDataPipelines();
        auto table = [&](const QString& aName) {
            const QList<TdaTable*>& list = sql->UnselectedTables();
            for (int i = 0; i < list.size(); ++i)
                if (list[i]->TableName() == aName) return i;
            return -1;
        };
        auto field = [](const QList<TdaField*>& aList, const QString& aName) {
            for (int i = 0; i < aList.size(); ++i)
                if (aList[i]->FieldName() == aName) return i;
            return -1;
        };
        sql->SelectTable(table("Hierarchy.db"), -1);
        TdaTable* packages = sql->UnselectedTables().value(table("Packages.db"));
        sql->SelectTable(table("Packages.db"), sql->GetJoinTargetIndex(packages));
        ASSERT_EQ(sql->SelectedTableCount(), 2);
        sql->SelectField(field(sql->AvailableSelectFields(), "NodeName"));
        TdaCalculation* sum = sql->AddCalcField(field(sql->AvailableFields(), "InstalledSize"));
        sum->SetCalcType(TdaCalcType::dacaSum);
        sql->AddOrderByField(field(sql->AvailableOrderByFields(), "NodeName"));
        TdaCriteria* size = sql->AddCriteria(field(sql->AvailableCriteriaFields(), "InstalledSize"));
        size->SetOperator(TdaCriteriaOperatorType::dacoGreaterThan);
        size->SetValue("100");
        TdaCriteria* who = sql->AddCriteria(field(sql->AvailableCriteriaFields(), "Maintainer"));
        who->Field()->SetAutoSearch(true);
        who->SetValue(kSearchValue);
        ASSERT_TRUE(sql->ValidateSQL());
        view->AssignSQL(nullptr);
        ASSERT_EQ(aReport->AutoSearchFieldCount(), 1);
        aReport->SetDataPipeline(view->DataPipelines(0));

        auto* detail = new TppDetailBand(&aForm);
        detail->SetName("ppDetailBand1");
        detail->SetReport(aReport);
        detail->SetmmHeight(6000);
        detail->SetSave(true);
        int order = 0;
        for (const QString& name : {sql->SelectFields(0)->SQLFieldName(), sum->SQLFieldName()}) {
            auto* text = new TppDBText(&aForm);
            text->SetName(QStringLiteral("ppText%1").arg(order + 1));
            text->SetBand(detail);
            text->SetmmBounds(10000 + 70000 * order, 500, 5000, 65000);
            text->SetDataPipeline(view->DataPipelines(0));
            text->SetDataField(name);
            text->SetSave(true);
            text->SetSaveOrder(order++);
        }
        view->SetActive(false);
    }

    /// The rows Python's sqlite3 finds with SQL written by hand on the same files.
    QStringList sqliteRows() {
        const QString script = QStringLiteral(
            "import sqlite3, sys\n"
            "c = sqlite3.connect(':memory:')\n"
            "c.execute('ATTACH ? AS h', (sys.argv[1] + '/Hierarchy.db',))\n"
            "c.execute('ATTACH ? AS p', (sys.argv[1] + '/Packages.db',))\n"
            "q = ('SELECT t.NodeName, SUM(k.InstalledSize) FROM h.\"Hierarchy.db\" t '\n"
            "     'JOIN p.\"Packages.db\" k ON k.NodeID = t.NodeID '\n"
            "     'WHERE k.InstalledSize > 100 AND k.Maintainer = ? GROUP BY t.NodeName ORDER BY t.NodeName')\n"
            "for row in c.execute(q, (sys.argv[2],)):\n"
            "    print(row[0], row[1])\n");
        QProcess p;
        p.start("python3", {"-c", script, Data, QString::fromUtf8(kSearchValue)});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        QStringList rows;
        for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
            if (!line.trimmed().isEmpty()) rows << line.simplified();
        return rows;
    }

    QTemporaryDir Dir;
    QString Data;
};

TEST_F(QueryReportRun, report_run_prints_a_template_holding_a_query_view_on_a_data_folder) {
    TComponent form;
    TppReport* report = nullptr;
    buildReport(form, report);
    ASSERT_NE(report, nullptr);
    QFile golden(QStringLiteral(TEST_DATA_DIR "/query_report.txt"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    QStringList expected;
    for (const QString& line : QString::fromUtf8(golden.readAll()).split(u'\n'))
        if (!line.trimmed().isEmpty()) expected << line;
    EXPECT_EQ(expected, sqliteRows());
    for (TppFormatType format : {TppFormatType::ftBinary, TppFormatType::ftASCII}) {
        SCOPED_TRACE(format == TppFormatType::ftBinary ? "binary" : "text");
        const QString file = Dir.filePath(format == TppFormatType::ftBinary ? "query.rtm" : "query-text.rtm");
        report->Template()->SetFormat(format);
        report->Template()->SetFileName(file);
        report->Template()->SaveToFile();
        const QString out = file + ".txt";
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        run.setProcessEnvironment(env);
        run.start(REPORT_RUN, {file, out, "--data", Data, "--export", "ReportTextFile"});
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitCode(), 0) << run.readAll().toStdString();
        EXPECT_EQ(records(out), expected);
    }
    delete report;
}

}  // namespace
