#include "platform/db/field.h"

#include "platform/base/text_cut.h"
#include "platform/db/db_error.h"
#include "platform/db/internal/values.h"
#include "platform/db/table.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace db {

namespace internal {

namespace {

[[noreturn]] void invalid(const FieldDef& field, const QString& why) {
    Raise(ErrorCode::kInvalidValue, QStringLiteral("Field: %1. %2").arg(field.Name, why));
}

std::optional<double> parseNumber(const QString& text) {
    bool ok = false;
    const double d = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok && std::isfinite(d)) return d;
    return std::nullopt;
}

std::optional<qlonglong> parseInteger(const QString& text) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (ok) return v;
    return std::nullopt;
}

std::optional<double> parseDateTime(const QString& text) {
    const QString t = text.trimmed();
    for (const Qt::DateFormat f : {Qt::ISODate, Qt::ISODateWithMs}) {
        const QDateTime dt = QDateTime::fromString(t, f);
        if (dt.isValid()) return base::DateTimeToDays(dt);
    }
    const QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (dt.isValid()) return base::DateTimeToDays(dt);
    const QDate d = QDate::fromString(t, Qt::ISODate);
    if (d.isValid()) return base::DateToDays(d);
    for (const char* fmt : {"hh:mm:ss", "hh:mm", "hh:mm:ss.zzz"}) {
        const QTime tm = QTime::fromString(t, QLatin1String(fmt));
        if (tm.isValid()) return base::TimeToDays(tm);
    }
    return std::nullopt;
}

std::optional<bool> parseBool(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("yes") || t == QLatin1String("y") ||
        t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("f") || t == QLatin1String("no") || t == QLatin1String("n") ||
        t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

qlonglong checkedInteger(const FieldDef& field, double d) {
    if (!std::isfinite(d)) invalid(field, QStringLiteral("The number is not finite."));
    const double r = std::round(d);
    qlonglong low = -2147483648LL, high = 2147483647LL;
    if (field.DataType == FieldType::ftSmallint) low = -32768, high = 32767;
    if (r < double(low) || r > double(high)) invalid(field, QStringLiteral("%1 is out of range.").arg(d));
    return qlonglong(r);
}

bool isNumericVariant(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

}  // namespace

QVariant ToStorage(const FieldDef& field, const QVariant& value) {
    if (value.isNull() || !value.isValid()) return QVariant();
    const bool isText = value.typeId() == QMetaType::QString;
    switch (field.DataType) {
    case FieldType::ftString: {
        QString s = value.typeId() == QMetaType::Bool ? (value.toBool() ? QStringLiteral("True") : QStringLiteral("False"))
                                                       : value.toString();
        s = base::CutToLength(s, field.Size);
        if (s.isEmpty()) return QVariant();
        return s;
    }
    case FieldType::ftMemo:
    case FieldType::ftFmtMemo: {
        const QString s = value.typeId() == QMetaType::QByteArray ? QString::fromUtf8(value.toByteArray()) : value.toString();
        if (s.isEmpty()) return QVariant();
        return s;
    }
    case FieldType::ftGraphic:
    case FieldType::ftBlob: {
        const QByteArray b = value.typeId() == QMetaType::QString ? value.toString().toLatin1() : value.toByteArray();
        if (b.isEmpty()) return QVariant();
        return b;
    }
    case FieldType::ftBytes: {
        QByteArray b = value.typeId() == QMetaType::QString ? value.toString().toLatin1() : value.toByteArray();
        if (b.isEmpty()) return QVariant();
        b = b.left(field.Size);
        if (b.size() < field.Size) b.append(QByteArray(field.Size - b.size(), '\0'));
        return b;
    }
    case FieldType::ftBoolean:
        if (isText) {
            if (value.toString().trimmed().isEmpty()) return QVariant();
            const auto b = parseBool(value.toString());
            if (!b) invalid(field, QStringLiteral("'%1' is not a valid Boolean value.").arg(value.toString()));
            return qlonglong(*b ? 1 : 0);
        }
        return qlonglong(value.toDouble() != 0.0 || value.toBool() ? 1 : 0);
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
        if (isText) {
            if (value.toString().trimmed().isEmpty()) return QVariant();
            if (const auto i = parseInteger(value.toString())) return checkedInteger(field, double(*i));
            invalid(field, QStringLiteral("'%1' is not a valid integer value.").arg(value.toString()));
        }
        if (!isNumericVariant(value)) invalid(field, QStringLiteral("The value is not a number."));
        return checkedInteger(field, value.toDouble());
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD: {
        double d;
        if (isText) {
            if (value.toString().trimmed().isEmpty()) return QVariant();
            const auto n = parseNumber(value.toString());
            if (!n) invalid(field, QStringLiteral("'%1' is not a valid floating point value.").arg(value.toString()));
            d = *n;
        } else if (isNumericVariant(value)) {
            d = value.toDouble();
        } else {
            invalid(field, QStringLiteral("The value is not a number."));
        }
        if (!std::isfinite(d)) invalid(field, QStringLiteral("The number is not finite."));
        if (field.DataType == FieldType::ftBCD && field.Size > 0) {
            const double scale = std::pow(10.0, field.Size);
            d = std::round(d * scale) / scale;
        }
        return d;
    }
    case FieldType::ftDate:
    case FieldType::ftTime:
    case FieldType::ftDateTime: {
        double d;
        if (value.typeId() == QMetaType::QDate) {
            d = base::DateToDays(value.toDate());
        } else if (value.typeId() == QMetaType::QDateTime) {
            d = base::DateTimeToDays(value.toDateTime());
        } else if (value.typeId() == QMetaType::QTime) {
            d = base::TimeToDays(value.toTime());
        } else if (isText) {
            if (value.toString().trimmed().isEmpty()) return QVariant();
            const auto n = parseDateTime(value.toString());
            if (!n) invalid(field, QStringLiteral("'%1' is not a valid date and time.").arg(value.toString()));
            d = *n;
        } else if (isNumericVariant(value)) {
            d = value.toDouble();
        } else {
            invalid(field, QStringLiteral("The value is not a date."));
        }
        if (!base::IsValidDayNumber(d)) invalid(field, QStringLiteral("%1 is not a valid date.").arg(d));
        if (field.DataType == FieldType::ftDate) return qlonglong(std::floor(d));
        if (field.DataType == FieldType::ftTime) return d - std::floor(d);
        return d;
    }
    case FieldType::ftUnknown:
        break;
    }
    invalid(field, QStringLiteral("The field has no known type."));
}

QString StorageToString(const FieldDef& field, const QVariant& stored) {
    if (stored.isNull()) return QString();
    switch (field.DataType) {
    case FieldType::ftString:
    case FieldType::ftMemo:
    case FieldType::ftFmtMemo:
        if (stored.metaType() == QMetaType::fromType<QString>()) return *static_cast<const QString*>(stored.constData());
        return stored.toString();
    case FieldType::ftGraphic:
    case FieldType::ftBlob:
    case FieldType::ftBytes:
        return QString::fromLatin1(stored.toByteArray());
    case FieldType::ftBoolean:
        return stored.toLongLong() != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
        return QString::number(stored.toLongLong());
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
        return QString::number(stored.toDouble(), 'g', 15);
    case FieldType::ftDate:
        return base::DaysToDate(stored.toDouble()).toString(Qt::ISODate);
    case FieldType::ftTime:
        return base::DaysToTime(stored.toDouble()).toString(QStringLiteral("hh:mm:ss"));
    case FieldType::ftDateTime:
        return base::DaysToDateTime(stored.toDouble()).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case FieldType::ftUnknown:
        break;
    }
    return stored.toString();
}

}  // namespace internal

