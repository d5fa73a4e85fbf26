#include "report/crosstab/matrix.h"

#include "report/page/resource_manager.h"

#include "platform/base/day_time.h"

#include <QDateTime>

#include <cmath>

namespace crosstab {

bool IsNull(const QVariant& v) {
    return !v.isValid() || v.metaType() == QMetaType::fromType<std::nullptr_t>();
}

TppDataType DataTypeOfVariant(const QVariant& v) {
    if (IsNull(v)) return TppDataType::dtNotKnown;
    if (v.metaType() == QMetaType::fromType<TCurrency>()) return TppDataType::dtCurrency;
    switch (v.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::SChar:
        return TppDataType::dtInteger;
    case QMetaType::Float:
    case QMetaType::Double:
        return TppDataType::dtExtended;
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return TppDataType::dtDateTime;
    case QMetaType::Bool:
        return TppDataType::dtBoolean;
    case QMetaType::QString:
    case QMetaType::QChar:
        return TppDataType::dtString;
    default:
        return TppDataType::dtNotKnown;
    }
}

long double ToFloat(const QVariant& v) {
    if (IsNull(v)) return 0;
    if (v.metaType() == QMetaType::fromType<TCurrency>()) return (long double)(v.value<TCurrency>().TenThousandths) / 10000.0L;
    switch (v.metaType().id()) {
    case QMetaType::QDateTime:
        return base::DateTimeToDays(v.toDateTime());
    case QMetaType::QDate:
        return base::DateToDays(v.toDate());
    case QMetaType::QTime:
        return base::TimeToDays(v.toTime());
    case QMetaType::LongLong:
        return (long double)v.toLongLong();
    default: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        return ok ? d : 0;
    }
    }
}

namespace {

/// Rounds to the nearest integer, a half to the even neighbour.
qint64 roundEven(long double v) {
    return qint64(std::nearbyintl(v));
}

qint64 toInt64(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
        return v.toLongLong();
    case QMetaType::Bool:
        return v.toBool() ? -1 : 0;
    default:
        return roundEven(ToFloat(v));
    }
}

qint64 toTenThousandths(const QVariant& v) {
    if (v.metaType() == QMetaType::fromType<TCurrency>()) return v.value<TCurrency>().TenThousandths;
    return qint64(std::llroundl(ToFloat(v) * 10000.0L));
}

}  // namespace

}  // namespace crosstab

using crosstab::IsNull;

void TppCellValue::SetValue(const QVariant& aValue) {
    IsNull = crosstab::IsNull(aValue);
    Empty = false;
}

void TppBooleanCellValue::SetValue(const QVariant& aValue) {
    TppCellValue::SetValue(aValue);
    if (!IsNull) m_value = aValue.toBool();
}

void TppDateTimeCellValue::GetValue(QVariant& aValue) const {
    aValue = base::DaysToDateTime(m_value);
}

void TppDateTimeCellValue::SetValue(const QVariant& aValue) {
    TppCellValue::SetValue(aValue);
    if (!IsNull) m_value = double(crosstab::ToFloat(aValue));
}

void TppDateTimeCellValue::GetSum(QVariant& aValue) const {
    aValue = base::DaysToDateTime(m_sum);
}

void TppDateTimeCellValue::SetSum(const QVariant& aValue) {
    m_sum = double(crosstab::ToFloat(aValue));
}

void TppIntegerCellValue::SetValue(const QVariant& aValue) {
    TppCellValue::SetValue(aValue);
    if (!IsNull) m_value = crosstab::toInt64(aValue);
}

void TppIntegerCellValue::SetSum(const QVariant& aValue) {
    m_sum = crosstab::toInt64(aValue);
}

void TppExtendedCellValue::SetValue(const QVariant& aValue) {
    TppCellValue::SetValue(aValue);
    if (!IsNull) m_value = crosstab::ToFloat(aValue);
}

void TppExtendedCellValue::SetSum(const QVariant& aValue) {
    m_sum = crosstab::ToFloat(aValue);
}

