#include "services/gui/frame_drawing.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

void Pixel(QPainter& p, int x, int y, const QColor& c) { p.fillRect(QRect(x, y, 1, 1), c); }

}  // namespace

FrameColors FrameColors::FromPalette(const QPalette& palette) {
    FrameColors c;
    c.BtnShadow = palette.color(QPalette::Dark);
    c.BtnHighlight = palette.color(QPalette::Light);
    c.BtnText = palette.color(QPalette::ButtonText);
    c.Light3D = palette.color(QPalette::Midlight);
    c.DkShadow3D = palette.color(QPalette::Shadow);
    c.WindowFrame = palette.color(QPalette::WindowText);
    return c;
}

QRect DrawSides(QPainter& painter, QRect rect, const QColor& topLeft, TSides sides, const QColor& bottomRight) {
    const int left = rect.x(), top = rect.y(), right = rect.x() + rect.width(), bottom = rect.y() + rect.height();
    if (right <= left || bottom <= top) return rect;
    if (sides & TSide::sdLeft) painter.fillRect(QRect(left, top, 1, bottom - top), topLeft);
    if (sides & TSide::sdTop) painter.fillRect(QRect(left, top, right - left, 1), topLeft);
    if (sides & TSide::sdRight) painter.fillRect(QRect(right - 1, top, 1, bottom - top), bottomRight);
    if (sides & TSide::sdBottom) painter.fillRect(QRect(left, bottom - 1, right - left, 1), bottomRight);
    return QRect(QPoint(left + (sides & TSide::sdLeft ? 1 : 0), top + (sides & TSide::sdTop ? 1 : 0)),
                 QPoint(right - 1 - (sides & TSide::sdRight ? 1 : 0), bottom - 1 - (sides & TSide::sdBottom ? 1 : 0)));
}

QRect DrawBevel(QPainter& painter, QRect rect, const QColor& topLeft, TSides sides, int count, const QColor& bottomRight) {
    for (int i = 0; i < count; ++i) rect = DrawSides(painter, rect, topLeft, sides, bottomRight);
    return rect;
}

QRect DrawBorder(QPainter& painter, QRect rect, TFrameStyle style, TSides sides, const FrameColors& c) {
    switch (style) {
    case TFrameStyle::fsNone:
        return rect;
    case TFrameStyle::fsFlat:
        return DrawSides(painter, rect, c.WindowFrame, sides, c.WindowFrame);
    case TFrameStyle::fsStatus:
        return DrawSides(painter, rect, c.BtnShadow, sides, c.BtnHighlight);
    case TFrameStyle::fsPopup:
        return DrawSides(painter, rect, c.BtnHighlight, sides, c.BtnShadow);
    case TFrameStyle::fsLowered:
        rect = DrawSides(painter, rect, c.BtnShadow, sides, c.BtnHighlight);
        return DrawSides(painter, rect, c.BtnText, sides, c.Light3D);
    case TFrameStyle::fsButtonDown:
        rect = DrawSides(painter, rect, c.BtnText, sides, c.BtnText);
        return DrawSides(painter, rect, c.BtnShadow, sides, c.BtnShadow);
    case TFrameStyle::fsRaised:
        rect = DrawSides(painter, rect, c.Light3D, sides, c.BtnText);
        return DrawSides(painter, rect, c.BtnHighlight, sides, c.BtnShadow);
    case TFrameStyle::fsButtonUp:
        rect = DrawSides(painter, rect, c.BtnHighlight, sides, c.DkShadow3D);
        return DrawSides(painter, rect, c.Light3D, sides, c.BtnShadow);
    case TFrameStyle::fsGroove:
    case TFrameStyle::fsBump: {
        // E: the colour at the edge; I: the colour one pixel in.
        const QColor e = style == TFrameStyle::fsGroove ? c.BtnShadow : c.BtnHighlight;
        const QColor i = style == TFrameStyle::fsGroove ? c.BtnHighlight : c.BtnShadow;
        const int left = rect.x(), top = rect.y(), right = rect.x() + rect.width(), bottom = rect.y() + rect.height();
        const bool l = sides & TSide::sdLeft, t = sides & TSide::sdTop, r = sides & TSide::sdRight,
                   b = sides & TSide::sdBottom;
        if (r) Pixel(painter, right - 1, top, i);
        else if (t) Pixel(painter, right - 1, top, e);
        if (b) Pixel(painter, left, bottom - 1, i);
        else if (l) Pixel(painter, left, bottom - 1, e);
        if (t && !l) Pixel(painter, left, top + 1, i);
        if (l && !t) Pixel(painter, left + 1, top, i);
        if (b && !r) Pixel(painter, right - 1, bottom - 2, e);
        if (r && !b) Pixel(painter, right - 2, bottom - 1, e);
        DrawSides(painter, QRect(QPoint(left + 1, top + 1), QPoint(right - 1, bottom - 1)), i, sides, i);
        DrawSides(painter, QRect(QPoint(left, top), QPoint(right - 2, bottom - 2)), e, sides, e);
        return QRect(QPoint(left + (l ? 2 : 0), top + (t ? 2 : 0)), QPoint(right - 1 - (r ? 2 : 0), bottom - 1 - (b ? 2 : 0)));
    }
    }
    return rect;
}

void DrawFrame(QPainter& painter, int width, int height, TSides sides, const QColor& frameColor,
               const QColor& background, TFrameStyle style, const FrameColors& colors) {
    const QRect outer(0, 0, width, height);
    DrawBevel(painter, outer, background, kAllSides, 2, background);
    if (style == TFrameStyle::fsFlat) DrawSides(painter, outer, frameColor, sides, frameColor);
    else DrawBorder(painter, outer, style, sides, colors);
}

int FontHeightOf(const QFont& font) { return QFontMetrics(font).height() + 2; }
