#include "report/designer/docking/custom_tool_window_skiffrow.h"

#include "report/designer/docking/application_activity.h"
#include "report/designer/docking/dock_skiffrow.h"
#include "report/designer/docking/errors.h"
#include "report/designer/docking/float_parent.h"
#include "report/designer/docking/internal/bar_drag.h"
#include "report/designer/docking/internal/form_bars.h"
#include "report/designer/docking/internal/work_area.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMainWindow>
#include <QWidget>

TppCustomToolWindowSkiffrow::TppCustomToolWindowSkiffrow(QWidget* self, QMainWindow* owner) : m_self(self), m_owner(owner) {
    if (!owner) throw EInvalidOperation(QStringLiteral("Tool windows must be owned by a form"));
    m_inactiveCaption = !skiffrow::ApplicationActivity::Instance().IsActive();
}

TppCustomToolWindowSkiffrow::~TppCustomToolWindowSkiffrow() {
    m_destroying = true;
    if (skiffrow::BarDrag* drag = skiffrow::BarDrag::Current(); drag && drag->Bar() == this) drag->Abandon();
    if (m_dock) m_dock->BarListChanged(false, this, false);
    skiffrow::FormBars::Of(m_owner)->RemoveBar(this);
    freeFloatParent();
}

void TppCustomToolWindowSkiffrow::FinishCreation() {
    skiffrow::FormBars::Of(m_owner)->AddBar(this);
    SetDockedTo(nullptr);
}

QString TppCustomToolWindowSkiffrow::Name() const { return m_self->objectName(); }

QWidget* TppCustomToolWindowSkiffrow::FrameWidget() const {
    return m_floatParent ? static_cast<QWidget*>(m_floatParent.data()) : m_self;
}

void TppCustomToolWindowSkiffrow::SetDockedTo(TppDockSkiffrow* dock) {
    TppDockSkiffrow* old = m_dock;
    const bool changed = old != dock;
    if (changed) DockChanging();
    ++m_internalMove;
    if (dock) {
        if (changed) {
            if (old) {
                m_dock = nullptr;
                old->BarListChanged(false, this, m_visible);
            }
            DetachFromForm();
            if (m_floatParent && m_floatParent->isAncestorOf(m_self)) LeaveFloatParent();
            m_dock = dock;
            LayoutControls(true, old, dock);
            dock->BarListChanged(true, this, m_visible);
        } else {
            dock->LayoutBars();
        }
        freeFloatParent();
        m_defaultDock = dock;
    } else {
        if (old) {
            m_dock = nullptr;
            old->BarListChanged(false, this, m_visible);
        }
        DetachFromForm();
        if (!m_floatParent || m_floatParent->Bar() != this || !m_floatParent->isAncestorOf(m_self)) {
            EnterFloatParent(GetFloatParent());
        }
        Rearrange();
        ApplyFloatGeometry();
        KeepOnScreen(true);
    }
    --m_internalMove;
    skiffrow::FormBars::Of(m_owner)->UpdateFloatingVisibility();
    UpdateFloatShowing();
    if (changed) DockChanged();
}

void TppCustomToolWindowSkiffrow::ApplyFloatGeometry() {
    if (!m_floatParent) return;
    ++m_internalMove;
    m_floatParent->FitToBar();
    m_floatParent->move(m_floatLeft, m_floatTop);
    --m_internalMove;
}

TFloatParent* TppCustomToolWindowSkiffrow::GetFloatParent() {
    if (!m_floatParent) m_floatParent = new TFloatParent(this, m_owner);
    return m_floatParent;
}

void TppCustomToolWindowSkiffrow::FreeFloatParent() {
    if (m_dock) freeFloatParent();  // a floating bar keeps the window it is in
}

void TppCustomToolWindowSkiffrow::GetSizeOptions(bool& CornerSizing, bool& ClipCursor) {
    CornerSizing = true;
    ClipCursor = true;
}

bool TppCustomToolWindowSkiffrow::ShowHint() const {
    if (m_parentShowHint && m_owner) {
        const QVariant v = m_owner->property("ShowHint");
        if (v.isValid()) return v.toBool();
    }
    return m_showHint;
}

void TppCustomToolWindowSkiffrow::SetShowHint(bool value) {
    m_showHint = value;
    m_parentShowHint = false;
    m_self->setProperty("ShowHint", value);
}

void TppCustomToolWindowSkiffrow::SetParentShowHint(bool value) {
    m_parentShowHint = value;
    m_self->setProperty("ShowHint", value ? QVariant() : QVariant(m_showHint));
    if (value && m_owner && m_owner->property("ShowHint").isValid()) m_self->setProperty("ShowHint", m_owner->property("ShowHint"));
}

QRect ppGetWorkArea(const QWidget* near) { return skiffrow::WorkArea(near); }

QWidget* ppFloatOwnerForm(QWidget* form) { return form ? form->window() : nullptr; }

int ppFloatingFrameSize(bool resizable) {
    (void)resizable;  // the floating window draws one frame for both
    return TFloatParent::FrameSize();
}

int ppSmallCaptionHeight() {
    QFont f = QApplication::font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    return QFontMetrics(f).height() + 3 + 1;
}

void TppCustomToolWindowSkiffrow::freeFloatParent() {
    if (!m_floatParent) return;
    TFloatParent* parent = m_floatParent;
    m_floatParent = nullptr;
    if (!m_destroying) parent->Release(m_self);
    parent->hide();
    parent->deleteLater();
}

