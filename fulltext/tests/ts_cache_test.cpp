#include "fulltext/ts_cache.h"

#include "fulltext/cx_strings.h"
#include "fulltext/ts_engine.h"
#include "fulltext/errors.h"
#include "fulltext/testsupport/memory_links.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

namespace {

using fulltext::Block;
using fulltext::testing::MemoryTextLink;
using fulltext::testing::MemoryWordsLink;

/// An engine that indexes words into the cache the way the index writers do: each word of
/// the current record switches on the record's bit in the word's set; a word the cache no
/// longer holds is read back from the word table first.
class IndexingEngine : public TtsReadEngine {
public:
    void SetRecord(int n) override {
        TtsReadEngine::SetRecord(n);
        m_recordStamp = Cache()->AccessCounter();
    }
    void ProcessWord(QStringView word) override {
        Block old = nullptr;
        Block block = nullptr;
        const bool found = Cache()->Lookup(word, old, true, m_recordStamp, block);
        if (!block) return;
        std::vector<std::uint8_t> fromTable;
        if (!found && WordsLink()->Locate(word, CurrentSegment())) {
            fromTable.resize(std::size_t(Bits()->CompressedMax()));
            const int length = WordsLink()->ReadSet(fromTable.data() + 4, int(fromTable.size()) - 4);
            fromTable.resize(std::size_t(length) + 4);
            old = fromTable.data();
            ++rowsReadBack;
        }
        Bits()->UpdateBit(old ? old : block, block, true, BitOffset());
        if (old && fromTable.empty()) Cache()->FreeBlock(old);
        fulltext::MarkDirty(block);
        Cache()->CheckMemory(this);
    }
    int rowsReadBack = 0;

private:
    int m_recordStamp = 0;
};

class WordCache : public ::testing::Test {
protected:
    WordCache() {
        engine.SetTextLink(&text);
        engine.SetWordsLink(&words);
        engine.SetCache(&cache);
    }
    /// Members of a block of either form.
    std::vector<int> membersOf(const std::uint8_t* block) {
        TwbBits set(engine.Bits()->Size() - 1);
        if (fulltext::IsCompressedBlock(block)) {
            TtsBits::ExpandStored(block + 4, fulltext::BlockSize(block) - 4, set);
        } else {
            std::memcpy(set.Bytes(), block + 12, std::size_t(set.ByteCount()));
            set.Recount();
        }
        std::vector<int> out;
        for (int i = set.FirstSetBit(); i >= 0; i = set.NextSetBit(i)) out.push_back(i);
        return out;
    }
    std::vector<int> storedMembers(const QString& word) {
        const MemoryWordsLink::Row* row = words.Find(word);
        if (!row) return {};
        TwbBits set(engine.Bits()->Size() - 1);
        TtsBits::ExpandStored(reinterpret_cast<const std::uint8_t*>(row->set.constData()), int(row->set.size()), set);
        EXPECT_EQ(row->count, set.Count());
        std::vector<int> out;
        for (int i = set.FirstSetBit(); i >= 0; i = set.NextSetBit(i)) out.push_back(i);
        return out;
    }

