#include "platform/format/number_format.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace format {

namespace {

// |value| = 0.d1 d2 d3 ... x 10^exponent, with no trailing zeros in `digits`; zero has no
// digits.
struct Decimal {
    QString digits;
    int exponent = 0;

    bool isZero() const { return digits.isEmpty(); }

    // Keeps `count` leading digits, rounding half away from zero; the exponent grows when
    // the rounding carries over (0.999 -> 0.1 x 10^1).
    void roundToDigits(int count) {
        if (count < 0) {
            digits.clear();
            return;
        }
        if (count >= digits.size()) return;
        const bool up = digits[count] >= QLatin1Char('5');
        digits.truncate(count);
        if (up) {
            int i = count - 1;
            while (i >= 0 && digits[i] == QLatin1Char('9')) {
                digits[i] = QLatin1Char('0');
                --i;
            }
            if (i < 0) {
                digits.prepend(QLatin1Char('1'));
                ++exponent;
                digits.truncate(qMax(count, 1));
            } else {
                digits[i] = QChar(digits[i].unicode() + 1);
            }
        }
        while (!digits.isEmpty() && digits.back() == QLatin1Char('0')) digits.chop(1);
        if (digits.isEmpty()) exponent = 0;
    }

    void roundToDecimals(int decimals) {
        if (isZero()) return;
        const int keep = exponent + decimals;
        if (keep < 0) {
            digits.clear();
            exponent = 0;
            return;
        }
        if (keep == 0) {
            // Only the rounding digit decides: 0.5 -> 1 x 10^(-decimals+1)
            if (digits[0] >= QLatin1Char('5')) {
                digits = QStringLiteral("1");
                exponent += 1;
            } else {
                digits.clear();
                exponent = 0;
            }
            return;
        }
        roundToDigits(keep);
    }

    // The nearest double, negated when `negative`.
    double toDouble(bool negative) const {
        if (isZero()) return 0.0;
        const double v = QStringLiteral("0.%1e%2").arg(digits).arg(exponent).toDouble();
        return negative ? -v : v;
    }

    // Digits of the integer part, without leading zeros ("" for a value below 1).
    QString integerDigits() const {
        if (exponent <= 0) return {};
        QString out = digits.left(exponent);
        while (out.size() < exponent) out += QLatin1Char('0');
        return out;
    }

    // The first `count` digits after the decimal point.
    QString fractionDigits(int count) const {
        QString out;
        for (int i = 0; i < count; ++i) {
            const int index = exponent + i;
            out += index >= 0 && index < digits.size() ? digits[index] : QLatin1Char('0');
        }
        return out;
    }
};

// The decimal form of |value| with `precision` significant digits.
Decimal toDecimal(double value, int precision) {
    Decimal d;
    value = std::fabs(value);
    if (value == 0.0) return d;
    precision = qBound(1, precision, 17);
    const QString text = QString::number(value, 'e', precision - 1);  // "d.ddde+XX"
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    QString mantissa = text.left(e);
    mantissa.remove(QLatin1Char('.'));
    d.digits = mantissa;
    d.exponent = text.mid(e + 1).toInt() + 1;
    while (!d.digits.isEmpty() && d.digits.back() == QLatin1Char('0')) d.digits.chop(1);
    if (d.digits.isEmpty()) d.exponent = 0;
    return d;
}

// The decimal form of |value| with the fewest digits that read back as the same double
// (at most 17): every digit the value has, and none that it has not. 2.675 stays 2.675,
// as it was typed, although the nearest double lies a little below it.
Decimal shortestDecimal(double value) {
    Decimal d;
    value = std::fabs(value);
    if (value == 0.0 || !std::isfinite(value)) return d;
    const QString text = QString::number(value, 'e', QLocale::FloatingPointShortest);  // "d.ddde+XX"
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    QString mantissa = text.left(e);
    mantissa.remove(QLatin1Char('.'));
    while (!mantissa.isEmpty() && mantissa.back() == QLatin1Char('0')) mantissa.chop(1);
    d.digits = mantissa;
    d.exponent = text.mid(e + 1).toInt() + 1;
    return d;
}

// Integer digits with thousand separators.
QString group(const QString& digits, QChar separator) {
    if (separator.isNull()) return digits;
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        out += digits[i];
        const qsizetype left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += separator;
    }
    return out;
}

