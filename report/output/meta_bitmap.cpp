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

}  // namespace

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

void ppMetaLine(report::MetaCanvas& aCanvas, int x1, int y1, paint::TColor aColor, int y2, int x2) {
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

void ppMetaFillRect(report::MetaCanvas& aCanvas, int aLeft, int aTop, paint::TColor aColor, int aBottom, int aRight) {
    Painter p(aCanvas.Image());
    p.fillRect(QRect(QPoint(aLeft, aTop), QPoint(aRight, aBottom)), colorOf(aColor));
}

void ppMetaFrameRect(report::MetaCanvas& aCanvas, int aLeft, int aTop, paint::TColor aColor, int aBottom, int aRight) {
    Painter p(aCanvas.Image());
    p.setPen(QPen(colorOf(aColor), 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(aLeft, aTop, aRight - aLeft, aBottom - aTop));
}

void ppMetaEllipse(report::MetaCanvas& aCanvas, int aLeft, int aTop, paint::TColor aColor, int aBottom, int aRight) {
    Painter p(aCanvas.Image());
    p.setPen(QPen(colorOf(aColor), 0));
    p.setBrush(colorOf(aColor));
    p.drawEllipse(QRect(aLeft, aTop, aRight - aLeft, aBottom - aTop));
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
    // The rim: an ellipse across the top, aqua inside a black outline, with a teal band.
    ppMetaEllipse(c, x, y, paint::clBlack, y + 9, x + 31);
    ppMetaEllipse(c, x + 1, y + 1, paint::clAqua, y + 8, x + 30);
    ppMetaLine(c, x + 4, y + 6, paint::clTeal, y + 6, x + 27);
    // The sides narrow from the rim to a spout five pixels wide.
    for (int row = 9; row <= 24; ++row) {
        const int inset = 1 + (row - 9) * 13 / 15;
        const int left = x + inset;
        const int right = x + 31 - inset;
        ppMetaLine(c, left + 1, y + row, paint::clAqua, y + row, right - 1);
        ppMetaLine(c, right - 3, y + row, paint::clGray, y + row, right - 1);
        ppMetaLine(c, left, y + row, paint::clBlack, y + row, left);
        ppMetaLine(c, right, y + row, paint::clBlack, y + row, right);
    }
    ppMetaFillRect(c, x + 14, y + 25, paint::clAqua, y + 31, x + 18);
    ppMetaLine(c, x + 13, y + 25, paint::clBlack, y + 31, x + 13);
    ppMetaLine(c, x + 19, y + 25, paint::clBlack, y + 31, x + 19);
    ppMetaLine(c, x + 13, y + 31, paint::clBlack, y + 31, x + 19);
    // A small highlight on the rim.
    ppMetaFillRect(c, x + 8, y + 3, paint::clSilver, y + 4, x + 11);
}

void TppMetaBitmap::DrawTableSymbol(report::MetaCanvas& c, int x, int y, bool aFirst, bool aSecond, bool aThird) {
    ppMetaFillRect(c, x, y, paint::clWhite, y + 24, x + 30);
    ppMetaFrameRect(c, x, y, paint::clBlack, y + 24, x + 30);
    ppMetaFillRect(c, x + 1, y + 1, paint::clNavy, y + 3, x + 29);
    const bool flags[] = {aFirst, aSecond, aThird};
    const int columns[] = {3, 12, 21};
    for (int i = 0; i < 3; ++i) {
        const int left = x + columns[i];
        if (flags[i]) ppMetaFillRect(c, left - 1, y + 5, paint::clAqua, y + 22, left + 6);
        for (int line = 0; line < 9; ++line)
            ppMetaLine(c, left, y + 5 + line * 2, flags[i] ? paint::clBlack : paint::clGray, y + 5 + line * 2, left + 5);
    }
}

void TppMetaBitmap::DrawDataGrid(report::MetaCanvas& c, int x, int y, int aRows, int aColumns, unsigned aColumnFlags) {
    const int width = 12 * aColumns + 5;
    const int height = 4 * aRows + 7;
    ppMetaFillRect(c, x + 2, y + 2, paint::clGray, y + height, x + width);
    ppMetaFillRect(c, x, y, paint::clWhite, y + height - 2, x + width - 2);
    ppMetaFrameRect(c, x, y, paint::clBlack, y + height - 2, x + width - 2);
    ppMetaFillRect(c, x + 1, y + 1, paint::clNavy, y + 2, x + width - 3);
    for (int col = 0; col < aColumns; ++col) {
        const int left = x + 1 + col * 12;
        if (aColumnFlags & (1u << col)) ppMetaFillRect(c, left, y + 3, paint::clAqua, y + height - 3, left + 11);
        ppMetaFillRect(c, left, y + 3, paint::clSilver, y + 5, left + 11);
        ppMetaLine(c, left + 12, y + 3, paint::clSilver, y + height - 3, left + 12);
        for (int row = 0; row < aRows; ++row) {
            const int top = y + 6 + row * 4;
            ppMetaLine(c, left, top + 3, paint::clSilver, top + 3, left + 11);
            const int bar = 4 + int(QRandomGenerator::global()->bounded(4));
            ppMetaLine(c, left + 2, top + 1, paint::clGray, top + 1, left + 1 + bar);
        }
    }
}

QStringList TppMetaBitmap::SortListKeys(bool aSorted, int aRows) {
    QStringList keys{QStringLiteral("BBB"), QStringLiteral("CCC"), QStringLiteral("AAA")};
    if (aRows >= 4) keys << QStringLiteral("DDD");
    keys = keys.mid(0, std::max(0, aRows));
    if (aSorted) keys.sort();
    return keys;
}

void TppMetaBitmap::DrawSortList(report::MetaCanvas& c, int x, bool aKeys, bool aSorted, int aRows, int y) {
    ppMetaFillRect(c, x + 2, y + 2, paint::clGray, y + 49, x + 65);
    ppMetaFillRect(c, x, y, paint::clWhite, y + 47, x + 63);
    ppMetaFrameRect(c, x, y, paint::clBlack, y + 47, x + 63);
    ppMetaFillRect(c, x + 1, y + 1, paint::clNavy, y + 3, x + 62);
    const QStringList keys = SortListKeys(aSorted, aRows);
    const QFont saved = c.Font;
    const paint::TColor savedColor = c.FontColor;
    for (int row = 0; row < keys.size(); ++row) {
        const int top = y + 5 + row * 11;
        if (aKeys) ppMetaFillRect(c, x + 10, top, paint::clAqua, top + 8, x + 26);
        QFont numbers(QStringLiteral("Small Fonts"));
        numbers.setPixelSize(8);
        numbers.setBold(true);
        c.Font = numbers;
        c.FontColor = paint::clGray;
        ppMetaTextOut(c, x + 4, top + 1, QString::number(row + 1));
        QFont small(QStringLiteral("Small Fonts"));
        small.setPixelSize(7);
        c.Font = small;
        c.FontColor = paint::clBlack;
        ppMetaTextOut(c, x + 12, top + 1, keys.at(row));
        c.FontColor = paint::clGray;
        ppMetaTextOut(c, x + 30, top + 1, QStringLiteral("XXX"));
        ppMetaTextOut(c, x + 47, top + 1, QStringLiteral("XXX"));
    }
    c.Font = saved;
    c.FontColor = savedColor;
}
