#include "fulltext/ts_bits.h"

#include "fulltext/cx_container.h"
#include "fulltext/cx_pack.h"
#include "fulltext/ts_engine.h"
#include "fulltext/errors.h"
#include "fulltext/ts_links.h"
#include "platform/base/scope_exit.h"

#include "platform/base/assert.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

namespace {

void registerClasses() {
    static const bool done = [] {
        fulltext::RegisterCxClass(QStringLiteral("TwbBits"), QStringLiteral("TCxBits"));
        return true;
    }();
    (void)done;
}

std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return qFromLittleEndian(v);
}

/// Calls f(member) for every member of `bytes` (byteCount bytes) in ascending order, from
/// bit `from` on; stops early when f answers false.
template <typename F>
void forEachMember(const std::uint8_t* bytes, int byteCount, int from, F f) {
    int i = (from >> 3) & ~7;
    for (; i + 8 <= byteCount; i += 8) {
        std::uint64_t w = load64(bytes + i);
        while (w) {
            const int bit = i * 8 + __builtin_ctzll(w);
            w &= w - 1;
            if (bit >= from && !f(bit)) return;
        }
    }
    for (; i < byteCount; ++i) {
        unsigned b = bytes[i];
        while (b) {
            const int bit = i * 8 + __builtin_ctz(b);
            b &= b - 1;
            if (bit >= from && !f(bit)) return;
        }
    }
}

