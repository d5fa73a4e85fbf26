#include "platform/format/date_time_format.h"

namespace format {

namespace {

constexpr int kMaxNesting = 2;

QString pad(int value, int width) { return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')); }

bool matchesAt(const QString& pattern, qsizetype i, QLatin1String word) {
    return pattern.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

// True when the pattern holds an am/pm element outside quoted text.
bool usesTwelveHourClock(const QString& pattern) {
    QChar quote;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            continue;
        }
        if (matchesAt(pattern, i, QLatin1String("am/pm")) || matchesAt(pattern, i, QLatin1String("a/p")) ||
            matchesAt(pattern, i, QLatin1String("ampm")))
            return true;
    }
    return false;
}

class Writer {
public:
    Writer(const QDate& date, const QTime& time, const FormatSettings& settings)
        : m_date(date), m_time(time), m_s(settings) {}

    void write(QString& out, const QString& pattern, int depth) {
        const QDate& date = m_date;
        const QTime& time = m_time;
        const bool twelveHour = usesTwelveHourClock(pattern);
        bool afterHour = false;
        const qsizetype n = pattern.size();
        qsizetype i = 0;
        while (i < n) {
            const QChar c = pattern[i];
            const char16_t lower = c.toLower().unicode();
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                qsizetype end = pattern.indexOf(c, i + 1);
                if (end < 0) end = n;  // an open quote runs to the end
                out += pattern.mid(i + 1, end - i - 1);
                i = end + 1;
                continue;
            }
            if (lower == 'a') {
                if (matchesAt(pattern, i, QLatin1String("am/pm"))) {
                    const bool pm = time.hour() >= 12;
                    out += pm ? pattern.mid(i + 3, 2) : pattern.mid(i, 2);
                    i += 5;
                    afterHour = false;
                    continue;
                }
                if (matchesAt(pattern, i, QLatin1String("a/p"))) {
                    out += time.hour() >= 12 ? pattern.mid(i + 2, 1) : pattern.mid(i, 1);
                    i += 3;
                    afterHour = false;
                    continue;
                }
                if (matchesAt(pattern, i, QLatin1String("ampm"))) {
                    out += time.hour() >= 12 ? m_s.timePMString : m_s.timeAMString;
                    i += 4;
                    afterHour = false;
                    continue;
                }
                out += c;
                ++i;
                continue;
            }
            // A run of one letter is one element, however long: "yyyyy" is the four-digit
            // year and "hhh" the two-digit hour. `count` picks the element; the whole run
            // is consumed.
            qsizetype run = 1;
            while (i + run < n && pattern[i + run].toLower().unicode() == lower) ++run;
            qsizetype count = run;
            switch (lower) {
            case 'c':
                nested(out, m_s.shortDateFormat, depth);
                if (time.msecsSinceStartOfDay() != 0) {
                    out += QLatin1Char(' ');
                    nested(out, m_s.longTimeFormat, depth);
                }
                afterHour = false;
                break;
            case 'd':
                count = qMin<qsizetype>(run, 6);
                switch (count) {
                case 1: out += QString::number(date.day()); break;
                case 2: out += pad(date.day(), 2); break;
                case 3: out += m_s.shortDayNames[date.dayOfWeek() % 7]; break;
                case 4: out += m_s.longDayNames[date.dayOfWeek() % 7]; break;
                case 5: nested(out, m_s.shortDateFormat, depth); break;
                default: nested(out, m_s.longDateFormat, depth); break;
                }
                afterHour = false;
                break;
            case 'm':
                count = qMin<qsizetype>(run, 4);
                if (afterHour && count <= 2) {
                    out += count == 1 ? QString::number(time.minute()) : pad(time.minute(), 2);
                } else {
                    switch (count) {
                    case 1: out += QString::number(date.month()); break;
                    case 2: out += pad(date.month(), 2); break;
                    case 3: out += m_s.shortMonthNames[date.month() - 1]; break;
                    default: out += m_s.longMonthNames[date.month() - 1]; break;
                    }
                }
                afterHour = false;
                break;
            case 'y':
                count = qMin<qsizetype>(run, 4);
                out += count <= 2 ? pad(date.year() % 100, 2) : pad(date.year(), 4);
                afterHour = false;
                break;
            case 'h': {
                count = qMin<qsizetype>(run, 2);
                int hour = time.hour();
                if (twelveHour) {
                    hour %= 12;
                    if (hour == 0) hour = 12;
                }
                out += count == 1 ? QString::number(hour) : pad(hour, 2);
                afterHour = true;
                break;
            }
            case 'n':
                count = qMin<qsizetype>(run, 2);
                out += count == 1 ? QString::number(time.minute()) : pad(time.minute(), 2);
                afterHour = false;
                break;
            case 's':
                count = qMin<qsizetype>(run, 2);
                out += count == 1 ? QString::number(time.second()) : pad(time.second(), 2);
                afterHour = false;
                break;
            case 'z':
                count = qMin<qsizetype>(run, 3);
                out += count < 3 ? QString::number(time.msec()) : pad(time.msec(), 3);
                afterHour = false;
                break;
            case 't':
                count = qMin<qsizetype>(run, 2);
                nested(out, count == 1 ? m_s.shortTimeFormat : m_s.longTimeFormat, depth);
                afterHour = false;
                break;
            case '/':
                run = 1;
                if (!m_s.dateSeparator.isNull()) out += m_s.dateSeparator;
                break;
            case ':':
                run = 1;
                if (!m_s.timeSeparator.isNull()) out += m_s.timeSeparator;
                break;
            default:
                run = 1;
                out += c;
            }
            i += run;
        }
    }

private:
    void nested(QString& out, const QString& pattern, int depth) {
        if (depth >= kMaxNesting) return;
        write(out, pattern, depth + 1);
    }

    QDate m_date;
    QTime m_time;
    const FormatSettings& m_s;
};

QString formatParts(const QString& pattern, const QDate& date, const QTime& time, const FormatSettings& settings) {
    if (!date.isValid() || !time.isValid()) return {};
    QString out;
    Writer writer(date, time, settings);
    writer.write(out, pattern.isEmpty() ? QStringLiteral("c") : pattern, 0);
    return out;
}

}  // namespace

QString FormatDateTime(const QString& pattern, const QDateTime& value, const FormatSettings& settings) {
    return formatParts(pattern, value.date(), value.time(), settings);
}

QString FormatDateTime(const QString& pattern, const QDate& value, const FormatSettings& settings) {
    return formatParts(pattern, value, QTime(0, 0), settings);
}

QString FormatDateTime(const QString& pattern, base::DayNumber value, const FormatSettings& settings) {
    return formatParts(pattern, base::DaysToDate(value), base::DaysToTime(value), settings);
}

QString DateToStr(const QDate& date, const FormatSettings& settings) {
    return formatParts(QStringLiteral("ddddd"), date, QTime(0, 0), settings);
}

QString TimeToStr(const QTime& time, const FormatSettings& settings) {
    return formatParts(QStringLiteral("tt"), QDate(1899, 12, 30), time, settings);
}

QString DateTimeToStr(const QDateTime& value, const FormatSettings& settings) {
    return FormatDateTime(QStringLiteral("c"), value, settings);
}

}  // namespace format
