// The query data view over the table-layer plug-in: a query built by the model's editing
// operations on a real folder publishes one pipeline that reads the query's rows, the
// report's auto-search fields carry the end user's values into the SQL, and the data module
// travels with the report and in ".dtm" files.

#include "report/data/data_texts.h"
#include "report/data/data_view.h"
#include "report/data/engine_plugin.h"
#include "report/data/query_data_view.h"
#include "report/model/auto_search_field.h"
#include "report/model/db_pipeline.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/report_template.h"
#include "report/model/text_layout.h"
#include "report/model/script_adapter.h"
#include "report/output/report_page_source.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/field.h"
#include "platform/db/session.h"
#include "platform/db/stored_proc.h"
#include "platform/db/table.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"
#include "testsupport/dialog_answerer.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

using db::FieldType;

struct Package {
    int nodeId;
    const char* name;
    const char* maintainer;
    int installedSize;
};
// A few packages of Debian's catalogue in the branches of a tree.
const Package kPackages[] = {
    {1, "bash", "Matthias Klose", 7164},         {1, "dash", "Andrej Shadura", 215},
    {2, "coreutils", "Michael Stone", 18062},    {3, "libc6", "GNU Libc Maintainers", 12988},
    {3, "libzip4", "Dan O'Brien", 142},          {3, "liblz4-1", "Dan O'Brien \"x\"", 160},
    {2, "python3-apt", "APT Development Team", 792},
};
const char* const kBranches[] = {"Shells", "Core utilities", "Libraries"};

