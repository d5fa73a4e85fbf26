#include "report/script/statements.h"

#include "report/script/expression.h"
#include "report/script/program.h"
#include "report/script/values.h"

namespace {

const TraTokenTypes kConditionStarters{TraTokenType::ttIdentifier, TraTokenType::ttNumber, TraTokenType::ttString,
                                       TraTokenType::ttLParen,     TraTokenType::ttMinus,  TraTokenType::ttPlus,
                                       TraTokenType::ttNot};

std::unique_ptr<TraExpression> makeCondition(int aChildType, TraTokenTypes aEnd,
                                             TraDataType aType = TraDataType::daBoolean) {
    auto e = std::make_unique<TraExpression>();
    e->AllowAssignment = false;
    e->ReturnDataType = aType;
    e->EndTokens = aEnd;
    e->SetChildType(aChildType);
    return e;
}

/// Reads the next token and checks it; answers it, or null when compiling must stop.
TraToken* expectToken(TraProgram& aProgram, TraToken*& aPrevious, TraTokenTypes aExpected) {
    TraToken* t = aProgram.NextToken();
    if (aProgram.CheckToken(t, aPrevious, script::kExpectedToken, aExpected) || !t)
        return nullptr;
    aPrevious = t;
    return t;
}

/// A simple statement (an assignment or call) as a child of aParent.
void compileSimpleStatement(TraProgram& aProgram, TraStatement* aParent, TraToken* aFirst, TraTokenTypes aEnd) {
    auto e = std::make_unique<TraExpression>();
    e->AllowAssignment = true;
    e->EndTokens = aEnd;
    TraExpression* raw = aParent->Add(std::move(e));
    raw->Compile(aProgram, aFirst);
}

/// begin ... end: the statements become children of aParent; the "end" is consumed.
void compileCompound(TraProgram& aProgram, TraStatement* aParent, TraToken*& aPrevious) {
    aProgram.ParseStatementList(aParent, {TraTokenType::ttEnd});
    if (aProgram.HasErrors())
        return;
    expectToken(aProgram, aPrevious, {TraTokenType::ttEnd});
}

/// A variable node under a lone-operand expression (the for loop's control variable).
TraValue* targetOf(TraValue* aNode) {
    auto* e = dynamic_cast<TraExpression*>(aNode);
    while (e && e->Operator == TraTokenType::ttUnknown && e->Value1()) {
        aNode = e->Value1();
        e = dynamic_cast<TraExpression*>(aNode);
    }
    return aNode;
}

}  // namespace

void RunBranchStatements(TraStatement* aParent) {
    for (int i = 0; i < aParent->ChildCount(); ++i) {
        auto* statement = dynamic_cast<TraStatement*>(aParent->Children(i));
        if (!statement)
            continue;
        script::ThrowAwayScope scope;
        statement->Execute();
    }
}

bool IsTrueCondition(TraValue* aCondition) {
    if (!aCondition)
        return false;
    TraValue* value = aCondition->Execute();
    if (value)
        value = value->Evaluate();
    if (auto* b = dynamic_cast<TraBooleanValue*>(value))
        return b->Value();
    if (auto* v = dynamic_cast<TraVariantValue*>(value))
        return v->Value().metaType().id() == QMetaType::Bool && v->Value().toBool();
    return false;
}

// ---- Branches --------------------------------------------------------------------------

void TraControlFlow::AddChild(TraRelative* aChild) {
    if (aChild->ChildType() == 2) {
        if (auto* s = dynamic_cast<TraStatement*>(aChild)) {
            m_elseBranch = s;
            return;
        }
    }
    TraStatement::AddChild(aChild);
}

int TraControlFlow::RemoveChild(TraRelative* aChild) {
    if (aChild && aChild == m_elseBranch) {
        m_elseBranch = nullptr;
        return 0;
    }
    return TraStatement::RemoveChild(aChild);
}

