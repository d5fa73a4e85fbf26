#include "report/model/report_adapters.h"

#include "report/model/auto_search_field.h"
#include "report/model/band_classes.h"
#include "report/model/barcode_adapters.h"
#include "report/model/rich_text_adapters.h"
#include "report/model/communicator.h"
#include "report/model/custom_report.h"
#include "report/model/custom_engine.h"
#include "report/model/graphic_components.h"
#include "report/model/group.h"
#include "report/model/image_components.h"
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
DOSSARA_TABLE_ADAPTER_BODY(TraTppDBTextRTTI, TppDBText, TraTppCustomTextRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppDBCalcRTTI, TppDBCalc, TraTppDBTextRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppShapeRTTI, TppShape, TraTppComponentRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppLineRTTI, TppLine, TraTppComponentRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppCustomImageRTTI, TppCustomImage, TraTppComponentRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppDBImageRTTI, TppDBImage, TraTppCustomImageRTTI)
DOSSARA_TABLE_ADAPTER_BODY(TraTppAutoSearchFieldRTTI, TppAutoSearchField, TraTppRelativeRTTI)

namespace {

using M = report::AdapterMember;
using D = TraDataType;

template <class T>
T* as(QObject* o) {
    return qobject_cast<T*>(o);
}

QVariant object(QObject* o) { return QVariant::fromValue(o); }

/// The band's variables, in z-order.
std::vector<TppVariable*> bandVariables(const TppBand& aBand) {
    std::vector<TppVariable*> out;
    for (int i = 0; i < aBand.ObjectCount(); ++i)
        if (auto* v = qobject_cast<TppVariable*>(aBand.Objects(i))) out.push_back(v);
    return out;
}

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
            readWrite<R>("PassSetting", D::daEnum, [](R& r) { return int(r.PassSetting()); },
                         [](R& r, const QVariant& v) { r.SetPassSetting(TppPassSettingType(v.toInt())); }, true,
                         "TppPassSettingType"),
            readOnly<R>("DonePrinting", D::daBoolean, [](R& r) { return r.DonePrinting(); }, false),
            readOnly<R>("PrintingAsSubReport", D::daBoolean,
                        [](R& r) { return r.ParentReport() != nullptr && r.Printing(); }, false),
            objectProp<R>("Engine", "TppCustomEngine", [](R& r) { return static_cast<QObject*>(r.Engine()); }, false),
            readOnly<R>("mmColumnWidth", D::daInteger, [](R& r) { return r.mmColumnWidth(); }, false),
            readOnly<R>("spColumnWidth", D::daInteger, [](R& r) { return r.spColumnWidth(); }, false),
            // Nothing writes Modified: a script reads it.
            readOnly<R>("Modified", D::daBoolean, [](R& r) { return r.Modified(); }, false),
            objectProp<R>("ReportDesigner", "TForm", [](R& r) { return r.ReportDesigner(); }, false),
            readWrite<R>("ColumnWidth", D::daSingle, [](R& r) { return r.ColumnWidth(); },
                         [](R& r, const QVariant& v) { r.SetColumnWidth(v.toFloat()); }),
            readWrite<R>("SaveAsTemplate", D::daBoolean, [](R& r) { return r.SaveAsTemplate(); },
                         [](R& r, const QVariant& v) { r.SetSaveAsTemplate(v.toBool()); }),
            readWrite<R>("Units", D::daEnum, [](R& r) { return int(r.Units()); },
                         [](R& r, const QVariant& v) { r.SetUnits(TppUnitType(v.toInt())); }, true, "TppUnitType"),
            // The producer part the report carries.
            readOnly<R>("Printing", D::daBoolean, [](R& r) { return r.Printing(); }, false),
            readOnly<R>("Producing", D::daBoolean, [](R& r) { return r.Producing(); }, false),
            readOnly<R>("Language", D::daEnum, [](R& r) { return int(r.Language()); }, true, "TppLanguageType"),
            readOnly<R>("LanguageIndex", D::daInteger, [](R& r) { return r.LanguageIndex(); }, false),
            objectProp<R>("PrinterSetup", "TppPrinterSetup", [](R& r) { return static_cast<QObject*>(r.PrinterSetup()); }),
            readOnly<R>("Version", D::daString, [](R& r) { return r.Version(); }, false),
            readOnly<R>("VersionNo", D::daInteger, [](R& r) { return r.VersionNo(); }, false),
        };
        {
            // The report's data pipeline, read and written.
            M pipe = objectProp<R>("DataPipeline", "TppDataPipeline",
                                   [](R& r) { return static_cast<QObject*>(r.DataPipeline()); });
            pipe.readOnly = false;
            pipe.set = [](QObject* o, const QVariant& v) {
                as<R>(o)->SetDataPipeline(qobject_cast<TppDataPipeline*>(v.value<QObject*>()));
            };
            list.push_back(pipe);
        }
        {
            // GetBand(BandType, GroupIndex): a group's header or footer band, else the report's
            // first band of the type.
            M getBand{"GetBand", M::Method};
            getBand.listed = false;
            getBand.params = {{"BandType", D::daEnum, "TppBandType"}, {"GroupIndex", D::daInteger},
                              {"Result", D::daClass, "TppBand"}};
            getBand.call = [](QObject* o, TraParamList& p) {
                R* r = as<R>(o);
                const auto type = TppBandType(report::argument(p, 0).toInt());
                const int group = report::argument(p, 1).toInt();
                QObject* band = nullptr;
                if (type == TppBandType::btGroupHeader || type == TppBandType::btGroupFooter) {
                    if (group >= 0 && group < r->GroupCount()) {
                        TppGroup* g = r->Groups(group);
                        band = type == TppBandType::btGroupHeader ? static_cast<QObject*>(g->HeaderBand())
                                                                  : static_cast<QObject*>(g->FooterBand());
                    }
                } else {
                    band = r->GetBand(type);
                }
                p.SetParamValue(2, object(band));
            };
            list.push_back(getBand);
        }
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
        readWrite<B>("Height", D::daSingle, [](B& b) { return b.Height(); },
                     [](B& b, const QVariant& v) { b.SetHeight(v.toFloat()); }),
        readOnly<B>("ObjectCount", D::daInteger, [](B& b) { return b.ObjectCount(); }),
        indexed<B>("Objects", "TppComponent", [](B& b, int i) { return static_cast<QObject*>(b.Objects(i)); }),
        [] {
            M m = objectProp<B>("Report", "TppCustomReport", [](B& b) { return static_cast<QObject*>(b.Report()); });
            m.readOnly = false;
            m.set = [](QObject* o, const QVariant& v) {
                as<B>(o)->SetReport(qobject_cast<TppCustomReport*>(v.value<QObject*>()));
            };
            return m;
        }(),
        readWrite<B>("Save", D::daBoolean, [](B& b) { return b.Save(); },
                     [](B& b, const QVariant& v) { b.SetSave(v.toBool()); }),
        readWrite<B>("PrintHeight", D::daEnum, [](B& b) { return int(b.PrintHeight()); },
                     [](B& b, const QVariant& v) { b.SetPrintHeight(TppPrintHeightType(v.toInt())); }, true,
                     "TppPrintHeightType"),
        readOnly<B>("VariableCount", D::daInteger, [](B& b) { return int(bandVariables(b).size()); }),
        indexed<B>("Variables", "TppComponent", [](B& b, int i) {
            const auto vars = bandVariables(b);
            return i >= 0 && i < int(vars.size()) ? static_cast<QObject*>(vars[std::size_t(i)]) : nullptr;
        }),
        readWrite<B>("Caption", D::daString, [](B& b) { return b.Caption(); },
                     [](B& b, const QVariant& v) { b.SetCaption(v.toString()); }, false),
        readOnly<B>("Index", D::daInteger, [](B& b) { return b.Index(); }, false),
        // Described as lengths a script might set, but nothing writes them: read-only.
        readOnly<B>("mmBottomOffset", D::daInteger, [](B& b) { return b.mmBottomOffset(); }, false),
        readOnly<B>("mmHeight", D::daInteger, [](B& b) { return b.mmHeight(); }, false),
        readOnly<B>("mmPrintPosition", D::daInteger, [](B& b) { return b.mmPrintPosition(); }, false),
        readOnly<B>("mmWidth", D::daInteger, [](B& b) { return b.mmWidth(); }, false),
        readOnly<B>("spWidth", D::daInteger, [](B& b) { return b.GetSpWidth(); }, false),
        readOnly<B>("Units", D::daEnum, [](B& b) { return int(b.Units()); }, false, "TppUnitType"),
        readOnly<B>("SaveCount", D::daInteger, [](B& b) { return b.SaveCount(); }, false),
        [] {
            M m = indexed<B>("Saves", "TppComponent", [](B& b, int i) { return static_cast<QObject*>(b.Saves(i)); });
            m.listed = false;
            return m;
        }(),
    });
    return table;
}

