#include "report/designer/gui/report_tree_builders.h"

#include "report/model/band.h"
#include "report/model/band_classes.h"
#include "report/model/component.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/data_view.h"
#include "report/model/group.h"
#include "report/model/pipeline_field.h"
#include "report/model/region.h"
#include "report/model/report.h"
#include "report/model/subreport.h"
#include "report/model/variable.h"
#include "report/page/enum_type.h"
#include "report/page/report_types.h"
#include "report/page/resource_manager.h"

#include <QHeaderView>

namespace report {

void DeclareReportTreeTexts() {
    static const bool declared = [] {
        DeclareTexts({
            {3, "All"},
            {141, "Data"},
            {168, "Font"},
            {390, "Report Outline"},
            {391, "Report Tree"},
            {445, "Type"},
            {542, "Rena&me"},
            {569, "Name"},
            {583, "Size"},
            {612, "Layout"},
            {624, "Tabular"},
            {626, "Vertical"},
            {631, "Object Outline"},
            {632, "Show Titles"},
            {633, "Create"},
            {634, "Style"},
            {635, "Grid"},
            {636, "Labels"},
            {637, "Fields"},
            {638, "Refresh"},
            {639, "Data Tree"},
            {640, "<name> is not a valid identifier."},
            {641, "<name> is not a unique identifier."},
            {642, "Fields for <name>"},
        });
        return true;
    }();
    Q_UNUSED(declared);
}

QString ppDataTypeName(int aDataType) {
    const QStringList names = EnumTypeOf(TppDataType{}).values;
    return aDataType >= 0 && aDataType < names.size() ? names.at(aDataType).mid(2) : QString();
}

}  // namespace report

namespace {

QString userNameOf(const QObject* aObject) {
    if (auto* c = qobject_cast<const TppCommunicator*>(aObject)) return c->UserName();
    return aObject ? aObject->objectName() : QString();
}

QString classNameOf(const QObject* aObject) {
    return aObject ? QString::fromLatin1(aObject->metaObject()->className()) : QString();
}

bool isGroupBand(const TppBand* aBand) {
    return aBand && (aBand->BandType() == TppBandType::btGroupHeader || aBand->BandType() == TppBandType::btGroupFooter);
}

TppGroup* groupOfBand(const TppBand* aBand) {
    TppCustomReport* r = aBand ? aBand->Report() : nullptr;
    if (!r) return nullptr;
    for (int i = 0; i < r->GroupCount(); ++i) {
        TppGroup* g = r->Groups(i);
        if (static_cast<const TppBand*>(g->HeaderBand()) == aBand || static_cast<const TppBand*>(g->FooterBand()) == aBand)
            return g;
    }
    return nullptr;
}

/// The sub-report whose report is the child report; none for a main report.
TppSubReport* subReportOf(const TppCustomReport* aChild) {
    TppCustomReport* parent = aChild ? aChild->ParentReport() : nullptr;
    if (!parent) return nullptr;
    for (int b = 0; b < parent->BandCount(); ++b) {
        TppBand* band = parent->Bands(b);
        for (int i = 0; i < band->ObjectCount(); ++i)
            if (auto* sub = qobject_cast<TppSubReport*>(band->Objects(i)); sub && sub->Report() == aChild) return sub;
    }
    return nullptr;
}

/// The next component of the band with the same parent (region or band).
TppComponent* nextSibling(const TppComponent* aComponent) {
    TppBand* band = aComponent->Band();
    if (!band) return nullptr;
    for (int i = band->IndexOfObject(aComponent) + 1; i < band->ObjectCount(); ++i)
        if (band->Objects(i)->Region() == aComponent->Region()) return band->Objects(i);
    return nullptr;
}

}  // namespace

// TppTreeBuilder ----------------------------------------------------------------------------------

TppTreeBuilder::TppTreeBuilder(TppReportTreeView* aTree) {
    if (aTree) aTree->SetBuilder(this);
}

TppTreeBuilder::~TppTreeBuilder() {
    if (m_tree && m_tree->Builder() == this) m_tree->SetBuilder(nullptr);
}

void TppTreeBuilder::Build() {
    if (m_tree) m_tree->ClearNodes();
    m_objects.clear();
    m_captions.clear();
}

void TppTreeBuilder::GetHelpKeyword(QString& aKeyword) {
    aKeyword.clear();
    if (!m_tree) return;
    if (TppComponent* c = GetSelectedComponent(m_tree->currentItem())) aKeyword = classNameOf(c) + QStringLiteral("_Object;");
}

