#include "report/designer/explorer/report_explorer_form.h"

#include "report/designer/explorer/explorer_texts.h"
#include "report/designer/explorer/item_list.h"
#include "report/output/dialog_registry.h"
#include "report/page/resource_manager.h"

#include "platform/base/scope_exit.h"
#include "platform/settings/ini_file.h"
#include "platform/ui/cursor.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString text(int n) { return ppGetMessageText(n); }
constexpr int kFolderRole = Qt::UserRole;
const QString kPosition = QStringLiteral("Explorer Form Position");
const QString kState = QStringLiteral("Explorer Form State");

}  // namespace

namespace report {

void RegisterReportExplorerForm() {
    static const bool registered = [] {
        if (!ppReportExplorerForm())
            ppRegisterReportExplorerForm([]() -> TppCustomReportExplorer* { return new TppReportExplorerForm(nullptr); });
        return true;
    }();
    (void)registered;
}

}  // namespace report

QString TppReportExplorerForm::SettingsFileName() { return QStringLiteral("Marlisk.ini"); }

QAction* TppReportExplorerForm::menuItem(QMenu* aMenu, const char* aName) {
    QAction* a = aMenu->addAction(QString());
    a->setObjectName(QString::fromLatin1(aName));
    return a;
}

TppReportExplorerForm::TppReportExplorerForm(QWidget* aParent) : QDialog(aParent) {
    report::DeclareExplorerTexts();
    setObjectName(QStringLiteral("ppReportExplorerForm"));
    setWindowFlags(Qt::Window);
    setSizeGripEnabled(true);

    // Menus.
    MainMenu = ui::Make<QMenuBar>(this, "MainMenu");
    mniFile = MainMenu->addMenu(QString());
    mniFile->setObjectName(QStringLiteral("mniFile"));
    mniFileOpen = menuItem(mniFile, "mniFileOpen");
    mniFileNew = mniFile->addMenu(QString());
    mniFileNew->setObjectName(QStringLiteral("mniFileNew"));
    mniFileNewFolder = menuItem(mniFileNew, "mniFileNewFolder");
    mniFileNewReport = menuItem(mniFileNew, "mniFileNewReport");
    mniFile->addSeparator();
    mniFileDesign = menuItem(mniFile, "mniFileDesign");
    mniFilePrint = menuItem(mniFile, "mniFilePrint");
    mniFilePrintPreview = menuItem(mniFile, "mniFilePrintPreview");
    mniFile->addSeparator();
    mniFileDelete = menuItem(mniFile, "mniFileDelete");
    mniFileRename = menuItem(mniFile, "mniFileRename");
    mniFile->addSeparator();
    mniFileClose = menuItem(mniFile, "mniFileClose");
    mniView = MainMenu->addMenu(QString());
    mniView->setObjectName(QStringLiteral("mniView"));
    mniViewToolbar = menuItem(mniView, "mniViewToolbar");
    mniViewStatusBar = menuItem(mniView, "mniViewStatusBar");
    mniView->addSeparator();
    mniViewList = menuItem(mniView, "mniViewList");
    mniViewDetails = menuItem(mniView, "mniViewDetails");
    for (QAction* a : {mniViewToolbar, mniViewStatusBar, mniViewList, mniViewDetails}) a->setCheckable(true);
    mniViewToolbar->setChecked(true);
    mniViewStatusBar->setChecked(true);
    mniViewList->setChecked(true);
    auto* viewGroup = new QActionGroup(this);
    viewGroup->addAction(mniViewList);
    viewGroup->addAction(mniViewDetails);
    mniHelp = MainMenu->addMenu(QString());
    mniHelp->setObjectName(QStringLiteral("mniHelp"));
    mniHelpTopics = menuItem(mniHelp, "mniHelpTopics");
    mniHelpAbout = menuItem(mniHelp, "mniHelpAbout");

    // Toolbar.
    tbrExplorer = ui::Make<QWidget>(this, "tbrExplorer");
    auto* toolbar = new QHBoxLayout(tbrExplorer);
    toolbar->setContentsMargins(2, 2, 2, 2);
    toolbar->setSpacing(1);
    auto button = [&](const char* name, const char* icon) {
        auto* b = ui::Make<QToolButton>(tbrExplorer, name);
        b->setIcon(report::ExplorerIcon(QString::fromLatin1(icon)));
        b->setAutoRaise(true);
        b->setIconSize(QSize(16, 16));
        toolbar->addWidget(b);
        m_buttons << b;
        return b;
    };
    spbUpOneLevel = button("spbUpOneLevel", "go-up-symbolic");
    spbNewFolder = button("spbNewFolder", "folder-new-symbolic");
    spbNewReport = button("spbNewReport", "document-new-symbolic");
    spbPrint = button("spbPrint", "document-print-symbolic");
    spbPrintPreview = button("spbPrintPreview", "document-print-preview-symbolic");
    spbDelete = button("spbDelete", "edit-delete-symbolic");
    spbViewList = button("spbViewList", "view-list-symbolic");
    spbViewDetails = button("spbViewDetails", "view-more-horizontal-symbolic");
    spbViewList->setCheckable(true);
    spbViewDetails->setCheckable(true);
    spbViewList->setAutoExclusive(true);
    spbViewDetails->setAutoExclusive(true);
    spbViewList->setChecked(true);
    toolbar->addStretch(1);

    // Folders and contents.
    splViews = ui::Make<QSplitter>(this, "splViews");
    pnlFolders = ui::Make<QWidget>(splViews, "pnlFolders");
    pnlFolderTitle = ui::Make<QLabel>(pnlFolders, "pnlFolderTitle");
    pnlFolderTitle->setFrameShape(QFrame::Panel);
    pnlFolderTitle->setFrameShadow(QFrame::Raised);
    trvFolders = ui::Make<QTreeWidget>(pnlFolders, "trvFolders");
    trvFolders->setHeaderHidden(true);
    trvFolders->setDragEnabled(true);
    trvFolders->setAcceptDrops(true);
    trvFolders->setDragDropMode(QAbstractItemView::DragDrop);
    trvFolders->setEditTriggers(QAbstractItemView::EditKeyPressed);
    trvFolders->setContextMenuPolicy(Qt::CustomContextMenu);
    trvFolders->viewport()->installEventFilter(this);
    trvFolders->installEventFilter(this);
    auto* folders = new QVBoxLayout(pnlFolders);
    folders->setContentsMargins(0, 0, 0, 0);
    folders->setSpacing(0);
    folders->addWidget(pnlFolderTitle);
    folders->addWidget(trvFolders, 1);
    pnlReports = ui::Make<QWidget>(splViews, "pnlReports");
    pnlReportTitle = ui::Make<QLabel>(pnlReports, "pnlReportTitle");
    pnlReportTitle->setFrameShape(QFrame::Panel);
    pnlReportTitle->setFrameShadow(QFrame::Raised);
    m_itemList = new TppItemList(pnlReports);
    m_itemList->setContextMenuPolicy(Qt::CustomContextMenu);
    m_itemList->installEventFilter(this);
    auto* reports = new QVBoxLayout(pnlReports);
    reports->setContentsMargins(0, 0, 0, 0);
    reports->setSpacing(0);
    reports->addWidget(pnlReportTitle);
    reports->addWidget(m_itemList, 1);
    splViews->addWidget(pnlFolders);
    splViews->addWidget(pnlReports);
    splViews->setStretchFactor(1, 1);
    splViews->setSizes({180, 420});

    sbrExplorer = ui::Make<QStatusBar>(this, "sbrExplorer");
    m_panel1 = ui::Make<QLabel>(sbrExplorer, "sbrExplorerPanel1");
    m_panel1->setMinimumWidth(150);
    m_panel2 = ui::Make<QLabel>(sbrExplorer, "sbrExplorerPanel2");
    sbrExplorer->addWidget(m_panel1);
    sbrExplorer->addWidget(m_panel2, 1);
    sbrExplorer->setSizeGripEnabled(false);

    // Pop-up menus.
    ppmReports = ui::Make<QMenu>(this, "ppmReports");
    ppmReportsOpen = menuItem(ppmReports, "ppmReportsOpen");
    ppmReports->addSeparator();
    ppmReportsNewFolder = menuItem(ppmReports, "ppmReportsNewFolder");
    ppmReportsNewReport = menuItem(ppmReports, "ppmReportsNewReport");
    ppmReports->addSeparator();
    ppmReportsDesign = menuItem(ppmReports, "ppmReportsDesign");
    ppmReportsPrint = menuItem(ppmReports, "ppmReportsPrint");
    ppmReportsPrintPreview = menuItem(ppmReports, "ppmReportsPrintPreview");
    ppmReports->addSeparator();
    ppmReportsView = ppmReports->addMenu(QString());
    ppmReportsView->setObjectName(QStringLiteral("ppmReportsView"));
    ppmReportsList = menuItem(ppmReportsView, "ppmReportsList");
    ppmReportsDetails = menuItem(ppmReportsView, "ppmReportsDetails");
    ppmReports->addSeparator();
    ppmReportsDelete = menuItem(ppmReports, "ppmReportsDelete");
    ppmReportsRename = menuItem(ppmReports, "ppmReportsRename");
    ppmFolders = ui::Make<QMenu>(this, "ppmFolders");
    ppmFoldersOpen = menuItem(ppmFolders, "ppmFoldersOpen");
    ppmFolders->addSeparator();
    ppmFoldersNewFolder = menuItem(ppmFolders, "ppmFoldersNewFolder");
    ppmFoldersNewReport = menuItem(ppmFolders, "ppmFoldersNewReport");
    ppmFolders->addSeparator();
    ppmFoldersDelete = menuItem(ppmFolders, "ppmFoldersDelete");
    ppmFoldersRename = menuItem(ppmFolders, "ppmFoldersRename");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu);
    layout->addWidget(tbrExplorer);
    layout->addWidget(splViews, 1);
    layout->addWidget(sbrExplorer);
    resize(600, 400);

    // Connections.
    auto on = [this](QObject* sender, auto signal, auto body) {
        connect(static_cast<typename QtPrivate::FunctionPointer<decltype(signal)>::Object*>(sender), signal, this,
                [this, body] { ui::RunGuarded(this, body); });
    };
    on(mniFileOpen, &QAction::triggered, [this] { OpenClick(); });
    on(ppmReportsOpen, &QAction::triggered, [this] { SetTreeFocused(false); OpenClick(); });
    on(ppmFoldersOpen, &QAction::triggered, [this] { SetTreeFocused(true); OpenClick(); });
    for (QAction* a : {mniFileNewFolder, ppmReportsNewFolder, ppmFoldersNewFolder}) on(a, &QAction::triggered, [this] { NewFolderClick(); });
    on(spbNewFolder, &QToolButton::clicked, [this] { NewFolderClick(); });
    for (QAction* a : {mniFileNewReport, ppmReportsNewReport, ppmFoldersNewReport}) on(a, &QAction::triggered, [this] { NewReportClick(); });
    on(spbNewReport, &QToolButton::clicked, [this] { NewReportClick(); });
    for (QAction* a : {mniFileDesign, ppmReportsDesign}) on(a, &QAction::triggered, [this] { DesignClick(); });
    for (QAction* a : {mniFilePrint, ppmReportsPrint}) on(a, &QAction::triggered, [this] { PrintClick(); });
    on(spbPrint, &QToolButton::clicked, [this] { PrintClick(); });
    for (QAction* a : {mniFilePrintPreview, ppmReportsPrintPreview}) on(a, &QAction::triggered, [this] { PrintPreviewClick(); });
    on(spbPrintPreview, &QToolButton::clicked, [this] { PrintPreviewClick(); });
    on(mniFileDelete, &QAction::triggered, [this] { DeleteClick(); });
    on(spbDelete, &QToolButton::clicked, [this] { DeleteClick(); });
    on(ppmReportsDelete, &QAction::triggered, [this] { SetTreeFocused(false); DeleteClick(); });
    on(ppmFoldersDelete, &QAction::triggered, [this] { SetTreeFocused(true); DeleteClick(); });
    on(mniFileRename, &QAction::triggered, [this] { RenameClick(); });
    on(ppmReportsRename, &QAction::triggered, [this] { SetTreeFocused(false); RenameClick(); });
    on(ppmFoldersRename, &QAction::triggered, [this] { SetTreeFocused(true); RenameClick(); });
    on(mniFileClose, &QAction::triggered, [this] { close(); });
    on(spbUpOneLevel, &QToolButton::clicked, [this] { UpOneLevelClick(); });
    for (QAction* a : {mniViewList, ppmReportsList}) on(a, &QAction::triggered, [this] { ViewList(true); });
    on(spbViewList, &QToolButton::clicked, [this] { ViewList(true); });
    for (QAction* a : {mniViewDetails, ppmReportsDetails}) on(a, &QAction::triggered, [this] { ViewList(false); });
    on(spbViewDetails, &QToolButton::clicked, [this] { ViewList(false); });
    on(mniViewToolbar, &QAction::triggered, [this] { tbrExplorer->setVisible(mniViewToolbar->isChecked()); });
    on(mniViewStatusBar, &QAction::triggered, [this] { sbrExplorer->setVisible(mniViewStatusBar->isChecked()); });
    on(mniHelpTopics, &QAction::triggered, [this] { HelpContentsClick(); });
    on(mniHelpAbout, &QAction::triggered, [this] { AboutClick(); });
    connect(mniHelp, &QMenu::aboutToShow, this, [this] { mniHelpTopics->setText(QStringLiteral("&Help Contents")); });
    connect(trvFolders, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* n) {
        ui::RunGuarded(this, [&] { SetTreeFocused(true); SelectFolder(n->data(0, kFolderRole).toInt()); });
    });
    connect(trvFolders, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* n) {
        if (!m_building && n) ui::RunGuarded(this, [&] { SelectFolder(n->data(0, kFolderRole).toInt()); });
    });
    connect(trvFolders, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* n) {
        if (!m_building) ui::RunGuarded(this, [&] { treeEdited(n); });
    });
    connect(trvFolders, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* n) {
        if (n == m_allFoldersNode) n->setExpanded(true);
    });
    connect(trvFolders, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        QTreeWidgetItem* n = trvFolders->itemAt(p);
        if (!n) return;
        SelectFolder(n->data(0, kFolderRole).toInt());
        SetTreeFocused(true);
        PrepareTreePopup(n);
        ppmFolders->popup(trvFolders->viewport()->mapToGlobal(p));
    });
    connect(m_itemList, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        SetTreeFocused(false);
        ppmReports->popup(m_itemList->viewport()->mapToGlobal(p));
    });
    m_itemList->OnOpenItem = [this] { SetTreeFocused(false); OpenClick(); };
    m_itemList->OnFolderChange = [this] {
        BuildTree();
        SelectFolder(m_itemList->FolderId());
    };
    m_itemList->OnFolderRename = [this](int aFolder, const QString& aName) {
        if (QTreeWidgetItem* n = nodeOf(aFolder)) {
            m_building = true;
            n->setText(0, aName);
            m_building = false;
        }
    };
    m_itemList->OnSelectionChange = [this] {
        updateStatusBar();
        updateItemCommands();
    };
    setCaptions();
}

