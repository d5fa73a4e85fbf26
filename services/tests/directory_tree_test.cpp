#include "services/errors.h"
#include "services/gui/directory_browse.h"
#include "services/gui/directory_tree.h"

#include "platform/shell/volumes.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

/// The tests' volumes: the root, a labelled removable medium and a network mount, all
/// inside the test's own folder except the root.
class DirectoryTree : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        m_volumes = {
            {QStringLiteral("/"), {}, QStringLiteral("/dev/sda1"), QStringLiteral("ext4"), false, false, false, "root"},
            {Path() + QStringLiteral("/usb"), QStringLiteral("HOLIDAYS"), QStringLiteral("/dev/sdb1"), QStringLiteral("vfat"),
             true, false, false, "usb-1"},
            {Path() + QStringLiteral("/net"), {}, QStringLiteral("server:/export"), QStringLiteral("nfs"), false, true, false,
             "net"},
        };
        for (const shell::Volume& v : m_volumes)
            if (v.rootPath != QStringLiteral("/")) QDir().mkpath(v.rootPath);
        shell::SetVolumeSource([this] { return m_volumes; });
    }
    void TearDown() override { shell::SetVolumeSource({}); }

    static QStringList Roots(const TPlDirectoryTree& tree) {
        QStringList roots;
        for (int i = 0; i < tree.topLevelItemCount(); ++i) roots << tree.topLevelItem(i)->text(0);
        return roots;
    }
    static QStringList Children(QTreeWidgetItem* node) {
        QStringList names;
        for (int i = 0; i < node->childCount(); ++i) names << node->child(i)->text(0);
        return names;
    }

    std::vector<shell::Volume> m_volumes;
};

TEST_F(DirectoryTree, roots_are_the_volumes_with_label_and_mount_point) {
    TPlDirectoryTree tree;
    EXPECT_EQ(Roots(tree), QStringList({"/", Path() + "/net", "HOLIDAYS (" + Path() + "/usb)"}));
    // Removable and network volumes are not touched until opened: a placeholder stands in.
    EXPECT_EQ(Children(tree.topLevelItem(1)), QStringList{":"});
    EXPECT_EQ(Children(tree.topLevelItem(2)), QStringList{":"});
}

TEST_F(DirectoryTree, a_folder_is_read_once_as_far_as_it_is_opened_and_expanders_show_only_where_sub_folders_are) {
    const QString big = FilePath(QStringLiteral("big"));
    for (int i = 0; i < 500; ++i) QDir().mkpath(QStringLiteral("%1/f%2").arg(big).arg(i, 3, 10, QChar(u'0')));
    QDir().mkpath(big + QStringLiteral("/f007/inner"));
    QDir().mkpath(big + QStringLiteral("/.hidden/inner"));
    TPlDirectoryTree tree;
    tree.SetDirectory(big);
    EXPECT_EQ(tree.Directory(), big);
    QTreeWidgetItem* node = tree.currentItem();
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->childCount(), 500) << "hidden folders are left out";
    EXPECT_EQ(node->child(0)->text(0), QStringLiteral("f000"));
    EXPECT_EQ(Children(node->child(7)), QStringList{":"}) << "f007 has a sub-folder";
    EXPECT_TRUE(TPlDirectoryTree::FolderInfo(node).ChildrenRead);
    EXPECT_FALSE(TPlDirectoryTree::FolderInfo(node->child(7)).ChildrenRead);
    EXPECT_EQ(TPlDirectoryTree::FolderInfo(node->child(7)).FullPath, big + QStringLiteral("/f007/"));
    EXPECT_EQ(node->child(8)->childCount(), 0) << "f008 has none: no expander";
    // Read once: a folder made afterwards shows only after a refresh.
    QDir().mkpath(big + QStringLiteral("/f999"));
    node->setExpanded(false);
    node->setExpanded(true);
    EXPECT_EQ(node->childCount(), 500);
    tree.SetShowHiddenDirs(true);
    EXPECT_EQ(tree.Directory(), big);
    EXPECT_EQ(tree.currentItem()->childCount(), 502);
    EXPECT_EQ(tree.currentItem()->child(0)->text(0), QStringLiteral(".hidden"));
}

