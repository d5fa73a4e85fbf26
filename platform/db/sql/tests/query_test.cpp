#include "platform/db/sql/query.h"
#include "platform/db/sql/query_component.h"
#include "platform/db/session.h"
#include "platform/db/data_source.h"

#include "platform/db/database.h"
#include "platform/db/fault_injection.h"
#include "platform/db/db_error.h"
#include "platform/db/table.h"
#include "testsupport/temp_folder.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace db::sql {
namespace {

/// A folder with Hierarchy.DB and Orders.db filled with a few rows.
class Query : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        TableDef hierarchy;
        hierarchy.Fields = {{"NodeID", FieldType::ftInteger, 0, true},
                            {"ParentNodeID", FieldType::ftInteger, 0, false},
                            {"NodeName", FieldType::ftString, 100, false},
                            {"NodeType", FieldType::ftSmallint, 0, false}};
        hierarchy.Indexes = {{"", "NodeID", IndexOption::ixPrimary | IndexOption::ixUnique},
                             {"ByName", "NodeName", IndexOption::ixCaseInsensitive}};
        CreateTableFile(Path(), "Hierarchy.DB", hierarchy);
        Fill("Hierarchy.DB", {{1000, 0, "Root", 0}, {1001, 1000, "abbot", 1}, {1002, 1000, "Abbey Road", 1},
                              {1003, 1001, QString::fromUtf8("Größe"), 2}});

        TableDef orders;
        orders.Fields = {{"OrderNo", FieldType::ftAutoInc, 0, false},
                         {"NodeID", FieldType::ftInteger, 0, false},
                         {"Placed", FieldType::ftDate, 0, false},
                         {"Amount", FieldType::ftCurrency, 0, false},
                         {"Paid", FieldType::ftBoolean, 0, false},
                         {"Note", FieldType::ftMemo, 0, false}};
        orders.Indexes = {{"", "OrderNo", IndexOption::ixPrimary | IndexOption::ixUnique}};
        CreateTableFile(Path(), "Orders.db", orders);
        // Placed: 32888 = 01/15/1990, 36526 = 01/01/2000
        Fill("Orders.db", {{1, 1001, 32888.0, 10.5, true, "first"},
                           {2, 1001, 36526.0, 4.25, false, QVariant()},
                           {3, 1002, 36526.0, 100.0, true, "a\r\nlong note"}});
    }

    void Fill(const QString& table, const std::vector<QVariantList>& rows) {
        Table t;
        t.SetDatabaseName(Path());
        t.SetTableName(table);
        t.Open();
        for (const QVariantList& row : rows) {
            t.Append();
            for (int i = 0; i < row.size(); ++i) {
                if (!row[i].isNull() && t.Fields(i)->CanModify()) t.Fields(i)->SetValue(row[i]);
            }
            t.Post();
        }
    }

    /// The cursor as text: "name:type[size]" of each field, then one line per row.
    static QString Dump(Table& t) {
        QStringList lines;
        QStringList head;
        for (int i = 0; i < t.FieldCount(); ++i) {
            const Field* f = t.Fields(i);
            QString h = f->FieldName() + u':' + FieldTypeName(f->DataType());
            if (f->DataType() == FieldType::ftString) h += QStringLiteral("(%1)").arg(f->Size());
            head << h;
        }
        lines << head.join(u'|');
        for (t.First(); !t.Eof(); t.Next()) {
            QStringList cells;
            for (int i = 0; i < t.FieldCount(); ++i) cells << (t.Fields(i)->IsNull() ? QStringLiteral("-") : t.Fields(i)->AsString());
            lines << cells.join(u'|');
        }
        return lines.join(u'\n');
    }

    QByteArray FileHash(const QString& name) const {
        QFile f(FilePath(name));
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
};

