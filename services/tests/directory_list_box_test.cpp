#include "services/gui/directory_list_box.h"
#include "services/gui/file_list_box.h"

#include "platform/shell/volumes.h"

#include "testsupport/temp_folder.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

/// A temporary tree and the volumes the tests see: the root, a labelled removable medium, a
/// network mount, a network mount whose source is unknown, a CD and a labelled fixed disk.
class DirectoryListBox : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        for (const char* dir : {"a/b/Zed", "a/b/alpha", "a/b/.cache", "Deep/inside", "usb", "net/projects", "share", "cd",
                                "data"})
            ASSERT_TRUE(QDir().mkpath(FilePath(QLatin1String(dir))));
        for (const char* file : {"a/b/readme.txt", "a/b/alpha/one.txt"}) {
            QFile f(FilePath(QLatin1String(file)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(file);
        }
        m_volumes = {
            {QStringLiteral("/"), {}, QStringLiteral("/dev/sda1"), QStringLiteral("ext4"), false, false, false, "root"},
            {FilePath("cd"), QStringLiteral("DEBIAN 12"), QStringLiteral("/dev/sr0"), QStringLiteral("iso9660"), true, false,
             true, "cd"},
            {FilePath("data"), QStringLiteral("ARCHIVE"), QStringLiteral("/dev/sdc1"), QStringLiteral("ext4"), false, false,
             false, "data"},
            {FilePath("net"), {}, QStringLiteral("server:/export"), QStringLiteral("nfs"), false, true, false, "net"},
            {FilePath("share"), QStringLiteral("TEAM"), {}, QStringLiteral("cifs"), false, true, false, "share"},
            {FilePath("usb"), QStringLiteral("HOLIDAYS"), QStringLiteral("/dev/sdb1"), QStringLiteral("vfat"), true, false,
             false, "usb"},
        };
        shell::SetVolumeSource([this] { return m_volumes; });
    }
    void TearDown() override { shell::SetVolumeSource({}); }

    static QStringList Items(const QListWidget& list) {
        QStringList names;
        for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
        return names;
    }
    static QStringList Items(const QComboBox& box) {
        QStringList names;
        for (int i = 0; i < box.count(); ++i) names << box.itemText(i);
        return names;
    }

    std::vector<shell::Volume> m_volumes;
};

TEST_F(DirectoryListBox, shows_the_nearest_existing_folder) {
    ASSERT_TRUE(QDir(FilePath("gone")).exists() || QDir().mkpath(FilePath("gone/x")));
    ASSERT_TRUE(QDir(FilePath("gone")).removeRecursively());
    struct Case {
        QString asked, shown;
    } cases[] = {
        {FilePath("a/b"), FilePath("a/b")},
        {FilePath("a/b/"), FilePath("a/b")},
        {FilePath("gone/x/y"), Path()},            // two levels below a deleted folder
        {FilePath("deep/inside"), Path()},         // names are case-sensitive: "deep" is not "Deep"
        {FilePath("Deep/inside/x/y/z"), FilePath("Deep/inside")},
        {QStringLiteral("/no-such-folder-anywhere/at/all"), QStringLiteral("/")},
    };
    TPlDirectoryListBox list;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked.toStdString());
        EXPECT_EQ(TPlDirectoryListBox::NearestExistingFolder(c.asked), c.shown);
        list.SetDirectory(c.asked);
        EXPECT_EQ(list.Directory(), c.shown);
        EXPECT_EQ(list.item(list.currentRow())->data(TPlDirectoryListBox::kPathRole).toString(), c.shown);
    }
}

TEST_F(DirectoryListBox, entries_are_the_path_then_the_sub_folders_indented_by_depth) {
    TPlDirectoryListBox list;
    list.SetDirectory(FilePath("a/b"));
    const QStringList parts = FilePath("a/b").split(u'/', Qt::SkipEmptyParts);
    QStringList expected{QStringLiteral("/")};
    expected << parts << QStringLiteral("alpha") << QStringLiteral("Zed");  // hidden ".cache" left out, case ignored
    EXPECT_EQ(Items(list), expected);
    const int n = static_cast<int>(parts.size());
    for (int i = 0; i < list.count(); ++i) {
        SCOPED_TRACE(i);
        const QListWidgetItem* item = list.item(i);
        const int kind = item->data(TPlDirectoryListBox::kKindRole).toInt();
        const int textLeft = item->data(TPlFileItemDelegate::kTextLeftRole).toInt();
        if (i < n) {
            EXPECT_EQ(kind, TPlDirectoryListBox::ekOpen);
            EXPECT_EQ(textLeft, 2 + 4 * i + 20);
        } else if (i == n) {
            EXPECT_EQ(kind, TPlDirectoryListBox::ekCurrent);
            EXPECT_EQ(textLeft, 2 + 4 * n + 20);
        } else {
            EXPECT_EQ(kind, TPlDirectoryListBox::ekClosed);
            EXPECT_EQ(textLeft, 6 + 4 * n + 20);  // one step right of the current folder
        }
    }
    list.SetDirectory(QStringLiteral("/"));
    EXPECT_EQ(list.item(0)->data(TPlDirectoryListBox::kKindRole).toInt(), TPlDirectoryListBox::ekCurrent);
    EXPECT_EQ(list.item(1)->data(TPlFileItemDelegate::kTextLeftRole).toInt(), 10 + 20);
}