/// A database folder (the tree and one View table), the report database connected on it,
/// and a report with a data module on a form.
class QueryView : public ::testing::Test {
protected:
    void SetUp() override {
        report::data::InitializeDataUnit();
        report::RegisterReportClasses();
        report::RegisterPipelineClasses();
        ASSERT_TRUE(Dir.isValid());
        db::CreateTableFile(Dir.path(), "Hierarchy.db",
                            {{{"NodeID", FieldType::ftInteger, 0, true}, {"NodeName", FieldType::ftString, 60, false}},
                             {}});
        db::CreateTableFile(Dir.path(), "Packages.db",
                            {{{"NodeID", FieldType::ftInteger, 0, false},
                              {"Package", FieldType::ftString, 60, false},
                              {"Maintainer", FieldType::ftString, 60, false},
                              {"InstalledSize", FieldType::ftInteger, 0, false}},
                             {}});
        db::Table tree, packages;
        for (db::Table* t : {&tree, &packages}) t->SetDatabaseName(Dir.path());
        tree.SetTableName("Hierarchy.db");
        packages.SetTableName("Packages.db");
        tree.Open();
        packages.Open();
        for (int i = 0; i < 3; ++i) {
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
        Database.SetDatabaseName("ReportDB");
        Database.SetDirectory(Dir.path());
        Database.Open();
        Report = new TppReport(&Form);
        Report->SetName("Report");
        Module = TppReportModule::CreateForReport<TdaDataModule>(Report);
    }

    /// A query view of the module: Tree joined to Packages on NodeID, the branch and the
    /// package selected, the maintainer searched for by the end user (auto-search).
    TdaBDEQueryDataView* addView(bool aWithSum = false) {
        auto* view = new TdaBDEQueryDataView(&Form);
        view->SetParent(Module);
        view->SetReport(Report);
        TdaSQL* sql = view->SQL();
        sql->SetDatabaseName("ReportDB");
        sql->SetDatabaseType(TppDatabaseType::dtParadox);
        sql->SetSQLType(TppSQLType::sqBDELocal);
        view->CreateDataPipelines();
        auto tableIndex = [&](const QString& aName) {
            const QList<TdaTable*>& unselected = sql->UnselectedTables();
            for (int i = 0; i < unselected.size(); ++i)
                if (unselected[i]->TableName() == aName) return i;
            ADD_FAILURE() << "no table " << aName.toStdString();
            return -1;
        };
        sql->SelectTable(tableIndex("Hierarchy.db"), -1);
        TdaTable* t = sql->UnselectedTables().value(tableIndex("Packages.db"));
        sql->SelectTable(tableIndex("Packages.db"), sql->GetJoinTargetIndex(t));
        auto fieldIndex = [&](const QList<TdaField*>& aList, const QString& aName) {
            for (int i = 0; i < aList.size(); ++i)
                if (aList[i]->FieldName() == aName) return i;
            ADD_FAILURE() << "no field " << aName.toStdString();
            return -1;
        };
        if (aWithSum) {
            sql->SelectField(fieldIndex(sql->AvailableSelectFields(), "NodeName"));
            TdaCalculation* sum = sql->AddCalcField(fieldIndex(sql->AvailableFields(), "InstalledSize"));
            sum->SetCalcType(TdaCalcType::dacaSum);
        } else {
            sql->SelectField(fieldIndex(sql->AvailableSelectFields(), "NodeName"));
            sql->SelectField(fieldIndex(sql->AvailableSelectFields(), "Package"));
        }
        TdaCriteria* c = sql->AddCriteria(fieldIndex(sql->AvailableCriteriaFields(), "Maintainer"));
        c->Field()->SetAutoSearch(true);
        c->SetOperator(TdaCriteriaOperatorType::dacoLike);
        c->SetValue("dan");
        c->SetCaseSensitive(false);
        // What the designer does on OK with the query it edited (here the view's own): it
        // validates it (which names the result columns) and hands it to the view.
        EXPECT_TRUE(sql->ValidateSQL());
        view->AssignSQL(nullptr);
        return view;
    }

    /// The rows of the view's pipeline: the values of every field joined by "|".
    static QStringList rows(TdaCustomDataView* aView) {
        TppDataPipeline* p = aView->DataPipelines(0);
        QStringList names;
        p->GetFieldNames(names);
        QStringList list;
        p->Open();
        for (p->First(); !p->GetEOF(); p->Next()) {
            QStringList values;
            for (const QString& n : names) values << p->GetFieldAsString(n);
            list << values.join(u'|');
        }
        list.sort();
        return list;
    }

    QTemporaryDir Dir;
    db::Database Database;
    TComponent Form;
    TppReport* Report = nullptr;
    TdaDataModule* Module = nullptr;
};

TEST_F(QueryView, publishes_one_pipeline_named_by_the_query_whose_fields_follow_it) {
    TdaBDEQueryDataView* view = addView();
    ASSERT_EQ(view->DataPipelineCount(), 1);
    TppDataPipeline* pipeline = view->DataPipelines(0);
    EXPECT_EQ(view->SQL()->DataPipelineName(), "plHierarchy");
    EXPECT_EQ(pipeline->UserName(), "plHierarchy");
    EXPECT_EQ(view->Description(), view->SQL()->Description());
    EXPECT_EQ(view->UserName(), "Query_" + ppTextToIdentifier(view->SQL()->Description()));
    QStringList names;
    pipeline->GetFieldNames(names);
    EXPECT_EQ(names, QStringList({"NodeName", "Package"}));
    EXPECT_TRUE(view->Active());
    EXPECT_EQ(rows(view), QStringList({"Libraries|liblz4-1", "Libraries|libzip4"}));
    // The module and the registry know the view.
    EXPECT_EQ(daGetDataModule(Report), Module);
    EXPECT_EQ(Module->DataViewCount(), 1);
    EXPECT_EQ(Module->DataViews(0), view);
}

TEST_F(QueryView, a_sum_grouped_by_the_branch_reads_one_row_per_branch) {
    TdaBDEQueryDataView* view = addView(true);
    EXPECT_EQ(view->SQL()->GroupByFieldCount(), 1);
    EXPECT_EQ(rows(view), QStringList({"Libraries|302"}));
}

TEST_F(QueryView, the_end_users_search_values_go_into_the_sql_and_quotes_stay_values) {
    TdaBDEQueryDataView* view = addView();
    ASSERT_EQ(Report->AutoSearchFieldCount(), 1);
    TppAutoSearchField* field = Report->AutoSearchFields(0);
    EXPECT_EQ(field->DataView(), view);
    EXPECT_EQ(field->FieldName(), "Maintainer");
    EXPECT_EQ(field->SearchExpression(), "dan");
    struct Case {
        const char* value;
        bool showAll;
        QStringList rows;
    };
    const Case cases[] = {
        {"Dan O'Brien \"x\"", false, {"Libraries|liblz4-1"}},
        {"dan o'brien", false, {"Libraries|liblz4-1", "Libraries|libzip4"}},
        {"x' OR 'a' LIKE 'a", false, {}},
        {"", true,
         {"Core utilities|coreutils", "Core utilities|python3-apt", "Libraries|libc6", "Libraries|liblz4-1",
          "Libraries|libzip4", "Shells|bash", "Shells|dash"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        field->SetSearchExpression(c.value);
        field->SetShowAllValues(c.showAll);
        // What the producer does once the values are known: the pipelines filter, then the
        // report's subscribers hear event 12.
        report::ReportPageSource pages(Report);
        pages.ApplyAutoSearchValues();
        ppSendEventNotify(Report, Report, 12, nullptr);
        EXPECT_EQ(rows(view), c.rows) << view->Query()->SQLText().toStdString();
    }
}

TEST_F(QueryView, auto_search_fields_follow_the_report_and_go_with_their_criteria) {
    TdaBDEQueryDataView* view = addView();
    ASSERT_EQ(Report->AutoSearchFieldCount(), 1);
    // Another report takes the fields along.
    auto* other = new TppReport(&Form);
    view->SetReport(other);
    EXPECT_EQ(Report->AutoSearchFieldCount(), 0);
    EXPECT_EQ(other->AutoSearchFieldCount(), 1);
    view->SetReport(Report);
    // A field made on the report for the view's pipeline (a script's) becomes a criterion;
    // freeing it takes the criterion away again.
    const int before = view->SQL()->CriteriaCount();
    TppAutoSearchField* adopted = Report->CreateAutoSearchCriteria("plHierarchy", "Package", TppSearchOperatorType::soEqual,
                                                                   "bash", false);
    ASSERT_EQ(view->SQL()->CriteriaCount(), before + 1);
    EXPECT_EQ(adopted->DataView(), view);
    EXPECT_EQ(view->SQL()->Criteria(before)->Value(), "bash");
    // Carried into the SQL without regard to case, and not filtered a second time by the
    // pipeline's own (case-sensitive) comparison.
    view->SQL()->Criteria(before)->SetCaseSensitive(false);
    adopted->SetSearchExpression("BASH");
    report::ReportPageSource pages(Report);
    pages.ApplyAutoSearchValues();
    Report->AutoSearchFields(0)->SetShowAllValues(true);
    ppSendEventNotify(Report, Report, 12, nullptr);
    EXPECT_EQ(rows(view), QStringList({"Shells|bash"})) << view->Query()->SQLText().toStdString();
    delete adopted;
    EXPECT_EQ(view->SQL()->CriteriaCount(), before);
    // A field for another pipeline is left alone.
    Report->CreateAutoSearchCriteria("plOther", "Package", TppSearchOperatorType::soEqual, "bash", false);
    EXPECT_EQ(view->SQL()->CriteriaCount(), before);
}

TEST_F(QueryView, the_module_travels_with_the_report_and_in_dtm_files) {
    addView();
    const QString reportFile = Dir.filePath("packages.rtm");
    const QString moduleFile = Dir.filePath("packages.dtm");
    EXPECT_EQ(Module->Template()->FileExtension(), "dtm");
    EXPECT_EQ(Module->Template()->FileFilter(), "Report Data file (*.dtm)|*.dtm");
    const QStringList text = qobject_cast<TdaQueryDataView*>(Module->DataViews(0))->SQL()->SQLText();
    for (TppFormatType format : {TppFormatType::ftBinary, TppFormatType::ftASCII}) {
        SCOPED_TRACE(int(format));
        Report->Template()->SetFormat(format);
        Report->Template()->SetFileName(reportFile);
        Report->Template()->SaveToFile();
        Module->Template()->SetFormat(format);
        Module->Template()->SetFileName(moduleFile);
        Module->Template()->SaveToFile();

        // Loaded into another report on another form: the module comes with it.
        TComponent form;
        auto* loaded = new TppReport(&form);
        loaded->Template()->SetFileName(reportFile);
        loaded->Template()->LoadFromFile();
        TdaDataModule* module = daGetDataModule(loaded);
        ASSERT_NE(module, nullptr);
        ASSERT_EQ(module->DataViewCount(), 1);
        auto* view = qobject_cast<TdaBDEQueryDataView*>(module->DataViews(0));
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->Report(), loaded);
        EXPECT_EQ(view->SQL()->SQLText(), text);
        EXPECT_FALSE(loaded->Modified());
        EXPECT_FALSE(view->SQL()->Modified());
        EXPECT_EQ(loaded->AutoSearchFieldCount(), 1);
        EXPECT_EQ(rows(view), QStringList({"Libraries|liblz4-1", "Libraries|libzip4"}));

        // Imported into the module of a third report, replacing what it held.
        TComponent third;
        auto* target = new TppReport(&third);
        auto* targetModule = TppReportModule::CreateForReport<TdaDataModule>(target);
        new TdaBDEQueryDataView(&third);
        targetModule->Template()->SetFileName(moduleFile);
        targetModule->Template()->LoadFromFile();
        ASSERT_EQ(targetModule->DataViewCount(), 1);
        auto* imported = qobject_cast<TdaBDEQueryDataView*>(targetModule->DataViews(0));
        ASSERT_NE(imported, nullptr);
        EXPECT_EQ(imported->SQL()->SQLText(), text);
        EXPECT_EQ(rows(imported), QStringList({"Libraries|liblz4-1", "Libraries|libzip4"}));
    }
}

TEST_F(QueryView, moving_views_between_modules_keeps_them_in_order) {
    auto* a = new TdaBDEQueryDataView(&Form);
    auto* b = new TdaBDEQueryDataView(&Form);
    auto* c = new TdaBDEQueryDataView(&Form);
    TComponent other;
    auto* source = new TdaDataModule(&other);
    for (auto* v : {a, b, c}) v->SetParent(source);
    daMoveDataViews(Module, source);
    EXPECT_EQ(source->DataViewCount(), 0);
    ASSERT_EQ(Module->DataViewCount(), 3);
    EXPECT_EQ(Module->DataViews(0), a);
    EXPECT_EQ(Module->DataViews(1), b);
    EXPECT_EQ(Module->DataViews(2), c);
    EXPECT_EQ(c->Report(), Report);
}

TEST_F(QueryView, a_child_reports_data_module_is_handed_to_the_main_report) {
    struct Case {
        bool mainHasModule;
    };
    for (const Case c : {Case{true}, Case{false}}) {
        SCOPED_TRACE(c.mainHasModule);
        TComponent form;
        auto* main = new TppReport(&form);
        TdaDataModule* mainModule = c.mainHasModule ? TppReportModule::CreateForReport<TdaDataModule>(main) : nullptr;
        auto* child = new TppChildReport(&form);
        child->SetParentReport(main);
        auto* module = new TdaDataModule(&form);
        auto* view = new TdaBDEQueryDataView(&form);
        view->SetParent(module);
        module->SetParentComponent(child);
        TdaDataModule* found = daGetDataModule(main);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found, c.mainHasModule ? mainModule : module);
        EXPECT_EQ(found->DataViewCount(), 1);
        EXPECT_EQ(view->Report(), main);
        EXPECT_EQ(daGetDataModule(child), nullptr);
    }
}

TEST(EnginePlugin, driver_names_give_database_types_by_the_first_rule_that_holds) {
    struct Case {
        const char* driver;
        TppDatabaseType type;
    };
    const Case cases[] = {
        {"STANDARD", TppDatabaseType::dtParadox},          {"intrbase", TppDatabaseType::dtInterBase},
        {"InterBase Server", TppDatabaseType::dtInterBase}, {"MSACCESS", TppDatabaseType::dtMSAccess},
        {"Microsoft SQL Server", TppDatabaseType::dtMSSQLServer}, {"server sql", TppDatabaseType::dtMSSQLServer},
        {"MYSQL", TppDatabaseType::dtOther},                {"Adaptive Server Anywhere", TppDatabaseType::dtSybaseASA},
        {"SYBASE", TppDatabaseType::dtSybaseASE},           {"Sybase SQL Anywhere", TppDatabaseType::dtSybaseASA},
        {"ORACLE", TppDatabaseType::dtOracle},              {"", TppDatabaseType::dtOther},
    };
    for (const Case& c : cases) EXPECT_EQ(daBDEGetDatabaseType(c.driver), c.type) << c.driver;
}

TEST(EnginePlugin, databases_are_found_by_alias_component_or_a_default_database_of_their_own) {
    report::data::InitializeDataUnit();
    QTemporaryDir dir;
    db::Session* session = db::Sessions::DefaultSession();
    EXPECT_TRUE(session->GetAliasNames().isEmpty());
    session->AddStandardAlias("Library", dir.path());
    TdaBDESession plugin;
    EXPECT_EQ(plugin.GetDatabaseType("Library"), TppDatabaseType::dtParadox);
    // A database component of a form, twice by name on two modules: listed once.
    TComponent form, module;
    auto* first = new db::Database(&form);
    first->setObjectName("ReportDB");
    first->SetDriverName("STANDARD");
    auto* second = new db::Database(&module);
    second->setObjectName("ReportDB");
    report::data::AddDataModule(&module);
    plugin.SetDataOwner(&form);
    TdaNameList names;
    plugin.GetDatabaseNames(names);
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names[0].Name, "Library");
    EXPECT_EQ(names[1].Object, first);
    EXPECT_EQ(daBDEFindDatabase("reportdb"), first);
    EXPECT_EQ(plugin.GetDatabaseType("ReportDB"), TppDatabaseType::dtParadox);
    // Unknown names each get a default database of their own: asking for one does not
    // re-point the other under a query that uses it.
    db::Database* x = daBDEFindDatabase("/no/such/x");
    db::Database* y = daBDEFindDatabase("/no/such/y");
    EXPECT_NE(x, y);
    EXPECT_EQ(x->DatabaseName(), "/no/such/x");
    EXPECT_EQ(x->objectName(), "DefaultBDEDatabase");
    EXPECT_EQ(plugin.GetDatabaseType("/no/such/x"), TppDatabaseType::dtOther);
    report::data::RemoveDataModule(&module);
    session->DeleteAlias("Library");
}

