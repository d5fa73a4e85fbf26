#include "core/main_data_mod.h"

#include "core/globals.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/view_control.h"
#include "core/win_registry.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/fault_injection.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/settings/ini_document.h"
#include "testsupport/loop_length.h"
#include "testsupport/temp_folder.h"

#include <QProcess>
#include <QSet>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <tuple>
#include "test_paths.h"

namespace {

/// A database folder with the product's tables and the main data module over it, and the
/// library folder "Library" beside it.
class MainDataModule : public testsupport::TempFolder {
protected:
    void SetUp() override {
        testsupport::TempFolder::SetUp();
        settings::SetConfigRoot(FilePath(QStringLiteral("config")));
        folder = FilePath(QStringLiteral("Db"));
        QDir().mkpath(folder);
        core::CreateDatabaseTables(folder);
        library = FilePath(QStringLiteral("Library"));
        QDir().mkpath(library);
        core::CreateLibraryTables(library);
    }
    void TearDown() override {
        module.reset();
        core::SetSettingsTable(nullptr);
    }
    TMainDataMod& Module() {
        if (!module) module = std::make_unique<TMainDataMod>(nullptr, &views);
        return *module;
    }
    void AddRows(const QString& table, const std::vector<int>& ids) {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(table);
        t.Open();
        for (int id : ids) {
            t.Append();
            t.FieldByName("NodeID")->SetAsInteger(id);
            t.Post();
        }
    }

