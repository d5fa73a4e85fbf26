#pragma once

#include <QWidget>

class QLabel;

/// The window shown while the program starts: the program picture with "Registry Editor"
/// and the version. CloseSplash keeps it up for the start-up pause (1.5 s) with the
/// hourglass cursor, while events keep being handled, then frees it.
class TSplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit TSplashScreen(QWidget* parent = nullptr);

    QLabel* Version = nullptr;

    /// Waits out the pause and asks to be freed; the hourglass cursor stays set (the
    /// main window's Setup restores the default cursor).
    void CloseSplash(int pauseMs = 1500);

protected:
    void showEvent(QShowEvent* event) override;
};

namespace editor {
/// Waits until more than `Milliseconds` have passed, handling events meanwhile, so that
/// the program keeps painting and answering while it waits.
void BusyWait(int Milliseconds);
}  // namespace editor
