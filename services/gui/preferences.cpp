#include "services/gui/preferences.h"

#include "services/gui/favorite_edit.h"

#include "core/command_registry.h"
#include "core/date_helpers.h"
#include "core/globals.h"
#include "core/gui/list_helpers.h"
#include "core/gui/main_form.h"
#include "core/gui/view_windows.h"
#include "core/library_helpers.h"
#include "core/settings_store.h"
#include "core/view_control.h"
#include "core/win_registry.h"

#include "platform/format/date_time_format.h"
#include "platform/format/gui/masked_line_edit.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QButtonGroup>
#include <QPointer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kPrefs = QStringLiteral("Preferences");
const QString kFavorites = QStringLiteral("Favorites");

const QStringList kDateFormats = {"MM/DD/YYYY", "MM-DD-YYYY", "MM.DD.YYYY", "DD/MM/YYYY", "DD-MM-YYYY",
                                  "DD.MM.YYYY", "YYYY/MM/DD", "YYYY-MM-DD", "YYYY.MM.DD"};
const QStringList kLongDateFormats = {"MMMM D, YYYY", "MMM D, YYYY",  "DDDD, MMMM D, YYYY", "DDDD, MMM D, YYYY",
                                      "D-MMM-YY",     "D-MMM-YYYY",   "DD-MMM-YY",          "DD-MMM-YYYY",
                                      "D-MMMM-YYYY",  "DD-MMMM-YYYY", "YYYY MMMM D"};

QString rs(const char* k1, const char* k2, const char* var, const QString& def) {
    return core::ReadRegString(kPrefs, QLatin1String(k1), QLatin1String(k2), QLatin1String(var), def);
}
bool rb(const char* section, const char* k1, const char* k2, const char* var, bool def) {
    return core::ReadRegBool(QLatin1String(section), QLatin1String(k1), QLatin1String(k2), QLatin1String(var), def);
}
void ws(const char* k1, const char* k2, const char* var, const QString& value) {
    core::WriteRegString(kPrefs, QLatin1String(k1), QLatin1String(k2), QLatin1String(var), value);
}
void wb(const char* section, const char* k1, const char* k2, const char* var, bool value) {
    core::WriteRegBool(QLatin1String(section), QLatin1String(k1), QLatin1String(k2), QLatin1String(var), value);
}

/// The date separator of a short date format: its third character, or its fifth when it
/// begins with a year.
QChar separatorOf(const QString& format) {
    const int at = format.startsWith(u'y', Qt::CaseInsensitive) ? 4 : 2;
    return at < format.size() ? format.at(at) : QLatin1Char('/');
}

QWidget* page(QTabWidget* pages, const char* name, const QString& caption) {
    auto* w = ui::Make<QWidget>(pages, name);
    pages->addTab(w, caption);
    return w;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& caption, int help) {
    auto* c = ui::Make<QCheckBox>(parent, name, caption);
    c->setProperty("HelpContext", help);
    return c;
}

}  // namespace

const std::array<QString, TPreferencesForm::kToolbarCount>& TPreferencesForm::ToolbarNames() {
    static const std::array<QString, kToolbarCount> names = {"File", "Edit", "View", "Tools", "Help", "Explorer",
                                                             "Views Form"};
    return names;
}

QStringList TPreferencesForm::ToolbarButtons(int toolbar) {
    static const QStringList buttons[kToolbarCount] = {
        {"New", "Open", "Save As", "Shortcut", "Setup"},
        {"Undo", "Copy", "Cut", "Paste", "Find"},
        {"Fields", "Notes", "Reports", "Search"},
        {"Prefs", "Update", "Indexes", "Reports", "Repair"},
        {"Contents", "Index"},
        {"Add Same", "Add Below", "Edit", "Delete", "Exp Branch", "Col Branch", "Expand All", "Collapse All", "Refresh",
         "Dock", "Help"},
        {"Notes", "Search Terms", "Cross Ref", "Dock", "Customize", "Close", "Help"}};
    return toolbar >= 0 && toolbar < kToolbarCount ? buttons[toolbar] : QStringList();
}

