#include "report/script/errors.h"

EScriptRunError::EScriptRunError(QString aCause) : base::Exception(aCause, 0, script::kRunError), m_cause(aCause) {}

void EScriptRunError::SetPosition(int aLineNo, int aCharPos) {
    m_lineNo = aLineNo;
    m_charPos = aCharPos;
    updateMessage();
}

void EScriptRunError::SetProgramName(const QString& aName) {
    m_programName = aName;
    m_hasProgram = true;
    updateMessage();
}

void EScriptRunError::updateMessage() {
    // "Run failure in F, line 3, column 12: Division by zero" (columns from 1).
    QString text = QStringLiteral("Run failure");
    if (m_hasProgram)
        text += QStringLiteral(" in ") + m_programName;
    if (m_lineNo > 0)
        text += QStringLiteral(", line %1, column %2").arg(m_lineNo).arg(m_charPos + 1);
    SetMessage(text + QStringLiteral(": ") + m_cause);
}
