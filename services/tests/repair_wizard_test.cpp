// The "Check and Repair" wizard on copies of the sample database and the shipped library:
// every check of Step 1, the database list of Step 2, the table checks of Step 3 against
// sqlite3's own integrity check, the repair log, the search indexes and report dictionary of
// Step 4 with their rebuild, and dossara /REPAIR through the real main window.

#include "services/gui/directory_browse.h"
#include "services/tests/folder_checks.h"
#include "services/gui/repair_wizard.h"

#include "core/command_registry.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"
#include "core/win_registry.h"

#include "platform/db/table.h"
#include "platform/settings/ini_document.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;
using servicestest::sqlite;

const QString kBin = QStringLiteral(DOSSARA_BIN_DIR);

void copyFolder(const QString& from, const QString& to) { servicestest::copyFolder(from, to, true); }

void overwrite(const QString& file, qint64 offset, int count) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(offset));
    f.write(QByteArray(count, '\x5a'));
}

enum class Damage { Header, IndexPage, RowPage };

/// Damages a table file as a crash or a bad disk would: the file header, the B-tree page of
/// its last index, or the root page of its rows (cell pointers into garbage).
void damage(const QString& file, Damage how) {
    if (how == Damage::Header) {
        overwrite(file, 0, 100);
        return;
    }
    const int page = sqlite(file, QStringLiteral("PRAGMA page_size")).toInt();
    const QString type = how == Damage::IndexPage ? QStringLiteral("index") : QStringLiteral("table");
    const int root = sqlite(file, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type = '%1' AND sql IS NOT "
                                                 "NULL ORDER BY rootpage DESC LIMIT 1")
                                      .arg(type))
                         .toInt();
    ASSERT_GT(root, 1) << file.toStdString();
    overwrite(file, qint64(root - 1) * page + 8, 64);
}

/// The program's folders in a temporary folder: the shipped library and templates, a network
/// and a private folder, per-user settings of this test alone.
class RepairWizardTest : public ::testing::Test {
protected:
    void SetUp() override { prepare("program"); }

    /// Makes the program's folders under `name` and a new wizard on them.
    void prepare(const QString& name) {
        ASSERT_TRUE(m_dir.isValid());
        wizard.reset();
        program = m_dir.filePath(name) + "/";
        settings::SetConfigRoot(program + "config");
        copyFolder(kBin + "/Library", program + "Library");
        copyFolder(kBin + "/Template", program + "Template");
        QDir().mkpath(program + "Network");
        QDir().mkpath(program + "Private/1");
        TGlobals& g = Globals();
        g.ProgramFolder = program;
        g.LibraryFolder = program + "Library";
        g.TemplateFolder = program + "Template";
        g.NetworkFolder = program + "Network";
        g.PrivateFolder = program + "Private/1";
        g.LastFolder = program;
        core::WriteWinRegString("Paths", "LibraryPath", program + "Library");
        core::WriteWinRegString("Paths", "TemplatePath", program + "Template");
        core::WriteWinRegString("RecentFiles", "Num", "0");
        wizard = std::make_unique<TRepairWizard>();
        wizard->show();
    }
    void TearDown() override {
        wizard.reset();
        core::SetFolderChooser({});
        Globals().DatabaseOpen = false;
    }

    /// A copy of the sample database under `name`.
    QString sampleCopy(const QString& name) {
        const QString folder = program + name;
        copyFolder(kBin + "/Sample", folder);
        return folder;
    }