    QString folder;
    QString library;
    TViewControl views;
    std::unique_ptr<TMainDataMod> module;
};

TEST_F(MainDataModule, next_node_id_follows_the_highest_node_id_and_is_never_below_1000) {
    struct Case {
        std::vector<int> ids;
        int expected;
    };
    static const Case cases[] = {
        {{}, 1000}, {{5, 999}, 1000}, {{1000}, 1001}, {{3, 1500}, 1501}, {{1200, INT_MAX}, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        db::EmptyTableFile(folder, core::kHierarchyTable);
        AddRows(core::kHierarchyTable, c.ids);
        Module().ConnectDatabase(folder);
        EXPECT_EQ(views.NextNodeID, c.expected);
        Module().DisconnectDatabase();
    }
}

TEST_F(MainDataModule, a_new_branch_takes_the_next_id_from_the_table_and_its_title_is_indexed_at_once) {
    Module().ConnectDatabase(folder);
    EXPECT_EQ(Module().InsertBranch(0, QStringLiteral("Kitchen garden"), 0, 45000.5), 1000);
    // Another writer on the same file took 1001 to 1004 meanwhile; this module's NextNodeID is stale.
    AddRows(core::kHierarchyTable, {1001, 1004});
    EXPECT_EQ(views.NextNodeID, 1001);
    EXPECT_EQ(Module().InsertBranch(1000, QStringLiteral("Tomatoes"), 0, 45000.5), 1005);
    EXPECT_EQ(views.NextNodeID, 1006);
    // A NextNodeID ahead of the table leaves a gap, never a reuse.
    views.NextNodeID = 2000;
    EXPECT_EQ(Module().InsertBranch(1000, QStringLiteral("Beans"), 0, 45000.5), 2000);

    ASSERT_TRUE(Module().Hierarchy->FindKey({1005}));
    EXPECT_EQ(Module().Hierarchy->FieldByName("ParentNodeID")->AsInteger(), 1000);
    EXPECT_EQ(Module().Hierarchy->FieldByName("NodeName")->AsString(), QStringLiteral("Tomatoes"));

    TtsWordsTableLink words;
    words.SetTable(Module().HierarchyDict);
    words.Open();
    EXPECT_TRUE(words.Locate(u"TOMATOES", 0));
    EXPECT_TRUE(words.Locate(u"GARDEN", 0));
}

TEST_F(MainDataModule, a_branch_insert_failing_at_any_write_leaves_the_title_index_current_or_marked_pending) {
    Module().ConnectDatabase(folder);
    Module().InsertBranch(0, QStringLiteral("Greenhouse"), 0, 45000.5);
    bool untouched = false;  // the insert ran without meeting the failure
    int inserted = 0;        // inserts that answered success (one may have absorbed a failure)
    for (int n = 1; n < 500 && !untouched; ++n) {
        SCOPED_TRACE(n);
        db::testing::FailNthWrite(n);
        try {
            Module().InsertBranch(0, QStringLiteral("Kumquat orchard"), 0, 45000.5);
            ++inserted;
        } catch (const db::EDBEngineError& e) {
            EXPECT_EQ(e.Code(), db::ErrorCode::kIoError) << e.Message().toStdString();
        }
        untouched = db::testing::WritesUntilFailure() > 0;
        db::testing::FailNthWrite(0);
        int rows = 0;
        db::Table h;
        h.SetDatabaseName(folder);
        h.SetTableName(core::kHierarchyTable);
        h.Open();
        for (h.First(); !h.Eof(); h.Next()) rows += h.FieldByName("NodeName")->AsString() == "Kumquat orchard";
        EXPECT_EQ(rows, inserted);
        const bool present = rows > 0;
        TtsWordsTableLink words;
        words.SetTable(Module().HierarchyDict);
        words.Open();
        // The title's words are in the index exactly when the branch is, unless the index
        // is marked as waiting for a rebuild.
        if (words.PendingChanges() == 0) {
            EXPECT_EQ(words.Locate(u"KUMQUAT", 0), present);
        }
        EXPECT_TRUE(words.Locate(u"GREENHOUSE", 0) || words.PendingChanges() > 0);
    }
    EXPECT_TRUE(untouched);
}

/// Every row of a table file as text (bytes in hex), sorted; the word table's pending row
/// left out.
QStringList rowsOf(const QString& folder, const QString& file) {
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(file);
    t.SetReadOnly(true);
    t.Open();
    QStringList rows;
    for (t.First(); !t.Eof(); t.Next()) {
        QStringList values;
        for (int i = 0; i < t.FieldCount(); ++i) {
            const QVariant v = t.Fields(i)->Value();
            values << (v.typeId() == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray().toHex()) : v.toString());
        }
        if (!values.first().contains(TtsWordsTableLink::PendingWord())) rows << values.join(u'|');
    }
    rows.sort();
    return rows;
}

TEST_F(MainDataModule, a_branch_writer_killed_at_any_moment_leaves_the_title_index_current_or_marked_pending) {
    std::mt19937 random(40);
    const int rounds = testsupport::LoopLength(4, 60);
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(round);
        QProcess writer;
        writer.setProgram(QStringLiteral(DOSSARA_BRANCH_WRITER));
        writer.setArguments({folder, QStringLiteral("100000"), QStringLiteral("Kumquat %1").arg(round)});
        writer.start();
        ASSERT_TRUE(writer.waitForStarted());
        ASSERT_TRUE(writer.waitForReadyRead(20000));
        QThread::usleep(std::uniform_int_distribution<int>(0, 30000)(random));
        writer.kill();
        writer.waitForFinished();
        for (const QString& file : {core::kHierarchyTable, core::kHierarchyDictTable}) {
            const db::VerifyResult v = db::VerifyTableFile(folder, file);
            ASSERT_EQ(v.Level, 0) << file.toStdString() << ": " << v.Problems.join("; ").toStdString();
        }
        db::Table dict;
        dict.SetDatabaseName(folder);
        dict.SetTableName(core::kHierarchyDictTable);
        dict.Open();
        const bool pending = dict.Locate("tsWord", {TtsWordsTableLink::PendingWord()});
        dict.Close();
        if (pending) continue;
        const QString scratch = FilePath(QStringLiteral("rebuild-%1").arg(round));
        QDir().mkpath(scratch);
        db::CopyTableFile(folder, core::kHierarchyTable, scratch, core::kHierarchyTable);
        core::BuildWordIndex(scratch, core::kHierarchyTable, core::kHierarchyDictTable, {QStringLiteral("NodeName")});
        ASSERT_EQ(rowsOf(folder, core::kHierarchyDictTable), rowsOf(scratch, core::kHierarchyDictTable));
    }
}