void TraControlFlow::parseBranch(TraProgram& aProgram, TraToken* aFirst, TraTokenTypes aEnd, TraTokenTypes aStarters) {
    (void)aStarters;
    TraToken* previous = aFirst;
    switch (aFirst->TokenType) {
    case TraTokenType::ttBegin:
        compileCompound(aProgram, this, previous);
        break;
    case TraTokenType::ttIf:
    case TraTokenType::ttCase:
    case TraTokenType::ttFor:
    case TraTokenType::ttRepeat:
    case TraTokenType::ttWhile:
        aProgram.ParseStatement(this, aFirst, aEnd);
        break;
    default:
        compileSimpleStatement(aProgram, this, aFirst, aEnd);
        break;
    }
}

// ---- if --------------------------------------------------------------------------------

void TraIfStatement::AddChild(TraRelative* aChild) {
    if (aChild->ChildType() == 1) {
        if (auto* v = dynamic_cast<TraValue*>(aChild)) {
            m_condition = v;
            return;
        }
    }
    TraControlFlow::AddChild(aChild);
}

int TraIfStatement::RemoveChild(TraRelative* aChild) {
    if (aChild && aChild == m_condition) {
        m_condition = nullptr;
        return 0;
    }
    return TraControlFlow::RemoveChild(aChild);
}

void TraIfStatement::compileCondition(TraProgram& aProgram, TraToken* aFirst) {
    TraExpression* condition = Add(makeCondition(1, {TraTokenType::ttThen}));
    condition->Compile(aProgram, aFirst);
}

void TraIfStatement::Compile(TraProgram& aProgram, TraToken* aToken) {
    SetPosition(aToken);
    TraToken* previous = aToken;
    bool withCondition = aToken->TokenType == TraTokenType::ttIf;
    if (!withCondition) {
        // An else branch: a simple statement, begin ... end, or an else-if.
        const TraTokenTypes starters = kConditionStarters + TraTokenType::ttBegin + TraTokenType::ttIf;
        TraToken* t = expectToken(aProgram, previous, starters);
        if (!t)
            return;
        if (t->TokenType != TraTokenType::ttIf) {
            parseBranch(aProgram, t, {TraTokenType::ttSemiColon, TraTokenType::ttElse}, starters);
            if (aProgram.HasErrors())
                return;
            if (!expectToken(aProgram, previous = t, {TraTokenType::ttSemiColon}))
                return;
            aProgram.PreviousToken();
            return;
        }
        withCondition = true;
        previous = t;
        TraToken* c = expectToken(aProgram, previous, {TraTokenType::ttIdentifier, TraTokenType::ttLParen});
        if (!c)
            return;
        compileCondition(aProgram, c);
    } else {
        TraToken* c = expectToken(aProgram, previous, kConditionStarters);
        if (!c)
            return;
        compileCondition(aProgram, c);
    }
    if (aProgram.HasErrors())
        return;
    previous = aProgram.PreviousToken();
    aProgram.NextToken();
    if (!expectToken(aProgram, previous, {TraTokenType::ttThen}))
        return;
    const TraTokenTypes branchStarters{TraTokenType::ttIdentifier, TraTokenType::ttCase,   TraTokenType::ttFor,
                                       TraTokenType::ttRepeat,     TraTokenType::ttWhile, TraTokenType::ttIf,
                                       TraTokenType::ttBegin};
    TraToken* b = expectToken(aProgram, previous, branchStarters);
    if (!b)
        return;
    parseBranch(aProgram, b, {TraTokenType::ttSemiColon, TraTokenType::ttElse}, branchStarters);
    if (aProgram.HasErrors())
        return;
    previous = aProgram.PreviousToken();
    aProgram.NextToken();
    TraToken* t = expectToken(aProgram, previous, {TraTokenType::ttSemiColon, TraTokenType::ttElse});
    if (!t)
        return;
    if (t->TokenType == TraTokenType::ttSemiColon) {
        aProgram.PreviousToken();
        return;
    }
    auto elseBranch = std::make_unique<TraIfStatement>();
    elseBranch->SetChildType(2);
    TraIfStatement* raw = Add(std::move(elseBranch));
    raw->Compile(aProgram, t);
}

