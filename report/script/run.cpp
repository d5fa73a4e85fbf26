#include "report/script/run.h"

#include "report/script/errors.h"
#include "report/script/program.h"
#include "report/script/values.h"

namespace script {

RunResult RunProgram(TraProgram& aProgram) {
    RunResult result;
    ThrowAwayScope scope;
    try {
        TraValue* value = aProgram.Execute();
        if (value)
            value = value->Evaluate();
        if (value) {
            result.hasValue = true;
            result.kind = DataTypeName(value->DataType());
            if (auto* variant = dynamic_cast<TraVariantValue*>(value))
                result.kind += QStringLiteral(" (") + VariantTypeName(variant->Value()) + QLatin1Char(')');
            result.text = value->GetText();
        }
    } catch (const CancelSignal&) {
        result.outcome = Outcome::Cancelled;
    } catch (const EScriptRunError& e) {
        result.outcome = Outcome::Failed;
        result.failure = e.Message();
    }
    return result;
}

}  // namespace script
