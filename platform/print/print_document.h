#pragma once

// A document sent to a printer queue, page by page, drawn with a QPainter: what a printer
// device context and the spooler's document calls are to the report library.

#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;
class QPrinter;

namespace print {

/// The driver settings of one printer: paper, orientation, duplex, tray and resolution.
struct DeviceSettings {
    int paperCode = 0;                   ///< page-size code; 0 or 256 and above: use paperSizeMm
    QSizeF paperSizeMm;                  ///< portrait width and height of the paper
    bool landscape = false;
    int duplex = 1;                      ///< 1 none, 2 long edge (horizontal), 3 short edge (vertical)
    QString binName;                     ///< tray as the catalogue names it; empty: the printer's own choice
    int resolutionDpi = 0;               ///< 0: the printer's default
    bool operator==(const DeviceSettings&) const = default;
};

/// The metrics of a printer page at its resolution (the device context's): resolution,
/// physical size and printable area in printer pixels, and the unprintable offsets.
struct PageMetrics {
    int dpiX = 0;
    int dpiY = 0;
    int physicalWidth = 0;
    int physicalHeight = 0;
    int printableWidth = 0;
    int printableHeight = 0;
    int offsetLeft = 0;
    int offsetTop = 0;
    bool color = true;
};

/// One printer queue and, while a document is open, its pages. States: closed → BeginDoc →
/// document open → NewPage → page open → NewPage → ... → EndDoc → closed. The painter
/// exists from the first NewPage to EndDoc, so settings applied before a NewPage hold for
/// that page. A queue that cannot be reached gives IsUsable false and BeginDoc fails.
class PrintDocument {
public:
    /// `outputFile` non-empty prints into that PDF file instead of the queue.
    explicit PrintDocument(const QString& printerName, const QString& outputFile = QString());
    ~PrintDocument();
    PrintDocument(const PrintDocument&) = delete;
    PrintDocument& operator=(const PrintDocument&) = delete;

    QString PrinterName() const;
    /// The queue exists and takes jobs.
    bool IsUsable() const;
    /// Applies the settings; during a document they take effect from the next page.
    void Apply(const DeviceSettings& settings);
    PageMetrics Metrics() const;

    /// Opens the document with that title; answers false when the queue cannot be used.
    bool BeginDoc(const QString& title);
    bool DocumentOpen() const { return m_open; }
    /// Starts the next page; answers false when the queue refused the document.
    bool NewPage();
    /// Ends the document and sends it; answers false when sending failed.
    bool EndDoc();
    /// Drops the document unsent.
    void Abort();
    /// The painter of the open page, in printer pixels of the page's full paper; null
    /// before the first page and after EndDoc.
    QPainter* Painter() const { return m_painter.get(); }

private:
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    bool m_open = false;
    bool m_firstPage = true;
    bool m_failed = false;
    DeviceSettings m_settings;
};

}  // namespace print
