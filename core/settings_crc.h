#pragma once

#include <QString>

#include <cstdint>

namespace core {

/// The guard of every settings-table value, shared by the records manager and the
/// settings-table editor: the standard reflected CRC-32 (polynomial 0xEDB88320, register
/// preset to 0xFFFFFFFF, bytes taken low bit first through the 256-entry table, final
/// complement) over the UTF-8 bytes of `text`, answered as the signed 32-bit integer of the
/// same 32 bits (a CRC of 2^31 or more is negative). The empty text gives 0.
///
/// For ASCII text the UTF-8 bytes are the characters themselves, so the values are the
/// same as those of tables written one byte per character. Callers compute it over the
/// Value as it reads back from the row after assignment, i.e. after the field has cut it
/// to its 200 characters.
std::int32_t RegCRC32(const QString& text);

}  // namespace core
