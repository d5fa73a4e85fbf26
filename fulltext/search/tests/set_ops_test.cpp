#include "fulltext/search/set_ops.h"

#include "fulltext/ts_bits.h"

#include <gtest/gtest.h>

#include <random>

TEST(SearchSetOps, and_or_and_counts_agree_with_the_bit_set_for_every_size) {
    std::mt19937 rng(5);
    for (int maxBits : {0, 6, 7, 8, 63, 64, 65, 1000, 99999}) {
        SCOPED_TRACE(maxBits);
        TwbBits a(maxBits), b(maxBits);
        for (int i = 0; i <= maxBits; ++i) {
            if (rng() % 3 == 0) a.SetBitOn(i);
            if (rng() % 2 == 0) b.SetBitOn(i);
        }
        EXPECT_EQ(fulltext::CountMembers(a), a.Count());
        TwbBits expected(maxBits);
        expected.CopyFrom(&a);
        expected.IntersectWith(&b);
        TwbBits got(maxBits);
        got.CopyFrom(&a);
        fulltext::Intersect(got, b);
        EXPECT_EQ(got.Count(), expected.Count());
        EXPECT_TRUE(std::equal(got.Bytes(), got.Bytes() + got.ByteCount(), expected.Bytes()));

        expected.CopyFrom(&a);
        expected.UnionWith(&b);
        got.CopyFrom(&a);
        fulltext::Unite(got, b);
        EXPECT_EQ(got.Count(), expected.Count());
        EXPECT_TRUE(std::equal(got.Bytes(), got.Bytes() + got.ByteCount(), expected.Bytes()));

        // Bits beyond MaxBits in the last byte are not members.
        got.SetAllBits();
        got.Bytes()[got.ByteCount() - 1] = 0xFF;
        EXPECT_EQ(fulltext::CountMembers(got), maxBits + 1);
    }
}
