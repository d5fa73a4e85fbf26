#include "report/crosstab/crosstab_adapters.h"

#include "report/crosstab/crosstab_engine.h"

#include "report/script/errors.h"

#include <functional>
#include <vector>

namespace {

bool is(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

QVariant obj(QObject* o) {
    return QVariant::fromValue(o);
}

using D = TraDataType;

/// A property: its kind, class or enumerated type, reader and writer (none: read-only).
template <class T>
struct Prop {
    const char* name;
    TraDataType type;
    TClass classType;
    const char* typeName;
    std::function<QVariant(T&)> get;
    std::function<void(T&, const QVariant&)> set;
};

/// One parameter of a method, array or event.
struct Param {
    const char* name;
    TraDataType type;
    TClass classType;
    const char* typeName;
    bool isConst;
    bool isVar;
};

/// A method, array property or event: its parameters (a function's result last) and, for
/// methods and arrays, what a call does.
template <class T>
struct Member {
    const char* name;
    int eventId;  ///< -1 for methods and arrays
    bool isArray;
    std::vector<Param> params;
    std::function<void(T&, TraParamList&)> call;
};

template <class L>
const auto* find(const L& list, const QString& aName) {
    for (const auto& n : list)
        if (is(aName, n.name)) return &n;
    return static_cast<const typename L::value_type*>(nullptr);
}

template <class T>
void propToRec(const Prop<T>& n, TraPropRec& aPropRec) {
    const QString name = QString::fromLatin1(n.name);
    const bool readOnly = !n.set;
    if (n.type == D::daClass) TraRTTI::ClassPropToRec(name, n.classType, readOnly, aPropRec);
    else if (n.type == D::daEnum) TraRTTI::EnumPropToRec(name, QString::fromLatin1(n.typeName), readOnly, aPropRec);
    else TraRTTI::PropToRec(name, n.type, readOnly, aPropRec);
}

template <class T>
std::unique_ptr<TraParamList> paramsOf(const Member<T>& m) {
    auto params = std::make_unique<TraParamList>();
    for (const Param& p : m.params)
        params->AddParam(QString::fromLatin1(p.name), p.type, p.classType, QString::fromLatin1(p.typeName), p.isConst,
                         p.isVar);
    return params;
}

QVariant arg(const TraParamList& params, int index) {
    if (index >= params.Count() || !params.Param(index).Value) return {};
    return *params.Param(index).Value;
}

void result(TraParamList& params, const QVariant& value) {
    if (params.Count() > 0) params.SetParamValue(params.Count() - 1, value);
}

/// The list-index failure of the class library.
void checkIndex(int aIndex, int aCount) {
    if (aIndex < 0 || aIndex >= aCount) throw EScriptRunError(QStringLiteral("List index out of bounds (%1)").arg(aIndex));
}

const Param kSender{"Sender", D::daClass, &QObject::staticMetaObject, "", false, false};
Param element() {
    return {"aElement", D::daClass, &TppElement::staticMetaObject, "", false, false};
}
Param dimension() {
    return {"aDimension", D::daClass, &TppDimension::staticMetaObject, "", false, false};
}
Param integer(const char* name) {
    return {name, D::daInteger, nullptr, "", false, false};
}
Param index() {
    return {"Index", D::daInteger, nullptr, "", false, false};
}
Param resultOf(TClass aClass) {
    return {"Result", D::daClass, aClass, "", false, false};
}
Param resultOf(TraDataType aType, const char* aTypeName = "") {
    return {"Result", aType, nullptr, aTypeName, false, false};
}

// The cross-tab ---------------------------------------------------------------------------------

const std::vector<Prop<TppCrossTab>>& crossTabProps() {
    using T = TppCrossTab;
    static const std::vector<Prop<T>> list = {
        {"Calculating", D::daBoolean, nullptr, "", [](T& x) { return QVariant(x.Calculating()); }, {}},
        {"ColumnDefCount", D::daInteger, nullptr, "", [](T& x) { return QVariant(x.ColumnDefCount()); }, {}},
        {"ColumnGrandTotalCount", D::daInteger, nullptr, "", [](T& x) { return QVariant(x.ColumnGrandTotalCount()); }, {}},
        {"Matrix", D::daClass, &TppMatrix::staticMetaObject, "", [](T& x) { return obj(x.Matrix()); }, {}},
        {"Modified", D::daBoolean, nullptr, "", [](T& x) { return QVariant(x.Modified()); }, {}},
        {"RowDefCount", D::daInteger, nullptr, "", [](T& x) { return QVariant(x.RowDefCount()); }, {}},
        {"RowGrandTotalCount", D::daInteger, nullptr, "", [](T& x) { return QVariant(x.RowGrandTotalCount()); }, {}},
        {"ValueDefCount", D::daInteger, nullptr, "", [](T& x) { return QVariant(x.ValueDefCount()); }, {}},
        {"Draw", D::daBoolean, nullptr, "", [](T& x) { return QVariant(x.Draw()); },
         [](T& x, const QVariant& v) { x.SetDraw(v.toBool()); }},
        {"GridLines", D::daBoolean, nullptr, "", [](T& x) { return QVariant(x.GridLines()); },
         [](T& x, const QVariant& v) { x.SetGridLines(v.toBool()); }},
        {"Pagination", D::daEnum, nullptr, "TppCrossTabPaginationType", [](T& x) { return QVariant(int(x.Pagination())); },
         [](T& x, const QVariant& v) { x.SetPagination(TppCrossTabPaginationType(v.toInt())); }},
        {"Style", D::daString, nullptr, "", [](T& x) { return QVariant(x.Style()); },
         [](T& x, const QVariant& v) { x.SetStyle(v.toString()); }},
    };
    return list;
}

const std::vector<Member<TppCrossTab>>& crossTabMembers() {
    using T = TppCrossTab;
    const Param text{"aText", D::daString, nullptr, "", false, true};
    const std::vector<Param> textParams = {element(), integer("aColumn"), integer("aRow"),
                                           {"aDisplayFormat", D::daString, nullptr, "", true, false},
                                           {"aValue", D::daVariant, nullptr, "", false, false}, text};
    const auto array = [](const char* name, TClass cls, std::function<QObject*(T&, int)> at,
                          std::function<int(T&)> count) {
        return Member<T>{name, -1, true, {index(), resultOf(cls)}, [at, count](T& x, TraParamList& p) {
                             const int i = arg(p, 0).toInt();
                             checkIndex(i, count(x));
                             result(p, obj(at(x, i)));
                         }};
    };
    static const std::vector<Member<T>> list = {
        {"OnCalcDimensionValue", 54, false, {dimension(), {"aValue", D::daVariant, nullptr, "", false, true}}, {}},
        {"OnFormatCell", 55, false, {element(), integer("aColumn"), integer("aRow")}, {}},
        {"OnGetCaptionText", 56, false, textParams, {}},
        {"OnGetDimensionName", 57, false, {dimension(), {"aName", D::daString, nullptr, "", false, true}}, {}},
        {"OnGetDimensionCaption", 58, false, {dimension(), {"aCaption", D::daString, nullptr, "", false, true}}, {}},
        {"OnGetDimensionValue", 59, false,
         {dimension(), {"aValue", D::daVariant, nullptr, "", false, true}, {"aSkip", D::daBoolean, nullptr, "", false, true}},
         {}},
        {"OnGetTotalCaptionText", 60, false, {element(), integer("aColumn"), integer("aRow"), text}, {}},
        {"OnGetTotalValueText", 61, false, textParams, {}},
        {"OnGetValueText", 62, false, textParams, {}},
        {"OnTraverseRecord", 63, false,
         {{"aDataPipeline", D::daClass, &TppDataPipeline::staticMetaObject, "", false, false},
          {"aSkipRecord", D::daBoolean, nullptr, "", false, true}},
         {}},
        array("ColumnDefs", &TppColumnDef::staticMetaObject, [](T& x, int i) { return x.ColumnDefs(i); },
              [](T& x) { return x.ColumnDefCount(); }),
        array("ColumnGrandTotals", &TppGrandTotal::staticMetaObject, [](T& x, int i) { return x.ColumnGrandTotals(i); },
              [](T& x) { return x.ColumnGrandTotalCount(); }),
        array("RowDefs", &TppRowDef::staticMetaObject, [](T& x, int i) { return x.RowDefs(i); },
              [](T& x) { return x.RowDefCount(); }),
        array("RowGrandTotals", &TppGrandTotal::staticMetaObject, [](T& x, int i) { return x.RowGrandTotals(i); },
              [](T& x) { return x.RowGrandTotalCount(); }),
        array("ValueDefs", &TppValueDef::staticMetaObject, [](T& x, int i) { return x.ValueDefs(i); },
              [](T& x) { return x.ValueDefCount(); }),
    };
    return list;
}

const char* const kNotifyEvents[] = {"AfterCalc", "BeforeCalc"};

}  // namespace

void TraTppCrossTabRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppPrintableRTTI::GetPropList(aClass, aPropList);
}

