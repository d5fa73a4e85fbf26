#include "report/designer/data/data_tab_unit.h"

#include "report/data/gui/data_gui_texts.h"
#include "report/designer/data/data_settings_dialog.h"
#include "report/designer/data/data_tab.h"
#include "report/designer/data/preview_data_dialog.h"
#include "report/designer/gui/design_module.h"
#include "report/designer/gui/designer_texts.h"
#include "report/page/resource_manager.h"

namespace report::data {

namespace {
bool g_registered = false;
const QString kDesignerClass = QStringLiteral("TppDesignerWindow");
}  // namespace

void DeclareDataTabTexts() {
    static const bool declared = [] {
        DeclareQueryDesignerTexts();
        report::DeclareDesignerTexts();
        DeclareTexts({
            {701, "&Data Settings"}, {702, "&Export"}, {703, "&Export To File"}, {704, "&File"},
            {705, "&Import"}, {706, "&Import From File"}, {707, "&Merge"}, {708, "&New"},
            {717, "All Pages"}, {720, "Allow Edit SQL As Text"},
            {724, "Are you sure you want to delete the dataview <name> ?"}, {742, "Data"},
            {743, "Data Access"}, {744, "Data Connection"}, {745, "Data Dictionary"}, {747, "Database Name"},
            {748, "Database Settings"}, {750, "Delete"}, {800, "of"}, {807, "Preview"}, {808, "Preview Data"},
            {812, "Record"}, {825, "Session Type"}, {831, "SQL Type"}, {843, "Database Type"},
            {332, "Invalid Number."},
        });
        return true;
    }();
    (void)declared;
}

void RegisterDataTab() {
    if (g_registered) return;
    g_registered = true;
    InitializeDataGuiUnit();
    DeclareDataTabTexts();
    ppRegisterDesignModule(TdaDataManager::ModuleClass(), kDesignerClass);
    RegisterForm<TppCustomDataSettingsDialog, TdaDataSettingsDialog>();
    RegisterForm<TdaCustomPreviewDataDialog, TdaPreviewDataDialog>();
}

void UnRegisterDataTab() {
    if (!g_registered) return;
    g_registered = false;
    ppUnregisterDesignModule(TdaDataManager::ModuleClass(), kDesignerClass);
    UnRegisterForm<TppCustomDataSettingsDialog>();
    UnRegisterForm<TdaCustomPreviewDataDialog>();
}

}  // namespace report::data