TEST(EnginePlugin, a_dataset_prepares_the_empty_probe_and_reads_fields_of_sql) {
    report::data::InitializeDataUnit();
    QTemporaryDir dir;
    db::CreateTableFile(dir.path(), "Packages.db",
                        {{{"Package", FieldType::ftString, 60, false}, {"InstalledSize", FieldType::ftInteger, 0, false}},
                         {}});
    TdaBDEDataSet dataSet;
    dataSet.SetDatabaseName(dir.path());
    dataSet.SetDataName("Packages.db");
    EXPECT_EQ(dataSet.GetQuery()->SQLText(), "SELECT * FROM Packages.db WHERE 'c' <> 'c' ");
    ASSERT_EQ(dataSet.GetFieldCount(), 2);
    EXPECT_EQ(dataSet.GetField(1)->FieldName(), "InstalledSize");
    EXPECT_EQ(dataSet.GetField(1)->TableName(), "Packages.db");
    QStringList names;
    dataSet.GetFieldNamesOfSQL(names, "SELECT Package AS Name, InstalledSize * 2 AS Twice FROM Packages");
    EXPECT_EQ(names, QStringList({"Name", "Twice"}));
    std::vector<std::unique_ptr<TppField>> fields;
    EXPECT_THROW(dataSet.GetFieldsOfSQL(fields, "SELECT Nothing FROM Packages"), db::EDBEngineError);
}

