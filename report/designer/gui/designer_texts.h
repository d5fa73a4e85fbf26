#pragma once

namespace report {

/// Declares the numbered texts of the designer window, its rulers and its pop-up menus
/// (and the output texts its Preview page uses). Safe to call any number of times.
void DeclareDesignerTexts();

}  // namespace report
