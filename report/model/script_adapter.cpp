#include "report/model/script_adapter.h"

#include <QMetaProperty>

#include <memory>

namespace {

constexpr int kShortStringLength = 255;

QString shortString(const QString& s) { return s.left(kShortStringLength); }

int indexOfProperty(TClass aClass, const QString& aName) {
    if (!aClass) return -1;
    for (int i = QObject::staticMetaObject.propertyCount(); i < aClass->propertyCount(); ++i)
        if (aName.compare(QLatin1String(aClass->property(i).name()), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

/// The value converted to the kind's form; invalid for kinds that copy nothing.
QVariant toKind(const QVariant& v, TraDataType kind) {
    switch (kind) {
    case TraDataType::daInteger:
    case TraDataType::daEnum: return v.toInt();
    case TraDataType::daSingle: return QVariant::fromValue(v.toFloat());
    case TraDataType::daDouble:
    case TraDataType::daExtended:
    case TraDataType::daDateTime:
    case TraDataType::daDate:
    case TraDataType::daTime: return v.toDouble();
    case TraDataType::daCurrency:
        if (v.canConvert<TCurrency>() && v.metaType() == QMetaType::fromType<TCurrency>()) return v;
        return QVariant::fromValue(TCurrency{qRound64(v.toDouble() * 10000)});
    case TraDataType::daChar: return v.metaType().id() == QMetaType::QChar ? v : QVariant(QChar(v.toInt()));
    case TraDataType::daBoolean: return v.toBool();
    case TraDataType::daString: return v.toString();
    case TraDataType::daVariant: return v;
    case TraDataType::daClass:
        if (v.metaType() == QMetaType::fromType<TClassRef>()) return v;
        return QVariant::fromValue(v.value<QObject*>());
    case TraDataType::daUnknown:
    case TraDataType::daObject:
    case TraDataType::daMethod: break;
    }
    return QVariant();
}

bool copiesNothing(TraDataType kind) {
    return kind == TraDataType::daUnknown || kind == TraDataType::daObject || kind == TraDataType::daMethod;
}

QObject* objectParam(const TraParamList& params, int index) {
    if (index >= params.Count() || !params.Param(index).Value) return nullptr;
    return params.Param(index).Value->value<QObject*>();
}

TClass classParam(const TraParamList& params, int index) {
    if (index >= params.Count() || !params.Param(index).Value) return nullptr;
    return params.Param(index).Value->value<TClassRef>().Class;
}

void setResult(TraParamList& params, int index, const QVariant& value) {
    if (index < params.Count()) params.SetParamValue(index, value);
}

}  // namespace

// Parameter list

int TraParamList::AddParam(const QString& aName, TraDataType aDataType, TClass aClass, const QString& aTypeName,
                           bool aIsConst, bool aIsVar) {
    m_params.push_back({shortString(aName), aDataType, aClass, shortString(aTypeName), aIsConst, aIsVar, nullptr});
    return int(m_params.size()) - 1;
}

void TraParamList::RemoveParam(const QString& aName) {
    const int i = IndexOf(aName);
    if (i >= 0) m_params.erase(m_params.begin() + i);
}

int TraParamList::IndexOf(const QString& aName) const {
    for (size_t i = 0; i < m_params.size(); ++i)
        if (m_params[i].Name.compare(aName, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

bool TraParamList::GetParamRec(int aIndex, TraParamRec& aParamRec) const {
    if (aIndex < 0 || aIndex >= Count()) return false;
    aParamRec = m_params[size_t(aIndex)];
    return true;
}

void TraParamList::SetParamValuePtr(int aIndex, QVariant* aValue) {
    if (aIndex >= 0 && aIndex < Count()) m_params[size_t(aIndex)].Value = aValue;
}

void TraParamList::SetParamValue(int aIndex, const QVariant& aSource) {
    if (aIndex < 0 || aIndex >= Count()) return;
    TraParamRec& p = m_params[size_t(aIndex)];
    if (!p.Value || copiesNothing(p.DataType)) return;
    *p.Value = toKind(aSource, p.DataType);
}

void TraParamList::GetParamValue(int aIndex, QVariant& aTarget) const {
    if (aIndex < 0 || aIndex >= Count()) return;
    const TraParamRec& p = m_params[size_t(aIndex)];
    if (!p.Value || copiesNothing(p.DataType)) return;
    aTarget = toKind(*p.Value, p.DataType);
}

void TraPropList::RemoveProp(const QString& aName) {
    for (qsizetype i = 0; i < m_names.size(); ++i)
        if (m_names.at(i).compare(aName, Qt::CaseInsensitive) == 0) {
            m_names.removeAt(i);
            return;
        }
}

// Adapter base

TraDataType TraRTTI::KindOfProperty(const QMetaProperty& property, QString* typeName, TClass* classType) {
    const QMetaType type = property.metaType();
    if (type == QMetaType::fromType<TCurrency>()) return TraDataType::daCurrency;
    if (type == QMetaType::fromType<TMethod>()) return TraDataType::daUnknown;
    if (property.isFlagType()) return TraDataType::daUnknown;  // sets
    if (property.isEnumType() || (type.flags() & QMetaType::IsEnumeration)) {
        if (typeName)
            *typeName = property.isEnumType() ? QString::fromLatin1(property.enumerator().enumName())
                                              : QString::fromLatin1(type.name()).section(QLatin1String("::"), -1);
        return TraDataType::daEnum;
    }
    if (type.flags() & QMetaType::PointerToQObject) {
        if (classType) *classType = type.metaObject();
        return TraDataType::daClass;
    }
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar: return TraDataType::daInteger;
    case QMetaType::Char:
    case QMetaType::QChar: return TraDataType::daChar;
    case QMetaType::Bool: return TraDataType::daBoolean;
    case QMetaType::Float: return TraDataType::daSingle;
    case QMetaType::Double: return TraDataType::daDouble;
    case QMetaType::QString:
    case QMetaType::QByteArray: return TraDataType::daString;
    case QMetaType::QVariant: return TraDataType::daVariant;
    default: break;
    }
    return TraDataType::daUnknown;
}

void TraRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    if (!aClass) return;
    for (int i = QObject::staticMetaObject.propertyCount(); i < aClass->propertyCount(); ++i) {
        const QMetaProperty p = aClass->property(i);
        const int id = p.metaType().id();
        if (KindOfProperty(p) != TraDataType::daUnknown || id == QMetaType::LongLong || id == QMetaType::ULongLong)
            aPropList.AddProp(QString::fromLatin1(p.name()));
    }
}

void TraRTTI::GetEventList(TClass aClass, TraPropList& aPropList) const {
    if (!aClass) return;
    for (int i = QObject::staticMetaObject.propertyCount(); i < aClass->propertyCount(); ++i)
        if (aClass->property(i).metaType() == QMetaType::fromType<TMethod>())
            aPropList.AddProp(QString::fromLatin1(aClass->property(i).name()));
}

bool TraRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    const int index = indexOfProperty(aClass, aName);
    if (index < 0) return false;
    const QMetaProperty p = aClass->property(index);
    QString typeName;
    TClass classType = nullptr;
    const TraDataType kind = KindOfProperty(p, &typeName, &classType);
    PropToRec(QString::fromLatin1(p.name()), kind, false, aPropRec);
    aPropRec.Published = true;
    if (kind == TraDataType::daClass) aPropRec.ClassType = classType;
    if (kind == TraDataType::daEnum) aPropRec.TypeName = shortString(typeName);
    return true;
}

bool TraRTTI::CallMethod(QObject*, const QString&, bool, TraParamList&) const { return false; }

std::unique_ptr<TraParamList> TraRTTI::GetParams(const QString&) const { return nullptr; }

bool TraRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (!aObject) return false;
    const int index = indexOfProperty(aObject->metaObject(), aName);
    if (index < 0) return false;
    const QMetaProperty p = aObject->metaObject()->property(index);
    const TraDataType kind = KindOfProperty(p);
    if (copiesNothing(kind)) return false;
    const QVariant v = p.read(aObject);
    switch (kind) {
    case TraDataType::daChar: aValue = QVariant(QChar(v.metaType().id() == QMetaType::QChar ? v.toChar().unicode()
                                                                                          : char16_t(v.toInt())));
        break;
    case TraDataType::daClass: aValue = QVariant::fromValue(v.value<QObject*>()); break;
    default: aValue = toKind(v, kind); break;
    }
    return true;
}

bool TraRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (!aObject) return false;
    const int index = indexOfProperty(aObject->metaObject(), aName);
    if (index < 0) return false;
    const QMetaProperty p = aObject->metaObject()->property(index);
    const TraDataType kind = KindOfProperty(p);
    if (copiesNothing(kind) || !p.isWritable()) return false;
    QVariant v = toKind(aValue, kind);
    if (kind == TraDataType::daChar && p.metaType().id() == QMetaType::Char) v = QVariant::fromValue(char(v.toChar().toLatin1()));
    if (kind == TraDataType::daEnum || kind == TraDataType::daClass) {
        if (!v.convert(p.metaType())) return false;
    }
    return p.write(aObject, v);
}

void TraRTTI::PropToRec(const QString& aName, TraDataType aDataType, bool aReadOnly, TraPropRec& aPropRec) {
    aPropRec.Name = shortString(aName);
    aPropRec.DataType = aDataType;
    aPropRec.ReadOnly = aReadOnly;
    aPropRec.ClassType = nullptr;
    aPropRec.TypeName.clear();
    aPropRec.Published = false;
    aPropRec.IsConstructor = false;
    aPropRec.IsArray = false;
    aPropRec.EventID = -1;
    aPropRec.Params.reset();
}

void TraRTTI::ClassPropToRec(const QString& aName, TClass aClass, bool aReadOnly, TraPropRec& aPropRec) {
    PropToRec(aName, TraDataType::daClass, aReadOnly, aPropRec);
    aPropRec.ClassType = aClass;
}

void TraRTTI::EnumPropToRec(const QString& aName, const QString& aTypeName, bool aReadOnly, TraPropRec& aPropRec) {
    PropToRec(aName, TraDataType::daEnum, aReadOnly, aPropRec);
    aPropRec.TypeName = shortString(aTypeName);
}

void TraRTTI::MethodToRec(const QString& aName, bool aGetParams, TraPropRec& aPropRec) const {
    PropToRec(aName, TraDataType::daMethod, true, aPropRec);
    if (!aGetParams) return;
    aPropRec.Params = GetParams(aName);
    if (aPropRec.Params && aPropRec.Params->Count() > 0) {
        const TraParamRec& last = aPropRec.Params->Param(aPropRec.Params->Count() - 1);
        if (last.Name.compare(QLatin1String("Result"), Qt::CaseInsensitive) == 0 && last.DataType == TraDataType::daClass)
            aPropRec.ClassType = last.ClassType;
    }
}

void TraRTTI::EventToRec(const QString& aName, int aEventID, bool aGetParams, TraPropRec& aPropRec) const {
    MethodToRec(aName, aGetParams, aPropRec);
    aPropRec.EventID = aEventID;
}

void TraRTTI::ArrayPropToRec(const QString& aName, TraPropRec& aPropRec) const {
    MethodToRec(aName, true, aPropRec);
    aPropRec.IsArray = true;
}

void TraRTTI::ConstructorToRec(const QString& aName, TClass aClass, TraPropRec& aPropRec) const {
    MethodToRec(aName, true, aPropRec);
    aPropRec.ClassType = aClass;
    if (!aPropRec.Params) aPropRec.Params = std::make_unique<TraParamList>();
    aPropRec.Params->AddParam(QStringLiteral("Class"), TraDataType::daClass, aClass, QString(), false, false);
    aPropRec.Params->AddParam(QStringLiteral("Result"), TraDataType::daClass, nullptr, QString(), false, false);
    aPropRec.IsConstructor = true;
}

// Root object adapter

void TraTObjectRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraRTTI::GetPropList(aClass, aPropList);
    aPropList.AddMethod(QStringLiteral("ClassName"));
    aPropList.AddMethod(QStringLiteral("Create"));
    aPropList.AddMethod(QStringLiteral("Free"));
}

