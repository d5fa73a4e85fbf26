#include "platform/richtext/code_page.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, ansi_table_maps_every_defined_position_both_ways) {
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const char16_t u = richtext::AnsiToUnicode(static_cast<unsigned char>(b));
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        EXPECT_EQ(richtext::UnicodeToAnsi(u), undefined ? -1 : b);
    }
    EXPECT_EQ(richtext::AnsiToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(richtext::AnsiToUnicode(0x85), u'\u2026');
    EXPECT_EQ(richtext::AnsiToUnicode(0x9F), u'\u0178');
    EXPECT_EQ(richtext::AnsiToUnicode(0xE9), u'\u00E9');
    EXPECT_EQ(richtext::UnicodeToAnsi(u'\u0416'), -1);  // Cyrillic has no 1252 position
    EXPECT_EQ(richtext::UnicodeToAnsi(u'\uFFFD'), -1);
}

TEST(CodePage, font_character_sets_name_their_code_pages) {
    static const struct {
        int charset;
        int codePage;
    } kCases[] = {
        {0, 0}, {1, 0}, {2, 0}, {77, 10000}, {128, 932}, {134, 936}, {161, 1253}, {162, 1254},
        {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874}, {238, 1250}, {9999, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.charset);
        EXPECT_EQ(richtext::CodePageForCharset(c.charset), c.codePage);
    }
}

TEST(CodePage, bytes_decode_in_their_code_page_and_unknown_pages_fall_back_to_ansi) {
    static const struct {
        const char* bytes;
        int codePage;
        const char* expectedUtf8;
    } kCases[] = {
        {"caf\xe9 \x80", 1252, "caf\xc3\xa9 \xe2\x82\xac"},
        {"\x9e\x9a", 1250, "\xc5\xbe\xc5\xa1"},                   // ž š
        {"\xcf\xf0\xe8", 1251, "\xd0\x9f\xd1\x80\xd0\xb8"},       // При
        {"\xe1\xe2", 1253, "\xce\xb1\xce\xb2"},                   // αβ
        {"\x82\xa0\x82\xa2", 932, "\xe3\x81\x82\xe3\x81\x84"},    // あい, two bytes each
        {"caf\xe9", 99999, "caf\xc3\xa9"},                         // nobody knows 99999
        {"caf\xe9", -3, "caf\xc3\xa9"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(richtext::DecodeCodePage(QByteArrayView(c.bytes), c.codePage), QString::fromUtf8(c.expectedUtf8));
    }
    EXPECT_TRUE(richtext::IsKnownCodePage(1252));
    EXPECT_TRUE(richtext::IsKnownCodePage(1251));
    EXPECT_FALSE(richtext::IsKnownCodePage(99999));
}

}  // namespace
