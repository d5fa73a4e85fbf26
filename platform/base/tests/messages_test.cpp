#include "platform/base/messages.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberedMessages, declared_texts_are_found_and_later_declarations_replace_earlier) {
    base::DeclareMessages({{90001, "First text"}, {90002, "Zweiter Text ü"}});
    EXPECT_EQ(base::MessageText(90001), "First text");
    EXPECT_EQ(base::MessageText(90002), QString::fromUtf8("Zweiter Text ü"));
    EXPECT_TRUE(base::HasMessage(90001));
    EXPECT_FALSE(base::HasMessage(90003));
    EXPECT_EQ(base::MessageText(90003), QString());
    base::DeclareMessage(90001, QStringLiteral("Replaced"));
    EXPECT_EQ(base::MessageText(90001), "Replaced");
}

struct FormatCase {
    const char* text;
    QStringList args;
    const char* expected;
};

TEST(NumberedMessages, placeholders_are_filled_in_order_or_by_index) {
    static const FormatCase cases[] = {
        {"Table %s not found", {"Registry.DB"}, "Table Registry.DB not found"},
        {"%d of %d", {"3", "7"}, "3 of 7"},
        {"100%% done", {}, "100% done"},
        {"%1:s then %0:s", {"a", "b"}, "b then a"},
        {"missing %s", {}, "missing %s"},
        {"width %5d", {"42"}, "width 42"},
        {"trailing %", {}, "trailing %"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(base::FormatText(QString::fromUtf8(c.text), c.args), QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(base::ReplacePlaceholders(QStringLiteral("Page <page> of <PageCount>"),
                                        {{"<page>", "2"}, {"<pagecount>", "9"}}),
              "Page 2 of 9");
}

}  // namespace
