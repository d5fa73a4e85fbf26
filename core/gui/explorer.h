#pragma once

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QSet>
#include <QTreeWidget>
#include <QWidget>

class QAction;
class QCloseEvent;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolBar;
class TMainDataMod;
class TMainForm;

/// The hierarchy explorer: the dockable window showing the branch tree of the open
/// database (Hierarchy.DB) and the place where branches are added, renamed and deleted.
/// The selected branch is the program's current record: each selection change positions
/// Hierarchy.DB and the branch's View table on it (`TMainDataMod::LocateNode`), makes it
/// the View's current NodeID and posts UM_NODECHANGED to the View windows.
///
/// The tree is filled lazily: a load reads the roots only; the children of a branch are
/// read (Hierarchy.DB ordered on "ParentNodeID;NodeName", ranged on the parent) when the
/// branch is first expanded, together with which of them have children, so a branch with
/// children not yet read shows an expand button. Roots always show one until expanded.
///
/// States: empty (no database, or an empty Hierarchy.DB: only "&Add branch at this level"
/// is enabled) and loaded (a selection exists). `Loading()` is true while the tree is
/// filled or cleared. The window sits in the main window's left dock panel (docked) or is
/// a tool window of its own (floating); `SetDocked` moves it and the tree is read again.
///
/// The clipboard branch (cut or copy, pasted below the popup branch) and the popup branch
/// (the node the popup menu was opened on) are kept as NodeIDs, 0 for none, so a tree
/// read again never leaves them pointing at freed nodes. A cut branch is drawn dimmed.
///
/// While a View, note or tree note holds unsaved changes, every command that changes the
/// tree or the selection does nothing but let the window holding them ask to save or
/// cancel (the View layer's unsaved-changes test).
class TExplorer : public QWidget {
    Q_OBJECT
public:
    TExplorer(TMainForm* mainForm, TMainDataMod* data, QWidget* parent = nullptr);
    ~TExplorer() override;

    /// Item data roles: the NodeID, the NodeType and whether the children were read.
    static constexpr int kNodeIDRole = Qt::UserRole;
    static constexpr int kNodeTypeRole = Qt::UserRole + 1;
    static constexpr int kFilledRole = Qt::UserRole + 2;

    /// Rebuilds the tree (roots only) and selects the node of nodeID, reading the levels on
    /// its path (the first node when -1 or not found); with tellViews the selection is told.
    void LoadTree(int nodeID, bool tellViews);
    void ClearTree();
    /// The node of a NodeID, reading the levels on its path when needed; nullptr when none.
    QTreeWidgetItem* FindNodeByID(int nodeID);
    /// -1 with an empty tree; else positions the tables on the selected branch (selecting the
    /// first node when none is) and answers its NodeType.
    int CurrentViewIndex();
    bool HasSelection() const;
    void DisableAll();
    void RestoreEnabled();
    bool Loading() const { return m_loading; }

    /// Adds a branch beside (asChild false) or below the node; node null adds a root.
    void AddBranch(QTreeWidgetItem* node, bool asChild);
    /// Deletes the branch with all branches below it and their View records, in one
    /// transaction; with confirm the user is asked first.
    void DeleteBranch(QTreeWidgetItem* node, bool confirm);
    /// Drop rule: false when either is missing, when target is source or source's parent,
    /// or when source is an ancestor of target.
    static bool CanDropBranch(QTreeWidgetItem* source, QTreeWidgetItem* target);
    /// Copies (move false) or moves the source's subtree below the target after the user's
    /// confirmation (a drop of a drag). False when refused or declined.
    bool DropBranch(QTreeWidgetItem* source, QTreeWidgetItem* target, bool move);
    /// Copies the source's subtree below the target without asking: the copies get new
    /// NodeIDs, parents before children; with move the source's rows and records are deleted
    /// afterwards, only those that were copied, all in one database transaction, so a failure
    /// leaves the tables and the tree as they were (the user is told, false is answered).
    bool CopySubtree(QTreeWidgetItem* source, QTreeWidgetItem* target, bool move);
    /// Makes the branch a root (its NodeID and records kept) and reads the tree again.
    void MoveToRoot(QTreeWidgetItem* node);
    /// Docks the window into the main window's left dock panel or floats it at its screen
    /// position with its floating size; the "Dock" action and the Windows-menu "&Explorer"
    /// follow.
    void SetDocked(bool dock);
    bool Docked() const;
    /// NodeID of the clipboard branch (0 none) and whether it was cut.
    int ClipboardBranch() const { return m_clipboardID; }
    bool ClipboardCut() const { return m_clipboardCut; }

