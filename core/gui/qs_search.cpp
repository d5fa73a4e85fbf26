#include "core/gui/qs_search.h"

#include "core/gui/action_icons.h"
#include "core/command_registry.h"
#include "core/file_helpers.h"
#include "core/globals.h"
#include "core/gui/explorer.h"
#include "core/gui/finder.h"
#include "core/gui/form_helpers.h"
#include "core/gui/qs_make.h"
#include "core/gui/rebuild_forms.h"
#include "core/library_helpers.h"
#include "core/main_data_mod.h"
#include "core/search_data.h"
#include "core/settings_store.h"
#include "core/text_helpers.h"
#include "core/view_control.h"
#include "core/view_layer.h"

#include "fulltext/match/ts_controller.h"
#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/richtext/plain_lines.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPointer<TQSSearch> g_window;

constexpr int kAll = 999999999;
const QString kBullet = QString(QChar(0x2022));
const QString kForm = QStringLiteral("Forms");
const QString kKey = QStringLiteral("QSSearch");

/// The sort key of the Web View for an item of "Default Sort Order".
core::TResultSortKey webKey(int defaultOrder) {
    switch (defaultOrder) {
    case 1: return core::rsBranchTitle;
    case 2: return core::rsScore;
    default: return core::rsViewType;
    }
}

/// List items compare by their key texts (see the column rules of SortListColumn).
class ResultItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    int Image = 0;
    QString key(int column) const {
        const QString i = core::PadLeft(QString::number(Image), 3, u'0');
        const QString t = core::PadRight(text(1), 100, u' ');
        const QString s = core::PadLeft(text(2).trimmed(), 9, u'0');
        switch (column) {
        case 1: return t + i + s;
        case 2: return s;
        default: return i + t + s;
        }
    }
    bool operator<(const QTreeWidgetItem& other) const override {
        const auto& o = static_cast<const ResultItem&>(other);
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == 2) {
            // Scores descending, then image index and title ascending.
            const QString a = o.key(2) + core::PadLeft(QString::number(Image), 3, u'0') + core::PadRight(text(1), 100, u' ');
            const QString b = key(2) + core::PadLeft(QString::number(o.Image), 3, u'0') + core::PadRight(o.text(1), 100, u' ');
            return QString::compare(a, b, Qt::CaseSensitive) < 0;
        }
        return QString::compare(key(column), o.key(column), Qt::CaseSensitive) < 0;
    }
};

QAction* makeAction(QWidget* owner, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& key = {}, int help = 0, const char* icon = nullptr) {
    auto* a = ui::Make<QAction>(owner, name, caption);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    if (!key.isEmpty()) a->setShortcut(key);
    if (help) a->setProperty("HelpContext", help);
    if (icon) a->setIcon(core::ThemeIcon(QLatin1String(icon)));
    owner->addAction(a);
    return a;
}

/// The style's own picture for an action whose theme picture is not installed.
void fallbackIcon(QAction* action, QStyle::StandardPixmap pixmap) {
    if (action->icon().isNull()) action->setIcon(QApplication::style()->standardIcon(pixmap));
}

}  // namespace

