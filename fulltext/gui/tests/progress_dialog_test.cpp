#include "fulltext/gui/progress_dialog.h"

#include "fulltext/gui/progress_dlg.h"
#include "fulltext/testsupport/memory_links.h"
#include "fulltext/ts_cache.h"
#include "fulltext/ts_engine.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/qt_printers.h"
#include "testsupport/widget_helpers.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using fulltext::testing::MemoryTextLink;
using fulltext::testing::MemoryWordsLink;

/// A long job shaped like an index build: it collects words record by record, writes them,
/// creates indexes, and goes through the engine states an index maker goes through. The
/// window's ticks are called where the links would call them.
class FakeBuild : public TtsEngine {
public:
    FakeBuild(int firstRecord, int lastRecord) : text(firstRecord, lastRecord) {
        SetTextLink(&text);
        SetWordsLink(&words);
        SetCache(&cache);
    }
    ~FakeBuild() override {
        SetCache(nullptr);
        SetTextLink(nullptr);
        SetWordsLink(nullptr);
    }

    void ProcessWord(QStringView word) override {
        const QString w = word.toString();
        if (seen.contains(w)) return;
        seen.insert(w);
        cache.AddEntry(w, nullptr);
    }

    /// Runs the whole job; `dialog` supplies the window whose ticks are called.
    void Run(TtsProgressDialog& dialog) {
        const auto keepHalt = [this](TEngineStates s) {
            return States().Contains(TEngineState::esHalt) ? s.With(TEngineState::esHalt) : s;
        };
        SetState({TEngineState::esMake});
        SetState(keepHalt({TEngineState::esMake, TEngineState::esCollect}));
        for (int r = text.MinIndex(); r <= text.MaxIndex(); ++r) {
            if (States().Contains(TEngineState::esHalt)) break;
            SetRecord(r);
            ParseString(QStringLiteral("alpha%1 beta%2 common").arg(r).arg(r % 7));
            ++processed;
            if (perRecord) perRecord(r);
            if (TtsProgressDlg* w = dialog.Window()) w->ReadingTick();
            if (recordDelayMs > 0) QThread::msleep(recordDelayMs);
            if (pumpMessages) QCoreApplication::processEvents();
        }
        SetState(keepHalt({TEngineState::esMake}));
        SetState(keepHalt({TEngineState::esMake, TEngineState::esWrite}));
        for (const QString& w : std::as_const(seen)) {
            (void)w;
            ++written;
            if (TtsProgressDlg* win = dialog.Window()) win->WritingTick();
        }
        SetState(keepHalt({TEngineState::esMake}));
        SetState(keepHalt({TEngineState::esMake, TEngineState::esIndex}));
        if (whileIndexing) whileIndexing();
        SetState(keepHalt({TEngineState::esMake}));
        SetState({});
    }

    MemoryTextLink text;
    MemoryWordsLink words;
    TtsCache cache;
    QSet<QString> seen;
    int processed = 0;
    int written = 0;
    int recordDelayMs = 0;
    bool pumpMessages = true;
    std::function<void(int)> perRecord;
    std::function<void()> whileIndexing;
};

class ProgressWindow : public ::testing::Test {
protected:
    testsupport::DialogAnswerer answers;
};