TraValue* TraIfStatement::Execute() {
    bool take = true;
    if (m_condition) {
        script::ThrowAwayScope scope;
        take = IsTrueCondition(m_condition);
    }
    if (take)
        RunBranchStatements(this);
    else if (ElseBranch())
        ElseBranch()->Execute();
    return nullptr;
}

// ---- case ------------------------------------------------------------------------------

void TraCaseStatement::AddChild(TraRelative* aChild) {
    auto* value = dynamic_cast<TraValue*>(aChild);
    if (value && aChild->ChildType() == 6) {
        m_selector = value;
        return;
    }
    if (value && aChild->ChildType() == 7) {
        m_labels.push_back(value);
        return;
    }
    TraControlFlow::AddChild(aChild);
}

int TraCaseStatement::RemoveChild(TraRelative* aChild) {
    if (aChild && aChild == m_selector) {
        m_selector = nullptr;
        return 0;
    }
    auto it = std::find(m_labels.begin(), m_labels.end(), aChild);
    if (it != m_labels.end()) {
        m_labels.erase(it);
        return 0;
    }
    return TraControlFlow::RemoveChild(aChild);
}

bool TraCaseStatement::ParseLabels(TraProgram& aProgram, TraToken* aFirst) {
    TraToken* previous = aFirst;
    TraToken* t = aFirst;
    const TraTokenTypes valueStarters{TraTokenType::ttNumber, TraTokenType::ttIdentifier};
    // Makes the label value of a token; null after an error.
    const auto labelValue = [&](TraToken* token) -> script::FoundValue {
        if (token->TokenType == TraTokenType::ttNumber)
            return script::FoundValue::Owned(aProgram.CreateLiteralValue(token));
        script::FoundValue found = aProgram.FindIdentifier(token->Text());
        if (!found)
            aProgram.AddSyntaxError(token, {}, script::kUnexpectedToken);
        return found;
    };
    // Owns a label value: a node found by name elsewhere is copied.
    const auto own = [](script::FoundValue value) -> std::unique_ptr<TraValue> {
        if (value.owned)
            return std::move(value.owned);
        TraValue* node = value.node->Evaluate() ? value.node->Evaluate() : value.node;
        std::unique_ptr<TraValue> copy = node->CreateSame();
        copy->CopyFrom(*node);
        copy->SetChildType(0);
        return copy;
    };
    for (;;) {
        script::FoundValue value = labelValue(t);
        if (aProgram.HasErrors() || !value)
            return false;
        TraToken* next = expectToken(aProgram, previous,
                                     {TraTokenType::ttColon, TraTokenType::ttComma, TraTokenType::ttDotDot});
        if (!next)
            return false;
        if (next->TokenType == TraTokenType::ttDotDot) {
            TraToken* high = expectToken(aProgram, previous, valueStarters);
            if (!high)
                return false;
            script::FoundValue highValue = labelValue(high);
            if (aProgram.HasErrors() || !highValue)
                return false;
            auto range = std::make_unique<TraSubrangeValue>(own(std::move(value)), own(std::move(highValue)));
            range->SetChildType(7);
            Add(std::move(range));
            next = expectToken(aProgram, previous, {TraTokenType::ttColon, TraTokenType::ttComma});
            if (!next)
                return false;
        } else {
            std::unique_ptr<TraValue> label = own(std::move(value));
            label->SetChildType(7);
            Add(std::move(label));
        }
        if (next->TokenType == TraTokenType::ttColon)
            return true;
        t = expectToken(aProgram, previous, valueStarters);
        if (!t)
            return false;
    }
}