    MemoryTextLink text{1, 1000};
    MemoryWordsLink words{20};
    TtsCache cache;
    IndexingEngine engine;
};

TEST_F(WordCache, memory_limit_is_kilobytes_up_to_fffff_and_bytes_above) {
    EXPECT_EQ(cache.MemoryLimit(), 1000);
    EXPECT_EQ(cache.MemoryLimitBytes(), 1024000);
    struct Case {
        int set;
        qint64 bytes;
        int reads;
    };
    static const Case cases[] = {
        {8000, 8192000, 8000}, {2000000, 2000000, 1953}, {0xFFFFF, qint64(0xFFFFF) * 1024, 0xFFFFF},
        {0x100000, 0x100000, 1024}, {0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        cache.SetMemoryLimit(c.set);
        EXPECT_EQ(cache.MemoryLimitBytes(), c.bytes);
        EXPECT_EQ(cache.MemoryLimit(), c.reads);
    }
    EXPECT_TRUE(cache.AltMemMgr());
    EXPECT_DOUBLE_EQ(cache.Version(), 2.07);
}

TEST_F(WordCache, the_dictionary_is_case_sensitive_and_grows_by_doubling_up_to_its_maximum) {
    TwbDictionary d(10);
    d.AddWord(QStringLiteral("Alpha"), 1);
    d.AddWord(QStringLiteral("alpha"), 2);  // another word
    EXPECT_EQ(d.Count(), 2);
    EXPECT_THROW(d.AddWord(QStringLiteral("Alpha"), 3), ECxContainerError);
    // ELF hash of "AB": h = 65, then 65 * 16 + 66 = 1106.
    EXPECT_EQ(TwbDictionary::ElfHash(u"AB", 100000), 1106u);
    EXPECT_EQ(TwbDictionary::ElfHash(u"", 7), 0u);
    const QString longWord = QStringLiteral("ABCDEFGHIJKLMNOP");  // the top bits fold back in
    std::uint32_t h = 0;
    for (QChar c : longWord) {
        h = (h << 4) + c.unicode();
        const std::uint32_t g = h & 0xF0000000u;
        if (g) h ^= g >> 24;
        h &= ~g;
    }
    EXPECT_EQ(TwbDictionary::ElfHash(longWord, 0xFFFFFFFu), h % 0xFFFFFFFu);
    EXPECT_LT(h, 0x10000000u);
    for (int i = 0; i < 29; ++i) d.AddWord(QStringLiteral("w%1").arg(i), i);  // 31 entries > 10 × 300 %
    EXPECT_EQ(d.HashSize(), 20);
    d.MaxHashSize = 30;
    for (int i = 29; i < 200; ++i) d.AddWord(QStringLiteral("w%1").arg(i), i);
    EXPECT_EQ(d.HashSize(), 30);
    for (int i = 0; i < 200; ++i) ASSERT_NE(d.Lookup(QStringLiteral("w%1").arg(i)), nullptr) << i;
    EXPECT_EQ(d.Lookup(u"W1"), nullptr);
}

TEST_F(WordCache, odd_growth_spreads_keys_that_end_alike_over_every_slot) {
    // Word-pair keys all end in '.': under 160 slots they would use one slot in sixteen.
    TwbDictionary d(10);
    d.OddGrowth = true;
    d.MaxHashSize = 1000;
    for (int i = 0; i < 400; ++i) d.AddWord(QStringLiteral(".W%1.X%2.").arg(i).arg(i * 7), i);
    EXPECT_EQ(d.HashSize(), 175);  // 10, 21, 43, 87, 175
    std::set<std::uint32_t> used;
    for (int i = 0; i < 400; ++i)
        used.insert(TwbDictionary::ElfHash(QStringLiteral(".W%1.X%2.").arg(i).arg(i * 7), std::uint32_t(d.HashSize())));
    EXPECT_GT(used.size(), 100u);
    for (int i = 0; i < 400; ++i) ASSERT_NE(d.Lookup(QStringLiteral(".W%1.X%2.").arg(i).arg(i * 7)), nullptr) << i;
}

TEST_F(WordCache, look_ups_tell_apart_words_of_equal_hash_and_length_short_or_long) {
    // Raising one character by 1 and lowering the next by 16 keeps the ELF hash: each pair
    // has one hash and one length, around the length up to which nodes keep their names.
    struct Pair {
        const char16_t* added;
        const char16_t* alsoAdded;
        const char16_t* absent;  ///< same hash and length, never added
    };
    const Pair pairs[] = {
        {u"BZ", u"CJ", u"D:"},
        {u"ABCDEFGHIJBZ", u"ABCDEFGHIJCJ", u"ABCDEFGHIJD:"},        // 12 characters
        {u"ABCDEFGHIJKBZ", u"ABCDEFGHIJKCJ", u"ABCDEFGHIJKD:"},     // 13
        {u"ABCDEFGHIJKLMNOPBZ", u"ABCDEFGHIJKLMNOPCJ", u"ABCDEFGHIJKLMNOPD:"},
    };
    for (int slotCount : {1, 1000}) {
        TwbDictionary d(slotCount);
        d.MaxHashSize = slotCount;
        fulltext::CxData data = 1;
        for (const Pair& p : pairs) {
            const QString a = QString::fromUtf16(p.added), b = QString::fromUtf16(p.alsoAdded), c = QString::fromUtf16(p.absent);
            ASSERT_EQ(TwbDictionary::ElfHashValue(a), TwbDictionary::ElfHashValue(b)) << a.toStdString();
            ASSERT_EQ(TwbDictionary::ElfHashValue(a), TwbDictionary::ElfHashValue(c)) << a.toStdString();
            d.AddWord(a, data++);
            d.AddWord(b, data++);
        }
        data = 1;
        for (const Pair& p : pairs) {
            for (const char16_t* w : {p.added, p.alsoAdded}) {
                const TwbDictNode* node = d.Lookup(QStringView(w));
                ASSERT_NE(node, nullptr) << QString::fromUtf16(w).toStdString() << " slotCount " << slotCount;
                EXPECT_EQ(node->Name, QString::fromUtf16(w));
                EXPECT_EQ(node->Data, data++);
            }
            EXPECT_EQ(d.Lookup(QStringView(p.absent)), nullptr) << QString::fromUtf16(p.absent).toStdString();
        }
    }
}

TEST_F(WordCache, a_word_repeated_in_one_record_is_processed_once) {
    engine.SetState({TEngineState::esUpdate});
    engine.SetRecord(5);
    engine.ParseString(QStringLiteral("echo echo ECHO other echo"));
    EXPECT_EQ(cache.EntryCount(), 2);
    const auto stats = cache.Statistics();
    EXPECT_EQ(stats.rawEntries, 2);
    EXPECT_EQ(stats.dirtyEntries, 2);
    EXPECT_EQ(cache.Hits(), 3);
    Block old = nullptr;
    Block block = nullptr;
    // A look-up for the same record answers nothing; one for a later record answers the block.
    EXPECT_TRUE(cache.Lookup(u"ECHO", old, false, 0, block));
    EXPECT_EQ(block, nullptr);
    EXPECT_TRUE(cache.Lookup(u"ECHO", old, false, cache.AccessCounter(), block));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(membersOf(block), std::vector<int>{4});
    EXPECT_EQ(fulltext::BlockStamp(block), -cache.AccessCounter());  // stamped, still dirty
    engine.SetState({});
}

TEST_F(WordCache, omitted_words_are_present_without_a_set_and_never_written) {
    engine.SetOmitList({QStringLiteral("the"), QString(), QStringLiteral("The"), QStringLiteral("and")});
    engine.LoadOmitList();  // "The" folds to THE again: skipped, not an error
    EXPECT_EQ(cache.EntryCount(), 2);
    EXPECT_EQ(cache.Statistics().entriesWithoutSet, 2);
    engine.SetState({TEngineState::esUpdate});
    engine.SetRecord(1);
    engine.ParseString(QStringLiteral("the cat and the hat"));
    engine.FlushCache();
    EXPECT_EQ(words.Rows().size(), 2u);
    EXPECT_EQ(words.Find(QStringLiteral("THE")), nullptr);
    EXPECT_EQ(storedMembers(QStringLiteral("CAT")), std::vector<int>{0});
    const MemoryWordsLink::Row* hat = words.Find(QStringLiteral("HAT"));
    ASSERT_NE(hat, nullptr);
    EXPECT_EQ(hat->like, "HA300");
    engine.SetState({});
}

TEST_F(WordCache, blocks_are_rounded_to_sixteen_bytes_and_recycled_by_size) {
    Block a = cache.AllocBlock(40);
    EXPECT_EQ(fulltext::BlockSize(a), 40);
    EXPECT_EQ(cache.Statistics().bytesInUse, 48);
    cache.FreeBlock(a);
    EXPECT_EQ(cache.Statistics().bytesInUse, 0);
    EXPECT_EQ(cache.Statistics().freeListBytes, 48);
    Block b = cache.AllocBlock(33);  // also 48: the same block comes back
    EXPECT_EQ(b, a);
    EXPECT_EQ(cache.Statistics().freeListBytes, 0);
    std::vector<Block> large;
    for (int size : {200, 300, 400, 500, 600, 700, 800, 900, 300, 300}) large.push_back(cache.AllocBlock(size));
    for (Block l : large) cache.FreeBlock(l);
    EXPECT_EQ(cache.Statistics().freeListBytes, 208 + 304 * 3 + 400 + 512 + 608 + 704 + 800 + 912);
    Block again = cache.AllocBlock(290);
    EXPECT_TRUE(again == large[1] || again == large[8] || again == large[9]);
    cache.FreeBlock(again);
    cache.FreeBlock(b);
    EXPECT_GE(cache.PeakBytes(), 48 + 208 + 304 * 3 + 400 + 512 + 608 + 704 + 800 + 912);
    cache.SetAltMemMgr(false);  // releases the lists; blocks are freed at once from now on
    EXPECT_EQ(cache.Statistics().freeListBytes, 0);
    Block c = cache.AllocBlock(64);
    cache.FreeBlock(c);
    EXPECT_EQ(cache.Statistics().freeListBytes, 0);
    EXPECT_EQ(cache.Statistics().bytesInUse, 0);
}

TEST_F(WordCache, a_collecting_build_gives_the_blocks_its_growing_sets_left_back_to_the_heap) {
    cache.SetMemoryLimit(200000);  // nothing compresses: only the free lists are looked at
    text.SetRange(1, 4000);
    engine.SetSegmentSize(0);
    engine.SetState({TEngineState::esMake, TEngineState::esCollect});
    // 20,000 words in 60 records each: every set grows through several block sizes and leaves
    // the smaller blocks behind (some 5 MB of them in all).
    qint64 mostFree = 0;
    for (int record = 0; record < 4000; ++record) {
        const int stamp = cache.AccessCounter();
        for (int k = 0; k < 300; ++k) {
            const int word = (record * 300 + k) % 20000;
            cache.CollectMember(QStringLiteral("w%1").arg(word), stamp, record, &engine);
        }
        const fulltext::CacheStatistics st = cache.Statistics();
        EXPECT_LE(st.freeListBytes, std::max<qint64>(TtsCustomCache::kFreeListSlack, st.bytesInUse / 4) + 4096)
            << "record " << record;
        mostFree = std::max<qint64>(mostFree, st.freeListBytes);
    }
    EXPECT_GT(mostFree, 0);  // blocks are still recycled between releases
    EXPECT_EQ(cache.EntryCount(), 20000);
    engine.SetState({});
}

TEST_F(WordCache, while_a_build_collects_the_limit_grows_instead_of_writing) {
    cache.SetMemoryLimit(1);  // 1024 bytes
    text.SetRange(1, 100000);  // raw sets of 12,512 bytes: none compresses much below that
    engine.SetSegmentSize(0);
    engine.SetState({TEngineState::esMake, TEngineState::esCollect});
    engine.SetRecord(1);
    engine.ParseString(QStringLiteral("one"));
    EXPECT_EQ(cache.MemoryLimitBytes(), 1024 + 1000000);
    for (int i = 0; i < 100; ++i) engine.ParseString(QStringLiteral("w%1").arg(i));
    EXPECT_GT(cache.MemoryLimitBytes(), 1000000 + 1024);
    EXPECT_EQ(words.inserts, 0);  // nothing written while collecting
    EXPECT_EQ(cache.FlushMark(), 0);
    EXPECT_GT(cache.Statistics().compressedEntries, 0);
    engine.SetState({});
}

TEST_F(WordCache, states_size_the_dictionary_and_take_the_raw_size_from_the_bit_set) {
    text.SetRange(1, 800);
    engine.SetSegmentSize(0);
    engine.SetState({TEngineState::esMake});
    EXPECT_EQ(cache.Dictionary().HashSize(), 10000);
    // a build lets the slot count grow with a large vocabulary
    EXPECT_EQ(cache.Dictionary().MaxHashSize, TtsCustomCache::kBuildMaxSlots);
    EXPECT_EQ(cache.RawBlockSize(), 100 + 12);
    engine.SetState({});
    engine.SetState({TEngineState::esUpdate});
    EXPECT_EQ(cache.Dictionary().HashSize(), 5000);
    EXPECT_EQ(cache.Dictionary().MaxHashSize, 50000);
    engine.SetState({});
    // Leaving the collecting phase gives the recycled blocks back.
    EXPECT_TRUE(cache.NotifyMask().Contains(TEngineState::esCollect));
    cache.FreeBlock(cache.AllocBlock(100));
    EXPECT_GT(cache.Statistics().freeListBytes, 0);
    cache.StateLeft(&engine, TEngineState::esCollect);
    EXPECT_EQ(cache.Statistics().freeListBytes, 0);
    cache.SetAltMemMgr(false);
    EXPECT_FALSE(cache.NotifyMask().Contains(TEngineState::esCollect));
}

TEST_F(WordCache, iterate_removes_flagged_entries_frees_sets_and_resets) {
    engine.SetState({TEngineState::esUpdate});
    engine.SetRecord(1);
    engine.ParseString(QStringLiteral("a b c d"));
    cache.Iterate(false, false, [](const QString& word, Block& block, bool& remove) { remove = word == "B"; });
    EXPECT_EQ(cache.EntryCount(), 3);
    EXPECT_EQ(cache.Removals(), 1);
    cache.Iterate(true, false, {});
    EXPECT_EQ(cache.EntryCount(), 3);
    EXPECT_EQ(cache.Statistics().entriesWithoutSet, 3);
    EXPECT_EQ(cache.Statistics().bytesInUse, 0);
    cache.Iterate(false, true, {});
    EXPECT_EQ(cache.EntryCount(), 0);
    EXPECT_EQ(cache.AccessCounter(), 0);
    EXPECT_EQ(cache.Statistics().freeListBytes, 0);
    engine.SetState({});
}

TEST_F(WordCache, a_cache_that_goes_away_is_written_back_first) {
    auto temporary = std::make_unique<TtsCache>();
    engine.SetCache(temporary.get());
    engine.SetState({TEngineState::esUpdate});
    engine.SetRecord(7);
    engine.ParseString(QStringLiteral("kept"));
    engine.SetState({});
    temporary.reset();
    EXPECT_EQ(engine.Cache(), nullptr);
    EXPECT_EQ(storedMembers(QStringLiteral("KEPT")), std::vector<int>{6});
}

TEST_F(WordCache, every_raw_set_left_after_a_memory_check_was_used_after_the_threshold) {
    // Checked after every record of a long load, with flushes and read-backs under way: a
    // raw set as old as the threshold would mean a check skipped a set it had to compress.
    constexpr int kRecords = 3000;
    text.SetRange(1, kRecords);
    engine.SetSegmentSize(0);
    cache.SetMemoryLimit(100);  // 102,400 bytes; raw sets are 387 bytes
    engine.SetState({TEngineState::esUpdate});
    std::mt19937 rng(5);
    std::discrete_distribution<int> pick({40, 20, 10, 5, 5, 5, 5, 5, 5});
    int checksSeen = 0;
    for (int record = 1; record <= kRecords; ++record) {
        engine.SetRecord(record);
        QString line;
        for (int i = 0; i < 30; ++i) line += QStringLiteral("W%1 ").arg(pick(rng) * 1000 + int(rng() % 1000));
        engine.ParseString(line);
        if (record % 500 == 0) engine.WriteBackCache();  // stamps change sign, sets stay raw
        const int threshold = cache.Statistics().thresholdStamp;
        if (threshold == 0) continue;
        ++checksSeen;
        int stale = 0;
        cache.Dictionary().ForEach([&](const TCxDictNode& n) {
            const auto* b = reinterpret_cast<const std::uint8_t*>(n.Data);
            if (b && !fulltext::IsCompressedBlock(b) && std::abs(fulltext::BlockStamp(b)) <= threshold) ++stale;
            return true;
        });
        ASSERT_EQ(stale, 0) << "record " << record;
    }
    EXPECT_GT(checksSeen, 0);
    EXPECT_GT(cache.FlushMark(), 0);
    EXPECT_GT(engine.rowsReadBack, 0);
    engine.FlushCache();
    engine.SetState({});
}

TEST_F(WordCache, a_million_pairs_under_a_small_limit_are_compressed_flushed_and_kept_whole) {
    constexpr int kRecords = 20000;
    constexpr int kWordsPerRecord = 50;  // 1,000,000 (word, record) pairs
    constexpr int kVocabulary = 20000;
    text.SetRange(1, kRecords);
    engine.SetSegmentSize(0);
    cache.SetMemoryLimit(2000);  // 2,048,000 bytes; raw sets are 2,512 bytes
    engine.SetState({TEngineState::esUpdate});
    ASSERT_EQ(cache.RawBlockSize(), (kRecords - 1 + 8) / 8 + 12);

    // Word frequencies follow a Zipf-like law, as in real text.
    std::mt19937 rng(99);
    std::vector<double> weights(kVocabulary);
    for (int i = 0; i < kVocabulary; ++i) weights[std::size_t(i)] = 1.0 / (i + 1);
    std::discrete_distribution<int> pick(weights.begin(), weights.end());
    std::vector<QString> vocabulary;
    for (int i = 0; i < kVocabulary; ++i) vocabulary.push_back(QStringLiteral("W%1").arg(i));
    std::vector<std::vector<int>> truth(kVocabulary);  // records of each word, ascending
    qint64 pairs = 0;
    int compressedSeenDuringLoad = 0;
    for (int record = 1; record <= kRecords; ++record) {
        engine.SetRecord(record);
        QString line;
        for (int i = 0; i < kWordsPerRecord; ++i) {
            const int id = pick(rng);
            std::vector<int>& records = truth[std::size_t(id)];
            if (records.empty() || records.back() != record - 1) records.push_back(record - 1);
            line += vocabulary[std::size_t(id)];
            line += u' ';
            ++pairs;
        }
        engine.ParseString(line);
        if (record % 100 == 0) compressedSeenDuringLoad = std::max(compressedSeenDuringLoad, cache.Statistics().compressedEntries);
    }
    EXPECT_EQ(pairs, 1000000);
    const auto stats = cache.Statistics();
    EXPECT_GT(stats.flushMark, 0);                  // old entries were written and dropped
    EXPECT_GT(stats.thresholdStamp, stats.flushMark);
    EXPECT_GT(compressedSeenDuringLoad, 0);          // sets were compressed along the way
    EXPECT_GT(words.inserts, 0);                     // rows written before the end
    EXPECT_GT(engine.rowsReadBack, 0);               // and read back when their words came again
    EXPECT_GT(words.edits, 0);                       // then written over in place
    EXPECT_LT(stats.bytesInUse, 3 * cache.MemoryLimitBytes());
    EXPECT_EQ(stats.accessCounter, cache.AccessCounter());
    EXPECT_EQ(stats.compressedEntries + stats.rawEntries + stats.entriesWithoutSet, cache.EntryCount());
    EXPECT_EQ(stats.dirtyEntries, cache.DirtyCount());
    const auto usedWords = std::count_if(truth.begin(), truth.end(), [](const auto& r) { return !r.empty(); });
    EXPECT_LT(cache.EntryCount(), usedWords);  // the cache holds less than the whole index
    RecordProperty("peak_bytes", QString::number(cache.PeakBytes()).toStdString());
    RecordProperty("rows_inserted", words.inserts);
    RecordProperty("rows_edited", words.edits);

    engine.FlushCache();
    EXPECT_EQ(cache.EntryCount(), 0);
    EXPECT_EQ(cache.Statistics().bytesInUse, 0);
    ASSERT_EQ(qint64(words.Rows().size()), qint64(usedWords));
    for (int id = 0; id < kVocabulary; ++id) {
        if (truth[std::size_t(id)].empty()) continue;
        ASSERT_EQ(storedMembers(vocabulary[std::size_t(id)]), truth[std::size_t(id)]) << id;
    }
    engine.SetState({});
}

/// Two caches fed the same words: one collecting through its own forms, the other through
/// look-ups and the bit set's UpdateBit (the plain way CollectMember stands for).
struct CollectingPair {
    struct Side {
        MemoryTextLink text{1, 1};
        MemoryWordsLink words{20};
        TtsCache cache;
        IndexingEngine engine;
    };
    Side sides[2];

    CollectingPair(int records, int segmentSize) {
        for (Side& s : sides) {
            s.text.SetRange(1, records);
            s.engine.SetTextLink(&s.text);
            s.engine.SetWordsLink(&s.words);
            s.engine.SetCache(&s.cache);
            s.engine.SetSegmentSize(segmentSize);
            s.engine.SetState({TEngineState::esMake, TEngineState::esCollect});
        }
    }
    ~CollectingPair() {
        for (Side& s : sides) s.engine.SetState({});
    }
    TtsCache& collecting() { return sides[0].cache; }
    void collect(QStringView word, int newestStamp, int bit) {
        sides[0].cache.CollectMember(word, newestStamp, bit, &sides[0].engine);
        sides[1].cache.TtsBaseCache::CollectMember(word, newestStamp, bit, &sides[1].engine);
    }
    /// Every entry in visiting order, with its stored form (or "-" for an omitted word).
    std::vector<std::pair<QString, QByteArray>> stored(int side) {
        Side& s = sides[side];
        std::vector<std::uint8_t> buffer(std::size_t(s.engine.Bits()->CompressedMax()));
        std::vector<std::pair<QString, QByteArray>> out;
        s.cache.Iterate(false, false, [&](const QString& word, Block& block, bool&) {
            if (!block) {
                out.emplace_back(word, QByteArray("-"));
                return;
            }
            const std::uint8_t* b = block;
            if (!fulltext::IsCompressedBlock(block)) {
                s.engine.Bits()->Compress(block, buffer.data());
                b = buffer.data();
            }
            out.emplace_back(word, QByteArray(reinterpret_cast<const char*>(b + 4), fulltext::BlockSize(b) - 4));
        });
        return out;
    }
};

TEST_F(WordCache, collected_sets_equal_the_sets_of_look_ups_and_bit_updates_under_any_memory_pressure) {
    enum Order { kAscending, kDescending, kShuffledRuns };
    struct Case {
        const char* name;
        int records;
        int segmentSize;
        int limitBytes;     ///< set again before every record, so that every record may compress
        Order order;
        int plainEvery;     ///< every so many records one word goes through Lookup and UpdateBit
        int vocabulary;
    };
    static const Case cases[] = {
        {"large segment, ample memory", 20000, 0, 100000000, kAscending, 0, 3000},
        {"large segment, limit kept tiny", 20000, 0, 4000, kAscending, 0, 3000},
        {"few words, every one dense", 3000, 0, 4000, kAscending, 0, 12},
        {"segment of 24 records", 24, 0, 100, kAscending, 0, 40},
        {"records read in descending order", 5000, 0, 4000, kDescending, 0, 800},
        {"runs out of order", 5000, 0, 4000, kShuffledRuns, 0, 800},
        {"plain look-ups in between", 5000, 0, 4000, kAscending, 7, 800},
        {"segmented", 5000, 1024, 4000, kAscending, 5, 800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CollectingPair pair(c.records, c.segmentSize);
        std::mt19937 rng(11);
        std::vector<double> weights(std::size_t(c.vocabulary));
        for (int i = 0; i < c.vocabulary; ++i) weights[std::size_t(i)] = 1.0 / (i + 1);
        std::discrete_distribution<int> pick(weights.begin(), weights.end());
        for (auto& side : pair.sides) side.cache.AddEntry(QStringLiteral("W1"), nullptr);  // omitted

        std::vector<int> order(std::size_t(c.records));
        for (int i = 0; i < c.records; ++i) order[std::size_t(i)] = i;
        if (c.order == kDescending) std::reverse(order.begin(), order.end());
        if (c.order == kShuffledRuns)
            for (std::size_t at = 0; at < order.size(); at += 50)
                std::shuffle(order.begin() + at, order.begin() + std::min(order.size(), at + 50), rng);
        const int segmentBits = pair.sides[0].engine.Bits()->Size();
        int segment = 0;
        std::map<QString, std::set<int>> truth;
        for (int n = 0; n < c.records; ++n) {
            const int record = order[std::size_t(n)];
            if (record / segmentBits != segment) {
                // A new segment: what was collected is compared, then dropped.
                ASSERT_EQ(pair.stored(0), pair.stored(1)) << "segment " << segment;
                for (auto& side : pair.sides) side.cache.Iterate(true, true, {});
                segment = record / segmentBits;
            }
            const int bit = record % segmentBits;
            for (auto& side : pair.sides) side.cache.SetMemoryLimit(c.limitBytes > 0xFFFFF ? c.limitBytes : c.limitBytes / 1024 + 1);
            const int start = pair.collecting().AccessCounter();
            ASSERT_EQ(pair.sides[1].cache.AccessCounter(), start);
            for (int i = 0; i < 20; ++i) {
                const QString word = QStringLiteral("W%1").arg(pick(rng));
                pair.collect(word, start, bit);
                if (word != QLatin1String("W1") && segment == 0) truth[word].insert(bit);
            }
            if (c.plainEvery && n % c.plainEvery == 0) {
                // A look-up meets the collecting form as a raw block (or a compressed one).
                const QString word = QStringLiteral("W%1").arg(pick(rng));
                for (auto& side : pair.sides) {
                    Block old = nullptr;
                    Block block = nullptr;
                    side.cache.Lookup(word, old, true, side.cache.AccessCounter(), block);
                    if (!block) continue;
                    side.engine.Bits()->UpdateBit(old ? old : block, block, true, bit);
                    if (old && old != block) side.cache.FreeBlock(old);
                }
                if (segment == 0 && word != QLatin1String("W1")) truth[word].insert(bit);
            }
        }
        EXPECT_GT(pair.collecting().Statistics().rawEntries, 0);  // collecting sets count as raw
        const auto collected = pair.stored(0);
        ASSERT_EQ(collected, pair.stored(1));
        EXPECT_EQ(pair.collecting().Statistics().rawEntries, 0);  // a visit sees them compressed
        if (c.segmentSize == 0) {
            // And the sets are the records each word was given.
            ASSERT_EQ(collected.size(), truth.size() + 1);
            TwbBits set(segmentBits - 1);
            for (const auto& [word, bytes] : collected) {
                if (word == QLatin1String("W1")) continue;
                TtsBits::ExpandStored(reinterpret_cast<const std::uint8_t*>(bytes.constData()), int(bytes.size()), set);
                std::set<int> members;
                for (int b = set.FirstSetBit(); b >= 0; b = set.NextSetBit(b)) members.insert(b);
                ASSERT_EQ(members, truth.at(word)) << word.toStdString();
            }
        }
    }
}

TEST_F(WordCache, collecting_keeps_far_below_raw_sets_of_the_segment_and_checks_the_bit) {
    // 20,000 records (raw sets of 2,512 bytes) and 5,000 words, most of them rare.
    CollectingPair pair(20000, 0);
    std::mt19937 rng(3);
    std::vector<double> weights(5000);
    for (int i = 0; i < 5000; ++i) weights[std::size_t(i)] = 1.0 / (i + 1);
    std::discrete_distribution<int> pick(weights.begin(), weights.end());
    for (auto& side : pair.sides) side.cache.SetMemoryLimit(200);
    for (int record = 0; record < 20000; ++record) {
        const int start = pair.collecting().AccessCounter();
        for (int i = 0; i < 20; ++i) pair.collect(QStringLiteral("W%1").arg(pick(rng)), start, record);
    }
    RecordProperty("peak_collecting", QString::number(pair.sides[0].cache.PeakBytes()).toStdString());
    RecordProperty("peak_raw", QString::number(pair.sides[1].cache.PeakBytes()).toStdString());
    EXPECT_LT(pair.sides[0].cache.PeakBytes(), pair.sides[1].cache.PeakBytes() / 2);
    EXPECT_EQ(pair.stored(0), pair.stored(1));
    EXPECT_THROW(pair.collecting().CollectMember(u"X", 0, 20000, &pair.sides[0].engine), ETessick);
    EXPECT_THROW(pair.collecting().CollectMember(u"X", 0, -1, &pair.sides[0].engine), ETessick);
}


}  // namespace

namespace {

// A compressed set can take exactly as many bytes as a raw one (method 4: the bytes from the
// first member's to the last member's, plus the 24-byte head). Its size alone would then pass
// it off as raw, and whoever reads it as raw fails with "Invalid block size".
TEST_F(WordCache, a_compressed_set_exactly_the_raw_size_is_still_answered_as_compressed) {
    text.SetRange(1, 800);
    engine.SetSegmentSize(0);
    engine.SetState({TEngineState::esUpdate});
    const int rawSize = cache.RawBlockSize();
    ASSERT_EQ(rawSize, engine.Bits()->RawSize());
    // One member in each byte of a window of (raw size - 24) bytes, less one in its middle,
    // compresses as those bytes.
    TwbBits set(engine.Bits()->Size() - 1);
    const int window = rawSize - 24;
    std::vector<int> members;
    for (int byte = 3; byte < 3 + window; ++byte)
        if (byte != 3 + window / 2) members.push_back(byte * 8 + 1);
    for (int m : members) set.SetBitOn(m);
    std::vector<std::uint8_t> buffer(std::size_t(engine.Bits()->CompressedMax()));
    const int compressedSize = TtsBits::CompressSet(set, buffer.data());
    ASSERT_EQ(compressedSize, rawSize) << "the fixture must compress to the raw size";
    ASSERT_EQ(fulltext::ReadInt32(buffer.data() + 20), 4);

    // The word's raw set is used first, then enough other words to pass a 1 KB limit: the
    // memory check compresses the set used longest ago, in place.
    cache.SetMemoryLimit(1);
    {
        Block old = nullptr;
        Block raw = nullptr;
        ASSERT_FALSE(cache.Lookup(u"EXACT", old, true, cache.AccessCounter(), raw));
        std::memcpy(raw + 12, set.Bytes(), std::size_t(set.ByteCount()));
        fulltext::WriteInt32(raw + 4, set.Count());
    }
    for (int i = 0; i < 12; ++i) {
        Block old = nullptr;
        Block raw = nullptr;
        cache.Lookup(QStringLiteral("OTHER%1").arg(i), old, true, cache.AccessCounter(), raw);
    }
    cache.CheckMemory(&engine);
    Block compressed = nullptr;
    cache.Dictionary().ForEach([&](const TCxDictNode& n) {
        if (n.Name == QStringLiteral("EXACT")) compressed = reinterpret_cast<Block>(n.Data);
        return true;
    });
    ASSERT_NE(compressed, nullptr);
    ASSERT_TRUE(fulltext::IsCompressedBlock(compressed));
    ASSERT_EQ(fulltext::BlockSize(compressed), rawSize);

    for (const bool create : {false, true}) {
        SCOPED_TRACE(create);
        Block old = nullptr;
        Block block = nullptr;
        ASSERT_TRUE(cache.Lookup(u"EXACT", old, create, cache.AccessCounter(), block));
        ASSERT_NE(block, nullptr);
        if (!create) {
            // The first look-up hands the compressed set over for expanding into a fresh raw one.
            ASSERT_EQ(old, compressed);
            EXPECT_FALSE(fulltext::IsCompressedBlock(block));
            EXPECT_EQ(fulltext::BlockSize(block), rawSize);
            EXPECT_EQ(membersOf(old), members);
            // what a search does with the pair
            auto* bits = dynamic_cast<TtsBits*>(engine.Bits());
            TtsBits::ExpandStored(old + 4, fulltext::BlockSize(old) - 4, set);
            bits->LoadRaw(block);  // the fresh block is raw: no "Invalid block size"
            set.Recount();
            ASSERT_EQ(set.Count(), int(members.size()));
            std::memcpy(block + 12, set.Bytes(), std::size_t(set.ByteCount()));
            fulltext::WriteInt32(block + 4, set.Count());
            cache.FreeBlock(old);
        } else {
            // From then on the word holds the raw set.
            EXPECT_EQ(old, nullptr);
            EXPECT_FALSE(fulltext::IsCompressedBlock(block));
            EXPECT_EQ(membersOf(block), members);
        }
    }
    engine.SetState({});
}

}  // namespace