const report::AdapterTable& TraTppCustomBandRTTI::Table() {
    using B = TppCustomBand;
    static const report::AdapterTable table({
        readOnly<B>("OverFlow", D::daBoolean, [](B& b) { return b.BandOverFlow(); }),
        readOnly<B>("MaxStretchable", D::daClass, [](B& b) { return object(b.TallestStretchable()); }, false,
                    "TppStretchable"),
    });
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
        readWrite<B>("NewPage", D::daBoolean, [](B& b) { return b.NewPage(); },
                     [](B& b, const QVariant& v) { b.SetNewPage(v.toBool()); }, false),
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
    using S = TppStretchable;
    static const report::AdapterTable table({
        readOnly<S>("CurrentPosition", D::daInteger, [](S& s) { return s.CurrentPosition(); }, false),
        readOnly<S>("mmBottomOffset", D::daInteger, [](S& s) { return s.mmBottomOffset(); }, false),
        readOnly<S>("mmOverFlowOffset", D::daInteger, [](S& s) { return s.mmOverFlowOffset(); }, false),
        readOnly<S>("mmStopPosition", D::daInteger, [](S& s) { return s.mmStopPosition(); }, false),
        readOnly<S>("PageBottom", D::daInteger, [](S& s) { return s.PageBottom(); }, false),
        readOnly<S>("ShifterCount", D::daInteger, [](S& s) { return s.ShifterCount(); }, false),
        readWrite<S>("Stretch", D::daBoolean, [](S& s) { return s.Stretch(); },
                     [](S& s, const QVariant& v) { s.SetStretch(v.toBool()); }, false),
        [] {
            M m = objectProp<S>("ShiftRelativeTo", "TppStretchable",
                                [](S& s) { return static_cast<QObject*>(s.ShiftRelativeTo()); }, false);
            m.readOnly = false;
            m.set = [](QObject* o, const QVariant& v) {
                as<S>(o)->SetShiftRelativeTo(qobject_cast<TppStretchable*>(v.value<QObject*>()));
            };
            return m;
        }(),
    });
    return table;
}

