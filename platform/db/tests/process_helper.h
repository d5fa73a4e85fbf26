#pragma once

#include "testsupport/child_process.h"

namespace dbtest {

using testsupport::ChildProcess;

}  // namespace dbtest
