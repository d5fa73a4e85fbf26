#include "fulltext/search/ts_search.h"
#include "fulltext/search/tests/search_answer.h"

#include "fulltext/char_rules.h"
#include "fulltext/testsupport/memory_index.h"
#include "fulltext/ts_cache.h"
#include "fulltext/errors.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextStream>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include "test_paths.h"

using fulltext::testing::MemoryRecords;
using fulltext::testing::MemoryWordTable;

namespace {

QStringList readDataLines(const QString& name) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/") + name);
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
        return fulltext::testing::SearchAnswer(*searcher, logic, query);
    }
    QString matches() const { return fulltext::testing::MatchedRecords(*searcher); }

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

TEST_F(Search, a_search_without_links_raises_the_engine_errors) {
    TtsSearch lone;
    lone.SetSearchFor(QStringLiteral("red"));
    try {
        lone.Execute();
        FAIL();
    } catch (const ETessick& e) {
        EXPECT_EQ(e.ErrorCode(), 30489);
    }
    lone.SetTextLink(records.get());
    try {
        lone.Execute();
        FAIL();
    } catch (const ETessick& e) {
        EXPECT_EQ(e.ErrorCode(), 30490);
    }
    EXPECT_FALSE(lone.States().Contains(TEngineState::esSearch));
}

TEST_F(Search, omitted_and_short_words_are_ignored_without_emptying_other_operands) {
    MemoryWordTable::Options options;
    options.omit = QStringList{"the", "of", "and"};
    options.minWordLen = 2;
    build(options);
    struct Row {
        TSearchLogic logic;
        const char* query;
        const char* expected;
    };
    static const Row rows[] = {
        {slAnd, "the of", "none"},
        {slOr, "the", "none"},
        {slNot, "the of", "10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 27"},
        {slAnd, "the red", "10 12 16 22 25"},
        {slAnd, "a b", "none"},
        {slPhrase, "lazy the dog", "none"},
        {slExpression, "the and of", "none"},
        {slExpression, "(the or of) and whale", "11"},
        {slExpression, "whale or the", "11"},
        {slExpression, "(red and blue) or the", "12"},
        {slExpression, "(red or whale) and (the or of)", "10 11 12 16 22 25"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.query);
        EXPECT_EQ(run(r.logic, QString::fromUtf8(r.query)).toStdString(), r.expected);
    }
}

TEST_F(Search, prefix_scans_stop_early_and_suffix_scans_use_the_reversed_words) {
    EXPECT_EQ(run(slAnd, QStringLiteral("comp*")), "14 15 16 22 27");
    EXPECT_LT(words->RowsVisited(), 10);
    EXPECT_EQ(searcher->QueryWords(), (QStringList{"COMPUTATION", "COMPUTE", "COMPUTER", "COMPUTERS"}));

    const int before = words->RowsVisited();
    EXPECT_EQ(run(slAnd, QStringLiteral("*tion")), "13 15 16 27");
    EXPECT_LT(words->RowsVisited() - before, 10);

    MemoryWordTable::Options noReverse;
    noReverse.reverse = false;
    build(noReverse);
    EXPECT_EQ(run(slAnd, QStringLiteral("*tion")), "13 15 16 27");
    EXPECT_GE(words->RowsVisited(), words->WordCount());

    MemoryWordTable::Options pairs = noReverse;
    pairs.wordPairs = true;
    build(pairs);
    EXPECT_EQ(run(slAnd, QStringLiteral("*tion")), "error 30504");
    EXPECT_EQ(run(slAnd, QStringLiteral("comp*")), "14 15 16 22 27");

    MemoryWordTable::Options noLike;
    noLike.like = false;
    build(noLike);
    EXPECT_EQ(run(slLike, QStringLiteral("smith")), "error 30483");
}

TEST_F(Search, word_pairs_answer_two_word_phrases_without_reading_records) {
    MemoryWordTable::Options pairs;
    pairs.wordPairs = true;
    build(pairs);
    EXPECT_EQ(run(slPhrase, QStringLiteral("lazy dog")), "10 25");
    EXPECT_EQ(records->RecordsRead(), 0);
    EXPECT_EQ(run(slPhrase, QStringLiteral("red fox jumps")), "10");
    EXPECT_GT(records->RecordsRead(), 0);
    const int read = records->RecordsRead();
    searcher->SetSearchOptions(soLazyPhrase);
    EXPECT_EQ(run(slPhrase, QStringLiteral("red fox jumps")), "10");
    EXPECT_EQ(records->RecordsRead(), read);
}

