#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

/// The confirmation dialog: "Confirm Action", a question picture, the message in the
/// read-only memo `MsgMemo`, the fixed explanation, and a bottom panel with `OKBtn`,
/// `CancelBtn`, `HelpBtn` and the check box `DontAsk` ("Don't ask me this again").
/// Each control carries its help context in the property "HelpContext": HelpBtn the base,
/// OKBtn base + 1, CancelBtn base + 2, DontAsk base + 3 (AddHelpBase adds the base).
/// Accepted with OK; Cancel and Escape reject.
class TConfirmer : public QDialog {
    Q_OBJECT
public:
    explicit TConfirmer(QWidget* parent = nullptr);

    void SetText(const QString& text);
    /// Adds `base` to the help context of HelpBtn, OKBtn, CancelBtn and DontAsk.
    void AddHelpBase(int base);
    bool DontAskChecked() const;

private:
    void HelpBtnClick();

    QLabel* Picture;
    QPlainTextEdit* MsgMemo;
    QLabel* InfoLabel;
    QFrame* BottomPanel;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
    QCheckBox* DontAsk;
};

/// The warning dialog: "Warning", a warning picture, the message in `MsgMemo`, and a bottom
/// panel with `OKBtn` (default; Escape closes the dialog too), `HelpBtn` and the check box
/// `DontAsk` ("Don't show this warning again"). Help contexts: HelpBtn the base, OKBtn
/// base + 1, DontAsk base + 2.
class TWarner : public QDialog {
    Q_OBJECT
public:
    explicit TWarner(QWidget* parent = nullptr);

    void SetText(const QString& text);
    void AddHelpBase(int base);
    bool DontAskChecked() const;

    void reject() override;  ///< Escape closes with OK, as the OK button is also the cancel button

private:
    void HelpBtnClick();

    QLabel* Picture;
    QPlainTextEdit* MsgMemo;
    QFrame* BottomPanel;
    QPushButton* OKBtn;
    QPushButton* HelpBtn;
    QCheckBox* DontAsk;
};

namespace core {

/// Installs the presenter that shows TConfirmer and TWarner through the dialog service for
/// ConfirmAction and ShowWarning. The program calls it at start-up; tests call it too.
void InstallConfirmationDialogs();

/// The help context a control carries (property "HelpContext"; 0 when none).
int HelpContextOf(const QObject* control);

}  // namespace core
