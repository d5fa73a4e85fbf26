// Phrase and nearness checks read the candidate records in one pass over each field's text,
// straight from the table's file. These tests hold that pass to the word-by-word reading
// through the table's cursor (forced by a fold procedure equal to the plain upper case but
// not the same function) and to the expected records, on texts where the two could part:
// words split across fields, partial phrases that restart, surrogate pairs, words longer than
// the word field, letters outside ASCII, apostrophes and distances at the nearness limit.

#include "fulltext/search/ts_search.h"

#include "fulltext/search/tests/search_answer.h"

#include "fulltext/char_rules.h"
#include "fulltext/testsupport/index_fixture.h"
#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"
#include "fulltext/errors.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include "testsupport/temp_folder.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct Record {
    int id;
    const char16_t* title;
    const char16_t* body;
};

const Record kRecords[] = {
    {1, u"Alpha beta", u"gamma delta"},
    {2, u"", u"the end of the story, and the end."},
    {3, u"", u"a a b c"},
    {4, u"", u"beta \U0001F600 gamma, then \U0001D49Clpha omega"},
    {5, u"", u"internationalizations end here"},
    {6, u"", u"Stra\u00DFe \u00D6l caf\u00E9 ol\u00E9"},
    {7, u"", u"one two three four five six seven eight nine ten"},
    {8, u"end of", u"the story"},
    {9, u"", u"don't stop me now"},
};

class RecordCheck : public fulltext::testing::IndexFixture {
protected:
    void SetUp() override {
        testsupport::TempFolder::SetUp();
        std::vector<std::pair<QString, QString>> texts;
        for (const Record& r : kRecords) {
            while (int(texts.size()) < r.id - 1) texts.emplace_back();
            texts.emplace_back(QString::fromUtf16(r.title), QString::fromUtf16(r.body));
        }
        writeRecordsAndIndex(texts);
    }

    /// Record table "Notes.DB" with records 1, 2, ... holding the (title, body) texts given
    /// (a pair of null texts leaves its number out), its index, and the searcher over both.
    void writeRecordsAndIndex(const std::vector<std::pair<QString, QString>>& texts) {
        {
            db::Table t;
            t.SetDatabaseName(Path());
            t.SetTableName(QStringLiteral("Notes.DB"));
            t.FieldDefs() = {{QStringLiteral("NodeID"), db::FieldType::ftInteger, 0, true},
                             {QStringLiteral("Title"), db::FieldType::ftString, 100, false},
                             {QStringLiteral("Body"), db::FieldType::ftMemo, 0, false}};
            t.IndexDefs() = {{QString(), QStringLiteral("NodeID"), db::IndexOption::ixPrimary}};
            t.CreateTable();
            t.Open();
            for (std::size_t i = 0; i < texts.size(); ++i) {
                if (texts[i].first.isNull() && texts[i].second.isNull()) continue;
                t.Append();
                t.FieldByName(QStringLiteral("NodeID"))->SetAsInteger(int(i) + 1);
                t.FieldByName(QStringLiteral("Title"))->SetAsString(texts[i].first);
                t.FieldByName(QStringLiteral("Body"))->SetAsString(texts[i].second);
                t.Post();
            }
        }
        Build();
        records.SetDatabaseName(Path());
        records.SetTableName(QStringLiteral("Notes.DB"));
        words.SetDatabaseName(Path());
        words.SetTableName(QStringLiteral("NotesDict.DB"));
        textLink.SetTable(&records);
        wordsLink.SetTable(&words);
        searcher.SetTextLink(&textLink);
        searcher.SetWordsLink(&wordsLink);
    }

    QString run(TSearchLogic logic, const QString& query) {
        return fulltext::testing::SearchAnswer(searcher, logic, query);
    }

    /// The same search read word by word: a fold procedure that is not the plain upper-case
    /// function (though it folds the same) keeps the one-pass reading out.
    QString runWordByWord(TSearchLogic logic, const QString& query) {
        searcher.FoldProc = [](QChar* text, qsizetype length) { fulltext::UpperInPlace(text, length); };
        const QString answer = run(logic, query);
        searcher.FoldProc = &fulltext::UpperInPlace;
        return answer;
    }

    db::Table records;
    db::Table words;
    TtsTextTableLink textLink;
    TtsWordsTableLink wordsLink;
    TtsSearch searcher;
};

TEST_F(RecordCheck, one_pass_reading_finds_the_records_the_word_by_word_reading_finds) {
    struct Case {
        TSearchLogic logic;
        const char16_t* query;
        const char* expected;
    };
    const Case cases[] = {
        {slPhrase, u"beta gamma", "4"},                 // not across record 1's fields; an emoji between
        {slPhrase, u"the end", "2"},                    //
        {slPhrase, u"end of the story", "2"},           // record 8 splits it between fields
        {slPhrase, u"of the", "2"},                     //
        {slPhrase, u"a b", "3"},                        // a partial match restarts on the second "a"
        {slPhrase, u"a b c", "3"},                      //
        {slPhrase, u"b a", "none"},                     //
        {slPhrase, u"then \U0001D49Clpha omega", "4"},  // a word holding a surrogate pair
        {slPhrase, u"internationalization end", "5"},   // the text's word is cut to the word field
        {slPhrase, u"stra\u00DFe \u00F6l", "6"},        // letters outside ASCII
        {slPhrase, u"CAF\u00C9 OL\u00C9", "6"},         //
        {slPhrase, u"don t stop", "9"},                 // the apostrophe ends a word
        {slPhrase, u"stop don", "none"},                //
        {slNear, u"one eight", "7"},                    // eight is the 8th word: inside
        {slNear, u"eight one", "7"},                    //
        {slNear, u"one nine", "none"},                  // the 9th: outside
        {slNear, u"two nine", "7"},                     //
        {slNear, u"story end", "2"},                    //
        {slNear, u"gamma omega", "4"},                  // through the surrogate pairs
    };
    for (const Case& c : cases) {
        const QString query = QString::fromUtf16(c.query);
        SCOPED_TRACE(query.toStdString());
        EXPECT_EQ(run(c.logic, query).toStdString(), c.expected);
        EXPECT_EQ(runWordByWord(c.logic, query).toStdString(), c.expected);
    }
}

