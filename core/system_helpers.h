#pragma once

#include <QString>

#include <exception>

namespace core {

/// The value `name` of the program's version information: "ProductVersion" and
/// "FileVersion" are the build's project version, "ProductName" the product's name;
/// "<Unknown>" for any other name.
QString GetVersionString(const QString& name);
/// The version of the user-interface library as "<major>.<minor>".
QString GetComCtlVersionText();
/// Warns at start-up when the user-interface library is older than major.minor.
void CheckComCtlVersion(int major, int minor);

/// "<code>: <engine text>", or "Unknown error, code is <code>." when the engine has no
/// text for the code.
QString GetEngineErrorText(int code);
/// Tells the user that updating a table failed: "An error occurred while updating the
/// <table name> table: "<detail>". <text>" with the engine's code and text for an engine
/// error, else the error's own message (error box, help context 10004).
void ShowTableUpdateError(const std::exception& error, const QString& tableName, const QString& text);

/// Handles window messages in a loop until `milliseconds` have passed.
void DelayWithMessages(int milliseconds);

}  // namespace core
