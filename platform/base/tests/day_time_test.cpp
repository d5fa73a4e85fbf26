#include "platform/base/day_time.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct DayCase {
    double days;
    QDateTime expected;
};

TEST(DayNumbers, convert_both_ways_including_before_day_zero) {
    static const DayCase cases[] = {
        {0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
        {1.5, QDateTime(QDate(1899, 12, 31), QTime(12, 0))},
        {2.0, QDateTime(QDate(1900, 1, 1), QTime(0, 0))},
        {36526.25, QDateTime(QDate(2000, 1, 1), QTime(6, 0))},
        {-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0))},
        {-693593.0, QDateTime(QDate(1, 1, 1), QTime(0, 0))},
        {46000.75, QDateTime(QDate(2025, 12, 9), QTime(18, 0))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.days);
        EXPECT_EQ(base::DaysToDateTime(c.days), c.expected);
        EXPECT_DOUBLE_EQ(base::DateTimeToDays(c.expected), c.days);
    }
}

TEST(DayNumbers, out_of_range_values_give_invalid_dates) {
    for (double d : {double(NAN), double(INFINITY), -700000.0, 3000000.0}) {
        SCOPED_TRACE(d);
        EXPECT_FALSE(base::DaysToDate(d).isValid());
        EXPECT_FALSE(base::DaysToDateTime(d).isValid());
    }
}

TEST(DayNumbers, time_fraction_rounds_to_milliseconds_and_never_reaches_midnight) {
    EXPECT_EQ(base::DaysToTime(0.999999999), QTime(23, 59, 59, 999));
    EXPECT_EQ(base::DaysToTime(10.0 + 1.0 / 3.0), QTime(8, 0));
    EXPECT_DOUBLE_EQ(base::TimeToDays(QTime(18, 0)), 0.75);
}

}  // namespace
