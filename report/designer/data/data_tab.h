#pragma once

// The designer's Data page ("Data" tab): a design module with a main menu of its own (File:
// Data Settings, New, Import, Merge, Export, Import From File, Export To File), a workspace
// holding one tool window per data view of the report, and the data settings the data
// wizards work with. New and edited data views go through its wizard manager, which picks
// and runs the data wizards (the query wizard, the query designer).
//
// States: not built (no page controls; nothing happens without a designer window), built
// and inactive, active. The page's controls are made on the first entry; the data module is
// attached again on every entry (it may have been created or replaced meanwhile). Tool-window
// placements live in the data views (Left, Top, Width, Height) and are written when the page
// is left, when a window closes and before an export.
//
// The tool windows are listed by their data view itself: a query view's user name follows its
// description, so a list keyed by user name would lose a renamed view's window.

#include "report/data/data_dictionary.h"
#include "report/data/data_settings.h"
#include "report/data/data_view.h"
#include "report/designer/gui/design_module.h"
#include "report/designer/gui/designer_window.h"
#include "report/model/communicator.h"
#include "report/output/wizard.h"

#include <QList>
#include <QPointer>

#include <memory>
#include <vector>

class QAction;
class QMdiArea;
class QMenu;
class QMenuBar;
class TdaDataManager;
class TdaDataViewToolWin;

/// Picks and runs the data wizards for the Data page: New Items for a new data view, the
/// view's designer class for an existing one. Holds every wizard it obtained (one instance per
/// class, reused), the data module, the view being created or edited (between commands none)
/// and its own data settings, which the wizards and Data Settings use.
class TdaDataWizardManager : public TppCommunicator {
    Q_OBJECT
public:
    explicit TdaDataWizardManager(TdaDataManager* aDataTab = nullptr);
    ~TdaDataWizardManager() override;

    TdaDataManager* DataTab() const { return m_dataTab; }
    TdaDataModule* DataModule() const { return m_dataModule; }
    void SetDataModule(TdaDataModule* aModule);
    TppDataSettings* DataSettings() const { return m_dataSettings.get(); }
    /// Copies the settings.
    void SetDataSettings(TppDataSettings* aSettings);
    /// The class registered under the settings' session type; null when none.
    TClass SessionClass() const;
    int LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int aValue) { m_languageIndex = aValue; }
    /// The view being created or edited; null between commands.
    TdaDataView* CurrentDataView() const { return m_dataView; }

    /// New Items, then the chosen data wizard; true with the new, complete view.
    bool NewDataView(TdaDataView*& aDataView);
    /// Runs the wizard of the view's designer class (or its design dialog).
    bool EditDataView(TdaDataView* aView);

    /// The held wizard of exactly that class; else one found among the components the data
    /// module can refer to; else a new one owned by the manager. Null for a class that is not
    /// a data wizard class. Every wizard obtained is held.
    TdaCustomDataWizard* GetWizard(const TppWizardClass* aClass);
    /// Frees the wizard unless the manager holds it.
    void ReleaseWizard(TdaCustomDataWizard* aWizard);
    int HeldWizardCount() const;
    /// A wizard's request for its view: the view being created, else a new one of the data-view
    /// class the session has for the wizard (none: the request is left unanswered).
    void GetDataViewForWizard(QObject* Sender, TdaDataView*& aDataView);
    /// A new view of the class: owned by the data module's owner, child of the data module.
    TdaDataView* CreateDataView(TClass aClass);

    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

private:
    void prepare(TdaCustomDataWizard* aWizard, int aStartAction);
    void setCurrentView(TdaDataView* aView);
    const TppWizardClass* wizardClassOf(TClass aClass) const;

    QPointer<TdaDataManager> m_dataTab;
    QPointer<TdaDataModule> m_dataModule;
    QPointer<TdaDataView> m_dataView;
    std::vector<QPointer<TdaCustomDataWizard>> m_wizards;
    int m_languageIndex = 0;
    std::unique_ptr<TppDataSettings> m_dataSettings;
    /// Descriptions of the data-view classes offered on the Templates page.
    std::vector<std::unique_ptr<TppWizardClass>> m_itemClasses;
};

