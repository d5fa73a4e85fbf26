#include "core/gui/rebuild_forms.h"

#include "core/gui/action_icons.h"
#include "core/gui/form_helpers.h"
#include "core/gui/qs_make.h"
#include "core/main_data_mod.h"
#include "core/report_dictionary.h"
#include "core/search_data.h"
#include "core/system_helpers.h"
#include "core/view_control.h"

#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

TRebuildReportForm::TRebuildReportForm(TSearchData& search, QWidget* owner) : QDialog(owner), m_search(search) {
    setObjectName(QStringLiteral("RebuildReportForm"));
    setWindowTitle(QStringLiteral("Rebuild Report Dictionary"));
    setProperty("HelpContext", 191000);
    InfoMemo = ui::Make<QPlainTextEdit>(this, "InfoMemo");
    InfoMemo->setReadOnly(true);
    InfoMemo->setPlainText(QStringLiteral("This option will rebuild the report dictionary for your data. The report "
                                          "dictionary is used while creating reports. This rebuild can take some time "
                                          "to complete. You only need to do this if you have added, changed or deleted "
                                          "fields in one of your views. If you want to build the report dictionary now, "
                                          "click the Build button below."));
    auto* toolbar = ui::Make<QToolBar>(this, "ToolBar");
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto action = [&](const char* name, const QString& caption, const QString& hint, const QKeySequence& key,
                      const char* icon) { return core::MakeToolAction(this, toolbar, name, caption, hint, key, icon); };
    A_Build = action("A_Build", QStringLiteral("&Build"), QStringLiteral("Build indexes"),
                     QKeySequence(Qt::CTRL | Qt::Key_B), "system-run");
    A_Close = action("A_Close", QStringLiteral("&Close"), QStringLiteral("Cancel the index build"), {}, "window-close");
    A_Help = action("A_Help", QStringLiteral("&Help"), QStringLiteral("Help"), QKeySequence(Qt::Key_F1), "help-browser");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(InfoMemo);
    layout->addWidget(toolbar);
    resize(420, 200);
    connect(A_Build, &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [&] {
            if (m_search.Views) core::RebuildReportDictionary(m_search.Data(), *m_search.Views, true);
        });
    });
    connect(A_Close, &QAction::triggered, this, [this] { reject(); });
    connect(A_Help, &QAction::triggered, this, [] { ui::HelpService::ShowContext(191000); });
}

TRebuildForm::TRebuildForm(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("RebuildForm"));
    setWindowTitle(QStringLiteral("Rebuild"));
    setWindowModality(Qt::NonModal);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    DictMark = ui::Make<QLabel>(this, "DictMark");
    IndexMark = ui::Make<QLabel>(this, "IndexMark");
    DictLabel = ui::Make<QLabel>(this, "DictLabel", QStringLiteral("Report dictionary rebuild"));
    IndexLabel = ui::Make<QLabel>(this, "IndexLabel", QStringLiteral("Search index rebuild"));
    SupportLabel = ui::Make<QLabel>(this, "SupportLabel", QStringLiteral("Rebuilding support files..."));
    Animation = ui::Make<QLabel>(this, "Animation");
    Animation->setPixmap(core::ThemeIcon(QStringLiteral("system-search")).pixmap(32, 32));
    auto* busy = ui::Make<QProgressBar>(this, "BusyBar");
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    busy->setFixedWidth(120);
    StatusLabel = ui::Make<QLabel>(this, "StatusLabel");
    CloseBtn = ui::Make<QPushButton>(this, "CloseBtn", QStringLiteral("&Close"));
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("Help"));
    for (QWidget* w : {static_cast<QWidget*>(DictMark), static_cast<QWidget*>(IndexMark), static_cast<QWidget*>(StatusLabel),
                       static_cast<QWidget*>(CloseBtn), static_cast<QWidget*>(HelpBtn)})
        w->hide();
    for (QLabel* mark : {DictMark, IndexMark}) mark->setFixedWidth(18);

    auto* grid = new QGridLayout;
    grid->addWidget(DictMark, 0, 0);
    grid->addWidget(DictLabel, 0, 1);
    grid->addWidget(IndexMark, 1, 0);
    grid->addWidget(IndexLabel, 1, 1);
    grid->addWidget(SupportLabel, 2, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(Animation);
    top->addLayout(grid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(busy);
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    buttons->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(StatusLabel);
    layout->addLayout(buttons);
    setFixedSize(380, 160);
    connect(CloseBtn, &QPushButton::clicked, this, [this] { m_closed = true; });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(191000); });
}

void TRebuildForm::ShowStepRunning(int step) {
    QLabel* label = step == 0 ? DictLabel : IndexLabel;
    label->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    QApplication::processEvents();
}

void TRebuildForm::ShowStepDone(int step, bool success) {
    QLabel* label = step == 0 ? DictLabel : IndexLabel;
    QLabel* mark = step == 0 ? DictMark : IndexMark;
    // A tick or a cross (the marks of the Wingdings characters 252 and 251).
    mark->setText(success ? QStringLiteral("\u2714") : QStringLiteral("\u2718"));
    mark->setStyleSheet(success ? QStringLiteral("color: green; font-weight: bold;") : QStringLiteral("color: red; font-weight: bold;"));
    mark->show();
    label->setStyleSheet(QStringLiteral("color: black;"));
}

void TRebuildForm::WaitForClose(bool success) {
    Animation->hide();
    if (auto* busy = findChild<QProgressBar*>(QStringLiteral("BusyBar"))) busy->hide();
    CloseBtn->show();
    HelpBtn->show();
    if (success) {
        StatusLabel->setText(QStringLiteral("Rebuild successful"));
        StatusLabel->setStyleSheet(QStringLiteral("color: black;"));
    } else {
        StatusLabel->setText(QStringLiteral("Errors were reported - click Help for information"));
        StatusLabel->setStyleSheet(QStringLiteral("color: red;"));
    }
    StatusLabel->show();
    CloseBtn->setDefault(true);
    CloseBtn->setFocus();
    while (!m_closed && isVisible()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

namespace core {

void ShowReportRebuild(TSearchData& search, QWidget* owner) {
    TRebuildReportForm form(search, owner);
    ui::ExecModal(form);
}

bool RebuildDatabase(TSearchData& search, QWidget* owner) {
    auto* form = new TRebuildForm(owner);
    struct Finish {
        TRebuildForm* form;
        ~Finish() {
            core::EnableFloatingForms({}, true);
            form->close();
            delete form;
        }
    } finish{form};
    form->show();
    core::CenterOnScreen(form);
    core::EnableFloatingForms({form}, false);

    form->ShowStepRunning(0);
    const bool dictionary = search.Views && RebuildReportDictionary(search.Data(), *search.Views, false);
    form->ShowStepDone(0, dictionary);

    form->ShowStepRunning(1);
    core::DelayWithMessages(1000);
    const bool indexes = RunIndexBuild(search, owner, true);
    form->ShowStepDone(1, indexes);

    form->WaitForClose(dictionary && indexes);
    return dictionary && indexes;
}

}  // namespace core
