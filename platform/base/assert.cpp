#include "platform/base/assert.h"

#include "platform/base/log.h"

#include <cstdio>
#include <cstdlib>

namespace base {

void AssertFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "DOSSARA_ASSERT failed: %s at %s:%d\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}

void AssertLogged(const char* condition, const char* file, int line) {
    qCCritical(lcBase, "check failed: %s at %s:%d", condition, file, line);
}

}  // namespace base