TPreferencesForm::TPreferencesForm(bool noDatabase, TMainForm* mainForm, QWidget* parent)
    : QDialog(parent), m_noDatabase(noDatabase), m_mainForm(mainForm) {
    setObjectName(QStringLiteral("PreferencesForm"));
    setWindowTitle(QStringLiteral("Preferences"));
    Pages = ui::Make<QTabWidget>(this, "Pages");
    buildGlobalPage();
    if (!m_noDatabase) {
        buildDisplayPage();
        buildWizardsPage();
        buildSearchPage();
        buildDatesPage();
        buildToolbarsPage();
        buildGeneralPage();
    }
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    HelpBtn->setProperty("HelpContext", 100000);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* main = new QVBoxLayout(this);
    main->addWidget(Pages);
    main->addLayout(buttons);
    resize(520, 420);

    connect(OKBtn, &QPushButton::clicked, this, [this] { accept(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [this] { ui::HelpService::ShowContext(m_helpContext); });
    connect(Pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (Pages->widget(index) == m_toolbarsPage && ToolbarList->count() > 0) {
            ToolbarList->setFocus();
            ToolbarList->setCurrentRow(0);
        }
        m_helpContext = 100000 + index;
    });
}

void TPreferencesForm::buildGlobalPage() {
    m_globalPage = page(Pages, "GlobalPage", QStringLiteral("Global"));
    FavoritesList = ui::Make<QTreeWidget>(m_globalPage, "FavoritesList");
    FavoritesList->setProperty("HelpContext", 100103);
    FavoritesList->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Path")});
    FavoritesList->setRootIsDecorated(false);
    FavoritesList->setSelectionBehavior(QAbstractItemView::SelectRows);
    FavoritesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FavoritesList->setSortingEnabled(true);
    FavoritesList->sortByColumn(0, Qt::AscendingOrder);
    FavoritesList->setColumnWidth(0, 150);
    AddBtn = ui::Make<QToolButton>(m_globalPage, "AddBtn");
    AddBtn->setText(QStringLiteral("&Add"));
    AddBtn->setProperty("HelpContext", 100104);
    EditBtn = ui::Make<QToolButton>(m_globalPage, "EditBtn");
    EditBtn->setText(QStringLiteral("&Edit"));
    EditBtn->setProperty("HelpContext", 100105);
    DeleteBtn = ui::Make<QToolButton>(m_globalPage, "DeleteBtn");
    DeleteBtn->setText(QStringLiteral("&Delete"));
    DeleteBtn->setProperty("HelpContext", 100106);
    ReopenDatabase = check(m_globalPage, "ReopenDatabase", QStringLiteral("Re-open last opened database"), 100101);
    MaximizeMain = check(m_globalPage, "MaximizeMain", QStringLiteral("Maximize the main form on startup"), 100100);

    auto* tools = new QHBoxLayout;
    for (QToolButton* b : {AddBtn, EditBtn, DeleteBtn}) tools->addWidget(b);
    tools->addStretch();
    auto* box = ui::Make<QGroupBox>(m_globalPage, "FavoritesGroup", QStringLiteral("Favorites"));
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addLayout(tools);
    boxLayout->addWidget(FavoritesList);
    auto* l = new QVBoxLayout(m_globalPage);
    l->addWidget(box);
    l->addWidget(ReopenDatabase);
    l->addWidget(MaximizeMain);

    auto guarded = [this](void (TPreferencesForm::*f)()) {
        return [this, f] { ui::RunGuarded(this, [&] { (this->*f)(); }); };
    };
    connect(AddBtn, &QToolButton::clicked, this, guarded(&TPreferencesForm::AddBtnClick));
    connect(EditBtn, &QToolButton::clicked, this, guarded(&TPreferencesForm::EditBtnClick));
    connect(DeleteBtn, &QToolButton::clicked, this, guarded(&TPreferencesForm::DeleteBtnClick));
    connect(FavoritesList, &QTreeWidget::itemSelectionChanged, this, [this] { updateFavoriteButtons(); });
    for (QCheckBox* c : {ReopenDatabase, MaximizeMain}) connect(c, &QCheckBox::toggled, this, [this] { changed(); });
}

void TPreferencesForm::buildDisplayPage() {
    m_displayPage = page(Pages, "DisplayPage", QStringLiteral("Display"));
    ShowTabsGroup = ui::Make<QGroupBox>(m_displayPage, "ShowTabsGroup", QStringLiteral("Show main window tabs..."));
    ShowTabsGroup->setProperty("HelpContext", 100110);
    ShowTabsButtons = new QButtonGroup(ShowTabsGroup);
    auto* tabs = new QVBoxLayout(ShowTabsGroup);
    const QStringList places = {"On the top", "At the right", "On the bottom", "At the left"};
    for (int i = 0; i < places.size(); ++i) {
        auto* r = new QRadioButton(places[i], ShowTabsGroup);
        r->setObjectName(QStringLiteral("ShowTabs%1").arg(i));
        ShowTabsButtons->addButton(r, i);
        tabs->addWidget(r);
    }
    RestoreLayout = check(m_displayPage, "RestoreLayout", QStringLiteral("Restore the screen layout from the last session"), 100107);
    AllowDragAndDock = check(m_displayPage, "AllowDragAndDock", QStringLiteral("Allow drag and dock of windows"), 100108);
    LinkViews = check(m_displayPage, "LinkViews", QStringLiteral("Link views to active view"), 100111);
    BringActiveToFront = check(m_displayPage, "BringActiveToFront", QStringLiteral("Bring active view to the front"), 100112);
    auto* l = new QVBoxLayout(m_displayPage);
    l->addWidget(ShowTabsGroup);
    for (QCheckBox* c : {RestoreLayout, AllowDragAndDock, LinkViews, BringActiveToFront}) {
        l->addWidget(c);
        connect(c, &QCheckBox::toggled, this, [this] { changed(); });
    }
    l->addStretch();
    connect(ShowTabsButtons, &QButtonGroup::idClicked, this, [this] { changed(); });
}

void TPreferencesForm::buildWizardsPage() {
    m_wizardsPage = page(Pages, "WizardsPage", QStringLiteral("Wizards"));
    UseWiz_MaskBuilder = check(m_wizardsPage, "UseWiz_MaskBuilder",
                               QStringLiteral("Creating field edit masks (Mask Builder Wizard)"), 100114);
    UseWiz_Shortcut = check(m_wizardsPage, "UseWiz_Shortcut", QStringLiteral("Creating a shortcut (Shortcut Wizard)"), 100115);
    auto* l = new QVBoxLayout(m_wizardsPage);
    for (QCheckBox* c : {UseWiz_MaskBuilder, UseWiz_Shortcut}) {
        l->addWidget(c);
        connect(c, &QCheckBox::toggled, this, [this] { changed(); });
    }
    l->addStretch();
}

void TPreferencesForm::buildSearchPage() {
    m_searchPage = page(Pages, "SearchPage", QStringLiteral("Search"));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    WC_AnyChar = ui::Make<QLineEdit>(m_searchPage, "WC_AnyChar");
    WC_AnyChar->setProperty("HelpContext", 100117);
    WC_OneChar = ui::Make<QLineEdit>(m_searchPage, "WC_OneChar");
    WC_OneChar->setProperty("HelpContext", 100118);
    for (QLineEdit* e : {WC_AnyChar, WC_OneChar}) {
        e->setMaxLength(1);
        e->setFont(fixed);
        e->setFixedWidth(40);
    }
    WildCardDefaults = ui::Make<QPushButton>(m_searchPage, "WildCardDefaults", QStringLiteral("Defaults"));
    WildCardDefaults->setProperty("HelpContext", 100119);
    TokenAND = ui::Make<QLineEdit>(m_searchPage, "TokenAND");
    TokenOR = ui::Make<QLineEdit>(m_searchPage, "TokenOR");
    TokenNOT = ui::Make<QLineEdit>(m_searchPage, "TokenNOT");
    TokenLIKE = ui::Make<QLineEdit>(m_searchPage, "TokenLIKE");
    TokenNEAR = ui::Make<QLineEdit>(m_searchPage, "TokenNEAR");
    TokenDefaults = ui::Make<QPushButton>(m_searchPage, "TokenDefaults", QStringLiteral("Defaults"));
    TokenDefaults->setProperty("HelpContext", 100122);
    FindLimit = ui::Make<QLineEdit>(m_searchPage, "FindLimit");
    FindLimit->setProperty("HelpContext", 100140);
    FindLimit->setMaxLength(5);
    FindLimit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), FindLimit));
    FindLimit->setFixedWidth(70);
    FindLimitUpDown = ui::Make<QSpinBox>(m_searchPage, "FindLimitUpDown");
    FindLimitUpDown->setRange(0, 500);
    FindLimitUpDown->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    FindLimitUpDown->setFixedWidth(20);

    auto* wild = ui::Make<QGroupBox>(m_searchPage, "WildCardGroup", QStringLiteral("Wild Card Characters"));
    auto* wl = new QFormLayout(wild);
    wl->addRow(QStringLiteral("Any character"), WC_AnyChar);
    wl->addRow(QStringLiteral("One character"), WC_OneChar);
    wl->addRow(QString(), WildCardDefaults);
    auto* logic = ui::Make<QGroupBox>(m_searchPage, "LogicGroup", QStringLiteral("Logic Words"));
    auto* ll = new QFormLayout(logic);
    ll->addRow(QStringLiteral("AND"), TokenAND);
    ll->addRow(QStringLiteral("OR"), TokenOR);
    ll->addRow(QStringLiteral("NOT"), TokenNOT);
    ll->addRow(QStringLiteral("LIKE"), TokenLIKE);
    ll->addRow(QStringLiteral("NEAR"), TokenNEAR);
    ll->addRow(QString(), TokenDefaults);
    auto* limit = new QHBoxLayout;
    limit->addWidget(new QLabel(QStringLiteral("Match Limit"), m_searchPage));
    limit->addWidget(FindLimit);
    limit->addWidget(FindLimitUpDown);
    limit->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(wild);
    top->addWidget(logic);
    auto* l = new QVBoxLayout(m_searchPage);
    l->addLayout(top);
    l->addLayout(limit);
    l->addStretch();

    for (QLineEdit* e : {WC_AnyChar, WC_OneChar}) {
        connect(e, &QLineEdit::textChanged, this, [this] {
            changed();
            m_wildCardWarningShown = false;
        });
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            if (!e->isModified()) return;
            QWidget* to = QApplication::focusWidget();
            if (to == WildCardDefaults || to == CancelBtn) return;
            e->setModified(false);
            validateWildCard(e);
        });
    }
    for (QLineEdit* e : {TokenAND, TokenOR, TokenNOT, TokenLIKE, TokenNEAR}) {
        connect(e, &QLineEdit::textChanged, this, [this] { changed(); });
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            if (!e->isModified()) return;
            QWidget* to = QApplication::focusWidget();
            if (to == TokenDefaults || to == CancelBtn) return;
            e->setModified(false);
            QLineEdit* blank = nullptr;
            for (QLineEdit* t : {TokenAND, TokenOR, TokenNOT, TokenLIKE, TokenNEAR})
                if (t->text().trimmed().isEmpty()) blank = t;
            if (blank) fail(m_searchPage, blank, QStringLiteral("Logic tokens cannot be blank."), 10071);
        });
    }
    connect(WildCardDefaults, &QPushButton::clicked, this, [this] {
        WC_AnyChar->setText(QStringLiteral("*"));
        WC_OneChar->setText(QStringLiteral("?"));
        changed();
    });
    connect(TokenDefaults, &QPushButton::clicked, this, [this] {
        TokenAND->setText(QStringLiteral("and"));
        TokenOR->setText(QStringLiteral("or"));
        TokenNOT->setText(QStringLiteral("not"));
        TokenLIKE->setText(QStringLiteral("like"));
        TokenNEAR->setText(QStringLiteral("near"));
        changed();
    });
    connect(FindLimit, &QLineEdit::textChanged, this, [this] { changed(); });
    connect(FindLimit, &QLineEdit::editingFinished, this, [this] {
        if (FindLimit->text().trimmed().toInt() <= 0) FindLimit->setText(QStringLiteral("500"));
    });
    connect(FindLimitUpDown, &QSpinBox::valueChanged, this, [this](int v) {
        if (m_loading) return;
        FindLimit->setText(QString::number(v));
        changed();
    });
}

