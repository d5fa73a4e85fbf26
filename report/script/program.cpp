#include "report/script/program.h"
#include "report/script/object_adapters.h"

#include "report/page/resource_manager.h"
#include "report/script/calls.h"
#include "report/script/code_module.h"
#include "report/script/enum_types.h"
#include "report/script/errors.h"
#include "report/script/expression.h"
#include "report/script/statements.h"
#include "report/script/values.h"

#include <QRegularExpression>

#include <chrono>

namespace script {

void DeclareScriptTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {908, ", but found '<name>' instead."},
            {933, "Error: <name>, Line <no>"},
            {937, "Expected: <name> or <name>"},
            {938, "Expected: <name>"},
            {991, "<identifier> is a system constant, and cannot be used as an identifier."},
            {992, "<identifier> is already declared as a global variable."},
            {993, "<identifier> is already declared as a global constant."},
            {994, "Identifier redeclared: <identifier>."},
            {995, "Incompatible types."},
            {996, "Invalid parameter."},
            {997, "Missing the reserved word 'procedure' or 'function'."},
            {998, "Missing the program name."},
            {999, "Missing a right parenthesis."},
            {1901, "<identifier> is not a type identifier."},
            {1902, "Parser error."},
            {1903, "Undeclared identifier: <identifier>."},
            {1904, "Unexpected end of source."},
            {1905, "Unexpected token: <identifier>"},
        });
        return true;
    }();
    (void)declared;
}

namespace {

/// The numbered text of each error code 0 to 13.
constexpr int kErrorTexts[] = {994, 995, 996, 991, 992, 993, 997, 998, 999, 1901, 1902, 1903, 1904, 1905};

QString fillPlaceholders(QString text, const QString& value) {
    static const QRegularExpression placeholder(QStringLiteral("<(identifier|type|name)>"));
    return text.replace(placeholder, value);
}

}  // namespace

QString BuildSyntaxErrorMessage(const TraToken* aToken, TraTokenTypes aExpected, int aCode) {
    DeclareScriptTexts();
    if (aCode == kNestedTooDeeply)
        return QStringLiteral("Statements or expressions nested too deeply (more than %1 levels).").arg(kMaxNesting);
    if (aCode >= 0 && aCode < int(std::size(kErrorTexts))) {
        QString text = ppGetMessageText(kErrorTexts[aCode]);
        if (aToken)
            text = fillPlaceholders(text, QLatin1Char('\'') + aToken->Text() + QLatin1Char('\''));
        return text;
    }
    QStringList names;
    for (int k = 0; k < 64; ++k)
        if (aExpected.Contains(TraTokenType(k)))
            names << GetTokenTypeName(TraTokenType(k));
    QString text;
    if (names.size() == 1) {
        text = ppGetMessageText(938).replace(QLatin1String("<name>"), names[0]);
    } else if (names.size() >= 2) {
        const QString last = names.takeLast();
        text = ppGetMessageText(937);
        text.replace(text.indexOf(QLatin1String("<name>")), 6, names.join(QStringLiteral(", ")));
        text.replace(text.indexOf(QLatin1String("<name>")), 6, last);
    }
    if (aToken)
        text += ppGetMessageText(908).replace(QLatin1String("<name>"), aToken->Text());
    return text;
}

std::atomic<bool>& CancelFlag() {
    return raScriptCancelFlag();
}

void CheckCancel() {
    // Pending messages (a Cancel button) are processed at most every 50 ms.
    if (const std::function<void()>& pending = raPendingMessagesHandler()) {
        using Clock = std::chrono::steady_clock;
        static thread_local Clock::time_point last = Clock::now();
        const Clock::time_point now = Clock::now();
        if (now - last >= std::chrono::milliseconds(50)) {
            last = now;
            pending();
        }
    }
    if (CancelFlag().load(std::memory_order_relaxed))
        throw CancelSignal{};
}

}  // namespace script

using namespace script;

QString TraSyntaxError::ErrorText() const {
    DeclareScriptTexts();
    const auto* program = dynamic_cast<const TraProgram*>(Parent());
    QString text = ppGetMessageText(933);
    text.replace(QLatin1String("<name>"), program ? program->ProgramName : QString());
    text.replace(QLatin1String("<no>"), QString::number(LineNo));
    return text + QStringLiteral(": ") + Msg;
}

