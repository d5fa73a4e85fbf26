#include "core/gui/main_form.h"

#include "core/command_registry.h"
#include "core/file_helpers.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/form_helpers.h"
#include "core/gui/last_resort.h"
#include "core/gui/toolbar_state.h"
#include "core/date_helpers.h"
#include "core/library_helpers.h"
#include "core/log.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/startup.h"
#include "core/system_helpers.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/web_link.h"
#include "core/win_registry.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/format/date_time_format.h"
#include "platform/format/date_time_parse.h"
#include "platform/format/errors.h"
#include "platform/format/format_settings.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/window_message.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include <cstdio>

namespace {

// The main window's own window messages.
constexpr int UM_PREFSCHANGED = ui::kWmUser + 102;
constexpr int UM_VIEWTOOLBAR = ui::kWmUser + 103;
constexpr int UM_OPENDATABASE = ui::kWmUser + 105;
constexpr int UM_SHOWTREENOTES = ui::kWmUser + 109;
constexpr int UM_RUNREPAIR = ui::kWmUser + 114;
constexpr int UM_STARTUP = ui::kWmUser + 117;

const QString kPrefs = QStringLiteral("Preferences");
const QString kForms = QStringLiteral("Forms");
const QString kLayout = QStringLiteral("Layout");

QString rs(const char* section, const char* key1, const char* key2, const char* variable, const QString& def) {
    return core::ReadRegString(QLatin1String(section), QLatin1String(key1), QLatin1String(key2),
                               QLatin1String(variable), def);
}
bool rb(const char* section, const char* key1, const char* key2, const char* variable, bool def) {
    return core::ReadRegBool(QLatin1String(section), QLatin1String(key1), QLatin1String(key2),
                             QLatin1String(variable), def);
}
int ri(const char* section, const char* key1, const char* key2, const char* variable, int def) {
    return core::ReadRegInt(QLatin1String(section), QLatin1String(key1), QLatin1String(key2),
                            QLatin1String(variable), def);
}

/// The text of the first error of an engine failure, as the open messages show it.
QString engineText(const db::EDBEngineError& e) {
    return core::GetEngineErrorText(e.ErrorCount() > 0 ? e.Errors(0).ErrorCode : e.Code());
}

/// Tells that the database in `folder` cannot be opened: `why`, then the engine's text.
void refuseOpen(const QString& why, const db::EDBEngineError& e, const QString& folder, int help) {
    ui::Message(why + QStringLiteral("\rThe BDE error message is \"") + engineText(e) +
                    QStringLiteral("\".\rThe database in \"") + folder +
                    QStringLiteral("\" cannot be opened.\rPress F1 for help."),
                ui::MessageKind::Error, ui::Button::Ok, help);
}

/// Tells that the database in `folder` cannot be opened: `why`, then what is wrong with
/// one of its tables.
void refuseWrongTable(const QString& why, const QString& problem, const QString& folder, int help) {
    ui::Message(why + QStringLiteral("\r") + problem + QStringLiteral("\rThe database in \"") + folder +
                    QStringLiteral("\" cannot be opened.\rPress F1 for help."),
                ui::MessageKind::Error, ui::Button::Ok, help);
}

/// Tells that the database in `folder` cannot be opened, after `why`.
void refuseOpen(const QString& why, const QString& folder, int help) {
    ui::Message(why + QStringLiteral(" The database in \"") + folder +
                    QStringLiteral("\" cannot be opened. Press F1 for help."),
                ui::MessageKind::Error, ui::Button::Ok, help);
}

/// The edit control that has the focus when it can take text (not read-only), else null.
QWidget* editableFocus() {
    QWidget* w = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(w)) return line->isReadOnly() ? nullptr : w;
    if (auto* text = qobject_cast<QTextEdit*>(w)) return text->isReadOnly() ? nullptr : w;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) return plain->isReadOnly() ? nullptr : w;
    return nullptr;
}

bool isEditControl(QWidget* w) {
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w);
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Dossara"));
    setWindowIcon(core::ThemeIcon(QStringLiteral("x-office-address-book")));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);
    resize(717, 508);
    setProperty("HelpContext", 25000);

    createActions();
    createMenus();
    createToolbars();
    createCentre();

    MacroTemp = ui::Make<QLineEdit>(this, "MacroTemp");
    MacroTemp->hide();
    MainURL = new TURL(this);
    MainURL->setObjectName(QStringLiteral("MainURL"));

    // Application hooks: the macro-text shortcut handler and the focus watch.
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        MacroReady = MacroCount > 0 && now && isEditControl(now) && editableFocus() == now;
    });
    EnableDatabaseActions(false);
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    // The destroy step: the private folder's files go with the program.
    core::RunLastResort([] { core::ReleasePrivateDirectory(); });
}

void TMainForm::SetDataModule(TMainDataMod* data) { m_data = data; }

TMainDataMod* TMainForm::DataModule() const { return m_data.data(); }

void TMainForm::SetSplash(QWidget* splash) {
    m_splash = splash;
}

// ---------------------------------------------------------------------------------------
// Actions, menus, toolbars

