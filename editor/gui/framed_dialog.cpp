#include "editor/gui/framed_dialog.h"

#include "platform/ui/gui/make.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

namespace editor {

OkCancelButtons LayOutFramedDialog(QDialog* dialog, QFrame* frame) {
    OkCancelButtons b;
    b.OK = ui::Make<QPushButton>(dialog, "OKBtn", QStringLiteral("OK"));
    b.OK->setDefault(true);
    b.Cancel = ui::Make<QPushButton>(dialog, "CancelBtn", QStringLiteral("Cancel"));
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(b.OK, QDialogButtonBox::AcceptRole);
    buttons->addButton(b.Cancel, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(frame);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return b;
}

}  // namespace editor
