#include "fulltext/ts_cache.h"

#include "fulltext/cx_container.h"
#include "fulltext/cx_strings.h"
#include "fulltext/ts_engine.h"
#include "fulltext/ts_errors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
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
    std::uint32_t h = 0;
    for (QChar c : word) {
        h = (h << 4) + c.unicode();
        const std::uint32_t g = h & 0xF0000000u;
        if (g) h ^= g >> 24;
        h &= ~g;
    }
    return slotCount == 0 ? 0 : h % slotCount;
}

int TwbDictionary::Equal(QStringView a, QStringView b) const {
    if (m_codePageCompare) return QString::localeAwareCompare(a, b);
    return a.compare(b, Qt::CaseSensitive);
}

std::unique_ptr<TCxDictNode> TwbDictionary::MakeNode(const QString& name, fulltext::CxData data) {
    return std::make_unique<TwbDictNode>(name, data);
}

TwbDictNode* TwbDictionary::Lookup(QStringView word) {
    m_missSlot = SlotOf(word);
    TCxDictNode* previous = nullptr;
    TCxDictNode* node = nullptr;
    if (m_codePageCompare) {
        node = FindInSlot(word, m_missSlot, previous);
    } else {
        // The common case without a virtual call per node.
        for (TCxDictNode* n = m_slots[m_missSlot].get(); n; n = n->Next.get()) {
            if (n->Name == word) {
                node = n;
                break;
            }
            previous = n;
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
    const qint64 grown = std::min<qint64>(slotCount * GrowthFactor / 100, MaxHashSize);
    if (grown > slotCount) Resize(int(grown));
}

void TwbDictionary::VisitAll(const TVisitProc& visit) {
    for (std::uint32_t slot = 0; slot < m_slots.size(); ++slot) {
        TCxDictNode* previous = nullptr;
        TCxDictNode* node = m_slots[slot].get();
        while (node) {
            bool remove = false;
            visit(node->Name, node->Data, remove);
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
        } else {
            for (Chain& c : m_chains) {
                if (c.size != rounded || !c.head) continue;
                block = c.head;
                c.head = nextOf(block);
                --c.length;
                break;
            }
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
        std::size_t at = 0;
        while (at < m_chains.size() && m_chains[at].size != rounded) ++at;
        if (at == m_chains.size()) m_chains.push_back(Chain{rounded, nullptr, 0});
        Chain& c = m_chains[at];
        setNext(block, c.head);
        c.head = block;
        ++c.length;
        // Found beyond the sixth place: the longest chains move to the front again.
        if (at > 5)
            std::stable_sort(m_chains.begin(), m_chains.end(), [](const Chain& a, const Chain& b) { return a.length > b.length; });
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
    if (fulltext::BlockSize(current) == m_rawSize) {
        block = current;
    } else {
        // A compressed set: a fresh raw block takes its place; the caller expands the old
        // one into it and frees the old one.
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
        m_dict.VisitAll([&](const QString& word, fulltext::CxData& data, bool& remove) {
            fulltext::Block b = asBlock(data);
            visitor(word, b, remove);
            if (remove) ++m_removals;
            else if (asData(b) != data) changed = true;
            data = asData(b);
        });
        if (changed && !freeBlocks && !reset) relinkRawSets();
    }
    if (freeBlocks) {
        m_dict.VisitAll([&](const QString&, fulltext::CxData& data, bool&) {
            if (data) FreeBlock(asBlock(data));
            data = 0;
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
        node->UnlinkRaw();
        const fulltext::Block b = asBlock(n.Data);
        if (b && !fulltext::IsCompressedBlock(b)) raw.push_back({std::abs(fulltext::BlockStamp(b)), node});
        return true;
    });
    std::stable_sort(raw.begin(), raw.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& r : raw) r.second->LinkLast(m_rawSets);
}

void TtsCustomCache::CheckMemory(TtsEngine* engine) {
    if (m_memoryLimitBytes <= 0 || m_bytesInUse <= m_memoryLimitBytes || !engine) return;
    m_threshold += (m_access - m_threshold) / 2;

    // The raw sets used longest ago are compressed.
    TtsBaseBits* bits = engine->Bits();
    if (engine->BufferSize() < bits->CompressedMax()) engine->SetBufferSize(bits->CompressedMax());
    const qint64 before = m_bytesInUse;
    // The raw-set list is in order of last use: its front holds every raw set used at or
    // before the threshold.
    for (fulltext::RawSetLink* link = m_rawSets.NextRaw(); link != &m_rawSets;) {
        auto* node = static_cast<TwbDictNode*>(link);
        link = link->NextRaw();
        fulltext::Block b = asBlock(node->Data);
        if (!b || fulltext::IsCompressedBlock(b)) {
            node->UnlinkRaw();  // compressed or dropped since
            continue;
        }
        if (std::abs(fulltext::BlockStamp(b)) > m_threshold) break;
        if (fulltext::BlockSize(b) != bits->RawSize()) continue;  // a set of another run's size
        const int size = bits->Compress(b, engine->Buffer());
        fulltext::Block compressed = AllocBlock(size);
        std::memcpy(compressed, engine->Buffer(), std::size_t(size));
        FreeBlock(b);
        node->Data = asData(compressed);
        node->UnlinkRaw();
    }
    const qint64 freed = before - m_bytesInUse;

    if (engine->States().Contains(TEngineState::esCollect)) {
        // While an index build collects, nothing is written: when compressing freed less than
        // 1,000,000 bytes the limit grows instead, by 1,000,000 bytes or, once it is larger,
        // by itself. Growing geometrically keeps the number of checks (each one compressing
        // every set not used since the threshold) logarithmic in the memory a build needs,
        // at the price of at most twice the limit growing by fixed steps would reach.
        if (freed < 1000000) m_memoryLimitBytes += std::max<qint64>(1000000, m_memoryLimitBytes);
        return;
    }
    if (double(m_threshold - m_flushMark) > double(m_access - m_flushMark) * kFlushPercent &&
        qobject_cast<TtsReadEngine*>(engine)) {
        m_flushMark = int(std::lround((1.0 - kFlushPercent) * double(m_access - m_flushMark) + m_flushMark));
        engine->FlushOld();
    }
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
        m_dict.MaxHashSize = 50000;
        m_dict.Resize(10000);
    } else if (state == TEngineState::esUpdate) {
        m_dict.MaxHashSize = 50000;
        m_dict.Resize(5000);
    }
}

void TtsCustomCache::StateLeft(TtsBase* sender, TEngineState state) {
    TtsBaseCache::StateLeft(sender, state);
    if (state == TEngineState::esCollect && m_altMemMgr) releaseFreeLists();
}
