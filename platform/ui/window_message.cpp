#include "platform/ui/window_message.h"

#include <QCoreApplication>

namespace ui {

WindowMessage::WindowMessage(int msg, qintptr wParam, qintptr lParam)
    : QEvent(EventType()), Msg(msg), WParam(wParam), LParam(lParam) {}

QEvent::Type WindowMessage::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostMessage(QObject* target, int msg, qintptr wParam, qintptr lParam) {
    if (!target) return;
    QCoreApplication::postEvent(target, new WindowMessage(msg, wParam, lParam));
}

void PostObjectMessage(QObject* target, int msg, qintptr wParam, QObject* object) {
    if (!target) return;
    auto* message = new WindowMessage(msg, wParam, qintptr(object));
    message->CarriesObject = object != nullptr;
    message->Object = object;
    QCoreApplication::postEvent(target, message);
}

qintptr SendMessage(QObject* target, int msg, qintptr wParam, qintptr lParam) {
    if (!target) return 0;
    WindowMessage message(msg, wParam, lParam);
    QCoreApplication::sendEvent(target, &message);
    return message.Result;
}

WindowMessage* AsWindowMessage(QEvent* event) {
    if (event && event->type() == WindowMessage::EventType()) return static_cast<WindowMessage*>(event);
    return nullptr;
}

}  // namespace ui
