#pragma once

#include <QObject>

namespace skiffrow {

/// Whether the application is the active one, as the floating bars and the hot buttons see
/// it. It follows QGuiApplication::applicationStateChanged until Drive() is called; from
/// then on only Drive() changes it (tests switch applications this way).
class ApplicationActivity : public QObject {
    Q_OBJECT
public:
    static ApplicationActivity& Instance();

    bool IsActive() const { return m_active; }
    /// Stops following the application and sets the state; ActiveChanged fires on a change.
    void Drive(bool active);

signals:
    void ActiveChanged(bool active);

private:
    ApplicationActivity();
    void set(bool active);

    bool m_active = true;
    bool m_driven = false;
};

}  // namespace skiffrow