TppReportExplorerForm::~TppReportExplorerForm() {
    if (m_explorer) SaveSettings();
}

void TppReportExplorerForm::SetReportExplorer(TppReportExplorer* aExplorer) {
    m_explorer = aExplorer;
    m_itemList->SetExplorer(aExplorer);
}

void TppReportExplorerForm::SetLanguageIndex(int aIndex) {
    m_language = aIndex;
    m_itemList->SetLanguage(aIndex);
    setCaptions();
}

void TppReportExplorerForm::setCaptions() {
    setWindowTitle(text(580));
    mniFile->setTitle(text(131));
    mniFileOpen->setText(text(511));
    mniFileNew->setTitle(text(133));
    mniFileNewFolder->setText(text(509));
    mniFileNewReport->setText(text(145));
    mniFileDesign->setText(text(185));
    mniFilePrint->setText(text(136));
    mniFilePrintPreview->setText(text(576));
    mniFileDelete->setText(text(124));
    mniFileRename->setText(text(512));
    mniFileClose->setText(text(132));
    mniView->setTitle(text(155));
    mniViewToolbar->setText(text(514));
    mniViewStatusBar->setText(text(513));
    mniViewList->setText(text(510));
    mniViewDetails->setText(text(508));
    mniHelp->setTitle(text(142));
    mniHelpTopics->setText(text(144));
    mniHelpAbout->setText(text(143));
    ppmReportsOpen->setText(text(511));
    ppmReportsNewFolder->setText(text(558));
    ppmReportsNewReport->setText(text(572));
    ppmReportsDesign->setText(text(185));
    ppmReportsPrint->setText(text(136));
    ppmReportsPrintPreview->setText(text(576));
    ppmReportsView->setTitle(text(155));
    ppmReportsList->setText(text(510));
    ppmReportsDetails->setText(text(508));
    ppmReportsDelete->setText(text(124));
    ppmReportsRename->setText(text(542));
    ppmFoldersOpen->setText(text(511));
    ppmFoldersNewFolder->setText(text(558));
    ppmFoldersNewReport->setText(text(572));
    ppmFoldersDelete->setText(text(124));
    ppmFoldersRename->setText(text(542));
    spbUpOneLevel->setToolTip(text(589));
    spbNewFolder->setToolTip(text(545));
    spbNewReport->setToolTip(text(571));
    spbPrint->setToolTip(text(575));
    spbPrintPreview->setToolTip(text(577));
    spbDelete->setToolTip(text(547));
    spbViewList->setToolTip(text(566));
    spbViewDetails->setToolTip(text(549));
    pnlFolderTitle->setText(u' ' + text(524));
    if (m_allFoldersNode) m_allFoldersNode->setText(0, text(524));
    if (m_recycleBinNode) m_recycleBinNode->setText(0, text(578));
    updateTitle();
}

