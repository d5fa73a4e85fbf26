#include "platform/db/fault_injection.h"
#include "platform/db/field.h"
#include "platform/db/tests/db_fixture.h"
#include "platform/db/tests/process_helper.h"

#include <QDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <set>

namespace {

using namespace dbtest;

/// Two tables written in one database transaction: a branch row and its record.
class MultiFileCommit : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db::CreateTableFile(Path(), "Hierarchy.DB", HierarchyDef());
        db::CreateTableFile(Path(), "Records.DB", HierarchyDef());
    }
    void TearDown() override { db::testing::FailNthWrite(0); }

    static std::set<int> Keys(const QString& folder, const QString& table) {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(table);
        t.Open();
        std::set<int> keys;
        for (t.First(); !t.Eof(); t.Next()) keys.insert(t.FieldByName("NodeID")->AsInteger());
        return keys;
    }
    static void AddPair(db::Database& database, db::Table& a, db::Table& b, int id) {
        database.StartTransaction();
        try {
            for (db::Table* t : {&a, &b}) {
                t->Append();
                t->FieldByName("NodeID")->SetAsInteger(id);
                t->FieldByName("NodeName")->SetAsString(QString("row %1").arg(id));
                t->FieldByName("Properties")->SetAsString(QString(3000, QChar('p')));
                t->Post();
            }
            database.Commit();
        } catch (...) {
            for (db::Table* t : {&a, &b})
                if (t->State() != db::DataSetState::dsBrowse) t->Cancel();
            if (database.InTransaction()) database.Rollback();
            throw;
        }
    }
};

TEST_F(MultiFileCommit, a_write_failure_anywhere_in_the_commit_keeps_both_files_or_neither) {
    db::Database database;
    database.SetDatabaseName("Db");
    database.SetDirectory(Path());
    database.Open();
    db::Table a, b;
    for (db::Table* t : {&a, &b}) t->SetDatabaseName("Db");
    a.SetTableName("Hierarchy.DB");
    b.SetTableName("Records.DB");
    a.Open();
    b.Open();
    int committed = 0;
    for (int n = 1; n < 200; ++n) {
        SCOPED_TRACE(n);
        db::testing::FailNthWrite(n);
        bool ok = true;
        try {
            AddPair(database, a, b, 1000 + n);
        } catch (const db::EDBEngineError&) {
            ok = false;
        }
        db::testing::FailNthWrite(0);
        if (ok) ++committed;
        const std::set<int> keysA = Keys(Path(), "Hierarchy.DB");
        ASSERT_EQ(keysA, Keys(Path(), "Records.DB"));
        ASSERT_EQ(keysA.count(1000 + n), ok ? 1u : 0u);
        // nothing is left of the commit's bookkeeping
        ASSERT_EQ(QDir(Path()).entryList({".dossara-commit-*", "*.held"}, QDir::Files | QDir::Hidden).size(), 0);
        if (committed >= 3) break;
    }
    EXPECT_EQ(committed, 3);
}

TEST_F(MultiFileCommit, a_process_killed_during_its_commits_leaves_the_files_in_step) {
    const QString folder = Path();
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        ChildProcess child([folder, round](int, int out) {
            db::Database database;
            database.SetDatabaseName("Db");
            database.SetDirectory(folder);
            database.Open();
            db::Table a, b;
            for (db::Table* t : {&a, &b}) t->SetDatabaseName("Db");
            a.SetTableName("Hierarchy.DB");
            b.SetTableName("Records.DB");
            a.Open();
            b.Open();
            for (int i = 0;; ++i) {
                AddPair(database, a, b, round * 100000 + i);
                (void)!::write(out, &i, sizeof i);
            }
            return 0;
        });
        ASSERT_TRUE(child.started());
        int n = 0;
        int seen = 0;
        while (seen < 10 + round * 7 && ::read(child.readFd(), &n, sizeof n) == int(sizeof n)) ++seen;
        QThread::usleep(300 * (round + 1));
        child.Kill();
        EXPECT_EQ(child.Wait(), -SIGKILL);
        // Connecting the database finishes what the killed process left.
        db::Database database;
        database.SetDirectory(folder);
        database.Open();
        EXPECT_EQ(Keys(folder, "Hierarchy.DB"), Keys(folder, "Records.DB"));
        EXPECT_EQ(QDir(folder).entryList({".dossara-commit-*", "*.held"}, QDir::Files | QDir::Hidden).size(), 0);
    }
}

}  // namespace
