#include "report/script/gui/code_manager.h"

#include "report/script/code_module.h"
#include "report/script/gui/code_explorer.h"
#include "report/script/gui/code_toolbox.h"
#include "report/script/gui/script_gui_texts.h"
#include "report/script/program.h"
#include "report/designer/gui/designer_window.h"
#include "report/model/custom_report.h"
#include "report/model/report.h"
#include "report/model/subreport.h"
#include "report/model/report_template.h"
#include "report/model/template.h"
#include "report/page/resource_manager.h"

#include "platform/base/exception.h"
#include "platform/settings/ini_file.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("CodeManager");

/// The text with "..." appended when it lacks it.
QString withDots(const QString& aText) {
    return aText.endsWith(QLatin1String("...")) ? aText : aText + QStringLiteral("...");
}

/// The length of a line in the editor with its line break (0 for none).
int lineLength(const QString& aSource, int aLine) {
    const QStringList lines = script::gui::ToEditorText(aSource).split(QLatin1Char('\n'));
    if (aLine >= lines.size()) return 0;
    return int(lines[aLine].size()) + (aLine + 1 < lines.size() ? 1 : 0);
}

}  // namespace

// TraProgramPopupMenu -----------------------------------------------------------------------------

TraProgramPopupMenu::TraProgramPopupMenu(TraCodeManager* aManager, TraCodeEditor* aEditor, QWidget* aParent)
    : TraCodeEditorPopupMenu(aEditor, aParent), m_manager(aManager) {
    setObjectName(QStringLiteral("TraProgramPopupMenu"));
    // New Function and New Procedure add a program beside those listed (the editor may hold
    // one already): the workspace creates it and the editor shows it.
    for (auto [name, kind] : {std::pair<const char*, int>{"mniNewFunction", 2}, {"mniNewProcedure", 1}}) {
        QAction* item = Item(name);
        disconnect(item, &QAction::triggered, nullptr, nullptr);
        connect(item, &QAction::triggered, this, [this, kind = kind] {
            ui::RunGuarded(this, [&] {
                m_manager->ApplyEditor();
                m_editor->SlotKind = kind;
                m_manager->CreateProgram(kind);
                QTextDocument* doc = m_editor->Edit()->document();
                if (m_editor->Program() && doc->blockCount() > 3) {
                    QTextCursor c(doc->findBlockByNumber(2));
                    c.movePosition(QTextCursor::EndOfBlock);
                    m_editor->Edit()->setTextCursor(c);
                }
            });
        });
    }
}

void TraProgramPopupMenu::UpdateItems() {
    TraCodeExplorer* explorer = m_manager->Explorer();
    const int kind = explorer->SelectedKind();
    const bool ro = m_editor->ReadOnly();
    const bool program = explorer->SelectedProgram() != nullptr;
    const bool item = explorer->SelectedItem() != nullptr;
    QAction* newItem = Item("mniNew");
    newItem->setVisible(kind != 1 && kind != 2);
    newItem->setEnabled(!ro && item && !program && kind != 2);
    NewKind = kind;
    const bool globals = (explorer->Options() & roEditGlobalsBit) != 0;
    Item("mniNewFunction")->setVisible(kind == 1);
    Item("mniNewProcedure")->setVisible(kind == 1);
    Item("mniNewFunction")->setEnabled(globals);
    Item("mniNewProcedure")->setEnabled(globals);
    Item("mniCompile")->setEnabled(program);
    Item("mniDelete")->setEnabled(program && !ro);
    Item("mniSave")->setEnabled(program && !ro && m_editor->Modified());
    Item("mniRevert")->setEnabled(program && !ro && m_editor->Modified());
}

// TraCodeManagerMenu ------------------------------------------------------------------------------

