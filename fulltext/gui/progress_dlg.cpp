#include "fulltext/gui/progress_dlg.h"

#include "fulltext/gui/internal/engine_probe.h"
#include "fulltext/ts_engine.h"

#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kStatsPanelHeightPx = 73;
constexpr int kFontSizePx = 13;
constexpr int kValueWidthPx = 70;
constexpr int kGaugeWidthPx = 220;
constexpr int kUnlimitedLastSegment = 32767;

QString kilobytes(qint64 bytes) { return QLocale().toString(bytes / 1024); }

QString clockText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

/// A gauge whose empty range (minimum = maximum) shows an empty bar, not a busy indicator.
class Gauge : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionProgressBar option;
        initStyleOption(&option);
        if (option.minimum == option.maximum) {
            option.maximum = option.minimum + 1;
            option.progress = option.minimum;
            option.textVisible = false;
        }
        painter.drawControl(QStyle::CE_ProgressBar, option);
    }
};

}  // namespace

TtsProgressDlg::TtsProgressDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("tsProgressDlg"));
    setWindowTitle(QStringLiteral("Building"));
    QFont f = font();
    f.setPixelSize(kFontSizePx);
    setFont(f);

    // Controls.
    StatsPanel = ui::Make<QFrame>(this, "StatsPanel");
    StatsPanel->setFrameShape(QFrame::Panel);
    StatsPanel->setFrameShadow(QFrame::Raised);
    StatsPanel->setFixedHeight(kStatsPanelHeightPx);
    WordCountLabel = ui::Make<QLabel>(StatsPanel, "WordCountLabel", QStringLiteral("Word Count"));
    WordCount = ui::Make<QLabel>(StatsPanel, "WordCount");
    MemoryUsageLabel = ui::Make<QLabel>(StatsPanel, "MemoryUsageLabel", QStringLiteral("Memory (kb)"));
    MemUsage = ui::Make<QLabel>(StatsPanel, "MemUsage");
    ElapsedTimeLabel = ui::Make<QLabel>(StatsPanel, "ElapsedTimeLabel", QStringLiteral(" Elapsed Time"));
    ElapsedTime = ui::Make<QLabel>(StatsPanel, "ElapsedTime");
    MaxMemLabel = ui::Make<QLabel>(StatsPanel, "MaxMemLabel", QStringLiteral("Max Mem (kb)"));
    MaxMem = ui::Make<QLabel>(StatsPanel, "MaxMem");
    for (QLabel* value : {WordCount, MemUsage, ElapsedTime, MaxMem}) {
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(kValueWidthPx);
    }

    GaugesPanel = ui::Make<QFrame>(this, "GaugesPanel");
    GaugesPanel->setFrameShape(QFrame::Panel);
    GaugesPanel->setFrameShadow(QFrame::Raised);
    ReadingLabel = ui::Make<QLabel>(GaugesPanel, "ReadingLabel", QStringLiteral("Reading"));
    ReadingGauge = ui::Make<Gauge>(GaugesPanel, "ReadingGauge");
    WritingLabel = ui::Make<QLabel>(GaugesPanel, "WritingLabel", QStringLiteral("Writing"));
    WritingGauge = ui::Make<Gauge>(GaugesPanel, "WritingGauge");
    for (QProgressBar* gauge : {ReadingGauge, WritingGauge}) {
        QPalette p = gauge->palette();
        p.setColor(QPalette::Highlight, Qt::red);
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        gauge->setPalette(p);
        gauge->setRange(0, 0);
        gauge->setValue(0);
        gauge->setMinimumWidth(kGaugeWidthPx);
    }
    CancelBtn = ui::Make<QPushButton>(GaugesPanel, "CancelBtn", QStringLiteral("Cancel"));
    CloseBtn = ui::Make<QPushButton>(GaugesPanel, "CloseBtn", QStringLiteral("Close"));
    CloseBtn->hide();

    PopupMenu1 = ui::Make<QMenu>(this, "PopupMenu1");
    ExpandMenuItem = PopupMenu1->addAction(QStringLiteral("Expand"));
    ExpandMenuItem->setObjectName(QStringLiteral("ExpandMenuItem"));
    AutoCloseMenuItem = PopupMenu1->addAction(QStringLiteral("Auto Close"));
    AutoCloseMenuItem->setObjectName(QStringLiteral("AutoCloseMenuItem"));
    AutoCloseMenuItem->setCheckable(true);
    AutoCloseMenuItem->setChecked(true);
    setContextMenuPolicy(Qt::CustomContextMenu);

    // Layouts.
    auto* stats = new QGridLayout(StatsPanel);
    stats->addWidget(WordCountLabel, 0, 0);
    stats->addWidget(WordCount, 0, 1);
    stats->addWidget(MemoryUsageLabel, 0, 2);
    stats->addWidget(MemUsage, 0, 3);
    stats->addWidget(ElapsedTimeLabel, 1, 0);
    stats->addWidget(ElapsedTime, 1, 1);
    stats->addWidget(MaxMemLabel, 1, 2);
    stats->addWidget(MaxMem, 1, 3);

    auto* gauges = new QGridLayout(GaugesPanel);
    gauges->addWidget(ReadingLabel, 0, 0);
    gauges->addWidget(ReadingGauge, 0, 1);
    gauges->addWidget(WritingLabel, 1, 0);
    gauges->addWidget(WritingGauge, 1, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(CloseBtn);
    gauges->addLayout(buttons, 2, 0, 1, 2);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->setSizeConstraint(QLayout::SetFixedSize);  // expanding grows the window by the panel
    main->addWidget(StatsPanel);
    main->addWidget(GaugesPanel);
    StatsPanel->hide();

    // Connections.
    connect(CancelBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { CancelBtnClick(); }); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { CloseBtnClick(); }); });
    connect(ExpandMenuItem, &QAction::triggered, this, [this] { ExpandMenuItemClick(); });
    connect(AutoCloseMenuItem, &QAction::triggered, this, [this] { AutoCloseMenuItemClick(); });
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(mapToGlobal(pos)); });
    for (QWidget* w : std::initializer_list<QWidget*>{StatsPanel, GaugesPanel, WordCountLabel, WordCount,
                                                       MemoryUsageLabel, MemUsage, ElapsedTimeLabel, ElapsedTime,
                                                       MaxMemLabel, MaxMem, ReadingLabel, WritingLabel})
        w->installEventFilter(this);
}

