#include "fulltext/ts_bits.h"

#include "fulltext/cx_pack.h"
#include "fulltext/ts_engine.h"
#include "fulltext/errors.h"
#include "fulltext/testsupport/memory_links.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <vector>

namespace {

using Members = std::vector<int>;
using fulltext::ReadInt32;

std::unique_ptr<TwbBits> makeSet(int maxBits, const Members& members) {
    auto b = std::make_unique<TwbBits>(maxBits);
    for (int m : members) b->SetBitOn(m);
    return b;
}

Members membersOf(const TCxBits& b) {
    Members out;
    for (int i = b.FirstSetBit(); i >= 0; i = b.NextSetBit(i)) out.push_back(i);
    return out;
}

/// The compressed block of a set.
std::vector<std::uint8_t> compress(const TwbBits& set) {
    std::vector<std::uint8_t> out(std::size_t(set.ByteCount()) + 24, 0xCD);
    const int size = TtsBits::CompressSet(set, out.data());
    EXPECT_EQ(ReadInt32(out.data() + 8), size);
    out.resize(std::size_t(size));
    return out;
}

/// The stored form: the block without its stamp.
std::vector<std::uint8_t> storedForm(const TwbBits& set) {
    const auto block = compress(set);
    return std::vector<std::uint8_t>(block.begin() + 4, block.end());
}

Members expand(const std::vector<std::uint8_t>& stored, int maxBits) {
    TwbBits target(maxBits);
    target.SetAllBits();  // expanding must replace whatever was there
    TtsBits::ExpandStored(stored.data(), int(stored.size()), target);
    EXPECT_EQ(target.Count(), int(membersOf(target).size()));
    return membersOf(target);
}

int methodOf(const std::vector<std::uint8_t>& block) { return ReadInt32(block.data() + 20); }

void expectTessick(int number, const std::function<void()>& f) {
    try {
        f();
        ADD_FAILURE() << "no ETessick " << number;
    } catch (const ETessick& e) {
        EXPECT_EQ(e.ErrorCode(), number) << e.what();
    }
}

/// The method the choosing rules prescribe, worked out from the sorted members.
int prescribedMethod(const Members& m, const TwbBits& set) {
    const qint64 n = qint64(m.size());
    const int byteCount = set.ByteCount();
    if (n <= 2) return 1;
    const int first = m.front(), last = m.back();
    const qint64 k = last / 8 - first / 8 + 1;
    if (n == 3) return byteCount < 4 ? 4 : 1;
    bool gapsFit = n <= 256;
    for (std::size_t i = 1; gapsFit && i < m.size(); ++i) gapsFit = m[i] - m[i - 1] <= 65535;
    int method = 4;
    qint64 size = k + 24;
    bool c2 = false, c3 = false;
    if (n <= 256) {
        if (qint64(last) - first - n > 65534) {
            c2 = true;
            if (4 * n + 16 < size) {
                method = 2;
                size = 4 * n + 16;
            }
        } else if (byteCount + 12 >= 2 * n + 22) {
            c3 = true;
            if (2 * n + 22 < size) {
                method = 3;
                size = 2 * n + 22;
            }
        }
    }
    const qint64 est5 = (qint64(last) - first) / 4 / 127 + 24 + (n < k ? n : (7 * k < n ? 8 * k - n : 0));
    if (est5 < size) method = 5;
    const bool m2becomes3 = (n - 1) * 6 < byteCount && gapsFit;
    if (method == 2) return m2becomes3 ? 3 : 2;
    if (method == 3) return gapsFit ? 3 : 4;
    if (method == 4) return 4;
    std::vector<std::uint8_t> packed(static_cast<std::size_t>(k));
    const int p = PackRuns(set.Bytes() + first / 8, int(k), packed.data());
    if (p < 0) return 4;
    if (c3 && gapsFit && 2 * n + 22 < 24 + p) return 3;
    if (c2 && 4 * n + 16 < 24 + p) return m2becomes3 ? 3 : 2;
    if (n < 256 && gapsFit && 2 * n - 2 < p && p + 2 * n - 2 <= byteCount) return 3;
    return 5;
}

TEST(RecordBitSets, documented_sets_compress_to_their_documented_forms) {
    struct Case {
        const char* name;
        int maxBits;
        Members members;
        int method;
        int size;  // 0: not checked
    };
    Members run;
    for (int i = 5000; i < 6000; ++i) run.push_back(i);
    const Case cases[] = {
        {"empty", 999, {}, 1, 24},
        {"one", 999, {17}, 1, 24},
        {"two", 999, {17, 900}, 1, 24},
        {"three", 999, {1, 2, 900}, 1, 28},
        {"three in a 24-record segment", 23, {9, 12, 20}, 4, 26},
        {"large gaps keep the members", 100000, {5, 9, 70000, 70001}, 2, 32},
        {"small gaps", 100000, {5, 9, 6000, 6001}, 3, 30},
        {"a dense run", 99999, run, 5, 0},
        {"everything of a small set", 63, [] {
             Members all;
             for (int i = 0; i < 64; ++i) all.push_back(i);
             return all;
         }(), 5, 26},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto set = makeSet(c.maxBits, c.members);
        const auto block = compress(*set);
        EXPECT_EQ(methodOf(block), c.method);
        if (c.size) {
            EXPECT_EQ(int(block.size()), c.size);
        }
        EXPECT_EQ(ReadInt32(block.data() + 4), -int(c.members.size()));
        EXPECT_EQ(expand(std::vector<std::uint8_t>(block.begin() + 4, block.end()), c.maxBits), c.members);
    }
    const auto emptyStored = storedForm(*makeSet(999, {}));
    EXPECT_EQ(emptyStored.size(), 20u);
    EXPECT_EQ(ReadInt32(emptyStored.data()), 0);
    const auto m2 = compress(*makeSet(100000, {5, 9, 70000, 70001}));
    EXPECT_EQ(ReadInt32(m2.data() + 24), 9);
    EXPECT_EQ(ReadInt32(m2.data() + 28), 70000);
    const auto m4 = compress(*makeSet(23, {9, 12, 20}));
    EXPECT_EQ(ReadInt32(m4.data() + 12), 9);
    EXPECT_EQ(m4[24], 0x12);  // byte 1: bits 9 and 12
    EXPECT_EQ(m4[25], 0x10);  // byte 2: bit 20
}

TEST(RecordBitSets, random_sets_round_trip_in_the_prescribed_form) {
    std::mt19937 rng(20261210);
    auto below = [&](int n) { return n <= 0 ? 0 : int(rng() % unsigned(n)); };
    const int sizes[] = {1, 8, 24, 31, 32, 96, 112, 1000, 4096, 70000, 300000};
    using Maker = std::function<Members(int)>;
    const std::vector<std::pair<const char*, Maker>> patterns = {
        {"empty", [](int) { return Members{}; }},
        {"full", [](int bits) { Members m(std::size_t(bits), 0); for (int i = 0; i < bits; ++i) m[std::size_t(i)] = i; return m; }},
        {"sparse", [&](int bits) {
             std::set<int> s;
             const int n = 1 + below(std::min(bits, 300));
             while (int(s.size()) < n) s.insert(below(bits));
             return Members(s.begin(), s.end());
         }},
        {"dense", [&](int bits) {
             Members m;
             for (int i = 0; i < bits; ++i) {
                 if (rng() % 10 != 0) m.push_back(i);
             }
             return m;
         }},
        {"runs", [&](int bits) {
             Members m;
             int at = below(50);
             while (at < bits) {
                 const int len = 1 + below(300);
                 for (int i = at; i < std::min(bits, at + len); ++i) m.push_back(i);
                 at += len + 1 + below(2000);
             }
             return m;
         }},
        {"edges", [&](int bits) {
             std::set<int> s{0, bits - 1};
             for (int seg = 16; seg < bits; seg *= 4) {
                 s.insert(seg - 1);
                 if (seg < bits) s.insert(seg);
             }
             return Members(s.begin(), s.end());
         }},
        {"few far apart", [&](int bits) {
             std::set<int> s;
             const int n = std::min(bits, 3 + below(4));
             while (int(s.size()) < n) s.insert(below(bits));
             return Members(s.begin(), s.end());
         }},
        {"about 256", [&](int bits) {
             std::set<int> s;
             const int n = std::min(bits, 254 + below(5));
             while (int(s.size()) < n) s.insert(below(bits));
             return Members(s.begin(), s.end());
         }},
    };
    std::map<int, int> methodsSeen;
    for (int round = 0; round < 6; ++round) {
        for (int bits : sizes) {
            for (const auto& [name, make] : patterns) {
                SCOPED_TRACE(testing::Message() << name << " in " << bits << " bits, round " << round);
                const Members members = make(bits);
                const auto setHolder = makeSet(bits - 1, members);
                const TwbBits& set = *setHolder;
                ASSERT_EQ(set.Count(), int(members.size()));
                const auto block = compress(set);
                ASSERT_LE(int(block.size()), set.ByteCount() + 24);
                ASSERT_EQ(methodOf(block), prescribedMethod(members, set));
                ++methodsSeen[methodOf(block)];
                const std::vector<std::uint8_t> stored(block.begin() + 4, block.end());
                ASSERT_EQ(expand(stored, bits - 1), members);
                if (!members.empty() && members.back() > 0)  // one bit too small for the last member
                    expectTessick(30470, [&] { expand(stored, members.back() - 1); });
            }
        }
    }
    for (int method = 1; method <= 5; ++method) EXPECT_GT(methodsSeen[method], 0) << "method " << method;
}

TEST(RecordBitSets, a_set_expanded_into_too_small_a_set_raises_30470) {
    Members m;
    for (int i = 0; i <= 100; i += 3) m.push_back(i);
    m.push_back(100);
    const auto stored = storedForm(*makeSet(200, {1, 50, 100}));
    expectTessick(30470, [&] { expand(stored, 99); });
    EXPECT_EQ(expand(stored, 100), (Members{1, 50, 100}));
}

TEST(RecordBitSets, damaged_stored_forms_raise_the_engine_error_and_never_read_past_the_buffer) {
    Members run;
    for (int i = 100; i < 400; ++i) run.push_back(i);
    const std::pair<const char*, std::unique_ptr<TwbBits>> sourceList[] = {
        {"method 1", makeSet(999, {1, 2, 900})},
        {"method 2", makeSet(100000, {5, 9, 70000, 70001})},
        {"method 3", makeSet(100000, {5, 9, 6000, 6001})},
        {"method 4", makeSet(23, {9, 12, 20})},
        {"method 5", makeSet(9999, run)},
    };
    auto set32 = [](std::vector<std::uint8_t> s, int offset, std::int32_t v) {
        fulltext::WriteInt32(s.data() + offset, v);
        return s;
    };
    for (const auto& [name, setHolder] : sourceList) {
        SCOPED_TRACE(name);
        const TwbBits& set = *setHolder;
        const auto good = storedForm(set);
        ASSERT_NO_THROW(expand(good, set.MaxBits()));
        struct Damage {
            const char* what;
            std::vector<std::uint8_t> bytes;
            int error;
        };
        std::vector<std::uint8_t> longer = good;
        longer.push_back(0);
        const Damage damages[] = {
            {"size field one larger", set32(good, 4, ReadInt32(good.data() + 4) + 1), 30465},
            {"size field one smaller", set32(good, 4, ReadInt32(good.data() + 4) - 1), 30465},
            {"one byte short", std::vector<std::uint8_t>(good.begin(), good.end() - 1), 30465},
            {"one byte more", longer, 30465},
            {"header cut", std::vector<std::uint8_t>(good.begin(), good.begin() + 12), 30465},
            {"raw count", set32(good, 0, 5), 30465},
            {"unknown method", set32(good, 16, 9), 30465},
            {"last before first", set32(good, 12, ReadInt32(good.data() + 8) - 1), 30465},
            {"more members than room", set32(good, 0, -100000), 30465},
            {"negative first", set32(good, 8, -8), 30465},
            {"last beyond the set", set32(good, 12, set.MaxBits() + 1), 30470},
        };
        for (const auto& d : damages) {
            SCOPED_TRACE(d.what);
            expectTessick(d.error, [&] { expand(d.bytes, set.MaxBits()); });
        }
        // Every single-byte change either expands to some valid set or fails cleanly.
        for (std::size_t at = 0; at < good.size(); ++at) {
            for (std::uint8_t x : {0x01, 0x80, 0xFF}) {
                auto bad = good;
                bad[at] ^= x;
                TwbBits target(set.MaxBits());
                try {
                    TtsBits::ExpandStored(bad.data(), int(bad.size()), target);
                    EXPECT_EQ(target.Count(), -ReadInt32(bad.data()));
                } catch (const ETessick& e) {
                    EXPECT_TRUE(e.ErrorCode() == 30465 || e.ErrorCode() == 30470) << e.ErrorCode();
                }
            }
        }
    }
    TwbBits target(10);
    expectTessick(30465, [&] { TtsBits::ExpandStored(nullptr, 0, target); });
}

/// An engine with a text link of records 1..range+1, a words link and a bit set.
class BitsComponent : public ::testing::Test {
protected:
    BitsComponent() {
        engine.SetTextLink(&text);
        engine.SetWordsLink(&words);
    }
    TtsBits& bits() { return *static_cast<TtsBits*>(engine.Bits()); }
    std::vector<std::uint8_t> rawBlock(const Members& members) {
        std::vector<std::uint8_t> raw(std::size_t(bits().RawSize()), 0);
        bits().ClearAll();
        for (int m : members) bits().Main().SetBitOn(m);
        bits().ToRaw(raw.data());
        return raw;
    }

