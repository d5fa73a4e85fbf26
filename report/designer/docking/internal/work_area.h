#pragma once

#include <QRect>

class QWidget;

namespace skiffrow {
/// The work area of the screen a widget is on (the primary screen's when it has none).
QRect WorkArea(const QWidget* widget);
}  // namespace skiffrow
