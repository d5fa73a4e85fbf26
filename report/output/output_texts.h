#pragma once

namespace report {
/// Declares the numbered texts of the output side (progress, printing and job messages).
void DeclareOutputTexts();
}  // namespace report
