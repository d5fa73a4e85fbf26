#include "platform/format/date_time_parse.h"

#include "platform/format/errors.h"

#include <QStringList>

#include <optional>

namespace format {

namespace {

constexpr int kMaxDigits = 9;  // more digits than any date or time part can have

// A cursor over the text being read.
class Scanner {
public:
    explicit Scanner(const QString& text, qsizetype start = 0) : m_text(text), m_pos(start) {}

    void skipBlanks() {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace()) ++m_pos;
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    qsizetype pos() const { return m_pos; }
    void setPos(qsizetype pos) { m_pos = pos; }

    /// A run of ASCII digits after optional blanks; nullopt when none or too many.
    std::optional<int> number(int* digits = nullptr) {
        skipBlanks();
        const qsizetype start = m_pos;
        int value = 0;
        while (m_pos < m_text.size() && m_text[m_pos] >= QLatin1Char('0') && m_text[m_pos] <= QLatin1Char('9')) {
            if (m_pos - start >= kMaxDigits) return std::nullopt;
            value = value * 10 + (m_text[m_pos].unicode() - '0');
            ++m_pos;
        }
        if (m_pos == start) return std::nullopt;
        if (digits) *digits = static_cast<int>(m_pos - start);
        return value;
    }

    /// One of the separators after optional blanks. A blank separator is matched by the
    /// blanks themselves.
    bool separator(QChar first, QChar second) {
        const qsizetype before = m_pos;
        skipBlanks();
        if (m_pos < m_text.size() && !m_text[m_pos].isSpace() &&
            (m_text[m_pos] == first || (!second.isNull() && m_text[m_pos] == second))) {
            ++m_pos;
            return true;
        }
        if ((first.isSpace() || (!second.isNull() && second.isSpace())) && m_pos > before) return true;
        m_pos = before;
        return false;
    }

    /// Matches a literal text of a format after optional blanks, its own blanks ignored at
    /// both ends; a literal of blanks only matches nothing and answers true.
    bool literal(const QString& text) {
        const QString word = text.trimmed();
        if (word.isEmpty()) return true;
        const qsizetype before = m_pos;
        skipBlanks();
        if (m_text.mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) == 0) {
            m_pos += word.size();
            return true;
        }
        m_pos = before;
        return false;
    }

    /// A literal of blanks only ("dd/mm yyyy" writes one between month and year): true
    /// when it is one and at least one blank follows, which is taken.
    bool blanks(const QString& text) {
        if (text.isEmpty() || !text.trimmed().isEmpty()) return false;
        const qsizetype before = m_pos;
        skipBlanks();
        return m_pos > before;
    }

    /// As literal(), but a literal of blanks only answers false.
    bool nonBlankLiteral(const QString& text) { return !text.trimmed().isEmpty() && literal(text); }

    /// Matches one of the words (case-insensitive) after optional blanks.
    int word(const QStringList& words) {
        skipBlanks();
        int best = -1;
        qsizetype bestLength = 0;
        for (int i = 0; i < words.size(); ++i) {
            const QString& w = words[i];
            if (w.isEmpty() || w.size() <= bestLength) continue;
            if (m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) == 0) {
                best = i;
                bestLength = w.size();
            }
        }
        if (best >= 0) m_pos += bestLength;
        return best;
    }

private:
    const QString& m_text;
    qsizetype m_pos;
};

enum class Quoting { Outside, Mark, Inside };

// Follows quoted text while walking a format, `quote` being the open quote mark (null
// outside quotes): tells whether `c` stands outside quotes, is a quote mark, or is quoted
// text, which the format writes as it stands.
Quoting quoting(QChar c, QChar& quote) {
    if (!quote.isNull()) {
        if (c != quote) return Quoting::Inside;
        quote = QChar();
        return Quoting::Mark;
    }
    if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
        quote = c;
        return Quoting::Mark;
    }
    return Quoting::Outside;
}

// Order of day, month and year in the short date format: "dmy", "mdy" or "ymd" and so on.
QString dateOrder(const QString& format) {
    QString order;
    QChar quote;
    for (QChar c : format) {
        if (quoting(c, quote) != Quoting::Outside) continue;
        const QChar l = c.toLower();
        if ((l == QLatin1Char('d') || l == QLatin1Char('m') || l == QLatin1Char('y')) && !order.contains(l)) order += l;
    }
    for (QChar l : {QLatin1Char('m'), QLatin1Char('d'), QLatin1Char('y')}) {
        if (!order.contains(l)) order += l;
    }
    return order;
}