void TppReportExplorerForm::Init() {
    LoadSettings();
    ApplyOptions();
    BuildTree();
    SelectFolder(m_itemList->FolderId());
    if (!m_savedItem.isEmpty()) m_itemList->SelectItem(m_savedItem);
}

void TppReportExplorerForm::Refresh() {
    if (!m_explorer) return;
    BuildTree();
    SelectFolder(m_explorer->CurrentFolderId());
    m_itemList->SelectItem(m_explorer->CurrentItemName());
}

// ---- settings ----

void TppReportExplorerForm::LoadSettings() {
    settings::IniFile ini(SettingsFileName());
    const int left = ini.ReadInteger(kPosition, QStringLiteral("Left"), -1);
    if (left != -1) {
        m_positionRestored = true;
        QRect screen(0, 0, 1024, 768);
        if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry();
        int width = 790, height = 600;
        if (screen.width() != 1024) {
            width = screen.width() * 790 / 1024;
            height = this->height() * screen.height() / 768;
        }
        const int defLeft = (screen.width() - width) / 2, defTop = (screen.height() - height) / 2;
        const int state = ini.ReadInteger(kPosition, QStringLiteral("WindowState"), 0);
        QRect bounds(defLeft, defTop, width, height);
        if (state == 0)
            bounds = QRect(ini.ReadInteger(kPosition, QStringLiteral("Left"), defLeft),
                           ini.ReadInteger(kPosition, QStringLiteral("Top"), defTop),
                           ini.ReadInteger(kPosition, QStringLiteral("Width"), width),
                           ini.ReadInteger(kPosition, QStringLiteral("Height"), height));
        move(bounds.topLeft());
        resize(bounds.size());
        if (state == 2) setWindowState(Qt::WindowMaximized);
    }
    const bool list = ini.ReadBool(kState, QStringLiteral("ViewList"), true);
    ViewList(list);
    mniViewToolbar->setChecked(ini.ReadBool(kState, QStringLiteral("ViewToolbar"), true));
    tbrExplorer->setVisible(mniViewToolbar->isChecked());
    mniViewStatusBar->setChecked(ini.ReadBool(kState, QStringLiteral("ViewStatusBar"), true));
    sbrExplorer->setVisible(mniViewStatusBar->isChecked());
    m_itemList->SetSortMode(ini.ReadInteger(kState, QStringLiteral("SortMode"), 1));
    const int widths[] = {250, 120, 100, 140};
    for (int c = 0; c < 4; ++c)
        m_itemList->setColumnWidth(c, ini.ReadInteger(kState, QStringLiteral("ListViewColumn%1Width").arg(c + 1), widths[c]));
    const int folder = ini.ReadInteger(kState, QStringLiteral("Selected Folder"), 0);
    const QString item = ini.ReadString(kState, QStringLiteral("Selected Item"));
    m_itemList->SetFolder(folder);
    m_itemList->SelectItem(item);
    m_savedItem = item;
    if (m_explorer) {
        m_explorer->SetCurrentFolderId(folder);
        m_explorer->SetCurrentItemName(m_itemList->GetSelectedName());
    }
}

