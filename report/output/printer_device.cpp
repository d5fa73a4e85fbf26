#include "report/output/printer_device.h"
#include "report/output/barcode_output.h"

#include "report/output/dialog_registry.h"
#include "report/output/output_texts.h"
#include "report/output/printer.h"
#include "report/output/publisher.h"
#include "report/page/draw_rich_text.h"
#include "report/page/page.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/paint/canvas.h"

#include <QCoreApplication>
#include <QPainter>

#include <cmath>

namespace {

int printerX(int mm, const TppPrinter& printer) {
    return int(ppFromMMThousandths(mm, TppUnitType::utPrinterPixels, report::kHorizontal, &printer));
}

int printerY(int mm, const TppPrinter& printer) {
    return int(ppFromMMThousandths(mm, TppUnitType::utPrinterPixels, report::kVertical, &printer));
}

}  // namespace

TppPrinterDevice::TppPrinterDevice(TComponent* AOwner) : TppRasterDevice(AOwner), m_printer(std::make_unique<TppPrinter>()) {}

TppPrinterDevice::~TppPrinterDevice() {
    if (m_jobRunning) m_printer->Abort();
}

void TppPrinterDevice::StartJob() {
    if (m_jobRunning) return;
    TppRasterDevice::StartJob();
    m_jobRunning = true;
    m_firstPage = true;
    m_collatedCopies = 1;
    updateStatus(nullptr);
    m_printer->BeginDoc();
}

void TppPrinterDevice::updateStatus(const TppPage* aPage) {
    if (!CancelDialog()) return;
    report::DeclareOutputTexts();
    QString text;
    if (!aPage) {
        text = ppGetMessageText(2);
    } else if (Publisher() && Publisher()->PageCountKnown()) {
        text = report::MessageText(28, {QString::number(aPage->AbsolutePageNo()), QString::number(aPage->AbsolutePageCount()),
                                        aPage->DocumentName(), m_printer->PrinterName()});
    } else if (SkipPage()) {
        return;
    } else {
        text = report::MessageText(27, {QString::number(aPage->AbsolutePageNo()), aPage->DocumentName(), m_printer->PrinterName()});
    }
    if (text == CancelDialog()->StatusText()) return;
    CancelDialog()->SetStatus(text);
    QCoreApplication::processEvents();
}

void TppPrinterDevice::ReceivePage(TppPage& aPage) {
    TppRasterDevice::ReceivePage(aPage);
    if (!m_jobRunning || !PageIsRequested()) return;
    updateStatus(&aPage);
    if (SkipPage()) return;
    TppPrinterSetup* setup = m_printer->PrinterSetup();
    const int passes = setup->Collation() ? 1 : setup->Copies();
    for (int pass = 0; pass < passes; ++pass) {
        startPage(aPage);
        DrawPage(aPage);
        m_printer->EndPage();
    }
}

void TppPrinterDevice::startPage(TppPage& aPage) {
    if (m_firstPage) {
        TppPrinterSetup* setup = m_printer->PrinterSetup();
        if (setup->Collation()) m_collatedCopies = setup->Copies();
        m_firstPage = false;
    }
    m_printer->SetPrinterSetup(aPage.PrinterSetup());
    m_printer->NewPage();
    const QRect offsets = m_printer->PageOffsets();
    m_pageShift = QPoint(-offsets.left(), -offsets.top());
}

bool TppPrinterDevice::IsLastCopy() {
    if (m_collatedCopies <= 1) return true;
    --m_collatedCopies;
    RequestPages();
    return false;
}

void TppPrinterDevice::EndJob() {
    if (!m_jobRunning || !IsLastCopy()) return;
    m_printer->EndDoc();
    m_jobRunning = false;
    TppRasterDevice::EndJob();
}

void TppPrinterDevice::CancelJob() {
    if (m_jobRunning) m_printer->EndDoc();
    m_jobRunning = false;
    TppRasterDevice::CancelJob();
}

QRect TppPrinterDevice::CalcCommandRect(TppDrawCommand& aDrawCommand) const {
    const TppPrinter& p = *m_printer;
    const int left = printerX(aDrawCommand.Left(), p) + m_pageShift.x();
    const int right = printerX(aDrawCommand.Left() + aDrawCommand.Width(), p) + m_pageShift.x();
    const int top = printerY(aDrawCommand.Top(), p) + m_pageShift.y();
    const int bottom = printerY(aDrawCommand.Top() + aDrawCommand.Height(), p) + m_pageShift.y();
    const QRect rect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    aDrawCommand.SetDrawRect(rect);
    return rect;
}

