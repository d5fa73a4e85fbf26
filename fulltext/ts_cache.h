#pragma once

#include "fulltext/cx_dictionary.h"
#include "fulltext/ts_base.h"
#include "fulltext/ts_bits.h"

#include <QString>
#include <QStringView>

#include <array>
#include <functional>
#include <memory>
#include <vector>

/// The word cache's operations as the engines use them: word -> record-set block (none for an
/// omitted word), with access stamps, memory accounting and iteration.
class TtsBaseCache : public TtsBase {
    Q_OBJECT
public:
    /// Visits one entry: the word, its block (which the visitor may free and set to null)
    /// and whether to remove the entry afterwards.
    using TVisitor = std::function<void(const QString& word, fulltext::Block& block, bool& remove)>;

    using TtsBase::TtsBase;

    virtual int EntryCount() const = 0;
    virtual int DirtyCount() const = 0;
    /// Looks `word` up for the record whose processing started at stamp `newestStamp`.
    /// Answers whether the word is present; `block` is the raw block to update (none for an
    /// omitted word or a word already handled for this record), `oldBlock` a compressed
    /// block the caller expands into `block` and frees.
    virtual bool Lookup(QStringView word, fulltext::Block& oldBlock, bool create, int newestStamp,
                        fulltext::Block& block) = 0;
    /// Adds `word` with `block` (none marks an omitted word); ECxContainerError 54 when present.
    virtual void AddEntry(const QString& word, fulltext::Block block) = 0;
    virtual void CheckMemory(TtsEngine* engine) = 0;
    virtual void RemoveWord(QStringView word) = 0;
    virtual void FreeBlock(fulltext::Block block) = 0;
    virtual fulltext::Block AllocBlock(int size) = 0;
    virtual void Iterate(bool freeBlocks, bool reset, const TVisitor& visitor) = 0;
    /// An index build's step for one word of the current record: switches on `bit` in the set
    /// of `word` (added when absent) unless the word is omitted or was already handled for the
    /// record whose processing started at stamp `newestStamp`, then checks the memory. The
    /// same as Lookup (create), the engine's bit set's UpdateBit and CheckMemory, which is what
    /// this does; a cache may keep the sets it collects this way in forms of its own, as long
    /// as every other operation meets only raw and compressed blocks. ETessick 30480 when
    /// `bit` lies outside the engine's bit set.
    virtual void CollectMember(QStringView word, int newestStamp, int bit, TtsEngine* engine);

    /// Access-counter value up to which FlushOld writes back and removes entries.
    virtual int FlushMark() const = 0;
    /// The current access-counter value.
    virtual int AccessCounter() const = 0;
};

namespace fulltext {

/// Links of a circular list of dictionary nodes (the cache's entries holding a raw set, in
/// order of last use). A node leaves its list when it is destroyed; a list head links to itself.
class EntryListLink {
public:
    EntryListLink() = default;
    EntryListLink(const EntryListLink&) = delete;
    EntryListLink& operator=(const EntryListLink&) = delete;
    ~EntryListLink() { UnlinkFromList(); }

    bool IsLinked() const { return m_next != nullptr; }
    void UnlinkFromList() {
        if (!m_next) return;
        m_prev->m_next = m_next;
        m_next->m_prev = m_prev;
        m_prev = m_next = nullptr;
    }
    /// Makes this link a list head (a list of no nodes).
    void MakeHead() { m_prev = m_next = this; }
    /// Moves this link to the end of the list headed by `head`.
    void LinkLast(EntryListLink& head) {
        UnlinkFromList();
        m_prev = head.m_prev;
        m_next = &head;
        head.m_prev->m_next = this;
        head.m_prev = this;
    }
    EntryListLink* NextInList() const { return m_next; }

private:
    EntryListLink* m_prev = nullptr;
    EntryListLink* m_next = nullptr;
};

}  // namespace fulltext

/// A node of the word dictionary. The cache keeps its nodes that hold a raw set on a list
/// in order of last use (see TtsCustomCache); other dictionaries leave the links unused.
class TwbDictNode : public TCxDictNode, public fulltext::EntryListLink {
public:
    using TCxDictNode::TCxDictNode;

