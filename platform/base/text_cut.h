#pragma once

#include <QString>

namespace base {

/// The text cut to at most `maxChars` QString characters (UTF-16 units, the unit of a
/// field's size) at a character boundary: when the cut would fall between the two halves of
/// a surrogate pair (a character outside the Basic Multilingual Plane, such as an emoji),
/// the whole pair goes, so the result may be one unit shorter than `maxChars`. A text that
/// fits comes back unchanged (also one holding unpaired surrogates); `maxChars` <= 0 gives
/// an empty text.
QString CutToLength(const QString& text, int maxChars);

/// The length CutToLength would cut `text` to.
int CutLength(const QString& text, int maxChars);

}  // namespace base
