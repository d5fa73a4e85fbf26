#include "platform/db/read_snapshot.h"

#include "platform/db/tests/db_fixture.h"
#include "platform/db/tests/process_helper.h"

#include <QElapsedTimer>
#include <QThread>

#include <poll.h>

#include <gtest/gtest.h>

namespace {

using namespace dbtest;

class ReadSnapshot : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db::CreateTableFile(Path(), "Hierarchy.DB", HierarchyDef());
        auto t = OpenTable("Hierarchy.DB");
        for (int i = 1; i <= 5; ++i) AppendRow(*t, {1000 + i, 0, QString("n%1").arg(i)});
    }

    /// Child: on 'g' appends a row with NodeID 2000 through the table layer, telling 's'
    /// before the post and 'd' after it (or 'e' and the error's last two digits as exit
    /// code when the post fails).
    ChildProcess writerOnSignal() {
        const QString folder = Path();
        return ChildProcess([folder](int in, int out) {
            db::Table c;
            c.SetDatabaseName(folder);
            c.SetTableName("Hierarchy.DB");
            c.Open();
            ChildProcess::ChildSend(out, 'o');
            ChildProcess::ChildReceive(in);
            try {
                c.Append();
                c.FieldByName("NodeID")->SetAsInteger(2000);
                ChildProcess::ChildSend(out, 's');
                c.Post();
            } catch (const db::EDBEngineError& e) {
                ChildProcess::ChildSend(out, 'e');
                return e.Code() % 100;
            }
            ChildProcess::ChildSend(out, 'd');
            ChildProcess::ChildReceive(in);
            return 0;
        });
    }

    /// Child: opens the table, reports its record count as one character ('0' + count).
    ChildProcess countElsewhere() {
        const QString folder = Path();
        return ChildProcess([folder](int, int out) {
            db::Table c;
            c.SetDatabaseName(folder);
            c.SetTableName("Hierarchy.DB");
            c.Open();
            ChildProcess::ChildSend(out, char('0' + c.RecordCount()));
            return 0;
        });
    }

    int countSeenElsewhere() {
        ChildProcess child = countElsewhere();
        if (!child.started()) return -1;
        const char c = child.Receive();
        child.Wait();
        return c ? c - '0' : -1;
    }

    /// True when the child sends something within `ms` milliseconds.
    static bool childSpeaksWithin(ChildProcess& child, int ms) {
        pollfd p{child.readFd(), POLLIN, 0};
        return ::poll(&p, 1, ms) > 0;
    }
};

TEST_F(ReadSnapshot, another_processes_write_waits_for_the_snapshot_and_then_lands) {
    auto t = OpenTable("Hierarchy.DB");
    ChildProcess child = writerOnSignal();
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'o');
    {
        db::ReadSnapshot outer(*t);
        EXPECT_TRUE(outer.Holding());
        EXPECT_EQ(t->RecordCount(), 5);
        child.Send('g');
        ASSERT_EQ(child.Receive(), 's');
        {
            auto second = OpenTable("Hierarchy.DB");  // another cursor of this process joins the snapshot
            db::ReadSnapshot inner(*second);
            EXPECT_FALSE(childSpeaksWithin(child, 300));
            EXPECT_EQ(second->RecordCount(), 5);
            EXPECT_FALSE(second->FindKey({2000}));
        }
        // the inner guard's end keeps the outer snapshot
        EXPECT_FALSE(childSpeaksWithin(child, 200));
        EXPECT_EQ(t->RecordCount(), 5);
        EXPECT_FALSE(t->FindKey({2000}));
    }
    ASSERT_EQ(child.Receive(), 'd');  // the write went through once the snapshot ended
    EXPECT_EQ(t->RecordCount(), 6);
    EXPECT_TRUE(t->FindKey({2000}));
    child.Send('x');
    EXPECT_EQ(child.Wait(), 0);
}

TEST_F(ReadSnapshot, renewing_a_long_snapshot_lets_a_waiting_writer_in) {
    auto t = OpenTable("Hierarchy.DB");
    ChildProcess child = writerOnSignal();
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'o');
    db::ReadSnapshot snapshot(*t);
    child.Send('g');
    ASSERT_EQ(child.Receive(), 's');
    QElapsedTimer waited;
    waited.start();
    bool landed = false;
    while (!landed && waited.elapsed() < 4000) {
        snapshot.Renew();
        landed = t->FindKey({2000});
        QThread::msleep(5);
    }
    EXPECT_TRUE(landed);
    EXPECT_EQ(child.Receive(), 'd');
    EXPECT_TRUE(snapshot.Holding());
    child.Send('x');
    EXPECT_EQ(child.Wait(), 0);
}

