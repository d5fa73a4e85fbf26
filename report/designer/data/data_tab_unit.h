#pragma once

namespace report::data {

/// Declares the texts of the Data page, its tool windows and its two dialogs. Idempotent.
void DeclareDataTabTexts();
/// Start-up of the Data page: the data workspace's windows (InitializeDataGuiUnit: the query
/// designer as a data wizard), the Data page as a design module of "TppDesignerWindow", the
/// Database Settings dialog as the form of TppCustomDataSettingsDialog and the Preview Data
/// dialog as the form data views find under "TdaPreviewDataDialog". Idempotent.
void RegisterDataTab();
/// Undoes RegisterDataTab in the same order (design module, settings dialog, preview dialog).
void UnRegisterDataTab();

}  // namespace report::data
