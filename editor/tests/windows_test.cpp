#include "editor/gui/about_box.h"
#include "editor/gui/main_form.h"
#include "editor/gui/splash_screen.h"
#include "editor/version_info.h"
#include "editor/tests/editor_fixture.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>

namespace {

/// Sets the program's version for one test and restores it afterwards.
class VersionGuard {
public:
    explicit VersionGuard(const QString& version) : m_old(QCoreApplication::applicationVersion()) {
        QCoreApplication::setApplicationVersion(version);
    }
    ~VersionGuard() { QCoreApplication::setApplicationVersion(m_old); }

private:
    QString m_old;
};

TEST(VersionInfo, answers_the_product_version_unknown_names_and_nothing_without_a_version) {
    {
        VersionGuard v("1.0.0");
        EXPECT_EQ(editor::GetVersionValue("ProductVersion"), QStringLiteral("1.0.0"));
        EXPECT_EQ(editor::GetVersionValue("LegalCopyright"), QStringLiteral("<Unknown>"));
    }
    VersionGuard none("");
    EXPECT_EQ(editor::GetVersionValue("ProductVersion"), QString());
}

TEST(SplashScreen, holds_for_its_pause_while_events_keep_running_then_goes) {
    VersionGuard v("1.0.0");
    QPointer<TSplashScreen> splash = new TSplashScreen;
    splash->show();
    EXPECT_EQ(splash->Version->text(), QStringLiteral("1.0.0"));
    testsupport::GrabToPng(splash, "tarnwell_splash");
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    QElapsedTimer clock;
    clock.start();
    splash->CloseSplash(300);
    EXPECT_GT(clock.elapsed(), 300);
    EXPECT_GE(ticks, 1);  // the event loop ran during the pause (how often depends on the machine's load)
    EXPECT_EQ(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor, Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    testsupport::WaitFor([&] { return splash.isNull(); }, 10000);
    EXPECT_TRUE(splash.isNull());
}

class AboutBox : public editortest::EditorFixture {};

TEST_F(AboutBox, shows_the_version_and_the_status_bar_shows_it_too) {
    VersionGuard v("1.0.0");
    TMainForm form;
    form.show();
    EXPECT_EQ(testsupport::FindControl<QLabel>(&form, "StatusPanel1")->text(), QStringLiteral(" v1.0.0"));
    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TAboutBox>([](TAboutBox& box) {
        EXPECT_EQ(box.Version->text(), QStringLiteral("1.0.0"));
        EXPECT_EQ(box.windowTitle(), QStringLiteral("About"));
        testsupport::GrabToPng(&box, "tarnwell_about_box");
        box.reject();
    });
    testsupport::TriggerAction(&form, "M_Help_About");
}

TEST_F(AboutBox, without_a_version_the_status_bar_shows_v_alone) {
    VersionGuard none("");
    TMainForm form;
    form.show();
    EXPECT_EQ(testsupport::FindControl<QLabel>(&form, "StatusPanel1")->text(), QStringLiteral(" v"));
}

}  // namespace
