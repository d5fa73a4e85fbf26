#include "fulltext/gui/progress_dialog.h"

#include "fulltext/gui/progress_dlg.h"
#include "fulltext/testsupport/index_fixture.h"

#include "platform/db/table_utils.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/qt_printers.h"
#include "testsupport/widget_helpers.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

using fulltext::testing::ExpectedWordSets;
using fulltext::testing::ReadWordTable;
using fulltext::testing::WordSets;

/// A real index build of "Notes.DB" with the progress window attached, as the records
/// core's index build window runs it.
class ProgressOfBuild : public fulltext::testing::IndexFixture {
protected:
    static constexpr int kRecords = 3000;

    void SetUp() override {
        IndexFixture::SetUp();
        CreateRecords(kRecords);
    }

    /// Builds with the window; `whileRunning` runs at every pending-message pass of the
    /// build (through a zero timer), with the window and the maker.
    void BuildWithWindow(const std::function<void(TtsMake&)>& setup,
                         const std::function<void(TtsProgressDlg&, TtsMake&)>& whileRunning) {
        db::Table records;
        records.SetDatabaseName(Path());
        records.SetTableName(QStringLiteral("Notes.DB"));
        db::Table words;
        words.SetDatabaseName(Path());
        words.SetTableName(QStringLiteral("NotesDict.DB"));
        TtsMakeTextTableLink text;
        text.SetTable(&records);
        text.SetFieldNames({QStringLiteral("Title"), QStringLiteral("Body")});
        text.SetIndexFieldName(QStringLiteral("NodeID"));
        TtsMakeWordsTableLink wordsLink;
        wordsLink.SetTable(&words);
        TtsCache cache;
        TtsMake maker;
        maker.SetTextLink(&text);
        maker.SetWordsLink(&wordsLink);
        maker.SetCache(&cache);
        if (setup) setup(maker);

        TtsProgressDialog dialog;
        dialog.SetAutoClose(false);
        dialog.SetExpanded(true);
        dialog.SetRefreshInterval(-1);
        dialog.SetEngine(&maker);
        QTimer poll;
        poll.setInterval(0);
        dialog.OnFormCreate = [&](QObject*) {
            TtsProgressDlg* w = dialog.Window();
            QObject::connect(w, &QWidget::windowTitleChanged, w, [this](const QString& t) { titles << t; });
            QObject::connect(&poll, &QTimer::timeout, w, [&, w] {
                if (whileRunning) whileRunning(*w, maker);
            });
            poll.start();
        };
        maker.Execute();
        poll.stop();
        processed = maker.Counter();
        ASSERT_NE(dialog.Window(), nullptr);
        TtsProgressDlg* w = dialog.Window();
        finalTitle = w->windowTitle();
        closeShown = w->CloseBtn->isVisible() && w->CancelBtn->isHidden();
        readingMin = w->ReadingGauge->minimum();
        readingMax = w->ReadingGauge->maximum();
        readingValue = w->ReadingGauge->value();
        writingMax = w->WritingGauge->maximum();
        writingValue = w->WritingGauge->value();
        wordCount = w->WordCount->text();
        rowsInserted = wordsLink.RowsInserted();
        ASSERT_TRUE(testsupport::Click(w, QStringLiteral("CloseBtn")));
        EXPECT_EQ(dialog.Window(), nullptr);
        EXPECT_FALSE(bool(text.AfterProcess));
        EXPECT_FALSE(bool(wordsLink.AfterPost));
    }

    /// The word sets of the records 1..last, computed plainly.
    WordSets ExpectedUpTo(int last) {
        WordSets all = ExpectedWordSets(Path(), QStringLiteral("Notes.DB"));
        WordSets out;
        for (auto& [word, ids] : all) {
            std::set<int> kept;
            for (int id : ids)
                if (id <= last) kept.insert(id);
            if (!kept.empty()) out[word] = kept;
        }
        return out;
    }

    testsupport::DialogAnswerer answers;
    QStringList titles;
    QString finalTitle;
    QString wordCount;
    bool closeShown = false;
    int processed = 0;
    int readingMin = 0, readingMax = 0, readingValue = 0;
    int writingMax = 0, writingValue = 0;
    int rowsInserted = 0;
};

