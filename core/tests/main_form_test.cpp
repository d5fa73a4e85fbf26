// The records manager's main window on copies of the sample database: start-up, opening
// and closing, every failure of the open with its message and the state it leaves, the
// preferences, the menus, the macro texts and the program's start-up folders.

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/customize_warn.h"
#include "core/gui/last_resort.h"
#include "core/gui/main_form.h"
#include "core/gui/splash_screen.h"
#include "core/main_data_mod.h"
#include "core/settings_crc.h"
#include "core/settings_store.h"
#include "core/startup.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/web_link.h"
#include "core/win_registry.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/format/errors.h"
#include "platform/settings/ini_document.h"
#include "platform/ui/help.h"

#include "testsupport/child_process.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QDir>
#include <QRegularExpression>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QStatusBar>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <map>

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;

const QString kBin = QStringLiteral(DOSSARA_BIN_DIR);

/// The folder the test program started in.
const QString g_startFolder = QDir::currentPath();

/// A picture of the widget in the test program's folder (opening a database makes its
/// folder the current one).
void grab(QWidget* widget, const QString& name) {
    const QString now = QDir::currentPath();
    QDir::setCurrent(g_startFolder);
    testsupport::GrabToPng(widget, name);
    QDir::setCurrent(now);
}

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) QFile::copy(from + "/" + name, to + "/" + name);
}

/// Every file of a folder (hidden ones too) with its modification time and a hash of its bytes.
std::map<QString, QByteArray> folderState(const QString& folder) {
    std::map<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            files[name] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex() + ' ' +
                          QByteArray::number(QFileInfo(f).lastModified().toMSecsSinceEpoch());
    }
    return files;
}

/// A file found in `folder` whatever the case of its name.
QString fileIn(const QString& folder, const QString& name) {
    for (const QString& f : QDir(folder).entryList(QDir::Files))
        if (f.compare(name, Qt::CaseInsensitive) == 0) return folder + "/" + f;
    return folder + "/" + name;
}

/// Writes `value` with a wrong CRC into the settings row, as damage would.
void damageSettingsRow(const QString& folder, const QString& s, const QString& k1, const QString& k2,
                       const QString& v, const QString& value) {
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(core::kSettingsTableName);
    t.Open();
    core::WriteSettingsRow(t, s, k1, k2, v, value);
    t.Edit();
    t.FieldByName("CRC")->SetAsInteger(core::RegCRC32(value) + 1);
    t.Post();
    t.Close();
}

void writeSettingsRow(const QString& folder, const QString& s, const QString& k1, const QString& k2, const QString& v,
                      const QString& value) {
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(core::kSettingsTableName);
    t.Open();
    core::WriteSettingsRow(t, s, k1, k2, v, value);
    t.Close();
}

/// A main window with its data module on a copy of the sample database and the shipped
/// library; the recent-file list is a plain list.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        // Per-user settings of this test alone (test programs run side by side).
        settings::SetConfigRoot(m_dir.filePath("config"));
        sample = m_dir.filePath("Sample");
        copyFolder(kBin + "/Sample", sample);
        copyFolder(kBin + "/Library", m_dir.filePath("Library"));
        Globals().LibraryFolder = m_dir.filePath("Library");
        Globals().ProgramFolder = m_dir.path() + "/";
        core::WriteWinRegBool("Preferences", "ShowStartupWizard", false);
        core::WriteWinRegBool("Preferences", "ReopenLastDatabase", true);
        form = std::make_unique<TMainForm>();
        data = new TMainDataMod(form.get());
        form->SetDataModule(data);
        form->SetSplashPauseMs(0);
        form->RecentMostRecent = [this] { return recent.value(0); };
        form->RecentAddFile = [this](const QString& f) {
            recent.removeAll(f);
            recent.prepend(f);
        };
    }
    void TearDown() override {
        ViewLayer() = TViewLayer{};
        core::ClearCommands();
        if (form) {
            form->close();
            form.reset();
        }
        ViewControl().Clear();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    /// Shows the window with these parameters and waits for the end of start-up.
    void start(const QStringList& parameters) {
        form->SetParameters(parameters);
        form->show();
        ASSERT_TRUE(testsupport::WaitFor([&] { return form->StartupDone(); }, 20000));
    }

    /// No database open and nothing of one left open.
    void expectNothingOpen() {
        EXPECT_FALSE(Globals().DatabaseOpen);
        EXPECT_TRUE(Globals().CurrentFolder.isEmpty());
        EXPECT_EQ(core::SettingsTable(), nullptr);
        EXPECT_FALSE(data->DSDB->Connected());
        EXPECT_FALSE(data->Registry->Active());
        EXPECT_FALSE(data->Hierarchy->Active());
        EXPECT_FALSE(data->HierarchyDict->Active());
        EXPECT_EQ(ViewControl().GetViewCount(), 0);
        EXPECT_FALSE(form->A_FileClose->isEnabled());
        EXPECT_TRUE(form->StatusFolder->text().isEmpty());
    }

    QTemporaryDir m_dir;
    QString sample;
    QStringList recent;
    std::unique_ptr<TMainForm> form;
    TMainDataMod* data = nullptr;
};

