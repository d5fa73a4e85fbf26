#include "fulltext/search/stored_set_or.h"

#include "fulltext/search/set_ops.h"

#include "fulltext/cx_bits.h"
#include "fulltext/cx_pack.h"
#include "fulltext/ts_bits.h"
#include "fulltext/errors.h"

#include <QtEndian>

#include <vector>

namespace fulltext {

void OrStoredSet(const std::uint8_t* stored, int length, TCxBits& target) {
    using fulltext::ReadInt32;
    auto damaged = [] { throw ETessick(fulltext::msgInconsistentBlobSize); };
    if (!stored || length < 20) damaged();
    const std::int32_t countField = ReadInt32(stored);
    if (countField > 0 || ReadInt32(stored + 4) != qint64(length) + 4) damaged();
    const qint64 n = -qint64(countField);
    if (n == 0) return;
    const std::int32_t first = ReadInt32(stored + 8);
    const std::int32_t last = ReadInt32(stored + 12);
    const std::int32_t method = ReadInt32(stored + 16);
    const std::uint8_t* payload = stored + 20;
    const int payloadLength = length - 20;
    if (first < 0 || last < first || n > qint64(last) - first + 1) damaged();
    if ((n == 1 && first != last) || (n >= 2 && first == last)) damaged();
    if (last > target.MaxBits()) throw ETessick(fulltext::msgDecompressBufferTooSmall);
    std::uint8_t* bytes = target.Bytes();
    auto set = [&](qint64 m) { bytes[m >> 3] |= std::uint8_t(1u << (m & 7)); };
    switch (method) {
    case 1:
        if (n > 3 || payloadLength != (n == 3 ? 4 : 0)) damaged();
        if (n == 3) {
            const std::int32_t middle = ReadInt32(payload);
            if (middle <= first || middle >= last) damaged();
            set(middle);
        }
        break;
    case 2: {
        if (n < 2 || payloadLength != 4 * (n - 2)) damaged();
        qint64 previous = first;
        for (qint64 i = 0; i < n - 2; ++i) {
            const std::int32_t m = ReadInt32(payload + 4 * i);
            if (m <= previous || m >= last) damaged();
            set(m);
            previous = m;
        }
        break;
    }
    case 3: {
        if (n < 2 || payloadLength != 2 * (n - 1)) damaged();
        qint64 at = first;
        for (qint64 i = 0; i < n - 2; ++i) {
            at += qFromLittleEndian<quint16>(payload + 2 * i);
            if (at >= last || qFromLittleEndian<quint16>(payload + 2 * i) == 0) damaged();
            set(at);
        }
        if (at + qFromLittleEndian<quint16>(payload + 2 * (n - 2)) != last) damaged();
        break;
    }
    case 4:
    case 5: {
        const int byteFirst = first >> 3;
        const int k = (last >> 3) - byteFirst + 1;
        std::vector<std::uint8_t> range;
        const std::uint8_t* src = payload;
        if (method == 4) {
            if (payloadLength != k) damaged();
        } else {
            range.resize(std::size_t(k));
            if (UnpackRuns(payload, payloadLength, range.data(), k) != k) damaged();
            src = range.data();
        }
        // The range's end bytes lose the bits outside [first, last]; the members must
        // number n and include both ends.
        const std::uint8_t headMask = std::uint8_t(0xFFu << (first & 7));
        const std::uint8_t tailMask = std::uint8_t(0xFFu >> (7 - (last & 7)));
        int count = 0;
        if (k == 1) {
            const std::uint8_t b = std::uint8_t(src[0] & headMask & tailMask);
            count = TCxBits::BitsInByte(b);
            bytes[byteFirst] |= b;
        } else {
            const std::uint8_t head = std::uint8_t(src[0] & headMask);
            const std::uint8_t tail = std::uint8_t(src[k - 1] & tailMask);
            count = TCxBits::BitsInByte(head) + TCxBits::BitsInByte(tail) + CountBytes(src + 1, std::size_t(k - 2));
            bytes[byteFirst] |= head;
            OrBytes(bytes + byteFirst + 1, src + 1, std::size_t(k - 2));
            bytes[byteFirst + k - 1] |= tail;
        }
        if (!((src[0] >> (first & 7)) & 1) || !((src[k - 1] >> (last & 7)) & 1)) damaged();
        if (count != n) damaged();
        return;
    }
    default:
        damaged();
    }
    set(first);
    set(last);
}

}  // namespace fulltext
