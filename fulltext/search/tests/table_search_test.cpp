#include "fulltext/search/ts_search.h"

#include "fulltext/search/tests/search_answer.h"
#include "fulltext/testsupport/index_fixture.h"

#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"
#include "fulltext/errors.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include "testsupport/temp_folder.h"

#include <QFile>
#include <QThread>
#include <QTextStream>

#include <gtest/gtest.h>

#include <map>
#include "test_paths.h"

namespace {

QStringList dataLines(const QString& name) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    QStringList lines;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        lines << (line.trimmed().isEmpty() || line.startsWith(u'#') ? QString() : line);
    }
    return lines;
}

/// The fixture records of records.txt in a real table "Notes.DB" (NodeID, Title, Body) with
/// its word table "NotesDict.DB" built by the index maker, and a searcher over both.
class TableSearch : public fulltext::testing::IndexFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        testsupport::TempFolder::SetUp();
        createRecords();
        Build(GetParam());
        records.SetDatabaseName(Path());
        records.SetTableName(QStringLiteral("Notes.DB"));
        words.SetDatabaseName(Path());
        words.SetTableName(QStringLiteral("NotesDict.DB"));
        textLink.SetTable(&records);
        wordsLink.SetTable(&words);
        searcher.SetTextLink(&textLink);
        searcher.SetWordsLink(&wordsLink);
        searcher.SetCache(&cache);
    }

    void createRecords() {
        db::Table t;
        t.SetDatabaseName(Path());
        t.SetTableName(QStringLiteral("Notes.DB"));
        t.FieldDefs() = {{QStringLiteral("NodeID"), db::FieldType::ftInteger, 0, true},
                         {QStringLiteral("Title"), db::FieldType::ftString, 100, false},
                         {QStringLiteral("Body"), db::FieldType::ftMemo, 0, false}};
        t.IndexDefs() = {{QString(), QStringLiteral("NodeID"), db::IndexOption::ixPrimary}};
        t.CreateTable();
        t.Open();
        for (const QString& line : dataLines(QStringLiteral("records.txt"))) {
            if (line.isEmpty()) continue;
            const QStringList parts = line.split(QLatin1String(" | "));
            t.Append();
            t.FieldByName(QStringLiteral("NodeID"))->SetAsInteger(parts[0].trimmed().toInt());
            t.FieldByName(QStringLiteral("Title"))->SetAsString(parts[1]);
            t.FieldByName(QStringLiteral("Body"))->SetAsString(parts[2]);
            t.Post();
        }
    }

    QString run(TSearchLogic logic, const QString& query) {
        return fulltext::testing::SearchAnswer(searcher, logic, query);
    }

    /// Walks the matches with Navigate and answers the records stood on.
    QString walk() {
        QStringList out;
        for (bool ok = searcher.Navigate(TtsNavSearch::navFirst); ok; ok = searcher.Navigate(TtsNavSearch::navNext))
            out << QString::number(records.FieldByName(QStringLiteral("NodeID"))->AsInteger());
        return out.join(u' ');
    }

    db::Table records;
    db::Table words;
    TtsTextTableLink textLink;
    TtsWordsTableLink wordsLink;
    TtsCache cache;
    TtsSearch searcher;
};

const std::map<QString, TSearchLogic> kLogic{{"and", slAnd},       {"or", slOr},     {"not", slNot},
                                             {"phrase", slPhrase}, {"near", slNear}, {"like", slLike},
                                             {"expression", slExpression},         {"smart", slSmart}};

}  // namespace

TEST_P(TableSearch, answers_the_search_corpus_over_a_real_word_table) {
    const QStringList lines = dataLines(QStringLiteral("search_cases.txt"));
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) continue;
        const qsizetype arrow = lines[i].lastIndexOf(QLatin1String(" => "));
        const QString left = lines[i].left(arrow);
        const qsizetype space = left.indexOf(u' ');
        const QString logic = space < 0 ? left : left.left(space);
        const QString query = space < 0 ? QString() : left.mid(space + 1);
        SCOPED_TRACE(QStringLiteral("line %1: %2").arg(i + 1).arg(lines[i]).toStdString());
        EXPECT_EQ(run(kLogic.at(logic), query).toStdString(), lines[i].mid(arrow + 4).toStdString());
    }
}

TEST_P(TableSearch, navigation_walks_matches_in_record_order_and_reversed) {
    EXPECT_EQ(run(slOr, QStringLiteral("red whale")), "10 11 12 16 22 25");
    EXPECT_EQ(searcher.MatchCount(), 6);
    EXPECT_EQ(walk(), "10 11 12 16 22 25");
    searcher.SetSearchOptions(soNavReverse);
    EXPECT_EQ(walk(), "25 22 16 12 11 10");
    EXPECT_TRUE(searcher.IsMatch());
    ASSERT_TRUE(searcher.Navigate(TtsNavSearch::navPrior));  // mirrored: the next match up
    EXPECT_EQ(records.FieldByName(QStringLiteral("NodeID"))->AsInteger(), 11);
}

