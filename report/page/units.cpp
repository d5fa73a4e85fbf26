#include "report/page/units.h"

#include "platform/format/number_format.h"
#include "platform/format/number_parse.h"
#include "platform/stream/value.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <limits>

namespace report {

namespace {

int g_screenOverride = 0;

}  // namespace

int ScreenPixelsPerInch() {
    if (g_screenOverride > 0) return g_screenOverride;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const int ppi = qRound(screen->logicalDotsPerInchY());
            if (ppi > 0) return ppi;
        }
    }
    return 96;
}

void SetScreenPixelsPerInch(int pixelsPerInch) { g_screenOverride = std::max(0, pixelsPerInch); }

}  // namespace report

namespace {

using Extended = long double;
constexpr Extended kInchesPerMM = 0.03937L;

/// Round half to even (the default rounding mode), clamped to a 32-bit length.
int roundLength(Extended v) {
    const Extended r = std::nearbyint(v);
    if (!(r >= std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();  // also NaN
    if (r > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(r);
}

int truncLength(Extended v) {
    if (!(v >= std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(v);
}

int screenPPI() { return report::ScreenPixelsPerInch(); }

int printerPPI(int aResolution, const report::PrinterResolution* aPrinter) {
    if (!aPrinter) return screenPPI();
    const int ppi = aResolution == report::kVertical ? aPrinter->PixelsPerInchY() : aPrinter->PixelsPerInchX();
    return ppi > 0 ? ppi : screenPPI();
}

}  // namespace

float ppFromMMThousandths(int aValue, TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter) {
    const Extended inches = Extended(aValue) / 1000 * kInchesPerMM;
    switch (aUnits) {
    case TppUnitType::utScreenPixels: return float(roundLength(inches * screenPPI()));
    case TppUnitType::utInches: return float(Extended(roundLength(inches * 10000)) / 10000);
    case TppUnitType::utMillimeters: return float(Extended(aValue) / 1000);
    case TppUnitType::utPrinterPixels: return float(roundLength(inches * printerPPI(aResolution, aPrinter)));
    case TppUnitType::utMMThousandths: return float(aValue);
    }
    return 0;
}

int ppToMMThousandths(TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter, float aValue) {
    const Extended v = aValue;
    switch (aUnits) {
    case TppUnitType::utInches: return roundLength(v / kInchesPerMM * 1000);
    case TppUnitType::utMillimeters: return roundLength(v * 1000);
    case TppUnitType::utPrinterPixels:
        return roundLength(v / printerPPI(aResolution, aPrinter) / kInchesPerMM * 1000);
    case TppUnitType::utScreenPixels: return roundLength(v / screenPPI() / kInchesPerMM * 1000);
    case TppUnitType::utMMThousandths: return truncLength(v);
    }
    return 0;
}

float ppFromScreenPixels(int aPixels, TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter) {
    const int mm = ppToMMThousandths(TppUnitType::utScreenPixels, aResolution, aPrinter, float(aPixels));
    return ppFromMMThousandths(mm, aUnits, aResolution, aPrinter);
}

int ppToScreenPixels(TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter, float aValue) {
    const int mm = ppToMMThousandths(aUnits, aResolution, aPrinter, aValue);
    return truncLength(ppFromMMThousandths(mm, TppUnitType::utScreenPixels, aResolution, aPrinter));
}

float ppFromTenthsMM(int aValue, TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter) {
    const int mm = truncLength(Extended(aValue) * 100);
    switch (aUnits) {
    case TppUnitType::utScreenPixels:
    case TppUnitType::utPrinterPixels: return ppFromMMThousandths(mm, aUnits, aResolution, aPrinter);
    case TppUnitType::utInches: {
        const int pixels = ppToScreenPixels(TppUnitType::utMMThousandths, aResolution, aPrinter, float(mm));
        return ppFromScreenPixels(pixels, TppUnitType::utInches, aResolution, aPrinter);
    }
    case TppUnitType::utMillimeters: return float(roundLength(Extended(aValue) / 10));
    case TppUnitType::utMMThousandths: return float(mm);
    }
    return 0;
}

int ppToTenthsMM(TppUnitType aUnits, int aResolution, const report::PrinterResolution* aPrinter, float aValue) {
    switch (aUnits) {
    case TppUnitType::utScreenPixels:
    case TppUnitType::utPrinterPixels: return ppToMMThousandths(aUnits, aResolution, aPrinter, aValue) / 100;
    case TppUnitType::utInches: {
        const int pixels = ppToScreenPixels(TppUnitType::utInches, aResolution, aPrinter, aValue);
        const float mm = ppFromScreenPixels(pixels, TppUnitType::utMMThousandths, aResolution, aPrinter);
        return truncLength(Extended(mm) / 100);
    }
    case TppUnitType::utMillimeters: return roundLength(Extended(aValue) * 10);
    case TppUnitType::utMMThousandths: return roundLength(Extended(aValue) / 100);
    }
    return 0;
}

void ppConvertListFromMM(QStringList& aList, TppUnitType aUnits, int aResolution,
                         const report::PrinterResolution* aPrinter) {
    for (QString& item : aList) {
        bool ok = false;
        int mm = item.trimmed().toInt(&ok);
        if (!ok) mm = 0;
        const float value = ppFromMMThousandths(mm, aUnits, aResolution, aPrinter);
        item = format::FloatToStrF(value, format::FloatFormat::General, 7, 0);
    }
}

void ppConvertListToMM(QStringList& aList, TppUnitType aUnits, int aResolution,
                       const report::PrinterResolution* aPrinter) {
    for (QString& item : aList) {
        const double value = format::TryStrToFloat(item).value_or(0.0);
        item = QString::number(ppToMMThousandths(aUnits, aResolution, aPrinter, float(value)));
    }
}

void ppGetTabStopPixels(TppUnitType aUnits, const QStringList& aTabStops, std::vector<int>& aPositions,
                        const report::PrinterResolution* aPrinter, int& aCount) {
    if (aUnits != TppUnitType::utScreenPixels && aUnits != TppUnitType::utPrinterPixels) return;
    aCount = 0;
    aPositions.clear();
    for (const QString& item : aTabStops) {
        bool ok = false;
        const int mm = item.trimmed().toInt(&ok);
        if (!ok) continue;
        aPositions.push_back(truncLength(ppFromMMThousandths(mm, aUnits, report::kHorizontal, aPrinter)));
        ++aCount;
    }
}

int ppReadMMValue(const stream::Value& aValue) {
    if (aValue.IsFloat()) return truncLength(aValue.AsExtended());
    const qint64 v = aValue.AsInteger();
    return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
