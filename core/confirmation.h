#pragma once

#include <QString>

#include <memory>

namespace core {

/// How the confirmation and warning dialogs are shown. The records core decides whether a
/// message is shown and remembers the user's "don't ask again" in the settings table; the
/// window side (core/gui) installs the presenter that shows the real dialogs.
class ConfirmationPresenter {
public:
    struct Answer {
        bool ok = false;       ///< the dialog closed with OK
        bool dontAsk = false;  ///< "Don't ask me this again" / "Don't show this warning again" was ticked
    };
    virtual ~ConfirmationPresenter() = default;
    virtual Answer Confirm(const QString& text, int helpBase) = 0;
    virtual Answer Warn(const QString& text, int helpBase) = 0;
};

/// Installs the presenter for the whole program and answers the previous one.
std::unique_ptr<ConfirmationPresenter> SetConfirmationPresenter(std::unique_ptr<ConfirmationPresenter> presenter);

/// The settings-table group that holds each message's switch:
/// Preferences / Messages / Confirmation / <message name>, Boolean, default true (= show).
inline const QString kMessagesSection = QStringLiteral("Preferences");
inline const QString kMessagesKey1 = QStringLiteral("Messages");
inline const QString kMessagesKey2 = QStringLiteral("Confirmation");

/// Asks the user to confirm an action. A silenced message answers true at once without
/// showing anything; otherwise the confirmation dialog is shown, the switch is written
/// (false when "Don't ask me this again" was ticked, whatever the answer) and the answer is
/// whether the dialog closed with OK. Needs the open database's settings table. Without a
/// presenter nothing can be shown and the answer is false.
bool ConfirmAction(const QString& text, const QString& messageName, int helpBase);
/// Shows a warning the user may silence, with the same steps; there is no answer.
void ShowWarning(const QString& text, const QString& messageName, int helpBase);

}  // namespace core
