#pragma once

// Expressions and simple statements. One TraExpression node per operator; the operands
// (literals, names, groups) are its Value1 and Value2. The same class is a whole simple
// statement: an assignment (Operator ttColonEqual, target Value1, expression Value2) or an
// expression standing alone.
//
// Grouping, left-associative at each level:
//   expression = term { (+ - or = <> < > <= >= is) term }
//   term       = factor { (* / div mod and) factor }
//   factor     = [+ - not] primary
//   primary    = literal | name | "(" expression ")"
// Relational operators sit on the level of + and -: a = b + c is (a = b) + c.
//
// Running: the right operand runs first, then the left; there is no short-circuit.

#include "report/script/node.h"

#include <optional>

/// A name that resolved to a variable holding an object or class value: a new value of the
/// same kind referring to the same object or class, linked to the variable so that member
/// access works on it. Anything else is handed back as it is.
script::FoundValue ObjectValueOfVariable(script::FoundValue aNode);

/// Whether two data types may meet in an operator or an assignment.
bool TypesCompatible(TraDataType aType1, TraDataType aType2);

class TraExpression : public TraValue {
public:
    TraExpression() = default;
    ~TraExpression() override;

    bool AllowAssignment = true;  ///< a statement (may be an assignment); false inside expressions
    TraTokenType Operator = TraTokenType::ttUnknown;
    TraDataType ReturnDataType = TraDataType::daUnknown;

    TraValue* Value1() const { return m_value1; }
    TraValue* Value2() const { return m_value2; }
    /// Sets an operand: a found node that is owned elsewhere is only pointed to (and
    /// linked, so that freeing it clears the operand); a new node becomes a child.
    void SetValue1(script::FoundValue aValue);
    void SetValue2(script::FoundValue aValue);
    bool IsUnaryOperator() const;
    /// The right operand; for a unary operator the operand (Value1).
    TraValue* GetValue2() const { return IsUnaryOperator() ? m_value1 : m_value2; }

    void Compile(TraProgram& aProgram, TraToken* aToken) override;
    TraValue* Execute() override;
    TraValue* Evaluate() override { return Execute(); }
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraExpression>(); }
    QString ClassName() const override { return QStringLiteral("TraExpression"); }
    QString GetText() const override;
    TraDataType DataType() const override;
    bool IsConstant() const override { return false; }
    bool NeedsEvaluation() const override { return true; }
    int ChildCount() const override;
    TraRelative* Children(int aIndex) const override;
    void Notify(TraCommunicator* aSender, int aOperation) override;

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;

private:
    void setOperand(int aRole, script::FoundValue aValue);
    /// The kind of a node the compiler built, known once its operands are set (saves
    /// walking a long chain of operators again for every new operator).
    std::optional<TraDataType> m_builtType;
    void clearOperand(int aRole);
    TraValue* m_value1 = nullptr;
    TraValue* m_value2 = nullptr;
};
