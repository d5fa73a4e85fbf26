#include "report/designer/docking/internal/form_bars.h"

#include "report/designer/docking/application_activity.h"
#include "report/designer/docking/custom_tool_window_skiffrow.h"
#include "report/designer/docking/dock_skiffrow.h"

#include <QCoreApplication>
#include <QMainWindow>

namespace skiffrow {
namespace {
const QEvent::Type kEvaluatePending = static_cast<QEvent::Type>(QEvent::registerEventType());
}

FormBars* FormBars::Of(QMainWindow* form) {
    if (auto* existing = form->findChild<FormBars*>(QString(), Qt::FindDirectChildrenOnly)) return existing;
    return new FormBars(form);
}

FormBars::FormBars(QMainWindow* form) : QObject(form), m_form(form) {
    form->installEventFilter(this);
    connect(&ApplicationActivity::Instance(), &ApplicationActivity::ActiveChanged, this,
            [this](bool) { UpdateFloatingVisibility(); });
}

void FormBars::AddBar(TppCustomToolWindowSkiffrow* bar) {
    m_bars.append(bar);
    if (!m_evaluationPosted) {
        m_evaluationPosted = true;
        QCoreApplication::postEvent(this, new QEvent(kEvaluatePending));
    }
}

void FormBars::RemoveBar(TppCustomToolWindowSkiffrow* bar) { m_bars.removeAll(bar); }

QList<TppDockSkiffrow*> FormBars::Docks() const {
    QList<TppDockSkiffrow*> docks;
    for (const auto& d : m_docks)
        if (d) docks.append(d);
    return docks;
}

void FormBars::customEvent(QEvent* event) {
    if (event->type() != kEvaluatePending) return;
    m_evaluationPosted = false;
    UpdateFloatingVisibility();
}

bool FormBars::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_form) {
        switch (event->type()) {
        case QEvent::WindowStateChange:
        case QEvent::Show:
        case QEvent::Hide: UpdateFloatingVisibility(); break;
        default: break;
        }
    }
    return false;
}

void FormBars::UpdateFloatingVisibility() {
    const bool active = ApplicationActivity::Instance().IsActive();
    const bool formHidden = !m_form->isVisible() || m_form->isMinimized();
    for (auto* bar : m_bars) {
        const bool docked = bar->Docked();
        bar->SetInactiveHidden(!(docked || (!formHidden && (!bar->HideWhenInactive() || active))));
        bar->SetInactiveCaption(!(docked || bar->HideWhenInactive() || active));
    }
}

}  // namespace skiffrow
