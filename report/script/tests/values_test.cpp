#include "report/script/values.h"

#include "report/script/enum_types.h"
#include "report/script/errors.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Make = std::function<std::unique_ptr<TraValue>()>;

Make integer(qint32 v) {
    return [v] { return std::make_unique<TraIntegerValue>(v); };
}
Make extended(long double v) {
    return [v] { return std::make_unique<TraExtendedValue>(v); };
}
Make dbl(double v) {
    return [v] { return std::make_unique<TraDoubleValue>(v); };
}
Make single(float v) {
    return [v] { return std::make_unique<TraSingleValue>(v); };
}
Make currency(qint64 tenThousandths) {
    return [tenThousandths] { return std::make_unique<TraCurrencyValue>(tenThousandths); };
}
Make string(const char* v) {
    return [v] { return std::make_unique<TraStringValue>(QString::fromUtf8(v)); };
}
Make chr(char32_t v) {
    return [v] { return std::make_unique<TraCharValue>(v); };
}
Make boolean(bool v) {
    return [v] { return std::make_unique<TraBooleanValue>(v); };
}
Make variant(QVariant v) {
    return [v] { return std::make_unique<TraVariantValue>(v); };
}
Make dateTime(double v) {
    return [v] { return std::make_unique<TraDateTimeValue>(v); };
}
Make date(double v) {
    return [v] { return std::make_unique<TraDateValue>(v); };
}
Make time(double v) {
    return [v] { return std::make_unique<TraTimeValue>(v); };
}
Make enumValue(const char* type, int ord) {
    return [type, ord] { return std::make_unique<TraEnumValue>(QString::fromLatin1(type), ord); };
}
Make nilObject() {
    return [] { return std::make_unique<TraObjectValue>(); };
}

/// What a target shows after taking a source: its text, "unchanged" when the kind was not
/// taken, or "error: <cause>" for a run failure.
QString assign(const Make& target, const Make& source) {
    std::unique_ptr<TraValue> t = target();
    std::unique_ptr<TraValue> s = source();
    const QString before = t->GetText();
    try {
        const bool taken = t->AssignValue(s.get());
        if (!taken)
            return t->GetText() == before ? QStringLiteral("unchanged") : QStringLiteral("changed though refused");
        return t->GetText();
    } catch (const EScriptRunError& e) {
        return QStringLiteral("error: ") + e.Cause();
    }
}

struct ConversionCase {
    const char* what;
    Make target;
    Make source;
    const char* result;
};

TEST(ScriptValues, each_kind_takes_the_kinds_it_accepts_converted) {
    const ConversionCase cases[] = {
        // String
        {"string from string", string("x"), string("abc"), "abc"},
        {"string from char", string("x"), chr(U'é'), "é"},
        {"string from variant", string("x"), variant(42), "42"},
        {"string from Null variant", string("x"), variant(script::NullVariant()), ""},
        {"string from integer", string("x"), integer(1), "unchanged"},
        // Char
        {"char from string", chr(U'x'), string("bcd"), "b"},
        {"char from empty string", chr(U'x'), string(""), "NUL"},
        {"char from integer", chr(U'x'), integer(65), "unchanged"},
        // Integer: truncation toward zero; out of range is a run failure
        {"integer from 2.9", integer(0), extended(2.9L), "2"},
        {"integer from -2.9", integer(0), dbl(-2.9), "-2"},
        {"integer from currency 7.9999", integer(0), currency(79999), "7"},
        {"integer from 2^32 + 5", integer(0), dbl(4294967301.0), "error: Range check error"},
        {"integer from 1e30", integer(0), extended(1e30L), "error: Invalid floating point operation"},
        {"integer from variant 2.5 rounds to even", integer(0), variant(2.5), "2"},
        {"integer from variant '12'", integer(0), variant(QStringLiteral("12")), "12"},
        {"integer from variant 'x'", integer(0), variant(QStringLiteral("x")),
         "error: Could not convert variant of type (String) into type (Integer)"},
        {"integer from Null variant", integer(0), variant(script::NullVariant()),
         "error: Could not convert variant of type (Null) into type (Integer)"},
        {"integer from nil", integer(9), nilObject(), "0"},
        {"integer from string", integer(1), string("1"), "unchanged"},
        {"integer from boolean", integer(1), boolean(true), "unchanged"},
        // Floats
        {"single from integer", single(0), integer(3), "3"},
        {"single shows 8 digits", single(0), extended(1.0L / 3), "0.33333334"},
        {"double shows 15 digits", dbl(0), extended(1.0L / 3), "0.333333333333333"},
        {"extended shows 18 digits", extended(0), extended(1.0L / 3), "0.333333333333333333"},
        {"extended scientific above 18 digits", extended(0), extended(1e20L), "1E20"},
        {"extended scientific below 1e-5", extended(0), extended(1.5e-7L), "1.5E-7"},
        {"extended shows a double's binary error", extended(0), dbl(0.1), "0.100000000000000006"},
        {"double from currency", dbl(0), currency(12345), "1.2345"},
        {"double from date", dbl(0), date(45000), "unchanged"},
        // Currency: nearest, ties to even
        {"currency from 1.23456", currency(0), dbl(1.23456), "1.2346"},
        {"currency from 0.00005 ties to even", currency(0), extended(0.00005L), "0"},
        {"currency from 0.00015 ties to even", currency(0), extended(0.00015L), "0.0002"},
        // Dates: day numbers copied, integers refused
        {"date keeps a date-time's fraction", date(1), dateTime(45000.75), "3/15/2023"},
        {"date-time from double", dateTime(1), dbl(45000.75), "3/15/2023 6:00:00 PM"},
        {"date-time from integer", dateTime(45000.5), integer(7), "unchanged"},
        {"time from date-time", time(0.5), dateTime(45000.25), "6:00:00 AM"},
        {"date of 0 shows nothing", date(1), dbl(0), ""},
        // Variant: every kind
        {"variant from integer", variant(0), integer(5), "5"},
        {"variant from extended", variant(0), extended(2.5L), "2.5"},
        {"variant from boolean", variant(0), boolean(true), "True"},
        {"variant from enum", variant(0), enumValue("TppUnitType", 2), "2"},
        {"variant from Null variant", variant(0), variant(QVariant()), ""},
        {"variant from nil", variant(1), nilObject(), "0"},
        // Enumerated values and Booleans
        {"enum from enum keeps its type", enumValue("TppUnitType", 0), enumValue("TAlignment", 2), "utMillimeters"},
        {"enum from integer", enumValue("TppUnitType", 0), integer(1), "unchanged"},
        {"boolean from boolean", boolean(false), boolean(true), "True"},
        {"boolean from enum", boolean(false), enumValue("TAlignment", 1), "unchanged"},
        {"boolean from variant", boolean(false), variant(true), "unchanged"},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QString expected = QString::fromUtf8(c.result) == QLatin1String("NUL") ? QString(QChar(0))
                                                                                      : QString::fromUtf8(c.result);
        EXPECT_EQ(assign(c.target, c.source), expected);
    }
}

