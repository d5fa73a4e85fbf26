#include "services/gui/frame_drawing.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

FrameColors TestColors() {
    FrameColors c;
    c.BtnShadow = QColor(0x80, 0x80, 0x80);
    c.BtnHighlight = QColor(0xFF, 0xFF, 0xFF);
    c.BtnText = QColor(0x00, 0x00, 0x00);
    c.Light3D = QColor(0xDF, 0xDF, 0xDF);
    c.DkShadow3D = QColor(0x40, 0x40, 0x40);
    c.WindowFrame = QColor(0x10, 0x20, 0x30);
    return c;
}

/// The picture as rows of letters, one per pixel: S shadow, H highlight, T text, L light,
/// D dark shadow, F window frame, . background.
QStringList Letters(const QImage& image) {
    const FrameColors c = TestColors();
    QStringList rows;
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            row += p == c.BtnShadow ? u'S' : p == c.BtnHighlight ? u'H' : p == c.BtnText ? u'T' : p == c.Light3D ? u'L'
                 : p == c.DkShadow3D ? u'D' : p == c.WindowFrame ? u'F' : u'.';
        }
        rows << row;
    }
    return rows;
}

QStringList Draw(const std::function<QRect(QPainter&)>& draw, QRect* inner = nullptr) {
    QImage image(6, 5, QImage::Format_RGB32);
    image.fill(QColor(0x12, 0x34, 0x56));
    QPainter p(&image);
    const QRect r = draw(p);
    if (inner) *inner = r;
    p.end();
    return Letters(image);
}

TEST(FrameDrawing, styles_draw_their_colours_pixel_by_pixel) {
    const FrameColors c = TestColors();
    const QRect rect(0, 0, 6, 5);
    struct Case {
        const char* label;
        TFrameStyle style;
        TSides sides;
        QStringList rows;
        QRect inner;
    };
    const Case cases[] = {
        {"status on all sides", TFrameStyle::fsStatus, kAllSides, {"SSSSSH", "S....H", "S....H", "S....H", "HHHHHH"},
         QRect(QPoint(1, 1), QPoint(4, 3))},
        {"lowered: two rings", TFrameStyle::fsLowered, kAllSides, {"SSSSSH", "STTTLH", "ST..LH", "SLLLLH", "HHHHHH"},
         QRect(QPoint(2, 2), QPoint(3, 2))},
        {"groove with only the bottom side", TFrameStyle::fsGroove, TSides(TSide::sdBottom),
         {"......", "......", "......", "SSSSSS", "HHHHHH"}, QRect(QPoint(0, 0), QPoint(5, 2))},
        {"groove on all sides", TFrameStyle::fsGroove, kAllSides, {"SSSSSH", "SHHHSH", "SH..SH", "SSSSSH", "HHHHHH"},
         QRect(QPoint(2, 2), QPoint(3, 2))},
        {"bump with only the top side", TFrameStyle::fsBump, TSides(TSide::sdTop),
         {"HHHHHH", "SSSSSS", "......", "......", "......"}, QRect(QPoint(0, 2), QPoint(5, 4))},
        {"flat only left", TFrameStyle::fsFlat, TSides(TSide::sdLeft), {"F.....", "F.....", "F.....", "F.....", "F....."},
         QRect(QPoint(1, 0), QPoint(5, 4))},
        {"none", TFrameStyle::fsNone, kAllSides, {"......", "......", "......", "......", "......"}, rect},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        QRect inner;
        EXPECT_EQ(Draw([&](QPainter& p) { return DrawBorder(p, rect, k.style, k.sides, c); }, &inner), k.rows);
        EXPECT_EQ(inner, k.inner);
    }
}

TEST(FrameDrawing, draw_frame_clears_two_rings_in_the_background_before_the_border) {
    const FrameColors c = TestColors();
    QImage image(6, 6, QImage::Format_RGB32);
    image.fill(QColor(0x12, 0x34, 0x56));
    QPainter p(&image);
    DrawFrame(p, 6, 6, TSides(TSide::sdTop), c.WindowFrame, c.Light3D, TFrameStyle::fsFlat, c);
    p.end();
    EXPECT_EQ(Letters(image), QStringList({"FFFFFF", "LLLLLL", "LL..LL", "LL..LL", "LLLLLL", "LLLLLL"}));
}

TEST(FrameDrawing, bevel_draws_count_rings_inward) {
    const FrameColors c = TestColors();
    QRect inner;
    const QStringList rows = Draw([&](QPainter& p) { return DrawBevel(p, QRect(0, 0, 6, 5), c.BtnText, kAllSides, 2, c.Light3D); }, &inner);
    EXPECT_EQ(rows, QStringList({"TTTTTL", "TTTTLL", "TT..LL", "TLLLLL", "LLLLLL"}));
    EXPECT_EQ(inner, QRect(QPoint(2, 2), QPoint(3, 2)));
}

}  // namespace
