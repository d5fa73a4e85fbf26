#include "report/output/gui/output_forms.h"

#include "report/output/gui/cancel_dialog.h"

namespace report {

void RegisterOutputForms() {
    RegisterForm<TppCustomCancelDialog, TppCancelDialog>();
}

void UnRegisterOutputForms() {
    UnRegisterForm<TppCustomCancelDialog>();
}

}  // namespace report
