#include "fulltext/cx_bits.h"

#include "fulltext/cx_strings.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>
#include <set>

namespace {

TEST(CxBits, a_set_of_max_bits_zero_holds_one_bit_in_one_byte) {
    TCxBits b(0);
    EXPECT_EQ(b.ByteCount(), 1);
    EXPECT_EQ(b.Count(), 0);
    b.SetAllBits();
    EXPECT_EQ(b.Count(), 1);
    EXPECT_EQ(b.Bytes()[0], 0x01);  // the unused high bits are cleared
    b.Invert();
    EXPECT_EQ(b.Count(), 0);
    b.Invert();
    EXPECT_EQ(b.Count(), 1);
}

TEST(CxBits, counting_stays_exact_through_every_operation) {
    TCxBits b(99);  // 100 bits in 13 bytes
    EXPECT_EQ(b.ByteCount(), 13);
    b.Invert();
    EXPECT_EQ(b.Count(), 100);
    b.ClearAllBits();
    b.SetBitOn(5);
    b.SetBitOn(5);
    b.SetBitOn(99);
    EXPECT_EQ(b.Count(), 2);
    b.SetBitOff(6);
    b.SetBitOff(5);
    b.SetBitOff(5);
    EXPECT_EQ(b.Count(), 1);
    TCxBits other(99);
    other.SetBitOn(1);
    other.SetBitOn(99);
    b.UnionWith(&other);
    EXPECT_EQ(b.Count(), 2);
    b.SetBitOn(50);
    b.IntersectWith(&other);
    EXPECT_EQ(b.Count(), 2);
    b.Invert();
    EXPECT_EQ(b.Count(), 98);
    TCxBits copy(99);
    copy.CopyFrom(&b);
    EXPECT_EQ(copy.Count(), 98);
    EXPECT_FALSE(copy.IsBitSet(99));
    EXPECT_TRUE(copy.IsBitSet(98));
}

TEST(CxBits, both_bit_counts_agree_with_a_byte_table_at_every_length_and_offset) {
    // The count in use (POPCNT where the processor has it) and the portable one, over the
    // whole words and the tail bytes of every length, from unaligned starts.
    std::mt19937 rng(3);
    std::vector<std::uint8_t> bytes(200);
    for (auto& b : bytes) b = std::uint8_t(rng());
    bytes[5] = 0xFF;
    bytes[17] = 0;
    for (std::size_t offset = 0; offset < 9; ++offset) {
        for (std::size_t length = 0; offset + length <= bytes.size(); ++length) {
            int expected = 0;
            for (std::size_t i = offset; i < offset + length; ++i) expected += TCxBits::BitsInByte(bytes[i]);
            ASSERT_EQ(TCxBits::CountBits(bytes.data() + offset, length), expected) << offset << " " << length;
            ASSERT_EQ(TCxBits::CountBitsPortable(bytes.data() + offset, length), expected) << offset << " " << length;
        }
    }
}

TEST(CxBits, set_operations_refuse_missing_or_differently_sized_sets) {
    TCxBits a(10), b(11);
    auto expect52 = [](const std::function<void()>& f) {
        try {
            f();
            ADD_FAILURE();
        } catch (const ECxContainerError& e) {
            EXPECT_EQ(e.ErrorCode(), 52);
        }
    };
    expect52([&] { a.IntersectWith(&b); });
    expect52([&] { a.UnionWith(nullptr); });
    expect52([&] { a.CopyFrom(&b); });
    for (int bad : {-1, -100}) {
        try {
            TCxBits c(bad);
            ADD_FAILURE();
        } catch (const ECxContainerError& e) {
            EXPECT_EQ(e.ErrorCode(), 53);
        }
        try {
            a.Resize(bad);
            ADD_FAILURE();
        } catch (const ECxContainerError& e) {
            EXPECT_EQ(e.ErrorCode(), 53);
        }
    }
}

TEST(CxBits, resizing_keeps_bits_and_zero_fills_new_bytes) {
    TCxBits b(9);
    b.SetBitOn(3);
    b.SetBitOn(9);
    b.Resize(100);
    EXPECT_EQ(b.Count(), 2);
    EXPECT_TRUE(b.IsBitSet(9));
    EXPECT_EQ(b.NextSetBit(9), -1);
    b.Resize(5);  // shrinking drops bit 9
    EXPECT_EQ(b.Count(), 1);
    b.Resize(20);
    EXPECT_FALSE(b.IsBitSet(9));  // dropped bits do not come back
}

TEST(CxBits, scans_agree_with_a_plain_set_at_every_start) {
    std::mt19937 rng(7);
    for (int maxBits : {0, 7, 8, 63, 64, 200}) {
        for (double density : {0.0, 0.05, 0.5, 0.97, 1.0}) {
            SCOPED_TRACE(testing::Message() << "maxBits " << maxBits << " density " << density);
            TCxBits b(maxBits);
            std::set<int> on;
            std::bernoulli_distribution coin(density);
            for (int i = 0; i <= maxBits; ++i)
                if (coin(rng)) {
                    b.SetBitOn(i);
                    on.insert(i);
                }
            auto nextWith = [&](int from, bool value) {
                for (int i = std::max(from, 0); i <= maxBits; ++i)
                    if (on.count(i) == (value ? 1u : 0u)) return i;
                return -1;
            };
            auto prevSet = [&](int from) {
                for (int i = std::min(from, maxBits); i >= 0; --i)
                    if (on.count(i)) return i;
                return -1;
            };
            EXPECT_EQ(b.FirstSetBit(), nextWith(0, true));
            EXPECT_EQ(b.FirstClearBit(), nextWith(0, false));
            EXPECT_EQ(b.LastSetBit(), prevSet(maxBits));
            for (int n = -2; n <= maxBits + 2; ++n) {
                ASSERT_EQ(b.NextSetBit(n), nextWith(n + 1, true)) << n;
                ASSERT_EQ(b.NextClearBit(n), nextWith(n + 1, false)) << n;
                ASSERT_EQ(b.PrevSetBit(n), prevSet(n - 1)) << n;
            }
        }
    }
}

TEST(CxBits, a_visitor_can_reject_candidates) {
    TCxBits b(40);
    for (int i : {3, 10, 17, 24}) b.SetBitOn(i);
    EXPECT_EQ(b.Scan(0, true, true, [](int n) { return n % 2 == 0; }), 10);
    EXPECT_EQ(b.Scan(40, true, false, [](int n) { return n < 20; }), 17);
    EXPECT_EQ(b.Scan(0, true, true, [](int) { return false; }), -1);
}

}  // namespace
