#pragma once

// The result of a cross-tab calculation: a rectangular grid of typed cells. The first
// HeaderRowCount rows carry the column captions, the first HeaderColumnCount columns the row
// captions, and the other cells the accumulated figures. The engine builds and fills it, the
// renderer measures and draws it, and scripts read it through the cross-tab's Matrix.
//
// Values travel as QVariant: Null is an invalid QVariant or a variant holding nullptr (the
// script side's Null); integers are qlonglong, floating values double, currency TCurrency,
// dates QDateTime, Booleans bool and strings QString.

#include "report/page/class_library.h"
#include "report/page/report_types.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace crosstab {

/// Whether a variant is Null (an invalid QVariant or the script side's Null).
bool IsNull(const QVariant& v);
/// The cell data type a variant's type stands for (ppDataTypeOfVarType).
TppDataType DataTypeOfVariant(const QVariant& v);
/// A variant as a floating value (dates as day numbers); 0 for what is not a number.
long double ToFloat(const QVariant& v);

}  // namespace crosstab

/// One cell of the matrix. Empty until a value was set; IsNull while the last value set was
/// Null; ElementIndex names the definition element that formats the cell (-1: none).
class TppCellValue {
public:
    virtual ~TppCellValue() = default;

    virtual TppDataType DataType() const = 0;
    virtual void GetValue(QVariant& aValue) const = 0;
    /// Base part: IsNull := the value is Null, Empty := False.
    virtual void SetValue(const QVariant& aValue);
    virtual int GetCount() const = 0;
    virtual void GetSum(QVariant& aValue) const = 0;
    virtual void SetCount(const QVariant& aValue) = 0;
    virtual void SetSum(const QVariant& aValue) = 0;
    /// Accumulates a number or date into the cell in its own arithmetic, as the engine's
    /// variant arithmetic would (a count adds one; an average keeps sum and count). Answers
    /// false when the cell leaves it to the variant arithmetic.
    virtual bool Accumulate(TppDBCalcType aCalcType, const QVariant& aValue) {
        Q_UNUSED(aCalcType);
        Q_UNUSED(aValue);
        return false;
    }

    bool Empty = true;
    bool IsNull = true;
    int ElementIndex = -1;
};

/// The typed cells: each keeps its value, a running sum and a count (for averages).
class TppBooleanCellValue : public TppCellValue {
public:
    TppDataType DataType() const override { return TppDataType::dtBoolean; }
    void GetValue(QVariant& aValue) const override { aValue = m_value; }
    void SetValue(const QVariant& aValue) override;
    int GetCount() const override { return m_count; }
    void GetSum(QVariant& aValue) const override { aValue = false; }
    void SetCount(const QVariant& aValue) override { m_count = aValue.toInt(); }
    void SetSum(const QVariant&) override {}

private:
    bool m_value = false;
    int m_count = 0;
};

/// A date-time cell; the value and the sum are day numbers, read as QDateTime.
class TppDateTimeCellValue : public TppCellValue {
public:
    TppDataType DataType() const override { return TppDataType::dtDateTime; }
    void GetValue(QVariant& aValue) const override;
    void SetValue(const QVariant& aValue) override;
    int GetCount() const override { return m_count; }
    void GetSum(QVariant& aValue) const override;
    void SetCount(const QVariant& aValue) override { m_count = aValue.toInt(); }
    void SetSum(const QVariant& aValue) override;

private:
    double m_value = 0;
    double m_sum = 0;
    int m_count = 0;
};

/// An integer cell. The value and the sum are kept in 64 bits, so sums of many 32-bit
/// values do not wrap; a fraction set into it is rounded to the nearest integer, a half to
/// the even neighbour.
class TppIntegerCellValue : public TppCellValue {
public:
    TppDataType DataType() const override { return TppDataType::dtInteger; }
    void GetValue(QVariant& aValue) const override { aValue = QVariant(qlonglong(m_value)); }
    void SetValue(const QVariant& aValue) override;
    int GetCount() const override { return m_count; }
    void GetSum(QVariant& aValue) const override { aValue = QVariant(qlonglong(m_sum)); }
    void SetCount(const QVariant& aValue) override { m_count = aValue.toInt(); }
    void SetSum(const QVariant& aValue) override;
    bool Accumulate(TppDBCalcType aCalcType, const QVariant& aValue) override;

private:
    qint64 m_value = 0;
    qint64 m_sum = 0;
    int m_count = 0;
};

class TppLongintCellValue : public TppIntegerCellValue {
public:
    TppDataType DataType() const override { return TppDataType::dtLongint; }
};

