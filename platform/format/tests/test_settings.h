#pragma once

#include "platform/format/format_settings.h"

namespace format::testing {

/// The records manager's own defaults: day first, long dates as "March 5, 2024".
inline FormatSettings DayFirst() {
    FormatSettings s;
    s.shortDateFormat = QStringLiteral("dd/mm/yyyy");
    s.longDateFormat = QStringLiteral("mmmm d, yyyy");
    s.dateSeparator = QLatin1Char('/');
    return s;
}

/// Month first, written in capitals as the preferences list offers it.
inline FormatSettings MonthFirst() {
    FormatSettings s;
    s.shortDateFormat = QStringLiteral("MM/DD/YYYY");
    s.longDateFormat = QStringLiteral("DDDD, MMMM D, YYYY");
    s.dateSeparator = QLatin1Char('/');
    return s;
}

/// Year first with "-", and continental number separators.
inline FormatSettings YearFirstComma() {
    FormatSettings s;
    s.shortDateFormat = QStringLiteral("yyyy-mm-dd");
    s.longDateFormat = QStringLiteral("d-mmm-yyyy");
    s.dateSeparator = QLatin1Char('-');
    s.decimalSeparator = QLatin1Char(',');
    s.thousandSeparator = QLatin1Char('.');
    s.currencyString = QStringLiteral("€");
    s.currencyFormat = 3;
    s.negCurrFormat = 8;
    return s;
}

}  // namespace format::testing
