#pragma once

// The bases of the compiled script tree. A program is compiled into a tree of nodes and run
// by walking it. Every node is a TraCommunicator (two-way notification links), a
// TraRelative (parent, owned children, the role each child plays: ChildType), a
// TraCompilable (builds itself from the program's tokens), a TraStatement (runs) and, for
// everything that holds or computes a value, a TraValue.
//
// Ownership: a node owns its children (Add takes a child, Take hands it back); subclasses
// file some children in role fields (a condition, the operands), which point into the
// owned children. Temporaries made while a script runs are owned by the throw-away bin.

#include "report/model/script_adapter.h"
#include "report/script/tokens.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TraProgram;
class TraToken;
class TraValue;

/// Notification operations.
namespace script {
inline constexpr int kOpFreeing = 0;         ///< the sender is being freed
inline constexpr int kOpHandlerRenamed = 3;  ///< an event handler's name changed
inline constexpr int kOpSourceChanged = 6;   ///< a program's source changed
inline constexpr int kOpValueAssigned = 7;   ///< a value node was assigned
}  // namespace script

/// A node with two-way notification links to partner nodes. Freeing it tells every partner
/// (operation 0), which drop it from their lists.
class TraCommunicator {
public:
    TraCommunicator() = default;
    TraCommunicator(const TraCommunicator&) = delete;
    TraCommunicator& operator=(const TraCommunicator&) = delete;
    virtual ~TraCommunicator();

    /// Links both ways; answers the partner's index in the list.
    int AddNotify(TraCommunicator* aPartner);
    /// Unlinks both ways; the list is freed when it becomes empty.
    void RemoveNotify(TraCommunicator* aPartner);
    /// Notifies every partner, from the last to the first.
    void SendNotify(TraCommunicator* aSender, int aOperation);
    /// Runs OnNotify; operation 0 then drops the sender from the list.
    virtual void Notify(TraCommunicator* aSender, int aOperation);
    int NotifyCount() const { return m_notifyList ? int(m_notifyList->size()) : 0; }
    /// The partners, or null while there are none.
    const std::vector<TraCommunicator*>* NotifyList() const { return m_notifyList.get(); }
    bool HasNotifyList() const { return m_notifyList != nullptr; }

    std::function<void(TraCommunicator* self, TraCommunicator* sender, int operation)> OnNotify;

private:
    void dropPartner(TraCommunicator* aPartner);
    std::unique_ptr<std::vector<TraCommunicator*>> m_notifyList;  ///< null while empty
};

/// A node of the tree: parent, owned children, and the role it plays in its parent.
class TraRelative : public TraCommunicator {
public:
    ~TraRelative() override;

    int ChildType() const { return m_childType; }
    /// Changes the role; a node with a parent is filed anew (a plain child moves to the end
    /// of the plain child list).
    void SetChildType(int aChildType);
    TraRelative* Parent() const { return m_parent; }

    /// The plain children (subclasses may add their role children to this view).
    virtual int ChildCount() const { return int(m_children.size()); }
    virtual TraRelative* Children(int aIndex) const { return m_children[size_t(aIndex)]; }
    int IndexOfChild(const TraRelative* aChild) const;

    /// Takes ownership of a child and files it by its ChildType. Answers the child.
    template <class T>
    T* Add(std::unique_ptr<T> aChild) {
        T* raw = aChild.get();
        adopt(std::unique_ptr<TraRelative>(aChild.release()));
        return raw;
    }
    /// Unfiles a child and hands it back; null when it is not a child of this node.
    std::unique_ptr<TraRelative> Take(TraRelative* aChild);
    /// Frees the children, the last first.
    void FreeChildren();
    bool FreeingChildren() const { return m_freeingChildren; }

protected:
    /// Files a new child by its role; the base appends it to the plain list.
    virtual void AddChild(TraRelative* aChild);
    /// Unfiles a child; answers its former index in the plain list, or 0 for a role child,
    /// -1 when unknown.
    virtual int RemoveChild(TraRelative* aChild);
    /// Inserts a plain child at an index of the plain list.
    void InsertPlain(int aIndex, TraRelative* aChild);

private:
    void adopt(std::unique_ptr<TraRelative> aChild);

    std::vector<std::unique_ptr<TraRelative>> m_owned;  ///< every child, in adoption order
    std::vector<TraRelative*> m_children;               ///< the plain children, in order
    TraRelative* m_parent = nullptr;
    int m_childType = 0;
    bool m_freeingChildren = false;
};

/// A node that builds itself from the program's tokens.
class TraCompilable : public TraRelative {
public:
    TraTokenTypes EndTokens;    ///< kinds in front of which the node stops, leaving them to its caller
    TraTokenTypes StartTokens;  ///< kinds that may follow a name in member access and calls

    /// Compiles from the program's token cursor; aToken is the token in front of the node
    /// or its first token. Errors are added to the program as syntax errors.
    virtual void Compile(TraProgram& aProgram, TraToken* aToken) = 0;
};

/// The program a node belongs to, or null.
TraProgram* FindEnclosingProgram(const TraRelative* aNode);

/// A node that runs. Its position (of the token that starts it) names the place of a run
/// failure.
class TraStatement : public TraCompilable {
public:
    TraValue* ResultValue() const { return m_resultValue; }
    /// Frees the old result value and adopts the new one (ChildType 10, a reference).
    void SetResultValue(std::unique_ptr<TraValue> aValue);
    void FreeResultValue();

    /// Runs the node; answers the value it gives, or null.
    virtual TraValue* Execute() = 0;

    int LineNo = 0;   ///< line of the node's first token, from 1; 0 when unknown
    int CharPos = 0;  ///< character position of that token in its line, from 0
    void SetPosition(const TraToken* aToken);

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;

private:
    TraValue* m_resultValue = nullptr;
};

