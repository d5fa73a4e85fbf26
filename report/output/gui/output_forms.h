#pragma once

namespace report {
/// Registers the default forms of the output side with the dialog registry (the progress
/// dialog for TppCustomCancelDialog). Idempotent; UnRegisterOutputForms removes them.
void RegisterOutputForms();
void UnRegisterOutputForms();
}  // namespace report
