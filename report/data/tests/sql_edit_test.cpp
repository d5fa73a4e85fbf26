// Building a query through the editing operations on a real folder with the records
// manager's dictionary: tables with their names and joins, fields, calculations with GROUP
// BY kept in step, criteria levels and the check of the finished query, whose messages are
// answered through the dialog service.

#include "report/data/sql.h"

#include "report/data/data_texts.h"
#include "report/data/tests/dictionary_fixture.h"
#include "report/data/tests/sql_fixture.h"
#include "report/model/pipeline_field.h"
#include "report/output/dialog_registry.h"

#include "platform/db/sql/query.h"
#include "platform/db/table.h"
#include "testsupport/dialog_answerer.h"

#include <QFile>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace data_test {

/// A dataset on the folder's tables: it answers the fields of an SQL text by running it
/// through the table layer's SQL.
class TdaFolderDataSet : public TdaDataSet {
    Q_OBJECT
    Q_CLASSINFO("DataSetTypeName", "FolderDataSet")
public:
    Q_INVOKABLE explicit TdaFolderDataSet(TComponent* AOwner = nullptr) : TdaDataSet(AOwner) {}
    bool GetActive() const override { return m_active; }
    /// Opens the table of the data name (its quotes taken off); raises when it is missing.
    void SetActive(bool aValue) override {
        m_table.reset();
        m_active = false;
        if (!aValue) return;
        auto table = std::make_unique<db::Table>();
        table->SetDatabaseName(DatabaseName());
        table->SetTableName(QString(DataName()).remove(u'"'));
        table->Open();
        m_table = std::move(table);
        m_active = true;
    }
    void BuildFieldList() override {
        TdaDataSet::BuildFieldList();
        for (int i = 0; m_table && i < m_table->FieldCount(); ++i) {
            auto f = std::make_unique<TppField>();
            f->SetFieldName(m_table->Fields(i)->FieldName());
            AddField(std::move(f));
        }
    }
    void GetFieldNamesOfSQL(QStringList& aFieldNames, const QString& aSQL) override {
        std::vector<std::unique_ptr<TppField>> fields;
        GetFieldsOfSQL(fields, aSQL);
        aFieldNames.clear();
        for (const auto& f : fields) aFieldNames << f->FieldName();
    }
    void GetFieldsOfSQL(std::vector<std::unique_ptr<TppField>>& aFields, const QString& aSQL) override {
        ++Asked;
        aFields.clear();
        std::unique_ptr<db::sql::QueryCursor> q = db::sql::OpenQuery(DatabaseName(), aSQL);
        for (int i = 0; i < q->FieldCount(); ++i) {
            auto f = std::make_unique<TppField>();
            f->SetFieldName(q->Fields(i)->FieldName());
            aFields.push_back(std::move(f));
        }
    }
    static inline int Asked = 0;

private:
    bool m_active = false;
    std::unique_ptr<db::Table> m_table;
};

}  // namespace data_test

namespace {

/// The join dialog's stand-in: records what the query model handed it and cancels.
class RecordingJoinDialog : public TdaCustomJoinTableDialog {
public:
    explicit RecordingJoinDialog(QObject*) {}
    static inline QStringList* Shown = nullptr;
    void Init() override {
        auto* joinTo = qobject_cast<TdaTable*>(JoinTable.data());
        auto* table = qobject_cast<TdaTable*>(Table.data());
        if (Shown && joinTo && table && qobject_cast<TdaSQL*>(SQL.data()))
            *Shown << joinTo->SQLAlias() + QStringLiteral(" <- ") + table->SQLAlias();
    }
    report::ModalResult ShowModal() override { return report::ModalResult::mrCancel; }
    void Show() override {}
    void Close() override {}
    bool IsShowing() const override { return false; }
    void EndModal(report::ModalResult) override {}
};

using data_test::AppendRow;

QString goldenText(const QString& aName, const QString& aText) {
    const QString path = QStringLiteral(TEST_DATA_DIR "/sql/") + aName + QStringLiteral(".sql");
    if (qEnvironmentVariableIsSet("DOSSARA_UPDATE_GOLDEN")) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(aText.toUtf8());
        return aText;
    }
    return QString::fromUtf8(data_test::ReadTestData(QStringLiteral("sql/") + aName + ".sql"));
}