TEST_F(RecordCheck, sub_fields_ranges_and_other_orders_keep_their_answers) {
    textLink.SetSubFieldNames({QStringLiteral("Title")});
    EXPECT_EQ(run(slPhrase, QStringLiteral("alpha beta")), QStringLiteral("1"));
    EXPECT_EQ(run(slPhrase, QStringLiteral("the end")), QStringLiteral("none"));
    textLink.SetSubFieldNames({});

    // A range on the record table: records outside it do not exist for the check.
    records.Open();
    records.SetRange({1}, {3});
    EXPECT_EQ(run(slPhrase, QStringLiteral("a b")), QStringLiteral("3"));
    records.SetRange({4}, {9});
    EXPECT_EQ(run(slPhrase, QStringLiteral("a b")), QStringLiteral("none"));
    EXPECT_EQ(run(slNear, QStringLiteral("one eight")), QStringLiteral("7"));
    records.CancelRange();

    // A process-field handler sees every field of every candidate, as before.
    int handled = 0;
    textLink.OnProcessField = [&](QObject*, TtsEngine* engine, db::Field* field) {
        ++handled;
        if (!field->IsNull()) engine->ParseString(field->AsString());
    };
    EXPECT_EQ(run(slPhrase, QStringLiteral("the end")), QStringLiteral("2"));
    EXPECT_GT(handled, 0);
    textLink.OnProcessField = nullptr;

    // The check leaves the table where it stood.
    records.First();
    records.Next();
    EXPECT_EQ(run(slNear, QStringLiteral("two nine")), QStringLiteral("7"));
    EXPECT_EQ(records.FieldByName(QStringLiteral("NodeID"))->AsInteger(), 2);
}

}  // namespace

namespace {

/// Random texts over a small vocabulary (with case changes, letters outside ASCII, a long s
/// folding to "S", digits, an over-long word, emoji and control characters among the
/// delimiters) in two fields, and random phrase and nearness queries: the one-pass reading
/// and the word-by-word reading must find the same records.
class RecordCheckRandom : public RecordCheck {
protected:
    void SetUp() override {
        testsupport::TempFolder::SetUp();
        std::mt19937 random(20261210);
        auto pick = [&](const QStringList& from) { return from[int(random() % from.size())]; };
        const QStringList vocabulary = {"in",
                                        "In",
                                        "IN",
                                        "the",
                                        "end",
                                        "then",
                                        "bin",
                                        "tHe",
                                        "\u017Ftar",
                                        "star",
                                        "\u00E9t\u00E9",
                                        "\u00C9T\u00C9",
                                        "x9",
                                        "9x",
                                        "ending",
                                        "internationalizationwide",
                                        "internationalizationwise"};
        const QStringList delimiters = {" ", " ", " ", ", ", ".\n", " - ", "'", " \U0001F600 ", "\u0001", "  "};
        std::vector<std::pair<QString, QString>> texts(150, {QStringLiteral(""), QStringLiteral("")});
        for (auto& [title, body] : texts) {
            for (int w = int(random() % 4); w > 0; --w) title += pick(vocabulary) + pick(delimiters);
            for (int w = int(random() % 40); w > 0; --w) body += pick(vocabulary) + pick(delimiters);
        }
        writeRecordsAndIndex(texts);
    }
};

TEST_F(RecordCheckRandom, random_phrases_and_nearness_find_the_same_records_either_way) {
    std::mt19937 random(7);
    const QStringList queryWords = {
        "in", "the", "end", "then", "bin", "star", "\u00E9t\u00E9", "x9", "9x", "ending", "internationalizationwise"};
    int matched = 0;
    for (int q = 0; q < 300; ++q) {
        const bool near = q % 2 == 1;
        const int count = 1 + int(random() % 3);
        QStringList query;
        for (int i = 0; i < count; ++i) query << queryWords[int(random() % queryWords.size())];
        if (near) searcher.SetNearWord(1 + int(random() % 6));
        const QString text = query.join(u' ');
        SCOPED_TRACE(QStringLiteral("%1 %2 (near word %3)")
                         .arg(near ? QStringLiteral("near") : QStringLiteral("phrase"), text)
                         .arg(searcher.NearWord())
                         .toStdString());
        const QString direct = run(near ? slNear : slPhrase, text);
        EXPECT_EQ(direct, runWordByWord(near ? slNear : slPhrase, text));
        if (direct != QStringLiteral("none") && !direct.startsWith(QStringLiteral("error"))) ++matched;
    }
    EXPECT_GT(matched, 50);  // the queries are not all empty-handed
}

}  // namespace