TEST_F(Search, near_word_counts_the_distance_and_international_ignores_accents) {
    searcher->SetNearWord(0);
    EXPECT_EQ(searcher->NearWord(), 8);
    searcher->SetNearWord(7);
    EXPECT_EQ(run(slNear, QStringLiteral("alpha beta")), "none");
    searcher->SetNearWord(9);
    EXPECT_EQ(run(slNear, QStringLiteral("alpha beta")), "17 18");

    EXPECT_EQ(run(slAnd, QStringLiteral("cafe")), "none");
    searcher->SetInternational(true);
    EXPECT_EQ(run(slAnd, QStringLiteral("cafe")), "24");
    EXPECT_EQ(run(slAnd, QStringLiteral("caf*")), "24");
    EXPECT_EQ(run(slPhrase, QStringLiteral("and cafe are")), "24");
}

TEST_F(Search, expression_errors_keep_the_position_and_smart_restores_its_logic) {
    EXPECT_EQ(run(slExpression, QStringLiteral("red blue")), "error 30498");
    EXPECT_EQ(searcher->ErrorPosition(), 5);
    EXPECT_FALSE(searcher->ErrorHadOperator());
    EXPECT_EQ(run(slExpression, QStringLiteral("  (red and blue")), "error 30485");
    EXPECT_EQ(searcher->ErrorPosition(), 14);
    EXPECT_TRUE(searcher->ErrorHadOperator());
    EXPECT_EQ(run(slSmart, QStringLiteral("red blue")), "12");
    EXPECT_EQ(searcher->SearchLogic(), slSmart);
    EXPECT_EQ(searcher->ErrorPosition(), 5);
    EXPECT_EQ(run(slSmart, QStringLiteral("red or blue")), "10 11 12 16 21 22 25 27");
    EXPECT_EQ(searcher->ErrorPosition(), 0);
}

TEST_F(Search, replaced_tokens_and_previewed_words_change_what_is_searched) {
    searcher->SetTokens({"und", "oder", "nicht", "wie", "nahe"});
    EXPECT_EQ(run(slExpression, QStringLiteral("red und blue")), "12");
    EXPECT_EQ(run(slExpression, QStringLiteral("red and blue")), "error 30498");
    searcher->SetTokens({});
    EXPECT_EQ(run(slExpression, QStringLiteral("red and blue")), "12");

    searcher->OnPreviewWord = [](QObject*, QString& w) {
        if (w == QLatin1String("SCARLET")) w = QStringLiteral("RED");
    };
    EXPECT_EQ(run(slAnd, QStringLiteral("scarlet barn")), "25");
}

TEST(SearchRanking, the_rank_list_holds_at_most_eight_thousand_matches) {
    MemoryRecords records;
    for (int i = 1; i <= 10000; ++i)
        records.Add(i, {i % 3 == 0 ? QStringLiteral("common word common") : QStringLiteral("common word")});
    MemoryWordTable words;
    words.Build(records, {});
    TtsSearch searcher;
    searcher.SetTextLink(&records);
    searcher.SetWordsLink(&words);
    searcher.SetRankMode(rmCount);
    searcher.SetSearchFor(QStringLiteral("common"));
    searcher.Execute();
    ASSERT_EQ(searcher.MatchCount(), 10000);
    const std::vector<TRankEntry>& list = searcher.RankList();
    ASSERT_EQ(list.size(), 8000u);
    // The first 8000 records in record order are ranked; those with the word twice come first.
    EXPECT_EQ(list.front().record, 3);
    EXPECT_EQ(list.front().rank, 2);
    EXPECT_EQ(list[2665].record, 7998);
    EXPECT_EQ(list[2666].record, 1);
    EXPECT_EQ(list.back().record, 8000);
    EXPECT_EQ(list.back().percent, 50);
    ASSERT_TRUE(searcher.Navigate(TtsNavSearch::navLast));
    EXPECT_EQ(records.RecordIndex(), 8000);
    EXPECT_FALSE(searcher.Navigate(TtsNavSearch::navNext));
    ASSERT_TRUE(searcher.Navigate(TtsNavSearch::navPrior));
    EXPECT_EQ(records.RecordIndex(), 7999);

    searcher.SetSearchOptions(soNavNatural);
    ASSERT_TRUE(searcher.Navigate(TtsNavSearch::navLast));
    EXPECT_EQ(records.RecordIndex(), 10000);
}