/// A node that holds or computes a value.
class TraValue : public TraStatement {
public:
    bool HasPropertyValue = false;
    bool IsPublished = true;
    bool IsReadOnly = false;
    bool IsReference = false;  ///< an operand that is only pointed to (a variable, a constant)

    bool ThrowAway() const { return m_throwAway; }

    void Compile(TraProgram& aProgram, TraToken* aToken) override;
    TraValue* Execute() override;

    /// A new empty node of the same class (the virtual constructor).
    virtual std::unique_ptr<TraValue> CreateSame() const = 0;
    virtual QString GetText() const;
    virtual void CopyFrom(const TraValue& aSource);
    /// Applies an arithmetic or logical operator with this node as the left operand; a new
    /// throw-away node, or null when the right operand does not fit.
    virtual TraValue* Operate(TraValue* aOther, TraTokenType aOperator);
    /// Applies a relational operator; a new throw-away Boolean node, or null.
    virtual TraValue* Compare(TraValue* aOther, TraTokenType aOperator);
    virtual TraDataType DataType() const { return TraDataType::daUnknown; }
    /// The node's storage, or null.
    virtual void* ValueAddress() { return nullptr; }
    /// The node that holds the current value.
    virtual TraValue* Evaluate() { return this; }
    virtual bool IsConstant() const { return true; }
    virtual bool NeedsEvaluation() const { return false; }
    /// Takes the source's value converted to this node's kind; false when the kind was not
    /// taken. Partners are told (operation 7) in any case.
    virtual bool AssignValue(TraValue* aSource);
    /// Converts the source's value into this node's kind and stores it, telling nobody;
    /// false (the value unchanged) when the kind is not accepted. Throws EScriptRunError when
    /// an accepted value cannot be converted (a number outside the Integer range).
    virtual bool ConvertFrom(TraValue* aSource);
    /// The class name ("TraIntegerValue").
    virtual QString ClassName() const = 0;

private:
    friend class TraThrowAwayBin;
    bool m_throwAway = false;
};

/// A named variable, parameter or constant: wraps the value node that holds its content.
class TraVariableValue : public TraValue {
public:
    TraVariableValue() { IsReference = true; }
    /// A variable named aName holding aValue (may be null).
    TraVariableValue(const QString& aName, std::unique_ptr<TraValue> aValue);

    QString VarName;
    TraValue* Value() const { return m_value; }
    void SetValue(std::unique_ptr<TraValue> aValue);

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraVariableValue>(); }
    QString ClassName() const override { return QStringLiteral("TraVariableValue"); }
    QString GetText() const override;
    void CopyFrom(const TraValue& aSource) override;
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    TraDataType DataType() const override;
    void* ValueAddress() override;
    TraValue* Evaluate() override { return m_value; }
    bool IsConstant() const override { return false; }
    bool NeedsEvaluation() const override;
    bool AssignValue(TraValue* aSource) override;
    void Notify(TraCommunicator* aSender, int aOperation) override;

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;

private:
    TraValue* m_value = nullptr;
};

/// The bin of temporaries: values made while a statement runs (operator results). It owns
/// them; a running statement marks the bin's size when it starts and frees what was added
/// since when it ends, so a temporary lives until its statement has finished, also while a
/// script function called inside that statement runs statements of its own.
class TraThrowAwayBin {
public:
    ~TraThrowAwayBin();
    /// Takes a value (its ThrowAway flag set); answers it.
    TraValue* Add(std::unique_ptr<TraValue> aValue);
    /// Hands a value back to a new owner (its ThrowAway flag cleared); null when absent.
    std::unique_ptr<TraValue> Remove(TraValue* aValue);
    bool Contains(const TraValue* aValue) const;
    int Count() const { return int(m_values.size()); }
    /// The current size, to free back to after a statement.
    int Mark() const { return Count(); }
    /// Frees the values added after the mark, the newest first.
    void EmptyTo(int aMark);
    void Empty() { EmptyTo(0); }

private:
    std::vector<std::unique_ptr<TraValue>> m_values;
};

/// The one shared bin.
TraThrowAwayBin& GetThrowAwayBin();

namespace script {

/// Frees the temporaries a statement made when it ends (also when it fails).
class ThrowAwayScope {
public:
    ThrowAwayScope() : m_mark(GetThrowAwayBin().Mark()) {}
    ~ThrowAwayScope() { GetThrowAwayBin().EmptyTo(m_mark); }
    ThrowAwayScope(const ThrowAwayScope&) = delete;
    ThrowAwayScope& operator=(const ThrowAwayScope&) = delete;

private:
    int m_mark;
};

/// What a name lookup found: a node owned elsewhere (a variable, a declared constant) or a
/// new node the finder hands over (a system constant, an enumerated value, a class value).
struct FoundValue {
    TraValue* node = nullptr;
    std::unique_ptr<TraValue> owned;
    explicit operator bool() const { return node != nullptr; }
    static FoundValue Reference(TraValue* aNode) { return FoundValue{aNode, nullptr}; }
    static FoundValue Owned(std::unique_ptr<TraValue> aNode) {
        TraValue* raw = aNode.get();
        return FoundValue{raw, std::move(aNode)};
    }
};

/// Puts a new value into the bin and answers it.
template <class T, class... Args>
T* MakeTemp(Args&&... args) {
    auto value = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = value.get();
    GetThrowAwayBin().Add(std::move(value));
    return raw;
}

}  // namespace script

/// A new empty value of a data type (integer 0, "", a space, now, today, false, a variant
/// holding 0, a class value of no class, an enumerated value of ordinal 0); false and null
/// for daUnknown and daMethod.
bool CreateValueOfType(TraDataType aDataType, std::unique_ptr<TraValue>& aValue);