TEST_F(ReadSnapshot, this_processes_writes_under_a_snapshot_are_committed_when_they_return) {
    struct Case {
        const char* name;
        std::function<void(db::Table&, DbFolder&)> write;
    };
    auto append = [](db::Table& t, int id) {
        t.Append();
        t.FieldByName("NodeID")->SetAsInteger(id);
        t.Post();
    };
    const Case cases[] = {
        {"post under the snapshot", [&](db::Table& t, DbFolder&) {
             db::ReadSnapshot s(t);
             t.First();
             append(t, 3000);
         }},
        {"batch started under the snapshot", [&](db::Table& t, DbFolder&) {
             db::ReadSnapshot s(t);
             t.StartBatch();
             append(t, 3000);
             t.EndBatch(true);
         }},
        {"snapshot inside a batch", [&](db::Table& t, DbFolder&) {
             t.StartBatch();
             {
                 db::ReadSnapshot s(t);
                 append(t, 3000);
             }
             t.EndBatch(true);
         }},
        {"delete and edit under nested snapshots", [&](db::Table& t, DbFolder&) {
             db::ReadSnapshot outer(t);
             db::ReadSnapshot inner(t);
             append(t, 3000);
             ASSERT_TRUE(t.FindKey({1001}));
             t.Delete();
             append(t, 1001);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = OpenTable("Hierarchy.DB");
        if (t->FindKey({3000})) t->Delete();
        c.write(*t, *this);
        EXPECT_EQ(countSeenElsewhere(), 6);
        {
            // still under a snapshot after the write: this process sees its own row
            db::ReadSnapshot again(*t);
            EXPECT_TRUE(t->FindKey({3000}));
            EXPECT_EQ(countSeenElsewhere(), 6);
        }
    }
}

TEST_F(ReadSnapshot, a_post_under_a_snapshot_is_committed_before_the_next_read) {
    auto t = OpenTable("Hierarchy.DB");
    auto reader = OpenTable("Hierarchy.DB");
    db::ReadSnapshot snapshot(*reader);
    EXPECT_EQ(reader->RecordCount(), 5);
    AppendRow(*t, {4000, 0, QString("late")});
    EXPECT_EQ(countSeenElsewhere(), 6);   // on disk while the guard still lives
    EXPECT_EQ(reader->RecordCount(), 6);  // and visible to this process's other cursors
    ASSERT_TRUE(reader->FindKey({4000}));
    EXPECT_EQ(reader->FieldByName("NodeName")->AsString(), "late");
}

TEST_F(ReadSnapshot, a_snapshot_in_a_database_transaction_keeps_commit_and_rollback) {
    db::Database database;
    database.SetDatabaseName("SnapshotDb");
    database.SetDirectory(Path());
    database.Open();
    db::Table t;
    t.SetDatabaseName("SnapshotDb");
    t.SetTableName("Hierarchy.DB");
    t.Open();
    {
        db::ReadSnapshot snapshot(t);
        database.StartTransaction();
        AppendRow(t, {5000, 0, QString("kept")});
        database.Commit();
        database.StartTransaction();
        AppendRow(t, {5001, 0, QString("dropped")});
        database.Rollback();
        EXPECT_TRUE(t.FindKey({5000}));
        EXPECT_FALSE(t.FindKey({5001}));
    }
    EXPECT_EQ(countSeenElsewhere(), 6);
}

TEST_F(ReadSnapshot, a_snapshot_on_a_closed_table_holds_nothing_and_outlives_its_table) {
    db::Table closed;
    db::ReadSnapshot none(closed);
    EXPECT_FALSE(none.Holding());

    auto t = OpenTable("Hierarchy.DB");
    db::ReadSnapshot snapshot(*t);
    ExpectEngineError(db::ErrorCode::kTableBusy, [&] { OpenTable("Hierarchy.DB", true); });
    t->Close();
    snapshot.Release();
    EXPECT_FALSE(snapshot.Holding());
    EXPECT_NO_THROW(OpenTable("Hierarchy.DB", true));  // nothing of the snapshot stays behind
}

}  // namespace