/// A floating cell (long double).
class TppExtendedCellValue : public TppCellValue {
public:
    TppDataType DataType() const override { return TppDataType::dtExtended; }
    void GetValue(QVariant& aValue) const override { aValue = double(m_value); }
    void SetValue(const QVariant& aValue) override;
    int GetCount() const override { return m_count; }
    void GetSum(QVariant& aValue) const override { aValue = double(m_sum); }
    void SetCount(const QVariant& aValue) override { m_count = aValue.toInt(); }
    void SetSum(const QVariant& aValue) override;
    bool Accumulate(TppDBCalcType aCalcType, const QVariant& aValue) override;

private:
    long double m_value = 0;
    long double m_sum = 0;
    int m_count = 0;
};

/// A currency cell: ten-thousandths in 64 bits, read as TCurrency.
class TppCurrencyCellValue : public TppCellValue {
public:
    TppDataType DataType() const override { return TppDataType::dtCurrency; }
    void GetValue(QVariant& aValue) const override { aValue = QVariant::fromValue(TCurrency{m_value}); }
    void SetValue(const QVariant& aValue) override;
    int GetCount() const override { return m_count; }
    void GetSum(QVariant& aValue) const override { aValue = QVariant::fromValue(TCurrency{m_sum}); }
    void SetCount(const QVariant& aValue) override { m_count = aValue.toInt(); }
    void SetSum(const QVariant& aValue) override;
    bool Accumulate(TppDBCalcType aCalcType, const QVariant& aValue) override;

private:
    qint64 m_value = 0;  ///< ten-thousandths
    qint64 m_sum = 0;    ///< ten-thousandths
    int m_count = 0;
};

/// A caption cell: a text, or an inner typed cell for a non-string value, with grid-line
/// flags, whether it shows its text, and the size the renderer measured (mm-thousandths).
class TppStringCellValue : public TppCellValue {
public:
    /// The inner cell's type, else dtString.
    TppDataType DataType() const override;
    /// "" while Empty; else Text when not empty; else the inner cell's value; else Null.
    void GetValue(QVariant& aValue) const override;
    /// A string goes into Text; another non-Null value into a new inner cell of its type.
    void SetValue(const QVariant& aValue) override;
    int GetCount() const override { return 0; }
    void GetSum(QVariant& aValue) const override { aValue = 0; }
    void SetCount(const QVariant&) override {}
    void SetSum(const QVariant&) override {}

    /// Grid-line flag by side: 0 Left, 1 Right, 2 Top, 3 Bottom.
    bool GridLine(int aSide) const;
    void SetGridLine(int aSide, bool aValue);

    bool Left = true, Right = true, Top = true, Bottom = true;
    QString Text;
    bool ShowText = true;
    int Height = 0;  ///< mm-thousandths, set by the renderer
    int Width = 0;   ///< mm-thousandths, set by the renderer

private:
    std::unique_ptr<TppCellValue> m_inner;
};

/// The caption of a total column or row; its value is the group's dimension value.
class TppTotalLabel : public TppStringCellValue {
public:
    QString Caption;
    int Level = -1;       ///< dimension level of the total; -1 for a grand total
    int ValueIndex = -1;  ///< value definition of a total row when there are several
    QString ValueCaption;
};

/// A cell one record updates.
class TppCoordinate {
public:
    TppCoordinate(int aColumn, int aRow) : Column(aColumn), Row(aRow) {}
    virtual ~TppCoordinate() = default;
    int Column;
    int Row;
};

class TppSubTotalCoordinate : public TppCoordinate {
public:
    TppSubTotalCoordinate(int aColumn, int aRow, int aLevel) : TppCoordinate(aColumn, aRow), Level(aLevel) {}
    int Level;
};

class TppColumnSubTotalCoordinate : public TppSubTotalCoordinate {
public:
    using TppSubTotalCoordinate::TppSubTotalCoordinate;
};

class TppRowSubTotalCoordinate : public TppSubTotalCoordinate {
public:
    using TppSubTotalCoordinate::TppSubTotalCoordinate;
};


/// A new cell of a data type; null for a type without a cell class.
std::unique_ptr<TppCellValue> ppCreateCellValue(TppDataType aDataType);
/// The cell data type of a variant's type: integers dtInteger, floating dtExtended, currency
/// dtCurrency, dates dtDateTime, Booleans dtBoolean, strings dtString, else dtNotKnown.
TppDataType ppDataTypeOfVarType(const QVariant& aValue);
/// Equal types, or both numeric, or both date or time.
bool ppCompatibleDataTypes(TppDataType a, TppDataType b);
/// aText, or "(blank)" when it is empty after trimming.
QString ppBlankText(const QString& aText);

