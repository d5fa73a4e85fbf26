#pragma once

#include "platform/base/exception.h"

// The exceptions of the report library. Each carries only its message, which is a numbered
// text (report_texts.h) where one exists; Code() tells the kinds apart.

namespace report {
enum ErrorCode {
    kPrintError = 1,
    kTemplateLoadError = 2,
    kTemplateSaveError = 3,
    kInvalidTemplateError = 4,
    kInvalidPropertyError = 5,
    kDataError = 6,
    kCodeError = 7,
    kReadError = 8,
};
}  // namespace report

/// Any failure while generating or printing a report; page generation wraps every other
/// failure in it (text 1023 followed by two line breaks and the failure's message).
class EPrintError : public base::Exception {
public:
    explicit EPrintError(QString message) : base::Exception(std::move(message), 0, report::kPrintError) {}
};

/// A template cannot be read (texts 45, 46, 47).
class ETemplateLoadError : public base::Exception {
public:
    explicit ETemplateLoadError(QString message) : base::Exception(std::move(message), 0, report::kTemplateLoadError) {}
};

/// A template cannot be written (texts 51, 53).
class ETemplateSaveError : public base::Exception {
public:
    explicit ETemplateSaveError(QString message) : base::Exception(std::move(message), 0, report::kTemplateSaveError) {}
};

/// A stream is neither a component stream nor its text form (text 49).
class EInvalidTemplateError : public base::Exception {
public:
    explicit EInvalidTemplateError(QString message)
        : base::Exception(std::move(message), 0, report::kInvalidTemplateError) {}
};

/// A property setter rejects a value (text 342 and the setters' own texts).
class EInvalidPropertyError : public base::Exception {
public:
    explicit EInvalidPropertyError(QString message)
        : base::Exception(std::move(message), 0, report::kInvalidPropertyError) {}
};

/// A data pipeline cannot reach its data.
class EDataError : public base::Exception {
public:
    explicit EDataError(QString message) : base::Exception(std::move(message), 0, report::kDataError) {}
};

/// A script cannot be compiled or run (texts 925, 926, "Could not run program: <name>"). A
/// failure inside the program adds its cause (on a line of its own in the message), line
/// and column.
class ECodeError : public base::Exception {
public:
    explicit ECodeError(QString message) : base::Exception(std::move(message), 0, report::kCodeError) {}
    ECodeError(const QString& message, const QString& cause, int lineNo = 0, int charPos = 0)
        : base::Exception(cause.isEmpty() ? message : message + QStringLiteral("\r\n") + cause, 0, report::kCodeError),
          m_cause(cause), m_lineNo(lineNo), m_charPos(charPos) {}
    const QString& Cause() const { return m_cause; }
    int LineNo() const { return m_lineNo; }    ///< from 1; 0 when unknown
    int CharPos() const { return m_charPos; }  ///< from 0

private:
    QString m_cause;
    int m_lineNo = 0;
    int m_charPos = 0;
};

/// A stored object cannot be read (a data or code module, a data view's stream).
class EReadError : public base::Exception {
public:
    explicit EReadError(QString message) : base::Exception(std::move(message), 0, report::kReadError) {}
};
