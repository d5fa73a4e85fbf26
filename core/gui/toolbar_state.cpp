#include "core/gui/toolbar_state.h"

#include "core/settings_store.h"
#include "core/text_helpers.h"

#include <QAction>
#include <QToolBar>
#include <QWidgetAction>

namespace core {

namespace {

const QString kPreferences = QStringLiteral("Preferences");
const QString kToolbars = QStringLiteral("Toolbars");

bool isButton(const QAction* action) { return !action->isSeparator() && !qobject_cast<const QWidgetAction*>(action); }

/// True when the action or the toolbar's button for it carries the fixed-button tag.
bool isFixed(const QToolBar* toolbar, const QAction* action) {
    if (action->property("Tag").toInt() == kFixedButtonTag) return true;
    const QWidget* button = toolbar->widgetForAction(const_cast<QAction*>(action));
    return button && button->property("Tag").toInt() == kFixedButtonTag;
}

}  // namespace

void LoadToolbarState(QToolBar* toolbar, const QString& name, QAction* action) {
    const QList<QAction*> actions = toolbar->actions();
    const QString state = PadRight(ReadRegString(kPreferences, kToolbars, name, QStringLiteral("ButtonState"),
                                                 QStringLiteral("1")),
                                   static_cast<int>(actions.size()), u'1');
    int next = 0;
    for (QAction* button : actions) {
        if (!isButton(button) || isFixed(toolbar, button)) continue;
        button->setVisible(state.at(next) == u'1');
        ++next;
    }
    const bool visible = ReadRegBool(kPreferences, kToolbars, name, QStringLiteral("Visible"), true);
    toolbar->setVisible(visible);
    if (action) action->setChecked(visible);
}

void EnableToolbarButtons(QToolBar* toolbar, bool enable) {
    for (QAction* button : toolbar->actions())
        if (isButton(button)) button->setEnabled(enable);
}

void SaveToolbarEnabled(const QToolBar* toolbar, QByteArray& buffer) {
    const QList<QAction*> actions = toolbar->actions();
    buffer = QByteArray(actions.size(), '\0');
    for (qsizetype i = 0; i < actions.size(); ++i)
        if (isButton(actions.at(i))) buffer[i] = actions.at(i)->isEnabled() ? 1 : 0;
}

void RestoreToolbarEnabled(QToolBar* toolbar, const QByteArray& buffer) {
    const QList<QAction*> actions = toolbar->actions();
    for (qsizetype i = 0; i < actions.size() && i < buffer.size(); ++i)
        if (isButton(actions.at(i))) actions.at(i)->setEnabled(buffer.at(i) != 0);
}

}  // namespace core
