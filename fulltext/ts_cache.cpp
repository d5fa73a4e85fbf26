#include "fulltext/ts_cache.h"

#include "fulltext/cx_container.h"
#include "fulltext/cx_strings.h"
#include "fulltext/ts_engine.h"
#include "fulltext/errors.h"

#include "platform/base/assert.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr int roundUp16(int size) { return (size + 15) & ~15; }

void* nextOf(void* block) {
    void* next;
    std::memcpy(&next, block, sizeof next);
    return next;
}

void setNext(void* block, void* next) { std::memcpy(block, &next, sizeof next); }

fulltext::Block asBlock(fulltext::CxData d) { return reinterpret_cast<fulltext::Block>(d); }
fulltext::CxData asData(fulltext::Block b) { return reinterpret_cast<fulltext::CxData>(b); }

// A collecting block's fields (see TtsCustomCache).
constexpr int kFormAt = 12;
constexpr int kFirstAt = 16;
constexpr int kLastAt = 20;
constexpr int kListUsedAt = 24;    ///< lists: payload bytes in use
constexpr int kWindowStartAt = 24;  ///< windows: the set's byte the payload starts with
constexpr int kPayloadAt = 28;
constexpr int kList = 1;      ///< gaps upwards from first
constexpr int kWindow = 2;
constexpr int kListDown = 3;  ///< gaps downwards from last (records read in descending order)

std::int32_t readField(const std::uint8_t* b, int at) { return fulltext::ReadInt32(b + at); }
void writeField(std::uint8_t* b, int at, std::int32_t v) { fulltext::WriteInt32(b + at, v); }

/// Bytes of the window from the byte of `first` to the byte of `last`.
int windowLength(int first, int last) { return (last >> 3) - (first >> 3) + 1; }

bool isList(const std::uint8_t* b) { return readField(b, kFormAt) != kWindow; }

/// Payload bytes of a window: from its start byte to the byte of last.
int windowBytes(const std::uint8_t* b) { return (readField(b, kLastAt) >> 3) - readField(b, kWindowStartAt) + 1; }

/// Bytes of a collecting block in use (header and payload).
int usedBytes(const std::uint8_t* b) {
    return kPayloadAt + (isList(b) ? readField(b, kListUsedAt) : windowBytes(b));
}

/// Bytes of a gap in 7-bit groups.
int gapLength(std::uint32_t gap) {
    int n = 1;
    while (gap >= 0x80) {
        gap >>= 7;
        ++n;
    }
    return n;
}

std::uint8_t* writeGap(std::uint8_t* p, std::uint32_t gap) {
    while (gap >= 0x80) {
        *p++ = std::uint8_t(gap | 0x80);
        gap >>= 7;
    }
    *p++ = std::uint8_t(gap);
    return p;
}

