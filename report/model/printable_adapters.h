#pragma once

// Script adapters of the cacheable base and the printable base.

#include "report/model/printable.h"
#include "report/model/relative_adapters.h"

/// The cacheable base: "CacheRecordSize" (integer, read-only); the rest goes to the relative
/// adapter. The page cache adds its further state here.
class TraTppCacheableRTTI : public TraTppRelativeRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppCacheable::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// The printable: event OnPrint (32) and the printable's properties; lengths in Units as
/// 4-byte floats, screen pixels and mm-thousandths as integers. "DesignControl" is listed but
/// writing it is not handled; "LookupPipeline" always reads False.
class TraTppPrintableRTTI : public TraTppCacheableRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    void GetEventList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppPrintable::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

namespace report {
void RegisterPrintableAdapters();
void UnRegisterPrintableAdapters();
}  // namespace report
