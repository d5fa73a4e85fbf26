#include "platform/paint/picture.h"

#include "testsupport/qt_warnings.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QtEndian>

#include <optional>

namespace paint {
namespace {

QImage sampleImage() {
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(4, 4, 8, 8, QColor(0xC0, 0x20, 0x20));
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

TEST(Picture, the_formats_templates_hold_decode_by_their_content) {
    static const struct {
        const char* qtFormat;
        PictureFormat format;
    } cases[] = {
        {"BMP", PictureFormat::Bitmap}, {"PNG", PictureFormat::Png}, {"JPEG", PictureFormat::Jpeg},
        {"ICO", PictureFormat::Icon},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.qtFormat);
        const QByteArray bytes = encoded(sampleImage(), c.qtFormat);
        const auto picture = Picture::FromData(bytes);
        ASSERT_TRUE(picture.ok()) << picture.error().text.toStdString();
        EXPECT_EQ(picture->Format(), c.format);
        EXPECT_EQ(picture->Width(), 24);
        EXPECT_EQ(picture->Height(), 16);
        EXPECT_EQ(picture->Data(), bytes);
        const QColor inside = picture->Image().pixelColor(8, 8);
        EXPECT_GT(inside.red(), 150);
        EXPECT_LT(inside.green(), 90);
    }
}

TEST(Picture, metafiles_and_unknown_or_damaged_bytes_give_clear_errors) {
    QByteArray placeableWmf("\xD7\xCD\xC6\x9A", 4);
    placeableWmf += QByteArray(40, '\0');
    QByteArray emf("\x01\x00\x00\x00", 4);
    emf += QByteArray(36, '\0');
    emf += " EMF";
    emf += QByteArray(40, '\0');
    QByteArray damagedPng = encoded(sampleImage(), "PNG");
    damagedPng.truncate(40);
    static const struct {
        const char* name;
        QByteArray bytes;
        int code;
        const char* text;
    } cases[] = {
        {"placeable WMF", placeableWmf, kPictureMetafile, "The picture is a Windows metafile, which cannot be shown."},
        {"standard WMF", QByteArray("\x01\x00\x09\x00\x00\x03", 6), kPictureMetafile, nullptr},
        {"EMF", emf, kPictureMetafile, "The picture is a enhanced Windows metafile, which cannot be shown."},
        {"text", QByteArray("just some text"), kPictureUnknownFormat, "Unknown picture format."},
        {"empty", QByteArray(), kPictureUnknownFormat, nullptr},
        {"cut PNG", damagedPng, kPictureDamaged, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto picture = Picture::FromData(c.bytes);
        ASSERT_FALSE(picture.ok());
        EXPECT_EQ(picture.error().code, c.code);
        if (c.text) {
            EXPECT_EQ(picture.error().text, QString::fromLatin1(c.text));
        }
    }
}

TEST(Picture, every_prefix_of_every_format_loads_or_fails_cleanly) {
    for (const char* format : {"BMP", "PNG", "JPEG", "ICO"}) {
        SCOPED_TRACE(format);
        const QByteArray bytes = encoded(sampleImage(), format);
        // The JPEG decoder reports what it finds in cut data; that is expected here.
        std::optional<testsupport::ExpectQtWarning> jpegNoise;
        if (qstrcmp(format, "JPEG") == 0) jpegNoise.emplace(QStringLiteral("."));
        for (qsizetype n = 0; n < bytes.size(); n += 7) {
            const auto picture = Picture::FromData(bytes.left(n));
            if (picture.ok()) {
                EXPECT_FALSE(picture->Image().isNull());
            }
        }
    }
}

QByteArray graphicData(const char* className, const QByteArray& payload, bool withLength) {
    QByteArray data;
    data += char(qstrlen(className));
    data += className;
    if (withLength) {
        char length[4];
        qToLittleEndian<quint32>(quint32(payload.size()), length);
        data += QByteArray(length, 4);
    }
    return data + payload;
}

TEST(Picture, streamed_picture_data_is_read_by_its_graphic_class) {
    const auto bitmap = Picture::FromGraphicData(graphicData("TBitmap", encoded(sampleImage(), "BMP"), true));
    ASSERT_TRUE(bitmap.ok());
    EXPECT_EQ(bitmap->Format(), PictureFormat::Bitmap);
    const auto jpeg = Picture::FromGraphicData(graphicData("TJPEGImage", encoded(sampleImage(), "JPEG"), true));
    ASSERT_TRUE(jpeg.ok());
    EXPECT_EQ(jpeg->Format(), PictureFormat::Jpeg);
    const auto icon = Picture::FromGraphicData(graphicData("TIcon", encoded(sampleImage(), "ICO"), false));
    ASSERT_TRUE(icon.ok());
    EXPECT_EQ(icon->Format(), PictureFormat::Icon);
    const auto meta = Picture::FromGraphicData(graphicData("TMetafile", QByteArray(60, '\0'), false));
    ASSERT_FALSE(meta.ok());
    EXPECT_EQ(meta.error().code, kPictureMetafile);
    const auto cut = Picture::FromGraphicData(QByteArray("\x10TBit", 5));
    ASSERT_FALSE(cut.ok());
    EXPECT_EQ(cut.error().code, kPictureDamaged);
    EXPECT_FALSE(Picture::FromGraphicData(QByteArray()).ok());
}

TEST(Picture, placeholder_is_a_framed_crossed_box) {
    const QImage p = Picture::Placeholder(20, 10);
    EXPECT_EQ(p.size(), QSize(20, 10));
    EXPECT_EQ(p.pixelColor(0, 5), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(p.pixelColor(10, 2), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_FALSE(Picture::Placeholder(0, -3).isNull());
}

}  // namespace
}  // namespace paint
