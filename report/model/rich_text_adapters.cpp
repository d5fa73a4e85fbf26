#include "report/model/rich_text_adapters.h"

#include <QIODevice>

#include <functional>

namespace {

bool is(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

using T = TppCustomRichText;

struct Name {
    const char* name;
    TraDataType type;
    std::function<QVariant(T&)> get;
    std::function<void(T&, const QVariant&)> set;  ///< empty: read-only
};

const std::vector<Name>& names() {
    static const std::vector<Name> list = {
        {"EndCharPos", TraDataType::daInteger, [](T& r) { return QVariant(r.EndCharPos()); }, {}},
        {"StartCharPos", TraDataType::daInteger, [](T& r) { return QVariant(r.StartCharPos()); }, {}},
        {"RichText", TraDataType::daString, [](T& r) { return QVariant(QString::fromLatin1(r.GetRichText())); },
         [](T& r, const QVariant& v) { r.SetRichText(v.toString().toLatin1()); }},
        {"RichTextStream", TraDataType::daString, [](T& r) { return QVariant(QString::fromLatin1(r.RichTextStream())); },
         {}},
        {"SelLength", TraDataType::daInteger, [](T& r) { return QVariant(r.SelLength()); },
         [](T& r, const QVariant& v) { r.SetSelLength(v.toInt()); }},
        {"SelStart", TraDataType::daInteger, [](T& r) { return QVariant(r.SelStart()); },
         [](T& r, const QVariant& v) { r.SetSelStart(v.toInt()); }},
        {"SelText", TraDataType::daString, [](T& r) { return QVariant(r.SelText()); },
         [](T& r, const QVariant& v) { r.SetSelText(v.toString()); }},
        {"PlainText", TraDataType::daBoolean, [](T& r) { return QVariant(r.PlainText()); },
         [](T& r, const QVariant& v) { r.SetPlainText(v.toBool()); }},
        {"Paragraph", TraDataType::daClass, [](T& r) { return QVariant::fromValue<QObject*>(r.Paragraph()); }, {}},
        {"SelAttributes", TraDataType::daClass, [](T& r) { return QVariant::fromValue<QObject*>(r.SelAttributes()); }, {}},
    };
    return list;
}

const Name* find(const QString& aName) {
    for (const Name& n : names())
        if (is(aName, n.name)) return &n;
    return nullptr;
}

const char* const kMethods[] = {"FindText", "LoadFromFile", "LoadFromRTFStream", "SaveToFile", "SaveToRTFStream"};

bool isMethod(const QString& aName) {
    for (const char* m : kMethods)
        if (is(aName, m)) return true;
    return false;
}

QVariant param(const TraParamList& params, int index) {
    if (index >= params.Count() || !params.Param(index).Value) return {};
    return *params.Param(index).Value;
}

}  // namespace

void TraTppCustomRichTextRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppStretchableRTTI::GetPropList(aClass, aPropList);
    for (const char* m : kMethods) aPropList.AddMethod(QString::fromLatin1(m));
}

bool TraTppCustomRichTextRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    for (const char* m : kMethods)
        if (is(aName, m)) {
            MethodToRec(QString::fromLatin1(m), true, aPropRec);
            return true;
        }
    if (const Name* n = find(aName)) {
        const QString name = QString::fromLatin1(n->name);
        if (n->type == TraDataType::daClass)
            ClassPropToRec(name, is(aName, "Paragraph") ? &TParaAttributes::staticMetaObject : &TTextAttributes::staticMetaObject,
                           true, aPropRec);
        else PropToRec(name, n->type, !n->set, aPropRec);
        return true;
    }
    return TraTppStretchableRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTppCustomRichTextRTTI::GetParams(const QString& aName) const {
    if (!isMethod(aName)) return TraTppStretchableRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    if (is(aName, "FindText")) {
        params->AddParam(QStringLiteral("SearchStr"), TraDataType::daString, nullptr, QString(), true, false);
        params->AddParam(QStringLiteral("StartPos"), TraDataType::daInteger, nullptr, QString(), false, false);
        params->AddParam(QStringLiteral("Length"), TraDataType::daInteger, nullptr, QString(), false, false);
        params->AddParam(QStringLiteral("Options"), TraDataType::daEnum, nullptr, QStringLiteral("TSearchType"), false,
                         false);
        params->AddParam(QStringLiteral("Result"), TraDataType::daInteger, nullptr, QString(), false, false);
    } else if (is(aName, "LoadFromFile") || is(aName, "SaveToFile")) {
        params->AddParam(QStringLiteral("aFileName"), TraDataType::daString, nullptr, QString(), false, false);
    } else {
        params->AddParam(QStringLiteral("aStream"), TraDataType::daClass, &QObject::staticMetaObject, QString(), false,
                         false);
    }
    return params;
}