TEST_F(Query, answers_rows_and_typed_fields_for_local_sql_texts) {
    struct Case {
        const char* sql;
        const char* result;
    };
    static const Case kCases[] = {
        {R"(SELECT NodeID, NodeName FROM "Hierarchy.DB" ORDER BY NodeID)",
         "NodeID:Long|NodeName:Alpha(100)\n1000|Root\n1001|abbot\n1002|Abbey Road\n1003|Größe"},
        {R"(SELECT * FROM "Hierarchy.DB" WHERE 'c' <> 'c' )",
         "NodeID:Long|ParentNodeID:Long|NodeName:Alpha(100)|NodeType:Short"},
        // LIKE compares case-sensitively; UPPER knows every letter
        {R"(SELECT NodeName FROM Hierarchy WHERE NodeName LIKE "Ab%")", "NodeName:Alpha(100)\nAbbey Road"},
        {R"(SELECT h.NodeName FROM Hierarchy.DB h WHERE ( UPPER(h.NodeName) LIKE "AB%" ) ORDER BY h.NodeID)",
         "NodeName:Alpha(100)\nabbot\nAbbey Road"},
        {R"(SELECT NodeID FROM hierarchy.db WHERE UPPER(NodeName) LIKE "GRÖ%")", "NodeID:Long\n1003"},
        {R"(SELECT NodeID FROM Hierarchy WHERE NodeName NOT LIKE "%o%" OR NodeName LIKE "Abbey!_%" ESCAPE "!" ORDER BY 1)", "NodeID:Long\n1003"},
        // a name used twice is made unique; an autoincrement column reads as long integer
        {R"(SELECT h.NodeID, o.NodeID, o.OrderNo, o.Amount FROM "Hierarchy.DB" h INNER JOIN "Orders.db" o ON (h.NodeID = o.NodeID) ORDER BY o.OrderNo)",
         "NodeID:Long|NodeID_1:Long|OrderNo:Long|Amount:Money\n1001|1001|1|10.5\n1001|1001|2|4.25\n1002|1002|3|100"},
        // dates written MM/DD/YYYY; logical values
        {R"(SELECT OrderNo, Placed FROM Orders WHERE Placed > '01/15/1990' AND Paid = TRUE)", "OrderNo:Long|Placed:Date\n3|2000-01-01"},
        {R"(SELECT OrderNo FROM Orders WHERE Placed = '1/15/1990')", "OrderNo:Long\n1"},
        // computed columns are typed from their expression
        {R"(SELECT NodeID, COUNT(*), SUM(Amount), AVG(Amount), MAX(Placed), MIN(OrderNo) FROM Orders GROUP BY NodeID ORDER BY 1)",
         "NodeID:Long|COUNT(*):Long|SUM(Amount):Money|AVG(Amount):Number|MAX(Placed):Date|MIN(OrderNo):Long\n"
         "1001|2|14.75|7.375|2000-01-01|1\n1002|1|100|100|2000-01-01|3"},
        {R"(SELECT h.NodeName || " #" || h.NodeID AS Label, h.NodeID * 2 AS Twice, h.NodeID > 1001 AS Big FROM Hierarchy h WHERE h.NodeID < 1002)",
         "Label:Alpha(102)|Twice:Long|Big:Logical\nRoot #1000|2000|False\nabbot #1001|2002|False"},
        {R"(SELECT COUNT(*) AS N, MAX(NodeName) FROM Hierarchy WHERE 1 = 0)", "N:Long|MAX(NodeName):Alpha(100)\n0|-"},
        {R"(SELECT OrderNo, Note FROM Orders ORDER BY OrderNo DESC)", "OrderNo:Long|Note:Memo\n3|a\r\nlong note\n2|-\n1|first"},
        // functions written with keywords
        {R"(SELECT OrderNo, EXTRACT(YEAR FROM Placed) AS Y, EXTRACT(DAY FROM Placed) AS D, SUBSTRING(Note FROM 4 FOR 4) AS Part FROM Orders WHERE EXTRACT(MONTH FROM Placed) = 1 ORDER BY 1)",
         "OrderNo:Long|Y:Long|D:Long|Part:Alpha(255)\n1|1990|15|st\n2|2000|1|-\n3|2000|1|long"},
        {R"(SELECT TRIM(LEADING "A" FROM NodeName) AS T FROM Hierarchy WHERE NodeID = 1002)", "T:Alpha(100)\nbbey Road"},
        // a sub-query over a third use of a table and a self-join
        {R"(SELECT c.NodeName, p.NodeName FROM Hierarchy c, Hierarchy p WHERE c.ParentNodeID = p.NodeID AND c.NodeID IN (SELECT NodeID FROM Orders) ORDER BY 1)",
         "NodeName:Alpha(100)|NodeName_1:Alpha(100)\nAbbey Road|Root\nabbot|Root"},
        // names in brackets and back-quotes, as SQLite reads them (these once recursed for ever)
        {"SELECT 1 [||||]", "||||:Long\n1"},
        {"SELECT 1 `||||`", "||||:Long\n1"},
        {"SELECT 1 [* *]", "* *:Long\n1"},
        {"SELECT [NodeName] FROM [Hierarchy] WHERE `NodeID` = 1001", "NodeName:Alpha(100)\nabbot"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.sql);
        try {
            auto cursor = OpenQuery(Path(), QString::fromUtf8(c.sql));
            EXPECT_EQ(Dump(*cursor), QString::fromUtf8(c.result));
        } catch (const base::Exception& e) {
            ADD_FAILURE() << e.Message().toStdString();
        }
    }
}

