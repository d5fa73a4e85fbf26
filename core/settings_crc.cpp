#include "core/settings_crc.h"

#include <QByteArray>

#include <array>

namespace core {

namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

}  // namespace

std::int32_t RegCRC32(const QString& text) {
    // The bytes of the text are its UTF-8 form: identical to one byte per character for
    // ASCII values, and well defined for every other character.
    const QByteArray bytes = text.toUtf8();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : bytes) crc = kCrcTable[(crc ^ static_cast<std::uint8_t>(ch)) & 0xFFu] ^ (crc >> 8);
    crc ^= 0xFFFFFFFFu;
    return static_cast<std::int32_t>(crc);
}

}  // namespace core
