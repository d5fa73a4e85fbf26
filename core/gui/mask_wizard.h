#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace db {
class Table;
}
namespace format {
class MaskedLineEdit;
}

/// "Mask Builder": helps to pick a mask from the mask library, adapt one, or compose one
/// character by character with a trial box. Pages: start (use a library mask?), library,
/// mask (edit and try), finish. With the wizard switched off (or started by the mask library
/// manager) it opens on the mask page with "&OK".
///
/// The built mask is empty until a button accepts one; the wizard then ends with OK.
class TMaskWizard : public QDialog {
    Q_OBJECT
public:
    TMaskWizard(db::Table& maskLib, QChar typeLetter, const QString& initialMask, bool fromLibraryManager,
                QWidget* parent = nullptr);

    const QString& BuiltMask() const { return m_builtMask; }
    bool SaveToLibrary() const;
    bool DontShowAgain() const;
    bool WizardOn() const { return m_wizardOn; }

private:
    void showPage(QWidget* page);
    bool maskPasses(const QString& mask);
    void UseLibraryMaskClick();
    void ModifyMaskClick();
    void FinishClick(bool finishAtOnce);
    void UseFinishedMaskClick();
    int selectedID() const;
    QString maskOfID(int id);

    db::Table& m_maskLib;
    QChar m_type;
    bool m_fromManager;
    bool m_wizardOn;
    QString m_builtMask;

public:
    QStackedWidget* Pages;
    QWidget* StartPage;
    QWidget* LibraryPage;
    QWidget* MaskPage;
    QWidget* FinishPage;
    QPushButton* YesBtn;
    QPushButton* NoBtn;
    QCheckBox* DontShowCheck;
    QPlainTextEdit* LibraryText;
    QTreeWidget* MaskList;
    QPushButton* UseLibraryMaskBtn;
    QPushButton* ModifyMaskBtn;
    QPushButton* NewMaskBtn;
    QPushButton* LibraryBackBtn;
    QLineEdit* MaskEdit;
    QPushButton* LibraryBtn;
    QTreeWidget* CharList;
    format::MaskedLineEdit* TrialEdit;
    QCheckBox* SaveMaskCheck;
    QPushButton* MaskBackBtn;
    QPushButton* FinishBtn;
    QPushButton* MaskOKBtn;
    QLineEdit* FinishedMask;
    QCheckBox* FinishSaveCheck;
    QPushButton* UseMaskBtn;
    QPushButton* FinishBackBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
};

namespace core {

/// Runs the mask wizard over the mask library table (opened when closed, closed again
/// afterwards): the built mask, or the empty text when it was cancelled. With OK, when the
/// library manager started it or "Save this mask in the mask library" is ticked, "Mask
/// Information" runs in mode 'W'. Unless the library manager started it, the setting
/// Wizards/MaskBuilder/Control/"WizardOn" becomes the opposite of "Do not show this wizard
/// next time".
QString RunMaskWizard(db::Table& maskLib, QChar typeLetter, const QString& initialMask, bool fromLibraryManager,
                      QWidget* parent = nullptr);

}  // namespace core