bool TppPrinterDevice::DrawCommand(TppDrawCommand& aDrawCommand) {
    auto* barCode = qobject_cast<TppDrawBarCode*>(&aDrawCommand);
    if (barCode) report::PrepareBarCodeForPrinter(*barCode, m_printer->PixelsPerInchX(), m_printer->PixelsPerInchY());
    CalcCommandRect(aDrawCommand);
    if (!m_printer->Canvas()) return true;
    if (auto* text = qobject_cast<TppDrawText*>(&aDrawCommand)) DrawText(*text);
    else if (auto* shape = qobject_cast<TppDrawShape*>(&aDrawCommand)) DrawShape(*shape);
    else if (auto* line = qobject_cast<TppDrawLine*>(&aDrawCommand)) DrawLine(*line);
    else if (auto* image = qobject_cast<TppDrawImage*>(&aDrawCommand)) DrawImage(*image);
    else if (barCode) report::PaintBarCodeOnPrinter(*barCode, m_printer->Canvas()->Painter(), m_printer->PixelsPerInchX(), m_printer->PixelsPerInchY());
    else if (auto* rich = qobject_cast<TppDrawRichText*>(&aDrawCommand)) DrawRichText(*rich);
    else return false;
    return true;
}

void TppPrinterDevice::DrawText(TppDrawText& aText) {
    paint::Canvas& canvas = *m_printer->Canvas();
    canvas.SetFont(aText.Font()->Font());
    const paint::TextMetrics& metrics = canvas.Metrics();
    qreal lineHeight = metrics.Height();
    lineHeight += aText.IsMemo() ? printerY(aText.Leading(), *m_printer) : metrics.ExternalLeading();
    // A memo's lines are as far apart as its layout placed them.
    if (aText.IsMemo() && aText.LineHeight() > 0)
        lineHeight = ppFromMMThousandths(aText.LineHeight(), TppUnitType::utPrinterPixels, report::kVertical, m_printer.get());
    QRectF rect = QRectF(aText.GetDrawRect().left(), aText.GetDrawRect().top(), aText.GetDrawRect().width(),
                         aText.GetDrawRect().height());
    if (aText.AutoSize() && !aText.WordWrap() && !aText.Text().isEmpty() && rect.height() < lineHeight)
        rect.setHeight(lineHeight);
    QStringList lines;
    if (aText.WordWrap()) lines = aText.WrappedText();
    else if (!aText.Text().isEmpty()) lines << aText.Text();
    if (aText.AutoSize() && !lines.isEmpty()) {
        qreal widest = 0;
        for (const QString& line : lines) widest = std::max(widest, canvas.TextWidth(line));
        if (aText.Alignment() == TAlignment::taRightJustify) rect.setLeft(rect.right() - widest);
        else if (aText.Alignment() == TAlignment::taCenter) rect.moveLeft(rect.left() + std::nearbyint((rect.width() - widest) / 2));
        rect.setWidth(widest);
    }
    if (!aText.Transparent()) {
        canvas.SetBrush({aText.Color(), paint::TBrushStyle::bsSolid});
        canvas.FillRect(rect);
    }
    canvas.SetBrush({aText.Color(), paint::TBrushStyle::bsClear});
    std::vector<qreal> tabStops;
    if (aText.IsMemo()) {
        std::vector<int> pixels;
        int count = 0;
        ppGetTabStopPixels(TppUnitType::utPrinterPixels, aText.TabStopPositions(), pixels, m_printer.get(), count);
        for (int i = 0; i < count; ++i) tabStops.push_back(pixels[size_t(i)]);
    }
    qreal y = rect.top();
    // A line is measured only when its alignment needs its width (shaping a line costs as
    // much as drawing it).
    const bool leftAligned = aText.Alignment() != TAlignment::taRightJustify && aText.Alignment() != TAlignment::taCenter;
    for (const QString& line : lines) {
        const qreal width = leftAligned ? 0 : canvas.TextWidth(line);
        qreal x = rect.left();
        if (aText.Alignment() == TAlignment::taRightJustify) x = rect.right() - width;
        else if (aText.Alignment() == TAlignment::taCenter) x = rect.left() + std::nearbyint((rect.width() - width) / 2 - 0.5);
        if (aText.IsMemo() && !tabStops.empty()) canvas.TabbedTextOut(x, y, line, tabStops);
        else canvas.TextRect(QRectF(rect.left(), y, rect.width(), rect.bottom() - y), x, y, line);
        y += lineHeight;
    }
    if (aText.AutoSize()) {
        QRect r = aText.GetDrawRect();
        r.setLeft(int(rect.left()));
        r.setRight(int(rect.right()));
        r.setBottom(int(rect.top() + lines.size() * lineHeight));
        aText.SetDrawRect(r);
    }
}