void TraTppCrossTabRTTI::GetEventList(TClass aClass, TraPropList& aPropList) const {
    TraTppPrintableRTTI::GetEventList(aClass, aPropList);
    for (const char* e : kNotifyEvents) aPropList.AddProp(QString::fromLatin1(e));
    for (const auto& m : crossTabMembers())
        if (m.eventId >= 0) aPropList.AddProp(QString::fromLatin1(m.name));
}

bool TraTppCrossTabRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const auto* m = find(crossTabMembers(), aName)) {
        if (m->eventId >= 0) EventToRec(QString::fromLatin1(m->name), m->eventId, true, aPropRec);
        else ArrayPropToRec(QString::fromLatin1(m->name), aPropRec);
        return true;
    }
    for (const char* e : kNotifyEvents)
        if (is(aName, e)) {
            EventToRec(QString::fromLatin1(e), is(aName, "BeforeCalc") ? 64 : 65, true, aPropRec);
            return true;
        }
    if (const auto* p = find(crossTabProps(), aName)) {
        propToRec(*p, aPropRec);
        return true;
    }
    return TraTppPrintableRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTppCrossTabRTTI::GetParams(const QString& aName) const {
    if (const auto* m = find(crossTabMembers(), aName)) return paramsOf(*m);
    for (const char* e : kNotifyEvents)
        if (is(aName, e)) return std::make_unique<TraParamList>();
    return TraTComponentRTTI::GetParams(aName);
}

