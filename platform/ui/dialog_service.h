#pragma once

#include <QFlags>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace ui {

/// What kind of message box: it decides the icon and the default caption.
enum class MessageKind { Information, Warning, Error, Confirmation, Custom };

/// The buttons of a message box; the answer is one of them.
enum class Button {
    None = 0,
    Yes = 0x1,
    No = 0x2,
    Ok = 0x4,
    Cancel = 0x8,
    Abort = 0x10,
    Retry = 0x20,
    Ignore = 0x40,
    All = 0x80,
    NoToAll = 0x100,
    YesToAll = 0x200,
    Help = 0x400,
};
Q_DECLARE_FLAGS(Buttons, Button)
Q_DECLARE_OPERATORS_FOR_FLAGS(Buttons)

/// One message box as the code asks for it.
struct MessageRequest {
    QString text;
    QString caption;  ///< empty: the application title
    MessageKind kind = MessageKind::Information;
    Buttons buttons = Button::Ok;
    Button defaultButton = Button::None;  ///< None: the first of the buttons
    int helpContext = 0;
};

/// A file or folder choice as the code asks for it.
struct FileRequest {
    QString caption;
    QString folder;     ///< the folder to start in
    QString fileName;   ///< the proposed name
    QString filter;     ///< "Text files (*.txt);;All files (*)"
    QString defaultSuffix;
};

/// Everything modal goes through this service: the programs install the Widgets
/// implementation at start-up, tests install an answerer that records what was asked.
class DialogService {
public:
    virtual ~DialogService() = default;

    virtual Button Message(const MessageRequest& request) = 0;
    virtual std::optional<QString> ChooseFileToOpen(const FileRequest& request) = 0;
    virtual std::optional<QString> ChooseFileToSave(const FileRequest& request) = 0;
    virtual std::optional<QString> ChooseFolder(const FileRequest& request) = 0;
    /// Runs a dialog (a QDialog) modally and returns its result code (1 accepted, 0 rejected).
    virtual int ExecModal(QObject& dialog) = 0;
};

/// Installs the service for the whole program and returns the previous one.
std::unique_ptr<DialogService> SetDialogService(std::unique_ptr<DialogService> service);
/// The installed service. Without one every message answers its default button, every
/// file choice is cancelled and every modal dialog is rejected, and a warning is logged.
DialogService& Dialogs();

Button Message(const QString& text, MessageKind kind = MessageKind::Information,
               Buttons buttons = Button::Ok, int helpContext = 0, Button defaultButton = Button::None,
               const QString& caption = {});
/// Yes/No question; true for Yes.
bool Confirm(const QString& text, int helpContext = 0, const QString& caption = {});
void ShowError(const QString& text, int helpContext = 0, const QString& caption = {});
std::optional<QString> ChooseFileToOpen(const FileRequest& request);
std::optional<QString> ChooseFileToSave(const FileRequest& request);
std::optional<QString> ChooseFolder(const FileRequest& request);
int ExecModal(QObject& dialog);

QString ButtonName(Button button);
QString KindName(MessageKind kind);

}  // namespace ui
