#include "report/output/gui/output_forms.h"

#include "report/output/gui/auto_search_dialog.h"
#include "report/output/gui/cancel_dialog.h"
#include "report/output/gui/print_dialog.h"
#include "report/output/gui/print_preview.h"

namespace report {

void RegisterOutputForms() {
    RegisterForm<TppCustomCancelDialog, TppCancelDialog>();
    RegisterForm<TppCustomPreviewer, TppPrintPreview>();
    RegisterForm<TppCustomPrintDialog, TppPrintDialog>();
    RegisterForm<TppCustomAutoSearchDialog, TppAutoSearchDialog>();
}

void UnRegisterOutputForms() {
    UnRegisterForm<TppCustomCancelDialog>();
    UnRegisterForm<TppCustomPreviewer>();
    UnRegisterForm<TppCustomPrintDialog>();
    UnRegisterForm<TppCustomAutoSearchDialog>();
}

}  // namespace report