TEST_F(MainFormTest, start_up_opens_the_database_named_on_the_command_line_in_any_case) {
    DialogAnswerer answers;
    start({"/other", "/db:" + sample});
    EXPECT_TRUE(Globals().DatabaseOpen);
    EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(sample));
    EXPECT_EQ(form->StatusFolder->text(), QDir::cleanPath(sample));
    EXPECT_EQ(ViewControl().GetViewCount(), 3);
    EXPECT_TRUE(form->A_FileClose->isEnabled());
    EXPECT_EQ(recent.value(0), QDir::cleanPath(sample));
    EXPECT_FALSE(core::ReadWinRegBool("Preferences", "ShowStartupWizard", true));
    EXPECT_EQ(form->M_ShowView->actions().size(), 3);
    // The library is connected and its macro texts are loaded.
    EXPECT_TRUE(data->LibraryDB->Connected());
    EXPECT_GT(form->FindMacroShortcut(0x4000 + 0x8000 + 'R').first, 0);
    grab(form.get(), "main_form_sample_open");
}

TEST_F(MainFormTest, start_up_falls_back_on_the_most_recent_database_and_stays_empty_without_one) {
    // A folder named with /DB: that is no database: the user is told why, then the most
    // recent database opens; nothing is written into the named folder.
    struct Case {
        const char* folder;
        QStringList files;  // copied from the sample
    };
    const Case cases[] = {{"NoHierarchy", {"Registry.DB"}},
                          {"NoRegistry", {"Hierarchy.DB"}},
                          {"OtherFiles", {"HierarchyDict.db"}},
                          {"Missing", {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const QString named = m_dir.filePath(c.folder);
        if (QString(c.folder) != "Missing") QDir().mkpath(named);
        for (const QString& f : c.files) QFile::copy(sample + "/" + f, named + "/" + f);
        const QStringList before = QDir(named).entryList(QDir::Files | QDir::Hidden);
        {
            DialogAnswerer answers;
            answers.ExpectMessage("The database directory \"" + QRegularExpression::escape(named) +
                                      "\" does not exist, or is missing required files\\. The database cannot be opened\\.",
                                  ui::Button::Ok, ui::MessageKind::Error);
            recent = {sample};
            start({"/DB:" + named});
            EXPECT_EQ(answers.Pending(), 0);
            EXPECT_TRUE(Globals().DatabaseOpen);
            EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(sample));
        }
        EXPECT_EQ(QDir(named).entryList(QDir::Files | QDir::Hidden), before);
        TearDown();
        SetUp();
    }
    DialogAnswerer answers;
    core::WriteWinRegBool("Preferences", "ReopenLastDatabase", false);
    recent = {sample};
    start({});
    EXPECT_FALSE(Globals().DatabaseOpen);
    EXPECT_FALSE(form->A_FileClose->isEnabled());
    EXPECT_TRUE(form->A_FileOpen->isEnabled());
}

TEST_F(MainFormTest, repair_switch_opens_nothing_and_runs_the_registered_repair) {
    DialogAnswerer answers;
    int repairs = 0;
    core::RegisterCommand("RepairFromCommandLine", [&] { ++repairs; });
    start({"/DB:" + sample, "  /rePair "});
    EXPECT_EQ(repairs, 1);
    EXPECT_FALSE(Globals().DatabaseOpen);
    EXPECT_FALSE(data->LibraryDB->Connected());
}

TEST_F(MainFormTest, the_start_up_wizard_replaces_the_database_start_up_would_open) {
    DialogAnswerer answers;
    core::WriteWinRegBool("Preferences", "ShowStartupWizard", true);
    QString offered;
    core::SetStartupWizard([&](QString& folder) {
        offered = folder;
        folder.clear();  // the user skipped it
        return true;
    });
    start({"/DB:" + sample});
    core::SetStartupWizard({});
    EXPECT_EQ(offered, sample);
    EXPECT_FALSE(Globals().DatabaseOpen);
}

TEST_F(MainFormTest, a_library_that_cannot_be_connected_ends_the_program) {
    DialogAnswerer answers;
    answers.ExpectMessage("Unable to connect to the Library database", ui::Button::Ok, ui::MessageKind::Error);
    Globals().LibraryFolder = m_dir.filePath("NoSuchLibrary");
    form->SetParameters({"/DB:" + sample});
    form->show();
    ASSERT_TRUE(testsupport::WaitFor([&] { return !form->isVisible(); }));
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10121);
    EXPECT_FALSE(Globals().DatabaseOpen);
}

