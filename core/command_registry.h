#pragma once

#include <QString>

#include <functional>

namespace core {

/// The commands of the main window whose windows live in other parts of the program
/// (reports, repair, templates, new database, preferences, libraries, View windows,
/// explorer, quick search, customize). Each part registers its handler under the action's
/// name ("A_FileNew", "A_Preferences", ...) at start-up, before the main window is made;
/// the main window enables such an action only while a handler is registered, and runs
/// the handler when the action is triggered. The main window itself never names the
/// parts behind the handlers.
using CommandHandler = std::function<void()>;

/// Registers (or replaces, or with an empty handler removes) the handler of an action.
void RegisterCommand(const QString& actionName, CommandHandler handler);
bool HasCommand(const QString& actionName);
/// Runs the handler; false when none is registered.
bool RunCommand(const QString& actionName);
/// Removes every handler (tests).
void ClearCommands();

/// The start-up wizard as the start-up continuation runs it: given the folder start-up
/// would open, it answers false when the user left without a choice (the program ends),
/// and otherwise sets `folder` to the database it created or to the empty text.
using StartupWizardHandler = std::function<bool(QString& folder)>;
/// Registers the wizard; an empty handler removes it. While none is registered, start-up
/// goes on as if the wizard were switched off.
void SetStartupWizard(StartupWizardHandler handler);
const StartupWizardHandler& StartupWizard();

}  // namespace core
