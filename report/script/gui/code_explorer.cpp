#include "report/script/gui/code_explorer.h"

#include "report/script/code_module.h"
#include "report/script/gui/script_gui_texts.h"
#include "report/script/members.h"
#include "report/script/program.h"
#include "report/model/band.h"
#include "report/model/band_classes.h"
#include "report/model/component.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/group.h"
#include "report/model/report.h"
#include "report/model/subreport.h"
#include "report/model/variable.h"
#include "report/page/resource_manager.h"

#include "platform/ui/run_guarded.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kObjectRole = Qt::UserRole;
constexpr int kProgramRole = Qt::UserRole + 1;
constexpr int kKindRole = Qt::UserRole + 2;
constexpr int kSectionRole = Qt::UserRole + 3;

QTreeWidgetItem* addNode(QTreeWidget* aTree, QTreeWidgetItem* aParent, const QString& aCaption, QObject* aObject,
                         int aSection = -1) {
    auto* item = aParent ? new QTreeWidgetItem(aParent) : new QTreeWidgetItem(aTree);
    item->setText(0, aCaption);
    item->setData(0, kObjectRole, QVariant::fromValue<QObject*>(aObject));
    item->setData(0, kSectionRole, aSection);
    return item;
}

std::vector<TppVariable*> variablesOf(TppBand* aBand) {
    std::vector<TppVariable*> list;
    if (!aBand) return list;
    for (int i = 0; i < aBand->ObjectCount(); ++i)
        if (auto* v = qobject_cast<TppVariable*>(aBand->Objects(i))) list.push_back(v);
    std::stable_sort(list.begin(), list.end(), [](TppVariable* a, TppVariable* b) { return a->CalcOrder() < b->CalcOrder(); });
    return list;
}


QString headingWithoutBreak(TraProgram* aProgram) {
    QString text = aProgram->GetHeading();
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

QString firstSourceLine(TraProgram* aProgram) {
    return aProgram->Source().section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char('\r'));
}

/// Draws a node's program state after the node was painted.
class StateDelegate : public QStyledItemDelegate {
public:
    explicit StateDelegate(TraReportTreeView* aTree) : QStyledItemDelegate(aTree), m_tree(aTree) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(p, option, index);
        if (!m_tree->States()) return;
        const QTreeWidgetItem* node = m_tree->itemFromIndex(index);
        const TraTreeNodeProgramStates::NodeState s = m_tree->States()->StateOf(node);
        if (s.state == 0) return;
        const bool selected = option.state & QStyle::State_Selected;
        if (!selected && s.own) {
            QStyleOptionViewItem o = option;
            initStyleOption(&o, index);
            p->save();
            p->fillRect(o.rect, o.palette.color(QPalette::Base));
            p->setPen(s.state == 1 ? QColor(0xFF, 0, 0) : QColor(0, 0x80, 0));
            QRect r = o.rect;
            if (!o.icon.isNull()) r.setLeft(r.left() + o.decorationSize.width() + 4);
            r.setLeft(r.left() + 3);
            p->drawText(r, Qt::AlignVCenter | Qt::AlignLeft, o.text);
            p->restore();
        }
        const int marker = s.own ? (s.state == 1 ? 2 : 0) : (s.state == 1 ? 3 : 1);
        // The marker sits in the indentation, left of the text.
        p->drawPixmap(option.rect.left() - 14, option.rect.top() + 4, TraReportTreeView::Marker(marker));
    }

private:
    TraReportTreeView* m_tree;
};

}  // namespace

int raProgramState(const std::vector<TraProgram*>& aPrograms) {
    if (aPrograms.empty()) return 0;
    for (TraProgram* p : aPrograms)
        if (!p->Compiled()) return 1;
    return 2;
}

// TraReportListView --------------------------------------------------------------------------------

TraReportListView::TraReportListView(QWidget* aParent) : QTreeWidget(aParent) {
    setRootIsDecorated(false);
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
}

QTreeWidgetItem* TraReportListView::AddItem(const QString& aCaption, int aKind) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, aCaption);
    item->setIcon(0, StateImage(1));
    SetKind(item, aKind);
    setCurrentItem(item);
    return item;
}

int TraReportListView::KindOf(const QTreeWidgetItem* aItem) {
    return aItem ? aItem->data(0, kKindRole).toInt() : 7;
}
void TraReportListView::SetKind(QTreeWidgetItem* aItem, int aKind) { aItem->setData(0, kKindRole, aKind); }
QObject* TraReportListView::ObjectOf(const QTreeWidgetItem* aItem) {
    return aItem ? aItem->data(0, kObjectRole).value<QObject*>() : nullptr;
}
void TraReportListView::SetObject(QTreeWidgetItem* aItem, QObject* aObject) {
    aItem->setData(0, kObjectRole, QVariant::fromValue<QObject*>(aObject));
}
TraProgram* TraReportListView::ProgramOf(const QTreeWidgetItem* aItem) {
    return aItem ? static_cast<TraProgram*>(aItem->data(0, kProgramRole).value<void*>()) : nullptr;
}
void TraReportListView::SetProgram(QTreeWidgetItem* aItem, TraProgram* aProgram) {
    aItem->setData(0, kProgramRole, QVariant::fromValue<void*>(aProgram));
}

