#pragma once

#include <QString>

#include <functional>

/// The View layer's operations that the main window's open and close sequences call: the
/// per-View tables and windows are made by that layer, which fills these entry points at
/// start-up (`ViewLayer()`). Each entry point may be unset; the main window then does what
/// the text beside it says.
struct TViewLayer {
    /// True when a View, note or tree note holds unsaved changes (the window holding them
    /// is told to ask the user to save or cancel). Unset: no unsaved changes.
    std::function<bool()> FindUnsavedChanges;
    /// Opens the View's table and its word table; raise the table layer's error on failure.
    /// Unset: the main window opens both files itself to check them, and keeps them open
    /// while the database is open.
    std::function<void(int view)> OpenViewTable;
    std::function<void(int view)> OpenViewDictTable;
    /// Closes every View window and note window. Unset: nothing to close.
    std::function<void()> CloseAllViewWindows;
    /// Shows the Views whose ShowViewOnStart is set. Unset: nothing shown.
    std::function<void()> ShowStartupViews;
    /// Shows the View window of a View. Unset: the "View fields" command stays disabled.
    std::function<void(int view)> ShowViewWindow;
    /// Posts a window message to every open View window. Unset: no View windows.
    std::function<void(int msg, qintptr wParam, qintptr lParam)> PostToViewWindows;
    /// Gives every open View and note window automatic or manual drag mode.
    std::function<void(bool automatic)> SetAllWindowsDragMode;

    // The hierarchy explorer and the tree-notes window.
    /// Creates the explorer when needed, docks it and tells it to load the tree; false when
    /// it cannot be created. Unset: there is no explorer and the open goes on.
    std::function<bool()> StartExplorer;
    /// Closes the explorer (true) or empties and disables it (false). Unset: nothing.
    std::function<void(bool close)> CloseExplorer;
    /// True when the tree-notes window exists. Unset: it never does.
    std::function<bool()> IsTreeNotesOpen;
    /// Closes the tree-notes window when it exists. Unset: nothing.
    std::function<void()> CloseTreeNotes;
    /// Closes the search windows (Advanced Search) while the tables they read and the settings
    /// table they keep their layout in are still open. Unset: nothing.
    std::function<void()> CloseSearchWindows;
};

TViewLayer& ViewLayer();
