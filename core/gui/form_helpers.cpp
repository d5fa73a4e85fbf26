#include "core/gui/form_helpers.h"

#include "core/globals.h"
#include "core/log.h"
#include "core/settings_store.h"

#include "platform/ui/cursor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMainWindow>
#include <QPixmap>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

namespace core {

namespace {

QRect screenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 800, 600);
}

const QString kForms = QStringLiteral("Forms");
const QString kLayout = QStringLiteral("Layout");
const QString kPosition = QStringLiteral("Position");

}  // namespace

void SaveFormPosition(QWidget* form, const QString& name) {
    WriteRegString(kForms, name, kLayout, kPosition, PositionToText({form->y(), form->x(), form->height(), form->width()}));
}

void RestoreFormPosition(QWidget* form, const QString& name, int height, int width) {
    const QString stored = ReadRegString(kForms, name, kLayout, kPosition, QString());
    if (UserPrefs().RestoreScreenLayout && !stored.trimmed().isEmpty()) {
        PositionRecord position{};
        TextToPosition(stored, position);
        form->move(position[1], position[0]);
        form->resize(position[3], position[2]);
    } else {
        const QRect screen = screenRect();
        const int h = std::min(height, screen.height());
        const int w = std::min(width, screen.width());
        form->resize(w, h);
        form->move(screen.x() + (screen.width() - w) / 2, screen.y() + (screen.height() - h) / 2);
    }
    if (!IsOnScreen(form)) CenterOnScreen(form);
}

bool IsOnScreen(const QWidget* control) {
    const QRect screen = screenRect();
    return control->height() <= screen.height() && control->width() <= screen.width() && control->y() >= 0 &&
           control->y() < screen.height() - 10 && control->x() <= screen.width() - 10;
}

void CenterOnScreen(QWidget* control) {
    const QRect screen = screenRect();
    const int w = std::min(control->width(), screen.width());
    const int h = std::min(control->height(), screen.height());
    if (w != control->width() || h != control->height()) control->resize(w, h);
    control->move(screen.x() + (screen.width() - w) / 2, screen.y() + (screen.height() - h) / 2);
}

void FocusNextControl(QWidget* form) {
    QWidget* start = form->focusWidget() ? form->focusWidget() : form;
    for (QWidget* w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
        if (w != form && form->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void BringFormToFront(QWidget* form) {
    if (QApplication::activeWindow() == form->window()) return;
    QApplication::processEvents();
    form->raise();
    form->activateWindow();
}

void EnableFloatingForms(const QList<QWidget*>& forms, bool enable) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || qobject_cast<QMainWindow*>(w)) continue;
        if (qobject_cast<QDialog*>(w) || w->windowType() == Qt::Dialog) w->setEnabled(true);
        else w->setEnabled(enable);
    }
    for (QWidget* w : forms) w->setEnabled(true);
    if (!forms.isEmpty()) BringFormToFront(forms.first());
}

void SetCheckedSilently(QAbstractButton* checkBox, bool checked) {
    const QSignalBlocker blocker(checkBox);
    checkBox->setChecked(checked);
}

void ResetEditSelection(QLineEdit* edit) {
    QWidget* previous = QApplication::focusWidget();
    edit->setFocus(Qt::OtherFocusReason);
    edit->deselect();
    edit->setCursorPosition(0);
    edit->home(false);
    if (previous && previous != edit) previous->setFocus(Qt::OtherFocusReason);
}

void SetRichTextAttributes(QTextEdit* richEdit, const QColor& colour, FontStyles style) {
    QTextCharFormat format;
    format.setForeground(colour);
    format.setFontWeight(style.testFlag(FontStyle::Bold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(style.testFlag(FontStyle::Italic));
    format.setFontUnderline(style.testFlag(FontStyle::Underline));
    format.setFontStrikeOut(style.testFlag(FontStyle::StrikeOut));
    QTextCursor cursor = richEdit->textCursor();
    cursor.mergeCharFormat(format);
    richEdit->setTextCursor(cursor);
}

QPoint PlaceToolbarNearControl(const QWidget* control, int width, int height) {
    const QWidget* parent = control->parentWidget();
    const int parentHeight = parent ? parent->height() : screenRect().height();
    const int parentWidth = parent ? parent->width() : screenRect().width();
    QPoint at(control->x() + 1, control->y() + control->height() + 1);
    if (at.y() + height > parentHeight) {
        at = QPoint(control->x() + control->width() + 2, control->y() - 1);
        if (at.x() + width > parentWidth) at = QPoint(control->x() + 1, control->y() - height - 1);
    }
    return at;
}

QPoint PlaceToolboxBesideWindow(const QWidget* window, const QWidget* toolbox) {
    const QRect screen = screenRect();
    const QRect frame = window->frameGeometry();
    const int w = toolbox->frameGeometry().width();
    const int h = toolbox->frameGeometry().height();
    QPoint at(frame.x() + frame.width() + 2, frame.y());
    if (at.x() + w > screen.right() + 1) {
        at = QPoint(frame.x(), frame.y() + frame.height() + 2);
        if (at.y() + h > screen.bottom() + 1) at = QPoint(frame.x(), frame.y() - h - 2);
    }
    if (at.x() < 0 || at.x() + w > screen.width()) at.setX(screen.width() - w);
    if (at.y() < 0 || at.y() + h > screen.height()) at.setY(screen.height() - h);
    return at;
}

void FloatExplorer(QDockWidget* explorer) {
    if (explorer->isFloating()) return;
    const QPoint screenPos = explorer->mapToGlobal(QPoint(0, 0));
    const QSize size = explorer->size();
    explorer->setFloating(true);
    explorer->move(screenPos);
    explorer->resize(size);
}

void DockExplorer(QDockWidget* explorer, QMainWindow* window, Qt::DockWidgetArea area) {
    if (!explorer->isFloating()) return;
    window->addDockWidget(area, explorer);
    explorer->setFloating(false);
}

bool LoadAppCursor(const QString& resourceName, int number) {
    const QPixmap picture(QStringLiteral(":/cursors/%1.png").arg(resourceName));
    if (picture.isNull()) {
        qCInfo(lcCore) << "no cursor picture" << resourceName;
        return false;
    }
    ui::RegisterCursor(number, QCursor(picture));
    return true;
}

int TextWidthInFont(const QWidget* form, const QString& text, const QFont& font) {
    (void)form;
    return QFontMetrics(font).horizontalAdvance(text);
}

}  // namespace core
