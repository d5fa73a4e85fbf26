#pragma once

#include "services/gui/template_list.h"

#include <QDialog>
#include <QString>

#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class TMainDataMod;
class TMainForm;

/// The "Getting Started Wizard": a guide in the help, a new database from a template, or
/// simply starting the program.
///
/// Pages: StartPage -> ("Help me create a database") TemplatePage <-> NewDBPage, which
/// copies the chosen template into DBPath and closes with OK; "Skip this help, just start
/// Dossara" closes with OK and an empty DBPath; any other close is a Cancel.
class TStartupWizard : public QDialog {
    Q_OBJECT
public:
    explicit TStartupWizard(std::vector<TTemplateItem> templates, QWidget* parent = nullptr);

    QString DefaultFolder;  ///< "<Documents>/Dossara/"
    QString TemplatePath;   ///< the folder of the selected template
    QString TemplateName;

    QStackedWidget* Pages;
    QWidget *StartPage, *TemplatePage, *NewDBPage;
    QPushButton *GetGoingBtn, *NewDBBtn, *StartDSBtn;
    QListWidget* TemplateList;
    QPlainTextEdit* TemplateDesc;
    QPushButton *TemplateHelpBtn, *TemplateBackBtn, *TemplateHelpPageBtn, *NextBtn;
    QLabel* UsingTemplate;
    QLineEdit* DBPath;
    QPushButton *BrowseBtn, *NewDBBackBtn, *NewDBHelpBtn, *CreateBtn;

    void TemplateListChange();
    void CreateBtnClick();

private:
    const TTemplateItem* selectedTemplate() const;
    std::vector<TTemplateItem> m_templates;
};

/// Runs the wizard over the data module's template library. True when the user skipped it
/// (`Folder` empty) or made a database (`Folder` its folder); false when it was closed in any
/// other way.
bool RunStartupWizard(TMainDataMod& data, QString& Folder);

/// Installs the wizard for start-up (core::SetStartupWizard) and as Help > Getting started
/// wizard ("A_HelpGetStarted"), which opens the database it made.
void InstallStartupWizard(TMainForm* mainForm);
