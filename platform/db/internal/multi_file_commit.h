#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace db::internal {

class TableFile;

/// Commits the write transactions of several table files so that all of them are kept or
/// none: a database transaction over several files.
///
/// Each file commits on its own connection, so the files are first prepared (every
/// changed page written into the file, its journal of original pages synced), then a hard
/// link (a synced copy where the file system has no links) keeps each file's rollback
/// journal past its commit, and a commit record
/// ".dossara-commit-<id>" in the folder of the first file lists those links, synced before
/// the first file commits. Then the files commit one by one; removing the record is the
/// moment the whole transaction counts as committed, after which the links are removed.
///
/// | state when it stops                  | what is found afterwards                            |
/// |--------------------------------------|-----------------------------------------------------|
/// | a file's commit fails                | the files not yet committed roll back; for those    |
/// |                                      | committed, the kept journal is put back as their    |
/// |                                      | hot journal and SQLite rolls them back at once      |
/// | the process dies before the record   | every file has its hot journal: all roll back       |
/// |   is removed                         | (RecoverInterruptedCommits puts the kept journals   |
/// |                                      | of the committed files back first)                  |
/// | the process dies after it            | all committed; leftover links are removed           |
///
/// The record is held with an open-file-description lock while the commit runs, so that a
/// recovery in another process leaves a running commit alone. A single changed file
/// commits as usual. Raises the engine's error after everything was rolled back.
void CommitTogether(const std::vector<std::shared_ptr<TableFile>>& files);

/// Undoes the commits that a process left unfinished in `folder` (see CommitTogether);
/// run before the folder's tables are opened. Never raises.
void RecoverInterruptedCommits(const QString& folder) noexcept;

}  // namespace db::internal
