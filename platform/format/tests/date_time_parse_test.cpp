#include "platform/format/date_time_parse.h"

#include "platform/format/date_time_format.h"
#include "platform/format/errors.h"
#include "platform/format/tests/test_settings.h"
#include "testsupport/qt_printers.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace format {
namespace {

using testing::DayFirst;
using testing::MonthFirst;
using testing::YearFirstComma;

struct DateCase {
    const char* text;
    QDate expected;  ///< invalid: the text must be refused
};

void expectDates(const FormatSettings& s, std::initializer_list<DateCase> cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto result = TryStrToDate(QString::fromUtf8(c.text), s);
        if (c.expected.isValid()) {
            ASSERT_TRUE(result.ok()) << result.error().text.toStdString();
            EXPECT_EQ(result.value(), c.expected);
        } else {
            ASSERT_FALSE(result.ok()) << "read as " << result.value().toString(Qt::ISODate).toStdString();
            EXPECT_EQ(result.error().code, kInvalidDate);
        }
    }
}

TEST(StrToDate, reads_day_first_dates_and_refuses_what_is_not_one) {
    expectDates(DayFirst(), {
        {"05/03/2024", QDate(2024, 3, 5)},
        {"5/3/2024", QDate(2024, 3, 5)},
        {" 5 / 3 / 2024 ", QDate(2024, 3, 5)},
        {"5 /3 /2024", QDate(2024, 3, 5)},
        {"29/02/2024", QDate(2024, 2, 29)},
        {"31/12/9999", QDate(9999, 12, 31)},
        {"05/03/195", QDate(195, 3, 5)},
        {"05/03/0049", QDate(49, 3, 5)},
        {"29/02/2023", QDate()},
        {"31/04/2024", QDate()},
        {"05/13/2024", QDate()},
        {"00/03/2024", QDate()},
        {"05/03/20245", QDate()},
        {"05/03/0000", QDate()},
        {"05-03-2024", QDate()},
        {"05/03/2024x", QDate()},
        {"05/03/2024 10:00", QDate()},
        {"05//2024", QDate()},
        {"/03/2024", QDate()},
        {"99999999999/1/1", QDate()},
        {"  /  /    ", QDate()},
        {"", QDate()},
        {"abc", QDate()},
        {"-5/3/2024", QDate()},
    });
}

TEST(StrToDate, reads_month_first_and_year_first_orders) {
    expectDates(MonthFirst(), {
        {"03/05/2024", QDate(2024, 3, 5)},
        {"3/5/24", QDate(2024, 3, 5)},
        {"12/31/1999", QDate(1999, 12, 31)},
        {"13/05/2024", QDate()},
        {"31/12/1999", QDate()},
    });
    expectDates(YearFirstComma(), {
        {"2024-03-05", QDate(2024, 3, 5)},
        {"24-3-5", QDate(2024, 3, 5)},
        {"2024/03/05", QDate()},
        {"05-03-2024", QDate()},
    });
}

TEST(StrToDate, completes_two_digit_years_at_the_cutoff) {
    FormatSettings s = DayFirst();
    expectDates(s, {
        {"05/03/24", QDate(2024, 3, 5)},
        {"05/03/49", QDate(2049, 3, 5)},
        {"05/03/50", QDate(1950, 3, 5)},
        {"05/03/99", QDate(1999, 3, 5)},
        {"5/3/0", QDate(2000, 3, 5)},
        {"5/3/7", QDate(2007, 3, 5)},
    });
    s.twoDigitYearCutoff = 0;
    expectDates(s, {{"05/03/24", QDate(1924, 3, 5)}, {"05/03/00", QDate(1900, 3, 5)}});
    s.twoDigitYearCutoff = 100;
    expectDates(s, {{"05/03/99", QDate(2099, 3, 5)}});
}

TEST(StrToDate, two_numbers_give_a_date_in_the_current_year) {
    const int year = QDate::currentDate().year();
    expectDates(DayFirst(), {{"5/3", QDate(year, 3, 5)}});
    expectDates(MonthFirst(), {{"3/5", QDate(year, 3, 5)}});
    expectDates(YearFirstComma(), {{"3-5", QDate(year, 3, 5)}});
}