void TppCurrencyCellValue::SetValue(const QVariant& aValue) {
    TppCellValue::SetValue(aValue);
    if (!IsNull) m_value = crosstab::toTenThousandths(aValue);
}

void TppCurrencyCellValue::SetSum(const QVariant& aValue) {
    m_sum = crosstab::toTenThousandths(aValue);
}

TppDataType TppStringCellValue::DataType() const {
    return m_inner ? m_inner->DataType() : TppDataType::dtString;
}

void TppStringCellValue::GetValue(QVariant& aValue) const {
    if (Empty) aValue = QString();
    else if (!Text.isEmpty()) aValue = Text;
    else if (m_inner) m_inner->GetValue(aValue);
    else aValue = QVariant();
}

void TppStringCellValue::SetValue(const QVariant& aValue) {
    TppCellValue::SetValue(aValue);
    m_inner.reset();
    if (IsNull) return;
    const TppDataType type = ppDataTypeOfVarType(aValue);
    if (type == TppDataType::dtString) {
        Text = aValue.toString();
        return;
    }
    m_inner = ppCreateCellValue(type);
    if (m_inner) m_inner->SetValue(aValue);
}

bool TppStringCellValue::GridLine(int aSide) const {
    switch (aSide) {
    case 0: return Left;
    case 1: return Right;
    case 2: return Top;
    case 3: return Bottom;
    default: return false;
    }
}

void TppStringCellValue::SetGridLine(int aSide, bool aValue) {
    switch (aSide) {
    case 0: Left = aValue; break;
    case 1: Right = aValue; break;
    case 2: Top = aValue; break;
    case 3: Bottom = aValue; break;
    default: break;
    }
}

std::unique_ptr<TppCellValue> ppCreateCellValue(TppDataType aDataType) {
    switch (aDataType) {
    case TppDataType::dtBoolean: return std::make_unique<TppBooleanCellValue>();
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime: return std::make_unique<TppDateTimeCellValue>();
    case TppDataType::dtInteger: return std::make_unique<TppIntegerCellValue>();
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended: return std::make_unique<TppExtendedCellValue>();
    case TppDataType::dtCurrency: return std::make_unique<TppCurrencyCellValue>();
    case TppDataType::dtString: return std::make_unique<TppStringCellValue>();
    case TppDataType::dtLongint: return std::make_unique<TppLongintCellValue>();
    default: return nullptr;
    }
}

TppDataType ppDataTypeOfVarType(const QVariant& aValue) {
    return crosstab::DataTypeOfVariant(aValue);
}

bool ppCompatibleDataTypes(TppDataType a, TppDataType b) {
    using D = TppDataType;
    if (a == b) return true;
    const auto numeric = [](D t) {
        return t == D::dtInteger || t == D::dtSingle || t == D::dtDouble || t == D::dtExtended || t == D::dtCurrency ||
               t == D::dtLongint;
    };
    const auto temporal = [](D t) { return t == D::dtDate || t == D::dtTime || t == D::dtDateTime; };
    return (numeric(a) && numeric(b)) || (temporal(a) && temporal(b));
}

QString ppBlankText(const QString& aText) {
    return aText.trimmed().isEmpty() ? ppGetMessageText(68) : aText;
}

// TppMatrix -----------------------------------------------------------------------------------

TppCellValue* TppMatrix::Cell(int c, int r) const {
    if (c < 0 || c >= ColumnCount()) return nullptr;
    const Column& col = m_columns[size_t(c)];
    if (r < 0 || r >= int(col.size())) return nullptr;
    return col[size_t(r)].get();
}

TppStringCellValue* TppMatrix::StringCell(int c, int r) const {
    return dynamic_cast<TppStringCellValue*>(Cell(c, r));
}

TppTotalLabel* TppMatrix::TotalLabel(int c, int r) const {
    return dynamic_cast<TppTotalLabel*>(Cell(c, r));
}