void TppTreeBuilder::AddObjectNode(QObject* aObject) {
    if (!m_tree || !aObject) return;
    QTreeWidgetItem* parent = nullptr;
    if (auto* c = qobject_cast<TppComponent*>(aObject)) FindNode(c->ComponentParent(), parent);
    const QString caption = userNameOf(aObject);
    m_tree->AddNode(parent, caption, aObject, classImage(aObject))->setSelected(false);
    enter(aObject, caption);
}

void TppTreeBuilder::RemoveObjectNode(QObject* aObject) {
    QTreeWidgetItem* node = nullptr;
    if (!FindNode(aObject, node)) return;
    for (int i = node->childCount() - 1; i >= 0; --i)
        if (auto* c = qobject_cast<TppComponent*>(ppNodeData(node->child(i)))) m_tree->RemoveObject(c);
    leave(aObject);
}

int TppTreeBuilder::ImageIndexOfClass(const QString& aName) const {
    return m_tree && m_tree->Images() ? m_tree->Images()->IndexOfClass(aName) : -1;
}

int TppTreeBuilder::classImage(const QObject* aObject) const { return ImageIndexOfClass(classNameOf(aObject)); }

TppCustomReport* TppTreeBuilder::GetReport() const {
    return m_tree ? qobject_cast<TppCustomReport*>(m_tree->Report()) : nullptr;
}

bool TppTreeBuilder::FindNode(QObject* aObject, QTreeWidgetItem*& aNode) const {
    aNode = nullptr;
    if (!m_tree || !aObject) return false;
    const int i = m_objects.indexOf(QPointer<QObject>(aObject));
    if (i < 0) return false;
    for (QTreeWidgetItem* n : m_tree->AllNodes())
        if (ppNodeData(n) == aObject) {
            aNode = n;
            return true;
        }
    return false;
}

bool TppTreeBuilder::FindNodeByName(const QString& aName, QTreeWidgetItem*& aNode) const {
    aNode = nullptr;
    if (!m_tree) return false;
    for (int i = 0; i < m_captions.size(); ++i)
        if (m_captions.at(i).compare(aName, Qt::CaseInsensitive) == 0 && m_objects.at(i) &&
            FindNode(m_objects.at(i), aNode))
            return true;
    for (QTreeWidgetItem* n : m_tree->AllNodes())
        if (n->text(0).compare(aName, Qt::CaseInsensitive) == 0) {
            aNode = n;
            return true;
        }
    return false;
}

TppComponent* TppTreeBuilder::GetSelectedComponent(QTreeWidgetItem* aNode) const {
    return qobject_cast<TppComponent*>(ppNodeData(aNode));
}

void TppTreeBuilder::SelectFirstNode() {
    if (!m_tree || m_tree->topLevelItemCount() == 0) return;
    m_tree->SelectNode(m_tree->topLevelItem(0));
    m_tree->scrollToItem(m_tree->topLevelItem(0));
}

void TppTreeBuilder::enter(QObject* aObject, const QString& aCaption) {
    m_objects.append(QPointer<QObject>(aObject));
    m_captions.append(aCaption);
}

void TppTreeBuilder::leave(QObject* aObject) {
    const int i = m_objects.indexOf(QPointer<QObject>(aObject));
    if (i < 0) return;
    m_objects.removeAt(i);
    m_captions.removeAt(i);
    if (!m_tree) return;
    for (QTreeWidgetItem* n : m_tree->AllNodes())
        if (ppNodeData(n) == aObject) {
            m_tree->DeleteNode(n);
            break;
        }
}

// TppReportObjectTreeBuilder ----------------------------------------------------------------------

void TppReportObjectTreeBuilder::Build() {
    TppTreeBuilder::Build();
    m_reportNode = nullptr;
    TppCustomReport* report = GetReport();
    if (!report || !m_tree) return;
    if (m_tree->ShowReportNode()) {
        QTreeWidgetItem* parent = nullptr;
        if (qobject_cast<TppChildReport*>(report)) {
            TppSubReport* sub = subReportOf(report);
            parent = m_tree->AddNode(nullptr, sub ? sub->UserName() : QString(), sub,
                                     ImageIndexOfClass(QStringLiteral("Continue")));
        }
        m_reportNode = m_tree->AddNode(parent, QStringLiteral("Report"), report, classImage(report));
        enter(report, QStringLiteral("Report"));
    }
    if (ShowGroups)
        for (int i = 0; i < report->GroupCount(); ++i) AddGroupNode(m_reportNode, report->Groups(i));
    for (int i = 0; i < report->BandCount(); ++i) {
        TppBand* band = report->Bands(i);
        if (ShowGroups && isGroupBand(band)) continue;
        AddBandNode(m_reportNode, band);
    }
    SelectFirstNode();
}