bool TraTObjectRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (aName.compare(QLatin1String("ClassName"), Qt::CaseInsensitive) == 0) {
        MethodToRec(QStringLiteral("ClassName"), true, aPropRec);
        return true;
    }
    if (aName.compare(QLatin1String("Create"), Qt::CaseInsensitive) == 0) {
        ConstructorToRec(QStringLiteral("Create"), aClass, aPropRec);
        return true;
    }
    if (aName.compare(QLatin1String("Free"), Qt::CaseInsensitive) == 0) {
        MethodToRec(QStringLiteral("Free"), false, aPropRec);
        return true;
    }
    return TraRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTObjectRTTI::GetParams(const QString& aName) const {
    if (aName.compare(QLatin1String("Create"), Qt::CaseInsensitive) == 0) return std::make_unique<TraParamList>();
    if (aName.compare(QLatin1String("ClassName"), Qt::CaseInsensitive) == 0) {
        auto params = std::make_unique<TraParamList>();
        params->AddParam(QStringLiteral("Result"), TraDataType::daString, nullptr, QString(), false, false);
        return params;
    }
    return TraRTTI::GetParams(aName);
}

bool TraTObjectRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    if (aName.compare(QLatin1String("Create"), Qt::CaseInsensitive) == 0) {
        const TClass cls = classParam(aParams, 0);
        if (!cls) return false;
        QObject* created = cls->newInstance();
        if (!created) return false;
        raAdoptMadeObject(created);
        setResult(aParams, 1, QVariant::fromValue(created));
        return true;
    }
    if (aName.compare(QLatin1String("Free"), Qt::CaseInsensitive) == 0) {
        raFreeObject(aObject);
        return true;
    }
    if (aName.compare(QLatin1String("ClassName"), Qt::CaseInsensitive) == 0) {
        if (!aObject) return false;
        setResult(aParams, 0, QString::fromLatin1(aObject->metaObject()->className()));
        return true;
    }
    return TraRTTI::CallMethod(aObject, aName, aGet, aParams);
}

