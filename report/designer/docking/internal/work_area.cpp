#include "report/designer/docking/internal/work_area.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace skiffrow {
QRect WorkArea(const QWidget* widget) {
    QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}
}  // namespace skiffrow
