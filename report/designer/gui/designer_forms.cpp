#include "report/designer/gui/designer_forms.h"

#include "report/designer/gui/barcode_dialog.h"
#include "report/designer/gui/calc_order_dialog.h"
#include "report/designer/gui/group_dialog.h"
#include "report/designer/gui/label_wizard.h"
#include "report/designer/gui/page_setting_dialog.h"
#include "report/designer/gui/page_setup_dialog.h"
#include "report/designer/gui/position_dialogs.h"
#include "report/designer/gui/print_to_file_setup_dialog.h"
#include "report/designer/gui/report_wizard.h"
#include "report/designer/gui/rtf_editor.h"
#include "report/designer/gui/small_design_dialogs.h"

namespace report {

void RegisterDesignerForms() {
    static const bool done = [] {
        InstallBarCodeDialog();
        InstallRTFEditor();
        InstallPageSetupDialog();
        InstallPageSettingDialog();
        RegisterReportWizard();
        RegisterLabelTemplateWizard();
        RegisterGroupDialog();
        RegisterPositionDialogs();
        RegisterPrintToFileSetupDialog();
        RegisterSmallDesignDialogs();
        RegisterCalcOrderDialog();
        return true;
    }();
    (void)done;
}

}  // namespace report
