#pragma once

// Script adapters of the templates.

#include "report/model/script_adapter.h"
#include "report/model/template.h"

/// DataPipeline, Name, NameField and TemplateField (read and write).
class TraTppTemplateDBSettingsRTTI : public TraTObjectRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppTemplateDBSettings::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// DatabaseSettings and Owner (read-only), Description, FileName, Format, Offset and SaveTo.
class TraTppCustomTemplateRTTI : public TraTObjectRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppCustomTemplate::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// FileExtension and FileFilter (read and write), Root and ReadOnly (read-only), none listed;
/// the methods LoadFromDatabase, LoadFromFile, New, SaveToDatabase and SaveToFile, which run
/// the template's own operations with its settings (a file follows the scripts' folder rule).
class TraTppTemplateRTTI : public TraTppCustomTemplateRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppTemplate::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// The report's template: Report (read-only, not listed), the template's report.
class TraTppReportTemplateRTTI : public TraTppTemplateRTTI {
    Q_OBJECT
public:
    TClass RefClass() const override;
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

namespace report {
/// Registers and unregisters the four template adapters (start-up and shut-down).
void RegisterTemplateAdapters();
void UnRegisterTemplateAdapters();
}  // namespace report