TEST_F(MainFormTest, every_failed_open_is_reported_and_leaves_nothing_half_open) {
    struct Case {
        const char* name;
        std::function<void(const QString& folder)> damage;
        const char* pattern;
        int helpContext;
        bool previousStaysOpen;
    };
    auto remove = [](const char* file) { return [file](const QString& f) { QFile::remove(fileIn(f, file)); }; };
    auto garble = [](const char* file) {
        return [file](const QString& f) {
            QFile out(fileIn(f, file));
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(QByteArray(4096, '\x5a'));
        };
    };
    // A table file replaced by another table's (a copy gone wrong, a restore into the wrong
    // name): opening must name the table instead of reading the wrong rows.
    auto swap = [](const char* from, const char* to) {
        return [from, to](const QString& f) {
            QFile::remove(fileIn(f, to));
            ASSERT_TRUE(QFile::copy(fileIn(f, from), fileIn(f, to)));
        };
    };
    const Case cases[] = {
        {"missing Registry.DB", remove("Registry.DB"), "does not exist, or is missing required files", 10046, true},
        {"missing Hierarchy.DB", remove("Hierarchy.DB"), "does not exist, or is missing required files", 10046, true},
        {"missing hierarchy word table", remove("HierarchyDict.db"), "Unable to open the Hierarchy table", 10048, false},
        {"damaged settings table", garble("Registry.DB"),
         "^Unable to open the configuration table \\(Registry\\) - it may be damaged\\.\rThe BDE error message is "
         "\".+\"\\.\rThe database in \".+/Bad\\d+\" cannot be opened\\.\rPress F1 for help\\.$",
         10047, false},
        {"damaged Hierarchy.DB", garble("Hierarchy.DB"), "Unable to open the Hierarchy table - it may be damaged",
         10048, false},
        {"missing View word table", remove("PackagesDict.DB"), "Unable to open the data table for the Package View",
         10050, false},
        {"damaged View table", garble("Sections.DB"), "Unable to open the data table for the Archive section View",
         10050, false},
        {"View table swapped for another View's", swap("Sections.DB", "Packages.DB"),
         "^Unable to open the data table for the Package View\\. .*\r\rThe table \"Packages\\.DB\" has no field \"\\w+\"\\.$",
         10050, false},
        {"View word table swapped for another View's", swap("SectionsDict.DB", "PackagesDict.DB"),
         "^Unable to open the data table for the Package View\\. .*\r\rThe word table \"PackagesDict\\.DB\" indexes a "
         "field \"\\w+\" that the table \"Packages\\.DB\" does not have: it belongs to another table\\.$",
         10050, false},
        {"View word table swapped for a record table", swap("Sources.DB", "SourcesDict.DB"),
         "\r\rThe table \"SourcesDict\\.DB\" is not a word table: it has no field \"tsWord\"\\.$", 10050, false},
        {"hierarchy word table swapped for a View's", swap("PackagesDict.DB", "HierarchyDict.db"),
         "^Unable to open the Hierarchy table - it may be damaged\\.\rThe word table \"HierarchyDict\\.db\" indexes a "
         "field \"\\w+\" that the table \"Hierarchy\\.DB\" does not have: it belongs to another table\\.\rThe "
         "database in \".+/Bad\\d+\" cannot be opened\\.\rPress F1 for help\\.$",
         10048, false},
        {"Hierarchy.DB swapped for a View table", swap("Sections.DB", "Hierarchy.DB"),
         "^Unable to open the Hierarchy table - it may be damaged\\.\rThe table \"Hierarchy\\.DB\" has no field "
         "\"ParentNodeID\"\\.\r",
         10048, false},
        {"damaged View definition",
         [](const QString& f) { writeSettingsRow(f, "Views", "01", "Layout", "ViewPosition", "1,2,x"); },
         "^Unable to load the View definitions from the configuration file \\(Registry\\)\\. The database in "
         "\".+/Bad\\d+\" cannot be opened\\. Press F1 for help\\.$",
         10049, false},
        // A View count past the stored Views, with a valid checksum: one message, not one
        // per View that is not there.
        {"View count of the largest integer",
         [](const QString& f) { writeSettingsRow(f, "Views", "Control", "Counts", "ViewCount", "2147483647"); },
         "^Unable to load the View definitions", 10049, false},
        {"View count one past the stored Views",
         [](const QString& f) { writeSettingsRow(f, "Views", "Control", "Counts", "ViewCount", "4"); },
         "^Unable to load the View definitions", 10049, false},
        {"negative View count", [](const QString& f) { writeSettingsRow(f, "Views", "Control", "Counts", "ViewCount", "-3"); },
         "^Unable to load the View definitions", 10049, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString bad = m_dir.filePath(QStringLiteral("Bad%1").arg(n++));
        copyFolder(sample, bad);
        c.damage(bad);
        const auto damaged = folderState(bad);
        {
            DialogAnswerer answers;
            ASSERT_TRUE(form->OpenDatabase(sample));
            answers.ExpectMessage(c.pattern, ui::Button::Ok, ui::MessageKind::Error);
            EXPECT_FALSE(form->OpenDatabase(bad));
            ASSERT_EQ(answers.Messages().size(), 1u) << answers.Prompts().join("\n").toStdString();
            EXPECT_EQ(answers.Messages()[0].helpContext, c.helpContext);
            if (c.previousStaysOpen) {
                EXPECT_TRUE(Globals().DatabaseOpen);
                EXPECT_EQ(Globals().CurrentFolder, QDir::cleanPath(sample));
                form->CloseDatabase(true);
            } else {
                expectNothingOpen();
            }
            if (n == 3 || n == 6) {
                QMessageBox box(QMessageBox::Critical, "Dossara", answers.Messages()[0].text, QMessageBox::Ok);
                grab(&box, QStringLiteral("open_failure_%1").arg(answers.Messages()[0].helpContext));
            }
        }
        // The failed open wrote nothing into the damaged folder.
        EXPECT_EQ(folderState(bad), damaged);
        // The database that failed can be opened again once repaired, and the sample still opens.
        DialogAnswerer answers;
        EXPECT_TRUE(form->OpenDatabase(sample));
        form->CloseDatabase(true);
    }
}

TEST_F(MainFormTest, a_table_held_by_another_program_refuses_the_open) {
    DialogAnswerer answers;
    QProcess holder;
    // The settings-table editor keeps the settings table open with a write lock only while it
    // writes, so a second program opening it exclusively stands in for the one in the way.
    db::Table exclusive;
    exclusive.SetDatabaseName(sample);
    exclusive.SetTableName("Hierarchy.DB");
    exclusive.SetExclusive(true);
    exclusive.Open();
    answers.ExpectMessage("Unable to open the Hierarchy table", ui::Button::Ok, ui::MessageKind::Error);
    EXPECT_FALSE(form->OpenDatabase(sample));
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_TRUE(answers.Messages()[0].text.contains("The BDE error message is")) << answers.Messages()[0].text.toStdString();
    expectNothingOpen();
    exclusive.Close();
    EXPECT_TRUE(form->OpenDatabase(sample));
}

TEST_F(MainFormTest, closing_writes_the_layout_and_reopening_restores_it) {
    DialogAnswerer answers;
    start({"/DB:" + sample});
    ASSERT_TRUE(Globals().DatabaseOpen);
    form->resize(640, 480);
    QApplication::processEvents();
    const int pagesWidth = form->MainPages->width();
    form->CloseDatabase(true);
    expectNothingOpen();
    db::Table t;
    t.SetDatabaseName(sample);
    t.SetTableName(core::kSettingsTableName);
    t.Open();
    core::SetSettingsTable(&t);
    EXPECT_EQ(core::ReadRegInt("Forms", "Main", "Layout", "MainPagesWidth", -5), pagesWidth);
    EXPECT_FALSE(core::ReadRegBool("Forms", "Main", "Layout", "WasMaximized", true));
    EXPECT_FALSE(core::ReadRegBool("Forms", "TreeNoteForm", "Layout", "Visible", true));
    core::SetSettingsTable(nullptr);
    t.Close();
    // Reopening puts the pages back at their width.
    ASSERT_TRUE(form->OpenDatabase(sample));
    QApplication::processEvents();
    EXPECT_NEAR(form->MainPages->width(), pagesWidth, 4);
}

TEST_F(MainFormTest, unsaved_changes_refuse_closing_the_database_and_the_program) {
    DialogAnswerer answers;
    start({"/DB:" + sample});
    int asked = 0;
    ViewLayer().FindUnsavedChanges = [&] {
        ++asked;
        return true;
    };
    form->CloseDatabase(true);
    EXPECT_TRUE(Globals().DatabaseOpen);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(Globals().DatabaseOpen);
    EXPECT_EQ(asked, 2);
    ViewLayer().FindUnsavedChanges = [] { return false; };
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(Globals().DatabaseOpen);
}

TEST_F(MainFormTest, the_view_layer_is_called_when_it_is_registered) {
    DialogAnswerer answers;
    QStringList calls;
    ViewLayer().OpenViewTable = [&](int v) { calls << QStringLiteral("table %1").arg(v); };
    ViewLayer().OpenViewDictTable = [&](int v) { calls << QStringLiteral("dict %1").arg(v); };
    ViewLayer().ShowStartupViews = [&] { calls << "startup views"; };
    ViewLayer().StartExplorer = [&] {
        calls << "explorer";
        return true;
    };
    ASSERT_TRUE(form->OpenDatabase(sample));
    EXPECT_EQ(calls, (QStringList{"table 0", "dict 0", "table 1", "dict 1", "table 2", "dict 2", "explorer",
                                  "startup views"}));
    // An explorer that cannot start undoes the open.
    ViewLayer().StartExplorer = [] { return false; };
    answers.ExpectMessage("Unable to start the Explorer", ui::Button::Ok, ui::MessageKind::Error);
    EXPECT_FALSE(form->OpenDatabase(sample));
    expectNothingOpen();
}

TEST_F(MainFormTest, damaged_settings_rows_show_one_message_per_read) {
    for (const char* variable : {"GlyphIndex", "ViewFormColor", "TitleColorFG", "ViewIsSearchable"})
        damageSettingsRow(sample, "Views", "00", "Layout", variable, "x");
    damageSettingsRow(sample, "Preferences", "Display", "Views", "LinkViews", "FALSE");
    damageSettingsRow(sample, "Preferences", "QuickSearch", "Find", "MatchLimit", "12");
    DialogAnswerer answers;
    answers.ExpectMessage("The Registry has been damaged", ui::Button::Ok);  // the View definitions
    answers.ExpectMessage("The Registry has been damaged", ui::Button::Ok);  // the preferences
    form->OpenDatabase(sample);
    EXPECT_EQ(answers.Messages().size(), 2u) << answers.Prompts().join("\n").toStdString();
    EXPECT_EQ(UserPrefs().MatchLimit, 500);
    EXPECT_TRUE(UserPrefs().LinkViews);
}

TEST_F(MainFormTest, a_bad_oldest_date_does_not_stop_the_other_preferences) {
    writeSettingsRow(sample, "Preferences", "Dates", "General", "OldestDate", "31/02/1950");
    writeSettingsRow(sample, "Preferences", "QuickSearch", "Find", "MatchLimit", "77");
    writeSettingsRow(sample, "Preferences", "Display", "Views", "LinkViews", "FALSE");
    writeSettingsRow(sample, "Preferences", "Display", "MainForm", "DockPanelTabPosition", "2");
    UserPrefs().OldestDate = 10.0;
    DialogAnswerer answers;
    answers.ExpectMessage("^Conversion error: ", ui::Button::Ok, ui::MessageKind::Error);
    ASSERT_TRUE(form->OpenDatabase(sample));
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10055);
    EXPECT_EQ(UserPrefs().OldestDate, 10.0);
    EXPECT_EQ(UserPrefs().MatchLimit, 77);
    EXPECT_FALSE(UserPrefs().LinkViews);
    EXPECT_EQ(form->MainPages->tabPosition(), QTabWidget::South);
}

