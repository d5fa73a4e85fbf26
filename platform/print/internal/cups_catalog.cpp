#include "platform/print/internal/cups_catalog.h"

#include <QPageSize>
#include <QPrinterInfo>

#include <cups/cups.h>

namespace print::internal {
namespace {

/// The "media-source" values the queue supports, in its order; empty without a server.
QStringList mediaSources(const QString& printerName) {
    QStringList sources;
    const QByteArray name = printerName.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest) return sources;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        if (ipp_attribute_t* attr = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_SOURCE)) {
            for (int i = 0; i < ippGetCount(attr); ++i)
                if (const char* s = ippGetString(attr, i, nullptr)) sources << QString::fromUtf8(s);
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return sources;
}

}  // namespace

std::vector<PrinterEntry> CupsCatalog::Printers() const {
    std::vector<PrinterEntry> printers;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
        printers.push_back({info.printerName(), info.isRemote()});
    return printers;
}

QString CupsCatalog::DefaultPrinterName() const {
    return QPrinterInfo::defaultPrinterName();
}

DriverCapabilities CupsCatalog::Capabilities(const QString& printerName) const {
    DriverCapabilities caps;
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    if (info.isNull()) return caps;
    int customCode = 256;
    for (const QPageSize& size : info.supportedPageSizes()) {
        const QSizeF mm = size.size(QPageSize::Millimeter);
        caps.paperNames << size.name();
        int code = size.windowsId();
        // Sizes without a code in the Windows table get user codes above the custom one.
        if (code <= 0 || code == 256) code = ++customCode;
        caps.paperCodes.push_back(code);
        caps.paperSizesTenthsMm.emplace_back(qRound(mm.width() * 10), qRound(mm.height() * 10));
    }
    const QStringList sources = mediaSources(printerName);
    int userIndex = 0;
    for (const QString& source : sources) {
        const int code = print::BinCodeOfMediaSource(source, userIndex);
        if (code >= 256) ++userIndex;
        caps.binNames << print::BinNameOfMediaSource(source);
        caps.binCodes.push_back(code);
    }
    for (int dpi : info.supportedResolutions()) caps.resolutionsDpi.push_back(dpi);
    return caps;
}

}  // namespace print::internal
