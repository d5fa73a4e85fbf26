#include "report/model/template_adapters.h"

#include "report/model/custom_report.h"
#include "report/model/report_template.h"

namespace {

bool is(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

QVariant obj(QObject* o) { return QVariant::fromValue(o); }

const char* const kSettingsNames[] = {"DataPipeline", "Name", "NameField", "TemplateField"};
const char* const kCustomNames[] = {"DatabaseSettings", "Description", "FileName", "Format", "Offset", "Owner", "SaveTo"};
const char* const kTemplateNames[] = {"FileExtension", "FileFilter", "Root", "ReadOnly"};
const char* const kTemplateMethods[] = {"LoadFromDatabase", "LoadFromFile", "New", "SaveToDatabase", "SaveToFile"};

}  // namespace

// ---- database settings ----

void TraTppTemplateDBSettingsRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTObjectRTTI::GetPropList(aClass, aPropList);
    for (const char* n : kSettingsNames) aPropList.AddProp(QString::fromLatin1(n));
}

bool TraTppTemplateDBSettingsRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (is(aName, "DataPipeline")) {
        ClassPropToRec(QStringLiteral("DataPipeline"), &TppDataPipeline::staticMetaObject, false, aPropRec);
        return true;
    }
    for (const char* n : kSettingsNames)
        if (is(aName, n)) {
            PropToRec(QString::fromLatin1(n), TraDataType::daString, false, aPropRec);
            return true;
        }
    return TraTObjectRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppTemplateDBSettingsRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* s = qobject_cast<TppTemplateDBSettings*>(aObject)) {
        if (is(aName, "DataPipeline")) aValue = obj(s->DataPipeline());
        else if (is(aName, "Name")) aValue = s->Name();
        else if (is(aName, "NameField")) aValue = s->NameField();
        else if (is(aName, "TemplateField")) aValue = s->TemplateField();
        else return TraTObjectRTTI::GetPropValue(aObject, aName, aValue);
        return true;
    }
    return TraTObjectRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppTemplateDBSettingsRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* s = qobject_cast<TppTemplateDBSettings*>(aObject)) {
        if (is(aName, "DataPipeline")) s->SetDataPipeline(qobject_cast<TppDataPipeline*>(aValue.value<QObject*>()));
        else if (is(aName, "Name")) s->SetName(aValue.toString());
        else if (is(aName, "NameField")) s->SetNameField(aValue.toString());
        else if (is(aName, "TemplateField")) s->SetTemplateField(aValue.toString());
        else return TraTObjectRTTI::SetPropValue(aObject, aName, aValue);
        return true;
    }
    return TraTObjectRTTI::SetPropValue(aObject, aName, aValue);
}

// ---- custom template ----

void TraTppCustomTemplateRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTObjectRTTI::GetPropList(aClass, aPropList);
    for (const char* n : kCustomNames) aPropList.AddProp(QString::fromLatin1(n));
}

bool TraTppCustomTemplateRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (is(aName, "DatabaseSettings")) {
        ClassPropToRec(QStringLiteral("DatabaseSettings"), &TppTemplateDBSettings::staticMetaObject, true, aPropRec);
        return true;
    }
    if (is(aName, "Owner")) {
        ClassPropToRec(QStringLiteral("Owner"), &TComponent::staticMetaObject, true, aPropRec);
        return true;
    }
    if (is(aName, "Format")) {
        EnumPropToRec(QStringLiteral("Format"), QStringLiteral("TppFormatType"), false, aPropRec);
        return true;
    }
    if (is(aName, "SaveTo")) {
        EnumPropToRec(QStringLiteral("SaveTo"), QStringLiteral("TppSaveToType"), false, aPropRec);
        return true;
    }
    if (is(aName, "Offset")) {
        PropToRec(QStringLiteral("Offset"), TraDataType::daInteger, false, aPropRec);
        return true;
    }
    if (is(aName, "Description") || is(aName, "FileName")) {
        PropToRec(is(aName, "FileName") ? QStringLiteral("FileName") : QStringLiteral("Description"), TraDataType::daString,
                  false, aPropRec);
        return true;
    }
    return TraTObjectRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppCustomTemplateRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* t = qobject_cast<TppCustomTemplate*>(aObject)) {
        if (is(aName, "DatabaseSettings")) aValue = obj(t->DatabaseSettings());
        else if (is(aName, "Description")) aValue = t->Description();
        else if (is(aName, "FileName")) aValue = t->FileName();
        else if (is(aName, "Format")) aValue = int(t->Format());
        else if (is(aName, "Offset")) aValue = t->Offset();
        else if (is(aName, "Owner")) aValue = obj(t->Owner());
        else if (is(aName, "SaveTo")) aValue = int(t->SaveTo());
        else return TraTObjectRTTI::GetPropValue(aObject, aName, aValue);
        return true;
    }
    return TraTObjectRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppCustomTemplateRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* t = qobject_cast<TppCustomTemplate*>(aObject)) {
        if (is(aName, "Description")) t->SetDescription(aValue.toString());
        else if (is(aName, "FileName")) t->SetFileName(aValue.toString());
        else if (is(aName, "Format")) t->SetFormat(TppFormatType(qBound(0, aValue.toInt(), 1)));
        else if (is(aName, "Offset")) t->SetOffset(aValue.toInt());
        else if (is(aName, "SaveTo")) t->SetSaveTo(TppSaveToType(qBound(0, aValue.toInt(), 1)));
        else if (is(aName, "DatabaseSettings") || is(aName, "Owner")) return false;  // read-only
        else return TraTObjectRTTI::SetPropValue(aObject, aName, aValue);
        return true;
    }
    return TraTObjectRTTI::SetPropValue(aObject, aName, aValue);
}

