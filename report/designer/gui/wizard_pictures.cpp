#include "report/designer/gui/wizard_pictures.h"

#include "platform/paint/font_resolver.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {

using namespace paint;

constexpr TColor kShadow = clGray;  // the button shadow
constexpr TColor kFace = clSilver;  // the button face

// The wizard's own sample: companies by state.
const char* const kHeadings[] = {"COMPANY", "REGION", "CITY", "STATE"};
const char* const kRows[][4] = {
    {"Harbour Books", "Northwest", "Tacoma", "WA"},
    {"Lakeside Tools", "Midwest", "Duluth", "MN"},
    {"Mesa Gardens", "Southwest", "Tempe", "AZ"},
    {"Pine Ridge Mill", "Northeast", "Bangor", "ME"},
    {"Cedar Print", "Northwest", "Eugene", "OR"},
};

paint::Font makeFont(const char* aName, int aSize, TFontStyles aStyle = {}, TColor aColor = clBlack) {
    paint::Font f;
    f.Name = QString::fromLatin1(aName);
    f.Size = aSize;
    f.Style = aStyle;
    f.Color = aColor;
    return f;
}

QFont qtFont(const paint::Font& aFont) {
    QFont f(paint::InstalledFamily(aFont.Name));
    f.setPixelSize(std::max(1, int(std::lround(aFont.Size * 96.0 / 72.0))));
    f.setBold(aFont.Style.Contains(TFontStyle::fsBold));
    f.setItalic(aFont.Style.Contains(TFontStyle::fsItalic));
    f.setUnderline(aFont.Style.Contains(TFontStyle::fsUnderline));
    return f;
}

const paint::Font kSmall = makeFont("SMALL FONTS", 5);
const paint::Font kSmallGrey = makeFont("SMALL FONTS", 5, {}, clGray);
const paint::Font kSmallBold = makeFont("SMALL FONTS", 5, {TFontStyle::fsBold});

int textWidth(const paint::Font& aFont, const QString& aText) {
    return QFontMetrics(qtFont(aFont)).horizontalAdvance(aText);
}

}  // namespace

// Page corner ------------------------------------------------------------------------------------

TppPageCornerBitmap::TppPageCornerBitmap() {
    setSize(201, 225);
    setBackgroundColor(kShadow);
}

void TppPageCornerBitmap::Draw(report::MetaCanvas& c) {
    ppMetaFillRect(c, 14, 14, Width() - 1, Height() - 1, clBlack);
    ppMetaFillRect(c, 10, 10, Width() - 1, Height() - 1, clWhite);
    ppMetaLine(c, 10, 10, Width() - 1, 10, clBlack);
    ppMetaLine(c, 10, 10, 10, Height() - 1, clBlack);
}

void TppPageCornerBitmap::Text(report::MetaCanvas& c, int x, int y, const QString& aText, const paint::Font& aFont) {
    const QFont savedFont = c.Font;
    const TColor savedColor = c.FontColor;
    c.Font = qtFont(aFont);
    c.FontColor = aFont.Color;
    ppMetaTextOut(c, x, y, aText);
    c.Font = savedFont;
    c.FontColor = savedColor;
}

// Layouts ----------------------------------------------------------------------------------------

void TppLayoutBitmap::Draw(report::MetaCanvas& c) {
    TppPageCornerBitmap::Draw(c);
    Text(c, 22, 20, QStringLiteral("Customers"), makeFont("ARIAL", 12, {TFontStyle::fsBold}, clGray));
}

void TppTabularLayoutBitmap::Draw(report::MetaCanvas& c) {
    TppLayoutBitmap::Draw(c);
    const int lefts[] = {22, 82, 132, 180};
    for (int k = 0; k < 4; ++k) Text(c, lefts[k], 50, QString::fromLatin1(kHeadings[k]), kSmallBold);
    ppMetaLine(c, 22, 60, Width() - 1, 60, clBlack);
    for (int r = 0; r < 5; ++r)
        for (int k = 0; k < 4; ++k) Text(c, lefts[k], 66 + 12 * r, QString::fromLatin1(kRows[r][k]), k == 0 ? kSmall : kSmallGrey);
}

