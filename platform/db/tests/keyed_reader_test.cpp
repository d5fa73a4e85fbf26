#include "platform/db/keyed_reader.h"

#include "platform/db/field.h"
#include "platform/db/read_snapshot.h"
#include "platform/db/tests/db_fixture.h"
#include "platform/db/tests/process_helper.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace dbtest;

class KeyedReader : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db::CreateTableFile(Path(), "Hierarchy.DB", HierarchyDef());
        auto t = OpenTable("Hierarchy.DB");
        AppendRow(*t, {1001, 7, QStringLiteral("first"), 1, QStringLiteral("Stra\u00DFe \U0001F600 end")});
        AppendRow(*t, {1002, 7, QStringLiteral("second"), 1, QVariant()});
        AppendRow(*t, {1003, 8, QString(), 1, QStringLiteral("body three")});
        AppendRow(*t, {999, 7, QStringLiteral("last added"), 1, QStringLiteral("x")});
    }
};

TEST_F(KeyedReader, reads_the_fields_of_the_row_with_the_key_and_nothing_for_a_missing_one) {
    auto t = OpenTable("Hierarchy.DB");
    t->FindKey({1003});
    db::KeyedReader reader(*t, "NodeID", {"Properties", "NodeName"});
    ASSERT_TRUE(reader.Read(1001));
    EXPECT_EQ(reader.Text(0).toString(), QStringLiteral("Stra\u00DFe \U0001F600 end"));
    EXPECT_EQ(reader.Text(1).toString(), QStringLiteral("first"));
    ASSERT_TRUE(reader.Read(1002));
    EXPECT_TRUE(reader.IsNull(0));
    EXPECT_TRUE(reader.Text(0).isEmpty());
    EXPECT_EQ(reader.Text(1).toString(), QStringLiteral("second"));
    ASSERT_TRUE(reader.Read(1003));
    EXPECT_FALSE(reader.IsNull(0));
    EXPECT_TRUE(reader.IsNull(1));
    EXPECT_FALSE(reader.Read(1004));
    EXPECT_TRUE(reader.IsNull(0));
    // A key shared by several rows finds the first of them in row order.
    db::KeyedReader byParent(*t, "ParentNodeID", {"NodeName"});
    ASSERT_TRUE(byParent.Read(7));
    EXPECT_EQ(byParent.Text(0).toString(), QStringLiteral("first"));
    // Integer fields beside text ones; a reader of no fields tells only whether the row is there.
    db::KeyedReader typed(*t, "NodeID", {"NodeName", "ParentNodeID", "NodeType"});
    ASSERT_TRUE(typed.Read(1003));
    EXPECT_EQ(typed.Integer(1), 8);
    EXPECT_EQ(typed.Integer(2), 1);
    EXPECT_TRUE(typed.IsNull(0));
    ASSERT_TRUE(typed.Read(1002));
    EXPECT_EQ(typed.Text(0).toString(), QStringLiteral("second"));
    EXPECT_EQ(typed.Integer(1), 7);
    EXPECT_FALSE(typed.Read(5));
    EXPECT_EQ(typed.Integer(1), 0);
    db::KeyedReader exists(*t, "NodeID", {});
    EXPECT_TRUE(exists.Read(999));
    EXPECT_FALSE(exists.Read(1000));
    // Every row's value of an integer field, read alone.
    std::multiset<qint64> keys, parents;
    db::KeyedReader::ForEachInteger(*t, "NodeID", [&](qint64 v) { keys.insert(v); });
    db::KeyedReader::ForEachInteger(*t, "ParentNodeID", [&](qint64 v) { parents.insert(v); });
    EXPECT_EQ(keys, (std::multiset<qint64>{999, 1001, 1002, 1003}));
    EXPECT_EQ(parents, (std::multiset<qint64>{7, 7, 7, 8}));
    EXPECT_THROW(db::KeyedReader::ForEachInteger(*t, "NodeName", [](qint64) {}), db::EDBEngineError);
    // The table's cursor has not moved.
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1003);
}

