#include "core/gui/explorer.h"

#include "core/command_registry.h"
#include "core/confirmation.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/main_form.h"
#include "core/gui/toolbar_state.h"
#include "core/gui/tree_note_form.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/system_helpers.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/view_tables.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/field.h"
#include "platform/db/guards.h"
#include "platform/db/read_snapshot.h"
#include "platform/db/table.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"
#include "platform/ui/window_message.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <QDateTime>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

constexpr int UM_BLANKTITLE = ui::kWmUser + 104;
constexpr int UM_SHOWEXPLORER = ui::kWmUser + 106;
constexpr int UM_TITLETOOLONG = ui::kWmUser + 118;
constexpr int UM_LOADTREE = ui::kWmUser + 199;

constexpr int kNodeNameSize = 100;  ///< characters of Hierarchy.DB's NodeName

QPointer<TExplorer> g_explorer;

/// Switches Hierarchy.DB to another order for a loop and gives it back its index (and no
/// range) when the loop ends, also on failure.
class IndexSwitch {
public:
    IndexSwitch(db::Table& table, const QString& fields) : m_table(table) {
        m_name = table.IndexName();
        m_fields = table.IndexFieldNames();
        table.SetIndexFieldNames(fields);
    }
    ~IndexSwitch() {
        try {
            if (m_table.HasRange()) m_table.CancelRange();
            if (!m_fields.isEmpty()) m_table.SetIndexFieldNames(m_fields);
            else m_table.SetIndexName(m_name);
        } catch (...) {
        }
    }
    IndexSwitch(const IndexSwitch&) = delete;
    IndexSwitch& operator=(const IndexSwitch&) = delete;

private:
    db::Table& m_table;
    QString m_name, m_fields;
};

/// The View's data table; while the View layer has not made it, a table of its own on the
/// View's file in the open database folder (kept in `own`).
db::Table* viewTable(int view, std::unique_ptr<db::Table>& own) {
    if (!ViewControl().CheckViewIndex(view)) return nullptr;
    if (TtsTable* t = ViewControl().GetViewTable(view); t && t->Active()) return t;
    own = std::make_unique<db::Table>();
    own->SetDatabaseName(Globals().CurrentFolder);
    own->SetTableName(core::ViewTableFile(ViewControl().GetViewTableName(view)));
    own->Open();
    return own.get();
}

double nowDays() {
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    return double(base.msecsTo(QDateTime::currentDateTime())) / 86400000.0;
}

int nodeID(const QTreeWidgetItem* item) { return item ? item->data(0, TExplorer::kNodeIDRole).toInt() : -1; }

}  // namespace