void TPreferencesForm::buildDatesPage() {
    m_datesPage = page(Pages, "DatesPage", QStringLiteral("Dates"));
    DateFormatList = ui::Make<QComboBox>(m_datesPage, "DateFormatList");
    DateFormatList->setProperty("HelpContext", 100124);
    DateFormatList->addItems(kDateFormats);
    LongDateFormatList = ui::Make<QComboBox>(m_datesPage, "LongDateFormatList");
    LongDateFormatList->setProperty("HelpContext", 100125);
    LongDateFormatList->setEditable(true);
    LongDateFormatList->setInsertPolicy(QComboBox::NoInsert);
    LongDateFormatList->addItems(kLongDateFormats);
    ShortDateSample = ui::Make<QLabel>(m_datesPage, "ShortDateSample");
    LongDateSample = ui::Make<QLabel>(m_datesPage, "LongDateSample");
    OldestDate = ui::Make<format::MaskedLineEdit>(m_datesPage, "OldestDate");
    OldestDate->setProperty("HelpContext", 100128);
    OldestDate->setFixedWidth(110);
    auto* oldGroup = ui::Make<QGroupBox>(m_datesPage, "OldDateGroup",
                                         QStringLiteral("If a View field date is before this date..."));
    oldGroup->setProperty("HelpContext", 100129);
    OldDateWarn = ui::Make<QRadioButton>(oldGroup, "OldDateWarn", QStringLiteral("Warn me"));
    OldDateError = ui::Make<QRadioButton>(oldGroup, "OldDateError", QStringLiteral("Treat it as an error"));
    OldDateIgnore = ui::Make<QRadioButton>(oldGroup, "OldDateIgnore", QStringLiteral("Do nothing"));
    Year2000CutOff = ui::Make<QLineEdit>(m_datesPage, "Year2000CutOff");
    Year2000CutOff->setProperty("HelpContext", 100131);
    Year2000CutOff->setMaxLength(2);
    Year2000CutOff->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,2}")), Year2000CutOff));
    Year2000CutOff->setFixedWidth(40);

    auto* formats = new QGridLayout;
    formats->addWidget(new QLabel(QStringLiteral("Short date format"), m_datesPage), 0, 0);
    formats->addWidget(DateFormatList, 0, 1);
    formats->addWidget(ShortDateSample, 0, 2);
    formats->addWidget(new QLabel(QStringLiteral("Long date format"), m_datesPage), 1, 0);
    formats->addWidget(LongDateFormatList, 1, 1);
    formats->addWidget(LongDateSample, 1, 2);
    auto* oldest = new QHBoxLayout;
    oldest->addWidget(new QLabel(QStringLiteral("Oldest Acceptable Date"), m_datesPage));
    oldest->addWidget(OldestDate);
    oldest->addStretch();
    auto* ol = new QVBoxLayout(oldGroup);
    for (QRadioButton* r : {OldDateWarn, OldDateError, OldDateIgnore}) {
        ol->addWidget(r);
        connect(r, &QRadioButton::toggled, this, [this] { changed(); });
    }
    auto* y2k = new QHBoxLayout;
    y2k->addWidget(new QLabel(QStringLiteral("Interpret 1 and 2 digit year values less than"), m_datesPage));
    y2k->addWidget(Year2000CutOff);
    y2k->addWidget(new QLabel(QStringLiteral("as year 2000 +"), m_datesPage));
    y2k->addStretch();
    auto* l = new QVBoxLayout(m_datesPage);
    l->addLayout(formats);
    l->addLayout(oldest);
    l->addWidget(oldGroup);
    l->addLayout(y2k);
    l->addWidget(new QLabel(QStringLiteral("(Higher values will be interpreted as year 1900 +)"), m_datesPage));
    l->addStretch();

    connect(DateFormatList, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_loading) ui::RunGuarded(this, [&] { DateFormatListChange(); });
    });
    connect(LongDateFormatList, &QComboBox::currentTextChanged, this, [this] {
        if (!m_loading) LongDateFormatListChange();
    });
    connect(LongDateFormatList->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (LongDateFormatList->currentText().trimmed().isEmpty()) {
            LongDateFormatList->setEditText(QStringLiteral("mmmm d, yyyy"));
        }
    });
    connect(Year2000CutOff, &QLineEdit::textChanged, this, [this] { changed(); });
    connect(Year2000CutOff, &QLineEdit::editingFinished, this, [this] {
        if (Year2000CutOff->text().trimmed().toInt() == 0) Year2000CutOff->setText(QStringLiteral("50"));
    });
    connect(OldestDate, &QLineEdit::textChanged, this, [this] { changed(); });
    connect(OldestDate, &QLineEdit::editingFinished, this, [this] {
        if (!OldestDate->Modified() || QApplication::focusWidget() == CancelBtn) return;
        changed();
        const QString text = OldestDate->Text();
        if (core::IsBlankDate(text) || !core::IsValidDateText(text)) return;  // reported by OK
        OldestDate->SetText(core::ExpandDateYear(text, false));
        OldestDate->SetModified(false);
    });
}