TEST_F(MainDataModule, a_delete_after_another_program_added_many_branches_updates_the_title_index) {
    Module().ConnectDatabase(folder);
    const int mine = Module().InsertBranch(0, QStringLiteral("Writer branch mine"), 0, 45000.5);
    Module().InsertBranch(0, QStringLiteral("Writer branch kept"), 0, 45000.5);
    // Another program adds branches whose titles share the words: the stored sets of those
    // words now reach record numbers this module has not read yet.
    QProcess writer;
    writer.setProgram(QStringLiteral(DOSSARA_BRANCH_WRITER));
    writer.setArguments({folder, QStringLiteral("300"), QStringLiteral("Writer")});
    writer.start();
    ASSERT_TRUE(writer.waitForFinished(-1));
    ASSERT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    ASSERT_TRUE(Module().Hierarchy->FindKey({mine}));
    Module().Hierarchy->Delete();
    Module().DisconnectDatabase();
    const QString scratch = FilePath(QStringLiteral("rebuild"));
    QDir().mkpath(scratch);
    db::CopyTableFile(folder, core::kHierarchyTable, scratch, core::kHierarchyTable);
    core::BuildWordIndex(scratch, core::kHierarchyTable, core::kHierarchyDictTable, {QStringLiteral("NodeName")});
    EXPECT_EQ(rowsOf(folder, core::kHierarchyDictTable), rowsOf(scratch, core::kHierarchyDictTable));
}

TEST_F(MainDataModule, at_the_largest_node_id_a_new_branch_takes_the_lowest_free_id_from_1000) {
    AddRows(core::kHierarchyTable, {1000, 1001, 1003, INT_MAX});
    Module().ConnectDatabase(folder);
    EXPECT_EQ(views.NextNodeID, 1000);
    EXPECT_EQ(Module().InsertBranch(0, QStringLiteral("Overflow"), 0, 0), 1002);
    EXPECT_EQ(Module().InsertBranch(0, QStringLiteral("Overflow"), 0, 0), 1004);
}

TEST_F(MainDataModule, locate_node_positions_the_hierarchy_and_the_view_table) {
    db::CreateTableFile(folder, QStringLiteral("Books.DB"), core::ViewTableDef(TViewDef{}));
    AddRows(core::kHierarchyTable, {1000, 1001, 1002});
    AddRows(QStringLiteral("Books.DB"), {1000, 1002});
    {
        db::Table h;
        h.SetDatabaseName(folder);
        h.SetTableName(core::kHierarchyTable);
        h.Open();
        ASSERT_TRUE(h.FindKey({1002}));
        h.Edit();
        h.FieldByName("NodeType")->SetAsInteger(1);  // names no View
        h.Post();
    }
    Module().ConnectDatabase(folder);
    TtsTable books;
    books.SetDatabaseName(folder);
    books.SetTableName(QStringLiteral("Books.DB"));
    books.Open();
    views.ViewDefs.emplace_back();
    views.ViewDefs[0].DataTable = &books;

    EXPECT_TRUE(Module().LocateNode(1000));
    EXPECT_EQ(books.FieldByName("NodeID")->AsInteger(), 1000);
    EXPECT_FALSE(Module().LocateNode(1001));  // no record in the View table
    EXPECT_FALSE(Module().LocateNode(1002));  // NodeType names no View
    EXPECT_FALSE(Module().LocateNode(4711));

    ASSERT_TRUE(Module().LocateNode(1000));
    const int before = Module().Hierarchy->FieldByName("NodeID")->AsInteger();
    EXPECT_FALSE(Module().LocateNode(0));
    EXPECT_FALSE(Module().LocateNode(-3));
    EXPECT_EQ(Module().Hierarchy->FieldByName("NodeID")->AsInteger(), before);
    EXPECT_EQ(books.FieldByName("NodeID")->AsInteger(), 1000);
}

