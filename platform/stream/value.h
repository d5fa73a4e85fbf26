#pragma once

#include "platform/stream/stream_error.h"

#include <QByteArray>
#include <QFlags>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

namespace stream {

/// The tag byte in front of every value of a component stream. The numbers are the stored
/// ones and never change.
enum class ValueType : quint8 {
    Null = 0,         ///< end of a list, of properties or of children; also the text "Null"
    List = 1,         ///< values up to a Null
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,     ///< 10-byte extended float
    String = 6,       ///< ANSI text of at most 255 bytes, 1-byte length
    Ident = 7,        ///< identifier (enumeration value, component or handler name)
    False = 8,
    True = 9,
    Binary = 10,      ///< bytes written by a custom property definer, 4-byte length
    Set = 11,         ///< identifiers up to an empty one
    LString = 12,     ///< ANSI text, 4-byte length
    Nil = 13,         ///< no object
    Collection = 14,  ///< collection items up to a Null
    Single = 15,      ///< 4-byte float
    Currency = 16,    ///< 64-bit integer counting ten-thousandths
    Date = 17,        ///< 8-byte double day number
    WString = 18,     ///< UTF-16 text, 4-byte length in code units
    Int64 = 19,
    Utf8String = 20,  ///< UTF-8 text, 4-byte length in bytes
};
inline constexpr quint8 kLastValueType = 20;

/// A short English name of the value type for messages ("32-bit integer", "identifier").
QString ValueTypeName(ValueType type);

enum class FilerFlag : quint8 {
    Inherited = 0x01,  ///< the object repeats one of an ancestor form ("inherited" in text)
    ChildPos = 0x02,   ///< a child position follows the flags ("[n]" in text)
    Inline = 0x04,     ///< an inline frame ("inline" in text)
};
Q_DECLARE_FLAGS(FilerFlags, FilerFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(FilerFlags)

struct Property;
struct CollectionItem;

/// One value of a component stream with its stored type. Integers keep their width and
/// texts their stored kind, so that a stream read into values is written back byte for
/// byte. The factories `Integer` and `Text` choose the kind the writer of this system uses:
/// the smallest integer that holds the value; for text a String (at most 255 bytes) or an
/// LString when every character is a Latin-1 character with an ANSI byte, otherwise a
/// WString. UTF-8 strings are read and kept, but never chosen.
class Value {
public:
    Value() = default;  ///< Null

    static Value Null();
    static Value Nil();
    static Value Boolean(bool b);
    static Value Integer(qint64 v);  ///< Int8, Int16, Int32 or Int64, the smallest that fits
    /// An integer with the given integer tag; `v` must fit the tag.
    static Value IntegerOf(ValueType type, qint64 v);
    static Value Extended(long double v);
    static Value Single(float v);
    static Value Currency(qint64 tenThousandths);
    static Value Date(double dayNumber);
    static Value Text(const QString& s);  ///< String, LString or WString (see above)
    /// Text with the given text tag (String, LString, WString, Utf8String).
    static Value TextOf(ValueType type, const QString& s);
    static Value Ident(const QString& name);  ///< "True", "False", "nil" and "Null" give those kinds
    static Value Binary(const QByteArray& bytes);
    static Value Set(const QStringList& names);
    static Value List(std::vector<Value> items);
    static Value Collection(std::vector<CollectionItem> items);

    ValueType Type() const { return m_type; }
    bool IsInteger() const;
    bool IsFloat() const;   ///< Extended, Single, Currency or Date
    bool IsText() const;    ///< String, LString, WString or Utf8String
    bool IsBoolean() const { return m_type == ValueType::True || m_type == ValueType::False; }

    qint64 AsInteger() const;          ///< integers; 0 for anything else
    long double AsExtended() const;    ///< integers and floats (currency scaled); 0 otherwise
    qint64 AsCurrency() const;         ///< the raw ten-thousandths of a Currency
    QString AsText() const;            ///< texts and identifiers; empty otherwise
    bool AsBoolean() const { return m_type == ValueType::True; }
    const QByteArray& AsBinary() const;
    const QStringList& AsSet() const;
    const std::vector<Value>& AsList() const;
    const std::vector<CollectionItem>& AsCollection() const;

    /// Equal type and payload (floats compared by their stored bits).
    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

private:
    using Payload = std::variant<std::monostate, qint64, long double, float, double, QString,
                                 QByteArray, QStringList, std::vector<Value>, std::vector<CollectionItem>>;
    Value(ValueType type, Payload payload);

    ValueType m_type = ValueType::Null;
    Payload m_data;
};

/// A property as stored: its (possibly dotted) name and its value.
struct Property {
    QString name;
    Value value;
    SourcePos pos;  ///< where the property's name begins; not part of equality

    bool operator==(const Property& o) const { return name == o.name && value == o.value; }
};

/// One item of a collection: an optional order index and the item's properties.
struct CollectionItem {
    std::optional<Value> index;  ///< an integer value when the item carries its order
    std::vector<Property> properties;

    bool operator==(const CollectionItem& o) const { return index == o.index && properties == o.properties; }
};

/// One object of a component stream as stored, before any class is looked up: the whole
/// tree of a stream as values. Reading binary or text gives one; writing either form takes
/// one; the object reader and writer map it to and from live components.
struct ObjectData {
    FilerFlags flags;
    Value childPos;  ///< an integer when `flags` has ChildPos; otherwise Null
    QString className;
    QString name;    ///< component name, may be empty
    std::vector<Property> properties;
    std::vector<ObjectData> children;
    SourcePos pos;   ///< where the object begins; not part of equality

    const Property* FindProperty(const QString& propertyName) const;  ///< case-insensitive
    bool operator==(const ObjectData& o) const;
};

/// The 10-byte extended float as stored (little-endian 64-bit mantissa with explicit
/// integer bit, then sign and 15-bit exponent).
QByteArray EncodeExtended(long double v);
long double DecodeExtended(const char* tenBytes);

}  // namespace stream