QAction* TMainForm::makeAction(const char* name, const QString& caption, int helpContext, const QString& icon,
                               const QKeySequence& shortcut) {
    auto* a = new QAction(caption, this);
    a->setObjectName(QLatin1String(name));
    QString hint = caption;
    hint.remove(QLatin1Char('&'));
    if (hint.endsWith(QLatin1String("..."))) hint.chop(3);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    if (helpContext) a->setProperty("HelpContext", helpContext);
    if (!icon.isEmpty()) a->setIcon(core::ThemeIcon(icon));
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

void TMainForm::bindRegistered(QAction* action) {
    m_registered.push_back(action);
    connect(action, &QAction::triggered, this, [this, action] {
        core::RunLastResort([&] {
            static const QStringList gated = {
                QStringLiteral("A_FileNew"), QStringLiteral("A_FileSaveAs"), QStringLiteral("A_FileSaveTemplate"),
                QStringLiteral("A_RebuildIndex"), QStringLiteral("A_RebuildReport"), QStringLiteral("A_GlobalUpdate"),
                QStringLiteral("A_EditFind"), QStringLiteral("A_HelpGetStarted")};
            if (gated.contains(action->objectName()) && unsavedChanges()) return;
            const bool macro = action == A_MacroManager;
            const bool macroWas = MacroTextEnabled;
            if (macro) MacroTextEnabled = false;
            core::RunCommand(action->objectName());
            if (macro) {
                MacroTextEnabled = macroWas;
                LoadMacroShortcuts();
            }
            if (action == A_Preferences) ApplyPreferences(false);
            if (action == A_FileNew || action == A_Preferences || action == A_ViewReports) RefreshStatus();
        });
    });
}

void TMainForm::setActionUsable(QAction* action, bool enable) {
    const bool registered = std::find(m_registered.begin(), m_registered.end(), action) != m_registered.end();
    // A command of another part that is not built yet stays disabled and says so in its hint.
    const bool unbuilt = registered && !core::HasCommand(action->objectName());
    if (unbuilt) enable = false;
    if (registered) {
        QVariant hint = action->property("BuiltHint");
        if (!hint.isValid()) {
            hint = action->statusTip();
            action->setProperty("BuiltHint", hint);
        }
        const QString shown = unbuilt ? hint.toString() + QStringLiteral(" (not available yet)") : hint.toString();
        action->setStatusTip(shown);
        action->setToolTip(shown);
    }
    action->setEnabled(enable);
}

void TMainForm::createActions() {
    using QKS = QKeySequence;
    // File
    A_FileNew = makeAction("A_FileNew", QStringLiteral("&New database..."), 30100, QStringLiteral("document-new"));
    A_FileOpen = makeAction("A_FileOpen", QStringLiteral("&Open database..."), 30101, QStringLiteral("document-open"));
    A_FileClose = makeAction("A_FileClose", QStringLiteral("&Close database"), 30106, QStringLiteral("window-close"));
    A_FileShortcut = makeAction("A_FileShortcut", QStringLiteral("&Shortcut..."), 30107, QStringLiteral("go-jump"));
    A_FileFavorites = makeAction("A_FileFavorites", QStringLiteral("&Favorites"), 30105, QStringLiteral("emblem-favorite"));
    A_FileSaveAs = makeAction("A_FileSaveAs", QStringLiteral("Save database &as..."), 30102,
                              QStringLiteral("document-save-as"));
    A_FileSaveTemplate = makeAction("A_FileSaveTemplate", QStringLiteral("Save database as &Template..."), 30103,
                                    QStringLiteral("document-save"));
    A_FilePrintSetup = makeAction("A_FilePrintSetup", QStringLiteral("&Printer setup"), 30104,
                                  QStringLiteral("document-page-setup"));
    A_FileExit = makeAction("A_FileExit", QStringLiteral("E&xit"), 30108, QStringLiteral("application-exit"));
    // Edit
    A_EditUndo = makeAction("A_EditUndo", QStringLiteral("&Undo"), 30206, QStringLiteral("edit-undo"), QKS(QKS::Undo));
    A_EditCut = makeAction("A_EditCut", QStringLiteral("Cu&t"), 30201, QStringLiteral("edit-cut"), QKS(QKS::Cut));
    A_EditCopy = makeAction("A_EditCopy", QStringLiteral("&Copy"), 30202, QStringLiteral("edit-copy"), QKS(QKS::Copy));
    A_EditPaste = makeAction("A_EditPaste", QStringLiteral("&Paste"), 30203, QStringLiteral("edit-paste"), QKS(QKS::Paste));
    A_EditSelectAll = makeAction("A_EditSelectAll", QStringLiteral("Select &All"), 30207,
                                 QStringLiteral("edit-select-all"), QKS(QKS::SelectAll));
    A_SpellCheck = makeAction("A_SpellCheck", QStringLiteral("&Spell Check"), 30200, QStringLiteral("tools-check-spelling"));
    A_EditFind = makeAction("A_EditFind", QStringLiteral("&Find..."), 30204, QStringLiteral("edit-find"),
                            QKS(Qt::CTRL | Qt::Key_F));
    A_EditFindNext = makeAction("A_EditFindNext", QStringLiteral("Find &Next"), 30205, QStringLiteral("go-next"),
                                QKS(Qt::Key_F3));
    A_EditReplace = makeAction("A_EditReplace", QStringLiteral("&Replace"), 30208, QStringLiteral("edit-find-replace"));
    // View
    A_ViewView = makeAction("A_ViewView", QStringLiteral("&View fields"), 30300, QStringLiteral("x-office-document"));
    A_ViewList = makeAction("A_ViewList", QStringLiteral("View xxx list"), 0, QStringLiteral("x-office-spreadsheet"));
    A_ViewNotes = makeAction("A_ViewNotes", QStringLiteral("&Notes"), 30301, QStringLiteral("accessories-text-editor"));
    A_ViewReports = makeAction("A_ViewReports", QStringLiteral("&Report Explorer"), 30302,
                               QStringLiteral("document-print-preview"));
    A_ViewSearch = makeAction("A_ViewSearch", QStringLiteral("Advanced &Search"), 30303, QStringLiteral("system-search"));
    A_ViewToolbarCustomize = makeAction("A_ViewToolbarCustomize", QStringLiteral("&Customize..."), 30306,
                                        QStringLiteral("preferences-desktop"));
    A_TBFile = makeAction("A_TBFile", QStringLiteral("File toolbar"), 30305, QStringLiteral("view-restore"));
    A_TBEdit = makeAction("A_TBEdit", QStringLiteral("Edit toolbar"), 30305, QStringLiteral("view-restore"));
    A_TBView = makeAction("A_TBView", QStringLiteral("View toolbar"), 30305, QStringLiteral("view-restore"));
    A_TBTools = makeAction("A_TBTools", QStringLiteral("Tools toolbar"), 30305, QStringLiteral("view-restore"));
    A_TBHelp = makeAction("A_TBHelp", QStringLiteral("Help toolbar"), 30305, QStringLiteral("view-restore"));
    A_TBExplorer = makeAction("A_TBExplorer", QStringLiteral("Explorer toolbar"), 30305, QStringLiteral("view-restore"));
    A_TBViewForm = makeAction("A_TBViewForm", QStringLiteral("View form toolbar"), 30305, QStringLiteral("view-restore"));
    for (QAction* a : {A_TBFile, A_TBEdit, A_TBView, A_TBTools, A_TBHelp, A_TBExplorer, A_TBViewForm}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    // Tools
    A_Preferences = makeAction("A_Preferences", QStringLiteral("&Preferences..."), 30400,
                               QStringLiteral("preferences-system"));
    A_GlobalUpdate = makeAction("A_GlobalUpdate", QStringLiteral("&Global Update"), 30408, QStringLiteral("system-run"));
    A_RebuildIndex = makeAction("A_RebuildIndex", QStringLiteral("Rebuild Search &Indexes"), 30044,
                                QStringLiteral("view-refresh"));
    A_RebuildReport = makeAction("A_RebuildReport", QStringLiteral("Rebuild Report &Dictionary"), 30042,
                                 QStringLiteral("accessories-dictionary"));
    A_Repair = makeAction("A_Repair", QStringLiteral("Check and &Repair database"), 30045,
                          QStringLiteral("system-software-update"));
    A_TLManager = makeAction("A_TLManager", QStringLiteral("&Template Library Manager"), 30404,
                             QStringLiteral("applications-office"));
    A_MaskManager = makeAction("A_MaskManager", QStringLiteral("&Mask Library Manager"), 30405,
                               QStringLiteral("preferences-desktop-keyboard"));
    A_MacroManager = makeAction("A_MacroManager", QStringLiteral("M&acro Text Library Manager"), 30406,
                                QStringLiteral("preferences-desktop-keyboard-shortcuts"));
    A_IconManager = makeAction("A_IconManager", QStringLiteral("View &Icon Library Manager"), 30407,
                               QStringLiteral("preferences-desktop-theme"));
    // Windows
    A_WindowsCloseAll = makeAction("A_WindowsCloseAll", QStringLiteral("&Close All"), 30500, QStringLiteral("window-close"));
    A_WindowsExplorer = makeAction("A_WindowsExplorer", QStringLiteral("&Explorer"), 30501,
                                   QStringLiteral("system-file-manager"));
    // Help
    A_HelpContents = makeAction("A_HelpContents", QStringLiteral("&Contents"), 0, QStringLiteral("help-contents"));
    A_HelpIndex = makeAction("A_HelpIndex", QStringLiteral("&Search for help on..."), 0, QStringLiteral("help-faq"));
    A_HelpTutorial = makeAction("A_HelpTutorial", QStringLiteral("&Tutorial"), 0, QStringLiteral("help-browser"));
    A_HelpGetStarted = makeAction("A_HelpGetStarted", QStringLiteral("&Getting started wizard"), 0,
                                  QStringLiteral("dialog-information"));
    A_HelpDocMan = makeAction("A_HelpDocMan", QStringLiteral("&File and Document Management"), 0,
                              QStringLiteral("system-file-manager"));
    A_HelpCD = makeAction("A_HelpCD", QStringLiteral("&CD Management"), 0, QStringLiteral("media-optical"));
    A_HelpBlank = makeAction("A_HelpBlank", QStringLiteral("The &Blank database"), 0, QStringLiteral("document-new"));
    A_HelpAbout = makeAction("A_HelpAbout", QStringLiteral("&About Dossara"), 0, QStringLiteral("help-about"));
    A_OnlineMain = makeAction("A_OnlineMain", QStringLiteral("&Dossara on the Web"), 0, QStringLiteral("web-browser"));
    A_OnlineSupport = makeAction("A_OnlineSupport", QStringLiteral("&Support"), 0, QStringLiteral("help-faq"));

    // Hidden commands.
    for (QAction* a : {A_SpellCheck, A_EditFindNext, A_EditReplace, A_Repair, A_WindowsExplorer, A_ViewList})
        a->setVisible(false);

    // Commands of other parts of the program.
    for (QAction* a : {A_FileNew, A_FileShortcut, A_FileSaveAs, A_FileSaveTemplate, A_FilePrintSetup, A_EditFind,
                       A_ViewNotes, A_ViewReports, A_ViewSearch, A_ViewToolbarCustomize, A_ViewList, A_Preferences,
                       A_GlobalUpdate, A_RebuildIndex, A_RebuildReport, A_TLManager, A_MaskManager, A_MacroManager,
                       A_IconManager, A_WindowsExplorer, A_HelpGetStarted, A_HelpAbout, A_TBExplorer})
        bindRegistered(a);
    A_TBExplorer->setCheckable(true);

    // Commands of this window.
    connect(A_FileOpen, &QAction::triggered, this, [this] { core::RunLastResort([this] { FileOpenClick(); }); });
    connect(A_FileClose, &QAction::triggered, this, [this] { core::RunLastResort([this] { CloseDatabase(true); }); });
    connect(A_FileExit, &QAction::triggered, this, [this] { CloseProgram(); });
    connect(A_EditUndo, &QAction::triggered, this, [this] { editCommand("undo"); });
    connect(A_EditCut, &QAction::triggered, this, [this] { editCommand("cut"); });
    connect(A_EditCopy, &QAction::triggered, this, [this] { editCommand("copy"); });
    connect(A_EditPaste, &QAction::triggered, this, [this] { editCommand("paste"); });
    connect(A_EditSelectAll, &QAction::triggered, this, [this] { editCommand("selectAll"); });
    connect(A_EditReplace, &QAction::triggered, this, [] { ui::Message(QStringLiteral("Not implemented yet.")); });
    connect(A_Repair, &QAction::triggered, this,
            [] { ui::Message(QStringLiteral("The Repair Wizard is not quite ready yet.")); });
    connect(A_ViewView, &QAction::triggered, this, [] {
        core::RunLastResort([] {
            const int view = ViewControl().CurrentView;
            if (ViewLayer().ShowViewWindow && view >= 0) ViewLayer().ShowViewWindow(view);
        });
    });
    connect(A_WindowsCloseAll, &QAction::triggered, this, [this] {
        core::RunLastResort([this] {
            if (unsavedChanges()) return;
            if (ViewLayer().CloseAllViewWindows) ViewLayer().CloseAllViewWindows();
        });
    });
    const std::pair<QAction*, QToolBar**> toggles[] = {{A_TBFile, &FileToolbar},   {A_TBEdit, &EditToolBar},
                                                       {A_TBView, &ViewToolBar},   {A_TBTools, &ToolsToolbar},
                                                       {A_TBHelp, &HelpToolBar}};
    for (const auto& [action, bar] : toggles)
        connect(action, &QAction::triggered, this, [this, action = action, bar = bar] { ToggleToolbar(*bar, action); });
    connect(A_TBViewForm, &QAction::triggered, this, [](bool checked) {
        if (ViewLayer().PostToViewWindows) ViewLayer().PostToViewWindows(UM_VIEWTOOLBAR, checked ? 1 : 0, 0);
    });
    connect(A_HelpContents, &QAction::triggered, this, [] { ui::HelpService::ShowContext(3000); });
    connect(A_HelpIndex, &QAction::triggered, this, [] { ui::HelpService::ShowContents(); });
    connect(A_HelpTutorial, &QAction::triggered, this, [] { ui::HelpService::ShowContext(64012); });
    const std::pair<QAction*, const char*> helpFiles[] = {
        {A_HelpDocMan, "FileFolder.hlp"}, {A_HelpCD, "CD.hlp"}, {A_HelpBlank, "Blank.hlp"}};
    for (const auto& [action, file] : helpFiles) {
        connect(action, &QAction::triggered, this, [file = file] {
            const QString previous = ui::HelpService::HelpFile();
            ui::HelpService::SetHelpFile(Globals().ProgramFolder + QStringLiteral("Help/") + QLatin1String(file));
            ui::HelpService::ShowContents();
            ui::HelpService::SetHelpFile(previous);
        });
    }
    connect(A_OnlineMain, &QAction::triggered, this,
            [this] { OnlineClick(QStringLiteral("Web_Main"), QStringLiteral("www.dossara.org")); });
    connect(A_OnlineSupport, &QAction::triggered, this,
            [this] { OnlineClick(QStringLiteral("Web_Support"), QStringLiteral("www.dossara.org/support")); });

    m_databaseActions = {A_FileSaveAs,   A_FileSaveTemplate, A_FileClose,    A_FileShortcut, A_SpellCheck,
                         A_EditCopy,     A_EditCut,          A_EditPaste,    A_EditFind,     A_EditFindNext,
                         A_EditUndo,     A_EditSelectAll,    A_EditReplace,  A_ViewView,     A_ViewNotes,
                         A_ViewReports,  A_ViewSearch,       A_TBExplorer,   A_TBViewForm,   A_ViewToolbarCustomize,
                         A_GlobalUpdate, A_RebuildIndex,     A_RebuildReport};
}

void TMainForm::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    auto menu = [&](QMenu* parentMenu, const char* name, const QString& title) {
        auto* m = new QMenu(title, this);
        m->setObjectName(QLatin1String(name));
        if (parentMenu)
            parentMenu->addMenu(m);
        else
            bar->addMenu(m);
        return m;
    };
    M_File = menu(nullptr, "M_File", QStringLiteral("&File"));
    M_File->addAction(A_FileNew);
    M_File->addAction(A_FileOpen);
    M_File->addAction(A_FileClose);
    M_File->addSeparator();
    M_File->addAction(A_FileShortcut);
    M_Favorites = menu(M_File, "M_Favorites", QStringLiteral("&Favorites"));
    M_Favorites->setIcon(A_FileFavorites->icon());
    M_Favorites->menuAction()->setProperty("HelpContext", 30105);
    auto* none = M_Favorites->addAction(QStringLiteral("None"));
    none->setObjectName(QStringLiteral("M_FavoritesNone"));
    none->setEnabled(false);
    M_File->addSeparator();
    M_File->addAction(A_FileSaveAs);
    M_File->addAction(A_FileSaveTemplate);
    M_File->addSeparator();
    M_File->addAction(A_FilePrintSetup);
    M_File->addSeparator();
    M_File->addAction(A_FileExit);

    M_Edit = menu(nullptr, "M_Edit", QStringLiteral("&Edit"));
    for (QAction* a : {A_EditUndo}) M_Edit->addAction(a);
    M_Edit->addSeparator();
    for (QAction* a : {A_EditCut, A_EditCopy, A_EditPaste, A_EditSelectAll}) M_Edit->addAction(a);
    M_Edit->addSeparator();
    for (QAction* a : {A_SpellCheck, A_EditFind, A_EditFindNext, A_EditReplace}) M_Edit->addAction(a);

    M_View = menu(nullptr, "M_View", QStringLiteral("&View"));
    M_View->addAction(A_ViewView);
    M_ShowView = menu(M_View, "M_ShowView", QStringLiteral("Show view"));
    M_ShowView->menuAction()->setProperty("HelpContext", 30304);
    M_ShowView->setIcon(core::ThemeIcon(QStringLiteral("window-new")));
    M_View->addAction(A_ViewList);
    M_View->addAction(A_ViewNotes);
    M_View->addAction(A_ViewReports);
    M_View->addAction(A_ViewSearch);
    M_View->addSeparator();
    M_Toolbars = menu(M_View, "M_Toolbars", QStringLiteral("&Toolbars"));
    M_Toolbars->menuAction()->setProperty("HelpContext", 30305);
    M_Toolbars->setIcon(core::ThemeIcon(QStringLiteral("view-restore")));
    for (QAction* a : {A_TBFile, A_TBEdit, A_TBView, A_TBTools, A_TBHelp, A_TBExplorer, A_TBViewForm})
        M_Toolbars->addAction(a);
    M_Toolbars->addSeparator();
    M_Toolbars->addAction(A_ViewToolbarCustomize);

    M_Tools = menu(nullptr, "M_Tools", QStringLiteral("&Tools"));
    M_Tools->addAction(A_Preferences);
    M_Tools->addAction(A_GlobalUpdate);
    M_Tools->addSeparator();
    QMenu* maintenance = menu(M_Tools, "M_Maintenance", QStringLiteral("&Maintenance"));
    maintenance->setIcon(core::ThemeIcon(QStringLiteral("applications-system")));
    for (QAction* a : {A_RebuildIndex, A_RebuildReport, A_Repair}) maintenance->addAction(a);
    QMenu* libraries = menu(M_Tools, "M_Libraries", QStringLiteral("&Libraries"));
    libraries->setIcon(core::ThemeIcon(QStringLiteral("applications-office")));
    for (QAction* a : {A_TLManager, A_MaskManager, A_MacroManager, A_IconManager}) libraries->addAction(a);

    M_Windows = menu(nullptr, "M_Windows", QStringLiteral("&Windows"));
    M_Windows->addAction(A_WindowsCloseAll);
    M_Windows->addSeparator();
    M_Windows->addAction(A_WindowsExplorer);

    M_Help = menu(nullptr, "M_Help", QStringLiteral("&Help"));
    for (QAction* a : {A_HelpContents, A_HelpIndex, A_HelpTutorial, A_HelpGetStarted}) M_Help->addAction(a);
    QMenu* helpOn = menu(M_Help, "M_HelpOn", QStringLiteral("Get help &on..."));
    helpOn->setIcon(core::ThemeIcon(QStringLiteral("help-contents")));
    for (QAction* a : {A_HelpDocMan, A_HelpCD, A_HelpBlank}) helpOn->addAction(a);
    M_Help->addSeparator();
    QMenu* online = menu(M_Help, "M_Online", QStringLiteral("Online..."));
    online->setIcon(core::ThemeIcon(QStringLiteral("web-browser")));
    for (QAction* a : {A_OnlineMain, A_OnlineSupport}) online->addAction(a);
    M_Help->addSeparator();
    M_Help->addAction(A_HelpAbout);

    PU_Views = new QMenu(this);
    PU_Views->setObjectName(QStringLiteral("PU_Views"));

    WhatsThis = new QMenu(this);
    WhatsThis->setObjectName(QStringLiteral("WhatsThis"));
    QAction* whatsThis = WhatsThis->addAction(QStringLiteral("&What's this?"));
    whatsThis->setObjectName(QStringLiteral("M_WhatsThis"));
    whatsThis->setIcon(core::ThemeIcon(QStringLiteral("help-faq")));
    connect(whatsThis, &QAction::triggered, this, [this] { ShowControlHelp(m_popupControl); });

    PU_TextEdit = new QMenu(this);
    PU_TextEdit->setObjectName(QStringLiteral("PU_TextEdit"));
    for (QAction* a : {A_EditUndo, A_EditCut, A_EditCopy, A_EditPaste, A_EditSelectAll}) PU_TextEdit->addAction(a);
    PU_TextEdit->addSeparator();
    QAction* editWhatsThis = PU_TextEdit->addAction(whatsThis->icon(), QStringLiteral("&What's this?"));
    editWhatsThis->setObjectName(QStringLiteral("M_EditWhatsThis"));
    connect(editWhatsThis, &QAction::triggered, this, [this] { ShowControlHelp(m_popupControl); });
}

void TMainForm::ShowControlHelp(QObject* control) {
    if (!control) return;
    int context = control->property("HelpContext").toInt();
    if (context == 0) context = control->property("Tag").toInt();
    if (context != 0) ui::HelpService::ShowContext(context);
}

void TMainForm::createToolbars() {
    auto toolbar = [&](const char* name, const QString& title, std::initializer_list<std::pair<QAction*, int>> buttons) {
        auto* t = new QToolBar(title, this);
        t->setObjectName(QLatin1String(name));
        t->setProperty("Tag", 1);
        t->setIconSize(QSize(24, 24));
        t->setAllowedAreas(Qt::TopToolBarArea);
        for (const auto& [action, tag] : buttons) {
            t->addAction(action);
            if (QWidget* button = t->widgetForAction(action)) {
                button->setObjectName(QStringLiteral("TB_") + action->objectName().mid(2));
                button->setProperty("Tag", tag);
                button->setFixedSize(27, 26);
            }
        }
        addToolBar(Qt::TopToolBarArea, t);
        return t;
    };
    FileToolbar = toolbar("FileToolbar", QStringLiteral("File"),
                          {{A_FileNew, 30002}, {A_FileOpen, 30003}, {A_FileSaveAs, 30004}, {A_FileShortcut, 30005},
                           {A_FilePrintSetup, 30007}});
    EditToolBar = toolbar("EditToolBar", QStringLiteral("Edit"),
                          {{A_EditUndo, 30020}, {A_EditCopy, 30021}, {A_EditCut, 30022}, {A_EditPaste, 30023},
                           {A_SpellCheck, -9999}, {A_EditFind, 30025}});
    ViewToolBar = toolbar("ViewToolBar", QStringLiteral("View"),
                          {{A_ViewView, 30030}, {A_ViewNotes, 30031}, {A_ViewReports, 30032}, {A_ViewSearch, 30033}});
    if (auto* viewButton = qobject_cast<QToolButton*>(ViewToolBar->widgetForAction(A_ViewView))) {
        viewButton->setMenu(PU_Views);
        viewButton->setPopupMode(QToolButton::MenuButtonPopup);
        viewButton->setFixedSize(39, 26);
    }
    ToolsToolbar = toolbar("ToolsToolbar", QStringLiteral("Tools"),
                           {{A_Preferences, 30040}, {A_GlobalUpdate, 30046}, {A_RebuildIndex, 30044},
                            {A_RebuildReport, 30042}, {A_Repair, -9999}});
    HelpToolBar = toolbar("HelpToolBar", QStringLiteral("Help"), {{A_HelpContents, 30000}, {A_HelpIndex, 30001}});
}

void TMainForm::createCentre() {
    MainSplitter = ui::Make<QSplitter>(this, "MainSplitter", Qt::Horizontal);
    MainSplitter->setHandleWidth(3);
    MainSplitter->setChildrenCollapsible(false);
    LeftDockPanel = ui::Make<QWidget>(MainSplitter, "LeftDockPanel");
    LeftDockPanel->setProperty("HelpContext", 30000);
    LeftDockPanel->setMinimumWidth(4);
    MainPages = ui::Make<QTabWidget>(MainSplitter, "MainPages");
    MainPages->setProperty("HelpContext", 30000);
    MainPages->setTabPosition(QTabWidget::East);
    MainPages->setMinimumWidth(4);
    MainSplitter->addWidget(LeftDockPanel);
    MainSplitter->addWidget(MainPages);
    setCentralWidget(MainSplitter);
    connect(MainPages, &QTabWidget::currentChanged, this, [this](int index) {
        if (QWidget* page = MainPages->widget(index)) ViewControl().SetCurrentViewIndex(page->property("Tag").toInt());
    });

    QStatusBar* status = statusBar();
    status->setObjectName(QStringLiteral("StatusBar"));
    status->setProperty("HelpContext", 30043);
    StatusFolder = ui::Make<QLabel>(status, "StatusFolder");
    StatusFolder->setFixedWidth(250);
    StatusLink = ui::Make<QLabel>(status, "StatusLink");
    StatusLink->setFixedSize(26, 20);
    StatusInfo = ui::Make<QLabel>(status, "StatusInfo");
    StatusInfo->setFixedWidth(50);
    status->addWidget(StatusFolder);
    status->addWidget(StatusLink);
    status->addWidget(StatusInfo);
}

void TMainForm::EnableDatabaseActions(bool enable) {
    for (QAction* a : m_databaseActions) setActionUsable(a, enable);
    M_ShowView->setEnabled(enable);
    // Commands that need no database but a handler.
    for (QAction* a : m_registered)
        if (std::find(m_databaseActions.begin(), m_databaseActions.end(), a) == m_databaseActions.end())
            setActionUsable(a, true);
    // View fields follows the explorer's selection.
    if (enable) UpdateViewFieldsAction(ViewControl().CurrentView);
}

void TMainForm::UpdateViewFieldsAction(int view) {
    const bool usable = Globals().DatabaseOpen && view != -1 && ViewLayer().ShowViewWindow &&
                        ViewControl().CheckViewIndex(view);
    if (usable) {
        const QString name = ViewControl().GetViewName(view);
        A_ViewView->setText(QStringLiteral("&View ") + name + QStringLiteral(" fields"));
        A_ViewView->setToolTip(QStringLiteral("View ") + name + QStringLiteral(" fields"));
    } else {
        A_ViewView->setText(QStringLiteral("&View fields"));
        A_ViewView->setToolTip(QStringLiteral("View fields"));
    }
    A_ViewView->setEnabled(usable);
}

void TMainForm::ToggleToolbar(QToolBar* toolbar, QAction* action) {
    if (!toolbar) return;
    toolbar->setVisible(action->isChecked());
}

void TMainForm::editCommand(const char* method) {
    QWidget* w = QApplication::focusWidget();
    if (w && isEditControl(w)) QMetaObject::invokeMethod(w, method);
}

void TMainForm::OnlineClick(const QString& valueName, const QString& defaultAddress) {
    MainURL->SetURLType(TURLType::utHttp);
    MainURL->SetURL(core::ReadWinRegString(QStringLiteral("URL"), valueName, defaultAddress));
    // The link component leaves failures to its caller: the user is told, not only the log.
    if (!MainURL->Execute())
        ui::Message(QStringLiteral("The link \"%1\" could not be opened. No web browser could be started on this "
                                   "computer; you can open the address in a browser yourself.")
                        .arg(MainURL->FullAddress()),
                    ui::MessageKind::Warning, ui::Button::Ok);
}

void TMainForm::CloseProgram() { close(); }

void TMainForm::RefreshStatus() {
    updateLinkPicture();
    statusBar()->update();
}

void TMainForm::updateLinkPicture() {
    if (!Globals().DatabaseOpen) {
        StatusLink->clear();
        return;
    }
    const QIcon icon = core::ThemeIcon(UserPrefs().LinkViews ? QStringLiteral("emblem-default")
                                                             : QStringLiteral("emblem-generic"));
    StatusLink->setPixmap(icon.pixmap(20, 20));
    StatusLink->setToolTip(UserPrefs().LinkViews ? QStringLiteral("Views linked") : QStringLiteral("Views not linked"));
}

// ---------------------------------------------------------------------------------------
// Favourites, Views and Windows menus

void TMainForm::BuildFavoritesMenu() {
    const QList<QAction*> items = M_Favorites->actions();
    for (int i = 1; i < items.size(); ++i) delete items[i];
    QAction* none = items.value(0);
    const int count = core::ReadWinRegInt(QStringLiteral("Favorites"), QStringLiteral("Count"), 0);
    if (none) none->setVisible(count <= 0);
    for (int n = 1; n <= count; ++n) {
        const QString name =
            core::ReadWinRegString(QStringLiteral("Favorites"), QStringLiteral("Name") + QString::number(n), {});
        if (name.trimmed().isEmpty()) continue;
        QAction* item = M_Favorites->addAction(name);
        item->setObjectName(QStringLiteral("M_Favorite%1").arg(n));
        item->setProperty("Tag", n);
        connect(item, &QAction::triggered, this, [this, n] { core::RunLastResort([&] { FavoriteClick(n); }); });
    }
}

void TMainForm::FavoriteClick(int n) {
    const QString path =
        core::ReadWinRegString(QStringLiteral("Favorites"), QStringLiteral("Path") + QString::number(n), {});
    if (path.isEmpty() || unsavedChanges()) return;
    OpenDatabase(path.trimmed());
}

void TMainForm::RecentFileClick(QAction* item) {
    core::RunLastResort([&] {
        if (!item || unsavedChanges()) return;
        const QString caption = item->text();
        const int blank = caption.indexOf(QLatin1Char(' '));
        const QString folder = blank >= 0 ? caption.mid(blank + 1) : caption;
        if (!folder.trimmed().isEmpty()) OpenDatabase(folder.trimmed());
    });
}

void TMainForm::BuildViewsMenu() {
    PU_Views->clear();
    M_ShowView->clear();
    TViewControl& views = ViewControl();
    for (int v = 0; v < views.GetViewCount(); ++v) {
        const QString name = views.GetViewName(v);
        const QIcon icon(QPixmap::fromImage(views.GetViewSmallIcon(v)));
        for (QMenu* menu : {PU_Views, M_ShowView}) {
            QAction* item = menu->addAction(icon, name);
            item->setProperty("Tag", v);
            connect(item, &QAction::triggered, this, [this, v] {
                core::RunLastResort([&] {
                    if (ViewControl().IsViewWindowOpen(v)) {
                        BringViewToFront(v, false);
                    } else if (ViewLayer().ShowViewWindow) {
                        ViewLayer().ShowViewWindow(v);
                        QApplication::processEvents();
                    }
                });
            });
        }
    }
}

void TMainForm::AddViewWindowItem(int view) {
    const QString name = ViewControl().GetViewName(view);
    const QList<QAction*> items = M_Windows->actions();
    QAction* before = nullptr;
    for (int i = WindowsMenuFixedCount; i < items.size(); ++i) {
        QString caption = items[i]->text();
        if (caption.startsWith(QLatin1Char('&'))) caption.remove(0, 1);
        if (caption == name) return;
        if (!before && QString::compare(caption, name, Qt::CaseSensitive) > 0) before = items[i];
    }
    auto* item = new QAction(QIcon(QPixmap::fromImage(ViewControl().GetViewSmallIcon(view))), name, M_Windows);
    item->setProperty("Tag", view);
    connect(item, &QAction::triggered, this, [this, view] { BringViewToFront(view, true); });
    M_Windows->insertAction(before, item);
}

void TMainForm::RemoveViewWindowItem(int view, const QString& name) {
    const QString wanted = name.isEmpty() ? ViewControl().GetViewName(view) : name;
    const QList<QAction*> items = M_Windows->actions();
    for (int i = WindowsMenuFixedCount; i < items.size(); ++i) {
        if (items[i]->text() == wanted) {
            delete items[i];
            return;
        }
    }
}

void TMainForm::RefreshWindowsMenu() {
    const QList<QAction*> items = M_Windows->actions();
    for (int i = WindowsMenuFixedCount; i < items.size(); ++i) {
        const int view = items[i]->property("Tag").toInt();
        items[i]->setText(ViewControl().GetViewName(view));
        items[i]->setIcon(QIcon(QPixmap::fromImage(ViewControl().GetViewSmallIcon(view))));
    }
}

void TMainForm::BringViewToFront(int view, bool restore) {
    auto* window = qobject_cast<QWidget*>(ViewControl().GetViewWindow(view));
    if (!window) return;
    const int page = GetViewPageIndex(view);
    if (page >= 0) {
        MainPages->setCurrentIndex(page);
        return;
    }
    if (restore && window->isMinimized()) window->showNormal();
    window->raise();
    window->activateWindow();
}

int TMainForm::GetViewPageIndex(int view) const {
    for (int i = 0; i < MainPages->count(); ++i)
        if (MainPages->widget(i)->property("Tag").toInt() == view) return i;
    return -1;
}

void TMainForm::SetViewPageIndex(int view, int newIndex) {
    const int page = GetViewPageIndex(view);
    if (page < 0 || newIndex < 0 || newIndex >= MainPages->count()) return;
    MainPages->tabBar()->moveTab(page, newIndex);
}

// ---------------------------------------------------------------------------------------
// Icon library and macro texts

void TMainForm::LoadIconLibrary() {
    if (!m_data) return;
    try {
        m_data->LoadViewImages();
    } catch (const db::EDBEngineError&) {
        ui::Message(QStringLiteral("Unable to open the icon library (") + core::AddTrailingBackslash(Globals().LibraryFolder) +
                        QStringLiteral("IconLib.DB). Press F1 for more information."),
                    ui::MessageKind::Error, ui::Button::Ok, 10052);
    }
}

void TMainForm::LoadMacroShortcuts() {
    const bool previous = MacroTextEnabled;
    const bool ready = MacroReady;
    MacroTextEnabled = false;
    MacroShortcuts.clear();
    MacroIDs.clear();
    MacroTypes.clear();
    MacroCount = 0;
    bool ok = false;
    if (m_data && m_data->MacroLibrary->Active()) {
        try {
            db::Table& t = *m_data->MacroLibrary;
            for (t.First(); !t.Eof(); t.Next()) {
                MacroShortcuts.push_back(t.FieldByName(QStringLiteral("Shortcut"))->AsInteger());
                MacroIDs.push_back(t.FieldByName(QStringLiteral("ID"))->AsInteger());
                MacroTypes.push_back(t.FieldByName(QStringLiteral("Type"))->AsInteger());
            }
            MacroCount = int(MacroIDs.size());
            ok = true;
        } catch (const db::EDBEngineError& e) {
            qCWarning(lcCore) << "macro texts not read:" << e.Message();
        }
    }
    MacroReady = ready && MacroCount > 0;
    MacroTextEnabled = ok && MacroCount > 0 && previous;
}

std::pair<int, int> TMainForm::FindMacroShortcut(int shortcut) const {
    std::pair<int, int> found{-1, -1};
    for (int i = 0; i < MacroCount; ++i)
        if (MacroShortcuts[size_t(i)] == shortcut) found = {MacroIDs[size_t(i)], MacroTypes[size_t(i)]};
    return found;
}

int TMainForm::ShortcutOfKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    int vk = 0;
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        vk = qtKey;
    else if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        vk = 0x70 + (qtKey - Qt::Key_F1);
    else if (qtKey == Qt::Key_Space)
        vk = 0x20;
    if (vk == 0) return 0;
    if (modifiers & Qt::ShiftModifier) vk += 0x2000;
    if (modifiers & Qt::ControlModifier) vk += 0x4000;
    if (modifiers & Qt::AltModifier) vk += 0x8000;
    return vk;
}

