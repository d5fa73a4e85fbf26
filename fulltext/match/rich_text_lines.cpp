#include "fulltext/match/rich_text_lines.h"

#include "fulltext/errors.h"

#include "platform/db/field.h"
#include "platform/richtext/plain_lines.h"

void RichTextFieldToLines(const db::Field* field, QStringList* lines) {
    if (!field || !lines) throw ETessick(fulltext::msgInvalidParameter);
    const db::FieldType type = field->DataType();
    if (!db::IsTextType(type) && !db::IsBlobType(type)) throw ETessick(fulltext::msgInvalidParameter);
    lines->clear();
    if (field->IsNull()) return;
    *lines = richtext::RtfToPlainLines(field->AsBytes());
}
