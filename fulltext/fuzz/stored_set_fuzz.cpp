// Reads arbitrary bytes as a stored record set: expanding must end in ETessick or in a set
// that compresses and expands back to itself; nothing may be read outside the input.

#include "fulltext/ts_bits.h"
#include "fulltext/errors.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int maxBits = (int(data[0]) << 8 | data[1]) * 8 + 7;  // up to about half a million records
    // The stored form gets a buffer of its own size, so that any over-read is caught.
    std::vector<std::uint8_t> stored(data + 2, data + size);
    TwbBits set(maxBits);
    try {
        TtsBits::ExpandStored(stored.empty() ? nullptr : stored.data(), int(stored.size()), set);
    } catch (const ETessick&) {
        return 0;
    }
    std::vector<std::uint8_t> block(std::size_t(set.ByteCount()) + 24);
    const int blockSize = TtsBits::CompressSet(set, block.data());
    TwbBits back(maxBits);
    TtsBits::ExpandStored(block.data() + 4, blockSize - 4, back);
    if (back.Count() != set.Count() || std::memcmp(back.Bytes(), set.Bytes(), std::size_t(set.ByteCount())) != 0)
        std::abort();
    return 0;
}
