#pragma once

#include "platform/stream/value.h"

#include <QByteArray>
#include <QString>

namespace stream {

/// Writes the binary component stream (layout: see value_reader.h) into a byte buffer.
/// Texts keep the kind their `Value` carries, except that ANSI kinds fall back to a wide
/// string when a character has no ANSI byte, and a String longer than 255 bytes becomes an
/// LString, so nothing is ever cut or lost.
class ValueWriter {
public:
    ValueWriter() = default;

    const QByteArray& Data() const { return m_out; }
    QByteArray TakeData() { return std::move(m_out); }

    void WriteSignature(const char* signature = "TPF0");
    void WriteValueType(ValueType type) { m_out.append(static_cast<char>(type)); }
    void WriteListBegin() { WriteValueType(ValueType::List); }
    void WriteListEnd() { WriteValueType(ValueType::Null); }

    void WriteInteger(qint64 v) { WriteValue(Value::Integer(v)); }  ///< smallest integer kind
    void WriteFloat(long double v) { WriteValue(Value::Extended(v)); }
    void WriteString(const QString& s) { WriteValue(Value::Text(s)); }
    void WriteBoolean(bool b) { WriteValue(Value::Boolean(b)); }
    void WriteIdent(const QString& name) { WriteValue(Value::Ident(name)); }
    void WriteBinary(const QByteArray& bytes) { WriteValue(Value::Binary(bytes)); }
    /// A length byte and ANSI bytes without tag (class, component and property names).
    /// Names are identifiers; a name that is not ANSI or longer than 255 bytes raises.
    void WriteStr(const QString& s);
    /// Raw bytes without tag or length.
    void WriteRaw(const QByteArray& bytes) { m_out.append(bytes); }

    void WriteValue(const Value& v);

    /// One object with its prefix, properties and children.
    void WriteObject(const ObjectData& obj);
    /// The signature "TPF0" and the root object.
    void WriteRootObject(const ObjectData& obj);

private:
    void WriteTextValue(ValueType type, const QString& s);
    void Put32(quint32 v);

    QByteArray m_out;
};

/// The whole stream of `root`: signature, object.
QByteArray WriteObjectBinary(const ObjectData& root);
/// Reads a whole stream; raises StreamError. Bytes after the root object are ignored.
ObjectData ReadObjectBinary(const QByteArray& bytes);

}  // namespace stream
