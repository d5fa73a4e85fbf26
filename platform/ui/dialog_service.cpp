#include "platform/ui/dialog_service.h"

#include "platform/base/log.h"

namespace ui {

namespace {

class NullDialogService final : public DialogService {
public:
    Button Message(const MessageRequest& request) override {
        qCWarning(lcBase) << "message without a dialog service:" << request.text;
        if (request.defaultButton != Button::None) return request.defaultButton;
        for (int bit = 1; bit <= int(Button::Help); bit <<= 1)
            if (request.buttons.testFlag(Button(bit))) return Button(bit);
        return Button::Ok;
    }
    std::optional<QString> ChooseFileToOpen(const FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFileToSave(const FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(const FileRequest&) override { return std::nullopt; }
    int ExecModal(QObject&) override { return 0; }
};

std::unique_ptr<DialogService>& installed() {
    static std::unique_ptr<DialogService> service = std::make_unique<NullDialogService>();
    return service;
}

}  // namespace

std::unique_ptr<DialogService> SetDialogService(std::unique_ptr<DialogService> service) {
    if (!service) service = std::make_unique<NullDialogService>();
    std::swap(service, installed());
    return service;
}

DialogService& Dialogs() { return *installed(); }

Button Message(const QString& text, MessageKind kind, Buttons buttons, int helpContext, Button defaultButton,
               const QString& caption) {
    MessageRequest request;
    request.text = text;
    request.caption = caption;
    request.kind = kind;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    request.helpContext = helpContext;
    return Dialogs().Message(request);
}

bool Confirm(const QString& text, int helpContext, const QString& caption) {
    return Message(text, MessageKind::Confirmation, Button::Yes | Button::No, helpContext, Button::None, caption) ==
           Button::Yes;
}

void ShowError(const QString& text, int helpContext, const QString& caption) {
    Message(text, MessageKind::Error, Button::Ok, helpContext, Button::None, caption);
}

std::optional<QString> ChooseFileToOpen(const FileRequest& request) { return Dialogs().ChooseFileToOpen(request); }
std::optional<QString> ChooseFileToSave(const FileRequest& request) { return Dialogs().ChooseFileToSave(request); }
std::optional<QString> ChooseFolder(const FileRequest& request) { return Dialogs().ChooseFolder(request); }
int ExecModal(QObject& dialog) { return Dialogs().ExecModal(dialog); }

QString ButtonName(Button button) {
    switch (button) {
    case Button::None: return QStringLiteral("None");
    case Button::Yes: return QStringLiteral("Yes");
    case Button::No: return QStringLiteral("No");
    case Button::Ok: return QStringLiteral("OK");
    case Button::Cancel: return QStringLiteral("Cancel");
    case Button::Abort: return QStringLiteral("Abort");
    case Button::Retry: return QStringLiteral("Retry");
    case Button::Ignore: return QStringLiteral("Ignore");
    case Button::All: return QStringLiteral("All");
    case Button::NoToAll: return QStringLiteral("No to All");
    case Button::YesToAll: return QStringLiteral("Yes to All");
    case Button::Help: return QStringLiteral("Help");
    }
    return {};
}

QString KindName(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information: return QStringLiteral("Information");
    case MessageKind::Warning: return QStringLiteral("Warning");
    case MessageKind::Error: return QStringLiteral("Error");
    case MessageKind::Confirmation: return QStringLiteral("Confirm");
    case MessageKind::Custom: return QStringLiteral("Message");
    }
    return {};
}

}  // namespace ui