TraCodeManagerMenu::TraCodeManagerMenu(TraCodeManager* aManager) : QObject(aManager), m_manager(aManager) {
    setObjectName(QStringLiteral("TraCodeManagerMenu"));
    QMenu* file = addMenu("mniCodeFile", 131);
    addItem(file, "mniCodeFileSave", 138, QKeySequence(Qt::CTRL | Qt::Key_S));
    addItem(file, "mniCodeFileSaveAs", 139);
    addItem(file, "mniCodeFileClose", 132);
    file->addSeparator();
    addItem(file, "mniCodeFileImport", 903);
    addItem(file, "mniCodeFileExport", 902);
    QMenu* edit = addMenu("mniCodeEdit", 120);
    addItem(edit, "mniCodeEditUndo", 130, QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit->addSeparator();
    addItem(edit, "mniCodeEditCut", 123, QKeySequence(Qt::CTRL | Qt::Key_X));
    addItem(edit, "mniCodeEditCopy", 122, QKeySequence(Qt::CTRL | Qt::Key_C));
    addItem(edit, "mniCodeEditPaste", 125, QKeySequence(Qt::CTRL | Qt::Key_V));
    addItem(edit, "mniCodeEditDelete", 124, QKeySequence(Qt::CTRL | Qt::Key_D));
    addItem(edit, "mniCodeEditSelectAll", 127, QKeySequence(Qt::CTRL | Qt::Key_A));
    QMenu* view = addMenu("mniCodeView", 155);
    addItem(view, "mniCodeViewVariables", 907)->setCheckable(true);
    addItem(view, "mniCodeViewEvents", 901)->setCheckable(true);
    addItem(view, "mniCodeViewModule", 905)->setCheckable(true);
    view->addSeparator()->setObjectName(QStringLiteral("mniCodeViewLine1"));
    addItem(view, "mniCodeViewToolbox", 906)->setCheckable(true);
    addItem(view, "mniCodeViewMessages", 904)->setCheckable(true);
    QMenu* help = addMenu("mniCodeHelp", 142);
    addItem(help, "mniCodeHelpTopics", 144);
    help->addSeparator();
    addItem(help, "mniCodeHelpAbout", 143);

    TraCodeManager* m = m_manager;
    const auto bind = [this](const char* name, std::function<void()> f) {
        connect(Item(QString::fromLatin1(name)), &QAction::triggered, this,
                [this, f = std::move(f)] { ui::RunGuarded(this, [&] { f(); }); });
    };
    bind("mniCodeFileSave", [m] {
        m->ApplyEditor();
        if (m->DesignerWindow() && m->DesignedReport()) m->DesignerWindow()->SaveReport(m->DesignedReport());
    });
    bind("mniCodeFileSaveAs", [m] {
        m->ApplyEditor();
        if (m->DesignerWindow() && m->DesignedReport()) m->DesignerWindow()->SaveReportAs(m->DesignedReport());
    });
    bind("mniCodeFileClose", [m] {
        if (m->Designer()) m->Designer()->close();
    });
    bind("mniCodeFileImport", [m] { m->ImportCode(); });
    bind("mniCodeFileExport", [m] { m->ExportCode(); });
    const auto editing = [m](void (TraCodeEditor::*op)()) {
        return [m, op] {
            if (m->Editor() && m->Editor()->Focused()) (m->Editor()->*op)();
        };
    };
    bind("mniCodeEditUndo", editing(&TraCodeEditor::Undo));
    bind("mniCodeEditCut", editing(&TraCodeEditor::Cut));
    bind("mniCodeEditCopy", editing(&TraCodeEditor::Copy));
    bind("mniCodeEditPaste", editing(&TraCodeEditor::Paste));
    bind("mniCodeEditDelete", editing(&TraCodeEditor::Delete));
    bind("mniCodeEditSelectAll", editing(&TraCodeEditor::SelectAll));
    const auto view_ = [m](int v) {
        return [m, v] {
            if (m->Explorer() && m->Explorer()->View() != v) {
                m->ApplyEditor();
                m->Explorer()->SetView(v);
            }
        };
    };
    bind("mniCodeViewVariables", view_(0));
    bind("mniCodeViewEvents", view_(1));
    bind("mniCodeViewModule", view_(2));
    bind("mniCodeViewToolbox", [m] { m->ShowToolbox(!m->ToolboxPanel()->isVisible()); });
    bind("mniCodeViewMessages", [m] { m->Editor()->ShowMessages(!m->Editor()->MessagesShown()); });
    bind("mniCodeHelpTopics", [] { script::gui::ShowLibraryHelp(QStringLiteral("Marlisk.HLP"), QString()); });
    bind("mniCodeHelpAbout", [m] {
        std::unique_ptr<TppCustomAboutDialog> form(report::CreateForm<TppCustomAboutDialog>(nullptr));
        if (!form) return;
        report::ppSetFormReport(form.get(), m->DesignedReport());
        form->ShowModal();
    });
    for (QMenu* menu : m_menus)
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
    LanguageChanged();
}

QMenu* TraCodeManagerMenu::addMenu(const char* aName, int aText) {
    auto* menu = new QMenu(m_manager->Page());
    menu->setObjectName(QString::fromLatin1(aName));
    menu->menuAction()->setObjectName(QString::fromLatin1(aName));
    menu->menuAction()->setData(aText);
    m_menus << menu;
    return menu;
}

QAction* TraCodeManagerMenu::addItem(QMenu* aMenu, const char* aName, int aText, const QKeySequence& aShortcut) {
    QAction* a = aMenu->addAction(QString());
    a->setObjectName(QString::fromLatin1(aName));
    a->setData(aText);
    if (!aShortcut.isEmpty()) a->setShortcut(aShortcut);
    return a;
}

QAction* TraCodeManagerMenu::Item(const QString& aName) const {
    for (QMenu* m : m_menus) {
        if (m->objectName() == aName) return m->menuAction();
        for (QAction* a : m->actions())
            if (a->objectName() == aName) return a;
    }
    return nullptr;
}

void TraCodeManagerMenu::LanguageChanged() {
    for (QMenu* m : m_menus) {
        m->setTitle(report::MessageText(m->menuAction()->data().toInt()));
        for (QAction* a : m->actions()) {
            if (a->isSeparator()) continue;
            QString text = report::MessageText(a->data().toInt());
            if (a->objectName() == QLatin1String("mniCodeFileSaveAs") || a->objectName() == QLatin1String("mniCodeFileImport") ||
                a->objectName() == QLatin1String("mniCodeFileExport"))
                text = withDots(text);
            a->setText(text);
        }
    }
}

void TraCodeManagerMenu::UpdateMenu(QMenu* aMenu) {
    TraCodeEditor* editor = m_manager->Editor();
    if (!editor) return;
    if (aMenu->objectName() == QLatin1String("mniCodeEdit")) {
        const bool focused = editor->Focused();
        Item(QStringLiteral("mniCodeEditUndo"))->setEnabled(focused && editor->CanUndo());
        Item(QStringLiteral("mniCodeEditPaste"))->setEnabled(focused && editor->CanPaste());
        for (const char* name : {"mniCodeEditCut", "mniCodeEditCopy", "mniCodeEditDelete", "mniCodeEditSelectAll"})
            Item(QString::fromLatin1(name))->setEnabled(focused);
    } else if (aMenu->objectName() == QLatin1String("mniCodeView")) {
        const int options = m_manager->Explorer()->Options();
        const bool events = options & roViewEventsBit, globals = options & roViewGlobalsBit;
        Item(QStringLiteral("mniCodeViewEvents"))->setVisible(events);
        Item(QStringLiteral("mniCodeViewModule"))->setVisible(globals);
        Item(QStringLiteral("mniCodeViewVariables"))->setVisible(events || globals);
        if (QAction* line = aMenu->findChild<QAction*>(QStringLiteral("mniCodeViewLine1"))) line->setVisible(events || globals);
        const int view = m_manager->Explorer()->View();
        Item(QStringLiteral("mniCodeViewVariables"))->setChecked(view == 0);
        Item(QStringLiteral("mniCodeViewEvents"))->setChecked(view == 1);
        Item(QStringLiteral("mniCodeViewModule"))->setChecked(view == 2);
        Item(QStringLiteral("mniCodeViewToolbox"))->setChecked(m_manager->ToolboxPanel()->isVisibleTo(m_manager->Page()));
        Item(QStringLiteral("mniCodeViewMessages"))->setChecked(editor->MessagesShown());
    }
}

// TraCodeManager ------------------------------------------------------------------------------------

const TppDesignModuleClass* TraCodeManager::ModuleClass() {
    static const TppDesignModuleClass cls{
        QStringLiteral("TraCodeManager"),
        [](QWidget* aPage, TppComponentDesigner* aDesigner) -> TppDesignModule* {
            return new TraCodeManager(aPage, aDesigner);
        }};
    return &cls;
}

TraCodeManager::TraCodeManager(QWidget* aPage, TppComponentDesigner* aDesigner) : TppDesignModule(aPage, aDesigner) {
    script::gui::DeclareScriptGuiTexts();
    setObjectName(QStringLiteral("TraCodeManager"));
    if (aPage) aPage->setProperty("TraCodeManager", QVariant::fromValue<QObject*>(this));
    SetCaption(report::MessageText(913));
    SetPageIndex(2);
    if (TppDesignerWindow* w = DesignerWindow())
        connect(w, &TppDesignerWindow::OrvelOptionsChanged, this, [this] { ui::RunGuarded(this, [&] { OptionsChanged(); }); });
    if (const report::FormClass* calc = report::ppGetFormClass(QString::fromLatin1(TppCustomCalcDialog::kClassName)))
        m_savedCalcDialog = *calc;
}

TraCodeManager* TraCodeManager::OfPage(QWidget* aPage) {
    return aPage ? qobject_cast<TraCodeManager*>(aPage->property("TraCodeManager").value<QObject*>()) : nullptr;
}

TraCodeManager::~TraCodeManager() {
    if (m_menuInstalled) installMenu(false);
    if (m_built) installStatusBar(false);
}

TppDesignerWindow* TraCodeManager::DesignerWindow() const { return qobject_cast<TppDesignerWindow*>(Designer()); }

void TraCodeManager::SetReport(TppCustomReport* aReport) {
    TppDesignModule::SetReport(aReport);
    m_designedReport = aReport;
    SetCodeReport(aReport);
    LanguageChanged(aReport ? aReport->Language() : TppLanguageType::lgDefault);
}

void TraCodeManager::LanguageChanged(TppLanguageType aLanguage) {
    TppDesignModule::LanguageChanged(aLanguage);
    if (!m_built) return;
    SetCaption(report::MessageText(913));
    m_menu->LanguageChanged();
    m_toolbox->LanguageChanged();
    m_explorer->LanguageChanged();
    m_popup->LanguageChanged();
}

TraCodeModule* TraCodeManager::ensureModule(TppCustomReport* aReport) {
    TraCodeModule* module = GetCodeModule(aReport);
    if (!module) module = TppReportModule::CreateForReport<TraCodeModule>(aReport);
    module->CompileOnLoad = CompileOnLoad;
    return module;
}

void TraCodeManager::forgetModule() {
    m_codeModule = nullptr;
    m_currentItem = nullptr;
}

void TraCodeManager::SetCodeReport(TppCustomReport* aReport) {
    if (!m_built) {
        m_codeReport = aReport;
        if (TraCodeModule* m = GetCodeModule(aReport)) m->CompileOnLoad = CompileOnLoad;
        return;
    }
    ApplyEditor();
    m_codeReport = aReport;
    m_currentItem = nullptr;
    if (aReport && aReport->BandCount() == 0) aReport->CreateDefaultBands();
    m_codeModule = aReport ? ensureModule(aReport) : nullptr;
    disconnect(m_moduleWatch);
    if (m_codeModule)
        m_moduleWatch = connect(m_codeModule, &QObject::destroyed, this, [this] {
            m_codeReport = nullptr;
            m_explorer->ClearStates();
            forgetModule();
        });
    m_listChangeHandling = false;
    m_editor->SetProgram(nullptr);
    m_explorer->SetReport(aReport);
    m_toolbox->SetReport(aReport);
    m_listChangeHandling = true;
    ShowSelection();
}

void TraCodeManager::buildPage() {
    QWidget* page = Page();
    m_pageSplitter = new QSplitter(Qt::Vertical, page);
    m_pageSplitter->setObjectName(QStringLiteral("splEditor"));
    m_pageSplitter->setChildrenCollapsible(false);
    m_explorerPanel = new QWidget(m_pageSplitter);
    m_explorerPanel->setObjectName(QStringLiteral("pnlExplorer"));
    m_explorer = new TraCodeExplorer(m_explorerPanel);
    m_explorer->setObjectName(QStringLiteral("TraCodeExplorer"));
    auto* el = new QVBoxLayout(m_explorerPanel);
    el->setContentsMargins(0, 0, 0, 0);
    el->addWidget(m_explorer);
    m_editorSplitter = new QSplitter(Qt::Horizontal, m_pageSplitter);
    m_editorSplitter->setObjectName(QStringLiteral("splToolboxPanel"));
    m_editor = new TraCodeEditor(m_editorSplitter);
    m_editor->setObjectName(QStringLiteral("TraCodeEditor"));
    m_toolboxPanel = new QWidget(m_editorSplitter);
    m_toolboxPanel->setObjectName(QStringLiteral("pnlToolbox"));
    m_toolbox = new TraToolBox(m_toolboxPanel);
    auto* tl = new QVBoxLayout(m_toolboxPanel);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->addWidget(m_toolbox);
    m_editorSplitter->setStretchFactor(0, 1);
    m_editorSplitter->setSizes({std::max(100, page->width() - 250), 250});
    m_reportTabs = new QTabBar(page);
    m_reportTabs->setObjectName(QStringLiteral("tbsReports"));
    m_reportTabs->setShape(QTabBar::RoundedSouth);
    QFont small(QStringLiteral("Small Fonts"), 7);
    m_reportTabs->setFont(small);
    m_reportTabs->setFixedHeight(18);
    m_reportTabs->setContentsMargins(13, 0, 0, 0);
    m_reportTabs->hide();
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pageSplitter, 1);
    layout->addWidget(m_reportTabs);
    m_pageSplitter->setSizes({std::max(100, page->height() / 2), std::max(100, page->height() / 2)});

    m_menu = new TraCodeManagerMenu(this);
    m_popup = new TraProgramPopupMenu(this, m_editor, page);
    m_editor->Edit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor->Edit(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { m_popup->popup(m_editor->Edit()->mapToGlobal(p)); });
    m_explorer->List()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_explorer->List(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { m_popup->popup(m_explorer->List()->viewport()->mapToGlobal(p)); });

    m_editor->OnCreateProgram = [this] { CreateProgram(m_editor->SlotKind); };
    m_editor->OnDeleteProgram = [this](TraProgram* p) { DeleteProgram(p); };
    m_editor->OnTextChanged = [this] { editorTextChanged(); };
    m_editor->OnAfterApply = [this] { markModified(); };
    m_editor->OnAfterCompile = [this] { m_explorer->RefreshStates(); };
    m_editor->OnCaretMoved = [this] { showCaret(); };
    m_editor->OnGotoProgram = [this](TraProgram* p) { gotoProgram(p); };
    m_editor->OnDragDrop = [this](int x, int y, const QString& text) { return DropCode(x, y, text); };
    m_explorer->OnListChange = [this] {
        if (!m_listChangeHandling) return;
        if (m_explorer->SelectedItem() == m_currentItem && m_editor->Program() == m_explorer->SelectedProgram()) return;
        setStatusText(QString());
        ApplyEditor();
        ShowSelection();
    };
    m_explorer->OnBeforeRebuild = [this] {
        if (m_editor) ApplyEditor();
        m_listChangeHandling = false;
    };
    m_explorer->OnAfterRebuild = [this] {
        m_listChangeHandling = true;
        m_currentItem = nullptr;
        ShowSelection();
    };
    connect(m_reportTabs, &QTabBar::currentChanged, this, [this](int i) { reportTabChanged(i); });
    // The page is visible already: what is added to it shows at once.
    m_pageSplitter->show();
    m_built = true;
    OptionsChanged();
}