TExplorer::TExplorer(TMainForm* mainForm, TMainDataMod* data, QWidget* parent)
    : QWidget(parent), m_mainForm(mainForm), m_data(data) {
    setObjectName(QStringLiteral("Explorer"));
    setWindowTitle(QStringLiteral("Explorer"));
    setProperty("HelpContext", 50014);

    A_NewSibbling = makeAction("A_NewSibbling", "document-new", QStringLiteral("&Add branch at this level"),
                               QStringLiteral("Add a branch at this level"), 50000, QKeySequence("Ctrl+Alt+A"));
    A_NewChild = makeAction("A_NewChild", "list-add", QStringLiteral("Add branch &below this level"),
                            QStringLiteral("Add a branch below this level"), 50001, QKeySequence("Ctrl+Alt+B"));
    A_EditBranch = makeAction("A_EditBranch", "accessories-text-editor", QStringLiteral("&Edit branch title"), QStringLiteral("Edit branch title"),
                              50009, QKeySequence(Qt::Key_F2));
    A_DeleteBranch = makeAction("A_DeleteBranch", "edit-delete", QStringLiteral("&Delete this branch"),
                                QStringLiteral("Delete the selected branch"), 50002, QKeySequence("Ctrl+Alt+D"));
    A_ExpandBranch = makeAction("A_ExpandBranch", "go-down", QStringLiteral("E&xpand this branch"),
                                QStringLiteral("Expand the selected branch"), 50003);
    A_CollapseBranch = makeAction("A_CollapseBranch", "go-up", QStringLiteral("C&ollapse this branch"),
                                  QStringLiteral("Collapse the selected branch"), 50004);
    A_ExpandAll = makeAction("A_ExpandAll", "go-bottom", QStringLiteral("Expand &all branches"),
                             QStringLiteral("Expand all branches"), 50005);
    A_CollapseAll = makeAction("A_CollapseAll", "go-top", QStringLiteral("Co&llapse all branches"),
                               QStringLiteral("Collapse all branches"), 50006);
    A_Refresh = makeAction("A_Refresh", "view-refresh", QStringLiteral("&Refresh"), QStringLiteral("Refresh tree display"), 50007);
    A_Dock = makeAction("A_Dock", "window-new", QStringLiteral("Undoc&k"), QStringLiteral("Undock Explorer from main window"),
                        50008);
    A_Help = makeAction("A_Help", "help-browser", QStringLiteral("&Help"), QStringLiteral("Help"), 0, QKeySequence(Qt::Key_F1));
    // Ctrl+Alt+D stays with "Delete this branch": one key cannot start two commands.
    A_DeleteBranchRC = makeAction("A_DeleteBranchRC", "edit-delete", QStringLiteral("&Delete this branch"),
                                  QStringLiteral("Delete this branch"), 50002);
    A_CutBranch = makeAction("A_CutBranch", "edit-cut", QStringLiteral("C&ut this branch"),
                             QStringLiteral("Cut the selected branch"), 50010, QKeySequence("Ctrl+Alt+X"));
    A_CopyBranch = makeAction("A_CopyBranch", "edit-copy", QStringLiteral("&Copy this branch"),
                              QStringLiteral("Copy the selected branch"), 50011, QKeySequence("Ctrl+Alt+C"));
    A_PasteBranch = makeAction("A_PasteBranch", "edit-paste", QStringLiteral("&Paste branch here"),
                               QStringLiteral("Paste branch here"), 50012, QKeySequence("Ctrl+Alt+V"));
    A_MoveToRoot = makeAction("A_MoveToRoot", "go-first", QStringLiteral("&Move branch to root level"),
                              QStringLiteral("Move this branch to the root level"), 50013);

    ExplorerToolbar = ui::Make<QToolBar>(this, "ExplorerToolbar", QStringLiteral("Explorer Tools"));
    ExplorerToolbar->setIconSize(QSize(16, 16));
    for (QAction* a : {A_NewSibbling, A_NewChild, A_EditBranch, A_DeleteBranch, A_ExpandBranch, A_CollapseBranch,
                       A_ExpandAll, A_CollapseAll, A_Refresh, A_Dock, A_Help})
        ExplorerToolbar->addAction(a);
    PopupMenu = ui::Make<QMenu>(this, "PopupMenu");
    PopupMenu->addActions({A_NewSibbling, A_NewChild, A_EditBranch, A_DeleteBranchRC});
    PopupMenu->addSeparator();
    PopupMenu->addActions({A_ExpandBranch, A_CollapseBranch});
    PopupMenu->addSeparator();
    PopupMenu->addActions({A_CutBranch, A_CopyBranch, A_PasteBranch, A_MoveToRoot});
    PopupMenu->addSeparator();
    PopupMenu->addAction(A_Dock);
    TreeView = new TExplorerTree(this, this);
    TreeView->setObjectName(QStringLiteral("TreeView"));
    TreeView->setDragEnabled(true);
    TreeView->setAcceptDrops(true);
    TreeView->setDropIndicatorShown(true);
    TreeView->setDragDropMode(QAbstractItemView::DragDrop);
    TreeView->setDefaultDropAction(Qt::MoveAction);
    TreeView->setHeaderHidden(true);
    TreeView->setColumnCount(1);
    TreeView->setIndentation(19);
    TreeView->setUniformRowHeights(true);
    TreeView->setSortingEnabled(true);
    TreeView->sortByColumn(0, Qt::AscendingOrder);
    TreeView->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    TreeView->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ExplorerToolbar);
    layout->addWidget(TreeView);

    connect(TreeView, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { ui::RunGuarded(this, [&] { fillChildren(item); }); });
    connect(TreeView, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) { selectionChanged(current, previous); });
    connect(TreeView, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) { itemRenamed(item); });
    connect(TreeView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ui::RunGuarded(this, [&] { showPopupMenu(pos); }); });
    // Popup commands: each but Cut, Copy and Paste forgets the popup branch when done.
    const auto popupCommand = [this](QAction* action, std::function<void()> body) {
        connect(action, &QAction::triggered, this, [this, body] {
            ui::RunGuarded(this, body);
            m_popupID = 0;
        });
    };
    popupCommand(A_NewSibbling, [this] { AddBranch(TreeView->currentItem(), false); });
    popupCommand(A_NewChild, [this] {
        if (TreeView->currentItem()) AddBranch(TreeView->currentItem(), true);
    });
    popupCommand(A_EditBranch, [this] {
        if (unsavedChanges()) return;
        clearClipboard();
        if (QTreeWidgetItem* item = popupOrSelected()) TreeView->editItem(item, 0);
    });
    connect(A_DeleteBranch, &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [&] {
            if (TreeView->currentItem()) DeleteBranch(TreeView->currentItem(), true);
        });
    });
    popupCommand(A_DeleteBranchRC, [this] {
        if (QTreeWidgetItem* item = popupOrSelected()) DeleteBranch(item, true);
    });
    popupCommand(A_ExpandBranch, [this] { expandAllBelow(popupOrSelected(), true); });
    popupCommand(A_CollapseBranch, [this] { expandAllBelow(popupOrSelected(), false); });
    connect(A_CutBranch, &QAction::triggered, this, [this] {
        if (QTreeWidgetItem* item = popupOrSelected()) setClipboard(nodeID(item), true);
    });
    connect(A_CopyBranch, &QAction::triggered, this, [this] {
        if (QTreeWidgetItem* item = popupOrSelected()) setClipboard(nodeID(item), false);
    });
    connect(A_PasteBranch, &QAction::triggered, this, [this] { ui::RunGuarded(this, [&] { pasteBranch(); }); });
    popupCommand(A_MoveToRoot, [this] {
        if (QTreeWidgetItem* item = popupOrSelected()) MoveToRoot(item);
    });
    popupCommand(A_Dock, [this] {
        if (unsavedChanges()) return;
        ui::HourglassCursor hourglass;
        sendBatch(1);
        struct Resume {
            TExplorer* self;
            ~Resume() {
                ui::PostMessage(self, UM_LOADTREE, 1);
                sendBatch(0);
            }
        } resume{this};
        ClearTree();
        SetDocked(!Docked());
    });
    connect(A_ExpandAll, &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [&] {
            for (int i = 0; i < TreeView->topLevelItemCount(); ++i) expandAllBelow(TreeView->topLevelItem(i), true);
        });
    });
    connect(A_CollapseAll, &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [&] {
            for (int i = 0; i < TreeView->topLevelItemCount(); ++i) expandAllBelow(TreeView->topLevelItem(i), false);
        });
    });
    connect(A_Refresh, &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [&] {
            if (unsavedChanges()) return;
            clearClipboard();
            m_popupID = 0;
            const int id = nodeID(TreeView->currentItem());
            ClearTree();
            LoadTree(id, true);
        });
    });
    connect(A_Help, &QAction::triggered, this, [] { ui::HelpService::ShowContext(50014); });
    setBranchActions(false);
}

TExplorer::~TExplorer() = default;

QAction* TExplorer::makeAction(const char* name, const char* icon, const QString& caption, const QString& hint,
                               int help, const QKeySequence& shortcut) {
    auto* a = new QAction(core::ThemeIcon(QString::fromLatin1(icon)), caption, this);
    a->setObjectName(QString::fromLatin1(name));
    a->setToolTip(hint);
    a->setStatusTip(hint);
    a->setProperty("HelpContext", help);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    addAction(a);
    return a;
}