void TppReportExplorerForm::SaveSettings() {
    settings::IniFile ini(SettingsFileName());
    const Qt::WindowStates state = windowState();
    ini.WriteInteger(kPosition, QStringLiteral("WindowState"),
                     state & Qt::WindowMinimized ? 1 : (state & Qt::WindowMaximized ? 2 : 0));
    ini.WriteInteger(kPosition, QStringLiteral("Left"), x());
    ini.WriteInteger(kPosition, QStringLiteral("Top"), y());
    ini.WriteInteger(kPosition, QStringLiteral("Width"), width());
    ini.WriteInteger(kPosition, QStringLiteral("Height"), height());
    ini.WriteBool(kState, QStringLiteral("ViewList"), !m_itemList->Details());
    ini.WriteBool(kState, QStringLiteral("ViewToolbar"), mniViewToolbar->isChecked());
    ini.WriteBool(kState, QStringLiteral("ViewStatusBar"), mniViewStatusBar->isChecked());
    ini.WriteInteger(kState, QStringLiteral("SortMode"), m_itemList->SortMode());
    for (int c = 0; c < 4; ++c)
        ini.WriteInteger(kState, QStringLiteral("ListViewColumn%1Width").arg(c + 1), m_itemList->columnWidth(c));
    ini.WriteInteger(kState, QStringLiteral("Selected Folder"), m_itemList->FolderId());
    ini.WriteString(kState, QStringLiteral("Selected Item"), m_itemList->GetSelectedName());
}