    fulltext::testing::MemoryTextLink text{1, 1000};
    fulltext::testing::MemoryWordsLink words{20};
    fulltext::testing::CollectingEngine engine;
};

TEST_F(BitsComponent, states_size_the_set_by_segment_or_range_and_give_memory_back) {
    engine.SetSegmentSize(100);  // 112
    engine.SetState({TEngineState::esMake});
    EXPECT_EQ(bits().Size(), 112);
    EXPECT_EQ(bits().RawSize(), 14 + 12);
    EXPECT_EQ(bits().CompressedMax(), 14 + 24);
    EXPECT_EQ(engine.BufferSize(), 48);  // the work buffer takes the largest compressed block
    engine.SetState({});
    EXPECT_EQ(bits().Size(), 1);
    engine.SetState({TEngineState::esSearch});
    EXPECT_EQ(bits().Size(), 1000);
    engine.SetState({});
    engine.SetSegmentSize(0);
    engine.SetState({TEngineState::esUpdate});
    EXPECT_EQ(bits().Size(), 1000);
    bits().SetSize(0);  // ignored
    EXPECT_EQ(bits().Size(), 1000);
}

TEST_F(BitsComponent, update_bit_takes_the_source_in_any_form_into_the_raw_target) {
    bits().SetSize(200);
    auto target = rawBlock({});
    auto rawSource = rawBlock({3, 150});
    std::vector<std::uint8_t> compressed(std::size_t(bits().CompressedMax()));
    bits().ClearAll();
    for (int m : {7, 8, 199}) bits().Main().SetBitOn(m);
    bits().Compress(nullptr, compressed.data());
    struct Case {
        const char* name;
        std::uint8_t* source;
        bool on;
        int bit;
        Members expected;
    };
    const Case cases[] = {
        {"none", nullptr, true, 10, {10}},
        {"raw", rawSource.data(), true, 10, {3, 10, 150}},
        {"compressed", compressed.data(), true, 0, {0, 7, 8, 199}},
        {"compressed, switched off", compressed.data(), false, 8, {7, 199}},
        {"itself", target.data(), false, 199, {7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int count = bits().UpdateBit(c.source, target.data(), c.on, c.bit);
        EXPECT_EQ(count, int(c.expected.size()));
        EXPECT_EQ(ReadInt32(target.data() + 4), count);
        EXPECT_FALSE(bits().Main().IsBorrowed());
        TwbBits check(199);
        std::memcpy(check.Bytes(), target.data() + 12, std::size_t(check.ByteCount()));
        check.Recount();
        EXPECT_EQ(membersOf(check), c.expected);
    }
    expectTessick(30480, [&] { bits().UpdateBit(nullptr, target.data(), true, 200); });
    expectTessick(30480, [&] { bits().UpdateBit(nullptr, target.data(), true, -1); });
    std::vector<std::uint8_t> small(30, 0);
    fulltext::WriteInt32(small.data() + 8, 30);
    expectTessick(30477, [&] { bits().UpdateBit(nullptr, small.data(), true, 1); });
}

TEST_F(BitsComponent, a_compressed_block_of_the_raw_size_is_expanded_in_place) {
    bits().SetSize(8 * 96);  // 96 bytes: raw size 108
    Members m;
    for (int i = 0; i < 82; ++i) m.push_back(8 * i);
    m.push_back(8 * 83);  // 83 members over 84 bytes: method 4, 24 + 84 = 108 bytes
    auto block = rawBlock(m);
    std::vector<std::uint8_t> compressed(std::size_t(bits().CompressedMax()));
    bits().Compress(block.data(), compressed.data());
    ASSERT_EQ(methodOf(compressed), 4);
    ASSERT_EQ(fulltext::BlockSize(compressed.data()), bits().RawSize());
    compressed.resize(std::size_t(bits().RawSize()));
    const int count = bits().UpdateBit(compressed.data(), compressed.data(), true, 1);
    EXPECT_EQ(count, int(m.size()) + 1);
    EXPECT_FALSE(fulltext::IsCompressedBlock(compressed.data()));
}

TEST_F(BitsComponent, compress_copies_the_stamp_and_a_raw_block_of_another_size_is_copied) {
    bits().SetSize(100);
    auto raw = rawBlock({1, 2, 3, 50});
    fulltext::SetBlockStamp(raw.data(), -77);
    std::vector<std::uint8_t> out(std::size_t(bits().CompressedMax()));
    const int size = bits().Compress(raw.data(), out.data());
    EXPECT_EQ(fulltext::BlockStamp(out.data()), -77);
    EXPECT_EQ(fulltext::BlockSize(out.data()), size);
    EXPECT_FALSE(bits().Main().IsBorrowed());
    // A raw block from a smaller set: its members are taken, the rest is clear.
    bits().SetSize(1000);
    bits().Main().SetAllBits();
    const int size2 = bits().Compress(raw.data(), out.data());
    std::vector<std::uint8_t> stored(out.begin() + 4, out.begin() + size2);
    EXPECT_EQ(expand(stored, 999), (Members{1, 2, 3, 50}));
}

TEST_F(BitsComponent, segments_expand_into_the_main_set_at_their_offset) {
    bits().SetSize(1000);
    bits().ClearAll();
    const auto seg0 = storedForm(*makeSet(111, {0, 5, 111}));
    const auto seg3 = storedForm(*makeSet(111, {0, 100}));
    bits().ExpandInto(seg0.data(), int(seg0.size()), 0, 112);
    bits().ExpandInto(seg3.data(), int(seg3.size()), 3, 112);
    EXPECT_EQ(membersOf(bits().Main()), (Members{0, 5, 111, 336, 436}));
    EXPECT_EQ(bits().Count(), 5);
    expectTessick(30480, [&] { bits().ExpandInto(seg3.data(), int(seg3.size()), 9, 112); });
    const auto lastSegment = storedForm(*makeSet(111, {110}));  // 896 + 110 > 999
    expectTessick(30470, [&] { bits().ExpandInto(lastSegment.data(), int(lastSegment.size()), 8, 112); });
    const auto tooWide = storedForm(*makeSet(200, {150}));  // a member beyond one segment
    expectTessick(30470, [&] { bits().ExpandInto(tooWide.data(), int(tooWide.size()), 0, 112); });
    bits().ExpandInto(seg0.data(), int(seg0.size()), 0, 0);  // unsegmented: straight in
    EXPECT_EQ(membersOf(bits().Main()), (Members{0, 5, 111}));
}

TEST_F(BitsComponent, a_word_set_is_read_back_from_all_its_segment_rows) {
    fulltext::testing::MemoryWordsLink segmented(20, true);
    engine.SetWordsLink(&segmented);
    engine.SetSegmentSize(16);
    for (int seg : {0, 2}) {
        const auto stored = storedForm(*makeSet(15, seg == 0 ? Members{1, 15} : Members{4}));
        segmented.Append();
        segmented.SetWord(u"ALPHA");
        segmented.SetSegment(seg);
        segmented.WriteSet(stored.data(), int(stored.size()));
        segmented.Post();
    }
    segmented.Append();
    segmented.SetWord(u"BETA");
    segmented.SetSegment(0);
    const auto beta = storedForm(*makeSet(15, {3}));
    segmented.WriteSet(beta.data(), int(beta.size()));
    segmented.Post();
    text.SetRange(1, 48);
    engine.SetState({TEngineState::esSearch});
    ASSERT_TRUE(segmented.Locate(u"ALPHA", -1));
    engine.ReadWordSet();
    EXPECT_EQ(membersOf(bits().Main()), (Members{1, 15, 36}));
    EXPECT_EQ(segmented.CurrentWord(), "BETA");
    engine.SetState({});
    engine.SetWordsLink(&words);
}

}  // namespace
