#pragma once

// Script adapters of the pipelines.

#include "report/model/db_pipeline.h"
#include "report/model/printable_adapters.h"

/// The pipeline: Active, BOF, EOF, DataTraversed, DataView, TraversalCount, CurrentField,
/// FieldCount and MasterFieldLinkCount (read-only), SkipWhenNoRecords, Visible and
/// MasterDataPipeline (read and write); the array properties FieldValues [alias] (also the
/// default), Fields [index] and MasterFieldLinkItems [index]; the eleven events (ids 36 to 47).
class TraTppDataPipelineRTTI : public TraTppCacheableRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    void GetEventList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppDataPipeline::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// The dataset pipeline adds AutoCreateFields, OpenDataSource, CloseDataSource,
/// RefreshAfterPost, MoveBy, RangeEndCount, RangeBegin, RangeEnd and DataSource, read and
/// written through their setters.
class TraTppDBPipelineRTTI : public TraTppDataPipelineRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppDBPipeline::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

namespace report {
/// Registers and unregisters the two pipeline adapters (start-up and shut-down).
void RegisterPipelineAdapters();
void UnRegisterPipelineAdapters();
}  // namespace report
