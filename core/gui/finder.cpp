#include "core/gui/finder.h"

#include "core/globals.h"
#include "core/gui/explorer.h"
#include "core/library_helpers.h"
#include "core/search_data.h"
#include "core/settings_store.h"
#include "core/view_control.h"

#include "fulltext/search/ts_search.h"

#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPointer<TFinder> g_finder;

}  // namespace

TFinder::TFinder(TSearchData& search, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint), m_search(search) {
    setObjectName(QStringLiteral("Finder"));
    setWindowTitle(QStringLiteral("Find Text"));
    setModal(false);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    setFont(f);

    FindWhatLabel = ui::Make<QLabel>(this, "FindWhatLabel", QStringLiteral("Find what"));
    FindWhat = ui::Make<QLineEdit>(this, "FindWhat");
    FindWhat->setProperty("HelpContext", 32006);
    FindWhatLabel->setBuddy(FindWhat);
    ReplaceWithLabel = ui::Make<QLabel>(this, "ReplaceWithLabel", QStringLiteral("Replace with"));
    ReplaceWith = ui::Make<QLineEdit>(this, "ReplaceWith");
    ReplaceWith->setProperty("HelpContext", 32007);
    auto* direction = ui::Make<QGroupBox>(this, "FindDirection", QStringLiteral("Direction"));
    direction->setProperty("HelpContext", 32008);
    Forward = ui::Make<QRadioButton>(direction, "Forward", QStringLiteral("Forward"));
    Backward = ui::Make<QRadioButton>(direction, "Backward", QStringLiteral("Backward"));
    Forward->setChecked(true);
    auto* directionLayout = new QVBoxLayout(direction);
    directionLayout->addWidget(Forward);
    directionLayout->addWidget(Backward);
    SearchViews = ui::Make<QCheckBox>(this, "SearchViews", QStringLiteral("Search in Views"));
    SearchViews->setChecked(true);
    SearchViews->setProperty("HelpContext", 32009);
    WrapNext = ui::Make<QCheckBox>(this, "WrapNext", QStringLiteral("Wrap on Find Next/Prior"));
    WrapNext->setProperty("HelpContext", 32011);

    auto button = [&](const char* name, const QString& caption, const QString& hint, int help) {
        auto* b = ui::Make<QPushButton>(this, name, caption);
        b->setToolTip(hint);
        b->setProperty("HelpContext", help);
        b->setAutoDefault(false);
        return b;
    };
    FindBtn = button("FindBtn", QStringLiteral("&Find First"), QStringLiteral("Find first match"), 32001);
    FindNextBtn = button("FindNextBtn", QStringLiteral("Find &Next"), QStringLiteral("Find next match"), 32002);
    ReplaceBtn = button("ReplaceBtn", QStringLiteral("&Replace"), QStringLiteral("Replace this occurrence"), 32003);
    ReplaceAllBtn = button("ReplaceAllBtn", QStringLiteral("Replace &All"), QStringLiteral("Replace all occurrences"), 32004);
    HelpBtn = button("HelpBtn", QStringLiteral("&Help"), QStringLiteral("Help"), 32000);
    CloseBtn = button("CloseBtn", QStringLiteral("&Close"), QStringLiteral("Close Find dialog"), 32005);
    FindBtn->setDefault(true);
    FindNextBtn->setEnabled(false);

    StatusBar = ui::Make<QStatusBar>(this, "StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setProperty("HelpContext", 32010);
    StatusPanel0 = ui::Make<QLabel>(StatusBar, "StatusPanel0");
    StatusPanel0->setFixedWidth(200);
    StatusPanel1 = ui::Make<QLabel>(StatusBar, "StatusPanel1");
    StatusPanel1->setFixedWidth(120);
    StatusBar->addWidget(StatusPanel0);
    StatusBar->addWidget(StatusPanel1, 1);

    auto* fields = new QGridLayout;
    fields->addWidget(FindWhatLabel, 0, 0);
    fields->addWidget(FindWhat, 0, 1);
    fields->addWidget(ReplaceWithLabel, 1, 0);
    fields->addWidget(ReplaceWith, 1, 1);
    auto* checks = new QVBoxLayout;
    checks->addWidget(SearchViews);
    checks->addWidget(WrapNext);
    checks->addStretch();
    auto* options = new QHBoxLayout;
    options->addWidget(direction);
    options->addLayout(checks, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {FindBtn, FindNextBtn, ReplaceBtn, ReplaceAllBtn, HelpBtn, CloseBtn}) buttons->addWidget(b);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(StatusBar);

    connect(FindBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { FindFirst(); }); });
    connect(FindNextBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { FindNext(); }); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(32000); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { close(); });
    connect(Forward, &QRadioButton::toggled, this, [this] {
        FindNextBtn->setText(backward() ? QStringLiteral("Find &Prior") : QStringLiteral("Find &Next"));
        updateFindNext(true);
    });
    connect(FindWhat, &QLineEdit::textEdited, this, [this] {
        if (FindNextBtn->isEnabled()) updateFindNext(false);
    });
    g_finder = this;
}

TFinder::~TFinder() = default;

bool TFinder::backward() const { return Backward->isChecked(); }

QString TFinder::StatusText(int panel) const { return panel == 0 ? StatusPanel0->text() : StatusPanel1->text(); }

