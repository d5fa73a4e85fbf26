#include "editor/gui/main_form.h"

#include "core/settings_store.h"
#include "editor/export_file.h"
#include "editor/gui/about_box.h"
#include "editor/gui/add_registry_value.h"
#include "editor/gui/edit_value.h"
#include "editor/gui/export_key.h"
#include "editor/gui/finder.h"
#include "editor/gui/pictures.h"
#include "editor/gui/value_edit.h"
#include "editor/log.h"
#include "editor/main_data.h"
#include "platform/base/text_cut.h"
#include "editor/version_info.h"
#include "platform/base/scope_exit.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"
#include "platform/ui/window_message.h"
#include "services/gui/recent_file_list.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using editor::SettingsRow;

namespace {

const QString kRecentKey = QStringLiteral("\\SOFTWARE\\Dossara\\Tarnwell");
constexpr int kReportMs = 15000;  ///< how long the status bar reports what a command wrote
const QString kNotFound = QStringLiteral("Unable to locate this key in the Registry. The table may be corrupted");

/// A tree that lets the window map model indexes of its edits back to items.
class KeyTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    using QTreeWidget::itemFromIndex;
};

/// Hands a confirmed in-place edit to the window instead of writing it into the item; the
/// window decides, after the editor has closed, what the item shows.
class CommitDelegate : public QStyledItemDelegate {
public:
    CommitDelegate(KeyTree* tree, std::function<void(QTreeWidgetItem*, const QString&)> commit)
        : QStyledItemDelegate(tree), m_tree(tree), m_commit(std::move(commit)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(w)) editor::LimitLength(line, core::kSettingsKeySize);
        return w;
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line) return;
        const QString text = line->text();
        const QPersistentModelIndex at(index);
        QPointer<KeyTree> tree(m_tree);
        auto commit = m_commit;
        QMetaObject::invokeMethod(
            m_tree,
            [tree, at, text, commit] {
                if (!tree || !at.isValid()) return;
                if (QTreeWidgetItem* item = tree->itemFromIndex(at)) commit(item, text);
            },
            Qt::QueuedConnection);
    }

    /// Shows an empty key as a grey "(empty)", so that its node can be seen and chosen; the
    /// item's text, and so the key, stays empty.
    bool ShowEmptyKeys = false;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (ShowEmptyKeys && option->text.isEmpty()) {
            option->text = QStringLiteral("(empty)");
            option->font.setItalic(true);
            option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Disabled, QPalette::Text));
        }
    }

private:
    KeyTree* m_tree;
    std::function<void(QTreeWidgetItem*, const QString&)> m_commit;
};

/// A column that is never edited in place.
class ReadOnlyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override { return nullptr; }
};

/// Upper case of the letters a to z only; every other character stays as it is.
QString asciiUpper(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    return out;
}

void preOrder(QTreeWidgetItem* node, QList<QTreeWidgetItem*>& out) {
    out << node;
    for (int i = 0; i < node->childCount(); ++i) preOrder(node->child(i), out);
}

QToolButton* makeButton(QToolBar* bar, const char* name, const char* picture, const QString& hint,
                        QAction** placed = nullptr) {
    auto* b = ui::Make<QToolButton>(bar, name);
    b->setIcon(editor::ToolbarIcon(picture));
    b->setIconSize(QSize(20, 20));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    QAction* a = bar->addWidget(b);
    if (placed) *placed = a;
    return b;
}

}  // namespace

TMainForm::TMainForm() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Dossara Registry Editor"));
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));
    setToolTipDuration(-1);

    MainData = new TMainData(this);
    createControls();
    createMenus();
    EditValue = new TEditValue(this);
    AboutBox = new TAboutBox(this);
    AddRegistryValue = new TAddRegistryValue(this);
    ExportKey = std::make_unique<TExportKey>(*MainData);
    Finder = new TFinder(this);

    RecentFileList = new TRecentFileList(this);
    RecentFileList->setObjectName(QStringLiteral("RecentFileList"));
    RecentFileList->SetFileMenu(M_File);
    RecentFileList->SetIniFileName(kRecentKey);
    RecentFileList->SetMaxRecFiles(5);
    RecentFileList->OnClick = [this](QAction* item) { RecentFileListClick(item); };
    RecentFileList->Loaded();

    connectCommands();
    EnableTableCommands(false);
    SetExpandState(false);

    resize(680, 480);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm() { QObject::disconnect(m_focusConnection); }

