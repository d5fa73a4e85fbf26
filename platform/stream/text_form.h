#pragma once

#include "platform/stream/value.h"

#include <QByteArray>

namespace stream {

/// Layout choices of the text form.
struct TextOptions {
    QByteArray lineBreak = "\r\n";  ///< after every line, as the text form has always had it
};

/// The text form of an object tree:
///
///     object Report1: TppReport
///       Caption = 'Sales'#13#10'by month'
///       Items.Strings = (
///         'one'
///         'two')
///       Columns = <
///         item
///           Width = 10
///         end>
///       object Band1: TppDetailBand [0]
///       end
///     end
///
/// Two spaces of indent per level; "inherited" and "inline" instead of "object" for those
/// filer flags, "[n]" for a child position.
///
/// Texts: printable ASCII characters stand in single quotes; the quote itself is written
/// #39 and DEL as #127, as are the other control characters (#9, #13#10); every character
/// above ASCII is written #<its Unicode code> ('Gr'#252'n '#8364). When read, a code up to
/// 255 is a position of Windows-1252, so #128 is the euro sign and #252 is "ü"; the C1
/// controls U+0080 to U+009F that Windows-1252 puts other characters in place of are
/// therefore written as they are, inside the quotes. The reader also takes '' for a quote
/// and "#$hex" codes. A text longer than 64 characters starts on its own line and is cut
/// into pieces of at most 64 characters joined by " +". A text that Windows-1252 can hold
/// reads as an ANSI string, any other as a wide string.
///
/// Binary data is hexadecimal in "{ }", 32 bytes a line. Integers in decimal. Floats with
/// the fewest significant digits that read back exactly (at most 21: every extended,
/// double and single value round-trips), fixed from 0.00001 up to 1E15, else "1.5E300";
/// negative zero is "-0.0", infinities "INF" and "-INF", not-a-number "NAN". Singles carry
/// the suffix s, dates d, currency is its ten-thousandths with c ("12345678c" is
/// 1234.5678). A float with an integral value has no decimals and reads back as an integer.
QByteArray ObjectDataToText(const ObjectData& root, const TextOptions& options = {});

/// Parses the text form (UTF-8, or ANSI when not valid UTF-8; line breaks CR LF or LF).
/// Raises StreamError Syntax with line and column.
ObjectData ParseObjectText(const QByteArray& text);

/// Converts a whole binary stream (signature "TPF0" and one object) to its text form.
QByteArray ObjectBinaryToText(const QByteArray& binary, const TextOptions& options = {});
/// Converts the text form to a whole binary stream (signature "TPF0" and one object).
QByteArray ObjectTextToBinary(const QByteArray& text);

enum class StreamFormat { Binary, Text, Unknown };
/// "TPF0" at `offset` → Binary; the word "object", "inherited" or "inline" → Text.
StreamFormat DetectFormat(const QByteArray& bytes, qsizetype offset = 0);

/// Integers and floats as the text form writes them ("12", "1.5", "2.5s", "3c").
QByteArray ValueToText(const Value& value, const TextOptions& options = {});

}  // namespace stream