TEST_F(KeyedReader, rows_numbered_like_their_keys_are_probed_and_others_found_through_the_index) {
    db::CreateTableFile(Path(), "Numbers.DB", HierarchyDef());
    auto t = OpenTable("Numbers.DB");
    // Keys 1..20 appended in order (row numbers equal to the keys), then key 3 written again
    // after the others (a new row number) and key 21 after that, landing on another number.
    for (int key = 1; key <= 20; ++key) AppendRow(*t, {key, 0, QStringLiteral("row %1").arg(key)});
    ASSERT_TRUE(t->FindKey({3}));
    t->Delete();
    AppendRow(*t, {3, 0, QStringLiteral("row 3 again")});
    AppendRow(*t, {21, 0, QStringLiteral("row 21")});
    db::KeyedReader reader(*t, "NodeID", {"NodeName"});
    for (int key : {10, 3, 21, 20, 1}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(reader.Read(key));
        EXPECT_EQ(reader.Text(0).toString(), key == 3 ? QStringLiteral("row 3 again") : QStringLiteral("row %1").arg(key));
    }
    EXPECT_FALSE(reader.Read(22));
    EXPECT_GE(reader.ProbeHits(), 3);

    // Keys unrelated to the row numbers: a few misses, then no more probes.
    auto other = OpenTable("Hierarchy.DB");
    db::KeyedReader unrelated(*other, "NodeID", {"NodeName"});
    for (int round = 0; round < 5; ++round)
        for (int key : {1001, 1002, 1003, 999}) ASSERT_TRUE(unrelated.Read(key));
    EXPECT_EQ(unrelated.ProbeHits(), 0);
    EXPECT_EQ(unrelated.ProbeMisses(), 9);
    EXPECT_EQ(unrelated.Text(0).toString(), QStringLiteral("last added"));
}

TEST_F(KeyedReader, ascending_keys_inside_a_snapshot_step_on_and_the_walk_ends_with_the_snapshot) {
    db::CreateTableFile(Path(), "Numbers.DB", HierarchyDef());
    auto t = OpenTable("Numbers.DB");
    for (int key = 1; key <= 60; ++key) AppendRow(*t, {key, 0, QStringLiteral("row %1").arg(key)});
    // key 5 gone, key 7 moved to a new row number
    for (int key : {5, 7}) {
        ASSERT_TRUE(t->FindKey({key}));
        t->Delete();
    }
    AppendRow(*t, {7, 0, QStringLiteral("row 7 again")});
    db::KeyedReader reader(*t, "NodeID", {"NodeName"});
    {
        db::ReadSnapshot snapshot(*t);
        // near keys step on, a far one (40 after 12) searches again, a key behind as well
        for (int key : {2, 3, 5, 6, 7, 8, 12, 40, 41, 9, 60, 61}) {
            SCOPED_TRACE(key);
            const bool exists = key != 5 && key != 61;
            ASSERT_EQ(reader.Read(key), exists);
            if (exists) {
                EXPECT_EQ(reader.Text(0).toString(), key == 7 ? QStringLiteral("row 7 again") : QStringLiteral("row %1").arg(key));
            }
        }
        EXPECT_GE(reader.ProbeSteps(), 5);
        ASSERT_TRUE(reader.Read(10));
    }
    // The snapshot has ended: the walk holds no read open, another process writes at once.
    const QString folder = Path();
    ChildProcess child([folder](int, int out) {
        try {
            db::Table c;
            c.SetDatabaseName(folder);
            c.SetTableName("Numbers.DB");
            c.Open();
            c.Append();
            c.FieldByName("NodeID")->SetAsInteger(62);
            c.FieldByName("NodeName")->SetAsString("from elsewhere");
            c.Post();
        } catch (const db::EDBEngineError&) {
            ChildProcess::ChildSend(out, 'e');
            return 1;
        }
        ChildProcess::ChildSend(out, 'd');
        return 0;
    });
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.Receive(), 'd');
    EXPECT_EQ(child.Wait(), 0);
    // and a write of this process inside a new snapshot is seen by the next step
    db::ReadSnapshot again(*t);
    ASSERT_TRUE(reader.Read(11));
    ASSERT_TRUE(t->FindKey({12}));
    t->Edit();
    t->FieldByName("NodeName")->SetAsString("row 12 edited");
    t->Post();
    ASSERT_TRUE(reader.Read(12));
    EXPECT_EQ(reader.Text(0).toString(), QStringLiteral("row 12 edited"));
    ASSERT_TRUE(reader.Read(62));
    EXPECT_EQ(reader.Text(0).toString(), QStringLiteral("from elsewhere"));
}