TEST_F(Query, types_every_computed_column_however_its_operators_stand) {
    // operators in a row, at the start or the end: the typing must end with an answer
    static const char* const kExpressions[] = {
        "1 || || 2", "|| 1", "1 ||", "1 * * 2", "* 1", "1 + + 2", "- - 1", "1 - - - 2", "(1 || (2 * * 3))",
        "'a' || - 'b'", "1 % % 2", "UPPER(1 || || 2)", "SUM(1 * * 2)", "((((1)))) || ((2))",
    };
    for (const char* e : kExpressions) {
        SCOPED_TRACE(e);
        const QString sql = QStringLiteral("SELECT %1 AS X FROM Hierarchy").arg(QString::fromUtf8(e));
        try {
            const auto defs = QueryFieldDefs(Path(), sql);
            ASSERT_EQ(defs.size(), 1u);
            EXPECT_EQ(defs[0].Name, QStringLiteral("X"));
        } catch (const EDBEngineError& err) {
            EXPECT_EQ(err.Code(), kInvalidSql) << err.Message().toStdString();  // SQLite may refuse the text
        }
    }
    // calls nested deeper than the typing follows are still answered
    QString nested = QStringLiteral("1");
    for (int i = 0; i < 400; ++i) nested = QStringLiteral("abs(%1)").arg(nested);
    try {
        EXPECT_EQ(QueryFieldDefs(Path(), QStringLiteral("SELECT %1 AS X").arg(nested)).size(), 1u);
    } catch (const EDBEngineError& err) {
        EXPECT_EQ(err.Code(), kInvalidSql) << err.Message().toStdString();
    }
}

TEST_F(Query, refuses_bad_queries_with_an_engine_code_and_changes_nothing) {
    struct Case {
        const char* sql;
        int code;
    };
    static const Case kCases[] = {
        {R"(SELECT * FORM "Hierarchy.DB")", kInvalidSql},
        {R"(SELECT Nope FROM "Hierarchy.DB")", kInvalidSql},
        {R"(SELECT * FROM "Hierarchy.DB" WHERE NodeName = "abc)", kInvalidSql},
        {R"(SELECT * FROM Orders WHERE Placed = '02/30/2001')", kInvalidSql},
        {R"(SELECT 1 FROM Hierarchy; DELETE FROM Hierarchy)", kInvalidSql},
        {R"(DELETE FROM "Hierarchy.DB")", kInvalidSql},
        {R"(UPDATE "Hierarchy.DB" SET NodeName = "x")", kInvalidSql},
        {"", kInvalidSql},
        {R"(SELECT * FROM "Missing.DB")", ErrorCode::kTableNotFound},
        {R"(SELECT * FROM Hierarchy h JOIN Missing m ON h.NodeID = m.NodeID)", ErrorCode::kTableNotFound},
    };
    const QByteArray before = FileHash("Hierarchy.DB");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.sql);
        try {
            OpenQuery(Path(), QString::fromUtf8(c.sql));
            ADD_FAILURE() << "no error";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(e.Code(), c.code) << e.Message().toStdString();
            EXPECT_GE(e.ErrorCount(), 1);
        }
    }
    EXPECT_EQ(FileHash("Hierarchy.DB"), before);
    auto check = OpenQuery(Path(), QStringLiteral("SELECT COUNT(*) FROM Hierarchy"));
    EXPECT_EQ(check->Fields(0)->AsInteger(), 4);
}

