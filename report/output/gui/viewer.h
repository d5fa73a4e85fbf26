#pragma once

#include "report/output/producer.h"
#include "report/output/screen_device.h"

#include <QFrame>
#include <QPointer>

#include <functional>
#include <memory>

class QScrollArea;


namespace report {
class ViewerPaintBox;
}

/// The preview control: shows one page of a report at a chosen zoom in a scrolling paint
/// box, moves between pages, runs the click handlers of clickable draw commands and prints
/// what is previewed. It owns a screen device attached to the report's publisher; the device
/// renders the page into a bitmap and the paint box shows it.
class TppViewer : public QFrame, public report::ScreenViewer {
    Q_OBJECT
public:
    explicit TppViewer(QWidget* aParent = nullptr);
    ~TppViewer() override;

    TppProducer* Report() const { return m_report; }
    /// Attaches the screen device to the report's publisher (detaches it for none).
    void SetReport(TppProducer* aReport);

    TppZoomSettingType ZoomSetting() const override { return m_zoomSetting; }
    void SetZoomSetting(TppZoomSettingType aValue);
    int ZoomPercentage() const override { return m_zoomPercentage; }
    /// Values above 250 become 250; the zoom setting becomes zsPercentage.
    void SetZoomPercentage(int aValue);

    void GotoPage(int aPageNo);
    void NextPage();
    void PriorPage();
    void FirstPage();
    void LastPage();
    int GetAbsolutePageNo() const;
    int GetCalculatedZoom() const;
    QString GetStatus() const { return m_status; }
    bool GetBusy() const;
    void ResetDevice();
    void Cancel();
    /// Asks the report for new search values and, when the user confirmed them, generates
    /// the pages again.
    void RegenerateReport();
    /// Prints what is previewed through the printer device, without the search dialog.
    void Print();

    TppScreenDevice* ScreenDevice() const { return m_device.get(); }
    QScrollArea* ScrollBox() const { return m_scrollBox; }

    // report::ScreenViewer
    QSize ScrollBoxSize() const override;
    TppPrinterSetup* ReportPrinterSetup() const override;
    void StatusChanged(const QString& aText) override;
    void PageChanged() override;
    void AreaRedrawn(const QRect& aRect) override;
    void ReportGone() override;

    std::function<void(QObject*)> OnPageChange;
    std::function<void(QObject*)> OnPrintStateChange;
    std::function<void(QObject*)> OnStatusChange;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class report::ViewerPaintBox;
    void applyZoom();
    void updateScrollBars();
    void paintBoxClicked(const QPoint& aPos);
    void paintBoxMouseMoved(const QPoint& aPos);

    QPointer<TppProducer> m_report;
    std::unique_ptr<TppScreenDevice> m_device;
    QScrollArea* m_scrollBox = nullptr;
    report::ViewerPaintBox* m_paintBox = nullptr;
    TppZoomSettingType m_zoomSetting = TppZoomSettingType::zsWholePage;
    int m_zoomPercentage = 100;
    QString m_status;
    bool m_scrollReset = true;
};
