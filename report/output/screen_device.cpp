#include "report/output/screen_device.h"
#include "report/output/barcode_output.h"

#include "report/output/output_texts.h"
#include "report/output/publisher.h"
#include "report/page/draw_rich_text.h"
#include "report/page/page.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/paint/canvas.h"
#include "platform/paint/color.h"

#include <QCoreApplication>
#include <QPainter>

#include <cmath>

namespace {

int nearest(double v) {
    return int(std::nearbyint(v));
}

int screenPixels(int mm, int resolution) {
    return nearest(ppFromMMThousandths(mm, TppUnitType::utScreenPixels, resolution, nullptr));
}

}  // namespace

TppScreenDevice::TppScreenDevice(TComponent* AOwner) : TppRasterDevice(AOwner), m_page(std::make_unique<TppPage>()) {
    // The page on display is a copy, made command by command through the class registry.
    report::RegisterDrawCommands();
    PageRequest()->SetPageSetting(TppPageSettingType::psFirstPage);
    PageRequest()->SetPageRequested(1);
}

TppScreenDevice::~TppScreenDevice() = default;

void TppScreenDevice::SetViewer(report::ScreenViewer* aViewer) {
    m_viewer = aViewer;
}

void TppScreenDevice::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    if (aOperation == TppOperationType::ppopRemove && aCommunicator && aCommunicator == Publisher() && m_viewer) {
        m_viewer->ReportGone();
        Reset();
    }
    TppRasterDevice::Notify(aCommunicator, aOperation);
}

void TppScreenDevice::SetStatus(const QString& aText) {
    TppRasterDevice::SetStatus(aText);
    if (m_viewer) m_viewer->StatusChanged(aText);
    QCoreApplication::processEvents();
}

QString TppScreenDevice::pageStatus() const {
    return Publisher() && Publisher()->PageCountKnown() ? m_page->GetPageOfText() : m_page->GetPageText();
}

void TppScreenDevice::StartJob() {
    TppRasterDevice::StartJob();
    report::DeclareOutputTexts();
    SetStatus(ppGetMessageText(2));
    m_page->Reset();
}

void TppScreenDevice::CancelJob() {
    TppRasterDevice::CancelJob();
    SetStatus(m_page->GetPageText());
}

void TppScreenDevice::EndJob() {
    SetStatus(pageStatus());
    TppRasterDevice::EndJob();
}

void TppScreenDevice::Reset() {
    TppRasterDevice::Reset();
    m_page->ClearDrawCommands();
    m_bitmap = QImage();
    if (m_viewer) {
        m_page->SetPrinterSetup(m_viewer->ReportPrinterSetup());
        RecalcPageBitmap();
        m_viewer->PageChanged();
    }
    PageRequest()->SetPageSetting(TppPageSettingType::psFirstPage);
    PageRequest()->SetPageRequested(1);
}

void TppScreenDevice::ReceivePage(TppPage& aPage) {
    TppRasterDevice::ReceivePage(aPage);
    if (m_viewer && !m_viewer->DesignPreview()) return;
    report::DeclareOutputTexts();
    const bool countKnown = Publisher() && Publisher()->PageCountKnown();
    const QString no = QString::number(aPage.AbsolutePageNo());
    if (PageIsRequested()) {
        SetStatus(countKnown ? report::MessageText(10, {no, QString::number(aPage.AbsolutePageCount()), aPage.DocumentName()})
                             : report::MessageText(4, {no, aPage.DocumentName()}));
        if (SkipPage()) return;
        m_page->Assign(&aPage);
        RecalcPageBitmap();
        if (m_viewer) {
            m_viewer->PageChanged();
            SetStatus(pageStatus());
        }
    } else if (aPage.PassedOver()) {
        SetStatus(report::MessageText(4, {no, aPage.DocumentName()}));
        if (aPage.AbsolutePageCount() != m_page->AbsolutePageCount()) {
            m_page->SetAbsolutePageCount(aPage.AbsolutePageCount());
            if (aPage.ControlGroupBreakNo() == m_page->ControlGroupBreakNo()) m_page->SetPageCount(aPage.PageCount());
            if (m_page->HasPageCountCommands()) {
                m_page->UpdatePageCountCommands(this);
                QCoreApplication::processEvents();
            }
        }
    }
}

