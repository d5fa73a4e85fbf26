#pragma once

// Script adapter of the barcodes.

#include "report/model/barcode.h"
#include "report/model/report_adapters.h"

/// The barcode's settings, all read and written through their setters (a refused value
/// keeps the old one): AddOnCode, Data (strings); AutoEncode, AutoSizeFont, BearerBars,
/// CalcCheckDigit, PrintHumanReadable (Booleans); BarCodeType ("TppBarCodeType") and
/// Orientation ("TppBarCodeOrientation") as enumerations; BarColor an Integer taking the
/// colour constants; BarWidth and
/// WideBarRatio (singles, BarWidth in the report's unit). It describes the barcode base, so
/// the data barcode reaches the same members. Every other name goes to the printable's
/// adapter.
class TraTppBarCodeRTTI : public TraTppComponentRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppCustomBarCode::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

namespace report {
/// Registers and unregisters the barcode adapter (with the printable's).
void RegisterBarCodeAdapters();
void UnRegisterBarCodeAdapters();
}  // namespace report