void TFinder::Prepare(bool showReplace) {
    for (QWidget* w : {static_cast<QWidget*>(ReplaceWith), static_cast<QWidget*>(ReplaceWithLabel),
                       static_cast<QWidget*>(ReplaceBtn), static_cast<QWidget*>(ReplaceAllBtn)})
        w->setVisible(showReplace);
    FindBtn->setEnabled(true);
    FindNextBtn->setEnabled(false);
    FindBtn->setDefault(true);
    m_matchCount = 0;
    StatusPanel0->clear();
    StatusPanel1->clear();
    setWindowTitle(showReplace ? QStringLiteral("Find & Replace") : QStringLiteral("Find"));
}

void TFinder::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FindWhat->setFocus();
}

void TFinder::closeEvent(QCloseEvent* event) {
    m_results.clear();
    QDialog::closeEvent(event);
}

void TFinder::FindFirst() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Finish {
        TFinder* self;
        ~Finish() {
            self->FindBtn->setEnabled(true);
            QApplication::restoreOverrideCursor();
        }
    } finish{this};
    FindBtn->setEnabled(false);
    StatusPanel0->clear();
    StatusPanel1->clear();
    StatusPanel0->setStyleSheet(QString());
    FindNextBtn->setEnabled(false);
    FindBtn->setDefault(true);
    if (!m_search.Views) return;

    TtsSearch* master = m_search.tsSearchMaster;
    const auto pref = [](const char* variable, const char* def) {
        const QString s = core::ReadRegString(QStringLiteral("Preferences"), QStringLiteral("QuickSearch"),
                                              QStringLiteral("SearchOption"), QLatin1String(variable), QLatin1String(def));
        return s.isEmpty() ? QChar(u' ') : s[0];
    };
    master->SetAnyChar(pref("DefaultAnyChar", "*"));
    master->SetOneChar(pref("DefaultOneChar", "?"));
    master->SetRankMode(rmNone);
    master->SetRankLimit(0);
    master->SetTimeLimit(0);
    master->SetSearchFor(FindWhat->text());
    master->SetSearchLogic(slAnd);
    master->SetSearchMode(smSearch);
    m_search.SearchViewFlags.assign(size_t(m_search.Views->GetViewCount()), SearchViews->isChecked());
    QStringList tokens;
    core::GetLogicTokens(tokens);
    master->SetTokens(tokens);
    if (!core::ExecuteSearch(m_search, [this](int selStart) {
            FindWhat->setFocus();
            FindWhat->setSelection(std::min(selStart, int(FindWhat->text().size())), 1);
        }))
        return;
    const int limit = UserPrefs().MatchLimit;
    core::CollectFirstSearchResults(m_search, *m_search.Views, m_results, limit);
    m_matchCount = int(m_results.size());
    if (m_results.empty()) {
        StatusPanel0->setStyleSheet(QStringLiteral("color: red;"));
        StatusPanel0->setText(QStringLiteral(" No matches found"));
        StatusPanel1->clear();
        return;
    }
    core::SortResults(m_results, 0, m_matchCount - 1, core::rsBranchTitle);
    m_position = backward() ? m_matchCount - 1 : 0;
    showMatch();
    if (m_matchCount > 1) updateFindNext(true);
}

void TFinder::showMatch() {
    StatusPanel0->setText(QStringLiteral(" Match ") + QString::number(m_position + 1) + QStringLiteral(" of ") +
                          QString::number(m_matchCount) +
                          (m_matchCount == UserPrefs().MatchLimit ? QStringLiteral("+") : QString()));
    StatusPanel1->clear();
    if (m_position < 0 || m_position >= int(m_results.size())) return;
    TExplorer* explorer = core::Explorer();
    if (QTreeWidgetItem* node = explorer ? explorer->FindNodeByID(m_results[size_t(m_position)].NodeID) : nullptr) {
        explorer->TreeView->setCurrentItem(node);
        explorer->TreeView->scrollToItem(node);
    }
}

void TFinder::FindNext() {
    const int last = int(m_results.size()) - 1;
    if (!backward()) {
        if (++m_position > last) {
            if (WrapNext->isChecked()) {
                m_position = 0;
            } else {
                m_position = last;
                return;
            }
        }
    } else if (--m_position < 0) {
        if (WrapNext->isChecked()) {
            m_position = last;
        } else {
            m_position = 0;
            return;
        }
    }
    showMatch();
    updateFindNext(true);
    StatusPanel1->setText(FindNextBtn->isEnabled() ? QString() : QStringLiteral(" No more matches"));
}

void TFinder::updateFindNext(bool allowed) {
    bool possible;
    if (WrapNext->isChecked()) possible = !m_results.empty();
    else if (!backward()) possible = m_position + 1 < int(m_results.size());
    else possible = m_position > 0;
    const bool enable = allowed && possible;
    FindNextBtn->setEnabled(enable);
    FindNextBtn->setDefault(enable);
    FindBtn->setDefault(!enable);
}

namespace core {

TFinder* ShowFindDialog(TSearchData& search, QWidget* owner, bool showReplace) {
    TFinder* finder = g_finder.data();
    if (!finder) finder = new TFinder(search, owner);
    finder->Prepare(showReplace);
    finder->show();
    finder->raise();
    finder->activateWindow();
    return finder;
}

}  // namespace core
