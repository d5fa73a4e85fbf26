// The SQL text of the engine's local SQL and the general rules, run on a folder of real
// tables through the table layer's SQL: the rows found are the rows meant.

#include "report/data/sql.h"

#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/sql/query.h"
#include "platform/db/table.h"
#include "platform/format/date_time_format.h"
#include "platform/format/format_settings.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

using db::FieldType;

struct Package {
    int nodeId;
    const char* name;
    const char* maintainer;
    int installedSize;
    QDate released;
};

// A few packages of Debian's catalogue, with the tree branches that hold them.
const Package kPackages[] = {
    {1, "bash", "Matthias Klose", 7164, QDate(2023, 1, 9)},
    {1, "dash", "Andrej Shadura", 215, QDate(2023, 2, 1)},
    {2, "coreutils", "Michael Stone", 18062, QDate(2022, 10, 3)},
    {3, "libc6", "GNU Libc Maintainers", 12988, QDate(2024, 3, 12)},
    {3, "libzip4", "Dan O'Brien", 142, QDate(2024, 6, 30)},
    {2, "python3-apt", "APT Development Team", 792, QDate(2024, 1, 15)},
};
const char* const kBranches[] = {"Shells", "Core utilities", "Libraries", "Empty branch"};

class SQLRun : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = format::Settings();
        format::SetSettings(format::FormatSettings::FromLocale(QLocale::c()));
        ASSERT_TRUE(m_dir.isValid());
        db::CreateTableFile(m_dir.path(), "Hierarchy.db",
                            {{{"NodeID", FieldType::ftInteger, 0, true}, {"NodeName", FieldType::ftString, 60, false}},
                             {}});
        db::CreateTableFile(m_dir.path(), "Packages.db",
                            {{{"NodeID", FieldType::ftInteger, 0, false},
                              {"Package", FieldType::ftString, 60, false},
                              {"Maintainer", FieldType::ftString, 60, false},
                              {"InstalledSize", FieldType::ftInteger, 0, false},
                              {"Released", FieldType::ftDate, 0, false}},
                             {}});
        db::Table tree, packages;
        for (db::Table* t : {&tree, &packages}) t->SetDatabaseName(m_dir.path());
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
            packages.FieldByName("Released")->SetAsDateTime(base::DateTimeToDays(QDateTime(p.released, QTime(0, 0))));
            packages.Post();
        }
    }
    void TearDown() override { format::SetSettings(m_saved); }

    /// Tree and Packages joined on NodeID, selecting the branch and the package.
    std::unique_ptr<TdaSQL> model(TdaJoinType aJoinType) {
        auto sql = std::make_unique<TdaSQL>();
        auto table = [&](const char* name, const char* alias, TdaJoinType type) {
            auto* t = new TdaTable(sql.get());
            t->SetTableName(name);
            t->SetSQLAlias(alias);
            t->SetTableAlias(alias);
            t->SetJoinType(type);
            t->SetParent(sql.get());
            return t;
        };
        table("Hierarchy.db", "Tree", TdaJoinType::dajtNone);
        TdaTable* packages = table("Packages.db", "Packages", aJoinType);
        auto* join = new TdaTableJoin(sql.get());
        join->SetParent(packages);
        for (auto [type, alias] : {std::pair{3, "Tree"}, std::pair{4, "Packages"}}) {
            auto* f = new TdaField(sql.get());
            f->SetChildType(type);
            f->SetFieldName("NodeID");
            f->SetTableSQLAlias(alias);
            f->SetParent(join);
        }
        select(*sql, "Tree", "NodeName");
        select(*sql, "Packages", "Package");
        return sql;
    }
    static TdaField* field(TdaSQL& sql, const char* alias, const char* name, int childType,
                           TppDataType type = TppDataType::dtString) {
        auto* f = new TdaField(&sql);
        f->SetChildType(childType);
        f->SetTableSQLAlias(alias);
        f->SetFieldName(name);
        f->SetDataType(type);
        return f;
    }
    static void select(TdaSQL& sql, const char* alias, const char* name) {
        field(sql, alias, name, report::data::kSelectField)->SetParent(&sql);
    }
    static TdaCriteria* criterion(TdaSQL& sql, TdaCriteriaType type, const char* fieldName = nullptr,
                                  TppDataType dataType = TppDataType::dtString,
                                  TdaCriteriaOperatorType op = TdaCriteriaOperatorType::dacoEqual,
                                  const QString& value = {}, bool caseSensitive = true) {
        auto* c = new TdaCriteria(&sql);
        c->SetCriteriaType(type);
        if (fieldName) field(sql, "Packages", fieldName, report::data::kSelectField, dataType)->SetParent(c);
        c->SetOperator(op);
        c->SetCaseSensitive(caseSensitive);
        c->SetValue(value);
        c->SetParent(&sql);
        return c;
    }

    /// The rows the text finds, "branch|package" each, sorted.
    QStringList run(const QStringList& aText) {
        std::unique_ptr<db::sql::QueryCursor> q = db::sql::OpenQuery(m_dir.path(), aText.join(u'\n'));
        QStringList rows;
        for (q->First(); !q->Eof(); q->Next())
            rows << q->Fields(0)->AsString() + u'|' + q->Fields(1)->AsString();
        rows.sort();
        return rows;
    }

    QTemporaryDir m_dir;
    format::FormatSettings m_saved;
};

