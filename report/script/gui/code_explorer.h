#pragma once

// The code explorer: the upper pane of the code workspace. A tree of report objects or of the
// code module's sections over a list of the slots where programs live. Three views:
//   0 Variables: bands in the tree, their variables in the list (one OnCalc handler each);
//   1 Events:    report objects in the tree, the selected object's events in the list;
//   2 Module:    the module's sections in the tree, their programs in the list.
// Every node and item shows whether its programs compile (state 0 none, 1 not compiled,
// 2 compiled): list items by their image, tree nodes by a red or green marker and caption.
//
// Slot kinds carried by every list item: 0 event handler, 1 global procedure, 2 global
// function, 3 global variables, 4 global constants, 5 GlobalOnCreate, 6 GlobalOnDestroy,
// 7 none (nothing can be created).

#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QMenu;
class QSplitter;
class TppCustomReport;
class TraCodeModule;
class TraProgram;

/// The OrvelOptions bits.
enum TraOrvelOptionBits {
    roViewVariablesBit = 1,
    roEditVariablesBit = 2,
    roViewEventsBit = 4,
    roEditEventsBit = 8,
    roViewGlobalsBit = 16,
    roEditGlobalsBit = 32,
};

/// The program state of a set of programs: 1 when any is not compiled, else 2 when there is
/// any, else 0.
int raProgramState(const std::vector<TraProgram*>& aPrograms);

/// The list of slots: each item keeps its object, program and slot kind.
class TraReportListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TraReportListView(QWidget* aParent = nullptr);
    /// Adds an item (image 1), selected.
    QTreeWidgetItem* AddItem(const QString& aCaption, int aKind);
    static int KindOf(const QTreeWidgetItem* aItem);
    static void SetKind(QTreeWidgetItem* aItem, int aKind);
    static QObject* ObjectOf(const QTreeWidgetItem* aItem);
    static void SetObject(QTreeWidgetItem* aItem, QObject* aObject);
    /// The item's program (none when it holds none).
    static TraProgram* ProgramOf(const QTreeWidgetItem* aItem);
    static void SetProgram(QTreeWidgetItem* aItem, TraProgram* aProgram);
    /// Sets every item's image from its program's state.
    void RefreshImages();
    static QIcon StateImage(int aState);
    /// Item reordering (the Variables view): a drop passes both items' objects on.
    void SetItemReordering(bool aValue);
    std::function<void(QObject* aDragged, QObject* aTarget)> OnReorder;
    /// The caption over the list.
    QString ListCaption;

protected:
    void dropEvent(QDropEvent* e) override;
};

class TraTreeNodeProgramStates;

/// The tree: each node keeps its object and section kind; nodes are painted with their
/// program state.
class TraReportTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TraReportTreeView(QWidget* aParent = nullptr);
    ~TraReportTreeView() override;
    static QObject* ObjectOf(const QTreeWidgetItem* aItem);
    static int SectionOf(const QTreeWidgetItem* aItem);
    void SetStates(std::unique_ptr<TraTreeNodeProgramStates> aStates);
    TraTreeNodeProgramStates* States() const { return m_states.get(); }
    /// Recomputes the node states and repaints.
    void RefreshStates(TraCodeModule* aModule);
    QTreeWidgetItem* FindNodeByName(const QString& aCaption) const;
    /// The marker images (5 x 9): 0 green filled, 1 green outline, 2 red filled, 3 red outline.
    static QPixmap Marker(int aIndex);

private:
    std::unique_ptr<TraTreeNodeProgramStates> m_states;
};

/// The program states of the tree's nodes: per node the programs that belong to it, and the
/// state raised by its children (children processed first).
class TraTreeNodeProgramStates {
public:
    virtual ~TraTreeNodeProgramStates() = default;
    struct NodeState {
        std::vector<TraProgram*> programs;
        int state = 0;
        bool own = false;  ///< the state comes from the node's own programs
    };
    void Compute(QTreeWidget* aTree, TraCodeModule* aModule);
    NodeState StateOf(const QTreeWidgetItem* aNode) const { return m_states.value(aNode); }

protected:
    virtual std::vector<TraProgram*> ProgramsOf(const QTreeWidgetItem* aNode, TraCodeModule* aModule) const = 0;

private:
    int computeNode(QTreeWidgetItem* aNode, TraCodeModule* aModule);
    QHash<const QTreeWidgetItem*, NodeState> m_states;
};

class TraBandTreeNodeProgramStates : public TraTreeNodeProgramStates {
protected:
    std::vector<TraProgram*> ProgramsOf(const QTreeWidgetItem* aNode, TraCodeModule* aModule) const override;
};
class TraObjectTreeNodeProgramStates : public TraTreeNodeProgramStates {
protected:
    std::vector<TraProgram*> ProgramsOf(const QTreeWidgetItem* aNode, TraCodeModule* aModule) const override;
};
class TraModuleTreeNodeProgramStates : public TraTreeNodeProgramStates {
protected:
    std::vector<TraProgram*> ProgramsOf(const QTreeWidgetItem* aNode, TraCodeModule* aModule) const override;
};

/// A filler of the explorer's tree or list, with its help file and keyword.
class TraExplorerBuilder {
public:
    virtual ~TraExplorerBuilder() = default;
    virtual void Build() = 0;
    virtual QString HelpFile() const { return QStringLiteral("Orvel.hlp"); }
    virtual QString HelpKeyword() const = 0;
};