// The literal texts a format writes before its first element, between its first three and
// after its last one. Quoted text is taken as it stands and `mark` stands for `separator`.
// `isElement` tells the (lower-case) letters that make elements, each run of one letter
// being one element reported to `onElement(letter, length)`; `markerLength(i)` gives the
// length of a marker at i that is neither literal nor element (0 where there is none).
struct FormatLiterals {
    QString before;
    QString between[2];
    QString after;
};

template <typename IsElement, typename MarkerLength, typename OnElement>
FormatLiterals formatLiterals(const QString& format, QChar mark, QChar separator, IsElement isElement,
                              MarkerLength markerLength, OnElement onElement) {
    FormatLiterals out;
    QString pending;
    int elements = 0;
    QChar quote;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (const Quoting q = quoting(c, quote); q != Quoting::Outside) {
            if (q == Quoting::Inside) pending += c;
            continue;
        }
        if (const qsizetype skip = markerLength(i); skip > 0) {
            i += skip - 1;
            continue;
        }
        const QChar l = c.toLower();
        if (isElement(l)) {
            const qsizetype start = i;
            while (i + 1 < format.size() && format[i + 1].toLower() == l) ++i;
            onElement(l, i - start + 1);
            if (elements == 0) out.before = pending;
            if (elements >= 1 && elements <= 2) out.between[elements - 1] = pending;
            pending.clear();
            ++elements;
            continue;
        }
        pending += c == mark ? separator : c;
    }
    if (elements >= 1) out.after = pending;
    return out;
}

// The literal texts a short date format writes between its three elements and after the
// last one ("yyyy. mm. dd." writes ". " twice and then "."). "/" stands for the date
// separator; quoted text is taken as it stands.
struct DateLiterals {
    QString between[2];
    QString after;
    bool monthNames = false;  ///< the month is written as a name ("mmm", "mmmm")
};

DateLiterals dateLiterals(const QString& format, QChar dateSeparator) {
    DateLiterals out;
    const FormatLiterals literals = formatLiterals(
        format, QLatin1Char('/'), dateSeparator,
        [](QChar l) { return l == QLatin1Char('d') || l == QLatin1Char('m') || l == QLatin1Char('y'); },
        [](qsizetype) { return qsizetype(0); },
        [&](QChar l, qsizetype length) {
            if (l == QLatin1Char('m') && length >= 3) out.monthNames = true;
        });
    out.between[0] = literals.between[0];
    out.between[1] = literals.between[1];
    out.after = literals.after;
    return out;
}

// The separator that the short date format itself writes between its parts, when it is
// not the date separator of the settings ("dd.mm.yyyy" writes "." whatever the setting).
QChar formatSeparator(const QString& format) {
    QChar quote;
    for (QChar c : format) {
        if (quoting(c, quote) != Quoting::Outside) continue;
        if (c.isLetter()) continue;
        if (c == QLatin1Char('/')) return {};  // "/" already means the date separator
        return c;
    }
    return {};
}

int expandYear(int year, int digits, int cutoff) {
    if (digits > 2) return year;
    return year < cutoff ? 2000 + year : 1900 + year;
}