void TppReportExplorerForm::ApplyOptions() {
    if (!m_explorer) return;
    const TppFolderOptions fo = m_explorer->FolderOptions();
    const TppItemOptions io = m_explorer->ItemOptions();
    const bool preview = m_explorer->ItemAction() == TppItemActionType::iaOpenToPreview;
    for (QAction* a : {mniFileDesign, ppmReportsDesign}) a->setVisible(preview && (io & TppItemOption::ioAllowDesign));
    for (QAction* a : {mniFilePrintPreview, ppmReportsPrintPreview}) a->setVisible(!preview);
    spbPrintPreview->setVisible(!preview);
    const bool newReport = bool(io & TppItemOption::ioAllowNew), newFolder = bool(fo & TppFolderOption::foAllowNew);
    for (QAction* a : {mniFileNewReport, ppmReportsNewReport, ppmFoldersNewReport}) a->setVisible(newReport);
    spbNewReport->setVisible(newReport);
    for (QAction* a : {mniFileNewFolder, ppmReportsNewFolder, ppmFoldersNewFolder}) a->setVisible(newFolder);
    spbNewFolder->setVisible(newFolder);
    mniFileNew->menuAction()->setVisible(newReport || newFolder);
    ppmFoldersDelete->setVisible(bool(fo & TppFolderOption::foAllowDelete));
    const bool anyDelete = (fo & TppFolderOption::foAllowDelete) || (io & TppItemOption::ioAllowDelete);
    for (QAction* a : {mniFileDelete, ppmReportsDelete}) a->setVisible(anyDelete);
    spbDelete->setVisible(anyDelete);
    ppmFoldersRename->setVisible(bool(fo & TppFolderOption::foAllowRename));
    const bool anyRename = (fo & TppFolderOption::foAllowRename) || (io & TppItemOption::ioAllowRename);
    for (QAction* a : {mniFileRename, ppmReportsRename}) a->setVisible(anyRename);
}

// ---- tree ----

void TppReportExplorerForm::BuildTree() {
    if (!m_explorer) return;
    m_building = true;
    const auto done = base::ScopeExit([this] { m_building = false; });
    trvFolders->setUpdatesEnabled(false);
    trvFolders->clear();
    m_allFoldersNode = new QTreeWidgetItem(trvFolders, {text(524)});
    m_allFoldersNode->setData(0, kFolderRole, kppRootFolder);
    m_allFoldersNode->setIcon(0, report::ExplorerIcon(QStringLiteral("folder-open")));
    m_recycleBinNode = new QTreeWidgetItem(trvFolders, {text(578)});
    m_recycleBinNode->setData(0, kFolderRole, kppRecycleBin);
    QList<TppFolderInfo> remaining = m_explorer->GetFolders();
    QHash<int, QTreeWidgetItem*> nodes;
    nodes.insert(kppRootFolder, m_allFoldersNode);
    const QIcon closed = report::ExplorerIcon(QStringLiteral("folder"));
    auto add = [&](const TppFolderInfo& f, QTreeWidgetItem* parent) {
        auto* n = new QTreeWidgetItem(parent, {f.Name});
        n->setData(0, kFolderRole, f.FolderId);
        n->setIcon(0, closed);
        n->setFlags(n->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        nodes.insert(f.FolderId, n);
    };
    while (!remaining.isEmpty()) {
        // Every folder whose parent is in the tree, in list order; when none is left, the last
        // remaining one goes under "All Folders" (its parent row is missing or in a cycle).
        bool placed = false;
        for (int i = 0; i < remaining.size();) {
            const TppFolderInfo& f = remaining[i];
            if (QTreeWidgetItem* parent = nodes.value(f.ParentId); parent && !nodes.contains(f.FolderId)) {
                add(f, parent);
                remaining.removeAt(i);
                placed = true;
            } else if (nodes.contains(f.FolderId)) {
                remaining.removeAt(i);
            } else {
                ++i;
            }
        }
        if (!placed && !remaining.isEmpty()) {
            add(remaining.last(), m_allFoldersNode);
            remaining.removeLast();
        }
    }
    trvFolders->sortItems(0, Qt::AscendingOrder);
    UpdateRecycleBinIcon();
    m_allFoldersNode->setExpanded(true);
    trvFolders->setUpdatesEnabled(true);
}

void TppReportExplorerForm::UpdateRecycleBinIcon() {
    if (!m_recycleBinNode || !m_explorer) return;
    const bool full = !m_explorer->GetItems(kppRecycleBin).isEmpty();
    m_recycleBinNode->setIcon(0, report::ExplorerIcon(full ? QStringLiteral("user-trash-full") : QStringLiteral("user-trash")));
    m_recycleBinNode->setData(0, Qt::UserRole + 1, full);
}

bool TppReportExplorerForm::RecycleBinFull() const {
    return m_recycleBinNode && m_recycleBinNode->data(0, Qt::UserRole + 1).toBool();
}

QTreeWidgetItem* TppReportExplorerForm::nodeOf(int aFolderId) const {
    QTreeWidgetItemIterator it(trvFolders);
    for (; *it; ++it)
        if ((*it)->data(0, kFolderRole).toInt() == aFolderId) return *it;
    return nullptr;
}

int TppReportExplorerForm::SelectedFolder() const {
    QTreeWidgetItem* n = trvFolders->currentItem();
    return n ? n->data(0, kFolderRole).toInt() : kppRootFolder;
}

void TppReportExplorerForm::SelectFolder(int aFolderId) {
    const bool wasBuilding = m_building;
    m_building = true;
    const QIcon closed = report::ExplorerIcon(QStringLiteral("folder"));
    const QIcon open = report::ExplorerIcon(QStringLiteral("folder-open"));
    QTreeWidgetItemIterator it(trvFolders);
    for (; *it; ++it)
        if ((*it)->data(0, kFolderRole).toInt() > 0) (*it)->setIcon(0, closed);
    QTreeWidgetItem* node = nodeOf(aFolderId);
    if (!node) node = m_allFoldersNode;
    if (node) {
        trvFolders->setCurrentItem(node);
        if (node->data(0, kFolderRole).toInt() > 0) node->setIcon(0, open);
        for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) {
            p->setExpanded(true);
            if (p->data(0, kFolderRole).toInt() > 0) p->setIcon(0, open);
        }
    }
    m_building = wasBuilding;
    const int folder = node ? node->data(0, kFolderRole).toInt() : kppRootFolder;
    if (m_itemList->FolderId() != folder || m_itemList->topLevelItemCount() == 0) m_itemList->SetFolder(folder);
    else m_itemList->RefreshItems();
    updateTitle();
    updateFolderCommands();
    updateItemCommands();
    updateStatusBar();
}

