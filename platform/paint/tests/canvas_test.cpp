#include "platform/paint/canvas.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace paint {
namespace {

QImage whiteImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    return image;
}

// The image as rows of '#' (dark), '+' (the brush colour) and '.' (white).
QStringList rows(const QImage& image) {
    QStringList out;
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            row += c == Qt::white ? QLatin1Char('.') : c == Qt::black ? QLatin1Char('#') : QLatin1Char('+');
        }
        out << row;
    }
    return out;
}

TEST(Canvas, rectangle_covers_left_to_right_minus_one_with_outline_inside) {
    QImage image = whiteImage(8, 6);
    {
        QPainter p(&image);
        Canvas c(p);
        c.SetPen({clBlack, 1, TPenStyle::psSolid});
        c.SetBrush({clRed, TBrushStyle::bsSolid});
        c.Rectangle(QRectF(1, 1, 5, 4));  // left 1, top 1, right 6, bottom 5
    }
    EXPECT_EQ(rows(image), QStringList({"........", ".#####..", ".#+++#..", ".#+++#..", ".#####..", "........"}));
}

TEST(Canvas, thick_outline_stays_inside_and_clear_brush_keeps_background) {
    QImage image = whiteImage(8, 8);
    {
        QPainter p(&image);
        Canvas c(p);
        c.SetPen({clBlack, 2, TPenStyle::psSolid});
        c.SetBrush({clWhite, TBrushStyle::bsClear});
        c.Rectangle(QRectF(1, 1, 6, 6));
    }
    EXPECT_EQ(rows(image), QStringList({"........", ".######.", ".######.", ".##..##.", ".##..##.", ".######.",
                                        ".######.", "........"}));
}

TEST(Canvas, line_leaves_out_its_end_point_and_moves_the_current_point) {
    QImage image = whiteImage(6, 3);
    {
        QPainter p(&image);
        Canvas c(p);
        c.MoveTo(1, 1);
        c.LineTo(4, 1);
        c.SetPen({clBlack, 1, TPenStyle::psClear});
        c.LineTo(5, 2);
    }
    EXPECT_EQ(rows(image), QStringList({"......", ".###..", "......"}));
}

TEST(Canvas, text_with_a_brush_fills_its_cell_and_clear_brush_does_not) {
    QImage image = whiteImage(200, 40);
    Font font;
    font.Name = QStringLiteral("Arial");
    font.Size = 10;
    font.Color = clBlack;
    qreal width = 0, height = 0;
    {
        QPainter p(&image);
        Canvas c(p);
        c.SetFont(font);
        c.SetBrush({clYellow, TBrushStyle::bsSolid});
        c.TextOut(10, 2, QStringLiteral("Page"));
        width = c.TextWidth(QStringLiteral("Page"));
        height = c.TextHeight(QStringLiteral("Page"));
        c.SetBrush({clYellow, TBrushStyle::bsClear});
        c.TextOut(10, 22, QStringLiteral("Page"));
    }
    EXPECT_EQ(image.pixelColor(11, 3), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(int(10 + width) - 1, int(2 + height) - 1), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(int(10 + width) + 1, 3), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(11, 23), QColor(Qt::white));
    bool inked = false;
    for (int x = 10; x < 10 + width; ++x)
        for (int y = 22; y < 22 + height; ++y) inked |= qGray(image.pixel(x, y)) < 100;
    EXPECT_TRUE(inked);
}

TEST(Canvas, transparent_pictures_leave_white_unpainted) {
    QImage picture = whiteImage(4, 4);
    picture.setPixelColor(1, 1, Qt::blue);
    QImage image = whiteImage(4, 4);
    image.fill(Qt::green);
    {
        QPainter p(&image);
        Canvas c(p);
        c.StretchDrawTransparent(QRectF(0, 0, 4, 4), picture);
    }
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::blue));
}

}  // namespace
}  // namespace paint