TEST_F(SQLRun, criteria_find_the_rows_they_mean_in_every_general_dialect) {
    using CO = TdaCriteriaOperatorType;
    using CT = TdaCriteriaType;
    struct Case {
        const char* what;
        std::function<void(SQLRun&, TdaSQL&)> build;
        QStringList rows;
    };
    const QString since = format::DateToStr(QDate(2024, 1, 1));
    const Case cases[] = {
        {"a quote in the value", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Maintainer", TppDataType::dtString, CO::dacoEqual, "dan o'brien", false);
         }, {"Libraries|libzip4"}},
        {"like, not case-sensitive", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoLike, "LIB", false);
         }, {"Libraries|libc6", "Libraries|libzip4"}},
        {"between numbers", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "InstalledSize", TppDataType::dtInteger, CO::dacoBetween, "200,1000");
         }, {"Core utilities|python3-apt", "Shells|dash"}},
        {"in a list", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoInList, "bash,coreutils");
         }, {"Core utilities|coreutils", "Shells|bash"}},
        {"a date", [since](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Released", TppDataType::dtDate, CO::dacoGreaterThanOrEqualTo, since);
         }, {"Core utilities|python3-apt", "Libraries|libc6", "Libraries|libzip4"}},
        {"or, not and parentheses", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoEqual, "bash");
             t.criterion(s, CT::dacrOR);
             t.criterion(s, CT::dacrBegin);
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoLike, "lib");
             t.criterion(s, CT::dacrNOT);
             t.criterion(s, CT::dacrField, "InstalledSize", TppDataType::dtInteger, CO::dacoLessThan, "1000");
             t.criterion(s, CT::dacrEnd);
         }, {"Libraries|libc6", "Shells|bash"}},
        {"a skipped condition beside OR", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoEqual, "dash");
             t.criterion(s, CT::dacrOR);
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoEqual, "bash")
                 ->SetShowAllValues(true);
         }, {"Shells|dash"}},
        {"an empty search value in parentheses", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoEqual, "dash");
             t.criterion(s, CT::dacrBegin);
             t.criterion(s, CT::dacrField, "Maintainer")->Field()->SetAutoSearch(true);
             t.criterion(s, CT::dacrEnd);
         }, {"Shells|dash"}},
    };
    for (const Case& c : cases)
        for (TppDatabaseType type : {TppDatabaseType::dtInterBase, TppDatabaseType::dtParadox,
                                     TppDatabaseType::dtDBISAM, TppDatabaseType::dtOther})
            for (TppSQLType sqlType : {TppSQLType::sqBDELocal, TppSQLType::sqSQL1, TppSQLType::sqSQL2}) {
                std::unique_ptr<TdaSQL> sql = model(TdaJoinType::dajtInner);
                c.build(*this, *sql);
                sql->SetDatabaseType(type);
                sql->SetSQLType(sqlType);
                const QStringList text = sql->SQLText();
                SCOPED_TRACE(QStringLiteral("%1, %2 %3:\n%4")
                                 .arg(c.what, report::EnumName(type), report::EnumName(sqlType), text.join(u'\n'))
                                 .toStdString());
                EXPECT_EQ(run(text), c.rows);
            }
}

TEST_F(SQLRun, outer_joins_keep_the_rows_without_partner_in_every_sql_type) {
    const QStringList all = {"Core utilities|coreutils", "Core utilities|python3-apt", "Empty branch|",
                             "Libraries|libc6", "Libraries|libzip4", "Shells|bash", "Shells|dash"};
    struct Case {
        TdaJoinType join;
        QStringList rows;
    };
    const Case cases[] = {
        {TdaJoinType::dajtInner, all.filter(QRegularExpression("\\|.+"))},
        {TdaJoinType::dajtNone, all.filter(QRegularExpression("\\|.+"))},
        {TdaJoinType::dajtLeftOuter, all},
    };
    for (const Case& c : cases)
        for (TppSQLType sqlType : {TppSQLType::sqBDELocal, TppSQLType::sqSQL1, TppSQLType::sqSQL2}) {
            std::unique_ptr<TdaSQL> sql = model(c.join);
            sql->SetDatabaseType(TppDatabaseType::dtParadox);
            sql->SetSQLType(sqlType);
            const QStringList text = sql->SQLText();
            SCOPED_TRACE(text.join(u'\n').toStdString());
            EXPECT_EQ(run(text), c.rows);
        }
}

}  // namespace