TEST_F(KeyedReader, sees_this_processes_posts_and_open_transaction) {
    auto t = OpenTable("Hierarchy.DB");
    db::KeyedReader reader(*t, "NodeID", {"NodeName"});
    AppendRow(*t, {1010, 1, QStringLiteral("posted later")});
    ASSERT_TRUE(reader.Read(1010));
    EXPECT_EQ(reader.Text(0).toString(), QStringLiteral("posted later"));
    t->StartBatch();
    AppendRow(*t, {1011, 1, QStringLiteral("in the batch")});
    EXPECT_TRUE(reader.Read(1011));
    t->EndBatch(false);
    EXPECT_FALSE(reader.Read(1011));
}

TEST_F(KeyedReader, keeps_no_read_open_between_reads_so_other_processes_write) {
    auto t = OpenTable("Hierarchy.DB");
    db::KeyedReader reader(*t, "NodeID", {"NodeName"});
    ASSERT_TRUE(reader.Read(1001));
    const QString folder = Path();
    // A read left open would keep this writer waiting until the busy timeout and then fail ('e').
    ChildProcess child([folder](int, int out) {
        try {
            db::Table c;
            c.SetDatabaseName(folder);
            c.SetTableName("Hierarchy.DB");
            c.Open();
            c.Append();
            c.FieldByName("NodeID")->SetAsInteger(2000);
            c.FieldByName("NodeName")->SetAsString("from elsewhere");
            c.Post();
        } catch (const db::EDBEngineError&) {
            ChildProcess::ChildSend(out, 'e');
            return 1;
        }
        ChildProcess::ChildSend(out, 'd');
        return 0;
    });
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.Receive(), 'd');
    EXPECT_EQ(child.Wait(), 0);
    ASSERT_TRUE(reader.Read(2000));
    EXPECT_EQ(reader.Text(0).toString(), QStringLiteral("from elsewhere"));
}

TEST_F(KeyedReader, refuses_fields_it_cannot_read_and_closed_tables) {
    auto t = OpenTable("Hierarchy.DB");
    struct Case {
        const char* key;
        QStringList fields;
        int code;
    };
    const Case cases[] = {
        {"NodeName", {"Properties"}, db::ErrorCode::kInvalidValue},   // the key is not an integer
        {"NodeID", {"Timestamp"}, db::ErrorCode::kInvalidValue},      // neither text nor integer
        {"NodeID", {"NoSuchField"}, db::ErrorCode::kInvalidValue},
        {"Missing", {"NodeName"}, db::ErrorCode::kInvalidValue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        try {
            db::KeyedReader reader(*t, c.key, c.fields);
            ADD_FAILURE() << "made a reader";
        } catch (const db::EDBEngineError& e) {
            EXPECT_EQ(e.Code(), c.code);
        }
    }
    t->Close();
    try {
        db::KeyedReader reader(*t, "NodeID", {"NodeName"});
        ADD_FAILURE() << "made a reader on a closed table";
    } catch (const db::EDBEngineError& e) {
        EXPECT_EQ(e.Code(), db::ErrorCode::kTableClosed);
    }
}

}  // namespace
