#pragma once

#include "fulltext/testsupport/index_builder.h"

#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_bits.h"
#include "fulltext/ts_cache.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include "testsupport/temp_folder.h"

#include <QRegularExpression>
#include <QStringList>

#include <map>
#include <memory>
#include <random>
#include <set>

namespace fulltext::testing {

/// word -> record numbers.
using WordSets = std::map<QString, std::set<int>>;

/// Which records contain which word, computed plainly from the record table: every run of
/// letters and digits of Title and Body, upper-cased and cut to the word field size.
inline WordSets ExpectedWordSets(const QString& folder, const QString& tableName, int wordFieldSize = 20) {
    WordSets sets;
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(tableName);
    t.Open();
    static const QRegularExpression word(QStringLiteral("[A-Za-z0-9]+"));
    for (t.First(); !t.Eof(); t.Next()) {
        const int id = t.FieldByName(QStringLiteral("NodeID"))->AsInteger();
        for (const char* name : {"Title", "Body"}) {
            const QString text = t.FieldByName(QString::fromLatin1(name))->AsString();
            for (auto it = word.globalMatch(text); it.hasNext();) {
                const QString w = it.next().captured().left(40).left(wordFieldSize).toUpper();
                sets[w].insert(id);
            }
        }
    }
    return sets;
}

/// What the word table holds, read row by row: word -> record numbers (each row's stored
/// set expanded and placed at its segment), and the number of rows per word.
struct StoredIndex {
    WordSets sets;
    std::map<QString, int> counts;  ///< sum of tsCount over the word's rows
};

inline StoredIndex ReadWordTable(const QString& folder, const QString& dictName, int minIndex, int segmentSize) {
    StoredIndex stored;
    db::Table table;
    table.SetDatabaseName(folder);
    table.SetTableName(dictName);
    TtsWordsTableLink link;
    link.SetTable(&table);
    link.Open();
    std::vector<std::uint8_t> buffer(1 << 22);
    TwbBits bits((1 << 16) - 1);  // every test table spans fewer record numbers
    for (link.First(); !link.EndOfTable(); link.Next()) {
        const int length = link.ReadSet(buffer.data(), int(buffer.size()));
        TtsBits::ExpandStored(buffer.data(), length, bits);
        const QString w = link.CurrentWord();
        const int base = minIndex + (link.Segmented() ? link.Segment() * segmentSize : 0);
        for (int b = bits.FirstMember(); b >= 0; b = bits.NextSetBit(b)) stored.sets[w].insert(base + b);
        stored.counts[w] += link.Count();
    }
    return stored;
}

/// A record table "Notes.DB" (NodeID key, Title, Body memo) in a temporary folder with its
/// index "NotesDict.DB", and the components that build and update it.
class IndexFixture : public testsupport::TempFolder {
protected:
    static QString RandomText(std::mt19937& rng, int words) {
        static const QStringList vocabulary = [] {
            QStringList v;
            const char* stems[] = {"red", "car", "bus", "tree", "river", "stone", "light", "paper", "glass", "storm",
                                   "north", "quiet", "table", "winter", "garden", "silver", "market", "letter",
                                   "window", "harbour", "question", "mountain", "kitchen", "engine"};
            for (const char* s : stems) {
                v << QString::fromLatin1(s);
                for (int i = 0; i < 12; ++i) v << QString::fromLatin1(s) + QString::number(i * 7 + 1);
            }
            v << QStringLiteral("antidisestablishmentarianismusquely");  // longer than the word field
            return v;
        }();
        static const char* separators[] = {" ", ", ", ". ", "; ", " (", ") ", "\r\n", " - ", "/"};
        QString text;
        for (int i = 0; i < words; ++i) {
            std::uniform_int_distribution<int> pick(0, int(vocabulary.size()) - 1);
            QString w = vocabulary[pick(rng)];
            if (rng() % 5 == 0) w[0] = w[0].toUpper();
            text += w;
            text += QString::fromLatin1(separators[rng() % 9]);
        }
        return text;
    }