void TraReportListView::RefreshImages() {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        TraProgram* p = ProgramOf(item);
        item->setIcon(0, StateImage(p ? raProgramState({p}) : 0));
    }
}

QIcon TraReportListView::StateImage(int aState) {
    // ppEventEmpty, ppEventNotCompiled, ppEventCompiled.
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = aState == 1 ? QColor(0xD0, 0, 0) : aState == 2 ? QColor(0, 0x80, 0) : QColor(0x80, 0x80, 0x80);
    p.setPen(colour);
    p.setBrush(aState == 0 ? QBrush(Qt::NoBrush) : QBrush(colour));
    p.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 2, 2);
    return QIcon(pm);
}

void TraReportListView::SetItemReordering(bool aValue) {
    setDragEnabled(aValue);
    setAcceptDrops(aValue);
    setDragDropMode(aValue ? QAbstractItemView::InternalMove : QAbstractItemView::NoDragDrop);
}

void TraReportListView::dropEvent(QDropEvent* e) {
    QTreeWidgetItem* target = itemAt(e->position().toPoint());
    QTreeWidgetItem* dragged = currentItem();
    e->ignore();
    if (!target || !dragged || target == dragged || !OnReorder) return;
    ui::RunGuarded(this, [&] { OnReorder(ObjectOf(dragged), ObjectOf(target)); });
}

// TraReportTreeView --------------------------------------------------------------------------------

TraReportTreeView::TraReportTreeView(QWidget* aParent) : QTreeWidget(aParent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(25);
    setItemDelegate(new StateDelegate(this));
}

TraReportTreeView::~TraReportTreeView() = default;

QObject* TraReportTreeView::ObjectOf(const QTreeWidgetItem* aItem) {
    return aItem ? aItem->data(0, kObjectRole).value<QObject*>() : nullptr;
}
int TraReportTreeView::SectionOf(const QTreeWidgetItem* aItem) {
    return aItem ? aItem->data(0, kSectionRole).toInt() : -1;
}

void TraReportTreeView::SetStates(std::unique_ptr<TraTreeNodeProgramStates> aStates) { m_states = std::move(aStates); }

void TraReportTreeView::RefreshStates(TraCodeModule* aModule) {
    if (m_states) m_states->Compute(this, aModule);
    viewport()->update();
}

