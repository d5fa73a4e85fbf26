#include "fulltext/search/stored_set_or.h"

#include "fulltext/ts_bits.h"
#include "fulltext/errors.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> storedForm(const TwbBits& set) {
    std::vector<std::uint8_t> block(std::size_t(set.ByteCount() + 24));
    const int size = TtsBits::CompressSet(set, block.data());
    return {block.begin() + 4, block.begin() + size};
}

}  // namespace

TEST(StoredSetOr, merging_stored_sets_of_every_method_equals_expanding_and_uniting_them) {
    std::mt19937 rng(11);
    const int maxBits = 70000 + 8 * 40;
    struct Shape {
        const char* name;
        int members;
        int spread;  ///< members drawn from [start, start + spread)
    };
    static const Shape shapes[] = {{"one", 1, 1},         {"two", 2, 60000},      {"three", 3, 20},
                                   {"far list", 5, 70000}, {"gaps", 40, 5000},     {"dense run", 1000, 1000},
                                   {"bytes", 300, 900},   {"sparse large", 600, 70000}};
    TwbBits merged(maxBits);
    TwbBits expected(maxBits);
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        TwbBits one(maxBits);
        const int start = int(rng() % 200);
        for (int i = 0; i < shape.members; ++i) one.SetBitOn(start + int(rng() % unsigned(shape.spread)));
        const std::vector<std::uint8_t> stored = storedForm(one);
        fulltext::OrStoredSet(stored.data(), int(stored.size()), merged);
        expected.UnionWith(&one);
        merged.Recount();
        ASSERT_EQ(merged.Count(), expected.Count());
        for (int b = expected.FirstSetBit(); b >= 0; b = expected.NextSetBit(b)) ASSERT_TRUE(merged.IsBitSet(b)) << b;
    }
}

TEST(StoredSetOr, damaged_or_oversized_forms_raise_engine_errors) {
    TwbBits set(1000);
    for (int b : {5, 9, 700, 701}) set.SetBitOn(b);
    std::vector<std::uint8_t> stored = storedForm(set);
    TwbBits small(600);
    try {
        fulltext::OrStoredSet(stored.data(), int(stored.size()), small);
        FAIL();
    } catch (const ETessick& e) {
        EXPECT_EQ(e.ErrorCode(), 30470);
    }
    TwbBits target(1000);
    std::vector<std::uint8_t> cut(stored.begin(), stored.end() - 2);
    EXPECT_THROW(fulltext::OrStoredSet(cut.data(), int(cut.size()), target), ETessick);
    std::vector<std::uint8_t> badMethod = stored;
    badMethod[16] = 9;
    EXPECT_THROW(fulltext::OrStoredSet(badMethod.data(), int(badMethod.size()), target), ETessick);
    EXPECT_THROW(fulltext::OrStoredSet(nullptr, 0, target), ETessick);
}
