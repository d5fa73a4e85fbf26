#pragma once

#include <QtGlobal>

namespace testsupport {

/// Rounds of a loop that kills or fails at random points: `quick` in the ordinary test run,
/// `load` when DOSSARA_LONG_LOOPS is set (scripts/load-tests.sh sets it for `make load`).
inline int LoopLength(int quick, int load) {
    return qEnvironmentVariableIsEmpty("DOSSARA_LONG_LOOPS") ? quick : load;
}

}  // namespace testsupport
