// The shortcut wizard on the open sample database, and the launchers it writes: checked by
// desktop-file-validate and started by `gio launch`, which must hand a stand-in program the
// database folder as one argument and start it in that folder, whatever the folder is named.

#include "services/gui/shortcut_wizard.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/settings_store.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"

#include "platform/shell/launcher.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

using testsupport::DialogAnswerer;

/// A program that records the folder it runs in and its arguments, one per line.
QString writeStandIn(const QString& folder) {
    QDir().mkpath(folder);
    const QString path = folder + "/stand-in";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\n"
            "{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$SHORTCUT_RECORD.part\"\n"
            "mv \"$SHORTCUT_RECORD.part\" \"$SHORTCUT_RECORD\"\n");
    f.close();
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

QString run(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

class ShortcutWizard : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        PrepareMainWindow();
        OpenSample();
        // The desktop and menu folders of this test: below a home folder of its own (the
        // test mode of the standard paths keeps the desktop at "<home>/Desktop").
        savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        desktop = m_dir.filePath("Desktop");
        QDir().mkpath(desktop);
        ASSERT_EQ(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation), desktop);
        standIn = writeStandIn(m_dir.filePath("bin dir"));
    }
    void TearDown() override {
        qputenv("HOME", savedHome);
        core::ClearCommands();
        if (form) form->close();
        form.reset();
        ViewControl().Clear();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    bool wizardOn() { return core::ReadRegBool("Wizards", "Shortcut", "Control", "WizardOn", true); }

    QByteArray savedHome;
    QString desktop;
    QString standIn;
};

TEST_F(ShortcutWizard, launchers_start_the_program_on_any_folder_name_as_one_argument) {
    const QStringList names = {"Plain", "with blanks", "quote\"s and 'single'", "dollar$HOME and `tick`",
                               "back\\slash", "percent%d%%", "ünïcödé Ωμέγα", "semi;colon&amp|pipe", " leading blank"};
    const QString launchers = m_dir.filePath("launchers");
    QDir().mkpath(launchers);
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        const QString folder = m_dir.filePath("dbs/" + names[i]);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString record = m_dir.filePath(QString("record%1").arg(i));
        qputenv("SHORTCUT_RECORD", QFile::encodeName(record));
        shell::Launcher l{names[i], standIn, {"/DB:" + folder}, folder};
        QString error;
        ASSERT_TRUE(shell::WriteLauncher(launchers, l, error)) << error.toStdString();
        const QString file = launchers + "/" + names[i] + ".desktop";
        EXPECT_TRUE(QFileInfo(file).isExecutable());
        int code = 0;
        const QString validator = run("desktop-file-validate", {file}, &code);
        EXPECT_EQ(code, 0) << validator.toStdString();
        EXPECT_TRUE(validator.isEmpty()) << validator.toStdString();
        run("gio", {"launch", file});
        ASSERT_TRUE(testsupport::WaitFor([&] { return QFile::exists(record); }, 20000));
        QFile got(record);
        ASSERT_TRUE(got.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(got.readAll()).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines, (QStringList{QFileInfo(folder).canonicalFilePath(), "/DB:" + folder}));
    }
    // A name that is not one file name is refused with the reason, and nothing is written.
    for (const QString& bad : {QString("a/b"), QString(".."), QString(), QString("line\nbreak")}) {
        QString error;
        EXPECT_FALSE(shell::WriteLauncher(launchers, {bad, standIn, {}, {}}, error));
        EXPECT_FALSE(error.isEmpty());
    }
    QString error;
    EXPECT_FALSE(shell::WriteLauncher(m_dir.filePath("no such folder"), {"x", standIn, {}, {}}, error));
    EXPECT_TRUE(error.contains("does not exist")) << error.toStdString();
    EXPECT_EQ(QDir(launchers).entryList(QDir::Files).size(), names.size());
}