void TraCaseStatement::compileArms(TraProgram& aProgram) {
    TraToken* previous = aProgram.PreviousToken();
    aProgram.NextToken();
    TraToken* t = expectToken(aProgram, previous,
                              {TraTokenType::ttNumber, TraTokenType::ttIdentifier, TraTokenType::ttElse});
    if (!t)
        return;
    const TraTokenTypes statementStarters{TraTokenType::ttIdentifier, TraTokenType::ttCase,  TraTokenType::ttFor,
                                          TraTokenType::ttIf,         TraTokenType::ttRepeat, TraTokenType::ttWhile,
                                          TraTokenType::ttBegin};
    const bool elseArm = t->TokenType == TraTokenType::ttElse;
    if (elseArm) {
        auto label = std::make_unique<TraVariableValue>(QStringLiteral("else"), std::make_unique<TraBooleanValue>(true));
        label->IsReference = false;
        label->SetChildType(7);
        Add(std::move(label));
    } else if (!ParseLabels(aProgram, t)) {
        return;
    }
    previous = aProgram.PreviousToken();
    aProgram.NextToken();
    TraToken* s = expectToken(aProgram, previous, statementStarters);
    if (!s)
        return;
    parseBranch(aProgram, s, {TraTokenType::ttSemiColon}, statementStarters);
    if (aProgram.HasErrors())
        return;
    previous = aProgram.PreviousToken();
    aProgram.NextToken();
    if (!expectToken(aProgram, previous, {TraTokenType::ttSemiColon}))
        return;
    const TraTokenTypes after = elseArm ? TraTokenTypes{TraTokenType::ttEnd, TraTokenType::ttSemiColon}
                                        : TraTokenTypes{TraTokenType::ttNumber, TraTokenType::ttIdentifier,
                                                        TraTokenType::ttElse, TraTokenType::ttEnd,
                                                        TraTokenType::ttSemiColon};
    TraToken* n = expectToken(aProgram, previous, after);
    if (!n)
        return;
    if (n->TokenType == TraTokenType::ttEnd)
        return;  // the ";" after it ends the statement, left to the caller
    if (n->TokenType == TraTokenType::ttSemiColon) {
        aProgram.PreviousToken();
        return;
    }
    // The next arm lives in a node of its own.
    aProgram.PreviousToken();
    auto next = std::make_unique<TraCaseStatement>();
    next->HasSelector = false;
    next->SetChildType(2);
    TraCaseStatement* raw = Add(std::move(next));
    raw->Compile(aProgram, previous);
}

void TraCaseStatement::Compile(TraProgram& aProgram, TraToken* aToken) {
    SetPosition(aToken);
    if (HasSelector) {
        TraToken* previous = aToken;
        TraToken* t = expectToken(aProgram, previous, {TraTokenType::ttIdentifier});
        if (!t)
            return;
        TraExpression* selector =
            Add(makeCondition(6, {TraTokenType::ttOf}, TraDataType::daUnknown));
        selector->Compile(aProgram, t);
        if (aProgram.HasErrors())
            return;
        previous = aProgram.PreviousToken();
        aProgram.NextToken();
        if (!expectToken(aProgram, previous, {TraTokenType::ttOf}))
            return;
    }
    compileArms(aProgram);
}

TraValue* TraCaseStatement::GetSelectorValue() {
    if (HasSelector)
        return m_selector ? m_selector->Evaluate() : nullptr;
    if (auto* above = dynamic_cast<TraCaseStatement*>(Parent()))
        return above->GetSelectorValue();
    return nullptr;
}

TraValue* TraCaseStatement::Execute() {
    script::ThrowAwayScope scope;
    TraValue* selector = GetSelectorValue();
    if (!selector || m_labels.empty())
        return nullptr;
    bool matched = false;
    for (size_t i = 0; i < m_labels.size() && !matched; ++i) {
        TraValue* label = m_labels[i];
        auto* marker = dynamic_cast<TraVariableValue*>(label);
        if (marker && marker->VarName == QLatin1String("else") && i + 1 == m_labels.size()) {
            matched = true;
            break;
        }
        selector = GetSelectorValue();
        if (!selector)
            continue;
        auto* answer = dynamic_cast<TraBooleanValue*>(label->Compare(selector->Evaluate(), TraTokenType::ttEqual));
        matched = answer && answer->Value();
    }
    if (matched)
        RunBranchStatements(this);
    else if (ElseBranch())
        ElseBranch()->Execute();
    return nullptr;
}

