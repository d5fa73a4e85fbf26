#pragma once

namespace report {

/// Declares the default texts of the report library's foundation (the exception texts and
/// the printing progress text). Idempotent; the resource manager and the tests call it.
void DeclareFoundationTexts();

}  // namespace report
