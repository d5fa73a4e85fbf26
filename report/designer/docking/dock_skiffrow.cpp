#include "report/designer/docking/dock_skiffrow.h"

#include "report/designer/docking/custom_tool_window_skiffrow.h"
#include "report/designer/docking/errors.h"
#include "report/designer/docking/internal/form_bars.h"

#include <QLayout>
#include <QMainWindow>
#include <QStatusBar>
#include <QWidget>

#include <algorithm>

namespace {
constexpr int kMinRowThickness = 8;
constexpr int kRowBoundaryZone = 5;
}  // namespace

TppDockSkiffrow::TppDockSkiffrow(QMainWindow* owner, TppDockPosition position)
    : QObject(owner), m_form(owner), m_position(position) {
    if (!owner) throw EInvalidOperation(QStringLiteral("TppDockSkiffrow must be owned by a form"));
    m_color = owner->palette().color(QPalette::Button);
    skiffrow::FormBars::Of(owner)->AddDock(this);
}

TppDockSkiffrow::~TppDockSkiffrow() = default;

void TppDockSkiffrow::SetPosition(TppDockPosition position) {
    if (position == m_position) return;
    if (!m_dockList.isEmpty())
        throw EInvalidOperation(QStringLiteral("Cannot change Position of a TppDockSkiffrow if it already contains controls"));
    m_position = position;
}

void TppDockSkiffrow::SetAllowDrag(bool value) {
    if (value == m_allowDrag) return;
    m_allowDrag = value;
    for (TppCustomToolWindowSkiffrow* bar : m_dockList) bar->Rearrange();
}

void TppDockSkiffrow::SetLimitToOneRow(bool value) {
    m_limitToOneRow = value;
    LayoutBars();
}

void TppDockSkiffrow::SetFixAlign(bool value) {
    m_fixAlign = value;
    LayoutBars();
}

Qt::ToolBarArea TppDockSkiffrow::ToolBarArea() const {
    switch (m_position) {
    case ppdpTop: return Qt::TopToolBarArea;
    case ppdpBottom: return Qt::BottomToolBarArea;
    case ppdpLeft: return Qt::LeftToolBarArea;
    case ppdpRight: return Qt::RightToolBarArea;
    }
    return Qt::TopToolBarArea;
}

Qt::DockWidgetArea TppDockSkiffrow::DockWidgetArea() const {
    switch (m_position) {
    case ppdpTop: return Qt::TopDockWidgetArea;
    case ppdpBottom: return Qt::BottomDockWidgetArea;
    case ppdpLeft: return Qt::LeftDockWidgetArea;
    case ppdpRight: return Qt::RightDockWidgetArea;
    }
    return Qt::TopDockWidgetArea;
}

void ppSortList(QList<TppCustomToolWindowSkiffrow*>& list) {
    std::stable_sort(list.begin(), list.end(), [](auto* a, auto* b) {
        if (a->DockRow() != b->DockRow()) return a->DockRow() < b->DockRow();
        const int pa = a->DockPos() < 0 ? INT_MAX : a->DockPos();
        const int pb = b->DockPos() < 0 ? INT_MAX : b->DockPos();
        return pa < pb;
    });
}

void TppDockSkiffrow::CompactRows() {
    ppSortList(m_dockList);
    // Occupied rows become 0 .. n-1 in their order.
    int next = -1;
    int previous = INT_MIN;
    for (auto* bar : m_dockList) {
        if (bar->DockRow() != previous) {
            previous = bar->DockRow();
            ++next;
        }
        bar->SetDockRowQuietly(next);
    }
}

void TppDockSkiffrow::LayoutBars() {
    if (m_lockCount > 0) return;
    ppSortList(m_dockList);
    if (m_limitToOneRow)
        for (auto* bar : m_dockList) bar->SetDockRowQuietly(0);
    CompactRows();
    placeOnForm();
    measureRows();
    BarsLaidOut();
}

void TppDockSkiffrow::placeOnForm() {
    QList<QPair<TppCustomToolWindowSkiffrow*, int>> wanted;
    for (auto* bar : m_dockList) wanted.append({bar, bar->DockRow()});
    if (wanted != m_placed) {
        for (auto* bar : m_dockList) bar->DetachFromForm();
        int row = -1;
        for (auto* bar : m_dockList) {
            const bool newRow = row >= 0 && bar->DockRow() != row;
            row = bar->DockRow();
            bar->AttachToForm(this, newRow);
        }
        m_placed = wanted;
    }
    if (m_form->layout()) m_form->layout()->activate();
    // Positions along each row follow what the form made of them.
    for (auto* bar : m_dockList) {
        QWidget* w = bar->BarWidget();
        if (!w->isVisibleTo(m_form)) continue;
        const QPoint topLeft = w->mapTo(m_form, QPoint(0, 0));
        const QRect area = ClientRect();
        bar->SetDockPosQuietly(Orientation() == 1 ? topLeft.x() - area.left() : topLeft.y() - area.top());
    }
}

