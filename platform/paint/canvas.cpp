#include "platform/paint/canvas.h"

#include "platform/paint/font_resolver.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace paint {

namespace {

Qt::PenStyle qtPenStyle(TPenStyle style) {
    switch (style) {
    case TPenStyle::psSolid:
    case TPenStyle::psInsideFrame: return Qt::SolidLine;
    case TPenStyle::psDash: return Qt::DashLine;
    case TPenStyle::psDot: return Qt::DotLine;
    case TPenStyle::psDashDot: return Qt::DashDotLine;
    case TPenStyle::psDashDotDot: return Qt::DashDotDotLine;
    case TPenStyle::psClear: return Qt::NoPen;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle qtBrushStyle(TBrushStyle style) {
    switch (style) {
    case TBrushStyle::bsSolid: return Qt::SolidPattern;
    case TBrushStyle::bsClear: return Qt::NoBrush;
    case TBrushStyle::bsHorizontal: return Qt::HorPattern;
    case TBrushStyle::bsVertical: return Qt::VerPattern;
    case TBrushStyle::bsFDiagonal: return Qt::FDiagPattern;
    case TBrushStyle::bsBDiagonal: return Qt::BDiagPattern;
    case TBrushStyle::bsCross: return Qt::CrossPattern;
    case TBrushStyle::bsDiagCross: return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

}  // namespace

Canvas::Canvas(QPainter& painter)
    : Canvas(painter, painter.device() ? painter.device()->logicalDpiX() : 96,
             painter.device() ? painter.device()->logicalDpiY() : 96) {}

Canvas::Canvas(QPainter& painter, int pixelsPerInchX, int pixelsPerInchY)
    : m_painter(painter), m_dpiX(std::max(1, pixelsPerInchX)), m_dpiY(std::max(1, pixelsPerInchY)) {}

void Canvas::SetFont(const Font& font) {
    if (font == m_font) return;
    m_font = font;
    m_metrics.reset();
}

const TextMetrics& Canvas::Metrics() const {
    if (!m_metrics) m_metrics.emplace(m_font, m_dpiX, m_dpiY);
    return *m_metrics;
}

qreal Canvas::TextHeight(const QString& text) const {
    Q_UNUSED(text);
    return Metrics().Height();
}

void Canvas::TextOut(qreal x, qreal y, const QString& text) { drawText(x, y, text, std::nullopt); }

void Canvas::TextRect(const QRectF& clip, qreal x, qreal y, const QString& text) { drawText(x, y, text, clip); }

void Canvas::TabbedTextOut(qreal x, qreal y, const QString& text, const std::vector<qreal>& tabStops) {
    const QStringList pieces = text.split(QLatin1Char('\t'));
    QString done;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const qreal start = i == 0 ? 0 : Metrics().TabbedTextWidth(done + QLatin1Char('\t'), tabStops);
        drawText(x + start, y, pieces.at(i), std::nullopt);
        if (i > 0) done += QLatin1Char('\t');
        done += pieces.at(i);
    }
}

void Canvas::drawText(qreal x, qreal y, const QString& text, const std::optional<QRectF>& clip) {
    if (text.isEmpty()) return;
    const TextMetrics& m = Metrics();
    QString line = text;
    line.replace(QLatin1Char('\t'), QLatin1Char(' '));
    m_painter.save();
    if (clip) m_painter.setClipRect(*clip, Qt::IntersectClip);
    if (m_brush.Style != TBrushStyle::bsClear && m_brush.Color != clNone)
        m_painter.fillRect(QRectF(x, y, m.TextWidth(line), m.Height()), ToQColor(m_brush.Color));
    // Lay the glyphs out at the layout resolution and scale them onto the device.
    m_painter.translate(x, y + m.Ascent());
    m_painter.scale(qreal(m_dpiX) / kLayoutUnitsPerInch, qreal(m_dpiY) / kLayoutUnitsPerInch);
    m_painter.setFont(m.LayoutQFont());
    m_painter.setPen(ToQColor(m_font.Color));
    m_painter.drawText(QPointF(0, 0), line);
    m_painter.restore();
}

QPen Canvas::qtPen() const {
    if (m_pen.Color == clNone) return QPen(Qt::NoPen);
    QPen pen(ToQColor(m_pen.Color));
    pen.setWidthF(std::max(1, m_pen.Width));
    pen.setStyle(qtPenStyle(m_pen.Style));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QBrush Canvas::qtBrush() const {
    if (m_brush.Color == clNone) return QBrush(Qt::NoBrush);
    return QBrush(ToQColor(m_brush.Color), qtBrushStyle(m_brush.Style));
}

QRectF Canvas::insideFrame(const QRectF& rect) const {
    if (m_pen.Style == TPenStyle::psClear || m_pen.Color == clNone) return rect;
    const qreal half = std::max(1, m_pen.Width) / 2.0;
    return rect.adjusted(half, half, -half, -half);
}

void Canvas::LineTo(qreal x, qreal y) {
    m_painter.save();
    QPen pen = qtPen();
    pen.setCapStyle(Qt::SquareCap);
    m_painter.setPen(pen);
    // Pixel centres, with square caps reaching half a pixel beyond them; the end point
    // itself is left out, so the line stops one pixel short of it.
    const QPointF a = m_penPos + QPointF(0.5, 0.5);
    QPointF b(x + 0.5, y + 0.5);
    const QPointF d = b - a;
    const qreal length = std::hypot(d.x(), d.y());
    if (length >= 1) {
        b -= d / length;
        m_painter.drawLine(a, b);
    }
    m_painter.restore();
    m_penPos = QPointF(x, y);
}

void Canvas::Rectangle(const QRectF& rect) {
    m_painter.save();
    m_painter.setPen(qtPen());
    m_painter.setBrush(qtBrush());
    m_painter.drawRect(insideFrame(rect));
    m_painter.restore();
}

void Canvas::RoundRect(const QRectF& rect, qreal cornerWidth, qreal cornerHeight) {
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setPen(qtPen());
    m_painter.setBrush(qtBrush());
    m_painter.drawRoundedRect(insideFrame(rect), cornerWidth / 2, cornerHeight / 2);
    m_painter.restore();
}

void Canvas::Ellipse(const QRectF& rect) {
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setPen(qtPen());
    m_painter.setBrush(qtBrush());
    m_painter.drawEllipse(insideFrame(rect));
    m_painter.restore();
}

void Canvas::FillRect(const QRectF& rect) {
    if (m_brush.Style == TBrushStyle::bsClear || m_brush.Color == clNone) return;
    m_painter.fillRect(rect, qtBrush());
}

void Canvas::StretchDraw(const QRectF& rect, const QImage& image) {
    if (image.isNull() || rect.isEmpty()) return;
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter.drawImage(rect, image);
    m_painter.restore();
}

void Canvas::StretchDrawTransparent(const QRectF& rect, const QImage& image, TColor transparent) {
    if (image.isNull() || rect.isEmpty()) return;
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(transparent).rgb() & 0xFFFFFF;
    for (int y = 0; y < masked.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
    }
    StretchDraw(rect, masked);
}

}  // namespace paint
