// The query wizard's step pictures: each drawn from a fixed seed equals its golden picture
// pixel for pixel; drawings differ only inside the data grids' value bars; a picture drawn
// into a bitmap gives the bitmap exactly the picture's size, background first.

#include "report/data/gui/query_wizard_pictures.h"

#include "report/output/meta_bitmap.h"

#include <QDir>
#include <QImage>
#include <QRect>

#include <gtest/gtest.h>
#include "test_paths.h"

#include <functional>
#include <memory>
#include <vector>

namespace {

/// A data grid of a picture: where its value bars may be drawn.
struct Grid {
    int x, y, columns, rows;
};

struct Picture {
    const char* name;
    TppMetaBitmapClass make;
    int width, height;
    std::vector<Grid> grids;
};

const std::vector<Picture>& pictures() {
    static const std::vector<Picture> all = {
        {"select_tables", [] { return std::make_unique<TdaSelectTablesBitmap>(); }, 145, 80, {{86, 23, 4, 7}}},
        {"select_fields", [] { return std::make_unique<TdaSelectFieldsBitmap>(); }, 145, 80, {{0, 0, 5, 7}, {96, 38, 3, 7}}},
        {"group_fields", [] { return std::make_unique<TdaGroupFieldsBitmap>(); }, 160, 80, {{0, 0, 3, 16}, {99, 36, 3, 7}}},
        {"search_criteria", [] { return std::make_unique<TdaSearchCriteriaBitmap>(); }, 145, 80, {{0, 0, 3, 16}, {88, 43, 3, 7}}},
        {"sort_fields", [] { return std::make_unique<TdaSortFieldsBitmap>(); }, 160, 80, {}},
    };
    return all;
}

/// Whether the point lies where a value bar of one of the grids may be: row i of column j
/// from (x + 6 + 12j, y + 9 + 4i) to (x + 13 + 12j, same y).
bool inBars(const Picture& aPicture, int x, int y) {
    for (const Grid& g : aPicture.grids)
        for (int j = 0; j < g.columns; ++j)
            for (int i = 0; i < g.rows; ++i)
                if (QRect(QPoint(g.x + 6 + 12 * j, g.y + 9 + 4 * i), QPoint(g.x + 13 + 12 * j, g.y + 9 + 4 * i)).contains(x, y))
                    return true;
    return false;
}

QImage drawSeeded(const Picture& aPicture, unsigned aSeed) {
    report::MetaBitmapSeed seed(aSeed);
    return ppCreateMetaBitmap(aPicture.make);
}

/// The points where two pictures of one size differ.
std::vector<QPoint> differences(const QImage& a, const QImage& b) {
    std::vector<QPoint> out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) out.emplace_back(x, y);
    return out;
}

}  // namespace

TEST(QueryWizardPictures, each_drawn_from_a_fixed_seed_equals_its_golden_picture) {
    QDir().mkpath(QStringLiteral("screenshots"));
    for (const Picture& p : pictures()) {
        SCOPED_TRACE(p.name);
        const QImage image = drawSeeded(p, 20261211);
        ASSERT_EQ(image.size(), QSize(p.width, p.height));
        // Four times larger, to look at.
        image.scaled(image.size() * 4).save(QStringLiteral("screenshots/query_wizard_picture_%1.png").arg(p.name));
        const QString golden = QStringLiteral(TEST_DATA_DIR "/query_wizard/%1.png").arg(p.name);
        if (qEnvironmentVariableIsSet("DOSSARA_UPDATE_GOLDEN")) image.save(golden);
        const QImage expected = QImage(golden).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(expected.isNull()) << "golden picture missing: " << golden.toStdString();
        ASSERT_EQ(expected.size(), image.size());
        const std::vector<QPoint> wrong = differences(image.convertToFormat(QImage::Format_RGB32), expected);
        EXPECT_TRUE(wrong.empty()) << wrong.size() << " pixels differ, the first at " << wrong.front().x() << ","
                                   << wrong.front().y();
        // The same seed draws the same picture.
        EXPECT_EQ(drawSeeded(p, 20261211), image);
    }
}

TEST(QueryWizardPictures, drawings_differ_only_inside_the_value_bars) {
    for (const Picture& p : pictures()) {
        SCOPED_TRACE(p.name);
        // Unseeded: whatever the system's random gives.
        const QImage a = ppCreateMetaBitmap(p.make);
        const QImage b = ppCreateMetaBitmap(p.make);
        for (const QPoint& pt : differences(a, b)) EXPECT_TRUE(inBars(p, pt.x(), pt.y())) << pt.x() << "," << pt.y();
        // Two seeds: the bars do differ somewhere (pictures with grids).
        const std::vector<QPoint> seeded = differences(drawSeeded(p, 1), drawSeeded(p, 2));
        EXPECT_EQ(seeded.empty(), p.grids.empty());
        for (const QPoint& pt : seeded) EXPECT_TRUE(inBars(p, pt.x(), pt.y())) << pt.x() << "," << pt.y();
    }
}

TEST(QueryWizardPictures, the_bitmap_takes_exactly_the_pictures_size_background_first) {
    for (const Picture& p : pictures()) {
        SCOPED_TRACE(p.name);
        QImage bitmap(300, 20, QImage::Format_ARGB32);
        bitmap.fill(Qt::red);
        ppDrawMetaBitmap(p.make, &bitmap);
        EXPECT_EQ(bitmap.size(), QSize(p.width, p.height));
        // The corners nothing is drawn on keep the silver background; no red is left.
        EXPECT_EQ(QColor(bitmap.pixel(p.width - 1, 0)), QColor(192, 192, 192));
        EXPECT_EQ(QColor(bitmap.pixel(0, p.height - 1)), QColor(192, 192, 192));
        bool red = false;
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x) red = red || bitmap.pixel(x, y) == qRgb(255, 0, 0);
        EXPECT_FALSE(red);
    }
}

TEST(QueryWizardPictures, lines_and_triangles_touch_the_points_the_drawing_rules_name) {
    // The tables picture: the arrow head, its shadow's end points and a slanted shadow line that
    // stops one point short.
    report::MetaBitmapSeed seed(7);
    const QImage image = ppCreateMetaBitmap([] { return std::make_unique<TdaSelectTablesBitmap>(); });
    const QRgb aqua = qRgb(0, 255, 255), gray = qRgb(128, 128, 128), teal = qRgb(0, 128, 128);
    struct Point {
        int x, y;
        QRgb colour;
    };
    static const Point points[] = {
        {73, 31, aqua}, {82, 40, aqua}, {73, 49, aqua}, {77, 40, aqua},  // the triangle, corners included
        {73, 50, gray}, {74, 50, gray},                                   // the two single points
        {82, 41, gray}, {75, 48, gray},                                   // on the slanted line
        {42, 39, teal}, {52, 36, teal}, {52, 39, teal},                   // horizontal and vertical ends included
        {1, 45, gray}, {10, 45, gray}, {52, 16, gray},
    };
    for (const Point& p : points) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        EXPECT_EQ(QColor(image.pixel(p.x, p.y)), QColor(p.colour));
    }
}
