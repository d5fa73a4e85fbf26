#pragma once

#include "core/gui/view_windows.h"
#include "core/view_def.h"
#include "core/view_tables.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QScrollArea;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;
class TMainDataMod;
class TViewControl;

namespace format {
class MaskedLineEdit;
}

// Window messages the View window posts to itself about a field's value
// (WParam = View index, LParam = field index).
inline constexpr int UM_BADDATE = 0x0400 + 107;
inline constexpr int UM_OLDDATE = 0x0400 + 108;
inline constexpr int UM_NUMBERTOOLARGE = 0x0400 + 110;
inline constexpr int UM_BADFLOAT = 0x0400 + 111;
inline constexpr int UM_BADMASK = 0x0400 + 116;

/// The View window: shows and edits the record of the selected branch when that branch
/// belongs to its View. Field controls are built from the View definition ("FE_" + NN edits
/// and check boxes, "FL_" + NN labels, NN = field index in two digits) inside the field area
/// `ScrollBox`; the Save/Cancel bar `SaveCancelToolBar` appears next to the first changed
/// field. Typed values are checked when a field is left and before a save; problems are
/// reported by window messages the window posts to itself, after the current event.
///
/// The window floats or docks as a page of the main window (`Dock View`); its note window
/// floats or docks into `BottomDockPanel` below the fields, the split kept in NoteDockHeight.
/// A floating window's bounds go into ViewPosition when it is resized (once the resizing
/// pauses for a quarter of a second) and when it closes; the View definition is then written
/// to the settings table in one transaction.
///
/// One window per View; it frees itself when closed (TViewDef::ViewWindow clears itself).
class TViewBaseForm : public QWidget, public core::ViewWindowLink {
    Q_OBJECT

public:
    /// `data` (may be null) gives the branch table the window follows linked Views through.
    TViewBaseForm(int view, TViewControl& views, core::ViewTables& tables, QWidget* parent = nullptr,
                  TMainDataMod* data = nullptr);
    ~TViewBaseForm() override;

    int ViewIndex() const { return m_view; }
    core::ViewWindows& Windows() { return m_windows; }
    QToolBar* ToolBar() const { return m_toolBar; }
    QPlainTextEdit* TitleMemo() const { return m_title; }
    /// The dock area of the note window.
    QWidget* BottomDockPanel() const { return m_dockPanel; }
    /// Size the window had before it docked into the main window (floating size otherwise).
    QSize UndockSize() const { return m_undockSize; }
    void SetUndockSize(const QSize& size) { m_undockSize = size; }
    /// The note window docked into BottomDockPanel: the dock splitter shows and the split
    /// follows NoteDockHeight. `NoteUndocked` hides the dock area (the window keeps its
    /// height: docking a note never changed it).
    void NoteDocked(QWidget* note);
    void NoteUndocked();
    /// Field area height := the split area's height less NoteDockHeight's share, at least 1.
    void ApplyNoteDockHeight();
    void SetTitleVisible(bool visible);
    void SetTitleHeight(int height);
    int TitleHeight() const;
    void SetTitleColor(core::ColorCode color);
    void SetViewFormColor(core::ColorCode color);
    /// While set (showing, docking), resizes do not write the layout.
    void SetPlacing(bool placing) { m_placing = placing; }

    // ---- commands ----
    void FormPU_ShowNotesClick();
    void FormPU_SearchTermsClick();
    void FormPU_CrossRefClick();
    void FormPU_DockClick();
    void FormPU_CustomizeClick();
    void FormPU_CloseClick();
    void HelpBtnClick();

    QMenu* FormPUMenu = nullptr;
    QMenu* FieldPUMenu = nullptr;
    QMenu* PUDummy = nullptr;
    QAction *A_ViewCategoryNotes, *A_SearchTerms, *A_CrossRef, *A_Dock, *A_Customize, *A_CloseView, *A_FormHelp,
        *A_FieldWhatsThis, *A_FieldSpellcheck;

    // ---- core::ViewWindowLink ----
    void SetLoadingFields(bool loading) override { m_loading = loading; }
    void SetTitleStripText(const QString& text) override;
    void CancelEdits() override;
    void CloseWindow() override;

