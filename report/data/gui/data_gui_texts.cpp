#include "report/data/gui/data_gui_texts.h"

#include "report/data/data_texts.h"
#include "report/data/gui/join_dialogs.h"
#include "report/data/gui/query_designer.h"
#include "report/data/gui/query_wizard.h"
#include "report/output/output_texts.h"
#include "report/page/class_library.h"
#include "report/page/resource_manager.h"

namespace report::data {

namespace {
bool g_initialized = false;
}

void DeclareQueryDesignerTexts() {
    static const bool declared = [] {
        DeclareDataTexts();
        DeclareOutputTexts();
        DeclareTexts({
            {709, "(a > z)"}, {710, "(z > a)"}, {713, "Add"}, {716, "Add Parentheses"}, {718, "All Fields"},
            {725, "Are you sure you want to edit the SQL?"}, {727, "Available Fields"}, {728, "Available Tables"},
            {735, "Calcs"}, {736, "Calculated Fields"}, {737, "Calculations"}, {741, "Criteria"},
            {746, "Data Pipeline Name"}, {751, "Desc"}, {753, "Description"}, {754, "Distinct"},
            {757, "Edit SQL"}, {760, "Field"}, {761, "Field Alias"}, {762, "Field SQL Alias"}, {763, "Fields"},
            {766, "Function"}, {767, "Group"}, {769, "Group Fields"}, {774, "Insert Criteria"},
            {775, "Insert NOT"}, {776, "Insert OR"}, {779, "Join <name> Table with"},
            {780, "Join fields have not been selected."}, {781, "Join Table"}, {782, "Join Type"},
            {783, "Joined Fields"}, {790, "Natural Order"}, {799, "Numeric Field"},
            {801, "Once you manually edit the SQL you can no longer use the visual design tabs to modify the query."},
            {802, "Operator"}, {806, "Please select a field and operator."}, {810, "Query Designer"},
            {813, "Remove"}, {814, "Remove Parentheses"}, {817, "Save changes to <name> ?"}, {818, "Search"},
            {819, "Search Criteria"}, {823, "Selected Fields"}, {824, "Selected Tables"}, {827, "Sort"},
            {828, "Sort Fields"}, {830, "SQL Alias"}, {833, "Table"}, {834, "Table Name"},
            {835, "Table SQL Alias"}, {836, "Tables"}, {837, "Value"}, {841, "AutoSearch"}, {842, "Mandatory"},
        });
        return true;
    }();
    (void)declared;
}

void InitializeDataGuiUnit() {
    if (g_initialized) return;
    g_initialized = true;
    InitializeDataUnit();
    DeclareQueryDesignerTexts();
    RegisterForm<TdaCustomJoinTableDialog, TdaJoinTableDialog>();
    RegisterQueryWizard();
    RegisterClass(&TdaQueryDesigner::staticMetaObject);
    daRegisterDataWizard(ppWizardClass<TdaQueryDesigner>());
}

void FinalizeDataGuiUnit() {
    if (!g_initialized) return;
    g_initialized = false;
    UnRegisterForm<TdaCustomJoinTableDialog>();
    UnRegisterQueryWizard();
    UnRegisterClass(&TdaQueryDesigner::staticMetaObject);
    daUnRegisterDataWizard(ppWizardClass<TdaQueryDesigner>());
}

}  // namespace report::data
