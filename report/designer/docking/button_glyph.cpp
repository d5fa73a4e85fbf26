#include "report/designer/docking/button_glyph.h"

#include <algorithm>

void TppButtonGlyph::SetGlyph(const QImage& strip) {
    m_glyph = strip.convertToFormat(QImage::Format_ARGB32);
    if (m_glyph.height() > 0 && m_glyph.width() % m_glyph.height() == 0) {
        const int n = m_glyph.width() / m_glyph.height();
        m_numGlyphs = n >= 1 && n < 6 ? n : 1;
    }
}

void TppButtonGlyph::SetNumGlyphs(int value) { m_numGlyphs = std::clamp(value, 1, 5); }

bool TppButtonGlyph::masked(int x, int y) const {
    return !m_mask.isNull() && x < m_mask.width() && y < m_mask.height() && (m_mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
}

QImage TppButtonGlyph::StateImage(TppButtonState state, const QPalette& palette) const {
    if (m_glyph.isNull()) return {};
    const int w = m_glyph.width() / m_numGlyphs;
    const int h = m_glyph.height();
    const QRgb transparent = m_glyph.pixel(0, h - 1);
    const int position = static_cast<int>(state) < m_numGlyphs ? static_cast<int>(state) : 0;
    const QRgb highlight = palette.color(QPalette::Light).rgb();
    const QRgb shadow = palette.color(QPalette::Dark).rgb();
    if (state != bsDisabled || m_numGlyphs >= 2) {
        QImage image(state == bsDisabled ? w + 1 : w, state == bsDisabled ? h + 1 : h, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                QRgb p = m_glyph.pixel(position * w + x, y);
                if (p == transparent || masked(position * w + x, y)) continue;
                if (state == bsDisabled) {
                    if ((p & 0xFFFFFF) == 0xFFFFFF) p = highlight;
                    else if ((p & 0xFFFFFF) == 0x808080) p = shadow;
                }
                image.setPixel(x, y, p | 0xFF000000);
            }
        return image;
    }
    // The embossed silhouette: the shape is every pixel that is not transparent, white or silver.
    auto inShape = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return false;
        const QRgb p = m_glyph.pixel(x, y);
        return p != transparent && !masked(x, y) && (p & 0xFFFFFF) != 0xFFFFFF && (p & 0xFFFFFF) != 0xC0C0C0;
    };
    if (m_oldDisabledStyle) {
        QImage flat(w, h, QImage::Format_ARGB32);
        flat.fill(Qt::transparent);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (inShape(x, y)) flat.setPixel(x, y, shadow | 0xFF000000);
        return flat;
    }
    QImage image(w + 1, h + 1, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y <= h; ++y)
        for (int x = 0; x <= w; ++x) {
            if (inShape(x, y)) image.setPixel(x, y, shadow | 0xFF000000);
            else if (inShape(x - 1, y - 1)) image.setPixel(x, y, highlight | 0xFF000000);
        }
    return image;
}
