#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TMainForm;

/// The dialog "Save Database as Template": the folder and name of the new template, its
/// picture and description, and the Views whose records the template keeps.
///
/// OK refuses a blank path (10091), a blank name (10092), the open database's own folder
/// (10128), a name or folder another template uses, and a folder `core::ValidateFolder`
/// refuses; otherwise it saves the template (SaveTemplate) and closes when that succeeded.
class TSaveTemplate : public QDialog {
    Q_OBJECT
public:
    explicit TSaveTemplate(TMainForm& mainForm, QWidget* parent = nullptr);

    QLineEdit* DBPath;
    QPushButton* BrowseBtn;
    QLineEdit* TemplateName;
    QLabel* TemplateImage;
    QPlainTextEdit* Description;
    QListWidget* CopyViewList;
    QLabel* Status;
    QPushButton *TemplateManagerBtn, *OKBtn, *CancelBtn, *HelpBtn;

    const QImage& Picture() const { return m_picture; }
    void SetPicture(const QImage& picture);

    void OKBtnClick();
    void BrowseBtnClick();
    void TemplateImageDblClick();
    void TemplateManagerBtnClick();
    /// Copies the open database into the template folder, cleans the copy, rebuilds it and
    /// adds the library row; false after the failure was reported.
    bool SaveTemplate(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showStatus(const QString& text);

    TMainForm& m_form;
    QImage m_picture;
};

/// Shows the dialog with `Path`; on OK answers true and the trimmed path. TemplateLib.db is
/// opened for the dialog and closed again.
bool ShowSaveTemplate(TMainForm& mainForm, QString& Path);

/// Registers the command "A_FileSaveTemplate" for this main window.
void InstallSaveTemplate(TMainForm* mainForm);

namespace services {

/// What the clean-up of a template copy removed.
struct TTemplateCleanup {
    QStringList EmptiedTables;  ///< table files emptied
    int BranchesDropped = 0;
    int BranchesMoved = 0;      ///< kept branches given a new parent
};

/// Cleans the database copy in `folder` for a template: the table and word table of every
/// View not kept (`dataTableNames[v]` with `keep[v]` false) are emptied, every branch of a
/// View not kept is dropped and its children move up to its parent (so each kept branch
/// hangs below its nearest kept ancestor, or at the root), and Hierarchy.DB is packed.
/// When branches were dropped, HierarchyDict.db is emptied too (its index settings row
/// kept), so no word of a dropped branch remains until the word indexes are rebuilt.
/// Engine failures are raised.
TTemplateCleanup CleanupTemplateCopy(const QString& folder, const QStringList& dataTableNames,
                                     const std::vector<bool>& keep);

}  // namespace services
