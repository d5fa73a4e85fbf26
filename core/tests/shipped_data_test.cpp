#include "core/datagen/database_writer.h"
#include "core/datagen/package_catalogue.h"
#include "core/datagen/shipped_data.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/view_control.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_words_table_link.h"

#include "platform/base/exception.h"
#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/settings/ini_document.h"
#include "testsupport/temp_folder.h"

#include <QDir>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>
#include "test_paths.h"

namespace {

const QString kBin = QStringLiteral(DOSSARA_BIN_DIR);

/// Every table file of a folder passes the table layer's verify.
void ExpectFolderVerifies(const QString& folder) {
    const QStringList tables = db::TableNamesInFolder(folder);
    ASSERT_FALSE(tables.isEmpty()) << folder.toStdString();
    for (const QString& t : tables) {
        SCOPED_TRACE(t.toStdString());
        const db::VerifyResult r = db::VerifyTableFile(folder, t);
        EXPECT_EQ(r.Level, 0) << r.Problems.join(QStringLiteral("; ")).toStdString();
    }
}

/// Opens a shipped database through the main data module and its View definitions, with a
/// table per View as the per-View components will make them.
class ShippedDatabase : public testsupport::TempFolder {
protected:
    void SetUp() override {
        testsupport::TempFolder::SetUp();
        settings::SetConfigRoot(FilePath(QStringLiteral("config")));
    }
    void TearDown() override {
        tables.clear();
        module.reset();
    }
    void Open(const QString& folder) {
        module = std::make_unique<TMainDataMod>(nullptr, &views);
        module->ConnectDatabase(folder);
        views.CreateViewComponents = [this, folder](int v) {
            auto t = std::make_unique<TtsTable>();
            t->SetDatabaseName(folder);
            t->SetTableName(core::ViewTableFile(views.ViewDefs[size_t(v)].DataTableName));
            t->SetIndexFieldNames(QStringLiteral("NodeID"));
            t->Open();
            views.ViewDefs[size_t(v)].DataTable = t.get();
            tables.push_back(std::move(t));
        };
        ASSERT_TRUE(views.LoadViewDefinitions());
    }
    TViewControl views;
    std::unique_ptr<TMainDataMod> module;
    std::vector<std::unique_ptr<TtsTable>> tables;
};

TEST_F(ShippedDatabase, the_sample_opens_through_the_data_module_and_every_branch_locates_its_record) {
    const QString sample = QDir(kBin).filePath(QStringLiteral("Sample"));
    ExpectFolderVerifies(sample);
    Open(sample);
    ASSERT_EQ(views.GetViewCount(), 3);
    EXPECT_EQ(views.GetViewName(2), QStringLiteral("Package"));
    // Text, number, float, date and Boolean fields, masks and hints among the Views.
    QSet<QChar> types;
    int masks = 0;
    for (const TViewDef& v : views.ViewDefs)
        for (const TViewFieldDef& f : v.FieldDefs) {
            types.insert(f.FieldType);
            masks += f.FieldMask.isEmpty() ? 0 : 1;
        }
    EXPECT_EQ(types, (QSet<QChar>{u'S', u'N', u'F', u'D', u'B'}));
    EXPECT_GE(masks, 3);

    db::Table& h = *module->Hierarchy;
    EXPECT_GE(h.RecordCount(), 1000);
    std::map<int, int> parents;
    int notes = 0;
    for (h.First(); !h.Eof(); h.Next()) parents[h.FieldByName("NodeID")->AsInteger()] = h.FieldByName("ParentNodeID")->AsInteger();
    int deepest = 0;
    for (const auto& [id, parent] : parents) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(module->LocateNode(id));
        const int view = h.FieldByName("NodeType")->AsInteger();
        notes += views.ViewDefs[size_t(view)].DataTable->FieldByName("Note")->AsString().isEmpty() ? 0 : 1;
        int depth = 1;
        for (int p = parent; p != 0; p = parents.at(p)) ++depth;
        deepest = std::max(deepest, depth);
    }
    EXPECT_GE(deepest, 3);
    EXPECT_EQ(notes, int(parents.size()));
    EXPECT_EQ(views.NextNodeID, parents.rbegin()->first + 1);

    // The word indexes are built: a package's name is found in the hierarchy's word table.
    TtsWordsTableLink words;
    words.SetTable(module->HierarchyDict);
    words.Open();
    EXPECT_TRUE(words.Locate(u"DPKG", 0));
}