TEST_F(MainFormTest, macro_shortcuts_insert_into_the_focused_edit_and_keep_the_clipboard) {
    DialogAnswerer answers;
    start({"/DB:" + sample});
    auto* edit = new QLineEdit(form.get());
    edit->setObjectName("TestEdit");
    form->LeftDockPanel->setMinimumWidth(200);
    edit->setParent(form->LeftDockPanel);
    edit->show();
    form->activateWindow();
    edit->setFocus();
    ASSERT_TRUE(testsupport::WaitFor([&] { return edit->hasFocus(); }));
    QApplication::clipboard()->setText("what the user copied");
    edit->setText("Note: ");
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(edit->text(), "Note: See the package's README and changelog under /usr/share/doc.");
    EXPECT_EQ(QApplication::clipboard()->text(), "what the user copied");
    // A read-only edit takes nothing, and the key goes on as usual.
    edit->setReadOnly(true);
    edit->clearFocus();
    edit->setFocus();
    ASSERT_TRUE(testsupport::WaitFor([&] { return edit->hasFocus(); }));
    const QString before = edit->text();
    QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(edit->text(), before);
}

TEST_F(MainFormTest, shortcut_values_and_duplicate_macros) {
    struct Row {
        int key;
        Qt::KeyboardModifiers modifiers;
        int expected;
    };
    const Row rows[] = {{Qt::Key_D, Qt::ControlModifier | Qt::AltModifier, 0x44 + 0x4000 + 0x8000},
                        {Qt::Key_5, Qt::ShiftModifier, 0x35 + 0x2000},
                        {Qt::Key_F2, Qt::NoModifier, 0x71},
                        {Qt::Key_Percent, Qt::ControlModifier, 0}};
    for (const Row& r : rows) EXPECT_EQ(TMainForm::ShortcutOfKey(r.key, r.modifiers), r.expected) << r.key;
}

