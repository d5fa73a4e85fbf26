#include "core/gui/splash_screen.h"

#include "core/gui/action_icons.h"

#include "platform/ui/gui/make.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace {
constexpr int kWidthPx = 453;
constexpr int kHeightPx = 254;
}  // namespace

TSplashScreen::TSplashScreen(const QString& versionText, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("SplashScreen"));
    setFixedSize(kWidthPx, kHeightPx);
    m_picture = core::ThemeImage(QStringLiteral("x-office-address-book"), 256);

    VersionLabel = ui::Make<QLabel>(this, "VersionLabel");
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    VersionLabel->setFont(font);
    VersionLabel->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    VersionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    VersionLabel->setText(QStringLiteral("Version ") + versionText);
    VersionLabel->setGeometry(kWidthPx - 212, kHeightPx - 30, 200, 18);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplashScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient fill(0, 0, kWidthPx, kHeightPx);
    fill.setColorAt(0, QColor(0x1c, 0x3d, 0x6e));
    fill.setColorAt(1, QColor(0x3a, 0x7b, 0xbf));
    p.fillRect(rect(), fill);
    if (!m_picture.isNull())
        p.drawImage(QRect(24, (kHeightPx - 160) / 2, 160, 160), m_picture);
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(44);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(200, 70, kWidthPx - 210, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Dossara"));
    QFont sub(QStringLiteral("Arial"));
    sub.setPixelSize(14);
    p.setFont(sub);
    p.drawText(QRect(202, 128, kWidthPx - 212, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Records manager"));
}