/// The text in local SQL and in SQL2 of the general rules.
QString twoDialects(TdaSQL& sql) {
    QString out;
    for (TppSQLType type : {TppSQLType::sqBDELocal, TppSQLType::sqSQL2}) {
        sql.SetSQLType(type);
        out += QStringLiteral("-- %1\n").arg(report::EnumName(type)) + sql.SQLText().join(u'\n') + QStringLiteral("\n\n");
    }
    return out;
}

QStringList tableAliases(const QList<TdaTable*>& aTables) {
    QStringList out;
    for (TdaTable* t : aTables) out << t->TableAlias();
    return out;
}

QStringList fieldNames(TdaSQL& sql, int aChildType) {
    QStringList out;
    const int count = aChildType == report::data::kSelectField    ? sql.SelectFieldCount()
                      : aChildType == report::data::kGroupByField ? sql.GroupByFieldCount()
                                                                  : sql.OrderByFieldCount();
    for (int i = 0; i < count; ++i) {
        TdaField* f = aChildType == report::data::kSelectField    ? sql.SelectFields(i)
                      : aChildType == report::data::kGroupByField ? sql.GroupByFields(i)
                                                                  : sql.OrderByFields(i);
        out << f->TableSQLAlias() + u'.' + f->FieldName();
    }
    return out;
}

class QueryEditing : public data_test::DictionaryFolder {
protected:
    void SetUp() override {
        DictionaryFolder::SetUp();
        report::data::DeclareDataTexts();
        report::data::RegisterSQLClasses();
        {
            // Two more tables: an alias with a blank on a reserved word, a name starting with a digit.
            db::Table tables, fields;
            open(tables, "tsTable.db");
            open(fields, "tsField.db");
            postTable(tables, fields, "Select.db", "Order Items",
                      {{"NodeID", "Branch ID", "dtLongInt"}, {"Quantity", "Quantity", "dtInteger"}});
            postTable(tables, fields, "2024-Sales.db", "Sales 2024", {{"Region", "Region", "dtString"}});
        }
        using data_test::FieldType;
        db::CreateTableFile(Folder(), "Hierarchy.db",
                            {{{"NodeName", FieldType::ftString, 40, false},
                              {"NodeID", FieldType::ftInteger, 0, false},
                              {"ParentNodeID", FieldType::ftInteger, 0, false},
                              {"NodeType", FieldType::ftSmallint, 0, false},
                              {"TimeStamp", FieldType::ftDateTime, 0, false}},
                             {}});
        db::CreateTableFile(Folder(), "Packages.db",
                            {{{"NodeID", FieldType::ftInteger, 0, false},
                              {"Note", FieldType::ftString, 40, false},
                              {"Package", FieldType::ftString, 40, false},
                              {"InstalledSize", FieldType::ftInteger, 0, false},
                              {"Priority", FieldType::ftString, 20, false}},
                             {}});
        db::CreateTableFile(Folder(), "Maintainers.db",
                            {{{"NodeID", FieldType::ftInteger, 0, false},
                              {"Name", FieldType::ftString, 40, false},
                              {"Email", FieldType::ftString, 40, false}},
                             {}});
        Dictionary = new TppDataDictionary(&Form);
        Dictionary->SetTablePipeline(Tables.pipeline);
        Dictionary->SetFieldPipeline(Fields.pipeline);
        Dictionary->SetJoinPipeline(Joins.pipeline);
        Dictionary->SetValidateTableNames(false);
        Dictionary->SetValidateFieldNames(false);
        Sql = std::make_unique<TdaSQL>();
        Sql->SetSession(&Session);
        Sql->SetDataDictionary(Dictionary);
        Sql->SetDatabaseName(Folder());
        Sql->SetDataSetClass(&data_test::TdaFolderDataSet::staticMetaObject);
        RecordingJoinDialog::Shown = &DialogShown;
        report::RegisterForm<TdaCustomJoinTableDialog, RecordingJoinDialog>();
    }
    void TearDown() override {
        report::UnRegisterForm<TdaCustomJoinTableDialog>();
        RecordingJoinDialog::Shown = nullptr;
        Sql.reset();
    }

