#include "report/script/members.h"

#include "report/model/script_adapter.h"
#include "report/script/errors.h"
#include "report/script/expression.h"
#include "report/script/program.h"

#include <QHash>

#include <vector>

namespace script {

namespace {

struct HandleTable {
    QHash<QObject*, qint32> numbers;
    QHash<qint32, QPointer<QObject>> objects;
    qint32 next = 1;
};

HandleTable& handles() {
    static HandleTable table;
    return table;
}

}  // namespace

qint32 ObjectHandle(QObject* aObject) {
    if (!aObject)
        return 0;
    HandleTable& t = handles();
    auto it = t.numbers.find(aObject);
    // An address reused by a new object after the old one was freed gets a new number.
    if (it != t.numbers.end() && t.objects.value(*it).data() == aObject)
        return *it;
    const qint32 number = t.next++;
    t.numbers.insert(aObject, number);
    t.objects.insert(number, QPointer<QObject>(aObject));
    return number;
}

QObject* ObjectOfHandle(qint64 aHandle) {
    if (aHandle <= 0 || aHandle > std::numeric_limits<qint32>::max())
        return nullptr;
    return handles().objects.value(qint32(aHandle)).data();
}

void AdoptMadeObject(QObject* aObject) { raAdoptMadeObject(aObject); }

bool IsMadeObject(const QObject* aObject) { return raIsMadeObject(aObject); }

void FreeMadeObjects() { raFreeMadeObjects(); }

void FreeObject(QObject* aObject) {
    try {
        raFreeObject(aObject);
    } catch (const ETraFreeRefused& e) {
        throw EScriptRunError(e.Message());
    }
}

QObject* ObjectOfNode(TraValue* aNode) {
    if (auto* variable = dynamic_cast<TraVariableValue*>(aNode))
        aNode = variable->Value();
    if (!aNode)
        return nullptr;
    if (auto* o = dynamic_cast<TraObjectResolver*>(aNode))
        return o->GetObject();
    if (auto* i = dynamic_cast<TraIntegerValue*>(aNode))
        return ObjectOfHandle(i->Value());
    if (auto* v = dynamic_cast<TraVariantValue*>(aNode)) {
        if (v->Value().canConvert<ObjectRef>() && v->Value().metaType() == QMetaType::fromType<ObjectRef>())
            return v->Value().value<ObjectRef>().object.data();
        bool ok = false;
        const qint64 n = v->Value().toLongLong(&ok);
        return ok ? ObjectOfHandle(n) : nullptr;
    }
    return nullptr;
}

TClass StaticClassOf(TraValue* aNode) {
    if (auto* variable = dynamic_cast<TraVariableValue*>(aNode))
        aNode = variable->Value();
    if (auto* e = dynamic_cast<TraExpression*>(aNode)) {
        if (e->Operator == TraTokenType::ttUnknown)
            return StaticClassOf(e->Value1());
        return nullptr;
    }
    if (auto* p = dynamic_cast<TraPropertyValue*>(aNode)) {
        if (p->IsConstructor)
            return p->ClassType;
        return StaticClassOf(p->ResultValue());
    }
    if (auto* call = dynamic_cast<TraProgramCallValue*>(aNode))
        return StaticClassOf(call->ResultValue());
    if (auto* c = dynamic_cast<TraClassValue*>(aNode)) {
        if (c->ClassRef)
            return c->ClassRef;
        if (QObject* o = c->GetObject())
            return o->metaObject();
    }
    return nullptr;
}

namespace {

/// A class name token: the class node it stands for, or null.
TraClassValue* classNode(TraValue* aNode) {
    auto* c = dynamic_cast<TraClassValue*>(aNode);
    if (!c || dynamic_cast<TraCastValue*>(aNode) || !c->ObjectName().isEmpty())
        return nullptr;
    if (!c->ClassRef && c->SimpleTypeCast == TraDataType::daUnknown)
        return nullptr;
    return c;
}

}  // namespace

FoundValue CompileMemberChain(TraProgram& aProgram, FoundValue aOperand, TraToken*& aLast) {
    while (!aProgram.HasErrors()) {
        TraToken* token = aProgram.NextToken();
        if (!token)
            return aOperand;
        const TraTokenType kind = token->TokenType;
        TraClassValue* cls = classNode(aOperand.node);
        if (kind == TraTokenType::ttLParen && cls && aOperand.owned) {
            // A cast: C(X) or Integer(X).
            TraToken* first = aProgram.NextToken();
            if (aProgram.CheckToken(first, token, kExpectedToken,
                                    TraTokenTypes{TraTokenType::ttIdentifier, TraTokenType::ttType}) ||
                !first)
                return aOperand;
            auto inner = std::make_unique<TraExpression>();
            inner->AllowAssignment = false;
            inner->EndTokens = TraTokenTypes{TraTokenType::ttRParen};
            inner->Compile(aProgram, first);
            if (aProgram.HasErrors())
                return aOperand;
            TraToken* close = aProgram.NextToken();
            if (aProgram.CheckToken(close, first, kMissingRightParen, TraTokenTypes{TraTokenType::ttRParen}) || !close)
                return aOperand;
            auto cast = std::make_unique<TraCastValue>();
            cast->ClassRef = cls->ClassRef;
            cast->SimpleTypeCast = cls->SimpleTypeCast;
            cast->SetPosition(token);
            cast->SetOperand(std::move(inner));
            aLast = close;
            aOperand = FoundValue::Owned(std::move(cast));
            continue;
        }
        if (kind == TraTokenType::ttAs) {
            TraToken* type = aProgram.NextToken();
            if (aProgram.CheckToken(type, token, kExpectedToken,
                                    TraTokenTypes{TraTokenType::ttIdentifier, TraTokenType::ttType}) ||
                !type)
                return aOperand;
            TClass target = raGetClass(type->Text());
            if (!target) {
                aProgram.AddSyntaxError(type, {}, kNotTypeIdentifier);
                return aOperand;
            }
            auto cast = std::make_unique<TraCastValue>();
            cast->ClassRef = target;
            cast->SetPosition(token);
            auto operand = std::make_unique<TraExpression>();
            operand->AllowAssignment = false;
            operand->SetPosition(aLast);
            operand->SetValue1(std::move(aOperand));
            cast->SetOperand(std::move(operand));
            aLast = type;
            aOperand = FoundValue::Owned(std::move(cast));
            continue;
        }
        if (kind == TraTokenType::ttPeriod || kind == TraTokenType::ttLBracket) {
            TClass owner = StaticClassOf(aOperand.node);
            if (!owner && cls)
                owner = cls->ClassRef;
            if (!owner && dynamic_cast<TraObjectResolver*>(aOperand.node))
                owner = &QObject::staticMetaObject;
            TraToken* name = token;
            QString memberName;
            if (kind == TraTokenType::ttPeriod) {
                name = aProgram.NextToken();
                if (aProgram.CheckToken(name, token, kExpectedToken,
                                        TraTokenTypes{TraTokenType::ttIdentifier, TraTokenType::ttType}) ||
                    !name)
                    return aOperand;
                memberName = name->Text();
            }
            auto member = std::make_unique<TraPropertyValue>();
            if (!owner || !member->SetUp(owner, memberName)) {
                aProgram.AddSyntaxError(name, {}, kExpectedToken);
                return aOperand;
            }
            if (kind == TraTokenType::ttLBracket) {
                aProgram.PreviousToken();  // the bracket opens the argument list
                name = aProgram.PreviousToken();
                aProgram.NextToken();
            }
            member->SetPosition(name);
            if (aOperand.owned) {
                member->SetOwnerNode(std::move(aOperand.owned));
            } else if (aOperand.node) {
                // A variable (or another node owned elsewhere): reached through a reference.
                auto reference = std::make_unique<TraExpression>();
                reference->AllowAssignment = false;
                reference->SetValue1(FoundValue::Reference(aOperand.node));
                member->SetOwnerNode(std::move(reference));
            }
            member->Compile(aProgram, name);
            if (aProgram.HasErrors())
                return FoundValue::Owned(std::move(member));
            aLast = aProgram.PreviousToken();
            aProgram.NextToken();
            aOperand = FoundValue::Owned(std::move(member));
            continue;
        }
        aProgram.PreviousToken();
        return aOperand;
    }
    return aOperand;
}

}  // namespace script

