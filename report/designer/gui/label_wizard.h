#pragma once

// The label wizard ("Label Templates" in New Items): the user picks a printer type, a label
// set and a label stock, sees one page of the stock with a sample label in each place, and
// chooses a paper tray; on OK the wizard reduces the owner's report to its detail band and
// gives it the stock's paper, margins, label size, row gap and columns, and the tray.

#include "report/designer/labels/label_set.h"
#include "report/output/gui/form.h"
#include "report/output/wizard.h"

#include <QPointer>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class TppDetailBand;
class TppLabelTemplateWizardDialog;
class TppProducer;
class TppReport;
class TppShape;
class TppViewer;
namespace report {
class ReportPageSource;
}

class TppLabelTemplateWizard : public TppCustomReportWizard {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppLabelTemplateWizard(TComponent* aOwner = nullptr);
    ~TppLabelTemplateWizard() override;

    /// "Label Templates" (message 1119).
    static QString ClassCaption(TClass aClass);
    /// The picture resource "TPPREPORTWIZARD".
    static QImage ClassBitmap(TClass aClass);

    /// Shows the dialog; on OK asks the owner for a report (empty data name), builds it when
    /// one comes and answers true (also without a report); Cancel answers false.
    bool Execute() override;
    TppCustomReport* GetReport() const override { return m_report; }
    /// The name of the report's template; empty without a report.
    QString GetReportName() const override;

    /// The dialog while Execute runs, else null.
    TppLabelTemplateWizardDialog* Dialog() const { return m_dialog; }

private:
    /// Keeps only the detail band and applies the chosen stock and tray.
    void Build(TppCustomReport* aReport);

    QPointer<TppCustomReport> m_report;
    TppLabelTemplateWizardDialog* m_dialog = nullptr;
};

class TppLabelTemplateWizardDialog : public TppForm {
    Q_OBJECT
public:
    explicit TppLabelTemplateWizardDialog(QObject* aOwner = nullptr);
    ~TppLabelTemplateWizardDialog() override;

    void LanguageChanged() override;

    TppLabelTemplateWizard* Wizard = nullptr;
    /// 0 laser and ink jet, 1 dot matrix.
    std::uint8_t PrinterType() const { return m_printerType; }
    /// The stock last shown.
    const TppLabelDefinition& Definition() const { return m_definition; }
    /// The preview report (Letter, one page, one shape in its detail band).
    TppReport* PreviewReport() const { return ppReport1; }

    QFrame* bvlPrinterInfo;
    QLabel* lblPrinterInfo;
    QRadioButton* rbDotMatrix;
    QRadioButton* rbLaserJet;
    QLabel* lblPaperTray;
    QComboBox* cbxPaperTrays;
    QLabel* lblProducts;
    QComboBox* cbxLabelProducts;
    QListWidget* lbxLabels;
    QFrame* bvlLabelInfo;
    QLabel* lblLabelInfo;
    QLabel* lblLabelInfoType;
    QLabel* lblType;
    QLabel* lblLabelInfoHeight;
    QLabel* lblHeight;
    QLabel* lblLabelInfoWidth;
    QLabel* lblWidth;
    QLabel* lblLabelInfoPageSize;
    QLabel* lblPageSize;
    TppViewer* ppViewer1;
    QPushButton* btnCancel;
    QPushButton* btnOK;

    /// Stores the printer type, lists its label sets ("Avery Standard" chosen when present)
    /// and their stocks.
    void SetPrinterType(std::uint8_t aType);
    /// Lists the stocks of the chosen set, chooses the first and shows it.
    void FillLabels();
    /// Parses the chosen stock, applies it to the preview report, shows its information and
    /// publishes the preview again.
    void ShowLabel();

private:
    void FillPaperTrays();
    void rbPrinterTypeClick(QRadioButton* aButton);

    std::uint8_t m_printerType = 0;
    TppLabelDefinition m_definition;
    std::unique_ptr<TComponent> m_previewOwner;  ///< owns the preview report, its band and shape
    TppReport* ppReport1;
    TppDetailBand* m_detailBand;
    TppShape* ppShape1;
    std::unique_ptr<TppProducer> m_producer;
    std::unique_ptr<report::ReportPageSource> m_pageSource;
    bool m_updating = false;
};

namespace report {
/// Registers the label sets and the label wizard in the wizard registry (idempotent).
void RegisterLabelTemplateWizard();
void UnRegisterLabelTemplateWizard();
}  // namespace report
