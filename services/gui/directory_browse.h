#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class TPlDirectoryTree;

/// "Browse for Folder": a directory tree over the whole machine and an edit with the chosen
/// path, which the user may also type into when editing is allowed. OK refuses an empty path
/// and offers to make a missing one (with every missing parent).
class TDirectoryBrowse : public QDialog {
    Q_OBJECT
public:
    explicit TDirectoryBrowse(QWidget* parent = nullptr);

    QLabel* TitleLabel;
    TPlDirectoryTree* DirTree;
    QLineEdit* CurrentDir;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;

    void OKBtnClick();
    void DirTreeChange();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

/// Shows the chooser: the tree starts at `Folder`, or at `LastFolder` when `Folder` is empty.
/// On OK answers true, `Folder` becomes the chosen path without a trailing "/" (the root
/// stays "/") and `LastFolder` the tree's folder; on Cancel answers false and leaves both.
/// The path can be typed only with `AllowEdit`.
bool BrowseForFolder(const QString& Title, QString& Folder, QString& LastFolder, bool AllowEdit);
