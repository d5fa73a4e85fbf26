#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QRectF>

#include <memory>

class QPainter;
class QPaintDevice;
class QTextDocument;

namespace richtext {

/// How much of a document, from a given character on, fits into a rectangle.
struct FitResult {
    /// Position of the last character that fitted; the start position - 1 when not even
    /// the first line fitted. A paragraph mark belongs to the last line of its paragraph.
    int lastChar = -1;
    /// Device pixels taken by the lines that fitted, from the top of the first one.
    qreal height = 0;
    /// Everything from the start position to the end fitted. A single empty paragraph
    /// at the very end (a trailing line break) that does not fit counts as fitted.
    bool complete = false;
};

/// Lays out a rich-text document into rectangles on a paint device: measures the height
/// it needs at a width, finds how much of it fits into a rectangle (to split it across
/// pages) and draws it, or the part from a given character, into a rectangle.
///
/// The layout works on its own copy of the document, laid out at 1/96 inch per unit
/// against a fixed 96-dpi reference so that a document breaks into the same lines on
/// every device; sizes on a device follow from its logical resolution. Character
/// positions are the document's: every character and every paragraph mark count one;
/// textLength() leaves out the mark that ends the last paragraph. A range that starts
/// inside a line is laid out as if it began a paragraph there (without bullet or first-
/// line indent), as the rest of a paragraph that continues on a new page.
class RichTextLayout {
public:
    explicit RichTextLayout(const QTextDocument& doc);
    /// Reads the RTF (see ReadRtf).
    explicit RichTextLayout(QByteArrayView rtf);
    ~RichTextLayout();
    RichTextLayout(const RichTextLayout&) = delete;
    RichTextLayout& operator=(const RichTextLayout&) = delete;

    /// Characters and paragraph marks of the document, without the final mark.
    int textLength() const;

    /// Height in device pixels that the text from `from` on needs at `width` device pixels.
    /// An empty document needs one line.
    qreal measureHeight(qreal width, const QPaintDevice& device, int from = 0);

    /// How much of the text from `from` on fits into `rect` (device pixels), whole lines
    /// only. `from` is clamped to 0..textLength().
    FitResult fit(const QRectF& rect, const QPaintDevice& device, int from = 0);

    /// Draws the lines that fit (see fit) into `rect` on the painter's device and answers
    /// what fitted. Text without a colour of its own is black; no background is painted.
    FitResult draw(QPainter& painter, const QRectF& rect, int from = 0);

private:
    struct Span;
    Span span(qreal widthUnits, qreal heightUnits, int from);
    void prepare(QTextDocument& doc);

    QImage m_reference;  ///< the 96-dpi device the document is laid out against
    std::unique_ptr<QTextDocument> m_doc;
};

}  // namespace richtext
