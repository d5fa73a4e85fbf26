#pragma once

#include "platform/paint/graphics.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <vector>

namespace paint {

/// The measures of a font on a device of a given resolution. Every width is the font's
/// device-independent layout width (font_resolver.h) scaled by the resolution, so widths
/// at 96 and 600 dpi stand in the ratio 96 : 600 exactly and text wraps alike on both.
/// Widths and heights are in device pixels and not rounded; callers that need whole
/// pixels round or truncate as their own rules say.
class TextMetrics {
public:
    TextMetrics(const Font& font, int pixelsPerInchX, int pixelsPerInchY);

    int PixelsPerInchX() const { return m_dpiX; }
    int PixelsPerInchY() const { return m_dpiY; }

    /// Width of the text in layout units (1/7200 inch); tabs count as blanks here.
    qreal WidthUnits(const QString& text) const;
    /// Width of the text in device pixels.
    qreal TextWidth(const QString& text) const;
    /// Width of the text with tabs expanded: each tab moves to the next of `tabStops`
    /// (device pixels from the start of the text, ascending); past the last stop, or with
    /// no stops, to the next multiple of 8 average character widths (of the single stop
    /// when exactly one is given, as the Windows tabbed-text routines do).
    qreal TabbedTextWidth(const QString& text, const std::vector<qreal>& tabStops) const;

    qreal Ascent() const;           ///< above the baseline
    qreal Descent() const;          ///< below the baseline
    qreal Height() const;           ///< Ascent + Descent: the text-metric height of a line
    qreal InternalLeading() const;  ///< Height less the em size (the point size)
    qreal ExternalLeading() const;  ///< the gap the font suggests between lines
    qreal AverageCharWidth() const;

    /// The Qt font at the layout resolution (see LayoutFont).
    const QFont& LayoutQFont() const { return m_font; }
    /// Layout units to device pixels, horizontally and vertically.
    qreal UnitsToX(qreal units) const { return units * m_dpiX / kUnitsPerInch; }
    qreal UnitsToY(qreal units) const { return units * m_dpiY / kUnitsPerInch; }
    qreal XToUnits(qreal pixels) const { return pixels * kUnitsPerInch / m_dpiX; }

private:
    static constexpr qreal kUnitsPerInch = 7200;
    QFont m_font;
    QFontMetricsF m_metrics;
    int m_dpiX;
    int m_dpiY;
};

}  // namespace paint
