#include "platform/ui/gui/widget_dialog_service.h"

#include "platform/ui/help.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace ui {

namespace {

struct ButtonMap {
    Button ours;
    QMessageBox::StandardButton qt;
};
constexpr ButtonMap kButtons[] = {
    {Button::Yes, QMessageBox::Yes},       {Button::No, QMessageBox::No},
    {Button::Ok, QMessageBox::Ok},         {Button::Cancel, QMessageBox::Cancel},
    {Button::Abort, QMessageBox::Abort},   {Button::Retry, QMessageBox::Retry},
    {Button::Ignore, QMessageBox::Ignore}, {Button::All, QMessageBox::YesToAll},
    {Button::NoToAll, QMessageBox::NoToAll}, {Button::YesToAll, QMessageBox::YesToAll},
    {Button::Help, QMessageBox::Help},
};

QMessageBox::Icon iconFor(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Confirmation: return QMessageBox::Question;
    case MessageKind::Custom: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QWidget* activeParent() { return QApplication::activeWindow(); }

}  // namespace

Button WidgetDialogService::Message(const MessageRequest& request) {
    QMessageBox box(activeParent());
    box.setIcon(iconFor(request.kind));
    box.setWindowTitle(request.caption.isEmpty() ? QApplication::applicationDisplayName() : request.caption);
    box.setText(request.text);
    QMessageBox::StandardButtons buttons;
    for (const auto& b : kButtons)
        if (request.buttons.testFlag(b.ours) && !(b.ours == Button::All && request.buttons.testFlag(Button::YesToAll)))
            buttons |= b.qt;
    if (request.helpContext > 0) buttons |= QMessageBox::Help;
    box.setStandardButtons(buttons);
    for (const auto& b : kButtons)
        if (b.ours == request.defaultButton) box.setDefaultButton(b.qt);
    if (request.helpContext > 0) {
        // Help shows the topic and leaves the question open.
        QPushButton* help = qobject_cast<QPushButton*>(box.button(QMessageBox::Help));
        if (help) {
            help->disconnect();
            QObject::connect(help, &QPushButton::clicked, &box,
                             [ctx = request.helpContext] { HelpService::ShowContext(ctx); });
        }
    }
    const int answer = box.exec();
    for (const auto& b : kButtons)
        if (answer == b.qt && request.buttons.testFlag(b.ours)) return b.ours;
    if (request.buttons.testFlag(Button::Cancel)) return Button::Cancel;
    if (request.buttons.testFlag(Button::No)) return Button::No;
    return Button::Ok;
}

std::optional<QString> WidgetDialogService::ChooseFileToOpen(const FileRequest& request) {
    QString start = request.folder;
    if (!request.fileName.isEmpty()) start = QDir(request.folder).filePath(request.fileName);
    const QString file = QFileDialog::getOpenFileName(activeParent(), request.caption, start, request.filter);
    if (file.isEmpty()) return std::nullopt;
    return file;
}

std::optional<QString> WidgetDialogService::ChooseFileToSave(const FileRequest& request) {
    QFileDialog dialog(activeParent(), request.caption, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> WidgetDialogService::ChooseFolder(const FileRequest& request) {
    const QString folder = QFileDialog::getExistingDirectory(activeParent(), request.caption, request.folder);
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

int WidgetDialogService::ExecModal(QObject& dialog) {
    auto* d = qobject_cast<QDialog*>(&dialog);
    if (!d) return 0;
    return d->exec();
}

void InstallGuiServices() {
    SetDialogService(std::make_unique<WidgetDialogService>());
    SetBeeper([] { QApplication::beep(); });
    HelpService::SetPageOpener([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
}

}  // namespace ui
