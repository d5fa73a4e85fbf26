#pragma once

// The tool window of one data view on the Data page: its caption is the view's description,
// a row of flat buttons offers the view's actions (the query designer's pages, the SQL text,
// the preview), and below them the view's pipelines as a tree over the fields of a pipeline.
// A pop-up menu repeats the actions and adds Delete. The window does not act on its own: it
// records the chosen action in the view (DesignAction) and calls the Data page back.
//
// The window is a sub-window of the Data page's workspace (a QMdiArea stands in for the
// scroll box of tool windows); Left, Top, Width and Height are its place in that workspace.

#include "report/data/data_dictionary.h"
#include "report/data/data_view.h"

#include <QMdiSubWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QSplitter;
class TppDataPipeline;
class TppListView;

/// Builds the window's tree: one node per pipeline of the data view, in order, under its
/// master's node when the master is one of the view's pipelines. Each node carries its
/// pipeline (QObject* in Qt::UserRole).
class TdaDataTreeBuilder {
public:
    explicit TdaDataTreeBuilder(QTreeWidget* aTree) : m_tree(aTree) {}
    TdaDataView* DataView() const { return m_dataView; }
    void SetDataView(TdaDataView* aView) { m_dataView = aView; }
    /// Clears the tree, then adds the pipeline nodes.
    void Build();
    /// The node of the pipeline; null when none.
    QTreeWidgetItem* PipelineNode(TppDataPipeline* aPipeline) const;

private:
    QTreeWidget* m_tree;
    QPointer<TdaDataView> m_dataView;
};

class TdaDataViewToolWin : public QMdiSubWindow {
    Q_OBJECT
public:
    /// The number of the actions (0 to 8) of a view's tool window.
    static constexpr int kActionCount = 9;

    explicit TdaDataViewToolWin(QWidget* aParent = nullptr);
    ~TdaDataViewToolWin() override;

    TdaDataView* DataView() const { return m_dataView; }
    /// Attaches the view: caption, content, tree rebuilt and expanded.
    void SetDataView(TdaDataView* aView);
    /// Lets go of the view and empties the tree and list (the view is being freed).
    void DetachDataView();
    /// Caption and tree again (after the view was edited).
    void Refresh();
    void LanguageChanged(int aIndex);
    int LanguageIndex() const { return m_languageIndex; }
    /// The view's Left, Top, Width and Height become the window's.
    void StorePlacement();

    /// Records the action in the view, calls OnAction, then UpdateActions.
    void ActionClick(int aAction);
    /// Enables the buttons and pop-up items of actions 1 to 8 by the view's EnabledActions.
    void UpdateActions();
    /// The delete question (message 724); Yes calls OnDelete.
    void DeleteClick();
    bool ConfirmDelete();
    void TreeChange();

    std::function<void(TdaDataViewToolWin* Sender)> OnAction;
    std::function<void(TdaDataViewToolWin* Sender)> OnDelete;

    // The window's parts (for the Data page and tests).
    QWidget* Toolbar() const { return m_toolbar; }
    QTreeWidget* Tree() const { return m_tree; }
    TppListView* List() const { return m_list; }
    QMenu* PopupMenu() const { return m_popup; }
    TdaDataTreeBuilder* TreeBuilder() const { return m_builder.get(); }

    /// The picture name, text number and default text of an action.
    static QString ActionGlyph(int aAction);
    static int ActionTextId(int aAction);

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void BuildContent();
    void BuildToolbar();
    void BuildPopupMenu();
    void clearContent();

    QPointer<TdaDataView> m_dataView;
    int m_languageIndex = 0;
    QWidget* m_client = nullptr;
    QWidget* m_toolbar = nullptr;
    QSplitter* m_explorer = nullptr;
    QTreeWidget* m_tree = nullptr;
    TppListView* m_list = nullptr;
    QMenu* m_popup = nullptr;
    std::unique_ptr<TdaDataTreeBuilder> m_builder;
};
