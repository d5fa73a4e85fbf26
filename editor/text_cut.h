#pragma once

#include <QString>

namespace editor {

// Same behaviour as base::CutToLength (platform/base/text_cut.h), which replaces it once shared.
inline QString CutToLength(const QString& text, int maxChars) {
    if (maxChars <= 0) return QString();
    if (text.size() <= maxChars) return text;
    qsizetype end = maxChars;
    if (text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate()) --end;
    return text.left(end);
}

}  // namespace editor