void TppReportObjectTreeBuilder::AddObjectNode(QObject* aObject) {
    if (!m_tree || !aObject) return;
    QTreeWidgetItem* parent = nullptr;
    if (auto* g = qobject_cast<TppGroup*>(aObject)) {
        FindNode(g->Report(), parent);
        AddGroupNode(parent, g);
    } else if (auto* b = qobject_cast<TppBand*>(aObject)) {
        if (ShowGroups && isGroupBand(b))
            FindNode(groupOfBand(b), parent);
        else
            FindNode(b->Report(), parent);
        AddBandNode(parent, b);
    } else if (auto* c = qobject_cast<TppComponent*>(aObject)) {
        FindNode(c->ComponentParent(), parent);
        AddComponentNode(parent, c);
    }
}

QTreeWidgetItem* TppReportObjectTreeBuilder::AddGroupNode(QTreeWidgetItem* aParent, TppGroup* aGroup) {
    if (!aGroup || !aGroup->Report() || !m_tree) return nullptr;
    TppCustomReport* report = aGroup->Report();
    const QString caption = QStringLiteral("Groups[%1]").arg(aGroup->GroupNo());
    QTreeWidgetItem* node = m_tree->AddNode(aParent, caption, aGroup, ImageIndexOfClass(QStringLiteral("TppGroup")));
    enter(aGroup, caption);
    const int index = report->IndexOfGroup(aGroup);
    const int position = node->parent() ? node->parent()->indexOfChild(node) : m_tree->indexOfTopLevelItem(node);
    if (index < report->GroupCount() - 1 && index != position) {
        QTreeWidgetItem* other = nullptr;
        if (FindNode(report->Groups(index + 1), other))
            m_tree->MoveNodeBefore(node, other);
        else if (index > 0 && FindNode(report->Groups(index - 1), other))
            m_tree->MoveNodeAfter(node, other);
    }
    AddBandNode(node, aGroup->HeaderBand());
    AddBandNode(node, aGroup->FooterBand());
    node->setExpanded(true);
    return node;
}

void TppReportObjectTreeBuilder::AddBandNode(QTreeWidgetItem* aParent, TppBand* aBand) {
    if (!aBand || !aBand->Report() || !m_tree) return;
    auto* report = qobject_cast<TppBandedReport*>(aBand->Report());
    QString caption = aBand->UserName();
    if (ShowGroups && aBand->BandType() == TppBandType::btGroupHeader) caption = QStringLiteral("Header");
    if (ShowGroups && aBand->BandType() == TppBandType::btGroupFooter) caption = QStringLiteral("Footer");
    QTreeWidgetItem* node = m_tree->AddNode(aParent, caption, aBand, ImageIndexOfClass(QStringLiteral("TppBand")));
    enter(aBand, caption);
    if (!(ShowGroups && isGroupBand(aBand))) {
        TppCustomReport* r = aBand->Report();
        const int index = r->IndexOfBand(aBand);
        const bool groups = ShowGroups && r->GroupCount() > 0;
        QObject* preceding = index > 0 ? r->Bands(index - 1) : nullptr;
        if (groups && aBand->BandType() == TppBandType::btDetail) preceding = r->Groups(r->GroupCount() - 1);
        QObject* following = index < r->BandCount() - 2 ? r->Bands(index + 1) : nullptr;
        if (groups && report) {
            if (aBand->BandType() == TppBandType::btDetail) {
                following = report->GetColumnFooterBand();
                if (!following) following = report->GetFooterBand();
                if (!following) following = report->GetSummaryBand();
            } else if ((aBand->BandType() == TppBandType::btHeader && !report->GetColumnHeaderBand()) ||
                       aBand->BandType() == TppBandType::btColumnHeader) {
                following = r->Groups(0);
            }
        }
        QTreeWidgetItem* precedingNode = nullptr;
        QTreeWidgetItem* followingNode = nullptr;
        if (preceding && FindNode(preceding, precedingNode)) {
            if (following && FindNode(following, followingNode) && followingNode->parent() == node->parent())
                m_tree->MoveNodeBefore(node, followingNode);
        } else {
            m_tree->MoveNodeFirst(node);
        }
    }
    for (int i = 0; i < aBand->ObjectCount(); ++i)
        if (!aBand->Objects(i)->Region()) AddComponentNode(node, aBand->Objects(i));
    node->setExpanded(true);
}

