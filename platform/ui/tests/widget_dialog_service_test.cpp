#include "platform/ui/gui/widget_dialog_service.h"
#include "platform/ui/gui/make.h"

#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

TEST(WidgetDialogService, shows_a_real_message_box_and_answers_the_clicked_button) {
    ui::WidgetDialogService service;
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Replace the file?");
        EXPECT_EQ(box->windowTitle(), "Save");
        box->button(QMessageBox::No)->click();
    });
    ui::MessageRequest r;
    r.text = QStringLiteral("Replace the file?");
    r.caption = QStringLiteral("Save");
    r.kind = ui::MessageKind::Confirmation;
    r.buttons = ui::Button::Yes | ui::Button::No;
    EXPECT_EQ(service.Message(r), ui::Button::No);
}

TEST(WidgetDialogService, runs_a_dialog_modally_and_answers_its_result) {
    ui::WidgetDialogService service;
    QDialog dialog;
    auto* ok = ui::Make<QPushButton>(&dialog, "OkBtn", QStringLiteral("OK"));
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    EXPECT_EQ(ok->objectName(), "OkBtn");
    EXPECT_EQ(ok->parent(), &dialog);
    QTimer::singleShot(0, [&] { testsupport::Click(&dialog, QStringLiteral("OkBtn")); });
    EXPECT_EQ(service.ExecModal(dialog), QDialog::Accepted);
}

}  // namespace