TEST_F(MainFormTest, field_hints_are_built_from_the_field_definition) {
    const int v = ViewControl().AddViewDef();
    const int f = ViewControl().AddFieldDef(v);
    ViewControl().SetFieldHint(v, f, "Release|of the package");
    ViewControl().SetFieldMask(v, f, "!99/99/0000;1;_");
    const QString marker = QStringLiteral("~~VFH%1%2").arg(v, 3, 10, QLatin1Char('0')).arg(f, 3, 10, QLatin1Char('0'));
    EXPECT_EQ(TMainForm::ExpandFieldHint(marker, {}), "");  // no hint part switched on
    ViewControl().SetFieldShowHint(v, f, true);
    ViewControl().SetFieldMaskInHint(v, f, true);
    EXPECT_EQ(TMainForm::ExpandFieldHint(marker, {}), "Release\rof the package\r!99/99/0000;1;_");
    EXPECT_EQ(TMainForm::ExpandFieldHint("plain hint", {}), "plain hint");
}

TEST_F(MainFormTest, whats_this_shows_the_help_of_the_control_it_was_opened_on) {
    DialogAnswerer answers;
    QDir().mkpath(m_dir.filePath("Help"));
    for (const char* page : {"30000.html", "30002.html"}) {
        QFile f(m_dir.filePath(QStringLiteral("Help/") + page));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QStringList opened;
    ui::HelpService::SetHelpFile(m_dir.filePath("Help/Dossara.hlp"));
    ui::HelpService::SetPageOpener([&](const QString& page) {
        opened << QFileInfo(page).fileName();
        return true;
    });
    form->show();
    // The dock panel by its help context, a tool button (no help context) by its Tag.
    form->ShowControlHelp(form->LeftDockPanel);
    form->ShowControlHelp(form->findChild<QWidget*>("TB_FileNew"));
    EXPECT_EQ(opened, (QStringList{"30000.html", "30002.html"}));
    // Edit controls get the edit pop-up menu.
    auto* edit = new QLineEdit(form->LeftDockPanel);
    edit->show();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2), edit->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(edit, &menuEvent);
    ASSERT_TRUE(testsupport::WaitFor([&] { return form->PU_TextEdit->isVisible(); }));
    form->PU_TextEdit->close();
    ui::HelpService::SetPageOpener({});
    ui::HelpService::SetHelpFile({});
}

TEST_F(MainFormTest, favourites_menu_skips_blank_names) {
    core::WriteWinRegInt("Favorites", "Count", 3);
    core::WriteWinRegString("Favorites", "Name1", "Sample");
    core::WriteWinRegString("Favorites", "Path1", sample);
    core::WriteWinRegString("Favorites", "Name2", "  ");
    core::WriteWinRegString("Favorites", "Name3", "Third");
    form->BuildFavoritesMenu();
    QList<int> tags;
    for (QAction* a : form->M_Favorites->actions())
        if (a->isVisible()) tags << a->property("Tag").toInt();
    EXPECT_EQ(tags, (QList<int>{1, 3}));
    DialogAnswerer answers;
    form->findChild<QAction*>("M_Favorite1")->trigger();
    EXPECT_TRUE(Globals().DatabaseOpen);
    core::WriteWinRegInt("Favorites", "Count", 0);
    form->BuildFavoritesMenu();
    ASSERT_EQ(form->M_Favorites->actions().size(), 1);
    EXPECT_TRUE(form->M_Favorites->actions()[0]->isVisible());
}

TEST_F(MainFormTest, windows_menu_lists_view_windows_in_ordinal_order) {
    DialogAnswerer answers;
    start({});
    for (const char* name : {"Zeta", "alpha", "Beta"}) {
        const int v = ViewControl().AddViewDef();
        ViewControl().SetViewName(v, name);
        form->AddViewWindowItem(v);
    }
    form->AddViewWindowItem(0);  // already listed
    QStringList captions;
    const QList<QAction*> items = form->M_Windows->actions();
    for (int i = 3; i < items.size(); ++i) captions << items[i]->text();
    EXPECT_EQ(captions, (QStringList{"Beta", "Zeta", "alpha"}));
    form->RemoveViewWindowItem(0);
    EXPECT_EQ(form->M_Windows->actions().size(), 5);
}

