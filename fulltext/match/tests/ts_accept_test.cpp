#include "fulltext/match/ts_accept.h"

#include "fulltext/testsupport/memory_links.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Case {
    const char* word;  ///< UTF-8
    bool accepted;
    const char* why;
};

TEST(TtsAccept, default_limits_judge_words_as_a_real_word_filter_should) {
    static const Case cases[] = {
        {"AAAAA", false, "run of 5 exceeds 4"},
        {"AAAA", true, "run of 4 is allowed and the word has vowels"},
        {"1ABC", false, "leading digit"},
        {"ABC1", true, "digit not leading"},
        {"A1234", false, "4 digits exceed 3"},
        {"A123", false, "1 letter - 3 digits is below the balance of 0"},
        {"AB12", true, "2 letters - 2 digits meets the balance of 0"},
        {"ABC123", true, "3 digits allowed"},
        {"BCDF", false, "length 4 without a vowel"},
        {"BCD", true, "shorter than 4 needs no vowel"},
        {"A-B-C-D", false, "3 others exceed 2"},
        {"A-B-C", true, "2 others allowed"},
        {"12", false, "letters - digits below the balance, and a leading digit"},
        {"", true, "an empty word has nothing to refuse"},
        {"RHYTHM", true, "Y counts as a vowel"},
        {"STRENGTHS", true, "one vowel is enough"},
        {"abcd", false, "sets are case-sensitive: lower case letters are others"},
        {"\xC3\x89T\xC3\x89S", false, "accented letters are not in the default alphabet: no vowel in a word of 4"},
        {"\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2", true, "Cyrillic letters are letters the vowel test cannot judge"},
        {"\xD9\xA1\xD9\xA2" "ABCDE", false, "Arabic-Indic digits are digits: leading digit"},
        {"E\xCC\x81TE", true, "a combining accent belongs to its letter"},
    };
    TtsAccept accept;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const QString word = QString::fromUtf8(c.word);
        accept.SetWord(word);
        EXPECT_EQ(accept.Accept(), c.accepted) << word.toStdString();
    }
}

TEST(TtsAccept, counts_and_longest_run_describe_the_last_word) {
    TtsAccept accept;
    accept.SetWord(QStringLiteral("BOOKKEEPER1-"));
    EXPECT_EQ(accept.Letters(), 10);
    EXPECT_EQ(accept.Digits(), 1);
    EXPECT_EQ(accept.Vowels(), 5);
    EXPECT_EQ(accept.Others(), 1);
    EXPECT_EQ(accept.LongestRun(), 2);
    accept.SetWord(QStringLiteral("XYZ"));
    EXPECT_EQ(accept.LongestRun(), 1);
    accept.SetWord(QString());
    EXPECT_EQ(accept.LongestRun(), 0);
    EXPECT_EQ(accept.Letters() + accept.Digits() + accept.Others(), 0);
}

TEST(TtsAccept, changing_a_limit_or_a_set_judges_the_current_word_again) {
    TtsAccept accept;
    accept.SetWord(QStringLiteral("AB12"));
    EXPECT_TRUE(accept.Accept());
    accept.SetBalance(1);  // 2 letters - 2 digits = 0 < 1
    EXPECT_FALSE(accept.Accept());
    accept.SetBalance(0);
    EXPECT_TRUE(accept.Accept());

    accept.SetWord(QStringLiteral("AAAAA"));
    EXPECT_FALSE(accept.Accept());
    accept.SetConsecutiveLimit(5);
    EXPECT_TRUE(accept.Accept());

    accept.SetWord(QStringLiteral("BCDF"));
    EXPECT_FALSE(accept.Accept());
    accept.SetMinVowelLength(5);
    EXPECT_TRUE(accept.Accept());
    accept.SetMinVowelLength(4);
    accept.SetVowel(QStringLiteral("B"));
    EXPECT_TRUE(accept.Accept());
    accept.SetMinVowelCount(2);
    EXPECT_FALSE(accept.Accept());

    accept.SetVowel(QStringLiteral("AEIOUY"));
    accept.SetMinVowelCount(1);
    accept.SetWord(QStringLiteral("1ABC"));
    EXPECT_FALSE(accept.Accept());
    accept.SetNoLeadingNumbers(false);
    EXPECT_TRUE(accept.Accept());
    accept.SetNumeric(QString());  // digits are now others: 1 other
    EXPECT_EQ(accept.Digits(), 0);
    EXPECT_EQ(accept.Others(), 1);
    accept.SetOtherLimit(0);
    EXPECT_FALSE(accept.Accept());

    accept.SetNumericLimit(0);
    accept.SetOtherLimit(2);
    accept.SetNumeric(QStringLiteral("0123456789"));
    EXPECT_FALSE(accept.Accept());  // one digit over a limit of 0
}

TEST(TtsAccept, sets_read_back_their_members_in_code_order) {
    TtsAccept accept;
    EXPECT_EQ(accept.Alpha(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(accept.Numeric(), QStringLiteral("0123456789"));
    EXPECT_EQ(accept.Vowel(), QStringLiteral("AEIOUY"));
    accept.SetVowel(QStringLiteral("YUOIEAAA"));
    EXPECT_EQ(accept.Vowel(), QStringLiteral("AEIOUY"));
    // Euro sign (ANSI 0x80) comes after the letters, é (0xE9) after it; Cyrillic is left out.
    accept.SetAlpha(QString::fromUtf8("\xC3\xA9" "\xE2\x82\xAC" "Z" "\xD0\x96"));
    EXPECT_EQ(accept.Alpha(), QString::fromUtf8("Z" "\xE2\x82\xAC" "\xC3\xA9"));
    accept.SetWord(QString::fromUtf8("Z\xC3\xA9"));
    EXPECT_EQ(accept.Letters(), 2);
    EXPECT_DOUBLE_EQ(accept.Version(), 2.07);
    accept.SetVersion(3.0);
    EXPECT_DOUBLE_EQ(accept.Version(), 2.07);
}

TEST(TtsAccept, as_an_engine_handler_it_keeps_refused_words_out) {
    fulltext::testing::CollectingEngine engine;
    fulltext::testing::MemoryWordsLink words;
    engine.SetWordsLink(&words);
    auto* accept = new TtsAccept();
    engine.OnAcceptWord = fulltext::AcceptWordBy(accept);
    engine.ParseString(QStringLiteral("the XXXXXXX bcdf 1abc abc1 a1234 zzzz zzz"));
    const std::vector<QString> expected = {QStringLiteral("THE"), QStringLiteral("ABC1"), QStringLiteral("ZZZ")};
    EXPECT_EQ(engine.words, expected);

    delete accept;  // a freed filter accepts everything
    engine.words.clear();
    engine.ParseString(QStringLiteral("bcdf"));
    EXPECT_EQ(engine.words, std::vector<QString>{QStringLiteral("BCDF")});
}

}  // namespace
