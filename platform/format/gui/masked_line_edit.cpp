#include "platform/format/gui/masked_line_edit.h"

#include "platform/format/log.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/help.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

namespace format {

MaskedLineEdit::MaskedLineEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { keepShape(); });
}

void MaskedLineEdit::SetEditMask(const QString& maskText) {
    const QString value = Text();
    const bool wasMasked = IsMasked();
    if (!wasMasked) m_plainMaxLength = maxLength();
    m_maskText = maskText;
    auto parsed = EditMask::Parse(maskText);
    if (!parsed.ok()) {
        qCInfo(lcFormat) << "edit mask read leniently:" << parsed.error().text;
        m_mask = EditMask::ParseLenient(maskText);
    } else {
        m_mask = parsed.value();
    }
    if (IsMasked()) {
        setMaxLength(m_mask.Length());
    } else if (wasMasked) {
        setMaxLength(m_plainMaxLength);
    }
    SetText(value);
}

QString MaskedLineEdit::Text() const { return IsMasked() ? m_mask.ValueOf(text()) : text(); }

void MaskedLineEdit::SetText(const QString& value) {
    m_reshaping = true;
    setText(IsMasked() ? m_mask.FormatValue(value) : value);
    // Overwriting starts at the first input position, not after the last.
    if (IsMasked()) setCursorPosition(qMax(0, m_mask.NextInput(0)));
    m_reshaping = false;
    m_original = text();
}

void MaskedLineEdit::SetModified(bool modified) {
    setModified(modified);
    if (!modified) m_original = text();
}

void MaskedLineEdit::Reset() {
    if (!Modified()) return;
    m_reshaping = true;
    setText(m_original);
    m_reshaping = false;
    setModified(false);
}

int MaskedLineEdit::FirstInvalidPosition() const { return IsMasked() ? m_mask.FirstInvalidPosition(text()) : -1; }

void MaskedLineEdit::ValidateEdit() {
    if (IsMasked() && Modified() && FirstInvalidPosition() >= 0) ValidateError();
}

QString MaskedLineEdit::InvalidInputText() {
    return QStringLiteral("Invalid input value. Use the Escape key to abandon changes.");
}

void MaskedLineEdit::ValidateError() {
    ui::Beep();
    const int position = qMax(0, FirstInvalidPosition());
    QTimer::singleShot(0, this, [this, position] {
        ui::Message(InvalidInputText(), ui::MessageKind::Error);
        setFocus(Qt::OtherFocusReason);
        setCursorPosition(position);
    });
}

void MaskedLineEdit::focusInEvent(QFocusEvent* event) {
    if (!Modified()) m_original = text();
    QLineEdit::focusInEvent(event);
}

void MaskedLineEdit::focusOutEvent(QFocusEvent* event) {
    // Only leaving for another control counts: a message box or pop-up menu taking the
    // focus for a moment is not the user leaving the edit.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) ValidateEdit();
    QLineEdit::focusOutEvent(event);
}

bool MaskedLineEdit::hasMaskShape(const QString& t) const {
    if (t.size() != m_mask.Length()) return false;
    for (int i = 0; i < m_mask.Length(); ++i) {
        if (!m_mask.IsInputPosition(i) && t[i] != m_mask.Positions()[static_cast<size_t>(i)].literal) return false;
    }
    return true;
}

void MaskedLineEdit::keepShape() {
    if (m_reshaping || !IsMasked() || hasMaskShape(text())) return;
    // A change that did not come through the mask: read the text as a value.
    m_reshaping = true;
    const bool modified = isModified();
    const int cursor = cursorPosition();
    setText(m_mask.FormatValue(text()));
    setCursorPosition(qMin(cursor, m_mask.Length()));
    setModified(modified);
    m_reshaping = false;
}

void MaskedLineEdit::replaceRange(int start, const QString& replacement) {
    // Through the line edit's own editing, so that undo keeps working.
    m_reshaping = true;
    setSelection(start, static_cast<int>(replacement.size()));
    insert(replacement);
    m_reshaping = false;
    setModified(true);
}