TEST_F(MainFormTest, commands_of_other_parts_are_enabled_by_their_registration) {
    DialogAnswerer answers;
    start({});
    EXPECT_FALSE(form->A_Preferences->isEnabled());
    EXPECT_FALSE(form->A_FileNew->isEnabled());
    EXPECT_TRUE(form->A_FileNew->isVisible());
    int runs = 0;
    core::RegisterCommand("A_Preferences", [&] { ++runs; });
    form->EnableDatabaseActions(false);
    EXPECT_TRUE(form->A_Preferences->isEnabled());
    EXPECT_TRUE(testsupport::TriggerAction(form.get(), "A_Preferences"));
    EXPECT_EQ(runs, 1);
    // Every command shows a picture.
    for (QAction* a : form->findChildren<QAction*>())
        if (a->objectName().startsWith("A_")) {
            EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
        }
    // The hidden commands answer with their fixed texts.
    answers.ExpectMessage("^Not implemented yet.$", ui::Button::Ok);
    form->A_EditReplace->setEnabled(true);
    form->A_EditReplace->trigger();
}

// Commands that stay hidden until they are built (their toolbar buttons carry the marker
// that keeps stored toolbar states off them) are still hidden once a database is open; a
// command nothing has registered yet says so in its hint, and loses that once registered.
TEST_F(MainFormTest, unbuilt_commands_stay_hidden_or_say_so_in_their_hint) {
    DialogAnswerer answers;
    start({"/db:" + sample});
    ASSERT_TRUE(Globals().DatabaseOpen);
    QApplication::processEvents();
    for (QAction* a : {form->A_SpellCheck, form->A_Repair}) {
        SCOPED_TRACE(a->objectName().toStdString());
        EXPECT_FALSE(a->isVisible());
        for (QToolBar* bar : {form->EditToolBar, form->ToolsToolbar})
            if (QWidget* button = bar->widgetForAction(a)) {
                EXPECT_FALSE(button->isVisible());
            }
    }
    // The customize warning points to no tool that is not there yet.
    {
        TCustomizeWarn warning;
        const QString text = warning.WarnMemo->toPlainText();
        EXPECT_TRUE(text.startsWith("Customizing a View could possibly cause loss of or damage to your data."));
        EXPECT_TRUE(text.contains("make a backup")) << text.toStdString();
        EXPECT_FALSE(text.contains("Save database as")) << text.toStdString();
        EXPECT_FALSE(text.contains("Check and Repair")) << text.toStdString();
        core::RegisterCommand("A_FileSaveAs", [] {});
        TCustomizeWarn withSaveAs;
        EXPECT_TRUE(withSaveAs.WarnMemo->toPlainText().contains("by selecting \"Save database as\" from the File menu"));
    }
    EXPECT_FALSE(form->A_FileNew->isEnabled());
    EXPECT_EQ(form->A_FileNew->statusTip(), "New database (not available yet)");
    EXPECT_EQ(form->A_FileNew->toolTip(), "New database (not available yet)");
    core::RegisterCommand("A_FileNew", [] {});
    form->EnableDatabaseActions(true);
    EXPECT_TRUE(form->A_FileNew->isEnabled());
    EXPECT_EQ(form->A_FileNew->statusTip(), "New database");
    EXPECT_EQ(form->A_FileNew->toolTip(), "New database");
}

// A link that cannot be opened (no browser set up) is reported to the user.
TEST_F(MainFormTest, a_web_link_that_cannot_be_opened_is_reported) {
    DialogAnswerer answers;
    start({});
    QStringList tried;
    TURL::SetOpener([&](const QString& a) {
        tried << a;
        return false;
    });
    answers.ExpectMessage("^The link \"http://www\\.dossara\\.org\" could not be opened\\.", ui::Button::Ok);
    form->A_OnlineMain->trigger();
    EXPECT_EQ(answers.Pending(), 0);
    EXPECT_EQ(tried, QStringList{"http://www.dossara.org"});
    TURL::SetOpener({});
}

