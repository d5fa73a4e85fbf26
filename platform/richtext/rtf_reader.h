#pragma once

#include <QByteArrayView>

#include <memory>

class QTextDocument;

namespace richtext {

/// What reading a text as rich text found. Reading never fails: damaged input gives the
/// document that could be made of it.
struct RtfReadStatus {
    /// The text began with "{\rtf" and was read as RTF; otherwise it was read as plain
    /// text (UTF-8 when it is valid UTF-8, else Windows-1252), one paragraph per line.
    bool rtf = false;
    /// The RTF was damaged: groups left open at the end, groups nested deeper than the
    /// reader follows, or truncated escapes. What could be read is in the document.
    bool damaged = false;
};

/// Groups nested deeper than this are skipped whole (their braces still counted), so that
/// no input can exhaust memory through nesting.
inline constexpr int kMaxRtfGroupDepth = 128;

/// True when `text` begins (after white space) with "{\rtf".
bool LooksLikeRtf(QByteArrayView text);

/// Replaces the content of `doc` with the rich text `text`.
///
/// Understood: the font table (family, kind, character set, code page), the colour table,
/// fonts, sizes, bold, italic, underline, strikeout, text and background colours,
/// paragraph alignment, indents, spacing before and after, tab stops, bullets and
/// numbering (the \pn form; \ls lists become bullets), paragraph and line breaks, tabs,
/// table cells (a tab each, a row ends the paragraph), field results, \'hh escapes in the
/// code page of the font or document, \uN with \ucN fallback skipping, \binN data.
/// Every other control word is ignored and every other destination skipped.
///
/// Character formats are set in full on every fragment; block formats carry margins in
/// layout units of 1/96 inch (1 unit = 15 twips). As in the rich-edit control, the
/// paragraph mark that ends the document does not start a new, empty paragraph.
RtfReadStatus ReadRtf(QByteArrayView text, QTextDocument& doc);

/// A new document holding `text` read with ReadRtf.
std::unique_ptr<QTextDocument> DocumentFromRtf(QByteArrayView text);

}  // namespace richtext
