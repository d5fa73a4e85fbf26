#pragma once

// The builders that fill the designer's report views (report_tree_view.h). A tree builder
// lists the report's bands, groups and components (TppReportObjectTreeBuilder), only its
// bands (TppReportBandTreeBuilder), the report and its child reports (the outline), or the
// report's data pipelines with their fields (TppDataTreeBuilder). A list builder lists the
// bands of a report or the components of a band or region (TppObjectListBuilder), the
// variables of a band in calculation order (TppVariableListBuilder), or the fields of a
// pipeline with name, type and size (TppFieldListBuilder).
//
// A tree builder keeps, index by index in step, the objects that have nodes and the node
// captions; every Build rebuilds both. A builder is attached to one view at a time.

#include "report/designer/gui/report_tree_view.h"
#include "report/model/custom_data_pipeline.h"

#include <QList>
#include <QPointer>
#include <QStringList>

class TppBand;
class TppComponent;
class TppCustomReport;
class TppGroup;
class TppDataPipeline;

class TppTreeBuilder {
public:
    /// Attaches itself to the tree when one is given.
    explicit TppTreeBuilder(TppReportTreeView* aTree = nullptr);
    virtual ~TppTreeBuilder();
    TppTreeBuilder(const TppTreeBuilder&) = delete;
    TppTreeBuilder& operator=(const TppTreeBuilder&) = delete;

    // Virtual operations in slot order.
    /// Clears the tree's nodes and both lists.
    virtual void Build();
    /// For a selected node holding a component: its class name followed by "_Object;".
    virtual void GetHelpKeyword(QString& aKeyword);
    virtual void GetHelpFile(QString& aFile) { aFile = QStringLiteral("Marlisk.hlp"); }
    virtual void AddObjectNode(QObject* aObject);
    virtual void RemoveObjectNode(QObject* aObject);

    TppReportTreeView* Tree() const { return m_tree; }
    /// Used by the view's SetBuilder.
    void SetTree(TppReportTreeView* aTree) { m_tree = aTree; }
    int ImageIndexOfClass(const QString& aName) const;
    TppCustomReport* GetReport() const;
    bool FindNode(QObject* aObject, QTreeWidgetItem*& aNode) const;
    bool FindNodeByName(const QString& aName, QTreeWidgetItem*& aNode) const;
    /// The Data of the node when it is a report component, else nullptr.
    TppComponent* GetSelectedComponent(QTreeWidgetItem* aNode) const;
    void SelectFirstNode();
    /// The objects with nodes and their captions, in step.
    int ObjectCount() const { return int(m_objects.size()); }
    QObject* Objects(int aIndex) const { return m_objects.value(aIndex); }
    QStringList Captions() const { return m_captions; }

protected:
    /// Enters an object and its node caption into both lists.
    void enter(QObject* aObject, const QString& aCaption);
    void leave(QObject* aObject);
    int classImage(const QObject* aObject) const;

    TppReportTreeView* m_tree = nullptr;

private:
    QList<QPointer<QObject>> m_objects;
    QStringList m_captions;
};

/// The report node, its bands and their components (regions with their contents); with
/// ShowGroups also the groups holding their "Header" and "Footer" bands.
class TppReportObjectTreeBuilder : public TppTreeBuilder {
public:
    using TppTreeBuilder::TppTreeBuilder;
    void Build() override;
    void AddObjectNode(QObject* aObject) override;
    virtual QTreeWidgetItem* AddGroupNode(QTreeWidgetItem* aParent, TppGroup* aGroup);
    virtual void AddBandNode(QTreeWidgetItem* aParent, TppBand* aBand);
    virtual void AddComponentNode(QTreeWidgetItem* aParent, TppComponent* aComponent);

    bool ShowGroups = false;

protected:
    QTreeWidgetItem* m_reportNode = nullptr;
};

/// As the object tree without components.
class TppReportBandTreeBuilder : public TppReportObjectTreeBuilder {
public:
    using TppReportObjectTreeBuilder::TppReportObjectTreeBuilder;
    void AddComponentNode(QTreeWidgetItem* aParent, TppComponent* aComponent) override {
        Q_UNUSED(aParent);
        Q_UNUSED(aComponent);
    }
};