TEST(StrToDate, accepts_the_separator_the_short_format_writes) {
    FormatSettings s = DayFirst();
    s.shortDateFormat = QStringLiteral("dd.mm.yyyy");  // separator setting still "/"
    expectDates(s, {{"05.03.2024", QDate(2024, 3, 5)}, {"05/03/2024", QDate(2024, 3, 5)}, {"05-03-2024", QDate()}});
    s.shortDateFormat = QStringLiteral("dd mm yyyy");
    s.dateSeparator = QLatin1Char(' ');
    expectDates(s, {{"05 03 2024", QDate(2024, 3, 5)}, {"05032024", QDate()}});
}

TEST(StrToDate, reads_back_what_the_short_format_writes) {
    FormatSettings shortNames = DayFirst();
    shortNames.shortDateFormat = QStringLiteral("dd-mmm-yyyy");
    FormatSettings longNames = MonthFirst();
    longNames.shortDateFormat = QStringLiteral("mmmm d, yyyy");
    FormatSettings closing = DayFirst();
    closing.shortDateFormat = QStringLiteral("yyyy. mm. dd.");
    closing.dateSeparator = QLatin1Char('.');
    FormatSettings quoted = DayFirst();  // quoted text holding element letters and quote marks
    quoted.shortDateFormat = QStringLiteral("yyyy\"y. \"mm'm/'dd\"'d\"");
    for (const FormatSettings& s :
         {DayFirst(), MonthFirst(), YearFirstComma(), shortNames, longNames, closing, quoted}) {
        for (const QDate& d : {QDate(2024, 3, 5), QDate(1899, 12, 30), QDate(1, 1, 1), QDate(2000, 2, 29)}) {
            const QString text = DateToStr(d, s);
            SCOPED_TRACE(text.toStdString());
            const auto back = TryStrToDate(text, s);
            ASSERT_TRUE(back.ok());
            EXPECT_EQ(back.value(), d);
        }
    }
}

TEST(StrToDate, throwing_form_reports_a_conversion_error_quoting_the_text) {
    const FormatSettings s = DayFirst();
    EXPECT_EQ(StrToDate(QStringLiteral("05/03/2024"), s), QDate(2024, 3, 5));
    try {
        StrToDate(QStringLiteral("31/02/2024"), s);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Code(), kInvalidDate);
        EXPECT_EQ(e.Message(), QStringLiteral("'31/02/2024' is not a valid date"));
    }
}

struct TimeCase {
    const char* text;
    QTime expected;
};

TEST(StrToTime, reads_hours_minutes_seconds_and_am_pm) {
    static const TimeCase cases[] = {
        {"14:07", QTime(14, 7)},
        {"2:07:09 PM", QTime(14, 7, 9)},
        {"2:07:09pm", QTime(14, 7, 9)},
        {"12:00 AM", QTime(0, 0)},
        {"12:30 PM", QTime(12, 30)},
        {"12 PM", QTime(12, 0)},
        {"7 a", QTime(7, 0)},
        {"7:05:09.25", QTime(7, 5, 9, 25)},
        {"7:05:09.5", QTime(7, 5, 9, 5)},
        {"7:05:09.500", QTime(7, 5, 9, 500)},
        {"PM 2:07:09", QTime(14, 7, 9)},
        {"am 12:30", QTime(0, 30)},
        {"PM 2:07 PM", QTime()},
        {"23:59:59", QTime(23, 59, 59)},
        {"13:00 PM", QTime()},
        {"0:30 AM", QTime()},
        {"24:00", QTime()},
        {"7:60", QTime()},
        {"7:05:60", QTime()},
        {"7", QTime()},
        {"7:", QTime()},
        {"7:05 XM", QTime()},
        {"7:05:09.2500", QTime()},
        {"", QTime()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto result = TryStrToTime(QString::fromUtf8(c.text), DayFirst());
        if (c.expected.isValid()) {
            ASSERT_TRUE(result.ok()) << result.error().text.toStdString();
            EXPECT_EQ(result.value(), c.expected);
        } else {
            ASSERT_FALSE(result.ok());
            EXPECT_EQ(result.error().code, kInvalidTime);
        }
    }
    EXPECT_THROW(StrToTime(QStringLiteral("25:00"), DayFirst()), EConvertError);
}

TEST(StrToDateTime, reads_a_date_a_date_and_time_or_a_time_alone) {
    const FormatSettings s = DayFirst();
    struct Case {
        const char* text;
        QDateTime expected;
    };
    static const Case cases[] = {
        {"05/03/2024 14:07:09", QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))},
        {"05/03/2024 2:07 PM", QDateTime(QDate(2024, 3, 5), QTime(14, 7))},
        {"05/03/2024", QDateTime(QDate(2024, 3, 5), QTime(0, 0))},
        {"14:07", QDateTime(QDate(1899, 12, 30), QTime(14, 7))},
        {"05/03/2024 25:00", QDateTime()},
        {"05/03/2024 x", QDateTime()},
        {"31/02/2024 10:00", QDateTime()},
        {"", QDateTime()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto result = TryStrToDateTime(QString::fromUtf8(c.text), s);
        if (c.expected.isValid()) {
            ASSERT_TRUE(result.ok()) << result.error().text.toStdString();
            EXPECT_EQ(result.value(), c.expected);
        } else {
            ASSERT_FALSE(result.ok());
            EXPECT_EQ(result.error().code, kInvalidDateTime);
        }
    }
    EXPECT_EQ(StrToDateTime(DateTimeToStr(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)), s), s),
              QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
}

}  // namespace
}  // namespace format

