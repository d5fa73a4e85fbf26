#pragma once

#include <QByteArray>
#include <QString>

class QAction;
class QToolBar;

namespace core {

// Toolbar states kept in the settings table: Preferences/Toolbars/<name>/"ButtonState" (one
// "1" or "0" per button the user can hide, in button order; default "1") and "Visible"
// (Boolean, default true). A toolbar's buttons are its actions; separators and embedded
// widgets are not buttons. A button whose action, or whose tool button on the toolbar,
// carries the property "Tag" = -9999 is never shown or hidden by a stored state.

inline constexpr int kFixedButtonTag = -9999;

/// Shows or hides the buttons from ButtonState (padded with "1"), then the toolbar from
/// Visible; `action`, when given, is checked when the toolbar is visible.
void LoadToolbarState(QToolBar* toolbar, const QString& name, QAction* action = nullptr);
/// Enables or disables every button.
void EnableToolbarButtons(QToolBar* toolbar, bool enable);
/// Keeps the enabled state of every button, one byte per button index, in `buffer`.
void SaveToolbarEnabled(const QToolBar* toolbar, QByteArray& buffer);
/// Gives back the states kept by SaveToolbarEnabled.
void RestoreToolbarEnabled(QToolBar* toolbar, const QByteArray& buffer);

}  // namespace core