void TppReportExplorerForm::updateTitle() {
    QTreeWidgetItem* node = trvFolders ? trvFolders->currentItem() : nullptr;
    QStringList path;
    for (QTreeWidgetItem* n = node; n && n->data(0, kFolderRole).toInt() > 0; n = n->parent()) path.prepend(n->text(0));
    QString title = path.join(u'\\');
    if (title.isEmpty()) title = node ? node->text(0) : text(524);
    pnlReportTitle->setText(u' ' + report::MessageText(544, {title}));
}

QString TppReportExplorerForm::ContentsTitle() const { return pnlReportTitle->text(); }

void TppReportExplorerForm::SetTreeFocused(bool aTree) {
    m_treeFocused = aTree;
    updateFolderCommands();
    updateItemCommands();
    updateStatusBar();
}

void TppReportExplorerForm::updateFolderCommands() {
    if (!m_explorer) return;
    const int folder = SelectedFolder();
    const bool bin = folder == kppRecycleBin, root = folder == kppRootFolder;
    QTreeWidgetItem* node = trvFolders->currentItem();
    const bool shownOpen = node && node->isExpanded() && node->childCount() > 0;
    spbUpOneLevel->setEnabled(!bin && !root);
    mniFileOpen->setEnabled(!bin && !root && !shownOpen);
    ppmFoldersOpen->setEnabled(!bin && !root && !shownOpen);
    mniFileNew->setEnabled(!bin);
    spbDelete->setEnabled(!bin && !root);
    bool canDelete = !bin && !root, canRename = !bin && !root;
    if (m_treeFocused) {
        canDelete = canDelete && (m_explorer->FolderOptions() & TppFolderOption::foAllowDelete);
        canRename = canRename && (m_explorer->FolderOptions() & TppFolderOption::foAllowRename);
    }
    for (QAction* a : {mniFileDelete, ppmFoldersDelete}) a->setEnabled(canDelete);
    for (QAction* a : {mniFileRename, ppmFoldersRename}) a->setEnabled(canRename);
    spbNewFolder->setEnabled(!bin);
    spbNewReport->setEnabled(!bin);
    for (QAction* a : {mniFileNewFolder, mniFileNewReport, ppmFoldersNewFolder, ppmFoldersNewReport}) a->setEnabled(!bin);
}

void TppReportExplorerForm::updateItemCommands() {
    if (!m_explorer) return;
    const bool bin = m_itemList->FolderId() == kppRecycleBin;
    const int type = m_itemList->GetSelectedType();
    const bool printable = !bin && type > 0 && type != kppFolderItem;
    const TppFolderOptions fo = m_explorer->FolderOptions();
    const TppItemOptions io = m_explorer->ItemOptions();
    for (QAction* a : {ppmReportsNewFolder}) a->setEnabled(!bin && (fo & TppFolderOption::foAllowNew));
    for (QAction* a : {ppmReportsNewReport}) a->setEnabled(!bin && (io & TppItemOption::ioAllowNew));
    for (QAction* a : {mniFilePrint, mniFilePrintPreview, ppmReportsOpen, ppmReportsPrint, ppmReportsPrintPreview})
        a->setEnabled(printable);
    spbPrint->setEnabled(printable);
    spbPrintPreview->setEnabled(printable);
    for (QAction* a : {mniFileDesign, ppmReportsDesign}) a->setEnabled(printable && (io & TppItemOption::ioAllowDesign));
    if (m_treeFocused) return;
    mniFileOpen->setEnabled(printable);
    const bool canDelete = m_itemList->AnyFolderSelected() ? bool(fo & TppFolderOption::foAllowDelete)
                                                           : (type > 0 && (bin || printable) && (io & TppItemOption::ioAllowDelete));
    const bool canRename = type == kppFolderItem ? bool(fo & TppFolderOption::foAllowRename)
                                                 : printable && (io & TppItemOption::ioAllowRename);
    for (QAction* a : {mniFileDelete, ppmReportsDelete}) a->setEnabled(canDelete);
    spbDelete->setEnabled(canDelete);
    for (QAction* a : {mniFileRename, ppmReportsRename}) a->setEnabled(canRename);
}

