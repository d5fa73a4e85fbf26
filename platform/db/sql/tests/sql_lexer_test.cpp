#include "platform/db/sql/sql_lexer.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace db::sql {
namespace {

QString Describe(const std::vector<Token>& tokens) {
    QStringList parts;
    for (const Token& t : tokens) {
        if (t.kind == TokenKind::Space) continue;
        const char* kind = "";
        switch (t.kind) {
        case TokenKind::Comment: kind = "C"; break;
        case TokenKind::Word: kind = "W"; break;
        case TokenKind::DoubleQuoted: kind = "D"; break;
        case TokenKind::SingleQuoted: kind = "S"; break;
        case TokenKind::QuotedName: kind = "Q"; break;
        case TokenKind::Number: kind = "N"; break;
        case TokenKind::Symbol: kind = "Y"; break;
        case TokenKind::Space: break;
        }
        parts << QStringLiteral("%1[%2]").arg(QLatin1String(kind), t.text);
    }
    return parts.join(u' ');
}

TEST(SqlLexer, splits_texts_into_tokens_that_join_back_to_the_input) {
    struct Case {
        const char* text;
        const char* tokens;
    };
    static const Case kCases[] = {
        {"SELECT * FROM \"Hierarchy.DB\"", "W[SELECT] Y[*] W[FROM] D[\"Hierarchy.DB\"]"},
        {"a<>b<=c>=d!=e||f", "W[a] Y[<>] W[b] Y[<=] W[c] Y[>=] W[d] Y[!=] W[e] Y[||] W[f]"},
        {"'it''s' \"say \"\"hi\"\"\"", "S['it''s'] D[\"say \"\"hi\"\"\"]"},
        {"1 1.5 .5 1e3 2.5E-4 3.", "N[1] N[1.5] N[.5] N[1e3] N[2.5E-4] N[3.]"},
        {"x -- note\n/* block */y", "W[x] C[-- note] C[/* block */] W[y]"},
        {"h.NodeName Größe $x", "W[h] Y[.] W[NodeName] W[Größe] Y[$] W[x]"},
        {"f(a,b);", "W[f] Y[(] W[a] Y[,] W[b] Y[)] Y[;]"},
        // names in brackets and back-quotes, read as SQLite reads them
        {"SELECT 1 [||||]", "W[SELECT] N[1] Q[[||||]]"},
        {"SELECT 1 `||||`", "W[SELECT] N[1] Q[`||||`]"},
        {"SELECT 1 [* *]", "W[SELECT] N[1] Q[[* *]]"},
        {"[a]]b] `c``d`", "Q[[a]] Y[]] W[b] Y[]] Q[`c``d`]"},
        {"[it's \"x\"]", "Q[[it's \"x\"]]"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        auto r = Tokenize(text);
        ASSERT_TRUE(r.ok()) << r.error().text.toStdString();
        EXPECT_EQ(Describe(r.value()), QString::fromUtf8(c.tokens));
        QString joined;
        for (const Token& t : r.value()) joined += t.text;
        EXPECT_EQ(joined, text);
    }
}

TEST(SqlLexer, reports_unclosed_quotes_and_comments_at_their_opening) {
    struct Case {
        const char* text;
        int code;
        int line;
        int column;
    };
    static const Case kCases[] = {
        {"SELECT 'abc", kUnterminatedString, 1, 8},
        {"SELECT\n  \"Hier", kUnterminatedName, 2, 3},
        {"SELECT 'a''", kUnterminatedString, 1, 8},
        {"x /* never", kUnterminatedComment, 1, 3},
        {"SELECT [abc", kUnterminatedName, 1, 8},
        {"SELECT `a``", kUnterminatedName, 1, 8},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        auto r = Tokenize(QString::fromUtf8(c.text));
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, c.code);
        EXPECT_EQ(r.error().line, c.line);
        EXPECT_EQ(r.error().column, c.column);
    }
}

TEST(SqlLexer, unquoted_gives_the_contents_with_doubled_quotes_undone) {
    auto r = Tokenize(QStringLiteral("'O''Brien' \"a\"\"b\" [x``y] `p``q`"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value()[0].Unquoted(), QStringLiteral("O'Brien"));
    EXPECT_EQ(r.value()[2].Unquoted(), QStringLiteral("a\"b"));
    EXPECT_EQ(r.value()[4].Unquoted(), QStringLiteral("x``y"));  // nothing is escaped in brackets
    EXPECT_EQ(r.value()[6].Unquoted(), QStringLiteral("p`q"));
    EXPECT_EQ(SingleQuote(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
    EXPECT_EQ(DoubleQuote(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
}

}  // namespace
}  // namespace db::sql
