#include "fulltext/cx_dictionary.h"

#include "fulltext/cx_strings.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

/// Names of one slot's chain, head first.
QStringList chainOf(const TCxDictionary& d, std::uint32_t slot) {
    QStringList names;
    std::uint32_t index = 0;
    d.ForEach([&](const TCxDictNode& n) {
        if (d.HashProc(n.Name, std::uint32_t(d.HashSize())) == slot) names << n.Name;
        ++index;
        return true;
    });
    return names;
}

TEST(CxDictionary, names_are_unique_regardless_of_letter_case) {
    TCxDictionary d(16);
    d.AddEntry(QStringLiteral("Alpha"), 1);
    d.AddEntry(QString::fromUtf8("Été"), 2);
    for (const char* dup : {"alpha", "ALPHA", "été", "ÉTÉ"}) {
        SCOPED_TRACE(dup);
        try {
            d.AddEntry(QString::fromUtf8(dup), 9);
            ADD_FAILURE() << "duplicate accepted";
        } catch (const ECxContainerError& e) {
            EXPECT_EQ(e.ErrorCode(), 54);
            EXPECT_EQ(e.Message(), "Attempt to add duplicate node to TCxTree");
        }
    }
    EXPECT_EQ(d.Count(), 2);
    fulltext::CxData data = 0;
    EXPECT_TRUE(d.FindEntry(u"aLpHa", data));
    EXPECT_EQ(data, 1);
    EXPECT_FALSE(d.FindEntry(u"beta", data));
}

TEST(CxDictionary, the_hash_rotates_each_upper_cased_unit_by_its_position) {
    // "ab" upper-cased is 'A' (65) and 'B' (66): 65 xor (66 rotl 1) = 65 xor 132 = 197.
    EXPECT_EQ(TCxDictionary::DictionaryHash(u"ab", 1000), 197u);
    EXPECT_EQ(TCxDictionary::DictionaryHash(u"AB", 7), 197u % 7);
    EXPECT_EQ(TCxDictionary::DictionaryHash(u"", 13), 0u);
    // Position 33 rotates by 1 again (i mod 32).
    const QString longName = QString(33, u'a') + u'b';
    std::uint32_t h = 0;
    for (int i = 0; i < 33; ++i) h ^= std::rotl(65u, i % 32);
    h ^= std::rotl(66u, 33 % 32);
    EXPECT_EQ(TCxDictionary::DictionaryHash(longName, 0xFFFFFFFFu), h % 0xFFFFFFFFu);
}

TEST(CxDictionary, a_name_found_inside_its_chain_moves_to_the_head) {
    TCxDictionary d(1);  // one slot: a single chain
    for (const char* n : {"one", "two", "three"}) d.AddEntry(QString::fromLatin1(n), 0);
    EXPECT_EQ(chainOf(d, 0), (QStringList{"three", "two", "one"}));
    fulltext::CxData data;
    ASSERT_TRUE(d.FindEntry(u"two", data));
    EXPECT_EQ(chainOf(d, 0), (QStringList{"two", "three", "one"}));
    ASSERT_TRUE(d.FindEntry(u"one", data));
    EXPECT_EQ(chainOf(d, 0), (QStringList{"one", "two", "three"}));
}

TEST(CxDictionary, removing_disposes_the_data_and_clearing_disposes_everything) {
    std::vector<fulltext::CxData> disposed;
    TCxDictionary d(4);
    d.OnDisposeData = [&](fulltext::CxData v) { disposed.push_back(v); };
    d.AddEntry(QStringLiteral("a"), 1);
    d.AddEntry(QStringLiteral("b"), 2);
    d.AddEntry(QStringLiteral("c"), 3);
    d.RemoveEntry(u"B");
    d.RemoveEntry(u"missing");
    EXPECT_EQ(disposed, std::vector<fulltext::CxData>{2});
    EXPECT_EQ(d.Count(), 2);
    d.SetEntryData(u"a", 10);  // replacing does not dispose
    d.SetEntryData(u"zzz", 11);
    EXPECT_EQ(disposed.size(), 1u);
    d.Clear();
    std::sort(disposed.begin(), disposed.end());
    EXPECT_EQ(disposed, (std::vector<fulltext::CxData>{2, 3, 10}));
    EXPECT_EQ(d.Count(), 0);
    EXPECT_EQ(d.ForEach([](const TCxDictNode&) { return false; }), nullptr);
}

