#pragma once

#include <QObject>
#include <QString>

#include <utility>

namespace ui {

/// Creates a control with its parent and object name in one step; the remaining arguments
/// go to the control's constructor before the parent. Controls are found by these names in
/// layouts and tests.
template <typename W, typename Parent, typename... Args>
W* Make(Parent* parent, const char* name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace ui
