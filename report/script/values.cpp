#include "report/script/values.h"
#include "report/script/members.h"

#include "platform/base/day_time.h"
#include "platform/format/date_time_format.h"
#include "report/page/class_library.h"
#include "report/script/enum_types.h"
#include "report/script/errors.h"

#include <QDateTime>

#include <cmath>
#include <cstdio>
#include <limits>

namespace script {
namespace {

struct VarDate {
    double days = 0;
    bool operator==(const VarDate&) const = default;
};

}  // namespace
}  // namespace script

Q_DECLARE_METATYPE(script::VarDate)

namespace script {

double NowDays() {
    return base::DateTimeToDays(QDateTime::currentDateTime());
}

double TodayDays() {
    return base::DateToDays(QDate::currentDate());
}

double TimeOfDayDays() {
    return base::TimeToDays(QTime::currentTime());
}

QVariant NullVariant() {
    return QVariant::fromValue(nullptr);
}

bool IsNullVariant(const QVariant& v) {
    return v.metaType() == QMetaType::fromType<std::nullptr_t>();
}

bool IsEmptyVariant(const QVariant& v) {
    return !v.isValid();
}

QVariant DateVariant(double days) {
    return QVariant::fromValue(VarDate{days});
}

bool IsDateVariant(const QVariant& v) {
    return v.metaType() == QMetaType::fromType<VarDate>();
}

namespace {

[[noreturn]] void fail(const char* cause) {
    throw EScriptRunError(QString::fromLatin1(cause));
}

QString daysText(double days, int which) {
    if (days == 0)
        return {};
    if (!base::IsValidDayNumber(days))
        return FormatGeneral(days, 15);
    switch (which) {
    case 0:
        return format::DateTimeToStr(base::DaysToDateTime(days));
    case 1:
        return format::DateToStr(base::DaysToDate(days));
    default:
        return format::TimeToStr(base::DaysToTime(days));
    }
}

bool isStringVariant(const QVariant& v) {
    return v.metaType().id() == QMetaType::QString;
}

bool isNumericVariant(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UChar:
        return true;
    default:
        return v.metaType() == QMetaType::fromType<TCurrency>() || IsDateVariant(v);
    }
}

}  // namespace

QString VariantTypeName(const QVariant& v) {
    if (IsEmptyVariant(v))
        return QStringLiteral("Empty");
    if (IsNullVariant(v))
        return QStringLiteral("Null");
    if (IsDateVariant(v))
        return QStringLiteral("Date");
    if (v.metaType() == QMetaType::fromType<TCurrency>())
        return QStringLiteral("Currency");
    if (v.metaType() == QMetaType::fromType<script::ObjectRef>())
        return QStringLiteral("Object");
    switch (v.metaType().id()) {
    case QMetaType::Int:
        return QStringLiteral("Integer");
    case QMetaType::Double:
        return QStringLiteral("Double");
    case QMetaType::Bool:
        return QStringLiteral("Boolean");
    case QMetaType::QString:
        return QStringLiteral("String");
    default:
        return QString::fromLatin1(v.typeName());
    }
}

namespace {

[[noreturn]] void failConversion(const QVariant& v, const char* target) {
    throw EScriptRunError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                              .arg(VariantTypeName(v), QString::fromLatin1(target)));
}

/// Reads a string as a number the way variants do ("12", " 3.5", "1E3"); nothing when it
/// is not one.
std::optional<long double> parseNumber(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long double v = std::strtold(bytes.constData(), &end);
    if (end != bytes.constData() + bytes.size() || errno == ERANGE || std::isnan(v) || std::isinf(v))
        return std::nullopt;
    return v;
}

/// Compares two strings by code point: negative, 0 or positive.
int compareCodePoints(const QString& a, const QString& b) {
    const QList<uint> ua = a.toUcs4();
    const QList<uint> ub = b.toUcs4();
    const qsizetype n = std::min(ua.size(), ub.size());
    for (qsizetype i = 0; i < n; ++i)
        if (ua[i] != ub[i])
            return ua[i] < ub[i] ? -1 : 1;
    return ua.size() == ub.size() ? 0 : (ua.size() < ub.size() ? -1 : 1);
}

char32_t firstCodePoint(const QString& s) {
    if (s.isEmpty())
        return 0;
    const QList<uint> u = s.left(2).toUcs4();
    return u.isEmpty() ? 0 : char32_t(u[0]);
}

QString charText(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

/// The answer of a relational operator for an ordering (-1, 0, 1); false for "is".
bool relation(int order, TraTokenType op) {
    switch (op) {
    case TraTokenType::ttEqual:
        return order == 0;
    case TraTokenType::ttNe:
        return order != 0;
    case TraTokenType::ttLt:
        return order < 0;
    case TraTokenType::ttGt:
        return order > 0;
    case TraTokenType::ttLe:
        return order <= 0;
    case TraTokenType::ttGe:
        return order >= 0;
    default:
        return false;
    }
}

template <class T>
int order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

TraValue* boolTemp(bool v) {
    return MakeTemp<TraBooleanValue>(v);
}

TraValue* evaluated(TraValue* node) {
    return node ? node->Evaluate() : nullptr;
}

std::optional<QString> readString(TraValue* node);
std::optional<char32_t> readChar(TraValue* node);

}  // namespace

