#pragma once

#include <QDate>
#include <QString>

namespace core {

// Date texts in the program's current short date format and date separator (the ones the
// preferences set when a database opens).

/// True when the trimmed text is empty or every character is a blank or the date
/// separator (an empty masked date edit).
bool IsBlankDate(const QString& text);
/// True for a blank date or a text that converts with the short date format.
bool IsValidDateText(const QString& text);
/// The date; a blank date or a text that does not convert gives 31 December 1899 (day
/// number 1), never an error.
QDate DateTextToDate(const QString& text);
/// Every letter becomes "9", every other character is kept ("dd/mm/yyyy" gives
/// "99/99/9999"); callers append ";1; " to make the edit mask.
QString DateFormatToEditMask(const QString& format);

struct DateTextParts {
    QString day;
    QString month;
    QString year;
};
/// Walks the short date format and the text in step: three times the text up to the next
/// date separator (the rest when there is none) is taken, trimmed, as the day, month or
/// year according to the first letter of the current format part.
DateTextParts SplitDateText(const QString& text);
/// For a non-blank valid date: rebuilt from its day, month and year parts (the year as
/// written) with the short date format; otherwise the text unchanged.
QString NormalizeDateText(const QString& text);
/// For a non-blank valid date whose year part has one or two characters: the date with the
/// year completed by the Year2000Cutoff preference (2000 + year below it, 1900 + year
/// otherwise), written with the short date format. A three-character year, with `warn`,
/// shows the silenceable warning "Dates: Three Digit Year" and keeps the text. Any other
/// text comes back unchanged.
QString ExpandDateYear(const QString& text, bool warn);

}  // namespace core
