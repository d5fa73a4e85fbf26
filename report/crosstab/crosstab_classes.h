#pragma once

namespace report {

/// Start-up of the cross-tab: declares its numbered texts, registers the definition classes
/// and the cross-tab for streaming, puts the cross-tab on the "Advanced Components" palette,
/// adds its four enumerated types to the script language and registers its five script
/// adapters. Idempotent.
void RegisterCrossTabClasses();
/// Shut-down: undoes each registration.
void UnRegisterCrossTabClasses();
/// The cross-tab's numbered texts.
void DeclareCrossTabTexts();

}  // namespace report
