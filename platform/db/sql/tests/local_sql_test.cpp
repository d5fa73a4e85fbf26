#include "platform/db/sql/local_sql.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace db::sql {
namespace {

// Table names resolve as a folder holding Hierarchy.DB, HierarchyDict.db and Orders.db would.
QString Resolve(const QString& written) {
    static const QStringList kFiles = {QStringLiteral("Hierarchy.DB"), QStringLiteral("HierarchyDict.db"),
                                       QStringLiteral("Orders.db")};
    for (const QString& f : kFiles) {
        if (f.compare(written, Qt::CaseInsensitive) == 0) return f;
    }
    for (const QString& f : kFiles) {
        if (f.section(u'.', 0, 0).compare(written, Qt::CaseInsensitive) == 0) return f;
    }
    return written;
}

TEST(LocalSql, translates_names_strings_and_dates_by_their_place_in_the_query) {
    struct Case {
        const char* local;
        const char* sqlite;
        const char* tables;
    };
    static const Case kCases[] = {
        // table files, quoted, bare and with extension; names that differ stay as aliases
        {R"(SELECT * FROM "Hierarchy.DB")", R"(SELECT * FROM "t1"."Hierarchy.DB")", "Hierarchy.DB"},
        {R"(SELECT * FROM Hierarchy.DB WHERE 'c' <> 'c' )", R"(SELECT * FROM "t1"."Hierarchy.DB" WHERE 'c' <> 'c' )", "Hierarchy.DB"},
        {R"(SELECT Hierarchy.NodeID FROM Hierarchy)", R"(SELECT Hierarchy.NodeID FROM "t1"."Hierarchy.DB" AS "Hierarchy")", "Hierarchy.DB"},
        {R"(SELECT * FROM "hierarchy.db" h)", R"(SELECT * FROM "t1"."Hierarchy.DB" h)", "Hierarchy.DB"},
        {R"(SELECT * FROM "Missing.DB")", R"(SELECT * FROM "t1"."Missing.DB")", "Missing.DB"},
        {R"(SELECT * FROM "sub/Other.db")", R"(SELECT * FROM "t1"."Other.db" AS "sub/Other.db")", "sub/Other.db"},
        // the generator's join form with quoted aliases; the same file twice is attached once
        {R"(SELECT a.NodeID, b."Node Name" FROM "Hierarchy.DB" a INNER JOIN "Orders.db" "b b" ON (a.NodeID = "b b".NodeID))",
         R"(SELECT a.NodeID, b."Node Name" FROM "t1"."Hierarchy.DB" a INNER JOIN "t2"."Orders.db" "b b" ON (a.NodeID = "b b".NodeID))",
         "Hierarchy.DB|Orders.db"},
        {R"(SELECT p.NodeID FROM "Hierarchy.DB" p, "Hierarchy.DB" AS c WHERE c.ParentNodeID = p.NodeID)",
         R"(SELECT p.NodeID FROM "t1"."Hierarchy.DB" p, "t1"."Hierarchy.DB" AS c WHERE c.ParentNodeID = p.NodeID)", "Hierarchy.DB"},
        // double-quoted values are strings, also in ON, IN lists, HAVING and function calls
        {R"(SELECT * FROM "Orders.db" o WHERE ( UPPER(o.Name) LIKE "AB%" ))",
         R"(SELECT * FROM "t1"."Orders.db" o WHERE ( UPPER(o.Name) LIKE 'AB%' ))", "Orders.db"},
        {R"(SELECT * FROM Orders o WHERE o.Name IN ("O'Brien", "say ""hi""") AND o.Kind = "x")",
         R"(SELECT * FROM "t1"."Orders.db" o WHERE o.Name IN ('O''Brien', 'say "hi"') AND o.Kind = 'x')", "Orders.db"},
        {R"(SELECT "Hierarchy.DB".NodeName || " - " AS "Long Name" FROM "Hierarchy.DB")",
         R"(SELECT "Hierarchy.DB".NodeName || ' - ' AS "Long Name" FROM "t1"."Hierarchy.DB")", "Hierarchy.DB"},
        {R"(SELECT o.Kind, COUNT(*) FROM Orders o GROUP BY o.Kind HAVING o.Kind <> "z" ORDER BY 2 DESC)",
         R"(SELECT o.Kind, COUNT(*) FROM "t1"."Orders.db" o GROUP BY o.Kind HAVING o.Kind <> 'z' ORDER BY 2 DESC)", "Orders.db"},
        // dates in single quotes become day numbers; other single-quoted texts stay
        {R"(SELECT * FROM Orders o WHERE o.Placed >= '01/15/1990' AND o.Placed < '1/2/2000')",
         R"(SELECT * FROM "t1"."Orders.db" o WHERE o.Placed >= 32888 AND o.Placed < 36527)", "Orders.db"},
        {R"(SELECT * FROM Orders o WHERE o.Stamp > '12/30/1899 18:00:00' OR o.Stamp < '12/31/1899 6:00 PM')",
         R"(SELECT * FROM "t1"."Orders.db" o WHERE o.Stamp > 0.75 OR o.Stamp < 1.75)", "Orders.db"},
        {R"(SELECT * FROM Orders o WHERE o.Name = '12-30-1899' OR o.Name = "01/15/1990")",
         R"(SELECT * FROM "t1"."Orders.db" o WHERE o.Name = '12-30-1899' OR o.Name = '01/15/1990')", "Orders.db"},
        // sub-queries and derived tables; FROM inside a function call names no table
        {R"(SELECT * FROM (SELECT NodeID FROM Hierarchy WHERE NodeName = "x") AS s JOIN Orders o ON o.NodeID = s.NodeID)",
         R"(SELECT * FROM (SELECT NodeID FROM "t1"."Hierarchy.DB" AS "Hierarchy" WHERE NodeName = 'x') AS s JOIN "t2"."Orders.db" o ON o.NodeID = s.NodeID)",
         "Hierarchy.DB|Orders.db"},
        {R"(SELECT * FROM Orders o WHERE o.NodeID IN (SELECT NodeID FROM "HierarchyDict.db"))",
         R"(SELECT * FROM "t1"."Orders.db" o WHERE o.NodeID IN (SELECT NodeID FROM "t2"."HierarchyDict.db"))",
         "Orders.db|HierarchyDict.db"},
        // functions with keywords between their arguments, nested too
        {R"(SELECT TRIM(BOTH "x" FROM o.Name), TRIM(LEADING FROM o.Name), TRIM(TRAILING '.' FROM o.Name), TRIM(o.Name) FROM Orders o)",
         R"(SELECT trim(o.Name, 'x'), ltrim(o.Name), rtrim(o.Name, '.'), TRIM(o.Name) FROM "t1"."Orders.db" o)", "Orders.db"},
        {R"(SELECT SUBSTRING(UPPER(SUBSTRING(Name FROM 2)) FROM 1 FOR 3), SUBSTRING(Name, 1, 2) FROM Orders)",
         R"(SELECT substr(UPPER(substr(Name, 2)), 1, 3), SUBSTRING(Name, 1, 2) FROM "t1"."Orders.db" AS "Orders")", "Orders.db"},
        {R"(SELECT EXTRACT(YEAR FROM o.Placed), EXTRACT(minute FROM o.Stamp) FROM Orders o WHERE EXTRACT(MONTH FROM o.Placed) = 1)",
         R"(SELECT CAST(strftime('%Y', (o.Placed) + 2415018.5) AS INTEGER), CAST(strftime('%M', (o.Stamp) + 2415018.5) AS INTEGER) FROM "t1"."Orders.db" o WHERE CAST(strftime('%m', (o.Placed) + 2415018.5) AS INTEGER) = 1)",
         "Orders.db"},
        // comments and layout are kept
        {"SELECT *\n  FROM \"Orders.db\" -- all \"rows\"\n  /* \"x\" */ WHERE 1 = 1;",
         "SELECT *\n  FROM \"t1\".\"Orders.db\" -- all \"rows\"\n  /* \"x\" */ WHERE 1 = 1;", "Orders.db"},
    };
    TranslateOptions options;
    options.resolveTable = Resolve;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.local);
        auto r = TranslateLocalSql(QString::fromUtf8(c.local), options);
        ASSERT_TRUE(r.ok()) << r.error().text.toStdString();
        EXPECT_EQ(r.value().text, QString::fromUtf8(c.sqlite));
        EXPECT_EQ(r.value().tables.join(u'|'), QString::fromUtf8(c.tables));
    }
}

