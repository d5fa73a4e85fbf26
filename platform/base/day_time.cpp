#include "platform/base/day_time.h"

#include <cmath>

namespace base {

namespace {
constexpr double kMsPerDay = 86400000.0;
// 0001-01-01 and 9999-12-31 as day numbers.
constexpr double kMinDays = -693593.0;
constexpr double kMaxDays = 2958466.0;
}  // namespace

DayNumber DateToDays(const QDate& date) {
    return static_cast<double>(date.toJulianDay() - kDayZeroJulian);
}

DayNumber TimeToDays(const QTime& time) {
    return time.msecsSinceStartOfDay() / kMsPerDay;
}

DayNumber DateTimeToDays(const QDateTime& dateTime) {
    const double whole = DateToDays(dateTime.date());
    const double fraction = TimeToDays(dateTime.time());
    return whole < 0 ? whole - fraction : whole + fraction;
}

bool IsValidDayNumber(DayNumber days) {
    return std::isfinite(days) && days >= kMinDays && days < kMaxDays;
}

QDate DaysToDate(DayNumber days) {
    if (!IsValidDayNumber(days)) return {};
    const auto whole = static_cast<qint64>(std::trunc(days));
    return QDate::fromJulianDay(whole + kDayZeroJulian);
}

QTime DaysToTime(DayNumber days) {
    if (!IsValidDayNumber(days)) return {};
    double fraction = std::fabs(days - std::trunc(days));
    auto ms = static_cast<int>(std::llround(fraction * kMsPerDay));
    if (ms >= 86400000) ms = 86400000 - 1;
    return QTime::fromMSecsSinceStartOfDay(ms);
}

QDateTime DaysToDateTime(DayNumber days) {
    if (!IsValidDayNumber(days)) return {};
    return QDateTime(DaysToDate(days), DaysToTime(days));
}

}  // namespace base