const report::AdapterTable& TraTppSystemVariableRTTI::Table() {
    using V = TppSystemVariable;
    static const report::AdapterTable table({
        [] {
            M m = readOnly<V>("VarType", D::daEnum, [](V& v) { return int(v.VarType()); }, true, "TppVarType");
            m.set = [](QObject* o, const QVariant& v) { as<V>(o)->SetVarType(TppVarType(v.toInt())); };
            return m;
        }(),
    });
    return table;
}

const report::AdapterTable& TraTppDetailBandRTTI::Table() {
    using B = TppDetailBand;
    static const report::AdapterTable table({
        readWrite<B>("BandsPerRecord", D::daInteger, [](B& b) { return b.BandsPerRecord(); },
                     [](B& b, const QVariant& v) { b.SetBandsPerRecord(v.toInt()); }),
        [] {
            M m = objectProp<B>("DataPipeline", "TppDataPipeline",
                                [](B& b) { return static_cast<QObject*>(b.DataPipeline()); });
            m.readOnly = false;
            m.set = [](QObject* o, const QVariant& v) {
                as<B>(o)->SetDataPipeline(qobject_cast<TppDataPipeline*>(v.value<QObject*>()));
            };
            return m;
        }(),
        readWrite<B>("PrintCount", D::daInteger, [](B& b) { return b.PrintCount(); },
                     [](B& b, const QVariant& v) { b.SetPrintCount(v.toInt()); }),
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
            readWrite<G>("BreakType", D::daEnum, [](G& g) { return int(g.BreakType()); },
                         [](G& g, const QVariant& v) { g.SetBreakType(TppBreakType(v.toInt())); }, true, "TppBreakType"),
            readWrite<G>("HeaderForOrphanedFooter", D::daBoolean, [](G& g) { return g.HeaderForOrphanedFooter(); },
                         [](G& g, const QVariant& v) { g.SetHeaderForOrphanedFooter(v.toBool()); }),
            readWrite<G>("NewColumn", D::daBoolean, [](G& g) { return g.NewColumn(); },
                         [](G& g, const QVariant& v) { g.SetNewColumn(v.toBool()); }),
            readWrite<G>("NewColumnThreshold", D::daSingle, [](G& g) { return g.NewColumnThreshold(); },
                         [](G& g, const QVariant& v) { g.SetNewColumnThreshold(v.toFloat()); }),
            readWrite<G>("NewPageThreshold", D::daSingle, [](G& g) { return g.NewPageThreshold(); },
                         [](G& g, const QVariant& v) { g.SetNewPageThreshold(v.toFloat()); }),
            readWrite<G>("ReprintOnSubsequentColumn", D::daBoolean, [](G& g) { return g.ReprintOnSubsequentColumn(); },
                         [](G& g, const QVariant& v) { g.SetReprintOnSubsequentColumn(v.toBool()); }),
            readWrite<G>("ReprintOnSubsequentPage", D::daBoolean, [](G& g) { return g.ReprintOnSubsequentPage(); },
                         [](G& g, const QVariant& v) { g.SetReprintOnSubsequentPage(v.toBool()); }),
            readWrite<G>("ResetPageNo", D::daBoolean, [](G& g) { return g.ResetPageNo(); },
                         [](G& g, const QVariant& v) { g.SetResetPageNo(v.toBool()); }),
            objectProp<G>("BreakComponent", "TppComponent", [](G& g) { return static_cast<QObject*>(g.BreakComponent()); },
                          false),
            readOnly<G>("Breaking", D::daBoolean, [](G& g) { return g.Breaking(); }, false),
            readOnly<G>("BreakValue", D::daString, [](G& g) { return g.BreakValue(); }, false),
            readOnly<G>("CurrentValue", D::daString, [](G& g) { return g.BreakValue(); }, false),
            readOnly<G>("Description", D::daString, [](G& g) { return g.Description(); }, false),
            readOnly<G>("FirstColumn", D::daInteger, [](G& g) { return g.FirstColumn(); }, false),
            readOnly<G>("FirstPageNo", D::daInteger, [](G& g) { return g.FirstPageNo(); }, false),
            readOnly<G>("GroupNo", D::daInteger, [](G& g) { return g.GroupNo(); }, false),
            readOnly<G>("Index", D::daInteger, [](G& g) { return g.GroupNo(); }, false),
            readOnly<G>("KeptTogether", D::daBoolean, [](G& g) { return g.KeptTogether(); }, false),
            readOnly<G>("LastPageNo", D::daInteger, [](G& g) { return g.LastPageNo(); }, false),
            readOnly<G>("mmNewColumnThreshold", D::daInteger, [](G& g) { return g.mmNewColumnThreshold(); }, false),
            readOnly<G>("mmNewPageThreshold", D::daInteger, [](G& g) { return g.mmNewPageThreshold(); }, false),
            readOnly<G>("PageNo", D::daInteger, [](G& g) { return g.PageNo(); }, false),
            readOnly<G>("PageCount", D::daInteger, [](G& g) { return g.PageCount(); }, false),
            readOnly<G>("PriorValue", D::daString, [](G& g) { return g.PriorValue(); }, false),
            readOnly<G>("Units", D::daEnum, [](G& g) { return int(g.Units()); }, false, "TppUnitType"),
        };
        list[4].params = {{"BreakValue", D::daString, "", true}};
        return list;
    }());
    return table;
}

