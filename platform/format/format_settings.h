#pragma once

#include <QChar>
#include <QLocale>
#include <QString>

#include <array>

namespace format {

/// The program-wide conventions for writing and reading dates, times and numbers.
///
/// Date and time patterns use this layer's pattern language (see date_time_format.h), not
/// Qt's: "dd/mm/yyyy", "mmmm d, yyyy", "h:nn:ss ampm". In a pattern "/" stands for
/// `dateSeparator` and ":" for `timeSeparator`.
struct FormatSettings {
    QString shortDateFormat = QStringLiteral("m/d/yyyy");
    QString longDateFormat = QStringLiteral("dddd, mmmm d, yyyy");
    QString shortTimeFormat = QStringLiteral("h:nn ampm");
    QString longTimeFormat = QStringLiteral("h:nn:ss ampm");
    QChar dateSeparator = QLatin1Char('/');
    QChar timeSeparator = QLatin1Char(':');
    QString timeAMString = QStringLiteral("AM");
    QString timePMString = QStringLiteral("PM");

    QChar decimalSeparator = QLatin1Char('.');
    QChar thousandSeparator = QLatin1Char(',');  ///< a null QChar: no grouping

    QString currencyString = QStringLiteral("$");
    /// Placement of the currency string around a positive amount: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    int currencyFormat = 0;
    /// Placement of sign and currency string around a negative amount, 0 to 15:
    /// 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-", 8 "-1 $",
    /// 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)", 15 "(1 $)".
    int negCurrFormat = 0;
    int currencyDecimals = 2;

    std::array<QString, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<QString, 12> longMonthNames{"January", "February", "March",     "April",
                                           "May",     "June",     "July",      "August",
                                           "September", "October", "November", "December"};
    /// Day names start with Sunday.
    std::array<QString, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<QString, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};

    /// A year typed with one or two digits becomes 2000 + year when below this value and
    /// 1900 + year otherwise (0 puts every such year in the 1900s, 100 every one in the 2000s).
    int twoDigitYearCutoff = 50;

    /// Settings that follow a Qt locale (month and day names, separators, formats turned
    /// into this layer's pattern language). The program starts from the system's locale and
    /// then sets its own formats from the user's preferences.
    static FormatSettings FromLocale(const QLocale& locale);

    bool operator==(const FormatSettings&) const = default;
};

/// The program-wide settings. Only the GUI thread reads and changes them.
const FormatSettings& Settings();
void SetSettings(const FormatSettings& settings);

/// Sets the program-wide settings for its lifetime and puts the previous ones back after
/// (tests, and code that formats once with other conventions).
class ScopedSettings {
public:
    explicit ScopedSettings(const FormatSettings& settings);
    ~ScopedSettings();
    ScopedSettings(const ScopedSettings&) = delete;
    ScopedSettings& operator=(const ScopedSettings&) = delete;

private:
    FormatSettings m_previous;
};

/// Turns a Qt date or time format ("dd.MM.yyyy", "HH:mm:ss AP") into this layer's pattern
/// language ("dd.mm.yyyy", "hh:nn:ss ampm"). Quoted text is kept quoted.
QString PatternFromQtFormat(const QString& qtFormat);

}  // namespace format