void TMainForm::createControls() {
    ToolBar = ui::Make<QToolBar>(this, "ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(20, 20));
    addToolBar(Qt::TopToolBarArea, ToolBar);
    QAction* placed = nullptr;
    OpenBtn = makeButton(ToolBar, "OpenBtn", "Open", QStringLiteral("Open registry file"));
    SaveCopyBtn = makeButton(ToolBar, "SaveCopyBtn", "SaveCopy", QStringLiteral("Save a copy"));
    ImportBtn = makeButton(ToolBar, "ImportBtn", "Import", QStringLiteral("Import keys/values"));
    ExportBtn = makeButton(ToolBar, "ExportBtn", "Export", QStringLiteral("Export keys/values"));
    PrintBtn = makeButton(ToolBar, "PrintBtn", "Print", QStringLiteral("Print select branch"), &placed);
    placed->setVisible(false);
    ToolBar->addSeparator();
    AddBtn = makeButton(ToolBar, "AddBtn", "Add", QStringLiteral("Add"));
    EditBtn = makeButton(ToolBar, "EditBtn", "Edit", QStringLiteral("Edit value"));
    DeleteBtn = makeButton(ToolBar, "DeleteBtn", "Delete", QStringLiteral("Delete key"));
    ToolBar->addSeparator();
    FindBtn = makeButton(ToolBar, "FindBtn", "Find", QStringLiteral("Find"));
    FindNextBtn = makeButton(ToolBar, "FindNextBtn", "FindNext", QStringLiteral("Find next"));
    ToolBar->addSeparator();
    RefreshBtn = makeButton(ToolBar, "RefreshBtn", "Refresh", QStringLiteral("Refresh key list"));
    ExpandBtn = makeButton(ToolBar, "ExpandBtn", "Expand", QStringLiteral("Expand all"));
    ToolBar->addSeparator();
    RepairBtn = makeButton(ToolBar, "RepairBtn", "Repair", QStringLiteral("Repair registry"), &placed);
    placed->setVisible(false);
    ToolBar->addSeparator()->setVisible(false);
    HelpBtn = makeButton(ToolBar, "HelpBtn", "Help", QStringLiteral("Help!"));

    auto* splitter = ui::Make<QSplitter>(this, "Splitter1", Qt::Horizontal);
    auto* tree = ui::Make<KeyTree>(splitter, "RegTree");
    RegTree = tree;
    RegTree->setHeaderHidden(true);
    RegTree->setColumnCount(1);
    RegTree->setSelectionMode(QAbstractItemView::SingleSelection);
    RegTree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    auto* treeDelegate = new CommitDelegate(tree, [this](QTreeWidgetItem* n, const QString& t) { commitTreeEdit(n, t); });
    treeDelegate->ShowEmptyKeys = true;
    RegTree->setItemDelegate(treeDelegate);
    RegTree->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* list = ui::Make<KeyTree>(splitter, "ValueList");
    ValueList = list;
    ValueList->setColumnCount(2);
    ValueList->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    ValueList->setColumnWidth(0, 200);
    ValueList->setColumnWidth(1, 245);
    ValueList->setRootIsDecorated(false);
    ValueList->setSelectionMode(QAbstractItemView::SingleSelection);
    ValueList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ValueList->header()->setSectionsClickable(false);
    ValueList->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    ValueList->setItemDelegateForColumn(0, new CommitDelegate(list, [this](QTreeWidgetItem* l, const QString& t) { commitListEdit(l, t); }));
    ValueList->setItemDelegateForColumn(1, new ReadOnlyDelegate(ValueList));
    ValueList->setContextMenuPolicy(Qt::CustomContextMenu);
    // Keep the selection visible while the list has no focus.
    QPalette pal = ValueList->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    ValueList->setPalette(pal);

    splitter->addWidget(RegTree);
    splitter->addWidget(ValueList);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({188, 480});
    setCentralWidget(splitter);

    StatusBar = ui::Make<QStatusBar>(this, "StatusBar");
    m_pathPanel = ui::Make<QLabel>(StatusBar, "StatusPanel0");
    m_pathPanel->setMinimumWidth(200);
    m_versionPanel = ui::Make<QLabel>(StatusBar, "StatusPanel1");
    m_versionPanel->setMinimumWidth(50);
    StatusBar->addWidget(m_pathPanel, 1);
    StatusBar->addPermanentWidget(m_versionPanel);
    setStatusBar(StatusBar);
}

void TMainForm::createMenus() {
    auto action = [this](QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut = {}) {
        auto* a = ui::Make<QAction>(this, name, text);
        if (!shortcut.isEmpty()) a->setShortcut(shortcut);
        menu->addAction(a);
        return a;
    };
    auto separator = [this](QMenu* menu, const char* name) {
        auto* a = ui::Make<QAction>(this, name);
        a->setSeparator(true);
        menu->addAction(a);
        return a;
    };
    QMenuBar* bar = menuBar();
    M_File = ui::Make<QMenu>(bar, "M_File", QStringLiteral("&File"));
    action(M_File, "M_File_Open", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    action(M_File, "M_File_SaveCopy", QStringLiteral("&Save a copy"));
    separator(M_File, "M_File_N1");
    action(M_File, "M_File_Import", QStringLiteral("&Import"));
    action(M_File, "M_File_Export", QStringLiteral("&Export"));
    separator(M_File, "M_File_N2")->setVisible(false);
    m_repairAction = action(M_File, "M_File_Repair", QStringLiteral("&Repair"));
    m_repairAction->setVisible(false);
    m_repairDivider = separator(M_File, "M_File_N3");
    m_repairDivider->setVisible(false);
    m_printAction = action(M_File, "M_File_Print", QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P));
    m_printAction->setVisible(false);
    separator(M_File, "M_File_N4");
    action(M_File, "M_File_Exit", QStringLiteral("E&xit"));
    bar->addMenu(M_File);

    M_Edit = ui::Make<QMenu>(bar, "M_Edit", QStringLiteral("&Edit"));
    action(M_Edit, "M_Edit_Undo", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    separator(M_Edit, "M_Edit_N1");
    action(M_Edit, "M_Edit_Cut", QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
    action(M_Edit, "M_Edit_Copy", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    action(M_Edit, "M_Edit_Paste", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    separator(M_Edit, "M_Edit_N2");
    action(M_Edit, "M_Edit_Find", QStringLiteral("&Find"), QKeySequence(Qt::CTRL | Qt::Key_F));
    action(M_Edit, "M_Edit_FindNext", QStringLiteral("Find &next"), QKeySequence(Qt::Key_F3));
    bar->addMenu(M_Edit);

    M_View = ui::Make<QMenu>(bar, "M_View", QStringLiteral("&View"));
    action(M_View, "M_View_ExpandAll", QStringLiteral("&Expand all"), QKeySequence(Qt::Key_F7));
    action(M_View, "M_View_CollapseAll", QStringLiteral("&Collapse all"), QKeySequence(Qt::Key_F8));
    bar->addMenu(M_View);

    M_Help = ui::Make<QMenu>(bar, "M_Help", QStringLiteral("&Help"));
    action(M_Help, "M_Help_Contents", QStringLiteral("&Contents"), QKeySequence(Qt::Key_F1));
    action(M_Help, "M_Help_Index", QStringLiteral("&Index"));
    separator(M_Help, "M_Help_N1");
    action(M_Help, "M_Help_About", QStringLiteral("&About"));
    bar->addMenu(M_Help);

    PU_Tree = ui::Make<QMenu>(this, "PU_Tree");
    action(PU_Tree, "PU_Tree_AddSection", QStringLiteral("&Add section key"));
    action(PU_Tree, "PU_Tree_AddSubkey", QStringLiteral("Add &subkey "));
    separator(PU_Tree, "PU_Tree_N1");
    action(PU_Tree, "PU_Tree_EditKey", QStringLiteral("&Edit key"));
    separator(PU_Tree, "PU_Tree_N2");
    action(PU_Tree, "PU_Tree_DeleteKey", QStringLiteral("&Delete key"));

    PU_Value = ui::Make<QMenu>(this, "PU_Value");
    action(PU_Value, "PU_Value_Add", QStringLiteral("&Add value"));
    action(PU_Value, "PU_Value_Edit", QStringLiteral("&Edit value"));
    action(PU_Value, "PU_Value_Delete", QStringLiteral("&Delete value"));
}

void TMainForm::connectCommands() {
    auto on = [this](const char* name, auto handler) {
        auto* a = findChild<QAction*>(QLatin1String(name));
        Q_ASSERT(a);
        connect(a, &QAction::triggered, this, [this, handler] { ui::RunGuarded(this, [&] { (this->*handler)(); }); });
    };
    auto button = [this](QToolButton* b, auto handler) {
        connect(b, &QToolButton::clicked, this, [this, handler] { ui::RunGuarded(this, [&] { (this->*handler)(); }); });
    };
    using F = TMainForm;
    button(OpenBtn, &F::OpenBtnClick);
    on("M_File_Open", &F::OpenBtnClick);
    connect(SaveCopyBtn, &QToolButton::clicked, this, [this] { ShowNotImplemented(QStringLiteral("Save copy not implemented yet.")); });
    connect(findChild<QAction*>(QStringLiteral("M_File_SaveCopy")), &QAction::triggered, this,
            [this] { ShowNotImplemented(QStringLiteral("Save copy not implemented yet.")); });
    button(ImportBtn, &F::ImportBtnClick);
    on("M_File_Import", &F::ImportBtnClick);
    button(ExportBtn, &F::ExportBtnClick);
    on("M_File_Export", &F::ExportBtnClick);
    connect(PrintBtn, &QToolButton::clicked, this, [this] { ShowNotImplemented(QStringLiteral("Print not implemented yet.")); });
    connect(m_printAction, &QAction::triggered, this, [this] { ShowNotImplemented(QStringLiteral("Print not implemented yet.")); });
    connect(RepairBtn, &QToolButton::clicked, this, [this] { ShowNotImplemented(QStringLiteral("Repair not implemented yet.")); });
    connect(m_repairAction, &QAction::triggered, this, [this] { ShowNotImplemented(QStringLiteral("Repair not implemented yet.")); });
    connect(HelpBtn, &QToolButton::clicked, this, [this] { ShowNotImplemented(QStringLiteral("Help not implemented yet.")); });
    connect(findChild<QAction*>(QStringLiteral("M_Help_Contents")), &QAction::triggered, this,
            [this] { ShowNotImplemented(QStringLiteral("Help not implemented yet.")); });
    connect(findChild<QAction*>(QStringLiteral("M_Help_About")), &QAction::triggered, this, [this] { ui::ExecModal(*AboutBox); });
    connect(findChild<QAction*>(QStringLiteral("M_File_Exit")), &QAction::triggered, this, &QWidget::close);

    button(AddBtn, &F::AddBtnClick);
    button(EditBtn, &F::EditBtnClick);
    button(DeleteBtn, &F::DeleteBtnClick);
    button(FindBtn, &F::FindBtnClick);
    on("M_Edit_Find", &F::FindBtnClick);
    button(FindNextBtn, &F::FindNextBtnClick);
    on("M_Edit_FindNext", &F::FindNextBtnClick);
    button(RefreshBtn, &F::FillRegTree);
    button(ExpandBtn, &F::ExpandBtnClick);
    on("M_View_ExpandAll", &F::ExpandAll);
    on("M_View_CollapseAll", &F::CollapseAll);

    on("PU_Tree_AddSection", &F::AddSectionKey);
    on("PU_Tree_AddSubkey", &F::AddSubkey);
    on("PU_Tree_EditKey", &F::EditKey);
    on("PU_Tree_DeleteKey", &F::DeleteKey);
    on("PU_Value_Add", &F::AddBtnClick);
    on("PU_Value_Edit", &F::EditSelectedValue);
    on("PU_Value_Delete", &F::DeleteValue);

    connect(RegTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* now, QTreeWidgetItem*) { ui::RunGuarded(this, [&] { RegTreeChange(now); }); });
    connect(ValueList, &QTreeWidget::itemDoubleClicked, this,
            [this] { ui::RunGuarded(this, [&] { EditSelectedValue(); }); });
    connect(RegTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PU_Tree->popup(RegTree->viewport()->mapToGlobal(at)); });
    connect(ValueList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PU_Value->popup(ValueList->viewport()->mapToGlobal(at)); });
    m_focusConnection =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusMoved(now); });
}

