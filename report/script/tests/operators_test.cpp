#include "report/script/values.h"

#include "report/script/errors.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Make = std::function<std::unique_ptr<TraValue>()>;
using T = TraTokenType;

template <class V, class A>
Make make(A v) {
    return [v] { return std::make_unique<V>(v); };
}
Make integer(qint32 v) { return make<TraIntegerValue>(v); }
Make extended(long double v) { return make<TraExtendedValue>(v); }
Make dbl(double v) { return make<TraDoubleValue>(v); }
Make currency(qint64 v) { return make<TraCurrencyValue>(v); }
Make string(const char* v) { return make<TraStringValue>(QString::fromUtf8(v)); }
Make chr(char32_t v) { return make<TraCharValue>(v); }
Make boolean(bool v) { return make<TraBooleanValue>(v); }
Make variant(QVariant v) { return make<TraVariantValue>(v); }
Make dateTime(double v) { return make<TraDateTimeValue>(v); }
Make date(double v) { return make<TraDateValue>(v); }
Make enumValue(int ord) {
    return [ord] { return std::make_unique<TraEnumValue>(QStringLiteral("TppUnitType"), ord); };
}
Make range(Make low, Make high) {
    return [low, high] { return std::make_unique<TraSubrangeValue>(low(), high()); };
}
Make none() {
    return [] { return std::unique_ptr<TraValue>(); };
}

bool isRelational(T op) {
    return op == T::ttEqual || op == T::ttNe || op == T::ttLt || op == T::ttGt || op == T::ttLe || op == T::ttGe ||
           op == T::ttIs;
}

/// The result of left op right: "<Kind> <text>", "no value", or "error: <cause>".
QString apply(const Make& left, T op, const Make& right) {
    std::unique_ptr<TraValue> l = left();
    std::unique_ptr<TraValue> r = right();
    script::ThrowAwayScope scope;
    try {
        TraValue* result = isRelational(op) ? l->Compare(r.get(), op) : l->Operate(r.get(), op);
        if (!result)
            return QStringLiteral("no value");
        EXPECT_TRUE(result->ThrowAway());
        return DataTypeName(result->DataType()) + QLatin1Char(' ') + result->GetText();
    } catch (const EScriptRunError& e) {
        return QStringLiteral("error: ") + e.Cause();
    }
}

struct OperatorCase {
    const char* what;
    Make left;
    T op;
    Make right;
    const char* result;
};

TEST(ScriptOperators, numbers_compute_as_extended_and_give_integers_when_whole) {
    const OperatorCase cases[] = {
        {"7 / 2", integer(7), T::ttSlash, integer(2), "Extended 3.5"},
        {"6 / 3", integer(6), T::ttSlash, integer(3), "Integer 2"},
        {"7 div 2", integer(7), T::ttDiv, integer(2), "Integer 3"},
        {"-7 div 2", integer(-7), T::ttDiv, integer(2), "Integer -3"},
        {"-7 mod 3", integer(-7), T::ttMod, integer(3), "Integer -1"},
        {"7 mod -3", integer(7), T::ttMod, integer(-3), "Integer 1"},
        {"2.5 * 2", extended(2.5L), T::ttStar, integer(2), "Integer 5"},
        {"1.5 + 1.5", extended(1.5L), T::ttPlus, extended(1.5L), "Integer 3"},
        {"0.1 + 0.2", extended(0.1L), T::ttPlus, extended(0.2L), "Extended 0.3"},
        {"currency 1.5 + 1.5", currency(15000), T::ttPlus, currency(15000), "Integer 3"},
        {"integer + date reads the day number", integer(1), T::ttPlus, date(45000), "Integer 45001"},
        {"unary minus", integer(5), T::ttUnaryMinus, none(), "Integer -5"},
        {"unary plus of a float", extended(2.5L), T::ttUnaryPlus, none(), "Extended 2.5"},
        {"not of an integer", integer(5), T::ttNot, none(), "no value"},
        {"5 and 3", integer(5), T::ttAnd, integer(3), "Integer 0"},
        {"integer + string", integer(5), T::ttPlus, string("1"), "no value"},
        // no silent wrap: beyond 32 bits the result stays exact
        {"2147483647 + 1", integer(2147483647), T::ttPlus, integer(1), "Extended 2147483648"},
        {"-2147483648 - 1", integer(-2147483647 - 1), T::ttMinus, integer(1), "Extended -2147483649"},
        {"65536 * 65536", integer(65536), T::ttStar, integer(65536), "Extended 4294967296"},
        {"-(-2147483648)", integer(-2147483647 - 1), T::ttUnaryMinus, none(), "Extended 2147483648"},
        // division by zero is a run failure for /, div and mod alike
        {"5 / 0", integer(5), T::ttSlash, integer(0), "error: Division by zero"},
        {"5 div 0", integer(5), T::ttDiv, integer(0), "error: Division by zero"},
        {"5 div 0.5", integer(5), T::ttDiv, extended(0.5L), "error: Division by zero"},
        {"5 mod 0", integer(5), T::ttMod, integer(0), "error: Division by zero"},
        {"1e4900 * 1e4900", extended(1e4900L), T::ttStar, extended(1e4900L), "error: Floating point overflow"},
        {"1e30 div 1", extended(1e30L), T::ttDiv, integer(1), "error: Invalid floating point operation"},
    };
    for (const OperatorCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(apply(c.left, c.op, c.right), QString::fromUtf8(c.result));
    }
}

