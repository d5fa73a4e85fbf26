#include "platform/db/fault_injection.h"
#include "platform/db/field.h"
#include "platform/db/tests/db_fixture.h"
#include "platform/db/tests/process_helper.h"
#include "testsupport/loop_length.h"

#include "platform/db/table_utils.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <random>
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
    /// Every file of a folder (also the hidden ones) with a hash of its bytes.
    static std::map<QString, QByteArray> Snapshot(const QString& folder) {
        std::map<QString, QByteArray> files;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
            QFile f(QDir(folder).filePath(name));
            if (f.open(QIODevice::ReadOnly))
                files[name] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
        }
        return files;
    }
    static void CopyFolder(const QString& from, const QString& to) {
        QDir().mkpath(to);
        for (const QString& name : QDir(from).entryList(QDir::Files | QDir::Hidden))
            ASSERT_TRUE(QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name))) << name.toStdString();
    }
    static void ExpectSound(const QString& folder) {
        for (const char* table : {"Hierarchy.DB", "Records.DB"}) {
            const db::VerifyResult v = db::VerifyTableFile(folder, table);
            EXPECT_EQ(v.Level, 0) << table << ": " << v.Problems.join("; ").toStdString();
        }
    }
    /// Posts one row to one table as a program without a database transaction does.
    static void PostRow(const QString& folder, const QString& table, int id) {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(table);
        t.Open();
        t.Append();
        t.FieldByName("NodeID")->SetAsInteger(id);
        t.FieldByName("NodeName")->SetAsString("second program");
        t.Post();
    }
    /// A second process that adds the pair `id` in one transaction and stops for good once
    /// the first of the two files has committed (it reports 'p' then).
    static std::unique_ptr<ChildProcess> StopBetweenCommits(const QString& folder, int id) {
        auto child = std::make_unique<ChildProcess>([folder, id](int, int out) {
            db::testing::SetCommitStepHook([out](int) {
                ChildProcess::ChildSend(out, 'p');
                for (;;) ::pause();
            });
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
            AddPair(database, a, b, id);
            return 0;
        });
        EXPECT_EQ(child->Receive(), 'p');
        return child;
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

TEST_F(MultiFileCommit, a_second_program_waits_for_a_commit_and_keeps_its_writes_after_the_committer_dies) {
    const QString folder = Path();
    PostRow(folder, "Hierarchy.DB", 1);
    PostRow(folder, "Records.DB", 1);
    auto child = StopBetweenCommits(folder, 500);
    // While the commit runs, neither of its files takes another program's write.
    for (const char* table : {"Hierarchy.DB", "Records.DB"}) {
        SCOPED_TRACE(table);
        ExpectEngineError(db::ErrorCode::kTableLocked, [&] { PostRow(folder, table, 900); });
    }
    child->Kill();
    EXPECT_EQ(child->Wait(), -SIGKILL);
    // A program that was running all along writes both files without connecting again:
    // the dead commit is undone first, and only what it wrote.
    PostRow(folder, "Hierarchy.DB", 901);
    PostRow(folder, "Records.DB", 901);
    db::Database database;
    database.SetDirectory(folder);
    database.Open();
    ExpectSound(folder);
    EXPECT_EQ(Keys(folder, "Hierarchy.DB"), (std::set<int>{1, 901}));
    EXPECT_EQ(Keys(folder, "Records.DB"), (std::set<int>{1, 901}));
    EXPECT_EQ(QDir(folder).entryList({".dossara-commit-*", "*.held"}, QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(MultiFileCommit, a_folder_copied_after_a_death_mid_commit_recovers_whole_and_leaves_the_original_alone) {
    const QString folder = QDir(Path()).filePath("original");
    const QString copy = QDir(Path()).filePath("elsewhere/copy");
    QDir().mkpath(folder);
    db::CreateTableFile(folder, "Hierarchy.DB", HierarchyDef());
    db::CreateTableFile(folder, "Records.DB", HierarchyDef());
    PostRow(folder, "Hierarchy.DB", 1);
    PostRow(folder, "Records.DB", 1);
    auto child = StopBetweenCommits(folder, 500);
    child->Kill();
    EXPECT_EQ(child->Wait(), -SIGKILL);
    CopyFolder(folder, copy);
    const auto before = Snapshot(folder);
    {
        db::Database database;
        database.SetDirectory(copy);
        database.Open();
        ExpectSound(copy);
        EXPECT_EQ(Keys(copy, "Hierarchy.DB"), (std::set<int>{1}));
        EXPECT_EQ(Keys(copy, "Records.DB"), (std::set<int>{1}));
    }
    EXPECT_EQ(Snapshot(folder), before);
    db::Database database;
    database.SetDirectory(folder);
    database.Open();
    EXPECT_EQ(Keys(folder, "Hierarchy.DB"), Keys(folder, "Records.DB"));
}

TEST_F(MultiFileCommit, a_commit_record_naming_files_outside_its_folder_touches_none_of_them) {
    const QString folder = QDir(Path()).filePath("db");
    QDir().mkpath(folder);
    db::CreateTableFile(folder, "Hierarchy.DB", HierarchyDef());
    const QString outside = QDir(Path()).filePath("victim");
    for (const QString& name : {outside + "-journal.held", outside + "-journal.1.held"}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a journal");
    }
    QFile record(QDir(folder).filePath(".dossara-commit-1"));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write(QFile::encodeName(outside + "-journal.1.held") + "\n../victim-journal.held\n");
    record.close();
    const auto outsideBefore = Snapshot(Path());
    db::Database database;
    database.SetDirectory(folder);
    database.Open();
    EXPECT_EQ(Snapshot(Path()), outsideBefore);
    EXPECT_FALSE(QFile::exists(outside + "-journal"));
    EXPECT_EQ(db::VerifyTableFile(folder, "Hierarchy.DB").Level, 0);
}

TEST_F(MultiFileCommit, a_second_program_writing_beside_a_killed_committer_loses_nothing) {
    const QString folder = Path();
    std::mt19937 random(40);
    std::set<int> mine;  // rows this program was told were posted
    int next = 10000000;
    auto postMine = [&](int count) {
        for (int i = 0; i < count; ++i) {
            try {
                PostRow(folder, "Hierarchy.DB", next);
                mine.insert(next);
            } catch (const db::EDBEngineError& e) {
                ASSERT_EQ(e.Code(), db::ErrorCode::kTableLocked) << e.Message().toStdString();
            }
            ++next;
        }
    };
    const int rounds = testsupport::LoopLength(4, 60);
    for (int round = 0; round < rounds; ++round) {
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
                try {
                    AddPair(database, a, b, round * 10000 + i);
                } catch (const db::EDBEngineError&) {  // busy beside the other program: try again
                    continue;
                }
                (void)!::write(out, &i, sizeof i);
                QThread::usleep(300);  // a user's pace: the other program gets its turn
            }
            return 0;
        });
        ASSERT_TRUE(child.started());
        int n = 0;
        for (int seen = 0; seen < 3 && ::read(child.readFd(), &n, sizeof n) == int(sizeof n); ++seen) postMine(1);
        QThread::usleep(std::uniform_int_distribution<int>(0, 4000)(random));
        child.Kill();
        EXPECT_EQ(child.Wait(), -SIGKILL);
        postMine(2);  // the program that kept running writes on without connecting again
        ExpectSound(folder);
        std::set<int> pairsA, pairsB;
        for (int k : Keys(folder, "Hierarchy.DB"))
            if (k < 10000000) pairsA.insert(k);
        pairsB = Keys(folder, "Records.DB");
        ASSERT_EQ(pairsA, pairsB);
        const std::set<int> all = Keys(folder, "Hierarchy.DB");
        for (int k : mine) ASSERT_TRUE(all.count(k)) << k;
    }
}

}  // namespace
