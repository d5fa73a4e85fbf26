#include "platform/paint/canvas.h"
#include "platform/paint/picture.h"

#include <gtest/gtest.h>

#include <QDir>
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

namespace paint {
namespace {

// A sheet of every pen style, brush style, shape, system colour and picture kind, written
// as canvas_sheet.png to look at; each brush swatch but the clear one must be painted.
TEST(Canvas, sheet_of_pens_brushes_shapes_colours_and_pictures) {
    QImage sheet = whiteImage(560, 300);
    {
        QPainter p(&sheet);
        Canvas c(p);
        Font label;
        label.Name = QStringLiteral("Arial");
        label.Size = 8;
        label.Color = clBlack;
        c.SetFont(label);
        c.SetBrush({clWhite, TBrushStyle::bsClear});
        const QStringList pens = PenStyleNames();
        for (int i = 0; i < pens.size(); ++i) {
            c.TextOut(10, 10 + i * 16, pens.at(i));
            c.SetPen({clNavy, 1, static_cast<TPenStyle>(i)});
            c.MoveTo(100, 17 + i * 16);
            c.LineTo(250, 17 + i * 16);
        }
        const QStringList brushes = BrushStyleNames();
        for (int i = 0; i < brushes.size(); ++i) {
            c.SetPen({clBlack, 1, TPenStyle::psSolid});
            c.SetBrush({clMaroon, static_cast<TBrushStyle>(i)});
            c.Rectangle(QRectF(270 + i * 35, 10, 30, 30));
            c.SetBrush({clWhite, TBrushStyle::bsClear});
            c.TextOut(270 + i * 35, 42, QString::number(i));
        }
        c.SetPen({clGreen, 3, TPenStyle::psSolid});
        c.SetBrush({clYellow, TBrushStyle::bsSolid});
        c.Ellipse(QRectF(270, 70, 100, 60));
        c.RoundRect(QRectF(390, 70, 100, 60), 30, 30);
        for (int i = 0; i <= 24; ++i) {
            c.SetPen({clBlack, 1, TPenStyle::psSolid});
            c.SetBrush({kSystemColorFlag | i, TBrushStyle::bsSolid});
            c.Rectangle(QRectF(10 + i * 21, 150, 20, 20));
        }
        QImage picture = whiteImage(40, 40);
        QPainter pp(&picture);
        pp.fillRect(10, 10, 20, 20, Qt::red);
        pp.end();
        c.SetBrush({clAqua, TBrushStyle::bsSolid});
        c.FillRect(QRectF(10, 190, 200, 90));
        c.StretchDraw(QRectF(20, 200, 70, 70), picture);
        c.StretchDrawTransparent(QRectF(120, 200, 70, 70), picture);
        c.StretchDraw(QRectF(230, 200, 70, 70), Picture::Placeholder(70, 70));
    }
    ASSERT_TRUE(sheet.save(QDir::current().absoluteFilePath(QStringLiteral("paint_canvas_sheet.png"))));
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(BrushStyleNames().at(i).toStdString());
        int painted = 0;
        for (int x = 272 + i * 35; x < 298 + i * 35; ++x)
            for (int y = 12; y < 38; ++y) painted += sheet.pixelColor(x, y) != QColor(Qt::white);
        if (static_cast<TBrushStyle>(i) == TBrushStyle::bsClear)
            EXPECT_EQ(painted, 0);
        else
            EXPECT_GT(painted, 26 * 26 / 12);  // hatches cover one row or column in eight
    }
    EXPECT_EQ(sheet.pixelColor(125, 205), QColor(Qt::cyan));  // white of the transparent picture
    EXPECT_EQ(sheet.pixelColor(25, 205), QColor(Qt::white));
    EXPECT_EQ(sheet.pixelColor(10 + 15 * 21 + 10, 160), QColor(0xC0, 0xC0, 0xC0));  // clBtnFace
}

}  // namespace
}  // namespace paint

namespace paint {
namespace {

TEST(Canvas, tabbed_text_starts_each_piece_at_its_stop) {
    QImage image = whiteImage(300, 30);
    Font font;
    font.Name = QStringLiteral("Courier New");
    font.Size = 10;
    font.Color = clBlack;
    {
        QPainter p(&image);
        Canvas c(p);
        c.SetFont(font);
        c.SetBrush({clWhite, TBrushStyle::bsClear});
        c.TabbedTextOut(10, 5, QStringLiteral("ab\tIII\tIII"), {100, 200});
    }
    auto inkIn = [&](int from, int to) {
        int ink = 0;
        for (int x = from; x < to; ++x)
            for (int y = 0; y < image.height(); ++y) ink += qGray(image.pixel(x, y)) < 128;
        return ink;
    };
    EXPECT_GT(inkIn(10, 30), 0);    // "ab"
    EXPECT_EQ(inkIn(40, 108), 0);   // the gap to the first stop
    EXPECT_GT(inkIn(108, 135), 0);  // "III" at 10 + 100
    EXPECT_EQ(inkIn(140, 208), 0);
    EXPECT_GT(inkIn(208, 235), 0);  // "III" at 10 + 200
}

}  // namespace
}  // namespace paint