/// The grid. Cell (c, r) is item r of column c. All columns have the same length.
///
/// Caption cells (r < HeaderRowCount or c < HeaderColumnCount) are string cells or total
/// labels; a total column has a total label in the last header row, a total row one in the
/// last header column.
class TppMatrix : public QObject {
    Q_OBJECT
public:
    TppMatrix() = default;
    TppMatrix(const TppMatrix&) = delete;
    TppMatrix& operator=(const TppMatrix&) = delete;

    int ColumnCount() const { return int(m_columns.size()); }
    int RowCount() const { return m_columns.empty() ? 0 : int(m_columns.front().size()); }
    int HeaderRowCount = 0;
    int HeaderColumnCount = 0;

    /// The cell; null outside the grid.
    TppCellValue* Cell(int c, int r) const;

    void GetValue(int c, int r, QVariant& aValue) const;
    QVariant Value(int c, int r) const;
    void SetValue(int c, int r, const QVariant& aValue);
    void GetSum(int c, int r, QVariant& aValue) const;
    void SetSum(int c, int r, const QVariant& aValue);
    int GetCount(int c, int r) const;
    void SetCount(int c, int r, int aValue);
    TppDataType DataType(int c, int r) const;
    int GetElementIndex(int c, int r) const;
    void SetElementIndex(int c, int r, int aIndex);
    bool IsEmpty(int c, int r) const;
    bool IsNull(int c, int r) const;

    int Height(int c, int r) const;
    void SetHeight(int c, int r, int aValue);
    int Width(int c, int r) const;
    void SetWidth(int c, int r, int aValue);
    bool ShowText(int c, int r) const;
    void SetShowText(int c, int r, bool aValue);
    bool GridLine(int c, int r, int aSide) const;
    void SetGridLine(int c, int r, int aSide, bool aValue);
    QString Caption(int c, int r) const;
    QString ValueCaption(int c, int r) const;
    int Level(int c, int r) const;
    void SetLevel(int c, int r, int aLevel);
    int ValueIndex(int c, int r) const;

    bool IsCaptionCell(int c, int r) const { return r < HeaderRowCount || c < HeaderColumnCount; }
    bool IsTotalColumn(int c) const;
    bool IsTotalRow(int r) const;
    int NextNonTotalColumn(int c) const;
    int FirstTotalLabelRow(int c) const;
    int FirstTotalLabelColumn(int r) const;

    void AddColumns(int aCount, TppDataType aDataType);
    void AddRows(int aCount, TppDataType aDataType);
    void InsertColumns(int c, int aCount, TppDataType aDataType);
    void InsertRows(int r, int aCount, TppDataType aDataType);
    void InsertTotalColumn(int c, int aLevel, TppDataType aDataType, const QVariant& aValue, const QString& aCaption,
                           bool aFromLevel);
    void InsertTotalRow(int r, int aLevel, int aValueIndex, TppDataType aDataType, const QVariant& aValue,
                        const QString& aCaption, const QString& aValueCaption, bool aFromLevel);

    /// The total label at (c, r), or null.
    TppTotalLabel* TotalLabel(int c, int r) const;
    /// The string cell at (c, r), or null.
    TppStringCellValue* StringCell(int c, int r) const;
    /// Replaces the cell at (c, r).
    void ReplaceCell(int c, int r, std::unique_ptr<TppCellValue> aCell);

private:
    using Column = std::vector<std::unique_ptr<TppCellValue>>;
    int ReferenceColumn(int c) const;
    /// A new cell for a new column's position (c, r).
    std::unique_ptr<TppCellValue> NewColumnCell(int c, int r, TppDataType aDataType) const;
    std::unique_ptr<TppCellValue> newRowCell(int c, int r, TppDataType aDataType) const;
    void fillNewColumn(int c, int aLength, TppDataType aDataType);

    std::vector<Column> m_columns;
};

namespace crosstab {
/// The matrix in one canonical text form, a line per row, cells separated by " | ": a value
/// cell shows its value (integers, numbers, currency with its four decimals, "text",
/// null) or "." while Empty; a total label "[caption L<level> V<value index> value caption]"
/// before its value; a caption cell that hides its text starts with "~" and one whose grid
/// lines are off ends with "-" and the sides (l, r, t, b); "#n" is the element index.
QString MatrixText(const TppMatrix& aMatrix);
/// A cell value as MatrixText writes it.
QString ValueText(const QVariant& aValue);
}  // namespace crosstab
