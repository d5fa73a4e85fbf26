#include "platform/base/text_cut.h"

#include <gtest/gtest.h>

namespace {

TEST(CutToLength, never_splits_a_surrogate_pair) {
    const QString emoji = QString::fromUcs4(U"\U0001F600");  // two UTF-16 units
    const QString cjk = QString::fromUcs4(U"\U00020000");    // CJK extension B
    static const struct {
        QString text;
        int maxChars;
        QString expected;
    } cases[] = {
        {QStringLiteral("abcdef"), 4, QStringLiteral("abcd")},
        {QStringLiteral("abc"), 4, QStringLiteral("abc")},
        {QStringLiteral("abc"), 0, QString()},
        {QStringLiteral("abc"), -3, QString()},
        {QStringLiteral("abc") + emoji, 4, QStringLiteral("abc")},         // the pair would be split
        {QStringLiteral("abc") + emoji, 5, QStringLiteral("abc") + emoji}, // fits exactly
        {QStringLiteral("ab") + emoji + QStringLiteral("x"), 4, QStringLiteral("ab") + emoji},
        {emoji + emoji, 3, emoji},
        {cjk, 1, QString()},
        {QStringLiteral("abc") + QChar(0xD800), 4, QStringLiteral("abc") + QChar(0xD800)},  // unpaired, fits
        {QStringLiteral("ab") + QChar(0xDC00) + QStringLiteral("cd"), 3, QStringLiteral("ab") + QChar(0xDC00)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " / " + std::to_string(c.maxChars));
        const QString cut = base::CutToLength(c.text, c.maxChars);
        EXPECT_EQ(cut, c.expected);
        EXPECT_EQ(base::CutLength(c.text, c.maxChars), c.expected.size());
        // a well-formed text stays well-formed: it reads back as the same characters
        if (c.text.isValidUtf16()) {
            EXPECT_EQ(QString::fromUtf8(cut.toUtf8()), cut);
        }
    }
}

}  // namespace