TEST_F(ShippedDatabase, the_sample_view_definitions_load_and_save_back_unchanged) {
    const QString copy = FilePath(QStringLiteral("Copy"));
    QDir().mkpath(copy);
    db::CopyTableFile(QDir(kBin).filePath(QStringLiteral("Sample")), core::kSettingsTableName, copy, core::kSettingsTableName);
    db::Table registry;
    registry.SetDatabaseName(copy);
    registry.SetTableName(core::kSettingsTableName);
    registry.Open();
    auto rows = [&] {
        QStringList r;
        for (registry.First(); !registry.Eof(); registry.Next()) {
            QStringList cells;
            for (int i = 0; i < registry.FieldCount(); ++i) cells << registry.Fields(i)->AsString();
            r << cells.join(u'|');
        }
        return r;
    };
    core::SetSettingsTable(&registry);
    const QStringList before = rows();
    TViewControl control;
    ASSERT_TRUE(control.LoadViewDefinitions());
    registry.StartBatch();
    for (int v = 0; v < control.GetViewCount(); ++v) control.SaveViewDefinition(v);
    registry.EndBatch(true);
    EXPECT_EQ(rows(), before);
    core::SetSettingsTable(nullptr);
}

TEST_F(ShippedDatabase, the_blank_template_opens_and_verifies) {
    const QString blank = QDir(kBin).filePath(QStringLiteral("Template/Blank"));
    ExpectFolderVerifies(blank);
    Open(blank);
    ASSERT_EQ(views.GetViewCount(), 1);
    EXPECT_EQ(module->Hierarchy->RecordCount(), 0);
    EXPECT_EQ(views.NextNodeID, 1000);
    EXPECT_TRUE(QFile::exists(QDir(blank).filePath(core::ViewDictTableFile(views.ViewDefs[0].DataTableName))));
}

TEST_F(ShippedDatabase, the_library_holds_icons_masks_macros_and_the_blank_template) {
    const QString library = QDir(kBin).filePath(QStringLiteral("Library"));
    ExpectFolderVerifies(library);
    TViewControl control;
    TMainDataMod m(nullptr, &control);
    m.ConnectLibrary(library);
    m.LoadViewImages();
    ASSERT_GE(m.ViewImageSmall.size(), 20u);
    for (size_t i = 0; i < m.ViewImageSmall.size(); ++i) {
        EXPECT_EQ(m.ViewImageSmall[i].size(), QSize(16, 16));
        EXPECT_EQ(m.ViewImageLarge[i].size(), QSize(20, 20));
    }
    control.ViewDefs.emplace_back();
    control.ViewDefs[0].GlyphIndex = 3;
    EXPECT_FALSE(control.GetViewSmallIcon(0).isNull());

    m.MaskLibrary->Open();
    EXPECT_GE(m.MaskLibrary->RecordCount(), 10);
    m.MacroLibrary->Open();
    EXPECT_GE(m.MacroLibrary->RecordCount(), 6);
    ASSERT_TRUE(m.MacroLibrary->FindKey({1}));
    EXPECT_EQ(m.MacroLibrary->FieldByName("Shortcut")->AsInteger(), 0x4000 | 0x8000 | 'D');
    m.TemplateLib->SetIndexName(QString());
    m.TemplateLib->AfterOpen = nullptr;  // keep the shipped path as it is
    m.TemplateLib->Open();
    ASSERT_TRUE(m.TemplateLib->FindKey({1}));
    EXPECT_EQ(m.TemplateLib->FieldByName("Name")->AsString(), QStringLiteral("Blank"));
    EXPECT_EQ(m.TemplateLib->FieldByName("Path")->AsString(), QStringLiteral("<TEMPLATES>/Blank"));
}

