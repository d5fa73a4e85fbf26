#include "fulltext/cx_pack.h"

#include <gtest/gtest.h>

#include <algorithm>
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

/// The packing rules applied one byte at a time: the form the stored word sets were first
/// written in, which the word-at-a-time packer must reproduce byte for byte.
int packOneByteAtATime(const Bytes& source, Bytes& out) {
    const int length = int(source.size());
    if (length <= 1) return -1;
    const int limit = length - 1;
    int pos = 0;
    int literalAt = -1;
    for (int i = 0; i < length;) {
        int run = 1;
        while (i + run < length && run < 127 && source[std::size_t(i + run)] == source[std::size_t(i)]) ++run;
        if (run >= 2) {
            if (pos + 2 >= limit) return -1;
            out[std::size_t(pos++)] = std::uint8_t(0x80 | run);
            out[std::size_t(pos++)] = source[std::size_t(i)];
            literalAt = -1;
            i += run;
            continue;
        }
        if (literalAt < 0 || out[std::size_t(literalAt)] == 127) {
            if (pos + 1 >= limit) return -1;
            literalAt = pos;
            out[std::size_t(pos++)] = 0;
        }
        if (pos + 1 >= limit) return -1;
        out[std::size_t(pos++)] = source[std::size_t(i++)];
        ++out[std::size_t(literalAt)];
    }
    return pos;
}

TEST(RunLengthPacker, packs_exactly_as_the_byte_at_a_time_rules_including_giving_up) {
    // Sparse, dense and mixed byte ranges of bit sets, short and long, so that runs, literal
    // blocks, their 127-byte splits and the give-up limit all occur at every alignment.
    std::mt19937 rng(23);
    int packed = 0;
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        const int length = int(rng() % (round % 10 == 0 ? 3000 : 200));
        const int density = int(rng() % 6);
        Bytes source(static_cast<std::size_t>(length));
        for (auto& b : source) {
            switch (density) {
            case 0: b = rng() % 40 == 0 ? std::uint8_t(1u << (rng() % 8)) : 0; break;
            case 1: b = rng() % 3 == 0 ? std::uint8_t(rng()) : 0; break;
            case 2: b = std::uint8_t(rng()); break;
            case 3: b = rng() % 4 == 0 ? 0xFF : std::uint8_t(rng() % 3); break;
            case 4: b = std::uint8_t(rng() % 2); break;
            default: b = rng() % 200 == 0 ? std::uint8_t(rng()) : 0xFF; break;
            }
        }
        Bytes expected(source.size() + 8, 0xEE);
        Bytes got(source.size() + 8, 0xEE);
        const int n = packOneByteAtATime(source, expected);
        ASSERT_EQ(PackRuns(source.data(), length, got.data()), n) << "round " << round;
        if (n < 0) {
            ++refused;
            continue;
        }
        ++packed;
        ASSERT_TRUE(std::equal(expected.begin(), expected.begin() + n, got.begin())) << "round " << round;
    }
    EXPECT_GT(packed, 100);
    EXPECT_GT(refused, 100);
}

}  // namespace
