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

namespace {

struct NamedCharset {
    int charset;
    const char* ident;
};

constexpr NamedCharset kCharsets[] = {
    {0, "ANSI_CHARSET"},         {1, "DEFAULT_CHARSET"},     {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},         {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},      {134, "GB2312_CHARSET"},    {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},      {162, "TURKISH_CHARSET"},   {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},     {178, "ARABIC_CHARSET"},    {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"},    {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

}  // namespace

std::optional<QString> CharsetToIdent(int charset) {
    for (const NamedCharset& c : kCharsets)
        if (c.charset == charset) return QString::fromLatin1(c.ident);
    return std::nullopt;
}

std::optional<int> IdentToCharset(const QString& ident) {
    for (const NamedCharset& c : kCharsets)
        if (ident.compare(QLatin1String(c.ident), Qt::CaseInsensitive) == 0) return c.charset;
    return std::nullopt;
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