TEST_F(MainDataModule, the_connections_and_tables_carry_the_names_and_settings_of_the_module) {
    Module().ConnectDatabase(folder);
    EXPECT_EQ(Module().DSDB->Params(), QStringList{QStringLiteral("PATH=") + QDir::cleanPath(folder)});
    EXPECT_EQ(core::SettingsTable(), Module().Registry);
    EXPECT_EQ(Module().Hierarchy->Tag(), 999);
    EXPECT_EQ(Module().Hierarchy->Updater(), Module().HierarchyUpdate);
    EXPECT_FALSE(Module().HierarchyWordsLink->ReverseField());
    EXPECT_EQ(Module().HierarchyCache->MemoryLimit(), 4000);
    EXPECT_NE(Module().findChild<db::Table*>(QStringLiteral("TemplateLib")), nullptr);
    Module().ConnectLibrary(library);
    EXPECT_EQ(Module().LibraryDB->DatabaseName(), QStringLiteral("Library"));
    Module().MaskLibrary->Open();
    EXPECT_EQ(Module().MaskLibrary->Folder(), QDir::cleanPath(library));
    Module().DisconnectDatabase();
    EXPECT_EQ(core::SettingsTable(), nullptr);
    EXPECT_FALSE(Module().Hierarchy->Active());
}

/// Whether Hierarchy.DB's stored definition holds the index on ParentNodeID;NodeName.
bool HasParentIndex(const QString& folder) {
    for (const db::IndexDef& ix : db::ReadTableDef(folder, core::kHierarchyTable).Indexes)
        if (ix.Fields.compare(core::kHierarchyParentIndexFields, Qt::CaseInsensitive) == 0 &&
            !ix.Options.testFlag(db::IndexOption::ixUnique))
            return true;
    return false;
}

TEST_F(MainDataModule, an_older_hierarchy_gains_its_parent_index_on_connecting_unless_the_file_cannot_be_changed) {
    EXPECT_TRUE(HasParentIndex(folder));  // a new database has it
    {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(core::kHierarchyTable);
        t.Open();
        const std::vector<std::tuple<int, int, QString>> rows{
            {1000, 0, "beta"}, {1001, 0, "alpha"}, {1002, 1000, "zeta"}, {1003, 1000, "Yodel"}, {1004, 1000, "mu"},
            {1005, 1000, "mu"}, {1006, 1001, "x"}};
        for (const auto& [id, parent, name] : rows) {
            t.Append();
            t.FieldByName("NodeID")->SetAsInteger(id);
            t.FieldByName("ParentNodeID")->SetAsInteger(parent);
            t.FieldByName("NodeName")->SetAsString(name);
            t.Post();
        }
    }
    // Children in the order of the index (titles compared case-sensitively, duplicates kept).
    const auto childrenOf = [&](int parent) {
        TtsTable& h = *Module().Hierarchy;
        h.SetIndexFieldNames(core::kHierarchyParentIndexFields);
        h.SetRange({parent}, {parent});
        QStringList names;
        for (h.First(); !h.Eof(); h.Next()) names << h.FieldByName("NodeName")->AsString();
        h.SetIndexName(QString());
        return names;
    };
    enum class Obstacle { None, OpenInAnotherProgram, FailingWrite };
    for (const Obstacle obstacle : {Obstacle::OpenInAnotherProgram, Obstacle::FailingWrite, Obstacle::None}) {
        SCOPED_TRACE(int(obstacle));
        module.reset();
        if (HasParentIndex(folder)) db::DeleteIndexFromFile(folder, core::kHierarchyTable, core::kHierarchyParentIndex);
        ASSERT_FALSE(HasParentIndex(folder));
        QProcess holder;
        if (obstacle == Obstacle::OpenInAnotherProgram) {
            holder.start(QStringLiteral(DOSSARA_TABLE_HOLDER), {folder, core::kHierarchyTable});
            ASSERT_TRUE(holder.waitForStarted());
            ASSERT_TRUE(holder.waitForReadyRead(30000));
            ASSERT_EQ(holder.readLine().trimmed(), "open");
        }
        if (obstacle == Obstacle::FailingWrite) db::testing::FailNthWrite(1);  // as a read-only folder refuses it
        EXPECT_NO_THROW(Module().ConnectDatabase(folder));
        db::testing::FailNthWrite(0);
        EXPECT_EQ(HasParentIndex(folder), obstacle == Obstacle::None);
        ASSERT_TRUE(Module().Hierarchy->Active());
        EXPECT_EQ(childrenOf(1000), QStringList({"Yodel", "mu", "mu", "zeta"}));
        EXPECT_EQ(childrenOf(0), QStringList({"alpha", "beta"}));
        EXPECT_EQ(childrenOf(1002), QStringList());
        if (obstacle == Obstacle::OpenInAnotherProgram) {
            holder.closeWriteChannel();
            ASSERT_TRUE(holder.waitForFinished(30000));
        }
    }
    // Connecting again leaves the index as it is.
    module.reset();
    Module().ConnectDatabase(folder);
    EXPECT_TRUE(HasParentIndex(folder));
    EXPECT_EQ(std::count_if(Module().Hierarchy->IndexDefs().begin(), Module().Hierarchy->IndexDefs().end(),
                            [](const db::IndexDef& ix) { return ix.Name == core::kHierarchyParentIndex; }),
              1);
}