void TppReportObjectTreeBuilder::AddComponentNode(QTreeWidgetItem* aParent, TppComponent* aComponent) {
    if (!aParent || !aComponent || !m_tree) return;
    const QString caption = aComponent->UserName();
    QTreeWidgetItem* node = m_tree->AddNode(aParent, caption, aComponent, classImage(aComponent));
    enter(aComponent, caption);
    QTreeWidgetItem* nextNode = nullptr;
    if (TppComponent* next = nextSibling(aComponent); next && FindNode(next, nextNode) && nextNode->parent() == aParent)
        m_tree->MoveNodeBefore(node, nextNode);
    if (auto* region = qobject_cast<TppCustomRegion*>(aComponent)) {
        for (int i = 0; i < region->ObjectCount(); ++i) AddComponentNode(node, region->Objects(i));
        node->setExpanded(true);
    }
}

// TppReportOutlineTreeBuilder ---------------------------------------------------------------------

void TppReportOutlineTreeBuilder::Build() {
    TppTreeBuilder::Build();
    TppCustomReport* report = GetReport();
    if (!report || !m_tree) return;
    m_tree->AddNode(nullptr, QStringLiteral("Main"), report, classImage(report));
    enter(report, QStringLiteral("Main"));
    TppChildReportList children;
    report->GetAllChildReports(children);
    for (const auto& [caption, child] : children) {
        addChildNode(caption, child);
        m_tree->expandAll();
    }
    m_tree->expandAll();
    SelectFirstNode();
}

void TppReportOutlineTreeBuilder::addChildNode(const QString& aCaption, TppCustomReport* aChild) {
    QTreeWidgetItem* parent = nullptr;
    if (!FindNode(aChild->ParentReport(), parent)) return;
    QTreeWidgetItem* node = m_tree->AddNode(parent, aCaption, aChild, classImage(aChild));
    enter(aChild, aCaption);
    node->setExpanded(true);
}

void TppReportOutlineTreeBuilder::AddObjectNode(QObject* aObject) {
    auto* child = qobject_cast<TppChildReport*>(aObject);
    if (!child || !m_tree) return;
    TppSubReport* sub = subReportOf(child);
    const QString caption = sub ? sub->UserName() : child->UserName();
    QTreeWidgetItem* node = nullptr;
    if (FindNode(child, node)) {
        node->setText(0, caption);
        return;
    }
    addChildNode(caption, child);
    m_tree->expandAll();
}

void TppReportOutlineTreeBuilder::GetHelpKeyword(QString& aKeyword) {
    aKeyword.clear();
    if (!m_tree) return;
    QObject* o = m_tree->GetSelectedObject();
    if (qobject_cast<TppChildReport*>(o))
        aKeyword = QStringLiteral("TppSubReport_Object");
    else if (o)
        aKeyword = classNameOf(o) + QStringLiteral("_Object;");
}

// TppDataTreeBuilder ------------------------------------------------------------------------------

TppDataTreeBuilder::TppDataTreeBuilder(TppReportTreeView* aTree)
    : TppTreeBuilder(aTree), m_pipelines(aTree ? qobject_cast<TComponent*>(aTree->Report()) : nullptr) {
    m_listReport = aTree ? aTree->Report() : nullptr;
}

void TppDataTreeBuilder::Build() {
    TppTreeBuilder::Build();
    if (!m_tree) return;
    if (m_listReport != m_tree->Report()) {
        m_listReport = m_tree->Report();
        m_pipelines.SetCommunicator(qobject_cast<TComponent*>(m_tree->Report()));
    } else {
        m_pipelines.Refresh();
    }
    for (int i = 0; i < m_pipelines.Count(); ++i) AddPipelineNode(m_pipelines.Items(i));
    SelectFirstNode();
}