// ---- state of the window ----

void TMainForm::EnableTableCommands(bool enabled) {
    for (QToolButton* b : {ImportBtn, ExportBtn, AddBtn, EditBtn, DeleteBtn, FindBtn, FindNextBtn, RefreshBtn,
                           ExpandBtn, RepairBtn})
        b->setEnabled(enabled);
    for (const char* name : {"M_File_Import", "M_File_Export", "M_File_Repair", "PU_Tree_AddSection",
                             "PU_Tree_AddSubkey", "PU_Tree_EditKey", "PU_Tree_DeleteKey", "PU_Value_Add",
                             "PU_Value_Edit", "PU_Value_Delete"})
        findChild<QAction*>(QLatin1String(name))->setEnabled(enabled);
    M_Edit->setEnabled(enabled);
    M_View->setEnabled(enabled);
    for (QAction* a : M_Edit->actions()) a->setEnabled(enabled);
    for (QAction* a : M_View->actions()) a->setEnabled(enabled);
}

void TMainForm::focusMoved(QWidget* now) {
    if (now == RegTree) {
        m_focus = Focus::Tree;
        AddBtn->setToolTip(QStringLiteral("Add key"));
        EditBtn->setToolTip(QStringLiteral("Edit key"));
        DeleteBtn->setToolTip(QStringLiteral("Delete key"));
    } else if (now == ValueList) {
        m_focus = Focus::List;
        AddBtn->setToolTip(QStringLiteral("Add value"));
        EditBtn->setToolTip(QStringLiteral("Edit value"));
        DeleteBtn->setToolTip(QStringLiteral("Delete Value"));
    } else if (now && now->window() == this && !RegTree->isAncestorOf(now) && !ValueList->isAncestorOf(now)) {
        m_focus = Focus::None;
    }
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_versionPanel->setText(QStringLiteral(" v") + editor::GetVersionValue(QStringLiteral("ProductVersion")));
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (ExportKey) ExportKey->close();
    MainData->CloseTable();
    QMainWindow::closeEvent(event);
}