bool TExplorer::event(QEvent* e) {
    if (ui::WindowMessage* m = ui::AsWindowMessage(e)) {
        ui::RunGuarded(this, [&] {
            switch (m->Msg) {
            case UM_SHOWEXPLORER:
                show();
                m_lastBranchType = 0;
                RestoreEnabled();
                core::LoadToolbarState(ExplorerToolbar, QStringLiteral("Explorer"),
                                       m_mainForm ? m_mainForm->A_TBExplorer : nullptr);
                ui::PostMessage(this, UM_LOADTREE, 1);
                break;
            case UM_LOADTREE: {
                ui::HourglassCursor hourglass;
                m_busy = true;
                struct Clear {
                    bool& b;
                    ~Clear() { b = false; }
                } clear{m_busy};
                LoadTree(nodeID(TreeView->currentItem()), m->WParam != 0);
                // Benchmarks wait for this line: the first level of the tree is in the view.
                if (TreeView->topLevelItemCount() > 0 && qEnvironmentVariableIsSet("DOSSARA_REPORT_TREE")) {
                    std::fprintf(stderr, "dossara: tree shown (%d branches at the first level)\n",
                                 TreeView->topLevelItemCount());
                    std::fflush(stderr);
                    qunsetenv("DOSSARA_REPORT_TREE");
                }
                break;
            }
            case UM_BLANKTITLE:
                ui::Message(QStringLiteral("The title cannot be blank."), ui::MessageKind::Error, ui::Button::Ok, 10010);
                if (QTreeWidgetItem* item = TreeView->currentItem()) TreeView->editItem(item, 0);
                break;
            case UM_TITLETOOLONG:
                core::ShowWarning(QStringLiteral("A branch title can be a maximum of %1 characters long. The title you "
                                                 "have entered is %2 characters, and will be truncated.")
                                      .arg(m->WParam)
                                      .arg(m->LParam),
                                  QStringLiteral("Explorer: Title Too Long"), 51520);
                break;
            default:
                break;
            }
        });
        return true;
    }
    return QWidget::event(e);
}

QIcon TExplorer::viewIcon(int view) {
    // One icon per View, shared by its nodes (made afresh with every load of the tree,
    // which follows any change of the Views).
    if (const auto it = m_icons.constFind(view); it != m_icons.cend()) return *it;
    const QImage image = ViewControl().GetViewSmallIcon(view);
    const QIcon icon = image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
    m_icons.insert(view, icon);
    return icon;
}

QTreeWidgetItem* TExplorer::makeNode(int id, const QString& name, int nodeType) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, name);
    item->setData(0, kNodeIDRole, id);
    item->setData(0, kNodeTypeRole, nodeType);
    item->setIcon(0, viewIcon(nodeType));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setChildIndicatorPolicy(m_parents.contains(id) ? QTreeWidgetItem::ShowIndicator
                                                          : QTreeWidgetItem::DontShowIndicator);
    return item;
}

void TExplorer::readParents(const QList<int>& ids) {
    if (ids.isEmpty()) return;
    const QSet<int> wanted(ids.begin(), ids.end());
    const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
    TtsTable& h = *m_data->Hierarchy;
    db::ReadSnapshot snapshot(h);
    IndexSwitch index(h, core::kHierarchyParentIndexFields);
    h.SetRange({*low}, {*high});
    db::Field* parent = h.FieldByName(QStringLiteral("ParentNodeID"));
    for (h.First(); !h.Eof(); h.Next())
        if (const int p = parent->AsInteger(); wanted.contains(p)) m_parents.insert(p);
}

void TExplorer::fillChildren(QTreeWidgetItem* node) {
    if (node && node->data(0, kFilledRole).toBool()) return;
    if (!m_data || !m_data->Hierarchy->Active()) return;
    const int parentID = node ? nodeID(node) : 0;
    struct Read {
        int id;
        QString name;
        int type;
    };
    std::vector<Read> read;
    {
        TtsTable& h = *m_data->Hierarchy;
        db::ReadSnapshot snapshot(h);
        // Read through Hierarchy.DB's index on ParentNodeID;NodeName: the range is the
        // branch's children, in title order of the index (the tree view sorts the titles
        // itself all the same). A database whose folder could not take the index when it was
        // opened orders the same way by scanning.
        IndexSwitch index(h, core::kHierarchyParentIndexFields);
        h.SetRange({parentID}, {parentID});
        db::Field* id = h.FieldByName(QStringLiteral("NodeID"));
        db::Field* name = h.FieldByName(QStringLiteral("NodeName"));
        db::Field* type = h.FieldByName(QStringLiteral("NodeType"));
        for (h.First(); !h.Eof(); h.Next()) read.push_back({id->AsInteger(), name->AsString(), type->AsInteger()});
    }
    QList<int> ids;
    for (const Read& r : read) ids.append(r.id);
    // Which of them have children: for a branch, the rows whose parent lies between the
    // lowest and highest of these NodeIDs (about the branch's own subtree); the roots are
    // not checked (that would walk the whole table) and lose their button when a first
    // expand finds them childless.
    if (node) readParents(ids);
    else m_parents.unite(QSet<int>(ids.begin(), ids.end()));
    QList<QTreeWidgetItem*> items;
    for (const Read& r : read) items.append(makeNode(r.id, r.name, r.type));
    const bool wasLoading = m_loading;
    m_loading = true;
    m_renaming = true;
    if (node) {
        node->setData(0, kFilledRole, true);
        node->addChildren(items);
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    } else {
        TreeView->addTopLevelItems(items);
    }
    m_renaming = false;
    m_loading = wasLoading;
}

void TExplorer::ClearTree() {
    if (TreeView->topLevelItemCount() == 0) return;
    m_loading = true;
    const QSignalBlocker block(TreeView);
    TreeView->clear();
    m_loading = false;
}

