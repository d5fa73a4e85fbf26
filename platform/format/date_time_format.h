#pragma once

#include "platform/base/day_time.h"
#include "platform/format/format_settings.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace format {

/// Writes a date and time by a pattern. Pattern elements (letters in any case):
///
/// | element | writes |
/// |---|---|
/// | c | the short date format, then a blank and the long time format unless the time is midnight |
/// | d, dd | day of the month, without / with a leading zero |
/// | ddd, dddd | short / long day name |
/// | ddddd, dddddd | the short / long date format |
/// | m, mm | month, without / with a leading zero; minutes when it follows an hour element |
/// | mmm, mmmm | short / long month name |
/// | yy, yyyy | two-digit / four-digit year (one "y" counts as two, three as four) |
/// | h, hh | hour, without / with a leading zero; 12-hour clock when an am/pm element is present |
/// | n, nn | minute | s, ss: second | z, zzz: millisecond, without / with leading zeros |
/// | t, tt | the short / long time format |
/// | am/pm, a/p | "am"/"pm" or "a"/"p" in the letter case written in the pattern |
/// | ampm | the settings' AM or PM text |
/// | / and : | the date and the time separator |
/// | "text", 'text' | the text as it stands |
///
/// Any other character is written as it stands. An empty pattern means "c". The date and
/// time formats that "c", "ddddd", "dddddd", "t" and "tt" bring in are read two levels deep
/// at most, so a format that names itself cannot loop. An invalid value gives the empty text.
QString FormatDateTime(const QString& pattern, const QDateTime& value,
                       const FormatSettings& settings = Settings());
QString FormatDateTime(const QString& pattern, const QDate& value,
                       const FormatSettings& settings = Settings());
QString FormatDateTime(const QString& pattern, base::DayNumber value,
                       const FormatSettings& settings = Settings());

/// The date in the short date format, the time in the long time format, and "c".
QString DateToStr(const QDate& date, const FormatSettings& settings = Settings());
QString TimeToStr(const QTime& time, const FormatSettings& settings = Settings());
QString DateTimeToStr(const QDateTime& value, const FormatSettings& settings = Settings());

}  // namespace format
