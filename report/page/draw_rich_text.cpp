#include "report/page/draw_rich_text.h"

#include "report/page/enum_type.h"
#include "report/page/rtf_engine.h"

#include "platform/paint/color.h"
#include "platform/richtext/rich_text_layout.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/stream/property_table.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QTextDocument>
#include <QtEndian>

#include <algorithm>

TppDrawRichText::TppDrawRichText(TComponent* AOwner) : TppDrawCommand(AOwner) { SetDataType(TppDataType::dtBLOB); }

void TppDrawRichText::Render(QPainter& aPainter, const QRectF& aRect) const {
    if (!m_transparent) aPainter.fillRect(aRect, paint::ToQColor(m_color));
    std::unique_ptr<QTextDocument> doc = richtext::DocumentFromRtf(m_rtf);
    // Cut the copy after the range, so a device that rounds its rectangle a little larger
    // cannot show the first line of the next page's part.
    if (m_endCharPos >= 0) {
        QTextCursor cursor(doc.get());
        const int length = doc->characterCount() - 1;
        if (m_endCharPos + 1 < length) {
            cursor.setPosition(m_endCharPos + 1);
            cursor.setPosition(length, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        }
    }
    // Cut it before the range as well: a device draws whole paragraphs and clips them, and
    // the clipped lines of the page before would still be in a PDF's text.
    if (m_startCharPos > 0 && m_startCharPos < doc->characterCount() - 1) {
        QTextCursor cursor(doc.get());
        const QTextBlock block = doc->findBlock(m_startCharPos);
        QTextBlockFormat format = block.blockFormat();
        cursor.setPosition(m_startCharPos, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        if (block.position() != m_startCharPos) {
            // The rest of a paragraph goes on as a paragraph without bullet or first-line indent.
            format.clearProperty(QTextFormat::ObjectIndex);
            format.setTextIndent(0);
            cursor.setBlockFormat(format);
            if (QTextList* list = cursor.currentList()) list->remove(cursor.block());
        }
    }
    TppRichEdit edit;
    edit.LoadFromDocument(*doc);
    // The range was measured to fit its rectangle. A device rectangle rounded a little smaller
    // must not lose its last line: the copy ends with the range, so the room below is free,
    // and the right edge of a device rectangle is its last pixel, not the one after it.
    QRectF room = aRect.adjusted(0, 0, 1, 0);
    room.setHeight(aRect.height() * 2 + 16);
    RenderRange(ppGetRTFEngine(&edit), aPainter, {0, -1}, room);
}

void TppDrawRichText::Assign(TPersistent* Source) {
    TppDrawCommand::Assign(Source);
    if (auto* s = qobject_cast<TppDrawRichText*>(Source)) {
        m_color = s->m_color;
        m_endCharPos = s->m_endCharPos;
        m_startCharPos = s->m_startCharPos;
        m_transparent = s->m_transparent;
        m_rtf = s->m_rtf;
    }
}

const stream::PropertyList& TppDrawRichText::StreamProperties() const {
    using T = TppDrawRichText;
    static const auto table = stream::PropertyTable<T>(TppDrawCommand::StreamProperties())
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .Enum("DataType", &T::DataType, &T::SetDataType, EnumTypeOf(TppDataType{}).values, TppDataType::dtBLOB)
        .Integer("EndCharPos", &T::EndCharPos, &T::SetEndCharPos, -1)
        .Integer("StartCharPos", &T::StartCharPos, &T::SetStartCharPos, -1)
        .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false);
    return table;
}

void TppDrawRichText::DefineProperties(stream::Filer& filer) {
    filer.DefineBinaryProperty(
        QStringLiteral("RTFStream"),
        [this](const QByteArray& bytes) {
            if (bytes.size() < 4) return;
            const quint32 count = qFromLittleEndian<quint32>(bytes.constData());
            const qsizetype available = bytes.size() - 4;
            m_rtf.append(bytes.constData() + 4, qsizetype(std::min<quint64>(count, quint64(available))));
        },
        [this] {
            QByteArray out(4, '\0');
            qToLittleEndian<quint32>(quint32(m_rtf.size()), out.data());
            return out + m_rtf;
        },
        true);
}