    /// Selects the unselected table of that alias, joined as the designer joins it.
    TdaTable* select(const QString& aTableAlias) {
        const QList<TdaTable*>& unselected = Sql->UnselectedTables();
        for (int i = 0; i < unselected.size(); ++i)
            if (unselected[i]->TableAlias() == aTableAlias)
                return Sql->SelectTable(i, Sql->GetJoinTargetIndex(unselected[i]));
        ADD_FAILURE() << "no unselected table " << aTableAlias.toStdString();
        return nullptr;
    }
    /// Index of the field in a list of available fields.
    static int indexOf(const QList<TdaField*>& aList, const QString& aTable, const QString& aField) {
        for (int i = 0; i < aList.size(); ++i)
            if (aList[i]->TableName() == aTable && aList[i]->FieldName() == aField) return i;
        ADD_FAILURE() << "no available field " << aField.toStdString();
        return -1;
    }

    data_test::TdaWordsSession Session;
    TppDataDictionary* Dictionary = nullptr;
    std::unique_ptr<TdaSQL> Sql;
    QStringList DialogShown;
};

TEST_F(QueryEditing, the_first_table_names_the_query_and_new_tables_get_plain_sql_aliases) {
    EXPECT_EQ(tableAliases(Sql->AvailableTables()),
              QStringList({"Maintainers", "Order Items", "Packages", "Sales 2024", "Tree"}));
    struct Case {
        const char* alias;
        const char* sqlAlias;
        const char* pipeline;
    };
    const Case cases[] = {
        {"Order Items", "Select_TABLE", "plOrder_Items"},
        {"Sales 2024", "_024_Sales", "plSales_2024"},
        {"Tree", "Hierarchy", "plTree"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alias);
        Sql = std::make_unique<TdaSQL>();
        Sql->SetSession(&Session);
        Sql->SetDataDictionary(Dictionary);
        TdaTable* t = select(c.alias);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->TableAlias(), c.alias);
        EXPECT_EQ(t->SQLAlias(), c.sqlAlias);
        EXPECT_EQ(Sql->Description(), c.alias);
        EXPECT_EQ(Sql->DataPipelineName(), c.pipeline);
        EXPECT_FALSE(tableAliases(Sql->UnselectedTables()).contains(c.alias));
        EXPECT_EQ(Sql->DeselectTable(0)->TableAlias(), c.alias);
        EXPECT_EQ(Sql->Description(), "");
        EXPECT_EQ(Sql->DataPipelineName(), "");
        EXPECT_EQ(Sql->UnselectedTables().size(), 5);
    }
}

TEST_F(QueryEditing, a_table_selected_twice_gets_numbered_aliases_and_stays_offered) {
    Sql->SetAllowSelfJoins(true);
    Dictionary->SetAllowManualJoins(true);
    ASSERT_NE(select("Packages"), nullptr);
    TdaTable* second = select("Packages");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->SQLAlias(), "Packages_2");
    EXPECT_EQ(second->TableAlias(), "Packages (2)");
    EXPECT_EQ(Sql->UnselectedTables().size(), 5);
    // Joined on the fields both copies have, after the join dialog was offered.
    EXPECT_EQ(DialogShown, QStringList({"Packages <- Packages_2"}));
    EXPECT_EQ(second->JoinCount(), 5);
}

