#pragma once

#include <QByteArray>

class QTextDocument;

namespace richtext {

/// The document as RTF, in the form the rich-edit control writes:
///
///   {\rtf1\ansi\ansicpg1252\deff0{\fonttbl ...}{\colortbl ;...}\uc1
///   \pard<paragraph> <runs>\par
///   ...}
///
/// One \pard paragraph per block, each ended by \par; every run starts with \plain and
/// names its font, size, styles and colours. Text is ASCII, \'hh for the other
/// Windows-1252 characters and \uN? for everything else (one \uN per UTF-16 unit).
/// Bullets and numbering are written in the \pn form (kind, start, text before and after
/// the number) with a \pntext fallback, and each list also as a one-level list of a list
/// table, named by \ls in its paragraphs, so that lists stay apart and keep their numbering
/// through the paragraphs between their items. Superscript, subscript, baseline offsets
/// (\up, \dn), all and small capitals are written. Margins are converted from layout
/// units of 1/96 inch to twips. Embedded objects are left out; an object replacement
/// character in the text is written as text.
QByteArray WriteRtf(const QTextDocument& doc);

}  // namespace richtext