QTreeWidgetItem* TraReportTreeView::FindNodeByName(const QString& aCaption) const {
    const QList<QTreeWidgetItem*> found = findItems(aCaption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

QPixmap TraReportTreeView::Marker(int aIndex) {
    QPixmap pm(5, 9);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QColor outline = aIndex < 2 ? QColor(0, 0x80, 0) : QColor(0xFF, 0, 0);
    const QColor fill = aIndex % 2 == 0 ? outline : QColor(Qt::white);
    p.setPen(outline);
    p.setBrush(fill);
    const QPoint corners[3] = {{0, 0}, {4, 4}, {0, 8}};
    p.drawPolygon(corners, 3);
    return pm;
}

// Program states ------------------------------------------------------------------------------------

void TraTreeNodeProgramStates::Compute(QTreeWidget* aTree, TraCodeModule* aModule) {
    m_states.clear();
    for (int i = 0; i < aTree->topLevelItemCount(); ++i) computeNode(aTree->topLevelItem(i), aModule);
}

int TraTreeNodeProgramStates::computeNode(QTreeWidgetItem* aNode, TraCodeModule* aModule) {
    NodeState s;
    int fromChildren = 0;
    bool childNotCompiled = false;
    for (int i = 0; i < aNode->childCount(); ++i) {
        const int c = computeNode(aNode->child(i), aModule);
        if (c == 1) childNotCompiled = true;
        if (c != 0) fromChildren = std::max(fromChildren, c);
    }
    if (aModule) s.programs = ProgramsOf(aNode, aModule);
    s.state = raProgramState(s.programs);
    s.own = s.state != 0;
    if (childNotCompiled) s.state = 1;
    else if (s.state == 0 && fromChildren != 0) s.state = fromChildren;
    m_states.insert(aNode, s);
    return s.state;
}

std::vector<TraProgram*> TraBandTreeNodeProgramStates::ProgramsOf(const QTreeWidgetItem* aNode,
                                                                  TraCodeModule* aModule) const {
    std::vector<TraProgram*> list;
    auto* band = qobject_cast<TppBand*>(TraReportTreeView::ObjectOf(aNode));
    if (!band) return list;
    for (TraProgram* p : aModule->EventHandlers()) {
        auto* h = static_cast<TraEventHandler*>(p);
        auto* v = qobject_cast<TppVariable*>(h->BoundObject());
        if (v && v->Band() == band) list.push_back(p);
    }
    return list;
}

std::vector<TraProgram*> TraObjectTreeNodeProgramStates::ProgramsOf(const QTreeWidgetItem* aNode,
                                                                    TraCodeModule* aModule) const {
    std::vector<TraProgram*> list;
    QObject* object = TraReportTreeView::ObjectOf(aNode);
    if (!object) return list;
    for (TraProgram* p : aModule->EventHandlers())
        if (static_cast<TraEventHandler*>(p)->BoundObject() == object) list.push_back(p);
    return list;
}

std::vector<TraProgram*> TraModuleTreeNodeProgramStates::ProgramsOf(const QTreeWidgetItem* aNode,
                                                                    TraCodeModule* aModule) const {
    std::vector<TraProgram*> list;
    const int section = TraReportTreeView::SectionOf(aNode);
    for (const TraCodeModule* m = aModule; m; m = GetParentCodeModule(m)) {
        switch (section) {
        case 1:
            if (m->ConstProgram()) list.push_back(m->ConstProgram());
            if (m->VarProgram()) list.push_back(m->VarProgram());
            break;
        case 2:
            if (m->GlobalOnCreate()) list.push_back(m->GlobalOnCreate());
            if (m->GlobalOnDestroy()) list.push_back(m->GlobalOnDestroy());
            break;
        case 3:
            list.insert(list.end(), m->GlobalPrograms().begin(), m->GlobalPrograms().end());
            break;
        case 4:
            if (m == aModule) list.insert(list.end(), m->EventHandlers().begin(), m->EventHandlers().end());
            break;
        default:
            break;
        }
    }
    return list;
}

// Tree fillers ------------------------------------------------------------------------------------

namespace script::gui {

QString ObjectCaption(QObject* aObject) {
    if (qobject_cast<TppCustomReport*>(aObject)) return QStringLiteral("Report");
    if (auto* band = qobject_cast<TppBand*>(aObject)) {
        const QString text = band->GetCaptionText();
        return text.isEmpty() ? band->UserName() : text;
    }
    if (auto* g = qobject_cast<TppGroup*>(aObject)) return g->Description();
    if (auto* c = qobject_cast<TppCommunicator*>(aObject)) return c->UserName();
    return aObject ? aObject->objectName() : QString();
}

void FillBandTree(QTreeWidget* aTree, TppCustomReport* aReport) {
    aTree->clear();
    if (!aReport) return;
    QTreeWidgetItem* root = addNode(aTree, nullptr, ObjectCaption(aReport), aReport);
    for (int i = 0; i < aReport->BandCount(); ++i) addNode(aTree, root, ObjectCaption(aReport->Bands(i)), aReport->Bands(i));
    root->setExpanded(true);
}

void FillObjectTree(QTreeWidget* aTree, TppCustomReport* aReport) {
    aTree->clear();
    if (!aReport) return;
    QTreeWidgetItem* root = addNode(aTree, nullptr, ObjectCaption(aReport), aReport);
    const auto addBand = [&](QTreeWidgetItem* parent, TppBand* band) {
        QTreeWidgetItem* node = addNode(aTree, parent, ObjectCaption(band), band);
        for (int j = 0; j < band->ObjectCount(); ++j) addNode(aTree, node, ObjectCaption(band->Objects(j)), band->Objects(j));
    };
    QList<TppGroup*> groupsDone;
    for (int i = 0; i < aReport->BandCount(); ++i) {
        TppBand* band = aReport->Bands(i);
        if (auto* gb = qobject_cast<TppGroupBand*>(band); gb && gb->Group()) {
            TppGroup* group = gb->Group();
            if (groupsDone.contains(group)) continue;
            groupsDone << group;
            QTreeWidgetItem* g = addNode(aTree, root, ObjectCaption(group), group);
            if (group->HeaderBand()) addBand(g, group->HeaderBand());
            if (group->FooterBand()) addBand(g, group->FooterBand());
            continue;
        }
        addBand(root, band);
    }
    root->setExpanded(true);
}

void FillDataTree(QTreeWidget* aTree, TppCustomReport* aReport) {
    aTree->clear();
    if (!aReport) return;
    QList<TppDataPipeline*> pipelines;
    const auto add = [&](TppDataPipeline* p) {
        if (p && !pipelines.contains(p)) pipelines << p;
    };
    add(aReport->DataPipeline());
    TppCustomReport* main = aReport->MainReport() ? aReport->MainReport() : aReport;
    if (QObject* owner = main->parent())
        for (TppDataPipeline* p : owner->findChildren<TppDataPipeline*>(Qt::FindDirectChildrenOnly)) add(p);
    std::sort(pipelines.begin(), pipelines.end(),
              [](TppDataPipeline* a, TppDataPipeline* b) { return a->UserName().compare(b->UserName(), Qt::CaseInsensitive) < 0; });
    for (TppDataPipeline* p : pipelines) addNode(aTree, nullptr, p->UserName(), p);
}

namespace {
QStringList pathOf(const QTreeWidgetItem* aItem) {
    QStringList path;
    for (const QTreeWidgetItem* i = aItem; i; i = i->parent()) path.prepend(i->text(0));
    return path;
}
QTreeWidgetItem* itemOfPath(QTreeWidget* aTree, const QStringList& aPath) {
    QTreeWidgetItem* found = nullptr;
    for (int depth = 0; depth < aPath.size(); ++depth) {
        QTreeWidgetItem* next = nullptr;
        const int count = found ? found->childCount() : aTree->topLevelItemCount();
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem* c = found ? found->child(i) : aTree->topLevelItem(i);
            if (c->text(0) == aPath[depth]) next = c;
        }
        if (!next) return found;
        found = next;
    }
    return found;
}
void collectExpanded(QTreeWidgetItem* aItem, QList<QStringList>& aList) {
    if (aItem->isExpanded()) aList << pathOf(aItem);
    for (int i = 0; i < aItem->childCount(); ++i) collectExpanded(aItem->child(i), aList);
}
}  // namespace

ExplorerState SaveExplorerState(QTreeWidget* aTree, QTreeWidget* aList) {
    ExplorerState s;
    s.valid = true;
    if (aTree->currentItem()) s.selectedPath = pathOf(aTree->currentItem());
    for (int i = 0; i < aTree->topLevelItemCount(); ++i) collectExpanded(aTree->topLevelItem(i), s.expanded);
    if (aList && aList->currentItem()) s.listSelection = aList->currentItem()->text(0);
    return s;
}

void RestoreExplorerState(const ExplorerState& aState, QTreeWidget* aTree, QTreeWidget* aList) {
    if (!aState.valid) return;
    for (const QStringList& path : aState.expanded)
        if (QTreeWidgetItem* i = itemOfPath(aTree, path); i && pathOf(i) == path) i->setExpanded(true);
    if (QTreeWidgetItem* i = itemOfPath(aTree, aState.selectedPath)) aTree->setCurrentItem(i);
    if (aList && !aState.listSelection.isEmpty()) {
        const QList<QTreeWidgetItem*> found = aList->findItems(aState.listSelection, Qt::MatchExactly);
        if (!found.isEmpty()) aList->setCurrentItem(found.first());
    }
}

}  // namespace script::gui

// Builders -------------------------------------------------------------------------------------------

void TraCodeModuleTreeBuilder::Build() {
    QTreeWidget* tree = m_explorer->Tree();
    tree->clear();
    QTreeWidgetItem* global = addNode(tree, nullptr, report::MessageText(940), nullptr, 0);
    addNode(tree, global, report::MessageText(929), nullptr, 1);
    addNode(tree, global, report::MessageText(901), nullptr, 2);
    addNode(tree, global, report::MessageText(962), nullptr, 3);
    addNode(tree, nullptr, report::MessageText(934), nullptr, 4);
    global->setExpanded(true);
    tree->setCurrentItem(global);
}

QString TraCodeModuleTreeBuilder::HelpKeyword() const {
    static const char* const parts[] = {"Global", "GlobalDeclarations", "GlobalEvents", "GlobalPrograms", "EventHandlers"};
    const int section = TraReportTreeView::SectionOf(m_explorer->Tree()->currentItem());
    if (section < 0 || section > 4) return QStringLiteral("Orvel_Explorer");
    return QString::fromLatin1(parts[section]) + QStringLiteral("_Orvel_CodeModule");
}

void TraCodeModuleListBuilder::Build() {
    TraReportListView* list = m_explorer->List();
    list->clear();
    list->setColumnWidth(0, 300);
    TraCodeModule* shown = m_explorer->CodeModule();
    const int section = TraReportTreeView::SectionOf(m_explorer->Tree()->currentItem());
    if (!shown || section <= 0) return;
    std::vector<const TraCodeModule*> chain;
    for (const TraCodeModule* m = shown; m; m = GetParentCodeModule(m)) chain.insert(chain.begin(), m);
    QStringList names;
    GetCodeModuleNames(shown, names);
    const auto add = [&](const TraCodeModule* m, int index, const QString& caption, TraProgram* program, int kind) {
        const bool own = m == shown;
        if (!own && !program) return;
        const QString prefix = own ? QString() : names.value(index) + QStringLiteral(": ");
        QTreeWidgetItem* item = list->AddItem(prefix + caption, kind);
        TraReportListView::SetProgram(item, program);
        item->setIcon(0, TraReportListView::StateImage(program ? raProgramState({program}) : 0));
    };
    for (int i = 0; i < int(chain.size()); ++i) {
        const TraCodeModule* m = chain[size_t(i)];
        // GetCodeModuleNames lists from this module up; chain runs from the top down.
        const int nameIndex = int(chain.size()) - 1 - i;
        switch (section) {
        case 1:
            add(m, nameIndex, QStringLiteral("Constants"), m->ConstProgram(), 4);
            add(m, nameIndex, QStringLiteral("Variables"), m->VarProgram(), 3);
            break;
        case 2:
            add(m, nameIndex, QStringLiteral("OnCreate"), m->GlobalOnCreate(), 5);
            add(m, nameIndex, QStringLiteral("OnDestroy"), m->GlobalOnDestroy(), 6);
            break;
        case 3:
            for (TraProgram* p : m->GlobalPrograms())
                add(m, nameIndex, firstSourceLine(p), p, p->ProgramType == TraTokenType::ttFunction ? 2 : 1);
            break;
        case 4:
            if (m == shown)
                for (TraProgram* p : m->EventHandlers()) add(m, nameIndex, headingWithoutBreak(p), p, 0);
            break;
        default:
            break;
        }
    }
    list->sortItems(0, Qt::AscendingOrder);
    list->setCurrentItem(nullptr);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (TraReportListView::ProgramOf(list->topLevelItem(i))) {
            list->setCurrentItem(list->topLevelItem(i));
            break;
        }
}

QString TraCodeModuleListBuilder::HelpKeyword() const {
    static const char* const parts[] = {"EventHandlers", "GlobalPrograms", "GlobalPrograms", "GlobalVariables",
                                        "GlobalConstants", "GlobalOnCreate", "GlobalOnDestroy", ""};
    QTreeWidgetItem* item = m_explorer->List()->currentItem();
    if (!item) return QStringLiteral("Orvel_Explorer");
    return QString::fromLatin1(parts[std::clamp(TraReportListView::KindOf(item), 0, 7)]) + QStringLiteral("_Orvel_CodeModule");
}

void TraVariableListBuilder::Build() {
    TraReportListView* list = m_explorer->List();
    list->clear();
    auto* band = qobject_cast<TppBand*>(m_explorer->ListedObject());
    for (TppVariable* v : variablesOf(band)) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, v->UserName());
        item->setIcon(0, TraReportListView::StateImage(0));
        TraReportListView::SetObject(item, v);
        TraReportListView::SetKind(item, 0);
    }
    if (TraCodeModule* module = m_explorer->CodeModule()) {
        for (TraProgram* p : module->EventHandlers()) {
            auto* h = static_cast<TraEventHandler*>(p);
            QObject* object = h->BoundObject();
            auto* c = qobject_cast<TppCommunicator*>(object);
            if (!c) continue;
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = list->topLevelItem(i);
                if (item->text(0).compare(c->UserName(), Qt::CaseInsensitive) != 0) continue;
                if (TraReportListView::ProgramOf(item) || TraReportListView::ObjectOf(item) != object) continue;
                TraReportListView::SetProgram(item, p);
                item->setIcon(0, TraReportListView::StateImage(raProgramState({p})));
            }
        }
    }
    list->setCurrentItem(nullptr);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (TraReportListView::ProgramOf(list->topLevelItem(i))) {
            list->setCurrentItem(list->topLevelItem(i));
            break;
        }
}