// ---- template ----

void TraTppTemplateRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTppCustomTemplateRTTI::GetPropList(aClass, aPropList);
    // FileExtension, FileFilter, Root and ReadOnly work when named but are not listed.
    for (const char* m : kTemplateMethods) aPropList.AddMethod(QString::fromLatin1(m));
}

bool TraTppTemplateRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    for (const char* m : kTemplateMethods)
        if (is(aName, m)) {
            MethodToRec(QString::fromLatin1(m), false, aPropRec);
            return true;
        }
    if (is(aName, "Root")) {
        ClassPropToRec(QStringLiteral("Root"), &QObject::staticMetaObject, true, aPropRec);
        return true;
    }
    if (is(aName, "ReadOnly")) {
        PropToRec(QStringLiteral("ReadOnly"), TraDataType::daBoolean, true, aPropRec);
        return true;
    }
    for (const char* n : kTemplateNames)
        if (is(aName, n)) {
            PropToRec(QString::fromLatin1(n), TraDataType::daString, false, aPropRec);
            return true;
        }
    return TraTppCustomTemplateRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTppTemplateRTTI::GetParams(const QString& aName) const {
    for (const char* m : kTemplateMethods)
        if (is(aName, m)) return nullptr;
    return TraTppCustomTemplateRTTI::GetParams(aName);
}

bool TraTppTemplateRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    if (auto* t = qobject_cast<TppTemplate*>(aObject)) {
        if (is(aName, "LoadFromDatabase")) t->LoadFromDatabase();
        else if (is(aName, "LoadFromFile") || is(aName, "SaveToFile")) {
            // The template's file follows the scripts' folder rule.
            const QString path = raCheckScriptPath(t->FileName());
            if (path != t->FileName()) t->SetFileName(path);
            if (is(aName, "LoadFromFile")) t->LoadFromFile();
            else t->SaveToFile();
        } else if (is(aName, "New")) t->New();
        else if (is(aName, "SaveToDatabase")) t->SaveToDatabase();
        else return TraTppCustomTemplateRTTI::CallMethod(aObject, aName, aGet, aParams);
        return true;
    }
    return TraTppCustomTemplateRTTI::CallMethod(aObject, aName, aGet, aParams);
}

bool TraTppTemplateRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* t = qobject_cast<TppTemplate*>(aObject)) {
        if (is(aName, "FileExtension")) aValue = t->FileExtension();
        else if (is(aName, "FileFilter")) aValue = t->FileFilter();
        else if (is(aName, "Root")) aValue = obj(t->Root());
        else if (is(aName, "ReadOnly")) aValue = t->IsReadOnly();
        else return TraTppCustomTemplateRTTI::GetPropValue(aObject, aName, aValue);
        return true;
    }
    return TraTppCustomTemplateRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTppTemplateRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* t = qobject_cast<TppTemplate*>(aObject)) {
        if (is(aName, "FileExtension")) t->SetFileExtension(aValue.toString());
        else if (is(aName, "FileFilter")) t->SetFileFilter(aValue.toString());
        else if (is(aName, "Root") || is(aName, "ReadOnly")) return false;
        else return TraTppCustomTemplateRTTI::SetPropValue(aObject, aName, aValue);
        return true;
    }
    return TraTppCustomTemplateRTTI::SetPropValue(aObject, aName, aValue);
}

// ---- report template ----

TClass TraTppReportTemplateRTTI::RefClass() const { return &TppReportTemplate::staticMetaObject; }

bool TraTppReportTemplateRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (is(aName, "Report")) {
        ClassPropToRec(QStringLiteral("Report"), &TComponent::staticMetaObject, true, aPropRec);
        return true;
    }
    return TraTppTemplateRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTppReportTemplateRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* t = qobject_cast<TppReportTemplate*>(aObject); t && is(aName, "Report")) {
        aValue = obj(t->Report());
        return true;
    }
    return TraTppTemplateRTTI::GetPropValue(aObject, aName, aValue);
}

namespace report {

void RegisterTemplateAdapters() {
    raRegisterRTTI<TraTppTemplateDBSettingsRTTI>();
    raRegisterRTTI<TraTppCustomTemplateRTTI>();
    raRegisterRTTI<TraTppTemplateRTTI>();
    raRegisterRTTI<TraTppReportTemplateRTTI>();
}

void UnRegisterTemplateAdapters() {
    raUnRegisterRTTI(RTTIInstance<TraTppReportTemplateRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppTemplateRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppCustomTemplateRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppTemplateDBSettingsRTTI>());
}

}  // namespace report
