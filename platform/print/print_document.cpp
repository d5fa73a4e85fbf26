#include "platform/print/print_document.h"

#include "platform/print/printer_catalog.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace print {
namespace {

// Qt's PDF writer compresses every page through a fresh 10,000,000-byte read buffer. With the C
// library's default thresholds each of those buffers is mapped, touched and given back to the
// system page by page, which took half the time of printing a long list to PDF. Keeping blocks
// up to 32 MB in the heap and trimming it only above 64 MB lets each page reuse the last page's
// buffer; the resident size of a print job does not grow by it.
void keepPageBuffersInHeap() {
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    });
#endif
}

QPageSize pageSizeOf(const DeviceSettings& s) {
    if (s.paperCode > 0 && s.paperCode < 256) {
        const QPageSize::PageSizeId id = QPageSize::id(s.paperCode);
        if (id != QPageSize::Custom) return QPageSize(id);
    }
    if (s.paperSizeMm.width() > 0 && s.paperSizeMm.height() > 0)
        return QPageSize(s.paperSizeMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageSize(QPageSize::A4);
}

}  // namespace

PrintDocument::PrintDocument(const QString& printerName, const QString& outputFile)
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    keepPageBuffersInHeap();
    const QString pdfFile = outputFile.isEmpty() ? Catalog().PdfOutputFor(printerName) : outputFile;
    if (!pdfFile.isEmpty()) {
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(pdfFile);
    } else {
        m_printer->setPrinterName(printerName);
    }
    m_printer->setFullPage(true);
    m_printer->setCopyCount(1);
}

PrintDocument::~PrintDocument() {
    if (m_open) Abort();
}

QString PrintDocument::PrinterName() const {
    return m_printer->printerName();
}

bool PrintDocument::IsUsable() const {
    if (m_printer->outputFormat() == QPrinter::PdfFormat) return true;
    return m_printer->isValid() && !QPrinterInfo::printerInfo(m_printer->printerName()).isNull();
}

void PrintDocument::Apply(const DeviceSettings& settings) {
    m_settings = settings;
    const QPageLayout layout(pageSizeOf(settings), settings.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                             QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    m_printer->setPageLayout(layout);
    m_printer->setDuplex(settings.duplex == 2   ? QPrinter::DuplexLongSide
                         : settings.duplex == 3 ? QPrinter::DuplexShortSide
                                                : QPrinter::DuplexNone);
    if (settings.resolutionDpi > 0 && !m_painter) m_printer->setResolution(settings.resolutionDpi);
}

PageMetrics PrintDocument::Metrics() const {
    PageMetrics m;
    m.dpiX = m_printer->logicalDpiX();
    m.dpiY = m_printer->logicalDpiY();
    const QRect paper = m_printer->pageLayout().fullRectPixels(m_printer->resolution());
    const QRect printable = m_printer->pageLayout().paintRectPixels(m_printer->resolution());
    m.physicalWidth = paper.width();
    m.physicalHeight = paper.height();
    m.printableWidth = printable.width();
    m.printableHeight = printable.height();
    m.offsetLeft = printable.left() - paper.left();
    m.offsetTop = printable.top() - paper.top();
    m.color = m_printer->colorMode() == QPrinter::Color;
    return m;
}

bool PrintDocument::BeginDoc(const QString& title) {
    if (m_open) return true;
    if (!IsUsable()) return false;
    m_printer->setDocName(title);
    m_open = true;
    m_firstPage = true;
    return true;
}

bool PrintDocument::NewPage() {
    if (!m_open) return false;
    if (m_firstPage) {
        // The painter starts with the first page, so that page takes the settings applied
        // after BeginDoc.
        m_firstPage = false;
        auto painter = std::make_unique<QPainter>();
        if (!painter->begin(m_printer.get())) {
            m_failed = true;
            return false;
        }
        m_painter = std::move(painter);
        return true;
    }
    if (!m_painter) return false;
    return m_printer->newPage();
}

bool PrintDocument::EndDoc() {
    if (!m_open) return false;
    m_open = false;
    if (!m_painter) return !m_failed;
    const bool ok = m_painter->end();
    m_painter.reset();
    return ok && !m_failed;
}

void PrintDocument::Abort() {
    m_open = false;
    if (!m_painter) return;
    m_printer->abort();
    m_painter->end();
    m_painter.reset();
}

}  // namespace print
