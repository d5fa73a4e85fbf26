#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TMainForm;

/// The dialog "Save database as...": the folder the open database is copied into and
/// whether it is opened there afterwards. OK refuses a blank path, the open database's own
/// folder (also through a link), and a folder `core::ValidateFolder` refuses; otherwise the
/// path goes back into the edit, expanded, and the dialog closes with OK.
class TSaveDB : public QDialog {
    Q_OBJECT
public:
    explicit TSaveDB(QWidget* parent = nullptr);

    QLineEdit* DBPath;
    QPushButton* BrowseBtn;
    QCheckBox* OpenNew;
    QPushButton *OKBtn, *CancelBtn, *HelpBtn;

    void OKBtnClick();
    void BrowseBtnClick();
};

/// Shows the dialog with `Path` and `OpenNew`; on OK sets both from it and copies the open
/// database's folder there (each table file one consistent snapshot, journals left out).
/// True when the copy succeeded; false when cancelled or when the copy failed (reported
/// with help context 10014). The dialog is released in every case.
bool SaveDatabaseAs(QString& Path, bool& OpenNew);

/// Registers the command "A_FileSaveAs" for this main window: unsaved View changes stop it,
/// then SaveDatabaseAs with an empty path and the box ticked, and the new folder is opened
/// when the copy succeeded and the box stayed ticked.
void InstallSaveDatabaseAs(TMainForm* mainForm);