Field::Field(Table* table, int index, FieldDef def) : m_table(table), m_index(index), m_def(std::move(def)) {}

bool Field::CanModify() const {
    return !m_readOnly && m_def.DataType != FieldType::ftAutoInc && m_table && m_table->CanModify();
}

bool Field::IsNull() const { return m_table->currentValue(m_index).isNull(); }

void Field::Clear() { m_table->setBufferValue(m_index, QVariant()); }

QVariant Field::Value() const {
    const QVariant& v = m_table->currentValue(m_index);
    if (v.isNull()) return QVariant();
    switch (m_def.DataType) {
    case FieldType::ftBoolean:
        return AsBoolean();
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
        return AsInteger();
    case FieldType::ftDate:
    case FieldType::ftDateTime:
        return base::DaysToDateTime(v.toDouble());
    case FieldType::ftTime:
        return base::DaysToTime(v.toDouble());
    case FieldType::ftGraphic:
    case FieldType::ftBlob:
        return AsBytes();
    default:
        return v;
    }
}

void Field::SetValue(const QVariant& value) { m_table->setBufferValue(m_index, internal::ToStorage(m_def, value)); }

QString Field::AsString() const {
    if (m_def.DataType == FieldType::ftGraphic || m_def.DataType == FieldType::ftBlob)
        return QString::fromLatin1(AsBytes());
    return internal::StorageToString(m_def, m_table->currentValue(m_index));
}

void Field::SetAsString(const QString& text) { SetValue(text); }

