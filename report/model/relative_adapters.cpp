#include "report/model/relative_adapters.h"

namespace {

bool is(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

struct TreeName {
    const char* name;
    TraDataType type;
    bool readOnly;
};

const TreeName kTreeNames[] = {
    {"AllChildCount", TraDataType::daInteger, true}, {"ChildCount", TraDataType::daInteger, true},
    {"ChildType", TraDataType::daInteger, false},    {"FreeingChildren", TraDataType::daBoolean, true},
    {"Index", TraDataType::daInteger, true},         {"OrderedChildren", TraDataType::daBoolean, true},
    {"Parent", TraDataType::daClass, false},         {"Position", TraDataType::daInteger, false},
};

}  // namespace

void TraTppCommunicatorRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTComponentRTTI::GetPropList(aClass, aPropList);
    aPropList.AddProp(QStringLiteral("UserName"));
}

bool TraTppCommunicatorRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (is(aName, "UserName")) {
        PropToRec(QStringLiteral("UserName"), TraDataType::daString, false, aPropRec);
        return true;
    }
    return TraTComponentRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppCommunicatorRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* c = qobject_cast<TppCommunicator*>(aObject);
    if (c && is(aName, "UserName")) {
        QString name;
        c->GetUserName(name);
        aValue = name;
        return true;
    }
    return TraTComponentRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppCommunicatorRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* c = qobject_cast<TppCommunicator*>(aObject);
    if (c && is(aName, "UserName")) {
        c->SetUserName(aValue.toString());
        return true;
    }
    return TraTComponentRTTI::SetPropValue(aObject, aName, aValue);
}

void TraTppRelativeRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppCommunicatorRTTI::GetPropList(aClass, aPropList);
    for (const TreeName& n : kTreeNames) aPropList.AddProp(QString::fromLatin1(n.name));
}

bool TraTppRelativeRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    for (const TreeName& n : kTreeNames) {
        if (!is(aName, n.name)) continue;
        if (n.type == TraDataType::daClass)
            ClassPropToRec(QString::fromLatin1(n.name), &TppRelative::staticMetaObject, n.readOnly, aPropRec);
        else
            PropToRec(QString::fromLatin1(n.name), n.type, n.readOnly, aPropRec);
        return true;
    }
    return TraTppCommunicatorRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppRelativeRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* r = qobject_cast<TppRelative*>(aObject);
    if (r) {
        if (is(aName, "AllChildCount")) aValue = r->GetAllChildCount();
        else if (is(aName, "ChildCount")) aValue = r->ChildCount();
        else if (is(aName, "ChildType")) aValue = r->ChildType();
        else if (is(aName, "FreeingChildren")) aValue = r->FreeingChildren();
        else if (is(aName, "Index")) aValue = r->Index();
        else if (is(aName, "OrderedChildren")) aValue = r->OrderedChildren();
        else if (is(aName, "Parent")) aValue = QVariant::fromValue(static_cast<QObject*>(r->Parent()));
        else if (is(aName, "Position")) aValue = r->Position();
        else return TraTppCommunicatorRTTI::GetPropValue(aObject, aName, aValue);
        return true;
    }
    return TraTppCommunicatorRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppRelativeRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* r = qobject_cast<TppRelative*>(aObject);
    if (r) {
        if (is(aName, "ChildType")) r->SetChildType(aValue.toInt());
        else if (is(aName, "Parent")) r->SetParent(qobject_cast<TppRelative*>(aValue.value<QObject*>()));
        else if (is(aName, "Position")) r->SetPosition(aValue.toInt());
        else return TraTppCommunicatorRTTI::SetPropValue(aObject, aName, aValue);
        return true;
    }
    return TraTppCommunicatorRTTI::SetPropValue(aObject, aName, aValue);
}

namespace report {

void RegisterRelativeAdapters() {
    raRegisterRTTI<TraTppCommunicatorRTTI>();
    raRegisterRTTI<TraTppRelativeRTTI>();
}

void UnRegisterRelativeAdapters() {
    raUnRegisterRTTI(RTTIInstance<TraTppRelativeRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppCommunicatorRTTI>());
}

}  // namespace report