TEST_F(Query, says_why_a_statement_is_invalid) {
    try {
        OpenQuery(Path(), QStringLiteral("SELECT Nope FROM \"Hierarchy.DB\""));
        FAIL() << "no error";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.Errors(0).Message, QStringLiteral("Invalid SQL statement."));
        EXPECT_TRUE(e.Message().contains(QStringLiteral("no such column: Nope"))) << e.Message().toStdString();
    }
}

TEST_F(Query, a_query_over_more_tables_than_can_be_attached_says_so) {
    TableDef small;
    small.Fields = {{"ID", FieldType::ftInteger, 0, false}};
    QStringList from;
    for (int i = 1; i <= 11; ++i) {
        CreateTableFile(Path(), QStringLiteral("T%1.db").arg(i), small);
        from << QStringLiteral("\"T%1.db\"").arg(i);
    }
    // ten tables are fine
    EXPECT_NO_THROW(OpenQuery(Path(), QStringLiteral("SELECT * FROM ") + from.mid(0, 10).join(u',')));
    try {
        OpenQuery(Path(), QStringLiteral("SELECT * FROM ") + from.join(u','));
        FAIL() << "no error";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.Code(), ErrorCode::kTooManyTables);
        EXPECT_TRUE(e.Message().contains(QStringLiteral("The query uses 11 tables; at most 10 tables can be used in one query.")))
            << e.Message().toStdString();
    }
}

TEST_F(Query, tables_are_found_in_sub_folders_and_a_damaged_file_is_reported) {
    ASSERT_TRUE(QDir(Path()).mkpath(QStringLiteral("old #1")));
    TableDef def;
    def.Fields = {{"Code", FieldType::ftString, 5, false}};
    CreateTableFile(FilePath("old #1"), "Codes.db", def);
    auto cursor = OpenQuery(Path(), QStringLiteral("SELECT * FROM \"old #1/Codes.db\" WHERE \"old #1/Codes.db\".Code IS NULL"));
    EXPECT_EQ(cursor->FieldCount(), 1);
    EXPECT_EQ(cursor->RecordCount(), 0);

    QFile broken(FilePath("Broken.DB"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("this is not a table at all");
    broken.close();
    try {
        OpenQuery(Path(), QStringLiteral("SELECT * FROM \"Broken.DB\""));
        FAIL() << "no error";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.Code(), ErrorCode::kCorruptHeader);
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Broken.DB")));
    }
}

TEST_F(Query, a_table_held_exclusively_cannot_be_read) {
    Table holder;
    holder.SetDatabaseName(Path());
    holder.SetTableName("Orders.db");
    holder.SetExclusive(true);
    holder.Open();
    try {
        OpenQuery(Path(), QStringLiteral("SELECT * FROM Orders"));
        FAIL() << "no error";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.Code(), ErrorCode::kTableLocked);
    }
    holder.Close();
    EXPECT_EQ(OpenQuery(Path(), QStringLiteral("SELECT * FROM Orders"))->RecordCount(), 3);
}

TEST_F(Query, a_failing_write_of_the_answer_fails_the_query_cleanly) {
    const QByteArray before = FileHash("Orders.db");
    bool succeeded = false;
    int failures = 0;
    for (int n = 1; n < 100 && !succeeded; ++n) {
        SCOPED_TRACE(n);
        testing::FailNthWrite(n);
        try {
            auto cursor = OpenQuery(Path(), QStringLiteral("SELECT OrderNo, Note FROM Orders ORDER BY OrderNo"));
            succeeded = true;
            EXPECT_EQ(cursor->RecordCount(), 3);
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(e.Code(), ErrorCode::kIoError);
            ++failures;
        }
        testing::FailNthWrite(0);
    }
    EXPECT_TRUE(succeeded);
    EXPECT_GT(failures, 3);  // creating the answer and writing each of its rows
    EXPECT_EQ(FileHash("Orders.db"), before);
}

