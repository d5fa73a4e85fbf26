#pragma once

#include "report/output/device.h"

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <memory>

class TppDrawRichText;

class TppPage;
class TppPrinterSetup;

DOSSARA_REPORT_ENUM(TppZoomSettingType, zs100Percent, zsWholePage, zsPageWidth, zsPercentage)

namespace report {

/// What the screen device needs of the viewer that owns it: the zoom, the size of the
/// scroll box the page is shown in, the report's printer setup, and the notifications of a
/// new page, a new status text and a re-drawn part of the page. The viewer implements it.
class ScreenViewer {
public:
    virtual ~ScreenViewer() = default;
    virtual TppZoomSettingType ZoomSetting() const = 0;
    virtual int ZoomPercentage() const = 0;
    /// The scroll box's client size in pixels.
    virtual QSize ScrollBoxSize() const = 0;
    /// The report's printer setup; null without a report.
    virtual TppPrinterSetup* ReportPrinterSetup() const = 0;
    /// Pages are drawn at design time only while the designer previews.
    virtual bool DesignPreview() const { return true; }
    virtual void StatusChanged(const QString& aText) = 0;
    /// A new page was drawn into the device's bitmap.
    virtual void PageChanged() = 0;
    /// A part of the bitmap (device pixels) was drawn again.
    virtual void AreaRedrawn(const QRect& aRect) = 0;
    /// The publisher of the report went away.
    virtual void ReportGone() {}
};

}  // namespace report

/// Renders one page at a time into a bitmap for the viewer: a grey surround with the page
/// centred on it, scaled by the viewer's zoom. Keeps its own copy of the page on display,
/// draws texts, shapes, lines and images itself, draws a command again when its page-count
/// text changes, and serves the viewer's navigation (first, last, a numbered page) by
/// setting its page request and asking the publisher for pages. It shows pages that are not
/// final (the first pass of a two-pass report) and never draws pages passed over.
class TppScreenDevice : public TppRasterDevice {
    Q_OBJECT
    Q_CLASSINFO("DeviceName", "Screen")
public:
    Q_INVOKABLE explicit TppScreenDevice(TComponent* AOwner = nullptr);
    ~TppScreenDevice() override;

    /// The viewer that shows the device's bitmap; none draws at 100 %.
    void SetViewer(report::ScreenViewer* aViewer);
    report::ScreenViewer* Viewer() const { return m_viewer; }

    const QImage& Bitmap() const { return m_bitmap; }
    TppPage* DisplayedPage() const { return m_page.get(); }
    int ZoomPercent() const { return m_zoomPercent; }
    /// The page rectangle inside the bitmap.
    QRect PageRect() const { return QRect(m_pageLeft, m_pageTop, m_pageWidth, m_pageHeight); }

    void StartJob() override;
    void CancelJob() override;
    void EndJob() override;
    void Reset() override;
    bool RequiresFinalPages() const override { return false; }
    void ReceivePage(TppPage& aPage) override;
    void SetStatus(const QString& aText) override;
    bool DrawCommand(TppDrawCommand& aDrawCommand) override;
    void RedrawCommand(TppDrawCommand& aDrawCommand) override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

    void FirstPage();
    void LastPage();
    void GotoPage(int aPageNo);
    int GetAbsolutePageNo() const;
    /// Sizes the bitmap for the zoom and draws the displayed page into it.
    void RecalcPageBitmap();
    /// The command's rectangle in bitmap pixels, stored in the command.
    QRect CalcCommandRect(TppDrawCommand& aDrawCommand) const;
    /// The first command of the displayed page's click list whose rectangle holds the point.
    TppDrawCommand* FindClickCommand(int x, int y) const;

private:
    void drawText(TppDrawText& aText, bool aForceOpaque);
    void drawShape(TppDrawShape& aShape);
    void drawLine(TppDrawLine& aLine);
    void drawImage(TppDrawImage& aImage);
    void drawRichText(TppDrawRichText& aRichText);
    QString pageStatus() const;
    void sizeBitmap();
    void request(TppPageSettingType aSetting, int aPageNo);

    report::ScreenViewer* m_viewer = nullptr;
    int m_zoomPercent = 100;
    std::unique_ptr<TppPage> m_page;
    QImage m_bitmap;
    int m_pageLeft = 0;
    int m_pageTop = 0;
    int m_pageHeight = 0;
    int m_pageWidth = 0;
    double m_scaleX = 1;
    double m_scaleY = 1;
    bool m_forceOpaque = false;
};