void TExplorer::LoadTree(int id, bool tellViews) {
    QTreeWidgetItem* selected = nullptr;
    clearClipboard();
    m_icons.clear();
    {
        m_loading = true;
        struct Clear {
            bool& b;
            ~Clear() { b = false; }
        } clear{m_loading};
        const QSignalBlocker block(TreeView);
        TreeView->setUpdatesEnabled(false);
        TreeView->clear();
        if (m_data && m_data->Hierarchy->Active()) {
            m_parents.clear();
            fillChildren(nullptr);
            if (id > 0) selected = FindNodeByID(id);
            if (!selected) selected = TreeView->topLevelItem(0);
            if (selected) TreeView->setCurrentItem(selected);
        }
        TreeView->setUpdatesEnabled(true);
    }
    if (selected) TreeView->scrollToItem(selected);
    if (tellViews) tellProgram(selected);
    else setBranchActions(selected != nullptr);
}

QTreeWidgetItem* TExplorer::FindNodeByID(int id) {
    if (id <= 0 || !m_data || !m_data->Hierarchy->Active()) return nullptr;
    // The path from the root down, read from Hierarchy.DB (on its NodeID index).
    QList<int> path;
    TtsTable& h = *m_data->Hierarchy;
    QSet<int> seen;
    for (int current = id; current > 0 && !seen.contains(current);) {
        seen.insert(current);
        if (!h.FindKey({current})) return nullptr;
        path.prepend(current);
        current = h.FieldByName(QStringLiteral("ParentNodeID"))->AsInteger();
    }
    QTreeWidgetItem* node = nullptr;
    for (int step : path) {
        if (node) fillChildren(node);
        QTreeWidgetItem* found = nullptr;
        const int count = node ? node->childCount() : TreeView->topLevelItemCount();
        for (int i = 0; i < count && !found; ++i) {
            QTreeWidgetItem* child = node ? node->child(i) : TreeView->topLevelItem(i);
            if (nodeID(child) == step) found = child;
        }
        if (!found) return nullptr;  // a row whose parent is not in the tree is never shown
        node = found;
    }
    return node;
}

int TExplorer::CurrentViewIndex() {
    if (TreeView->topLevelItemCount() == 0) return -1;
    if (!TreeView->currentItem()) TreeView->setCurrentItem(TreeView->topLevelItem(0));
    QTreeWidgetItem* item = TreeView->currentItem();
    if (m_data) m_data->LocateNode(nodeID(item));
    return item->data(0, kNodeTypeRole).toInt();
}

bool TExplorer::HasSelection() const { return TreeView->currentItem() != nullptr; }

void TExplorer::DisableAll() {
    ClearTree();
    for (QAction* a : actions()) {
        a->setProperty("Tag", a->isEnabled());
        a->setEnabled(false);
    }
    TreeView->setEnabled(false);
}

void TExplorer::RestoreEnabled() {
    for (QAction* a : actions()) {
        const QVariant kept = a->property("Tag");
        if (kept.isValid()) a->setEnabled(kept.toBool());
    }
    TreeView->setEnabled(true);
}

void TExplorer::setBranchActions(bool enable) {
    for (QAction* a : {A_NewChild, A_DeleteBranch, A_DeleteBranchRC, A_EditBranch, A_ExpandBranch, A_CollapseBranch,
                       A_ExpandAll, A_CollapseAll, A_CutBranch, A_CopyBranch, A_PasteBranch})
        a->setEnabled(enable);
    A_NewSibbling->setEnabled(true);
}

bool TExplorer::unsavedChanges() const { return ViewLayer().FindUnsavedChanges && ViewLayer().FindUnsavedChanges(); }

void TExplorer::selectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (m_loading || m_busy || Globals().CustomizeMode) return;
    if (previous && unsavedChanges()) {
        // Refused: the window holding the changes asks to save or cancel them. A mouse press
        // goes on to select the clicked row after this signal, so the highlight is put back
        // on the View's branch once the press is done: what the user sees selected is what
        // the branch commands act on.
        const QSignalBlocker block(TreeView);
        TreeView->setCurrentItem(previous);
        QTimer::singleShot(0, this, [this, kept = nodeID(previous)] { selectOnly(kept); });
        return;
    }
    m_popupID = 0;
    ui::RunGuarded(this, [&] { tellProgram(current); });
}

void TExplorer::selectOnly(int id) {
    QTreeWidgetItem* item = loadedNode(id);
    if (!item) return;
    const QSignalBlocker block(TreeView);
    TreeView->setCurrentItem(item);
    TreeView->clearSelection();
    item->setSelected(true);
}

void TExplorer::sendBatch(int on) {
    for (const TViewDef& v : ViewControl().ViewDefs)
        if (v.NoteWindow) ui::SendMessage(v.NoteWindow, UM_BATCHUPDATE, on, 0);
}

void TExplorer::tellProgram(QTreeWidgetItem* node) {
    sendBatch(1);
    struct Resume {
        ~Resume() { sendBatch(0); }
    } resume;
    int view = -1;
    if (node && m_data) {
        const int id = nodeID(node);
        m_data->LocateNode(id);
        view = node->data(0, kNodeTypeRole).toInt();
        if (ViewControl().CheckViewIndex(view)) ViewControl().SetViewCurrentNodeID(view, id);
    }
    if (TTreeNoteForm* notes = core::TreeNotes()) notes->ShowBranchNotes(view);
    if (ViewLayer().PostToViewWindows) ViewLayer().PostToViewWindows(UM_NODECHANGED, 1, view);
    setBranchActions(node != nullptr);
    if (m_mainForm) m_mainForm->UpdateViewFieldsAction(view);
}

void TExplorer::expandAllBelow(QTreeWidgetItem* node, bool expand) {
    if (!node) return;
    ui::HourglassCursor hourglass;
    TreeView->setUpdatesEnabled(false);
    QList<QTreeWidgetItem*> todo{node};
    while (!todo.isEmpty()) {
        QTreeWidgetItem* item = todo.takeLast();
        if (expand) fillChildren(item);
        if (item->childCount() > 0) item->setExpanded(expand);
        for (int i = 0; i < item->childCount(); ++i) todo.append(item->child(i));
    }
    TreeView->setUpdatesEnabled(true);
}