TEST(ShippedDataSources, shortcut_texts_give_key_codes_with_shift_bits) {
    static const struct {
        const char* text;
        int code;
    } cases[] = {{"Ctrl+Alt+D", 0xC000 | 'D'}, {"Shift+F5", 0x2000 | 0x74}, {"ctrl+1", 0x4000 | '1'},
                 {"Alt+F12", 0x8000 | 0x7B}, {"Ctrl+Shift", 0}, {"Ctrl+Banana", 0}, {"", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(datagen::ShortcutFromText(QString::fromLatin1(c.text)), c.code);
    }
}

TEST(ShippedDataSources, package_stanzas_keep_installed_packages_and_their_long_descriptions) {
    const QByteArray text =
        "Package: tzdata\nStatus: install ok installed\nPriority: required\nSection: localization\n"
        "Installed-Size: 2468\nMaintainer: GNU Libc Maintainers <debian-glibc@lists.debian.org>\n"
        "Architecture: all\nVersion: 2024a-0+deb12u1\nDescription: time zone and daylight-saving time data\n"
        " This package contains data required for the implementation of\n standard local time.\n .\n"
        " Second paragraph.\nHomepage: https://www.iana.org/time-zones\n\n"
        "Package: oldthing\nStatus: deinstall ok config-files\nSource: olds (1.0)\nVersion: 1\n\n"
        "Package: libfoo1\nStatus: install ok installed\nSource: foo (2.0-1)\nVersion: 2.0-1+b1\nEssential: yes\n";
    const auto installed = datagen::ParsePackageStanzas(text, true);
    ASSERT_EQ(installed.size(), 2u);
    EXPECT_EQ(installed[0].Package, QStringLiteral("tzdata"));
    EXPECT_EQ(installed[0].Source, QStringLiteral("tzdata"));
    EXPECT_EQ(installed[0].InstalledSizeKiB, 2468);
    EXPECT_EQ(installed[0].Summary, QStringLiteral("time zone and daylight-saving time data"));
    EXPECT_EQ(installed[0].Description, QStringLiteral("This package contains data required for the implementation "
                                                       "of\nstandard local time.\n\nSecond paragraph."));
    EXPECT_EQ(installed[0].Homepage, QStringLiteral("https://www.iana.org/time-zones"));
    EXPECT_EQ(installed[1].Source, QStringLiteral("foo"));
    EXPECT_TRUE(installed[1].Essential);
    EXPECT_EQ(datagen::ParsePackageStanzas(text, false).size(), 3u);
}

class CatalogueExtract : public testsupport::TempFolder {};

// The sample database is built from the fixed catalogue kept with the sources, never from the
// building machine's own package list: the file reads back, written again, to the same packages.
TEST_F(CatalogueExtract, the_fixed_catalogue_reads_back_equal_after_writing_it_again) {
    const auto packages = datagen::ReadCatalogueExtract(
        QDir::cleanPath(QStringLiteral(TEST_DATA_DIR "/../../../data/sample/packages.txt")));
    ASSERT_GT(packages.size(), 1000u);
    const auto installed = std::count_if(packages.begin(), packages.end(), [](const auto& p) { return p.Installed; });
    EXPECT_GT(installed, 500);
    EXPECT_LT(size_t(installed), packages.size()) << "packages of the archive, not installed, are kept too";
    const QString again = FilePath(QStringLiteral("again.txt"));
    datagen::WriteCatalogueExtract(packages, again);
    const auto reread = datagen::ReadCatalogueExtract(again);
    ASSERT_EQ(reread.size(), packages.size());
    for (size_t i = 0; i < packages.size(); ++i) {
        const auto& a = packages[i];
        const auto& b = reread[i];
        SCOPED_TRACE(a.Package.toStdString());
        EXPECT_EQ(std::tie(a.Package, a.Source, a.Version, a.Architecture, a.Section, a.Priority, a.Maintainer,
                           a.Homepage, a.Summary, a.Description),
                  std::tie(b.Package, b.Source, b.Version, b.Architecture, b.Section, b.Priority, b.Maintainer,
                           b.Homepage, b.Summary, b.Description));
        EXPECT_EQ(std::tie(a.InstalledSizeKiB, a.ArchiveSizeBytes, a.Essential, a.Installed, a.InstalledOn),
                  std::tie(b.InstalledSizeKiB, b.ArchiveSizeBytes, b.Essential, b.Installed, b.InstalledOn));
    }
    EXPECT_THROW(datagen::ReadCatalogueExtract(FilePath(QStringLiteral("missing.txt"))), base::Exception);
}

class ViewSourceFiles : public testsupport::TempFolder {};

TEST_F(ViewSourceFiles, a_faulty_line_is_reported_with_its_place) {
    QFile f(FilePath(QStringLiteral("bad.views")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# comment\n[Field]\nFieldName=x\n");
    f.close();
    try {
        datagen::ReadViewSources(f.fileName());
        FAIL() << "no error";
    } catch (const base::Exception& e) {
        EXPECT_TRUE(e.Message().endsWith(QStringLiteral("bad.views:2: a field before the first View")))
            << e.Message().toStdString();
    }
}

}  // namespace
