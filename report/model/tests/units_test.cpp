#include "report/page/units.h"
#include "testsupport/qt_printers.h"

#include "platform/stream/value.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {

using U = TppUnitType;

struct Printer600x300 : report::PrinterResolution {
    int PixelsPerInchX() const override { return 600; }
    int PixelsPerInchY() const override { return 300; }
};

class Units : public ::testing::Test {
protected:
    void SetUp() override { report::SetScreenPixelsPerInch(96); }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }
};

TEST_F(Units, conversions_keep_their_constants_and_rounding) {
    static const Printer600x300 printer;
    const auto* p = &printer;
    const auto bad = static_cast<U>(7);
    static const struct {
        const char* what;
        std::function<double()> got;
        double expected;
    } cases[] = {
        // inches to mm-thousandths: 0.03937 inches per millimetre, not 1/25.4
        {"11 in", [] { return ppToMMThousandths(U::utInches, 0, nullptr, 11); }, 279401},
        {"8.5 in", [] { return ppToMMThousandths(U::utInches, 0, nullptr, 8.5f); }, 215900},
        {"1 in", [] { return ppToMMThousandths(U::utInches, 0, nullptr, 1); }, 25400},
        // mm-thousandths shown in inches, four decimals
        {"279400 as in", [] { return ppFromMMThousandths(279400, U::utInches, 0, nullptr); }, 11.0f},
        {"1000 as in", [] { return ppFromMMThousandths(1000, U::utInches, 0, nullptr); }, 0.0394f},
        // screen pixels at 96 per inch
        {"25400 as px", [] { return ppFromMMThousandths(25400, U::utScreenPixels, 0, nullptr); }, 96},
        {"1 px", [] { return ppToMMThousandths(U::utScreenPixels, 0, nullptr, 1); }, 265},
        {"10 px", [] { return ppToMMThousandths(U::utScreenPixels, 0, nullptr, 10); }, 2646},
        {"10 px back", [] { return ppFromScreenPixels(10, U::utMMThousandths, 0, nullptr); }, 2646},
        {"1 in to px", [] { return ppToScreenPixels(U::utInches, 0, nullptr, 1); }, 96},
        {"2646 to px", [] { return ppToScreenPixels(U::utMMThousandths, 0, nullptr, 2646); }, 10},
        // mm-thousandths truncate, millimetres round
        {"1234.9 thousandths", [] { return ppToMMThousandths(U::utMMThousandths, 0, nullptr, 1234.9f); }, 1234},
        {"-1234.9 thousandths", [] { return ppToMMThousandths(U::utMMThousandths, 0, nullptr, -1234.9f); }, -1234},
        {"1.2349 mm", [] { return ppToMMThousandths(U::utMillimeters, 0, nullptr, 1.2349f); }, 1235},
        {"1500 as mm", [] { return ppFromMMThousandths(1500, U::utMillimeters, 0, nullptr); }, 1.5f},
        // halves round to even
        {"2.5 tenths", [] { return ppToTenthsMM(U::utMMThousandths, 0, nullptr, 250); }, 2},
        {"3.5 tenths", [] { return ppToTenthsMM(U::utMMThousandths, 0, nullptr, 350); }, 4},
        // printer pixels: the selected direction of the printer, the screen without one
        {"1 in at 600 x", [p] { return ppFromMMThousandths(25400, U::utPrinterPixels, 0, p); }, 600},
        {"1 in at 300 y", [p] { return ppFromMMThousandths(25400, U::utPrinterPixels, 1, p); }, 300},
        {"600 px x", [p] { return ppToMMThousandths(U::utPrinterPixels, 0, p, 600); }, 25400},
        {"300 px y", [p] { return ppToMMThousandths(U::utPrinterPixels, 1, p, 300); }, 25400},
        {"no printer", [] { return ppFromMMThousandths(25400, U::utPrinterPixels, 0, nullptr); }, 96},
        {"no printer back", [] { return ppToMMThousandths(U::utPrinterPixels, 1, nullptr, 96); }, 25400},
        // tenths of a millimetre
        {"2794 tenths as mm", [] { return ppFromTenthsMM(2794, U::utMillimeters, 0, nullptr); }, 279},
        {"2795 tenths as mm", [] { return ppFromTenthsMM(2795, U::utMillimeters, 0, nullptr); }, 280},
        {"2794 tenths", [] { return ppFromTenthsMM(2794, U::utMMThousandths, 0, nullptr); }, 279400},
        {"2794 tenths as px", [] { return ppFromTenthsMM(2794, U::utScreenPixels, 0, nullptr); }, 1056},
        // inches from tenths go through whole screen pixels: 1056 px = 11.0 in
        {"2794 tenths as in", [] { return ppFromTenthsMM(2794, U::utInches, 0, nullptr); }, 11.0f},
        {"11 in as tenths", [] { return ppToTenthsMM(U::utInches, 0, nullptr, 11); }, 2794},
        {"27.94 mm as tenths", [] { return ppToTenthsMM(U::utMillimeters, 0, nullptr, 27.94f); }, 279},
        {"96 px as tenths", [] { return ppToTenthsMM(U::utScreenPixels, 0, nullptr, 96); }, 254},
        {"279401 as tenths", [] { return ppToTenthsMM(U::utMMThousandths, 0, nullptr, 279401); }, 2794},
        // a unit outside the type converts to 0 both ways
        {"bad from", [bad] { return ppFromMMThousandths(25400, bad, 0, nullptr); }, 0},
        {"bad to", [bad] { return ppToMMThousandths(bad, 0, nullptr, 1); }, 0},
        {"bad from tenths", [bad] { return ppFromTenthsMM(100, bad, 0, nullptr); }, 0},
        {"bad to tenths", [bad] { return ppToTenthsMM(bad, 0, nullptr, 1); }, 0},
        // lengths beyond 32 bits are clamped, not wrapped
        {"huge inches", [] { return ppToMMThousandths(U::utInches, 0, nullptr, 1e9f); }, std::numeric_limits<int>::max()},
        {"huge negative", [] { return ppToMMThousandths(U::utMMThousandths, 0, nullptr, -1e12f); },
         std::numeric_limits<int>::min()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.got(), c.expected);
    }
}