bool TMainForm::tryMacro(QKeyEvent* key) {
    if (!MacroTextEnabled || !MacroReady || MacroCount == 0) return false;
    QWidget* edit = editableFocus();
    if (!edit) return false;
    const int shortcut = ShortcutOfKey(key->key(), key->modifiers());
    if (shortcut == 0) return false;
    const auto [id, type] = FindMacroShortcut(shortcut);
    if (id <= 0) return false;
    QString text;
    if (type >= 1 && type <= 6) {
        text = core::GetMacroDateText(type);
    } else if (m_data && m_data->MacroLibrary->Active()) {
        db::Table& t = *m_data->MacroLibrary;
        for (t.First(); !t.Eof(); t.Next())
            if (t.FieldByName(QStringLiteral("ID"))->AsInteger() == id) {
                text = t.FieldByName(QStringLiteral("Text"))->AsString();
                break;
            }
    }
    MacroTemp->setText(text);
    // Inserted straight into the edit (as one undoable step): the clipboard keeps what the
    // user put there.
    if (auto* line = qobject_cast<QLineEdit*>(edit))
        line->insert(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(edit))
        rich->insertPlainText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(edit))
        plain->insertPlainText(text);
    return true;
}

QString TMainForm::ExpandFieldHint(const QString& hint, const QString& fieldText) {
    if (!hint.startsWith(QLatin1String("~~VFH"))) return hint;
    bool viewOk = false;
    bool fieldOk = false;
    const int view = hint.mid(5, 3).toInt(&viewOk);
    const int field = hint.mid(8, 3).toInt(&fieldOk);
    if (!viewOk || !fieldOk) return {};
    const TViewControl& views = ViewControl();
    QStringList parts;
    if (views.GetFieldShowHint(view, field))
        parts << views.GetFieldHint(view, field).replace(QLatin1Char('|'), QLatin1Char('\r'));
    if (views.GetFieldMaskInHint(view, field)) parts << views.GetFieldMask(view, field);
    if (views.GetFieldDateFormatHint(view, field)) parts << format::Settings().shortDateFormat;
    if (views.GetFieldLongDateHint(view, field) && !core::IsBlankDate(fieldText) && core::IsValidDateText(fieldText))
        parts << format::FormatDateTime(QStringLiteral("dddddd"), core::DateTextToDate(fieldText));
    return parts.join(QLatin1Char('\r')).trimmed();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu && watched->isWidgetType()) {
        // Edit controls get the edit pop-up, the program's other controls "What's this?".
        auto* widget = static_cast<QWidget*>(watched);
        const bool ours = widget == this || isAncestorOf(widget);
        if (ours && widget->contextMenuPolicy() == Qt::DefaultContextMenu &&
            (isEditControl(widget) || widget->property("HelpContext").toInt() != 0 ||
             widget->property("Tag").toInt() != 0)) {
            m_popupControl = widget;
            QMenu* menu = isEditControl(widget) ? PU_TextEdit : WhatsThis;
            menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    }
    if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->toolTip().startsWith(QLatin1String("~~VFH"))) {
            QString text;
            core::RunLastResort([&] {
                const auto* line = qobject_cast<QLineEdit*>(widget);
                text = ExpandFieldHint(widget->toolTip(), line ? line->text() : QString());
            });
            if (!text.isEmpty())
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text.replace(QLatin1Char('\r'), QLatin1Char('\n')), widget);
            return true;
        }
    }
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched) == QApplication::focusWidget()) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool handled = false;
        if (event->type() == QEvent::ShortcutOverride) {
            // Claim the key so that no menu shortcut takes it; the key press inserts the text.
            const int shortcut = ShortcutOfKey(key->key(), key->modifiers());
            handled = MacroTextEnabled && MacroReady && editableFocus() && shortcut != 0 &&
                      FindMacroShortcut(shortcut).first > 0;
            if (handled) event->accept();
            return false;
        }
        core::RunLastResort([&] { handled = tryMacro(key); });
        if (handled) return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------
