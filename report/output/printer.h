#pragma once

#include "report/page/printer_setup.h"
#include "report/page/units.h"

#include "platform/print/print_document.h"

#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class TppPrinterInfo;
class TppPrinterCapabilities;
class QImage;
class QPainter;
class TppCustomPrinter;

namespace paint {
class Canvas;
}

/// A printer: its name, its driver settings, and while a document is open the document
/// with its pages and the canvas they are drawn on.
///
/// States: closed → BeginDoc → document open → NewPage → page open → EndPage → (NewPage
/// ...) → EndDoc → closed. The printer's "device context" is its print document, made on
/// first use for a usable printer; a printer that cannot be reached is marked not usable
/// for the rest of the run and gives none. The driver settings (paper, orientation,
/// duplex, tray) are a print::DeviceSettings; changed during a document they take effect
/// from the next page.
class TppCustomPrinter : public report::PrinterResolution {
public:
    TppCustomPrinter();
    ~TppCustomPrinter() override;
    TppCustomPrinter(const TppCustomPrinter&) = delete;
    TppCustomPrinter& operator=(const TppCustomPrinter&) = delete;

    /// "Default" resolves to the system default printer's name.
    QString PrinterName() const;
    /// Ignored during a document; a name of another printer drops the document object and
    /// the driver settings.
    void SetPrinterName(const QString& aName);
    QString DocumentTitle() const { return m_documentTitle; }
    void SetDocumentTitle(const QString& v) { m_documentTitle = v; }

    /// The entry of the printer name; null when none.
    TppPrinterInfo* PrinterInfo() const;
    /// The entry's capabilities, or the placeholder's without an entry.
    const TppPrinterCapabilities& Capabilities() const;

    /// The document object ("device context"); null when the printer cannot be used.
    print::PrintDocument* DC();
    /// The canvas of the open page; null outside a document.
    paint::Canvas* Canvas();
    /// The canvas to draw or measure on: the open page's during a document, else a
    /// measuring canvas at the printer's resolution, made on first use.
    paint::Canvas* GetCanvas();
    int PixelsPerInchX() const override;
    int PixelsPerInchY() const override;
    /// Unprintable margins of the page in printer pixels: left, top, right, bottom.
    QRect PageOffsets();
    bool ColorCapable();

    /// The driver settings, read on first use (none without a usable printer).
    const std::optional<print::DeviceSettings>& DevMode();
    /// Replaces the driver settings; during a document they apply from the next page.
    void SetDevMode(const print::DeviceSettings& aSettings);

    void BeginDoc();
    void NewPage();
    void EndPage();
    void EndDoc();
    /// Drops the document unsent.
    void Abort();
    bool DocumentOpen() const { return m_documentOpen; }
    int PageNumber() const { return m_pageNumber; }

    std::function<void()> OnDevModeChange;

protected:
    void releaseDocument();

private:
    QString m_printerName = QStringLiteral("Default");
    QString m_documentTitle;
    std::unique_ptr<print::PrintDocument> m_document;
    std::unique_ptr<paint::Canvas> m_canvas;
    std::unique_ptr<QImage> m_measureImage;
    std::unique_ptr<QPainter> m_measurePainter;
    std::unique_ptr<paint::Canvas> m_measureCanvas;  ///< freed before its painter and image
    std::optional<print::DeviceSettings> m_devMode;
    bool m_documentOpen = false;
    bool m_pageOpen = false;
    bool m_devModeChanged = false;
    int m_pageNumber = 0;
};

/// A printer with a printer setup of its own that mirrors its driver settings: a page or
/// printer change of the setup rewrites the settings; PrinterSetup reads them back.
class TppPrinter : public TppCustomPrinter {
public:
    TppPrinter();
    ~TppPrinter() override;

    /// The setup, with the driver settings read back into it.
    TppPrinterSetup* PrinterSetup();
    /// Takes over the given setup and writes the driver settings (nothing when they agree).
    void SetPrinterSetup(TppPrinterSetup* aSetup);

private:
    void writeDriverSettings();
    std::unique_ptr<TppPrinterSetup> m_setup;
};

/// The global printer, made on first use when at least one printer is installed; null
/// otherwise.
TppPrinter* ppGetPrinter();
