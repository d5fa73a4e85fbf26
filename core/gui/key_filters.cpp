#include "core/gui/key_filters.h"

#include "core/globals.h"
#include "core/mask_helpers.h"

#include "platform/format/gui/masked_line_edit.h"
#include "platform/ui/help.h"

#include <QLineEdit>

namespace core {

namespace {

QChar refusedOr(QChar result) {
    if (result.isNull() && UserPrefs().BeepOnKeyError) ui::Beep();
    return result;
}

int caretOf(const QLineEdit* edit) { return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition(); }

}  // namespace

QChar FilterDigitKey(QChar key) { return refusedOr(DigitKeyRule(key)); }

QChar FilterNumberKey(QChar key, const QLineEdit* edit, bool integerOnly) {
    return refusedOr(NumberKeyRule(key, edit->text(), caretOf(edit), integerOnly));
}

QChar FilterMaskedNumberKey(QChar key, const QLineEdit* edit, bool integerOnly) {
    // The number area lies in the mask itself, the part before its ";" fields.
    const auto* masked = qobject_cast<const format::MaskedLineEdit*>(edit);
    const QString mask = masked ? masked->EditMaskText().section(u';', 0, 0) : edit->text();
    return refusedOr(MaskedNumberKeyRule(key, mask, edit->text(), caretOf(edit), integerOnly));
}

}  // namespace core
