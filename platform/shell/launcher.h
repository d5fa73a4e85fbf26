#pragma once

#include <QString>
#include <QStringList>

namespace shell {

/// A shortcut that starts a program: a freedesktop launcher file "<name>.desktop"
/// (Desktop Entry 1.4) with these keys, written as UTF-8:
///
/// | key      | value                                                              |
/// |----------|--------------------------------------------------------------------|
/// | Type     | "Application"                                                      |
/// | Version  | "1.4"                                                              |
/// | Name     | the shortcut's name                                                |
/// | Exec     | the program and its arguments, each quoted by `QuoteExecArgument`  |
/// | Path     | the folder the program starts in                                   |
/// | Terminal | "false"                                                            |
///
/// Every value is written with the format's string escapes (\\s \\n \\t \\r \\\\), so any
/// text reaches the program unchanged. The file is made executable (desktops start only
/// such launchers) and replaces one of the same name.
struct Launcher {
    QString Name;
    QString Program;
    QStringList Arguments;
    QString WorkingFolder;
};

/// One argument of the Exec key, so that it reaches the program as one argument whatever it
/// holds: in double quotes, with '"', '`', '$' and '\\' escaped by a backslash, and '%' doubled
/// (a field code otherwise). The value still takes the string escapes when written.
QString QuoteExecArgument(const QString& argument);

/// The launcher file's text.
QString LauncherText(const Launcher& launcher);

/// Whether `name` can be a launcher's file name: not empty, not "." or "..", without "/"
/// and without a NUL or line break.
bool IsSingleFileName(const QString& name);

/// Writes "<folder>/<name>.desktop" (written beside it first and renamed into place).
/// Answers false with the reason in `error` when the name is not a single file name, the
/// folder does not exist, or the file cannot be written.
bool WriteLauncher(const QString& folder, const Launcher& launcher, QString& error);

}  // namespace shell
