#pragma once

namespace report {

/// Declares the numbered texts of the report explorer, its window, its item list and its
/// open and save dialog (idempotent).
void DeclareExplorerTexts();

}  // namespace report