QString FormatGeneral(long double value, int digits) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.*Le", digits - 1, value);
    // buf: [-]d.ddddde[+-]xx
    QString s = QString::fromLatin1(buf);
    const bool negative = s.startsWith(QLatin1Char('-'));
    if (negative)
        s.remove(0, 1);
    const int ePos = int(s.indexOf(QLatin1Char('e')));
    const int exponent = s.mid(ePos + 1).toInt();
    QString mantissa = s.left(ePos);
    mantissa.remove(QLatin1Char('.'));
    while (mantissa.size() > 1 && mantissa.endsWith(QLatin1Char('0')))
        mantissa.chop(1);
    QString out;
    if (exponent >= -5 && exponent < digits) {
        if (exponent >= 0) {
            QString intPart = mantissa.left(exponent + 1);
            while (intPart.size() < exponent + 1)
                intPart += QLatin1Char('0');
            const QString frac = mantissa.mid(exponent + 1);
            out = frac.isEmpty() ? intPart : intPart + QLatin1Char('.') + frac;
        } else {
            out = QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + mantissa;
        }
    } else {
        out = mantissa.left(1);
        if (mantissa.size() > 1)
            out += QLatin1Char('.') + mantissa.mid(1);
        out += QLatin1Char('E') + (exponent < 0 ? QStringLiteral("-") : QString()) + QString::number(std::abs(exponent));
    }
    return negative ? QLatin1Char('-') + out : out;
}

QString VariantToString(const QVariant& v) {
    if (IsEmptyVariant(v) || IsNullVariant(v))
        return {};
    if (IsDateVariant(v))
        return daysText(v.value<VarDate>().days, 0);
    if (v.metaType() == QMetaType::fromType<TCurrency>())
        return FormatGeneral(static_cast<long double>(v.value<TCurrency>().TenThousandths) / 10000, 18);
    switch (v.metaType().id()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return FormatGeneral(v.toDouble(), 15);
    default:
        return v.toString();
    }
}

long double VariantToFloat(const QVariant& v) {
    if (IsDateVariant(v))
        return v.value<VarDate>().days;
    if (v.metaType() == QMetaType::fromType<TCurrency>())
        return static_cast<long double>(v.value<TCurrency>().TenThousandths) / 10000;
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UChar:
        return v.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::Bool:
        return v.toBool() ? -1 : 0;
    case QMetaType::QString:
        if (auto n = parseNumber(v.toString()))
            return *n;
        failConversion(v, "Double");
    default:
        failConversion(v, "Double");
    }
}

qint64 TruncToInt64(long double v) {
    if (std::isnan(v) || v >= 9223372036854775808.0L || v < -9223372036854775808.0L)
        fail("Invalid floating point operation");
    return static_cast<qint64>(v);  // truncates toward zero
}

qint32 ToInteger(long double v) {
    const qint64 t = TruncToInt64(v);
    if (t > std::numeric_limits<qint32>::max() || t < std::numeric_limits<qint32>::min())
        fail("Range check error");
    return qint32(t);
}

