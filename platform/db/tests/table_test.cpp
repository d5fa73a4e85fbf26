#include "platform/db/table.h"

#include "platform/db/table_utils.h"
#include "platform/db/tests/db_fixture.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace dbtest;
using db::DataSetState;

class TableCursor : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db::CreateTableFile(Path(), "Hierarchy.DB", HierarchyDef());
        auto t = OpenTable("Hierarchy.DB");
        // NodeID, ParentNodeID, NodeName
        const QVariantList rows[] = {
            {1005, 0, "Zeta"}, {1001, 0, "alpha"}, {1003, 1001, "Émile"}, {1002, 1001, "bravo"},
            {1004, 1001, "Charlie"}, {1006, 1005, "delta"}, {1007, 0, "Beta"},
        };
        for (const auto& r : rows) AppendRow(*t, r);
    }
};

TEST_F(TableCursor, walks_primary_index_both_ways_with_bof_and_eof) {
    auto t = OpenTable("hierarchy.db");
    EXPECT_EQ(Column(*t, "NodeID"), (QStringList{"1001", "1002", "1003", "1004", "1005", "1006", "1007"}));
    EXPECT_TRUE(t->Eof());
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1007);  // Next at the end stays on the last row
    t->Last();
    QStringList back;
    while (!t->Bof()) {
        back << t->FieldByName("NodeID")->AsString();
        t->Prior();
    }
    EXPECT_EQ(back, (QStringList{"1007", "1006", "1005", "1004", "1003", "1002", "1001"}));
    EXPECT_EQ(t->RecordCount(), 7);
    t->First();
    EXPECT_EQ(t->MoveBy(3), 3);
    EXPECT_EQ(t->RecNo(), 4);
    EXPECT_EQ(t->MoveBy(10), 3);
    EXPECT_TRUE(t->Eof());
    EXPECT_EQ(t->MoveBy(-2), -2);
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1005);
}

TEST_F(TableCursor, secondary_index_orders_case_insensitively_and_index_switch_keeps_the_row) {
    auto t = OpenTable("Hierarchy.DB");
    ASSERT_TRUE(t->FindKey({1004}));
    t->SetIndexName("byparent");
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1004);  // same row, new order
    EXPECT_EQ(Column(*t, "NodeName"), (QStringList{"alpha", "Beta", "Zeta", "bravo", "Charlie", "Émile", "delta"}));
    t->SetIndexFieldNames("ParentNodeID;NodeName");
    EXPECT_EQ(t->IndexFields(), (QStringList{"ParentNodeID", "NodeName"}));
    EXPECT_EQ(Column(*t, "NodeName"), (QStringList{"alpha", "Beta", "Zeta", "bravo", "Charlie", "Émile", "delta"}));
    t->SetIndexName("");
    EXPECT_EQ(t->IndexFields(), QStringList{"NodeID"});
    ExpectEngineError(db::ErrorCode::kIndexNotFound, [&] { t->SetIndexName("NoSuchIndex"); });
    EXPECT_EQ(t->IndexFields(), QStringList{"NodeID"});  // the previous order stays
}

struct SeekCase {
    const char* index;   // "" primary, else secondary name
    QVariantList key;
    bool nearest;
    bool found;          // FindKey answer (exact cases)
    int nodeId;          // row expected after the seek; 0 = Eof at the end
};

TEST_F(TableCursor, exact_and_nearest_seeks_on_all_or_leading_fields) {
    static const SeekCase cases[] = {
        {"", {1003}, false, true, 1003},
        {"", {999}, false, false, 1001},          // not found: stays where it was (First)
        {"", {1003}, true, true, 1003},
        {"", {1000}, true, true, 1001},
        {"", {1008}, true, true, 0},              // past the end
        {"ByParent", {1001}, false, true, 1002},  // leading field only: first in order
        {"ByParent", {1001, "CHARLIE"}, false, true, 1004},
        {"ByParent", {1001, "c"}, true, true, 1004},
        {"ByParent", {1001, "émile"}, false, true, 1003},
        {"ByParent", {0, "Gamma"}, true, true, 1005},
        {"ByParent", {2000}, true, true, 0},
    };
    auto t = OpenTable("Hierarchy.DB");
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.index, c.key.value(0).toString() + "/" + c.key.value(1).toString()).toStdString());
        t->SetIndexName(c.index);
        t->First();
        if (c.nearest) {
            t->FindNearest(c.key);
        } else {
            EXPECT_EQ(t->FindKey(c.key), c.found);
        }
        if (c.nodeId == 0) {
            EXPECT_TRUE(t->Eof());
        } else {
            EXPECT_FALSE(t->Eof());
            EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), c.nodeId);
        }
    }
    ExpectEngineError(db::ErrorCode::kInvalidParameter, [&] { t->FindKey({1, "a", 3}); });
    ExpectEngineError(db::ErrorCode::kInvalidValue, [&] { t->FindKey({"not a number", "a"}); });
}