    QTreeWidget* TreeView = nullptr;
    QToolBar* ExplorerToolbar = nullptr;
    QAction *A_NewSibbling, *A_NewChild, *A_EditBranch, *A_DeleteBranch, *A_ExpandBranch, *A_CollapseBranch,
        *A_ExpandAll, *A_CollapseAll, *A_Refresh, *A_Dock, *A_Help;
    QAction *A_DeleteBranchRC, *A_CutBranch, *A_CopyBranch, *A_PasteBranch, *A_MoveToRoot;
    QMenu* PopupMenu = nullptr;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* makeAction(const char* name, const char* icon, const QString& caption, const QString& hint, int help,
                        const QKeySequence& shortcut = {});
    /// Reads the children of the node's branch (roots for null) into the tree, once.
    void fillChildren(QTreeWidgetItem* node);
    QTreeWidgetItem* makeNode(int nodeID, const QString& name, int nodeType);
    /// Adds to the parents set those of the NodeIDs that are some row's ParentNodeID.
    void readParents(const QList<int>& ids);
    void tellProgram(QTreeWidgetItem* node);
    void selectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    /// In a read-only database: tells the user that `what` (", a branch cannot be added")
    /// cannot be done and answers true.
    bool refuseReadOnly(const QString& what) const;
    /// Makes the loaded node of `id` the current and only selected item, telling nobody.
    void selectOnly(int id);
    void itemRenamed(QTreeWidgetItem* item);
    void setBranchActions(bool enable);
    /// Collects the subtree of a NodeID from Hierarchy.DB, children before their parents.
    void collectSubtree(int nodeID, QList<QPair<int, int>>& out);
    /// Rereads the children of a node that were read before (after a copy below it).
    void refillChildren(QTreeWidgetItem* node);
    bool unsavedChanges() const;
    QIcon viewIcon(int view);
    void expandAllBelow(QTreeWidgetItem* node, bool expand);
    /// Opens the popup menu on the node at a viewport position: the node becomes the
    /// selected node and the popup branch; Paste and Move to root are enabled for it.
    void showPopupMenu(const QPoint& pos);
    /// The popup branch, or the selected node when the command came from the keyboard.
    QTreeWidgetItem* popupOrSelected();
    /// A node already in the tree (no level is read); nullptr when none.
    QTreeWidgetItem* loadedNode(int nodeID) const;
    void setClipboard(int nodeID, bool cut);
    void clearClipboard() { setClipboard(0, false); }
    void pasteBranch();
    /// UM_BATCHUPDATE to every note window: 1 suspends, 0 resumes their change tracking.
    static void sendBatch(int on);

    QPointer<TMainForm> m_mainForm;
    QPointer<TMainDataMod> m_data;
    QSet<int> m_parents;       ///< NodeIDs known to have children (roots: assumed)
    bool m_loading = false;
    bool m_busy = false;
    bool m_renaming = false;   ///< the tree's own changes while an item is rewritten
    int m_lastBranchType = 0;
    int m_clipboardID = 0;      ///< NodeID of the clipboard branch, 0 none
    bool m_clipboardCut = false;
    int m_popupID = 0;          ///< NodeID of the popup branch, 0 none
    QSize m_floatingSize{260, 480};
    QHash<int, QIcon> m_icons;  ///< the small icon of each View index
};

/// The "Create New Branch" dialog: the title of a new branch and its View.
/// The explorer's tree view: a drag of a branch (Ctrl held: copy) is dropped through
/// `TExplorer::DropBranch`; the view never moves items itself.
class TExplorerTree : public QTreeWidget {
    Q_OBJECT
public:
    TExplorerTree(TExplorer* explorer, QWidget* parent);

    // Public so that a drop can be delivered without a platform drag (tests).
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    TExplorer* m_explorer;
};

class TNodeParmsForm : public QDialog {
    Q_OBJECT
public:
    explicit TNodeParmsForm(QWidget* parent = nullptr);
    void OKBtnClick();

    QPlainTextEdit* NodeName;
    QListWidget* ItemType;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
};

/// The "Create New Branch" dialog for a View index (in and out) and a title (out); false on
/// Cancel.
bool ShowNodeParmsDialog(QWidget* parent, int& viewIndex, QString& name);

namespace core {

/// The explorer window of the program (null while none exists).
TExplorer* Explorer();
/// Fills the View layer's StartExplorer and CloseExplorer entry points with the explorer
/// docked in this main window's left dock panel.
void InstallExplorer(TMainForm* mainForm);

}  // namespace core
