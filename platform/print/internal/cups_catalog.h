#pragma once

#include "platform/print/printer_catalog.h"

namespace print::internal {

/// The system's printers: the CUPS queues Qt Print Support lists (names, default, papers
/// with their page-size codes, resolutions), and the input trays libcups reads from the
/// queue's "media-source" values. The CUPS server is the one libcups is pointed at
/// (CUPS_SERVER, cupsSetServer).
class CupsCatalog final : public PrinterCatalog {
public:
    std::vector<PrinterEntry> Printers() const override;
    QString DefaultPrinterName() const override;
    DriverCapabilities Capabilities(const QString& printerName) const override;
};

}  // namespace print::internal