void TPreferencesForm::buildToolbarsPage() {
    m_toolbarsPage = page(Pages, "ToolbarsPage", QStringLiteral("Toolbars"));
    ToolbarList = ui::Make<QListWidget>(m_toolbarsPage, "ToolbarList");
    ToolbarList->setProperty("HelpContext", 100132);
    ToolbarList->setFixedWidth(130);
    ToolbarPages = ui::Make<QStackedWidget>(m_toolbarsPage, "ToolbarPages");
    for (int t = 0; t < kToolbarCount; ++t) {
        auto* copy = new QWidget(ToolbarPages);
        copy->setObjectName(QStringLiteral("ToolbarCopy%1").arg(t));
        copy->setWhatsThis(QStringLiteral("100133"));
        auto* grid = new QGridLayout(copy);
        const QStringList captions = ToolbarButtons(t);
        for (int b = 0; b < captions.size(); ++b) {
            auto* button = new QToolButton(copy);
            button->setObjectName(QStringLiteral("ToolbarButton%1_%2").arg(t).arg(b));
            button->setText(captions[b]);
            button->setCheckable(true);
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            button->setMinimumSize(72, 40);
            button->setProperty("HelpContext", 100133);
            grid->addWidget(button, b / 4, b % 4);
            connect(button, &QToolButton::clicked, this, [this, t, b](bool down) { ToolbarButtonClick(t, b, down); });
        }
        grid->setRowStretch(grid->rowCount(), 1);
        grid->setColumnStretch(4, 1);
        ToolbarPages->addWidget(copy);
        ToolbarCopies[t] = copy;
    }
    auto* l = new QHBoxLayout(m_toolbarsPage);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Available Toolbars"), m_toolbarsPage));
    left->addWidget(ToolbarList);
    l->addLayout(left);
    l->addWidget(ToolbarPages, 1);
    connect(ToolbarList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) ToolbarPages->setCurrentIndex(ToolbarList->item(row)->data(Qt::UserRole).toInt());
    });
    connect(ToolbarList, &QListWidget::itemChanged, this, [this] { changed(); });
}

