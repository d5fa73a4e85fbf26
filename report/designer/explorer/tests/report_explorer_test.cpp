#include "report/designer/explorer/report_explorer.h"
#include "report/designer/explorer/tests/explorer_fixture.h"

#include "testsupport/dialog_answerer.h"

#include "platform/db/database.h"
#include "platform/db/table.h"

#include <QFile>

namespace explorertest {
namespace {

using testsupport::DialogAnswerer;

class ReportExplorerLogic : public ExplorerTest {
protected:
    void SetUp() override {
        ExplorerTest::SetUp();
        Wire();
        ASSERT_TRUE(explorer->Initialize()) << explorer->ErrorMessage().toStdString();
    }
    /// Folders "Sales" (with "Old" below it) and "Stock", reports in each.
    void fill() {
        sales = explorer->AddFolder(0, QStringLiteral("Sales"));
        old = explorer->AddFolder(sales, QStringLiteral("Old"));
        stock = explorer->AddFolder(0, QStringLiteral("Stock"));
        saveReport(sales, QStringLiteral("Monthly"));
        saveReport(sales, QStringLiteral("Yearly"));
        saveReport(old, QStringLiteral("Monthly"));
        saveReport(stock, QStringLiteral("Monthly"));
    }
    int sales = 0, old = 0, stock = 0;
};

TEST_F(ReportExplorerLogic, new_names_count_from_two_past_the_names_taken) {
    fill();
    EXPECT_EQ(explorer->GetNewReportName(sales), "New Report");
    saveReport(sales, QStringLiteral("New Report"));
    saveReport(sales, QStringLiteral("new report (2)"));
    EXPECT_EQ(explorer->GetNewReportName(sales), "New Report (3)");
    EXPECT_EQ(explorer->GetNewReportName(stock), "New Report");
    EXPECT_EQ(explorer->GetNewFolderName(0), "New Folder");
    explorer->AddFolder(0, explorer->GetNewFolderName(0));
    EXPECT_EQ(explorer->GetNewFolderName(0), "New Folder (2)");
    EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT Name FROM \"tsItem.DB\" WHERE FolderId = " + QString::number(sales) +
                                            " ORDER BY Name COLLATE NOCASE"),
              (QStringList{"Monthly", "New Report", "new report (2)", "Yearly"}));
    // The saved rows carry their type, size and time.
    EXPECT_EQ(Sql(folder, "tsItem.DB",
                  "SELECT COUNT(*) FROM \"tsItem.DB\" WHERE ItemType = 1 AND Size = length(Template) AND Size > 0 "
                  "AND Modified IS NOT NULL"),
              QStringList{"6"});
}

TEST_F(ReportExplorerLogic, moves_answer_each_replace_question_as_asked) {
    struct Case {
        const char* what;
        ui::Button answer;
        QStringList itemsAfter;  // FolderId|Name|ItemType, Stock's id as S, Sales' as A
    };
    static const Case cases[] = {
        {"Yes replaces the item there", ui::Button::Yes, {"A|Yearly|1", "O|Monthly|1", "S|Monthly|1"}},
        {"No leaves both", ui::Button::No, {"A|Monthly|1", "A|Yearly|1", "O|Monthly|1", "S|Monthly|1"}},
        {"Cancel leaves both", ui::Button::Cancel, {"A|Monthly|1", "A|Yearly|1", "O|Monthly|1", "S|Monthly|1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        fill();
        const QString monthlyInSales = Sql(folder, "tsItem.DB",
                                           "SELECT ItemId FROM \"tsItem.DB\" WHERE FolderId = " + QString::number(sales) +
                                               " AND Name = 'Monthly'").value(0);
        DialogAnswerer answers;
        answers.ExpectMessage("already contains an item called 'Monthly'", c.answer);
        EXPECT_EQ(explorer->MoveItem("monthly", 1, stock, sales), c.answer == ui::Button::Yes);
        QStringList got = items();
        for (QString& row : got)
            row.replace(QRegularExpression("^" + QString::number(stock) + "\\|"), "S|")
                .replace(QRegularExpression("^" + QString::number(sales) + "\\|"), "A|")
                .replace(QRegularExpression("^" + QString::number(old) + "\\|"), "O|");
        got.sort();
        EXPECT_EQ(got, c.itemsAfter);
        if (c.answer == ui::Button::Yes) {  // the moved row is the one from Sales
            EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT ItemId FROM \"tsItem.DB\" WHERE FolderId = " + QString::number(stock)),
                      QStringList{monthlyInSales});
        }
    }
}

