#pragma once

#include <QByteArray>
#include <QString>

namespace stream::internal {

/// ANSI text of component streams is Windows-1252. The five byte values that code page
/// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same
/// number, so every byte string decodes and encodes back to itself.
QString AnsiToUnicode(const char* data, qsizetype size);
inline QString AnsiToUnicode(const QByteArray& bytes) { return AnsiToUnicode(bytes.constData(), bytes.size()); }

/// Encodes `text` as ANSI; answers false (and leaves `out` unspecified) when a character
/// has no ANSI byte.
bool UnicodeToAnsi(const QString& text, QByteArray& out);

}  // namespace stream::internal
