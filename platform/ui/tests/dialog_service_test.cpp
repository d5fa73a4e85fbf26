#include "platform/ui/dialog_service.h"
#include "platform/ui/run_guarded.h"

#include "platform/base/exception.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QLoggingCategory>

#include <stdexcept>

namespace {

TEST(DialogService, messages_reach_the_installed_service_with_kind_buttons_and_help_context) {
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("Delete the key", ui::Button::No, ui::MessageKind::Confirmation);
    answers.ExpectMessage("Saved", ui::Button::Ok);
    EXPECT_FALSE(ui::Confirm(QStringLiteral("Delete the key?"), 10017));
    EXPECT_EQ(ui::Message(QStringLiteral("Saved.")), ui::Button::Ok);
    ASSERT_EQ(answers.Messages().size(), 2u);
    EXPECT_EQ(answers.Messages()[0].helpContext, 10017);
    EXPECT_EQ(answers.Messages()[0].buttons, ui::Button::Yes | ui::Button::No);
    EXPECT_EQ(answers.Prompts(), QStringList({"Confirm: Delete the key?", "Information: Saved."}));
}

TEST(DialogService, run_guarded_reports_exceptions_with_their_help_context_and_returns_false) {
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("^Table is busy$", ui::Button::Ok, ui::MessageKind::Error);
    answers.ExpectMessage("^plain failure$", ui::Button::Ok, ui::MessageKind::Error);
    EXPECT_FALSE(ui::RunGuarded(nullptr, [] { throw base::Exception(QStringLiteral("Table is busy"), 10100, 10243); }));
    EXPECT_FALSE(ui::RunGuarded(nullptr, [] { throw std::runtime_error("plain failure"); }));
    bool ran = false;
    EXPECT_TRUE(ui::RunGuarded(nullptr, [&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_EQ(answers.Messages()[0].helpContext, 10100);
}

namespace {
QStringList g_uiLog;
QtMessageHandler g_previous = nullptr;
void captureUiLog(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (context.category && QByteArray(context.category) == "dossara.ui") g_uiLog << text;
    if (g_previous) g_previous(type, context, text);
}
}  // namespace

TEST(DialogService, run_guarded_names_the_object_whose_handler_failed_in_the_log) {
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("^Table is busy$", ui::Button::Ok, ui::MessageKind::Error);
    answers.ExpectMessage("^unexpected$", ui::Button::Ok, ui::MessageKind::Error);
    QObject button;
    button.setObjectName(QStringLiteral("SaveBtn"));
    QLoggingCategory::setFilterRules(QStringLiteral("dossara.ui.info=true"));
    g_uiLog.clear();
    g_previous = qInstallMessageHandler(captureUiLog);
    ui::RunGuarded(&button, [] { throw base::Exception(QStringLiteral("Table is busy"), 10100, 10243); });
    ui::RunGuarded(nullptr, [] { throw std::runtime_error("unexpected"); });
    qInstallMessageHandler(g_previous);
    QLoggingCategory::setFilterRules(QString());
    EXPECT_EQ(g_uiLog, QStringList({"an event handler of QObject SaveBtn failed: Table is busy",
                                    "an event handler of no object failed: unexpected"}));
}

TEST(DialogService, file_choices_answer_what_the_test_queued) {
    testsupport::DialogAnswerer answers;
    answers.ExpectFileToOpen(QStringLiteral("/tmp/a.db")).ExpectFileToSave(std::nullopt).ExpectFolder(QStringLiteral("/tmp"));
    EXPECT_EQ(ui::ChooseFileToOpen({QStringLiteral("Open"), {}, {}, {}, {}}), QStringLiteral("/tmp/a.db"));
    EXPECT_EQ(ui::ChooseFileToSave({QStringLiteral("Save"), {}, {}, {}, {}}), std::nullopt);
    EXPECT_EQ(ui::ChooseFolder({QStringLiteral("Pick"), {}, {}, {}, {}}), QStringLiteral("/tmp"));
}

}  // namespace