    QTreeWidget* list(const char* name) { return testsupport::FindControl<QTreeWidget>(wizard.get(), name); }
    static QString status(QTreeWidget* l, int row) { return l->topLevelItem(row)->text(1); }
    static QString message(QTreeWidget* l, int row) { return l->topLevelItem(row)->text(2); }
    /// The row of `l` whose first column is `caption`.
    static QTreeWidgetItem* row(QTreeWidget* l, const QString& caption) {
        for (int i = 0; i < l->topLevelItemCount(); ++i)
            if (l->topLevelItem(i)->text(0) == caption) return l->topLevelItem(i);
        ADD_FAILURE() << "no row " << caption.toStdString();
        return nullptr;
    }
    bool usable(const char* name) { return testsupport::IsUsable(wizard.get(), name); }
    QWidget* page() { return wizard->PageControl->currentWidget(); }

    /// Runs Step 1 and, when it passes, goes on to Step 2.
    void toStep2() {
        ASSERT_TRUE(testsupport::Click(wizard.get(), "StartBtn"));
        ASSERT_TRUE(usable("Step1NextBtn")) << wizard->Step1Status->text().toStdString();
        ASSERT_TRUE(testsupport::Click(wizard.get(), "Step1NextBtn"));
        ASSERT_EQ(page(), wizard->Step2);
    }

    /// Steps 1 and 2 with `folder` as the only recent database, then Step 3.
    void checkTables(const QString& folder) {
        core::WriteWinRegString("RecentFiles", "Num", "1");
        core::WriteWinRegString("RecentFiles", "File1", folder);
        wizard->ShowFavorites->setChecked(false);
        wizard->ShowTemplates->setChecked(false);
        toStep2();
        ASSERT_EQ(wizard->DatabaseList->topLevelItemCount(), 1);
        ASSERT_TRUE(testsupport::Click(wizard.get(), "Step2NextBtn"));
        ASSERT_EQ(page(), wizard->Step3);
    }

    QStringList logLines() const {
        QFile f(wizard->LogFileName);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        if (lines.value(lines.size() - 1).isEmpty()) lines.removeLast();
        return lines;
    }

    QTemporaryDir m_dir;
    QString program;
    std::unique_ptr<TRepairWizard> wizard;
};

