#pragma once

#include <QChar>
#include <QFlags>
#include <QString>
#include <QStringList>

#include <array>

class QFont;

namespace core {

// Text, character and number routines of the helper library. None keeps state.

/// Prefixes `fill` until `text` has `length` characters; a longer text comes back unchanged.
QString PadLeft(const QString& text, int length, QChar fill);
/// Appends `fill` until `text` has `length` characters; a longer text comes back unchanged.
QString PadRight(const QString& text, int length, QChar fill);

bool IsLetter(QChar ch);  ///< A-Z or a-z
bool IsDigit(QChar ch);   ///< 0-9
/// The text converts as a decimal integer (32 bits, optional sign; blanks around it allowed).
bool IsIntegerText(const QString& text);
/// The text converts as a floating-point number with the current decimal separator.
bool IsFloatText(const QString& text);
/// The decimal integer, 0 when the text is not one.
int TextToIntOrZero(const QString& text);
/// The first character; a blank for the empty text.
QChar FirstChar(const QString& text);
/// The text without any blank (space) characters.
QString RemoveBlanks(const QString& text);
/// Every "&" doubled, so that a caption shows it instead of underlining the next character.
QString DoubleAmpersands(const QString& text);
/// Every "|" replaced by a line break "\n" (field hints are stored with bars).
QString BarsToLineBreaks(const QString& text);
/// The trimmed part before the first "."; the whole trimmed text when there is none.
QString StripAfterDot(const QString& text);
/// Appends to `list` each piece before a separator (empty pieces included); the rest after
/// the last separator is appended only when it is not empty.
void SplitText(const QString& text, QChar separator, QStringList& list);

/// "TRUE" or "FALSE".
QString BoolToText(bool value);
/// False for a text that is empty after trimming; otherwise true exactly when the first
/// character of the untrimmed text is "1", "T", "t", "Y" or "y" (so " yes" is false).
bool TextToBool(const QString& text);

/// A four-integer record as the position texts hold it (the caller decides the meaning of
/// each place, e.g. top, left, height, width).
using PositionRecord = std::array<int, 4>;
/// For a non-empty text: split at commas and convert the first four pieces in order into
/// `record`. A missing or non-numeric piece throws EConvertError (the places before it are
/// already set). The empty text leaves the record unchanged.
void TextToPosition(const QString& text, PositionRecord& record);
/// The four integers joined by commas, e.g. "10,20,300,400".
QString PositionToText(const PositionRecord& record);

/// Font styles as the settings table stores them.
enum class FontStyle { Bold = 0x1, Italic = 0x2, Underline = 0x4, StrikeOut = 0x8 };
Q_DECLARE_FLAGS(FontStyles, FontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(FontStyles)

/// Splits at commas and looks at the first character of each piece: "B" bold, "I" italic,
/// "U" underline, "S" strikeout; other pieces are ignored.
FontStyles TextToFontStyle(const QString& text);
/// The present styles in the order bold, italic, underline, strikeout joined by commas
/// ("Bold,Underline"); the empty text for no style.
QString FontStyleToText(FontStyles styles);
FontStyles FontStylesOf(const QFont& font);
void ApplyFontStyles(QFont& font, FontStyles styles);

/// Lower-cases the text and upper-cases its first character; then every word of two or
/// more characters gets its first character upper-cased ("a b cd" gives "A B Cd"), so only
/// a one-letter word at the very end stays lower case ("hello a" gives "Hello a").
QString CapitalizeWords(const QString& text);
/// Each of  " * / : < > ? |  replaced by "_" (backslashes and control characters kept).
QString MakeValidFileName(const QString& text);

int MinInt(int a, int b);
int MaxInt(int a, int b);

}  // namespace core
