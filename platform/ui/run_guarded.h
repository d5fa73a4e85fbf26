#pragma once

#include "platform/base/exception.h"
#include "platform/ui/dialog_service.h"

#include <QObject>
#include <QString>

#include <exception>
#include <utility>

namespace ui {

/// Reports an exception that reached an event handler: our own exceptions with their help
/// context, anything else with its text. The handler's object (`context`, may be null) is
/// named in the log line of category "dossara.ui" written beside the message.
void ReportException(const std::exception& e, const QObject* context = nullptr);
void ReportUnknownException(const QObject* context = nullptr);

/// Exceptions never cross the Qt event loop: every slot, handler, timer lambda and event
/// override that reaches engine code runs its body through this. Returns true when the
/// body finished, false when an exception was reported through the dialog service.
/// `context` is the object whose handler runs (the log names it); it may be null.
template <typename F>
bool RunGuarded(const QObject* context, F&& body) {
    try {
        std::forward<F>(body)();
        return true;
    } catch (const std::exception& e) {
        ReportException(e, context);
    } catch (...) {
        ReportUnknownException(context);
    }
    return false;
}

}  // namespace ui