TEST_F(DirectoryTree, setting_the_directory_selects_the_deepest_existing_folder_or_raises_42501) {
    QDir().mkpath(FilePath(QStringLiteral("a/b")));
    QDir().mkpath(FilePath(QStringLiteral("Case")));
    struct Case {
        const char* label;
        QString given;
        QString selected;
    };
    const Case cases[] = {
        {"an existing folder", FilePath(QStringLiteral("a/b")), FilePath(QStringLiteral("a/b"))},
        {"a trailing slash", FilePath(QStringLiteral("a/")), FilePath(QStringLiteral("a"))},
        {"missing below an existing one", FilePath(QStringLiteral("a/b/c/d/e")), FilePath(QStringLiteral("a/b"))},
        {"names are case-sensitive", FilePath(QStringLiteral("case")), Path()},
        {"the root", QStringLiteral("/"), QStringLiteral("/")},
        {"a folder on another volume", Path() + QStringLiteral("/usb"), Path() + QStringLiteral("/usb")},
    };
    TPlDirectoryTree tree;
    int driveChanges = 0;
    tree.OnDriveChange = [&driveChanges](QObject*) { ++driveChanges; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        tree.SetDirectory(c.given);
        EXPECT_EQ(tree.Directory(), c.selected);
    }
    EXPECT_EQ(tree.Drive(), Path() + QStringLiteral("/usb"));
    EXPECT_EQ(driveChanges, 2) << "first the root, then the removable volume";
    // Without a volume for "/", a path outside the other volumes has no existing part shown.
    shell::SetVolumeSource([this] { return std::vector<shell::Volume>(m_volumes.begin() + 1, m_volumes.end()); });
    TPlDirectoryTree rootless;
    try {
        rootless.SetDirectory(QStringLiteral("/nowhere-at-all/x"));
        ADD_FAILURE() << "no error raised";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Code(), 42501);
        EXPECT_EQ(e.Message(), QStringLiteral("The /nowhere-at-all/x directory does not exist"));
    }
    EXPECT_EQ(rootless.Directory(), QString());
}

TEST_F(DirectoryTree, a_volume_mounted_while_shown_is_added_in_its_place_and_a_gone_one_removed) {
    QDir().mkpath(FilePath(QStringLiteral("a/b")));
    TPlDirectoryTree tree;
    tree.SetDirectory(FilePath(QStringLiteral("a/b")));
    QTreeWidgetItem* selected = tree.currentItem();
    m_volumes.push_back({Path() + QStringLiteral("/cdrom"), QStringLiteral("DISC"), QStringLiteral("/dev/sr0"),
                         QStringLiteral("iso9660"), true, false, true, "disc"});
    QDir().mkpath(Path() + QStringLiteral("/cdrom"));
    tree.UpdateDriveNodes();
    EXPECT_EQ(Roots(tree), QStringList({"/", "DISC (" + Path() + "/cdrom)", Path() + "/net", "HOLIDAYS (" + Path() + "/usb)"}));
    EXPECT_EQ(tree.currentItem(), selected) << "the rest stays as it is";
    m_volumes.erase(m_volumes.begin() + 1);  // the removable medium goes
    tree.UpdateDriveNodes();
    EXPECT_EQ(Roots(tree), QStringList({"/", "DISC (" + Path() + "/cdrom)", Path() + "/net"}));
    EXPECT_EQ(tree.Directory(), FilePath(QStringLiteral("a/b")));
}

