#include "report/designer/docking/application_activity.h"

#include <QGuiApplication>

namespace skiffrow {

ApplicationActivity& ApplicationActivity::Instance() {
    static auto* instance = new ApplicationActivity;  // lives as long as the application
    return *instance;
}

ApplicationActivity::ApplicationActivity() : QObject(qApp) {
    m_active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (!m_driven) set(state == Qt::ApplicationActive);
    });
}

void ApplicationActivity::Drive(bool active) {
    m_driven = true;
    set(active);
}

void ApplicationActivity::set(bool active) {
    if (active == m_active) return;
    m_active = active;
    emit ActiveChanged(active);
}

}  // namespace skiffrow
