#pragma once

// Calls: a node that holds the formal parameters of a routine (variable nodes, its plain
// children, in declaration order), the argument expressions (ChildType 23, in call order)
// and the result (its result value). The built-in routines are calls whose declaration is
// compiled as a small program.
//
// Arguments are converted into the formals' kinds when the call runs; only var parameters
// are written back to a variable argument, and no link between the two outlives the call.

#include "report/script/values.h"

#include <functional>
#include <vector>

class TraExpression;

class TraProgramCallValue : public TraObjectResolver {
public:
    QString ProgramName;
    TraTokenType ProgramType = TraTokenType::ttUnknown;

    /// Appends a formal parameter.
    void AddParam(std::unique_ptr<TraVariableValue> aParam);
    int ParamCount() const { return int(m_params.size()); }
    TraVariableValue* Params(int aIndex) const { return m_params[size_t(aIndex)]; }
    void AddArgument(std::unique_ptr<TraExpression> aArgument);
    int ArgumentCount() const { return int(m_arguments.size()); }
    TraExpression* Arguments(int aIndex) const { return m_arguments[size_t(aIndex)]; }
    void ClearArguments();
    /// Evaluates argument i and gives its value to formal i (converted; an argument without
    /// a value leaves the formal as it was).
    void PassArgument(int aIndex);
    /// For a var parameter whose argument is a variable: the variable takes the formal's
    /// value.
    void WriteBackArgument(int aIndex);

    /// Compiles the argument list after the routine's name (aToken): none for a routine
    /// without parameters, else "(" one argument per formal, separated by "," ")".
    void Compile(TraProgram& aProgram, TraToken* aToken) override;
    TraValue* Evaluate() override;
    TraValue* Execute() override { return Evaluate(); }
    QString GetText() const override;
    TraDataType DataType() const override;
    bool IsConstant() const override { return false; }
    bool NeedsEvaluation() const override { return true; }
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;
    /// Runs the routine with the formals filled; the base does nothing.
    virtual void run() {}

private:
    std::vector<TraVariableValue*> m_params;
    std::vector<TraExpression*> m_arguments;
    bool m_guard = false;
};

/// A call of a program of the code module. Each call runs in a frame of its own: the
/// program's parameters, variables and result are saved before the call and restored after
/// it, so a program may call itself (or a later one) and each call sees its own values. The
/// result is copied into the call node's own result. Only var parameters are written back.
/// A call nesting deeper than kMaxCallDepth is a run failure, never a crash.
class TraOrvelProgramCallValue : public TraProgramCallValue {
public:
    static constexpr int kMaxCallDepth = 500;

    TraOrvelProgramCallValue() { ProgramType = TraTokenType::ttFunction; }
    ~TraOrvelProgramCallValue() override;
    TraProgram* ProgramObject() const { return m_program; }
    /// Links to a program (none: unlinks) and takes its name, kind and parameters.
    void SetProgramObject(TraProgram* aProgram);

    /// Runs the program (no guard: a program may call itself) and gives a temporary copy of
    /// its result.
    TraValue* Evaluate() override;
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraOrvelProgramCallValue>(); }
    QString ClassName() const override { return QStringLiteral("TraOrvelProgramCallValue"); }
    void Notify(TraCommunicator* aSender, int aOperation) override;

protected:
    void run() override;

private:
    TraProgram* m_program = nullptr;
};

namespace script {

class RoutineCall;

/// One built-in routine: its name, category, declaration and what it computes from the
/// call node's formals into its result.
struct Routine {
    const char* name;
    const char* category;
    const char* declaration;
    bool isFunction = true;
    bool hasParams = true;
    std::function<void(RoutineCall&)> compute;
};

/// The routines, in library order.
const std::vector<Routine>& Routines();

/// Where ShowMessage and MessageBeep go. By default ShowMessage shows a message box through
/// the dialog service and MessageBeep does nothing; a runner installs its own.
void SetShowMessageHandler(std::function<void(const QString&)> aHandler);
void SetMessageBeepHandler(std::function<void()> aHandler);

}  // namespace script

/// The routine registry: the library's 54 routines, registered on first use in library
/// order, then any registered later. Names are compared without regard to case.
const std::vector<script::Routine>& raGetFunctionList();
/// Appends a routine to the registry.
void raRegisterFunction(script::Routine aRoutine);

/// A call of a built-in routine. The routines are rows of one table (name, category,
/// declaration, computation) rather than a class each.
class TraSystemFunction : public TraProgramCallValue {
public:
    explicit TraSystemFunction(script::Routine aRoutine);
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraSystemFunction>(m_routine); }
    QString ClassName() const override { return QStringLiteral("Tra") + QLatin1String(m_routine.name) + QStringLiteral("Function"); }
    QString Category() const;
    QString Declaration() const { return QString::fromLatin1(m_routine.declaration); }
    bool IsFunction() const { return m_routine.isFunction; }
    bool HasParams() const { return m_routine.hasParams; }
    /// Takes the formal parameters and the result from the compiled declaration.
    void CompileDeclaration();
    void ExecuteFunction();

protected:
    void run() override;

private:
    script::Routine m_routine;
};

/// A new call node of a built-in function of that name (case-insensitive); null when there
/// is none or it is a procedure.
std::unique_ptr<TraSystemFunction> raFindFunction(const QString& aName);
/// A new call node of any built-in routine of that name; null when there is none.
std::unique_ptr<TraSystemFunction> raFindProcedure(const QString& aName);
QString raGetFunctionDeclaration(const QString& aName);
/// "Copy(S, Index, Count);", "CurrentDate;".
QString raGetFunctionCallTemplate(const QString& aName);

/// The event parameter bridge: a handler's parameter takes the value in the caller's buffer
/// of a parameter record (by the kind of the parameter's value node; kinds without a buffer
/// are left as they are) ...
void raLoadValueFromParam(const TraParamRec& aParam, TraValue* aValue);
/// ... and, after the handler ran, a var parameter's value goes back into the buffer.
void raStoreValueToParam(TraValue* aValue, TraParamRec& aParam);
