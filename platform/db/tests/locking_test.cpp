#include "platform/db/tests/db_fixture.h"
#include "platform/db/tests/process_helper.h"

#include "platform/db/table_utils.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using namespace dbtest;

class TableLocks : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db::CreateTableFile(Path(), "Hierarchy.DB", HierarchyDef());
        auto t = OpenTable("Hierarchy.DB");
        for (int i = 1; i <= 5; ++i) AppendRow(*t, {1000 + i, 0, QString("n%1").arg(i)});
    }

    /// Child: opens the table (exclusive or shared), tells 'o' or the error's last digit,
    /// then waits for any byte and closes.
    ChildProcess holdOpen(bool exclusive) {
        const QString folder = Path();
        return ChildProcess([folder, exclusive](int in, int out) {
            try {
                db::Table t;
                t.SetDatabaseName(folder);
                t.SetTableName("Hierarchy.DB");
                t.SetExclusive(exclusive);
                t.Open();
                ChildProcess::ChildSend(out, 'o');
                ChildProcess::ChildReceive(in);
                return 0;
            } catch (const db::EDBEngineError& e) {
                ChildProcess::ChildSend(out, 'e');
                return e.Code() % 100;
            }
        });
    }
};

TEST_F(TableLocks, exclusive_open_fails_while_another_process_has_the_table_open) {
    ChildProcess child = holdOpen(false);
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'o');
    ExpectEngineError(db::ErrorCode::kTableBusy, [&] { OpenTable("Hierarchy.DB", true); });
    ExpectEngineError(db::ErrorCode::kTableBusy, [&] { db::EmptyTableFile(Path(), "Hierarchy.DB"); });
    auto shared = OpenTable("Hierarchy.DB");  // shared opens are fine
    EXPECT_EQ(shared->RecordCount(), 5);
    child.Send('x');
    EXPECT_EQ(child.Wait(), 0);
    shared->Close();
    EXPECT_NO_THROW(OpenTable("Hierarchy.DB", true));
}

TEST_F(TableLocks, shared_open_fails_while_another_process_holds_the_table_exclusively) {
    ChildProcess child = holdOpen(true);
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'o');
    ExpectEngineError(db::ErrorCode::kTableLocked, [&] { OpenTable("Hierarchy.DB"); });
    child.Send('x');
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_NO_THROW(OpenTable("Hierarchy.DB"));
}

TEST_F(TableLocks, a_file_use_without_cursor_counts_as_an_open_table) {
    {
        db::TableFileUse use(Path(), "hierarchy.db");
        EXPECT_EQ(use.RowTableName(), "Hierarchy.DB");
        EXPECT_EQ(use.Definition().Fields.size(), 6u);
        ExpectEngineError(db::ErrorCode::kTableBusy, [&] { OpenTable("Hierarchy.DB", true); });
    }
    auto exclusive = OpenTable("Hierarchy.DB", true);
    ExpectEngineError(db::ErrorCode::kTableLocked, [&] { db::TableFileUse use(Path(), "Hierarchy.DB"); });
}

/// The record locks this process holds on a file, from /proc/locks (by inode). The file is not
/// a snapshot: while other processes take and drop locks, one reading can list a line twice or
/// miss one, so it is read until two readings agree, and each lock counts once (a process holds
/// at most one lock of a kind on a byte range).
QStringList processLocksOn(const QString& path) {
    struct stat st = {};
    if (::stat(path.toUtf8().constData(), &st) != 0) return {};
    const QString pid = QString::number(getpid());
    const QString inode = QString(":%1 ").arg(qulonglong(st.st_ino));
    auto read = [&] {
        QFile locks("/proc/locks");
        if (!locks.open(QIODevice::ReadOnly)) return QStringList();
        QStringList mine;
        for (const QString& line : QString::fromLatin1(locks.readAll()).split('\n')) {
            const QStringList parts = line.simplified().split(' ');
            // Drop the leading ordinal: it shifts when other processes take or drop locks.
            if (parts.size() > 5 && parts[1] == "POSIX" && parts[4] == pid && line.contains(inode))
                mine << QStringList(parts.mid(1)).join(' ');
        }
        mine.sort();
        mine.removeDuplicates();
        return mine;
    };
    QStringList last = read();
    for (int attempt = 0; attempt < 50; ++attempt) {
        QStringList again = read();
        if (again == last) return again;
        last = std::move(again);
    }
    return last;
}