namespace format {
namespace {

// Whatever a locale's own formats write reads back with the same settings, in the order
// the formats write it: the Korean time puts its marker first, the Hungarian and Korean
// dates end with a separator, other locales write words between the parts or before the
// hour. Every locale Qt knows is tried.
TEST(StrToDateTime, reads_back_what_the_formats_of_a_locale_write) {
    const QDateTime moments[] = {QDateTime(QDate(2024, 3, 5), QTime(19, 5, 9)),
                                 QDateTime(QDate(1999, 12, 31), QTime(0, 30, 0)),
                                 QDateTime(QDate(2024, 11, 25), QTime(12, 0, 59))};
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 100);
    for (const QLocale& locale : locales) {
        const FormatSettings s = FormatSettings::FromLocale(locale);
        for (const QDateTime& when : moments) {
            const QString date = DateToStr(when.date(), s);
            const QString time = TimeToStr(when.time(), s);
            const QString both = DateTimeToStr(when, s);
            SCOPED_TRACE((locale.name() + u' ' + both).toStdString());
            const auto readDate = TryStrToDate(date, s);
            ASSERT_TRUE(readDate.ok()) << date.toStdString();
            EXPECT_EQ(readDate.value(), when.date());
            const auto readTime = TryStrToTime(time, s);
            ASSERT_TRUE(readTime.ok()) << time.toStdString();
            EXPECT_EQ(readTime.value(), when.time());
            const auto readBoth = TryStrToDateTime(both, s);
            ASSERT_TRUE(readBoth.ok()) << both.toStdString();
            EXPECT_EQ(readBoth.value(), when);
        }
    }
    const FormatSettings korean = FormatSettings::FromLocale(QLocale(QLocale::Korean));
    EXPECT_TRUE(TimeToStr(QTime(19, 5), korean).startsWith(korean.timePMString));
}

// Milliseconds written by "z" and "zzz" read back as the same count.
TEST(StrToTime, milliseconds_read_back_as_written) {
    FormatSettings s = testing::DayFirst();
    for (const char* pattern : {"hh:nn:ss.z", "hh:nn:ss.zzz"}) {
        for (int ms : {0, 5, 45, 500, 999}) {
            const QTime t(14, 7, 9, ms);
            const QString text = FormatDateTime(QString::fromLatin1(pattern), QDateTime(QDate(2024, 3, 5), t), s);
            SCOPED_TRACE(text.toStdString());
            const auto back = TryStrToTime(text, s);
            ASSERT_TRUE(back.ok());
            EXPECT_EQ(back.value(), t);
        }
    }
}

}  // namespace
}  // namespace format
