#pragma once

#include "fulltext/cx_bits.h"
#include "fulltext/ts_base.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace fulltext {

/// A record-set block as the cache keeps it: a run of bytes starting with three
/// little-endian 32-bit integers. Raw form:
///
/// | offset | meaning                                                                  |
/// |--------|--------------------------------------------------------------------------|
/// | 0      | stamp: the cache's access number at the last use; negative while dirty   |
/// | 4      | count n of members (0 or more marks the raw form)                        |
/// | 8      | block size = byte count of the bit set + 12                              |
/// | 12     | the bit set's bytes (bit b in byte b div 8, mask 1 shl (b mod 8))        |
///
/// Compressed form:
///
/// | offset | meaning                                                   |
/// |--------|-----------------------------------------------------------|
/// | 0      | stamp, as above                                           |
/// | 4      | -n (negative marks the compressed form)                   |
/// | 8      | block size = 24 + payload length                          |
/// | 12     | first: the lowest member (0 when n = 0)                   |
/// | 16     | last: the highest member (equal to first when n <= 1)     |
/// | 20     | method, 1 to 5                                            |
/// | 24     | payload                                                   |
///
/// Methods: 1 no payload for n <= 2, the middle member for n = 3; 2 the n - 2 members between
/// first and last as 32-bit numbers; 3 n - 1 gaps as unsigned 16-bit numbers (first + gap1 is
/// the second member, and so on); 4 the set's bytes from the byte holding first to the byte
/// holding last; 5 that byte range packed with PackRuns.
///
/// The stored form (the word table's) is the compressed block without its stamp: bytes 4 to
/// the end, starting with -n. An empty compressed block (count 0, size 24, method 1) is told
/// from an empty raw block by its size and method field (raw bytes of an empty set are 0).
using Block = std::uint8_t*;

inline std::int32_t ReadInt32(const std::uint8_t* p) {
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void WriteInt32(std::uint8_t* p, std::int32_t v) { std::memcpy(p, &v, 4); }

inline std::int32_t BlockStamp(const std::uint8_t* b) { return ReadInt32(b); }
inline void SetBlockStamp(std::uint8_t* b, std::int32_t stamp) { WriteInt32(b, stamp); }
inline std::int32_t BlockCountField(const std::uint8_t* b) { return ReadInt32(b + 4); }
inline std::int32_t BlockSize(const std::uint8_t* b) { return ReadInt32(b + 8); }
inline bool IsCompressedBlock(const std::uint8_t* b) {
    const std::int32_t count = BlockCountField(b);
    return count < 0 || (count == 0 && BlockSize(b) == 24 && ReadInt32(b + 20) == 1);
}
/// Marks a block as changed and not yet written (its stamp negative).
inline void MarkDirty(std::uint8_t* b) {
    const std::int32_t stamp = BlockStamp(b);
    if (stamp > 0) SetBlockStamp(b, -stamp);
}
inline bool IsDirty(const std::uint8_t* b) { return BlockStamp(b) < 0; }
/// Number of members of a block of either form.
inline std::int32_t BlockMembers(const std::uint8_t* b) {
    const std::int32_t count = BlockCountField(b);
    return count < 0 ? -count : count;
}

}  // namespace fulltext

/// The bit-set component every engine owns: the set of record numbers of one segment (or,
/// while searching, of the whole table), with its raw and compressed block forms.
class TtsBaseBits : public TtsBase {
    Q_OBJECT
public:
    using TtsBase::TtsBase;

    /// MaxBits + 1.
    virtual int Size() const = 0;
    virtual int Count() const = 0;
    virtual void SetSize(int n) = 0;
    virtual bool IsSet(int bit) const = 0;
    /// Compresses `raw` (or, when null, the set as it is) into `out` (room for
    /// CompressedMax() bytes); answers the compressed block's size.
    virtual int Compress(fulltext::Block raw, fulltext::Block out) = 0;
    /// Largest compressed block: byte count + 24.
    virtual int CompressedMax() const = 0;
    /// Raw block size: byte count + 12.
    virtual int RawSize() const = 0;
    virtual int ToRaw(fulltext::Block out) = 0;
    virtual void ClearAll() = 0;
    /// Makes `target` (a raw block) hold the members of `source` (a block of either form, or
    /// none) with `bit` switched on or off; answers the new count.
    virtual int UpdateBit(fulltext::Block source, fulltext::Block target, bool on, int bit) = 0;
    /// Expands a stored set (`length` bytes, starting with -n) into the set at bit offset
    /// segment × segmentSize (segmentSize <= 0: straight into the set).
    virtual void ExpandInto(const std::uint8_t* stored, int length, int segment, int segmentSize) = 0;
    virtual void LoadRaw(fulltext::Block raw) = 0;
};

