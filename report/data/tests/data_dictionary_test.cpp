// The data dictionary over the records manager's dictionary tables in a real folder.

#include "report/data/data_dictionary.h"
#include "report/data/data_texts.h"

#include "report/data/tests/dictionary_fixture.h"
#include "report/model/pipeline_field.h"
#include "report/model/report_utils.h"

#include <gtest/gtest.h>

namespace {

using data_test::AppendRow;

class DataDictionary : public data_test::DictionaryFolder {
protected:
    void SetUp() override {
        DictionaryFolder::SetUp();
        report::data::DeclareDataTexts();
        Dictionary = new TppDataDictionary(&Form);
        Dictionary->SetTablePipeline(Tables.pipeline);
        Dictionary->SetFieldPipeline(Fields.pipeline);
        Dictionary->SetJoinPipeline(Joins.pipeline);
    }

    TppDataDictionary* Dictionary = nullptr;
};

TEST_F(DataDictionary, lists_the_tables_with_their_aliases_in_order) {
    QStringList names, aliases;
    Dictionary->GetTableNames(names, aliases);
    EXPECT_EQ(names, QStringList({"Hierarchy.db", "Packages.db", "Maintainers.db"}));
    EXPECT_EQ(aliases, QStringList({"Tree", "Packages", "Maintainers"}));
    EXPECT_EQ(Dictionary->GetTableAlias("PACKAGES.DB"), "Packages");
    EXPECT_EQ(Dictionary->GetTableAlias("Nowhere.db"), "");
}

TEST_F(DataDictionary, reads_the_fields_of_the_current_table_with_alias_type_and_flags) {
    Dictionary->SetTableName("Hierarchy.db");
    EXPECT_EQ(Dictionary->TableAlias(), "Tree");
    ASSERT_EQ(Dictionary->GetFieldCount(), 5);
    // The records manager writes "dtLongInt"; the type is found whatever the letter case.
    struct Case {
        const char* name;
        const char* alias;
        TppDataType type;
    };
    static const Case cases[] = {
        {"NodeName", "Branch Title", TppDataType::dtString},
        {"NodeID", "Branch ID", TppDataType::dtLongint},
        {"ParentNodeID", "Parent Branch ID", TppDataType::dtLongint},
        {"NodeType", "View Type", TppDataType::dtInteger},
        {"TimeStamp", "Last Change Date/Time", TppDataType::dtDateTime},
    };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(cases[i].name);
        TppField* f = Dictionary->GetField(i);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->FieldName(), cases[i].name);
        EXPECT_EQ(f->FieldAlias(), cases[i].alias);
        EXPECT_EQ(f->DataType(), cases[i].type);
        EXPECT_EQ(f->TableName(), "Hierarchy.db");
        EXPECT_EQ(f->TableAlias(), "Tree");
        EXPECT_TRUE(f->Selectable());
        EXPECT_TRUE(f->Searchable());
        EXPECT_TRUE(f->Sortable());
        EXPECT_FALSE(f->Mandatory());
        EXPECT_EQ(Dictionary->GetFieldForName(QString::fromLatin1(cases[i].name).toLower()), f);
    }
    EXPECT_EQ(Dictionary->GetFieldForName("Note"), nullptr);
}

TEST_F(DataDictionary, stops_at_the_last_field_of_the_current_table) {
    Dictionary->SetTableName("Packages.db");
    ASSERT_EQ(Dictionary->GetFieldCount(), 5);
    EXPECT_EQ(Dictionary->GetField(4)->FieldName(), "Priority");
    Dictionary->SetTableName("Maintainers.db");
    ASSERT_EQ(Dictionary->GetFieldCount(), 3);
    EXPECT_EQ(Dictionary->GetField(2)->FieldAlias(), "E-mail");
}

TEST_F(DataDictionary, the_same_table_keeps_its_fields_and_another_frees_them) {
    Dictionary->SetTableName("Packages.db");
    QPointer<TppField> first = Dictionary->GetField(0);
    ASSERT_FALSE(first.isNull());
    Dictionary->SetTableName("Packages.db");
    EXPECT_EQ(Dictionary->GetField(0), first.data());
    Dictionary->SetTableName("Maintainers.db");
    EXPECT_TRUE(first.isNull());
}