TEST_F(ProgressOfBuild, cancel_halts_the_build_and_the_words_read_so_far_are_written_whole) {
    bool pictured = false;
    BuildWithWindow({}, [&](TtsProgressDlg& w, TtsMake& maker) {
        if (maker.States().Contains(TEngineState::esCollect) && maker.Counter() >= 700 && !pictured) {
            testsupport::GrabToPng(&w, QStringLiteral("fulltext_progress_build"));
            pictured = true;
            EXPECT_EQ(w.windowTitle(), QStringLiteral("Building"));
            EXPECT_FALSE(w.MemUsage->text().isEmpty());
            ASSERT_TRUE(testsupport::Click(&w, QStringLiteral("CancelBtn")));
        }
    });
    EXPECT_TRUE(pictured);
    EXPECT_GE(processed, 700);
    EXPECT_LT(processed, kRecords);
    EXPECT_EQ(finalTitle, QStringLiteral("Done"));
    EXPECT_TRUE(closeShown);
    EXPECT_EQ(titles, QStringList{QStringLiteral("Done")});  // "Building" from the start
    EXPECT_EQ(readingMin, 0);
    EXPECT_EQ(readingMax, kRecords);
    EXPECT_EQ(readingValue, processed);

    // The word table holds exactly the words of the records read, and it verifies.
    const WordSets expected = ExpectedUpTo(processed);
    const fulltext::testing::StoredIndex stored = ReadWordTable(Path(), QStringLiteral("NotesDict.DB"), 1, INT_MAX);
    EXPECT_EQ(stored.sets, expected);
    EXPECT_EQ(wordCount, QString::number(expected.size()));
    EXPECT_EQ(writingValue, int(expected.size()));
    EXPECT_EQ(writingMax, int(expected.size()));
    EXPECT_EQ(rowsInserted, int(expected.size()) + 1);  // and the properties row
    const db::VerifyResult verify = db::VerifyTableFile(Path(), QStringLiteral("NotesDict.DB"));
    EXPECT_TRUE(verify.Problems.isEmpty()) << verify.Problems.join(u'\n').toStdString();
}

TEST_F(ProgressOfBuild, a_counter_limit_runs_the_reading_gauge_over_the_records_to_read) {
    int limitSeen = 0;
    BuildWithWindow([](TtsMake& m) { m.SetCounterLimit(500); },
                    [&](TtsProgressDlg& w, TtsMake& maker) {
                        if (!maker.States().Contains(TEngineState::esCollect)) return;
                        limitSeen = w.ReadingGauge->maximum();
                        EXPECT_EQ(w.ReadingGauge->value(), maker.Counter());
                    });
    EXPECT_EQ(limitSeen, 500);
    EXPECT_EQ(processed, 500);
    EXPECT_EQ(readingMin, 0);
    EXPECT_EQ(readingMax, 500);
    EXPECT_EQ(readingValue, 500);
    EXPECT_EQ(ReadWordTable(Path(), QStringLiteral("NotesDict.DB"), 1, INT_MAX).sets, ExpectedUpTo(500));
}

TEST_F(ProgressOfBuild, a_segmented_build_sizes_the_writing_gauge_for_the_whole_range) {
    int firstWritingMax = -1;
    BuildWithWindow([](TtsMake& m) { m.SetSegmentSize(1024); },
                    [&](TtsProgressDlg& w, TtsMake& maker) {
                        if (maker.States().Contains(TEngineState::esWrite) && maker.CurrentSegment() <= 1 &&
                            firstWritingMax < 0)
                            firstWritingMax = w.WritingGauge->maximum();
                    });
    EXPECT_EQ(processed, kRecords);
    EXPECT_EQ(finalTitle, QStringLiteral("Done"));
    // The first segment's rows were scaled up by the share of the records read (about a
    // third), so its gauge covered about three times its own rows.
    const double firstRows = double(ExpectedUpTo(1024).size());
    EXPECT_GT(firstWritingMax, 2.5 * firstRows);
    EXPECT_LT(firstWritingMax, 3.5 * firstRows);
    // The last segment is not scaled: its gauge ends at the rows of all segments.
    EXPECT_EQ(writingValue, writingMax);
    EXPECT_EQ(rowsInserted, writingMax + 1);
}

TEST_F(ProgressOfBuild, a_build_of_some_segments_runs_the_reading_gauge_over_those_segments) {
    BuildWithWindow(
        [](TtsMake& m) {
            m.SetSegmentSize(1024);
            m.SetLastSegment(1);
            m.SetFirstSegment(1);
        },
        {});
    // Segment 1 holds the records 1025..2048.
    EXPECT_EQ(readingMin, 1024);
    EXPECT_EQ(readingMax, 2048);
    EXPECT_EQ(processed, 1024);
    EXPECT_EQ(finalTitle, QStringLiteral("Done"));
}

}  // namespace
