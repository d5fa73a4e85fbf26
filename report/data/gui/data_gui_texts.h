#pragma once

namespace report::data {
/// Declares the texts of the query designer and its dialogs. Idempotent.
void DeclareQueryDesignerTexts();
/// Start-up of the data workspace's windows: their texts, the join dialog's form for
/// TdaCustomJoinTableDialog and the query designer as a data wizard (and as a class, so that
/// query data views find their designer). Idempotent.
void InitializeDataGuiUnit();
void FinalizeDataGuiUnit();
}  // namespace report::data
