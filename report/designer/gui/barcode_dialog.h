#pragma once

// The barcode's Configure dialog. TppCustomBarCodeDialog holds the values the barcode fills
// in and reads back through the Apply hook; TppBarCodeDialog is the form registered for it.
// InstallBarCodeDialog registers the form and installs the model's Configure seam.

#include "report/model/barcode.h"
#include "report/output/gui/form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class TppCustomBarCodeDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomBarCodeDialog";
    TppUnitType Units = TppUnitType::utInches;
    report::BarCodeSettings Values;
    std::function<void()> OnApply;
    void DoApply() {
        if (OnApply) OnApply();
    }
};

class TppBarCodeDialog : public TppForm, public TppCustomBarCodeDialog {
    Q_OBJECT
public:
    explicit TppBarCodeDialog(QObject* aOwner = nullptr);

    void LanguageChanged() override;
    /// Fills the controls from Values (the type's companion settings applied, the bar
    /// width kept).
    void Activate();
    /// The arrows' step in the report's unit.
    double Step() const;

    QLabel* lblBarCodeType;
    QComboBox* cbxBarCodeType;
    QLabel* lblOrientation;
    QComboBox* cbxOrientation;
    QLabel* lblBarWidth;
    QLineEdit* edtBarWidth;
    QToolButton* udBarWidthUp;
    QToolButton* udBarWidthDown;
    QLabel* lblWideBarRatio;
    QLineEdit* edtWideBarRatio;
    QToolButton* udWideBarRatioUp;
    QToolButton* udWideBarRatioDown;
    QLabel* lblAddOnCode;
    QLineEdit* edtAddOnCode;
    QCheckBox* ckbBearerBars;
    QCheckBox* ckbCalcCheckDigit;
    QCheckBox* ckbAutoEncode;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnApply;

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    void typeChanged(bool aByUser);
    bool readBarWidth();
    bool readRatio();
    bool readAddOn();
    bool cancelActive() const;
    void showNumber(QLineEdit* aEdit, double aValue);
    void ok();
    bool m_filling = false;
};

namespace report {
/// Registers TppBarCodeDialog for TppCustomBarCodeDialog and installs the barcode's
/// Configure seam (idempotent).
void InstallBarCodeDialog();
}  // namespace report