TEST(EnginePlugin, child_datasets_stream_with_their_view_and_a_stored_procedure_refuses_to_open) {
    report::data::InitializeDataUnit();
    TdaChildBDEStoredProc proc;
    proc.SetStoredProcName("RebuildIndex");
    try {
        proc.Open();
        ADD_FAILURE() << "a stored procedure opened";
    } catch (const db::EDBEngineError& e) {
        EXPECT_EQ(e.Code(), db::ErrorCode::kNotSupported);
        EXPECT_TRUE(e.Message().contains("RebuildIndex"));
    }
    TdaBDEQueryDataView view;
    view.Query()->SetSQLText("SELECT * FROM Packages");
    const QByteArray text = stream::ObjectBinaryToText(stream::WriteComponent(view));
    EXPECT_TRUE(text.contains("object Query: TdaChildBDEQuery")) << text.toStdString();
    EXPECT_TRUE(text.contains("TdaSQL")) << text.toStdString();
}

TEST(DataViewRegistry, keeps_one_entry_per_type_and_lists_session_types_once) {
    report::data::InitializeDataUnit();
    const int before = int(daGetDataViewClassList().size());
    daRegisterDataViewClass(&TdaBDEQueryDataView::staticMetaObject);
    EXPECT_EQ(int(daGetDataViewClassList().size()), before);
    QList<std::pair<QString, TClass>> types;
    daGetSessionTypes(types);
    int bde = 0;
    for (const auto& t : types) bde += t.first == "BDESession";
    EXPECT_EQ(bde, 1);
    TdaDataViewClassList items;
    daGetDataViewClasses(items);
    EXPECT_TRUE(items.isEmpty());
    TdaDataViewClassList sessionViews;
    daGetSessionDataViewClasses(&TdaBDESession::staticMetaObject, sessionViews);
    ASSERT_EQ(sessionViews.size(), 1);
    EXPECT_EQ(sessionViews[0].second, &TdaBDEQueryDataView::staticMetaObject);
    // A view preview without a registered form does nothing.
    TdaBDEQueryDataView view;
    EXPECT_NO_THROW(view.Preview());
}

}  // namespace
