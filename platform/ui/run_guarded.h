#pragma once

#include "platform/base/exception.h"
#include "platform/ui/dialog_service.h"

#include <QObject>
#include <QString>

#include <exception>
#include <utility>

namespace ui {

/// Reports an exception that reached an event handler: our own exceptions with their help
/// context, anything else with its text.
void ReportException(const std::exception& e);
void ReportUnknownException();

/// Exceptions never cross the Qt event loop: every slot, handler, timer lambda and event
/// override that reaches engine code runs its body through this. Returns true when the
/// body finished, false when an exception was reported through the dialog service.
template <typename F>
bool RunGuarded(QObject* context, F&& body) {
    (void)context;
    try {
        std::forward<F>(body)();
        return true;
    } catch (const std::exception& e) {
        ReportException(e);
    } catch (...) {
        ReportUnknownException();
    }
    return false;
}

}  // namespace ui
