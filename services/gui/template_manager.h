#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QToolBar;
class TMainDataMod;
class TMainForm;
class TQuorrel;

/// The "Template Library Manager": the rows of TemplateLib.db in name order, with an edit
/// panel for the current row.
///
/// States: browsing (the moves, Add, Delete, Import, Export and the grid usable); editing a
/// row (`m_editing`) or adding one (`m_adding`), where only Save and Cancel are usable and
/// closing is refused. `m_busy` is set while the panel is filled and during Add and Save;
/// changes made meanwhile are not tracked.
class TTLManager : public QDialog {
    Q_OBJECT
public:
    explicit TTLManager(TMainDataMod& data, QWidget* parent = nullptr);

    QToolBar* ToolBar;
    QAction *A_First, *A_Prior, *A_Next, *A_Last, *A_Add, *A_Delete, *A_Import, *A_Export, *A_Save, *A_Cancel,
        *A_Help, *A_TemplateHelp, *A_Close;
    QTableWidget* ImgGrid;
    QLineEdit* DBPath;
    QPushButton* BrowseBtn;
    QLineEdit* TemplateName;
    QLabel* TemplateImage;
    QPlainTextEdit* DescMemo;

    /// The picture of the edit panel (the default picture for a new row).
    const QImage& Picture() const { return m_picture; }
    void SetPicture(const QImage& picture);

    /// Clears both flags and the busy flag, fills the panel and leaves edit mode (on show).
    void Start();
    void A_AddExecute();
    void A_SaveExecute();
    void A_CancelExecute();
    void A_DeleteExecute();
    void A_ImportExecute();
    void A_ExportExecute();
    void A_TemplateHelpExecute();
    void BrowseBtnClick();
    void TemplateImageDblClick();
    /// Refills the panel from the current row of TemplateLib.db.
    void FillPanel();
    /// Reads the rows again and selects the row of `id` (0: the current row).
    void RefreshGrid(int id = 0);

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setEditMode(bool on);
    void changed();
    void selectCurrentRow();
    int currentID() const;

    TMainDataMod& m_data;
    QImage m_picture;
    QImage m_defaultPicture;
    bool m_busy = true;
    bool m_editing = false;
    bool m_adding = false;
};

/// Shows the manager modally over the main data module's TemplateLib.db (opened when closed
/// and closed again afterwards).
void ShowTemplateManager(TMainDataMod& data);

/// Registers the command "A_TLManager" for this main window.
void InstallTemplateManager(TMainForm* mainForm);

namespace services {

/// How a package export ended.
struct TExportOutcome {
    QString ZipFile;   ///< "<folder>/<name made a valid file name>.zip"
    int Count = 0;     ///< entries to be written
    int Written = 0;   ///< the zip component's success count
    QString Error;     ///< why nothing could be written (the package files could not be made)
};

/// Writes the template package of the template in `templateFolder` into `targetFolder`:
/// every plain file of the folder under its bare name, plus "FileList.txt" (the folder's
/// file names before the three package files, CR LF lines), "Image.bmp" (`picture`) and
/// "Desc.txt" (`description`, CR LF lines). The three package files are made in a private
/// scratch folder and removed again in every case, so the template folder is never written.
TExportOutcome ExportTemplatePackage(TQuorrel& zip, const QString& templateFolder, const QString& name,
                                     const QImage& picture, const QString& description, const QString& targetFolder);

/// Whether a template's folder is in use as a database: the open database, an entry of the
/// recent-file list or a favourite. Such a folder is never deleted with its template.
bool IsLiveDatabaseFolder(const QString& folder);

}  // namespace services