bool TraTppCustomRichTextRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet,
                                          TraParamList& aParams) const {
    auto* r = qobject_cast<TppCustomRichText*>(aObject);
    if (!r || !isMethod(aName)) return TraTppStretchableRTTI::CallMethod(aObject, aName, aGet, aParams);
    if (is(aName, "FindText")) {
        // Options: the combination of the search flags (1 whole word, 2 match case).
        const int at = r->FindText(param(aParams, 0).toString(), param(aParams, 1).toInt(), param(aParams, 2).toInt(),
                                   param(aParams, 3).toInt());
        if (aParams.Count() > 4) aParams.SetParamValue(4, at);
        return true;
    }
    if (is(aName, "LoadFromFile")) {
        r->LoadFromFile(raCheckScriptPath(param(aParams, 0).toString()));
        return true;
    }
    if (is(aName, "SaveToFile")) {
        r->SaveToFile(raCheckScriptPath(param(aParams, 0).toString()));
        return true;
    }
    auto* stream = qobject_cast<QIODevice*>(param(aParams, 0).value<QObject*>());
    if (!stream) return false;
    if (is(aName, "LoadFromRTFStream")) r->LoadFromRTFStream(*stream);
    else r->SaveToRTFStream(*stream);
    return true;
}

bool TraTppCustomRichTextRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* r = qobject_cast<TppCustomRichText*>(aObject);
    if (const Name* n = r ? find(aName) : nullptr) {
        aValue = n->get(*r);
        return true;
    }
    return TraTppStretchableRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppCustomRichTextRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* r = qobject_cast<TppCustomRichText*>(aObject);
    if (const Name* n = r ? find(aName) : nullptr) {
        if (!n->set) return false;
        n->set(*r, aValue);
        return true;
    }
    return TraTppStretchableRTTI::SetPropValue(aObject, aName, aValue);
}

bool TraTppDBRichTextRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (is(aName, "AutoDisplay")) {
        PropToRec(QStringLiteral("AutoDisplay"), TraDataType::daBoolean, false, aPropRec);
        return true;
    }
    return TraTppCustomRichTextRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppDBRichTextRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* r = qobject_cast<TppDBRichText*>(aObject);
    if (r && is(aName, "AutoDisplay")) {
        aValue = r->AutoDisplay();
        return true;
    }
    return TraTppCustomRichTextRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppDBRichTextRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* r = qobject_cast<TppDBRichText*>(aObject);
    if (r && is(aName, "AutoDisplay")) {
        r->SetAutoDisplay(aValue.toBool());
        return true;
    }
    return TraTppCustomRichTextRTTI::SetPropValue(aObject, aName, aValue);
}

namespace report {

void RegisterRichTextAdapters() {
    RegisterPrintableAdapters();
    raRegisterRTTI<TraTppCustomRichTextRTTI>();
    raRegisterRTTI<TraTppDBRichTextRTTI>();
}

void UnRegisterRichTextAdapters() {
    raUnRegisterRTTI(RTTIInstance<TraTppDBRichTextRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppCustomRichTextRTTI>());
    UnRegisterPrintableAdapters();
}

}  // namespace report