void TraCodeManager::OptionsChanged() {
    TppDesignerWindow* w = DesignerWindow();
    if (!w) return;
    const TppOrvelInterfaceOptions iface = w->OrvelInterface();
    const QString calc = QString::fromLatin1(TppCustomCalcDialog::kClassName);
    if (iface.Contains(TppOrvelInterfaceOption::riDialog)) {
        if (m_savedCalcDialog) report::ppRegisterForm(calc, *m_savedCalcDialog);
    } else {
        report::ppUnRegisterForm(calc);
    }
    if (QTabWidget* pages = w->Pages()) {
        const int index = pages->indexOf(Page());
        if (index >= 0) pages->setTabVisible(index, iface.Contains(TppOrvelInterfaceOption::riNotebookTab));
    }
    if (!m_built) return;
    m_explorer->SetOptions(int(w->OrvelOptions().Bits()));
    m_editor->SetReadOnly(m_explorer->IsReadOnly());
}

void TraCodeManager::AllowActiveChange(bool& aAllow) {
    aAllow = true;
    // Called before the active flag flips: not active yet means the page is being entered.
    if (!Active()) activate();
    else deactivate();
}

void TraCodeManager::activate() {
    bool justBuilt = false;
    if (!m_built) {
        buildPage();
        justBuilt = true;
        m_explorer->SuspendRebuild = true;
        LoadSettings();
    }
    installStatusBar(true);
    installMenu(true);
    FillReportTabs();
    TppCustomReport* current = DesignerWindow() ? DesignerWindow()->GetReport() : m_designedReport.data();
    if (m_codeReport && current == m_explorer->Report()) m_restoreView = true;
    if (justBuilt) m_explorer->SuspendRebuild = false;
    // The tab of the designer's current report.
    int tab = 0;
    for (int i = 0; i < m_reportTabs->count(); ++i)
        if (m_reportTabs->tabData(i).value<QObject*>() == current) tab = i;
    {
        const QSignalBlocker block(m_reportTabs);
        m_reportTabs->setCurrentIndex(tab);
    }
    auto* target = qobject_cast<TppCustomReport*>(m_reportTabs->tabData(tab).value<QObject*>());
    if (!target) target = m_designedReport;
    if (m_restoreView && target == m_codeReport && m_codeModule) {
        m_listChangeHandling = false;
        m_explorer->Rebuild();
        m_explorer->RestoreState(0);
        m_toolbox->Explorer()->RestoreState(0);
        m_listChangeHandling = true;
        ShowSelection();
    } else {
        SetCodeReport(target);
    }
    m_restoreView = false;
    setStatusText(QString());
}

