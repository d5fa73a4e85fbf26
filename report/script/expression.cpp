#include "report/script/expression.h"
#include "report/script/members.h"

#include "report/model/report_utils.h"
#include "report/script/calls.h"
#include "report/script/errors.h"
#include "report/script/program.h"
#include "report/script/values.h"

#include <vector>

namespace {

bool inSet(TraDataType t, std::initializer_list<TraDataType> set) {
    for (TraDataType s : set)
        if (s == t)
            return true;
    return false;
}

bool isRelational(TraTokenType op) {
    switch (op) {
    case TraTokenType::ttEqual:
    case TraTokenType::ttNe:
    case TraTokenType::ttLt:
    case TraTokenType::ttGt:
    case TraTokenType::ttLe:
    case TraTokenType::ttGe:
    case TraTokenType::ttIs:
        return true;
    default:
        return false;
    }
}

/// 3 unary, 2 multiplicative, 1 additive and relational, 0 not an operator.
int precedence(TraTokenType op) {
    switch (op) {
    case TraTokenType::ttUnaryPlus:
    case TraTokenType::ttUnaryMinus:
    case TraTokenType::ttNot:
        return 3;
    case TraTokenType::ttStar:
    case TraTokenType::ttSlash:
    case TraTokenType::ttDiv:
    case TraTokenType::ttMod:
    case TraTokenType::ttAnd:
        return 2;
    case TraTokenType::ttPlus:
    case TraTokenType::ttMinus:
    case TraTokenType::ttOr:
    case TraTokenType::ttEqual:
    case TraTokenType::ttNe:
    case TraTokenType::ttLt:
    case TraTokenType::ttGt:
    case TraTokenType::ttLe:
    case TraTokenType::ttGe:
    case TraTokenType::ttIs:
        return 1;
    default:
        return 0;
    }
}

const TraTokenTypes kOperandStarters{TraTokenType::ttIdentifier, TraTokenType::ttNumber, TraTokenType::ttString,
                                     TraTokenType::ttType,       TraTokenType::ttLParen, TraTokenType::ttMinus,
                                     TraTokenType::ttPlus,       TraTokenType::ttNot};
const TraTokenTypes kStatementStarters{TraTokenType::ttIdentifier, TraTokenType::ttType};
const TraTokenTypes kBinaryOperators{TraTokenType::ttStar,  TraTokenType::ttMinus, TraTokenType::ttPlus,
                                     TraTokenType::ttEqual, TraTokenType::ttLt,    TraTokenType::ttGt,
                                     TraTokenType::ttSlash, TraTokenType::ttLe,    TraTokenType::ttGe,
                                     TraTokenType::ttNe,    TraTokenType::ttAnd,   TraTokenType::ttDiv,
                                     TraTokenType::ttIs,    TraTokenType::ttMod,   TraTokenType::ttOr};

/// An operand on the builder's stack.
struct Operand {
    script::FoundValue value;
    bool isNode = false;  ///< an expression node the builder made
    int depth = 0;        ///< operator nodes above the deepest leaf
};

/// An operator (or an open parenthesis) on the builder's stack.
struct PendingOperator {
    TraTokenType kind = TraTokenType::ttUnknown;  ///< ttLParen marks a group
    TraToken* token = nullptr;
};

}  // namespace

bool TypesCompatible(TraDataType aType1, TraDataType aType2) {
    using D = TraDataType;
    if (aType1 == D::daUnknown || aType2 == D::daUnknown || aType1 == aType2)
        return true;
    const auto both = [&](std::initializer_list<D> set) { return inSet(aType1, set) && inSet(aType2, set); };
    if (both({D::daObject, D::daClass}) || both({D::daInteger, D::daObject, D::daClass}) ||
        both({D::daInteger, D::daEnum}) ||
        both({D::daInteger, D::daSingle, D::daDouble, D::daExtended, D::daCurrency, D::daDateTime, D::daDate,
              D::daTime}) ||
        both({D::daChar, D::daString}))
        return true;
    if (aType1 == D::daVariant && aType2 != D::daMethod)
        return true;
    if (aType2 == D::daVariant && aType1 != D::daMethod)
        return true;
    return false;
}

