#pragma once

// How the screen and printer devices draw a barcode command: the command draws itself, so
// the devices only hand it the resolution and the surface.

#include <QImage>
#include <QRect>

#include "report/page/draw_barcode.h"
class QPainter;

namespace report {

/// Sizes the command for the screen: measured at the global printer's resolution when there
/// is one (so the screen shows the printed size), else at the screen's.
void PrepareBarCodeForScreen(TppDrawBarCode& aCommand);
/// Paints the command, measured again at the screen's resolution, stretched into its
/// device rectangle on the screen bitmap; a transparent command leaves the page visible.
void PaintBarCodeOnScreen(TppDrawBarCode& aCommand, QImage& aBitmap);
/// Sizes the command for a printer of the given resolution (no messages while printing).
void PrepareBarCodeForPrinter(TppDrawBarCode& aCommand, int aResolutionX, int aResolutionY);
/// Paints the command on the printer canvas at the top-left corner of its device rectangle.
void PaintBarCodeOnPrinter(TppDrawBarCode& aCommand, QPainter& aPainter, int aResolutionX, int aResolutionY);

}  // namespace report
