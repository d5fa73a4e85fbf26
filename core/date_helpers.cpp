#include "core/date_helpers.h"

#include "core/confirmation.h"
#include "core/globals.h"
#include "core/internal/format_bridge.h"

namespace core {

namespace {

/// The short date format split into its parts at the date separator ("/" in a format
/// stands for the separator).
QStringList formatParts() {
    QString format = ShortDateFormat();
    format.replace(QChar(u'/'), DateSeparator());
    return format.split(DateSeparator());
}

/// Builds a date text from its parts in the order of the short date format.
QString joinInFormatOrder(const QString& day, const QString& month, const QString& year) {
    const QStringList parts = formatParts();
    QStringList out;
    for (const QString& part : parts) {
        const QChar first = part.trimmed().isEmpty() ? QChar() : part.trimmed().front().toUpper();
        out << (first == u'D' ? day : first == u'M' ? month : year);
    }
    return out.join(DateSeparator());
}

}  // namespace

bool IsBlankDate(const QString& text) {
    if (text.trimmed().isEmpty()) return true;
    const QChar separator = DateSeparator();
    for (const QChar ch : text)
        if (ch != u' ' && ch != separator) return false;
    return true;
}

bool IsValidDateText(const QString& text) { return IsBlankDate(text) || ParseShortDate(text).has_value(); }

QDate DateTextToDate(const QString& text) {
    if (!IsBlankDate(text)) {
        if (const auto date = ParseShortDate(text)) return *date;
    }
    return QDate(1899, 12, 31);
}

QString DateFormatToEditMask(const QString& format) {
    QString mask = format;
    for (QChar& ch : mask)
        if (ch.isLetter()) ch = QChar(u'9');
    return mask;
}

DateTextParts SplitDateText(const QString& text) {
    DateTextParts parts;
    const QStringList format = formatParts();
    const QChar separator = DateSeparator();
    QString rest = text;
    for (int i = 0; i < 3; ++i) {
        const qsizetype at = rest.indexOf(separator);
        const QString piece = (at < 0 ? rest : rest.left(at)).trimmed();
        rest = at < 0 ? QString() : rest.mid(at + 1);
        const QString part = i < format.size() ? format.at(i).trimmed() : QString();
        const QChar letter = part.isEmpty() ? QChar() : part.front().toUpper();
        if (letter == u'D') parts.day = piece;
        else if (letter == u'M') parts.month = piece;
        else if (letter == u'Y') parts.year = piece;
    }
    return parts;
}

QString NormalizeDateText(const QString& text) {
    if (IsBlankDate(text) || !IsValidDateText(text)) return text;
    const DateTextParts parts = SplitDateText(text);
    const QString day = parts.day;
    const QString month = parts.month;
    // Rebuilt with the format's widths (leading zeros where the format has two letters),
    // the year as written.
    const QStringList format = formatParts();
    auto widthOf = [&](QChar letter) {
        for (const QString& part : format)
            if (!part.trimmed().isEmpty() && part.trimmed().front().toUpper() == letter) return part.trimmed().size();
        return qsizetype(1);
    };
    auto pad = [](const QString& s, qsizetype width) {
        return width >= 2 && s.size() < 2 ? QString(2 - s.size(), QChar(u'0')) + s : s;
    };
    return joinInFormatOrder(pad(QString::number(day.toInt()), widthOf(u'D')),
                             pad(QString::number(month.toInt()), widthOf(u'M')), parts.year);
}

QString ExpandDateYear(const QString& text, bool warn) {
    if (IsBlankDate(text) || !IsValidDateText(text)) return text;
    const DateTextParts parts = SplitDateText(text);
    if (parts.year.isEmpty()) {
        // A date typed without a year is one of the current year: write it out whole.
        const auto date = ParseShortDate(text);
        return date ? FormatShortDate(*date) : text;
    }
    if (parts.year.size() < 3) {
        const int shortYear = parts.year.toInt();
        const int year = shortYear < UserPrefs().Year2000Cutoff ? 2000 + shortYear : 1900 + shortYear;
        const QDate date(year, parts.month.toInt(), parts.day.toInt());
        if (!date.isValid()) return text;
        return FormatShortDate(date);
    }
    if (parts.year.size() == 3 && warn) {
        ShowWarning(QStringLiteral("The three-digit year \"%1\" may be an incorrect year.").arg(parts.year),
                    QStringLiteral("Dates: Three Digit Year"), 42510);
    }
    return text;
}

}  // namespace core
