#pragma once

// Pictures drawn in code: the small illustrations of dialogs and wizards (copies, page
// orientation, field lists, sort order, grouping) are drawn by picture classes instead of
// being stored as images. Coordinates are pixels; rectangles include their right and
// bottom edges.

#include "platform/paint/color.h"

#include <QFont>
#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <random>

namespace report {

/// The surface a picture draws on: an image, with the current font for its texts.
class MetaCanvas {
public:
    explicit MetaCanvas(QImage& image) : m_image(image) {}
    QImage& Image() { return m_image; }
    QFont Font;
    paint::TColor FontColor = paint::clBlack;
    /// The brush texts are written on; none (clNone) writes them without a background.
    paint::TColor BrushColor = paint::clNone;

private:
    QImage& m_image;
};

/// While it lives, the random lengths of the data grids' value bars (TppMetaBitmap::DrawDataGrid)
/// come from a generator seeded with aSeed, so a picture is drawn the same every time; the
/// previous source comes back when it goes. Without one the lengths are the system's random.
class MetaBitmapSeed {
public:
    explicit MetaBitmapSeed(unsigned aSeed);
    ~MetaBitmapSeed();
    MetaBitmapSeed(const MetaBitmapSeed&) = delete;
    MetaBitmapSeed& operator=(const MetaBitmapSeed&) = delete;

private:
    std::minstd_rand m_generator;
    std::minstd_rand* m_previous;
};

}  // namespace report

/// The base of the pictures drawn in code: a size, a background colour and a Draw that
/// paints the picture on a canvas. An owned object may hang on it (freed with it).
class TppMetaBitmap {
public:
    TppMetaBitmap() = default;
    virtual ~TppMetaBitmap() = default;

    int Height() const { return m_height; }
    int Width() const { return m_width; }
    paint::TColor BackgroundColor() const { return m_background; }
    void SetOwnedObject(std::unique_ptr<QObject> aObject) { m_owned = std::move(aObject); }

    virtual void Draw(report::MetaCanvas& aCanvas) = 0;
    /// Sizes the image to the picture, fills it with the background and draws; nothing for
    /// null.
    void DrawToBitmap(QImage* aBitmap);

    /// A funnel 32 by 32 (search criteria).
    static void DrawFunnel(report::MetaCanvas& aCanvas, int x, int y);
    /// A table window 31 by 25 with three field columns, highlighted by the flags.
    static void DrawTableSymbol(report::MetaCanvas& aCanvas, int x, int y, bool aFirst, bool aSecond, bool aThird);
    /// A grid window 12 x columns + 5 wide and 4 x rows + 7 high with a drop shadow; columns
    /// whose bit is set in aColumnFlags (bit j for column j) are highlighted. The value bars
    /// take random lengths of 5 to 8 pixels.
    static void DrawDataGrid(report::MetaCanvas& aCanvas, int x, int y, int aColumns, int aRows, unsigned aColumnFlags);
    /// A list window 64 by 48 with a drop shadow and rows numbered 1 to aRows (3 or 4), 12
    /// pixels apart, of sample keys, sorted when aSorted is set; highlighted rows are aqua.
    static void DrawSortList(report::MetaCanvas& aCanvas, int x, int y, int aRows, bool aSorted, bool aHighlighted);
    /// The sample keys DrawSortList writes, in its order.
    static QStringList SortListKeys(bool aSorted, int aRows);

protected:
    void setSize(int aHeight, int aWidth) {
        m_height = aHeight;
        m_width = aWidth;
    }
    void setBackgroundColor(paint::TColor aColor) { m_background = aColor; }

private:
    std::unique_ptr<QObject> m_owned;
    paint::TColor m_background = 0;
    int m_height = 0;
    int m_width = 0;
};

/// The base of the wizards' pictures; it adds nothing.
class TppWizardBitmap : public TppMetaBitmap {};

/// The field-selection picture of the wizards: three stacked framed cards beside a coloured
/// shape, 170 x 60 on the button face.
class TppWizardFieldsBitmap : public TppWizardBitmap {
public:
    TppWizardFieldsBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;
};

/// A small white page with a folded corner and a letter on it, on silver.
class TppOrientationBitmap : public TppMetaBitmap {
public:
    void Draw(report::MetaCanvas& aCanvas) override;
};

/// The portrait page, 26 x 32.
class TppPortraitBitmap : public TppOrientationBitmap {
public:
    TppPortraitBitmap();
};

/// The landscape page, 32 x 26.
class TppLandscapeBitmap : public TppOrientationBitmap {
public:
    TppLandscapeBitmap();
};

/// A picture class: how to make one.
using TppMetaBitmapClass = std::function<std::unique_ptr<TppMetaBitmap>()>;

/// A new image with the picture drawn into it.
QImage ppCreateMetaBitmap(const TppMetaBitmapClass& aClass);
/// Draws a new picture of the class into the image.
void ppDrawMetaBitmap(const TppMetaBitmapClass& aClass, QImage* aBitmap);

// Drawing primitives.
/// A line from (x1, y1) to (x2, y2); a horizontal or vertical line includes its end point, a
/// sloped one leaves it out.
void ppMetaLine(report::MetaCanvas& aCanvas, int x1, int y1, int x2, int y2, paint::TColor aColor);
/// Rectangles include both corners.
void ppMetaFillRect(report::MetaCanvas& aCanvas, int x1, int y1, int x2, int y2, paint::TColor aColor);
void ppMetaFrameRect(report::MetaCanvas& aCanvas, int x1, int y1, int x2, int y2, paint::TColor aColor);
/// A filled ellipse inside the box from (x1, y1) to (x2, y2), both corners included.
void ppMetaEllipse(report::MetaCanvas& aCanvas, int x1, int y1, int x2, int y2, paint::TColor aColor);
/// Fills the area around (x, y) that has the colour found there.
void ppMetaFloodFill(report::MetaCanvas& aCanvas, int x, int y, paint::TColor aColor);
/// Writes the text with its top left at (x - 1, y - 2).
void ppMetaTextOut(report::MetaCanvas& aCanvas, int x, int y, const QString& aText);
/// Writes the text on a black box when the font is white, else on a white one; clipped to
/// the box x..x+width by y..y+height when it does not fit.
void ppMetaTextRect(report::MetaCanvas& aCanvas, int x, int y, const QString& aText, int aHeight, int aWidth);
/// Left alignment writes at x; right alignment ends the text at x; others write nothing.
void ppMetaAlignedText(report::MetaCanvas& aCanvas, int x, int y, Qt::Alignment aAlignment, const QString& aText);