TEST_F(Query, the_answer_folder_goes_with_the_cursor) {
    auto cursor = OpenQuery(Path(), QStringLiteral("SELECT * FROM Orders"));
    const QString folder = cursor->Folder();
    EXPECT_TRUE(QFileInfo::exists(folder));
    cursor.reset();
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(Query, a_missing_folder_is_reported_as_database_not_found) {
    try {
        OpenQuery(FilePath("nowhere"), QStringLiteral("SELECT * FROM Hierarchy"));
        FAIL() << "no error";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.Code(), ErrorCode::kDatabaseNotFound);
    }
}

TEST_F(Query, the_answer_is_a_read_only_cursor_that_walks_like_a_table) {
    auto cursor = OpenQuery(Path(), QStringLiteral("SELECT NodeID, NodeName FROM Hierarchy ORDER BY NodeName DESC"));
    EXPECT_EQ(cursor->State(), DataSetState::dsBrowse);
    EXPECT_EQ(cursor->RecordCount(), 4);
    EXPECT_EQ(cursor->FieldByName("nodename")->AsString(), QStringLiteral("abbot"));  // first row: texts sort by character code
    cursor->Last();
    EXPECT_EQ(cursor->FieldByName("NodeID")->AsInteger(), 1002);
    EXPECT_TRUE(cursor->Locate(QStringLiteral("NodeID"), {1003}));
    const Bookmark mark = cursor->GetBookmark();
    cursor->First();
    cursor->GotoBookmark(mark);
    EXPECT_EQ(cursor->FieldByName("NodeName")->AsString(), QString::fromUtf8("Größe"));
    EXPECT_FALSE(cursor->CanModify());
    EXPECT_THROW(cursor->Edit(), EDBEngineError);
    EXPECT_EQ(cursor->LocalSql(), QStringLiteral("SELECT NodeID, NodeName FROM Hierarchy ORDER BY NodeName DESC"));
}

TEST_F(Query, tables_of_a_connected_database_are_reached_by_its_name) {
    Database database;
    database.SetDatabaseName(QStringLiteral("QueryTestDb"));
    database.SetDirectory(Path());
    database.Open();
    auto cursor = OpenQuery(QStringLiteral("QueryTestDb"), QStringLiteral("SELECT NodeName FROM \"Hierarchy.DB\" WHERE NodeID = 1000"));
    EXPECT_EQ(cursor->Fields(0)->AsString(), QStringLiteral("Root"));
}

TEST_F(Query, field_definitions_are_given_without_reading_rows) {
    const auto defs = QueryFieldDefs(Path(), QStringLiteral("SELECT o.*, 'x' AS Mark, SUM(o.Amount) FROM Orders o"));
    QStringList got;
    for (const FieldDef& d : defs) got << d.Name + u':' + FieldTypeName(d.DataType);
    EXPECT_EQ(got.join(u'|'), QStringLiteral("OrderNo:Long|NodeID:Long|Placed:Date|Amount:Money|Paid:Logical|Note:Memo|Mark:Alpha|SUM(o.Amount):Money"));
}


/// One column of every row of a query, as text, in the query's order.
QStringList Column(const QString& folder, const QString& sql, int column = 0) {
    std::unique_ptr<QueryCursor> q = OpenQuery(folder, sql);
    QStringList values;
    for (q->First(); !q->Eof(); q->Next()) values << q->Fields(column)->AsString();
    return values;
}

