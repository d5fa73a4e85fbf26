#include "fulltext/ts_text.h"

#include "fulltext/errors.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

TEST(SoundsLikeKey, known_names_give_their_keys) {
    struct Case {
        const char* word;
        const char* key;
    };
    static const Case cases[] = {
        {"Robert", "RO163"},  {"Ro", "RO000"},     {"A", "00000"},    {"", "00000"},
        {"Tymczak", "TY520"}, {"Rupert", "RU163"}, {"Ashcraft", "AS261"}, {"Pfister", "PF236"},
        {"Lloyd", "LL300"},   {"Éclair", "EC460"}, {"çaça", "CA200"}, {"Muñoz", "MU520"},
        {"Жуков", "ЖУ000"},   {"ab", "AB000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(fulltext::SoundsLikeKey(QString::fromUtf8(c.word)), QString::fromUtf8(c.key));
    }
}

TEST(WildMatcher, masks_match_as_documented) {
    struct Case {
        const char* mask;
        const char* text;
        bool caseSensitive;
        bool matches;
    };
    static const Case cases[] = {
        {"a*b?c", "AxxbYc", false, true},
        {"a*b?c", "AxxbYc", true, false},
        {"a*b?c", "axxbYc", true, true},
        {"**", "anything", false, true},
        {"**", "", false, true},
        {"a**b", "aXb", false, true},
        {"a*", "a", false, true},
        {"a*", "", false, false},
        {"*a", "bba", false, true},
        {"*a", "bab", false, false},
        {"?", "", false, false},
        {"?", "x", false, true},
        {"a?c", "abbc", false, false},
        {"*ab*ab", "xabyabab", false, true},
        {"é*", "ÉTÉ", false, true},
        {"", "", false, true},
        {"", "a", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mask << " / " << c.text);
        const TWildMatcher m(QString::fromUtf8(c.mask), u'*', u'?', c.caseSensitive);
        EXPECT_EQ(m.Matches(QString::fromUtf8(c.text)), c.matches);
    }
    EXPECT_EQ(TWildMatcher(QStringLiteral("a***b*"), u'*', u'?', false).NormalisedMask(), "A*B*");
}

TEST(WildMatcher, bad_masks_raise_wildcard_errors) {
    try {
        TWildMatcher m(QStringLiteral("a"), u'*', u'*', false);
        ADD_FAILURE();
    } catch (const EWildCard& e) {
        EXPECT_EQ(e.Message(), "AnyChar = OneChar");
    }
    try {
        TWildMatcher m(QString(128, u'a'), u'*', u'?', false);
        ADD_FAILURE();
    } catch (const EWildCard& e) {
        EXPECT_EQ(e.Message(), "Mask Length too long");
    }
    EXPECT_NO_THROW(TWildMatcher(QString(127, u'a'), u'*', u'?', false));
}

TEST(CaretNotation, decodes_and_encodes_control_characters_and_the_caret) {
    struct Case {
        const char* caret;
        QString plain;
    };
    const Case cases[] = {
        {"^M^J^I", QStringLiteral("\r\n\t")},
        {"^^", QStringLiteral("^")},
        {"a^", QStringLiteral("a^")},          // at the end: itself
        {"^a", QStringLiteral("^a")},          // not "A".."_": itself
        {"^@", QStringLiteral("^@")},          // "@" (64) is below "A": itself
        {"^A", QString(QChar(1))},
        {"^_", QString(QChar(31))},
        {"x^^M", QStringLiteral("x^M")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caret);
        EXPECT_EQ(fulltext::CaretDecode(QString::fromUtf8(c.caret)), c.plain);
        EXPECT_EQ(fulltext::CaretDecode(fulltext::CaretEncode(c.plain)), c.plain);
    }
    EXPECT_EQ(fulltext::CaretEncode(QStringLiteral("^\r\t a")), "^^^M^I a");
}

TEST(BinaryAsText, encodes_three_bytes_as_four_characters_and_decodes_exactly) {
    EXPECT_EQ(fulltext::EncodeBinary(QByteArray("\0\0\0", 3)), "````");
    EXPECT_EQ(fulltext::EncodeBinary(QByteArray("\xFF\xFF\xFF", 3)), "____");
    // "Man" = 0x4D 0x61 0x6E: 6-bit values 19 22 5 46 → codes 51 54 37 78.
    EXPECT_EQ(fulltext::EncodeBinary(QByteArray("Man")), "36%N");
    for (qsizetype n : {0, 1, 2, 3, 4, 5, 24, 30}) EXPECT_EQ(fulltext::EncodeBinary(QByteArray(n, 'x')).size(), fulltext::EncodedLength(n));
    EXPECT_EQ(fulltext::EncodedLength(24), 32);
    std::mt19937 rng(3);
    for (int n = 0; n < 40; ++n) {
        QByteArray data(n, '\0');
        for (auto& b : data) b = char(rng());
        const QString text = fulltext::EncodeBinary(data);
        for (QChar c : text) ASSERT_TRUE(c.unicode() >= 33 && c.unicode() <= 96) << int(c.unicode());
        ASSERT_EQ(fulltext::DecodeBinary(text, n), data);
    }
}

TEST(TextHelpers, reverse_leading_part_and_bare_file_name) {
    EXPECT_EQ(fulltext::Reversed(u"abc"), "cba");
    EXPECT_EQ(fulltext::Reversed(QString::fromUtf8("a𐐨b")), QString::fromUtf8("b𐐨a"));
    EXPECT_EQ(fulltext::Reversed(u""), "");
    EXPECT_EQ(fulltext::LeadingPart(u"abc*def?g", u"*?"), "abc");
    EXPECT_EQ(fulltext::LeadingPart(u"plain", u"*?"), "plain");
    EXPECT_EQ(fulltext::BareFileName(QStringLiteral("/data/db/Hierarchy.DB")), "Hierarchy");
    EXPECT_EQ(fulltext::BareFileName(QStringLiteral("C:\\db\\View01.tar.gz")), "View01");
    EXPECT_EQ(fulltext::BareFileName(QStringLiteral("noext")), "noext");
}

TEST(TextHelpers, quicksort_orders_fixed_size_records_by_the_compare_routine) {
    struct Rec {
        int key;
        char tag[12];
    };
    std::mt19937 rng(5);
    for (std::size_t n : {0u, 1u, 2u, 3u, 17u, 1000u}) {
        std::vector<Rec> recs(n);
        for (auto& r : recs) {
            r.key = int(rng() % 50);
            std::snprintf(r.tag, sizeof r.tag, "%d", r.key);
        }
        fulltext::QuickSort(recs.data(), recs.size(), sizeof(Rec), [](const void* a, const void* b) {
            return static_cast<const Rec*>(a)->key - static_cast<const Rec*>(b)->key;
        });
        ASSERT_TRUE(std::is_sorted(recs.begin(), recs.end(), [](const Rec& a, const Rec& b) { return a.key < b.key; }));
        for (const auto& r : recs) ASSERT_EQ(std::atoi(r.tag), r.key);
    }
}

}  // namespace
