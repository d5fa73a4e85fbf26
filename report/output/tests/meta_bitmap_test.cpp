#include "report/output/meta_bitmap.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

/// The pictures of this test: a sorted and an unsorted list, a grid, a table and a funnel.
class SamplePicture : public TppMetaBitmap {
public:
    SamplePicture() {
        setSize(60, 250);
        setBackgroundColor(paint::clSilver);
    }
    void Draw(report::MetaCanvas& c) override {
        DrawSortList(c, 2, true, false, 3, 2);
        DrawSortList(c, 72, false, true, 4, 2);
        DrawDataGrid(c, 142, 4, 5, 3, 0b010);
        DrawTableSymbol(c, 184, 4, true, false, true);
        DrawFunnel(c, 216, 4);
    }
};

int countColor(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == color;
    return n;
}

QImage blank(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(MetaBitmap, primitives_include_their_right_and_bottom_edges) {
    QImage image = blank(12, 12);
    report::MetaCanvas canvas(image);
    ppMetaLine(canvas, 3, 2, paint::clBlack, 2, 6);
    EXPECT_EQ(countColor(image, qRgb(0, 0, 0)), 4);
    ppMetaFillRect(canvas, 1, 5, paint::clNavy, 6, 3);
    EXPECT_EQ(countColor(image, paint::ToQColor(paint::clNavy).rgb()), 6);
    image = blank(12, 12);
    report::MetaCanvas framed(image);
    ppMetaFrameRect(framed, 1, 1, paint::clTeal, 4, 4);
    EXPECT_EQ(countColor(image, paint::ToQColor(paint::clTeal).rgb()), 12);
    ppMetaFloodFill(framed, 2, 2, paint::clAqua);
    EXPECT_EQ(countColor(image, paint::ToQColor(paint::clAqua).rgb()), 4);
}

TEST(MetaBitmap, a_text_box_for_a_white_font_is_painted_black) {
    QImage image = blank(60, 20);
    report::MetaCanvas canvas(image);
    canvas.FontColor = paint::clWhite;
    ppMetaTextRect(canvas, 2, 2, QStringLiteral("Key"), 14, 40);
    EXPECT_GT(countColor(image, qRgb(0, 0, 0)), 20);
}

TEST(MetaBitmap, sort_lists_show_their_keys_sorted_when_asked) {
    EXPECT_EQ(TppMetaBitmap::SortListKeys(true, 3), (QStringList{"AAA", "BBB", "CCC"}));
    EXPECT_EQ(TppMetaBitmap::SortListKeys(false, 3), (QStringList{"BBB", "CCC", "AAA"}));
    EXPECT_EQ(TppMetaBitmap::SortListKeys(true, 4), (QStringList{"AAA", "BBB", "CCC", "DDD"}));
}

TEST(MetaBitmap, a_picture_class_draws_into_a_bitmap_of_its_size) {
    const QImage image = ppCreateMetaBitmap([] { return std::make_unique<SamplePicture>(); });
    EXPECT_EQ(image.size(), QSize(250, 60));
    EXPECT_EQ(image.pixel(0, 59), paint::ToQColor(paint::clSilver).rgb());
    EXPECT_GT(countColor(image, paint::ToQColor(paint::clAqua).rgb()), 100);
    QDir().mkpath(QStringLiteral("screenshots"));
    image.scaled(image.size() * 3).save(QStringLiteral("screenshots/meta_bitmaps.png"));
    ppDrawMetaBitmap(nullptr, nullptr);
}

}  // namespace
