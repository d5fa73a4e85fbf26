#include "core/text_helpers.h"

#include "platform/format/errors.h"

#include <QFont>

#include <gtest/gtest.h>

namespace {

TEST(TextHelpers, padding_fills_to_the_length_and_leaves_longer_texts_alone) {
    struct Case {
        const char* text;
        int length;
        char fill;
        const char* left;
        const char* right;
    };
    static const Case cases[] = {
        {"7", 2, '0', "07", "70"},
        {"123", 2, '0', "123", "123"},
        {"", 3, '~', "~~~", "~~~"},
        {"ab", 2, ' ', "ab", "ab"},
        {"x", 0, ' ', "x", "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core::PadLeft(c.text, c.length, QChar(c.fill)), c.left);
        EXPECT_EQ(core::PadRight(c.text, c.length, QChar(c.fill)), c.right);
    }
}

TEST(TextHelpers, boolean_texts_read_by_the_first_untrimmed_character) {
    struct Case {
        const char* text;
        bool value;
    };
    static const Case cases[] = {
        {"yes", true}, {"Yes", true}, {"TRUE", true}, {"t", true}, {"1", true}, {"y", true},
        {" yes", false}, {"0", false}, {"", false}, {"   ", false}, {"FALSE", false}, {"no", false}, {"2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core::TextToBool(c.text), c.value);
    }
    EXPECT_EQ(core::BoolToText(true), "TRUE");
    EXPECT_EQ(core::BoolToText(false), "FALSE");
}

TEST(TextHelpers, font_styles_round_trip_through_their_text) {
    using core::FontStyle;
    struct Case {
        core::FontStyles styles;
        const char* text;
    };
    static const Case cases[] = {
        {FontStyle::Bold | FontStyle::Italic, "Bold,Italic"},
        {FontStyle::StrikeOut, "Strikeout"},
        {{}, ""},
        {FontStyle::Bold | FontStyle::Underline, "Bold,Underline"},
        {FontStyle::Bold | FontStyle::Italic | FontStyle::Underline | FontStyle::StrikeOut,
         "Bold,Italic,Underline,Strikeout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core::FontStyleToText(c.styles), c.text);
        EXPECT_EQ(core::TextToFontStyle(c.text), c.styles);
    }
    // Reading looks only at the first letter of each piece and ignores the others.
    EXPECT_EQ(core::TextToFontStyle("Underline"), core::FontStyles(FontStyle::Underline));
    EXPECT_EQ(core::TextToFontStyle("B,x,,S"), FontStyle::Bold | FontStyle::StrikeOut);
    EXPECT_EQ(core::TextToFontStyle("bold"), core::FontStyles());

    QFont font;
    core::ApplyFontStyles(font, FontStyle::Italic | FontStyle::Underline);
    EXPECT_EQ(core::FontStylesOf(font), FontStyle::Italic | FontStyle::Underline);
}

TEST(TextHelpers, capitalizing_keeps_only_a_final_one_letter_word_lower_case) {
    struct Case {
        const char* text;
        const char* expected;
    };
    static const Case cases[] = {
        {"hello a", "Hello a"},
        {"a b cd", "A B Cd"},
        {"JOHN o'BRIEN", "John O'Brien"},
        {"x", "X"},
        {"", ""},
        {"émile zola", "Émile Zola"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core::CapitalizeWords(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
    }
}

TEST(TextHelpers, splitting_keeps_empty_pieces_but_not_an_empty_rest) {
    struct Case {
        const char* text;
        QStringList pieces;
    };
    const Case cases[] = {
        {"a,b,c", {"a", "b", "c"}},
        {"a,,b,", {"a", "", "b"}},
        {"", {}},
        {",", {""}},
        {"only", {"only"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QStringList list{"kept"};
        core::SplitText(c.text, u',', list);
        EXPECT_EQ(list, QStringList{"kept"} + c.pieces);
    }
}

TEST(TextHelpers, small_text_routines) {
    EXPECT_EQ(core::StripAfterDot("  name.ext  "), "name");
    EXPECT_EQ(core::StripAfterDot(" name "), "name");
    EXPECT_EQ(core::RemoveBlanks(" 1 2 3 "), "123");
    EXPECT_EQ(core::DoubleAmpersands("Salt & Pepper&"), "Salt && Pepper&&");
    EXPECT_EQ(core::BarsToLineBreaks("one|two||"), "one\ntwo\n\n");
    EXPECT_EQ(core::FirstChar(""), QChar(u' '));
    EXPECT_EQ(core::FirstChar("xy"), QChar(u'x'));
    EXPECT_EQ(core::MakeValidFileName("a\"b*c/d:e<f>g?h|i\\j"), "a_b_c_d_e_f_g_h_i\\j");
    EXPECT_TRUE(core::IsLetter(u'q'));
    EXPECT_FALSE(core::IsLetter(u'é'));
    EXPECT_TRUE(core::IsDigit(u'9'));
    EXPECT_FALSE(core::IsDigit(u'٣'));
    EXPECT_EQ(core::MinInt(3, -4), -4);
    EXPECT_EQ(core::MaxInt(3, -4), 3);
}

TEST(TextHelpers, number_tests_accept_only_what_converts) {
    struct Case {
        const char* text;
        bool isInteger;
        bool isFloat;
        int orZero;
    };
    static const Case cases[] = {
        {"42", true, true, 42},     {"-7", true, true, -7},    {" 5 ", true, true, 5},
        {"4.5", false, true, 0},    {"abc", false, false, 0},  {"", false, false, 0},
        {"99999999999", false, true, 0}, {"1e3", false, true, 0}, {"4,5", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core::IsIntegerText(c.text), c.isInteger);
        EXPECT_EQ(core::IsFloatText(c.text), c.isFloat);
        EXPECT_EQ(core::TextToIntOrZero(c.text), c.orZero);
    }
}

TEST(TextHelpers, position_texts_convert_four_integers_or_fail) {
    core::PositionRecord record{1, 2, 3, 4};
    core::TextToPosition("", record);
    EXPECT_EQ(record, (core::PositionRecord{1, 2, 3, 4}));
    core::TextToPosition("10,20,300,400", record);
    EXPECT_EQ(record, (core::PositionRecord{10, 20, 300, 400}));
    EXPECT_EQ(core::PositionToText(record), "10,20,300,400");
    core::TextToPosition("5,6,7,8,9", record);
    EXPECT_EQ(record, (core::PositionRecord{5, 6, 7, 8}));
    EXPECT_THROW(core::TextToPosition("1,2,3", record), format::EConvertError);
    EXPECT_THROW(core::TextToPosition("1,x,3,4", record), format::EConvertError);
}

}  // namespace