void TppScreenDevice::request(TppPageSettingType aSetting, int aPageNo) {
    PageRequest()->SetPageSetting(aSetting);
    PageRequest()->SetPageRequested(aPageNo);
    RequestPages();
}

void TppScreenDevice::FirstPage() {
    if (Busy() || (m_page->AbsolutePageNo() == 1)) return;
    request(TppPageSettingType::psFirstPage, 1);
}

void TppScreenDevice::LastPage() {
    if (Busy() || m_page->LastPage()) return;
    request(TppPageSettingType::psLastPage, 1);
}

void TppScreenDevice::GotoPage(int aPageNo) {
    if (Busy() || aPageNo == m_page->AbsolutePageNo()) return;
    request(TppPageSettingType::psSinglePage, aPageNo);
}

int TppScreenDevice::GetAbsolutePageNo() const {
    return m_page->AbsolutePageNo();
}

void TppScreenDevice::sizeBitmap() {
    const int P = report::ScreenPixelsPerInch();
    const double W = screenPixels(m_page->PageDef()->mmWidth(), report::kHorizontal);
    const double H = screenPixels(m_page->PageDef()->mmHeight(), report::kVertical);
    const TppZoomSettingType zoom = m_viewer ? m_viewer->ZoomSetting() : TppZoomSettingType::zs100Percent;
    const QSize box = m_viewer ? m_viewer->ScrollBoxSize() : QSize();
    const int SW = box.width();
    const int SH = box.height();
    int bitmapWidth = 0;
    int bitmapHeight = 0;
    switch (zoom) {
    case TppZoomSettingType::zs100Percent: {
        const int m = 2 * nearest(P * 0.25);
        m_pageWidth = int(W);
        m_pageHeight = int(H);
        bitmapWidth = m_pageWidth + m;
        bitmapHeight = m_pageHeight + m;
        break;
    }
    case TppZoomSettingType::zsWholePage: {
        bitmapWidth = SW;
        bitmapHeight = SH;
        m_pageHeight = SH - nearest(P * 0.25);
        m_pageWidth = nearest(m_pageHeight * W / H);
        while (m_pageWidth >= bitmapWidth && nearest(P * 0.5) < bitmapWidth && nearest(P * 0.5) < bitmapHeight &&
               m_pageHeight > 0) {
            m_pageHeight -= nearest(P * 0.25);
            m_pageWidth = nearest(m_pageHeight * W / H);
        }
        break;
    }
    case TppZoomSettingType::zsPageWidth: {
        const int m = 2 * nearest(P * 0.125);
        m_pageWidth = SW - m - nearest(P * 0.1458);
        m_pageHeight = nearest(m_pageWidth / (W / H));
        bitmapWidth = m_pageWidth + m;
        bitmapHeight = std::max(SH, m_pageHeight + m);
        break;
    }
    case TppZoomSettingType::zsPercentage: {
        const int m = 2 * nearest(P * 0.25);
        const int z = m_viewer ? m_viewer->ZoomPercentage() : 100;
        m_pageHeight = nearest(H * z / 100);
        m_pageWidth = nearest(W * z / 100);
        bitmapWidth = std::max(SW, m_pageWidth + m);
        bitmapHeight = std::max(SH, m_pageHeight + m);
        break;
    }
    }
    m_bitmap = QImage(std::max(1, bitmapWidth), std::max(1, bitmapHeight), QImage::Format_RGB32);
    m_zoomPercent = H > 0 ? nearest(m_pageHeight / H * 100) : 100;
}

