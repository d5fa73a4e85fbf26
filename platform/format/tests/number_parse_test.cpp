#include "platform/format/number_parse.h"

#include "platform/format/errors.h"
#include "platform/format/tests/test_settings.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <optional>

namespace format {
namespace {

TEST(StrToFloat, reads_numbers_with_the_decimal_separator_of_the_settings) {
    struct Case {
        const char* text;
        std::optional<double> expected;
    };
    static const Case cases[] = {
        {"1234.5", 1234.5},   {" -1.5e3 ", -1500.0}, {"+3", 3.0},       {".5", 0.5},
        {"5.", 5.0},          {"1E-2", 0.01},        {"0", 0.0},        {"1,234.5", std::nullopt},
        {"1.2.3", std::nullopt}, {"", std::nullopt}, {".", std::nullopt}, {"-", std::nullopt},
        {"1e", std::nullopt}, {"1e+", std::nullopt}, {"1e400", std::nullopt}, {"abc", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"1 2", std::nullopt}, {"$5", std::nullopt},
        {"0x10", std::nullopt}, {"١٢", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto result = TryStrToFloat(QString::fromUtf8(c.text), FormatSettings());
        if (c.expected) {
            ASSERT_TRUE(result.ok()) << result.error().text.toStdString();
            EXPECT_DOUBLE_EQ(result.value(), *c.expected);
        } else {
            ASSERT_FALSE(result.ok()) << "read as " << result.value();
            EXPECT_EQ(result.error().code, kInvalidFloat);
        }
    }
    const FormatSettings comma = testing::YearFirstComma();
    EXPECT_DOUBLE_EQ(TryStrToFloat(QStringLiteral("1,5"), comma).value(), 1.5);
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("1.5"), comma).ok());
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("1.234,5"), comma).ok());
}

TEST(StrToInt, reads_decimal_integers_within_range) {
    struct Case {
        const char* text;
        std::optional<int> expected;
    };
    static const Case cases[] = {
        {"42", 42},
        {" -7 ", -7},
        {"+7", 7},
        {"0000000000001", 1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"12a", std::nullopt},
        {"1.0", std::nullopt},
        {"$FF", std::nullopt},
        {"0x10", std::nullopt},
        {"1 000", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto result = TryStrToInt(QString::fromUtf8(c.text));
        if (c.expected) {
            ASSERT_TRUE(result.ok()) << result.error().text.toStdString();
            EXPECT_EQ(result.value(), *c.expected);
        } else {
            ASSERT_FALSE(result.ok()) << "read as " << result.value();
            EXPECT_EQ(result.error().code, kInvalidInteger);
        }
    }
    EXPECT_EQ(TryStrToInt64(QStringLiteral("9223372036854775807")).value(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(TryStrToInt64(QStringLiteral("-9223372036854775808")).value(), std::numeric_limits<qint64>::min());
    EXPECT_FALSE(TryStrToInt64(QStringLiteral("9223372036854775808")).ok());
}

TEST(StrToInt, throwing_forms_and_the_default_form) {
    EXPECT_EQ(StrToInt(QStringLiteral("12")), 12);
    EXPECT_EQ(StrToIntDef(QStringLiteral("x"), 5), 5);
    EXPECT_EQ(StrToIntDef(QStringLiteral("-3"), 5), -3);
    try {
        StrToInt(QStringLiteral("12a"));
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Code(), kInvalidInteger);
        EXPECT_EQ(e.Message(), QStringLiteral("'12a' is not a valid integer value"));
    }
    EXPECT_THROW(StrToFloat(QStringLiteral("1,5")), EConvertError);
    EXPECT_THROW(StrToInt64(QStringLiteral("")), EConvertError);
}

}  // namespace
}  // namespace format