struct RangeCase {
    const char* index;
    QVariantList start;
    QVariantList end;
    QStringList names;
};

TEST_F(TableCursor, ranges_hold_the_rows_between_their_ends_including_non_ascii_text) {
    static const RangeCase cases[] = {
        {"ByParent", {1001}, {1001}, {"bravo", "Charlie", "Émile"}},
        {"ByParent", {1001, "b"}, {1001, "d"}, {"bravo", "Charlie"}},
        {"ByParent", {0, "Beta"}, {1001, "bravo"}, {"Beta", "Zeta", "bravo"}},
        {"ByParent", {5000}, {6000}, {}},
        {"", {1002}, {1004}, {"bravo", "Émile", "Charlie"}},
        {"", {1006}, {}, {"delta", "Beta"}},
    };
    auto t = OpenTable("Hierarchy.DB");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.names.join(",").toStdString());
        t->SetIndexName(c.index);
        t->SetRange(c.start, c.end);
        EXPECT_EQ(Column(*t, "NodeName"), c.names);
        EXPECT_EQ(t->RecordCount(), c.names.size());
        EXPECT_FALSE(t->FindKey({1007}) && c.names.isEmpty());
        t->CancelRange();
        EXPECT_EQ(t->RecordCount(), 7);
    }
}

TEST_F(TableCursor, locate_finds_first_row_in_index_order_with_options) {
    auto t = OpenTable("Hierarchy.DB");
    EXPECT_TRUE(t->Locate("NodeName", {"charlie"}, db::LocateOption::loCaseInsensitive));
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1004);
    EXPECT_FALSE(t->Locate("NodeName", {"charlie"}, {}));
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1004);  // a failed locate does not move
    EXPECT_TRUE(t->Locate("NodeName", {"ém"}, db::LocateOption::loCaseInsensitive | db::LocateOption::loPartialKey));
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1003);
    EXPECT_TRUE(t->Locate("ParentNodeID;NodeName", {1001, "bravo"}, {}));
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1002);
    EXPECT_EQ(t->Lookup("NodeID", {1006}, "NodeName").toString(), "delta");
    EXPECT_TRUE(t->Lookup("NodeID", {4242}, "NodeName").isNull());
    ExpectEngineError(db::ErrorCode::kFieldNotFound, [&] { t->Locate("Nope", {1}, {}); });
}

TEST_F(TableCursor, nested_bookmarks_return_to_their_rows_until_the_row_is_deleted) {
    auto t = OpenTable("Hierarchy.DB");
    t->FindKey({1002});
    db::Bookmark outer = t->GetBookmark();
    t->FindKey({1006});
    db::Bookmark inner = t->GetBookmark();
    t->Last();
    t->GotoBookmark(inner);
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1006);
    t->GotoBookmark(outer);
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1002);
    t->FreeBookmark(outer);
    EXPECT_TRUE(outer.IsNull());
    t->FindKey({1006});
    t->Delete();
    EXPECT_FALSE(t->BookmarkValid(inner));
    ExpectEngineError(db::ErrorCode::kRecordDeleted, [&] { t->GotoBookmark(inner); });
}

TEST_F(TableCursor, post_stays_on_the_posted_row_in_its_new_position) {
    auto t = OpenTable("Hierarchy.DB");
    t->SetIndexName("ByParent");
    ASSERT_TRUE(t->FindKey({1001, "bravo"}));
    t->Edit();
    t->FieldByName("NodeName")->SetAsString("Zulu");
    t->Post();
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), "Zulu");
    EXPECT_EQ(t->RecNo(), 5);  // alpha, Beta, Zeta | Charlie, Zulu, Émile (by code point) | delta
    t->Prior();
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), "Charlie");
    t->Next();
    t->Next();
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), "Émile");
}

