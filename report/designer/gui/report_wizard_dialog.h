#pragma once

#include "report/output/gui/form.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class TppReportWizard;

/// The report wizard's six pages (Field Selection, Group Definition, Simple Layouts, Group
/// Layouts, Styles, Finish) with Cancel, Back, Next and Finish below them. The form holds
/// controls only: every action is passed to its wizard, which keeps the state, enables the
/// buttons and draws the pictures.
class TppReportWizardDialog : public TppForm {
    Q_OBJECT
public:
    explicit TppReportWizardDialog(TppReportWizard* aWizard, QObject* aOwner = nullptr);

    TppReportWizard* Wizard() const { return m_wizard; }
    /// Loads every caption from the numbered texts.
    void LanguageChanged() override;

    QStackedWidget* nbkWizard = nullptr;
    QPushButton *btnCancel = nullptr, *btnBack = nullptr, *btnNext = nullptr, *btnFinish = nullptr;
    // Page 0.
    QLabel *imgSelectFields = nullptr, *lblPage1SelectFields = nullptr, *lblPage1DataName = nullptr;
    QComboBox* cbxDataName = nullptr;
    QLabel* lblPage1AvailableFields = nullptr;
    QListWidget* lbxFieldsAvailable = nullptr;
    QToolButton *spbSelectField = nullptr, *spbSelectAllFields = nullptr, *spbDeselectField = nullptr,
                *spbDeselectAllFields = nullptr;
    QLabel* lblPage1SelectedFields = nullptr;
    QListWidget* lbxFieldsSelected = nullptr;
    QLabel* lblPage1Order = nullptr;
    QToolButton *spbMoveFieldUp = nullptr, *spbMoveFieldDown = nullptr;
    // Page 1.
    QLabel* lblPage2AvailableFields = nullptr;
    QListWidget* lbxGroupFieldsAvailable = nullptr;
    QToolButton *spbSelectGroupField = nullptr, *spbDeselectGroupField = nullptr;
    QLabel* lblPage2Groups = nullptr;
    QListWidget* lbxGroupFieldsSelected = nullptr;
    QLabel* lblPage2Priority = nullptr;
    QToolButton *spbMoveGroupUp = nullptr, *spbMoveGroupDown = nullptr;
    QLabel* imgGroups = nullptr;
    // Page 2.
    QLabel *lblPage3aLayout = nullptr, *imgSimpleLayout = nullptr;
    QGroupBox* gbxSimpleLayout = nullptr;
    QRadioButton *rdbLayoutVertical = nullptr, *rdbLayoutTabular = nullptr;
    QGroupBox* gbxSimpleOrientation = nullptr;
    QRadioButton *rdbSimplePortrait = nullptr, *rdbSimpleLandscape = nullptr;
    QLabel* imgSimpleOrientation = nullptr;
    QCheckBox* cbxSimpleAdjustField = nullptr;
    QLabel* lblSimpleAdjustField = nullptr;
    // Page 3.
    QLabel *lblPage3bLayout = nullptr, *imgGroupLayout = nullptr;
    QGroupBox* gbxGroupLayout = nullptr;
    QRadioButton *rdbLayoutStepped = nullptr, *rdbLayoutBlock = nullptr, *rdbLayoutOutline1 = nullptr,
                 *rdbLayoutOutline2 = nullptr, *rdbLayoutAlignLeft1 = nullptr, *rdbLayoutAlignLeft2 = nullptr;
    QGroupBox* gbxGroupOrientation = nullptr;
    QRadioButton *rdbGroupPortrait = nullptr, *rdbGroupLandscape = nullptr;
    QLabel* imgGroupOrientation = nullptr;
    QCheckBox* cbxGroupAdjustField = nullptr;
    QLabel* lblGroupFieldAdjust = nullptr;
    // Page 4.
    QLabel *lblPage4Style = nullptr, *imgStyle = nullptr;
    QListWidget* lbxStyles = nullptr;
    // Page 5.
    QLabel *imgFinish = nullptr, *lblDescription = nullptr;
    QLineEdit* edtDescription = nullptr;
    QLabel *lblPage5ThatsAll = nullptr, *lblPage5Preview = nullptr;
    QRadioButton *rdbPreview = nullptr, *rdbDesign = nullptr;

    /// The layout radio buttons in the order of their layout numbers.
    QList<QRadioButton*> LayoutButtons() const;

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    void build();
    void connectActions();
    TppReportWizard* m_wizard;
};

namespace report {
/// The report wizard's numbered texts.
void DeclareReportWizardTexts();
}  // namespace report
