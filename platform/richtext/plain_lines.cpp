#include "platform/richtext/plain_lines.h"

#include "platform/richtext/rtf_reader.h"

#include <QTextBlock>
#include <QTextDocument>

namespace richtext {

QStringList DocumentLines(const QTextDocument& doc) {
    QStringList lines;
    if (doc.isEmpty()) return lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QString text = b.text();
        text.remove(QChar::ObjectReplacementCharacter);
        lines += text.split(QChar::LineSeparator);
    }
    return lines;
}

QStringList RtfToPlainLines(QByteArrayView content) {
    if (content.isEmpty()) return {};
    QTextDocument doc;
    ReadRtf(content, doc);
    return DocumentLines(doc);
}

}  // namespace richtext
