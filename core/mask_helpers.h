#pragma once

#include <QChar>
#include <QString>

namespace core {

// Numeric edit masks of number fields ("$###.##", "000-000") and the key rules that go
// with them. None keeps state.

/// A text that fits the mask: "#", "0", "9", "A" and "a" become "0", "C" and "c" become "!",
/// "L" and "l" become "A"; other characters are kept when `keepLiterals` is true and dropped
/// otherwise; the result trimmed.
QString MaskSampleText(const QString& mask, bool keepLiterals);
/// "#" and "." kept, "0" and "9" become "#", everything else dropped.
QString MaskToDisplayFormat(const QString& mask);
/// The part of `text` between the first and the last position of `mask` that holds one of
/// # . 0 9, without blanks. Empty when the mask holds none of them.
QString NumberFromMaskedText(const QString& text, const QString& mask);
/// Lays `numberText` out in the number part of `mask`: blanks on the left of the integer
/// digits, zeros after the fraction digits, "*" in every place when the number does not
/// fit; the mask's literal prefix and suffix around it.
QString FormatNumberForMask(const QString& numberText, const QString& mask);
/// The characters of `text` that are one of # + - . and the digits bound the numeric area
/// (first F and last L, counted from 1). A key of that set passes for a caret (0-based)
/// from F - 1 to L; any other key for a caret before F or at or after L. When the text
/// holds none of them every key passes.
bool MaskPositionAllows(const QString& text, int caret, QChar key);

/// The decision of a number key filter: the key to use, or character 0 for a refused key.
/// These are the rules without the edit and without the beep (the gui filters add both).
QChar DigitKeyRule(QChar key);
QChar NumberKeyRule(QChar key, const QString& editText, int caret, bool integerOnly);
QChar MaskedNumberKeyRule(QChar key, const QString& mask, const QString& editText, int caret, bool integerOnly);

}  // namespace core