void TExplorer::itemRenamed(QTreeWidgetItem* item) {
    if (m_renaming || m_loading || !item || !m_data) return;
    ui::RunGuarded(this, [&] {
        TtsTable& h = *m_data->Hierarchy;
        const int id = nodeID(item);
        if (!h.FindKey({id})) {
            ui::Message(QStringLiteral("Unable to locate the Hierarchy record for this branch. Unable to update the "
                                       "record. The table may be damaged."),
                        ui::MessageKind::Error, ui::Button::Ok, 10005);
            return;
        }
        const QString stored = h.FieldByName(QStringLiteral("NodeName"))->AsString();
        QString text = item->text(0);
        if (text == stored) return;
        const QString trimmed = text.trimmed();
        m_renaming = true;
        struct Clear {
            bool& b;
            ~Clear() { b = false; }
        } clear{m_renaming};
        if (unsavedChanges()) {
            item->setText(0, stored);
            return;
        }
        if (trimmed.isEmpty()) {
            item->setText(0, stored);
            ui::PostMessage(this, UM_BLANKTITLE);
            return;
        }
        if (trimmed.size() > kNodeNameSize) {
            ui::PostMessage(this, UM_TITLETOOLONG, kNodeNameSize, trimmed.size());
            text = text.left(kNodeNameSize);
            item->setText(0, text);
        }
        try {
            h.Edit();
            h.FieldByName(QStringLiteral("NodeName"))->SetAsString(text);
            h.Post();
        } catch (const std::exception& e) {
            if (h.State() != db::DataSetState::dsBrowse) h.Cancel();
            core::ShowTableUpdateError(e, QStringLiteral("Hierarchy"), QStringLiteral("The title could not be saved."));
            return;
        }
        if (ViewLayer().PostToViewWindows)
            ViewLayer().PostToViewWindows(UM_NODECHANGED, 1, item->data(0, kNodeTypeRole).toInt());
    });
}

bool TExplorer::refuseReadOnly(const QString& what) const {
    if (!Globals().DatabaseReadOnly) return false;
    ui::Message(QStringLiteral("This database is read-only: %1.").arg(what), ui::MessageKind::Error, ui::Button::Ok);
    return true;
}

void TExplorer::AddBranch(QTreeWidgetItem* node, bool asChild) {
    if (!m_data || !m_data->Hierarchy->Active() || unsavedChanges()) return;
    if (refuseReadOnly(QStringLiteral("a branch cannot be added"))) return;
    clearClipboard();
    QTreeWidgetItem* parentItem = asChild ? node : (node ? node->parent() : nullptr);
    const int parentID = parentItem ? nodeID(parentItem) : 0;
    TtsTable& h = *m_data->Hierarchy;
    if (parentItem && !h.FindKey({parentID})) {
        ui::Message(QStringLiteral("Unable to locate the Hierarchy record for this branch. The table may be damaged. "
                                   "The branch cannot be added."),
                    ui::MessageKind::Error, ui::Button::Ok, 10005);
        return;
    }
    int view = m_lastBranchType;
    QString name;
    if (!ShowNodeParmsDialog(this, view, name)) return;
    m_lastBranchType = view;
    ui::HourglassCursor hourglass;
    // The branch row, its View record and the words of both are one change: all of them
    // are kept or none (a failure rolls every file back).
    const int nextBefore = ViewControl().NextNodeID;
    int id = 0;
    bool branchWritten = false;
    std::unique_ptr<db::Table> own;
    db::Table* table = nullptr;
    try {
        core::DatabaseWrite write(*m_data->DSDB);
        id = m_data->InsertBranch(parentID, name, view, nowDays());
        branchWritten = true;
        table = viewTable(view, own);
        if (!table) throw std::runtime_error("The branch type names no View.");
        table->Append();
        table->FieldByName(QStringLiteral("NodeID"))->SetAsInteger(id);
        table->FieldByName(QStringLiteral("TimeStamp"))->SetAsDateTime(nowDays());
        table->Post();
        write.Commit();
    } catch (const std::exception& e) {
        if (table && table->State() != db::DataSetState::dsBrowse) table->Cancel();
        if (h.State() != db::DataSetState::dsBrowse) h.Cancel();
        ViewControl().NextNodeID = nextBefore;
        if (branchWritten)
            core::ShowTableUpdateError(e, QStringLiteral("View (%1)").arg(ViewControl().GetViewTableName(view)),
                                       QStringLiteral("Unable to copy branch."));
        else
            core::ShowTableUpdateError(e, QStringLiteral("Hierarchy"), QStringLiteral("Unable to copy branch."));
        return;
    }
    if (parentItem) m_parents.insert(parentID);
    QTreeWidgetItem* item = nullptr;
    if (parentItem && !parentItem->data(0, kFilledRole).toBool()) {
        parentItem->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        fillChildren(parentItem);  // reads the new branch with its siblings
        for (int i = 0; i < parentItem->childCount() && !item; ++i)
            if (nodeID(parentItem->child(i)) == id) item = parentItem->child(i);
    } else {
        item = makeNode(id, name, view);
        m_renaming = true;
        if (parentItem) parentItem->addChild(item);
        else TreeView->addTopLevelItem(item);
        m_renaming = false;
    }
    if (parentItem) parentItem->setExpanded(true);
    if (item) {
        const QSignalBlocker block(TreeView);
        TreeView->setCurrentItem(item);
        TreeView->scrollToItem(item);
    }
    tellProgram(item);
}

void TExplorer::collectSubtree(int id, QList<QPair<int, int>>& out) {
    TtsTable& h = *m_data->Hierarchy;
    QList<int> children;
    {
        IndexSwitch index(h, core::kHierarchyParentIndexFields);
        h.SetRange({id}, {id});
        for (h.First(); !h.Eof(); h.Next()) children.append(h.FieldByName(QStringLiteral("NodeID"))->AsInteger());
    }
    for (int child : children)
        if (child != id) collectSubtree(child, out);
    if (h.FindKey({id})) out.append({id, h.FieldByName(QStringLiteral("NodeType"))->AsInteger()});
}

