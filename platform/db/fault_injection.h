#pragma once

namespace db::testing {

/// Makes the Nth write of the table layer from now fail with an I/O error (kIoError), as a
/// full disk or a failing device would; 0 switches the hook off. Writes are row inserts,
/// updates and deletes, commits and definition changes; the failed operation is rolled back.
void FailNthWrite(int n);
/// Writes left before the injected failure (0 when off or already fired).
int WritesUntilFailure();

}  // namespace db::testing