TEST_F(RepairWizardTest, step_1_checks_every_row_for_real_and_never_leaves_the_user_stuck) {
    struct Case {
        const char* name;
        std::function<void(const QString& program)> breakIt;
        int failingRow;  // -1: every row passes
        const char* reason;  // a piece of the failing row's message
    } cases[] = {
        {"sound", [](const QString&) {}, -1, ""},
        {"private folder gone", [](const QString& p) { QDir(p + "Private/1").removeRecursively(); }, 1,
         "does not exist"},
        {"network folder not writable",
         [](const QString& p) {
             QDir(p + "Network").removeRecursively();
             QFile f(p + "Network");  // a file where the folder should be
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
         },
         2, "Network\" cannot be written"},
        {"library table missing", [](const QString& p) { QFile::remove(p + "Library/MaskLib.db"); }, 3, "MaskLib.db"},
        {"library table damaged", [](const QString& p) { damage(p + "Library/MacroLib.db", Damage::Header); }, 5,
         "Severe corruption detected"},
        {"no library folder anywhere",
         [](const QString& p) {
             QDir(p + "Library").removeRecursively();
             core::WriteWinRegString("Paths", "LibraryPath", "");
             Globals().LibraryFolder = p + "Library";
         },
         0, "LibraryPath: no Library folder holding TemplateLib.db was found."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare(QString::fromUtf8(c.name).replace(' ', '-'));
        c.breakIt(program);
        ASSERT_TRUE(testsupport::Click(wizard.get(), "StartBtn"));
        EXPECT_EQ(page(), wizard->Step1);
        QTreeWidget* rows = list("Step1List");
        ASSERT_EQ(rows->topLevelItemCount(), 8);
        EXPECT_TRUE(usable("Step1CloseBtn"));
        if (c.failingRow < 0) {
            for (int i = 0; i < 8; ++i) EXPECT_EQ(status(rows, i), "OK") << i;
            EXPECT_TRUE(usable("Step1NextBtn"));
            EXPECT_TRUE(wizard->Step1Status->text().startsWith("No problems were detected"));
            // The engine check leaves nothing behind in the private folder.
            EXPECT_TRUE(QDir(program + "Private/1").entryList(QDir::Files | QDir::Hidden).isEmpty());
            testsupport::GrabToPng(wizard.get(), "repair_wizard_step1");
            continue;
        }
        for (int i = 0; i < c.failingRow; ++i) EXPECT_EQ(status(rows, i), "OK") << i;
        EXPECT_EQ(status(rows, c.failingRow), "Error");
        EXPECT_TRUE(message(rows, c.failingRow).contains(QString::fromUtf8(c.reason)))
            << message(rows, c.failingRow).toStdString();
        for (int i = c.failingRow + 1; i < 8; ++i) EXPECT_EQ(status(rows, i), "Not checked") << i;
        EXPECT_FALSE(wizard->Step1NextBtn->isEnabled());
        EXPECT_TRUE(wizard->Step1Status->text().contains("\"" + rows->topLevelItem(c.failingRow)->text(0) + "\""))
            << wizard->Step1Status->text().toStdString();
        if (QString(c.name) == "library table damaged") {
            testsupport::GrabToPng(wizard.get(), "repair_wizard_step1_error");
            EXPECT_NE(sqlite(program + "Library/MacroLib.db", "PRAGMA integrity_check"), "ok");
        }
        ASSERT_TRUE(testsupport::Click(wizard.get(), "Step1CloseBtn"));
        EXPECT_EQ(wizard->result(), QDialog::Rejected);
    }
}

TEST_F(RepairWizardTest, step_1_rewrites_a_blank_or_stale_path_with_the_folder_it_finds) {
    struct Case {
        const char* library;
        const char* templates;
        int icon;  // status image of the first row
    } cases[] = {
        {"", "", TRepairWizard::stReset},
        {"/no/such/folder", nullptr, TRepairWizard::stReset},
        {nullptr, "   ", TRepairWizard::stReset},
        {nullptr, nullptr, TRepairWizard::stOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.library ? c.library : "kept") << "|" << (c.templates ? c.templates : "kept"));
        core::WriteWinRegString("Paths", "LibraryPath", c.library ? QString(c.library) : program + "Library");
        core::WriteWinRegString("Paths", "TemplatePath", c.templates ? QString(c.templates) : program + "Template");
        wizard->RepairsMade = false;
        wizard->PageControl->setCurrentWidget(wizard->Welcome);
        ASSERT_TRUE(testsupport::Click(wizard.get(), "StartBtn"));
        QTreeWidget* rows = list("Step1List");
        EXPECT_EQ(rows->topLevelItem(0)->icon(0).cacheKey(), wizard->StatusImages[size_t(c.icon)].cacheKey());
        EXPECT_EQ(core::ReadWinRegString("Paths", "LibraryPath", ""), program + "Library");
        EXPECT_EQ(core::ReadWinRegString("Paths", "TemplatePath", ""), program + "Template");
        EXPECT_EQ(wizard->RepairsMade, c.icon == TRepairWizard::stReset);
        EXPECT_TRUE(usable("Step1NextBtn"));
    }
}

