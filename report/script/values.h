#pragma once

// The value nodes of running scripts: literal constants, the contents of variables and
// parameters, function results and the temporaries operators make. The class fixes the
// kind (TraDataType), the storage, the text, how the node copies another and how it takes
// another node's value (its conversion), and what its operators and comparisons do.
//
// The left operand decides: an operator is applied by the left operand's node after the
// right operand was converted into its kind; a right operand the left kind does not take
// gives no value (null), silently. Failures of the arithmetic (division by zero, overflow,
// a number too large for an Integer, a variant that cannot be converted) throw
// EScriptRunError.

#include "report/script/node.h"

#include <QPointer>
#include <QString>
#include <QVariant>

#include <optional>

class QObject;

/// A date and time as a day number (days since 1899-12-30, the time as the fraction).
using TDateTime = double;

namespace script {

/// Day numbers of now, today and the time of day (days since 1899-12-30).
double NowDays();
double TodayDays();
double TimeOfDayDays();

/// A variant's Null (Empty is an invalid QVariant).
QVariant NullVariant();
bool IsNullVariant(const QVariant& v);
bool IsEmptyVariant(const QVariant& v);
/// A date variant holding a day number.
QVariant DateVariant(double days);
bool IsDateVariant(const QVariant& v);

/// The general floating format: the shorter of plain and scientific notation showing the
/// value in `digits` significant digits ("3.5", "1E20", "1.5E-7"), "." as decimal separator.
QString FormatGeneral(long double value, int digits);

/// The name of a variant's type: "Empty", "Null", "Integer", "Double", "Currency", "Date",
/// "Boolean", "String".
QString VariantTypeName(const QVariant& v);
/// The text a variant converts to ("" for Empty and Null).
QString VariantToString(const QVariant& v);
/// A variant read as a float; throws EScriptRunError when it is not a number.
long double VariantToFloat(const QVariant& v);

/// Truncates toward zero to 64 bits; throws "Invalid floating point operation" outside.
qint64 TruncToInt64(long double v);
/// A number stored into an Integer: truncated toward zero; throws "Range check error" when
/// it does not fit in 32 bits.
qint32 ToInteger(long double v);

}  // namespace script

class TraStringValue : public TraValue {
public:
    explicit TraStringValue(QString aValue = {}) : m_value(std::move(aValue)) {}
    const QString& Value() const { return m_value; }
    void SetValue(const QString& aValue);

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraStringValue>(); }
    QString ClassName() const override { return QStringLiteral("TraStringValue"); }
    QString GetText() const override { return m_value; }
    void CopyFrom(const TraValue& aSource) override;
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    TraDataType DataType() const override { return TraDataType::daString; }
    void* ValueAddress() override { return &m_value; }
    bool ConvertFrom(TraValue* aSource) override;

private:
    QString m_value;
};

/// One character, held as its code point.
class TraCharValue : public TraValue {
public:
    explicit TraCharValue(char32_t aValue = U' ') : m_value(aValue) {}
    char32_t Value() const { return m_value; }
    void SetValue(char32_t aValue);

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraCharValue>(); }
    QString ClassName() const override { return QStringLiteral("TraCharValue"); }
    QString GetText() const override;
    void CopyFrom(const TraValue& aSource) override;
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    TraDataType DataType() const override { return TraDataType::daChar; }
    void* ValueAddress() override { return &m_value; }
    bool ConvertFrom(TraValue* aSource) override;

private:
    char32_t m_value;
};

/// The base of the number kinds: their operators and comparisons.
class TraNumericValue : public TraValue {
public:
    /// The node read as an extended float (numbers, day numbers, numeric and date variants);
    /// nothing for any other node.
    static std::optional<long double> AsExtended(TraValue* aNode);
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    /// The numeric routine: the result as an Integer node when it is an integer operation or
    /// has no fraction and fits in 32 bits, otherwise as an Extended node.
    TraValue* Calculate(TraValue* aOther, TraTokenType aOperator);
    /// Both nodes read as extended floats and compared; null when either cannot be read.
    static TraValue* CompareNumbers(TraValue* aLeft, TraValue* aRight, TraTokenType aOperator);
};

class TraIntegerValue : public TraNumericValue {
public:
    explicit TraIntegerValue(qint32 aValue = 0) : m_value(aValue) {}
    qint32 Value() const { return m_value; }
    void SetValue(qint32 aValue);

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraIntegerValue>(); }
    QString ClassName() const override { return QStringLiteral("TraIntegerValue"); }
    QString GetText() const override { return QString::number(m_value); }
    void CopyFrom(const TraValue& aSource) override;
    TraDataType DataType() const override { return TraDataType::daInteger; }
    void* ValueAddress() override { return &m_value; }
    bool ConvertFrom(TraValue* aSource) override;

private:
    qint32 m_value;
};

class TraFloatValue : public TraNumericValue {};

