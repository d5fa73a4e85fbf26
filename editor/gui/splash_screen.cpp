#include "editor/gui/splash_screen.h"

#include "editor/gui/brand_panel.h"
#include "editor/version_info.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

TSplashScreen::TSplashScreen(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("SplashScreen"));
    setFixedSize(453, 194);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::gray);
    setPalette(pal);
    QFrame* panel = editor::MakeBrandPanel(this, Version);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(panel);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplashScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Version->setText(editor::GetVersionValue(QStringLiteral("ProductVersion")));
}

void TSplashScreen::CloseSplash(int pauseMs) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    editor::BusyWait(pauseMs);
    close();
    deleteLater();
}

namespace editor {

void BusyWait(int Milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() <= Milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(qMax<qint64>(1, Milliseconds - clock.elapsed() + 1), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

}  // namespace editor
