#pragma once

#include "platform/ui/window_message.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QAction;
class QEvent;
class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TAboutBox;
class TAddRegistryValue;
class TEditValue;
class TExportKey;
class TFinder;
class TMainData;
class TRecentFileList;

/// The settings-table editor's main window: the tree `RegTree` of Section > Key1 > Key2 in
/// the order of the table's primary index, the list `ValueList` of the rows of the selected
/// Key2, the toolbar, menus and status bar, and every command.
///
/// States:
/// - no table open (at start, and after an open failed): tree and list empty; the commands
///   that need a table are disabled.
/// - table open: the tree shows the table as it was when last rebuilt (open, Refresh, the end
///   of an import); edits change single nodes and list lines.
///
/// Each list line keeps the Variable of its row (Qt::UserRole of column 0), so that a line
/// whose Variable is empty (shown with the Key2's text) still names its own row.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    /// The window message the window posts itself after a placeholder row was written for a
    /// renamed new node; WParam is the node's level.
    static constexpr int UM_REFRESHTREE = ui::kWmUser + 100;

    TMainForm();
    ~TMainForm() override;

    // ---- components, named as the window's controls ----
    TMainData* MainData = nullptr;
    TRecentFileList* RecentFileList = nullptr;
    TEditValue* EditValue = nullptr;
    TAddRegistryValue* AddRegistryValue = nullptr;
    TFinder* Finder = nullptr;
    TAboutBox* AboutBox = nullptr;
    std::unique_ptr<TExportKey> ExportKey;  ///< a window of its own, not a child

    QTreeWidget* RegTree = nullptr;
    QTreeWidget* ValueList = nullptr;
    QStatusBar* StatusBar = nullptr;
    QToolBar* ToolBar = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SaveCopyBtn = nullptr;
    QToolButton* ImportBtn = nullptr;
    QToolButton* ExportBtn = nullptr;
    QToolButton* PrintBtn = nullptr;
    QToolButton* AddBtn = nullptr;
    QToolButton* EditBtn = nullptr;
    QToolButton* DeleteBtn = nullptr;
    QToolButton* FindBtn = nullptr;
    QToolButton* FindNextBtn = nullptr;
    QToolButton* RefreshBtn = nullptr;
    QToolButton* ExpandBtn = nullptr;
    QToolButton* RepairBtn = nullptr;
    QToolButton* HelpBtn = nullptr;
    QMenu* M_File = nullptr;
    QMenu* M_Edit = nullptr;
    QMenu* M_View = nullptr;
    QMenu* M_Help = nullptr;
    QMenu* PU_Tree = nullptr;
    QMenu* PU_Value = nullptr;

    /// The start-up step, called once before the event loop: opens `startPath` when given,
    /// else the most recent file when it still exists; restores the default cursor. Always
    /// answers true.
    bool Setup(const QString& startPath = {});

    /// Opens a settings table by full path and fills the tree; on failure shows the open
    /// error, leaves the table closed and the table commands disabled, and answers false.
    bool OpenRegistryFile(const QString& Path);
    void FillRegTree();
    /// Section, Key1 and Key2 of a node (the lower ones empty); three empty texts for none.
    void GetNodeKeys(QTreeWidgetItem* Node, QString& Section, QString& Key1, QString& Key2) const;
    void RegTreeChange(QTreeWidgetItem* Node);
    /// The in-place edit of `Node` (still holding its old text) was confirmed with `New`:
    /// renames the rows under the node, or writes a placeholder row for a node without rows.
    /// Answers false when the rename was refused because rows would collide (reported);
    /// the node then keeps its old text.
    bool RegTreeEdited(QTreeWidgetItem* Node, const QString& New);
    /// The in-place edit of a list line's caption (still the old one) was confirmed.
    void ValueListEdited(QTreeWidgetItem* Line, const QString& New);
    void FindItem(bool Advance);
    void DeleteKey();
    void DeleteValue();
    void ExecuteAddValue(QTreeWidgetItem* Node);
    void RecentFileListClick(QAction* Sender);

    /// Full path of the last table whose opening was started.
    QString CurrentPath() const { return m_currentPath; }
    /// True in the collapse state of the expand button (the tree is shown expanded).
    bool CollapseState() const { return m_collapseState; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Focus { None, Tree, List };

    void createControls();
    void createMenus();
    void connectCommands();

    void OpenBtnClick();
    void ImportBtnClick();
    void ExportBtnClick();
    void AddBtnClick();
    void EditBtnClick();
    void DeleteBtnClick();
    void FindBtnClick();
    void FindNextBtnClick();
    void ExpandBtnClick();
    void AddSectionKey();
    void AddSubkey();
    void EditKey();
    void EditSelectedValue();
    void ShowNotImplemented(const QString& text);
    void UMRefreshTree(qintptr WParam);
    void SetExpandState(bool collapseState);
    void ExpandAll();
    void CollapseAll();
    void EnableTableCommands(bool enabled);
    void focusMoved(QWidget* now);
    int nodeLevel(QTreeWidgetItem* node) const;
    /// The settings table's file name as `folder` spells it, or the usual spelling.
    static QString settingsFileIn(const QString& folder);
    void commitTreeEdit(QTreeWidgetItem* node, const QString& text);
    void commitListEdit(QTreeWidgetItem* line, const QString& text);

    QLabel* m_pathPanel = nullptr;
    QLabel* m_versionPanel = nullptr;
    QAction* m_printAction = nullptr;
    QAction* m_repairAction = nullptr;
    QAction* m_repairDivider = nullptr;
    QString m_currentPath;
    bool m_collapseState = false;
    Focus m_focus = Focus::None;
    /// The application's focus changes reach focusMoved through this connection; it is cut
    /// first thing in the destructor, since the application outlives the window and focus
    /// moves while the window's children are destroyed.
    QMetaObject::Connection m_focusConnection;
    QString m_searchText;  ///< upper-cased (a to z only)
};
