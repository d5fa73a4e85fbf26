#include "platform/db/guards.h"

#include "platform/db/tests/db_fixture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace dbtest;

class Guards : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db::CreateTableFile(Path(), "Hierarchy.DB", HierarchyDef());
        auto t = OpenTable("Hierarchy.DB");
        for (int id : {1001, 1002, 1003}) AppendRow(*t, {id, id == 1001 ? 0 : 1001, QStringLiteral("n%1").arg(id)});
    }

    int Rows() {
        auto t = OpenTable("Hierarchy.DB");
        return t->RecordCount();
    }
};

TEST_F(Guards, a_transaction_keeps_its_posts_only_when_committed) {
    db::Database database;
    database.SetDatabaseName("GuardsDb");
    database.SetDirectory(Path());
    database.Open();
    db::Table t;
    t.SetDatabaseName("GuardsDb");
    t.SetTableName("Hierarchy.DB");
    t.Open();
    // left by an exception: rolled back
    EXPECT_THROW(
        {
            db::Transaction tx(database);
            AppendRow(t, {2001, 0, "gone"});
            throw std::runtime_error("stop");
        },
        std::runtime_error);
    EXPECT_FALSE(database.InTransaction());
    EXPECT_EQ(Rows(), 3);
    // left early without Commit: rolled back as well
    {
        db::Transaction tx(database);
        AppendRow(t, {2002, 0, "gone too"});
    }
    EXPECT_EQ(Rows(), 3);
    {
        db::Transaction tx(database);
        AppendRow(t, {2003, 0, "kept"});
        tx.Commit();
    }
    EXPECT_FALSE(database.InTransaction());
    EXPECT_EQ(Rows(), 4);
    // a second one while one runs is refused and leaves the first alone
    db::Transaction outer(database);
    ExpectEngineError(db::ErrorCode::kTransactionActive, [&] { db::Transaction inner(database); });
    EXPECT_TRUE(database.InTransaction());
}

TEST_F(Guards, a_batch_rolls_back_a_pending_insert_and_its_posts_unless_committed) {
    auto t = OpenTable("Hierarchy.DB");
    EXPECT_THROW(
        {
            db::Batch batch(*t);
            AppendRow(*t, {2001, 0, "posted"});
            t->Append();  // left in insert state by the failure
            t->FieldByName("NodeID")->SetAsInteger(2002);
            throw std::runtime_error("stop");
        },
        std::runtime_error);
    EXPECT_EQ(t->State(), db::DataSetState::dsBrowse);
    EXPECT_EQ(Rows(), 3);
    {
        db::Batch batch(*t);
        AppendRow(*t, {2001, 0, "posted"});
        batch.Commit();
    }
    EXPECT_EQ(Rows(), 4);
    // the table can batch again: nothing of the guards is left running
    db::Batch again(*t);
    again.Commit();
}

TEST_F(Guards, a_range_and_disabled_controls_end_with_their_scope_however_it_ends) {
    auto t = OpenTable("Hierarchy.DB");
    t->SetIndexName("ByParent");
    QSignalSpy scrolled(t.get(), &db::Table::Scrolled);
    EXPECT_THROW(
        {
            const db::ScopedRange range(*t, {1001}, {1001});
            const db::DisabledControls quiet(*t);
            EXPECT_TRUE(t->HasRange());
            EXPECT_EQ(t->RecordCount(), 2);
            EXPECT_TRUE(t->ControlsDisabled());
            t->Next();
            throw std::runtime_error("stop");
        },
        std::runtime_error);
    EXPECT_FALSE(t->HasRange());
    EXPECT_EQ(t->RecordCount(), 3);
    EXPECT_FALSE(t->ControlsDisabled());
    EXPECT_GE(scrolled.count(), 1);  // enabling tells the controls to read again
}

}  // namespace
