#pragma once

namespace db::internal {

/// Test hook: fails the Nth write of the table layer (a row write, a commit, a definition
/// change). Counting is off while the countdown is 0.
class FaultInjection {
public:
    /// Answers true (and stops counting) when this write is the one to fail.
    static bool takeWrite();
};

}  // namespace db::internal
