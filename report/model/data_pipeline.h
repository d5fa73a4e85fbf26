#pragma once

#include "report/model/relative.h"
#include "report/page/report_types.h"

#include <QVariant>

/// The source of records for report components. This base declares what components ask of
/// a pipeline; it has no records (never active, no fields). The pipelines over datasets and
/// fields derive from it and answer from their data.
class TppDataPipeline : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDataPipeline(TComponent* AOwner = nullptr) : TppRelative(AOwner) {}

    bool IsTopLevel() const override { return true; }

    /// The record source is open.
    virtual bool GetActive() const { return false; }
    /// The data type of a field; dtNotKnown for an unknown field. May raise EDataError.
    virtual TppDataType GetFieldDataType(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return TppDataType::dtNotKnown;
    }
    /// The display name of a field; the field name itself here.
    virtual QString GetFieldAlias(const QString& aFieldName) const { return aFieldName; }
    /// The field is calculated (at design time such fields show no data).
    virtual bool GetFieldIsCalculated(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return false;
    }
    /// The field's value; null here. May raise EDataError.
    virtual QVariant GetFieldValue(const QString& aFieldName) const {
        Q_UNUSED(aFieldName);
        return {};
    }
    virtual QString GetFieldAsString(const QString& aFieldName) const { return GetFieldValue(aFieldName).toString(); }
};
