#include "platform/format/gui/masked_line_edit.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/help.h"
#include "platform/ui/gui/make.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/qt_printers.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace format {
namespace {

// A window with two masked edits, shown and active so that focus changes are real.
class MaskedEdit : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetBeeper([this] { ++m_beeps; });
        m_window = std::make_unique<QWidget>();
        m_window->setObjectName(QStringLiteral("MaskWindow"));
        auto* layout = new QFormLayout(m_window.get());
        m_edit = ui::Make<MaskedLineEdit>(m_window.get(), "FE_00");
        m_other = ui::Make<MaskedLineEdit>(m_window.get(), "FE_01");
        layout->addRow(QStringLiteral("Edit"), m_edit);
        layout->addRow(QStringLiteral("Other"), m_other);
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }
    void TearDown() override { ui::SetBeeper({}); }

    void type(const QString& text) {
        m_edit->setFocus();
        QTest::keyClicks(m_edit, text);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(m_edit, k, modifiers); }
    void startAt(int position) {
        m_edit->setFocus();
        m_edit->deselect();
        m_edit->setCursorPosition(position);
    }

    int m_beeps = 0;
    std::unique_ptr<QWidget> m_window;
    MaskedLineEdit* m_edit = nullptr;
    MaskedLineEdit* m_other = nullptr;
};

TEST_F(MaskedEdit, typing_fills_input_positions_and_steps_over_literals) {
    m_edit->SetEditMask(QStringLiteral("99/99/9999;1; "));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("  /  /    "));
    EXPECT_EQ(m_edit->maxLength(), 10);
    startAt(0);
    type(QStringLiteral("05032024"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("05/03/2024"));
    EXPECT_EQ(m_edit->Text(), QStringLiteral("05/03/2024"));
    EXPECT_TRUE(m_edit->Modified());
    EXPECT_EQ(m_edit->cursorPosition(), 10);
    EXPECT_EQ(m_beeps, 0);

    // A separator typed early moves on to the next part.
    m_edit->SetText(QString());
    startAt(0);
    type(QStringLiteral("5/3/2024"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("5 /3 /2024"));
}

TEST_F(MaskedEdit, refuses_characters_the_position_does_not_allow_and_beeps) {
    m_edit->SetEditMask(QStringLiteral("000\\-0000;0;_"));
    startAt(0);
    type(QStringLiteral("12a"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("12_-____"));
    EXPECT_EQ(m_beeps, 1);
    type(QStringLiteral("34567"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("123-4567"));
    EXPECT_EQ(m_edit->Text(), QStringLiteral("1234567"));
    type(QStringLiteral("8"));  // no input position left
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("123-4567"));
    EXPECT_EQ(m_beeps, 2);
}

TEST_F(MaskedEdit, converts_case_as_the_mask_says) {
    m_edit->SetEditMask(QStringLiteral(">LL<ll<>LL;0;_"));
    startAt(0);
    type(QStringLiteral("abCDeF"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("ABcdeF"));
    EXPECT_EQ(m_edit->Text(), QStringLiteral("ABcdeF"));
}

TEST_F(MaskedEdit, backspace_delete_and_selection_blank_positions_without_moving_the_rest) {
    m_edit->SetEditMask(QStringLiteral("000\\-0000;1;_"));
    m_edit->SetText(QStringLiteral("123-4567"));
    startAt(5);
    key(Qt::Key_Backspace);
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("123-_567"));
    EXPECT_EQ(m_edit->cursorPosition(), 4);
    key(Qt::Key_Backspace);  // over the literal to the 3
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("12_-_567"));
    startAt(6);
    key(Qt::Key_Delete);
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("12_-_5_7"));
    m_edit->setSelection(0, 8);
    type(QStringLiteral("9"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("9__-____"));
    EXPECT_EQ(m_edit->Text(), QStringLiteral("9  -    "));
    EXPECT_EQ(m_edit->FirstInvalidPosition(), 1);
}

TEST_F(MaskedEdit, escape_resets_the_text_to_its_value_before_editing) {
    m_edit->SetEditMask(QStringLiteral("!\\(999\\)\\ 000\\-0000;0; "));
    m_edit->SetText(QStringLiteral("5551234567"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("(555) 123-4567"));
    EXPECT_FALSE(m_edit->Modified());
    startAt(1);
    type(QStringLiteral("9"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("(955) 123-4567"));
    EXPECT_TRUE(m_edit->Modified());
    key(Qt::Key_Escape);
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("(555) 123-4567"));
    EXPECT_FALSE(m_edit->Modified());
    m_edit->Reset();  // unmodified: nothing
    EXPECT_EQ(m_edit->Text(), QStringLiteral("5551234567"));
}

TEST_F(MaskedEdit, key_press_handler_sees_keys_first_and_may_refuse_or_replace_them) {
    QString seen;
    m_edit->OnKeyPress = [&](QChar& k) {
        seen += k.unicode() < 32 ? QStringLiteral("#%1").arg(k.unicode()) : QString(k);
        if (k == QLatin1Char('5')) k = QChar();
        if (k == QLatin1Char('x')) k = QLatin1Char('7');
    };
    m_edit->SetEditMask(QStringLiteral("9999;0;_"));
    startAt(0);
    type(QStringLiteral("15x"));
    key(Qt::Key_Return);
    key(Qt::Key_Backspace);
    EXPECT_EQ(seen, QStringLiteral("15x#13#8"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("1___"));

    // Without a mask a replaced key is inserted as replaced.
    m_edit->SetEditMask(QString());
    m_edit->SetText(QString());
    type(QStringLiteral("x5a"));
    EXPECT_EQ(m_edit->Text(), QStringLiteral("7a"));
}

TEST_F(MaskedEdit, leaving_an_edit_that_breaks_its_mask_reports_and_returns_the_focus) {
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage(QRegularExpression::escape(MaskedLineEdit::InvalidInputText()), ui::Button::Ok,
                          ui::MessageKind::Error);
    m_edit->SetEditMask(QStringLiteral("000;0;_"));
    startAt(0);
    type(QStringLiteral("1"));
    m_other->setFocus();
    EXPECT_EQ(m_beeps, 1);
    ASSERT_TRUE(testsupport::WaitFor([&] { return answers.Pending() == 0; }));
    EXPECT_TRUE(m_edit->hasFocus());
    EXPECT_EQ(m_edit->cursorPosition(), 1);

    // Unchanged text, or text that satisfies the mask, leaves quietly.
    m_edit->Reset();
    m_other->setFocus();
    m_edit->setFocus();
    type(QStringLiteral("23"));
    QTest::keyClicks(m_edit, QString());
    startAt(0);
    type(QStringLiteral("123"));
    m_other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(answers.Prompts().size(), 1);
}

TEST_F(MaskedEdit, another_window_taking_the_focus_does_not_validate) {
    testsupport::DialogAnswerer answers;  // any message would fail the test
    m_edit->SetEditMask(QStringLiteral("000;0;_"));
    startAt(0);
    type(QStringLiteral("1"));
    QWidget popup;
    popup.setObjectName(QStringLiteral("OtherWindow"));
    popup.show();
    popup.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&popup));
    QApplication::processEvents();
    EXPECT_EQ(m_beeps, 0);
    EXPECT_TRUE(answers.Prompts().isEmpty());
}

TEST_F(MaskedEdit, read_only_edit_takes_no_keys) {
    m_edit->SetEditMask(QStringLiteral("000;1;_"));
    m_edit->SetText(QStringLiteral("123"));
    m_edit->setReadOnly(true);
    startAt(1);
    key(Qt::Key_Backspace);
    key(Qt::Key_Delete);
    type(QStringLiteral("9"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("123"));
    EXPECT_FALSE(m_edit->Modified());
}

// What a View's field edit does: its own reaction to a broken mask instead of the message.
class RecordingEdit : public MaskedLineEdit {
public:
    using MaskedLineEdit::MaskedLineEdit;
    void ValidateError() override { ++errors; }
    int errors = 0;
};

TEST_F(MaskedEdit, a_derived_edit_replaces_the_reaction_to_a_broken_mask) {
    auto* edit = ui::Make<RecordingEdit>(m_window.get(), "FE_02");
    m_window->layout()->addWidget(edit);
    edit->show();
    edit->SetEditMask(QStringLiteral("LL;0;_"));
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("a"));
    m_other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->errors, 1);
    EXPECT_EQ(edit->Text(), QStringLiteral("a "));
}