void TppScreenDevice::RecalcPageBitmap() {
    const TppPageDef& def = *m_page->PageDef();
    if (def.mmWidth() == 0 || def.mmHeight() == 0) return;
    sizeBitmap();
    m_bitmap.fill(paint::ToQColor(paint::clBtnShadow));
    m_pageLeft = (m_bitmap.width() - m_pageWidth) / 2;
    m_pageTop = (m_bitmap.height() - m_pageHeight) / 2;
    {
        QPainter painter(&m_bitmap);
        paint::Canvas canvas(painter, report::ScreenPixelsPerInch(), report::ScreenPixelsPerInch());
        canvas.SetBrush({paint::clWindow, paint::TBrushStyle::bsSolid});
        canvas.SetPen(paint::Pen{});
        canvas.Rectangle(QRectF(m_pageLeft, m_pageTop, m_pageWidth, m_pageHeight));
    }
    m_scaleX = m_pageWidth / double(screenPixels(def.mmWidth(), report::kHorizontal));
    m_scaleY = m_pageHeight / double(screenPixels(def.mmHeight(), report::kVertical));
    DrawPage(*m_page);
}

QRect TppScreenDevice::CalcCommandRect(TppDrawCommand& c) const {
    const int a = screenPixels(c.Left(), report::kHorizontal);
    const int b = screenPixels(c.Top(), report::kVertical);
    const int w = screenPixels(c.Width(), report::kHorizontal);
    const int h = screenPixels(c.Height(), report::kVertical);
    const int left = nearest(a * m_scaleX) + m_pageLeft;
    const int right = nearest((a + w) * m_scaleX) + m_pageLeft;
    const int top = nearest(b * m_scaleY) + m_pageTop;
    const int bottom = nearest((b + h) * m_scaleY) + m_pageTop;
    // The device rectangle keeps its right and bottom edges as the draw command stores them.
    const QRect rect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    c.SetDrawRect(rect);
    return rect;
}

bool TppScreenDevice::DrawCommand(TppDrawCommand& c) {
    if (auto* barCode = qobject_cast<TppDrawBarCode*>(&c)) report::PrepareBarCodeForScreen(*barCode);
    CalcCommandRect(c);
    if (m_bitmap.isNull()) return true;
    if (auto* text = qobject_cast<TppDrawText*>(&c)) drawText(*text, m_forceOpaque);
    else if (auto* shape = qobject_cast<TppDrawShape*>(&c)) drawShape(*shape);
    else if (auto* line = qobject_cast<TppDrawLine*>(&c)) drawLine(*line);
    else if (auto* image = qobject_cast<TppDrawImage*>(&c)) drawImage(*image);
    else if (auto* barCode = qobject_cast<TppDrawBarCode*>(&c)) report::PaintBarCodeOnScreen(*barCode, m_bitmap);
    else if (auto* rich = qobject_cast<TppDrawRichText*>(&c)) drawRichText(*rich);
    else return false;
    return true;
}

void TppScreenDevice::RedrawCommand(TppDrawCommand& c) {
    m_forceOpaque = true;
    const bool drawn = c.Draw(*this);
    m_forceOpaque = false;
    if (drawn && m_viewer) m_viewer->AreaRedrawn(c.GetDrawRect());
}

TppDrawCommand* TppScreenDevice::FindClickCommand(int x, int y) const {
    for (int i = 0; i < m_page->GetClickCommandCount(); ++i) {
        TppDrawCommand* c = m_page->GetClickCommand(i);
        if (c->GetDrawRect().contains(x, y) && c->HasClickHandler()) return c;
    }
    return nullptr;
}