TEST_F(TableCursor, delete_moves_to_the_next_row_or_the_last_when_it_was_last) {
    auto t = OpenTable("Hierarchy.DB");
    t->FindKey({1003});
    t->Delete();
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1004);
    t->Last();
    t->Delete();
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1006);
    EXPECT_EQ(t->RecordCount(), 5);
    while (t->RecordCount() > 0) t->Delete();
    EXPECT_TRUE(t->Bof());
    EXPECT_TRUE(t->Eof());
    ExpectEngineError(db::ErrorCode::kRecordNotFound, [&] { t->Delete(); });
}

TEST_F(TableCursor, cursors_see_each_others_posts_on_their_next_move_or_refresh) {
    auto a = OpenTable("Hierarchy.DB");
    auto b = OpenTable("Hierarchy.DB");
    b->First();  // b caches a batch of rows
    a->FindKey({1002});
    a->Edit();
    a->FieldByName("NodeName")->SetAsString("changed");
    a->Post();
    b->Next();
    EXPECT_EQ(b->FieldByName("NodeName")->AsString(), "changed");
    AppendRow(*a, {1000, 0, "first"});
    b->Prior();
    b->Prior();
    EXPECT_EQ(b->FieldByName("NodeID")->AsInteger(), 1000);
    a->FindKey({1000});
    a->Delete();
    b->Refresh();
    EXPECT_EQ(b->FieldByName("NodeID")->AsInteger(), 1001);
}

TEST_F(TableCursor, editing_states_and_cancel) {
    auto t = OpenTable("Hierarchy.DB");
    EXPECT_EQ(t->State(), DataSetState::dsBrowse);
    ExpectEngineError(db::ErrorCode::kNotEditing, [&] { t->FieldByName("NodeName")->SetAsString("x"); });
    t->Edit();
    EXPECT_EQ(t->State(), DataSetState::dsEdit);
    t->FieldByName("NodeName")->SetAsString("temporary");
    EXPECT_TRUE(t->Modified());
    t->Cancel();
    EXPECT_EQ(t->State(), DataSetState::dsBrowse);
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), "alpha");
    t->Insert();
    EXPECT_EQ(t->State(), DataSetState::dsInsert);
    EXPECT_TRUE(t->FieldByName("NodeID")->IsNull());
    t->FieldByName("NodeName")->SetAsString("no key");
    ExpectEngineError(db::ErrorCode::kRequiredField, [&] { t->Post(); });
    EXPECT_EQ(t->State(), DataSetState::dsInsert);
    t->FieldByName("NodeID")->SetAsInteger(1001);
    ExpectEngineError(db::ErrorCode::kKeyViolation, [&] { t->Post(); });
    t->FieldByName("NodeID")->SetAsInteger(1100);
    t->Next();  // a move posts the modified record first
    EXPECT_EQ(t->State(), DataSetState::dsBrowse);
    EXPECT_TRUE(t->Locate("NodeName", {"no key"}, {}));
    t->Close();
    EXPECT_EQ(t->State(), DataSetState::dsInactive);
    ExpectEngineError(db::ErrorCode::kTableClosed, [&] { t->First(); });
}