void TraCodeManager::deactivate() {
    if (!m_built) return;
    if (m_codeReport) {
        if (m_editor && m_codeModule) {
            ApplyEditor();
            m_listChangeHandling = false;
            m_editor->SetProgram(nullptr);
            m_listChangeHandling = true;
        }
        m_currentItem = nullptr;
        m_explorer->SaveState(0);
        m_toolbox->Explorer()->SaveState(0);
        if (m_codeModule && m_codeModule->ProgramCount() == 0) {
            TraCodeModule* module = m_codeModule;
            disconnect(m_moduleWatch);
            forgetModule();
            delete module;
        }
        if (TppDesignerWindow* w = DesignerWindow(); w && m_codeReport && w->GetReport() != m_codeReport)
            w->SelectReport(m_codeReport);
    }
    installMenu(false);
    installStatusBar(false);
}

void TraCodeManager::installMenu(bool aOn) {
    TppDesignerWindow* w = DesignerWindow();
    if (!w || !m_menu) return;
    QMenuBar* bar = w->menuBar();
    if (aOn == m_menuInstalled) return;
    m_menuInstalled = aOn;
    if (aOn) {
        m_hiddenDesignerMenus.clear();
        for (QAction* a : bar->actions()) {
            m_hiddenDesignerMenus.append({a, a->isVisible()});
            a->setVisible(false);
        }
        for (QMenu* m : m_menu->Menus()) bar->addAction(m->menuAction());
    } else {
        for (QMenu* m : m_menu->Menus()) bar->removeAction(m->menuAction());
        for (const auto& [a, visible] : m_hiddenDesignerMenus)
            if (a) a->setVisible(visible);
        m_hiddenDesignerMenus.clear();
    }
}