void TppScreenDevice::drawText(TppDrawText& t, bool aForceOpaque) {
    QPainter painter(&m_bitmap);
    const int P = report::ScreenPixelsPerInch();
    // Fonts scale with the page: the canvas's resolution is the screen's times the scale.
    paint::Canvas canvas(painter, std::max(1, nearest(P * m_scaleX)), std::max(1, nearest(P * m_scaleY)));
    canvas.SetFont(t.Font()->Font());
    const paint::TextMetrics& metrics = canvas.Metrics();
    const qreal leading = t.IsMemo() ? screenPixels(t.Leading(), report::kVertical) * m_scaleY : metrics.ExternalLeading();
    // A memo's lines are as far apart as its layout placed them.
    const qreal lineHeight = t.IsMemo() && t.LineHeight() > 0 ? ppFromMMThousandths(t.LineHeight(), TppUnitType::utScreenPixels, report::kVertical, nullptr) * m_scaleY
                                                              : leading + metrics.Height();
    QRectF r(t.GetDrawRect().left(), t.GetDrawRect().top(), t.GetDrawRect().width(), t.GetDrawRect().height());
    if (t.AutoSize() && !t.WordWrap() && !t.Text().isEmpty() && r.height() < lineHeight) r.setHeight(lineHeight);
    QStringList lines = t.WordWrap() ? t.WrappedText() : QStringList{t.Text()};
    if (t.IsMemo() && lines.size() > 1 && lineHeight > 0) {
        // Lines that do not fit the rectangle are not drawn.
        const int fitting = int(r.height() / lineHeight) + 1;
        if (lines.size() > fitting) lines = lines.mid(0, fitting);
    }
    std::vector<qreal> tabStops;
    if (t.IsMemo()) {
        std::vector<int> pixels;
        int count = 0;
        ppGetTabStopPixels(TppUnitType::utScreenPixels, t.TabStopPositions(), pixels, nullptr, count);
        for (int i = 0; i < count; ++i) tabStops.push_back(nearest(pixels[size_t(i)] * m_scaleX));
    }
    if (t.AutoSize()) {
        qreal widest = 0;
        for (const QString& line : lines) widest = std::max(widest, canvas.TextWidth(line));
        if (t.Alignment() == TAlignment::taRightJustify) r.setLeft(r.right() - widest);
        else if (t.Alignment() == TAlignment::taCenter) r.moveLeft(r.left() + nearest((r.width() - widest) / 2));
        r.setWidth(widest);
    }
    if (!t.Transparent() || aForceOpaque) {
        canvas.SetBrush({t.Color(), paint::TBrushStyle::bsSolid});
        canvas.FillRect(r);
    }
    canvas.SetBrush({t.Color(), paint::TBrushStyle::bsClear});
    qreal y = r.top();
    // A line is measured only when its alignment needs its width.
    const bool leftAligned = t.Alignment() != TAlignment::taRightJustify && t.Alignment() != TAlignment::taCenter;
    for (const QString& line : lines) {
        const qreal width = leftAligned ? 0 : canvas.TextWidth(line);
        qreal x = r.left();
        if (t.Alignment() == TAlignment::taRightJustify) x = r.right() - width;
        else if (t.Alignment() == TAlignment::taCenter) x = r.left() + nearest((r.width() - width) / 2);
        if (t.IsMemo() && !tabStops.empty()) canvas.TabbedTextOut(x, y, line, tabStops);
        else if (t.AutoSize() && !t.IsMemo()) canvas.TextOut(x, y, line);
        else canvas.TextRect(r, x, y, line);
        y += lineHeight;
    }
    if (t.AutoSize()) {
        QRect device = t.GetDrawRect();
        device.setLeft(int(r.left()));
        device.setRight(int(r.right()));
        device.setBottom(int(r.top() + lines.size() * lineHeight));
        t.SetDrawRect(device);
    }
}

void TppScreenDevice::drawShape(TppDrawShape& s) {
    QPainter painter(&m_bitmap);
    paint::Canvas canvas(painter, report::ScreenPixelsPerInch(), report::ScreenPixelsPerInch());
    paint::Pen pen = s.Pen();
    pen.Width = nearest(pen.Width * m_scaleX);
    canvas.SetPen(pen);
    canvas.SetBrush(s.Brush());
    const QRect r = s.GetDrawRect();
    const QRectF rect(r.left(), r.top(), r.width(), r.height());
    switch (s.ShapeType()) {
    case TShapeType::stRectangle: canvas.Rectangle(rect); break;
    case TShapeType::stRoundRect:
        canvas.RoundRect(rect, screenPixels(s.XCornerRound(), report::kHorizontal) * m_scaleX,
                         screenPixels(s.YCornerRound(), report::kVertical) * m_scaleY);
        break;
    case TShapeType::stEllipse: canvas.Ellipse(rect); break;
    default: break;
    }
}

