#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class TMainForm;

/// The wizard "Create Dossara Shortcut": where a shortcut that starts the program on the
/// open database is written (the desktop, a sub-folder of the user's applications menu, or
/// a chosen folder) and its name.
///
/// Pages: StartPage (shown while the database's Wizards/Shortcut/Control "WizardOn" is on)
/// -> LocationPage or DesktopPage; with the start page off the wizard opens on LocationPage
/// and both Back buttons are hidden. The Create buttons close it with OK once ShortcutFolder
/// and ShortcutName are set (a missing folder made on request).
class TShortcutWizard : public QDialog {
    Q_OBJECT
public:
    explicit TShortcutWizard(QWidget* parent = nullptr);

    QString ShortcutName;
    QString ShortcutFolder;

    QStackedWidget* Pages;
    QWidget *StartPage, *LocationPage, *DesktopPage;
    // start page
    QPushButton *CreateOnDesktopBtn, *CreateUserLocBtn;
    QCheckBox* DoNotShowWiz;
    QPushButton *StartCancelBtn, *StartHelpBtn;
    // location page
    QLineEdit* DBName1;
    QRadioButton *OnDesktop, *InStartMenu, *InFolder;
    QLabel* DBPathLabel;
    QLineEdit* DBPath;
    QPushButton *DBPathBrowseBtn, *Create1Btn, *Back1Btn, *Cancel1Btn, *Help1Btn;
    // desktop page
    QLineEdit* DBName2;
    QPushButton *Create2Btn, *Back2Btn, *Cancel2Btn, *Help2Btn;

    /// Shows or hides the start page and the Back buttons.
    void SetStartPageOn(bool on);
    void LocationGroupClick();
    void Create1BtnClick();
    void Create2BtnClick();
    void DBPathBrowseBtnClick();

private:
    void updateCreate1();
};

/// Runs the wizard for the open database; on OK writes the launcher of `programFile` with
/// "/DB:<open folder>" and tells the user it was created, or why it could not be. Stores
/// "WizardOn" after every run. True when a shortcut was written.
bool RunShortcutWizard(const QString& programFile);

/// Registers the command "A_FileShortcut" (File > Shortcut) with this program's file.
void InstallShortcutWizard(TMainForm* mainForm);
