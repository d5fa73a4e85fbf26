#include "platform/db/database.h"
#include "platform/db/session.h"
#include "platform/db/stored_proc.h"

#include "platform/db/table_utils.h"
#include "platform/db/tests/db_fixture.h"

#include <QFile>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

using namespace dbtest;

class Databases : public DbFolder {};

TEST_F(Databases, table_names_resolve_case_insensitively_and_new_files_keep_the_given_spelling) {
    db::CreateTableFile(Path(), "Registry.DB", RegistryDef());
    db::CreateTableFile(Path(), "HierarchyDict.db", HierarchyDef());
    ExpectEngineError(db::ErrorCode::kTableExists, [&] { db::CreateTableFile(Path(), "REGISTRY.db", RegistryDef()); });
    EXPECT_EQ(db::FindTableFile(Path(), "registry.db"), "Registry.DB");
    auto a = OpenTable("REGISTRY.DB");
    auto b = OpenTable("Registry.db");
    AppendRow(*a, {"S", "K1", "K2", "V", "value", 1});
    b->Refresh();
    EXPECT_EQ(b->RecordCount(), 1);  // one file
    QFile::copy(FilePath("Registry.DB"), FilePath("notes.txt"));  // a table under another name still lists
    QFile junk(FilePath("readme.txt"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a table");
    junk.close();
    EXPECT_EQ(db::TableNamesInFolder(Path()), (QStringList{"HierarchyDict.db", "Registry.DB", "notes.txt"}));
    // the row table inside the file is named after the file
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(FilePath("Registry.DB").toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(raw, "SELECT Value FROM \"Registry.DB\"", -1, &st, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_step(st), SQLITE_ROW);
    sqlite3_finalize(st);
    sqlite3_close(raw);
}

TEST_F(Databases, a_registered_name_maps_to_its_folder) {
    db::CreateTableFile(Path(), "MaskLib.db", RegistryDef());
    db::Database library;
    library.SetDatabaseName("Library");
    library.SetParams({"PATH=" + Path()});
    library.Open();
    EXPECT_EQ(library.GetTableNames(), QStringList{"MaskLib.db"});
    db::Table t;
    t.SetDatabaseName("library");
    t.SetTableName("MASKLIB.DB");
    t.Open();
    EXPECT_TRUE(t.Active());
    t.Close();
    library.Close();
    EXPECT_EQ(db::Database::FindDatabase("Library"), nullptr);
    ExpectEngineError(db::ErrorCode::kTableNotFound, [&] { t.Open(); });
    db::Database missing;
    missing.SetDatabaseName("Gone");
    missing.SetDirectory(FilePath("no-such-folder"));
    ExpectEngineError(db::ErrorCode::kDatabaseNotFound, [&] { missing.Open(); });
}

TEST_F(Databases, sessions_hold_aliases_that_databases_stand_on_and_list_tables_by_pattern) {
    db::CreateTableFile(Path(), "MaskLib.db", RegistryDef());
    db::CreateTableFile(Path(), "Macros.DB", RegistryDef());
    db::Session* defaults = db::Sessions::DefaultSession();
    EXPECT_EQ(db::Sessions::FindSession(""), defaults);
    EXPECT_EQ(db::Sessions::FindSession("default"), defaults);
    EXPECT_EQ(db::Sessions::FindSession("Reports"), nullptr);
    db::Session reports("Reports");
    db::Sessions::AddSession(&reports);
    EXPECT_EQ(db::Sessions::FindSession("REPORTS"), &reports);
    reports.AddStandardAlias("Library", Path());
    EXPECT_TRUE(reports.IsAlias("library"));
    EXPECT_FALSE(defaults->IsAlias("Library"));
    EXPECT_EQ(reports.GetAliasDriverName("Library"), "STANDARD");
    ExpectEngineError(db::ErrorCode::kUnknownAlias, [&] { reports.GetAliasDriverName("Nothing"); });
    struct Case {
        const char* pattern;
        bool extensions;
        QStringList names;
    };
    const Case cases[] = {
        {"*.*", true, {"Macros.DB", "MaskLib.db"}},
        {"*.db", false, {"Macros", "MaskLib"}},
        {"Mask*", true, {"MaskLib.db"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reports.GetTableNames("Library", c.pattern, c.extensions, false), c.names) << c.pattern;

    // A database on the alias takes its folder; an alias the session does not know is refused.
    db::Database library;
    library.SetDatabaseName("Masks");
    library.SetSessionName("Reports");
    library.SetAliasName("Library");
    library.Open();
    EXPECT_EQ(library.Directory(), Path());
    EXPECT_EQ(reports.FindDatabase("masks"), &library);
    EXPECT_EQ(defaults->FindDatabase("Masks"), nullptr);
    EXPECT_EQ(reports.DatabaseFolder("Masks"), Path());
    library.Close();
    db::Database stray;
    stray.SetAliasName("Nothing");
    ExpectEngineError(db::ErrorCode::kUnknownAlias, [&] { stray.Open(); });
    db::Sessions::RemoveSession(&reports);
    EXPECT_EQ(db::Sessions::FindSession("Reports"), nullptr);

    // The table engine holds no stored procedures: opening one says so.
    db::StoredProc proc;
    proc.SetDatabaseName(Path());
    proc.SetStoredProcName("Reindex");
    ExpectEngineError(db::ErrorCode::kNotSupported, [&] { proc.Open(); });
    EXPECT_FALSE(proc.Active());
}

TEST_F(Databases, a_transaction_groups_posts_until_commit_or_rollback) {
    db::CreateTableFile(Path(), "Registry.DB", RegistryDef());
    db::Database database;
    database.SetDatabaseName(Path());
    database.Open();
    auto t = OpenTable("Registry.DB");
    auto other = OpenTable("Registry.DB");
    database.StartTransaction();
    ExpectEngineError(db::ErrorCode::kTransactionActive, [&] { database.StartTransaction(); });
    for (int i = 0; i < 50; ++i) AppendRow(*t, {"S", QString::number(i)});
    database.Rollback();
    t->Refresh();
    EXPECT_EQ(t->RecordCount(), 0);
    database.StartTransaction();
    for (int i = 0; i < 50; ++i) AppendRow(*t, {"S", QString::number(i)});
    t->First();
    t->Delete();
    database.Commit();
    other->Refresh();
    EXPECT_EQ(other->RecordCount(), 49);
    ExpectEngineError(db::ErrorCode::kNoTransaction, [&] { database.Commit(); });
    // one transaction over two tables
    db::CreateTableFile(Path(), "Hierarchy.DB", HierarchyDef());
    auto h = OpenTable("Hierarchy.DB");
    database.StartTransaction();
    AppendRow(*h, {1000, 0, "root"});
    AppendRow(*t, {"T", "x"});
    database.Rollback();
    h->Refresh();
    t->Refresh();
    EXPECT_EQ(h->RecordCount(), 0);
    EXPECT_EQ(t->RecordCount(), 49);
}

TEST(EngineErrors, carry_codes_and_texts_in_the_engine_form) {
    EXPECT_EQ(db::EngineErrorText(9729), "9729: Key violation.");
    EXPECT_EQ(db::EngineErrorText(4711), "Unknown error, code is 4711.");
    EXPECT_EQ(db::EngineErrorText(10520), "10520: Invalid SQL statement.");
    db::EDBEngineError e(db::ErrorCode::kTableNotFound, "Table: x.db");
    EXPECT_EQ(e.ErrorCount(), 2);
    EXPECT_EQ(e.Errors(0).ErrorCode, db::ErrorCode::kTableNotFound);
    EXPECT_EQ(e.Errors(0).Message, "Table does not exist.");
    EXPECT_EQ(e.Code(), db::ErrorCode::kTableNotFound);
    EXPECT_EQ(e.Message(), "Table does not exist.\nTable: x.db");
    for (int code : {db::ErrorCode::kTableBusy, db::ErrorCode::kTableLocked, db::ErrorCode::kRecordLocked,
                     db::ErrorCode::kReadOnly, db::ErrorCode::kFieldNotFound, db::ErrorCode::kRequiredField,
                     db::ErrorCode::kCorruptFile, db::ErrorCode::kCorruptHeader, db::ErrorCode::kDiskFull})
        EXPECT_FALSE(db::EngineMessage(code).isEmpty()) << code;
}

struct DefCase {
    const char* what;
    db::TableDef def;
};

TEST(TableDefinitions, bad_definitions_are_refused_with_the_reason) {
    const db::FieldDef id{"ID", FieldType::ftInteger, 0, false};
    static const DefCase cases[] = {
        {"no fields", {}},
        {"alpha size 0", {{{"A", FieldType::ftString, 0, false}}, {}}},
        {"alpha size 256", {{{"A", FieldType::ftString, 256, false}}, {}}},
        {"repeated name", {{id, {"id", FieldType::ftString, 5, false}}, {}}},
        {"index over missing field", {{id}, {{"X", "Nope", {}}}}},
        {"primary not leading", {{id, {"B", FieldType::ftInteger, 0, false}}, {{"", "B", IndexOption::ixPrimary}}}},
        {"memo indexed", {{id, {"M", FieldType::ftMemo, 0, false}}, {{"X", "M", {}}}}},
        {"unnamed secondary", {{id}, {{"", "ID", {}}}}},
        {"reserved name", {{{"rowid", FieldType::ftInteger, 0, false}}, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectEngineError(db::ErrorCode::kInvalidDefinition, [&] { c.def.Validate(); });
    }
    db::TableDef good{{id, {"Name", FieldType::ftString, 255, true}}, {{"", "ID", IndexOption::ixPrimary}, {"ByName", "Name", IndexOption::ixCaseInsensitive}}};
    EXPECT_NO_THROW(good.Validate());
}

class BadTables : public DbFolder {};

TEST_F(BadTables, files_that_are_not_sound_tables_give_clear_errors_and_are_not_written) {
    db::CreateTableFile(Path(), "Good.db", RegistryDef());
    {
        auto t = OpenTable("Good.db");
        for (int i = 0; i < 200; ++i) AppendRow(*t, {"S", QString::number(i), "", "", QString(150, 'x')});
    }
    auto writeFile = [&](const QString& name, const QByteArray& bytes) {
        QFile f(FilePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    QFile good(FilePath("Good.db"));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    good.close();
    writeFile("Text.db", "just some text, not a table at all, and long enough to fill a header......................................................");
    writeFile("Empty.db", {});
    QByteArray header = bytes;
    for (int i = 16; i < 40; ++i) header[i] = char(0xff);
    writeFile("Header.db", header);
    writeFile("Truncated.db", bytes.left(bytes.size() / 2));
    QByteArray middle = bytes;
    const int from = (bytes.size() / 2) / 4096 * 4096;
    for (int i = from; i < from + 8192 && i < middle.size(); ++i) middle[i] = char(0x5a);
    writeFile("Middle.db", middle);
    // a definition that does not match the rows: one more stored field than columns
    QFile::copy(FilePath("Good.db"), FilePath("Mismatch.db"));
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(FilePath("Mismatch.db").toUtf8().constData(), &raw), SQLITE_OK);
        sqlite3_exec(raw, "INSERT INTO dossara_fields VALUES (6, 'Extra', 'Long', 0, 0)", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    }
    for (const char* name : {"Text.db", "Empty.db", "Header.db", "Truncated.db", "Middle.db", "Mismatch.db"}) {
        SCOPED_TRACE(name);
        QFile f(FilePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        try {
            auto t = OpenTable(name);
            // some damage only shows while reading rows
            for (t->First(); !t->Eof(); t->Next()) t->Fields(4)->AsString();
            t->Close();
            ADD_FAILURE() << "opened and read without an error";
        } catch (const db::EDBEngineError& e) {
            EXPECT_TRUE(e.Code() == db::ErrorCode::kCorruptHeader || e.Code() == db::ErrorCode::kCorruptFile)
                << e.Message().toStdString();
        }
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
}

}  // namespace
