#include "report/script/gui/script_gui_texts.h"

#include "report/script/gui/calc_dialog.h"
#include "report/script/gui/code_manager.h"
#include "report/script/code_module.h"
#include "report/script/object_adapters.h"
#include "report/script/program.h"
#include "report/designer/gui/designer_texts.h"
#include "report/page/resource_manager.h"

#include "platform/base/scope_exit.h"
#include "platform/ui/help.h"

#include <QFileInfo>

namespace script::gui {

namespace {
bool g_initialized = false;
const QString kTextSet = QStringLiteral("tsOrvel");
}  // namespace

void DeclareScriptGuiTexts() {
    static const bool declared = [] {
        report::DeclareDesignerTexts();
        script::DeclareScriptTexts();
        report::DeclareTexts({
            {5, "Cancel"},
            {120, "&Edit"}, {122, "&Copy"}, {123, "Cu&t"}, {124, "&Delete"}, {125, "&Paste"},
            {127, "Select &All"}, {130, "&Undo"}, {131, "&File"}, {132, "&Close"}, {138, "&Save"},
            {139, "Save &As..."}, {142, "&Help"}, {143, "&About..."}, {144, "&Help Topics"}, {155, "&View"},
            {374, "Main"},
            {17, "OK"},
            {197, "Calculations"},
            {547, "Delete"},
            {901, "Events"},
            {902, "Export"},
            {903, "Import"},
            {904, "Messages"},
            {905, "Module"},
            {906, "Toolbox"},
            {907, "Variables"},
            {909, "<name> could not be compiled"},
            {913, "Calc"},
            {916, "Code Toolbox: Data"},
            {917, "Code Toolbox: Language"},
            {918, "Code Toolbox: Report Objects"},
            {919, "Code"},
            {920, "Compile Completed: 0 Errors"},
            {921, "Compile"},
            {927, "Data"},
            {929, "Declarations"},
            {930, "Definition"},
            {934, "Event Handlers"},
            {935, "Events for <name>"},
            {940, "Global"},
            {944, "Language"},
            {951, "Module View"},
            {953, "Name"},
            {955, "New Function"},
            {956, "New Procedure"},
            {957, "New"},
            {960, "Objects"},
            {962, "Programs"},
            {963, "Properties for <name>"},
            {965, "Read Only"},
            {968, "Report Bands"},
            {970, "Report Objects"},
            {971, "Revert"},
            {972, "Save"},
            {978, "Type"},
            {982, "Value"},
            {984, "Variables for <name>"},
        });
        return true;
    }();
    (void)declared;
}

void InitializeScriptGuiUnit() {
    if (g_initialized) return;
    g_initialized = true;
    DeclareScriptGuiTexts();
    script::RegisterCodeModuleClasses();
    script::RegisterObjectAdapters();
    report::RegisterForm<TppCustomCalcDialog, TraCalcDialog>();
    ppRegisterDesignModule(TraCodeManager::ModuleClass(), QStringLiteral("TppDesignerWindow"));
    ppGetResourceManager().RegisterModule(kTextSet);
}

void FinalizeScriptGuiUnit() {
    if (!g_initialized) return;
    g_initialized = false;
    ppUnregisterDesignModule(TraCodeManager::ModuleClass(), QStringLiteral("TppDesignerWindow"));
    report::UnRegisterForm<TppCustomCalcDialog>();
    ppGetResourceManager().UnRegisterModule(kTextSet);
}

void ShowLibraryHelp(const QString& aFile, const QString& aKeyword) {
    const QString previous = ui::HelpService::HelpFile();
    const QString folder = previous.isEmpty() ? QString() : QFileInfo(previous).path();
    ui::HelpService::SetHelpFile(folder.isEmpty() ? aFile : folder + QLatin1Char('/') + aFile);
    const auto restore = base::ScopeExit([previous] { ui::HelpService::SetHelpFile(previous); });
    ui::HelpService::ShowKeyword(aKeyword);
}

void ShowOrvelHelp(const QString& aKeyword) { ShowLibraryHelp(QStringLiteral("Orvel.hlp"), aKeyword); }

}  // namespace script::gui
