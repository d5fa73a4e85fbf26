#include "core/confirmation.h"

#include "core/log.h"
#include "core/settings_store.h"

namespace core {

namespace {

std::unique_ptr<ConfirmationPresenter>& presenter() {
    static std::unique_ptr<ConfirmationPresenter> instance;
    return instance;
}

enum class Kind { Confirm, Warn };

bool ask(Kind kind, const QString& text, const QString& messageName, int helpBase) {
    if (!ReadRegBool(kMessagesSection, kMessagesKey1, kMessagesKey2, messageName, true)) return true;
    if (!presenter()) {
        qCWarning(lcCore) << "no confirmation dialogs installed; not shown:" << text;
        return false;
    }
    const ConfirmationPresenter::Answer answer =
        kind == Kind::Confirm ? presenter()->Confirm(text, helpBase) : presenter()->Warn(text, helpBase);
    WriteRegBool(kMessagesSection, kMessagesKey1, kMessagesKey2, messageName, !answer.dontAsk);
    return answer.ok;
}

}  // namespace

std::unique_ptr<ConfirmationPresenter> SetConfirmationPresenter(std::unique_ptr<ConfirmationPresenter> p) {
    std::swap(presenter(), p);
    return p;
}

bool ConfirmAction(const QString& text, const QString& messageName, int helpBase) {
    return ask(Kind::Confirm, text, messageName, helpBase);
}

void ShowWarning(const QString& text, const QString& messageName, int helpBase) {
    (void)ask(Kind::Warn, text, messageName, helpBase);
}

}  // namespace core
