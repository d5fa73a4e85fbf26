// The hierarchy explorer in the real main window on a copy of the sample database: the
// lazily read tree against Hierarchy.DB, selection telling the program, and adding,
// renaming and deleting branches with Hierarchy.DB and the View tables checked afterwards.

#include "core/gui/explorer.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/confirm_dialogs.h"
#include "core/gui/main_form.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/win_registry.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"

#include "platform/db/fault_injection.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/db/database.h"
#include "platform/settings/ini_document.h"
#include "platform/ui/help.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/loop_length.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCryptographicHash>
#include <QCollator>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QToolBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>
#include <cstdio>
#include <random>
#include <set>

#include <unistd.h>
#include <memory>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;

constexpr int UM_NODECHANGED = 0x0400 + 101;

struct Row {
    int parent = 0;
    QString name;
    int type = 0;
    bool operator==(const Row&) const = default;
};

/// Every row of Hierarchy.DB, read through a table of its own.
std::map<int, Row> hierarchyRows(const QString& folder) {
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName("Hierarchy.DB");
    t.Open();
    std::map<int, Row> rows;
    for (t.First(); !t.Eof(); t.Next())
        rows[t.FieldByName("NodeID")->AsInteger()] = {t.FieldByName("ParentNodeID")->AsInteger(),
                                                      t.FieldByName("NodeName")->AsString(),
                                                      t.FieldByName("NodeType")->AsInteger()};
    return rows;
}

/// True when the View's table holds a record of the NodeID.
bool viewRecordExists(int view, int nodeID) {
    db::Table t;
    t.SetDatabaseName(Globals().CurrentFolder);
    t.SetTableName(core::ViewTableFile(ViewControl().GetViewTableName(view)));
    t.Open();
    return t.Locate("NodeID", {nodeID});
}

QStringList childTexts(QTreeWidget* tree, QTreeWidgetItem* node) {
    QStringList texts;
    const int n = node ? node->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < n; ++i) texts << (node ? node->child(i) : tree->topLevelItem(i))->text(0);
    return texts;
}

QStringList rowNamesUnder(const std::map<int, Row>& rows, int parent) {
    QStringList names;
    for (const auto& [id, r] : rows)
        if (r.parent == parent) names << r.name;
    return names;
}

/// Expands `node` and checks that it shows the titles of exactly the rows below it.
void expandShowsTheRowsBelow(QTreeWidget* tree, const std::map<int, Row>& rows, QTreeWidgetItem* node) {
    node->setExpanded(true);
    QStringList children = rowNamesUnder(rows, node->data(0, TExplorer::kNodeIDRole).toInt());
    QStringList shown = childTexts(tree, node);
    std::sort(children.begin(), children.end());
    std::sort(shown.begin(), shown.end());
    ASSERT_FALSE(children.isEmpty());
    EXPECT_EQ(shown, children);
}

