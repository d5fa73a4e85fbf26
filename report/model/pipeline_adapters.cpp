#include "report/model/pipeline_adapters.h"

#include <functional>
#include <vector>

namespace {

bool is(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

template <class T>
struct Name {
    const char* name;
    TraDataType type;
    TClass classType;      ///< daClass
    const char* typeName;  ///< daEnum
    std::function<QVariant(T&)> get;
    std::function<void(T&, const QVariant&)> set;  ///< empty: read-only
};

QVariant obj(QObject* o) { return QVariant::fromValue(o); }

const std::vector<Name<TppDataPipeline>>& pipelineNames() {
    using T = TppDataPipeline;
    using D = TraDataType;
    static const std::vector<Name<T>> list = {
        {"Active", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.GetActive()); }, {}},
        {"BOF", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.GetBOF()); }, {}},
        {"EOF", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.GetEOF()); }, {}},
        {"DataTraversed", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.DataTraversed()); }, {}},
        {"DataView", D::daClass, &TppRelative::staticMetaObject, "", [](T& p) { return obj(p.DataView()); }, {}},
        {"SkipWhenNoRecords", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.SkipWhenNoRecords()); },
         [](T& p, const QVariant& v) { p.SetSkipWhenNoRecords(v.toBool()); }},
        {"TraversalCount", D::daInteger, nullptr, "", [](T& p) { return QVariant(p.TraversalCount()); }, {}},
        {"Visible", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.Visible()); },
         [](T& p, const QVariant& v) { p.SetVisible(v.toBool()); }},
        {"CurrentField", D::daClass, &TppField::staticMetaObject, "", [](T& p) { return obj(p.GetCurrentField()); }, {}},
        {"FieldCount", D::daInteger, nullptr, "", [](T& p) { return QVariant(p.GetFieldCount()); }, {}},
        {"MasterDataPipeline", D::daClass, &TppDataPipeline::staticMetaObject, "",
         [](T& p) { return obj(p.MasterDataPipeline()); },
         [](T& p, const QVariant& v) { p.SetMasterDataPipeline(qobject_cast<TppDataPipeline*>(v.value<QObject*>())); }},
        {"MasterFieldLinkCount", D::daInteger, nullptr, "", [](T& p) { return QVariant(p.GetMasterFieldLinkCount()); }, {}},
    };
    return list;
}

const std::vector<Name<TppDBPipeline>>& dbPipelineNames() {
    using T = TppDBPipeline;
    using D = TraDataType;
    static const std::vector<Name<T>> list = {
        {"AutoCreateFields", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.GetAutoCreateFields()); },
         [](T& p, const QVariant& v) { p.SetAutoCreateFields(v.toBool()); }},
        {"OpenDataSource", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.OpenDataSource()); },
         [](T& p, const QVariant& v) { p.SetOpenDataSource(v.toBool()); }},
        {"CloseDataSource", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.CloseDataSource()); },
         [](T& p, const QVariant& v) { p.SetCloseDataSource(v.toBool()); }},
        {"RefreshAfterPost", D::daBoolean, nullptr, "", [](T& p) { return QVariant(p.RefreshAfterPost()); },
         [](T& p, const QVariant& v) { p.SetRefreshAfterPost(v.toBool()); }},
        {"MoveBy", D::daInteger, nullptr, "", [](T& p) { return QVariant(p.MoveBy()); },
         [](T& p, const QVariant& v) { p.SetMoveBy(v.toInt()); }},
        {"RangeEndCount", D::daInteger, nullptr, "", [](T& p) { return QVariant(p.RangeEndCount()); },
         [](T& p, const QVariant& v) { p.SetRangeEndCount(v.toInt()); }},
        {"RangeBegin", D::daEnum, nullptr, "TppRangeBeginType", [](T& p) { return QVariant(int(p.RangeBegin())); },
         [](T& p, const QVariant& v) { p.SetRangeBegin(TppRangeBeginType(v.toInt())); }},
        {"RangeEnd", D::daEnum, nullptr, "TppRangeEndType", [](T& p) { return QVariant(int(p.RangeEnd())); },
         [](T& p, const QVariant& v) { p.SetRangeEnd(TppRangeEndType(v.toInt())); }},
        {"DataSource", D::daClass, &db::DataSource::staticMetaObject, "", [](T& p) { return obj(p.DataSource()); },
         [](T& p, const QVariant& v) { p.SetDataSource(qobject_cast<db::DataSource*>(v.value<QObject*>())); }},
    };
    return list;
}

template <class T>
const Name<T>* find(const std::vector<Name<T>>& list, const QString& aName) {
    for (const Name<T>& n : list)
        if (is(aName, n.name)) return &n;
    return nullptr;
}

template <class T>
void toRec(const Name<T>& n, TraPropRec& aPropRec) {
    const QString name = QString::fromLatin1(n.name);
    const bool readOnly = !n.set;
    if (n.type == TraDataType::daClass) TraRTTI::ClassPropToRec(name, n.classType, readOnly, aPropRec);
    else if (n.type == TraDataType::daEnum) TraRTTI::EnumPropToRec(name, QString::fromLatin1(n.typeName), readOnly, aPropRec);
    else TraRTTI::PropToRec(name, n.type, readOnly, aPropRec);
}

struct EventName {
    const char* name;
    int id;
};

const EventName kEvents[] = {
    {"OnClose", report::ciPipelineClose},
    {"OnDataChange", report::ciPipelineDataChange},
    {"OnFirst", report::ciPipelineFirst},
    {"OnGotoBookmark", report::ciPipelineGotoBookmark},
    {"OnLast", report::ciPipelineLast},
    {"OnMasterRecordPositionChange", report::ciPipelineMasterRecordPositionChange},
    {"OnNext", report::ciPipelineNext},
    {"OnOpen", report::ciPipelineOpen},
    {"OnPrior", report::ciPipelinePrior},
    {"OnRecordPositionChange", report::ciPipelineRecordPositionChange},
    {"OnTraversal", report::ciPipelineTraversal},
};

