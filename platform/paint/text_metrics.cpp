#include "platform/paint/text_metrics.h"

#include "platform/paint/font_resolver.h"

#include <algorithm>
#include <cmath>

namespace paint {

static_assert(kLayoutUnitsPerInch == 7200);

TextMetrics::TextMetrics(const Font& font, int pixelsPerInchX, int pixelsPerInchY)
    : m_font(LayoutFont(font)),
      m_metrics(m_font),
      m_dpiX(std::max(1, pixelsPerInchX)),
      m_dpiY(std::max(1, pixelsPerInchY)) {}

qreal TextMetrics::WidthUnits(const QString& text) const {
    if (text.isEmpty()) return 0;
    if (!text.contains(QLatin1Char('\t'))) return m_metrics.horizontalAdvance(text);
    QString blanks = text;
    blanks.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return m_metrics.horizontalAdvance(blanks);
}

qreal TextMetrics::TextWidth(const QString& text) const { return UnitsToX(WidthUnits(text)); }

qreal TextMetrics::TabbedTextWidth(const QString& text, const std::vector<qreal>& tabStops) const {
    const QStringList pieces = text.split(QLatin1Char('\t'));
    qreal interval = 8 * AverageCharWidth();
    if (tabStops.size() == 1 && tabStops.front() > 0) interval = tabStops.front();
    qreal x = 0;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        x += TextWidth(pieces.at(i));
        if (i + 1 == pieces.size()) break;
        const auto next = std::upper_bound(tabStops.begin(), tabStops.end(), x);
        if (tabStops.size() > 1 && next != tabStops.end())
            x = *next;
        else if (interval > 0)
            x = (std::floor(x / interval) + 1) * interval;
    }
    return x;
}

qreal TextMetrics::Ascent() const { return UnitsToY(m_metrics.ascent()); }
qreal TextMetrics::Descent() const { return UnitsToY(m_metrics.descent()); }
qreal TextMetrics::Height() const { return UnitsToY(m_metrics.ascent() + m_metrics.descent()); }
qreal TextMetrics::InternalLeading() const {
    return UnitsToY(m_metrics.ascent() + m_metrics.descent() - m_font.pixelSize());
}
qreal TextMetrics::ExternalLeading() const { return UnitsToY(std::max<qreal>(0, m_metrics.leading())); }
qreal TextMetrics::AverageCharWidth() const { return UnitsToX(m_metrics.averageCharWidth()); }

}  // namespace paint