void TppReportExplorerForm::updateStatusBar() {
    const int count = m_itemList->Count();
    m_panel1->setText(m_treeFocused ? report::MessageText(522, {QString::number(count)})
                                    : report::MessageText(521, {QString::number(count)}));
    if (!m_treeFocused && m_itemList->OnlyFoldersSelected()) m_panel2->clear();
    else if (m_itemList->TotalSize() == 0) m_panel2->setText(QStringLiteral("0 ") + text(531));
    else m_panel2->setText(QString::number(m_itemList->TotalSize() / 1000) + text(565));
}

QStringList TppReportExplorerForm::StatusTexts() const { return {m_panel1->text(), m_panel2->text()}; }

// ---- commands ----

void TppReportExplorerForm::OpenClick() {
    if (!m_explorer) return;
    if (m_treeFocused) {
        if (QTreeWidgetItem* n = trvFolders->currentItem()) n->setExpanded(true);
        updateFolderCommands();
        return;
    }
    const int type = m_itemList->GetSelectedType();
    if (type <= 0 || type == kppFolderItem || m_itemList->FolderId() == kppRecycleBin) return;
    if (m_explorer->ItemAction() == TppItemActionType::iaOpenToDesign) DesignClick();
    else PrintPreviewClick();
}

void TppReportExplorerForm::DesignClick() {
    if (!m_explorer || m_itemList->FolderId() == kppRecycleBin) return;
    const QString name = m_itemList->GetSelectedName();
    if (m_itemList->GetSelectedType() != kppReportItem || name.isEmpty()) return;
    ui::HourglassCursor wait;
    m_explorer->DesignReport(name, m_itemList->FolderId());
}

void TppReportExplorerForm::PrintClick() {
    if (!m_explorer || m_itemList->GetSelectedName().isEmpty()) return;
    m_explorer->PrintReport(m_itemList->GetSelectedName(), m_itemList->GetSelectedFolder());
}

void TppReportExplorerForm::PrintPreviewClick() {
    if (!m_explorer || m_itemList->GetSelectedName().isEmpty()) return;
    m_explorer->PreviewReport(m_itemList->GetSelectedName(), m_itemList->GetSelectedFolder());
}

void TppReportExplorerForm::NewFolderClick() {
    if (!m_explorer) return;
    const int parent = SelectedFolder();
    if (parent == kppRecycleBin) return;
    const QString name = m_explorer->GetNewFolderName(parent);
    const int id = m_explorer->AddFolder(parent, name);
    if (id < 0) return;
    BuildTree();
    SelectFolder(id);
    if (QTreeWidgetItem* n = nodeOf(id)) {
        trvFolders->setFocus();
        SetTreeFocused(true);
        trvFolders->editItem(n, 0);
    }
}

void TppReportExplorerForm::NewReportClick() {
    if (!m_explorer) return;
    const int folder = trvFolders->currentItem() ? SelectedFolder() : kppRootFolder;
    if (folder == kppRecycleBin) return;
    m_explorer->NewReport(folder);
}

void TppReportExplorerForm::moveSelectionAwayFrom(QTreeWidgetItem* aNode) {
    QTreeWidgetItem* parent = aNode->parent();
    QTreeWidgetItem* next = nullptr;
    if (parent) {
        const int i = parent->indexOfChild(aNode);
        next = parent->child(i + 1);
        if (!next && i > 0) next = parent->child(i - 1);
        if (!next) next = parent;
    }
    if (!next) next = trvFolders->topLevelItem(0);
    const int id = next ? next->data(0, kFolderRole).toInt() : kppRootFolder;
    BuildTree();
    SelectFolder(id);
}

void TppReportExplorerForm::DeleteClick() {
    if (!m_explorer) return;
    if (m_treeFocused) {
        QTreeWidgetItem* node = trvFolders->currentItem();
        const int folder = SelectedFolder();
        if (!node || folder <= 0) return;
        if (!m_explorer->ConfirmFolderDelete(node->text(0))) return;
        if (m_explorer->MoveFolder(folder, kppRecycleBin)) moveSelectionAwayFrom(node);
    } else {
        m_itemList->DeleteSelection();
    }
    UpdateRecycleBinIcon();
    updateStatusBar();
}

void TppReportExplorerForm::RenameClick() {
    if (m_treeFocused) {
        QTreeWidgetItem* node = trvFolders->currentItem();
        if (node && node->data(0, kFolderRole).toInt() > 0) {
            node->setData(0, Qt::UserRole + 2, node->text(0));
            trvFolders->editItem(node, 0);
        }
    } else {
        m_itemList->RenameSelection();
    }
}

void TppReportExplorerForm::treeEdited(QTreeWidgetItem* aNode) {
    if (!m_explorer) return;
    const int folder = aNode->data(0, kFolderRole).toInt();
    if (folder <= 0) return;
    const QString newName = aNode->text(0);
    const QString oldName = m_explorer->GetFolderName(folder);
    if (newName == oldName) return;
    m_building = true;
    const auto done = base::ScopeExit([this] { m_building = false; });
    if (m_explorer->CheckFolderRename(oldName, newName, m_explorer->GetParentId(folder))) {
        m_explorer->RenameFolder(folder, newName);
        if (QTreeWidgetItem* p = aNode->parent()) p->sortChildren(0, Qt::AscendingOrder);
        updateTitle();
    } else {
        aNode->setText(0, oldName);
    }
}

