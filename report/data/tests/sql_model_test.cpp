// The query model: child lists, changes, freeing a table, copying and the component stream.

#include "report/data/sql.h"

#include "report/data/tests/sql_fixture.h"

#include "platform/format/format_settings.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>

namespace {

using data_test::LoadModel;

TEST(SQLModel, a_loaded_model_answers_its_stored_text_until_it_changes) {
    std::unique_ptr<TdaSQL> sql = LoadModel("joins");
    ASSERT_NE(sql, nullptr);
    sql->SetSQLText({"SELECT * FROM \"Hierarchy.db\" Tree"});  // typed text replaces the model
    EXPECT_TRUE(sql->EditSQLAsText());
    EXPECT_EQ(sql->SelectedTableCount(), 0);

    std::unique_ptr<TdaSQL> loaded = LoadModel("joins");
    // A stored text of its own is kept as it stands after loading.
    const QByteArray withText = stream::ObjectBinaryToText(stream::WriteComponent(*loaded))
                                    .replace("object daSQL1: TdaSQL\r\n",
                                             "object daSQL1: TdaSQL\r\n  SQLText.Strings = (\r\n    'SELECT 1')\r\n");
    std::unique_ptr<stream::Component> read = stream::ReadComponent(withText);
    auto* model = dynamic_cast<TdaSQL*>(read.get());
    ASSERT_NE(model, nullptr);
    EXPECT_FALSE(model->Modified());
    EXPECT_EQ(model->SQLText(), QStringList({"SELECT 1"}));
    EXPECT_EQ(model->SelectedTableCount(), 3);
    model->SetDistinct(true);
    EXPECT_TRUE(model->Modified());
    EXPECT_TRUE(model->SQLText().first().startsWith("SELECT DISTINCT Tree.NodeName"));
}

TEST(SQLModel, children_are_filed_by_kind_and_stream_out_and_in_unchanged) {
    std::unique_ptr<TdaSQL> sql = LoadModel("calculations");
    ASSERT_NE(sql, nullptr);
    EXPECT_EQ(sql->SelectFieldCount(), 2);
    EXPECT_EQ(sql->CalcFieldCount(), 6);
    EXPECT_EQ(sql->GroupByFieldCount(), 2);
    EXPECT_EQ(sql->OrderByFieldCount(), 3);
    EXPECT_EQ(sql->SelectedTableCount(), 2);
    EXPECT_EQ(sql->SelectedTables(1)->JoinCount(), 1);
    EXPECT_EQ(sql->SelectedTables(1)->Joins(0)->ForeignField()->TableSQLAlias(), "Tree");
    EXPECT_EQ(sql->ChildCount(), 0);

    const QByteArray binary = stream::WriteComponent(*sql);
    std::unique_ptr<stream::Component> again = stream::ReadComponent(binary);
    auto* copy = dynamic_cast<TdaSQL*>(again.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(stream::WriteComponent(*copy), binary);
    std::unique_ptr<stream::Component> fromText = stream::ReadComponent(stream::ObjectBinaryToText(binary));
    EXPECT_EQ(stream::WriteComponent(*dynamic_cast<TdaSQL*>(fromText.get())), binary);
}

TEST(SQLModel, freeing_a_table_frees_what_refers_to_it) {
    std::unique_ptr<TdaSQL> sql = LoadModel("calculations");
    ASSERT_NE(sql, nullptr);
    QPointer<TdaField> treeField = sql->SelectFields(0);
    QPointer<TdaField> packageField = sql->SelectFields(1);
    delete sql->SelectedTables(1);  // Packages
    EXPECT_TRUE(packageField.isNull());
    EXPECT_FALSE(treeField.isNull());
    EXPECT_EQ(sql->SelectFieldCount(), 1);
    // COUNT(*) and the expression name no table: they stay.
    EXPECT_EQ(sql->CalcFieldCount(), 2);
    EXPECT_EQ(sql->GroupByFieldCount(), 1);
    EXPECT_EQ(sql->OrderByFieldCount(), 2);
    EXPECT_TRUE(sql->Modified());
    delete sql->SelectedTables(0);
    EXPECT_EQ(sql->SelectedTableCount(), 0);
    EXPECT_FALSE(sql->Modified());  // the last table left
}

TEST(SQLModel, assign_copies_every_child_kind_in_order_and_the_modified_flag) {
    std::unique_ptr<TdaSQL> source = LoadModel("calculations");
    ASSERT_NE(source, nullptr);
    TdaSQL copy;
    copy.Assign(source.get());
    EXPECT_FALSE(copy.Modified());
    EXPECT_EQ(copy.CalcFieldCount(), 6);
    EXPECT_EQ(copy.CalcFields(5)->Expression(), "Packages.InstalledSize / 1024");
    EXPECT_EQ(copy.SelectedTables(1)->Joins(0)->LocalField()->FieldName(), "NodeID");
    EXPECT_TRUE(copy.Distinct());
    source->InvalidateAll();
    EXPECT_EQ(copy.SQLText(), source->SQLText());
    source->SetModified(true);
    TdaSQL second;
    second.Assign(source.get());
    EXPECT_TRUE(second.Modified());
}

TEST(SQLModel, generation_is_announced_before_and_after) {
    std::unique_ptr<TdaSQL> sql = LoadModel("joins");
    ASSERT_NE(sql, nullptr);
    TppCommunicator listener;
    QList<int> events;
    listener.EventNotifies().set(report::ciSQLBeforeBuild);
    listener.EventNotifies().set(report::ciSQLAfterBuild);
    listener.OnEventNotify = [&](QObject*, TppCommunicator*, int id, TraParamList*) { events << id; };
    sql->AddEventNotify(&listener);
    sql->GenerateSQLText();
    EXPECT_EQ(events, QList<int>({51, 52}));
    sql->RemoveEventNotify(&listener);
}

TEST(SQLModel, names_are_quoted_when_not_plain_or_reserved_with_the_quote_doubled) {
    struct Case {
        const char* name;
        const char* general;
        const char* access;
    };
    static const Case cases[] = {
        {"NodeName", "NodeName", "NodeName"},
        {"Installed Size", "\"Installed Size\"", "[Installed Size]"},
        {"2nd", "\"2nd\"", "[2nd]"},
        {"_id", "\"_id\"", "[_id]"},
        {"Date", "\"Date\"", "[Date]"},
        {"Size\"Bytes", "\"Size\"\"Bytes\"", "[Size\"Bytes]"},
        {"a]b", "\"a]b\"", "[a]]b]"},
        {"x;DROP", "\"x;DROP\"", "[x;DROP]"},
        {"Müller", "\"Müller\"", "[Müller]"},
        {"", "", ""},
    };
    data_test::TdaWordsSession session;
    TdaSQL sql;
    sql.SetSession(&session);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sql.SetDatabaseType(TppDatabaseType::dtParadox);
        EXPECT_EQ(sql.QuoteIdentifier(QString::fromUtf8(c.name)), QString::fromUtf8(c.general));
        sql.SetDatabaseType(TppDatabaseType::dtMSAccess);
        EXPECT_EQ(sql.QuoteIdentifier(QString::fromUtf8(c.name)), QString::fromUtf8(c.access));
    }
    sql.SetSession(nullptr);
}

TEST(SQLModel, a_value_that_does_not_read_keeps_its_text_and_is_named) {
    std::unique_ptr<TdaSQL> sql = LoadModel("criteria_values");
    ASSERT_NE(sql, nullptr);
    QString field, value;
    ASSERT_TRUE(sql->FindInvalidCriteriaValue(field, value));
    EXPECT_EQ(field, "Packages.Released");
    EXPECT_EQ(value, "not a date");
    const TdaCriteria* bad = sql->Criteria(12);
    EXPECT_EQ(bad->Value(), "not a date");
    EXPECT_EQ(bad->NumericValueCount(), 0);

    // Typed again as a date, it reads and keeps its number.
    sql->Criteria(12)->SetValue("12/31/2024");
    EXPECT_FALSE(sql->FindInvalidCriteriaValue(field, value));
    EXPECT_EQ(sql->Criteria(12)->NumericValueCount(), 1);
    EXPECT_EQ(sql->Criteria(12)->NumericValues(0), 45657.0);
}

TEST(SQLModel, values_stored_under_one_locale_read_back_under_another) {
    const format::FormatSettings saved = format::Settings();
    format::SetSettings(format::FormatSettings::FromLocale(QLocale(QStringLiteral("de_DE"))));
    std::unique_ptr<TdaSQL> sql = LoadModel("criteria_values");
    ASSERT_NE(sql, nullptr);
    // Values are a comma list, so a German decimal comma cannot be typed; thousands can.
    sql->Criteria(5)->SetValue(QStringLiteral("1.234"));
    EXPECT_EQ(sql->Criteria(5)->NumericValues(0), 1234.0);
    EXPECT_EQ(sql->Criteria(6)->Value(), "31.12.24");
    const QByteArray stored = stream::WriteComponent(*sql);

    format::SetSettings(format::FormatSettings::FromLocale(QLocale(QStringLiteral("en_US"))));
    std::unique_ptr<stream::Component> read = stream::ReadComponent(stored);
    auto* again = dynamic_cast<TdaSQL*>(read.get());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Criteria(5)->NumericValues(0), 1234.0);
    EXPECT_EQ(again->Criteria(5)->Value(), "1234");
    EXPECT_EQ(again->Criteria(6)->Value(), "12/31/24");
    EXPECT_EQ(again->Criteria(6)->NumericValues(0), 45657.0);
    format::SetSettings(saved);
}

}  // namespace