TEST_F(ShortcutWizard, on_the_desktop_in_the_start_menu_and_the_stored_switch) {
    const QString created = "^Shortcut created \\(it may take a few seconds for the new shortcut to become visible\\)\\.$";
    {
        SCOPED_TRACE("desktop");
        DialogAnswerer answers;
        answers.ExpectModal<TShortcutWizard>([&](TShortcutWizard& w) {
            EXPECT_EQ(w.Pages->currentWidget(), w.StartPage);
            grab(&w, "shortcut_wizard_start");
            testsupport::Click(&w, "CreateOnDesktopBtn");
            EXPECT_FALSE(w.Create2Btn->isEnabled());
            w.DBName2->setText("  Sample database ");
            grab(&w, "shortcut_wizard_desktop");
            testsupport::Click(&w, "Create2Btn");
        });
        answers.ExpectMessage(created, ui::Button::Ok, ui::MessageKind::Information);
        EXPECT_TRUE(RunShortcutWizard(standIn));
        const QString file = desktop + "/Sample database.desktop";
        ASSERT_TRUE(QFile::exists(file));
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        const QString text = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(text.contains("Exec=" + shell::QuoteExecArgument(standIn) + " " +
                                  shell::QuoteExecArgument("/DB:" + Globals().CurrentFolder)))
            << text.toStdString();
        EXPECT_TRUE(text.contains("Path=" + Globals().CurrentFolder + "\n"));
        EXPECT_TRUE(wizardOn());
    }
    {
        SCOPED_TRACE("switched off and cancelled");
        DialogAnswerer answers;
        answers.ExpectModal<TShortcutWizard>([&](TShortcutWizard& w) {
            w.DoNotShowWiz->setChecked(true);
            testsupport::Click(&w, "StartCancelBtn");
        });
        EXPECT_FALSE(RunShortcutWizard(standIn));
        EXPECT_FALSE(wizardOn());
    }
    {
        SCOPED_TRACE("start menu sub-folder, made on request");
        const QString menu = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) + "/My Databases";
        DialogAnswerer answers;
        answers.ExpectModal<TShortcutWizard>([&](TShortcutWizard& w) {
            EXPECT_EQ(w.Pages->currentWidget(), w.LocationPage);
            EXPECT_TRUE(w.Back1Btn->isHidden());
            EXPECT_TRUE(w.Back2Btn->isHidden());
            EXPECT_TRUE(w.DBPath->isHidden());
            w.InStartMenu->click();
            EXPECT_FALSE(w.DBPath->isHidden());
            EXPECT_TRUE(w.DBPathBrowseBtn->isHidden());
            w.DBName1->setText("Sample");
            EXPECT_FALSE(w.Create1Btn->isEnabled());  // the sub-folder is still blank
            w.DBPath->setText("My Databases");
            EXPECT_TRUE(w.Create1Btn->isEnabled());
            grab(&w, "shortcut_wizard_location");
            testsupport::Click(&w, "Create1Btn");
        });
        answers.ExpectMessage("^Start Menu folder \".*/My Databases\" does not exist - do you want to create it\\?$",
                              ui::Button::Yes, ui::MessageKind::Confirmation);
        answers.ExpectMessage(created, ui::Button::Ok, ui::MessageKind::Information);
        EXPECT_TRUE(RunShortcutWizard(standIn));
        EXPECT_TRUE(QFile::exists(menu + "/Sample.desktop"));
        EXPECT_FALSE(wizardOn());  // stays off
    }
}

TEST_F(ShortcutWizard, a_shortcut_that_cannot_be_written_is_reported_with_its_reason) {
    core::WriteRegBool("Wizards", "Shortcut", "Control", "WizardOn", false);
    QDir(desktop).removeRecursively();  // no desktop folder
    {
        DialogAnswerer answers;
        answers.ExpectModal<TShortcutWizard>([&](TShortcutWizard& w) {
            w.DBName1->setText("Sample");
            testsupport::Click(&w, "Create1Btn");
        });
        answers.ExpectMessage("^The shortcut could not be created\\.\nThe folder \".*Desktop\" does not exist\\.$",
                              ui::Button::Ok, ui::MessageKind::Error);
        EXPECT_FALSE(RunShortcutWizard(standIn));
        for (const QString& prompt : answers.Prompts()) EXPECT_FALSE(prompt.contains("Shortcut created"));
    }
    {
        // A name that is not one file name is refused on the page; the wizard stays open.
        DialogAnswerer answers;
        answers.ExpectModal<TShortcutWizard>([&](TShortcutWizard& w) {
            w.InFolder->click();
            w.DBName1->setText("one/two");
            w.DBPath->setText(m_dir.path());
            testsupport::Click(&w, "Create1Btn");
            EXPECT_TRUE(w.isVisible());
            testsupport::Click(&w, "Cancel1Btn");
        });
        answers.ExpectMessage("cannot be the name of a shortcut", ui::Button::Ok, ui::MessageKind::Error);
        EXPECT_FALSE(RunShortcutWizard(standIn));
        EXPECT_EQ(answers.Messages().at(0).helpContext, 10116);
    }
}

}  // namespace
