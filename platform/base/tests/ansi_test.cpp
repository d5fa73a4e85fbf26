#include "platform/base/ansi.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiCodePage, every_byte_decodes_and_encodes_back_to_itself) {
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(base::UnicodeToAnsi(base::AnsiToUnicode(std::uint8_t(b))), b);
    }
    static const struct {
        char16_t unicode;
        int ansi;
    } cases[] = {
        {u'\u20AC', 0x80}, {u'\u0081', 0x81}, {u'\u2026', 0x85}, {u'\u0178', 0x9F},
        {u'\u00E9', 0xE9}, {u'A', 0x41},      {u'\u0416', -1},   {u'\uFFFD', -1},
        {u'\u0100', -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.unicode));
        EXPECT_EQ(base::UnicodeToAnsi(c.unicode), c.ansi);
    }
    EXPECT_TRUE(base::IsUndefinedAnsi(0x9D));
    EXPECT_FALSE(base::IsUndefinedAnsi(0x9E));
}

}  // namespace
