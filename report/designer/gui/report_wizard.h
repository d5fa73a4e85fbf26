#pragma once

// The report wizard: the user picks a data source, the fields to show, up to three group
// fields, a layout, a page orientation and a style in a six-page dialog, and the wizard turns
// the empty report its owner supplies into a finished banded report: a title, column labels,
// data components in rows that fit the page, groups with header and footer bands, a footer
// with the print date and the page number, the layout's lines and boxes and the style's fonts
// and colours. Lengths are screen pixels.
//
// The unit also provides the routines the designer's data tree uses to create components for
// fields dropped on a band.

#include "report/model/custom_report.h"
#include "report/output/wizard.h"
#include "report/page/report_types.h"

#include <QFont>
#include <QHash>
#include <QPointer>

class TppBand;
class TppComponent;
class TppCustomReport;
class TppDBText;
class TppField;
class TppFont;
class TppLabel;
class TppReportLayout;
class TppReportStyle;
class TppReportWizardDialog;
class TppShape;
class QListWidget;

enum class TppReportStyleType { rsBold, rsCasual, rsCompact, rsCorporate, rsFormal, rsSoftGray };
enum class TppReportLayoutType { rlVertical, rlTabular, rlStepped, rlBlock, rlOutline1, rlOutline2, rlAlignLeft1, rlAlignLeft2 };

/// The style and layout class names of the enumerations ("TppCorporateStyle", "TppAlignLeft1Layout").
QString ppReportStyleClassName(TppReportStyleType aStyle);
QString ppReportLayoutClassName(TppReportLayoutType aLayout);

class TppReportWizard : public TppCustomReportWizard {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppReportWizard(TComponent* aOwner = nullptr);
    ~TppReportWizard() override;

    /// "Report Wizard".
    static QString ClassCaption(TClass aClass);
    /// The picture resource "PPREPORTWIZARD".
    static QImage ClassBitmap(TClass aClass);

    /// Runs the dialog; on Finish asks the owner for the report and builds it. True when the
    /// dialog was closed with Finish.
    bool Execute() override;
    TppCustomReport* GetReport() const override { return Report; }
    QString GetReportName() const override { return ReportName; }
    /// Stores the name, reloads the field lists (and the dialog's lists) and rebuilds the
    /// group lists.
    void SetDataName(const QString& aName) override;

    /// Builds Report from the choices; nothing without a report.
    void BuildReport();

    // Dialog actions.
    void SelectFields(bool aAll);
    void DeselectFields(bool aAll);
    void MoveSelectedField(int aDelta);
    void AddGroups();
    void RemoveGroups();
    void MoveGroup(int aDelta);
    void SetLayout(TppReportLayoutType aLayout);
    void SetOrientation(int aOrientation);
    void SetStyle(TppReportStyleType aStyle);
    void SetAdjustFieldWidths(bool aAdjust);
    /// Next (+1) or Back (-1), with the page rules.
    void ChangePage(int aDelta);
    /// Stores the name box and the Preview/Design choice and closes the dialog with OK.
    void Finish();
    /// A layout whose column labels go into the innermost group header becomes Tabular when
    /// no group is left.
    void MendLayout();
    /// Rebuilds the group lists from the selected sortable fields.
    void RebuildGroupLists();
    int CurrentPage() const;
    TppReportWizardDialog* Dialog() const { return m_dialog; }
    /// Called by the dialog right after it was created (tests reach the dialog here).
    std::function<void(TppReportWizardDialog*)> OnDialogCreated;

    bool AdjustFieldWidths = true;
    TppFieldList AllFields;
    TppFieldList SelectedFields;
    TppFieldList GroupFields;
    QStringList DataNames;
    TppReportLayoutType Layout = TppReportLayoutType::rlTabular;
    int Orientation = 0;
    TppReportStyleType Style = TppReportStyleType::rsCorporate;
    QString ReportName;
    QPointer<TppCustomReport> Report;

private:
    struct Built {
        TppField* field = nullptr;
        TppComponent* component = nullptr;
        TppLabel* label = nullptr;
        int columnWidth = 0;
        bool inHeader = false;
    };
    void updateOrders();
    void updateFieldButtons();
    void updateGroupButtons();
    void drawGroupsPicture();
    void drawLayoutPictures();
    void moveItems(QListWidget* aFrom, QListWidget* aTo, bool aAll, bool aFirstWhenEnded);
    void setPage(int aPage);
    TppLabel* makeLabel(TppBand* aBand, const QString& aCaption, TppReportStyle* aStyle);
    void place(std::vector<Built>& aBuilt, TppReportLayout* aLayout, TppBand* aDetail);

    TppReportWizardDialog* m_dialog = nullptr;  ///< exists only while Execute runs
};

// Field component routines ---------------------------------------------------------------------

/// TppDBImage for dtBLOB and dtGraphic, TppDBMemo for dtMemo, TppDBText for every other type.
TClass ppGetDataComponentClass(TppDataType aDataType);
/// A data component for the field in the band, bound to it; a text-showing one takes the font
/// and becomes transparent; then sized by ppSizeFieldComponent. The field remembers it.
TppComponent* ppCreateFieldComponent(TppCommunicator* aCommunicator, TppBand* aBand, TppField* aField,
                                     const TppFont* aFont);
/// Text: display width x width of "O" + 4 wide, height of "W" high, the pipeline's alignment;
/// image: stretched, 50 x 50; memo: 150 x 50.
void ppSizeFieldComponent(TppComponent* aComponent);
/// A label with the field's alias, alignment and the font, transparent, sized to its caption.
TppLabel* ppCreateFieldLabel(TppCommunicator* aCommunicator, TppBand* aBand, TppField* aField, const TppFont* aFont);
/// A transparent shape 2 pixels outside the component on every side, sent to the back.
TppShape* ppCreateBorderShape(TppCommunicator* aCommunicator, TppComponent* aComponent);

namespace report {
/// Registers TppReportWizard as the default report wizard, with the styles and layouts;
/// UnRegisterReportWizard removes them.
void RegisterReportWizard();
void UnRegisterReportWizard();
}  // namespace report