void TPreferencesForm::buildGeneralPage() {
    m_generalPage = page(Pages, "GeneralPage", QStringLiteral("General"));
    BeepKeyError = check(m_generalPage, "BeepKeyError", QStringLiteral("Beep when invalid characters typed"), 100134);
    BeepFieldError = check(m_generalPage, "BeepFieldError", QStringLiteral("Beep when field contents invalid"), 100135);
    MacroTextOn = check(m_generalPage, "MacroTextOn", QStringLiteral("Enable macro text shortcut keys"), 100137);
    ConfirmList = ui::Make<QListWidget>(m_generalPage, "ConfirmList");
    ConfirmList->setProperty("HelpContext", 100139);
    auto* l = new QVBoxLayout(m_generalPage);
    for (QCheckBox* c : {BeepKeyError, BeepFieldError, MacroTextOn}) {
        l->addWidget(c);
        connect(c, &QCheckBox::toggled, this, [this] { changed(); });
    }
    l->addWidget(new QLabel(QStringLiteral("Confirmations and Warnings (display for the checked actions)"), m_generalPage));
    l->addWidget(ConfirmList);
    connect(ConfirmList, &QListWidget::itemChanged, this, [this] { changed(); });
}

void TPreferencesForm::changed() {
    if (!m_loading) m_changed = true;
}

void TPreferencesForm::updateFavoriteButtons() {
    const bool any = FavoritesList->topLevelItemCount() > 0 && FavoritesList->currentItem();
    EditBtn->setEnabled(any);
    DeleteBtn->setEnabled(any);
}

void TPreferencesForm::renewSamples() {
    const QDate today = QDate::currentDate();
    ShortDateSample->setText(format::FormatDateTime(QStringLiteral("ddddd"), today));
    LongDateSample->setText(format::FormatDateTime(QStringLiteral("dddddd"), today));
}

void TPreferencesForm::setOldestDateMask() {
    OldestDate->SetEditMask(core::DateFormatToEditMask(format::Settings().shortDateFormat) + QStringLiteral(";1; "));
}