bool TMainForm::event(QEvent* event) {
    if (ui::WindowMessage* m = ui::AsWindowMessage(event)) {
        if (m->Msg == UM_REFRESHTREE) {
            ui::RunGuarded(this, [&] { UMRefreshTree(m->WParam); });
            return true;
        }
    }
    return QMainWindow::event(event);
}

bool TMainForm::Setup(const QString& startPath) {
    if (!startPath.isEmpty()) {
        OpenRegistryFile(startPath);
    } else {
        const QString recent = RecentFileList->MostRecent();
        if (!recent.isEmpty() && QFileInfo(recent).isFile()) OpenRegistryFile(recent);
    }
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    return true;
}

// ---- opening and filling ----

QString TMainForm::settingsFileIn(const QString& folder) {
    // File names are case-sensitive here: propose the settings table as the folder spells it.
    const QStringList files = QDir(folder).entryList(QDir::Files);
    for (const QString& name : files)
        if (name.compare(core::kSettingsTableName, Qt::CaseInsensitive) == 0) return name;
    return core::kSettingsTableName;
}

void TMainForm::OpenBtnClick() {
    ui::FileRequest request;
    request.caption = QStringLiteral("Open");
    request.folder = m_currentPath.isEmpty() ? QString() : QFileInfo(m_currentPath).absolutePath();
    request.fileName = settingsFileIn(request.folder.isEmpty() ? QDir::currentPath() : request.folder);
    request.filter = QStringLiteral("Registry (*.db *.DB *.Db)");
    request.defaultSuffix = QStringLiteral("db");
    const auto chosen = ui::ChooseFileToOpen(request);
    if (!chosen) return;
    if (OpenRegistryFile(*chosen)) RecentFileList->AddFile(*chosen);
}