TEST_P(TableSearch, ranked_navigation_puts_records_with_more_hits_first_and_ties_by_record) {
    searcher.SetRankMode(rmCount);
    EXPECT_EQ(run(slOr, QStringLiteral("grey red")), "10 12 13 16 21 22 25 27");
    // 27 holds GREY twice, 25 holds RED twice (title and body); the rest once each.
    EXPECT_EQ(walk(), "25 27 10 12 13 16 21 22");
    const std::vector<TRankEntry>& list = searcher.RankList();
    ASSERT_EQ(list.size(), 8u);
    EXPECT_EQ(list[0].rank, 2);
    EXPECT_EQ(list[0].percent, 100);
    EXPECT_EQ(list[7].percent, 50);

    searcher.SetRankMode(rmPresense);
    EXPECT_FALSE(searcher.HasRankList());
    EXPECT_EQ(walk(), "10 12 13 16 21 22 25 27");  // every match holds one of the two words

    searcher.SetRankMode(rmCount);
    searcher.OnRankWord = [](QObject*, const QString& w) { return w == QLatin1String("GREY") ? 0 : 1; };
    EXPECT_EQ(run(slOr, QStringLiteral("grey red")), "10 12 13 16 21 22 25 27");
    EXPECT_EQ(walk(), "25 10 12 16 22 13 21 27");

    // The list holds the first RankLimit matches in record order, sorted by their rank.
    searcher.SetRankLimit(3);
    searcher.OnRankWord = nullptr;
    EXPECT_EQ(run(slOr, QStringLiteral("grey red")), "10 12 13 16 21 22 25 27");
    EXPECT_EQ(walk(), "10 12 13");
    searcher.SetRankLimit(0);
    EXPECT_EQ(walk(), "10 12 13 16 21 22 25 27");
}

TEST_P(TableSearch, record_rank_is_zero_off_the_matches_and_counts_hits_on_them) {
    searcher.SetRankMode(rmCount);
    run(slAnd, QStringLiteral("red"));
    ASSERT_TRUE(searcher.Navigate(TtsNavSearch::navFirst));
    EXPECT_EQ(searcher.GetRecordRank(), 2);  // record 25
    records.FindKey({11});
    EXPECT_EQ(searcher.GetRecordRank(), 0);

    // Counted now (no list) and read from the list agree; a match the list left out answers -1.
    auto rankOf = [&](int nodeID) {
        records.FindKey({nodeID});
        return searcher.GetRecordRank();
    };
    const std::vector<std::pair<int, int>> hits = {{25, 2}, {27, 2}, {10, 1}, {13, 1}, {22, 1}};
    searcher.SetRankMode(rmNone);
    searcher.SetRankLimit(0);
    run(slOr, QStringLiteral("grey red"));
    for (const auto& [id, count] : hits) EXPECT_EQ(rankOf(id), count) << id;
    searcher.SetRankMode(rmCount);
    searcher.SetRankLimit(8000);
    run(slOr, QStringLiteral("grey red"));
    ASSERT_EQ(searcher.RankList().size(), 8u);
    for (const auto& [id, count] : hits) EXPECT_EQ(rankOf(id), count) << id;
    EXPECT_EQ(rankOf(11), 0);
    searcher.SetRankLimit(3);  // the list holds 10, 12 and 13
    run(slOr, QStringLiteral("grey red"));
    ASSERT_EQ(searcher.RankList().size(), 3u);
    EXPECT_EQ(rankOf(13), 1);
    EXPECT_EQ(rankOf(25), -1);
    EXPECT_EQ(rankOf(27), -1);
}

TEST_P(TableSearch, narrowing_and_widening_combine_with_the_previous_result) {
    EXPECT_EQ(run(slAnd, QStringLiteral("red")), "10 12 16 22 25");
    searcher.SetSearchMode(smNarrow);
    EXPECT_EQ(run(slAnd, QStringLiteral("lazy")), "10 25");
    EXPECT_EQ(run(slOr, QStringLiteral("barn whale")), "25");
    searcher.SetSearchMode(smWiden);
    EXPECT_EQ(run(slAnd, QStringLiteral("whale")), "11 25");
    EXPECT_EQ(run(slPhrase, QStringLiteral("grey numbers")), "11 25 27");
}

TEST_P(TableSearch, sub_fields_restrict_what_matches_to_those_fields) {
    textLink.SetSubFieldNames({QStringLiteral("Body")});
    EXPECT_EQ(run(slAnd, QStringLiteral("animals")), "10 11 25");
    EXPECT_EQ(run(slAnd, QStringLiteral("red")), "25");
    EXPECT_EQ(run(slOr, QStringLiteral("red people")), "14 15 22 25");
    EXPECT_EQ(run(slAnd, QStringLiteral("red animals")), "25");
}

TEST_P(TableSearch, time_limit_halts_a_search_or_fires_its_event) {
    searcher.SetTimeLimit(1);
    searcher.OnSearch = [](QObject*) { QThread::msleep(2); };
    int timeouts = 0;
    searcher.OnTimeout = [&](QObject*) { ++timeouts; };
    run(slAnd, QStringLiteral("*e"));
    EXPECT_GT(timeouts, 0);
    searcher.OnTimeout = nullptr;
    run(slAnd, QStringLiteral("*e"));
    EXPECT_TRUE(searcher.States().Contains(TEngineState::esHalt));
    searcher.SetTimeLimit(0);
    searcher.OnSearch = nullptr;
    EXPECT_EQ(run(slAnd, QStringLiteral("whale")), "11");
}

INSTANTIATE_TEST_SUITE_P(Unsegmented, TableSearch, ::testing::Values(0));
INSTANTIATE_TEST_SUITE_P(Segmented, TableSearch, ::testing::Values(16));
