#pragma once

#include "core/view_def.h"

#include <QColor>
#include <QString>

class QTextEdit;
class QWidget;

namespace core {

// The stored form of a View record's note (the "Note" column): rich text (RTF) as the
// rich-text layer writes it. A note stored as plain text (older records, imports) is read
// as plain text and saved as RTF on its first save.

/// Replaces the editor's content with the stored note; the document is left unmodified.
void LoadNoteText(QTextEdit* editor, const QString& stored);
/// The editor's note in its stored form: RTF, or the empty text for an empty editor.
QString NoteTextToStore(const QTextEdit* editor);

}  // namespace core