bool TMainForm::OpenRegistryFile(const QString& Path) {
    StatusBar->clearMessage();
    ValueList->clear();
    RegTree->clear();
    SetExpandState(false);
    m_currentPath = Path;
    try {
        MainData->OpenTable(Path);
        m_pathPanel->setText(QDir::toNativeSeparators(Path));
        EnableTableCommands(true);
        FillRegTree();
        return true;
    } catch (const std::exception& e) {
        qCWarning(lcEditor) << "cannot open" << Path << ":" << e.what();
    }
    MainData->CloseTable();
    RegTree->clear();
    ValueList->clear();
    m_pathPanel->clear();  // no table is open, so none is named
    EnableTableCommands(false);
    ui::ShowError(QStringLiteral("Unable to open ") + Path + QStringLiteral(". ") +
                  QStringLiteral("You may not have access to that file, or it may not ") +
                  QStringLiteral("be a valid Registry file."));
    return false;
}

void TMainForm::FillRegTree() {
    ui::HourglassCursor hourglass;
    const QSignalBlocker block(RegTree);
    RegTree->setUpdatesEnabled(false);
    ValueList->clear();
    RegTree->clear();
    base::ScopeExit show([&] {
        if (m_collapseState) RegTree->expandAll();
        RegTree->setUpdatesEnabled(true);
    });
    {
        const std::vector<SettingsRow> rows = MainData->AllRows();
        QTreeWidgetItem* sectionNode = nullptr;
        QTreeWidgetItem* key1Node = nullptr;
        QTreeWidgetItem* key2Node = nullptr;
        for (const SettingsRow& row : rows) {
            // Compare with the node last added, so that empty keys get nodes of their own.
            if (!sectionNode || sectionNode->text(0) != row.Section) {
                sectionNode = new QTreeWidgetItem(RegTree, {row.Section});
                key1Node = key2Node = nullptr;
            }
            if (!key1Node || key1Node->text(0) != row.Key1) {
                key1Node = new QTreeWidgetItem(sectionNode, {row.Key1});
                key2Node = nullptr;
            }
            if (!key2Node || key2Node->text(0) != row.Key2) key2Node = new QTreeWidgetItem(key1Node, {row.Key2});
        }
        for (QTreeWidgetItemIterator it(RegTree); *it; ++it) (*it)->setFlags((*it)->flags() | Qt::ItemIsEditable);
    }
}

void TMainForm::GetNodeKeys(QTreeWidgetItem* Node, QString& Section, QString& Key1, QString& Key2) const {
    Section.clear();
    Key1.clear();
    Key2.clear();
    if (!Node) return;
    switch (nodeLevel(Node)) {
    case 0: Section = Node->text(0); break;
    case 1:
        Section = Node->parent()->text(0);
        Key1 = Node->text(0);
        break;
    default:
        Section = Node->parent()->parent()->text(0);
        Key1 = Node->parent()->text(0);
        Key2 = Node->text(0);
        break;
    }
}

