#include "report/designer/gui/designer_forms.h"

#include "report/designer/gui/barcode_dialog.h"
#include "report/designer/gui/label_wizard.h"
#include "report/designer/gui/page_setting_dialog.h"
#include "report/designer/gui/page_setup_dialog.h"
#include "report/designer/gui/report_wizard.h"
#include "report/designer/gui/rtf_editor.h"

namespace report {

void RegisterDesignerForms() {
    static const bool done = [] {
        InstallBarCodeDialog();
        InstallRTFEditor();
        InstallPageSetupDialog();
        InstallPageSettingDialog();
        RegisterReportWizard();
        RegisterLabelTemplateWizard();
        return true;
    }();
    (void)done;
}

}  // namespace report
