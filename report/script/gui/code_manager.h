#pragma once

// The code workspace: the designer's Calc page. The user browses the report's objects and
// events in the code explorer, creates, edits, compiles and deletes the programs of the
// report's code module in the code editor, drags code from the toolbox, switches between the
// main report and its sub-reports with the report tabs, and imports or exports the module as a
// "ctm" file. While the page is active its own menus take the place of the designer's.
//
// States: not built (until the page is first entered: only CompileOnLoad is read), built and
// inactive, built and active. On leaving, the editor is applied and emptied and a module
// without programs is freed; on entering again for the same report the explorer's and the
// toolbox's states are restored.

#include "report/designer/gui/design_module.h"
#include "report/output/dialog_registry.h"
#include "report/script/code_module.h"
#include "report/script/gui/code_editor.h"

#include <QPointer>

#include <optional>

class QLabel;
class QMenu;
class QSplitter;
class QTabBar;
class QTreeWidgetItem;
class TppDesignerWindow;
class TraCodeExplorer;
class TraCodeManager;
class TraCodeModule;
class TraToolBox;

/// The workspace's pop-up of the editor and the explorer's list: the editor's items with the
/// workspace's opening rules.
class TraProgramPopupMenu : public TraCodeEditorPopupMenu {
    Q_OBJECT
public:
    TraProgramPopupMenu(TraCodeManager* aManager, TraCodeEditor* aEditor, QWidget* aParent);

protected:
    void UpdateItems() override;

private:
    TraCodeManager* m_manager;
};

/// The workspace's main menu: File, Edit, View and Help, put in place of the designer's
/// menus while the page is active.
class TraCodeManagerMenu : public QObject {
    Q_OBJECT
public:
    explicit TraCodeManagerMenu(TraCodeManager* aManager);
    QList<QMenu*> Menus() const { return m_menus; }
    QAction* Item(const QString& aName) const;
    void LanguageChanged();
    /// Runs the opening rules of one menu.
    void UpdateMenu(QMenu* aMenu);

private:
    QMenu* addMenu(const char* aName, int aText);
    QAction* addItem(QMenu* aMenu, const char* aName, int aText, const QKeySequence& aShortcut = {});

    TraCodeManager* m_manager;
    QList<QMenu*> m_menus;
};

class TraCodeManager : public TppDesignModule {
    Q_OBJECT
public:
    TraCodeManager(QWidget* aPage, TppComponentDesigner* aDesigner);
    ~TraCodeManager() override;

    /// The module class registered for "TppDesignerWindow".
    static const TppDesignModuleClass* ModuleClass();
    /// The workspace that fills a designer page (none for other pages).
    static TraCodeManager* OfPage(QWidget* aPage);

    // Design-module operations.
    void SetReport(TppCustomReport* aReport) override;
    void LanguageChanged(TppLanguageType aLanguage) override;
    void AllowActiveChange(bool& aAllow) override;
    void LoadSettings() override;
    void SaveSettings() override;
    void CloseQuery(bool& aCanClose) override;

    void SetCodeReport(TppCustomReport* aReport);
    void ShowSelection();
    void ApplyEditor();
    void CreateProgram(int aKind);
    void DeleteProgram(TraProgram* aProgram);
    void ImportCode();
    void ExportCode();
    void FillReportTabs();
    void ShowToolbox(bool aValue);
    /// Applies the designer's OrvelInterface and OrvelOptions.
    void OptionsChanged();

    TppCustomReport* DesignedReport() const { return m_designedReport; }
    TppCustomReport* CodeReport() const { return m_codeReport; }
    TraCodeModule* CodeModule() const { return m_codeModule; }
    TppDesignerWindow* DesignerWindow() const;
    bool PageBuilt() const { return m_built; }
    bool CompileOnLoad = true;

    TraCodeExplorer* Explorer() const { return m_explorer; }
    TraCodeEditor* Editor() const { return m_editor; }
    TraToolBox* Toolbox() const { return m_toolbox; }
    QWidget* ToolboxPanel() const { return m_toolboxPanel; }
    QTabBar* ReportTabs() const { return m_reportTabs; }
    QSplitter* EditorSplitter() const { return m_editorSplitter; }
    TraCodeManagerMenu* MainMenu() const { return m_menu; }
    TraProgramPopupMenu* ProgramPopup() const { return m_popup; }
    /// The status panel showing the caret ("3: 5  ").
    QLabel* StatusPanel() const { return m_statusPanels.value(0); }
    /// Whether a drop of toolbox text at a point of the editor's viewport is taken.
    bool AcceptsDrop(int aX, int aY) const;
    /// Drops toolbox text at a point of the editor's viewport (what a drag ending there does).
    bool DropCode(int aX, int aY, const QString& aText);
    /// The selected explorer item's program or none (the pop-up menus read it).
    TraProgram* SelectedProgram() const;

private:
    void buildPage();
    void activate();
    void deactivate();
    void installMenu(bool aOn);
    void installStatusBar(bool aOn);
    void listChanged();
    void showCaret();
    void setStatusText(const QString& aText);
    void editorTextChanged();
    void gotoProgram(TraProgram* aProgram);
    void reportTabChanged(int aIndex);
    void markModified();
    void forgetModule();
    TraCodeModule* ensureModule(TppCustomReport* aReport);

    QPointer<TppCustomReport> m_designedReport;
    QPointer<TppCustomReport> m_codeReport;
    QPointer<TraCodeModule> m_codeModule;
    QTreeWidgetItem* m_currentItem = nullptr;
    bool m_listChangeHandling = true;
    bool m_restoreView = false;
    bool m_built = false;
    std::optional<report::FormClass> m_savedCalcDialog;

    QWidget* m_explorerPanel = nullptr;
    QSplitter* m_pageSplitter = nullptr;
    QSplitter* m_editorSplitter = nullptr;
    QTabBar* m_reportTabs = nullptr;
    TraCodeExplorer* m_explorer = nullptr;
    TraCodeEditor* m_editor = nullptr;
    QWidget* m_toolboxPanel = nullptr;
    TraToolBox* m_toolbox = nullptr;
    TraCodeManagerMenu* m_menu = nullptr;
    TraProgramPopupMenu* m_popup = nullptr;
    QList<QLabel*> m_statusPanels;
    QList<QPair<QAction*, bool>> m_hiddenDesignerMenus;
    QList<QPair<QWidget*, bool>> m_hiddenStatusPanels;
    bool m_menuInstalled = false;
    QMetaObject::Connection m_moduleWatch;
    bool m_switchingTab = false;
};
