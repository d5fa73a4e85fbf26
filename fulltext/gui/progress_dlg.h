#pragma once

#include "fulltext/ts_engine.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

#include <functional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

/// The progress window of an index build: reading and writing gauges, and (expanded) the
/// word count, memory in use, peak memory and elapsed time, with Cancel to halt the engine.
///
/// States, as the engine's state changes drive them (StateChange):
/// - idle: created, not shown.
/// - running (Start, on entering esMake or esUpdate): shown, Cancel the default button,
///   caption "Building" (an index maker) or "Appending"; entering esIndex shows
///   "Indexing ..." until it is left. ReadingTick/WritingTick refresh the figures at most
///   once per RefreshInterval and let pending window messages run.
/// - finished (Finish, on leaving both esMake and esUpdate): with AutoClose the window
///   closes; otherwise it shows "Done", the final figures and Close as the default button.
/// Cancel while running halts the engine (esHalt); with no engine or a halted one Cancel
/// gives way to Close. Closing calls OnClose (the owning component frees the window).
class TtsProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit TtsProgressDlg(QWidget* parent = nullptr);
    ~TtsProgressDlg() override;

    bool AutoClose() const { return m_autoClose; }
    void SetAutoClose(bool on);
    bool CanExpand() const { return m_canExpand; }
    /// False collapses an expanded window.
    void SetCanExpand(bool on);
    bool Expanded() const { return m_expanded; }
    /// Shows or hides the statistics panel, growing or shrinking the window by its height.
    void SetExpanded(bool on);
    /// Milliseconds between two refreshes during ticks.
    int RefreshInterval() const { return m_refreshInterval; }
    void SetRefreshInterval(int ms) { m_refreshInterval = ms; }

    TtsEngine* Engine() const { return m_engine; }
    void SetEngine(TtsEngine* engine);

    /// Called when the window closes.
    std::function<void()> OnClose;

    /// The engine's state-change handler: called with the new set while the engine still
    /// holds the old one.
    void StateChange(QObject* sender, TEngineStates newStates);
    /// After each processed record.
    void ReadingTick();
    /// After each posted word-table row.
    void WritingTick();

    /// Refreshes the reading (writing false) or writing figures; `forced` fills the
    /// statistics even while they are hidden.
    void RefreshFigures(bool writing, bool forced);

    // Controls, named as their object names.
    QFrame* StatsPanel = nullptr;
    QLabel* WordCountLabel = nullptr;
    QLabel* WordCount = nullptr;
    QLabel* MemoryUsageLabel = nullptr;
    QLabel* MemUsage = nullptr;
    QLabel* ElapsedTimeLabel = nullptr;
    QLabel* ElapsedTime = nullptr;
    QLabel* MaxMemLabel = nullptr;
    QLabel* MaxMem = nullptr;
    QFrame* GaugesPanel = nullptr;
    QLabel* ReadingLabel = nullptr;
    QProgressBar* ReadingGauge = nullptr;
    QLabel* WritingLabel = nullptr;
    QProgressBar* WritingGauge = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* ExpandMenuItem = nullptr;
    QAction* AutoCloseMenuItem = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Escape: Cancel while Cancel is shown, else Close.
    void reject() override;

private:
    void CancelBtnClick();
    void CloseBtnClick();
    void ExpandMenuItemClick();
    void AutoCloseMenuItemClick();
    void PopupMenu1Popup();

    void start();
    void finish();
    void setWritingMaximum();
    void showCloseButton();
    void tick(bool writing);
    qint64 elapsedMs() const;
    static void setGauge(QProgressBar* gauge, qint64 value);

    QPointer<TtsEngine> m_engine;
    bool m_isMaker = false;
    bool m_autoClose = true;
    bool m_canExpand = true;
    bool m_expanded = false;
    int m_refreshInterval = 500;
    QElapsedTimer m_clock;       ///< started at Start
    qint64 m_endMs = -1;         ///< elapsed milliseconds at Finish; -1 while running
    qint64 m_lastRefreshMs = 0;  ///< m_clock time of the last refresh
    bool m_closing = false;
};