TEST_F(ReportExplorerLogic, moving_a_folder_onto_one_of_the_same_name_merges_after_the_question) {
    struct Case {
        const char* what;
        ui::Button answer;
        bool merged;
    };
    static const Case cases[] = {
        {"Yes", ui::Button::Yes, true},
        {"Yes to All", ui::Button::YesToAll, true},
        {"No", ui::Button::No, false},
        {"Cancel", ui::Button::Cancel, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        fill();
        // Stock gets a "Sales" of its own holding a "Monthly" and an "Old" sub-folder.
        const int otherSales = explorer->AddFolder(stock, QStringLiteral("Sales"));
        const int otherOld = explorer->AddFolder(otherSales, QStringLiteral("Old"));
        saveReport(otherSales, QStringLiteral("Monthly"));
        saveReport(otherSales, QStringLiteral("Summary"));
        DialogAnswerer answers;
        answers.ExpectMessage("already contains a folder called 'Sales'", c.answer);
        // The sub-folder "Old" meets an "Old" too: asked again unless Yes to All was answered.
        if (c.answer == ui::Button::Yes) answers.ExpectMessage("already contains a folder called 'Old'", ui::Button::Yes);
        EXPECT_EQ(explorer->MoveFolder(sales, stock), c.merged);
        if (c.merged) {
            EXPECT_EQ(folders(), (QStringList{QString::number(stock) + "|Stock|0", QString::number(otherSales) + "|Sales|" +
                                                  QString::number(stock),
                                              QString::number(otherOld) + "|Old|" + QString::number(otherSales)}));
            EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT FolderId, Name FROM \"tsItem.DB\" ORDER BY FolderId, Name"),
                      (QStringList{QString::number(stock) + "|Monthly", QString::number(otherSales) + "|Monthly",
                                   QString::number(otherSales) + "|Summary", QString::number(otherSales) + "|Yearly",
                                   QString::number(otherOld) + "|Monthly"}));
        } else {
            EXPECT_EQ(folders().size(), 5);
            EXPECT_EQ(items().size(), 6);
        }
    }
}

TEST_F(ReportExplorerLogic, refused_moves_change_nothing) {
    fill();
    const QStringList foldersBefore = folders(), itemsBefore = items();
    struct Case {
        const char* what;
        std::function<bool()> move;
        const char* error;  // the move error, or none
    };
    const Case cases[] = {
        {"a folder onto itself", [&] { return explorer->MoveFolder(sales, sales); }, "Cannot move 'Sales'"},
        {"a folder onto its own sub-folder", [&] { return explorer->MoveFolder(sales, old); }, "Cannot move 'Sales'"},
        {"a folder onto the folder it lies in", [&] { return explorer->MoveFolder(old, sales); }, nullptr},
        {"a top folder onto All Folders", [&] { return explorer->MoveFolder(sales, 0); }, nullptr},
        {"an item onto the folder it lies in", [&] { return explorer->MoveItem("Monthly", 1, sales, sales); }, nullptr},
        {"an item that is not there", [&] { return explorer->MoveItem("Weekly", 1, stock, sales); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogAnswerer answers;
        if (c.error) answers.ExpectMessage(c.error, ui::Button::Ok, ui::MessageKind::Error);
        EXPECT_FALSE(c.move());
        EXPECT_EQ(folders(), foldersBefore);
        EXPECT_EQ(items(), itemsBefore);
    }
}

TEST_F(ReportExplorerLogic, recycle_bin_keeps_reports_of_one_name_and_deletes_them_by_id) {
    fill();
    // Two "Monthly" reports and a folder go to the bin; the folder's reports go with it.
    EXPECT_TRUE(explorer->MoveItem("Monthly", 1, -2, sales));
    EXPECT_TRUE(explorer->MoveItem("Monthly", 1, -2, stock));
    EXPECT_TRUE(explorer->MoveFolder(sales, -2));
    EXPECT_EQ(folders(), (QStringList{QString::number(stock) + "|Stock|0"}));
    EXPECT_EQ(items(), (QStringList{"-2|Monthly|1", "-2|Monthly|1", "-2|Monthly|1", "-2|Yearly|1"}));
    const QStringList ids = Sql(folder, "tsItem.DB", "SELECT ItemId FROM \"tsItem.DB\" WHERE Name = 'Monthly' ORDER BY ItemId");
    ASSERT_EQ(ids.size(), 3);
    explorer->DeleteItemById(ids[1].toInt());
    EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT ItemId FROM \"tsItem.DB\" WHERE Name = 'Monthly' ORDER BY ItemId"),
              (QStringList{ids[0], ids[2]}));
    // Moved back out by id: the one chosen, not the first of its name.
    EXPECT_TRUE(explorer->MoveItemById(ids[2].toInt(), stock));
    EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT ItemId FROM \"tsItem.DB\" WHERE FolderId = " + QString::number(stock)),
              QStringList{ids[2]});

    // Emptying: No keeps the rows, Yes removes every row of the bin and nothing else.
    {
        DialogAnswerer answers;
        answers.ExpectMessage("delete these 2 items", ui::Button::No);
        EXPECT_FALSE(explorer->EmptyRecycleBin());
        EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT COUNT(*) FROM \"tsItem.DB\" WHERE FolderId = -2"), QStringList{"2"});
    }
    DialogAnswerer answers;
    answers.ExpectMessage("delete these 2 items", ui::Button::Yes);
    EXPECT_TRUE(explorer->EmptyRecycleBin());
    EXPECT_EQ(items(), (QStringList{QString::number(stock) + "|Monthly|1"}));
}

