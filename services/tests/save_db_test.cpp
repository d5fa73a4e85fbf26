// "Save database as..." through the real main window on a copy of the sample database: the
// copy and the open of the new folder, the refusals (blank path, the open folder itself,
// also through a link), a failing copy, and copies taken while another program writes.

#include "services/database_copy.h"
#include "services/tests/folder_checks.h"
#include "services/gui/save_db.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;
using servicestest::sqlite;
using servicestest::fingerprint;

/// The rows of every table file of the folder, "<file>: <count>".
QStringList rowCounts(const QString& folder) {
    QStringList out;
    for (const QString& name : QDir(folder).entryList({"*.db"}, QDir::Files, QDir::Name))
        out << name + ": " + sqlite(folder + "/" + name, "SELECT count(*) FROM \"" + name + "\"");
    return out;
}

class SaveDatabaseAs : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        PrepareMainWindow();
        InstallSaveDatabaseAs(form.get());
        OpenSample();
    }
    void TearDown() override {
        core::ClearCommands();
        if (form) form->close();
        form.reset();
        ViewControl().Clear();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    /// Runs File > Save database as with the dialog filled in by `fill`; `then` adds the
    /// prompts that follow the dialog's own.
    void saveAs(std::function<void(TSaveDB&)> fill, DialogAnswerer& answers,
                const std::function<void()>& then = {}) {
        answers.ExpectModal<TSaveDB>(std::move(fill));
        if (then) then();
        ASSERT_TRUE(testsupport::TriggerAction(form.get(), "A_FileSaveAs"));
        EXPECT_EQ(answers.Pending(), 0);
    }
};

TEST_F(SaveDatabaseAs, copies_every_table_and_opens_the_copy_when_asked) {
    const QString before = sample;
    const QStringList sourceRows = rowCounts(sample);
    const QString target = m_dir.filePath("Saved copy");
    {
        DialogAnswerer answers;
        saveAs(
            [&](TSaveDB& d) {
                EXPECT_TRUE(d.DBPath->text().isEmpty());
                EXPECT_TRUE(d.OpenNew->isChecked());
                grab(&d, "save_db");
                d.DBPath->setText("  " + target + "  ");
                testsupport::Click(&d, "OKBtn");
            },
            answers, [&] {
                // The missing folder is offered to be made.
                answers.ExpectMessage("^Folder \".*Saved copy\" does not exist - do you want to create it\\?$",
                                      ui::Button::Yes, ui::MessageKind::Confirmation);
            });
    }
    EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(target));
    EXPECT_EQ(rowCounts(target), sourceRows);
    for (const QString& name : QDir(target).entryList({"*.db"}, QDir::Files))
        EXPECT_EQ(sqlite(target + "/" + name, "PRAGMA integrity_check"), "ok") << name.toStdString();
    EXPECT_TRUE(QDir(target).entryList({"*-journal"}, QDir::Files | QDir::Hidden).isEmpty());

    // Unticked: copied, the database open stays the one it was.
    const QString second = m_dir.filePath("Second");
    QDir().mkpath(second);  // empty: used without a question
    {
        DialogAnswerer answers;
        saveAs(
            [&](TSaveDB& d) {
                d.DBPath->setText(second);
                d.OpenNew->setChecked(false);
                testsupport::Click(&d, "OKBtn");
            },
            answers);
    }
    EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(target));
    EXPECT_EQ(rowCounts(second), sourceRows);
    EXPECT_NE(before, target);
}

TEST_F(SaveDatabaseAs, refusals_keep_the_dialog_open_and_touch_no_file) {
    const QStringList source = fingerprint(sample);
    const QString link = m_dir.filePath("LinkToSample");
    ASSERT_TRUE(QFile::link(sample, link));
    const QString guard = "^The database path you specified is the same as the path of the database you have open\\. "
                          "You must close the database before you can use this path\\.$";
    struct Case {
        QString path;
        QString message;
        int helpContext;
    } cases[] = {
        {"   ", "^You must enter a database path\\.$", 10015},
        {sample, guard, 10128},
        {sample + "/", guard, 10128},
        {link, guard, 10128},
        {sample + "/../Sample", guard, 10128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        DialogAnswerer answers;
        answers.ExpectModal<TSaveDB>([&](TSaveDB& d) {
            d.DBPath->setText(c.path);
            testsupport::Click(&d, "OKBtn");
            EXPECT_TRUE(d.isVisible());  // the refusal keeps it open
            testsupport::Click(&d, "CancelBtn");
        });
        answers.ExpectMessage(c.message, ui::Button::Ok, ui::MessageKind::Error);
        QString path;
        bool openNew = true;
        EXPECT_FALSE(::SaveDatabaseAs(path, openNew));
        ASSERT_EQ(answers.Messages().size(), 1u);
        EXPECT_EQ(answers.Messages()[0].helpContext, c.helpContext);
    }
    EXPECT_EQ(fingerprint(sample), source);
    // The copy routine refuses the same folder by itself too.
    const services::TCopyOutcome same = services::CopyDatabaseFolder(sample, link);
    EXPECT_FALSE(same.Success);
    EXPECT_EQ(same.Code, services::CopyResult::kSameFolder);
    EXPECT_EQ(fingerprint(sample), source);
}

TEST_F(SaveDatabaseAs, a_copy_that_fails_is_reported_with_its_code) {
    const QString blocker = m_dir.filePath("plain-file");
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    DialogAnswerer answers;
    answers.ExpectModal<TSaveDB>([&](TSaveDB& d) { d.reject(); });
    QString path;
    bool openNew = true;
    EXPECT_FALSE(::SaveDatabaseAs(path, openNew));  // cancelled: nothing asked, nothing made
    EXPECT_TRUE(answers.Messages().empty());

    const services::TCopyOutcome blocked = services::CopyDatabaseFolder(sample, blocker + "/below");
    EXPECT_FALSE(blocked.Success);
    EXPECT_EQ(blocked.Code, services::CopyResult::kAccessDenied);
    EXPECT_TRUE(blocked.Text.contains("below")) << blocked.Text.toStdString();
}

TEST_F(SaveDatabaseAs, copies_taken_while_another_program_writes_are_each_consistent) {
    form->CloseDatabase(true);
    QProcess writer;
    writer.start(QStringLiteral(DOSSARA_BRANCH_WRITER), {sample, "150", "Concurrent"});
    ASSERT_TRUE(writer.waitForStarted());
    ASSERT_TRUE(writer.waitForReadyRead(20000));
    int copies = 0;
    const int before = sqlite(sample + "/Hierarchy.DB", "SELECT count(*) FROM \"Hierarchy.DB\"").toInt();
    while (writer.state() == QProcess::Running && copies < 8) {
        const QString target = m_dir.filePath(QString("Copy%1").arg(copies++));
        const services::TCopyOutcome outcome = services::CopyDatabaseFolder(sample, target);
        ASSERT_TRUE(outcome.Success) << outcome.Text.toStdString();
        for (const QString& name : QDir(target).entryList(QDir::Files | QDir::Hidden)) {
            SCOPED_TRACE((target + "/" + name).toStdString());
            EXPECT_FALSE(name.endsWith("-journal"));
            EXPECT_EQ(sqlite(target + "/" + name, "PRAGMA integrity_check"), "ok");
        }
        const int rows = sqlite(target + "/Hierarchy.DB", "SELECT count(*) FROM \"Hierarchy.DB\"").toInt();
        EXPECT_GE(rows, before);
    }
    ASSERT_TRUE(writer.waitForFinished(120000));
    EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    EXPECT_GE(copies, 1);
}

}  // namespace