    // ---- field controls ----
    void CreateFieldControls(int field);
    void CreateAllFieldControls();
    /// Removes the field's edit, label and check box (the fonts are values of the definition).
    void FreeFieldControls(int field);
    void FreeAllFieldControls();
    /// Frees every field control, creates them again and loads the record (with its note).
    void RebuildFieldControls();
    /// Frees and recreates one field's controls; with `refill` the value shown before comes back.
    void RebuildFieldControl(int field, bool refill);
    /// Shows or hides the field's control and its label as FieldIsVisible says.
    void ApplyFieldVisibility(int field);
    void ClearFieldsModified();
    /// Top and left of the field's control and label go to FieldPosition and LabelPosition.
    void StoreFieldControlPosition(int field);
    /// Bounds of every field's controls go to FieldPosition and LabelPosition.
    void StoreFieldControlBounds();
    /// Display state: 'N' normal, 'C' changed, 'E' error (other letters: window colour).
    void ApplyFieldState(int field, QChar state);
    void ApplyAllFieldsState(QChar state);
    void ApplyTabOrder();
    QString GetFieldText(int field) const;
    void SetFieldText(int field, const QString& text);
    /// The label rectangle of a field as its definition places it.
    core::ViewRect GetLabelBounds(int field) const;

    // ---- record ----
    bool ValidateField(int field);
    bool SaveRecord();
    void CancelRecord();
    void ShowFieldArea(bool show);
    void ShowSaveCancelBar(QWidget* control);
    /// Shows the record of the nearest branch of this View at or above the selected branch
    /// of View `branchView` (the branch table keeps its position), or hides the fields when
    /// there is none.
    void LinkToBranch(int branchView);

    /// A field control's field index read from its name ("FE_07" gives 7), -1 when none.
    static int FieldIndexOfName(const QString& name);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildWindow();
    void buildActions();
    /// The field area grows to hold every control with a margin.
    void fitFieldArea();
    void updateCommands();
    void popupFormMenu(const QPoint& global);
    void dockSplitterMoved();
    /// Applies NoteDockHeight once the pending layout work is done.
    void queueNoteDockHeight();
    void createEditField(int field);
    void createCheckBox(int field);
    void fieldChanged(QWidget* control);
    void fieldExit(int field);
    void fieldKeyPress(int field, QChar& key);
    void handleMessage(int msg, qintptr wParam, qintptr lParam);
    void focusField(int field);
    /// The main window's BringViewToFront when there is one (the page of a docked window).
    void bringToFront(bool restore);
    void nodeChanged(int branchView);
    void beepOnError() const;
    TViewDef& def() const;
    QWidget* fieldControl(int field) const;

    int m_view;
    TViewControl& m_views;
    core::ViewTables& m_tables;
    TMainDataMod* m_data;
    core::ViewWindows m_windows;
    bool m_loading = false;
    bool m_closing = false;
    bool m_placing = true;
    bool m_shownOnce = false;
    bool m_fieldAreaShown = true;
    bool m_dockHeightQueued = false;
    QPointer<QWidget> m_lastChanged;
    QPointer<QWidget> m_popupControl;
    QSize m_undockSize;
    QTimer* m_layoutTimer = nullptr;

    QToolBar* m_toolBar = nullptr;
    QLabel* m_noData = nullptr;
    QWidget* m_hider = nullptr;
    QPlainTextEdit* m_title = nullptr;
    QSplitter* m_titleSplitter = nullptr;
    QWidget* m_titlePanel = nullptr;
    int m_titleHeight = 24;
    QSplitter* m_splitPanel = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_dockPanel = nullptr;
    QWidget* m_fieldArea = nullptr;
    QToolBar* m_saveCancel = nullptr;
};

/// Fills the View layer's entry points (opening the View tables, showing a View's window,
/// the start-up Views, posting to the windows, closing them all, the unsaved-changes test)
/// with `tables` and View windows made as children of `host` (the main window). A View
/// table that does not open raises the table layer's error (the open is undone). The
/// word table of a View is optional: one that does not open leaves the View unsearchable.
void InstallViewWindows(TViewControl& views, core::ViewTables& tables, QWidget* host, TMainDataMod* data = nullptr);