script::FoundValue ObjectValueOfVariable(script::FoundValue aNode) {
    auto* variable = dynamic_cast<TraVariableValue*>(aNode.node);
    if (!variable || !variable->Value())
        return aNode;
    auto* resolver = dynamic_cast<TraObjectResolver*>(variable->Value());
    if (!resolver)
        return aNode;
    std::unique_ptr<TraValue> copy = resolver->CreateSame();
    copy->CopyFrom(*resolver);
    copy->SetChildType(0);
    copy->IsReference = false;
    copy->AddNotify(variable);
    return script::FoundValue::Owned(std::move(copy));
}

TraExpression::~TraExpression() {
    // Unlink from referenced operands (owned ones are freed with the children).
    clearOperand(11);
    clearOperand(12);
}

bool TraExpression::IsUnaryOperator() const {
    return Operator == TraTokenType::ttUnaryPlus || Operator == TraTokenType::ttUnaryMinus ||
           Operator == TraTokenType::ttNot;
}

void TraExpression::clearOperand(int aRole) {
    TraValue*& slot = aRole == 11 ? m_value1 : m_value2;
    TraValue* old = slot;
    if (!old)
        return;
    if (old->Parent() == this) {
        Take(old).reset();
    } else {
        slot = nullptr;
        RemoveNotify(old);
    }
    slot = nullptr;
}

void TraExpression::setOperand(int aRole, script::FoundValue aValue) {
    clearOperand(aRole);
    if (!aValue.node)
        return;
    if (aValue.owned) {
        aValue.owned->SetChildType(aRole);
        Add(std::move(aValue.owned));
    } else {
        (aRole == 11 ? m_value1 : m_value2) = aValue.node;
        AddNotify(aValue.node);
    }
}

void TraExpression::SetValue1(script::FoundValue aValue) {
    setOperand(11, std::move(aValue));
}

void TraExpression::SetValue2(script::FoundValue aValue) {
    if (IsUnaryOperator())
        return;
    setOperand(12, std::move(aValue));
}

void TraExpression::AddChild(TraRelative* aChild) {
    auto* value = dynamic_cast<TraValue*>(aChild);
    if (value && aChild->ChildType() == 11) {
        m_value1 = value;
        return;
    }
    if (value && aChild->ChildType() == 12) {
        m_value2 = value;
        return;
    }
    TraValue::AddChild(aChild);
}

int TraExpression::RemoveChild(TraRelative* aChild) {
    if (aChild && aChild == m_value1) {
        m_value1 = nullptr;
        return 0;
    }
    if (aChild && aChild == m_value2) {
        m_value2 = nullptr;
        return 0;
    }
    return TraValue::RemoveChild(aChild);
}

void TraExpression::Notify(TraCommunicator* aSender, int aOperation) {
    TraValue::Notify(aSender, aOperation);
    if (aOperation == script::kOpFreeing) {
        if (aSender == m_value1)
            m_value1 = nullptr;
        if (aSender == m_value2)
            m_value2 = nullptr;
    }
}

int TraExpression::ChildCount() const {
    return TraValue::ChildCount() + (m_value1 ? 1 : 0) + (m_value2 ? 1 : 0);
}

TraRelative* TraExpression::Children(int aIndex) const {
    const int plain = TraValue::ChildCount();
    if (aIndex < plain)
        return TraValue::Children(aIndex);
    if (aIndex == plain && m_value1)
        return m_value1;
    return m_value2;
}

QString TraExpression::GetText() const {
    return (AllowAssignment ? QStringLiteral("Assignment: ") : QString()) +
           ppGetEnumName(EnumTypeOf(ReturnDataType), int(ReturnDataType));
}

TraDataType TraExpression::DataType() const {
    if (m_builtType)
        return *m_builtType;
    if (isRelational(Operator) || Operator == TraTokenType::ttAnd || Operator == TraTokenType::ttOr ||
        Operator == TraTokenType::ttNot)
        return TraDataType::daBoolean;
    if (m_value1)
        return m_value1->DataType();
    if (m_value2)
        return m_value2->DataType();
    return TraDataType::daUnknown;
}