TEST_F(RepairWizardTest, step_2_lists_recent_favourite_and_template_databases) {
    const QString sample = sampleCopy("Sample");
    core::WriteWinRegString("RecentFiles", "Num", "3");
    core::WriteWinRegString("RecentFiles", "File1", program + "Other");
    core::WriteWinRegString("RecentFiles", "File2", "  ");
    core::WriteWinRegString("RecentFiles", "File3", sample);
    core::WriteWinRegInt("Favorites", "Count", 3);
    core::WriteWinRegString("Favorites", "Name1", "Club");
    core::WriteWinRegString("Favorites", "Path1", program + "Club");
    core::WriteWinRegString("Favorites", "Name2", "");
    core::WriteWinRegString("Favorites", "Path2", program + "Nameless");
    core::WriteWinRegString("Favorites", "Name3", "Pathless");
    wizard->Hooks.MostRecent = [&] { return " " + sample.toLower() + " "; };
    toStep2();
    auto rows = [&] {
        QStringList r;
        for (int i = 0; i < wizard->DatabaseList->topLevelItemCount(); ++i)
            r << wizard->DatabaseList->topLevelItem(i)->text(0) + " | " + wizard->DatabaseList->topLevelItem(i)->text(1);
        return r;
    };
    const QStringList recentRows = {program + "Other | Recent", sample + " | Most Recent"};
    const QStringList favouriteRows = {program + "Club | Favorite: Club"};
    const QStringList templateRows = {program + "Template/Blank | Template: Blank"};
    EXPECT_EQ(rows(), recentRows + favouriteRows + templateRows);
    EXPECT_EQ(wizard->DatabaseList->currentItem(), wizard->DatabaseList->topLevelItem(0));
    EXPECT_TRUE(usable("Step2NextBtn"));
    testsupport::GrabToPng(wizard.get(), "repair_wizard_step2");

    wizard->ShowFavorites->click();
    EXPECT_EQ(rows(), recentRows + templateRows);
    EXPECT_TRUE(wizard->DatabaseList->topLevelItem(0)->isSelected());
    wizard->ShowTemplates->click();
    EXPECT_EQ(rows(), recentRows);

    // Next only while a row is selected.
    wizard->DatabaseList->clearSelection();
    EXPECT_FALSE(wizard->Step2NextBtn->isEnabled());
    wizard->DatabaseList->topLevelItem(1)->setSelected(true);
    EXPECT_TRUE(wizard->Step2NextBtn->isEnabled());

    // "Browse for database": the program's folder chooser; a database folder is added and
    // selected, any other folder is refused with the reason.
    core::SetFolderChooser(BrowseForFolder);
    {
        DialogAnswerer answers;
        answers.ExpectModal<TDirectoryBrowse>([&](TDirectoryBrowse& d) {
            d.CurrentDir->setText(program + "Library");
            testsupport::Click(&d, "OKBtn");
        });
        answers.ExpectMessage("does not exist, or is missing required files", ui::Button::Ok, ui::MessageKind::Error);
        answers.ExpectModal<TDirectoryBrowse>([&](TDirectoryBrowse& d) {
            d.CurrentDir->setText(program + "Template/Blank");
            testsupport::Click(&d, "OKBtn");
        });
        ASSERT_TRUE(testsupport::Click(wizard.get(), "BrowseBtn"));
        EXPECT_EQ(rows(), recentRows);
        ASSERT_TRUE(testsupport::Click(wizard.get(), "BrowseBtn"));
    }
    EXPECT_EQ(rows(), recentRows + QStringList{program + "Template/Blank | Chosen folder"});
    EXPECT_EQ(wizard->DatabaseList->selectedItems().value(0), wizard->DatabaseList->topLevelItem(2));
    EXPECT_TRUE(wizard->Step2NextBtn->isEnabled());
}

