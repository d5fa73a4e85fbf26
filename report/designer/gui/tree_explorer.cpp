#include "report/designer/gui/tree_explorer.h"

#include "report/model/communicator.h"
#include "report/model/component.h"
#include "report/model/custom_report.h"
#include "report/page/resource_manager.h"

#include <QBoxLayout>
#include <QSet>
#include <QSplitter>

TppCustomTreeExplorer::TppCustomTreeExplorer(QWidget* aParent, bool aVertical)
    : TppCustomTreeExplorer(aParent, aVertical, Deferred{}) {
    CreateControls();
}

TppCustomTreeExplorer::TppCustomTreeExplorer(QWidget* aParent, bool aVertical, Deferred)
    : m_parent(aParent), m_vertical(aVertical) {
    report::DeclareReportTreeTexts();
}

TppCustomTreeExplorer::~TppCustomTreeExplorer() {
    // The views may outlive the explorer (they belong to the parent control): detach them.
    if (m_tree) {
        m_tree->OnChange = nullptr;
        m_tree->OnEditing = nullptr;
        m_tree->OnEdited = nullptr;
        m_tree->OnMessage = nullptr;
        m_tree->OnAfterRebuild = nullptr;
    }
    if (m_list) {
        m_list->OnAfterRefresh = nullptr;
        m_list->OnEditing = nullptr;
        m_list->OnEdited = nullptr;
        m_list->OnMessage = nullptr;
    }
    m_treeBuilder.reset();
    m_listBuilder.reset();
}

void TppCustomTreeExplorer::CreateControls() {
    m_images = new TppClassImageList(m_parent);
    m_splitter = new QSplitter(m_vertical ? Qt::Vertical : Qt::Horizontal, m_parent);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setHandleWidth(2);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setCursor(m_vertical ? Qt::SplitVCursor : Qt::SplitHCursor);
    if (!m_parent->layout()) {
        auto* l = new QVBoxLayout(m_parent);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
    }
    m_parent->layout()->addWidget(m_splitter);

    m_treePanel = new QWidget(m_splitter);
    m_treePanel->setObjectName(QStringLiteral("TreePanel"));
    auto* tl = new QVBoxLayout(m_treePanel);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->setSpacing(0);
    m_treeCaption = new TppBevel(m_treePanel);
    m_treeCaption->setObjectName(QStringLiteral("TreeCaption"));
    tl->addWidget(m_treeCaption);
    m_tree = TreeViewClass(m_treePanel);
    m_tree->setObjectName(QStringLiteral("TreeView"));
    tl->addWidget(m_tree);
    m_tree->SetImages(m_images);
    m_tree->OnChange = [this](QObject* s, QTreeWidgetItem* n) { TreeChange(s, n); };
    m_tree->OnEditing = [this](QObject* s, QTreeWidgetItem* n, bool& a) { TreeEditing(s, n, a); };
    m_tree->OnEdited = [this](QObject* s, QTreeWidgetItem* n, QString& t) { TreeEdited(s, n, t); };
    m_tree->OnMessage = [this](QObject*, const QString& t) { DoMessage(t); };
    m_tree->OnAfterRebuild = [this](QObject*) { TreeRebuilt(); };

    m_listPanel = new QWidget(m_splitter);
    m_listPanel->setObjectName(QStringLiteral("ListPanel"));
    auto* ll = new QVBoxLayout(m_listPanel);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->setSpacing(0);
    m_listCaption = new TppBevel(m_listPanel);
    m_listCaption->setObjectName(QStringLiteral("ListCaption"));
    ll->addWidget(m_listCaption);
    m_list = ListViewClass(m_listPanel);
    m_list->setObjectName(QStringLiteral("ListView"));
    ll->addWidget(m_list);
    m_list->SetImages(m_images);
    m_list->OnAfterRefresh = [this](QObject*) { ListRefreshed(); };
    m_list->OnEditing = [this](QObject* s, QTreeWidgetItem* i, bool& a) { ListEditing(s, i, a); };
    m_list->OnEdited = [this](QObject* s, QTreeWidgetItem* i, QString& t) { ListEdited(s, i, t); };
    m_list->OnMessage = [this](QObject*, const QString& t) { DoMessage(t); };

    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    const int half = (m_vertical ? m_parent->height() : m_parent->width()) / 2;
    if (m_vertical)
        m_splitter->setSizes({std::max(half, 1), std::max(m_parent->height() - half, 1)});
    else
        m_splitter->setSizes({250, std::max(m_parent->width() - 250, 1)});
}