// ---- The class manager ---------------------------------------------------------------

TraDataType raNodeDataType(TraValue* aNode) {
    using D = TraDataType;
    if (dynamic_cast<TraStringValue*>(aNode))
        return D::daString;
    if (dynamic_cast<TraIntegerValue*>(aNode))
        return D::daInteger;
    if (dynamic_cast<TraBooleanValue*>(aNode))
        return D::daBoolean;
    if (dynamic_cast<TraCharValue*>(aNode))
        return D::daChar;
    if (dynamic_cast<TraCurrencyValue*>(aNode))
        return D::daCurrency;
    if (dynamic_cast<TraSingleValue*>(aNode))
        return D::daSingle;
    if (dynamic_cast<TraDoubleValue*>(aNode))
        return D::daDouble;
    if (dynamic_cast<TraExtendedValue*>(aNode))
        return D::daExtended;
    if (dynamic_cast<TraDateTimeValue*>(aNode))
        return D::daDateTime;
    if (dynamic_cast<TraDateValue*>(aNode))
        return D::daDate;
    if (dynamic_cast<TraTimeValue*>(aNode))
        return D::daTime;
    if (dynamic_cast<TraClassValue*>(aNode))
        return D::daClass;
    if (dynamic_cast<TraEnumValue*>(aNode))
        return D::daEnum;
    if (dynamic_cast<TraVariantValue*>(aNode))
        return D::daVariant;
    return D::daUnknown;
}