bool TraTppCrossTabRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* x = qobject_cast<TppCrossTab*>(aObject);
    if (const auto* m = x ? find(crossTabMembers(), aName) : nullptr; m && m->call) {
        m->call(*x, aParams);  // the arrays read whichever direction is asked
        return true;
    }
    return TraTComponentRTTI::CallMethod(aObject, aName, aGet, aParams);
}

bool TraTppCrossTabRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* x = qobject_cast<TppCrossTab*>(aObject);
    if (const auto* p = x ? find(crossTabProps(), aName) : nullptr) {
        aValue = p->get(*x);
        return true;
    }
    return TraTppPrintableRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppCrossTabRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* x = qobject_cast<TppCrossTab*>(aObject);
    if (const auto* p = x ? find(crossTabProps(), aName) : nullptr) {
        if (!p->set) return false;
        p->set(*x, aValue);
        return true;
    }
    return TraTppPrintableRTTI::SetPropValue(aObject, aName, aValue);
}

// Elements ----------------------------------------------------------------------------------------

namespace {

const std::vector<Prop<TppElement>>& elementProps() {
    using T = TppElement;
    const auto field = [](const char* name, int T::*member) {
        return Prop<T>{name, D::daInteger, nullptr, "", [member](T& e) { return QVariant(e.*member); },
                       [member](T& e, const QVariant& v) { e.*member = v.toInt(); }};
    };
    static const std::vector<Prop<T>> list = {
        {"Alignment", D::daEnum, nullptr, "TAlignment", [](T& e) { return QVariant(int(e.Alignment())); },
         [](T& e, const QVariant& v) { e.SetAlignment(TAlignment(v.toInt())); }},
        {"Color", D::daInteger, nullptr, "", [](T& e) { return QVariant(int(e.Color())); },
         [](T& e, const QVariant& v) { e.SetColor(paint::TColor(v.toInt())); }},
        {"DisplayFormat", D::daString, nullptr, "", [](T& e) { return QVariant(e.DisplayFormat()); },
         [](T& e, const QVariant& v) { e.SetDisplayFormat(v.toString()); }},
        field("ElementIndex", &T::ElementIndex),
        {"Font", D::daClass, &TppFont::staticMetaObject, "", [](T& e) { return obj(e.Font()); },
         [](T& e, const QVariant& v) { e.SetFont(qobject_cast<TppFont*>(v.value<QObject*>())); }},
        field("Height", &T::Height),
        field("Left", &T::Left),
        field("Top", &T::Top),
        field("Width", &T::Width),
        field("TextHeight", &T::TextHeight),
        field("TextWidth", &T::TextWidth),
        {"Visible", D::daBoolean, nullptr, "", [](T& e) { return QVariant(e.Visible()); },
         [](T& e, const QVariant& v) { e.SetVisible(v.toBool()); }},
    };
    return list;
}

const std::vector<Member<TppElement>>& elementMembers() {
    using T = TppElement;
    static const std::vector<Member<T>> list = {
        {"GetName", -1, false, {resultOf(D::daString)}, [](T& e, TraParamList& p) { result(p, e.GetName()); }},
        {"GetDataType", -1, false, {resultOf(D::daEnum, "TppDataType")},
         [](T& e, TraParamList& p) { result(p, int(e.GetDataType())); }},
        {"GetDesignName", -1, false, {resultOf(D::daString)}, [](T& e, TraParamList& p) { result(p, e.GetDesignName()); }},
        {"HasDisplayFormat", -1, false, {resultOf(D::daBoolean)},
         [](T& e, TraParamList& p) { result(p, e.HasDisplayFormat()); }},
        {"Modified", -1, false, {}, [](T& e, TraParamList&) { e.Modified(); }},
    };
    return list;
}

}  // namespace

void TraTppElementRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTComponentRTTI::GetPropList(aClass, aPropList);
    for (const auto& p : elementProps()) aPropList.AddProp(QString::fromLatin1(p.name));
    for (const auto& m : elementMembers()) aPropList.AddMethod(QString::fromLatin1(m.name));
}

bool TraTppElementRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const auto* m = find(elementMembers(), aName)) {
        MethodToRec(QString::fromLatin1(m->name), true, aPropRec);
        return true;
    }
    if (const auto* p = find(elementProps(), aName)) {
        propToRec(*p, aPropRec);
        return true;
    }
    return TraTppRelativeRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTppElementRTTI::GetParams(const QString& aName) const {
    if (const auto* m = find(elementMembers(), aName)) return paramsOf(*m);
    return TraTComponentRTTI::GetParams(aName);
}

bool TraTppElementRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* e = qobject_cast<TppElement*>(aObject);
    if (const auto* m = e ? find(elementMembers(), aName) : nullptr) {
        m->call(*e, aParams);
        return true;
    }
    return TraTComponentRTTI::CallMethod(aObject, aName, aGet, aParams);
}

bool TraTppElementRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* e = qobject_cast<TppElement*>(aObject);
    if (const auto* p = e ? find(elementProps(), aName) : nullptr) {
        aValue = p->get(*e);
        return true;
    }
    return TraTppRelativeRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppElementRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* e = qobject_cast<TppElement*>(aObject);
    if (const auto* p = e ? find(elementProps(), aName) : nullptr) {
        if (!p->set) return false;
        p->set(*e, aValue);
        return true;
    }
    return TraTppRelativeRTTI::SetPropValue(aObject, aName, aValue);
}

