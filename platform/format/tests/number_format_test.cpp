#include "platform/format/number_format.h"

#include "platform/format/tests/test_settings.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <limits>

namespace format {
namespace {

struct FloatCase {
    const char* pattern;
    double value;
    const char* expected;
};

void expectFormats(const FormatSettings& s, std::initializer_list<FloatCase> cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + std::to_string(c.value));
        EXPECT_EQ(FormatFloat(QString::fromUtf8(c.pattern), c.value, s), QString::fromUtf8(c.expected));
    }
}

TEST(FormatFloat, display_formats_of_reports_write_their_samples) {
    expectFormats(FormatSettings(), {
        {"#,0;-#,0", -1234.4, "-1,234"},
        {"#,0.00;-#,0.00", -1234.4, "-1,234.40"},
        {"#,0.00;(#,0.00)", -1234.4, "(1,234.40)"},
        {"#,0.00;(#,0.00)", 1234.4, "1,234.40"},
        {"#,0.00;(#,0.00)", 0, "0.00"},
        {"$#,0.00;($#,0.00)", -1234.4, "($1,234.40)"},
        {"$#,0.00;-$#,0.00", -1234.4, "-$1,234.40"},
        {"$#,0;-$#,0", -1234.4, "-$1,234"},
        {"$#,0;($#,0)", -1234.4, "($1,234)"},
        {"0 %", -1234.4, "-1234 %"},
        {"0.00 %", -1234.4, "-1234.40 %"},
    });
}

TEST(FormatFloat, placeholders_rounding_and_sections) {
    expectFormats(FormatSettings(), {
        {"0.00", 2.675, "2.68"},
        {"0.00", 1.005, "1.01"},
        {"0.00", -2.5, "-2.50"},
        {"0", 0.5, "1"},
        {"0", -0.5, "-1"},
        {"0", 0.49, "0"},
        {"0.00", 9.999, "10.00"},
        {"0.##", 5, "5"},
        {"0.##", 5.1, "5.1"},
        {"0.##", 5.125, "5.13"},
        {"0.0#", 5, "5.0"},
        {"#.##", 0.5, ".5"},
        {"#", 0, ""},
        {"#,##0", 0, "0"},
        {"000", 7, "007"},
        {"00-00", 1234, "12-34"},
        {"0", 123456, "123456"},
        {"#,0", 1234567.89, "1,234,568"},
        {"#,0", 123, "123"},
        {"#,0", 1000, "1,000"},
        {",0.0", 1234567.5, "1,234,567.5"},
        {"0", 1e17, "100000000000000000"},
        {"#,0", -123456789012345678.0, "-123,456,789,012,345,680"},
        {"0", 1e18, "1E18"},
        {"0", 1e20, "1E20"},
        {"#,0.00", -1.5e300, "-1.5E300"},
        {"0.00", 100000000000000.5, "100000000000000.50"},
        {"0.0", 123456789012345.67, "123456789012345.7"},
        {"0.00", 0.1 + 0.2, "0.30"},
        {"0.00000000000000000", 0.1 + 0.2, "0.30000000000000004"},
        {"\"Total: \"0.00", 3, "Total: 3.00"},
        {"'#'0", 3, "#3"},
        {"0.00;(0.00);\"zero\"", -0.001, "zero"},
        {"0.00;(0.00)", -0.001, "0.00"},
        {"0.00", -0.001, "0.00"},
        {"0.00;;\"nil\"", 0, "nil"},
        {"0.00;;\"nil\"", -3, "-3.00"},
        {"0;0;", 0, "0"},
        {";", 5, "5"},
        {";", -5.25, "-5.25"},
        {"0.00;", -5, "-5.00"},
        {";0.00", -5, "5.00"},
        {"0.00;;", 0, "0.00"},
        {"\"x\";;", 0, "x"},
        {"0.000E+00", 12345, "1.235E+04"},
        {"0.00E-00", 0.00012, "1.20E-04"},
        {"0.0E+0", 0, "0.0E+0"},
        {"0.00E+00", -5e10, "-5.00E+10"},
        {"e-#0/1", 12.5, "1e1/1"},
        {".00", 12.5, "12.50"},
        {"x", 12.5, "x"},
    });
}

TEST(FormatFloat, separators_follow_the_settings) {
    expectFormats(testing::YearFirstComma(), {
        {"#,0.00", 1234.4, "1.234,40"},
        {"0.00", 0.5, "0,50"},
        {"#,0", -1234567, "-1.234.567"},
    });
    FormatSettings noGrouping;
    noGrouping.thousandSeparator = QChar();
    expectFormats(noGrouping, {{"#,0.00", 1234.4, "1234.40"}});
}

