#include "platform/format/edit_mask.h"

#include "platform/format/errors.h"
#include "platform/format/tests/test_settings.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace format {
namespace {

struct MaskCase {
    const char* mask;
    const char* value;
    const char* shown;
};

TEST(FormatMaskText, shows_values_through_the_masks_reports_and_views_use) {
    static const MaskCase cases[] = {
        // the string display formats of reports
        {"!\\(999\\)\\ 000\\-0000;0; ", "5551234567", "(555) 123-4567"},
        {"!\\(999\\)\\ 000\\-0000;0; ", "1234567", "(   ) 123-4567"},
        {"!99999;0; ", "12", "   12"},
        {"000\\-00\\-0000;0; ", "123456789", "123-45-6789"},
        {"00000;0; ", "12345", "12345"},
        {"00000\\-9999;0; ", "12345", "12345-    "},
        {"!99/99/00;0; ", "010224", "01/02/24"},
        {"!90:00:00\\ >LL;0; ", "123045pm", "12:30:45 PM"},
        {"!90:00;0; ", "930", " 9:30"},
        // View fields: literals saved, blank shown as a blank
        {"99/99/9999;1; ", "05/03/2024", "05/03/2024"},
        {"99/99/9999;1; ", "05032024", "05/03/2024"},
        {"99/99/9999;1; ", "", "  /  /    "},
        {"99/99/9999;1;_", "5/3/2024", "5_/3_/2024"},
        {"99/99/9999", "", "__/__/____"},
        // case conversion, refused characters, extra characters, escapes
        {">LLL;0;_", "abc", "ABC"},
        {"<LLL;0;_", "ABC", "abc"},
        {">L<ll<>l;0;_", "hELLo", "HelL"},
        {"00;0;_", "a1", "a1"},
        {"$###.##;1; ", "$ 12.50", "$ 12.50"},
        {"$###.##;1; ", "$***.**", "$***.**"},
        {"LL;0;_", "éz", "éz"},
        {"AAA;0;_", "a1-", "a1-"},
        {"###;0;_", "+1-", "+1-"},
        {"ccc;0;*", "a b", "a*b"},
        {"\\;99;0;_", "12", ";12"},
        {"\\L\\\\99;0;_", "12", "L\\12"},
        {"99\\", "12", "12\\"},
        {"", "anything at all", "anything at all"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " <- " + c.value);
        EXPECT_EQ(FormatMaskText(QString::fromUtf8(c.mask), QString::fromUtf8(c.value), FormatSettings()),
                  QString::fromUtf8(c.shown));
    }
}

TEST(FormatMaskText, separator_characters_follow_the_settings) {
    FormatSettings s;
    s.dateSeparator = QLatin1Char('-');
    s.timeSeparator = QLatin1Char('.');
    EXPECT_EQ(FormatMaskText(QStringLiteral("99/99/9999;1;_"), QStringLiteral("05-03-2024"), s),
              QStringLiteral("05-03-2024"));
    EXPECT_EQ(FormatMaskText(QStringLiteral("00:00;0;_"), QStringLiteral("1230"), s), QStringLiteral("12.30"));
    EXPECT_EQ(FormatMaskText(QStringLiteral("00\\/00;0;_"), QStringLiteral("1230"), s), QStringLiteral("12/30"));
}

TEST(EditMask, reads_fields_and_reports_malformed_masks_with_their_column) {
    struct Case {
        const char* mask;
        int errorColumn;  ///< 0: valid
    };
    static const Case cases[] = {
        {"", 0},           {"99", 0},           {"99;1; ", 0},      {"99;0", 0},
        {";1;", 0},        {"\\;;0;_", 0},      {"99\\", 3},        {"99;2;_", 4},
        {"99;01;_", 4},    {"99;1;__", 6},      {"99;1;_;x", 8},    {"\\", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        const auto checked = CheckEditMask(QString::fromUtf8(c.mask));
        if (c.errorColumn == 0) {
            EXPECT_TRUE(checked.ok()) << checked.error().text.toStdString();
        } else {
            ASSERT_FALSE(checked.ok());
            EXPECT_EQ(checked.error().code, kInvalidMask);
            EXPECT_EQ(checked.error().column, c.errorColumn);
            EXPECT_TRUE(checked.error().text.startsWith(QStringLiteral("Invalid edit mask: ")));
        }
    }
    const EditMask phone = EditMask::Parse(QStringLiteral("!\\(999\\)\\ 000\\-0000;0; ")).value();
    EXPECT_EQ(phone.Length(), 14);
    EXPECT_FALSE(phone.SavesLiterals());
    EXPECT_EQ(phone.Blank(), QLatin1Char(' '));
    EXPECT_TRUE(phone.RightJustify());
    const EditMask plain = EditMask::Parse(QStringLiteral("99")).value();
    EXPECT_TRUE(plain.SavesLiterals());
    EXPECT_EQ(plain.Blank(), QLatin1Char('_'));
    EXPECT_FALSE(plain.RightJustify());
    EXPECT_TRUE(EditMask::Parse(QStringLiteral(";1;_")).value().IsEmpty());
}

TEST(EditMask, value_leaves_literals_out_or_keeps_them_and_round_trips) {
    const EditMask date = EditMask::Parse(QStringLiteral("99/99/9999;1; ")).value();
    EXPECT_EQ(date.ValueOf(QStringLiteral("05/03/2024")), QStringLiteral("05/03/2024"));
    EXPECT_EQ(date.ValueOf(date.EmptyText()), QStringLiteral("  /  /    "));
    const EditMask phone = EditMask::Parse(QStringLiteral("!\\(999\\)\\ 000\\-0000;0;_")).value();
    EXPECT_EQ(phone.ValueOf(QStringLiteral("(555) 123-4567")), QStringLiteral("5551234567"));
    EXPECT_EQ(phone.ValueOf(QStringLiteral("(___) 123-4567")), QStringLiteral("   1234567"));
    EXPECT_EQ(phone.ValueOf(QStringLiteral("(5")), QStringLiteral("5         "));

    static const struct {
        const char* mask;
        const char* editText;
    } shown[] = {
        {"99/99/9999;1; ", "05/03/2024"}, {"99/99/9999;1; ", "5 /  /24  "}, {"!\\(999\\)\\ 000\\-0000;0;_", "(___) 123-4567"},
        {"!99999;0; ", "   12"},         {"!99999;0; ", "1  2 "},        {">LL\\-00;1;_", "AB-_7"},
        {"cc;0;_", "__"},
    };
    for (const auto& s : shown) {
        SCOPED_TRACE(std::string(s.mask) + " / " + s.editText);
        const EditMask m = EditMask::Parse(QString::fromUtf8(s.mask)).value();
        const QString text = QString::fromUtf8(s.editText);
        EXPECT_EQ(m.FormatValue(m.ValueOf(text)), text);
    }
}

TEST(EditMask, first_invalid_position_finds_missing_required_characters) {
    static const struct {
        const char* mask;
        const char* editText;
        int expected;
    } cases[] = {
        {"000\\-0000;0;_", "123-4567", -1},
        {"000\\-0000;0;_", "123-45__", 6},
        {"000\\-0000;0;_", "___-____", 0},
        {"99/99/9999;1; ", "  /  /    ", -1},
        {"99/99/9999;1; ", "ab/  /    ", 0},
        {"99/99/9999;1; ", "05-03-2024", 2},
        {"LL;0;_", "A1", 1},
        {"ll;0;_", "__", -1},
        {"CC;0;_", "a ", 1},
        {"99;0;_", "12345", 2},
        {"$###.##;1; ", "$***.**", 1},
        {"$###.##;1; ", "$-12.5 ", -1},
        {"", "anything", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " / " + c.editText);
        const EditMask m = EditMask::Parse(QString::fromUtf8(c.mask)).value();
        EXPECT_EQ(m.FirstInvalidPosition(QString::fromUtf8(c.editText)), c.expected);
    }
}

TEST(EditMask, input_positions_and_navigation) {
    const EditMask m = EditMask::Parse(QStringLiteral("\\(99\\)>L")).value();
    EXPECT_FALSE(m.IsInputPosition(0));
    EXPECT_TRUE(m.IsInputPosition(1));
    EXPECT_EQ(m.NextInput(0), 1);
    EXPECT_EQ(m.NextInput(3), 4);
    EXPECT_EQ(m.NextInput(5), -1);
    EXPECT_EQ(m.PreviousInput(4), 2);
    EXPECT_EQ(m.PreviousInput(1), -1);
    EXPECT_TRUE(m.Allows(1, QLatin1Char('7')));
    EXPECT_FALSE(m.Allows(1, QLatin1Char('x')));
    EXPECT_FALSE(m.Allows(0, QLatin1Char('(')));
    EXPECT_FALSE(m.Allows(-1, QLatin1Char('1')));
    EXPECT_FALSE(m.Allows(99, QLatin1Char('1')));
    EXPECT_EQ(m.Convert(4, QLatin1Char('q')), QLatin1Char('Q'));
    EXPECT_EQ(m.Convert(1, QLatin1Char('q')), QLatin1Char('q'));
}

}  // namespace
}  // namespace format
