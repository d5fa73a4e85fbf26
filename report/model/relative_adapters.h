#pragma once

// Script adapters of the communicator and the relative tree.

#include "report/model/relative.h"
#include "report/model/script_adapter.h"

/// Adds "UserName" (string, writable: GetUserName / SetUserName); the rest goes to the
/// component adapter.
class TraTppCommunicatorRTTI : public TraTComponentRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppCommunicator::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// Adds the tree: AllChildCount, ChildCount, FreeingChildren, Index, OrderedChildren (read
/// only), ChildType, Parent and Position (read and write).
class TraTppRelativeRTTI : public TraTppCommunicatorRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppRelative::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

namespace report {
/// Registers and unregisters the two adapters (start-up and shut-down).
void RegisterRelativeAdapters();
void UnRegisterRelativeAdapters();
}  // namespace report
