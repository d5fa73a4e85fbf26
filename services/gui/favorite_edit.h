#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

/// "Favorite List Item": the name and database folder of one entry of the favourite
/// databases. OK is accepted only with both texts filled in and a folder that holds a
/// database (settings table and hierarchy table).
class TFavoriteEdit : public QDialog {
    Q_OBJECT
public:
    explicit TFavoriteEdit(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* DBName;
    QLabel* Label2;
    QLineEdit* DBPath;
    QToolButton* BrowseBtn;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;

    void BrowseBtnClick();
    /// The checks of OK; closes the dialog with OK when they pass.
    void OKBtnClick();
};

/// Shows "Favorite List Item" for `Name` and `Path`; the remembered folder becomes `Path`.
/// On OK answers true with both texts trimmed; on Cancel false with both unchanged.
bool EditFavorite(QString& Name, QString& Path);

namespace services {

/// The folder the favourite editor's folder chooser starts from (empty when the program
/// starts; every EditFavorite call sets it to the path it is given, a browse to the folder
/// chosen).
QString& LastFolder();

}  // namespace services