TEST(ScriptOperators, the_left_kind_decides_operators_and_comparisons) {
    const OperatorCase cases[] = {
        // strings and characters
        {"'ab' + 'cd'", string("ab"), T::ttPlus, string("cd"), "String abcd"},
        {"'bcd' + char a", string("bcd"), T::ttPlus, chr(U'a'), "String bcda"},
        {"char a + 'bcd'", chr(U'a'), T::ttPlus, string("bcd"), "String ab"},
        {"'ab' - 'cd'", string("ab"), T::ttMinus, string("cd"), "String "},
        {"'ab' + 1", string("ab"), T::ttPlus, integer(1), "no value"},
        {"'abc' = 'ABC'", string("abc"), T::ttEqual, string("ABC"), "Boolean False"},
        {"'abc' <> 'ABC'", string("abc"), T::ttNe, string("ABC"), "Boolean True"},
        {"'abc' < 'abd'", string("abc"), T::ttLt, string("abd"), "Boolean True"},
        {"'abd' >= 'abc'", string("abd"), T::ttGe, string("abc"), "Boolean True"},
        {"'Z' < 'a'", string("Z"), T::ttLt, string("a"), "Boolean True"},
        {"'é' > 'z'", string("é"), T::ttGt, string("z"), "Boolean True"},
        {"U+1F600 > U+FF5A by code point", string("😀"), T::ttGt, string("ｚ"), "Boolean True"},
        {"'abc' is 'abc'", string("abc"), T::ttIs, string("abc"), "Boolean False"},
        {"'abc' = char a: the whole string", string("abc"), T::ttEqual, chr(U'a'), "Boolean False"},
        {"char a = 'abc': the first character", chr(U'a'), T::ttEqual, string("abc"), "Boolean True"},
        {"char a < char b", chr(U'a'), T::ttLt, chr(U'b'), "Boolean True"},
        {"char a = ''", chr(U'a'), T::ttEqual, string(""), "Boolean False"},
        // Booleans
        {"True > False", boolean(true), T::ttGt, boolean(false), "Boolean True"},
        {"True <> False", boolean(true), T::ttNe, boolean(false), "Boolean True"},
        {"True = True", boolean(true), T::ttEqual, boolean(true), "Boolean True"},
        {"True and False", boolean(true), T::ttAnd, boolean(false), "Boolean False"},
        {"False or True", boolean(false), T::ttOr, boolean(true), "Boolean True"},
        {"not True", boolean(true), T::ttNot, none(), "Boolean False"},
        {"True + True", boolean(true), T::ttPlus, boolean(true), "Boolean False"},
        {"True and 5", boolean(true), T::ttAnd, integer(5), "no value"},
        {"-True", boolean(true), T::ttUnaryMinus, none(), "no value"},
        // dates: a number of days may be added or taken away
        {"date-time - date-time", dateTime(45000.75), T::ttMinus, dateTime(45000.25), "DateTime 12/30/1899 12:00:00 PM"},
        {"date + 1", date(45000), T::ttPlus, integer(1), "Date 3/16/2023"},
        {"date - 1.5", dateTime(45000), T::ttMinus, extended(1.5L), "DateTime 3/13/2023 12:00:00 PM"},
        {"date + double", date(45000), T::ttPlus, dbl(2), "Date 3/17/2023"},
        {"date + string", date(45000), T::ttPlus, string("1"), "no value"},
        {"date * integer", date(45000), T::ttStar, integer(2), "no value"},
        {"date < date", date(45000), T::ttLt, date(45001), "Boolean True"},
        {"date = integer", date(45000), T::ttEqual, integer(45000), "no value"},
        {"-date", date(45000), T::ttUnaryMinus, none(), "no value"},
        // variants
        {"10 - Null", variant(10), T::ttMinus, variant(script::NullVariant()), "Variant 10"},
        {"'a' + Empty", variant(QStringLiteral("a")), T::ttPlus, variant(QVariant()), "Variant a"},
        {"'a' + 'b'", variant(QStringLiteral("a")), T::ttPlus, string("b"), "Variant ab"},
        {"'2' * 3", variant(QStringLiteral("2")), T::ttStar, integer(3), "Variant 6"},
        {"7 / 2", variant(7), T::ttSlash, integer(2), "Variant 3.5"},
        {"7 / 0", variant(7), T::ttSlash, integer(0), "error: Division by zero"},
        {"7 div 0", variant(7), T::ttDiv, integer(0), "error: Division by zero"},
        {"2147483647 + 1", variant(2147483647), T::ttPlus, integer(1), "Variant 2147483648"},
        {"'x' * 2", variant(QStringLiteral("x")), T::ttStar, integer(2),
         "error: Could not convert variant of type (String) into type (Double)"},
        {"not True", variant(true), T::ttNot, none(), "Variant False"},
        {"not 5", variant(5), T::ttNot, none(), "no value"},
        {"-5", variant(5), T::ttUnaryMinus, none(), "Variant -5"},
        {"Null = Null", variant(script::NullVariant()), T::ttEqual, variant(QVariant()), "Boolean True"},
        {"1 = Null", variant(1), T::ttEqual, variant(script::NullVariant()), "Boolean False"},
        {"'b' > 'a'", variant(QStringLiteral("b")), T::ttGt, string("a"), "Boolean True"},
        {"2 < 10", variant(2), T::ttLt, integer(10), "Boolean True"},
        // enumerated values and subranges
        {"enum + enum", enumValue(1), T::ttPlus, enumValue(1), "no value"},
        {"enum < enum", enumValue(1), T::ttLt, enumValue(2), "Boolean True"},
        {"enum = integer", enumValue(1), T::ttEqual, integer(1), "no value"},
        {"1..5 holds 1", range(integer(1), integer(5)), T::ttEqual, integer(1), "Boolean True"},
        {"1..5 holds 3", range(integer(1), integer(5)), T::ttEqual, integer(3), "Boolean True"},
        {"1..5 holds 5", range(integer(1), integer(5)), T::ttEqual, integer(5), "Boolean True"},
        {"1..5 lacks 0", range(integer(1), integer(5)), T::ttEqual, integer(0), "Boolean False"},
        {"1..5 lacks 6", range(integer(1), integer(5)), T::ttEqual, integer(6), "Boolean False"},
        {"'a'..'z' holds 'm'", range(chr(U'a'), chr(U'z')), T::ttEqual, chr(U'm'), "Boolean True"},
        {"1..5 + 1", range(integer(1), integer(5)), T::ttPlus, integer(1), "no value"},
    };
    for (const OperatorCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(apply(c.left, c.op, c.right), QString::fromUtf8(c.result));
    }
}

TEST(ScriptOperators, a_date_time_with_any_other_operator_gives_now) {
    std::unique_ptr<TraValue> d = std::make_unique<TraDateTimeValue>(1.0);
    TraDoubleValue two(2);
    script::ThrowAwayScope scope;
    const double before = script::NowDays();
    auto* result = dynamic_cast<TraDateTimeValue*>(d->Operate(&two, T::ttStar));
    ASSERT_NE(result, nullptr);
    EXPECT_GE(result->Value(), before - 1e-6);
    EXPECT_LE(result->Value(), script::NowDays() + 1e-6);
}

}  // namespace
