// Templates through the real main window on copies of the sample database: File > Save
// database as Template, the Template Library Manager with its package export and delete,
// and the package import wizard, including hostile packages.

#include "services/gui/picture_editor.h"
#include "services/tests/folder_checks.h"
#include "services/gui/template_import.h"
#include "services/gui/template_manager.h"
#include "services/gui/template_save.h"
#include "services/tests/zip_fixtures.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/customize_hooks.h"
#include "core/gui/explorer.h"
#include "core/gui/qs_search.h"
#include "core/gui/rebuild_forms.h"
#include "core/main_data_mod.h"
#include "core/search_data.h"
#include "core/tests/sample_main_window.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/view_tables.h"
#include "core/win_registry.h"

#include "fulltext/table/ts_words_table_link.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;
using servicestest::sqlite;
using servicestest::copyFolder;
using servicestest::fingerprint;

/// Every row of every table file of a folder, one text per table, for comparing folders.
std::map<QString, QString> tableRows(const QString& folder) {
    std::map<QString, QString> rows;
    for (const QString& name : QDir(folder).entryList({"*.db", "*.DB"}, QDir::Files, QDir::Name))
        rows[name] = sqlite(folder + "/" + name, QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(name));
    return rows;
}

QImage picture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 160));
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, QColor(240, 200, 40));
    return image;
}

class Templates : public coretest::SampleMainWindow {
protected:
    void SetUp() override {
        savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        // The desktop trash of this test's home (under test mode's data folder).
        QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        PrepareMainWindow();
        Globals().TemplateFolder = m_dir.filePath("Templates");
        Globals().PrivateFolder = m_dir.filePath("Private");
        QDir().mkpath(Globals().PrivateFolder);
        templates = Globals().TemplateFolder;
        copyFolder(QStringLiteral(DOSSARA_BIN_DIR "/Template/Blank"), templates + "/Blank");
        search = std::make_unique<TSearchData>(*data);
        tables = std::make_unique<core::ViewTables>(ViewControl(), *data, *search);
        tables->Install();
        search->Tables = tables.get();
        search->Views = &ViewControl();
        ViewLayer().OpenViewTable = [this](int v) { tables->OpenViewTable(v); };
        ViewLayer().OpenViewDictTable = [this](int v) { tables->OpenViewDictTable(v); };
        core::InstallExplorer(form.get());
        core::InstallSearchCommands(*search, form.get());
        core::Customize().FullRebuild = [this] {
            QTimer closer;
            closer.setInterval(50);
            QObject::connect(&closer, &QTimer::timeout, [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* r = qobject_cast<TRebuildForm*>(w); r && r->CloseBtn->isVisible()) r->CloseBtn->click();
            });
            closer.start();
            ++rebuilds;
            core::Customize().FullRebuildSucceeded = core::RebuildDatabase(*search, form.get());
        };
        InstallTemplateManager(form.get());
        InstallSaveTemplate(form.get());
        OpenSample();
        resetLibrary();
        addTemplate(1, "Blank", templates + "/Blank", "An empty database with one View of notes.", picture(16, 16));
    }
    void TearDown() override {
        qputenv("HOME", savedHome);
        core::Customize().FullRebuild = {};
        ViewLayer() = TViewLayer{};
        core::ClearCommands();
        if (form) form->close();
        form.reset();
        ViewControl().FreeAllViews = {};
        ViewControl().CreateViewComponents = {};
        ViewControl().ApplyFieldRestructure = {};
        ViewControl().Clear();
        tables.reset();
        search.reset();
        Globals().DatabaseOpen = false;
        Globals().CurrentFolder.clear();
    }

    void resetLibrary() {
        db::Table& lib = *data->TemplateLib;
        data->OpenTemplateLib();
        lib.SetIndexName(QString());
        for (lib.First(); !lib.Eof();) lib.Delete();
        lib.Close();
    }
    void addTemplate(int id, const QString& name, const QString& path, const QString& description, const QImage& icon) {
        db::Table& lib = *data->TemplateLib;
        data->OpenTemplateLib();
        lib.Append();
        lib.FieldByName("ID")->SetAsInteger(id);
        lib.FieldByName("Name")->SetAsString(name);
        lib.FieldByName("Path")->SetAsString(path);
        lib.FieldByName("Description")->SetAsString(description);
        lib.FieldByName("Icon")->SetAsBytes(services::BitmapBytes(icon));
        lib.Post();
        lib.Close();
    }
    /// name -> path of the library's rows.
    std::map<QString, QString> library() {
        std::map<QString, QString> rows;
        db::Table lib;
        lib.SetDatabaseName(Globals().LibraryFolder);
        lib.SetTableName("TemplateLib.db");
        lib.Open();
        for (lib.First(); !lib.Eof(); lib.Next()) rows[lib.FieldByName("Name")->AsString()] = lib.FieldByName("Path")->AsString();
        return rows;
    }
    /// Selects the grid row of a template by name.
    static void selectTemplate(TTLManager& m, const QString& name) {
        for (int r = 0; r < m.ImgGrid->rowCount(); ++r)
            if (m.ImgGrid->item(r, 1)->text() == name) m.ImgGrid->setCurrentCell(r, 1);
        ASSERT_EQ(m.TemplateName->text(), name);
    }
    void runManager(DialogAnswerer& answers, std::function<void(TTLManager&)> fill) {
        answers.ExpectModal<TTLManager>(std::move(fill));
        ASSERT_TRUE(testsupport::TriggerAction(form.get(), "A_TLManager"));
        EXPECT_EQ(answers.Pending(), 0) << answers.Prompts().join('\n').toStdString();
    }
    /// A template folder of the sample's 11 files and a help file: 12 files.
    QString makeClubTemplate() {
        const QString club = templates + "/Club";
        copyFolder(sample, club);
        ziptest::WriteFile(club + "/Club.hlp", ziptest::RepositoryText(4000));
        addTemplate(2, "Club: Members", club, "The members of a club.\nOne line each.", picture(48, 40));
        return club;
    }

    QByteArray savedHome;
    QString templates;
    std::unique_ptr<TSearchData> search;
    std::unique_ptr<core::ViewTables> tables;
    int rebuilds = 0;
};

