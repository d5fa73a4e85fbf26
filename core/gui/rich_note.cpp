#include "core/gui/rich_note.h"

#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"

#include <QApplication>
#include <QPalette>
#include <QTextDocument>
#include <QTextEdit>

namespace core {

void LoadNoteText(QTextEdit* editor, const QString& stored) {
    const QByteArray bytes = stored.toUtf8();
    if (richtext::LooksLikeRtf(bytes)) {
        QTextDocument* doc = editor->document();
        richtext::ReadRtf(bytes, *doc);
    } else {
        editor->setPlainText(stored);
    }
    editor->document()->setModified(false);
}

QString NoteTextToStore(const QTextEdit* editor) {
    if (editor->document()->isEmpty()) return {};
    return QString::fromLatin1(richtext::WriteRtf(*editor->document()));
}

QColor NoteColor(ColorCode code, const QWidget* widget) {
    if (code >= 0) return QColor(code & 0xFF, (code >> 8) & 0xFF, (code >> 16) & 0xFF);
    const QPalette p = widget ? widget->palette() : QApplication::palette();
    switch (unsigned(code) & 0xFFu) {
    case 5:  // window background
        return p.color(QPalette::Base);
    case 8:  // window text
        return p.color(QPalette::Text);
    case 15:  // button face
        return p.color(QPalette::Button);
    default:
        return p.color(QPalette::Window);
    }
}

}  // namespace core