TppReportTreeView* TppCustomTreeExplorer::TreeViewClass(QWidget* aParent) { return new TppReportTreeView(aParent); }
TppReportListView* TppCustomTreeExplorer::ListViewClass(QWidget* aParent) { return new TppReportListView(aParent); }

void TppCustomTreeExplorer::ListRefreshed() { m_listCaption->SetCaption(m_list->Caption()); }

void TppCustomTreeExplorer::DoMessage(const QString& aText) {
    if (OnMessage) OnMessage(this, aText);
}
void TppCustomTreeExplorer::DoBeforeRename() {
    if (OnBeforeRename) OnBeforeRename(this);
}
void TppCustomTreeExplorer::DoAfterRename() {
    if (OnAfterRename) OnAfterRename(this);
}

void TppCustomTreeExplorer::SetReport(QObject* aReport) {
    m_report = aReport;
    m_list->SetListedObject(nullptr);
    m_tree->SetReport(aReport);
    if (auto* r = qobject_cast<TppCustomReport*>(aReport)) SetLanguage(r->LanguageIndex());
}

void TppCustomTreeExplorer::TreeRebuilt() {
    QTreeWidgetItem* node = m_tree->currentItem();
    m_list->TreeNode = node;
    m_list->SetListedObject(ppNodeData(node));
}

void TppCustomTreeExplorer::TreeChange(QObject* Sender, QTreeWidgetItem* Node) {
    if (m_tree->Rebuilding()) return;
    m_list->BeginUpdate();
    m_list->clear();
    m_list->TreeNode = Node;
    m_list->SetListedObject(ppNodeData(Node));
    m_list->EndUpdate();
    if (OnTreeChange) OnTreeChange(Sender, Node);
}

void TppCustomTreeExplorer::LanguageChanged() {
    m_list->LanguageChanged();
    m_listCaption->SetCaption(m_list->Caption());
}

void TppCustomTreeExplorer::TreeEditing(QObject*, QTreeWidgetItem* Node, bool& AllowEdit) {
    AllowEdit = qobject_cast<TppComponent*>(ppNodeData(Node)) != nullptr;
}

void TppCustomTreeExplorer::TreeEdited(QObject*, QTreeWidgetItem* Node, QString& Text) {
    if (QObject* o = ppNodeData(Node)) rename(o, Text);
}

void TppCustomTreeExplorer::ListEditing(QObject*, QTreeWidgetItem* Item, bool& AllowEdit) {
    AllowEdit = qobject_cast<TppComponent*>(ppNodeData(Item)) != nullptr;
}

void TppCustomTreeExplorer::ListEdited(QObject*, QTreeWidgetItem* Item, QString& Text) {
    if (QObject* o = ppNodeData(Item)) rename(o, Text);
}

void TppCustomTreeExplorer::rename(QObject* aObject, QString& aText) {
    auto* c = qobject_cast<TppCommunicator*>(aObject);
    if (!c) return;
    DoBeforeRename();
    const QString old = c->UserName();
    c->SetUserName(aText);
    if (c->UserName() != aText) {
        const int number = report::IsValidIdent(aText) ? 641 : 640;
        // A taken name is numbered by the object ("Title1"): the refusal keeps the old name.
        if (c->UserName() != old) c->SetUserName(old);
        DoMessage(report::MessageText(number, {aText}));
        aText = c->UserName();
        return;
    }
    DoAfterRename();
}