namespace {

/// A variant read for a target kind: Empty and Null become "" for strings, Null otherwise.
QVariant readAsImpl(const QVariant& v, TraDataType kind) {
    if (IsEmptyVariant(v) || IsNullVariant(v))
        return kind == TraDataType::daString ? QVariant(QString()) : NullVariant();
    return v;
}

std::optional<QString> readString(TraValue* node) {
    node = evaluated(node);
    if (auto* s = dynamic_cast<TraStringValue*>(node))
        return s->Value();
    if (auto* c = dynamic_cast<TraCharValue*>(node))
        return charText(c->Value());
    if (auto* v = dynamic_cast<TraVariantValue*>(node))
        return VariantToString(TraVariantValue::ReadAs(v->Value(), TraDataType::daString));
    return std::nullopt;
}

std::optional<char32_t> readChar(TraValue* node) {
    node = evaluated(node);
    if (auto* c = dynamic_cast<TraCharValue*>(node))
        return c->Value();
    if (auto* s = dynamic_cast<TraStringValue*>(node))
        return firstCodePoint(s->Value());
    return std::nullopt;
}

qint32 variantToInteger(const QVariant& v) {
    const QVariant r = TraVariantValue::ReadAs(v, TraDataType::daInteger);
    if (IsNullVariant(r))
        failConversion(v, "Integer");
    if (r.metaType().id() == QMetaType::Bool)
        return r.toBool() ? -1 : 0;
    long double f = 0;
    if (isStringVariant(r)) {
        auto n = parseNumber(r.toString());
        if (!n)
            failConversion(r, "Integer");
        f = *n;
    } else {
        f = VariantToFloat(r);
    }
    // Variants convert to integers by rounding, ties to even.
    return ToInteger(std::nearbyint(f));
}

std::optional<qint32> readInteger(TraValue* node) {
    node = evaluated(node);
    if (auto* i = dynamic_cast<TraIntegerValue*>(node))
        return i->Value();
    if (auto* f = dynamic_cast<TraSingleValue*>(node))
        return ToInteger(f->Value());
    if (auto* f = dynamic_cast<TraDoubleValue*>(node))
        return ToInteger(f->Value());
    if (auto* f = dynamic_cast<TraExtendedValue*>(node))
        return ToInteger(f->Value());
    if (auto* c = dynamic_cast<TraCurrencyValue*>(node))
        return ToInteger(static_cast<long double>(c->Value()) / 10000);
    if (auto* o = dynamic_cast<TraObjectResolver*>(node); o && node->DataType() != TraDataType::daInteger)
        return script::ObjectHandle(o->GetObject());  // a handle that converts back only to this object
    if (auto* v = dynamic_cast<TraVariantValue*>(node))
        return variantToInteger(v->Value());
    return std::nullopt;
}

/// Single, Double and Extended targets.
std::optional<long double> readFloat(TraValue* node) {
    node = evaluated(node);
    if (auto* i = dynamic_cast<TraIntegerValue*>(node))
        return i->Value();
    if (auto* f = dynamic_cast<TraSingleValue*>(node))
        return f->Value();
    if (auto* f = dynamic_cast<TraDoubleValue*>(node))
        return f->Value();
    if (auto* f = dynamic_cast<TraExtendedValue*>(node))
        return f->Value();
    if (auto* c = dynamic_cast<TraCurrencyValue*>(node))
        return static_cast<long double>(c->Value()) / 10000;
    if (auto* v = dynamic_cast<TraVariantValue*>(node)) {
        const QVariant r = TraVariantValue::ReadAs(v->Value(), TraDataType::daDouble);
        if (IsNullVariant(r))
            failConversion(v->Value(), "Double");
        return VariantToFloat(r);
    }
    return std::nullopt;
}

qint64 toCurrency(long double v) {
    const long double scaled = std::nearbyint(v * 10000);  // ties to even
    return TruncToInt64(scaled);
}

std::optional<qint64> readCurrency(TraValue* node) {
    node = evaluated(node);
    if (auto* c = dynamic_cast<TraCurrencyValue*>(node))
        return c->Value();
    if (dynamic_cast<TraVariantValue*>(node) || dynamic_cast<TraNumericValue*>(node)) {
        if (auto f = readFloat(node))
            return toCurrency(*f);
    }
    return std::nullopt;
}

std::optional<int> readOrdinal(TraValue* node) {
    node = evaluated(node);
    if (auto* e = dynamic_cast<TraEnumValue*>(node))
        return e->Ord();
    return std::nullopt;
}

std::optional<bool> readBoolean(TraValue* node) {
    node = evaluated(node);
    if (auto* b = dynamic_cast<TraBooleanValue*>(node))
        return b->Value();
    return std::nullopt;
}

}  // namespace
}  // namespace script

using namespace script;

QVariant TraVariantValue::ReadAs(const QVariant& aValue, TraDataType aKind) {
    return readAsImpl(aValue, aKind);
}

// ---- String ---------------------------------------------------------------------------

void TraStringValue::SetValue(const QString& aValue) {
    m_value = aValue;
    SendNotify(this, kOpValueAssigned);
}

void TraStringValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto s = readString(const_cast<TraValue*>(&aSource)))
        m_value = *s;
}

bool TraStringValue::ConvertFrom(TraValue* aSource) {
    auto s = readString(aSource);
    if (s)
        m_value = *s;
    return s.has_value();
}

TraValue* TraStringValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    auto right = readString(aOther);
    if (!right)
        return nullptr;
    if (aOperator == TraTokenType::ttPlus)
        return MakeTemp<TraStringValue>(m_value + *right);
    return MakeTemp<TraStringValue>(QString());
}

TraValue* TraStringValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    auto right = readString(aOther);
    if (!right)
        return nullptr;
    if (aOperator == TraTokenType::ttIs)
        return boolTemp(false);
    // = and <> are exact and case-sensitive; the orderings go by code point.
    return boolTemp(relation(compareCodePoints(m_value, *right), aOperator));
}

// ---- Char ------------------------------------------------------------------------------

void TraCharValue::SetValue(char32_t aValue) {
    m_value = aValue;
    SendNotify(this, kOpValueAssigned);
}

QString TraCharValue::GetText() const {
    return charText(m_value);
}

void TraCharValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto c = readChar(const_cast<TraValue*>(&aSource)))
        m_value = *c;
}

bool TraCharValue::ConvertFrom(TraValue* aSource) {
    auto c = readChar(aSource);
    if (c)
        m_value = *c;
    return c.has_value();
}

TraValue* TraCharValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    auto right = readChar(aOther);
    if (!right)
        return nullptr;
    if (aOperator == TraTokenType::ttPlus)
        return MakeTemp<TraStringValue>(charText(m_value) + charText(*right));
    return MakeTemp<TraStringValue>(QString());
}

TraValue* TraCharValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    auto right = readChar(aOther);
    if (!right)
        return nullptr;
    if (aOperator == TraTokenType::ttIs)
        return boolTemp(false);
    return boolTemp(relation(order(m_value, *right), aOperator));
}

// ---- Numbers ---------------------------------------------------------------------------