// Start-up

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    QTimer::singleShot(0, this, [this] { core::RunLastResort([this] { FormShow(); }); });
}

bool TMainForm::connectLibrary() {
    try {
        m_data->ConnectLibrary(Globals().LibraryFolder);
        return true;
    } catch (const db::EDBEngineError& e) {
        ui::Message(QStringLiteral("Unable to connect to the Library database. There may be a configuration problem.\r"
                                   "The BDE error message is \"%1\".\rPress F1 for help.")
                        .arg(engineText(e)),
                    ui::MessageKind::Error, ui::Button::Ok, 10121);
        return false;
    }
}

void TMainForm::FormShow() {
    WindowsMenuFixedCount = int(M_Windows->actions().size());
    PendingOpen = false;
    PendingFolder.clear();
    const core::StartupCommandLine command = core::ParseCommandLine(m_parameters);
    if (command.Repair) {
        ApplyMaximizePreference(true);
        EnableDatabaseActions(false);
        ui::PostMessage(this, UM_RUNREPAIR);
    } else {
        const bool named = !command.DatabaseFolder.trimmed().isEmpty();
        if (named && core::IsDatabaseFolder(command.DatabaseFolder.trimmed())) {
            PendingOpen = true;
            PendingFolder = command.DatabaseFolder.trimmed();
        } else if (named) {
            // The folder named on the command line is not opened silently in favour of
            // another: the user learns why before the most recent database opens.
            ui::Message(QStringLiteral("The database directory \"%1\" does not exist, or is missing required files. "
                                       "The database cannot be opened.")
                            .arg(command.DatabaseFolder.trimmed()),
                        ui::MessageKind::Error, ui::Button::Ok, 10046);
        }
        if (!PendingOpen && core::ReadWinRegBool(kPrefs, QStringLiteral("ReopenLastDatabase"), true) &&
            RecentMostRecent && !RecentMostRecent().trimmed().isEmpty()) {
            PendingOpen = true;
            PendingFolder = RecentMostRecent().trimmed();
        }
        if (!m_data || !connectLibrary()) {
            if (m_splash) m_splash->deleteLater();
            QTimer::singleShot(0, this, [this] { close(); });
            return;
        }
        BuildFavoritesMenu();
        LoadIconLibrary();
        try {
            m_data->MacroLibrary->Open();
        } catch (const db::EDBEngineError& e) {
            qCWarning(lcCore) << "macro library not opened:" << e.Message();
        }
        LoadMacroShortcuts();
    }
    core::DelayWithMessages(m_splashPauseMs);
    if (m_splash) m_splash->deleteLater();
    QApplication::restoreOverrideCursor();
    core::CenterOnScreen(this);
    ui::PostMessage(this, UM_STARTUP);
}