// Dimensions --------------------------------------------------------------------------------------

namespace {

const std::vector<Prop<TppDimension>>& dimensionProps() {
    using T = TppDimension;
    static const std::vector<Prop<T>> list = {
        {"NullOrder", D::daEnum, nullptr, "TppNullOrderType", [](T& d) { return QVariant(int(d.NullOrder())); },
         [](T& d, const QVariant& v) { d.SetNullOrder(TppNullOrderType(v.toInt())); }},
        {"Skip", D::daBoolean, nullptr, "", [](T& d) { return QVariant(d.Skip()); }, {}},
        {"SkipNulls", D::daBoolean, nullptr, "", [](T& d) { return QVariant(d.SkipNulls()); },
         [](T& d, const QVariant& v) { d.SetSkipNulls(v.toBool()); }},
        {"SubTotalCount", D::daInteger, nullptr, "", [](T& d) { return QVariant(d.SubTotalCount()); }, {}},
        {"SortType", D::daEnum, nullptr, "TppSortOrderType", [](T& d) { return QVariant(int(d.SortType())); },
         [](T& d, const QVariant& v) { d.SetSortType(TppSortOrderType(v.toInt())); }},
    };
    return list;
}

const std::vector<Member<TppDimension>>& dimensionMembers() {
    using T = TppDimension;
    static const std::vector<Member<T>> list = {
        {"SubTotals", -1, true, {index(), resultOf(&TppSubTotal::staticMetaObject)},
         [](T& d, TraParamList& p) {
             const int i = arg(p, 0).toInt();
             checkIndex(i, d.SubTotalCount());
             result(p, obj(d.SubTotals(i)));
         }},
        {"Clear", -1, false, {}, [](T& d, TraParamList&) { d.Clear(); }},
        {"GetCaption", -1, false, {resultOf(D::daString)}, [](T& d, TraParamList& p) { result(p, d.GetCaption()); }},
        {"GetFieldDataType", -1, false, {resultOf(D::daEnum, "TppDataType")},
         [](T& d, TraParamList& p) { result(p, int(d.GetFieldDataType())); }},
        {"GetIndex", -1, false, {resultOf(D::daInteger)}, [](T& d, TraParamList& p) { result(p, d.GetIndex()); }},
        {"GetValue", -1, false, {resultOf(D::daVariant)}, [](T& d, TraParamList& p) { result(p, d.GetValue()); }},
        {"ShowSubTotals", -1, false, {{"aValue", D::daBoolean, nullptr, "", false, false}},
         [](T& d, TraParamList& p) { d.ShowSubTotals(arg(p, 0).toBool()); }},
    };
    return list;
}

}  // namespace

void TraTppDimensionRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppElementRTTI::GetPropList(aClass, aPropList);
    for (const auto& p : dimensionProps()) {
        aPropList.AddProp(QString::fromLatin1(p.name));
        if (is(QString::fromLatin1(p.name), "SubTotalCount")) aPropList.AddProp(QStringLiteral("SubTotals"));
    }
    for (const auto& m : dimensionMembers())
        if (!m.isArray) aPropList.AddMethod(QString::fromLatin1(m.name));
}

bool TraTppDimensionRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const auto* m = find(dimensionMembers(), aName)) {
        if (m->isArray) ArrayPropToRec(QString::fromLatin1(m->name), aPropRec);
        else MethodToRec(QString::fromLatin1(m->name), true, aPropRec);
        return true;
    }
    if (const auto* p = find(dimensionProps(), aName)) {
        propToRec(*p, aPropRec);
        return true;
    }
    return TraTppElementRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTppDimensionRTTI::GetParams(const QString& aName) const {
    if (const auto* m = find(dimensionMembers(), aName)) return paramsOf(*m);
    return TraTppElementRTTI::GetParams(aName);
}