TEST_F(RepairWizardTest, step_3_verdicts_agree_with_sqlite_and_the_log_names_each_damaged_table) {
    const QString folder = sampleCopy("Damaged");
    damage(folder + "/Sources.DB", Damage::Header);
    damage(folder + "/Hierarchy.DB", Damage::IndexPage);
    damage(folder + "/Sections.DB", Damage::RowPage);
    // A run earlier the same day: its lines stay, the new ones are appended.
    {
        QFile earlier(wizard->LogFileName);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("0\tS3_Index\t1\tE\tearlier run\r\n");
    }
    EXPECT_EQ(QFileInfo(wizard->LogFileName).fileName(),
              "RepairLog" + QDate::currentDate().toString("yyyyMMdd") + ".txt");
    EXPECT_EQ(QFileInfo(wizard->LogFileName).absolutePath(), QDir::cleanPath(program));
    checkTables(folder);

    QTreeWidget* rows = list("Step3List");
    const QStringList files = QDir(folder).entryList({"*.db"}, QDir::Files, QDir::Name);
    ASSERT_EQ(rows->topLevelItemCount(), files.size() + 1);
    QStringList damaged;
    for (int i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].toStdString());
        EXPECT_EQ(rows->topLevelItem(i)->text(0), "Table \"" + files[i] + "\" indexes");
        const bool sqliteSound = sqlite(folder + "/" + files[i], "PRAGMA integrity_check") == "ok";
        EXPECT_EQ(status(rows, i), sqliteSound ? "OK" : "Error");
        if (!sqliteSound) {
            damaged << files[i];
            EXPECT_FALSE(message(rows, i).trimmed().isEmpty());
        }
    }
    EXPECT_EQ(damaged, (QStringList{"Hierarchy.DB", "Sections.DB", "Sources.DB"}));
    EXPECT_EQ(message(rows, files.indexOf("Sources.DB")),
              "Severe corruption detected: Table structure (header) is damaged.");
    EXPECT_EQ(rows->topLevelItem(files.size())->text(0), "Registry table indexes");
    EXPECT_EQ(status(rows, files.size()), "OK");

    // Field by field: counter, step and check, "1", "E", message; two lines per table.
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1 + 2 * damaged.size()) << lines.join("\n").toStdString();
    EXPECT_EQ(lines[0], "0\tS3_Index\t1\tE\tearlier run");
    for (int t = 0; t < damaged.size(); ++t) {
        for (int k = 0; k < 2; ++k) {
            const QStringList fields = lines[1 + 2 * t + k].split('\t');
            ASSERT_EQ(fields.size(), 5);
            EXPECT_EQ(fields[0], QString::number(t));
            EXPECT_EQ(fields[1], "S3_Index");
            EXPECT_EQ(fields[2], "1");
            EXPECT_EQ(fields[3], "E");
            if (k == 0)
                EXPECT_EQ(fields[4], "Table \"" + damaged[t] + "\" is damaged");
            else  // every problem the verify found, on the one line
                EXPECT_EQ(fields[4], rows->topLevelItem(files.indexOf(damaged[t]))->toolTip(2).trimmed().replace('\n', "; "));
        }
    }
    EXPECT_TRUE(wizard->Step3Status->text().contains(QDir::toNativeSeparators(wizard->LogFileName)));
    EXPECT_TRUE(usable("Step3NextBtn"));
    EXPECT_TRUE(usable("Step3CloseBtn"));
    testsupport::GrabToPng(wizard.get(), "repair_wizard_step3");
}

TEST_F(RepairWizardTest, step_3_on_two_damaged_tables_and_on_a_folder_without_tables) {
    {
        SCOPED_TRACE("two damaged tables");
        const QString folder = sampleCopy("Two");
        damage(folder + "/Packages.DB", Damage::RowPage);
        damage(folder + "/tsField.db", Damage::Header);
        checkTables(folder);
        QStringList counters;
        for (const QString& line : logLines()) counters << line.section('\t', 0, 0);
        EXPECT_EQ(counters, (QStringList{"0", "0", "1", "1"}));
    }
    {
        SCOPED_TRACE("no tables");
        QFile::remove(wizard->LogFileName);
        wizard = std::make_unique<TRepairWizard>();
        wizard->show();
        const QString empty = program + "Empty";
        QDir().mkpath(empty);
        QFile(empty + "/notes.txt").open(QIODevice::WriteOnly);
        checkTables(empty);
        QTreeWidget* rows = list("Step3List");
        ASSERT_EQ(rows->topLevelItemCount(), 1);
        EXPECT_EQ(rows->topLevelItem(0)->text(0), "Registry table indexes");
        EXPECT_EQ(status(rows, 0), "Error");
        EXPECT_FALSE(QFile::exists(wizard->LogFileName));
        EXPECT_TRUE(usable("Step3CloseBtn"));
    }
}