TEST_F(Templates, export_packs_every_file_under_its_bare_name_and_import_gives_the_same_tables) {
    const QString club = makeClubTemplate();
    ASSERT_EQ(QDir(club).entryList(QDir::Files).size(), 14);
    const QStringList before = fingerprint(club);
    const QString out = m_dir.filePath("Out");
    QDir().mkpath(out);
    const QString zip = out + "/Club_ Members.zip";
    const QString imported = m_dir.filePath("Imported/Club");

    DialogAnswerer answers;
    runManager(answers, [&](TTLManager& m) {
        ASSERT_EQ(m.ImgGrid->rowCount(), 2);
        EXPECT_EQ(m.ImgGrid->item(0, 1)->text(), "Blank");
        selectTemplate(m, "Club: Members");
        EXPECT_EQ(m.DBPath->text(), club);
        EXPECT_EQ(m.DescMemo->toPlainText(), "The members of a club.\nOne line each.");
        EXPECT_FALSE(m.A_Save->isEnabled());
        grab(&m, "template_manager");
        answers.ExpectFolder(out);
        answers.ExpectMessage("^Template export complete - 17 files were compressed\\.$", ui::Button::Ok,
                              ui::MessageKind::Information);
        ASSERT_TRUE(testsupport::TriggerAction(&m, "A_Export"));

        answers.ExpectModal<TTemplateImportWizard>([&](TTemplateImportWizard& w) {
            EXPECT_FALSE(w.NextBtn->isEnabled());
            grab(&w, "template_import_start");
            w.ZipPath->setText(zip);
            ASSERT_TRUE(testsupport::Click(&w, "NextBtn"));
            ASSERT_EQ(w.Pages->currentWidget(), w.NewTemplatePage);
            EXPECT_EQ(w.TemplateName->text(), "Club_ Members");
            EXPECT_EQ(w.DescMemo->toPlainText(), "The members of a club.\nOne line each.");
            EXPECT_EQ(w.Picture().size(), QSize(48, 40));
            EXPECT_EQ(w.TemplateFolder->text(), templates + "/");
            grab(&w, "template_import_new");
            w.TemplateName->setText("Imported Club");
            w.TemplateFolder->setText(imported);
            answers.ExpectMessage("^Folder \".*\" does not exist - do you want to create it\\?$", ui::Button::Yes);
            ASSERT_TRUE(testsupport::Click(&w, "FinishBtn"));
        });
        ASSERT_TRUE(testsupport::TriggerAction(&m, "A_Import"));
        EXPECT_EQ(m.TemplateName->text(), "Imported Club");
        EXPECT_EQ(m.ImgGrid->rowCount(), 3);
        testsupport::TriggerAction(&m, "A_Close");
    });
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10148);

    // The archive: 17 entries under bare names, the list of the 14 files, a picture.
    ASSERT_TRUE(ziptest::HaveProgram("unzip"));
    const ziptest::RunResult list = ziptest::RunProgram("unzip", {"-Z1", zip});
    ASSERT_EQ(list.exitCode, 0) << list.output.toStdString();
    const QStringList entries = list.output.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(entries.size(), 17);
    for (const QString& e : entries) EXPECT_FALSE(e.contains('/')) << e.toStdString();
    QStringList expected = QDir(club).entryList(QDir::Files);
    expected << "FileList.txt" << "Image.bmp" << "Desc.txt";
    expected.sort(Qt::CaseInsensitive);
    QStringList got = entries;
    got.sort(Qt::CaseInsensitive);
    EXPECT_EQ(got, expected);
    QProcess unzip;
    unzip.start("unzip", {"-p", zip, "FileList.txt"});
    unzip.waitForFinished();
    const QByteArray fileList = unzip.readAllStandardOutput();
    EXPECT_EQ(fileList.count("\r\n"), 14);
    EXPECT_EQ(fileList.count('\n'), 14);
    QStringList listed = QString::fromUtf8(fileList).split("\r\n", Qt::SkipEmptyParts);
    listed.sort(Qt::CaseInsensitive);
    QStringList clubFiles = QDir(club).entryList(QDir::Files);
    clubFiles.sort(Qt::CaseInsensitive);
    EXPECT_EQ(listed, clubFiles);
    unzip.start("unzip", {"-p", zip, "Image.bmp"});
    unzip.waitForFinished();
    EXPECT_EQ(QImage::fromData(unzip.readAllStandardOutput(), "BMP").size(), QSize(48, 40));
    unzip.start("unzip", {"-p", zip, "Desc.txt"});
    unzip.waitForFinished();
    EXPECT_EQ(unzip.readAllStandardOutput(), "The members of a club.\r\nOne line each.\r\n");
    // The template folder was never written.
    EXPECT_EQ(fingerprint(club), before);

    // The import: the same tables, the package files gone, the library row added.
    EXPECT_EQ(tableRows(imported), tableRows(club));
    EXPECT_EQ(fingerprint(imported).filter("Club.hlp"), before.filter("Club.hlp"));
    EXPECT_EQ(QDir(imported).entryList(QDir::Files).size(), 14);
    EXPECT_EQ(library()["Imported Club"], imported);
    // The preview files went with the wizard.
    EXPECT_EQ(ziptest::FilesBelow(Globals().PrivateFolder), QStringList());
}

