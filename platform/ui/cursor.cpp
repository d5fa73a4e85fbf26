#include "platform/ui/cursor.h"

#include <QGuiApplication>
#include <QHash>

namespace ui {

HourglassCursor::HourglassCursor() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_active = true;
    }
}

HourglassCursor::~HourglassCursor() {
    if (m_active) QGuiApplication::restoreOverrideCursor();
}

namespace {
QHash<int, QCursor>& cursors() {
    static QHash<int, QCursor> c;
    return c;
}
}  // namespace

void RegisterCursor(int number, const QCursor& cursor) { cursors().insert(number, cursor); }
QCursor CursorFor(int number) { return cursors().value(number, QCursor(Qt::ArrowCursor)); }
bool HasCursor(int number) { return cursors().contains(number); }

}  // namespace ui
