#pragma once

#include <QString>

// The 100,000-branch database the records core's benchmarks run on, generated once into
// <build>/bench-data/core-100k by a child process (so its memory does not count): the
// sample database's three Views, filled with copies of the machine's Debian package
// catalogue (the section / source / package tree) until there are 100,000 branches; every
// package's note is its long description followed by one paragraph of the plain-text
// documentation under /usr/share/doc, a different one for each record as far as the
// paragraphs go. Word indexes are built for the hierarchy and every View.
namespace benchdata {

QString databaseFolder();
/// Generates the database unless it is there already (same version stamp); false when the
/// generation failed.
bool ensureDatabase();

/// The same kind of database with one branch of 10,000 children: catalogue copies up to
/// 90,000 branches, then the root "Debian packages, flat" with 10,000 packages directly
/// below it (the catalogue's packages in turn, numbered when they repeat). NodeID of that
/// root in `flatRootNodeID`.
QString flatDatabaseFolder();
bool ensureFlatDatabase();
int flatRootNodeID();
inline constexpr int kFlatChildren = 10000;

}  // namespace benchdata