TEST_F(Templates, import_refuses_unreadable_packages_and_hostile_entries_stay_inside_the_folder) {
    const QByteArray bmp = services::BitmapBytes(picture(32, 32));
    auto package = [&](const QString& file, std::vector<ziptest::RawEntry> entries) {
        ziptest::WriteFile(m_dir.filePath(file), ziptest::BuildArchive(entries));
        return m_dir.filePath(file);
    };
    const QString noDesc = package("nodesc.zip", {{"Image.bmp", bmp}, {"FileList.txt", "Registry.DB\r\n"}});
    const QString notZip = m_dir.filePath("text.zip");
    ziptest::WriteFile(notZip, "this is no zip archive");
    const QString hostile = package(
        "HOSTILE members.v2.zip",
        {{"Image.bmp", bmp},
         {"Desc.txt", "Arrives from elsewhere.\r\n"},
         {"FileList.txt", "Registry.DB\r\n../escape.txt\r\n"},
         {"Registry.DB", "not really a table"},
         {"../escape.txt", "outside"},
         {"/tmp/dossara-template-escape.txt", "absolute"},
         {"sub/../../up.txt", "up"}});
    const QString outer = m_dir.filePath("outer");
    const QString inner = outer + "/inner";
    QDir().mkpath(outer);

    DialogAnswerer answers;
    runManager(answers, [&](TTLManager& m) {
        answers.ExpectModal<TTemplateImportWizard>([&](TTemplateImportWizard& w) {
            for (const QString& bad : {noDesc, notZip, m_dir.filePath("missing.zip")}) {
                SCOPED_TRACE(bad.toStdString());
                w.ZipPath->setText(bad);
                answers.ExpectMessage("^The specified ZIP file cannot be read, or is not a valid Dossara template "
                                      "package file\\.$",
                                      ui::Button::Ok, ui::MessageKind::Error);
                testsupport::Click(&w, "NextBtn");
                EXPECT_EQ(w.Pages->currentWidget(), w.StartPage);
            }
            // Next shows the preview; Back removes its files.
            w.ZipPath->setText(hostile);
            testsupport::Click(&w, "NextBtn");
            ASSERT_EQ(w.Pages->currentWidget(), w.NewTemplatePage);
            EXPECT_EQ(w.TemplateName->text(), "Hostile Members");
            EXPECT_EQ(ziptest::FilesBelow(Globals().PrivateFolder).filter("Image.bmp").size(), 1);
            testsupport::Click(&w, "BackBtn");
            EXPECT_EQ(ziptest::FilesBelow(Globals().PrivateFolder), QStringList());
            testsupport::Click(&w, "NextBtn");
            ASSERT_EQ(w.Pages->currentWidget(), w.NewTemplatePage);
            // A folder another template uses, and the open database, are refused before
            // anything is extracted.
            w.TemplateFolder->setText(templates + "/Blank");
            answers.ExpectMessage("^A template named .* is already in folder", ui::Button::Ok);
            testsupport::Click(&w, "FinishBtn");
            w.TemplateFolder->setText(sample);
            answers.ExpectMessage("^The database path you specified is the same as the path of the database you have "
                                  "open\\.",
                                  ui::Button::Ok, ui::MessageKind::Error);
            testsupport::Click(&w, "FinishBtn");
            EXPECT_EQ(QDir(templates + "/Blank").entryList(QDir::Files).size(), 9);
            // The hostile entries land inside the folder or nowhere; the listed escape is
            // not accepted as a file of the template.
            w.TemplateFolder->setText(inner);
            answers.ExpectMessage("does not exist - do you want to create it", ui::Button::Yes);
            answers.ExpectMessage("^At least one required file is missing or could not be extracted from the template ZIP "
                                  "file\\. The imported template may not be usable\\.$",
                                  ui::Button::Ok, ui::MessageKind::Warning);
            testsupport::Click(&w, "FinishBtn");
        });
        ASSERT_TRUE(testsupport::TriggerAction(&m, "A_Import"));
        EXPECT_EQ(m.TemplateName->text(), "Hostile Members");
        testsupport::TriggerAction(&m, "A_Close");
    });
    QStringList below = ziptest::FilesBelow(outer);
    for (const QString& f : below) EXPECT_TRUE(f == "inner" || f.startsWith("inner/")) << f.toStdString();
    EXPECT_TRUE(below.contains("inner/Registry.DB"));
    EXPECT_FALSE(below.contains("inner/FileList.txt"));
    EXPECT_FALSE(QFileInfo::exists("/tmp/dossara-template-escape.txt"));
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("escape.txt")));
    EXPECT_EQ(library()["Hostile Members"], inner);
    for (const ui::MessageRequest& r : answers.Messages())
        if (r.text.startsWith("The specified ZIP")) {
            EXPECT_EQ(r.helpContext, 10149);
        }
    EXPECT_EQ(answers.Messages().back().helpContext, 10150);
}