void TppCustomToolWindowSkiffrow::SetDockRow(int row) {
    m_dockRow = row;
    if (m_dock) m_dock->LayoutBars();
}

void TppCustomToolWindowSkiffrow::SetDockPos(int pos) {
    m_dockPos = pos;
    if (m_dock) m_dock->LayoutBars();
}

void TppCustomToolWindowSkiffrow::SetDockableTo(TppDockableTo edges) { m_dockableTo = edges; }

void TppCustomToolWindowSkiffrow::SetCloseButton(bool value) {
    m_closeButton = value;
    if (m_floatParent) m_floatParent->UpdateCaption();
}

void TppCustomToolWindowSkiffrow::SetHideWhenInactive(bool value) {
    m_hideWhenInactive = value;
    skiffrow::FormBars::Of(m_owner)->UpdateFloatingVisibility();
}

void TppCustomToolWindowSkiffrow::SetVisible(bool value) {
    if (value == m_visible) return;
    m_visible = value;
    if (m_dock) {
        m_self->setVisible(value);
        m_dock->BarListChanged(value, this, value);
    }
    UpdateFloatShowing();
    if (OnVisibleChanged) OnVisibleChanged();
}

void TppCustomToolWindowSkiffrow::SetInactiveHidden(bool value) {
    if (m_destroying || value == m_inactiveHidden) return;
    m_inactiveHidden = value;
    UpdateFloatShowing();
}

void TppCustomToolWindowSkiffrow::SetInactiveCaption(bool value) {
    if (m_destroying || value == m_inactiveCaption) return;
    m_inactiveCaption = value;
    if (m_floatParent) m_floatParent->UpdateCaption();
}

void TppCustomToolWindowSkiffrow::UpdateFloatShowing() {
    if (!m_floatParent) return;
    m_floatParent->setVisible(m_visible && !m_inactiveHidden);
}

void TppCustomToolWindowSkiffrow::KeepOnScreen(bool onlyWhenOutside) {
    if (!m_floatParent || m_destroying) return;
    const QRect work = skiffrow::WorkArea(m_owner);
    QRect r(QPoint(m_floatLeft, m_floatTop), m_floatParent->size());
    if (onlyWhenOutside && r.intersects(work)) return;
    if (r.right() > work.right()) r.moveRight(work.right());
    if (r.bottom() > work.bottom()) r.moveBottom(work.bottom());
    if (r.left() < work.left()) r.moveLeft(work.left());
    if (r.top() < work.top()) r.moveTop(work.top());
    m_floatLeft = r.left();
    m_floatTop = r.top();
    ++m_internalMove;
    m_floatParent->move(r.topLeft());
    --m_internalMove;
}

void TppCustomToolWindowSkiffrow::BeginUpdate() { ++m_updateCount; }

void TppCustomToolWindowSkiffrow::EndUpdate() {
    if (--m_updateCount == 0 && m_arrangePending) Rearrange();
}

void TppCustomToolWindowSkiffrow::Rearrange() {
    if (m_destroying) return;
    if (m_updateCount > 0) {
        m_arrangePending = true;
        return;
    }
    m_arrangePending = false;
    ++m_updateCount;
    const QSize client = LayoutControls(true, m_dock, m_dock);
    ApplyClientSize(client);
    --m_updateCount;
    if (m_floatParent) m_floatParent->FitToBar();
}

void TppCustomToolWindowSkiffrow::SizeChanging(int, int) {}
void TppCustomToolWindowSkiffrow::DockChanging() {
    if (OnDockChanging) OnDockChanging();
}
void TppCustomToolWindowSkiffrow::DockChanged() {
    if (OnDockChanged) OnDockChanged();
}

void TppCustomToolWindowSkiffrow::ReadPositionData(const skiffrow::PositionReader&, const QString&) {}
void TppCustomToolWindowSkiffrow::WritePositionData(const skiffrow::PositionWriter&, const QString&) {}

QSize TppCustomToolWindowSkiffrow::OutlineSizeFor(TppDockSkiffrow* dock) {
    if (dock && dock == m_dock) return m_self->size();
    if (!dock && m_floatParent) return m_floatParent->size();
    const QSize client = LayoutControls(false, m_dock, dock);
    if (!dock) {
        const int caption = m_self->fontMetrics().height() + 4;
        return QSize(client.width() + 2 * TFloatParent::FrameSize(), client.height() + 2 * TFloatParent::FrameSize() + caption);
    }
    return dock->Orientation() == 1 ? QSize(client.width() + 13, client.height() + 4)
                                    : QSize(client.width() + 4, client.height() + 13);
}

void TppCustomToolWindowSkiffrow::StartDrag(const QPoint& globalPos, bool ctrlHeld) {
    if (m_destroying) return;
    if (m_dock && !m_dock->AllowDrag()) return;
    skiffrow::BarDrag::Start(this, globalPos, ctrlHeld);
}

void TppCustomToolWindowSkiffrow::DoubleClicked() {
    if (m_dock) {
        if (!m_dock->AllowDrag()) return;
        SetDockedTo(nullptr);
    } else if (m_defaultDock) {
        SetDockedTo(m_defaultDock);
    }
}

void TppCustomToolWindowSkiffrow::CloseClicked() {
    SetVisible(false);
    if (OnClose) OnClose();
}