void TraCodeManager::installStatusBar(bool aOn) {
    QStatusBar* bar = GetStatusBar();
    if (!bar) return;
    if (aOn) {
        if (m_statusPanels.isEmpty()) {
            for (int i = 0; i < 2; ++i) {
                auto* panel = new QLabel(bar);
                panel->setObjectName(QStringLiteral("CodeStatusPanel%1").arg(i));
                panel->setFixedWidth(65);
                if (i == 0) panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                bar->addWidget(panel);
                m_statusPanels << panel;
            }
        }
        m_hiddenStatusPanels.clear();
        for (QLabel* l : bar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (m_statusPanels.contains(l)) continue;
            m_hiddenStatusPanels.append({l, l->isVisibleTo(bar)});
            l->hide();
        }
        for (QLabel* p : m_statusPanels) p->show();
    } else {
        for (QLabel* p : m_statusPanels) p->hide();
        for (const auto& [w, visible] : m_hiddenStatusPanels)
            if (w) w->setVisible(visible);
        m_hiddenStatusPanels.clear();
    }
}

void TraCodeManager::setStatusText(const QString& aText) {
    if (!m_statusPanels.isEmpty()) m_statusPanels[0]->setText(aText);
}

void TraCodeManager::showCaret() {
    const QPoint caret = m_editor->CaretPosition();
    setStatusText(QStringLiteral("%1: %2  ").arg(caret.y()).arg(caret.x()));
}

