#pragma once

#include "services/quorrel.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

// The parts of the ZIP file format the zip component reads and writes itself. All numbers
// are little-endian.
//
// Local file header (30 bytes, then name and extra field, then the data):
// | offset | size | field                                   |
// | 0      | 4    | signature 0x04034B50                    |
// | 4      | 2    | version needed                          |
// | 6      | 2    | general-purpose flags (bit 3: a 16-byte data descriptor follows the data) |
// | 8      | 2    | compression method                      |
// | 10     | 4    | modification time and date              |
// | 14     | 4    | CRC-32                                  |
// | 18     | 4    | compressed size                         |
// | 22     | 4    | uncompressed size                       |
// | 26     | 2    | name length                             |
// | 28     | 2    | extra field length                      |
//
// Central directory header (46 bytes, then name, extra field and comment): signature
// 0x02014B50 and the 42 bytes of ZipDirEntry (quorrel.h).
//
// End of central directory record (22 bytes, then the archive comment):
// | 0  | 4 | signature 0x06054B50                        |
// | 4  | 2 | number of this disk                         |
// | 6  | 2 | disk where the central directory starts     |
// | 8  | 2 | entries on this disk                        |
// | 10 | 2 | entries in all                              |
// | 12 | 4 | size of the central directory               |
// | 16 | 4 | offset of the central directory (on its disk)|
// | 20 | 2 | comment length                              |
//
// A spanned set's first volume begins with the 4-byte signature 0x08074B50.

namespace services::zipformat {

inline constexpr std::uint32_t kLocalSig = 0x04034B50;
inline constexpr std::uint32_t kCentralSig = 0x02014B50;
inline constexpr std::uint32_t kEndSig = 0x06054B50;
inline constexpr std::uint32_t kSpanSig = 0x08074B50;
inline constexpr int kLocalSize = 30;
inline constexpr int kCentralSize = 46;
inline constexpr int kEndSize = 22;
/// The end record may be followed by a comment of at most 65,535 bytes.
inline constexpr int kEndSearch = 65557;
/// The chunk in which archive bytes are copied (one heap buffer per copy).
inline constexpr std::int64_t kCopyChunk = 64 * 1024;

inline std::uint16_t Get16(const char* p) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
}
inline std::uint32_t Get32(const char* p) {
    return static_cast<std::uint32_t>(Get16(p)) | (static_cast<std::uint32_t>(Get16(p + 2)) << 16);
}
inline void Put16(char* p, std::uint32_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(char* p, std::uint32_t v) {
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

/// The end record as located in an archive or volume.
struct EndRecordFields {
    std::uint16_t diskNumber = 0;
    std::uint16_t directoryDisk = 0;
    std::uint16_t entriesHere = 0;
    std::uint16_t totalEntries = 0;
    std::uint32_t directorySize = 0;
    std::uint32_t directoryOffset = 0;
    std::uint16_t commentLength = 0;
    QByteArray comment;         ///< the comment bytes present in the file
    std::int64_t position = 0;  ///< offset of the record in its file
    bool firstVolume = false;   ///< the file begins with the spanning signature
};

/// The name of volume `disk` when `name` is already a numbered volume ("Pack003.zip", 0:
/// "Pack001.zip"): its last three characters before the extension are replaced.
QString ReplacedVolumeName(const QString& name, int disk);
/// The three digits of a volume (disk 0: "001").
QString VolumeDigits(int disk);

/// Reads exactly `size` bytes; false when fewer came.
bool ReadExactly(QFile& file, char* data, std::int64_t size);

/// Copies the archive `in`, whose stored offsets are its real positions and whose end record
/// is `rec`, from byte `from` to `out`, adding `delta` to every local-header offset and to
/// the directory offset (a self-extractor's stub put before it, or taken away). False on a
/// failed read or write, or an offset that would leave the 32-bit range.
bool CopyShifted(QFile& in, const EndRecordFields& rec, std::int64_t from, QIODevice& out, std::int64_t delta);

/// The kind of drive that holds `folder` (through the probe SetDriveProbe installs).
DriveKind ProbeDrive(const QString& folder);
/// The text of message `ident` with `arg` put into its placeholder.
QString FormatMessage(int ident, const QString& arg);
/// Lets the program process its pending events (when it has an event loop).
void ProcessPendingEvents();

}  // namespace services::zipformat

struct TQuorrel::EndRecord : services::zipformat::EndRecordFields {};
