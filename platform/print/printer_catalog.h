#pragma once

// The installed printers and what each can do, as the report library's printer list reads
// them. On Linux the printers are CUPS queues reached through Qt Print Support; input
// trays come from the queue's "media-source" attribute through libcups. The catalogue is a
// replaceable back end, so that tests can describe printers of their own.

#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace print {

/// What a printer driver reports, list by list, as the lists may disagree in length: paper
/// names, paper codes (the paper-size numbers of the Windows page-size table, 256 and above
/// for sizes that table does not know), paper sizes in tenths of a millimetre (width,
/// height), tray names with their codes, and the resolutions the printer offers (dpi).
struct DriverCapabilities {
    QStringList paperNames;
    std::vector<int> paperCodes;
    std::vector<QSize> paperSizesTenthsMm;
    QStringList binNames;
    std::vector<int> binCodes;
    std::vector<int> resolutionsDpi;
};

/// One installed printer.
struct PrinterEntry {
    QString name;
    bool network = false;  ///< reached over the network rather than installed on this machine
};

/// The printers of the machine. All calls come from the GUI thread.
class PrinterCatalog {
public:
    virtual ~PrinterCatalog() = default;
    /// Every installed printer, in the order the system lists them.
    virtual std::vector<PrinterEntry> Printers() const = 0;
    /// The system's default printer; empty when there is none.
    virtual QString DefaultPrinterName() const = 0;
    /// The capabilities of one printer; empty lists when the printer is unknown.
    virtual DriverCapabilities Capabilities(const QString& printerName) const = 0;
    /// A PDF file that stands in for the printer (catalogues of tests); empty: the queue.
    virtual QString PdfOutputFor(const QString& printerName) const {
        Q_UNUSED(printerName);
        return QString();
    }
};

/// The catalogue in use: the one installed last, else the system's (CUPS through Qt).
const PrinterCatalog& Catalog();
/// Replaces the catalogue (tests describe their own printers); null goes back to the
/// system's. Callers that cache what they read must read again.
void InstallCatalog(std::unique_ptr<PrinterCatalog> catalog);

/// The tray code the Windows tray table gives a CUPS "media-source" keyword (auto 7,
/// manual 4, main/upper/top 1, lower/bottom 2, middle 3, envelope 5, large-capacity 11,
/// tractor 8); others get 256 and above in their order.
int BinCodeOfMediaSource(const QString& keyword, int userIndex);
/// A readable tray name for a "media-source" keyword ("by-pass-tray" gives "By Pass Tray").
QString BinNameOfMediaSource(const QString& keyword);

}  // namespace print