int TMainForm::nodeLevel(QTreeWidgetItem* node) const {
    int level = 0;
    for (QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent()) ++level;
    return level;
}

void TMainForm::RegTreeChange(QTreeWidgetItem* Node) {
    ValueList->clear();
    if (!Node || nodeLevel(Node) < 2) return;
    ui::HourglassCursor hourglass;
    QString section, key1, key2;
    GetNodeKeys(Node, section, key1, key2);
    ValueList->setUpdatesEnabled(false);
    base::ScopeExit show([&] { ValueList->setUpdatesEnabled(true); });
    for (const SettingsRow& row : MainData->RowsOfKey(section, key1, key2)) {
        auto* line = new QTreeWidgetItem(ValueList, {row.Variable.isEmpty() ? Node->text(0) : row.Variable, row.Value});
        line->setData(0, Qt::UserRole, row.Variable);
        line->setFlags(line->flags() | Qt::ItemIsEditable);
    }
}

// ---- expand and collapse ----

void TMainForm::SetExpandState(bool collapseState) {
    m_collapseState = collapseState;
    ExpandBtn->setIcon(editor::ToolbarIcon(collapseState ? "Collapse" : "Expand"));
    ExpandBtn->setToolTip(collapseState ? QStringLiteral("Collapse all") : QStringLiteral("Expand all"));
}

void TMainForm::ExpandBtnClick() {
    if (m_collapseState) {
        CollapseAll();
    } else {
        ExpandAll();
    }
}

void TMainForm::ExpandAll() {
    SetExpandState(true);
    RegTree->expandAll();
    RegTree->viewport()->update();
}

void TMainForm::CollapseAll() {
    SetExpandState(false);
    ValueList->clear();
    RegTree->collapseAll();
    RegTree->viewport()->update();
}

void TMainForm::ShowNotImplemented(const QString& text) { ui::Message(text, ui::MessageKind::Custom); }

// ---- commands by focused control ----

void TMainForm::AddBtnClick() {
    if (m_focus == Focus::Tree) {
        QTreeWidgetItem* node = RegTree->currentItem();
        if (!node || nodeLevel(node) == 0) {
            AddSectionKey();
        } else {
            AddSubkey();
        }
    } else if (m_focus == Focus::List) {
        QTreeWidgetItem* node = RegTree->currentItem();
        if (node) ExecuteAddValue(node);
    }
}

void TMainForm::EditBtnClick() {
    if (m_focus == Focus::Tree) {
        EditKey();
    } else if (m_focus == Focus::List) {
        EditSelectedValue();
    }
}

void TMainForm::DeleteBtnClick() {
    if (m_focus == Focus::Tree) {
        DeleteKey();
    } else if (m_focus == Focus::List) {
        DeleteValue();
    }
}

void TMainForm::AddSectionKey() {
    auto* node = new QTreeWidgetItem(RegTree, {QStringLiteral("New section key")});
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    RegTree->setCurrentItem(node);
    RegTree->editItem(node);
}

void TMainForm::AddSubkey() {
    QTreeWidgetItem* selected = RegTree->currentItem();
    if (!selected) return;
    QTreeWidgetItem* parent = nodeLevel(selected) >= 2 ? selected->parent() : selected;
    auto* node = new QTreeWidgetItem(parent, {QStringLiteral("New Key")});
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    parent->setExpanded(true);
    RegTree->setCurrentItem(node);
    RegTree->editItem(node);
}

void TMainForm::EditKey() {
    if (QTreeWidgetItem* node = RegTree->currentItem()) RegTree->editItem(node);
}

void TMainForm::ExecuteAddValue(QTreeWidgetItem* Node) {
    if (!Node || nodeLevel(Node) != 2) return;
    QString section, key1, key2;
    GetNodeKeys(Node, section, key1, key2);
    AddRegistryValue->KeyLabel->setText(section + QStringLiteral(" | ") + key1 + QStringLiteral(" | ") + key2 +
                                        QStringLiteral(" | "));
    AddRegistryValue->KeyKey3->setText(QStringLiteral("Default"));
    AddRegistryValue->KeyValue->setText(QStringLiteral("<Not set>"));
    if (ui::ExecModal(*AddRegistryValue) != QDialog::Accepted) return;
    const QString variable = AddRegistryValue->KeyKey3->text();
    if (const auto existing = MainData->FindRow(section, key1, key2, variable)) {
        if (!ui::Confirm(QStringLiteral("The variable \"%1\" already exists with the value [%2]. Replace its value?")
                             .arg(variable, existing->Value)))
            return;
    }
    MainData->WriteRegistryValue(section, key1, key2, variable, AddRegistryValue->KeyValue->text());
    // The list is read again, so a Variable that already existed is not listed twice.
    RegTreeChange(Node);
}

