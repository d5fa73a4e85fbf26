#include "editor/gui/value_edit.h"

#include "platform/base/text_cut.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTextCursor>

namespace editor {

void LimitLength(QLineEdit* edit, int maxChars) {
    edit->setMaxLength(maxChars);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
        QString whole;
        whole.reserve(text.size());
        qsizetype cursor = edit->cursorPosition();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            const bool lone = (c.isHighSurrogate() && (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())) ||
                              (c.isLowSurrogate() && (i == 0 || !text.at(i - 1).isHighSurrogate()));
            if (lone) {
                if (i < cursor) --cursor;
                continue;
            }
            whole += c;
        }
        if (whole.size() == text.size()) return;
        edit->setText(whole);
        edit->setCursorPosition(static_cast<int>(cursor));
    });
}

ValueEdit::ValueEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { enforceLimit(); });
}

void ValueEdit::setText(const QString& text) {
    setPlainText(base::CutToLength(QString(text).replace(u'\r', u' ').replace(u'\n', u' '), m_maxLength));
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
    const int pos = qMin(c.position(), static_cast<int>(base::CutToLength(current, m_maxLength).size()));
    QSignalBlocker block(this);
    setPlainText(base::CutToLength(current, m_maxLength));
    c = textCursor();
    c.setPosition(pos);
    setTextCursor(c);
}

}  // namespace editor