/// A float node of one precision: Single (float), Double (double), Extended (long double).
template <class T, TraDataType Kind>
class TraFloatValueOf : public TraFloatValue {
public:
    explicit TraFloatValueOf(T aValue = 0) : m_value(aValue) {}
    T Value() const { return m_value; }
    void SetValue(T aValue) {
        m_value = aValue;
        SendNotify(this, script::kOpValueAssigned);
    }
    TraDataType DataType() const override { return Kind; }
    void* ValueAddress() override { return &m_value; }
    QString GetText() const override;
    void CopyFrom(const TraValue& aSource) override;
    bool ConvertFrom(TraValue* aSource) override;

protected:
    T m_value;
};

class TraSingleValue : public TraFloatValueOf<float, TraDataType::daSingle> {
public:
    using TraFloatValueOf::TraFloatValueOf;
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraSingleValue>(); }
    QString ClassName() const override { return QStringLiteral("TraSingleValue"); }
};

class TraDoubleValue : public TraFloatValueOf<double, TraDataType::daDouble> {
public:
    using TraFloatValueOf::TraFloatValueOf;
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraDoubleValue>(); }
    QString ClassName() const override { return QStringLiteral("TraDoubleValue"); }
};

class TraExtendedValue : public TraFloatValueOf<long double, TraDataType::daExtended> {
public:
    using TraFloatValueOf::TraFloatValueOf;
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraExtendedValue>(); }
    QString ClassName() const override { return QStringLiteral("TraExtendedValue"); }
};

/// An amount in ten-thousandths.
class TraCurrencyValue : public TraFloatValue {
public:
    explicit TraCurrencyValue(qint64 aTenThousandths = 0) : m_value(aTenThousandths) {}
    qint64 Value() const { return m_value; }
    void SetValue(qint64 aTenThousandths);

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraCurrencyValue>(); }
    QString ClassName() const override { return QStringLiteral("TraCurrencyValue"); }
    QString GetText() const override;
    void CopyFrom(const TraValue& aSource) override;
    TraDataType DataType() const override { return TraDataType::daCurrency; }
    void* ValueAddress() override { return &m_value; }
    bool ConvertFrom(TraValue* aSource) override;

private:
    qint64 m_value;
};

namespace script {

/// What the three date kinds share: a day number and its operators.
class DayNumberValue : public TraValue {
public:
    explicit DayNumberValue(double aDays) : m_value(aDays) {}
    double Value() const { return m_value; }
    void SetValue(double aDays);

    void CopyFrom(const TraValue& aSource) override;
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    void* ValueAddress() override { return &m_value; }
    bool ConvertFrom(TraValue* aSource) override;
    /// The day number of a DateTime, Date, Time, Double or Variant node; nothing otherwise.
    static std::optional<double> ReadDays(TraValue* aNode);

protected:
    /// A throw-away node of the same class holding a day number.
    virtual DayNumberValue* makeTemp(double aDays) const = 0;
    /// "now" in this kind: the current date and time, date or time.
    virtual double current() const = 0;
    double m_value;
};

}  // namespace script

class TraDateTimeValue : public script::DayNumberValue {
public:
    explicit TraDateTimeValue(double aDays = 0) : DayNumberValue(aDays) {}
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraDateTimeValue>(); }
    QString ClassName() const override { return QStringLiteral("TraDateTimeValue"); }
    QString GetText() const override;
    TraDataType DataType() const override { return TraDataType::daDateTime; }

protected:
    DayNumberValue* makeTemp(double aDays) const override { return script::MakeTemp<TraDateTimeValue>(aDays); }
    double current() const override { return script::NowDays(); }
};

class TraDateValue : public script::DayNumberValue {
public:
    explicit TraDateValue(double aDays = 0) : DayNumberValue(aDays) {}
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraDateValue>(); }
    QString ClassName() const override { return QStringLiteral("TraDateValue"); }
    QString GetText() const override;
    TraDataType DataType() const override { return TraDataType::daDate; }

protected:
    DayNumberValue* makeTemp(double aDays) const override { return script::MakeTemp<TraDateValue>(aDays); }
    double current() const override { return script::TodayDays(); }
};

class TraTimeValue : public script::DayNumberValue {
public:
    explicit TraTimeValue(double aDays = 0) : DayNumberValue(aDays) {}
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraTimeValue>(); }
    QString ClassName() const override { return QStringLiteral("TraTimeValue"); }
    QString GetText() const override;
    TraDataType DataType() const override { return TraDataType::daTime; }
    void CopyFrom(const TraValue& aSource) override;

protected:
    DayNumberValue* makeTemp(double aDays) const override { return script::MakeTemp<TraTimeValue>(aDays); }
    double current() const override { return script::TimeOfDayDays(); }
};

