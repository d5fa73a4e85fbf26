#pragma once

#include <QString>

namespace editor {

/// A value of the program's version information, the stand-in for the version resource of
/// the program file: "ProductVersion" is the application version the program set at
/// start-up. Answers an empty text when the program has no version at all, and "<Unknown>"
/// for a name the version information does not hold.
QString GetVersionValue(const QString& name);

}  // namespace editor
