#pragma once

#include "platform/base/day_time.h"

#include <QString>

#include <memory>

namespace settings {
class Registry;
}
class QFile;

/// Program-wide state of the records manager. One instance for the whole run (`Globals()`);
/// start-up fills the folders, the open and close sequences keep `DatabaseOpen` and
/// `CurrentFolder` current.
struct TGlobals {
    QString VersionText;           ///< the program's product version
    bool DatabaseOpen = false;
    /// The open database's folder or one of its table files cannot be written: nothing is
    /// written to it (the settings store leaves its rows as they are; commands that would
    /// change it say so).
    bool DatabaseReadOnly = false;
    bool DragStarted = false;      ///< explorer: a drag of a branch has begun
    bool DragMove = false;         ///< explorer: the drag moves (false: copies)
    bool CustomizeMode = false;    ///< a View window is in customize mode
    bool ProgramDocking = false;   ///< the program itself docks or floats a window
    /// The one object through which the per-user registry routines work; made on first use.
    std::unique_ptr<settings::Registry> WinRegistry;
    QString CurrentFolder;         ///< folder of the open database; empty when none
    QString ProgramFolder;         ///< folder of the program file, ending in "/"
    QString LibraryFolder;
    QString TemplateFolder;
    QString NetworkFolder;
    QString PrivateFolder;
    QString LastFolder;            ///< folder offered first by the folder choosers
    /// "Temp.<n>" in the private folder, open for writing while the program runs.
    std::unique_ptr<QFile> LockFile;
    bool FirstSearchPending = true;

    TGlobals();
    ~TGlobals();
};

/// The per-database preferences cached when a database opens or the preferences change.
/// The values here are the defaults that hold before any database was opened.
struct TUserPrefs {
    bool AllowDragDock = true;
    bool RestoreScreenLayout = true;
    bool BeepOnKeyError = true;     ///< beep when a filtered edit refuses a key
    bool BeepOnFieldError = true;
    bool LinkViews = true;
    bool BringActiveToFront = true;
    QString OnOldDate = QStringLiteral("Warn");  ///< "Warn", "Error" or "Ignore"
    base::DayNumber OldestDate = 2.0;            ///< 1 January 1900
    int Year2000Cutoff = 50;        ///< two-digit years below it are 2000 + year, others 1900 + year
    int MatchLimit = 500;
};

TGlobals& Globals();
TUserPrefs& UserPrefs();
