#include "report/output/meta_bitmap.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <vector>

namespace {

QColor colorOf(paint::TColor c) {
    return paint::ToQColor(c);
}

/// A painter for one primitive: aliased, one-pixel pens.
struct Painter : QPainter {
    explicit Painter(QImage& image) : QPainter(&image) { setRenderHint(QPainter::Antialiasing, false); }
};

/// The fixed source of the value bars' lengths while a MetaBitmapSeed lives; null: the system's.
std::minstd_rand* g_barRandom = nullptr;

/// A length step of 0 to 3 for one value bar.
int barStep() {
    if (g_barRandom) return int((*g_barRandom)() % 4);
    return int(QRandomGenerator::global()->bounded(4));
}

}  // namespace

report::MetaBitmapSeed::MetaBitmapSeed(unsigned aSeed) : m_generator(aSeed), m_previous(g_barRandom) {
    g_barRandom = &m_generator;
}

report::MetaBitmapSeed::~MetaBitmapSeed() { g_barRandom = m_previous; }

void TppMetaBitmap::DrawToBitmap(QImage* aBitmap) {
    if (!aBitmap) return;
    *aBitmap = QImage(std::max(1, m_width), std::max(1, m_height), QImage::Format_RGB32);
    aBitmap->fill(colorOf(m_background));
    report::MetaCanvas canvas(*aBitmap);
    Draw(canvas);
}

QImage ppCreateMetaBitmap(const TppMetaBitmapClass& aClass) {
    QImage image;
    ppDrawMetaBitmap(aClass, &image);
    return image;
}

void ppDrawMetaBitmap(const TppMetaBitmapClass& aClass, QImage* aBitmap) {
    if (!aClass) return;
    std::unique_ptr<TppMetaBitmap> picture = aClass();
    if (picture) picture->DrawToBitmap(aBitmap);
}

void ppMetaLine(report::MetaCanvas& aCanvas, int x1, int y1, int x2, int y2, paint::TColor aColor) {
    Painter p(aCanvas.Image());
    p.setPen(QPen(colorOf(aColor), 0));
    if (x1 == x2 || y1 == y2) {
        p.drawLine(x1, y1, x2, y2);  // both ends included
        return;
    }
    // A sloped line stops before its end point, as the system's line drawing does.
    const int dx = x2 - x1;
    const int dy = y2 - y1;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < steps; ++i)
        p.drawPoint(x1 + int(std::lround(double(dx) * i / steps)), y1 + int(std::lround(double(dy) * i / steps)));
}

void ppMetaFillRect(report::MetaCanvas& aCanvas, int x1, int y1, int x2, int y2, paint::TColor aColor) {
    Painter p(aCanvas.Image());
    p.fillRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))),
               colorOf(aColor));
}

