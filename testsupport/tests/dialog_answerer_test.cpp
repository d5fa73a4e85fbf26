#include "testsupport/dialog_answerer.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

TEST(DialogAnswerer, fails_the_test_on_a_prompt_nobody_expected_and_answers_cancel) {
    EXPECT_NONFATAL_FAILURE(
        {
            testsupport::DialogAnswerer answers;
            const auto answer = ui::Message(QStringLiteral("Surprise"), ui::MessageKind::Warning,
                                            ui::Button::Ok | ui::Button::Cancel);
            EXPECT_EQ(answer, ui::Button::Cancel);
        },
        "unexpected message box");
}

TEST(DialogAnswerer, fails_the_test_when_an_expected_prompt_never_came) {
    EXPECT_NONFATAL_FAILURE(
        {
            testsupport::DialogAnswerer answers;
            answers.ExpectMessage("never", ui::Button::Ok);
        },
        "never came");
}

TEST(DialogAnswerer, restores_the_previous_service_when_it_goes) {
    testsupport::DialogAnswerer outer;
    outer.ExpectMessage("outer", ui::Button::Ok);
    {
        testsupport::DialogAnswerer inner;
        inner.ExpectMessage("inner", ui::Button::Ok);
        ui::Message(QStringLiteral("inner"));
    }
    ui::Message(QStringLiteral("outer"));
    EXPECT_EQ(outer.Prompts(), QStringList({"Information: outer"}));
}

}  // namespace