void TppMatrix::ReplaceCell(int c, int r, std::unique_ptr<TppCellValue> aCell) {
    if (!Cell(c, r)) return;
    m_columns[size_t(c)][size_t(r)] = std::move(aCell);
}

void TppMatrix::GetValue(int c, int r, QVariant& aValue) const {
    if (TppCellValue* cell = Cell(c, r)) cell->GetValue(aValue);
    else aValue = QVariant();
}

QVariant TppMatrix::Value(int c, int r) const {
    QVariant v;
    GetValue(c, r, v);
    return v;
}

void TppMatrix::SetValue(int c, int r, const QVariant& aValue) {
    if (TppCellValue* cell = Cell(c, r)) cell->SetValue(aValue);
}

void TppMatrix::GetSum(int c, int r, QVariant& aValue) const {
    if (TppCellValue* cell = Cell(c, r)) cell->GetSum(aValue);
}

void TppMatrix::SetSum(int c, int r, const QVariant& aValue) {
    if (TppCellValue* cell = Cell(c, r)) cell->SetSum(aValue);
}

int TppMatrix::GetCount(int c, int r) const {
    TppCellValue* cell = Cell(c, r);
    return cell ? cell->GetCount() : 0;
}

void TppMatrix::SetCount(int c, int r, int aValue) {
    if (TppCellValue* cell = Cell(c, r)) cell->SetCount(aValue);
}

TppDataType TppMatrix::DataType(int c, int r) const {
    TppCellValue* cell = Cell(c, r);
    return cell ? cell->DataType() : TppDataType::dtNotKnown;
}

int TppMatrix::GetElementIndex(int c, int r) const {
    TppCellValue* cell = Cell(c, r);
    return cell ? cell->ElementIndex : -1;
}

void TppMatrix::SetElementIndex(int c, int r, int aIndex) {
    if (TppCellValue* cell = Cell(c, r)) cell->ElementIndex = aIndex;
}

bool TppMatrix::IsEmpty(int c, int r) const {
    TppCellValue* cell = Cell(c, r);
    return cell ? cell->Empty : true;
}

bool TppMatrix::IsNull(int c, int r) const {
    TppCellValue* cell = Cell(c, r);
    return cell ? cell->IsNull : true;
}

int TppMatrix::Height(int c, int r) const {
    TppStringCellValue* s = StringCell(c, r);
    return s ? s->Height : 0;
}

void TppMatrix::SetHeight(int c, int r, int aValue) {
    if (TppStringCellValue* s = StringCell(c, r)) s->Height = aValue;
}

int TppMatrix::Width(int c, int r) const {
    TppStringCellValue* s = StringCell(c, r);
    return s ? s->Width : 0;
}

void TppMatrix::SetWidth(int c, int r, int aValue) {
    if (TppStringCellValue* s = StringCell(c, r)) s->Width = aValue;
}

bool TppMatrix::ShowText(int c, int r) const {
    TppStringCellValue* s = StringCell(c, r);
    return s ? s->ShowText : false;
}

void TppMatrix::SetShowText(int c, int r, bool aValue) {
    if (TppStringCellValue* s = StringCell(c, r)) s->ShowText = aValue;
}

bool TppMatrix::GridLine(int c, int r, int aSide) const {
    TppStringCellValue* s = StringCell(c, r);
    return s ? s->GridLine(aSide) : false;
}

void TppMatrix::SetGridLine(int c, int r, int aSide, bool aValue) {
    if (TppStringCellValue* s = StringCell(c, r)) s->SetGridLine(aSide, aValue);
}

QString TppMatrix::Caption(int c, int r) const {
    TppTotalLabel* l = TotalLabel(c, r);
    return l ? l->Caption : QString();
}

QString TppMatrix::ValueCaption(int c, int r) const {
    TppTotalLabel* l = TotalLabel(c, r);
    return l ? l->ValueCaption : QString();
}

int TppMatrix::Level(int c, int r) const {
    TppTotalLabel* l = TotalLabel(c, r);
    return l ? l->Level : -1;
}

