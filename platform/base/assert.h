#pragma once

/// DOSSARA_ASSERT(cond, action): a check of our own invariants, never of outside input.
/// In debug and test builds a failed check logs where it failed and stops the program;
/// in release builds it logs and runs `action` (for example `return false`) instead.
#ifndef DOSSARA_ASSERTS_FATAL
#define DOSSARA_ASSERTS_FATAL 1
#endif

namespace base {
[[noreturn]] void AssertFailed(const char* condition, const char* file, int line);
void AssertLogged(const char* condition, const char* file, int line);
}  // namespace base

#if DOSSARA_ASSERTS_FATAL
#define DOSSARA_ASSERT(cond, action)                                  \
    do {                                                              \
        if (!(cond)) ::base::AssertFailed(#cond, __FILE__, __LINE__); \
    } while (false)
#else
#define DOSSARA_ASSERT(cond, action)                              \
    do {                                                          \
        if (!(cond)) {                                            \
            ::base::AssertLogged(#cond, __FILE__, __LINE__);      \
            action;                                               \
        }                                                         \
    } while (false)
#endif