TEST_F(Templates, the_manager_checks_what_is_saved_and_refuses_to_close_with_changes) {
    makeClubTemplate();
    const QString noDatabase = m_dir.filePath("Empty");
    QDir().mkpath(noDatabase);
    DialogAnswerer answers;
    runManager(answers, [&](TTLManager& m) {
        ASSERT_TRUE(testsupport::TriggerAction(&m, "A_Add"));
        EXPECT_TRUE(m.A_Save->isEnabled());
        EXPECT_FALSE(m.A_Delete->isEnabled());
        EXPECT_FALSE(m.ImgGrid->isEnabled());
        struct Case {
            QString path, name, message;
            int helpContext;
        };
        const Case cases[] = {
            {"", "New", "^You must enter a template path\\.$", 10091},
            {noDatabase, "New", "^The folder referred to by the template path does not contain a Dossara database\\.$",
             10095},
            {templates + "/Club", " ", "^You must enter a template name\\.$", 10092},
            {sample, "club: MEMBERS", "^There is already a template named", 10093},
            {templates + "/Club", "Another", "is already in folder", 10094},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.message.toStdString());
            m.DBPath->setText(c.path);
            m.TemplateName->setText(c.name);
            answers.ExpectMessage(c.message, ui::Button::Ok);
            testsupport::TriggerAction(&m, "A_Save");
            EXPECT_EQ(answers.Messages().back().helpContext, c.helpContext);
            EXPECT_TRUE(m.A_Save->isEnabled());
        }
        answers.ExpectMessage("^You must save or cancel your changes before you can continue\\.$", ui::Button::Ok,
                              ui::MessageKind::Error);
        testsupport::TriggerAction(&m, "A_Close");
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(answers.Messages().back().helpContext, 10067);

        m.DBPath->setText(sample + "/./");
        m.TemplateName->setText("Sample packages");
        m.DescMemo->setPlainText("Debian packages by section.");
        testsupport::TriggerAction(&m, "A_Save");
        EXPECT_FALSE(m.A_Save->isEnabled());
        EXPECT_EQ(m.TemplateName->text(), "Sample packages");
        EXPECT_EQ(m.ImgGrid->rowCount(), 3);

        // Editing the shown row, then cancelling, puts the row back.
        m.TemplateName->setText("Renamed");
        EXPECT_TRUE(m.A_Cancel->isEnabled());
        testsupport::TriggerAction(&m, "A_Cancel");
        EXPECT_EQ(m.TemplateName->text(), "Sample packages");
        testsupport::TriggerAction(&m, "A_First");
        EXPECT_EQ(m.TemplateName->text(), "Blank");
        answers.ExpectMessage("^You cannot delete the blank template\\.$", ui::Button::Ok, ui::MessageKind::Error);
        testsupport::TriggerAction(&m, "A_Delete");
        EXPECT_EQ(answers.Messages().back().helpContext, 10096);
        answers.ExpectMessage("^No help is available for that template\\.$", ui::Button::Ok);
        testsupport::TriggerAction(&m, "A_TemplateHelp");
        testsupport::TriggerAction(&m, "A_Last");
        EXPECT_EQ(m.TemplateName->text(), "Sample packages");
        // A new picture from the Graphic Loader's pop-up menu puts the row in edit mode.
        answers.ExpectModal<TLoadGraphic>([&](TLoadGraphic& d) {
            QApplication::clipboard()->setImage(picture(24, 20));
            d.PU_Edit->findChild<QAction*>("PU_Paste")->trigger();
            EXPECT_EQ(d.StatusBar->currentMessage(), "Image from clipboard");
            testsupport::Click(&d, "OKBtn");
        });
        QTest::mouseDClick(m.TemplateImage, Qt::LeftButton);
        EXPECT_TRUE(m.A_Save->isEnabled());
        testsupport::TriggerAction(&m, "A_Save");
        EXPECT_FALSE(m.A_Save->isEnabled());
        testsupport::TriggerAction(&m, "A_Close");
    });
    {
        db::Table lib;
        lib.SetDatabaseName(Globals().LibraryFolder);
        lib.SetTableName("TemplateLib.db");
        lib.Open();
        ASSERT_TRUE(lib.Locate("Name", {"Sample packages"}));
        EXPECT_EQ(QImage::fromData(lib.FieldByName("Icon")->AsBytes(), "BMP").size(), QSize(24, 20));
    }
    EXPECT_EQ(library()["Sample packages"], sample);
    EXPECT_EQ(library().size(), 3u);
}

