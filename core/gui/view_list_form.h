#pragma once

#include <QWidget>

class QAction;
class QStatusBar;
class QToolBar;
class QTreeWidget;

/// The record-list window of a View ("<View name> List"): one row per record of the View's
/// table with the title of its branch and the record's Code, DateFrom and DateTo, sorted
/// by title. Records whose branch has no Hierarchy.DB row are left out. The list is read
/// when the window is made and by Refresh, through tables of its own, so the program's
/// current branch and record stay where they are. The dataset navigation buttons have no
/// dataset and stay disabled.
class TViewListBaseForm : public QWidget {
    Q_OBJECT
public:
    TViewListBaseForm(int view, QWidget* parent);

    int View() const { return m_view; }
    /// Empties the list and reads it again from the View's table and Hierarchy.DB.
    void FillRecordList();

    QWidget* ControlBar1;
    QToolBar* ViewListToolBar;
    QAction *A_DataSetFirst, *A_DataSetPrior, *A_DataSetNext, *A_DataSetLast, *A_Refresh, *A_Dock;
    QTreeWidget* RecordList;
    QStatusBar* StatusBar1;

private:
    int m_view;
};

namespace core {

/// Shows the record-list window of the View, creating and filling it when none is open.
void ShowViewListWindow(int view);
/// Registers the "View list" command (the list window of the selected branch's View) and
/// closes the list windows with the View windows. Install after the View windows.
void InstallViewListWindows(QWidget* mainForm);

}  // namespace core
