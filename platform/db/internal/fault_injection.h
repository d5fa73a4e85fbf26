#pragma once

namespace db::internal {

/// Test hook: fails the Nth write of the table layer at the file level (a write, truncate
/// or sync of a table file or its journal). Counting is off while the countdown is 0.
class FaultInjection {
public:
    /// Answers true (and stops counting) when this write is the one to fail.
    static bool takeWrite();
    /// Runs the test's hook between the commits of a transaction's files.
    static void commitStep(int committedFiles);
};

/// Name of the VFS every connection of the layer opens its files with: the platform's
/// default one, through which the test hook fails the Nth write, truncate or sync.
const char* LayerVfsName();

}  // namespace db::internal
