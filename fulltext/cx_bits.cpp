#include "fulltext/cx_bits.h"

#include "fulltext/cx_strings.h"

#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include <QIODevice>

#include <climits>
#include <cstring>

namespace {
constexpr std::size_t byteCountOf(int maxBits) { return std::size_t((maxBits + 8) / 8); }

// Bit counting. The build targets every x86-64, which need not have POPCNT, so the compiler's
// own count would go through a library routine; instead the instruction is used through a
// function compiled for it when the processor reports it, and a shift-and-add count otherwise.

inline int popcountSwar(std::uint64_t w) {
    w -= (w >> 1) & 0x5555555555555555ull;
    w = (w & 0x3333333333333333ull) + ((w >> 2) & 0x3333333333333333ull);
    w = (w + (w >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return int((w * 0x0101010101010101ull) >> 56);
}

int countBitsSwar(const std::uint8_t* bytes, std::size_t size) {
    int count = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes + i, 8);
        count += popcountSwar(w);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes + i, size - i);
    return count + popcountSwar(tail);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("popcnt"))) int countBitsPopcnt(const std::uint8_t* bytes, std::size_t size) {
    int count = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes + i, 8);
        count += __builtin_popcountll(w);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes + i, size - i);
    return count + __builtin_popcountll(tail);
}

using CountBitsFn = int (*)(const std::uint8_t*, std::size_t);

CountBitsFn chooseCountBits() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("popcnt") ? &countBitsPopcnt : &countBitsSwar;
}
#endif

}  // namespace

int TCxBits::CountBitsPortable(const std::uint8_t* bytes, std::size_t size) {
    return countBitsSwar(bytes, size);
}

int TCxBits::CountBits(const std::uint8_t* bytes, std::size_t size) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const CountBitsFn count = chooseCountBits();
    return count(bytes, size);
#else
    return countBitsSwar(bytes, size);
#endif
}

const std::uint8_t TCxBits::kBitCount[256] = {
#define B2(n) n, n + 1, n + 1, n + 2
#define B4(n) B2(n), B2(n + 1), B2(n + 1), B2(n + 2)
#define B6(n) B4(n), B4(n + 1), B4(n + 1), B4(n + 2)
    B6(0), B6(1), B6(1), B6(2)
#undef B6
#undef B4
#undef B2
};

TCxBits::TCxBits(int maxBits) {
    if (maxBits < 0) throw ECxContainerError(53);
    m_maxBits = maxBits;
    m_own.assign(byteCountOf(maxBits), 0);
    m_bytes = m_own.data();
    m_size = m_own.size();
}

TCxBits::~TCxBits() = default;

void TCxBits::SetStorage(std::uint8_t* bytes, std::size_t size, int maxBits, int count) {
    m_bytes = bytes;
    m_size = size;
    m_maxBits = maxBits;
    m_count = count;
}

void TCxBits::Resize(int maxBits) {
    if (maxBits < 0) throw ECxContainerError(53);
    const std::size_t size = byteCountOf(maxBits);
    if (m_bytes != m_own.data()) {
        // Leaving borrowed storage: take its bytes along.
        std::vector<std::uint8_t> copy(size, 0);
        std::memcpy(copy.data(), m_bytes, std::min(size, m_size));
        m_own.swap(copy);
    } else {
        m_own.resize(size, 0);  // throws std::bad_alloc with the set unchanged
    }
    m_bytes = m_own.data();
    m_size = size;
    m_maxBits = maxBits;
    Recount();
}

void TCxBits::SetBitOn(int n) {
    std::uint8_t& b = m_bytes[n >> 3];
    const std::uint8_t mask = std::uint8_t(1u << (n & 7));
    if (!(b & mask)) {
        b |= mask;
        ++m_count;
    }
}

void TCxBits::SetBitOff(int n) {
    std::uint8_t& b = m_bytes[n >> 3];
    const std::uint8_t mask = std::uint8_t(1u << (n & 7));
    if (b & mask) {
        b &= std::uint8_t(~mask);
        --m_count;
    }
}

void TCxBits::ClearAllBits() {
    std::memset(m_bytes, 0, m_size);
    m_count = 0;
}

void TCxBits::SetAllBits() {
    std::memset(m_bytes, 0xFF, m_size);
    Recount();
}

void TCxBits::Invert() {
    for (std::size_t i = 0; i < m_size; ++i) m_bytes[i] = std::uint8_t(~m_bytes[i]);
    Recount();
}

void TCxBits::IntersectWith(const TCxBits* other) {
    if (!other || other->m_maxBits != m_maxBits) throw ECxContainerError(52);
    for (std::size_t i = 0; i < m_size; ++i) m_bytes[i] &= other->m_bytes[i];
    Recount();
}

void TCxBits::UnionWith(const TCxBits* other) {
    if (!other || other->m_maxBits != m_maxBits) throw ECxContainerError(52);
    for (std::size_t i = 0; i < m_size; ++i) m_bytes[i] |= other->m_bytes[i];
    Recount();
}