QString TraVariableListBuilder::HelpFile() const {
    return m_explorer->List()->currentItem() ? QStringLiteral("Marlisk.hlp") : QStringLiteral("Orvel.hlp");
}

QString TraVariableListBuilder::HelpKeyword() const {
    return m_explorer->List()->currentItem() ? QStringLiteral("TppVariable_OnCalc") : QStringLiteral("Orvel_Explorer");
}

void TraVariableListBuilder::Reorder(QObject* aDragged, QObject* aTarget) {
    auto* dragged = qobject_cast<TppVariable*>(aDragged);
    auto* target = qobject_cast<TppVariable*>(aTarget);
    if (!dragged || !target || dragged->Band() != target->Band()) return;
    dragged->SetCalcOrder(target->CalcOrder());
}

void TraEventListBuilder::Build() {
    TraReportListView* list = m_explorer->List();
    list->clear();
    list->setColumnWidth(0, 300);
    QObject* object = m_explorer->ListedObject();
    if (!object) return;
    TraPropList events;
    raGetClassManager().GetEventList(object->metaObject(), events);
    for (const QString& name : events.Names()) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, name);
        item->setIcon(0, TraReportListView::StateImage(0));
        TraReportListView::SetObject(item, object);
        TraReportListView::SetKind(item, 0);
    }
    list->sortItems(0, Qt::AscendingOrder);
    if (TraCodeModule* module = m_explorer->CodeModule()) {
        for (TraProgram* p : module->EventHandlers()) {
            auto* h = static_cast<TraEventHandler*>(p);
            QObject* bound = h->BoundObject();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = list->topLevelItem(i);
                if (item->text(0).compare(h->EventName(), Qt::CaseInsensitive) != 0) continue;
                if (TraReportListView::ProgramOf(item)) continue;
                if (bound && (TraReportListView::ObjectOf(item) != object || bound != object)) continue;
                if (!bound && h->ComponentName().compare(script::gui::ObjectCaption(object), Qt::CaseInsensitive) != 0 &&
                    !(qobject_cast<TppCommunicator*>(object) &&
                      h->ComponentName().compare(static_cast<TppCommunicator*>(object)->UserName(), Qt::CaseInsensitive) == 0))
                    continue;
                TraReportListView::SetProgram(item, p);
                item->setIcon(0, TraReportListView::StateImage(raProgramState({p})));
            }
        }
    }
    list->setCurrentItem(nullptr);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (TraReportListView::ProgramOf(list->topLevelItem(i))) {
            list->setCurrentItem(list->topLevelItem(i));
            break;
        }
}

