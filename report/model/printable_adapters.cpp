#include "report/model/printable_adapters.h"

#include <functional>

namespace {

bool is(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

using Getter = std::function<QVariant(TppPrintable&)>;
using Setter = std::function<void(TppPrintable&, const QVariant&)>;

struct Name {
    const char* name;
    TraDataType type;
    const char* typeName;  ///< enumerated type, or the class of a daClass name
    Getter get;
    Setter set;  ///< empty: read-only
};

QVariant obj(QObject* o) { return QVariant::fromValue(o); }

const std::vector<Name>& names() {
    using T = TppPrintable;
    static const std::vector<Name> list = {
        {"Alignment", TraDataType::daEnum, "TAlignment", [](T& p) { return QVariant(int(p.Alignment())); },
         [](T& p, const QVariant& v) { p.SetAlignment(TAlignment(v.toInt())); }},
        {"AutoSize", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.AutoSize()); },
         [](T& p, const QVariant& v) { p.SetAutoSize(v.toBool()); }},
        {"Caption", TraDataType::daString, "", [](T& p) { return QVariant(p.GetCaption()); },
         [](T& p, const QVariant& v) { p.SetCaption(v.toString()); }},
        {"DataField", TraDataType::daString, "", [](T& p) { return QVariant(p.DataField()); },
         [](T& p, const QVariant& v) { p.SetDataField(v.toString()); }},
        {"DataPipeline", TraDataType::daClass, "TppDataPipeline", [](T& p) { return obj(p.DataPipeline()); },
         [](T& p, const QVariant& v) { p.SetDataPipeline(qobject_cast<TppDataPipeline*>(v.value<QObject*>())); }},
        {"DefaultPropHint", TraDataType::daString, "", [](T& p) { return QVariant(p.GetDefaultPropHint()); }, {}},
        {"DefaultPropName", TraDataType::daString, "", [](T& p) { return QVariant(p.DefaultPropName()); }, {}},
        {"DefaultPropEditType", TraDataType::daEnum, "TppPropEditType", [](T& p) { return QVariant(p.DefaultPropEditType()); }, {}},
        {"Description", TraDataType::daString, "", [](T& p) { return QVariant(p.GetDescription()); }, {}},
        {"DesignControl", TraDataType::daClass, "TObject", [](T& p) { return obj(p.DesignControl()); },
         [](T&, const QVariant&) {}},
        {"DrawComponent", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.DrawComponent()); }, {}},
        {"Font", TraDataType::daClass, "TppFont", [](T& p) { return obj(p.Font()); },
         [](T& p, const QVariant& v) { p.SetFont(qobject_cast<TppFont*>(v.value<QObject*>())); }},
        {"GenerationComplete", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.GenerationComplete()); }, {}},
        {"Height", TraDataType::daSingle, "", [](T& p) { return QVariant(p.Height()); },
         [](T& p, const QVariant& v) { p.SetHeight(v.toFloat()); }},
        {"Left", TraDataType::daSingle, "", [](T& p) { return QVariant(p.Left()); },
         [](T& p, const QVariant& v) { p.SetLeft(v.toFloat()); }},
        {"Top", TraDataType::daSingle, "", [](T& p) { return QVariant(p.Top()); },
         [](T& p, const QVariant& v) { p.SetTop(v.toFloat()); }},
        {"Width", TraDataType::daSingle, "", [](T& p) { return QVariant(p.Width()); },
         [](T& p, const QVariant& v) { p.SetWidth(v.toFloat()); }},
        {"LookupPipeline", TraDataType::daBoolean, "", [](T&) { return QVariant(false); }, {}},
        {"mmLeft", TraDataType::daInteger, "", [](T& p) { return QVariant(p.mmLeft()); }, {}},
        {"mmHeight", TraDataType::daInteger, "", [](T& p) { return QVariant(p.mmHeight()); }, {}},
        {"mmTop", TraDataType::daInteger, "", [](T& p) { return QVariant(p.mmTop()); }, {}},
        {"mmWidth", TraDataType::daInteger, "", [](T& p) { return QVariant(p.mmWidth()); }, {}},
        {"OutOfSpace", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.OutOfSpace()); }, {}},
        {"OverFlow", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.OverFlow()); }, {}},
        {"ParentHeight", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.ParentHeight()); },
         [](T& p, const QVariant& v) { p.SetParentHeight(v.toBool()); }},
        {"ParentWidth", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.ParentWidth()); },
         [](T& p, const QVariant& v) { p.SetParentWidth(v.toBool()); }},
        {"ReprintOnOverFlow", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.ReprintOnOverFlow()); },
         [](T& p, const QVariant& v) { p.SetReprintOnOverFlow(v.toBool()); }},
        {"ResetOnCompute", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.ResetOnCompute()); }, {}},
        {"SelectionObject", TraDataType::daClass, "TComponent", [](T&) { return obj(nullptr); }, {}},
        {"ShiftWithParent", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.ShiftWithParent()); },
         [](T& p, const QVariant& v) { p.SetShiftWithParent(v.toBool()); }},
        {"SpaceUsed", TraDataType::daInteger, "", [](T& p) { return QVariant(p.SpaceUsed()); }, {}},
        {"spLeft", TraDataType::daInteger, "", [](T& p) { return QVariant(p.spLeft()); },
         [](T& p, const QVariant& v) { p.SetspLeft(v.toInt()); }},
        {"spHeight", TraDataType::daInteger, "", [](T& p) { return QVariant(p.spHeight()); },
         [](T& p, const QVariant& v) { p.SetspHeight(v.toInt()); }},
        {"spTop", TraDataType::daInteger, "", [](T& p) { return QVariant(p.spTop()); },
         [](T& p, const QVariant& v) { p.SetspTop(v.toInt()); }},
        {"spWidth", TraDataType::daInteger, "", [](T& p) { return QVariant(p.spWidth()); },
         [](T& p, const QVariant& v) { p.SetspWidth(v.toInt()); }},
        {"StretchWithParent", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.StretchWithParent()); },
         [](T& p, const QVariant& v) { p.SetStretchWithParent(v.toBool()); }},
        {"Text", TraDataType::daString, "", [](T& p) { return QVariant(p.GetText()); },
         [](T& p, const QVariant& v) { p.SetText(v.toString()); }},
        {"Units", TraDataType::daEnum, "TppUnitType", [](T& p) { return QVariant(int(p.Units())); },
         [](T& p, const QVariant& v) { p.SetUnits(TppUnitType(v.toInt())); }},
        {"Visible", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.Visible()); },
         [](T& p, const QVariant& v) { p.SetVisible(v.toBool()); }},
        {"WordWrap", TraDataType::daBoolean, "", [](T& p) { return QVariant(p.WordWrap()); },
         [](T& p, const QVariant& v) { p.SetWordWrap(v.toBool()); }},
        {"ZOrder", TraDataType::daInteger, "", [](T& p) { return QVariant(p.ZOrder()); }, {}},
    };
    return list;
}