TEST_F(DataDictionary, table_names_lose_their_owner_unless_owner_names_are_used) {
    struct Case {
        const char* given;
        bool useOwner;
        const char* current;
    };
    static const Case cases[] = {
        {"sysadm.Packages", false, "Packages"},
        {"Packages.db", false, "Packages.db"},
        {"Packages.DB", false, "Packages.DB"},
        {"Packages", false, "Packages"},
        {"sysadm.Packages", true, "sysadm.Packages"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        TppDataDictionary d;
        d.SetUseTableOwnerName(c.useOwner);
        d.SetTableName(c.given);
        EXPECT_EQ(d.TableName(), c.current);
    }
}

TEST_F(DataDictionary, a_table_missing_from_the_table_pipeline_has_no_fields) {
    {
        db::Table fields;
        open(fields, "tsField.db");
        AppendRow(fields, {{"TableName", "Orphan.db"}, {"FieldName", "NodeID"}, {"DataType", "dtLongInt"}});
    }
    Dictionary->SetTableName("Orphan.db");
    EXPECT_EQ(Dictionary->GetFieldCount(), 0);
}

TEST_F(DataDictionary, flags_are_set_only_by_text_starting_with_t) {
    // A field table whose flag columns hold what other writers put there.
    db::CreateTableFile(Folder(), "Flags.db",
                        {{{"TableName", db::FieldType::ftString, 60, false},
                          {"FieldName", db::FieldType::ftString, 60, false},
                          {"Mandatory", db::FieldType::ftString, 10, false},
                          {"Searchable", db::FieldType::ftBoolean, 0, false}},
                         {}});
    struct Case {
        const char* field;
        QVariant text;
        QVariant logical;
        bool set;
    };
    const Case cases[] = {
        {"True", "True", QVariant(), true},  {"t", "t", QVariant(), true},
        {"TRUE", "TRUE", QVariant(), true},  {"False", "False", QVariant(), false},
        {"One", "1", QVariant(), false},     {"Empty", "", QVariant(), false},
        {"Null", QVariant(), QVariant(), false}, {"Logical", QVariant(), QVariant(true), false},
    };
    {
        db::Table flags;
        open(flags, "Flags.db");
        for (const Case& c : cases)
            AppendRow(flags, {{"TableName", "Packages.db"}, {"FieldName", c.field}, {"Mandatory", c.text},
                              {"Searchable", c.logical}});
    }
    data_test::PipedTable flagPipe = pipe("Flags.db", "plFlags");
    Dictionary->SetFieldPipeline(flagPipe.pipeline);
    Dictionary->SetTableName("Packages.db");
    ASSERT_EQ(Dictionary->GetFieldCount(), int(std::size(cases)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        TppField* f = Dictionary->GetFieldForName(c.field);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Mandatory(), c.set);
        EXPECT_FALSE(f->Searchable());
        EXPECT_FALSE(f->Selectable());
        // No DataType column: the field keeps its default type.
        EXPECT_EQ(f->DataType(), TppDataType::dtString);
    }
}

TEST(DataDictionaryValues, value_is_true_only_for_text_starting_with_t) {
    struct Case {
        QVariant value;
        bool expected;
    };
    const Case cases[] = {
        {QStringLiteral("True"), true}, {QStringLiteral("t"), true},   {QStringLiteral("TRUE"), true},
        {QStringLiteral("False"), false}, {QStringLiteral("1"), false}, {QStringLiteral(""), false},
        {QStringLiteral(" T"), false},  {QVariant(), false},           {QVariant(true), false},
        {QVariant(1), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toString() + " " + c.value.typeName());
        EXPECT_EQ(ppValueIsTrue(c.value), c.expected);
    }
}

TEST(DataDictionaryValues, type_names_are_found_without_regard_to_case) {
    struct Case {
        const char* name;
        TppDataType expected;
    };
    static const Case cases[] = {
        {"dtLongInt", TppDataType::dtLongint}, {"dtLongint", TppDataType::dtLongint},
        {"DTMEMO", TppDataType::dtMemo},       {"dtDateTime", TppDataType::dtDateTime},
        {"", TppDataType::dtChar},             {"dtLongInteger", TppDataType::dtChar},
        {" dtMemo", TppDataType::dtChar},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(daDataTypeOfName(c.name, TppDataType::dtChar), c.expected);
    }
}

TEST_F(DataDictionary, joins_are_found_in_either_order_with_the_field_lists_swapped) {
    struct Case {
        const char* table1;
        const char* table2;
        bool found;
        const char* joinType;
        QStringList fields1, fields2, operators;
    };
    const Case cases[] = {
        {"Maintainers.db", "Hierarchy.db", true, "dajtLeftOuter", {"NodeID", "Name"}, {"NodeID", "NodeName"}, {"=", ">="}},
        {"hierarchy.DB", "MAINTAINERS.db", true, "dajtLeftOuter", {"NodeID", "NodeName"}, {"NodeID", "Name"}, {"=", ">="}},
        {"Packages.db", "Hierarchy.db", true, "dajtInner", {"NodeID"}, {"NodeID"}, {"="}},
        {"Packages.db", "Nowhere.db", false, "untouched", {"x"}, {"y"}, {"z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.table1, c.table2));
        QString joinType = "untouched";
        QStringList f1{"x"}, f2{"y"}, ops{"z"};
        EXPECT_EQ(Dictionary->GetJoinInfo(c.table1, c.table2, joinType, f1, f2, ops), c.found);
        EXPECT_EQ(joinType, c.joinType);
        EXPECT_EQ(f1, c.fields1);
        EXPECT_EQ(f2, c.fields2);
        EXPECT_EQ(ops, c.operators);
    }
}

TEST_F(DataDictionary, joinable_tables_come_from_both_columns_also_from_a_closed_pipeline) {
    ASSERT_FALSE(Joins.pipeline->Active());
    struct Case {
        const char* table;
        QStringList expected;
    };
    const Case cases[] = {
        {"Packages.db", {"Maintainers.db", "Hierarchy.db"}},
        {"hierarchy.db", {"Packages.db", "Maintainers.db"}},
        {"Maintainers.db", {"Hierarchy.db", "Packages.db"}},
        {"Nowhere.db", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        QStringList list{"stale"};
        Dictionary->GetJoinableTables(c.table, list);
        EXPECT_EQ(list, c.expected);
    }
}

TEST_F(DataDictionary, validation_names_the_first_fault_and_skips_joins_without_auto_join) {
    EXPECT_TRUE(Dictionary->AutoJoin());  // set by assigning the join pipeline
    EXPECT_TRUE(Dictionary->Validate()) << Dictionary->ErrorMessage().toStdString();

    TppDataDictionary bare;
    EXPECT_FALSE(bare.Validate());
    EXPECT_EQ(bare.ErrorMessage(), "DataDictionary.TablePipeline property is not assigned.");

    Dictionary->FieldFieldNames()->SetMandatory("Required");
    EXPECT_FALSE(Dictionary->Validate());
    EXPECT_EQ(Dictionary->ErrorMessage(), "FieldPipeline.Mandatory field: 'Required' could not be found.");
    Dictionary->FieldFieldNames()->SetMandatory("mandatory");
    EXPECT_TRUE(Dictionary->Validate());

    Dictionary->JoinFieldNames()->SetOperators("Ops");
    EXPECT_FALSE(Dictionary->Validate());
    EXPECT_EQ(Dictionary->ErrorMessage(), "JoinPipeline.Operators field: 'Ops' could not be found.");
    Dictionary->SetAutoJoin(false);
    EXPECT_TRUE(Dictionary->Validate());
}

TEST_F(DataDictionary, validation_reports_a_pipeline_that_cannot_open) {
    data_test::PipedTable missing = pipe("Missing.db", "plMissing");
    Dictionary->SetFieldPipeline(missing.pipeline);
    EXPECT_FALSE(Dictionary->Validate());
    EXPECT_EQ(Dictionary->ErrorMessage(), "DataDictionary.FieldPipeline 'plMissing' could not be opened.");
    // Not usable for reading either: no fields, no exception.
    Dictionary->SetTableName("Packages.db");
    EXPECT_EQ(Dictionary->GetFieldCount(), 0);
}

TEST_F(DataDictionary, a_freed_pipeline_is_forgotten) {
    delete Joins.pipeline;
    Joins.pipeline = nullptr;
    EXPECT_EQ(Dictionary->JoinPipeline(), nullptr);
    QStringList list;
    Dictionary->GetJoinableTables("Packages.db", list);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(DataDictionary, assign_copies_settings_names_and_links_and_clears_the_current_table) {
    Dictionary->SetTableName("Packages.db");
    Dictionary->SetAllowManualJoins(true);
    Dictionary->SetUseTableOwnerName(true);
    Dictionary->SetValidateFieldNames(false);
    Dictionary->TableFieldNames()->SetTableAlias("Alias");
    Dictionary->BuilderSettings()->SetDatabaseName("ReportDB");
    TppDataDictionary copy;
    copy.Assign(Dictionary);
    EXPECT_TRUE(copy.AllowManualJoins());
    EXPECT_TRUE(copy.AutoJoin());
    EXPECT_TRUE(copy.UseTableOwnerName());
    EXPECT_FALSE(copy.ValidateFieldNames());
    EXPECT_TRUE(copy.ValidateTableNames());
    EXPECT_EQ(copy.TableFieldNames()->TableAlias(), "Alias");
    EXPECT_EQ(copy.BuilderSettings()->DatabaseName(), "ReportDB");
    EXPECT_EQ(copy.TablePipeline(), Tables.pipeline);
    EXPECT_EQ(copy.JoinPipeline(), Joins.pipeline);
    EXPECT_EQ(copy.TableName(), "");
    copy.SetTableName("Maintainers.db");
    EXPECT_EQ(copy.GetFieldCount(), 3);
}

}  // namespace