/// The report ("Main") and all its child reports under their parent reports.
class TppReportOutlineTreeBuilder : public TppTreeBuilder {
public:
    using TppTreeBuilder::TppTreeBuilder;
    void Build() override;
    void GetHelpKeyword(QString& aKeyword) override;
    void AddObjectNode(QObject* aObject) override;

private:
    void addChildNode(const QString& aCaption, TppCustomReport* aChild);
};

/// The report's data pipelines under their data views or master pipelines; with ShowFields
/// also their fields.
class TppDataTreeBuilder : public TppTreeBuilder {
public:
    explicit TppDataTreeBuilder(TppReportTreeView* aTree = nullptr);
    void Build() override;
    void GetHelpKeyword(QString& aKeyword) override;
    void AddObjectNode(QObject* aObject) override { AddPipelineNode(qobject_cast<TppDataPipeline*>(aObject)); }
    void AddPipelineNode(TppDataPipeline* aPipeline);

    bool ShowFields = false;
    TppDataPipelineList& PipelineList() { return m_pipelines; }

private:
    TppDataPipelineList m_pipelines;
    QPointer<QObject> m_listReport;
};

class TppListBuilder {
public:
    explicit TppListBuilder(TppReportListView* aList = nullptr);
    virtual ~TppListBuilder();
    TppListBuilder(const TppListBuilder&) = delete;
    TppListBuilder& operator=(const TppListBuilder&) = delete;

    // Virtual operations in slot order.
    /// Clears the items.
    virtual void Build();
    virtual void GetHelpKeyword(QString& aKeyword) { aKeyword.clear(); }
    virtual void GetHelpFile(QString& aFile) { aFile = QStringLiteral("Marlisk.hlp"); }
    virtual void LanguageChanged() {}
    virtual void MoveObject(QObject* aSource, QObject* aTarget) {
        Q_UNUSED(aSource);
        Q_UNUSED(aTarget);
    }
    /// An item with the object as Data and the glyph of its class.
    virtual void AddObject(QObject* aObject);
    virtual void RemoveObject(QObject* aObject);

    TppReportListView* List() const { return m_list; }
    void SetList(TppReportListView* aList) { m_list = aList; }
    int ImageIndexOfClass(const QString& aName) const;
    QObject* GetListedObject() const;
    /// The first item whose Data is the object.
    bool FindItem(QObject* aObject, QTreeWidgetItem*& aItem) const;

protected:
    /// A new item at aIndex (appended when aIndex is not below the item count).
    TppTreeNode* insertItem(int aIndex, const QString& aCaption, QObject* aData);
    int classImage(const QObject* aObject) const;
    TppReportListView* m_list = nullptr;
};

/// The bands of a report, or the components of a band or region.
class TppObjectListBuilder : public TppListBuilder {
public:
    explicit TppObjectListBuilder(TppReportListView* aList = nullptr);
    void Build() override;
    void AddObject(QObject* aObject) override;
    void MoveObject(QObject* aSource, QObject* aTarget) override;
    virtual void AddBandItem(TppBand* aBand);
    virtual void AddComponentItem(TppComponent* aComponent);
};

/// The variables of a band in calculation order; reordering changes CalcOrder.
class TppVariableListBuilder : public TppObjectListBuilder {
public:
    using TppObjectListBuilder::TppObjectListBuilder;
    void Build() override;
    void AddObject(QObject* aObject) override;
    void MoveObject(QObject* aSource, QObject* aTarget) override;
};

/// The fields of a data pipeline: Name, Type, Size.
class TppFieldListBuilder : public TppListBuilder {
public:
    explicit TppFieldListBuilder(TppReportListView* aList = nullptr);
    void Build() override;
    void AddObject(QObject* aObject) override;
    void LanguageChanged() override;
    void GetHelpKeyword(QString& aKeyword) override { aKeyword = QStringLiteral("TppField_Object;"); }
};

namespace report {
/// Declares the numbered texts of the report and data trees, the explorers and the auto
/// layout page. Safe to call any number of times.
void DeclareReportTreeTexts();
/// The name of a data type without its first two letters (dtString: "String").
QString ppDataTypeName(int aDataType);
}  // namespace report