std::optional<long double> TraNumericValue::AsExtended(TraValue* aNode) {
    aNode = evaluated(aNode);
    if (auto* i = dynamic_cast<TraIntegerValue*>(aNode))
        return i->Value();
    if (auto* f = dynamic_cast<TraSingleValue*>(aNode))
        return f->Value();
    if (auto* f = dynamic_cast<TraDoubleValue*>(aNode))
        return f->Value();
    if (auto* f = dynamic_cast<TraExtendedValue*>(aNode))
        return f->Value();
    if (auto* c = dynamic_cast<TraCurrencyValue*>(aNode))
        return static_cast<long double>(c->Value()) / 10000;
    if (auto* d = dynamic_cast<DayNumberValue*>(aNode))
        return d->Value();
    if (auto* v = dynamic_cast<TraVariantValue*>(aNode)) {
        if (isNumericVariant(v->Value()))
            return VariantToFloat(v->Value());
    }
    return std::nullopt;
}

TraValue* TraNumericValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    return Calculate(aOther, aOperator);
}

TraValue* TraNumericValue::Calculate(TraValue* aOther, TraTokenType aOperator) {
    const bool integerOperation = dynamic_cast<TraIntegerValue*>(this) &&
                                  dynamic_cast<TraIntegerValue*>(evaluated(aOther)) &&
                                  aOperator != TraTokenType::ttSlash;
    auto left = AsExtended(this);
    if (!left)
        return nullptr;
    long double result = 0;
    if (aOperator == TraTokenType::ttUnaryPlus) {
        result = *left;
    } else if (aOperator == TraTokenType::ttUnaryMinus) {
        result = -*left;
    } else if (aOperator == TraTokenType::ttNot) {
        return nullptr;
    } else {
        auto right = AsExtended(aOther);
        if (!right)
            return nullptr;
        switch (aOperator) {
        case TraTokenType::ttPlus:
            result = *left + *right;
            break;
        case TraTokenType::ttMinus:
            result = *left - *right;
            break;
        case TraTokenType::ttStar:
            result = *left * *right;
            break;
        case TraTokenType::ttSlash:
            if (*right == 0)
                fail("Division by zero");
            result = *left / *right;
            break;
        case TraTokenType::ttDiv: {
            const qint64 r = TruncToInt64(*right);
            if (r == 0)
                fail("Division by zero");
            const qint64 l = TruncToInt64(*left);
            if (l == std::numeric_limits<qint64>::min() && r == -1)
                fail("Integer overflow");
            result = static_cast<long double>(l / r);
            break;
        }
        case TraTokenType::ttMod: {
            const qint64 r = TruncToInt64(*right);
            if (r == 0)
                fail("Division by zero");
            const qint64 l = TruncToInt64(*left);
            result = r == -1 ? 0 : static_cast<long double>(l % r);
            break;
        }
        default:
            result = 0;  // and, or
            break;
        }
    }
    if (std::isinf(result) || std::isnan(result))
        fail("Floating point overflow");
    const bool whole = std::trunc(result) == result;
    if ((integerOperation || whole) && result >= std::numeric_limits<qint32>::min() &&
        result <= std::numeric_limits<qint32>::max())
        return MakeTemp<TraIntegerValue>(qint32(std::trunc(result)));
    // Beyond 32 bits the result stays exact as an Extended instead of wrapping.
    return MakeTemp<TraExtendedValue>(integerOperation ? std::trunc(result) : result);
}

TraValue* TraNumericValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    return CompareNumbers(this, aOther, aOperator);
}

TraValue* TraNumericValue::CompareNumbers(TraValue* aLeft, TraValue* aRight, TraTokenType aOperator) {
    auto left = AsExtended(aLeft);
    auto right = AsExtended(aRight);
    if (!left || !right)
        return nullptr;
    if (aOperator == TraTokenType::ttIs)
        return boolTemp(false);
    return boolTemp(relation(order(*left, *right), aOperator));
}

void TraIntegerValue::SetValue(qint32 aValue) {
    m_value = aValue;
    SendNotify(this, kOpValueAssigned);
}

void TraIntegerValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto i = readInteger(const_cast<TraValue*>(&aSource)))
        m_value = *i;
}

bool TraIntegerValue::ConvertFrom(TraValue* aSource) {
    auto i = readInteger(aSource);
    if (i)
        m_value = *i;
    return i.has_value();
}

template <class T, TraDataType Kind>
QString TraFloatValueOf<T, Kind>::GetText() const {
    const int digits = Kind == TraDataType::daSingle ? 8 : Kind == TraDataType::daDouble ? 15 : 18;
    return FormatGeneral(static_cast<long double>(m_value), digits);
}

template <class T, TraDataType Kind>
void TraFloatValueOf<T, Kind>::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto* same = dynamic_cast<const TraFloatValueOf<T, Kind>*>(&aSource))
        m_value = same->m_value;
}

template <class T, TraDataType Kind>
bool TraFloatValueOf<T, Kind>::ConvertFrom(TraValue* aSource) {
    auto f = readFloat(aSource);
    if (f) {
        if (Kind != TraDataType::daExtended && std::fabs(*f) > static_cast<long double>(std::numeric_limits<T>::max()))
            fail("Floating point overflow");
        m_value = static_cast<T>(*f);
    }
    return f.has_value();
}

