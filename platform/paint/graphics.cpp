#include "platform/paint/graphics.h"

#include <cmath>
#include <cstdlib>

namespace paint {

QStringList FontStyleNames() {
    return {QStringLiteral("fsBold"), QStringLiteral("fsItalic"), QStringLiteral("fsUnderline"),
            QStringLiteral("fsStrikeOut")};
}

QStringList FontPitchNames() {
    return {QStringLiteral("fpDefault"), QStringLiteral("fpVariable"), QStringLiteral("fpFixed")};
}

QStringList PenStyleNames() {
    return {QStringLiteral("psSolid"),      QStringLiteral("psDash"),  QStringLiteral("psDot"),
            QStringLiteral("psDashDot"),    QStringLiteral("psDashDotDot"), QStringLiteral("psClear"),
            QStringLiteral("psInsideFrame")};
}

QStringList BrushStyleNames() {
    return {QStringLiteral("bsSolid"),     QStringLiteral("bsClear"),     QStringLiteral("bsHorizontal"),
            QStringLiteral("bsVertical"),  QStringLiteral("bsFDiagonal"), QStringLiteral("bsBDiagonal"),
            QStringLiteral("bsCross"),     QStringLiteral("bsDiagCross")};
}

int Font::HeightAt(int pixelsPerInch) const {
    // MulDiv rounds half away from zero.
    const long long n = static_cast<long long>(std::abs(Size)) * pixelsPerInch;
    return -static_cast<int>((n + 36) / 72);
}

void Font::SetHeightAt(int height, int pixelsPerInch) {
    if (pixelsPerInch <= 0) return;
    const long long n = static_cast<long long>(std::abs(height)) * 72;
    Size = static_cast<int>((n + pixelsPerInch / 2) / pixelsPerInch);
}

}  // namespace paint
