#pragma once

#include "platform/stream/stream_error.h"
#include "platform/stream/value.h"

#include <QByteArray>
#include <QString>

namespace stream {

/// Reads the binary component stream, value by value or a whole object tree at a time.
///
/// All integers are little-endian. A component stream is:
///
/// | offset | size | meaning |
/// |---|---|---|
/// | 0 | 4 | signature "TPF0" (other users of the value layer may use another one, or none) |
/// | 4 | ... | the root object (below) |
///
/// An object:
///
/// | size | meaning |
/// |---|---|
/// | 0 or 1 | prefix: present when the byte has the high nibble 0xF; its low nibble holds the filer flags Inherited (1), ChildPos (2), Inline (4) |
/// | value | with ChildPos: the child position as an integer value (tag and data) |
/// | 1 + n | class name: length byte n, then n ANSI bytes (no tag) |
/// | 1 + n | component name, likewise (may be empty) |
/// | ... | properties: each a name (length byte and bytes, dotted for sub-objects) and a value |
/// | 1 | 0 (Null) ends the properties |
/// | ... | child objects, each laid out like this one |
/// | 1 | 0 (Null) ends the children |
///
/// A value is one tag byte (`ValueType`) and its data:
///
/// | tag | name | data after the tag |
/// |---|---|---|
/// | 0 | Null | none (end of a list) |
/// | 1 | List | values, then a Null |
/// | 2 | Int8 | 1 byte, signed |
/// | 3 | Int16 | 2 bytes, signed |
/// | 4 | Int32 | 4 bytes, signed |
/// | 5 | Extended | 10 bytes: 64-bit mantissa with explicit integer bit, then 16 bits sign and exponent (bias 16383) |
/// | 6 | String | 1 byte length n, n ANSI (Windows-1252) bytes |
/// | 7 | Ident | 1 byte length n, n bytes |
/// | 8, 9 | False, True | none |
/// | 10 | Binary | 4 bytes length n, n bytes |
/// | 11 | Set | identifiers, each a length byte and bytes, ended by an empty one (a 0 byte) |
/// | 12 | LString | 4 bytes length n, n ANSI bytes |
/// | 13 | Nil | none |
/// | 14 | Collection | items, then a Null; an item is an optional integer value (its order), the tag List, its properties (name and value), a Null |
/// | 15 | Single | 4 bytes IEEE float |
/// | 16 | Currency | 8 bytes signed, ten-thousandths |
/// | 17 | Date | 8 bytes IEEE double day number (days since 1899-12-30) |
/// | 18 | WString | 4 bytes length n in UTF-16 code units, 2n bytes UTF-16LE |
/// | 19 | Int64 | 8 bytes, signed |
/// | 20 | Utf8String | 4 bytes length n, n bytes UTF-8 |
///
/// Every read checks the bytes that remain first, so a truncated or damaged stream raises
/// `StreamError` (with the byte offset) before anything is allocated for it; nesting of
/// lists, collections and objects is limited to `kMaxDepth`.
class ValueReader {
public:
    static constexpr int kMaxDepth = 256;

    /// Reads `data` (implicitly shared, never copied). `baseOffset` is added to every offset
    /// reported, for streams that sit behind a prefix in a larger buffer.
    explicit ValueReader(QByteArray data, qint64 baseOffset = 0);

    qint64 Position() const { return m_pos; }           ///< within `data`
    qint64 Size() const { return m_data.size(); }
    bool AtEnd() const { return m_pos >= m_data.size(); }
    SourcePos Here() const { return SourcePos::AtOffset(m_base + m_pos); }

    /// Reads four bytes and raises BadSignature unless they are `signature`.
    void ReadSignature(const char* signature = "TPF0");

    ValueType PeekValueType() const;
    ValueType ReadValueType();
    /// True when the next byte is the Null that ends a list, properties or children.
    bool EndOfList() const;
    void ReadListBegin();  ///< expects List
    void ReadListEnd();    ///< expects Null

    qint64 ReadInteger();       ///< Int8, Int16, Int32 or Int64
    long double ReadFloat();    ///< Extended, Single, Date, Currency (scaled) or an integer
    QString ReadString();       ///< any text kind
    bool ReadBoolean();         ///< True or False
    QString ReadIdent();        ///< Ident, or the words of True, False, nil and Null
    QByteArray ReadBinary();    ///< Binary
    QString ReadStr();          ///< a length byte and ANSI bytes without tag (names)
    /// `n` raw bytes without tag or length (data that a caller lays out itself, such as
    /// the bytes of a bit set after its counts).
    QByteArray ReadRaw(qint64 n) { return Bytes(n, "raw data"); }

    /// The next value with its stored type, nested values included.
    Value ReadValue();

    /// One object with its properties and children.
    ObjectData ReadObject();
    /// The signature "TPF0" and the root object.
    ObjectData ReadRootObject();

    /// A StreamError of `kind` at the current position.
    [[noreturn]] void Fail(StreamErrorKind kind, const QString& what) const;
    [[noreturn]] void FailAt(qint64 pos, StreamErrorKind kind, const QString& what) const;

private:
    void Need(qint64 bytes, const char* what) const;
    quint8 Byte();
    QByteArray Bytes(qint64 n, const char* what);
    quint32 Length32(qint64 unitSize, const char* what);
    Value ReadValueAt(int depth);
    ObjectData ReadObjectAt(int depth);
    void ExpectValue(ValueType expected);

    QByteArray m_data;
    qint64 m_pos = 0;
    qint64 m_base = 0;
};

}  // namespace stream
