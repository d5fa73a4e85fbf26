#pragma once

#include "report/designer/docking/skiffrow_types.h"

#include <QBitArray>
#include <QImage>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

class QFontMetrics;
class QPainter;

/// An image list of one width and height, shared by every button whose glyph images have that
/// size: a bit set of the slots in use and a use count.
class TppGlyphList {
public:
    TppGlyphList(int width, int height) : m_width(width), m_height(height) {}

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    /// Slots in use.
    int Count() const { return m_count; }
    /// Puts the image into a new slot; where the mask is white the image is transparent.
    /// "Invalid image size" when the image is smaller than the list.
    int Add(const QImage& image, const QImage& mask);
    /// Puts the image into a new slot; its pixels of the colour are transparent.
    int AddMasked(const QImage& image, QRgb maskColor);
    /// Frees the slot (its bit cleared, the use count lowered).
    void Delete(int index);
    QImage Image(int index) const;
    void Draw(QPainter& painter, int x, int y, int index) const;

private:
    int allocate();
    void replace(int index, const QImage& image);

    int m_width;
    int m_height;
    QBitArray m_used;
    QVector<QImage> m_images;
    int m_count = 0;
};

/// The image lists of every glyph, one per size. The single cache is made by the first glyph
/// holder and goes with the last one, once no list is left in it.
class TppGlyphCache {
public:
    /// The list of exactly that size, searched from the last made; made and added when none.
    TppGlyphList* ListFor(int width, int height);
    /// Frees the list when no slot of it is in use any more.
    void ReturnList(TppGlyphList* list);
    bool Empty() const { return m_lists.empty(); }
    int ListCount() const { return int(m_lists.size()); }

    /// The single cache; none before the first glyph holder or after the last.
    static TppGlyphCache* Instance();

private:
    friend class TppButtonGlyph;
    std::vector<std::unique_ptr<TppGlyphList>> m_lists;
};

/// A toolbar button's glyph: a strip of 1 to 5 images side by side, in the order of
/// TppButtonState (Up, Disabled, Down, Exclusive, Hot). A state without its own image shows
/// the Up image, except Disabled, which with fewer than 2 images is the embossed silhouette
/// of the Up image (one pixel wider and higher): highlight one pixel down and right, shadow
/// over it, for every pixel that is not the transparent colour (the strip's bottom-left
/// pixel), white or silver. The images are made when first asked for and kept in the shared
/// image lists of the glyph cache until the glyph, its mask, NumGlyphs or the disabled style
/// change.
class TppButtonGlyph {
public:
    TppButtonGlyph();
    ~TppButtonGlyph();
    TppButtonGlyph(const TppButtonGlyph&) = delete;
    TppButtonGlyph& operator=(const TppButtonGlyph&) = delete;

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
    void SetGlyphMask(const QImage& mask);
    /// The disabled image of a strip without one of its own is the silhouette in the shadow
    /// colour, flat, instead of embossed.
    bool OldDisabledStyle() const { return m_oldDisabledStyle; }
    void SetOldDisabledStyle(bool value);
    /// The strip's bottom-left pixel, taken when the glyph changes.
    QRgb TransparentColor() const { return m_transparent; }

    /// The glyph or its mask changed: the transparent colour is taken again, the images are
    /// released and the owner told.
    void GlyphChanged(const QImage& changed);
    /// Frees every slot this glyph holds and gives its lists back to the cache.
    void ReleaseImages();
    /// Slot of a state's image in list 0 (disabled) or 1 (the others); -1 while not made.
    int ImageIndex(int list, TppButtonState state) const { return m_indexes[list][state]; }

    /// Where the glyph, the caption and the drop-down arrow go in a face: centred across the
    /// layout's direction, placed along it by Margin and Spacing (-1 shares the free length).
    void LayoutFace(const QFontMetrics& metrics, const QRect& face, QPoint& glyphPos, QRect& textBounds,
                    QPoint& arrowPos, bool innerArrow, int spacing, int margin, TppButtonLayout layout,
                    bool wordWrap, const QString& caption, bool showText, bool showGlyph,
                    const QPoint& offset) const;
    /// Lays the face out and paints the glyph, the caption and the inner arrow.
    void PaintFace(QPainter& painter, const QRect& face, QRect& textBounds, TppButtonState state, bool innerArrow,
                   int spacing, int margin, TppButtonLayout layout, bool wordWrap, const QString& caption,
                   bool showText, bool showGlyph, const QPoint& offset, const QPalette& palette) const;
    void PaintGlyph(QPainter& painter, const QPoint& position, TppButtonState state, const QPalette& palette) const;
    /// Centred; disabled text is drawn embossed (highlight one pixel down and right, shadow over it).
    void PaintCaption(QPainter& painter, const QString& caption, TppButtonState state, bool wordWrap,
                      const QRect& rect, const QPalette& palette) const;
    /// The drop-down triangle (x + 4, y), (x + 8, y), (x + 6, y + 2), embossed when disabled.
    void PaintArrow(QPainter& painter, int x, TppButtonState state, int y, const QPalette& palette) const;

    /// Called when the images change (the owning button repaints).
    std::function<void()> OnChange;

private:
    bool masked(int x, int y) const;
    QImage buildImage(TppButtonState state, const QPalette& palette) const;

    QImage m_glyph;
    QImage m_mask;
    int m_numGlyphs = 1;
    bool m_oldDisabledStyle = false;
    QRgb m_transparent = 0;
    mutable TppGlyphList* m_lists[2] = {nullptr, nullptr};
    mutable int m_indexes[2][5];
    mutable QRgb m_madeWith[2] = {0, 0};
};