void TMainForm::ApplyMaximizePreference(bool centre) {
    if (core::ReadWinRegBool(kPrefs, QStringLiteral("MaximizeMainForm"), false)) {
        if (!isMaximized()) showMaximized();
    } else {
        if (windowState() != Qt::WindowNoState) showNormal();
        if (centre) core::CenterOnScreen(this);
    }
}

void TMainForm::startupMessage() {
    if (core::ReadWinRegBool(kPrefs, QStringLiteral("ShowStartupWizard"), true) && core::StartupWizard()) {
        if (!core::StartupWizard()(PendingFolder)) {
            m_startupDone = true;
            close();
            return;
        }
        PendingOpen = !PendingFolder.trimmed().isEmpty();
    }
    if (PendingOpen) {
        FolderToOpen = PendingFolder;
        ui::PostMessage(this, UM_OPENDATABASE);
    } else {
        ApplyMaximizePreference(true);
        EnableDatabaseActions(false);
        m_startupDone = true;
    }
}

void TMainForm::openDatabaseMessage() {
    if (!FolderToOpen.trimmed().isEmpty()) OpenDatabase(FolderToOpen.trimmed());
    m_startupDone = true;
}

bool TMainForm::event(QEvent* e) {
    if (ui::WindowMessage* m = ui::AsWindowMessage(e)) {
        core::RunLastResort([&] {
            switch (m->Msg) {
            case UM_STARTUP: startupMessage(); break;
            case UM_OPENDATABASE: openDatabaseMessage(); break;
            case UM_RUNREPAIR:
                if (!core::RunCommand(QStringLiteral("RepairFromCommandLine"))) qCInfo(lcCore) << "no repair wizard";
                m_startupDone = true;
                break;
            case UM_SHOWTREENOTES: core::RunCommand(QStringLiteral("A_ViewNotes")); break;
            default: break;
            }
        });
        if (m_startupDone && qEnvironmentVariableIsSet("DOSSARA_REPORT_READY")) {
            std::fprintf(stderr, "dossara: ready%s\n", Globals().DatabaseOpen ? " (database open)" : "");
            std::fflush(stderr);
            qunsetenv("DOSSARA_REPORT_READY");
        }
        return true;
    }
    return QMainWindow::event(e);
}

