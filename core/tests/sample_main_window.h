#pragma once

#include "core/globals.h"
#include "core/gui/confirm_dialogs.h"
#include "core/gui/main_form.h"
#include "core/main_data_mod.h"
#include "core/win_registry.h"

#include "platform/settings/ini_document.h"

#include "testsupport/widget_helpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include "test_paths.h"

namespace coretest {

/// The folder the test program started in (opening a database changes the current folder).
inline const QString g_startFolder = QDir::currentPath();

/// The real main window with its data module on a fresh copy of the sample database and the
/// shipped Library, with the per-user settings in a temporary folder. A fixture derived from
/// it calls PrepareMainWindow(), installs the windows its tests drive, then OpenSample().
class SampleMainWindow : public ::testing::Test {
protected:
    /// Copies the sample database and the Library, points the program's folders at the copies,
    /// and makes the main window with its data module (not shown yet).
    void PrepareMainWindow() {
        ASSERT_TRUE(m_dir.isValid());
        settings::SetConfigRoot(m_dir.filePath("config"));
        core::InstallConfirmationDialogs();
        sample = m_dir.filePath("Sample");
        copyFiles(QStringLiteral(DOSSARA_BIN_DIR "/Sample"), sample);
        copyFiles(QStringLiteral(DOSSARA_BIN_DIR "/Library"), m_dir.filePath("Library"));
        Globals().LibraryFolder = m_dir.filePath("Library");
        Globals().ProgramFolder = m_dir.path() + "/";
        core::WriteWinRegBool("Preferences", "ShowStartupWizard", false);
        form = std::make_unique<TMainForm>();
        data = new TMainDataMod(form.get());
        form->SetDataModule(data);
        form->SetSplashPauseMs(0);
    }

    /// Starts the window on the sample as the parameter "/db:<folder>" does, shows it and
    /// waits until the database is open.
    void OpenSample() {
        form->SetParameters({"/db:" + sample});
        form->resize(900, 600);
        form->show();
        ASSERT_TRUE(testsupport::WaitFor([&] { return form->StartupDone(); }, 20000));
        ASSERT_TRUE(Globals().DatabaseOpen);
    }

    /// Saves a picture of the widget into the screenshots folder beside the test program.
    void grab(QWidget* widget, const QString& name) {
        const QString now = QDir::currentPath();
        QDir::setCurrent(g_startFolder);
        testsupport::GrabToPng(widget, name);
        QDir::setCurrent(now);
    }

    QTemporaryDir m_dir;
    QString sample;
    std::unique_ptr<TMainForm> form;
    TMainDataMod* data = nullptr;

private:
    static void copyFiles(const QString& from, const QString& to) {
        QDir().mkpath(to);
        for (const QString& name : QDir(from).entryList(QDir::Files)) QFile::copy(from + "/" + name, to + "/" + name);
    }
};

}  // namespace coretest
