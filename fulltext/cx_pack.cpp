#include "fulltext/cx_pack.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

/// Number of bytes from `p` on equal to p[0], at most `maxRun` (>= 1); compared eight at a
/// time, as the long zero runs of sparse sets dominate.
int runLength(const std::uint8_t* p, int maxRun) {
    const std::uint64_t pattern = 0x0101010101010101ull * p[0];
    int run = 1;
    while (run + 8 <= maxRun) {
        std::uint64_t w;
        std::memcpy(&w, p + run, 8);
        if (const std::uint64_t differ = qToLittleEndian(w) ^ pattern) return run + __builtin_ctzll(differ) / 8;
        run += 8;
    }
    while (run < maxRun && p[run] == p[0]) ++run;
    return run;
}

std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return qFromLittleEndian(w);
}

/// The first position from `i` on that starts a pair of equal bytes (a run), or `length`;
/// eight neighbour pairs are compared at a time.
int literalEnd(const std::uint8_t* source, int i, int length) {
    int j = i;
    for (; j + 9 <= length; j += 8) {
        const std::uint64_t x = load64(source + j) ^ load64(source + j + 1);  // 0 byte: equal pair
        // The lowest flagged byte is exactly the lowest zero byte of x.
        if (const std::uint64_t zero = (x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull)
            return j + __builtin_ctzll(zero) / 8;
    }
    while (j + 1 < length && source[j] != source[j + 1]) ++j;
    return j + 1 < length ? j : length;
}

}  // namespace

int PackRuns(const std::uint8_t* source, int length, std::uint8_t* destination) {
    if (length <= 1) return -1;
    const int limit = length - 1;
    int pos = 0;
    int literalAt = -1;  // position of the open literal block's control byte, -1 when none
    int i = 0;
    while (i < length) {
        const int run = runLength(source + i, std::min(127, length - i));
        if (run >= 2) {
            if (pos + 2 >= limit) return -1;
            destination[pos++] = std::uint8_t(0x80 | run);
            destination[pos++] = source[i];
            literalAt = -1;
            i += run;
            continue;
        }
        // Bytes up to the next run are copied as literal blocks of at most 127 bytes.
        const int end = literalEnd(source, i, length);
        while (i < end) {
            if (literalAt < 0 || destination[literalAt] == 127) {
                if (pos + 1 >= limit) return -1;
                literalAt = pos;
                destination[pos++] = 0;
            }
            const int n = std::min(end - i, 127 - int(destination[literalAt]));
            if (pos + n >= limit) return -1;  // the block's last byte would not fit
            std::memcpy(destination + pos, source + i, std::size_t(n));
            pos += n;
            destination[literalAt] = std::uint8_t(destination[literalAt] + n);
            i += n;
        }
    }
    return pos;
}

int UnpackRuns(const std::uint8_t* packed, int packedLength, std::uint8_t* destination, int capacity) {
    if (packedLength <= 0) return -1;
    int in = 0;
    int out = 0;
    int room = capacity;
    while (in < packedLength) {
        const std::uint8_t control = packed[in++];
        const int n = control & 0x7F;
        room -= n;
        if (room < 0) return -1;
        if (control & 0x80) {
            if (in >= packedLength) return -1;
            std::memset(destination + out, packed[in++], std::size_t(n));
        } else {
            if (packedLength - in < n) return -1;
            std::memcpy(destination + out, packed + in, std::size_t(n));
            in += n;
        }
        out += n;
    }
    return out;
}
