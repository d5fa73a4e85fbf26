#pragma once

#include "platform/db/field_def.h"

#include <QVariant>

namespace db::internal {

/// Storage form of a value for a field: null, qlonglong (integers, logical 0/1, dates as
/// whole day numbers), double (numbers, times, timestamps), QString (alpha cut to size, memo;
/// "" becomes null) or QByteArray (BLOBs; bytes padded or cut to size). Text given for a
/// number, logical or date field is parsed. Throws EDBEngineError(kInvalidValue) when the
/// value does not fit the field.
QVariant ToStorage(const FieldDef& field, const QVariant& value);

/// Text form of a stored value as AsString gives it.
QString StorageToString(const FieldDef& field, const QVariant& stored);

}  // namespace db::internal
