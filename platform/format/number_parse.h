#pragma once

#include "platform/base/result.h"
#include "platform/format/format_settings.h"

#include <QString>

namespace format {

/// Reads a decimal integer: optional blanks, an optional "+" or "-", ASCII digits, optional
/// blanks. Nothing else (no hexadecimal, no thousand separators). Fails with
/// kInvalidInteger when the text is not one or the value is outside the type's range.
base::Result<int> TryStrToInt(const QString& text);
base::Result<qint64> TryStrToInt64(const QString& text);

/// Reads a floating-point number: optional blanks, an optional sign, digits with at most
/// one decimal separator of the settings (at least one digit in all), an optional exponent
/// ("E" or "e", optional sign, digits), optional blanks. Thousand separators are not
/// accepted. Fails with kInvalidFloat, also for a value too large for a double.
base::Result<double> TryStrToFloat(const QString& text, const FormatSettings& settings = Settings());

/// The same, throwing EConvertError (errors.h) on failure.
int StrToInt(const QString& text);
qint64 StrToInt64(const QString& text);
double StrToFloat(const QString& text, const FormatSettings& settings = Settings());

/// The integer, or `fallback` when the text is not one.
int StrToIntDef(const QString& text, int fallback);

}  // namespace format
