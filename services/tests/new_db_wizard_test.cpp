// File > New database through the real main window on a copy of the sample database and
// the shipped library: the proposed folders, a template whose folder is missing, the empty
// copy of an existing database, the blank database, and the refusals.

#include "services/gui/new_db_wizard.h"
#include "services/tests/folder_checks.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/customize_hooks.h"
#include "core/main_data_mod.h"
#include "core/settings_store.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;
using servicestest::sqlite;
using servicestest::copyFolder;
using servicestest::fingerprint;

class NewDatabase : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        // Documents (and so the proposed folders) below a home folder of this test.
        savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        ASSERT_TRUE(documents.startsWith(m_dir.path()));
        PrepareMainWindow();
        // Templates: the shipped Blank (ID 1), "Club: Members" and one whose folder is gone.
        templates = m_dir.filePath("Templates");
        copyFolder(QStringLiteral(DOSSARA_BIN_DIR "/Template/Blank"), templates + "/Blank");
        copyFolder(QStringLiteral(DOSSARA_BIN_DIR "/Template/Blank"), templates + "/Club");
        InstallNewDatabaseWizard(form.get());
        OpenSample();
        db::Table& lib = *data->TemplateLib;
        data->OpenTemplateLib();
        lib.SetIndexName(QString());
        for (lib.First(); !lib.Eof();) lib.Delete();
        auto add = [&](int id, const QString& name, const QString& path, const QString& description) {
            lib.Append();
            lib.FieldByName("ID")->SetAsInteger(id);
            lib.FieldByName("Name")->SetAsString(name);
            lib.FieldByName("Path")->SetAsString(path);
            lib.FieldByName("Description")->SetAsString(description);
            lib.Post();
        };
        add(1, "Blank", templates + "/Blank", "An empty database with the standard fields.");
        add(2, "Club: Members", templates + "/Club", "The members of a club.");
        add(3, "Gone", templates + "/Gone", "A template whose folder was deleted.");
        lib.Close();
    }
    void TearDown() override {
        qputenv("HOME", savedHome);
        core::Customize().FullRebuild = {};
        core::ClearCommands();
        if (form) form->close();
        form.reset();
        ViewControl().Clear();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    void run(std::function<void(TNewDBWizard&)> fill, DialogAnswerer& answers, const std::function<void()>& then = {}) {
        answers.ExpectModal<TNewDBWizard>(std::move(fill));
        if (then) then();
        ASSERT_TRUE(testsupport::TriggerAction(form.get(), "A_FileNew"));
        EXPECT_EQ(answers.Pending(), 0);
    }

    QByteArray savedHome;
    QString documents;
    QString templates;
};

TEST_F(NewDatabase, proposes_unique_valid_folders_and_keeps_a_typed_path) {
    QDir().mkpath(documents + "/Dossara/Blank");
    const QString proposed = documents + "/Dossara/";
    DialogAnswerer answers;
    run(
        [&](TNewDBWizard& w) {
            grab(&w, "new_db_start");
            testsupport::Click(&w, "TemplateBtn");
            ASSERT_EQ(w.TemplateList->count(), 3);
            EXPECT_EQ(w.TemplateList->currentItem()->text(), "Blank");
            EXPECT_EQ(w.DBPath1->text(), proposed + "Blank_1");
            EXPECT_EQ(w.TemplateDescription->toPlainText(), "An empty database with the standard fields.");
            w.TemplateList->setCurrentRow(1);
            EXPECT_EQ(w.DBPath1->text(), proposed + "Club_ Members");
            EXPECT_FALSE(w.TemplateHelpBtn->isEnabled());
            EXPECT_EQ(w.TemplateHelpBtn->toolTip(), "No help available for the Club: Members template");
            grab(&w, "new_db_template");
            // The template whose folder is gone: refused at once, the path disabled.
            w.TemplateList->setCurrentRow(2);
            EXPECT_FALSE(w.DBPath1->isEnabled());
            EXPECT_FALSE(w.Create1Btn->isEnabled());
            EXPECT_TRUE(w.TemplateDescription->toPlainText().isEmpty());
            // A path typed elsewhere stays when another template is chosen.
            w.TemplateList->setCurrentRow(0);
            w.DBPath1->setText(m_dir.filePath("Elsewhere"));
            w.TemplateList->setCurrentRow(1);
            EXPECT_EQ(w.DBPath1->text(), m_dir.filePath("Elsewhere"));
            testsupport::Click(&w, "Cancel1Btn");
        },
        answers, [&] {
            answers.ExpectMessage("^The template data for that template cannot be found\\.", ui::Button::Ok,
                                  ui::MessageKind::Error);
        });
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10114);
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("Elsewhere")));
}

TEST_F(NewDatabase, from_a_template_and_blank_the_copy_is_made_and_opened_on_request) {
    const QString club = m_dir.filePath("My club");
    {
        DialogAnswerer answers;
        run(
            [&](TNewDBWizard& w) {
                testsupport::Click(&w, "TemplateBtn");
                w.TemplateList->setCurrentRow(1);
                w.DBPath1->setText(club);
                testsupport::Click(&w, "Create1Btn");
            },
            answers, [&] {
                answers.ExpectMessage("^Folder \".*My club\" does not exist - do you want to create it\\?$", ui::Button::Yes);
                answers.ExpectMessage("^The new database has been created\\. Do you want to open the new database now\\?$",
                                      ui::Button::Yes, ui::MessageKind::Confirmation);
            });
    }
    EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(club));
    EXPECT_EQ(fingerprint(club), fingerprint(templates + "/Club"));
    const QString blank = m_dir.filePath("Blank one");
    {
        DialogAnswerer answers;
        run(
            [&](TNewDBWizard& w) {
                testsupport::Click(&w, "BlankBtn");
                EXPECT_EQ(w.DBPath3->text(), documents + "/Dossara/");
                w.DBPath3->setText(blank);
                testsupport::Click(&w, "Create3Btn");
            },
            answers, [&] {
                answers.ExpectMessage("does not exist - do you want to create it", ui::Button::Yes);
                answers.ExpectMessage("^The new blank database has been created\\. Do you want to open the new database "
                                      "now\\?$",
                                      ui::Button::No, ui::MessageKind::Confirmation);
            });
    }
    EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(club));  // No: the open one stays
    EXPECT_EQ(fingerprint(blank), fingerprint(templates + "/Blank"));
}