QString TraEventListBuilder::HelpFile() const {
    return m_explorer->List()->currentItem() ? QStringLiteral("Marlisk.hlp") : QStringLiteral("Orvel.hlp");
}

QString TraEventListBuilder::HelpKeyword() const {
    QTreeWidgetItem* item = m_explorer->List()->currentItem();
    QObject* object = m_explorer->ListedObject();
    if (!item || !object) return QStringLiteral("Orvel_Explorer");
    return QString::fromLatin1(object->metaObject()->className()) + QLatin1Char('_') + item->text(0);
}

// TraCodeExplorer ------------------------------------------------------------------------------------

TraCodeExplorer::TraCodeExplorer(QWidget* aParent) : QWidget(aParent) {
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splExplorerPanes"));
    auto* treePane = new QWidget(m_splitter);
    auto* listPane = new QWidget(m_splitter);
    m_treeCaption = new QLabel(treePane);
    m_treeCaption->setObjectName(QStringLiteral("lblTreeCaption"));
    m_treeCaption->setFrameShape(QFrame::Panel);
    m_treeCaption->setFrameShadow(QFrame::Raised);
    m_tree = new TraReportTreeView(treePane);
    m_tree->setObjectName(QStringLiteral("tvwExplorer"));
    m_listCaption = new QLabel(listPane);
    m_listCaption->setObjectName(QStringLiteral("lblListCaption"));
    m_listCaption->setFrameShape(QFrame::Panel);
    m_listCaption->setFrameShadow(QFrame::Raised);
    m_list = new TraReportListView(listPane);
    m_list->setObjectName(QStringLiteral("lvwExplorer"));
    for (auto [pane, caption, view] : {std::tuple<QWidget*, QLabel*, QWidget*>{treePane, m_treeCaption, m_tree},
                                       {listPane, m_listCaption, m_list}}) {
        auto* l = new QVBoxLayout(pane);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        l->addWidget(caption);
        l->addWidget(view);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
    m_splitter->setSizes({250, 400});

    m_treePopup = new QMenu(this);
    m_treePopup->setObjectName(QStringLiteral("ppTreePopupMenu"));
    const std::pair<const char*, int> items[] = {{"mniVariables", 0}, {"mniEvents", 1}, {"mniModule", 2}};
    for (auto [name, view] : items) {
        QAction* a = m_treePopup->addAction(QString());
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, view = view] { ui::RunGuarded(this, [&] { SetView(view); }); });
    }
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { m_treePopup->popup(m_tree->viewport()->mapToGlobal(p)); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_building) ui::RunGuarded(this, [&] { TreeChange(); });
    });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_building && OnListChange) ui::RunGuarded(this, [&] { OnListChange(); });
    });
    m_list->OnReorder = [this](QObject* a, QObject* b) {
        TraVariableListBuilder::Reorder(a, b);
        RebuildList();
    };
    m_tree->installEventFilter(this);
    m_list->installEventFilter(this);
    LanguageChanged();
}