TQSSearch::TQSSearch(TSearchData& search, QWidget* owner) : QWidget(owner, Qt::Window), m_search(search) {
    setObjectName(QStringLiteral("QSSearch"));
    setWindowTitle(QStringLiteral("Advanced Search"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    setFont(f);
    resize(648, 498);

    A_Search = makeAction(this, "A_Search", QStringLiteral("&Search"), QStringLiteral("Start the search"),
                          QKeySequence(Qt::CTRL | Qt::Key_S), 200001, "system-search");
    A_HaltSearch = makeAction(this, "A_HaltSearch", QStringLiteral("&Halt Search"), QStringLiteral("Halt the current search"),
                              {}, 200002, "process-stop");
    A_GoTo = makeAction(this, "A_GoTo", QStringLiteral("&Go to details"), QStringLiteral("Go to details for selected item"),
                        QKeySequence(Qt::CTRL | Qt::Key_G), 200003, "go-jump");
    A_ClipCopy = makeAction(this, "A_ClipCopy", QStringLiteral("&Copy results to clipboard"),
                            QStringLiteral("Copy to clipboard"), {}, 200004, "edit-copy");
    A_Export = makeAction(this, "A_Export", QStringLiteral("&Export results"), QStringLiteral("Export results to text file"),
                          {}, 200005, "document-save-as");
    A_SelectAll = makeAction(this, "A_SelectAll", QStringLiteral("Select &all results"), QStringLiteral("Select all results"),
                             {}, 200006, "edit-select-all");
    A_SelectNone = makeAction(this, "A_SelectNone", QStringLiteral("Select &no results"),
                              QStringLiteral("Unselect all results"), {}, 200007, "edit-clear");
    A_Help = makeAction(this, "A_Help", QStringLiteral("Help"), QStringLiteral("Help"), QKeySequence(Qt::Key_F1), 200000,
                        "help-browser");
    A_WVFirst = makeAction(this, "A_WVFirst", QStringLiteral("First 10"), QStringLiteral("Show first 10 matches"), {}, 0, "go-first");
    A_WVPrior = makeAction(this, "A_WVPrior", QStringLiteral("Prior 10"), QStringLiteral("Show previous 10 matches"), {}, 0, "go-previous");
    A_WVNext = makeAction(this, "A_WVNext", QStringLiteral("Next 10"), QStringLiteral("Show next 10 matches"), {}, 0, "go-next");
    A_WVLast = makeAction(this, "A_WVLast", QStringLiteral("Last 10"), QStringLiteral("Show last 10 matches"), {}, 0, "go-last");
    A_WVSort = makeAction(this, "A_WVSort", QStringLiteral("Sort"), QStringLiteral("Sort matches"), {}, 0, "view-sort-ascending");
    A_SortType = makeAction(this, "A_SortType", QStringLiteral("Sort by View &Type"), {});
    A_SortScore = makeAction(this, "A_SortScore", QStringLiteral("Sort by &Score"), {});
    A_SortKey = makeAction(this, "A_SortKey", QStringLiteral("Sort by Branch &Title"), {});
    const std::pair<QAction*, QStyle::StandardPixmap> fallbacks[] = {
        {A_Search, QStyle::SP_FileDialogContentsView}, {A_HaltSearch, QStyle::SP_BrowserStop},
        {A_GoTo, QStyle::SP_DialogOkButton},            {A_ClipCopy, QStyle::SP_FileDialogDetailedView},
        {A_Export, QStyle::SP_DialogSaveButton},        {A_SelectAll, QStyle::SP_DialogYesButton},
        {A_SelectNone, QStyle::SP_DialogNoButton},      {A_Help, QStyle::SP_DialogHelpButton},
        {A_WVFirst, QStyle::SP_MediaSkipBackward},      {A_WVPrior, QStyle::SP_ArrowBack},
        {A_WVNext, QStyle::SP_ArrowForward},            {A_WVLast, QStyle::SP_MediaSkipForward}};
    for (const auto& [action, pixmap] : fallbacks) fallbackIcon(action, pixmap);
    auto* sortGroup = new QActionGroup(this);
    for (QAction* a : {A_SortType, A_SortScore, A_SortKey}) {
        a->setCheckable(true);
        sortGroup->addAction(a);
    }

    auto* toolbar = ui::Make<QToolBar>(this, "ToolBar");
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const int tags[] = {200001, 200002, 200003, 200004, 200005, 200006, 200007, 200000};
    int t = 0;
    for (QAction* a : {A_Search, A_HaltSearch, A_GoTo, A_ClipCopy, A_Export, A_SelectAll, A_SelectNone, A_Help}) {
        toolbar->addAction(a);
        if (QWidget* w = toolbar->widgetForAction(a)) w->setProperty("Tag", tags[t]);
        ++t;
    }

    OptionPages = ui::Make<QTabWidget>(this, "OptionPages");
    auto* searchPage = ui::Make<QWidget>(OptionPages, "SearchPage");
    auto* optionsPage = ui::Make<QWidget>(OptionPages, "SearchOptionsPage");
    auto* displayPage = ui::Make<QWidget>(OptionPages, "DisplayOptionsPage");
    buildSearchPage(searchPage);
    buildOptionsPage(optionsPage);
    buildDisplayPage(displayPage);
    OptionPages->addTab(searchPage, QStringLiteral("Search"));
    OptionPages->addTab(optionsPage, QStringLiteral("Search Options"));
    OptionPages->addTab(displayPage, QStringLiteral("Display Options"));

    auto* status = ui::Make<QStatusBar>(this, "StatusBar");
    status->setSizeGripEnabled(false);
    StatusPanel0 = ui::Make<QLabel>(status, "StatusPanel0");
    StatusPanel0->setFixedWidth(200);
    StatusPanel1 = ui::Make<QLabel>(status, "StatusPanel1");
    status->addWidget(StatusPanel0);
    status->addWidget(StatusPanel1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(toolbar);
    layout->addWidget(OptionPages, 1);
    layout->addWidget(status);

    // Connections.
    auto guarded = [this](QAction* a, std::function<void()> body) {
        connect(a, &QAction::triggered, this, [this, body] { ui::RunGuarded(this, body); });
    };
    guarded(A_Search, [this] { RunSearch(); });
    guarded(A_HaltSearch, [this] {
        m_search.tsSearchMaster->Halt();
        StatusPanel0->setText(QStringLiteral("Matches: ") + QString::number(m_search.QS_Controller->GetMatchCount()));
    });
    guarded(A_GoTo, [this] { GoToDetails(); });
    guarded(A_ClipCopy, [this] {
        const QString text = ClipboardText();
        if (!text.isEmpty()) QApplication::clipboard()->setText(text);
    });
    guarded(A_Export, [this] { ExportResults(); });
    guarded(A_SelectAll, [this] {
        ResultsList->selectAll();
        updateActions();
    });
    guarded(A_SelectNone, [this] {
        ResultsList->clearSelection();
        updateActions();
    });
    connect(A_Help, &QAction::triggered, this, [] { ui::HelpService::ShowContext(200000); });
    guarded(A_WVFirst, [this] { ShowWebPage(0); });
    guarded(A_WVPrior, [this] { ShowWebPage(1); });
    guarded(A_WVNext, [this] { ShowWebPage(2); });
    guarded(A_WVLast, [this] { ShowWebPage(3); });
    guarded(A_WVSort, [this] { SortWebView(webKey(DefaultSortOrder->currentIndex())); });
    guarded(A_SortType, [this] { SortWebView(core::rsViewType); });
    guarded(A_SortScore, [this] { SortWebView(core::rsScore); });
    guarded(A_SortKey, [this] { SortWebView(core::rsBranchTitle); });
    connect(SearchTerm, &QPlainTextEdit::textChanged, this, [this] { updateActions(); });
    connect(OptionPages, &QTabWidget::currentChanged, this, [this](int index) {
        updateActions();
        if (index == 0) SearchTerm->setFocus();
        else if (index == 1) ViewList->setFocus();
        else DisplayNotes->setFocus();
    });
    connect(ViewPages, &QTabWidget::currentChanged, this, [this] { ui::RunGuarded(this, [&] { switchedViewPage(); }); });
    connect(ResultsList, &QTreeWidget::itemSelectionChanged, this, [this] { updateActions(); });
    connect(ResultsList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (m_busy || !current || !searchPageShown()) return;
        ui::RunGuarded(this, [&] { showListPreview(current); });
    });
    connect(ResultsList->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { ui::RunGuarded(this, [&] { SortListColumn(column); }); });
    connect(ResultsList, &QTreeWidget::itemDoubleClicked, this, [this] { ui::RunGuarded(this, [&] { GoToDetails(); }); });
    connect(DefaultSortOrder, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_busy || !m_resultsReady) return;
        ui::RunGuarded(this, [&] {
            m_sortColumn = index;
            if (webViewShown()) SortWebView(webKey(index));
            else SortListColumn(index);
        });
    });
    connect(DoTimeOut, &QCheckBox::toggled, this, [this](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(TimeOutSeconds), static_cast<QWidget*>(HaltSearch),
                           static_cast<QWidget*>(HaltSearchAsk)})
            w->setEnabled(on);
        if (on) TimeOutSeconds->setFocus();
    });
    connect(RankResults, &QCheckBox::toggled, this, [this](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(RankByCount), static_cast<QWidget*>(RankByPercent),
                           static_cast<QWidget*>(RankByPresence), static_cast<QWidget*>(RankOnly)})
            w->setEnabled(on);
        if (!on) {
            RankOnly->setChecked(false);
            RankCountLimit->setEnabled(false);
        }
    });
    connect(RankOnly, &QCheckBox::toggled, this, [this](bool on) {
        RankCountLimit->setEnabled(on);
        if (on) RankCountLimit->setFocus();
    });
    connect(MoreThanMatch, &QCheckBox::toggled, this, [this](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(MaxMatchDisplay), static_cast<QWidget*>(MatchAsk),
                           static_cast<QWidget*>(MatchLimitOnly), static_cast<QWidget*>(MatchNone)})
            w->setEnabled(on);
        if (on) MaxMatchDisplay->setFocus();
    });
    for (QComboBox* wc : {WC_AnyChar, WC_OneChar}) {
        connect(wc->lineEdit(), &QLineEdit::editingFinished, this, [this, wc] {
            if (!wc->currentText().isEmpty()) return;
            const bool any = wc == WC_AnyChar;
            wc->setEditText(core::ReadRegString(QStringLiteral("Preferences"), QStringLiteral("QuickSearch"),
                                                QStringLiteral("SearchOption"),
                                                any ? QStringLiteral("DefaultAnyChar") : QStringLiteral("DefaultOneChar"),
                                                any ? QStringLiteral("*") : QStringLiteral("?")).left(1));
        });
    }
    SearchTerm->installEventFilter(this);
    for (int n = 0; n < 10; ++n) {
        for (QWidget* part : {static_cast<QWidget*>(WVPanel[n]), static_cast<QWidget*>(WVImage[n]),
                              static_cast<QWidget*>(WVScore[n]), WVResult[n]->viewport()})
            part->installEventFilter(this);
        WVResult[n]->installEventFilter(this);
    }
    ViewPages->widget(0)->installEventFilter(this);
    g_window = this;
}

TQSSearch::~TQSSearch() {
    ResultsArray().clear();
}