void TCxBits::CopyFrom(const TCxBits* other) {
    if (!other || other->m_maxBits != m_maxBits) throw ECxContainerError(52);
    if (other != this) std::memcpy(m_bytes, other->m_bytes, m_size);
    m_count = other->m_count;
}

void TCxBits::Recount() {
    if (m_size == 0) {
        m_count = 0;
        return;
    }
    const int used = (m_maxBits & 7) + 1;  // bits of the last byte that belong to the set
    if (used < 8) m_bytes[m_size - 1] &= std::uint8_t((1u << used) - 1);
    m_count = CountBits(m_bytes, m_size);
}

int TCxBits::Scan(int start, bool value, bool upwards, const std::function<bool(int)>& accept) const {
    if (!accept) return fastScan(start, value, upwards);
    const std::uint8_t skip = value ? 0x00 : 0xFF;
    if (upwards) {
        int n = std::max(start, 0);
        while (n <= m_maxBits) {
            const std::uint8_t b = m_bytes[n >> 3];
            if ((n & 7) == 0 && b == skip) {
                n += 8;
                continue;
            }
            if ((((b >> (n & 7)) & 1) != 0) == value && accept(n)) return n;
            ++n;
        }
        return -1;
    }
    int n = std::min(start, m_maxBits);
    while (n >= 0) {
        const std::uint8_t b = m_bytes[n >> 3];
        if ((n & 7) == 7 && b == skip) {
            n -= 8;
            continue;
        }
        if ((((b >> (n & 7)) & 1) != 0) == value && accept(n)) return n;
        --n;
    }
    return -1;
}

int TCxBits::fastScan(int start, bool value, bool upwards) const {
    // Bytes are read as they are when seeking set bits and complemented when seeking clear
    // ones; whole 64-bit words without a candidate are skipped.
    const std::uint64_t flip = value ? 0 : ~std::uint64_t(0);
    const std::size_t size = m_size;
    if (upwards) {
        const int n = std::max(start, 0);
        if (n > m_maxBits) return -1;
        std::size_t i = std::size_t(n >> 3);
        std::uint64_t first = (m_bytes[i] ^ std::uint8_t(flip)) & (0xFFu << (n & 7));
        int found = -1;
        if (first) {
            found = int(i * 8) + __builtin_ctzll(first);
        } else {
            for (++i; i + 8 <= size; i += 8) {
                std::uint64_t w;
                std::memcpy(&w, m_bytes + i, 8);
                if ((w ^= flip)) {
                    found = int(i * 8) + __builtin_ctzll(w);
                    break;
                }
            }
            for (; found < 0 && i < size; ++i)
                if (const std::uint8_t b = m_bytes[i] ^ std::uint8_t(flip)) found = int(i * 8) + __builtin_ctz(b);
        }
        return found >= 0 && found <= m_maxBits ? found : -1;
    }
    const int n = std::min(start, m_maxBits);
    if (n < 0) return -1;
    std::size_t i = std::size_t(n >> 3);
    const std::uint8_t first = std::uint8_t((m_bytes[i] ^ std::uint8_t(flip)) & (0xFFu >> (7 - (n & 7))));
    if (first) return int(i * 8) + 31 - __builtin_clz(first);
    while (i >= 8) {
        std::uint64_t w;
        std::memcpy(&w, m_bytes + i - 8, 8);
        if ((w ^= flip)) return int((i - 8) * 8) + 63 - __builtin_clzll(w);
        i -= 8;
    }
    while (i > 0) {
        --i;
        if (const std::uint8_t b = m_bytes[i] ^ std::uint8_t(flip)) return int(i * 8) + 31 - __builtin_clz(b);
    }
    return -1;
}

void TCxBits::StoreToStream(QIODevice& device) {
    stream::ValueWriter writer;
    writer.WriteString(ClassName());
    writer.WriteInteger(m_maxBits);
    writer.WriteInteger(m_count);
    writer.WriteBinary(QByteArray(reinterpret_cast<const char*>(m_bytes), qsizetype(m_size)));
    device.write(writer.Data());
}

void TCxBits::LoadFromStream(QIODevice& device) {
    ClearAllBits();
    stream::ValueReader reader(device.readAll());
    const QString className = reader.ReadString();
    if (!fulltext::IsCxClassRegistered(className)) throw ECxContainerError(57, {className});
    if (!fulltext::CxClassInheritsFrom(ClassName(), className) ||
        !fulltext::CxClassInheritsFrom(className, QStringLiteral("TCxBits")))
        throw ECxContainerError(61);
    const qint64 maxBits = reader.ReadInteger();
    const qint64 count = reader.ReadInteger();
    const QByteArray bytes = reader.ReadBinary();
    if (maxBits < 0 || maxBits > INT_MAX - 8 || bytes.size() != qsizetype((maxBits + 8) / 8))
        throw ECxContainerError(53);
    Resize(int(maxBits));
    std::memcpy(m_bytes, bytes.constData(), m_size);
    Recount();
    (void)count;  // the stored count is checked by recounting: the bytes are what counts
}