// Reads a date at the scanner; the scanner is left after it.
std::optional<QDate> scanDate(Scanner& sc, const FormatSettings& s) {
    const QString order = dateOrder(s.shortDateFormat);
    const QChar sep = s.dateSeparator.isNull() ? QChar(QLatin1Char('/')) : s.dateSeparator;
    QChar other = formatSeparator(s.shortDateFormat);
    if (other == sep) other = QChar();
    const DateLiterals literals = dateLiterals(s.shortDateFormat, sep);

    int digits[3] = {0, 0, 0};
    int values[3] = {0, 0, 0};
    int count = 0;
    QStringList monthNames;
    if (literals.monthNames) {
        for (const QString& name : s.longMonthNames) monthNames << name;
        for (const QString& name : s.shortMonthNames) monthNames << name;
    }
    for (; count < 3; ++count) {
        if (count > 0 && !sc.nonBlankLiteral(literals.between[count - 1]) && !sc.separator(sep, other) &&
            !sc.blanks(literals.between[count - 1]))
            break;
        std::optional<int> n;
        if (literals.monthNames && order[count] == QLatin1Char('m')) {
            // A format that writes the month's name is read with it.
            const int name = sc.word(monthNames);
            if (name >= 0) {
                n = name % 12 + 1;
                digits[count] = 2;
            }
        }
        if (!n) n = sc.number(&digits[count]);
        if (!n) return std::nullopt;
        values[count] = *n;
    }
    if (count < 2) return std::nullopt;
    // The text the format writes after its last element ("2024. 03. 05.") may follow.
    sc.literal(literals.after);

    int day = 0, month = 0, year = 0, yearDigits = 4;
    if (count == 3) {
        for (int i = 0; i < 3; ++i) {
            switch (order[i].unicode()) {
            case 'd': day = values[i]; break;
            case 'm': month = values[i]; break;
            default:
                year = values[i];
                yearDigits = digits[i];
            }
        }
        if (yearDigits > 4) return std::nullopt;
        year = expandYear(year, yearDigits, s.twoDigitYearCutoff);
    } else {
        // Day and month in the order the format gives them, in the current year.
        const QString dm = QString(order).remove(QLatin1Char('y'));
        day = dm[0] == QLatin1Char('d') ? values[0] : values[1];
        month = dm[0] == QLatin1Char('d') ? values[1] : values[0];
        year = QDate::currentDate().year();
    }
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1 || year > 9999) return std::nullopt;
    return date;
}

// The literal texts a time format writes after its hour and its minutes, and after its
// last element ("ampm h시 nn분 ss초" writes "시", "분" and "초"); ":" stands for the time
// separator and the am/pm markers are no literals.
struct TimeLiterals {
    QString before;  ///< before the hour ("kl. " in "kl. hh:nn:ss"), am/pm markers left out
    QString between[2];
    QString after;
};

TimeLiterals timeLiterals(const QString& format, QChar timeSeparator) {
    const FormatLiterals literals = formatLiterals(
        format, QLatin1Char(':'), timeSeparator,
        [](QChar l) {
            return l == QLatin1Char('h') || l == QLatin1Char('n') || l == QLatin1Char('m') || l == QLatin1Char('s') ||
                   l == QLatin1Char('z');
        },
        [&](qsizetype i) {
            for (const char* word : {"am/pm", "ampm", "a/p"}) {
                const QLatin1String w(word);
                if (format.mid(i, w.size()).compare(w, Qt::CaseInsensitive) == 0) return qsizetype(w.size());
            }
            return qsizetype(0);
        },
        [](QChar, qsizetype) {});
    return {literals.before, {literals.between[0], literals.between[1]}, literals.after};
}