    /// The block is a set being collected by an index build, in the cache's own form (see
    /// TtsCustomCache), neither raw nor compressed.
    bool Collecting = false;
    /// The ELF hash of Name before it is taken modulo the slot count (TwbDictionary sets it),
    /// so that a look-up passes other words of the chain without reading their names.
    std::uint32_t Hash = 0;
    /// While Collecting: the magnitude of the block's stamp.
    std::int32_t CollectedStamp = 0;
    /// A copy of a short Name (ShortLength characters, when ShortLength <= kShortName) kept in
    /// the node, so that a look-up that finds its word compares without reading Name's
    /// characters from elsewhere in memory. Set when the node is made; names do not change.
    static constexpr int kShortName = 12;
    std::uint32_t ShortLength = kShortName + 1;
    char16_t ShortName[kShortName] = {};
};

/// The word dictionary: case-sensitive names, the ELF hash, self-organising chains, and
/// growth by doubling (up to MaxHashSize slots) when the entries exceed GrowthPercent of the
/// slots. Lookup remembers where a word was missed, so that AddAfterMiss needs no second search.
class TwbDictionary : public TCxDictionary {
public:
    /// Visits one entry; `data` may be changed, `remove` set to drop the entry (its data is
    /// disposed).
    using TVisitProc = std::function<void(const QString& name, fulltext::CxData& data, bool& remove)>;
    using TNodeVisitProc = std::function<void(TwbDictNode& node, bool& remove)>;

    explicit TwbDictionary(int hashSize);

    QString ClassName() const override { return QStringLiteral("TwbDictionary"); }
    QString NodeClassName() const override { return QStringLiteral("TwbDictNode"); }

    /// Binary comparison, or the locale's comparison when switched to the code-page one.
    int Equal(QStringView a, QStringView b) const override;
    void SetCodePageCompare(bool on) { m_codePageCompare = on; }

    int GrowthPercent = 300;  ///< grow when entries exceed slots × this / 100
    int GrowthFactor = 200;   ///< new slot count = slots × this / 100
    int MaxHashSize = 16380;  ///< growth stops here
    /// Growth takes odd slot counts. The hash's low four bits come from the last character
    /// alone, so keys ending alike (every word-pair key ends in '.') would share one slot in
    /// sixteen under a slot count divisible by 16.
    bool OddGrowth = false;

    /// The node of `word` (moved to the head of its chain), or null; remembers a miss.
    TwbDictNode* Lookup(QStringView word);
    /// Adds `word`, which the last Lookup missed; grows the table when due.
    TwbDictNode* AddAfterMiss(const QString& word, fulltext::CxData data);
    /// Adds a word that may be present (ECxContainerError 54 then); grows when due. Answers
    /// the new node.
    TwbDictNode* AddWord(const QString& word, fulltext::CxData data);
    /// Visits every entry in slot and chain order, removing those flagged.
    void VisitAll(const TVisitProc& visit);
    /// The same, handing over the node itself.
    void VisitNodes(const TNodeVisitProc& visit);

    static std::uint32_t ElfHash(QStringView word, std::uint32_t slotCount);
    /// The hash value ElfHash takes modulo the slot count (below 2^28).
    static std::uint32_t ElfHashValue(QStringView word) {
        std::uint32_t h = 0;
        for (QChar c : word) {
            h = (h << 4) + c.unicode();
            const std::uint32_t g = h & 0xF0000000u;
            h ^= g >> 24;  // no-op when g is 0
            h &= ~g;
        }
        return h;
    }

protected:
    std::unique_ptr<TCxDictNode> MakeNode(const QString& name, fulltext::CxData data) override;

private:
    void growIfDue();

    bool m_codePageCompare = false;
    std::uint32_t m_missSlot = 0;
    std::uint32_t m_modDivisor = 0;  ///< slot count m_modMagic was worked out for
    std::uint64_t m_modMagic = 0;    ///< 2^64 div m_modDivisor + 1
};

namespace fulltext {

/// The cache's statistics, in the order they are reported.
struct CacheStatistics {
    int compressedEntries = 0;  ///< entries whose set is compressed
    int thresholdStamp = 0;     ///< raw sets used at or before this stamp get compressed
    int bytesInUse = 0;         ///< bytes of the blocks in use (rounded to 16)
    int accessCounter = 0;      ///< look-ups and additions so far
    int freeListBytes = 0;      ///< bytes held on the free lists
    int flushMark = 0;          ///< sets used at or before this stamp were written and dropped
    int rawEntries = 0;         ///< entries whose set is raw (or being collected)
    int entriesWithoutSet = 0;  ///< omitted words
    int dirtyEntries = 0;       ///< entries with changes not yet written
};

}  // namespace fulltext