TEST_F(RepairWizardTest, step_4_offers_the_rebuild_for_missing_or_damaged_indexes_and_dictionary) {
    const QString folder = sampleCopy("Support");
    QFile::remove(folder + "/PackagesDict.DB");
    damage(folder + "/tsField.db", Damage::Header);
    QStringList rebuilt;
    wizard->Hooks.FullRebuild = [&](const QString& f) {
        rebuilt << f;
        return true;
    };
    checkTables(folder);
    const QString question = "search indexes or report dictionary tables of this database are missing or damaged";
    {
        SCOPED_TRACE("declined");
        DialogAnswerer answers;
        answers.ExpectMessage(question, ui::Button::No, ui::MessageKind::Confirmation);
        ASSERT_TRUE(testsupport::Click(wizard.get(), "Step3NextBtn"));
        EXPECT_EQ(page(), wizard->Step4);
        QTreeWidget* rows = list("Step4List");
        ASSERT_EQ(rows->topLevelItemCount(), 6);  // three Views, the branch titles, two dictionary tables
        EXPECT_EQ(row(rows, "Search index of View \"Package\"")->text(1), "Error");
        EXPECT_TRUE(row(rows, "Search index of View \"Package\"")->text(2).contains("PackagesDict.DB"));
        EXPECT_EQ(row(rows, "Report dictionary table \"tsField.db\"")->text(1), "Error");
        EXPECT_EQ(row(rows, "Report dictionary table \"tsTable.db\"")->text(1), "OK");
        EXPECT_EQ(row(rows, "Branch title search index")->text(1), "OK");
        EXPECT_TRUE(usable("Step4CloseBtn"));
        EXPECT_FALSE(wizard->RepairsMade);
        EXPECT_TRUE(rebuilt.isEmpty());
        EXPECT_FALSE(QFile::exists(folder + "/PackagesDict.DB"));
    }
    {
        SCOPED_TRACE("accepted");
        DialogAnswerer answers;
        answers.ExpectMessage(question, ui::Button::Yes, ui::MessageKind::Confirmation);
        wizard->Step3NextBtnClick();
        QTreeWidget* rows = list("Step4List");
        EXPECT_EQ(row(rows, "Search index of View \"Package\"")->text(1), "Repaired");
        EXPECT_EQ(row(rows, "Report dictionary table \"tsField.db\"")->text(1), "Repaired");
        EXPECT_EQ(row(rows, "Report dictionary table \"tsTable.db\"")->text(1), "OK");
        EXPECT_TRUE(wizard->RepairsMade);
        EXPECT_EQ(rebuilt, QStringList{folder});
        for (const char* file : {"PackagesDict.DB", "tsField.db"})
            EXPECT_EQ(sqlite(folder + "/" + file, "PRAGMA integrity_check"), "ok") << file;
        // The word table was built from the View table's rows again.
        EXPECT_GT(sqlite(folder + "/PackagesDict.DB", "SELECT count(*) FROM \"PackagesDict.DB\"").toInt(), 100);
        EXPECT_TRUE(usable("Step4CloseBtn"));
        EXPECT_FALSE(wizard->Step4NextBtn->isEnabled());
        testsupport::GrabToPng(wizard.get(), "repair_wizard_step4");
    }
}

