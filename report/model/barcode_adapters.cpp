#include "report/model/barcode_adapters.h"

#include <functional>

namespace {

bool is(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

using T = TppCustomBarCode;

struct Name {
    const char* name;
    TraDataType type;
    const char* typeName;  ///< enumerated type
    std::function<QVariant(T&)> get;
    std::function<void(T&, const QVariant&)> set;
};

const std::vector<Name>& names() {
    static const std::vector<Name> list = {
        {"AddOnCode", TraDataType::daString, "", [](T& b) { return QVariant(b.AddOnCode()); },
         [](T& b, const QVariant& v) { b.SetAddOnCode(v.toString()); }},
        {"AutoEncode", TraDataType::daBoolean, "", [](T& b) { return QVariant(b.AutoEncode()); },
         [](T& b, const QVariant& v) { b.SetAutoEncode(v.toBool()); }},
        {"AutoSizeFont", TraDataType::daBoolean, "", [](T& b) { return QVariant(b.AutoSizeFont()); },
         [](T& b, const QVariant& v) { b.SetAutoSizeFont(v.toBool()); }},
        {"BarCodeType", TraDataType::daEnum, "TppBarCodeType", [](T& b) { return QVariant(int(b.BarCodeType())); },
         [](T& b, const QVariant& v) { b.SetBarCodeType(TppBarCodeType(v.toInt())); }},
        {"BarColor", TraDataType::daInteger, "", [](T& b) { return QVariant(int(b.BarColor())); },
         [](T& b, const QVariant& v) { b.SetBarColor(paint::TColor(v.toInt())); }},
        {"BarWidth", TraDataType::daSingle, "", [](T& b) { return QVariant(b.BarWidth()); },
         [](T& b, const QVariant& v) { b.SetBarWidth(v.toFloat()); }},
        {"BearerBars", TraDataType::daBoolean, "", [](T& b) { return QVariant(b.BearerBars()); },
         [](T& b, const QVariant& v) { b.SetBearerBars(v.toBool()); }},
        {"CalcCheckDigit", TraDataType::daBoolean, "", [](T& b) { return QVariant(b.CalcCheckDigit()); },
         [](T& b, const QVariant& v) { b.SetCalcCheckDigit(v.toBool()); }},
        {"Data", TraDataType::daString, "", [](T& b) { return QVariant(b.Data()); },
         [](T& b, const QVariant& v) { b.SetData(v.toString()); }},
        {"Orientation", TraDataType::daEnum, "TppBarCodeOrientation", [](T& b) { return QVariant(int(b.Orientation())); },
         [](T& b, const QVariant& v) { b.SetOrientation(TppBarCodeOrientation(v.toInt())); }},
        {"PrintHumanReadable", TraDataType::daBoolean, "", [](T& b) { return QVariant(b.PrintHumanReadable()); },
         [](T& b, const QVariant& v) { b.SetPrintHumanReadable(v.toBool()); }},
        {"WideBarRatio", TraDataType::daSingle, "", [](T& b) { return QVariant(b.WideBarRatio()); },
         [](T& b, const QVariant& v) { b.SetWideBarRatio(v.toFloat()); }},
    };
    return list;
}

const Name* find(const QString& aName) {
    for (const Name& n : names())
        if (is(aName, n.name)) return &n;
    return nullptr;
}

}  // namespace

void TraTppBarCodeRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppComponentRTTI::GetPropList(aClass, aPropList);
    for (const Name& n : names()) aPropList.AddProp(QString::fromLatin1(n.name));
}

bool TraTppBarCodeRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const Name* n = find(aName)) {
        const QString name = QString::fromLatin1(n->name);
        if (n->type == TraDataType::daEnum) EnumPropToRec(name, QString::fromLatin1(n->typeName), false, aPropRec);
        else PropToRec(name, n->type, false, aPropRec);
        return true;
    }
    return TraTppComponentRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppBarCodeRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* b = qobject_cast<TppCustomBarCode*>(aObject);
    if (const Name* n = b ? find(aName) : nullptr) {
        aValue = n->get(*b);
        return true;
    }
    return TraTppComponentRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppBarCodeRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* b = qobject_cast<TppCustomBarCode*>(aObject);
    if (const Name* n = b ? find(aName) : nullptr) {
        n->set(*b, aValue);
        return true;
    }
    return TraTppComponentRTTI::SetPropValue(aObject, aName, aValue);
}

namespace report {

void RegisterBarCodeAdapters() {
    RegisterPrintableAdapters();
    raRegisterRTTI<TraTppBarCodeRTTI>();
}

void UnRegisterBarCodeAdapters() {
    raUnRegisterRTTI(RTTIInstance<TraTppBarCodeRTTI>());
    UnRegisterPrintableAdapters();
}

}  // namespace report