void TppReportExplorerForm::UpOneLevelClick() {
    QTreeWidgetItem* node = trvFolders->currentItem();
    if (!node || !node->parent()) return;
    SelectFolder(node->parent()->data(0, kFolderRole).toInt());
}

void TppReportExplorerForm::ViewList(bool aList) {
    m_itemList->SetDetails(!aList);
    mniViewList->setChecked(aList);
    mniViewDetails->setChecked(!aList);
    spbViewList->setChecked(aList);
    spbViewDetails->setChecked(!aList);
    ppmReportsList->setCheckable(true);
    ppmReportsDetails->setCheckable(true);
    ppmReportsList->setChecked(aList);
    ppmReportsDetails->setChecked(!aList);
}

void TppReportExplorerForm::HelpContentsClick() {
    const QString previous = ui::HelpService::HelpFile();
    const QString folder = QFileInfo(previous).path();
    ui::HelpService::SetHelpFile(previous.isEmpty() ? QStringLiteral("Marlisk.HLP") : folder + QStringLiteral("/Marlisk.HLP"));
    const auto restore = base::ScopeExit([previous] { ui::HelpService::SetHelpFile(previous); });
    ui::HelpService::ShowContents();
}

void TppReportExplorerForm::AboutClick() {
    std::unique_ptr<TppCustomAboutDialog> about(report::CreateForm<TppCustomAboutDialog>(this));
    if (!about) return;
    report::ppSetFormLanguageIndex(about.get(), m_language);
    about->ShowModal();
}

void TppReportExplorerForm::PrepareTreePopup(QTreeWidgetItem* aNode) {
    if (m_emptyRecycleBin) {
        ppmFolders->removeAction(m_emptyRecycleBin);
        delete m_emptyRecycleBin;
        m_emptyRecycleBin = nullptr;
    }
    if (aNode != m_recycleBinNode || !m_explorer || !(m_explorer->FolderOptions() & TppFolderOption::foAllowDelete)) return;
    m_emptyRecycleBin = new QAction(text(595), ppmFolders);
    m_emptyRecycleBin->setObjectName(QStringLiteral("ppmFoldersEmptyRecycleBin"));
    m_emptyRecycleBin->setData(595);
    m_emptyRecycleBin->setEnabled(RecycleBinFull());
    const QList<QAction*> actions = ppmFolders->actions();
    ppmFolders->insertAction(actions.size() > 2 ? actions.at(2) : nullptr, m_emptyRecycleBin);
    connect(m_emptyRecycleBin, &QAction::triggered, this, [this] { ui::RunGuarded(this, [this] { EmptyRecycleBinClick(); }); });
}

void TppReportExplorerForm::EmptyRecycleBinClick() {
    if (!m_explorer) return;
    const int shown = SelectedFolder();
    if (m_explorer->EmptyRecycleBin()) {
        BuildTree();
        SelectFolder(shown);
    }
}

void TppReportExplorerForm::DropOnFolder(int aTargetFolder, bool aFromList, int aDraggedFolder) {
    if (!m_explorer) return;
    if (aFromList) {
        m_itemList->MoveSelection(aTargetFolder);
        if (aTargetFolder == kppRecycleBin || m_itemList->FolderId() == kppRecycleBin) UpdateRecycleBinIcon();
        return;
    }
    if (aDraggedFolder <= 0) return;
    QTreeWidgetItem* dragged = nodeOf(aDraggedFolder);
    if (!m_explorer->MoveFolder(aDraggedFolder, aTargetFolder)) return;
    if (aTargetFolder == kppRecycleBin && dragged) {
        moveSelectionAwayFrom(dragged);
        return;
    }
    BuildTree();
    SelectFolder(aDraggedFolder);
}

bool TppReportExplorerForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == trvFolders && event->type() == QEvent::FocusIn) SetTreeFocused(true);
    if (watched == m_itemList && event->type() == QEvent::FocusIn) SetTreeFocused(false);
    if (watched == trvFolders->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDropEvent*>(event);
            QTreeWidgetItem* target = trvFolders->itemAt(e->position().toPoint());
            bool ok = target != nullptr;
            if (ok && e->source() == trvFolders) {
                QTreeWidgetItem* dragged = trvFolders->currentItem();
                const int id = dragged ? dragged->data(0, kFolderRole).toInt() : 0;
                ok = id > 0 && target != dragged && target != dragged->parent();
            } else if (ok) {
                ok = e->source() == m_itemList;
            }
            if (ok) e->acceptProposedAction();
            else e->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            QTreeWidgetItem* target = trvFolders->itemAt(e->position().toPoint());
            e->setDropAction(Qt::IgnoreAction);
            e->accept();
            if (!target) return true;
            const int targetId = target->data(0, kFolderRole).toInt();
            if (e->source() == m_itemList) {
                ui::RunGuarded(this, [&] { DropOnFolder(targetId, true); });
            } else if (e->source() == trvFolders && trvFolders->currentItem()) {
                const int dragged = trvFolders->currentItem()->data(0, kFolderRole).toInt();
                ui::RunGuarded(this, [&] { DropOnFolder(targetId, false, dragged); });
            }
            return true;
        }
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TppReportExplorerForm::closeEvent(QCloseEvent* event) {
    if (m_explorer && m_explorer->OnClose) m_explorer->OnClose(this);
    QDialog::closeEvent(event);
}
