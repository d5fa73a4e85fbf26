#pragma once

#include "platform/paint/graphics.h"
#include "platform/paint/text_metrics.h"

#include <QBrush>
#include <QImage>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

namespace paint {

/// The drawing surface of report components and devices, in the manner of the class
/// library's canvas: a current font, pen and brush, a current point, and operations in
/// device pixels of the painter's device (screen, image, printer or PDF). The painter stays
/// the caller's; the canvas only draws through it and leaves its state as it found it.
///
/// Text is drawn with the device-independent layout of text_metrics.h: the glyphs are
/// placed where TextWidth says on every device, so what was measured is what is drawn.
/// Shapes follow the Windows rules: a rectangle (left, top, right, bottom) covers the pixels
/// left..right-1 and top..bottom-1, its outline drawn inside it with the pen and its
/// inside filled with the brush; a line from the current point excludes its end point.
class Canvas {
public:
    /// The resolution of the painter's device (its logical dots per inch).
    explicit Canvas(QPainter& painter);
    /// An explicit resolution, for painters whose coordinates are not device pixels.
    Canvas(QPainter& painter, int pixelsPerInchX, int pixelsPerInchY);

    int PixelsPerInchX() const { return m_dpiX; }
    int PixelsPerInchY() const { return m_dpiY; }
    QPainter& Painter() { return m_painter; }

    const Font& GetFont() const { return m_font; }
    void SetFont(const Font& font);
    const Pen& GetPen() const { return m_pen; }
    void SetPen(const Pen& pen) { m_pen = pen; }
    const Brush& GetBrush() const { return m_brush; }
    void SetBrush(const Brush& brush) { m_brush = brush; }

    /// Measures of the current font at the canvas's resolution.
    const TextMetrics& Metrics() const;
    qreal TextWidth(const QString& text) const { return Metrics().TextWidth(text); }
    qreal TextHeight(const QString& text) const;

    /// Writes a line of text with the top of its cell at (x, y), in the font's colour. Unless
    /// the brush is clear, the cell is first filled with the brush colour. Tabs are blanks.
    void TextOut(qreal x, qreal y, const QString& text);
    /// TextOut clipped to `clip`.
    void TextRect(const QRectF& clip, qreal x, qreal y, const QString& text);
    /// TextOut with tabs expanded as TextMetrics::TabbedTextWidth measures them.
    void TabbedTextOut(qreal x, qreal y, const QString& text, const std::vector<qreal>& tabStops);

    void MoveTo(qreal x, qreal y) { m_penPos = QPointF(x, y); }
    /// A line with the pen from the current point to (x, y), which becomes the current point.
    void LineTo(qreal x, qreal y);
    void Rectangle(const QRectF& rect);
    void RoundRect(const QRectF& rect, qreal cornerWidth, qreal cornerHeight);
    void Ellipse(const QRectF& rect);
    /// Fills with the brush, without outline.
    void FillRect(const QRectF& rect);

    /// Draws an image stretched into the rectangle.
    void StretchDraw(const QRectF& rect, const QImage& image);
    /// StretchDraw in which the pixels of `transparent` (white by default) are not drawn,
    /// as pictures are printed transparently.
    void StretchDrawTransparent(const QRectF& rect, const QImage& image, TColor transparent = clWhite);

private:
    void drawText(qreal x, qreal y, const QString& text, const std::optional<QRectF>& clip);
    QPen qtPen() const;
    QBrush qtBrush() const;
    QRectF insideFrame(const QRectF& rect) const;

    QPainter& m_painter;
    int m_dpiX;
    int m_dpiY;
    Font m_font;
    Pen m_pen;
    Brush m_brush;
    QPointF m_penPos;
    mutable std::optional<TextMetrics> m_metrics;
};

}  // namespace paint
