#include "platform/base/text_cut.h"

namespace base {

int CutLength(const QString& text, int maxChars) {
    if (maxChars <= 0) return 0;
    if (text.size() <= maxChars) return int(text.size());
    // text[maxChars] exists: a pair split there loses its first half as well
    if (text[maxChars - 1].isHighSurrogate() && text[maxChars].isLowSurrogate()) return maxChars - 1;
    return maxChars;
}

QString CutToLength(const QString& text, int maxChars) {
    const int n = CutLength(text, maxChars);
    return n == text.size() ? text : text.left(n);
}

}  // namespace base