void TExplorer::DeleteBranch(QTreeWidgetItem* node, bool confirm) {
    if (!node || !m_data || unsavedChanges()) return;
    if (refuseReadOnly(QStringLiteral("a branch cannot be deleted"))) return;
    if (confirm && ui::Message(QStringLiteral("Deleting this branch will delete all branches below it, as well as all "
                                              "data associated with each branch. The deleted branches and data cannot "
                                              "be recovered.\r\rAre you sure you want to delete this branch?"),
                               ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10006) != ui::Button::Yes)
        return;
    ui::HourglassCursor hourglass;
    clearClipboard();
    TtsTable& h = *m_data->Hierarchy;
    QList<QPair<int, int>> rows;  // NodeID, NodeType; children before their parents
    collectSubtree(nodeID(node), rows);
    {
        db::Transaction tx(*m_data->DSDB);
        for (const auto& [id, view] : rows) {
            std::unique_ptr<db::Table> own;
            if (db::Table* table = viewTable(view, own))
                if (table->Locate(QStringLiteral("NodeID"), {id})) table->Delete();
            if (h.FindKey({id})) h.Delete();
        }
        tx.Commit();
    }
    QTreeWidgetItem* parent = node->parent();
    {
        const QSignalBlocker block(TreeView);
        delete node;
        if (parent && parent->childCount() == 0) m_parents.remove(nodeID(parent));
    }
    tellProgram(TreeView->currentItem());
}

bool TExplorer::CanDropBranch(QTreeWidgetItem* source, QTreeWidgetItem* target) {
    if (!source || !target || target == source || target == source->parent()) return false;
    for (QTreeWidgetItem* p = target->parent(); p; p = p->parent())
        if (p == source) return false;
    return true;
}

void TExplorer::refillChildren(QTreeWidgetItem* node) {
    if (!node->data(0, kFilledRole).toBool()) return;
    const QSignalBlocker block(TreeView);
    qDeleteAll(node->takeChildren());
    node->setData(0, kFilledRole, false);
    fillChildren(node);
}

bool TExplorer::DropBranch(QTreeWidgetItem* source, QTreeWidgetItem* target, bool move) {
    if (!m_data || !CanDropBranch(source, target) || unsavedChanges()) return false;
    const QString text = QStringLiteral("You are about to %1 branch \"%2\" and all of its sub-branches to branch \"%3\".")
                             .arg(move ? QStringLiteral("move") : QStringLiteral("copy"), source->text(0), target->text(0));
    if (!core::ConfirmAction(text, QStringLiteral("Explorer: Copy or Move Branch"), 51500)) return false;
    clearClipboard();
    return CopySubtree(source, target, move);
}

bool TExplorer::CopySubtree(QTreeWidgetItem* source, QTreeWidgetItem* target, bool move) {
    if (!m_data || !CanDropBranch(source, target)) return false;
    if (refuseReadOnly(move ? QStringLiteral("a branch cannot be moved") : QStringLiteral("a branch cannot be copied")))
        return false;
    ui::HourglassCursor hourglass;
    TtsTable& h = *m_data->Hierarchy;
    const int sourceID = nodeID(source), targetID = nodeID(target);
    QList<QPair<int, int>> rows;  // children before parents
    collectSubtree(sourceID, rows);
    // Copies are made parents first, so each copy's parent already has its new NodeID.
    std::reverse(rows.begin(), rows.end());
    QHash<int, int> newIDs;
    int next = 0;
    QString writing = QStringLiteral("Hierarchy");  // the table being written, for the message
    db::Table* viewPending = nullptr;                 // a View table of the View layer being written
    try {
        // Another program may add branches meanwhile: the next NodeID is read inside the
        // transaction and a key another program took since makes the whole copy go again.
        for (int attempt = 1;; ++attempt) {
            try {
                db::Transaction tx(*m_data->DSDB);
                h.TakeWriteLock();
                next = std::max({m_data->HighestNodeID() + 1, core::kFirstNodeID, ViewControl().NextNodeID});
                for (const auto& [id, view] : rows) {
                    writing = QStringLiteral("Hierarchy");
                    if (!h.FindKey({id})) continue;
                    const int parent = id == sourceID ? targetID : h.FieldByName(QStringLiteral("ParentNodeID"))->AsInteger();
                    if (!newIDs.contains(parent) && id != sourceID) continue;
                    const QString name = h.FieldByName(QStringLiteral("NodeName"))->AsString();
                    const int newID = next++;
                    h.Append();
                    h.FieldByName(QStringLiteral("NodeID"))->SetAsInteger(newID);
                    h.FieldByName(QStringLiteral("ParentNodeID"))->SetAsInteger(id == sourceID ? targetID : newIDs.value(parent));
                    h.FieldByName(QStringLiteral("NodeName"))->SetAsString(name);
                    h.FieldByName(QStringLiteral("NodeType"))->SetAsInteger(view);
                    h.FieldByName(QStringLiteral("Timestamp"))->SetAsDateTime(nowDays());
                    h.Post();
                    writing = QStringLiteral("View (%1)").arg(ViewControl().GetViewTableName(view));
                    std::unique_ptr<db::Table> own;
                    db::Table* table = viewTable(view, own);
                    viewPending = own ? nullptr : table;
                    if (!table || !table->Locate(QStringLiteral("NodeID"), {id}))
                        throw std::runtime_error("Unable to find the data record for the tree branch.");
                    std::vector<QVariant> values;
                    for (int i = 0; i < table->FieldCount(); ++i) values.push_back(table->Fields(i)->Value());
                    table->Append();
                    for (int i = 0; i < table->FieldCount(); ++i) table->Fields(i)->SetValue(values[size_t(i)]);
                    table->FieldByName(QStringLiteral("NodeID"))->SetAsInteger(newID);
                    table->FieldByName(QStringLiteral("TimeStamp"))->SetAsDateTime(nowDays());
                    table->Post();
                    newIDs.insert(id, newID);
                }
                if (move) {
                    // Only what was copied goes, children before their parents.
                    std::reverse(rows.begin(), rows.end());
                    for (const auto& [id, view] : rows) {
                        if (!newIDs.contains(id)) continue;
                        writing = QStringLiteral("View (%1)").arg(ViewControl().GetViewTableName(view));
                        std::unique_ptr<db::Table> own;
                        if (db::Table* table = viewTable(view, own))
                            if (table->Locate(QStringLiteral("NodeID"), {id})) table->Delete();
                        writing = QStringLiteral("Hierarchy");
                        if (h.FindKey({id})) h.Delete();
                    }
                }
                tx.Commit();
                break;
            } catch (const db::EDBEngineError& e) {
                if (e.Code() != db::ErrorCode::kKeyViolation || attempt == 20) throw;
                for (db::Table* t : {static_cast<db::Table*>(&h), viewPending})
                    if (t && t->State() != db::DataSetState::dsBrowse) t->Cancel();
                newIDs.clear();
            }
        }
    } catch (const std::exception& e) {
        // The transaction was rolled back: nothing was copied and nothing deleted.
        for (db::Table* t : {static_cast<db::Table*>(&h), viewPending})
            if (t && t->State() != db::DataSetState::dsBrowse) t->Cancel();
        core::ShowTableUpdateError(e, writing, QStringLiteral("Unable to copy branch."));
        return false;
    }
    ViewControl().NextNodeID = next;
    m_parents.insert(targetID);
    for (auto it = newIDs.begin(); it != newIDs.end(); ++it)
        if (m_parents.contains(it.key())) m_parents.insert(it.value());
    if (move) {
        QTreeWidgetItem* parent = source->parent();
        const QSignalBlocker block(TreeView);
        delete source;
        if (parent && parent->childCount() == 0) m_parents.remove(nodeID(parent));
    }
    target->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    refillChildren(target);
    {
        const QSignalBlocker block(TreeView);
        TreeView->setCurrentItem(target);
    }
    tellProgram(target);
    return true;
}