/// A variant: Empty (invalid QVariant), Null, an int, a double, a TCurrency, a date
/// (script::DateVariant), a bool or a string.
class TraVariantValue : public TraValue {
public:
    explicit TraVariantValue(QVariant aValue = QVariant(0)) : m_value(std::move(aValue)) {}
    const QVariant& Value() const { return m_value; }
    void SetValue(const QVariant& aValue);

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraVariantValue>(); }
    QString ClassName() const override { return QStringLiteral("TraVariantValue"); }
    QString GetText() const override { return script::VariantToString(m_value); }
    void CopyFrom(const TraValue& aSource) override;
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    TraDataType DataType() const override { return TraDataType::daVariant; }
    void* ValueAddress() override { return &m_value; }
    bool ConvertFrom(TraValue* aSource) override;
    /// A variant read for a target kind: Empty and Null become "" for daString and Null for
    /// every other kind; any other variant is used unchanged.
    static QVariant ReadAs(const QVariant& aValue, TraDataType aKind);
    /// An Empty or Null right operand replaced by the neutral value of the left variant's
    /// type (0 for numbers and dates, "" for strings, False for Booleans).
    static QVariant FillEmpty(const QVariant& aLeft, const QVariant& aRight);
    /// Any node as a variant; nothing for daMethod.
    static std::optional<QVariant> ReadVariant(TraValue* aNode);

private:
    QVariant m_value;
};

/// A value of a registered enumerated type: its type name and ordinal.
class TraEnumValue : public TraValue {
public:
    TraEnumValue(QString aTypeName = {}, int aOrd = 0) : TypeName(std::move(aTypeName)), m_ord(aOrd) {}
    QString TypeName;
    int Ord() const { return m_ord; }
    void SetOrd(int aOrd);

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraEnumValue>(); }
    QString ClassName() const override { return QStringLiteral("TraEnumValue"); }
    QString GetText() const override;
    void CopyFrom(const TraValue& aSource) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    TraDataType DataType() const override { return TraDataType::daEnum; }
    void* ValueAddress() override { return &m_ord; }
    bool ConvertFrom(TraValue* aSource) override;

protected:
    int m_ord;
};

class TraBooleanValue : public TraEnumValue {
public:
    explicit TraBooleanValue(bool aValue = false) : TraEnumValue(QStringLiteral("Boolean"), aValue ? 1 : 0) {}
    bool Value() const { return m_ord != 0; }
    void SetValue(bool aValue) { SetOrd(aValue ? 1 : 0); }

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraBooleanValue>(); }
    QString ClassName() const override { return QStringLiteral("TraBooleanValue"); }
    QString GetText() const override { return Value() ? QStringLiteral("True") : QStringLiteral("False"); }
    void CopyFrom(const TraValue& aSource) override;
    TraValue* Operate(TraValue* aOther, TraTokenType aOperator) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    TraDataType DataType() const override { return TraDataType::daBoolean; }
    bool ConvertFrom(TraValue* aSource) override;
};

/// The range of a case label: its two bound nodes, owned. Compare answers whether a value
/// lies between the bounds (Integer numbers, Char codes, enumerated ordinals).
class TraSubrangeValue : public TraValue {
public:
    TraSubrangeValue() = default;
    TraSubrangeValue(std::unique_ptr<TraValue> aValue1, std::unique_ptr<TraValue> aValue2);
    TraValue* Value1() const { return m_value1; }
    TraValue* Value2() const { return m_value2; }

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraSubrangeValue>(); }
    QString ClassName() const override { return QStringLiteral("TraSubrangeValue"); }
    void CopyFrom(const TraValue& aSource) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    TraDataType DataType() const override { return m_value1 ? m_value1->DataType() : TraDataType::daUnknown; }

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;

private:
    TraValue* m_value1 = nullptr;
    TraValue* m_value2 = nullptr;
};

/// The base of the nodes that stand for or reach objects.
class TraObjectResolver : public TraValue {
public:
    QString ObjectName() const { return m_objectName; }
    void SetObjectName(const QString& aName) { m_objectName = aName; }
    virtual QObject* GetObject() const { return nullptr; }
    virtual void SetObject(QObject*) {}

private:
    QString m_objectName;
};

/// One object reference (or none: nil).
class TraObjectValue : public TraObjectResolver {
public:
    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraObjectValue>(); }
    QString ClassName() const override { return QStringLiteral("TraObjectValue"); }
    QString GetText() const override { return ObjectName(); }
    void CopyFrom(const TraValue& aSource) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    TraDataType DataType() const override { return TraDataType::daObject; }
    bool IsConstant() const override { return false; }
    bool ConvertFrom(TraValue* aSource) override;
    QObject* GetObject() const override { return m_object.data(); }
    void SetObject(QObject* aObject) override { m_object = aObject; }

private:
    QPointer<QObject> m_object;
};

/// A class known by name, a named object of the report, or a simple type used as a cast.
class TraClassValue : public TraObjectResolver {
public:
    TClass ClassRef = nullptr;
    TraDataType SimpleTypeCast = TraDataType::daUnknown;

    std::unique_ptr<TraValue> CreateSame() const override { return std::make_unique<TraClassValue>(); }
    QString ClassName() const override { return QStringLiteral("TraClassValue"); }
    QString GetText() const override;
    void CopyFrom(const TraValue& aSource) override;
    TraValue* Compare(TraValue* aOther, TraTokenType aOperator) override;
    TraDataType DataType() const override { return TraDataType::daClass; }
    bool IsConstant() const override { return false; }
    bool ConvertFrom(TraValue* aSource) override;
    QObject* GetObject() const override { return m_object.data(); }
    void SetObject(QObject* aObject) override { m_object = aObject; }

private:
    QPointer<QObject> m_object;
};
