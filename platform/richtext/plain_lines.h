#pragma once

#include <QByteArrayView>
#include <QStringList>

class QTextDocument;

namespace richtext {

/// The lines of a document as the rich-edit control shows them without word wrap: one
/// per paragraph, and a line break (\line) inside a paragraph starts a new line too.
/// Tabs stay; embedded-object marks are left out. A document without text has no lines.
QStringList DocumentLines(const QTextDocument& doc);

/// The plain lines of a rich-text field's content: the content is read as RTF (or as plain
/// text when it is not RTF, see ReadRtf) and its lines taken as DocumentLines does.
QStringList RtfToPlainLines(QByteArrayView content);

}  // namespace richtext
