#pragma once

#include <QCursor>

namespace ui {

/// Sets the hourglass (wait) cursor for a long operation and restores the previous cursor
/// when it goes out of scope, also when the operation ends with an exception. Nested
/// guards restore in reverse order. Without a GUI application it does nothing.
class HourglassCursor {
public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

private:
    bool m_active = false;
};

/// Numbered custom cursors (drag, drop, no-drop, ...), registered at start-up and looked
/// up by number wherever a window sets its cursor. An unknown number gives the arrow.
void RegisterCursor(int number, const QCursor& cursor);
QCursor CursorFor(int number);
bool HasCursor(int number);

}  // namespace ui
