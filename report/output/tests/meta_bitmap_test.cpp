#include "report/output/meta_bitmap.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QDir>

#include <functional>

namespace {

/// The pictures of this test: a sorted and an unsorted list, a grid, a table and a funnel.
class SamplePicture : public TppMetaBitmap {
public:
    SamplePicture() {
        setSize(60, 250);
        setBackgroundColor(paint::clSilver);
    }
    void Draw(report::MetaCanvas& c) override {
        DrawSortList(c, 2, 2, 3, false, true);
        DrawSortList(c, 72, 2, 4, true, false);
        DrawDataGrid(c, 142, 4, 3, 5, 0b010);
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
    ppMetaLine(canvas, 3, 2, 6, 2, paint::clBlack);
    EXPECT_EQ(countColor(image, qRgb(0, 0, 0)), 4);
    ppMetaFillRect(canvas, 1, 5, 3, 6, paint::clNavy);
    EXPECT_EQ(countColor(image, paint::ToQColor(paint::clNavy).rgb()), 6);
    image = blank(12, 12);
    report::MetaCanvas framed(image);
    ppMetaFrameRect(framed, 1, 1, 4, 4, paint::clTeal);
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

namespace {

QRgb rgbOf(paint::TColor aColor) { return paint::ToQColor(aColor).rgb(); }

/// One of the reusable drawings made at the top left of a white image.
QImage drawn(const std::function<void(report::MetaCanvas&)>& aDraw) {
    QImage image = blank(80, 60);
    report::MetaCanvas canvas(image);
    aDraw(canvas);
    return image;
}

TEST(MetaBitmap, the_reusable_drawings_put_their_strokes_at_the_written_coordinates) {
    using namespace paint;
    const QImage table = drawn([](report::MetaCanvas& c) { TppMetaBitmap::DrawTableSymbol(c, 0, 0, true, false, true); });
    const QImage grid = drawn([](report::MetaCanvas& c) { TppMetaBitmap::DrawDataGrid(c, 0, 0, 3, 5, 0b010); });
    const QImage funnel = drawn([](report::MetaCanvas& c) { TppMetaBitmap::DrawFunnel(c, 0, 0); });
    const QImage list = drawn([](report::MetaCanvas& c) { TppMetaBitmap::DrawSortList(c, 0, 0, 3, false, true); });
    const QImage plain = drawn([](report::MetaCanvas& c) { TppMetaBitmap::DrawSortList(c, 0, 0, 4, true, false); });
    struct Row {
        const char* what;
        const QImage* image;
        QPoint at;
        TColor color;
    };
    const Row rows[] = {
        {"table title bar over the frame", &table, {0, 0}, clNavy},
        {"table frame", &table, {30, 24}, clBlack},
        {"table inside", &table, {1, 3}, clWhite},
        {"table: set column highlighted", &table, {2, 4}, clAqua},
        {"table: set column line", &table, {9, 21}, clBlack},
        {"table: clear column line", &table, {12, 5}, clGray},
        {"table: clear column not highlighted", &table, {11, 4}, clWhite},
        {"grid title bar", &grid, {41, 3}, clNavy},
        {"grid frame corner", &grid, {41, 27}, clBlack},
        {"grid right shadow", &grid, {42, 2}, clGray},
        {"grid bottom shadow", &grid, {43, 29}, clGray},
        {"grid highlighted column reaches y + 34", &grid, {20, 33}, clAqua},
        {"grid row line", &grid, {2, 7}, clSilver},
        {"grid column line", &grid, {4, 25}, clSilver},
        {"grid row marker", &grid, {3, 26}, clSilver},
        {"grid column head", &grid, {15, 6}, clSilver},
        {"grid value bar at least 5 long", &grid, {10, 9}, clGray},
        {"funnel rim", &funnel, {1, 4}, clTeal},
        {"funnel spout bottom", &funnel, {14, 31}, clBlack},
        {"funnel inside flooded", &funnel, {14, 13}, clAqua},
        {"funnel silver pixel", &funnel, {24, 3}, clSilver},
        {"funnel highlight", &funnel, {8, 5}, clSilver},
        {"funnel shadow", &funnel, {31, 5}, clGray},
        {"list title bar", &list, {63, 3}, clNavy},
        {"list frame", &list, {63, 47}, clBlack},
        {"list right shadow", &list, {65, 1}, clGray},
        {"list bottom shadow", &list, {2, 49}, clGray},
        {"list highlighted row reaches x + 65", &list, {65, 17}, clAqua},
        {"list third highlighted row", &list, {4, 31}, clAqua},
        {"unhighlighted list stays white", &plain, {3, 8}, clWhite},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.image->pixel(row.at), rgbOf(row.color));
    }
}

}  // namespace
