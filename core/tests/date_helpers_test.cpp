#include "core/date_helpers.h"

#include "core/confirmation.h"
#include "core/globals.h"
#include "core/gui/confirm_dialogs.h"
#include "core/settings_store.h"
#include "core/tests/settings_fixture.h"

#include "platform/format/format_settings.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

format::FormatSettings dayMonthYear() {
    format::FormatSettings s;
    s.shortDateFormat = QStringLiteral("dd/mm/yyyy");
    s.dateSeparator = QLatin1Char('/');
    return s;
}

TEST(DateHelpers, blank_and_valid_date_texts) {
    format::ScopedSettings settings(dayMonthYear());
    struct Case {
        const char* text;
        bool blank;
        bool valid;
    };
    static const Case cases[] = {
        {"", true, true},          {"  /  /    ", true, true}, {"31/12/2024", false, true},
        {"31/02/2024", false, false}, {"1/2/49", false, true},  {"abc", false, false},
        {"/ /x", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core::IsBlankDate(c.text), c.blank);
        EXPECT_EQ(core::IsValidDateText(c.text), c.valid);
    }
}

TEST(DateHelpers, a_blank_or_bad_date_text_gives_the_last_day_of_1899) {
    format::ScopedSettings settings(dayMonthYear());
    EXPECT_EQ(core::DateTextToDate("  /  /    "), QDate(1899, 12, 31));
    EXPECT_EQ(core::DateTextToDate("nonsense"), QDate(1899, 12, 31));
    EXPECT_EQ(core::DateTextToDate("05/03/2021"), QDate(2021, 3, 5));
}

TEST(DateHelpers, date_texts_split_and_normalise_in_the_order_of_the_format) {
    format::FormatSettings s;
    s.shortDateFormat = QStringLiteral("m-d-yyyy");
    s.dateSeparator = QLatin1Char('-');
    format::ScopedSettings settings(s);
    const core::DateTextParts parts = core::SplitDateText(" 3 - 15 -2021");
    EXPECT_EQ(parts.month, "3");
    EXPECT_EQ(parts.day, "15");
    EXPECT_EQ(parts.year, "2021");
    EXPECT_EQ(core::NormalizeDateText("03-5-21"), "3-5-21");
    EXPECT_EQ(core::NormalizeDateText("13-45-2021"), "13-45-2021");  // not a date: unchanged
    EXPECT_EQ(core::DateFormatToEditMask("dd/mm/yyyy"), "99/99/9999");
    EXPECT_EQ(core::DateFormatToEditMask("d.m.yy"), "9.9.99");
}

class ExpandYear : public coretest::SettingsFixture {
protected:
    void SetUp() override {
        coretest::SettingsFixture::SetUp();
        core::InstallConfirmationDialogs();
        UserPrefs().Year2000Cutoff = 50;
    }
    void TearDown() override {
        core::SetConfirmationPresenter(nullptr);
        coretest::SettingsFixture::TearDown();
    }
    format::ScopedSettings settings{dayMonthYear()};
};

TEST_F(ExpandYear, two_digit_years_follow_the_cutoff_and_four_digit_years_stay) {
    struct Case {
        const char* text;
        const char* expected;
    };
    static const Case cases[] = {
        {"01/02/49", "01/02/2049"}, {"1/2/50", "01/02/1950"}, {"01/02/1949", "01/02/1949"},
        {"01/02/5", "01/02/2005"},  {"  /  /  ", "  /  /  "},  {"99/99/99", "99/99/99"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core::ExpandDateYear(c.text, true), c.expected);
    }
    UserPrefs().Year2000Cutoff = 0;
    EXPECT_EQ(core::ExpandDateYear("01/02/05", false), "01/02/1905");
}

TEST_F(ExpandYear, a_three_digit_year_warns_until_silenced_and_keeps_the_text) {
    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TWarner>([](TWarner& w) {
        const QString memo = w.findChild<QPlainTextEdit*>("MsgMemo")->toPlainText();
        EXPECT_TRUE(memo.contains("The three-digit year \"202\" may be an incorrect year.")) << memo;
        testsupport::Click(&w, "DontAsk");
        testsupport::Click(&w, "OKBtn");
    });
    EXPECT_EQ(core::ExpandDateYear("01/02/202", true), "01/02/202");
    EXPECT_EQ(core::ExpandDateYear("01/02/202", true), "01/02/202");  // silenced: no second dialog
    EXPECT_EQ(answers.Prompts().size(), 1);
    EXPECT_FALSE(core::ReadRegBool("Preferences", "Messages", "Confirmation", "Dates: Three Digit Year", true));
    EXPECT_EQ(core::ExpandDateYear("01/02/202", false), "01/02/202");
}

}  // namespace