/// A bit set that can borrow the bytes of a raw block: while borrowed, the set's bytes and
/// count are the block's (its own are kept aside); Restore() returns to its own. Resizing
/// restores first. The block must outlive the borrowing; the record-set component restores
/// before every operation returns, so nothing stays borrowed between calls.
class TwbBits : public TCxBits {
public:
    explicit TwbBits(int maxBits);
    ~TwbBits() override;

    QString ClassName() const override { return QStringLiteral("TwbBits"); }

    /// Raw block size for this set: byte count + 12.
    int RawSize() const { return ByteCount() + 12; }
    /// Borrows `raw` (a raw block of RawSize(): ETessick 30477 otherwise).
    void Borrow(fulltext::Block raw);
    void Restore();
    bool IsBorrowed() const { return m_borrowed != nullptr; }
    void Resize(int maxBits) override;

    /// Lowest and highest member (-1 when empty), scanning 64 bits at a time.
    int FirstMember() const;
    int LastMember() const;
    /// Adjusts the count after bytes were changed directly in a known way.
    void AddToCount(int delta) { m_count += delta; }
    /// Sets the count after the bytes were written directly with a known number of members.
    void SetKnownCount(int count) { m_count = count; }

private:
    fulltext::Block m_borrowed = nullptr;
    int m_ownCount = 0;
};

/// The engine's record-set component: a main set of Size() record numbers (one segment while
/// building or updating, the whole table while searching) and, when first needed, a scratch
/// set for expanding one segment's stored set.
///
/// Sizing by state: entering esMake or esUpdate makes the set min(record range + 1,
/// SegmentSize) bits, entering esSearch record range + 1; leaving esMake shrinks it to one
/// byte. Every compressed form is chosen by CompressSet (see ts_bits.cpp).
class TtsBits : public TtsBaseBits {
    Q_OBJECT
public:
    explicit TtsBits(QObject* owner = nullptr);
    ~TtsBits() override;

    int Size() const override { return m_main.MaxBits() + 1; }
    int Count() const override { return m_main.Count(); }
    void SetSize(int n) override;
    bool IsSet(int bit) const override;
    int Compress(fulltext::Block raw, fulltext::Block out) override;
    int CompressedMax() const override { return m_main.ByteCount() + 24; }
    int RawSize() const override { return m_main.ByteCount() + 12; }
    int ToRaw(fulltext::Block out) override;
    void ClearAll() override { m_main.ClearAllBits(); }
    /// Raises ETessick 30480 when `bit` is outside the set and 30477 when `target` is not a
    /// raw block of RawSize().
    int UpdateBit(fulltext::Block source, fulltext::Block target, bool on, int bit) override;
    /// Raises 30470 when the stored set does not fit, 30480 for a segment beyond the set and
    /// 30465 when the stored form is damaged or its length disagrees with its header.
    void ExpandInto(const std::uint8_t* stored, int length, int segment, int segmentSize) override;
    void LoadRaw(fulltext::Block raw) override;

    /// The main set, for the searches' set operations.
    TwbBits& Main() { return m_main; }
    const TwbBits& Main() const { return m_main; }

    void StateLeft(TtsBase* sender, TEngineState state) override;
    void StateEntered(TtsBase* sender, TEngineState state) override;

    /// Writes the compressed block of `set` into `out` (room for byte count + 24) and answers
    /// its size; the stamp field is left as it is.
    static int CompressSet(const TwbBits& set, std::uint8_t* out);
    /// The same with the lowest and highest member known (`first` and `last` must be them
    /// when the set is not empty), so that the set's bytes need not be scanned for them.
    static int CompressSet(const TwbBits& set, std::uint8_t* out, int first, int last);
    /// Expands a stored form (`length` bytes from the -n field on) into `target`, which gets
    /// exactly its members. Raises 30470 / 30465 as ExpandInto does; never reads outside
    /// `stored` nor writes outside `target`.
    static void ExpandStored(const std::uint8_t* stored, int length, TwbBits& target);

private:
    /// Loads a raw block into the main set by borrowing when it has the raw size.
    void borrowOrCopy(fulltext::Block raw);

    TwbBits m_main{0};
    std::unique_ptr<TwbBits> m_scratch;
};