class TdaDataManager : public TppDesignModule {
    Q_OBJECT
public:
    /// The tool windows' width when placed automatically.
    static constexpr int kToolWindowWidth = 242;

    TdaDataManager(QWidget* aPage, TppComponentDesigner* aDesigner);
    ~TdaDataManager() override;

    /// The module class registered under "TppDesignerWindow".
    static const TppDesignModuleClass* ModuleClass();
    /// The Data page of a designer window; null when it has none.
    static TdaDataManager* Of(TppDesignerWindow* aWindow);

    // Design-module operations.
    void SetReport(TppCustomReport* aReport) override;
    void LanguageChanged(TppLanguageType aLanguage) override;
    void LanguageChanged(int aIndex);
    void AllowActiveChange(bool& aAllow) override;
    void LoadSettings() override;
    void SaveSettings() override;

    TppDesignerWindow* DesignerWindow() const { return m_designerWindow; }
    TdaDataModule* DataModule() const { return m_dataModule; }
    /// Detaches the old module (its windows closed, placements stored) and attaches the new.
    void SetDataModule(TdaDataModule* aModule);
    /// The main report's data module, created when it has none; null without a report.
    TdaDataModule* GetDataModule();
    TdaDataWizardManager* WizardManager() const { return m_wizardManager.get(); }
    TppCustomReport* ShownReport() const { return m_shownReport; }
    TppReport* MainReport() const;
    QMdiArea* ScrollBox() const { return m_scrollBox; }
    QMenuBar* MainMenu() const { return m_mainMenu; }
    QMenu* FileMenu() const { return m_fileMenu; }
    /// A File command by its tag (0 Data Settings ... 6 Export To File).
    QAction* Command(int aTag) const;

    // Tool windows.
    /// The listed windows in the order they were opened.
    QList<TdaDataViewToolWin*> ToolWindows() const;
    TdaDataViewToolWin* ToolWindowOf(TdaDataView* aView) const;
    TdaDataViewToolWin* OpenToolWindow(TdaDataView* aView);
    void OpenToolWindows();
    void OpenMissingToolWindows();
    void CloseToolWindow(TdaDataViewToolWin* aWindow);
    void CloseToolWindows();
    void PlaceToolWindow(TdaDataViewToolWin* aWindow);
    void StorePlacements();

    // Tool-window callbacks.
    void DeleteDataView(TdaDataViewToolWin* Sender);
    void DataViewAction(TdaDataViewToolWin* Sender);
    void EditDataView(TdaDataView* aView);

    // Commands.
    void DataSettingsCommand();
    void NewDataView();
    void ImportCommand();
    void ImportFromFileCommand();
    void MergeCommand();
    void ExportCommand();
    void ExportToFileCommand();
    /// The file commands are shown exactly when saving to files is allowed and the shown
    /// report's template is kept in the database.
    void FileMenuClick();

private:
    void createControls();
    void DesignerSettingsChanged();
    void DataViewRemoved(TppRelative* aChild);
    void ReportLanguageChanged();
    void dropWindow(TdaDataViewToolWin* aWindow);
    void giveFirstViewAReport(bool aFromFile);
    void importInto(bool aFromFile);
    void exportModule(bool aToFile);
    TppDataSettings* designerSettings() const;

    QPointer<TppDesignerWindow> m_designerWindow;
    QPointer<TppCustomReport> m_shownReport;
    QPointer<TdaDataModule> m_dataModule;
    QMdiArea* m_scrollBox = nullptr;
    QMenuBar* m_mainMenu = nullptr;
    QMenu* m_fileMenu = nullptr;
    QList<QAction*> m_commands;
    QList<QAction*> m_separators;
    QList<QPointer<TdaDataViewToolWin>> m_toolWindows;
    std::unique_ptr<TdaDataWizardManager> m_wizardManager;
};
