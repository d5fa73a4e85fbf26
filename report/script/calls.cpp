#include "report/script/calls.h"

#include "platform/base/assert.h"
#include "platform/base/day_time.h"
#include "platform/format/date_time_format.h"
#include "platform/format/date_time_parse.h"
#include "platform/format/edit_mask.h"
#include "platform/format/number_format.h"
#include "platform/format/number_parse.h"
#include "platform/ui/dialog_service.h"
#include "report/model/report_utils.h"
#include "report/model/text_layout.h"
#include "report/page/resource_manager.h"
#include "report/script/errors.h"
#include "report/script/expression.h"
#include "report/script/program.h"

#include <QDate>
#include <QTime>

#include <cmath>
#include <limits>

// ---- Calls -----------------------------------------------------------------------------

void TraProgramCallValue::AddParam(std::unique_ptr<TraVariableValue> aParam) {
    aParam->SetChildType(0);
    Add(std::move(aParam));
}

void TraProgramCallValue::AddArgument(std::unique_ptr<TraExpression> aArgument) {
    aArgument->SetChildType(23);
    Add(std::move(aArgument));
}

void TraProgramCallValue::ClearArguments() {
    while (!m_arguments.empty())
        Take(m_arguments.back()).reset();
}

void TraProgramCallValue::AddChild(TraRelative* aChild) {
    if (aChild->ChildType() == 23) {
        if (auto* e = dynamic_cast<TraExpression*>(aChild)) {
            m_arguments.push_back(e);
            return;
        }
    }
    if (aChild->ChildType() == 0) {
        if (auto* v = dynamic_cast<TraVariableValue*>(aChild)) {
            m_params.push_back(v);
            TraObjectResolver::AddChild(aChild);
            return;
        }
    }
    TraObjectResolver::AddChild(aChild);
}

int TraProgramCallValue::RemoveChild(TraRelative* aChild) {
    auto a = std::find(m_arguments.begin(), m_arguments.end(), aChild);
    if (a != m_arguments.end()) {
        m_arguments.erase(a);
        return 0;
    }
    auto p = std::find(m_params.begin(), m_params.end(), aChild);
    if (p != m_params.end())
        m_params.erase(p);
    return TraObjectResolver::RemoveChild(aChild);
}

namespace {

/// The variable an argument expression stands for, when it is a lone variable.
TraVariableValue* variableOf(TraValue* aNode) {
    while (auto* e = dynamic_cast<TraExpression*>(aNode)) {
        if (e->Operator != TraTokenType::ttUnknown)
            return nullptr;
        aNode = e->Value1();
    }
    return dynamic_cast<TraVariableValue*>(aNode);
}

}  // namespace

void TraProgramCallValue::PassArgument(int aIndex) {
    if (aIndex >= ArgumentCount() || aIndex >= ParamCount())
        return;
    TraValue* argument = Arguments(aIndex)->Evaluate();
    TraValue* formal = Params(aIndex)->Value();
    if (argument && formal)
        formal->AssignValue(argument);  // the value node directly: a read-only formal still receives
}

void TraProgramCallValue::WriteBackArgument(int aIndex) {
    if (aIndex >= ArgumentCount() || aIndex >= ParamCount())
        return;
    TraVariableValue* formal = Params(aIndex);
    if (formal->IsReadOnly || !formal->Value())
        return;
    if (TraVariableValue* variable = variableOf(Arguments(aIndex)))
        variable->AssignValue(formal->Value());
}

void TraProgramCallValue::Compile(TraProgram& aProgram, TraToken* aToken) {
    SetPosition(aToken);
    if (ParamCount() == 0)
        return;
    TraToken* previous = aToken;
    const auto next = [&](TraTokenTypes expected) -> TraToken* {
        TraToken* t = aProgram.NextToken();
        if (aProgram.CheckToken(t, previous, script::kExpectedToken, expected) || !t)
            return nullptr;
        previous = t;
        return t;
    };
    if (!next({TraTokenType::ttLParen}))
        return;
    for (int i = 0; i < ParamCount(); ++i) {
        TraTokenTypes starters{TraTokenType::ttIdentifier, TraTokenType::ttNumber, TraTokenType::ttString};
        if (i > 0)
            starters += TraTokenType::ttType;
        TraToken* first = next(starters);
        if (!first)
            return;
        auto argument = std::make_unique<TraExpression>();
        argument->AllowAssignment = false;
        argument->ReturnDataType = Params(i)->DataType();
        argument->EndTokens = TraTokenTypes{TraTokenType::ttComma, TraTokenType::ttRParen};
        TraExpression* raw = argument.get();
        AddArgument(std::move(argument));
        raw->Compile(aProgram, first);
        if (aProgram.HasErrors())
            return;
        previous = aProgram.PreviousToken();
        aProgram.NextToken();
        if (!next(i + 1 < ParamCount() ? TraTokenTypes{TraTokenType::ttComma} : TraTokenTypes{TraTokenType::ttRParen}))
            return;
    }
}

