#include "platform/paint/color.h"

#include <array>

namespace paint {

namespace {

struct NamedColor {
    TColor color;
    const char* ident;
};

// The class library's colour identifiers in its order.
constexpr std::array<NamedColor, 47> kNamedColors = {{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
}};

// The classic Windows standard scheme, by system colour index, as 0x00BBGGRR.
constexpr std::array<TColor, 25> kSystemScheme = {
    0xC0C0C0,  // scroll bar
    0x808000,  // desktop
    0x800000,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application workspace
    0x800000,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3-D dark shadow
    0xC0C0C0,  // 3-D light
    0x000000,  // tooltip text
    0xE1FFFF,  // tooltip background
};

}  // namespace

TColor ColorToRGB(TColor color) {
    if (color == clNone) return clWhite;
    if (color == clDefault) color = clWindow;
    if (color & kSystemColorFlag) {
        const int index = color & 0xFF;
        return index < int(kSystemScheme.size()) ? kSystemScheme[size_t(index)] : clBlack;
    }
    return color & 0xFFFFFF;
}

QColor ToQColor(TColor color) {
    if (color == clNone) return QColor(Qt::transparent);
    const TColor rgb = ColorToRGB(color);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color) {
    return TColor(color.red() | (color.green() << 8) | (color.blue() << 16));
}

std::optional<QString> ColorToIdent(TColor color) {
    for (const NamedColor& c : kNamedColors)
        if (c.color == color) return QString::fromLatin1(c.ident);
    return std::nullopt;
}

std::optional<TColor> IdentToColor(const QString& ident) {
    for (const NamedColor& c : kNamedColors)
        if (ident.compare(QLatin1String(c.ident), Qt::CaseInsensitive) == 0) return c.color;
    return std::nullopt;
}

QString ColorToString(TColor color) {
    if (auto ident = ColorToIdent(color)) return *ident;
    return QStringLiteral("$%1").arg(quint32(color), 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<TColor> StringToColor(const QString& text) {
    if (auto c = IdentToColor(text)) return c;
    const QString t = text.trimmed();
    bool ok = false;
    if (t.startsWith(QLatin1Char('$'))) {
        const quint32 v = t.mid(1).toUInt(&ok, 16);
        if (ok) return TColor(v);
        return std::nullopt;
    }
    const qint32 v = t.toInt(&ok);
    if (ok) return v;
    return std::nullopt;
}

QStringList ColorIdents() {
    QStringList out;
    for (const NamedColor& c : kNamedColors) out << QString::fromLatin1(c.ident);
    return out;
}

}  // namespace paint
