#include "platform/stream/value_writer.h"

#include "platform/stream/internal/ansi.h"
#include "platform/stream/value_reader.h"

#include <QtEndian>

#include <cstring>

namespace stream {

void ValueWriter::WriteSignature(const char* signature) { m_out.append(signature, std::strlen(signature)); }

void ValueWriter::Put32(quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    m_out.append(b, 4);
}

void ValueWriter::WriteStr(const QString& s) {
    QByteArray bytes;
    if (!internal::UnicodeToAnsi(s, bytes) || bytes.size() > 255)
        throw StreamError(StreamErrorKind::WrongValueKind,
                          QStringLiteral("Name \"%1\" cannot be stored (ANSI, at most 255 characters)").arg(s));
    m_out.append(static_cast<char>(bytes.size()));
    m_out.append(bytes);
}

void ValueWriter::WriteTextValue(ValueType type, const QString& s) {
    if (type == ValueType::String || type == ValueType::LString) {
        QByteArray bytes;
        if (!internal::UnicodeToAnsi(s, bytes)) {
            WriteTextValue(ValueType::WString, s);
            return;
        }
        if (type == ValueType::String && bytes.size() <= 255) {
            WriteValueType(ValueType::String);
            m_out.append(static_cast<char>(bytes.size()));
        } else {
            WriteValueType(ValueType::LString);
            Put32(static_cast<quint32>(bytes.size()));
        }
        m_out.append(bytes);
        return;
    }
    if (type == ValueType::WString) {
        WriteValueType(type);
        Put32(static_cast<quint32>(s.size()));
        for (QChar c : s) {
            char b[2];
            qToLittleEndian<quint16>(c.unicode(), b);
            m_out.append(b, 2);
        }
        return;
    }
    const QByteArray utf8 = s.toUtf8();
    WriteValueType(ValueType::Utf8String);
    Put32(static_cast<quint32>(utf8.size()));
    m_out.append(utf8);
}

void ValueWriter::WriteValue(const Value& v) {
    const ValueType t = v.Type();
    switch (t) {
    case ValueType::Null:
    case ValueType::Nil:
    case ValueType::True:
    case ValueType::False: WriteValueType(t); return;
    case ValueType::Int8:
        WriteValueType(t);
        m_out.append(static_cast<char>(v.AsInteger()));
        return;
    case ValueType::Int16: {
        WriteValueType(t);
        char b[2];
        qToLittleEndian(static_cast<qint16>(v.AsInteger()), b);
        m_out.append(b, 2);
        return;
    }
    case ValueType::Int32:
        WriteValueType(t);
        Put32(static_cast<quint32>(v.AsInteger()));
        return;
    case ValueType::Int64:
    case ValueType::Currency: {
        WriteValueType(t);
        char b[8];
        qToLittleEndian(t == ValueType::Int64 ? v.AsInteger() : v.AsCurrency(), b);
        m_out.append(b, 8);
        return;
    }
    case ValueType::Extended:
        WriteValueType(t);
        m_out.append(EncodeExtended(v.AsExtended()));
        return;
    case ValueType::Single: {
        WriteValueType(t);
        const float f = static_cast<float>(v.AsExtended());
        quint32 bits;
        std::memcpy(&bits, &f, 4);
        Put32(bits);
        return;
    }
    case ValueType::Date: {
        WriteValueType(t);
        const double d = static_cast<double>(v.AsExtended());
        quint64 bits;
        std::memcpy(&bits, &d, 8);
        char b[8];
        qToLittleEndian(bits, b);
        m_out.append(b, 8);
        return;
    }
    case ValueType::String:
    case ValueType::LString:
    case ValueType::WString:
    case ValueType::Utf8String: WriteTextValue(t, v.AsText()); return;
    case ValueType::Ident:
        WriteValueType(t);
        WriteStr(v.AsText());
        return;
    case ValueType::Binary:
        WriteValueType(t);
        Put32(static_cast<quint32>(v.AsBinary().size()));
        m_out.append(v.AsBinary());
        return;
    case ValueType::Set:
        WriteValueType(t);
        for (const QString& name : v.AsSet())
            if (!name.isEmpty()) WriteStr(name);
        m_out.append('\0');
        return;
    case ValueType::List:
        WriteValueType(t);
        for (const Value& item : v.AsList()) WriteValue(item);
        WriteListEnd();
        return;
    case ValueType::Collection:
        WriteValueType(t);
        for (const CollectionItem& item : v.AsCollection()) {
            if (item.index) WriteValue(*item.index);
            WriteListBegin();
            for (const Property& p : item.properties) {
                WriteStr(p.name);
                WriteValue(p.value);
            }
            WriteListEnd();
        }
        WriteListEnd();
        return;
    }
}

void ValueWriter::WriteObject(const ObjectData& obj) {
    FilerFlags flags = obj.flags;
    if (obj.childPos.IsInteger()) flags |= FilerFlag::ChildPos;
    else flags &= ~FilerFlags(FilerFlag::ChildPos);
    if (flags) {
        m_out.append(static_cast<char>(0xF0 | static_cast<quint8>(flags.toInt())));
        if (flags.testFlag(FilerFlag::ChildPos)) WriteValue(obj.childPos);
    }
    WriteStr(obj.className);
    WriteStr(obj.name);
    for (const Property& p : obj.properties) {
        WriteStr(p.name);
        WriteValue(p.value);
    }
    WriteListEnd();
    for (const ObjectData& child : obj.children) WriteObject(child);
    WriteListEnd();
}

void ValueWriter::WriteRootObject(const ObjectData& obj) {
    WriteSignature("TPF0");
    WriteObject(obj);
}

QByteArray WriteObjectBinary(const ObjectData& root) {
    ValueWriter w;
    w.WriteRootObject(root);
    return w.TakeData();
}

ObjectData ReadObjectBinary(const QByteArray& bytes) {
    ValueReader r(bytes);
    return r.ReadRootObject();
}

}  // namespace stream