class TemplateLibrary : public MainDataModule {
protected:
    void AddTemplate(int id, const QString& name, const QString& path) {
        db::Table t;
        t.SetDatabaseName(library);
        t.SetTableName(core::kTemplateLibTable);
        t.Open();
        t.Append();
        t.FieldByName("ID")->SetAsInteger(id);
        t.FieldByName("Name")->SetAsString(name);
        t.FieldByName("Path")->SetAsString(path);
        t.Post();
    }
    QString PathOf(int id) {
        db::Table t;
        t.SetDatabaseName(library);
        t.SetTableName(core::kTemplateLibTable);
        t.Open();
        return t.FindKey({id}) ? t.FieldByName("Path")->AsString() : QStringLiteral("<missing>");
    }
    void Insert(TMainDataMod& m, const QString& name) {
        m.TemplateLib->Append();
        m.TemplateLib->FieldByName("Name")->SetAsString(name);
        m.PostTemplate();
    }
};

TEST_F(TemplateLibrary, the_templates_path_is_rewritten_once_per_user) {
    Globals().TemplateFolder = QStringLiteral("/opt/dossara/Template/");
    AddTemplate(1, QStringLiteral("Blank"), QStringLiteral("<TEMPLATES>\\Blank"));
    AddTemplate(2, QStringLiteral("Recipes"), QStringLiteral("<templates>/Recipes"));
    AddTemplate(5, QStringLiteral("Indented"), QStringLiteral("  <TEMPLATES>/Indented"));  // cut before trimming
    AddTemplate(3, QStringLiteral("Elsewhere"), QStringLiteral("/srv/templates/Other"));
    Module().ConnectLibrary(library);
    Module().OpenTemplateLib();
    EXPECT_EQ(Module().NextTemplateID, 8);  // 6, and one more for each rewritten row's post
    EXPECT_EQ(Module().TemplateLib->FieldByName("ID")->AsInteger(), 1);  // back on the first row
    Module().TemplateLib->Close();
    EXPECT_EQ(PathOf(1), QStringLiteral("/opt/dossara/Template/Blank"));
    EXPECT_EQ(PathOf(2), QStringLiteral("/opt/dossara/Template/Recipes"));
    EXPECT_EQ(PathOf(5), QStringLiteral("  <TEMPLATES>/Indented"));
    EXPECT_EQ(PathOf(3), QStringLiteral("/srv/templates/Other"));
    EXPECT_TRUE(core::ReadWinRegBool(QStringLiteral("Preferences"), QStringLiteral("TemplateCleanupDone"), false));

    AddTemplate(6, QStringLiteral("Later"), QStringLiteral("<TEMPLATES>\\Later"));
    Module().OpenTemplateLib();
    Module().TemplateLib->Close();
    EXPECT_EQ(PathOf(6), QStringLiteral("<TEMPLATES>\\Later"));
}

