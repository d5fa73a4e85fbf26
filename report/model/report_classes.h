#pragma once

namespace report {

/// Start-up of the report object units: declares their numbered texts, registers the
/// report, band, group and component classes with the component stream's class registry
/// and the class library's, and puts the component classes on the designer's palettes
/// (installing the palette registry when none is installed yet). Idempotent.
void RegisterReportClasses();
/// Shut-down: removes the palette entries and the streaming registrations again.
void UnRegisterReportClasses();

/// The numbered texts of the report object model.
void DeclareModelTexts();

}  // namespace report