void TraCodeManager::LoadSettings() {
    settings::IniFile ini(TppDesignerWindow::SettingsFileName());
    CompileOnLoad = ini.ReadBool(kSection, QStringLiteral("CompileOnLoad"), true);
    if (!m_built) return;
    const QList<int> page = m_pageSplitter->sizes();
    const int editorTop = ini.ReadInteger(kSection, QStringLiteral("EditorTop"), page.value(0));
    const int total = page.value(0) + page.value(1);
    if (total > 0) m_pageSplitter->setSizes({editorTop, std::max(50, total - editorTop)});
    const QList<int> ex = m_explorer->Splitter()->sizes();
    const int listLeft = ini.ReadInteger(kSection, QStringLiteral("ListViewLeft"), ex.value(0));
    m_explorer->Splitter()->setSizes({listLeft, std::max(50, ex.value(0) + ex.value(1) - listLeft)});
    m_explorer->SetView(ini.ReadInteger(kSection, QStringLiteral("ExploreView"), 0));
    const int width = ini.ReadInteger(kSection, QStringLiteral("ToolBoxWidth"), 250);
    const QList<int> ed = m_editorSplitter->sizes();
    const int edTotal = ed.value(0) + ed.value(1);
    m_editorSplitter->setSizes({std::max(50, edTotal - width), width});
    const int treeHeight =
        ini.ReadInteger(kSection, QStringLiteral("ToolboxTreeHeight"), std::max(40, m_toolboxPanel->height() / 5));
    const QList<int> tb = m_toolbox->Explorer()->Splitter()->sizes();
    m_toolbox->Explorer()->Splitter()->setSizes({treeHeight, std::max(40, tb.value(0) + tb.value(1) - treeHeight)});
    ShowToolbox(ini.ReadBool(kSection, QStringLiteral("ToolBoxWindow"), true));
}

void TraCodeManager::SaveSettings() {
    if (!m_built) return;
    settings::IniFile ini(TppDesignerWindow::SettingsFileName());
    ini.WriteInteger(kSection, QStringLiteral("EditorTop"), m_pageSplitter->sizes().value(0));
    ini.WriteInteger(kSection, QStringLiteral("ListViewLeft"), m_explorer->Splitter()->sizes().value(0));
    ini.WriteInteger(kSection, QStringLiteral("ExploreView"), m_explorer->View());
    ini.WriteBool(kSection, QStringLiteral("ToolBoxWindow"), m_toolboxPanel->isVisibleTo(Page()));
    ini.WriteInteger(kSection, QStringLiteral("ToolBoxWidth"), m_editorSplitter->sizes().value(1));
    ini.WriteInteger(kSection, QStringLiteral("ToolboxTreeHeight"), m_toolbox->Explorer()->Splitter()->sizes().value(0));
    ini.WriteBool(kSection, QStringLiteral("CompileOnLoad"), CompileOnLoad);
}

