#pragma once

#include "platform/base/result.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace paint {

/// The stored forms of a picture.
enum class PictureFormat { Bitmap, Jpeg, Png, Icon, Gif, Metafile, EnhancedMetafile };

/// Codes of the errors that loading a picture answers.
enum PictureError {
    kPictureUnknownFormat = 1,  ///< the bytes are none of the formats above
    kPictureDamaged = 2,        ///< a known format whose content cannot be decoded
    kPictureMetafile = 3,       ///< a Windows metafile: recognised, but not drawn here
};

/// A decoded picture: the image and the bytes it came from (kept so that it can be stored
/// again unchanged). Pictures come from files and from templates, so every input is
/// untrusted: anything that cannot be decoded is an error with a clear text, never a crash.
class Picture {
public:
    /// Decodes BMP, JPEG, PNG, ICO or GIF bytes, recognised by their content.
    /// A Windows metafile (placeable or standard WMF, or EMF) answers kPictureMetafile.
    static base::Result<Picture> FromData(const QByteArray& bytes);

    /// Decodes a picture in the form a picture property is streamed: a short string (one
    /// length byte, then the characters) naming the graphic class ("TBitmap", "TJPEGImage",
    /// "TIcon", "TMetafile", ...), then the graphic's data, which for bitmaps and JPEG
    /// images starts with its 32-bit little-endian length.
    static base::Result<Picture> FromGraphicData(const QByteArray& data);

    /// What a report draws in place of a picture it cannot show: a light grey box with a
    /// dark grey frame and a cross, of the given size in pixels.
    static QImage Placeholder(int width, int height);

    PictureFormat Format() const { return m_format; }
    const QImage& Image() const { return m_image; }
    const QByteArray& Data() const { return m_data; }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }

private:
    PictureFormat m_format = PictureFormat::Bitmap;
    QImage m_image;
    QByteArray m_data;
};

/// The format of picture bytes by their signature; none when unknown.
std::optional<PictureFormat> DetectPictureFormat(const QByteArray& bytes);

}  // namespace paint