TEST_F(TableCursor, read_only_tables_refuse_changes_and_a_row_deleted_behind_an_edit_is_reported) {
    db::Table ro;
    ro.SetDatabaseName(Path());
    ro.SetTableName("Hierarchy.DB");
    ro.SetReadOnly(true);
    ro.Open();
    EXPECT_FALSE(ro.CanModify());
    EXPECT_FALSE(ro.FieldByName("NodeName")->CanModify());
    ExpectEngineError(db::ErrorCode::kReadOnly, [&] { ro.Edit(); });
    ExpectEngineError(db::ErrorCode::kReadOnly, [&] { ro.Append(); });
    ExpectEngineError(db::ErrorCode::kReadOnly, [&] { ro.Delete(); });
    auto t = OpenTable("Hierarchy.DB");  // a writing cursor beside the read-only one
    t->FindKey({1004});
    t->Edit();
    t->FieldByName("NodeName")->SetAsString("gone meanwhile");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(FilePath("Hierarchy.DB").toUtf8().constData(), &raw), SQLITE_OK);
    db::RegisterSqlExtensions(raw);  // the tree's case-insensitive index needs the collation
    ASSERT_EQ(sqlite3_exec(raw, "DELETE FROM \"Hierarchy.DB\" WHERE NodeID = 1004", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    ExpectEngineError(db::ErrorCode::kRecordDeleted, [&] { t->Post(); });
    t->Cancel();
    ro.Refresh();
    EXPECT_EQ(ro.RecordCount(), 6);
}

// ---- direct row access ----

/// A word-table-like layout: a two-field primary key, a required count and a BLOB.
db::TableDef WordsDef() {
    db::TableDef def;
    def.Fields = {{"Word", FieldType::ftString, 10, true}, {"Seg", FieldType::ftSmallint, 0, true},
                  {"Count", FieldType::ftInteger, 0, true}, {"Inline", FieldType::ftBytes, 4, false},
                  {"Data", FieldType::ftBlob, 0, false}};
    def.Indexes = {{"", "Word;Seg", IndexOption::ixPrimary}};
    return def;
}

TEST_F(TableCursor, direct_rows_find_what_locate_finds_without_moving_the_cursor) {
    auto t = OpenTable("Hierarchy.DB");
    const QString longName = QString(100, QChar('n'));
    AppendRow(*t, {1010, 0, longName});
    t->FindKey({1002});
    int scrolls = 0;
    t->AfterScroll = [&](db::Table&) { ++scrolls; };
    db::DirectRows byName(*t, "NodeName", "NodeID;ParentNodeID;Timestamp", QString());
    struct Case {
        QVariant name;
        int id;  ///< 0: none
    };
    const Case cases[] = {{"Charlie", 1004}, {"charlie", 0}, {"Émile", 1003}, {longName + "cut", 1010},
                          {"", 0},           {QVariant(), 0}, {"nobody", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toString().toStdString());
        const qint64 row = byName.Find({c.name});
        EXPECT_EQ(row != 0, c.id != 0);
        if (row) {
            EXPECT_EQ(byName.Value(0).toInt(), c.id);
            EXPECT_EQ(byName.Value(2), QVariant());
        } else {
            EXPECT_TRUE(byName.Value(0).isNull());
        }
    }
    byName.Find({"Charlie"});
    EXPECT_EQ(byName.Value(1).toInt(), 1001);
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1002);
    EXPECT_EQ(scrolls, 0);
    db::DirectRows byKey(*t, "NodeID", "NodeName", QString());
    EXPECT_NE(byKey.Find({"1005"}), 0);  // converted as the field converts it
    EXPECT_EQ(byKey.Value(0).toString(), "Zeta");
    ExpectEngineError(db::ErrorCode::kInvalidParameter, [&] { byKey.Find({1005, 0}); });
    ExpectEngineError(db::ErrorCode::kInvalidParameter, [&] { byKey.Value(1); });
    ExpectEngineError(db::ErrorCode::kFieldNotFound, [&] { db::DirectRows(*t, "NodeID", "Missing", QString()); });
    ExpectEngineError(db::ErrorCode::kInvalidParameter, [&] { db::DirectRows(*t, "ParentNodeID", QString(), "NodeID"); });
    t->Close();
    ExpectEngineError(db::ErrorCode::kTableClosed, [&] { byKey.Find({1005}); });
    ExpectEngineError(db::ErrorCode::kTableClosed, [&] { db::DirectRows(*t, "NodeID", QString(), QString()); });
}

TEST_F(TableCursor, keys_cut_to_the_field_size_keep_whole_characters_in_seeks_locate_and_direct_rows) {
    // NodeName holds 100 characters; a name whose 100th unit starts an emoji is stored
    // without that emoji, and every way of looking it up with the long text finds it
    auto t = OpenTable("Hierarchy.DB");
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QString longName = QString(99, QChar('e')) + emoji + QStringLiteral("tail");
    AppendRow(*t, {1010, 0, longName});
    ASSERT_TRUE(t->FindKey({1010}));
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), QString(99, QChar('e')));
    t->First();
    EXPECT_TRUE(t->Locate("NodeName", {longName}));
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1010);
    t->First();
    EXPECT_TRUE(t->Locate("NodeName", {longName}, db::LocateOption::loCaseInsensitive));
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1010);
    db::DirectRows byName(*t, "NodeName", "NodeID", QString());
    EXPECT_NE(byName.Find({longName}), 0);
    EXPECT_EQ(byName.Value(0).toInt(), 1010);
    t->SetIndexName("ByParent");
    EXPECT_TRUE(t->FindKey({0, longName}));
    EXPECT_EQ(t->FieldByName("NodeID")->AsInteger(), 1010);
}

