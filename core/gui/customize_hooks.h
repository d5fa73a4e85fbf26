#pragma once

#include <QChar>
#include <QString>

#include <functional>

class QImage;
class TMainDataMod;
class QWidget;

namespace core {

/// What the customize dialogs (field and View properties, tab order, hidden fields, the
/// toolbox) ask of the View window and of the libraries. The View window fills the window
/// entries when it enters customize mode; the program fills the library entries at start-up.
/// Each entry may be unset; the dialogs then skip that step.
struct CustomizeHooks {
    /// Frees and recreates one field's controls; with `refill` the current value is put back.
    std::function<void(int view, int field, bool refill)> RebuildFieldControl;
    /// Applies the View definition to the open View window (icon, colours, caption, note
    /// height, title, field controls).
    std::function<void(int view)> RefreshViewWindow;
    /// Applies the definition's tab order to the View window's controls.
    std::function<void(int view)> ApplyTabOrder;
    /// Gives the View window's field controls the design cursor again.
    std::function<void(int view)> SetDesignCursors;
    /// Floats a docked View window for customizing; true when it was docked. Unset: the
    /// View window floats and docks itself (its own ViewWindows).
    std::function<bool(int view)> FloatViewWindow;
    /// Docks the View window again after customizing (it was docked before).
    std::function<void(int view)> DockViewWindow;
    /// The full rebuild (report dictionary and word indexes) run after a customisation was
    /// saved. Unset: the word indexes are rebuilt (RebuildWordIndexes).
    std::function<void()> FullRebuild;
    /// Whether the last FullRebuild ran through (the program's rebuild sets it).
    bool FullRebuildSucceeded = true;
    /// The mask wizard for a field of `typeLetter` starting from `initialMask`: the built
    /// mask, or the empty text when it was cancelled.
    std::function<QString(QChar typeLetter, const QString& initialMask, QWidget* parent)> RunMaskWizard;
    /// The View icon picker: the chosen GlyphIndex (its picture in `picture`), or -1.
    std::function<int(int currentGlyphIndex, QImage& picture, QWidget* parent)> PickViewIcon;
};

/// The program's one set of hooks.
CustomizeHooks& Customize();

/// Fills the library entries (mask wizard over the mask library, icon picker over the icon
/// library and the large View images) with the main data module's tables.
void InstallCustomizeLibraries(TMainDataMod& data);

}  // namespace core