TEST(LocalSql, rejects_unclosed_texts_and_impossible_dates_with_their_position) {
    struct Case {
        const char* local;
        int code;
        int column;
    };
    static const Case kCases[] = {
        {R"(SELECT * FROM "Orders.db)", kUnterminatedName, 15},
        {R"(SELECT * FROM Orders WHERE Name = "abc)", kUnterminatedName, 35},
        {R"(SELECT * FROM Orders WHERE Placed = '02/30/2001')", kInvalidDate, 37},
        {R"(SELECT * FROM Orders WHERE Placed = '1/1/2001 25:00')", kInvalidDate, 37},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.local);
        auto r = TranslateLocalSql(QString::fromUtf8(c.local));
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, c.code);
        EXPECT_EQ(r.error().line, 1);
        EXPECT_EQ(r.error().column, c.column);
    }
}

TEST(LocalSql, lists_the_outermost_select_entries_with_their_aliases) {
    auto r = TranslateLocalSql(QStringLiteral(
        R"(SELECT DISTINCT h.*, SUM(o.Amount) AS "Total", UPPER("x"), (SELECT 1 FROM b) FROM Hierarchy h, Orders o UNION SELECT 1 FROM c)"));
    ASSERT_TRUE(r.ok());
    const auto& cols = r.value().columns;
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_TRUE(cols[0].star);
    EXPECT_EQ(cols[1].alias, QStringLiteral("Total"));
    EXPECT_EQ(cols[1].tokens.front().text, QStringLiteral("SUM"));
    EXPECT_EQ(cols[2].tokens[2].text, QStringLiteral("'x'"));
    EXPECT_EQ(cols[2].tokens[2].kind, TokenKind::SingleQuoted);
    EXPECT_FALSE(cols[3].star);
    EXPECT_TRUE(cols[3].alias.isEmpty());
}

}  // namespace
}  // namespace db::sql