std::optional<QTime> scanTime(Scanner& sc, const FormatSettings& s) {
    const QChar sep = s.timeSeparator.isNull() ? QChar(QLatin1Char(':')) : s.timeSeparator;
    const TimeLiterals formats[] = {timeLiterals(s.longTimeFormat, sep), timeLiterals(s.shortTimeFormat, sep)};
    // The separator, or the text either time format writes at that place.
    auto separatorAt = [&](int place) {
        for (const TimeLiterals& f : formats)
            if (sc.nonBlankLiteral(f.between[place])) return true;
        return sc.separator(sep, QChar());
    };
    // The text the formats write after their seconds, or after their minutes when they end
    // there.
    auto trailingText = [&] {
        for (const TimeLiterals& f : formats) {
            for (const QString& text : {f.after, f.between[1]}) {
                const QString word = text.trimmed();
                if (!word.isEmpty() && word != QString(sep) && sc.literal(word)) return;
            }
        }
    };
    const QStringList markers{s.timeAMString, s.timePMString, QStringLiteral("AM"), QStringLiteral("PM"),
                              QStringLiteral("A"), QStringLiteral("P")};
    // Formats that write the marker first ("ampm h:nn" writes "PM 7:05") are read in that order.
    int marker = sc.word(markers);
    const bool markerFirst = marker >= 0;
    for (const TimeLiterals& f : formats)
        if (sc.nonBlankLiteral(f.before)) break;
    auto hour = sc.number();
    if (!hour) return std::nullopt;
    int minute = 0, second = 0, msec = 0;
    bool hasMinute = false;
    if (separatorAt(0)) {
        auto m = sc.number();
        if (!m) return std::nullopt;
        minute = *m;
        hasMinute = true;
        const qsizetype afterMinutes = sc.pos();
        if (separatorAt(1)) {
            if (auto sec = sc.number()) {
                second = *sec;
                const qsizetype afterSeconds = sc.pos();
                if (sc.separator(s.decimalSeparator, QLatin1Char('.'))) {
                    int digits = 0;
                    // A count of milliseconds, as "z" writes it: ".5" is 5 ms, ".500" 500 ms.
                    if (auto ms = sc.number(&digits)) {
                        if (digits > 3) return std::nullopt;
                        msec = *ms;
                    } else {
                        sc.setPos(afterSeconds);  // a literal text after the seconds ("19:05:09,")
                    }
                }
            } else {
                // Not a separator but the text a format writes after its minutes ("5분").
                sc.setPos(afterMinutes);
            }
        }
    }
    trailingText();
    if (!markerFirst) {
        marker = sc.word(markers);
        if (marker >= 0) trailingText();  // "7:05:09 e pasdites,"
    }
    int h = *hour;
    if (marker >= 0) {
        const bool pm = marker == 1 || marker == 3 || marker == 5;
        if (h < 1 || h > 12) return std::nullopt;
        h %= 12;
        if (pm) h += 12;
    } else if (!hasMinute) {
        return std::nullopt;
    }
    if (h > 23 || minute > 59 || second > 59) return std::nullopt;
    return QTime(h, minute, second, msec);
}

QString quoted(const QString& text) { return QLatin1Char('\'') + text + QLatin1Char('\''); }

base::Error dateError(const QString& text) {
    return base::MakeError(kInvalidDate, QStringLiteral("%1 is not a valid date").arg(quoted(text)));
}

}  // namespace

base::Result<QDate> TryStrToDate(const QString& text, const FormatSettings& settings) {
    Scanner sc(text);
    auto date = scanDate(sc, settings);
    sc.skipBlanks();
    if (!date || !sc.atEnd()) return dateError(text);
    return *date;
}

base::Result<QTime> TryStrToTime(const QString& text, const FormatSettings& settings) {
    Scanner sc(text);
    auto time = scanTime(sc, settings);
    sc.skipBlanks();
    if (!time || !sc.atEnd())
        return base::MakeError(kInvalidTime, QStringLiteral("%1 is not a valid time").arg(quoted(text)));
    return *time;
}

base::Result<QDateTime> TryStrToDateTime(const QString& text, const FormatSettings& settings) {
    {
        Scanner sc(text);
        if (auto date = scanDate(sc, settings)) {
            sc.skipBlanks();
            if (sc.atEnd()) return QDateTime(*date, QTime(0, 0));
            if (auto time = scanTime(sc, settings)) {
                sc.skipBlanks();
                if (sc.atEnd()) return QDateTime(*date, *time);
            }
        }
    }
    {
        Scanner sc(text);
        if (auto time = scanTime(sc, settings)) {
            sc.skipBlanks();
            if (sc.atEnd()) return QDateTime(QDate(1899, 12, 30), *time);
        }
    }
    return base::MakeError(kInvalidDateTime, QStringLiteral("%1 is not a valid date and time").arg(quoted(text)));
}

namespace {
template <typename T>
T valueOrThrow(base::Result<T> result) {
    if (!result.ok()) throw EConvertError(result.error().text, result.error().code);
    return std::move(result).value();
}
}  // namespace

QDate StrToDate(const QString& text, const FormatSettings& settings) {
    return valueOrThrow(TryStrToDate(text, settings));
}

QTime StrToTime(const QString& text, const FormatSettings& settings) {
    return valueOrThrow(TryStrToTime(text, settings));
}

QDateTime StrToDateTime(const QString& text, const FormatSettings& settings) {
    return valueOrThrow(TryStrToDateTime(text, settings));
}

}  // namespace format
