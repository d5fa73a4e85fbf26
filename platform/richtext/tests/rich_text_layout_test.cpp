#include "platform/richtext/rich_text_layout.h"

#include "platform/richtext/rtf_reader.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <cmath>
#include "test_paths.h"

namespace {

QImage page(int width, int height, int dpi) {
    QImage image(width, height, QImage::Format_ARGB32);
    const int dotsPerMetre = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    return image;
}

/// Ten paragraphs of a dozen words each, in a font every test machine has.
QByteArray longDocument() {
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss DejaVu Sans;}}\\f0\\fs20 ";
    for (int p = 0; p < 10; ++p) {
        for (int w = 0; w < 12; ++w) rtf += "word" + QByteArray::number(p * 12 + w) + ' ';
        rtf += "\\par\n";
    }
    return rtf + '}';
}

/// The part of `image` outside `inside` that is not white, as a count of pixels.
int inkOutside(const QImage& image, const QRect& inside) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!inside.contains(x, y) && image.pixel(x, y) != qRgb(255, 255, 255)) ++count;
    return count;
}

int inkInside(const QImage& image, const QRect& inside) {
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) ++count;
    return count;
}

QString savePicture(const QImage& image, const QString& name) {
    QDir().mkpath(QStringLiteral("screenshots"));
    const QString path = QDir(QStringLiteral("screenshots")).absoluteFilePath(name + QStringLiteral(".png"));
    image.save(path);
    return path;
}

TEST(RichTextLayout, measured_height_grows_as_the_width_shrinks_and_follows_the_resolution) {
    richtext::RichTextLayout layout(longDocument());
    const QImage screen = page(1, 1, 96);
    const QImage printer = page(1, 1, 192);
    const qreal wide = layout.measureHeight(400, screen);
    const qreal narrow = layout.measureHeight(200, screen);
    EXPECT_GT(wide, 0);
    EXPECT_GT(narrow, wide);
    // The same physical width at twice the resolution: the same lines, twice the pixels.
    EXPECT_NEAR(layout.measureHeight(800, printer), 2 * wide, 0.01);

    // An empty document needs the one line of its paragraph's font.
    richtext::RichTextLayout empty(QByteArrayView("{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 }"));
    richtext::RichTextLayout oneLine(QByteArrayView("{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 x}"));
    EXPECT_EQ(empty.textLength(), 0);
    EXPECT_GT(empty.measureHeight(400, screen), 0);
    EXPECT_DOUBLE_EQ(empty.measureHeight(400, screen), oneLine.measureHeight(400, screen));
}

TEST(RichTextLayout, fitting_splits_a_document_into_pages_that_cover_it_once) {
    richtext::RichTextLayout layout(longDocument());
    const QImage device = page(1, 1, 96);
    const QRectF rect(0, 0, 300, 60);
    int from = 0;
    int pages = 0;
    qreal total = 0;
    for (;;) {
        SCOPED_TRACE(pages);
        const richtext::FitResult r = layout.fit(rect, device, from);
        ASSERT_GE(r.lastChar, from) << "no progress";
        EXPECT_LE(r.height, rect.height());
        EXPECT_GT(r.height, rect.height() / 2) << "pages are filled";
        total += r.height;
        ++pages;
        if (r.complete) {
            EXPECT_EQ(r.lastChar, layout.textLength() - 1);
            break;
        }
        from = r.lastChar + 1;
        ASSERT_LT(pages, 100);
    }
    EXPECT_GT(pages, 3);
    // Pages break between lines, so their heights add up to the height of the whole.
    EXPECT_NEAR(total, layout.measureHeight(rect.width(), device), 0.5);
}

