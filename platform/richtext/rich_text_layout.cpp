#include "platform/richtext/rich_text_layout.h"

#include "platform/richtext/rtf_reader.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <limits>

namespace richtext {

namespace {

/// Layout units per inch.
constexpr qreal kUnitsPerInch = 96.0;
/// Dots per metre of the reference device: 96 dpi.
constexpr int kReferenceDotsPerMetre = 3780;
/// Rounding slack when comparing a line's bottom with the space offered.
constexpr qreal kSlack = 0.01;

qreal scaleX(const QPaintDevice& device) { return device.logicalDpiX() / kUnitsPerInch; }
qreal scaleY(const QPaintDevice& device) { return device.logicalDpiY() / kUnitsPerInch; }

}  // namespace

/// A laid-out range: what fitted, where its first line starts, and the document it was
/// laid out in (the layout's own, or a copy that starts at the range when the range
/// starts inside a line).
struct RichTextLayout::Span {
    FitResult result;   ///< in layout units
    qreal top = 0;      ///< top of the first line in `doc`
    qreal width = 0;
    QTextDocument* doc = nullptr;
    std::unique_ptr<QTextDocument> tail;
};

RichTextLayout::RichTextLayout(const QTextDocument& doc)
    : m_reference(1, 1, QImage::Format_ARGB32_Premultiplied), m_doc(doc.clone()) {
    m_doc->setDefaultFont(doc.defaultFont());
    m_doc->setIndentWidth(doc.indentWidth());
    prepare(*m_doc);
}

RichTextLayout::RichTextLayout(QByteArrayView rtf)
    : m_reference(1, 1, QImage::Format_ARGB32_Premultiplied), m_doc(std::make_unique<QTextDocument>()) {
    ReadRtf(rtf, *m_doc);
    prepare(*m_doc);
}

RichTextLayout::~RichTextLayout() = default;

void RichTextLayout::prepare(QTextDocument& doc) {
    m_reference.setDotsPerMeterX(kReferenceDotsPerMetre);
    m_reference.setDotsPerMeterY(kReferenceDotsPerMetre);
    doc.setUndoRedoEnabled(false);
    doc.setDocumentMargin(0);
    doc.documentLayout()->setPaintDevice(&m_reference);
}

int RichTextLayout::textLength() const { return std::max(0, m_doc->characterCount() - 1); }

RichTextLayout::Span RichTextLayout::span(qreal widthUnits, qreal heightUnits, int from) {
    Span s;
    s.width = std::max<qreal>(1, widthUnits);
    const int length = textLength();
    from = std::clamp(from, 0, length);
    s.doc = m_doc.get();
    if (from >= length && length > 0) {  // nothing left
        s.result.lastChar = length - 1;
        s.result.complete = true;
        return s;
    }
    // Setting the width lays the whole document out again, even at the width it has: only
    // a new width does, so the pages of a long text are measured against one layout.
    if (s.doc->textWidth() != s.width) s.doc->setTextWidth(s.width);
    (void)s.doc->size();  // lays the whole document out (once per width)

    int offset = 0;
    if (from > 0) {
        const QTextBlock b = s.doc->findBlock(from);
        const QTextLine line = b.layout()->lineForTextPosition(from - b.position());
        if (line.isValid() && line.textStart() != from - b.position()) {
            // Starts inside a line: lay out a copy without the text before it.
            QTextBlockFormat bf = b.blockFormat();
            bf.clearProperty(QTextFormat::ObjectIndex);
            bf.setTextIndent(0);
            s.tail.reset(m_doc->clone());
            prepare(*s.tail);
            QTextCursor c(s.tail.get());
            c.setPosition(from, QTextCursor::KeepAnchor);
            c.removeSelectedText();
            c.setBlockFormat(bf);
            s.doc = s.tail.get();
            s.doc->setTextWidth(s.width);
            (void)s.doc->size();
            offset = from;
        }
    }
    const int start = from - offset;
    const int docLength = std::max(0, s.doc->characterCount() - 1);

    s.result.lastChar = from - 1;
    bool started = false;
    bool overflow = false;
    for (QTextBlock b = s.doc->findBlock(start); b.isValid() && !overflow; b = b.next()) {
        const QTextLayout* tl = b.layout();
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            const int lineStart = b.position() + line.textStart();
            if (lineStart < start) continue;
            const qreal top = tl->position().y() + line.y();
            if (!started) {
                s.top = top;
                started = true;
            }
            const qreal bottom = top + line.height() - s.top;
            if (bottom > heightUnits + kSlack) {
                overflow = true;
                // Only the empty paragraph that ends the document is left over.
                if (!b.next().isValid() && b.length() == 1) {
                    s.result.complete = true;
                    s.result.lastChar = std::max(s.result.lastChar, docLength - 1 + offset);
                }
                break;
            }
            s.result.height = bottom;
            const bool lastLine = i == tl->lineCount() - 1;
            const int lastPos = lastLine ? b.position() + b.length() - 1 : lineStart + line.textLength() - 1;
            s.result.lastChar = std::min(lastPos, docLength - 1) + offset;
        }
    }
    if (!overflow) s.result.complete = true;
    return s;
}

qreal RichTextLayout::measureHeight(qreal width, const QPaintDevice& device, int from) {
    const Span s = span(width / scaleX(device), std::numeric_limits<qreal>::max(), from);
    return s.result.height * scaleY(device);
}

FitResult RichTextLayout::fit(const QRectF& rect, const QPaintDevice& device, int from) {
    FitResult r = span(rect.width() / scaleX(device), rect.height() / scaleY(device), from).result;
    r.height *= scaleY(device);
    return r;
}

FitResult RichTextLayout::draw(QPainter& painter, const QRectF& rect, int from) {
    const QPaintDevice& device = *painter.device();
    const qreal sx = scaleX(device);
    const qreal sy = scaleY(device);
    Span s = span(rect.width() / sx, rect.height() / sy, from);
    if (s.result.height > 0) {
        const QRectF clip(0, s.top, s.width, s.result.height);
        painter.save();
        painter.translate(rect.topLeft());
        painter.scale(sx, sy);
        painter.translate(0, -s.top);
        painter.setClipRect(clip, Qt::IntersectClip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        s.doc->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    FitResult r = s.result;
    r.height *= sy;
    return r;
}

}  // namespace richtext
