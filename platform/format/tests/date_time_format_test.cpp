#include "platform/format/date_time_format.h"

#include "platform/format/tests/test_settings.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace format {
namespace {

using testing::DayFirst;
using testing::MonthFirst;
using testing::YearFirstComma;

// Tuesday 5 March 2024, 14:07:09.045
const QDateTime kAfternoon(QDate(2024, 3, 5), QTime(14, 7, 9, 45));

struct PatternCase {
    const char* pattern;
    const char* dayFirst;    ///< under "dd/mm/yyyy", "mmmm d, yyyy"
    const char* monthFirst;  ///< under "MM/DD/YYYY", "DDDD, MMMM D, YYYY"
};

TEST(FormatDateTime, writes_every_pattern_element_under_two_date_settings) {
    static const PatternCase cases[] = {
        {"ddddd", "05/03/2024", "03/05/2024"},
        {"dddddd", "March 5, 2024", "Tuesday, March 5, 2024"},
        {"ddddd tt", "05/03/2024 2:07:09 PM", "03/05/2024 2:07:09 PM"},
        {"c", "05/03/2024 2:07:09 PM", "03/05/2024 2:07:09 PM"},
        {"", "05/03/2024 2:07:09 PM", "03/05/2024 2:07:09 PM"},
        {"mmmm", "March", "March"},
        {"mmm-yy", "Mar-24", "Mar-24"},
        {"mmmm-yy", "March-24", "March-24"},
        {"d-mmm-yy", "5-Mar-24", "5-Mar-24"},
        {"dd-mmm-yyyy", "05-Mar-2024", "05-Mar-2024"},
        {"m/d/yy", "3/5/24", "3/5/24"},
        {"mm/dd/yyyy", "03/05/2024", "03/05/2024"},
        {"m/d", "3/5", "3/5"},
        {"ddd dddd", "Tue Tuesday", "Tue Tuesday"},
        {"hh:mm:ss ampm", "02:07:09 PM", "02:07:09 PM"},
        {"hh:mm:ss", "14:07:09", "14:07:09"},
        {"h:nn AM/PM", "2:07 PM", "2:07 PM"},
        {"h:nn am/pm", "2:07 pm", "2:07 pm"},
        {"h:nn a/p", "2:07 p", "2:07 p"},
        {"h:nn:ss AM/PM", "2:07:09 PM", "2:07:09 PM"},
        {"m/d/yy h:nn:ss AM/PM", "3/5/24 2:07:09 PM", "3/5/24 2:07:09 PM"},
        {"m/d/yy h:nn:ss", "3/5/24 14:07:09", "3/5/24 14:07:09"},
        {"t", "2:07 PM", "2:07 PM"},
        {"tt", "2:07:09 PM", "2:07:09 PM"},
        {"s.z ss.zzz", "9.45 09.045", "9.45 09.045"},
        {"\"Day\" d 'at' h", "Day 5 at 14", "Day 5 at 14"},
        {"yy yyyy Y", "24 2024 24", "24 2024 24"},
        {"yyy yyyyy yyyyyyyy", "2024 2024 2024", "2024 2024 2024"},
        {"hhh:nnn:sss", "14:07:09", "14:07:09"},
        {"zzzz zzzzz", "045 045", "045 045"},
        {"mmmmm ddddddd", "March March 5, 2024", "March Tuesday, March 5, 2024"},
        {"ttt cc", "2:07:09 PM 05/03/2024 2:07:09 PM", "2:07:09 PM 03/05/2024 2:07:09 PM"},
        {"x q!", "x q!", "x q!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(FormatDateTime(QString::fromUtf8(c.pattern), kAfternoon, DayFirst()), QString::fromUtf8(c.dayFirst));
        EXPECT_EQ(FormatDateTime(QString::fromUtf8(c.pattern), kAfternoon, MonthFirst()),
                  QString::fromUtf8(c.monthFirst));
    }
}

TEST(FormatDateTime, separators_come_from_the_settings_and_literals_stay) {
    const FormatSettings s = YearFirstComma();
    EXPECT_EQ(FormatDateTime(QStringLiteral("ddddd"), kAfternoon, s), QStringLiteral("2024-03-05"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("dd/mm/yyyy"), kAfternoon, s), QStringLiteral("05-03-2024"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("dd.mm.yyyy"), kAfternoon, s), QStringLiteral("05.03.2024"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("dddddd"), kAfternoon, s), QStringLiteral("5-Mar-2024"));
    FormatSettings dotTime = DayFirst();
    dotTime.timeSeparator = QLatin1Char('.');
    EXPECT_EQ(FormatDateTime(QStringLiteral("hh:nn"), kAfternoon, dotTime), QStringLiteral("14.07"));
}

TEST(FormatDateTime, twelve_hour_clock_edges_and_midnight_without_time) {
    const FormatSettings s = DayFirst();
    const QDate day(2024, 3, 5);
    EXPECT_EQ(FormatDateTime(QStringLiteral("h:nn ampm"), QDateTime(day, QTime(0, 30)), s), QStringLiteral("12:30 AM"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("h:nn ampm"), QDateTime(day, QTime(12, 0)), s), QStringLiteral("12:00 PM"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("hh:nn"), QDateTime(day, QTime(0, 5)), s), QStringLiteral("00:05"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("c"), QDateTime(day, QTime(0, 0)), s), QStringLiteral("05/03/2024"));
    FormatSettings other = s;
    other.timeAMString = QStringLiteral("vorm.");
    other.timePMString = QStringLiteral("nachm.");
    EXPECT_EQ(FormatDateTime(QStringLiteral("h ampm"), kAfternoon, other), QStringLiteral("2 nachm."));
}

TEST(FormatDateTime, day_numbers_old_years_and_invalid_values) {
    const FormatSettings s = DayFirst();
    EXPECT_EQ(FormatDateTime(QStringLiteral("yyyy-mm-dd hh:nn"), 2.25, s), QStringLiteral("1900-01-01 06:00"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("ddddd"), 0.0, s), QStringLiteral("30/12/1899"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("yyyy yy"), QDate(987, 6, 1), s), QStringLiteral("0987 87"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("ddddd"), QDateTime(), s), QString());
    EXPECT_EQ(FormatDateTime(QStringLiteral("ddddd"), std::numeric_limits<double>::quiet_NaN(), s), QString());
    EXPECT_EQ(DateToStr(QDate(2024, 3, 5), s), QStringLiteral("05/03/2024"));
    EXPECT_EQ(TimeToStr(QTime(9, 5, 0), s), QStringLiteral("9:05:00 AM"));
    EXPECT_EQ(DateTimeToStr(kAfternoon, s), QStringLiteral("05/03/2024 2:07:09 PM"));
}

TEST(FormatDateTime, formats_that_name_themselves_end) {
    FormatSettings s = DayFirst();
    s.shortDateFormat = QStringLiteral("ddddd c");
    s.longTimeFormat = QStringLiteral("tt");
    // Read two levels deep at most: no endless loop, no crash.
    const QString out = FormatDateTime(QStringLiteral("c"), kAfternoon, s);
    EXPECT_LT(out.size(), 20);
    EXPECT_EQ(FormatDateTime(QStringLiteral("'open quote"), kAfternoon, s), QStringLiteral("open quote"));
}

TEST(FormatDateTime, uses_the_program_wide_settings_by_default) {
    ScopedSettings scoped(MonthFirst());
    EXPECT_EQ(FormatDateTime(QStringLiteral("ddddd"), kAfternoon), QStringLiteral("03/05/2024"));
    {
        ScopedSettings inner(DayFirst());
        EXPECT_EQ(FormatDateTime(QStringLiteral("ddddd"), kAfternoon), QStringLiteral("05/03/2024"));
    }
    EXPECT_EQ(Settings().shortDateFormat, QStringLiteral("MM/DD/YYYY"));
}

}  // namespace
}  // namespace format
