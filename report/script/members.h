#pragma once

// Member access: the nodes that reach an object's members through the adapter registry
// (report/model/script_adapter.h), casts of objects and simple types, and the guarded
// object handles.
//
// A member node (`TraPropertyValue`) holds its owner node (the object source: a named
// object, a variable, a cast, a call or another member), the member's record as the adapter
// gave it when the script compiled, its formal parameters and argument expressions (methods
// and array properties), and its inner value node (the result value). Each run reads the
// owner again, so a member of a freed object, a failed cast or nil reads nothing, and a
// write to it does nothing.
//
// Objects are guarded: every object reference a script holds is a QPointer, so a freed
// object reads as nil. Integer(Obj) gives a handle number that converts back only to that
// same live object (any other number gives nil). A Variant holds the object itself.
// Free releases only objects the script made (constructors); those it leaves are freed
// when the job ends (script::FreeMadeObjects). Freeing any other object is a run failure.

#include "report/script/calls.h"

#include <QPointer>

class TraExpression;

namespace script {

/// A QObject held in a Variant: the reference is guarded.
struct ObjectRef {
    QPointer<QObject> object;
};

/// The handle number of an object (0 for nil); the same object keeps its number.
qint32 ObjectHandle(QObject* aObject);
/// The live object of a handle number; null for 0, unknown numbers and freed objects.
QObject* ObjectOfHandle(qint64 aHandle);

/// Objects made by script constructors: kept until freed by the script or the job's end.
void AdoptMadeObject(QObject* aObject);
bool IsMadeObject(const QObject* aObject);
/// Frees the objects a script made and did not free (the job's end).
void FreeMadeObjects();
/// Frees an object on a script's behalf; a run failure for an object the script did not make.
void FreeObject(QObject* aObject);

/// The object a value node stands for: an object or class node's object, an Integer's
/// handle, a Variant holding an object; null otherwise.
QObject* ObjectOfNode(TraValue* aNode);
/// The class a node is known to hold when the script compiles (a class node's class, a
/// cast's class, a member's class); null when unknown.
TClass StaticClassOf(TraValue* aNode);

/// Compiles what may follow an operand: a cast "C(X)" after a class name, "as C", a member
/// ".Name" with its argument list, and an indexed member "[...]", repeatedly. Answers the
/// operand, wrapped in the nodes built; errors go to the program.
FoundValue CompileMemberChain(TraProgram& aProgram, FoundValue aOperand, TraToken*& aLast);

}  // namespace script

Q_DECLARE_METATYPE(script::ObjectRef)

/// The buffer kind of a value node: by its class, daUnknown for kinds without a buffer
/// (Currency, object nodes).
TraDataType raNodeDataType(TraValue* aNode);

/// The one stateless class manager: member records and the reads and writes of members by
/// name, through the adapter registry.
class TraClassManager {
public:
    /// The published property of that name; else (also for a member the published
    /// information cannot carry) the registered adapter's record.
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const;
    void GetPropList(TClass aClass, TraPropList& aList) const;
    void GetEventList(TClass aClass, TraPropList& aList) const;
    bool IsEvent(TClass aClass, const QString& aName) const;
    /// An empty value node of the record's kind (a class node for objects).
    std::unique_ptr<TraValue> CreateValueNode(const TraPropRec& aPropRec) const;
    /// Reads a property of the object into the node; false when no adapter, no buffer
    /// kind or the adapter did not read.
    bool ReadMember(QObject* aObject, const QString& aName, TraValue* aNode) const;
    /// Writes the node's value into a property of the object; false when not written.
    bool WriteMember(QObject* aObject, const QString& aName, TraValue* aSource) const;
};

const TraClassManager& raGetClassManager();

/// A cast of an object to a class (C(X), X as C) or of a value to a simple type
/// (Integer(X)). A class cast never fails: an object of another class gives no object.
class TraCastValue : public TraClassValue {
public:
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraCastValue>(); }
    QString ClassName() const override { return QStringLiteral("TraCastValue"); }
    void SetOperand(std::unique_ptr<TraValue> aOperand);
    TraValue* Operand() const { return m_operand; }
    TraValue* Evaluate() override;
    TraValue* Execute() override { return Evaluate(); }
    TraDataType DataType() const override;
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    bool NeedsEvaluation() const override { return true; }

protected:
    int RemoveChild(TraRelative* aChild) override;

private:
    TraValue* m_operand = nullptr;
};

/// One member of the object its owner node gives: a property, an array property, a method
/// or a constructor.
class TraPropertyValue : public TraProgramCallValue {
public:
    QString PropertyName;
    TClass ClassType = nullptr;  ///< the constructor's class, or the class of an object member
    TraDataType MemberType = TraDataType::daUnknown;
    bool IsMethod = false;
    bool IsArray = false;
    bool IsConstructor = false;

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraPropertyValue>(); }
    QString ClassName() const override { return QStringLiteral("TraPropertyValue"); }
    QString GetText() const override { return PropertyName; }
    void SetOwnerNode(std::unique_ptr<TraValue> aOwner);
    TraValue* OwnerNode() const { return m_owner; }
    /// Fills the node from the adapter's record of aName in aClass; false when unknown.
    bool SetUp(TClass aClass, const QString& aName);
    /// Compiles the argument list: "(...)" for a method with parameters, "[...]" for an
    /// array property.
    void Compile(TraProgram& aProgram, TraToken* aToken) override;
    TraValue* Evaluate() override;
    bool AssignValue(TraValue* aSource) override;
    QObject* GetObject() const override;
    TraDataType DataType() const override;
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;

protected:
    int RemoveChild(TraRelative* aChild) override;

private:
    QObject* ownerObject();
    bool call(QObject* aObject, bool aGet);

    TraValue* m_owner = nullptr;
    QString m_resultName;  ///< parameter names of the adapter's list, in order
    QStringList m_paramNames;
};
