#include "report/designer/explorer/item_list.h"
#include "report/designer/explorer/open_save_dialog.h"
#include "report/designer/explorer/report_explorer_form.h"
#include "report/designer/explorer/tests/explorer_fixture.h"
#include "report/model/report_template.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include "platform/settings/ini_file.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>

namespace explorertest {
namespace {

using testsupport::DialogAnswerer;

class ExplorerWindow : public ExplorerTest {
public:
    void SetUp() override {
        ExplorerTest::SetUp();
        Wire();
        explorer->SetItemAction(TppItemActionType::iaOpenToPreview);
        ASSERT_TRUE(explorer->Initialize());
        sales = explorer->AddFolder(0, QStringLiteral("Sales"));
        explorer->AddFolder(sales, QStringLiteral("Old"));
        explorer->AddFolder(sales, QStringLiteral("Archive"));
        stock = explorer->AddFolder(0, QStringLiteral("Stock"));
        saveReport(sales, QStringLiteral("Monthly"));
        saveReport(sales, QStringLiteral("Yearly"));
        saveReport(sales, QStringLiteral("Weekly"));
        // Sizes the Size column can tell apart.
        setSize("Monthly", 5200);
        setSize("Yearly", 1900);
        setSize("Weekly", 9100);
        tblItem->Refresh();
        explorer->SetCurrentFolderId(-1);
    }
    void setSize(const char* name, int size) {
        ASSERT_TRUE(tblItem->Locate("Name", {QString::fromLatin1(name)}));
        tblItem->Edit();
        tblItem->FieldByName("Size")->SetAsInteger(size);
        tblItem->Post();
    }
    static QStringList names(TppItemList* list) {
        QStringList n;
        for (int i = 0; i < list->topLevelItemCount(); ++i) n << list->topLevelItem(i)->text(0);
        return n;
    }
    static QStringList children(QTreeWidgetItem* node) {
        QStringList n;
        for (int i = 0; i < node->childCount(); ++i) n << node->child(i)->text(0);
        return n;
    }
    int sales = 0, stock = 0;
};

TEST_F(ExplorerWindow, shows_the_tree_and_a_folder_sorted_and_keeps_the_view_for_the_next_run) {
    DialogAnswerer answers;
    answers.ExpectModal<TppReportExplorerForm>([&](TppReportExplorerForm& w) {
        QTreeWidget* tree = w.FolderTree();
        ASSERT_EQ(tree->topLevelItemCount(), 2);
        EXPECT_EQ(tree->topLevelItem(0)->text(0), "All Folders");
        EXPECT_EQ(tree->topLevelItem(1)->text(0), "Recycle Bin");
        EXPECT_EQ(children(w.AllFoldersNode()), (QStringList{"Sales", "Stock"}));
        EXPECT_FALSE(w.RecycleBinFull());
        EXPECT_EQ(w.StatusTexts().first(), "0 items");

        w.SelectFolder(sales);
        EXPECT_EQ(children(w.AllFoldersNode()->child(0)), (QStringList{"Archive", "Old"}));
        EXPECT_EQ(w.ContentsTitle(), " Contents of Sales");
        TppItemList* list = w.ItemList();
        EXPECT_EQ(names(list), (QStringList{"Archive", "Old", "Monthly", "Weekly", "Yearly"}));
        EXPECT_EQ(w.StatusTexts(), (QStringList{"3 items", "16KB"}));
        testsupport::GrabToPng(&w, QStringLiteral("report_explorer_list"));

        // Details; Size twice: descending, folders still first; same sizes keep name order.
        w.ViewList(false);
        list->ColumnClick(2);
        list->ColumnClick(2);
        EXPECT_EQ(list->headerItem()->text(1), "Size (large > small)");
        EXPECT_EQ(names(list), (QStringList{"Archive", "Old", "Weekly", "Monthly", "Yearly"}));
        list->ColumnClick(1);
        EXPECT_EQ(list->headerItem()->text(0), "Name (a > z)");
        list->ColumnClick(1);
        EXPECT_EQ(names(list), (QStringList{"Old", "Archive", "Yearly", "Weekly", "Monthly"}));
        list->ColumnClick(4);
        EXPECT_EQ(list->headerItem()->text(3), "Modified (older > newer)");
        list->ColumnClick(2);
        list->ColumnClick(2);
        list->setColumnWidth(0, 210);
        w.SetTreeFocused(false);
        list->SelectItem(QStringLiteral("monthly"));
        EXPECT_EQ(w.StatusTexts(), (QStringList{"1 item(s) selected", "5KB"}));
        // Open previews in the records manager's setting; Design is there, Print Preview not.
        EXPECT_TRUE(testsupport::FindControl<QAction>(&w, "mniFileDesign")->isVisible());
        EXPECT_FALSE(testsupport::FindControl<QAction>(&w, "mniFilePrintPreview")->isVisible());
        testsupport::GrabToPng(&w, QStringLiteral("report_explorer_details"));
        w.close();
    });
    EXPECT_TRUE(explorer->Execute());
    EXPECT_EQ(answers.Pending(), 0);
    EXPECT_EQ(explorer->Form(), nullptr);

    const settings::IniFile ini(TppReportExplorerForm::SettingsFileName());
    EXPECT_FALSE(ini.ReadBool("Explorer Form State", "ViewList", true));
    EXPECT_EQ(ini.ReadInteger("Explorer Form State", "SortMode"), -2);
    EXPECT_EQ(ini.ReadInteger("Explorer Form State", "ListViewColumn1Width"), 210);
    EXPECT_EQ(ini.ReadInteger("Explorer Form State", "Selected Folder"), sales);
    EXPECT_EQ(ini.ReadString("Explorer Form State", "Selected Item"), "Monthly");

    answers.ExpectModal<TppReportExplorerForm>([&](TppReportExplorerForm& w) {
        EXPECT_TRUE(w.PositionRestored());
        EXPECT_TRUE(w.ItemList()->Details());
        EXPECT_EQ(w.ItemList()->SortMode(), -2);
        EXPECT_EQ(w.ItemList()->columnWidth(0), 210);
        EXPECT_EQ(w.SelectedFolder(), sales);
        EXPECT_EQ(w.ItemList()->GetSelectedName(), "Monthly");
        w.close();
    });
    EXPECT_TRUE(explorer->Execute());
}

TEST_F(ExplorerWindow, deletes_to_the_bin_empties_it_and_moves_by_dropping) {
    DialogAnswerer answers;
    answers.ExpectModal<TppReportExplorerForm>([&](TppReportExplorerForm& w) {
        w.SelectFolder(sales);
        w.SetTreeFocused(false);
        TppItemList* list = w.ItemList();
        list->SelectItem("Weekly");
        answers.ExpectMessage("send 'Weekly' to the Recycle Bin", ui::Button::Yes);
        w.DeleteClick();
        EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT FolderId FROM \"tsItem.DB\" WHERE Name = 'Weekly'"), QStringList{"-2"});
        EXPECT_TRUE(w.RecycleBinFull());
        EXPECT_EQ(names(list), (QStringList{"Archive", "Old", "Monthly", "Yearly"}));

        // Dropped from the list on Stock.
        list->SelectItem("Yearly");
        w.DropOnFolder(stock, true);
        EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT FolderId FROM \"tsItem.DB\" WHERE Name = 'Yearly'"),
                  QStringList{QString::number(stock)});
        // A tree folder dropped on the bin takes its reports along.
        w.SelectFolder(stock);
        w.SetTreeFocused(true);
        answers.ExpectMessage("remove the folder 'Stock'", ui::Button::Yes);
        w.DeleteClick();
        EXPECT_EQ(children(w.AllFoldersNode()), QStringList{"Sales"});
        EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT Name FROM \"tsItem.DB\" WHERE FolderId = -2 ORDER BY Name"),
                  (QStringList{"Weekly", "Yearly"}));

        // The bin's pop-up has Empty Recycle Bin as its third entry while the bin holds items.
        w.PrepareTreePopup(w.RecycleBinNode());
        QAction* empty = w.TreePopup()->actions().value(2);
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(empty->objectName(), "ppmFoldersEmptyRecycleBin");
        EXPECT_TRUE(empty->isEnabled());
        answers.ExpectMessage("delete these 2 items", ui::Button::Yes);
        empty->trigger();
        EXPECT_FALSE(w.RecycleBinFull());
        EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT COUNT(*) FROM \"tsItem.DB\" WHERE FolderId = -2"), QStringList{"0"});
        w.PrepareTreePopup(w.AllFoldersNode());
        EXPECT_NE(w.TreePopup()->actions().value(2)->objectName(), "ppmFoldersEmptyRecycleBin");

        // New Folder under Sales: numbered, in the tree and the table.
        w.SelectFolder(sales);
        w.NewFolderClick();
        EXPECT_EQ(Sql(folder, "tsFolder.db", "SELECT Name FROM \"tsFolder.db\" WHERE ParentId = " + QString::number(sales) +
                                                 " ORDER BY Name"),
                  (QStringList{"Archive", "New Folder", "Old"}));
        w.close();
    });
    EXPECT_TRUE(explorer->Execute());
    EXPECT_EQ(answers.Pending(), 0);
}

