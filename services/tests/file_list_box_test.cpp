#include "services/errors.h"
#include "services/gui/directory_tree.h"
#include "services/gui/file_list_box.h"

#include "platform/shell/volumes.h"

#include "testsupport/temp_folder.h"
#include "testsupport/widget_helpers.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class FileListBox : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        for (const char* name : {"b.txt", "A.txt", "notes.md", "image.png", "tool.exe", "other.exe", ".hidden.txt"}) {
            QFile f(FilePath(QLatin1String(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(name);
        }
        QDir().mkpath(FilePath(QStringLiteral("zeta")));
        QDir().mkpath(FilePath(QStringLiteral("Alpha")));
        shell::SetVolumeSource([] {
            return std::vector<shell::Volume>{{QStringLiteral("/"), {}, QStringLiteral("/dev/sda1"), QStringLiteral("ext4"),
                                               false, false, false, "root"}};
        });
    }
    void TearDown() override { shell::SetVolumeSource({}); }

    static QStringList Items(const TPlFileListBox& list) {
        QStringList names;
        for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
        return names;
    }
};

TEST_F(FileListBox, masks_and_file_types_choose_the_entries_folders_first_then_names_without_case) {
    struct Case {
        const char* label;
        QString mask;
        TFileType type;
        QStringList items;
    };
    const Case cases[] = {
        {"every file", "*.*", TFileAttr::ftNormal, {"A.txt", "b.txt", "image.png", "notes.md", "other.exe", "tool.exe"}},
        {"two patterns", "*.txt;*.md", TFileAttr::ftNormal, {"A.txt", "b.txt", "notes.md"}},
        {"two patterns and folders", "*.md;*a*", TFileAttr::ftNormal | TFileAttr::ftDirectory,
         {"Alpha", "zeta", "image.png", "notes.md"}},
        {"every name and folders", "*.*", TFileAttr::ftNormal | TFileAttr::ftDirectory,
         {"Alpha", "zeta", "A.txt", "b.txt", "image.png", "notes.md", "other.exe", "tool.exe"}},
        {"hidden files too", "*.txt", TFileAttr::ftNormal | TFileAttr::ftHidden, {".hidden.txt", "A.txt", "b.txt"}},
        {"names are case-sensitive", "*.TXT", TFileAttr::ftNormal, {}},
    };
    const QString current = QDir::currentPath();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TPlFileListBox list;
        list.SetFileType(c.type);
        list.SetMask(c.mask);
        list.SetDirectory(Path());
        EXPECT_EQ(Items(list), c.items);
        EXPECT_EQ(QDir::currentPath(), current) << "reading never changes the current folder";
    }
}

TEST_F(FileListBox, files_share_one_icon_per_extension_and_programs_are_never_cached) {
    TPlFileListBox list;
    const int before = services::CachedFileIconCount();
    list.SetDirectory(Path());
    const auto icon = [&list](const char* name) {
        return list.findItems(QLatin1String(name), Qt::MatchExactly).first()->icon().cacheKey();
    };
    EXPECT_EQ(icon("A.txt"), icon("b.txt"));
    EXPECT_LE(services::CachedFileIconCount() - before, 3) << "txt, md and png at most; never exe";
    list.SetShowGlyphs(false);
    EXPECT_TRUE(list.item(0)->icon().isNull());
}

TEST_F(FileListBox, file_name_sets_folder_and_mask_or_selects_and_a_missing_file_raises_42500) {
    TPlFileListBox list;
    list.SetDirectory(QStringLiteral("/"));
    list.SetFileName(FilePath(QStringLiteral("*.md")));
    EXPECT_EQ(list.Directory(), Path());
    EXPECT_EQ(list.Mask(), QStringLiteral("*.md"));
    EXPECT_EQ(Items(list), QStringList{"notes.md"});
    list.SetFileName(FilePath(QStringLiteral("b.txt")));
    EXPECT_EQ(list.FileName(), FilePath(QStringLiteral("b.txt")));
    EXPECT_EQ(list.Mask(), QStringLiteral("b.txt"));
    try {
        list.SetFileName(FilePath(QStringLiteral("missing.txt")));
        ADD_FAILURE() << "no error raised";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Code(), 42500);
        EXPECT_EQ(e.Message(), QStringLiteral("The %1 file does not exist").arg(FilePath(QStringLiteral("missing.txt"))));
    }
}

TEST_F(FileListBox, a_linked_list_follows_the_tree_and_a_double_click_enters_a_folder) {
    QWidget form;
    form.setObjectName(QStringLiteral("DemoForm"));
    auto* label = new QLabel(&form);
    label->setObjectName(QStringLiteral("DirLabel"));
    auto* tree = new TPlDirectoryTree(&form);
    tree->setObjectName(QStringLiteral("DirTree"));
    auto* list = new TPlFileListBox(&form);
    list->setObjectName(QStringLiteral("FileList"));
    list->SetFileType(TFileAttr::ftNormal | TFileAttr::ftDirectory);
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(label);
    layout->addWidget(tree);
    layout->addWidget(list);
    tree->SetDirLabel(label);
    tree->SetFileList(list);
    tree->SetDirectory(Path());
    EXPECT_EQ(list->Directory(), Path());
    form.resize(420, 480);
    form.show();
    list->setCurrentRow(0);
    ASSERT_EQ(list->currentItem()->text(), QStringLiteral("Alpha"));
    QFile(FilePath(QStringLiteral("Alpha/inside.txt"))).open(QIODevice::WriteOnly);
    const QRect r = list->visualItemRect(list->currentItem());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(list->Directory(), FilePath(QStringLiteral("Alpha")));
    EXPECT_EQ(tree->Directory(), FilePath(QStringLiteral("Alpha")));
    EXPECT_EQ(Items(*list), QStringList{"inside.txt"});
    EXPECT_EQ(label->text().isEmpty(), false);
    testsupport::GrabToPng(&form, QStringLiteral("file_system_controls"));
}

}  // namespace