TEST_F(TableCursor, direct_rows_write_insert_and_delete_as_posts_do) {
    db::CreateTableFile(Path(), "Words.DB", WordsDef());
    auto t = OpenTable("Words.DB");
    AppendRow(*t, {"RED", 0, 2, QByteArray("ab"), QByteArray(5000, 'r')});
    AppendRow(*t, {"RED", 1, 1, QVariant(), QByteArray("x")});
    AppendRow(*t, {"CAR", 0, 1, QVariant(), QVariant()});
    auto other = OpenTable("Words.DB");
    other->FindKey({"RED", 1});
    t->FindKey({"RED", 0});
    db::DirectRows rows(*t, "Word;Seg", "Count;Inline;Data", "Count;Inline;Data");
    const qint64 red = rows.Find({"RED", 0});
    ASSERT_NE(red, 0);
    EXPECT_EQ(rows.Value(2).toByteArray(), QByteArray(5000, 'r'));
    const qint64 red1 = rows.Find({"RED", "1"});
    ASSERT_NE(red1, 0);
    EXPECT_NE(red1, red);

    // values are stored as field assignment stores them: bytes padded, "" null, text parsed
    rows.Write(red, {"3", QByteArray("q"), QByteArray()});
    EXPECT_EQ(t->FieldByName("Count")->AsInteger(), 3);  // the cursor stands on the row
    EXPECT_EQ(t->FieldByName("Inline")->AsBytes(), QByteArray("q\0\0\0", 4));
    EXPECT_TRUE(t->FieldByName("Data")->IsNull());
    EXPECT_EQ(t->State(), DataSetState::dsBrowse);
    rows.Write(red1, {7, QVariant(), QByteArray(9000, 's')});
    EXPECT_EQ(other->FieldByName("Count")->AsInteger(), 1);  // another cursor: on its next move
    other->Refresh();
    EXPECT_EQ(other->FieldByName("Count")->AsInteger(), 7);
    EXPECT_EQ(other->FieldByName("Data")->AsBytes(), QByteArray(9000, 's'));
    EXPECT_EQ(t->FieldByName("Word")->AsString(), "RED");  // the cursor did not move
    EXPECT_EQ(t->FieldByName("Seg")->AsInteger(), 0);

    const qint64 bus = rows.Insert({"BUS", 2}, {4, QByteArray("wxyz!"), QByteArray("b")});
    ASSERT_TRUE(t->FindKey({"BUS", 2}));
    EXPECT_EQ(t->GetBookmark().rowId, bus);
    EXPECT_EQ(t->FieldByName("Inline")->AsBytes(), QByteArray("wxyz"));
    EXPECT_EQ(t->FieldByName("Data")->AsBytes(), QByteArray("b"));
    rows.Delete(bus);
    EXPECT_EQ(rows.Find({"BUS", 2}), 0);
    rows.Delete(bus);  // gone already: nothing to do

    struct Failure {
        const char* what;
        int code;
        std::function<void()> work;
    };
    const Failure failures[] = {
        {"required field null", db::ErrorCode::kRequiredField, [&] { rows.Write(red, {QVariant(), QVariant(), QVariant()}); }},
        {"a value per field", db::ErrorCode::kInvalidParameter, [&] { rows.Write(red, {1}); }},
        {"not a number", db::ErrorCode::kInvalidValue, [&] { rows.Write(red, {"many", QVariant(), QVariant()}); }},
        {"row gone", db::ErrorCode::kRecordDeleted, [&] { rows.Write(bus, {1, QVariant(), QVariant()}); }},
        {"duplicate key", db::ErrorCode::kKeyViolation, [&] { rows.Insert({"CAR", 0}, {1, QVariant(), QVariant()}); }},
        {"key part required", db::ErrorCode::kRequiredField, [&] { rows.Insert({"CAR", QVariant()}, {1, QVariant(), QVariant()}); }},
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.what);
        ExpectEngineError(f.code, f.work);
    }
    // a row another cursor edits is locked; the edit itself goes on
    other->FindKey({"CAR", 0});
    other->Edit();
    const qint64 car = rows.Find({"CAR", 0});
    ExpectEngineError(db::ErrorCode::kRecordLocked, [&] { rows.Write(car, {2, QVariant(), QVariant()}); });
    ExpectEngineError(db::ErrorCode::kRecordLocked, [&] { rows.Delete(car); });
    other->FieldByName("Count")->SetAsInteger(5);
    other->Post();
    rows.Write(car, {6, QVariant(), QVariant()});
    rows.Find({"CAR", 0});
    EXPECT_EQ(rows.Value(0).toInt(), 6);

    // inside a batch the writes stay until the batch ends
    t->StartBatch();
    rows.Write(car, {8, QVariant(), QVariant()});
    rows.Insert({"TREE", 0}, {1, QVariant(), QVariant()});
    rows.Delete(red);
    t->EndBatch(false);
    EXPECT_EQ(t->RecordCount(), 3);
    rows.Find({"CAR", 0});
    EXPECT_EQ(rows.Value(0).toInt(), 6);
    EXPECT_NE(rows.Find({"RED", 0}), 0);

    db::Table ro;
    ro.SetDatabaseName(Path());
    ro.SetTableName("Words.DB");
    ro.SetReadOnly(true);
    ro.Open();
    ExpectEngineError(db::ErrorCode::kReadOnly, [&] { db::DirectRows(ro, "Word;Seg", QString(), "Count"); });
    db::DirectRows reader(ro, "Word;Seg", "Count", QString());
    EXPECT_NE(reader.Find({"CAR", 0}), 0);
    EXPECT_EQ(reader.Value(0).toInt(), 6);
}

