// The code editor on its own: colouring by token kind after the recolour timer, the protected
// heading, auto-indent, dropped code with its indentation, and the message list.

#include "script_gui_fixture.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>

using namespace scriptguitest;

namespace {

int positionOf(TraEdit& e, const QString& text) { return int(e.toPlainText().indexOf(text)); }

void sendKey(QWidget* w, Qt::Key key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

}  // namespace

TEST_F(ScriptGuiTest, the_editor_colours_tokens_by_kind_within_the_timer) {
    TraEdit e;
    e.resize(500, 300);
    e.show();
    e.setPlainText(QStringLiteral("begin { a note }\n  S := 'text'; X: string; Y: Integer;\nend;"));
    EXPECT_TRUE(e.RecolourTimer()->isActive());
    EXPECT_EQ(e.RecolourTimer()->interval(), 200);
    ASSERT_TRUE(testsupport::WaitFor([&] { return !e.RecolourTimer()->isActive(); }));
    struct Case {
        const char* text;
        TraFormatAttributes TraEdit::*attributes;
    };
    const Case cases[] = {
        {"begin", &TraEdit::ReservedWordAttributes}, {"{ a note }", &TraEdit::CommentAttributes},
        {"'text'", &TraEdit::StringAttributes},      {"string", &TraEdit::ReservedWordAttributes},
        {"Integer", &TraEdit::PlainAttributes},      {"end", &TraEdit::ReservedWordAttributes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const int at = positionOf(e, QString::fromLatin1(c.text));
        ASSERT_GE(at, 0);
        EXPECT_TRUE((e.*c.attributes).Matches(e.FormatAt(at)));
        EXPECT_TRUE((e.*c.attributes).Matches(e.FormatAt(at + int(qstrlen(c.text)) - 1)));
    }
    EXPECT_EQ(e.CommentAttributes.Color, QColor(0, 0, 0x80));
    EXPECT_TRUE(e.CommentAttributes.Italic);
    EXPECT_EQ(e.StringAttributes.Color, QColor(0, 0x80, 0));
    testsupport::GrabToPng(&e, QStringLiteral("code_editor_colours"));

    // Lines scrolled into view are coloured after the timer too.
    QString many;
    for (int i = 0; i < 200; ++i) many += QStringLiteral("  X := %1; { line }\n").arg(i);
    e.setPlainText(many + QStringLiteral("begin"));
    ASSERT_TRUE(testsupport::WaitFor([&] { return !e.RecolourTimer()->isActive(); }));
    const int last = positionOf(e, QStringLiteral("begin"));
    EXPECT_FALSE(e.ReservedWordAttributes.Matches(e.FormatAt(last)));
    e.verticalScrollBar()->setValue(e.verticalScrollBar()->maximum());
    ASSERT_TRUE(testsupport::WaitFor([&] { return !e.RecolourTimer()->isActive(); }));
    EXPECT_TRUE(e.ReservedWordAttributes.Matches(e.FormatAt(last)));
}

TEST_F(ScriptGuiTest, the_heading_is_protected_and_new_lines_are_indented) {
    TraEdit e;
    e.resize(500, 300);
    e.show();
    const QString text = QStringLiteral("procedure X(var Value: Variant);\nbegin\n    Value := 1;\nend;");
    e.SetHeaderLength(int(text.indexOf(QLatin1Char('\n'))) + 1);
    e.LoadText(text);
    EXPECT_EQ(e.textCursor().position(), int(text.indexOf(QStringLiteral("    Value"))));  // start of line 3
    // Typing in the heading, or deleting its line break, changes nothing.
    QTextCursor c = e.textCursor();
    c.setPosition(3);
    e.setTextCursor(c);
    sendKey(&e, Qt::Key_A, QStringLiteral("a"));
    c.setPosition(e.HeaderLength());
    e.setTextCursor(c);
    sendKey(&e, Qt::Key_Backspace);
    EXPECT_EQ(e.toPlainText(), text);
    // Below it editing goes on; Enter after an indented line indents the new one alike.
    c.setPosition(int(text.indexOf(QStringLiteral("1;"))) + 2);
    e.setTextCursor(c);
    sendKey(&e, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(e.textCursor().block().text(), QStringLiteral("    "));
    testsupport::GrabToPng(&e, QStringLiteral("code_editor_heading"));
}

TEST_F(ScriptGuiTest, dropped_lines_are_indented_to_the_drop_column) {
    TraEdit e;
    e.resize(500, 300);
    e.show();
    e.LoadText(QStringLiteral("begin\n\nend;"));
    const QPoint at = pointOf(&e, 1, 4);
    e.InsertAt(at.x(), at.y(), QStringLiteral("if A then\r\n  B;"));
    EXPECT_EQ(e.toPlainText(), QStringLiteral("begin\n    if A then\n      B;\n\nend;"));
}

TEST_F(ScriptGuiTest, the_message_list_names_other_programs_that_do_not_compile) {
    SampleReport r;
    TraCodeModule* module = TppReportModule::CreateForReport<TraCodeModule>(r.report);
    const auto global = [&](const QString& name, const QString& body) {
        auto* p = new TraProgram();
        p->SetChildType(21);
        p->SetProgramType(TraTokenType::ttProcedure);
        p->ProgramName = name;
        p->SetSource(QStringLiteral("procedure %1;\r\nbegin\r\n%2\r\nend;").arg(name, body));
        p->SetCodeModule(module);
        return p;
    };
    TraProgram* good = global(QStringLiteral("Good"), QStringLiteral("  Label1.Caption := 'x';"));
    global(QStringLiteral("Bad"), QStringLiteral("  Nothing := 1;"));
    TraProgram* worse = global(QStringLiteral("Worse"), QStringLiteral("  Neither := 1;"));
    TraCodeEditor editor;
    editor.resize(500, 300);
    editor.SetProgram(good);
    editor.Compile();
    ASSERT_EQ(editor.MessageList()->count(), 1);
    EXPECT_EQ(editor.MessageList()->item(0)->text(), QStringLiteral("Compile Completed: 0 Errors"));
    editor.SetProgram(worse);
    editor.Compile();
    QStringList lines;
    for (int i = 0; i < editor.MessageList()->count(); ++i) lines << editor.MessageList()->item(i)->text();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Error: Worse, Line 3"))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Bad could not be compiled"));
    // The program freed elsewhere leaves the editor empty.
    module->FreeProgram(worse);
    EXPECT_EQ(editor.Program(), nullptr);
    EXPECT_TRUE(editor.Edit()->toPlainText().isEmpty());
}
