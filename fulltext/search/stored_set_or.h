#pragma once

#include <cstdint>

class TCxBits;

namespace fulltext {

/// ORs the members of a stored set (`length` bytes, starting with -n; the layout is in
/// fulltext/ts_bits.h) into `target` without clearing or counting it: only the bytes between
/// the first and the last member are touched, so that merging many small sets into a large
/// one costs no more than the sets themselves. The caller recounts the target. A damaged
/// form raises ETessick 30465, a member beyond the target 30470; the target may then hold
/// some of the members.
void OrStoredSet(const std::uint8_t* stored, int length, TCxBits& target);

}  // namespace fulltext
