#include "platform/db/table_utils.h"

#include "platform/db/tests/db_fixture.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

using namespace dbtest;

db::TableDef viewDef() {
    db::TableDef def;
    def.Fields = {{"NodeID", FieldType::ftInteger, 0, true}, {"Name", FieldType::ftString, 20, false},
                  {"Count", FieldType::ftString, 10, false}, {"Born", FieldType::ftString, 12, false},
                  {"Flag", FieldType::ftBoolean, 0, false},  {"Ratio", FieldType::ftFloat, 0, false},
                  {"Note", FieldType::ftMemo, 0, false}};
    def.Indexes = {{"", "NodeID", IndexOption::ixPrimary}, {"ByName", "Name", IndexOption::ixCaseInsensitive}};
    return def;
}

class TableUtils : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db::CreateTableFile(Path(), "People.db", viewDef());
        auto t = OpenTable("People.db");
        AppendRow(*t, {1, "Ann", "12", "3/14/1999", true, 2.5, "note one"});
        AppendRow(*t, {2, "Bob", "x7", "31/12/1999", false, 1e10, QVariant()});
        AppendRow(*t, {3, "Carla Longname", "", "1/2/2003", QVariant(), -0.4, "n"});
    }
    QStringList values(const QString& field) {
        auto t = OpenTable("People.db");
        QStringList out;
        for (t->First(); !t->Eof(); t->Next()) out << (t->FieldByName(field)->IsNull() ? "<null>" : t->FieldByName(field)->AsString());
        return out;
    }
};

struct ChangeCase {
    const char* field;
    db::FieldChange change;
    const char* newName;
    QStringList expected;  // by NodeID 1, 2, 3
};

TEST_F(TableUtils, changing_a_column_converts_its_values_and_keeps_the_rest) {
    static const ChangeCase cases[] = {
        {"Count", {"", FieldType::ftInteger, 0}, "Count", {"12", "<null>", "<null>"}},     // text to number parses or null
        {"Count", {"Amount", FieldType::ftUnknown, 0}, "Amount", {"12", "<null>", "<null>"}},  // rename only
        {"Amount", {"", FieldType::ftFloat, 0}, "Amount", {"12", "<null>", "<null>"}},
        {"Amount", {"", FieldType::ftString, 4}, "Amount", {"12", "<null>", "<null>"}},  // number back to text
        {"Name", {"", FieldType::ftUnknown, 3}, "Name", {"Ann", "Bob", "Car"}},          // shorter text cuts
        {"Flag", {"", FieldType::ftString, 5}, "Flag", {"TRUE", "FALSE", "<null>"}},
        {"Flag", {"", FieldType::ftBoolean, 0}, "Flag", {"True", "False", "<null>"}},
        {"Born", {"", FieldType::ftDate, 0}, "Born", {"1999-03-14", "<null>", "2003-01-02"}},  // with M/d/yyyy
        {"Ratio", {"", FieldType::ftString, 20}, "Ratio", {"2.5", "10000000000", "-0.4"}},
        {"Note", {"", FieldType::ftString, 4}, "Note", {"note", "<null>", "n"}},
    };
    db::RestructureOptions options;
    options.ShortDateFormat = "M/d/yyyy";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " -> " + c.newName);
        db::ChangeTableField(Path(), "People.db", c.field, c.change, options);
        EXPECT_EQ(values(c.newName), c.expected);
        EXPECT_EQ(values("NodeID"), (QStringList{"1", "2", "3"}));
    }
    const db::TableDef def = db::ReadTableDef(Path(), "People.db");
    EXPECT_EQ(def.Fields[2].Name, "Amount");
    EXPECT_EQ(def.Fields[2].DataType, FieldType::ftString);
    EXPECT_EQ(def.Fields[1].Size, 3);
    EXPECT_EQ(def.Indexes.size(), 2u);
    auto t = OpenTable("People.db");
    t->SetIndexName("ByName");
    EXPECT_EQ(Column(*t, "Name"), (QStringList{"Ann", "Bob", "Car"}));
}

