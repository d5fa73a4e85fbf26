#include "fulltext/testsupport/index_fixture.h"

#include "fulltext/ts_bits.h"
#include "fulltext/ts_cache.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include <vector>

using namespace fulltext::testing;

namespace {

class IndexBuildRows : public IndexFixture {
protected:
    /// The stored form every row must hold: the set of the word's records of the row's
    /// segment, compressed from a bit set of the build's size.
    static QByteArray ExpectedStoredForm(const std::set<int>& records, int minIndex, int segment, int segmentSize,
                                         int setBits) {
        TwbBits set(setBits - 1);
        for (int r : records) {
            const qint64 relative = qint64(r) - minIndex;
            if (relative / segmentSize == segment) set.SetBitOn(int(relative % segmentSize));
        }
        std::vector<std::uint8_t> out(std::size_t(set.ByteCount()) + 24);
        const int size = TtsBits::CompressSet(set, out.data());
        return QByteArray(reinterpret_cast<const char*>(out.data() + 4), size - 4);
    }
};

}  // namespace

TEST_F(IndexBuildRows, every_row_holds_exactly_the_compressed_form_of_its_words_records) {
    struct Case {
        const char* name;
        int records;
        int firstId;
        int step;
        int segmentSize;  ///< 0: unsegmented
        int cacheKb;      ///< the build cache's memory limit
    };
    static const Case cases[] = {
        {"unsegmented, ample memory", 3000, 1, 1, 0, 100000},
        {"unsegmented, a 1 KB cache compressing all the time", 3000, 1, 1, 0, 1},
        {"numbers with gaps, from 1000 on", 1500, 1000, 7, 0, 4},
        {"segments of 64 records", 1000, 1, 1, 64, 1},
        {"segments of 1000 records, numbers with gaps", 1500, 5, 3, 1000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case starts from an empty folder.
        QDir folder(Path());
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot))
            QFileInfo(folder.filePath(name)).isDir() ? QDir(folder.filePath(name)).removeRecursively()
                                                       : QFile::remove(folder.filePath(name));
        CreateRecords(c.records, c.firstId, c.step, 21);
        Build(c.segmentSize, [&](TtsMake& maker, TtsMakeWordsTableLink&) {
            qobject_cast<TtsCustomCache*>(maker.Cache())->SetMemoryLimit(c.cacheKb);
        });
        const int minIndex = c.firstId;
        const int range = (c.records - 1) * c.step + 1;
        const int segmentSize = c.segmentSize ? m_segmentSize : INT_MAX;  // the engine's, rounded up to 16
        const int setBits = std::min(range, segmentSize);
        const WordSets expected = ExpectedWordSets(Path(), QStringLiteral("Notes.DB"));

        db::Table table;
        table.SetDatabaseName(Path());
        table.SetTableName(QStringLiteral("NotesDict.DB"));
        TtsWordsTableLink link;
        link.SetTable(&table);
        link.Open();
        std::vector<std::uint8_t> buffer(1 << 20);
        std::map<QString, int> rowsPerWord;
        int rows = 0;
        for (link.First(); !link.EndOfTable(); link.Next()) {
            const QString word = link.CurrentWord();
            SCOPED_TRACE(word.toStdString());
            const auto it = expected.find(word);
            ASSERT_NE(it, expected.end());
            const int segment = link.Segmented() ? link.Segment() : 0;
            const int length = link.ReadSet(buffer.data(), int(buffer.size()));
            const QByteArray stored(reinterpret_cast<const char*>(buffer.data()), length);
            const QByteArray wanted = ExpectedStoredForm(it->second, minIndex, segment, segmentSize, setBits);
            ASSERT_EQ(stored.toHex().toStdString(), wanted.toHex().toStdString()) << "segment " << segment;
            EXPECT_EQ(link.Count(), -fulltext::ReadInt32(buffer.data()));
            ++rowsPerWord[word];
            ++rows;
        }
        // One row per word and segment it occurs in, none more.
        int wantedRows = 0;
        for (const auto& [word, records] : expected) {
            std::set<qint64> segments;
            for (int r : records) segments.insert((qint64(r) - minIndex) / segmentSize);
            wantedRows += int(segments.size());
            EXPECT_EQ(rowsPerWord[word], int(segments.size())) << word.toStdString();
        }
        EXPECT_EQ(rows, wantedRows);
    }
}
