// The Graphic Loader: loading bitmaps and icons at a caller's size, pasting, copying, saving,
// and what EditPicture answers.

#include "services/gui/picture_editor.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using testsupport::DialogAnswerer;

/// A 32 x 32 icon: transparent left half, opaque dark red right half.
QImage iconPicture() {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.fillRect(16, 0, 16, 32, QColor(128, 0, 0));
    return icon;
}

/// A 40 x 20 bitmap with a blue left column and yellow rest.
QImage bitmapPicture() {
    QImage bmp(40, 20, QImage::Format_RGB32);
    bmp.fill(QColor(255, 255, 0));
    QPainter p(&bmp);
    p.fillRect(0, 0, 10, 20, QColor(0, 0, 255));
    return bmp;
}

class GraphicLoader : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(iconPicture().save(path("icon.ico"), "ICO"));
        ASSERT_TRUE(bitmapPicture().save(path("wide.bmp"), "BMP"));
        ASSERT_TRUE(bitmapPicture().save(path("wide.png"), "PNG"));
        QFile damaged(path("damaged.bmp"));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("BM this is no bitmap at all");
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(GraphicLoader, loads_icons_on_the_button_colour_and_bitmaps_at_the_size_asked_for) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    struct Case {
        const char* file;
        int width, height;        ///< target size (0: keep)
        QSize expected;
        QPoint samplePoint;       ///< a point of the result ...
        QColor sample;            ///< ... and its colour
    };
    const Case cases[] = {
        {"icon.ico", 16, 16, QSize(16, 16), QPoint(2, 8), face},
        {"icon.ico", 16, 16, QSize(16, 16), QPoint(13, 8), QColor(128, 0, 0)},
        {"icon.ico", 0, 0, QSize(32, 32), QPoint(3, 3), face},
        {"wide.bmp", 0, 0, QSize(40, 20), QPoint(2, 2), QColor(0, 0, 255)},
        {"wide.bmp", 20, 0, QSize(40, 20), QPoint(30, 2), QColor(255, 255, 0)},
        {"wide.bmp", 8, 8, QSize(8, 8), QPoint(7, 7), QColor(255, 255, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 at %2 x %3").arg(QLatin1String(c.file)).arg(c.width).arg(c.height).toStdString());
        DialogAnswerer answers;
        answers.ExpectModal<TLoadGraphic>([&](TLoadGraphic& d) {
            EXPECT_FALSE(d.SaveBtn->isEnabled());
            EXPECT_FALSE(d.CopyBtn->isEnabled());
            answers.ExpectFileToOpen(path(QLatin1String(c.file)));
            EXPECT_TRUE(testsupport::Click(&d, "LoadBtn"));
            EXPECT_EQ(d.StatusBar->currentMessage(), path(QLatin1String(c.file)));
            EXPECT_TRUE(d.SaveBtn->isEnabled());
            EXPECT_TRUE(d.CopyBtn->isEnabled());
            testsupport::Click(&d, "OKBtn");
        });
        QImage result;
        EXPECT_TRUE(EditPicture(QString(), QImage(), result, c.height, c.width));
        EXPECT_EQ(result.size(), c.expected);
        EXPECT_EQ(result.pixelColor(c.samplePoint), c.sample);
        EXPECT_EQ(answers.Pending(), 0);
    }
}

TEST_F(GraphicLoader, refuses_other_kinds_and_damaged_files_and_keeps_the_picture) {
    for (const char* file : {"wide.png", "damaged.bmp"}) {
        SCOPED_TRACE(file);
        DialogAnswerer answers;
        const QImage source = bitmapPicture();
        answers.ExpectModal<TLoadGraphic>([&](TLoadGraphic& d) {
            answers.ExpectFileToOpen(path(QLatin1String(file)));
            answers.ExpectMessage("^Unable to open that graphics file\\. It may be damaged or in an unusable format "
                                  "\\(must be bitmap or icon\\)\\.$",
                                  ui::Button::Ok, ui::MessageKind::Error);
            testsupport::Click(&d, "LoadBtn");
            EXPECT_EQ(d.Picture(), source.convertToFormat(d.Picture().format()));
            EXPECT_EQ(d.StatusBar->currentMessage(), "Folder picture");
            testsupport::Click(&d, "CancelBtn");
        });
        QImage result;
        EXPECT_FALSE(EditPicture(QStringLiteral("Folder picture"), source, result, 0, 0));
        EXPECT_EQ(result, source);
        EXPECT_EQ(answers.Messages().at(0).helpContext, 10037);
    }
}

TEST_F(GraphicLoader, pastes_bitmaps_unresized_refuses_text_and_copies_and_saves_the_picture) {
    DialogAnswerer answers;
    const QString saved = path("saved.bmp");
    answers.ExpectModal<TLoadGraphic>([&](TLoadGraphic& d) {
        QApplication::clipboard()->setText(QStringLiteral("not a picture"));
        answers.ExpectMessage("^The object on the Clipboard is not a graphic of the required type \\(bitmap\\)\\.$",
                              ui::Button::Ok, ui::MessageKind::Error);
        testsupport::Click(&d, "PasteBtn");
        EXPECT_EQ(d.Picture().size(), QSize(8, 8));
        EXPECT_EQ(answers.Messages().at(0).helpContext, 10038);

        QApplication::clipboard()->setImage(bitmapPicture());
        testsupport::Click(&d, "PasteBtn");
        EXPECT_EQ(d.Picture().size(), QSize(40, 20));  // a paste is never stretched
        EXPECT_EQ(d.StatusBar->currentMessage(), "Image from clipboard");

        QApplication::clipboard()->clear();
        testsupport::Click(&d, "CopyBtn");
        EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(40, 20));

        answers.ExpectFileToSave(saved);
        testsupport::Click(&d, "SaveBtn");
        EXPECT_EQ(d.StatusBar->currentMessage(), saved);
        d.resize(309, 245);
        testsupport::GrabToPng(&d, "graphic_loader");
        testsupport::Click(&d, "OKBtn");
    });
    QImage source(8, 8, QImage::Format_RGB32);
    source.fill(Qt::green);
    QImage result;
    EXPECT_TRUE(EditPicture(QStringLiteral("Large icon"), source, result, 16, 16));
    EXPECT_EQ(result.size(), QSize(40, 20));
    EXPECT_TRUE(answers.Prompts().contains("Save file: Save graphic as...")) << answers.Prompts().join('\n').toStdString();
    const QImage reread(saved, "BMP");
    ASSERT_FALSE(reread.isNull());
    EXPECT_EQ(reread.convertToFormat(QImage::Format_RGB32), bitmapPicture());
}

}  // namespace
