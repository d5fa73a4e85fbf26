#pragma once

// A report tree view above (or beside) a report list view, each under a caption bar, with a
// splitter between them, built inside a given parent control: selecting a node lists its
// object; nodes and items holding report components are renamed in place. The explorer owns
// the builders its owner attaches and the saved-state stores; the controls belong to the
// parent control. TppDataExplorer is the body of the designer's data tree window: pipelines
// over their fields, with the fields picked by the user kept in the order picked.

#include "report/designer/gui/report_tree_builders.h"
#include "report/designer/gui/report_tree_view.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QSplitter;

class TppCustomTreeExplorer : public QObject {
    Q_OBJECT
public:
    /// Builds the controls with the standard view classes.
    TppCustomTreeExplorer(QWidget* aParent, bool aVertical);
    ~TppCustomTreeExplorer() override;

    // Virtual operations in slot order.
    /// The tree view to create (the standard report tree view).
    virtual TppReportTreeView* TreeViewClass(QWidget* aParent);
    virtual TppReportListView* ListViewClass(QWidget* aParent);
    /// The list was refreshed: the list caption bar shows the list's Caption.
    virtual void ListRefreshed();
    virtual void DoMessage(const QString& aText);
    virtual void DoBeforeRename();
    virtual void DoAfterRename();
    /// Stores the report, empties the list, gives the report to the tree and takes its language.
    virtual void SetReport(QObject* aReport);
    virtual void TreeRebuilt();
    virtual void TreeChange(QObject* Sender, QTreeWidgetItem* Node);
    virtual void LanguageChanged();
    virtual void TreeEditing(QObject* Sender, QTreeWidgetItem* Node, bool& AllowEdit);
    virtual void TreeEdited(QObject* Sender, QTreeWidgetItem* Node, QString& Text);
    virtual void ListEditing(QObject* Sender, QTreeWidgetItem* Item, bool& AllowEdit);
    virtual void ListEdited(QObject* Sender, QTreeWidgetItem* Item, QString& Text);

    QWidget* ParentControl() const { return m_parent; }
    TppClassImageList* Images() const { return m_images; }
    TppReportTreeView* TreeView() const { return m_tree; }
    TppReportListView* ListView() const { return m_list; }
    QWidget* TreePanel() const { return m_treePanel; }
    QWidget* ListPanel() const { return m_listPanel; }
    TppBevel* TreeCaption() const { return m_treeCaption; }
    TppBevel* ListCaption() const { return m_listCaption; }
    QSplitter* Splitter() const { return m_splitter; }

    /// The builders attached by the owner (freed by the explorer).
    TppTreeBuilder* TreeBuilder() const { return m_treeBuilder.get(); }
    TppListBuilder* ListBuilder() const { return m_listBuilder.get(); }
    void SetTreeBuilder(std::unique_ptr<TppTreeBuilder> aBuilder);
    void SetListBuilder(std::unique_ptr<TppListBuilder> aBuilder);

    QObject* Report() const { return m_report; }
    int Language() const { return m_language; }
    void SetLanguage(int aIndex);
    bool ShowCaptions() const { return m_showCaptions; }
    void SetShowCaptions(bool aValue);
    void SetTreeCaption(const QString& aText);
    void SetListCaption(const QString& aText);
    void SaveState(int aSlot);
    void RestoreState(int aSlot);
    void ClearStates();

    std::function<void(QObject* Sender, const QString& Text)> OnMessage;
    std::function<void(QObject* Sender)> OnBeforeRename;
    std::function<void(QObject* Sender)> OnAfterRename;
    std::function<void(QObject* Sender, QTreeWidgetItem* Node)> OnTreeChange;

protected:
    /// For descendants that install their own view classes: builds nothing yet; the
    /// descendant's constructor calls CreateControls.
    struct Deferred {};
    TppCustomTreeExplorer(QWidget* aParent, bool aVertical, Deferred);
    void CreateControls();
    /// Rename in place of the object of a node or item.
    void rename(QObject* aObject, QString& aText);

private:
    QWidget* m_parent;
    bool m_vertical;
    QPointer<TppClassImageList> m_images;
    QWidget* m_treePanel = nullptr;
    TppBevel* m_treeCaption = nullptr;
    TppReportTreeView* m_tree = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_listPanel = nullptr;
    TppBevel* m_listCaption = nullptr;
    TppReportListView* m_list = nullptr;
    std::unique_ptr<TppTreeBuilder> m_treeBuilder;
    std::unique_ptr<TppListBuilder> m_listBuilder;
    QPointer<QObject> m_report;
    int m_language = 0;
    bool m_showCaptions = true;
    std::unique_ptr<TppTreeStates> m_treeStates;
    std::unique_ptr<TppListStates> m_listStates;
};

/// The data tree window's body: the report's pipelines (71 pixels) over the field list (read
/// only, several fields at once), with the fields in the order the user picked them.
class TppDataExplorer : public TppCustomTreeExplorer {
    Q_OBJECT
public:
    TppDataExplorer(QWidget* aParent, bool aVertical);
    ~TppDataExplorer() override;
    /// The Data of the items still selected, in the order they were selected.
    void GetSelectedFields(QList<QObject*>& aList) const;
    TppDataTreeBuilder* DataTreeBuilder() const { return static_cast<TppDataTreeBuilder*>(TreeBuilder()); }

private:
    void selectionChanged();
    QList<QPointer<QObject>> m_selectionOrder;
    QMetaObject::Connection m_selectionHook;
};
