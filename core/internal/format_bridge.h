#pragma once

#include <QChar>
#include <QDate>
#include <QString>

#include <optional>

namespace core {

// The program's current number and date settings as the helper library reads them.
// One place, so that the helpers follow the format layer's settings.

QChar DecimalSeparator();
QString ShortDateFormat();
QChar DateSeparator();
/// The text as a floating-point number with the current decimal separator; blanks around
/// it are allowed.
std::optional<double> ParseFloat(const QString& text);
/// The text as a date of the short date format; nullopt when it does not convert.
std::optional<QDate> ParseShortDate(const QString& text);
/// The date written with the short date format.
QString FormatShortDate(const QDate& date);

}  // namespace core
