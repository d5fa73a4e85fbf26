#include "core/command_registry.h"

#include <QHash>

namespace core {

namespace {
QHash<QString, CommandHandler>& handlers() {
    static QHash<QString, CommandHandler> map;
    return map;
}
}  // namespace

void RegisterCommand(const QString& actionName, CommandHandler handler) {
    if (handler)
        handlers().insert(actionName, std::move(handler));
    else
        handlers().remove(actionName);
}

bool HasCommand(const QString& actionName) { return handlers().contains(actionName); }

bool RunCommand(const QString& actionName) {
    const auto it = handlers().constFind(actionName);
    if (it == handlers().constEnd()) return false;
    const CommandHandler handler = it.value();  // a handler may re-register while it runs
    handler();
    return true;
}

void ClearCommands() { handlers().clear(); }

namespace {
StartupWizardHandler& wizard() {
    static StartupWizardHandler handler;
    return handler;
}
}  // namespace

void SetStartupWizard(StartupWizardHandler handler) { wizard() = std::move(handler); }

const StartupWizardHandler& StartupWizard() { return wizard(); }

}  // namespace core