[[noreturn]] void damaged() {
    throw ETessick(fulltext::msgInconsistentBlobSize);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TwbBits

TwbBits::TwbBits(int maxBits) : TCxBits(maxBits) {
    registerClasses();
}

TwbBits::~TwbBits() = default;

void TwbBits::Borrow(fulltext::Block raw) {
    Restore();
    if (!raw || fulltext::BlockSize(raw) != RawSize() || fulltext::BlockCountField(raw) < 0)
        throw ETessick(fulltext::msgInvalidBlockSize);
    m_ownCount = m_count;
    m_borrowed = raw;
    SetStorage(raw + 12, m_own.size(), m_maxBits, fulltext::BlockCountField(raw));
}

void TwbBits::Restore() {
    if (!m_borrowed) return;
    m_borrowed = nullptr;
    SetStorage(m_own.data(), m_own.size(), m_maxBits, m_ownCount);
}

void TwbBits::Resize(int maxBits) {
    Restore();
    TCxBits::Resize(maxBits);
}

int TwbBits::FirstMember() const {
    const int n = ByteCount();
    int i = 0;
    // Zero stretches are skipped 32 bytes at a time, then 8.
    while (i + 32 <= n && (load64(m_bytes + i) | load64(m_bytes + i + 8) | load64(m_bytes + i + 16) |
                           load64(m_bytes + i + 24)) == 0)
        i += 32;
    for (; i + 8 <= n; i += 8)
        if (const std::uint64_t w = load64(m_bytes + i)) return i * 8 + __builtin_ctzll(w);
    for (; i < n; ++i)
        if (m_bytes[i]) return i * 8 + __builtin_ctz(m_bytes[i]);
    return -1;
}

int TwbBits::LastMember() const {
    int i = ByteCount();
    while (i >= 32 && (load64(m_bytes + i - 32) | load64(m_bytes + i - 24) | load64(m_bytes + i - 16) |
                       load64(m_bytes + i - 8)) == 0)
        i -= 32;
    for (; i >= 8; i -= 8)
        if (const std::uint64_t w = load64(m_bytes + i - 8)) return (i - 8) * 8 + 63 - __builtin_clzll(w);
    for (; i > 0; --i)
        if (m_bytes[i - 1]) return (i - 1) * 8 + 31 - __builtin_clz(m_bytes[i - 1]);
    return -1;
}

// ---------------------------------------------------------------------------------------
// Compression
//
// Choosing the form of a set of n members (first = lowest, last = highest, k = bytes from
// the byte of first to the byte of last, B = the set's byte count):
//  1. n <= 2: method 1 (24 bytes).
//  2. n = 3: method 4 when B < 4, else method 1 with the middle member (28 bytes).
//  3. n >= 4: start with method 4 (k + 24). For n <= 256: when last - first - n > 65534,
//     method 2 (4n + 16) when smaller; otherwise, unless B + 12 < 2n + 22 (then neither list
//     method), method 3 (2n + 22) when smaller. Then the estimate of method 5,
//     (last - first) div 4 div 127 + 24, plus n when n < k or 8k - n when 7k < n, wins
//     when smaller.
//  4. Writing: method 2 becomes method 3 when (n - 1) * 6 < B and every gap fits 16 bits;
//     method 3 becomes method 4 when a gap does not fit. Method 5 becomes method 4 when
//     packing gives up; after packing, method 3 replaces it when it was a candidate, its
//     gaps fit and it is smaller; else method 2 when it was a candidate and smaller; else,
//     for n < 256, method 3 when its gaps fit, its payload (2n - 2) is smaller than the
//     packed one and both fit the largest block together.

int TtsBits::CompressSet(const TwbBits& set, std::uint8_t* out) {
    const int n = set.Count();
    return CompressSet(set, out, n > 0 ? set.FirstMember() : 0, n > 0 ? set.LastMember() : 0);
}

int TtsBits::CompressSet(const TwbBits& set, std::uint8_t* out, int first, int last) {
    using fulltext::WriteInt32;
    const int n = set.Count();
    const int byteCount = set.ByteCount();
    const std::uint8_t* bytes = set.Bytes();
    if (n <= 0) first = last = 0;
    DOSSARA_ASSERT(n <= 0 || (0 <= first && first <= last && last <= set.MaxBits() && set.IsBitSet(first) &&
                              set.IsBitSet(last)),
                   (first = set.FirstMember(), last = set.LastMember()));
    WriteInt32(out + 4, -n);
    WriteInt32(out + 12, first);
    WriteInt32(out + 16, last);
    std::uint8_t* payload = out + 24;
    auto finish = [&](int method, int size) {
        WriteInt32(out + 20, method);
        WriteInt32(out + 8, size);
        return size;
    };
    if (n <= 2) return finish(1, 24);

    const int byteFirst = first >> 3;
    const int k = (last >> 3) - byteFirst + 1;
    auto writeBytes = [&] {
        std::memcpy(payload, bytes + byteFirst, std::size_t(k));
        return finish(4, 24 + k);
    };
    if (n == 3) {
        if (byteCount < 4) return writeBytes();
        int middle = first;
        forEachMember(bytes, byteCount, first + 1, [&](int m) {
            middle = m;
            return false;
        });
        WriteInt32(payload, middle);
        return finish(1, 28);
    }

    // Gaps between successive members, for n <= 256 (the only sizes that may use them).
    std::array<std::uint32_t, 256> gaps{};
    bool gapsFit = false;
    auto collectGaps = [&] {
        if (n > 256) return false;
        int previous = -1;
        int i = 0;
        bool fit = true;
        forEachMember(bytes, (last >> 3) + 1, first, [&](int m) {  // no member lies beyond last
            if (previous >= 0) {
                const std::uint32_t gap = std::uint32_t(m - previous);
                if (gap > 65535) fit = false;
                gaps[std::size_t(i++)] = gap;
            }
            previous = m;
            return true;
        });
        return fit;
    };
    auto writeGaps = [&] {
        for (int i = 0; i < n - 1; ++i) qToLittleEndian<quint16>(quint16(gaps[std::size_t(i)]), payload + 2 * i);
        return finish(3, 2 * n + 22);
    };
    auto writeMembers = [&] {
        if (qint64(n - 1) * 6 < byteCount && collectGaps()) return writeGaps();
        int i = 0;
        forEachMember(bytes, byteCount, first + 1, [&](int m) {
            if (m >= last) return false;
            WriteInt32(payload + 4 * i++, m);
            return true;
        });
        return finish(2, 4 * n + 16);
    };

    int method = 4;
    qint64 size = qint64(k) + 24;
    bool listCandidate2 = false;
    bool listCandidate3 = false;
    if (n <= 256) {
        if (qint64(last) - first - n > 65534) {
            listCandidate2 = true;
            if (4 * n + 16 < size) {
                method = 2;
                size = 4 * n + 16;
            }
        } else if (!(qint64(byteCount) + 12 < 2 * n + 22)) {
            listCandidate3 = true;
            if (2 * n + 22 < size) {
                method = 3;
                size = 2 * n + 22;
            }
        }
    }
    const qint64 estimate5 = (qint64(last) - first) / 4 / 127 + 24 +
                             (n < k ? n : (7 * qint64(k) < n ? 8 * qint64(k) - n : 0));
    if (estimate5 < size) method = 5;

    switch (method) {
    case 2:
        return writeMembers();
    case 3:
        return collectGaps() ? writeGaps() : writeBytes();
    case 4:
        return writeBytes();
    default:
        break;
    }
    const int packed = PackRuns(bytes + byteFirst, k, payload);
    if (packed < 0) return writeBytes();
    const int packedSize = 24 + packed;
    gapsFit = n <= 256 && collectGaps();
    if (listCandidate3 && gapsFit && 2 * n + 22 < packedSize) return writeGaps();
    if (listCandidate2 && 4 * n + 16 < packedSize) return writeMembers();
    if (n < 256 && gapsFit && 2 * n - 2 < packed && packed + 2 * n - 2 <= byteCount) return writeGaps();
    return finish(5, packedSize);
}

void TtsBits::ExpandStored(const std::uint8_t* stored, int length, TwbBits& target) {
    using fulltext::ReadInt32;
    if (!stored || length < 20) damaged();
    const std::int32_t countField = ReadInt32(stored);
    if (countField > 0 || ReadInt32(stored + 4) != qint64(length) + 4) damaged();
    const qint64 n = -qint64(countField);
    const std::int32_t first = ReadInt32(stored + 8);
    const std::int32_t last = ReadInt32(stored + 12);
    const std::int32_t method = ReadInt32(stored + 16);
    const std::uint8_t* payload = stored + 20;
    const int payloadLength = length - 20;
    if (n > 0 && (first < 0 || last < first || n > qint64(last) - first + 1)) damaged();
    if ((n == 1 && first != last) || (n >= 2 && first == last)) damaged();
    if (n > 0 && last > target.MaxBits()) throw ETessick(fulltext::msgDecompressBufferTooSmall);

    std::uint8_t* bytes = target.Bytes();
    const int byteCount = target.ByteCount();
    // Methods 1 to 3 list members: each must lie above the one before and not above last
    // (anything else is damage, found before a bit outside the set could be touched).
    auto setMembers = [&](auto&& addMiddle) {
        std::memset(bytes, 0, std::size_t(byteCount));
        qint64 previous = -1;
        auto put = [&](qint64 m) {
            if (m <= previous || m > last) {
                std::memset(bytes, 0, std::size_t(byteCount));
                damaged();
            }
            bytes[m >> 3] |= std::uint8_t(1u << (m & 7));
            previous = m;
        };
        if (n >= 1) put(first);
        addMiddle(put);
        if (n >= 2) put(last);
    };
    switch (method) {
    case 1:
        if (n > 3 || payloadLength != (n == 3 ? 4 : 0)) damaged();
        setMembers([&](auto& put) {
            if (n == 3) put(ReadInt32(payload));
        });
        break;
    case 2:
        if (n < 2 || payloadLength != 4 * (n - 2)) damaged();
        setMembers([&](auto& put) {
            for (qint64 i = 0; i < n - 2; ++i) put(ReadInt32(payload + 4 * i));
        });
        break;
    case 3: {
        if (n < 2 || payloadLength != 2 * (n - 1)) damaged();
        qint64 at = first;
        for (qint64 i = 0; i < n - 1; ++i) at += qFromLittleEndian<quint16>(payload + 2 * i);
        if (at != last) damaged();
        setMembers([&](auto& put) {
            qint64 m = first;
            for (qint64 i = 0; i < n - 2; ++i) {
                m += qFromLittleEndian<quint16>(payload + 2 * i);
                if (m >= last) {
                    std::memset(bytes, 0, std::size_t(byteCount));
                    damaged();
                }
                put(m);
            }
        });
        break;
    }
    case 4:
    case 5: {
        if (n < 1) damaged();
        const int byteFirst = first >> 3;
        const int k = (last >> 3) - byteFirst + 1;
        std::memset(bytes, 0, std::size_t(byteCount));
        if (method == 4) {
            if (payloadLength != k) damaged();
            std::memcpy(bytes + byteFirst, payload, std::size_t(k));
        } else if (UnpackRuns(payload, payloadLength, bytes + byteFirst, byteCount - byteFirst) != k) {
            std::memset(bytes, 0, std::size_t(byteCount));
            damaged();
        }
        bytes[byteFirst] &= std::uint8_t(0xFFu << (first & 7));
        bytes[last >> 3] &= std::uint8_t(0xFFu >> (7 - (last & 7)));
        const int count = TCxBits::CountBits(bytes + byteFirst, std::size_t(k));
        const bool ends = (bytes[byteFirst] >> (first & 7)) & 1 && (bytes[last >> 3] >> (last & 7)) & 1;
        if (count != n || !ends) {
            std::memset(bytes, 0, std::size_t(byteCount));
            damaged();
        }
        break;
    }
    default:
        damaged();
    }
    // Every member was placed once inside the set (checked above), so the count is n.
    target.SetKnownCount(int(n));
}

// ---------------------------------------------------------------------------------------
// TtsBits

TtsBits::TtsBits(QObject* owner) : TtsBaseBits(owner) {}

TtsBits::~TtsBits() {
    AnnounceRemoval();
}

void TtsBits::SetSize(int n) {
    m_main.Restore();
    if (n <= 0 || n == m_main.MaxBits() + 1) return;
    m_main.Resize(n - 1);
}

bool TtsBits::IsSet(int bit) const {
    return bit >= 0 && bit <= m_main.MaxBits() && m_main.IsBitSet(bit);
}

void TtsBits::borrowOrCopy(fulltext::Block raw) {
    if (fulltext::BlockSize(raw) == m_main.RawSize()) {
        m_main.Borrow(raw);
        return;
    }
    LoadRaw(raw);
}

void TtsBits::LoadRaw(fulltext::Block raw) {
    m_main.Restore();
    const int size = fulltext::BlockSize(raw);
    if (size < 12 || fulltext::BlockCountField(raw) < 0) throw ETessick(fulltext::msgInvalidBlockSize);
    const int rawBytes = size - 12;
    const int n = std::min(rawBytes, m_main.ByteCount());
    std::memcpy(m_main.Bytes(), raw + 12, std::size_t(n));
    std::memset(m_main.Bytes() + n, 0, std::size_t(m_main.ByteCount() - n));
    m_main.Recount();
}

int TtsBits::Compress(fulltext::Block raw, fulltext::Block out) {
    if (raw) borrowOrCopy(raw);
    int size = 0;
    {
        base::ScopeExit always([&] {
            m_main.Restore();
        });
        size = CompressSet(m_main, out);
    }
    fulltext::SetBlockStamp(out, raw ? fulltext::BlockStamp(raw) : 0);
    return size;
}

int TtsBits::ToRaw(fulltext::Block out) {
    const int size = m_main.RawSize();
    fulltext::WriteInt32(out + 4, m_main.Count());
    fulltext::WriteInt32(out + 8, size);
    std::memcpy(out + 12, m_main.Bytes(), std::size_t(m_main.ByteCount()));
    return size;
}

int TtsBits::UpdateBit(fulltext::Block source, fulltext::Block target, bool on, int bit) {
    if (bit < 0 || bit > m_main.MaxBits()) throw ETessick(fulltext::msgInvalidParameter);
    if (!target) throw ETessick(fulltext::msgInvalidBlockSize);
    std::vector<std::uint8_t> copy;
    if (source == target && fulltext::IsCompressedBlock(target)) {
        // The target holds a compressed set of the raw size: expand it from a copy and write
        // it back raw.
        const int size = fulltext::BlockSize(target);
        if (size != m_main.RawSize()) throw ETessick(fulltext::msgInvalidBlockSize);
        copy.assign(target, target + size);
        fulltext::WriteInt32(target + 4, 0);
        std::memset(target + 12, 0, std::size_t(m_main.ByteCount()));
        source = copy.data();
    }
    m_main.Borrow(target);
    {
        base::ScopeFail undo([&] {
            m_main.Restore();
        });
        if (!source) {
            m_main.ClearAllBits();
        } else if (fulltext::IsCompressedBlock(source)) {
            ExpandStored(source + 4, fulltext::BlockSize(source) - 4, m_main);
        } else if (source != target) {
            const int n = std::min(fulltext::BlockSize(source) - 12, m_main.ByteCount());
            if (n < 0) throw ETessick(fulltext::msgInvalidBlockSize);
            std::memcpy(m_main.Bytes(), source + 12, std::size_t(n));
            std::memset(m_main.Bytes() + n, 0, std::size_t(m_main.ByteCount() - n));
            m_main.Recount();
        }
        if (on) m_main.SetBitOn(bit);
        else m_main.SetBitOff(bit);
    }
    const int count = m_main.Count();
    fulltext::WriteInt32(target + 4, count);
    m_main.Restore();
    return count;
}

void TtsBits::ExpandInto(const std::uint8_t* stored, int length, int segment, int segmentSize) {
    m_main.Restore();
    if (segmentSize <= 0 || segmentSize == TtsEngine::kUnsegmented) {
        ExpandStored(stored, length, m_main);
        return;
    }
    const qint64 offset = qint64(segment) * segmentSize;
    if (segment < 0 || offset > m_main.MaxBits()) throw ETessick(fulltext::msgInvalidParameter);
    // One segment holds bits 0 .. segmentSize - 1; a member beyond it cannot be placed.
    if (!m_scratch || m_scratch->MaxBits() != segmentSize - 1) m_scratch = std::make_unique<TwbBits>(segmentSize - 1);
    ExpandStored(stored, length, *m_scratch);
    const int lastMember = m_scratch->LastMember();
    if (lastMember >= 0 && offset + lastMember > m_main.MaxBits()) throw ETessick(fulltext::msgDecompressBufferTooSmall);
    const int scratchCount = m_scratch->Count();
    if (scratchCount == 0) return;
    if (offset % 8 == 0) {
        const int at = int(offset / 8);
        const int n = std::min(m_scratch->ByteCount(), m_main.ByteCount() - at);
        std::uint8_t* into = m_main.Bytes() + at;
        const int before = TCxBits::CountBits(into, std::size_t(n));
        for (int i = 0; i < n; ++i) into[i] |= m_scratch->Bytes()[i];
        m_main.AddToCount(TCxBits::CountBits(into, std::size_t(n)) - before);
        return;
    }
    forEachMember(m_scratch->Bytes(), m_scratch->ByteCount(), 0, [&](int m) {
        m_main.SetBitOn(int(offset + m));
        return true;
    });
}

void TtsBits::StateEntered(TtsBase* sender, TEngineState state) {
    TtsBaseBits::StateEntered(sender, state);
    auto* engine = qobject_cast<TtsEngine*>(sender);
    if (!engine) return;
    if (state == TEngineState::esMake || state == TEngineState::esUpdate || state == TEngineState::esSearch) {
        engine->CheckAssigned(false, true, false);
        const qint64 range = qint64(engine->TextLink()->RecordRange()) + 1;
        qint64 size = state == TEngineState::esSearch ? range : std::min<qint64>(range, engine->SegmentSize());
        if (size > INT_MAX - 8) size = INT_MAX - 8;
        SetSize(int(size));
    }
}

void TtsBits::StateLeft(TtsBase* sender, TEngineState state) {
    TtsBaseBits::StateLeft(sender, state);
    if (state == TEngineState::esMake) {
        m_main.Restore();
        m_main.Resize(0);
    }
}