TEST_F(TableCursor, a_clone_cursor_shares_order_range_and_an_exclusive_open) {
    auto t = OpenTable("Hierarchy.DB", true);
    t->SetIndexName("ByParent");
    t->SetRange({1001}, {1001});
    EXPECT_EQ(t->RangeStart(), QVariantList{1001});
    EXPECT_EQ(t->RangeEnd(), QVariantList{1001});
    t->Last();
    db::Table clone;
    int scrolls = 0;
    t->AfterScroll = [&](db::Table&) { ++scrolls; };
    clone.CloneCursor(*t);
    EXPECT_EQ(Column(clone, "NodeName"), (QStringList{"bravo", "Charlie", "Émile"}));
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), "Émile");  // the source did not move
    EXPECT_EQ(scrolls, 0);
    ExpectEngineError(db::ErrorCode::kTableLocked, [&] { OpenTable("Hierarchy.DB"); });
    clone.Close();
    t->CancelRange();
    EXPECT_TRUE(t->RangeStart().isEmpty());
}

TEST_F(TableCursor, post_announces_itself_before_its_events) {
    auto t = OpenTable("Hierarchy.DB");
    QStringList log;
    QObject::connect(t.get(), &db::Table::UpdatingRecord, t.get(), [&] {
        log << "UpdatingRecord";
        t->FieldByName("NodeName")->SetAsString("written by a control");
    });
    t->BeforePost = [&](db::Table&) { log << "BeforePost"; };
    t->Edit();
    t->Post();
    EXPECT_EQ(log, (QStringList{"UpdatingRecord", "BeforePost"}));
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), "written by a control");
}

TEST_F(TableCursor, a_table_over_rows_in_memory_walks_seeks_and_edits_like_a_file) {
    db::TableDef def;
    def.Fields = {{"ID", FieldType::ftInteger, 0, true}, {"Name", FieldType::ftString, 3, false}};
    def.Indexes = {{"", "ID", IndexOption::ixPrimary}, {"ByName", "Name", IndexOption::ixCaseInsensitive}};
    db::Table t;
    t.OpenInMemory(def, {{3, "cat"}, {1, "Bird"}, {2, "anteater"}});
    EXPECT_EQ(Column(t, "ID"), (QStringList{"1", "2", "3"}));
    t.SetIndexName("ByName");
    EXPECT_EQ(Column(t, "Name"), (QStringList{"ant", "Bir", "cat"}));  // cut to the size
    EXPECT_TRUE(t.FindKey({"BIRD"}));
    t.Edit();
    t.FieldByName("Name")->SetAsString("bee");
    t.Post();
    EXPECT_EQ(t.RecNo(), 2);
    ExpectEngineError(db::ErrorCode::kInvalidValue, [&] { db::Table bad; bad.OpenInMemory(def, {{"x", "y"}}); });
    t.Close();
    EXPECT_TRUE(db::TableNamesInFolder(Path()).contains("Hierarchy.DB"));
}

/// A table class that hooks around the table's own handling, as indexed tables do.
class HookedTable : public db::Table {
public:
    QStringList* log = nullptr;

protected:
    void DoBeforeEdit() override {
        *log << "hook:BeforeEdit";
        db::Table::DoBeforeEdit();
    }
    void DoAfterPost() override {
        db::Table::DoAfterPost();
        *log << "hook:AfterPost";
    }
    void DoBeforeDelete() override {
        *log << "hook:BeforeDelete";
        db::Table::DoBeforeDelete();
    }
    void DoAfterDelete() override {
        db::Table::DoAfterDelete();
        *log << "hook:AfterDelete";
    }
};