void TppDataTreeBuilder::AddPipelineNode(TppDataPipeline* aPipeline) {
    if (!aPipeline || !m_tree) return;
    QTreeWidgetItem* node = nullptr;
    if (FindNode(aPipeline, node)) return;
    QTreeWidgetItem* parent = nullptr;
    if (auto* view = qobject_cast<TdaDataView*>(aPipeline->Owner())) {
        if (!FindNode(view, parent)) {
            parent = m_tree->AddNode(nullptr, view->Name(), view, ImageIndexOfClass(QStringLiteral("TdaDataView")));
            enter(view, view->Name());
        }
    } else if (TppDataPipeline* master = aPipeline->MasterDataPipeline()) {
        FindNode(master, parent);
    }
    const QString caption = aPipeline->UserName();
    node = m_tree->AddNode(parent, caption, aPipeline, ImageIndexOfClass(QStringLiteral("TppDataPipeline")));
    enter(aPipeline, caption);
    if (ShowFields)
        for (int i = 0; i < aPipeline->FieldCount(); ++i)
            if (TppField* f = aPipeline->GetField(i))
                m_tree->AddNode(node, f->FieldAlias(), f, ImageIndexOfClass(QStringLiteral("TppField")));
    if (parent) parent->setExpanded(true);
}

void TppDataTreeBuilder::GetHelpKeyword(QString& aKeyword) {
    aKeyword.clear();
    QObject* o = m_tree ? m_tree->GetSelectedObject() : nullptr;
    if (!o) return;
    const QString name = classNameOf(o);
    if (name.contains(QLatin1String("Child")) && o->metaObject()->superClass())
        aKeyword = QString::fromLatin1(o->metaObject()->superClass()->className());
    else
        aKeyword = name + QStringLiteral("_Object;");
}

// TppListBuilder --------------------------------------------------------------------------------

TppListBuilder::TppListBuilder(TppReportListView* aList) {
    if (aList) aList->SetBuilder(this);
}

TppListBuilder::~TppListBuilder() {
    if (m_list && m_list->Builder() == this) m_list->SetBuilder(nullptr);
}

void TppListBuilder::Build() {
    if (m_list) m_list->clear();
}

void TppListBuilder::AddObject(QObject* aObject) {
    if (!m_list || !aObject) return;
    insertItem(m_list->topLevelItemCount(), userNameOf(aObject), aObject);
}

void TppListBuilder::RemoveObject(QObject* aObject) {
    QTreeWidgetItem* item = nullptr;
    if (FindItem(aObject, item)) delete item;
}

int TppListBuilder::ImageIndexOfClass(const QString& aName) const {
    return m_list && m_list->Images() ? m_list->Images()->IndexOfClass(aName) : -1;
}

int TppListBuilder::classImage(const QObject* aObject) const { return ImageIndexOfClass(classNameOf(aObject)); }

QObject* TppListBuilder::GetListedObject() const { return m_list ? m_list->ListedObject() : nullptr; }

bool TppListBuilder::FindItem(QObject* aObject, QTreeWidgetItem*& aItem) const {
    aItem = nullptr;
    if (!m_list || !aObject) return false;
    for (QTreeWidgetItem* item : m_list->Items())
        if (ppNodeData(item) == aObject) {
            aItem = item;
            return true;
        }
    return false;
}

TppTreeNode* TppListBuilder::insertItem(int aIndex, const QString& aCaption, QObject* aData) {
    auto* item = new TppTreeNode;
    item->Data = aData;
    item->setText(0, aCaption);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    const int image = classImage(aData);
    if (m_list->Images() && image >= 0) item->setIcon(0, m_list->Images()->Icon(image));
    const QSignalBlocker block(m_list);
    if (aIndex >= 0 && aIndex < m_list->topLevelItemCount())
        m_list->insertTopLevelItem(aIndex, item);
    else
        m_list->addTopLevelItem(item);
    return item;
}

// TppObjectListBuilder ----------------------------------------------------------------------------

TppObjectListBuilder::TppObjectListBuilder(TppReportListView* aList) : TppListBuilder(aList) {
    if (!m_list) return;
    m_list->clear();
    m_list->setColumnCount(1);
    m_list->setColumnWidth(0, 300);
    m_list->setHeaderHidden(true);
    m_list->setSortingEnabled(false);
}

void TppObjectListBuilder::Build() {
    TppListBuilder::Build();
    QObject* listed = GetListedObject();
    if (!listed || !m_list) return;
    m_list->setSortingEnabled(false);
    if (auto* r = qobject_cast<TppCustomReport*>(listed)) {
        for (int i = 0; i < r->BandCount(); ++i) AddObject(r->Bands(i));
    } else if (auto* region = qobject_cast<TppCustomRegion*>(listed)) {
        for (int i = 0; i < region->ObjectCount(); ++i) AddObject(region->Objects(i));
    } else if (auto* b = qobject_cast<TppBand*>(listed)) {
        for (int i = 0; i < b->ObjectCount(); ++i) AddObject(b->Objects(i));
    }
}

