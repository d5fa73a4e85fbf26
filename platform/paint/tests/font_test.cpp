#include "platform/paint/font_resolver.h"
#include "platform/paint/graphics.h"
#include "platform/paint/text_metrics.h"

#include <gtest/gtest.h>

#include <QFontInfo>

namespace paint {
namespace {

TEST(FontResolver, windows_faces_map_to_installed_metric_compatible_or_same_kind_fonts) {
    static const struct {
        const char* face;
        const char* family;  ///< nullptr: any installed family of the kind
        FontKind kind;
    } cases[] = {
        {"Arial", "Liberation Sans", FontKind::Sans},
        {"arial", "Liberation Sans", FontKind::Sans},
        {"Times New Roman", "Liberation Serif", FontKind::Serif},
        {"Courier New", "Liberation Mono", FontKind::Mono},
        {"Courier", "Liberation Mono", FontKind::Mono},
        {"MS Sans Serif", nullptr, FontKind::Sans},
        {"Small Fonts", nullptr, FontKind::Sans},
        {"MS Serif", nullptr, FontKind::Serif},
        {"Fixedsys", nullptr, FontKind::Mono},
        {"DejaVu Sans", "DejaVu Sans", FontKind::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.face);
        const QString family = InstalledFamily(QString::fromLatin1(c.face));
        EXPECT_EQ(KindOfFace(QString::fromLatin1(c.face)), c.kind);
        if (c.family) {
            EXPECT_EQ(family, QString::fromLatin1(c.family));
            continue;
        }
        EXPECT_FALSE(family.isEmpty());
        EXPECT_EQ(QFontInfo(QFont(family)).family(), family) << "the substitute is installed";
        if (c.kind == FontKind::Mono) {
            EXPECT_TRUE(QFontInfo(QFont(family)).fixedPitch());
        }
        if (c.kind == FontKind::Serif) {
            EXPECT_TRUE(family.contains(QLatin1String("Serif")));
        }
    }
    // A name nobody knows still gets a font to draw with.
    EXPECT_FALSE(InstalledFamily(QStringLiteral("No Such Face 42")).isEmpty());
}

// Advance widths of the Windows faces in font units (2048 per em), which the stand-ins
// must reproduce for lines to break where the designer saw them break.
TEST(TextMetrics, stand_ins_have_the_advance_widths_of_the_windows_faces) {
    static const struct {
        const char* face;
        const char* text;
        int unitsPerEm2048;
    } cases[] = {
        {"Arial", "a", 1139},
        {"Arial", "W", 1933},
        {"Arial", " ", 569},
        {"Times New Roman", "a", 909},
        {"Courier New", "i", 1229},
        {"Courier New", "W", 1229},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.face) + " '" + c.text + "'");
        Font font;
        font.Name = QString::fromLatin1(c.face);
        font.Size = 10;  // 1000 layout units per em
        const TextMetrics m(font, 96, 96);
        EXPECT_NEAR(m.WidthUnits(QString::fromLatin1(c.text)), c.unitsPerEm2048 * 1000.0 / 2048, 0.6);
    }
}

TEST(TextMetrics, widths_scale_exactly_with_the_resolution) {
    Font font;
    font.Name = QStringLiteral("Arial");
    font.Size = 9;
    font.Style = {TFontStyle::fsBold};
    const QString text = QStringLiteral("Printing page 3 of 12 for report Invoices");
    const TextMetrics screen(font, 96, 96), printer(font, 600, 600), fine(font, 300, 300);
    EXPECT_DOUBLE_EQ(screen.TextWidth(text) * 600 / 96, printer.TextWidth(text));
    EXPECT_DOUBLE_EQ(fine.TextWidth(text) * 2, printer.TextWidth(text));
    EXPECT_DOUBLE_EQ(screen.Height() * 600 / 96, printer.Height());
    EXPECT_GT(screen.Height(), 96 * 9 / 72.0);  // the cell is taller than the em
    EXPECT_NEAR(screen.Height() - screen.InternalLeading(), 96 * 9 / 72.0, 1e-9);
}

TEST(TextMetrics, tabs_move_to_the_given_stops_then_to_the_default_spacing) {
    Font font;
    font.Name = QStringLiteral("Courier New");
    font.Size = 10;
    const TextMetrics m(font, 96, 96);
    const qreal cell = m.TextWidth(QStringLiteral("x"));
    EXPECT_DOUBLE_EQ(m.TabbedTextWidth(QStringLiteral("ab\tc"), {100, 200}), 100 + cell);
    EXPECT_DOUBLE_EQ(m.TabbedTextWidth(QStringLiteral("ab\t\tc"), {100, 200}), 200 + cell);
    EXPECT_DOUBLE_EQ(m.TabbedTextWidth(QStringLiteral("ab\tc"), {50}), 50 + cell);       // every 50
    EXPECT_DOUBLE_EQ(m.TabbedTextWidth(QStringLiteral("ab\t\tc"), {50}), 100 + cell);
    EXPECT_NEAR(m.TabbedTextWidth(QStringLiteral("a\tb"), {}), 8 * m.AverageCharWidth() + cell, 1e-9);
}

TEST(Font, height_follows_the_resolution_while_the_point_size_is_kept) {
    static const struct {
        int size, ppi, height;
    } cases[] = {{8, 96, -11}, {10, 96, -13}, {12, 96, -16}, {10, 600, -83}, {7, 300, -29}, {10, 72, -10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << "pt at " << c.ppi);
        Font f;
        f.Size = c.size;
        EXPECT_EQ(f.HeightAt(c.ppi), c.height);
        Font back;
        back.SetHeightAt(f.HeightAt(c.ppi), c.ppi);
        EXPECT_EQ(back.Size, c.size);
    }
}

TEST(Graphics, enumeration_names_keep_their_ordinals) {
    EXPECT_EQ(FontStyleNames().indexOf(QStringLiteral("fsStrikeOut")), int(TFontStyle::fsStrikeOut));
    EXPECT_EQ(PenStyleNames().indexOf(QStringLiteral("psInsideFrame")), int(TPenStyle::psInsideFrame));
    EXPECT_EQ(BrushStyleNames().indexOf(QStringLiteral("bsDiagCross")), int(TBrushStyle::bsDiagCross));
    EXPECT_EQ(BrushStyleNames().indexOf(QStringLiteral("bsClear")), 1);
    EXPECT_EQ(FontPitchNames().size(), 3);
}

}  // namespace
}  // namespace paint
