#pragma once

#include <QString>

// The databases the records core's benchmarks run on, generated once into
// <build>/bench-data/core-<n> by a child process (so its memory does not count): the
// sample database's three Views filled with the plain-text documentation of the machine's
// Debian packages, every paragraph once. The paragraphs come from each package folder under
// /usr/share/doc (changelog.Debian.gz, changelog.gz, NEWS.Debian.gz, NEWS.gz, copyright,
// README*, AUTHORS, TODO; a folder that is a link to another is skipped): the text between
// empty lines with its white space folded, 40 to 3,000 characters and at least five words
// (a changelog's sign-off line " -- name <mail>  date" is left out), and a paragraph whose
// text came earlier is not taken again. They are taken a round at a time across the
// documents (the first paragraph of every document, then the second of every document, ...)
// so that each size covers all packages. The tree: one branch per archive section (View
// "Archive section", the package's section in the dpkg catalogue, "unknown" else), below
// it one per package folder (View "Source package", its catalogue version and maintainer,
// the catalogue's description as its note when that text came nowhere before), below that
// one per paragraph (View "Package": the folder in Package, the paragraph as the note, its
// first words as the title). Word indexes are built for the hierarchy and every View.
namespace benchdata {

inline constexpr int kDefaultBranches = 100000;

/// The size the benchmarks run at: DOSSARA_BENCH_BRANCHES when set (10000, 100000,
/// 300000, ...), else kDefaultBranches.
int benchBranches();

/// The database of `branches` branches (sections, folders and paragraphs together).
QString databaseFolder(int branches = kDefaultBranches);
/// Generates the database unless it is there already (same version stamp); false when the
/// generation failed or the machine's documentation holds too few distinct paragraphs.
bool ensureDatabase(int branches = kDefaultBranches);

/// The same kind of database of 100,000 branches with one branch of 10,000 children: the
/// tree above up to 90,000 branches, then the root "Debian documentation, flat" with the
/// next 10,000 paragraphs directly below it. NodeID of that root in `flatRootNodeID`.
QString flatDatabaseFolder();
bool ensureFlatDatabase();
int flatRootNodeID();
inline constexpr int kFlatChildren = 10000;

}  // namespace benchdata
