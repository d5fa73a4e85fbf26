#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

namespace paint {

/// A colour as the class library and the templates keep it: a signed 32-bit value.
///   0x00BBGGRR          an RGB colour (red in the low byte)
///   0x800000nn          system colour nn (COLOR_WINDOW = 5 and so on), resolved when drawn
///   0x1FFFFFFF (clNone) no colour: nothing is painted
///   0x20000000          clDefault: the control's own default, drawn as clWindow
/// Templates store a colour by its identifier ("clRed", "clBtnFace") when it has one and
/// as an integer otherwise.
using TColor = qint32;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = clSilver;
inline constexpr TColor clDkGray = clGray;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

/// System colours: the flag bit and the Windows colour index.
inline constexpr TColor kSystemColorFlag = TColor(0x80000000u);
inline constexpr TColor clScrollBar = kSystemColorFlag | 0;
inline constexpr TColor clBackground = kSystemColorFlag | 1;
inline constexpr TColor clActiveCaption = kSystemColorFlag | 2;
inline constexpr TColor clInactiveCaption = kSystemColorFlag | 3;
inline constexpr TColor clMenu = kSystemColorFlag | 4;
inline constexpr TColor clWindow = kSystemColorFlag | 5;
inline constexpr TColor clWindowFrame = kSystemColorFlag | 6;
inline constexpr TColor clMenuText = kSystemColorFlag | 7;
inline constexpr TColor clWindowText = kSystemColorFlag | 8;
inline constexpr TColor clCaptionText = kSystemColorFlag | 9;
inline constexpr TColor clActiveBorder = kSystemColorFlag | 10;
inline constexpr TColor clInactiveBorder = kSystemColorFlag | 11;
inline constexpr TColor clAppWorkSpace = kSystemColorFlag | 12;
inline constexpr TColor clHighlight = kSystemColorFlag | 13;
inline constexpr TColor clHighlightText = kSystemColorFlag | 14;
inline constexpr TColor clBtnFace = kSystemColorFlag | 15;
inline constexpr TColor clBtnShadow = kSystemColorFlag | 16;
inline constexpr TColor clGrayText = kSystemColorFlag | 17;
inline constexpr TColor clBtnText = kSystemColorFlag | 18;
inline constexpr TColor clInactiveCaptionText = kSystemColorFlag | 19;
inline constexpr TColor clBtnHighlight = kSystemColorFlag | 20;
inline constexpr TColor cl3DDkShadow = kSystemColorFlag | 21;
inline constexpr TColor cl3DLight = kSystemColorFlag | 22;
inline constexpr TColor clInfoText = kSystemColorFlag | 23;
inline constexpr TColor clInfoBk = kSystemColorFlag | 24;

/// The RGB value (0x00BBGGRR) of a colour. System colours take the values of the classic
/// Windows standard scheme, so that a report looks the same on every machine; clDefault is
/// clWindow; an index beyond the scheme gives black. clNone gives white (what a device
/// would paint if asked).
TColor ColorToRGB(TColor color);

/// The colour for drawing with Qt; clNone is fully transparent.
QColor ToQColor(TColor color);
/// The TColor of an opaque Qt colour.
TColor FromQColor(const QColor& color);

/// The identifier of a colour ("clRed", "clBtnFace"), none when it has none.
std::optional<QString> ColorToIdent(TColor color);
/// The colour of an identifier (case-insensitive), none when it is not one.
std::optional<TColor> IdentToColor(const QString& ident);
/// The identifier, or "$" followed by eight hexadecimal digits.
QString ColorToString(TColor color);
/// An identifier, "$" hex, or a decimal integer; none when the text is none of them.
std::optional<TColor> StringToColor(const QString& text);
/// Every colour identifier, in the class library's order.
QStringList ColorIdents();

}  // namespace paint