void MaskedLineEdit::blankRange(int start, int end) {
    if (end <= start) return;
    QString part = text().mid(start, end - start);
    for (int i = 0; i < part.size(); ++i) {
        if (m_mask.IsInputPosition(start + i)) part[i] = m_mask.Blank();
    }
    replaceRange(start, part);
    setCursorPosition(start);
}

bool MaskedLineEdit::typeCharacter(QChar c) {
    int pos = cursorPosition();
    if (hasSelectedText()) {
        const int start = selectionStart();
        blankRange(start, start + static_cast<int>(selectedText().size()));
        pos = start;
    }
    // Typing the literal at the caret steps over it.
    for (int i = pos; i < m_mask.Length() && !m_mask.IsInputPosition(i); ++i) {
        if (m_mask.Positions()[static_cast<size_t>(i)].literal == c) {
            setCursorPosition(i + 1);
            return true;
        }
    }
    const int input = m_mask.NextInput(pos);
    const QChar converted = m_mask.Convert(input, c);
    if (input < 0 || !m_mask.Allows(input, converted)) {
        // A separator typed early moves on to the part after that literal ("5/" in a date).
        for (int i = pos; i < m_mask.Length(); ++i) {
            if (!m_mask.IsInputPosition(i) && m_mask.Positions()[static_cast<size_t>(i)].literal == c) {
                setCursorPosition(i + 1);
                return true;
            }
        }
        return false;
    }
    replaceRange(input, QString(converted));
    const int next = m_mask.NextInput(input + 1);
    setCursorPosition(next >= 0 ? next : input + 1);
    return true;
}

void MaskedLineEdit::pasteText(const QString& pasted) {
    bool refused = false;
    for (QChar c : pasted) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) break;
        if (!typeCharacter(c)) refused = true;
    }
    if (refused) ui::Beep();
}

void MaskedLineEdit::keyPressEvent(QKeyEvent* event) {
    QChar key;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: key = QLatin1Char('\r'); break;
    case Qt::Key_Escape: key = QChar(27); break;
    case Qt::Key_Backspace: key = QChar(8); break;
    default:
        if (!event->text().isEmpty() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            key = event->text()[0];
    }
    const QChar original = key;
    if (!key.isNull() && OnKeyPress) {
        OnKeyPress(key);
        if (key.isNull()) {
            event->accept();
            return;
        }
    }

    if (!IsMasked()) {
        if (key != original && key.unicode() >= 32) {
            insert(QString(key));
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }

    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (key == QChar(27)) {
        if (Modified()) {
            Reset();
            event->accept();
        } else {
            event->ignore();
        }
        return;
    }
    if (key == QChar(8) || event->matches(QKeySequence::DeleteStartOfWord)) {
        if (hasSelectedText()) {
            blankRange(selectionStart(), selectionStart() + static_cast<int>(selectedText().size()));
        } else {
            const int previous = m_mask.PreviousInput(cursorPosition());
            if (previous >= 0) {
                blankRange(previous, previous + 1);
            } else {
                ui::Beep();
            }
        }
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Delete) || event->matches(QKeySequence::DeleteEndOfWord)) {
        if (hasSelectedText()) {
            blankRange(selectionStart(), selectionStart() + static_cast<int>(selectedText().size()));
        } else {
            const int at = cursorPosition();
            blankRange(at, qMin(at + 1, m_mask.Length()));
        }
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine)) {
        const int from = event->matches(QKeySequence::DeleteCompleteLine) ? 0 : cursorPosition();
        blankRange(from, m_mask.Length());
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (hasSelectedText()) {
            QApplication::clipboard()->setText(selectedText());
            blankRange(selectionStart(), selectionStart() + static_cast<int>(selectedText().size()));
        }
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteText(QApplication::clipboard()->text());
        event->accept();
        return;
    }
    if (!key.isNull() && key.unicode() >= 32) {
        if (!typeCharacter(key)) ui::Beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace format