void TPreferencesForm::FormShow() {
    m_loading = true;
    core::SettingsReadSession session;
    ReopenDatabase->setChecked(core::ReadWinRegBool(kPrefs, QStringLiteral("ReopenLastDatabase"), true));
    // Shown as start-up reads it: a missing value does not maximise.
    MaximizeMain->setChecked(core::ReadWinRegBool(kPrefs, QStringLiteral("MaximizeMainForm"), false));
    FavoritesList->clear();
    const int count = core::ReadWinRegInt(kFavorites, QStringLiteral("Count"), 0);
    for (int n = 1; n <= count; ++n) {
        const QString name = core::ReadWinRegString(kFavorites, QStringLiteral("Name%1").arg(n), {}).trimmed();
        const QString path = core::ReadWinRegString(kFavorites, QStringLiteral("Path%1").arg(n), {}).trimmed();
        if (name.isEmpty() || path.isEmpty()) continue;
        new QTreeWidgetItem(FavoritesList, {name, path});
    }
    if (FavoritesList->topLevelItemCount() > 0) FavoritesList->setCurrentItem(FavoritesList->topLevelItem(0));
    updateFavoriteButtons();

    m_savedFormats = format::Settings();
    if (!m_noDatabase) {
        AllowDragAndDock->setChecked(rb("Preferences", "General", "Docking", "AllowDragDock", true));
        const int tab = core::ReadRegInt(kPrefs, QStringLiteral("Display"), QStringLiteral("MainForm"), QStringLiteral("DockPanelTabPosition"), 0);
        if (QAbstractButton* b = ShowTabsButtons->button(tab >= 0 && tab < 4 ? tab : 0)) b->setChecked(true);
        RestoreLayout->setChecked(rb("Preferences", "Display", "General", "RestoreScreenLayout", true));
        LinkViews->setChecked(rb("Preferences", "Display", "Views", "LinkViews", true));
        BringActiveToFront->setChecked(rb("Preferences", "Display", "Views", "BringActiveToFront", true));
        UseWiz_MaskBuilder->setChecked(rb("Wizards", "MaskBuilder", "Control", "WizardOn", true));
        UseWiz_Shortcut->setChecked(rb("Wizards", "Shortcut", "Control", "WizardOn", true));
        WC_OneChar->setText(rs("QuickSearch", "SearchOption", "DefaultOneChar", QStringLiteral("?")));
        WC_AnyChar->setText(rs("QuickSearch", "SearchOption", "DefaultAnyChar", QStringLiteral("*")));
        QStringList tokens;
        core::GetLogicTokens(tokens);
        const std::array<QLineEdit*, 5> tokenEdits = {TokenAND, TokenOR, TokenNOT, TokenLIKE, TokenNEAR};
        for (int i = 0; i < 5; ++i) tokenEdits[i]->setText(tokens.value(i));
        FindLimit->setText(rs("QuickSearch", "Find", "MatchLimit", QStringLiteral("500")));
        FindLimitUpDown->setValue(qBound(0, FindLimit->text().toInt(), 500));

        // Dates: the stored formats become the program's while the dialog is open.
        QString stored = rs("Dates", "General", "DateFormat", QStringLiteral("DD/MM/YYYY")).toUpper();
        if (stored.trimmed().isEmpty()) stored = QStringLiteral("DD/MM/YYYY");
        const int at = kDateFormats.indexOf(stored);
        DateFormatList->setCurrentIndex(at >= 0 ? at : 1);
        format::FormatSettings dates = format::Settings();
        dates.shortDateFormat = stored.toLower();
        const QString separator = rs("Dates", "General", "DateSeparator", QStringLiteral("/"));
        dates.dateSeparator = separator.isEmpty() ? QLatin1Char('/') : separator.at(0);
        const QString longFormat = rs("Dates", "General", "LongDateFormat", QStringLiteral("mmmm d, yyyy"));
        LongDateFormatList->setEditText(longFormat.toUpper());
        dates.longDateFormat = longFormat.toLower();
        format::SetSettings(dates);
        renewSamples();
        setOldestDateMask();
        OldestDate->SetText(rs("Dates", "General", "OldestDate", QString()));
        if (OldestDate->EditText().trimmed() == QStringLiteral("/  /"))
            OldestDate->SetText(format::FormatDateTime(QStringLiteral("ddddd"), QDate(1900, 1, 1)));
        OldestDate->SetModified(false);
        const QString onOld = rs("Dates", "General", "OnOldDate", QStringLiteral("Warn"));
        (onOld == QLatin1String("Warn") ? OldDateWarn : onOld == QLatin1String("Error") ? OldDateError : OldDateIgnore)
            ->setChecked(true);
        Year2000CutOff->setText(rs("Dates", "General", "Year2000Cutoff", QStringLiteral("50")));

        ToolbarList->clear();
        for (int t = 0; t < kToolbarCount; ++t) {
            const QString name = ToolbarNames()[t];
            const int buttons = ToolbarButtons(t).size();
            QString state = core::ReadRegString(kPrefs, QStringLiteral("Toolbars"), name, QStringLiteral("ButtonState"),
                                                QStringLiteral("1"));
            state = state.left(buttons).leftJustified(buttons, u'1');
            m_toolbarStates[t] = state;
            for (int b = 0; b < buttons; ++b)
                if (auto* button = ToolbarCopies[t]->findChild<QToolButton*>(QStringLiteral("ToolbarButton%1_%2").arg(t).arg(b)))
                    button->setChecked(state.at(b) == u'1');
            auto* item = new QListWidgetItem(name, ToolbarList);
            item->setData(Qt::UserRole, t);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(core::ReadRegBool(kPrefs, QStringLiteral("Toolbars"), name, QStringLiteral("Visible"), true)
                                    ? Qt::Checked
                                    : Qt::Unchecked);
        }

        BeepKeyError->setChecked(rb("Preferences", "Sounds", "ErrorBeep", "BeepOnKeyError", true));
        BeepFieldError->setChecked(rb("Preferences", "Sounds", "ErrorBeep", "BeepOnFieldError", true));
        MacroTextOn->setChecked(rb("Preferences", "General", "Misc", "EnableMacroText", true));
        core::LoadRegCheckList(kPrefs, QStringLiteral("Messages"), QStringLiteral("Confirmation"), ConfirmList);
        ConfirmList->sortItems();
    }
    Pages->setCurrentWidget(m_globalPage);
    m_changed = false;
    m_dateFormatChanged = false;
    m_helpContext = 100000;
    m_loading = false;
}

void TPreferencesForm::DateFormatListChange() {
    const QDate oldest = core::IsBlankDate(OldestDate->Text()) ? QDate() : core::DateTextToDate(OldestDate->Text());
    format::FormatSettings dates = format::Settings();
    dates.shortDateFormat = DateFormatList->currentText().toLower();
    dates.dateSeparator = separatorOf(dates.shortDateFormat);
    format::SetSettings(dates);
    renewSamples();
    setOldestDateMask();
    OldestDate->SetText(oldest.isValid() ? format::FormatDateTime(QStringLiteral("ddddd"), oldest) : QString());
    changed();
    m_dateFormatChanged = true;
}

