#include "fulltext/search/set_ops.h"

#include "platform/base/assert.h"

#include "fulltext/cx_bits.h"
#include "fulltext/ts_bits.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fulltext {

namespace {

template <typename Op>
void combine(TCxBits& target, const TCxBits& source, Op op) {
    // the sets of one search all span the same records
    DOSSARA_ASSERT(target.ByteCount() == source.ByteCount(), (void)0);
    std::uint8_t* t = target.Bytes();
    const std::uint8_t* s = source.Bytes();
    const std::size_t n = std::size_t(std::min(target.ByteCount(), source.ByteCount()));
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, t + i, 8);
        std::memcpy(&b, s + i, 8);
        a = op(a, b);
        std::memcpy(t + i, &a, 8);
    }
    for (; i < n; ++i) t[i] = std::uint8_t(op(t[i], s[i]));
}

int countPortable(const std::uint8_t* p, std::size_t n) {
    int count = 0;
    for (std::size_t i = 0; i < n; ++i) count += TCxBits::BitsInByte(p[i]);
    return count;
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("popcnt"))) int countHardware(const std::uint8_t* p, std::size_t n) {
    int count = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        count += __builtin_popcountll(w);
    }
    return count + countPortable(p + i, n - i);
}
#endif

int countBytes(const std::uint8_t* p, std::size_t n) {
#if defined(__x86_64__) || defined(__i386__)
    static const bool hardware = __builtin_cpu_supports("popcnt");
    if (hardware) return countHardware(p, n);
#endif
    std::size_t i = 0;
    int count = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w) count += countPortable(p + i, 8);
    }
    return count + countPortable(p + i, n - i);
}

}  // namespace

int CountBytes(const std::uint8_t* bytes, std::size_t n) {
    return countBytes(bytes, n);
}

void OrBytes(std::uint8_t* t, const std::uint8_t* s, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, t + i, 8);
        std::memcpy(&b, s + i, 8);
        a |= b;
        std::memcpy(t + i, &a, 8);
    }
    for (; i < n; ++i) t[i] |= s[i];
}

void AndInto(TCxBits& target, const TCxBits& source) {
    combine(target, source, [](std::uint64_t a, std::uint64_t b) { return a & b; });
}

void OrInto(TCxBits& target, const TCxBits& source) {
    combine(target, source, [](std::uint64_t a, std::uint64_t b) { return a | b; });
}

int CountMembers(const TCxBits& set) {
    const std::size_t n = std::size_t(set.ByteCount());
    if (n == 0) return 0;
    // Bits above MaxBits in the last byte do not count.
    const int unused = 7 - (set.MaxBits() & 7);
    const std::uint8_t last = std::uint8_t(set.Bytes()[n - 1] & (0xFFu >> unused));
    return countBytes(set.Bytes(), n - 1) + TCxBits::BitsInByte(last);
}

void Recount(TwbBits& set) {
    set.AddToCount(CountMembers(set) - set.Count());
}

void Intersect(TwbBits& target, const TCxBits& source) {
    AndInto(target, source);
    Recount(target);
}

void Unite(TwbBits& target, const TCxBits& source) {
    OrInto(target, source);
    Recount(target);
}

}  // namespace fulltext
