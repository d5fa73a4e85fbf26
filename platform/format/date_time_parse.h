#pragma once

#include "platform/base/result.h"
#include "platform/format/format_settings.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace format {

/// Reads a date written in the order of the short date format (day, month and year in the
/// order their letters first appear in it), as numbers separated by the date separator (or
/// by the separator the short date format itself writes). Blanks around the numbers are
/// allowed. Two numbers give a date of the current year. A year of one or two digits is
/// completed with `twoDigitYearCutoff`; a year of three or four digits is taken as written.
/// Fails with kInvalidDate for anything else, including dates that do not exist (31/02).
base::Result<QDate> TryStrToDate(const QString& text, const FormatSettings& settings = Settings());

/// Reads a time: hour, minute and optional second and millisecond ("13:05", "1:05:30 PM",
/// "7:00:00.250"), separated by the time separator, optionally followed by the AM or PM
/// text ("AM", "PM", "A" and "P" are understood too, in any case). An hour alone is accepted
/// only with AM or PM. Fails with kInvalidTime.
base::Result<QTime> TryStrToTime(const QString& text, const FormatSettings& settings = Settings());

/// Reads a date, a date followed by a time, or a time alone (its date is 1899-12-30, day 0).
/// Fails with kInvalidDateTime.
base::Result<QDateTime> TryStrToDateTime(const QString& text, const FormatSettings& settings = Settings());

/// The same conversions for callers that treat a failure as an error: they throw
/// EConvertError (errors.h) with the text of the failure.
QDate StrToDate(const QString& text, const FormatSettings& settings = Settings());
QTime StrToTime(const QString& text, const FormatSettings& settings = Settings());
QDateTime StrToDateTime(const QString& text, const FormatSettings& settings = Settings());

}  // namespace format