TEST_F(QueryEditing, joins_come_from_the_dictionary_and_the_query_reads_as_kept) {
    ASSERT_NE(select("Packages"), nullptr);
    TdaTable* maintainers = select("Maintainers");
    ASSERT_NE(maintainers, nullptr);
    EXPECT_EQ(maintainers->JoinType(), TdaJoinType::dajtInner);
    TdaTable* tree = select("Tree");
    ASSERT_NE(tree, nullptr);
    // Tree joins the last selected table, Maintainers: left outer on two fields.
    EXPECT_EQ(tree->JoinType(), TdaJoinType::dajtLeftOuter);
    ASSERT_EQ(tree->JoinCount(), 2);
    EXPECT_EQ(tree->Joins(1)->Operator(), TdaJoinOperatorType::dajoGreaterThanOrEqualTo);
    EXPECT_EQ(tree->Joins(1)->ForeignField()->TableSQLAlias(), "Maintainers");
    EXPECT_EQ(tree->Joins(1)->LocalField()->FieldName(), "NodeName");
    EXPECT_TRUE(DialogShown.isEmpty());

    const QList<TdaField*>& fields = Sql->AvailableSelectFields();
    ASSERT_NE(Sql->SelectField(indexOf(fields, "Packages.db", "Package")), nullptr);
    ASSERT_NE(Sql->SelectField(indexOf(Sql->AvailableSelectFields(), "Maintainers.db", "Name")), nullptr);
    ASSERT_NE(Sql->SelectField(indexOf(Sql->AvailableSelectFields(), "Hierarchy.db", "NodeName")), nullptr);
    EXPECT_EQ(indexOf(Sql->AvailableSelectFields(), "Packages.db", "Note"), 1);
    TdaCriteria* c = Sql->AddCriteria(indexOf(Sql->AvailableCriteriaFields(), "Packages.db", "Priority"));
    c->SetValue("O'Brien");
    Sql->AddOrderByField(indexOf(Sql->AvailableOrderByFields(), "Packages.db", "Package"));
    EXPECT_EQ(twoDialects(*Sql), goldenText("edited_joins", twoDialects(*Sql)));
}

TEST_F(QueryEditing, without_a_join_row_a_table_is_not_selected_in_auto_join_only_mode) {
    ASSERT_TRUE(Sql->IsAutoJoinOnly());
    ASSERT_NE(select("Packages"), nullptr);
    const QList<TdaTable*> before = Sql->UnselectedTables();
    const int orderItems = int(before.indexOf(Sql->AvailableTables()[1]));
    EXPECT_FALSE(Sql->AvailableTables()[1]->Joinable());
    EXPECT_EQ(Sql->GetJoinTargetIndex(Sql->AvailableTables()[1]), -1);
    EXPECT_EQ(Sql->SelectTable(orderItems, 0), nullptr);
    EXPECT_EQ(Sql->SelectedTableCount(), 1);
    EXPECT_EQ(Sql->UnselectedTables(), before);
    EXPECT_TRUE(DialogShown.isEmpty());
}

TEST_F(QueryEditing, with_manual_joins_common_field_names_join_and_the_dialog_is_offered) {
    Dictionary->SetAllowManualJoins(true);
    ASSERT_NE(select("Tree"), nullptr);
    TdaTable* items = select("Order Items");
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(DialogShown, QStringList({"Hierarchy <- Select_TABLE"}));
    ASSERT_EQ(items->JoinCount(), 1);
    EXPECT_EQ(items->Joins(0)->LocalField()->FieldName(), "NodeID");
    EXPECT_EQ(items->JoinType(), TdaJoinType::dajtInner);
    // No common field: not selected, whatever the dialog said.
    EXPECT_EQ(select("Sales 2024"), nullptr);
    EXPECT_EQ(Sql->SelectedTableCount(), 2);
}

