#pragma once

#include <exception>
#include <utility>

namespace base {

/// Runs an action when the scope ends, however it ends, unless Dismiss() ran first. For
/// clean-up that no class of its own owns (restoring a saved member, re-enabling updates);
/// state with an owner gets a guard of that owner's layer instead (db::Transaction, ...).
///
/// \code
///   const auto saved = m_mode;
///   m_mode = Mode::Rank;
///   base::ScopeExit restore([&] { m_mode = saved; });
/// \endcode
///
/// The action runs from a destructor, so it must not throw; when it does while no
/// exception is in flight the exception propagates, while one is in flight it is dropped so
/// the first failure reaches the caller.
template <typename F>
class [[nodiscard]] ScopeExit {
public:
    explicit ScopeExit(F action) : m_action(std::move(action)) {}
    ~ScopeExit() noexcept(false) {
        if (!m_active) return;
        if (std::uncaught_exceptions() > m_uncaught) {
            try {
                m_action();
            } catch (...) {
            }
        } else {
            m_action();
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

    /// The action will not run.
    void Dismiss() noexcept { m_active = false; }

private:
    F m_action;
    int m_uncaught = std::uncaught_exceptions();
    bool m_active = true;
};

/// Runs an action only when the scope is left by an exception: the undo of a step whose
/// success path needs nothing.
template <typename F>
class [[nodiscard]] ScopeFail {
public:
    explicit ScopeFail(F action) : m_action(std::move(action)) {}
    ~ScopeFail() {
        if (std::uncaught_exceptions() <= m_uncaught) return;
        try {
            m_action();
        } catch (...) {
        }
    }
    ScopeFail(const ScopeFail&) = delete;
    ScopeFail& operator=(const ScopeFail&) = delete;

private:
    F m_action;
    int m_uncaught = std::uncaught_exceptions();
};

/// Runs `body`, then `always`, also when `body` raises (`always` then runs while the
/// exception is in flight and its own failure is dropped).
template <typename Body, typename Always>
void RunThen(Body&& body, Always&& always) {
    ScopeExit after(std::forward<Always>(always));
    std::forward<Body>(body)();
}

}  // namespace base