void ppMetaFrameRect(report::MetaCanvas& aCanvas, int x1, int y1, int x2, int y2, paint::TColor aColor) {
    Painter p(aCanvas.Image());
    p.setPen(QPen(colorOf(aColor), 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(x1, y1, x2 - x1, y2 - y1));
}

void ppMetaEllipse(report::MetaCanvas& aCanvas, int x1, int y1, int x2, int y2, paint::TColor aColor) {
    Painter p(aCanvas.Image());
    p.setPen(QPen(colorOf(aColor), 0));
    p.setBrush(colorOf(aColor));
    p.drawEllipse(QRect(x1, y1, x2 - x1, y2 - y1));
}

void ppMetaFloodFill(report::MetaCanvas& aCanvas, int x, int y, paint::TColor aColor) {
    QImage& image = aCanvas.Image();
    if (!image.rect().contains(x, y)) return;
    const QRgb target = image.pixel(x, y);
    const QRgb fill = colorOf(aColor).rgb();
    if (target == fill) return;
    std::vector<QPoint> stack{{x, y}};
    while (!stack.empty()) {
        const QPoint pt = stack.back();
        stack.pop_back();
        if (!image.rect().contains(pt) || image.pixel(pt) != target) continue;
        image.setPixel(pt, fill);
        stack.push_back({pt.x() + 1, pt.y()});
        stack.push_back({pt.x() - 1, pt.y()});
        stack.push_back({pt.x(), pt.y() + 1});
        stack.push_back({pt.x(), pt.y() - 1});
    }
}

void ppMetaTextOut(report::MetaCanvas& aCanvas, int x, int y, const QString& aText) {
    Painter p(aCanvas.Image());
    p.setFont(aCanvas.Font);
    p.setPen(colorOf(aCanvas.FontColor));
    const QFontMetrics metrics(aCanvas.Font, &aCanvas.Image());
    if (aCanvas.BrushColor != paint::clNone)
        p.fillRect(QRect(x - 1, y - 2, metrics.horizontalAdvance(aText), metrics.height()), colorOf(aCanvas.BrushColor));
    p.drawText(x - 1, y - 2 + metrics.ascent(), aText);
}

void ppMetaTextRect(report::MetaCanvas& aCanvas, int x, int y, const QString& aText, int aHeight, int aWidth) {
    const bool whiteFont = aCanvas.FontColor == paint::clWhite;
    const QFontMetrics metrics(aCanvas.Font, &aCanvas.Image());
    const QRect box(x, y, aWidth + 1, aHeight + 1);
    {
        Painter p(aCanvas.Image());
        p.fillRect(QRect(box.topLeft(), QSize(metrics.horizontalAdvance(aText), metrics.height())).intersected(box),
                   whiteFont ? Qt::black : Qt::white);
    }
    if (metrics.horizontalAdvance(aText) <= aWidth && metrics.height() <= aHeight) {
        ppMetaTextOut(aCanvas, x, y, aText);
        return;
    }
    Painter p(aCanvas.Image());
    p.setFont(aCanvas.Font);
    p.setPen(colorOf(aCanvas.FontColor));
    p.setClipRect(box);
    p.drawText(x, y + metrics.ascent(), aText);
}

void ppMetaAlignedText(report::MetaCanvas& aCanvas, int x, int y, Qt::Alignment aAlignment, const QString& aText) {
    if (aAlignment & Qt::AlignLeft) {
        ppMetaTextOut(aCanvas, x, y, aText);
    } else if (aAlignment & Qt::AlignRight) {
        const QFontMetrics metrics(aCanvas.Font, &aCanvas.Image());
        Painter p(aCanvas.Image());
        p.setFont(aCanvas.Font);
        p.setPen(colorOf(aCanvas.FontColor));
        p.drawText(x - metrics.horizontalAdvance(aText) + 1, y - 2 + metrics.ascent(), aText);
    }
}

// Reusable drawings ---------------------------------------------------------------------------

void TppMetaBitmap::DrawFunnel(report::MetaCanvas& c, int x, int y) {
    using namespace paint;
    ppMetaEllipse(c, x, y + 2, x + 29, y + 6, clBlack);
    ppMetaLine(c, x + 13, y + 31, x + 16, y + 31, clBlack);
    ppMetaLine(c, x, y + 4, x + 12, y + 23, clBlack);
    ppMetaLine(c, x + 29, y + 4, x + 17, y + 23, clBlack);
    ppMetaLine(c, x + 30, y + 4, x + 18, y + 23, clGray);
    ppMetaLine(c, x + 31, y + 5, x + 19, y + 22, clGray);
    ppMetaLine(c, x + 12, y + 23, x + 12, y + 30, clBlack);
    ppMetaLine(c, x + 17, y + 23, x + 17, y + 30, clBlack);
    ppMetaLine(c, x + 18, y + 23, x + 18, y + 30, clGray);
    ppMetaFloodFill(c, x + 14, y + 13, clAqua);
    ppMetaFloodFill(c, x + 14, y + 20, clAqua);
    ppMetaFillRect(c, x + 13, y + 8, x + 16, y + 30, clAqua);
    ppMetaFillRect(c, x + 7, y + 3, x + 24, y + 5, clTeal);
    ppMetaFillRect(c, x + 1, y + 4, x + 28, y + 4, clTeal);
    for (const QPoint& pt : {QPoint(24, 3), QPoint(22, 4), QPoint(20, 5)})
        ppMetaLine(c, x + pt.x(), y + pt.y(), x + pt.x(), y + pt.y(), clSilver);
    ppMetaFillRect(c, x + 8, y + 3, x + 11, y + 3, clAqua);
    ppMetaFillRect(c, x + 9, y + 4, x + 10, y + 5, clAqua);
    for (const QPoint& pt : {QPoint(7, 3), QPoint(10, 3)})
        ppMetaLine(c, x + pt.x(), y + pt.y(), x + pt.x(), y + pt.y(), clSilver);
    ppMetaFillRect(c, x + 8, y + 4, x + 8, y + 5, clSilver);
    ppMetaFillRect(c, x + 11, y + 4, x + 11, y + 5, clSilver);
}

void TppMetaBitmap::DrawTableSymbol(report::MetaCanvas& c, int x, int y, bool aFirst, bool aSecond, bool aThird) {
    using namespace paint;
    ppMetaFrameRect(c, x, y, x + 30, y + 24, clBlack);
    ppMetaFillRect(c, x, y, x + 30, y + 2, clNavy);
    ppMetaFillRect(c, x + 1, y + 3, x + 29, y + 23, clWhite);
    const bool flags[] = {aFirst, aSecond, aThird};
    const int columns[] = {3, 12, 21};
    for (int k = 0; k < 3; ++k) {
        const int cx = x + columns[k];
        if (flags[k]) ppMetaFillRect(c, cx - 1, y + 4, cx + 7, y + 22, clAqua);
        for (int i = 0; i <= 8; ++i) ppMetaLine(c, cx, y + 5 + 2 * i, cx + 6, y + 5 + 2 * i, flags[k] ? clBlack : clGray);
    }
}

void TppMetaBitmap::DrawDataGrid(report::MetaCanvas& c, int x, int y, int aColumns, int aRows, unsigned aColumnFlags) {
    using namespace paint;
    const int w = 12 * aColumns + 5;
    const int h = 4 * aRows + 7;
    ppMetaFrameRect(c, x, y, x + w, y + h, clBlack);
    ppMetaFillRect(c, x, y, x + w, y + 3, clNavy);
    ppMetaFillRect(c, x + 1, y + 4, x + w - 1, y + h - 1, clWhite);
    ppMetaFillRect(c, x + w + 1, y + 2, x + w + 2, y + h + 1, clGray);
    ppMetaFillRect(c, x + 2, y + h + 1, x + w + 2, y + h + 2, clGray);
    for (int j = 0; j < aColumns; ++j)
        if (aColumnFlags & (1u << j)) ppMetaFillRect(c, x + 5 + 12 * j, y + 4, x + 15 + 12 * j, y + 34, clAqua);
    for (int i = 0; i < aRows; ++i) ppMetaLine(c, x + 1, y + 7 + 4 * i, x + w - 1, y + 7 + 4 * i, clSilver);
    for (int j = 0; j < aColumns; ++j) ppMetaLine(c, x + 4 + 12 * j, y + 4, x + 4 + 12 * j, y + h - 1, clSilver);
    for (int i = 0; i <= aRows; ++i) ppMetaFillRect(c, x + 2, y + 5 + 4 * i, x + 3, y + 6 + 4 * i, clSilver);
    for (int j = 0; j < aColumns; ++j) ppMetaFillRect(c, x + 6 + 12 * j, y + 5, x + 15 + 12 * j, y + 6, clSilver);
    for (int j = 0; j < aColumns; ++j)
        for (int i = 0; i < aRows; ++i) {
            const int k = barStep();
            ppMetaFillRect(c, x + 6 + 12 * j, y + 9 + 4 * i, x + 10 + 12 * j + k, y + 9 + 4 * i, clGray);
        }
}

QStringList TppMetaBitmap::SortListKeys(bool aSorted, int aRows) {
    QStringList keys{QStringLiteral("BBB"), QStringLiteral("CCC"), QStringLiteral("AAA")};
    if (aRows == 4) keys << QStringLiteral("DDD");
    keys = keys.mid(0, std::max(0, aRows));
    if (aSorted) keys.sort();
    return keys;
}

void TppMetaBitmap::DrawSortList(report::MetaCanvas& c, int x, int y, int aRows, bool aSorted, bool aHighlighted) {
    using namespace paint;
    ppMetaFrameRect(c, x, y, x + 63, y + 47, clBlack);
    ppMetaFillRect(c, x, y, x + 63, y + 3, clNavy);
    ppMetaFillRect(c, x + 1, y + 4, x + 62, y + 46, clWhite);
    ppMetaFillRect(c, x + 2, y + 48, x + 63, y + 49, clGray);
    ppMetaFillRect(c, x + 64, y + 1, x + 65, y + 49, clGray);
    if (aHighlighted)
        for (int i = 0; i < aRows; ++i) ppMetaFillRect(c, x + 3, y + 7 + 12 * i, x + 65, y + 17 + 12 * i, clAqua);
    const QFont savedFont = c.Font;
    const TColor savedColor = c.FontColor;
    const TColor savedBrush = c.BrushColor;
    c.BrushColor = aHighlighted ? clAqua : clWhite;
    // "SMALL FONTS" 6 and 5 points at the screen's 96 pixels per inch.
    QFont numbers(QStringLiteral("Small Fonts"));
    numbers.setPixelSize(8);
    numbers.setBold(true);
    c.Font = numbers;
    c.FontColor = clGray;
    for (int i = 0; i < aRows; ++i) ppMetaTextOut(c, x + 5, y + 10 + 12 * i, QString::number(i + 1));
    QFont small(QStringLiteral("Small Fonts"));
    small.setPixelSize(7);
    c.Font = small;
    const QStringList keys = SortListKeys(aSorted, aRows);
    for (int i = 0; i < keys.size(); ++i) {
        c.FontColor = clBlack;
        ppMetaTextOut(c, x + 15, y + 11 + 12 * i, keys.at(i));
        c.FontColor = clGray;
        ppMetaTextOut(c, x + 34, y + 11 + 12 * i, QStringLiteral("XXX"));
        ppMetaTextOut(c, x + 48, y + 11 + 12 * i, QStringLiteral("XXX"));
    }
    c.Font = savedFont;
    c.FontColor = savedColor;
    c.BrushColor = savedBrush;
}

// Wizard pictures ------------------------------------------------------------------------------

TppWizardFieldsBitmap::TppWizardFieldsBitmap() {
    setSize(60, 170);
    setBackgroundColor(paint::clSilver);
}

void TppWizardFieldsBitmap::Draw(report::MetaCanvas& c) {
    using namespace paint;
    // Three stacked cards, each framed, with text lines.
    for (int k = 2; k >= 0; --k) {
        const int x = 8 + 8 * k;
        const int y = 6 + 7 * k;
        ppMetaFillRect(c, x + 2, y + 2, x + 62, y + 34, clGray);
        ppMetaFillRect(c, x, y, x + 60, y + 32, clWhite);
        ppMetaFrameRect(c, x, y, x + 60, y + 32, clBlack);
        ppMetaFillRect(c, x + 1, y + 1, x + 59, y + 4, clNavy);
        for (int i = 0; i < 4; ++i) ppMetaLine(c, x + 5, y + 9 + 6 * i, x + 25 + 7 * (i % 3), y + 9 + 6 * i, clGray);
    }
    // Beside them a coloured shape: a grid of fields in aqua and teal.
    ppMetaFillRect(c, 108, 10, 160, 50, clTeal);
    ppMetaFillRect(c, 112, 14, 156, 46, clAqua);
    ppMetaFrameRect(c, 108, 10, 160, 50, clBlack);
    for (int i = 0; i < 3; ++i) ppMetaLine(c, 116, 20 + 9 * i, 150, 20 + 9 * i, clNavy);
}

void TppOrientationBitmap::Draw(report::MetaCanvas& c) {
    using namespace paint;
    const int right = Width() - 3;
    const int bottom = Height() - 3;
    const int fold = 6;
    ppMetaFillRect(c, 2, 2, right, bottom, clWhite);
    ppMetaFillRect(c, right - fold + 1, 2, right, 2 + fold - 1, clSilver);
    ppMetaLine(c, 2, 2, right - fold, 2, clBlack);
    ppMetaLine(c, 2, 2, 2, bottom, clBlack);
    ppMetaLine(c, 2, bottom, right, bottom, clBlack);
    ppMetaLine(c, right, 2 + fold, right, bottom, clBlack);
    ppMetaLine(c, right - fold, 2, right + 1, 2 + fold + 1, clBlack);
    ppMetaLine(c, right - fold, 2, right - fold, 2 + fold, clBlack);
    ppMetaLine(c, right - fold, 2 + fold, right, 2 + fold, clBlack);
    // The letter: an "A" in the middle of the page.
    const int cx = (2 + right) / 2;
    const int cy = (2 + bottom) / 2 + 2;
    ppMetaLine(c, cx - 4, cy + 5, cx, cy - 6, clNavy);
    ppMetaLine(c, cx, cy - 6, cx + 4, cy + 5, clNavy);
    ppMetaLine(c, cx - 2, cy + 1, cx + 2, cy + 1, clNavy);
}

TppPortraitBitmap::TppPortraitBitmap() {
    setSize(32, 26);
    setBackgroundColor(paint::clSilver);
}

TppLandscapeBitmap::TppLandscapeBitmap() {
    setSize(26, 32);
    setBackgroundColor(paint::clSilver);
}