void TQSSearch::buildSearchPage(QWidget* page) {
    auto* prompt = ui::Make<QLabel>(page, "SearchTermLabel", QStringLiteral("Enter words or phrases to search for"));
    SearchTerm = ui::Make<QPlainTextEdit>(page, "SearchTerm");
    SearchTerm->setLineWrapMode(QPlainTextEdit::NoWrap);
    SearchTerm->setFixedHeight(SearchTerm->fontMetrics().height() * 2 + 10);
    prompt->setBuddy(SearchTerm);
    UserSearchMode = ui::Make<QComboBox>(page, "UserSearchMode");
    UserSearchMode->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    UserSearchMode->setMinimumContentsLength(24);
    UserSearchLogic = ui::Make<QComboBox>(page, "UserSearchLogic");
    auto* modeLabel = ui::Make<QLabel>(page, "SearchTypeLabel", QStringLiteral("Search Type"));
    auto* logicLabel = ui::Make<QLabel>(page, "SearchLogicLabel", QStringLiteral("Search for records..."));
    modeLabel->setBuddy(UserSearchMode);
    logicLabel->setBuddy(UserSearchLogic);

    ViewPages = ui::Make<QTabWidget>(page, "ViewPages");
    ViewPages->setTabPosition(QTabWidget::West);
    // Web View.
    auto* web = ui::Make<QWidget>(ViewPages, "WebViewPage");
    web->setFocusPolicy(Qt::StrongFocus);
    WebScroll = ui::Make<QScrollArea>(web, "WebScroll");
    WebScroll->setWidgetResizable(true);
    auto* panels = ui::Make<QWidget>(WebScroll, "WebPanels");
    auto* panelsLayout = new QVBoxLayout(panels);
    panelsLayout->setContentsMargins(0, 0, 0, 0);
    panelsLayout->setSpacing(0);
    for (int n = 0; n < 10; ++n) {
        const QByteArray nr = QByteArray::number(n + 1);
        WVPanel[n] = ui::Make<QFrame>(panels, ("WVPanel" + nr).constData());
        WVPanel[n]->setFixedHeight(70);
        WVPanel[n]->setProperty("Tag", n + 1);
        WVPanel[n]->setAutoFillBackground(true);
        WVShape[n] = ui::Make<QFrame>(WVPanel[n], ("WVShape" + nr).constData());
        WVShape[n]->setFrameStyle(QFrame::Box | QFrame::Plain);
        WVShape[n]->setLineWidth(2);
        WVShape[n]->setStyleSheet(QStringLiteral("QFrame { border: 2px solid palette(highlight); }"));
        WVShape[n]->setAttribute(Qt::WA_TransparentForMouseEvents);
        WVShape[n]->hide();
        WVImage[n] = ui::Make<QLabel>(WVPanel[n], ("WVImage" + nr).constData());
        WVImage[n]->setFixedSize(36, 36);
        WVImage[n]->setAlignment(Qt::AlignCenter);
        WVImage[n]->setProperty("Tag", n + 1);
        WVScore[n] = ui::Make<QLabel>(WVPanel[n], ("WVScore" + nr).constData());
        WVScore[n]->setFixedWidth(36);
        WVScore[n]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        WVScore[n]->setProperty("Tag", n + 1);
        WVResult[n] = ui::Make<QTextEdit>(WVPanel[n], ("WVResult" + nr).constData());
        WVResult[n]->setReadOnly(true);
        WVResult[n]->setFrameStyle(QFrame::NoFrame);
        WVResult[n]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        WVResult[n]->setProperty("Tag", n + 1);
        auto* inner = new QGridLayout(WVPanel[n]);
        inner->setContentsMargins(4, 4, 4, 4);
        inner->addWidget(WVImage[n], 0, 0);
        inner->addWidget(WVScore[n], 1, 0);
        inner->addWidget(WVResult[n], 0, 1, 2, 1);
        inner->setColumnStretch(1, 1);
        panelsLayout->addWidget(WVPanel[n]);
    }
    panelsLayout->addStretch();
    WebScroll->setWidget(panels);
    auto* webBar = ui::Make<QToolBar>(web, "WebViewToolBar");
    webBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const int webTags[] = {200018, 200019, 200020, 200021};
    int t = 0;
    for (QAction* a : {A_WVFirst, A_WVPrior, A_WVNext, A_WVLast}) {
        webBar->addAction(a);
        if (QWidget* w = webBar->widgetForAction(a)) w->setProperty("Tag", webTags[t]);
        ++t;
    }
    auto* sortMenu = new QMenu(web);
    sortMenu->setObjectName(QStringLiteral("SortMenu"));
    sortMenu->addActions({A_SortType, A_SortScore, A_SortKey});
    A_WVSort->setMenu(sortMenu);
    webBar->addAction(A_WVSort);
    if (auto* b = qobject_cast<QToolButton*>(webBar->widgetForAction(A_WVSort))) {
        b->setPopupMode(QToolButton::MenuButtonPopup);
        b->setProperty("Tag", 200022);
    }
    auto* webLayout = new QVBoxLayout(web);
    webLayout->setContentsMargins(0, 0, 0, 0);
    webLayout->addWidget(WebScroll, 1);
    webLayout->addWidget(webBar);
    ViewPages->addTab(web, QStringLiteral("Web View"));

    // List View.
    auto* list = ui::Make<QWidget>(ViewPages, "ListViewPage");
    auto* splitter = ui::Make<QSplitter>(list, "ListSplitter", Qt::Vertical);
    ResultsList = ui::Make<QTreeWidget>(splitter, "ResultsList");
    ResultsList->setRootIsDecorated(false);
    ResultsList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ResultsList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ResultsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultsList->setHeaderLabels({QStringLiteral(" ") + kBullet, QStringLiteral("Description  "), QStringLiteral("Score  ")});
    ResultsList->header()->setSectionsClickable(true);
    ResultsList->header()->setSortIndicatorShown(false);
    ResultsList->header()->resizeSection(0, 30);
    ResultsList->header()->resizeSection(1, 495);
    ResultsList->header()->resizeSection(2, 60);
    // The description takes what the window leaves, so the score stays in view.
    ResultsList->header()->setStretchLastSection(false);
    ResultsList->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    ResultsList->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    ResultsList->setContextMenuPolicy(Qt::ActionsContextMenu);
    ResultsList->addActions({A_GoTo, A_ClipCopy, A_Export, A_SelectAll, A_SelectNone});
    auto* preview = ui::Make<QFrame>(splitter, "PreviewPanel");
    ResultIcon = ui::Make<QLabel>(preview, "ResultIcon");
    ResultIcon->setFixedWidth(28);
    ResultIcon->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ResultIcon->setStyleSheet(QStringLiteral("background: white;"));
    ResultIcon->hide();
    ResultText = ui::Make<QTextEdit>(preview, "ResultText");
    ResultText->setReadOnly(true);
    ResultText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* previewLayout = new QHBoxLayout(preview);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->setSpacing(0);
    previewLayout->addWidget(ResultIcon);
    previewLayout->addWidget(ResultText, 1);
    splitter->addWidget(ResultsList);
    splitter->addWidget(preview);
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({300, 75});
    auto* listLayout = new QVBoxLayout(list);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(splitter);
    ViewPages->addTab(list, QStringLiteral("List View"));

    auto* grid = new QGridLayout;
    grid->addWidget(modeLabel, 0, 0);
    grid->addWidget(logicLabel, 0, 1);
    grid->addWidget(UserSearchMode, 1, 0);
    grid->addWidget(UserSearchLogic, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(prompt);
    layout->addWidget(SearchTerm);
    layout->addLayout(grid);
    layout->addWidget(ViewPages, 1);
}

namespace {

/// A number box of 1 to 9999 holding `value`.
QSpinBox* makeCount(QWidget* parent, const char* name, int value) {
    auto* count = ui::Make<QSpinBox>(parent, name);
    count->setRange(1, 9999);
    count->setValue(value);
    return count;
}

/// A group whose check box sets a limit: the check box, the number box and the words after
/// it on the first row, then each of `options` on a row of its own.
void layOutLimitGroup(QGroupBox* group, QCheckBox* check, QSpinBox* count, QLabel* after,
                      std::initializer_list<QWidget*> options) {
    auto* grid = new QGridLayout(group);
    grid->addWidget(check, 0, 0);
    grid->addWidget(count, 0, 1);
    grid->addWidget(after, 0, 2);
    int row = 1;
    for (QWidget* option : options) grid->addWidget(option, row++, 0, 1, 3);
    grid->setColumnStretch(3, 1);
}

}  // namespace

void TQSSearch::buildOptionsPage(QWidget* page) {
    auto* views = ui::Make<QGroupBox>(page, "ViewsGroup", QStringLiteral("Views to Search"));
    ViewList = ui::Make<QListWidget>(views, "ViewList");
    (new QVBoxLayout(views))->addWidget(ViewList);

    auto* timeout = ui::Make<QGroupBox>(page, "TimeoutGroup", QStringLiteral("Search Timeout"));
    DoTimeOut = ui::Make<QCheckBox>(timeout, "DoTimeOut", QStringLiteral("If the search takes longer than"));
    TimeOutSeconds = makeCount(timeout, "TimeOutSeconds", 60);
    HaltSearch = ui::Make<QRadioButton>(timeout, "HaltSearch", QStringLiteral("Stop searching"));
    HaltSearchAsk = ui::Make<QRadioButton>(timeout, "HaltSearchAsk", QStringLiteral("Ask if the search should continue"));
    layOutLimitGroup(timeout, DoTimeOut, TimeOutSeconds,
                     ui::Make<QLabel>(timeout, "SecondsLabel", QStringLiteral("seconds...")), {HaltSearch, HaltSearchAsk});

    auto* rank = ui::Make<QGroupBox>(page, "RankGroup", QStringLiteral("Ranked Search"));
    RankResults = ui::Make<QCheckBox>(rank, "RankResults", QStringLiteral("Rank matches by..."));
    RankByCount = ui::Make<QRadioButton>(rank, "RankByCount", QStringLiteral("Count of search words found in the record"));
    RankByPercent = ui::Make<QRadioButton>(rank, "RankByPercent", QStringLiteral("Percentage of search words found in the record"));
    RankByPresence = ui::Make<QRadioButton>(rank, "RankByPresence", QStringLiteral("Presence of each search word in the record"));
    RankOnly = ui::Make<QCheckBox>(rank, "RankOnly", QStringLiteral("Rank only the first"));
    RankCountLimit = makeCount(rank, "RankCountLimit", 100);
    auto* rankGrid = new QGridLayout(rank);
    rankGrid->addWidget(RankResults, 0, 0, 1, 3);
    rankGrid->addWidget(RankByCount, 1, 0, 1, 3);
    rankGrid->addWidget(RankByPercent, 2, 0, 1, 3);
    rankGrid->addWidget(RankByPresence, 3, 0, 1, 3);
    rankGrid->addWidget(RankOnly, 4, 0);
    rankGrid->addWidget(RankCountLimit, 4, 1);
    rankGrid->addWidget(ui::Make<QLabel>(rank, "RankOnlyLabel", QStringLiteral("matches")), 4, 2);
    rankGrid->setColumnStretch(3, 1);

    auto* near = ui::Make<QGroupBox>(page, "NearGroup", QStringLiteral("Proximity Search"));
    NearCount = ui::Make<QSpinBox>(near, "NearCount");
    NearCount->setRange(1, 99);
    NearCount->setValue(8);
    auto* nearLayout = new QHBoxLayout(near);
    nearLayout->addWidget(ui::Make<QLabel>(near, "NearLabel", QStringLiteral("\"Near\" is within")));
    nearLayout->addWidget(NearCount);
    nearLayout->addWidget(ui::Make<QLabel>(near, "WordsLabel", QStringLiteral("words")));
    nearLayout->addStretch();

    auto* wild = ui::Make<QGroupBox>(page, "WildGroup", QStringLiteral("Wild Card Characters"));
    WC_AnyChar = ui::Make<QComboBox>(wild, "WC_AnyChar");
    WC_OneChar = ui::Make<QComboBox>(wild, "WC_OneChar");
    for (QComboBox* wc : {WC_AnyChar, WC_OneChar}) {
        wc->setEditable(true);
        wc->lineEdit()->setMaxLength(1);
        wc->setFixedWidth(48);
    }
    auto* wildLayout = new QFormLayout(wild);
    wildLayout->addRow(QStringLiteral("Any character"), WC_AnyChar);
    wildLayout->addRow(QStringLiteral("One character"), WC_OneChar);

    auto* left = new QVBoxLayout;
    left->addWidget(views, 1);
    left->addWidget(near);
    left->addWidget(wild);
    auto* right = new QVBoxLayout;
    right->addWidget(timeout);
    right->addWidget(rank);
    right->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
}

void TQSSearch::buildDisplayPage(QWidget* page) {
    auto* misc = ui::Make<QGroupBox>(page, "MiscGroup", QStringLiteral("Miscellaneous"));
    DisplayNotes = ui::Make<QCheckBox>(misc, "DisplayNotes", QStringLiteral("Display notes if available"));
    (new QVBoxLayout(misc))->addWidget(DisplayNotes);
    ClipCopyOptions = ui::Make<QComboBox>(page, "ClipCopyOptions");
    ClipCopyOptions->addItems({QStringLiteral("Copy descriptions and text"), QStringLiteral("Copy descriptions only"),
                               QStringLiteral("Copy text only")});
    DefaultSortOrder = ui::Make<QComboBox>(page, "DefaultSortOrder");
    DefaultSortOrder->addItems({QStringLiteral("View type"), QStringLiteral("Branch title"), QStringLiteral("Score")});
    OnGoTo = ui::Make<QComboBox>(page, "OnGoTo");
    OnGoTo->addItems({QStringLiteral("Leave the search form open, bring Explorer to the front"),
                      QStringLiteral("Minimize the search form, bring Explorer to the front"),
                      QStringLiteral("Keep the search form in front")});
    auto* matches = ui::Make<QGroupBox>(page, "MatchesGroup", QStringLiteral("Matches (in List View)"));
    MoreThanMatch = ui::Make<QCheckBox>(matches, "MoreThanMatch", QStringLiteral("If there are more than"));
    MaxMatchDisplay = makeCount(matches, "MaxMatchDisplay", 300);
    MatchAsk = ui::Make<QRadioButton>(matches, "MatchAsk", QStringLiteral("Ask if all matches should be displayed"));
    MatchLimitOnly = ui::Make<QRadioButton>(matches, "MatchLimitOnly", QStringLiteral("Display only the number specified"));
    MatchNone = ui::Make<QRadioButton>(matches, "MatchNone", QStringLiteral("Do not display matches"));
    layOutLimitGroup(matches, MoreThanMatch, MaxMatchDisplay,
                     ui::Make<QLabel>(matches, "MatchesLabel", QStringLiteral("List View matches...")),
                     {MatchAsk, MatchLimitOnly, MatchNone});
    auto* exportOptions = ui::Make<QPushButton>(page, "ExportOptionsBtn", QStringLiteral("Export Options..."));
    exportOptions->hide();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("On copy to clipboard... "), ClipCopyOptions);
    form->addRow(QStringLiteral("Default Sort Order"), DefaultSortOrder);
    form->addRow(QStringLiteral("On go to..."), OnGoTo);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(misc);
    layout->addLayout(form);
    layout->addWidget(matches);
    layout->addStretch();
}