void TppCustomTreeExplorer::SetTreeBuilder(std::unique_ptr<TppTreeBuilder> aBuilder) {
    m_treeBuilder = std::move(aBuilder);
    if (m_treeBuilder) m_tree->SetBuilder(m_treeBuilder.get());
}

void TppCustomTreeExplorer::SetListBuilder(std::unique_ptr<TppListBuilder> aBuilder) {
    m_listBuilder = std::move(aBuilder);
    if (m_listBuilder) m_list->SetBuilder(m_listBuilder.get());
}

void TppCustomTreeExplorer::SetLanguage(int aIndex) {
    if (aIndex == m_language) return;
    m_language = aIndex;
    LanguageChanged();
}

void TppCustomTreeExplorer::SetShowCaptions(bool aValue) {
    m_showCaptions = aValue;
    m_treeCaption->setVisible(aValue);
    m_listCaption->setVisible(aValue);
}

void TppCustomTreeExplorer::SetTreeCaption(const QString& aText) { m_treeCaption->SetCaption(aText); }
void TppCustomTreeExplorer::SetListCaption(const QString& aText) { m_listCaption->SetCaption(aText); }

void TppCustomTreeExplorer::SaveState(int aSlot) {
    if (!m_treeStates) m_treeStates = std::make_unique<TppTreeStates>(m_tree);
    if (!m_listStates) m_listStates = std::make_unique<TppListStates>(m_list);
    m_treeStates->SaveState(aSlot);
    m_listStates->SaveState(aSlot);
}

void TppCustomTreeExplorer::RestoreState(int aSlot) {
    if (m_treeStates) m_treeStates->RestoreState(aSlot);
    if (m_listStates) m_listStates->RestoreState(aSlot);
}

void TppCustomTreeExplorer::ClearStates() {
    if (m_treeStates) m_treeStates->Clear();
    if (m_listStates) m_listStates->Clear();
}

// TppDataExplorer ---------------------------------------------------------------------------------

TppDataExplorer::TppDataExplorer(QWidget* aParent, bool aVertical)
    : TppCustomTreeExplorer(aParent, aVertical, Deferred{}) {
    CreateControls();
    SetShowCaptions(false);
    ListCaption()->setVisible(true);
    TreeView()->SetShowReportNode(true);
    SetTreeBuilder(std::make_unique<TppDataTreeBuilder>(TreeView()));
    TppReportListView* list = ListView();
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->SetImages(TreeView()->Images());
    SetListBuilder(std::make_unique<TppFieldListBuilder>(list));
    Splitter()->setSizes({71, 300});
    m_selectionHook = connect(list, &QTreeWidget::itemSelectionChanged, this, &TppDataExplorer::selectionChanged);
}

TppDataExplorer::~TppDataExplorer() { disconnect(m_selectionHook); }

void TppDataExplorer::selectionChanged() {
    QList<QObject*> selected;
    for (QTreeWidgetItem* item : ListView()->selectedItems())
        if (QObject* o = ppNodeData(item)) selected << o;
    for (int i = m_selectionOrder.size() - 1; i >= 0; --i)
        if (!m_selectionOrder.at(i) || !selected.contains(m_selectionOrder.at(i).data())) m_selectionOrder.removeAt(i);
    // Items that became selected join at the end, in list order (a range selected at once).
    for (QTreeWidgetItem* item : ListView()->Items())
        if (item->isSelected())
            if (QObject* o = ppNodeData(item); o && !m_selectionOrder.contains(QPointer<QObject>(o)))
                m_selectionOrder.append(QPointer<QObject>(o));
}

void TppDataExplorer::GetSelectedFields(QList<QObject*>& aList) const {
    aList.clear();
    QList<QObject*> selected;
    for (QTreeWidgetItem* item : ListView()->selectedItems())
        if (QObject* o = ppNodeData(item)) selected << o;
    for (const QPointer<QObject>& o : m_selectionOrder)
        if (o && selected.contains(o.data())) aList << o.data();
}
