#pragma once

// The shipped stock tables, the text files of data/labels compiled in at build time: one
// definition a line, lines starting with "#" are comments.

namespace labels {
extern const char* const kAveryStandardLaser;
extern const char* const kAveryStandardDotMatrix;
extern const char* const kAveryA4A5Laser;
}  // namespace labels
