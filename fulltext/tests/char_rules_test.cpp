#include "fulltext/char_rules.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(CharRules, ansi_positions_map_to_windows_1252_code_points_and_back) {
    struct Case {
        int ansi;
        char32_t unicode;
    };
    static const Case cases[] = {
        {0x41, U'A'}, {0x80, U'\u20AC'}, {0x81, U'\u0081'}, {0x8A, U'\u0160'}, {0x9F, U'\u0178'},
        {0xA0, U'\u00A0'}, {0xC9, U'\u00C9'}, {0xFF, U'\u00FF'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ansi);
        EXPECT_EQ(fulltext::AnsiToUnicode(std::uint8_t(c.ansi)), c.unicode);
        EXPECT_EQ(fulltext::AnsiCode(c.unicode), c.ansi);
    }
    EXPECT_EQ(fulltext::AnsiCode(U'\u0080'), -1);  // a C1 control that is not in the code page
    EXPECT_EQ(fulltext::AnsiCode(U'\u0416'), -1);  // Cyrillic Zhe
    EXPECT_EQ(fulltext::AnsiCode(U'\U0001F600'), -1);
}

TEST(CharRules, upper_case_keeps_ansi_characters_inside_the_code_page) {
    struct Case {
        char16_t in;
        char16_t out;
    };
    static const Case cases[] = {
        {u'a', u'A'},           {u'\u00E9', u'\u00C9'},  // é → É
        {u'\u00FF', u'\u0178'},  // ÿ → Ÿ, both in the code page
        {u'\u0161', u'\u0160'},  // š → Š
        {u'\u00DF', u'\u00DF'},  // ß has no one-character upper case
        {u'\u00B5', u'\u00B5'},  // µ: its Unicode upper case (Greek Mu) is outside the code page
        {u'\u0436', u'\u0416'},  // ж → Ж by Unicode
        {u'\u03B1', u'\u0391'},  // α → Α
        {u'7', u'7'},           {u'\u4E2D', u'\u4E2D'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.in));
        EXPECT_EQ(fulltext::UpperChar(c.in), c.out);
    }
    QString text = QString::fromUtf8("straße ÉTÉ été жук 𐐨x");  // 𐐨 (Deseret) upper-cases to 𐐀
    fulltext::UpperInPlace(text.data(), text.size());
    EXPECT_EQ(text, QString::fromUtf8("STRAßE ÉTÉ ÉTÉ ЖУК 𐐀X"));
}

TEST(CharRules, word_characters_follow_the_delimiter_set_for_ansi_and_unicode_classes_otherwise) {
    fulltext::AnsiSet delims;
    delims.set(' ');
    delims.set(0xE9);  // é made a delimiter on purpose
    const fulltext::CharClassTable table(delims);
    using C = fulltext::CharClassTable;
    EXPECT_EQ(table.Class(u'a'), C::Word);
    EXPECT_EQ(table.Class(u','), C::Word);  // not in this set
    EXPECT_EQ(table.Class(u' '), C::Delim);
    EXPECT_EQ(table.Class(u'\u00E9'), C::Delim);
    EXPECT_EQ(table.Class(u'\u0416'), C::Word);  // Cyrillic letter
    EXPECT_EQ(table.Class(u'\u0661'), C::Word);  // Arabic-Indic digit one
    EXPECT_EQ(table.Class(u'\u093F'), C::Word);  // Devanagari vowel sign (a combining mark)
    EXPECT_EQ(table.Class(u'\u3002'), C::Delim);  // ideographic full stop
    EXPECT_EQ(table.Class(u'\u2014'), C::Word);   // em dash is ANSI 0x97, not in this set
    const char16_t pairLetter[] = {0xD801, 0xDC28};  // Deseret letter
    const char16_t pairEmoji[] = {0xD83D, 0xDE00};   // grinning face
    int width = 0;
    EXPECT_FALSE(table.IsDelimiterAt(pairLetter, 0, 2, width));
    EXPECT_EQ(width, 2);
    EXPECT_TRUE(table.IsDelimiterAt(pairEmoji, 0, 2, width));
    EXPECT_TRUE(table.IsDelimiterAt(pairLetter, 0, 1, width));  // lone high surrogate
}

TEST(CharRules, sounds_like_fold_drops_accents_of_the_code_page_letters) {
    const QString in = QString::fromUtf8("àÅçÈïÑöÚýÿßžж");
    const QString expected = QString::fromUtf8("AACEINOUYŸßŽЖ");
    ASSERT_EQ(in.size(), expected.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fulltext::SoundsLikeFold(in[i].unicode()), expected[i].unicode());
    }
}

TEST(CharRules, cutting_counts_characters_and_never_splits_a_surrogate_pair) {
    const QString text = QString::fromUtf8("ab𐐨c");  // a b <pair> c: 5 code units
    EXPECT_EQ(fulltext::CutLength(text.constData(), text.size(), 10), 5);
    EXPECT_EQ(fulltext::CutLength(text.constData(), text.size(), 4), 4);
    EXPECT_EQ(fulltext::CutLength(text.constData(), text.size(), 3), 2);
    EXPECT_EQ(fulltext::CutLength(text.constData(), text.size(), 0), 0);
}

}  // namespace
