#pragma once

#include <QString>

namespace fulltext {

/// Index builds write a new word table into a build folder beside the real one and move it
/// into place when it is complete, so that a build killed half-way leaves the old word table
/// as it was.
///
/// Build folder "<folder>/.<table>.build/":
///
/// | entry     | meaning                                                                  |
/// |-----------|--------------------------------------------------------------------------|
/// | <table>   | the new word table (a table file named as the real one)                  |
/// | "ready"   | present once the new table is complete and closed: it replaces the old    |
///
/// Installing: write "ready" (synced), delete the old table file, rename the new file into
/// the folder (one rename within the file system), remove the build folder. Recovery after a
/// kill: a build folder with "ready" is installed; one without it is deleted unless its table
/// is still held open by a running build.

/// The build folder of word table `tableName` in `folder`.
QString BuildFolder(const QString& folder, const QString& tableName);

/// Finishes or discards an interrupted build of the word table (see above); does nothing
/// when there is no build folder.
void RecoverWordTable(const QString& folder, const QString& tableName);

/// Installs the complete, closed table of the build folder over the word table.
void InstallBuiltWordTable(const QString& folder, const QString& tableName);

}  // namespace fulltext
