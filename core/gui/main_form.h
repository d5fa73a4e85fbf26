#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class TMainDataMod;
class TURL;

/// The records manager's one main window: menus and actions, five toolbars, the left dock
/// panel (explorer and tree notes), the page control into which View windows dock, and
/// the status bar. It runs the end of start-up (FormShow, UM_STARTUP, UM_OPENDATABASE),
/// opens and closes databases (OpenDatabase, CloseDatabase), applies the per-database
/// preferences and the window layout, and ends the program (FormCloseQuery, FormClose).
///
/// States: no database (DatabaseOpen false, the database actions disabled) and database
/// open (settings table, Hierarchy.DB and every View table open, the folder in the first
/// status panel). An open that fails at any step leaves no database open.
///
/// Commands whose windows live elsewhere (new database, reports, repair, templates,
/// preferences, libraries, find, quick search, notes, explorer, about, start-up wizard)
/// run through the command registry (core/command_registry.h) and stay disabled while no
/// handler is registered for them. View windows come from the View layer
/// (core/view_layer.h).
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    /// The main data module the window works on; set by the program before the window is
    /// shown.
    void SetDataModule(TMainDataMod* data);
    TMainDataMod* DataModule() const;
    /// Command-line parameters read by FormShow (without the program name).
    void SetParameters(const QStringList& parameters) { m_parameters = parameters; }
    /// The splash window FormShow releases after its pause; owned by the window from here.
    void SetSplash(QWidget* splash);
    /// How long FormShow holds the splash window, in milliseconds (1000).
    void SetSplashPauseMs(int ms) { m_splashPauseMs = ms; }

    // The shared recent-file list (kept by the program's services): the most recent entry,
    // putting a folder at the top. Unset: no recent databases.
    std::function<QString()> RecentMostRecent;
    std::function<void(const QString& folder)> RecentAddFile;
    /// Opens the folder of a recent-file item (its caption after the first blank).
    void RecentFileClick(QAction* item);
    QMenu* FileMenu() const { return M_File; }

    // ---- start-up ----
    void FormShow();
    void ApplyMaximizePreference(bool centre);
    bool PendingOpen = false;
    QString PendingFolder;
    QString FolderToOpen;
    /// Set once the start-up continuation has finished (a database opened or not).
    bool StartupDone() const { return m_startupDone; }

    // ---- databases ----
    bool OpenDatabase(const QString& folder);
    void CloseDatabase(bool closeExplorer);
    void ApplyPreferences(bool force);
    void ApplyLayout();
    bool MacroTextEnabled = true;

    // ---- menus ----
    void EnableDatabaseActions(bool enable);
    void BuildFavoritesMenu();
    void BuildViewsMenu();
    void LoadIconLibrary();
    void LoadMacroShortcuts();
    /// The ID and type of the macro with this shortcut (the last in ID order); ID -1 none.
    std::pair<int, int> FindMacroShortcut(int shortcut) const;
    void UpdateViewFieldsAction(int view);
    void AddViewWindowItem(int view);
    void RemoveViewWindowItem(int view, const QString& name = {});
    void RefreshWindowsMenu();
    void BringViewToFront(int view, bool restore);
    int GetViewPageIndex(int view) const;
    void SetViewPageIndex(int view, int newIndex);
    /// Pop-up help for a control: its help context (property "HelpContext") when it has one,
    /// else its Tag (property "Tag"); nothing when both are 0.
    void ShowControlHelp(QObject* control);
    void RefreshStatus();
    void CloseProgram();
    void ToggleToolbar(QToolBar* toolbar, QAction* action);

    /// The class library's shortcut value of a key press: virtual-key code plus 0x2000 for
    /// Shift, 0x4000 for Ctrl, 0x8000 for Alt; 0 for a key without a virtual-key code.
    static int ShortcutOfKey(int qtKey, Qt::KeyboardModifiers modifiers);
    /// The hint of a View field from its marker "~~VFH" + three-digit View index + three-digit
    /// field index: the field's hint (with "|" as line breaks), its edit mask, the short date
    /// format and the field's date in the long format, each when the field asks for it, one
    /// per line; `fieldText` is the field's current text. Empty: no hint. A text without the
    /// marker is answered as it is.
    static QString ExpandFieldHint(const QString& hint, const QString& fieldText);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolbars();
    void createCentre();
    QAction* makeAction(const char* name, const QString& caption, int helpContext, const QString& icon = {},
                        const QKeySequence& shortcut = {});
    /// Connects an action to a command of the registry; the action is enabled only while
    /// a handler is registered (and, for a database action, a database is open).
    void bindRegistered(QAction* action);
    void setActionUsable(QAction* action, bool enable);
    /// The View layer's unsaved-changes test; true when a View holds changes.
    bool unsavedChanges() const;
    bool connectLibrary();
    void startupMessage();
    void openDatabaseMessage();
    void undoPartialOpen();
    void closeViewTables();
    bool openViewTables(const QString& folder);
    bool FormCloseQuery();
    void FormClose();
    void FileOpenClick();
    void FavoriteClick(int n);
    void OnlineClick(const QString& valueName, const QString& defaultAddress);
    void editCommand(const char* method);
    bool tryMacro(QKeyEvent* key);
    void updateLinkPicture();

    // ---- components ----
