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
/// filer flags, "[n]" for a child position. Texts are quoted with '' for a quote; control
/// and non-ASCII characters are written as #<code>. A text longer than 64 characters
/// starts on its own line and is cut into pieces of at most 64 characters joined by " +".
/// Binary data is hexadecimal in "{ }", 32 bytes a line. Integers in decimal; floats with
/// at most 15 significant digits (fixed from 0.00001 up to 1E15, else "1.5E300"), singles
/// with the suffix s, dates with d, currency as its ten-thousandths with c ("12345678c" is
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
