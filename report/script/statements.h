#pragma once

// The structured statements: if, case, for, while and repeat. A compound statement
// (begin ... end) exists only as the branch or body of one of them.
//
// An else branch is a TraIfStatement without a condition whose statements are the else
// statements (or the else-if). A case statement is a chain of TraCaseStatement nodes: the
// first holds the selector and the first arm; each node's ElseBranch holds the next arm;
// the else arm's only label is a variable named "else" holding True.

#include "report/script/node.h"

#include <vector>

/// Runs a branch's statements in order; each one's temporaries are freed when it ends.
void RunBranchStatements(TraStatement* aParent);
/// Runs a condition: true only for a Boolean true or a variant holding True.
bool IsTrueCondition(TraValue* aCondition);

class TraControlFlow : public TraStatement {
public:
    TraStatement* ElseBranch() const { return m_elseBranch; }

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;
    /// Reads one branch: a simple statement (ending in front of aEnd), a structured
    /// statement, or begin ... end.
    void parseBranch(TraProgram& aProgram, TraToken* aFirst, TraTokenTypes aEnd, TraTokenTypes aStarters);

private:
    TraStatement* m_elseBranch = nullptr;
};

class TraIfStatement : public TraControlFlow {
public:
    TraValue* Condition() const { return m_condition; }
    void Compile(TraProgram& aProgram, TraToken* aToken) override;
    TraValue* Execute() override;

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;

private:
    void compileCondition(TraProgram& aProgram, TraToken* aFirst);
    TraValue* m_condition = nullptr;
};

class TraCaseStatement : public TraControlFlow {
public:
    bool HasSelector = true;
    TraValue* Selector() const { return m_selector; }
    const std::vector<TraValue*>& Labels() const { return m_labels; }
    void Compile(TraProgram& aProgram, TraToken* aToken) override;
    TraValue* Execute() override;
    /// The selector's value, run anew: the first node runs its selector, further arms ask
    /// the node above them.
    TraValue* GetSelectorValue();
    /// The labels of an arm from its first token up to and including the ":": numbers and
    /// names of constants, enumerated values or variables, and ranges "low..high".
    bool ParseLabels(TraProgram& aProgram, TraToken* aFirst);

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;

private:
    void compileArms(TraProgram& aProgram);
    TraValue* m_selector = nullptr;
    std::vector<TraValue*> m_labels;
};

class TraForLoop : public TraStatement {
public:
    bool IsDownTo = false;
    TraValue* ControlVariable() const { return m_control; }
    TraValue* StartValue() const { return m_start; }
    TraValue* EndValue() const { return m_end; }
    void Compile(TraProgram& aProgram, TraToken* aToken) override;
    TraValue* Execute() override;

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;

private:
    TraValue* m_control = nullptr;
    TraValue* m_end = nullptr;
    TraValue* m_start = nullptr;
};

class TraWhileLoop : public TraStatement {
public:
    TraValue* Condition() const { return m_condition; }
    void Compile(TraProgram& aProgram, TraToken* aToken) override;
    TraValue* Execute() override;

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;

private:
    TraValue* m_condition = nullptr;
};

class TraRepeatLoop : public TraStatement {
public:
    TraValue* Condition() const { return m_condition; }
    void Compile(TraProgram& aProgram, TraToken* aToken) override;
    TraValue* Execute() override;

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;

private:
    TraValue* m_condition = nullptr;
};
