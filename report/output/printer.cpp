#include "report/output/printer.h"

#include "report/page/printer_list.h"

#include "platform/paint/canvas.h"

#include <QImage>
#include <QPainter>

namespace {

const QString kDefault = QStringLiteral("Default");
const QString kCustom = QStringLiteral("Custom");

std::unique_ptr<TppPrinter>& globalPrinter() {
    static std::unique_ptr<TppPrinter> printer;
    return printer;
}

}  // namespace

// TppCustomPrinter -------------------------------------------------------------------------

TppCustomPrinter::TppCustomPrinter() = default;

TppCustomPrinter::~TppCustomPrinter() {
    if (m_documentOpen) Abort();
}

QString TppCustomPrinter::PrinterName() const {
    if (m_printerName.compare(kDefault, Qt::CaseInsensitive) == 0) return ppGetPrinterList()->GetDefaultPrinterName();
    return m_printerName;
}

TppPrinterInfo* TppCustomPrinter::PrinterInfo() const {
    return ppGetPrinterList()->FindPrinter(m_printerName);
}

const TppPrinterCapabilities& TppCustomPrinter::Capabilities() const {
    const TppPrinterInfo* info = PrinterInfo();
    return (info ? info : ppGetNoPrinterInfo())->Capabilities();
}

void TppCustomPrinter::releaseDocument() {
    m_canvas.reset();
    m_document.reset();
}

void TppCustomPrinter::SetPrinterName(const QString& aName) {
    if (m_documentOpen) return;
    const TppPrinterInfo* entry = ppGetPrinterList()->FindPrinter(aName);
    if (entry != PrinterInfo() || !entry) {
        releaseDocument();
        m_devMode.reset();
    }
    m_printerName = entry ? entry->Name() : aName;
}

print::PrintDocument* TppCustomPrinter::DC() {
    if (m_document) return m_document.get();
    TppPrinterInfo* entry = PrinterInfo();
    if (!entry || !entry->Usable() || entry->Device().isEmpty()) return nullptr;
    auto document = std::make_unique<print::PrintDocument>(entry->Device());
    if (!document->IsUsable()) {
        entry->SetUsable(false);
        return nullptr;
    }
    if (m_devMode) document->Apply(*m_devMode);
    m_document = std::move(document);
    return m_document.get();
}

paint::Canvas* TppCustomPrinter::Canvas() {
    return m_canvas.get();
}

int TppCustomPrinter::PixelsPerInchX() const {
    return m_document ? m_document->Metrics().dpiX : report::ScreenPixelsPerInch();
}

int TppCustomPrinter::PixelsPerInchY() const {
    return m_document ? m_document->Metrics().dpiY : report::ScreenPixelsPerInch();
}

QRect TppCustomPrinter::PageOffsets() {
    print::PrintDocument* dc = DC();
    if (!dc) return QRect();
    const print::PageMetrics m = dc->Metrics();
    return QRect(QPoint(m.offsetLeft, m.offsetTop),
                 QPoint(m.physicalWidth - m.offsetLeft - m.printableWidth, m.physicalHeight - m.offsetTop - m.printableHeight));
}

bool TppCustomPrinter::ColorCapable() {
    print::PrintDocument* dc = DC();
    return !dc || dc->Metrics().color;
}

const std::optional<print::DeviceSettings>& TppCustomPrinter::DevMode() {
    if (!m_devMode && DC()) m_devMode = print::DeviceSettings{};
    return m_devMode;
}

void TppCustomPrinter::SetDevMode(const print::DeviceSettings& aSettings) {
    m_devMode = aSettings;
    if (m_documentOpen) m_devModeChanged = true;
    else if (m_document) m_document->Apply(aSettings);
}

void TppCustomPrinter::BeginDoc() {
    if (m_documentOpen) return;
    print::PrintDocument* dc = DC();
    if (!dc) return;
    m_pageNumber = 0;
    m_pageOpen = false;
    if (!dc->BeginDoc(m_documentTitle.left(31))) return;
    m_documentOpen = true;
}

void TppCustomPrinter::NewPage() {
    if (!m_documentOpen || m_pageOpen) return;
    m_pageOpen = true;
    if (m_devModeChanged && m_devMode) {
        m_document->Apply(*m_devMode);
        m_devModeChanged = false;
    }
    m_document->NewPage();
    if (!m_canvas && m_document->Painter()) {
        const print::PageMetrics metrics = m_document->Metrics();
        m_canvas = std::make_unique<paint::Canvas>(*m_document->Painter(), metrics.dpiX, metrics.dpiY);
    }
    ++m_pageNumber;
}

void TppCustomPrinter::EndPage() {
    m_pageOpen = false;
}

void TppCustomPrinter::EndDoc() {
    if (!m_documentOpen) return;
    EndPage();
    m_canvas.reset();
    m_document->EndDoc();
    m_documentOpen = false;
    releaseDocument();
}

void TppCustomPrinter::Abort() {
    if (!m_documentOpen) return;
    m_canvas.reset();
    m_document->Abort();
    m_documentOpen = false;
    m_pageOpen = false;
    releaseDocument();
}

// TppPrinter -------------------------------------------------------------------------------

