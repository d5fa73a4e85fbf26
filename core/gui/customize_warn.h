#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

/// "Customization": the warning shown before a View is customised, with the switch "Do not
/// show this warning again".
class TCustomizeWarn : public QDialog {
    Q_OBJECT
public:
    explicit TCustomizeWarn(QWidget* parent = nullptr);

    QLabel* WarningLabel;
    QPlainTextEdit* WarnMemo;
    QCheckBox* DontShowCheck;
    QPushButton* OKBtn;
    QPushButton* HelpBtn;
};

namespace core {

/// Shows the customize warning unless the settings row Preferences/Messages/Confirmation/
/// "Views: Customize Warning" is false; afterwards stores the negation of "Do not show this
/// warning again" there. Customizing goes on whatever the user does in it.
void ShowCustomizeWarning(QWidget* parent = nullptr);

}  // namespace core