TEST_F(Templates, deleting_keeps_a_folder_in_use_and_sends_any_other_to_the_trash) {
    const QString club = makeClubTemplate();
    addTemplate(3, "Open one", sample, "Points at the open database.", picture(32, 32));
    const QString favourite = m_dir.filePath("Favourite");
    copyFolder(templates + "/Blank", favourite);
    addTemplate(4, "Favourite one", favourite, "A favourite database.", picture(32, 32));
    core::WriteWinRegInt("Favorites", "Count", 1);
    core::WriteWinRegString("Favorites", "Name1", "Mine");
    core::WriteWinRegString("Favorites", "Path1", favourite);
    DialogAnswerer answers;
    runManager(answers, [&](TTLManager& m) {
        for (const char* name : {"Open one", "Favourite one"}) {
            selectTemplate(m, name);
            answers.ExpectMessage("so it is kept: only the template is removed from the library", ui::Button::Yes,
                                  ui::MessageKind::Confirmation);
            testsupport::TriggerAction(&m, "A_Delete");
        }
        selectTemplate(m, "Club: Members");
        answers.ExpectMessage("^Deleted templates cannot be recovered\\.\n\nAre you sure you want to delete this "
                              "template\\?$",
                              ui::Button::No, ui::MessageKind::Confirmation);
        testsupport::TriggerAction(&m, "A_Delete");
        EXPECT_TRUE(QFileInfo::exists(club));
        answers.ExpectMessage("^Deleted templates cannot be recovered\\.", ui::Button::Yes, ui::MessageKind::Confirmation);
        testsupport::TriggerAction(&m, "A_Delete");
        EXPECT_EQ(m.ImgGrid->rowCount(), 1);
        testsupport::TriggerAction(&m, "A_Close");
    });
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10097);
    EXPECT_TRUE(QFileInfo::exists(sample + "/Registry.DB"));
    EXPECT_TRUE(QFileInfo::exists(favourite + "/Registry.DB"));
    EXPECT_FALSE(QFileInfo::exists(club));
    // The trash holds it.
    bool trashed = false;
    for (QDirIterator it(m_dir.path(), {"Club.hlp"}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        trashed = trashed || it.next().contains("Trash");
    EXPECT_TRUE(trashed);
    EXPECT_EQ(library().size(), 1u);
}

/// The branches of `folder`'s Hierarchy.DB as "NodeID ParentNodeID" lines.
QString tree(const QString& folder) {
    return sqlite(folder + "/Hierarchy.DB", "SELECT NodeID, ParentNodeID FROM \"Hierarchy.DB\" ORDER BY NodeID");
}

/// The tree the template should hold: each branch of a kept View below its nearest ancestor
/// of a kept View, computed by a recursive query over the source's Hierarchy.DB.
QString predictedTree(const QString& folder, const QString& keptTypes) {
    return sqlite(folder + "/Hierarchy.DB",
                  QStringLiteral("WITH RECURSIVE up(id, p) AS ("
                                 " SELECT NodeID, ParentNodeID FROM \"Hierarchy.DB\" WHERE NodeType IN (%1)"
                                 " UNION ALL SELECT up.id, h.ParentNodeID FROM up JOIN \"Hierarchy.DB\" h ON h.NodeID = up.p"
                                 " WHERE h.NodeType NOT IN (%1))"
                                 " SELECT id, p FROM up WHERE p = 0 OR p IN"
                                 " (SELECT NodeID FROM \"Hierarchy.DB\" WHERE NodeType IN (%1)) ORDER BY id")
                      .arg(keptTypes));
}

TEST_F(Templates, save_as_template_keeps_the_ticked_views_and_moves_their_branches_up) {
    struct Case {
        const char* folder;
        std::vector<int> ticked;
    };
    const Case cases[] = {{"Packages only", {2}}, {"Sections and packages", {0, 2}}};
    QStringList dataTables;
    for (int v = 0; v < ViewControl().GetViewCount(); ++v) dataTables << ViewControl().GetViewTableName(v);
    ASSERT_EQ(dataTables, QStringList({"Sections", "Sources", "Packages"}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const QString folder = m_dir.filePath(QLatin1String(c.folder));
        const int rebuildsBefore = rebuilds;
        DialogAnswerer answers;
        answers.ExpectModal<TSaveTemplate>([&](TSaveTemplate& d) {
            ASSERT_EQ(d.CopyViewList->count(), 3);
            EXPECT_EQ(d.CopyViewList->item(0)->text(), ViewControl().GetViewName(0));
            // Refusals first: the open database's folder, a name in use.
            d.DBPath->setText(sample);
            d.TemplateName->setText("New");
            answers.ExpectMessage("^The database path you specified is the same", ui::Button::Ok, ui::MessageKind::Error);
            testsupport::Click(&d, "OKBtn");
            EXPECT_EQ(answers.Messages().back().helpContext, 10128);
            d.DBPath->setText(folder);
            d.TemplateName->setText("BLANK");
            answers.ExpectMessage("^There is already a template named", ui::Button::Ok);
            testsupport::Click(&d, "OKBtn");
            d.TemplateName->setText(QLatin1String(c.folder));
            d.Description->setPlainText("Made from the sample.");
            for (int v : c.ticked) d.CopyViewList->item(v)->setCheckState(Qt::Checked);
            grab(&d, "save_template");
            answers.ExpectMessage("does not exist - do you want to create it", ui::Button::Yes);
            testsupport::Click(&d, "OKBtn");
            EXPECT_EQ(d.Status->text(), "Done");
        });
        ASSERT_TRUE(testsupport::TriggerAction(form.get(), "A_FileSaveTemplate"));
        EXPECT_EQ(answers.Pending(), 0);
        EXPECT_EQ(rebuilds, rebuildsBefore + 1);

        QStringList kept;
        for (int v : c.ticked) kept << QString::number(v);
        const QString predicted = predictedTree(sample, kept.join(','));
        EXPECT_FALSE(predicted.isEmpty());
        EXPECT_EQ(tree(folder), predicted);
        // Emptied Views keep only the row of their index settings.
        for (int v = 0; v < 3; ++v) {
            const bool ticked = std::find(c.ticked.begin(), c.ticked.end(), v) != c.ticked.end();
            const QString table = dataTables[v];
            EXPECT_EQ(sqlite(folder + "/" + table + ".DB", QStringLiteral("SELECT count(*) FROM \"%1.DB\"").arg(table)),
                      ticked ? sqlite(sample + "/" + table + ".DB", QStringLiteral("SELECT count(*) FROM \"%1.DB\"").arg(table))
                             : "0");
            if (!ticked) {
                EXPECT_EQ(sqlite(folder + "/" + table + "Dict.DB", QStringLiteral("SELECT count(*) FROM \"%1Dict.DB\"").arg(table)),
                          "1");
            }
        }
        // No word of a dropped record is left: every word of every word table occurs in
        // what the template keeps.
        QString keptText = sqlite(folder + "/Hierarchy.DB", "SELECT NodeName FROM \"Hierarchy.DB\"");
        for (int v : c.ticked)
            keptText += sqlite(folder + "/" + dataTables[v] + ".DB", QStringLiteral("SELECT * FROM \"%1.DB\"").arg(dataTables[v]));
        keptText = keptText.toLower();
        int words = 0;
        QStringList strays;
        for (const QString& dict : QDir(folder).entryList({"*Dict.DB", "*Dict.db"}, QDir::Files)) {
            for (const QString& w : sqlite(folder + "/" + dict, QStringLiteral("SELECT tsWord FROM \"%1\"").arg(dict)).split('\n')) {
                if (w.isEmpty() || w == TtsWordsTableLink::PropertiesWord()) continue;
                ++words;
                if (!keptText.contains(w.toLower())) strays << dict + ": " + w;
            }
        }
        EXPECT_GT(words, 100);
        EXPECT_TRUE(strays.isEmpty()) << strays.mid(0, 20).join(", ").toStdString();
        // The library row, and the open database open again; the template is no recent file.
        EXPECT_EQ(library()[QLatin1String(c.folder)], folder);
        EXPECT_TRUE(Globals().DatabaseOpen);
        EXPECT_EQ(Globals().CurrentFolder, sample);
        EXPECT_FALSE(services::IsLiveDatabaseFolder(folder));
    }
}

}  // namespace
