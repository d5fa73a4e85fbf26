#include "platform/db/fault_injection.h"

#include "platform/db/internal/fault_injection.h"

namespace db {

namespace {
int g_countdown = 0;
std::function<void(int)>& commitHook() {
    static std::function<void(int)> hook;
    return hook;
}
}

void testing::FailNthWrite(int n) { g_countdown = n > 0 ? n : 0; }

int testing::WritesUntilFailure() { return g_countdown; }

void testing::SetCommitStepHook(std::function<void(int)> hook) { commitHook() = std::move(hook); }

void internal::FaultInjection::commitStep(int committedFiles) {
    if (commitHook()) commitHook()(committedFiles);
}

bool internal::FaultInjection::takeWrite() {
    if (g_countdown <= 0) return false;
    return --g_countdown == 0;
}

}  // namespace db