public:
    QMenu* M_File = nullptr;
    QMenu* M_Edit = nullptr;
    QMenu* M_View = nullptr;
    QMenu* M_Tools = nullptr;
    QMenu* M_Windows = nullptr;
    QMenu* M_Help = nullptr;
    QMenu* M_Favorites = nullptr;
    QMenu* M_ShowView = nullptr;
    QMenu* M_Toolbars = nullptr;
    QMenu* PU_Views = nullptr;
    QMenu* WhatsThis = nullptr;    ///< "&What's this?" for the program's controls
    QMenu* PU_TextEdit = nullptr;  ///< the pop-up menu of edit controls
    QToolBar* FileToolbar = nullptr;
    QToolBar* EditToolBar = nullptr;
    QToolBar* ViewToolBar = nullptr;
    QToolBar* ToolsToolbar = nullptr;
    QToolBar* HelpToolBar = nullptr;
    QWidget* LeftDockPanel = nullptr;
    QSplitter* MainSplitter = nullptr;
    QTabWidget* MainPages = nullptr;
    QLabel* StatusFolder = nullptr;   ///< status panel 1: the open database's folder
    QLabel* StatusLink = nullptr;     ///< status panel 2: the link-views picture
    QLabel* StatusInfo = nullptr;     ///< status panel 3
    QLineEdit* MacroTemp = nullptr;
    TURL* MainURL = nullptr;

    QAction *A_FileNew, *A_FileOpen, *A_FileClose, *A_FileShortcut, *A_FileFavorites, *A_FileSaveAs,
        *A_FileSaveTemplate, *A_FilePrintSetup, *A_FileExit;
    QAction *A_EditUndo, *A_EditCut, *A_EditCopy, *A_EditPaste, *A_EditSelectAll, *A_SpellCheck, *A_EditFind,
        *A_EditFindNext, *A_EditReplace;
    QAction *A_ViewView, *A_ViewList, *A_ViewNotes, *A_ViewReports, *A_ViewSearch, *A_ViewToolbarCustomize;
    QAction *A_TBFile, *A_TBEdit, *A_TBView, *A_TBTools, *A_TBHelp, *A_TBExplorer, *A_TBViewForm;
    QAction *A_Preferences, *A_GlobalUpdate, *A_RebuildIndex, *A_RebuildReport, *A_Repair, *A_TLManager,
        *A_MaskManager, *A_MacroManager, *A_IconManager;
    QAction *A_WindowsCloseAll, *A_WindowsExplorer;
    QAction *A_HelpContents, *A_HelpIndex, *A_HelpTutorial, *A_HelpGetStarted, *A_HelpDocMan, *A_HelpCD,
        *A_HelpBlank, *A_HelpAbout, *A_OnlineMain, *A_OnlineSupport;

private:
    QPointer<TMainDataMod> m_data;
    QStringList m_parameters;
    QPointer<QWidget> m_splash;
    int m_splashPauseMs = 1000;
    bool m_shown = false;
    bool m_startupDone = false;
    int WindowsMenuFixedCount = 0;
    std::vector<int> MacroShortcuts, MacroIDs, MacroTypes;
    int MacroCount = 0;
    bool MacroReady = false;
    QPointer<QObject> m_popupControl;  ///< the control a pop-up menu was opened on
    /// Actions run through the command registry (enabled only with a handler).
    std::vector<QAction*> m_registered;
    /// Actions that need an open database.
    std::vector<QAction*> m_databaseActions;
    /// The View tables the window opened itself while no View layer opens them.
    std::vector<std::unique_ptr<QObject>> m_viewTables;
};