template class TraFloatValueOf<float, TraDataType::daSingle>;
template class TraFloatValueOf<double, TraDataType::daDouble>;
template class TraFloatValueOf<long double, TraDataType::daExtended>;

void TraCurrencyValue::SetValue(qint64 aTenThousandths) {
    m_value = aTenThousandths;
    SendNotify(this, kOpValueAssigned);
}

QString TraCurrencyValue::GetText() const {
    return FormatGeneral(static_cast<long double>(m_value) / 10000, 18);
}

void TraCurrencyValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto* same = dynamic_cast<const TraCurrencyValue*>(&aSource))
        m_value = same->m_value;
}

bool TraCurrencyValue::ConvertFrom(TraValue* aSource) {
    auto c = readCurrency(aSource);
    if (c)
        m_value = *c;
    return c.has_value();
}

// ---- Dates -----------------------------------------------------------------------------

void DayNumberValue::SetValue(double aDays) {
    m_value = aDays;
    SendNotify(this, kOpValueAssigned);
}

std::optional<double> DayNumberValue::ReadDays(TraValue* aNode) {
    aNode = evaluated(aNode);
    if (auto* d = dynamic_cast<DayNumberValue*>(aNode))
        return d->Value();
    if (auto* f = dynamic_cast<TraDoubleValue*>(aNode))
        return f->Value();
    if (auto* v = dynamic_cast<TraVariantValue*>(aNode)) {
        const QVariant r = TraVariantValue::ReadAs(v->Value(), TraDataType::daDateTime);
        if (IsNullVariant(r))
            failConversion(v->Value(), "Date");
        return double(VariantToFloat(r));
    }
    return std::nullopt;
}

void DayNumberValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (typeid(aSource) == typeid(*this))
        m_value = static_cast<const DayNumberValue&>(aSource).m_value;
}

bool DayNumberValue::ConvertFrom(TraValue* aSource) {
    auto d = ReadDays(aSource);
    if (d)
        m_value = *d;
    return d.has_value();
}

TraValue* DayNumberValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    std::optional<double> right = ReadDays(aOther);
    const bool additive = aOperator == TraTokenType::ttPlus || aOperator == TraTokenType::ttMinus;
    if (!right && additive) {
        // A number of days: Integer, Single, Extended and Currency operands too.
        if (auto n = TraNumericValue::AsExtended(aOther); n && dynamic_cast<TraNumericValue*>(evaluated(aOther)))
            right = double(*n);
    }
    if (!right)
        return nullptr;
    if (aOperator == TraTokenType::ttPlus)
        return makeTemp(m_value + *right);
    if (aOperator == TraTokenType::ttMinus)
        return makeTemp(m_value - *right);
    return makeTemp(current());
}

TraValue* DayNumberValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    auto right = ReadDays(aOther);
    if (!right)
        return nullptr;
    return boolTemp(relation(order(m_value, *right), aOperator));
}

QString TraDateTimeValue::GetText() const {
    return daysText(m_value, 0);
}

QString TraDateValue::GetText() const {
    return daysText(m_value, 1);
}

QString TraTimeValue::GetText() const {
    return daysText(m_value, 2);
}

void TraTimeValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto d = ReadDays(const_cast<TraValue*>(&aSource)))
        m_value = *d;
}

// ---- Variant ---------------------------------------------------------------------------

void TraVariantValue::SetValue(const QVariant& aValue) {
    m_value = aValue;
    SendNotify(this, kOpValueAssigned);
}

std::optional<QVariant> TraVariantValue::ReadVariant(TraValue* aNode) {
    aNode = evaluated(aNode);
    if (!aNode)
        return std::nullopt;
    switch (aNode->DataType()) {
    case TraDataType::daUnknown:
        return QVariant();
    case TraDataType::daInteger:
        if (auto i = readInteger(aNode))
            return QVariant(*i);
        return std::nullopt;
    case TraDataType::daSingle:
    case TraDataType::daDouble:
    case TraDataType::daExtended:
        if (auto f = readFloat(aNode))
            return QVariant(double(*f));
        return std::nullopt;
    case TraDataType::daCurrency:
        if (auto c = readCurrency(aNode))
            return QVariant::fromValue(TCurrency{*c});
        return std::nullopt;
    case TraDataType::daChar:
    case TraDataType::daString:
        if (auto s = readString(aNode))
            return QVariant(*s);
        return std::nullopt;
    case TraDataType::daDateTime:
    case TraDataType::daDate:
    case TraDataType::daTime:
        if (auto d = DayNumberValue::ReadDays(aNode))
            return DateVariant(*d);
        return std::nullopt;
    case TraDataType::daBoolean:
        if (auto b = readBoolean(aNode))
            return QVariant(*b);
        return std::nullopt;
    case TraDataType::daVariant:
        if (auto* v = dynamic_cast<TraVariantValue*>(aNode)) {
            if (IsEmptyVariant(v->Value()) || IsNullVariant(v->Value()))
                return NullVariant();
            return v->Value();
        }
        return std::nullopt;
    case TraDataType::daObject:
    case TraDataType::daClass:
        if (auto* o = dynamic_cast<TraObjectResolver*>(aNode)) {
            if (!o->GetObject())
                return QVariant(0);  // nil
            return QVariant::fromValue(script::ObjectRef{o->GetObject()});  // the object itself, guarded
        }
        return std::nullopt;
    case TraDataType::daEnum:
        if (auto o = readOrdinal(aNode))
            return QVariant(*o);
        return std::nullopt;
    case TraDataType::daMethod:
        return std::nullopt;
    }
    return std::nullopt;
}

void TraVariantValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto v = ReadVariant(const_cast<TraValue*>(&aSource)))
        m_value = *v;
}

bool TraVariantValue::ConvertFrom(TraValue* aSource) {
    auto v = ReadVariant(aSource);
    if (v)
        m_value = *v;
    return v.has_value();
}

namespace {

int variantTypeCode(const QVariant& v) {
    if (IsEmptyVariant(v))
        return 0;
    if (IsNullVariant(v))
        return 1;
    if (IsDateVariant(v))
        return 7;
    if (v.metaType() == QMetaType::fromType<TCurrency>())
        return 6;
    switch (v.metaType().id()) {
    case QMetaType::Short:
        return 2;
    case QMetaType::Int:
    case QMetaType::LongLong:
        return 3;
    case QMetaType::Float:
        return 4;
    case QMetaType::Double:
        return 5;
    case QMetaType::Bool:
        return 11;
    case QMetaType::UChar:
        return 17;
    case QMetaType::QString:
        return 256;
    default:
        return 12;
    }
}

/// An Empty or Null right operand becomes the neutral value of the left variant's type.
QVariant fillEmpty(const QVariant& left, const QVariant& right) {
    if (!IsEmptyVariant(right) && !IsNullVariant(right))
        return right;
    const int code = variantTypeCode(left);
    if ((code >= 2 && code <= 7) || code == 17)
        return QVariant(0);
    if (code == 8 || code == 12 || code == 72 || code == 256)
        return QVariant(QString());
    if (code == 11)
        return QVariant(false);
    return right;
}

bool isIntegerVariant(const QVariant& v) {
    const int id = v.metaType().id();
    return id == QMetaType::Int || id == QMetaType::LongLong || id == QMetaType::Short || id == QMetaType::UChar ||
           id == QMetaType::Bool;
}

/// A number result as a variant: an integer when both operands were integers and it fits.
QVariant numberVariant(long double r, bool integers) {
    if (std::isinf(r) || std::isnan(r))
        fail("Floating point overflow");
    if (integers && std::trunc(r) == r && r >= std::numeric_limits<qint32>::min() &&
        r <= std::numeric_limits<qint32>::max())
        return QVariant(qint32(r));
    return QVariant(double(r));
}

QVariant variantArithmetic(const QVariant& left, const QVariant& right, TraTokenType op) {
    if (IsNullVariant(left) || IsNullVariant(right))
        return NullVariant();
    if (IsEmptyVariant(left) && IsEmptyVariant(right))
        return QVariant(0);
    if (op == TraTokenType::ttPlus && isStringVariant(left) && isStringVariant(right))
        return QVariant(left.toString() + right.toString());
    if (op == TraTokenType::ttPlus && (isStringVariant(left) || isStringVariant(right)) &&
        (IsEmptyVariant(left) || IsEmptyVariant(right)))
        return QVariant(left.toString() + right.toString());
    const bool integers = isIntegerVariant(left) && isIntegerVariant(right);
    const long double l = IsEmptyVariant(left) ? 0 : VariantToFloat(left);
    const long double r = IsEmptyVariant(right) ? 0 : VariantToFloat(right);
    const bool date = (IsDateVariant(left) || IsDateVariant(right)) &&
                      (op == TraTokenType::ttPlus || op == TraTokenType::ttMinus);
    switch (op) {
    case TraTokenType::ttPlus:
        return date ? DateVariant(double(l + r)) : numberVariant(l + r, integers);
    case TraTokenType::ttMinus:
        return date ? DateVariant(double(l - r)) : numberVariant(l - r, integers);
    case TraTokenType::ttStar:
        return numberVariant(l * r, integers);
    case TraTokenType::ttSlash:
        if (r == 0)
            fail("Division by zero");
        return numberVariant(l / r, false);
    case TraTokenType::ttDiv: {
        const qint64 rr = TruncToInt64(r);
        if (rr == 0)
            fail("Division by zero");
        return numberVariant(static_cast<long double>(TruncToInt64(l) / rr), true);
    }
    case TraTokenType::ttMod: {
        const qint64 rr = TruncToInt64(r);
        if (rr == 0)
            fail("Division by zero");
        return numberVariant(rr == -1 ? 0 : static_cast<long double>(TruncToInt64(l) % rr), true);
    }
    default:
        return QVariant(0);
    }
}

/// The order of two variants, or nothing when one is Empty or Null (only = and <> answer).
std::optional<int> variantOrder(const QVariant& a, const QVariant& b) {
    const bool aNull = IsEmptyVariant(a) || IsNullVariant(a);
    const bool bNull = IsEmptyVariant(b) || IsNullVariant(b);
    if (aNull || bNull)
        return std::nullopt;
    if (isStringVariant(a) && isStringVariant(b))
        return compareCodePoints(a.toString(), b.toString());
    if (a.metaType().id() == QMetaType::Bool && b.metaType().id() == QMetaType::Bool)
        return order(a.toBool(), b.toBool());
    return order(VariantToFloat(a), VariantToFloat(b));
}

}  // namespace