TEST_F(NewDatabase, an_empty_copy_holds_no_records_and_the_previous_database_opens_again) {
    const QString copy = m_dir.filePath("Empty copy");
    QDir().mkpath(copy);
    QString rebuiltIn;
    core::Customize().FullRebuild = [&] { rebuiltIn = Globals().CurrentFolder; };
    DialogAnswerer answers;
    run(
        [&](TNewDBWizard& w) {
            testsupport::Click(&w, "ExistingBtn");
            EXPECT_EQ(w.DBPath2Existing->text(), Globals().CurrentFolder);
            EXPECT_EQ(w.DBPath2New->text(), documents + "/Dossara/");
            w.DBPath2New->setText(copy);
            grab(&w, "new_db_existing");
            testsupport::Click(&w, "Create2Btn");
        },
        answers, [&] {
            answers.ExpectMessage("^The new database has been created\\. Do you want to open the new database now\\?$",
                                  ui::Button::No, ui::MessageKind::Confirmation);
        });
    EXPECT_EQ(rebuiltIn, QDir::cleanPath(copy));
    EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(sample));
    // Every View table and Hierarchy: no rows. Every word table: no words, only its row of
    // index settings (which fields it indexes), as the source has it.
    const QStringList recordTables = {"Hierarchy.DB", "HierarchyDict.db", "Packages.DB", "PackagesDict.DB", "Sections.DB",
                                      "SectionsDict.DB", "Sources.DB", "SourcesDict.DB"};
    const QString settingsRow = "tsWord LIKE char(127) || char(127) || 'Prop%'";
    for (const QString& t : recordTables) {
        SCOPED_TRACE(t.toStdString());
        const QString from = " FROM \"" + t + "\"";
        EXPECT_GT(sqlite(sample + "/" + t, "SELECT count(*)" + from).toInt(), 0);
        if (t.contains("Dict", Qt::CaseInsensitive)) {
            EXPECT_EQ(sqlite(copy + "/" + t, "SELECT count(*)" + from + " WHERE NOT (" + settingsRow + ")"), "0");
            const QString settings = "SELECT quote(tsWord), count(*)" + from + " WHERE " + settingsRow + " GROUP BY 1";
            EXPECT_EQ(sqlite(copy + "/" + t, settings), sqlite(sample + "/" + t, settings));
            EXPECT_FALSE(sqlite(copy + "/" + t, settings).isEmpty());
        } else {
            EXPECT_EQ(sqlite(copy + "/" + t, "SELECT count(*)" + from), "0");
        }
        EXPECT_EQ(sqlite(copy + "/" + t, "PRAGMA integrity_check"), "ok");
    }
    const QString settingsRows = "SELECT Section, Key1, Key2, Variable, Value FROM \"Registry.DB\" WHERE Section = 'Views' "
                                 "ORDER BY 1, 2, 3, 4";
    // The View definitions are the source's (the open for the rebuild writes only window places).
    const QString views = sqlite(sample + "/Registry.DB", settingsRows);
    EXPECT_GT(views.count('\n'), 1000);
    EXPECT_EQ(sqlite(copy + "/Registry.DB", settingsRows), views);
}

TEST_F(NewDatabase, the_open_folder_and_the_same_folder_are_refused_and_nothing_changes) {
    const QStringList before = fingerprint(sample);
    const QString guard = "^The database path you specified is the same as the path of the database you have open\\.";
    DialogAnswerer answers;
    run(
        [&](TNewDBWizard& w) {
            testsupport::Click(&w, "TemplateBtn");
            w.DBPath1->setText(sample + "/");
            testsupport::Click(&w, "Create1Btn");
            EXPECT_TRUE(w.isVisible());
            testsupport::Click(&w, "Back1Btn");
            testsupport::Click(&w, "ExistingBtn");
            w.DBPath2New->setText(sample);
            testsupport::Click(&w, "Create2Btn");  // the same as the existing path
            w.DBPath2Existing->setText(m_dir.filePath("Nothing here"));
            testsupport::Click(&w, "Create2Btn");
            testsupport::Click(&w, "Cancel2Btn");
        },
        answers, [&] {
            answers.ExpectMessage(guard, ui::Button::Ok, ui::MessageKind::Error);
            answers.ExpectMessage("^The new database path cannot be the same as the existing database path\\.$",
                                  ui::Button::Ok, ui::MessageKind::Error);
            answers.ExpectMessage("does not exist or does not contain Dossara database files\\.$", ui::Button::Ok,
                                  ui::MessageKind::Error);
        });
    ASSERT_EQ(answers.Messages().size(), 3u);
    EXPECT_EQ(answers.Messages()[0].helpContext, 10128);
    EXPECT_EQ(answers.Messages()[1].helpContext, 10131);
    EXPECT_EQ(answers.Messages()[2].helpContext, 10013);
    EXPECT_EQ(fingerprint(sample), before);
}

}  // namespace