    void CreateRecords(int count, int firstId = 1, int step = 1, unsigned seed = 7) {
        db::Table t;
        t.SetDatabaseName(Path());
        t.SetTableName(QStringLiteral("Notes.DB"));
        t.FieldDefs() = {{QStringLiteral("NodeID"), db::FieldType::ftInteger, 0, true},
                         {QStringLiteral("Title"), db::FieldType::ftString, 60, false},
                         {QStringLiteral("Body"), db::FieldType::ftMemo, 0, false}};
        t.IndexDefs() = {{QString(), QStringLiteral("NodeID"), db::IndexOption::ixPrimary}};
        t.CreateTable();
        t.Open();
        std::mt19937 rng(seed);
        t.StartBatch();
        for (int i = 0; i < count; ++i) {
            t.Append();
            t.FieldByName(QStringLiteral("NodeID"))->SetAsInteger(firstId + i * step);
            t.FieldByName(QStringLiteral("Title"))->SetAsString(RandomText(rng, 3).left(60));
            t.FieldByName(QStringLiteral("Body"))->SetAsString(RandomText(rng, 5 + int(rng() % 40)));
            t.Post();
        }
        t.EndBatch(true);
    }

    /// Builds the index with the given segment size (0: unsegmented).
    void Build(int segmentSize = 0, const MakeSetup& setup = {}) {
        m_segmentSize = BuildIndex(Path(), QStringLiteral("Notes.DB"), QStringLiteral("NotesDict.DB"),
                                   {QStringLiteral("Title"), QStringLiteral("Body")}, [&](TtsMake& maker, TtsMakeWordsTableLink& words) {
                                       maker.SetSegmentSize(segmentSize);
                                       if (setup) setup(maker, words);
                                   });
    }

    /// The indexed table with its updater, as the records core sets them up.
    struct Indexed {
        TtsTable table;
        db::Table words;
        TtsTextTableLink text;
        TtsWordsTableLink wordsLink;
        TtsCache cache;
        TtsUpdate updater;
    };
    std::unique_ptr<Indexed> OpenIndexed() {
        auto x = std::make_unique<Indexed>();
        x->table.SetDatabaseName(Path());
        x->table.SetTableName(QStringLiteral("Notes.DB"));
        x->words.SetDatabaseName(Path());
        x->words.SetTableName(QStringLiteral("NotesDict.DB"));
        x->text.SetTable(&x->table);
        x->wordsLink.SetTable(&x->words);
        x->updater.SetTextLink(&x->text);
        x->updater.SetWordsLink(&x->wordsLink);
        x->updater.SetCache(&x->cache);
        x->table.SetUpdater(&x->updater);
        x->table.Open();
        return x;
    }

    int MinRecord() const {
        db::Table t;
        t.SetDatabaseName(Path());
        t.SetTableName(QStringLiteral("Notes.DB"));
        t.Open();
        t.First();
        return t.Eof() ? 0 : t.FieldByName(QStringLiteral("NodeID"))->AsInteger();
    }

    /// Checks the word table against the plain computation, word by word.
    void ExpectIndexMatchesRecords(int minIndex) {
        const WordSets expected = ExpectedWordSets(Path(), QStringLiteral("Notes.DB"));
        const StoredIndex stored = ReadWordTable(Path(), QStringLiteral("NotesDict.DB"), minIndex,
                                                 m_segmentSize ? m_segmentSize : INT_MAX);
        ASSERT_EQ(stored.sets.size(), expected.size());
        for (const auto& [word, records] : expected) {
            SCOPED_TRACE(word.toStdString());
            const auto it = stored.sets.find(word);
            ASSERT_NE(it, stored.sets.end());
            EXPECT_EQ(it->second, records);
            EXPECT_EQ(stored.counts.at(word), int(records.size()));
        }
    }

    int m_segmentSize = 0;
};

}  // namespace fulltext::testing
