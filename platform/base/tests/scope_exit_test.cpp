#include "platform/base/scope_exit.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ScopeExit, runs_on_every_way_out_unless_dismissed) {
    int runs = 0;
    { base::ScopeExit g([&] { ++runs; }); }
    EXPECT_EQ(runs, 1);
    try {
        base::ScopeExit g([&] { ++runs; });
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(runs, 2);
    {
        base::ScopeExit g([&] { ++runs; });
        g.Dismiss();
    }
    EXPECT_EQ(runs, 2);
}

TEST(ScopeExit, a_failing_clean_up_leaves_the_first_failure_to_the_caller) {
    try {
        base::ScopeExit g([] { throw std::logic_error("clean-up"); });
        throw std::runtime_error("work");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "work");
    }
    // with nothing in flight the clean-up's own failure is reported
    EXPECT_THROW({ base::ScopeExit g([] { throw std::logic_error("clean-up"); }); }, std::logic_error);
}

TEST(ScopeFail, runs_only_when_an_exception_leaves_the_scope) {
    int undone = 0;
    { base::ScopeFail g([&] { ++undone; }); }
    EXPECT_EQ(undone, 0);
    EXPECT_THROW(
        {
            base::ScopeFail g([&] { ++undone; });
            throw std::runtime_error("x");
        },
        std::runtime_error);
    EXPECT_EQ(undone, 1);
}

TEST(RunThen, runs_the_second_part_after_the_first_also_when_it_raises) {
    std::string trace;
    base::RunThen([&] { trace += "body,"; }, [&] { trace += "always,"; });
    EXPECT_THROW(base::RunThen([&] { throw std::runtime_error("x"); }, [&] { trace += "always"; }), std::runtime_error);
    EXPECT_EQ(trace, "body,always,always");
}

}  // namespace