// Splits a pattern at ";" outside quoted text.
QStringList sections(const QString& pattern) {
    QStringList out;
    QString current;
    QChar quote;
    for (QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            current += c;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            out << current;
            current.clear();
            continue;
        }
        current += c;
    }
    out << current;
    return out;
}

// What a section asks for, read before writing.
struct SectionShape {
    int integerPlaces = 0;      ///< "0" and "#" before the decimal point
    int leadingOptional = 0;    ///< "#"s before the first "0" of the integer part
    bool thousands = false;
    bool hasPoint = false;
    int fractionPlaces = 0;
    int fractionRequired = 0;   ///< up to and including the last "0" after the point
    bool scientific = false;
};

bool isExponentAt(const QString& s, qsizetype i) {
    return (s[i] == QLatin1Char('E') || s[i] == QLatin1Char('e')) && i + 1 < s.size() &&
           (s[i + 1] == QLatin1Char('+') || s[i + 1] == QLatin1Char('-'));
}

SectionShape shapeOf(const QString& section) {
    SectionShape shape;
    bool seenZero = false;
    QChar quote;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (isExponentAt(section, i)) {
            shape.scientific = true;
            break;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (shape.hasPoint) {
                ++shape.fractionPlaces;
                if (c == QLatin1Char('0')) shape.fractionRequired = shape.fractionPlaces;
            } else {
                ++shape.integerPlaces;
                if (c == QLatin1Char('0')) seenZero = true;
                if (!seenZero) ++shape.leadingOptional;
            }
        } else if (c == QLatin1Char('.')) {
            shape.hasPoint = true;
        } else if (c == QLatin1Char(',') && !shape.hasPoint) {
            shape.thousands = true;
        }
    }
    return shape;
}

