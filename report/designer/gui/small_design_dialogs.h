#pragma once

// The designer's small modal dialogs, each editing one setting: a display format, the grid,
// the lines of a memo, the calculation and reset group of a data calculation, the reset group
// of a data text, the component another shifts relative to, the drill-down component of a
// sub-report, the master and detail data of a report, the calculation timing of a variable,
// a mail-merge field, and the library's about box. Callers create them through the dialog
// registry, set their values, show them and read the values back after OK.

#include "report/output/design_dialogs.h"
#include "report/output/gui/form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TppFormatDialog : public TppForm, public TppCustomFormatDialog {
    Q_OBJECT
public:
    explicit TppFormatDialog(QObject* aOwner = nullptr);
    void LanguageChanged() override;
    void GetDisplayFormat(QString& aFormat) const override;
    void SetDisplayFormat(const QString& aFormat) override;
    void SetDisplayFormats(const QStringList& aFormats) override;

    QLabel* lblDisplayFormat;
    QLineEdit* edtDisplayFormat;
    QListWidget* lbxDisplayFormats;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void arrange();
    void lbxDisplayFormatsClick();
};

class TppGridDialog : public TppForm, public TppCustomGridDialog {
    Q_OBJECT
    Q_PROPERTY(bool DisplayGrid READ displayGrid WRITE setDisplayGrid)
    Q_PROPERTY(bool SnapToGrid READ snapToGrid WRITE setSnapToGrid)
    Q_PROPERTY(int XGridSpace READ xGridSpace WRITE setXGridSpace)
    Q_PROPERTY(int YGridSpace READ yGridSpace WRITE setYGridSpace)
public:
    explicit TppGridDialog(QObject* aOwner = nullptr);
    void LanguageChanged() override;

    QCheckBox* cbxDisplayGrid;
    QCheckBox* cbxSnapToGrid;
    QLabel* lblXGridSize;
    QLineEdit* edtXGridSize;
    QLabel* lblYGridSize;
    QLineEdit* edtYGridSize;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    bool displayGrid() const { return DisplayGrid; }
    void setDisplayGrid(bool v) { DisplayGrid = v; }
    bool snapToGrid() const { return SnapToGrid; }
    void setSnapToGrid(bool v) { SnapToGrid = v; }
    int xGridSpace() const { return XGridSpace; }
    void setXGridSpace(int v) { XGridSpace = v; }
    int yGridSpace() const { return YGridSpace; }
    void setYGridSpace(int v) { YGridSpace = v; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    bool validate(QLineEdit* aEdit);
    void btnOKClick();
    bool m_lastValid = true;
};

class TppMemoDialog : public TppForm, public TppCustomMemoDialog {
    Q_OBJECT
public:
    explicit TppMemoDialog(QObject* aOwner = nullptr);
    void LanguageChanged() override;
    void SetLines(const QStringList& aLines) override;
    QStringList GetLines() const override;

    QPlainTextEdit* memMemo;
    QPushButton* btnLoad;
    QPushButton* btnSave;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    /// The file last loaded or saved.
    QString FileName;

private:
    void btnLoadClick();
    void btnSaveClick();
};

/// The reset-group box shared by the calculations and reset-group dialogs.
class TppDBCalcDialog : public TppForm, public TppCustomDBCalcDialog {
    Q_OBJECT
public:
    explicit TppDBCalcDialog(QObject* aOwner = nullptr);
    void LanguageChanged() override;
    void SetResetGroups(const QStringList& aList) override;

    QLabel* lblCalcType;
    QComboBox* cbxCalcType;
    QLabel* lblResetGroup;
    QComboBox* cbxResetGroup;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;
};

class TppDBTextDialog : public TppForm, public TppCustomDBTextDialog {
    Q_OBJECT
public:
    explicit TppDBTextDialog(QObject* aOwner = nullptr);
    void LanguageChanged() override;
    void SetResetGroups(const QStringList& aList) override;

    QLabel* lblResetGroup;
    QComboBox* cbxResetGroup;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;
};

/// The choice of a component from a list (shift relative to, drill-down component).
class TppSelectionDialog : public TppForm, public virtual TppCustomSelectionDialog {
    Q_OBJECT
public:
    explicit TppSelectionDialog(QObject* aOwner, int aCaption, int aLabel, bool aFocusList);
    void LanguageChanged() override;
    void SetSelectionList(const QStringList& aList) override;

    QLabel* lblDescription;
    QComboBox* cbxSelectionList;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int m_caption;
    int m_label;
    bool m_focusList;
};

class TppShiftDialog : public TppSelectionDialog, public TppCustomShiftDialog {
    Q_OBJECT
public:
    explicit TppShiftDialog(QObject* aOwner = nullptr);
};

class TppDrillDownDialog : public TppSelectionDialog, public TppCustomDrillDownDialog {
    Q_OBJECT
public:
    explicit TppDrillDownDialog(QObject* aOwner = nullptr);
};

class TppDataDialog : public TppForm, public TppCustomDataDialog {
    Q_OBJECT
public:
    explicit TppDataDialog(QObject* aOwner = nullptr);
    void LanguageChanged() override;
    void ReportAssigned() override;

    QLabel* lblMasterData;
    QListWidget* lbxMasterData;
    QLabel* lblDetailData;
    QListWidget* lbxDetailData;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// Turns the selected names back into pipelines.
    void takeSelection();
    QStringList m_names;
    QList<QObject*> m_pipelines;
};

class TppCalcTimingDialog : public TppForm, public TppCustomCalcTimingDialog {
    Q_OBJECT
public:
    explicit TppCalcTimingDialog(QObject* aOwner = nullptr);
    void LanguageChanged() override;

    QLabel* lblCalcType;
    QComboBox* cbxCalcType;
    QLabel* lblCalcComponent;
    QComboBox* cbxCalcComponent;
    QLabel* lblResetType;
    QComboBox* cbxResetType;
    QLabel* lblResetComponent;
    QComboBox* cbxResetComponent;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// Sets the second list of one side for the chosen event.
    void eventChosen(QComboBox* aEvent, QLabel* aLabel, QComboBox* aObjects, QObject* aCurrent);
    QObject* objectFor(QComboBox* aEvent, QComboBox* aObjects) const;
    void btnOKClick();
};

class TppMailMergeDialog : public TppForm, public TppCustomMailMergeDialog {
    Q_OBJECT
public:
    explicit TppMailMergeDialog(QObject* aOwner = nullptr);
    void LanguageChanged() override;
    void SetFieldList(const QStringList& aFields) override;
    QStringList GetFieldList() const override;
    QString GetSelectedField() const override;

    QListWidget* lbxFields;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};

class TppAboutDialog : public TppForm, public TppCustomAboutDialog {
    Q_OBJECT
public:
    explicit TppAboutDialog(QObject* aOwner = nullptr);

    QLabel* imgPicture;
    QLabel* lblName;
    QLabel* lblTrademark;
    QLabel* lblVersion;
    QLabel* lblCopyright;
    QLabel* lblCredits;
    QLabel* lblNotice;
    QPushButton* btnOK;
};

namespace report {
void RegisterSmallDesignDialogs();
void UnRegisterSmallDesignDialogs();
}  // namespace report
