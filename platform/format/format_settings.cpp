#include "platform/format/format_settings.h"

namespace format {

namespace {

FormatSettings& global() {
    static FormatSettings settings;
    return settings;
}

// The first character of a format that is not a letter and not a quote: the separator the
// format writes between its parts.
QChar firstSeparator(const QString& pattern, QChar fallback) {
    for (QChar c : pattern) {
        if (!c.isLetter() && c != QLatin1Char('\'') && c != QLatin1Char('"') && !c.isSpace()) return c;
    }
    return fallback;
}

}  // namespace

const FormatSettings& Settings() { return global(); }

void SetSettings(const FormatSettings& settings) { global() = settings; }

ScopedSettings::ScopedSettings(const FormatSettings& settings) : m_previous(global()) {
    global() = settings;
}

ScopedSettings::~ScopedSettings() { global() = m_previous; }

QString PatternFromQtFormat(const QString& qtFormat) {
    QString out;
    const qsizetype n = qtFormat.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = qtFormat[i];
        if (c == QLatin1Char('\'')) {
            // Qt quotes literal text with single quotes; '' is one quote character.
            QString literal;
            ++i;
            while (i < n) {
                if (qtFormat[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && qtFormat[i + 1] == QLatin1Char('\'')) {
                        literal += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += qtFormat[i++];
            }
            if (literal.isEmpty()) literal = QStringLiteral("'");
            out += QLatin1Char('"') + literal + QLatin1Char('"');
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && qtFormat[i + run] == c) ++run;
        switch (c.unicode()) {
        case 'd': out += QString(run, QLatin1Char('d')); break;
        case 'M': out += QString(qMin<qsizetype>(run, 4), QLatin1Char('m')); break;
        case 'y': out += run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"); break;
        case 'h':
        case 'H': out += QString(qMin<qsizetype>(run, 2), QLatin1Char('h')); break;
        case 'm': out += QString(qMin<qsizetype>(run, 2), QLatin1Char('n')); break;
        case 's': out += QString(qMin<qsizetype>(run, 2), QLatin1Char('s')); break;
        case 'z': out += run >= 3 ? QStringLiteral("zzz") : QStringLiteral("z"); break;
        case 'A':
        case 'a':
            out += QStringLiteral("ampm");
            // "AP" and "ap" are one element in Qt
            if (i + run < n && (qtFormat[i + run] == QLatin1Char('P') || qtFormat[i + run] == QLatin1Char('p'))) ++run;
            break;
        case 't': break;  // time zone: not part of this pattern language
        default:
            if (c.isLetter()) {
                out += QLatin1Char('"') + QString(run, c) + QLatin1Char('"');
            } else {
                out += QString(run, c);
            }
        }
        i += run;
    }
    return out.trimmed();
}

FormatSettings FormatSettings::FromLocale(const QLocale& locale) {
    FormatSettings s;
    s.shortDateFormat = PatternFromQtFormat(locale.dateFormat(QLocale::ShortFormat));
    s.longDateFormat = PatternFromQtFormat(locale.dateFormat(QLocale::LongFormat));
    s.shortTimeFormat = PatternFromQtFormat(locale.timeFormat(QLocale::ShortFormat));
    s.longTimeFormat = PatternFromQtFormat(locale.timeFormat(QLocale::LongFormat));
    s.dateSeparator = firstSeparator(s.shortDateFormat, QLatin1Char('/'));
    s.timeSeparator = firstSeparator(s.longTimeFormat, QLatin1Char(':'));
    s.timeAMString = locale.amText();
    s.timePMString = locale.pmText();
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    s.decimalSeparator = decimal.size() == 1 ? decimal[0] : QLatin1Char('.');
    s.thousandSeparator = group.size() == 1 ? group[0] : QChar();
    if (s.thousandSeparator == s.decimalSeparator) s.thousandSeparator = QChar();
    s.currencyString = locale.currencySymbol();
    // Where the locale puts the symbol: compare its text for a sample amount.
    const QString positive = locale.toCurrencyString(1.0, QStringLiteral("\x01"));
    const bool symbolFirst = positive.startsWith(QChar(1));
    const bool spaced = positive.contains(QLatin1Char(' ')) || positive.contains(QChar(0xA0)) ||
                        positive.contains(QChar(0x202F));
    s.currencyFormat = (symbolFirst ? 0 : 1) + (spaced ? 2 : 0);
    s.negCurrFormat = symbolFirst ? (spaced ? 9 : 1) : (spaced ? 8 : 5);
    for (int m = 0; m < 12; ++m) {
        s.shortMonthNames[m] = locale.monthName(m + 1, QLocale::ShortFormat);
        s.longMonthNames[m] = locale.monthName(m + 1, QLocale::LongFormat);
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;  // Qt counts Monday 1 .. Sunday 7
        s.shortDayNames[d] = locale.dayName(qtDay, QLocale::ShortFormat);
        s.longDayNames[d] = locale.dayName(qtDay, QLocale::LongFormat);
    }
    return s;
}

}  // namespace format
