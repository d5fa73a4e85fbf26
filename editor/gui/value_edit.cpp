#include "editor/gui/value_edit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

namespace editor {

ValueEdit::ValueEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { enforceLimit(); });
}

void ValueEdit::setText(const QString& text) {
    setPlainText(QString(text).replace(u'\r', u' ').replace(u'\n', u' ').left(m_maxLength));
}

void ValueEdit::SetMaxLength(int length) {
    m_maxLength = length;
    enforceLimit();
}

void ValueEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();  // the dialog's default button takes it
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ValueEdit::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText()) return;
    insertPlainText(source->text().replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\n', u' ').replace(u'\r', u' '));
}

void ValueEdit::enforceLimit() {
    const QString current = toPlainText();
    if (current.size() <= m_maxLength) return;
    QTextCursor c = textCursor();
    const int pos = qMin(c.position(), m_maxLength);
    QSignalBlocker block(this);
    setPlainText(current.left(m_maxLength));
    c = textCursor();
    c.setPosition(pos);
    setTextCursor(c);
}

}  // namespace editor