class ExplorerTest : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(PrepareMainWindow());
        ASSERT_NO_FATAL_FAILURE(PrepareSample());
        core::InstallExplorer(form.get());
        ViewLayer().PostToViewWindows = [this](int msg, qintptr w, qintptr l) {
            if (msg == UM_NODECHANGED && w == 1) told.push_back(int(l));
        };
        ASSERT_NO_FATAL_FAILURE(OpenSample());
        ASSERT_TRUE(testsupport::WaitFor([&] { return explorer() && tree()->topLevelItemCount() > 0; }, 20000));
    }
    /// Changes the copy of the sample database before the program opens it.
    virtual void PrepareSample() {}
    void TearDown() override {
        ViewLayer() = TViewLayer{};
        core::ClearCommands();
        form->close();
        form.reset();
        ViewControl().Clear();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    TExplorer* explorer() const { return form->findChild<TExplorer*>("Explorer"); }
    QTreeWidget* tree() const { return form->findChild<QTreeWidget*>("TreeView"); }
    QAction* action(const char* name) const { return explorer()->findChild<QAction*>(name); }
    QTreeWidgetItem* itemOf(int id) { return explorer()->FindNodeByID(id); }
    static int idOf(QTreeWidgetItem* item) { return item->data(0, TExplorer::kNodeIDRole).toInt(); }

    /// Answers the "Create New Branch" dialog with a title and a View.
    static std::function<void(TNodeParmsForm&)> create(const QString& title, int view) {
        return [title, view](TNodeParmsForm& d) {
            d.findChild<QListWidget*>("ItemType")->setCurrentRow(view);
            d.findChild<QPlainTextEdit*>("NodeName")->setPlainText(title);
            QTest::mouseClick(d.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
        };
    }

    std::vector<int> told;  ///< View indexes of the UM_NODECHANGED posted
};

TEST_F(ExplorerTest, the_tree_shows_hierarchy_levels_read_when_expanded_and_selection_tells_the_program) {
    EXPECT_TRUE(form->LeftDockPanel->isAncestorOf(explorer()));
    const auto rows = hierarchyRows(sample);
    ASSERT_GT(rows.size(), 2000u);
    QCollator collator;
    // The roots in title order, and nothing below them read yet.
    QStringList roots = rowNamesUnder(rows, 0);
    QStringList shown = childTexts(tree(), nullptr);
    std::sort(roots.begin(), roots.end());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, roots);
    int loadedItems = 0;
    for (int i = 0; i < tree()->topLevelItemCount(); ++i) loadedItems += 1 + tree()->topLevelItem(i)->childCount();
    EXPECT_EQ(loadedItems, roots.size());

    // Expanding a root reads exactly its children, each with its View's icon; leaves show no button.
    QTreeWidgetItem* root = tree()->topLevelItem(0);
    EXPECT_EQ(root->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    ASSERT_NO_FATAL_FAILURE(expandShowsTheRowsBelow(tree(), rows, root));
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem* c = root->child(i);
        EXPECT_EQ(c->data(0, TExplorer::kNodeTypeRole).toInt(), rows.at(idOf(c)).type);
        EXPECT_FALSE(c->icon(0).isNull());
        bool hasChildren = false;
        for (const auto& [id, r] : rows) hasChildren = hasChildren || r.parent == idOf(c);
        EXPECT_EQ(c->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator, hasChildren) << idOf(c);
    }

    // A branch four levels down is found (its path read) and selecting it tells the program.
    int deep = 0;
    for (const auto& [id, r] : rows) {
        int depth = 0;
        for (int p = r.parent; p != 0; p = rows.at(p).parent) ++depth;
        if (depth == 3) {
            deep = id;
            break;
        }
    }
    ASSERT_GT(deep, 0);
    QTreeWidgetItem* item = itemOf(deep);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(0), rows.at(deep).name);
    told.clear();
    tree()->setCurrentItem(item);
    const int view = rows.at(deep).type;
    ASSERT_EQ(told, std::vector<int>{view});
    EXPECT_EQ(data->Hierarchy->FieldByName("NodeID")->AsInteger(), deep);
    if (TtsTable* table = ViewControl().GetViewTable(view); table && table->Active()) {
        EXPECT_EQ(table->FieldByName("NodeID")->AsInteger(), deep);
    }
    EXPECT_EQ(ViewControl().GetViewCurrentNodeID(view), deep);
    EXPECT_EQ(explorer()->CurrentViewIndex(), view);
    EXPECT_TRUE(action("A_NewChild")->isEnabled());
    grab(form.get(), "explorer_sample_open");
    for (QAction* a : explorer()->ExplorerToolbar->actions()) EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();

    // Help opens the explorer's topic.
    QDir().mkpath(m_dir.filePath("Help"));
    QFile page(m_dir.filePath("Help/50014.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    ui::HelpService::SetHelpFile(m_dir.filePath("Help/Dossara.hlp"));
    QString opened;
    ui::HelpService::SetPageOpener([&opened](const QString& path) {
        opened = path;
        return true;
    });
    action("A_Help")->trigger();
    ui::HelpService::SetPageOpener({});
    ui::HelpService::SetHelpFile({});
    EXPECT_EQ(QFileInfo(opened).fileName(), "50014.html");

    // While a View holds unsaved changes the selection and the titles stay as they are.
    ViewLayer().FindUnsavedChanges = [] { return true; };
    told.clear();
    tree()->setCurrentItem(root);
    EXPECT_EQ(tree()->currentItem(), item);
    item->setText(0, "Changed");
    EXPECT_EQ(item->text(0), rows.at(deep).name);
    EXPECT_EQ(hierarchyRows(sample).at(deep).name, rows.at(deep).name);
    EXPECT_TRUE(told.empty());
    ViewLayer().FindUnsavedChanges = nullptr;

    // A row whose parent does not exist is never shown.
    EXPECT_EQ(itemOf(999999), nullptr);
}

TEST_F(ExplorerTest, adding_renaming_and_deleting_branches_write_hierarchy_and_view_records) {
    DialogAnswerer answers;
    const int rowsBefore = int(hierarchyRows(sample).size());
    // A root of View 1 beside the selected root.
    tree()->setCurrentItem(tree()->topLevelItem(0));
    answers.ExpectModal<TNodeParmsForm>(create("Zeta root", 1));
    action("A_NewSibbling")->trigger();
    auto rows = hierarchyRows(sample);
    ASSERT_EQ(int(rows.size()), rowsBefore + 1);
    const int rootID = rows.rbegin()->first;
    EXPECT_EQ(rows.at(rootID).parent, 0);
    EXPECT_EQ(rows.at(rootID).name, "Zeta root");
    EXPECT_EQ(rows.at(rootID).type, 1);
    EXPECT_TRUE(viewRecordExists(1, rootID));
    EXPECT_EQ(idOf(tree()->currentItem()), rootID);

    // A child of View 0 below it; then a grandchild.
    answers.ExpectModal<TNodeParmsForm>(create("Child", 0));
    action("A_NewChild")->trigger();
    rows = hierarchyRows(sample);
    const int childID = rows.rbegin()->first;
    EXPECT_EQ(rows.at(childID).parent, rootID);
    EXPECT_TRUE(viewRecordExists(0, childID));
    answers.ExpectModal<TNodeParmsForm>(create("Grandchild", 2));
    action("A_NewChild")->trigger();
    rows = hierarchyRows(sample);
    const int grandID = rows.rbegin()->first;
    EXPECT_EQ(rows.at(grandID).parent, childID);
    EXPECT_TRUE(viewRecordExists(2, grandID));

    // The dialog refuses an empty title and a missing type.
    answers.ExpectModal<TNodeParmsForm>([&answers](TNodeParmsForm& d) {
        answers.ExpectMessage("You must enter a branch name.", ui::Button::Ok, ui::MessageKind::Error);
        d.findChild<QListWidget*>("ItemType")->setCurrentRow(0);
        d.findChild<QPlainTextEdit*>("NodeName")->setPlainText("   ");
        QTest::mouseClick(d.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    action("A_NewChild")->trigger();
    EXPECT_EQ(hierarchyRows(sample).size(), rows.size());

    // Renaming: a title of 120 characters is stored cut to 100 with the warning; a blank
    // title is refused and the old title comes back.
    QTreeWidgetItem* child = itemOf(childID);
    ASSERT_NE(child, nullptr);
    answers.ExpectModal<TWarner>([](TWarner& d) {
        EXPECT_EQ(d.findChild<QPlainTextEdit*>("MsgMemo")->toPlainText(),
                  "A branch title can be a maximum of 100 characters long. The title you have entered is 120 "
                  "characters, and will be truncated.");
        d.reject();
    });
    child->setText(0, QString(120, 'x'));
    ASSERT_TRUE(testsupport::WaitFor([&] { return answers.Pending() == 0; }));
    EXPECT_EQ(hierarchyRows(sample).at(childID).name, QString(100, 'x'));
    EXPECT_EQ(child->text(0), QString(100, 'x'));
    tree()->setCurrentItem(child);
    answers.ExpectMessage("The title cannot be blank.", ui::Button::Ok, ui::MessageKind::Error);
    child->setText(0, "   ");
    ASSERT_TRUE(testsupport::WaitFor([&] { return answers.Pending() == 0; }));
    EXPECT_EQ(child->text(0), QString(100, 'x'));
    EXPECT_EQ(hierarchyRows(sample).at(childID).name, QString(100, 'x'));
    tree()->closePersistentEditor(child, 0);

    // Deleting the root: No keeps everything; Yes removes the subtree's rows and View records.
    tree()->setCurrentItem(itemOf(rootID));
    answers.ExpectMessage("Are you sure you want to delete this branch\\?", ui::Button::No,
                          ui::MessageKind::Confirmation);
    action("A_DeleteBranch")->trigger();
    EXPECT_EQ(hierarchyRows(sample).count(rootID), 1u);
    answers.ExpectMessage("Are you sure you want to delete this branch\\?", ui::Button::Yes,
                          ui::MessageKind::Confirmation);
    action("A_DeleteBranch")->trigger();
    rows = hierarchyRows(sample);
    EXPECT_EQ(int(rows.size()), rowsBefore);
    for (int id : {rootID, childID, grandID}) EXPECT_EQ(rows.count(id), 0u) << id;
    EXPECT_FALSE(viewRecordExists(1, rootID));
    EXPECT_FALSE(viewRecordExists(0, childID));
    EXPECT_FALSE(viewRecordExists(2, grandID));
    EXPECT_EQ(itemOf(rootID), nullptr);
    for (int i = 0; i < tree()->topLevelItemCount(); ++i) EXPECT_NE(idOf(tree()->topLevelItem(i)), rootID);
}

/// Drops the selected branch on the target as a drag would (Ctrl held: copy).
void dropOn(QTreeWidget* tree, QTreeWidgetItem* target, bool copy) {
    tree->scrollToItem(target);
    const QPointF pos = tree->visualItemRect(target).center();
    QMimeData mime;
    QDropEvent drop(pos, copy ? Qt::CopyAction : Qt::MoveAction, &mime, Qt::LeftButton,
                    copy ? Qt::ControlModifier : Qt::NoModifier);
    // Straight to the tree's handler: the application delivers drop events only during a
    // platform drag, which the offscreen platform has not.
    static_cast<TExplorerTree*>(tree)->dropEvent(&drop);
}

void clickOK(TConfirmer& d) { QTest::mouseClick(d.findChild<QPushButton*>("OKBtn"), Qt::LeftButton); }

/// The names of the subtree below a NodeID, by level: "name/child/grandchild" per branch.
QStringList subtreePaths(const std::map<int, Row>& rows, int id, const QString& prefix = {}) {
    QStringList paths;
    for (const auto& [child, r] : rows)
        if (r.parent == id) {
            paths << prefix + r.name;
            paths << subtreePaths(rows, child, prefix + r.name + "/");
        }
    paths.sort();
    return paths;
}

TEST_F(ExplorerTest, dropping_copies_or_moves_a_subtree_with_new_node_ids_and_refuses_its_own_descendants) {
    DialogAnswerer answers;
    const auto rows = hierarchyRows(sample);
    // A section (level 2) with sources below, and another section to drop it on.
    QTreeWidgetItem* root = tree()->topLevelItem(0);
    root->setExpanded(true);
    QTreeWidgetItem* section = root->child(0);
    QTreeWidgetItem* other = root->child(1);
    section->setExpanded(true);
    QTreeWidgetItem* source = section->child(0);
    for (int i = 0; i < section->childCount() && rows.count(idOf(source)) && subtreePaths(rows, idOf(source)).isEmpty(); ++i)
        source = section->child(i);
    const int sourceID = idOf(source), otherID = idOf(other);
    const QStringList sourceTree = subtreePaths(rows, sourceID);
    ASSERT_FALSE(sourceTree.isEmpty());
    const QString sourceName = source->text(0);

    // Its own parent and its own branches below are refused without a question.
    tree()->setCurrentItem(source);
    dropOn(tree(), section, false);
    source->setExpanded(true);
    dropOn(tree(), source->child(0), false);
    EXPECT_EQ(hierarchyRows(sample).size(), rows.size());

    // Copy (Ctrl): the source stays, the copy below the other section has new NodeIDs.
    tree()->setCurrentItem(source);
    answers.ExpectModal<TConfirmer>(clickOK);
    dropOn(tree(), other, true);
    auto after = hierarchyRows(sample);
    EXPECT_EQ(after.size(), rows.size() + 1 + size_t(sourceTree.size()));
    EXPECT_EQ(subtreePaths(after, sourceID), sourceTree);
    int copyID = 0;
    for (const auto& [id, r] : after)
        if (r.parent == otherID && r.name == sourceName && rows.count(id) == 0) copyID = id;
    ASSERT_GT(copyID, 0);
    EXPECT_EQ(subtreePaths(after, copyID), sourceTree);
    for (const auto& [id, r] : after)
        if (rows.count(id) == 0) {
            EXPECT_TRUE(viewRecordExists(r.type, id)) << id;
        }

    // Move: the source's rows and records go, its copy below the other section stays.
    QTreeWidgetItem* moved = itemOf(sourceID);
    ASSERT_NE(moved, nullptr);
    tree()->setCurrentItem(moved);
    answers.ExpectModal<TConfirmer>(clickOK);
    dropOn(tree(), itemOf(otherID), false);
    const auto afterMove = hierarchyRows(sample);
    EXPECT_EQ(afterMove.size(), after.size());
    EXPECT_EQ(afterMove.count(sourceID), 0u);
    EXPECT_FALSE(viewRecordExists(rows.at(sourceID).type, sourceID));
    EXPECT_EQ(itemOf(sourceID), nullptr);
    int movedCopies = 0;
    for (const auto& [id, r] : afterMove)
        if (r.parent == otherID && r.name == sourceName) {
            ++movedCopies;
            EXPECT_EQ(subtreePaths(afterMove, id), sourceTree);
        }
    EXPECT_EQ(movedCopies, 2);

    // A move that fails half-way changes nothing.
    QTreeWidgetItem* again = itemOf(copyID);
    ASSERT_NE(again, nullptr);
    tree()->setCurrentItem(again);
    answers.ExpectModal<TConfirmer>(clickOK).ExpectMessage(".", ui::Button::Ok, ui::MessageKind::Error);
    db::testing::FailNthWrite(12);
    dropOn(tree(), itemOf(idOf(section)), false);
    db::testing::FailNthWrite(0);
    EXPECT_EQ(hierarchyRows(sample), afterMove);
}

TEST_F(ExplorerTest, closing_the_database_empties_and_disables_the_explorer_and_opening_again_restores_it) {
    DialogAnswerer answers;
    TExplorer* before = explorer();
    form->CloseDatabase(false);
    EXPECT_EQ(explorer(), before);
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_FALSE(tree()->isEnabled());
    EXPECT_FALSE(action("A_NewSibbling")->isEnabled());
    ASSERT_TRUE(form->OpenDatabase(sample));
    ASSERT_TRUE(testsupport::WaitFor([&] { return tree()->topLevelItemCount() > 0; }));
    EXPECT_EQ(explorer(), before);
    EXPECT_TRUE(tree()->isEnabled());
    EXPECT_TRUE(action("A_NewSibbling")->isEnabled());
    EXPECT_NE(tree()->currentItem(), nullptr);
}

// "Explorer toolbar" in the main window's Toolbars menu shows and hides the explorer's
// toolbar; the explorer reads the toolbar's stored state under "Explorer" when it is shown.
TEST_F(ExplorerTest, the_explorer_toolbar_command_shows_and_hides_the_explorers_toolbar) {
    QAction* toggle = form->A_TBExplorer;
    auto* bar = explorer()->findChild<QToolBar*>("ExplorerToolbar");
    ASSERT_TRUE(bar);
    EXPECT_TRUE(toggle->isEnabled());
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(bar->isVisible());
    toggle->trigger();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(bar->isVisible());
    toggle->trigger();
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(bar->isVisible());

    DialogAnswerer answers;
    form->CloseDatabase(false);
    EXPECT_FALSE(toggle->isEnabled());
    ASSERT_TRUE(form->OpenDatabase(sample));
    core::WriteRegBool("Preferences", "Toolbars", "Explorer", "Visible", false);
    core::WriteRegString("Preferences", "Toolbars", "Explorer", "ButtonState", "0");
    form->CloseDatabase(false);
    ASSERT_TRUE(form->OpenDatabase(sample));
    ASSERT_TRUE(testsupport::WaitFor([&] { return tree()->topLevelItemCount() > 0; }));
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(bar->actions().first()->isVisible());
    toggle->trigger();
    EXPECT_TRUE(bar->isVisible());
}

/// Whether Hierarchy.DB's stored definition holds the index on ParentNodeID;NodeName.
bool hasParentIndex(const QString& folder) {
    for (const db::IndexDef& ix : db::ReadTableDef(folder, core::kHierarchyTable).Indexes)
        if (ix.Fields.compare(core::kHierarchyParentIndexFields, Qt::CaseInsensitive) == 0) return true;
    return false;
}

/// The sample database as older releases made it: Hierarchy.DB without its index on
/// ParentNodeID;NodeName.
class ExplorerOnOlderDatabase : public ExplorerTest {
protected:
    void PrepareSample() override {
        db::DeleteIndexFromFile(sample, core::kHierarchyTable, core::kHierarchyParentIndex);
        ASSERT_FALSE(hasParentIndex(sample));
    }
    /// The roots and the children of the first root with children, as the tree shows them
    /// (sorted by the tree), against the rows of Hierarchy.DB.
    void expectTheTreeOfTheRows() {
        const auto rows = hierarchyRows(sample);
        QStringList roots = rowNamesUnder(rows, 0);
        std::sort(roots.begin(), roots.end());
        QStringList shown = childTexts(tree(), nullptr);
        QStringList sorted = shown;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(shown, sorted);  // the tree's own title order
        EXPECT_EQ(sorted, roots);
        QTreeWidgetItem* root = tree()->topLevelItem(0);
        ASSERT_NE(root, nullptr);
        expandShowsTheRowsBelow(tree(), rows, root);
    }
};

TEST_F(ExplorerOnOlderDatabase, its_hierarchy_gains_the_index_on_opening_and_the_tree_reads_through_it) {
    EXPECT_TRUE(hasParentIndex(sample));
    expectTheTreeOfTheRows();
}

/// The same in a folder the program cannot write to.
class ExplorerOnReadOnlyOlderDatabase : public ExplorerOnOlderDatabase {
protected:
    void PrepareSample() override {
        ExplorerOnOlderDatabase::PrepareSample();
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        for (const QString& name : QDir(sample).entryList(QDir::Files)) QFile::setPermissions(sample + "/" + name, readOnly);
        QFile::setPermissions(sample, readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        // The superuser writes through permissions: the first write fails as the folder's would.
        if (geteuid() == 0) db::testing::FailNthWrite(1);
    }
    void TearDown() override {
        db::testing::FailNthWrite(0);
        ExplorerOnOlderDatabase::TearDown();
        QFile::setPermissions(sample, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QString& name : QDir(sample).entryList(QDir::Files))
            QFile::setPermissions(sample + "/" + name, QFile::ReadOwner | QFile::WriteOwner);
    }
};

TEST_F(ExplorerOnReadOnlyOlderDatabase, opens_without_the_index_and_shows_the_same_tree) {
    EXPECT_EQ(db::testing::WritesUntilFailure(), 0);
    EXPECT_FALSE(hasParentIndex(sample));
    expectTheTreeOfTheRows();
}

/// The sample database in a folder the program cannot write to.
class ExplorerOnReadOnlyDatabase : public ExplorerTest {
protected:
    void PrepareSample() override {
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        for (const QString& name : QDir(sample).entryList(QDir::Files)) QFile::setPermissions(sample + "/" + name, readOnly);
        QFile::setPermissions(sample, readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    }
    void TearDown() override {
        ExplorerTest::TearDown();
        QFile::setPermissions(sample, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QString& name : QDir(sample).entryList(QDir::Files))
            QFile::setPermissions(sample + "/" + name, QFile::ReadOwner | QFile::WriteOwner);
    }
};

// In a read-only database the branch commands that write say that they cannot, instead of
// failing in the table engine; nothing is written.
TEST_F(ExplorerOnReadOnlyDatabase, branch_commands_that_write_say_the_database_is_read_only) {
    EXPECT_TRUE(Globals().DatabaseReadOnly);
    const auto rows = hierarchyRows(sample);
    tree()->setCurrentItem(tree()->topLevelItem(0));
    for (const char* name : {"A_NewSibbling", "A_NewChild", "A_DeleteBranch"}) {
        SCOPED_TRACE(name);
        DialogAnswerer answers;
        answers.ExpectMessage("^This database is read-only: ", ui::Button::Ok);
        action(name)->trigger();
        EXPECT_EQ(answers.Pending(), 0);
    }
    EXPECT_EQ(hierarchyRows(sample), rows);
}

TEST_F(ExplorerTest, a_delete_that_fails_half_way_leaves_every_row_and_record) {
    const auto rows = hierarchyRows(sample);
    // A root with branches below it.
    QTreeWidgetItem* root = tree()->topLevelItem(0);
    const int rootID = idOf(root);
    std::vector<int> below;
    for (const auto& [id, r] : rows)
        if (r.parent == rootID) below.push_back(id);
    ASSERT_GT(below.size(), 1u);
    tree()->setCurrentItem(root);
    {
        DialogAnswerer answers;
        answers.ExpectMessage("Are you sure you want to delete this branch\\?", ui::Button::Yes)
            .ExpectMessage(".", ui::Button::Ok, ui::MessageKind::Error);
        db::testing::FailNthWrite(40);
        action("A_DeleteBranch")->trigger();
        db::testing::FailNthWrite(0);
    }
    EXPECT_EQ(hierarchyRows(sample).size(), rows.size());
    for (int id : below) EXPECT_TRUE(viewRecordExists(rows.at(id).type, id)) << id;
    EXPECT_TRUE(viewRecordExists(rows.at(rootID).type, rootID));
    EXPECT_EQ(itemOf(rootID), root);
}

}  // namespace

namespace {

/// Every row of a table file, each as its values joined in one text (blobs as hex).
QStringList tableRows(const QString& folder, const QString& file) {
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(file);
    t.Open();
    QStringList rows;
    for (t.First(); !t.Eof(); t.Next()) {
        QStringList values;
        for (int i = 0; i < t.FieldCount(); ++i) {
            const QVariant v = t.Fields(i)->Value();
            values << (v.typeId() == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray().toHex()) : v.toString());
        }
        rows << values.join(u'|');
    }
    return rows;
}

/// Hierarchy.DB, every View table and every word table of the database, row by row: per
/// file its row count and a digest of its rows in order.
std::map<QString, QString> allTables(const QString& folder) {
    std::map<QString, QString> tables;
    for (const QString& file : QDir(folder).entryList({"*.db", "*.DB"}, QDir::Files)) {
        if (file.compare("Registry.DB", Qt::CaseInsensitive) == 0) continue;
        const QStringList rows = tableRows(folder, file);
        tables[file] = QStringLiteral("%1 rows, %2")
                           .arg(rows.size())
                           .arg(QString::fromLatin1(
                               QCryptographicHash::hash(rows.join(u'\n').toUtf8(), QCryptographicHash::Sha1).toHex()));
    }
    return tables;
}

/// Answers the copy-or-move confirmation with OK and every message with OK, keeping the
/// message texts: for loops where a prompt comes or not depending on the run.
class ConfirmingDialogs : public ui::DialogService {
public:
    ui::Button Message(const ui::MessageRequest& request) override {
        Messages << request.text;
        return ui::Button::Ok;
    }
    std::optional<QString> ChooseFileToOpen(const ui::FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFileToSave(const ui::FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(const ui::FileRequest&) override { return std::nullopt; }
    int ExecModal(QObject& dialog) override {
        auto* confirmer = dynamic_cast<TConfirmer*>(&dialog);
        if (!confirmer) {
            Messages << QStringLiteral("unexpected dialog");
            return 0;
        }
        return QDialog::Accepted;
    }

    QStringList Messages;
};

class ExplorerCommands : public ExplorerTest {
protected:
    /// Opens the popup menu on the node as a right click would, runs the action and closes
    /// the menu again.
    void popupCommand(QTreeWidgetItem* node, const char* actionName) {
        openPopup(node);
        QAction* a = action(actionName);
        ASSERT_TRUE(a->isEnabled()) << actionName;
        a->trigger();
        explorer()->PopupMenu->hide();
    }
    void openPopup(QTreeWidgetItem* node) {
        tree()->scrollToItem(node);
        const QPoint pos = tree()->visualItemRect(node).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, tree()->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(tree()->viewport(), &event);
    }
    /// A second-level branch with branches below it, and another second-level branch.
    void pickSourceAndTarget(const std::map<int, Row>& rows, int& sourceID, int& targetID) {
        QTreeWidgetItem* root = tree()->topLevelItem(0);
        root->setExpanded(true);
        QTreeWidgetItem* section = root->child(0);
        section->setExpanded(true);
        sourceID = 0;
        for (int i = 0; i < section->childCount() && !sourceID; ++i)
            if (!subtreePaths(rows, idOf(section->child(i))).isEmpty()) sourceID = idOf(section->child(i));
        targetID = idOf(root->child(1));
    }
    static int copiesBelow(const std::map<int, Row>& rows, int parent, const QString& name) {
        int n = 0;
        for (const auto& [id, r] : rows) n += r.parent == parent && r.name == name;
        return n;
    }
};

TEST_F(ExplorerCommands, copy_pastes_repeatedly_cut_pastes_once_and_move_to_root_keeps_the_node_id) {
    DialogAnswerer answers;
    const auto rows = hierarchyRows(sample);
    int sourceID = 0, targetID = 0;
    pickSourceAndTarget(rows, sourceID, targetID);
    ASSERT_GT(sourceID, 0);
    const QString name = rows.at(sourceID).name;
    const QStringList sourceTree = subtreePaths(rows, sourceID);

    // Copy, then paste twice: two copies, the source unchanged, the clipboard kept.
    popupCommand(itemOf(sourceID), "A_CopyBranch");
    EXPECT_EQ(explorer()->ClipboardBranch(), sourceID);
    EXPECT_FALSE(explorer()->ClipboardCut());
    for (int n = 1; n <= 2; ++n) {
        answers.ExpectModal<TConfirmer>([](TConfirmer& d) {
            EXPECT_TRUE(d.findChild<QPlainTextEdit*>("MsgMemo")->toPlainText().contains("You are about to copy branch"));
            clickOK(d);
        });
        popupCommand(itemOf(targetID), "A_PasteBranch");
        const auto after = hierarchyRows(sample);
        EXPECT_EQ(copiesBelow(after, targetID, name), n);
        EXPECT_EQ(subtreePaths(after, sourceID), sourceTree);
        EXPECT_EQ(explorer()->ClipboardBranch(), sourceID);
    }
    // Paste is not offered on the source's own branches or its parent.
    itemOf(sourceID)->setExpanded(true);
    openPopup(itemOf(sourceID)->child(0));
    EXPECT_FALSE(action("A_PasteBranch")->isEnabled());
    explorer()->PopupMenu->hide();
    openPopup(itemOf(sourceID)->parent());
    EXPECT_FALSE(action("A_PasteBranch")->isEnabled());
    explorer()->PopupMenu->hide();

    // Cut marks the branch dimmed; paste moves it once and empties the clipboard.
    popupCommand(itemOf(sourceID), "A_CutBranch");
    EXPECT_TRUE(explorer()->ClipboardCut());
    EXPECT_TRUE(itemOf(sourceID)->data(0, Qt::ForegroundRole).isValid());
    answers.ExpectModal<TConfirmer>([](TConfirmer& d) {
        EXPECT_TRUE(d.findChild<QPlainTextEdit*>("MsgMemo")->toPlainText().contains("You are about to move branch"));
        clickOK(d);
    });
    popupCommand(itemOf(targetID), "A_PasteBranch");
    auto after = hierarchyRows(sample);
    EXPECT_EQ(after.count(sourceID), 0u);
    EXPECT_FALSE(viewRecordExists(rows.at(sourceID).type, sourceID));
    EXPECT_EQ(copiesBelow(after, targetID, name), 3);
    EXPECT_EQ(after.size(), rows.size() + 2 * size_t(1 + sourceTree.size()));
    EXPECT_EQ(explorer()->ClipboardBranch(), 0);
    openPopup(itemOf(targetID));
    EXPECT_FALSE(action("A_PasteBranch")->isEnabled());
    explorer()->PopupMenu->hide();

    // Move to root: offered only below a root; the branch keeps its NodeID and records.
    int copyID = 0;
    for (const auto& [id, r] : after)
        if (r.parent == targetID && r.name == name) copyID = id;
    ASSERT_GT(copyID, 0);
    openPopup(tree()->topLevelItem(0));
    EXPECT_FALSE(action("A_MoveToRoot")->isEnabled());
    explorer()->PopupMenu->hide();
    const auto beforeRoot = hierarchyRows(sample);
    popupCommand(itemOf(copyID), "A_MoveToRoot");
    after = hierarchyRows(sample);
    EXPECT_EQ(after.at(copyID).parent, 0);
    after[copyID].parent = targetID;
    EXPECT_EQ(after, beforeRoot);
    EXPECT_TRUE(viewRecordExists(rows.at(sourceID).type, copyID));
    ASSERT_NE(tree()->currentItem(), nullptr);
    EXPECT_EQ(idOf(tree()->currentItem()), copyID);
    EXPECT_EQ(tree()->currentItem()->parent(), nullptr);

    // Delete from the popup removes the subtree.
    answers.ExpectMessage("Are you sure you want to delete this branch\\?", ui::Button::Yes);
    popupCommand(itemOf(copyID), "A_DeleteBranchRC");
    EXPECT_EQ(hierarchyRows(sample).count(copyID), 0u);
    EXPECT_EQ(hierarchyRows(sample).size(), beforeRoot.size() - size_t(1 + sourceTree.size()));
}

TEST_F(ExplorerCommands, a_cut_and_paste_failing_at_any_write_leaves_every_table_as_it_was) {
    const auto rows = hierarchyRows(sample);
    int sourceID = 0, targetID = 0;
    pickSourceAndTarget(rows, sourceID, targetID);
    ASSERT_GT(sourceID, 0);
    const QString name = rows.at(sourceID).name;
    // The n-th write fails, for growing n, until the move gets through: while copying, at
    // the last copy, while deleting the source; every failure leaves every table as it was.
    // (Registry.DB, the settings table, is left out of the comparison.)
    bool moved = false;
    int failures = 0;
    for (int n = 1; !moved && n < 5000; n += std::max(1, n / testsupport::LoopLength(8, 1000))) {
        SCOPED_TRACE(n);
        const auto before = allTables(sample);
        const int nextBefore = ViewControl().NextNodeID;
        auto owned = std::make_unique<ConfirmingDialogs>();
        ConfirmingDialogs* dialogs = owned.get();
        auto previous = ui::SetDialogService(std::move(owned));
        popupCommand(itemOf(sourceID), "A_CutBranch");
        db::testing::FailNthWrite(n);
        popupCommand(itemOf(targetID), "A_PasteBranch");
        moved = db::testing::WritesUntilFailure() > 0;
        db::testing::FailNthWrite(0);
        const QStringList messages = dialogs->Messages;
        ui::SetDialogService(std::move(previous));  // frees `dialogs`
        if (moved) {
            EXPECT_TRUE(messages.isEmpty()) << messages.join(" / ").toStdString();
            break;
        }
        // The first writes store the confirmation's "don't ask" flag; a failure there stops
        // the paste before anything is copied.
        ASSERT_EQ(messages.size(), 1);
        if (messages.first().contains("Unable to copy branch.")) ++failures;
        else EXPECT_TRUE(messages.first().contains("Registry.DB")) << messages.first().toStdString();
        EXPECT_EQ(allTables(sample), before);
        EXPECT_EQ(ViewControl().NextNodeID, nextBefore);
        ASSERT_NE(itemOf(sourceID), nullptr);
        EXPECT_EQ(copiesBelow(hierarchyRows(sample), targetID, name), 0);
    }
    EXPECT_GT(failures, 10);
    ASSERT_TRUE(moved);
    const auto after = hierarchyRows(sample);
    EXPECT_EQ(after.count(sourceID), 0u);
    EXPECT_EQ(copiesBelow(after, targetID, name), 1);
}

/// Answers a confirmation with Yes and every other message with OK, keeping the texts of
/// the others.
class ConfirmingWithYes : public ConfirmingDialogs {
public:
    ui::Button Message(const ui::MessageRequest& request) override {
        if (request.buttons.testFlag(ui::Button::Yes)) return ui::Button::Yes;
        return ConfirmingDialogs::Message(request);
    }
};

TEST_F(ExplorerCommands, a_copy_or_a_delete_failing_at_any_write_leaves_every_table_as_it_was) {
    // The n-th write fails, for growing n, until the change gets through; every failure
    // leaves every table as it was (Registry.DB, which the confirmation's "don't ask" flag
    // goes to, left out), and the change that gets through is whole.
    struct Case {
        const char* name;
        bool copy;
    };
    static const Case cases[] = {{"copy and paste", true}, {"delete", false}};
    const auto rows = hierarchyRows(sample);
    int sourceID = 0, targetID = 0;
    pickSourceAndTarget(rows, sourceID, targetID);
    ASSERT_GT(sourceID, 0);
    const QString name = rows.at(sourceID).name;
    const int subtree = 1 + int(subtreePaths(rows, sourceID).size());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rowsBefore = hierarchyRows(sample);
        bool done = false;
        int failures = 0;
        for (int n = 1; !done && n < 5000; n += std::max(1, n / testsupport::LoopLength(8, 1000))) {
            SCOPED_TRACE(n);
            const auto before = allTables(sample);
            auto owned = std::make_unique<ConfirmingWithYes>();
            ConfirmingDialogs* dialogs = owned.get();
            auto previous = ui::SetDialogService(std::move(owned));
            if (c.copy) popupCommand(itemOf(sourceID), "A_CopyBranch");
            db::testing::FailNthWrite(n);
            if (c.copy) {
                popupCommand(itemOf(targetID), "A_PasteBranch");
            } else {
                tree()->setCurrentItem(itemOf(sourceID));
                action("A_DeleteBranch")->trigger();
            }
            done = db::testing::WritesUntilFailure() > 0;
            db::testing::FailNthWrite(0);
            const QStringList messages = dialogs->Messages;
            ui::SetDialogService(std::move(previous));
            if (done) {
                EXPECT_TRUE(messages.isEmpty()) << messages.join(" / ").toStdString();
                break;
            }
            ASSERT_EQ(messages.size(), 1);
            if (!messages.first().contains("Registry.DB")) ++failures;
            EXPECT_EQ(allTables(sample), before);
            ASSERT_NE(itemOf(sourceID), nullptr);
        }
        EXPECT_GT(failures, 3);
        ASSERT_TRUE(done);
        const auto after = hierarchyRows(sample);
        if (c.copy) {
            EXPECT_EQ(copiesBelow(after, targetID, name), 1);
            EXPECT_EQ(after.size(), rowsBefore.size() + size_t(subtree));
            for (const auto& [id, r] : after) EXPECT_TRUE(viewRecordExists(r.type, id)) << id;
        } else {
            EXPECT_EQ(after.count(sourceID), 0u);
            EXPECT_EQ(after.size(), rowsBefore.size() - size_t(subtree));
            EXPECT_FALSE(viewRecordExists(rows.at(sourceID).type, sourceID));
        }
    }
}

/// Answers "Create New Branch" with a title and a View and every message with OK, keeping
/// the message texts.
class CreatingDialogs : public ConfirmingDialogs {
public:
    CreatingDialogs(QString title, int view) : m_title(std::move(title)), m_view(view) {}
    int ExecModal(QObject& dialog) override {
        auto* form = dynamic_cast<TNodeParmsForm*>(&dialog);
        if (!form) return ConfirmingDialogs::ExecModal(dialog);
        form->findChild<QListWidget*>("ItemType")->setCurrentRow(m_view);
        form->findChild<QPlainTextEdit*>("NodeName")->setPlainText(m_title);
        return QDialog::Accepted;
    }

private:
    QString m_title;
    int m_view;
};

TEST_F(ExplorerCommands, adding_a_branch_failing_at_any_write_leaves_every_table_as_it_was) {
    // The branch row, its View record and the title's words are one change: the n-th write
    // fails, for growing n, until the add gets through; every failure leaves every table
    // (the word tables with their pending marks included) as it was.
    const auto rowsBefore = hierarchyRows(sample);
    const int parentID = idOf(tree()->topLevelItem(0));
    // The files an add of View 1 writes, compared after every failure; the others once at
    // the end.
    const QString viewTable = ViewControl().GetViewTableName(1);
    const QStringList written = {"Hierarchy.DB", "HierarchyDict.db", core::ViewTableFile(viewTable),
                                 core::ViewDictTableFile(viewTable)};
    auto writtenTables = [&] {
        std::map<QString, QStringList> tables;
        for (const QString& file : written) tables[file] = tableRows(sample, file);
        return tables;
    };
    auto otherTables = [&] {
        auto tables = allTables(sample);
        for (const QString& file : written) tables.erase(file);
        return tables;
    };
    const auto othersBefore = otherTables();
    bool added = false;
    int failures = 0;
    for (int n = 1; !added && n < 2000; n += std::max(1, n / 6)) {
        SCOPED_TRACE(n);
        const auto before = writtenTables();
        tree()->setCurrentItem(itemOf(parentID));
        auto owned = std::make_unique<CreatingDialogs>("Quarantined ledger", 1);
        CreatingDialogs* dialogs = owned.get();
        auto previous = ui::SetDialogService(std::move(owned));
        db::testing::FailNthWrite(n);
        action("A_NewChild")->trigger();
        added = db::testing::WritesUntilFailure() > 0;
        db::testing::FailNthWrite(0);
        const QStringList messages = dialogs->Messages;
        ui::SetDialogService(std::move(previous));
        if (added) {
            EXPECT_TRUE(messages.isEmpty()) << messages.join(" / ").toStdString();
            break;
        }
        ++failures;
        EXPECT_EQ(messages.size(), 1) << messages.join(" / ").toStdString();
        EXPECT_EQ(writtenTables(), before);
        EXPECT_EQ(hierarchyRows(sample), rowsBefore);
    }
    EXPECT_GT(failures, 3);
    EXPECT_EQ(otherTables(), othersBefore);
    ASSERT_TRUE(added);
    const auto after = hierarchyRows(sample);
    ASSERT_EQ(after.size(), rowsBefore.size() + 1);
    const int id = after.rbegin()->first;
    EXPECT_EQ(after.at(id).name, "Quarantined ledger");
    EXPECT_TRUE(viewRecordExists(1, id));
    // A later add still works (no words of a failed add stand in its way).
    tree()->setCurrentItem(itemOf(parentID));
    auto owned = std::make_unique<CreatingDialogs>("Quarantined ledger again", 1);
    auto previous = ui::SetDialogService(std::move(owned));
    action("A_NewChild")->trigger();
    ui::SetDialogService(std::move(previous));
    EXPECT_EQ(hierarchyRows(sample).size(), rowsBefore.size() + 2);
}

TEST_F(ExplorerCommands, copies_and_moves_beside_another_program_adding_branches_all_get_through) {
    const auto rows = hierarchyRows(sample);
    int sourceID = 0, targetID = 0;
    pickSourceAndTarget(rows, sourceID, targetID);
    ASSERT_GT(sourceID, 0);
    QProcess writer;
    writer.setProgram(QStringLiteral(DOSSARA_BRANCH_WRITER));
    writer.setArguments({sample, QStringLiteral("150"), QStringLiteral("Neighbour")});
    writer.start();
    ASSERT_TRUE(writer.waitForStarted());
    ASSERT_TRUE(writer.waitForReadyRead(20000));
    int pastes = 0;
    QStringList messages;
    // Copies while the other program writes, then one move (the same copy with the source
    // deleted after it).
    for (bool move = false; !move;) {
        move = pastes >= 30 || (writer.state() == QProcess::NotRunning && pastes >= 3);
        auto owned = std::make_unique<ConfirmingDialogs>();
        ConfirmingDialogs* dialogs = owned.get();
        auto previous = ui::SetDialogService(std::move(owned));
        popupCommand(itemOf(sourceID), move ? "A_CutBranch" : "A_CopyBranch");
        popupCommand(itemOf(targetID), "A_PasteBranch");
        messages << dialogs->Messages;
        ui::SetDialogService(std::move(previous));
        ++pastes;
    }
    ASSERT_TRUE(writer.waitForFinished(-1));
    EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" / ").toStdString();
    // Every copy has its View record (the other program writes branch rows alone).
    for (const auto& [id, r] : hierarchyRows(sample)) {
        if (r.name.startsWith("Neighbour")) continue;
        EXPECT_TRUE(viewRecordExists(r.type, id)) << id;
    }
}

TEST_F(ExplorerCommands, with_unsaved_changes_every_command_does_nothing) {
    DialogAnswerer answers;  // no prompt may come
    const auto rows = hierarchyRows(sample);
    int sourceID = 0, targetID = 0;
    pickSourceAndTarget(rows, sourceID, targetID);
    popupCommand(itemOf(sourceID), "A_CutBranch");
    QTreeWidgetItem* selected = itemOf(targetID);
    tree()->setCurrentItem(selected);
    ASSERT_TRUE(action("A_PasteBranch")->isEnabled());
    const auto before = allTables(sample);
    int asked = 0;
    ViewLayer().FindUnsavedChanges = [&asked] {
        ++asked;
        return true;
    };
    const int topLevel = tree()->topLevelItemCount();
    for (const char* name : {"A_PasteBranch", "A_MoveToRoot", "A_Refresh", "A_Dock", "A_DeleteBranchRC",
                             "A_DeleteBranch", "A_NewSibbling", "A_NewChild"}) {
        SCOPED_TRACE(name);
        const int before = asked;
        action(name)->trigger();
        EXPECT_GT(asked, before);
    }
    dropOn(tree(), itemOf(targetID), false);
    explorer()->close();
    ViewLayer().FindUnsavedChanges = nullptr;
    EXPECT_EQ(allTables(sample), before);
    EXPECT_TRUE(explorer()->Docked());
    EXPECT_EQ(tree()->topLevelItemCount(), topLevel);
    EXPECT_EQ(tree()->currentItem(), selected);
    EXPECT_TRUE(Globals().DatabaseOpen);
}

// A click on another branch while a View holds unsaved changes is refused; the highlight goes
// back to the branch the View shows, so that what the user sees selected is what a branch
// command acts on.
TEST_F(ExplorerCommands, a_refused_click_leaves_the_highlight_on_the_branch_the_view_shows) {
    QTreeWidgetItem* root = tree()->topLevelItem(0);
    root->setExpanded(true);
    ASSERT_GE(root->childCount(), 2);
    QTreeWidgetItem* shown = root->child(0);
    QTreeWidgetItem* clicked = root->child(1);
    tree()->setCurrentItem(shown);
    ASSERT_TRUE(testsupport::WaitFor([&] { return !told.empty(); }));
    told.clear();
    ViewLayer().FindUnsavedChanges = [] { return true; };
    for (const bool rightClick : {false, true}) {
        SCOPED_TRACE(rightClick);
        tree()->scrollToItem(clicked);
        const QPoint at = tree()->visualItemRect(clicked).center();
        QTest::mouseClick(tree()->viewport(), rightClick ? Qt::RightButton : Qt::LeftButton, {}, at);
        if (rightClick) openPopup(clicked);
        QCoreApplication::processEvents();
        explorer()->PopupMenu->hide();
        EXPECT_EQ(tree()->currentItem(), shown);
        EXPECT_EQ(tree()->selectedItems(), QList<QTreeWidgetItem*>{shown});
        EXPECT_FALSE(clicked->isSelected());
    }
    ViewLayer().FindUnsavedChanges = nullptr;
    EXPECT_TRUE(told.empty());
}

TEST_F(ExplorerCommands, undocking_floats_the_explorer_and_docking_puts_it_back_with_the_tree_read_again) {
    const int selected = idOf(tree()->currentItem());
    EXPECT_FALSE(form->A_WindowsExplorer->isVisible());
    action("A_Dock")->trigger();
    EXPECT_TRUE(explorer()->isWindow());
    EXPECT_FALSE(explorer()->Docked());
    EXPECT_EQ(action("A_Dock")->text(), "Doc&k");
    EXPECT_EQ(action("A_Dock")->toolTip(), "Dock Explorer on main window");
    EXPECT_TRUE(form->A_WindowsExplorer->isVisible());
    ASSERT_TRUE(testsupport::WaitFor([&] { return tree()->topLevelItemCount() > 0; }));
    EXPECT_EQ(idOf(tree()->currentItem()), selected);
    grab(explorer(), "explorer_floating");
    action("A_Dock")->trigger();
    EXPECT_TRUE(form->LeftDockPanel->isAncestorOf(explorer()));
    EXPECT_EQ(action("A_Dock")->text(), "Undoc&k");
    EXPECT_FALSE(form->A_WindowsExplorer->isVisible());
    ASSERT_TRUE(testsupport::WaitFor([&] { return tree()->topLevelItemCount() > 0; }));

    // Closing a floating explorer asks first; No keeps it, Yes closes the database with it.
    action("A_Dock")->trigger();
    {
        DialogAnswerer answers;
        answers.ExpectModal<TConfirmer>([](TConfirmer& d) { d.reject(); });
        explorer()->close();
    }
    EXPECT_TRUE(Globals().DatabaseOpen);
    EXPECT_TRUE(explorer()->isVisible());
    {
        DialogAnswerer answers;
        answers.ExpectModal<TConfirmer>(clickOK);
        explorer()->close();
    }
    EXPECT_FALSE(Globals().DatabaseOpen);
    EXPECT_TRUE(testsupport::WaitFor([&] { return core::Explorer() == nullptr; }));
}

}  // namespace

namespace {

/// Rows of a table file as texts (blobs in hex), sorted, without the word table's pending row.
QStringList sortedRows(const QString& folder, const QString& file) {
    QStringList rows;
    for (const QString& row : tableRows(folder, file))
        if (!row.contains(TtsWordsTableLink::PendingWord())) rows << row;
    rows.sort();
    return rows;
}

/// Every invariant a database folder keeps whatever moment its writer was killed at, once the
/// database is connected again: each
/// table file verifies, each branch has its View record and each record its branch, and each
/// word table equals a rebuild from its table unless it is marked as waiting for one.
void expectWhole(const QString& folder, const QString& scratch) {
    {
        // Connecting the database, as the next program does, finishes what the killed one left.
        db::Database database;
        database.SetDatabaseName(QStringLiteral("KilledWriterCheck"));
        database.SetDirectory(folder);
        database.Open();
    }
    for (const QString& file : QDir(folder).entryList({"*.db", "*.DB"}, QDir::Files)) {
        const db::VerifyResult v = db::VerifyTableFile(folder, file);
        EXPECT_EQ(v.Level, 0) << file.toStdString() << ": " << v.Problems.join("; ").toStdString();
    }
    std::vector<QString> viewTables;
    {
        db::Table settings;
        settings.SetDatabaseName(folder);
        settings.SetTableName(core::kSettingsTableName);
        settings.SetReadOnly(true);
        settings.Open();
        core::SetSettingsTable(&settings);
        const int count = core::ReadRegInt("Views", "Control", "Counts", "ViewCount", 0);
        for (int v = 0; v < count; ++v)
            viewTables.push_back(core::ReadRegString("Views", core::ViewKeyNumber(v), "Layout", "DataTableName", {}));
        core::SetSettingsTable(nullptr);
    }
    const auto rows = hierarchyRows(folder);
    {
        // Each NodeID once, and each branch's parent a branch (or the root).
        db::Table h;
        h.SetDatabaseName(folder);
        h.SetTableName("Hierarchy.DB");
        h.SetReadOnly(true);
        h.Open();
        EXPECT_EQ(size_t(h.RecordCount()), rows.size()) << "a NodeID stands more than once";
        for (const auto& [id, r] : rows) EXPECT_TRUE(r.parent == 0 || rows.count(r.parent)) << "orphan branch " << id;
    }
    for (size_t v = 0; v < viewTables.size(); ++v) {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(core::ViewTableFile(viewTables[v]));
        t.SetReadOnly(true);
        t.Open();
        std::set<int> records;
        for (t.First(); !t.Eof(); t.Next()) records.insert(t.FieldByName("NodeID")->AsInteger());
        for (int id : records) {
            auto it = rows.find(id);
            EXPECT_TRUE(it != rows.end() && it->second.type == int(v)) << "record without its branch: " << id;
        }
        for (const auto& [id, r] : rows) {
            if (r.type == int(v)) {
                EXPECT_TRUE(records.count(id)) << "branch without its record: " << id;
            }
        }
    }
    std::vector<std::pair<QString, QString>> indexes = {{"Hierarchy.DB", "HierarchyDict.db"}};
    for (const QString& name : viewTables) indexes.push_back({core::ViewTableFile(name), core::ViewDictTableFile(name)});
    for (const auto& [table, dict] : indexes) {
        SCOPED_TRACE(dict.toStdString());
        db::Table words;
        words.SetDatabaseName(folder);
        words.SetTableName(dict);
        words.SetReadOnly(true);
        words.Open();
        const bool pending = words.Locate("tsWord", {TtsWordsTableLink::PendingWord()});
        words.Close();
        if (pending) continue;
        QDir(scratch).removeRecursively();
        QDir().mkpath(scratch);
        db::CopyTableFile(folder, table, scratch, table);
        // The titles alone are indexed in the hierarchy; a View's index covers its text fields.
        const QStringList fields = table == "Hierarchy.DB" ? QStringList{"NodeName"}
                                                           : core::TextFieldNames(db::ReadTableDef(folder, table));
        core::BuildWordIndex(scratch, table, dict, fields);
        const QStringList live = sortedRows(folder, dict), rebuilt = sortedRows(scratch, dict);
        EXPECT_EQ(live.size(), rebuilt.size());
        for (qsizetype i = 0; i < std::min(live.size(), rebuilt.size()); ++i)
            if (live[i] != rebuilt[i]) {
                ADD_FAILURE() << "row " << i << "\n" << live[i].left(300).toStdString() << "\n" << rebuilt[i].left(300).toStdString();
                break;
            }
    }
}

/// Every file of a folder (hidden ones too) with a hash of its bytes.
std::map<QString, QByteArray> folderFiles(const QString& folder) {
    std::map<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) files[name] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
    }
    return files;
}

/// A copy of every file of a folder (hidden ones too: the journals and commit records a killed
/// program left) under another path, as a user copies or moves a folder.
void copyFolderAs(const QString& from, const QString& to) {
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    const QDir dir(from);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        ASSERT_TRUE(QFile::copy(dir.filePath(name), QDir(to).filePath(name))) << name.toStdString();
}

/// Starts the branch editor on the folder and waits until it has opened the database.
void startEditor(QProcess& editor, const QTemporaryDir& dir, const QString& folder, int seed, bool shared) {
    editor.setProgram(QStringLiteral(DOSSARA_BRANCH_EDITOR));
    QStringList arguments = {folder, dir.filePath("Library"), shared ? dir.filePath(QStringLiteral("config-%1").arg(seed)) : dir.filePath("config"),
                             QString::number(seed)};
    if (shared) arguments << QStringLiteral("shared");
    editor.setArguments(arguments);
    editor.start();
    ASSERT_TRUE(editor.waitForStarted());
    QByteArray said;
    while (!said.contains("open\n") && editor.waitForReadyRead(60000)) said += editor.readAllStandardOutput();
    ASSERT_TRUE(said.contains("open\n")) << editor.readAllStandardError().toStdString();
}

/// Kills the branch editor at random moments while it adds, edits, copies, moves and deletes
/// branches (with `second`, beside another editor on the same folder that goes on a while
/// after the kill, then is killed too). After each kill the folder is first copied to another
/// path and opened there: the copy must come out whole and the original stay untouched; then
/// the original itself must be whole.
void killLoop(bool second) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("Db");
    for (const auto& [from, to] : {std::pair{QStringLiteral("Sample"), folder},
                                   std::pair{QStringLiteral("Library"), dir.filePath("Library")}}) {
        QDir().mkpath(to);
        for (const QString& name : QDir(QStringLiteral(DOSSARA_BIN_DIR "/") + from).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(QStringLiteral(DOSSARA_BIN_DIR "/") + from + "/" + name, to + "/" + name));
    }
    ASSERT_NO_FATAL_FAILURE(expectWhole(folder, dir.filePath("rebuild")));  // the fixture itself
    std::mt19937 random(second ? 47 : 43);
    const int rounds = testsupport::LoopLength(3, 40);
    std::map<std::string, int> changes;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(round);
        QProcess other;
        if (second) {
            ASSERT_NO_FATAL_FAILURE(startEditor(other, dir, folder, 1000 + round, true));
        }
        QProcess editor;
        ASSERT_NO_FATAL_FAILURE(startEditor(editor, dir, folder, round, second));
        // Somewhere in the first few changes: inside an add, an edit, a copy, a move or a delete.
        QThread::msleep(std::uniform_int_distribution<int>(0, 2500)(random));
        editor.kill();
        editor.waitForFinished();
        if (second) {
            // The other program goes on over what the killed one left, then dies too.
            QThread::msleep(std::uniform_int_distribution<int>(0, 1000)(random));
            other.kill();
            other.waitForFinished();
        }
        for (QProcess* p : {&editor, &other}) {
            if (p->program().isEmpty()) continue;  // no second program in this loop
            for (const QByteArray& line : p->readAllStandardOutput().split('\n'))
                if (!line.isEmpty() && line != "open") ++changes[line.toStdString()];
        }
        const auto original = folderFiles(folder);
        const QString moved = dir.filePath("Moved");
        ASSERT_NO_FATAL_FAILURE(copyFolderAs(folder, moved));
        {
            SCOPED_TRACE("the folder copied to another path");
            ASSERT_NO_FATAL_FAILURE(expectWhole(moved, dir.filePath("rebuild")));
        }
        EXPECT_EQ(folderFiles(folder), original) << "opening the copy changed the original folder";
        ASSERT_NO_FATAL_FAILURE(expectWhole(folder, dir.filePath("rebuild")));
    }
    for (const auto& [what, count] : changes) {
        ::testing::Test::RecordProperty(what, count);
        std::printf("%s: %d\n", what.c_str(), count);
    }
    EXPECT_GT(changes["add"], 0);
    EXPECT_GT(changes["edit"], 0);
}

TEST(KilledBranchEditor, adds_edits_copies_moves_and_deletes_killed_at_any_moment_leave_every_table_whole) {
    killLoop(false);
}

TEST(KilledBranchEditor, killed_beside_a_second_program_on_the_folder_leaves_every_table_whole) {
    killLoop(true);
}

}  // namespace
