#pragma once

#include <QByteArrayView>
#include <QTextFormat>

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

/// Property of a QTextListFormat: the number of the list's first item, when it is not 1.
/// The reader sets it and the writer writes it; the document layout of Qt 6.4 does not
/// read it and numbers every list from 1.
inline constexpr int kListStartProperty = QTextFormat::UserProperty + 1;

/// True when `text` begins (after white space) with "{\rtf".
bool LooksLikeRtf(QByteArrayView text);

/// Replaces the content of `doc` with the rich text `text`.
///
/// Understood: the font table (family, kind, character set, code page), the colour table,
/// fonts, sizes, bold, italic, underline, strikeout, text and background colours,
/// paragraph alignment, indents, spacing before and after, tab stops, bullets and
/// numbering (the \pn form, and \ls with \ilvl through the list table and the list
/// override table: kind, text around the number, start value), paragraph and line breaks,
/// tabs, table cells (a tab each, a row ends the paragraph), field results, \'hh escapes
/// in the code page of the font or document, \uN with \ucN fallback skipping, \binN data.
/// Also: shading (\chcbpat, \chcfpat, \chshdng) as a background colour where no \cb or
/// \highlight is given, superscript and subscript (\super, \sub), raised and lowered
/// text (\up, \dn) as a baseline offset, all capitals and small capitals (\caps, \scaps).
/// Every other control word is ignored and every other destination skipped.
///
/// Left out of the document: hidden text (\v) and tracked deletions (\deleted), so the
/// document is what is shown with every change accepted; a hidden or deleted paragraph
/// mark joins its paragraph to the next. A list level that shows neither a number nor a
/// bullet (\levelnfc255 with no text) leaves its paragraphs out of any list. A field
/// whose result is empty or missing shows the text of a placeholder instruction
/// (MACROBUTTON or GOTOBUTTON, the text after the macro or bookmark name).
///
/// Character formats are set in full on every fragment; block formats carry margins in
/// layout units of 1/96 inch (1 unit = 15 twips). As in the rich-edit control, the
/// paragraph mark that ends the document does not start a new, empty paragraph.
RtfReadStatus ReadRtf(QByteArrayView text, QTextDocument& doc);

/// A new document holding `text` read with ReadRtf.
std::unique_ptr<QTextDocument> DocumentFromRtf(QByteArrayView text);

}  // namespace richtext