void TMainForm::EditSelectedValue() {
    QTreeWidgetItem* node = RegTree->currentItem();
    QTreeWidgetItem* line = ValueList->currentItem();
    if (!node || !line || nodeLevel(node) != 2) return;
    QString section, key1, key2;
    GetNodeKeys(node, section, key1, key2);
    const QString variable = line->data(0, Qt::UserRole).toString();
    QString value = line->text(1);
    if (!ExecuteEditValue(*EditValue, section, key1, key2, variable, value)) return;
    // The list shows the value only once it is stored: a refused write leaves the old one.
    MainData->WriteRegistryValue(section, key1, key2, variable, value);
    line->setText(1, MainData->LastWritten().Value);
}

// ---- renaming ----

void TMainForm::commitTreeEdit(QTreeWidgetItem* node, const QString& text) {
    const QString newText = base::CutToLength(text, core::kSettingsKeySize);
    bool renamed = true;
    ui::RunGuarded(this, [&] { renamed = RegTreeEdited(node, newText); });
    if (renamed) node->setText(0, newText);
}

void TMainForm::commitListEdit(QTreeWidgetItem* line, const QString& text) {
    ui::RunGuarded(this, [&] { ValueListEdited(line, base::CutToLength(text, core::kSettingsKeySize)); });
}

bool TMainForm::RegTreeEdited(QTreeWidgetItem* Node, const QString& New) {
    const int level = nodeLevel(Node);
    SettingsRow keys;
    GetNodeKeys(Node, keys.Section, keys.Key1, keys.Key2);
    if (!MainData->HasRowsUnder(level, keys)) {
        const QString def = QStringLiteral("Default");
        const QString notSet = QStringLiteral("<Not set>");
        if (level == 0) {
            MainData->WriteRegistryValue(New, def, def, def, notSet);
        } else if (level == 1) {
            MainData->WriteRegistryValue(keys.Section, New, def, def, notSet);
        } else {
            MainData->WriteRegistryValue(keys.Section, keys.Key1, New, def, notSet);
        }
        ui::PostMessage(this, UM_REFRESHTREE, level, 0);
        return true;
    }
    const std::vector<SettingsRow> collisions = MainData->RenameKey(level, keys, New);
    if (collisions.empty()) return true;
    QStringList lines;
    for (const SettingsRow& row : collisions) {
        lines << QStringLiteral("Error writing to Registry. Key is ") + editor::RowKeyText(row) +
                     QStringLiteral(". ") + QStringLiteral("Value is [") + row.Value + QStringLiteral("].");
    }
    lines << QStringLiteral("The name \"%1\" is already used: these variables exist under it too. "
                            "Nothing was renamed.")
                 .arg(New);
    ui::ShowError(lines.join(u'\n'));
    return false;
}

void TMainForm::UMRefreshTree(qintptr WParam) {
    RegTree->viewport()->update();
    QTreeWidgetItem* selected = RegTree->currentItem();
    RegTreeChange(selected);
    if (WParam != 0 || !selected) return;
    auto* child = new QTreeWidgetItem(selected, {MainData->LastWritten().Section});
    child->setFlags(child->flags() | Qt::ItemIsEditable);
    selected->setExpanded(true);
    RegTree->setCurrentItem(child);
    RegTree->editItem(child);
}

void TMainForm::ValueListEdited(QTreeWidgetItem* Line, const QString& New) {
    QString section, key1, key2;
    GetNodeKeys(RegTree->currentItem(), section, key1, key2);
    const QString old = Line->data(0, Qt::UserRole).toString();
    switch (MainData->RenameVariable(section, key1, key2, old, New)) {
    case TMainData::RowChange::Done:
        Line->setData(0, Qt::UserRole, New);
        Line->setText(0, New.isEmpty() ? RegTree->currentItem()->text(0) : New);
        break;
    case TMainData::RowChange::KeyTaken:
        ui::ShowError(QStringLiteral("Error writing to Registry. Key is ") +
                      editor::RowKeyText(SettingsRow{section, key1, key2, New, QString()}) + QStringLiteral(". ") +
                      QStringLiteral("The name \"%1\" is already used by another variable of this key.").arg(New));
        break;
    case TMainData::RowChange::NotFound: ui::ShowError(kNotFound); break;
    }
}

// ---- deleting ----

void TMainForm::DeleteKey() {
    QTreeWidgetItem* node = RegTree->currentItem();
    if (!node) return;
    if (!ui::Confirm(QStringLiteral("Really delete this key? All lower keys and variables will also be deleted, "
                                    "and this action cannot be undone!")))
        return;
    SettingsRow keys;
    GetNodeKeys(node, keys.Section, keys.Key1, keys.Key2);
    MainData->DeleteKey(nodeLevel(node), keys);
    delete node;
}