TEST_F(TemplateLibrary, inserted_templates_get_consecutive_ids_and_an_edit_between_skips_one) {
    AddTemplate(1, QStringLiteral("Blank"), QStringLiteral("/t/Blank"));
    Module().ConnectLibrary(library);
    Module().OpenTemplateLib();
    Insert(Module(), QStringLiteral("First"));
    Insert(Module(), QStringLiteral("Second"));
    EXPECT_EQ(Module().TemplateLib->FieldByName("ID")->AsInteger(), 3);
    Module().TemplateLib->Edit();
    Module().TemplateLib->FieldByName("Name")->SetAsString(QStringLiteral("Second, renamed"));
    Module().PostTemplate();
    Insert(Module(), QStringLiteral("Third"));
    EXPECT_EQ(Module().TemplateLib->FieldByName("ID")->AsInteger(), 5);
}

TEST_F(TemplateLibrary, two_modules_on_one_library_never_hand_out_the_same_template_id) {
    AddTemplate(1, QStringLiteral("Blank"), QStringLiteral("/t/Blank"));
    Module().ConnectLibrary(library);
    Module().OpenTemplateLib();
    TViewControl otherViews;
    TMainDataMod other(nullptr, &otherViews);
    other.LibraryDB->SetDatabaseName(QStringLiteral("Library2"));
    other.ConnectLibrary(library);
    other.TemplateLib->SetDatabaseName(QStringLiteral("Library2"));
    other.OpenTemplateLib();
    EXPECT_EQ(other.NextTemplateID, 2);
    Insert(Module(), QStringLiteral("Mine"));
    Insert(other, QStringLiteral("Theirs"));  // its NextTemplateID still says 2
    EXPECT_EQ(Module().TemplateLib->FieldByName("ID")->AsInteger(), 2);
    EXPECT_EQ(other.TemplateLib->FieldByName("ID")->AsInteger(), 3);
}

TEST_F(MainDataModule, two_programs_inserting_branches_into_one_database_get_distinct_node_ids) {
    constexpr int kEach = 60;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < 2; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProgram(QStringLiteral(DOSSARA_BRANCH_WRITER));
        p->setArguments({folder, QString::number(kEach), QStringLiteral("Writer %1").arg(i)});
        p->setProcessChannelMode(QProcess::SeparateChannels);
        writers.push_back(std::move(p));
    }
    for (auto& p : writers) p->start();
    QSet<int> ids;
    for (auto& p : writers) {
        ASSERT_TRUE(p->waitForFinished(-1));
        ASSERT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        const QStringList lines = QString::fromUtf8(p->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), kEach);
        for (const QString& line : lines) {
            const int id = line.toInt();
            EXPECT_GE(id, 1000);
            EXPECT_FALSE(ids.contains(id)) << "NodeID handed out twice: " << id;
            ids.insert(id);
        }
    }
    db::Table h;
    h.SetDatabaseName(folder);
    h.SetTableName(core::kHierarchyTable);
    h.Open();
    EXPECT_EQ(h.RecordCount(), 2 * kEach);
    for (h.First(); !h.Eof(); h.Next()) EXPECT_TRUE(ids.contains(h.FieldByName("NodeID")->AsInteger()));
    h.Close();
    EXPECT_EQ(db::VerifyTableFile(folder, core::kHierarchyTable).Level, 0);
    EXPECT_EQ(db::VerifyTableFile(folder, core::kHierarchyDictTable).Level, 0);
}

}  // namespace