class TraCodeExplorer;

/// The Module view's tree: Global (Declarations, Events, Programs) and Event Handlers.
class TraCodeModuleTreeBuilder : public TraExplorerBuilder {
public:
    explicit TraCodeModuleTreeBuilder(TraCodeExplorer* aExplorer) : m_explorer(aExplorer) {}
    void Build() override;
    QString HelpKeyword() const override;

private:
    TraCodeExplorer* m_explorer;
};

/// The Module view's list: the programs of the selected section, along the chain of modules.
class TraCodeModuleListBuilder : public TraExplorerBuilder {
public:
    explicit TraCodeModuleListBuilder(TraCodeExplorer* aExplorer) : m_explorer(aExplorer) {}
    void Build() override;
    QString HelpKeyword() const override;

private:
    TraCodeExplorer* m_explorer;
};

/// The Variables view's list: the band's variables in calculation order with their handlers.
class TraVariableListBuilder : public TraExplorerBuilder {
public:
    explicit TraVariableListBuilder(TraCodeExplorer* aExplorer) : m_explorer(aExplorer) {}
    void Build() override;
    QString HelpFile() const override;
    QString HelpKeyword() const override;
    /// The dragged variable takes the target's calculation order.
    static void Reorder(QObject* aDragged, QObject* aTarget);

private:
    TraCodeExplorer* m_explorer;
};

/// The Events view's list: the events of the listed object with their handlers.
class TraEventListBuilder : public TraExplorerBuilder {
public:
    explicit TraEventListBuilder(TraCodeExplorer* aExplorer) : m_explorer(aExplorer) {}
    void Build() override;
    QString HelpFile() const override;
    QString HelpKeyword() const override;

private:
    TraCodeExplorer* m_explorer;
};

namespace script::gui {
/// Fills a tree with the report's bands (groups' bands included), under the report.
void FillBandTree(QTreeWidget* aTree, TppCustomReport* aReport);
/// Fills a tree with the report's objects: groups with their bands, bands with their
/// components.
void FillObjectTree(QTreeWidget* aTree, TppCustomReport* aReport);
/// Fills a tree with the data pipelines the report reaches.
void FillDataTree(QTreeWidget* aTree, TppCustomReport* aReport);
/// The caption of a report object in trees and lists: "Report", a band's description, else
/// the user name.
QString ObjectCaption(QObject* aObject);
/// The per-view saved state: the selected node's path, expanded paths, the list selection.
struct ExplorerState {
    QStringList selectedPath;
    QList<QStringList> expanded;
    QString listSelection;
    bool valid = false;
};
ExplorerState SaveExplorerState(QTreeWidget* aTree, QTreeWidget* aList);
void RestoreExplorerState(const ExplorerState& aState, QTreeWidget* aTree, QTreeWidget* aList);
}  // namespace script::gui

class TraCodeExplorer : public QWidget {
    Q_OBJECT
public:
    explicit TraCodeExplorer(QWidget* aParent = nullptr);
    ~TraCodeExplorer() override;

    TraReportTreeView* Tree() const { return m_tree; }
    TraReportListView* List() const { return m_list; }
    QSplitter* Splitter() const { return m_splitter; }
    QMenu* TreePopup() const { return m_treePopup; }

    TppCustomReport* Report() const { return m_report; }
    void SetReport(TppCustomReport* aReport);
    int View() const { return m_view; }
    void SetView(int aView);
    int Options() const { return m_options; }
    void SetOptions(int aFlags);
    /// The code module of the report the tree shows.
    TraCodeModule* CodeModule() const;
    /// The object the list shows (the selected node's object).
    QObject* ListedObject() const;
    QObject* SelectedObject() const;
    TraProgram* SelectedProgram() const;
    QTreeWidgetItem* SelectedItem() const;
    int SelectedKind() const;
    bool IsReadOnly() const;
    void ShowProgram(TraProgram* aProgram);
    void RefreshStates();
    /// Rebuilds tree and list (keeping the selection where it can).
    void Rebuild();
    void RebuildList();
    void LanguageChanged();
    /// The tree's selection changed: the list shows the selected node's object.
    void TreeChange();
    void SaveState(int aIndex);
    void RestoreState(int aIndex);
    void ClearStates();
    QString TreeCaption() const;
    QString ListCaption() const;
    /// Tree updates are suspended (the workspace's first activation).
    bool SuspendRebuild = false;

    std::function<void()> OnListChange;
    std::function<void()> OnBeforeRebuild;
    std::function<void()> OnAfterRebuild;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void setCaptions(const QString& aTree, const QString& aList);
    void fillTree();
    QString helpKeyword() const;

    TraReportTreeView* m_tree = nullptr;
    TraReportListView* m_list = nullptr;
    QLabel* m_treeCaption = nullptr;
    QLabel* m_listCaption = nullptr;
    QSplitter* m_splitter = nullptr;
    QMenu* m_treePopup = nullptr;
    QPointer<TppCustomReport> m_report;
    int m_view = 0;
    int m_options = 63;
    std::unique_ptr<TraExplorerBuilder> m_treeBuilder;
    std::unique_ptr<TraExplorerBuilder> m_listBuilder;
    script::gui::ExplorerState m_treeStates[3];
    script::gui::ExplorerState m_savedSlots[1];
    bool m_building = false;
};
