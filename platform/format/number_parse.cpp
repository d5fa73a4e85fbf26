#include "platform/format/number_parse.h"

#include "platform/format/errors.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace format {

namespace {

QString quoted(const QString& text) { return QLatin1Char('\'') + text + QLatin1Char('\''); }

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

base::Error integerError(const QString& text) {
    return base::MakeError(kInvalidInteger, QStringLiteral("%1 is not a valid integer value").arg(quoted(text)));
}

template <typename T>
base::Result<T> readInteger(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= t.size()) return integerError(text);
    // Accumulate as a negative number so that the type's smallest value fits.
    constexpr T lowest = std::numeric_limits<T>::min();
    T value = 0;
    for (; i < t.size(); ++i) {
        if (!isAsciiDigit(t[i])) return integerError(text);
        const T digit = static_cast<T>(t[i].unicode() - '0');
        if (value < (lowest + digit) / 10) return integerError(text);
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == lowest) return integerError(text);
        value = -value;
    }
    return value;
}

template <typename T>
T valueOrThrow(base::Result<T> result) {
    if (!result.ok()) throw EConvertError(result.error().text, result.error().code);
    return std::move(result).value();
}

}  // namespace

base::Result<int> TryStrToInt(const QString& text) { return readInteger<int>(text); }

base::Result<qint64> TryStrToInt64(const QString& text) { return readInteger<qint64>(text); }

base::Result<double> TryStrToFloat(const QString& text, const FormatSettings& settings) {
    const auto fail = [&] {
        return base::MakeError(kInvalidFloat, QStringLiteral("%1 is not a valid floating point value").arg(quoted(text)));
    };
    const QString t = text.trimmed();
    QString ascii;  // the number in the C locale's form, for the conversion
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ascii += t[i++];
    int mantissaDigits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (isAsciiDigit(c)) {
            ascii += c;
            ++mantissaDigits;
        } else if (c == settings.decimalSeparator && !point) {
            ascii += QLatin1Char('.');
            point = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return fail();
    if (i < t.size() && (t[i] == QLatin1Char('E') || t[i] == QLatin1Char('e'))) {
        ascii += QLatin1Char('e');
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ascii += t[i++];
        int exponentDigits = 0;
        for (; i < t.size() && isAsciiDigit(t[i]); ++i, ++exponentDigits) ascii += t[i];
        if (exponentDigits == 0) return fail();
    }
    if (i != t.size()) return fail();
    bool ok = false;
    const double value = QLocale::c().toDouble(ascii, &ok);
    if (!ok || !std::isfinite(value)) return fail();
    return value;
}

int StrToInt(const QString& text) { return valueOrThrow(TryStrToInt(text)); }

qint64 StrToInt64(const QString& text) { return valueOrThrow(TryStrToInt64(text)); }

double StrToFloat(const QString& text, const FormatSettings& settings) {
    return valueOrThrow(TryStrToFloat(text, settings));
}

int StrToIntDef(const QString& text, int fallback) { return TryStrToInt(text).value_or(fallback); }

}  // namespace format