TEST_F(ExplorerWindow, the_designers_save_as_and_open_go_through_the_explorers_dialog) {
    report->Template()->SetFileExtension(QStringLiteral("rtm"));
    DialogAnswerer answers;
    answers.ExpectModal<TppReportExplorerForm>([&](TppReportExplorerForm& w) {
        TppDesignerWindow* d = designer->Form();
        // Save As: the dialog in save mode, Sales chosen, a new name typed.
        answers.ExpectModal<TppOpenSaveDialog>([&](TppOpenSaveDialog& dialog) {
            EXPECT_EQ(dialog.Mode, 1);
            dialog.ChooseFolder(sales);
            testsupport::GrabToPng(&dialog, QStringLiteral("report_explorer_save_dialog"));
            testsupport::FindControl<QLineEdit>(&dialog, "edtItemName")->setText("Packages by section");
            testsupport::Click(&dialog, "btnOK");
        });
        d->FileSaveAs();
        EXPECT_EQ(Sql(folder, "tsItem.DB", "SELECT FolderId, ItemType FROM \"tsItem.DB\" WHERE Name = 'Packages by section'"),
                  (QStringList{QString::number(sales) + "|1"}));
        EXPECT_EQ(explorer->CurrentFolderId(), sales);
        EXPECT_EQ(explorer->CurrentItemName(), "Packages by section");

        // Open: a name not listed keeps the dialog open; then one in other letters opens it.
        answers.ExpectModal<TppOpenSaveDialog>([&](TppOpenSaveDialog& dialog) {
            EXPECT_EQ(dialog.Mode, 0);
            EXPECT_EQ(dialog.Folder, sales);
            answers.ExpectMessage("Item not found: Quarterly", ui::Button::Ok);
            testsupport::FindControl<QLineEdit>(&dialog, "edtItemName")->setText("Quarterly");
            testsupport::Click(&dialog, "btnOK");
            EXPECT_TRUE(dialog.isVisible());
            testsupport::FindControl<QLineEdit>(&dialog, "edtItemName")->setText("MONTHLY");
            testsupport::Click(&dialog, "btnOK");
        });
        d->FileOpen();
        EXPECT_EQ(explorer->CurrentItemName(), "Monthly");
        EXPECT_EQ(report->Template()->DatabaseSettings()->Name().toLower(), "monthly");

        // An open that fails after the dialog puts the folder and name back too.
        ASSERT_TRUE(tblItem->Locate("Name", {QStringLiteral("Yearly")}));
        tblItem->Edit();
        tblItem->FieldByName("Template")->SetAsBytes("not a template");
        tblItem->Post();
        answers.ExpectModal<TppOpenSaveDialog>([&](TppOpenSaveDialog& dialog) {
            testsupport::FindControl<QLineEdit>(&dialog, "edtItemName")->setText("Yearly");
            testsupport::Click(&dialog, "btnOK");
        });
        EXPECT_ANY_THROW(d->FileOpen());
        EXPECT_EQ(explorer->CurrentItemName(), "Monthly");
        EXPECT_EQ(explorer->CurrentFolderId(), sales);
        w.close();
    });
    EXPECT_TRUE(explorer->Execute());
    EXPECT_EQ(answers.Pending(), 0);
}

}  // namespace
}  // namespace explorertest
