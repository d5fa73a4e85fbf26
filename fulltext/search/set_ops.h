#pragma once

#include <cstddef>
#include <cstdint>

class TCxBits;
class TwbBits;

namespace fulltext {

/// Set operations for the searches' large record sets: byte-wise AND and OR eight bytes at a
/// time without counting, and a count that uses the processor's population count where it
/// has one. Both sets must have the same size.
void AndInto(TCxBits& target, const TCxBits& source);
void OrInto(TCxBits& target, const TCxBits& source);
/// Number of set bits in `n` bytes.
int CountBytes(const std::uint8_t* bytes, std::size_t n);
/// ORs `n` bytes into `target`, eight at a time.
void OrBytes(std::uint8_t* target, const std::uint8_t* source, std::size_t n);
/// Number of members (bits 0..MaxBits only).
int CountMembers(const TCxBits& set);
/// Makes Count() right after uncounted changes.
void Recount(TwbBits& set);
/// AndInto / OrInto followed by Recount.
void Intersect(TwbBits& target, const TCxBits& source);
void Unite(TwbBits& target, const TCxBits& source);

}  // namespace fulltext