TtsProgressDlg::~TtsProgressDlg() { m_closing = true; }

void TtsProgressDlg::SetAutoClose(bool on) {
    m_autoClose = on;
    AutoCloseMenuItem->setChecked(on);
}

void TtsProgressDlg::SetCanExpand(bool on) {
    m_canExpand = on;
    if (!on && m_expanded) SetExpanded(false);
}

void TtsProgressDlg::SetExpanded(bool on) {
    if (on && !m_canExpand) return;
    if (on == m_expanded) return;
    m_expanded = on;
    StatsPanel->setVisible(on);
    ExpandMenuItem->setText(on ? QStringLiteral("Shrink") : QStringLiteral("Expand"));
    if (on) RefreshFigures(m_engine && m_engine->States().Contains(TEngineState::esWrite), true);
}

void TtsProgressDlg::SetEngine(TtsEngine* engine) { m_engine = engine; }

// ---- the engine's events ----

void TtsProgressDlg::StateChange(QObject* sender, TEngineStates newStates) {
    (void)sender;
    if (!m_engine) return;
    const TEngineStates old = m_engine->States();
    const auto entered = [&](TEngineState s) { return newStates.Contains(s) && !old.Contains(s); };
    const auto left = [&](TEngineState s) { return !newStates.Contains(s) && old.Contains(s); };
    const auto running = [](TEngineStates s) {
        return s.Contains(TEngineState::esMake) || s.Contains(TEngineState::esUpdate);
    };

    if (!running(old) && running(newStates)) start();
    if (left(TEngineState::esCollect)) RefreshFigures(false, true);
    if (entered(TEngineState::esWrite)) setWritingMaximum();
    if (left(TEngineState::esWrite)) RefreshFigures(true, true);
    if (entered(TEngineState::esIndex)) setWindowTitle(QStringLiteral("Indexing ..."));
    if (left(TEngineState::esIndex)) setWindowTitle(QStringLiteral("Building"));
    if (running(old) && !running(newStates)) finish();
}