TEST_F(ReportExplorerLogic, names_longer_than_the_name_field_are_refused_before_any_row_changes) {
    fill();
    const QStringList before = items();
    // Cut to 60 characters, this name would be a prefix that Locate could match elsewhere.
    const QString longName = QString(60, u'M') + QStringLiteral("onthly");
    saveReport(stock, QString(60, u'M'));
    const QStringList withM = items();
    {
        DialogAnswerer answers;
        answers.ExpectMessage("at most 60 characters", ui::Button::Ok);
        explorer->RenameItem("Monthly", longName, sales, 1);
        EXPECT_EQ(items(), withM);
    }
    {
        DialogAnswerer answers;
        answers.ExpectMessage("at most 60 characters", ui::Button::Ok);
        explorer->SaveReport(longName);
        EXPECT_EQ(items(), withM);
    }
    {
        DialogAnswerer answers;
        answers.ExpectMessage("at most 60 characters", ui::Button::Ok);
        EXPECT_FALSE(explorer->CheckItemRename("Monthly", longName, sales, 1));
    }
    EXPECT_NE(before, withM);
}

TEST_F(ReportExplorerLogic, renames_refuse_taken_and_empty_names_per_type) {
    fill();
    struct Case {
        const char* oldName;
        const char* newName;
        int type;
        const char* message;  // none: allowed
    };
    static const Case cases[] = {
        {"Monthly", "Yearly", 1, "An item with the name you specified already exists"},
        {"Monthly", "yearly", 1, "An item with the name you specified already exists"},
        {"Monthly", "Yearly", 2, nullptr},  // another type may share the name
        {"Monthly", "", 1, "You must type an item name."},
        {"Monthly", "MONTHLY", 1, nullptr},  // its own name in other letters
        {"Monthly", "Quarterly", 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromLatin1(c.newName));
        DialogAnswerer answers;
        if (c.message) answers.ExpectMessage(QRegularExpression::escape(QString::fromLatin1(c.message)), ui::Button::Ok);
        EXPECT_EQ(explorer->CheckItemRename(c.oldName, c.newName, sales, c.type), c.message == nullptr);
    }
    DialogAnswerer answers;
    answers.ExpectMessage("A folder with the name you specified already exists", ui::Button::Ok);
    EXPECT_FALSE(explorer->CheckFolderRename("Stock", "sales", 0));
    explorer->RenameFolder(stock, QStringLiteral("Warehouse"));
    explorer->RenameItem("Monthly", "Quarterly", sales, 1);
    EXPECT_EQ(Sql(folder, "tsFolder.db", "SELECT Name FROM \"tsFolder.db\" WHERE FolderId = " + QString::number(stock)),
              QStringList{"Warehouse"});
    EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT Name FROM \"tsItem.DB\" WHERE FolderId = " + QString::number(sales) + " ORDER BY Name"),
              (QStringList{"Quarterly", "Yearly"}));
}