TEST_F(QueryEditing, deselecting_a_table_takes_the_tables_joined_to_it_and_their_fields) {
    ASSERT_NE(select("Packages"), nullptr);
    ASSERT_NE(select("Maintainers"), nullptr);
    ASSERT_NE(select("Tree"), nullptr);
    Sql->SelectField(indexOf(Sql->AvailableSelectFields(), "Hierarchy.db", "NodeName"));
    Sql->AddCriteria(indexOf(Sql->AvailableCriteriaFields(), "Maintainers.db", "Name"));
    TdaTable* given = Sql->DeselectTable(0);
    ASSERT_NE(given, nullptr);
    EXPECT_EQ(given->TableAlias(), "Packages");
    EXPECT_EQ(Sql->SelectedTableCount(), 0);
    EXPECT_EQ(Sql->SelectFieldCount(), 0);
    EXPECT_EQ(Sql->CriteriaCount(), 0);
    EXPECT_EQ(Sql->UnselectedTables().size(), 5);
    EXPECT_TRUE(Sql->AvailableFields().isEmpty());
}

TEST_F(QueryEditing, group_by_follows_the_select_fields_while_aggregates_exist) {
    ASSERT_NE(select("Packages"), nullptr);
    Sql->SelectField(indexOf(Sql->AvailableSelectFields(), "Packages.db", "Priority"));
    Sql->SelectField(indexOf(Sql->AvailableSelectFields(), "Packages.db", "Package"));
    EXPECT_EQ(Sql->GroupByFieldCount(), 0);
    TdaCalculation* sum = Sql->AddCalcField(indexOf(Sql->AvailableFields(), "Packages.db", "InstalledSize"));
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(fieldNames(*Sql, report::data::kGroupByField), QStringList({"Packages.Priority", "Packages.Package"}));
    EXPECT_TRUE(Sql->GroupByFieldsSynced());
    // A grouped field that is also selected stays while the aggregate does.
    EXPECT_EQ(Sql->RemoveGroupByField(0), nullptr);
    EXPECT_EQ(Sql->GroupByFieldCount(), 2);
    // A further select field joins GROUP BY; the calculation sorted on follows its changes.
    Sql->SelectField(indexOf(Sql->AvailableSelectFields(), "Packages.db", "NodeID"));
    EXPECT_EQ(Sql->GroupByFieldCount(), 3);
    ASSERT_NE(Sql->AddOrderByField(Sql->AvailableOrderByFields().size() - 1), nullptr);
    EXPECT_EQ(twoDialects(*Sql), goldenText("edited_grouping", twoDialects(*Sql)));
    sum->SetCalcType(TdaCalcType::dacaExpression);
    EXPECT_EQ(Sql->GroupByFieldCount(), 0);
    sum->SetCalcType(TdaCalcType::dacaCount);
    EXPECT_EQ(Sql->GroupByFieldCount(), 3);
    EXPECT_NE(Sql->RemoveCalcField(0), nullptr);
    EXPECT_EQ(Sql->GroupByFieldCount(), 0);
    EXPECT_FALSE(Sql->GroupByFieldsSynced());
    EXPECT_EQ(Sql->OrderByFieldCount(), 0);
}

TEST_F(QueryEditing, a_second_calculation_of_a_field_gets_a_numbered_alias) {
    ASSERT_NE(select("Packages"), nullptr);
    const int size = indexOf(Sql->AvailableFields(), "Packages.db", "InstalledSize");
    TdaCalculation* a = Sql->AddCalcField(size);
    TdaCalculation* b = Sql->AddCalcField(size);
    EXPECT_EQ(a->Alias(), "Installed-Size");
    EXPECT_EQ(b->Alias(), "Installed-Size (2)");
    EXPECT_TRUE(Sql->MakeFieldAliasUnique(b, false));
}

