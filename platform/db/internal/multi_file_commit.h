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
/// ".dossara-commit-<id>" in the files' folder lists those links by name (never a path:
/// a folder copied or moved recovers on its own, and a record naming anything outside its
/// folder is not followed), synced before the first file commits. From before the files
/// are prepared until the commit is whole or undone, the commit holds each file's gate
/// (LockCommitGate) closed: no other program starts a write on them, and a writer that
/// finds a kept journal with the gate open undoes the dead commit first, so a recovery
/// only ever undoes the dead program's own writes. Then the files commit one by one; removing the record is the
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

/// The kept journal of a table file while a commit over several files runs: the file's
/// name with "-journal.held", in its folder. Its presence with the file's gate open means
/// a dead program's commit waits to be undone.
QString KeptJournalPath(const QString& tablePath);

/// Undoes the commits that a process left unfinished in `folder` (see CommitTogether);
/// run when a database connects and by a writer that finds a kept journal of its file.
/// Records whose program still runs are left alone. Never raises.
void RecoverInterruptedCommits(const QString& folder) noexcept;

}  // namespace db::internal