namespace {

TEST(SQLModelTexts, descriptions_name_calculations_operators_and_criteria_items) {
    std::unique_ptr<TdaSQL> sql = LoadModel("calculations");
    ASSERT_NE(sql, nullptr);
    struct Case {
        const TdaField* field;
        const char* expected;
    };
    const Case cases[] = {
        {sql->SelectFields(0), "Tree.View Type"},
        {sql->CalcFields(0), "Count(*)"},
        {sql->CalcFields(2), "Avg(.)"},
        {sql->CalcFields(5), "Packages.InstalledSize / 1024"},
        {sql->OrderByFields(0), "Sum(.) (Descending)"},
        {sql->OrderByFields(1), "Tree.View Type"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.field->GetDescription(), c.expected);

    std::unique_ptr<TdaSQL> logic = LoadModel("criteria_logic");
    ASSERT_NE(logic, nullptr);
    EXPECT_EQ(logic->Criteria(0)->GetDescription(), "Packages.Package = bash");
    EXPECT_EQ(logic->Criteria(1)->GetDescription(), "OR");
    EXPECT_EQ(logic->Criteria(3)->GetDescription(), "NOT");
    EXPECT_EQ(logic->Criteria(7)->GetDescription(), "begin");
    EXPECT_EQ(logic->Criteria(15)->GetDescription(), "Packages.Homepage Blank ");
    EXPECT_EQ(daJoinTypeName(TdaJoinType::dajtLeftOuter), "Left Outer");
    EXPECT_EQ(daJoinTypeName(TdaJoinType::dajtNone), "");
    EXPECT_EQ(daJoinOperatorName(TdaJoinOperatorType::dajoGreaterThanOrEqualTo), ">=");
}

}  // namespace

namespace {

TEST(SQLModelEditing, sql_aliases_are_plain_identifiers_unique_and_not_reserved) {
    std::unique_ptr<TdaSQL> sql = LoadModel("joins");  // selects Tree, Packages, Maintainers_2
    ASSERT_NE(sql, nullptr);
    data_test::TdaWordsSession session;
    sql->SetSession(&session);
    sql->SetDatabaseType(TppDatabaseType::dtParadox);
    struct Case {
        const char* table;
        const char* alias;
    };
    static const Case cases[] = {
        {"Hierarchy.db", "Hierarchy"},
        {"Packages.db", "Packages_2"},
        {"Search Terms.db", "Search_Terms"},
        {"2024 Uploads.db", "_024_Uploads"},
        {"debian.Sources", "Sources"},
        {"Order.db", "Order_TABLE"},
        {"O'Brien;--.db", "O_Brien___"},
        {"Tree", "Tree_2"},
        {"Übersicht.DBF", "_bersicht"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        EXPECT_EQ(sql->MakeSQLAlias(QString::fromUtf8(c.table)), QString::fromUtf8(c.alias));
    }
    // A dictionary that keeps owner names keeps the owner in the alias too.
    TppDataDictionary dictionary;
    dictionary.SetUseTableOwnerName(true);
    sql->SetDataDictionary(&dictionary);
    EXPECT_EQ(sql->MakeSQLAlias("debian.Sources"), "debian_Sources");
    sql->SetDataDictionary(nullptr);
    sql->SetSession(nullptr);
}

}  // namespace