TraCodeExplorer::~TraCodeExplorer() = default;

void TraCodeExplorer::SetReport(TppCustomReport* aReport) {
    m_report = aReport;
    Rebuild();
}

TraCodeModule* TraCodeExplorer::CodeModule() const { return m_report ? GetCodeModule(m_report) : nullptr; }

QObject* TraCodeExplorer::ListedObject() const { return TraReportTreeView::ObjectOf(m_tree->currentItem()); }

QTreeWidgetItem* TraCodeExplorer::SelectedItem() const { return m_list->currentItem(); }

QObject* TraCodeExplorer::SelectedObject() const {
    switch (m_view) {
    case 1:
        return ListedObject();
    case 0: {
        QTreeWidgetItem* item = m_list->currentItem();
        if (!item) return nullptr;
        if (auto* h = dynamic_cast<TraEventHandler*>(TraReportListView::ProgramOf(item))) return h->BoundObject();
        return TraReportListView::ObjectOf(item);
    }
    default:
        return nullptr;
    }
}

TraProgram* TraCodeExplorer::SelectedProgram() const { return TraReportListView::ProgramOf(m_list->currentItem()); }

int TraCodeExplorer::SelectedKind() const {
    if (QTreeWidgetItem* item = m_list->currentItem()) return TraReportListView::KindOf(item);
    if (m_view == 2 && TraReportTreeView::SectionOf(m_tree->currentItem()) == 3) return 1;
    return 7;
}