TEST_F(QueryEditing, parentheses_nest_levels_and_leave_only_in_pairs) {
    ASSERT_NE(select("Packages"), nullptr);
    const int priority = indexOf(Sql->AvailableCriteriaFields(), "Packages.db", "Priority");
    for (int i = 0; i < 5; ++i) Sql->AddCriteria(priority);
    auto shape = [this] {
        QString out;
        for (int i = 0; i < Sql->CriteriaCount(); ++i) {
            const TdaCriteria* c = Sql->Criteria(i);
            out += c->CriteriaType() == TdaCriteriaType::dacrBegin ? u'('
                   : c->CriteriaType() == TdaCriteriaType::dacrEnd ? u')'
                                                                   : u'f';
            out += QString::number(c->Level());
        }
        return out;
    };
    EXPECT_TRUE(Sql->AddParentheses({2, 3, 4}));
    EXPECT_EQ(shape(), "f0f0(0f1f1f1)0");
    EXPECT_TRUE(Sql->AddParentheses({3, 4}));
    EXPECT_EQ(shape(), "f0f0(0(1f2f2)1f1)0");
    EXPECT_FALSE(Sql->RemoveCriteria(2));
    EXPECT_FALSE(Sql->AddParentheses({}));
    // Only the item below the inner "(" selected: that pair goes.
    EXPECT_TRUE(Sql->RemoveParentheses({4}));
    EXPECT_EQ(shape(), "f0f0(0f1f1f1)0");
    EXPECT_FALSE(Sql->RemoveParentheses({0}));
    EXPECT_TRUE(Sql->RemoveParentheses({6}));
    EXPECT_EQ(shape(), "f0f0f0f0f0");
    TdaCriteria* orItem = Sql->InsertCriteria(1, TdaCriteriaType::dacrOR);
    EXPECT_EQ(Sql->Criteria(1), orItem);
    EXPECT_TRUE(Sql->RemoveCriteria(1));
}

