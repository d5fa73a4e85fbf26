#include "platform/ui/cursor.h"
#include "platform/ui/help.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>

#include <stdexcept>

namespace {

class HelpFolder : public testsupport::TempFolder {};

TEST_F(HelpFolder, opens_the_page_of_a_context_or_tells_the_user_no_help_is_installed) {
    QString opened;
    ui::HelpService::SetPageOpener([&](const QString& p) { opened = p; return true; });
    ui::HelpService::SetHelpFile(FilePath(QStringLiteral("Dossara.hlp")));
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("No help is installed", ui::Button::Ok);
        EXPECT_FALSE(ui::HelpService::ShowContext(10002));
    }
    QFile page(FilePath(QStringLiteral("10002.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    EXPECT_TRUE(ui::HelpService::ShowContext(10002));
    EXPECT_EQ(opened, FilePath(QStringLiteral("10002.html")));
    ui::HelpService::SetPageOpener({});
    ui::HelpService::SetHelpFile({});
}

TEST(Hourglass, restores_the_previous_cursor_also_when_an_exception_leaves) {
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    try {
        ui::HourglassCursor outer;
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            ui::HourglassCursor inner;
            throw std::runtime_error("stop");
        }
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(CursorRegistry, numbered_cursors_are_found_and_unknown_numbers_give_the_arrow) {
    ui::RegisterCursor(1, QCursor(Qt::DragMoveCursor));
    EXPECT_TRUE(ui::HasCursor(1));
    EXPECT_EQ(ui::CursorFor(1).shape(), Qt::DragMoveCursor);
    EXPECT_EQ(ui::CursorFor(99).shape(), Qt::ArrowCursor);
}

TEST(Beep, calls_the_installed_beeper) {
    int beeps = 0;
    ui::SetBeeper([&] { ++beeps; });
    ui::Beep();
    ui::SetBeeper({});
    ui::Beep();
    EXPECT_EQ(beeps, 1);
}

}  // namespace
