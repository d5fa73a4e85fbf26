#pragma once

#include "report/page/class_library.h"

#include "platform/paint/graphics.h"
#include "platform/stream/persistent.h"

#include <QStringList>

#include <memory>
#include <vector>

/// The font of every printable. Templates keep its point size (Size), never its pixel
/// height, so a font looks the same on any device; Height is the pixel height at the font's
/// PixelsPerInch (the screen's unless a device canvas set its own) and is not stored.
/// Stored as Charset, Color, Name, Size and Style (a set of fsBold, fsItalic, fsUnderline,
/// fsStrikeOut); Color and Charset are stored by identifier when they have one
/// ("clWindowText", "ANSI_CHARSET"), otherwise as numbers.
class TppFont : public TPersistent, public stream::Persistent {
    Q_OBJECT
    Q_PROPERTY(int Charset READ Charset WRITE SetCharset)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
public:
    Q_INVOKABLE explicit TppFont(QObject* parent = nullptr);

    int Charset() const { return m_font.Charset; }
    void SetCharset(int v) { m_font.Charset = v & 0xFF; }
    int Color() const { return m_font.Color; }
    void SetColor(int v) { m_font.Color = v; }
    QString Name() const { return m_font.Name; }
    void SetName(const QString& v) { m_font.Name = v; }
    int Size() const { return m_font.Size; }
    void SetSize(int v) { m_font.Size = v; }
    paint::TFontStyles Style() const { return m_font.Style; }
    void SetStyle(paint::TFontStyles v) { m_font.Style = v; }
    int Height() const;
    void SetHeight(int v);
    /// The resolution Height refers to; 0: the screen's.
    int PixelsPerInch() const;
    void SetPixelsPerInch(int v) { m_pixelsPerInch = v; }

    /// The drawing layer's font.
    const paint::Font& Font() const { return m_font; }
    void SetFont(const paint::Font& font) { m_font = font; }

    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    paint::Font m_font;
    int m_pixelsPerInch = 0;
};

/// One enumerated font: face name, pitch-and-family byte (pitch in the low two bits: 1
/// fixed, 2 variable; family in bits 4-7: 0x10 roman, 0x20 swiss, 0x30 modern, 0x50
/// decorative) and character set byte.
struct TppFontInfo {
    QString Name;
    quint8 PitchAndFamily = 0;
    quint8 CharSet = 0;
};

/// The installed font families, sorted by name, each with its TppFontInfo.
class TppFontList {
public:
    TppFontList();
    int Count() const { return int(m_items.size()); }
    QString Name(int aIndex) const { return m_items.at(size_t(aIndex)).Name; }
    const TppFontInfo& FontInfo(int aIndex) const { return m_items.at(size_t(aIndex)); }
    QStringList Names() const;
    int IndexOf(const QString& aName) const;  ///< case-insensitive; -1 when absent

private:
    std::vector<TppFontInfo> m_items;
};
