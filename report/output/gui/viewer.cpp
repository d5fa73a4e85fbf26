#include "report/output/gui/viewer.h"

#include "report/output/producer.h"
#include "report/output/publisher.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"
#include "report/page/printer_setup.h"

#include "platform/base/scope_exit.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

namespace report {

/// Shows the screen device's bitmap; clicks and mouse moves go to the viewer.
class ViewerPaintBox : public QWidget {
public:
    explicit ViewerPaintBox(TppViewer* aViewer) : QWidget(nullptr), m_viewer(aViewer) {
        setObjectName(QStringLiteral("PaintBox"));
        setMouseTracking(true);
        setAutoFillBackground(false);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QImage& bitmap = m_viewer->m_device->Bitmap();
        painter.fillRect(event->rect(), palette().color(QPalette::Dark));
        if (!bitmap.isNull()) painter.drawImage(event->rect(), bitmap, event->rect());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            ui::RunGuarded(this, [&] { m_viewer->paintBoxClicked(event->position().toPoint()); });
    }
    void mouseMoveEvent(QMouseEvent* event) override { m_viewer->paintBoxMouseMoved(event->position().toPoint()); }

private:
    TppViewer* m_viewer;
};

}  // namespace report

TppViewer::TppViewer(QWidget* aParent) : QFrame(aParent), m_device(std::make_unique<TppScreenDevice>()) {
    setObjectName(QStringLiteral("ppViewer1"));
    resize(320, 120);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setBackgroundRole(QPalette::Dark);
    setAutoFillBackground(true);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);

    m_scrollBox = new QScrollArea(this);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox"));
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    m_scrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scrollBox->setBackgroundRole(QPalette::Dark);
    m_scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_paintBox = new report::ViewerPaintBox(this);
    m_scrollBox->setWidget(m_paintBox);
    m_scrollBox->setWidgetResizable(false);

    auto printState = [this](TppDevice*) {
        if (OnPrintStateChange) OnPrintStateChange(this);
    };
    m_device->OnStartJob = printState;
    m_device->OnEndJob = printState;
    m_device->OnCancelJob = printState;
    m_device->SetViewer(this);
}

TppViewer::~TppViewer() {
    m_device->SetViewer(nullptr);
    m_device->SetPublisher(nullptr);
}

void TppViewer::SetReport(TppProducer* aReport) {
    m_report = aReport;
    m_device->SetPublisher(aReport ? aReport->Publisher() : nullptr);
}

void TppViewer::SetZoomSetting(TppZoomSettingType aValue) {
    m_zoomSetting = aValue;
    m_scrollReset = true;
    applyZoom();
}

void TppViewer::SetZoomPercentage(int aValue) {
    m_zoomPercentage = std::clamp(aValue, 1, 250);
    SetZoomSetting(TppZoomSettingType::zsPercentage);
}

void TppViewer::applyZoom() {
    if (!isVisible()) {
        update();
        return;
    }
    m_device->RecalcPageBitmap();
    updateScrollBars();
    m_paintBox->update();
}

void TppViewer::updateScrollBars() {
    const QImage& bitmap = m_device->Bitmap();
    m_paintBox->resize(bitmap.isNull() ? m_scrollBox->viewport()->size() : bitmap.size());
    if (m_scrollReset) {
        m_scrollBox->horizontalScrollBar()->setValue(0);
        m_scrollBox->verticalScrollBar()->setValue(0);
        m_scrollReset = false;
    }
}

void TppViewer::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    m_scrollBox->setGeometry(contentsRect());
    m_device->RecalcPageBitmap();
    updateScrollBars();
    m_paintBox->update();
    if (OnPageChange) OnPageChange(this);
}

QSize TppViewer::ScrollBoxSize() const {
    // The scroll box without its bars: the whole page fits without scrolling.
    return contentsRect().size();
}

TppPrinterSetup* TppViewer::ReportPrinterSetup() const {
    return m_report ? m_report->PrinterSetup() : nullptr;
}

void TppViewer::StatusChanged(const QString& aText) {
    m_status = aText;
    if (OnStatusChange) OnStatusChange(this);
}

void TppViewer::PageChanged() {
    updateScrollBars();
    m_paintBox->update();
    if (OnPageChange) OnPageChange(this);
}

void TppViewer::AreaRedrawn(const QRect& aRect) {
    m_paintBox->update(aRect);
}

void TppViewer::ReportGone() {
    m_report = nullptr;
}

void TppViewer::GotoPage(int aPageNo) {
    m_device->GotoPage(aPageNo);
}

void TppViewer::NextPage() {
    TppPage* page = m_device->DisplayedPage();
    if (!page || page->LastPage()) return;
    m_device->GotoPage(page->AbsolutePageNo() + 1);
}

void TppViewer::PriorPage() {
    TppPage* page = m_device->DisplayedPage();
    if (!page || page->AbsolutePageNo() <= 1) return;
    m_device->GotoPage(page->AbsolutePageNo() - 1);
}

void TppViewer::FirstPage() {
    m_device->FirstPage();
}

void TppViewer::LastPage() {
    m_device->LastPage();
}

int TppViewer::GetAbsolutePageNo() const {
    return m_device->GetAbsolutePageNo();
}

int TppViewer::GetCalculatedZoom() const {
    return m_device->ZoomPercent();
}

bool TppViewer::GetBusy() const {
    return m_device->Busy();
}

void TppViewer::ResetDevice() {
    m_device->Reset();
}

void TppViewer::Cancel() {
    if (m_report) m_report->Cancel();
}

void TppViewer::RegenerateReport() {
    if (!m_report || !m_report->DisplayAutoSearchDialog()) return;
    m_report->Publisher()->Reset();
    m_report->Reset();
    m_device->Reset();
    m_device->RequestPages();
}

void TppViewer::Print() {
    if (!m_report || m_device->Busy()) return;
    TppProducer* report = m_report;
    m_device->SetPublisher(nullptr);
    TppPage* page = m_device->DisplayedPage();
    report->SetCurrentPage(page && page->AbsolutePageNo() > 0 ? page->AbsolutePageNo() : 1);
    const QString deviceType = report->DeviceType();
    TppPrinterSetup setup;
    if (report->PrinterSetup()) setup.Assign(report->PrinterSetup());
    const bool autoSearch = report->ShowAutoSearchDialog();
    report->SetShowAutoSearchDialog(false);
    {
        const auto restore = base::ScopeExit([&] {
            if (!m_report) return;
            report->SetDeviceType(deviceType);
            report->SetShowAutoSearchDialog(autoSearch);
            m_device->SetPublisher(report->Publisher());
        });
        report->SetDeviceType(QStringLiteral("Printer"));
        report->Print();
    }
    if (m_report && report->PrinterSetup() && !report->PrinterSetup()->IsEqual(setup)) {
        m_device->Reset();
        m_device->RequestPages();
    }
}

void TppViewer::paintBoxClicked(const QPoint& aPos) {
    if (TppDrawCommand* command = m_device->FindClickCommand(aPos.x(), aPos.y())) {
        command->DoDrawCommandClick();
        if (command->DrillDownDone()) {
            command->SetDrillDownDone(false);
            const int pageNo = GetAbsolutePageNo();
            m_device->PageRequest()->SetPageSetting(TppPageSettingType::psSinglePage);
            m_device->PageRequest()->SetPageRequested(pageNo);
            m_device->RequestPages();
        }
    }
}

void TppViewer::paintBoxMouseMoved(const QPoint& aPos) {
    m_paintBox->setCursor(m_device->FindClickCommand(aPos.x(), aPos.y()) ? Qt::PointingHandCursor : cursor());
}
