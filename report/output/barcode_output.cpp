#include "report/output/barcode_output.h"

#include "report/page/draw_barcode.h"
#include "report/page/printer_setup.h"
#include "report/page/units.h"

#include <QPainter>

namespace report {

void PrepareBarCodeForScreen(TppDrawBarCode& aCommand) {
    if (const PrinterResolution* printer = GlobalPrinterResolution()) {
        aCommand.Measure(printer->PixelsPerInchX(), printer->PixelsPerInchY());
        aCommand.TakeMeasuredSize(printer->PixelsPerInchX(), printer->PixelsPerInchY());
    } else {
        const int screen = ScreenPixelsPerInch();
        aCommand.Measure(screen, screen);
        aCommand.TakeMeasuredSize(screen, screen);
    }
}

void PaintBarCodeOnScreen(TppDrawBarCode& aCommand, QImage& aBitmap) {
    const int screen = ScreenPixelsPerInch();
    const QImage symbol = aCommand.RenderImage(screen, screen);
    const QRect r = aCommand.GetDrawRect();
    QPainter painter(&aBitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(r.left(), r.top(), r.width(), r.height()), symbol);
}

void PrepareBarCodeForPrinter(TppDrawBarCode& aCommand, int aResolutionX, int aResolutionY) {
    aCommand.MeasureForPrinter(aResolutionX, aResolutionY);
}

void PaintBarCodeOnPrinter(TppDrawBarCode& aCommand, QPainter& aPainter, int aResolutionX, int aResolutionY) {
    const bool was = aCommand.Printing();
    aCommand.SetPrinting(true);
    aCommand.Render(aPainter, aCommand.GetDrawRect().topLeft(), aResolutionX, aResolutionY);
    aCommand.SetPrinting(was);
}

}  // namespace report