TEST(ScriptValues, assigning_tells_listeners_also_when_refused) {
    TraIntegerValue target(1);
    TraVariableValue follower(QStringLiteral("f"), std::make_unique<TraIntegerValue>(0));
    target.AddNotify(&follower);
    TraIntegerValue seven(7);
    EXPECT_TRUE(target.AssignValue(&seven));
    EXPECT_EQ(follower.GetText(), QStringLiteral("f: 7"));
    TraStringValue text(QStringLiteral("x"));
    int told = 0;
    follower.OnNotify = [&](TraCommunicator*, TraCommunicator*, int op) { told += op == script::kOpValueAssigned; };
    EXPECT_FALSE(target.AssignValue(&text));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(follower.GetText(), QStringLiteral("f: 7"));
}

TEST(ScriptValues, copies_take_the_same_class_or_convert_by_kind) {
    struct CopyCase {
        const char* what;
        Make target;
        Make source;
        const char* text;
    };
    const CopyCase cases[] = {
        {"integer converts a double", integer(0), dbl(3.7), "3"},
        {"double copies only a double", dbl(1), extended(2.5L), "1"},
        {"date-time copies only a date-time", dateTime(45000), date(45001), "3/15/2023"},
        {"time converts a date", time(0), date(45000.5), "12:00:00 PM"},
        {"enum copies type and ordinal", enumValue("", 0), enumValue("TppUnitType", 1), "utInches"},
    };
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<TraValue> t = c.target();
        std::unique_ptr<TraValue> s = c.source();
        t->CopyFrom(*s);
        EXPECT_EQ(t->GetText(), QString::fromUtf8(c.text));
    }
}

TEST(ScriptValues, empty_values_of_each_type) {
    static const struct {
        TraDataType type;
        const char* className;
        const char* text;  ///< null: depends on the clock
    } cases[] = {
        {TraDataType::daInteger, "TraIntegerValue", "0"},     {TraDataType::daSingle, "TraSingleValue", "0"},
        {TraDataType::daExtended, "TraExtendedValue", "0"},   {TraDataType::daCurrency, "TraCurrencyValue", "0"},
        {TraDataType::daChar, "TraCharValue", " "},           {TraDataType::daString, "TraStringValue", ""},
        {TraDataType::daBoolean, "TraBooleanValue", "False"}, {TraDataType::daVariant, "TraVariantValue", "0"},
        {TraDataType::daClass, "TraClassValue", nullptr},     {TraDataType::daEnum, "TraEnumValue", ""},
        {TraDataType::daDate, "TraDateValue", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        std::unique_ptr<TraValue> value;
        ASSERT_TRUE(CreateValueOfType(c.type, value));
        EXPECT_EQ(value->ClassName(), QLatin1String(c.className));
        if (c.text) {
            EXPECT_EQ(value->GetText(), QString::fromUtf8(c.text));
        }
    }
    std::unique_ptr<TraValue> none;
    EXPECT_FALSE(CreateValueOfType(TraDataType::daMethod, none));
    EXPECT_EQ(none, nullptr);
    EXPECT_FALSE(CreateValueOfType(TraDataType::daUnknown, none));
}

}  // namespace
