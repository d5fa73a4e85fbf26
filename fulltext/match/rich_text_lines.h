#pragma once

#include <QStringList>

namespace db {
class Field;
}

/// Replaces `lines` with the plain lines of the rich text held in `field` (one line per
/// paragraph or line break, no word wrap), as the engine indexes a formatted memo: typically
/// an OnProcessField handler calls this and then the engine's ParseLines(lines, true).
///
/// The field may be of a text kind (alpha, memo, formatted memo) or a BLOB kind; content that
/// is not rich text is taken as plain text, damaged rich text gives what could be read, and
/// a null field gives no lines. Raises ETessick 30480 "Invalid parameter" when the field or
/// the list is missing, or when the field's kind holds no text (numbers, dates, logicals).
void RichTextFieldToLines(const db::Field* field, QStringList* lines);