qint32 Field::AsInteger() const {
    const QVariant& v = m_table->currentValue(m_index);
    if (v.isNull()) return 0;
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const qlonglong i = v.toString().trimmed().toLongLong(&ok);
        if (!ok || i < INT_MIN || i > INT_MAX)
            Raise(ErrorCode::kInvalidValue, QStringLiteral("Field: %1. '%2' is not a valid integer value.").arg(m_def.Name, v.toString()));
        return qint32(i);
    }
    if (v.typeId() == QMetaType::Double) {
        const double r = std::round(v.toDouble());
        if (r < INT_MIN || r > INT_MAX) Raise(ErrorCode::kInvalidValue, QStringLiteral("Field: %1.").arg(m_def.Name));
        return qint32(r);
    }
    if (v.typeId() == QMetaType::QByteArray) Raise(ErrorCode::kInvalidValue, QStringLiteral("Field: %1.").arg(m_def.Name));
    return qint32(v.toLongLong());
}

void Field::SetAsInteger(qint32 value) { SetValue(qlonglong(value)); }

double Field::AsFloat() const {
    const QVariant& v = m_table->currentValue(m_index);
    if (v.isNull()) return 0.0;
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const double d = QLocale::c().toDouble(v.toString().trimmed(), &ok);
        if (!ok) Raise(ErrorCode::kInvalidValue, QStringLiteral("Field: %1. '%2' is not a valid floating point value.").arg(m_def.Name, v.toString()));
        return d;
    }
    if (v.typeId() == QMetaType::QByteArray) Raise(ErrorCode::kInvalidValue, QStringLiteral("Field: %1.").arg(m_def.Name));
    return v.toDouble();
}

void Field::SetAsFloat(double value) { SetValue(value); }

bool Field::AsBoolean() const {
    const QVariant& v = m_table->currentValue(m_index);
    if (v.isNull()) return false;
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        return !t.isEmpty() && QStringLiteral("TtYy1").contains(t.at(0));
    }
    if (v.typeId() == QMetaType::QByteArray) Raise(ErrorCode::kInvalidValue, QStringLiteral("Field: %1.").arg(m_def.Name));
    return v.toDouble() != 0.0;
}

void Field::SetAsBoolean(bool value) {
    if (m_def.DataType == FieldType::ftString) {
        SetValue(value ? QStringLiteral("True") : QStringLiteral("False"));
    } else {
        SetValue(qlonglong(value ? 1 : 0));
    }
}

base::DayNumber Field::AsDateTime() const {
    const QVariant& v = m_table->currentValue(m_index);
    if (v.isNull()) return 0.0;
    if (v.typeId() == QMetaType::QString) {
        const QVariant d = internal::ToStorage(FieldDef{m_def.Name, FieldType::ftDateTime, 0, false}, v);
        return d.toDouble();
    }
    if (v.typeId() == QMetaType::QByteArray) Raise(ErrorCode::kInvalidValue, QStringLiteral("Field: %1.").arg(m_def.Name));
    return v.toDouble();
}

void Field::SetAsDateTime(base::DayNumber days) { SetValue(days); }

QByteArray Field::AsBytes() const {
    if (m_def.DataType == FieldType::ftGraphic || m_def.DataType == FieldType::ftBlob) return m_table->blobValue(m_index);
    const QVariant& v = m_table->currentValue(m_index);
    if (v.isNull()) return {};
    if (v.typeId() == QMetaType::QByteArray) return v.toByteArray();
    return v.toString().toUtf8();
}

void Field::SetAsBytes(const QByteArray& bytes) {
    if (IsTextType(m_def.DataType)) {
        SetValue(QString::fromUtf8(bytes));
    } else {
        SetValue(bytes);
    }
}

qint64 Field::BlobSize() const {
    if (m_def.DataType == FieldType::ftGraphic || m_def.DataType == FieldType::ftBlob) return m_table->blobSize(m_index);
    const QVariant& v = m_table->currentValue(m_index);
    if (v.isNull()) return 0;
    if (v.typeId() == QMetaType::QByteArray) return v.toByteArray().size();
    return v.toString().toUtf8().size();
}

QStringList Field::Lines() const {
    const QString text = AsString();
    if (text.isEmpty()) return {};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void Field::SetLines(const QStringList& lines) {
    SetAsString(lines.isEmpty() ? QString() : lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

void Field::Assign(const Field& source) {
    if (source.IsNull()) {
        Clear();
        return;
    }
    switch (source.DataType()) {
    case FieldType::ftGraphic:
    case FieldType::ftBlob:
    case FieldType::ftBytes:
        if (IsTextType(m_def.DataType)) {
            SetAsString(QString::fromUtf8(source.AsBytes()));
        } else {
            SetValue(source.AsBytes());
        }
        return;
    case FieldType::ftDate:
    case FieldType::ftTime:
    case FieldType::ftDateTime:
        if (IsTextType(m_def.DataType)) {
            SetAsString(source.AsString());
        } else {
            SetValue(source.AsDateTime());
        }
        return;
    default:
        SetValue(source.m_table->currentValue(source.m_index));
        return;
    }
}

}  // namespace db
