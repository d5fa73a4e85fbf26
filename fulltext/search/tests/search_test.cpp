#include "fulltext/search/ts_search.h"

#include "fulltext/search/tests/memory_index.h"
#include "fulltext/ts_cache.h"
#include "fulltext/ts_errors.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextStream>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

using fulltext::testing::MemoryRecords;
using fulltext::testing::MemoryWordTable;

namespace {

QStringList readDataLines(const QString& name) {
    QFile f(QStringLiteral(FTSEARCH_DATA_DIR "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << f.fileName().toStdString();
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    QStringList lines;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        lines << (line.trimmed().isEmpty() || line.startsWith(u'#') ? QString() : line);
    }
    return lines;
}

/// The fixture: the records of records.txt, their word table and a searcher over both.
class Search : public ::testing::Test {
protected:
    void SetUp() override { build({}); }

    void build(const MemoryWordTable::Options& options) {
        searcher = std::make_unique<TtsSearch>();
        words = std::make_unique<MemoryWordTable>();
        records = std::make_unique<MemoryRecords>();
        for (const QString& line : readDataLines(QStringLiteral("records.txt"))) {
            if (line.isEmpty()) continue;
            const QStringList parts = line.split(QLatin1String(" | "));
            QStringList fields = parts.mid(1);
            records->Add(parts[0].trimmed().toInt(), fields);
        }
        words->Build(*records, options);
        searcher->SetTextLink(records.get());
        searcher->SetWordsLink(words.get());
        searcher->SetWordPairs(options.wordPairs);
        searcher->SetMinWordLen(options.minWordLen);
        searcher->SetOmitList(options.omit);
    }

    /// Runs a search and answers its matching record indexes, "none", or "error N".
    QString run(TSearchLogic logic, const QString& query) {
        searcher->SetSearchLogic(logic);
        searcher->SetSearchFor(query);
        try {
            searcher->Execute();
        } catch (const ECxException& e) {
            return QStringLiteral("error %1").arg(e.ErrorCode());
        } catch (const ETessick& e) {
            return QStringLiteral("error %1").arg(e.ErrorCode());
        }
        return matches();
    }
    QString matches() const {
        QStringList out;
        const TwbBits& bits = searcher->MatchBits();
        for (int b = bits.FirstSetBit(); b >= 0; b = bits.NextSetBit(b))
            out << QString::number(records->MinIndex() + b);
        return out.isEmpty() ? QStringLiteral("none") : out.join(u' ');
    }

    std::unique_ptr<MemoryRecords> records;
    std::unique_ptr<MemoryWordTable> words;
    std::unique_ptr<TtsSearch> searcher;
};

const std::map<QString, TSearchLogic>& logicNames() {
    static const std::map<QString, TSearchLogic> names{
        {"and", slAnd},         {"or", slOr},        {"not", slNot},   {"phrase", slPhrase}, {"near", slNear},
        {"like", slLike},       {"expression", slExpression}, {"smart", slSmart}};
    return names;
}

}  // namespace

TEST_F(Search, answers_every_case_of_the_corpus_with_its_records) {
    const QStringList lines = readDataLines(QStringLiteral("search_cases.txt"));
    int cases = 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) continue;
        const qsizetype arrow = lines[i].lastIndexOf(QLatin1String(" => "));
        const QString left = lines[i].left(arrow);
        const qsizetype space = left.indexOf(u' ');
        const QString logic = space < 0 ? left : left.left(space);
        const QString query = space < 0 ? QString() : left.mid(space + 1);
        SCOPED_TRACE(QStringLiteral("line %1: %2").arg(i + 1).arg(lines[i]).toStdString());
        ASSERT_TRUE(logicNames().count(logic));
        EXPECT_EQ(run(logicNames().at(logic), query).toStdString(), lines[i].mid(arrow + 4).toStdString());
        ++cases;
    }
    EXPECT_GT(cases, 30);
}

