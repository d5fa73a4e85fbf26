#include "report/designer/docking/button_glyph.h"

#include "report/designer/docking/errors.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace {

TppGlyphCache* g_cache = nullptr;
int g_holders = 0;

}  // namespace

// ---- image lists ----

int TppGlyphList::allocate() {
    for (int i = 0; i < m_used.size(); ++i)
        if (!m_used.testBit(i)) {
            m_used.setBit(i);
            ++m_count;
            return i;
        }
    const int index = int(m_used.size());
    m_used.resize(index + 1);
    m_used.setBit(index);
    m_images.resize(index + 1);
    ++m_count;
    return index;
}

void TppGlyphList::replace(int index, const QImage& image) {
    if (index < 0 || index >= m_images.size()) throw EInvalidOperation(QStringLiteral("Unable to Replace Image"));
    m_images[index] = image.copy(0, 0, m_width, m_height).convertToFormat(QImage::Format_ARGB32);
}

int TppGlyphList::Add(const QImage& image, const QImage& mask) {
    if (image.width() < m_width || image.height() < m_height) throw EInvalidOperation(QStringLiteral("Invalid image size"));
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    if (!mask.isNull())
        for (int y = 0; y < std::min(masked.height(), mask.height()); ++y)
            for (int x = 0; x < std::min(masked.width(), mask.width()); ++x)
                if ((mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) masked.setPixel(x, y, 0);
    const int index = allocate();
    replace(index, masked);
    return index;
}

int TppGlyphList::AddMasked(const QImage& image, QRgb maskColor) {
    if (image.width() < m_width || image.height() < m_height) throw EInvalidOperation(QStringLiteral("Invalid image size"));
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y)
        for (int x = 0; x < masked.width(); ++x)
            if ((masked.pixel(x, y) & 0xFFFFFF) == (maskColor & 0xFFFFFF)) masked.setPixel(x, y, 0);
    const int index = allocate();
    replace(index, masked);
    return index;
}

void TppGlyphList::Delete(int index) {
    if (index < 0 || index >= m_used.size() || !m_used.testBit(index)) return;
    m_used.clearBit(index);
    m_images[index] = QImage();
    --m_count;
}

QImage TppGlyphList::Image(int index) const {
    return index >= 0 && index < m_images.size() ? m_images[index] : QImage();
}

void TppGlyphList::Draw(QPainter& painter, int x, int y, int index) const {
    if (index >= 0 && index < m_images.size() && !m_images[index].isNull()) painter.drawImage(x, y, m_images[index]);
}

// ---- the cache ----

TppGlyphCache* TppGlyphCache::Instance() { return g_cache; }

TppGlyphList* TppGlyphCache::ListFor(int width, int height) {
    for (auto it = m_lists.rbegin(); it != m_lists.rend(); ++it)
        if ((*it)->Width() == width && (*it)->Height() == height) return it->get();
    m_lists.push_back(std::make_unique<TppGlyphList>(width, height));
    return m_lists.back().get();
}

void TppGlyphCache::ReturnList(TppGlyphList* list) {
    if (!list || list->Count() > 0) return;
    std::erase_if(m_lists, [&](const std::unique_ptr<TppGlyphList>& l) { return l.get() == list; });
}

// ---- the glyph ----

TppButtonGlyph::TppButtonGlyph() {
    for (auto& list : m_indexes) std::fill(std::begin(list), std::end(list), -1);
    if (!g_cache) g_cache = new TppGlyphCache;
    ++g_holders;
}

TppButtonGlyph::~TppButtonGlyph() {
    ReleaseImages();
    if (--g_holders == 0 && g_cache && g_cache->Empty()) {
        delete g_cache;
        g_cache = nullptr;
    }
}

void TppButtonGlyph::ReleaseImages() {
    for (int list = 0; list < 2; ++list) {
        if (!m_lists[list]) continue;
        for (int& index : m_indexes[list]) {
            if (index >= 0) m_lists[list]->Delete(index);
            index = -1;
        }
        if (g_cache) g_cache->ReturnList(m_lists[list]);
        m_lists[list] = nullptr;
    }
}

void TppButtonGlyph::GlyphChanged(const QImage& changed) {
    if (&changed != &m_glyph && &changed != &m_mask) return;
    if (m_glyph.width() > 0 && m_glyph.height() > 0) m_transparent = m_glyph.pixel(0, m_glyph.height() - 1);
    ReleaseImages();
    if (OnChange) OnChange();
}

