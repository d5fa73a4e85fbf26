#include "editor/gui/add_registry_value.h"

#include "core/settings_store.h"
#include "editor/gui/framed_dialog.h"
#include "editor/gui/value_edit.h"
#include "platform/ui/gui/make.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TAddRegistryValue::TAddRegistryValue(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AddRegistryValue"));
    setWindowTitle(QStringLiteral("Add Value"));

    auto* frame = ui::Make<QFrame>(this, "Frame");
    frame->setFrameShape(QFrame::StyledPanel);
    auto* heading = ui::Make<QLabel>(frame, "Label1", QStringLiteral("Add variable and value for Registry key:"));
    KeyLabel = ui::Make<QLabel>(frame, "KeyLabel");
    KeyLabel->setWordWrap(true);
    auto* variableLabel = ui::Make<QLabel>(frame, "Label2", QStringLiteral("Variable"));
    KeyKey3 = ui::Make<QLineEdit>(frame, "KeyKey3");
    editor::LimitLength(KeyKey3, core::kSettingsKeySize);
    auto* valueLabel = ui::Make<QLabel>(frame, "Label3", QStringLiteral("Value"));
    KeyValue = ui::Make<editor::ValueEdit>(frame, "KeyValue");
    KeyValue->SetMaxLength(core::kSettingsValueSize);
    KeyValue->setMinimumSize(480, 80);

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(heading);
    frameLayout->addWidget(KeyLabel);
    frameLayout->addWidget(variableLabel);
    frameLayout->addWidget(KeyKey3);
    frameLayout->addWidget(valueLabel);
    frameLayout->addWidget(KeyValue);
    const editor::OkCancelButtons buttons = editor::LayOutFramedDialog(this, frame);
    OKBtn = buttons.OK;
    CancelBtn = buttons.Cancel;
}

void TAddRegistryValue::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    KeyKey3->setFocus();
    KeyKey3->selectAll();
}
