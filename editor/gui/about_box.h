#pragma once

#include <QDialog>

class QLabel;

/// The "About" box: the program picture with "Registry Editor" and the version; no
/// buttons, closed with the window's close button.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* Version = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
