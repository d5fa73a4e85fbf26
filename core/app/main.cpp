// The records manager Dossara: the splash window first, then the start-up initialisation,
// the main window and the main data module, then the event loop. The main window's show
// continues start-up (command line, library, first database).
//
// The program folder is the folder of the executable; DOSSARA_PROGRAM_FOLDER points it
// elsewhere (tests, an installed program whose data lives apart).

#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/confirm_dialogs.h"
#include "core/gui/customize_hooks.h"
#include "core/gui/rebuild_forms.h"
#include "core/gui/explorer.h"
#include "core/gui/global_update.h"
#include "core/gui/last_resort.h"
#include "core/gui/main_form.h"
#include "core/gui/memo_dialogs.h"
#include "core/gui/qs_search.h"
#include "core/gui/splash_screen.h"
#include "core/gui/tree_note_form.h"
#include "core/gui/view_form.h"
#include "core/gui/view_list_form.h"
#include "core/main_data_mod.h"
#include "core/search_data.h"
#include "core/startup.h"
#include "core/system_helpers.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/view_tables.h"

#include "services/gui/directory_browse.h"
#include "services/gui/recent_file_list.h"
#include "services/gui/repair_wizard.h"
#include "services/gui/new_db_wizard.h"
#include "services/gui/save_db.h"
#include "services/gui/shortcut_wizard.h"
#include "services/gui/startup_wizard.h"
#include "services/gui/template_manager.h"
#include "services/gui/template_save.h"
#include "services/gui/preferences.h"
#include "services/gui/mask_manager.h"
#include "services/gui/macro_manager.h"
#include "services/gui/icon_manager.h"
#include "services/gui/about_box.h"
#include "services/quorrel.h"

#include "report/script/gui/script_gui_texts.h"

#include "platform/format/format_settings.h"
#include "platform/settings/ini_document.h"
#include "platform/ui/gui/widget_dialog_service.h"
#include "platform/ui/help.h"
#include "report/designer/data/data_tab_unit.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QStandardPaths>

namespace {

/// The application object: an exception that no handler caught reaches the program's
/// last-resort handler, and the program goes on.
class TDossaraApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        bool result = false;
        core::RunLastResort([&] { result = QApplication::notify(receiver, event); });
        return result;
    }
};

}  // namespace

int main(int argc, char** argv) {
    TDossaraApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dossara"));
    QApplication::setApplicationVersion(QStringLiteral(DOSSARA_VERSION));
    // Per-user settings are shared with the settings-table editor: one store for both.
    settings::SetConfigRoot(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                                .filePath(QStringLiteral("dossara")));
    ui::InstallGuiServices();
    core::InstallConfirmationDialogs();
    // The report designer's Calc page and calculations dialog.
    script::gui::InitializeScriptGuiUnit();
    format::SetSettings(format::FormatSettings::FromLocale(QLocale::system()));
    // The report units' registries: the designer's Data page and the data workspace's windows.
    report::data::RegisterDataTab();

    Globals().VersionText = core::GetVersionString(QStringLiteral("ProductVersion"));
    auto* splash = new TSplashScreen(Globals().VersionText);
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    ui::HelpService::SetHelpFile({});
    QString programFolder = qEnvironmentVariable("DOSSARA_PROGRAM_FOLDER");
    if (programFolder.isEmpty()) programFolder = QApplication::applicationDirPath();
    core::StartupInit(programFolder);
    ui::HelpService::SetHelpFile(Globals().ProgramFolder + QStringLiteral("Help/Dossara.hlp"));

    int result = 0;
    {
        TMainForm mainForm;
        TMainDataMod data(&mainForm);
        mainForm.SetDataModule(&data);
        TSearchData searchData(data);
        core::ViewTables viewTables(ViewControl(), data, searchData);
        viewTables.Install();
        searchData.Tables = &viewTables;
        searchData.Views = &ViewControl();
        core::InstallSearchCommands(searchData, &mainForm);
        InstallViewWindows(ViewControl(), viewTables, &mainForm, &data);
        struct ClearViewLayer {
            ~ClearViewLayer() {
                ViewLayer() = TViewLayer{};
                ViewControl().FreeAllViews = {};
                ViewControl().CreateViewComponents = {};
                ViewControl().ApplyFieldRestructure = {};
                core::Customize() = core::CustomizeHooks{};
            }
        } clearViewLayer;
        core::InstallExplorer(&mainForm);
        core::InstallTreeNotes(&mainForm, viewTables);
        core::InstallViewListWindows(&mainForm);
        core::InstallMemoDialogs(viewTables, data, &mainForm);
        core::InstallGlobalUpdate(ViewControl(), viewTables, &data, &mainForm);
        core::InstallCustomizeLibraries(data);
        core::Customize().FullRebuild = [&searchData, &mainForm] {
            core::Customize().FullRebuildSucceeded = core::RebuildDatabase(searchData, &mainForm);
        };

        // Every window that asks for a folder shows "Browse for Folder".
        core::SetFolderChooser([](const QString& title, QString& folder, QString& lastFolder, bool allowEdit) {
            return BrowseForFolder(title, folder, lastFolder, allowEdit);
        });
        struct ClearFolderChooser {
            ~ClearFolderChooser() { core::SetFolderChooser({}); }
        } clearFolderChooser;

        // The shared zip component with its published defaults, owned by the main window;
        // the template package export and import reach it through services::Quorrel().
        auto* quorrel = new TQuorrel(&mainForm);
        quorrel->setObjectName(QStringLiteral("Quorrel"));
        services::SetQuorrel(quorrel);

        TRecentFileList recent(&mainForm);
        recent.setObjectName(QStringLiteral("RecentFileList"));
        recent.SetFileMenu(mainForm.FileMenu());
        recent.SetIniFileName(QStringLiteral("\\SOFTWARE\\Dossara\\"));
        recent.OnClick = [&mainForm](QAction* item) { mainForm.RecentFileClick(item); };
        recent.Loaded();
        mainForm.RecentMostRecent = [&recent] { return recent.MostRecent(); };
        mainForm.RecentAddFile = [&recent](const QString& folder) { recent.AddFile(folder); };
        // dossara /REPAIR: the "Check and Repair" wizard.
        InstallRepairWizard(&mainForm);
        InstallSaveDatabaseAs(&mainForm);
        InstallShortcutWizard(&mainForm);
        InstallNewDatabaseWizard(&mainForm);
        InstallTemplateManager(&mainForm);
        InstallSaveTemplate(&mainForm);
        InstallStartupWizard(&mainForm);
        InstallPreferences(&mainForm, &viewTables);
        InstallMaskManager(&mainForm);
        InstallMacroManager(&mainForm);
        InstallIconManager(&mainForm, &viewTables);
        InstallAbout(&mainForm);

        mainForm.SetParameters(QApplication::arguments().mid(1));
        mainForm.SetSplash(splash);
        // Benchmarks set how long the splash window is held (milliseconds).
        if (qEnvironmentVariableIsSet("DOSSARA_SPLASH_PAUSE_MS"))
            mainForm.SetSplashPauseMs(qEnvironmentVariableIntValue("DOSSARA_SPLASH_PAUSE_MS"));
        mainForm.show();
        result = QApplication::exec();
    }
    core::ReleasePrivateDirectory();
    return result;
}