// Persistent adapter

void TraTPersistentRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTObjectRTTI::GetPropList(aClass, aPropList);
    aPropList.AddMethod(QStringLiteral("Assign"));
}

bool TraTPersistentRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (aName.compare(QLatin1String("Assign"), Qt::CaseInsensitive) == 0) {
        MethodToRec(QStringLiteral("Assign"), true, aPropRec);
        return true;
    }
    return TraTObjectRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTPersistentRTTI::GetParams(const QString& aName) const {
    if (aName.compare(QLatin1String("Assign"), Qt::CaseInsensitive) == 0) {
        auto params = std::make_unique<TraParamList>();
        params->AddParam(QStringLiteral("Source"), TraDataType::daClass, &TPersistent::staticMetaObject, QString(),
                         false, false);
        return params;
    }
    return TraTObjectRTTI::GetParams(aName);
}

bool TraTPersistentRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    if (aName.compare(QLatin1String("Assign"), Qt::CaseInsensitive) == 0) {
        auto* target = qobject_cast<TPersistent*>(aObject);
        if (!target) return false;
        target->Assign(qobject_cast<TPersistent*>(objectParam(aParams, 0)));
        return true;
    }
    return TraTObjectRTTI::CallMethod(aObject, aName, aGet, aParams);
}

// Component adapter

void TraTComponentRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTPersistentRTTI::GetPropList(aClass, aPropList);
    aPropList.AddProp(QStringLiteral("Owner"));
}

bool TraTComponentRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (aName.compare(QLatin1String("Create"), Qt::CaseInsensitive) == 0) {
        ConstructorToRec(QStringLiteral("Create"), aClass, aPropRec);
        return true;
    }
    if (aName.compare(QLatin1String("Owner"), Qt::CaseInsensitive) == 0) {
        ClassPropToRec(QStringLiteral("Owner"), &TComponent::staticMetaObject, false, aPropRec);
        return true;
    }
    return TraTPersistentRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTComponentRTTI::GetParams(const QString& aName) const {
    if (aName.compare(QLatin1String("Create"), Qt::CaseInsensitive) == 0) {
        auto params = std::make_unique<TraParamList>();
        params->AddParam(QStringLiteral("Owner"), TraDataType::daClass, &TComponent::staticMetaObject, QString(), false,
                         false);
        return params;
    }
    return TraTPersistentRTTI::GetParams(aName);
}

bool TraTComponentRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    if (aName.compare(QLatin1String("Create"), Qt::CaseInsensitive) == 0) {
        auto* owner = qobject_cast<TComponent*>(objectParam(aParams, 0));
        const TClass cls = classParam(aParams, 1);
        if (!cls || !report::InheritsFrom(cls, &TComponent::staticMetaObject)) return false;
        QObject* created = cls->newInstance(Q_ARG(TComponent*, owner));
        if (!created) return false;
        raAdoptMadeObject(created);
        setResult(aParams, 2, QVariant::fromValue(created));
        return true;
    }
    return TraTPersistentRTTI::CallMethod(aObject, aName, aGet, aParams);
}

bool TraTComponentRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* component = qobject_cast<TComponent*>(aObject);
    if (component && aName.compare(QLatin1String("Owner"), Qt::CaseInsensitive) == 0) {
        aValue = QVariant::fromValue(static_cast<QObject*>(component->Owner()));
        return true;
    }
    if (component && aName.compare(QLatin1String("Tag"), Qt::CaseInsensitive) == 0) {
        aValue = component->Tag();
        return true;
    }
    return TraTPersistentRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTComponentRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* component = qobject_cast<TComponent*>(aObject);
    if (component && aName.compare(QLatin1String("Tag"), Qt::CaseInsensitive) == 0) {
        component->SetTag(aValue.toInt());
        return true;
    }
    return TraTPersistentRTTI::SetPropValue(aObject, aName, aValue);
}