// ---- showing and closing ----

void TQSSearch::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) ui::RunGuarded(this, [&] { prepareShow(); });
}

void TQSSearch::prepareShow() {
    m_busy = true;
    m_resultsReady = false;
    clearWebPanels();
    clearListPresentation();
    OptionPages->setCurrentIndex(0);
    UserSearchMode->clear();
    UserSearchMode->addItem(QStringLiteral("Start a new search"), int(smSearch));
    UserSearchMode->addItem(QStringLiteral("Widen the current search"), int(smWiden));
    UserSearchMode->addItem(QStringLiteral("Narrow the current search"), int(smNarrow));
    UserSearchLogic->clear();
    UserSearchLogic->addItem(QStringLiteral("containing ALL of the words"), int(slAnd));
    UserSearchLogic->addItem(QStringLiteral("containing ANY of the words"), int(slOr));
    UserSearchLogic->addItem(QStringLiteral("containing the exact PHRASE"), int(slPhrase));
    UserSearchLogic->addItem(QStringLiteral("containing the first word NEAR the second word"), int(slNear));
    UserSearchLogic->addItem(QStringLiteral("containing words SOUNDING LIKE the words"), int(slLike));
    UserSearchLogic->addItem(QStringLiteral("NOT containing the words"), int(slNot));
    UserSearchLogic->addItem(QStringLiteral("using a logical (Boolean) expression"), int(slExpression));
    UserSearchMode->setCurrentIndex(0);
    UserSearchLogic->setCurrentIndex(0);

    ViewList->clear();
    TViewControl* views = m_search.Views;
    for (int v = 0; views && v < views->GetViewCount(); ++v) {
        if (!views->GetViewIsSearchable(v)) continue;
        auto* item = new QListWidgetItem(views->GetViewName(v), ViewList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setData(Qt::UserRole, v);
        item->setIcon(viewIcon(v, false));
    }
    DoTimeOut->setChecked(true);
    DoTimeOut->setChecked(false);
    HaltSearchAsk->setChecked(true);
    RankResults->setChecked(true);
    RankResults->setChecked(false);
    RankByCount->setChecked(true);
    MoreThanMatch->setChecked(true);
    MoreThanMatch->setChecked(false);
    MatchAsk->setChecked(true);
    DisplayNotes->setChecked(true);
    const auto pref = [](const char* variable, const char* def) {
        return core::ReadRegString(QStringLiteral("Preferences"), QStringLiteral("QuickSearch"), QStringLiteral("SearchOption"),
                                   QLatin1String(variable), QLatin1String(def)).left(1);
    };
    WC_AnyChar->setEditText(pref("DefaultAnyChar", "*"));
    WC_OneChar->setEditText(pref("DefaultOneChar", "?"));

    if (UserPrefs().RestoreScreenLayout) {
        core::RestoreFormPosition(this, kKey, 498, 648);
        const auto ri = [](const char* key2, const char* variable, int def) {
            const int v = core::ReadRegInt(kForm, kKey, QLatin1String(key2), QLatin1String(variable), def);
            return v < 0 ? def : v;
        };
        if (auto* splitter = findChild<QSplitter*>(QStringLiteral("ListSplitter"))) {
            const int h = ri("Layout", "ResultTextHeight", 75);
            splitter->setSizes({std::max(splitter->height() - h, 50), h});
        }
        ViewPages->setCurrentIndex(std::clamp(ri("Layout", "ViewPageIndex", 0), 0, 1));
        OnGoTo->setCurrentIndex(std::clamp(ri("DisplayOptions", "OnGoTo", 0), 0, 2));
        ClipCopyOptions->setCurrentIndex(std::clamp(ri("DisplayOptions", "OnClipboardCopy", 0), 0, 2));
        DefaultSortOrder->setCurrentIndex(std::clamp(ri("DisplayOptions", "DefaultSortOrder", 0), 0, 2));
    } else {
        core::CenterOnScreen(this);
        ViewPages->setCurrentIndex(1);
    }
    m_sortColumn = DefaultSortOrder->currentIndex();
    WebScroll->verticalScrollBar()->setValue(0);
    m_busy = false;
    updateActions();
    SearchTerm->setFocus();
}

void TQSSearch::closeEvent(QCloseEvent* event) {
    ui::RunGuarded(this, [&] {
        core::SaveFormPosition(this, kKey);
        if (auto* splitter = findChild<QSplitter*>(QStringLiteral("ListSplitter")))
            core::WriteRegInt(kForm, kKey, QStringLiteral("Layout"), QStringLiteral("ResultTextHeight"), splitter->sizes().value(1));
        core::WriteRegInt(kForm, kKey, QStringLiteral("Layout"), QStringLiteral("ViewPageIndex"), ViewPages->currentIndex());
        core::WriteRegInt(kForm, kKey, QStringLiteral("DisplayOptions"), QStringLiteral("OnGoTo"), OnGoTo->currentIndex());
        core::WriteRegInt(kForm, kKey, QStringLiteral("DisplayOptions"), QStringLiteral("OnClipboardCopy"),
                          ClipCopyOptions->currentIndex());
        core::WriteRegInt(kForm, kKey, QStringLiteral("DisplayOptions"), QStringLiteral("DefaultSortOrder"),
                          DefaultSortOrder->currentIndex());
    });
    m_busy = true;
    QWidget::closeEvent(event);
}

// ---- presentations ----

QIcon TQSSearch::viewIcon(int view, bool large) const {
    if (!m_search.Views) return {};
    const QImage image = large ? m_search.Views->GetViewLargeIcon(view) : m_search.Views->GetViewSmallIcon(view);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

bool TQSSearch::webViewShown() const { return ViewPages->currentIndex() == 0; }
bool TQSSearch::searchPageShown() const { return OptionPages->currentIndex() == 0; }

void TQSSearch::clearWebPanels() {
    for (int n = 0; n < 10; ++n) {
        WVResult[n]->clear();
        WVResult[n]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        WVResult[n]->setEnabled(false);
        WVImage[n]->clear();
        WVScore[n]->clear();
        WVShape[n]->hide();
    }
    m_selectedPanel = 0;
    m_webStale = true;
}

void TQSSearch::clearListPresentation() {
    ResultsList->clear();
    ResultsList->setContextMenuPolicy(Qt::NoContextMenu);
    ResultIcon->hide();
    ResultText->clear();
    m_listStale = true;
}

void TQSSearch::updateActions() {
    const bool searchPage = searchPageShown();
    const bool results = m_resultsReady && !ResultsArray().empty();
    const bool web = webViewShown();
    A_Search->setEnabled(searchPage && !SearchTerm->toPlainText().trimmed().isEmpty() && !m_busy);
    const bool selected = web ? m_selectedPanel > 0 : !ResultsList->selectedItems().isEmpty();
    A_ClipCopy->setEnabled(searchPage && results && selected);
    A_GoTo->setEnabled(searchPage && results && selected);
    A_Export->setEnabled(searchPage && results && selected && !web);
    A_SelectAll->setEnabled(searchPage && results && !web);
    A_SelectNone->setEnabled(searchPage && results && !web);
}

QString TQSSearch::noteLine(int nodeID, bool* located) {
    if (located) *located = false;
    TMainDataMod& data = m_search.Data();
    if (!data.LocateNode(nodeID)) return {};
    if (located) *located = true;
    const int view = data.Hierarchy->FieldByName(QStringLiteral("NodeType"))->AsInteger();
    TtsTable* table = m_search.Views ? m_search.Views->GetViewTable(view) : nullptr;
    if (!table || !table->Active()) return {};
    db::Field* note = table->FindField(QStringLiteral("Note"));
    if (!note || note->IsNull()) return {};
    QString text = richtext::RtfToPlainLines(note->AsString().toUtf8()).join(u' ');
    for (QChar& c : text)
        if (c.unicode() < 32) c = u' ';
    return text;
}

QString TQSSearch::listStatus() const {
    if (m_displayLimit == 0) return QStringLiteral("Matches not displayed");
    if (m_displayLimit != kAll && ResultsList->topLevelItemCount() >= m_displayLimit)
        return QStringLiteral("First ") + QString::number(m_displayLimit) + QStringLiteral(" matches displayed");
    return {};
}

QString TQSSearch::webStatus() const {
    const int count = int(ResultsArray().size());
    if (count == 0) return {};
    return QStringLiteral("Displaying ") + QString::number(m_webTop + 1) + QStringLiteral(" to ") +
           QString::number(std::min(m_webTop + 10, count));
}

QString TQSSearch::StatusText(int panel) const { return panel == 0 ? StatusPanel0->text() : StatusPanel1->text(); }

void TQSSearch::copyOptionsToMaster() {
    TtsSearch* master = m_search.tsSearchMaster;
    const QString any = WC_AnyChar->currentText().left(1);
    const QString one = WC_OneChar->currentText().left(1);
    master->SetAnyChar(any.isEmpty() ? QChar(u' ') : any[0]);
    master->SetOneChar(one.isEmpty() ? QChar(u' ') : one[0]);
    master->SetNearWord(NearCount->value());
    if (RankResults->isChecked()) {
        master->SetRankLimit(RankOnly->isChecked() ? unsigned(RankCountLimit->value()) : 8000u);
        master->SetRankMode(RankByPercent->isChecked() ? rmPercent : RankByPresence->isChecked() ? rmPresense : rmCount);
    } else {
        master->SetRankMode(rmNone);
        master->SetRankLimit(0);
    }
    master->SetTimeLimit(DoTimeOut->isChecked() ? TimeOutSeconds->value() * 1000 : 0);
    master->SetSearchFor(SearchTerm->toPlainText());
    master->SetSearchLogic(TSearchLogic(UserSearchLogic->currentData().toInt()));
    master->SetSearchMode(TSearchMode(UserSearchMode->currentData().toInt()));
    QStringList tokens;
    core::GetLogicTokens(tokens);
    master->SetTokens(tokens);
    const int count = m_search.Views ? m_search.Views->GetViewCount() : 0;
    m_search.SearchViewFlags.assign(size_t(count), false);
    for (int i = 0; i < ViewList->count(); ++i) {
        const int v = ViewList->item(i)->data(Qt::UserRole).toInt();
        if (v >= 0 && v < count) m_search.SearchViewFlags[size_t(v)] = ViewList->item(i)->checkState() == Qt::Checked;
    }
}

int TQSSearch::matchLimit(int matchCount) {
    int limit = kAll;
    if (MoreThanMatch->isChecked() && matchCount > MaxMatchDisplay->value()) {
        if (MatchAsk->isChecked()) {
            const ui::Button answer = ui::Message(
                QStringLiteral("There are more than ") + QString::number(MaxMatchDisplay->value()) +
                    QStringLiteral(" matches. Do you want to see these matches?"),
                ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10074);
            if (answer != ui::Button::Yes) limit = 0;
        } else if (MatchLimitOnly->isChecked()) {
            limit = MaxMatchDisplay->value();
        } else {
            limit = 0;
        }
    }
    if (RankOnly->isChecked() && RankCountLimit->value() < limit) limit = RankCountLimit->value();
    return limit;
}

void TQSSearch::RunSearch() {
    if (!m_search.Views) return;
    struct Finish {
        TQSSearch* self;
        ~Finish() {
            self->m_busy = false;
            QApplication::restoreOverrideCursor();
            self->A_HaltSearch->setEnabled(false);
            self->updateActions();
            self->A_WVSort->setEnabled(!ResultsArray().empty());
        }
    } finish{this};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_resultsReady = false;
    for (QAction* a : {A_Search, A_GoTo, A_ClipCopy, A_Export, A_SelectAll, A_SelectNone, A_WVFirst, A_WVPrior, A_WVNext,
                       A_WVLast, A_WVSort, A_Help})
        a->setEnabled(false);
    A_HaltSearch->setEnabled(true);
    m_busy = true;
    StatusPanel1->setText(QStringLiteral("Searching..."));
    ResultsArray().clear();
    ResultsList->clear();
    clearWebPanels();
    clearListPresentation();
    copyOptionsToMaster();
    const bool ok = core::ExecuteSearch(m_search, [this](int selStart) {
        QTextCursor c = SearchTerm->textCursor();
        c.setPosition(std::min(selStart, int(SearchTerm->toPlainText().size())));
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        SearchTerm->setFocus();
        SearchTerm->setTextCursor(c);
        SearchTerm->viewport()->update();
    });
    A_HaltSearch->setEnabled(false);
    A_Help->setEnabled(true);
    const int matchCount = m_search.QS_Controller->GetMatchCount();
    StatusPanel0->setText(QStringLiteral("Matches: ") + QString::number(matchCount));
    if (!ok) {
        StatusPanel1->clear();
        StatusPanel0->setText(QStringLiteral("Matches: 0"));
        return;
    }
    m_resultsReady = true;
    m_busy = false;
    StatusPanel1->setText(QStringLiteral("Processing matches..."));
    QApplication::restoreOverrideCursor();
    m_displayLimit = matchLimit(matchCount);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    core::CollectFirstSearchResults(m_search, *m_search.Views, ResultsArray(), m_displayLimit);
    const int found = int(ResultsArray().size());
    StatusPanel0->setText(QStringLiteral("Matches: ") +
                          (m_displayLimit == 0 ? QString::number(MaxMatchDisplay->value()) : QString::number(found)) +
                          (found == m_displayLimit ? QStringLiteral("+") : QString()));
    if (!webViewShown()) {
        fillList();
    } else {
        const core::TResultSortKey key = webKey(DefaultSortOrder->currentIndex());
        if (!ResultsArray().empty()) core::SortResults(ResultsArray(), 0, found - 1, key);
        (key == core::rsViewType ? A_SortType : key == core::rsScore ? A_SortScore : A_SortKey)->setChecked(true);
        ShowWebPage(0);
    }
}

void TQSSearch::fillList() {
    const bool wasBusy = m_busy;
    m_busy = true;
    ResultsList->setUpdatesEnabled(false);
    ResultsList->clear();
    for (const TResultRec& r : ResultsArray()) {
        auto* item = new ResultItem(ResultsList);
        item->setText(0, QStringLiteral(" "));
        item->Image = m_search.Views ? m_search.Views->GetIconImageIndex(m_search.Views->GetViewGlyphIndex(r.ViewIndex)) : 0;
        item->setIcon(0, viewIcon(r.ViewIndex, false));
        item->setData(0, Qt::UserRole, r.NodeID);
        item->setText(1, r.NodeName);
        item->setText(2, core::PadLeft(QString::number(r.Score), 4, u' '));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    ResultsList->setUpdatesEnabled(true);
    m_busy = wasBusy;
    if (ResultsList->topLevelItemCount() == 0) {
        clearListPresentation();
    } else {
        StatusPanel1->setText(QStringLiteral("Sorting matches..."));
        SortListColumn(m_sortColumn);
        ResultsList->setContextMenuPolicy(Qt::ActionsContextMenu);
        QTreeWidgetItem* first = ResultsList->topLevelItem(0);
        ResultsList->setCurrentItem(first);
        first->setSelected(true);
        showListPreview(first);
    }
    updateActions();
    StatusPanel1->setText(listStatus());
    m_listStale = false;
}

void TQSSearch::SortListColumn(int column) {
    column = std::clamp(column, 0, 2);
    ResultsList->sortItems(column, Qt::AscendingOrder);
    QTreeWidgetItem* header = ResultsList->headerItem();
    for (int c = 0; c < 3; ++c) {
        QString caption = header->text(c);
        if (caption.endsWith(kBullet)) caption = caption.left(caption.size() - 1) + QStringLiteral(" ");
        if (c == column) caption = caption.left(caption.size() - 1) + kBullet;
        header->setText(c, caption);
    }
    m_sortColumn = column;
}

void TQSSearch::showListPreview(QTreeWidgetItem* item) {
    const int nodeID = item->data(0, Qt::UserRole).toInt();
    bool located = false;
    const QString note = noteLine(nodeID, &located);
    if (located) {
        const int view = m_search.Data().Hierarchy->FieldByName(QStringLiteral("NodeType"))->AsInteger();
        ResultIcon->setPixmap(viewIcon(view, true).pixmap(20, 20));
        ResultIcon->show();
    }
    ResultText->clear();
    if (DisplayNotes->isChecked() && located) ResultText->append(note);
    ResultText->moveCursor(QTextCursor::Start);
}

void TQSSearch::ShowWebPage(int direction) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool wasBusy = m_busy;
    m_busy = true;
    struct Restore {
        TQSSearch* self;
        bool busy;
        ~Restore() {
            self->m_busy = busy;
            self->WebScroll->setUpdatesEnabled(true);
            QApplication::restoreOverrideCursor();
        }
    } restore{this, wasBusy};
    WebScroll->setUpdatesEnabled(false);
    clearWebPanels();
    const int count = int(ResultsArray().size());
    if (count > 0) {
        switch (direction) {
        case 0: m_webTop = 0; break;
        case 1: m_webTop = std::max(m_webTop - 10, 0); break;
        case 2:
            m_webTop += 10;
            if (count - m_webTop < 9) m_webTop = std::max(count - 10, 0);
            break;
        default: m_webTop = std::max(count - 10, 0); break;
        }
    } else {
        m_webTop = 0;
    }
    A_WVFirst->setEnabled(m_webTop != 0);
    A_WVPrior->setEnabled(m_webTop != 0);
    A_WVNext->setEnabled(m_webTop + 10 < count);
    A_WVLast->setEnabled(m_webTop + 10 < count);
    TMainDataMod& data = m_search.Data();
    for (int n = 0; n < 10 && m_webTop + n < count; ++n) {
        const TResultRec& r = ResultsArray()[size_t(m_webTop + n)];
        WVResult[n]->setEnabled(true);
        bool located = false;
        const QString note = noteLine(r.NodeID, &located);
        if (!located) continue;
        const QString title = data.Hierarchy->FieldByName(QStringLiteral("NodeName"))->AsString();
        WVResult[n]->setHtml(QStringLiteral("<b><font color=\"blue\">") + title.toHtmlEscaped() + QStringLiteral("</font></b>") +
                             (DisplayNotes->isChecked() && !note.isEmpty() ? QStringLiteral("<br>") + note.toHtmlEscaped()
                                                                           : QString()));
        WVImage[n]->setPixmap(viewIcon(r.ViewIndex, true).pixmap(32, 32));
        WVScore[n]->setText(QString::number(r.Score));
        WVResult[n]->moveCursor(QTextCursor::Start);
    }
    WebScroll->ensureWidgetVisible(WVPanel[0]);
    StatusPanel1->setText(webStatus());
    m_webStale = false;
    updateActions();
}

void TQSSearch::SortWebView(core::TResultSortKey key) {
    StatusPanel1->setText(QStringLiteral("Sorting matches..."));
    if (!ResultsArray().empty()) core::SortResults(ResultsArray(), 0, int(ResultsArray().size()) - 1, key);
    m_webTop = 0;
    ShowWebPage(0);
    (key == core::rsViewType ? A_SortType : key == core::rsScore ? A_SortScore : A_SortKey)->setChecked(true);
}

void TQSSearch::switchedViewPage() {
    updateActions();
    if (m_resultsReady) {
        if (webViewShown() && m_webStale) {
            SortWebView(core::rsViewType);
            if (m_selectedPanel > 0) WebScroll->ensureWidgetVisible(WVPanel[m_selectedPanel - 1]);
        } else if (!webViewShown() && m_listStale) {
            StatusPanel1->setText(QStringLiteral("Processing matches..."));
            fillList();
        }
    }
    StatusPanel1->setText(webViewShown() ? webStatus() : listStatus());
}

void TQSSearch::SelectPanel(int panel) {
    if (panel == m_selectedPanel || ResultsArray().empty()) return;
    if (m_selectedPanel > 0) {
        WVShape[m_selectedPanel - 1]->hide();
        WVResult[m_selectedPanel - 1]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    m_selectedPanel = 0;
    if (panel >= 1 && panel <= 10 && !WVScore[panel - 1]->text().isEmpty()) {
        m_selectedPanel = panel;
        QFrame* shape = WVShape[panel - 1];
        shape->setGeometry(WVPanel[panel - 1]->rect());
        shape->show();
        shape->raise();
        WVResult[panel - 1]->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        WebScroll->ensureWidgetVisible(WVPanel[panel - 1]);
    }
    updateActions();
}

bool TQSSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SearchTerm && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (A_Search->isEnabled()) A_Search->trigger();
            return true;
        }
    }
    if (watched == ViewPages->widget(0) && event->type() == QEvent::KeyPress && m_selectedPanel > 0) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up && m_selectedPanel > 1) {
            SelectPanel(m_selectedPanel - 1);
            return true;
        }
        if (key->key() == Qt::Key_Down && m_selectedPanel < 10) {
            SelectPanel(m_selectedPanel + 1);
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        for (QTextEdit* edit : WVResult)
            if (watched == edit) {
                // UM_RESULTEXIT: once the focus has moved on, the edit shows its start again.
                QPointer<QTextEdit> target(edit);
                QTimer::singleShot(0, this, [this, target] {
                    if (!target || m_busy || !webViewShown() || !searchPageShown()) return;
                    target->setUpdatesEnabled(false);
                    target->moveCursor(QTextCursor::Start);
                    target->ensureCursorVisible();
                    target->setUpdatesEnabled(true);
                });
            }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        QVariant tag = w ? w->property("Tag") : QVariant();
        if (!tag.isValid() && w && w->parentWidget()) tag = w->parentWidget()->property("Tag");
        if (tag.isValid() && !m_busy) {
            const int panel = tag.toInt();
            ui::RunGuarded(this, [&] {
                SelectPanel(panel);
                if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && m_selectedPanel == panel) {
                    QMenu menu(this);
                    menu.addActions({A_GoTo, A_ClipCopy, A_Export});
                    menu.exec(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
                }
            });
            if (m_selectedPanel == panel && panel > 0) {
                if (w == WVResult[panel - 1]->viewport()) WVResult[panel - 1]->setFocus();
                else ViewPages->widget(0)->setFocus();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- commands on the results ----

QList<int> TQSSearch::selectedNodeIDs() const {
    QList<int> ids;
    for (int i = 0; i < ResultsList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ResultsList->topLevelItem(i);
        if (item->isSelected()) ids << item->data(0, Qt::UserRole).toInt();
    }
    return ids;
}

void TQSSearch::GoToDetails() {
    int nodeID = 0;
    if (webViewShown()) {
        if (m_selectedPanel > 0 && m_webTop + m_selectedPanel - 1 < int(ResultsArray().size()))
            nodeID = ResultsArray()[size_t(m_webTop + m_selectedPanel - 1)].NodeID;
    } else if (QTreeWidgetItem* item = ResultsList->currentItem()) {
        nodeID = item->data(0, Qt::UserRole).toInt();
    } else if (!ResultsList->selectedItems().isEmpty()) {
        nodeID = ResultsList->selectedItems().first()->data(0, Qt::UserRole).toInt();
    }
    if (nodeID <= 0) {
        QApplication::beep();
        return;
    }
    TExplorer* explorer = core::Explorer();
    QTreeWidgetItem* node = explorer ? explorer->FindNodeByID(nodeID) : nullptr;
    if (!node) return;
    explorer->TreeView->setCurrentItem(node);
    explorer->TreeView->scrollToItem(node);
    if (OnGoTo->currentIndex() != 2) {
        QWidget* top = explorer->window();
        top->raise();
        top->activateWindow();
        if (OnGoTo->currentIndex() == 1) showMinimized();
    }
}

QString TQSSearch::ClipboardText() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool wasBusy = m_busy;
    m_busy = true;
    struct Restore {
        TQSSearch* self;
        bool busy;
        ~Restore() {
            self->m_busy = busy;
            QApplication::restoreOverrideCursor();
        }
    } restore{this, wasBusy};
    const QString cr = QStringLiteral("\r");
    const int option = ClipCopyOptions->currentIndex();
    QString text;
    auto add = [&](int nodeID, const QString& description) {
        bool located = false;
        const QString note = noteLine(nodeID, &located);
        const int view = located ? m_search.Data().Hierarchy->FieldByName(QStringLiteral("NodeType"))->AsInteger() : -1;
        if (!text.isEmpty()) text += cr + cr;
        text += (m_search.Views ? m_search.Views->GetViewName(view) : QString()) + cr;
        if (option == 0 || option == 1) text += description + cr;
        if (option == 0 || option == 2) text += note;
    };
    if (webViewShown()) {
        if (m_selectedPanel > 0 && m_webTop + m_selectedPanel - 1 < int(ResultsArray().size())) {
            const TResultRec& r = ResultsArray()[size_t(m_webTop + m_selectedPanel - 1)];
            bool located = false;
            noteLine(r.NodeID, &located);
            add(r.NodeID, located ? m_search.Data().Hierarchy->FieldByName(QStringLiteral("NodeName"))->AsString() : r.NodeName);
        }
    } else {
        for (int i = 0; i < ResultsList->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = ResultsList->topLevelItem(i);
            if (item->isSelected()) add(item->data(0, Qt::UserRole).toInt(), item->text(1));
        }
    }
    return text;
}

void TQSSearch::ExportResults() {
    if (webViewShown()) return;
    const std::optional<QString> file = ui::ChooseFileToSave(
        {QStringLiteral("Export results to..."), QString(), QStringLiteral("QSResult.txt"),
         QStringLiteral("Text files (*.txt)"), QStringLiteral("txt")});
    if (!file) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool wasBusy = m_busy;
    m_busy = true;
    struct Restore {
        TQSSearch* self;
        bool busy;
        ~Restore() {
            self->m_busy = busy;
            QApplication::restoreOverrideCursor();
        }
    } restore{this, wasBusy};
    const int option = ClipCopyOptions->currentIndex();
    bool first = true;
    auto write = [&](const QString& line) {
        core::WriteLogLine(*file, line, first);
        first = false;
    };
    for (int i = 0; i < ResultsList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ResultsList->topLevelItem(i);
        if (!item->isSelected()) continue;
        const QString note = noteLine(item->data(0, Qt::UserRole).toInt());
        if (option == 0 || option == 1) write(item->text(1));
        if (option == 0 || option == 2) write(DisplayNotes->isChecked() ? note : QString());
        write(QString());
    }
}

namespace core {

TQSSearch* QuickSearchWindow() { return g_window.data(); }

TQSSearch* ShowQuickSearch(TSearchData& search, QWidget* owner) {
    if (TQSSearch* w = g_window.data()) {
        if (w->isMinimized()) w->showNormal();
        w->raise();
        w->activateWindow();
        return w;
    }
    auto* w = new TQSSearch(search, owner);
    w->show();
    return w;
}

void InstallSearchCommands(TSearchData& search, QWidget* mainForm) {
    QPointer<QWidget> owner(mainForm);
    RegisterCommand(QStringLiteral("A_ViewSearch"), [&search, owner] { ShowQuickSearch(search, owner); });
    ViewLayer().CloseSearchWindows = [] {
        if (TQSSearch* w = g_window.data()) {
            w->close();
            QCoreApplication::sendPostedEvents(w, QEvent::DeferredDelete);
        }
    };
    RegisterCommand(QStringLiteral("A_EditFind"), [&search, owner] { ShowFindDialog(search, owner, false); });
    RegisterCommand(QStringLiteral("A_RebuildIndex"), [&search, owner] { RunIndexBuild(search, owner, false); });
    RegisterCommand(QStringLiteral("A_RebuildReport"), [&search, owner] { ShowReportRebuild(search, owner); });
}

}  // namespace core