bool TraCodeExplorer::IsReadOnly() const {
    const auto variablesRule = [this] { return (m_options & roEditVariablesBit) == 0; };
    const auto eventsRule = [&, this] {
        QTreeWidgetItem* item = m_list->currentItem();
        const bool onCalc = item && item->text(0).compare(QLatin1String("OnCalc"), Qt::CaseInsensitive) == 0;
        auto* h = dynamic_cast<TraEventHandler*>(SelectedProgram());
        const bool onCalcHandler = onCalc || (h && h->EventName().compare(QLatin1String("OnCalc"), Qt::CaseInsensitive) == 0);
        if (onCalcHandler && (m_options & roEditEventsBit) == 0) return variablesRule();
        return (m_options & roEditEventsBit) == 0;
    };
    switch (m_view) {
    case 0:
        return variablesRule();
    case 1:
        return eventsRule();
    case 2: {
        TraProgram* p = SelectedProgram();
        if (!p) {
            if (SelectedKind() == 7) return true;
            return (m_options & roEditGlobalsBit) == 0;
        }
        if (p->CodeModule() != CodeModule()) return true;
        if (!dynamic_cast<TraEventHandler*>(p)) return (m_options & roEditGlobalsBit) == 0;
        return eventsRule();
    }
    default:
        return true;
    }
}

void TraCodeExplorer::SetOptions(int aFlags) {
    m_options = aFlags;
    const bool events = aFlags & roViewEventsBit, globals = aFlags & roViewGlobalsBit;
    m_treePopup->findChild<QAction*>(QStringLiteral("mniEvents"))->setVisible(events);
    m_treePopup->findChild<QAction*>(QStringLiteral("mniModule"))->setVisible(globals);
    m_treePopup->findChild<QAction*>(QStringLiteral("mniVariables"))->setVisible(events || globals);
    if ((m_view == 1 && !events) || (m_view == 2 && !globals)) SetView(0);
}

void TraCodeExplorer::setCaptions(const QString& aTree, const QString& aList) {
    m_treeCaption->setText(QStringLiteral(" ") + aTree);
    m_listCaption->setText(QStringLiteral(" ") + aList);
    m_listCaption->setVisible(!aList.isEmpty() || m_view != 2);
}

QString TraCodeExplorer::TreeCaption() const { return m_treeCaption->text().trimmed(); }
QString TraCodeExplorer::ListCaption() const { return m_listCaption->text().trimmed(); }

void TraCodeExplorer::SetView(int aView) {
    if (aView == 1 && !(m_options & roViewEventsBit)) aView = 0;
    if (aView == 2 && !(m_options & roViewGlobalsBit)) aView = 0;
    m_tree->setIndentation(25);
    m_building = true;
    if (m_treeBuilder) m_treeStates[m_view] = script::gui::SaveExplorerState(m_tree, m_list);
    m_treeBuilder.reset();
    m_listBuilder.reset();
    m_tree->clear();
    m_list->clear();
    m_view = aView;
    switch (aView) {
    case 0:
        m_listBuilder = std::make_unique<TraVariableListBuilder>(this);
        m_tree->SetStates(std::make_unique<TraBandTreeNodeProgramStates>());
        break;
    case 1:
        m_listBuilder = std::make_unique<TraEventListBuilder>(this);
        m_tree->SetStates(std::make_unique<TraObjectTreeNodeProgramStates>());
        break;
    default:
        m_treeBuilder = std::make_unique<TraCodeModuleTreeBuilder>(this);
        m_listBuilder = std::make_unique<TraCodeModuleListBuilder>(this);
        m_tree->SetStates(std::make_unique<TraModuleTreeNodeProgramStates>());
        break;
    }
    m_list->SetItemReordering(aView == 0);
    m_building = false;
    Rebuild();
    m_building = true;
    script::gui::RestoreExplorerState(m_treeStates[m_view], m_tree, nullptr);
    m_building = false;
    TreeChange();
    script::gui::RestoreExplorerState(m_treeStates[m_view], m_tree, m_list);
    const char* names[] = {"mniVariables", "mniEvents", "mniModule"};
    for (int i = 0; i < 3; ++i) m_treePopup->findChild<QAction*>(QString::fromLatin1(names[i]))->setChecked(i == m_view);
}

void TraCodeExplorer::fillTree() {
    switch (m_view) {
    case 0:
        script::gui::FillBandTree(m_tree, m_report);
        // The first band is selected (the report node lists no variables).
        if (m_tree->topLevelItemCount() > 0 && m_tree->topLevelItem(0)->childCount() > 0)
            m_tree->setCurrentItem(m_tree->topLevelItem(0)->child(0));
        break;
    case 1:
        script::gui::FillObjectTree(m_tree, m_report);
        if (m_tree->topLevelItemCount() > 0) m_tree->setCurrentItem(m_tree->topLevelItem(0));
        break;
    default:
        if (m_treeBuilder) m_treeBuilder->Build();
        break;
    }
}

