#pragma once

#include "report/page/draw_command.h"

#include <QByteArray>

class QPainter;

/// A character range of a rich text (RTF) placed in its rectangle: the part of a rich-text
/// component that falls on one page. Published: Color (the background), DataType (dtBLOB),
/// EndCharPos, StartCharPos (-1: the whole text), Transparent (no background). The RTF
/// itself travels as the binary defined property "RTFStream":
///
/// | offset | size | meaning                                |
/// |--------|------|----------------------------------------|
/// | 0      | 4    | byte count n, 32-bit little-endian     |
/// | 4      | n    | the RTF                                |
///
/// Reading appends the bytes to the command's RTF; a count beyond the data reads what is
/// there.
class TppDrawRichText : public TppDrawCommand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawRichText(TComponent* AOwner = nullptr);

    paint::TColor Color() const { return m_color; }
    void SetColor(paint::TColor v) { m_color = v; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v) { m_transparent = v; }
    /// First character of the range; -1 means from the start.
    int StartCharPos() const { return m_startCharPos; }
    void SetStartCharPos(int v) { m_startCharPos = v; }
    /// Last character of the range; -1 means to the end.
    int EndCharPos() const { return m_endCharPos; }
    void SetEndCharPos(int v) { m_endCharPos = v; }
    const QByteArray& RichTextStream() const { return m_rtf; }
    void SetRichTextStream(const QByteArray& v) { m_rtf = v; }

    /// Draws the range into `rect` (device pixels of the painter's device; the text is laid
    /// out for the device's logical resolution, 45 twips inside the left edge): the
    /// background first unless Transparent, then the characters StartCharPos..EndCharPos.
    /// Characters past EndCharPos are never drawn, also where the device's rounding leaves
    /// room for another line.
    void Render(QPainter& aPainter, const QRectF& aRect) const;

    /// Also Color, EndCharPos, StartCharPos, Transparent and the RTF of another rich-text command.
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;

private:
    paint::TColor m_color = paint::clWhite;
    bool m_transparent = false;
    int m_startCharPos = -1;
    int m_endCharPos = -1;
    QByteArray m_rtf;
};
