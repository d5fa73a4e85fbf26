#pragma once

#include "core/view_def.h"
#include "core/view_tables.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QTextEdit;
class QToolBar;
class TViewControl;

/// First change of a note: the window shows its Save/Cancel toolbar (posted to itself).
inline constexpr int UM_NOTETOOLBAR = 0x0400 + 113;

namespace core {
class ViewWindows;
}

/// The note window of a View: edits the rich-text note (column "Note") of the record the
/// View window shows. It floats or docks into the bottom of its View window. The first
/// change shows the bottom toolbar with Save and Cancel; Cancel loads the stored note
/// again. The note is stored as RTF (platform/richtext); a stored note that is plain text
/// is read as one paragraph per line.
///
/// The window is a child window of its View window and frees itself when closed
/// (TViewDef::NoteWindow clears itself). It cannot be closed while the note holds changes.
class TNoteBaseForm : public QWidget, public core::NoteWindowLink {
    Q_OBJECT

public:
    TNoteBaseForm(int view, TViewControl& views, core::ViewTables& tables, core::ViewWindows& windows,
                  QWidget* viewWindow);
    ~TNoteBaseForm() override;

    int ViewIndex() const { return m_view; }

    // ---- core::NoteWindowLink ----
    /// The note as it is stored: RTF.
    QString NoteLines() const override;
    void SetNoteLines(const QString& text) override;
    void ReloadNote() override;
    void CancelEdits() override { ReloadNote(); }
    void CloseWindow() override;

    /// Saves the note when it was changed; false when the save failed (the user was told,
    /// the text stays).
    bool SaveNote();
    /// The customizing flag: the editor is read-only and the pop-up menu does not open.
    void SetNoteCustomizing(bool on);
    void SetNoteColor(const QColor& color);
    /// Called by the View window when the note docks into it or floats again.
    void UpdateDockCaption();

    QTextEdit* Note = nullptr;
    QToolBar* ToolBar = nullptr;
    QMenu* FormPopupMenu = nullptr;
    QAction *A_SpellCheck, *A_Dock, *A_Close, *A_Help, *A_Save, *A_Cancel;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void noteChange();
    void noteEnter();
    void showToolBar(bool show);
    void saveOrCancelMessage();
    void dockClick();
    TViewDef* def() const;

    int m_view;
    TViewControl& m_views;
    core::ViewTables& m_tables;
    core::ViewWindows& m_windows;
    bool m_loading = false;
    bool m_customizing = false;
    bool m_forceClose = false;
    int m_floatingMinWidth = 240;
};