// Registry

namespace {

std::unique_ptr<std::vector<TraRTTIEntry>>& registry() {
    static std::unique_ptr<std::vector<TraRTTIEntry>> list;
    return list;
}

}  // namespace

std::vector<TraRTTIEntry>& raGetRTTIClassList() {
    auto& list = registry();
    if (!list) {
        list = std::make_unique<std::vector<TraRTTIEntry>>();
        raRegisterRTTI<TraTObjectRTTI>();
        raRegisterRTTI<TraTComponentRTTI>();
    }
    return *list;
}

void raFreeRTTIClassList() {
    if (!registry()) return;
    for (const TraRTTIEntry& e : *registry()) report::UnRegisterClass(e.Adapter->metaObject());
    registry().reset();
}

void raRegisterRTTI(const TraRTTI& aAdapter) {
    auto& list = raGetRTTIClassList();
    report::RegisterClass(aAdapter.metaObject());
    list.push_back({QString::fromLatin1(aAdapter.RefClass()->className()), &aAdapter});
}

void raUnRegisterRTTI(const TraRTTI& aAdapter) {
    if (!registry()) return;
    auto& list = *registry();
    const QString name = QString::fromLatin1(aAdapter.RefClass()->className());
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->Name.compare(name, Qt::CaseInsensitive) != 0 || it->Adapter != &aAdapter) continue;
        report::UnRegisterClass(it->Adapter->metaObject());
        list.erase(it);
        return;
    }
}

TClass raGetClass(const QString& aName) {
    if (const TClass cls = report::GetClass(aName)) return cls;
    for (const TraRTTIEntry& e : raGetRTTIClassList())
        if (e.Name.compare(aName, Qt::CaseInsensitive) == 0) return e.Adapter->RefClass();
    return nullptr;
}

const TraRTTI* raGetRTTI(TClass aClass) {
    if (!aClass) return nullptr;
    const auto& list = raGetRTTIClassList();
    const QString name = QString::fromLatin1(aClass->className());
    for (const TraRTTIEntry& e : list)
        if (e.Name.compare(name, Qt::CaseInsensitive) == 0) return e.Adapter;
    const TraRTTI* choice = nullptr;
    for (const TraRTTIEntry& e : list) {
        if (!report::InheritsFrom(aClass, e.Adapter->RefClass())) continue;
        if (!choice || report::InheritsFrom(e.Adapter->metaObject(), choice->metaObject())) choice = e.Adapter;
    }
    return choice;
}

// Objects made by scripts

namespace {
std::vector<QPointer<QObject>>& madeObjects() {
    static std::vector<QPointer<QObject>> list;
    return list;
}
}  // namespace

void raAdoptMadeObject(QObject* aObject) {
    if (aObject && !raIsMadeObject(aObject)) madeObjects().emplace_back(aObject);
}

bool raIsMadeObject(const QObject* aObject) {
    if (!aObject) return false;
    for (const QPointer<QObject>& p : madeObjects())
        if (p.data() == aObject) return true;
    return false;
}

void raFreeMadeObjects() {
    std::vector<QPointer<QObject>> list;
    list.swap(madeObjects());
    for (auto it = list.rbegin(); it != list.rend(); ++it) delete it->data();
}

ETraFreeRefused::ETraFreeRefused(const QString& aObjectName)
    : base::Exception(QStringLiteral("Cannot free %1: the script did not create it").arg(aObjectName)) {}

void raFreeObject(QObject* aObject) {
    if (!aObject) return;
    if (!raIsMadeObject(aObject)) {
        const QString name = aObject->objectName().isEmpty() ? QString::fromLatin1(aObject->metaObject()->className())
                                                              : aObject->objectName();
        throw ETraFreeRefused(name);
    }
    std::erase_if(madeObjects(), [&](const QPointer<QObject>& p) { return !p || p.data() == aObject; });
    delete aObject;
}

std::atomic<bool>& raScriptCancelFlag() {
    static std::atomic<bool> flag{false};
    return flag;
}

std::function<void()>& raPendingMessagesHandler() {
    static std::function<void()> handler;
    return handler;
}

std::function<QString(const QString&)>& raScriptPathCheck() {
    static std::function<QString(const QString&)> check;
    return check;
}

QString raCheckScriptPath(const QString& aPath) {
    const auto& check = raScriptPathCheck();
    return check ? check(aPath) : aPath;
}
