#pragma once

#include "core/view_def.h"

#include <QColor>
#include <QFont>
#include <QObject>

#include <optional>

class QLineEdit;
class QWidget;

namespace core {

// Small pieces the customize dialogs share: colour codes and field fonts as Qt values,
// the colour and font choosers (colour codes become colours through ViewColor), and the digits-only key filter of their number edits.

/// An RGB colour code of a colour.
ColorCode CodeOfColor(const QColor& colour);
QFont FontOfField(const FieldFont& font);
/// The field font of `font` in colour `colour` (name, size in points, styles; charset kept
/// from `previous`).
FieldFont FieldFontOf(const QFont& font, ColorCode colour, const FieldFont& previous);
/// Paints a panel (background and text colour).
void PaintPanel(QWidget* panel, ColorCode background, const FieldFont& font);

/// The colour dialog starting from `code`: the chosen colour, nullopt when cancelled.
std::optional<ColorCode> ChooseColour(ColorCode code, QWidget* parent);
/// The font dialog starting from `font`: the chosen font, nullopt when cancelled.
std::optional<FieldFont> ChooseFont(const FieldFont& font, QWidget* parent);

/// The mask check of Number and Floating Point fields: each character of the mask must be
/// one the mask edit's number filter accepts with the caret before it (Floating Point: the
/// first "." passes, a second fails; Number: no "."). Other types and an empty mask pass.
bool MaskValidForFieldType(const QString& mask, QChar type);

/// Lets only control keys and digits through to the edit (others refused with the key-error
/// beep, FilterDigitKey).
void AcceptDigitsOnly(QLineEdit* edit);

}  // namespace core
