#include "fulltext/ts_cache.h"

#include "fulltext/cx_strings.h"
#include "fulltext/ts_engine.h"
#include "fulltext/ts_errors.h"
#include "fulltext/tests/memory_links.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(cache.Dictionary().MaxHashSize, 50000);
    EXPECT_EQ(cache.RawBlockSize(), 100 + 12);
    engine.SetState({});
    engine.SetState({TEngineState::esUpdate});
    EXPECT_EQ(cache.Dictionary().HashSize(), 5000);
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

}  // namespace