TEST_F(TableUtils, a_change_that_would_lose_data_is_refused_and_leaves_the_table_as_it_was) {
    QFile f(FilePath("People.db"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    // 1e10 does not fit a 32-bit integer
    ExpectEngineError(db::ErrorCode::kDataLoss, [&] { db::ChangeTableField(Path(), "People.db", "Ratio", {"", FieldType::ftInteger, 0}); });
    // cutting names to one letter would make the unique key... (add a unique index first)
    db::AddIndexToFile(Path(), "People.db", {"UniqueName", "Name", IndexOption::ixUnique});
    db::AddIndexToFile(Path(), "People.db", {"", "NodeID", IndexOption::ixPrimary});
    {
        auto t = OpenTable("People.db");
        AppendRow(*t, {4, "Anna", "", "", false, 0, ""});
    }
    ExpectEngineError(db::ErrorCode::kDataLoss, [&] { db::ChangeTableField(Path(), "People.db", "Name", {"", FieldType::ftUnknown, 2}); });
    EXPECT_EQ(values("Name"), (QStringList{"Ann", "Bob", "Carla Longname", "Anna"}));
    ExpectEngineError(db::ErrorCode::kInvalidDefinition, [&] { db::ChangeTableField(Path(), "People.db", "Name", {"Count", FieldType::ftUnknown, 0}); });
    ExpectEngineError(db::ErrorCode::kInvalidDefinition, [&] { db::ChangeTableField(Path(), "People.db", "Note", {"", FieldType::ftGraphic, 0}); });
    ExpectEngineError(db::ErrorCode::kFieldNotFound, [&] { db::ChangeTableField(Path(), "People.db", "Nope", {"X", FieldType::ftUnknown, 0}); });
    ExpectEngineError(db::ErrorCode::kInvalidDefinition, [&] { db::DropTableField(Path(), "People.db", "NodeID"); });
    // an unchanged request touches nothing
    db::ChangeTableField(Path(), "People.db", "Name", {"Name", FieldType::ftString, 20});
    EXPECT_EQ(db::VerifyTableFile(Path(), "People.db").Level, 0);
    Q_UNUSED(before);
}

TEST_F(TableUtils, adding_and_dropping_columns_keeps_rows_and_drops_indexes_over_them) {
    db::AddTableField(Path(), "People.db", {"Extra", FieldType::ftInteger, 0, false});
    EXPECT_EQ(values("Extra"), (QStringList{"<null>", "<null>", "<null>"}));
    ExpectEngineError(db::ErrorCode::kInvalidDefinition, [&] { db::AddTableField(Path(), "People.db", {"extra", FieldType::ftInteger, 0, false}); });
    db::DropTableField(Path(), "People.db", "Name");
    const db::TableDef def = db::ReadTableDef(Path(), "People.db");
    EXPECT_EQ(def.FieldIndex("Name"), -1);
    EXPECT_EQ(def.FindIndex("ByName"), nullptr);
    EXPECT_EQ(def.Fields.back().Name, "Extra");
    EXPECT_EQ(values("Count"), (QStringList{"12", "x7", "<null>"}));
    auto t = OpenTable("People.db");
    EXPECT_EQ(t->FieldCount(), 7);
}

TEST_F(TableUtils, a_held_table_cannot_be_restructured_and_stays_open) {
    auto t = OpenTable("People.db");
    ExpectEngineError(db::ErrorCode::kTableBusy, [&] { db::AddTableField(Path(), "People.db", {"X", FieldType::ftInteger, 0, false}); });
    EXPECT_TRUE(t->Active());
    EXPECT_EQ(t->RecordCount(), 3);
}

TEST_F(TableUtils, indexes_are_added_and_deleted_on_closed_and_exclusively_open_tables) {
    db::Table t;
    t.SetDatabaseName(Path());
    t.SetTableName("People.db");
    t.AddIndex("ByCount", "Count;Name", {});
    EXPECT_NE(t.Definition().FindIndex("ByCount"), nullptr);
    t.SetExclusive(true);
    t.Open();
    t.AddIndex("ByRatio", "Ratio", IndexOption::ixDescending);
    EXPECT_TRUE(t.Active());
    t.SetIndexName("ByRatio");
    EXPECT_EQ(Column(t, "NodeID"), (QStringList{"2", "1", "3"}));
    t.SetIndexName("");
    t.DeleteIndex("ByCount");
    EXPECT_EQ(t.Definition().FindIndex("ByCount"), nullptr);
    ExpectEngineError(db::ErrorCode::kIndexNotFound, [&] { t.DeleteIndex("ByCount"); });
    t.Close();
    t.SetExclusive(false);
    t.Open();
    ExpectEngineError(db::ErrorCode::kNeedExclusive, [&] { t.AddIndex("X", "Name", {}); });
    t.Close();
    {
        auto w = OpenTable("People.db");
        AppendRow(*w, {9, "ann"});
    }
    ExpectEngineError(db::ErrorCode::kKeyViolation, [&] { db::AddIndexToFile(Path(), "People.db", {"U", "Name", IndexOption::ixUnique | IndexOption::ixCaseInsensitive}); });
    EXPECT_EQ(db::ReadTableDef(Path(), "People.db").FindIndex("U"), nullptr);
    db::CheckTableIndexes(Path(), "People.db");
}

TEST_F(TableUtils, empty_rename_copy_and_delete_work_on_whole_files) {
    db::CopyTableFile(Path(), "people.db", Path(), "Copy.DB");
    ExpectEngineError(db::ErrorCode::kTableExists, [&] { db::CopyTableFile(Path(), "People.db", Path(), "copy.db"); });
    db::EmptyTableFile(Path(), "People.db");
    EXPECT_TRUE(values("NodeID").isEmpty());
    db::RenameTableFile(Path(), "Copy.DB", "Renamed.db");
    EXPECT_EQ(db::TableNamesInFolder(Path()), (QStringList{"People.db", "Renamed.db"}));
    {
        auto t = OpenTable("renamed.DB");
        EXPECT_EQ(t->RecordCount(), 3);
        t->SetIndexName("ByName");
        EXPECT_EQ(Column(*t, "Name"), (QStringList{"Ann", "Bob", "Carla Longname"}));
    }
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(FilePath("Renamed.db").toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(raw, "SELECT count(*) FROM \"Renamed.db\"", -1, &st, nullptr), SQLITE_OK);
    sqlite3_finalize(st);
    sqlite3_close(raw);
    ExpectEngineError(db::ErrorCode::kTableExists, [&] { db::RenameTableFile(Path(), "Renamed.db", "PEOPLE.DB"); });
    db::DeleteTableFile(Path(), "renamed.db");
    EXPECT_FALSE(QFileInfo::exists(FilePath("Renamed.db")));
    ExpectEngineError(db::ErrorCode::kTableNotFound, [&] { db::DeleteTableFile(Path(), "Renamed.db"); });
}

TEST_F(TableUtils, batch_append_copies_rows_by_position_in_one_transaction) {
    db::TableDef other;
    other.Fields = {{"ID", FieldType::ftInteger, 0, true}, {"Title", FieldType::ftString, 5, false},
                    {"Number", FieldType::ftString, 5, false}};
    other.Indexes = {{"", "ID", IndexOption::ixPrimary}};
    db::CreateTableFile(Path(), "Other.db", other);
    auto src = OpenTable("People.db");
    auto dst = OpenTable("Other.db");
    src->SetRange({1}, {2});
    EXPECT_EQ(db::BatchAppend(*src, *dst), 2);
    EXPECT_EQ(Column(*dst, "Title"), (QStringList{"Ann", "Bob"}));
    dst->First();
    EXPECT_EQ(dst->FieldByName("Number")->AsString(), "12");
    src->CancelRange();
    // the third row is new but 1 and 2 collide: nothing of the batch stays
    ExpectEngineError(db::ErrorCode::kKeyViolation, [&] { db::BatchAppend(*src, *dst); });
    EXPECT_EQ(dst->RecordCount(), 2);
}

TEST_F(TableUtils, pack_gives_the_space_of_deleted_rows_back) {
    {
        auto t = OpenTable("People.db");
        t->StartBatch();
        for (int i = 10; i < 3000; ++i) AppendRow(*t, {i, QString("name %1").arg(i), "", "", false, 0, QString(300, 'n')});
        t->EndBatch(true);
        t->StartBatch();
        t->SetRange({10}, {2900});
        while (!t->IsEmpty()) t->Delete();
        t->EndBatch(true);
    }
    const qint64 before = QFileInfo(FilePath("People.db")).size();
    db::PackTableFile(Path(), "People.db");
    const qint64 after = QFileInfo(FilePath("People.db")).size();
    EXPECT_LT(after * 4, before);
    EXPECT_EQ(values("NodeID").size(), 3 + 99);
    EXPECT_EQ(db::VerifyTableFile(Path(), "People.db").Level, 0);
}

struct DamageCase {
    const char* what;
    std::function<void(QByteArray&, const QString& path)> damage;
    int level;
};

TEST_F(TableUtils, verify_reports_damage_at_its_level_and_never_crashes) {
    {
        auto t = OpenTable("People.db");
        t->StartBatch();
        for (int i = 10; i < 600; ++i) AppendRow(*t, {i, QString("name %1").arg(i), "", "", false, 0, QString(200, 'v')});
        t->EndBatch(true);
    }
    EXPECT_EQ(db::VerifyTableFile(Path(), "People.db").Level, 0);
    QFile f(FilePath("People.db"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    f.close();
    auto sqlOn = [](const QString& path, const char* sql) {
        sqlite3* raw = nullptr;
        sqlite3_open(path.toUtf8().constData(), &raw);
        sqlite3_exec(raw, sql, nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    };
    static const DamageCase cases[] = {
        {"sound", [](QByteArray&, const QString&) {}, 0},
        {"overwritten header bytes", [](QByteArray& b, const QString&) { for (int i = 0; i < 16; ++i) b[i] = 'X'; }, 3},
        {"bad page size", [](QByteArray& b, const QString&) { b[16] = 3; b[17] = 1; }, 3},
        {"truncated file", [](QByteArray& b, const QString&) { b.truncate(b.size() / 2 + 100); }, 2},
        {"tiny file", [](QByteArray& b, const QString&) { b.truncate(50); }, 3},
        {"overwritten row pages", [](QByteArray& b, const QString&) {
             const int from = (b.size() / 2) / 4096 * 4096;
             for (int i = from + 8; i < from + 4096; ++i) b[i] = char(i * 13);
         }, 2},
        {"definition not matching rows", [&](QByteArray&, const QString& p) {
             sqlOn(p, "UPDATE dossara_fields SET name = 'Other' WHERE name = 'Count'");
         }, 2},
        {"definition unreadable", [&](QByteArray&, const QString& p) { sqlOn(p, "DROP TABLE dossara_fields"); }, 3},
        {"index missing", [&](QByteArray&, const QString& p) { sqlOn(p, "DROP INDEX \"People.db:ByName\""); }, 1},
        {"values of the wrong kind", [&](QByteArray&, const QString& p) {
             sqlOn(p, "UPDATE \"People.db\" SET Ratio = 'text' WHERE NodeID = 2");
         }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes = good;
        c.damage(bytes, QString());
        {
            QFile out(FilePath("Damaged.db"));
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(bytes);
        }
        c.damage(bytes, FilePath("Damaged.db"));
        const db::VerifyResult v = db::VerifyTableFile(Path(), "Damaged.db");
        EXPECT_EQ(v.Level, c.level) << v.Problems.join("; ").toStdString();
        EXPECT_EQ(v.Problems.isEmpty(), c.level == 0);
        // opening reports damage as an engine error, never a crash
        try {
            auto t = OpenTable("Damaged.db");
            for (t->First(); !t->Eof(); t->Next()) t->FieldByName("Note")->AsString();
        } catch (const db::EDBEngineError&) {
        }
        db::DeleteTableFile(Path(), "Damaged.db");
    }
    ExpectEngineError(db::ErrorCode::kTableNotFound, [&] { db::VerifyTableFile(Path(), "Nothing.db"); });
}

}  // namespace
