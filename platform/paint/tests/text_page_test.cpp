// A page of text in every font, size and style that the forms and reports name, laid out
// in two columns at 96 and at 600 dpi, drawn into an image and into a PDF. Each line must
// break at the same word at both resolutions, the drawn ink must end where the measured
// width says on both devices, and the PDF must hold the same lines.

#include "platform/paint/canvas.h"
#include "platform/paint/text_metrics.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <vector>
#include "test_paths.h"

namespace paint {
namespace {

struct Sample {
    const char* face;
    int size;
    TFontStyles style;
};

// The fonts that windows, dialogs, report defaults and wizards name.
const Sample kSamples[] = {
    {"Arial", 8, {}},
    {"Arial", 8, {TFontStyle::fsBold}},
    {"Arial", 10, {}},
    {"Arial", 10, {TFontStyle::fsBold}},
    {"Arial", 10, {TFontStyle::fsItalic}},
    {"Arial", 10, {TFontStyle::fsBold, TFontStyle::fsItalic}},
    {"Arial", 10, {TFontStyle::fsUnderline}},
    {"Arial", 10, {TFontStyle::fsStrikeOut}},
    {"Arial", 12, {}},
    {"Times New Roman", 10, {}},
    {"Times New Roman", 12, {TFontStyle::fsItalic}},
    {"Courier New", 8, {}},
    {"Courier New", 10, {}},
    {"Courier New", 10, {TFontStyle::fsBold}},
    {"Courier New", 12, {}},
    {"MS Sans Serif", 8, {}},
    {"MS Sans Serif", 8, {TFontStyle::fsBold}},
    {"Small Fonts", 5, {}},
    {"Small Fonts", 6, {TFontStyle::fsBold}},
    {"Small Fonts", 7, {}},
};

// Page geometry in thousandths of a millimetre (A4, two columns).
constexpr int kPageWidth = 210000, kPageHeight = 297000;
constexpr int kMargin = 12000, kGutter = 8000;
constexpr int kColumnWidth = (kPageWidth - 2 * kMargin - kGutter) / 2;

qreal toPixels(int mmThousandths, int dpi) { return mmThousandths / 25400.0 * dpi; }

Font fontOf(const Sample& s) {
    Font f;
    f.Name = QString::fromLatin1(s.face);
    f.Size = s.size;
    f.Style = s.style;
    f.Color = clBlack;
    return f;
}

QString describe(const Sample& s) {
    QString d = QStringLiteral("%1 %2").arg(QLatin1String(s.face)).arg(s.size);
    if (s.style.Contains(TFontStyle::fsBold)) d += QStringLiteral(" bold");
    if (s.style.Contains(TFontStyle::fsItalic)) d += QStringLiteral(" italic");
    if (s.style.Contains(TFontStyle::fsUnderline)) d += QStringLiteral(" underlined");
    if (s.style.Contains(TFontStyle::fsStrikeOut)) d += QStringLiteral(" struck out");
    return d;
}

QString pageText() {
    QFile f(QStringLiteral(PAINT_TEST_DATA "/page_text.txt"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    // The first forty words: enough for several lines in every font, few enough for
    // every font to fit on one page.
    return QString::fromUtf8(f.readAll()).simplified().section(QLatin1Char(' '), 0, 39);
}

// Greedy breaking at blanks: a word goes on the line while the line stays within the width.
QStringList breakLines(const TextMetrics& m, const QString& text, qreal widthPx) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && m.TextWidth(candidate) > widthPx) {
            lines << line;
            line = word;
        } else {
            line = candidate;
        }
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}

struct PlacedLine {
    const Sample* sample;
    QString text;
    int left, top;  ///< mm-thousandths
};

// Lays the page out once (at 96 dpi) in mm-thousandths, so every device draws the same lines.
std::vector<PlacedLine> layOutPage(const QString& text) {
    std::vector<PlacedLine> placed;
    int column = 0, top = kMargin;
    for (const Sample& s : kSamples) {
        const TextMetrics m(fontOf(s), 96, 96);
        QStringList lines = breakLines(m, text, toPixels(kColumnWidth, 96));
        lines.prepend(describe(s));
        const int lineHeight = int(m.Height() / 96 * 25400) + 1;
        if (top + lineHeight * lines.size() > kPageHeight - kMargin) {
            ++column;
            top = kMargin;
        }
        for (const QString& l : lines) {
            placed.push_back({&s, l, kMargin + column * (kColumnWidth + kGutter), top});
            top += lineHeight;
        }
        top += 2500;
    }
    return placed;
}

void drawPage(QPainter& painter, int dpi, const std::vector<PlacedLine>& page) {
    Canvas canvas(painter, dpi, dpi);
    canvas.SetBrush({clWhite, TBrushStyle::bsClear});
    for (const PlacedLine& l : page) {
        canvas.SetFont(fontOf(*l.sample));
        canvas.TextOut(toPixels(l.left, dpi), toPixels(l.top, dpi), l.text);
    }
}

QString outputPath(const QString& name) { return QDir::current().absoluteFilePath(name); }

// The rightmost column holding ink in the rows of a line; -1 when none.
int inkRight(const QImage& image, int top, int bottom) {
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y)
            if (qGray(image.pixel(x, y)) < 160) return x;
    return -1;
}

TEST(TextPage, every_font_breaks_each_line_at_the_same_word_at_96_and_600_dpi) {
    const QString text = pageText();
    ASSERT_GT(text.size(), 150);
    for (const Sample& s : kSamples) {
        SCOPED_TRACE(describe(s).toStdString());
        const TextMetrics screen(fontOf(s), 96, 96), printer(fontOf(s), 600, 600);
        const QStringList atScreen = breakLines(screen, text, toPixels(kColumnWidth, 96));
        const QStringList atPrinter = breakLines(printer, text, toPixels(kColumnWidth, 600));
        EXPECT_GT(atScreen.size(), 2);
        EXPECT_EQ(atScreen, atPrinter);
    }
}

TEST(TextPage, drawn_lines_end_where_they_were_measured_on_screen_and_printer) {
    const std::vector<PlacedLine> page = layOutPage(pageText());
    for (const int dpi : {96, 600}) {
        for (const PlacedLine& l : page) {
            SCOPED_TRACE(testing::Message() << dpi << " dpi, " << describe(*l.sample).toStdString() << ": "
                                            << l.text.toStdString());
            const TextMetrics m(fontOf(*l.sample), dpi, dpi);
            // One line on its own strip of the device's resolution.
            const int pad = dpi / 24;
            QImage strip(int(toPixels(kColumnWidth, dpi)) + 4 * pad, int(m.Height()) + 2 * pad, QImage::Format_RGB32);
            strip.setDotsPerMeterX(int(dpi / 0.0254 + 0.5));
            strip.setDotsPerMeterY(int(dpi / 0.0254 + 0.5));
            strip.fill(Qt::white);
            {
                QPainter p(&strip);
                Canvas canvas(p);
                ASSERT_EQ(canvas.PixelsPerInchX(), dpi);
                canvas.SetBrush({clWhite, TBrushStyle::bsClear});
                canvas.SetFont(fontOf(*l.sample));
                canvas.TextOut(pad, pad, l.text);
            }
            // The ink ends at the measured advance less the last glyph's right side bearing
            // (an underline or a strike-out line runs to the advance itself).
            const QFontMetricsF layout(m.LayoutQFont());
            const bool ruled = l.sample->style.Contains(TFontStyle::fsUnderline) ||
                               l.sample->style.Contains(TFontStyle::fsStrikeOut);
            const qreal bearing = ruled ? 0 : m.UnitsToX(layout.rightBearing(l.text.back()));
            const qreal expectedRight = pad + m.TextWidth(l.text) - bearing;
            const int right = inkRight(strip, 0, strip.height());
            ASSERT_GE(right, 0);
            EXPECT_NEAR(right + 1, expectedRight, 1.5);
            EXPECT_LE(right, pad + toPixels(kColumnWidth, dpi) + 1) << "the line spills out of its column";
        }
    }
}

TEST(TextPage, page_renders_at_96_dpi_and_into_a_pdf_with_the_same_lines) {
    const std::vector<PlacedLine> page = layOutPage(pageText());
    ASSERT_LT(page.back().left, kPageWidth / 2 + kGutter) << "the page's two columns hold every sample";

    QImage screen(int(toPixels(kPageWidth, 96)), int(toPixels(kPageHeight, 96)), QImage::Format_RGB32);
    screen.setDotsPerMeterX(3780);
    screen.setDotsPerMeterY(3780);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        drawPage(p, 96, page);
    }
    ASSERT_TRUE(screen.save(outputPath(QStringLiteral("paint_text_page_96dpi.png"))));

    // The PDF is read back, so it goes to a folder of this run's own: copies of the test program
    // running side by side must not read each other's half-written file.
    QTemporaryDir pdfFolder;
    ASSERT_TRUE(pdfFolder.isValid());
    const QString pdfPath = pdfFolder.filePath(QStringLiteral("paint_text_page.pdf"));
    {
        QPdfWriter pdf(pdfPath);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(600);
        QPainter p(&pdf);
        drawPage(p, pdf.resolution(), page);
    }

    // The PDF's text, read back line by line, holds the same lines in the same order.
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    ASSERT_FALSE(pdftotext.isEmpty()) << "poppler-utils is installed by scripts/install-deps.sh";
    QProcess proc;
    proc.start(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdfPath, QStringLiteral("-")});
    ASSERT_TRUE(proc.waitForFinished(-1));
    ASSERT_EQ(proc.exitCode(), 0);
    QStringList fromPdf;
    for (const QString& line : QString::fromUtf8(proc.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (!line.simplified().isEmpty()) fromPdf << line.simplified();
    QStringList laidOut;
    for (const PlacedLine& l : page) laidOut << l.text.simplified();
    EXPECT_EQ(fromPdf, laidOut);
}

}  // namespace
}  // namespace paint
