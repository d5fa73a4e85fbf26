#include "fulltext/search/ts_expression.h"

#include <QFile>
#include <QString>
#include <QTextStream>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace {

/// The case file: one case per line, "expression => outcome", where the outcome is the
/// canonical code text or "error <number> at <position>". Lines starting with "#" and blank
/// lines are skipped.
struct Case {
    int line;
    QString source;
    QString expected;
};

std::vector<Case> loadCases(const QString& name) {
    const QString dir = QStringLiteral(TEST_DATA_DIR);
    QFile f(dir + QLatin1Char('/') + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << f.fileName().toStdString();
    std::vector<Case> cases;
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    int line = 0;
    while (!in.atEnd()) {
        const QString text = in.readLine();
        ++line;
        if (text.trimmed().isEmpty() || text.startsWith(u'#')) continue;
        const qsizetype arrow = text.lastIndexOf(QLatin1String(" => "));
        EXPECT_GE(arrow, 0) << "line " << line;
        cases.push_back({line, text.left(arrow), text.mid(arrow + 4)});
    }
    return cases;
}

QString outcome(const QString& source, const QStringList& tokens) {
    try {
        return fulltext::CodeText(fulltext::CompileExpression(source, tokens));
    } catch (const EExpression& e) {
        return QStringLiteral("error %1 at %2").arg(e.ErrorCode()).arg(e.Position());
    }
}

}  // namespace

TEST(SearchExpression, compiles_every_case_of_the_corpus_to_its_code_or_error) {
    const std::vector<Case> cases = loadCases(QStringLiteral("expressions.txt"));
    ASSERT_GT(cases.size(), 20u);
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("line %1: %2").arg(c.line).arg(c.source).toStdString());
        EXPECT_EQ(outcome(c.source, fulltext::DefaultTokens()).toStdString(), c.expected.toStdString());
    }
}

TEST(SearchExpression, replaced_keywords_act_as_operators_and_the_defaults_become_terms) {
    const QStringList tokens{"und", "oder", "nicht", "wie", "nahe"};
    EXPECT_EQ(outcome("rot und blau", tokens), "[ROT] [BLAU] AND");
    EXPECT_EQ(outcome("nicht rot oder wie blau", tokens), "[ROT] NOT [BLAU] LIKE OR");
    EXPECT_EQ(outcome("red and", tokens), "error 30498 at 5");
    EXPECT_EQ(outcome("a und b nahe c", tokens), "[A] [B] [C] NEAR AND");
}

TEST(SearchExpression, error_messages_carry_their_numbers_and_texts) {
    struct Row {
        const char* source;
        int number;
        const char* text;
    };
    static const Row rows[] = {
        {"(red", 30485, "Missing parenthesis"},
        {"\"red", 30486, "Missing quote"},
        {"red and", 30487, "Missing string"},
        {"()", 30498, "Syntax error"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.source);
        try {
            fulltext::CompileExpression(QString::fromUtf8(r.source), fulltext::DefaultTokens());
            ADD_FAILURE() << "no error";
        } catch (const EExpression& e) {
            EXPECT_EQ(e.ErrorCode(), r.number);
            EXPECT_EQ(e.Message().toStdString(), r.text);
        }
    }
}

TEST(SearchExpression, code_that_would_pass_the_code_limit_raises_code_array_full) {
    QStringList words;
    for (int i = 0; i < 200; ++i) words << QStringLiteral("word%1").arg(i);
    try {
        fulltext::CompileExpression(words.join(QLatin1String(" or ")), fulltext::DefaultTokens());
        FAIL() << "no error";
    } catch (const EExpression& e) {
        EXPECT_EQ(e.ErrorCode(), 30464);
        EXPECT_GT(e.Position(), 900);
    }
    // Just below the limit still compiles.
    words = words.mid(0, 100);
    EXPECT_NO_THROW(fulltext::CompileExpression(words.join(QLatin1String(" or ")), fulltext::DefaultTokens()));
}

TEST(SearchExpression, tells_whether_an_operator_was_produced_before_an_error) {
    bool hadOperator = true;
    EXPECT_THROW(fulltext::CompileExpression("red blue", fulltext::DefaultTokens(), &hadOperator), EExpression);
    EXPECT_FALSE(hadOperator);
    EXPECT_THROW(fulltext::CompileExpression("red and blue green", fulltext::DefaultTokens(), &hadOperator),
                 EExpression);
    EXPECT_TRUE(hadOperator);
}