const char* const kArrays[] = {"FieldValues", "Fields", "MasterFieldLinkItems"};

QVariant param(const TraParamList& params, int index) {
    if (index >= params.Count() || !params.Param(index).Value) return {};
    return *params.Param(index).Value;
}

}  // namespace

void TraTppDataPipelineRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppCacheableRTTI::GetPropList(aClass, aPropList);
    for (const auto& n : pipelineNames()) aPropList.AddProp(QString::fromLatin1(n.name));
    for (const char* a : kArrays) aPropList.AddProp(QString::fromLatin1(a));
}

void TraTppDataPipelineRTTI::GetEventList(TClass aClass, TraPropList& aPropList) const {
    TraTppCacheableRTTI::GetEventList(aClass, aPropList);
    for (const EventName& e : kEvents) aPropList.AddProp(QString::fromLatin1(e.name));
}

bool TraTppDataPipelineRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    for (const EventName& e : kEvents)
        if (is(aName, e.name)) {
            EventToRec(QString::fromLatin1(e.name), e.id, true, aPropRec);
            return true;
        }
    for (const char* a : kArrays)
        if (is(aName, a)) {
            ArrayPropToRec(QString::fromLatin1(a), aPropRec);
            return true;
        }
    if (const auto* n = find(pipelineNames(), aName)) {
        toRec(*n, aPropRec);
        return true;
    }
    return TraTppCacheableRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTppDataPipelineRTTI::GetParams(const QString& aName) const {
    auto params = std::make_unique<TraParamList>();
    if (is(aName, "FieldValues")) {
        params->AddParam(QStringLiteral("FieldAlias"), TraDataType::daString, nullptr, QString(), true, false);
        params->AddParam(QStringLiteral("Result"), TraDataType::daVariant, nullptr, QString(), false, false);
        return params;
    }
    if (is(aName, "Fields")) {
        params->AddParam(QStringLiteral("Index"), TraDataType::daInteger, nullptr, QString(), true, false);
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, &TppField::staticMetaObject, QString(), false,
                         false);
        return params;
    }
    if (is(aName, "MasterFieldLinkItems")) {
        params->AddParam(QStringLiteral("Index"), TraDataType::daInteger, nullptr, QString(), true, false);
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, &TppMasterFieldLink::staticMetaObject, QString(),
                         false, false);
        return params;
    }
    // Events carry no parameters.
    for (const EventName& e : kEvents)
        if (is(aName, e.name)) return nullptr;
    return TraTppCacheableRTTI::GetParams(aName);
}

bool TraTppDataPipelineRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* p = qobject_cast<TppDataPipeline*>(aObject);
    if (p && aGet) {
        if (is(aName, "FieldValues")) {
            if (aParams.Count() > 1) aParams.SetParamValue(1, p->FieldValues(param(aParams, 0).toString()));
            return true;
        }
        if (is(aName, "Fields")) {
            if (aParams.Count() > 1) aParams.SetParamValue(1, obj(p->GetField(param(aParams, 0).toInt())));
            return true;
        }
        if (is(aName, "MasterFieldLinkItems")) {
            if (aParams.Count() > 1) aParams.SetParamValue(1, obj(p->GetMasterFieldLink(param(aParams, 0).toInt())));
            return true;
        }
    }
    return TraTppCacheableRTTI::CallMethod(aObject, aName, aGet, aParams);
}

bool TraTppDataPipelineRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* p = qobject_cast<TppDataPipeline*>(aObject);
    if (const auto* n = p ? find(pipelineNames(), aName) : nullptr) {
        aValue = n->get(*p);
        return true;
    }
    return TraTppCacheableRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppDataPipelineRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* p = qobject_cast<TppDataPipeline*>(aObject);
    if (const auto* n = p ? find(pipelineNames(), aName) : nullptr) {
        if (!n->set) return false;
        n->set(*p, aValue);
        return true;
    }
    return TraTppCacheableRTTI::SetPropValue(aObject, aName, aValue);
}

void TraTppDBPipelineRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppDataPipelineRTTI::GetPropList(aClass, aPropList);
    for (const auto& n : dbPipelineNames()) aPropList.AddProp(QString::fromLatin1(n.name));
}

bool TraTppDBPipelineRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const auto* n = find(dbPipelineNames(), aName)) {
        toRec(*n, aPropRec);
        return true;
    }
    return TraTppDataPipelineRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppDBPipelineRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* p = qobject_cast<TppDBPipeline*>(aObject);
    if (const auto* n = p ? find(dbPipelineNames(), aName) : nullptr) {
        aValue = n->get(*p);
        return true;
    }
    return TraTppDataPipelineRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppDBPipelineRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* p = qobject_cast<TppDBPipeline*>(aObject);
    if (const auto* n = p ? find(dbPipelineNames(), aName) : nullptr) {
        n->set(*p, aValue);
        return true;
    }
    return TraTppDataPipelineRTTI::SetPropValue(aObject, aName, aValue);
}

namespace report {

void RegisterPipelineAdapters() {
    raRegisterRTTI<TraTppDataPipelineRTTI>();
    raRegisterRTTI<TraTppDBPipelineRTTI>();
}

void UnRegisterPipelineAdapters() {
    raUnRegisterRTTI(RTTIInstance<TraTppDBPipelineRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppDataPipelineRTTI>());
}

}  // namespace report