TEST_F(ReportExplorerLogic, walks_stop_at_a_folder_met_before_in_a_damaged_table) {
    fill();
    // Sales and Old name each other as parent: a cycle no walk may follow for ever.
    {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName("tsFolder.db");
        t.Open();
        ASSERT_TRUE(t.Locate("FolderId", {sales}));
        t.Edit();
        t.FieldByName("ParentId")->SetAsInteger(old);
        t.Post();
    }
    tblFolder->Refresh();
    const QList<TppFolderInfo> parents = explorer->GetParentFolders(old);
    EXPECT_EQ(parents.size(), 1);
    EXPECT_TRUE(explorer->DeleteFolder(sales));
    EXPECT_EQ(folders(), (QStringList{QString::number(stock) + "|Stock|0"}));
    EXPECT_EQ(items(), (QStringList{QString::number(stock) + "|Monthly|1"}));
}

TEST_F(ReportExplorerLogic, the_root_id_is_never_given_to_a_folder) {
    // A folder table whose counter hands out 0 first (its ids start below zero).
    {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName("tsFolder.db");
        t.Open();
        t.Insert();
        t.FieldByName("FolderId")->SetAsInteger(-1);
        t.FieldByName("Name")->SetAsString("Placeholder");
        t.FieldByName("ParentId")->SetAsInteger(-5);
        t.Post();
    }
    tblFolder->Refresh();
    const int id = explorer->AddFolder(0, "First");
    EXPECT_GT(id, 0);
    EXPECT_EQ(Sql(folder, "tsFolder.db", "SELECT COUNT(*) FROM \"tsFolder.db\" WHERE FolderId = 0"), QStringList{"0"});
}

class ReportExplorerSettings : public ExplorerTest {};

TEST_F(ReportExplorerSettings, the_settings_check_names_what_is_missing) {
    struct Case {
        const char* what;
        std::function<void(ExplorerTest&)> spoil;
        const char* message;
    };
    const Case cases[] = {
        {"no tsItem.DB", [](ExplorerTest& t) { QFile::remove(t.folder + "/tsItem.DB"); },
         "ItemPipeline: 'plItem' could not be opened."},
        {"no tsFolder.db", [](ExplorerTest& t) { QFile::remove(t.folder + "/tsFolder.db"); },
         "FolderPipeline: 'plFolder' could not be opened."},
        {"no Modified field",
         [](ExplorerTest& t) {
             QFile::remove(t.folder + "/tsItem.DB");
             db::TableDef def;
             def.Fields = {{"ItemId", db::FieldType::ftAutoInc, 0, false}, {"FolderId", db::FieldType::ftInteger, 0, false},
                           {"Name", db::FieldType::ftString, 60, false},    {"ItemType", db::FieldType::ftInteger, 0, false},
                           {"Size", db::FieldType::ftInteger, 0, false},    {"Deleted", db::FieldType::ftDateTime, 0, false},
                           {"Template", db::FieldType::ftBlob, 0, false}};
             db::CreateTableFile(t.folder, "tsItem.DB", def);
         },
         "ItemPipeline Modified field: 'Modified' could not be found."},
        {"a text template field",
         [](ExplorerTest& t) {
             QFile::remove(t.folder + "/tsItem.DB");
             db::TableDef def;
             def.Fields = {{"ItemId", db::FieldType::ftAutoInc, 0, false}, {"FolderId", db::FieldType::ftInteger, 0, false},
                           {"Name", db::FieldType::ftString, 60, false},    {"ItemType", db::FieldType::ftInteger, 0, false},
                           {"Size", db::FieldType::ftInteger, 0, false},    {"Modified", db::FieldType::ftDateTime, 0, false},
                           {"Deleted", db::FieldType::ftDateTime, 0, false}, {"Template", db::FieldType::ftString, 20, false}};
             db::CreateTableFile(t.folder, "tsItem.DB", def);
         },
         "ItemPipeline Template field: 'Template' is not a memo or blob field."},
        {"no designer", [](ExplorerTest& t) { t.explorer->SetDesigner(nullptr); }, "Designer property is not assigned."},
        {"no item pipeline", [](ExplorerTest& t) { t.explorer->SetItemPipeline(nullptr); },
         "ItemPipeline property is not assigned."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Wire();
        c.spoil(*this);
        EXPECT_FALSE(explorer->CheckSettings());
        EXPECT_EQ(explorer->ErrorMessage(), QString::fromLatin1(c.message));
        EXPECT_FALSE(explorer->Execute());
        EXPECT_EQ(explorer->GetItems(0).size(), 0);
    }
}

}  // namespace
}  // namespace explorertest
