// The "Getting Started Wizard" at start-up of the real main window (with "ShowStartupWizard"
// on) and from Help > Getting started wizard: skipping opens nothing, closing it at start-up
// ends the program, and a database made from a template is opened.

#include "services/gui/startup_wizard.h"
#include "services/tests/folder_checks.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"
#include "core/win_registry.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;
using servicestest::copyFolder;

class StartupWizard : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        PrepareMainWindow();
        copyFolder(QStringLiteral(DOSSARA_BIN_DIR "/Template/Blank"), m_dir.filePath("Template/Blank"));
        Globals().TemplateFolder = m_dir.filePath("Template");
        core::WriteWinRegBool("Preferences", "ShowStartupWizard", true);
        InstallStartupWizard(form.get());
    }
    void TearDown() override {
        qputenv("HOME", savedHome);
        core::SetStartupWizard({});
        core::ClearCommands();
        if (form) form->close();
        form.reset();
        ViewControl().Clear();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    /// Starts the window without parameters; false when start-up never finished.
    bool start() {
        form->SetParameters({});
        form->show();
        return testsupport::WaitFor([&] { return form->StartupDone() || !form->isVisible(); }, 20000);
    }

    QByteArray savedHome;
    QString documents;
};

TEST_F(StartupWizard, skipping_opens_nothing_and_closing_ends_the_program) {
    {
        DialogAnswerer answers;
        answers.ExpectModal<TStartupWizard>([&](TStartupWizard& w) {
            EXPECT_EQ(w.Pages->currentWidget(), w.StartPage);
            grab(&w, "startup_wizard_start");
            testsupport::Click(&w, "StartDSBtn");
        });
        ASSERT_TRUE(start());
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(Globals().DatabaseOpen);
    }
    TearDown();
    SetUp();
    {
        DialogAnswerer answers;
        answers.ExpectModal<TStartupWizard>([&](TStartupWizard& w) { w.reject(); });
        ASSERT_TRUE(start());
        EXPECT_TRUE(testsupport::WaitFor([&] { return !form->isVisible(); }));
        EXPECT_FALSE(Globals().DatabaseOpen);
    }
}

TEST_F(StartupWizard, a_database_made_from_a_template_is_opened_at_start_and_from_the_help_menu) {
    QDir().mkpath(documents + "/Dossara/Blank");
    QString made;
    {
        DialogAnswerer answers;
        answers.ExpectModal<TStartupWizard>([&](TStartupWizard& w) {
            testsupport::Click(&w, "NewDBBtn");
            EXPECT_EQ(w.Pages->currentWidget(), w.TemplatePage);
            ASSERT_GE(w.TemplateList->count(), 1);
            EXPECT_EQ(w.TemplateList->currentItem()->text(), "Blank");
            EXPECT_EQ(w.DBPath->text(), documents + "/Dossara/Blank_1");
            grab(&w, "startup_wizard_template");
            testsupport::Click(&w, "NextBtn");
            EXPECT_EQ(w.UsingTemplate->text(), "Using template \"Blank\"");
            made = w.DBPath->text();
            grab(&w, "startup_wizard_new_database");
            testsupport::Click(&w, "CreateBtn");
        });
        answers.ExpectMessage("does not exist - do you want to create it", ui::Button::Yes);
        ASSERT_TRUE(start());
        EXPECT_EQ(answers.Pending(), 0);
    }
    EXPECT_TRUE(Globals().DatabaseOpen);
    EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(made));
    // Help > Getting started wizard: a typed path is used as typed; the new database opens.
    const QString typed = m_dir.filePath("From the menu");
    {
        DialogAnswerer answers;
        answers.ExpectModal<TStartupWizard>([&](TStartupWizard& w) {
            testsupport::Click(&w, "NewDBBtn");
            testsupport::Click(&w, "NextBtn");
            w.DBPath->setText(" ");
            EXPECT_FALSE(w.CreateBtn->isEnabled());
            w.DBPath->setText(typed);
            testsupport::Click(&w, "CreateBtn");
        });
        answers.ExpectMessage("does not exist - do you want to create it", ui::Button::Yes);
        ASSERT_TRUE(testsupport::TriggerAction(form.get(), "A_HelpGetStarted"));
        EXPECT_EQ(answers.Pending(), 0);
    }
    EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(typed));
}

}  // namespace
