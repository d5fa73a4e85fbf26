#include "report/designer/docking/designer_bars.h"

#include "report/designer/docking/drop_down_panel.h"
#include "report/designer/docking/internal/work_area.h"

#include <QMainWindow>
#include <QMouseEvent>

#include <algorithm>

bool TppDock::HasSplitter() const {
    if (Orientation() != 2) return false;
    return std::any_of(DockList().begin(), DockList().end(),
                       [](TppCustomToolWindowSkiffrow* bar) { return dynamic_cast<TppToolWindowSkiffrow*>(bar) != nullptr; });
}

TppToolWindow::TppToolWindow(QMainWindow* owner, const QString& name) : TppToolWindowSkiffrow(owner, name) {
    SetDockableTo({ppdpLeft, ppdpRight});
}

void TppToolWindow::LoadSettings(settings::IniFile&) {}
void TppToolWindow::SaveSettings(settings::IniFile&) {}

TppToolbar::TppToolbar(QMainWindow* owner, const QString& name) : TppSkiffrow(owner, name) {
    m_closeTimer = new QTimer(this);
    m_closeTimer->setObjectName(QStringLiteral("CloseTimer"));
    m_closeTimer->setInterval(1000);
    connect(m_closeTimer, &QTimer::timeout, this, &TppToolbar::CloseActiveDropDown);
    OnDockChanging = [this] { CloseActiveDropDown(); };
}

void TppToolbar::CloseActiveDropDown() {
    if (m_active) m_active->SetDropDownActive(false);
    m_active = nullptr;
    m_closeTimer->stop();
}

void TppToolbar::PanelShown(TppToolbarButton* button) {
    if (m_active && m_active != button) m_active->SetDropDownActive(false);
    m_active = button;
}

void TppToolbar::PanelHidden(TppToolbarButton* button) {
    if (m_active == button) m_active = nullptr;
}

void TppToolbar::PointerBack() { m_closeTimer->stop(); }
void TppToolbar::PointerLeft() { m_closeTimer->start(); }

TppToolbarButton::TppToolbarButton(QWidget* parent) : TppToolbarButtonSkiffrow(parent) {}

TppToolbar* TppToolbarButton::Toolbar() const { return qobject_cast<TppToolbar*>(TppSkiffrow::ToolbarOf(this)); }

void TppToolbarButton::SetDropDownPanel(TppDropDownPanel* panel) {
    m_panel = panel;
    if (!panel) return;
    panel->SetButton(this);
    if (!DropdownCombo() && GroupIndex() == 0) {
        int highest = 0;
        if (parentWidget())
            for (auto* b : parentWidget()->findChildren<TppToolbarButtonSkiffrow*>(QString(), Qt::FindDirectChildrenOnly))
                highest = std::max(highest, b->GroupIndex());
        SetGroupIndex(std::max(1, highest + 1));
        SetAllowAllUp(true);
    }
}

void TppToolbarButton::SetDropDownActive(bool active) {
    if (!m_panel) return;
    if (!active) {
        m_panel->hide();
        SetDown(false);
        return;
    }
    SetDown(true);
    showPanel();
}

void TppToolbarButton::showPanel() {
    TppDropDownPanel* panel = m_panel;
    TppSkiffrow* bar = TppSkiffrow::ToolbarOf(this);
    TppDockSkiffrow* dock = bar ? bar->DockedTo() : nullptr;
    const QSize size = panel->size();
    QPoint at(0, height() + 1);
    if (dock && dock->Position() == ppdpBottom) at = QPoint(0, -size.height() - 1);
    else if (dock && dock->Position() == ppdpLeft) at = QPoint(width() + 1, 0);
    else if (dock && dock->Position() == ppdpRight) at = QPoint(-size.width() - 1, 0);
    QPoint g = mapToGlobal(at);
    const QRect screen = skiffrow::WorkArea(this);
    if (g.y() + size.height() > screen.bottom() + 1 - 10) g.setY(mapToGlobal(QPoint(0, -size.height() - 1)).y());
    if (g.x() + size.width() > screen.right() + 1 - 10) g.setX(mapToGlobal(QPoint(-size.width() - 1, 0)).x());
    g.setX(std::max(screen.left(), std::min(g.x(), screen.right() + 1 - size.width())));
    g.setY(std::max(screen.top(), std::min(g.y(), screen.bottom() + 1 - size.height())));
    panel->move(g);
    panel->show();
    panel->raise();
}

void TppToolbarButton::PanelShown() {
    m_panelActive = true;
    if (TppToolbar* bar = Toolbar()) bar->PanelShown(this);
}

void TppToolbarButton::PanelHidden() {
    m_panelActive = false;
    SetDown(false);
    if (TppToolbar* bar = Toolbar()) bar->PanelHidden(this);
}

void TppToolbarButton::Click() {
    if (m_panel) {
        SetDropDownActive(!m_panelActive);
        return;
    }
    TppToolbarButtonSkiffrow::Click();
}

void TppToolbarButton::mousePressEvent(QMouseEvent* event) {
    m_lastPress = event->position().toPoint();
    TppToolbarButtonSkiffrow::mousePressEvent(event);
}

void TppToolbarButton::HotEnter() {
    TppToolbarButtonSkiffrow::HotEnter();
    TppToolbar* bar = Toolbar();
    if (!bar) return;
    if (bar->ActiveDropDown() && bar->ActiveDropDown() != this && m_panel) SetDropDownActive(true);
    bar->PointerBack();
}

void TppToolbarButton::HotLeave() {
    TppToolbarButtonSkiffrow::HotLeave();
    TppToolbar* bar = Toolbar();
    if (!bar || !m_panelActive || !m_panel) return;
    const QRect near = m_panel->frameGeometry().adjusted(-2, -2, 2, 2);
    if (!near.contains(QCursor::pos())) bar->PointerLeft();
}