TEST_F(ProgressWindow, a_run_shows_the_window_and_without_auto_close_it_ends_with_done_and_close) {
    FakeBuild job(101, 400);
    TtsProgressDialog dialog;
    dialog.SetAutoClose(false);
    dialog.SetRefreshInterval(-1);  // refresh on every tick
    int formCreated = 0;
    dialog.OnFormCreate = [&](QObject* sender) {
        EXPECT_EQ(sender, &dialog);
        ++formCreated;
    };
    dialog.SetEngine(&job);
    EXPECT_EQ(dialog.Window(), nullptr);

    QString titleWhileReading, titleWhileIndexing;
    int gaugeMin = 0, gaugeMax = 0, gaugeAt200 = 0;
    bool cancelShown = false, closeHidden = false;
    job.perRecord = [&](int r) {
        TtsProgressDlg* w = dialog.Window();
        ASSERT_NE(w, nullptr);
        if (r == 200) {
            titleWhileReading = w->windowTitle();
            gaugeMin = w->ReadingGauge->minimum();
            gaugeMax = w->ReadingGauge->maximum();
            cancelShown = w->CancelBtn->isVisible() && w->CancelBtn->isDefault();
            closeHidden = w->CloseBtn->isHidden();
        }
        if (r == 201) gaugeAt200 = w->ReadingGauge->value();  // refreshed by the tick of 200
    };
    job.whileIndexing = [&] { titleWhileIndexing = dialog.Window()->windowTitle(); };
    job.Run(dialog);

    EXPECT_EQ(formCreated, 1);
    EXPECT_EQ(titleWhileReading, QStringLiteral("Appending"));  // not an index maker
    EXPECT_EQ(titleWhileIndexing, QStringLiteral("Indexing ..."));
    EXPECT_EQ(gaugeMin, 100);
    EXPECT_EQ(gaugeMax, 400);
    EXPECT_EQ(gaugeAt200, 200);
    EXPECT_TRUE(cancelShown);
    EXPECT_TRUE(closeHidden);

    TtsProgressDlg* w = dialog.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Done"));
    EXPECT_TRUE(w->CancelBtn->isHidden());
    EXPECT_TRUE(w->CloseBtn->isVisible());
    EXPECT_TRUE(w->CloseBtn->isDefault());
    // The final figures are filled even though the statistics are hidden.
    EXPECT_EQ(w->WordCount->text(), QString::number(job.seen.size()));
    EXPECT_EQ(w->ElapsedTime->text().size(), 8);
    EXPECT_EQ(w->ReadingGauge->value(), 400);

    ASSERT_TRUE(testsupport::Click(w, QStringLiteral("CloseBtn")));
    EXPECT_EQ(dialog.Window(), nullptr);
    EXPECT_TRUE(testsupport::WaitFor([&] { return !QApplication::topLevelWidgets().contains(w); }));

    // The next run opens a new window; with auto close it goes by itself.
    dialog.SetAutoClose(true);
    TtsProgressDlg* second = nullptr;
    job.perRecord = [&](int) { second = dialog.Window(); };
    job.whileIndexing = nullptr;
    job.Run(dialog);
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(dialog.Window(), nullptr);
    EXPECT_EQ(formCreated, 2);
}

TEST_F(ProgressWindow, cancel_during_reading_halts_the_job_and_the_window_finishes) {
    FakeBuild job(1, 5000);
    job.recordDelayMs = 1;
    TtsProgressDialog dialog;
    dialog.SetAutoClose(false);
    dialog.SetRefreshInterval(10);
    dialog.SetEngine(&job);
    job.perRecord = [&](int r) {
        if (r == 50) QTimer::singleShot(0, dialog.Window(), [&] {
            ASSERT_TRUE(testsupport::Click(dialog.Window(), QStringLiteral("CancelBtn")));
        });
    };
    job.Run(dialog);

    EXPECT_GE(job.processed, 50);
    EXPECT_LT(job.processed, 5000);
    EXPECT_EQ(job.written, job.seen.size());  // what was collected is still written
    TtsProgressDlg* w = dialog.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Done"));
    EXPECT_TRUE(w->CloseBtn->isVisible());

    // Escape now closes the finished window.
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_EQ(dialog.Window(), nullptr);
}

TEST_F(ProgressWindow, cancel_without_an_engine_or_on_a_halted_one_gives_way_to_close) {
    FakeBuild job(1, 10);
    TtsProgressDialog dialog;
    dialog.SetAutoClose(false);
    dialog.SetEngine(&job);
    bool checked = false;
    job.perRecord = [&](int r) {
        if (r != 3) return;
        TtsProgressDlg* w = dialog.Window();
        QTest::keyClick(w, Qt::Key_Escape);  // Escape is Cancel while the job runs
        EXPECT_TRUE(job.States().Contains(TEngineState::esHalt));
        EXPECT_EQ(dialog.Window(), w);
        EXPECT_TRUE(w->CancelBtn->isVisible());  // the halt is on its way
        ASSERT_TRUE(testsupport::Click(w, QStringLiteral("CancelBtn")));
        EXPECT_TRUE(w->CancelBtn->isHidden());
        EXPECT_TRUE(w->CloseBtn->isVisible());
        checked = true;
    };
    job.Run(dialog);
    EXPECT_TRUE(checked);
    EXPECT_EQ(job.processed, 3);

    TtsProgressDlg lonely;
    lonely.show();
    ASSERT_TRUE(testsupport::Click(&lonely, QStringLiteral("CancelBtn")));
    EXPECT_TRUE(lonely.CloseBtn->isVisible());
}