void TraCodeManager::CloseQuery(bool& aCanClose) {
    Q_UNUSED(aCanClose);
    ApplyEditor();
}

void TraCodeManager::ApplyEditor() {
    if (m_editor && m_codeModule) m_editor->Apply();
}

void TraCodeManager::markModified() {
    if (m_codeModule) m_codeModule->SetModified(true);
}

TraProgram* TraCodeManager::SelectedProgram() const { return m_explorer ? m_explorer->SelectedProgram() : nullptr; }

void TraCodeManager::ShowSelection() {
    if (!m_built) return;
    m_currentItem = m_explorer->SelectedItem();
    TraProgram* program = m_explorer->SelectedProgram();
    m_editor->SlotKind = m_explorer->SelectedKind();
    m_editor->HeaderLength = 0;
    if (dynamic_cast<TraDeclarationProgram*>(program)) {
        m_editor->BodyMode = true;
        m_editor->HeaderLength = lineLength(program->Source(), 1);
    } else if (m_explorer->View() != 0) {
        m_editor->BodyMode = false;
        if (program && (dynamic_cast<TraEventHandler*>(program) || program->ChildType() == 19 || program->ChildType() == 20))
            m_editor->HeaderLength = lineLength(program->Source(), 0);
    } else {
        m_editor->BodyMode = true;
    }
    m_editor->SetProgram(program);
    m_editor->SetReadOnly(m_explorer->IsReadOnly());
}

void TraCodeManager::CreateProgram(int aKind) {
    if (!m_built || !m_codeModule || m_explorer->IsReadOnly()) return;
    m_listChangeHandling = false;
    TraCodeModule* module = m_codeModule;
    TraReportListView* list = m_explorer->List();
    QTreeWidgetItem* item = m_explorer->SelectedItem();
    TraProgram* created = nullptr;
    const auto makeGlobal = [&](TraTokenType type, const QString& base) {
        auto* p = new TraProgram();
        p->SetChildType(21);
        p->SetProgramType(type);
        p->ProgramName = module->UniqueProgramName(base);
        p->CreateDefaultSource();
        p->SetCodeModule(module);
        item = list->AddItem(p->GetHeading(), type == TraTokenType::ttFunction ? 2 : 1);
        return p;
    };
    switch (aKind) {
    case 0: {
        if (!item || TraReportListView::ProgramOf(item)) break;
        auto* object = qobject_cast<TppCommunicator*>(m_explorer->SelectedObject());
        const QString event = m_explorer->View() == 0 ? QStringLiteral("OnCalc") : item->text(0);
        created = module->CreateEventHandler(object, event);
        break;
    }
    case 1:
        created = makeGlobal(TraTokenType::ttProcedure, QStringLiteral("GlobalProcedure"));
        break;
    case 2:
        created = makeGlobal(TraTokenType::ttFunction, QStringLiteral("GlobalFunction"));
        break;
    case 3:
    case 4: {
        TraProgram* p = aKind == 3 ? static_cast<TraProgram*>(new TraVarProgram()) : new TraConstProgram();
        p->ProgramName = item ? item->text(0) : QString();
        p->CreateDefaultSource();
        p->SetCodeModule(module);
        created = p;
        break;
    }
    case 5:
    case 6: {
        auto* p = new TraProgram();
        p->SetChildType(aKind == 5 ? 19 : 20);
        p->SetProgramType(TraTokenType::ttProcedure);
        p->ProgramName = aKind == 5 ? QStringLiteral("GlobalOnCreate") : QStringLiteral("GlobalOnDestroy");
        p->CreateDefaultSource();
        p->SetCodeModule(module);
        created = p;
        break;
    }
    default:
        break;
    }
    if (created) {
        module->SetModified(true);
        if (item) {
            TraReportListView::SetProgram(item, created);
            item->setIcon(0, TraReportListView::StateImage(1));
            list->setCurrentItem(item);
        }
    }
    m_explorer->RefreshStates();
    m_listChangeHandling = true;
    ShowSelection();
}

