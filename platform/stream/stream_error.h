#pragma once

#include "platform/base/exception.h"

#include <QString>

namespace stream {

/// Where in a stream something happened: a byte offset in the binary form, or a 1-based
/// line and column in the text form. An empty position (both unknown) prints as nothing.
struct SourcePos {
    qint64 offset = -1;  ///< byte offset in the binary form, -1 when not known
    int line = 0;        ///< 1-based line of the text form, 0 when not known
    int column = 0;      ///< 1-based column of the text form

    bool IsKnown() const { return offset >= 0 || line > 0; }
    /// "offset 123" or "line 4, column 7"; empty when unknown.
    QString ToString() const;

    static SourcePos AtOffset(qint64 offset) { return SourcePos{offset, 0, 0}; }
    static SourcePos AtLine(int line, int column) { return SourcePos{-1, line, column}; }
};

/// What kind of fault a `StreamError` reports; its `Code()` carries the number.
enum class StreamErrorKind {
    Truncated = 1,        ///< the stream ends inside a value or before its end marker
    Damaged = 2,          ///< an unknown value tag, a bad length or a nesting too deep
    BadSignature = 3,     ///< the stream does not begin with the expected signature
    Syntax = 4,           ///< the text form cannot be parsed
    UnknownProperty = 5,  ///< no published or defined property of that name
    WrongValueKind = 6,   ///< the value cannot be assigned to the property (kind or range)
    UnknownClass = 7,     ///< a class name that is not registered
    UnresolvedReference = 8,  ///< a component reference names no component that was read
    NotAChild = 9,        ///< a component refuses a child of that class
};

/// Raised by every reader, writer and converter of component streams. The message names
/// what failed (the object and property being read where known) and where (`Pos()`).
/// Callers that load templates wrap it in their own exception types.
class StreamError : public base::Exception {
public:
    StreamError(StreamErrorKind kind, const QString& what, SourcePos pos = {});

    StreamErrorKind Kind() const { return m_kind; }
    const QString& What() const { return m_what; }  ///< the message without the position
    const SourcePos& Pos() const { return m_pos; }

    /// The same error with the object and property that were being read put in front:
    /// "Error reading Label1.Caption: <what>". `fallbackPos` is used when this error has no
    /// position of its own.
    StreamError InContext(const QString& objectName, const QString& propertyName, SourcePos fallbackPos = {}) const;

private:
    StreamErrorKind m_kind;
    QString m_what;
    SourcePos m_pos;
};

}  // namespace stream
