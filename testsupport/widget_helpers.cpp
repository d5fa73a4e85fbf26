#include "testsupport/widget_helpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>

namespace testsupport {

namespace {
QWidget* usableWidget(QObject* root, const QString& name) {
    auto* w = FindControl<QWidget>(root, name);
    if (!w) return nullptr;
    if (!w->isVisible()) {
        ADD_FAILURE() << "control " << name << " is hidden";
        return nullptr;
    }
    if (!w->isEnabled()) {
        ADD_FAILURE() << "control " << name << " is disabled";
        return nullptr;
    }
    return w;
}
}  // namespace

bool IsUsable(QObject* root, const QString& name) {
    if (!root) return false;
    if (auto* a = root->findChild<QAction*>(name)) return a->isEnabled();
    auto* w = root->findChild<QWidget*>(name);
    return w && w->isVisible() && w->isEnabled();
}

bool Click(QObject* root, const QString& name) {
    QWidget* w = usableWidget(root, name);
    if (!w) return false;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->click();
        return true;
    }
    QTest::mouseClick(w, Qt::LeftButton);
    return true;
}

bool Type(QObject* root, const QString& name, const QString& text) {
    QWidget* w = usableWidget(root, name);
    if (!w) return false;
    w->setFocus();
    QTest::keyClicks(w, text);
    return true;
}

bool Key(QObject* root, const QString& name, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* w = usableWidget(root, name);
    if (!w) return false;
    w->setFocus();
    QTest::keyClick(w, key, modifiers);
    return true;
}

bool TriggerAction(QObject* window, const QString& name) {
    auto* a = window ? window->findChild<QAction*>(name) : nullptr;
    if (!a) {
        ADD_FAILURE() << "no action named " << name;
        return false;
    }
    if (!a->isEnabled()) {
        ADD_FAILURE() << "action " << name << " is disabled";
        return false;
    }
    a->trigger();
    return true;
}

bool WaitFor(const std::function<bool()>& pred, int timeoutMs) { return QTest::qWaitFor(pred, timeoutMs); }

QString GrabToPng(QWidget* widget, const QString& name) {
    QDir().mkpath(QStringLiteral("screenshots"));
    const QString path = QDir(QStringLiteral("screenshots")).absoluteFilePath(name + QStringLiteral(".png"));
    if (!widget) return {};
    if (!widget->isVisible()) widget->show();
    QApplication::processEvents();
    widget->grab().save(path);
    return path;
}

}  // namespace testsupport