QString writeSection(const QString& section, Decimal d, const FormatSettings& s) {
    const SectionShape shape = shapeOf(section);
    QString integerPart;
    QString fraction;
    QString exponentText;
    int exponentValue = 0;

    if (shape.scientific) {
        const int places = qMax(1, shape.integerPlaces);
        if (!d.isZero()) {
            d.roundToDigits(places + shape.fractionPlaces);
            exponentValue = d.exponent - places;
            d.exponent = places;
        }
        integerPart = d.integerDigits();
        fraction = d.fractionDigits(shape.fractionPlaces);
    } else {
        d.roundToDecimals(shape.fractionPlaces);
        integerPart = d.integerDigits();
        fraction = d.fractionDigits(shape.fractionPlaces);
    }
    while (fraction.size() > shape.fractionRequired && fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);

    const int minimumDigits = shape.integerPlaces - shape.leadingOptional;
    while (integerPart.size() < minimumDigits) integerPart.prepend(QLatin1Char('0'));
    const QChar separator = shape.thousands ? s.thousandSeparator : QChar();

    QString out;
    int placeIndex = 0;    // integer placeholders met so far
    int fractionIndex = 0;
    bool pointWritten = false;
    bool afterPoint = false;
    QChar quote;
    const int places = shape.integerPlaces;
    auto writeIntegerPlace = [&](int k) {
        // Only the placeholders counted before any exponent take digits; a section without
        // any gets its digits at the decimal point or the exponent (k == 0).
        if (k >= qMax(places, 1)) return;
        const int fromRight = places - 1 - k;
        const qsizetype n = integerPart.size();
        if (k == 0 && n > places) {
            // Digits beyond the placeholders go in front of the first one.
            for (qsizetype i = 0; i < n - places; ++i) {
                out += integerPart[i];
                const qsizetype left = n - 1 - i;
                if (!separator.isNull() && left > 0 && left % 3 == 0) out += separator;
            }
        }
        if (fromRight >= 0 && fromRight < n) {
            out += integerPart[n - 1 - fromRight];
            if (!separator.isNull() && fromRight > 0 && fromRight % 3 == 0) out += separator;
        }
    };
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!quote.isNull()) {
            if (c == quote) {
                quote = QChar();
            } else {
                out += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            continue;
        }
        if (isExponentAt(section, i)) {
            if (!afterPoint && places == 0 && placeIndex == 0) writeIntegerPlace(placeIndex++);
            const bool plus = section[i + 1] == QLatin1Char('+');
            qsizetype j = i + 2;
            int minDigits = 0;
            while (j < section.size() && section[j] == QLatin1Char('0')) {
                ++minDigits;
                ++j;
            }
            exponentText = QString::number(std::abs(exponentValue));
            while (exponentText.size() < minDigits) exponentText.prepend(QLatin1Char('0'));
            out += section[i];
            if (exponentValue < 0) {
                out += QLatin1Char('-');
            } else if (plus) {
                out += QLatin1Char('+');
            }
            out += exponentText;
            i = j - 1;
            continue;
        }
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (afterPoint) {
                if (fractionIndex < fraction.size()) out += fraction[fractionIndex];
                ++fractionIndex;
            } else {
                writeIntegerPlace(placeIndex++);
            }
            continue;
        }
        if (c == QLatin1Char('.') && !pointWritten) {
            if (places == 0 && placeIndex == 0 && integerPart.size() > 0) writeIntegerPlace(placeIndex++);
            pointWritten = true;
            afterPoint = true;
            if (!fraction.isEmpty()) out += s.decimalSeparator;
            continue;
        }
        if (c == QLatin1Char(',')) continue;
        out += c;
    }
    return out;
}

}  // namespace

namespace {

// Integer digits beyond which a pattern without an exponent gives way to the general form.
constexpr int kMaxPatternIntegerDigits = 18;

// Writes |value| = `magnitude` (already rounded as its caller wants) by the pattern; `value`
// itself gives the sign and the general form where the pattern has none to offer.
QString formatDecimal(const QString& pattern, double value, const Decimal& magnitude, const FormatSettings& settings) {
    const QStringList parts = sections(pattern);
    QString section = parts[0];
    bool minus = false;
    if (value < 0) {
        if (parts.size() >= 2 && !parts[1].isEmpty()) {
            section = parts[1];
        } else {
            minus = true;
        }
    }
    // Zero after rounding to the section's decimals: the zero section, never a minus sign.
    SectionShape shape = shapeOf(section);
    Decimal rounded = magnitude;
    if (!shape.scientific) rounded.roundToDecimals(shape.fractionPlaces);
    if (rounded.isZero()) {
        minus = false;
        if (parts.size() >= 3 && !parts[2].isEmpty()) {
            section = parts[2];
        } else {
            section = parts[0];
        }
        shape = shapeOf(section);
    }
    // An empty section, or a value with more integer digits than a pattern writes, is
    // written in the general form.
    if (section.isEmpty() || (!shape.scientific && rounded.exponent > kMaxPatternIntegerDigits))
        return FloatToStr(rounded.isZero() ? 0.0 : magnitude.toDouble(value < 0), settings);
    QString out = writeSection(section, magnitude, settings);
    if (minus) out.prepend(QLatin1Char('-'));
    return out;
}

}  // namespace

QString FormatFloat(const QString& pattern, double value, const FormatSettings& settings) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (pattern.isEmpty()) return FloatToStr(value, settings);
    // Rounded at the pattern's decimals from every digit the value has, not from 15.
    return formatDecimal(pattern, value, shortestDecimal(value), settings);
}