TraValue* TraProgramCallValue::Evaluate() {
    if (m_guard)
        return nullptr;
    m_guard = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{m_guard};
    try {
        run();
    } catch (EScriptRunError& e) {
        if (!e.HasPosition())
            e.SetPosition(LineNo, CharPos);
        throw;
    }
    return ResultValue() ? ResultValue()->Evaluate() : nullptr;
}

QString TraProgramCallValue::GetText() const {
    return ppGetEnumName(EnumTypeOf(ProgramType), int(ProgramType)) + QStringLiteral(": ") + ProgramName;
}

TraDataType TraProgramCallValue::DataType() const {
    return ResultValue() ? ResultValue()->DataType() : TraDataType::daUnknown;
}

TraValue* TraProgramCallValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    if (ProgramType != TraTokenType::ttFunction)
        return nullptr;
    TraValue* value = Evaluate();
    return value ? value->Operate(aOther, aOperator) : nullptr;
}

TraValue* TraProgramCallValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    if (ProgramType != TraTokenType::ttFunction)
        return nullptr;
    TraValue* value = Evaluate();
    return value ? value->Compare(aOther, aOperator) : nullptr;
}

// ---- Programs of the code module -------------------------------------------------------

namespace {

int& callDepth() {
    static int depth = 0;
    return depth;
}

/// Copies of a program's parameter, variable and result values, to put back after a call.
class Frame {
public:
    explicit Frame(TraProgram& program) : m_program(program) {
        for (int i = 0; i < program.ParamCount(); ++i)
            save(program.Params(i)->Value());
        for (int i = 0; i < program.VariableCount(); ++i)
            save(program.Variables(i)->Value());
        if (auto* result = dynamic_cast<TraVariableValue*>(program.ResultValue()))
            save(result->Value());
    }
    ~Frame() {
        size_t k = 0;
        const auto restore = [&](TraValue* v) {
            if (v && k < m_saved.size() && m_saved[k])
                v->CopyFrom(*m_saved[k]);
            ++k;
        };
        for (int i = 0; i < m_program.ParamCount(); ++i)
            restore(m_program.Params(i)->Value());
        for (int i = 0; i < m_program.VariableCount(); ++i)
            restore(m_program.Variables(i)->Value());
        if (auto* result = dynamic_cast<TraVariableValue*>(m_program.ResultValue()))
            restore(result->Value());
    }

private:
    void save(TraValue* v) {
        std::unique_ptr<TraValue> copy;
        if (v) {
            copy = v->CreateSame();
            copy->CopyFrom(*v);
        }
        m_saved.push_back(std::move(copy));
    }
    TraProgram& m_program;
    std::vector<std::unique_ptr<TraValue>> m_saved;
};

}  // namespace

TraOrvelProgramCallValue::~TraOrvelProgramCallValue() {
    if (m_program)
        RemoveNotify(m_program);
}

void TraOrvelProgramCallValue::SetProgramObject(TraProgram* aProgram) {
    if (m_program)
        RemoveNotify(m_program);
    m_program = nullptr;
    ClearArguments();
    while (ParamCount() > 0)
        Take(Params(ParamCount() - 1)).reset();
    FreeResultValue();
    if (!aProgram) {
        ProgramName.clear();
        ProgramType = TraTokenType::ttFunction;
        return;
    }
    m_program = aProgram;
    AddNotify(aProgram);
    ProgramName = aProgram->ProgramName;
    ProgramType = aProgram->ProgramType;
    for (int i = 0; i < aProgram->ParamCount(); ++i) {
        auto copy = std::make_unique<TraVariableValue>();
        copy->CopyFrom(*aProgram->Params(i));
        AddParam(std::move(copy));
    }
    if (auto* result = dynamic_cast<TraVariableValue*>(aProgram->ResultValue()); result && result->Value()) {
        std::unique_ptr<TraValue> own = result->Value()->CreateSame();
        SetResultValue(std::move(own));
    }
}