void TppVerticalLayoutBitmap::Draw(report::MetaCanvas& c) {
    TppLayoutBitmap::Draw(c);
    for (int r = 0; r < 3; ++r) {
        const int top = 48 + 54 * r;
        ppMetaLine(c, 22, top, Width() - 1, top, clBlack);
        for (int k = 0; k < 4; ++k) {
            Text(c, 22, top + 6 + 11 * k, QString::fromLatin1(kHeadings[k]), kSmallBold);
            Text(c, 80, top + 6 + 11 * k, QString::fromLatin1(kRows[r][k]), k == 0 ? kSmall : kSmallGrey);
        }
    }
}

void TppStandardLayoutBitmap::Draw(report::MetaCanvas& c) {
    TppLayoutBitmap::Draw(c);
    // Headings between single lines, then the states stepped over their companies.
    ppMetaLine(c, 22, 46, Width() - 1, 46, clBlack);
    const int lefts[] = {22, 50, 120};
    const char* headings[] = {"STATE", "COMPANY", "CITY"};
    for (int k = 0; k < 3; ++k) Text(c, lefts[k], 50, QString::fromLatin1(headings[k]), kSmallBold);
    ppMetaLine(c, 22, 60, Width() - 1, 60, clBlack);
    int y = 66;
    const int groups[][2] = {{2, 0}, {3, 1}};  // a state and the rows under it
    for (const auto& group : groups) {
        Text(c, 22, y, QString::fromLatin1(kRows[group[0]][3]), kSmall);
        y += 12;
        for (int r = 0; r < 3; ++r) {
            const int row = (group[1] + r) % 5;
            const QString company = QString::fromLatin1(kRows[row][0]);
            const QString city = QString::fromLatin1(kRows[row][2]);
            if (m_boxes) {
                ppMetaFrameRect(c, 48, y - 3, 117, y + 8, clGray);
                ppMetaFrameRect(c, 117, y - 3, 180, y + 8, clGray);
            }
            Text(c, 50, y, company, kSmall);
            Text(c, 120, y, city, kSmallGrey);
            y += m_boxes ? 11 : 12;
        }
        y += 8;
    }
}

void TppOutlineLayoutBitmap::Draw(report::MetaCanvas& c) {
    TppLayoutBitmap::Draw(c);
    int y = 48;
    const int groups[][2] = {{2, 0}, {3, 1}};
    for (const auto& group : groups) {
        // The state, framed by lines (double lines in the first outline), then the headings
        // and the rows below it, stepped in or aligned with the state.
        if (m_second) {
            ppMetaFrameRect(c, 20, y - 3, Width() - 6, y + 9, clBlack);
        } else {
            ppMetaLine(c, 22, y - 3, Width() - 1, y - 3, clBlack);
            ppMetaLine(c, 22, y - 1, Width() - 1, y - 1, clBlack);
        }
        Text(c, 24, y, QString::fromLatin1(kRows[group[0]][3]), kSmallBold);
        y += 14;
        const int indent = m_stepped ? 42 : 24;
        Text(c, indent, y, QStringLiteral("COMPANY"), kSmallBold);
        Text(c, indent + 72, y, QStringLiteral("CITY"), kSmallBold);
        ppMetaLine(c, indent, y + 10, Width() - 1, y + 10, m_second ? clBlack : clGray);
        y += 14;
        for (int r = 0; r < 3; ++r) {
            const int row = (group[1] + r) % 5;
            Text(c, indent, y, QString::fromLatin1(kRows[row][0]), kSmall);
            Text(c, indent + 72, y, QString::fromLatin1(kRows[row][2]), kSmallGrey);
            y += 12;
        }
        y += 10;
    }
}

// Styles -----------------------------------------------------------------------------------------

