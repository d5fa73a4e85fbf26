#pragma once

#include <QString>
#include <QStringList>

namespace core {

/// What the records manager's command line asks for. "/REPAIR" (whole parameter, trimmed,
/// any case) runs the repair wizard instead of opening a database; "/DB:<folder>" (the
/// first four characters in any case) names the database to open, the last one counting.
/// Every other parameter is ignored.
struct StartupCommandLine {
    bool Repair = false;
    QString DatabaseFolder;  ///< the text after "/DB:" as given; empty when none
};

/// Reads the parameters (without the program name).
StartupCommandLine ParseCommandLine(const QStringList& parameters);

/// Registers the program's numbered cursors: 1 and 2 the open and closed hand, 3 and 4 the
/// drag-copy cursor (one and several branches), 5 the text cursor of a field, 6 the
/// pointing hand of a check box.
void RegisterProgramCursors();

/// The start-up initialisation: registers the cursors (with a GUI), fills the folders of Globals() from the program folder and
/// the per-user Paths values, empties the View control and sets up the network and private
/// folders (warnings 10029 and 10028 when they cannot be made; start-up goes on).
///
/// Folders: Library and Template are Paths/"LibraryPath" and Paths/"TemplatePath", by
/// default "<program>/Library" and "<program>/Template", or the same names under the user's
/// data folder ("dossara") when the program folder has none. Network and Private are
/// "<program>/Network" and "<program>/Private", or the same names under the user's cache
/// folder ("dossara") when the program folder is not writable. Always answers true.
bool StartupInit(const QString& programFolder);

/// Creates the folder (with missing parents) when needed; warning 10029 when it cannot be.
bool SetNetworkDirectory(const QString& folder);

/// Takes this program's own numbered private folder below `folder`: for n = 1 .. 100 the
/// folder "<folder>/<n>" (created when missing) is taken when no running program holds the
/// lock on its lock file "Temp.<n>" (an advisory lock kept until ReleasePrivateDirectory and
/// dropped by the system when the program ends, so the folder of a killed program is taken
/// again, emptied of what it left). `folder` becomes the chosen folder. Warning 10028 (and
/// false) when none can be taken or the lock file cannot be made.
bool SetPrivateDirectory(QString& folder);

/// Closes the lock file, deletes every file of the private folder (for good, not to the
/// trash: they are the program's scratch files) and removes the folder. Failures are
/// ignored; a folder left behind is taken again by a later program.
void ReleasePrivateDirectory();

}  // namespace core
