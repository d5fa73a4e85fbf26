#include "testsupport/dialog_answerer.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>

namespace testsupport {

class DialogAnswerer::Service final : public ui::DialogService {
public:
    explicit Service(DialogAnswerer& owner) : m_owner(owner) {}
    ui::Button Message(const ui::MessageRequest& r) override { return m_owner.onMessage(r); }
    std::optional<QString> ChooseFileToOpen(const ui::FileRequest& r) override {
        return m_owner.onFile(Expected::Open, QStringLiteral("Open file"), r);
    }
    std::optional<QString> ChooseFileToSave(const ui::FileRequest& r) override {
        return m_owner.onFile(Expected::Save, QStringLiteral("Save file"), r);
    }
    std::optional<QString> ChooseFolder(const ui::FileRequest& r) override {
        return m_owner.onFile(Expected::Folder, QStringLiteral("Folder"), r);
    }
    int ExecModal(QObject& dialog) override { return m_owner.onModal(dialog); }

private:
    DialogAnswerer& m_owner;
};

DialogAnswerer::DialogAnswerer() { m_previous = ui::SetDialogService(std::make_unique<Service>(*this)); }

DialogAnswerer::~DialogAnswerer() {
    ui::SetDialogService(std::move(m_previous));
    for (const auto& e : m_queue) {
        const QString what = e.what == Expected::Message ? e.pattern.pattern()
                             : e.what == Expected::Modal ? QStringLiteral("modal ") + QLatin1String(e.typeName)
                                                         : QStringLiteral("file or folder choice");
        ADD_FAILURE() << "an expected prompt never came: " << what;
    }
}

DialogAnswerer& DialogAnswerer::ExpectMessage(const QString& pattern, ui::Button answer,
                                              std::optional<ui::MessageKind> kind) {
    Expectation e;
    e.what = Expected::Message;
    e.pattern = QRegularExpression(pattern);
    e.kind = kind;
    e.answer = answer;
    m_queue.push_back(std::move(e));
    return *this;
}

DialogAnswerer& DialogAnswerer::ExpectFileToOpen(std::optional<QString> answer) {
    m_queue.push_back(Expectation{Expected::Open, {}, {}, ui::Button::None, std::move(answer), nullptr, {}});
    return *this;
}

DialogAnswerer& DialogAnswerer::ExpectFileToSave(std::optional<QString> answer) {
    m_queue.push_back(Expectation{Expected::Save, {}, {}, ui::Button::None, std::move(answer), nullptr, {}});
    return *this;
}

DialogAnswerer& DialogAnswerer::ExpectFolder(std::optional<QString> answer) {
    m_queue.push_back(Expectation{Expected::Folder, {}, {}, ui::Button::None, std::move(answer), nullptr, {}});
    return *this;
}

ui::Button DialogAnswerer::onMessage(const ui::MessageRequest& request) {
    m_prompts << ui::KindName(request.kind) + QStringLiteral(": ") + request.text;
    m_messages.push_back(request);
    if (!m_queue.empty() && m_queue.front().what == Expected::Message) {
        Expectation e = m_queue.front();
        const bool textOk = e.pattern.match(request.text).hasMatch();
        const bool kindOk = !e.kind || *e.kind == request.kind;
        if (textOk && kindOk) {
            m_queue.pop_front();
            EXPECT_TRUE(request.buttons.testFlag(e.answer) || e.answer == ui::Button::None)
                << "answer " << ui::ButtonName(e.answer) << " is not offered by: " << request.text;
            return e.answer;
        }
    }
    ADD_FAILURE() << "unexpected message box (" << ui::KindName(request.kind) << "): " << request.text;
    if (request.buttons.testFlag(ui::Button::Cancel)) return ui::Button::Cancel;
    if (request.buttons.testFlag(ui::Button::No)) return ui::Button::No;
    return ui::Button::Ok;
}

std::optional<QString> DialogAnswerer::onFile(Expected what, const QString& label, const ui::FileRequest& request) {
    m_prompts << label + QStringLiteral(": ") + request.caption;
    if (!m_queue.empty() && m_queue.front().what == what) {
        auto answer = m_queue.front().file;
        m_queue.pop_front();
        return answer;
    }
    ADD_FAILURE() << "unexpected " << label << " prompt: " << request.caption;
    return std::nullopt;
}

int DialogAnswerer::onModal(QObject& dialog) {
    m_prompts << QStringLiteral("Modal: ") + QString::fromLatin1(dialog.metaObject()->className());
    auto* d = qobject_cast<QDialog*>(&dialog);
    if (!m_queue.empty() && m_queue.front().what == Expected::Modal) {
        Expectation e = m_queue.front();
        m_queue.pop_front();
        if (d) {
            d->setResult(0);
            d->show();
            QCoreApplication::processEvents();
        }
        if (!e.modal(dialog)) {
            ADD_FAILURE() << "a modal dialog of another type came: " << dialog.metaObject()->className()
                          << ", expected " << e.typeName;
            if (d) d->hide();
            return 0;
        }
        if (!d) return 0;
        const int result = d->result();
        d->hide();
        return result;
    }
    ADD_FAILURE() << "unexpected modal dialog: " << dialog.metaObject()->className();
    return 0;
}

}  // namespace testsupport
