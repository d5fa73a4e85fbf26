#pragma once

#include <cstdint>

/// The run-length packer. Packed data is a sequence of blocks:
///
/// | control byte          | followed by                      |
/// |-----------------------|----------------------------------|
/// | 0x80 + n (n 2..127)   | one byte, repeated n times       |
/// | n (n 1..127)          | n literal bytes                  |
///
/// Two or more equal adjacent bytes start a run (at most 127 long; a longer run continues in
/// a new block); any other byte joins the current literal block (at most 127 bytes).

/// Packs `length` bytes into `destination` (room for `length` bytes). Answers the packed
/// length, or -1 when packing does not gain at least two bytes: the packer gives up as soon as
/// its write position reaches length - 1, and at once for a length of 1 or less.
int PackRuns(const std::uint8_t* source, int length, std::uint8_t* destination);

/// Unpacks `packedLength` bytes into `destination` (room for `capacity` bytes). Answers the
/// number of bytes written, or -1 when the packed length is 0 or less, a block would overrun
/// the capacity, or the packed data ends inside a block. Never reads or writes outside the
/// two buffers.
int UnpackRuns(const std::uint8_t* packed, int packedLength, std::uint8_t* destination, int capacity);