// ---------------------------------------------------------------------------------------
// Opening and closing

bool TMainForm::unsavedChanges() const { return ViewLayer().FindUnsavedChanges && ViewLayer().FindUnsavedChanges(); }

bool TMainForm::openViewTables(const QString& folder) {
    TViewControl& views = ViewControl();
    for (int v = 0; v < views.GetViewCount(); ++v) {
        auto refuse = [&](const QString& problem) {
            ui::Message(QStringLiteral("Unable to open the data table for the %1 View. The database in \"%2\" cannot be "
                                       "opened. Press F1 for help.")
                                .arg(views.GetViewName(v), folder) +
                            (problem.isEmpty() ? QString() : QStringLiteral("\r\r") + problem),
                        ui::MessageKind::Error, ui::Button::Ok, 10050);
            return false;
        };
        // A table swapped for another table's, or a missing word table, is named before
        // anything reads it.
        const TViewDef& view = views.ViewDefs[size_t(v)];
        const QString name = view.DataTableName;
        QStringList marked;  // fields on their way out may still be in the table
        for (const TViewFieldDef& f : view.FieldDefs)
            if (f.MarkedForDelete) marked << f.FieldName;
        QString wrong = core::TableFieldsProblem(folder, core::ViewTableFile(name), core::ViewTableDef(view), marked);
        if (wrong.isEmpty()) wrong = core::WordTableProblem(folder, core::ViewDictTableFile(name), core::ViewTableFile(name));
        if (!wrong.isEmpty()) {
            qCWarning(lcCore) << "View table not opened:" << wrong;
            return refuse(wrong);
        }
        try {
            if (ViewLayer().OpenViewTable) {
                ViewLayer().OpenViewTable(v);
                if (ViewLayer().OpenViewDictTable) ViewLayer().OpenViewDictTable(v);
            } else {
                for (const QString& file : {core::ViewTableFile(name), core::ViewDictTableFile(name)}) {
                    auto table = std::make_unique<db::Table>();
                    table->SetDatabaseName(folder);
                    table->SetTableName(file);
                    table->Open();
                    m_viewTables.push_back(std::move(table));
                }
            }
        } catch (const db::EDBEngineError& e) {
            qCWarning(lcCore) << "View table not opened:" << e.Message();
            return refuse({});
        }
    }
    return true;
}

