#include "platform/db/fault_injection.h"
#include "platform/db/table_utils.h"
#include "platform/db/tests/db_fixture.h"
#include "platform/db/tests/process_helper.h"

#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <set>

namespace {

using namespace dbtest;

class CrashSafety : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db::CreateTableFile(Path(), "Hierarchy.DB", HierarchyDef());
    }
    void TearDown() override { db::testing::FailNthWrite(0); }
};

TEST_F(CrashSafety, every_row_reported_posted_survives_a_kill_during_writes) {
    const QString folder = Path();
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ChildProcess child([folder, round](int, int out) {
            db::Table t;
            t.SetDatabaseName(folder);
            t.SetTableName("Hierarchy.DB");
            t.Open();
            for (int i = 0;; ++i) {
                t.Append();
                t.FieldByName("NodeID")->SetAsInteger(round * 1000000 + i);
                t.FieldByName("NodeName")->SetAsString(QString("row %1").arg(i));
                t.FieldByName("Properties")->SetAsString(QString(2000 + i % 3000, QChar('p')));
                t.Post();
                if (i % 7 == 3) {
                    t.Edit();
                    t.FieldByName("NodeName")->SetAsString(QString("edited %1").arg(i));
                    t.Post();
                }
                // report the number once the post returned
                const int n = i;
                (void)!::write(out, &n, sizeof n);
            }
            return 0;
        });
        ASSERT_TRUE(child.started());
        std::set<int> reported;
        const int wanted = 40 + round * 37;
        int n = 0;
        while (int(reported.size()) < wanted && ::read(child.readFd(), &n, sizeof n) == int(sizeof n)) reported.insert(n);
        QThread::usleep(1000 * (round + 1));
        child.Kill();
        EXPECT_EQ(child.Wait(), -SIGKILL);
        while (::read(child.readFd(), &n, sizeof n) == int(sizeof n)) reported.insert(n);
        // listed also while a journal of the killed write waits beside it
        EXPECT_TRUE(db::TableNamesInFolder(Path()).contains("Hierarchy.DB"));

        auto t = OpenTable("Hierarchy.DB");
        for (int i : reported) {
            ASSERT_TRUE(t->FindKey({round * 1000000 + i})) << i;
            EXPECT_EQ(t->FieldByName("Properties")->AsString().size(), 2000 + i % 3000);
            if (i % 7 == 3) {
                EXPECT_EQ(t->FieldByName("NodeName")->AsString(), QString("edited %1").arg(i));
            }
        }
        // a row past the reported ones may be there too, but wholly
        t->SetRange({round * 1000000}, {round * 1000000 + 999999});
        for (t->First(); !t->Eof(); t->Next()) {
            const int i = t->FieldByName("NodeID")->AsInteger() - round * 1000000;
            EXPECT_EQ(t->FieldByName("NodeName")->AsString().startsWith("row") ||
                          t->FieldByName("NodeName")->AsString().startsWith("edited"),
                      true);
            EXPECT_EQ(t->FieldByName("Properties")->AsString().size(), 2000 + i % 3000);
        }
        t->Close();
        const db::VerifyResult v = db::VerifyTableFile(Path(), "Hierarchy.DB");
        EXPECT_EQ(v.Level, 0) << v.Problems.join("; ").toStdString();
    }
}

/// Fails the Nth write of an operation for N = 1, 2, ... until the operation runs through;
/// after every failure the table reopens intact, verifies, and holds either the state
/// before or the state after the operation.
void runWithFaults(const QString& folder, const std::function<void()>& operation,
                   const std::function<void(db::Table&, bool done)>& checkState) {
    bool untouched = false;  // the operation ran through without meeting the injected failure
    for (int n = 1; n < 300 && !untouched; ++n) {
        SCOPED_TRACE(n);
        db::testing::FailNthWrite(n);
        bool done = false;
        try {
            operation();
            done = true;  // it may have absorbed a failure of a step that is not essential
        } catch (const db::EDBEngineError& e) {
            EXPECT_EQ(e.Code(), db::ErrorCode::kIoError) << e.Message().toStdString();
        }
        untouched = db::testing::WritesUntilFailure() > 0;
        db::testing::FailNthWrite(0);
        const db::VerifyResult v = db::VerifyTableFile(folder, "Hierarchy.DB");
        EXPECT_EQ(v.Level, 0) << v.Problems.join("; ").toStdString();
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName("Hierarchy.DB");
        t.Open();
        checkState(t, done);
        if (done) return;
    }
    EXPECT_TRUE(untouched);
}

TEST_F(CrashSafety, a_failing_write_leaves_posts_and_transactions_whole) {
    {
        auto t = OpenTable("Hierarchy.DB");
        for (int i = 1; i <= 3; ++i) AppendRow(*t, {i, 0, "before"});
    }
    const QString folder = Path();
    db::Database database;
    database.SetDatabaseName(folder);
    database.Open();
    runWithFaults(
        folder,
        [&] {
            db::Table t;
            t.SetDatabaseName(folder);
            t.SetTableName("Hierarchy.DB");
            t.Open();
            database.StartTransaction();
            try {
                for (int i = 10; i < 15; ++i) {
                    t.Append();
                    t.FieldByName("NodeID")->SetAsInteger(i);
                    t.FieldByName("NodeName")->SetAsString("after");
                    t.Post();
                }
                t.FindKey({1});
                t.Delete();
                database.Commit();
            } catch (...) {
                if (database.InTransaction()) database.Rollback();
                if (t.State() != db::DataSetState::dsBrowse) t.Cancel();
                throw;
            }
        },
        [](db::Table& t, bool done) { EXPECT_EQ(t.RecordCount(), done ? 7 : 3); });
}