bool TraClassManager::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    const TraRTTI* rtti = raGetRTTI(aClass);
    return rtti && rtti->GetPropRec(aClass, aName, aPropRec);
}

void TraClassManager::GetPropList(TClass aClass, TraPropList& aList) const {
    if (const TraRTTI* rtti = raGetRTTI(aClass))
        rtti->GetPropList(aClass, aList);
}

void TraClassManager::GetEventList(TClass aClass, TraPropList& aList) const {
    if (const TraRTTI* rtti = raGetRTTI(aClass))
        rtti->GetEventList(aClass, aList);
}

bool TraClassManager::IsEvent(TClass aClass, const QString& aName) const {
    TraPropList list;
    GetEventList(aClass, list);
    return list.Names().contains(aName, Qt::CaseInsensitive);
}

std::unique_ptr<TraValue> TraClassManager::CreateValueNode(const TraPropRec& aPropRec) const {
    TraDataType kind = aPropRec.DataType == TraDataType::daObject ? TraDataType::daClass : aPropRec.DataType;
    std::unique_ptr<TraValue> node;
    if (!CreateValueOfType(kind, node))
        return nullptr;
    if (auto* c = dynamic_cast<TraClassValue*>(node.get()))
        c->ClassRef = aPropRec.ClassType;
    else if (auto* e = dynamic_cast<TraEnumValue*>(node.get()); e && !aPropRec.TypeName.isEmpty() &&
                                                              !dynamic_cast<TraBooleanValue*>(node.get()))
        e->TypeName = aPropRec.TypeName;
    node->IsReadOnly = aPropRec.ReadOnly;
    return node;
}

bool TraClassManager::ReadMember(QObject* aObject, const QString& aName, TraValue* aNode) const {
    if (!aObject || !aNode)
        return false;
    const TraRTTI* rtti = raGetRTTI(aObject->metaObject());
    const TraDataType kind = raNodeDataType(aNode);
    if (!rtti || kind == TraDataType::daUnknown)
        return false;
    QVariant buffer;
    if (!rtti->GetPropValue(aObject, aName, buffer))
        return false;
    TraParamRec rec;
    rec.DataType = kind;
    rec.Value = &buffer;
    raLoadValueFromParam(rec, aNode);
    return true;
}

bool TraClassManager::WriteMember(QObject* aObject, const QString& aName, TraValue* aSource) const {
    if (!aObject || !aSource)
        return false;
    const TraRTTI* rtti = raGetRTTI(aObject->metaObject());
    const TraDataType kind = raNodeDataType(aSource);
    if (!rtti || kind == TraDataType::daUnknown)
        return false;
    QVariant buffer;
    TraParamRec rec;
    rec.DataType = kind;
    rec.Value = &buffer;
    raStoreValueToParam(aSource, rec);
    return rtti->SetPropValue(aObject, aName, buffer);
}

const TraClassManager& raGetClassManager() {
    static const TraClassManager manager;
    return manager;
}

