#pragma once

namespace report::data {

/// Declares the default texts of the data workspace (the dictionary's validation messages).
/// Idempotent.
void DeclareDataTexts();
/// Start-up of the data workspace: its texts, the language module "tsDavrel" and the data
/// dictionary's class for streaming. Idempotent.
void InitializeDataUnit();
/// The end: unregisters what InitializeDataUnit registered.
void FinalizeDataUnit();

}  // namespace report::data