TEST_F(TableCursor, events_fire_in_order_and_a_subclass_hooks_around_them) {
    QStringList log;
    HookedTable t;
    t.log = &log;
    auto record = [&log](const char* name) { return [&log, name](db::Table&) { log << name; }; };
    t.BeforeOpen = record("BeforeOpen");
    t.AfterOpen = record("AfterOpen");
    t.BeforeEdit = record("BeforeEdit");
    t.AfterEdit = record("AfterEdit");
    t.BeforeInsert = record("BeforeInsert");
    t.AfterInsert = record("AfterInsert");
    t.OnNewRecord = [&log](db::Table& table) {
        log << "OnNewRecord";
        table.FieldByName("NodeID")->SetAsInteger(2000);
    };
    t.BeforePost = record("BeforePost");
    t.AfterPost = record("AfterPost");
    t.BeforeDelete = record("BeforeDelete");
    t.AfterDelete = record("AfterDelete");
    t.BeforeScroll = record("BeforeScroll");
    t.AfterScroll = record("AfterScroll");
    t.BeforeCancel = record("BeforeCancel");
    t.AfterCancel = record("AfterCancel");
    t.SetDatabaseName(Path());
    t.SetTableName("Hierarchy.DB");
    t.Open();
    t.Edit();
    t.FieldByName("NodeName")->SetAsString("x");
    t.Post();
    t.Insert();
    EXPECT_EQ(t.FieldByName("NodeID")->AsInteger(), 2000);
    EXPECT_FALSE(t.Modified());
    t.Cancel();
    t.Delete();
    EXPECT_EQ(log, (QStringList{"BeforeOpen", "AfterOpen", "AfterScroll",
                                "hook:BeforeEdit", "BeforeEdit", "AfterEdit",
                                "BeforePost", "AfterPost", "hook:AfterPost",
                                "BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll",
                                "BeforeCancel", "AfterCancel",
                                "hook:BeforeDelete", "BeforeDelete", "BeforeScroll", "AfterDelete", "hook:AfterDelete",
                                "AfterScroll"}));
}

TEST_F(TableCursor, a_throwing_before_event_stops_the_operation) {
    auto t = OpenTable("Hierarchy.DB");
    t->BeforeDelete = [](db::Table&) { throw db::EDBEngineError(db::ErrorCode::kReadOnly); };
    ExpectEngineError(db::ErrorCode::kReadOnly, [&] { t->Delete(); });
    EXPECT_EQ(t->RecordCount(), 7);
    t->BeforePost = [](db::Table&) { throw db::EDBEngineError(db::ErrorCode::kReadOnly); };
    t->Edit();
    t->FieldByName("NodeName")->SetAsString("never");
    ExpectEngineError(db::ErrorCode::kReadOnly, [&] { t->Post(); });
    EXPECT_EQ(t->State(), DataSetState::dsEdit);
    t->Cancel();
    EXPECT_EQ(t->FieldByName("NodeName")->AsString(), "alpha");
}

TEST_F(TableCursor, controls_disable_and_enable_nest) {
    auto t = OpenTable("Hierarchy.DB");
    int scrolled = 0;
    QObject::connect(t.get(), &db::Table::Scrolled, t.get(), [&] { ++scrolled; });
    t->DisableControls();
    t->DisableControls();
    t->Next();
    t->EnableControls();
    t->Next();
    EXPECT_TRUE(t->ControlsDisabled());
    EXPECT_EQ(scrolled, 0);
    t->EnableControls();
    EXPECT_FALSE(t->ControlsDisabled());
    EXPECT_EQ(scrolled, 1);
    t->Next();
    EXPECT_EQ(scrolled, 2);
}

TEST_F(TableCursor, walks_past_many_batches_and_a_table_without_key_keeps_insert_order) {
    db::TableDef def;
    def.Fields = {{"N", FieldType::ftInteger, 0, false}, {"Name", FieldType::ftString, 10, false}};
    db::CreateTableFile(Path(), "Plain.db", def);
    auto t = OpenTable("Plain.db");
    t->StartBatch();
    for (int i = 0; i < 3000; ++i) AppendRow(*t, {(i * 7919) % 3000, i % 3 ? QVariant("x") : QVariant()});
    t->EndBatch(true);
    int n = 0;
    bool ordered = true;
    for (t->First(); !t->Eof(); t->Next()) {
        ++n;
        ordered = ordered && t->FieldByName("N")->AsInteger() == (n - 1) * 7919 % 3000;
    }
    EXPECT_EQ(n, 3000);
    EXPECT_TRUE(ordered);
    t->SetIndexFieldNames("Name;N");  // an order without an index of its own, nulls first
    std::vector<std::pair<bool, int>> seen, expected;
    for (t->First(); !t->Eof(); t->Next())
        seen.push_back({!t->FieldByName("Name")->IsNull(), t->FieldByName("N")->AsInteger()});
    for (int i = 0; i < 3000; ++i) expected.push_back({i % 3 != 0, (i * 7919) % 3000});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);
    int back = 0;
    for (t->Last(); !t->Bof(); t->Prior()) ++back;
    EXPECT_EQ(back, 3000);
}