void TtsProgressDlg::ReadingTick() { tick(false); }

void TtsProgressDlg::WritingTick() { tick(true); }

void TtsProgressDlg::tick(bool writing) {
    if (!m_engine || !m_clock.isValid()) return;
    if (m_clock.elapsed() - m_lastRefreshMs <= m_refreshInterval) return;
    if (isMinimized()) {
        m_lastRefreshMs = m_clock.elapsed();
    } else {
        RefreshFigures(writing, false);
    }
    // Pending messages may close and free this window: touch nothing of it afterwards.
    QCoreApplication::processEvents();
}

// ---- display ----

void TtsProgressDlg::start() {
    m_closing = false;
    CloseBtn->hide();
    CancelBtn->show();
    CancelBtn->setDefault(true);
    for (QLabel* value : {WordCount, MemUsage, ElapsedTime, MaxMem}) value->clear();
    for (QProgressBar* gauge : {ReadingGauge, WritingGauge}) {
        gauge->setRange(0, 0);
        gauge->setValue(0);
    }
    const fulltext::probe::MakerFigures maker = fulltext::probe::MakerFiguresOf(m_engine);
    m_isMaker = maker.isMaker;
    setWindowTitle(m_isMaker ? QStringLiteral("Building") : QStringLiteral("Appending"));

    if (TtsTextLink* link = m_engine->TextLink()) {
        const qint64 low = link->MinIndex();
        const qint64 high = link->MaxIndex();
        qint64 minimum = low - 1;
        qint64 maximum = high;
        const qint64 segmentSize = m_engine->SegmentSize();
        if (m_isMaker && maker.counterLimit > 0) {
            minimum = 0;
            maximum = maker.counterLimit;
        } else if (m_isMaker && segmentSize < 1000000) {
            minimum = low + maker.firstSegment * segmentSize - 1;
            if (maker.lastSegment != kUnlimitedLastSegment)
                maximum = std::min(high, low + segmentSize * (maker.lastSegment + 1) - 1);
        }
        ReadingGauge->setRange(int(std::clamp<qint64>(minimum, INT_MIN, INT_MAX)),
                               int(std::clamp<qint64>(std::max(minimum, maximum), INT_MIN, INT_MAX)));
        ReadingGauge->setValue(ReadingGauge->minimum());
    }

    m_clock.start();
    m_endMs = -1;
    m_lastRefreshMs = 0;
    if (const QScreen* screen = this->screen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

void TtsProgressDlg::finish() {
    if (m_closing) return;
    if (m_autoClose) {
        close();
        return;
    }
    m_endMs = m_clock.isValid() ? m_clock.elapsed() : 0;
    RefreshFigures(true, true);
    showCloseButton();
    setWindowTitle(QStringLiteral("Done"));
}

void TtsProgressDlg::setWritingMaximum() {
    if (!m_engine) return;
    qint64 figure = qint64(fulltext::probe::CacheEntries(m_engine)) + fulltext::probe::RowsInserted(m_engine) +
                    fulltext::probe::RowsEdited(m_engine) - m_engine->OmitList().size();
    const int segmentSize = m_engine->SegmentSize();
    TtsTextLink* link = m_engine->TextLink();
    if (link && segmentSize != TtsEngine::kUnsegmented) {
        int lastSegment = (link->MaxIndex() - link->MinIndex()) / segmentSize;
        const fulltext::probe::MakerFigures maker = fulltext::probe::MakerFiguresOf(m_engine);
        if (maker.isMaker) lastSegment = std::min(lastSegment, maker.lastSegment);
        const qint64 span = qint64(ReadingGauge->maximum()) - ReadingGauge->minimum();
        const double percentDone =
            span > 0 ? double(qint64(ReadingGauge->value()) - ReadingGauge->minimum()) * 100.0 / double(span) : 0.0;
        if (m_engine->CurrentSegment() < lastSegment && percentDone > 0.0)
            figure = qint64(std::llround(double(figure) * 100.0 / percentDone));
    }
    WritingGauge->setRange(0, int(std::clamp<qint64>(figure, 0, INT_MAX)));
    WritingGauge->setValue(0);
}

void TtsProgressDlg::RefreshFigures(bool writing, bool forced) {
    if (!m_engine) return;
    if (forced || !StatsPanel->isHidden()) {
        ElapsedTime->setText(clockText(elapsedMs()));
        MemUsage->setText(kilobytes(fulltext::probe::CacheBytesInUse(m_engine)));
        MaxMem->setText(kilobytes(fulltext::probe::CachePeakBytes(m_engine)));
        if (!writing || WordCount->text().isEmpty()) {
            const qint64 words = qint64(fulltext::probe::CacheEntries(m_engine)) - m_engine->OmitList().size();
            WordCount->setText(QLocale().toString(std::max<qint64>(0, words)));
        }
    }
    if (writing) {
        setGauge(WritingGauge, qint64(fulltext::probe::RowsInserted(m_engine)) + fulltext::probe::RowsEdited(m_engine));
    } else {
        const fulltext::probe::MakerFigures maker = fulltext::probe::MakerFiguresOf(m_engine);
        if (maker.isMaker && maker.counterLimit > 0) {
            setGauge(ReadingGauge, maker.processed);
        } else {
            setGauge(ReadingGauge, m_engine->CurrentRecord());
        }
    }
    if (m_clock.isValid()) m_lastRefreshMs = m_clock.elapsed();
}

void TtsProgressDlg::setGauge(QProgressBar* gauge, qint64 value) {
    gauge->setValue(int(std::clamp<qint64>(value, gauge->minimum(), gauge->maximum())));
}

qint64 TtsProgressDlg::elapsedMs() const {
    if (m_endMs >= 0) return m_endMs;
    return m_clock.isValid() ? m_clock.elapsed() : 0;
}

void TtsProgressDlg::showCloseButton() {
    CancelBtn->setDefault(false);
    CancelBtn->hide();
    CloseBtn->show();
    CloseBtn->setDefault(true);
    CloseBtn->setFocus();
}

// ---- handlers ----

void TtsProgressDlg::CancelBtnClick() {
    if (!m_engine || m_engine->States().Contains(TEngineState::esHalt)) {
        showCloseButton();
        return;
    }
    m_engine->Halt();
}

void TtsProgressDlg::CloseBtnClick() { close(); }

void TtsProgressDlg::ExpandMenuItemClick() { SetExpanded(!m_expanded); }

void TtsProgressDlg::AutoCloseMenuItemClick() { SetAutoClose(!m_autoClose); }

void TtsProgressDlg::PopupMenu1Popup() {
    ExpandMenuItem->setText(m_expanded ? QStringLiteral("Shrink") : QStringLiteral("Expand"));
    ExpandMenuItem->setEnabled(m_canExpand || m_expanded);
    AutoCloseMenuItem->setChecked(m_autoClose);
}

void TtsProgressDlg::reject() {
    if (CancelBtn->isVisible()) {
        ui::RunGuarded(this, [this] { CancelBtnClick(); });
    } else {
        close();
    }
}

void TtsProgressDlg::closeEvent(QCloseEvent* event) {
    event->accept();
    if (m_closing) return;
    m_closing = true;
    if (OnClose) OnClose();
}

void TtsProgressDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    ExpandMenuItemClick();
    event->accept();
}

bool TtsProgressDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        ExpandMenuItemClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
