#pragma once

// The failures of a running script. A run failure ends the running program; it names the
// program, the line and column of the statement or expression that failed, and the cause.
// A cancel is not a failure: it unwinds the run as script::CancelSignal, which the runner
// turns into the outcome Cancelled.

#include "platform/base/exception.h"

#include <QString>

namespace script {
enum ErrorCode {
    kRunError = 1,
};

/// Thrown through a running program when its cancel flag was seen set; not an error.
struct CancelSignal {};
}  // namespace script

/// A script stopped running: division by zero, an overflow, a conversion that failed, a
/// number too large for an Integer. Thrown without a place by the value layer; the
/// innermost node that knows its position adds it, the program adds its name.
class EScriptRunError : public base::Exception {
public:
    explicit EScriptRunError(QString aCause);

    const QString& Cause() const { return m_cause; }
    const QString& ProgramName() const { return m_programName; }
    int LineNo() const { return m_lineNo; }    ///< from 1; 0 while unknown
    int CharPos() const { return m_charPos; }  ///< from 0
    bool HasPosition() const { return m_lineNo > 0; }
    bool HasProgram() const { return m_hasProgram; }

    void SetPosition(int aLineNo, int aCharPos);
    void SetProgramName(const QString& aName);

private:
    void updateMessage();
    QString m_cause;
    QString m_programName;
    int m_lineNo = 0;
    int m_charPos = 0;
    bool m_hasProgram = false;
};
