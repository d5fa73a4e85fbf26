#pragma once

#include "fulltext/cx_container.h"

#include <cstdint>
#include <functional>
#include <vector>

/// A set of bits 0..MaxBits kept in (MaxBits + 8) div 8 bytes; bit n lives in byte n div 8
/// under mask 1 shl (n mod 8). Count() is the number of set bits and is current after every
/// operation. Bits above MaxBits in the last byte are kept clear by every recount.
class TCxBits : public TCxContainer {
public:
    /// Raises ECxContainerError 53 when `maxBits` is negative.
    explicit TCxBits(int maxBits);
    ~TCxBits() override;

    QString ClassName() const override { return QStringLiteral("TCxBits"); }

    int MaxBits() const { return m_maxBits; }
    int ByteCount() const { return int(m_size); }
    /// The bytes (ByteCount() of them).
    std::uint8_t* Bytes() { return m_bytes; }
    const std::uint8_t* Bytes() const { return m_bytes; }

    /// Keeps the existing bytes and zero-fills new ones; 53 when `maxBits` is negative. On an
    /// allocation failure the set is left as it was and the failure passes on.
    virtual void Resize(int maxBits);

    // No range checks: callers keep 0 <= n <= MaxBits.
    bool IsBitSet(int n) const { return (m_bytes[n >> 3] >> (n & 7)) & 1; }
    void SetBitOn(int n);
    void SetBitOff(int n);

    void Clear() override { ClearAllBits(); }
    void ClearAllBits();
    void SetAllBits();
    void Invert();
    /// Byte-wise AND / OR with `other`; ECxContainerError 52 when it is missing or has another MaxBits.
    void IntersectWith(const TCxBits* other);
    void UnionWith(const TCxBits* other);
    void CopyFrom(const TCxBits* other);

    /// Scans, each answering a bit index or -1.
    int FirstSetBit() const { return Scan(0, true, true); }
    int FirstClearBit() const { return Scan(0, false, true); }
    int LastSetBit() const { return Scan(m_maxBits, true, false); }
    int NextSetBit(int n) const {
        // The next member in the same byte is the common case of dense sets.
        const int s = n < 0 ? 0 : n + 1;
        if (s > m_maxBits) return -1;
        if (const unsigned rest = unsigned(m_bytes[s >> 3]) >> (s & 7)) {
            const int found = s + __builtin_ctz(rest);
            return found <= m_maxBits ? found : -1;
        }
        return fastScan(s, true, true);
    }
    int NextClearBit(int n) const { return Scan(n + 1, false, true); }
    int PrevSetBit(int n) const { return Scan(n - 1, true, false); }

    /// The shared scan: from `start` (clamped to 0 upwards or MaxBits downwards) for a bit of
    /// value `value`; `accept` may reject a candidate. Whole bytes without the value sought are
    /// skipped; upward scans never pass MaxBits.
    int Scan(int start, bool value, bool upwards, const std::function<bool(int)>& accept = {}) const;

    /// Stored form (component-stream values): class name, MaxBits, Count, the bytes as one
    /// binary value. Loading clears first, raises 57 for an unregistered class name and 61
    /// unless the stored class is this set's class or an ancestor that is TCxBits or
    /// descends from it, then takes the stored size, count and bytes (a byte run of another
    /// length than the size needs raises 53).
    void StoreToStream(QIODevice& device) override;
    void LoadFromStream(QIODevice& device) override;

    /// Recounts after the bytes were changed directly (clearing the unused high bits first).
    void Recount();

    static int BitsInByte(std::uint8_t b) { return kBitCount[b]; }
    /// Number of set bits in `size` bytes. Uses the processor's population-count instruction
    /// where the running machine has one (chosen once at run time), else a table-free count.
    static int CountBits(const std::uint8_t* bytes, std::size_t size);
    /// The table-free count CountBits falls back to (also used where POPCNT is missing).
    static int CountBitsPortable(const std::uint8_t* bytes, std::size_t size);

protected:
    static const std::uint8_t kBitCount[256];

    /// Scan without a visitor, a 64-bit word at a time.
    int fastScan(int start, bool value, bool upwards) const;

    /// Points the set at other storage (used while a block's bytes are borrowed).
    void SetStorage(std::uint8_t* bytes, std::size_t size, int maxBits, int count);

    int m_maxBits = 0;
    std::vector<std::uint8_t> m_own;  ///< the set's own bytes
    std::uint8_t* m_bytes = nullptr;  ///< the bytes in use: m_own's, or a borrowed block's
    std::size_t m_size = 0;           ///< number of bytes in use
};
