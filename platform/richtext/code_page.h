#pragma once

#include <QByteArrayView>
#include <QString>

namespace richtext {

/// The code page that RTF documents use when they name none: Windows-1252.
inline constexpr int kAnsiCodePage = 1252;

/// The Windows code page behind an RTF font character set (\fcharsetN), or 0 when the
/// character set names none (ANSI, DEFAULT and SYMBOL follow the document's code page).
int CodePageForCharset(int charset);

/// The Unicode character at a Windows-1252 position. The five positions the code page
/// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same
/// number, as Windows itself maps them.
char16_t AnsiToUnicode(unsigned char byte);

/// The Windows-1252 position of a character, or -1 when the code page has no position
/// for it. Positions 0x00..0x7F are ASCII; the five undefined positions answer -1.
int UnicodeToAnsi(char16_t ch);

/// True when bytes of this code page are decoded as that code page: Windows-1252 always
/// (table of this layer), the other Windows code pages (single-byte ones and the
/// double-byte East Asian ones) when Qt's converters know them.
bool IsKnownCodePage(int codePage);

/// Decodes bytes of a Windows code page. A code page that is not known is decoded as
/// Windows-1252 (and logged once per code page). Bytes the code page does not define
/// become U+FFFD.
QString DecodeCodePage(QByteArrayView bytes, int codePage);

}  // namespace richtext
