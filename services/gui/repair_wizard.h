#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TMainDataMod;
class TMainForm;

/// What the wizard asks of the program around it. Every entry may be unset.
struct TRepairWizardHooks {
    /// The recent-file list's most recent entry (the Step 2 kind "Most Recent").
    std::function<QString()> MostRecent;
    /// The main data module whose TemplateLib.db lists the templates of Step 2; without it
    /// the templates are read from the library folder's TemplateLib.db directly.
    TMainDataMod* Data = nullptr;
    /// The full rebuild of a database (report dictionary and search indexes): opens the
    /// database, rebuilds, closes it again; true when it ran to its end.
    std::function<bool(const QString& folder)> FullRebuild;
};

/// The wizard "Check and Repair": checks the per-user configuration and the program's
/// folders and library tables (Step 1), lets the user choose a database (Step 2), verifies
/// and index-checks every table of it, logging what is damaged to the repair log (Step 3),
/// and checks its search indexes and report dictionary, offering the full rebuild when one
/// is missing or damaged (Step 4).
///
/// Pages: Welcome -> Step 1 ("I'm ready, let's get started") -> Step 2 (Step 1's Next, only
/// when every check of Step 1 passed) -> Step 3 (Next while a database is selected) ->
/// Step 4. Close is usable on every page once the page's work has ended, so the user can
/// always leave; it ends the wizard with the Cancel result.
///
/// Rows of the check lists carry a status: the icon of `StatusImages` and the texts "OK",
/// "Repaired", "Error" ("Not checked" before a check).
class TRepairWizard : public QDialog {
    Q_OBJECT
public:
    /// Image indexes of `StatusImages`.
    enum Status { stOK = 0, stRepaired = 1, stError = 2, stReset = 3, stRunning = 4 };

    explicit TRepairWizard(QWidget* parent = nullptr);

    QString LogFileName;     ///< the repair log of this run
    int LogCounter = 0;      ///< the next counter value of a damaged table
    bool RepairsMade = false;  ///< a path was rewritten or a rebuild ran
    TRepairWizardHooks Hooks;

    QStackedWidget* PageControl;
    QWidget *Welcome, *Step1, *Step2, *Step3, *Step4, *EmptyPage;
    std::vector<QIcon> StatusImages;

    // Welcome
    QLabel *WelcomePicture, *OopsLabel;
    QPlainTextEdit* WelcomeMemo;
    QPushButton *StartBtn, *WelcomeHelpBtn, *WelcomeCloseBtn;
    // Step 1
    QTreeWidget* Step1List;
    QLabel* Step1Status;
    QPushButton *Step1NextBtn, *Step1HelpBtn, *Step1CloseBtn;
    // Step 2
    QTreeWidget* DatabaseList;
    QCheckBox *ShowFavorites, *ShowTemplates;
    QPushButton *BrowseBtn, *Step2NextBtn, *Step2HelpBtn, *Step2CloseBtn;
    // Step 3
    QLabel *Step3Path, *Step3Status;
    QTreeWidget* Step3List;
    QPushButton *Step3NextBtn, *Step3HelpBtn, *Step3CloseBtn;
    // Step 4
    QLabel *Step4Path, *Step4Status;
    QTreeWidget* Step4List;
    QPushButton *Step4NextBtn, *Step4HelpBtn, *Step4CloseBtn;

    void StartBtnClick();
    void Step1NextBtnClick();
    void FillDatabaseList();
    void BrowseBtnClick();
    void Step2NextBtnClick();
    void Step3NextBtnClick();

    /// Sets a row's icon and, for OK, Repaired and Error, its status text; `message` (when
    /// given) goes to the Message column.
    void SetRowStatus(QTreeWidgetItem* row, int status, const QString& message = {});

private:
    bool checkRegistryEntries(QTreeWidgetItem* row);
    bool checkEngineConfiguration(QTreeWidgetItem* row);
    bool checkProgramDirectory(QTreeWidgetItem* row);
    bool checkLibraryDirectory(QTreeWidgetItem* row);
    bool checkLibraryTable(QTreeWidgetItem* row, const QString& tableName);
    /// The library folder the checks look at: the stored LibraryPath when it names a
    /// folder, else the program's.
    QString libraryFolder() const;
    void addTemplateRows();
    /// Checks Step 4's tables into Step4List; answers whether all are sound.
    bool checkSupportTables();
    /// Makes the missing or damaged support tables again, then runs the full rebuild.
    void rebuildSupportTables();
    QString m_folder;  ///< the database of Steps 3 and 4
};

/// Runs the wizard: with a database open, asks to close it first (stops on No); shows the
/// wizard; when it was started from the command line or made repairs, tells the user the
/// program must be restarted and closes the main window.
void RunRepairWizard(TMainForm& mainForm, bool FromCommandLine);

/// Registers the command "RepairFromCommandLine" (dossara /REPAIR) for this main window.
/// The wizard's full rebuild opens the database through the main window and runs the
/// program's full rebuild (core::Customize().FullRebuild) on it.
void InstallRepairWizard(TMainForm* mainForm);
