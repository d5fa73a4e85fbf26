#pragma once

#include "testsupport/qt_printers.h"

#include <QAction>
#include <QObject>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace testsupport {

/// The child of `root` named `name`, of type T; fails the test (and answers nullptr) when
/// there is none.
template <typename T>
T* FindControl(QObject* root, const QString& name) {
    T* found = root ? root->findChild<T*>(name) : nullptr;
    if (!found && root && root->objectName() == name) found = qobject_cast<T*>(root);
    if (!found) ADD_FAILURE() << "no control named " << name;
    return found;
}

/// These fail the test (and answer false) when the control is missing, hidden or disabled.
bool Click(QObject* root, const QString& name);
bool Type(QObject* root, const QString& name, const QString& text);
bool Key(QObject* root, const QString& name, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
bool TriggerAction(QObject* window, const QString& name);

/// Usable: exists, visible and enabled (QActions: enabled only).
bool IsUsable(QObject* root, const QString& name);

/// Runs the event loop until `pred` holds or `timeoutMs` passes.
bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 5000);

/// Writes a picture of `widget` to "<build>/tests/screenshots/<name>.png"; returns the path.
QString GrabToPng(QWidget* widget, const QString& name);

}  // namespace testsupport
