#pragma once

#include <cstdint>

namespace base {

/// Unicode characters of the Windows-1252 positions 0x80..0x9F; 0x00..0x7F are ASCII and
/// 0xA0..0xFF the Latin-1 characters of the same number. The five positions the code page
/// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same
/// number, as Windows itself maps them, so every byte decodes and encodes back to itself.
inline constexpr char16_t kAnsiHighBlock[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

/// The Unicode character at a Windows-1252 position.
constexpr char16_t AnsiToUnicode(std::uint8_t byte) {
    return (byte >= 0x80 && byte < 0xA0) ? kAnsiHighBlock[byte - 0x80] : char16_t(byte);
}

/// The Windows-1252 position of a character, or -1 when the code page has none for it.
/// The C1 controls U+0081, U+008D, U+008F, U+0090 and U+009D answer the undefined
/// positions of the same number.
constexpr int UnicodeToAnsi(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return ch;
    for (int i = 0; i < 32; ++i)
        if (kAnsiHighBlock[i] == ch) return 0x80 + i;
    return -1;
}

/// True for the five positions Windows-1252 leaves undefined.
constexpr bool IsUndefinedAnsi(std::uint8_t byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

}  // namespace base