const Name* find(const QString& aName) {
    for (const Name& n : names())
        if (is(aName, n.name)) return &n;
    return nullptr;
}

TClass classNamed(const char* name) {
    if (is(name, "TppDataPipeline")) return &TppDataPipeline::staticMetaObject;
    if (is(name, "TppFont")) return &TppFont::staticMetaObject;
    if (is(name, "TComponent")) return &TComponent::staticMetaObject;
    return &QObject::staticMetaObject;
}

}  // namespace

void TraTppCacheableRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppRelativeRTTI::GetPropList(aClass, aPropList);
    aPropList.AddProp(QStringLiteral("CacheRecordSize"));
}

bool TraTppCacheableRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (is(aName, "CacheRecordSize")) {
        PropToRec(QStringLiteral("CacheRecordSize"), TraDataType::daInteger, true, aPropRec);
        return true;
    }
    return TraTppRelativeRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppCacheableRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* c = qobject_cast<TppCacheable*>(aObject);
    if (c && is(aName, "CacheRecordSize")) {
        aValue = c->CacheRecordSize();
        return true;
    }
    return TraTppRelativeRTTI::GetPropValue(aObject, aName, aValue);
}

void TraTppPrintableRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppCacheableRTTI::GetPropList(aClass, aPropList);
    for (const Name& n : names()) aPropList.AddProp(QString::fromLatin1(n.name));
}

void TraTppPrintableRTTI::GetEventList(TClass aClass, TraPropList& aPropList) const {
    TraTppCacheableRTTI::GetEventList(aClass, aPropList);
    aPropList.AddProp(QStringLiteral("OnPrint"));
}

bool TraTppPrintableRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (is(aName, "OnPrint")) {
        EventToRec(QStringLiteral("OnPrint"), report::ciPrintableOnPrint, true, aPropRec);
        return true;
    }
    if (const Name* n = find(aName)) {
        const QString name = QString::fromLatin1(n->name);
        const bool readOnly = !n->set;
        if (n->type == TraDataType::daClass) ClassPropToRec(name, classNamed(n->typeName), readOnly, aPropRec);
        else if (n->type == TraDataType::daEnum) EnumPropToRec(name, QString::fromLatin1(n->typeName), readOnly, aPropRec);
        else PropToRec(name, n->type, readOnly, aPropRec);
        return true;
    }
    return TraTppCacheableRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppPrintableRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* p = qobject_cast<TppPrintable*>(aObject);
    if (const Name* n = p ? find(aName) : nullptr) {
        aValue = n->get(*p);
        return true;
    }
    return TraTppCacheableRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppPrintableRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* p = qobject_cast<TppPrintable*>(aObject);
    if (const Name* n = p ? find(aName) : nullptr) {
        if (!n->set) return false;
        n->set(*p, aValue);
        return true;
    }
    return TraTppCacheableRTTI::SetPropValue(aObject, aName, aValue);
}

namespace report {

void RegisterPrintableAdapters() {
    RegisterRelativeAdapters();
    raRegisterRTTI<TraTppCacheableRTTI>();
    raRegisterRTTI<TraTppPrintableRTTI>();
}

void UnRegisterPrintableAdapters() {
    raUnRegisterRTTI(RTTIInstance<TraTppPrintableRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppCacheableRTTI>());
    UnRegisterRelativeAdapters();
}

}  // namespace report
