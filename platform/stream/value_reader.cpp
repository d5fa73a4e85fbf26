#include "platform/stream/value_reader.h"

#include "platform/stream/internal/ansi.h"

#include <QtEndian>

#include <cstring>

namespace stream {

ValueReader::ValueReader(QByteArray data, qint64 baseOffset) : m_data(std::move(data)), m_base(baseOffset) {}

void ValueReader::Fail(StreamErrorKind kind, const QString& what) const { FailAt(m_pos, kind, what); }

void ValueReader::FailAt(qint64 pos, StreamErrorKind kind, const QString& what) const {
    throw StreamError(kind, what, SourcePos::AtOffset(m_base + pos));
}

void ValueReader::Need(qint64 bytes, const char* what) const {
    if (bytes < 0 || m_data.size() - m_pos < bytes)
        Fail(StreamErrorKind::Truncated,
             QStringLiteral("Stream ends inside %1 (%2 bytes needed, %3 left)")
                 .arg(QLatin1String(what))
                 .arg(bytes)
                 .arg(m_data.size() - m_pos));
}

quint8 ValueReader::Byte() {
    Need(1, "a value");
    return static_cast<quint8>(m_data.at(m_pos++));
}

QByteArray ValueReader::Bytes(qint64 n, const char* what) {
    Need(n, what);
    QByteArray out = m_data.mid(m_pos, n);
    m_pos += n;
    return out;
}

quint32 ValueReader::Length32(qint64 unitSize, const char* what) {
    Need(4, what);
    const qint64 start = m_pos;
    const quint32 n = qFromLittleEndian<quint32>(m_data.constData() + m_pos);
    m_pos += 4;
    if (static_cast<qint64>(n) * unitSize > m_data.size() - m_pos)
        FailAt(start, StreamErrorKind::Truncated,
               QStringLiteral("Length %1 of %2 runs past the end of the stream").arg(n).arg(QLatin1String(what)));
    return n;
}

void ValueReader::ReadSignature(const char* signature) {
    const qint64 start = m_pos;
    const auto len = static_cast<qint64>(std::strlen(signature));
    if (m_data.size() - m_pos < len || std::memcmp(m_data.constData() + m_pos, signature, len) != 0)
        FailAt(start, StreamErrorKind::BadSignature,
               QStringLiteral("Invalid stream format: signature \"%1\" expected").arg(QLatin1String(signature)));
    m_pos += len;
}

ValueType ValueReader::PeekValueType() const {
    Need(1, "a value");
    const auto tag = static_cast<quint8>(m_data.at(m_pos));
    if (tag > kLastValueType)
        Fail(StreamErrorKind::Damaged, QStringLiteral("Unknown value type %1").arg(tag));
    return static_cast<ValueType>(tag);
}

ValueType ValueReader::ReadValueType() {
    const ValueType t = PeekValueType();
    ++m_pos;
    return t;
}

// Only the end marker is looked at: what follows may be a value tag or, in a property list, the
// length byte of a property name, which can be any number up to 255.
bool ValueReader::EndOfList() const {
    Need(1, "a value");
    return static_cast<quint8>(m_data.at(m_pos)) == static_cast<quint8>(ValueType::Null);
}

void ValueReader::ExpectValue(ValueType expected) {
    const ValueType t = PeekValueType();
    if (t != expected)
        Fail(StreamErrorKind::WrongValueKind,
             QStringLiteral("%1 expected, found %2").arg(ValueTypeName(expected), ValueTypeName(t)));
    ++m_pos;
}

void ValueReader::ReadListBegin() { ExpectValue(ValueType::List); }
void ValueReader::ReadListEnd() { ExpectValue(ValueType::Null); }

qint64 ValueReader::ReadInteger() {
    const ValueType t = PeekValueType();
    if (t != ValueType::Int8 && t != ValueType::Int16 && t != ValueType::Int32 && t != ValueType::Int64)
        Fail(StreamErrorKind::WrongValueKind, QStringLiteral("Integer expected, found %1").arg(ValueTypeName(t)));
    return ReadValue().AsInteger();
}

long double ValueReader::ReadFloat() {
    const Value v = ReadValue();
    if (!v.IsFloat() && !v.IsInteger())
        FailAt(m_pos - 1, StreamErrorKind::WrongValueKind,
               QStringLiteral("Number expected, found %1").arg(ValueTypeName(v.Type())));
    return v.AsExtended();
}

QString ValueReader::ReadString() {
    const ValueType t = PeekValueType();
    if (t != ValueType::String && t != ValueType::LString && t != ValueType::WString && t != ValueType::Utf8String)
        Fail(StreamErrorKind::WrongValueKind, QStringLiteral("String expected, found %1").arg(ValueTypeName(t)));
    return ReadValue().AsText();
}

bool ValueReader::ReadBoolean() {
    const ValueType t = PeekValueType();
    if (t != ValueType::True && t != ValueType::False)
        Fail(StreamErrorKind::WrongValueKind, QStringLiteral("Boolean expected, found %1").arg(ValueTypeName(t)));
    ++m_pos;
    return t == ValueType::True;
}

QString ValueReader::ReadIdent() {
    const ValueType t = PeekValueType();
    if (t != ValueType::Ident && t != ValueType::True && t != ValueType::False && t != ValueType::Nil &&
        t != ValueType::Null)
        Fail(StreamErrorKind::WrongValueKind, QStringLiteral("Identifier expected, found %1").arg(ValueTypeName(t)));
    return ReadValue().AsText();
}

QByteArray ValueReader::ReadBinary() {
    ExpectValue(ValueType::Binary);
    const quint32 n = Length32(1, "binary data");
    return Bytes(n, "binary data");
}

QString ValueReader::ReadStr() {
    const quint8 n = Byte();
    Need(n, "a name");
    const QString s = internal::AnsiToUnicode(m_data.constData() + m_pos, n);
    m_pos += n;
    return s;
}

Value ValueReader::ReadValue() { return ReadValueAt(0); }

Value ValueReader::ReadValueAt(int depth) {
    if (depth > kMaxDepth) Fail(StreamErrorKind::Damaged, QStringLiteral("Values nested too deeply"));
    const qint64 start = m_pos;
    const ValueType t = ReadValueType();
    const char* p = nullptr;
    switch (t) {
    case ValueType::Null: return Value::Null();
    case ValueType::Nil: return Value::Nil();
    case ValueType::True: return Value::Boolean(true);
    case ValueType::False: return Value::Boolean(false);
    case ValueType::Int8:
        Need(1, "an integer");
        return Value::IntegerOf(t, static_cast<qint8>(m_data.at(m_pos++)));
    case ValueType::Int16:
        Need(2, "an integer");
        p = m_data.constData() + m_pos;
        m_pos += 2;
        return Value::IntegerOf(t, qFromLittleEndian<qint16>(p));
    case ValueType::Int32:
        Need(4, "an integer");
        p = m_data.constData() + m_pos;
        m_pos += 4;
        return Value::IntegerOf(t, qFromLittleEndian<qint32>(p));
    case ValueType::Int64:
        Need(8, "an integer");
        p = m_data.constData() + m_pos;
        m_pos += 8;
        return Value::IntegerOf(t, qFromLittleEndian<qint64>(p));
    case ValueType::Extended:
        Need(10, "an extended float");
        p = m_data.constData() + m_pos;
        m_pos += 10;
        return Value::Extended(DecodeExtended(p));
    case ValueType::Single: {
        Need(4, "a single float");
        const quint32 bits = qFromLittleEndian<quint32>(m_data.constData() + m_pos);
        m_pos += 4;
        float f;
        std::memcpy(&f, &bits, 4);
        return Value::Single(f);
    }
    case ValueType::Date: {
        Need(8, "a date");
        const quint64 bits = qFromLittleEndian<quint64>(m_data.constData() + m_pos);
        m_pos += 8;
        double d;
        std::memcpy(&d, &bits, 8);
        return Value::Date(d);
    }
    case ValueType::Currency:
        Need(8, "a currency value");
        p = m_data.constData() + m_pos;
        m_pos += 8;
        return Value::Currency(qFromLittleEndian<qint64>(p));
    case ValueType::String:
    case ValueType::Ident: {
        const quint8 n = Byte();
        Need(n, t == ValueType::String ? "a string" : "an identifier");
        const QString s = internal::AnsiToUnicode(m_data.constData() + m_pos, n);
        m_pos += n;
        return t == ValueType::String ? Value::TextOf(t, s) : Value::Ident(s);
    }
    case ValueType::LString: {
        const quint32 n = Length32(1, "a long string");
        const QString s = internal::AnsiToUnicode(m_data.constData() + m_pos, n);
        m_pos += n;
        return Value::TextOf(t, s);
    }
    case ValueType::Utf8String: {
        const quint32 n = Length32(1, "a UTF-8 string");
        const QString s = QString::fromUtf8(m_data.constData() + m_pos, n);
        m_pos += n;
        return Value::TextOf(t, s);
    }
    case ValueType::WString: {
        const quint32 n = Length32(2, "a wide string");
        QString s(n, Qt::Uninitialized);
        for (quint32 i = 0; i < n; ++i) s[i] = QChar(qFromLittleEndian<quint16>(m_data.constData() + m_pos + 2 * i));
        m_pos += 2 * static_cast<qint64>(n);
        return Value::TextOf(t, s);
    }
    case ValueType::Binary: {
        const quint32 n = Length32(1, "binary data");
        return Value::Binary(Bytes(n, "binary data"));
    }
    case ValueType::Set: {
        QStringList names;
        for (;;) {
            const QString name = ReadStr();
            if (name.isEmpty()) break;
            names << name;
        }
        return Value::Set(names);
    }
    case ValueType::List: {
        std::vector<Value> items;
        while (!EndOfList()) items.push_back(ReadValueAt(depth + 1));
        ++m_pos;
        return Value::List(std::move(items));
    }
    case ValueType::Collection: {
        std::vector<CollectionItem> items;
        while (!EndOfList()) {
            CollectionItem item;
            const ValueType next = PeekValueType();
            if (next == ValueType::Int8 || next == ValueType::Int16 || next == ValueType::Int32 ||
                next == ValueType::Int64)
                item.index = ReadValueAt(depth + 1);
            ReadListBegin();
            while (!EndOfList()) {
                Property prop;
                prop.pos = Here();
                prop.name = ReadStr();
                prop.value = ReadValueAt(depth + 1);
                item.properties.push_back(std::move(prop));
            }
            ++m_pos;
            items.push_back(std::move(item));
        }
        ++m_pos;
        return Value::Collection(std::move(items));
    }
    }
    FailAt(start, StreamErrorKind::Damaged, QStringLiteral("Unknown value type"));
}

ObjectData ValueReader::ReadObject() { return ReadObjectAt(0); }

ObjectData ValueReader::ReadRootObject() {
    ReadSignature("TPF0");
    return ReadObject();
}

ObjectData ValueReader::ReadObjectAt(int depth) {
    if (depth > kMaxDepth) Fail(StreamErrorKind::Damaged, QStringLiteral("Objects nested too deeply"));
    ObjectData obj;
    obj.pos = Here();
    Need(1, "an object");
    const auto first = static_cast<quint8>(m_data.at(m_pos));
    if ((first & 0xF0) == 0xF0) {
        ++m_pos;
        obj.flags = FilerFlags(first & 0x07);
        if (first & 0x08) FailAt(m_pos - 1, StreamErrorKind::Damaged, QStringLiteral("Unknown filer flags %1").arg(first, 0, 16));
        if (obj.flags.testFlag(FilerFlag::ChildPos)) {
            const ValueType t = PeekValueType();
            if (t != ValueType::Int8 && t != ValueType::Int16 && t != ValueType::Int32)
                Fail(StreamErrorKind::Damaged, QStringLiteral("Child position expected, found %1").arg(ValueTypeName(t)));
            obj.childPos = ReadValueAt(depth + 1);
        }
    }
    obj.className = ReadStr();
    if (obj.className.isEmpty()) FailAt(obj.pos.offset - m_base, StreamErrorKind::Damaged, QStringLiteral("Object without a class name"));
    obj.name = ReadStr();
    while (!EndOfList()) {
        Property prop;
        prop.pos = Here();
        prop.name = ReadStr();
        try {
            prop.value = ReadValueAt(depth + 1);
        } catch (const StreamError& e) {
            throw e.InContext(obj.name.isEmpty() ? obj.className : obj.name, prop.name);
        }
        obj.properties.push_back(std::move(prop));
    }
    ++m_pos;
    // Children begin with a prefix byte (0xF0 and up) or a class name, never a value tag,
    // so only the end marker is looked at here.
    for (;;) {
        Need(1, "the children of an object");
        if (m_data.at(m_pos) == '\0') break;
        obj.children.push_back(ReadObjectAt(depth + 1));
    }
    ++m_pos;
    return obj;
}

}  // namespace stream