TEST(RichTextLayout, edge_ranges_fit_as_the_report_engine_expects) {
    const QImage device = page(1, 1, 96);
    richtext::RichTextLayout line(QByteArrayView("{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}}\\f0 abc def}"));
    const qreal lineHeight = line.measureHeight(400, device);

    // Lower than one line: nothing fits.
    richtext::FitResult r = line.fit(QRectF(0, 0, 400, lineHeight / 2), device, 0);
    EXPECT_EQ(r.lastChar, -1);
    EXPECT_EQ(r.height, 0);
    EXPECT_FALSE(r.complete);

    // A range that starts inside a line is laid out from there.
    r = line.fit(QRectF(0, 0, 400, lineHeight), device, 5);
    EXPECT_EQ(r.lastChar, 6);
    EXPECT_TRUE(r.complete);
    EXPECT_DOUBLE_EQ(r.height, lineHeight);

    // Starting at (or past) the end leaves nothing to do.
    r = line.fit(QRectF(0, 0, 400, lineHeight), device, 99);
    EXPECT_EQ(r.lastChar, 6);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.height, 0);

    // A trailing empty paragraph that does not fit counts as fitted.
    richtext::RichTextLayout trailing(QByteArrayView("{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}}\\f0 abc def\\par\\par}"));
    EXPECT_EQ(trailing.textLength(), 8);
    r = trailing.fit(QRectF(0, 0, 400, lineHeight * 1.5), device, 0);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.lastChar, 7);
    EXPECT_DOUBLE_EQ(r.height, lineHeight);
    // ... but two lines left over are not a trailing line break.
    richtext::RichTextLayout twoLeft(QByteArrayView("{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}}\\f0 abc def\\par\\par\\par}"));
    EXPECT_FALSE(twoLeft.fit(QRectF(0, 0, 400, lineHeight * 1.5), device, 0).complete);
}

TEST(RichTextLayout, drawing_paints_only_the_lines_that_fit_inside_the_rectangle) {
    richtext::RichTextLayout layout(longDocument());
    QImage image = page(360, 260, 96);
    const QRectF first(20, 20, 300, 100);
    const QRectF second(20, 140, 300, 100);
    richtext::FitResult r1;
    richtext::FitResult r2;
    {
        QPainter painter(&image);
        r1 = layout.draw(painter, first, 0);
        r2 = layout.draw(painter, second, r1.lastChar + 1);
    }
    savePicture(image, QStringLiteral("richtext_pages"));
    const richtext::FitResult expected1 = layout.fit(first, image, 0);
    EXPECT_EQ(r1.lastChar, expected1.lastChar);
    EXPECT_EQ(r1.height, expected1.height);
    EXPECT_EQ(r2.lastChar, layout.fit(second, image, r1.lastChar + 1).lastChar);
    EXPECT_GT(r2.lastChar, r1.lastChar);

    const QRect inked1 = QRectF(first.left(), first.top(), first.width(), r1.height).toAlignedRect();
    const QRect inked2 = QRectF(second.left(), second.top(), second.width(), r2.height).toAlignedRect();
    EXPECT_GT(inkInside(image, inked1), 100);
    EXPECT_GT(inkInside(image, inked2), 100);
    QImage outside = image;
    {
        QPainter blank(&outside);
        blank.fillRect(inked1, Qt::white);
        blank.fillRect(inked2, Qt::white);
    }
    EXPECT_EQ(inkOutside(outside, QRect()), 0);
}

TEST(RichTextLayout, a_fixture_document_draws_into_an_image) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/bullets.rtf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QTextDocument doc;
    richtext::ReadRtf(f.readAll(), doc);
    QFile formats(QStringLiteral(TEST_DATA_DIR "/formats.rtf"));
    ASSERT_TRUE(formats.open(QIODevice::ReadOnly));
    richtext::RichTextLayout bullets(doc);
    richtext::RichTextLayout styled(formats.readAll());

    QImage image = page(420, 320, 96);
    richtext::FitResult a;
    richtext::FitResult b;
    {
        QPainter painter(&image);
        painter.setPen(Qt::lightGray);
        painter.drawRect(QRect(10, 10, 400, 150));
        painter.drawRect(QRect(10, 170, 400, 140));
        a = bullets.draw(painter, QRectF(10, 10, 400, 150));
        b = styled.draw(painter, QRectF(10, 170, 400, 140));
    }
    const QString path = savePicture(image, QStringLiteral("richtext_fixtures"));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(a.complete);
    EXPECT_TRUE(b.complete);
    // The layout worked on its own copy: the caller's document keeps its own width.
    EXPECT_LT(doc.textWidth(), 0);
}

}  // namespace
