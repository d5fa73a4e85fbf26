#include "platform/ui/window_message.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include <vector>

namespace {

class Receiver : public QObject {
public:
    std::vector<int> seen;
    bool event(QEvent* e) override {
        if (auto* m = ui::AsWindowMessage(e)) {
            seen.push_back(m->Msg);
            m->Result = m->WParam + m->LParam;
            return true;
        }
        return QObject::event(e);
    }
};

class Poster : public QObject {
public:
    Receiver* target = nullptr;
    std::vector<int>* log = nullptr;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            ui::PostMessage(target, ui::kWmUser + 101);
            log->push_back(-1);  // the posting handler finishes first
            return true;
        }
        return QObject::event(e);
    }
};

TEST(WindowMessages, a_posted_message_arrives_after_the_posting_handler_returns) {
    Receiver receiver;
    Poster poster;
    poster.target = &receiver;
    poster.log = &receiver.seen;
    QEvent trigger(QEvent::User);
    QCoreApplication::sendEvent(&poster, &trigger);
    EXPECT_EQ(receiver.seen, std::vector<int>({-1}));
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.seen, std::vector<int>({-1, ui::kWmUser + 101}));
}

TEST(WindowMessages, a_sent_message_is_handled_before_the_call_returns_with_its_result) {
    Receiver receiver;
    EXPECT_EQ(ui::SendMessage(&receiver, ui::kWmUser + 130, 5050, 7), 5057);
    EXPECT_EQ(receiver.seen, std::vector<int>({ui::kWmUser + 130}));
    EXPECT_EQ(ui::SendMessage(nullptr, ui::kWmUser), 0);
}

TEST(WindowMessages, messages_to_a_deleted_receiver_are_dropped) {
    auto* receiver = new Receiver;
    ui::PostMessage(receiver, ui::kWmUser + 199);
    delete receiver;
    QCoreApplication::processEvents();
    SUCCEED();
}

}  // namespace