TEST_F(Units, the_screen_resolution_decides_screen_pixels) {
    report::SetScreenPixelsPerInch(120);
    EXPECT_EQ(ppFromMMThousandths(25400, U::utScreenPixels, 0, nullptr), 120);
    EXPECT_EQ(ppFromMMThousandths(25400, U::utPrinterPixels, 0, nullptr), 120);
    EXPECT_EQ(ppToMMThousandths(U::utScreenPixels, 0, nullptr, 1), 212);
}

TEST_F(Units, lists_convert_item_by_item) {
    QStringList list = {"279400", "1000", "abc", "25400"};
    ppConvertListFromMM(list, U::utInches, 0, nullptr);
    EXPECT_EQ(list, QStringList({"11", "0.0394", "0", "1"}));
    ppConvertListToMM(list, U::utInches, 0, nullptr);
    EXPECT_EQ(list, QStringList({"279401", "1001", "0", "25400"}));
    QStringList mm = {"1500", "x"};
    ppConvertListFromMM(mm, U::utMillimeters, 0, nullptr);
    EXPECT_EQ(mm, QStringList({"1.5", "0"}));
}

TEST_F(Units, tab_stops_become_pixels_for_pixel_units_only) {
    std::vector<int> positions = {7};
    int count = -1;
    ppGetTabStopPixels(U::utInches, {"25400"}, positions, nullptr, count);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(positions, std::vector<int>({7}));
    ppGetTabStopPixels(U::utScreenPixels, {"25400", "x", "12700"}, positions, nullptr, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(positions, std::vector<int>({96, 48}));
    const Printer600x300 printer;
    ppGetTabStopPixels(U::utPrinterPixels, {"25400"}, positions, &printer, count);
    EXPECT_EQ(positions, std::vector<int>({600}));
}

TEST_F(Units, stored_lengths_of_older_templates_are_truncated_floats) {
    EXPECT_EQ(ppReadMMValue(stream::Value::Integer(279400)), 279400);
    EXPECT_EQ(ppReadMMValue(stream::Value::Extended(2794.99L)), 2794);
    EXPECT_EQ(ppReadMMValue(stream::Value::Single(-3.7f)), -3);
    EXPECT_EQ(ppReadMMValue(stream::Value::Extended(1e30L)), std::numeric_limits<int>::max());
}

}  // namespace