const report::AdapterTable& TraTppComponentRTTI::Table() {
    using C = TppComponent;
    static const report::AdapterTable table({
        [] {
            M m = objectProp<C>("Band", "TppBand", [](C& c) { return static_cast<QObject*>(c.Band()); });
            m.readOnly = false;
            m.set = [](QObject* o, const QVariant& v) { as<C>(o)->SetBand(qobject_cast<TppBand*>(v.value<QObject*>())); };
            return m;
        }(),
        readOnly<C>("BandType", D::daEnum, [](C& c) { return int(c.BandType()); }, false, "TppBandType"),
        readOnly<C>("Index", D::daInteger, [](C& c) { return c.Index(); }, false),
        objectProp<C>("NextSibling", "TppComponent", [](C& c) { return static_cast<QObject*>(c.NextSibling()); }, false),
        readOnly<C>("ParentIndex", D::daInteger, [](C& c) { return c.ParentIndex(); }, false),
        readOnly<C>("GroupNo", D::daInteger, [](C& c) { return c.GroupNo(); }, false),
        objectProp<C>("Parent", "TComponent", [](C& c) { return static_cast<QObject*>(c.ComponentParent()); }, false),
        readWrite<C>("ParentDataPipeline", D::daBoolean, [](C& c) { return c.ParentDataPipeline(); },
                     [](C& c, const QVariant& v) { c.SetParentDataPipeline(v.toBool()); }),
        [] {
            M m = objectProp<C>("Region", "TppComponent", [](C& c) { return static_cast<QObject*>(c.Region()); }, false);
            m.readOnly = false;
            m.set = [](QObject* o, const QVariant& v) {
                as<C>(o)->SetRegion(qobject_cast<TppComponent*>(v.value<QObject*>()));
            };
            return m;
        }(),
        [] {
            M m = objectProp<C>("ResetGroup", "TppGroup", [](C& c) { return static_cast<QObject*>(c.ResetGroup()); });
            m.set = [](QObject* o, const QVariant& v) {
                as<C>(o)->SetResetGroup(qobject_cast<TppGroup*>(v.value<QObject*>()));
            };
            return m;
        }(),
    });
    return table;
}