/// The real main window on a copy of the sample database with the wizard installed.
class RepairFromMainWindow : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        PrepareMainWindow();
        core::RegisterCommand("RepairFromCommandLine", {});
        InstallRepairWizard(form.get());
        core::WriteWinRegString("RecentFiles", "Num", "1");
        core::WriteWinRegString("RecentFiles", "File1", sample);
        QDir().mkpath(Globals().ProgramFolder + "Private/1");
        Globals().PrivateFolder = Globals().ProgramFolder + "Private/1";
        QDir().mkpath(Globals().ProgramFolder + "Network");
        Globals().NetworkFolder = Globals().ProgramFolder + "Network";
        copyFolder(kBin + "/Template", Globals().ProgramFolder + "Template");
        Globals().TemplateFolder = Globals().ProgramFolder + "Template";
        core::WriteWinRegString("Paths", "LibraryPath", Globals().LibraryFolder);
        core::WriteWinRegString("Paths", "TemplatePath", Globals().TemplateFolder);
    }
    void TearDown() override {
        core::ClearCommands();
        if (form) form->close();
        form.reset();
        ViewControl().Clear();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    /// Walks the wizard through every step on the sample and closes it on Step 4.
    static void walk(TRepairWizard& w, bool pictures) {
        if (pictures) testsupport::GrabToPng(&w, "repair_wizard_welcome");
        ASSERT_TRUE(testsupport::Click(&w, "StartBtn"));
        ASSERT_TRUE(testsupport::IsUsable(&w, "Step1NextBtn")) << w.Step1Status->text().toStdString();
        ASSERT_TRUE(testsupport::Click(&w, "Step1NextBtn"));
        ASSERT_TRUE(testsupport::Click(&w, "Step2NextBtn"));
        ASSERT_TRUE(testsupport::Click(&w, "Step3NextBtn"));
        EXPECT_EQ(w.PageControl->currentWidget(), w.Step4);
        for (int i = 0; i < w.Step4List->topLevelItemCount(); ++i)
            EXPECT_EQ(w.Step4List->topLevelItem(i)->text(1), "OK") << w.Step4List->topLevelItem(i)->text(0).toStdString();
        ASSERT_TRUE(testsupport::Click(&w, "Step4CloseBtn"));
    }
};

TEST_F(RepairFromMainWindow, repair_switch_runs_the_wizard_and_ends_with_the_restart_message) {
    DialogAnswerer answers;
    QString checked;
    answers.ExpectModal<TRepairWizard>([&](TRepairWizard& w) {
        walk(w, true);
        checked = w.Step3Path->text();
    });
    answers.ExpectMessage("^Dossara must be restarted for the repairs to take effect\\. \nThe program will shut down "
                          "now\\.\nYou can run Dossara again immediately\\.$",
                          ui::Button::Ok, ui::MessageKind::Information);
    form->SetParameters({"/REPAIR"});
    form->show();
    ASSERT_TRUE(testsupport::WaitFor([&] { return !form->isVisible(); }, 60000));
    EXPECT_EQ(answers.Pending(), 0);
    EXPECT_EQ(checked, sample);
    EXPECT_FALSE(Globals().DatabaseOpen);
}

TEST_F(RepairFromMainWindow, an_open_database_is_closed_first_or_nothing_happens) {
    OpenSample();
    const QString question = "Repairs cannot be done while a database is open\\.\nDo you want to close the database "
                             "and continue with repairs\\?";
    {
        DialogAnswerer answers;
        answers.ExpectMessage(question, ui::Button::No, ui::MessageKind::Confirmation);
        RunRepairWizard(*form, false);
        EXPECT_TRUE(Globals().DatabaseOpen);
        EXPECT_TRUE(form->isVisible());
    }
    {
        // Nothing repaired and not started from the command line: the program goes on.
        DialogAnswerer answers;
        answers.ExpectMessage(question, ui::Button::Yes, ui::MessageKind::Confirmation);
        answers.ExpectModal<TRepairWizard>([&](TRepairWizard& w) {
            EXPECT_FALSE(Globals().DatabaseOpen);
            walk(w, false);
        });
        RunRepairWizard(*form, false);
        EXPECT_EQ(answers.Pending(), 0);
        EXPECT_FALSE(Globals().DatabaseOpen);
        EXPECT_TRUE(form->isVisible());
    }
}

}  // namespace
