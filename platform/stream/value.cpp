#include "platform/stream/value.h"

#include "platform/stream/internal/ansi.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

namespace stream {

QString ValueTypeName(ValueType type) {
    switch (type) {
    case ValueType::Null: return QStringLiteral("end of list");
    case ValueType::List: return QStringLiteral("list");
    case ValueType::Int8: return QStringLiteral("8-bit integer");
    case ValueType::Int16: return QStringLiteral("16-bit integer");
    case ValueType::Int32: return QStringLiteral("32-bit integer");
    case ValueType::Extended: return QStringLiteral("extended float");
    case ValueType::String: return QStringLiteral("short string");
    case ValueType::Ident: return QStringLiteral("identifier");
    case ValueType::False: return QStringLiteral("False");
    case ValueType::True: return QStringLiteral("True");
    case ValueType::Binary: return QStringLiteral("binary data");
    case ValueType::Set: return QStringLiteral("set");
    case ValueType::LString: return QStringLiteral("long string");
    case ValueType::Nil: return QStringLiteral("nil");
    case ValueType::Collection: return QStringLiteral("collection");
    case ValueType::Single: return QStringLiteral("single float");
    case ValueType::Currency: return QStringLiteral("currency");
    case ValueType::Date: return QStringLiteral("date");
    case ValueType::WString: return QStringLiteral("wide string");
    case ValueType::Int64: return QStringLiteral("64-bit integer");
    case ValueType::Utf8String: return QStringLiteral("UTF-8 string");
    }
    return QStringLiteral("value type %1").arg(static_cast<int>(type));
}

Value::Value(ValueType type, Payload payload) : m_type(type), m_data(std::move(payload)) {}

Value Value::Null() { return Value(ValueType::Null, std::monostate{}); }
Value Value::Nil() { return Value(ValueType::Nil, std::monostate{}); }
Value Value::Boolean(bool b) { return Value(b ? ValueType::True : ValueType::False, std::monostate{}); }
Value Value::Extended(long double v) { return Value(ValueType::Extended, v); }
Value Value::Single(float v) { return Value(ValueType::Single, v); }
Value Value::Currency(qint64 tenThousandths) { return Value(ValueType::Currency, tenThousandths); }
Value Value::Date(double dayNumber) { return Value(ValueType::Date, dayNumber); }
Value Value::Binary(const QByteArray& bytes) { return Value(ValueType::Binary, bytes); }
Value Value::Set(const QStringList& names) { return Value(ValueType::Set, names); }

Value Value::Integer(qint64 v) {
    if (v >= -128 && v <= 127) return Value(ValueType::Int8, v);
    if (v >= -32768 && v <= 32767) return Value(ValueType::Int16, v);
    if (v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max())
        return Value(ValueType::Int32, v);
    return Value(ValueType::Int64, v);
}

Value Value::IntegerOf(ValueType type, qint64 v) {
    switch (type) {
    case ValueType::Int8: v = static_cast<qint8>(v); break;
    case ValueType::Int16: v = static_cast<qint16>(v); break;
    case ValueType::Int32: v = static_cast<qint32>(v); break;
    case ValueType::Int64: break;
    default: return Integer(v);
    }
    return Value(type, v);
}

Value Value::Text(const QString& s) {
    // Every text Windows-1252 can hold is ANSI, the euro sign and the curly quotes included.
    QByteArray ansi;
    if (!internal::UnicodeToAnsi(s, ansi)) return Value(ValueType::WString, s);
    return Value(ansi.size() <= 255 ? ValueType::String : ValueType::LString, s);
}

Value Value::TextOf(ValueType type, const QString& s) {
    switch (type) {
    case ValueType::String:
    case ValueType::LString:
    case ValueType::WString:
    case ValueType::Utf8String: return Value(type, s);
    default: return Text(s);
    }
}

Value Value::Ident(const QString& name) {
    if (name.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return Boolean(true);
    if (name.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return Boolean(false);
    if (name.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0) return Nil();
    if (name.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0) return Null();
    return Value(ValueType::Ident, name);
}

Value Value::List(std::vector<Value> items) { return Value(ValueType::List, std::move(items)); }

Value Value::Collection(std::vector<CollectionItem> items) {
    return Value(ValueType::Collection, std::move(items));
}

bool Value::IsInteger() const {
    return m_type == ValueType::Int8 || m_type == ValueType::Int16 || m_type == ValueType::Int32 ||
           m_type == ValueType::Int64;
}

bool Value::IsFloat() const {
    return m_type == ValueType::Extended || m_type == ValueType::Single || m_type == ValueType::Currency ||
           m_type == ValueType::Date;
}

bool Value::IsText() const {
    return m_type == ValueType::String || m_type == ValueType::LString || m_type == ValueType::WString ||
           m_type == ValueType::Utf8String;
}

qint64 Value::AsInteger() const {
    if (IsInteger()) return std::get<qint64>(m_data);
    return 0;
}

long double Value::AsExtended() const {
    switch (m_type) {
    case ValueType::Extended: return std::get<long double>(m_data);
    case ValueType::Single: return std::get<float>(m_data);
    case ValueType::Date: return std::get<double>(m_data);
    case ValueType::Currency: return static_cast<long double>(std::get<qint64>(m_data)) / 10000.0L;
    default: return IsInteger() ? static_cast<long double>(std::get<qint64>(m_data)) : 0.0L;
    }
}

qint64 Value::AsCurrency() const { return m_type == ValueType::Currency ? std::get<qint64>(m_data) : 0; }

QString Value::AsText() const {
    if (const auto* s = std::get_if<QString>(&m_data)) return *s;
    switch (m_type) {
    case ValueType::True: return QStringLiteral("True");
    case ValueType::False: return QStringLiteral("False");
    case ValueType::Nil: return QStringLiteral("nil");
    case ValueType::Null: return QStringLiteral("Null");
    default: return {};
    }
}

const QByteArray& Value::AsBinary() const {
    static const QByteArray empty;
    const auto* b = std::get_if<QByteArray>(&m_data);
    return b ? *b : empty;
}

const QStringList& Value::AsSet() const {
    static const QStringList empty;
    const auto* s = std::get_if<QStringList>(&m_data);
    return s ? *s : empty;
}

const std::vector<Value>& Value::AsList() const {
    static const std::vector<Value> empty;
    const auto* l = std::get_if<std::vector<Value>>(&m_data);
    return l ? *l : empty;
}

const std::vector<CollectionItem>& Value::AsCollection() const {
    static const std::vector<CollectionItem> empty;
    const auto* c = std::get_if<std::vector<CollectionItem>>(&m_data);
    return c ? *c : empty;
}

bool Value::operator==(const Value& other) const {
    if (m_type != other.m_type) return false;
    switch (m_type) {
    case ValueType::Extended: return EncodeExtended(AsExtended()) == EncodeExtended(other.AsExtended());
    case ValueType::Single: {
        const float a = std::get<float>(m_data), b = std::get<float>(other.m_data);
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
    case ValueType::Date: {
        const double a = std::get<double>(m_data), b = std::get<double>(other.m_data);
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
    default: return m_data == other.m_data;
    }
}

const Property* ObjectData::FindProperty(const QString& propertyName) const {
    for (const Property& p : properties)
        if (p.name.compare(propertyName, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

bool ObjectData::operator==(const ObjectData& o) const {
    return flags == o.flags && childPos == o.childPos && className == o.className && name == o.name &&
           properties == o.properties && children == o.children;
}

QByteArray EncodeExtended(long double v) {
    QByteArray out(10, '\0');
    if constexpr (std::numeric_limits<long double>::digits == 64 && sizeof(long double) >= 10 &&
                  Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        std::memcpy(out.data(), &v, 10);
        return out;
    }
    quint16 signExp = std::signbit(v) ? 0x8000 : 0;
    quint64 mantissa = 0;
    if (std::isnan(v)) {
        signExp |= 0x7FFF;
        mantissa = 0xC000000000000000ULL;
    } else if (std::isinf(v)) {
        signExp |= 0x7FFF;
        mantissa = 0x8000000000000000ULL;
    } else if (v != 0) {
        int e = 0;
        const long double m = std::frexp(std::fabs(v), &e);  // m in [0.5, 1)
        int biased = e - 1 + 16383;
        if (biased <= 0) {
            mantissa = static_cast<quint64>(std::ldexp(std::fabs(v), 16382 + 63));
            biased = 0;
        } else {
            mantissa = static_cast<quint64>(std::ldexp(m, 64));
        }
        signExp |= static_cast<quint16>(biased);
    }
    qToLittleEndian(mantissa, out.data());
    qToLittleEndian(signExp, out.data() + 8);
    return out;
}

long double DecodeExtended(const char* tenBytes) {
    if constexpr (std::numeric_limits<long double>::digits == 64 && sizeof(long double) >= 10 &&
                  Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        long double v = 0;
        std::memcpy(&v, tenBytes, 10);
        return v;
    }
    const quint64 mantissa = qFromLittleEndian<quint64>(tenBytes);
    const quint16 signExp = qFromLittleEndian<quint16>(tenBytes + 8);
    const bool negative = (signExp & 0x8000) != 0;
    const int exponent = signExp & 0x7FFF;
    long double v;
    if (exponent == 0x7FFF)
        v = (mantissa << 1) == 0 ? std::numeric_limits<long double>::infinity()
                                 : std::numeric_limits<long double>::quiet_NaN();
    else if (exponent == 0)
        v = std::ldexp(static_cast<long double>(mantissa), -16382 - 63);
    else
        v = std::ldexp(static_cast<long double>(mantissa), exponent - 16383 - 63);
    return negative ? -v : v;
}

}  // namespace stream