void TPreferencesForm::LongDateFormatListChange() {
    format::FormatSettings dates = format::Settings();
    dates.longDateFormat = LongDateFormatList->currentText().trimmed().toLower();
    format::SetSettings(dates);
    renewSamples();
    changed();
}

void TPreferencesForm::ToolbarButtonClick(int toolbar, int button, bool down) {
    QString& state = m_toolbarStates[toolbar];
    if (button < 0 || button >= state.size()) return;
    state[button] = down ? u'1' : u'0';
    for (int i = 0; i < ToolbarList->count(); ++i) {
        QListWidgetItem* item = ToolbarList->item(i);
        if (item->data(Qt::UserRole).toInt() == toolbar)
            item->setCheckState(state.contains(u'1') ? Qt::Checked : Qt::Unchecked);
    }
    changed();
}

void TPreferencesForm::AddBtnClick() {
    QString name;
    QString path = LastFolder;
    const bool ok = EditFavorite(name, path);
    LastFolder = path;
    if (!ok) return;
    auto* item = new QTreeWidgetItem(FavoritesList, {name, path});
    FavoritesList->setCurrentItem(item);
    updateFavoriteButtons();
    changed();
}

void TPreferencesForm::EditBtnClick() {
    QTreeWidgetItem* item = FavoritesList->currentItem();
    if (!item) return;
    QString name = item->text(0);
    QString path = item->text(1);
    const bool ok = EditFavorite(name, path);
    LastFolder = path;
    if (!ok) return;
    item->setText(0, name);
    item->setText(1, path);
    changed();
}

void TPreferencesForm::DeleteBtnClick() {
    QTreeWidgetItem* item = FavoritesList->currentItem();
    if (!item) return;
    if (ui::Message(QStringLiteral("Are you sure you want to delete this name from the list?"),
                    ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10072) != ui::Button::Yes)
        return;
    delete item;
    if (FavoritesList->topLevelItemCount() > 0) FavoritesList->setCurrentItem(FavoritesList->topLevelItem(0));
    updateFavoriteButtons();
    changed();
}

void TPreferencesForm::fail(QWidget* page, QWidget* control, const QString& text, int helpContext) {
    Pages->setCurrentWidget(page);
    control->setFocus();
    ui::Message(text, ui::MessageKind::Error, ui::Button::Ok, helpContext);
}

bool TPreferencesForm::validateWildCard(QLineEdit* edit) {
    const QString c = edit->text().trimmed();
    if (c.isEmpty()) {
        fail(m_searchPage, edit, QStringLiteral("Wild card characters cannot be blank."), 10069);
        return false;
    }
    if ((c.at(0).isLetterOrNumber() || c.at(0) == u'(' || c.at(0) == u')') && !m_wildCardWarningShown) {
        m_wildCardWarningShown = true;
        ui::Message(QStringLiteral("The wild card character you have chosen will prevent you from searching for some "
                                   "items. You should normally not use letters, numbers, or parentheses."),
                    ui::MessageKind::Warning, ui::Button::Ok, 10070);
    }
    return true;
}

bool TPreferencesForm::ValidatePreferences() {
    if (m_noDatabase) return true;
    const QString oldest = OldestDate->Text();
    if (core::IsBlankDate(oldest) || !core::IsValidDateText(oldest)) {
        fail(m_datesPage, OldestDate,
             QStringLiteral("Oldest acceptable date is not valid. Enter the date in the format you have selected above."),
             10068);
        return false;
    }
    QLineEdit* blank = nullptr;
    for (QLineEdit* t : {TokenAND, TokenOR, TokenNOT, TokenLIKE, TokenNEAR})
        if (t->text().trimmed().isEmpty()) blank = t;
    if (blank) {
        fail(m_searchPage, blank, QStringLiteral("Logic tokens cannot be blank."), 10071);
        return false;
    }
    if (Year2000CutOff->text().trimmed().isEmpty()) {
        fail(m_datesPage, Year2000CutOff, QStringLiteral("Year 2000 cutoff cannot be blank."), 10071);
        return false;
    }
    for (QLineEdit* w : {WC_AnyChar, WC_OneChar})
        if (!validateWildCard(w)) return false;
    return true;
}

