#pragma once

#include "platform/ui/dialog_service.h"

#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <typeinfo>

namespace testsupport {

/// Answers the program's modal prompts in tests. It holds a queue of expected prompts
/// (kind, a text matcher and the answer), records every prompt in order, and fails the test
/// on a prompt nobody expected (answering it with Cancel or No where offered) instead of
/// hanging. Installed as the dialog service for its lifetime; on destruction it fails the
/// test if an expected prompt never came.
class DialogAnswerer {
public:
    DialogAnswerer();
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    /// A message box whose text matches `pattern` (a regular expression searched in the
    /// text); `kind` nullopt accepts any kind.
    DialogAnswerer& ExpectMessage(const QString& pattern, ui::Button answer,
                                  std::optional<ui::MessageKind> kind = std::nullopt);
    DialogAnswerer& ExpectFileToOpen(std::optional<QString> answer);
    DialogAnswerer& ExpectFileToSave(std::optional<QString> answer);
    DialogAnswerer& ExpectFolder(std::optional<QString> answer);

    /// A modal dialog of type T: the dialog is shown, handed to `fill` to be driven by name
    /// (click OkBtn, type into fields...), and ExecModal answers the dialog's result code.
    template <typename T>
    DialogAnswerer& ExpectModal(std::function<void(T&)> fill) {
        Expectation e;
        e.what = Expected::Modal;
        e.typeName = typeid(T).name();
        e.modal = [fill = std::move(fill)](QObject& o) -> bool {
            auto* d = dynamic_cast<T*>(&o);
            if (!d) return false;
            fill(*d);
            return true;
        };
        m_queue.push_back(std::move(e));
        return *this;
    }

    /// Every prompt so far, in order, as "<Kind>: <text>" (message boxes), "Open file: <caption>",
    /// "Save file: <caption>", "Folder: <caption>" or "Modal: <class name>".
    const QStringList& Prompts() const { return m_prompts; }
    /// The full requests of the message boxes, in order.
    const std::vector<ui::MessageRequest>& Messages() const { return m_messages; }
    int Pending() const { return static_cast<int>(m_queue.size()); }

private:
    enum class Expected { Message, Open, Save, Folder, Modal };
    struct Expectation {
        Expected what;
        QRegularExpression pattern;
        std::optional<ui::MessageKind> kind;
        ui::Button answer = ui::Button::None;
        std::optional<QString> file;
        const char* typeName = nullptr;
        std::function<bool(QObject&)> modal;
    };
    class Service;
    friend class Service;

    ui::Button onMessage(const ui::MessageRequest& request);
    std::optional<QString> onFile(Expected what, const QString& label, const ui::FileRequest& request);
    int onModal(QObject& dialog);

    std::deque<Expectation> m_queue;
    QStringList m_prompts;
    std::vector<ui::MessageRequest> m_messages;
    std::unique_ptr<ui::DialogService> m_previous;
};

}  // namespace testsupport
