#include "editor/gui/edit_value.h"

#include "core/settings_store.h"
#include "editor/gui/value_edit.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
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
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(Title);
    frameLayout->addWidget(NewValue);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(OKBtn, QDialogButtonBox::AcceptRole);
    buttons->addButton(CancelBtn, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
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