void TppButtonGlyph::SetGlyph(const QImage& strip) {
    ReleaseImages();
    m_glyph = strip.convertToFormat(QImage::Format_ARGB32);
    if (m_glyph.height() > 0 && m_glyph.width() % m_glyph.height() == 0) {
        const int n = m_glyph.width() / m_glyph.height();
        m_numGlyphs = n >= 1 && n < 6 ? n : 1;
    }
    GlyphChanged(m_glyph);
}

void TppButtonGlyph::SetGlyphMask(const QImage& mask) {
    ReleaseImages();
    m_mask = mask.isNull() ? QImage() : mask.convertToFormat(QImage::Format_RGB32);
    GlyphChanged(m_mask);
}

void TppButtonGlyph::SetNumGlyphs(int value) {
    ReleaseImages();
    m_numGlyphs = std::clamp(value, 1, 5);
    GlyphChanged(m_glyph);
}

void TppButtonGlyph::SetOldDisabledStyle(bool value) {
    m_oldDisabledStyle = value;
    ReleaseImages();
}

bool TppButtonGlyph::masked(int x, int y) const {
    return !m_mask.isNull() && x < m_mask.width() && y < m_mask.height() && (m_mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
}

QImage TppButtonGlyph::StateImage(TppButtonState state, const QPalette& palette) const {
    if (m_glyph.isNull()) return {};
    const QRgb highlight = palette.color(QPalette::Light).rgb();
    const QRgb shadow = palette.color(QPalette::Dark).rgb();
    if ((m_lists[0] || m_lists[1]) && (m_madeWith[0] != highlight || m_madeWith[1] != shadow))
        const_cast<TppButtonGlyph*>(this)->ReleaseImages();
    m_madeWith[0] = highlight;
    m_madeWith[1] = shadow;
    const int list = state == bsDisabled ? 0 : 1;
    if (m_lists[list] && m_indexes[list][state] >= 0) return m_lists[list]->Image(m_indexes[list][state]);
    const QImage image = buildImage(state, palette);
    if (!g_cache) return image;
    if (!m_lists[list]) m_lists[list] = g_cache->ListFor(image.width(), image.height());
    m_indexes[list][state] = m_lists[list]->Add(image, QImage());
    return m_lists[list]->Image(m_indexes[list][state]);
}

QImage TppButtonGlyph::buildImage(TppButtonState state, const QPalette& palette) const {
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

// ---- the face ----

void TppButtonGlyph::LayoutFace(const QFontMetrics& metrics, const QRect& face, QPoint& glyphPos, QRect& textBounds,
                                QPoint& arrowPos, bool innerArrow, int spacing, int margin, TppButtonLayout layout,
                                bool wordWrap, const QString& caption, bool showText, bool showGlyph,
                                const QPoint& offset) const {
    const int W = face.width();
    const int H = face.height();
    const bool hasGlyph = showGlyph && m_glyph.width() > 0 && m_glyph.height() > 0;
    const QSize glyph = hasGlyph ? QSize(m_glyph.width() / m_numGlyphs, m_glyph.height()) : QSize(0, 0);
    const QSize arrow = innerArrow ? QSize(9, 3) : QSize(0, 0);
    if ((layout == blGlyphTop || layout == blGlyphBottom) && !hasGlyph) layout = blGlyphLeft;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

    QSize text(0, 0);
    if (showText && !caption.isEmpty()) {
        int width = W - (horizontal ? arrow.width() : 0);
        int flags = Qt::TextSingleLine;
        if (wordWrap) {
            flags = Qt::TextWordWrap;
            if (horizontal && hasGlyph) {
                width -= glyph.width() + (spacing == -1 ? 4 : spacing);
                width -= 2 * (margin != -1 ? margin : spacing != -1 ? spacing : 4);
            } else {
                width -= 8;
            }
        }
        text = metrics.boundingRect(QRect(0, 0, std::max(width, 0), 0), flags, caption).size();
    }

    QPoint g(0, 0), t(0, 0), a(0, 0);
    if (horizontal) {
        g.setY((H - glyph.height() + 1) / 2);
        t.setY((H - text.height() + 1) / 2);
    } else {
        g.setX((W - glyph.width() - arrow.width() + 1) / 2);
        t.setX((W - text.width() + 1) / 2);
        a.setX(hasGlyph ? g.x() + glyph.width() : t.x() + text.width());
    }
    if (text.isEmpty() || !hasGlyph) spacing = 0;

    const int length = horizontal ? W : H;
    if (margin == -1) {
        if (spacing == -1) {
            const int used = horizontal ? glyph.width() + text.width() + arrow.width() : glyph.height() + text.height();
            margin = spacing = (length - used) / 3;
        } else {
            const int used = horizontal ? glyph.width() + spacing + text.width() + arrow.width()
                                        : glyph.height() + spacing + text.height();
            margin = (length - used + 1) / 2;
        }
    } else if (spacing == -1) {
        const int used = horizontal ? margin + glyph.width() + arrow.width() : margin + glyph.height();
        spacing = (length - used - (horizontal ? text.width() : text.height())) / 2;
    }

    switch (layout) {
    case blGlyphLeft:
        g.setX(margin);
        t.setX(margin + glyph.width() + spacing);
        a.setX(t.x() + text.width());
        break;
    case blGlyphRight:
        a.setX(W - margin - arrow.width());
        g.setX(a.x() - glyph.width());
        t.setX(g.x() - spacing - text.width());
        break;
    case blGlyphTop:
        g.setY(margin);
        t.setY(margin + glyph.height() + spacing);
        break;
    case blGlyphBottom:
        g.setY(H - margin - glyph.height());
        t.setY(g.y() - spacing - text.height());
        break;
    }
    a.setY(hasGlyph ? g.y() + (glyph.height() - arrow.height()) / 2 : t.y() + (text.height() - arrow.height()) / 2);

    const QPoint shift = face.topLeft() + offset;
    glyphPos = g + shift;
    arrowPos = a + shift;
    textBounds = QRect(t + shift, text);
}

void TppButtonGlyph::PaintFace(QPainter& painter, const QRect& face, QRect& textBounds, TppButtonState state,
                               bool innerArrow, int spacing, int margin, TppButtonLayout layout, bool wordWrap,
                               const QString& caption, bool showText, bool showGlyph, const QPoint& offset,
                               const QPalette& palette) const {
    QPoint glyphPos, arrowPos;
    LayoutFace(QFontMetrics(painter.font()), face, glyphPos, textBounds, arrowPos, innerArrow, spacing, margin, layout,
               wordWrap, caption, showText, showGlyph, offset);
    if (showGlyph) PaintGlyph(painter, glyphPos, state, palette);
    if (showText) PaintCaption(painter, caption, state, wordWrap, textBounds, palette);
    if (innerArrow) PaintArrow(painter, arrowPos.x(), state, arrowPos.y(), palette);
}

void TppButtonGlyph::PaintGlyph(QPainter& painter, const QPoint& position, TppButtonState state,
                                const QPalette& palette) const {
    if (m_glyph.width() <= 0 || m_glyph.height() <= 0) return;
    const int list = state == bsDisabled ? 0 : 1;
    StateImage(state, palette);
    if (m_lists[list]) m_lists[list]->Draw(painter, position.x(), position.y(), m_indexes[list][state]);
}

void TppButtonGlyph::PaintCaption(QPainter& painter, const QString& caption, TppButtonState state, bool wordWrap,
                                  const QRect& rect, const QPalette& palette) const {
    const int flags = Qt::AlignCenter | (wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    if (state == bsDisabled) {
        painter.setPen(palette.color(QPalette::Light));
        painter.drawText(rect.translated(1, 1), flags, caption);
        painter.setPen(palette.color(QPalette::Dark));
    } else {
        painter.setPen(palette.color(QPalette::ButtonText));
    }
    painter.drawText(rect, flags, caption);
    painter.restore();
}

void TppButtonGlyph::PaintArrow(QPainter& painter, int x, TppButtonState state, int y, const QPalette& palette) const {
    auto triangle = [&](int dx, int dy, const QColor& colour) {
        const QPolygon shape({QPoint(x + 4 + dx, y + dy), QPoint(x + 8 + dx, y + dy), QPoint(x + 6 + dx, y + 2 + dy)});
        painter.setPen(colour);
        painter.setBrush(colour);
        painter.drawPolygon(shape);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (state == bsDisabled) {
        triangle(1, 1, palette.color(QPalette::Light));
        triangle(0, 0, palette.color(QPalette::Dark));
    } else {
        triangle(0, 0, palette.color(QPalette::ButtonText));
    }
    painter.restore();
}