void TraCodeManager::DeleteProgram(TraProgram* aProgram) {
    if (!aProgram || !m_codeModule) return;
    m_listChangeHandling = false;
    const int kind = m_explorer->SelectedKind();
    QTreeWidgetItem* item = m_explorer->SelectedItem();
    const int view = m_explorer->View();
    if (item && TraReportListView::ProgramOf(item) == aProgram) {
        if ((kind == 0 && view != 2) || (kind >= 3 && kind <= 6)) {
            TraReportListView::SetProgram(item, nullptr);
            item->setIcon(0, TraReportListView::StateImage(0));
        } else {
            delete item;
        }
    }
    m_currentItem = nullptr;
    if (TraCodeModule* owner = aProgram->CodeModule()) owner->FreeProgram(aProgram);
    else delete aProgram;
    m_explorer->RefreshStates();
    markModified();
    m_listChangeHandling = true;
    m_explorer->List()->setFocus();
}

void TraCodeManager::editorTextChanged() {
    if (m_explorer->View() == 2 && !m_editor->BodyMode && m_currentItem) {
        const int kind = TraReportListView::KindOf(m_currentItem);
        if (kind == 1 || kind == 2)
            m_currentItem->setText(0, m_editor->Edit()->document()->firstBlock().text());
    }
}

void TraCodeManager::gotoProgram(TraProgram* aProgram) {
    markModified();
    m_explorer->ShowProgram(aProgram);
}

bool TraCodeManager::AcceptsDrop(int aX, int aY) const {
    return m_built && !m_explorer->IsReadOnly() && m_editor->AcceptsDrop(aX, aY);
}

bool TraCodeManager::DropCode(int aX, int aY, const QString& aText) {
    if (aText.isEmpty() || !AcceptsDrop(aX, aY)) return false;
    m_editor->DropText(aX, aY, aText);
    return true;
}

void TraCodeManager::FillReportTabs() {
    if (!m_reportTabs) return;
    const QSignalBlocker block(m_reportTabs);
    while (m_reportTabs->count() > 0) m_reportTabs->removeTab(0);
    if (!m_designedReport) {
        m_reportTabs->hide();
        return;
    }
    m_reportTabs->setTabData(m_reportTabs->addTab(report::MessageText(374).remove(QLatin1Char('&'))),
                             QVariant::fromValue<QObject*>(m_designedReport.data()));
    std::function<void(TppCustomReport*)> walk = [&](TppCustomReport* r) {
        for (int i = 0; i < r->BandCount(); ++i) {
            TppBand* band = r->Bands(i);
            for (int j = 0; j < band->ObjectCount(); ++j)
                if (auto* sub = qobject_cast<TppSubReport*>(band->Objects(j)); sub && sub->Report()) {
                    const int t = m_reportTabs->addTab(sub->UserName());
                    m_reportTabs->setTabData(t, QVariant::fromValue<QObject*>(sub->Report()));
                    walk(sub->Report());
                }
        }
    };
    walk(m_designedReport);
    m_reportTabs->setVisible(m_reportTabs->count() >= 2);
}

void TraCodeManager::reportTabChanged(int aIndex) {
    if (m_switchingTab || aIndex < 0) return;
    auto* target = qobject_cast<TppCustomReport*>(m_reportTabs->tabData(aIndex).value<QObject*>());
    TppCustomReport* previous = m_codeReport;
    int previousTab = -1;
    for (int i = 0; i < m_reportTabs->count(); ++i)
        if (m_reportTabs->tabData(i).value<QObject*>() == previous) previousTab = i;
    try {
        SetCodeReport(target);
    } catch (const base::Exception& e) {
        SetCodeReport(previous);
        m_switchingTab = true;
        m_reportTabs->setCurrentIndex(previousTab);
        m_switchingTab = false;
        throw;
    }
}

void TraCodeManager::ShowToolbox(bool aValue) {
    if (!m_toolboxPanel) return;
    m_toolboxPanel->setVisible(aValue);
}

void TraCodeManager::ImportCode() {
    if (!m_codeModule || !m_codeReport) return;
    ApplyEditor();
    m_listChangeHandling = false;
    m_editor->SetProgram(nullptr);
    m_listChangeHandling = true;
    TppReportModuleTemplate* t = m_codeModule->Template();
    if (TppTemplate* reportTemplate = m_codeReport->Template()) t->AssignKeepingLocation(reportTemplate);
    if (!t->ShowOpenDialog()) return;
    t->Load();
    m_explorer->Rebuild();
    markModified();
}

void TraCodeManager::ExportCode() {
    if (!m_codeModule || !m_codeReport) return;
    ApplyEditor();
    TppReportModuleTemplate* t = m_codeModule->Template();
    if (TppTemplate* reportTemplate = m_codeReport->Template()) t->AssignKeepingLocation(reportTemplate);
    const QString name = t->FileName().section(QLatin1Char('/'), -1);
    const QString folder = t->FileName().left(t->FileName().size() - name.size());
    t->SetFileName(folder + name.section(QLatin1Char('.'), 0, 0) + report::MessageText(919));
    if (t->ShowSaveDialog()) t->Save();
}
