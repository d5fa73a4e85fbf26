#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace base {

/// Date-time values the system computes with are day numbers: a double whose whole part
/// counts days from 1899-12-30 (day 0) and whose fraction is the time of day (0.5 = noon).
/// Before day 0 the whole part is negative and the fraction still adds time of day by its
/// magnitude: -1.25 is 1899-12-29 06:00.
using DayNumber = double;

inline constexpr int kDayZeroJulian = 2415019;  ///< Julian day of 1899-12-30

DayNumber DateToDays(const QDate& date);
DayNumber TimeToDays(const QTime& time);  ///< fraction of a day in [0, 1)
DayNumber DateTimeToDays(const QDateTime& dateTime);

/// The date part of a day number (the time of day is dropped); invalid for NaN/inf or
/// values outside the years 1 to 9999.
QDate DaysToDate(DayNumber days);
QTime DaysToTime(DayNumber days);
QDateTime DaysToDateTime(DayNumber days);

bool IsValidDayNumber(DayNumber days);

}  // namespace base