TEST_F(QueryEditing, validation_names_what_is_wrong_and_changes_nothing) {
    ASSERT_NE(select("Packages"), nullptr);
    Sql->SelectField(indexOf(Sql->AvailableSelectFields(), "Packages.db", "Package"));
    Sql->AddCalcField(indexOf(Sql->AvailableFields(), "Packages.db", "InstalledSize"));
    struct Case {
        const char* description;
        const char* pipeline;
        const char* table;
        const char* message;  ///< empty: accepted
    };
    const Case cases[] = {
        {"", "plPackages", "Packages.db", "^Please enter a description of your query\\.$"},
        {"Packages", "pl Packages", "Packages.db", "^pl Packages is not a valid Data Pipeline name\\.$"},
        {"Packages", "plPackages", "Gone.db", "^Invalid SQL statement\\.\n\n.+"},
        {"Packages", "plPackages", "Packages.db", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Sql->SetDescription(c.description);
        Sql->SetDataPipelineName(c.pipeline);
        Sql->SelectedTables(0)->SetTableName(c.table);
        Sql->InvalidateAll();
        const QStringList text = Sql->SQLText();
        data_test::TdaFolderDataSet::Asked = 0;
        testsupport::DialogAnswerer answerer;
        if (*c.message) answerer.ExpectMessage(c.message, ui::Button::Ok, ui::MessageKind::Error);
        EXPECT_EQ(Sql->ValidateSQL(), !*c.message);
        EXPECT_EQ(Sql->SQLText(), text);
        EXPECT_EQ(data_test::TdaFolderDataSet::Asked, *c.description && QString(c.pipeline) == "plPackages" ? 1 : 0);
    }
    EXPECT_EQ(Sql->SelectFields(0)->SQLFieldName(), "Package");
    EXPECT_EQ(Sql->CalcFields(0)->SQLFieldName(), "SUM(Packages.InstalledSize)");
}

TEST_F(QueryEditing, a_criterion_value_that_does_not_read_is_refused_naming_field_and_value) {
    ASSERT_NE(select("Packages"), nullptr);
    Sql->SelectField(indexOf(Sql->AvailableSelectFields(), "Packages.db", "Package"));
    Sql->AddCriteria(indexOf(Sql->AvailableCriteriaFields(), "Packages.db", "InstalledSize"))->SetValue("12x");
    testsupport::DialogAnswerer answerer;
    answerer.ExpectMessage("^Invalid SQL statement\\.\n\nPackages\\.Installed-Size: 12x$", ui::Button::Ok);
    data_test::TdaFolderDataSet::Asked = 0;
    EXPECT_FALSE(Sql->ValidateSQL());
    EXPECT_EQ(data_test::TdaFolderDataSet::Asked, 0);
}

TEST_F(QueryEditing, available_fields_follow_the_field_order_and_the_lists_for_names) {
    ASSERT_NE(select("Maintainers"), nullptr);
    auto aliases = [this] {
        QStringList out;
        for (TdaField* f : Sql->AvailableFields()) out << f->FieldAlias();
        return out;
    };
    EXPECT_EQ(aliases(), QStringList({"Branch ID", "Maintainer", "E-mail"}));
    Sql->SetFieldOrder(-1);
    EXPECT_EQ(aliases(), QStringList({"Branch ID", "E-mail", "Maintainer"}));
    ASSERT_NE(select("Packages"), nullptr);
    EXPECT_EQ(aliases().first(), "Branch ID");
    EXPECT_EQ(aliases().at(1), "Maintainer");
    TdaNameList numeric;
    Sql->GetSelectableFieldNames(numeric);
    QStringList names;
    for (const auto& entry : numeric) names << entry.Name;
    EXPECT_EQ(names, QStringList({"Maintainers.Branch ID", "Packages.Branch ID", "Packages.Installed-Size"}));
    TdaNameList searchable;
    Sql->GetCriteriaFieldNames(searchable);
    EXPECT_EQ(searchable.size(), Sql->AvailableCriteriaFields().size());
}

TEST_F(QueryEditing, fields_come_from_the_database_when_the_dictionary_checks_them) {
    Dictionary->SetValidateFieldNames(true);
    ASSERT_NE(select("Maintainers"), nullptr);
    QStringList aliases;
    for (TdaField* f : Sql->AvailableFields()) aliases << f->TableSQLAlias() + u'.' + f->FieldAlias();
    EXPECT_EQ(aliases, QStringList({"Maintainers.Branch ID", "Maintainers.Maintainer", "Maintainers.E-mail"}));
    // A table that cannot be opened says so and offers no fields; the query goes on.
    Sql->SelectedTables(0)->SetTableName("Gone.db");
    Sql->InvalidateFieldLists();
    testsupport::DialogAnswerer answerer;
    answerer.ExpectMessage("^Unable to open table: \"Gone\\.db\"\\.\n\nError: .+", ui::Button::Ok,
                           ui::MessageKind::Error);
    EXPECT_TRUE(Sql->AvailableFields().isEmpty());
}

TEST_F(QueryEditing, fields_of_typed_sql_become_the_select_fields) {
    Sql->SetSQLText({"SELECT Name, Email FROM \"Maintainers.db\""});
    Sql->BuildFieldsFromSQLText();
    EXPECT_EQ(Sql->SQLText(), QStringList({"SELECT Name, Email FROM \"Maintainers.db\""}));
    ASSERT_EQ(Sql->SelectFieldCount(), 2);
    EXPECT_EQ(Sql->SelectFields(1)->FieldName(), "Email");
    EXPECT_EQ(Sql->SelectFields(1)->SQLFieldName(), "Email");
    EXPECT_EQ(Sql->SelectFields(1)->Alias(), "Email");
}

}  // namespace

#include "sql_edit_test.moc"
