#include "core/gui/rich_note.h"

#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"

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

}  // namespace core
