#include "core/gui/customize_support.h"

#include "core/gui/key_filters.h"
#include "core/gui/view_windows.h"
#include "core/mask_helpers.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

namespace core {

ColorCode CodeOfColor(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

QFont FontOfField(const FieldFont& f) {
    QFont font(f.Name);
    font.setPointSize(std::max(1, f.Size));
    ApplyFontStyles(font, f.Style);
    return font;
}

FieldFont FieldFontOf(const QFont& font, ColorCode colour, const FieldFont& previous) {
    FieldFont f = previous;
    f.Name = font.family();
    f.Size = font.pointSize() > 0 ? font.pointSize() : previous.Size;
    f.Style = FontStylesOf(font);
    f.Color = colour;
    return f;
}

void PaintPanel(QWidget* panel, ColorCode background, const FieldFont& font) {
    QPalette p = panel->palette();
    const QColor bg = ViewColor(background, panel);
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button}) p.setColor(role, bg);
    const QColor fg = ViewColor(font.Color, panel);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) p.setColor(role, fg);
    panel->setPalette(p);
    panel->setAutoFillBackground(true);
    panel->setFont(FontOfField(font));
}

std::optional<ColorCode> ChooseColour(ColorCode code, QWidget* parent) {
    QColorDialog dialog(ViewColor(code, parent), parent);
    dialog.setObjectName(QStringLiteral("ColorDialog"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (ui::ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
    return CodeOfColor(dialog.currentColor());
}

std::optional<FieldFont> ChooseFont(const FieldFont& font, QWidget* parent) {
    QFontDialog dialog(FontOfField(font), parent);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (ui::ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
    return FieldFontOf(dialog.currentFont(), font.Color, font);
}

namespace {

class DigitFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1 && text[0].unicode() >= 32 && FilterDigitKey(text[0]).isNull()) return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

bool MaskValidForFieldType(const QString& mask, QChar type) {
    if (mask.trimmed().isEmpty() || (type != u'N' && type != u'F')) return true;
    bool point = false;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (type == u'F' && c == u'.') {
            if (point) return false;
            point = true;
            continue;
        }
        if (MaskedNumberKeyRule(c, mask, mask, i, type == u'N').isNull()) return false;
    }
    return true;
}

void AcceptDigitsOnly(QLineEdit* edit) { edit->installEventFilter(new DigitFilter(edit)); }

QLineEdit* MakeDigitsEdit(QWidget* parent, const char* name, int maxLength) {
    auto* edit = ui::Make<QLineEdit>(parent, name);
    edit->setMaxLength(maxLength);
    AcceptDigitsOnly(edit);
    return edit;
}

void AddPositionEdits(QGridLayout* grid, QWidget* captionParent, QLineEdit* top, QLineEdit* left, QLineEdit* height,
                      QLineEdit* width) {
    grid->addWidget(new QLabel(QStringLiteral("Top"), captionParent), 0, 0);
    grid->addWidget(top, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Left"), captionParent), 0, 2);
    grid->addWidget(left, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Height"), captionParent), 1, 0);
    grid->addWidget(height, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Width"), captionParent), 1, 2);
    grid->addWidget(width, 1, 3);
}

QHBoxLayout* MakeButtonRow(QPushButton* ok, QPushButton* cancel, QPushButton* help) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addWidget(help);
    return row;
}

bool AskToSaveOnClose(QDialog* dialog, bool modified, QCloseEvent* event, const std::function<bool()>& save,
                      const std::function<void()>& discard) {
    if (dialog->result() == QDialog::Accepted || !modified) return false;
    const ui::Button answer =
        ui::Message(QStringLiteral("Do you want to save your changes?"), ui::MessageKind::Confirmation,
                    ui::Button::Yes | ui::Button::No | ui::Button::Cancel, 10024);
    if (answer == ui::Button::No) {
        discard();
        return true;
    }
    event->ignore();
    if (answer != ui::Button::Yes) return true;
    bool saved = false;
    ui::RunGuarded(dialog, [&] { saved = save(); });
    if (saved) dialog->accept();
    return true;
}

}  // namespace core
