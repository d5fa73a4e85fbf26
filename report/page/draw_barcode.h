#pragma once

// The draw command of a barcode. Unlike the other commands it draws itself: it encodes its
// symbol at the resolution of the target, sizes itself from the measurement and paints bars,
// bearer bars, the human-readable text and the add-on in one of four orientations.

#include "report/page/barcode_symbology.h"
#include "report/page/draw_command.h"

#include <QFont>
#include <QImage>

class QPainter;

class TppDrawBarCode : public TppDrawCommand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawBarCode(TComponent* AOwner = nullptr);
    ~TppDrawBarCode() override;

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v) { m_alignment = v; }
    QString AddOnCode() const { return m_addOnCode; }
    void SetAddOnCode(const QString& v) { m_addOnCode = v; }
    bool AutoEncode() const { return m_autoEncode; }
    void SetAutoEncode(bool v) { m_autoEncode = v; }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v) { m_autoSize = v; }
    bool AutoSizeFont() const { return m_autoSizeFont; }
    void SetAutoSizeFont(bool v) { m_autoSizeFont = v; }
    TppBarCodeType BarCodeType() const { return m_barCodeType; }
    void SetBarCodeType(TppBarCodeType v) { m_barCodeType = v; }
    paint::TColor BarColor() const { return m_barColor; }
    void SetBarColor(paint::TColor v) { m_barColor = v; }
    int BarWidth() const { return m_barWidth; }  ///< mm-thousandths
    void SetBarWidth(int v) { m_barWidth = v; }
    bool BearerBars() const { return m_bearerBars; }
    void SetBearerBars(bool v) { m_bearerBars = v; }
    bool CalcCheckDigit() const { return m_calcCheckDigit; }
    void SetCalcCheckDigit(bool v) { m_calcCheckDigit = v; }
    bool CodeOK() const { return m_codeOK; }
    void SetCodeOK(bool v) { m_codeOK = v; }
    paint::TColor Color() const { return m_color; }
    void SetColor(paint::TColor v) { m_color = v; }
    QString Data() const { return m_data; }
    void SetData(const QString& v) { m_data = v; }
    TppFont* Font() const { return m_font.get(); }
    void SetFont(TppFont* aFont);
    TppBarCodeOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TppBarCodeOrientation v) { m_orientation = v; }
    bool PrintHumanReadable() const { return m_printHumanReadable; }
    void SetPrintHumanReadable(bool v) { m_printHumanReadable = v; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v) { m_transparent = v; }
    float WideBarRatio() const { return m_wideBarRatio; }
    void SetWideBarRatio(float v) { m_wideBarRatio = v; }

    /// Measured symbol, in the pixels of the last measurement: along the bars' sequence and
    /// along the bars; the quiet zone.
    int SymbolWidth() const { return m_symbolWidth; }
    int SymbolHeight() const { return m_symbolHeight; }
    int QuietZone() const { return m_quietZone; }
    /// The device extents of the last measurement (exchanged for the vertical orientations).
    QSize Extent() const;
    const QByteArray& ModuleBuffer() const { return m_main; }
    const QByteArray& AddOnBuffer() const { return m_addOn; }

    /// Encodes and measures at a resolution (pixels per inch, horizontal and vertical)
    /// without painting; Code 128 errors clear CodeOK and are reported unless printing.
    void Measure(int aResolutionX, int aResolutionY);
    /// Measures and paints with the symbol's top-left corner at aOrigin.
    void Render(QPainter& aPainter, QPoint aOrigin, int aResolutionX, int aResolutionY);
    /// The symbol painted into an image of its extent at a resolution (the screen path and
    /// the design picture); the background stays clear when Transparent.
    QImage RenderImage(int aResolutionX, int aResolutionY);
    /// The printer path: measures at the printer's resolution, takes the measured size as
    /// the command's Width and Height (mm-thousandths); painting is left to the caller.
    void MeasureForPrinter(int aResolutionX, int aResolutionY);
    /// Sets the command's Width and Height from the last measurement at that resolution.
    void TakeMeasuredSize(int aResolutionX, int aResolutionY);
    bool Printing() const { return m_printing; }
    void SetPrinting(bool v) { m_printing = v; }

    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

    /// Where encoding errors are shown (an information box); the model installs it.
    static void SetMessageHandler(std::function<void(const QString&)> aHandler);

private:
    void run(QPainter* aPainter, QPoint aOrigin, int aResolutionX, int aResolutionY);
    void fitFont(int aResolutionV, int m);

    TAlignment m_alignment = TAlignment::taLeftJustify;
    QString m_addOnCode;
    bool m_autoEncode = false;
    bool m_autoSize = true;
    bool m_autoSizeFont = true;
    TppBarCodeType m_barCodeType = TppBarCodeType::bcCode39;
    paint::TColor m_barColor = paint::clBlack;
    int m_barWidth = 254;
    bool m_bearerBars = false;
    bool m_calcCheckDigit = true;
    bool m_codeOK = true;
    paint::TColor m_color = paint::clWhite;
    QString m_data;
    std::unique_ptr<TppFont> m_font;
    TppBarCodeOrientation m_orientation = TppBarCodeOrientation::orLeftToRight;
    bool m_printHumanReadable = true;
    bool m_transparent = false;
    float m_wideBarRatio = 3;

    int m_symbolWidth = 0;
    int m_symbolHeight = 0;
    int m_quietZone = 0;
    QByteArray m_main;
    QByteArray m_addOn;
    bool m_printing = false;
};