void TExplorer::MoveToRoot(QTreeWidgetItem* node) {
    if (!node || !node->parent() || !m_data || unsavedChanges()) return;
    if (refuseReadOnly(QStringLiteral("a branch cannot be moved"))) return;
    ui::HourglassCursor hourglass;
    clearClipboard();
    TtsTable& h = *m_data->Hierarchy;
    const int id = nodeID(node);
    if (!h.FindKey({id})) {
        ui::Message(QStringLiteral("Unable to find this branch in the database. Press F1 for help."),
                    ui::MessageKind::Error, ui::Button::Ok, 10011);
        return;
    }
    try {
        h.Edit();
        h.FieldByName(QStringLiteral("ParentNodeID"))->SetAsInteger(0);
        h.Post();
    } catch (const std::exception& e) {
        if (h.State() != db::DataSetState::dsBrowse) h.Cancel();
        core::ShowTableUpdateError(e, QStringLiteral("Hierarchy"), QStringLiteral("Unable to move the branch."));
        return;
    }
    LoadTree(id, true);
}

QTreeWidgetItem* TExplorer::loadedNode(int id) const {
    if (id <= 0) return nullptr;
    for (QTreeWidgetItemIterator it(TreeView); *it; ++it)
        if (nodeID(*it) == id) return *it;
    return nullptr;
}

void TExplorer::setClipboard(int id, bool cut) {
    const QSignalBlocker block(TreeView);
    if (QTreeWidgetItem* previous = loadedNode(m_clipboardID)) previous->setData(0, Qt::ForegroundRole, QVariant());
    m_clipboardID = id;
    m_clipboardCut = id > 0 && cut;
    if (m_clipboardCut)
        if (QTreeWidgetItem* item = loadedNode(id))
            item->setForeground(0, TreeView->palette().brush(QPalette::Disabled, QPalette::Text));
}

QTreeWidgetItem* TExplorer::popupOrSelected() {
    if (QTreeWidgetItem* popup = loadedNode(m_popupID)) return popup;
    return TreeView->currentItem();
}

void TExplorer::showPopupMenu(const QPoint& pos) {
    m_popupID = 0;
    if (QTreeWidgetItem* item = TreeView->itemAt(pos)) {
        TreeView->setCurrentItem(item);  // refused while a View holds unsaved changes
        m_popupID = nodeID(TreeView->currentItem());
    }
    QTreeWidgetItem* selected = TreeView->currentItem();
    A_PasteBranch->setEnabled(m_clipboardID > 0 && CanDropBranch(loadedNode(m_clipboardID), selected));
    A_MoveToRoot->setEnabled(selected && selected->parent());
    PopupMenu->popup(TreeView->viewport()->mapToGlobal(pos));
}

void TExplorer::pasteBranch() {
    if (unsavedChanges()) return;
    QTreeWidgetItem* target = popupOrSelected();
    QTreeWidgetItem* source = m_clipboardID > 0 ? FindNodeByID(m_clipboardID) : nullptr;
    if (!target || !source || !CanDropBranch(source, target)) return;
    const bool move = m_clipboardCut;
    const QString text = QStringLiteral("You are about to %1 branch \"%2\" and all of its sub-branches to branch \"%3\".")
                             .arg(move ? QStringLiteral("move") : QStringLiteral("copy"), source->text(0), target->text(0));
    if (!core::ConfirmAction(text, QStringLiteral("Explorer: Copy or Move Branch"), 51500)) return;
    const int clipboard = m_clipboardID;
    setClipboard(clipboard, false);  // the cut mark goes
    if (CopySubtree(source, target, move) && move) clearClipboard();
    else m_clipboardID = clipboard;
}

bool TExplorer::Docked() const { return !isWindow(); }

void TExplorer::SetDocked(bool dock) {
    if (!m_mainForm || dock == Docked()) return;
    QWidget* panel = m_mainForm->LeftDockPanel;
    if (dock) {
        m_floatingSize = size();
        hide();
        setParent(panel);
        if (auto* layout = qobject_cast<QVBoxLayout*>(panel->layout())) layout->insertWidget(0, this, 1);
        A_Dock->setText(QStringLiteral("Undoc&k"));
        A_Dock->setToolTip(QStringLiteral("Undock Explorer from main window"));
    } else {
        const QPoint at = mapToGlobal(QPoint(0, 0));
        if (panel->layout()) panel->layout()->removeWidget(this);
        hide();
        setParent(m_mainForm, Qt::Tool);
        move(at);
        resize(m_floatingSize);
        A_Dock->setText(QStringLiteral("Doc&k"));
        A_Dock->setToolTip(QStringLiteral("Dock Explorer on main window"));
    }
    A_Dock->setStatusTip(A_Dock->toolTip());
    show();
    m_mainForm->A_WindowsExplorer->setVisible(!dock);
}