TEST_F(TableLocks, listing_and_verifying_tables_keep_the_locks_of_a_running_transaction) {
    db::Database database;
    database.SetDatabaseName(Path());
    database.Open();
    auto t = OpenTable("Hierarchy.DB");
    database.StartTransaction();
    AppendRow(*t, {2000, 0, "pending"});  // SQLite now holds its write lock on the file
    const QStringList held = processLocksOn(FilePath("Hierarchy.DB"));
    ASSERT_FALSE(held.isEmpty());
    EXPECT_TRUE(db::TableNamesInFolder(Path()).contains("Hierarchy.DB"));
    EXPECT_TRUE(db::IsTableFile(FilePath("Hierarchy.DB")));
    db::Table second;  // another cursor opening and closing the file
    second.SetDatabaseName(Path());
    second.SetTableName("Hierarchy.DB");
    second.Open();
    second.Close();
    EXPECT_EQ(processLocksOn(FilePath("Hierarchy.DB")), held);
    database.Commit();
    t->Refresh();
    EXPECT_EQ(t->RecordCount(), 6);
}

TEST_F(TableLocks, a_killed_holder_leaves_no_lock_behind) {
    ChildProcess child = holdOpen(true);
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'o');
    ExpectEngineError(db::ErrorCode::kTableLocked, [&] { OpenTable("Hierarchy.DB"); });
    child.Kill();
    EXPECT_EQ(child.Wait(), -SIGKILL);
    EXPECT_NO_THROW(OpenTable("Hierarchy.DB", true));
}

TEST_F(TableLocks, opens_in_this_process_count_like_other_processes) {
    auto held = OpenTable("Hierarchy.DB");
    {
        auto second = OpenTable("hierarchy.db");  // opening and closing a second cursor...
    }
    ExpectEngineError(db::ErrorCode::kTableBusy, [&] { OpenTable("Hierarchy.DB", true); });
    db::Table otherSpelling;  // the same file by another path
    otherSpelling.SetDatabaseName(Path() + "/../" + QFileInfo(Path()).fileName());
    otherSpelling.SetTableName("Hierarchy.DB");
    otherSpelling.SetExclusive(true);
    ExpectEngineError(db::ErrorCode::kTableBusy, [&] { otherSpelling.Open(); });
    ChildProcess child = holdOpen(true);  // ...keeps the first one's lock for other processes
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.Receive(), 'e');
    EXPECT_EQ(child.Wait(), db::ErrorCode::kTableBusy % 100);
    held->Close();
    auto exclusive = OpenTable("Hierarchy.DB", true);
    ExpectEngineError(db::ErrorCode::kTableLocked, [&] { OpenTable("Hierarchy.DB"); });
}

TEST_F(TableLocks, another_processes_posts_show_on_the_next_move) {
    auto t = OpenTable("Hierarchy.DB");
    t->First();  // the first rows are cached now
    const QString folder = Path();
    ChildProcess child([folder](int in, int out) {
        db::Table c;
        c.SetDatabaseName(folder);
        c.SetTableName("Hierarchy.DB");
        c.Open();
        c.FindKey({1002});
        c.Edit();
        c.FieldByName("NodeName")->SetAsString("from child");
        c.Post();
        c.Append();
        c.FieldByName("NodeID")->SetAsInteger(1000);
        c.Post();
        ChildProcess::ChildSend(out, 'p');
        ChildProcess::ChildReceive(in);
        return 0;
    });
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'p');
    t->Next();
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), "from child");
    t->Prior();
    t->Prior();
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1000);
    EXPECT_EQ(t->RecordCount(), 6);
    child.Send('x');
    EXPECT_EQ(child.Wait(), 0);
}

TEST_F(TableLocks, a_record_in_edit_elsewhere_is_locked_until_posted) {
    const QString folder = Path();
    ChildProcess child([folder](int in, int out) {
        db::Table c;
        c.SetDatabaseName(folder);
        c.SetTableName("Hierarchy.DB");
        c.Open();
        c.FindKey({1003});
        c.Edit();
        ChildProcess::ChildSend(out, 'e');
        ChildProcess::ChildReceive(in);
        c.FieldByName("NodeName")->SetAsString("child wins");
        c.Post();
        ChildProcess::ChildSend(out, 'p');
        ChildProcess::ChildReceive(in);
        return 0;
    });
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'e');
    auto t = OpenTable("Hierarchy.DB");
    t->FindKey({1003});
    ExpectEngineError(db::ErrorCode::kRecordLocked, [&] { t->Edit(); });
    ExpectEngineError(db::ErrorCode::kRecordLocked, [&] { t->Delete(); });
    db::DirectRows rows(*t, "NodeID", QString(), "NodeName");
    const qint64 locked = rows.Find({1003});
    ExpectEngineError(db::ErrorCode::kRecordLocked, [&] { rows.Write(locked, {"direct"}); });
    ExpectEngineError(db::ErrorCode::kRecordLocked, [&] { rows.Delete(locked); });
    t->FindKey({1004});
    EXPECT_NO_THROW(t->Edit());  // other rows are free
    t->Cancel();
    child.Send('g');
    ASSERT_EQ(child.Receive(), 'p');
    t->FindKey({1003});
    t->Edit();
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), "child wins");
    t->Cancel();
    child.Send('x');
    EXPECT_EQ(child.Wait(), 0);
}

}  // namespace