// ---- for -------------------------------------------------------------------------------

void TraForLoop::AddChild(TraRelative* aChild) {
    auto* value = dynamic_cast<TraValue*>(aChild);
    switch (value ? aChild->ChildType() : -1) {
    case 3:
        m_control = value;
        return;
    case 4:
        m_end = value;
        return;
    case 5:
        m_start = value;
        return;
    default:
        TraStatement::AddChild(aChild);
    }
}

int TraForLoop::RemoveChild(TraRelative* aChild) {
    for (TraValue** slot : {&m_control, &m_end, &m_start}) {
        if (aChild && aChild == *slot) {
            *slot = nullptr;
            return 0;
        }
    }
    return TraStatement::RemoveChild(aChild);
}

void TraForLoop::Compile(TraProgram& aProgram, TraToken* aToken) {
    SetPosition(aToken);
    TraToken* previous = aToken;
    TraToken* t = expectToken(aProgram, previous, {TraTokenType::ttIdentifier});
    if (!t)
        return;
    Add(makeCondition(3, {TraTokenType::ttColonEqual}, TraDataType::daInteger))->Compile(aProgram, t);
    if (aProgram.HasErrors())
        return;
    previous = aProgram.PreviousToken();
    aProgram.NextToken();
    if (!expectToken(aProgram, previous, {TraTokenType::ttColonEqual}))
        return;
    t = expectToken(aProgram, previous, {TraTokenType::ttIdentifier, TraTokenType::ttNumber});
    if (!t)
        return;
    Add(makeCondition(5, {TraTokenType::ttTo, TraTokenType::ttDownTo}, TraDataType::daInteger))->Compile(aProgram, t);
    if (aProgram.HasErrors())
        return;
    previous = aProgram.PreviousToken();
    aProgram.NextToken();
    t = expectToken(aProgram, previous, {TraTokenType::ttTo, TraTokenType::ttDownTo});
    if (!t)
        return;
    IsDownTo = t->TokenType == TraTokenType::ttDownTo;
    t = expectToken(aProgram, previous, {TraTokenType::ttIdentifier, TraTokenType::ttNumber});
    if (!t)
        return;
    Add(makeCondition(4, {TraTokenType::ttDo}, TraDataType::daInteger))->Compile(aProgram, t);
    if (aProgram.HasErrors())
        return;
    previous = aProgram.PreviousToken();
    aProgram.NextToken();
    if (!expectToken(aProgram, previous, {TraTokenType::ttDo}))
        return;
    t = expectToken(aProgram, previous, {TraTokenType::ttIdentifier, TraTokenType::ttBegin});
    if (!t)
        return;
    if (t->TokenType == TraTokenType::ttBegin)
        compileCompound(aProgram, this, previous);
    else
        compileSimpleStatement(aProgram, this, t, {TraTokenType::ttSemiColon});
}

TraValue* TraForLoop::Execute() {
    if (!m_control || !m_start || !m_end)
        return nullptr;
    TraValue* control = targetOf(m_control);
    qint64 first = 0, last = 0;
    {
        script::ThrowAwayScope scope;
        TraIntegerValue start, end;
        TraValue* s = m_start->Evaluate();
        TraValue* e = m_end->Evaluate();
        if (!s || !e || !start.AssignValue(s) || !end.AssignValue(e))
            return nullptr;
        first = start.Value();
        last = end.Value();
    }
    const qint64 step = IsDownTo ? -1 : 1;
    qint64 counter = first;
    TraIntegerValue current{qint32(first)};
    control->AssignValue(&current);
    while (IsDownTo ? counter >= last : counter <= last) {
        script::CheckCancel();
        RunBranchStatements(this);
        counter += step;
        if (counter < std::numeric_limits<qint32>::min() || counter > std::numeric_limits<qint32>::max())
            break;  // the value after the range does not fit an Integer: the variable keeps the last one
        current.SetValue(qint32(counter));
        control->AssignValue(&current);
    }
    return nullptr;
}

