#include "platform/paint/color.h"

#include <gtest/gtest.h>

namespace paint {
namespace {

TEST(Color, identifiers_and_values_convert_both_ways) {
    static const struct {
        TColor color;
        const char* text;
    } cases[] = {
        {clBlack, "clBlack"},
        {clRed, "clRed"},
        {clNavy, "clNavy"},
        {clCream, "clCream"},
        {clBtnFace, "clBtnFace"},
        {clWindowText, "clWindowText"},
        {clInfoBk, "clInfoBk"},
        {clNone, "clNone"},
        {clDefault, "clDefault"},
        {TColor(0x00123456), "$00123456"},
        {TColor(0x80000019), "$80000019"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ColorToString(c.color), QString::fromLatin1(c.text));
        ASSERT_TRUE(StringToColor(QString::fromLatin1(c.text)).has_value());
        EXPECT_EQ(*StringToColor(QString::fromLatin1(c.text)), c.color);
    }
    EXPECT_EQ(IdentToColor(QStringLiteral("CLRED")), clRed);
    EXPECT_FALSE(IdentToColor(QStringLiteral("clChartreuse")).has_value());
    EXPECT_FALSE(StringToColor(QStringLiteral("$zz")).has_value());
    EXPECT_EQ(StringToColor(QStringLiteral("255")), clRed);
}

TEST(Color, system_colours_draw_in_the_classic_scheme) {
    static const struct {
        TColor color;
        QRgb rgb;
    } cases[] = {
        {clBtnFace, qRgb(0xC0, 0xC0, 0xC0)}, {clWindow, qRgb(0xFF, 0xFF, 0xFF)},
        {clWindowText, qRgb(0, 0, 0)},       {clHighlight, qRgb(0, 0, 0x80)},
        {clInfoBk, qRgb(0xFF, 0xFF, 0xE1)},  {clDefault, qRgb(0xFF, 0xFF, 0xFF)},
        {clRed, qRgb(0xFF, 0, 0)},           {clNavy, qRgb(0, 0, 0x80)},
        {TColor(0x80000063), qRgb(0, 0, 0)},  // index beyond the scheme
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ColorToString(c.color).toStdString());
        EXPECT_EQ(ToQColor(c.color).rgb(), c.rgb);
    }
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
    EXPECT_EQ(FromQColor(QColor(0x12, 0x34, 0x56)), TColor(0x563412));
}

}  // namespace
}  // namespace paint
