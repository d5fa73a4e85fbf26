#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTemporaryDir;
class TMainDataMod;
class TQuorrel;

/// The wizard "Import Dossara Template": reads a template package (a zip archive with
/// "Image.bmp", "Desc.txt" and "FileList.txt" beside the template's files), shows its
/// picture and description, unpacks it into a new template folder and adds the template to
/// TemplateLib.db.
///
/// Pages: StartPage (the package; Next enabled while the path is not blank) -> NewTemplatePage
/// (name, picture, description, folder; Finish enabled while the folder is not blank); Back
/// returns. The two preview files are read from a private scratch folder, only when the
/// package lists them at a size a picture and a description can have, and are removed on
/// Back and when the wizard closes.
class TTemplateImportWizard : public QDialog {
    Q_OBJECT
public:
    explicit TTemplateImportWizard(TMainDataMod& data, QWidget* parent = nullptr);
    ~TTemplateImportWizard() override;

    QStackedWidget* Pages;
    QWidget *StartPage, *NewTemplatePage;
    QLineEdit* ZipPath;
    QPushButton *ZipBrowseBtn, *NextBtn;
    QLineEdit* TemplateName;
    QLabel* TemplateImage;
    QPlainTextEdit* DescMemo;
    QLineEdit* TemplateFolder;
    QPushButton *FolderBrowseBtn, *BackBtn, *FinishBtn, *CancelBtn, *HelpBtn;

    const QImage& Picture() const { return m_picture; }

    void NextBtnClick();
    void BackBtnClick();
    void FinishBtnClick();
    void ZipBrowseBtnClick();
    void FolderBrowseBtnClick();

    /// The largest preview file read (bytes); a package whose "Image.bmp" or "Desc.txt" is
    /// larger is refused as unreadable.
    static constexpr qint64 kPreviewLimit = 4 * 1024 * 1024;

private:
    void removePreviewFiles();
    TQuorrel& zip();

    TMainDataMod& m_data;
    QImage m_picture;
    std::unique_ptr<QTemporaryDir> m_preview;
    std::unique_ptr<TQuorrel> m_ownZip;
};

/// Runs the wizard modally; true (and the trimmed template name in `TemplateName`) when it
/// closed with OK, else false and an empty name. TemplateLib.db is opened when closed.
bool RunTemplateImportWizard(TMainDataMod& data, QString& TemplateName);