struct OrderCase {
    const char* name;
    db::IndexOptions options;
};

TEST_F(TableCursor, every_kind_of_order_walks_both_ways_across_batches_with_nulls_in_place) {
    db::TableDef def;
    def.Fields = {{"ID", FieldType::ftInteger, 0, true}, {"Word", FieldType::ftString, 20, false},
                  {"Num", FieldType::ftInteger, 0, false}};
    def.Indexes = {{"", "ID", IndexOption::ixPrimary},
                   {"Asc", "Word;Num", {}},
                   {"Desc", "Word;Num", IndexOption::ixDescending},
                   {"NoCase", "Word;Num", IndexOption::ixCaseInsensitive},
                   {"NoCaseDesc", "Word;Num", IndexOption::ixCaseInsensitive | IndexOption::ixDescending}};
    db::CreateTableFile(Path(), "Words.db", def);
    auto t = OpenTable("Words.db");
    const QStringList words{"apple", "Apple", "", "Äpfel", "zebra", "Zulu", "émile", "Émile", "mango"};
    struct Expect {
        QString word;
        int num;
        int id;
    };
    std::vector<Expect> rows;
    t->StartBatch();
    for (int i = 0; i < 700; ++i) {
        const QString w = words[i % words.size()];
        const QVariant num = i % 11 == 0 ? QVariant() : QVariant(i % 13);
        AppendRow(*t, {i, w.isEmpty() ? QVariant() : QVariant(w), num});
        rows.push_back({w, num.isNull() ? -1 : num.toInt(), i});
    }
    t->EndBatch(true);
    static const OrderCase cases[] = {
        {"Asc", {}}, {"Desc", IndexOption::ixDescending}, {"NoCase", IndexOption::ixCaseInsensitive},
        {"NoCaseDesc", IndexOption::ixCaseInsensitive | IndexOption::ixDescending}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool nocase = c.options.testFlag(IndexOption::ixCaseInsensitive);
        const bool desc = c.options.testFlag(IndexOption::ixDescending);
        // expected: nulls (blank words, missing numbers) lowest; ties in insertion order
        auto key = [&](const Expect& e) {
            return std::make_tuple(!e.word.isEmpty(), nocase ? e.word.toCaseFolded() : e.word, e.num);
        };
        std::vector<Expect> expected = rows;
        std::stable_sort(expected.begin(), expected.end(), [&](const Expect& a, const Expect& b) {
            if (key(a) != key(b)) return desc ? key(b) < key(a) : key(a) < key(b);
            return desc ? a.id > b.id : a.id < b.id;
        });
        QList<int> want, got, back;
        for (const auto& e : expected) want << e.id;
        t->SetIndexName(c.name);
        for (t->First(); !t->Eof(); t->Next()) got << t->FieldByName("ID")->AsInteger();
        for (t->Last(); !t->Bof(); t->Prior()) back.prepend(t->FieldByName("ID")->AsInteger());
        EXPECT_EQ(got, want);
        EXPECT_EQ(back, want);
        // a prefix range holds exactly the rows of that word, in order
        t->SetRange({"Émile"}, {"Émile"});
        QList<int> inRange, wantRange;
        for (t->First(); !t->Eof(); t->Next()) inRange << t->FieldByName("ID")->AsInteger();
        for (const auto& e : expected) {
            if (nocase ? e.word.toCaseFolded() == QString("émile") : e.word == QString("Émile")) wantRange << e.id;
        }
        EXPECT_EQ(inRange, wantRange);
        EXPECT_EQ(t->RecordCount(), wantRange.size());
        t->CancelRange();
        // RecNo counts in the order, nulls included
        t->First();
        t->MoveBy(123);
        EXPECT_EQ(t->RecNo(), 124);
        EXPECT_EQ(t->FieldByName("ID")->AsInteger(), want[123]);
    }
}

}  // namespace
