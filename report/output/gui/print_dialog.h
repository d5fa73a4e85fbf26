#pragma once

#include "report/output/device.h"
#include "report/output/gui/form.h"

#include <QImage>

#include <memory>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;
class TppPageRequest;
class TppPrinterSetup;
class TppUpDown;

/// The print dialog: the printer, the pages (all, the current one or ranges such as
/// "2-4,1", odd or even pages), copies and collation, and printing to a file through any
/// registered file device. It edits the printer's own setup directly.
class TppPrintDialog : public TppForm, public TppCustomPrintDialog {
    Q_OBJECT
public:
    explicit TppPrintDialog(QObject* aOwner = nullptr);
    ~TppPrintDialog() override;

    void Init() override;
    void LanguageChanged() override;

    /// The two pictures of the copies frame, 102 by 53 pixels.
    static QImage CollatePicture(bool aCollated);

    QLabel* lblPrinterName;
    QComboBox* cbxPrinters;
    QLabel* lblNoPrintersInstalled;
    QLabel* lblPrinterType;
    QLabel* lblPrinterTypeDesc;
    QLabel* lblPrinterWhere;
    QLabel* lblPrinterWhereDesc;
    QRadioButton* rdbAll;
    QRadioButton* rdbCurrentPage;
    QRadioButton* rdbPages;
    QLineEdit* edtPageRange;
    QLabel* lblPageRangeDescription;
    QLabel* lblNumberOfCopies;
    QLineEdit* edtCopies;
    TppUpDown* udCopies;
    QCheckBox* cbxCollate;
    QLabel* imgCollate;
    QLabel* lblPrintWhat;
    QComboBox* cbxPrintWhat;
    QWidget* pnlPrintToFile;
    QCheckBox* cbxPrintToFile;
    QLabel* lblPrintToFileType;
    QComboBox* cbxPrintToFileTypes;
    QLabel* lblPrintToFileWhere;
    QLineEdit* edtPrintToFileName;
    QToolButton* spbPrintToFile;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TppPrinterSetup* setup() const;
    void printerChosen();
    void showPrinterEntry();
    void collateChanged();
    void updateFileControls();
    void fileNameEdited();
    void browseClicked();
    void okClicked();
    TppDeviceClass selectedFileClass() const;
    static bool isArchiveClass(TppDeviceClass aClass);

    bool m_busy = false;
    int m_fullHeight = 0;
};