void TppMatrix::SetLevel(int c, int r, int aLevel) {
    if (TppTotalLabel* l = TotalLabel(c, r)) l->Level = aLevel;
}

int TppMatrix::ValueIndex(int c, int r) const {
    TppTotalLabel* l = TotalLabel(c, r);
    return l ? l->ValueIndex : -1;
}

bool TppMatrix::IsTotalColumn(int c) const {
    return HeaderRowCount > 0 && TotalLabel(c, HeaderRowCount - 1) != nullptr;
}

bool TppMatrix::IsTotalRow(int r) const {
    return HeaderColumnCount > 0 && TotalLabel(HeaderColumnCount - 1, r) != nullptr;
}

int TppMatrix::NextNonTotalColumn(int c) const {
    while (c < ColumnCount() && IsTotalColumn(c)) ++c;
    return c;
}

int TppMatrix::FirstTotalLabelRow(int c) const {
    for (int r = 0; r < HeaderRowCount; ++r)
        if (TotalLabel(c, r)) return r;
    return -1;
}

int TppMatrix::FirstTotalLabelColumn(int r) const {
    for (int c = 0; c < HeaderColumnCount; ++c)
        if (TotalLabel(c, r)) return c;
    return -1;
}

int TppMatrix::ReferenceColumn(int c) const {
    if (ColumnCount() == HeaderColumnCount) return -1;
    int ref = HeaderColumnCount;
    if (c == ref) ++ref;
    return ref >= ColumnCount() ? -1 : ref;
}

std::unique_ptr<TppCellValue> TppMatrix::NewColumnCell(int c, int r, TppDataType aDataType) const {
    if (r < HeaderRowCount || c < HeaderColumnCount) return std::make_unique<TppStringCellValue>();
    const int ref = ReferenceColumn(c);
    if (ref >= 0) {
        if (TppCellValue* model = Cell(ref, r)) {
            std::unique_ptr<TppCellValue> cell = ppCreateCellValue(model->DataType());
            if (!cell) cell = std::make_unique<TppStringCellValue>();
            cell->ElementIndex = model->ElementIndex;
            return cell;
        }
    }
    std::unique_ptr<TppCellValue> cell = ppCreateCellValue(aDataType);
    return cell ? std::move(cell) : std::make_unique<TppStringCellValue>();
}

std::unique_ptr<TppCellValue> TppMatrix::newRowCell(int c, int r, TppDataType aDataType) const {
    if (r < HeaderRowCount || c < HeaderColumnCount) return std::make_unique<TppStringCellValue>();
    std::unique_ptr<TppCellValue> cell = ppCreateCellValue(aDataType);
    return cell ? std::move(cell) : std::make_unique<TppStringCellValue>();
}

void TppMatrix::fillNewColumn(int c, int aLength, TppDataType aDataType) {
    for (int r = 0; r < aLength; ++r) {
        auto cell = NewColumnCell(c, r, aDataType);
        m_columns[size_t(c)].push_back(std::move(cell));
    }
}

void TppMatrix::AddColumns(int aCount, TppDataType aDataType) {
    for (int i = 0; i < aCount; ++i) {
        const int length = m_columns.empty() ? HeaderRowCount + 1 : RowCount();
        m_columns.emplace_back();
        fillNewColumn(ColumnCount() - 1, length, aDataType);
    }
}

void TppMatrix::AddRows(int aCount, TppDataType aDataType) {
    if (m_columns.empty()) {
        AddColumns(HeaderColumnCount + 1, aDataType);
        aCount -= RowCount();
    }
    for (int i = 0; i < aCount; ++i) {
        const int r = RowCount();
        for (int c = 0; c < ColumnCount(); ++c) m_columns[size_t(c)].push_back(newRowCell(c, r, aDataType));
    }
}