void TMainForm::DeleteValue() {
    QTreeWidgetItem* node = RegTree->currentItem();
    QTreeWidgetItem* line = ValueList->currentItem();
    if (!node || !line) return;
    if (!ui::Confirm(QStringLiteral("Really delete this variable? This action cannot be undone!"))) return;
    QString section, key1, key2;
    GetNodeKeys(node, section, key1, key2);
    if (MainData->DeleteRow(section, key1, key2, line->data(0, Qt::UserRole).toString()) ==
        TMainData::RowChange::Done) {
        delete line;
    } else {
        ui::ShowError(kNotFound);
    }
}

// ---- find ----

void TMainForm::FindBtnClick() {
    if (!Finder->Execute()) return;
    m_searchText = asciiUpper(Finder->SearchText());
    FindItem(false);
}

void TMainForm::FindNextBtnClick() {
    if (!Finder->SearchMade()) {
        FindBtnClick();
        return;
    }
    FindItem(true);
}

void TMainForm::FindItem(bool Advance) {
    QList<QTreeWidgetItem*> nodes;
    for (int i = 0; i < RegTree->topLevelItemCount(); ++i) preOrder(RegTree->topLevelItem(i), nodes);
    const bool forward = Finder->DirectionIndex() == 0;
    const bool wrap = Finder->Wrap->isChecked();
    qsizetype position = RegTree->currentItem() ? nodes.indexOf(RegTree->currentItem()) : -1;
    if (position < 0) {
        // Nothing selected: the search begins with the first node in its direction.
        position = forward ? 0 : nodes.size() - 1;
        if (Advance) position += forward ? -1 : 1;
    }
    bool wrapped = false;
    bool advance = Advance;
    while (!nodes.isEmpty()) {
        if (advance) {
            position += forward ? 1 : -1;
            if (position < 0 || position >= nodes.size()) {
                if (!wrap || wrapped) break;
                wrapped = true;
                position = forward ? 0 : nodes.size() - 1;
            }
        }
        advance = true;
        QTreeWidgetItem* node = nodes[position];
        RegTree->setCurrentItem(node);
        if (m_searchText.isEmpty()) continue;
        if (asciiUpper(node->text(0)).contains(m_searchText)) return;
        for (int i = 0; i < ValueList->topLevelItemCount(); ++i) {
            QTreeWidgetItem* line = ValueList->topLevelItem(i);
            if (asciiUpper(line->text(0)).contains(m_searchText) || asciiUpper(line->text(1)).contains(m_searchText)) {
                ValueList->setCurrentItem(line);
                return;
            }
        }
    }
    ui::Message(QStringLiteral("No items found."), ui::MessageKind::Information);
}

// ---- import, export, recent files ----

void TMainForm::ExportBtnClick() {
    ui::HourglassCursor hourglass;
    if (ExportKey->isVisible()) {
        ExportKey->FillKeyList();
    } else {
        // A window of its own, so it is placed by hand: centred on this one.
        ExportKey->move(frameGeometry().center() - ExportKey->rect().center());
    }
    ExportKey->show();
    ExportKey->raise();
}

void TMainForm::ImportBtnClick() {
    ui::FileRequest request;
    request.caption = QStringLiteral("Select import file");
    request.filter = QStringLiteral("Text file (*.txt);;Any file (*)");
    const auto chosen = ui::ChooseFileToOpen(request);
    if (!chosen) return;
    QFile file(*chosen);
    if (!file.open(QIODevice::ReadOnly)) {
        ui::ShowError(QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(*chosen), file.errorString()));
        return;
    }
    const base::Result<editor::ExportFileContent> content = editor::ParseExportFile(file.readAll());
    file.close();
    struct Rebuild {
        TMainForm* form;
        ~Rebuild() { ui::RunGuarded(form, [&] { form->FillRegTree(); }); }
    } rebuild{this};
    if (!content) {
        qCWarning(lcEditor) << "import stopped at line" << content.error().line << "of" << *chosen;
        ui::ShowError(content.error().text);
        return;
    }
    MainData->ImportRows(content->rows);
    QString done = QStringLiteral("Imported %1 from %2")
                       .arg(editor::CountOfRows(qsizetype(content->rows.size())), QDir::toNativeSeparators(*chosen));
    if (content->encoding != QLatin1String("UTF-8"))
        done += QStringLiteral(" (not UTF-8, read as %1)").arg(content->encoding);
    StatusBar->showMessage(done, kReportMs);
}

void TMainForm::RecentFileListClick(QAction* Sender) {
    const QString caption = Sender->text();
    const qsizetype blank = caption.indexOf(u' ');
    OpenRegistryFile(blank < 0 ? QString() : caption.mid(blank + 1));
}
