#pragma once

namespace report {

/// Registers the designer's forms and wizards where the report library looks them up: the
/// barcode and rich text editors, Page Setup and Page Setting, and the report and label
/// wizards of New Items, the Groups, Position, Print to File Setup and Calc Order dialogs
/// and the small design dialogs. A program that opens the designer calls it once at start-up.
void RegisterDesignerForms();

}  // namespace report