void TppMatrix::InsertColumns(int c, int aCount, TppDataType aDataType) {
    for (int i = 0; i < aCount; ++i) {
        const int length = m_columns.empty() ? HeaderRowCount + 1 : RowCount();
        const int at = std::clamp(c, 0, ColumnCount());
        m_columns.insert(m_columns.begin() + at, Column());
        fillNewColumn(at, length, aDataType);
    }
}

void TppMatrix::InsertRows(int r, int aCount, TppDataType aDataType) {
    if (m_columns.empty())
        for (int i = 0; i < HeaderColumnCount + 1; ++i) m_columns.emplace_back();
    for (int c = 0; c < ColumnCount(); ++c) {
        Column& col = m_columns[size_t(c)];
        const int at = std::clamp(r, 0, int(col.size()));
        for (int i = 0; i < aCount; ++i) col.insert(col.begin() + at, newRowCell(c, at, aDataType));
    }
}

void TppMatrix::InsertTotalColumn(int c, int aLevel, TppDataType aDataType, const QVariant& aValue,
                                  const QString& aCaption, bool aFromLevel) {
    InsertColumns(c, 1, aDataType);
    for (int r = aFromLevel ? aLevel : 0; r < HeaderRowCount; ++r) {
        auto label = std::make_unique<TppTotalLabel>();
        label->SetValue(aValue);
        label->Caption = aCaption;
        label->Level = aLevel;
        ReplaceCell(c, r, std::move(label));
    }
}

void TppMatrix::InsertTotalRow(int r, int aLevel, int aValueIndex, TppDataType aDataType, const QVariant& aValue,
                               const QString& aCaption, const QString& aValueCaption, bool aFromLevel) {
    InsertRows(r, 1, aDataType);
    for (int c = aFromLevel ? aLevel : 0; c < HeaderColumnCount; ++c) {
        auto label = std::make_unique<TppTotalLabel>();
        label->SetValue(aValue);
        label->Caption = aCaption;
        label->Level = aLevel;
        label->ValueIndex = aValueIndex;
        label->ValueCaption = aValueCaption;
        ReplaceCell(c, r, std::move(label));
    }
}

// Text form -----------------------------------------------------------------------------------

namespace crosstab {

QString ValueText(const QVariant& v) {
    if (IsNull(v)) return QStringLiteral("null");
    if (v.metaType() == QMetaType::fromType<TCurrency>()) {
        const qint64 t = v.value<TCurrency>().TenThousandths;
        const qint64 a = t < 0 ? -t : t;
        return QStringLiteral("%1%2.%3").arg(t < 0 ? QStringLiteral("-") : QString()).arg(a / 10000).arg(a % 10000, 4, 10, QLatin1Char('0'));
    }
    switch (v.metaType().id()) {
    case QMetaType::QString:
        return u'"' + v.toString() + u'"';
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(Qt::ISODate);
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

QString MatrixText(const TppMatrix& m) {
    QString out = QStringLiteral("%1 columns, %2 rows, %3 caption rows, %4 caption columns\n")
                      .arg(m.ColumnCount()).arg(m.RowCount()).arg(m.HeaderRowCount).arg(m.HeaderColumnCount);
    for (int r = 0; r < m.RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m.ColumnCount(); ++c) {
            TppCellValue* cell = m.Cell(c, r);
            QString text;
            if (auto* s = dynamic_cast<TppStringCellValue*>(cell)) {
                if (!s->ShowText) text += u'~';
                if (auto* l = dynamic_cast<TppTotalLabel*>(s)) {
                    text += QStringLiteral("[%1 L%2 V%3%4] ").arg(l->Caption).arg(l->Level).arg(l->ValueIndex)
                                .arg(l->ValueCaption.isEmpty() ? QString() : u' ' + l->ValueCaption);
                }
                QVariant v;
                s->GetValue(v);
                text += s->Empty ? QStringLiteral(".") : ValueText(v);
                QString sides;
                if (!s->Left) sides += u'l';
                if (!s->Right) sides += u'r';
                if (!s->Top) sides += u't';
                if (!s->Bottom) sides += u'b';
                if (!sides.isEmpty()) text += u'-' + sides;
            } else if (cell) {
                QVariant v;
                cell->GetValue(v);
                text = cell->Empty ? QStringLiteral(".") : ValueText(v);
            }
            if (cell && cell->ElementIndex >= 0) text += QStringLiteral(" #") + QString::number(cell->ElementIndex);
            cells << text;
        }
        out += cells.join(QStringLiteral(" | ")) + u'\n';
    }
    return out;
}

}  // namespace crosstab

// Accumulation in the cells' own arithmetic ---------------------------------------------------------

namespace {

bool isIntegralVariant(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return true;
    default:
        return false;
    }
}

/// The running figures of one accumulation step, as long doubles: the cell's new value by
/// calculation type; false for a value the cell must not take.
template <class Cell, class Get, class Set>
void minMax(Cell& cell, TppDBCalcType aCalcType, long double value, Get current, Set set) {
    const bool take = cell.IsNull || (aCalcType == TppDBCalcType::dcMinimum ? value < current() : value > current());
    if (take) set();
}

}  // namespace