/// Calls f(member) for every member of a collecting list, in the list's order.
template <typename F>
void forEachListed(const std::uint8_t* b, F f) {
    const bool down = readField(b, kFormAt) == kListDown;
    int m = readField(b, down ? kLastAt : kFirstAt);
    f(m);
    const std::uint8_t* p = b + kPayloadAt;
    const std::uint8_t* end = p + readField(b, kListUsedAt);
    while (p < end) {
        std::uint32_t gap = 0;
        int shift = 0;
        std::uint8_t byte;
        do {
            byte = *p++;
            gap |= std::uint32_t(byte & 0x7F) << shift;
            shift += 7;
        } while (byte & 0x80);
        m = down ? m - int(gap) : m + int(gap);
        f(m);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TwbDictionary

TwbDictionary::TwbDictionary(int hashSize) : TCxDictionary(hashSize) {
    HashProc = &TwbDictionary::ElfHash;
    static const bool registered = [] {
        fulltext::RegisterCxClass(QStringLiteral("TwbDictionary"), QStringLiteral("TCxDictionary"));
        fulltext::RegisterCxClass(QStringLiteral("TwbDictNode"), QStringLiteral("TCxDictNode"));
        return true;
    }();
    (void)registered;
}

std::uint32_t TwbDictionary::ElfHash(QStringView word, std::uint32_t slotCount) {
    return slotCount == 0 ? 0 : ElfHashValue(word) % slotCount;
}

int TwbDictionary::Equal(QStringView a, QStringView b) const {
    if (m_codePageCompare) return QString::localeAwareCompare(a, b);
    return a.compare(b, Qt::CaseSensitive);
}

std::unique_ptr<TCxDictNode> TwbDictionary::MakeNode(const QString& name, fulltext::CxData data) {
    auto node = std::make_unique<TwbDictNode>(name, data);
    node->Hash = ElfHashValue(name);
    if (name.size() <= TwbDictNode::kShortName) {
        node->ShortLength = std::uint32_t(name.size());
        std::copy(name.utf16(), name.utf16() + name.size(), node->ShortName);
    }
    return node;
}

TwbDictNode* TwbDictionary::Lookup(QStringView word) {
    TCxDictNode* previous = nullptr;
    TCxDictNode* node = nullptr;
    if (m_codePageCompare || HashProc != &TwbDictionary::ElfHash) {
        m_missSlot = SlotOf(word);
        node = FindInSlot(word, m_missSlot, previous);
    } else {
        // The common case without a virtual call per node; names are read only where the
        // whole hash value agrees.
        const std::uint32_t h = ElfHashValue(word);
        const std::uint32_t slotCount = std::uint32_t(m_slots.size());
        if (slotCount != m_modDivisor) {
            m_modDivisor = slotCount;
            m_modMagic = ~std::uint64_t(0) / slotCount + 1;
        }
        // h mod slotCount without a division (exact for 32-bit operands).
        m_missSlot = std::uint32_t((static_cast<unsigned __int128>(m_modMagic * h) * slotCount) >> 64);
        const qsizetype length = word.size();
        const QChar* chars = word.data();
        if (length <= TwbDictNode::kShortName) {
            // The word zero-padded as the nodes keep it, compared as three 8-byte words.
            static_assert(sizeof(TwbDictNode::ShortName) == 3 * sizeof(std::uint64_t));
            std::uint64_t padded[3] = {0, 0, 0};
            std::memcpy(padded, chars, size_t(length) * sizeof(char16_t));
            auto sameName = [&padded](const TwbDictNode* w) {
                std::uint64_t kept[3];
                std::memcpy(kept, w->ShortName, sizeof kept);
                return ((kept[0] ^ padded[0]) | (kept[1] ^ padded[1]) | (kept[2] ^ padded[2])) == 0;
            };
            for (TCxDictNode* n = m_slots[m_missSlot].get(); n; n = n->Next.get()) {
                const auto* w = static_cast<TwbDictNode*>(n);
                if (w->Hash == h && w->ShortLength == std::uint32_t(length) && sameName(w)) {
                    node = n;
                    break;
                }
                previous = n;
            }
        } else {
            for (TCxDictNode* n = m_slots[m_missSlot].get(); n; n = n->Next.get()) {
                if (static_cast<TwbDictNode*>(n)->Hash == h && n->Name.size() == length &&
                    std::equal(chars, chars + length, n->Name.constData())) {
                    node = n;
                    break;
                }
                previous = n;
            }
        }
    }
    if (!node) return nullptr;
    MoveToHead(m_missSlot, previous);
    return static_cast<TwbDictNode*>(m_slots[m_missSlot].get());
}

TwbDictNode* TwbDictionary::AddAfterMiss(const QString& word, fulltext::CxData data) {
    auto* node = static_cast<TwbDictNode*>(LinkAtHead(m_missSlot, MakeNode(word, data)));
    ++m_count;
    growIfDue();
    return node;
}

TwbDictNode* TwbDictionary::AddWord(const QString& word, fulltext::CxData data) {
    AddEntry(word, data);  // the new node heads its slot's chain
    auto* node = static_cast<TwbDictNode*>(m_slots[SlotOf(word)].get());
    growIfDue();
    return node;
}

void TwbDictionary::growIfDue() {
    const qint64 slotCount = HashSize();
    if (qint64(m_count) * 100 <= slotCount * GrowthPercent) return;
    qint64 grown = std::min<qint64>(slotCount * GrowthFactor / 100, MaxHashSize);
    if (OddGrowth && grown % 2 == 0) grown += grown < MaxHashSize ? 1 : -1;
    if (grown > slotCount) Resize(int(grown));
}

void TwbDictionary::VisitAll(const TVisitProc& visit) {
    VisitNodes([&](TwbDictNode& node, bool& remove) { visit(node.Name, node.Data, remove); });
}

void TwbDictionary::VisitNodes(const TNodeVisitProc& visit) {
    for (std::uint32_t slot = 0; slot < m_slots.size(); ++slot) {
        TCxDictNode* previous = nullptr;
        TCxDictNode* node = m_slots[slot].get();
        while (node) {
            bool remove = false;
            visit(*static_cast<TwbDictNode*>(node), remove);
            if (!remove) {
                previous = node;
                node = node->Next.get();
                continue;
            }
            std::unique_ptr<TCxDictNode> gone = Unlink(slot, previous);
            --m_count;
            DoDisposeData(gone->Data);
            node = previous ? previous->Next.get() : m_slots[slot].get();
        }
    }
}

// ---------------------------------------------------------------------------------------
// TtsCustomCache

TtsCustomCache::TtsCustomCache(QObject* owner) : TtsBaseCache(owner) {
    m_rawSets.MakeHead();
    m_collectingSets.MakeHead();
    m_dict.OnDisposeData = [this](fulltext::CxData d) {
        if (d) FreeBlock(asBlock(d));
    };
    m_notifyMask = m_notifyMask.With(TEngineState::esCollect);
}

TtsCustomCache::~TtsCustomCache() {
    AnnounceRemoval();
    freeEveryBlock();
    releaseFreeLists();
}

void TtsCustomCache::SetMemoryLimit(int value) {
    m_memoryLimitBytes = value <= 0xFFFFF ? qint64(value) * 1024 : qint64(value);
}

void TtsCustomCache::SetAltMemMgr(bool on) {
    if (on == m_altMemMgr) return;
    if (!on) releaseFreeLists();
    m_altMemMgr = on;
    m_notifyMask = on ? m_notifyMask.With(TEngineState::esCollect) : m_notifyMask.Without(TEngineState::esCollect);
}

void TtsCustomCache::account(qint64 inUseDelta, qint64 freeDelta) {
    m_bytesInUse += inUseDelta;
    m_freeBytes += freeDelta;
    m_peak = std::max(m_peak, m_bytesInUse + m_freeBytes);
}

fulltext::Block TtsCustomCache::AllocBlock(int size) {
    if (size < 12) size = 12;
    const int rounded = roundUp16(size);
    void* block = nullptr;
    if (m_altMemMgr) {
        if (rounded <= 128) {
            void*& head = m_small[std::size_t(rounded / 16 - 1)];
            if (head) {
                block = head;
                head = nextOf(block);
            }
        } else if (const std::size_t at = std::size_t(rounded / 16 - 9); at < m_chains.size() && m_chains[at].head) {
            Chain& c = m_chains[at];
            block = c.head;
            c.head = nextOf(block);
            --c.length;
        }
        if (block) m_freeBytes -= rounded;
    }
    if (!block) {
        block = std::malloc(std::size_t(rounded));
        if (!block) throw std::bad_alloc();
    }
    auto* b = static_cast<fulltext::Block>(block);
    fulltext::WriteInt32(b + 8, size);
    account(rounded, 0);
    return b;
}

void TtsCustomCache::FreeBlock(fulltext::Block block) {
    if (!block) return;
    const int rounded = roundUp16(std::max(12, std::abs(fulltext::BlockSize(block))));
    account(-rounded, 0);
    if (!m_altMemMgr) {
        std::free(block);
        return;
    }
    if (rounded <= 128) {
        void*& head = m_small[std::size_t(rounded / 16 - 1)];
        setNext(block, head);
        head = block;
    } else {
        const std::size_t at = std::size_t(rounded / 16 - 9);
        if (at >= m_chains.size()) {
            const std::size_t from = m_chains.size();
            m_chains.resize(at + 1);
            for (std::size_t i = from; i <= at; ++i) m_chains[i].size = int(i + 9) * 16;
        }
        Chain& c = m_chains[at];
        setNext(block, c.head);
        c.head = block;
        ++c.length;
    }
    account(0, rounded);
}

void TtsCustomCache::releaseFreeLists() {
    for (void*& head : m_small) {
        while (head) {
            void* next = nextOf(head);
            std::free(head);
            head = next;
        }
    }
    for (Chain& c : m_chains) {
        while (c.head) {
            void* next = nextOf(c.head);
            std::free(c.head);
            c.head = next;
        }
    }
    m_chains.clear();
    m_freeBytes = 0;
}

void TtsCustomCache::freeEveryBlock() {
    m_dict.Clear();  // disposes (frees) every block
}

int TtsCustomCache::DirtyCount() const {
    int dirty = 0;
    m_dict.ForEach([&](const TCxDictNode& n) {
        if (n.Data && fulltext::IsDirty(asBlock(n.Data))) ++dirty;
        return true;
    });
    return dirty;
}

bool TtsCustomCache::Lookup(QStringView word, fulltext::Block& oldBlock, bool create, int newestStamp,
                            fulltext::Block& block) {
    ++m_access;
    oldBlock = nullptr;
    block = nullptr;
    TwbDictNode* node = m_dict.Lookup(word);
    if (!node) {
        if (!create) return false;
        if (m_rawSize < 12) throw ETessick(fulltext::msgInvalidBlockSize);
        block = AllocBlock(m_rawSize);
        std::memset(block + 12, 0, std::size_t(m_rawSize - 12));
        fulltext::WriteInt32(block + 4, 0);
        fulltext::SetBlockStamp(block, m_access);
        touchRaw(m_dict.AddAfterMiss(word.toString(), asData(block)));
        ++m_additions;
        return false;
    }
    ++m_hits;
    fulltext::Block current = asBlock(node->Data);
    if (!current) return true;  // an omitted word
    const std::int32_t stamp = fulltext::BlockStamp(current);
    if (std::abs(stamp) > newestStamp) return true;  // already handled for this record
    const bool dirty = stamp < 0;
    if (node->Collecting) {
        collectingToRaw(node);
        current = asBlock(node->Data);
    }
    // The form is told by the block's count field (negative for a compressed set), never by
    // its size alone: a compressed set can take exactly the raw size.
    if (!fulltext::IsCompressedBlock(current) && fulltext::BlockSize(current) == m_rawSize) {
        block = current;
    } else {
        // A compressed set, or a raw one of another run's size: a fresh raw block takes its
        // place; the caller expands the old one into it and frees the old one.
        block = AllocBlock(m_rawSize);
        std::memset(block + 12, 0, std::size_t(m_rawSize - 12));
        fulltext::WriteInt32(block + 4, 0);
        node->Data = asData(block);
        oldBlock = current;
    }
    fulltext::SetBlockStamp(block, dirty ? -m_access : m_access);
    touchRaw(node);
    return true;
}

void TtsCustomCache::AddEntry(const QString& word, fulltext::Block block) {
    ++m_access;
    if (block) fulltext::SetBlockStamp(block, m_access);
    TwbDictNode* node = m_dict.AddWord(word, asData(block));
    if (block && !fulltext::IsCompressedBlock(block)) touchRaw(node);
    ++m_additions;
}

void TtsCustomCache::RemoveWord(QStringView word) {
    if (!m_dict.Lookup(word)) return;
    m_dict.RemoveEntry(word);
    ++m_removals;
}

void TtsCustomCache::Iterate(bool freeBlocks, bool reset, const TVisitor& visitor) {
    if (visitor) {
        bool changed = false;
        m_dict.VisitNodes([&](TwbDictNode& node, bool& remove) {
            if (node.Collecting) finishCollecting(&node);
            fulltext::CxData& data = node.Data;
            fulltext::Block b = asBlock(data);
            visitor(node.Name, b, remove);
            if (remove) ++m_removals;
            else if (asData(b) != data) changed = true;
            data = asData(b);
        });
        if (changed && !freeBlocks && !reset) relinkRawSets();
    }
    if (freeBlocks) {
        m_dict.VisitNodes([&](TwbDictNode& node, bool&) {
            if (node.Data) FreeBlock(asBlock(node.Data));
            node.Data = 0;
            node.Collecting = false;
        });
    }
    if (reset) {
        releaseFreeLists();
        m_dict.Clear();
        m_access = m_threshold = m_flushMark = 0;
        m_hits = m_additions = m_removals = 0;
    }
}

void TtsCustomCache::relinkRawSets() {
    std::vector<std::pair<std::int32_t, TwbDictNode*>> raw;
    m_dict.ForEach([&](const TCxDictNode& n) {
        auto* node = static_cast<TwbDictNode*>(const_cast<TCxDictNode*>(&n));
        node->UnlinkFromList();
        const fulltext::Block b = asBlock(n.Data);
        if (b && node->Collecting) node->LinkLast(m_collectingSets);
        else if (b && !fulltext::IsCompressedBlock(b)) raw.push_back({std::abs(fulltext::BlockStamp(b)), node});
        return true;
    });
    std::stable_sort(raw.begin(), raw.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& r : raw) r.second->LinkLast(m_rawSets);
}

void TtsCustomCache::CheckMemory(TtsEngine* engine) {
    // While a build collects, its sets grow through a row of block sizes, and the blocks they
    // leave behind pile up on the free lists, where only a set of the same size takes them
    // again (at 290,000 records more than the sets themselves). Once the lists hold more
    // than a quarter of the bytes in use they go back to the heap, which serves every size.
    if (m_freeBytes > kFreeListSlack && m_freeBytes * 4 > m_bytesInUse && engine &&
        engine->States().Contains(TEngineState::esCollect))
        releaseFreeLists();
    if (m_memoryLimitBytes <= 0 || m_bytesInUse <= m_memoryLimitBytes || !engine) return;
    m_threshold += (m_access - m_threshold) / 2;

    // The raw sets used longest ago are compressed.
    TtsBaseBits* bits = engine->Bits();
    if (engine->BufferSize() < bits->CompressedMax()) engine->SetBufferSize(bits->CompressedMax());
    const qint64 before = m_bytesInUse;
    // The raw-set list is in order of last use: its front holds every raw set used at or
    // before the threshold.
    int previousStamp = 0;
    for (fulltext::EntryListLink* link = m_rawSets.NextInList(); link != &m_rawSets;) {
        auto* node = static_cast<TwbDictNode*>(link);
        link = link->NextInList();
        fulltext::Block b = asBlock(node->Data);
        if (!b || node->Collecting || fulltext::IsCompressedBlock(b)) {
            node->UnlinkFromList();  // compressed, dropped or collecting since
            continue;
        }
        const int stamp = std::abs(fulltext::BlockStamp(b));
        // Out of order, the pass could stop before sets it should compress: only memory
        // would be kept longer, so a release build goes on.
        DOSSARA_ASSERT(stamp >= previousStamp, (void)0);
        previousStamp = stamp;
        if (stamp > m_threshold) break;
        if (fulltext::BlockSize(b) != bits->RawSize()) continue;  // a set of another run's size
        const int size = bits->Compress(b, engine->Buffer());
        fulltext::Block compressed = AllocBlock(size);
        std::memcpy(compressed, engine->Buffer(), std::size_t(size));
        FreeBlock(b);
        node->Data = asData(compressed);
        node->UnlinkFromList();
    }
    // Every collecting set used at or before the threshold: a list gives back its unused
    // room, a window is compressed when that is smaller. Sets used since go to the back of
    // the list; the pass ends where the first of them now stands.
    fulltext::EntryListLink* movedFirst = nullptr;
    for (fulltext::EntryListLink* link = m_collectingSets.NextInList(); link != &m_collectingSets && link != movedFirst;) {
        auto* node = static_cast<TwbDictNode*>(link);
        link = link->NextInList();
        fulltext::Block b = asBlock(node->Data);
        if (!b || !node->Collecting) {
            node->UnlinkFromList();  // finished or dropped since
            continue;
        }
        if (std::abs(fulltext::BlockStamp(b)) > m_threshold) {
            node->LinkLast(m_collectingSets);
            if (!movedFirst) movedFirst = node;
            continue;
        }
        node->UnlinkFromList();
        if (readField(b, kFormAt) == kWindow) {
            fillScratch(b);
            const int size = TtsBits::CompressSet(m_scratch, m_compressOut.data(), readField(b, kFirstAt),
                                                  readField(b, kLastAt));
            clearScratch(b);
            if (roundUp16(size) < fulltext::BlockSize(b)) {
                fulltext::Block compressed = AllocBlock(size);
                std::memcpy(compressed, m_compressOut.data(), std::size_t(size));
                fulltext::SetBlockStamp(compressed, fulltext::BlockStamp(b));
                FreeBlock(b);
                node->Data = asData(compressed);
                node->Collecting = false;
                continue;
            }
        }
        const int used = usedBytes(b);
        if (roundUp16(used) < fulltext::BlockSize(b)) node->Data = asData(moveCollecting(b, roundUp16(used)));
    }
    const qint64 freed = before - m_bytesInUse;

    if (engine->States().Contains(TEngineState::esCollect)) {
        // While an index build collects, nothing is written: when compressing freed less than
        // 1,000,000 bytes the limit grows instead, by 1,000,000 bytes or, once that is less, by
        // a quarter of itself. Growing geometrically keeps the number of checks (each one
        // compressing every set not used since the threshold) logarithmic in the memory a
        // build needs, and a quarter keeps the limit within a quarter above what fixed steps
        // would reach (growing by the whole limit could double the peak of a large build).
        if (freed < 1000000) m_memoryLimitBytes += std::max<qint64>(1000000, m_memoryLimitBytes / 4);
        return;
    }
    if (double(m_threshold - m_flushMark) > double(m_access - m_flushMark) * kFlushPercent &&
        qobject_cast<TtsReadEngine*>(engine)) {
        m_flushMark = int(std::lround((1.0 - kFlushPercent) * double(m_access - m_flushMark) + m_flushMark));
        engine->FlushOld();
    }
}

// ---------------------------------------------------------------------------------------
// Collecting sets

void TtsBaseCache::CollectMember(QStringView word, int newestStamp, int bit, TtsEngine* engine) {
    fulltext::Block old = nullptr;
    fulltext::Block block = nullptr;
    Lookup(word, old, true, newestStamp, block);
    if (!block) return;  // omitted, or already handled for this record
    engine->Bits()->UpdateBit(old ? old : block, block, true, bit);
    if (old && old != block) FreeBlock(old);
    CheckMemory(engine);
}

void TtsCustomCache::sizeScratch(int setBits) {
    if (m_scratch.MaxBits() == setBits - 1) return;
    m_scratch.Resize(setBits - 1);
    m_scratch.ClearAllBits();
    m_compressOut.assign(std::size_t(m_scratch.ByteCount()) + 24, 0);
}

void TtsCustomCache::CollectMember(QStringView word, int newestStamp, int bit, TtsEngine* engine) {
    const int setBits = engine->Bits()->Size();
    if (bit < 0 || bit >= setBits) throw ETessick(fulltext::msgInvalidParameter);
    if (m_scratch.MaxBits() != setBits - 1) sizeScratch(setBits);
    ++m_access;
    TwbDictNode* node = m_dict.Lookup(word);
    if (!node) {
        if (m_rawSize < 12) throw ETessick(fulltext::msgInvalidBlockSize);
        fulltext::Block block = newCollecting(bit);
        fulltext::SetBlockStamp(block, m_access);
        node = m_dict.AddAfterMiss(word.toString(), asData(block));
        node->Collecting = true;
        node->CollectedStamp = m_access;
        node->LinkLast(m_collectingSets);
        ++m_additions;
        CheckMemory(engine);
        return;
    }
    ++m_hits;
    // A word met again in the same record is told by the node alone, without reading its set.
    if (node->Collecting && node->CollectedStamp > newestStamp) return;
    fulltext::Block current = asBlock(node->Data);
    if (!current) return;  // an omitted word
    const std::int32_t stamp = fulltext::BlockStamp(current);
    if (std::abs(stamp) > newestStamp) return;  // already handled for this record
    node->CollectedStamp = m_access;
    if (node->Collecting) {
        addToCollecting(node, bit);
        if (!node->IsLinked()) node->LinkLast(m_collectingSets);
    } else {
        startCollecting(node);
        if (node->Collecting) {
            addToCollecting(node, bit);
        } else {
            // The set was empty: it starts again with this record.
            node->Data = asData(newCollecting(bit));
            node->Collecting = true;
        }
        node->LinkLast(m_collectingSets);  // off the raw-set list
    }
    fulltext::SetBlockStamp(asBlock(node->Data), stamp < 0 ? -m_access : m_access);
    CheckMemory(engine);
}

int TtsCustomCache::collectingRoom(int needed, int most) {
    // 32, 48, 64, 96, 128, 192, 256, 384, ...
    int room = 32;
    while (room < needed) room = (room & (room - 1)) ? (room / 3) * 4 : room + room / 2;
    const int cap = roundUp16(most);
    return room > cap && cap >= needed ? cap : room;
}

fulltext::Block TtsCustomCache::newCollecting(int bit) {
    fulltext::Block b = AllocBlock(32);
    fulltext::WriteInt32(b + 4, 1);
    writeField(b, kFormAt, kList);
    writeField(b, kFirstAt, bit);
    writeField(b, kLastAt, bit);
    writeField(b, kListUsedAt, 0);
    return b;
}

fulltext::Block TtsCustomCache::moveCollecting(fulltext::Block from, int room) {
    fulltext::Block to = AllocBlock(room);
    std::memcpy(to, from, std::size_t(std::min(usedBytes(from), room)));
    fulltext::WriteInt32(to + 8, room);
    FreeBlock(from);
    return to;
}

void TtsCustomCache::addToCollecting(TwbDictNode* node, int bit) {
    fulltext::Block b = asBlock(node->Data);
    const int first = readField(b, kFirstAt);
    const int last = readField(b, kLastAt);
    const int byteCount = m_scratch.ByteCount();
    if (isList(b)) {
        if (bit == first || bit == last) return;
        // A one-member list goes either way; a longer one only on in its direction.
        const bool single = fulltext::ReadInt32(b + 4) == 1;
        const int form = readField(b, kFormAt);
        const bool up = bit > last && (single || form == kList);
        const bool down = bit < first && (single || form == kListDown);
        if (!up && !down) {
            // A record inside the list's range, or against its direction: a window takes any.
            listToWindow(node);
            addToCollecting(node, bit);
            return;
        }
        const std::uint32_t gap = std::uint32_t(up ? bit - last : first - bit);
        const int used = readField(b, kListUsedAt);
        const int grown = used + gapLength(gap);
        if (grown > windowLength(std::min(first, bit), std::max(last, bit))) {
            listToWindow(node);
            addToCollecting(node, bit);
            return;
        }
        if (kPayloadAt + grown > fulltext::BlockSize(b)) {
            b = moveCollecting(b, collectingRoom(kPayloadAt + grown, kPayloadAt + byteCount + 8));
            node->Data = asData(b);
        }
        writeGap(b + kPayloadAt + used, gap);
        writeField(b, kListUsedAt, grown);
        writeField(b, up ? kLastAt : kFirstAt, bit);
        writeField(b, kFormAt, up ? kList : kListDown);
        fulltext::WriteInt32(b + 4, fulltext::ReadInt32(b + 4) + 1);
        return;
    }
    int start = readField(b, kWindowStartAt);
    if (bit > last || (bit >> 3) < start) {
        const int length = windowBytes(b);
        // Room in front grows at least by the window's length, so that records read in
        // descending order move the bytes a few times only.
        const int newStart = (bit >> 3) < start ? std::max(0, std::min(bit >> 3, start - length)) : start;
        const int shift = start - newStart;
        const int newLength = (std::max(last, bit) >> 3) - newStart + 1;
        if (kPayloadAt + newLength > fulltext::BlockSize(b)) {
            b = moveCollecting(b, collectingRoom(kPayloadAt + newLength, kPayloadAt + byteCount));
            node->Data = asData(b);
        }
        std::uint8_t* payload = b + kPayloadAt;
        if (shift > 0) {
            std::memmove(payload + shift, payload, std::size_t(length));
            std::memset(payload, 0, std::size_t(shift));
        }
        if (newLength > length + shift) std::memset(payload + length + shift, 0, std::size_t(newLength - length - shift));
        writeField(b, kWindowStartAt, newStart);
        start = newStart;
    }
    std::uint8_t& byte = b[kPayloadAt + (bit >> 3) - start];
    const std::uint8_t mask = std::uint8_t(1u << (bit & 7));
    if (byte & mask) return;
    byte |= mask;
    if (bit < first) writeField(b, kFirstAt, bit);
    if (bit > last) writeField(b, kLastAt, bit);
    fulltext::WriteInt32(b + 4, fulltext::ReadInt32(b + 4) + 1);
}

void TtsCustomCache::listToWindow(TwbDictNode* node) {
    fulltext::Block list = asBlock(node->Data);
    const int first = readField(list, kFirstAt);
    const int last = readField(list, kLastAt);
    const int length = windowLength(first, last);
    // Room to grow as later records come.
    fulltext::Block b = AllocBlock(collectingRoom(kPayloadAt + length + length / 2, kPayloadAt + m_scratch.ByteCount()));
    std::memcpy(b, list, 8);  // stamp and count
    writeField(b, kFormAt, kWindow);
    writeField(b, kFirstAt, first);
    writeField(b, kLastAt, last);
    writeField(b, kWindowStartAt, first >> 3);
    std::uint8_t* payload = b + kPayloadAt;
    std::memset(payload, 0, std::size_t(length));
    const int firstByte = first >> 3;
    forEachListed(list, [&](int m) { payload[(m >> 3) - firstByte] |= std::uint8_t(1u << (m & 7)); });
    FreeBlock(list);
    node->Data = asData(b);
}

void TtsCustomCache::startCollecting(TwbDictNode* node) {
    fulltext::Block old = asBlock(node->Data);
    int first = 0;
    int last = 0;
    if (fulltext::IsCompressedBlock(old)) {
        TtsBits::ExpandStored(old + 4, fulltext::BlockSize(old) - 4, m_scratch);
        first = fulltext::ReadInt32(old + 12);
        last = fulltext::ReadInt32(old + 16);
    } else {
        const int n = std::min(fulltext::BlockSize(old) - 12, m_scratch.ByteCount());
        if (n < 0) throw ETessick(fulltext::msgInvalidBlockSize);
        std::memcpy(m_scratch.Bytes(), old + 12, std::size_t(n));
        m_scratch.Recount();
        first = m_scratch.FirstMember();
        last = m_scratch.LastMember();
    }
    const int n = m_scratch.Count();
    if (n == 0) {
        m_scratch.ClearAllBits();
        FreeBlock(old);
        node->Data = 0;
        node->Collecting = false;
        return;
    }
    // A list when its gaps take no more room than the window.
    const int length = windowLength(first, last);
    int listBytes = 0;
    for (int m = first, next; listBytes <= length && (next = m_scratch.NextSetBit(m)) >= 0; m = next)
        listBytes += gapLength(std::uint32_t(next - m));
    fulltext::Block b;
    if (listBytes <= length) {
        b = AllocBlock(collectingRoom(kPayloadAt + listBytes + 8, kPayloadAt + m_scratch.ByteCount() + 8));
        writeField(b, kFormAt, kList);
        writeField(b, kListUsedAt, listBytes);
        std::uint8_t* p = b + kPayloadAt;
        for (int m = first, next; (next = m_scratch.NextSetBit(m)) >= 0; m = next) p = writeGap(p, std::uint32_t(next - m));
    } else {
        b = AllocBlock(collectingRoom(kPayloadAt + length + length / 4, kPayloadAt + m_scratch.ByteCount()));
        writeField(b, kFormAt, kWindow);
        writeField(b, kWindowStartAt, first >> 3);
        std::memcpy(b + kPayloadAt, m_scratch.Bytes() + (first >> 3), std::size_t(length));
    }
    std::memset(m_scratch.Bytes() + (first >> 3), 0, std::size_t(length));
    m_scratch.SetKnownCount(0);
    fulltext::SetBlockStamp(b, fulltext::BlockStamp(old));
    fulltext::WriteInt32(b + 4, n);
    writeField(b, kFirstAt, first);
    writeField(b, kLastAt, last);
    FreeBlock(old);
    node->Data = asData(b);
    node->Collecting = true;
}

void TtsCustomCache::fillScratch(const std::uint8_t* b) {
    std::uint8_t* bytes = m_scratch.Bytes();
    if (isList(b))
        forEachListed(b, [&](int m) { bytes[m >> 3] |= std::uint8_t(1u << (m & 7)); });
    else
        std::memcpy(bytes + readField(b, kWindowStartAt), b + kPayloadAt, std::size_t(windowBytes(b)));
    m_scratch.SetKnownCount(fulltext::ReadInt32(b + 4));
}

void TtsCustomCache::clearScratch(const std::uint8_t* b) {
    std::uint8_t* bytes = m_scratch.Bytes();
    if (isList(b))
        forEachListed(b, [&](int m) { bytes[m >> 3] = 0; });
    else
        std::memset(bytes + readField(b, kWindowStartAt), 0, std::size_t(windowBytes(b)));
    m_scratch.SetKnownCount(0);
}

void TtsCustomCache::finishCollecting(TwbDictNode* node) {
    fulltext::Block b = asBlock(node->Data);
    const int n = fulltext::ReadInt32(b + 4);
    const int first = readField(b, kFirstAt);
    const int last = readField(b, kLastAt);
    fulltext::Block compressed;
    if (isList(b) && (n <= 2 || (n == 3 && m_scratch.ByteCount() >= 4))) {
        // Most words of a build have one to three records: their compressed block (method 1,
        // as TtsBits::CompressSet writes it) is written straight from the list.
        compressed = AllocBlock(n == 3 ? 28 : 24);
        fulltext::WriteInt32(compressed + 4, -n);
        writeField(compressed, 12, first);
        writeField(compressed, 16, last);
        writeField(compressed, 20, 1);
        if (n == 3) {
            int members = 0;
            forEachListed(b, [&](int m) {
                if (++members == 2) writeField(compressed, 24, m);
            });
        }
    } else {
        fillScratch(b);
        const int size = TtsBits::CompressSet(m_scratch, m_compressOut.data(), first, last);
        clearScratch(b);
        compressed = AllocBlock(size);
        std::memcpy(compressed, m_compressOut.data(), std::size_t(size));
    }
    fulltext::SetBlockStamp(compressed, fulltext::BlockStamp(b));
    FreeBlock(b);
    node->Data = asData(compressed);
    node->Collecting = false;
}

void TtsCustomCache::collectingToRaw(TwbDictNode* node) {
    fulltext::Block b = asBlock(node->Data);
    fulltext::Block raw = AllocBlock(m_rawSize);
    std::memset(raw + 12, 0, std::size_t(m_rawSize - 12));
    std::uint8_t* bytes = raw + 12;
    if (isList(b))
        forEachListed(b, [&](int m) { bytes[m >> 3] |= std::uint8_t(1u << (m & 7)); });
    else
        std::memcpy(bytes + readField(b, kWindowStartAt), b + kPayloadAt, std::size_t(windowBytes(b)));
    fulltext::WriteInt32(raw + 4, fulltext::ReadInt32(b + 4));
    fulltext::SetBlockStamp(raw, fulltext::BlockStamp(b));
    FreeBlock(b);
    node->Data = asData(raw);
    node->Collecting = false;
}

fulltext::CacheStatistics TtsCustomCache::Statistics() const {
    fulltext::CacheStatistics s;
    s.thresholdStamp = m_threshold;
    s.bytesInUse = int(std::min<qint64>(m_bytesInUse, INT_MAX));
    s.accessCounter = m_access;
    s.freeListBytes = int(std::min<qint64>(m_freeBytes, INT_MAX));
    s.flushMark = m_flushMark;
    m_dict.ForEach([&](const TCxDictNode& n) {
        const fulltext::Block b = asBlock(n.Data);
        if (!b) {
            ++s.entriesWithoutSet;
            return true;
        }
        if (fulltext::IsCompressedBlock(b)) ++s.compressedEntries;
        else ++s.rawEntries;
        if (fulltext::IsDirty(b)) ++s.dirtyEntries;
        return true;
    });
    return s;
}

void TtsCustomCache::StateEntered(TtsBase* sender, TEngineState state) {
    TtsBaseCache::StateEntered(sender, state);
    auto* engine = qobject_cast<TtsEngine*>(sender);
    if (engine && engine->Bits() &&
        (state == TEngineState::esMake || state == TEngineState::esUpdate || state == TEngineState::esSearch))
        m_rawSize = engine->Bits()->RawSize();
    if (state == TEngineState::esMake) {
        // A build meets every word of the records (and with word pairs every pair, ten times
        // as many keys): the slot count keeps growing with them, so that a look-up walks a
        // few nodes, not a chain of ten or more cache misses.
        m_dict.MaxHashSize = kBuildMaxSlots;
        m_dict.OddGrowth = true;
        m_dict.Resize(10000);
    } else if (state == TEngineState::esUpdate) {
        m_dict.MaxHashSize = 50000;
        m_dict.OddGrowth = false;
        m_dict.Resize(5000);
    }
}

void TtsCustomCache::StateLeft(TtsBase* sender, TEngineState state) {
    TtsBaseCache::StateLeft(sender, state);
    if (state == TEngineState::esCollect && m_altMemMgr) releaseFreeLists();
}
