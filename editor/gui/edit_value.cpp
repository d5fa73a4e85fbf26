#include "editor/gui/edit_value.h"

#include "core/settings_store.h"
#include "editor/gui/framed_dialog.h"
#include "editor/gui/value_edit.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

TEditValue::TEditValue(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EditValue"));
    setWindowTitle(QStringLiteral("Edit Value"));
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));

    auto* frame = ui::Make<QFrame>(this, "Frame");
    frame->setFrameShape(QFrame::StyledPanel);
    Title = ui::Make<QLabel>(frame, "Title");
    Title->setWordWrap(true);
    NewValue = ui::Make<editor::ValueEdit>(frame, "NewValue");
    NewValue->SetMaxLength(core::kSettingsValueSize);
    NewValue->setMinimumSize(520, 90);

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(Title);
    frameLayout->addWidget(NewValue);
    const editor::OkCancelButtons buttons = editor::LayOutFramedDialog(this, frame);
    OKBtn = buttons.OK;
    CancelBtn = buttons.Cancel;
}

void TEditValue::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    NewValue->setFocus();
    NewValue->selectAll();
}

bool ExecuteEditValue(TEditValue& dialog, const QString& Section, const QString& Key1, const QString& Key2,
                      const QString& Variable, QString& Value) {
    QString title = QStringLiteral("Enter new value for [") + Section + QStringLiteral(" | ") + Key1 +
                    QStringLiteral(" | ") + Key2;
    if (!Variable.isEmpty()) title += QStringLiteral(" | ") + Variable;
    title += QStringLiteral("]:");
    dialog.Title->setText(title);
    dialog.NewValue->setText(Value);
    if (ui::ExecModal(dialog) != QDialog::Accepted) return false;
    QString text = dialog.NewValue->text();
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32) ++begin;
    while (end > begin && text[end - 1].unicode() <= 32) --end;
    Value = text.mid(begin, end - begin);
    return true;
}
