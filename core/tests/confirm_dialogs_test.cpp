#include "core/gui/confirm_dialogs.h"

#include "core/confirmation.h"
#include "core/gui/list_helpers.h"
#include "core/settings_store.h"
#include "core/tests/settings_fixture.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

const QString kName = QStringLiteral("Explorer: Copy or Move Branch");

class ConfirmDialogs : public coretest::SettingsFixture {
protected:
    void SetUp() override {
        coretest::SettingsFixture::SetUp();
        core::InstallConfirmationDialogs();
    }
    void TearDown() override {
        core::SetConfirmationPresenter(nullptr);
        coretest::SettingsFixture::TearDown();
    }
    bool Switch(const QString& name) { return core::ReadRegBool("Preferences", "Messages", "Confirmation", name, true); }
    bool HasRow(const QString& name) { return table->FindKey({"Preferences", "Messages", "Confirmation", name}); }

    /// Answers one confirmation: ticks DontAsk when asked, then clicks the button.
    static std::function<void(TConfirmer&)> Answer(const char* button, bool tick) {
        return [button, tick](TConfirmer& d) {
            if (tick) testsupport::Click(&d, "DontAsk");
            testsupport::Click(&d, button);
        };
    }
};

TEST_F(ConfirmDialogs, the_confirmation_shows_its_texts_sizes_and_help_contexts) {
    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TConfirmer>([](TConfirmer& d) {
        EXPECT_EQ(d.windowTitle(), "Confirm Action");
        EXPECT_EQ(d.size(), QSize(418, 196));
        EXPECT_FALSE(d.windowFlags().testFlag(Qt::WindowSystemMenuHint));
        EXPECT_EQ(testsupport::FindControl<QPlainTextEdit>(&d, "MsgMemo")->toPlainText(), "Move the branch here?");
        EXPECT_TRUE(testsupport::FindControl<QPlainTextEdit>(&d, "MsgMemo")->isReadOnly());
        EXPECT_EQ(testsupport::FindControl<QLabel>(&d, "InfoLabel")->text(),
                  "Click the OK button if you want to complete this action, or click the Cancel button if you want "
                  "to cancel it.");
        EXPECT_EQ(testsupport::FindControl<QCheckBox>(&d, "DontAsk")->text(), "Don't ask me this again");
        struct Help {
            const char* control;
            int context;
        };
        static const Help helps[] = {{"HelpBtn", 51500}, {"OKBtn", 51501}, {"CancelBtn", 51502}, {"DontAsk", 51503}};
        for (const Help& h : helps) {
            SCOPED_TRACE(h.control);
            EXPECT_EQ(core::HelpContextOf(d.findChild<QWidget*>(h.control)), h.context);
        }
        testsupport::GrabToPng(&d, "confirmer");
        testsupport::Click(&d, "CancelBtn");
    });
    EXPECT_FALSE(core::ConfirmAction("Move the branch here?", kName, 51500));
}

TEST_F(ConfirmDialogs, ok_with_dont_ask_ticked_answers_true_and_silences_the_message) {
    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TConfirmer>(Answer("OKBtn", true));
    EXPECT_TRUE(core::ConfirmAction("Go?", kName, 51500));
    EXPECT_FALSE(Switch(kName));
    EXPECT_TRUE(core::ConfirmAction("Go?", kName, 51500));  // not shown again
    EXPECT_EQ(answers.Prompts().size(), 1);
}

TEST_F(ConfirmDialogs, cancel_with_dont_ask_ticked_answers_false_and_still_silences) {
    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TConfirmer>(Answer("CancelBtn", true));
    EXPECT_FALSE(core::ConfirmAction("Go?", kName, 51500));
    EXPECT_FALSE(Switch(kName));
    EXPECT_TRUE(core::ConfirmAction("Go?", kName, 51500));
    EXPECT_EQ(answers.Prompts().size(), 1);
}

TEST_F(ConfirmDialogs, a_message_never_stored_is_shown_and_its_row_written_after_every_showing) {
    EXPECT_FALSE(HasRow(kName));
    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TConfirmer>(Answer("OKBtn", false)).ExpectModal<TConfirmer>([](TConfirmer& d) { d.reject(); });
    EXPECT_TRUE(core::ConfirmAction("Go?", kName, 51500));
    EXPECT_TRUE(HasRow(kName));
    EXPECT_TRUE(Switch(kName));
    EXPECT_FALSE(core::ConfirmAction("Go?", kName, 51500));  // Escape answers false
    EXPECT_TRUE(Switch(kName));
}

TEST_F(ConfirmDialogs, ticking_the_message_again_in_the_preferences_list_brings_the_dialog_back) {
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<TConfirmer>(Answer("OKBtn", true));
        EXPECT_TRUE(core::ConfirmAction("Go?", kName, 51500));
    }
    core::WriteRegBool("Preferences", "Messages", "Confirmation", "Dates: Three Digit Year", true);
    QListWidget list;
    core::LoadRegCheckList("Preferences", "Messages", "Confirmation", &list);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(0)->text(), "Dates: Three Digit Year");
    EXPECT_EQ(list.item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list.item(1)->text(), kName);
    EXPECT_EQ(list.item(1)->checkState(), Qt::Unchecked);
    list.item(1)->setCheckState(Qt::Checked);
    core::SaveRegCheckList("Preferences", "Messages", "Confirmation", &list);

    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TConfirmer>(Answer("OKBtn", false));
    EXPECT_TRUE(core::ConfirmAction("Go?", kName, 51500));
    EXPECT_EQ(answers.Prompts().size(), 1);

    QListWidget empty;
    empty.addItem("stale");
    core::LoadRegCheckList("Preferences", "Messages", "Nothing", &empty);
    EXPECT_EQ(empty.count(), 0);
}

TEST_F(ConfirmDialogs, the_warning_has_its_own_texts_and_remembers_dont_show) {
    const QString name = QStringLiteral("Explorer: Title Too Long");
    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TWarner>([](TWarner& d) {
        EXPECT_EQ(d.windowTitle(), "Warning");
        EXPECT_EQ(d.size(), QSize(395, 177));
        EXPECT_EQ(testsupport::FindControl<QPlainTextEdit>(&d, "MsgMemo")->toPlainText(), "The title is too long.");
        EXPECT_EQ(testsupport::FindControl<QCheckBox>(&d, "DontAsk")->text(), "Don't show this warning again");
        EXPECT_TRUE(testsupport::FindControl<QPushButton>(&d, "OKBtn")->isDefault());
        EXPECT_EQ(d.findChild<QPushButton*>("CancelBtn"), nullptr);
        EXPECT_EQ(core::HelpContextOf(d.findChild<QWidget*>("HelpBtn")), 51520);
        EXPECT_EQ(core::HelpContextOf(d.findChild<QWidget*>("OKBtn")), 51521);
        EXPECT_EQ(core::HelpContextOf(d.findChild<QWidget*>("DontAsk")), 51522);
        testsupport::GrabToPng(&d, "warner");
        d.reject();  // Escape closes it like OK
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    core::ShowWarning("The title is too long.", name, 51520);
    EXPECT_TRUE(Switch(name));
    answers.ExpectModal<TWarner>([](TWarner& d) {
        testsupport::Click(&d, "DontAsk");
        testsupport::Click(&d, "OKBtn");
    });
    core::ShowWarning("The title is too long.", name, 51520);
    EXPECT_FALSE(Switch(name));
    core::ShowWarning("The title is too long.", name, 51520);
    EXPECT_EQ(answers.Prompts().size(), 2);
}

}  // namespace
