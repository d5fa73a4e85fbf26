#pragma once

#include <QPointer>
#include <QWidget>

class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
class QTextEdit;
class QToolBar;
class QToolButton;
class TMainForm;

namespace core {
class ViewTables;
}

/// The tree-notes window ("Tree Notes"): the note of the record of the branch selected in
/// the explorer, whatever its View, shown and edited as rich text. At most one exists; it
/// sits at the bottom of the main window's left dock panel (docked) or is a tool window of
/// its own (floating); Forms/TreeNoteForm/Layout "Docked" and "Position" keep its place.
///
/// Note states: unchanged (toolbar hidden), changed (the Save/Cancel toolbar shown and the
/// View's NoteModified set: commands that change the database ask to save or cancel
/// first), then saved or cancelled (back to unchanged). While the program fills the editor
/// or docks the window (the loading flag) changes of the editor are not the user's.
class TTreeNoteForm : public QWidget {
    Q_OBJECT
public:
    TTreeNoteForm(TMainForm* mainForm, core::ViewTables& tables);
    ~TTreeNoteForm() override;

    /// Shows the note of the current record of the View (-1: none, the editor is emptied
    /// and the caption reads "Notes").
    void ShowBranchNotes(int view);
    /// Docks the window into the bottom of the left dock panel or floats it at the stored
    /// "Position" (centred when that is off the screen).
    void SetDocked(bool dock);
    bool Docked() const;
    /// The View whose note is shown, -1 none.
    int ShownView() const { return m_view; }
    void SaveBtnClick();
    void CancelBtnClick();
    /// Closes without asking (the database closes): the layout is stored, the window freed.
    void CloseWindow();

    QTextEdit* Note = nullptr;
    QToolBar* ToolBar = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* CancelBtn = nullptr;
    QLabel* Panel1 = nullptr;
    QMenu* FormPopupMenu = nullptr;
    QAction *A_SpellCheck, *A_Dock, *A_Close, *A_Help;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteChange();
    /// Read-only while no branch is selected or the View has its own note window open.
    void updateReadOnly();
    void saveOrCancelMessage();
    void saveLayout();

    QPointer<TMainForm> m_mainForm;
    core::ViewTables& m_tables;
    int m_view = -1;
    bool m_loading = false;
    bool m_forceClose = false;
};

namespace core {

/// The tree-notes window (null while none exists).
TTreeNoteForm* TreeNotes();
/// Shows the tree-notes window, creating and placing it when needed; with lockUpdates its
/// painting is held until it is placed.
void ShowTreeNotes(bool lockUpdates);
/// Registers the "&Notes" command and fills the View layer's tree-notes entry points for
/// this main window and these View tables.
void InstallTreeNotes(TMainForm* mainForm, ViewTables& tables);

}  // namespace core