bool TraTppDimensionRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* d = qobject_cast<TppDimension*>(aObject);
    if (const auto* m = d ? find(dimensionMembers(), aName) : nullptr) {
        m->call(*d, aParams);
        return true;
    }
    return TraTppElementRTTI::CallMethod(aObject, aName, aGet, aParams);
}

bool TraTppDimensionRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* d = qobject_cast<TppDimension*>(aObject);
    if (const auto* p = d ? find(dimensionProps(), aName) : nullptr) {
        aValue = p->get(*d);
        return true;
    }
    return TraTppElementRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppDimensionRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* d = qobject_cast<TppDimension*>(aObject);
    if (const auto* p = d ? find(dimensionProps(), aName) : nullptr) {
        if (!p->set) return false;
        p->set(*d, aValue);
        return true;
    }
    return TraTppElementRTTI::SetPropValue(aObject, aName, aValue);
}

// Value definitions and totals --------------------------------------------------------------------

void TraTppValueDefRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppDimensionRTTI::GetPropList(aClass, aPropList);
    aPropList.AddProp(QStringLiteral("CaptionDef"));
}

bool TraTppValueDefRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (is(aName, "CaptionDef")) {
        ClassPropToRec(QStringLiteral("CaptionDef"), &TppValueCaptionDef::staticMetaObject, true, aPropRec);
        return true;
    }
    return TraTppDimensionRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppValueDefRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* v = qobject_cast<TppValueDef*>(aObject);
    if (v && is(aName, "CaptionDef")) {
        aValue = obj(v->CaptionDef());
        return true;
    }
    return TraTppDimensionRTTI::GetPropValue(aObject, aName, aValue);
}

void TraTppTotalRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTComponentRTTI::GetPropList(aClass, aPropList);
    aPropList.AddProp(QStringLiteral("CaptionDef"));
    aPropList.AddProp(QStringLiteral("TotalDef"));
    aPropList.AddMethod(QStringLiteral("CrossTab"));
    aPropList.AddMethod(QStringLiteral("GetValueDef"));
}

bool TraTppTotalRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (is(aName, "CaptionDef")) {
        ClassPropToRec(QStringLiteral("CaptionDef"), &TppTotalCaptionDef::staticMetaObject, true, aPropRec);
        return true;
    }
    if (is(aName, "TotalDef")) {
        ClassPropToRec(QStringLiteral("TotalDef"), &TppTotalDef::staticMetaObject, true, aPropRec);
        return true;
    }
    if (is(aName, "CrossTab") || is(aName, "GetValueDef")) {
        MethodToRec(is(aName, "CrossTab") ? QStringLiteral("CrossTab") : QStringLiteral("GetValueDef"), true, aPropRec);
        return true;
    }
    return TraTppRelativeRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTppTotalRTTI::GetParams(const QString& aName) const {
    if (is(aName, "CrossTab") || is(aName, "GetValueDef")) {
        auto params = std::make_unique<TraParamList>();
        params->AddParam(QStringLiteral("Result"), D::daClass,
                         is(aName, "CrossTab") ? &TppCrossTab::staticMetaObject : &TppValueDef::staticMetaObject, QString(),
                         false, false);
        return params;
    }
    return TraTComponentRTTI::GetParams(aName);
}

bool TraTppTotalRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* t = qobject_cast<TppTotal*>(aObject);
    if (t && is(aName, "CrossTab")) {
        result(aParams, obj(t->CrossTab()));
        return true;
    }
    if (t && is(aName, "GetValueDef")) {
        result(aParams, obj(t->GetValueDef()));
        return true;
    }
    return TraTComponentRTTI::CallMethod(aObject, aName, aGet, aParams);
}

bool TraTppTotalRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* t = qobject_cast<TppTotal*>(aObject);
    if (t && is(aName, "CaptionDef")) {
        aValue = obj(t->CaptionDef());
        return true;
    }
    if (t && is(aName, "TotalDef")) {
        aValue = obj(t->TotalDef());
        return true;
    }
    return TraTppRelativeRTTI::GetPropValue(aObject, aName, aValue);
}
