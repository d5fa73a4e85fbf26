#include "report/designer/docking/internal/bar_drag.h"

#include "report/designer/docking/custom_tool_window_skiffrow.h"
#include "report/designer/docking/dock_skiffrow.h"
#include "report/designer/docking/float_parent.h"
#include "report/designer/docking/internal/form_bars.h"
#include "report/designer/docking/internal/work_area.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QRubberBand>

namespace skiffrow {
namespace {
BarDrag* g_current = nullptr;

int mulDiv(int a, int b, int c) { return c == 0 ? 0 : static_cast<int>(static_cast<long long>(a) * b / c); }
}  // namespace

BarDrag* BarDrag::Current() { return g_current; }

void BarDrag::Start(TppCustomToolWindowSkiffrow* bar, const QPoint& globalPos, bool ctrlHeld) {
    if (g_current) g_current->finish(false);
    g_current = new BarDrag(bar, globalPos, ctrlHeld);
    g_current->track(globalPos);
}

BarDrag::BarDrag(TppCustomToolWindowSkiffrow* bar, const QPoint& globalPos, bool ctrlHeld)
    : m_bar(bar), m_barWidget(bar->BarWidget()), m_ctrl(ctrlHeld), m_startPointer(globalPos), m_lastPointer(globalPos) {
    QWidget* frame = bar->FrameWidget();
    m_grab = globalPos - frame->mapToGlobal(QPoint(0, 0));
    m_startExtent = frame->size();
    m_floatSize = bar->OutlineSizeFor(nullptr);
    for (TppDockSkiffrow* dock : FormBars::Of(bar->OwnerForm())->Docks()) m_dockSizes[dock] = bar->OutlineSizeFor(dock);
    m_band = new QRubberBand(QRubberBand::Rectangle);
    m_band->setObjectName(QStringLiteral("DragOutline"));
    qApp->installEventFilter(this);
}

BarDrag::~BarDrag() {
    qApp->removeEventFilter(this);
    delete m_band;
}

QRect BarDrag::outlineAt(const QSize& size, const QPoint& pointer) const {
    const int left = pointer.x() - mulDiv(size.width() - 1, m_grab.x(), m_startExtent.width() - 1);
    const int top = pointer.y() - mulDiv(size.height() - 1, m_grab.y(), m_startExtent.height() - 1);
    return QRect(QPoint(left, top), size);
}

bool BarDrag::DockAccepts(TppDockSkiffrow* dock, const QPoint& p) const {
    QRect r = dock->ScreenRect();
    if (r.width() <= 0 || r.height() <= 0) {
        if (dock->Orientation() == 1) r.adjust(0, -1, 0, 1);
        else r.adjust(-1, 0, 1, 0);
    }
    const QRect s = outlineAt(m_dockSizes.at(dock), p);
    const int gx = mulDiv(32, m_grab.x(), m_startExtent.width() - 1);
    const int gy = mulDiv(20, m_grab.y(), m_startExtent.height() - 1);
    const int right = r.left() + r.width();
    const int bottom = r.top() + r.height();
    if (!(r.left() - 32 + gx <= p.x() && p.x() <= right - 1 + gx)) return false;
    if (dock->Orientation() == 2 && !(r.top() <= p.y() && p.y() < bottom)) return false;
    if (!(r.top() - 20 + gy <= p.y() && p.y() <= bottom - 1 + gy)) return false;
    return s.intersects(r);
}

void BarDrag::track(const QPoint& globalPos) {
    m_lastPointer = globalPos;
    m_target = nullptr;
    if (!m_ctrl) {
        const QList<TppDockSkiffrow*> docks = FormBars::Of(m_bar->OwnerForm())->Docks();
        for (TppDockPosition pos : {ppdpTop, ppdpBottom, ppdpLeft, ppdpRight}) {
            if (!m_bar->DockableTo().Contains(pos)) continue;
            for (TppDockSkiffrow* dock : docks) {
                if (dock->Position() != pos || !dock->AllowDrag()) continue;
                if (DockAccepts(dock, globalPos)) {
                    m_target = dock;
                    break;
                }
            }
        }
    }
    QPoint pointer = globalPos;
    const QRect work = WorkArea(m_bar->OwnerForm());
    if (!m_target) pointer = QPoint(std::clamp(pointer.x(), work.left(), work.right()),
                                    std::clamp(pointer.y(), work.top(), work.bottom()));
    m_outline = outlineAt(m_target ? m_dockSizes.at(m_target) : m_floatSize, pointer);
    if (!m_target) {
        const int margin = TFloatParent::FrameSize() + 4;
        const QRect inner = work.adjusted(margin, margin, -margin, -margin);
        if (m_outline.bottom() < inner.top()) m_outline.moveBottom(inner.top());
        if (m_outline.top() > inner.bottom()) m_outline.moveTop(inner.bottom());
        if (m_outline.right() < inner.left()) m_outline.moveRight(inner.left());
        if (m_outline.left() > inner.right()) m_outline.moveLeft(inner.right());
    }
    m_band->setGeometry(m_outline);
    m_band->show();
}

bool BarDrag::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Control) {
            const bool down = event->type() == QEvent::KeyPress;
            if (down != m_ctrl) {
                m_ctrl = down;
                track(m_lastPointer);
            }
        } else if (key->key() == Qt::Key_Escape && event->type() == QEvent::KeyPress) {
            finish(false);
        }
        return true;
    }
    case QEvent::MouseMove:
        track(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) finish(false);
        return true;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) finish(true);
        return true;
    default: return false;
    }
}

void BarDrag::finish(bool accept) {
    qApp->removeEventFilter(this);
    m_band->hide();
    g_current = nullptr;
    deleteLater();
    // A press and release on the same spot moves nothing (the first half of a double-click).
    if (!accept || !m_barWidget || m_lastPointer == m_startPointer) return;
    TppCustomToolWindowSkiffrow* bar = m_bar;
    if (m_target) {
        TppDockSkiffrow* dock = m_target;
        const QPoint centre = m_outline.center();
        bool newRow = false;
        const int across = dock->AcrossOffset(centre);
        int row = dock->DropRowAt(across, newRow);
        if (newRow) dock->OpenRow(row);
        bar->SetDockRowQuietly(row);
        bar->SetDockPosQuietly(std::max(0, dock->AlongOffset(m_outline.topLeft())));
        if (bar->DockedTo() == dock) dock->LayoutBars();
        else bar->SetDockedTo(dock);
    } else {
        bar->SetFloatLeft(m_outline.left());
        bar->SetFloatTop(m_outline.top());
        bar->SetDockedTo(nullptr);
    }
    bar->KeepOnScreen(true);
}

}  // namespace skiffrow