// A record's hit count is counted straight from its text when the engine splits and folds
// as it does by default, folding only the words that can be query words; a fold routine of
// the caller's own makes it split every word as before. Both must count alike.
TEST(SearchRanking, hit_counts_read_straight_from_the_text_equal_word_by_word_counts) {
    const QString longWord = QString(45, u'q');  // cut to 40 characters when split
    MemoryRecords records;
    const QStringList texts = {
        QStringLiteral("Apple apple APPLE pie"),
        QStringLiteral("pineapple, apple-pie; apple.pie (apple)"),
        QStringLiteral("\u00C9t\u00E9 \u00E9t\u00E9 apple \u00E9T\u00C9"),
        QStringLiteral("apple \U0001F600 apple"),           // a surrogate pair between words
        QStringLiteral("apple") + QChar(0xDC00) + QStringLiteral("apple"),  // an unpaired low surrogate
        longWord + QStringLiteral(" apple ") + longWord.left(40),
        QStringLiteral("pie pie pie 42 apple42 apple"),
    };
    for (int i = 0; i < texts.size(); ++i) records.Add(i + 1, {texts[i], QStringLiteral("second field apple")});
    MemoryWordTable words;
    words.Build(records, {});

    auto ranks = [&](const QString& query, bool ownFold, bool weighted) {
        TtsSearch searcher;
        searcher.SetTextLink(&records);
        searcher.SetWordsLink(&words);
        if (ownFold) searcher.FoldProc = [](QChar* text, qsizetype length) { fulltext::UpperInPlace(text, length); };
        if (weighted)
            searcher.OnRankWord = [](QObject*, const QString& word) { return word == QStringLiteral("PIE") ? 3 : 1; };
        searcher.SetSearchLogic(slOr);
        searcher.SetSearchFor(query);
        searcher.Execute();
        std::map<int, int> byRecord;
        for (bool ok = searcher.Navigate(TtsNavSearch::navFirst); ok; ok = searcher.Navigate(TtsNavSearch::navNext))
            byRecord[records.RecordIndex()] = searcher.GetRecordRank();
        return byRecord;
    };
    for (const QString& query : {QStringLiteral("apple"), QStringLiteral("apple pie"), QStringLiteral("\u00E9t\u00E9"),
                                 QStringLiteral("pie 42"), longWord}) {
        for (bool weighted : {false, true}) {
            SCOPED_TRACE(query.toStdString() + (weighted ? " weighted" : ""));
            const auto direct = ranks(query, false, weighted);
            EXPECT_FALSE(direct.empty());
            EXPECT_EQ(direct, ranks(query, true, weighted));
        }
    }
    const auto apple = ranks(QStringLiteral("apple"), false, false);
    EXPECT_EQ(apple.at(1), 4);  // three in the first field, one in the second
    EXPECT_EQ(apple.at(2), 4);  // "pineapple" is another word
    EXPECT_EQ(apple.at(4), 3);
    EXPECT_EQ(apple.at(5), 3);
    EXPECT_EQ(ranks(QStringLiteral("apple pie"), false, true).at(7), 2 + 9);
}

TEST(SearchEmptyTable, every_logic_answers_no_records_over_an_empty_table) {
    MemoryRecords records;
    MemoryWordTable words;
    words.Build(records, {});
    TtsSearch searcher;
    searcher.SetTextLink(&records);
    searcher.SetWordsLink(&words);
    for (TSearchLogic logic : {slAnd, slOr, slNot, slPhrase, slExpression}) {
        SCOPED_TRACE(int(logic));
        searcher.SetSearchLogic(logic);
        searcher.SetSearchFor(QStringLiteral("red or not blue"));
        searcher.Execute();
        EXPECT_EQ(searcher.MatchCount(), 0);
        EXPECT_FALSE(searcher.Navigate(TtsNavSearch::navFirst));
    }
}
