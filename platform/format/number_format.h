#pragma once

#include "platform/format/format_settings.h"

#include <QString>

namespace format {

/// Writes a number by a pattern of up to three sections separated by ";": for positive
/// values, for negative values and for zero ("#,0.00;(#,0.00);nil").
///
/// | element | meaning |
/// |---|---|
/// | 0 | a digit, a zero when the value has none here |
/// | # | a digit, nothing when the value has none here |
/// | . | the decimal separator; the placeholders after it give the decimals (all "0"s are always written, "#"s only when not zero) |
/// | , | anywhere before the decimal point: group the integer digits by thousands |
/// | E+ E- e+ e- | scientific notation; the "0"s after it give the least exponent digits; "+" writes the sign of positive exponents too |
/// | "text", 'text' | the text as it stands |
///
/// Every other character (a currency sign, "%", a blank, parentheses, a second ".") is
/// written where it stands; "%" does not scale the value. Sections after the third are
/// ignored; an open quote runs to the end of its section. A negative value without its own section is written
/// by the first section with a leading "-"; an empty second section counts as none. The zero
/// section is used for a value that is zero when rounded to the decimals of its section; a
/// value that rounds to zero is never written with a minus sign. An empty pattern, an empty
/// section and a value with more than 18 integer digits under a section without exponent are
/// written as FloatToStr does. Not-a-number and infinite values are written "NAN", "INF", "-INF".
///
/// The value is rounded (half away from zero) at the section's decimals from the shortest
/// decimal that reads back as the same double, so no digit is invented and none is lost:
/// "0.00" writes 100000000000000.5 as "100000000000000.50" and 2.675 as "2.68".
QString FormatFloat(const QString& pattern, double value, const FormatSettings& settings = Settings());

/// FormatFloat for currency amounts: the value is first rounded to four decimals, the
/// precision of a currency value, in decimal and at any size.
QString FormatCurr(const QString& pattern, double value, const FormatSettings& settings = Settings());

enum class FloatFormat {
    General,   ///< shortest of fixed and scientific: no trailing zeros, scientific when the
               ///< exponent passes the precision or the value is below 0.00001
    Fixed,     ///< `digits` decimals, no grouping
    Number,    ///< `digits` decimals, thousands grouped
    Currency,  ///< as Number, with the currency string placed by currencyFormat / negCurrFormat
};

/// The value rounded to `precision` significant digits (1 to 17), then written in the form.
/// For General `digits` is the least number of exponent digits.
QString FloatToStrF(double value, FloatFormat form, int precision, int digits,
                    const FormatSettings& settings = Settings());

/// FloatToStrF(value, General, 15, 0).
QString FloatToStr(double value, const FormatSettings& settings = Settings());

}  // namespace format