TEST_F(DirectoryListBox, double_click_enters_a_folder_and_the_label_and_file_list_follow) {
    const QString startFolder = QDir::currentPath();
    QWidget form;
    auto* label = new QLabel(&form);
    auto* list = new TPlDirectoryListBox(&form);
    auto* files = new TPlFileListBox(&form);
    auto* layout = new QGridLayout(&form);
    layout->addWidget(label, 0, 0);
    layout->addWidget(list, 1, 0);
    layout->addWidget(files, 1, 1);
    list->SetDirLabel(label);
    list->SetFileList(files);
    list->SetDirectory(FilePath("a/b"));
    form.resize(600, 400);
    form.show();
    EXPECT_EQ(files->Directory(), FilePath("a/b"));
    EXPECT_EQ(files->count(), 1);
    const auto found = list->findItems(QStringLiteral("alpha"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list->setCurrentItem(found.first());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
    EXPECT_EQ(list->Directory(), FilePath("a/b/alpha"));
    EXPECT_EQ(files->Directory(), FilePath("a/b/alpha"));
    ASSERT_EQ(files->count(), 1);
    EXPECT_EQ(files->item(0)->text(), QStringLiteral("one.txt"));
    EXPECT_TRUE(label->text().endsWith(QStringLiteral("alpha")));
    // The file list's own path change moves the directory list too.
    files->SetFileName(FilePath("Deep/inside/*.md"));
    EXPECT_EQ(list->Directory(), FilePath("Deep/inside"));
    EXPECT_EQ(files->Mask(), QStringLiteral("*.md"));
    EXPECT_EQ(QDir::currentPath(), startFolder);
}

TEST_F(DirectoryListBox, drive_box_lists_volumes_with_picture_and_label) {
    struct Case {
        TDriveTypes types;
        QStringList texts;
    } cases[] = {
        {TPlDriveComboBox().DriveTypes(),
         {"/: ", FilePath("cd") + ": Debian 12", FilePath("data") + ": Archive", FilePath("net") + ": server:/export",
          FilePath("share") + ": TEAM", FilePath("usb")}},
        {TDriveType::dtFixed, {"/: ", FilePath("data") + ": Archive"}},
        {TDriveType::dtNetwork, {FilePath("net") + ": server:/export", FilePath("share") + ": TEAM"}},
        {TDriveTypes(TDriveType::dtFloppy) | TDriveType::dtCDROM, {FilePath("cd") + ": Debian 12", FilePath("usb")}},
    };
    for (const Case& c : cases) {
        TPlDriveComboBox box;
        box.SetDriveTypes(c.types);
        EXPECT_EQ(Items(box), c.texts);
        for (int i = 0; i < box.count(); ++i) EXPECT_FALSE(box.itemIcon(i).isNull()) << i;
    }
    TPlDriveComboBox box;
    const struct {
        QString root;
        TDriveType type;
    } types[] = {{"/", TDriveType::dtFixed},
                 {FilePath("cd"), TDriveType::dtCDROM},
                 {FilePath("net"), TDriveType::dtNetwork},
                 {FilePath("usb"), TDriveType::dtFloppy}};
    for (const auto& t : types) {
        const int i = box.findData(t.root, TPlDriveComboBox::kRootRole);
        ASSERT_GE(i, 0) << t.root.toStdString();
        EXPECT_EQ(box.itemData(i, TPlDriveComboBox::kTypeRole).toInt(), static_cast<int>(t.type));
    }
    // A volume whose mount point has gone is never listed.
    m_volumes.push_back({FilePath("vanished"), QStringLiteral("OLD"), QStringLiteral("/dev/sdd1"), QStringLiteral("ext4"),
                         false, false, false, "old"});
    box.BuildList();
    EXPECT_EQ(box.findData(FilePath("vanished"), TPlDriveComboBox::kRootRole), -1);
}

TEST_F(DirectoryListBox, drive_box_and_directory_list_follow_each_other) {
    TPlDriveComboBox box;
    TPlDirectoryListBox list;
    box.SetDirList(&list);
    list.SetDirectory(FilePath("net/projects"));
    EXPECT_EQ(box.Drive(), FilePath("net"));
    list.SetDirectory(FilePath("a/b"));
    EXPECT_EQ(box.Drive(), QStringLiteral("/"));
    box.setCurrentIndex(box.findData(FilePath("usb"), TPlDriveComboBox::kRootRole));
    EXPECT_EQ(list.Directory(), FilePath("usb"));
    EXPECT_EQ(list.Drive(), FilePath("usb"));
}

QImage Grab(QWidget& w) { return w.grab().toImage(); }

TEST_F(DirectoryListBox, drive_box_frame_and_flat_button_follow_focus_and_hover) {
    const QColor red(255, 0, 0), green(0, 200, 0);
    TPlDriveComboBox box;
    box.resize(260, 28);
    box.SetFrameVisible(true);
    box.SetFrameStyle(TFrameStyle::fsFlat);
    box.SetFrameColor(red);
    box.SetColor(green);
    box.show();
    const QRect button = box.ButtonRect();
    const int cx = button.left() + button.width() / 2, cy = button.top() + button.height() / 2;
    QImage img = Grab(box);
    EXPECT_EQ(img.pixelColor(0, 0), red);
    EXPECT_EQ(img.pixelColor(box.width() - 1, box.height() - 1), red);
    EXPECT_EQ(img.pixelColor(1, 1), green);                                  // the inner ring
    EXPECT_EQ(img.pixelColor(button.left() + 1, button.top() + 1), green);  // the flat button
    EXPECT_EQ(img.pixelColor(cx, cy), QColor(Qt::black));                   // its triangle
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&box, &enter);
    img = Grab(box);
    EXPECT_NE(img.pixelColor(button.left() + 1, button.top() + 1), green);  // the normal button while hovered
    EXPECT_EQ(img.pixelColor(0, 0), red);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&box, &leave);
    EXPECT_EQ(Grab(box).pixelColor(button.left() + 1, button.top() + 1), green);
    box.SetFlatButtons(false);
    EXPECT_NE(Grab(box).pixelColor(button.left() + 1, button.top() + 1), green);

    // FrameFlat: the style follows hover.
    box.SetFrameFlat(true);
    EXPECT_EQ(box.FrameStyle(), TFrameStyle::fsStatus);
    QApplication::sendEvent(&box, &enter);
    EXPECT_EQ(box.FrameStyle(), TFrameStyle::fsLowered);
    QApplication::sendEvent(&box, &leave);
    EXPECT_EQ(box.FrameStyle(), TFrameStyle::fsStatus);
}