const report::AdapterTable& TraTppCustomTextRTTI::Table() {
    using T = TppCustomText;
    static const report::AdapterTable table([] {
        M getText = eventMember("OnGetText", report::ciTextGetText);
        getText.params = {{"Text", D::daString, "", true}};
        // AutoSize is marked read-only but writing it is handled.
        M autoSize = readOnly<T>("AutoSize", D::daBoolean, [](T& t) { return t.AutoSize(); });
        autoSize.set = [](QObject* o, const QVariant& v) { as<T>(o)->SetAutoSize(v.toBool()); };
        return std::vector<M>{
            getText,
            autoSize,
            readWrite<T>("CharWrap", D::daBoolean, [](T& t) { return t.CharWrap(); },
                         [](T& t, const QVariant& v) { t.SetCharWrap(v.toBool()); }),
            readWrite<T>("Save", D::daBoolean, [](T& t) { return t.Save(); },
                         [](T& t, const QVariant& v) { t.SetSave(v.toBool()); }),
            readWrite<T>("Transparent", D::daBoolean, [](T& t) { return t.Transparent(); },
                         [](T& t, const QVariant& v) { t.SetTransparent(v.toBool()); }),
            // Colours are Integers taking the colour constants.
            readWrite<T>("Color", D::daInteger, [](T& t) { return int(t.Color()); },
                         [](T& t, const QVariant& v) { t.SetColor(paint::TColor(v.toInt())); }),
            readOnly<T>("Description", D::daString, [](T& t) { return t.GetDescription(); }),
            readWrite<T>("SaveOrder", D::daInteger, [](T& t) { return t.SaveOrder(); },
                         [](T& t, const QVariant& v) { t.SetSaveOrder(v.toInt()); }),
            readWrite<T>("SaveLength", D::daInteger, [](T& t) { return t.SaveLength(); },
                         [](T& t, const QVariant& v) { t.SetSaveLength(v.toInt()); }),
            readWrite<T>("Text", D::daString, [](T& t) { return t.GetText(); },
                         [](T& t, const QVariant& v) { t.SetText(v.toString()); }),
        };
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
            readWrite<V>("AsChar", D::daChar, [](V& v) { return v.AsChar(); },
                         [](V& v, const QVariant& x) {
                             if (x.canConvert<QChar>() && x.userType() == QMetaType::QChar) v.SetAsChar(x.toChar());
                             else v.SetAsChar(x.toString().isEmpty() ? QChar() : x.toString().at(0));
                         }),
            readWrite<V>("AsCurrency", D::daCurrency,
                         [](V& v) { return QVariant::fromValue(TCurrency{qRound64(v.AsCurrency() * 10000.0)}); },
                         [](V& v, const QVariant& x) {
                             v.SetAsCurrency(x.canConvert<TCurrency>() && x.userType() == qMetaTypeId<TCurrency>()
                                                 ? double(x.value<TCurrency>().TenThousandths) / 10000.0
                                                 : x.toDouble());
                         }),
            // AsDateTime, AsDate and AsTime read and write one date-time value.
            readWrite<V>("AsDateTime", D::daDateTime, [](V& v) { return v.AsDateTime(); },
                         [](V& v, const QVariant& x) { v.SetAsDateTime(x.toDouble()); }),
            readWrite<V>("AsDate", D::daDate, [](V& v) { return v.AsDateTime(); },
                         [](V& v, const QVariant& x) { v.SetAsDate(x.toDouble()); }),
            readWrite<V>("AsTime", D::daTime, [](V& v) { return v.AsDateTime(); },
                         [](V& v, const QVariant& x) { v.SetAsTime(x.toDouble()); }),
            readWrite<V>("AsExtended", D::daExtended, [](V& v) { return double(v.AsExtended()); },
                         [](V& v, const QVariant& x) { v.SetAsExtended(x.toDouble()); }),
            readWrite<V>("AsSingle", D::daSingle, [](V& v) { return v.AsSingle(); },
                         [](V& v, const QVariant& x) { v.SetAsSingle(x.toFloat()); }),
            readWrite<V>("CalcOrder", D::daInteger, [](V& v) { return v.CalcOrder(); },
                         [](V& v, const QVariant& x) { v.SetCalcOrder(x.toInt()); }),
            readWrite<V>("CalcType", D::daEnum, [](V& v) { return int(v.CalcType()); },
                         [](V& v, const QVariant& x) { v.SetCalcType(TppVarEventType(x.toInt())); }, true,
                         "TppVarEventType"),
            readWrite<V>("ResetType", D::daEnum, [](V& v) { return int(v.ResetType()); },
                         [](V& v, const QVariant& x) { v.SetResetType(TppVarEventType(x.toInt())); }, true,
                         "TppVarEventType"),
            readWrite<V>("DataType", D::daEnum, [](V& v) { return int(v.DataType()); },
                         [](V& v, const QVariant& x) { v.SetDataType(TppDataType(x.toInt())); }, true, "TppDataType"),
            [] {
                M m = objectProp<V>("CalcComponent", "TppCommunicator",
                                    [](V& v) { return static_cast<QObject*>(v.CalcComponent()); });
                m.readOnly = false;
                m.set = [](QObject* o, const QVariant& x) {
                    as<V>(o)->SetCalcComponent(qobject_cast<TppCommunicator*>(x.value<QObject*>()));
                };
                return m;
            }(),
            [] {
                M m = objectProp<V>("ResetComponent", "TppCommunicator",
                                    [](V& v) { return static_cast<QObject*>(v.ResetComponent()); });
                m.readOnly = false;
                m.set = [](QObject* o, const QVariant& x) {
                    as<V>(o)->SetResetComponent(qobject_cast<TppCommunicator*>(x.value<QObject*>()));
                };
                return m;
            }(),
        };
    }());
    return table;
}

const report::AdapterTable& TraTppDBTextRTTI::Table() {
    using T = TppDBText;
    static const report::AdapterTable table({
        readWrite<T>("BlankWhenZero", D::daBoolean, [](T& t) { return t.BlankWhenZero(); },
                     [](T& t, const QVariant& v) { t.SetBlankWhenZero(v.toBool()); }),
        readWrite<T>("ReprintOnSubsequent", D::daBoolean, [](T& t) { return t.ReprintOnSubsequent(); },
                     [](T& t, const QVariant& v) { t.SetReprintOnSubsequent(v.toBool()); }),
        readWrite<T>("SuppressRepeatedValues", D::daBoolean, [](T& t) { return t.SuppressRepeatedValues(); },
                     [](T& t, const QVariant& v) { t.SetSuppressRepeatedValues(v.toBool()); }),
        // The value of the field in the pipeline's current record.
        readOnly<T>("FieldValue", D::daVariant, [](T& t) {
            TppDataPipeline* pipe = t.DataPipeline();
            return pipe && !t.DataField().isEmpty() ? pipe->GetFieldValue(t.DataField()) : QVariant();
        }),
    });
    return table;
}

const report::AdapterTable& TraTppDBCalcRTTI::Table() {
    using T = TppDBCalc;
    static const report::AdapterTable table([] {
        M clear{"Clear", M::Method};
        clear.call = [](QObject* o, TraParamList&) { as<T>(o)->ResetValue(); };
        return std::vector<M>{
            clear,
            readOnly<T>("Divisor", D::daDouble, [](T& t) { return t.Divisor(); }, false),
            readOnly<T>("Value", D::daVariant, [](T& t) { return t.Value(); }),
            readWrite<T>("DBCalcType", D::daEnum, [](T& t) { return int(t.DBCalcType()); },
                         [](T& t, const QVariant& v) { t.SetDBCalcType(TppDBCalcType(v.toInt())); }, true,
                         "TppDBCalcType"),
        };
    }());
    return table;
}