TEST_F(CrashSafety, a_failing_write_leaves_direct_row_writes_of_a_batch_whole) {
    {
        auto t = OpenTable("Hierarchy.DB");
        for (int i = 1; i <= 4; ++i) AppendRow(*t, {i, 0, "before", 0, QString(3000 + i, QChar('b'))});
    }
    const QString folder = Path();
    runWithFaults(
        folder,
        [&] {
            db::Table t;
            t.SetDatabaseName(folder);
            t.SetTableName("Hierarchy.DB");
            t.Open();
            db::DirectRows rows(t, "NodeID", QString(), "NodeName;Properties");
            t.StartBatch();
            try {
                for (int i = 1; i <= 3; ++i) rows.Write(rows.Find({i}), {"after", QString(5000 + i, QChar('a'))});
                rows.Insert({10}, {"after", QString(6000, QChar('a'))});
                rows.Delete(rows.Find({4}));
            } catch (...) {
                t.EndBatch(false);  // also when SQLite rolled it back itself
                throw;
            }
            t.EndBatch(true);  // a failing commit rolls back
        },
        [](db::Table& t, bool done) {
            EXPECT_EQ(t.RecordCount(), 4);
            for (t.First(); !t.Eof(); t.Next()) {
                const int id = t.FieldByName("NodeID")->AsInteger();
                SCOPED_TRACE(id);
                EXPECT_EQ(t.FieldByName("NodeName")->AsString(), done ? "after" : "before");
                const int size = done ? (id == 10 ? 6000 : 5000 + id) : 3000 + id;
                EXPECT_EQ(t.FieldByName("Properties")->AsString().size(), size);
            }
        });
}

TEST_F(CrashSafety, a_failing_write_leaves_a_restructure_undone) {
    {
        auto t = OpenTable("Hierarchy.DB");
        for (int i = 1; i <= 20; ++i) AppendRow(*t, {i, 0, QString::number(i * 3)});
    }
    const QString folder = Path();
    runWithFaults(
        folder,
        [&] {
            db::FieldChange change;
            change.DataType = FieldType::ftInteger;
            db::ChangeTableField(folder, "Hierarchy.DB", "NodeName", change);
        },
        [](db::Table& t, bool done) {
            EXPECT_EQ(t.RecordCount(), 20);
            EXPECT_EQ(t.FieldByName("NodeName")->DataType(), done ? FieldType::ftInteger : FieldType::ftString);
            t.Last();
            EXPECT_EQ(t.FieldByName("NodeName")->AsInteger(), 60);
        });
}

struct FaultCase {
    const char* what;
    std::function<void(const QString& folder)> operation;
    std::function<void(db::Table&, bool done)> check;
};

TEST_F(CrashSafety, failing_writes_leave_whole_table_operations_done_or_undone) {
    static const FaultCase cases[] = {
        {"add index", [](const QString& f) { db::AddIndexToFile(f, "Hierarchy.DB", {"ByName", "NodeName", {}}); },
         [](db::Table& t, bool done) { EXPECT_EQ(t.Definition().FindIndex("ByName") != nullptr, done); }},
        {"delete index", [](const QString& f) { db::DeleteIndexFromFile(f, "Hierarchy.DB", "ByParent"); },
         [](db::Table& t, bool done) { EXPECT_EQ(t.Definition().FindIndex("ByParent") == nullptr, done); }},
        {"add field", [](const QString& f) { db::AddTableField(f, "Hierarchy.DB", {"Extra", FieldType::ftMemo, 0, false}); },
         [](db::Table& t, bool done) {
             EXPECT_EQ(t.FindField("Extra") != nullptr, done);
             EXPECT_EQ(t.RecordCount(), 30);
         }},
        {"drop field", [](const QString& f) { db::DropTableField(f, "Hierarchy.DB", "Properties"); },
         [](db::Table& t, bool done) {
             EXPECT_EQ(t.FindField("Properties") == nullptr, done);
             EXPECT_EQ(t.RecordCount(), 30);
         }},
        {"pack", [](const QString& f) { db::PackTableFile(f, "Hierarchy.DB"); },
         [](db::Table& t, bool) { EXPECT_EQ(t.RecordCount(), 30); }},
        {"empty", [](const QString& f) { db::EmptyTableFile(f, "Hierarchy.DB"); },
         [](db::Table& t, bool done) { EXPECT_EQ(t.RecordCount(), done ? 0 : 30); }},
    };
    const QString folder = Path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        db::DeleteTableFile(folder, "Hierarchy.DB");
        db::CreateTableFile(folder, "Hierarchy.DB", HierarchyDef());
        {
            auto t = OpenTable("Hierarchy.DB");
            t->StartBatch();
            for (int i = 1; i <= 30; ++i) AppendRow(*t, {i, i % 3, QString("node %1").arg(i), 0, QString(500, 'p')});
            t->EndBatch(true);
        }
        runWithFaults(folder, [&] { c.operation(folder); }, c.check);
    }
}

}  // namespace