bool TPreferencesForm::SavePreferences() {
    if (!ValidatePreferences()) return false;
    ui::HourglassCursor hourglass;
    core::WriteWinRegBool(kPrefs, QStringLiteral("ReopenLastDatabase"), ReopenDatabase->isChecked());
    core::WriteWinRegBool(kPrefs, QStringLiteral("MaximizeMainForm"), MaximizeMain->isChecked());
    const int count = FavoritesList->topLevelItemCount();
    for (int n = 1; n <= count; ++n) {
        QTreeWidgetItem* item = FavoritesList->topLevelItem(n - 1);
        core::WriteWinRegString(kFavorites, QStringLiteral("Name%1").arg(n), item->text(0));
        core::WriteWinRegString(kFavorites, QStringLiteral("Path%1").arg(n), item->text(1));
    }
    core::WriteWinRegInt(kFavorites, QStringLiteral("Count"), count);
    if (m_mainForm) m_mainForm->BuildFavoritesMenu();
    if (!m_noDatabase) {
        QString tokens;
        for (QLineEdit* t : {TokenAND, TokenOR, TokenNOT, TokenLIKE, TokenNEAR}) tokens += t->text().trimmed() + u';';
        ws("QuickSearch", "SearchOption", "DefaultLogicTokens", tokens);
        ws("QuickSearch", "SearchOption", "DefaultOneChar", WC_OneChar->text());
        ws("QuickSearch", "SearchOption", "DefaultAnyChar", WC_AnyChar->text());
        QString limit = FindLimit->text().trimmed();
        if (limit.isEmpty() || limit.toInt() < 1) limit = QStringLiteral("500");
        FindLimit->setText(limit);
        ws("QuickSearch", "Find", "MatchLimit", limit);
        wb("Preferences", "General", "Docking", "AllowDragDock", AllowDragAndDock->isChecked());
        wb("Preferences", "Display", "General", "RestoreScreenLayout", RestoreLayout->isChecked());
        core::WriteRegInt(kPrefs, QStringLiteral("Display"), QStringLiteral("MainForm"),
                          QStringLiteral("DockPanelTabPosition"), qMax(0, ShowTabsButtons->checkedId()));
        wb("Preferences", "Display", "Views", "LinkViews", LinkViews->isChecked());
        wb("Preferences", "Display", "Views", "BringActiveToFront", BringActiveToFront->isChecked());
        const QString dateFormat = DateFormatList->currentText().toLower();
        ws("Dates", "General", "DateFormat", dateFormat);
        ws("Dates", "General", "DateSeparator", QString(separatorOf(dateFormat)));
        ws("Dates", "General", "LongDateFormat", LongDateFormatList->currentText().trimmed().toLower());
        ws("Dates", "General", "OldestDate", OldestDate->Text());
        ws("Dates", "General", "OnOldDate",
           OldDateWarn->isChecked() ? QStringLiteral("Warn")
                                    : OldDateError->isChecked() ? QStringLiteral("Error") : QStringLiteral("Ignore"));
        ws("Dates", "General", "Year2000Cutoff", Year2000CutOff->text());
        wb("Preferences", "Sounds", "ErrorBeep", "BeepOnKeyError", BeepKeyError->isChecked());
        wb("Preferences", "Sounds", "ErrorBeep", "BeepOnFieldError", BeepFieldError->isChecked());
        wb("Preferences", "General", "Misc", "EnableMacroText", MacroTextOn->isChecked());
        wb("Wizards", "MaskBuilder", "Control", "WizardOn", UseWiz_MaskBuilder->isChecked());
        wb("Wizards", "Shortcut", "Control", "WizardOn", UseWiz_Shortcut->isChecked());
        for (int i = 0; i < ToolbarList->count(); ++i) {
            QListWidgetItem* item = ToolbarList->item(i);
            const int t = item->data(Qt::UserRole).toInt();
            const QString name = ToolbarNames()[t];
            core::WriteRegString(kPrefs, QStringLiteral("Toolbars"), name, QStringLiteral("ButtonState"), m_toolbarStates[t]);
            core::WriteRegBool(kPrefs, QStringLiteral("Toolbars"), name, QStringLiteral("Visible"),
                               m_toolbarStates[t].contains(u'1') && item->checkState() == Qt::Checked);
        }
        core::SaveRegCheckList(kPrefs, QStringLiteral("Messages"), QStringLiteral("Confirmation"), ConfirmList);
    }
    m_changed = false;
    return true;
}

void TPreferencesForm::restoreDateFormats() {
    if (m_noDatabase) return;
    format::FormatSettings dates = format::Settings();
    dates.shortDateFormat = m_savedFormats.shortDateFormat;
    dates.dateSeparator = m_savedFormats.dateSeparator;
    dates.longDateFormat = m_savedFormats.longDateFormat;
    format::SetSettings(dates);
}

void TPreferencesForm::accept() {
    bool saved = false;
    ui::RunGuarded(this, [&] { saved = SavePreferences(); });
    if (!saved) return;
    m_closing = true;
    QDialog::accept();
}

void TPreferencesForm::reject() {
    // Cancel: nothing is saved and the program gets its formats back.
    m_changed = false;
    restoreDateFormats();
    m_closing = true;
    QDialog::reject();
}

void TPreferencesForm::closeEvent(QCloseEvent* event) {
    if (m_closing || !m_changed) {
        restoreDateFormats();
        m_closing = true;
        QDialog::closeEvent(event);
        return;
    }
    const ui::Button answer = ui::Message(QStringLiteral("Do you want to save your changes?"), ui::MessageKind::Confirmation,
                                          ui::Button::Yes | ui::Button::No | ui::Button::Cancel, 10024);
    if (answer == ui::Button::Yes) {
        event->ignore();
        accept();
        return;
    }
    if (answer == ui::Button::No) {
        m_changed = false;
        restoreDateFormats();
        m_closing = true;
        setResult(QDialog::Rejected);
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
}

namespace {
core::ViewTables* g_viewTables = nullptr;
}

void ShowPreferences(TMainForm* mainForm) {
    TPreferencesForm form(!Globals().DatabaseOpen, mainForm, mainForm);
    form.FormShow();
    if (ui::ExecModal(form) != QDialog::Accepted) return;
    if (form.DateFormatChanged() && g_viewTables)
        core::ViewWindows(ViewControl(), *g_viewTables, mainForm, mainForm ? mainForm->DataModule() : nullptr)
            .RefreshOpenViewFields();
}

void InstallPreferences(TMainForm* mainForm, core::ViewTables* tables) {
    g_viewTables = tables;
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_Preferences"), [form] { ShowPreferences(form); });
    core::RegisterCommand(QStringLiteral("A_ViewToolbarCustomize"), [form] {
        ShowPreferences(form);
        if (form) form->ApplyPreferences(false);
    });
}
