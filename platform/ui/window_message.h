#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>

namespace ui {

/// The first number of the program's own window messages; the system numbers its
/// messages from here (kWmUser + 100 and so on).
inline constexpr int kWmUser = 0x0400;

/// A window message between the program's own windows, carried as a custom QEvent.
/// `Msg` is the message number, `WParam` and `LParam` its two parameters; `Result` is what
/// the receiver answers to a sent message.
class WindowMessage : public QEvent {
public:
    WindowMessage(int msg, qintptr wParam, qintptr lParam);

    static QEvent::Type EventType();

    int Msg;
    qintptr WParam;
    qintptr LParam;
    qintptr Result = 0;
    /// Set when LParam names an object (PostObjectMessage): Object then follows that object
    /// and is null once it was freed, so the receiver can drop a message about a freed object.
    bool CarriesObject = false;
    QPointer<QObject> Object;
    /// True for a message whose object was freed after it was posted.
    bool ObjectGone() const { return CarriesObject && !Object; }
};

/// Posts a message: it is handled after the current event has completed (the receiver's
/// event() sees a WindowMessage). Safe to call while the target is being destroyed only if
/// the target is still alive now; Qt drops events of deleted objects.
void PostMessage(QObject* target, int msg, qintptr wParam = 0, qintptr lParam = 0);

/// Posts a message whose LParam is an object; the receiver sees ObjectGone() when the object
/// was freed before the message arrived.
void PostObjectMessage(QObject* target, int msg, qintptr wParam, QObject* object);

/// Sends a message: the receiver handles it before the call returns; returns its Result.
qintptr SendMessage(QObject* target, int msg, qintptr wParam = 0, qintptr lParam = 0);

/// The message an event carries, or nullptr when it is not a window message.
WindowMessage* AsWindowMessage(QEvent* event);

}  // namespace ui
