#pragma once

#include "core/view_def.h"
#include "core/view_tables.h"

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;
class TMainDataMod;
class TMainForm;
class TViewControl;

namespace core {

/// The window side of the View layer: showing, placing, docking and undocking View windows
/// and their note windows, saving their layout into the View definition, and closing them.
/// Works on the definitions of a `TViewControl` with View windows made as windows of
/// `host`; when the host is the main window, View windows dock as pages of its page
/// control and appear in its Windows menu. Without a main window nothing docks.
///
/// Every operation takes a View index and checks it first (`CheckViewIndex`); with a bad
/// index it does nothing and answers false.
///
/// Layout as the View definition keeps it: ViewPosition (floating View window),
/// NotePosition (floating note window), NoteDockHeight (the docked note's share of the
/// split area in hundred-thousandths), ViewIsDocked and NoteIsDocked, and the settings
/// variable Views/NN/Layout/"TitlePanelHeight" (height of the title strip, default 24).
class ViewWindows {
public:
    ViewWindows(TViewControl& views, ViewTables& tables, QWidget* host, TMainDataMod* data);

    /// Brings an open View window to the front (its page when docked); otherwise makes the
    /// window, fills it from the current record, places it, docks it when DockViewOnShow,
    /// applies the View toolbar's stored state, shows it and, with ShowNoteOnStart, its note.
    void ShowViewWindow(int view);
    /// ShowViewWindow for every View whose ShowViewOnStart is set, in index order.
    void ShowStartupViews();
    /// False when the View window is not open. Otherwise brings an open note window to the
    /// front (centred when it is not on the screen), or makes it, loads the note of the
    /// current record, docks it into the View window when DockNoteOnStart, places and shows it.
    bool ShowNoteWindow(int view);
    void CloseNoteWindow(int view);
    /// Closes every View window and note window, whatever they hold.
    void CloseAllViewWindows();

    // ---- placing ----
    void PlaceViewWindow(int view);
    void ApplyViewPosition(int view);
    void PlaceNoteWindow(int view);
    /// Shows the title strip with its stored height and colour, or hides it.
    void ApplyTitlePanel(int view);

    // ---- docking ----
    /// A floating View window becomes a page of the main window's page control; its bounds
    /// go into ViewPosition first.
    void DockViewWindow(int view);
    /// A docked View window floats at ViewPosition's top and left with the given size
    /// (0: the size it had before it docked). True when it floated the window.
    bool UndockViewWindow(int view, int height, int width);
    void DockNoteWindow(int view);
    /// True when it floated the note; with `place` the note is placed as PlaceNoteWindow says.
    bool UndockNoteWindow(int view, bool place);
    /// A closing note window gives its place in the View window back (the dock area hides).
    void NoteWindowClosing(int view);
    bool IsViewDocked(int view) const;
    bool IsNoteDocked(int view) const;

    // ---- refreshing ----
    /// Icon, colours, caption, note split, title strip, note colour and all field controls
    /// of an open View window from the definition (the controls rebuilt and refilled).
    void RefreshViewWindow(int view);
    void RefreshAllViewWindows();
    /// Rebuilds the field controls of every open View window (preferences changed).
    void RefreshOpenViewFields();
    /// Reads the View's layout and fields from the settings again and refreshes its window;
    /// false on a bad index.
    bool ReloadViewDefinition(int view);

    // ---- layout ----
    void SaveViewWindowLayout(int view);
    void SaveNoteWindowLayout(int view);

    /// True when a window of this size and place fits the screen: its height and width
    /// within the screen's, its top at least 0 and above the screen's height - 10, its left
    /// not beyond the screen's width - 10.
    static bool IsOnScreen(const QRect& bounds, const QSize& screen);
    /// The rectangle of `size` centred on the screen (halves rounded toward zero).
    static QRect Centred(const QSize& size, const QSize& screen);

    TMainForm* MainForm() const;
    QWidget* Host() const { return m_host; }

private:
    TViewDef* viewAt(int view) const;
    void bringToFront(QWidget* form, bool restore) const;
    void beginLayoutWrite(std::optional<DatabaseWrite>& write) const;
    QSize screenSize(const QWidget* w) const;

    TViewControl& m_views;
    ViewTables& m_tables;
    QPointer<QWidget> m_host;
    TMainDataMod* m_data;
};

/// Sets the program-wide ProgramDocking flag while the program itself docks or floats a
/// window; the flag goes back to what it was, also on failure.
class ProgramDockingScope {
public:
    ProgramDockingScope();
    ~ProgramDockingScope();
    ProgramDockingScope(const ProgramDockingScope&) = delete;
    ProgramDockingScope& operator=(const ProgramDockingScope&) = delete;

private:
    bool m_before;
};

/// A colour code of the settings as a colour: RGB codes directly, system colours from the
/// palette of `w` (the application's when null).
QColor ViewColor(ColorCode code, const QWidget* w);

/// Title strip height variable of a View's layout settings.
int ReadTitlePanelHeight(int view);
void WriteTitlePanelHeight(int view, int height);

}  // namespace core
