#include "fulltext/cx_pack.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes repeat(std::uint8_t b, int n) { return Bytes(std::size_t(n), b); }
Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(RunLengthPacker, packs_runs_and_literals_into_the_documented_blocks) {
    struct Case {
        const char* name;
        Bytes source;
        int packedLength;  // -1 when packing gives up
        Bytes packed;
    };
    Bytes literals128;
    for (int i = 0; i < 128; ++i) literals128.push_back(std::uint8_t(i));
    const Case cases[] = {
        {"one byte", {7}, -1, {}},
        {"empty", {}, -1, {}},
        {"128 equal bytes", repeat(0xAB, 128), 4, {0xFF, 0xAB, 0x01, 0xAB}},
        {"run of 2 amid zeros", join({repeat(0, 10), {1, 1}, repeat(0, 10)}), 6, {0x8A, 0, 0x82, 1, 0x8A, 0}},
        {"literal then run", join({{1, 2, 3}, repeat(9, 20)}), 6, {0x03, 1, 2, 3, 0x94, 9}},
        {"no gain", {1, 2, 3, 4, 5, 6}, -1, {}},
        {"all distinct", literals128, -1, {}},
        {"254 equal bytes", repeat(5, 254), 4, {0xFF, 5, 0xFF, 5}},
        {"two bytes equal", {4, 4}, -1, {}},  // 2 packed bytes would not stay below length - 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out(c.source.size() + 1, 0xEE);
        const int n = PackRuns(c.source.data(), int(c.source.size()), out.data());
        ASSERT_EQ(n, c.packedLength);
        EXPECT_EQ(out[c.source.size()], 0xEE);  // nothing written past the destination's room
        if (n < 0) continue;
        EXPECT_EQ(Bytes(out.begin(), out.begin() + n), c.packed);
        Bytes back(c.source.size());
        EXPECT_EQ(UnpackRuns(out.data(), n, back.data(), int(back.size())), int(c.source.size()));
        EXPECT_EQ(back, c.source);
    }
}

TEST(RunLengthPacker, a_long_literal_block_splits_at_127_bytes) {
    Bytes source;
    for (int i = 0; i < 130; ++i) source.push_back(std::uint8_t(i));
    source.insert(source.end(), 100, 0);
    Bytes out(source.size());
    const int n = PackRuns(source.data(), int(source.size()), out.data());
    ASSERT_EQ(n, 1 + 127 + 1 + 3 + 2);
    EXPECT_EQ(out[0], 127);
    EXPECT_EQ(out[128], 3);
    EXPECT_EQ(out[132], 0x80 | 100);
}

TEST(RunLengthPacker, unpacking_refuses_too_little_room_and_truncated_input) {
    const Bytes packed{0x85, 7, 0x02, 1, 2};  // 5 × 7, then 1 2: 7 bytes
    Bytes out(8, 0xEE);
    EXPECT_EQ(UnpackRuns(packed.data(), 5, out.data(), 7), 7);
    EXPECT_EQ(UnpackRuns(packed.data(), 5, out.data(), 6), -1);  // one byte too small
    EXPECT_EQ(UnpackRuns(packed.data(), 0, out.data(), 8), -1);
    EXPECT_EQ(UnpackRuns(packed.data(), -3, out.data(), 8), -1);
    EXPECT_EQ(UnpackRuns(packed.data(), 4, out.data(), 8), -1);  // literal block cut short
    EXPECT_EQ(UnpackRuns(packed.data(), 1, out.data(), 8), -1);  // run without its byte
}

TEST(RunLengthPacker, random_data_round_trips_whenever_it_packs) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        const int length = int(rng() % 600);
        Bytes source;
        while (int(source.size()) < length) {
            const int run = rng() % 3 == 0 ? int(rng() % 300) : 1;
            source.insert(source.end(), std::size_t(std::min(run, length - int(source.size()))), std::uint8_t(rng() % 4));
        }
        Bytes out(source.size() + 1);
        const int n = PackRuns(source.data(), length, out.data());
        if (n < 0) continue;
        ASSERT_LT(n, length - 1);
        Bytes back(source.size());
        ASSERT_EQ(UnpackRuns(out.data(), n, back.data(), length), length);
        ASSERT_EQ(back, source);
    }
}

}  // namespace