TraProgram::TraProgram() {
    DeclareScriptTexts();
}

TraProgram::~TraProgram() {
    if (m_codeModule)
        m_codeModule->RemoveProgram(this);
    // Statements point at variables and constants: free them first.
    Reset(true);
}

void TraProgram::SetCodeModule(TraCodeModule* aModule) {
    if (aModule == m_codeModule)
        return;
    if (m_codeModule)
        m_codeModule->RemoveProgram(this);
    if (aModule)
        aModule->AddProgram(this);
}

QString TraProgram::StreamClassName() const {
    return QStringLiteral("TraProgram");
}

QString TraProgram::Source() const {
    QString text;
    for (const QString& line : m_lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

void TraProgram::SetSource(const QString& aSource) {
    if (aSource == Source())
        return;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    m_lines = aSource.split(lineBreak);
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
    if (m_compiling)
        return;
    bool notifyDependents = false;
    if (OnSourceChange)
        OnSourceChange(this, notifyDependents);
    if (notifyDependents)
        SendNotify(this, kOpSourceChanged);
    SourceModified = true;
    m_bodyLinesValid = false;
    m_compiled = false;
    freeChildrenOfType(0);
    freeChildrenOfType(14);
    freeChildrenOfType(15);
    freeChildrenOfType(16);
}

TraStatement* TraProgram::Statements(int aIndex) const {
    return dynamic_cast<TraStatement*>(Children(aIndex));
}

void TraProgram::AddChild(TraRelative* aChild) {
    switch (aChild->ChildType()) {
    case 13:
        if (auto* v = dynamic_cast<TraVariableValue*>(aChild)) {
            m_params.push_back(v);
            return;
        }
        break;
    case 14:
        if (auto* v = dynamic_cast<TraVariableValue*>(aChild)) {
            m_constants.push_back(v);
            return;
        }
        break;
    case 15:
        if (auto* v = dynamic_cast<TraVariableValue*>(aChild)) {
            m_variables.push_back(v);
            return;
        }
        break;
    case 16:
        if (auto* e = dynamic_cast<TraSyntaxError*>(aChild)) {
            m_errors.push_back(e);
            return;
        }
        break;
    default:
        break;
    }
    TraStatement::AddChild(aChild);
}

int TraProgram::RemoveChild(TraRelative* aChild) {
    const auto drop = [aChild](auto& list) {
        auto it = std::find(list.begin(), list.end(), aChild);
        if (it == list.end())
            return false;
        list.erase(it);
        return true;
    };
    if (drop(m_params) || drop(m_constants) || drop(m_variables) || drop(m_errors))
        return 0;
    return TraStatement::RemoveChild(aChild);
}

void TraProgram::freeChildrenOfType(int aChildType) {
    switch (aChildType) {
    case 0:
        while (TraStatement::ChildCount() > 0)
            Take(TraStatement::Children(TraStatement::ChildCount() - 1)).reset();
        break;
    case 10:
        FreeResultValue();
        break;
    case 13:
        while (!m_params.empty())
            Take(m_params.back()).reset();
        break;
    case 14:
        while (!m_constants.empty())
            Take(m_constants.back()).reset();
        break;
    case 15:
        while (!m_variables.empty())
            Take(m_variables.back()).reset();
        break;
    case 16:
        while (!m_errors.empty())
            Take(m_errors.back()).reset();
        break;
    default:
        break;
    }
}

void TraProgram::Reset(bool aErrors) {
    SourceModified = false;
    m_compiled = false;
    freeChildrenOfType(0);
    freeChildrenOfType(13);
    freeChildrenOfType(15);
    freeChildrenOfType(14);
    freeChildrenOfType(10);
    if (aErrors)
        freeChildrenOfType(16);
}

void TraProgram::Notify(TraCommunicator* aSender, int aOperation) {
    TraStatement::Notify(aSender, aOperation);
    if (aOperation == kOpSourceChanged && aSender != this && dynamic_cast<TraProgram*>(aSender))
        Reset(true);
}

// ---- Tokens and errors -----------------------------------------------------------------

TraToken* TraProgram::NextToken() {
    TraToken* t = TokenIndex >= 0 && TokenIndex < m_lexer.TokenCount() ? m_lexer.Tokens(TokenIndex) : nullptr;
    ++TokenIndex;
    return t;
}

TraToken* TraProgram::PreviousToken() {
    if (TokenIndex > 0)
        --TokenIndex;
    return TokenIndex < m_lexer.TokenCount() ? m_lexer.Tokens(TokenIndex) : nullptr;
}

bool TraProgram::CheckToken(TraToken* aToken, TraToken* aPrevious, int aErrorCode, TraTokenTypes aExpected) {
    if (!aToken) {
        if (TokenIndex == 1)
            return true;
        if (aPrevious)
            AddSyntaxError(aPrevious, aExpected, aErrorCode);
        AddSyntaxError(aPrevious, {}, kUnexpectedEnd);
        return HasErrors();
    }
    if (!aExpected.Contains(aToken->TokenType))
        AddSyntaxError(aToken, aExpected, aErrorCode);
    return HasErrors();
}

void TraProgram::AddSyntaxError(const TraToken* aToken, TraTokenTypes aExpected, int aErrorCode) {
    auto error = std::make_unique<TraSyntaxError>();
    error->ErrorCode = aErrorCode;
    error->Msg = BuildSyntaxErrorMessage(aToken, aExpected, aErrorCode);
    if (aToken) {
        error->TokenText = aToken->Text();
        error->LineNo = aToken->LineNo;
        error->CharPos = aToken->CharPos;
    }
    Add(std::move(error));
}

// ---- Compiling -------------------------------------------------------------------------

void TraProgram::CompileProgram(bool aOnlyIfNeeded, bool aHeadingOnly) {
    script::RegisterObjectAdapters();
    if ((aOnlyIfNeeded && m_compiled && !SourceModified) || m_compiling)
        return;
    m_compiling = true;
    Reset(true);
    ProgramType = TraTokenType::ttUnknown;
    TokenIndex = 0;
    StatementDepth = 0;
    HeadingOnly = aHeadingOnly;
    bool skip = false;
    if (OnCompileStart)
        OnCompileStart(this, skip);
    if (skip) {
        m_compiling = false;
        return;
    }
    m_lexer.SkipComments = true;
    m_lexer.SkipQuotes = true;
    m_lexer.Parse(Source());
    if (m_lexer.SyntaxErrorCount() > 0) {
        for (int i = 0; i < m_lexer.SyntaxErrorCount(); ++i)
            AddSyntaxError(m_lexer.SyntaxErrors(i), {}, kParserError);
        if (OnCompileEnd)
            OnCompileEnd(this);
        m_compiling = false;
        return;
    }
    parseHeadingStart();
    if (!HasErrors() && m_lexer.TokenCount() > 0)
        Compile(*this, m_lexer.Tokens(std::max(0, TokenIndex - 1)));
    if (m_lexer.TokenCount() == 0)
        AddSyntaxError(nullptr, {}, kUnexpectedEnd);
    if (m_compiled || (HeadingOnly && !HasErrors() && ProgramType != TraTokenType::ttUnknown))
        IsFunctionType = ProgramType == TraTokenType::ttFunction;  // a heading-only compile keeps the heading
    else
        Reset(false);
    if (OnCompileEnd)
        OnCompileEnd(this);
    m_compiling = false;
}

void TraProgram::parseHeadingStart() {
    TraToken* t = NextToken();
    if (CheckToken(t, nullptr, kMissingProcedure, {TraTokenType::ttProcedure, TraTokenType::ttFunction}) || !t)
        return;
    ProgramType = t->TokenType;
    TraToken* name = NextToken();
    if (CheckToken(name, t, kMissingProgramName, {TraTokenType::ttIdentifier}) || !name)
        return;
    ProgramName = name->Text();
}

void TraProgram::Compile(TraProgram&, TraToken* aToken) {
    TraToken* previous = aToken;
    const auto next = [&](TraTokenTypes expected, int code = kExpectedToken) -> TraToken* {
        TraToken* t = NextToken();
        if (CheckToken(t, previous, code, expected) || !t)
            return nullptr;
        previous = t;
        return t;
    };
    const bool isFunction = ProgramType == TraTokenType::ttFunction;
    TraToken* t = next(isFunction ? TraTokenTypes{TraTokenType::ttLParen, TraTokenType::ttColon}
                                  : TraTokenTypes{TraTokenType::ttLParen, TraTokenType::ttSemiColon});
    if (!t)
        return;
    ParseParameters(t);
    if (HasErrors() || HeadingOnly)
        return;
    previous = PreviousToken();
    NextToken();
    t = next({TraTokenType::ttBegin, TraTokenType::ttConst, TraTokenType::ttVar});
    if (!t)
        return;
    if (t->TokenType == TraTokenType::ttConst) {
        ParseConstants();
        if (HasErrors())
            return;
        previous = PreviousToken();
        NextToken();
        t = next({TraTokenType::ttBegin, TraTokenType::ttVar});
        if (!t)
            return;
    }
    if (t->TokenType == TraTokenType::ttVar) {
        ParseVariables();
        if (HasErrors())
            return;
        previous = PreviousToken();
        NextToken();
        t = next({TraTokenType::ttBegin});
        if (!t)
            return;
    }
    ParseStatementList(this, {TraTokenType::ttEnd});
    if (HasErrors())
        return;
    previous = PreviousToken();
    NextToken();
    if (!next({TraTokenType::ttEnd}) || !next({TraTokenType::ttSemiColon}))
        return;
    m_compiled = true;
}

namespace {

/// The names of one declaration group, "a, b, c : Type", from its first name on: answers
/// the names and the type token; false after an error (the program holds it).
template <class Next>
bool readNamesAndType(TraToken* aFirst, Next& aNext, std::vector<TraToken*>& aNames, TraToken*& aType) {
    aNames = {aFirst};
    for (;;) {
        TraToken* sep = aNext({TraTokenType::ttComma, TraTokenType::ttColon});
        if (!sep)
            return false;
        if (sep->TokenType == TraTokenType::ttColon)
            break;
        TraToken* name = aNext({TraTokenType::ttIdentifier});
        if (!name)
            return false;
        aNames.push_back(name);
    }
    aType = aNext({TraTokenType::ttType}, script::kNotTypeIdentifier);
    return aType != nullptr;
}

}  // namespace

void TraProgram::ParseParameters(TraToken* aStart) {
    TraToken* previous = aStart;
    const auto next = [&](TraTokenTypes expected, int code = kExpectedToken) -> TraToken* {
        TraToken* t = NextToken();
        if (CheckToken(t, previous, code, expected) || !t)
            return nullptr;
        previous = t;
        return t;
    };
    const auto resultType = [&]() {
        TraToken* type = next({TraTokenType::ttType}, kNotTypeIdentifier);
        if (!type)
            return;
        std::unique_ptr<TraValue> value = CreateTypedValue(type);
        if (!value) {
            AddSyntaxError(type, {}, kInvalidParameter);
            return;
        }
        auto result = std::make_unique<TraVariableValue>(QStringLiteral("Result"), std::move(value));
        SetResultValue(std::move(result));
        next({TraTokenType::ttSemiColon});
    };
    if (aStart->TokenType == TraTokenType::ttColon) {
        resultType();
        return;
    }
    if (aStart->TokenType == TraTokenType::ttSemiColon)
        return;
    for (;;) {
        TraToken* t = next({TraTokenType::ttConst, TraTokenType::ttVar, TraTokenType::ttIdentifier});
        if (!t)
            return;
        const bool isVar = t->TokenType == TraTokenType::ttVar;
        if (t->TokenType != TraTokenType::ttIdentifier) {
            t = next({TraTokenType::ttIdentifier});
            if (!t)
                return;
        }
        std::vector<TraToken*> names;
        TraToken* type = nullptr;
        if (!readNamesAndType(t, next, names, type))
            return;
        for (TraToken* name : names) {
            std::unique_ptr<TraValue> value = CreateTypedValue(type);
            if (!value) {
                AddSyntaxError(type, {}, kInvalidParameter);
                return;
            }
            auto param = std::make_unique<TraVariableValue>(name->Text(), std::move(value));
            param->IsReadOnly = !isVar;
            param->SetChildType(13);
            Add(std::move(param));
        }
        TraToken* end = next({TraTokenType::ttSemiColon, TraTokenType::ttRParen});
        if (!end)
            return;
        if (end->TokenType == TraTokenType::ttRParen)
            break;
    }
    if (ProgramType == TraTokenType::ttFunction) {
        if (next({TraTokenType::ttColon}))
            resultType();
    } else {
        next({TraTokenType::ttSemiColon});
    }
}

bool TraProgram::CheckIdentifierFree(const TraToken* aNameToken) {
    TraVariableValue* found = nullptr;
    const QString& name = aNameToken->Text();
    if (FindParameter(name, found) || FindDeclaredVariable(name, found) || FindLocalConstant(name, found))
        return false;
    if (IsSystemConstant(name)) {
        AddSyntaxError(aNameToken, {}, kSystemConstantName);
        return false;
    }
    if (OnValidateIdentifier) {
        std::unique_ptr<TraSyntaxError> error;
        OnValidateIdentifier(this, aNameToken, error);
        if (error) {
            error->SetChildType(16);
            Add(std::move(error));
            return false;
        }
    }
    return true;
}

void TraProgram::ParseConstants() {
    TraToken* previous = PreviousToken();
    NextToken();
    const auto next = [&](TraTokenTypes expected) -> TraToken* {
        TraToken* t = NextToken();
        if (CheckToken(t, previous, kExpectedToken, expected) || !t)
            return nullptr;
        previous = t;
        return t;
    };
    for (;;) {
        TraToken* name = next({TraTokenType::ttIdentifier});
        if (!name)
            return;
        if (!CheckIdentifierFree(name)) {
            AddSyntaxError(name, {}, kIdentifierRedeclared);
            return;
        }
        if (!next({TraTokenType::ttEqual}))
            return;
        TraToken* v = next({TraTokenType::ttNumber, TraTokenType::ttString, TraTokenType::ttIdentifier});
        if (!v)
            return;
        std::unique_ptr<TraValue> value = v->TokenType == TraTokenType::ttIdentifier ? FindSystemConstant(v->Text())
                                                                                     : CreateLiteralValue(v);
        if (!value) {
            AddSyntaxError(v, {}, kUndeclaredIdentifier);
            return;
        }
        auto constant = std::make_unique<TraVariableValue>(name->Text(), std::move(value));
        constant->IsReadOnly = true;
        constant->SetChildType(14);
        Add(std::move(constant));
        if (!next({TraTokenType::ttSemiColon}))
            return;
        TraToken* after = next({TraTokenType::ttIdentifier, TraTokenType::ttBegin, TraTokenType::ttVar});
        if (!after)
            return;
        PreviousToken();
        if (after->TokenType != TraTokenType::ttIdentifier)
            return;
    }
}

void TraProgram::ParseVariables() {
    TraToken* previous = PreviousToken();
    NextToken();
    const auto next = [&](TraTokenTypes expected, int code = kExpectedToken) -> TraToken* {
        TraToken* t = NextToken();
        if (CheckToken(t, previous, code, expected) || !t)
            return nullptr;
        previous = t;
        return t;
    };
    for (;;) {
        TraToken* first = next({TraTokenType::ttIdentifier});
        if (!first)
            return;
        std::vector<TraToken*> names;
        TraToken* type = nullptr;
        if (!readNamesAndType(first, next, names, type))
            return;
        for (TraToken* name : names) {
            if (!CheckIdentifierFree(name)) {
                AddSyntaxError(name, {}, kIdentifierRedeclared);
                return;
            }
            std::unique_ptr<TraValue> value = CreateTypedValue(type);
            if (!value)
                continue;
            auto variable = std::make_unique<TraVariableValue>(name->Text(), std::move(value));
            variable->SetChildType(15);
            Add(std::move(variable));
        }
        if (!next({TraTokenType::ttSemiColon}))
            return;
        TraToken* after = next({TraTokenType::ttIdentifier, TraTokenType::ttBegin});
        if (!after)
            return;
        PreviousToken();
        if (after->TokenType != TraTokenType::ttIdentifier)
            return;
    }
}

void TraProgram::ParseStatementList(TraStatement* aParent, TraTokenTypes aEndSet) {
    const TraTokenTypes starters{TraTokenType::ttIdentifier, TraTokenType::ttType,   TraTokenType::ttLParen,
                                 TraTokenType::ttCase,       TraTokenType::ttEnd,    TraTokenType::ttFor,
                                 TraTokenType::ttIf,         TraTokenType::ttRepeat, TraTokenType::ttWhile};
    TraToken* previous = PreviousToken();
    NextToken();
    bool statementAllowed = true;
    while (!HasErrors()) {
        TraToken* t = NextToken();
        TraTokenTypes allowed = TraTokenTypes{TraTokenType::ttSemiColon} + aEndSet;
        if (statementAllowed)
            allowed += starters;
        if (CheckToken(t, previous, kExpectedToken, allowed) || !t)
            return;
        previous = t;
        if (aEndSet.Contains(t->TokenType)) {
            PreviousToken();
            return;
        }
        if (t->TokenType == TraTokenType::ttSemiColon) {
            statementAllowed = true;
            continue;
        }
        ParseStatement(aParent, t, aEndSet);
        statementAllowed = false;
        if (HasErrors())
            return;
        previous = PreviousToken();
        NextToken();
    }
}

void TraProgram::ParseStatement(TraStatement* aParent, TraToken* aToken, TraTokenTypes aEndTokens) {
    std::unique_ptr<TraStatement> statement;
    switch (aToken->TokenType) {
    case TraTokenType::ttIdentifier:
    case TraTokenType::ttType:
    case TraTokenType::ttLParen: {
        auto e = std::make_unique<TraExpression>();
        e->AllowAssignment = true;
        e->EndTokens = TraTokenTypes{TraTokenType::ttSemiColon, TraTokenType::ttEnd} + aEndTokens;
        statement = std::move(e);
        break;
    }
    case TraTokenType::ttCase:
        statement = std::make_unique<TraCaseStatement>();
        break;
    case TraTokenType::ttFor:
        statement = std::make_unique<TraForLoop>();
        break;
    case TraTokenType::ttIf:
        statement = std::make_unique<TraIfStatement>();
        break;
    case TraTokenType::ttRepeat:
        statement = std::make_unique<TraRepeatLoop>();
        break;
    case TraTokenType::ttWhile:
        statement = std::make_unique<TraWhileLoop>();
        break;
    default:
        return;  // "end" makes nothing
    }
    if (StatementDepth >= kMaxNesting) {
        AddSyntaxError(aToken, {}, kNestedTooDeeply);
        return;
    }
    ++StatementDepth;
    TraStatement* raw = aParent->Add(std::move(statement));
    raw->Compile(*this, aToken);
    --StatementDepth;
}

// ---- Running ---------------------------------------------------------------------------

TraValue* TraProgram::Execute() {
    TraStatement* current = nullptr;
    try {
        for (int i = 0; i < StatementCount(); ++i) {
            current = Statements(i);
            if (!current)
                continue;
            ThrowAwayScope scope;
            current->Execute();
        }
    } catch (EScriptRunError& e) {
        if (!e.HasPosition() && current)
            e.SetPosition(current->LineNo, current->CharPos);
        if (!e.HasProgram())
            e.SetProgramName(ProgramName);
        throw;
    }
    return ResultValue() ? ResultValue()->Execute() : nullptr;
}

void TraProgram::SetParamValue(int aIndex, TraValue* aValue) {
    if (TraValue* target = GetParamValue(aIndex))
        target->AssignValue(aValue);
}

TraValue* TraProgram::GetParamValue(int aIndex) const {
    if (aIndex < 0 || aIndex >= ParamCount())
        return nullptr;
    return Params(aIndex)->Evaluate();
}

// ---- Names -----------------------------------------------------------------------------

namespace {

bool findIn(const std::vector<TraVariableValue*>& list, const QString& name, TraVariableValue*& found) {
    for (TraVariableValue* v : list) {
        if (v->VarName.compare(name, Qt::CaseInsensitive) == 0) {
            found = v;
            return true;
        }
    }
    found = nullptr;
    return false;
}

}  // namespace

bool TraProgram::FindParameter(const QString& aName, TraVariableValue*& aVariable) const {
    return findIn(m_params, aName, aVariable);
}

bool TraProgram::FindDeclaredVariable(const QString& aName, TraVariableValue*& aVariable) const {
    return findIn(m_variables, aName, aVariable);
}

bool TraProgram::FindLocalConstant(const QString& aName, TraVariableValue*& aVariable) const {
    return findIn(m_constants, aName, aVariable);
}

FoundValue TraProgram::FindVariable(const QString& aName) {
    if (ProgramType == TraTokenType::ttFunction && aName.compare(QLatin1String("Result"), Qt::CaseInsensitive) == 0 &&
        ResultValue())
        return FoundValue::Reference(ResultValue());
    TraVariableValue* v = nullptr;
    if (FindParameter(aName, v) || FindDeclaredVariable(aName, v))
        return FoundValue::Reference(v);
    if (OnGetGlobalVariable) {
        OnGetGlobalVariable(aName, v);
        if (v)
            return FoundValue::Reference(v);
    }
    if (OnGetObject) {
        QObject* object = nullptr;
        if (OnGetObject(this, aName, object) && object) {
            auto value = std::make_unique<TraClassValue>();
            value->ClassRef = object->metaObject();
            value->SetObjectName(aName);
            value->SetObject(object);
            return FoundValue::Owned(std::move(value));
        }
    }
    if (TClass cls = raGetClass(aName)) {
        auto value = std::make_unique<TraClassValue>();
        value->ClassRef = cls;
        return FoundValue::Owned(std::move(value));
    }
    const TraDataType type = FindTypeName(aName);
    if (type != TraDataType::daUnknown && type != TraDataType::daClass) {
        auto value = std::make_unique<TraClassValue>();
        value->SimpleTypeCast = type;
        return FoundValue::Owned(std::move(value));
    }
    return {};
}

FoundValue TraProgram::FindConstant(const QString& aName) {
    TraVariableValue* v = nullptr;
    if (FindLocalConstant(aName, v))
        return FoundValue::Reference(v);
    if (OnGetGlobalConstant) {
        OnGetGlobalConstant(aName, v);
        if (v)
            return FoundValue::Reference(v);
    }
    if (std::unique_ptr<TraValue> constant = FindSystemConstant(aName))
        return FoundValue::Owned(std::move(constant));
    return {};
}

FoundValue TraProgram::FindFunction(const QString& aName) {
    if (OnGetProgram) {
        std::unique_ptr<TraValue> call;
        OnGetProgram(aName, call);
        auto* program = dynamic_cast<TraProgramCallValue*>(call.get());
        if (program && program->ProgramType == TraTokenType::ttFunction)
            return FoundValue::Owned(std::move(call));
    }
    if (std::unique_ptr<TraSystemFunction> builtIn = raFindFunction(aName))
        return FoundValue::Owned(std::move(builtIn));
    return {};
}

FoundValue TraProgram::FindEnumConstant(const QString& aName) {
    QString typeName;
    int ordinal = -1;
    if (!FindEnumValue(aName, typeName, ordinal))
        return {};
    if (typeName.compare(QLatin1String("Boolean"), Qt::CaseInsensitive) == 0)
        return FoundValue::Owned(std::make_unique<TraBooleanValue>(ordinal == 1));
    return FoundValue::Owned(std::make_unique<TraEnumValue>(typeName, ordinal));
}

FoundValue TraProgram::FindIdentifier(const QString& aName) {
    if (FoundValue v = FindVariable(aName))
        return v;
    if (FoundValue c = FindConstant(aName))
        return c;
    if (FoundValue f = FindFunction(aName))
        return f;
    return FindEnumConstant(aName);
}

FoundValue TraProgram::FindProgram(const QString& aName) {
    if (OnGetProgram) {
        std::unique_ptr<TraValue> call;
        OnGetProgram(aName, call);
        if (call)
            return FoundValue::Owned(std::move(call));
    }
    if (std::unique_ptr<TraSystemFunction> builtIn = raFindProcedure(aName))
        return FoundValue::Owned(std::move(builtIn));
    return {};
}

std::unique_ptr<TraValue> TraProgram::CreateLiteralValue(const TraToken* aToken) const {
    switch (aToken->DataType) {
    case TraDataType::daInteger:
        return std::make_unique<TraIntegerValue>(aToken->IntValue);
    case TraDataType::daSingle:
        return std::make_unique<TraSingleValue>(float(aToken->FloatValue));
    case TraDataType::daDouble:
        return std::make_unique<TraDoubleValue>(double(aToken->FloatValue));
    case TraDataType::daExtended:
        return std::make_unique<TraExtendedValue>(aToken->FloatValue);
    case TraDataType::daCurrency:
        return std::make_unique<TraCurrencyValue>(qint64(std::nearbyint(aToken->FloatValue * 10000)));
    case TraDataType::daChar:
        return std::make_unique<TraCharValue>(aToken->CharValue);
    case TraDataType::daString:
        return std::make_unique<TraStringValue>(aToken->Text());
    case TraDataType::daBoolean:
        return std::make_unique<TraBooleanValue>(aToken->IntValue == 1);
    case TraDataType::daEnum:
        if (auto* word = dynamic_cast<const TraWordToken*>(aToken))
            return std::make_unique<TraEnumValue>(word->TypeName, aToken->IntValue);
        return nullptr;
    default:
        return nullptr;
    }
}

std::unique_ptr<TraValue> TraProgram::CreateTypedValue(const TraToken* aTypeToken) const {
    std::unique_ptr<TraValue> value;
    if (!CreateValueOfType(aTypeToken->DataType, value))
        return nullptr;
    if (aTypeToken->DataType == TraDataType::daClass) {
        if (auto* c = dynamic_cast<TraClassValue*>(value.get()))
            c->ClassRef = raGetClass(aTypeToken->Text());
    } else if (aTypeToken->DataType == TraDataType::daEnum) {
        if (auto* e = dynamic_cast<TraEnumValue*>(value.get()))
            e->TypeName = aTypeToken->Text();
    }
    return value;
}

// ---- Source helpers --------------------------------------------------------------------

QString TraProgram::GetHeading() const {
    return m_lines.isEmpty() ? QString() : m_lines.first();
}

QString TraProgram::GetTextAfterHeading() const {
    QString text;
    for (int i = 1; i < m_lines.size(); ++i)
        text += m_lines[i] + QStringLiteral("\r\n");
    return text;
}

int TraProgram::BodyStartLine() {
    if (!m_bodyLinesValid)
        ComputeBodyLines();
    return m_bodyStartLine;
}

int TraProgram::BodyEndLine() {
    if (!m_bodyLinesValid)
        ComputeBodyLines();
    return m_bodyEndLine;
}

void TraProgram::ComputeBodyLines() {
    const int lastLine = int(m_lines.size()) - 1;
    m_bodyStartLine = 0;
    m_bodyEndLine = lastLine;
    TraParser lexer;
    lexer.Parse(Source());
    bool sawBegin = false;
    for (int i = 0; i < lexer.TokenCount(); ++i) {
        const TraToken* t = lexer.Tokens(i);
        if (t->TokenType == TraTokenType::ttBegin && !sawBegin) {
            m_bodyStartLine = t->LineNo;
            sawBegin = true;
        }
        if (t->TokenType == TraTokenType::ttEnd)
            m_bodyEndLine = t->LineNo - 2;
    }
    m_bodyStartLine = std::min(m_bodyStartLine, std::max(lastLine, 0));
    m_bodyEndLine = std::max(m_bodyEndLine, m_bodyStartLine);
    m_bodyLinesValid = true;
}

QString TraProgram::GetBodyText() {
    const int start = BodyStartLine();
    const int end = BodyEndLine();
    QStringList body;
    for (int i = start; i <= end && i < m_lines.size(); ++i)
        body << m_lines[i];
    return body.join(QStringLiteral("\r\n"));
}

void TraProgram::SetBodyText(const QString& aText) {
    const int start = BodyStartLine();
    const int end = BodyEndLine();
    QString text;
    for (int i = 0; i < start && i < m_lines.size(); ++i)
        text += m_lines[i] + QStringLiteral("\r\n");
    text += aText + QStringLiteral("\r\n");
    QStringList after;
    for (int i = end + 1; i < m_lines.size(); ++i)
        after << m_lines[i];
    text += after.join(QStringLiteral("\r\n"));
    SetSource(text);
}

void TraProgram::CreateDefaultSource() {
    if (ProgramType == TraTokenType::ttFunction)
        SetSource(QStringLiteral("function ") + ProgramName +
                  QStringLiteral(": Variant;\r\nbegin\r\n\r\n  Result := \r\n\r\nend;"));
    else
        SetSource(QStringLiteral("procedure ") + ProgramName + QStringLiteral(";\r\nbegin\r\n\r\nend;"));
}

void TraDeclarationProgram::ComputeBodyLines() {
    m_bodyStartLine = 1;
    m_bodyEndLine = int(m_lines.size());
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].contains(QLatin1String("begin"))) {
            m_bodyEndLine = i - 1;
            break;
        }
    }
    m_bodyLinesValid = true;
}

void TraConstProgram::CreateDefaultSource() {
    ProgramType = TraTokenType::ttProcedure;
    TraProgram::CreateDefaultSource();
    SetBodyText(QStringLiteral("const\r\n   "));
}

void TraVarProgram::CreateDefaultSource() {
    ProgramType = TraTokenType::ttProcedure;
    TraProgram::CreateDefaultSource();
    SetBodyText(QStringLiteral("var\r\n   "));
}
