#include "platform/base/exception.h"
#include "platform/base/result.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(ExceptionBase, carries_message_help_context_and_code) {
    try {
        throw base::Exception(QString::fromUtf8("Fehler ä"), 10042, 9729);
    } catch (const std::exception& e) {
        const auto* own = dynamic_cast<const base::Exception*>(&e);
        ASSERT_NE(own, nullptr);
        EXPECT_EQ(own->Message(), QString::fromUtf8("Fehler ä"));
        EXPECT_EQ(own->HelpContext(), 10042);
        EXPECT_EQ(own->Code(), 9729);
        EXPECT_STREQ(e.what(), "Fehler ä");
    }
}

base::Result<int> parseSmall(const QString& s) {
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok) return base::MakeError(1, QStringLiteral("not a number"), 1, 1);
    return v;
}

TEST(ResultType, holds_value_or_error_with_position) {
    const auto good = parseSmall(QStringLiteral("12"));
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good, 12);
    const auto bad = parseSmall(QStringLiteral("x"));
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().text, "not a number");
    EXPECT_EQ(bad.error().column, 1);
    EXPECT_EQ(bad.value_or(5), 5);
    base::Result<void> none;
    EXPECT_TRUE(none.ok());
    base::Result<void> failed = base::MakeError(2, QStringLiteral("no"));
    EXPECT_FALSE(failed.ok());
}

}  // namespace