const report::AdapterTable& TraTppShapeRTTI::Table() {
    using T = TppShape;
    static const report::AdapterTable table({
        readWrite<T>("Shape", D::daEnum, [](T& t) { return int(t.Shape()); },
                     [](T& t, const QVariant& v) { t.SetShape(TShapeType(v.toInt())); }, true, "TShapeType"),
    });
    return table;
}

const report::AdapterTable& TraTppLineRTTI::Table() {
    using T = TppLine;
    static const report::AdapterTable table({
        readWrite<T>("Position", D::daEnum, [](T& t) { return int(t.Position()); },
                     [](T& t, const QVariant& v) { t.SetPosition(TppLinePositionType(v.toInt())); }, true,
                     "TppLinePositionType"),
        readWrite<T>("Style", D::daEnum, [](T& t) { return int(t.Style()); },
                     [](T& t, const QVariant& v) { t.SetStyle(TppLineStyleType(v.toInt())); }, true,
                     "TppLineStyleType"),
    });
    return table;
}

const report::AdapterTable& TraTppCustomImageRTTI::Table() {
    using T = TppCustomImage;
    static const report::AdapterTable table({
        readWrite<T>("Center", D::daBoolean, [](T& t) { return t.Center(); },
                     [](T& t, const QVariant& v) { t.SetCenter(v.toBool()); }),
        readWrite<T>("DirectDraw", D::daBoolean, [](T& t) { return t.DirectDraw(); },
                     [](T& t, const QVariant& v) { t.SetDirectDraw(v.toBool()); }),
        readWrite<T>("MaintainAspectRatio", D::daBoolean, [](T& t) { return t.MaintainAspectRatio(); },
                     [](T& t, const QVariant& v) { t.SetMaintainAspectRatio(v.toBool()); }),
        readWrite<T>("Stretch", D::daBoolean, [](T& t) { return t.Stretch(); },
                     [](T& t, const QVariant& v) { t.SetStretch(v.toBool()); }),
        readWrite<T>("Transparent", D::daBoolean, [](T& t) { return t.Transparent(); },
                     [](T& t, const QVariant& v) { t.SetTransparent(v.toBool()); }),
    });
    return table;
}

const report::AdapterTable& TraTppDBImageRTTI::Table() {
    static const report::AdapterTable table([] {
        M picture = eventMember("OnGetPicture", report::ciImageGetPicture);
        picture.params = {{"aPicture", D::daClass, "TPicture"}};
        return std::vector<M>{picture};
    }());
    return table;
}

const report::AdapterTable& TraTppAutoSearchFieldRTTI::Table() {
    using F = TppAutoSearchField;
    static const report::AdapterTable table([] {
        M values{"Values", M::Array};
        values.params = {{"Index", D::daInteger}, {"Result", D::daVariant}};
        // Read whatever the direction asked; empty beyond the list's end.
        values.call = [](QObject* o, TraParamList& p) {
            p.SetParamValue(1, as<F>(o)->Values(report::argument(p, 0).toInt()));
        };
        return std::vector<M>{
            readOnly<F>("Value", D::daVariant, [](F& f) { return f.Value(); }),
            values,
            readOnly<F>("ValueCount", D::daInteger, [](F& f) { return f.ValueCount(); }),
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
    raRegisterRTTI<TraTppAutoSearchFieldRTTI>();
    raRegisterRTTI<TraTppCustomImageRTTI>();
    raRegisterRTTI<TraTppDBImageRTTI>();
    raRegisterRTTI<TraTppLineRTTI>();
    raRegisterRTTI<TraTppShapeRTTI>();
    raRegisterRTTI<TraTppDBTextRTTI>();
    raRegisterRTTI<TraTppDBCalcRTTI>();
    raRegisterRTTI<TraTppBarCodeRTTI>();
    raRegisterRTTI<TraTppCustomRichTextRTTI>();
    raRegisterRTTI<TraTppDBRichTextRTTI>();
}

}  // namespace report