// A time criterion arrives as text ("10:30:00", as the query model writes it) while a time
// field holds a fraction of a day; names that SQLite reserves (a View field named Limit or
// Case, a table aliased Limit) stand where names do.
TEST_F(Query, times_written_as_text_meet_time_fields_and_reserved_names_stay_names) {
    TableDef shifts;
    shifts.Fields = {{"Package", FieldType::ftString, 40, false},
                     {"Start", FieldType::ftTime, 0, false},
                     {"Limit", FieldType::ftInteger, 0, false},
                     {"Case", FieldType::ftString, 20, false}};
    CreateTableFile(Path(), "Shifts.db", shifts);
    // 0.4375 = 10:30:00; 0.5 = 12:00:00; 0.75 = 18:00:00
    Fill("Shifts.db", {{"bash", 0.4375, 3, "upper"}, {"dash", 0.5, 1, "lower"}, {"coreutils", 0.75, 2, "upper"}});
    struct Case {
        const char* sql;
        QStringList rows;
    };
    const Case cases[] = {
        {"SELECT S.Package FROM \"Shifts.db\" S WHERE S.Start = '10:30:00'", {"bash"}},
        {"SELECT S.Package FROM \"Shifts.db\" S WHERE S.Start = '10:30'", {"bash"}},
        {"SELECT S.Package FROM \"Shifts.db\" S WHERE S.Start BETWEEN '11:00:00' AND '6:00 PM' ORDER BY S.Package",
         {"coreutils", "dash"}},
        {"SELECT S.Package FROM \"Shifts.db\" S WHERE S.Limit >= 2 ORDER BY S.Limit DESC", {"bash", "coreutils"}},
        {"SELECT Limit.Package FROM \"Shifts.db\" Limit WHERE Limit.Case = 'upper' ORDER BY Limit.Limit",
         {"coreutils", "bash"}},
        {"SELECT Limit.Package, Limit.Case AS Case FROM \"Shifts.db\" Limit ORDER BY Limit.Package LIMIT 1", {"bash"}},
        {"SELECT S.Package FROM \"Shifts.db\" S ORDER BY S.Package DESC LIMIT 2", {"dash", "coreutils"}},
        {"SELECT S.Package FROM \"Shifts.db\" S WHERE S.Package = '12:00' OR S.Package = 'dash'", {"dash"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(Column(Path(), c.sql), c.rows);
    }
    EXPECT_EQ(QueryFieldDefs(Path(), "SELECT Limit.Case AS Case FROM \"Shifts.db\" Limit")[0].Name, "Case");
    // A time that is none is refused like an impossible date.
    try {
        OpenQuery(Path(), "SELECT S.Package FROM \"Shifts.db\" S WHERE S.Start = '25:30:00'");
        ADD_FAILURE() << "25:30:00 was taken as a time";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.Code(), ErrorCode::kInvalidSql);
    }
}

// The query component: lines of SQL run when it opens, a read-only cursor over the answer that
// a data source follows, field names of a closed query without running it, and a database
// reached through an alias of its session.
TEST_F(Query, the_query_component_runs_its_lines_on_open_and_names_fields_without_running) {
    db::Session session("QueryTests");
    session.AddStandardAlias("Shop", Path());
    db::Sessions::AddSession(&session);
    db::sql::Query q;
    q.SetSessionName("QueryTests");
    q.SetDatabaseName("Shop");
    q.SetSQL({"SELECT h.NodeName, o.Amount AS Paid", "FROM \"Hierarchy.DB\" h, \"Orders.db\" o",
              "WHERE o.NodeID = h.NodeID", "ORDER BY o.Amount"});
    QStringList names;
    q.GetFieldNames(names);
    EXPECT_EQ(names, QStringList({"NodeName", "Paid"}));
    EXPECT_FALSE(q.Active());
    db::DataSource source;
    source.SetDataSet(&q);
    int states = 0;
    QObject::connect(&source, &db::DataSource::StateChanged, [&] { ++states; });
    q.Open();
    EXPECT_GT(states, 0);
    EXPECT_EQ(q.RecordCount(), 3);
    EXPECT_EQ(q.Fields(0)->AsString(), "abbot");
    EXPECT_FALSE(q.CanModify());
    // New lines close it; the next open runs them.
    q.SetSQLText("SELECT h.NodeName FROM \"Hierarchy.DB\" h WHERE h.NodeType = 2");
    EXPECT_FALSE(q.Active());
    q.Open();
    EXPECT_EQ(q.RecordCount(), 1);
    q.Close();
    db::Sessions::RemoveSession(&session);
}

}  // namespace
}  // namespace db::sql