void TExplorer::closeEvent(QCloseEvent* event) {
    if (unsavedChanges()) {
        event->ignore();
        return;
    }
    if (Globals().DatabaseOpen && !QCoreApplication::closingDown()) {
        if (!core::ConfirmAction(QStringLiteral("The Explorer is needed to work with a database. If you close the "
                                                "Explorer, the database will also close."),
                                 QStringLiteral("Explorer: Close Explorer"), 51510)) {
            event->ignore();
            return;
        }
        if (m_mainForm) m_mainForm->CloseDatabase(false);
        if (Globals().DatabaseOpen) {
            event->ignore();
            return;
        }
    }
    event->accept();
    deleteLater();
}

TExplorerTree::TExplorerTree(TExplorer* explorer, QWidget* parent) : QTreeWidget(parent), m_explorer(explorer) {}

void TExplorerTree::dragMoveEvent(QDragMoveEvent* event) {
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    if (TExplorer::CanDropBranch(currentItem(), target)) {
        event->setDropAction((event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TExplorerTree::dropEvent(QDropEvent* event) {
    QTreeWidgetItem* source = currentItem();
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    const bool move = !(event->modifiers() & Qt::ControlModifier);
    event->setDropAction(Qt::IgnoreAction);
    event->accept();  // the view itself never moves the items
    ui::RunGuarded(m_explorer, [&] { m_explorer->DropBranch(source, target, move); });
}

// ---- "Create New Branch" ----

TNodeParmsForm::TNodeParmsForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NodeParmsForm"));
    setWindowTitle(QStringLiteral("Create New Branch"));
    auto* nameHeader = ui::Make<QLabel>(this, "NameHeader", QStringLiteral("Name of New Branch"));
    NodeName = ui::Make<QPlainTextEdit>(this, "NodeName");
    NodeName->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    NodeName->setFixedHeight(48);
    auto* typeHeader = ui::Make<QLabel>(this, "TypeHeader", QStringLiteral("Branch Type"));
    ItemType = ui::Make<QListWidget>(this, "ItemType");
    ItemType->setViewMode(QListView::IconMode);
    ItemType->setIconSize(QSize(32, 32));
    ItemType->setMovement(QListView::Static);
    ItemType->setToolTip(QStringLiteral("Click to select"));
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    OKBtn->setToolTip(QStringLiteral("Create this branch"));
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Cancel this branch"));
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("Help"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameHeader);
    layout->addWidget(NodeName);
    layout->addWidget(typeHeader);
    layout->addWidget(ItemType);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    layout->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    // No line breaks in a title: the text is kept to one line and 100 characters.
    connect(NodeName, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = NodeName->toPlainText();
        QString clean = text;
        clean.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
        clean = clean.left(kNodeNameSize);
        if (clean != text) {
            const QSignalBlocker block(NodeName);
            NodeName->setPlainText(clean);
            NodeName->moveCursor(QTextCursor::End);
        }
    });
}

void TNodeParmsForm::OKBtnClick() {
    if (!ItemType->currentItem() || !ItemType->currentItem()->isSelected()) {
        ui::Message(QStringLiteral("You must select a branch type."), ui::MessageKind::Error, ui::Button::Ok, 10065);
        ItemType->setFocus();
        return;
    }
    if (NodeName->toPlainText().trimmed().isEmpty()) {
        ui::Message(QStringLiteral("You must enter a branch name."), ui::MessageKind::Error, ui::Button::Ok, 10066);
        NodeName->setFocus();
        return;
    }
    accept();
}

bool ShowNodeParmsDialog(QWidget* parent, int& viewIndex, QString& name) {
    TNodeParmsForm dialog(parent);
    for (int v = 0; v < ViewControl().GetViewCount(); ++v) {
        const QImage icon = ViewControl().GetViewLargeIcon(v);
        auto* item = new QListWidgetItem(icon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(icon)),
                                         ViewControl().GetViewName(v), dialog.ItemType);
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    }
    if (viewIndex >= 0 && viewIndex < dialog.ItemType->count()) dialog.ItemType->setCurrentRow(viewIndex);
    dialog.NodeName->setFocus();
    if (ui::ExecModal(dialog) != QDialog::Accepted) return false;
    viewIndex = dialog.ItemType->currentRow();
    name = dialog.NodeName->toPlainText();
    if (ViewLayer().ShowViewWindow) ViewLayer().ShowViewWindow(viewIndex);
    return true;
}

namespace core {

TExplorer* Explorer() { return g_explorer.data(); }

void InstallExplorer(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    ViewLayer().StartExplorer = [form]() -> bool {
        if (!form) return false;
        if (!g_explorer) {
            QWidget* panel = form->LeftDockPanel;
            if (!panel->layout()) {
                auto* layout = new QVBoxLayout(panel);
                layout->setContentsMargins(0, 0, 0, 0);
            }
            g_explorer = new TExplorer(form, form->DataModule(), panel);
            panel->layout()->addWidget(g_explorer);
        }
        ui::PostMessage(g_explorer, UM_SHOWEXPLORER);
        return true;
    };
    ViewLayer().CloseExplorer = [](bool close) {
        if (!g_explorer) return;
        if (close) delete g_explorer.data();
        else g_explorer->DisableAll();
    };
    // "Explorer toolbar" (checkable: its check is already toggled when this runs).
    core::RegisterCommand(QStringLiteral("A_TBExplorer"), [form = QPointer<TMainForm>(form)] {
        if (g_explorer && form) g_explorer->ExplorerToolbar->setVisible(form->A_TBExplorer->isChecked());
    });
    core::RegisterCommand(QStringLiteral("A_WindowsExplorer"), [] {
        if (g_explorer && !g_explorer->Docked()) {
            g_explorer->showNormal();
            g_explorer->raise();
            g_explorer->activateWindow();
        }
    });
}

}  // namespace core