void TMainForm::closeViewTables() { m_viewTables.clear(); }

void TMainForm::undoPartialOpen() {
    if (m_data && m_data->Registry->Active()) {
        core::SetSettingsTable(nullptr);
        m_data->Registry->Close();
    }
    EnableDatabaseActions(false);
    if (ViewLayer().CloseTreeNotes) ViewLayer().CloseTreeNotes();
    if (ViewLayer().CloseAllViewWindows) ViewLayer().CloseAllViewWindows();
    if (ViewControl().FreeAllViews) ViewControl().FreeAllViews();
    ViewControl().Clear();
    closeViewTables();
    if (m_data) m_data->DisconnectDatabase();
    StatusFolder->clear();
    Globals().DatabaseOpen = false;
    Globals().DatabaseReadOnly = false;
    Globals().CurrentFolder.clear();
    if (ViewLayer().CloseExplorer) ViewLayer().CloseExplorer(false);
}

bool TMainForm::OpenDatabase(const QString& folderIn) {
    const QString folder = QDir::cleanPath(folderIn);
    if (!core::IsDatabaseFolder(folder)) {
        ui::Message(QStringLiteral("The database directory \"%1\" does not exist, or is missing required files. The "
                                   "database cannot be opened.")
                        .arg(folderIn),
                    ui::MessageKind::Error, ui::Button::Ok, 10046);
        return false;
    }
    if (!m_data) return false;
    bool opened = false;
    {
        ui::HourglassCursor hourglass;
        QDir::setCurrent(folder);
        setUpdatesEnabled(false);
        core::RunLastResort([&] {
            CloseDatabase(false);
            if (Globals().DatabaseOpen) return;  // refused: a View holds unsaved changes
            // Connection.
            try {
                m_data->DisconnectDatabase();
                m_data->DSDB->SetDatabaseName(folder);
                m_data->DSDB->SetParams({QStringLiteral("PATH=") + folder});
                m_data->DSDB->Open();
            } catch (const db::EDBEngineError& e) {
                m_data->DisconnectDatabase();
                refuseOpen(QStringLiteral("Unable to connect to the database. There may be a configuration problem."),
                           e, folder, 10003);
                return;
            }
            // Settings table.
            try {
                for (db::Table* t : {m_data->Registry, static_cast<db::Table*>(m_data->Hierarchy), m_data->HierarchyDict,
                                     m_data->tsTable, m_data->tsField, m_data->SrcTable})
                    t->SetDatabaseName(folder);
                m_data->Registry->Open();
                core::SetSettingsTable(m_data->Registry);
            } catch (const db::EDBEngineError& e) {
                m_data->DisconnectDatabase();
                refuseOpen(QStringLiteral("Unable to open the configuration table (Registry) - it may be damaged."), e,
                           folder, 10047);
                return;
            }
            // Hierarchy and its word table, each with the fields it must have.
            QString wrong = core::TableFieldsProblem(folder, core::kHierarchyTable, core::HierarchyTableDef());
            if (wrong.isEmpty()) wrong = core::WordTableProblem(folder, core::kHierarchyDictTable, core::kHierarchyTable);
            if (!wrong.isEmpty()) {
                undoPartialOpen();
                refuseWrongTable(QStringLiteral("Unable to open the Hierarchy table - it may be damaged."), wrong, folder,
                                 10048);
                return;
            }
            try {
                m_data->HierarchyTextLink->SetTable(m_data->Hierarchy);
                m_data->HierarchyDict->Open();
                core::AddHierarchyParentIndex(folder);  // older databases lack it; left out when read-only
                m_data->Hierarchy->Open();
            } catch (const db::EDBEngineError& e) {
                undoPartialOpen();
                refuseOpen(QStringLiteral("Unable to open the Hierarchy table - it may be damaged."), e, folder, 10048);
                return;
            }
            // View definitions, then every View's tables.
            bool loaded = false;
            try {
                loaded = ViewControl().LoadViewDefinitions();
            } catch (const std::exception& e) {
                qCWarning(lcCore) << "View definitions not loaded:" << e.what();
            }
            if (!loaded) {
                undoPartialOpen();
                refuseOpen(
                    QStringLiteral("Unable to load the View definitions from the configuration file (Registry)."),
                    folder, 10049);
                return;
            }
            if (!openViewTables(folder)) {
                undoPartialOpen();
                return;
            }
            BuildViewsMenu();
            if (RecentAddFile) RecentAddFile(folder);
            Globals().DatabaseReadOnly = core::IsReadOnlyFolder(folder);
            Globals().DatabaseOpen = true;  // the preferences and layout read the open database
            EnableDatabaseActions(true);
            ApplyPreferences(true);
            ApplyLayout();
            if (ViewLayer().StartExplorer && !ViewLayer().StartExplorer()) {
                undoPartialOpen();
                refuseOpen(QStringLiteral("Unable to start the Explorer."), folder, 10051);
                return;
            }
            if (ViewLayer().ShowStartupViews) ViewLayer().ShowStartupViews();
            core::WriteWinRegBool(kPrefs, QStringLiteral("ShowStartupWizard"), false);
            if (MainPages->count() > 1) {
                MainPages->setCurrentIndex(1);
                MainPages->setCurrentIndex(0);
            }
            if (UserPrefs().RestoreScreenLayout && rb("Forms", "TreeNoteForm", "Layout", "Visible", false))
                ui::PostMessage(this, UM_SHOWTREENOTES);
            Globals().CurrentFolder = folder;
            Globals().LastFolder = folder;
            StatusFolder->setText(folder);
            StatusFolder->setToolTip(folder);
            opened = true;
        });
        if (!opened && Globals().DatabaseOpen && Globals().CurrentFolder.isEmpty()) undoPartialOpen();
        setUpdatesEnabled(true);
    }
    RefreshStatus();
    qCInfo(lcCore) << (opened ? "database opened:" : "database not opened:") << folder;
    if (opened && Globals().DatabaseReadOnly)
        ui::Message(QStringLiteral("The database \"%1\" is read-only. You can look at it and search it, but changes "
                                   "to it cannot be saved.")
                        .arg(folder),
                    ui::MessageKind::Information, ui::Button::Ok);
    return opened;
}