TEST_F(MaskedEdit, text_set_directly_or_pasted_is_read_through_the_mask) {
    m_edit->SetEditMask(QStringLiteral("99/99/9999;1;_"));
    m_edit->setText(QStringLiteral("05032024"));  // not through SetText
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("05/03/2024"));
    m_edit->SetText(QString());
    QApplication::clipboard()->setText(QStringLiteral("0503x2024"));
    startAt(0);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("05/03/2024"));
    EXPECT_EQ(m_beeps, 1);  // the x was refused
    m_edit->setSelection(0, 2);
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("05"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("__/03/2024"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("05/03/2024"));
}

TEST_F(MaskedEdit, changing_the_mask_keeps_the_value) {
    m_edit->setMaxLength(50);
    m_edit->SetEditMask(QStringLiteral("000\\-0000;0;_"));
    EXPECT_EQ(m_edit->maxLength(), 8);
    m_edit->SetText(QStringLiteral("1234567"));
    m_edit->SetEditMask(QStringLiteral("000\\ 0000;0;_"));
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("123 4567"));
    m_edit->SetEditMask(QString());
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("1234567"));
    EXPECT_EQ(m_edit->maxLength(), 50);
    m_edit->SetEditMask(QStringLiteral("99\\"));  // damaged: read leniently
    EXPECT_EQ(m_edit->EditText(), QStringLiteral("12\\"));
}

TEST(MaskedEditPicture, shows_literals_and_blanks) {
    QWidget window;
    window.setObjectName(QStringLiteral("MaskPicture"));
    auto* layout = new QFormLayout(&window);
    const struct {
        const char* caption;
        const char* mask;
        const char* value;
    } rows[] = {
        {"Date (empty)", "99/99/9999;1; ", ""},
        {"Date", "99/99/9999;1; ", "05/03/2024"},
        {"Phone", "!\\(999\\)\\ 000\\-0000;0;_", "5551234"},
        {"Long Zip Code", "00000\\-9999;0;_", "12345"},
        {"Long Time", "!90:00:00\\ >LL;0;_", "93045pm"},
        {"Code", ">LL\\-000;0;_", "ab1"},
    };
    int i = 0;
    for (const auto& r : rows) {
        auto* edit = new MaskedLineEdit(&window);
        edit->setObjectName(QStringLiteral("FE_%1").arg(i++, 2, 10, QLatin1Char('0')));
        edit->SetEditMask(QString::fromUtf8(r.mask));
        edit->SetText(QString::fromUtf8(r.value));
        layout->addRow(QString::fromUtf8(r.caption), edit);
    }
    window.resize(320, 200);
    const QString path = testsupport::GrabToPng(&window, QStringLiteral("masked_line_edit"));
    EXPECT_FALSE(path.isEmpty());
    EXPECT_EQ(testsupport::FindControl<MaskedLineEdit>(&window, QStringLiteral("FE_02"))->EditText(),
              QStringLiteral("(___) 555-1234"));
}

}  // namespace
}  // namespace format