bool TppIntegerCellValue::Accumulate(TppDBCalcType aCalcType, const QVariant& aValue) {
    switch (aCalcType) {
    case TppDBCalcType::dcCount:
        m_value += 1;
        break;
    case TppDBCalcType::dcSum:
        // current + value: integers stay integers; a fraction makes the sum floating, then rounded.
        m_value = isIntegralVariant(aValue) ? m_value + aValue.toLongLong()
                                            : crosstab::roundEven(double((long double)m_value + crosstab::ToFloat(aValue)));
        break;
    case TppDBCalcType::dcMinimum:
    case TppDBCalcType::dcMaximum: {
        const long double v = crosstab::ToFloat(aValue);
        minMax(*this, aCalcType, v, [&] { return (long double)m_value; }, [&] { m_value = crosstab::toInt64(aValue); });
        break;
    }
    case TppDBCalcType::dcAverage:
        m_sum = isIntegralVariant(aValue) ? m_sum + aValue.toLongLong()
                                          : crosstab::roundEven(double((long double)m_sum + crosstab::ToFloat(aValue)));
        ++m_count;
        m_value = crosstab::roundEven((long double)m_sum / (long double)m_count);
        break;
    }
    IsNull = false;
    Empty = false;
    return true;
}

bool TppExtendedCellValue::Accumulate(TppDBCalcType aCalcType, const QVariant& aValue) {
    const long double v = crosstab::ToFloat(aValue);
    switch (aCalcType) {
    case TppDBCalcType::dcCount:
        m_value += 1;
        break;
    case TppDBCalcType::dcSum:
        m_value = double((long double)double(m_value) + v);
        break;
    case TppDBCalcType::dcMinimum:
    case TppDBCalcType::dcMaximum:
        minMax(*this, aCalcType, v, [&] { return (long double)double(m_value); }, [&] { m_value = v; });
        break;
    case TppDBCalcType::dcAverage:
        m_sum = double((long double)double(m_sum) + v);
        ++m_count;
        m_value = double(m_sum / (long double)m_count);
        break;
    }
    IsNull = false;
    Empty = false;
    return true;
}

bool TppCurrencyCellValue::Accumulate(TppDBCalcType aCalcType, const QVariant& aValue) {
    switch (aCalcType) {
    case TppDBCalcType::dcCount:
        m_value += 10000;
        break;
    case TppDBCalcType::dcSum:
        m_value += crosstab::toTenThousandths(aValue);
        break;
    case TppDBCalcType::dcMinimum:
    case TppDBCalcType::dcMaximum: {
        const long double v = crosstab::ToFloat(aValue);
        minMax(*this, aCalcType, v, [&] { return (long double)m_value / 10000.0L; },
               [&] { m_value = crosstab::toTenThousandths(aValue); });
        break;
    }
    case TppDBCalcType::dcAverage:
        return false;
    }
    IsNull = false;
    Empty = false;
    return true;
}
