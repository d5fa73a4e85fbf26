#pragma once

// The barcode components: TppBarCode encodes its fixed Data, TppDBBarCode the value of a
// data field. The component keeps the symbology settings, refuses settings the symbology
// cannot take (with the numbered message, in an information box), validates its data, sizes
// itself to the symbol and hands everything to a TppDrawBarCode when a page is generated.

#include "report/model/custom_component.h"
#include "report/page/draw_barcode.h"

#include "platform/stream/property_table.h"

#include <functional>

namespace report {

/// The values the Configure dialog edits (BarWidth in the report's unit).
struct BarCodeSettings {
    TppBarCodeType BarCodeType = TppBarCodeType::bcCode39;
    TppBarCodeOrientation Orientation = TppBarCodeOrientation::orLeftToRight;
    double BarWidth = 0;
    double WideBarRatio = 3;
    QString AddOnCode;
    bool BearerBars = false;
    bool CalcCheckDigit = true;
    bool AutoEncode = false;
};
/// Runs the form registered for TppCustomBarCodeDialog: given the settings, the report's
/// unit and the apply step (run by Apply and OK); answers true when closed with OK, with
/// the settings as the dialog left them. The designer's dialog installs it.
using BarCodeConfigurePrompt = std::function<bool(BarCodeSettings& aSettings, TppUnitType aUnits,
                                                  const std::function<void(const BarCodeSettings&)>& aApply)>;
BarCodeConfigurePrompt SetBarCodeConfigurePrompt(BarCodeConfigurePrompt aPrompt);
const BarCodeConfigurePrompt& configurePromptAccess();

/// The sample text of a type, with or without check-digit calculation; Code 39's sample
/// names the data-aware class.
QString BarCodeSample(TppBarCodeType aType, bool aCalcCheckDigit, bool aDataAware);
/// The default narrow bar width of a type, in inches.
double BarCodeDefaultBarWidth(TppBarCodeType aType);

}  // namespace report

class TppCustomBarCode : public TppCustomComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomBarCode(TComponent* AOwner = nullptr);
    ~TppCustomBarCode() override;

    QString AddOnCode() const { return m_addOnCode; }
    void SetAddOnCode(const QString& v);
    bool AutoEncode() const { return m_autoEncode; }
    void SetAutoEncode(bool v);
    /// False is refused for POSTNET and FIM (message 425).
    void SetAutoSize(bool v);
    bool AutoSizeFont() const { return m_autoSizeFont; }
    void SetAutoSizeFont(bool v);
    TppBarCodeType BarCodeType() const { return m_barCodeType; }
    void SetBarCodeType(TppBarCodeType v);
    paint::TColor BarColor() const { return m_barColor; }
    void SetBarColor(paint::TColor v);
    /// In the report's unit; stored in mm-thousandths ("mmBarWidth").
    float BarWidth() const;
    void SetBarWidth(float v);
    int mmBarWidth() const { return m_mmBarWidth; }
    bool BearerBars() const { return m_bearerBars; }
    void SetBearerBars(bool v);
    bool CalcCheckDigit() const { return m_calcCheckDigit; }
    void SetCalcCheckDigit(bool v);
    QString Data() const { return m_data; }
    void SetData(const QString& v);
    TppBarCodeOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TppBarCodeOrientation v);
    bool PrintHumanReadable() const { return m_printHumanReadable; }
    void SetPrintHumanReadable(bool v);
    float WideBarRatio() const;
    void SetWideBarRatio(float v);
    int mmWideBarRatio() const { return m_mmWideBarRatio; }
    bool CodeOK() const { return m_codeOK; }

    /// Whether the data suits the type; reports the refusal when not.
    bool Validate(const QString& aData);
    /// The data to encode (the data-aware class reads its field).
    virtual QString GetData() const { return m_data; }
    /// Opens the Configure dialog through the installed prompt and applies its values.
    void Configure();
    /// AutoSize, AutoSizeFont, Configure, PrintHumanReadable, ReprintOnOverFlow,
    /// ShiftWithParent and Transparent.
    QList<report::DesignPopupItem> DesignPopupItems() override;
    void ApplySettings(const report::BarCodeSettings& aSettings);
    report::BarCodeSettings Settings() const;
    /// The measuring command, filled like a page's and measured at the printer's (else the
    /// screen's) resolution; auto-size takes its size.
    TppDrawBarCode& MeasuringCommand();
    /// The design picture at the screen's resolution.
    QImage DesignPicture();

    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    void DefineProperties(stream::Filer& filer) override;

protected:
    void reMeasure();
    void refuse(int aMessage, const QStringList& aArgs = {});
    bool loading() const;
    template <class T>
    static void addBarCodeProperties(stream::PropertyTable<T>& t);

    QString m_data = QStringLiteral("Barcode");
    bool m_codeOK = true;
    bool m_quiet = false;

private:
    QString m_addOnCode;
    bool m_autoEncode = false;
    bool m_autoSizeFont = true;
    TppBarCodeType m_barCodeType = TppBarCodeType::bcCode39;
    paint::TColor m_barColor = paint::clBlack;
    int m_mmBarWidth = 254;
    bool m_bearerBars = false;
    bool m_calcCheckDigit = true;
    TppBarCodeOrientation m_orientation = TppBarCodeOrientation::orLeftToRight;
    bool m_printHumanReadable = true;
    int m_mmWideBarRatio = 76200;
    std::unique_ptr<TppDrawBarCode> m_measuring;
};

class TppBarCode : public TppCustomBarCode {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppBarCode(TComponent* AOwner = nullptr);
    const stream::PropertyList& StreamProperties() const override;
};

class TppDBBarCode : public TppCustomBarCode {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDBBarCode(TComponent* AOwner = nullptr);
    bool IsDataAware() const override { return true; }
    /// The field's value; without a readable field, empty while generating and the type's
    /// sample otherwise.
    QString GetData() const override;
    const stream::PropertyList& StreamProperties() const override;
};
