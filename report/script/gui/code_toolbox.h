#pragma once

// The code toolbox: the panel at the right of the code editor. Three tabs offer the report's
// data fields (Data), the properties of its objects (Objects) and the items of the language
// (Language); every list entry can be dragged into the editor, where it becomes code: a field
// reference (Customer['Company']), a property reference (Label1.Caption) or a statement
// template. The drag carries the text as "application/x-dossara-code".

#include "report/script/gui/code_explorer.h"
#include "report/script/lang_info.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QSplitter;
class QTabBar;
class TppCustomReport;

/// What a drag from a list of the toolbox carries into the editor.
class TraToolDragDrop {
public:
    virtual ~TraToolDragDrop() = default;
    /// The text a list item becomes in the code.
    virtual QString DragText(const QTreeWidgetItem* aItem) const = 0;
};
/// A field: Pipeline['Alias'].
class TraFieldDragDrop : public TraToolDragDrop {
public:
    QString DragText(const QTreeWidgetItem* aItem) const override;
};
/// A property: Object.Property.
class TraPropertyDragDrop : public TraToolDragDrop {
public:
    QString DragText(const QTreeWidgetItem* aItem) const override;
};
/// A language item: its template.
class TraLanguageDragDrop : public TraToolDragDrop {
public:
    QString DragText(const QTreeWidgetItem* aItem) const override;
};

class TraToolExplorer;

/// The Language tab's tree: one root per category, one child per group.
class TraLanguageTreeBuilder : public TraExplorerBuilder {
public:
    explicit TraLanguageTreeBuilder(TraToolExplorer* aExplorer) : m_explorer(aExplorer) {}
    void Build() override;
    QString HelpKeyword() const override;

private:
    TraToolExplorer* m_explorer;
};

/// The Language tab's list: the items of the selected category and group (Name, Definition).
class TraLanguageListBuilder : public TraExplorerBuilder {
public:
    explicit TraLanguageListBuilder(TraToolExplorer* aExplorer) : m_explorer(aExplorer) {}
    void Build() override;
    QString HelpKeyword() const override;

private:
    TraToolExplorer* m_explorer;
};

/// The Objects tab's list: the properties of the selected object (Name, Type, Value, Read Only).
class TraPropertyListBuilder : public TraExplorerBuilder {
public:
    explicit TraPropertyListBuilder(TraToolExplorer* aExplorer) : m_explorer(aExplorer) {}
    void Build() override;
    QString HelpFile() const override;
    QString HelpKeyword() const override;

private:
    TraToolExplorer* m_explorer;
};

/// The Data tab's list: the fields of the selected pipeline (Name, Type, Size).
class TraFieldListBuilder : public TraExplorerBuilder {
public:
    explicit TraFieldListBuilder(TraToolExplorer* aExplorer) : m_explorer(aExplorer) {}
    void Build() override;
    QString HelpFile() const override;
    QString HelpKeyword() const override;

private:
    TraToolExplorer* m_explorer;
};

class TraToolExplorer : public QWidget {
    Q_OBJECT
public:
    explicit TraToolExplorer(QWidget* aParent = nullptr);
    ~TraToolExplorer() override;

    QTreeWidget* Tree() const { return m_tree; }
    TraReportListView* List() const { return m_list; }
    QSplitter* Splitter() const { return m_splitter; }
    TppCustomReport* Report() const { return m_report; }
    void SetReport(TppCustomReport* aReport);
    int Tab() const { return m_tab; }
    void SetTab(int aTab);
    /// The object the selected tree node shows.
    QObject* ListedObject() const;
    /// The code a list item becomes (empty for items of no tab).
    QString DragText(const QTreeWidgetItem* aItem) const;
    void SetListCaption(const QString& aText);
    QString TreeCaption() const;
    QString ListCaption() const;
    void LanguageChanged();
    void SaveState(int aIndex);
    void RestoreState(int aIndex);
    void Rebuild();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void treeChange();
    void startDrag();

    QTreeWidget* m_tree = nullptr;
    TraReportListView* m_list = nullptr;
    QLabel* m_treeCaption = nullptr;
    QLabel* m_listCaption = nullptr;
    QSplitter* m_splitter = nullptr;
    QPointer<TppCustomReport> m_report;
    int m_tab = -1;
    std::unique_ptr<TraExplorerBuilder> m_treeBuilder;
    std::unique_ptr<TraExplorerBuilder> m_listBuilder;
    std::unique_ptr<TraToolDragDrop> m_drag;
    script::gui::ExplorerState m_states[3];
    script::gui::ExplorerState m_saved;
    QPoint m_pressPoint;
    bool m_pressed = false;
    bool m_building = false;
};

class TraToolBox : public QWidget {
    Q_OBJECT
public:
    explicit TraToolBox(QWidget* aParent = nullptr);
    TraToolExplorer* Explorer() const { return m_explorer; }
    QTabBar* Tabs() const { return m_tabs; }
    void SetReport(TppCustomReport* aReport);
    void LanguageChanged();

private:
    TraToolExplorer* m_explorer = nullptr;
    QTabBar* m_tabs = nullptr;
};
