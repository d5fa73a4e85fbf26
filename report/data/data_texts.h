#pragma once

namespace report::data {

/// Declares the default texts of the data workspace (the dictionary's validation messages,
/// the names of calculations, operators, join types and criteria items).
/// Idempotent.
void DeclareDataTexts();
/// Start-up of the data workspace: its texts, the language module "tsDavrel", the data
/// dictionary's and the query model's classes for streaming. Idempotent.
void InitializeDataUnit();
/// The end: unregisters what InitializeDataUnit registered.
void FinalizeDataUnit();

}  // namespace report::data
