#pragma once

// Script adapters of the cross-tab and its definition elements. Every operation compares
// the member name without regard to case, handles its own names and hands any other name
// to the adapter it derives from. The cross-tab also takes the parameter lists of its
// events from its adapter (GetParams), so script handlers receive the arguments in order.

#include "report/crosstab/crosstab.h"

#include "report/model/printable_adapters.h"
#include "report/model/relative_adapters.h"

/// The cross-tab: its twelve events (54 to 65), the definition lists and their counts, the
/// matrix, Calculating and Modified (read-only), Draw, GridLines, Pagination and Style (read
/// and written through their setters). These members are not listed; they work when named.
class TraTppCrossTabRTTI : public TraTppPrintableRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    void GetEventList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppCrossTab::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// A definition element: formatting, ElementIndex and the layout fields, and the methods
/// GetName, GetDataType, GetDesignName, HasDisplayFormat and Modified.
class TraTppElementRTTI : public TraTppRelativeRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppElement::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// A dimension: NullOrder, Skip, SkipNulls, SubTotalCount, SubTotals, SortType and the
/// methods Clear, GetCaption, GetFieldDataType, GetIndex, GetValue, ShowSubTotals.
class TraTppDimensionRTTI : public TraTppElementRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppDimension::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// A value definition adds CaptionDef (read-only).
class TraTppValueDefRTTI : public TraTppDimensionRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppValueDef::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// A total: CaptionDef and TotalDef (read-only), the methods CrossTab and GetValueDef.
class TraTppTotalRTTI : public TraTppRelativeRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppTotal::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};