void TppObjectListBuilder::AddObject(QObject* aObject) {
    if (auto* c = qobject_cast<TppComponent*>(aObject))
        AddComponentItem(c);
    else if (auto* b = qobject_cast<TppBand*>(aObject))
        AddBandItem(b);
}

void TppObjectListBuilder::AddBandItem(TppBand* aBand) {
    if (m_list) insertItem(m_list->topLevelItemCount(), aBand->Caption(), aBand);
}

void TppObjectListBuilder::AddComponentItem(TppComponent* aComponent) {
    if (!m_list) return;
    int position = aComponent->Index();
    if (auto* region = qobject_cast<TppCustomRegion*>(aComponent->Region())) {
        position = -1;
        for (int i = 0; i < region->ObjectCount(); ++i)
            if (region->Objects(i) == aComponent) position = i;
    }
    insertItem(position, aComponent->UserName(), aComponent);
}

void TppObjectListBuilder::MoveObject(QObject* aSource, QObject* aTarget) {
    auto* source = qobject_cast<TppComponent*>(aSource);
    auto* target = qobject_cast<TppComponent*>(aTarget);
    if (!source || !target || !source->Band()) return;
    source->Band()->MoveObject(source->Index(), source->Band()->IndexOfObject(target));
}

// TppVariableListBuilder --------------------------------------------------------------------------

void TppVariableListBuilder::Build() {
    TppListBuilder::Build();
    auto* band = qobject_cast<TppBand*>(GetListedObject());
    if (!band) return;
    for (int i = 0; i < band->ObjectCount(); ++i)
        if (qobject_cast<TppVariable*>(band->Objects(i))) AddObject(band->Objects(i));
}

void TppVariableListBuilder::AddObject(QObject* aObject) {
    auto* v = qobject_cast<TppVariable*>(aObject);
    if (!v || !m_list) return;
    insertItem(v->CalcOrder(), v->UserName(), v);
}

void TppVariableListBuilder::MoveObject(QObject* aSource, QObject* aTarget) {
    auto* source = qobject_cast<TppVariable*>(aSource);
    auto* target = qobject_cast<TppVariable*>(aTarget);
    if (source && target) source->SetCalcOrder(target->CalcOrder());
}

// TppFieldListBuilder -----------------------------------------------------------------------------

TppFieldListBuilder::TppFieldListBuilder(TppReportListView* aList) : TppListBuilder(aList) {
    if (!m_list) return;
    m_list->clear();
    m_list->setColumnCount(3);
    m_list->setHeaderHidden(false);
    m_list->setColumnWidth(0, 130);
    m_list->setColumnWidth(1, 70);
    m_list->setColumnWidth(2, 35);
    m_list->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    m_list->setSortingEnabled(true);
    m_list->sortItems(0, Qt::AscendingOrder);
    LanguageChanged();
}

void TppFieldListBuilder::Build() {
    TppListBuilder::Build();
    auto* pipeline = qobject_cast<TppDataPipeline*>(GetListedObject());
    if (!pipeline) return;
    LanguageChanged();
    for (int i = 0; i < pipeline->FieldCount(); ++i) AddObject(pipeline->GetField(i));
}

void TppFieldListBuilder::AddObject(QObject* aObject) {
    auto* f = qobject_cast<TppField*>(aObject);
    if (!f || !m_list) return;
    TppTreeNode* item = insertItem(m_list->topLevelItemCount(), f->FieldAlias(), f);
    item->setText(1, report::ppDataTypeName(int(f->DataType())));
    if (f->FieldLength() > 0) item->setText(2, QString::number(f->FieldLength()));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
}

void TppFieldListBuilder::LanguageChanged() {
    if (!m_list) return;
    QTreeWidgetItem* h = m_list->headerItem();
    h->setText(0, ppGetMessageText(569));
    h->setText(1, ppGetMessageText(445));
    h->setText(2, ppGetMessageText(583));
    auto* pipeline = qobject_cast<TppDataPipeline*>(GetListedObject());
    m_list->SetCaption(pipeline ? report::MessageText(642, {pipeline->UserName()}) : QString());
}