TEST(FormatFloat, special_values_and_the_empty_pattern) {
    const FormatSettings s;
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), std::numeric_limits<double>::quiet_NaN(), s), QStringLiteral("NAN"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), std::numeric_limits<double>::infinity(), s), QStringLiteral("INF"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), -std::numeric_limits<double>::infinity(), s), QStringLiteral("-INF"));
    EXPECT_EQ(FormatFloat(QString(), 1234.5, s), QStringLiteral("1234.5"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), std::numeric_limits<double>::max(), s),
              QStringLiteral("1.79769313486232E308"));
}

TEST(FormatCurr, rounds_to_four_decimals_first_at_any_size) {
    const FormatSettings s;
    static const FloatCase cases[] = {
        {"0.00000", 1.234567, "1.23460"},
        {"$#,0.00;($#,0.00)", -1234.5, "($1,234.50)"},
        {"0.00", 100000000000000.5, "100000000000000.50"},
        {"0.0000", 922337203685477.5, "922337203685477.5000"},
        {"0.0000", -922337203685477.5, "-922337203685477.5000"},
        {"0.0000", 12345678901.2345, "12345678901.2345"},
        {"0.000", 0.00005, "0.000"},
        {"0.0000", 0.00005, "0.0001"},
        {"", 1.234567, "1.2346"},
        {"0", 1e305, "1E305"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + std::to_string(c.value));
        EXPECT_EQ(FormatCurr(QString::fromUtf8(c.pattern), c.value, s), QString::fromUtf8(c.expected));
    }
}

TEST(FloatToStr, general_form_with_fifteen_digits) {
    const FormatSettings s;
    static const struct {
        double value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {1234.5, "1234.5"},
        {-1234.5, "-1234.5"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {0.1 + 0.2, "0.3"},
        {1e14, "100000000000000"},
        {1e15, "1E15"},
        {1e20, "1E20"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {-1.5e-10, "-1.5E-10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FloatToStr(c.value, s), QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(FloatToStr(1234.5, testing::YearFirstComma()), QStringLiteral("1234,5"));
}

TEST(FloatToStrF, currency_places_symbol_and_sign_as_the_settings_say) {
    FormatSettings s;
    EXPECT_EQ(FloatToStrF(1234.5, FloatFormat::Currency, 15, 2, s), QStringLiteral("$1,234.50"));
    EXPECT_EQ(FloatToStrF(-0.001, FloatFormat::Currency, 15, 2, s), QStringLiteral("$0.00"));
    static const char* const negatives[16] = {
        "($1,234.50)", "-$1,234.50", "$-1,234.50", "$1,234.50-", "(1,234.50$)", "-1,234.50$",
        "1,234.50-$",  "1,234.50$-", "-1,234.50 $", "-$ 1,234.50", "1,234.50 $-", "$ 1,234.50-",
        "$ -1,234.50", "1,234.50- $", "($ 1,234.50)", "(1,234.50 $)"};
    for (int f = 0; f < 16; ++f) {
        SCOPED_TRACE(f);
        s.negCurrFormat = f;
        EXPECT_EQ(FloatToStrF(-1234.5, FloatFormat::Currency, 15, 2, s), QString::fromUtf8(negatives[f]));
    }
    const FormatSettings euro = testing::YearFirstComma();
    EXPECT_EQ(FloatToStrF(1234.5, FloatFormat::Currency, 15, 2, euro), QStringLiteral("1.234,50 €"));
    EXPECT_EQ(FloatToStrF(-1234.5, FloatFormat::Currency, 15, 0, euro), QStringLiteral("-1.235 €"));
}

TEST(FloatToStrF, fixed_and_number_forms) {
    const FormatSettings s;
    EXPECT_EQ(FloatToStrF(1234.567, FloatFormat::Fixed, 15, 2, s), QStringLiteral("1234.57"));
    EXPECT_EQ(FloatToStrF(1234.567, FloatFormat::Number, 15, 2, s), QStringLiteral("1,234.57"));
    EXPECT_EQ(FloatToStrF(-0.4, FloatFormat::Fixed, 15, 0, s), QStringLiteral("0"));
    EXPECT_EQ(FloatToStrF(1234.567, FloatFormat::Number, 4, 2, s), QStringLiteral("1,235.00"));
}

}  // namespace
}  // namespace format
