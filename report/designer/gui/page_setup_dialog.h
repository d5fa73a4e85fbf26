#pragma once

// The page setup dialog: a report's printer setup (printer, document name, copies, collation,
// duplex, paper, orientation, tray, margins) and its column layout (columns, column width,
// column positions, row spacing) on five tabs, with a picture of the page beside them.
//
// Every change goes to the report at once and the picture follows it. Numeric edits apply
// their value when they are left (except for Cancel) and on Enter; OK takes a value still
// being typed first; a value that is not a number shows "Invalid Value" and keeps the dialog
// open. Cancel, Escape and the window's close button put back the printer setup, the
// columns, the column positions, the column width and the detail band's row spacing as they
// were when the report was assigned.

#include "report/output/gui/form.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class TppBand;
class TppCustomReport;
class TppPageDef;
class TppPrinterSetup;
class TppUpDown;

/// The picture of the page: the sheet with its shadow, centred in the control, and dashes for
/// the text lines inside the margins, in as many columns as the layout has; rows of dashes
/// spaced wider with a positive row spacing and closer with a negative one.
class TppPageImage : public QWidget {
    Q_OBJECT
public:
    explicit TppPageImage(QWidget* aParent = nullptr);
    ~TppPageImage() override;

    /// Takes a copy of the page definition and redraws.
    void SetPageDef(const TppPageDef& aPageDef);
    void SetColumns(int aColumns);
    void SetRowSpacing(float aRowSpacing);
    const TppPageDef& PageDef() const { return *m_pageDef; }
    /// The picture as last drawn (the control's size).
    const QImage& Bitmap() const { return m_bitmap; }
    /// The sheet's rectangle in the picture (shadow included); empty before the first drawing.
    QRect PageRect() const { return m_pageRect; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void render();
    std::unique_ptr<TppPageDef> m_pageDef;
    QImage m_bitmap;
    QRect m_pageRect;
    int m_columns = 1;
    float m_rowSpacing = 0;
};

class TppPageSetupDialog : public TppForm, public TppCustomPageSetupDialog {
    Q_OBJECT
public:
    explicit TppPageSetupDialog(QObject* aOwner = nullptr);
    ~TppPageSetupDialog() override;

    void LanguageChanged() override;
    void ReportAssigned() override;
    /// Cancel: puts the saved values back, then closes (also Escape and the close button).
    void reject() override;

    /// The arrow step in the report's units: 0.5 inch, 5 mm, 50 screen pixels, 300 printer
    /// pixels or 5000 thousandths of a millimetre.
    float SpinStep() const { return m_spinStep; }
    /// The working column positions, in the report's units.
    const QStringList& WorkingPositions() const { return m_columnPositions; }

    QTabWidget* pgcPageSetup;
    QWidget* tshPrinter;
    QWidget* tshPaperSize;
    QWidget* tshPaperSource;
    QWidget* tshLayout;
    QWidget* tshMargins;
    // Hidden labels carrying the captions of tabs 1 to 4.
    QLabel* lblPaperSizeTab;
    QLabel* lblPaperSourceTab;
    QLabel* lblLayoutTab;
    QLabel* lblMarginsTab;

    QLabel* lblPrinterName;
    QComboBox* cbxPrinterName;
    QLabel* lblDocumentName;
    QLineEdit* edtDocumentName;
    QLabel* lblCopies;
    QLineEdit* edtCopies;
    TppUpDown* udCopies;
    QCheckBox* ckbCollation;
    QLabel* lblCollation;
    QLabel* lblDuplex;
    QComboBox* cbxDuplex;

    QLabel* lblPaperName;
    QComboBox* cbxPaperName;
    QLabel* lblPaperWidth;
    QLineEdit* edtPaperWidth;
    TppUpDown* udPaperWidth;
    QLabel* lblPaperHeight;
    QLineEdit* edtPaperHeight;
    TppUpDown* udPaperHeight;
    QGroupBox* gbxOrientation;
    QRadioButton* rdbPortrait;
    QRadioButton* rdbLandscape;
    QLabel* imgOrientation;