QVariant TraVariantValue::FillEmpty(const QVariant& aLeft, const QVariant& aRight) {
    return fillEmpty(aLeft, aRight);
}

TraValue* TraVariantValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    switch (aOperator) {
    case TraTokenType::ttUnaryMinus:
        if (IsNullVariant(m_value) || IsEmptyVariant(m_value))
            return MakeTemp<TraVariantValue>(m_value);
        return MakeTemp<TraVariantValue>(numberVariant(-VariantToFloat(m_value), isIntegerVariant(m_value)));
    case TraTokenType::ttUnaryPlus:
        return MakeTemp<TraVariantValue>(m_value);
    case TraTokenType::ttNot:
        // not negates a Boolean variant; other variants give no value.
        if (m_value.metaType().id() == QMetaType::Bool)
            return MakeTemp<TraVariantValue>(QVariant(!m_value.toBool()));
        return nullptr;
    default:
        break;
    }
    auto right = ReadVariant(aOther);
    if (!right)
        return nullptr;
    const QVariant filled = FillEmpty(m_value, *right);
    if ((aOperator == TraTokenType::ttAnd || aOperator == TraTokenType::ttOr) &&
        m_value.metaType().id() == QMetaType::Bool && filled.metaType().id() == QMetaType::Bool)
        return MakeTemp<TraVariantValue>(QVariant(aOperator == TraTokenType::ttAnd
                                                      ? (m_value.toBool() && filled.toBool())
                                                      : (m_value.toBool() || filled.toBool())));
    if (aOperator == TraTokenType::ttAnd || aOperator == TraTokenType::ttOr)
        return MakeTemp<TraVariantValue>(QVariant(0));
    return MakeTemp<TraVariantValue>(variantArithmetic(m_value, filled, aOperator));
}

TraValue* TraVariantValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    auto right = ReadVariant(aOther);
    if (!right)
        return nullptr;
    auto o = variantOrder(m_value, *right);
    if (!o) {
        const bool bothNull = (IsEmptyVariant(m_value) || IsNullVariant(m_value)) &&
                              (IsEmptyVariant(*right) || IsNullVariant(*right));
        if (aOperator == TraTokenType::ttEqual)
            return boolTemp(bothNull);
        if (aOperator == TraTokenType::ttNe)
            return boolTemp(!bothNull);
        return boolTemp(false);
    }
    return boolTemp(relation(*o, aOperator));
}

// ---- Enumerated values and Booleans ---------------------------------------------------

void TraEnumValue::SetOrd(int aOrd) {
    m_ord = aOrd;
    SendNotify(this, kOpValueAssigned);
}

QString TraEnumValue::GetText() const {
    return GetEnumValueName(TypeName, m_ord);
}

void TraEnumValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto* e = dynamic_cast<const TraEnumValue*>(&aSource)) {
        m_ord = e->m_ord;
        TypeName = e->TypeName;
    }
}

bool TraEnumValue::ConvertFrom(TraValue* aSource) {
    auto o = readOrdinal(aSource);
    if (o)
        m_ord = *o;
    return o.has_value();
}

TraValue* TraEnumValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    auto right = readOrdinal(aOther);
    if (!right)
        return nullptr;
    return boolTemp(relation(order(m_ord, *right), aOperator));
}

void TraBooleanValue::CopyFrom(const TraValue& aSource) {
    TraEnumValue::CopyFrom(aSource);
    TypeName = QStringLiteral("Boolean");
}

bool TraBooleanValue::ConvertFrom(TraValue* aSource) {
    auto b = readBoolean(aSource);
    if (b)
        m_ord = *b ? 1 : 0;
    return b.has_value();
}

TraValue* TraBooleanValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    if (aOperator == TraTokenType::ttNot)
        return boolTemp(!Value());
    auto right = readBoolean(aOther);
    if (!right)
        return nullptr;
    if (aOperator == TraTokenType::ttAnd)
        return boolTemp(Value() && *right);
    if (aOperator == TraTokenType::ttOr)
        return boolTemp(Value() || *right);
    return boolTemp(false);
}

TraValue* TraBooleanValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    auto right = readBoolean(aOther);
    if (!right)
        return nullptr;
    return boolTemp(relation(order(Value(), *right), aOperator));
}

// ---- Subranges -------------------------------------------------------------------------

TraSubrangeValue::TraSubrangeValue(std::unique_ptr<TraValue> aValue1, std::unique_ptr<TraValue> aValue2) {
    if (aValue1) {
        aValue1->SetChildType(11);
        Add(std::move(aValue1));
    }
    if (aValue2) {
        aValue2->SetChildType(12);
        Add(std::move(aValue2));
    }
}

void TraSubrangeValue::AddChild(TraRelative* aChild) {
    auto* value = dynamic_cast<TraValue*>(aChild);
    if (value && aChild->ChildType() == 11) {
        m_value1 = value;
        return;
    }
    if (value && aChild->ChildType() == 12) {
        m_value2 = value;
        return;
    }
    TraValue::AddChild(aChild);
}

