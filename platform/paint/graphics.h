#pragma once

#include "platform/paint/color.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace paint {

/// Font styles; a set of them is stored as the value names ("[fsBold,fsItalic]").
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
/// A set of font styles, bit i standing for the style of ordinal i.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
        for (TFontStyle s : styles) m_bits |= bit(s);
    }
    static constexpr TFontStyles FromBits(unsigned bits) {
        TFontStyles s;
        s.m_bits = bits & 0xF;
        return s;
    }
    constexpr bool Contains(TFontStyle s) const { return (m_bits & bit(s)) != 0; }
    constexpr void Include(TFontStyle s) { m_bits |= bit(s); }
    constexpr void Exclude(TFontStyle s) { m_bits &= ~bit(s); }
    constexpr unsigned Bits() const { return m_bits; }
    constexpr bool operator==(const TFontStyles&) const = default;

private:
    static constexpr unsigned bit(TFontStyle s) { return 1u << unsigned(s); }
    unsigned m_bits = 0;
};
QStringList FontStyleNames();  ///< "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"

enum class TFontPitch { fpDefault, fpVariable, fpFixed };

/// The identifier of a character set ("ANSI_CHARSET", "DEFAULT_CHARSET", ...) as forms and
/// templates store it; none for a value without one.
std::optional<QString> CharsetToIdent(int charset);
/// The character set of an identifier (case-insensitive); none when it is not one.
std::optional<int> IdentToCharset(const QString& ident);
QStringList FontPitchNames();

/// Pen styles in the class library's order (ordinals stored by name in templates).
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
QStringList PenStyleNames();

/// Brush styles in the class library's order.
enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
QStringList BrushStyleNames();

/// A font as a report or a form stores it: a face name as the designer chose it (a Windows
/// name such as "Arial"; see font_resolver.h for what is drawn), the size in points (what
/// templates keep, so a font looks the same on every device), styles, colour, character
/// set and pitch. The pixel height follows from a device's resolution (HeightAt).
struct Font {
    QString Name = QStringLiteral("MS Sans Serif");
    int Size = 8;  ///< points; a negative value would be a pixel height and is taken as its magnitude
    TFontStyles Style;
    TColor Color = clWindowText;
    int Charset = 1;  ///< DEFAULT_CHARSET
    TFontPitch Pitch = TFontPitch::fpDefault;

    /// The class library's Height at `pixelsPerInch`: -round(Size x ppi / 72), negative
    /// because it is the character height without internal leading.
    int HeightAt(int pixelsPerInch) const;
    /// Sets Size from a Height at `pixelsPerInch` (the inverse of HeightAt).
    void SetHeightAt(int height, int pixelsPerInch);

    bool operator==(const Font&) const = default;
};

/// A pen: colour, width in device pixels (0 and 1 both draw one pixel) and style.
struct Pen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
    bool operator==(const Pen&) const = default;
};

/// A brush: colour and style; bsClear paints nothing.
struct Brush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
    bool operator==(const Brush&) const = default;
};

}  // namespace paint