TEST_F(DirectoryListBox, file_list_frame_item_drawing_and_wheel) {
    for (int i = 0; i < 60; ++i) {
        QFile f(FilePath(QStringLiteral("a/b/file%1.txt").arg(i, 2, 10, QLatin1Char('0'))));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QColor red(255, 0, 0), green(0, 200, 0);
    TPlFileListBox files;
    files.resize(220, 200);
    files.SetDirectory(FilePath("a/b"));
    files.SetFrameVisible(true);
    files.SetFrameStyle(TFrameStyle::fsFlat);
    files.SetFrameColor(red);
    files.SetFrameSides(TSides(TSide::sdBottom));
    files.SetColor(green);
    files.show();
    QImage img = Grab(files);
    EXPECT_EQ(img.pixelColor(files.width() / 2, files.height() - 1), red);  // the bottom side only
    EXPECT_EQ(img.pixelColor(files.width() / 2, 0), green);
    EXPECT_EQ(img.pixelColor(0, files.height() / 2), green);

    // Item drawing: a picture 20 pixels left of the text, which starts 24 pixels in; without
    // glyphs the indent and the 18-pixel minimum go.
    const QRect first = files.visualItemRect(files.item(0));
    EXPECT_GE(first.height(), 18);
    img = Grab(files.viewport() ? *files.viewport() : files);
    bool pictureSeen = false;
    for (int x = first.left() + 4; x < first.left() + 20 && !pictureSeen; ++x)
        for (int y = first.top(); y < first.bottom(); ++y)
            if (img.pixelColor(x, y) != green && img.pixelColor(x, y) != files.palette().color(QPalette::Highlight))
                pictureSeen = true;
    EXPECT_TRUE(pictureSeen);
    files.SetShowGlyphs(false);
    files.setFont(QFont(files.font().family(), 6));
    EXPECT_LT(files.visualItemRect(files.item(0)).height(), 18);
    img = Grab(*files.viewport());
    const QRect plain = files.visualItemRect(files.item(0));
    bool inkNearLeft = false;
    for (int x = plain.left(); x < plain.left() + 8; ++x)
        for (int y = plain.top(); y < plain.bottom(); ++y)
            if (img.pixelColor(x, y) != green && img.pixelColor(x, y) != files.palette().color(QPalette::Highlight))
                inkNearLeft = true;
    EXPECT_TRUE(inkNearLeft);  // the name starts 2 pixels in

    // A wheel turn up at the top stays at 0; down moves by whole lines.
    QScrollBar* bar = files.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(0);
    QWheelEvent up(QPointF(10, 10), files.mapToGlobal(QPointF(10, 10)), {}, QPoint(0, 240), Qt::NoButton, {},
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(files.viewport(), &up);
    EXPECT_EQ(bar->value(), 0);
    QWheelEvent down(QPointF(10, 10), files.mapToGlobal(QPointF(10, 10)), {}, QPoint(0, -120), Qt::NoButton, {},
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(files.viewport(), &down);
    EXPECT_EQ(bar->value(), std::min(bar->maximum(), QApplication::wheelScrollLines()));

    files.SetFrameFlat(true);
    EXPECT_EQ(files.FrameStyle(), TFrameStyle::fsStatus);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&files, &enter);
    EXPECT_EQ(files.FrameStyle(), TFrameStyle::fsLowered);
}

TEST_F(DirectoryListBox, file_list_keeps_each_items_attributes) {
    QFile locked(FilePath("a/b/locked.txt"));
    ASSERT_TRUE(locked.open(QIODevice::WriteOnly));
    locked.write("twelve bytes");
    locked.close();
    ASSERT_TRUE(locked.setPermissions(QFile::ReadOwner));
    QFile hidden(FilePath("a/b/.profile"));
    ASSERT_TRUE(hidden.open(QIODevice::WriteOnly));
    hidden.close();
    TPlFileListBox files;
    files.SetFileType(TFileAttr::ftNormal | TFileAttr::ftDirectory | TFileAttr::ftHidden);
    files.SetDirectory(FilePath("a/b"));
    struct Case {
        QString name;
        TFileType attr;
        bool folder;
        qint64 size;
    } cases[] = {
        {"alpha", TFileAttr::ftDirectory, true, -1},
        {"locked.txt", TFileAttr::ftReadOnly, false, 12},
        {".profile", TFileAttr::ftHidden, false, 0},
        {"readme.txt", TFileAttr::ftArchive, false, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const auto found = files.findItems(c.name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        ASSERT_EQ(found.size(), 1);
        const TPlFileInfo info = files.FileInfo(files.row(found.first()));
        EXPECT_EQ(info.Name, c.name);
        EXPECT_EQ(info.Attr, c.attr);
        EXPECT_EQ(info.IsFolder, c.folder);
        if (c.size >= 0) {
            EXPECT_EQ(info.Size, c.size);
        }
        EXPECT_TRUE(info.Time.isValid());
        EXPECT_FALSE(info.Icon.isNull());
    }
    EXPECT_TRUE(files.FileInfo(files.count()).Name.isEmpty());
}

TEST_F(DirectoryListBox, demo_form_links_drive_box_directory_list_and_file_list) {
    QWidget form;
    form.setWindowTitle(QStringLiteral("File-system controls"));
    auto* drives = new TPlDriveComboBox(&form);
    drives->setObjectName(QStringLiteral("DriveCombo"));
    auto* label = new QLabel(&form);
    label->setObjectName(QStringLiteral("DirLabel"));
    auto* dirs = new TPlDirectoryListBox(&form);
    dirs->setObjectName(QStringLiteral("DirList"));
    auto* files = new TPlFileListBox(&form);
    files->setObjectName(QStringLiteral("FileList"));
    files->SetFileType(TFileAttr::ftNormal | TFileAttr::ftDirectory);
    auto* layout = new QGridLayout(&form);
    layout->addWidget(label, 0, 0, 1, 2);
    layout->addWidget(dirs, 1, 0);
    layout->addWidget(files, 1, 1);
    layout->addWidget(drives, 2, 0);
    for (auto* w : std::initializer_list<QWidget*>{drives, dirs, files}) w->setProperty("framed", true);
    dirs->SetFrameFlat(true);
    files->SetFrameFlat(true);
    drives->SetFrameFlat(true);
    drives->SetDirList(dirs);
    dirs->SetFileList(files);
    dirs->SetDirLabel(label);
    dirs->SetDirectory(FilePath("a/b"));
    form.resize(560, 360);
    form.show();
    auto* box = form.findChild<TPlDriveComboBox*>(QStringLiteral("DriveCombo"));
    box->setCurrentIndex(box->findData(FilePath("net"), TPlDriveComboBox::kRootRole));
    EXPECT_EQ(form.findChild<TPlFileListBox*>(QStringLiteral("FileList"))->Directory(), FilePath("net"));
    EXPECT_EQ(form.findChild<TPlFileListBox*>(QStringLiteral("FileList"))->item(0)->text(), QStringLiteral("projects"));
    dirs->SetDirectory(FilePath("a/b"));
    EXPECT_EQ(box->Drive(), QStringLiteral("/"));
    testsupport::GrabToPng(&form, QStringLiteral("file_system_trio"));
}

}  // namespace
