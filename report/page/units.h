#pragma once

// Conversions between the lengths of a report. Every length is held as an integer in
// thousandths of a millimetre; users see it in the report's Units (a 4-byte float), drawing
// needs screen or printer pixels, and printer drivers give tenths of a millimetre. The
// constant is 0.03937 inches per millimetre (this decimal, at extended precision; not
// 1/25.4), "round" rounds halves to even and "truncate" cuts toward zero, so that a length
// typed, stored and shown again comes out the same everywhere. Results beyond the range of
// a 32-bit length are clamped to it.

#include "report/page/report_types.h"

#include <QStringList>

#include <vector>

namespace stream {
class Value;
}

namespace report {

/// The resolution of a printer, for the printer-pixel conversions; the printer class of the
/// output side implements it. Without one, printer pixels are screen pixels.
class PrinterResolution {
public:
    virtual ~PrinterResolution() = default;
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;
};

/// The screen's logical pixels per inch (one value for both directions): the override when
/// one is set, else the primary screen's, else 96.
int ScreenPixelsPerInch();
/// Overrides the screen's pixels per inch; 0 removes the override.
void SetScreenPixelsPerInch(int pixelsPerInch);

/// Resolution selector of the conversions: it matters only for printer pixels.
inline constexpr int kHorizontal = 0;
inline constexpr int kVertical = 1;

}  // namespace report

/// mm-thousandths to aUnits.
float ppFromMMThousandths(int aValue, TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter);
/// aUnits to mm-thousandths.
int ppToMMThousandths(TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter, float aValue);
/// Screen pixels to aUnits (through mm-thousandths).
float ppFromScreenPixels(int aPixels, TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter);
/// aUnits to screen pixels (through mm-thousandths), truncated.
int ppToScreenPixels(TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter, float aValue);
/// Tenths of a millimetre to aUnits; inches go through whole screen pixels.
float ppFromTenthsMM(int aValue, TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter);
/// aUnits to tenths of a millimetre; inches go through whole screen pixels.
int ppToTenthsMM(TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter, float aValue);
/// Each item (mm-thousandths; not an integer counts as 0) becomes its value in aUnits,
/// written in general float format with 7 significant digits.
void ppConvertListFromMM(QStringList& aList, TppUnitType aUnits, int aResolution,
                         const report::PrinterResolution* aPrinter);
/// Each item (a float in aUnits; unreadable counts as 0) becomes its mm-thousandths.
void ppConvertListToMM(QStringList& aList, TppUnitType aUnits, int aResolution,
                       const report::PrinterResolution* aPrinter);
/// For screen and printer pixels only: aCount := 0, then each integer item of aTabStops
/// (mm-thousandths) is converted horizontally to pixels, truncated, and stored at
/// aPositions[aCount++]; other items are skipped. Other units change nothing.
void ppGetTabStopPixels(TppUnitType aUnits, const QStringList& aTabStops, std::vector<int>& aPositions,
                        const report::PrinterResolution* aPrinter, int& aCount);
/// A stored length: older templates stored lengths as floats, which are truncated.
int ppReadMMValue(const stream::Value& aValue);