/// The word cache: word -> record-set block within a memory limit.
///
/// Every look-up counts an access and stamps the block it answers. When the blocks in use
/// exceed MemoryLimit, CheckMemory compresses the raw sets used longest ago and, for engines
/// that read an index, writes back and drops the oldest entries (FlushOld); during an index
/// build's collecting phase it raises the limit instead of writing (by 1,000,000 bytes, or by
/// the limit itself once that is larger). The cache owns every
/// block it hands out; with AltMemMgr freed blocks are kept on free lists by size (eight
/// lists for 16..128 bytes, a chain per size above, found by its size at once) and reused.
///
/// The entries holding a raw set are also kept on a list in order of their stamps' magnitude
/// (a look-up moves its entry to the end), so that compressing the sets used at or before the
/// threshold visits just those sets, not every entry: a long build goes over its limit
/// thousands of times. Invariant: every entry with a raw block is on the list, in ascending
/// stamp magnitude; entries whose block was compressed, dropped or freed may still be on it
/// and are unlinked when met. Collecting sets (below) are on a list of their own, in no
/// particular order: they are used far more often than the memory is checked, so a use only
/// links a set that is not on it and the check passes over the whole list instead.
///
/// Collecting sets. An index build adds records to sets through CollectMember, which keeps
/// each set in a growing block instead of a raw block of the whole segment (most words of a
/// large segment have few records, and a raw set of 100,000 records is 12,512 bytes):
///
/// | offset | meaning                                                                    |
/// |--------|----------------------------------------------------------------------------|
/// | 0      | stamp, as for the other forms                                              |
/// | 4      | count n of members (at least 1)                                            |
/// | 8      | block size: the room allocated (a multiple of 16)                          |
/// | 12     | form: 1 list upwards, 2 window, 3 list downwards                           |
/// | 16     | first: the lowest member                                                   |
/// | 20     | last: the highest member                                                   |
/// | 24     | list: payload bytes in use; window: the set's byte the payload starts with |
/// |        | (at most the byte of first)                                                |
/// | 28     | list: the n - 1 gaps between successive members (upwards from first, or    |
/// |        | downwards from last), each an unsigned number in 7-bit groups, lowest      |
/// |        | first, the top bit marking a group that another follows; window: the set's |
/// |        | bytes from the start byte to the byte of last                              |
///
/// Records arrive in key order, so a gap is appended at the list's end; a list of one member
/// takes either direction, a record against it or inside the list's range makes the list a
/// window, and so does a list that would be longer than the window. A window grows at its
/// end, and at its front by at least its length each time (records read in descending
/// order). The memory check trims the unused room of lists used at or before the threshold
/// and compresses such windows when that is smaller. The blocks are the cache's own like the
/// others (FreeBlock frees them, Statistics counts them as raw), but only CollectMember,
/// Lookup, Iterate and CheckMemory read their contents: Lookup turns one into a raw block and
/// Iterate into its compressed block (the same bytes the engine's bit set would compress the
/// raw set to) before anyone else sees it.
class TtsCustomCache : public TtsBaseCache {
    Q_OBJECT
public:
    explicit TtsCustomCache(QObject* owner = nullptr);
    ~TtsCustomCache() override;

    /// The dictionary's slot maximum while an index is built (the 50,000 of other states
    /// would leave chains of ten nodes and more on a large vocabulary).
    static constexpr int kBuildMaxSlots = 1 << 21;
    /// Free-list bytes a collecting build keeps in any case.
    static constexpr qint64 kFreeListSlack = 1000000;

    /// Kilobytes (the stored bytes divided by 1024).
    int MemoryLimit() const { return int(m_memoryLimitBytes / 1024); }
    /// Up to 1048575 (0xFFFFF) the value is kilobytes, above it bytes.
    void SetMemoryLimit(int value);
    qint64 MemoryLimitBytes() const { return m_memoryLimitBytes; }

    bool AltMemMgr() const { return m_altMemMgr; }
    /// Off releases the free lists; on prepares them.
    void SetAltMemMgr(bool on);

