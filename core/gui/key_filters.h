#pragma once

#include <QChar>

class QLineEdit;

namespace core {

// Key filters for numeric edits: each answers the key to use, or character 0 for a refused
// key, and beeps on a refused key when the BeepOnKeyError preference is on. The caret is
// the start of the selection, or the cursor position when nothing is selected.

/// Passes control characters (below 32) and digits.
QChar FilterDigitKey(QChar key);
/// Passes control characters and digits; "+" and "-" only with the caret at the start; "."
/// only when not `integerOnly` and the edit's text has no "." yet.
QChar FilterNumberKey(QChar key, const QLineEdit* edit, bool integerOnly);
/// As FilterNumberKey, for an edit with a number mask: other keys than control characters
/// first need MaskPositionAllows at the caret. The mask is the edit mask of a masked edit
/// (its part before the ";" fields), else the edit's text.
QChar FilterMaskedNumberKey(QChar key, const QLineEdit* edit, bool integerOnly);

}  // namespace core
