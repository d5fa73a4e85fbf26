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
class TMainForm;

/// The wizard "New Database": a new database folder as a copy of a template, as an empty
/// copy of an existing database (same Views and settings, no records), or as a copy of the
/// blank template (ID 1).
///
/// Pages: StartPage -> TemplatePage, ExistingPage or BlankPage (Back returns). Each page's
/// "Create database" is enabled while its paths are not blank; it refuses, with the
/// offending path focused: a template whose folder is missing or holds no database (10114),
/// the open database's own folder (10128), a folder `core::ValidateFolder` refuses; a copy
/// that fails is reported (10112) and the wizard stays. A database made asks whether to open
/// it, and the wizard closes with OK.
class TNewDBWizard : public QDialog {
    Q_OBJECT
public:
    TNewDBWizard(TMainForm& mainForm, std::vector<TTemplateItem> templates, QWidget* parent = nullptr);

    QString DefaultFolder;  ///< "<Documents>/Dossara/"
    QString TemplateFolder;  ///< the Path of the template selected last

    QStackedWidget* Pages;
    QWidget *StartPage, *TemplatePage, *ExistingPage, *BlankPage;
    QPushButton *TemplateBtn, *ExistingBtn, *BlankBtn, *StartCancelBtn, *StartHelpBtn;
    QListWidget* TemplateList;
    QPlainTextEdit* TemplateDescription;
    QPushButton* TemplateHelpBtn;
    QLabel* DBPath1Label;
    QLineEdit *DBPath1, *DBPath2Existing, *DBPath2New, *DBPath3;
    QPushButton *Browse1Btn, *Browse2ExistingBtn, *Browse2NewBtn, *Browse3Btn;
    QPushButton *Create1Btn, *Create2Btn, *Create3Btn;

    void TemplateListChange();
    void Create1BtnClick();
    void Create2BtnClick();
    void Create3BtnClick();

private:
    const TTemplateItem* selectedTemplate() const;
    void setPathControls(bool enabled);
    void updateCreateButtons();
    void browse(QLineEdit* edit, bool allowEdit);
    /// The checks every way makes of the new path; false (path focused) when refused.
    bool acceptNewPath(QLineEdit* edit, QString& path);
    /// Copies `from` into `to`; false after the failure message.
    bool copyDatabase(const QString& from, const QString& to);
    void askOpen(const QString& folder, const QString& question, const QString& reopen = {});

    TMainForm& m_form;
    std::vector<TTemplateItem> m_templates;
    bool m_busy = true;
};

/// File > New database: runs the wizard over the template library; true when it made a
/// database.
bool RunNewDatabaseWizard(TMainForm& mainForm);

/// Registers the command "A_FileNew" for this main window.
void InstallNewDatabaseWizard(TMainForm* mainForm);

namespace services {
/// Empties and packs the record tables of a database copy: Hierarchy.DB, HierarchyDict.db,
/// and the table and word table of every View its settings table defines. A table that
/// cannot be emptied is reported ("Unable to empty table <name>.", 10110) and the next one
/// follows. Answers the tables emptied.
QStringList EmptyDatabaseTables(const QString& folder);
/// Empties and packs the named table files of `folder` (names matched ignoring case; a
/// missing file is skipped). A word table named in `wordTables` keeps its row of index
/// settings. Failures are reported as above. Answers the files emptied.
QStringList EmptyTableFiles(const QString& folder, const QStringList& tables, const QStringList& wordTables);
}  // namespace services