void TraOrvelProgramCallValue::Notify(TraCommunicator* aSender, int aOperation) {
    TraProgramCallValue::Notify(aSender, aOperation);
    if (aSender == m_program && (aOperation == script::kOpFreeing || aOperation == script::kOpSourceChanged))
        m_program = nullptr;
}

void TraOrvelProgramCallValue::run() {
    if (!m_program)
        return;
    if (callDepth() >= kMaxCallDepth)
        throw EScriptRunError(QStringLiteral("Too many nested calls (more than %1)").arg(kMaxCallDepth));
    // The arguments are evaluated in the caller's frame, before the program's values are saved.
    std::vector<std::unique_ptr<TraValue>> arguments;
    for (int i = 0; i < ParamCount() && i < ArgumentCount(); ++i) {
        PassArgument(i);  // into the call's own formal, converted to the parameter's kind
        TraValue* formal = Params(i)->Value();
        std::unique_ptr<TraValue> copy = formal->CreateSame();
        copy->CopyFrom(*formal);
        arguments.push_back(std::move(copy));
    }
    ++callDepth();
    struct Depth {
        ~Depth() { --callDepth(); }
    } depth;
    Frame frame(*m_program);
    for (size_t i = 0; i < arguments.size(); ++i)
        if (TraValue* parameter = m_program->Params(int(i))->Value())
            parameter->AssignValue(arguments[i].get());
    TraValue* value = m_program->Execute();
    if (value && ResultValue())
        ResultValue()->AssignValue(value);
    // var parameters go back to the call's formals, then (after the frame is restored) to
    // variable arguments
    for (int i = 0; i < ParamCount() && i < m_program->ParamCount(); ++i) {
        if (!m_program->Params(i)->IsReadOnly && Params(i)->Value() && m_program->Params(i)->Value())
            Params(i)->Value()->AssignValue(m_program->Params(i)->Value());
    }
}

TraValue* TraOrvelProgramCallValue::Evaluate() {
    try {
        {
            script::ThrowAwayScope scope;
            run();
        }
        for (int i = 0; i < ParamCount() && i < ArgumentCount(); ++i)
            WriteBackArgument(i);
    } catch (EScriptRunError& e) {
        if (!e.HasPosition())
            e.SetPosition(LineNo, CharPos);
        throw;
    }
    // The value is a temporary of the calling statement: a later call through the same node
    // (a recursive one) cannot change it while the statement still uses it.
    TraValue* result = ResultValue() ? ResultValue()->Evaluate() : nullptr;
    if (!result || !m_program || m_program->ProgramType != TraTokenType::ttFunction)
        return nullptr;
    std::unique_ptr<TraValue> copy = result->CreateSame();
    copy->CopyFrom(*result);
    return GetThrowAwayBin().Add(std::move(copy));
}

// ---- Built-in routines -----------------------------------------------------------------

namespace script {

/// What a routine reads and writes: its formals by position and its result.
class RoutineCall {
public:
    explicit RoutineCall(TraSystemFunction& call) : m_call(call) {}

    TraValue* formal(int i) const { return m_call.Params(i)->Value(); }
    QString str(int i) const { return formal(i)->GetText(); }
    qint32 integer(int i) const { return static_cast<TraIntegerValue*>(formal(i))->Value(); }
    long double ext(int i) const {
        auto v = TraNumericValue::AsExtended(formal(i));
        return v ? *v : 0;
    }
    double days(int i) const { return static_cast<DayNumberValue*>(formal(i))->Value(); }