int TraSubrangeValue::RemoveChild(TraRelative* aChild) {
    if (aChild && aChild == m_value1) {
        m_value1 = nullptr;
        return 0;
    }
    if (aChild && aChild == m_value2) {
        m_value2 = nullptr;
        return 0;
    }
    return TraValue::RemoveChild(aChild);
}

void TraSubrangeValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    auto* other = dynamic_cast<const TraSubrangeValue*>(&aSource);
    if (!other)
        return;
    for (TraValue* bound : {other->m_value1, other->m_value2}) {
        if (!bound)
            continue;
        std::unique_ptr<TraValue> copy = bound->CreateSame();
        copy->CopyFrom(*bound);
        Add(std::move(copy));
    }
}

namespace {

/// A bound or tested value as a number: Integer numbers, Char codes, enumerated ordinals.
std::optional<qint64> rangeNumber(TraValue* node) {
    node = evaluated(node);
    if (auto* i = dynamic_cast<TraIntegerValue*>(node))
        return i->Value();
    if (auto* c = dynamic_cast<TraCharValue*>(node))
        return qint64(c->Value());
    if (auto* s = dynamic_cast<TraStringValue*>(node); s && s->Value().size() >= 1 && s->Value().toUcs4().size() == 1)
        return qint64(firstCodePoint(s->Value()));
    if (auto* e = dynamic_cast<TraEnumValue*>(node))
        return e->Ord();
    return std::nullopt;
}

}  // namespace

TraValue* TraSubrangeValue::Compare(TraValue* aOther, TraTokenType) {
    auto low = rangeNumber(m_value1);
    auto high = rangeNumber(m_value2);
    auto v = rangeNumber(aOther);
    return boolTemp(low && high && v && *v >= *low && *v <= *high);
}

// ---- Objects and classes ---------------------------------------------------------------

void TraObjectValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto* o = dynamic_cast<const TraObjectResolver*>(&aSource)) {
        SetObject(o->GetObject());
        SetObjectName(o->ObjectName());
    }
}

namespace {

/// An object source: an object or class node, an Integer handle, a Variant holding an
/// object, or nil. False for any other node.
bool readObject(TraValue* aNode, QObject*& aObject) {
    aNode = evaluated(aNode);
    aObject = nullptr;
    if (!aNode)
        return false;
    if (dynamic_cast<TraObjectResolver*>(aNode) || dynamic_cast<TraIntegerValue*>(aNode)) {
        aObject = script::ObjectOfNode(aNode);
        return true;
    }
    if (auto* v = dynamic_cast<TraVariantValue*>(aNode)) {
        if (IsNullVariant(v->Value()) || IsEmptyVariant(v->Value()))
            return true;
        aObject = script::ObjectOfNode(aNode);
        return true;
    }
    return false;
}

/// `is`: the left object's class is the right class or descends from it.
TraValue* isTest(QObject* aLeft, TraValue* aRight) {
    auto* c = dynamic_cast<TraClassValue*>(evaluated(aRight));
    if (!c || !c->ClassRef)
        return nullptr;
    return boolTemp(aLeft && aLeft->metaObject()->inherits(c->ClassRef));
}

/// Takes the object a source stands for into an object or class node; false when the
/// source holds no object reference.
bool convertObjectInto(TraObjectResolver& aTarget, TraValue* aSource) {
    QObject* object = nullptr;
    if (!readObject(aSource, object))
        return false;
    aTarget.SetObject(object);
    return true;
}

/// `is`, = and <> of an object against another operand; other operators answer False.
TraValue* compareObjects(QObject* aLeft, TraValue* aOther, TraTokenType aOperator) {
    if (aOperator == TraTokenType::ttIs)
        return isTest(aLeft, aOther);
    auto* o = dynamic_cast<TraObjectResolver*>(evaluated(aOther));
    if (!o)
        return nullptr;
    if (aOperator == TraTokenType::ttEqual)
        return boolTemp(aLeft == o->GetObject());
    if (aOperator == TraTokenType::ttNe)
        return boolTemp(aLeft != o->GetObject());
    return boolTemp(false);
}

}  // namespace

bool TraObjectValue::ConvertFrom(TraValue* aSource) {
    return convertObjectInto(*this, aSource);
}

TraValue* TraObjectValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    return compareObjects(GetObject(), aOther, aOperator);
}

QString TraClassValue::GetText() const {
    if (!ObjectName().isEmpty())
        return ObjectName();
    if (ClassRef)
        return QString::fromLatin1(ClassRef->className());
    if (SimpleTypeCast != TraDataType::daUnknown)
        return DataTypeName(SimpleTypeCast);
    return ClassName();
}

void TraClassValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto* c = dynamic_cast<const TraClassValue*>(&aSource)) {
        ClassRef = c->ClassRef;
        SimpleTypeCast = c->SimpleTypeCast;
        SetObjectName(c->ObjectName());
        SetObject(c->GetObject());
    }
}

bool TraClassValue::ConvertFrom(TraValue* aSource) {
    return convertObjectInto(*this, aSource);
}

TraValue* TraClassValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    return compareObjects(GetObject(), aOther, aOperator);
}