TppPrinter::TppPrinter() : m_setup(std::make_unique<TppPrinterSetup>()) {
    m_setup->OnPageDefChange = [this](TppPrinterSetup*) { writeDriverSettings(); };
    m_setup->OnPrinterChange = [this](TppPrinterSetup*) { writeDriverSettings(); };
    m_setup->OnGetPrinter = [this](TppPrinterSetup*, const report::PrinterResolution*& aPrinter) { aPrinter = this; };
}

TppPrinter::~TppPrinter() = default;

void TppPrinter::writeDriverSettings() {
    TppPrinterSetup& setup = *m_setup;
    setup.SetActiveFlag(false);
    SetPrinterName(setup.PrinterName());
    SetDocumentTitle(setup.DocumentName());
    if (!DevMode()) return;  // the setup stays inactive, as the driver has no settings
    print::DeviceSettings settings = *DevMode();
    const TppPrinterCapabilities& caps = Capabilities();
    settings.landscape = setup.Orientation() == TPrinterOrientation::poLandscape;
    settings.duplex = int(setup.Duplex()) + 1;
    QString paperName = setup.PaperName();
    int index = int(caps.PaperNames.indexOf(paperName));
    if (index < 0) {
        setup.SetPaperName(setup.PaperNameBySize());
        paperName = setup.PaperName();
        index = int(caps.PaperNames.indexOf(paperName));
    }
    settings.paperCode = index >= 0 && index < caps.PaperCodes.size() ? caps.PaperCodes.at(index).toInt() : 256;
    const TppPageDef& page = *setup.PageDef();
    QSizeF sizeMm(page.mmWidth() / 1000.0, page.mmHeight() / 1000.0);
    if (settings.landscape) sizeMm.transpose();
    settings.paperSizeMm = sizeMm;
    const int bin = int(caps.BinNames.indexOf(setup.BinName()));
    if (bin >= 0 && bin < caps.BinCodes.size())
        settings.binName = setup.BinName() == kDefault ? QString() : setup.BinName();
    SetDevMode(settings);
    setup.SetActiveFlag(true);
}

TppPrinterSetup* TppPrinter::PrinterSetup() {
    TppPrinterSetup& setup = *m_setup;
    setup.SetActiveFlag(false);
    const TppUnitType units = setup.Units();
    setup.SetUnits(TppUnitType::utInches);
    if (!DevMode()) return &setup;
    const print::DeviceSettings settings = *DevMode();
    const TppPrinterCapabilities& caps = Capabilities();
    if (PrinterName() != setup.GetPrinterDescription()) setup.SetPrinterName(PrinterName());
    setup.SetDuplex(TppDuplexType(std::clamp(settings.duplex - 1, 0, 2)));
    setup.SetOrientation(settings.landscape ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait);
    const int paper = int(caps.PaperCodes.indexOf(QString::number(settings.paperCode)));
    if (settings.paperCode > 0 && settings.paperCode < 256 && paper >= 0 && paper < caps.PaperNames.size()) {
        setup.SetPaperName(caps.PaperNames.at(paper));
    } else if (settings.paperSizeMm.isValid() && settings.paperSizeMm.width() > 0) {
        QSizeF size = settings.paperSizeMm;
        if (settings.landscape) size.transpose();
        setup.PageDef()->SetmmWidth(qRound(size.width() * 1000));
        setup.PageDef()->SetmmHeight(qRound(size.height() * 1000));
    }
    if (!settings.binName.isEmpty() && caps.BinNames.contains(settings.binName)) setup.SetBinName(settings.binName);
    setup.SetUnits(units);
    setup.SetActiveFlag(true);
    return &setup;
}

void TppPrinter::SetPrinterSetup(TppPrinterSetup* aSetup) {
    if (!aSetup) return;
    const TppPrinterInfo* entry = PrinterInfo();
    if (m_setup->IsEqual(*aSetup) && (!entry || entry->Name() == aSetup->GetPrinterDescription()) && DevMode()) return;
    if (!DocumentOpen()) m_setup->SetPrinterName(aSetup->PrinterName());
    m_setup->SetActiveFlag(false);
    m_setup->Assign(aSetup);
    writeDriverSettings();
}

TppPrinter* ppGetPrinter() {
    if (!globalPrinter() && ppGetPrinterList()->Count() > 1) {
        static const bool listening = [] {
            report::OnPrinterListReset([] { globalPrinter().reset(); });
            return true;
        }();
        (void)listening;
        globalPrinter() = std::make_unique<TppPrinter>();
    }
    return globalPrinter().get();
}

paint::Canvas* TppCustomPrinter::GetCanvas() {
    if (m_documentOpen)
        if (paint::Canvas* page = Canvas()) return page;
    if (!m_measureCanvas) {
        m_measureImage = std::make_unique<QImage>(8, 8, QImage::Format_ARGB32_Premultiplied);
        m_measurePainter = std::make_unique<QPainter>(m_measureImage.get());
        m_measureCanvas = std::make_unique<paint::Canvas>(*m_measurePainter, PixelsPerInchX(), PixelsPerInchY());
    }
    return m_measureCanvas.get();
}