    QLabel* lblPaperSource;
    QListWidget* lbxPaperSource;

    QLabel* lblColumns;
    QLineEdit* edtColumns;
    TppUpDown* udColumns;
    QLabel* lblColumnWidth;
    QLineEdit* edtColumnWidth;
    TppUpDown* udColumnWidth;
    QLabel* lblColumnPositions;
    QTableWidget* grdColumnPositions;
    QLabel* lblRowSpacing;
    QLineEdit* edtRowSpacing;
    TppUpDown* udRowSpacing;

    QLabel* lblTopMargin;
    QLineEdit* edtTopMargin;
    TppUpDown* udTopMargin;
    QLabel* lblBottomMargin;
    QLineEdit* edtBottomMargin;
    TppUpDown* udBottomMargin;
    QLabel* lblLeftMargin;
    QLineEdit* edtLeftMargin;
    TppUpDown* udLeftMargin;
    QLabel* lblRightMargin;
    QLineEdit* edtRightMargin;
    TppUpDown* udRightMargin;

    QGroupBox* gbxPreview;
    TppPageImage* ppPageImage;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    /// A click on the collation label toggles the box.
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    enum class Margin { Top, Bottom, Left, Right };

    void btnOKClick();
    void FillPrinterLists();
    void ShowPrinterSetup();
    void ShowLayout();
    void RecomputeColumnPositions();

    void cbxPrinterNameChange();
    void edtDocumentNameExit();
    void edtCopiesExit();
    void udCopiesClick(int aDirection);
    void ckbCollationClick();
    void cbxDuplexChange();
    void cbxPaperNameChange();
    void edtPaperSizeExit(bool aWidth);
    void udPaperSizeClick(bool aWidth, int aDirection);
    void rdbOrientationClick(bool aLandscape);
    void lbxPaperSourceClick();
    void edtColumnsExit();
    void udColumnsClick(int aDirection);
    void edtColumnWidthExit();
    void udColumnWidthClick(int aDirection);
    void edtRowSpacingExit();
    void udRowSpacingClick(int aDirection);
    void edtMarginExit(Margin aMargin);
    void udMarginClick(Margin aMargin, int aDirection);
    void grdColumnPositionsCommit(int aRow, int aColumn);

    /// True while the dialog refills its controls, or when an edit is left for Cancel.
    bool ignoreEdit() const;
    /// Reads a number in the user's number format; shows "Invalid Value" and answers false
    /// when the text is not one.
    bool readNumber(QLineEdit* aEdit, float& aValue);
    void showInvalidValue();
    float margin(Margin aMargin) const;
    void setMargin(Margin aMargin, float aValue);
    QLineEdit* marginEdit(Margin aMargin) const;

    TppCustomReport* m_report = nullptr;
    TppPrinterSetup* m_printerSetup = nullptr;
    TppBand* m_detailBand = nullptr;
    std::unique_ptr<TppPrinterSetup> m_savedPrinterSetup;
    int m_savedColumns = 1;
    QStringList m_savedColumnPositions;
    float m_savedColumnWidth = 0;
    float m_savedBottomOffset = 0;
    QStringList m_columnPositions;
    float m_spinStep = 0.5f;
    bool m_updating = false;
    /// Set by "Invalid Value" and cleared by every value applied: OK does not close after it.
    bool m_invalid = false;
};

namespace report {
/// Registers TppPageSetupDialog for TppCustomPageSetupDialog (idempotent).
void InstallPageSetupDialog();
/// Removes that registration.
void UnInstallPageSetupDialog();
/// The designer's File > Page Setup: the registered form with the report and its language,
/// shown modally and released; nothing without a registered form or a report.
void ShowPageSetupDialog(TppCustomReport* aReport);
}  // namespace report