// ---- Casts -----------------------------------------------------------------------------

void TraCastValue::SetOperand(std::unique_ptr<TraValue> aOperand) {
    if (m_operand)
        Take(m_operand).reset();
    aOperand->SetChildType(9);
    m_operand = Add(std::move(aOperand));
}

int TraCastValue::RemoveChild(TraRelative* aChild) {
    if (aChild == m_operand)
        m_operand = nullptr;
    return TraClassValue::RemoveChild(aChild);
}

TraValue* TraCastValue::Evaluate() {
    if (!m_operand)
        return nullptr;
    TraValue* value = m_operand->Execute();
    if (SimpleTypeCast != TraDataType::daUnknown) {
        std::unique_ptr<TraValue> target;
        if (!CreateValueOfType(SimpleTypeCast, target) || !value)
            return nullptr;
        TraValue* node = value;
        if (auto* v = dynamic_cast<TraVariableValue*>(node))
            node = v->Value();
        if (SimpleTypeCast == TraDataType::daInteger && dynamic_cast<TraObjectResolver*>(node)) {
            static_cast<TraIntegerValue*>(target.get())->SetValue(script::ObjectHandle(script::ObjectOfNode(node)));
        } else if (SimpleTypeCast == TraDataType::daVariant && dynamic_cast<TraObjectResolver*>(node)) {
            static_cast<TraVariantValue*>(target.get())
                ->SetValue(QVariant::fromValue(script::ObjectRef{script::ObjectOfNode(node)}));
        } else {
            target->ConvertFrom(node);
        }
        TraValue* raw = target.get();
        GetThrowAwayBin().Add(std::move(target));
        return raw;
    }
    QObject* object = value ? script::ObjectOfNode(value) : nullptr;
    if (object && ClassRef && !object->metaObject()->inherits(ClassRef))
        object = nullptr;  // a cast that does not match gives no object, never an error
    auto* result = script::MakeTemp<TraClassValue>();
    result->ClassRef = ClassRef;
    result->SetObject(object);
    return result;
}

TraDataType TraCastValue::DataType() const {
    if (SimpleTypeCast != TraDataType::daUnknown)
        return SimpleTypeCast;
    return TraDataType::daClass;
}

TraValue* TraCastValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    TraValue* value = Evaluate();
    return value && value != this ? value->Operate(aOther, aOperator) : nullptr;
}

TraValue* TraCastValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    TraValue* value = Evaluate();
    return value && value != this ? value->Compare(aOther, aOperator) : nullptr;
}

// ---- Members ---------------------------------------------------------------------------

void TraPropertyValue::SetOwnerNode(std::unique_ptr<TraValue> aOwner) {
    if (m_owner)
        Take(m_owner).reset();
    if (!aOwner)
        return;
    aOwner->SetChildType(9);
    m_owner = Add(std::move(aOwner));
}

int TraPropertyValue::RemoveChild(TraRelative* aChild) {
    if (aChild == m_owner)
        m_owner = nullptr;
    return TraProgramCallValue::RemoveChild(aChild);
}

namespace {

std::unique_ptr<TraValue> valueNodeFor(TraDataType aKind, TClass aClass, const QString& aTypeName) {
    std::unique_ptr<TraValue> node;
    if (aKind == TraDataType::daObject)
        aKind = TraDataType::daClass;
    if (!CreateValueOfType(aKind, node))
        return nullptr;
    if (auto* c = dynamic_cast<TraClassValue*>(node.get()))
        c->ClassRef = aClass;
    else if (auto* e = dynamic_cast<TraEnumValue*>(node.get()); e && !aTypeName.isEmpty() &&
                                                              !dynamic_cast<TraBooleanValue*>(node.get()))
        e->TypeName = aTypeName;
    return node;
}

}  // namespace

