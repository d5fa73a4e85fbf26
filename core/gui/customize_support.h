#pragma once

#include "core/view_def.h"

#include <QColor>
#include <QFont>
#include <QObject>

#include <functional>
#include <optional>

class QCloseEvent;
class QDialog;
class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
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

/// A number edit of a customize dialog: named `name`, at most `maxLength` characters,
/// digits only (AcceptDigitsOnly).
QLineEdit* MakeDigitsEdit(QWidget* parent, const char* name, int maxLength);
/// Lays out the four edits of a position and size in rows 0 and 1 of `grid`, each after its
/// caption: "Top" and "Left" above "Height" and "Width"; the captions are children of
/// `captionParent`.
void AddPositionEdits(QGridLayout* grid, QWidget* captionParent, QLineEdit* top, QLineEdit* left, QLineEdit* height,
                      QLineEdit* width);
/// The row of OK, Cancel and Help at the bottom right of a customize dialog.
QHBoxLayout* MakeButtonRow(QPushButton* ok, QPushButton* cancel, QPushButton* help);

/// Closing a customize dialog: when it was not accepted and holds unsaved changes
/// (`modified`), asks "Do you want to save your changes?" (Yes, No, Cancel; help context
/// 10024) and answers true. Yes runs `save` guarded and accepts the dialog when it answers
/// true; the close event is ignored either way. No runs `discard`, which settles the close
/// event itself. Cancel ignores the close event. Otherwise asks nothing and answers false:
/// the dialog closes as usual.
bool AskToSaveOnClose(QDialog* dialog, bool modified, QCloseEvent* event, const std::function<bool()>& save,
                      const std::function<void()>& discard);

}  // namespace core