void TraExpression::Compile(TraProgram& aProgram, TraToken* aToken) {
    SetPosition(aToken);
    aProgram.PreviousToken();
    enum class Expect { Statement, Operand, Operator, AfterTarget, AfterCall };
    Expect expect = AllowAssignment ? Expect::Statement : Expect::Operand;
    int parenDepth = 0;
    std::vector<Operand> operands;
    std::vector<PendingOperator> operators;
    TraToken* previous = aToken;
    TraToken* last = aToken;

    // Builds the node of the operator on top of the stack from its operands.
    const auto reduce = [&]() -> bool {
        PendingOperator op = operators.back();
        operators.pop_back();
        auto node = std::make_unique<TraExpression>();
        node->AllowAssignment = false;
        node->Operator = op.kind;
        node->SetPosition(op.token);
        int depth = 0;
        if (precedence(op.kind) == 3) {
            if (operands.empty())
                return false;
            depth = operands.back().depth + 1;
            node->SetValue1(std::move(operands.back().value));
            operands.pop_back();
        } else {
            if (operands.size() < 2)
                return false;
            Operand right = std::move(operands.back());
            operands.pop_back();
            Operand left = std::move(operands.back());
            operands.pop_back();
            depth = std::max(left.depth, right.depth) + 1;
            const TraDataType leftType = left.value.node->DataType();
            const TraDataType rightType = right.value.node->DataType();
            node->SetValue1(std::move(left.value));
            node->SetValue2(std::move(right.value));
            if (!TypesCompatible(leftType, rightType)) {
                aProgram.AddSyntaxError(aToken, {}, script::kIncompatibleTypes);
                return false;
            }
        }
        if (depth > script::kMaxNesting) {
            aProgram.AddSyntaxError(op.token, {}, script::kNestedTooDeeply);
            return false;
        }
        node->ReturnDataType = node->DataType();
        node->m_builtType = node->ReturnDataType;
        operands.push_back(Operand{script::FoundValue::Owned(std::move(node)), true, depth});
        return true;
    };
    // A lone operand is held in a node of its own.
    const auto wrap = [&](Operand& operand) {
        if (operand.isNode)
            return;
        auto node = std::make_unique<TraExpression>();
        node->AllowAssignment = false;
        node->SetPosition(last);
        node->SetValue1(std::move(operand.value));
        node->ReturnDataType = node->DataType();
        node->m_builtType = node->ReturnDataType;
        operand = Operand{script::FoundValue::Owned(std::move(node)), true, operand.depth + 1};
    };
    const auto pushOperand = [&](script::FoundValue value) {
        operands.push_back(Operand{std::move(value), false});
        expect = Expect::Operator;
    };

    // Whether a member access, "as" or (after a class name) a cast follows.
    const auto startsMember = [&](bool aClassName) {
        TraToken* t = aProgram.NextToken();
        aProgram.PreviousToken();
        if (!t)
            return false;
        return t->TokenType == TraTokenType::ttPeriod || t->TokenType == TraTokenType::ttLBracket ||
               t->TokenType == TraTokenType::ttAs || (aClassName && t->TokenType == TraTokenType::ttLParen);
    };
    // An operand found by name, with what follows it.
    const auto memberChain = [&](script::FoundValue aFound) -> script::FoundValue {
        auto* cls = dynamic_cast<TraClassValue*>(aFound.node);
        const bool className = cls && aFound.owned && cls->ObjectName().isEmpty();
        if (!startsMember(className))
            return aFound;  // a variable holding an object is read when the statement runs
        return script::CompileMemberChain(aProgram, std::move(aFound), last);
    };

    bool finished = false;
    while (!finished && !aProgram.HasErrors()) {
        TraToken* token = aProgram.NextToken();
        TraTokenTypes expected;
        switch (expect) {
        case Expect::Statement:
            expected = kStatementStarters;
            break;
        case Expect::Operand:
            expected = kOperandStarters;
            break;
        case Expect::Operator:
            expected = kBinaryOperators;
            if (parenDepth > 0)
                expected += TraTokenType::ttRParen;
            break;
        case Expect::AfterTarget:
            expected = TraTokenTypes{TraTokenType::ttColonEqual};
            break;
        case Expect::AfterCall:
            break;
        }
        if (token && token->TokenType == TraTokenType::ttRParen && expect == Expect::Operator && parenDepth == 0 &&
            !EndTokens.Contains(TraTokenType::ttRParen)) {
            // A ")" that closes no group.
            aProgram.AddSyntaxError(token, {}, script::kMissingRightParen);
            break;
        }
        if (aProgram.CheckToken(token, previous, script::kExpectedToken, expected + EndTokens) || !token)
            break;
        previous = token;
        const TraTokenType kind = token->TokenType;
        const bool operandWanted = expect == Expect::Operand || expect == Expect::Statement;

        if (operandWanted && !expected.Contains(kind) && EndTokens.Contains(kind)) {
            // An end token where an operand must come: the expression is incomplete.
            if (expect == Expect::Operand && (Operator == TraTokenType::ttColonEqual || !operators.empty()))
                aProgram.AddSyntaxError(token, kOperandStarters, script::kExpectedToken);
            aProgram.PreviousToken();
            break;
        }
        if (kind == TraTokenType::ttColonEqual) {
            if (EndTokens.Contains(kind) || expect != Expect::AfterTarget) {
                aProgram.PreviousToken();
                break;
            }
            Operator = TraTokenType::ttColonEqual;
            expect = Expect::Operand;
            continue;
        }
        if (expect == Expect::Operand && (kind == TraTokenType::ttPlus || kind == TraTokenType::ttMinus ||
                                          kind == TraTokenType::ttNot)) {
            token->SetUnary(true);
            operators.push_back({token->TokenType, token});
            last = token;
            continue;
        }
        if (expect == Expect::Operator && kBinaryOperators.Contains(kind)) {
            const int p = precedence(kind);
            while (!operators.empty() && operators.back().kind != TraTokenType::ttLParen &&
                   precedence(operators.back().kind) >= p) {
                if (!reduce())
                    break;
            }
            if (aProgram.HasErrors())
                break;
            operators.push_back({kind, token});
            last = token;
            expect = Expect::Operand;
            continue;
        }
        if (kind == TraTokenType::ttLParen && expect == Expect::Operand) {
            ++parenDepth;
            operators.push_back({TraTokenType::ttLParen, token});
            last = token;
            continue;
        }
        if (kind == TraTokenType::ttRParen && expect == Expect::Operator) {
            if (parenDepth == 0) {
                if (EndTokens.Contains(kind)) {
                    aProgram.PreviousToken();
                    break;
                }
                aProgram.AddSyntaxError(token, {}, script::kMissingRightParen);
                break;
            }
            while (!operators.empty() && operators.back().kind != TraTokenType::ttLParen)
                if (!reduce())
                    break;
            if (aProgram.HasErrors())
                break;
            operators.pop_back();  // the group's "("
            --parenDepth;
            wrap(operands.back());
            last = token;
            if (startsMember(false)) {
                operands.back().value = script::CompileMemberChain(aProgram, std::move(operands.back().value), last);
                operands.back().isNode = false;
            }
            continue;
        }
        if ((kind == TraTokenType::ttNumber || kind == TraTokenType::ttString) && expect == Expect::Operand) {
            std::unique_ptr<TraValue> literal = aProgram.CreateLiteralValue(token);
            if (!literal) {
                aProgram.AddSyntaxError(aToken, expected, script::kExpectedToken);
                break;
            }
            literal->SetPosition(token);
            last = token;
            pushOperand(script::FoundValue::Owned(std::move(literal)));
            continue;
        }
        if ((kind == TraTokenType::ttIdentifier || kind == TraTokenType::ttType) && expect == Expect::Statement &&
            !m_value1) {
            script::FoundValue target = aProgram.FindVariable(token->Text());
            last = token;
            if (target) {
                target = memberChain(std::move(target));
                if (aProgram.HasErrors())
                    break;
                auto* member = dynamic_cast<TraPropertyValue*>(target.node);
                const bool call = member && member->IsMethod && !member->IsArray;
                ReturnDataType = target.node->DataType();
                SetValue1(std::move(target));
                expect = call ? Expect::AfterCall : Expect::AfterTarget;
                continue;
            }
            if (script::FoundValue call = aProgram.FindProgram(token->Text())) {
                TraValue* node = call.node;
                SetValue1(std::move(call));
                node->Compile(aProgram, token);
                if (aProgram.HasErrors())
                    break;
                expect = Expect::AfterCall;
                continue;
            }
            aProgram.AddSyntaxError(token, {},
                                    kind == TraTokenType::ttType ? script::kNotTypeIdentifier
                                                                 : script::kUndeclaredIdentifier);
            break;
        }
        if ((kind == TraTokenType::ttIdentifier || kind == TraTokenType::ttType) && expect == Expect::Operand) {
            script::FoundValue found = aProgram.FindIdentifier(token->Text());
            if (found && !dynamic_cast<TraProgramCallValue*>(found.node))
                found = memberChain(std::move(found));
            if (aProgram.HasErrors())
                break;
            if (!found) {
                if (kind == TraTokenType::ttType)
                    aProgram.AddSyntaxError(aToken, {}, script::kNotTypeIdentifier);
                else
                    aProgram.AddSyntaxError(token, {}, script::kUndeclaredIdentifier);
                break;
            }
            if (found.owned)
                found.owned->SetPosition(token);
            last = token;
            TraValue* node = found.node;
            pushOperand(std::move(found));
            if (dynamic_cast<TraProgramCallValue*>(node) && !dynamic_cast<TraPropertyValue*>(node)) {
                node->Compile(aProgram, token);  // the argument list
                if (aProgram.HasErrors())
                    break;
                if (startsMember(false))
                    operands.back().value = script::CompileMemberChain(aProgram, std::move(operands.back().value), last);
            }
            continue;
        }
        if (EndTokens.Contains(kind)) {
            aProgram.PreviousToken();
            finished = true;
            continue;
        }
        aProgram.AddSyntaxError(token, {}, script::kUnexpectedToken);
    }
    if (aProgram.HasErrors())
        return;

    // Finish the tree.
    while (!operators.empty()) {
        if (operators.back().kind == TraTokenType::ttLParen) {
            TraToken* at = aProgram.NextToken();
            aProgram.PreviousToken();
            aProgram.AddSyntaxError(at ? at : last, {}, script::kMissingRightParen);
            return;
        }
        if (!reduce()) {
            if (!aProgram.HasErrors())
                aProgram.AddSyntaxError(last, kOperandStarters, script::kExpectedToken);
            return;
        }
    }
    if (operands.empty())
        return;
    Operand root = std::move(operands.back());
    wrap(root);
    if (!TypesCompatible(root.value.node->DataType(), ReturnDataType)) {
        aProgram.AddSyntaxError(aToken, {}, script::kIncompatibleTypes);
        return;
    }
    if (Operator == TraTokenType::ttColonEqual)
        SetValue2(std::move(root.value));
    else
        SetValue1(std::move(root.value));
}

TraValue* TraExpression::Execute() {
    try {
        TraValue* right = m_value2 ? m_value2->Execute() : nullptr;
        if (Operator == TraTokenType::ttColonEqual) {
            if (right && m_value1)
                m_value1->AssignValue(right);
            return nullptr;
        }
        TraValue* left = m_value1 ? m_value1->Execute() : nullptr;
        if (!left)
            return nullptr;
        if (isRelational(Operator))
            return left->Compare(right, Operator);
        if (IsUnaryOperator())
            return left->Operate(nullptr, Operator);
        if (precedence(Operator) > 0)
            return left->Operate(right, Operator);
        return left;
    } catch (EScriptRunError& e) {
        if (!e.HasPosition())
            e.SetPosition(LineNo, CharPos);
        throw;
    }
}
