#pragma once

#include <functional>

namespace db::testing {

/// Makes the Nth file write of the table layer from now fail with an I/O error (kIoError),
/// as a failing device would; 0 switches the hook off. Writes are the write, truncate and
/// sync calls on table files and their journals; the failed operation is rolled back.
void FailNthWrite(int n);
/// Writes left before the injected failure (0 when off or already fired).
int WritesUntilFailure();
/// Called while a database transaction over several files commits, after each file but
/// the last has committed (with the count of files committed so far); empty switches it
/// off. A test stops or kills the process there.
void SetCommitStepHook(std::function<void(int committedFiles)> hook);

}  // namespace db::testing
