#pragma once

#include "report/page/class_library.h"
#include "report/page/page_def.h"
#include "report/page/report_types.h"
#include "report/page/units.h"

#include "platform/stream/persistent.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class TppPrinterInfo;
class TppPrinterSetup;

DOSSARA_REPORT_ENUM(TPrinterOrientation, poPortrait, poLandscape)

using TppValidatePageDefEvent = std::function<void(TppPrinterSetup* Sender, TppPageDef* aPageDef, bool& aAccept)>;
using TppPrinterSetupEvent = std::function<void(TppPrinterSetup* Sender)>;
using TppGetPrinterEvent = std::function<void(TppPrinterSetup* Sender, const report::PrinterResolution*& aPrinter)>;

/// The printer and page settings of a report, a page or a printer: printer, paper, tray,
/// orientation, margins, copies, collation, duplex mode and the spooler's document name.
///
/// The page geometry is kept in mm-thousandths (a TppPageDef) and shown in Units. Every
/// change of the geometry (margins, paper size or name, orientation) is first offered to
/// OnValidatePageDef as a candidate definition, which may refuse it; an accepted change is
/// announced by OnPageDefChange, a change of printer, tray, copies, collation, duplex or
/// document name by OnPrinterChange. Hooks run only while the setup is Active: its flag is
/// set and its owner is neither loading nor reading a stream.
///
/// Streamed: the published BinName, Collation, Copies, DocumentName, Duplex, Orientation,
/// PaperName and PrinterName, then the geometry as six integer properties mmMarginBottom,
/// mmMarginLeft, mmMarginRight, mmMarginTop, mmPaperHeight, mmPaperWidth (always all six; an
/// older float value is rounded when read). The lengths in Units are never written.
class TppPrinterSetup : public TPersistent, public stream::Persistent {
    Q_OBJECT
public:
    /// aOwner: the producer (whose loading and reading states silence the hooks) or none.
    Q_INVOKABLE explicit TppPrinterSetup(TComponent* aOwner = nullptr);
    ~TppPrinterSetup() override;

    QString BinName() const { return m_binName; }
    void SetBinName(const QString& aName);
    bool Collation() const { return m_collation; }
    void SetCollation(bool v);
    int Copies() const { return m_copies; }
    /// Values below 1 are ignored.
    void SetCopies(int v);
    QString DocumentName() const { return m_documentName; }
    void SetDocumentName(const QString& v);
    TppDuplexType Duplex() const { return m_duplex; }
    void SetDuplex(TppDuplexType v);
    TPrinterOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TPrinterOrientation v);
    QString PrinterName() const { return m_printerName; }
    /// "Current" is "Default"; an unknown name changes nothing; a name that falls back to
    /// the default printer is stored as "Default".
    void SetPrinterName(const QString& aName);
    /// The cached name; "Custom" is derived again from the size first.
    QString PaperName();
    void SetPaperName(const QString& aName);

    // Lengths in Units; negative values are ignored.
    float MarginBottom() const;
    void SetMarginBottom(float v);
    float MarginLeft() const;
    void SetMarginLeft(float v);
    float MarginRight() const;
    void SetMarginRight(float v);
    float MarginTop() const;
    void SetMarginTop(float v);
    float PaperHeight() const;
    void SetPaperHeight(float v);
    float PaperWidth() const;
    void SetPaperWidth(float v);
    float PrintableHeight() const;
    float PrintableWidth() const;

    TppUnitType Units() const { return m_units; }
    /// Stores the unit; no value is converted.
    void SetUnits(TppUnitType v) { m_units = v; }
    /// The geometry in mm-thousandths.
    TppPageDef* PageDef() const { return m_pageDef.get(); }
    TComponent* Owner() const { return m_owner; }

    /// The flag and the owner's state: hooks run only when this is true.
    bool Active() const;
    void SetActiveFlag(bool v) { m_activeFlag = v; }

    /// The printer name with "Default" replaced by the system default printer's name.
    QString GetPrinterDescription() const;
    QStringList GetPrinterNames() const;
    /// Papers and trays of the selected printer, or of "No Printer Installed" without one.
    QStringList GetPaperNames() const;
    QStringList GetBinNames() const;
    /// The entry the printer name resolves to; null when there is none.
    TppPrinterInfo* PrinterInfo() const;

    /// From another setup: everything but the hooks and the owner, without calling a hook.
    void Assign(TPersistent* Source) override;
    /// Same resolved printer and orientation.
    bool IsSamePage(const TppPrinterSetup& aOther) const;
    /// Same resolved printer, tray, collation, copies, document name, duplex, orientation and
    /// geometry.
    bool IsEqual(const TppPrinterSetup& aOther) const;
    /// Applies the PaperWidth and PaperHeight read while the owner was being read, converted
    /// from Units (old templates).
    void ConvertLoadedPaperSize();

    /// The paper of the selected printer whose size is within 1 mm of the page's (widths
    /// against heights in landscape); "Custom" when none; the cached name without a printer.
    QString PaperNameBySize();

    TppValidatePageDefEvent OnValidatePageDef;
    TppPrinterSetupEvent OnPageDefChange;
    TppPrinterSetupEvent OnPrinterChange;
    TppGetPrinterEvent OnGetPrinter;

    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;

private:
    bool ownerReading() const;
    /// The printer the conversions use: only for printer pixels, OnGetPrinter's answer, else
    /// the global printer's.
    const report::PrinterResolution* conversionPrinter() const;
    float fromMM(int value, int resolution) const;
    int toMM(float value, int resolution) const;
    /// Offers the candidate (already changed) to the validate hook and takes it when accepted.
    bool validateAndApply(bool derivePaperName);
    void printerChanged();

    bool m_collation = true;
    int m_copies = 1;
    QString m_documentName;
    TppDuplexType m_duplex = TppDuplexType::dpNone;
    TPrinterOrientation m_orientation = TPrinterOrientation::poPortrait;
    QString m_printerName = QStringLiteral("Default");
    QString m_binName = QStringLiteral("Default");
    QString m_paperName = QStringLiteral("Custom");
    TppUnitType m_units = TppUnitType::utInches;
    std::unique_ptr<TppPageDef> m_pageDef;
    std::unique_ptr<TppPageDef> m_candidate;
    QPointer<TComponent> m_owner;
    std::optional<float> m_loadedPaperHeight;
    std::optional<float> m_loadedPaperWidth;
    bool m_activeFlag = true;
};

namespace report {
/// The global printer for printer-pixel conversions of setups without OnGetPrinter; the
/// output side installs it. Without one the screen's resolution is used.
void SetGlobalPrinterResolution(std::function<const PrinterResolution*()> aProvider);
const PrinterResolution* GlobalPrinterResolution();
}  // namespace report