bool TraPropertyValue::SetUp(TClass aClass, const QString& aName) {
    const TraRTTI* rtti = raGetRTTI(aClass);
    TraPropRec rec;
    if (!rtti || !raGetClassManager().GetPropRec(aClass, aName, rec) || rec.EventID >= 0)
        return false;
    PropertyName = rec.Name.isEmpty() ? aName : rec.Name;
    IsPublished = rec.Published;
    ClassType = rec.ClassType;
    MemberType = rec.DataType;
    if (rec.DataType != TraDataType::daMethod) {
        std::unique_ptr<TraValue> node = raGetClassManager().CreateValueNode(rec);
        if (!node)
            return false;
        IsReadOnly = rec.ReadOnly;
        node->IsReadOnly = rec.ReadOnly;
        ProgramType = TraTokenType::ttFunction;
        SetResultValue(std::move(node));
        return true;
    }
    IsMethod = true;
    IsArray = rec.IsArray;
    IsConstructor = rec.IsConstructor;
    IsReadOnly = rec.ReadOnly && !rec.IsArray;
    std::unique_ptr<TraParamList> params = std::move(rec.Params);
    if (!params)
        params = rtti->GetParams(PropertyName);
    int formals = params ? params->Count() : 0;
    const int result = params ? params->IndexOf(QStringLiteral("Result")) : -1;
    if (result >= 0)
        formals = IsConstructor ? std::max(0, params->Count() - 2) : params->Count() - 1;
    for (int i = 0; i < formals; ++i) {
        const TraParamRec& p = params->Param(i);
        std::unique_ptr<TraValue> node = valueNodeFor(p.DataType, p.ClassType, p.TypeName);
        if (!node)
            CreateValueOfType(TraDataType::daVariant, node);
        node->IsReadOnly = !p.IsVar;
        auto variable = std::make_unique<TraVariableValue>(p.Name, std::move(node));
        variable->IsReadOnly = !p.IsVar;
        AddParam(std::move(variable));
    }
    ProgramType = TraTokenType::ttProcedure;
    if (result >= 0) {
        const TraParamRec& r = params->Param(result);
        std::unique_ptr<TraValue> node =
            valueNodeFor(r.DataType, IsConstructor ? ClassType : r.ClassType, r.TypeName);
        if (node) {
            SetResultValue(std::move(node));
            ProgramType = TraTokenType::ttFunction;
        }
    }
    return true;
}

void TraPropertyValue::Compile(TraProgram& aProgram, TraToken* aToken) {
    SetPosition(aToken);
    if (ParamCount() == 0 && !IsArray)
        return;
    const TraTokenType open = IsArray ? TraTokenType::ttLBracket : TraTokenType::ttLParen;
    const TraTokenType close = IsArray ? TraTokenType::ttRBracket : TraTokenType::ttRParen;
    TraToken* previous = aToken;
    const auto next = [&](TraTokenTypes expected) -> TraToken* {
        TraToken* t = aProgram.NextToken();
        if (aProgram.CheckToken(t, previous, script::kExpectedToken, expected) || !t)
            return nullptr;
        previous = t;
        return t;
    };
    if (!next({open}))
        return;
    for (int i = 0; i < ParamCount(); ++i) {
        TraToken* first = next({TraTokenType::ttIdentifier, TraTokenType::ttNumber, TraTokenType::ttString,
                                TraTokenType::ttType});
        if (!first)
            return;
        auto argument = std::make_unique<TraExpression>();
        argument->AllowAssignment = false;
        argument->ReturnDataType = Params(i)->DataType();
        argument->EndTokens = TraTokenTypes{TraTokenType::ttComma, close};
        TraExpression* raw = argument.get();
        AddArgument(std::move(argument));
        raw->Compile(aProgram, first);
        if (aProgram.HasErrors())
            return;
        previous = aProgram.PreviousToken();
        aProgram.NextToken();
        if (!next(i + 1 < ParamCount() ? TraTokenTypes{TraTokenType::ttComma} : TraTokenTypes{close}))
            return;
    }
}

QObject* TraPropertyValue::ownerObject() {
    if (!m_owner)
        return nullptr;
    return script::ObjectOfNode(m_owner->Execute());
}

