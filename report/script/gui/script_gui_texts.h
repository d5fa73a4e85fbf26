#pragma once

// Start-up of the code workspace: its numbered texts (text set "tsOrvel"), the Calc page as a
// design module of "TppDesignerWindow" and the calculations dialog as the form for
// TppCustomCalcDialog.

#include <QString>

namespace script::gui {

/// Declares the workspace's numbered texts. Idempotent.
void DeclareScriptGuiTexts();
/// Registers the Calc page, the calculations dialog and the text set. Idempotent.
void InitializeScriptGuiUnit();
/// Undoes InitializeScriptGuiUnit.
void FinalizeScriptGuiUnit();

/// Shows a keyword of the language's help file "Orvel.hlp" (beside the program's help file);
/// the program's help file is restored afterwards.
void ShowOrvelHelp(const QString& aKeyword);
/// Shows a keyword of another help file of the report library ("Marlisk.hlp").
void ShowLibraryHelp(const QString& aFile, const QString& aKeyword);

}  // namespace script::gui
