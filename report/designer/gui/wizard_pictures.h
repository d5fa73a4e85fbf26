#pragma once

// The pictures of the report wizard's pages, drawn in code: a page corner with a small sample
// report for each layout and each style, the groups picture, and the auto-layout picture the
// designer's data tree shows for dragged fields. The sample texts are the wizard's own.

#include "report/designer/gui/report_wizard.h"
#include "report/output/meta_bitmap.h"
#include "report/page/report_font.h"

#include "platform/paint/graphics.h"

/// The top-left corner of a white page, 225 x 201 on the button shadow.
class TppPageCornerBitmap : public TppMetaBitmap {
public:
    TppPageCornerBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;

protected:
    /// Writes a text in the face, size (points), styles and colour given.
    static void Text(report::MetaCanvas& aCanvas, int x, int y, const QString& aText, const paint::Font& aFont);
};

/// The page corner with the title "Customers" in grey.
class TppLayoutBitmap : public TppPageCornerBitmap {
public:
    void Draw(report::MetaCanvas& aCanvas) override;
};

class TppTabularLayoutBitmap : public TppLayoutBitmap {
public:
    void Draw(report::MetaCanvas& aCanvas) override;
};
class TppVerticalLayoutBitmap : public TppLayoutBitmap {
public:
    void Draw(report::MetaCanvas& aCanvas) override;
};
/// Column headings in the page head, group values in their own rows.
class TppStandardLayoutBitmap : public TppLayoutBitmap {
public:
    void Draw(report::MetaCanvas& aCanvas) override;

protected:
    bool m_boxes = false;
};
class TppSteppedLayoutBitmap : public TppStandardLayoutBitmap {};
class TppBlockLayoutBitmap : public TppStandardLayoutBitmap {
public:
    TppBlockLayoutBitmap() { m_boxes = true; }
};
/// Each group value with the column headings below it.
class TppOutlineLayoutBitmap : public TppLayoutBitmap {
public:
    void Draw(report::MetaCanvas& aCanvas) override;

protected:
    bool m_second = false;  ///< Outline 2: a box around the outer group, lines under the headings
    bool m_stepped = true;
};
class TppOutline1LayoutBitmap : public TppOutlineLayoutBitmap {};
class TppOutline2LayoutBitmap : public TppOutlineLayoutBitmap {
public:
    TppOutline2LayoutBitmap() { m_second = true; }
};
class TppAlignLeftLayoutBitmap : public TppOutlineLayoutBitmap {
public:
    TppAlignLeftLayoutBitmap() { m_stepped = false; }
};
class TppAlignLeft1LayoutBitmap : public TppAlignLeftLayoutBitmap {};
class TppAlignLeft2LayoutBitmap : public TppAlignLeftLayoutBitmap {
public:
    TppAlignLeft2LayoutBitmap() { m_second = true; }
};

/// The page corner with a small sample report and a magnified box showing a title, a label
/// and a value in the style's three fonts, a line under the label and a band colour behind
/// the title.
class TppStyleBitmap : public TppPageCornerBitmap {
public:
    void Draw(report::MetaCanvas& aCanvas) override;

protected:
    paint::Font m_titleFont, m_labelFont, m_valueFont;
    bool m_line = true;
    paint::TColor m_lineColor = paint::clBlack;
    int m_lineWidth = 1;
    paint::TColor m_bandColor = paint::clWhite;
};
class TppBoldStyleBitmap : public TppStyleBitmap {
public:
    TppBoldStyleBitmap();
};
class TppCasualStyleBitmap : public TppStyleBitmap {
public:
    TppCasualStyleBitmap();
};
class TppCompactStyleBitmap : public TppStyleBitmap {
public:
    TppCompactStyleBitmap();
};
class TppCorporateStyleBitmap : public TppStyleBitmap {
public:
    TppCorporateStyleBitmap();
};
class TppFormalStyleBitmap : public TppStyleBitmap {
public:
    TppFormalStyleBitmap();
};
class TppSoftGrayStyleBitmap : public TppStyleBitmap {
public:
    TppSoftGrayStyleBitmap();
};

/// A framed white page with a drop shadow, 239 x 265: the background of the groups picture.
class TppGroupsPageBitmap : public TppMetaBitmap {
public:
    TppGroupsPageBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;
};

/// How fields dragged from the data tree will be laid out: tabular (a heading row over three
/// rows of values) or vertical (the labels stacked with one record's values beside them),
/// labels and fields each shown or not and framed or not, with a magnified box showing a
/// label and a value in the label and field fonts. 210 x 145 on white.
class TppAutoLayoutBitmap : public TppMetaBitmap {
public:
    TppAutoLayoutBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;

    bool Tabular = true;
    bool ShowLabels = true;
    bool FrameLabels = false;
    bool ShowFields = true;
    bool FrameFields = false;
    void SetLabelFont(const TppFont* aFont) { if (aFont) LabelFont = aFont->Font(); }
    void SetFieldFont(const TppFont* aFont) { if (aFont) FieldFont = aFont->Font(); }
    paint::Font LabelFont;
    paint::Font FieldFont;
};

/// The picture of a layout, of a style; the groups picture for the groups (in order) and the
/// fields still available for grouping.
QImage ppLayoutPicture(TppReportLayoutType aLayout);
QImage ppStylePicture(TppReportStyleType aStyle);
QImage ppGroupsPicture(const QStringList& aGroups, const QStringList& aAvailable);