void TMainForm::CloseDatabase(bool closeExplorer) {
    if (!Globals().DatabaseOpen || unsavedChanges()) return;
    {
        ui::HourglassCursor hourglass;
        core::RunLastResort([&] {
            EnableDatabaseActions(false);
            if (m_data && m_data->Registry->Active()) {
                core::SaveFormPosition(this, QStringLiteral("Main"));
                core::WriteRegInt(kForms, QStringLiteral("Main"), kLayout, QStringLiteral("MainPagesWidth"),
                                  MainPages->width());
                core::WriteRegBool(kForms, QStringLiteral("Main"), kLayout, QStringLiteral("WasMaximized"), isMaximized());
                core::WriteRegBool(kForms, QStringLiteral("TreeNoteForm"), kLayout, QStringLiteral("Visible"),
                                   ViewLayer().IsTreeNotesOpen && ViewLayer().IsTreeNotesOpen());
            }
        });
        core::RunLastResort([&] {
            if (ViewLayer().CloseSearchWindows) ViewLayer().CloseSearchWindows();
            if (ViewLayer().CloseTreeNotes) ViewLayer().CloseTreeNotes();
            if (ViewLayer().CloseAllViewWindows) ViewLayer().CloseAllViewWindows();
            QApplication::processEvents();
            if (ViewControl().FreeAllViews) ViewControl().FreeAllViews();
        });
        ViewControl().Clear();
        closeViewTables();
        BuildViewsMenu();
        if (m_data) m_data->DisconnectDatabase();
        StatusFolder->clear();
        StatusFolder->setToolTip({});
        Globals().DatabaseOpen = false;
        Globals().DatabaseReadOnly = false;
        Globals().CurrentFolder.clear();
        core::RunLastResort([&] {
            if (ViewLayer().CloseExplorer) ViewLayer().CloseExplorer(closeExplorer);
        });
        QApplication::processEvents();
    }
    RefreshStatus();
}

void TMainForm::ApplyPreferences(bool force) {
    if (!force && !Globals().DatabaseOpen) return;
    core::SettingsReadSession session;
    TUserPrefs& prefs = UserPrefs();
    prefs.AllowDragDock = rb("Preferences", "General", "Docking", "AllowDragDock", true);
    if (ViewLayer().SetAllWindowsDragMode) ViewLayer().SetAllWindowsDragMode(prefs.AllowDragDock);
    switch (ri("Preferences", "Display", "MainForm", "DockPanelTabPosition", 0)) {
    case 0: MainPages->setTabPosition(QTabWidget::North); break;
    case 1: MainPages->setTabPosition(QTabWidget::East); break;
    case 2: MainPages->setTabPosition(QTabWidget::South); break;
    case 3: MainPages->setTabPosition(QTabWidget::West); break;
    default: break;
    }
    prefs.RestoreScreenLayout = rb("Preferences", "Display", "General", "RestoreScreenLayout", true);

    format::FormatSettings dates = format::Settings();
    dates.shortDateFormat = rs("Preferences", "Dates", "General", "DateFormat", QStringLiteral("dd/mm/yyyy"));
    const QString separator = rs("Preferences", "Dates", "General", "DateSeparator", QStringLiteral("/"));
    dates.dateSeparator = separator.isEmpty() ? QLatin1Char('/') : separator.at(0);
    dates.longDateFormat = rs("Preferences", "Dates", "General", "LongDateFormat", QStringLiteral("mmmm d, yyyy"));
    prefs.Year2000Cutoff = ri("Preferences", "Dates", "General", "Year2000Cutoff", 50);
    dates.twoDigitYearCutoff = prefs.Year2000Cutoff;
    format::SetSettings(dates);
    const QString oldest = rs("Preferences", "Dates", "General", "OldestDate", {});
    if (oldest.trimmed().isEmpty()) {
        prefs.OldestDate = base::DateToDays(QDate(1900, 1, 1));
    } else if (const auto date = format::TryStrToDate(oldest)) {
        prefs.OldestDate = base::DateToDays(*date);
    } else {
        // A stored date the new format cannot read keeps the previous oldest date; the
        // preferences after it are applied all the same.
        core::ShowLastResortError(format::EConvertError(
            QStringLiteral("'%1' is not a valid date").arg(oldest), format::kInvalidDate));
    }
    prefs.OnOldDate = rs("Preferences", "Dates", "General", "OnOldDate", QStringLiteral("Warn"));

    prefs.BeepOnKeyError = rb("Preferences", "Sounds", "ErrorBeep", "BeepOnKeyError", true);
    prefs.BeepOnFieldError = rb("Preferences", "Sounds", "ErrorBeep", "BeepOnFieldError", true);
    MacroTextEnabled = rb("Preferences", "General", "Misc", "EnableMacroText", true);
    prefs.LinkViews = rb("Preferences", "Display", "Views", "LinkViews", true);
    prefs.BringActiveToFront = rb("Preferences", "Display", "Views", "BringActiveToFront", true);
    prefs.MatchLimit = ri("Preferences", "QuickSearch", "Find", "MatchLimit", 500);

    core::LoadToolbarState(FileToolbar, QStringLiteral("File"), A_TBFile);
    core::LoadToolbarState(EditToolBar, QStringLiteral("Edit"), A_TBEdit);
    core::LoadToolbarState(ViewToolBar, QStringLiteral("View"), A_TBView);
    core::LoadToolbarState(ToolsToolbar, QStringLiteral("Tools"), A_TBTools);
    core::LoadToolbarState(HelpToolBar, QStringLiteral("Help"), A_TBHelp);

    if (ViewLayer().PostToViewWindows) ViewLayer().PostToViewWindows(UM_PREFSCHANGED, 0, 0);
    QApplication::processEvents();
    RefreshStatus();
}

void TMainForm::ApplyLayout() {
    if (!UserPrefs().RestoreScreenLayout) return;
    if (rb("Forms", "Main", "Layout", "WasMaximized", false)) {
        showMaximized();
    } else {
        if (windowState() != Qt::WindowNoState) showNormal();
        core::RestoreFormPosition(this, QStringLiteral("Main"), 500, 700);
    }
    if (layout()) layout()->activate();  // the splitter takes the restored width now
    int pagesWidth = ri("Forms", "Main", "Layout", "MainPagesWidth", width() / 2);
    if (pagesWidth <= 0) pagesWidth = width() / 2;
    const int total = MainSplitter->width() > 0 ? MainSplitter->width() : width();
    pagesWidth = std::clamp(pagesWidth, 4, std::max(4, total - 4 - MainSplitter->handleWidth()));
    MainSplitter->setSizes({total - pagesWidth - MainSplitter->handleWidth(), pagesWidth});
}

void TMainForm::FileOpenClick() {
    if (unsavedChanges()) return;
    const QString recent = RecentMostRecent ? RecentMostRecent() : QString();
    QString folder = !recent.isEmpty() ? recent : Globals().LastFolder;
    QString last = Globals().LastFolder;
    if (!core::BrowseForFolder(QStringLiteral("Open Dossara folder"), folder, last, true) || folder.trimmed().isEmpty())
        return;
    Globals().LastFolder = folder.trimmed();
    OpenDatabase(folder.trimmed());
}

// ---------------------------------------------------------------------------------------
// Ending the program

bool TMainForm::FormCloseQuery() { return !unsavedChanges(); }

void TMainForm::FormClose() {
    try {
        CloseDatabase(true);
        if (m_data) {
            if (m_data->MacroLibrary->Active()) m_data->MacroLibrary->Close();
            m_data->DisconnectLibrary();
        }
        ViewControl().IconMap.clear();
    } catch (...) {
        qCWarning(lcCore) << "a failure while the program closes was passed over";
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}
