#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class QLineEdit;
class QTableWidget;
class QToolButton;
class TMainForm;

namespace core {
class ViewTables;
}
namespace db {
class Table;
}

/// The "View Icon Library Manager": the View icons of the shared library (IconLib.DB: ID,
/// Name 20, SmallImage 16 x 16, LargeImage 20 x 20) in name order, with the name and the two
/// pictures of the current icon below the grid.
///
/// States: browsing (the moves, Add, Delete and the grid usable) and editing (only Save and
/// Cancel usable; closing is refused). Editing starts when the name is typed, when a picture
/// is set and with Add (`m_adding`); it ends with Save and Cancel. `m_loading` is set while
/// the controls are filled, so those changes do not count.
class TIconManager : public QDialog {
    Q_OBJECT
public:
    explicit TIconManager(db::Table& iconLib, QWidget* parent = nullptr);

    QToolButton *FirstBtn, *PriorBtn, *NextBtn, *LastBtn, *AddBtn, *DeleteBtn, *SaveBtn, *CancelBtn, *HelpBtn, *CloseBtn;
    QTableWidget* IconGrid;
    QLineEdit* IconName;
    QLabel* LargeImage;  ///< double-click: the picture editor at 20 x 20
    QLabel* SmallImage;  ///< double-click: the picture editor at 16 x 16

    QImage LargePicture() const { return m_large; }
    QImage SmallPicture() const { return m_small; }
    /// Reads the rows in name order into the grid and shows the row of `id` (0: the first).
    void RefreshGrid(int id = 0);
    void ShowRow();
    void AddBtnClick();
    void SaveBtnClick();
    void CancelBtnClick();
    void DeleteBtnClick();
    /// Runs the picture editor on one of the boxes.
    void EditImage(bool large);
    void MoveTo(int row);

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setEditing(bool on);
    void setPicture(bool large, const QImage& picture);
    int currentID() const;
    bool refuseClose();

    db::Table& m_iconLib;
    QImage m_large, m_small;
    QImage m_defaultLarge, m_defaultSmall;
    bool m_loading = true;
    bool m_adding = false;
    bool m_modified = false;
};

/// Shows the manager modally over IconLib.DB (opened when closed and closed again) and then,
/// under the hourglass, reloads the View icons, applies every View definition to its open
/// window (when `tables` is given), rebuilds the Views menu and refreshes the Windows menu.
void ShowIconManager(TMainForm& mainForm, core::ViewTables* tables = nullptr);

/// Registers "A_IconManager" for this main window.
void InstallIconManager(TMainForm* mainForm, core::ViewTables* tables = nullptr);
