#pragma once

#include "report/designer/docking/skiffrow_types.h"

#include <QImage>
#include <QPalette>

/// A toolbar button's glyph: a strip of 1 to 5 images side by side, in the order of
/// TppButtonState (Up, Disabled, Down, Exclusive, Hot). A state without its own image shows
/// the Up image, except Disabled, which with fewer than 2 images is the embossed silhouette
/// of the Up image (one pixel wider and higher): highlight one pixel down and right, shadow
/// over it, for every pixel that is not the transparent colour (the strip's bottom-left
/// pixel), white or silver.
class TppButtonGlyph {
public:
    QImage Glyph() const { return m_glyph; }
    /// Sets the strip; NumGlyphs becomes width / height when that is 1..5.
    void SetGlyph(const QImage& strip);
    int NumGlyphs() const { return m_numGlyphs; }
    /// 0 becomes 1, above 5 becomes 5.
    void SetNumGlyphs(int value);
    /// The image of a state, with the transparent colour made transparent.
    QImage StateImage(TppButtonState state, const QPalette& palette) const;
    /// A mask of the strip's size: where it is white the glyph is transparent, whatever its
    /// colour there. None: the transparent colour alone decides.
    QImage GlyphMask() const { return m_mask; }
    void SetGlyphMask(const QImage& mask) { m_mask = mask.convertToFormat(QImage::Format_RGB32); }
    /// The disabled image of a strip without one of its own is the silhouette in the shadow
    /// colour, flat, instead of embossed.
    bool OldDisabledStyle() const { return m_oldDisabledStyle; }
    void SetOldDisabledStyle(bool value) { m_oldDisabledStyle = value; }

private:
    bool masked(int x, int y) const;

    QImage m_glyph;
    QImage m_mask;
    int m_numGlyphs = 1;
    bool m_oldDisabledStyle = false;
};