// An independent evaluation: every record's words by a plain split, and the expression
// evaluated with AND and OR binding from the left at equal precedence.
namespace {

struct Node {
    enum Kind { Word, And, Or, Not } kind = Word;
    QString word;
    std::unique_ptr<Node> left, right;
};

std::unique_ptr<Node> randomExpression(QRandomGenerator& rng, const QStringList& vocabulary, int depth,
                                       QString& text) {
    auto leaf = [&](QString& t) {
        auto n = std::make_unique<Node>();
        n->word = vocabulary[int(rng.bounded(vocabulary.size()))];
        t = n->word.toLower();
        if (rng.bounded(5) == 0) {
            auto notNode = std::make_unique<Node>();
            notNode->kind = Node::Not;
            notNode->left = std::move(n);
            t = QStringLiteral("not ") + t;
            return notNode;
        }
        return n;
    };
    auto operand = [&](QString& t) -> std::unique_ptr<Node> {
        if (depth > 0 && rng.bounded(3) == 0) {
            QString inner;
            auto n = randomExpression(rng, vocabulary, depth - 1, inner);
            if (rng.bounded(4) == 0) {
                auto notNode = std::make_unique<Node>();
                notNode->kind = Node::Not;
                notNode->left = std::move(n);
                t = QStringLiteral("not (") + inner + QLatin1Char(')');
                return notNode;
            }
            t = QLatin1Char('(') + inner + QLatin1Char(')');
            return n;
        }
        return leaf(t);
    };
    std::unique_ptr<Node> tree = operand(text);
    const int more = int(rng.bounded(4));
    for (int i = 0; i < more; ++i) {
        auto n = std::make_unique<Node>();
        n->kind = rng.bounded(2) ? Node::And : Node::Or;
        QString t;
        n->left = std::move(tree);
        n->right = operand(t);
        text += (n->kind == Node::And ? QStringLiteral(" AND ") : QStringLiteral(" or ")) + t;
        tree = std::move(n);
    }
    return tree;
}

bool evaluate(const Node& n, const std::set<QString>& recordWords) {
    switch (n.kind) {
    case Node::Word: return recordWords.count(n.word) > 0;
    case Node::Not: return !evaluate(*n.left, recordWords);
    case Node::And: return evaluate(*n.left, recordWords) && evaluate(*n.right, recordWords);
    case Node::Or: return evaluate(*n.left, recordWords) || evaluate(*n.right, recordWords);
    }
    return false;
}

}  // namespace

TEST_F(Search, random_boolean_expressions_match_a_plain_scan_of_every_record) {
    std::map<int, std::set<QString>> recordWords;
    static const QRegularExpression splitter(QStringLiteral("[^\\w]+"), QRegularExpression::UseUnicodePropertiesOption);
    std::map<QString, int> frequency;
    for (const auto& [index, fields] : records->Records()) {
        for (const QString& f : fields)
            for (const QString& w : f.toUpper().split(splitter, Qt::SkipEmptyParts)) recordWords[index].insert(w);
        for (const QString& w : recordWords[index]) ++frequency[w];
    }
    QStringList vocabulary{QStringLiteral("ABSENT")};
    for (const auto& [w, count] : frequency)
        if (count >= 2 && !fulltext::DefaultTokens().contains(w.toLower())) vocabulary << w;
    ASSERT_GT(vocabulary.size(), 10);

    QRandomGenerator rng(20261210);
    for (int round = 0; round < 400; ++round) {
        QString text;
        const std::unique_ptr<Node> tree = randomExpression(rng, vocabulary, 2, text);
        QStringList expected;
        for (const auto& [index, ws] : recordWords)
            if (evaluate(*tree, ws)) expected << QString::number(index);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(run(slExpression, text).toStdString(),
                  (expected.isEmpty() ? QStringLiteral("none") : expected.join(u' ')).toStdString());
    }
}