QString FormatCurr(const QString& pattern, double value, const FormatSettings& settings) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    // A currency amount has four decimals: round there first, in decimal, at any size.
    Decimal amount = shortestDecimal(value);
    amount.roundToDecimals(4);
    return formatDecimal(pattern, value, amount, settings);
}

namespace {

QString placeCurrency(const QString& amount, bool negative, const FormatSettings& s) {
    const QString& c = s.currencyString;
    if (!negative) {
        switch (s.currencyFormat) {
        case 1: return amount + c;
        case 2: return c + QLatin1Char(' ') + amount;
        case 3: return amount + QLatin1Char(' ') + c;
        default: return c + amount;
        }
    }
    switch (s.negCurrFormat) {
    case 1: return QLatin1Char('-') + c + amount;
    case 2: return c + QLatin1Char('-') + amount;
    case 3: return c + amount + QLatin1Char('-');
    case 4: return QLatin1Char('(') + amount + c + QLatin1Char(')');
    case 5: return QLatin1Char('-') + amount + c;
    case 6: return amount + QLatin1Char('-') + c;
    case 7: return amount + c + QLatin1Char('-');
    case 8: return QLatin1Char('-') + amount + QLatin1Char(' ') + c;
    case 9: return QLatin1Char('-') + c + QLatin1Char(' ') + amount;
    case 10: return amount + QLatin1Char(' ') + c + QLatin1Char('-');
    case 11: return c + QLatin1Char(' ') + amount + QLatin1Char('-');
    case 12: return c + QLatin1Char(' ') + QLatin1Char('-') + amount;
    case 13: return amount + QLatin1Char('-') + QLatin1Char(' ') + c;
    case 14: return QLatin1Char('(') + c + QLatin1Char(' ') + amount + QLatin1Char(')');
    case 15: return QLatin1Char('(') + amount + QLatin1Char(' ') + c + QLatin1Char(')');
    default: return QLatin1Char('(') + c + amount + QLatin1Char(')');
    }
}

}  // namespace

QString FloatToStrF(double value, FloatFormat form, int precision, int digits, const FormatSettings& s) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    precision = qBound(1, precision, 17);
    Decimal d = toDecimal(value, precision);
    bool negative = value < 0;

    if (form == FloatFormat::General) {
        if (d.isZero()) return QStringLiteral("0");
        const QString sign = negative ? QStringLiteral("-") : QString();
        if (d.exponent > precision || d.exponent < -4) {
            const int exponent = d.exponent - 1;
            QString mantissa = d.digits.left(1);
            if (d.digits.size() > 1) mantissa += s.decimalSeparator + d.digits.mid(1);
            QString e = QString::number(std::abs(exponent));
            while (e.size() < digits) e.prepend(QLatin1Char('0'));
            return sign + mantissa + QLatin1Char('E') + (exponent < 0 ? QStringLiteral("-") : QString()) + e;
        }
        QString integer = d.integerDigits();
        if (integer.isEmpty()) integer = QStringLiteral("0");
        const int decimals = qMax(0, static_cast<int>(d.digits.size()) - d.exponent);
        const QString fraction = d.fractionDigits(decimals);
        return sign + integer + (fraction.isEmpty() ? QString() : s.decimalSeparator + fraction);
    }

    digits = qBound(0, digits, 18);
    d.roundToDecimals(digits);
    if (d.isZero()) negative = false;
    QString integer = d.integerDigits();
    if (integer.isEmpty()) integer = QStringLiteral("0");
    if (form != FloatFormat::Fixed) integer = group(integer, s.thousandSeparator);
    QString amount = integer;
    if (digits > 0) amount += s.decimalSeparator + d.fractionDigits(digits);
    if (form == FloatFormat::Currency) return placeCurrency(amount, negative, s);
    return negative ? QLatin1Char('-') + amount : amount;
}

QString FloatToStr(double value, const FormatSettings& settings) {
    return FloatToStrF(value, FloatFormat::General, 15, 0, settings);
}

}  // namespace format