void TppStyleBitmap::Draw(report::MetaCanvas& c) {
    TppPageCornerBitmap::Draw(c);
    // A small sample report: a title bar, a heading row and grey value rows.
    if (m_bandColor != clWhite) ppMetaFillRect(c, 20, 18, Width() - 1, 30, m_bandColor);
    ppMetaFillRect(c, 22, 21, 70, 26, m_titleFont.Color == clWhite ? clWhite : m_titleFont.Color);
    for (int k = 0; k < 4; ++k) ppMetaFillRect(c, 22 + 44 * k, 38, 50 + 44 * k, 40, m_labelFont.Color);
    if (m_line) ppMetaFillRect(c, 22, 44, Width() - 1, 43 + m_lineWidth, m_lineColor);
    for (int r = 0; r < 12; ++r)
        for (int k = 0; k < 4; ++k) ppMetaLine(c, 22 + 44 * k, 52 + 6 * r, 44 + 44 * k + (r * 7 + k * 3) % 9, 52 + 6 * r, clGray);
    // The magnified box.
    const int left = 34, top = 88, right = Width() - 8, bottom = 200;
    ppMetaFillRect(c, left + 4, top + 4, right + 4, bottom + 4, clBlack);
    ppMetaFillRect(c, left, top, right, bottom, clWhite);
    ppMetaFrameRect(c, left, top, right, bottom, clBlack);
    if (m_bandColor != clWhite) ppMetaFillRect(c, left + 1, top + 1, right - 1, top + 40, m_bandColor);
    Text(c, left + 8, top + 8, QStringLiteral("Customers"), m_titleFont);
    Text(c, left + 8, top + 52, QStringLiteral("Company"), m_labelFont);
    const int labelBottom = top + 52 + QFontMetrics(qtFont(m_labelFont)).height();
    if (m_line) ppMetaFillRect(c, left + 6, labelBottom, right - 6, labelBottom + m_lineWidth - 1, m_lineColor);
    Text(c, left + 8, labelBottom + 10, QStringLiteral("Harbour Books"), m_valueFont);
}

TppBoldStyleBitmap::TppBoldStyleBitmap() {
    m_titleFont = makeFont("TIMES NEW ROMAN", 19, {TFontStyle::fsBold}, clMaroon);
    m_labelFont = makeFont("ARIAL", 10, {TFontStyle::fsBold}, clMaroon);
    m_valueFont = makeFont("TIMES NEW ROMAN", 9);
    m_lineColor = clMaroon;
    m_lineWidth = 2;
}

TppCasualStyleBitmap::TppCasualStyleBitmap() {
    m_titleFont = makeFont("ARIAL", 19, {TFontStyle::fsBold}, clTeal);
    m_labelFont = makeFont("ARIAL", 10, {TFontStyle::fsBold});
    m_valueFont = makeFont("ARIAL", 10);
    m_lineColor = clTeal;
    m_lineWidth = 2;
}

TppCompactStyleBitmap::TppCompactStyleBitmap() {
    m_titleFont = makeFont("HAETTENSCHWEILER", 22);
    m_labelFont = makeFont("HAETTENSCHWEILER", 12);
    m_valueFont = makeFont("ARIAL", 8);
    m_lineColor = clBlack;
    m_lineWidth = 2;
}

TppCorporateStyleBitmap::TppCorporateStyleBitmap() {
    m_titleFont = makeFont("TIMES NEW ROMAN", 19, {TFontStyle::fsBold, TFontStyle::fsItalic}, clNavy);
    m_labelFont = makeFont("TIMES NEW ROMAN", 11, {TFontStyle::fsBold, TFontStyle::fsItalic}, clNavy);
    m_valueFont = makeFont("ARIAL", 8);
    m_lineColor = clNavy;
    m_lineWidth = 2;
}

TppFormalStyleBitmap::TppFormalStyleBitmap() {
    m_titleFont = makeFont("TIMES NEW ROMAN", 19);
    m_labelFont = makeFont("TIMES NEW ROMAN", 10, {TFontStyle::fsBold});
    m_valueFont = makeFont("TIMES NEW ROMAN", 8);
    m_lineColor = clBlack;
    m_lineWidth = 2;
}

