#include "platform/format/format_settings.h"

#include "platform/format/date_time_format.h"
#include "platform/format/number_format.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace format {
namespace {

TEST(FormatSettings, qt_formats_become_this_layers_patterns) {
    static const struct {
        const char* qt;
        const char* pattern;
    } cases[] = {
        {"dd.MM.yy", "dd.mm.yy"},
        {"M/d/yyyy", "m/d/yyyy"},
        {"dddd, d MMMM yyyy", "dddd, d mmmm yyyy"},
        {"HH:mm:ss", "hh:nn:ss"},
        {"h:mm AP", "h:nn ampm"},
        {"h:mm:ss ap t", "h:nn:ss ampm"},
        {"d 'de' MMMM", "d \"de\" mmmm"},
        {"H 'h' mm", "h \"h\" nn"},
        {"yyyy''MM", "yyyy\"'\"mm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.qt);
        EXPECT_EQ(PatternFromQtFormat(QString::fromUtf8(c.qt)), QString::fromUtf8(c.pattern));
    }
}

TEST(FormatSettings, settings_from_a_locale_write_as_that_locale_does) {
    const QLocale german(QLocale::German, QLocale::Germany);
    const FormatSettings s = FormatSettings::FromLocale(german);
    EXPECT_EQ(s.decimalSeparator, QLatin1Char(','));
    EXPECT_EQ(s.thousandSeparator, QLatin1Char('.'));
    EXPECT_EQ(s.dateSeparator, QLatin1Char('.'));
    EXPECT_EQ(s.longMonthNames[2], QStringLiteral("März"));
    EXPECT_EQ(s.longDayNames[0], QStringLiteral("Sonntag"));
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
    EXPECT_EQ(FormatDateTime(QStringLiteral("ddddd"), when, s), german.toString(when.date(), QLocale::ShortFormat));
    EXPECT_EQ(FormatDateTime(QStringLiteral("dddddd"), when, s), german.toString(when.date(), QLocale::LongFormat));
    EXPECT_EQ(FormatFloat(QStringLiteral("#,0.00"), 1234.5, s), QStringLiteral("1.234,50"));
}

TEST(FormatSettings, program_wide_settings_are_restored_by_the_guard) {
    const FormatSettings before = Settings();
    FormatSettings changed = before;
    changed.shortDateFormat = QStringLiteral("yyyy-mm-dd");
    {
        ScopedSettings scoped(changed);
        EXPECT_EQ(Settings().shortDateFormat, QStringLiteral("yyyy-mm-dd"));
        FormatSettings again = Settings();
        again.decimalSeparator = QLatin1Char(',');
        SetSettings(again);
        EXPECT_EQ(Settings().decimalSeparator, QLatin1Char(','));
    }
    EXPECT_EQ(Settings(), before);
}

}  // namespace
}  // namespace format
