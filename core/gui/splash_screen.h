#pragma once

#include <QWidget>

class QLabel;

/// The window shown while the records manager starts: borderless, a client area of
/// 453 x 254 pixels centred on the screen, filled by the product picture, with the label
/// `VersionLabel` ("Version " + the version text, white Arial of 12 pixels, right-aligned at
/// the right of the picture). The program shows it before anything else and the main
/// window releases it once start-up has held it for its time.
class TSplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit TSplashScreen(const QString& versionText, QWidget* parent = nullptr);

    QLabel* VersionLabel = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};