void TppPrinterDevice::DrawLine(TppDrawLine& aLine) {
    paint::Canvas& canvas = *m_printer->Canvas();
    const bool vertical = aLine.LinePosition() == TppLinePositionType::lpLeft || aLine.LinePosition() == TppLinePositionType::lpRight;
    const int dpi = vertical ? m_printer->PixelsPerInchX() : m_printer->PixelsPerInchY();
    int thickness = int(std::nearbyint(aLine.Weight() * dpi / 72.0));
    if (thickness == 0) thickness = 1;
    paint::Pen pen = aLine.Pen();
    pen.Width = 1;
    canvas.SetPen(pen);
    const QRect r = aLine.GetDrawRect();
    const int lineCount = aLine.LineStyle() == TppLineStyleType::lsDouble ? 2 : 1;
    for (int n = 0; n < lineCount; ++n) {
        int offset = 0;
        if (n == 1)
            offset = aLine.Pen().Width == 0 ? int(ppFromScreenPixels(2, TppUnitType::utPrinterPixels, vertical ? report::kHorizontal : report::kVertical, m_printer.get()))
                                            : 2 * thickness;
        for (int k = 0; k < thickness; ++k) {
            switch (aLine.LinePosition()) {
            case TppLinePositionType::lpTop:
                canvas.MoveTo(r.left(), r.top() + offset + k);
                canvas.LineTo(r.right() + 1, r.top() + offset + k);
                break;
            case TppLinePositionType::lpBottom:
                canvas.MoveTo(r.left(), r.bottom() + 1 - offset - k);
                canvas.LineTo(r.right() + 1, r.bottom() + 1 - offset - k);
                break;
            case TppLinePositionType::lpLeft:
                canvas.MoveTo(r.left() + offset + k, r.top());
                canvas.LineTo(r.left() + offset + k, r.bottom() + 1);
                break;
            case TppLinePositionType::lpRight:
                canvas.MoveTo(r.right() + 1 - offset - k, r.top());
                canvas.LineTo(r.right() + 1 - offset - k, r.bottom() + 1);
                break;
            }
        }
    }
}

void TppPrinterDevice::DrawShape(TppDrawShape& aShape) {
    paint::Canvas& canvas = *m_printer->Canvas();
    paint::Pen pen = aShape.Pen();
    pen.Width = pen.Width == 0 ? 1
                               : int(ppFromScreenPixels(pen.Width, TppUnitType::utPrinterPixels, report::kHorizontal, m_printer.get()));
    canvas.SetPen(pen);
    canvas.SetBrush(aShape.Brush());
    const QRect r = aShape.GetDrawRect();
    const QRectF rect(r.left(), r.top(), r.width(), r.height());
    switch (aShape.ShapeType()) {
    case TShapeType::stRectangle: canvas.Rectangle(rect); break;
    case TShapeType::stRoundRect:
        canvas.RoundRect(rect, printerX(aShape.XCornerRound(), *m_printer), printerY(aShape.YCornerRound(), *m_printer));
        break;
    case TShapeType::stEllipse: canvas.Ellipse(rect); break;
    default: break;
    }
}

void TppPrinterDevice::DrawRichText(TppDrawRichText& aRichText) {
    QPainter& painter = m_printer->Canvas()->Painter();
    painter.save();
    aRichText.Render(painter, QRectF(aRichText.GetDrawRect()));
    painter.restore();
}

void TppPrinterDevice::DrawImage(TppDrawImage& aImage) {
    const QImage& image = aImage.Picture().Image();
    if (image.isNull()) return;
    paint::Canvas& canvas = *m_printer->Canvas();
    const QRect r = aImage.GetDrawRect();
    const int width = int(ppFromScreenPixels(image.width(), TppUnitType::utPrinterPixels, report::kHorizontal, m_printer.get()));
    const int height = int(ppFromScreenPixels(image.height(), TppUnitType::utPrinterPixels, report::kVertical, m_printer.get()));
    QRectF target(r.left(), r.top(), width, height);
    if (aImage.Stretch() && aImage.MaintainAspectRatio()) {
        const double scale = (width > 0 && height > 0) ? std::min(double(r.width()) / width, double(r.height()) / height) : 0;
        target.setSize(QSizeF(int(width * scale), int(height * scale)));
    } else if (aImage.Stretch()) {
        target = QRectF(r.left(), r.top(), r.width(), r.height());
    }
    if (aImage.Center() && !(aImage.Stretch() && !aImage.MaintainAspectRatio()))
        target.moveTopLeft(QPointF(r.left() + int((r.width() - target.width()) / 2), r.top() + int((r.height() - target.height()) / 2)));
    QPainter& painter = canvas.Painter();
    painter.save();
    if (!aImage.Stretch()) painter.setClipRect(r);
    if (aImage.Transparent()) canvas.StretchDrawTransparent(target, image);
    else canvas.StretchDraw(target, image);
    painter.restore();
}
