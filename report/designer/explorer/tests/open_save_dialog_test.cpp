#include "report/designer/explorer/item_list.h"
#include "report/designer/explorer/open_save_dialog.h"
#include "report/designer/explorer/tests/explorer_fixture.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QPushButton>
#include <QToolButton>

namespace explorertest {
namespace {

using testsupport::DialogAnswerer;

class OpenSaveDialog : public ExplorerTest {
public:
    void SetUp() override {
        ExplorerTest::SetUp();
        Wire();
        ASSERT_TRUE(explorer->Initialize());
        sales = explorer->AddFolder(0, QStringLiteral("Sales"));
        europe = explorer->AddFolder(sales, QStringLiteral("Europe"));
        north = explorer->AddFolder(europe, QStringLiteral("North"));
        explorer->AddFolder(0, QStringLiteral("Stock"));
        explorer->AddFolder(europe, QStringLiteral("Monthly"));  // a folder named like a report
        saveReport(europe, QStringLiteral("Monthly"));
        saveReport(europe, QStringLiteral("Weekly"));
    }
    void open(TppOpenSaveDialog& d, int mode, int folderId) {
        d.Mode = mode;
        d.SetReportExplorer(explorer);
        d.Folder = folderId;
        d.ItemType = 1;
        d.show();
    }
    int sales = 0, europe = 0, north = 0;
};

TEST_F(OpenSaveDialog, folder_box_lists_the_top_folders_and_the_path_indented) {
    TppOpenSaveDialog d;
    open(d, 0, north);
    QStringList entries;
    for (const auto& e : d.FolderEntries()) entries << QString(e.level * 2, u' ') + e.name;
    EXPECT_EQ(entries, (QStringList{"All Folders", "  Sales", "    Europe", "      North", "  Stock"}));
    EXPECT_TRUE(testsupport::FindControl<QToolButton>(&d, "spbUpOneLevel")->isEnabled());
    d.UpOneLevel();
    EXPECT_EQ(d.Folder, europe);
    QStringList listed;
    for (int i = 0; i < d.ItemList()->topLevelItemCount(); ++i) listed << d.ItemList()->topLevelItem(i)->text(0);
    EXPECT_EQ(listed, (QStringList{"Monthly", "North", "Monthly", "Weekly"}));
    d.ChooseFolder(0);
    EXPECT_FALSE(testsupport::FindControl<QToolButton>(&d, "spbUpOneLevel")->isEnabled());
    // Without a help event the Help button is hidden.
    EXPECT_FALSE(testsupport::FindControl<QPushButton>(&d, "btnHelp")->isVisible());
    EXPECT_EQ(d.windowTitle(), "Open");
}

TEST_F(OpenSaveDialog, names_are_validated_as_each_mode_needs) {
    struct Case {
        int mode;
        const char* name;
        const char* question;  // the message asked, or none
        ui::Button answer;
        bool accepted;
    };
    static const Case cases[] = {
        {1, "Quarterly", nullptr, ui::Button::None, true},
        {1, "weekly", "weekly already exists.\nDo you want to replace it\\?", ui::Button::Yes, true},
        {1, "Weekly", "Weekly already exists.", ui::Button::No, false},
        {0, "WEEKLY", nullptr, ui::Button::None, true},
        {0, "North", "Item not found: North", ui::Button::Ok, false},  // a folder is never an item
        {0, "Quarterly", "Item not found: Quarterly", ui::Button::Ok, false},
        {0, "", nullptr, ui::Button::None, false},
        {1, "", nullptr, ui::Button::None, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromLatin1(c.name) + " mode " + QString::number(c.mode));
        TppOpenSaveDialog d;
        open(d, c.mode, europe);
        DialogAnswerer answers;
        if (c.question) answers.ExpectMessage(QString::fromLatin1(c.question), c.answer);
        testsupport::Type(&d, "edtItemName", QString::fromLatin1(c.name));
        EXPECT_EQ(d.ValidateName(), c.accepted);
        EXPECT_EQ(answers.Pending(), 0);
    }
}

TEST_F(OpenSaveDialog, choosing_an_item_fills_the_name_and_new_folder_is_made_in_the_folder_shown) {
    TppOpenSaveDialog d;
    d.SetItemName("Weekly");
    open(d, 1, europe);
    EXPECT_EQ(d.windowTitle(), "Save Weekly As");
    d.ItemList()->SelectItem("Monthly");  // the folder entry comes first: no name from it
    EXPECT_EQ(d.GetItemName(), "Weekly");
    d.ItemList()->clearSelection();
    d.ItemList()->setCurrentItem(d.ItemList()->topLevelItem(2));
    EXPECT_EQ(d.GetItemName(), "Monthly");
    d.NewFolder();
    EXPECT_EQ(Sql(folder, "tsFolder.db", "SELECT Name FROM \"tsFolder.db\" WHERE ParentId = " + QString::number(europe) +
                                             " ORDER BY Name"),
              (QStringList{"Monthly", "New Folder", "North"}));
    EXPECT_EQ(d.ItemList()->GetSelectedName(), "New Folder");
}

}  // namespace
}  // namespace explorertest
