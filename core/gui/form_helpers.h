#pragma once

#include <QColor>
#include <QList>
#include <QPoint>
#include <QString>

#include "core/text_helpers.h"

class QAbstractButton;
class QDockWidget;
class QFont;
class QLineEdit;
class QMainWindow;
class QTextEdit;
class QWidget;

namespace core {

// Form and control routines of the helper library, over Qt widgets. "The screen" is the
// primary screen's geometry.

/// Writes Forms/<name>/Layout/"Position" as "top,left,height,width" of the window (frame
/// position, client size).
void SaveFormPosition(QWidget* form, const QString& name);
/// Restores the stored position when the RestoreScreenLayout preference is on and the row
/// is not blank (a damaged row throws format::EConvertError); otherwise sizes the window to
/// height x width (limited to the screen) and centres it. In both cases a window that is not
/// IsOnScreen is centred afterwards.
void RestoreFormPosition(QWidget* form, const QString& name, int height, int width);
/// No taller and no wider than the screen, top at least 0 and less than the screen height
/// minus 10, left at most the screen width minus 10.
bool IsOnScreen(const QWidget* control);
/// Shrinks the window to the screen when larger, then centres it on the screen.
void CenterOnScreen(QWidget* control);
/// Moves the focus to the next control of the form in tab order.
void FocusNextControl(QWidget* form);
/// When the form is not the active window: handles pending events, then raises it.
void BringFormToFront(QWidget* form);
/// Around modal work: every dialog window is enabled, every other floating window enabled
/// or disabled as asked; then every window of `forms` is enabled and the first one raised.
void EnableFloatingForms(const QList<QWidget*>& forms, bool enable);
/// Sets the state without running the box's click handlers (signals blocked).
void SetCheckedSilently(QAbstractButton* checkBox, bool checked);
/// Focuses the edit, puts the caret at the start with nothing selected (scrolling it to the
/// start), and gives the focus back to the control that had it.
void ResetEditSelection(QLineEdit* edit);
/// Colour and style of the rich edit's selection (used to mark search hits).
void SetRichTextAttributes(QTextEdit* richEdit, const QColor& colour, FontStyles style);
/// A position for a window of width x height next to `control`, in the coordinates of the
/// control's parent: below it; when that passes the parent's bottom, right of it; when that
/// passes the parent's right edge, above it.
QPoint PlaceToolbarNearControl(const QWidget* control, int width, int height);
/// Screen position for a toolbox: 2 pixels right of the window at its top; else below it;
/// else above it; then pulled inside the screen.
QPoint PlaceToolboxBesideWindow(const QWidget* window, const QWidget* toolbox);
/// When docked: floats the explorer at its current screen position.
void FloatExplorer(QDockWidget* explorer);
/// When floating: docks the explorer into `area` of `window`.
void DockExplorer(QDockWidget* explorer, QMainWindow* window, Qt::DockWidgetArea area);
/// Loads the cursor picture ":/cursors/<resource name>.png" into the program's cursor list
/// under `number`; answers false (and the number keeps the arrow) when there is no such
/// picture.
bool LoadAppCursor(const QString& resourceName, int number);
/// Width in pixels of `text` in `font`.
int TextWidthInFont(const QWidget* form, const QString& text, const QFont& font);

}  // namespace core