TppSoftGrayStyleBitmap::TppSoftGrayStyleBitmap() {
    m_titleFont = makeFont("ARIAL", 19, {TFontStyle::fsBold}, clWhite);
    m_labelFont = makeFont("ARIAL", 9, {TFontStyle::fsBold});
    m_valueFont = makeFont("TIMES NEW ROMAN", 11);
    m_line = false;
    m_bandColor = clSilver;
}

// Groups -----------------------------------------------------------------------------------------

TppGroupsPageBitmap::TppGroupsPageBitmap() {
    setSize(265, 239);
    setBackgroundColor(kShadow);
}

void TppGroupsPageBitmap::Draw(report::MetaCanvas& c) {
    ppMetaFillRect(c, 8, 8, Width() - 3, Height() - 3, clBlack);
    ppMetaFillRect(c, 4, 4, Width() - 7, Height() - 7, clWhite);
    ppMetaFrameRect(c, 4, 4, Width() - 7, Height() - 7, clBlack);
}

QImage ppGroupsPicture(const QStringList& aGroups, const QStringList& aAvailable) {
    QImage image = ppCreateMetaBitmap([] { return std::make_unique<TppGroupsPageBitmap>(); });
    QPainter p(&image);
    QFont bold(paint::InstalledFamily(QStringLiteral("MS Sans Serif")));
    bold.setPixelSize(11);
    bold.setBold(true);
    p.setBrush(Qt::white);
    p.setFont(bold);
    int left = 16, top = 12;
    for (int i = 0; i < aGroups.size(); ++i) {
        const int right = i == 0 ? 224 - 7 : 224;
        p.setPen(QColor(0, 0, 255));
        p.drawLine(left, top, right, top);
        p.drawLine(left, top, left, 254);
        p.drawText(left + 2, top + 2 + QFontMetrics(bold).ascent(), aGroups.at(i));
        left += 7;
        top += 30;
    }
    // The box of fields still available for grouping, below the last bracket.
    QFont regular = bold;
    regular.setBold(false);
    p.setFont(regular);
    p.setPen(Qt::black);
    const QRect box(left + 2, top + 2, 224 - left - 2, 254 - top - 2);
    p.drawRect(box);
    const QFontMetrics metrics(regular);
    QString line;
    int y = box.top() + 3;
    const QString joined = aAvailable.join(QStringLiteral(", "));
    const QStringList words = joined.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i <= words.size(); ++i) {
        const QString candidate = i < words.size() ? (line.isEmpty() ? words[i] : line + QLatin1Char(' ') + words[i]) : QString();
        if (i < words.size() && metrics.horizontalAdvance(candidate) <= box.width() - 6) {
            line = candidate;
            continue;
        }
        if (y + metrics.height() > box.bottom()) break;
        p.drawText(box.left() + 3, y + metrics.ascent(), line);
        y += metrics.height();
        if (i < words.size()) line = words[i];
    }
    return image;
}

// Auto layout ------------------------------------------------------------------------------------

TppAutoLayoutBitmap::TppAutoLayoutBitmap() {
    setSize(145, 210);
    setBackgroundColor(clWhite);
    LabelFont = makeFont("ARIAL", 10, {TFontStyle::fsBold});
    FieldFont = makeFont("ARIAL", 10);
}