namespace {

/// Files a loop's condition (ChildType 1) in its role field; false for any other child.
bool fileCondition(TraRelative* aChild, TraValue*& aCondition) {
    if (aChild->ChildType() != 1)
        return false;
    auto* value = dynamic_cast<TraValue*>(aChild);
    if (!value)
        return false;
    aCondition = value;
    return true;
}

/// Clears the role field when the condition leaves; false for any other child.
bool dropCondition(TraRelative* aChild, TraValue*& aCondition) {
    if (!aChild || aChild != aCondition)
        return false;
    aCondition = nullptr;
    return true;
}

}  // namespace

// ---- while -----------------------------------------------------------------------------

void TraWhileLoop::AddChild(TraRelative* aChild) {
    if (!fileCondition(aChild, m_condition))
        TraStatement::AddChild(aChild);
}

int TraWhileLoop::RemoveChild(TraRelative* aChild) {
    return dropCondition(aChild, m_condition) ? 0 : TraStatement::RemoveChild(aChild);
}

void TraWhileLoop::Compile(TraProgram& aProgram, TraToken* aToken) {
    SetPosition(aToken);
    TraToken* previous = aToken;
    TraToken* t = expectToken(aProgram, previous, kConditionStarters);
    if (!t)
        return;
    Add(makeCondition(1, {TraTokenType::ttDo}))->Compile(aProgram, t);
    if (aProgram.HasErrors())
        return;
    previous = aProgram.PreviousToken();
    aProgram.NextToken();
    if (!expectToken(aProgram, previous, {TraTokenType::ttDo}))
        return;
    t = expectToken(aProgram, previous, {TraTokenType::ttIdentifier, TraTokenType::ttBegin});
    if (!t)
        return;
    if (t->TokenType == TraTokenType::ttBegin)
        compileCompound(aProgram, this, previous);
    else
        compileSimpleStatement(aProgram, this, t, {TraTokenType::ttSemiColon});
}

TraValue* TraWhileLoop::Execute() {
    for (;;) {
        script::CheckCancel();
        {
            script::ThrowAwayScope scope;
            if (!IsTrueCondition(m_condition))
                break;
        }
        RunBranchStatements(this);
    }
    return nullptr;
}

// ---- repeat ----------------------------------------------------------------------------

void TraRepeatLoop::AddChild(TraRelative* aChild) {
    if (!fileCondition(aChild, m_condition))
        TraStatement::AddChild(aChild);
}

int TraRepeatLoop::RemoveChild(TraRelative* aChild) {
    return dropCondition(aChild, m_condition) ? 0 : TraStatement::RemoveChild(aChild);
}

void TraRepeatLoop::Compile(TraProgram& aProgram, TraToken* aToken) {
    SetPosition(aToken);
    TraToken* previous = aToken;
    if (!expectToken(aProgram, previous, {TraTokenType::ttIdentifier}))
        return;
    aProgram.PreviousToken();
    aProgram.ParseStatementList(this, {TraTokenType::ttUntil});
    if (aProgram.HasErrors())
        return;
    previous = aProgram.PreviousToken();
    aProgram.NextToken();
    TraToken* t = expectToken(aProgram, previous, {TraTokenType::ttUntil});
    if (!t)
        return;
    t = expectToken(aProgram, previous, kConditionStarters);
    if (!t)
        return;
    Add(makeCondition(1, {TraTokenType::ttSemiColon, TraTokenType::ttElse}))->Compile(aProgram, t);
}

TraValue* TraRepeatLoop::Execute() {
    for (;;) {
        script::CheckCancel();
        RunBranchStatements(this);
        script::ThrowAwayScope scope;
        if (IsTrueCondition(m_condition))
            break;
    }
    return nullptr;
}