void TppDockSkiffrow::measureRows() {
    m_rowSizes.clear();
    for (auto* bar : m_dockList) {
        while (m_rowSizes.size() <= bar->DockRow()) m_rowSizes.append(kMinRowThickness);
        QWidget* w = bar->BarWidget();
        const int across = w->isVisibleTo(m_form) ? (Orientation() == 1 ? w->height() : w->width())
                                                  : bar->GetBarSize(Orientation()) + 4;
        m_rowSizes[bar->DockRow()] = std::max(m_rowSizes[bar->DockRow()], across);
    }
    int thickness = 0;
    for (int s : m_rowSizes) thickness += s;
    if (m_dockList.isEmpty()) thickness = m_fixAlign ? 1 : 0;
    if (thickness != m_lastThickness) {
        m_lastThickness = thickness;
        if (OnResize) OnResize(this);
    }
}

int TppDockSkiffrow::RowThickness(int row, TppCustomToolWindowSkiffrow* bar) const {
    if (row >= 0 && row < m_rowSizes.size()) return m_rowSizes[row];
    return bar ? bar->GetBarSize(Orientation()) + 4 : kMinRowThickness;
}

int TppDockSkiffrow::DropRowAt(int coordinate, bool& newRow) const {
    int start = 0;
    for (int row = 0; row <= m_rowSizes.size(); ++row) {
        const bool beyondLast = row == m_rowSizes.size();
        const int end = beyondLast ? INT_MAX : start + m_rowSizes[row];
        if (coordinate < start + kRowBoundaryZone) {
            newRow = true;
            return row;
        }
        if (beyondLast || coordinate <= end - kRowBoundaryZone) {
            newRow = beyondLast;
            return row;
        }
        start = end;
    }
    newRow = true;
    return m_rowSizes.size();
}

int TppDockSkiffrow::RowContaining(int coordinate) const {
    int end = 0;
    for (int row = 0; row < m_rowSizes.size(); ++row) {
        end += m_rowSizes[row];
        if (end > coordinate) return row;
    }
    return m_rowSizes.size();
}

void TppDockSkiffrow::OpenRow(int row) {
    for (auto* bar : m_dockList)
        if (bar->DockRow() >= row) bar->SetDockRowQuietly(bar->DockRow() + 1);
}

void TppDockSkiffrow::BarListChanged(bool inserting, TppCustomToolWindowSkiffrow* bar, bool visible) {
    bool changed = false;
    if (inserting) {
        m_dockList.removeAll(bar);
        if (visible) {
            m_dockList.append(bar);
            changed = true;
        }
    } else {
        changed = m_dockList.removeAll(bar) > 0;
        if (changed) {
            m_placed.removeIf([bar](const auto& p) { return p.first == bar; });
        }
    }
    if (!changed) return;
    LayoutBars();
    bar->Rearrange();
    if (OnInsertRemoveBar) OnInsertRemoveBar(this, inserting, bar);
}

QRect TppDockSkiffrow::ClientRect() const {
    const QRect all = m_form->rect();
    int top = m_form->menuWidget() && m_form->menuWidget()->isVisible() ? m_form->menuWidget()->geometry().bottom() + 1 : 0;
    // findChild, not statusBar(): asking the form for its status bar would make one.
    const QStatusBar* status = m_form->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
    int bottom = status && status->isVisible() ? status->geometry().top() : all.bottom() + 1;
    QWidget* central = m_form->centralWidget();
    const QRect inner = central ? central->geometry() : QRect(all.left(), top, all.width(), bottom - top);
    switch (m_position) {
    case ppdpTop: return QRect(all.left(), top, all.width(), inner.top() - top);
    case ppdpBottom: return QRect(all.left(), inner.bottom() + 1, all.width(), bottom - inner.bottom() - 1);
    case ppdpLeft: return QRect(all.left(), inner.top(), inner.left() - all.left(), inner.height());
    case ppdpRight: return QRect(inner.right() + 1, inner.top(), all.right() - inner.right(), inner.height());
    }
    return {};
}

QRect TppDockSkiffrow::ScreenRect() const {
    const QRect r = ClientRect();
    return QRect(m_form->mapToGlobal(r.topLeft()), r.size());
}

int TppDockSkiffrow::AcrossOffset(const QPoint& screenPoint) const {
    const QRect r = ScreenRect();
    switch (m_position) {
    case ppdpTop: return screenPoint.y() - r.top();
    case ppdpBottom: return r.bottom() - screenPoint.y();
    case ppdpLeft: return screenPoint.x() - r.left();
    case ppdpRight: return r.right() - screenPoint.x();
    }
    return 0;
}

int TppDockSkiffrow::AlongOffset(const QPoint& screenPoint) const {
    const QRect r = ScreenRect();
    return Orientation() == 1 ? screenPoint.x() - r.left() : screenPoint.y() - r.top();
}