// A database the program cannot write to opens with one message saying so; closing it
// writes no layout into its settings table and shows no engine error.
TEST_F(MainFormTest, a_read_only_database_says_so_once_and_closes_without_writing) {
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    for (const QString& name : QDir(sample).entryList(QDir::Files)) QFile::setPermissions(sample + "/" + name, readOnly);
    QFile::setPermissions(sample, readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    const auto settingsBytes = [this] {
        QFile f(sample + "/Registry.DB");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = settingsBytes();
    {
        DialogAnswerer answers;  // any other message fails the test
        answers.ExpectMessage("^The database \"" + QRegularExpression::escape(sample) + "\" is read-only\\. ",
                              ui::Button::Ok);
        start({"/db:" + sample});
        ASSERT_TRUE(Globals().DatabaseOpen);
        EXPECT_TRUE(Globals().DatabaseReadOnly);
        EXPECT_EQ(answers.Pending(), 0);
        form->resize(700, 500);
        QApplication::processEvents();
        form->CloseDatabase(true);
        EXPECT_FALSE(Globals().DatabaseOpen);
        EXPECT_FALSE(Globals().DatabaseReadOnly);
    }
    EXPECT_EQ(settingsBytes(), before);
    QFile::setPermissions(sample, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const QString& name : QDir(sample).entryList(QDir::Files))
        QFile::setPermissions(sample + "/" + name, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(LastResortHandler, each_kind_of_failure_has_its_message) {
    struct Case {
        std::function<void()> raise;
        const char* pattern;
        int helpContext;
    };
    const Case cases[] = {
        {[] { throw std::bad_alloc(); }, "You have run out of available memory", 10054},
        {[] { throw format::EConvertError("'x' is not a valid date", format::kInvalidDate); },
         "^Conversion error: 'x' is not a valid date$", 10055},
        {[] { throw db::EDBEngineError(db::ErrorCode::kKeyViolation); }, "The record you are trying to save already exists",
         10058},
        {[] { throw db::EDBEngineError(db::ErrorCode::kTableLocked); },
         "A Database Engine error has occurred.*Message: \\[Code 10245: ", 10059},
        {[] { throw std::runtime_error("boom"); }, "A system error has occured.*Message: \\[boom\\]", 10060},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        DialogAnswerer answers;
        answers.ExpectMessage(c.pattern, ui::Button::Ok);
        EXPECT_FALSE(core::RunLastResort(c.raise));
        ASSERT_EQ(answers.Messages().size(), 1u);
        EXPECT_EQ(answers.Messages()[0].helpContext, c.helpContext);
    }
}

TEST(WebLink, prefixes_and_empty_addresses) {
    QStringList opened;
    TURL::SetOpener([&](const QString& a) {
        opened << a;
        return true;
    });
    TURL url;
    EXPECT_FALSE(url.Execute());
    url.SetURL("someone@example.org");
    url.SetURLType(TURLType::utMailto);
    EXPECT_TRUE(url.Execute());
    url.SetURL("http://example.org/" + QString(200, 'a'));
    url.SetURLType(TURLType::utHttp);
    EXPECT_TRUE(url.Execute());
    EXPECT_EQ(opened, (QStringList{"mailto:someone@example.org", "http://http://example.org/" + QString(200, 'a')}));
    TURL::SetOpener({});
}

TEST(CommandLine, switches_in_any_case) {
    struct Row {
        QStringList parameters;
        bool repair;
        QString folder;
    };
    const Row rows[] = {{{"/db:/data/a"}, false, "/data/a"},
                        {{"/DB:/a", "/Db:/b"}, false, "/b"},
                        {{" /repair "}, true, ""},
                        {{"/REPAIRS", "/DBX"}, false, ""},
                        {{"/Repair", "/DB: /x "}, true, " /x "}};
    for (const Row& r : rows) {
        const auto line = core::ParseCommandLine(r.parameters);
        EXPECT_EQ(line.Repair, r.repair) << r.parameters.join(' ').toStdString();
        EXPECT_EQ(line.DatabaseFolder, r.folder) << r.parameters.join(' ').toStdString();
    }
}

TEST(PrivateFolder, numbered_folders_with_lock_files_and_leftovers) {
    QTemporaryDir dir;
    const QString root = dir.filePath("Private");
    // Another program runs with folder 1; a killed one left folder 2 with its files.
    testsupport::ChildProcess running([root](int, int out) {
        QString folder = root;
        if (!core::SetPrivateDirectory(folder)) return 1;
        testsupport::ChildProcess::ChildSend(out, folder.endsWith("/1") ? 'y' : 'n');
        ::pause();
        return 0;
    });
    ASSERT_EQ(running.Receive(), 'y');
    {
        testsupport::ChildProcess killed([root](int, int out) {
            QString folder = root;
            if (!core::SetPrivateDirectory(folder)) return 1;
            QFile scratch(folder + "/scratch.tmp");
            if (!scratch.open(QIODevice::WriteOnly)) return 1;
            testsupport::ChildProcess::ChildSend(out, folder.endsWith("/2") ? 'y' : 'n');
            ::pause();
            return 0;
        });
        ASSERT_EQ(killed.Receive(), 'y');
        killed.Kill();
        EXPECT_EQ(killed.Wait(), -SIGKILL);
    }
    ASSERT_TRUE(QFileInfo::exists(root + "/2/scratch.tmp"));
    QString folder = root;
    DialogAnswerer answers;
    ASSERT_TRUE(core::SetPrivateDirectory(folder));
    EXPECT_EQ(folder, root + "/2");  // the killed program's folder, emptied
    EXPECT_TRUE(QFile::exists(root + "/2/Temp.2"));
    EXPECT_FALSE(QFile::exists(root + "/2/scratch.tmp"));
    Globals().PrivateFolder = folder;
    QFile scratch(folder + "/scratch.tmp");
    ASSERT_TRUE(scratch.open(QIODevice::WriteOnly));
    scratch.close();
    core::ReleasePrivateDirectory();
    EXPECT_FALSE(QFileInfo::exists(root + "/2"));  // deleted for good, not moved to a trash
    EXPECT_TRUE(QFileInfo::exists(root + "/1/Temp.1"));
    // After a hundred killed programs the next one still gets a folder of its own.
    for (int k = 0; k < 3; ++k) {
        testsupport::ChildProcess victim([root](int, int out) {
            QString folder = root;
            testsupport::ChildProcess::ChildSend(out, core::SetPrivateDirectory(folder) ? 'y' : 'n');
            ::pause();
            return 0;
        });
        ASSERT_EQ(victim.Receive(), 'y');
        victim.Kill();
        victim.Wait();
    }
    folder = root;
    ASSERT_TRUE(core::SetPrivateDirectory(folder));
    EXPECT_EQ(folder, root + "/2");
    Globals().PrivateFolder = folder;
    core::ReleasePrivateDirectory();
    running.Kill();
    running.Wait();
    // With every number taken the warning comes and start-up goes on.
    QDir(root).removeRecursively();
    QDir().mkpath(root);
    for (int n = 1; n <= 100; ++n) {
        QFile f(QStringLiteral("%1/%2").arg(root).arg(n));  // a file where the folder would be
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    folder = root;
    answers.ExpectMessage("Unable to initialize the BDE Private directory", ui::Button::Ok, ui::MessageKind::Warning);
    EXPECT_FALSE(core::SetPrivateDirectory(folder));
    EXPECT_EQ(folder, root);
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10028);
}

TEST(StartupFolders, derived_from_the_program_folder_or_the_user_folders) {
    DialogAnswerer answers;
    QTemporaryDir dir;
    settings::SetConfigRoot(dir.filePath("config"));
    QDir().mkpath(dir.filePath("Library"));
    core::StartupInit(dir.path());
    TGlobals& g = Globals();
    EXPECT_EQ(g.ProgramFolder, QDir::cleanPath(dir.path()) + "/");
    EXPECT_EQ(g.LibraryFolder, g.ProgramFolder + "Library");
    EXPECT_EQ(g.NetworkFolder, g.ProgramFolder + "Network");
    EXPECT_TRUE(QFileInfo(g.NetworkFolder).isDir());
    EXPECT_EQ(g.PrivateFolder, g.ProgramFolder + "Private/1");
    EXPECT_EQ(g.LastFolder, g.ProgramFolder);
    core::ReleasePrivateDirectory();
    // A network folder that cannot be made is reported, and start-up goes on.
    QTemporaryDir blocked;
    QFile file(blocked.filePath("Network"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    answers.ExpectMessage("Unable to initialize the BDE Network directory", ui::Button::Ok, ui::MessageKind::Warning);
    core::StartupInit(blocked.path());
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10029);
    EXPECT_EQ(g.PrivateFolder, QDir::cleanPath(blocked.path()) + "/Private/1");
    core::ReleasePrivateDirectory();
    // A folder the program cannot write to (/proc refuses new files even to root): the
    // writable folders go to the user's cache, the shipped Library is found in the user's
    // data folder.
    const QString userLibrary =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath("dossara/Library");
    QDir().mkpath(userLibrary);
    core::StartupInit("/proc");
    EXPECT_EQ(g.ProgramFolder, "/proc/");
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    // The first numbered folder no running program holds: another copy of this test program
    // may hold the first ones.
    EXPECT_TRUE(QRegularExpression("^" + QRegularExpression::escape(QDir(cache).filePath("dossara/Private/")) + "[1-9][0-9]*$")
                    .match(g.PrivateFolder)
                    .hasMatch())
        << g.PrivateFolder.toStdString();
    EXPECT_EQ(g.NetworkFolder, QDir(cache).filePath("dossara/Network"));
    EXPECT_EQ(g.LibraryFolder, userLibrary);
    EXPECT_EQ(g.TemplateFolder, "/proc/Template");
    core::ReleasePrivateDirectory();
    QDir(userLibrary).removeRecursively();
}

TEST(Splash, shows_the_version_and_is_held_for_its_time) {
    TSplashScreen splash("1.0.0");
    EXPECT_EQ(splash.size(), QSize(453, 254));
    EXPECT_EQ(splash.VersionLabel->text(), "Version 1.0.0");
    splash.show();
    grab(&splash, "splash_screen");

    DialogAnswerer answers;
    QTemporaryDir dir;
    settings::SetConfigRoot(dir.filePath("config"));
    copyFolder(kBin + "/Library", dir.filePath("Library"));
    Globals().LibraryFolder = dir.filePath("Library");
    core::WriteWinRegBool("Preferences", "ReopenLastDatabase", false);
    TMainForm form;
    TMainDataMod data(&form);
    form.SetDataModule(&data);
    QPointer<TSplashScreen> held = new TSplashScreen("1.0.0");
    held->show();
    form.SetSplash(held);
    QElapsedTimer clock;
    clock.start();
    form.show();
    ASSERT_TRUE(testsupport::WaitFor([&] { return held.isNull(); }, 20000));
    EXPECT_GE(clock.elapsed(), 1000);
    form.close();
}

/// Two programs started on one program folder take private folders 1 and 2 and both open
/// the same database.
TEST(Program, two_programs_on_one_folder) {
    QTemporaryDir dir;
    copyFolder(kBin + "/Library", dir.filePath("Library"));
    copyFolder(kBin + "/Sample", dir.filePath("Sample"));
    // Both programs skip the Getting Started wizard, as for a user who has switched it off.
    const QString previousRoot = settings::ConfigRoot();
    settings::SetConfigRoot(dir.filePath("config/dossara"));
    core::WriteWinRegBool("Preferences", "ShowStartupWizard", false);
    settings::SetConfigRoot(previousRoot);
    auto startProgram = [&](QProcess& p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("DOSSARA_PROGRAM_FOLDER", dir.path());
        env.insert("DOSSARA_REPORT_READY", "1");
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_CACHE_HOME", dir.filePath("cache"));
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(DOSSARA_PROGRAM), {"/DB:" + dir.filePath("Sample")});
    };
    QProcess first, second;
    QByteArray out1, out2;
    startProgram(first);
    ASSERT_TRUE(testsupport::WaitFor([&] { return (out1 += first.readAll()).contains("dossara: ready"); }, 60000))
        << out1.toStdString();
    startProgram(second);
    ASSERT_TRUE(testsupport::WaitFor([&] { return (out2 += second.readAll()).contains("dossara: ready"); }, 60000))
        << out2.toStdString();
    EXPECT_TRUE(out1.contains("ready (database open)"));
    EXPECT_TRUE(out2.contains("ready (database open)"));
    EXPECT_TRUE(QFile::exists(dir.filePath("Private/1/Temp.1")));
    EXPECT_TRUE(QFile::exists(dir.filePath("Private/2/Temp.2")));
    for (QProcess* p : {&first, &second}) {
        p->kill();
        p->waitForFinished();
    }
    // The opened database went to the shared recent-file list of the user.
    QString stored;
    QDirIterator it(dir.filePath("config"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly)) stored += QString::fromUtf8(f.readAll());
    }
    EXPECT_TRUE(stored.contains(QDir::cleanPath(dir.filePath("Sample")))) << stored.toStdString();
}

}  // namespace