void TppAutoLayoutBitmap::Draw(report::MetaCanvas& c) {
    auto text = [&](int x, int y, const QString& s, const paint::Font& f) {
        const QFont saved = c.Font;
        c.Font = qtFont(f);
        c.FontColor = f.Color;
        ppMetaTextOut(c, x, y, s);
        c.Font = saved;
    };
    auto framed = [&](int x, int y, const QString& s, const paint::Font& f, bool frame) {
        text(x, y, s, f);
        if (frame) ppMetaFrameRect(c, x - 2, y - 3, x + textWidth(f, s) + 1, y + 7, clGray);
    };
    const QString labels[] = {QStringLiteral("Company"), QStringLiteral("Region"), QStringLiteral("City"), QStringLiteral("State")};
    if (Tabular) {
        const int lefts[] = {8, 70, 120, 168};
        for (int k = 0; k < 4; ++k) {
            if (ShowLabels) framed(lefts[k], 70, labels[k], k == 0 ? kSmallBold : makeFont("SMALL FONTS", 5, {TFontStyle::fsBold}, clGray), FrameLabels);
            if (ShowFields)
                for (int r = 0; r < 3; ++r)
                    framed(lefts[k], 86 + 14 * r, QString::fromLatin1(kRows[r][k]), k == 0 ? kSmall : kSmallGrey, FrameFields);
        }
    } else {
        for (int k = 0; k < 4; ++k) {
            if (ShowLabels) framed(8, 70 + 14 * k, labels[k], k == 0 ? kSmallBold : makeFont("SMALL FONTS", 5, {TFontStyle::fsBold}, clGray), FrameLabels);
            if (ShowFields) framed(60, 70 + 14 * k, QString::fromLatin1(kRows[0][k]), k == 0 ? kSmall : kSmallGrey, FrameFields);
        }
    }
    // The magnified box: the label and the value in their fonts.
    ppMetaFillRect(c, 12, 6, 200, 56, kFace);
    ppMetaFrameRect(c, 12, 6, 200, 56, clBlack);
    ppMetaFillRect(c, 14, 8, 198, 54, clWhite);
    int y = 12;
    if (ShowLabels) {
        text(20, y, labels[0], LabelFont);
        y += QFontMetrics(qtFont(LabelFont)).height() + 2;
    }
    if (ShowFields) text(20, y, QString::fromLatin1(kRows[0][0]), FieldFont);
}

// Pictures by choice -----------------------------------------------------------------------------

QImage ppLayoutPicture(TppReportLayoutType aLayout) {
    switch (aLayout) {
    case TppReportLayoutType::rlVertical: return ppCreateMetaBitmap([] { return std::make_unique<TppVerticalLayoutBitmap>(); });
    case TppReportLayoutType::rlTabular: return ppCreateMetaBitmap([] { return std::make_unique<TppTabularLayoutBitmap>(); });
    case TppReportLayoutType::rlStepped: return ppCreateMetaBitmap([] { return std::make_unique<TppSteppedLayoutBitmap>(); });
    case TppReportLayoutType::rlBlock: return ppCreateMetaBitmap([] { return std::make_unique<TppBlockLayoutBitmap>(); });
    case TppReportLayoutType::rlOutline1: return ppCreateMetaBitmap([] { return std::make_unique<TppOutline1LayoutBitmap>(); });
    case TppReportLayoutType::rlOutline2: return ppCreateMetaBitmap([] { return std::make_unique<TppOutline2LayoutBitmap>(); });
    case TppReportLayoutType::rlAlignLeft1: return ppCreateMetaBitmap([] { return std::make_unique<TppAlignLeft1LayoutBitmap>(); });
    case TppReportLayoutType::rlAlignLeft2: return ppCreateMetaBitmap([] { return std::make_unique<TppAlignLeft2LayoutBitmap>(); });
    }
    return {};
}

QImage ppStylePicture(TppReportStyleType aStyle) {
    switch (aStyle) {
    case TppReportStyleType::rsBold: return ppCreateMetaBitmap([] { return std::make_unique<TppBoldStyleBitmap>(); });
    case TppReportStyleType::rsCasual: return ppCreateMetaBitmap([] { return std::make_unique<TppCasualStyleBitmap>(); });
    case TppReportStyleType::rsCompact: return ppCreateMetaBitmap([] { return std::make_unique<TppCompactStyleBitmap>(); });
    case TppReportStyleType::rsCorporate: return ppCreateMetaBitmap([] { return std::make_unique<TppCorporateStyleBitmap>(); });
    case TppReportStyleType::rsFormal: return ppCreateMetaBitmap([] { return std::make_unique<TppFormalStyleBitmap>(); });
    case TppReportStyleType::rsSoftGray: return ppCreateMetaBitmap([] { return std::make_unique<TppSoftGrayStyleBitmap>(); });
    }
    return {};
}