    TraValue* result() const { return m_call.ResultValue() ? m_call.ResultValue()->Evaluate() : nullptr; }
    void setString(const QString& v) { static_cast<TraStringValue*>(result())->SetValue(v); }
    void setInteger(long double v) { static_cast<TraIntegerValue*>(result())->SetValue(ToInteger(v)); }
    void setExtended(long double v) {
        if (std::isnan(v))
            throw EScriptRunError(QStringLiteral("Invalid floating point operation"));
        if (std::isinf(v))
            throw EScriptRunError(QStringLiteral("Floating point overflow"));
        static_cast<TraExtendedValue*>(result())->SetValue(v);
    }
    void setCurrency(long double amount) {
        static_cast<TraCurrencyValue*>(result())->SetValue(TruncToInt64(std::nearbyint(amount * 10000)));
    }
    void setDays(double v) { static_cast<DayNumberValue*>(result())->SetValue(v); }
    void setFormalString(int i, const QString& v) { static_cast<TraStringValue*>(formal(i))->SetValue(v); }
    void setFormalInteger(int i, qint32 v) { static_cast<TraIntegerValue*>(formal(i))->SetValue(v); }

private:
    TraSystemFunction& m_call;
};

namespace {

[[noreturn]] void fail(const QString& cause) {
    throw EScriptRunError(cause);
}

template <class T>
T orFail(const base::Result<T>& r) {
    if (!r)
        fail(r.error().text);
    return r.value();
}

QString asciiUpper(QString s) {
    for (QChar& c : s)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    return s;
}

QString asciiLower(QString s) {
    for (QChar& c : s)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return s;
}

int compareText(const QString& a, const QString& b) {
    const QString ua = asciiUpper(a), ub = asciiUpper(b);
    const qsizetype n = std::min(ua.size(), ub.size());
    for (qsizetype i = 0; i < n; ++i)
        if (ua[i] != ub[i])
            return int(ua[i].unicode()) - int(ub[i].unicode());
    return int(ua.size() - ub.size());
}

/// A whole number in [low, high], else a run failure naming the routine's argument.
int inRange(qint32 v, int low, int high, const char* what) {
    if (v < low || v > high)
        fail(QStringLiteral("%1 out of range: %2").arg(QLatin1String(what)).arg(v));
    return v;
}

long double math(long double v) {
    if (std::isnan(v))
        fail(QStringLiteral("Invalid floating point operation"));
    if (std::isinf(v))
        fail(QStringLiteral("Floating point overflow"));
    return v;
}

std::function<void(const QString&)>& showMessageHandler() {
    static std::function<void(const QString&)> handler = [](const QString& text) { ui::Message(text); };
    return handler;
}

std::function<void()>& beepHandler() {
    static std::function<void()> handler = [] {};
    return handler;
}

}  // namespace

void SetShowMessageHandler(std::function<void(const QString&)> aHandler) {
    showMessageHandler() = std::move(aHandler);
}

void SetMessageBeepHandler(std::function<void()> aHandler) {
    beepHandler() = std::move(aHandler);
}

const std::vector<Routine>& Routines() {
    using C = RoutineCall;
    static const std::vector<Routine> routines = {
        {"Capitalize", "String", "function Capitalize(const S: String): String;", true, true,
         [](C& c) { c.setString(ppProperCase(c.str(0))); }},
        {"Copy", "String", "function Copy(S: String; Index, Count: Integer): String;", true, true,
         [](C& c) {
             const QString s = c.str(0);
             const qint64 index = std::max<qint64>(c.integer(1), 1);
             const qint64 count = c.integer(2);
             c.setString(index > s.size() || count < 0 ? QString() : s.mid(index - 1, count));
         }},
        {"Delete", "String", "procedure Delete(var S: String; Index, Count: Integer);", false, true,
         [](C& c) {
             QString s = c.str(0);
             const qint64 index = c.integer(1), count = c.integer(2);
             if (index >= 1 && index <= s.size() && count > 0)
                 s.remove(index - 1, count);
             c.setFormalString(0, s);
         }},
        {"Insert", "String", "procedure Insert(Source: String; var S: String; Index: Integer);", false, true,
         [](C& c) {
             QString s = c.str(1);
             const qint64 index = std::clamp<qint64>(c.integer(2), 1, s.size() + 1);
             s.insert(index - 1, c.str(0));
             c.setFormalString(1, s);
         }},
        {"Length", "String", "function Length(S: String): Integer;", true, true,
         [](C& c) { c.setInteger(c.str(0).size()); }},
        {"Pos", "String", "function Pos(Substr: String; S: String): Integer;", true, true,
         [](C& c) { c.setInteger(c.str(1).indexOf(c.str(0)) + 1); }},
        {"CompareText", "String", "function CompareText(const S1, S2: string): Integer;", true, true,
         [](C& c) { c.setInteger(compareText(c.str(0), c.str(1))); }},
        {"UpperCase", "String", "function UpperCase(const S: String): String;", true, true,
         [](C& c) { c.setString(asciiUpper(c.str(0))); }},
        {"LowerCase", "String", "function LowerCase(const S: String): String;", true, true,
         [](C& c) { c.setString(asciiLower(c.str(0))); }},
        {"StrToCurr", "Conversion", "function StrToCurr(const S: String): Currency;", true, true,
         [](C& c) { c.setCurrency(orFail(format::TryStrToFloat(c.str(0)))); }},
        {"StrToDate", "Conversion", "function StrToDate(const S: String): Date;", true, true,
         [](C& c) { c.setDays(base::DateToDays(orFail(format::TryStrToDate(c.str(0))))); }},
        {"StrToDateTime", "Conversion", "function StrToDateTime(const S: String): DateTime;", true, true,
         [](C& c) { c.setDays(base::DateTimeToDays(orFail(format::TryStrToDateTime(c.str(0))))); }},
        {"StrToFloat", "Conversion", "function StrToFloat(const S: String): Extended;", true, true,
         [](C& c) { c.setExtended(orFail(format::TryStrToFloat(c.str(0)))); }},
        {"StrToInt", "Conversion", "function StrToInt(const S: String): Integer;", true, true,
         [](C& c) { c.setInteger(orFail(format::TryStrToInt(c.str(0)))); }},
        {"StrToIntDef", "Conversion", "function StrToIntDef(const S: String; Default: Integer): Integer;", true, true,
         [](C& c) { c.setInteger(format::StrToIntDef(c.str(0), c.integer(1))); }},
        {"StrToTime", "Conversion", "function StrToTime(const S: String): Time;", true, true,
         [](C& c) { c.setDays(base::TimeToDays(orFail(format::TryStrToTime(c.str(0))))); }},
        {"CurrToStr", "Conversion", "function CurrToStr(Value: Currency): String;", true, true,
         [](C& c) { c.setString(c.formal(0)->GetText()); }},
        {"DateToStr", "Conversion", "function DateToStr(aDate: Date): String;", true, true,
         [](C& c) { c.setString(format::DateToStr(base::DaysToDate(c.days(0)))); }},
        {"DateTimeToStr", "Conversion", "function DateTimeToStr(aDateTime: DateTime): String;", true, true,
         [](C& c) { c.setString(format::DateTimeToStr(base::DaysToDateTime(c.days(0)))); }},
        {"FloatToStr", "Conversion", "function FloatToStr(Value: Extended): String;", true, true,
         [](C& c) { c.setString(FormatGeneral(c.ext(0), 15)); }},
        {"IntToStr", "Conversion", "function IntToStr(Value: Integer): String;", true, true,
         [](C& c) { c.setString(QString::number(c.integer(0))); }},
        {"TimeToStr", "Conversion", "function TimeToStr(aTime: Time): String;", true, true,
         [](C& c) { c.setString(format::TimeToStr(base::DaysToTime(c.days(0)))); }},
        {"FormatCurr", "Format", "function FormatCurr(const Format: String; Value: Currency): String;", true, true,
         [](C& c) { c.setString(format::FormatCurr(c.str(0), double(c.ext(1)))); }},
        {"FormatDateTime", "Format", "function FormatDateTime(const Format: String; aDateTime: DateTime): String;",
         true, true, [](C& c) { c.setString(format::FormatDateTime(c.str(0), c.days(1))); }},
        {"FormatFloat", "Format", "function FormatFloat(const Format: String; Value: Extended): String;", true, true,
         [](C& c) { c.setString(format::FormatFloat(c.str(0), double(c.ext(1)))); }},
        {"FormatMaskText", "Format", "function FormatMaskText(const EditMask: String; const Value: String): String;",
         true, true, [](C& c) { c.setString(format::FormatMaskText(c.str(0), c.str(1))); }},
        {"FormatString", "Format", "function FormatString(const EditMask: String; const Value: String): String;",
         true, true, [](C& c) { c.setString(format::FormatMaskText(c.str(0), c.str(1))); }},
        {"CurrentDate", "DateTime", "function CurrentDate: Date;", true, false,
         [](C& c) { c.setDays(TodayDays()); }},
        {"DayOfWeek", "DateTime", "function DayOfWeek(aDate: DateTime): Integer;", true, true,
         [](C& c) {
             const QDate d = base::DaysToDate(c.days(0));
             if (!d.isValid())
                 fail(QStringLiteral("Invalid date"));
             c.setInteger(d.dayOfWeek() % 7 + 1);
         }},
        {"CurrentDateTime", "DateTime", "function CurrentDateTime: DateTime;", true, false,
         [](C& c) { c.setDays(NowDays()); }},
        {"CurrentTime", "DateTime", "function CurrentTime: DateTime;", true, false,
         [](C& c) { c.setDays(TimeOfDayDays()); }},
        {"EncodeTime", "DateTime", "function EncodeTime(Hour, Min, Sec, MSec: Integer): DateTime;", true, true,
         [](C& c) {
             const QTime t(inRange(c.integer(0), 0, 23, "Hour"), inRange(c.integer(1), 0, 59, "Min"),
                           inRange(c.integer(2), 0, 59, "Sec"), inRange(c.integer(3), 0, 999, "MSec"));
             c.setDays(base::TimeToDays(t));
         }},
        {"DecodeTime", "DateTime", "procedure DecodeTime(aTime: DateTime; var Hour, Min, Sec, MSec: Integer);", false,
         true,
         [](C& c) {
             const double days = c.days(0);
             const double fraction = std::fabs(days - std::trunc(days));
             const qint64 ms = qint64(std::llround(fraction * 86400000.0)) % 86400000;
             c.setFormalInteger(1, qint32(ms / 3600000));
             c.setFormalInteger(2, qint32(ms / 60000 % 60));
             c.setFormalInteger(3, qint32(ms / 1000 % 60));
             c.setFormalInteger(4, qint32(ms % 1000));
         }},
        {"EncodeDate", "DateTime", "function EncodeDate(Year, Month, Day: Integer): DateTime;", true, true,
         [](C& c) {
             const QDate d(inRange(c.integer(0), 1, 9999, "Year"), inRange(c.integer(1), 1, 12, "Month"),
                           inRange(c.integer(2), 1, 31, "Day"));
             if (!d.isValid())
                 fail(QStringLiteral("Invalid date: %1-%2-%3").arg(c.integer(0)).arg(c.integer(1)).arg(c.integer(2)));
             c.setDays(base::DateToDays(d));
         }},
        {"DecodeDate", "DateTime", "procedure DecodeDate(aDate: DateTime; var Year, Month, Day: Integer);", false, true,
         [](C& c) {
             const QDate d = base::DaysToDate(c.days(0));
             if (!d.isValid())
                 fail(QStringLiteral("Invalid date"));
             c.setFormalInteger(1, d.year());
             c.setFormalInteger(2, d.month());
             c.setFormalInteger(3, d.day());
         }},
        {"ArcTan", "Math", "function ArcTan(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(std::atan(c.ext(0))); }},
        {"Cos", "Math", "function Cos(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(std::cos(c.ext(0))); }},
        {"Cosh", "Math", "function Cosh(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(std::cosh(c.ext(0))); }},
        {"Cotan", "Math", "function Cotan(X: Extended): Extended;", true, true,
         [](C& c) {
             const long double t = std::tan(c.ext(0));
             if (t == 0)
                 fail(QStringLiteral("Division by zero"));
             c.setExtended(1 / t);
         }},
        {"Exp", "Math", "function Exp(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(std::exp(c.ext(0))); }},
        {"Frac", "Math", "function Frac(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(c.ext(0) - std::trunc(c.ext(0))); }},
        {"Int", "Math", "function Int(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(std::trunc(c.ext(0))); }},
        {"IntPower", "Math", "function IntPower(Base: Extended; Exponent: Integer): Extended;", true, true,
         [](C& c) { c.setExtended(std::pow(c.ext(0), static_cast<long double>(c.integer(1)))); }},
        {"Ln", "Math", "function Ln(X: Extended): Extended;", true, true,
         [](C& c) {
             if (c.ext(0) <= 0)
                 fail(QStringLiteral("Invalid floating point operation"));
             c.setExtended(std::log(c.ext(0)));
         }},
        {"Power", "Math", "function Power(Base, Exponent: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(std::pow(c.ext(0), c.ext(1))); }},
        {"Round", "Math", "function Round(X: Extended): Integer;", true, true,
         [](C& c) { c.setInteger(std::nearbyint(math(c.ext(0)))); }},
        {"Sin", "Math", "function Sin(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(std::sin(c.ext(0))); }},
        {"Sqr", "Math", "function Sqr(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(c.ext(0) * c.ext(0)); }},
        {"Sqrt", "Math", "function Sqrt(X: Extended): Extended;", true, true,
         [](C& c) {
             if (c.ext(0) < 0)
                 fail(QStringLiteral("Invalid floating point operation"));
             c.setExtended(std::sqrt(c.ext(0)));
         }},
        {"Tan", "Math", "function Tan(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(std::tan(c.ext(0))); }},
        {"Tanh", "Math", "function Tanh(X: Extended): Extended;", true, true,
         [](C& c) { c.setExtended(std::tanh(c.ext(0))); }},
        {"Trunc", "Math", "function Trunc(X: Extended): Integer;", true, true,
         [](C& c) { c.setInteger(std::trunc(math(c.ext(0)))); }},
        {"MessageBeep", "Utility", "procedure MessageBeep;", false, false, [](C&) { beepHandler()(); }},
        {"ShowMessage", "Utility", "procedure ShowMessage(const Msg: string);", false, true,
         [](C& c) { showMessageHandler()(c.str(0)); }},
    };
    return routines;
}

}  // namespace script

using script::Routine;

TraSystemFunction::TraSystemFunction(Routine aRoutine) : m_routine(std::move(aRoutine)) {
    CompileDeclaration();
}

QString TraSystemFunction::Category() const {
    // The categories' numbered texts; "Utility" is a fixed text.
    static const struct {
        const char* name;
        int text;
    } texts[] = {{"String", 975}, {"Conversion", 924}, {"Format", 939}, {"DateTime", 928}, {"Math", 950}};
    for (const auto& t : texts) {
        if (qstrcmp(t.name, m_routine.category) == 0) {
            const QString translated = ppGetMessageText(t.text);
            return translated.isEmpty() ? QString::fromLatin1(t.name) : translated;
        }
    }
    return QString::fromLatin1(m_routine.category);
}

void TraSystemFunction::CompileDeclaration() {
    TraProgram declaration;
    declaration.SetSource(Declaration() + QStringLiteral("begin end;"));
    declaration.CompileProgram();
    DOSSARA_ASSERT(declaration.Compiled(), return);
    ProgramName = declaration.ProgramName;
    ProgramType = declaration.ProgramType;
    while (declaration.ParamCount() > 0) {
        TraVariableValue* param = declaration.Params(0);
        std::unique_ptr<TraRelative> taken = declaration.Take(param);
        taken.release();
        AddParam(std::unique_ptr<TraVariableValue>(param));
    }
    if (auto* result = declaration.ResultValue()) {
        std::unique_ptr<TraRelative> taken = declaration.Take(result);
        taken.release();
        SetResultValue(std::unique_ptr<TraValue>(result));
    }
}

void TraSystemFunction::ExecuteFunction() {
    script::RoutineCall call(*this);
    m_routine.compute(call);
}

void TraSystemFunction::run() {
    for (int i = 0; i < ParamCount(); ++i)
        PassArgument(i);
    ExecuteFunction();
    for (int i = 0; i < ParamCount(); ++i)
        WriteBackArgument(i);
}

namespace {

std::vector<Routine>& registry() {
    static std::vector<Routine> list = script::Routines();
    return list;
}

const Routine* findRoutine(const QString& aName) {
    for (const Routine& r : registry())
        if (aName.compare(QLatin1String(r.name), Qt::CaseInsensitive) == 0)
            return &r;
    return nullptr;
}

}  // namespace

const std::vector<Routine>& raGetFunctionList() {
    return registry();
}

void raRegisterFunction(Routine aRoutine) {
    registry().push_back(std::move(aRoutine));
}

std::unique_ptr<TraSystemFunction> raFindFunction(const QString& aName) {
    const Routine* r = findRoutine(aName);
    if (!r || !r->isFunction)
        return nullptr;
    return std::make_unique<TraSystemFunction>(*r);
}

std::unique_ptr<TraSystemFunction> raFindProcedure(const QString& aName) {
    const Routine* r = findRoutine(aName);
    return r ? std::make_unique<TraSystemFunction>(*r) : nullptr;
}

QString raGetFunctionDeclaration(const QString& aName) {
    const Routine* r = findRoutine(aName);
    return r ? QString::fromLatin1(r->declaration) : QString();
}

QString raGetFunctionCallTemplate(const QString& aName) {
    std::unique_ptr<TraSystemFunction> node = raFindProcedure(aName);
    if (!node)
        return {};
    if (node->ParamCount() == 0)
        return node->ProgramName + QLatin1Char(';');
    QStringList names;
    for (int i = 0; i < node->ParamCount(); ++i)
        names << node->Params(i)->VarName;
    return node->ProgramName + QLatin1Char('(') + names.join(QStringLiteral(", ")) + QStringLiteral(");");
}

// ---- Event parameter bridge ------------------------------------------------------------

void raLoadValueFromParam(const TraParamRec& aParam, TraValue* aValue) {
    if (!aParam.Value || !aValue)
        return;
    TraValue* node = aValue->Evaluate();
    const QVariant& v = *aParam.Value;
    if (auto* b = dynamic_cast<TraBooleanValue*>(node))
        b->SetValue(v.toBool());
    else if (auto* e = dynamic_cast<TraEnumValue*>(node))
        e->SetOrd(v.toInt());
    else if (auto* i = dynamic_cast<TraIntegerValue*>(node))
        i->SetValue(v.toInt());
    else if (auto* money = dynamic_cast<TraCurrencyValue*>(node))
        money->SetValue(v.metaType() == QMetaType::fromType<TCurrency>() ? v.value<TCurrency>().TenThousandths
                                                                          : qRound64(v.toDouble() * 10000));
    else if (auto* f = dynamic_cast<TraSingleValue*>(node))
        f->SetValue(v.toFloat());
    else if (auto* d = dynamic_cast<TraDoubleValue*>(node))
        d->SetValue(v.toDouble());
    else if (auto* x = dynamic_cast<TraExtendedValue*>(node))
        x->SetValue(v.toDouble());
    else if (auto* c = dynamic_cast<TraCharValue*>(node))
        c->SetValue(v.toString().isEmpty() ? char32_t(0) : char32_t(v.toString().toUcs4().value(0)));
    else if (auto* s = dynamic_cast<TraStringValue*>(node))
        s->SetValue(v.toString());
    else if (auto* day = dynamic_cast<script::DayNumberValue*>(node))
        day->SetValue(v.toDouble());
    else if (auto* var = dynamic_cast<TraVariantValue*>(node))
        var->SetValue(v);
    else if (auto* o = dynamic_cast<TraObjectResolver*>(node))
        o->SetObject(v.value<QObject*>());
}

void raStoreValueToParam(TraValue* aValue, TraParamRec& aParam) {
    if (!aParam.Value || !aValue)
        return;
    TraValue* node = aValue->Evaluate();
    QVariant& v = *aParam.Value;
    if (auto* b = dynamic_cast<TraBooleanValue*>(node))
        v = b->Value();
    else if (auto* e = dynamic_cast<TraEnumValue*>(node))
        v = e->Ord();
    else if (auto* i = dynamic_cast<TraIntegerValue*>(node))
        v = i->Value();
    else if (auto* money = dynamic_cast<TraCurrencyValue*>(node))
        v = QVariant::fromValue(TCurrency{money->Value()});
    else if (auto* f = dynamic_cast<TraSingleValue*>(node))
        v = f->Value();
    else if (auto* d = dynamic_cast<TraDoubleValue*>(node))
        v = d->Value();
    else if (auto* x = dynamic_cast<TraExtendedValue*>(node))
        v = double(x->Value());
    else if (auto* c = dynamic_cast<TraCharValue*>(node))
        v = QVariant::fromValue(c->GetText().isEmpty() ? QChar() : c->GetText().at(0));
    else if (auto* s = dynamic_cast<TraStringValue*>(node))
        v = s->Value();
    else if (auto* day = dynamic_cast<script::DayNumberValue*>(node))
        v = day->Value();
    else if (auto* var = dynamic_cast<TraVariantValue*>(node))
        v = var->Value();
    else if (auto* o = dynamic_cast<TraObjectResolver*>(node))
        v = QVariant::fromValue(o->GetObject());
}