TEST(CxDictionary, resize_keeps_every_entry_without_disposing_and_rejects_bad_sizes) {
    int disposals = 0;
    TCxDictionary d(3);
    d.OnDisposeData = [&](fulltext::CxData) { ++disposals; };
    for (int i = 0; i < 200; ++i) d.AddEntry(QStringLiteral("w%1").arg(i), i);
    d.Resize(101);
    EXPECT_EQ(d.HashSize(), 101);
    EXPECT_EQ(d.Count(), 200);
    EXPECT_EQ(disposals, 0);
    for (int i = 0; i < 200; ++i) {
        fulltext::CxData v = -1;
        ASSERT_TRUE(d.FindEntry(QStringLiteral("W%1").arg(i), v));
        EXPECT_EQ(v, i);
    }
    for (int bad : {0, -4}) {
        SCOPED_TRACE(bad);
        try {
            d.Resize(bad);
            ADD_FAILURE();
        } catch (const ECxContainerError& e) {
            EXPECT_EQ(e.ErrorCode(), 53);
        }
    }
}

TEST(CxDictionary, for_each_stops_at_the_first_refusal_and_name_of_data_finds_the_owner) {
    TCxDictionary d(8);
    d.AddEntry(QStringLiteral("red"), 100);
    d.AddEntry(QStringLiteral("green"), 200);
    QString name;
    EXPECT_TRUE(d.NameOfData(200, name));
    EXPECT_EQ(name, "green");
    EXPECT_FALSE(d.NameOfData(300, name));
    int visited = 0;
    const TCxDictNode* stop = d.ForEach([&](const TCxDictNode& n) {
        ++visited;
        return n.Data != 100;
    });
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(stop->Name, "red");
}

TEST(CxDictionary, assign_copies_another_dictionary_or_a_string_list) {
    TCxDictionary source(5);
    source.AddEntry(QStringLiteral("x"), 1);
    source.AddEntry(QStringLiteral("y"), 2);
    TCxDictionary d(2);
    d.AddEntry(QStringLiteral("old"), 9);
    d.Assign(source);
    EXPECT_EQ(d.Count(), 2);
    fulltext::CxData v;
    EXPECT_FALSE(d.FindEntry(u"old", v));
    EXPECT_TRUE(d.FindEntry(u"y", v));
    EXPECT_EQ(v, 2);
    d.Assign(QStringList{"p", "q", "r"}, {7, 8});
    EXPECT_EQ(d.Count(), 3);
    EXPECT_TRUE(d.FindEntry(u"q", v));
    EXPECT_EQ(v, 8);
    EXPECT_TRUE(d.FindEntry(u"r", v));
    EXPECT_EQ(v, 0);
}

TEST(CxContainer, compare_uses_the_event_then_the_routine_which_is_preset_to_fail) {
    TCxDictionary d(1);
    try {
        d.DoCompare(1, 2);
        ADD_FAILURE();
    } catch (const ECxContainerError& e) {
        EXPECT_EQ(e.ErrorCode(), 51);
    }
    d.CompareProc = [](fulltext::CxData a, fulltext::CxData b) { return int(a - b); };
    EXPECT_LT(d.DoCompare(1, 2), 0);
    d.OnCompare = [](fulltext::CxData, fulltext::CxData) { return 42; };
    EXPECT_EQ(d.DoCompare(1, 2), 42);
    d.OnCompare = nullptr;
    d.CompareProc = nullptr;
    EXPECT_EQ(d.DoCompare(1, 2), 0);
}

}  // namespace