TEST_F(ProgressWindow, ticks_refresh_at_most_once_per_interval_and_a_minimised_window_still_runs_messages) {
    FakeBuild job(1, 200);
    job.pumpMessages = false;  // only the window's ticks run pending messages here
    TtsProgressDialog dialog;
    dialog.SetEngine(&job);

    // An interval longer than the job: no refresh and no message between start and end.
    dialog.SetRefreshInterval(1000000);
    int gaugeChanges = 0;
    int timerRuns = 0;
    job.perRecord = [&](int r) {
        if (r == 1) {
            QObject::connect(dialog.Window()->ReadingGauge, &QProgressBar::valueChanged, dialog.Window(),
                             [&] { ++gaugeChanges; });
            QTimer::singleShot(0, dialog.Window(), [&] { ++timerRuns; });
        }
    };
    job.Run(dialog);
    EXPECT_EQ(gaugeChanges, 1);  // only the forced refresh when reading ends
    EXPECT_EQ(timerRuns, 0);
    QCoreApplication::processEvents();

    // Every tick refreshes when the interval is negative ...
    dialog.SetRefreshInterval(-1);
    gaugeChanges = 0;
    timerRuns = 0;
    job.Run(dialog);
    EXPECT_GE(gaugeChanges, 199);
    EXPECT_EQ(timerRuns, 1);

    // ... except that a minimised window is not redrawn, while messages still run.
    gaugeChanges = 0;
    timerRuns = 0;
    job.perRecord = [&](int r) {
        if (r == 1) {
            dialog.Window()->showMinimized();
            QObject::connect(dialog.Window()->ReadingGauge, &QProgressBar::valueChanged, dialog.Window(),
                             [&] { ++gaugeChanges; });
            QTimer::singleShot(0, dialog.Window(), [&] { ++timerRuns; });
        }
    };
    job.Run(dialog);
    EXPECT_LE(gaugeChanges, 1);
    EXPECT_EQ(timerRuns, 1);
}

TEST_F(ProgressWindow, double_clicks_and_the_popup_menu_expand_shrink_and_set_auto_close) {
    FakeBuild job(1, 300);
    TtsProgressDialog dialog;
    dialog.SetAutoClose(false);
    dialog.SetRefreshInterval(-1);
    dialog.SetEngine(&job);
    job.perRecord = [&](int r) {
        TtsProgressDlg* w = dialog.Window();
        if (r == 1) {
            EXPECT_FALSE(w->Expanded());
            EXPECT_TRUE(w->StatsPanel->isHidden());
            const int shrunk = w->height();
            QTest::mouseDClick(w->ReadingLabel, Qt::LeftButton);
            EXPECT_TRUE(w->Expanded());
            EXPECT_TRUE(w->StatsPanel->isVisible());
            EXPECT_EQ(w->height(), shrunk + w->StatsPanel->height());
            emit w->PopupMenu1->aboutToShow();
            EXPECT_EQ(w->ExpandMenuItem->text(), QStringLiteral("Shrink"));
            EXPECT_FALSE(w->AutoCloseMenuItem->isChecked());
        }
        if (r == 150) {
            testsupport::GrabToPng(w, QStringLiteral("fulltext_progress_expanded"));
            EXPECT_FALSE(w->WordCount->text().isEmpty());
            EXPECT_EQ(w->ReadingGauge->value(), 149);
            w->ExpandMenuItem->trigger();
            EXPECT_FALSE(w->Expanded());
            emit w->PopupMenu1->aboutToShow();
            EXPECT_EQ(w->ExpandMenuItem->text(), QStringLiteral("Expand"));
            QTest::mouseDClick(w->StatsPanel->isHidden() ? static_cast<QWidget*>(w->GaugesPanel) : w->StatsPanel,
                               Qt::LeftButton);
            EXPECT_TRUE(w->Expanded());
            w->SetCanExpand(false);
            EXPECT_FALSE(w->Expanded());
            QTest::mouseDClick(w, Qt::LeftButton);
            EXPECT_FALSE(w->Expanded());
            w->AutoCloseMenuItem->trigger();  // auto close on again
            EXPECT_TRUE(w->AutoClose());
        }
    };
    job.Run(dialog);
    EXPECT_EQ(dialog.Window(), nullptr);  // closed by itself at the end
}

TEST_F(ProgressWindow, a_new_engine_takes_the_hooks_from_the_old_one) {
    FakeBuild first(1, 5);
    FakeBuild second(1, 5);
    TtsProgressDialog dialog;
    dialog.SetEngine(&first);
    EXPECT_TRUE(bool(first.OnStateChange));
    dialog.SetEngine(&second);
    EXPECT_FALSE(bool(first.OnStateChange));
    EXPECT_TRUE(bool(second.OnStateChange));
    first.Run(dialog);
    EXPECT_EQ(dialog.Window(), nullptr);
    {
        TtsProgressDialog shortLived;
        shortLived.SetAutoClose(false);
        shortLived.SetEngine(&first);
        first.Run(shortLived);
        ASSERT_NE(shortLived.Window(), nullptr);
    }
    EXPECT_FALSE(bool(first.OnStateChange));  // the component unhooked itself as it went
    first.Run(dialog);                        // and nothing refers to it any more
}

}  // namespace