void TppScreenDevice::drawLine(TppDrawLine& l) {
    QPainter painter(&m_bitmap);
    paint::Canvas canvas(painter, report::ScreenPixelsPerInch(), report::ScreenPixelsPerInch());
    const int P = report::ScreenPixelsPerInch();
    const int t = std::max(1, nearest(P * l.Weight() / 72.0 * m_scaleX));
    paint::Pen pen = l.Pen();
    pen.Width = 1;
    canvas.SetPen(pen);
    QRect r = l.GetDrawRect();
    // The stored rectangle ends on its last pixel; the strokes run to the edge after it.
    const int right = r.right() + 1;
    const int bottom = r.bottom() + 1;
    const int sets = l.LineStyle() == TppLineStyleType::lsDouble ? 2 : 1;
    for (int set = 0; set < sets; ++set) {
        const int offset = set * 2 * t;
        for (int k = 0; k < t; ++k) {
            const int d = offset + k;
            switch (l.LinePosition()) {
            case TppLinePositionType::lpTop:
                canvas.MoveTo(r.left(), r.top() + d);
                canvas.LineTo(right, r.top() + d);
                break;
            case TppLinePositionType::lpBottom:
                canvas.MoveTo(r.left(), bottom - 1 - d);
                canvas.LineTo(right, bottom - 1 - d);
                break;
            case TppLinePositionType::lpLeft:
                canvas.MoveTo(r.left() + d, r.top());
                canvas.LineTo(r.left() + d, bottom);
                break;
            case TppLinePositionType::lpRight:
                canvas.MoveTo(right - 1 - d, r.top());
                canvas.LineTo(right - 1 - d, bottom);
                break;
            }
        }
    }
}

void TppScreenDevice::drawRichText(TppDrawRichText& aRichText) {
    const QRect r = aRichText.GetDrawRect();
    if (r.width() <= 0 || r.height() <= 0) return;
    // The text is laid out for the page's scale: an image of the device rectangle whose
    // resolution is the screen's times the zoom.
    QImage part(r.size(), QImage::Format_ARGB32_Premultiplied);
    const double inchesPerMetre = 1.0 / 0.0254;
    part.setDotsPerMeterX(int(std::lround(report::ScreenPixelsPerInch() * m_scaleX * inchesPerMetre)));
    part.setDotsPerMeterY(int(std::lround(report::ScreenPixelsPerInch() * m_scaleY * inchesPerMetre)));
    part.fill(Qt::transparent);
    {
        QPainter p(&part);
        aRichText.Render(p, QRectF(0, 0, r.width(), r.height()));
    }
    QPainter painter(&m_bitmap);
    painter.drawImage(r.topLeft(), part);
}

void TppScreenDevice::drawImage(TppDrawImage& img) {
    const QImage& picture = img.Picture().Image();
    if (picture.isNull()) return;
    QPainter painter(&m_bitmap);
    paint::Canvas canvas(painter, report::ScreenPixelsPerInch(), report::ScreenPixelsPerInch());
    const QRect r = img.GetDrawRect();
    QRectF target(r.left(), r.top(), picture.width() * m_scaleX, picture.height() * m_scaleY);
    if (img.Stretch() && img.MaintainAspectRatio()) {
        const double scale = std::min(double(r.width()) / picture.width(), double(r.height()) / picture.height());
        target.setSize(QSizeF(picture.width() * scale, picture.height() * scale));
    } else if (img.Stretch()) {
        target = QRectF(r.left(), r.top(), r.width(), r.height());
    }
    if (img.Center() && !(img.Stretch() && !img.MaintainAspectRatio()))
        target.moveTopLeft(QPointF(r.left() + int((r.width() - target.width()) / 2), r.top() + int((r.height() - target.height()) / 2)));
    if (!img.Stretch()) painter.setClipRect(r);
    if (img.Transparent()) canvas.StretchDrawTransparent(target, picture);
    else canvas.StretchDraw(target, picture);
}