    int EntryCount() const override { return m_dict.Count(); }
    int DirtyCount() const override;
    bool Lookup(QStringView word, fulltext::Block& oldBlock, bool create, int newestStamp,
                fulltext::Block& block) override;
    void AddEntry(const QString& word, fulltext::Block block) override;
    void CheckMemory(TtsEngine* engine) override;
    void RemoveWord(QStringView word) override;
    void FreeBlock(fulltext::Block block) override;
    fulltext::Block AllocBlock(int size) override;
    void Iterate(bool freeBlocks, bool reset, const TVisitor& visitor) override;
    void CollectMember(QStringView word, int newestStamp, int bit, TtsEngine* engine) override;
    int FlushMark() const override { return m_flushMark; }
    int AccessCounter() const override { return m_access; }

    fulltext::CacheStatistics Statistics() const;
    /// Largest sum of bytes in use and bytes on the free lists so far.
    qint64 PeakBytes() const { return m_peak; }
    int Hits() const { return m_hits; }
    int Additions() const { return m_additions; }
    int Removals() const { return m_removals; }
    /// Size of a raw block as the engine's bit set last gave it.
    int RawBlockSize() const { return m_rawSize; }
    const TwbDictionary& Dictionary() const { return m_dict; }

    void StateLeft(TtsBase* sender, TEngineState state) override;
    void StateEntered(TtsBase* sender, TEngineState state) override;

private:
    struct Chain {
        int size = 0;
        void* head = nullptr;
        int length = 0;
    };
    void releaseFreeLists();
    void freeEveryBlock();
    void account(qint64 inUseDelta, qint64 freeDelta);
    /// Puts `node` (holding a raw block just stamped) at the end of the raw-set list.
    void touchRaw(TwbDictNode* node) { node->LinkLast(m_rawSets); }
    /// Rebuilds the raw-set list from the dictionary, after sets were changed from outside.
    void relinkRawSets();

    // Collecting sets (see the class comment).
    /// Room for `needed` bytes, from a short ladder of sizes (few distinct sizes keep the
    /// free lists short), at most `most` when that is enough.
    static int collectingRoom(int needed, int most);
    fulltext::Block newCollecting(int bit);
    /// Moves a collecting block into a new one of `room` bytes; answers the new block.
    fulltext::Block moveCollecting(fulltext::Block from, int room);
    /// Adds `bit` to the collecting set of `node`.
    void addToCollecting(TwbDictNode* node, int bit);
    /// Makes the list of `node` a window.
    void listToWindow(TwbDictNode* node);
    /// Makes the raw or compressed set of `node` a collecting one (or none when empty).
    void startCollecting(TwbDictNode* node);
    /// Writes the members of a collecting block into the scratch set (all clear before) and
    /// clears them again.
    void fillScratch(const std::uint8_t* block);
    void clearScratch(const std::uint8_t* block);
    /// Replaces the collecting block of `node` by its compressed or its raw block.
    void finishCollecting(TwbDictNode* node);
    void collectingToRaw(TwbDictNode* node);
    /// The scratch set sized for the engine's bit set.
    void sizeScratch(int setBits);

    fulltext::EntryListLink m_rawSets;  ///< head of the raw-set list; outlives m_dict's nodes
    /// Head of the list of collecting sets, in no particular order (see CheckMemory).
    fulltext::EntryListLink m_collectingSets;
    TwbDictionary m_dict{1000};
    qint64 m_memoryLimitBytes = 1000 * 1024;
    bool m_altMemMgr = true;
    int m_access = 0;
    int m_threshold = 0;
    int m_flushMark = 0;
    static constexpr double kFlushPercent = 0.75;
    int m_rawSize = 0;
    qint64 m_bytesInUse = 0;
    qint64 m_freeBytes = 0;
    qint64 m_peak = 0;
    int m_hits = 0;
    int m_additions = 0;
    int m_removals = 0;
    std::array<void*, 8> m_small{};
    std::vector<Chain> m_chains;  ///< chain of blocks of 144 + 16 i bytes at index i
    TwbBits m_scratch{0};                     ///< all clear between uses
    std::vector<std::uint8_t> m_compressOut;  ///< room for a compressed block of the scratch set
};

/// The published word cache.
class TtsCache : public TtsCustomCache {
    Q_OBJECT
public:
    using TtsCustomCache::TtsCustomCache;
};
