#pragma once

#include "platform/ui/dialog_service.h"

namespace ui {

/// The real dialog service: QMessageBox, QFileDialog and QDialog::exec. The Help button of
/// a message box opens the help topic of its context and keeps the box open.
class WidgetDialogService final : public DialogService {
public:
    Button Message(const MessageRequest& request) override;
    std::optional<QString> ChooseFileToOpen(const FileRequest& request) override;
    std::optional<QString> ChooseFileToSave(const FileRequest& request) override;
    std::optional<QString> ChooseFolder(const FileRequest& request) override;
    int ExecModal(QObject& dialog) override;
};

/// Installs the Widgets side of the platform services: the dialog service, the beep and
/// the help page opener. Called by each program at start-up.
void InstallGuiServices();

}  // namespace ui
