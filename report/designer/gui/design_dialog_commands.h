#pragma once

// The design commands that run the small dialogs for one object: each takes the form
// registered for the dialog's abstract class, gives it the report's language and the report,
// fills it from the object, shows it modally and, on OK (or Apply), writes the values back.
// Each answers whether the object was changed (false when no form is registered).

class QObject;
class TppBand;
class TppComponent;
class TppCustomReport;
class TppDBCalc;
class TppDBText;
class TppMemo;
class TppStretchable;
class TppVariable;

namespace report {

/// Left, Top, Width, Height and the stretchable offsets of a component.
bool RunPositionDialog(TppComponent* aComponent);
/// Height, BottomOffset, PrintPosition and PrintCount of a band.
bool RunBandPositionDialog(TppBand* aBand);
/// The calculation order of the variables of the band's report, the band selected.
bool RunCalcOrderDialog(TppBand* aBand);
/// The reset group of a data text.
bool RunResetGroupDialog(TppDBText* aText);
/// The calculation type and reset group of a data calculation.
bool RunDBCalcDialog(TppDBCalc* aCalc);
/// The lines of a memo.
bool RunMemoDialog(TppMemo* aMemo);
/// The component a stretchable shifts relative to.
bool RunShiftDialog(TppStretchable* aComponent);
/// The calculation and reset timing of a variable.
bool RunCalcTimingDialog(TppVariable* aVariable);
/// The master and detail data pipelines of a report.
bool RunDataDialog(TppCustomReport* aReport, QObject* aOwner);
/// The text-file export settings: aMainReport's file settings, aReport's bands.
bool RunPrintToFileSetupDialog(TppCustomReport* aReport, TppCustomReport* aMainReport, QObject* aOwner);

}  // namespace report
