#pragma once

// The CrossTab Wizard: a report wizard that builds a whole report around one cross-tab. Page
// "Data Selection" picks the data pipeline and the orientation, page "Calculations" is the
// cross-tab designer panel, page "Finish" takes the title and whether to preview the report
// or go on designing it. The report gets a title label, the cross-tab in the detail band, and
// the print date and page in the footer.

#include "report/output/wizard.h"

#include <QDialog>
#include <QPointer>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class TppCrossTabDesigner;
class TppCrossTabWizard;
class TppDataPipeline;

/// The wizard's three pages.
class TppCrossTabWizardDialog : public QDialog {
    Q_OBJECT
public:
    explicit TppCrossTabWizardDialog(TppCrossTabWizard* aWizard);

    /// Moves by aStep pages (Next +1, Back -1); refused from page 0 without a pipeline.
    void Navigate(int aStep);
    int PageIndex() const;
    void DrawOrientation();

    TppCrossTabWizard* Wizard;
    TppCrossTabDesigner* Designer = nullptr;
    QStackedWidget* nbkWizard;
    QLabel *imgSelectFields, *lblPage1SelectFields, *lblPage1DataName, *imgOrientation;
    QComboBox* cbxDataName;
    QWidget* gbxOrientation;
    QRadioButton *rdbSimplePortrait, *rdbSimpleLandscape;
    QLabel *imgFinish, *lblDescription, *lblPage5ThatsAll, *lblPage5Preview;
    QLineEdit* edtDescription;
    QRadioButton *rdbPreview, *rdbDesign;
    QPushButton *btnCancel, *btnBack, *btnNext, *btnFinish;

protected:
    void done(int r) override;

private:
    void enableButtons();
};

class TppCrossTabWizard : public TppCustomReportWizard {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCrossTabWizard(TComponent* aOwner = nullptr);
    ~TppCrossTabWizard() override;

    /// Message 678 ("CrossTab Wizard").
    static QString ClassCaption(TClass aClass);
    /// The picture "PPREPORTWIZARD".
    static QImage ClassBitmap(TClass aClass);

    bool Execute() override;
    TppCustomReport* GetReport() const override;
    QString GetReportName() const override;
    /// The name of the built report's template (its user name here); empty without a report.
    QString GetDataName() const { return GetReportName(); }
    void SetDataName(const QString& aName) override;

    /// The pipeline a data name stands for (found through the owner's fields), or null.
    TppDataPipeline* PipelineOf(const QString& aName);

    QStringList DataNames;
    int Orientation = 1;  ///< 0 portrait, 1 landscape
    QString ReportDescription;
    TppCrossTabWizardDialog* Dialog() const { return m_dialog; }

private:
    friend class TppCrossTabWizardDialog;
    void layoutReport();
    QPointer<QObject> m_report;
    TppCrossTabWizardDialog* m_dialog = nullptr;
};