void TraCodeExplorer::Rebuild() {
    if (SuspendRebuild) return;
    if (OnBeforeRebuild) OnBeforeRebuild();
    const script::gui::ExplorerState state = script::gui::SaveExplorerState(m_tree, m_list);
    m_building = true;
    fillTree();
    script::gui::RestoreExplorerState(state, m_tree, nullptr);
    m_building = false;
    TreeChange();
    if (state.valid) {
        m_building = true;
        script::gui::RestoreExplorerState(state, m_tree, m_list);
        m_building = false;
    }
    RefreshStates();
    if (OnAfterRebuild) OnAfterRebuild();
}

void TraCodeExplorer::RebuildList() {
    m_building = true;
    const QString selected = m_list->currentItem() ? m_list->currentItem()->text(0) : QString();
    if (m_listBuilder) m_listBuilder->Build();
    if (!selected.isEmpty()) {
        const QList<QTreeWidgetItem*> found = m_list->findItems(selected, Qt::MatchExactly);
        if (!found.isEmpty()) m_list->setCurrentItem(found.first());
    }
    m_building = false;
    if (OnListChange) OnListChange();
}

void TraCodeExplorer::TreeChange() {
    m_building = true;
    if (m_listBuilder) m_listBuilder->Build();
    m_building = false;
    QObject* listed = ListedObject();
    switch (m_view) {
    case 0:
        m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        setCaptions(report::MessageText(968), qobject_cast<TppBand*>(listed)
                                                  ? report::MessageText(984, {script::gui::ObjectCaption(listed)})
                                                  : report::MessageText(907));
        break;
    case 1:
        setCaptions(report::MessageText(970), listed ? report::MessageText(935, {script::gui::ObjectCaption(listed)})
                                                     : report::MessageText(901));
        break;
    default:
        setCaptions(report::MessageText(951), QString());
        break;
    }
    if (OnListChange) OnListChange();
}

void TraCodeExplorer::RefreshStates() {
    m_tree->RefreshStates(CodeModule());
    m_list->RefreshImages();
}

void TraCodeExplorer::ShowProgram(TraProgram* aProgram) {
    if (!aProgram) return;
    TraCodeModule* module = aProgram->CodeModule();
    int caption = 962;
    if (module && (aProgram == module->ConstProgram() || aProgram == module->VarProgram())) caption = 929;
    else if (module && (aProgram == module->GlobalOnCreate() || aProgram == module->GlobalOnDestroy())) caption = 901;
    else if (dynamic_cast<TraEventHandler*>(aProgram)) caption = 934;
    if (m_view != 2) SetView(2);
    if (QTreeWidgetItem* node = m_tree->FindNodeByName(report::MessageText(caption))) m_tree->setCurrentItem(node);
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (TraReportListView::ProgramOf(m_list->topLevelItem(i)) == aProgram) {
            m_list->setCurrentItem(m_list->topLevelItem(i));
            break;
        }
}

void TraCodeExplorer::LanguageChanged() {
    m_treePopup->findChild<QAction*>(QStringLiteral("mniVariables"))->setText(report::MessageText(907));
    m_treePopup->findChild<QAction*>(QStringLiteral("mniEvents"))->setText(report::MessageText(901));
    m_treePopup->findChild<QAction*>(QStringLiteral("mniModule"))->setText(report::MessageText(905));
    if (!m_building && m_report) TreeChange();
}

void TraCodeExplorer::SaveState(int aIndex) {
    if (aIndex == 0) m_savedSlots[0] = script::gui::SaveExplorerState(m_tree, m_list);
}

void TraCodeExplorer::RestoreState(int aIndex) {
    if (aIndex != 0) return;
    m_building = true;
    script::gui::RestoreExplorerState(m_savedSlots[0], m_tree, nullptr);
    m_building = false;
    TreeChange();
    m_building = true;
    script::gui::RestoreExplorerState(m_savedSlots[0], m_tree, m_list);
    m_building = false;
    if (OnListChange) OnListChange();
}

void TraCodeExplorer::ClearStates() {
    for (auto& s : m_treeStates) s = {};
    m_savedSlots[0] = {};
}

QString TraCodeExplorer::helpKeyword() const {
    if (m_list->hasFocus() && m_listBuilder) return m_listBuilder->HelpKeyword();
    if (m_view == 2 && m_treeBuilder) return m_treeBuilder->HelpKeyword();
    return QStringLiteral("Orvel_Explorer");
}

bool TraCodeExplorer::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1 &&
        (watched == m_tree || watched == m_list)) {
        TraExplorerBuilder* builder = watched == m_list ? m_listBuilder.get() : m_treeBuilder.get();
        const QString file = builder ? builder->HelpFile() : QStringLiteral("Orvel.hlp");
        if (file == QLatin1String("Orvel.hlp")) script::gui::ShowOrvelHelp(helpKeyword());
        else script::gui::ShowLibraryHelp(file, helpKeyword());
        return true;
    }
    return QWidget::eventFilter(watched, e);
}