TEST_F(DirectoryTree, renaming_keeps_the_folder_in_its_parent_and_refuses_bad_names) {
    QDir().mkpath(FilePath(QStringLiteral("p/old")));
    QDir().mkpath(FilePath(QStringLiteral("p/taken")));
    TPlDirectoryTree tree;
    tree.SetReadOnly(false);
    tree.SetDirectory(FilePath(QStringLiteral("p/old")));
    struct Case {
        const char* label;
        QString name;
        bool accepted;
    };
    const Case cases[] = {
        {"a slash", "x/y", false}, {"a dot", ".", false}, {"two dots", "..", false},
        {"a name taken", "taken", false}, {"a good name", "new name", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        testsupport::DialogAnswerer answers;
        if (!c.accepted)
            answers.ExpectMessage(QStringLiteral("^A directory name cannot contain any of the following characters:\n"),
                                  ui::Button::Ok, ui::MessageKind::Error);
        tree.currentItem()->setText(0, c.name);
        const QString expected = FilePath(c.accepted ? QStringLiteral("p/") + c.name : QStringLiteral("p/old"));
        EXPECT_EQ(tree.Directory(), expected);
        EXPECT_TRUE(QFileInfo(expected).isDir());
        EXPECT_EQ(tree.currentItem()->text(0), QFileInfo(expected).fileName());
    }
    EXPECT_EQ(QDir(FilePath(QStringLiteral("p"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({"new name", "taken"}));
    // The root of a volume is never renamed, and a read-only tree never edits.
    tree.SetDirectory(QStringLiteral("/"));
    QTest::keyClick(&tree, Qt::Key_F2);
    EXPECT_TRUE(tree.findChildren<QLineEdit*>().isEmpty()) << "no editor opened";
}

TEST_F(DirectoryTree, the_label_follows_the_directory_and_a_wheel_turn_up_at_the_top_stays_at_zero) {
    for (int i = 0; i < 60; ++i) QDir().mkpath(QStringLiteral("%1/w/d%2").arg(Path()).arg(i, 2, 10, QChar(u'0')));
    TPlDirectoryTree tree;
    QLabel label;
    label.resize(2000, 20);
    tree.SetDirLabel(&label);
    tree.SetDirectory(FilePath(QStringLiteral("w")));
    EXPECT_EQ(label.text(), FilePath(QStringLiteral("w")));
    tree.show();
    tree.scrollToTop();
    QWheelEvent up(QPointF(10, 10), tree.mapToGlobal(QPoint(10, 10)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(tree.viewport(), &up);
    EXPECT_EQ(tree.verticalScrollBar()->value(), 0);
    QWheelEvent down(QPointF(10, 10), tree.mapToGlobal(QPoint(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(tree.viewport(), &down);
    EXPECT_EQ(tree.verticalScrollBar()->value(), QApplication::wheelScrollLines());
}

TEST_F(DirectoryTree, a_flat_frame_follows_hover) {
    TPlDirectoryTree tree;
    tree.SetFrameFlat(true);
    EXPECT_TRUE(tree.FrameVisible());
    EXPECT_EQ(tree.FrameStyle(), TFrameStyle::fsStatus);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&tree, &enter);
    EXPECT_EQ(tree.FrameStyle(), TFrameStyle::fsLowered);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&tree, &leave);
    EXPECT_EQ(tree.FrameStyle(), TFrameStyle::fsStatus);
}

class FolderChooser : public DirectoryTree {};

TEST_F(FolderChooser, ok_returns_the_chosen_folder_and_makes_a_missing_one_when_asked) {
    QDir().mkpath(FilePath(QStringLiteral("start")));
    struct Case {
        const char* label;
        QString typed;          ///< typed into CurrentDir; empty: the tree's choice is kept
        ui::Button createAnswer;  ///< None: no question expected
        bool accepted;
        QString folder;
    };
    const QString deep = FilePath(QStringLiteral("new/deeper/deepest"));
    const Case cases[] = {
        {"the tree's folder", {}, ui::Button::None, true, FilePath(QStringLiteral("start"))},
        {"a missing chain, made", deep + QStringLiteral("/"), ui::Button::Yes, true, deep},
        {"a missing folder, not made", FilePath(QStringLiteral("nope")), ui::Button::No, false, {}},
        {"the root", QStringLiteral("/"), ui::Button::None, true, QStringLiteral("/")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<TDirectoryBrowse>([&c](TDirectoryBrowse& d) {
            EXPECT_EQ(d.TitleLabel->text(), QStringLiteral("Pick one"));
            EXPECT_EQ(d.CurrentDir->text(), d.DirTree->Directory() + u'/');
            if (c.typed.isEmpty()) testsupport::GrabToPng(&d, QStringLiteral("directory_browse_selected"));
            else d.CurrentDir->setText(c.typed);
            testsupport::Click(&d, QStringLiteral("OKBtn"));
            if (!c.accepted) testsupport::Click(&d, QStringLiteral("CancelBtn"));
        });
        if (c.createAnswer != ui::Button::None)
            answers.ExpectMessage(QStringLiteral("^Folder \".*\" does not exist - do you want to create it\\?$"),
                                  c.createAnswer, ui::MessageKind::Confirmation);
        QString folder = FilePath(QStringLiteral("start"));
        QString last;
        const bool ok = BrowseForFolder(QStringLiteral("Pick one"), folder, last, true);
        EXPECT_EQ(ok, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(folder, c.folder);
            EXPECT_TRUE(QFileInfo(folder).isDir());
            EXPECT_EQ(last, FilePath(QStringLiteral("start")));
        } else {
            EXPECT_EQ(folder, FilePath(QStringLiteral("start")));
            EXPECT_FALSE(QFileInfo::exists(FilePath(QStringLiteral("nope"))));
        }
    }
}

TEST_F(FolderChooser, a_blank_folder_is_refused_and_a_folder_that_cannot_be_made_says_so) {
    const QString locked = FilePath(QStringLiteral("locked"));
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool canStillWrite = QDir().mkpath(locked + QStringLiteral("/probe"));  // root writes anyway
    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TDirectoryBrowse>([&](TDirectoryBrowse& d) {
        EXPECT_TRUE(d.DirTree->Directory().isEmpty());
        d.CurrentDir->clear();
        testsupport::Click(&d, QStringLiteral("OKBtn"));
        EXPECT_TRUE(d.CurrentDir->text().isEmpty()) << "no folder chosen in the tree either";
        if (!canStillWrite) {
            d.CurrentDir->setText(locked + QStringLiteral("/sub/child"));
            testsupport::Click(&d, QStringLiteral("OKBtn"));
        }
        testsupport::GrabToPng(&d, QStringLiteral("directory_browse"));
        testsupport::Click(&d, QStringLiteral("CancelBtn"));
    });
    answers.ExpectMessage(QStringLiteral("^The folder cannot be blank\\.$"), ui::Button::Ok, ui::MessageKind::Error);
    if (!canStillWrite) {
        answers.ExpectMessage(QStringLiteral("does not exist - do you want to create it"), ui::Button::Yes);
        answers.ExpectMessage(QStringLiteral("^Unable to create the folder\\. Press F1 for help\\.$"), ui::Button::Ok);
    }
    QString folder, last;
    EXPECT_FALSE(BrowseForFolder(QStringLiteral("Where?"), folder, last, false));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace
