#include "report/designer/docking/button_glyph.h"
#include "report/designer/docking/errors.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

QImage strip(int images, int size, QRgb ink) {
    QImage s(images * size, size, QImage::Format_ARGB32);
    s.fill(QColor(0, 128, 128));
    for (int i = 0; i < images; ++i) s.setPixel(i * size + size / 2, size / 2, ink);
    return s;
}

TEST(ButtonGlyphImages, images_of_one_size_share_a_list_and_go_back_to_the_cache) {
    QPalette pal;
    auto a = std::make_unique<TppButtonGlyph>();
    auto b = std::make_unique<TppButtonGlyph>();
    a->SetGlyph(strip(1, 16, qRgb(0, 0, 0)));
    b->SetGlyph(strip(1, 16, qRgb(255, 0, 0)));
    TppGlyphCache* cache = TppGlyphCache::Instance();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(a->ImageIndex(1, bsUp), -1) << "made when first asked for";
    const QImage up = a->StateImage(bsUp, pal);
    b->StateImage(bsUp, pal);
    b->StateImage(bsHot, pal);
    EXPECT_EQ(cache->ListCount(), 1) << "one list for every 16 by 16 image";
    TppGlyphList* list = cache->ListFor(16, 16);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_EQ(a->ImageIndex(1, bsUp), 0);
    EXPECT_EQ(b->ImageIndex(1, bsUp), 1);
    EXPECT_EQ(b->ImageIndex(1, bsHot), 2);
    EXPECT_EQ(a->StateImage(bsUp, pal), up) << "asked again: the kept image";

    a->StateImage(bsDisabled, pal);
    EXPECT_EQ(cache->ListCount(), 2) << "the derived disabled image is 17 by 17";
    EXPECT_EQ(cache->ListFor(17, 17)->Count(), 1);

    // A change of the glyph frees its slots; a new image takes the first free slot.
    a->SetGlyph(strip(1, 16, qRgb(0, 0, 255)));
    EXPECT_EQ(a->ImageIndex(1, bsUp), -1);
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(cache->ListCount(), 1) << "the empty 17 by 17 list is freed";
    a->StateImage(bsUp, pal);
    EXPECT_EQ(a->ImageIndex(1, bsUp), 0);
    EXPECT_EQ(qRgb(0, 0, 255), a->StateImage(bsUp, pal).pixel(8, 8) | 0xFF000000);

    // Changing the palette's colours makes the images again.
    QPalette other = pal;
    other.setColor(QPalette::Dark, QColor(10, 20, 30));
    a->StateImage(bsDisabled, pal);
    const QImage greyed = a->StateImage(bsDisabled, other);
    EXPECT_EQ(greyed.pixel(8, 8), qRgb(10, 20, 30));

    a.reset();
    b.reset();
    EXPECT_EQ(TppGlyphCache::Instance(), nullptr) << "the last holder takes the empty cache with it";
}

TEST(ButtonGlyphImages, a_list_refuses_an_image_smaller_than_its_size) {
    TppGlyphList list(16, 16);
    EXPECT_THROW(list.Add(QImage(8, 16, QImage::Format_ARGB32), QImage()), EInvalidOperation);
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(qRgb(1, 2, 3));
    image.setPixel(0, 0, qRgb(9, 9, 9));
    const int slot = list.AddMasked(image, qRgb(1, 2, 3));
    EXPECT_EQ(qAlpha(list.Image(slot).pixel(5, 5)), 0);
    EXPECT_EQ(list.Image(slot).pixel(0, 0), qRgb(9, 9, 9));
    list.Delete(slot);
    list.Delete(slot);
    EXPECT_EQ(list.Count(), 0);
}

struct FaceCase {
    const char* name;
    QSize face;
    bool glyph;
    QString caption;
    TppButtonLayout layout;
    int margin;
    int spacing;
    bool arrow;
    QPoint glyphAt;
    int textX;       // -1: not checked
    QPoint arrowAt;  // (-1, -1): not checked
};

// The caption's size comes from the font; the expected text positions are written from it.
TEST(ButtonGlyphFace, layout_places_glyph_text_and_arrow) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    const QFontMetrics fm(font);
    TppButtonGlyph glyph;
    glyph.SetGlyph(strip(1, 16, qRgb(0, 0, 0)));
    const int tw = fm.boundingRect(QRect(0, 0, 1000, 0), Qt::TextSingleLine, QStringLiteral("Print")).width();
    const int th = fm.boundingRect(QRect(0, 0, 1000, 0), Qt::TextSingleLine, QStringLiteral("Print")).height();

    const FaceCase cases[] = {
        // Glyph alone, centred in a 21 by 20 face: (21 - 16 + 1) / 2 = 3 both ways.
        {"glyph centred", {21, 20}, true, "", blGlyphLeft, -1, 4, false, {3, 2}, -1, {-1, -1}},
        // Given margin, given spacing: glyph at the margin, text after it.
        {"margin 2 spacing 4", {80, 20}, true, "Print", blGlyphLeft, 2, 4, false, {2, 2}, 2 + 16 + 4, {-1, -1}},
        // Margin -1, spacing -1: both a third of the free length.
        {"thirds", {80, 20}, true, "Print", blGlyphLeft, -1, -1, false,
         {(80 - 16 - tw) / 3, 2}, (80 - 16 - tw) / 3 * 2 + 16, {-1, -1}},
        // Glyph right: the arrow at the far edge, glyph before it, text before the glyph.
        {"glyph right with arrow", {80, 20}, true, "Print", blGlyphRight, 3, 2, true,
         {80 - 3 - 9 - 16, 2}, 80 - 3 - 9 - 16 - 2 - tw, {80 - 3 - 9, 2 + (16 - 3) / 2}},
        // Glyph top: centred across, the margin from the top, text under it.
        {"glyph top", {40, 40}, true, "Print", blGlyphTop, 1, 2, false, {(40 - 16 + 1) / 2, 1}, (40 - tw + 1) / 2, {-1, -1}},
        // No glyph: a top layout counts as glyph left; the arrow follows the text.
        {"text and arrow", {60, 20}, false, "Print", blGlyphTop, 4, 4, true, {-1, -1}, 4, {4 + tw, (20 - th + 1) / 2 + (th - 3) / 2}},
    };
    for (const FaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        QPoint g, a;
        QRect text;
        glyph.LayoutFace(fm, QRect(QPoint(10, 100), c.face), g, text, a, c.arrow, c.spacing, c.margin, c.layout, false,
                         c.caption, true, c.glyph, QPoint(1, 1));
        const QPoint shift(11, 101);
        if (c.glyphAt != QPoint(-1, -1)) {
            EXPECT_EQ(g - shift, c.glyphAt);
        }
        if (c.textX >= 0) {
            EXPECT_EQ(text.left() - shift.x(), c.textX);
        }
        if (c.arrowAt != QPoint(-1, -1)) {
            EXPECT_EQ(a - shift, c.arrowAt);
        }
        if (c.caption.isEmpty()) {
            EXPECT_TRUE(text.size().isEmpty());
        } else {
            EXPECT_EQ(text.size(), QSize(tw, th));
        }
    }
}

TEST(ButtonGlyphFace, a_disabled_face_is_embossed_and_the_arrow_is_a_triangle) {
    TppButtonGlyph glyph;
    QPalette pal;
    pal.setColor(QPalette::Light, Qt::white);
    pal.setColor(QPalette::Dark, QColor(128, 128, 128));
    pal.setColor(QPalette::ButtonText, Qt::black);
    QImage canvas(20, 10, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        glyph.PaintArrow(p, 0, bsUp, 2, pal);
        glyph.PaintArrow(p, 8, bsDisabled, 2, pal);
    }
    EXPECT_EQ(canvas.pixel(4, 2), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(6, 4), qRgb(0, 0, 0)) << "the tip two rows down";
    EXPECT_EQ(qAlpha(canvas.pixel(6, 5)), 0);
    EXPECT_EQ(canvas.pixel(12, 2), qRgb(128, 128, 128)) << "shadow over the highlight";
    EXPECT_EQ(canvas.pixel(14 + 1, 4 + 1), qRgb(255, 255, 255)) << "highlight one pixel down and right";
}

}  // namespace