bool TraPropertyValue::call(QObject* aObject, bool aGet) {
    const TraRTTI* rtti = raGetRTTI(IsConstructor ? ClassType : aObject->metaObject());
    if (!rtti)
        return false;
    if (!IsArray && !IsConstructor && PropertyName.compare(QLatin1String("Free"), Qt::CaseInsensitive) == 0) {
        script::FreeObject(aObject);
        return true;
    }
    TraPropRec rec;
    std::unique_ptr<TraParamList> list;
    if (rtti->GetPropRec(IsConstructor ? ClassType : aObject->metaObject(), PropertyName, rec))
        list = std::move(rec.Params);
    if (!list)
        list = rtti->GetParams(PropertyName);
    if (!list)
        list = std::make_unique<TraParamList>();
    std::vector<QVariant> buffers(size_t(list->Count()));
    for (int i = 0; i < ArgumentCount(); ++i)
        PassArgument(i);
    for (int i = 0; i < ParamCount() && i < list->Count(); ++i) {
        TraParamRec rec = list->Param(i);
        rec.Value = &buffers[size_t(i)];
        raStoreValueToParam(Params(i), rec);
        list->BindParamValue(i, &buffers[size_t(i)]);
    }
    if (IsConstructor) {
        const int cls = list->IndexOf(QStringLiteral("Class"));
        if (cls >= 0) {
            buffers[size_t(cls)] = QVariant::fromValue(TClassRef{ClassType});
            list->BindParamValue(cls, &buffers[size_t(cls)]);
        }
    }
    const int result = list->IndexOf(QStringLiteral("Result"));
    if (result >= 0) {
        list->BindParamValue(result, &buffers[size_t(result)]);
        if (!aGet && ResultValue()) {
            TraParamRec rec = list->Param(result);
            raStoreValueToParam(ResultValue(), rec);
        }
    }
    bool done = false;
    try {
        done = rtti->CallMethod(aObject, PropertyName, aGet, *list);
    } catch (const EScriptRunError&) {
        throw;
    } catch (const base::Exception& e) {
        throw EScriptRunError(e.Message());  // an adapter's failure ends the run at this member
    }
    if (!done)
        return false;
    if (aGet && result >= 0 && ResultValue())
        raLoadValueFromParam(list->Param(result), ResultValue());
    for (int i = 0; i < ParamCount() && i < list->Count(); ++i) {
        if (!list->Param(i).IsVar)
            continue;
        raLoadValueFromParam(list->Param(i), Params(i));
        WriteBackArgument(i);
    }
    if (IsConstructor)
        script::AdoptMadeObject(script::ObjectOfNode(ResultValue()));
    return true;
}

TraValue* TraPropertyValue::Evaluate() {
    try {
        QObject* object = IsConstructor ? nullptr : ownerObject();
        if (IsMethod) {
            if (IsConstructor || object)
                call(object, true);
        } else if (object) {
            raGetClassManager().ReadMember(object, PropertyName, ResultValue());
        } else if (auto* resolver = dynamic_cast<TraObjectResolver*>(ResultValue())) {
            resolver->SetObject(nullptr);  // a member of no object is no object
        }
    } catch (EScriptRunError& e) {
        if (!e.HasPosition())
            e.SetPosition(LineNo, CharPos);
        throw;
    }
    return ResultValue() ? ResultValue()->Evaluate() : nullptr;
}

bool TraPropertyValue::AssignValue(TraValue* aSource) {
    if (IsReadOnly || !ResultValue())
        return false;
    try {
        QObject* object = ownerObject();
        if (!object)
            return false;
        bool done = false;
        if (IsArray) {
            if (ResultValue()->AssignValue(aSource))
                done = call(object, false);
        } else if (!IsMethod) {
            if (!ResultValue()->AssignValue(aSource))
                return true;  // a value the property's kind does not take writes nothing
            done = raGetClassManager().WriteMember(object, PropertyName, ResultValue());
        }
        SendNotify(this, script::kOpValueAssigned);
        return done;
    } catch (EScriptRunError& e) {
        if (!e.HasPosition())
            e.SetPosition(LineNo, CharPos);
        throw;
    }
}

QObject* TraPropertyValue::GetObject() const {
    auto* resolver = dynamic_cast<TraObjectResolver*>(ResultValue());
    return resolver ? resolver->GetObject() : nullptr;
}

TraDataType TraPropertyValue::DataType() const {
    return ResultValue() ? ResultValue()->DataType() : TraDataType::daUnknown;
}

TraValue* TraPropertyValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    TraValue* value = Evaluate();
    return value ? value->Operate(aOther, aOperator) : nullptr;
}

TraValue* TraPropertyValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    TraValue* value = Evaluate();
    return value ? value->Compare(aOther, aOperator) : nullptr;
}
