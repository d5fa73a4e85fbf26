#include "report/model/report_adapters.h"

#include "report/model/band_classes.h"
#include "report/model/communicator.h"
#include "report/model/custom_report.h"
#include "report/model/group.h"
#include "report/model/stretchable.h"
#include "report/model/template_adapters.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"

namespace report {

namespace {

bool is(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

QVariant argument(TraParamList& aParams, int aIndex) {
    QVariant v;
    aParams.GetParamValue(aIndex, v);
    return v;
}

}  // namespace

TClass AdapterClassNamed(const char* aName) {
    if (!aName || !*aName) return nullptr;
    if (const TClass cls = GetClass(QString::fromLatin1(aName))) return cls;
    if (is(QString::fromLatin1(aName), "TppCustomReport")) return &TppCustomReport::staticMetaObject;
    if (is(QString::fromLatin1(aName), "TppBand")) return &TppBand::staticMetaObject;
    if (is(QString::fromLatin1(aName), "TppGroup")) return &TppGroup::staticMetaObject;
    if (is(QString::fromLatin1(aName), "TppComponent")) return &TppComponent::staticMetaObject;
    if (is(QString::fromLatin1(aName), "TppDataPipeline")) return &TppDataPipeline::staticMetaObject;
    return &QObject::staticMetaObject;
}

const AdapterMember* AdapterTable::Find(const QString& aName) const {
    for (const AdapterMember& m : m_members)
        if (is(aName, m.name)) return &m;
    return nullptr;
}

void AdapterTable::List(TraPropList& aList, bool aEvents) const {
    for (const AdapterMember& m : m_members) {
        if (!m.listed || (m.kind == AdapterMember::Event) != aEvents) continue;
        if (m.kind == AdapterMember::Method) aList.AddMethod(QString::fromLatin1(m.name));
        else aList.AddProp(QString::fromLatin1(m.name));
    }
}

std::unique_ptr<TraParamList> AdapterTable::Params(const QString& aName) const {
    const AdapterMember* m = Find(aName);
    if (!m || m->kind == AdapterMember::Property) return nullptr;
    auto list = std::make_unique<TraParamList>();
    for (const AdapterMember::Param& p : m->params)
        list->AddParam(QString::fromLatin1(p.name), p.type,
                       p.type == TraDataType::daClass ? AdapterClassNamed(p.typeName) : nullptr,
                       p.type == TraDataType::daEnum ? QString::fromLatin1(p.typeName) : QString(), false, p.isVar);
    return list;
}

bool AdapterTable::Describe(const TraRTTI& aRtti, const QString& aName, TraPropRec& aRec) const {
    const AdapterMember* m = Find(aName);
    if (!m) return false;
    const QString name = QString::fromLatin1(m->name);
    switch (m->kind) {
    case AdapterMember::Property:
        if (m->type == TraDataType::daClass) TraRTTI::ClassPropToRec(name, AdapterClassNamed(m->typeName), m->readOnly, aRec);
        else if (m->type == TraDataType::daEnum) TraRTTI::EnumPropToRec(name, QString::fromLatin1(m->typeName), m->readOnly, aRec);
        else TraRTTI::PropToRec(name, m->type, m->readOnly, aRec);
        break;
    case AdapterMember::Array:
        aRtti.ArrayPropToRec(name, aRec);
        aRec.ReadOnly = m->readOnly;
        break;
    case AdapterMember::Method:
        aRtti.MethodToRec(name, true, aRec);
        break;
    case AdapterMember::Event:
        aRtti.EventToRec(name, m->eventId, true, aRec);
        break;
    }
    return true;
}

bool AdapterTable::Get(QObject* aObject, const QString& aName, QVariant& aValue) const {
    const AdapterMember* m = Find(aName);
    if (!m || m->kind != AdapterMember::Property || !m->get || !aObject) return false;
    aValue = m->get(aObject);
    return true;
}

bool AdapterTable::Set(QObject* aObject, const QString& aName, const QVariant& aValue) const {
    const AdapterMember* m = Find(aName);
    if (!m || m->kind != AdapterMember::Property || !aObject) return false;
    if (m->set) m->set(aObject, aValue);
    return m->set != nullptr;
}

bool AdapterTable::Call(QObject* aObject, const QString& aName, TraParamList& aParams) const {
    const AdapterMember* m = Find(aName);
    if (!m || !m->call || !aObject || (m->kind != AdapterMember::Array && m->kind != AdapterMember::Method))
        return false;
    m->call(aObject, aParams);
    return true;
}

}  // namespace report

/// The table operations of an adapter; names it does not hold go to the parent adapter.
#define DOSSARA_TABLE_ADAPTER_BODY(Adapter, Described, Parent)                                                    \
    TClass Adapter::RefClass() const { return &Described::staticMetaObject; }                                     \
    void Adapter::GetPropList(TClass aClass, TraPropList& aPropList) const {                                      \
        Parent::GetPropList(aClass, aPropList);                                                                   \
        Table().List(aPropList, false);                                                                           \
    }                                                                                                             \
    void Adapter::GetEventList(TClass aClass, TraPropList& aPropList) const {                                     \
        Parent::GetEventList(aClass, aPropList);                                                                  \
        Table().List(aPropList, true);                                                                            \
    }                                                                                                             \
    bool Adapter::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {                   \
        return Table().Describe(*this, aName, aPropRec) || Parent::GetPropRec(aClass, aName, aPropRec);           \
    }                                                                                                             \
    std::unique_ptr<TraParamList> Adapter::GetParams(const QString& aName) const {                                \
        if (auto list = Table().Params(aName)) return list;                                                       \
        return Parent::GetParams(aName);                                                                          \
    }                                                                                                             \
    bool Adapter::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {    \
        if (qobject_cast<Described*>(aObject) && Table().Call(aObject, aName, aParams)) return true;               \
        return Parent::CallMethod(aObject, aName, aGet, aParams);                                                 \
    }                                                                                                             \
    bool Adapter::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {                  \
        if (qobject_cast<Described*>(aObject) && Table().Get(aObject, aName, aValue)) return true;                \
        return Parent::GetPropValue(aObject, aName, aValue);                                                      \
    }                                                                                                             \
    bool Adapter::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {                  \
        if (qobject_cast<Described*>(aObject) && Table().Find(aName) &&                                           \
            Table().Find(aName)->kind == report::AdapterMember::Property)                                         \
            return Table().Set(aObject, aName, aValue);                                                           \
        return Parent::SetPropValue(aObject, aName, aValue);                                                      \
    }

DOSSARA_TABLE_ADAPTER_BODY(TraTppCustomReportRTTI, TppCustomReport, TraTppCacheableRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppBandRTTI, TppBand, TraTppCacheableRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppCustomBandRTTI, TppCustomBand, TraTppBandRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppPageBandRTTI, TppPageBand, TraTppCustomBandRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppFooterBandRTTI, TppFooterBand, TraTppPageBandRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppReportBandRTTI, TppReportBand, TraTppCustomBandRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppColumnFooterBandRTTI, TppColumnFooterBand, TraTppCustomBandRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppGroupBandRTTI, TppGroupBand, TraTppCustomBandRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppGroupHeaderBandRTTI, TppGroupHeaderBand, TraTppGroupBandRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppDetailBandRTTI, TppDetailBand, TraTppCustomBandRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppStretchableRTTI, TppStretchable, TraTppComponentRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppSystemVariableRTTI, TppSystemVariable, TraTppCustomTextRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppGroupRTTI, TppGroup, TraTppCacheableRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppComponentRTTI, TppComponent, TraTppPrintableRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppCustomTextRTTI, TppCustomText, TraTppComponentRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppVariableRTTI, TppVariable, TraTppCustomTextRTTI)

namespace {

using M = report::AdapterMember;
using D = TraDataType;

template <class T>
T* as(QObject* o) {
    return qobject_cast<T*>(o);
}

QVariant object(QObject* o) { return QVariant::fromValue(o); }

/// An event without parameters.
M eventMember(const char* name, int id, bool listed = true) {
    M m{name, M::Event};
    m.eventId = id;
    m.listed = listed;
    return m;
}

/// A read-only property.
template <class T, class F>
M readOnly(const char* name, D type, F get, bool listed = true, const char* typeName = "") {
    M m{name, M::Property, type, typeName};
    m.listed = listed;
    m.get = [get](QObject* o) { return QVariant(get(*as<T>(o))); };
    return m;
}

/// A read and write property.
template <class T, class F, class S>
M readWrite(const char* name, D type, F get, S set, bool listed = true, const char* typeName = "") {
    M m = readOnly<T>(name, type, get, listed, typeName);
    m.readOnly = false;
    m.set = [set](QObject* o, const QVariant& v) { set(*as<T>(o), v); };
    return m;
}

/// An object-typed read-only property.
template <class T, class F>
M objectProp(const char* name, const char* cls, F get, bool listed = true) {
    M m{name, M::Property, D::daClass, cls};
    m.listed = listed;
    m.get = [get](QObject* o) { return object(get(*as<T>(o))); };
    return m;
}

/// An array read by index whatever the direction asked: an assignment changes nothing.
template <class T, class F>
M indexed(const char* name, const char* cls, F get) {
    M m{name, M::Array};
    m.params = {{"Index", D::daInteger}, {"Result", D::daClass, cls}};
    m.call = [get](QObject* o, TraParamList& p) {
        p.SetParamValue(1, object(get(*as<T>(o), report::argument(p, 0).toInt())));
    };
    return m;
}

}  // namespace

const report::AdapterTable& TraTppCustomReportRTTI::Table() {
    using R = TppCustomReport;
    static const report::AdapterTable table([] {
        std::vector<M> list = {
            // The producer's events, passed on by the report.
            eventMember("AfterPrint", report::ciProducerAfterPrint),
            eventMember("BeforePrint", report::ciProducerBeforePrint),
            eventMember("OnCancel", report::ciProducerCancel),
            eventMember("OnCancelDialogCreate", report::ciProducerCancelDialogCreate),
            eventMember("OnCancelDialogClose", report::ciProducerCancelDialogClose),
            eventMember("OnPreviewFormCreate", report::ciProducerPreviewFormCreate),
            eventMember("OnPreviewFormClose", report::ciProducerPreviewFormClose),
            eventMember("OnPrintDialogCreate", report::ciProducerPrintDialogCreate),
            eventMember("OnPrintDialogClose", report::ciProducerPrintDialogClose),
            eventMember("OnSaveText", report::ciProducerSaveText),
            eventMember("OnEndColumn", report::ciReportEndColumn),
            eventMember("OnEndFirstPass", report::ciReportEndFirstPass),
            eventMember("OnEndPage", report::ciReportEndPage),
            eventMember("OnEndSecondPass", report::ciReportEndSecondPass),
            eventMember("OnStartColumn", report::ciReportStartColumn),
            eventMember("OnStartFirstPass", report::ciReportStartFirstPass),
            eventMember("OnStartPage", report::ciReportStartPage),
            eventMember("OnStartSecondPass", report::ciReportStartSecondPass),
            readOnly<R>("AbsolutePageNo", D::daInteger, [](R& r) { return r.AbsolutePageNo(); }),
            readOnly<R>("AbsolutePage", D::daInteger, [](R& r) { return r.AbsolutePageNo(); }, false),
            readOnly<R>("AbsolutePageCount", D::daInteger, [](R& r) { return r.AbsolutePageCount(); }),
            indexed<R>("Bands", "TppBand", [](R& r, int i) { return static_cast<QObject*>(r.Bands(i)); }),
            readOnly<R>("BandCount", D::daInteger, [](R& r) { return r.BandCount(); }),
            readOnly<R>("CurrentColumn", D::daInteger, [](R& r) { return r.CurrentColumn(); }),
            readOnly<R>("FirstPass", D::daBoolean, [](R& r) { return r.FirstPass(); }),
            indexed<R>("Groups", "TppGroup", [](R& r, int i) { return static_cast<QObject*>(r.Groups(i)); }),
            readOnly<R>("GroupCount", D::daInteger, [](R& r) { return r.GroupCount(); }),
            objectProp<R>("MainReport", "TppCustomReport", [](R& r) { return static_cast<QObject*>(r.MainReport()); }),
            objectProp<R>("ParentReport", "TppCustomReport", [](R& r) { return static_cast<QObject*>(r.ParentReport()); },
                          false),
            readOnly<R>("PageNo", D::daInteger, [](R& r) { return r.PageNo(); }),
            readOnly<R>("Page", D::daInteger, [](R& r) { return r.PageNo(); }, false),
            readOnly<R>("PageCount", D::daInteger, [](R& r) { return r.PageCount(); }),
            readOnly<R>("SecondPass", D::daBoolean, [](R& r) { return r.SecondPass(); }),
            readWrite<R>("AutoStop", D::daBoolean, [](R& r) { return r.AutoStop(); },
                         [](R& r, const QVariant& v) { r.SetAutoStop(v.toBool()); }),
            readWrite<R>("Columns", D::daInteger, [](R& r) { return r.Columns(); },
                         [](R& r, const QVariant& v) { r.SetColumns(v.toInt()); }),
            readWrite<R>("PageLimit", D::daInteger, [](R& r) { return r.PageLimit(); },
                         [](R& r, const QVariant& v) { r.SetPageLimit(v.toInt()); }),
            readOnly<R>("PassSetting", D::daEnum, [](R& r) { return int(r.PassSetting()); }, true, "TppPassSettingType"),
        };
        M stop{"Stop", M::Method};
        stop.call = [](QObject* o, TraParamList&) { as<R>(o)->Stop(); };
        list.push_back(stop);
        M limit{"PageLimitReached", M::Method};
        limit.call = [](QObject* o, TraParamList&) { as<R>(o)->PageLimitReached(); };
        list.push_back(limit);
        for (M& m : list)
            if (report::is(QString::fromLatin1(m.name), "OnSaveText")) m.params = {{"Text", D::daString, "", true}};
        return list;
    }());
    return table;
}

const report::AdapterTable& TraTppBandRTTI::Table() {
    using B = TppBand;
    static const report::AdapterTable table({
        eventMember("AfterPrint", report::ciBandAfterPrint),
        eventMember("BeforePrint", report::ciBandBeforePrint),
        eventMember("AfterGenerate", report::ciBandAfterGenerate),
        eventMember("BeforeGenerate", report::ciBandBeforeGenerate),
        readWrite<B>("Visible", D::daBoolean, [](B& b) { return b.Visible(); },
                     [](B& b, const QVariant& v) { b.SetVisible(v.toBool()); }),
        readOnly<B>("Height", D::daSingle, [](B& b) { return b.Height(); }),
        readOnly<B>("ObjectCount", D::daInteger, [](B& b) { return b.ObjectCount(); }),
        indexed<B>("Objects", "TppComponent", [](B& b, int i) { return static_cast<QObject*>(b.Objects(i)); }),
        objectProp<B>("Report", "TppCustomReport", [](B& b) { return static_cast<QObject*>(b.Report()); }),
        readOnly<B>("Save", D::daBoolean, [](B& b) { return b.Save(); }),
        readOnly<B>("PrintHeight", D::daEnum, [](B& b) { return int(b.PrintHeight()); }, true, "TppPrintHeightType"),
    });
    return table;
}

const report::AdapterTable& TraTppCustomBandRTTI::Table() {
    static const report::AdapterTable table(std::vector<M>{});
    return table;
}

const report::AdapterTable& TraTppPageBandRTTI::Table() {
    using B = TppPageBand;
    static const report::AdapterTable table({
        readOnly<B>("PrintHeight", D::daEnum, [](B& b) { return int(b.PrintHeight()); }, true, "TppPrintHeightType"),
    });
    return table;
}

const report::AdapterTable& TraTppFooterBandRTTI::Table() {
    static const report::AdapterTable table(std::vector<M>{});
    return table;
}

const report::AdapterTable& TraTppReportBandRTTI::Table() {
    using B = TppReportBand;
    static const report::AdapterTable table({
        readOnly<B>("NewPage", D::daBoolean, [](B& b) { return b.NewPage(); }, false),
    });
    return table;
}

const report::AdapterTable& TraTppColumnFooterBandRTTI::Table() {
    using B = TppColumnFooterBand;
    static const report::AdapterTable table({
        readOnly<B>("PrintHeight", D::daEnum, [](B& b) { return int(b.PrintHeight()); }, true, "TppPrintHeightType"),
    });
    return table;
}

const report::AdapterTable& TraTppGroupBandRTTI::Table() {
    using B = TppGroupBand;
    static const report::AdapterTable table({
        objectProp<B>("Group", "TppGroup", [](B& b) { return static_cast<QObject*>(b.Group()); }),
    });
    return table;
}

const report::AdapterTable& TraTppGroupHeaderBandRTTI::Table() {
    static const report::AdapterTable table(std::vector<M>{});
    return table;
}

const report::AdapterTable& TraTppStretchableRTTI::Table() {
    static const report::AdapterTable table(std::vector<M>{});
    return table;
}

const report::AdapterTable& TraTppSystemVariableRTTI::Table() {
    static const report::AdapterTable table(std::vector<M>{});
    return table;
}

const report::AdapterTable& TraTppDetailBandRTTI::Table() {
    using B = TppDetailBand;
    static const report::AdapterTable table({
        readWrite<B>("BandsPerRecord", D::daInteger, [](B& b) { return b.BandsPerRecord(); },
                     [](B& b, const QVariant& v) { b.SetBandsPerRecord(v.toInt()); }),
        objectProp<B>("DataPipeline", "TppDataPipeline", [](B& b) { return static_cast<QObject*>(b.DataPipeline()); }),
    });
    return table;
}

const report::AdapterTable& TraTppGroupRTTI::Table() {
    using G = TppGroup;
    static const report::AdapterTable table([] {
        std::vector<M> list = {
            eventMember("AfterGroupBreak", report::ciGroupAfterGroupBreak),
            eventMember("BeforeGroupBreak", report::ciGroupBeforeGroupBreak),
            eventMember("BeforeHeader", report::ciGroupBeforeHeader, false),
            eventMember("BeforeFooter", report::ciGroupBeforeFooter, false),
            eventMember("OnGetBreakValue", report::ciGroupGetBreakValue),
            readWrite<G>("BreakName", D::daString, [](G& g) { return g.BreakName(); },
                         [](G& g, const QVariant& v) { g.SetBreakName(v.toString()); }),
            readOnly<G>("BreakNo", D::daInteger, [](G& g) { return g.BreakNo(); }),
            objectProp<G>("DataPipeline", "TppDataPipeline", [](G& g) { return static_cast<QObject*>(g.DataPipeline()); }),
            readOnly<G>("FirstPage", D::daBoolean, [](G& g) { return g.FirstPage(); }),
            objectProp<G>("FooterBand", "TppBand", [](G& g) { return static_cast<QObject*>(g.FooterBand()); }),
            objectProp<G>("HeaderBand", "TppBand", [](G& g) { return static_cast<QObject*>(g.HeaderBand()); }),
            readWrite<G>("KeepTogether", D::daBoolean, [](G& g) { return g.KeepTogether(); },
                         [](G& g, const QVariant& v) { g.SetKeepTogether(v.toBool()); }),
            readWrite<G>("NewPage", D::daBoolean, [](G& g) { return g.NewPage(); },
                         [](G& g, const QVariant& v) { g.SetNewPage(v.toBool()); }),
            objectProp<G>("Report", "TppCustomReport", [](G& g) { return static_cast<QObject*>(g.Report()); }),
        };
        list[4].params = {{"BreakValue", D::daString, "", true}};
        return list;
    }());
    return table;
}

const report::AdapterTable& TraTppComponentRTTI::Table() {
    using C = TppComponent;
    static const report::AdapterTable table({
        objectProp<C>("Band", "TppBand", [](C& c) { return static_cast<QObject*>(c.Band()); }),
    });
    return table;
}

const report::AdapterTable& TraTppCustomTextRTTI::Table() {
    static const report::AdapterTable table([] {
        M getText = eventMember("OnGetText", report::ciTextGetText);
        getText.params = {{"Text", D::daString, "", true}};
        return std::vector<M>{getText};
    }());
    return table;
}

const report::AdapterTable& TraTppVariableRTTI::Table() {
    using V = TppVariable;
    static const report::AdapterTable table([] {
        M calc = eventMember("OnCalc", report::ciVariableCalc);
        calc.params = {{"Value", D::daVariant, "", true}};
        M reset = eventMember("OnReset", report::ciVariableReset);
        reset.params = {{"Value", D::daVariant, "", true}};
        return std::vector<M>{
            calc,
            reset,
            readWrite<V>("Value", D::daVariant, [](V& v) { return v.Value(); },
                         [](V& v, const QVariant& x) { v.SetValue(x); }),
            readWrite<V>("AsBoolean", D::daBoolean, [](V& v) { return v.AsBoolean(); },
                         [](V& v, const QVariant& x) { v.SetAsBoolean(x.toBool()); }),
            readWrite<V>("AsDouble", D::daDouble, [](V& v) { return v.AsDouble(); },
                         [](V& v, const QVariant& x) { v.SetValue(x.toDouble()); }),
            readWrite<V>("AsInteger", D::daInteger, [](V& v) { return v.AsInteger(); },
                         [](V& v, const QVariant& x) { v.SetAsInteger(x.toInt()); }),
            readWrite<V>("AsString", D::daString, [](V& v) { return v.AsString(); },
                         [](V& v, const QVariant& x) { v.SetAsString(x.toString()); }),
        };
    }());
    return table;
}

namespace report {

void RegisterReportAdapters() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterPrintableAdapters();
    RegisterPipelineAdapters();
    RegisterTemplateAdapters();
    raRegisterRTTI<TraTppCustomReportRTTI>();
    raRegisterRTTI<TraTppBandRTTI>();
    raRegisterRTTI<TraTppCustomBandRTTI>();
    raRegisterRTTI<TraTppPageBandRTTI>();
    raRegisterRTTI<TraTppFooterBandRTTI>();
    raRegisterRTTI<TraTppReportBandRTTI>();
    raRegisterRTTI<TraTppColumnFooterBandRTTI>();
    raRegisterRTTI<TraTppGroupBandRTTI>();
    raRegisterRTTI<TraTppGroupHeaderBandRTTI>();
    raRegisterRTTI<TraTppDetailBandRTTI>();
    raRegisterRTTI<TraTppStretchableRTTI>();
    raRegisterRTTI<TraTppSystemVariableRTTI>();
    raRegisterRTTI<TraTppGroupRTTI>();
    raRegisterRTTI<TraTppComponentRTTI>();
    raRegisterRTTI<TraTppCustomTextRTTI>();
    raRegisterRTTI<TraTppVariableRTTI>();
}

}  // namespace report
