#include "core/mask_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(MaskHelpers, caret_positions_bound_the_numeric_area_of_a_mask) {
    struct Case {
        const char* text;
        int caret;
        char key;
        bool allowed;
    };
    static const Case cases[] = {
        {"$###.##", 0, '5', false},
        {"$###.##", 1, '5', true},
        {"$###.##", 7, '5', true},
        {"$###.##", 8, '5', false},
        {"$###.##", 0, 'a', true},
        {"$###.##", 3, 'a', false},
        {"$###.##", 7, 'a', true},
        {"$###.##", 1, '-', true},
        {"abc", 1, '5', true},  // no numeric area: every key passes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " caret " << c.caret << " key " << c.key);
        EXPECT_EQ(core::MaskPositionAllows(c.text, c.caret, QChar(c.key)), c.allowed);
    }
}

TEST(MaskHelpers, numbers_are_laid_out_in_the_mask) {
    struct Case {
        const char* number;
        const char* mask;
        const char* expected;
    };
    static const Case cases[] = {
        {"12.5", "$###.##", "$ 12.50"},
        {"$12.5", "$###.##", "$ 12.50"},
        {"12345.5", "$###.##", "$***.**"},
        {"1.234", "###.##", "***.**"},
        {".5", "###.##", "  0.50"},
        {"42", "#####", "   42"},
        {"42", "#### kg", "  42 kg"},
        {" 4 2 ", "####", "  42"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << " in " << c.mask);
        EXPECT_EQ(core::FormatNumberForMask(c.number, c.mask), c.expected);
    }
}

TEST(MaskHelpers, mask_texts) {
    EXPECT_EQ(core::MaskSampleText("(999) 000-aaaa", true), "(000) 000-0000");
    EXPECT_EQ(core::MaskSampleText("(999) 000-aaaa", false), "0000000000");
    EXPECT_EQ(core::MaskSampleText("LLcc", true), "AA!!");
    EXPECT_EQ(core::MaskToDisplayFormat("$#,990.09"), "####.##");
    EXPECT_EQ(core::NumberFromMaskedText("$ 12.50 kg", "$###.## kg"), "12.50");
    EXPECT_EQ(core::NumberFromMaskedText("abc", "xyz"), "");
}

TEST(MaskHelpers, number_key_rules) {
    struct Case {
        char key;
        const char* text;
        int caret;
        bool integerOnly;
        bool passes;
    };
    static const Case cases[] = {
        {'5', "12", 2, true, true},   {'\b', "12", 2, true, true},  {'a', "12", 0, false, false},
        {'-', "12", 0, true, true},   {'-', "12", 1, true, false},  {'+', "", 0, false, true},
        {'.', "12", 2, false, true},  {'.', "1.2", 3, false, false}, {'.', "12", 2, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << int(c.key) << " in " << c.text);
        EXPECT_EQ(!core::NumberKeyRule(QChar(c.key), c.text, c.caret, c.integerOnly).isNull(), c.passes);
    }
    EXPECT_EQ(core::DigitKeyRule(u'7'), QChar(u'7'));
    EXPECT_TRUE(core::DigitKeyRule(u'x').isNull());
    EXPECT_EQ(core::DigitKeyRule(QChar(8)), QChar(8));
    // Masked: the mask position decides first.
    EXPECT_TRUE(core::MaskedNumberKeyRule(u'5', "$###.##", "$", 0, false).isNull());
    EXPECT_EQ(core::MaskedNumberKeyRule(u'5', "$###.##", "$", 1, false), QChar(u'5'));
    EXPECT_TRUE(core::MaskedNumberKeyRule(u'.', "$###.##", "$1.", 3, false).isNull());
}

}  // namespace
