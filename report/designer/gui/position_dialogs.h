#pragma once

// The position dialogs: exact geometry typed in the report's units, stepped with small arrow
// buttons, applied through the caller's apply hook (Apply and OK) or cancelled. The object
// dialog edits a component's Left, Top, Width, Height and, where its class has them, Bottom
// Offset, Overflow Offset and Stop Position; the band dialog a band's Height, Bottom Offset,
// Print Position, Print Count and Bands Per Record.

#include "report/output/design_dialogs.h"
#include "report/output/gui/form.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class TppUpDown;

/// One numeric row: label, edit and arrows, the value it edits and its rules.
struct PositionRow {
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
    TppUpDown* arrows = nullptr;
    bool integer = false;
    /// The smallest value the arrows step to; none when unlimited.
    std::optional<double> min;
    /// The down arrow does nothing while the value is 0.
    bool stopAtZero = false;
};

class TppPositionDialog : public TppForm, public TppCustomPositionDialog {
    Q_OBJECT
public:
    explicit TppPositionDialog(QObject* aOwner = nullptr);

    void LanguageChanged() override;

    QLabel *lblLeft, *lblTop, *lblWidth, *lblHeight, *lblBottomOffset, *lblOverFlowOffset, *lblStopPosition;
    QLineEdit *edtLeft, *edtTop, *edtWidth, *edtHeight, *edtBottomOffset, *edtOverFlowOffset, *edtStopPosition;
    QPushButton* btnApply;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    /// The arrow step in the report's units.
    double Step() const;
    /// Steps the row of that edit by one arrow click (+1 up, -1 down).
    void StepEdit(QLineEdit* aEdit, int aDirection);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    float* valueOf(QLineEdit* aEdit);
    bool readEdit(QLineEdit* aEdit);
    void btnApplyClick();
    void btnOKClick();
    QList<PositionRow> m_rows;
    bool m_activated = false;
    bool m_readFailed = false;
};

class TppBandPositionDialog : public TppForm, public TppCustomBandPositionDialog {
    Q_OBJECT
public:
    explicit TppBandPositionDialog(QObject* aOwner = nullptr);

    void LanguageChanged() override;

    QLabel *lblHeight, *lblBottomOffset, *lblPrintPosition, *lblPrintCount, *lblBandsPerRecord;
    QLineEdit *edtHeight, *edtBottomOffset, *edtPrintPosition, *edtPrintCount, *edtBandsPerRecord;
    QPushButton* btnApply;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    double Step() const;
    void StepEdit(QLineEdit* aEdit, int aDirection);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    bool readEdit(QLineEdit* aEdit);
    void showValues();
    void btnApplyClick();
    void btnOKClick();
    QList<PositionRow> m_rows;
    bool m_activated = false;
    bool m_readFailed = false;
    int m_measuredWidth = -1;  ///< widest button text before the texts were loaded
};

namespace report {
/// The arrow step of a unit: 1 screen pixel or millimetre, 0.1 inch, 50 printer pixels, 1000
/// thousandths of a millimetre.
double PositionStep(TppUnitType aUnits);
/// Whether the object's class has that published value (a property, or a length it streams).
bool HasPublishedValue(const QObject* aObject, const QString& aName);
/// An integer published value by name (a property or a streamed integer); 0 without one.
int PublishedInteger(const QObject* aObject, const QString& aName);
void SetPublishedInteger(QObject* aObject, const QString& aName, int aValue);
/// Enter in the numeric edit reads it (editingFinished) and goes no further, so the dialog's
/// default button is not pressed with a value that was just refused.
void ReadOnEnter(QLineEdit* aEdit);
void RegisterPositionDialogs();
void UnRegisterPositionDialogs();
}  // namespace report
